#!/usr/bin/env bash
# Writes the generated texture sets as ordinary PNG pictures in the layout
# that scripts/import-textures.sh reads, for changing and importing again.
# Usage: scripts/example-pictures.sh [DIR]   (build/example-pictures by default)
# Needs the built texture tool (build/tools/texgen/texgen).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
texgen=$root/build/tools/texgen/texgen
[ -x "$texgen" ] || { echo "example-pictures: build first ($texgen is missing)" >&2; exit 1; }
exec "$texgen" pictures "${1:-$root/build/example-pictures}"
