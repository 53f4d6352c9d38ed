#!/usr/bin/env bash
# Builds everything (native core, 64-bit and 32-bit Windows programs, the publisher) and runs
# every test: the core natively with sanitizers, then the core and the windows under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
# The site owner's publisher as they build it: release, no sanitizers, no -Werror.
cmake --preset tools >/dev/null
cmake --build --preset tools -j "$jobs"

ctest --preset linux -j "$jobs"
ctest --preset tools

source scripts/wine-env.sh build/win64
tavik_display
trap 'tavik_wine_stop; tavik_display_stop' EXIT
tavik_wine_prefix
tavik_wine_start
ctest --preset win64
