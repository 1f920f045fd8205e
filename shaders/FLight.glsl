#version 110
// Interior mapping, fragment stage: a building in its world.
//
// The idea. A facade is flat, but each window should show a room with
// depth. The building is cut into a grid of rooms, one behind each window.
// For every fragment of a face, the ray from the eye through it is followed
// into the room's box until it meets a wall, the floor or the ceiling, and
// the face's room cube map is read along the direction from the room's
// centre to that point. Seen from another place, the ray meets another
// point, so the room shifts with true parallax, though nothing but the
// facade's four corners is drawn. The facade texture is then laid over the
// room by its alpha: opaque wall, or glass.
//
// main() reads top to bottom as the technique: the room's box, where the
// ray meets it, the furniture layer, the dressing at the window, the
// cube-map lookups, the room's light, the distant room, the facade and its
// glass; and, on the sky sphere (useWalls = 0), the sky and the ground with
// its shade and the building's shadow.
//
// The look comes from the textures. The room map's face that looks out
// through the facade is never seen as a wall; it holds a sheet of 3 x 3
// cells in (across, up) face coordinates: the four furniture pieces in the
// corners, a blind (top) and curtains (bottom) drawn closed, a second blind
// (right) and second curtains (left), and in the centre the flat colour a
// distant room fades to. Plain cube maps (one colour, alpha 255) make plain
// rooms: nothing in the sheet is opaque, and the far colour is the room's.
//
// Both passes run through the same code: a software renderer runs both
// sides of every branch for every fragment, and a texture fetch costs its
// memory traffic even where it is masked. So the two passes share their
// two cube-map fetches (the room's surface or the sky; one cell of the
// sheet, which is the furniture, the dressing or the far colour, or the
// ground tile) and one ray-box test (through the room, or from the ground
// towards the sun through the building). The functions below return
// directions (the furniture and the dressing a point of the sheet, which
// main turns into a direction once, for the cell it picks); main makes
// the fetches and picks each pass's result at the end.

uniform sampler2D baseTex;   // facade (rgb + alpha)
uniform samplerCube wallTex; // room cube map, or the world when drawing the sky
uniform int useWalls;        // 1: building face, 0: sky
uniform vec3 camPos;         // eye, world units
uniform vec4 lightColor;

// From VLight.glsl, which works out what is constant or linear on a face.
varying vec2 facadeUV;       // facade coordinates (texture set 0)
varying vec3 viewRay;        // world-space ray from the eye through this point
varying vec3 faceNormal;     // the face's outward normal
varying vec3 seenNormal;     // the normal on the side the eye is on
varying vec3 sunDir;         // unit direction towards the sun
varying vec4 faceLight;      // rgb: the open sky's and the ground's light on the
                             // face; a: the sun's, by its angle
varying vec4 roomEntry;      // xy: this point in rooms along (across, up); z: its
                             // height in world units; w: a code of the face
varying vec3 roomRay;        // the view ray in rooms along (across, up, inwards)
varying vec4 roomGrid;       // xy: the grid's signed extent; z: rooms through the
                             // building; w: 1 on the roof and the underside
varying vec3 lookFrom;       // "offset": where a room is looked at from, in its box

const vec3 BUILDING_CENTRE = vec3(0.5, 0.5, 0.5);
const float MIN_STEP = 1.0e-5;      // smallest ray component divided by

// --- rooms -------------------------------------------------------------------
const float MERGED_SHARE = 0.3;     // pairs of windows that share one room
const float MIN_DEPTH = 0.5;        // room depth range, in rooms
const float MAX_DEPTH = 1.5;
const float DARK_SHARE = 0.3;       // rooms whose light is off
const float CELL_PITCH = 0.6666667; // the sheet's cells: centres apart (texgen: kCellPitch)
const float CELL_HALF = 0.32;       // and the half-size read of each (texgen: kCellHalf)
const float INTERIOR_EXPOSURE = 0.72; // rooms are darker than the sunlit facade
const vec3 WARM_TINT = vec3(1.0, 0.94, 0.84);
const vec3 COOL_TINT = vec3(0.90, 0.95, 1.0);
const float FAR_DAYLIGHT = 0.5;     // an unlit distant room's daylight, times the far colour's alpha
const float PLAIN_WALL_HEIGHT = 0.8; // a wall's finish above its furniture
const vec3 WINDOW_FRAME = vec3(0.92);  // the frame of an edge room's window out

// --- light and sky (texgen paints the same sky: kZenith, kHorizon) --------------
const vec3 ZENITH = vec3(0.20, 0.40, 0.78);
const vec3 HORIZON = vec3(0.78, 0.86, 0.94);
const vec3 FAR_GROUND = vec3(0.40, 0.46, 0.30);
const vec3 SUN_LIGHT = vec3(0.78, 0.74, 0.66);
const float SUN_GLINT = 6.0;
const float CLEAR_F0 = 0.04;        // head-on reflectance of clear glass
const float TINTED_F0 = 0.30;       // and of the curtain wall's tinted glass

// --- ground ---------------------------------------------------------------------
const float GROUND_TILE = 8.0;      // world units covered by the world map's -Y face
const float TILE_TEXELS = 1024.0;   // texels across that face (texgen: kWorldFaceSize)
const float CONTACT_REACH = 0.5;    // the contact shade's reach from the walls
const float CONTACT_DARK = 0.55;
const float SHADOW_LIGHT = 0.5;     // light left in the building's shadow
const float SHADOW_SOFTNESS = 0.06;

// --- small helpers --------------------------------------------------------------

// Hashes of a room's cell in [0, 1): a round of quadratic mixing, so
// neighbouring cells share no stripes or diagonals. No sine: it is costly
// on a software renderer.
vec4 hash4(vec3 cell)
{
    vec4 h = fract(cell.xyzx * vec4(0.1031, 0.1030, 0.0973, 0.1099));
    h += dot(h, h.wzxy + 33.33);
    return fract((h.xxyz + h.yzzw) * h.zywx);
}

// 0 below a, 1 above b, linear between: a cheap smoothstep (a and b are
// constants, so the division folds away).
float ramp(float a, float b, float x)
{
    return clamp((x - a) * (1.0 / (b - a)), 0.0, 1.0);
}

// The facade's frame, from the face's normal: `across` runs to the right
// seen from outside, `up` up the wall (along -z on the roof and +z on the
// underside, where the normal is +-y).
vec3 facadeAcross(vec3 n)
{
    return vec3(n.z + n.y * n.y, 0.0, -n.x);
}
vec3 facadeUp(vec3 n)
{
    return vec3(0.0, 1.0 - abs(n.y), -n.y);
}

// A direction from the room's centre, given in the facade's frame
// (across, up, inwards), in world axes: the room map is addressed so.
vec3 fromFacadeFrame(vec3 q)
{
    vec3 n = faceNormal;
    return facadeAcross(n) * q.x + facadeUp(n) * q.y - n * q.z;
}

// --- the room's box ---------------------------------------------------------------

struct Room {
    vec2 lo;        // the box's corner on the facade, in rooms along (across, up)
    vec2 size;      // 1 x 1, or 2 x 1 where two windows open into one room
    vec2 perSize;   // 1 / size
    float depth;    // how far it reaches into the building, in rooms
    vec4 h1;        // its numbers: depth, furniture depth, piece, light
    vec4 h2;        // and: piece turned and second dressing, tint, dressing, its extent
};

// The room behind a point of the facade (in rooms along across and up).
// The facade is cut into a grid of rooms, one per window. Windows come in
// pairs, and a hash of the pair decides whether the pair opens into one
// wide room; every other number of the room (its depth, furniture, light,
// tint and dressing) follows from the same hash, moved on by the room's
// place in the pair, so that every room is its own but never changes.
Room roomBox(vec2 entry)
{
    vec2 gridHi = max(roomGrid.xy, 0.0);
    vec2 cell = clamp(floor(entry), min(roomGrid.xy, 0.0), gridHi - 1.0);
    float pairX = floor(cell.x * 0.5) * 2.0;
    vec4 pairHash = hash4(vec3(pairX, cell.y, roomEntry.w));
    // The grid's extent is interpolated and may miss a whole number by a
    // rounding error, which would split a room at the grid's end in stripes.
    float merged = (pairX + 2.0 <= gridHi.x + 0.01 && pairHash.w < MERGED_SHARE) ? 1.0 : 0.0;
    Room r;
    r.lo = vec2(mix(cell.x, pairX, merged), cell.y);
    r.size = vec2(1.0 + merged, 1.0);
    r.perSize = vec2(1.0 - 0.5 * merged, 1.0);
    r.h1 = fract(pairHash.yzwx * 7.31 + (r.lo.x - pairX + 2.0 * merged) * vec4(0.618, 0.414, 0.732, 0.236));
    r.h2 = fract(r.h1.yzwx * 17.13 + r.h1.zwxy * 5.71);
    r.depth = min(mix(MIN_DEPTH, MAX_DEPTH, r.h1.x), roomGrid.z);
    return r;
}

// --- where the ray meets it ---------------------------------------------------------

struct BoxExit {
    float t;        // ray length to where the ray leaves the box
    float chord;    // ray length inside the box, ahead of the origin
    vec3 tOut;      // where it crosses the far plane of each axis
};

// The slab test: where a ray from `origin` along `dir` leaves the box
// [lo, hi]. In a room it gives the wall, floor or ceiling the ray meets
// first; on the ground, the part of the ray towards the sun that runs
// through the building, which makes the building's shadow.
BoxExit boxExit(vec3 origin, vec3 dir, vec3 lo, vec3 hi)
{
    vec3 perStep = 1.0 / mix(dir, vec3(MIN_STEP), step(abs(dir), vec3(MIN_STEP)));
    vec3 tMin = (lo - origin) * perStep;
    vec3 tMax = (hi - origin) * perStep;
    vec3 tIn = min(tMin, tMax);
    BoxExit e;
    e.tOut = max(tMin, tMax);
    e.t = min(min(e.tOut.x, e.tOut.y), e.tOut.z);
    e.chord = e.t - max(max(tIn.x, tIn.y), max(tIn.z, 0.0));
    return e;
}

struct Surface {
    vec3 look;      // direction into the room map
    float depth;    // the point's depth behind the facade, in rooms
    float window;   // 1 in a window out of the building (edge rooms)
    float frame;    // 1 on that window and its frame
};

// The point where the ray leaves the room's box, as a direction from the
// point the room is looked at from ("offset", normally its centre): the
// cube map then shows the same room stretched over any box. A wall that
// lies in a neighbouring facade (rooms at the building's edges) has a
// window out; around it the wall shows its own finish from above its
// furniture, since the map's wall there belongs to an inner room.
Surface roomSurface(Room room, vec2 entry, vec3 ray, BoxExit e)
{
    bool flatFace = roomGrid.w > 0.5;
    float ny = faceNormal.y;
    vec3 hit = vec3(entry + ray.xy * e.t, ray.z * e.t);
    vec3 q = 2.0 * ((hit - vec3(room.lo, 0.0)) * vec3(room.perSize, 1.0 / room.depth) - lookFrom);

    // The wall met lies in a neighbouring facade when the hit point is on
    // the grid's edge along that wall's axis; side walls of the walls'
    // rooms (x), and on the roof and the underside also their ends (y).
    vec2 toEdge = min(hit.xy - min(roomGrid.xy, 0.0), max(roomGrid.xy, 0.0) - hit.xy);
    bool hitX = e.tOut.x <= min(e.tOut.y, e.tOut.z);
    bool hitY = !hitX && e.tOut.y <= e.tOut.z && flatFace;
    bool outside = (hitX && toEdge.x < 0.001) || (hitY && toEdge.y < 0.001);
    vec2 onWall = flatFace ? vec2(hitX ? q.y : q.x, -q.z * ny) : q.zy;
    vec3 plain = flatFace ? vec3(q.xy, -PLAIN_WALL_HEIGHT * ny) : vec3(q.x, PLAIN_WALL_HEIGHT, q.z);
    // Distance outside the window's opening (negative inside), in wall units.
    vec2 fromOpening = abs(onWall - vec2(0.0, 0.12)) - vec2(0.55, 0.47);
    float opening = max(fromOpening.x, fromOpening.y);

    Surface s;
    s.look = fromFacadeFrame(outside ? plain : q);
    s.depth = hit.z;
    s.window = outside ? ramp(0.01, -0.01, opening) : 0.0;
    s.frame = outside ? ramp(0.08, 0.06, opening) : 0.0;
    return s;
}

// --- the furniture layer ------------------------------------------------------------

struct Layer {
    vec2 sheet;     // its point on the sheet, in (across, up) face coordinates
    float depth;    // its depth behind the facade, in rooms
    float shown;    // 1 where the room has a piece and the ray reaches it
};

// Furniture is a cut-out picture standing across the room at a depth of
// its own, in front of the back wall: one more plane for the ray to meet.
// The sheet holds four pieces, one per corner cell; the room shows one of
// them, perhaps mirrored, or none (piece 4). Inside the box the layer's
// point stays within its cell.
Layer furnitureLayer(Room room, vec2 entry, vec3 ray, float tWall)
{
    Layer f;
    f.depth = room.depth * mix(0.3, 0.75, room.h1.y);
    float t = f.depth / ray.z;
    vec2 inRoom = 2.0 * ((entry + ray.xy * t - room.lo) * room.perSize - lookFrom.xy);
    float piece = floor(room.h1.z * 5.0);
    vec2 corner = vec2(mod(piece, 2.0), floor(piece * 0.5)) * 2.0 - 1.0;
    float turned = room.h2.x < 0.5 ? -1.0 : 1.0;
    vec2 sheet = corner * CELL_PITCH + CELL_HALF * vec2(inRoom.x * turned, inRoom.y);
    f.sheet = sheet;
    f.shown = step(piece, 3.5) * step(t, tWall);
    return f;
}

// --- the room's light ---------------------------------------------------------------

// Whether the room's lamp is on.
bool lampOn(Room room)
{
    return room.h1.w >= DARK_SHARE;
}

// Without its lamp a room keeps the daylight from its window, which
// falls with depth (in rooms) from brighter than the map near the window
// to under a third at the back.
float daylight(float depth)
{
    return mix(1.4, 0.3, ramp(0.0, 1.0, depth));
}

// Each room has a warm or cool tint of its own, and all are darker than
// the sunlit facade.
vec3 roomTint(Room room)
{
    return mix(COOL_TINT, WARM_TINT, room.h2.y) * INTERIOR_EXPOSURE;
}

// A room's lamp is on or off. The room map's alpha is the share of each
// texel's light that does NOT come from the lamp, so a room without its
// lamp keeps only that share, in the daylight at its depth; the furniture,
// which has no such share, keeps half the daylight.
// A window out (edge rooms) shows the sky: a cheaper gradient than the
// reflected sky, since the window is small.
vec3 roomLight(vec4 seen, vec4 layer, Room room, Surface s, Layer f, vec3 rd)
{
    bool lit = lampOn(room);
    vec3 inside = seen.rgb * (lit ? 1.0 : min(seen.a * daylight(s.depth), 1.0));
    vec3 lookOut = mix(HORIZON, ZENITH, max(rd.y, 0.0));
    inside = mix(mix(inside, WINDOW_FRAME, s.frame), lookOut, s.window);
    float furnitureLight = lit ? 1.0 : 0.5 * daylight(f.depth);
    return mix(inside, layer.rgb * furnitureLight, f.shown * (1.0 - layer.a)) * roomTint(room);
}

// --- the dressing at the window ------------------------------------------------------

struct Dressing {
    vec2 sheet;     // its point on the sheet: in the blind's or the curtains' cell
    float shown;    // 1 where the blind or a curtain hangs
};

// Blinds or curtains hang just behind the glass of the walls' windows, too
// close to it to shift against it, so they are read at the facade point
// itself. A blind covers one window and is pulled up part way: its lower
// part shows, sill edge first. Curtains span the room, their halves slid
// apart part way. A hash of the room picks none, blind or curtains, which
// of the two of each, and how far. The roof and the underside have none.
Dressing windowDressing(Room room, vec2 entry)
{
    vec2 atGlass = (entry - room.lo) * room.perSize;
    float kind = roomGrid.w > 0.5 ? 0.0 : room.h2.z;
    float second = step(0.5, room.h2.x);
    float drop = mix(0.3, 0.95, room.h2.w);
    vec2 blindAt = vec2(fract(entry.x), atGlass.y - 1.0 + drop);
    float blind = step(0.35, kind) * step(kind, 0.7) * step(0.0, blindAt.y);
    float open = mix(0.28, 0.42, room.h2.w);
    vec2 curtainAt = vec2(atGlass.x + (atGlass.x < 0.5 ? open : -open), atGlass.y);
    float curtain = step(0.7, kind) * step(open, abs(atGlass.x - 0.5));
    vec2 cell = mix(mix(vec2(0.0, -1.0), vec2(-1.0, 0.0), second),
                    mix(vec2(0.0, 1.0), vec2(1.0, 0.0), second), blind);
    vec2 sheet = cell * CELL_PITCH + CELL_HALF * (2.0 * mix(curtainAt, blindAt, blind) - 1.0);
    Dressing d;
    d.sheet = sheet;
    d.shown = max(blind, curtain);
    return d;
}

// The dressing over the room where it hangs and is opaque, in the
// daylight on the face.
vec3 dressed(vec3 inside, vec4 layer, float shown)
{
    return mix(inside, layer.rgb * (0.6 + 0.4 * faceLight.a), shown * (1.0 - layer.a));
}

// How far a room is on its way to its far colour: rooms only a few pixels
// across show a flat colour instead of details that would flicker as the
// eye moves. Each room turns at a threshold of its own, so that no line
// runs across the facade where they all change. `footprint` is the
// pixel's extent on the facade, in facade coordinates.
float farShare(Room room, vec2 footprint)
{
    vec2 inRooms = footprint * abs(roomGrid.xy);
    float tiny = ramp(0.1, 0.3, max(inRooms.x, inRooms.y));
    return tiny > fract(room.h1.z * 5.0) ? tiny : 0.0;
}

// The room faded towards the far colour, the sheet's centre: lit, or
// with the daylight its alpha leaves.
vec3 distantRoom(vec3 inside, vec4 far, Room room, float share)
{
    return mix(inside, far.rgb * (lampOn(room) ? 1.0 : min(far.a * FAR_DAYLIGHT, 1.0)) * roomTint(room),
               share);
}

// --- the facade and its glass ---------------------------------------------------------

// The analytic sky along unit direction r: the gradient from the horizon
// to the zenith above, the ground fading into haze below. The glass
// reflects this, since the world map is not bound while the faces draw.
vec3 analyticSky(vec3 r)
{
    float height = max(r.y, 0.0);
    vec3 above = mix(HORIZON, ZENITH, height * (2.0 - height));
    vec3 below = mix(HORIZON * 0.92, FAR_GROUND, ramp(0.0, 0.25, -r.y));
    return r.y >= 0.0 ? above : below;
}

// The sun's highlight along unit direction r: cos^256, by squaring.
float sunGlint(vec3 r)
{
    float c = max(dot(r, sunDir), 0.0);
    c *= c; c *= c; c *= c; c *= c;
    c *= c; c *= c; c *= c; c *= c;
    return c;
}

// The facade's colour and alpha at this pixel. Two taps a quarter of the
// pixel's footprint (dx, dy) either side of its centre, along the
// footprint's long axis, average what one tap would alias where the facade
// is minified (far off, or at a grazing angle).
vec4 facadeTexel(vec2 dx, vec2 dy)
{
    vec2 along = 0.25 * (dot(dx, dx) > dot(dy, dy) ? dx : dy);
    return 0.5 * (texture2D(baseTex, facadeUV + along) + texture2D(baseTex, facadeUV - along));
}

// The share of the sky that the facade reflects, by Schlick's Fresnel term:
// `facing` is the cosine between the view and the face's normal. Only glass
// reflects (facade alpha up to one half, fading out towards the opaque
// wall); tinted glass (alpha about 0.3 and up) reflects more head-on.
float glassReflectance(float facing, float alpha)
{
    float glass = clamp(2.0 - 2.0 * alpha, 0.0, 1.0);
    float f0 = mix(CLEAR_F0, TINTED_F0, ramp(0.2, 0.4, alpha));
    float grazing = 1.0 - max(facing, 0.0);
    float grazing5 = grazing * grazing;
    grazing5 *= grazing5 * grazing;
    return (f0 + (1.0 - f0) * grazing5) * glass;
}

// The facade laid over the room by its alpha and lit by the sun and the
// open sky (darker near the ground). Where it is glass it reflects the sky,
// faintly head-on and strongly at grazing angles, and the sun glints on
// glass only.
vec3 facadeAndGlass(vec3 inside, vec3 rd, vec2 dx, vec2 dy)
{
    vec4 facade = facadeTexel(dx, dy);
    float nearGround = mix(0.62, 1.0, ramp(0.0, 0.45, roomEntry.z));
    vec3 wall = facade.rgb * (faceLight.rgb * nearGround + SUN_LIGHT * lightColor.rgb * faceLight.a);

    float facing = -dot(rd, seenNormal);
    vec3 mirrored = rd + (2.0 * facing) * seenNormal;
    float fresnel = glassReflectance(facing, facade.a);
    return mix(mix(inside, wall, facade.a), analyticSky(mirrored), fresnel)
         + lightColor.rgb * (SUN_GLINT * fresnel * sunGlint(mirrored));
}

// --- the sky and the ground ------------------------------------------------------------

// Where the view ray meets the ground plane y = 0.
vec3 groundPoint(vec3 rd)
{
    return camPos + rd * (camPos.y / max(-rd.y, MIN_STEP));
}

// The world map along the view. Steeply down, the lookup stays on the
// side faces, which paint the ground far off; the -Y face holds the tile.
vec3 skyLook(vec3 rd)
{
    return vec3(rd.x, max(rd.y, -0.9 * max(abs(rd.x), abs(rd.z))), rd.z);
}

// The ground tile under a point of the ground, from the world map's -Y
// face, half a tile on so that the tile's edges run well away from the
// building.
vec3 tileLook(vec3 ground)
{
    vec2 tile = fract(ground.xz * (1.0 / GROUND_TILE) + 0.5) * 2.0 - 1.0;
    return vec3(tile.x, -1.0, tile.y);
}

// Whether the view ray meets the ground: the eye is above it and looks down.
bool groundSeen(vec3 rd)
{
    return camPos.y > 0.0 && rd.y < 0.0;
}

// The ground plane's own colour: the tile near by; far off, where more than
// a couple of the tile's texels fall in a pixel (its finest lines, the
// hedges, are six wide), the world map's own picture of the distance
// (`sky`, looked up along the view), which cannot alias.
vec3 groundField(vec4 sky, vec4 tile, vec3 ground)
{
    vec2 reach = fwidth(ground.xz) * (TILE_TEXELS / GROUND_TILE);
    float distant = ramp(2.0, 6.0, max(reach.x, reach.y));
    return mix(tile.rgb, sky.rgb, distant);
}

// Next to the building the ground is darker, since the walls hide half the
// sky: the light left at a point of the ground, by its distance from the
// walls.
float contactShade(vec3 ground)
{
    vec2 fromWalls = max(abs(ground.xz - BUILDING_CENTRE.xz) - 0.5, 0.0);
    return mix(CONTACT_DARK, 1.0, ramp(0.0, CONTACT_REACH, length(fromWalls)));
}

// The light left at a point of the ground whose ray to the sun runs through
// the building for `chord`: the building's shadow, soft at its edges, where
// the ray only clips a corner.
float buildingShadow(float chord)
{
    return mix(1.0, SHADOW_LIGHT, ramp(0.0, SHADOW_SOFTNESS, chord));
}

// Above the horizon the sky is the world map. Below it the view meets the
// ground plane, with the contact shade and the building's shadow.
vec3 skyAndGround(vec4 sky, vec4 tile, vec3 ground, vec3 rd, float shadowChord)
{
    vec3 field = groundField(sky, tile, ground);
    return groundSeen(rd) ? field * (contactShade(ground) * buildingShadow(shadowChord)) : sky.rgb;
}

// --- the steps shown alone ----------------------------------------------------------------
// scripts/explain.sh defines one SHOW_... switch after the #version line to
// draw one step of the technique on its own (docs/how-it-works.md), through
// the two functions below, which the end of main calls. Without a switch
// they return the finished picture, and nothing else of this is used.

const vec3 SIDE_WALL_MET = vec3(0.90, 0.30, 0.20);
const vec3 FLOOR_MET = vec3(0.25, 0.75, 0.25);
const vec3 CEILING_MET = vec3(0.25, 0.45, 0.95);
const vec3 BACK_WALL_MET = vec3(0.95, 0.85, 0.25);

// Each room in a flat colour of its own numbers, its box outlined in black
// and, in a room of two windows, the line between the windows in its own
// colour, darker. Lines are a few pixels wide at any distance.
vec3 roomCells(Room room, vec2 entry)
{
    vec2 width = 1.5 * fwidth(entry);
    vec2 inBox = entry - room.lo;
    vec2 toBox = min(inBox, room.size - inBox) / width;
    vec2 toCell = min(fract(entry), 1.0 - fract(entry)) / width;
    vec3 own = 0.25 + 0.7 * room.h1.xzw;
    vec3 cells = mix(own, own * 0.55, step(min(toCell.x, toCell.y), 1.0));
    return mix(cells, vec3(0.0), step(min(toBox.x, toBox.y), 1.0));
}

// Which surface of a wall's room the ray meets first: a side wall, the
// floor, the ceiling or the back wall, darker the deeper the point lies
// behind the facade (`depth`, in rooms).
vec3 surfaceMet(BoxExit e, vec3 ray, float depth)
{
    bool side = e.tOut.x <= min(e.tOut.y, e.tOut.z);
    bool level = !side && e.tOut.y <= e.tOut.z;
    vec3 c = side ? SIDE_WALL_MET : level ? (ray.y < 0.0 ? FLOOR_MET : CEILING_MET) : BACK_WALL_MET;
    return c * mix(1.0, 0.2, ramp(0.0, MAX_DEPTH, depth));
}

// One step of the building alone in place of the finished building (the
// arguments are main's results on the way to it). Without a switch, the
// finished building.
vec3 roomStepAlone(vec3 finished, Room room, vec2 entry, vec3 ray, BoxExit e, Surface surface,
                   Layer furniture, Dressing dressing, float detail, vec4 seen, vec4 layer,
                   vec3 inside, vec3 rd, vec2 dx, vec2 dy)
{
    vec3 shown = finished;
#if defined(SHOW_FURNITURE) || defined(SHOW_ROOM_LIGHT)
    // The furniture as it stands, also where a dressing or the far colour
    // takes its place in the shared lookup.
    Layer alone = furnitureLayer(room, entry, ray, e.t);
    vec4 piece = textureCube(wallTex, fromFacadeFrame(vec3(alone.sheet, -1.0)));
#endif
#ifdef SHOW_ROOM_CELLS
    shown = roomCells(room, entry);
#endif
#ifdef SHOW_SURFACE_MET
    shown = surfaceMet(e, ray, surface.depth);
#endif
#ifdef SHOW_ROOM_MAP
    shown = seen.rgb;
#endif
#ifdef SHOW_FURNITURE
    shown = mix(0.25 * seen.rgb, piece.rgb, alone.shown * (1.0 - piece.a));
#endif
#ifdef SHOW_ROOM_LIGHT
    shown = roomLight(seen, piece, room, surface, alone, rd);
#endif
#ifdef SHOW_DRESSING
    shown = dressed(roomLight(seen, layer, room, surface, furniture, rd), layer, dressing.shown * detail);
#endif
#ifdef SHOW_FACADE
    vec4 facade = facadeTexel(dx, dy);
    shown = mix(inside, facade.rgb, facade.a);
#endif
#ifdef SHOW_FRESNEL
    shown = vec3(glassReflectance(-dot(rd, seenNormal), facadeTexel(dx, dy).a));
#endif
    return shown;
}

// One step of the ground alone where the ground is seen; the sky stays
// finished. Without a switch, the finished sky and ground.
vec3 groundStepAlone(vec3 finished, vec4 seen, vec4 layer, vec3 ground, vec3 rd, float chord)
{
    vec3 shown = finished;
#ifdef SHOW_GROUND_PLANE
    shown = groundField(seen, layer, ground);
#endif
#ifdef SHOW_CONTACT_SHADE
    shown = vec3(contactShade(ground));
#endif
#ifdef SHOW_SHADOW
    shown = vec3(buildingShadow(chord));
#endif
    return groundSeen(rd) ? shown : finished;
}

// --- the whole ------------------------------------------------------------------------

void main()
{
    bool sky = useWalls == 0;
    vec3 rd = normalize(viewRay);

    // The room: its box, and the ray through it from the facade.
    vec2 entry = roomEntry.xy;
    vec3 ray = vec3(roomRay.xy, max(roomRay.z, MIN_STEP));
    Room room = roomBox(entry);
    vec3 ground = groundPoint(rd);

    // One ray-box test for both passes: through the room, or from the
    // ground towards the sun through the building.
    BoxExit e = boxExit(sky ? ground : vec3(entry, 0.0), sky ? sunDir : ray,
                        sky ? vec3(0.0) : vec3(room.lo, 0.0),
                        sky ? vec3(1.0) : vec3(room.lo + room.size, room.depth));
    Surface surface = roomSurface(room, entry, ray, e);
    Layer furniture = furnitureLayer(room, entry, ray, e.t);
    Dressing dressing = windowDressing(room, entry);
    // The pixel's footprint on the facade.
    vec2 dx = dFdx(facadeUV);
    vec2 dy = dFdy(facadeUV);
    float far = farShare(room, abs(dx) + abs(dy));

    // The two shared lookups. The second reads one cell of the sheet: the
    // far colour for a room turning distant, else the dressing where it
    // hangs, else the furniture (so furniture does not show through gaps
    // in a dressing), turned into a direction once.
    bool distant = far > 0.0;
    vec2 sheet = distant ? vec2(0.0) : dressing.shown > 0.5 ? dressing.sheet : furniture.sheet;
    vec3 cell = fromFacadeFrame(vec3(sheet, -1.0));
    vec4 seen = textureCube(wallTex, sky ? skyLook(rd) : surface.look);
    vec4 layer = textureCube(wallTex, sky ? tileLook(ground) : cell);

    float detail = distant ? 0.0 : 1.0;
    furniture.shown *= detail * (1.0 - dressing.shown);
    vec3 inside = roomLight(seen, layer, room, surface, furniture, rd);
    inside = dressed(inside, layer, dressing.shown * detail);
    inside = distantRoom(inside, layer, room, far);
    vec3 building = facadeAndGlass(inside, rd, dx, dy);

    vec3 finished = sky ? skyAndGround(seen, layer, ground, rd, e.chord) : building;
    // With a SHOW_... switch (scripts/explain.sh), one step alone instead.
    gl_FragColor = vec4(sky ? groundStepAlone(finished, seen, layer, ground, rd, e.chord)
                            : roomStepAlone(finished, room, entry, ray, e, surface, furniture, dressing,
                                            detail, seen, layer, inside, rd, dx, dy), 1.0);
}
