// In-process tests of the BMP loader and the checkerboard.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

namespace {

int openDescriptors() {
    int count = 0;
    DIR *dir = opendir("/proc/self/fd");
    while (dir && readdir(dir)) ++count;
    if (dir) closedir(dir);
    return count;
}

Bytes with(Bytes head, const Bytes &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(BmpLoad, ReadsSizeAndSwapsEveryPixel) {
    Bytes bmp = bmpHeader(4, 3);
    for (int i = 0; i < 12; ++i) bmp.insert(bmp.end(), {static_cast<unsigned char>(i), 100, 200});
    Image image{};
    ASSERT_EQ(ImageLoad(writeTempFile("swap.bmp", bmp).c_str(), &image), 1);
    EXPECT_EQ(image.sizeX, 4u);
    EXPECT_EQ(image.sizeY, 3u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(image.data[3 * i], 200);
        EXPECT_EQ(image.data[3 * i + 1], 100);
        EXPECT_EQ(image.data[3 * i + 2], i);
    }
    free(image.data);
}

TEST(BmpLoad, LittleEndianFieldReaders) {
    std::string path = writeTempFile("ints.bin", {0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0x01});
    FILE *file = fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(getint(file), 0x12345678u);
    EXPECT_EQ(getshort(file), 0xFFFEu);
    EXPECT_EQ(getshort(file), 0x0001u);  // the missing byte reads as 0
    EXPECT_EQ(getint(file), 0u);
    fclose(file);
}

TEST(BmpLoad, ClosesTheFileOnEveryPath) {
    Bytes pixels(24, 7);
    const Bytes files[] = {
        with(bmpHeader(4, 2), pixels),
        with(bmpHeader(4, 2, 3), pixels),
        with(bmpHeader(4, 2, 1, 32), pixels),
        with(bmpHeader(4, 2), Bytes(5, 0)),
        bmpHeader(0xFFFFFFFF, 0xFFFFFFFF),
        Bytes{'B'},
    };
    int before = openDescriptors();
    for (const Bytes &bytes : files) {
        Image image{};
        if (ImageLoad(writeTempFile("close.bmp", bytes).c_str(), &image)) free(image.data);
        EXPECT_EQ(openDescriptors(), before);
    }
}

TEST(BmpLoad, SizesThatOverflowAreRefusedNotWrapped) {
    // 4293443238 * 1432163965 * 3 wraps to 4394 bytes modulo 2^64; the file
    // carries exactly that many pixel bytes, so a wrapped size would "load".
    Bytes wrap = with(bmpHeader(4293443238u, 1432163965u), Bytes(4394, 1));
    Image image{};
    EXPECT_EQ(ImageLoad(writeTempFile("wrap.bmp", wrap).c_str(), &image), 0);
    EXPECT_EQ(image.data, nullptr);

    // A negative (top-down) height reads as about 4 billion rows: refused by
    // the allocation or the read, whichever fails first on this machine.
    Bytes topDown = with(bmpHeader(4, static_cast<uint32_t>(-2)), Bytes(24, 1));
    Image tall{};
    EXPECT_EQ(ImageLoad(writeTempFile("topdown.bmp", topDown).c_str(), &tall), 0);
    EXPECT_EQ(tall.sizeY, 0xFFFFFFFEu);
    EXPECT_EQ(tall.data, nullptr);
}

TEST(BmpLoad, ByteCapActsAsAllocationFailure) {
    std::string path = writeTempFile("cap.bmp", with(bmpHeader(4, 2), Bytes(24, 5)));
    for (uint64_t cap : {23u, 24u}) {
        FILE *file = fopen(path.c_str(), "rb");
        Image image{};
        EXPECT_EQ(loadBmp(file, "cap.bmp", &image, cap), cap == 24u ? 1 : 0);
        free(image.data);
        fclose(file);
    }
}

TEST(Checkerboard, EightPixelSquaresBlackAtTheOrigin) {
    makeCheckerBoard(64, 64);
    ASSERT_NE(pixel, nullptr);
    auto at = [](int i, int j) { return pixel[i * 64 + j]; };
    EXPECT_EQ(at(0, 0).r, 0);
    EXPECT_EQ(at(0, 8).r, 255);
    EXPECT_EQ(at(8, 8).r, 0);
    EXPECT_EQ(at(7, 7).r, 0);
    EXPECT_EQ(at(8, 0).g, 255);
    EXPECT_EQ(at(63, 56).b, 0);
    for (int i = 0; i < 64; ++i) {
        for (int j = 0; j < 64; ++j) {
            RGB p = at(i, j);
            ASSERT_TRUE(p.r == p.g && p.g == p.b);
            ASSERT_EQ(p.r, ((i / 8 + j / 8) % 2) * 255) << i << "," << j;
        }
    }
    // A non-square board indexes rows by the column count.
    makeCheckerBoard(2, 20);
    EXPECT_EQ(pixel[19].r, 0);
    EXPECT_EQ(pixel[20 + 8].r, 255);
}

}  // namespace
