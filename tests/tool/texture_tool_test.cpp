// The texture tool without a display: the generated textures exported as
// pictures and imported again come back; and the import as a user meets it,
// run as a real process: odd and bad pictures, sizes, and a run killed
// before its swap.
#include "example_pictures.h"
#include "import.h"
#include "process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

// A temporary folder that goes with the test.
struct TempDir {
    fs::path path;
    explicit TempDir(const char *base = "/tmp") {
        std::string pattern = std::string(base) + "/im-tool-XXXXXX";
        path = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// The largest difference of any channel between two images of one size,
// over the texels for which `counted` holds.
int compare(const RgbaImage &a, const RgbaImage &b, const std::function<bool(double s, double t)> &counted) {
    int largest = 0;
    for (int j = 0; j < a.height; ++j)
        for (int i = 0; i < a.width; ++i) {
            if (!counted((i + 0.5) / a.width, (j + 0.5) / a.height))
                continue;
            const size_t k = (static_cast<size_t>(j) * a.width + i) * 4;
            for (size_t c = 0; c < 4; ++c)
                largest = std::max(largest, std::abs(a.rgba[k + c] - b.rgba[k + c]));
        }
    return largest;
}

// Whether (s, t) of the sheet face of `set` lies inside a cell's read
// square, a texel of `side` away from its border, where the shader reads.
bool readBySheet(int set, int side, double s, double t) {
    const texlayout::Dir3 c = texlayout::toFacadeFrame(set, texlayout::cubeFaceDirection(set, s, t));
    const texlayout::SheetPoint p = texlayout::sheetPointAt(c.x / c.z, c.y / c.z);
    const double margin = 1.0 - 2.0 / (side * texlayout::kCellHalf);
    return std::fabs(p.x) < margin && std::fabs(p.y) < margin;
}

TEST(TextureTool, PicturesOfTheGeneratedTexturesImportBackToThem) {
    TempDir tmp;
    RgbaImage facades[texlayout::kSetCount];
    Cube cubes[texlayout::kSetCount];
    for (int set = 0; set < texlayout::kSetCount; ++set)
        ASSERT_TRUE(readTexture(texturePath(TEXTURE_DIR, set, -1), &facades[set]) &&
                    readCube(TEXTURE_DIR, set, &cubes[set]));
    const fs::path pictures = tmp.path / "pictures", textures = tmp.path / "textures";
    ASSERT_TRUE(writePicturesOf(pictures, facades, cubes));
    fs::copy(TEXTURE_DIR, textures, fs::copy_options::recursive);
    ASSERT_EQ(importPictures(pictures.string(), textures.string()), 0);
    for (int set = 0; set < texlayout::kSetCount; ++set) {
        for (int file = -1; file < texlayout::kSlotCount; ++file) {
            RgbaImage imported;
            ASSERT_TRUE(readTexture(texturePath(textures, set, file), &imported));
            const RgbaImage &generated = file < 0 ? facades[set] : cubes[set].faces[file];
            ASSERT_EQ(imported.width, generated.width);
            ASSERT_EQ(imported.height, generated.height);
            // The room surfaces, sky and facades come back texel for texel.
            // The sheet's pictures are resampled into its cells, which moves
            // the edges of the furniture by a fraction of a texel.
            const bool sheet = file == set;
            const int largest = compare(imported, generated, [&](double s, double t) {
                return !sheet || readBySheet(set, generated.width, s, t);
            });
            SCOPED_TRACE(texturePath(textures, set, file));
            EXPECT_LE(largest, sheet ? 40 : 1);
        }
    }
}

}  // namespace
