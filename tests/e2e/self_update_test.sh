#!/usr/bin/env bash
# Self-update end to end: a program built against a loopback site announces a release in its
# bar, a click downloads it, Update.bat swaps the program files under wine's command
# interpreter, and the new program runs from Tavik.exe afterwards.
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
{ cat "$e2e_site_exe"; printf 'release 0.5.2'; } > "$site/Tavik.exe"
release_crc=$(python3 -c 'import sys, zlib; print("%08X" % zlib.crc32(open(sys.argv[1], "rb").read()))' "$site/Tavik.exe")
base="http://127.0.0.1:$port"
doc="Home=$base/;Statistic=$base/stat;MinVer=0.5;StableVer=0.5.2;StableUrl=$base/files/Tavik.exe;StableHash=$release_crc;StableTips=e2e/notes;"
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

# A click on the bar (left 1, top 77, 22 high), then the notes box is accepted.
eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
xdotool mousemove $((X + 40)) $((Y + 88)) click 1
e2e_wait_for 30 e2e_accept_box || { echo "no notes box after the click" >&2; exit 1; }
e2e_wait_for 20 logged '"path": "/files/Tavik.exe"' || { echo "no download" >&2; exit 1; }

# Update.bat ends the old program, swaps the files and starts the new one.
swapped() { cmp -s "$app/Tavik.exe" "$site/Tavik.exe" && [ ! -e "$app/Tavik.old" ] && [ ! -e "$app/Update.bat" ]; }
e2e_wait_for 60 swapped || { echo "the program files were not swapped" >&2; ls -la "$app" >&2; exit 1; }
running_again() { xdotool search --onlyvisible --name '^Tavik$' >/dev/null 2>&1; }
e2e_wait_for 30 running_again || { echo "the new program is not running" >&2; exit 1; }
[ ! -e "$app/Tavik.tmp" ] || { echo "the download was left behind" >&2; exit 1; }
echo "updated: Tavik.exe is the release ($release_crc) and runs"
