#!/usr/bin/env bash
# A task due in the next minute, written into Tavik.cfg: the real popup slides in and the alert
# sound is heard on a private sound server while it rings, and is gone after "关闭".
# Set TAVIK_SHOT_DIR to keep screenshots of the main window and the popup there (the README's
# pictures come from scripts/screenshots.sh).
source "$(dirname "$0")/lib.sh" "$1" "$2"

for tool in pulseaudio pactl parec sox faketime; do
  command -v "$tool" >/dev/null || { echo "no $tool" >&2; exit 77; }
done

# A private sound server with a null sink whose monitor we record.
sound="$e2e_dir/sound"
mkdir -p "$sound/runtime"
export XDG_RUNTIME_DIR="$sound/runtime" PULSE_SERVER="unix:$sound/native"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --use-pid-file=no \
  -L "module-native-protocol-unix socket=$sound/native auth-anonymous=1" \
  -L "module-null-sink sink_name=tavik_e2e" -L module-always-sink >"$sound/server.log" 2>&1 &
pulse_pid=$!
stop_pulse() { kill "$pulse_pid" 2>/dev/null || true; wait "$pulse_pid" 2>/dev/null || true; }
trap 'stop_pulse; e2e_cleanup' EXIT
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
if ! pactl info >/dev/null 2>&1; then
  echo "the sound server did not start" >&2
  cat "$sound/server.log" >&2
  exit 77
fi
pactl set-default-sink tavik_e2e

# One task at 08:30, no repeat; the clock starts at 08:29:50.
record=$(printf '08:30;不循环;喝水' | iconv -f UTF-8 -t GBK | base64 -w0 | tr 'a-zA-Z' 'A-Za-z')
printf '[Data]\r\nData=%s,\r\n' "$record" >"$e2e_dir/Tavik.cfg"
(cd "$e2e_dir" && e2e_at "2026-12-09 08:29:50" "$WINE" Tavik.exe >/dev/null 2>&1) &
e2e_pid=$!
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tavik$' | head -n 1)
[ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
if [ -n "${TAVIK_SHOT_DIR:-}" ]; then
  sleep 1
  import -window root -crop 242x391+391+188 "$TAVIK_SHOT_DIR/main-window.png"
fi

popup=$(timeout 40 xdotool search --sync --onlyvisible --name '^提醒$' | head -n 1)
[ -n "$popup" ] || { echo "the popup did not appear" >&2; exit 1; }
sleep 3  # the slide, then the null sink runs about two seconds ahead

record_sink() {  # file seconds
  parec -d tavik_e2e.monitor --file-format=wav "$1" &
  local rec=$!
  sleep "$2"
  kill "$rec"
  wait "$rec" 2>/dev/null || true
}
record_sink "$sound/ringing.wav" 3
if [ -n "${TAVIK_SHOT_DIR:-}" ]; then
  import -window root "$TAVIK_SHOT_DIR/screen-with-popup.png"
  eval "$(xdotool getwindowgeometry --shell "$popup")"
  import -window root -crop "272x194+$X+$Y" "$TAVIK_SHOT_DIR/popup.png"
fi

# "关闭" sits at 184,160 inside the popup, 73 x 25.
xdotool mousemove --window "$popup" 220 172 click 1
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^提醒$' >/dev/null 2>&1 || break
  sleep 0.1
done
if xdotool search --onlyvisible --name '^提醒$' >/dev/null 2>&1; then
  echo "the popup is still there after 关闭" >&2
  exit 1
fi
sleep 2.5
record_sink "$sound/after.wav" 3

level() {  # file field: "RMS" or "Maximum" amplitude
  sox "$1" -n stat 2>&1 | awk -v f="$2" '$0 ~ "^" f " +amplitude" { print $NF }'
}
ring_rms=$(level "$sound/ringing.wav" RMS)
ring_peak=$(level "$sound/ringing.wav" Maximum)
after_peak=$(level "$sound/after.wav" Maximum)
echo "ringing: RMS $ring_rms, peak $ring_peak; after 关闭: peak $after_peak"
awk -v r="$ring_rms" -v a="$after_peak" 'BEGIN { exit !(r > 0.02 && a < 0.001) }' || {
  echo "expected the chime while ringing and silence after the close" >&2
  exit 1
}
# The program goes on after the popup: the task is marked in its row.
kill -0 "$e2e_pid"
