#!/usr/bin/env bash
# Makes the README's pictures in docs/ from the real program under wine on a virtual display,
# with tasks a user would write: a day with four tasks, a fifth added through the dialog, the
# 15:30 reminder ringing and closed, a row under the pointer and a row's menu.
# Usage: scripts/screenshots.sh [output folder, default docs] [dpi, default 96]
# At another dpi the screen is as much larger, and the pictures' names end in -<dpi>.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mkdir -p "${1:-docs}" && cd "${1:-docs}" && pwd)
dpi=${2:-96}
scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Tavik >/dev/null

s() { echo $((($1 * dpi + 48) / 96)); }  # a length of the 96-dpi layout at this dpi
suffix=""
if [ "$dpi" != 96 ]; then
  suffix="-$dpi"
  export TAVIK_WINEPREFIX="$PWD/build/win32/wineprefix-$dpi"
fi
export TAVIK_SCREEN="$(s 1024)x$(s 768)"
source scripts/wine-env.sh build/win32
unset DISPLAY  # always the same virtual screen, whatever display this runs on
tavik_display
dir=$(mktemp -d "$tavik_build_dir/screenshots.XXXXXX")
trap 'tavik_wine_stop; tavik_display_stop; rm -rf "$dir"' EXIT
tavik_wine_prefix
tavik_wine_start
# The resolution wine reports to the programs started from now on, as Windows' scaling does.
for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
  "$WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
done
cp build/win32/Tavik.exe "$dir/Tavik.exe"

# The stored tasks, as the program writes them: GBK, Base64 with the letter case swapped, ",".
record() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | base64 -w0 | tr 'A-Za-z' 'a-zA-Z'; printf ','; }
{
  printf '[Data]\r\nData='
  record "08:30;周12345;晨会：带上周报"
  record "12:00;周12345;午饭时间到了，休息一下"
  record "15:30;周135;喝水"
  record "18:00;周67;健身房"
  printf '\r\n'
} >"$dir/Tavik.cfg"

# A Wednesday afternoon, half a minute before the 15:30 reminder.
(cd "$dir" && tavik_at Tavik.exe "2026-12-09 15:29:25" "$WINE" Tavik.exe >/dev/null 2>&1) &
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$main")"
main_x=$X main_y=$Y main_w=$WIDTH main_h=$HEIGHT
sleep 3  # the stored tasks slide in
crop_main() { import -window root -crop "${main_w}x${main_h}+${main_x}+${main_y}" +repage "$out/$1$suffix.png"; }
crop_window() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$2$suffix.png"
}

# The fifth task through "新建任务": 21:00 every day.
xdotool mousemove $((main_x + $(s 120))) $((main_y + $(s 120))) click 1
dlg=$(timeout 10 xdotool search --sync --onlyvisible --name '^新任务$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$dlg")"
border=$(((WIDTH - $(s 361)) / 2))
dlg_x=$((X + border)) dlg_y=$((Y + HEIGHT - $(s 251) - border))
pick() {  # x of the list, entry from 0
  xdotool mousemove $((dlg_x + $(s $1))) $((dlg_y + $(s 28))) click 1
  sleep 0.3
  xdotool key --delay 30 $(printf 'Down %.0s' $(seq 0 "$2")) Return
  sleep 0.2
}
pick 212 21
pick 300 0
for day in 1 2 3 4 5 6 7; do xdotool mousemove $((dlg_x + $(s $((16 + 48 * (day - 1) + 6))))) $((dlg_y + $(s 72))) click 1; done
xdotool mousemove $((dlg_x + $(s 100))) $((dlg_y + $(s 170))) click 1
tavik_type "读书半小时"
xdotool mousemove $((dlg_x + $(s 228))) $((dlg_y + $(s 240)))  # the pointer off the text
sleep 0.5
crop_window "$dlg" dialog
xdotool mousemove $((dlg_x + $(s 228))) $((dlg_y + $(s 228))) click 1
sleep 2  # the new row slides in

# 15:30: the reminder slides in at the bottom right and rings until "关闭".
popup=$(timeout 40 xdotool search --sync --onlyvisible --name '^提醒$' | head -n 1)
sleep 2
crop_window "$popup" popup
xdotool mousemove --window "$popup" "$(s 220)" "$(s 172)" click 1
sleep 1

xdotool mousemove $((main_x + main_w + 40)) $((main_y + 40))  # the pointer off the window
sleep 0.5
crop_main main-window
xdotool mousemove $((main_x + $(s 120))) $((main_y + $(s $((190 + 22)))))  # the second row lights up
sleep 0.5
crop_main rows
xdotool mousemove $((main_x + $(s 120))) $((main_y + $(s $((140 + 22))))) click 3  # the first row's menu
sleep 0.5
crop_main menu
xdotool key Escape
echo "Pictures in $out: dialog$suffix.png popup$suffix.png main-window$suffix.png rows$suffix.png menu$suffix.png"
