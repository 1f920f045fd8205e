// A test fixture that installs the built viewer into a temporary directory
// of its own and ends the viewer and removes the directory afterwards.
#ifndef E2E_VIEWER_TEST_H
#define E2E_VIEWER_TEST_H

#include "harness.h"

#include <gtest/gtest.h>

class ViewerTest : public ::testing::Test {
protected:
    std::string root;   // removed afterwards
    std::string dir;    // where the viewer is installed (root unless moved)
    ChildProcess v;

    void SetUp() override
    {
        root = dir = makeTempDir();
        installViewer(dir);
    }

    void TearDown() override
    {
        stopProcess(v);
        removeTree(root);
    }

    void start(const std::map<std::string, std::string> &env = {})
    {
        ASSERT_TRUE(launchInstalledViewer(v, dir, env));
    }

    void useShaders(const char *vertex, const char *fragment)
    {
        writeFile(dir + "/VLight.glsl", vertex);
        writeFile(dir + "/FLight.glsl", fragment);
    }
};

#endif
