#!/usr/bin/env bash
# scripts/run with the demo service: a timed run ends cleanly, Ctrl-C and a crash of the program
# stop the service too, and a service that cannot start is reported in one line. After each, no
# service process is left and its port is free.
# Usage: run-command.sh SCRIPTS_RUN BUILD_DIR
set -u
run=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TQ_DEMO_STATE=$work/state
export XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
failures=0

fail() { echo "FAIL: $*"; [ -f "$work/log" ] && sed 's/^/  | /' "$work/log"; failures=$((failures + 1)); }

# The window may have landed: then the program is asked to stay headless.
headless=()
if "$build/trelvoquest" --no-such-option 2>&1 | grep -q -- '--headless'; then headless=(--headless); fi

# Waits (bounded) until the log shows `text`.
wait_for() {
  for _ in $(seq 1 600); do grep -q "$1" "$work/log" 2>/dev/null && return 0; sleep 0.05; done
  return 1
}

# Checks that the service of the last run is gone and its port free.
check_nothing_left() {
  local what=$1 line address port pid
  line=$(grep -m1 'demo service at' "$work/log")
  address=$(echo "$line" | sed -n 's/.*demo service at \([0-9.]*:[0-9]*\) (pid \([0-9]*\)).*/\1/p')
  pid=$(echo "$line" | sed -n 's/.*(pid \([0-9]*\)).*/\1/p')
  port=${address#*:}
  if [ -z "$address" ] || [ -z "$pid" ]; then fail "$what: the run named no service"; return; fi
  if kill -0 "$pid" 2>/dev/null; then fail "$what: the service (pid $pid) is still running"; kill -9 "$pid"; fi
  if pgrep -f -- "--state $TQ_DEMO_STATE" >/dev/null; then fail "$what: a service process is left"; fi
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then fail "$what: port $port is still bound"; fi
  if [ -e "$TQ_DEMO_STATE/endpoint" ]; then fail "$what: the service's address file is left"; fi
}

# 1. A timed run exits 0.
"$run" --no-build --build-dir "$build" --run-for 5 "${headless[@]}" >"$work/log" 2>&1
status=$?
[ $status -eq 0 ] || fail "timed run: status $status"
grep -q 'is running' "$work/log" || fail "timed run: the program did not start"
check_nothing_left "timed run"

# 2. Ctrl-C in the terminal reaches the whole process group.
setsid "$run" --no-build --build-dir "$build" --run-for 300 "${headless[@]}" >"$work/log" 2>&1 &
group=$!
if wait_for 'is running'; then
  kill -INT -- "-$group"
  wait "$group"
  status=$?
  [ $status -eq 0 ] || [ $status -eq 130 ] || fail "Ctrl-C: status $status"
  check_nothing_left "Ctrl-C"
else
  fail "Ctrl-C: the program did not start"; kill -9 -- "-$group"
fi

# 3. The program crashes: the run fails and the service stops anyway.
"$run" --no-build --build-dir "$build" --run-for 300 "${headless[@]}" >"$work/log" 2>&1 &
script=$!
if wait_for 'is running'; then
  program=$(pgrep -x -P "$script" trelvoquest)
  kill -SEGV "$program"
  wait "$script"
  status=$?
  [ $status -ne 0 ] || fail "crash: the run reported success"
  check_nothing_left "crash"
else
  fail "crash: the program did not start"; kill -9 "$script"
fi

# 4. A service that cannot start (its port is taken) is reported in one line, and nothing runs.
"$build/demo-service/trelvoquest-demo-service" --state "$work/other" >"$work/other.log" 2>&1 &
other=$!
for _ in $(seq 1 200); do grep -q 'listening on' "$work/other.log" && break; sleep 0.05; done
taken=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$work/other.log")
TQ_DEMO_PORT=$taken "$run" --no-build --build-dir "$build" --run-for 5 "${headless[@]}" >"$work/log" 2>&1
status=$?
kill -TERM "$other"; wait "$other"
[ $status -ne 0 ] || fail "taken port: the run reported success"
[ "$(wc -l <"$work/log")" -eq 1 ] || fail "taken port: more than one line"
grep -q 'could not start: .*port is taken' "$work/log" || fail "taken port: no reason given"
grep -q 'is running' "$work/log" && fail "taken port: the program ran"
if pgrep -f -- "--state $TQ_DEMO_STATE" >/dev/null; then fail "taken port: a service process is left"; fi

[ $failures -eq 0 ] && echo "scripts/run: all cases passed"
exit $failures
