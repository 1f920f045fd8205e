#include "Vector3.h"

#include <cmath>

Vector3 cross(const Vector3 &a, const Vector3 &b)
{
    return Vector3(a.y * b.z - a.z * b.y,
                   a.z * b.x - a.x * b.z,
                   a.x * b.y - a.y * b.x);
}

float dot(const Vector3 &a, const Vector3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float length(const Vector3 &a)
{
    return static_cast<float>(std::sqrt(static_cast<double>(dot(a, a))));
}

Vector3 normalize(const Vector3 &a)
{
    float len = length(a);
    if (len == 0.0f)
        return Vector3();
    return Vector3(a.x / len, a.y / len, a.z / len);
}
