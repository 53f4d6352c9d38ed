#!/usr/bin/env bash
# A person adds two tasks through "新建任务" and the dialog, finds them in Tavik.cfg, then
# deletes the first through the row's right-click menu and finds only the second left.
# Set TAVIK_SHOTS to a folder to keep screenshots of the dialog, the rows and the menu.
source "$(dirname "$0")/lib.sh" "$1" "$2"
shots=${TAVIK_SHOTS:-}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
shot() { if [ -n "$shots" ]; then e2e_shot "$shots/$1.png"; fi; }

# One stored task as the program writes it: GBK bytes, Base64 with the letter case swapped, ",".
expect_file() {
  local want
  want=$(printf '[Data]\r\nData=%s\r\n' "$1" | od -An -tx1)
  for _ in $(seq 50); do
    [ -f "$cfg" ] && [ "$(od -An -tx1 <"$cfg")" = "$want" ] && return 0
    sleep 0.1
  done
  echo "expected: $(printf '[Data]\r\nData=%s\r\n' "$1" | cat -A)" >&2
  echo "found:    $(cat -A "$cfg" 2>/dev/null)" >&2
  fail "$2"
}

# 12:34 on a Wednesday: neither task below falls due while the test runs.
e2e_start_at "2026-12-09 12:34:00"
eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
main_x=$X main_y=$Y

# Opens the dialog with the button and sets dlg_x, dlg_y to its client area's corner.
open_dialog() {
  xdotool mousemove $((main_x + 120)) $((main_y + 120)) click 1
  local dlg
  dlg=$(xdotool search --sync --onlyvisible --name '^新任务$' | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$dlg")"
  local border=$(((WIDTH - 361) / 2))
  dlg_x=$((X + border)) dlg_y=$((Y + HEIGHT - 251 - border))
}
# Picks entry n (from 0) of a closed list: a click opens it, the arrow keys walk to the entry.
pick() {
  xdotool mousemove $((dlg_x + $1)) $((dlg_y + 28)) click 1
  sleep 0.3
  xdotool key --delay 30 $(printf 'Down %.0s' $(seq 0 "$2")) Return
  sleep 0.2
}
check_day() { xdotool mousemove $((dlg_x + 16 + 48 * ($1 - 1) + 6)) $((dlg_y + 72)) click 1; }
type_text() {
  xdotool mousemove $((dlg_x + 100)) $((dlg_y + 170)) click 1
  e2e_type_checked "$1" || fail "the text could not be typed into the box"
}
press_create() { xdotool mousemove $((dlg_x + 228)) $((dlg_y + 228)) click 1; }
dialog_gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^新任务$' >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the dialog stayed open"
}

# 08:30 on Monday, Wednesday and Friday.
first_text="每周一三五开会"
open_dialog
pick 212 8
pick 300 6
for day in 1 3 5; do check_day "$day"; done
type_text "$first_text"
sleep 0.3
shot dialog
press_create
dialog_gone
first=$(record "08:30;周135;$first_text")
expect_file "$first" "the new task is not in the data file"

# 21:05, no repeat.
second_text="买菜"
open_dialog
pick 212 21
pick 300 1
type_text "$second_text"
press_create
dialog_gone
second=$(record "21:05;不循环;$second_text")
expect_file "$first$second" "the second task is not behind the first"

# The second row lit up under the pointer, the first one normal.
xdotool mousemove $((main_x + 120)) $((main_y + 190 + 22))
sleep 0.3
shot rows

# Right-click the first row, choose "删除" (the second entry) from the menu.
xdotool mousemove $((main_x + 120)) $((main_y + 140 + 22)) click 3
sleep 0.5
shot menu
xdotool key --delay 50 Down Down Return
expect_file "$second" "the deleted task is still in the data file"
echo "ok"
