// Interior mapping, vertex stage. The viewer draws the building's faces
// without a model transform, so positions and normals are already in world
// units. Everything that is constant or linear across a face is worked out
// here, once per vertex: the facade's own frame, the entry point and the
// ray into the rooms in that frame, the sun (from the textures) and the
// light on the face. The fragment stage runs for every pixel of both the sky and
// the faces, so whatever moves here is saved twice.

uniform vec3 camPos;     // eye, world units
uniform vec3 wallFreq;   // multiplies the room grid per axis
uniform vec3 offset;     // where a room is looked at from, within its box
uniform vec4 lightPos;   // sun position (w = 1) or direction (w = 0)
uniform vec4 lightColor;
uniform samplerCube wallTex; // room cube map, or the world when drawing the sky
uniform int useWalls;        // 1: building face, 0: sky

const vec3 BUILDING_CENTRE = vec3(0.5, 0.5, 0.5);
const vec3 SKY_FILL = vec3(0.50, 0.56, 0.66);      // light from the open sky
const vec3 GROUND_BOUNCE = vec3(0.40, 0.38, 0.32); // light from the ground

// One number of the world map's own sun: the alpha of its patch k on the
// -Y face.
float worldPatch(float k)
{
    return textureCubeLod(wallTex, vec3(WORLD_PATCH_FIRST + k * WORLD_PATCH_STEP, -1.0, 0.0), 0.0).a;
}

// The sun: both passes read the one that the texture tool found in the
// world. The sky reads it from the world map, a face from its own set's
// world cell; a set that carries none (a plain cube map) has the sun of
// the viewer's light, and so has a world map that carries none (alpha 255
// decodes to that same direction).
void readSun(vec3 n)
{
    vec3 viewerSun = normalize(lightPos.xyz - BUILDING_CENTRE * lightPos.w);
    vec3 worldSun = vec3(worldPatch(0.0), worldPatch(1.0), worldPatch(2.0)) * 2.0 - 1.0;
    vec4 setSun = textureCubeLod(wallTex, onSheet(n, SUN_POINT), 0.0);
    vec4 setLight = textureCubeLod(wallTex, onSheet(n, SUN_LIGHT_POINT), 0.0);
    bool carried = setLight.a < 0.5;
    vec3 faceSun = carried ? setSun.rgb * 2.0 - 1.0 : viewerSun;
    vec3 sun = useWalls == 0 ? worldSun : faceSun;
    sunDir = dot(sun, sun) > 0.01 ? normalize(sun) : viewerSun;
    sunLight = useWalls == 0 ? vec3(worldPatch(3.0), worldPatch(4.0), 0.0)
                             : (carried ? setLight.rgb : SUN_LIGHT);
}

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
    vec3 seenNormal = dot(n, viewRay) > 0.0 ? -n : n;
    readSun(n);
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
    lookFrom = vec3(dot(offset, abs(across)), dot(offset, abs(up)), dot(offset, abs(n)));
    roomGrid = vec4(dot(freq, across), dot(freq, up), dot(freq, abs(n)), flatFace);
    gl_Position = ftransform();
}
