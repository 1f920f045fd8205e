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
// its shade and the building's shadow. The parts that follow this one come
// in that order, main last.
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
//
// viewer_bench costs takes features out by defining WITHOUT_... names when
// the stage is joined; each gives its feature's neutral value instead.

uniform sampler2D baseTex;   // facade (rgb + alpha)
uniform samplerCube wallTex; // room cube map, or the world when drawing the sky
uniform int useWalls;        // 1: building face, 0: sky
uniform vec3 camPos;         // eye, world units
uniform vec4 lightColor;

const vec3 BUILDING_CENTRE = vec3(0.5, 0.5, 0.5);
const float MIN_STEP = 1.0e-5;      // smallest ray component divided by

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

// The face's normal on the side the eye is on.
vec3 seenNormal()
{
    return dot(faceNormal, viewRay) > 0.0 ? -faceNormal : faceNormal;
}

// A direction from the room's centre, given in the facade's frame
// (across, up, inwards), in world axes: the room map is addressed so.
vec3 fromFacadeFrame(vec3 q)
{
    vec3 n = faceNormal;
    return facadeAcross(n) * q.x + facadeUp(n) * q.y - n * q.z;
}

// The direction into the room map of point `onMap` (each -1..1 over its
// square) of the face's sky copy.
vec3 skyCopyPoint(vec2 onMap)
{
    return onSheet(faceNormal, SKY_COPY_CENTRE + SKY_COPY_HALF * onMap);
}

// Where the face's own copy of the sky (in the sheet's centre cell) shows
// the world along the unit direction r: the paraboloid map of the half of
// the world in front of the face. Directions behind the face meet the rim.
vec3 skyCopyLook(vec3 r)
{
    vec3 n = faceNormal;
    return skyCopyPoint(vec2(dot(r, facadeAcross(n)), dot(r, facadeUp(n))) / (1.0 + max(dot(r, n), 0.0)));
}
