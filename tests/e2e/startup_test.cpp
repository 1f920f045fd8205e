// The viewer end to end: its start-up order and streams, the program's
// directory, the GL version gate and the shader failure paths.
#include "harness.h"

#include <gtest/gtest.h>

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

// Start-ups that end, or (status -1) go on to draw. Standard error starts
// with the start-up key call's two empty lines and the 49 image paths,
// then holds exactly `errAfterImages` (at its start only, for a viewer
// that draws on).
struct Ending {
    const char *name;
    std::map<std::string, std::string> env;
    std::map<std::string, const char *> files;   // nullptr: removed
    int status;
    std::vector<std::string> errAfterImages;
    std::vector<std::string> out;      // the last lines of standard output, as
                                       // prefixes; for a viewer that draws, the first
    int shaderLogs, programLogs;       // "Shader InfoLog:", "Program InfoLog:" lines
};

const char *const plainVertex = "void main() { gl_Position = ftransform(); }\n";
const std::string gl15 = "This shader example will not work due to OpenGL version, which is 1.5 (1.5";
const std::string vertexFailed = "Error compiling the shader -- vertex: failed; frag: succeeded.";
const std::string fragmentFailed = "Error compiling the shader -- vertex: succeeded; frag: failed.";
const std::vector<std::string> shaders = {"Vertex Shader{}", "Fragment Shader{}"};
const std::vector<std::string> firstFrame = {"Vertex Shader{}", "Fragment Shader{}",
    "eye <-4 0.5 0.5>", "gaze: <2 0 0>", "up <0 1 0>", "theta = 90 phi = 0"};
const std::vector<std::string> installed = {"sucessfully installed shader", "using a shader"};

const Ending endings[] = {
    {"Draws", {}, {}, -1, firstFrame, installed, 0, 0},
    {"OpenGL21", {{"MESA_GL_VERSION_OVERRIDE", "2.1"}}, {}, -1, firstFrame, installed, 0, 0},
    {"OpenGL15", {{"MESA_GL_VERSION_OVERRIDE", "1.5"}}, {}, 0, {}, {gl15}, 0, 0},
    {"OpenGL15AndAMissingImage", {{"MESA_GL_VERSION_OVERRIDE", "1.5"}},
     {{"textures/world/negz.tga", nullptr}}, 255, {"File open failed: No such file or directory"}, {}, 0, 0},
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
        if (file.second == nullptr)
            std::filesystem::remove(dir + "/" + file.first);
        else
            writeFile(dir + "/" + file.first, file.second);
    }
    std::vector<std::string> expected = {"", ""}, paths = texturePaths();
    expected.insert(expected.end(), paths.begin(), paths.end());
    expected.insert(expected.end(), e.errAfterImages.begin(), e.errAfterImages.end());
    start(e.env);
    if (e.status < 0)
        ASSERT_TRUE(waitUntil(v, [&](const Lines &l) {
            return frameCount(l) >= 1 && l.err.size() >= expected.size();
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
