// Camera arithmetic and the vector operations under it.
#include "camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

void start()
{
    resetCamera();
    cameraKey(0);
}

void press(char key, int times = 1)
{
    for (int i = 0; i < times; ++i)
        cameraKey(static_cast<unsigned char>(key));
}

float distance(const Vector3 &a, const Vector3 &b)
{
    return length(Vector3(a.x - b.x, a.y - b.y, a.z - b.z));
}

TEST(Vector3, AssignmentCopiesOnlyTheComponents)
{
    Vector3 target(1, 2, 3);
    target.nx = 7;
    target.ny = 8;
    target.nz = 9;
    Vector3 source(4, 5, 6);
    source.nx = source.ny = source.nz = -1;
    target = source;
    EXPECT_EQ(target.x, 4);
    EXPECT_EQ(target.z, 6);
    EXPECT_EQ(target.nx, 7);
    EXPECT_EQ(target.nz, 9);
}

TEST(Vector3, CrossOfUpAndGazeShrinksWithElevation)
{
    Vector3 upv(0, 1, 0);
    for (double elevation : {0.0, 30.0, 60.0, 89.0}) {
        double r = elevation * M_PI / 180;
        Vector3 gaze(float(std::cos(r)), float(std::sin(r)), 0);
        EXPECT_NEAR(length(cross(upv, gaze)), std::cos(r), 1e-6) << elevation;
    }
    EXPECT_EQ(length(cross(upv, Vector3(0, 1, 0))), 0);
    Vector3 left = cross(upv, Vector3(1, 0, 0));
    EXPECT_EQ(left.z, -1);   // right-handed
}

TEST(Vector3, NormalizeGivesUnitLength)
{
    Vector3 n = normalize(Vector3(0, 2, 0));
    EXPECT_FLOAT_EQ(n.y, 1);
    EXPECT_FLOAT_EQ(length(normalize(Vector3(1.2f, -1.6f, 0))), 1);
    EXPECT_EQ(length(normalize(Vector3())), 0);   // no NaN from a zero vector
}

TEST(Camera, StartLooksAlongPlusXFromTheStartPosition)
{
    start();
    EXPECT_EQ(eye.x, -4);
    EXPECT_EQ(la.x, -2);
    EXPECT_EQ(la.y, 0.5f);
    EXPECT_EQ(la.z, 0.5f);
    EXPECT_EQ(up.y, 1);
    EXPECT_EQ(theta, 90);
    EXPECT_EQ(phi, 0);
}

TEST(Camera, ForwardAndBackStepsAreExactInverses)
{
    start();
    press('w');
    EXPECT_EQ(eye.x, -4 + 0.2f);
    EXPECT_EQ(la.x, eye.x + 2);
    press('s');
    EXPECT_EQ(eye.x, -4);
    EXPECT_EQ(la.x, -2);
}

TEST(Camera, SidewaysStepsFollowLeftVector)
{
    start();
    press('a');
    EXPECT_EQ(eye.z, 0.5f - 0.2f);
    EXPECT_EQ(eye.x, -4);
    press('d', 2);
    EXPECT_FLOAT_EQ(eye.z, 0.7f);
}

TEST(Camera, SidewaysStepsShrinkWhenTilted)
{
    start();
    press('r', 12);
    ASSERT_FLOAT_EQ(phi, 60);
    Vector3 before = eye;
    press('a');
    EXPECT_NEAR(distance(eye, before), 0.1, 1e-6);
    before = eye;
    press('d');
    EXPECT_NEAR(distance(eye, before), 0.1, 1e-6);
    // Forward steps keep their full length, vertical part included.
    before = eye;
    press('w');
    EXPECT_NEAR(distance(eye, before), 0.2, 1e-6);
    EXPECT_NEAR(eye.y - before.y, 0.2 * std::sin(M_PI / 3), 1e-6);
}

TEST(Camera, TurningWrapsAtPlusMinus180WithStrictComparisons)
{
    start();
    press('q', 6);
    EXPECT_EQ(theta, 180);   // may rest at exactly 180
    press('q');
    EXPECT_EQ(theta, -165);
    press('q', 17);
    EXPECT_EQ(theta, 90);    // 24 presses in all
    press('e', 18);
    EXPECT_EQ(theta, -180);  // may rest at exactly -180
    press('e');
    EXPECT_EQ(theta, 165);
}

TEST(Camera, TurnedViewDirection)
{
    start();
    press('q');
    EXPECT_NEAR(la.x - eye.x, 1.93185, 1e-5);
    EXPECT_NEAR(la.z - eye.z, -0.517638, 1e-5);
    press('q', 5);   // theta 180 looks along -Z
    EXPECT_NEAR(la.z - eye.z, -2, 1e-6);
    EXPECT_NEAR(la.x - eye.x, 0, 1e-6);
}

TEST(Camera, TiltStopsJustShortOfVertical)
{
    unsigned int bits;
    std::memcpy(&bits, &tiltLimit, sizeof bits);
    EXPECT_EQ(bits, 0x42B3FFFCu);

    start();
    press('r', 18);
    EXPECT_EQ(phi, tiltLimit);
    press('r');
    EXPECT_EQ(phi, tiltLimit);
    press('f');
    EXPECT_EQ(phi, 85);   // snaps to 85, not 84.99997
    press('f', 35);
    EXPECT_EQ(phi, -tiltLimit);
    press('r');
    EXPECT_EQ(phi, -85);
}

TEST(Camera, OtherKeysOnlyReaim)
{
    start();
    press('q');
    for (char key : {'W', 'S', '1', '\x1b', ' '}) {
        Vector3 eyeBefore = eye;
        float thetaBefore = theta, phiBefore = phi;
        la = Vector3(100, 100, 100);   // rebuilt from the angles
        press(key);
        EXPECT_EQ(eye.x, eyeBefore.x);
        EXPECT_EQ(eye.z, eyeBefore.z);
        EXPECT_EQ(theta, thetaBefore);
        EXPECT_EQ(phi, phiBefore);
        EXPECT_NEAR(distance(la, eye), 2, 1e-5) << key;
    }
}

TEST(Camera, AspectStaysFiniteForAnyWindow)
{
    EXPECT_FLOAT_EQ(viewAspect(800, 600), 800.0f / 600.0f);
    EXPECT_EQ(viewAspect(1024, 1024), 1);
    EXPECT_EQ(viewAspect(640, 0), 640);
    EXPECT_TRUE(std::isfinite(viewAspect(0, 0)));
    EXPECT_EQ(viewAspect(0, 0), 0);
}

}  // namespace
