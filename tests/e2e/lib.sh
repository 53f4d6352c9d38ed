# Shared by the end-to-end scripts: a private copy of the program in a fresh folder, started
# under wine on the display the test run provides.
# Usage: source lib.sh <Tavik.exe> <source dir>
set -euo pipefail
e2e_exe=$1
e2e_src=$2
e2e_build=$(cd "$(dirname "$e2e_exe")" && pwd)
source "$e2e_src/scripts/wine-env.sh" "$e2e_build"
tavik_wine_prefix
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "no display" >&2
  exit 77
fi
e2e_dir=$(mktemp -d "$e2e_build/e2e.XXXXXX")
cp "$e2e_exe" "$e2e_dir/Tavik.exe"
e2e_pid=""

e2e_cleanup() {
  if [ -n "$e2e_pid" ]; then kill "$e2e_pid" 2>/dev/null || true; fi
  # End only our own copy of the program.
  for w in $(xdotool search --name '^Tavik$' 2>/dev/null); do xdotool windowkill "$w" 2>/dev/null || true; done
  rm -rf "$e2e_dir"
}
trap e2e_cleanup EXIT

# Starts the copy (extra environment may be given, e.g. FAKETIME=...) and waits for its window.
e2e_start() {
  (cd "$e2e_dir" && env "$@" "$WINE" Tavik.exe >/dev/null 2>&1) &
  e2e_pid=$!
  e2e_main=$(xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
}

# e2e_at MOMENT COMMAND...: COMMAND with the program's wall clock starting at MOMENT.
e2e_at() { tavik_at "$e2e_exe" "$@"; }

# The same with the wall clock at a given moment ("2026-12-09 12:34:00"; only the wall clock
# is faked), so that no task of the test falls due while it runs, whatever the time of day.
e2e_start_at() {
  local at=$1
  (cd "$e2e_dir" && e2e_at "$at" "$WINE" Tavik.exe >/dev/null 2>&1) &
  e2e_pid=$!
  e2e_main=$(xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
}

e2e_shot() { import -window root "$1"; }

# A task's stored record, as the program saves it, and a data file of such records.
cfg="$e2e_dir/Tavik.cfg"
record() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | base64 -w0 | tr 'A-Za-z' 'a-zA-Z'; printf ','; }
stored() { printf '[Data]\r\nData=%s\r\n' "$1" >"$cfg"; }

# Closes the program with the panel's close button, as a person does, and waits for it to end.
# A window that was still going away over the button (a Notepad just ended) can take the
# first click: the button is clicked once more before the program counts as not ending.
close_program() {
  local attempt
  for attempt in 1 2; do
    xdotool mousemove --window "$e2e_main" 225 10 click 1
    for _ in $(seq 50); do kill -0 "$e2e_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$e2e_pid" 2>/dev/null || break
  done
  if kill -0 "$e2e_pid" 2>/dev/null; then
    echo "FAIL: the program did not end on its close button" >&2
    exit 1
  fi
  wait "$e2e_pid" 2>/dev/null || true
  e2e_pid=""
}

# Types a text into the focused text box and reads it back through the clipboard (the box's
# text up to the caret, copied with Ctrl+C); when wine lost a character of the typing (see
# tavik_type in scripts/wine-env.sh) the box is cleared and the text typed again, up to three
# times. That is the harness typing, not the program: what the program saves is checked apart.
e2e_type_checked() {
  local text=$1 attempt got
  for attempt in 1 2 3; do
    tavik_type "$text"
    xdotool key ctrl+shift+Home ctrl+c
    sleep 0.3
    got=$(xclip -o -selection clipboard 2>/dev/null || true)
    xdotool key ctrl+End
    [ "$got" = "$text" ] && return 0
    echo "typed \"$text\", the box holds \"$got\" (try $attempt of 3)" >&2
    xdotool key ctrl+shift+Home Delete
  done
  return 1
}

# The loopback port of the tests that need a site. The program has it compiled in, so it is
# fixed for a build folder, and taken from the folder's name, so that the builds of several
# work trees on one machine do not meet on one port (TAVIK_E2E_PORT sets it). Waits up to
# a minute for the port to be free: another test may still be ending there.
e2e_site_port() {
  local port=${TAVIK_E2E_PORT:-$((18700 + $(printf '%s' "$e2e_build" | cksum | cut -d' ' -f1) % 800))}
  python3 - "$port" <<'PY' >&2 || true
import socket, sys, time
for _ in range(120):
    try:
        with socket.socket() as s:  # a listener takes it; connections ending there do not
            s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            s.bind(("127.0.0.1", int(sys.argv[1])))
        break
    except OSError:
        time.sleep(0.5)
else:
    print(f"port {sys.argv[1]} is still taken", file=sys.stderr)
PY
  echo "$port"
}

# A program built against a loopback site at http://127.0.0.1:PORT/ with a two-second
# background timer, so its first update check comes at once instead of after ten minutes.
# The home address is compiled in, so this is a second build beside the one under test; the
# tests that use it share it. Sets e2e_site_exe.
e2e_site_program() {
  local port=$1 site_build="$e2e_build/e2e-update-$1" toolchain
  toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$e2e_build/CMakeCache.txt")
  if [ ! -f "$site_build/CMakeCache.txt" ]; then
    cmake -S "$e2e_src" -B "$site_build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTAVIK_HOME_URL="http://127.0.0.1:$1/" \
      -DTAVIK_BACKGROUND_TIMER_MS=2000 >/dev/null
  fi
  cmake --build "$site_build" --target Tavik >/dev/null
  e2e_site_exe="$site_build/Tavik.exe"
}

# wait_for SECONDS COMMAND...: true once COMMAND succeeds
e2e_wait_for() {
  local until=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -ge $until ] && return 1; sleep 0.5; done
}

# Answers a box of the program with Return: a visible "Tavik" window other than the main one.
# Windows come and go while a box opens, so a key sent to one that vanished is tried again.
e2e_accept_box() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Tavik$' 2>/dev/null); do
    [ "$w" = "$e2e_main" ] && continue
    xdotool key --window "$w" Return 2>/dev/null && return 0
  done
  return 1
}

# The project's version, and the versions just after and just before it with as many
# characters (what e2e_release can write into the program): 0.5.1 gives 0.5.2 and 0.5.0,
# 0.6.0 gives 0.6.1 and 0.5.9.
e2e_version=$(sed -n 's/^project(Tavik VERSION \([0-9.]*\).*/\1/p' "$e2e_src/CMakeLists.txt")
e2e_version_step() {  # +1 or -1
  python3 - "$e2e_version" "$1" <<'PYEOF'
import sys
parts, step = sys.argv[1].split("."), int(sys.argv[2])
for i in reversed(range(len(parts))):
    width, n = len(parts[i]), int(parts[i]) + step
    if 0 <= n < 10 ** width:
        parts[i] = str(n).zfill(width)
        break
    parts[i] = ("0" if step > 0 else "9") * width  # carry into the part before
else:
    sys.exit("no version of the same length is " + ("after" if step > 0 else "before") + " " + sys.argv[1])
print(".".join(parts))
PYEOF
}
e2e_version_after=$(e2e_version_step 1)
e2e_version_before=$(e2e_version_step -1)

# e2e_release SRC DST VERSION: the program SRC as the release VERSION (of the same length as
# the project's version): every UTF-16 text of its own version, the version resource's and
# the program's, says VERSION, and a tail of its own makes the file differ from SRC.
e2e_release() {
  python3 - "$1" "$2" "$3" "$e2e_version" <<'PYEOF'
import sys
src, dst, new, old = sys.argv[1:5]
assert len(new) == len(old), (new, old)
data = open(src, "rb").read()
stamped = data.replace(old.encode("utf-16-le"), new.encode("utf-16-le"))
assert stamped != data
open(dst, "wb").write(stamped + b"release " + new.encode())
PYEOF
}
