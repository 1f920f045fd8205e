// Texture sets and the uniforms the shader pair receives, end to end.
#include "viewer_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

const char *const setNames[] = {"right", "left", "top", "bottom", "front", "back", "world"};
const char *const fileNames[] = {"exterior", "posx", "negx", "negy", "posy", "posz", "negz"};

std::vector<std::string> expectedPaths()
{
    std::vector<std::string> paths;
    for (const char *set : setNames)
        for (const char *file : fileNames)
            paths.push_back(std::string("textures/") + set + "/" + file + ".tga");
    return paths;
}

std::vector<std::string> texturePathLines(const Lines &lines)
{
    std::vector<std::string> paths;
    for (const auto &line : lines.err)
        if (startsWith(line, "textures/"))
            paths.push_back(line);
    return paths;
}

using Scene = ViewerTest;

TEST_F(Scene, LoadsTheFortyNineImagesInOrder)
{
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    EXPECT_EQ(texturePathLines(v.lines), expectedPaths());
}

TEST_F(Scene, MissingWorldImageEndsStartUpBeforeTheShaders)
{
    std::filesystem::remove(dir + "/textures/world/negz.tga");
    start();
    EXPECT_EQ(waitForExit(v), 255);
    EXPECT_EQ(texturePathLines(v.lines), expectedPaths());
    const auto &err = v.lines.err;
    ASSERT_GE(err.size(), 2u);
    EXPECT_EQ(err[err.size() - 2], "textures/world/negz.tga");
    EXPECT_EQ(err.back(), "File open failed: No such file or directory");
    EXPECT_EQ(countLines(err, "Vertex Shader{}"), 0);
    EXPECT_TRUE(v.lines.out.empty());
}

// A pair whose only active uniforms are "camPos" and "wallTex"; it paints
// everything in a colour that encodes camPos: (x + 4.5, y, z).
const char *const camPosVertex = "void main() { gl_Position = ftransform(); }\n";
const char *const camPosFragment = R"(
uniform vec3 camPos;
uniform samplerCube wallTex;
void main()
{
    vec4 probe = textureCube(wallTex, vec3(1.0, 0.0, 0.0));
    gl_FragColor = vec4(camPos.x + 4.5, camPos.y, camPos.z, 1.0);
    if (probe.a > 2.0)   // never true; keeps wallTex active
        gl_FragColor = probe;
}
)";

// The standard output lines that frame `frame` wrote after "using a shader".
std::vector<std::string> frameOutput(const Lines &lines, int frame)
{
    std::vector<std::string> result;
    int seen = -1;
    for (const auto &line : lines.out) {
        if (line == "using a shader") {
            if (++seen > frame)
                break;
        } else if (seen == frame) {
            result.push_back(line);
        }
    }
    return result;
}

TEST_F(Scene, EveryFrameLooksUpEveryUniformByName)
{
    useShaders(camPosVertex, camPosFragment);
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    ASSERT_TRUE(pressAndSettle(v, ""));
    ASSERT_TRUE(waitForFrames(v, 3));

    const std::vector<std::string> missing = {
        "No such uniform named baseTex",  "No such uniform named useWalls",
        "No such uniform named wallFreq", "No such uniform named lightPos",
        "No such uniform named lightColor", "No such uniform named offset",
        "No such uniform named useWalls"};
    int complete = frameCount(v.lines) - 1;   // the last may still be printing
    ASSERT_GE(complete, 2);
    for (int f = 0; f < complete; ++f)
        EXPECT_EQ(frameOutput(v.lines, f), missing) << "frame " << f;

    // The scene is still drawn, in the colour of the start position.
    Screenshot shot = grabWindow(v);
    Rgb centre = shot.at(shot.width / 2, shot.height / 2);
    EXPECT_NEAR(centre.r, 0.5 * 255, 2);
    EXPECT_NEAR(centre.g, 0.5 * 255, 2);
    EXPECT_NEAR(centre.b, 0.5 * 255, 2);
}

TEST_F(Scene, CamPosFollowsTheEye)
{
    useShaders(camPosVertex, camPosFragment);
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    ASSERT_TRUE(pressAndSettle(v, "w"));
    Screenshot shot = grabWindow(v);
    for (int y : {10, shot.height / 2, shot.height - 10}) {
        Rgb p = shot.at(shot.width / 3, y);
        EXPECT_NEAR(p.r, (-3.8 + 4.5) * 255, 2) << y;
        EXPECT_NEAR(p.g, 0.5 * 255, 2) << y;
        EXPECT_NEAR(p.b, 0.5 * 255, 2) << y;
    }
}

// Faces white, sky black.
const char *const facesWhiteFragment = R"(
uniform int useWalls;
void main() { gl_FragColor = vec4(vec3(float(useWalls)), 1.0); }
)";

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Box whiteBox(const Screenshot &shot)
{
    Box b;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y).r > 128) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

TEST_F(Scene, ResizedWindowKeepsTheBuildingSquareAndCentred)
{
    useShaders(camPosVertex, facesWhiteFragment);
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    resizeWindow(v, 800, 600);
    ASSERT_TRUE(pressAndSettle(v, ""));
    Screenshot shot = grabWindow(v);
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);

    // The face x = 0 seen head-on from 4 units: half its height covers
    // tan(atan(0.5 / 4)) / tan(30 degrees) of half the window's height.
    double expected = 0.125 / std::tan(M_PI / 6) * 600;
    Box b = whiteBox(shot);
    EXPECT_NEAR(b.bottom - b.top + 1, expected, 2);
    EXPECT_NEAR(b.right - b.left + 1, expected, 2);   // aspect 800 / 600
    EXPECT_NEAR((b.left + b.right) / 2.0, 400, 1.5);  // viewport: whole window
    EXPECT_NEAR((b.top + b.bottom) / 2.0, 300, 1.5);
}

// Share of the pixels of a rectangle for which the test holds.
double share(const Screenshot &shot, int x0, int y0, int x1, int y1,
             bool (*test)(const Rgb &))
{
    int hits = 0, all = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++all)
            hits += test(shot.at(x, y));
    return static_cast<double>(hits) / all;
}

bool skyLike(const Rgb &p)
{
    return p.b > p.r + 10 || (p.r > 200 && p.g > 200 && p.b > 200);
}

bool groundLike(const Rgb &p)
{
    return p.g > p.b;
}

TEST_F(Scene, StartViewShowsTheBuildingUnderTheSky)
{
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    ASSERT_TRUE(pressAndSettle(v, ""));
    Screenshot shot = grabWindow(v);
    ASSERT_EQ(shot.width, 1024);
    ASSERT_EQ(shot.height, 1024);

    // Seen head-on from 4 units, the face x = 0 spans 0.2165 of the half
    // window around the centre: pixels 401 to 623.
    const int near = 401 + 6, far = 623 - 6;
    EXPECT_GT(share(shot, 0, 0, 1024, 300, skyLike), 0.9) << "sky above";
    EXPECT_GT(share(shot, 0, 700, 1024, 1024, groundLike), 0.9) << "ground below";
    EXPECT_GT(share(shot, 40, 410, 360, 480, skyLike), 0.9) << "sky left of the building";
    EXPECT_GT(share(shot, 660, 410, 980, 480, skyLike), 0.9) << "sky right of it";
    EXPECT_LT(share(shot, near, 410, far, 480, skyLike), 0.2) << "facade, not sky";
}

}  // namespace
