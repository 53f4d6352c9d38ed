#!/usr/bin/env bash
# kill -9 at random moments of a save loop: every start afterwards finds the whole list of
# the last or the one before last save, never fewer tasks, and no stray files are left.
# Usage: kill_during_saves.sh <tavik_save_loop.exe> <source dir> [kills]
set -euo pipefail
helper=$1
src=$2
kills=${3:-200}
build=$(cd "$(dirname "$helper")/.." && pwd)
source "$src/scripts/wine-env.sh" "$build"
tavik_wine_prefix
dir=$(mktemp -d "$build/kill.XXXXXX")
trap 'rm -rf "$dir"' EXIT
cp "$helper" "$dir/save_loop.exe"
cd "$dir"

# Starts the helper and waits until it says it is saving. The old output goes first: the
# shell truncates out.txt only once the child runs, and a poll before that would read the last
# run's "saving" and kill this run before it has opened the file. Wine can be slow to start a
# program on a loaded machine (seen after many kills): a helper that has not started within
# 30 s is ended and started again, up to three times. That is the harness, not the program:
# what every start finds in the file is checked all the same.
start_saving() {
  local attempt
  for attempt in 1 2 3; do
    rm -f out.txt
    "$WINE" save_loop.exe 'Tavik.cfg' >out.txt 2>/dev/null </dev/null &
    pid=$!
    for _ in $(seq 3000); do grep -q saving out.txt 2>/dev/null && return; sleep 0.01; done
    echo "run $1: the helper did not start within 30 s (try $attempt of 3)" >&2
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    check_start "$1"  # a start that got as far as reading the file found a whole list
  done
  echo "run $1: the helper never started" >&2
  exit 1
}

check_start() {
  local start
  start=$(tr -d '\r' <out.txt 2>/dev/null | grep '^start:' || echo "start: none")
  case "$start" in
    "start: A" | "start: B") ;;
    "start: LOST 0") [ "$1" = 1 ] || { echo "run $1 found no tasks" >&2; exit 1; } ;;  # no file yet
    "start: none") [ "${2:-}" != must ] || { echo "run $1 found a damaged list: $start" >&2; exit 1; } ;;
    *) echo "run $1 found a damaged list: $start" >&2; exit 1 ;;
  esac
}

for i in $(seq "$kills"); do
  start_saving "$i"
  # Kill it 0-49 ms after it began: anywhere in a save or between two.
  sleep "0.0$((RANDOM % 5))$((RANDOM % 10))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  check_start "$i" must
  strays=$(ls -A | grep -v -x -e Tavik.cfg -e Tavik.cfg.new -e out.txt -e save_loop.exe || true)
  [ -z "$strays" ] || { echo "stray files after run $i: $strays" >&2; exit 1; }
done
# The start after the last kill.
start_saving last
kill -9 "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
tr -d '\r' <out.txt | grep -qx -e 'start: A' -e 'start: B' || { echo "the last start found: $(cat out.txt)" >&2; exit 1; }
echo "$kills kills inside the save loop; every start found a whole list"
