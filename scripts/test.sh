#!/usr/bin/env bash
# Builds everything (native core, 32-bit and 64-bit Windows programs, the publisher) and runs
# every test: the core natively with sanitizers, then under wine the whole Windows suite on the
# 32-bit program (what users get) and the core and window tests on the 64-bit one.
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

# The 32-bit program, the one users get, under the whole Windows suite: the core, the windows,
# every end-to-end scenario, the reproducible build and the release.
(
  source scripts/wine-env.sh build/win32
  unset DISPLAY  # a virtual screen of its own: the scenarios never drive your desktop
  tavik_display
  trap 'tavik_wine_stop; tavik_display_stop' EXIT
  tavik_wine_prefix
  tavik_wine_start
  ctest --preset win32 -j "$jobs"  # the tests that need the desktop take it one at a time
)
# The 64-bit build runs the same code: its core and window tests (in a prefix of its own).
(
  source scripts/wine-env.sh build/win64
  unset DISPLAY
  tavik_display
  trap 'tavik_wine_stop; tavik_display_stop' EXIT
  tavik_wine_prefix
  tavik_wine_start
  ctest --preset win64 -L 'core|win' -j "$jobs"
)
