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
// The room grid, the room hash and the mirroring and lighting rules are
// mirrored by the CPU model of the end-to-end tests; change them together.

uniform vec3 camPos;        // eye position, world units
uniform sampler2D baseTex;  // facade (rgb + alpha)
uniform samplerCube wallTex;// room cube map, or the world when drawing the sky
uniform int useWalls;       // 1: building face, 0: sky
uniform vec3 wallFreq;      // multiplies the room grid per axis
uniform vec4 lightPos;      // world position (w = 1) or direction (w = 0)
uniform vec4 lightColor;
uniform vec3 offset;        // where a room's centre lies within its cell

varying vec2 facadeUV;
varying vec3 cubePos;
varying vec3 worldPos;
varying vec3 faceNormal;
varying vec3 skyDir;

const float ROOMS_PER_UNIT = 4.0;  // rooms per world unit before wallFreq
const float ENTRY_NUDGE = 1.0e-3;  // step (room units) into the room entered
const float MIN_STEP = 1.0e-6;     // smallest ray component we divide by

// Room variety comes from an integer hash of the room's cell, computed on
// small whole numbers so that it is exact in float arithmetic.
const float HASH_RANGE = 16.0;
const float DARK_BELOW = 4.0;      // hash 0..3: the room's light is off
const vec3 WARM_TINT = vec3(1.0, 0.95, 0.86);
const vec3 COOL_TINT = vec3(0.88, 0.95, 1.0);
const float DARK_ROOM = 0.45;      // brightness of a room with its light off
const float DEPTH_FALLOFF = 0.3;   // darkening of the back of a room

const float AMBIENT = 0.55;
const float DIFFUSE = 0.6;
const float SPECULAR = 0.6;
const float SHININESS = 48.0;

// 1 / d per component, with components too close to zero replaced by a
// tiny step of the same sign, so an axis the ray never crosses gets a huge
// distance instead of a division by zero.
vec3 safeReciprocal(vec3 d)
{
    vec3 signs = 2.0 * step(0.0, d) - 1.0;
    return signs / max(abs(d), vec3(MIN_STEP));
}

float roomHash(vec3 cell)
{
    return mod(cell.x * 7.0 + cell.y * 13.0 + cell.z * 11.0, HASH_RANGE);
}

// Colour of the room surface seen through this fragment.
vec3 roomColor(vec3 normal)
{
    vec3 freq = wallFreq * ROOMS_PER_UNIT;
    vec3 p = cubePos * freq;              // entry point, room units
    vec3 d = (cubePos - camPos) * freq;   // ray direction, room units
    // The cell just past the entry point along the ray, kept inside the
    // building so that an eye inside it still sees a room, not garbage.
    vec3 cell = floor(p + normalize(d) * ENTRY_NUDGE);
    cell = clamp(cell, vec3(0.0), freq - 1.0);

    // Distance along the ray to the far wall of the cell on each axis; the
    // nearest is the wall hit.
    vec3 farWall = cell + step(0.0, d);
    vec3 tAxis = (farWall - p) * safeReciprocal(d);
    float t = max(min(min(tAxis.x, tAxis.y), tAxis.z), 0.0);
    vec3 hit = p + d * t;
    vec3 look = hit - (cell + offset);

    float h = roomHash(cell);
    // Every other room is furnished as the mirror image: flip the axis that
    // runs along the facade (z for the X faces, x for the others).
    if (mod(h, 2.0) >= 1.0) {
        if (abs(normal.x) > 0.5)
            look.z = -look.z;
        else
            look.x = -look.x;
    }
    vec3 tint = mod(floor(h * 0.5), 2.0) >= 1.0 ? WARM_TINT : COOL_TINT;
    float brightness = h >= DARK_BELOW ? 1.0 : DARK_ROOM;
    float depth = clamp(abs(dot(hit - p, normal)), 0.0, 1.0);
    brightness *= 1.0 - DEPTH_FALLOFF * depth;
    return textureCube(wallTex, look).rgb * tint * brightness;
}

void main()
{
    if (useWalls == 0) {
        gl_FragColor = vec4(textureCube(wallTex, skyDir).rgb, 1.0);
        return;
    }
    vec3 normal = normalize(faceNormal);
    vec3 toEye = normalize(camPos - worldPos);
    // Faces are seen from both sides: light the side facing the eye.
    vec3 litNormal = dot(normal, toEye) < 0.0 ? -normal : normal;
    vec3 toLight = normalize(lightPos.xyz - worldPos * lightPos.w);
    float diffuse = max(dot(litNormal, toLight), 0.0);

    vec4 facade = texture2D(baseTex, facadeUV);
    vec3 wall = facade.rgb * lightColor.rgb * (AMBIENT + DIFFUSE * diffuse);
    // Tinted glass (partly transparent) catches a highlight; clear openings
    // and opaque walls do not.
    float glassiness = 4.0 * facade.a * (1.0 - facade.a);
    vec3 halfway = normalize(toLight + toEye);
    float highlight = pow(max(dot(litNormal, halfway), 0.0), SHININESS) * SPECULAR * glassiness;

    vec3 color = mix(roomColor(normal), wall, facade.a) + lightColor.rgb * highlight;
    gl_FragColor = vec4(color, 1.0);
}
