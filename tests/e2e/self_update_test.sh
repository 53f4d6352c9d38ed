#!/usr/bin/env bash
# Self-update end to end: a program built against a loopback site announces a release in its
# bar, a click downloads it, Update.bat swaps the program files under wine's command
# interpreter, and the new program runs from Tavik.exe afterwards. A first attempt whose
# download vanishes at the swap (an antivirus taking it away) leaves the old program in place
# and running again; the second attempt then installs the release.
# The program lives in a folder whose name holds "%", "&" and blanks: the script must swap the
# files and delete itself there too.
# The home address is compiled in, so this builds a second program for a fixed loopback port
# (e2e_site_port) beside the one under test, with a two-second background timer so the first
# check comes at once instead of after ten minutes.
source "$(dirname "$0")/lib.sh" "$1" "$2"

port=$(e2e_site_port)
e2e_site_program "$port"
app="$e2e_dir/Tavik 100% & co"
mkdir -p "$app"
cp "$e2e_site_exe" "$app/Tavik.exe"

# The release: the same program with a tail of its own, so the two files differ.
site="$e2e_dir/site"
mkdir -p "$site"
{ cat "$e2e_site_exe"; printf 'release %s' "$e2e_version_after"; } > "$site/Tavik.exe"
release_crc=$(python3 -c 'import sys, zlib; print("%08X" % zlib.crc32(open(sys.argv[1], "rb").read()))' "$site/Tavik.exe")
base="http://127.0.0.1:$port"
doc="Home=$base/;Statistic=$base/stat;MinVer=0.5;StableVer=$e2e_version_after;StableUrl=$base/files/Tavik.exe;StableHash=$release_crc;StableTips=e2e/notes;"
# The site's encoding: Base64 of the GBK bytes with the case of every letter swapped.
python3 -c 'import base64, sys; sys.stdout.write(base64.b64encode(sys.argv[1].encode("gbk")).decode().swapcase())' \
  "$doc" > "$site/update.txt"

log="$e2e_dir/requests.log"
python3 "$e2e_src/tests/online/server.py" --root "$site" --port "$port" --lifetime 200 --log "$log" > "$e2e_dir/port" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true; e2e_cleanup' EXIT
for _ in $(seq 50); do [ -s "$e2e_dir/port" ] && break; sleep 0.1; done
[ -s "$e2e_dir/port" ] || { echo "the loopback server did not start on port $port" >&2; exit 1; }

logged() { [ -f "$log" ] && grep -q "$1" "$log"; }

(cd "$app" && exec "$WINE" Tavik.exe >/dev/null 2>&1) &
e2e_pid=$!
e2e_main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
[ -n "$e2e_main" ] || { echo "the program did not start" >&2; exit 1; }
e2e_wait_for 30 logged '"query": "type=update"' || { echo "no update check reached the site" >&2; exit 1; }
e2e_wait_for 20 logged '"path": "/stat"' || { echo "no statistics visit" >&2; exit 1; }
sleep 1
e2e_shot "$e2e_dir/../self-update-bar.png"

# A click on the bar (left 1, top 77, 22 high), then the notes box is accepted. xdotool may
# report an error for a key that closed the box it was sent to, so the download tells.
downloads() { grep -c '"path": "/files/Tavik.exe"' "$log" || true; }
box_open() { xdotool search --onlyvisible --name '^Tavik$' 2>/dev/null | grep -vqx "$e2e_main"; }
click_bar() {
  local w before
  before=$(downloads)
  eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
  xdotool mousemove $((X + 40)) $((Y + 88)) click 1
  e2e_wait_for 30 box_open || { echo "no notes box after the click" >&2; exit 1; }
  downloaded() { [ "$(downloads)" -gt "$before" ]; }
  for _ in 1 2 3; do
    for w in $(xdotool search --onlyvisible --name '^Tavik$' 2>/dev/null); do
      [ "$w" = "$e2e_main" ] || xdotool key --window "$w" Return 2>/dev/null || true
    done
    e2e_wait_for 3 downloaded && return 0
  done
  echo "no download after the notes" >&2
  exit 1
}
running_again() { xdotool search --onlyvisible --name '^Tavik$' >/dev/null 2>&1; }

# First attempt: the download is taken away as soon as the script is written, before the
# swap (the script waits a second after ending the program).
(
  for _ in $(seq 3000); do
    if [ -e "$app/Update.bat" ]; then rm -f "$app/Tavik.tmp"; exit 0; fi
    sleep 0.01
  done
  exit 1
) &
watcher=$!
click_bar
wait "$watcher" || { echo "no update script" >&2; exit 1; }
put_back() { [ ! -e "$app/Update.bat" ] && cmp -s "$app/Tavik.exe" "$e2e_site_exe" && [ ! -e "$app/Tavik.old" ]; }
e2e_wait_for 60 put_back || { echo "the old program was not kept" >&2; ls -la "$app" >&2; exit 1; }
e2e_wait_for 30 running_again || { echo "the old program is not running again" >&2; exit 1; }
[ ! -e "$app/Tavik.tmp" ] || { echo "the download was left behind" >&2; exit 1; }
echo "download gone at the swap: the old Tavik.exe is in place and runs again"

# Second attempt, from a new start of the program: the release goes in. (The program the
# script started again is ended first: under wine a click on its bar was not always answered.)
for w in $(xdotool search --name '^Tavik$' 2>/dev/null); do xdotool windowkill "$w" 2>/dev/null || true; done
e2e_wait_for 10 eval '! running_again' || { echo "the program started again does not end" >&2; exit 1; }
visits=$(grep -c '"path": "/stat"' "$log")
(cd "$app" && exec "$WINE" Tavik.exe >/dev/null 2>&1) &
e2e_pid=$!
e2e_main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
[ -n "$e2e_main" ] || { echo "no window" >&2; exit 1; }
# The statistics visit ends the evaluation that shows the bar.
checked_again() { [ "$(grep -c '"path": "/stat"' "$log")" -gt "$visits" ]; }
e2e_wait_for 30 checked_again || { echo "the new start checks nothing" >&2; exit 1; }
sleep 1
click_bar

# Update.bat ends the old program, swaps the files and starts the new one.
swapped() { cmp -s "$app/Tavik.exe" "$site/Tavik.exe" && [ ! -e "$app/Tavik.old" ] && [ ! -e "$app/Update.bat" ]; }
e2e_wait_for 60 swapped || { echo "the program files were not swapped" >&2; ls -la "$app" >&2; exit 1; }
e2e_wait_for 30 running_again || { echo "the new program is not running" >&2; exit 1; }
[ ! -e "$app/Tavik.tmp" ] || { echo "the download was left behind" >&2; exit 1; }
echo "updated: Tavik.exe is the release ($release_crc) and runs"
