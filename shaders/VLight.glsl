// Placeholder vertex shader: passes the facade coordinates through.
varying vec2 uv;
void main()
{
    uv = gl_MultiTexCoord0.st;
    gl_Position = ftransform();
}
