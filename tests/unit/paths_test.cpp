// The program's directory as found from its own path.
#include "paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FindMyPath, KeepsTheDirectoryWithItsSeparator)
{
    EXPECT_STREQ(findMyPath("/usr/local/bin/prog"), "/usr/local/bin/");
    EXPECT_STREQ(findMyPath("/opt/x/prog"), "/opt/x/");
    EXPECT_STREQ(findMyPath("/prog"), "/");
    EXPECT_STREQ(findMyPath("build\\prog.exe"), "build\\");
    EXPECT_STREQ(findMyPath("a/b\\c"), "a/b\\");
}

TEST(FindMyPath, BareNameStaysInTheWorkingDirectory)
{
    EXPECT_STREQ(findMyPath("interior_mapping"), ".");
    EXPECT_STREQ(findMyPath(""), ".");
}

TEST(FindMyPath, LongProgramNameKeepsItsShortDirectory)
{
    std::string dir = "/tmp/short/";
    std::string path = dir + std::string(400, 'p');
    EXPECT_EQ(std::string(findMyPath(path.c_str())), dir);
}

TEST(FindMyPath, DirectoryTooLongForTheBufferStaysPut)
{
    std::string deep = "/" + std::string(298, 'd') + "/";   // 300 characters
    EXPECT_STREQ(findMyPath((deep + "prog").c_str()), ".");
    std::string fits = "/" + std::string(297, 'd') + "/";   // 299 characters
    EXPECT_EQ(std::string(findMyPath((fits + "prog").c_str())), fits);
}

}  // namespace
