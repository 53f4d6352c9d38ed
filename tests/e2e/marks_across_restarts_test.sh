#!/usr/bin/env bash
# The done marks of the real program across restarts, with a faked wall clock: a one-off task
# rings, the program is closed and started again the same day and the next day, and it does
# not ring again; a daily task saved with its mark yesterday rings today.
source "$(dirname "$0")/lib.sh" "$1" "$2"
command -v faketime >/dev/null || { echo "no faketime" >&2; exit 77; }

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
file_holds() {  # the data file's bytes are exactly this list
  local want
  want=$(printf '[Data]\r\nData=%s\r\n' "$1" | od -An -tx1)
  for _ in $(seq 30); do
    [ "$(od -An -tx1 <"$cfg")" = "$want" ] && return 0
    sleep 0.1
  done
  return 1
}

# Starts the program with its wall clock at the given moment (only the wall clock is faked).
start_at() {
  (cd "$e2e_dir" && e2e_at "$1" "$WINE" Tavik.exe >/dev/null 2>&1) &
  e2e_pid=$!
  e2e_main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
  [ -n "$e2e_main" ] || fail "the main window did not appear at $1"
}
rings_within() {  # seconds
  timeout "$1" xdotool search --sync --onlyvisible --name '^提醒$' >/dev/null 2>&1
}
close_popup() {
  local popup
  popup=$(xdotool search --onlyvisible --name '^提醒$' | head -n 1)
  xdotool mousemove --window "$popup" 220 172 click 1
  sleep 0.5
}

once=$(record '08:30;不循环;给妈妈打电话')
once_done=$(record '08:30 (已完成);不循环;给妈妈打电话')

# Wednesday 08:29:55: the one-off rings at 08:30, and its mark is in the file at once.
stored "$once"
start_at "2026-12-09 08:29:55"
rings_within 20 || fail "the one-off did not ring at 08:30"
file_holds "$once_done" || fail "the mark was not saved when it rang: $(cat -A "$cfg")"
close_popup
close_program

# Started again within that minute, and the next morning through 08:30: no ring.
start_at "2026-12-09 08:30:20"
rings_within 6 && fail "the one-off rang again after a restart in its minute"
close_program
start_at "2026-12-10 08:29:56"
rings_within 12 && fail "the one-off rang again the next day"
file_holds "$once_done" || fail "the one-off lost its mark: $(cat -A "$cfg")"
close_program

# A daily task saved with yesterday's mark (the program was closed after it rang) rings today.
daily_done=$(record '09:00 (已完成);周1234567;站起来走一走')
daily=$(record '09:00;周1234567;站起来走一走')
stored "$daily_done"
touch -d "2026-12-09 21:00" "$cfg"  # the file's last write tells the mark's day
start_at "2026-12-10 08:59:55"
file_holds "$daily" || fail "the start did not arm the daily task: $(cat -A "$cfg")"
rings_within 20 || fail "the daily task did not ring today"
file_holds "$daily_done" || fail "today's mark was not saved"
close_popup
close_program
echo "one-off: rang once over three starts; daily task: armed at start and rang"
