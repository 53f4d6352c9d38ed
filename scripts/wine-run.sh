#!/usr/bin/env bash
# Runs a Windows program of a build directory under wine64 (ctest's emulator for the tests).
set -eu
exe=$1
dir=$(cd "$(dirname "$exe")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
source "$(dirname "$0")/wine-env.sh" "$dir"
tavik_wine_prefix
# The program's output goes through a file: helpers wine starts on demand (the desktop and
# tray process) inherit its handles and outlive it, and a pipe they hold open would keep the
# caller waiting for them.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
run() {
  rc=0
  "$WINE" "$@" >"$out" 2>&1 </dev/null || rc=$?
}
run "$@"
# A program that printed nothing at all never started (the test programs print a header
# first): that is wine's start failing, not the program, so it is given one more try.
if [ "$rc" -ne 0 ] && [ ! -s "$out" ]; then
  echo "wine ended with code $rc before the program printed anything; starting it again" >&2
  run "$@"
fi
cat "$out"
[ "$rc" -eq 0 ] || echo "exit code $rc" >&2
exit $rc
