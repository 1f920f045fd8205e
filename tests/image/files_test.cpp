// Real files against an independent decoder (stb_image): the TGA 2.0
// conformance samples, and files written at test time by Pillow and
// ImageMagick. Allowed differences: our reader keeps the stored row order
// (stb turns bottom-left-origin files top row first), widens 16-bit channels
// by a shift alone with alpha 0 or 128, and gives 24-bit pixels alpha 255.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/stat.h>

#include <cstdlib>

#include "test_support.h"

namespace {

const unsigned char kTopLeftOrigin = 0x20;

// An RGBA picture decoded by stb_image, top row first.
struct Reference {
    unsigned char *rgba = nullptr;
    int width = 0, height = 0;
    explicit Reference(const std::string &path) {
        int channels = 0;
        rgba = stbi_load(path.c_str(), &width, &height, &channels, 4);
    }
    ~Reference() { stbi_image_free(rgba); }
};

struct OurDecode {
    TgaImage image{};
    TgaStatus status{TGA_OK, 0};
    explicit OurDecode(const std::string &path) {
        FILE *file = fopen(path.c_str(), "rb");
        if (file) {
            status = decodeTga(file, &image);
            fclose(file);
        } else {
            status = {TGA_END_OF_FILE, -1};
        }
    }
    ~OurDecode() { free(image.pixels); }
};

bool channelMatches(int ours, int ref, int bits) {
    // stb widens 5 bits as v * 255 / 31; we shift, leaving the low bits 0.
    return bits == 16 ? (ours & 7) == 0 && (ours >> 3) * 255 / 31 == ref : ours == ref;
}

bool alphaMatches(int ours, int ref, int bits) {
    if (bits == 16) return ours == 0 || ours == 128;
    if (bits == 24) return ours == 255;
    return ours == ref;
}

// Compares pixel by pixel; `ignoreAlpha` for references that carry none.
::testing::AssertionResult matchesReference(const TgaImage &image, const Reference &ref,
                                            bool ignoreAlpha = false) {
    if (!ref.rgba) return ::testing::AssertionFailure() << "reference did not decode";
    if (image.width != ref.width || image.height != ref.height)
        return ::testing::AssertionFailure() << "size " << image.width << "x" << image.height
                                             << " vs " << ref.width << "x" << ref.height;
    int bits = image.bitsperpixel;
    bool bottomUp = !(image.imagedescriptor & kTopLeftOrigin);
    for (int row = 0; row < image.height; ++row) {
        int refRow = bottomUp ? image.height - 1 - row : row;
        for (int x = 0; x < image.width; ++x) {
            const PIXEL &p = image.pixels[row * image.width + x];
            const unsigned char *q = ref.rgba + 4 * (size_t(refRow) * ref.width + x);
            bool same = channelMatches(p.r, q[0], bits) && channelMatches(p.g, q[1], bits) &&
                        channelMatches(p.b, q[2], bits) &&
                        (ignoreAlpha || alphaMatches(p.a, q[3], bits));
            if (!same)
                return ::testing::AssertionFailure()
                       << "stored row " << row << " x " << x << ": ours " << int(p.r) << ","
                       << int(p.g) << "," << int(p.b) << "," << int(p.a) << " reference "
                       << int(q[0]) << "," << int(q[1]) << "," << int(q[2]) << "," << int(q[3]);
        }
    }
    return ::testing::AssertionSuccess();
}

std::string conformanceDir() { return TGA_TESTDATA_DIR; }

bool exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

TEST(ConformanceFiles, TrueColourFilesMatchThePicture) {
    if (!exists(conformanceDir() + "/color.png")) GTEST_SKIP() << "no " << conformanceDir();
    Reference picture(conformanceDir() + "/color.png");
    for (const char *name : {"utc16", "utc24", "utc32", "ctc16", "ctc24", "ctc32"}) {
        std::string path = conformanceDir() + "/" + name + ".tga";
        OurDecode ours(path);
        ASSERT_EQ(ours.status.error, TGA_OK) << name;
        EXPECT_EQ(ours.image.width, 128) << name;
        EXPECT_EQ(ours.image.idlength, 26) << name;
        // The samples carry alpha 0; the picture is opaque.
        EXPECT_TRUE(matchesReference(ours.image, picture, true)) << name;
        EXPECT_TRUE(matchesReference(ours.image, Reference(path))) << name;
        if (ours.image.bitsperpixel == 32) {
            EXPECT_EQ(ours.image.pixels[0].a, 0) << name;
        }
    }
}

TEST(ConformanceFiles, ColourMappedAndGreyFilesAreRefused) {
    if (!exists(conformanceDir() + "/ucm8.tga")) GTEST_SKIP() << "no " << conformanceDir();
    for (const char *name : {"ucm8", "ccm8", "ubw8", "cbw8"}) {
        OurDecode ours(conformanceDir() + "/" + name + ".tga");
        EXPECT_EQ(ours.status.error, TGA_BAD_IMAGE_TYPE) << name;
    }
    std::string path = conformanceDir() + "/cbw8.tga";
    ProcessResult r = runProcess({TGA_PROBE_PATH, "tga", path});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, path + "\nCan only handle image type 2 and 10\n");
}

// Writes the Pillow and ImageMagick files once for all oracle tests.
const std::string &oracleDir() {
    static std::string dir;
    if (dir.empty()) {
        std::string target = tempDir() + "/oracle";
        ProcessResult r = runProcess({"/bin/sh", ORACLE_SCRIPT, target});
        if (r.status != 0) {
            ADD_FAILURE() << "oracle files not written (status " << r.status << "): " << r.err;
            return dir;
        }
        dir = target;
    }
    return dir;
}

class OracleFiles : public ::testing::TestWithParam<const char *> {};

TEST_P(OracleFiles, MatchStbImage) {
    const std::string &dir = oracleDir();
    ASSERT_FALSE(dir.empty());
    std::string name = GetParam();
    std::string path = dir + "/" + name + ".tga";
    OurDecode ours(path);
    ASSERT_EQ(ours.status.error, TGA_OK) << tgaErrorMessage(ours.status);
    // The file really is the variant its name promises.
    bool rle = name.find("_rle_") != std::string::npos;
    bool topLeft = name.find("_tl") != std::string::npos;
    EXPECT_EQ(ours.image.datatypecode, rle ? 10 : 2);
    EXPECT_EQ(ours.image.bitsperpixel, name.find("_32_") != std::string::npos ? 32 : 24);
    EXPECT_EQ((ours.image.imagedescriptor & kTopLeftOrigin) != 0, topLeft);
    EXPECT_TRUE(matchesReference(ours.image, Reference(path)));
    // ImageMagick 6 stores the top row first even in files it marks
    // bottom-left, so only its top-left files show the source picture.
    if (name.rfind("pil_", 0) == 0 || topLeft) {
        EXPECT_TRUE(matchesReference(ours.image, Reference(dir + "/picture.png")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Writers, OracleFiles,
    ::testing::Values("pil_raw_24_tl", "pil_raw_24_bl", "pil_raw_32_tl", "pil_raw_32_bl",
                      "pil_rle_24_tl", "pil_rle_24_bl", "pil_rle_32_tl", "pil_rle_32_bl",
                      "im_raw_24_tl", "im_raw_24_bl", "im_raw_32_tl", "im_raw_32_bl",
                      "im_rle_24_tl", "im_rle_24_bl", "im_rle_32_tl", "im_rle_32_bl"));

}  // namespace
