#!/usr/bin/env bash
# Runs a Windows program of a build directory under wine64 (ctest's emulator for the tests).
set -eu
exe=$1
dir=$(cd "$(dirname "$exe")" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
source "$(dirname "$0")/wine-env.sh" "$dir"
tavik_wine_prefix
exec "$WINE" "$@"
