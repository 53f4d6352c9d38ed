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

source "$(dirname "$0")/update_lib.sh"
site_build=$signed_build
app="$e2e_dir/app"
mkdir -p "$app"
cp "$site_build/Tavik.exe" "$app/Tavik.exe"

# The owner's release (the same program with a tail of its own) and its signed document.
site="$e2e_dir/site"
mkdir -p "$site"
e2e_release "$site_build/Tavik.exe" "$e2e_dir/genuine.exe" $e2e_version_after
e2e_release "$site_build/Tavik.exe" "$e2e_dir/older.exe" $e2e_version_before
{ cat "$e2e_dir/genuine.exe"; printf 'X'; } > "$e2e_dir/tampered.exe"
# sign RELEASE VERSION MIN KEY OUTPUT: the owner's publisher, as docs/publishing.md shows it.
sign() {
  rm -f "$5"
  "$publish" --release "$1" --version "$2" --min-version "$3" --home "$base/" \
    --url "$base/files/Tavik.exe" --statistic "$base/stat" --notes "e2e" ${4:+--sign-key "$4"} \
    --output "$5" 2>/dev/null || fail "tavik-publish did not publish $5"
}
sign "$e2e_dir/genuine.exe" $e2e_version_after 0.5 "$keys/private.pem" "$e2e_dir/signed.txt"
sign "$e2e_dir/genuine.exe" $e2e_version_after $e2e_version_after "$keys/private.pem" "$e2e_dir/closing.txt"
sign "$e2e_dir/genuine.exe" $e2e_version_after $e2e_version_after "" "$e2e_dir/unsigned.txt"
sign "$e2e_dir/genuine.exe" $e2e_version_after $e2e_version_after "$keys/other.pem" "$e2e_dir/foreign.txt"
sign "$e2e_dir/older.exe" $e2e_version_before 0.5 "$keys/private.pem" "$e2e_dir/older.txt"
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

e2e_serve_site "$site"

visits() { logged '"path": "/stat"'; }
# No notes box after a click where the bar would be: there is no bar.
no_bar() {
  eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
  xdotool mousemove $((X + 40)) $((Y + 88)) click 1
  sleep 1.5
  ! box_open
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
