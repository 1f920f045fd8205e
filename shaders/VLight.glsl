#version 120
// Interior mapping, vertex stage. The viewer draws the building's faces
// without a model transform, so positions and normals are already in world
// units. Everything that varies linearly across a face (the ray into the
// rooms, the vectors to the eye and the light) is computed here once per
// vertex and interpolated, which is exact for linear quantities and keeps
// the fragment stage short.

uniform vec3 camPos;     // eye position, world units
uniform vec3 wallFreq;   // multiplies the room grid per axis
uniform vec4 lightPos;   // world position (w = 1) or direction (w = 0)

varying vec2 facadeUV;   // facade coordinates (texture set 0)
varying vec3 roomPos;    // position in room units: cube coordinates * rooms per unit
varying vec3 roomRay;    // ray from the eye to this point, in room units
varying vec3 toEye;      // from this point to the eye, world units
varying vec3 toLight;    // from this point to the light (or the light's direction)
varying vec3 faceNormal; // the face's normal in world units
varying vec3 skyDir;     // world-space direction from the eye (for the sky)

const float ROOMS_PER_UNIT = 4.0;  // rooms per world unit before wallFreq

void main()
{
    // The eye sits at the origin of eye space, so the eye-space position is
    // the view vector; the inverse model-view turns it back into a world
    // direction. A translation of the sky sphere cannot change a direction.
    vec4 eyePos = gl_ModelViewMatrix * gl_Vertex;
    skyDir = (gl_ModelViewMatrixInverse * vec4(eyePos.xyz, 0.0)).xyz;

    // Texture set 1 carries the building's own [0,1]^3 coordinates.
    vec3 cubePos = gl_MultiTexCoord1.xyz;
    vec3 freq = wallFreq * ROOMS_PER_UNIT;
    roomPos = cubePos * freq;
    roomRay = (cubePos - camPos) * freq;

    toEye = camPos - gl_Vertex.xyz;
    toLight = lightPos.xyz - gl_Vertex.xyz * lightPos.w;
    facadeUV = gl_MultiTexCoord0.st;
    faceNormal = gl_Normal;
    gl_Position = ftransform();
}
