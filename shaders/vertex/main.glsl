// Interior mapping, vertex stage. The viewer draws the building's faces
// without a model transform, so positions and normals are already in world
// units. Everything that is constant or linear across a face is worked out
// here, once per vertex: the facade's own frame, the entry point and the
// ray into the rooms in that frame, the sun's direction and the light on
// the face. The fragment stage runs for every pixel of both the sky and
// the faces, so whatever moves here is saved twice.

uniform vec3 camPos;     // eye, world units
uniform vec3 wallFreq;   // multiplies the room grid per axis
uniform vec3 offset;     // where a room is looked at from, within its box
uniform vec4 lightPos;   // sun position (w = 1) or direction (w = 0)
uniform vec4 lightColor;

const vec3 BUILDING_CENTRE = vec3(0.5, 0.5, 0.5);
const vec3 SKY_FILL = vec3(0.50, 0.56, 0.66);      // light from the open sky
const vec3 GROUND_BOUNCE = vec3(0.40, 0.38, 0.32); // light from the ground

void main()
{
    // The eye sits at the origin of eye space, so the eye-space position is
    // the view vector; the inverse model-view turns it back into a world
    // direction. A translation of the sky sphere cannot change a direction.
    vec4 eyePos = gl_ModelViewMatrix * gl_Vertex;
    viewRay = (gl_ModelViewMatrixInverse * vec4(eyePos.xyz, 0.0)).xyz;
    facadeUV = gl_MultiTexCoord0.st;
    faceNormal = gl_Normal;

    vec3 n = gl_Normal;
    float flatFace = abs(n.y) > 0.5 ? 1.0 : 0.0;
    vec3 up = facadeUp(n);
    vec3 across = facadeAcross(n);
    // A face is flat, so the eye is on one side of it at every vertex.
    seenNormal = dot(n, viewRay) > 0.0 ? -n : n;
    sunDir = normalize(lightPos.xyz - BUILDING_CENTRE * lightPos.w);
    faceLight = vec4(mix(GROUND_BOUNCE, SKY_FILL, 0.5 + 0.5 * seenNormal.y) * lightColor.rgb,
                     max(dot(seenNormal, sunDir), 0.0));
    // Texture set 1 carries the building's own coordinates, which are also
    // its world position.
    vec3 cubePos = gl_MultiTexCoord1.xyz;
    vec3 freq = wallFreq * ROOMS_PER_UNIT;
    vec3 p = cubePos * freq;
    vec3 d = viewRay * freq;
    roomEntry = vec4(dot(p, across), dot(p, up), cubePos.y, dot(n, vec3(1.0, 2.0, 3.0)));
    roomRay = vec3(dot(d, across), dot(d, up), -dot(d, n));
    roomGrid = vec4(dot(freq, across), dot(freq, up), dot(freq, abs(n)), flatFace);
    lookFrom = vec3(dot(offset, abs(across)), dot(offset, abs(up)), dot(offset, abs(n)));
    gl_Position = ftransform();
}
