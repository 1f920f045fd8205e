#include "sun.h"

#include "hdr.h"
#include "sky_box.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

using texlayout::Dir3;

namespace {

// The finest faces the sky is searched on (a texel is then under a tenth of
// a degree, finer than the sun's disc).
constexpr int kMaxSearchSide = 1024;
// In an 8-bit sky the sun is where the light is this near its brightest; in
// an HDR sky where it is this many times the sky's median.
constexpr double kNearMaximum = 0.95;
constexpr double kWellAbove = 16.0;
// A clear sun: its light this many times the median, a spot of at most this
// solid angle (a disc some 36 degrees across), and so compact that the mean
// of its directions is at least this long.
constexpr double kClearlyBrighter = 1.5;
constexpr double kMaxSpot = 0.3;
constexpr double kCompact = 0.9;
// The light within this angle of the sun gives its colour, sampled on rings
// and spokes around it.
constexpr double kNearSunAngle = 10.0 * kPi / 180.0;
constexpr int kNearRings = 8, kNearSpokes = 24;
// The soft light of a sky with no clear sun, as a share of kSunLight.
constexpr double kSoftLightShare = 1.0 / 3.0;

Dir3 unit(Dir3 d) {
    const double n = std::sqrt(texlayout::dot(d, d));
    return {d.x / n, d.y / n, d.z / n};
}

double luminanceOf(Color c) { return luminance({c.r, c.g, c.b}); }

// The mean light within kNearSunAngle of direction d (unit).
Color lightNear(const LightFn &light, Dir3 d) {
    const Dir3 e1 = unit(texlayout::cross(d, std::fabs(d.y) < 0.9 ? Dir3{0, 1, 0} : Dir3{1, 0, 0}));
    const Dir3 e2 = texlayout::cross(d, e1);
    Color sum = light(d);
    double weights = 1.0;
    for (int r = 1; r <= kNearRings; ++r) {
        const double angle = kNearSunAngle * r / kNearRings, w = std::sin(angle);
        for (int k = 0; k < kNearSpokes; ++k) {
            const double spoke = 2.0 * kPi * k / kNearSpokes;
            const Dir3 e = texlayout::combine(std::cos(spoke), e1, std::sin(spoke), e2, 0.0, {});
            sum = add(sum, scaled(light(texlayout::combine(std::cos(angle), d, w, e, 0.0, {})), w));
            weights += w;
        }
    }
    return scaled(sum, 1.0 / weights);
}

// The sun's light: the chroma of the light near it at kSunLight's
// luminance, no channel above 1.
texlayout::Rgb sunLight(const LightFn &light, Dir3 d) {
    const Color c = lightNear(light, d);
    const double y = luminanceOf(c);
    if (!(y > 0.0))
        return texlayout::kSunLight;
    const double k = luminance(texlayout::kSunLight) / y;
    const double top = std::max({c.r * k, c.g * k, c.b * k, 1.0});
    return {c.r * k / top, c.g * k / top, c.b * k / top};
}

struct Sample {
    Dir3 d;
    double weight, luminance;
};

} // namespace

texlayout::SunRecord noClearSun() {
    const texlayout::Rgb l = texlayout::kSunLight;
    return {{0.0, 1.0, 0.0}, {l.r * kSoftLightShare, l.g * kSoftLightShare, l.b * kSoftLightShare}, 0.0};
}

texlayout::SunRecord sunAlong(const LightFn &light, Dir3 d) {
    const Dir3 u = unit(d);
    return {u, sunLight(light, u), 1.0};
}

texlayout::SunRecord findSun(const LightFn &light, bool hdr, int side) {
    std::vector<Sample> sky;
    forSphereSamples(std::min(side, kMaxSearchSide), true, [&](Dir3 d, double weight) {
        sky.push_back({d, weight, luminanceOf(light(d))});
    });
    std::vector<double> levels(sky.size());
    std::transform(sky.begin(), sky.end(), levels.begin(), [](const Sample &s) { return s.luminance; });
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    const double median = levels[levels.size() / 2];
    const double brightest = *std::max_element(levels.begin(), levels.end());
    const double threshold = hdr ? kWellAbove * median : kNearMaximum * brightest;
    Dir3 centroid{0, 0, 0};
    double area = 0.0, lightSum = 0.0, weights = 0.0;
    for (const Sample &s : sky) {
        if (s.luminance < threshold || !(s.luminance > 0.0))
            continue;
        // The light's own centroid in HDR; the spot's in 8 bits, where the
        // sun's core is clipped flat.
        const double w = hdr ? s.weight * s.luminance : s.weight;
        centroid = texlayout::combine(1.0, centroid, w, s.d, 0.0, {});
        area += s.weight, lightSum += s.weight * s.luminance, weights += w;
    }
    const bool clear = area > 0.0 && area <= kMaxSpot && lightSum / area >= kClearlyBrighter * median &&
                       std::sqrt(texlayout::dot(centroid, centroid)) >= kCompact * weights;
    return clear ? sunAlong(light, centroid) : noClearSun();
}

bool readSunFile(const std::string &path, const LightFn &light, texlayout::SunRecord *sun, std::string *why) {
    std::vector<std::string> words;
    if (!readWords(path, &words, why))
        return false;
    if (words.size() == 1) {
        std::string word = words[0];
        std::transform(word.begin(), word.end(), word.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        *sun = noClearSun();
        if (word == "none")
            return true;
    }
    double value[6] = {0, 0, 0, 0, 0, 0};
    bool numbers = words.size() == 3 || words.size() == 6;
    for (size_t k = 0; numbers && k < words.size(); ++k) {
        char *end = nullptr;
        value[k] = std::strtod(words[k].c_str(), &end);
        numbers = *end == '\0' && std::isfinite(value[k]) && (k < 3 || (value[k] >= 0.0 && value[k] <= 1.0));
    }
    const Dir3 d{value[0], value[1], value[2]};
    if (!numbers || texlayout::dot(d, d) == 0.0) {
        *why = "give the direction to the sun as three numbers \"x y z\" (not all 0), perhaps followed by its "
               "light \"r g b\" (each 0 to 1), or the word none";
        return false;
    }
    *sun = sunAlong(light, d);
    if (words.size() == 6)
        sun->light = {value[3], value[4], value[5]};
    return true;
}
