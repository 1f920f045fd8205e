// Small shader pairs that the tests and the viewer benchmark put in place of
// the interior-mapping pair, each showing one thing plainly.
#ifndef E2E_TEST_SHADERS_H
#define E2E_TEST_SHADERS_H

// Passes the facade coordinates (texture set 0) on as `uv`.
const char *const facadeVertexShader = R"(
varying vec2 uv;
void main() { uv = gl_MultiTexCoord0.st; gl_Position = ftransform(); }
)";

// The facade texture alone, on the faces and (meaninglessly) on the sky.
const char *const facadeFragmentShader = R"(
uniform sampler2D baseTex;
varying vec2 uv;
void main() { gl_FragColor = vec4(texture2D(baseTex, uv).rgb, 1.0); }
)";

// The facade texture on the faces, the sky black.
const char *const facadeOnFacesFragmentShader = R"(
uniform sampler2D baseTex;
uniform int useWalls;
varying vec2 uv;
void main() { gl_FragColor = vec4(texture2D(baseTex, uv).rgb * float(useWalls), 1.0); }
)";

#endif
