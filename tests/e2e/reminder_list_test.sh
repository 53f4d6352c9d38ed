#!/usr/bin/env bash
# Two tasks of one minute: both stay readable in the one popup. The user selects the popup's
# text and copies it into Notepad, where the test reads it; the popup sits where it always did.
source "$(dirname "$0")/lib.sh" "$1" "$2"
source "$(dirname "$0")/reminder_clock.sh"

plan 8 09:00
stored "$(record "$due;周1234567;甲：交周报")$(record "$due;周1234567;乙：开例会")"
launch
popup=$(timeout 20 xdotool search --sync --onlyvisible --name '^提醒$' | head -n 1) || true
[ -n "$popup" ] || fail "no popup at $due"
sleep 2  # the second task rings a tick later; the slide ends
[ "$(xdotool search --onlyvisible --name '^提醒$' | wc -l)" = 1 ] || fail "more than one popup"
eval "$(xdotool getwindowgeometry --shell "$popup")"
screen_w=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
screen_h=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[2] }')
[ "$X" = $((screen_w - 272)) ] && [ "$Y" = $((screen_h - 194 - 40)) ] || fail "the popup is at $X,$Y"

notepad copied.txt
# Into the popup's text box, all of it selected and copied; pasted into Notepad and saved.
xdotool mousemove --window "$popup" 60 60 click 1
sleep 0.3
xdotool key ctrl+Home ctrl+shift+End ctrl+c
sleep 0.3
xdotool mousemove --window "$np_win" 120 120 click 1
sleep 0.3
xdotool key ctrl+v ctrl+s
sleep 1.5
got=$(saved_text "$e2e_dir/copied.txt")
want="$due  甲：交周报
$due  乙：开例会"
[ "$got" = "$want" ] || fail "the popup shows $(printf '%q' "$got")"
[ -n "$(popup_window)" ] || fail "the popup did not stay"
grep -q "Data=$(record "$due (已完成);周1234567;甲：交周报")$(record "$due (已完成);周1234567;乙：开例会")" "$cfg" ||
  fail "the tasks were not both marked done: $(cat "$cfg")"
close_notepad
close_program
echo "both reminders of $due readable in one popup at $X,$Y ($rc_bits-bit)"
