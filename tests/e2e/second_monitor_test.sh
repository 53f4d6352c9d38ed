#!/usr/bin/env bash
# Two monitors side by side, 1024 x 768 and 800 x 600 to its right (a nested X server with
# Xinerama): the real program starts centred on the primary one, and dragged close to the
# second one's edges it snaps onto those edges, not onto the primary's.
# Usage: second_monitor_test.sh <Tavik.exe> <source dir>
exe=$1
src=$2
# A prefix of its own: wine is told to take its monitors from Xinerama there.
TAVIK_WINEPREFIX="$(cd "$(dirname "$exe")" && pwd)/wineprefix-monitors"
export TAVIK_WINEPREFIX
source "$src/tests/e2e/lib.sh" "$exe" "$src"
command -v Xephyr >/dev/null || { echo "no Xephyr" >&2; exit 77; }

n=150
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xephyr ":$n" +xinerama -screen 1024x768 -screen 800x600 -nolisten tcp >/dev/null 2>&1 &
xephyr_pid=$!
trap 'e2e_cleanup; tavik_wine_stop; kill "$xephyr_pid" 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# Xephyr's RandR knows one screen; its Xinerama knows both heads and where they are.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
tavik_wine_start

fail() { echo "FAIL: $*" >&2; exit 1; }
where() { eval "$(xdotool getwindowgeometry --shell "$e2e_main")"; echo "$X,$Y ${WIDTH}x$HEIGHT"; }

# A drag by the panel's title from where the window is to (x, y), dropped there.
drag_to() {
  eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
  local from_x=$((X + 120)) from_y=$((Y + 10)) to_x=$(($1 + 120)) to_y=$(($2 + 10))
  xdotool mousemove "$from_x" "$from_y" mousedown 1
  sleep 0.2
  for i in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((from_x + i * (to_x - from_x) / 8)) $((from_y + i * (to_y - from_y) / 8))
    sleep 0.05
  done
  sleep 0.2
  xdotool mouseup 1
  sleep 0.5
}

e2e_start_at "2026-12-09 12:34:00"
[ "$(where)" = "391,188 242x391" ] || fail "not centred on the primary monitor: $(where)"

# 12 px short of the second monitor's right edge and 10 px above its bottom (at 600, not
# the primary's 768): both pull.
drag_to $((1824 - 12 - 242)) $((600 - 10 - 391))
[ "$(where)" = "$((1824 - 242)),$((600 - 391)) 242x391" ] || fail "not on the second monitor's right and bottom edges: $(where)"

# 15 px right of its left edge and 8 px below its top.
drag_to $((1024 + 15)) 8
[ "$(where)" = "1024,0 242x391" ] || fail "not on the second monitor's left and top edges: $(where)"

# Back on the primary monitor, near its right edge: the primary's edge pulls again.
drag_to $((1024 - 242 - 14)) 300
[ "$(where)" = "$((1024 - 242)),300 242x391" ] || fail "not on the primary monitor's right edge: $(where)"
echo "snapped to both monitors' edges"
