// The textures the generator writes, read back file by file as the viewer
// uploads them: each cube map's faces meet along their edges as OpenGL
// samples them, each room's lamp hangs on the face loaded as the ceiling and
// lights the tops of the walls more than their feet, and the world has sky
// overhead and ground below. Only what any look must keep is checked.
#include "tex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

const char *const kSets[] = {"right", "left", "top", "bottom", "front", "back", "world"};
// The files the viewer uploads to GL_TEXTURE_CUBE_MAP_POSITIVE_X + k.
const char *const kFaceFiles[] = {"posx", "negx", "negy", "posy", "posz", "negz"};
const int kCeiling = 2, kFloor = 3, kWorld = 6;   // GL's +Y and -Y faces; the world's set

// OpenGL's cube-map addressing: face k has its major axis k / 2, negative
// for odd k, and s and t run along these axes with these signs.
struct FaceAxes {
    int sAxis, sSign, tAxis, tSign;
};
const FaceAxes kAxes[6] = {{2, -1, 1, -1}, {2, 1, 1, -1}, {0, 1, 2, 1},
                           {0, 1, 2, -1},  {0, 1, 1, -1}, {0, -1, 1, -1}};

struct CubeMap {
    int size = 0;
    TgaImage faces[6] = {};
    ~CubeMap() { for (TgaImage &f : faces) free(f.pixels); }
    const PIXEL &at(int k, double s, double t) const {
        auto index = [&](double c) { return std::min(size - 1, std::max(0, int(c * size))); };
        return faces[k].pixels[index(t) * size + index(s)];
    }
};

void load(CubeMap *cube, int set) {
    for (int k = 0; k < 6; ++k) {
        const std::string path = std::string(TEXTURE_DIR) + "/" + kSets[set] + "/" + kFaceFiles[k] + ".tga";
        FILE *file = fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr) << path;
        const TgaStatus status = decodeTga(file, &cube->faces[k]);
        fclose(file);
        ASSERT_EQ(status.error, TGA_OK) << path;
        cube->size = cube->faces[k].width;
        ASSERT_EQ(cube->faces[k].height, cube->size) << path;
    }
}

// The texel GL samples along the direction through (s, t) of face k, which
// lies on a neighbouring face when (s, t) is outside [0, 1].
void sampledTexel(int k, double s, double t, int *face, double *s2, double *t2) {
    double d[3];
    d[k / 2] = k % 2 ? -1 : 1;
    d[kAxes[k].sAxis] = kAxes[k].sSign * (2 * s - 1);
    d[kAxes[k].tAxis] = kAxes[k].tSign * (2 * t - 1);
    int major = 0;
    for (int a = 1; a < 3; ++a) major = std::fabs(d[a]) > std::fabs(d[major]) ? a : major;
    *face = 2 * major + (d[major] < 0);
    const FaceAxes &f = kAxes[*face];
    *s2 = (f.sSign * d[f.sAxis] / std::fabs(d[major]) + 1) / 2;
    *t2 = (f.tSign * d[f.tAxis] / std::fabs(d[major]) + 1) / 2;
}

int difference(const PIXEL &p, const PIXEL &q) {
    return std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
}

// The centre of texel i along side `side` (t = 0, t = 1, s = 0, s = 1) of a
// face, `depth` texels in from that side (negative: beyond it).
void onSide(int side, int i, int n, double depth, double *s, double *t) {
    const double along = (i + 0.5) / n, edge = side % 2 ? 1 - depth / n : depth / n;
    *s = side < 2 ? along : edge;
    *t = side < 2 ? edge : along;
}

// Along every edge where two faces show one surface, the texels on one side
// and those GL samples just beyond it differ little on average (R + G + B,
// 0..765). In the world that is all round the sky and the horizon, the
// ground tile left out; in a room, where two walls meet (the ceiling and
// floor meet them at a corner, and the face towards the facade is never
// seen as a wall).
void expectEdgesAgree(const CubeMap &cube, int set) {
    const auto seen = [set](int k) { return set == kWorld ? k != kFloor : k != set && k / 2 != 1; };
    const int n = cube.size;
    for (int k = 0; k < 6; ++k) {
        for (int side = 0; side < 4 && seen(k); ++side) {
            long sum = 0;
            int beyond = -1;
            for (int i = 0; i < n; ++i) {
                double s, t, s2, t2;
                onSide(side, i, n, -0.5, &s, &t);
                sampledTexel(k, s, t, &beyond, &s2, &t2);
                const PIXEL &there = cube.at(beyond, s2, t2);
                onSide(side, i, n, 0.5, &s, &t);
                sum += difference(cube.at(k, s, t), there);
            }
            if (seen(beyond)) {
                EXPECT_LT(sum / n, 40) << "face " << kFaceFiles[k] << ", side " << side << ", towards "
                                       << kFaceFiles[beyond];
            }
        }
    }
}

TEST(GeneratedTextures, CubeMapFacesMeetAlongTheirEdges) {
    for (int set = 0; set < 7; ++set) {
        SCOPED_TRACE(kSets[set]);
        CubeMap cube;
        load(&cube, set);
        expectEdgesAgree(cube, set);
    }
}

// Alpha is the share of a texel's light that is not the lamp's: lowest on
// the lamp, on the ceiling (unless that is the face towards the facade),
// and lower at the top of every wall than at its foot.
TEST(GeneratedTextures, RoomLampsLightFromTheCeiling) {
    for (int set = 0; set < kWorld; ++set) {
        SCOPED_TRACE(kSets[set]);
        CubeMap cube;
        load(&cube, set);
        const int n = cube.size;
        int lowest[6], upper[6] = {}, lower[6] = {};
        for (int k = 0; k < 6; ++k) {
            lowest[k] = 255;
            for (int texel = 0; texel < n * n; ++texel) {
                const int a = cube.faces[k].pixels[texel].a;
                lowest[k] = std::min(lowest[k], a);
                (texel / n < n / 2 ? upper : lower)[k] += a;   // walls' row t = 0 is at the ceiling
            }
        }
        for (int k = 0; k < 6; ++k) {
            if (k == set) continue;
            if (set != kCeiling) {   // room set s looks out through face s
                EXPECT_LE(lowest[kCeiling], lowest[k]) << kFaceFiles[k];
            }
            if (k / 2 != 1) {
                EXPECT_LT(upper[k], lower[k]) << kFaceFiles[k];
            }
        }
        if (set != kCeiling) {
            EXPECT_LE(lowest[kCeiling], 8);
        }
    }
}

TEST(GeneratedTextures, WorldHasSkyOverheadAndGroundBelow) {
    CubeMap world;
    load(&world, kWorld);
    const int n = world.size;
    auto bluest = [&](int k) {
        long r = 0, g = 0, b = 0;
        for (int texel = 0; texel < n * n; ++texel) {
            r += world.faces[k].pixels[texel].r;
            g += world.faces[k].pixels[texel].g;
            b += world.faces[k].pixels[texel].b;
        }
        return b > r && b > g;
    };
    EXPECT_TRUE(bluest(kCeiling));
    EXPECT_FALSE(bluest(kFloor));
}

}  // namespace
