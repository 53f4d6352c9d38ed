# Sourced by the scripts that run Windows code: wine's environment for one build directory.
# Usage: source scripts/wine-env.sh <build dir>

tavik_build_dir=$(cd "$1" && pwd)
tavik_src_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# TAVIK_WINEPREFIX: another prefix for the same build (the screenshots at other resolutions).
export WINEPREFIX="${TAVIK_WINEPREFIX:-$tavik_build_dir/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=d"
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

# Creates the prefix once: Chinese and Latin fonts mapped, no window manager expected.
tavik_wine_prefix() {
  if [ -f "$WINEPREFIX/.tavik-ready" ]; then tavik_wine_fonts; return 0; fi
  (
    flock 9
    [ -f "$WINEPREFIX/.tavik-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    local reg="$WINEPREFIX/tavik.reg"
    {
      printf 'Windows Registry Editor Version 5.00\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
      printf '"微软雅黑"="WenQuanYi Micro Hei"\r\n'
      printf '"Microsoft YaHei"="WenQuanYi Micro Hei"\r\n'
      printf '"Arial"="WenQuanYi Micro Hei"\r\n\r\n'
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
      printf '"Managed"="N"\r\n'
      printf '"Decorated"="N"\r\n\r\n'
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
    "$WINE" regedit /S "$(winepath_of "$reg")" >/dev/null 2>&1
    "$WINESERVER" -w
    tavik_wine_fonts
    touch "$WINEPREFIX/.tavik-ready"
  ) 9>"$WINEPREFIX.lock"
}

# Wine draws the caption's close box and the scroll arrows as Marlett glyphs; a prefix without
# that font shows the letters behind them ("r" for the close box). Wine's own Marlett, put in
# the prefix's font folder, is found at the next start.
tavik_marlett=/usr/share/wine/fonts/marlett.ttf
tavik_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -f "$fonts/marlett.ttf" ] || [ ! -f "$tavik_marlett" ] || { mkdir -p "$fonts" && cp "$tavik_marlett" "$fonts/"; }
}

winepath_of() { echo "Z:${1//\//\\}"; }

# A persistent server with wine's services already up, so each program starts in ~0.1 s.
tavik_wine_start() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  "$WINESERVER" -p
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

tavik_wine_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
}

# Reuses $DISPLAY, or starts a virtual one (stopped by tavik_display_stop) of TAVIK_SCREEN pixels.
tavik_display() {
  tavik_xvfb_pid=""
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${TAVIK_SCREEN:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
  tavik_xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}

tavik_display_stop() {
  if [ -n "${tavik_xvfb_pid:-}" ]; then kill "$tavik_xvfb_pid" 2>/dev/null || true; fi
}

# True when a Windows program is a 32-bit one (its PE header names the i386 machine).
tavik_is_32bit() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ "$(od -An -tx1 -j$((pe + 4)) -N2 "$1" | tr -d ' ')" = "4c01" ]
}

# tavik_at EXE MOMENT COMMAND...: replaces the shell with COMMAND (wine and EXE), the
# program's wall clock starting at MOMENT ("2026-12-09 08:29:50", local time). Only the wall
# clock moves; waits and timers stay real. libfaketime serves a 64-bit program. Wine's 32-bit
# half reads the time through glibc's 64-bit-time functions, which that library leaves alone
# (and its shared state, made first by the 64-bit loader, stalls the 32-bit one), so a 32-bit
# program gets tests/tools/clock_shift.c instead, built into the build folder on first use;
# its clock is at MOMENT when this runs, in every process wine starts for it.
tavik_at() {
  local exe=$1 at=$2
  shift 2
  if tavik_is_32bit "$exe"; then
    local so
    so=$(tavik_clock_shift) || { echo "the 32-bit clock shift could not be built" >&2; exit 1; }
    exec env FAKETIME="@$at" TAVIK_CLOCK_ANCHOR="$(date +%s%N)" LD_PRELOAD="$so" "$@"
  fi
  exec env FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "@$at" "$@"
}

tavik_clock_shift() {
  local so="$tavik_build_dir/clock_shift32.so" source="$tavik_src_dir/tests/tools/clock_shift.c"
  (
    flock 9
    if [ ! -f "$so" ] || [ "$source" -nt "$so" ]; then
      gcc -m32 -shared -fPIC -O2 -o "$so.tmp" "$source" -ldl && mv -f "$so.tmp" "$so"
    fi
  ) 9>"$so.lock" >&2 || return 1
  echo "$so"
}

# Types a text into the focused window. xdotool types a character the keyboard map lacks
# (every Chinese one) by mapping it to a spare key and mapping that key back at once; wine
# reads the map when it hears of the change, and on a busy machine that can be after the key
# was mapped back: the character goes missing. A character at a time with a pause after each
# such one makes that rare; e2e_type_checked in tests/e2e/lib.sh also reads the text back.
tavik_type() {
  local text=$1 i c
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    xdotool type --delay 20 -- "$c"
    [[ $c == [[:ascii:]] ]] || sleep 0.15
  done
}
