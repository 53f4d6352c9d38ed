#!/usr/bin/env bash
# Signed self-update end to end: a program built with the site owner's public key, against a
# loopback site whose owner signs with tavik-publish.
#   1. Whoever holds the site changes the owner's signed document (the CRC-32 of a changed
#      release; a minimum that closes every program), serves it unsigned, or signs it with
#      another key; or serves the owner's signed older release: the program shows no bar,
#      visits nothing (but for the owner's own document) and keeps running.
#   2. The owner's signed release: the program installs it and runs it.
#   3. The owner's signed minimum above the program's version: it is told so and closes.
# The key pair is made for the test with tavik-publish keygen in the build folder (never in
# the sources), and the program under test is built with its public half; the publisher is
# built natively beside it. Port: TAVIK_E2E_SIGNED_PORT, default 18764.
source "$(dirname "$0")/lib.sh" "$1" "$2"

fail() { echo "$*" >&2; exit 1; }
port=${TAVIK_E2E_SIGNED_PORT:-18764}
base="http://127.0.0.1:$port"

publisher_build="$e2e_build/e2e-publisher"
if [ ! -f "$publisher_build/CMakeCache.txt" ]; then
  env -u CC -u CXX cmake -S "$e2e_src" -B "$publisher_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$publisher_build" --target tavik-publish >/dev/null
publish="$publisher_build/tools/tavik-publish"

keys="$e2e_build/e2e-signing-key"
if [ ! -f "$keys/public.pem" ]; then
  rm -rf "$keys"
  mkdir -p "$keys"
  "$publish" keygen --private "$keys/private.pem" --public "$keys/public.pem" 2>/dev/null
  "$publish" keygen --private "$keys/other.pem" --public "$keys/other.pub.pem" 2>/dev/null
fi

site_build="$e2e_build/e2e-signed"
toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$e2e_build/CMakeCache.txt")
if [ ! -f "$site_build/CMakeCache.txt" ]; then
  cmake -S "$e2e_src" -B "$site_build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTAVIK_HOME_URL="$base/" -DTAVIK_BACKGROUND_TIMER_MS=2000 \
    -DTAVIK_UPDATE_PUBLIC_KEY="$keys/public.pem" >/dev/null
fi
cmake --build "$site_build" --target Tavik >/dev/null
app="$e2e_dir/app"
mkdir -p "$app"
cp "$site_build/Tavik.exe" "$app/Tavik.exe"

# The owner's release (the same program with a tail of its own) and its signed document.
site="$e2e_dir/site"
mkdir -p "$site"
e2e_release "$site_build/Tavik.exe" "$e2e_dir/genuine.exe" 0.5.2
e2e_release "$site_build/Tavik.exe" "$e2e_dir/older.exe" 0.5.0
{ cat "$e2e_dir/genuine.exe"; printf 'X'; } > "$e2e_dir/tampered.exe"
# sign RELEASE VERSION MIN KEY OUTPUT: the owner's publisher, as docs/publishing.md shows it.
sign() {
  rm -f "$5"
  "$publish" --release "$1" --version "$2" --min-version "$3" --home "$base/" \
    --url "$base/files/Tavik.exe" --statistic "$base/stat" --notes "e2e" ${4:+--sign-key "$4"} \
    --output "$5" 2>/dev/null || fail "tavik-publish did not publish $5"
}
sign "$e2e_dir/genuine.exe" 0.5.2 0.5 "$keys/private.pem" "$e2e_dir/signed.txt"
sign "$e2e_dir/genuine.exe" 0.5.2 0.5.2 "$keys/private.pem" "$e2e_dir/closing.txt"
sign "$e2e_dir/genuine.exe" 0.5.2 0.5.2 "" "$e2e_dir/unsigned.txt"
sign "$e2e_dir/genuine.exe" 0.5.2 0.5.2 "$keys/other.pem" "$e2e_dir/foreign.txt"
sign "$e2e_dir/older.exe" 0.5.0 0.5 "$keys/private.pem" "$e2e_dir/older.txt"
# What the site's new holder serves: the changed file, and the owner's document with only the
# CRC-32 put right (the signature cannot be).
python3 - "$e2e_dir/signed.txt" "$e2e_dir/tampered.exe" "$e2e_dir/forged.txt" "$e2e_dir/kill.txt" <<'EOF'
import base64, re, sys, zlib
doc = base64.b64decode(open(sys.argv[1]).read().swapcase()).decode("gbk")
assert "StableSig=" in doc and "DocSig=" in doc, doc
def write(path, pattern, value):
    text, n = re.subn(pattern, value, doc)
    assert n == 1, doc
    open(path, "w").write(base64.b64encode(text.encode("gbk")).decode().swapcase())
write(sys.argv[3], r"StableHash=[0-9A-F]{8};", "StableHash=%08X;" % zlib.crc32(open(sys.argv[2], "rb").read()))
write(sys.argv[4], r"MinVer=0\.5;", "MinVer=9.9;")
EOF
serve() { cp "$1" "$site/Tavik.exe"; cp "$2" "$site/update.txt"; }

log="$e2e_dir/requests.log"
python3 "$e2e_src/tests/online/server.py" --root "$site" --port "$port" --lifetime 250 --log "$log" > "$e2e_dir/port" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true; e2e_cleanup' EXIT
for _ in $(seq 50); do [ -s "$e2e_dir/port" ] && break; sleep 0.1; done
[ -s "$e2e_dir/port" ] || fail "the loopback server did not start on port $port"

logged() { [ -f "$log" ] || { echo 0; return; }; grep -c "$1" "$log" || true; }  # how many requests
downloaded() { [ "$(logged '"path": "/files/Tavik.exe"')" -ge "$1" ]; }
checks() { logged '"query": "type=update"'; }
checked() { [ "$(checks)" -ge "$1" ]; }
# A box of the program: a visible "Tavik" window other than the main one.
box_open() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Tavik$' 2>/dev/null); do
    [ "$w" != "$e2e_main" ] && return 0
  done
  return 1
}
# Clicks the one button of every open box, as a person does. (A Return sent with xdotool to
# one box also closed the next box the program opened soon after, so no keys here.)
click_ok() {
  local w X Y WIDTH HEIGHT SCREEN
  for w in $(xdotool search --onlyvisible --name '^Tavik$' 2>/dev/null); do
    [ "$w" = "$e2e_main" ] && continue
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 24)) click 1 2>/dev/null || true
  done
}
# True once no box has been open for a second; windows come and go while a box opens.
answer_box() {
  click_ok
  sleep 0.5
  ! box_open && sleep 0.5 && ! box_open
}
start_program() {
  (cd "$app" && exec "$WINE" Tavik.exe >/dev/null 2>&1) &
  e2e_pid=$!
  e2e_main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
  [ -n "$e2e_main" ] || fail "the program did not start"
}
# Accepts the notes until the download has begun (only until then, so the box that may follow
# the download is left alone).
accept_notes() {
  downloaded "$1" && return 0
  click_ok
  return 1
}
# click_announcement CHECKS DOWNLOADS: once the site has seen CHECKS checks, clicks the bar
# (left 1, top 77, 22 high), accepts the notes, and waits for download number DOWNLOADS.
click_announcement() {
  e2e_wait_for 30 checked "$1" || fail "no update check reached the site"
  sleep 1.5
  eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
  xdotool mousemove $((X + 40)) $((Y + 88)) click 1
  e2e_wait_for 10 box_open || fail "no notes box after the click"
  e2e_wait_for 20 accept_notes "$2" || fail "no download after the notes"
}

visits() { logged '"path": "/stat"'; }
# No notes box after a click where the bar would be: there is no bar.
no_bar() {
  eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
  xdotool mousemove $((X + 40)) $((Y + 88)) click 1
  sleep 1.5
  ! box_open
}

close_program() {
  xdotool mousemove --window "$e2e_main" 225 10 click 1
  for _ in $(seq 50); do kill -0 "$e2e_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$e2e_pid" 2>/dev/null && fail "the program did not end on its close button"
  wait "$e2e_pid" 2>/dev/null || true
}

# 1. Documents the owner did not sign as they stand, and the owner's older release: each read
# at the first check after a start (later ones come hours apart).
for doc in forged kill unsigned foreign older; do
  serve "$e2e_dir/tampered.exe" "$e2e_dir/$doc.txt"
  seen=$(checks)
  stats=$(visits)
  start_program
  e2e_wait_for 30 checked $((seen + 1)) || fail "$doc: no update check reached the site"
  sleep 1.5
  no_bar || fail "$doc: a bar was shown"
  if [ "$doc" = older ]; then
    [ "$(visits)" -gt "$stats" ] || fail "older: the owner's signed document was not read (no visit)"
  else
    [ "$(visits)" = "$stats" ] || fail "$doc: the statistics page was visited"
  fi
  kill -0 "$e2e_pid" 2>/dev/null || fail "$doc: the program ended"
  downloaded 1 && fail "$doc: a release was downloaded"
  close_program
  echo "ignored: $doc"
done
cmp -s "$app/Tavik.exe" "$site_build/Tavik.exe" || fail "the program file was replaced"

# 2. The owner's signed release: installed and running.
serve "$e2e_dir/genuine.exe" "$e2e_dir/signed.txt"
seen=$(checks)
start_program
click_announcement $((seen + 1)) 1
swapped() { cmp -s "$app/Tavik.exe" "$e2e_dir/genuine.exe" && [ ! -e "$app/Tavik.old" ] && [ ! -e "$app/Update.bat" ]; }
e2e_wait_for 60 swapped || { ls -la "$app" >&2; fail "the signed release was not swapped in"; }
running_again() { xdotool search --onlyvisible --name '^Tavik$' >/dev/null 2>&1; }
e2e_wait_for 30 running_again || fail "the signed release is not running"
[ ! -e "$app/Tavik.tmp" ] || fail "the download was left behind"
echo "installed: the signed release replaced Tavik.exe and runs"

# 3. The owner's minimum above this version: the box, then the program ends.
for w in $(xdotool search --onlyvisible --name '^Tavik$' 2>/dev/null); do
  xdotool mousemove --window "$w" 225 10 click 1
done
sleep 2
cp "$site_build/Tavik.exe" "$app/Tavik.exe"
serve "$e2e_dir/genuine.exe" "$e2e_dir/closing.txt"
start_program
e2e_wait_for 30 box_open || fail "no box for a version below the signed minimum"
e2e_wait_for 10 answer_box || fail "the too-old box could not be answered"
for _ in $(seq 100); do kill -0 "$e2e_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$e2e_pid" 2>/dev/null && fail "the program did not close below the signed minimum"
echo "closed: the owner's signed minimum above the running version"
