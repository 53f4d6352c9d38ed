#!/usr/bin/env bash
# Starts the real program under wine and measures what it costs while idle: CPU over a
# period (user + system time of its process) and resident memory.
# Usage: scripts/bench.sh [build dir, default build/win64] [seconds, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win64}
seconds=${2:-60}
source scripts/wine-env.sh "$build"
tavik_display
tavik_wine_prefix
tavik_wine_start

dir=$(mktemp -d "$tavik_build_dir/bench.XXXXXX")
cp "$tavik_build_dir/Tavik.exe" "$dir/Tavik.exe"
launched=$(date +%s.%N)
(cd "$dir" && exec "$WINE" Tavik.exe >/dev/null 2>&1) &
pid=$!
cleanup() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -rf "$dir"
  tavik_wine_stop
  tavik_display_stop
}
trap cleanup EXIT

for _ in $(seq 100); do
  tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q 'Tavik.exe' && xdotool search --name '^Tavik$' >/dev/null 2>&1 && break
  sleep 0.1
done
shown=$(date +%s.%N)
awk -v a="$launched" -v b="$shown" 'BEGIN { printf "start-up to a visible window: %.2f s (wine included)\n", b - a }'
sleep 3  # let the start-up settle

ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
start=$(date +%s.%N)
sleep "$seconds"
after=$(ticks)
end=$(date +%s.%N)
rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status")
awk -v t=$((after - before)) -v hz="$hz" -v s="$start" -v e="$end" -v rss="$rss" -v hwm="$hwm" 'BEGIN {
  wall = e - s
  printf "idle CPU over %.1f s: %.2f s of CPU time = %.3f %% of one core\n", wall, t / hz, 100 * t / hz / wall
  printf "resident memory: %d KiB now, %d KiB at most\n", rss, hwm
}'
