// The viewer end to end: its start-up order and streams, the program's
// directory, the GL version gate and the shader failure paths.
#include "viewer_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

const char *const setNames[] = {"right", "left", "top", "bottom", "front", "back", "world"};
const char *const fileNames[] = {"exterior", "posx", "negx", "negy", "posy", "posz", "negz"};

// The 49 texture paths in the order they must load.
std::vector<std::string> texturePaths()
{
    std::vector<std::string> paths;
    for (const char *set : setNames)
        for (const char *file : fileNames)
            paths.push_back(std::string("textures/") + set + "/" + file + ".tga");
    return paths;
}

using StartUp = ViewerTest;

TEST_F(StartUp, LoadsDrawsAndMovesInOrder)
{
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    ASSERT_TRUE(pressAndWaitForFrame(v, 'w'));
    const auto &out = v.lines.out, &err = v.lines.err;
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[0], "sucessfully installed shader");
    EXPECT_EQ(out[1], "using a shader");

    // The start-up key call (two empty lines), the 49 images, the shaders,
    // then frames: the first from the start position, then one after "w"
    // whose key handler printed its two empty lines first.
    std::vector<std::string> expected = {"", ""};
    for (const std::string &path : texturePaths())
        expected.push_back(path);
    for (const char *line : {"Vertex Shader{}", "Fragment Shader{}", "eye <-4 0.5 0.5>",
                             "gaze: <2 0 0>", "up <0 1 0>", "theta = 90 phi = 0"})
        expected.push_back(line);
    ASSERT_GE(err.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(err.begin(), err.begin() + expected.size()), expected);
    auto w = std::find(err.begin() + expected.size(), err.end(), "eye <-3.8 0.5 0.5>");
    ASSERT_NE(w, err.end());
    EXPECT_EQ(*(w - 1), "");
    EXPECT_EQ(*(w - 2), "");
}

TEST_F(StartUp, StartedByBareNameStaysInItsWorkingDirectory)
{
    // The program alone in one directory, its files in another that is the
    // working directory: only staying there finds them.
    std::string bin = root + "/bin", work = root + "/work";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(work);
    std::filesystem::rename(root + "/interior_mapping", bin + "/interior_mapping");
    for (const char *name : {"VLight.glsl", "FLight.glsl", "textures"})
        std::filesystem::rename(root + "/" + name, work + "/" + name);
    LaunchOptions o;
    o.program = "interior_mapping";
    o.pathDir = bin;
    o.workingDir = work;
    ASSERT_TRUE(launchProcess(v, o));
    EXPECT_TRUE(waitForFrames(v, 1));
}

// Start-ups that end (or, with status -1, go on to draw): after all 49
// images load come the version gate, then the shaders.
struct Ending {
    const char *name;
    std::map<std::string, std::string> env;
    std::map<std::string, const char *> files;   // nullptr: removed
    int status;
    std::vector<std::string> outEnd;   // last lines of standard output (prefixes)
    std::string errEnd;                // last line of standard error
    int shaderLogs, programLogs;       // "Shader InfoLog:", "Program InfoLog:" lines
};

const char *const plainVertex = "void main() { gl_Position = ftransform(); }\n";
const std::string gl15 = "This shader example will not work due to OpenGL version, which is 1.5 (1.5";
const std::string vertexFailed = "Error compiling the shader -- vertex: failed; frag: succeeded.";
const std::string fragmentFailed = "Error compiling the shader -- vertex: succeeded; frag: failed.";

const Ending endings[] = {
    {"OpenGL15", {{"MESA_GL_VERSION_OVERRIDE", "1.5"}}, {}, 0, {gl15}, "textures/world/negz.tga", 0, 0},
    {"OpenGL15AndAMissingImage", {{"MESA_GL_VERSION_OVERRIDE", "1.5"}},
     {{"textures/world/negz.tga", nullptr}}, 255, {},
     "File open failed: No such file or directory", 0, 0},
    {"OpenGL21", {{"MESA_GL_VERSION_OVERRIDE", "2.1"}}, {}, -1, {"using a shader"}, "", 0, 0},
    {"VertexShaderDoesNotCompile", {}, {{"VLight.glsl", "void main() { gl_Position = nowhere; }\n"}},
     0, {vertexFailed, "Error installing shader!"}, "Fragment Shader{}", 1, 0},
    {"PairDoesNotLink", {}, {{"VLight.glsl", plainVertex}, {"FLight.glsl", "vec4 f() { return vec4(1.0); }\n"}},
     0, {"", "Error installing shader!"}, "Fragment Shader{}", 0, 1},
    // Neither a missing nor an empty text reaches GL, which would log the
    // syntax error it finds there.
    {"MissingFragmentShader", {}, {{"FLight.glsl", nullptr}}, 0,
     {fragmentFailed, "Error installing shader!"}, "Fragment Shader{}", 0, 0},
    {"EmptyFragmentShader", {}, {{"FLight.glsl", ""}}, 0,
     {fragmentFailed, "Error installing shader!"}, "Fragment Shader{}", 0, 0},
};

class StartUpEnding : public ViewerTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(StartUpEnding, StreamsAndStatus)
{
    const Ending &e = GetParam();
    for (const auto &file : e.files) {
        if (file.second == nullptr)
            std::filesystem::remove(dir + "/" + file.first);
        else
            writeFile(dir + "/" + file.first, file.second);
    }
    start(e.env);
    if (e.status < 0)
        ASSERT_TRUE(waitForFrames(v, 1));
    else
        EXPECT_EQ(waitForExit(v), e.status);
    const auto &out = v.lines.out, &err = v.lines.err;
    std::vector<std::string> paths;
    for (const std::string &line : err)
        if (startsWith(line, "textures/"))
            paths.push_back(line);
    EXPECT_EQ(paths, texturePaths());
    ASSERT_GE(out.size(), e.outEnd.size());
    for (size_t i = 0; i < e.outEnd.size(); ++i)
        EXPECT_TRUE(startsWith(out[out.size() - e.outEnd.size() + i], e.outEnd[i]))
            << out[out.size() - e.outEnd.size() + i];
    if (e.status >= 0) {
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err.back(), e.errEnd);
        EXPECT_EQ(frameCount(v.lines), 0);
    }
    EXPECT_EQ(countLines(out, "Shader InfoLog:"), e.shaderLogs);
    EXPECT_EQ(countLines(out, "Program InfoLog:"), e.programLogs);
}

INSTANTIATE_TEST_SUITE_P(Viewer, StartUpEnding, ::testing::ValuesIn(endings),
                         [](const auto &info) { return std::string(info.param.name); });

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
