#version 120
// Interior mapping, fragment stage.
//
// Building faces (useWalls = 1): the building is cut into a regular grid of
// cubic rooms. The ray from the eye through this fragment enters one room
// at the fragment; the room's far walls (one per axis, in the direction of
// travel) are intersected and the nearest one is the surface seen. The room
// cube map is looked up with the direction from the room's centre to that
// point, so every room shows true depth and parallax. The facade texture is
// then laid over the room by its alpha (glass transparent, walls opaque)
// and lit by the scene light.
//
// Sky (useWalls = 0): the world cube map along the view direction.
//
// A software renderer runs both sides of a branch for every fragment, so
// the two cases share one cube-map lookup and the result is chosen at the
// end instead of branching around the room computation.
//
// The end-to-end tests compare stored class maps of a few views with what
// this pair draws; after an intended change of the picture, look at it and
// record them again with scripts/record-golden.sh.

uniform sampler2D baseTex;  // facade (rgb + alpha)
uniform samplerCube wallTex;// room cube map, or the world when drawing the sky
uniform int useWalls;       // 1: building face, 0: sky
uniform vec3 wallFreq;      // multiplies the room grid per axis
uniform vec4 lightColor;
uniform vec3 offset;        // where a room's centre lies within its cell

varying vec2 facadeUV;
varying vec3 roomPos;
varying vec3 roomRay;
varying vec3 toEye;
varying vec3 toLight;
varying vec3 faceNormal;
varying vec3 skyDir;

const float ROOMS_PER_UNIT = 4.0;  // as in VLight.glsl
const float ENTRY_NUDGE = 1.0e-3;  // step (room units) into the room entered
const float MIN_STEP = 1.0e-6;     // smallest ray component we divide by

// Room variety comes from an integer hash of the room's cell, computed on
// small whole numbers so that it is exact in float arithmetic.
const vec3 HASH_WEIGHTS = vec3(7.0, 13.0, 11.0);
const float HASH_RANGE = 16.0;
const float DARK_BELOW = 4.0;      // hash 0..3: the room's light is off
const vec3 WARM_TINT = vec3(1.0, 0.95, 0.86);
const vec3 COOL_TINT = vec3(0.88, 0.95, 1.0);
const float DARK_ROOM = 0.45;      // brightness of a room with its light off
const float DEPTH_FALLOFF = 0.3;   // darkening of the back of a room

const float AMBIENT = 0.55;
const float DIFFUSE = 0.6;
const float SPECULAR = 0.6;        // highlight on tinted glass, power 32

// The room surface this fragment looks at: the direction to read the room
// cube map with, and the tint and brightness of that room.
struct RoomView {
    vec3 look;
    vec3 shade;
};

RoomView viewRoom(vec3 normal)
{
    vec3 freq = wallFreq * ROOMS_PER_UNIT;
    vec3 p = roomPos;   // entry point, room units
    vec3 d = roomRay;   // ray direction, room units
    // The cell just past the entry point along the ray, kept inside the
    // building so that an eye inside it still sees a room, not garbage.
    vec3 cell = clamp(floor(p + normalize(d) * ENTRY_NUDGE), vec3(0.0), freq - 1.0);

    // Distance along the ray to the far wall of the cell on each axis; the
    // nearest is the wall hit. Components too close to zero divide as a
    // tiny step of the same sign, so an axis the ray never crosses gets a
    // huge distance instead of a division by zero.
    vec3 ahead = step(0.0, d);
    vec3 tAxis = (cell + ahead - p) * (2.0 * ahead - 1.0) / max(abs(d), vec3(MIN_STEP));
    float t = max(min(min(tAxis.x, tAxis.y), tAxis.z), 0.0);
    vec3 look = p + d * t - (cell + offset);

    float h = mod(dot(cell, HASH_WEIGHTS), HASH_RANGE);
    // Every other room is furnished as the mirror image: flip the axis that
    // runs along the facade (z for the X faces, x for the others).
    vec3 flip = abs(normal.x) > 0.5 ? vec3(1.0, 1.0, -1.0) : vec3(-1.0, 1.0, 1.0);
    look *= mod(h, 2.0) >= 1.0 ? flip : vec3(1.0);
    vec3 tint = mod(floor(h * 0.5), 2.0) >= 1.0 ? WARM_TINT : COOL_TINT;
    float brightness = h >= DARK_BELOW ? 1.0 : DARK_ROOM;
    float depth = min(abs(dot(d * t, normal)), 1.0);
    return RoomView(look, tint * brightness * (1.0 - DEPTH_FALLOFF * depth));
}

void main()
{
    vec3 normal = faceNormal;
    RoomView room = viewRoom(normal);
    bool sky = useWalls == 0;
    vec3 seen = textureCube(wallTex, sky ? skyDir : room.look).rgb;

    // Faces are seen from both sides: light the side facing the eye.
    vec3 eyeDir = normalize(toEye);
    vec3 lightDir = normalize(toLight);
    vec3 litNormal = dot(normal, eyeDir) < 0.0 ? -normal : normal;
    float diffuse = max(dot(litNormal, lightDir), 0.0);

    vec4 facade = texture2D(baseTex, facadeUV);
    vec3 wall = facade.rgb * lightColor.rgb * (AMBIENT + DIFFUSE * diffuse);
    // Tinted glass (partly transparent) catches a highlight; clear openings
    // and opaque walls do not. x^32 by squaring is cheaper than pow().
    float glassiness = 4.0 * facade.a * (1.0 - facade.a);
    float highlight = max(dot(litNormal, normalize(lightDir + eyeDir)), 0.0);
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;

    vec3 building = mix(seen * room.shade, wall, facade.a)
                  + lightColor.rgb * highlight * SPECULAR * glassiness;
    gl_FragColor = vec4(sky ? seen : building, 1.0);
}
