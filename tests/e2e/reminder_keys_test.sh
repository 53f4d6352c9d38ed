#!/usr/bin/env bash
# Typing in Notepad across the minute a task rings: the popup comes on top without taking the
# keyboard, so every key typed (spaces and Enter among them) lands in Notepad, and the popup
# is still there afterwards, ringing until the user closes it.
source "$(dirname "$0")/lib.sh" "$1" "$2"
source "$(dirname "$0")/reminder_clock.sh"

plan 25 08:30
stored "$(record "$due;周1234567;交周报")"
notepad typed.txt
launch
# The user works in Notepad (the program's window may still be coming up: clicked again).
for _ in $(seq 10); do
  xdotool mousemove --window "$np_win" 120 120 click 1
  sleep 0.5
  [ "$(xdotool getwindowfocus)" = "$np_win" ] && break
done
[ "$(xdotool getwindowfocus)" = "$np_win" ] || fail "Notepad did not take the keyboard on a click"

wait_until $((due_epoch - 4))
[ -z "$(popup_window)" ] || fail "the popup was there before its minute"
# Words, spaces and Enter, from four seconds before the minute to five seconds into it.
text=""
words=(Dear team, the weekly report is ready. See you at the meeting at ten.)
i=0
while [ "$(program_now)" -lt $((due_epoch + 5)) ]; do
  word=${words[i % ${#words[@]}]}
  sep=" "
  [ $((i % 5)) = 4 ] && sep=$'\n'
  xdotool type --delay 60 "$word$sep"
  text+="$word$sep"
  i=$((i + 1))
done
popup=$(popup_window)
[ -n "$popup" ] || fail "the popup is gone after the typing (keys meant for Notepad closed it?)"
[ "$(xdotool getwindowfocus)" = "$np_win" ] || fail "the keyboard left Notepad"

xdotool key ctrl+s
sleep 1.5
got=$(saved_text "$e2e_dir/typed.txt")
[ "$got" = "$(printf '%s' "$text")" ] || fail "Notepad lost keys: got $(printf '%q' "$got")"
[ -n "$(popup_window)" ] || fail "the popup did not stay"
grep -q "Data=$(record "$due (已完成);周1234567;交周报")" "$cfg" || fail "the task was not marked done"
close_notepad
close_program
echo "Notepad kept all ${#text} characters typed across $due; the popup stayed ($rc_bits-bit)"
