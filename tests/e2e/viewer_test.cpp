// The viewer end to end: its start-up order and streams, the GL version
// gate, the shader failure paths, and what the shader pair receives, seen
// through small pairs that show it plainly.
#include "harness.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

namespace {

// The 49 texture paths in the order they must load.
std::vector<std::string> texturePaths()
{
    std::vector<std::string> paths;
    for (const char *set : kSetNames)
        for (const char *file : kSetFiles)
            paths.push_back(std::string("textures/") + set + "/" + file + ".tga");
    return paths;
}

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

// Start-ups that end, or (status -1) go on to draw. Standard error starts
// with the start-up key call's two empty lines and the 49 image paths,
// then holds exactly `errAfterImages` (at its start only, for a viewer
// that draws on).
struct Ending {
    const char *name;
    std::map<std::string, std::string> env;
    std::map<std::string, const char *> files;   // nullptr: removed; or a FIFO, a directory
    int status;
    std::vector<std::string> errAfterImages;
    std::vector<std::string> out;      // the last lines of standard output, as
                                       // prefixes; for a viewer that draws, the first
    int shaderLogs, programLogs;       // "Shader InfoLog:", "Program InfoLog:" lines
};

const char fifo[] = "FIFO", directory[] = "directory";   // told apart by address
const std::string gl15 = "This shader example will not work due to OpenGL version, which is 1.5 (1.5";
const std::string vertexFailed = "Error compiling the shader -- vertex: failed; frag: succeeded.";
const std::string fragmentFailed = "Error compiling the shader -- vertex: succeeded; frag: failed.";
const std::vector<std::string> shaders = {"Vertex Shader{}", "Fragment Shader{}"};
const std::vector<std::string> firstFrame = {"Vertex Shader{}", "Fragment Shader{}",
    "eye <-4 0.5 0.5>", "gaze: <2 0 0>", "up <0 1 0>", "theta = 90 phi = 0"};
const std::vector<std::string> installed = {"sucessfully installed shader", "using a shader",
                                           "using a shader"};
// Every frame looks up every uniform by name: with only "camPos" and
// "wallTex" active, the others are reported, in the order they are set.
std::vector<std::string> missingUniforms()
{
    std::vector<std::string> out = {"sucessfully installed shader"};
    for (int frame = 0; frame < 2; ++frame) {
        out.push_back("using a shader");
        for (const char *name : {"baseTex", "useWalls", "wallFreq", "lightPos", "lightColor",
                                 "offset", "useWalls"})
            out.push_back(std::string("No such uniform named ") + name);
    }
    return out;
}

const Ending endings[] = {
    {"OpenGL20", openGL20, {}, -1, firstFrame, installed, 0, 0},
    {"TwoActiveUniforms", {}, {{"VLight.glsl", plainVertex}, {"FLight.glsl", twoUniformsFragment}},
     -1, firstFrame, missingUniforms(), 0, 0},
    {"OpenGL15", {{"MESA_GL_VERSION_OVERRIDE", "1.5"}}, {}, 0, {}, {gl15}, 0, 0},
    {"OpenGL15AndAMissingImage", {{"MESA_GL_VERSION_OVERRIDE", "1.5"}},
     {{"textures/world/negz.tga", nullptr}}, 255, {"File open failed: No such file or directory"}, {}, 0, 0},
    // Odd files where a regular file is expected are refused at once.
    {"FifoAsTexture", {}, {{"textures/world/negz.tga", fifo}}, 255, {"File open failed: Invalid argument"}, {}, 0, 0},
    {"DirectoryAsTexture", {}, {{"textures/world/negz.tga", directory}}, 255, {"File open failed: Is a directory"},
     {}, 0, 0},
    {"FifoAsFragmentShader", {}, {{"FLight.glsl", fifo}}, 0, shaders, {fragmentFailed, "Error installing shader!"}, 0, 0},
    {"VertexShaderDoesNotCompile", {}, {{"VLight.glsl", "void main() { gl_Position = nowhere; }\n"}},
     0, shaders, {vertexFailed, "Error installing shader!"}, 1, 0},
    {"PairDoesNotLink", {}, {{"VLight.glsl", plainVertex}, {"FLight.glsl", "vec4 f() { return vec4(1.0); }\n"}},
     0, shaders, {"", "Error installing shader!"}, 0, 1},
    // Neither a missing nor an empty text reaches GL, which would log the
    // syntax error it finds there.
    {"MissingFragmentShader", {}, {{"FLight.glsl", nullptr}}, 0, shaders,
     {fragmentFailed, "Error installing shader!"}, 0, 0},
    {"EmptyFragmentShader", {}, {{"FLight.glsl", ""}}, 0, shaders,
     {fragmentFailed, "Error installing shader!"}, 0, 0},
};

class StartUpEnding : public ViewerTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(StartUpEnding, StreamsAndStatus)
{
    const Ending &e = GetParam();
    for (const auto &file : e.files) {
        const std::string path = dir + "/" + file.first;
        std::filesystem::remove(path);
        if (file.second == fifo)
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        else if (file.second == directory)
            ASSERT_TRUE(std::filesystem::create_directory(path));
        else if (file.second != nullptr)
            writeFile(path, file.second);
    }
    std::vector<std::string> expected = {"", ""}, paths = texturePaths();
    expected.insert(expected.end(), paths.begin(), paths.end());
    expected.insert(expected.end(), e.errAfterImages.begin(), e.errAfterImages.end());
    start(e.env);
    if (e.status < 0)
        ASSERT_TRUE(waitForFrames(v, 1) && pressAndSettle(v, "") && waitUntil(v, [&](const Lines &l) {
            return l.out.size() >= e.out.size() && l.err.size() >= expected.size();
        }));
    else
        EXPECT_EQ(waitForExit(v), e.status);
    const auto &out = v.lines.out, &err = v.lines.err;
    ASSERT_GE(err.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(err.begin(), err.begin() + expected.size()), expected);
    ASSERT_GE(out.size(), e.out.size());
    size_t first = e.status < 0 ? 0 : out.size() - e.out.size();
    for (size_t i = 0; i < e.out.size(); ++i)
        EXPECT_TRUE(startsWith(out[first + i], e.out[i])) << out[first + i];
    if (e.status >= 0) {
        EXPECT_EQ(err.size(), expected.size());
        EXPECT_EQ(frameCount(v.lines), 0);
    }
    EXPECT_EQ(countLines(out, "Shader InfoLog:"), e.shaderLogs);
    EXPECT_EQ(countLines(out, "Program InfoLog:"), e.programLogs);
}

INSTANTIATE_TEST_SUITE_P(Viewer, StartUpEnding, ::testing::ValuesIn(endings),
                         [](const auto &info) { return std::string(info.param.name); });

// The uniform values the band pair shows, before and after "w"; then the
// projection after a resize: the face seen head-on from 4 units covers
// 0.125 / tan(30 degrees) of half the window's height, as many pixels
// across, around the centre of the whole window.
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

TEST(GlErrors, DrainsEveryPendingErrorInARealContext)
{
    ChildProcess probe;
    LaunchOptions o;
    o.program = GL_ERROR_PROBE;
    ASSERT_TRUE(launchProcess(probe, o));
    EXPECT_EQ(waitForExit(probe), 0);
    EXPECT_EQ(probe.lines.out,
              (std::vector<std::string>{
                  "glError in file probe.cpp @ line 2: invalid enumerant",
                  "glError in file probe.cpp @ line 2: invalid value"}));
    EXPECT_EQ(probe.lines.err,
              (std::vector<std::string>{"no error: 0", "two errors: 1", "after draining: 0"}));
}

}  // namespace
