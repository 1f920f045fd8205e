#!/usr/bin/env bash
# Starts the viewer on the current DISPLAY, waits for its first frame, saves
# a screenshot of its window as a PNG and ends the viewer.
# Usage: scripts/screenshot.sh [program] [output.png] [keys]
# Keys (for example "wwwwaq") are pressed one at a time first, each waiting
# for the frame it causes.
set -euo pipefail

program="${1:-build/interior_mapping}"
output="${2:-build/screenshot.png}"
keys="${3:-}"
logs=$(mktemp -d)

: >"$logs/stdout"
"$program" >>"$logs/stdout" 2>"$logs/stderr" &
viewer=$!
cleanup() {
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  rm -rf "$logs"
}
trap cleanup EXIT

# Waits until the viewer has begun at least $1 frames (one "using a shader"
# line each), or fails if it ends first or takes longer than a minute.
wait_for_frames() {
  local deadline=$((SECONDS + 60))
  while [ "$(grep -c '^using a shader$' "$logs/stdout" || true)" -lt "$1" ]; do
    if ! kill -0 "$viewer" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
      echo "screenshot: the viewer drew no frame; its output:" >&2
      cat "$logs/stdout" "$logs/stderr" >&2
      return 1
    fi
    sleep 0.1
  done
}

# Presses one key and waits for the frame it causes to begin.
press() {
  local frames
  frames=$(grep -c '^using a shader$' "$logs/stdout" || true)
  xdotool key "$1"
  wait_for_frames $((frames + 1))
}

wait_for_frames 1
window=$(xdotool search --sync --name '^Interior Mapping$' | head -n 1)
xdotool windowfocus --sync "$window"
for ((i = 0; i < ${#keys}; i++)); do
  press "${keys:i:1}"
done
# An upper-case W redraws without moving the camera. Once that frame has
# begun, the earlier frame, which already shows the final view, is on the
# screen.
press W
press W
import -window "$window" "$output"
echo "screenshot saved to $output"
