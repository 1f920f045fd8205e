#!/usr/bin/env bash
# Starts the viewer on the current DISPLAY, waits for its first frame, saves
# a screenshot of its window as a PNG and ends the viewer.
# Usage: scripts/screenshot.sh [program] [output.png] [keys] [steps]
# Keys (for example "wwwwaq") are pressed one at a time first, each waiting
# for the frame it causes. Steps (for example "dq dq dq") make a series of
# shots: output is then a printf pattern such as frames/%03d.png, shot 0 is
# taken after the keys and one more after each space-separated step.
# SHOT_SIZE=N first makes the window N x N pixels (fewer pixels per frame
# make each key's frame quicker on a software renderer).
set -euo pipefail

program="${1:-build/interior_mapping}"
output="${2:-build/screenshot.png}"
keys="${3:-}"
steps="${4:-}"
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

# Presses each key of $1 in turn.
press_all() {
  local i
  for ((i = 0; i < ${#1}; i++)); do
    press "${1:i:1}"
  done
}

# Saves the window to $1 once the last key's frame is on the screen. An
# upper-case W redraws without moving the camera; once that frame has begun,
# the earlier frame, which already shows the final view, is on the screen.
shoot() {
  press W
  press W
  import -window "$window" "$1"
}

wait_for_frames 1
window=$(xdotool search --sync --name '^Interior Mapping$' | head -n 1)
xdotool windowfocus --sync "$window"
if [ -n "${SHOT_SIZE:-}" ]; then
  before=$(grep -c '^using a shader$' "$logs/stdout" || true)
  xdotool windowsize "$window" "$SHOT_SIZE" "$SHOT_SIZE"
  wait_for_frames $((before + 1))
fi
press_all "$keys"
if [ -z "$steps" ]; then
  shoot "$output"
  echo "screenshot saved to $output"
  exit 0
fi
shot=0
shoot "$(printf "$output" $shot)"
for step in $steps; do
  press_all "$step"
  shot=$((shot + 1))
  shoot "$(printf "$output" $shot)"
done
echo "$((shot + 1)) screenshots saved to $output"
