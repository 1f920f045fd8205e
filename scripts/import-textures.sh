#!/usr/bin/env bash
# Imports ordinary pictures as the viewer's textures.
# Usage: scripts/import-textures.sh SOURCE [TEXTURES]
#
# SOURCE holds a folder per texture set (right, left, top, bottom, front,
# back, world) with any of the pictures that the README's section "Using your
# own facades, rooms and sky" names, in any format ImageMagick reads.
# TEXTURES (build/textures by default) receives the TGA files as the viewer
# reads them: rows in the viewer's order, cube-map faces turned and mirrored
# as the set's orientation needs, all faces of a cube map square and of the
# size of the faces already there, alpha converted. A picture not given
# leaves its file untouched. Every picture is checked and every file written
# into a staging folder first; only then are they moved into place, so that
# bad input changes nothing.
#
# The room pictures' frames below and the sheet of cells on the face that
# looks out through the facade follow tools/texgen/texture_layout.h; the two
# must agree.
set -euo pipefail

me=import-textures
fail() { echo "$me: $*" >&2; exit 1; }

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 SOURCE [TEXTURES]" >&2
  exit 2
fi
source_dir=${1%/}
textures=${2:-$(dirname "$0")/../build/textures}
textures=${textures%/}
[ -d "$source_dir" ] || fail "$source_dir: not a folder"

building_sets=(right left top bottom front back)
building_normals=("1 0 0" "-1 0 0" "0 1 0" "0 -1 0" "0 0 1" "0 0 -1")
# Cube-map slot k is GL_TEXTURE_CUBE_MAP_POSITIVE_X + k, read from the file
# named here (the viewer swaps the Y pair). Per slot: the direction of its
# centre and the directions in which its columns (s) and its stored rows (t)
# run, from OpenGL's cube-map table.
slot_files=(posx negx negy posy posz negz)
slot_centres=("1 0 0" "-1 0 0" "0 1 0" "0 -1 0" "0 0 1" "0 0 -1")
slot_s=("0 0 -1" "0 0 1" "1 0 0" "1 0 0" "1 0 0" "-1 0 0")
slot_t=("0 -1 0" "0 -1 0" "0 0 1" "0 0 -1" "0 -1 0" "0 -1 0")

# The room's surfaces as pictures taken inside at the window, facing the
# back wall: where the picture's centre looks, where its right and its top
# point, as (across, up, out) in the facade's frame. "out" is the face that
# looks out through the facade, written as seen from outside.
room_pictures=(back left right floor ceiling)
declare -A room_frame=(
  [back]="0 0 -1;1 0 0;0 1 0"
  [left]="-1 0 0;0 0 -1;0 1 0"
  [right]="1 0 0;0 0 1;0 1 0"
  [floor]="0 -1 0;1 0 0;0 0 -1"
  [ceiling]="0 1 0;-1 0 0;0 0 -1"
  [out]="0 0 1;1 0 0;0 1 0"
)
layer_pictures=(furniture blind blind2 curtains curtains2)
building_names=(facade "${room_pictures[@]}" "${layer_pictures[@]}")
world_names=(px nx py ny pz nz ground)
# The sheet on the face that looks out: cell (i, j) centred at (i, j) times
# the pitch, used over the half-size around it (face coordinates -1..1).
cell_pitch=0.666666666667
cell_half=0.32
default_face_size=256

# --- vectors: "x y z" strings of small integers -------------------------------

neg() { local x y z; read -r x y z <<<"$1"; echo "$((-x)) $((-y)) $((-z))"; }
cross() {
  local a b c d e f; read -r a b c <<<"$1"; read -r d e f <<<"$2"
  echo "$((b * f - c * e)) $((c * d - a * f)) $((a * e - b * d))"
}
# a U + b V + c N for the coefficients "a b c".
in_frame() {
  local a b c u1 u2 u3 v1 v2 v3 n1 n2 n3
  read -r a b c <<<"$1"; read -r u1 u2 u3 <<<"$2"; read -r v1 v2 v3 <<<"$3"; read -r n1 n2 n3 <<<"$4"
  echo "$((a * u1 + b * v1 + c * n1)) $((a * u2 + b * v2 + c * n2)) $((a * u3 + b * v3 + c * n3))"
}
slot_of() {
  local k
  for k in 0 1 2 3 4 5; do [ "${slot_centres[k]}" = "$1" ] && { echo "$k"; return; }; done
  fail "internal: no cube-map face looks along $1"
}

# The ImageMagick operation that turns a picture whose columns run along R
# and whose rows run down along D into slot k's face (columns along s, rows
# along t).
face_ops() {
  local r=$1 d=$2 s=${slot_s[$3]} t=${slot_t[$3]}
  local nr nd; nr=$(neg "$r"); nd=$(neg "$d")
  case "$s|$t" in
    "$r|$d") echo "" ;;
    "$nr|$d") echo "-flop" ;;
    "$r|$nd") echo "-flip" ;;
    "$nr|$nd") echo "-rotate 180" ;;
    "$d|$r") echo "-transpose" ;;
    "$nd|$r") echo "-rotate 90" ;;
    "$d|$nr") echo "-rotate 270" ;;
    "$nd|$nr") echo "-transverse" ;;
    *) fail "internal: a picture along $r, $d does not fit slot $3" ;;
  esac
}
# The operation that undoes face_ops' result.
inverse_ops() {
  case "$1" in
    "-rotate 90") echo "-rotate 270" ;;
    "-rotate 270") echo "-rotate 90" ;;
    *) echo "$1" ;;
  esac
}

# Where room picture $1 goes on a building face of frame U ($2), V ($3),
# N ($4): "slot;ops", its cube-map slot and the operation that turns the
# picture into that slot's face.
room_face() {
  local centre right up slot
  IFS=';' read -r centre right up <<<"${room_frame[$1]}"
  slot=$(slot_of "$(in_frame "$centre" "$2" "$3" "$4")")
  echo "$slot;$(face_ops "$(in_frame "$right" "$2" "$3" "$4")" "$(neg "$(in_frame "$up" "$2" "$3" "$4")")" "$slot")"
}

# --- checking the pictures ---------------------------------------------------

declare -A picture=()   # "set/name" -> path
contains() { local x want=$1; shift; for x in "$@"; do [ "$x" = "$want" ] && return 0; done; return 1; }

check_picture() {
  local set=$1 path=$2 file name err
  file=$(basename "$path")
  name=${file%.*}
  [ -f "$path" ] || fail "$path: unknown name (a set's folder holds pictures only)"
  if [ "$set" = world ]; then
    contains "$name" "${world_names[@]}" ||
      fail "$path: unknown name (the world takes ${world_names[*]})"
  else
    contains "$name" "${building_names[@]}" ||
      fail "$path: unknown name (a building set takes ${building_names[*]})"
  fi
  [ -z "${picture[$set/$name]:-}" ] || fail "$path: $name is given twice (also ${picture[$set/$name]})"
  [ -r "$path" ] || fail "$path: cannot be read"
  if ! err=$(identify -regard-warnings "$path" 2>&1 >/dev/null); then
    fail "$path: not a picture ImageMagick can read (${err%%$'\n'*})"
  fi
  picture[$set/$name]=$path
}

shopt -s nullglob
for entry in "$source_dir"/*; do
  set_name=$(basename "$entry")
  if [ ! -d "$entry" ] || ! contains "$set_name" "${building_sets[@]}" world; then
    fail "$entry: unknown name (SOURCE holds the folders ${building_sets[*]} world)"
  fi
  for path in "$entry"/*; do
    check_picture "$set_name" "$path"
  done
done
[ ${#picture[@]} -gt 0 ] || fail "$source_dir: no pictures found"

# --- writing ------------------------------------------------------------------

work=$(mktemp -d "${TMPDIR:-/tmp}/import-textures.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/stage

# Runs an ImageMagick command for picture $1; a failure names the picture.
im() {
  local what=$1 err; shift
  if ! err=$("$1" -regard-warnings "${@:2}" 2>&1 >/dev/null); then
    fail "$what: ${err%%$'\n'*}"
  fi
}
# Options that write a 32-bit true-colour TGA, first stored row on top.
tga_out=(-depth 8 -orient TopLeft -type TrueColorAlpha -compress RLE)

# The current file of a set (staged if written in this run), or nothing.
current() {
  if [ -f "$stage/$1" ]; then echo "$stage/$1"; elif [ -f "$textures/$1" ]; then echo "$textures/$1"; fi
}

# Side of the set's cube-map faces: that of the faces already there, else
# the longest side among the given pictures, else the default.
face_size() {
  local set=$1 k existing size=0 w h key
  for k in 0 1 2 3 4 5; do
    existing=$textures/$set/${slot_files[k]}.tga
    [ -f "$existing" ] && { identify -format '%w' "$existing" 2>/dev/null && return; }
  done
  for key in "${!picture[@]}"; do
    if [ "${key%%/*}" != "$set" ] || [ "${key#*/}" = facade ]; then continue; fi
    read -r w h < <(identify -format '%w %h\n' "${picture[$key]}[0]")
    size=$((w > size ? w : size)); size=$((h > size ? h : size))
  done
  echo $((size > 0 ? size : default_face_size))
}

# Pixel box "x0 y0 w h" of sheet cell (i, j) on a face of side n, rows from
# the top.
cell_box() {
  awk -v i="$1" -v j="$2" -v n="$3" -v p="$cell_pitch" -v h="$cell_half" 'BEGIN {
    x0 = int((1 + i * p - h) * n / 2 + 0.5); x1 = int((1 + i * p + h) * n / 2 + 0.5)
    y0 = int((1 - j * p - h) * n / 2 + 0.5); y1 = int((1 - j * p + h) * n / 2 + 0.5)
    print x0, y0, x1 - x0, y1 - y0 }'
}

# Copies a picture (or a colour, "xc:...") into cell (i, j) of the sheet,
# alpha turned from opacity into the viewer's "room shows through".
put_cell() {
  local sheet=$1 source=$2 what=$3 i=$4 j=$5 n=$6 x y w h
  read -r x y w h < <(cell_box "$i" "$j" "$n")
  im "$what" convert "$source" -auto-orient -alpha set -resize "${w}x${h}!" \
    -channel A -negate +channel "$work/cell.miff"
  im "$what" convert "$sheet" "$work/cell.miff" -geometry "+$x+$y" -compose Copy -composite "$sheet"
}

# The mean colour and alpha ("r g b a", 0..255) of the given faces.
mean_of() {
  local rgb a
  rgb=$(convert "$@" -alpha off +append \
    -format '%[fx:round(255*mean.r)] %[fx:round(255*mean.g)] %[fx:round(255*mean.b)]' info:)
  a=$(convert "$@" -alpha extract +append -format '%[fx:round(255*mean)]' info:)
  echo "$rgb $a"
}

# The face that looks out through the facade: the sheet of furniture,
# dressing and far colour. Cells without a new picture keep what the face
# already held; the centre gets the mean of the room's five surfaces.
write_out_face() {
  local set=$1 n=$2 face slot ops
  face=$(room_face out "$3" "$4" "$5")
  IFS=';' read -r slot ops <<<"$face"
  local out=$set/${slot_files[slot]}.tga sheet=$work/sheet.miff faces=() k f r g b a
  for k in 0 1 2 3 4 5; do
    f=$(current "$set/${slot_files[k]}.tga")
    [ "$k" != "$slot" ] && [ -n "$f" ] && faces+=("$f")
  done
  read -r r g b a <<<"128 128 128 255"
  [ ${#faces[@]} -eq 0 ] || read -r r g b a < <(mean_of "${faces[@]}")
  if [ -f "$textures/$out" ]; then
    # shellcheck disable=SC2086
    # shellcheck disable=SC2046
    im "$textures/$out" convert "$textures/$out" -resize "${n}x${n}!" $(inverse_ops "$ops") "$sheet"
  else
    convert -size "${n}x${n}" "xc:srgba($r,$g,$b,1)" "$sheet"
  fi
  if [ -n "${picture[$set/furniture]:-}" ]; then
    local quarter=0 cells=("-1 1" "1 1" "-1 -1" "1 -1")   # crop order: rows from the top
    im "${picture[$set/furniture]}" convert "${picture[$set/furniture]}[0]" -auto-orient \
      -crop 2x2@ +repage "$work/quarter-%d.miff"
    for quarter in 0 1 2 3; do
      # shellcheck disable=SC2086
      put_cell "$sheet" "$work/quarter-$quarter.miff" "${picture[$set/furniture]}" ${cells[quarter]} "$n"
    done
  fi
  # A second blind or curtains not given repeats the first.
  local layer i j
  for layer in "blind 0 1" "blind2 1 0" "curtains 0 -1" "curtains2 -1 0"; do
    read -r layer i j <<<"$layer"
    f=${picture[$set/$layer]:-${picture[$set/${layer%2}]:-}}
    [ -z "$f" ] || put_cell "$sheet" "${f}[0]" "$f" "$i" "$j" "$n"
  done
  put_cell "$sheet" "xc:srgba($r,$g,$b,$(awk -v a="$a" 'BEGIN { print 1 - a / 255 }'))" \
    "$set far colour" 0 0 "$n"
  # shellcheck disable=SC2086
  im "$out" convert "$sheet" $ops "${tga_out[@]}" "tga:$stage/$out"
}

# A building set: the facade, the room's surfaces, then the sheet.
import_building_set() {
  local set=$1 n nrm v u ny name face slot ops layered=0
  n=$(face_size "$set")
  nrm=${building_normals[$2]}
  # The facade's frame: up runs up a wall (along -z on the roof, +z on the
  # underside), across = up x out.
  read -r _ ny _ <<<"$nrm"
  if [ "$ny" -ne 0 ]; then v="0 0 $((-ny))"; else v="0 1 0"; fi
  u=$(cross "$v" "$nrm")
  if [ -n "${picture[$set/facade]:-}" ]; then
    im "${picture[$set/facade]}" convert "${picture[$set/facade]}[0]" -auto-orient -flip \
      -depth 8 -orient BottomLeft -type TrueColorAlpha -compress RLE "tga:$stage/$set/exterior.tga"
  fi
  for name in "${room_pictures[@]}"; do
    [ -n "${picture[$set/$name]:-}" ] || continue
    layered=1
    face=$(room_face "$name" "$u" "$v" "$nrm")
    IFS=';' read -r slot ops <<<"$face"
    # shellcheck disable=SC2086
    im "${picture[$set/$name]}" convert "${picture[$set/$name]}[0]" -auto-orient \
      -resize "${n}x${n}!" $ops "${tga_out[@]}" "tga:$stage/$set/${slot_files[slot]}.tga"
  done
  for name in "${layer_pictures[@]}"; do
    [ -z "${picture[$set/$name]:-}" ] || layered=1
  done
  [ "$layered" -eq 0 ] || write_out_face "$set" "$n" "$u" "$v" "$nrm"
}

# The world: a sky box as shipped for OpenGL (px ... nz, first row on top),
# and the ground tile seen from above (+X right, -Z on top), which is the
# -Y face too and wins over ny.
import_world() {
  local n k name ops
  n=$(face_size world)
  for k in 0 1 2 3 4 5; do
    name=${world_names[k]} ops=
    if [ "$k" -eq 3 ] && [ -n "${picture[world/ground]:-}" ]; then name=ground ops=-flip; fi
    [ -n "${picture[world/$name]:-}" ] || continue
    # shellcheck disable=SC2086
    im "${picture[world/$name]}" convert "${picture[world/$name]}[0]" -auto-orient \
      -resize "${n}x${n}!" $ops "${tga_out[@]}" "tga:$stage/world/${slot_files[k]}.tga"
  done
}

for index in 0 1 2 3 4 5 6; do
  set_name=${building_sets[index]:-world}
  [ -d "$source_dir/$set_name" ] || continue
  mkdir -p "$stage/$set_name"
  if [ "$set_name" = world ]; then import_world; else import_building_set "$set_name" "$index"; fi
done

# Everything is written: move it into place.
for staged in "$stage"/*/*.tga; do
  target=$textures/${staged#"$stage"/}
  mkdir -p "$(dirname "$target")"
  mv -f "$staged" "$target"
  echo "wrote $target"
done
