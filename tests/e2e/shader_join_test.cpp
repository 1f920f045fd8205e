// The shader join: the stage the build ships holds no step code, a
// mistyped switch is refused on its real streams, and a compile message
// names the part and the part's own line.
#include "harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using ShaderJoin = ViewerTest;

// (What a switch joins in is drawn in the steps' stored class maps.)
TEST_F(ShaderJoin, TheShippedStageHoldsNoStepCode)
{
    const std::string shipped = readAll(dir + "/FLight.glsl");
    ASSERT_EQ(shipped.rfind("#version 110\n", 0), 0u);
    EXPECT_EQ(shipped.find("vec3 roomStepAlone("), std::string::npos);
    EXPECT_EQ(shipped.find("#ifdef SHOW_"), std::string::npos);
}

TEST_F(ShaderJoin, RefusesANameNoPartMentionsAndWritesNothing)
{
    const std::string out = dir + "/joined.glsl";
    ChildProcess join;
    EXPECT_EQ(runShaderJoin(join, {"-D", "SHOW_SHADOWS", "-o", out, FRAGMENT_PARTS}), 1);
    EXPECT_EQ(join.lines.err,
              std::vector<std::string>{"shader_join: no part mentions SHOW_SHADOWS; nothing would change"});
    EXPECT_EQ(join.outText, "");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(ShaderJoin, RefusesAnIncompleteCommandWithItsUsage)
{
    ChildProcess join;
    EXPECT_EQ(runShaderJoin(join, {"-D"}), 2);
    ASSERT_EQ(join.lines.err.size(), 3u);
    EXPECT_EQ(join.lines.err[0], "shader_join: -D needs a value");
    EXPECT_TRUE(startsWith(join.lines.err[1], "usage: shader_join [-D NAME]... [-o OUT] LIST"));
}

// A syntax error on the second line of the second part, as the viewer
// reports it.
TEST_F(ShaderJoin, ACompileErrorNamesThePartAndItsLine)
{
    writeFile(dir + "/first.glsl", "uniform vec3 camPos;\n");
    writeFile(dir + "/second.glsl", "// the colour\nvoid main() { gl_FragColor = vec4(camPos, 1.0) }\n");
    writeFile(dir + "/stage.parts", "# a test stage\nfirst.glsl\n\nsecond.glsl\n");
    ChildProcess join;
    ASSERT_EQ(runShaderJoin(join, {"-o", dir + "/FLight.glsl", dir + "/stage.parts"}), 0) << join.errText;
    start();
    EXPECT_EQ(waitForExit(v), 0);
    bool named = false;
    for (const std::string &line : v.lines.out)
        named = named || startsWith(line, "2:2(");
    EXPECT_TRUE(named) << v.outText;
}

}  // namespace
