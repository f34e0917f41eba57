#!/usr/bin/env bash
# Runs one test suite on an X server of its own. Suites that shared one server took each
# other's keyboard focus, pointer and window stacking when run in parallel.
# Usage: run-on-own-display.sh PROGRAM [ARGS...]
set -u
dir=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
# The server picks a free display itself and writes its number, so parallel starts never collide.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$dir/display" 2>"$dir/server.log" &
server=$!
for _ in $(seq 1 200); do
  [ -s "$dir/display" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$dir/display" ]; then
  echo "run-on-own-display: the X server did not start" >&2
  cat "$dir/server.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$dir/display")"
"$@" 2>&1 | tee "$dir/output"
status=${PIPESTATUS[0]}
# LeakSanitizer's own tracer now and then crashes at exit after every test passed (it
# cannot stop the program's threads); such a run is made once more, not counted as ours.
if [ "$status" -ne 0 ] && grep -q "Tracer caught signal" "$dir/output" \
  && grep -Eq "^Totals: [0-9]+ passed, 0 failed" "$dir/output"; then
  echo "run-on-own-display: the leak checker's tracer crashed after a clean run; running the suite again" >&2
  "$@"
  status=$?
fi
exit "$status"
