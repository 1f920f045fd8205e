#version 110
// The textbook interior-mapping pair, vertex stage: the yardstick the
// viewer benchmark measures the viewer's pair against, written to be as
// fast as the technique allows on a software renderer.
//
// Everything linear across a face is prepared here: the point on the face
// and the view ray, both in rooms (a quarter unit times "wallFreq"). They
// come from texture set 1, the cube's own [0, 1]^3 coordinates, which is
// constant over the sky sphere (the program gives the sphere no texture
// coordinates), so the room arithmetic the fragment stage runs there on
// the sky pass reads the same values in every fragment. The sky's
// direction is the sphere's own vertex, which is centred on the building.
uniform vec3 camPos;
uniform vec3 wallFreq;
varying vec3 roomPos;   // this point of the face, in rooms
varying vec3 roomRay;   // the ray from the eye through it, in rooms
varying vec3 skyDir;    // the sky's direction (sphere only)
varying vec2 uv;        // facade coordinates
void main()
{
    vec3 freq = wallFreq * 4.0;
    roomPos = gl_MultiTexCoord1.xyz * freq;
    roomRay = (gl_MultiTexCoord1.xyz - camPos) * freq;
    skyDir = gl_Vertex.xyz;
    uv = gl_MultiTexCoord0.st;
    gl_Position = ftransform();
}
