#!/usr/bin/env bash
# Makes the figures and the listing of docs/how-it-works.md from the
# project's own sources: two views of one room's geometry and the room cube
# map's faces as SVG in docs/how/, their layout numbers read from
# src/image/texture_layout.h, and the listing of the core, cut from the
# fragment stage's parts by function name into the page's marked block.
#   scripts/figures.sh [OUTDIR]   writes the figures (default docs/how) and
#                                 the page's listing
#   scripts/figures.sh --check    fails if a figure or the listing differs
#                                 from what the sources give, or a link of
#                                 the page or the README names no file
set -euo pipefail
cd "$(dirname "$0")/.."

readonly PAGE=docs/how-it-works.md
readonly LAYOUT=src/image/texture_layout.h
readonly FRAGMENT=shaders/fragment
readonly LISTING_BEGIN='<!-- the listing: written by scripts/figures.sh from shaders/fragment/ -->'
readonly LISTING_END='<!-- end of the listing -->'
readonly SCALE=190      # pixels per room unit in the room's views
readonly FACE=180       # pixels per side of a cube-map face in the map's figure
readonly FONT='font-family="DejaVu Sans" font-size="13"'

# The example room of the views, in rooms along (across, up, inwards):
# a single room, its box [0, 1] x [0, 1] x [0, DEPTH], entered at ENTRY by
# a ray along RAY. The eye stands EYE_BACK ray lengths before the facade.
readonly DEPTH=1.4
readonly ENTRY=(0.55 0.70 0)
readonly RAY=(0.25 -0.55 0.90)
readonly EYE_BACK=1.0
readonly OFFSET=0.5     # the viewer's "offset": the room's centre

# --- numbers -------------------------------------------------------------------

# Evaluates an arithmetic expression with awk, printed with $2 decimals.
num() {
  awk "BEGIN { x = $1; if (x == 0) x = 0; printf \"%.${2:-1}f\", x }"
}

# The value of `constexpr double NAME = ...;` in texture_layout.h.
layout_double() {
  local expr
  expr=$(sed -nE "s/^constexpr double $1 = (.*);.*/\1/p" "$LAYOUT")
  [ -n "$expr" ] || { echo "figures: $1 not found in $LAYOUT" >&2; return 1; }
  num "$expr" 6
}

# Coordinate $2 (1 or 2) of `constexpr CellPoint NAME = {x, y};`.
layout_point() {
  local pair
  pair=$(sed -nE "s/^constexpr CellPoint $1 = \{(.*)\};.*/\1/p" "$LAYOUT")
  [ -n "$pair" ] || { echo "figures: $1 not found in $LAYOUT" >&2; return 1; }
  num "$(cut -d, -f"$2" <<<"$pair")" 6
}

# --- SVG -------------------------------------------------------------------------

svg_open() {
  printf '<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s" viewBox="0 0 %s %s">\n' \
    "$1" "$2" "$1" "$2"
  local colour
  printf '<defs>'
  for colour in red:#cc2222 green:#228833; do
    printf '<marker id="arrow-%s" viewBox="0 0 10 10" refX="9" refY="5" markerWidth="7" markerHeight="7" orient="auto"><path d="M0,0 L10,5 L0,10 z" fill="%s"/></marker>' "${colour%%:*}" "${colour#*:}"
  done
  printf '</defs>\n'
  printf '<rect width="100%%" height="100%%" fill="white"/>\n'
}
svg_close() { printf '</svg>\n'; }
# line x1 y1 x2 y2 colour [width [extra attributes]]
line() {
  printf '<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s" %s/>\n' "$1" "$2" "$3" "$4" "$5" \
    "${6:-1.5}" "${7:-}"
}
# rect x y w h fill [stroke]
rect() {
  printf '<rect x="%s" y="%s" width="%s" height="%s" fill="%s" stroke="%s"/>\n' "$1" "$2" "$3" "$4" "$5" \
    "${6:-black}"
}
# dot x y colour
dot() { printf '<circle cx="%s" cy="%s" r="4" fill="%s"/>\n' "$@"; }
# text x y anchor words...
text() {
  local x=$1 y=$2 anchor=$3
  shift 3
  printf '<text x="%s" y="%s" text-anchor="%s" %s>%s</text>\n' "$x" "$y" "$anchor" "$FONT" "$*"
}

# --- the room's views ------------------------------------------------------------

# The ray's coordinate $1 (0 across, 1 up, 2 inwards) at length $2.
ray_at() { num "${ENTRY[$1]} + ${RAY[$1]} * ($2)" 3; }

# The length to the plane of axis $1 that the ray heads for: the box's
# upper side where the ray's component is positive, its lower one else.
plane_of() {
  local hi
  hi=$([ "$1" = 2 ] && echo "$DEPTH" || echo 1)
  awk "BEGIN { print (${RAY[$1]} > 0) ? $hi : 0 }"
}
t_of() { num "($(plane_of "$1") - ${ENTRY[$1]}) / ${RAY[$1]}" 3; }

# One view of the room: inwards to the right, axis $1 (0 across, 1 up) up
# the page, axis $2 the one seen edge-on; $3 the view's name.
room_view() {
  local axis=$1 other=$2 title=$3 names=(x y z) words=(across up inwards)
  local labels=("${@:4}")
  local z0=-1.1 z1=2.3 v0=-0.65 v1=1.35 top=40
  local width height
  width=$(num "($z1 - ($z0)) * $SCALE" 0)
  height=$(num "($v1 - ($v0)) * $SCALE + $top + 100" 0)
  # Page coordinates of room point (z, v), and a page coordinate moved by $2.
  X() { num "($1 - ($z0)) * $SCALE" 1; }
  Y() { num "$top + ($v1 - ($1)) * $SCALE" 1; }
  by() { num "$1 + ($2)" 1; }
  local tx ty tz t hit_v hit_z
  tx=$(t_of 0); ty=$(t_of 1); tz=$(t_of 2)
  t=$(awk "BEGIN { m = $tx; if ($ty < m) m = $ty; if ($tz < m) m = $tz; print m }")
  hit_v=$(ray_at "$axis" "$t"); hit_z=$(ray_at 2 "$t")
  local eye_v eye_z far_v far_z
  eye_v=$(ray_at "$axis" "-$EYE_BACK"); eye_z=$(ray_at 2 "-$EYE_BACK")
  far_v=$(ray_at "$axis" "$tx + 0.1"); far_z=$(ray_at 2 "$tx + 0.1")

  svg_open "$width" "$height"
  text 10 20 start "$title: z (${words[2]}) to the right, ${names[$axis]} (${words[$axis]}) up; ${names[$other]} (${words[$other]}) is seen edge-on"
  # The neighbouring rooms' cells, the room's box, the facade.
  local k
  for k in 0 1; do
    line "$(X "$z0")" "$(Y "$k")" "$(X 0)" "$(Y "$k")" '#bbbbbb' 1 'stroke-dasharray="2 3"'
  done
  rect "$(X 0)" "$(Y 1)" "$(num "$DEPTH * $SCALE" 1)" "$SCALE" '#f4efe4'
  line "$(X 0)" "$(Y "$v0")" "$(X 0)" "$(Y "$v1")" '#555555' 4
  text "$(by "$(X 0)" -6)" "$(by "$(Y "$v1")" 14)" end "facade, z = 0"
  text "$(X "$DEPTH / 2")" "$(by "$(Y 1)" -6)" middle "the room's box, depth $DEPTH"
  # The planes the ray heads for, extended beyond the box.
  local pv pz
  pv=$(plane_of "$axis"); pz=$(plane_of 2)
  line "$(X "$z0")" "$(Y "$pv")" "$(X "$z1")" "$(Y "$pv")" '#3366cc' 1.5 'stroke-dasharray="6 4"'
  line "$(X "$pz")" "$(Y "$v0")" "$(X "$pz")" "$(Y "$v1")" '#3366cc' 1.5 'stroke-dasharray="6 4"'
  text "$(by "$(X "$z0")" 4)" "$(by "$(Y "$pv")" -5)" start "plane ${names[$axis]} = $pv"
  text "$(by "$(X "$pz")" 5)" "$(by "$(Y "$v1")" 14)" start "plane z = $pz"
  # The ray: from the eye to the facade, inside the box to the exit, and on.
  line "$(X "$eye_z")" "$(Y "$eye_v")" "$(X "$hit_z")" "$(Y "$hit_v")" '#cc2222' 2 'marker-end="url(#arrow-red)"'
  line "$(X "$hit_z")" "$(Y "$hit_v")" "$(X "$far_z")" "$(Y "$far_v")" '#cc2222' 1.5 'stroke-dasharray="3 4"'
  dot "$(X "$eye_z")" "$(Y "$eye_v")" black
  text "$(X "$eye_z")" "$(by "$(Y "$eye_v")" -10)" middle "eye"
  dot "$(X 0)" "$(Y "${ENTRY[$axis]}")" black
  text "$(by "$(X 0)" 8)" "$(by "$(Y "${ENTRY[$axis]}")" -8)" start "p, the entry"
  text "$(X "$(num "$eye_z / 2" 2)")" "$(by "$(Y "$(ray_at "$axis" "-$EYE_BACK / 2")")" 18)" middle "ray d"
  # Where the ray crosses each axis's plane, t along the ray; each label
  # placed (dx dy anchor) clear of the ray.
  local a ta place
  for a in 0 1 2; do
    ta=$(t_of "$a")
    read -r -a place <<<"${labels[$a]}"
    dot "$(X "$(ray_at 2 "$ta")")" "$(Y "$(ray_at "$axis" "$ta")")" '#3366cc'
    text "$(by "$(X "$(ray_at 2 "$ta")")" "${place[0]}")" "$(by "$(Y "$(ray_at "$axis" "$ta")")" "${place[1]}")" \
      "${place[2]}" "t_${names[$a]} = $(num "$ta" 2)"
  done
  # The exit, the point the room is looked at from and the lookup direction.
  dot "$(X "$hit_z")" "$(Y "$hit_v")" '#cc2222'
  read -r -a place <<<"${labels[3]}"
  text "$(by "$(X "$hit_z")" "${place[0]}")" "$(by "$(Y "$hit_v")" "${place[1]}")" "${place[2]}" "h, the exit"
  local cz cv
  cz=$(num "$OFFSET * $DEPTH" 3); cv=$OFFSET
  dot "$(X "$cz")" "$(Y "$cv")" '#228833'
  read -r -a place <<<"${labels[4]}"
  text "$(by "$(X "$cz")" "${place[0]}")" "$(by "$(Y "$cv")" "${place[1]}")" "${place[2]}" "c, the room's centre"
  line "$(X "$cz")" "$(Y "$cv")" "$(X "$hit_z")" "$(Y "$hit_v")" '#228833' 2 'marker-end="url(#arrow-green)"'
  local base hx hy hz
  base=$(num "$top + ($v1 - ($v0)) * $SCALE + 24" 0)
  hx=$(ray_at 0 "$t"); hy=$(ray_at 1 "$t"); hz=$(ray_at 2 "$t")
  text 10 "$base" start "p = ($(IFS=,; echo "${ENTRY[*]}")), d = ($(IFS=,; echo "${RAY[*]}")), the box [0, 1] x [0, 1] x [0, $DEPTH]"
  text 10 "$((base + 20))" start "t = (plane - p) / d per axis: t_x = $(num "$tx" 2) (x = $(plane_of 0)), t_y = $(num "$ty" 2) (y = $(plane_of 1)), t_z = $(num "$tz" 2) (z = $DEPTH)"
  text 10 "$((base + 40))" start "exit: t = the smallest = $(num "$t" 2), h = p + t d = ($(num "$hx" 2), $(num "$hy" 2), $(num "$hz" 2))"
  text 10 "$((base + 60))" start "lookup (green): q = 2 (h / (1, 1, $DEPTH) - c) = ($(num "2 * ($hx - $OFFSET)" 2), $(num "2 * ($hy - $OFFSET)" 2), $(num "2 * ($hz / $DEPTH - $OFFSET)" 2)); longest along y: the floor"
  svg_close
}

# --- the room map's faces -----------------------------------------------------------

# Style k's sign along axis $2 (0 across, 1 up, 2 inwards): k = 2a + b has
# (1 - 2a, 1 - 2b, (1 - 2a)(1 - 2b)), as the fragment stage's styleSigns.
style_sign() {
  local a=$(($1 / 2)) b=$(($1 % 2))
  case $2 in
    0) echo $((1 - 2 * a)) ;;
    1) echo $((1 - 2 * b)) ;;
    2) echo $(((1 - 2 * a) * (1 - 2 * b))) ;;
  esac
}

# One face of the unfolded room at page (x, y): its name, its file in the
# front set, and the signed axes running right and up the page (e.g. +2 -0:
# inwards to the right, across down), seen from inside the room.
unfolded_face() {
  local x=$1 y=$2 name=$3 file=$4 right=$5 up=$6
  local centre half q
  centre=$(layout_double kStyleCentre); half=$(layout_double kStyleHalf)
  rect "$x" "$y" "$FACE" "$FACE" '#f4efe4'
  for q in 0 1 2 3; do
    local sx sy qx qy side
    sx=$(( ${right:0:1}1 * $(style_sign "$q" "${right:1}") ))
    sy=$(( ${up:0:1}1 * $(style_sign "$q" "${up:1}") ))
    side=$(num "$half * $FACE" 1)
    qx=$(num "$x + ($sx * $centre - $half + 1) * $FACE / 2" 1)
    qy=$(num "$y + (-($sy) * $centre - $half + 1) * $FACE / 2" 1)
    rect "$qx" "$qy" "$side" "$side" '#e2d6bd' '#b09a70'
    text "$(num "$qx + $side / 2" 1)" "$(num "$qy + $side / 2 + 5" 1)" middle "$q"
  done
  text "$(num "$x + $FACE / 2" 1)" "$((y + 16))" middle "$name"
  text "$(num "$x + $FACE / 2" 1)" "$((y + 31))" middle "$file"
}

# The sheet, as seen from outside through the window, at page (x, y) with
# side $3.
sheet_face() {
  local x=$1 y=$2 side=$3 pitch half i j
  pitch=$(layout_double kCellPitch); half=$(layout_double kCellHalf)
  local names=("piece 0" curtains "piece 1" "curtains 2" "world cell" "blind 2" "piece 2" blind "piece 3")
  rect "$x" "$y" "$side" "$side" '#f4efe4'
  for j in -1 0 1; do
    for i in -1 0 1; do
      local cx cy s fill
      cx=$(num "$x + (1 + $i * $pitch) * $side / 2" 1)
      cy=$(num "$y + (1 - $j * $pitch) * $side / 2" 1)
      s=$(num "$half * $side" 1)
      fill=$([ "$i$j" = 00 ] && echo '#d5e5f5' || echo '#e2d6bd')
      rect "$(num "$cx - $s / 2" 1)" "$(num "$cy - $s / 2" 1)" "$s" "$s" "$fill" '#b09a70'
      text "$cx" "$(num "$cy + 5" 1)" middle "${names[$(((j + 1) * 3 + i + 1))]}"
    done
  done
}

# The world cell enlarged at page (x, y), side $3: the sky copy's disc
# (where u^2 + v^2 <= 1, the half of the world in front of the face) and
# the patches read at their centres.
world_cell() {
  local x=$1 y=$2 side=$3
  local ccx ccy chalf row far_x far_y sun_x sun_y light_x light_y
  ccx=$(layout_point kSkyCopyCentre 1); ccy=$(layout_point kSkyCopyCentre 2)
  chalf=$(layout_double kSkyCopyHalf); row=$(layout_double kPatchRowTop)
  far_x=$(layout_point kFarPatch 1); far_y=$(layout_point kFarPatch 2)
  sun_x=$(layout_point kSunPatch 1); sun_y=$(layout_point kSunPatch 2)
  light_x=$(layout_point kSunLightPatch 1); light_y=$(layout_point kSunLightPatch 2)
  # Page coordinates of cell point (x, y), -1 .. 1 over the read square.
  CX() { num "$x + (1 + ($1)) * $side / 2" 1; }
  CY() { num "$y + (1 - ($1)) * $side / 2" 1; }
  rect "$x" "$y" "$side" "$side" '#d5e5f5'
  printf '<circle cx="%s" cy="%s" r="%s" fill="#a8c8ec" stroke="#3366cc"/>\n' \
    "$(CX "$ccx")" "$(CY "$ccy")" "$(num "$chalf * $side / 2" 1)"
  text "$(CX "$ccx")" "$(CY "$ccy + 0.1")" middle "sky copy: u, v in -1 .. 1"
  text "$(CX "$ccx")" "$(num "$(CY "$ccy") + 12" 1)" middle "(u, v) = (0, 0): out of the face"
  line "$x" "$(CY "$row")" "$(num "$x + $side" 1)" "$(CY "$row")" '#3366cc' 1.5 'stroke-dasharray="4 3"'
  local p label px py
  for p in "far:$far_x:$far_y" "sun:$sun_x:$sun_y" "sun light:$light_x:$light_y"; do
    IFS=: read -r label px py <<<"$p"
    dot "$(CX "$px")" "$(CY "$py")" '#cc2222'
    text "$(CX "$px")" "$(num "$(CY "$py") - 8" 1)" middle "$label"
  done
  text "$(num "$x + $side / 2" 1)" "$((y - 8))" middle "the world cell, enlarged (x, y in -1 .. 1)"
}

room_map_figure() {
  local f=$FACE left=20 top=40
  local sheet_x=$((left + 3 * f + 40)) sheet_side=$((2 * f))
  svg_open $((sheet_x + 2 * sheet_side + 60)) $((top + 3 * f + 60))
  text 10 20 start "A face's room map, unfolded as seen from inside facing the back wall; x across, y up, z inwards; the files are the front set's"
  unfolded_face $((left + f)) "$top" "ceiling (+y)" "negy.tga" +0 -2
  unfolded_face "$left" $((top + f)) "left wall (-x)" "negx.tga" +2 +1
  unfolded_face $((left + f)) $((top + f)) "back wall (+z)" "negz.tga" +0 +1
  unfolded_face $((left + 2 * f)) $((top + f)) "right wall (+x)" "posx.tga" -2 +1
  unfolded_face $((left + f)) $((top + 2 * f)) "floor (-y)" "posy.tga" +0 +2
  text 10 $((top + 3 * f + 24)) start "0 .. 3: the quadrant of room style k on each face (guard strips between them)"
  text "$((sheet_x + sheet_side / 2))" "$((top - 8 + f / 2))" middle "the sheet (posz.tga), seen from outside"
  sheet_face "$sheet_x" $((top + f / 2)) "$sheet_side"
  world_cell $((sheet_x + sheet_side + 40)) $((top + f / 2)) "$sheet_side"
  text "$sheet_x" $((top + f / 2 + sheet_side + 24)) start \
    "cells $(num "$(layout_double kCellPitch)" 3) apart, each read over the square of half-size $(num "$(layout_double kCellHalf)" 2)"
  svg_close
}

# --- the listing ------------------------------------------------------------------------

# The function named $1 in part $2, from its signature to its closing brace.
function_source() {
  awk -v name="$1" '$0 ~ "^[A-Za-z].* " name "\\(" { on = 1 } on { print } on && /^}/ { exit }' "$2"
}
# The first line of part $2 that holds $1, unindented.
line_source() {
  grep -m1 -F "$1" "$2" | sed -E 's/^ +//'
}

listing() {
  printf '```glsl\n'
  printf '// main.glsl: the ray in rooms, its inwards part kept positive\n'
  line_source 'vec3 ray = vec3(roomRay' "$FRAGMENT/main.glsl"
  printf '\n// ray_meets_room.glsl: where the ray leaves the box [lo, hi]\n'
  function_source boxExit "$FRAGMENT/ray_meets_room.glsl"
  printf '\n// ray_meets_room.glsl, in roomSurface: the hit point, and the direction\n'
  printf '// from the point the room is looked at from\n'
  line_source 'vec3 hit = ' "$FRAGMENT/ray_meets_room.glsl"
  line_source 'vec3 q = ' "$FRAGMENT/ray_meets_room.glsl"
  printf '\n// room_style.glsl: the direction moved into the room style'"'"'s quadrant\n'
  function_source inRoomStyle "$FRAGMENT/room_style.glsl"
  printf '```\n'
}

# The page with its listing block written anew, on standard output.
page_with_listing() {
  local block
  block=$(mktemp)
  listing >"$block"
  grep -qxF "$LISTING_BEGIN" "$PAGE" && grep -qxF "$LISTING_END" "$PAGE" ||
    { echo "figures: $PAGE lacks the listing's markers" >&2; rm -f "$block"; return 1; }
  awk -v begin="$LISTING_BEGIN" -v end="$LISTING_END" -v block="$block" '
    $0 == begin { print; while ((getline l < block) > 0) print l; skip = 1; next }
    $0 == end { skip = 0 }
    !skip { print }' "$PAGE"
  rm -f "$block"
}

# --- the whole --------------------------------------------------------------------------

write_figures() {
  mkdir -p "$1"
  # Labels (dx dy anchor) of t_x, t_y, t_z, the exit and the centre.
  room_view 1 0 "Side view" "8 4 start" "-8 18 end" "-8 18 end" "6 -8 start" "0 -9 middle" \
    >"$1/room-side.svg"
  room_view 0 1 "Top view" "8 -6 start" "8 30 start" "8 14 start" "-6 -8 end" "0 22 middle" \
    >"$1/room-top.svg"
  room_map_figure >"$1/room-map-faces.svg"
}

# Every relative link target of $1 (markdown links and pictures) exists.
links_resolve() {
  local dir target bad=0
  dir=$(dirname "$1")
  while read -r target; do
    [ -e "$dir/$target" ] || { echo "figures: $1 links to $target, which does not exist" >&2; bad=1; }
  done < <(grep -oE '\]\([^)#[:space:]]+' "$1" | sed 's/^](//' | grep -vE '^[a-z]+:' || true)
  return $bad
}

check() {
  local work status=0 f
  work=$(mktemp -d)
  write_figures "$work"
  for f in "$work"/*.svg; do
    cmp -s "$f" "docs/how/$(basename "$f")" ||
      { echo "figures: docs/how/$(basename "$f") is not what scripts/figures.sh makes" >&2; status=1; }
  done
  page_with_listing >"$work/page.md"
  cmp -s "$work/page.md" "$PAGE" ||
    { echo "figures: the listing in $PAGE differs from the shader's parts" >&2; status=1; }
  rm -rf "$work"
  for f in README.md docs/*.md; do
    links_resolve "$f" || status=1
  done
  [ $status -eq 0 ] && echo "figures, listing and links in step"
  return $status
}

if [ "${1:-}" = --check ]; then
  check
else
  output="${1:-docs/how}"
  write_figures "$output"
  page=$(mktemp)
  page_with_listing >"$page"
  cat "$page" >"$PAGE"
  rm -f "$page"
  echo "figures in $output, listing in $PAGE"
fi
