#version 110
// Interior mapping, fragment stage: a building in its world.
//
// Building faces (useWalls = 1). The building is cut into a grid of rooms
// (ROOMS_PER_UNIT per unit, in VLight.glsl), one behind each window. Every room is a box
// that starts at the facade and reaches a depth of its own; some span two
// windows. The ray from the eye through this fragment is followed through
// the box to the wall, floor or ceiling it meets, and the face's room cube
// map is read with the direction from the box's centre to that point, so
// rooms show true depth and parallax. A hash of the room picks its depth,
// width, piece of furniture, blind or curtains and whether its light is on.
// Furniture is a cut-out layer at its own depth, read from the cube map's
// face that looks out through the facade (never seen as a wall), which
// holds four pieces in its quarters. The room maps' alpha is the share of
// each texel's light that does NOT come from the room's lamp, so a room
// with its light off keeps only daylight from its window. Walls that lie
// in a neighbouring facade (rooms at the building's edges) show a window.
// The facade is laid over the room by its alpha and lit by the sun; glass
// (alpha up to one half) reflects an analytic sky by Schlick's Fresnel term.
//
// Sky (useWalls = 0). The world cube map along the view direction; view
// rays that go below the horizon meet the ground plane y = 0, textured
// from the world map's -Y face as a tile, with the building's contact
// shade and its shadow from the sun.
//
// "lightPos" is where the sun lies, seen from the building's centre.
//
// A software renderer runs both sides of a branch for every fragment, so
// the two passes share their two cube-map lookups (the room surface or the
// sky, and the furniture or the ground tile) and one ray-box test (through
// the room, or from the ground towards the sun through the building); the
// result is chosen at the end.

uniform sampler2D baseTex;   // facade (rgb + alpha)
uniform samplerCube wallTex; // room cube map, or the world when drawing the sky
uniform int useWalls;        // 1: building face, 0: sky
uniform vec3 camPos;         // eye, world units
uniform vec4 lightPos;       // sun position (w = 1) or direction (w = 0)
uniform vec4 lightColor;

varying vec2 facadeUV;
varying vec3 viewRay;
varying vec3 faceNormal;
varying vec3 across;
varying vec3 up;
varying vec4 roomEntry;
varying vec3 roomRay;
varying vec4 roomGrid;
varying vec3 lookFrom;

const vec3 BUILDING_CENTRE = vec3(0.5, 0.5, 0.5);
const float MIN_STEP = 1.0e-5;      // smallest ray component divided by

// --- rooms -------------------------------------------------------------------
const float MERGED_SHARE = 0.3;     // pairs of windows that share one room
const float MIN_DEPTH = 0.5;        // room depth range, in rooms
const float MAX_DEPTH = 1.5;
const float DARK_SHARE = 0.3;       // rooms whose light is off
const float ATLAS_HALF = 0.47;      // half a furniture quarter, less a margin (texgen: kAtlasHalf)
const float INTERIOR_EXPOSURE = 0.72; // rooms are darker than the sunlit facade
const vec3 WARM_TINT = vec3(1.0, 0.94, 0.84);
const vec3 COOL_TINT = vec3(0.90, 0.95, 1.0);
const vec3 ROOM_AVERAGE = vec3(0.50, 0.45, 0.38);
const vec3 BLIND_COLOR = vec3(0.86, 0.84, 0.78);
const float PLAIN_WALL_HEIGHT = 0.8; // a wall's finish above its furniture

// --- light and sky (the generator paints the same sky) ------------------------
const vec3 ZENITH = vec3(0.20, 0.40, 0.78);
const vec3 HORIZON = vec3(0.78, 0.86, 0.94);
const vec3 FAR_GROUND = vec3(0.40, 0.46, 0.30);
const vec3 SKY_FILL = vec3(0.50, 0.56, 0.66);   // light from the open sky
const vec3 GROUND_BOUNCE = vec3(0.40, 0.38, 0.32); // light from the ground
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

// Hashes of a room's cell in [0, 1): a round of quadratic mixing, so
// neighbouring cells share no stripes or diagonals. No sine: it is costly
// on a software renderer.
vec4 hash4(vec3 cell)
{
    vec4 h = fract(cell.xyzx * vec4(0.1031, 0.1030, 0.0973, 0.1099));
    h += dot(h, h.wzxy + 33.33);
    return fract((h.xxyz + h.yzzw) * h.zywx);
}

// 0 below a, 1 above b, linear between: a cheap smoothstep.
float ramp(float a, float b, float x)
{
    return clamp((x - a) / (b - a), 0.0, 1.0);
}

// The sky without a texture, along unit direction r: the gradient from the
// horizon to the zenith above, the ground fading into haze below.
vec3 analyticSky(vec3 r)
{
    float height = max(r.y, 0.0);
    vec3 above = mix(HORIZON, ZENITH, height * (2.0 - height));
    vec3 below = mix(HORIZON * 0.92, FAR_GROUND, ramp(0.0, 0.25, -r.y));
    return r.y >= 0.0 ? above : below;
}

// The sun's highlight along unit direction r: cos^256, by squaring.
float sunGlint(vec3 r, vec3 sun)
{
    float c = max(dot(r, sun), 0.0);
    c *= c; c *= c; c *= c; c *= c;
    c *= c; c *= c; c *= c; c *= c;
    return c;
}

void main()
{
    bool sky = useWalls == 0;
    vec3 sun = normalize(lightPos.xyz - BUILDING_CENTRE * lightPos.w);
    vec3 rd = normalize(viewRay);

    // ---- the room behind this point of the facade -----------------------------
    // Local frame (from the vertex stage): x along the facade (U), y up it
    // (V), z into the building.
    vec3 n = faceNormal;
    vec3 U = across;
    vec3 V = up;
    bool flatFace = roomGrid.w > 0.5;
    vec2 entry = roomEntry.xy;
    vec3 ray = vec3(roomRay.xy, max(roomRay.z, MIN_STEP));
    float perDepth = 1.0 / ray.z;   // ray length per unit of depth
    vec2 gridLo = min(roomGrid.xy, 0.0);
    vec2 gridHi = max(roomGrid.xy, 0.0);
    vec2 cell = clamp(floor(entry), gridLo, gridHi - 1.0);
    float faceCode = roomEntry.w;

    // Windows come in pairs; some pairs open into one wide room. One hash of
    // the pair decides that, and a room of its own takes its numbers from
    // the pair's, moved on by its place in the pair.
    float pairX = floor(cell.x * 0.5) * 2.0;
    vec4 pairHash = hash4(vec3(pairX, cell.y, faceCode));
    float merged = (pairX + 2.0 <= gridHi.x && pairHash.w < MERGED_SHARE) ? 1.0 : 0.0;
    vec2 boxLo = vec2(mix(cell.x, pairX, merged), cell.y);
    vec2 boxSize = vec2(1.0 + merged, 1.0);
    vec2 perBox = vec2(1.0 - 0.5 * merged, 1.0);
    vec4 h1 = fract(pairHash.yzwx * 7.31 + (boxLo.x - pairX + 2.0 * merged) * vec4(0.618, 0.414, 0.732, 0.236));
    vec4 h2 = fract(h1.yzwx * 17.13 + h1.zwxy * 5.71);
    float depth = min(mix(MIN_DEPTH, MAX_DEPTH, h1.x), roomGrid.z);

    // ---- the ground below the sky -------------------------------------------
    bool groundSeen = camPos.y > 0.0 && rd.y < 0.0;
    vec3 ground = camPos + rd * (camPos.y / max(-rd.y, MIN_STEP));

    // ---- one ray-box test for both passes --------------------------------------
    // On a face: the ray from the facade through the room's box to the wall,
    // floor or ceiling it meets first. On the sky: the ray from the ground
    // towards the sun through the building; the length of it inside the
    // building makes the building's shadow, soft at its edges.
    vec3 origin = sky ? ground : vec3(entry, 0.0);
    vec3 toward = sky ? sun : ray;
    vec3 boxMin = sky ? vec3(0.0) : vec3(boxLo, 0.0);
    vec3 boxMax = sky ? vec3(1.0) : vec3(boxLo + boxSize, depth);
    vec3 perStep = 1.0 / mix(-max(abs(toward), MIN_STEP), max(abs(toward), MIN_STEP), step(0.0, toward));
    vec3 tMin = (boxMin - origin) * perStep;
    vec3 tMax = (boxMax - origin) * perStep;
    vec3 tOut = max(tMin, tMax);
    vec3 tIn = min(tMin, tMax);
    float t = min(min(tOut.x, tOut.y), tOut.z);
    float chord = t - max(max(tIn.x, tIn.y), max(tIn.z, 0.0));
    vec2 farWall = mix(boxMin.xy, boxMax.xy, step(0.0, toward.xy));
    vec3 hit = vec3(entry + ray.xy * t, ray.z * t);
    vec3 q = 2.0 * ((hit - vec3(boxLo, 0.0)) * vec3(perBox, 1.0 / depth) - lookFrom);  // on [-1,1]^3

    // A wall that lies in a neighbouring facade shows a window to the sky;
    // around it, the wall's own finish from above its furniture.
    bool hitX = tOut.x <= min(tOut.y, tOut.z);
    bool hitY = !hitX && tOut.y <= tOut.z && flatFace;
    bool outside = (hitX && (farWall.x <= gridLo.x || farWall.x >= gridHi.x))
                || (hitY && (farWall.y <= gridLo.y || farWall.y >= gridHi.y));
    vec2 onWall = flatFace ? vec2(hitX ? q.y : q.x, -q.z * n.y) : vec2(q.z, q.y);
    vec3 plain = flatFace ? vec3(q.xy, -PLAIN_WALL_HEIGHT * n.y) : vec3(q.x, PLAIN_WALL_HEIGHT, q.z);
    q = outside ? plain : q;
    vec3 roomLook = U * q.x + V * q.y - n * q.z;
    // Distance outside the window's opening (negative inside), in wall units.
    vec2 fromOpening = abs(onWall - vec2(0.0, 0.12)) - vec2(0.55, 0.47);
    float opening = max(fromOpening.x, fromOpening.y);
    float window = outside ? ramp(0.01, -0.01, opening) : 0.0;
    float windowFrame = outside ? ramp(0.08, 0.06, opening) : 0.0;

    // Furniture: a cut-out layer at its own depth; piece 4 is none.
    float furnitureDepth = depth * mix(0.3, 0.75, h1.y);
    float tFurniture = furnitureDepth * perDepth;
    vec2 inRoom = 2.0 * ((entry + ray.xy * tFurniture - boxLo) * perBox - lookFrom.xy);
    float piece = floor(h1.z * 5.0);
    vec2 quarter = vec2(mod(piece, 2.0), floor(piece * 0.5)) - 0.5;
    float turned = h2.x < 0.5 ? -1.0 : 1.0;
    // Inside the box the layer's point stays within its quarter of the face.
    vec2 atlas = quarter + ATLAS_HALF * vec2(inRoom.x * turned, inRoom.y);
    vec3 furnitureLook = n + U * atlas.x + V * atlas.y;
    float furnitureShown = step(piece, 3.5) * step(tFurniture, t);

    // Half a tile on, so that the tile's edges run well away from the building.
    vec2 tile = fract(ground.xz / GROUND_TILE + 0.5) * 2.0 - 1.0;
    vec3 tileLook = vec3(tile.x, -1.0, tile.y);

    // ---- the two shared lookups -------------------------------------------------
    // Steeply down, the sky lookup stays on the side faces, which paint the
    // ground far off; the -Y face holds the tile.
    vec3 skyLook = vec3(rd.x, max(rd.y, -0.9 * max(abs(rd.x), abs(rd.z))), rd.z);
    vec4 seen = textureCube(wallTex, sky ? skyLook : roomLook);
    vec4 layer = textureCube(wallTex, sky ? tileLook : furnitureLook);

    // ---- sky and ground ------------------------------------------------------------
    // Far off, where more than a couple of the tile's texels fall in a pixel
    // (its finest lines, the hedges, are six wide), the ground becomes the
    // world map's own picture of the distance, which cannot alias.
    vec2 reach = fwidth(ground.xz) * (TILE_TEXELS / GROUND_TILE);
    float distant = ramp(2.0, 6.0, max(reach.x, reach.y));
    vec3 field = mix(layer.rgb, seen.rgb, distant);
    vec2 fromWalls = max(abs(ground.xz - BUILDING_CENTRE.xz) - 0.5, 0.0);
    float contact = mix(CONTACT_DARK, 1.0, ramp(0.0, CONTACT_REACH, length(fromWalls)));
    float shadow = ramp(0.0, SHADOW_SOFTNESS, chord);
    vec3 skyColor = groundSeen ? field * contact * mix(1.0, SHADOW_LIGHT, shadow) : seen.rgb;

    // ---- inside the room -------------------------------------------------------------
    bool lit = h1.w >= DARK_SHARE;
    vec3 tint = mix(COOL_TINT, WARM_TINT, h2.y) * INTERIOR_EXPOSURE;
    // Without its lamp a room keeps the daylight, which fades with depth:
    // the share of each texel's light that is not the lamp's, brightened
    // near the window.
    float daylight = mix(1.4, 0.3, ramp(0.0, 1.0, hit.z));
    vec3 room = seen.rgb * (lit ? 1.0 : min(seen.a * daylight, 1.0));
    // The sky through that window: a cheaper gradient than analyticSky (the
    // window is small), which keeps the horizon's colour below the horizon.
    vec3 lookOut = mix(HORIZON, ZENITH, max(rd.y, 0.0));
    room = mix(room, mix(vec3(0.92), lookOut, window / max(windowFrame, MIN_STEP)), windowFrame);
    float furnitureLight = lit ? 1.0 : 0.5 * mix(1.4, 0.3, ramp(0.0, 1.0, furnitureDepth));
    room = mix(room, layer.rgb * furnitureLight, furnitureShown * (1.0 - layer.a)) * tint;

    // Blinds (some pulled part way down) or curtains, on the walls' windows.
    // They hang just behind the glass, too close to it to shift against it.
    vec2 atGlass = (entry - boxLo) * perBox;
    float dressing = flatFace ? 0.0 : h2.z;
    float blind = step(0.35, dressing) * step(dressing, 0.7)
                * step(1.0 - mix(0.3, 0.95, h2.w), atGlass.y);
    float curtain = step(0.7, dressing) * step(mix(0.28, 0.42, h2.w), abs(atGlass.x - 0.5));
    float daylit = 0.6 + 0.4 * max(dot(n, sun), 0.0);
    vec3 slats = BLIND_COLOR * (0.8 + 0.4 * abs(fract(atGlass.y * 14.0) - 0.5)) * daylit;
    vec3 cloth = mix(vec3(0.55, 0.20, 0.17), vec3(0.22, 0.32, 0.48), h2.x)
               * (0.7 + 0.6 * abs(fract(atGlass.x * 10.0) - 0.5)) * daylit;
    room = mix(room, slats, blind);
    room = mix(room, cloth, curtain);

    // A room only a few pixels across shows its average colour instead of
    // details that would flicker as the eye moves.
    float tiny = ramp(0.1, 0.3, max(fwidth(entry.x), fwidth(entry.y)));
    room = mix(room, ROOM_AVERAGE * (lit ? 1.0 : 0.3) * tint, tiny);

    // ---- the facade, lit by the sun, and its glass -----------------------------------
    // Two taps a quarter of the pixel's footprint either side of its
    // centre, along the footprint's long axis: when the facade is minified
    // (far off, or at a grazing angle) they average what one tap would alias.
    vec2 dx = dFdx(facadeUV);
    vec2 dy = dFdy(facadeUV);
    vec2 along = 0.25 * (dot(dx, dx) > dot(dy, dy) ? dx : dy);
    vec4 facade = 0.5 * (texture2D(baseTex, facadeUV + along) + texture2D(baseTex, facadeUV - along));
    vec3 nl = dot(n, rd) > 0.0 ? -n : n;   // faces are seen from both sides
    float nearGround = mix(0.62, 1.0, ramp(0.0, 0.45, roomEntry.z));
    vec3 ambient = mix(GROUND_BOUNCE, SKY_FILL, 0.5 + 0.5 * nl.y) * nearGround;
    vec3 wall = facade.rgb * lightColor.rgb * (ambient + SUN_LIGHT * max(dot(nl, sun), 0.0));

    vec3 mirrored = reflect(rd, nl);
    float glass = clamp(2.0 * (1.0 - facade.a), 0.0, 1.0);
    float f0 = mix(CLEAR_F0, TINTED_F0, ramp(0.2, 0.4, facade.a));
    float grazing = 1.0 - max(dot(-rd, nl), 0.0);
    float grazing5 = grazing * grazing;
    grazing5 *= grazing5 * grazing;
    float fresnel = (f0 + (1.0 - f0) * grazing5) * glass;
    vec3 building = mix(mix(room, wall, facade.a), analyticSky(mirrored), fresnel)
                  + lightColor.rgb * (SUN_GLINT * sunGlint(mirrored, sun) * fresnel);

    gl_FragColor = vec4(sky ? skyColor : building, 1.0);
}
