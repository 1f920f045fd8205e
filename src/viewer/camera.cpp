#include "camera.h"

#include <algorithm>
#include <cmath>
#include <cstring>

Vector3 eye, la, up;
float theta, phi;

const float delta = 0.2f;

static float floatFromBits(unsigned int bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
const float tiltLimit = floatFromBits(0x42B3FFFCu);

static const float turnStep = 15;
static const float tiltStep = 5;
static const float tiltSnap = 85;
static const double lookDistance = 2;
static const double pi = 3.14159265358979323846;

void resetCamera()
{
    phi = 0;
    theta = 90;
    eye = Vector3(-4, 0.5f, 0.5f);
    up = Vector3(0, 1, 0);
    la = Vector3(0.5f, 0.5f, 0.5f);
}

// eye += dir * scale, component by component in single precision.
static void stepEye(const Vector3 &dir, float scale)
{
    eye.x += dir.x * scale;
    eye.y += dir.y * scale;
    eye.z += dir.z * scale;
}

static void turn(float degrees)
{
    theta += degrees;
    if (theta > 180)
        theta -= 360;
    if (theta < -180)
        theta += 360;
}

static void tiltUp()
{
    if (phi < -tiltSnap)
        phi = -tiltSnap;
    else
        phi = std::min(phi + tiltStep, tiltLimit);
}

static void tiltDown()
{
    if (phi > tiltSnap)
        phi = tiltSnap;
    else
        phi = std::max(phi - tiltStep, -tiltLimit);
}

static double radians(float degrees)
{
    return degrees * pi / 180;
}

void aimCamera()
{
    double t = radians(90 - theta);   // differences in single precision
    double p = radians(90 - phi);
    la.x = static_cast<float>(eye.x + lookDistance * std::cos(t) * std::sin(p));
    la.y = static_cast<float>(eye.y + lookDistance * std::cos(p));
    la.z = static_cast<float>(eye.z + lookDistance * std::sin(t) * std::sin(p));
}

void cameraKey(unsigned char key)
{
    Vector3 gaze = normalize(Vector3(la.x - eye.x, la.y - eye.y, la.z - eye.z));
    Vector3 left = cross(up, gaze);

    switch (key) {
    case 'w': stepEye(gaze, delta); break;
    case 's': stepEye(gaze, -delta); break;
    case 'a': stepEye(left, delta); break;
    case 'd': stepEye(left, -delta); break;
    case 'q': turn(turnStep); break;
    case 'e': turn(-turnStep); break;
    case 'r': tiltUp(); break;
    case 'f': tiltDown(); break;
    default: break;
    }
    aimCamera();
    up = Vector3(0, 1, 0);
}

float viewAspect(int w, int h)
{
    return static_cast<float>(w) / static_cast<float>(h > 0 ? h : 1);
}
