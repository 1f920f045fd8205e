// In-process tests of decodeTga (the decoding path of readTga) and of the
// checkerboard texture.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

namespace {

struct Decoded {
    TgaImage image{};
    TgaStatus status{};
    explicit Decoded(const Bytes &bytes) {
        static unsigned char empty[1];
        void *data = bytes.empty() ? empty : const_cast<unsigned char *>(bytes.data());
        FILE *file = fmemopen(data, bytes.size(), "rb");
        status = decodeTga(file, &image);
        fclose(file);
    }
    ~Decoded() { free(image.pixels); }
    size_t count() const { return size_t(image.width) * size_t(image.height); }
    // Every pixel as 0xRRGGBBAA.
    std::vector<uint32_t> words() const {
        std::vector<uint32_t> w;
        for (size_t i = 0; i < count(); ++i) {
            const PIXEL &p = image.pixels[i];
            w.push_back(uint32_t(p.r) << 24 | p.g << 16 | p.b << 8 | p.a);
        }
        return w;
    }
};

TgaHeader header(int type, int bits, int width, int height, int descriptor = 0) {
    TgaHeader h{type, bits, width, height};
    h.descriptor = descriptor;
    return h;
}

TgaHeader colourMapped(int mapType, int length, int depth) {
    TgaHeader h{2, 24, 1, 1, 5, mapType, length, depth};
    return h;
}

TEST(TgaDecode, StoredFormsPacketsAndSkippedFields) {
    struct Case {
        const char *what;
        TgaHeader header;
        Bytes data;
        std::vector<uint32_t> pixels;
    } cases[] = {
        {"32 bits: B,G,R,A", header(2, 32, 2, 1), {1, 2, 3, 4, 5, 6, 7, 8}, {0x03020104, 0x07060508}},
        {"24 bits get alpha 255", header(2, 24, 1, 1), {10, 20, 30}, {0x1E140AFF}},
        {"16 bits widen by a shift; the attribute bit is alpha 128", header(2, 16, 5, 1),
         {0xFF, 0xFF, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x21, 0x04},
         {0xF8F8F880, 0xF8000000, 0x00F80000, 0x0000F800, 0x08080800}},
        {"run, raw", header(10, 32, 4, 1), {0x81, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12},
         {0x03020104, 0x03020104, 0x07060508, 0x0B0A090C}},
        {"raw, run, raw", header(10, 24, 6, 1), {0x00, 1, 1, 1, 0x82, 2, 2, 2, 0x01, 3, 3, 3, 4, 4, 4},
         {0x010101FF, 0x020202FF, 0x020202FF, 0x020202FF, 0x030303FF, 0x040404FF}},
        {"16-bit packets", header(10, 16, 3, 1), {0x81, 0x1F, 0x00, 0x00, 0x00, 0x7C},
         {0x0000F800, 0x0000F800, 0xF8000000}},
        {"a run past the end is clipped", header(10, 32, 2, 1), {0x85, 1, 2, 3, 4},
         {0x03020104, 0x03020104}},
        {"a raw packet past the end is clipped, not read", header(10, 24, 2, 1),
         {0x05, 1, 1, 1, 2, 2, 2}, {0x010101FF, 0x020202FF}},
        {"zero size", header(10, 24, 0, 7), {}, {}},
        {"origin bits ignored", header(2, 24, 2, 1, 0x10), {1, 1, 1, 2, 2, 2}, {0x010101FF, 0x020202FF}},
        {"origin bits ignored", header(2, 24, 2, 1, 0x20), {1, 1, 1, 2, 2, 2}, {0x010101FF, 0x020202FF}},
        {"origin bits ignored", header(2, 24, 2, 1, 0x30), {1, 1, 1, 2, 2, 2}, {0x010101FF, 0x020202FF}},
        {"image ID skipped", TgaHeader{2, 24, 1, 1, 200}, {1, 2, 3}, {0x030201FF}},
        {"24-bit map entries", colourMapped(1, 256, 24), {4, 5, 6}, {0x060504FF}},
        {"15-bit map entries take 2 bytes", colourMapped(1, 256, 15), {4, 5, 6}, {0x060504FF}},
        {"1-bit map entries take a byte", colourMapped(1, 256, 1), {4, 5, 6}, {0x060504FF}},
        {"32-bit map entries", colourMapped(1, 256, 32), {4, 5, 6}, {0x060504FF}},
        {"map fields without a map", colourMapped(0, 256, 24), {4, 5, 6}, {0x060504FF}},
    };
    for (const Case &c : cases) {
        Decoded d(tgaFile(c.header) + c.data);
        ASSERT_EQ(d.status.error, TGA_OK) << c.what;
        EXPECT_EQ(d.words(), c.pixels) << c.what;
        EXPECT_NE(d.image.pixels, nullptr) << c.what;
    }
}

// A file of several times the reader's 64 KiB buffer, so that pixels and
// packets straddle its refills: pixel i stores the low bytes of i, i / 256
// and 200 - i; a run repeats its first pixel.
TEST(TgaDecode, LargeFilesAcrossBufferRefills) {
    for (int type : {2, 10}) {
        Bytes file = tgaFile(header(type, 24, 300, 300));
        std::vector<uint32_t> expected;
        uint32_t value = 0;
        for (int i = 0; i < 300 * 300; ++i) {
            bool run = type == 10 && (i / 128) % 2 == 1, first = i % 128 == 0;
            if (type == 10 && first) file.push_back((run ? 0x80 : 0) | 127);
            if (!run || first) {
                file.insert(file.end(), {uint8_t(i), uint8_t(i >> 8), uint8_t(200 - i)});
                value = uint32_t(uint8_t(200 - i)) << 24 | uint8_t(i >> 8) << 16 | uint8_t(i) << 8 | 0xFF;
            }
            expected.push_back(value);
        }
        Decoded d(file);
        ASSERT_EQ(d.status.error, TGA_OK) << "type " << type;
        EXPECT_EQ(d.words(), expected) << "type " << type;
    }
}

TEST(Checkerboard, EightPixelSquaresBlackAtTheOrigin) {
    for (int cols : {64, 20}) {
        makeCheckerBoard(64, cols);
        ASSERT_NE(pixel, nullptr);
        for (int i = 0; i < 64; ++i) {
            for (int j = 0; j < cols; ++j) {
                RGB p = pixel[i * cols + j];
                ASSERT_TRUE(p.r == p.g && p.g == p.b);
                ASSERT_EQ(p.r, ((i / 8 + j / 8) % 2) * 255) << i << "," << j << " of " << cols;
            }
        }
    }
}

}  // namespace
