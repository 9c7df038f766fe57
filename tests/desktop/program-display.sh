#!/bin/sh
# The program without a display says so in one line that names --headless and ends with status 2;
# on a display (Xvfb) it opens its window as a phone and as a tablet and quits cleanly.
# Usage: program-display.sh PROGRAM XVFB_RUNNER
program=$1
runner=$2
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --run-for 1 2>&1)
status=$?
if [ $status -ne 2 ]; then echo "without a display the program ended with status $status: $out"; exit 1; fi
case "$out" in
    *--headless*) ;;
    *) echo "the message does not name --headless: $out"; exit 1 ;;
esac
if [ "$(printf '%s\n' "$out" | wc -l)" -ne 1 ]; then echo "more than one line: $out"; exit 1; fi
for device in tablet phone; do
    if ! "$runner" "$program" --device "$device" --run-for 0.5 2>/dev/null; then
        echo "the window as a $device did not open and close cleanly"; exit 1
    fi
done
if "$program" --device watch --headless 2>/dev/null; then echo "an unknown device was taken"; exit 1; fi
echo "ok"
