#!/usr/bin/env bash
# Makes the README's pictures again on a virtual display: the close-up, the
# view along the curtain wall and the view from above as stills, then the
# fly-past (scripts/flypast.sh). Run it after changing the shader pair or
# the textures.
#   scripts/readme-pictures.sh [OUTDIR]     (default docs)
set -euo pipefail
cd "$(dirname "$0")/.."

output="${1:-docs}"
readonly CLOSE_SIZE=768     # pixels per side of the close-up
readonly VIEW_SIZE=640      # and of the other two stills

# picture  size  keys pressed from the start
readonly shots=(
  "screenshot $CLOSE_SIZE wwwwwwwwwwwwwwaaaaaee"
  "glass $VIEW_SIZE ddddwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwqqqqqqqqqqqq"
  "ground $VIEW_SIZE rrrrrrrrrwwwwwwwwwwwwwwwwwffffffffffffffffff"
)

scripts/build-viewer.sh
mkdir -p "$output"
for shot in "${shots[@]}"; do
  read -r name size keys <<<"$shot"
  SHOT_SIZE=$size scripts/with-xvfb.sh scripts/screenshot.sh build/interior_mapping \
    "$output/$name.png" "$keys" >/dev/null
  echo "$output/$name.png"
done
scripts/flypast.sh "$output/flypast.gif"
