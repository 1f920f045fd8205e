// Odd files where a regular file is expected, and closed standard streams.
// Every case must end, or go on answering keys, within a few seconds, so
// that a regression fails here instead of hanging the suite.
#include "harness.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace {

const double kSeconds = 10;   // longer than this counts as hung

struct OddInput {
    const char *name;
    const char *path;       // relative to the installed viewer
    bool directory;         // a directory there, else a FIFO
    bool bmpLoader;         // read by the BMP loader through tga_probe
    int status;
    bool onStderr;          // the stream that ends with lastLine
    const char *lastLine;   // the BMP loader's is followed by the full path
};

void PrintTo(const OddInput &c, std::ostream *os) { *os << c.name; }

class OddFile : public ViewerTest, public ::testing::WithParamInterface<OddInput> {};

TEST_P(OddFile, IsRefusedAtOnce)
{
    const OddInput &c = GetParam();
    std::string path = dir + "/" + c.path;
    std::filesystem::remove(path);
    if (c.directory) {
        ASSERT_TRUE(std::filesystem::create_directory(path));
    } else {
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    }
    if (c.bmpLoader) {
        LaunchOptions o;
        o.program = TGA_PROBE;
        o.args = {"bmp", path};
        ASSERT_TRUE(launchProcess(v, o));
    } else {
        start();
    }
    EXPECT_EQ(waitForExit(v, kSeconds), c.status);
    const auto &lines = c.onStderr ? v.lines.err : v.lines.out;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), c.bmpLoader ? c.lastLine + path : c.lastLine);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, OddFile,
    ::testing::Values(
        OddInput{"FifoAsTexture", "textures/top/posx.tga", false, false, 255, true,
                 "File open failed: Invalid argument"},
        OddInput{"DirectoryAsTexture", "textures/world/negz.tga", true, false, 255, true,
                 "File open failed: Is a directory"},
        OddInput{"FifoAsFragmentShader", "FLight.glsl", false, false, 0, false,
                 "Error installing shader!"},
        OddInput{"FifoAsBmp", "odd.bmp", false, true, 0, false, "File Not Found : "}),
    [](const ::testing::TestParamInfo<OddInput> &info) { return info.param.name; });

// Frames begun, counted on whichever stream is open: "using a shader" on
// standard output or a camera block on standard error.
int framesSeen(const Lines &l)
{
    int cameraBlocks = static_cast<int>(std::count_if(
        l.err.begin(), l.err.end(), [](const std::string &s) { return startsWith(s, "eye <"); }));
    return std::max(frameCount(l), cameraBlocks);
}

class ClosedStream : public ViewerTest, public ::testing::WithParamInterface<int> {};

TEST_P(ClosedStream, ViewerDrawsAndTakesKeys)
{
    LaunchOptions o;
    o.program = dir + "/interior_mapping";
    o.workingDir = "/";
    o.closedFds = {GetParam()};
    ASSERT_TRUE(launchProcess(v, o));
    ASSERT_TRUE(waitUntil(v, [](const Lines &l) { return framesSeen(l) >= 1; }, kSeconds));
    for (int i = 0; i < 3; ++i) {   // each key brings a frame of its own
        int before = framesSeen(v.lines);
        pressKey(v, 'w');
        ASSERT_TRUE(waitUntil(v, [&](const Lines &l) { return framesSeen(l) > before; },
                              kSeconds)) << "no frame after key " << i;
    }
    if (GetParam() == STDOUT_FILENO) {
        EXPECT_EQ(countLines(v.lines.err, "eye <-3.4 0.5 0.5>"), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, ClosedStream, ::testing::Values(STDOUT_FILENO, STDERR_FILENO),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return info.param == STDOUT_FILENO ? "Stdout" : "Stderr";
                         });

}  // namespace
