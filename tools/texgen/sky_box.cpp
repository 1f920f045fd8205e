#include "sky_box.h"

#include "hdr.h"

#include <algorithm>
#include <cmath>
#include <vector>

using texlayout::Dir3;

namespace {

// The names of the families after px ... nz (kSkyPictures' own), by slot;
// the last family's names end a name after an underscore, or are all of it.
constexpr const char *kFamilyNames[kSkyFamilies - 1][texlayout::kSlotCount] = {
    {"posx", "negx", "posy", "negy", "posz", "negz"},
    {"rt", "lf", "up", "dn", "bk", "ft"},
};
constexpr int kSuffixFamily = kSkyFamilies - 1;
constexpr double kPanoramaTolerance = 0.01;

// The side of the faces over which the exposure is averaged.
constexpr int kExposureSide = 64;
// Points compared along each edge of the cube.
constexpr int kEdgePoints = 64;
// Another fit is taken only if its edges differ by less than this share of
// the named fit's, and by this much less in colour (0..1, a channel's mean).
constexpr double kClearlyBetter = 0.5;
constexpr double kEdgeNoise = 0.01;
constexpr int kQuarterTurns = 4;
constexpr int kSides[4] = {0, 4, 1, 5};   // +X, +Z, -X, -Z: each side's right meets the next

const char *familyName(int family, int slot) {
    return family == 0 ? texlayout::kSkyPictures[slot].name : kFamilyNames[family - 1][slot];
}

bool endsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Bilinear filtering of texel(x, y) at (u, v) (0..1 right and down): rows
// clamped at the edges, columns too, or wrapped round for a panorama.
template <typename Texel>
Color bilinear(int width, int height, double u, double v, bool wrap, const Texel &texel) {
    double x = u * width - 0.5;
    x = wrap ? x - std::floor(x / width) * width : std::clamp(x, 0.0, width - 1.0);
    const double y = std::clamp(v * height - 0.5, 0.0, height - 1.0);
    const int x0 = std::min(static_cast<int>(x), width - 1), y0 = static_cast<int>(y);
    const int x1 = wrap ? (x0 + 1) % width : std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    const double fx = x - x0, fy = y - y0;
    return add(add(scaled(texel(x0, y0), (1 - fx) * (1 - fy)), scaled(texel(x1, y0), fx * (1 - fy))),
               add(scaled(texel(x0, y1), (1 - fx) * fy), scaled(texel(x1, y1), fx * fy)));
}

// A picture's light at (u, v): linear for HDR, its 0..1 values otherwise.
Color pictureLight(const Picture &p, double u, double v, bool wrap) {
    if (isHdr(p))
        return bilinear(p.radiance.width, p.radiance.height, u, v, wrap, [&](int x, int y) {
            const texlayout::Rgb c = rgbeAt(p.radiance, x, y);
            return rgb(c.r, c.g, c.b);
        });
    const RgbaImage &image = p.image;
    return bilinear(image.width, image.height, u, v, wrap, [&](int x, int y) {
        const unsigned char *q = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
        return rgb(q[0] / 255.0, q[1] / 255.0, q[2] / 255.0);
    });
}

// Where direction d falls in the picture of `slot` stored `turn` quarter
// turns clockwise: turning the upright picture so puts its top on the right.
void facePicturePoint(int slot, int turn, Dir3 d, double *u, double *v) {
    const texlayout::PictureFrame &f = texlayout::kSkyPictures[slot];
    Dir3 right = f.right, top = f.top;
    for (int k = 0; k < turn; ++k) {
        const Dir3 r = right;
        right = top;
        top = {-r.x, -r.y, -r.z};
    }
    const double m = texlayout::dot(d, f.centre);
    *u = 0.5 * (texlayout::dot(d, right) / m + 1.0);
    *v = 0.5 * (1.0 - texlayout::dot(d, top) / m);
}

// The picture that shows d, and its light there.
const Picture *pictureAt(const Sky &sky, Dir3 d, int slot, Color *light) {
    if (sky.panorama) {
        const double n = std::sqrt(texlayout::dot(d, d));
        const double u = 0.5 + std::atan2(d.x, -d.z) / (2.0 * kPi);
        const double v = std::acos(std::clamp(d.y / n, -1.0, 1.0)) / kPi;
        *light = pictureLight(*sky.panorama, u, v, true);
        return sky.panorama;
    }
    if (const Picture *p = sky.faces[slot]) {
        double u, v;
        facePicturePoint(slot, sky.turns[slot], d, &u, &v);
        *light = pictureLight(*p, u, v, false);
        return p;
    }
    *light = sky.old ? cubeColor(*sky.old, d) : rgb(0, 0, 0);
    light->a = 1.0;
    return nullptr;
}

Color shown(const Sky &sky, const Picture *p, Color light) {
    if (!p || !isHdr(*p))
        return light;
    return rgb(displayed(light.r, sky.exposure), displayed(light.g, sky.exposure), displayed(light.b, sky.exposure));
}

// The sky along d as face `slot` shows it (d on that face or its edge).
Color faceColor(const Sky &sky, int slot, Dir3 d) {
    Color light;
    const Picture *p = pictureAt(sky, d, slot, &light);
    return shown(sky, p, light);
}

// The mean difference in colour along the edge where faces a and b meet.
double edgeMismatch(const Sky &sky, int a, int b) {
    const Dir3 ca = texlayout::kSkyPictures[a].centre, cb = texlayout::kSkyPictures[b].centre;
    const Dir3 along = texlayout::cross(ca, cb);
    double sum = 0.0;
    for (int k = 0; k < kEdgePoints; ++k) {
        const Dir3 d = texlayout::combine(1.0, ca, 1.0, cb, -1.0 + (2.0 * k + 1.0) / kEdgePoints, along);
        const Color x = faceColor(sky, a, d), y = faceColor(sky, b, d);
        sum += (std::fabs(x.r - y.r) + std::fabs(x.g - y.g) + std::fabs(x.b - y.b)) / 3.0;
    }
    return sum / kEdgePoints;
}

double verticalMismatch(const Sky &sky) {
    double sum = 0.0;
    for (int k = 0; k < 4; ++k)
        sum += edgeMismatch(sky, kSides[k], kSides[(k + 1) % 4]);
    return sum;
}

double capMismatch(const Sky &sky, int cap) {
    double sum = 0.0;
    for (int side : kSides)
        sum += edgeMismatch(sky, cap, side);
    return sum;
}

// The candidate to take (0 being the named fit): another only if its edges
// meet clearly better.
int clearlyBest(const std::vector<double> &mismatch) {
    const int best = static_cast<int>(std::min_element(mismatch.begin(), mismatch.end()) - mismatch.begin());
    const bool clear = mismatch[best] < kClearlyBetter * mismatch[0] && mismatch[0] - mismatch[best] > kEdgeNoise;
    return clear ? best : 0;
}

// The turn of the cap picture (+Y or -Y) whose edges meet the sides.
int fitCap(Sky *sky, int cap) {
    std::vector<double> mismatch;
    for (int turn = 0; turn < kQuarterTurns; ++turn) {
        sky->turns[cap] = turn;
        mismatch.push_back(capMismatch(*sky, cap));
    }
    return sky->turns[cap] = clearlyBest(mismatch);
}

} // namespace

bool skyFaceNamed(const std::string &name, int *family, int *slot) {
    for (int f = 0; f < kSkyFamilies; ++f)
        for (int k = 0; k < texlayout::kSlotCount; ++k) {
            const std::string face = familyName(f, k);
            if (name == face || endsWith(name, "_" + face)) { // any family may carry a "<name>_" prefix
                *family = f, *slot = k;
                return true;
            }
        }
    return false;
}

std::string skyFaceName(int family, int slot) {
    return (family == kSuffixFamily ? "_" : "") + std::string(familyName(family, slot));
}

std::string skyFamilyText(int family) {
    std::string text = family == kSuffixFamily ? "<name>" : "";
    for (int k = 0; k < texlayout::kSlotCount; ++k)
        text += (k ? " " : "") + skyFaceName(family, k);
    return text;
}

std::string skyFaceDirection(int slot) {
    const Dir3 c = texlayout::kSkyPictures[slot].centre;
    const char axis = c.x != 0.0 ? 'X' : c.y != 0.0 ? 'Y' : 'Z';
    return std::string(c.x + c.y + c.z > 0.0 ? "+" : "-") + axis;
}

bool isPanoramaShape(int width, int height) {
    return std::fabs(width - 2.0 * height) <= std::max(1.0, kPanoramaTolerance * width);
}

bool anyHdr(const Sky &sky) {
    bool hdr = sky.panorama && isHdr(*sky.panorama);
    for (const Picture *p : sky.faces)
        hdr = hdr || (p && isHdr(*p));
    return hdr;
}

Color skyLight(const Sky &sky, Dir3 d) {
    Color light;
    pictureAt(sky, d, texlayout::cubeTexelAt(d).slot, &light);
    return light;
}

Color skyColor(const Sky &sky, Dir3 d) { return faceColor(sky, texlayout::cubeTexelAt(d).slot, d); }

double automaticExposure(const Sky &sky) {
    if (!anyHdr(sky))
        return 1.0;
    double sumLog = 0.0, sumWeight = 0.0;
    forSphereSamples(kExposureSide, false, [&](Dir3 d, double weight) {
        const Color c = skyLight(sky, d);
        sumLog += weight * logLuminance({c.r, c.g, c.b});
        sumWeight += weight;
    });
    return exposureFor(sumLog / sumWeight);
}

void forSphereSamples(int side, bool upperOnly, const std::function<void(Dir3, double)> &f) {
    const double texel = 2.0 / side;
    for (int slot = 0; slot < texlayout::kSlotCount; ++slot) {
        if (upperOnly && slot == texlayout::kMinusYSlot)
            continue;
        for (int j = 0; j < side; ++j)
            for (int i = 0; i < side; ++i) {
                const Dir3 d = texlayout::cubeFaceDirection(slot, (i + 0.5) / side, (j + 0.5) / side);
                if (upperOnly && d.y <= 0.0)
                    continue;
                const double n = std::sqrt(texlayout::dot(d, d));
                f({d.x / n, d.y / n, d.z / n}, texel * texel / (n * n * n));
            }
    }
}

SkyBoxFit fitSkyBox(Sky *sky, bool down) {
    SkyBoxFit fit;
    const double named = verticalMismatch(*sky);
    std::swap(sky->faces[4], sky->faces[5]);
    fit.zSwapped = clearlyBest({named, verticalMismatch(*sky)}) == 1;
    if (!fit.zSwapped)
        std::swap(sky->faces[4], sky->faces[5]);
    fit.upTurn = fitCap(sky, texlayout::kPlusYSlot);
    if (down)
        fit.downTurn = fitCap(sky, texlayout::kMinusYSlot);
    return fit;
}
