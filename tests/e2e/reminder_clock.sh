# Shared by the reminder scenarios: a task's minute and the program's clock. The program runs
# on a wall clock set to a fixed day (e2e_at: only the wall clock moves), so nothing waits for
# a real minute.
# Usage: source reminder_clock.sh (after lib.sh)

if tavik_is_32bit "$e2e_exe"; then rc_bits=32; else rc_bits=64; fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# plan LEAD HH:MM: the task's minute, HH:MM on 2026-12-09 (a Wednesday), and a start LEAD
# seconds before it (negative: inside it). Sets due (hh:mm), due_epoch, day and yesterday.
plan() {
  rc_lead=$1
  due_epoch=$(date -d "2026-12-09 $2:00" +%s)
  due=$(date -d "@$due_epoch" +%H:%M)
  day=$(date -d "@$due_epoch" +%F)
  yesterday=$(date -d "@$((due_epoch - 86400))" +%F)
}

# The program's clock, in seconds since 1970.
program_now() { echo $(( $(date +%s) + rc_offset )); }
# Waits until the program's clock reads `epoch`.
wait_until() {
  while [ "$(program_now)" -lt "$1" ]; do sleep 0.2; done
}

# Starts the program at the planned moment and waits for its window.
launch() {
  local at=$((due_epoch - rc_lead))
  rc_offset=$((at - $(date +%s)))
  (cd "$e2e_dir" && e2e_at "$(date -d "@$at" '+%F %T')" "$WINE" Tavik.exe >/dev/null 2>&1) &
  e2e_pid=$!
  e2e_main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
  [ -n "$e2e_main" ] || fail "the main window did not appear"
}

popup_window() { xdotool search --onlyvisible --name '^提醒$' 2>/dev/null | head -n 1 || true; }

# Notepad on a file of the test folder (made empty first), as the user's other program.
# Sets np_pid and np_win.
notepad() {
  : >"$e2e_dir/$1"
  (cd "$e2e_dir" && exec "$WINE" notepad "$1" >/dev/null 2>&1) &
  np_pid=$!
  np_win=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1" | head -n 1)
  [ -n "$np_win" ] || fail "Notepad did not appear"
}
close_notepad() {
  kill "$np_pid" 2>/dev/null || true
  wait "$np_pid" 2>/dev/null || true
  for _ in $(seq 50); do  # its window goes a moment after the process
    xdotool search --onlyvisible --name "^[^ ]*\.txt" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
}
# The text of a file Notepad saved, as UTF-8 with "\n" line ends.
saved_text() {
  python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
for bom, codec in ((b"\xef\xbb\xbf", "utf-8"), (b"\xff\xfe", "utf-16-le"), (b"\xfe\xff", "utf-16-be")):
    if data.startswith(bom):
        text = data[len(bom):].decode(codec)
        break
else:
    text = data.decode("gbk")
sys.stdout.write(text.replace("\r\n", "\n"))
PY
}
