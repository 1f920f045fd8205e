// Parsing of GL version strings, including forms no driver here produces.
#include "GLSL_helper.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    int count, major, minor;
};

Parsed parse(const char *text)
{
    Parsed p{0, 0, 0};
    p.count = parseGLversion(text, &p.major, &p.minor);
    return p;
}

TEST(ParseGLversion, ReadsMajorAndMinor)
{
    Parsed p = parse("4.5 (Compatibility Profile) Mesa 22.3.6");
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.major, 4);
    EXPECT_EQ(p.minor, 5);
    p = parse("1.5 Mesa");
    EXPECT_EQ(p.major, 1);
    EXPECT_EQ(p.minor, 5);
}

TEST(ParseGLversion, MajorWithoutPointLeavesMinorAtZero)
{
    Parsed p = parse("3");
    EXPECT_EQ(p.count, 1);
    EXPECT_EQ(p.major, 3);
    EXPECT_EQ(p.minor, 0);
}

TEST(ParseGLversion, NoLeadingNumberReadsNothing)
{
    for (const char *text : {"OpenGL ES 3.2", "", ".5"}) {
        Parsed p = parse(text);
        EXPECT_EQ(p.count, 0) << text;
        EXPECT_EQ(p.major, 0) << text;
    }
    EXPECT_EQ(parse(nullptr).count, 0);
}

}  // namespace
