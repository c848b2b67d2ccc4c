#!/usr/bin/env bash
# Runs the window program under a virtual X server with the Ostrel stand-in
# installed in a private home, clicks "Start Import" and checks that the
# stand-in received the hand-off and that the program quit afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=()
for tool in xvfb-run xdotool; do command -v "$tool" >/dev/null || missing+=("$tool"); done
if [ ${#missing[@]} -gt 0 ]; then apt-get update && apt-get install -y xvfb xauth xdotool; fi
bash scripts/build.sh

home="$PWD/build/window-home"
rm -rf "$home" && mkdir -p "$home"
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
export OSTREL_STANDIN_LOG="$home/received.log" QT_QPA_PLATFORM=xcb
build/bin/ostrel-standin --install "$XDG_DATA_HOME" --version 1.10.4 >/dev/null

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  build/bin/notes-import > "$0/app.log" 2>&1 &
  pid=$!
  for _ in $(seq 1 50); do wid=$(xdotool search --name "Notes Import" | head -1 || true); [ -n "$wid" ] && break; sleep 0.2; done
  [ -n "$wid" ] || { echo "The window did not appear." >&2; exit 1; }
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  # The start button sits in the bottom right corner (no window manager here).
  xdotool mousemove $((X + WIDTH - 52)) $((Y + HEIGHT - 22)) click 1
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
  if kill -0 $pid 2>/dev/null; then kill $pid; echo "The program did not quit after the hand-off." >&2; exit 1; fi
' "$home"

[ -s "$OSTREL_STANDIN_LOG" ] || { echo "The Ostrel stand-in did not receive the hand-off." >&2; exit 1; }
echo "Ostrel received: $(tail -n 1 "$OSTREL_STANDIN_LOG")"
