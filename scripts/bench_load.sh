#!/usr/bin/env bash
# What loading a large data file costs the real program: its peak resident memory (VmHWM)
# with a data file of SIZE MiB (one task whose text is that long, as a save writes it) beside
# the same program with a small file, and the CPU it spends shown for a while after the load
# (the clock ticks each second, and each tick runs the due check over the tasks). Figures, not
# a test.
# Usage: scripts/bench_load.sh [build dir, default build/win32] [size in MiB, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win32}
mib=${2:-60}
source scripts/wine-env.sh "$build"
tavik_display
tavik_wine_prefix
tavik_wine_start
work=$(mktemp -d "$tavik_build_dir/bench-load.XXXXXX")
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"; tavik_wine_stop; tavik_display_stop' EXIT

data_file() {  # MiB: the text's length, so that the file is about that size
  python3 - "$1" <<'PY'
import base64, sys
chars = int(float(sys.argv[1]) * 1024 * 1024 * 3 / 4)
record = ("08:00;不循环;" + "a" * chars).encode("gbk")
line = base64.b64encode(record).decode().swapcase()
sys.stdout.write("[Data]\r\nData=" + line + ",\r\n")
PY
}

own_pid() {  # the program of this prefix whose command line names the folder
  local p
  for p in $(pgrep -f 'Tavik\.exe' || true); do
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      tr '\0' ' ' <"/proc/$p/cmdline" | grep -qF "$(basename "$1")" && { echo "$p"; return; }
  done
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # user + system, in clock ticks
idle=${BENCH_LOAD_IDLE:-10}

measure() {  # folder: sets hwm and rss, the peak and current resident KiB once the load is done,
             # and cpu_ms, the CPU spent in the $idle seconds after that
  (cd "$1" && exec "$WINE" Tavik.exe >/dev/null 2>&1) &
  pid=$!
  timeout 120 xdotool search --sync --onlyvisible --name '^Tavik$' >/dev/null
  sleep 4  # the rows slide in
  local p
  p=$(own_pid "$1")
  read -r hwm rss < <(awk '/^VmHWM/ { hwm = $2 } /^VmRSS/ { rss = $2 } END { print hwm, rss }' "/proc/$p/status")
  local before
  before=$(cpu_ticks "$p")
  sleep "$idle"
  cpu_ms=$(( ($(cpu_ticks "$p") - before) * 1000 / $(getconf CLK_TCK) ))
  kill "$pid" 2>/dev/null || true
  for w in $(xdotool search --name '^Tavik$' 2>/dev/null); do xdotool windowkill "$w" 2>/dev/null || true; done
  wait "$pid" 2>/dev/null || true
  tavik_wine_start >/dev/null 2>&1
}

for case in small large; do
  mkdir -p "$work/$case"
  cp "$tavik_build_dir/Tavik.exe" "$work/$case/"
done
data_file 0.001 >"$work/small/Tavik.cfg"
data_file "$mib" >"$work/large/Tavik.cfg"
size_kib=$(( $(stat -c %s "$work/large/Tavik.cfg") / 1024 ))
measure "$work/small"
small_hwm=$hwm small_cpu=$cpu_ms
measure "$work/large"
large_hwm=$hwm large_rss=$rss large_cpu=$cpu_ms
awk -v f="$size_kib" -v sh="$small_hwm" -v lh="$large_hwm" -v lr="$large_rss" 'BEGIN {
  printf "data file %.1f MiB: peak resident %.1f MiB (small file: %.1f MiB), %.2f times the file beyond it; resident after the load %.1f MiB\n",
    f / 1024, lh / 1024, sh / 1024, (lh - sh) / f, lr / 1024 }'
echo "CPU in the $idle s after the load, shown: ${small_cpu} ms with the small file, ${large_cpu} ms with the large one"
