// In-process tests of the TGA decoding path that readTga runs.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

namespace {

// Decodes and owns the result for the length of a test.
struct Decoded {
    TgaImage image{};
    TgaStatus status{};
    explicit Decoded(const Bytes &bytes, size_t chunk = kTgaReadChunk, size_t maxPixels = kTgaNoPixelLimit) {
        status = decodeBytes(bytes, &image, maxPixels, chunk);
    }
    ~Decoded() { free(image.pixels); }
    const PIXEL &at(size_t i) const { return image.pixels[i]; }
};

void expectPixel(const PIXEL &p, int r, int g, int b, int a) {
    EXPECT_EQ(p.r, r);
    EXPECT_EQ(p.g, g);
    EXPECT_EQ(p.b, b);
    EXPECT_EQ(p.a, a);
}

Bytes with(Bytes head, const Bytes &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(MergeBytes, ConvertsEachStoredForm) {
    const unsigned char bgra[] = {10, 20, 30, 40};
    PIXEL p{};
    MergeBytes(&p, bgra, 4);
    expectPixel(p, 30, 20, 10, 40);
    MergeBytes(&p, bgra, 3);
    expectPixel(p, 30, 20, 10, 255);

    // 16 bits: shift-only widening, attribute bit as alpha 128.
    const unsigned char white[] = {0xFF, 0xFF}, black[] = {0, 0};
    MergeBytes(&p, white, 2);
    expectPixel(p, 248, 248, 248, 128);
    MergeBytes(&p, black, 2);
    expectPixel(p, 0, 0, 0, 0);
    const unsigned char red[] = {0x00, 0x7C}, green[] = {0xE0, 0x03}, blue[] = {0x1F, 0x00};
    MergeBytes(&p, red, 2);
    expectPixel(p, 248, 0, 0, 0);
    MergeBytes(&p, green, 2);
    expectPixel(p, 0, 248, 0, 0);
    MergeBytes(&p, blue, 2);
    expectPixel(p, 0, 0, 248, 0);
    const unsigned char lowBits[] = {0x21, 0x04};  // r=1, g=1, b=1
    MergeBytes(&p, lowBits, 2);
    expectPixel(p, 8, 8, 8, 0);
}

TEST(MergeBytes, OtherCountsLeaveThePixelAlone) {
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    for (int count : {0, 1, 5, -2}) {
        PIXEL p{9, 8, 7, 6};
        MergeBytes(&p, bytes, count);
        expectPixel(p, 9, 8, 7, 6);
    }
}

TEST(TgaDecode, UncompressedPixelsInStoredOrder) {
    Decoded d24(with(tgaFile({2, 24, 2, 2}), {10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30}));
    ASSERT_EQ(d24.status.error, TGA_OK);
    for (int i = 0; i < 4; ++i) expectPixel(d24.at(i), 30, 20, 10, 255);

    Decoded d32(with(tgaFile({2, 32, 2, 1}), {1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_EQ(d32.status.error, TGA_OK);
    expectPixel(d32.at(0), 3, 2, 1, 4);
    expectPixel(d32.at(1), 7, 6, 5, 8);

    Decoded d16(with(tgaFile({2, 16, 1, 2}), {0xFF, 0xFF, 0x1F, 0x00}));
    ASSERT_EQ(d16.status.error, TGA_OK);
    expectPixel(d16.at(0), 248, 248, 248, 128);
    expectPixel(d16.at(1), 0, 0, 248, 0);
}

TEST(TgaDecode, OriginBitsChangeNothing) {
    const Bytes pixels = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};
    for (int descriptor : {0x00, 0x10, 0x20, 0x30}) {
        TgaHeader h{2, 24, 2, 2};
        h.descriptor = descriptor;
        Decoded d(with(tgaFile(h), pixels));
        ASSERT_EQ(d.status.error, TGA_OK);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(d.at(i).r, i + 1) << "descriptor " << descriptor;
        EXPECT_EQ(d.image.imagedescriptor, descriptor);
    }
}

TEST(TgaDecode, RunAndRawPackets) {
    Decoded run(with(tgaFile({10, 32, 2, 2}), {0x83, 1, 2, 3, 4}));
    ASSERT_EQ(run.status.error, TGA_OK);
    for (int i = 0; i < 4; ++i) expectPixel(run.at(i), 3, 2, 1, 4);

    Decoded raw(with(tgaFile({10, 32, 4, 1}),
                     {0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    ASSERT_EQ(raw.status.error, TGA_OK);
    for (int i = 0; i < 4; ++i) expectPixel(raw.at(i), 4 * i + 3, 4 * i + 2, 4 * i + 1, 4 * i + 4);

    // Mixed packets of every depth: 1 raw, a run of 3, 2 raw.
    Decoded mixed24(with(tgaFile({10, 24, 6, 1}),
                         {0x00, 1, 1, 1, 0x82, 2, 2, 2, 0x01, 3, 3, 3, 4, 4, 4}));
    ASSERT_EQ(mixed24.status.error, TGA_OK);
    const int reds24[] = {1, 2, 2, 2, 3, 4};
    for (int i = 0; i < 6; ++i) expectPixel(mixed24.at(i), reds24[i], reds24[i], reds24[i], 255);

    Decoded mixed16(with(tgaFile({10, 16, 5, 1}), {0x81, 0x1F, 0x00, 0x02, 0, 0x7C, 0xFF, 0xFF, 0, 0}));
    ASSERT_EQ(mixed16.status.error, TGA_OK);
    expectPixel(mixed16.at(0), 0, 0, 248, 0);
    expectPixel(mixed16.at(1), 0, 0, 248, 0);
    expectPixel(mixed16.at(2), 248, 0, 0, 0);
    expectPixel(mixed16.at(3), 248, 248, 248, 128);
    expectPixel(mixed16.at(4), 0, 0, 0, 0);

    // A full 128-pixel run followed by a full 128-pixel raw packet.
    Bytes big = with(tgaFile({10, 24, 256, 1}), {0xFF, 7, 8, 9, 0x7F});
    for (int i = 0; i < 128; ++i) big.insert(big.end(), {0, 0, static_cast<unsigned char>(i)});
    Decoded full(big);
    ASSERT_EQ(full.status.error, TGA_OK);
    expectPixel(full.at(127), 9, 8, 7, 255);
    for (int i = 0; i < 128; ++i) ASSERT_EQ(full.at(128 + i).r, i);
}

TEST(TgaDecode, PacketsRunningPastTheImageAreClipped) {
    // A run of 6 into a 2-pixel image: the neighbours of the array stay
    // untouched (AddressSanitizer builds check this byte for byte).
    Decoded run(with(tgaFile({10, 32, 2, 1}), {0x85, 1, 2, 3, 4}));
    ASSERT_EQ(run.status.error, TGA_OK);
    expectPixel(run.at(1), 3, 2, 1, 4);

    // A raw packet of 6 whose surplus values are absent: clipped, not read.
    Decoded raw(with(tgaFile({10, 24, 2, 1}), {0x05, 1, 1, 1, 2, 2, 2}));
    ASSERT_EQ(raw.status.error, TGA_OK);
    expectPixel(raw.at(1), 2, 2, 2, 255);
}

TEST(TgaDecode, SkipsImageIdAndColourMap) {
    TgaHeader id{2, 24, 1, 1};
    id.idLength = 200;
    Bytes file = with(tgaFile(id), {1, 2, 3});
    ASSERT_EQ(file.size(), 218u + 3u);
    Decoded withId(file);
    ASSERT_EQ(withId.status.error, TGA_OK);
    expectPixel(withId.at(0), 3, 2, 1, 255);

    // Entry sizes rounded up to whole bytes: 24 bits -> 3, 15 -> 2, 1 -> 1.
    const int depths[] = {24, 15, 1, 32};
    const size_t mapBytes[] = {768, 512, 256, 1024};
    for (int i = 0; i < 4; ++i) {
        TgaHeader h{2, 24, 1, 1};
        h.idLength = 5;
        h.colourMapType = 1;
        h.colourMapLength = 256;
        h.colourMapDepth = depths[i];
        Bytes mapped = with(tgaFile(h), {4, 5, 6});
        ASSERT_EQ(mapped.size(), 18 + 5 + mapBytes[i] + 3);
        Decoded d(mapped);
        ASSERT_EQ(d.status.error, TGA_OK) << depths[i];
        expectPixel(d.at(0), 6, 5, 4, 255);
    }

    // Colour-map fields of a file without a colour map are not skipped.
    Bytes noMap = with(tgaFile({2, 24, 1, 1}), {7, 8, 9});
    noMap[5] = 0;
    noMap[6] = 1;  // colourmaplength 256
    noMap[7] = 24;
    Decoded d(noMap);
    ASSERT_EQ(d.status.error, TGA_OK);
    expectPixel(d.at(0), 9, 8, 7, 255);
}

TEST(TgaDecode, RefusalsComeInCheckOrder) {
    struct Case {
        TgaHeader header;
        TgaError expected;
    } cases[] = {
        {{1, 24, 2, 2}, TGA_BAD_IMAGE_TYPE},
        {{3, 8, 2, 2}, TGA_BAD_IMAGE_TYPE},
        {{9, 8, 2, 2}, TGA_BAD_IMAGE_TYPE},
        {{2, 8, 2, 2}, TGA_BAD_PIXEL_DEPTH},
        {{10, 15, 2, 2}, TGA_BAD_PIXEL_DEPTH},
        {{2, 24, 2, 2, 0, 2}, TGA_BAD_COLOURMAP_TYPE},
        // Wrong in several ways: only the first check's failure counts.
        {{3, 8, 2, 2, 0, 2}, TGA_BAD_IMAGE_TYPE},
        {{2, 8, 2, 2, 0, 2}, TGA_BAD_PIXEL_DEPTH},
        // The pixel array is allocated before the format checks.
        {{3, 8, -1, 2, 0, 2}, TGA_NO_PIXEL_MEMORY},
    };
    for (const Case &c : cases) {
        Decoded d(with(tgaFile(c.header), Bytes(64, 0)));
        EXPECT_EQ(d.status.error, c.expected) << "type " << c.header.type << " bits " << c.header.bits;
        EXPECT_EQ(d.image.pixels, nullptr);
    }
}

TEST(TgaDecode, SizesOutsideTheSignedRangeAreRefused) {
    // Stored 0xFFFF is -1, 0x8000 is -32768; any negative side is refused,
    // even when the product would be positive.
    const int sizes[][2] = {{0xFFFF, 4}, {4, 0xFFFF}, {0xFFFF, 0xFFFF}, {0x8000, 0x8000}, {0, 0xFFFF}};
    for (const auto &s : sizes) {
        Decoded d(tgaFile({2, 24, s[0], s[1]}));
        EXPECT_EQ(d.status.error, TGA_NO_PIXEL_MEMORY) << s[0] << "x" << s[1];
        EXPECT_TRUE(d.image.width < 0 || d.image.height < 0);
    }
    // The widest image the format allows decodes (one run covers it all).
    Decoded wide(with(tgaFile({10, 24, 32767, 1}), Bytes(256 * 4, 0xFF)));
    EXPECT_EQ(wide.status.error, TGA_OK);
    EXPECT_EQ(wide.image.width, 32767);
}

TEST(TgaDecode, ZeroSizeImageDecodesNothing) {
    for (int type : {2, 10}) {
        Decoded d(tgaFile({type, 24, 0, 7}));
        ASSERT_EQ(d.status.error, TGA_OK);
        EXPECT_NE(d.image.pixels, nullptr);
        EXPECT_EQ(d.image.height, 7);
    }
}

TEST(TgaDecode, PixelCapActsAsAllocationFailure) {
    Bytes file = with(tgaFile({2, 24, 4, 4}), Bytes(48, 1));
    EXPECT_EQ(Decoded(file, kTgaReadChunk, 15).status.error, TGA_NO_PIXEL_MEMORY);
    EXPECT_EQ(Decoded(file, kTgaReadChunk, 16).status.error, TGA_OK);
}

TEST(TgaDecode, EndOfFileNamesThePixelBeingRead) {
    // Type 2 cut short after 5 full pixels (and part of the sixth).
    Decoded cut(with(tgaFile({2, 24, 4, 4}), Bytes(5 * 3 + 2, 1)));
    EXPECT_EQ(cut.status.error, TGA_END_OF_FILE);
    EXPECT_EQ(cut.status.pixel, 5);
    EXPECT_EQ(cut.image.pixels, nullptr);

    // Type 10: a run of 3 then no next packet header: pixel 3.
    Decoded noHeader(with(tgaFile({10, 24, 4, 4}), {0x82, 1, 2, 3}));
    EXPECT_EQ(noHeader.status.pixel, 3);
    // A header without its whole first pixel value: that packet's first pixel.
    Decoded halfValue(with(tgaFile({10, 24, 4, 4}), {0x82, 1, 2, 3, 0x85, 1, 2}));
    EXPECT_EQ(halfValue.status.pixel, 3);
    // A raw packet of 4 starting at pixel 2, cut inside its third value.
    Decoded rawShort(with(tgaFile({10, 16, 4, 4}), {0x81, 1, 2, 0x03, 1, 2, 3, 4, 5}));
    EXPECT_EQ(rawShort.status.error, TGA_END_OF_FILE);
    EXPECT_EQ(rawShort.status.pixel, 4);
    // No pixel data at all, and an image ID longer than the file.
    EXPECT_EQ(Decoded(tgaFile({2, 32, 3, 3})).status.pixel, 0);
    Bytes longId = tgaFile({2, 32, 3, 3});
    longId[0] = 100;
    Decoded d(longId);
    EXPECT_EQ(d.status.error, TGA_END_OF_FILE);
    EXPECT_EQ(d.status.pixel, 0);
}

TEST(TgaDecode, ShortHeaderIsAlwaysRefused) {
    // Every prefix of a header that would otherwise decode a 0x0 image.
    Bytes header = tgaFile({2, 24, 0, 0});
    for (size_t len = 0; len < header.size(); ++len) {
        Decoded d(Bytes(header.begin(), header.begin() + len));
        EXPECT_NE(d.status.error, TGA_OK) << len << " bytes";
        EXPECT_EQ(d.image.pixels, nullptr);
    }
    // Missing fields read as 0: three bytes naming type 2 leave depth 0.
    EXPECT_EQ(Decoded(Bytes{0, 0, 2}).status.error, TGA_BAD_PIXEL_DEPTH);
    EXPECT_EQ(Decoded(Bytes{}).status.error, TGA_BAD_IMAGE_TYPE);
    // 17 bytes, all checks pass: the missing byte ends the file at pixel 0.
    Decoded seventeen(Bytes(header.begin(), header.end() - 1));
    EXPECT_EQ(seventeen.status.error, TGA_END_OF_FILE);
    EXPECT_EQ(seventeen.status.pixel, 0);
}

// The buffered reader must give the same result whatever the chunk size,
// including where a packet or pixel straddles a refill.
TEST(TgaDecode, ChunkSizeDoesNotChangeTheResult) {
    Bytes rle = tgaFile({10, 24, 40, 3});
    rle[0] = 3;
    rle.insert(rle.begin() + 18, {'i', 'd', '!'});
    unsigned seed = 12345;
    for (int packet = 0; packet < 20; ++packet) {
        seed = seed * 1103515245 + 12345;
        int count = (seed >> 16) % 12;
        bool isRun = (seed >> 8) & 1;
        rle.push_back(static_cast<unsigned char>((isRun ? 0x80 : 0) | count));
        for (int i = 0; i < (isRun ? 1 : count + 1) * 3; ++i) rle.push_back((seed >> (i % 24)) & 0xFF);
    }
    // Whole, and cut at a few places (inside pixels and between packets).
    for (size_t cut : {0, 1, 2, 4, 7, 30}) {
        Bytes file(rle.begin(), rle.end() - cut);
        Decoded reference(file);
        if (cut == 0) {
            ASSERT_EQ(reference.status.error, TGA_OK);
        }
        for (size_t chunk = kTgaMinChunk; chunk < 64; ++chunk) {
            Decoded d(file, chunk);
            ASSERT_EQ(d.status.error, reference.status.error) << chunk;
            ASSERT_EQ(d.status.pixel, reference.status.pixel) << chunk;
            if (reference.status.error == TGA_OK) {
                ASSERT_EQ(rgbaOf(d.image), rgbaOf(reference.image)) << chunk;
            }
        }
    }
    Bytes raw = with(tgaFile({2, 16, 13, 7}), Bytes(13 * 7 * 2 - 1, 0x5A));
    for (size_t chunk = kTgaMinChunk; chunk < 40; ++chunk) {
        Decoded d(raw, chunk);
        ASSERT_EQ(d.status.error, TGA_END_OF_FILE);
        ASSERT_EQ(d.status.pixel, 13 * 7 - 1) << chunk;
    }
}

}  // namespace
