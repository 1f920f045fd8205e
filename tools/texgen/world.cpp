// The world: a sky with the sun where the viewer's light is, clouds, two
// ridges of hills around the horizon, and the ground. The -Y face is not
// painted as seen from the centre: it is a tile of fields that the shader
// repeats over the ground plane. Below the horizon the other faces hold
// the ground as it looks far off, its average colour fading into haze,
// which the shader shows where the tile would be smaller than a pixel.
#include "world.h"

#include <algorithm>
#include <cmath>

namespace {

// The sky overhead and at the horizon.
constexpr Color kZenith = rgb(0.20, 0.40, 0.78);
constexpr Color kHorizon = rgb(0.78, 0.86, 0.94);
constexpr Color kSun = rgb(1.0, 0.98, 0.88);
constexpr Color kFarHills = rgb(0.50, 0.60, 0.70);
constexpr Color kNearHills = rgb(0.30, 0.44, 0.32);
constexpr Color kHaze = rgb(0.70, 0.76, 0.78);
constexpr Color kHedge = rgb(0.20, 0.32, 0.16);
constexpr int kFieldsPerTile = 4;
constexpr double kTwoPi = 2.0 * kPi;

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
    const double sunCos = texlayout::dot({x, y, z}, texlayout::kSunDirection);
    c = over(c, kSun, 0.25 * std::pow(std::max(sunCos, 0.0), 12.0));
    const double cover = clouds(x, y, z);
    const double shading = fbm(x * 9.0, z * 9.0, 907, 3);
    c = over(c, mix(rgb(0.72, 0.74, 0.78), rgb(1.0, 1.0, 1.0), shading), cover);
    return over(c, kSun, smoothstep(0.9990, 0.9994, sunCos));
}

// Value noise that repeats every `period` lattice cells in both directions.
double tiledNoise(double x, double y, int period, int seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const double kx = smoothstep(0.0, 1.0, x - fx), ky = smoothstep(0.0, 1.0, y - fy);
    const auto at = [&](double i, double j) {
        const int wi = static_cast<int>(i) % period, wj = static_cast<int>(j) % period;
        return hash01(wi < 0 ? wi + period : wi, wj < 0 ? wj + period : wj, seed);
    };
    return mixd(mixd(at(fx, fy), at(fx + 1, fy), kx), mixd(at(fx, fy + 1), at(fx + 1, fy + 1), kx),
                ky);
}

// The ground tile at (u, w) in [0, 1)^2, repeating in both directions:
// fields with wavy hedges between them, each sown or ploughed its own way.
// `aa` is one texel in tile units.
Color groundTile(double u, double w, double aa) {
    // Whole-number frequencies keep the hedges' waves seamless over the tile.
    const double n = kFieldsPerTile;
    const double gx = u * n + 0.22 * std::sin(kTwoPi * (2.0 * w + 0.3)) +
                      0.1 * std::sin(kTwoPi * (u + 3.0 * w));
    const double gz = w * n + 0.22 * std::sin(kTwoPi * (2.0 * u + 0.7)) +
                      0.1 * std::sin(kTwoPi * (3.0 * u - w));
    const int fx = static_cast<int>(std::floor(gx)), fz = static_cast<int>(std::floor(gz));
    const int cx = (fx % kFieldsPerTile + kFieldsPerTile) % kFieldsPerTile;
    const int cz = (fz % kFieldsPerTile + kFieldsPerTile) % kFieldsPerTile;
    const double kind = hash01(cx, cz, 911);
    Color field = kind < 0.45  ? rgb(0.34, 0.50, 0.24)
                  : kind < 0.7 ? rgb(0.58, 0.56, 0.32)
                  : kind < 0.85 ? rgb(0.46, 0.38, 0.27)
                                : rgb(0.44, 0.56, 0.30);
    // Furrows or mowing stripes along one direction per field, and a grain.
    const double along = hash01(cx, cz, 917) < 0.5 ? gx : gz;
    const double rows = 0.5 + 0.5 * std::sin(kTwoPi * along * 8.0);
    const double grain = tiledNoise(u * 512.0, w * 512.0, 512, 913);
    field = shade(field, (0.9 + 0.08 * rows) * (0.88 + 0.24 * grain));
    const double patch = tiledNoise(u * 32.0, w * 32.0, 32, 919);
    field = shade(field, 0.9 + 0.2 * patch);
    const double hedge = std::min({gx - fx, 1.0 - (gx - fx), gz - fz, 1.0 - (gz - fz)}) / n;
    const double hedgeWidth = 0.006;
    return over(field, shade(kHedge, 0.8 + 0.4 * grain),
                1.0 - smoothstep(hedgeWidth - aa, hedgeWidth + aa, hedge));
}

// The tile's average colour, which is what the fields blend into far off.
Color averageGround() {
    static const Color average = [] {
        Color sum{0.0, 0.0, 0.0, 0.0};
        const int n = 96;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
                sum = add(sum, groundTile((i + 0.5) / n, (j + 0.5) / n, 1.0 / n));
        return scaled(sum, 1.0 / (n * n));
    }();
    return average;
}

// The ground far off along a direction `down` below the horizon (the sine
// of the angle): its average colour, hazier towards the horizon.
Color farGround(double down) { return over(averageGround(), kHaze, std::exp(-down * 40.0)); }

// Shade of the near hills at an azimuth, continuous all the way round:
// the noise is blended with its copy one turn on, so the ends meet.
double nearHillShade(double azimuth, double elevation) {
    const double k = (azimuth + kPi) / kTwoPi;
    const double here = valueNoise(azimuth * 40.0, elevation * 40.0, 925);
    const double turnOn = valueNoise((azimuth + kTwoPi) * 40.0, elevation * 40.0, 925);
    return 0.85 + 0.3 * mixd(turnOn, here, k);
}

} // namespace

Color worldTexel(texlayout::Dir3 d, double aa) {
    if (-d.y >= std::max(std::fabs(d.x), std::fabs(d.z))) {
        // The -Y face: direction (a, -1, b) is tile point ((a + 1) / 2, (b + 1) / 2).
        const double down = -d.y;
        return groundTile(0.5 * (d.x / down + 1.0), 0.5 * (d.z / down + 1.0), 0.5 * aa);
    }
    const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const double x = d.x / len, y = d.y / len, z = d.z / len;
    const double elevation = std::asin(y);
    const double azimuth = std::atan2(z, x);
    const double farRidge = ridge(azimuth, 921, 0.015, 0.09);
    const double nearRidge = ridge(azimuth, 923, 0.0, 0.05);
    // Below the horizon the ground takes over, through a band of haze.
    const double groundBand = 0.03;
    if (elevation < -groundBand)
        return farGround(-y);
    Color c = y > 0.0 ? sky(x, y, z) : kHorizon;
    // Ridges get an edge of at least a texel (aa is about one in radians).
    const double edge = std::max(aa, 0.002);
    c = over(c, mix(kFarHills, kHorizon, 0.3),
             1.0 - smoothstep(farRidge - edge, farRidge + edge, elevation));
    c = over(c, shade(kNearHills, nearHillShade(azimuth, elevation)),
             1.0 - smoothstep(nearRidge - edge, nearRidge + edge, elevation));
    return over(c, farGround(std::max(-y, 1e-3)), smoothstep(0.0, -groundBand, elevation));
}
