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
rc=0
"$WINE" "$@" >"$out" 2>&1 </dev/null || rc=$?
cat "$out"
exit $rc
