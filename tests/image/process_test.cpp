// Messages and exit statuses of readTga, ImageLoad and LoadTexture, checked
// on the standard streams of a real process (tga_probe).
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const int kTgaFailureStatus = 255;  // exit(-1) as the shell sees it

ProcessResult probe(const std::string &mode, const std::string &path) {
    return runProcess({TGA_PROBE_PATH, mode, path});
}

// readTga on `bytes` must write the file name, then exactly `message`, and
// end with status 255.
void expectTgaRefusal(const std::string &name, const Bytes &bytes, const std::string &message) {
    std::string path = writeTempFile(name, bytes);
    ProcessResult r = probe("tga", path);
    EXPECT_EQ(r.status, kTgaFailureStatus) << name;
    EXPECT_EQ(r.err, path + "\n" + message) << name;
    EXPECT_EQ(r.out, "") << name;
}

Bytes with(Bytes head, const Bytes &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(ReadTgaProcess, DecodesAfterWritingTheFileName) {
    std::string path = writeTempFile("ok.tga", with(tgaFile({10, 32, 2, 1}), {0x81, 1, 2, 3, 4}));
    ProcessResult r = probe("tga", path);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, path + "\n");
    EXPECT_EQ(r.out, "2 1\n0302010403020104\n");
}

TEST(ReadTgaProcess, EachRefusalHasItsMessageAndStatus) {
    expectTgaRefusal("type.tga", tgaFile({1, 8, 2, 2}), "Can only handle image type 2 and 10\n");
    expectTgaRefusal("depth.tga", tgaFile({2, 8, 2, 2}),
                     "Can only handle pixel depths of 16, 24, and 32\n");
    expectTgaRefusal("map.tga", tgaFile({10, 24, 2, 2, 0, 2}),
                     "Can only handle colour map types of 0 and 1\n");
    expectTgaRefusal("negative.tga", tgaFile({2, 24, 0xFFFF, 2}), "malloc of image failed\n");
    expectTgaRefusal("cut.tga", with(tgaFile({2, 24, 4, 4}), Bytes(5 * 3 + 1, 9)),
                     "Unexpected end of file at pixel 5\n");
    expectTgaRefusal("cutrle.tga", with(tgaFile({10, 24, 4, 4}), {0x89, 1, 2, 3}),
                     "Unexpected end of file at pixel 10\n");
    expectTgaRefusal("empty.tga", Bytes{}, "Can only handle image type 2 and 10\n");
}

TEST(ReadTgaProcess, FileWrongInSeveralWaysGetsOnlyTheFirstMessage) {
    expectTgaRefusal("all.tga", tgaFile({3, 8, 2, 2, 0, 7}), "Can only handle image type 2 and 10\n");
    expectTgaRefusal("depthmap.tga", tgaFile({10, 12, 2, 2, 0, 7}),
                     "Can only handle pixel depths of 16, 24, and 32\n");
    expectTgaRefusal("sizefirst.tga", tgaFile({3, 8, 4, 0x8000, 0, 7}), "malloc of image failed\n");
}

TEST(ReadTgaProcess, MissingFileIsReportedThroughPerror) {
    std::string path = tempDir() + "/does-not-exist.tga";
    ProcessResult r = probe("tga", path);
    EXPECT_EQ(r.status, kTgaFailureStatus);
    EXPECT_EQ(r.err, path + "\nFile open failed: No such file or directory\n");
}

TEST(ImageLoadProcess, ReportsOnStandardOutput) {
    struct Case {
        const char *name;
        Bytes bytes;
        const char *message;  // %s is the file name
    } cases[] = {
        {"bpp16.bmp", with(bmpHeader(4, 2, 1, 16), Bytes(16, 0)), "Bpp from %s is not 24: 16\n"},
        {"planes.bmp", with(bmpHeader(4, 2, 2, 24), Bytes(24, 0)), "Planes from %s is not 1: 2\n"},
        {"short.bmp", with(bmpHeader(4, 2), Bytes(23, 0)), "Error reading image data from %s.\n"},
        {"zerowidth.bmp", with(bmpHeader(0, 2), Bytes(24, 0)), "Error reading image data from %s.\n"},
        {"zeroheight.bmp", with(bmpHeader(4, 0), Bytes(24, 0)), "Error reading image data from %s.\n"},
        {"overflow.bmp", bmpHeader(0xFFFFFFFF, 0xFFFFFFFF),
         "Error allocating memory for color-corrected image data"},
    };
    for (const Case &c : cases) {
        std::string path = writeTempFile(c.name, c.bytes);
        ProcessResult r = probe("bmp", path);
        char expected[512];
        snprintf(expected, sizeof expected, c.message, path.c_str());
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.out, expected) << c.name;
        EXPECT_EQ(r.err, "result 0\n") << c.name;
    }
    std::string missing = tempDir() + "/missing.bmp";
    EXPECT_EQ(probe("bmp", missing).out, "File Not Found : " + missing + "\n");
}

TEST(ImageLoadProcess, LoadsAndSwapsToRgb) {
    Bytes bmp = bmpHeader(4, 2);
    for (int i = 0; i < 8; ++i) bmp.insert(bmp.end(), {1, 2, 3});
    ProcessResult r = probe("bmp", writeTempFile("rgb.bmp", bmp));
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "result 1\n030201030201030201030201030201030201030201030201\n");
}

TEST(LoadTextureProcess, FailureEndsWithStatusOne) {
    std::string missing = tempDir() + "/missing-texture.bmp";
    ProcessResult r = probe("texture", missing);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "File Not Found : " + missing + "\n");

    std::string bpp = writeTempFile("tex16.bmp", with(bmpHeader(4, 2, 1, 16), Bytes(16, 0)));
    r = probe("texture", bpp);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Bpp from " + bpp + " is not 24: 16\n");
}

}  // namespace
