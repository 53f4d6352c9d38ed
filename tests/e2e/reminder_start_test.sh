#!/usr/bin/env bash
# A daily task stored done, and the program started inside its minute (a slow start at logon):
# the data file's last write tells whether the mark is today's. Written yesterday: it rings.
# Written in that minute today (it rang, and the program was started again): silent.
source "$(dirname "$0")/lib.sh" "$1" "$2"
source "$(dirname "$0")/reminder_clock.sh"

# Started three seconds into the minute; the file was last written yesterday after it rang.
plan -3 07:00
stored "$(record "$due (已完成);周1234567;吃药")"
touch -d "$yesterday $due:30" "$cfg"
launch
popup=$(timeout 15 xdotool search --sync --onlyvisible --name '^提醒$' | head -n 1) || true
[ -n "$popup" ] || fail "yesterday's mark kept the task from ringing at $due"
sleep 1
grep -q "Data=$(record "$due (已完成);周1234567;吃药")" "$cfg" || fail "today's mark was not saved: $(cat "$cfg")"
[ "$(date -r "$cfg" +%F)" = "$(date +%F)" ] || fail "the file was not written now"
xdotool mousemove --window "$popup" 220 172 click 1  # "关闭"
close_program

# Started 35 seconds into the minute; the file was written five seconds into it today.
plan -35 07:00
stored "$(record "$due (已完成);周1234567;吃药")"
touch -d "$day $due:05" "$cfg"
launch
while [ "$(program_now)" -lt $((due_epoch + 62)) ]; do
  [ -z "$(popup_window)" ] || fail "the task rang twice in its minute"
  sleep 0.5
done
grep -q "Data=$(record "$due (已完成);周1234567;吃药")" "$cfg" || fail "the mark was lost: $(cat "$cfg")"
close_program
echo "a daily task stored done rang inside its minute after yesterday's write, and stayed silent after today's ($rc_bits-bit)"
