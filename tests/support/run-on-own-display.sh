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
"$@"
