// The TGA 2.0 conformance samples, files nobody here made: the true-colour
// ones must decode to the picture color.png shows (rows in stored order,
// so bottom row first), the colour-mapped and grey ones are refused.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdlib>
#include <filesystem>

#include "tex.h"

namespace {

TEST(ConformanceFiles, DecodeOrAreRefusedAsTheirReadmeSays) {
    const std::string dir = TGA_TESTDATA_DIR;
    if (!std::filesystem::exists(dir + "/color.png")) {
        const char *ci = getenv("CI");
        if (ci && std::string(ci) == "true") FAIL() << "the samples are missing: " << dir;
        GTEST_SKIP() << "the samples are missing (" << dir << "); CI=true makes this a failure";
    }
    int width = 0, height = 0, channels = 0;
    unsigned char *picture = stbi_load((dir + "/color.png").c_str(), &width, &height, &channels, 4);
    ASSERT_NE(picture, nullptr);
    for (const char *name : {"utc16", "utc24", "utc32", "ctc16", "ctc24", "ctc32", "ucm8", "ccm8",
                             "ubw8", "cbw8"}) {
        SCOPED_TRACE(name);
        FILE *file = fopen((dir + "/" + name + ".tga").c_str(), "rb");
        ASSERT_NE(file, nullptr);
        TgaImage image{};
        TgaStatus status = decodeTga(file, &image);
        fclose(file);
        if (name[1] != 't') {  // colour-mapped or grey
            EXPECT_EQ(status.error, TGA_BAD_IMAGE_TYPE);
            continue;
        }
        ASSERT_EQ(status.error, TGA_OK);
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        int bits = image.bitsperpixel, bad = 0;
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                const unsigned char *p = &image.pixels[row * width + x].r;
                const unsigned char *q = picture + 4 * ((height - 1 - row) * width + x);
                for (int c = 0; c < 3; ++c)
                    bad += bits == 16 ? (p[c] >> 3) * 255 / 31 != q[c] : p[c] != q[c];
                // The samples carry alpha 0 in 32 bits; 16-bit alpha is 0 or 128.
                bad += bits == 32 ? p[3] != 0 : bits == 24 ? p[3] != 255 : p[3] % 128 != 0;
            }
        }
        EXPECT_EQ(bad, 0);
        free(image.pixels);
    }
    stbi_image_free(picture);
}

}  // namespace
