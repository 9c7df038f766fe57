#!/bin/sh
# A refused command line: one line names the bad option or value, then the usage; status 2.
# Usage: bad-options.sh PROGRAM
program=$1
out=$(mktemp)
trap 'rm -f "$out"' EXIT
failed=0
# Each case: the arguments, then the line expected first.
check() {
    expected=$1
    shift
    "$program" "$@" >/dev/null 2>"$out"
    status=$?
    first=$(head -n 1 "$out")
    second=$(sed -n 2p "$out")
    if [ $status -ne 2 ]; then echo "$*: status $status, not 2"; failed=1; fi
    if [ "$first" != "$expected" ]; then echo "$*: first line \"$first\", not \"$expected\""; failed=1; fi
    case $second in
        "usage: trelvoquest "*) ;;
        *) echo "$*: the usage does not follow: \"$second\""; failed=1 ;;
    esac
    if [ "$(grep -c '^trelvoquest: ' "$out")" -ne 1 ]; then echo "$*: not one fault line"; cat "$out"; failed=1; fi
}
check 'trelvoquest: --device wants tablet|phone, not "watch"' --headless --device watch
check 'trelvoquest: unknown option "--colour"' --colour blue
check 'trelvoquest: unknown option "phone"' phone
check 'trelvoquest: --device wants tablet|phone' --device
check 'trelvoquest: --service wants local|product, not "elsewhere"' --service elsewhere
check 'trelvoquest: --run-for wants SECONDS, not "-1"' --run-for -1
check 'trelvoquest: --location wants LAT,LON in degrees, such as 48.8584,2.2945' --location abc
exit $failed
