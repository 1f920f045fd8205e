// Closed standard streams: the viewer must go on answering keys within a
// few seconds, so that a regression fails here instead of hanging the suite.
#include "harness.h"

#include <unistd.h>

#include <algorithm>

namespace {

const double kSeconds = 10;   // longer than this counts as hung

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
