#!/usr/bin/env bash
# Makes the pictures of docs/how-it-works.md: one per step of the technique,
# each drawn by the viewer's own shader pair, its fragment stage joined by
# the build's shader_join with one SHOW_... switch defined, on a virtual
# display; two finished views of the same windows from either side; and,
# with scripts/figures.sh, the figures and the listing. Run it again after
# changing the shader pair; it remakes every picture in the directory.
#   scripts/explain.sh [OUTDIR [SHOT]...]   (default docs/how, every picture)
#   scripts/explain.sh --list               the pictures, one a line
# A SHOT is a line of the table below, "picture switch keys"; given, only
# those pictures are made. Every stage is joined before any picture is
# made, so a switch the shader does not know fails the script at once.
set -euo pipefail
cd "$(dirname "$0")/.."

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

if [ "${1:-}" = --list ]; then
  printf '%s\n' "${shots[@]}"
  exit 0
fi
output="${1:-docs/how}"
[ $# -le 1 ] || shots=("${@:2}")

scripts/build-viewer.sh
join=build/tools/shader_join/shader_join
parts=build/shaders/FLight.parts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Each picture's fragment stage, joined with its switch.
for shot in "${shots[@]}"; do
  read -r name switch keys <<<"$shot"
  defines=()
  [ "$switch" = - ] || defines=(-D "$switch")
  if ! "$join" "${defines[@]}" -o "$work/$name.glsl" "$parts"; then
    echo "explain.sh: cannot join the stage of $name.png; no picture made" >&2
    exit 1
  fi
done
mkdir -p "$output"
# The viewer reads its shader pair and textures beside its own path.
cp build/interior_mapping build/VLight.glsl "$work"/
ln -s "$PWD/build/textures" "$work/textures"
for shot in "${shots[@]}"; do
  read -r name switch keys <<<"$shot"
  cp "$work/$name.glsl" "$work/FLight.glsl"
  scripts/with-xvfb.sh scripts/screenshot.sh "$work/interior_mapping" "$output/$name.png" "$keys" \
    >/dev/null
  echo "$output/$name.png (${switch/#-/finished})"
done
scripts/figures.sh "$output"
