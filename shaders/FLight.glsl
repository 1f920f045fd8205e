// Placeholder fragment shader: the facade texture alone.
uniform sampler2D baseTex;
varying vec2 uv;
void main()
{
    gl_FragColor = vec4(texture2D(baseTex, uv).rgb, 1.0);
}
