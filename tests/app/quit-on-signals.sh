#!/bin/sh
# The program, started as a person would, quits on Ctrl-C even when many arrive at once.
# Usage: quit-on-signals.sh PROGRAM
program=$1
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$program" --headless --run-for 300 2>"$log" &
pid=$!

tries=0
until grep -q "is running" "$log"; do
    tries=$((tries + 1))
    if [ $tries -gt 1200 ] || ! kill -0 $pid 2>/dev/null; then
        echo "the program did not start"; cat "$log"; kill -9 $pid 2>/dev/null; exit 1
    fi
    sleep 0.05
done

sent=0
while [ $sent -lt 100 ] && kill -INT $pid 2>/dev/null; do sent=$((sent + 1)); done

tries=0
while kill -0 $pid 2>/dev/null; do
    tries=$((tries + 1))
    if [ $tries -gt 400 ]; then
        echo "the program did not quit after $sent signals"; kill -9 $pid; exit 1
    fi
    sleep 0.05
done
wait $pid
status=$?
# A signal that arrives after the handler is gone, in the last instant of the exit, ends the
# program the default way (130); any other status is a failure.
if [ $status -ne 0 ] && [ $status -ne 130 ]; then
    echo "the program ended with status $status"; cat "$log"; exit 1
fi
echo "quit after $sent signals"
