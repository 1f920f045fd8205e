#version 110
// The textbook interior-mapping pair, vertex stage, for comparison in the
// viewer benchmark: one plane per axis, one room cube-map lookup and one
// facade lookup on the faces; one world lookup on the sky. The faces have
// no model transform and the sky sphere is centred on the building, so the
// object position serves as the world position on a face and as the view
// direction on the sky.
uniform vec3 camPos;
varying vec3 worldPos;
varying vec2 uv;
void main()
{
    worldPos = gl_Vertex.xyz;
    uv = gl_MultiTexCoord0.st;
    gl_Position = ftransform();
}
