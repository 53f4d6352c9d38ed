# Shared by the end-to-end update scripts (sourced after lib.sh): the owner's publisher and
# keys, a program built with the owner's public key against a loopback site, the site's server
# and what a person does with the program's bar and boxes.
# Needs: port, base ("http://127.0.0.1:$port"), app (the program's folder) and fail().

log="$e2e_dir/requests.log"

publisher_build="$e2e_build/e2e-publisher"
if [ ! -f "$publisher_build/CMakeCache.txt" ]; then
  env -u CC -u CXX cmake -S "$e2e_src" -B "$publisher_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$publisher_build" --target tavik-publish >/dev/null
publish="$publisher_build/tools/tavik-publish"

keys="$e2e_build/e2e-signing-key"
# Made again whole when any of them is missing (a build folder kept from before a key was added).
if [ ! -f "$keys/public.pem" ] || [ ! -f "$keys/other.pub.pem" ]; then
  rm -rf "$keys"
  mkdir -p "$keys"
  "$publish" keygen --private "$keys/private.pem" --public "$keys/public.pem" 2>/dev/null
  "$publish" keygen --private "$keys/other.pem" --public "$keys/other.pub.pem" 2>/dev/null
fi

signed_build="$e2e_build/e2e-signed"
toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$e2e_build/CMakeCache.txt")
if [ ! -f "$signed_build/CMakeCache.txt" ]; then
  cmake -S "$e2e_src" -B "$signed_build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTAVIK_HOME_URL="$base/" -DTAVIK_BACKGROUND_TIMER_MS=2000 \
    -DTAVIK_UPDATE_PUBLIC_KEY="$keys/public.pem" >/dev/null
fi
cmake --build "$signed_build" --target Tavik >/dev/null

# e2e_serve_site DIR: the loopback site serving DIR (the document as DIR/update.txt, releases
# under /files/), logging every request to $log; stopped with the test.
e2e_serve_site() {
  python3 "$e2e_src/tests/online/server.py" --root "$1" --port "$port" --lifetime 250 --log "$log" > "$e2e_dir/port" &
  server_pid=$!
  trap 'kill $server_pid 2>/dev/null || true; e2e_cleanup' EXIT
  for _ in $(seq 50); do [ -s "$e2e_dir/port" ] && break; sleep 0.1; done
  [ -s "$e2e_dir/port" ] || fail "the loopback server did not start on port $port"
}

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

