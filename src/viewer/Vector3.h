// The viewer's one vector type and its four operations.
#ifndef VECTOR3_H
#define VECTOR3_H

// Three components plus three further floats that no operation reads or
// writes. Assignment copies x, y and z only.
struct Vector3 {
    float x, y, z;
    float nx, ny, nz;

    Vector3() : x(0), y(0), z(0) {}
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    Vector3(const Vector3 &v) : x(v.x), y(v.y), z(v.z) {}
    Vector3 &operator=(const Vector3 &v)
    {
        x = v.x;
        y = v.y;
        z = v.z;
        return *this;
    }
};

// The right-handed cross product a x b.
Vector3 cross(const Vector3 &a, const Vector3 &b);
float dot(const Vector3 &a, const Vector3 &b);
// Euclidean length, with the square root taken in double precision.
float length(const Vector3 &a);
// a divided by its length; a zero vector comes back as the zero vector.
Vector3 normalize(const Vector3 &a);

#endif
