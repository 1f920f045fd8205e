// What the shader pair receives, seen through small shader pairs that show
// it plainly: the uniform lookups on standard output, the uniform values as
// colours (the faces, drawn with useWalls 1, magenta), and the projection.
#include "harness.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const char *const plainVertex = "void main() { gl_Position = ftransform(); }\n";

// Only "camPos" and "wallTex" are active.
const char *const twoUniformsFragment = R"(
uniform vec3 camPos;
uniform samplerCube wallTex;
void main()
{
    gl_FragColor = vec4(camPos, 1.0);
    if (camPos.x > 1000.0)   // never true; keeps wallTex active
        gl_FragColor = textureCube(wallTex, camPos);
}
)";

// The faces magenta; the sky in eight vertical bands of 128 pixels, each
// showing one uniform as a colour.
const char *const uniformBandsFragment = R"(
uniform vec3 camPos, wallFreq, offset;
uniform vec4 lightPos, lightColor;
uniform int baseTex, useWalls, wallTex;
void main()
{
    int band = int(gl_FragCoord.x) / 128;
    vec3 c = vec3(float(baseTex), float(wallTex), 0.0) / 2.0;
    if (band == 0) c = camPos + vec3(4.5, 0.0, 0.0);
    if (band == 1) c = lightPos.xyz / 4.0;
    if (band == 2) c = vec3(lightPos.w, lightColor.a, 0.0);
    if (band == 3) c = lightColor.rgb;
    if (band == 4) c = wallFreq / 2.0;
    if (band == 5) c = offset;
    gl_FragColor = useWalls == 1 ? vec4(1.0, 0.0, 1.0, 1.0) : vec4(c, 1.0);
}
)";

using Scene = ViewerTest;

TEST_F(Scene, EveryFrameLooksUpEveryUniformByName)
{
    useShaders(plainVertex, twoUniformsFragment);
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    ASSERT_TRUE(pressAndSettle(v, ""));
    ASSERT_TRUE(waitForFrames(v, 3));
    const std::vector<std::string> missing = {
        "using a shader",                 "No such uniform named baseTex",
        "No such uniform named useWalls", "No such uniform named wallFreq",
        "No such uniform named lightPos", "No such uniform named lightColor",
        "No such uniform named offset",   "No such uniform named useWalls"};
    const auto &out = v.lines.out;
    ASSERT_EQ(out[0], "sucessfully installed shader");
    int frames = frameCount(v.lines) - 1;   // the last may still be printing
    ASSERT_GE(frames, 2);
    for (int f = 0; f < frames; ++f)
        EXPECT_EQ(std::vector<std::string>(out.begin() + 1 + 8 * f, out.begin() + 9 + 8 * f), missing)
            << "frame " << f;
}

// Then the projection after a resize: the face seen head-on from 4 units
// covers 0.125 / tan(30 degrees) of half the window's height, as many
// pixels across, around the centre of the whole window.
TEST_F(Scene, UniformValuesAndTheProjectionAfterAResize)
{
    useShaders(plainVertex, uniformBandsFragment);
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    struct Band {
        int r, g, b;
    };
    // camPos + (4.5, 0, 0), lightPos.xyz / 4, (lightPos.w, lightColor.a, 0),
    // lightColor.rgb, wallFreq / 2, offset, and the two sampler units / 2.
    std::vector<Band> bands = {{128, 128, 128}, {128, 128, 128}, {255, 255, 0}, {255, 255, 255},
                               {128, 128, 128}, {128, 128, 128}, {0, 128, 0},   {0, 128, 0}};
    for (const char *keys : {"", "w"}) {
        ASSERT_TRUE(pressAndSettle(v, keys));
        Screenshot shot = grabWindow(v);
        if (*keys == 'w')
            bands[0].r = 179;   // camPos.x = -3.8
        for (int band = 0; band < 8; ++band) {
            Rgb p = shot.at(64 + 128 * band, 100);
            EXPECT_NEAR(p.r, bands[band].r, 1) << "band " << band << " keys " << keys;
            EXPECT_NEAR(p.g, bands[band].g, 1) << "band " << band << " keys " << keys;
            EXPECT_NEAR(p.b, bands[band].b, 1) << "band " << band << " keys " << keys;
        }
    }
    ASSERT_TRUE(pressAndSettle(v, "s"));
    resizeWindow(v, 800, 600);
    ASSERT_TRUE(pressAndSettle(v, ""));
    Screenshot shot = grabWindow(v);
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
    const int half = 0.125 / std::tan(M_PI / 6) * 300;   // 64.95 pixels
    for (int d : {-half + 3, half - 3, -half - 3, half + 3}) {
        bool inside = std::abs(d) < half;
        for (Rgb p : {shot.at(400 + d, 300), shot.at(400, 300 + d)})
            EXPECT_EQ(p.r == 255 && p.g == 0 && p.b == 255, inside) << d << " from the centre";
    }
}

}  // namespace
