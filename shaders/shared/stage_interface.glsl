// Interior mapping: what the two stages share. The vertex stage works out
// everything that is constant or linear across a face and hands it on in
// these varyings; the fragment stage reads them for every pixel.
//
// The ten varyings fill exactly the 32 floats that OpenGL 2.0 guarantees
// (GL_MAX_VARYING_FLOATS = 32): 2 + 3 * 6 + 4 * 3. Another one needs a
// float freed here first (the normal on the eye's side is worked out in the
// fragment stage from the face's normal for that reason).
varying vec2 facadeUV;   // facade coordinates (texture set 0)
varying vec3 viewRay;    // world-space ray from the eye through this point
varying vec3 faceNormal; // the face's outward normal
varying vec3 sunDir;     // unit direction towards the sun
varying vec4 faceLight;  // rgb: the open sky's and the ground's light on the
                         // face; a: the sun's, by its angle
varying vec4 roomEntry;  // xy: this point in rooms along (across, up); z: its
                         // height in world units; w: a code of the face
varying vec3 roomRay;    // the view ray in rooms along (across, up, inwards)
varying vec4 roomGrid;   // xy: the room grid's signed extent along (across,
                         // up); z: rooms through the building; w: 1 on the
                         // roof and the underside
varying vec3 lookFrom;   // "offset": where a room is looked at from, in its box
varying vec3 sunLight;   // on a face: the sun's light on the facade; on the
                         // sky: x the shadow's strength, y 1 where the
                         // ground is the world map's tile (0: the world's
                         // lower half projected onto it)

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

// The direction from a room map's centre to point p of the face that
// looks out through the facade of normal n: the sheet, in face
// coordinates (across, up).
vec3 onSheet(vec3 n, vec2 p)
{
    return facadeAcross(n) * p.x + facadeUp(n) * p.y + n;
}
