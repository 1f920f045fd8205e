// The program's directory as found from its own path.
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

}  // namespace
