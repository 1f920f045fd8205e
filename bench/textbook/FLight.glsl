#version 110
// The textbook interior-mapping pair, fragment stage. On a face, the ray
// from the eye meets the next wall plane of its room on each axis; the
// nearest of the three is the surface seen, looked up in the room cube map
// by its direction from the room's centre, and the facade is laid over it
// by its alpha. On the sky, the world cube map along the view direction.
//
// Written for a software renderer, which runs both sides of every branch
// for every fragment: there is no branch, and the room lookup and the sky
// lookup are one fetch whose direction is chosen first. The facade fetch
// reads texture set 0, constant on the sky sphere, so on the sky pass it
// costs one cached texel.
uniform sampler2D baseTex;
uniform samplerCube wallTex;
uniform int useWalls;
uniform vec3 offset;
varying vec3 roomPos;
varying vec3 roomRay;
varying vec3 skyDir;
varying vec2 uv;
void main()
{
    // The room's corner nearest the origin, and the wall plane ahead on
    // each axis: the next integer in the ray's direction.
    vec3 ahead = step(0.0, roomRay);
    vec3 cellMin = mix(ceil(roomPos) - 1.0, floor(roomPos), ahead);
    vec3 t = (cellMin + ahead - roomPos) / roomRay;
    vec3 hit = roomPos + roomRay * min(min(t.x, t.y), t.z);
    vec3 look = useWalls == 0 ? skyDir : hit - cellMin - offset;
    vec3 seen = textureCube(wallTex, look).rgb;
    vec4 facade = texture2D(baseTex, uv);
    gl_FragColor = vec4(useWalls == 0 ? seen : mix(seen, facade.rgb, facade.a), 1.0);
}
