#!/usr/bin/env bash
# Records a fly-past of the building on a virtual display and makes the
# animated picture at the top of the README. The camera circles the building
# once, so that the rooms shift behind the windows as the faces go by. The
# viewer is built first: after a change to the shader pair or the textures
# this one command makes the new picture.
#   scripts/flypast.sh [output.gif]     (default docs/flypast.gif)
set -euo pipefail
cd "$(dirname "$0")/.."

output="${1:-docs/flypast.gif}"
size=320    # pixels per side of the picture
delay=40    # hundredths of a second per frame
colours=64
shots=12
# Fifteen steps forward leave the camera 1.5 units before the building's
# centre, looking at it. Each step then strafes 0.4 units right in two
# halves around a 15-degree turn left: 24 steps go once round a regular
# polygon about that centre (apothem 0.2 / tan 7.5 degrees = 1.52), and
# every shot looks straight at the centre. The picture is kept small (a
# few hundred kB), since it is committed for the README to show.
approach=wwwwwwwwwwwwwww
step=dqddqd   # two such steps per shot: 12 shots go round once

scripts/build-viewer.sh
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
steps=$(for ((i = 1; i < shots; i++)); do printf '%s ' "$step"; done)
scripts/with-xvfb.sh scripts/screenshot.sh build/interior_mapping "$frames/%03d.png" \
  "$approach" "$steps"
convert -delay "$delay" -loop 0 "$frames"/*.png -resize "${size}x${size}" \
  +dither -colors "$colours" -layers Optimize "$output"
echo "fly-past of $shots frames saved to $output ($(du -k "$output" | cut -f1) kB)"
