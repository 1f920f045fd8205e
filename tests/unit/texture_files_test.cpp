// The generated cube maps, read back file by file as the viewer uploads
// them: faces meet along their edges as OpenGL samples them, each room's
// lamp lights it from the face loaded as the ceiling, and the world has sky
// overhead and ground below. Only what any look must keep is checked.
#include "tex.h"
#include "texture_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

const int kCeiling = texlayout::kPlusYSlot, kFloor = texlayout::kMinusYSlot, kWorld = texlayout::kWorldSet;

struct CubeMap {
    int n = 0, set = 0;   // texels along a side; the set
    std::vector<PIXEL> faces[6];
    // Texels along a side of each room style's view of a face (the world's
    // faces are one view).
    int viewTexels() const { return set == kWorld ? n : texlayout::styleQuadrantTexels(n); }
    // The face and texel GL samples along the direction through (s, t) of
    // face k in room style `style`'s view, which lies on a neighbouring face
    // when s or t is outside 0..1.
    std::pair<int, int> sampled(int k, double s, double t, int style = 0) const {
        const texlayout::Dir3 d = texlayout::cubeFaceDirection(k, s, t);
        const texlayout::CubeTexel c =
            texlayout::cubeTexelAt(set == kWorld ? d : texlayout::styledDirection(set, style, d));
        const auto index = [&](double x) { return std::min(n - 1, std::max(0, int(x * n))); };
        return {c.slot, index(c.t) * n + index(c.s)};
    }
    const PIXEL &at(std::pair<int, int> texel) const { return faces[texel.first][texel.second]; }
};

void load(CubeMap *cube, int set) {
    cube->set = set;
    for (int k = 0; k < 6; ++k) {
        const std::string path = std::string(TEXTURE_DIR) + "/" + kSetNames[set] + "/" + kSetFiles[1 + k] + ".tga";
        FILE *file = fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr) << path;
        TgaImage image{};
        const TgaError error = decodeTga(file, &image).error;
        fclose(file);
        ASSERT_EQ(error, TGA_OK) << path;
        cube->faces[k].assign(image.pixels, image.pixels + image.width * image.height);
        free(image.pixels);
        ASSERT_TRUE(image.width == image.height && (k == 0 || image.width == cube->n)) << path << ": not square, or not of its set's size";
        cube->n = image.width;
    }
}

// Along every edge where two faces show one surface, the texels beside it
// and those GL samples just beyond it differ little on average (in R + G + B).
// That is all round the world's sky and horizon (its ground tile is not
// seen from the centre), and where two walls of a room meet in each room
// style (the ceiling and floor meet them at a corner; the face towards the
// facade, face s of set s, is never seen as a wall).
void expectEdgesAgree(const CubeMap &c, int set) {
    const auto seen = [set](int k) { return set == kWorld ? k != kFloor : k != set && k / 2 != 1; };
    const int n = c.viewTexels(), styles = set == kWorld ? 1 : texlayout::kRoomStyles;
    for (int k = 0; k < 6 * styles; ++k) {
        const int face = k % 6, style = k / 6;
        for (int side = 0; side < 4 && seen(face); ++side) {   // t = 0, t = 1, s = 0, s = 1
            const double in = side % 2 ? 1 - 0.5 / n : 0.5 / n, out = in + (side % 2 ? 1.0 : -1.0) / n;
            long sum = 0;
            std::pair<int, int> there;
            for (int i = 0; i < n; ++i) {
                const double along = (i + 0.5) / n;
                there = side < 2 ? c.sampled(face, along, out, style) : c.sampled(face, out, along, style);
                const PIXEL &p = c.at(side < 2 ? c.sampled(face, along, in, style) : c.sampled(face, in, along, style));
                const PIXEL &q = c.at(there);
                sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
            }
            if (seen(there.first)) {
                EXPECT_LT(sum / n, 40) << kSetFiles[1 + face] << " towards " << kSetFiles[1 + there.first] << ", style " << style;
            }
        }
    }
}

// Alpha is the share of a texel's light that is not the lamp's, and the
// lamp hangs on the ceiling: the lowest alpha is there (about 0, on the lamp
// itself), and in each room style each wall's half next to the ceiling
// (rows t < 0.5 of the style's view) has less than its half next to the
// floor. The face towards the facade is left out; under the roof that is
// the ceiling.
void expectLampOnTheCeiling(const CubeMap &c, int set) {
    const auto lowest = [&](int k) { int a = 255; for (PIXEL p : c.faces[k]) a = std::min<int>(a, p.a); return a; };
    const int n = c.viewTexels();
    for (int k = 0; k < 6; ++k) {
        if (k != set && set != kCeiling) {
            EXPECT_LE(lowest(kCeiling), std::min(lowest(k), 8)) << kSetFiles[1 + k];
        }
        for (int style = 0; style < texlayout::kRoomStyles && k != set && k / 2 != 1; ++style) {
            long upper = 0, lower = 0;
            for (int texel = 0; texel < n * n; ++texel)
                (texel < n * n / 2 ? upper : lower) += c.at(c.sampled(k, (texel % n + 0.5) / n, (texel / n + 0.5) / n, style)).a;
            EXPECT_LT(upper, lower) << kSetFiles[1 + k] << ", style " << style;
        }
    }
}

// The sheet on the face towards the facade, read where the shader reads it:
// point (x, y), each -1..1, of cell (i, j)'s read square.
const PIXEL &sheetAt(const CubeMap &c, int set, int i, int j, double x, double y) {
    const double a = i * texlayout::kCellPitch + x * texlayout::kCellHalf;
    const double b = j * texlayout::kCellPitch + y * texlayout::kCellHalf;
    const texlayout::CubeTexel t = texlayout::cubeTexelAt(texlayout::inFacadeFrame(set, {a, b, 1.0}));
    return c.faces[t.slot][std::min(c.n - 1, int(t.t * c.n)) * c.n + std::min(c.n - 1, int(t.s * c.n))];
}

// Blinds and curtains are drawn closed, opaque out to their read square's
// edges; the second blind is the first, the second curtains are not the
// first; a piece stands on the bottom edge of its square.
void expectSheetAsTheShaderReadsIt(const CubeMap &c, int set) {
    for (const auto &[i, j] : {std::pair{0, 1}, {1, 0}, {0, -1}, {-1, 0}})
        for (const auto &[x, y] : {std::pair{-0.95, 0.0}, {0.95, 0.0}, {0.0, -0.95}, {0.0, 0.95}})
            EXPECT_LE(sheetAt(c, set, i, j, x, y).a, 8) << "dressing cell " << i << ", " << j;
    const auto unlike = [&](int i0, int j0, int i1, int j1) {
        long sum = 0;
        for (int k = 0; k < 64; ++k) {
            const double x = (k % 8 + 0.5) / 4 - 1, y = (k / 8 + 0.5) / 4 - 1;
            const PIXEL &p = sheetAt(c, set, i0, j0, x, y), &q = sheetAt(c, set, i1, j1, x, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
        return sum / 64;
    };
    EXPECT_LT(unlike(1, 0, 0, 1), 60) << "the second blind";
    EXPECT_GT(unlike(-1, 0, 0, -1), 60) << "the second curtains";
    for (const auto &[i, j] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) {
        int opaque = 0;
        for (int k = 0; k < 32; ++k)
            opaque += sheetAt(c, set, i, j, (k + 0.5) / 16 - 1, -0.97).a < 128;
        EXPECT_GT(opaque, 0) << "piece " << i << ", " << j << " off the floor";
    }
}

// Sky is bluest, ground is not.
bool bluest(const std::vector<PIXEL> &face) {
    long r = 0, g = 0, b = 0;
    for (const PIXEL &p : face) r += p.r, g += p.g, b += p.b;
    return b > r && b > g;
}

TEST(GeneratedTextures, CubeMapsAsTheViewerUploadsThem) {
    for (int set = 0; set < 7; ++set) {
        SCOPED_TRACE(kSetNames[set]);
        CubeMap cube;
        ASSERT_NO_FATAL_FAILURE(load(&cube, set));
        expectEdgesAgree(cube, set);
        if (set == kWorld) {
            EXPECT_TRUE(bluest(cube.faces[kCeiling]));
            EXPECT_FALSE(bluest(cube.faces[kFloor]));
        } else {
            expectLampOnTheCeiling(cube, set);
            expectSheetAsTheShaderReadsIt(cube, set);
        }
    }
}

}  // namespace
