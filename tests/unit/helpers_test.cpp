// The program's directory as found from its own path, and the parsing of
// GL version strings (including forms no driver here produces).
#include "GLSL_helper.h"
#include "paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FindMyPath, KeepsTheDirectoryWithItsSeparator) {
    const std::string deep = "/" + std::string(298, 'd') + "/";  // 300 characters
    const std::string fits = "/" + std::string(297, 'd') + "/";  // 299 characters
    const std::string cases[][2] = {
        {"/usr/local/bin/prog", "/usr/local/bin/"},
        {"/prog", "/"},
        {"build\\prog.exe", "build\\"},
        {"a/b\\c", "a/b\\"},
        {"interior_mapping", "."},
        {"", "."},
        {"/tmp/short/" + std::string(400, 'p'), "/tmp/short/"},
        {deep + "prog", "."},
        {fits + "prog", fits},
    };
    for (const auto &c : cases) EXPECT_EQ(std::string(findMyPath(c[0].c_str())), c[1]) << c[0];
}

TEST(ParseGLversion, ReadsWhatItCan) {
    struct Case {
        const char *text;
        int count, major, minor;
    } cases[] = {
        {"4.5 (Compatibility Profile) Mesa 22.3.6", 2, 4, 5},
        {"1.5 Mesa", 2, 1, 5},
        {"3", 1, 3, -1},
        {"OpenGL ES 3.2", 0, -1, -1},
        {"", 0, -1, -1},
        {nullptr, 0, -1, -1},
    };
    for (const Case &c : cases) {
        int major = -1, minor = -1;
        EXPECT_EQ(parseGLversion(c.text, &major, &minor), c.count) << (c.text ? c.text : "null");
        EXPECT_EQ(major, c.major);
        EXPECT_EQ(minor, c.minor);
    }
}

}  // namespace
