#!/bin/sh
# Writes TGA files with tools this project did not write: Pillow and
# ImageMagick, raw and run-length encoded, 24 and 32 bits, top-left and
# bottom-left origin, all from one generated picture.
#   make_oracle_files.sh OUTDIR
# Names: <tool>_<raw|rle>_<24|32>_<tl|bl>.tga. Fails if a tool is missing.
set -eu
out=$1
mkdir -p "$out"
PYTHON=/usr/bin/python3
CONVERT=/usr/bin/convert
[ -x "$PYTHON" ] || { echo "missing $PYTHON (python3-pil)" >&2; exit 1; }
[ -x "$CONVERT" ] || { echo "missing $CONVERT (imagemagick)" >&2; exit 1; }

# An odd-sized picture with flat areas (long runs), gradients, noise and
# varying alpha, so both packet kinds and every channel get exercised.
"$PYTHON" - "$out" <<'PY'
import random, sys
from PIL import Image
out = sys.argv[1]
w, h = 67, 41
rnd = random.Random(7)
im = Image.new("RGBA", (w, h))
for y in range(h):
    for x in range(w):
        if x < 20:
            p = (200, 30, 90, 255)
        elif y < 10:
            p = (x * 3, y * 20, 255 - x, 128 + y)
        else:
            p = tuple(rnd.randrange(256) for _ in range(4))
        im.putpixel((x, y), p)
im.save(f"{out}/picture.png")
for bits, mode in ((24, "RGB"), (32, "RGBA")):
    src = im.convert(mode)
    for comp, opts in (("raw", {}), ("rle", {"compression": "tga_rle"})):
        for orient, value in (("tl", 1), ("bl", -1)):
            src.save(f"{out}/pil_{comp}_{bits}_{orient}.tga", orientation=value, **opts)
PY

for bits in 24 32; do
  if [ "$bits" = 24 ]; then type="-alpha off -type TrueColor"; else type="-type TrueColorAlpha"; fi
  for comp in raw rle; do
    if [ "$comp" = rle ]; then compress=RLE; else compress=None; fi
    for orient in tl bl; do
      if [ "$orient" = tl ]; then o=TopLeft; else o=BottomLeft; fi
      # shellcheck disable=SC2086
      "$CONVERT" "$out/picture.png" $type -orient "$o" -compress "$compress" \
        "$out/im_${comp}_${bits}_${orient}.tga"
    done
  done
done
