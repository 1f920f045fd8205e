// The viewer end to end: start-up, streams, camera keys, the program's
// directory, the GL version gate and the shader failure paths.
#include "viewer_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

namespace {

const std::vector<std::string> firstCamera = {
    "eye <-4 0.5 0.5>", "gaze: <2 0 0>", "up <0 1 0>", "theta = 90 phi = 0"};

class Viewer : public ViewerTest {
protected:
    void startAndWaitForFirstFrame()
    {
        start();
        ASSERT_TRUE(waitForFrames(v, 1)) << "no frame; stderr ends with: "
                                         << (v.lines.err.empty() ? "" : v.lines.err.back());
    }

    // Presses a key and waits for a frame whose camera line `index` reads
    // `expected`; returns false if none comes.
    bool pressExpecting(char key, int index, const std::string &expected)
    {
        int before = frameCount(v.lines);
        pressKey(v, key);
        return waitUntil(v, [&](const Lines &l) {
            for (int f = before; f < frameCount(l); ++f) {
                auto cam = cameraLines(l, f);
                if (cam.size() == 4 && cam[index] == expected)
                    return true;
            }
            return false;
        });
    }

    std::vector<std::string> lastCamera()
    {
        return cameraLines(v.lines, frameCount(v.lines) - 1);
    }
};

TEST_F(Viewer, StartsUpInOrderAndReportsEveryFrame)
{
    startAndWaitForFirstFrame();
    const auto &out = v.lines.out;
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "sucessfully installed shader");
    EXPECT_EQ(std::find(out.begin(), out.end(), "using a shader") - out.begin(), 1);

    // The start-up run of the key handler comes first: two empty lines.
    const auto &err = v.lines.err;
    ASSERT_GE(err.size(), 3u);
    EXPECT_EQ(err[0], "");
    EXPECT_EQ(err[1], "");
    EXPECT_EQ(countLines(err, "Vertex Shader{}"), 1);
    EXPECT_EQ(countLines(err, "Fragment Shader{}"), 1);
    EXPECT_EQ(cameraLines(v.lines, 0), firstCamera);

    ASSERT_TRUE(pressAndSettle(v, "W"));
    // Let the last frame finish its lines before ending the process.
    ASSERT_TRUE(waitUntil(v, [](const Lines &l) {
        int frames = frameCount(l);
        return cameraLines(l, frames - 1).size() == 4 && cameraLines(l, frames).empty();
    }));
    stopProcess(v);

    // Every frame: four camera lines on standard error, in order, and one
    // "using a shader" on standard output.
    int frames = frameCount(v.lines);
    EXPECT_GE(frames, 3);
    int cameraBlocks = 0;
    for (size_t i = 0; i < err.size(); ++i) {
        if (!startsWith(err[i], "eye <"))
            continue;
        ++cameraBlocks;
        ASSERT_LT(i + 3, err.size());
        EXPECT_TRUE(startsWith(err[i + 1], "gaze: <"));
        EXPECT_TRUE(startsWith(err[i + 2], "up <"));
        EXPECT_TRUE(startsWith(err[i + 3], "theta = "));
    }
    EXPECT_EQ(cameraBlocks, frames);
}

TEST_F(Viewer, MoveTurnAndTiltKeys)
{
    startAndWaitForFirstFrame();
    EXPECT_TRUE(pressExpecting('w', 0, "eye <-3.8 0.5 0.5>"));
    EXPECT_TRUE(pressExpecting('s', 0, "eye <-4 0.5 0.5>"));
    EXPECT_TRUE(pressExpecting('a', 0, "eye <-4 0.5 0.3>"));
    EXPECT_TRUE(pressExpecting('d', 0, "eye <-4 0.5 0.5>"));
    EXPECT_TRUE(pressExpecting('q', 1, "gaze: <1.93185 0 -0.517638>"));
    EXPECT_TRUE(pressExpecting('e', 1, "gaze: <2 0 0>"));
    for (int i = 0; i < 17; ++i)
        pressKey(v, 'r');
    EXPECT_TRUE(pressExpecting('r', 3, "theta = 90 phi = 90"));
    EXPECT_TRUE(pressExpecting('f', 3, "theta = 90 phi = 85"));
}

TEST_F(Viewer, OtherKeysRedrawWithoutMoving)
{
    startAndWaitForFirstFrame();
    ASSERT_TRUE(pressAndSettle(v, ""));
    for (const char *key : {"W", "Escape"}) {
        auto before = lastCamera();
        int frames = frameCount(v.lines);
        if (std::string(key) == "W")
            pressKey(v, 'W');
        else
            pressNamedKey(v, key);
        ASSERT_TRUE(waitForFrames(v, frames + 1)) << key;
        EXPECT_EQ(lastCamera(), before) << key;
    }
    ASSERT_TRUE(pressAndSettle(v, ""));
    EXPECT_FALSE(v.ended) << "Escape must not end the program";
}

TEST_F(Viewer, StartedByBareNameStaysInItsWorkingDirectory)
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
    EXPECT_EQ(countLines(v.lines.err, "textures/right/exterior.tga"), 1);
}

TEST_F(Viewer, LongProgramPathFindsItsDirectory)
{
    // A directory of 295 characters with its separator: the whole program
    // path is longer than the 300-character buffer, its directory is not.
    std::string deep = root + "/" + std::string(150, 'd') + "/";
    dir = deep + std::string(295 - deep.size() - 1, 'e');
    std::filesystem::create_directories(dir);
    installViewer(dir);
    ASSERT_GE((dir + "/interior_mapping").size(), 300u);
    start();
    EXPECT_TRUE(waitForFrames(v, 1));
}

TEST_F(Viewer, RefusesOpenGLBelowVersion2)
{
    start({{"MESA_GL_VERSION_OVERRIDE", "1.5"}});
    EXPECT_EQ(waitForExit(v), 0);
    ASSERT_FALSE(v.lines.out.empty());
    EXPECT_TRUE(std::regex_match(
        v.lines.out.back(),
        std::regex("This shader example will not work due to OpenGL version, "
                   "which is 1\\.5 \\(1\\.5[^)]*Mesa[^)]*\\)")))
        << v.lines.out.back();
    EXPECT_EQ(v.lines.out.size(), 1u);
    EXPECT_EQ(countLines(v.lines.err, "Vertex Shader{}"), 0);
}

TEST_F(Viewer, AcceptsOpenGL21Silently)
{
    start({{"MESA_GL_VERSION_OVERRIDE", "2.1"}});
    ASSERT_TRUE(waitForFrames(v, 1));
    EXPECT_EQ(v.lines.out[0], "sucessfully installed shader");
}

// Shader installation failures: exact lines on each stream, status 0 and
// no frame.
class ShaderFailure : public Viewer {
protected:
    void expectRefused(const std::string &compileVerdict)
    {
        start();
        EXPECT_EQ(waitForExit(v), 0);
        EXPECT_EQ(frameCount(v.lines), 0);
        EXPECT_EQ(countLines(v.lines.err, "Vertex Shader{}"), 1);
        EXPECT_EQ(countLines(v.lines.err, "Fragment Shader{}"), 1);
        const auto &out = v.lines.out;
        ASSERT_GE(out.size(), 2u);
        EXPECT_EQ(out.back(), "Error installing shader!");
        if (compileVerdict.empty()) {
            EXPECT_EQ(out[out.size() - 2], "");
        } else {
            EXPECT_EQ(out[out.size() - 2], "Error compiling the shader -- " +
                                               compileVerdict + ".");
        }
    }
};

const char *const goodVertex = "void main() { gl_Position = ftransform(); }\n";

TEST_F(ShaderFailure, VertexShaderThatDoesNotCompile)
{
    writeFile(dir + "/VLight.glsl", "void main() { gl_Position = nowhere; }\n");
    expectRefused("vertex: failed; frag: succeeded");
    EXPECT_EQ(countLines(v.lines.out, "Shader InfoLog:"), 1);
}

TEST_F(ShaderFailure, PairThatCompilesButDoesNotLink)
{
    writeFile(dir + "/VLight.glsl", goodVertex);
    writeFile(dir + "/FLight.glsl", "vec4 shade() { return vec4(1.0); }\n");
    expectRefused("");
    EXPECT_EQ(countLines(v.lines.out, "Program InfoLog:"), 1);
    EXPECT_EQ(countLines(v.lines.out, "sucessfully installed shader"), 0);
}

TEST_F(ShaderFailure, MissingFragmentShader)
{
    std::filesystem::remove(dir + "/FLight.glsl");
    expectRefused("vertex: succeeded; frag: failed");
}

TEST_F(ShaderFailure, EmptyFragmentShader)
{
    writeFile(dir + "/FLight.glsl", "");
    expectRefused("vertex: succeeded; frag: failed");
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
              (std::vector<std::string>{"no error: 0", "two errors: 1",
                                        "after draining: 0"}));
}

}  // namespace
