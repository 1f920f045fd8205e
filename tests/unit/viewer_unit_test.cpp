// The camera arithmetic of the navigation keys, and the program's
// directory as found from its own path.
#include "camera.h"
#include "paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string times(int n, char key) { return std::string(n, key); }

TEST(Camera, KeySequencesFromTheStart) {
    struct Case {
        std::string keys;
        float eye[3], gaze[3], theta, phi;
    } cases[] = {
        {"", {-4, 0.5, 0.5}, {2, 0, 0}, 90, 0},
        {"w", {-3.8, 0.5, 0.5}, {2, 0, 0}, 90, 0},
        {"ws", {-4, 0.5, 0.5}, {2, 0, 0}, 90, 0},
        {"add", {-4, 0.5, 0.7}, {2, 0, 0}, 90, 0},
        // Tilted by 60 degrees: sideways steps shrink to half, forward steps
        // keep their length and climb.
        {times(12, 'r') + "a", {-4, 0.5, 0.4}, {1, 1.7320508, 0}, 90, 60},
        {times(12, 'r') + "aw", {-3.9, 0.6732051, 0.4}, {1, 1.7320508, 0}, 90, 60},
        {"q", {-4, 0.5, 0.5}, {1.9318517, 0, -0.5176381}, 105, 0},
        // Turning wraps past +-180 (which it may rest on).
        {times(6, 'q'), {-4, 0.5, 0.5}, {0, 0, -2}, 180, 0},
        {times(7, 'q'), {-4, 0.5, 0.5}, {-0.5176381, 0, -1.9318517}, -165, 0},
        {times(24, 'q'), {-4, 0.5, 0.5}, {2, 0, 0}, 90, 0},
        {times(18, 'e'), {-4, 0.5, 0.5}, {0, 0, -2}, -180, 0},
        {times(19, 'e'), {-4, 0.5, 0.5}, {0.5176381, 0, -1.9318517}, 165, 0},
        // Tilting stops at the float just below 90 and steps back to 85.
        {times(19, 'r'), {-4, 0.5, 0.5}, {0, 2, 0}, 90, 89.99997f},
        {times(19, 'r') + "f", {-4, 0.5, 0.5}, {0.1743115, 1.9923894, 0}, 90, 85},
        {times(19, 'r') + times(36, 'f'), {-4, 0.5, 0.5}, {0, -2, 0}, 90, -89.99997f},
        {times(19, 'r') + times(36, 'f') + "r", {-4, 0.5, 0.5}, {0.1743115, -1.9923894, 0}, 90, -85},
        // Any other key only re-aims.
        {"qW1\x1b ", {-4, 0.5, 0.5}, {1.9318517, 0, -0.5176381}, 105, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("keys \"" + c.keys + "\"");
        resetCamera();
        cameraKey(0);
        for (char key : c.keys) cameraKey(static_cast<unsigned char>(key));
        const float gotEye[3] = {eye.x, eye.y, eye.z};
        const float gotGaze[3] = {la.x - eye.x, la.y - eye.y, la.z - eye.z};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(gotEye[i], c.eye[i], 1e-5) << "eye " << i;
            EXPECT_NEAR(gotGaze[i], c.gaze[i], 1e-5) << "gaze " << i;
        }
        EXPECT_EQ(up.y, 1);
        EXPECT_EQ(theta, c.theta);
        EXPECT_EQ(phi, c.phi);
    }
}

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
