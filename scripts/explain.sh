#!/usr/bin/env bash
# Makes the pictures of docs/how-it-works.md: one per step of the technique,
# each drawn by the viewer's own shader pair, its fragment stage joined by
# the build's shader_join with one SHOW_... switch defined, on a virtual
# display; two finished views of the same windows from either side; and,
# with scripts/figures.sh, the figures and the listing. Run it again after
# changing the shader pair; it remakes every picture in the directory.
#   scripts/explain.sh [OUTDIR]     (default docs/how)
set -euo pipefail
cd "$(dirname "$0")/.."

output="${1:-docs/how}"
export SHOT_SIZE=640    # pixels per side of each picture

# The views, as keys pressed from the start (eye 4 units before the -X face,
# looking at its middle). Neighbouring steps share a view.
near=wwwwwwwwwwwwwwwwwaae                             # a few rooms of the -X face
oblique=wwwwwwwwwwwwwwaaaaaee                         # the -X face from its left
grazing=ddddwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwqqqqqqqqqqqq  # along the +Z face's glass
above=rrrrrrrrrwwwwwwwwwwwwwwwwwffffffffffffffffff      # the building on its ground
from_left=wwwwwwwwwwwwwwwaaae                         # the -X face, then from its right
from_right=wwwwwwwwwwwwwwwdddq

# picture  switch  view; "-" is the finished picture.
shots=(
  "idea - $near"
  "parallax-left - $from_left"
  "parallax-right - $from_right"
  "cells SHOW_ROOM_CELLS $oblique"
  "surface SHOW_SURFACE_MET $oblique"
  "room-map SHOW_ROOM_MAP $oblique"
  "furniture SHOW_FURNITURE $oblique"
  "light SHOW_ROOM_LIGHT $oblique"
  "dressing SHOW_DRESSING $oblique"
  "facade SHOW_FACADE $oblique"
  "finished - $oblique"
  "fresnel SHOW_FRESNEL $grazing"
  "glass - $grazing"
  "ground-plane SHOW_GROUND_PLANE $above"
  "contact SHOW_CONTACT_SHADE $above"
  "shadow SHOW_SHADOW $above"
  "ground - $above"
)

scripts/build-viewer.sh
join=build/tools/shader_join/shader_join
parts=build/shaders/FLight.parts
mkdir -p "$output"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The viewer reads its shader pair and textures beside its own path.
cp build/interior_mapping build/VLight.glsl "$work"/
ln -s "$PWD/build/textures" "$work/textures"
for shot in "${shots[@]}"; do
  read -r name switch keys <<<"$shot"
  if [ "$switch" = - ]; then
    "$join" -o "$work/FLight.glsl" "$parts"
  else
    "$join" -D "$switch" -o "$work/FLight.glsl" "$parts"
  fi
  scripts/with-xvfb.sh scripts/screenshot.sh "$work/interior_mapping" "$output/$name.png" "$keys" \
    >/dev/null
  echo "$output/$name.png (${switch/#-/finished})"
done
scripts/figures.sh "$output"
