#!/usr/bin/env bash
# A site owner publishes from a static host, as docs/publishing.md says: the Windows publisher
# writes update.txt and the server rules beside it, the folder is served as it is by a real
# nginx (with the rules included), a real Apache (reading the .htaccess) and by a plain file
# server that allows no rules (the document is the home folder's index.html). Against each,
# the real program announces the release, installs it, and the new program runs.
source "$(dirname "$0")/lib.sh" "$1" "$2"

# TAVIK_STATIC_HOSTS picks some of them, e.g. "nginx plain".
kinds=()
command -v nginx >/dev/null && kinds+=(nginx)
command -v apache2 >/dev/null && kinds+=(apache)
kinds+=(plain)
if [ -n "${TAVIK_STATIC_HOSTS:-}" ]; then read -r -a kinds <<<"$TAVIK_STATIC_HOSTS"; fi

port=$(e2e_site_port)
home="http://127.0.0.1:$port/"
e2e_site_program "$port"
cmake --build "$e2e_build" --target tavik-publish >/dev/null
publisher="$e2e_build/tavik-publish.exe"

# The release: the same program with a tail of its own, so the two files differ.
release="$e2e_dir/release.exe"
e2e_release "$e2e_site_exe" "$release" $e2e_version_after

# publish SITE DOCUMENT: what the owner runs in the folder that goes on the host.
publish() {
  mkdir -p "$1"
  cp "$release" "$1/Tavik.exe"
  printf '<html><body>统计</body></html>' > "$1/stat.html"
  (cd "$1" && "$WINE" "$publisher" --release Tavik.exe --version $e2e_version_after --min-version 0.5 \
     --home "$home" --statistic "${home}stat.html" --notes "喝水的提醒更准时
开会前五分钟也会提醒" --output "$2") >"$1.publish.log" 2>&1 </dev/null \
    || { cat "$1.publish.log" >&2; echo "the publisher failed" >&2; exit 1; }
}
# With rules: a real home page stays at the home address.
publish "$e2e_dir/site" update.txt
printf '<html><body>Tavik 的主页</body></html>' > "$e2e_dir/site/index.html"
for f in update.txt .htaccess tavik-nginx.conf; do
  [ -s "$e2e_dir/site/$f" ] || { echo "the publisher wrote no $f" >&2; exit 1; }
done
# Without rules: the home folder's index is the document itself.
publish "$e2e_dir/site-plain" index.html

server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  server_pid=""
}
trap 'stop_server; e2e_cleanup' EXIT
end_programs() {
  for w in $(xdotool search --name '^Tavik$' 2>/dev/null); do xdotool windowkill "$w" 2>/dev/null || true; done
  if [ -n "$e2e_pid" ]; then wait "$e2e_pid" 2>/dev/null || true; fi
  e2e_pid=""
  sleep 1
}

for kind in "${kinds[@]}"; do
  site="$e2e_dir/site"
  [ "$kind" = plain ] && site="$e2e_dir/site-plain"
  log="$e2e_dir/$kind.log"
  python3 "$e2e_src/tests/online/static_host.py" --kind "$kind" --root "$site" --port "$port" \
    --rules "$site/tavik-nginx.conf" --lifetime 150 --log "$log" > "$e2e_dir/$kind.port" &
  server_pid=$!
  e2e_wait_for 15 test -s "$e2e_dir/$kind.port" || { echo "$kind did not start on port $port" >&2; exit 1; }
  logged() { grep -q "$1" "$log"; }
  if [ "$kind" != plain ]; then
    home_page=$(python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' "$home")
    [ "$home_page" = '<html><body>Tavik 的主页</body></html>' ] || { echo "$kind: the home page changed: $home_page" >&2; exit 1; }
  fi

  app="$e2e_dir/app-$kind"
  mkdir -p "$app"
  cp "$e2e_site_exe" "$app/Tavik.exe"
  (cd "$app" && exec "$WINE" Tavik.exe >/dev/null 2>&1) &
  e2e_pid=$!
  e2e_main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
  [ -n "$e2e_main" ] || { echo "$kind: the program did not start" >&2; exit 1; }
  e2e_wait_for 30 logged '^GET /?type=update 200$' || { echo "$kind: no update check answered" >&2; cat "$log" >&2; exit 1; }
  e2e_wait_for 20 logged "^GET /stat.html?ver=$e2e_version 200\$" || { echo "$kind: no statistics visit" >&2; cat "$log" >&2; exit 1; }
  sleep 1
  e2e_shot "$e2e_build/static-host-$kind.png"

  # The bar (left 1, top 77, 22 high) announces the release: its yellow, not the clock's red.
  eval "$(xdotool getwindowgeometry --shell "$e2e_main")"
  bar=$(import -window root -crop "1x1+$((X + 150))+$((Y + 80))" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n 1)
  case "$bar" in
    \#F[0-9A-F]F[0-9A-F][0-9A-D]*) ;;
    *) echo "$kind: no release announced in the bar (colour $bar)" >&2; exit 1 ;;
  esac

  # A person clicks again when nothing happens: under wine a click right after the pointer
  # arrives, or after an earlier program's windows went, is now and then not delivered. A
  # click while the box is open falls on the disabled window and does nothing.
  noted=""
  for try in 1 2 3; do
    xdotool mousemove $((X + 40)) $((Y + 88)) sleep 0.3 click 1
    if e2e_wait_for 10 e2e_accept_box; then noted=1; break; fi
    echo "$kind: no notes box after click $try, clicking again" >&2
  done
  [ -n "$noted" ] || { echo "$kind: no notes box after three clicks" >&2; exit 1; }
  e2e_wait_for 20 logged '^GET /Tavik.exe 200$' || { echo "$kind: no download" >&2; cat "$log" >&2; exit 1; }
  swapped() { cmp -s "$app/Tavik.exe" "$release" && [ ! -e "$app/Tavik.old" ] && [ ! -e "$app/Update.bat" ]; }
  e2e_wait_for 60 swapped || { echo "$kind: the program files were not swapped" >&2; ls -la "$app" >&2; exit 1; }
  running_again() { xdotool search --onlyvisible --name '^Tavik$' >/dev/null 2>&1; }
  e2e_wait_for 30 running_again || { echo "$kind: the new program is not running" >&2; exit 1; }
  echo "$kind: announced, downloaded and installed; the new program runs"
  end_programs
  stop_server
done
echo "ok: ${kinds[*]}"
