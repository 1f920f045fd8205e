#!/usr/bin/env bash
# Runs a command with DISPLAY set to a fresh Xvfb on a free display number,
# and stops that server afterwards, whatever the command's outcome.
# Usage: scripts/with-xvfb.sh command [args...]
set -uo pipefail

screen="${XVFB_SCREEN:-1280x1280x24}"
fifo=$(mktemp -u /tmp/xvfb-display.XXXXXX)
mkfifo "$fifo"

# Xvfb picks a free display number itself and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
stop_xvfb() {
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  rm -f "$fifo"
}
trap stop_xvfb EXIT

if ! read -r -t 30 display_number <"$fifo"; then
  echo "with-xvfb: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$display_number"
"$@"
