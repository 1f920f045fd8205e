#version 110
// The textbook interior-mapping pair, fragment stage: on a face, the ray
// from the eye meets the next wall plane of its room on each axis, the
// nearest is looked up in the room cube map and the facade laid over it by
// its alpha; on the sky, the world cube map along the view direction.
uniform sampler2D baseTex;
uniform samplerCube wallTex;
uniform int useWalls;
uniform vec3 camPos;
uniform vec3 wallFreq;
uniform vec3 offset;
varying vec3 worldPos;
varying vec2 uv;
void main()
{
    vec3 dir = worldPos - camPos;
    if (useWalls == 0) {
        gl_FragColor = vec4(textureCube(wallTex, worldPos).rgb, 1.0);
        return;
    }
    // Rooms of a quarter unit.
    vec3 p = worldPos * wallFreq * 4.0;
    vec3 d = dir * wallFreq * 4.0;
    vec3 cell = floor(p + sign(d) * 0.001);
    vec3 walls = cell + step(0.0, d);
    vec3 t = (walls - p) / d;
    float tHit = min(min(t.x, t.y), t.z);
    vec3 room = textureCube(wallTex, p + d * tHit - cell - offset).rgb;
    vec4 facade = texture2D(baseTex, uv);
    gl_FragColor = vec4(mix(room, facade.rgb, facade.a), 1.0);
}
