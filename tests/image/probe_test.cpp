// Messages and exit statuses of readTga, ImageLoad and LoadTexture, checked
// on the standard streams of a real process (tga_probe).
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const int kTgaFailure = 255;  // exit(-1) as the shell sees it
const Bytes kMissing = {0xDE, 0xAD};  // stands for "no such file"

std::string withPath(std::string text, const std::string &path) {
    for (size_t at; (at = text.find("%s")) != std::string::npos;) text.replace(at, 2, path);
    return text;
}

Bytes tga(int type, int bits, int width, int height, int mapType = 0) {
    TgaHeader h{type, bits, width, height};
    h.colourMapType = mapType;
    return tgaFile(h);
}

struct ProbeRun {
    const char *mode;  // tga_probe's mode
    Bytes file;        // kMissing: the file does not exist
    int status;
    const char *out;   // %s stands for the file's path
    const char *err;
};

TEST(ProbeProcess, EachEntryPointsMessagesAndStatus) {
    const Bytes header0x0 = tga(2, 24, 0, 0);
    const ProbeRun runs[] = {
        {"tga", tga(10, 32, 2, 1) + Bytes{0x81, 1, 2, 3, 4}, 0, "2 1\n0302010403020104\n", "%s\n"},
        {"tga", tga(1, 24, 2, 2), kTgaFailure, "", "%s\nCan only handle image type 2 and 10\n"},
        {"tga", tga(2, 8, 2, 2), kTgaFailure, "", "%s\nCan only handle pixel depths of 16, 24, and 32\n"},
        {"tga", tga(10, 24, 2, 2, 2), kTgaFailure, "", "%s\nCan only handle colour map types of 0 and 1\n"},
        // Wrong in several ways: the first check's message only; the size
        // is checked (by the allocation) before the format.
        {"tga", tga(3, 8, 2, 2, 7), kTgaFailure, "", "%s\nCan only handle image type 2 and 10\n"},
        {"tga", tga(10, 12, 2, 2, 7), kTgaFailure, "", "%s\nCan only handle pixel depths of 16, 24, and 32\n"},
        {"tga", tga(3, 8, 4, 0x8000, 7), kTgaFailure, "", "%s\nmalloc of image failed\n"},
        {"tga", tga(2, 24, 0xFFFF, 2), kTgaFailure, "", "%s\nmalloc of image failed\n"},
        {"tga", tga(2, 24, 4, 4) + Bytes(5 * 3 + 1, 9), kTgaFailure, "", "%s\nUnexpected end of file at pixel 5\n"},
        {"tga", tga(10, 24, 4, 4) + Bytes{0x89, 1, 2, 3}, kTgaFailure, "", "%s\nUnexpected end of file at pixel 10\n"},
        {"tga", tga(10, 24, 4, 4) + Bytes{0x82, 1, 2, 3, 0x85, 1, 2}, kTgaFailure, "",
         "%s\nUnexpected end of file at pixel 3\n"},
        {"tga", tga(10, 16, 4, 4) + Bytes{0x81, 1, 2, 0x03, 1, 2, 3, 4, 5}, kTgaFailure, "",
         "%s\nUnexpected end of file at pixel 4\n"},
        // Short headers: missing bytes read as 0, and a whole header is needed.
        {"tga", {}, kTgaFailure, "", "%s\nCan only handle image type 2 and 10\n"},
        {"tga", {0, 0, 2}, kTgaFailure, "", "%s\nCan only handle pixel depths of 16, 24, and 32\n"},
        {"tga", Bytes(header0x0.begin(), header0x0.end() - 1), kTgaFailure, "",
         "%s\nUnexpected end of file at pixel 0\n"},
        {"tga", kMissing, kTgaFailure, "", "%s\nFile open failed: No such file or directory\n"},

        {"bmp", bmpHeader(4, 2) + Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6},
         0, "", "result 1\n030201030201030201030201030201030201030201060504\n"},
        {"bmp", bmpHeader(4, 2, 1, 16) + Bytes(16, 0), 0, "Bpp from %s is not 24: 16\n", "result 0\n"},
        {"bmp", bmpHeader(4, 2, 2, 24) + Bytes(24, 0), 0, "Planes from %s is not 1: 2\n", "result 0\n"},
        {"bmp", bmpHeader(4, 2) + Bytes(23, 0), 0, "Error reading image data from %s.\n", "result 0\n"},
        {"bmp", bmpHeader(0, 2) + Bytes(24, 0), 0, "Error reading image data from %s.\n", "result 0\n"},
        // 4293443238 * 1432163965 * 3 wraps to 4394 modulo 2^64, and the file
        // holds exactly that many bytes: a wrapped size would "load".
        {"bmp", bmpHeader(4293443238u, 1432163965u) + Bytes(4394, 1), 0,
         "Error allocating memory for color-corrected image data", "result 0\n"},
        {"bmp", kMissing, 0, "File Not Found : %s\n", "result 0\n"},
        {"texture", kMissing, 1, "File Not Found : %s\n", ""},
        {"texture", bmpHeader(4, 2, 1, 16) + Bytes(16, 0), 1, "Bpp from %s is not 24: 16\n", ""},
    };
    int n = 0;
    for (const ProbeRun &r : runs) {
        std::string name = "file" + std::to_string(n++);
        std::string path = r.file == kMissing ? tempPath(name) : writeTempFile(name, r.file);
        ProcessResult got = runProcess({TGA_PROBE_PATH, r.mode, path});
        SCOPED_TRACE(std::string(r.mode) + " run " + std::to_string(n - 1));
        EXPECT_EQ(got.status, r.status);
        EXPECT_EQ(got.out, withPath(r.out, path));
        EXPECT_EQ(got.err, withPath(r.err, path));
    }
}

}  // namespace
