#include "paint.h"

#include <algorithm>
#include <cmath>

double smoothstep(double edge0, double edge1, double x) {
    const double k = clamp01((x - edge0) / (edge1 - edge0));
    return k * k * (3.0 - 2.0 * k);
}

double mixd(double a, double b, double k) { return a + (b - a) * k; }

Color mix(Color a, Color b, double k) {
    return {mixd(a.r, b.r, k), mixd(a.g, b.g, k), mixd(a.b, b.b, k), mixd(a.a, b.a, k)};
}

Color shade(Color c, double k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

Color over(Color base, Color top, double k) { return mix(base, top, clamp01(k)); }

double hash01(int x, int y, int seed) {
    // A 32-bit integer mix (xorshift-multiply rounds): fixed, platform-free.
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
                 static_cast<uint32_t>(seed) * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return (h >> 8) * (1.0 / 16777216.0);
}

double valueNoise(double x, double y, int seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const double u = smoothstep(0.0, 1.0, x - fx), v = smoothstep(0.0, 1.0, y - fy);
    const double a = hash01(ix, iy, seed), b = hash01(ix + 1, iy, seed);
    const double c = hash01(ix, iy + 1, seed), d = hash01(ix + 1, iy + 1, seed);
    return mixd(mixd(a, b, u), mixd(c, d, u), v);
}

double fbm(double x, double y, int seed, int octaves) {
    double sum = 0.0, amplitude = 0.5, norm = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x, y, seed + 31 * i);
        norm += amplitude;
        x *= 2.03;
        y *= 2.03;
        amplitude *= 0.5;
    }
    return sum / norm;
}

double boxDistance(double x, double y, double x0, double y0, double x1, double y1) {
    const double dx = std::max(x0 - x, x - x1);
    const double dy = std::max(y0 - y, y - y1);
    if (dx <= 0.0 && dy <= 0.0)
        return std::max(dx, dy);
    return std::hypot(std::max(dx, 0.0), std::max(dy, 0.0));
}

double boxCover(double x, double y, double x0, double y0, double x1, double y1, double aa) {
    return 1.0 - smoothstep(-0.5 * aa, 0.5 * aa, boxDistance(x, y, x0, y0, x1, y1));
}

double discCover(double x, double y, double cx, double cy, double r, double aa) {
    return 1.0 - smoothstep(r - 0.5 * aa, r + 0.5 * aa, std::hypot(x - cx, y - cy));
}
