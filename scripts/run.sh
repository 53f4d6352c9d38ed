#!/usr/bin/env bash
# Builds the 32-bit Tavik, the program users get, and starts it under wine: on your display when there is one, else on a virtual
# display. Leaves a screenshot of the running program and prints its path.
# The program keeps its tasks in build/win32/Tavik.cfg, beside the exe.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Tavik -j "$(nproc)"

source scripts/wine-env.sh build/win32
tavik_display
virtual=${tavik_xvfb_pid:-}
trap 'tavik_wine_stop; tavik_display_stop' EXIT
tavik_wine_prefix
tavik_wine_start

"$WINE" build/win32/Tavik.exe >/dev/null 2>&1 &
app=$!
xdotool search --sync --name '^Tavik$' >/dev/null
sleep 2  # the saved tasks slide in
shot="$PWD/build/win32/screenshot.png"
import -window root "$shot"
echo "Screenshot: $shot"

if [ -n "$virtual" ]; then
  echo "No display was set, so Tavik ran on a virtual one and has been stopped."
else
  echo "Tavik is running (close it with its × button or from the tray icon)."
  wait "$app" || true
fi
