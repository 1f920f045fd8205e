#version 120
// Interior mapping, vertex stage. Hands the fragment stage everything it
// needs in world units; the viewer draws the building's faces without a
// model transform, so positions and normals are already in world space.

varying vec2 facadeUV;   // facade coordinates (texture set 0)
varying vec3 cubePos;    // position in the building's [0,1]^3 coordinates (set 1)
varying vec3 worldPos;   // position in world units, for lighting
varying vec3 faceNormal; // the face's normal in world units
varying vec3 skyDir;     // world-space direction from the eye (for the sky)

void main()
{
    // The eye sits at the origin of eye space, so the eye-space position is
    // the view vector; the inverse model-view turns it back into a world
    // direction. A translation of the sky sphere cannot change a direction.
    vec4 eyePos = gl_ModelViewMatrix * gl_Vertex;
    skyDir = (gl_ModelViewMatrixInverse * vec4(eyePos.xyz, 0.0)).xyz;

    facadeUV = gl_MultiTexCoord0.st;
    cubePos = gl_MultiTexCoord1.xyz;
    worldPos = gl_Vertex.xyz;
    faceNormal = gl_Normal;
    gl_Position = ftransform();
}
