#!/usr/bin/env bash
# Sets up, builds, installs the Ostrel stand-in into a private data directory
# and runs the whole import of the bundled sample Notes folder (a Notes
# database made by our generator): export into the shared container, then
# the hand-off to the stand-in, which checks it.
# With an argument, exports into that folder instead of the shared container.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh

home="$PWD/build/sample-home"
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
export OSTREL_STANDIN_LOG="$home/received.log"
# A runtime folder of their own, as a desktop session gives one (Qt looks
# there and warns when there is none, as for root in a plain shell).
export XDG_RUNTIME_DIR="$home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
rm -f "$OSTREL_STANDIN_LOG"
build/bin/ostrel-standin --install "$XDG_DATA_HOME" --version 1.10.4

arguments=(--library build/share/notes-import/SampleNotesContainer)
if [ $# -gt 0 ]; then arguments+=(--destination "$1"); fi
if [ $# -eq 0 ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  echo "Opening the window; press \"Start Import\" to import the sample library"
  build/bin/notes-import
else
  echo "No display (or a destination was given): running notes-export instead of the window"
  build/bin/notes-export "${arguments[@]}"
fi

# The stand-in runs on its own; it records the URL once it has checked it.
for _ in $(seq 1 100); do
  [ -s "$OSTREL_STANDIN_LOG" ] && break
  sleep 0.1
done
if [ ! -s "$OSTREL_STANDIN_LOG" ]; then
  echo "The Ostrel stand-in did not receive the hand-off." >&2
  exit 1
fi
received="$(tail -n 1 "$OSTREL_STANDIN_LOG")"
echo "Ostrel received: $received"
OSTREL_STANDIN_LOG= build/bin/ostrel-standin "$received" >/dev/null
echo "The hand-off checks out."
