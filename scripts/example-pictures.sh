#!/usr/bin/env bash
# Writes the generated texture sets as ordinary PNG pictures in the layout
# that scripts/import-textures.sh reads, for changing and importing again.
# Usage: scripts/example-pictures.sh [DIR]   (build/example-pictures by default)
# Needs the built generator (build/tools/texgen/texgen).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/example-pictures}
texgen=$root/build/tools/texgen/texgen
[ -x "$texgen" ] || { echo "example-pictures: build first ($texgen is missing)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/example-pictures.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$texgen" --pictures "$work"
for picture in "$work"/*/*.tga; do
  target=$out/${picture#"$work"/}
  mkdir -p "$(dirname "$target")"
  convert "$picture" -auto-orient "${target%.tga}.png"
done
echo "example pictures written to $out"
