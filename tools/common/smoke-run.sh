#!/usr/bin/env bash
# Runs a benchmark once and checks only that it ran to its end: exit status 0 and, as its
# last line, the summary of name=value pairs. Speed is not judged here.
# Usage: smoke-run.sh PROGRAM [ARGS...]
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$@" >"$out"
status=$?
cat "$out"
if [ "$status" -ne 0 ]; then
  echo "smoke-run: $1 ended with status $status" >&2
  exit 1
fi
last=$(grep -v '^[[:space:]]*$' "$out" | tail -n 1)
pair='[A-Za-z_][A-Za-z0-9_.]*=[^[:space:]=]+'
if ! [[ $last =~ ^$pair([[:space:]]+$pair)*$ ]]; then
  echo "smoke-run: the last line is not a summary of name=value pairs: $last" >&2
  exit 1
fi
