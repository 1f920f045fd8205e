#!/usr/bin/env bash
# Imports ordinary pictures as the viewer's textures.
# Usage: scripts/import-textures.sh SOURCE [TEXTURES]
#
# SOURCE holds a folder per texture set (right, left, top, bottom, front,
# back, world) with any of the pictures that the README's section "Using your
# own facades, rooms and sky" names, in any format ImageMagick reads.
# TEXTURES (build/textures by default) is replaced whole or not at all by
# the texture tool (build/tools/texgen/texgen import), which does the work.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
texgen=$root/build/tools/texgen/texgen
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 SOURCE [TEXTURES]" >&2
  exit 2
fi
[ -x "$texgen" ] || { echo "import-textures: build first ($texgen is missing)" >&2; exit 1; }
exec "$texgen" import "$1" "${2:-$root/build/textures}"
