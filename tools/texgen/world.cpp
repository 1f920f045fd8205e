#include "world.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr Color kZenith = rgb(0.20, 0.40, 0.78);
constexpr Color kHorizon = rgb(0.78, 0.86, 0.94);
constexpr Color kSun = rgb(1.0, 0.98, 0.88);
constexpr Color kFarHills = rgb(0.50, 0.60, 0.70);
constexpr Color kNearHills = rgb(0.30, 0.44, 0.32);
constexpr Color kHaze = rgb(0.70, 0.76, 0.78);
// The sun stands where the viewer's light is, seen from the building.
constexpr double kSunDir[3] = {0.57735, 0.57735, 0.57735};

// A ridge line over the horizon as elevation (radians) against azimuth:
// a sum of whole-number harmonics, so it closes up around the circle.
double ridge(double azimuth, int seed, double base, double height) {
    double h = 0.0, norm = 0.0;
    for (int k = 2; k <= 13; ++k) {
        const double amp = 1.0 / k;
        h += amp * std::sin(k * azimuth + 6.2831853 * hash01(k, 0, seed));
        norm += amp;
    }
    return base + height * clamp01(0.5 + 1.5 * h / norm);
}

// Cloud cover seen at elevation sin(el) = y > 0: noise on a flat cloud layer.
double clouds(double x, double y, double z) {
    const double scale = 1.6 / std::max(y, 0.03);
    const double density = fbm(x * scale + 7.0, z * scale + 3.0, 901, 6);
    return smoothstep(0.52, 0.72, density) * smoothstep(0.03, 0.2, y);
}

Color sky(double x, double y, double z) {
    Color c = mix(kHorizon, kZenith, std::pow(std::max(y, 0.0), 0.55));
    const double sunCos = x * kSunDir[0] + y * kSunDir[1] + z * kSunDir[2];
    c = over(c, kSun, 0.25 * std::pow(std::max(sunCos, 0.0), 12.0));
    const double cover = clouds(x, y, z);
    const double shading = fbm(x * 9.0, z * 9.0, 907, 3);
    c = over(c, mix(rgb(0.72, 0.74, 0.78), rgb(1.0, 1.0, 1.0), shading), cover);
    return over(c, kSun, smoothstep(0.9990, 0.9994, sunCos));
}

// Fields seen below the horizon, fading into haze in the distance.
Color ground(double x, double y, double z) {
    const double down = std::max(-y, 1e-4);
    // Fields on the flat ground, their borders warped so they look surveyed
    // rather than ruled.
    const double px = x / down * 10.0, pz = z / down * 10.0;
    const double gx = px + 0.7 * valueNoise(px * 0.35, pz * 0.35, 915);
    const double gz = pz + 0.7 * valueNoise(px * 0.35 + 17.0, pz * 0.35, 916);
    const int fx = static_cast<int>(std::floor(gx)), fz = static_cast<int>(std::floor(gz));
    const double kind = hash01(fx, fz, 911);
    Color field = kind < 0.5   ? rgb(0.34, 0.48, 0.24)
                  : kind < 0.8 ? rgb(0.56, 0.55, 0.32)
                               : rgb(0.46, 0.39, 0.28);
    field = shade(field, 0.9 + 0.15 * valueNoise(gx * 6.0, gz * 6.0, 913));
    const double hedge = std::min({gx - fx, 1.0 - (gx - fx), gz - fz, 1.0 - (gz - fz)});
    field = over(field, rgb(0.20, 0.32, 0.16), 1.0 - smoothstep(0.015, 0.035, hedge));
    return over(field, kHaze, std::exp(-down * 9.0));
}

} // namespace

Color worldTexel(texlayout::Dir3 d) {
    const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const double x = d.x / len, y = d.y / len, z = d.z / len;
    const double elevation = std::asin(y);
    const double azimuth = std::atan2(z, x);
    const double farRidge = ridge(azimuth, 921, 0.015, 0.09);
    const double nearRidge = ridge(azimuth, 923, 0.0, 0.05);
    // Below the horizon the ground takes over, through a band of haze.
    const double groundBand = 0.03;
    if (elevation < -groundBand)
        return ground(x, y, z);
    Color c = y > 0.0 ? sky(x, y, z) : kHorizon;
    const double aa = 0.002;
    c = over(c, mix(kFarHills, kHorizon, 0.3),
             1.0 - smoothstep(farRidge - aa, farRidge + aa, elevation));
    const double nearShade = 0.85 + 0.3 * valueNoise(azimuth * 40.0, elevation * 40.0, 925);
    c = over(c, shade(kNearHills, nearShade),
             1.0 - smoothstep(nearRidge - aa, nearRidge + aa, elevation));
    return over(c, ground(x, std::min(y, -1e-3), z), smoothstep(0.0, -groundBand, elevation));
}
