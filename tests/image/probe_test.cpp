// readTga, ImageLoad and LoadTexture run by tga_probe, a real process, on
// files written here: the pixels decoded (as hex R,G,B,A bytes) and every
// message and exit status on the real streams. Also the TGA conformance
// samples (in process) and the checkerboard.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "process.h"
#include "tex.h"

namespace {

using Bytes = std::vector<unsigned char>;

const int kTgaFailure = 255;          // exit(-1) as the shell sees it
const Bytes kMissing = {0xDE, 0xAD};  // stands for "no such file"
const Bytes kFifo = {0xF1, 0xF0};     // stands for a FIFO with no writer

Bytes operator+(Bytes head, const Bytes &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

void appendLe(Bytes *b, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) b->push_back((value >> (8 * i)) & 0xFF);
}

// A TGA header; the image ID and a type-1 colour map follow, filled with 0xEE.
Bytes tga(int type, int bits, int width, int height, int idLength = 0, int mapType = 0,
          int mapLength = 0, int mapDepth = 0, int descriptor = 0) {
    Bytes b = {uint8_t(idLength), uint8_t(mapType), uint8_t(type)};
    for (int field : {0, mapLength}) appendLe(&b, field, 2);
    b.push_back(mapDepth);
    for (int field : {0, 0, width, height}) appendLe(&b, field, 2);
    b.insert(b.end(), {uint8_t(bits), uint8_t(descriptor)});
    b.insert(b.end(), idLength + (mapType == 1 ? mapLength * ((mapDepth + 7) / 8) : 0), 0xEE);
    return b;
}

Bytes bmp(uint32_t width, uint32_t height, unsigned planes = 1, unsigned bits = 24) {
    Bytes b = {'B', 'M'};
    for (uint32_t field : {54 + width * height * 3, 0u, 54u, 40u, width, height}) appendLe(&b, field, 4);
    appendLe(&b, planes, 2);
    appendLe(&b, bits, 2);
    return b + Bytes(24, 0);
}

struct ProbeRun {
    const char *mode;  // tga_probe's mode
    Bytes file;        // kMissing: the file does not exist
    int status;
    std::string out;   // %s stands for the file's path
    std::string err;
};

std::string withPath(std::string text, const std::string &path) {
    for (size_t at; (at = text.find("%s")) != std::string::npos;) text.replace(at, 2, path);
    return text;
}

// A temporary directory, removed with everything in it on every way out.
struct TempDir {
    char path[24] = "/tmp/image_tests.XXXXXX";
    TempDir() { EXPECT_NE(mkdtemp(path), nullptr); }
    ~TempDir() { std::filesystem::remove_all(path); }
};

void expectRuns(const std::vector<ProbeRun> &runs) {
    TempDir dir;
    for (size_t n = 0; n < runs.size(); ++n) {
        const ProbeRun &r = runs[n];
        std::string path = std::string(dir.path) + "/file" + std::to_string(n);
        if (r.file == kFifo)
            EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        else if (r.file != kMissing)
            std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(r.file.data()),
                                                        std::streamsize(r.file.size()));
        ChildProcess child;
        LaunchOptions options;
        options.program = TGA_PROBE_PATH;
        options.args = {r.mode, path};
        ASSERT_TRUE(launchProcess(child, options));
        SCOPED_TRACE(std::string(r.mode) + " run " + std::to_string(n));
        EXPECT_EQ(waitForExit(child), r.status);
        EXPECT_EQ(child.outText, withPath(r.out, path));
        EXPECT_EQ(child.errText, withPath(r.err, path));
    }
}

// A decoded image as tga_probe prints it.
ProbeRun decodes(const Bytes &file, const std::string &size, const std::string &pixels) {
    return {"tga", file, 0, size + "\n" + pixels + "\n", "%s\n"};
}

ProbeRun refused(const Bytes &file, const std::string &message) {
    return {"tga", file, kTgaFailure, "", "%s\n" + message + "\n"};
}

TEST(ReadTga, StoredFormsPacketsAndSkippedFields) {
    // Files of several times the reader's 64 KiB buffer, so that pixels and
    // packets straddle its refills: a byte lost or read twice would show.
    Bytes raw = tga(2, 24, 300, 300), rle = tga(10, 24, 300, 300);
    std::string pixels;
    for (int i = 0; i < 300 * 300; ++i) {
        raw.insert(raw.end(), {1, 2, 3});
        if (i % 128 == 0) rle.push_back(i % 256 == 0 ? 0x7F : 0xFF);  // 128 raw, a run of 128
        if (i % 256 < 128 || i % 128 == 0) rle.insert(rle.end(), {1, 2, 3});
        pixels += "030201ff";
    }
    expectRuns({
        decodes(raw, "300 300", pixels),
        decodes(rle, "300 300", pixels),
        decodes(tga(2, 32, 2, 1) + Bytes{1, 2, 3, 4, 5, 6, 7, 8}, "2 1", "0302010407060508"),
        decodes(tga(2, 24, 1, 1) + Bytes{10, 20, 30}, "1 1", "1e140aff"),
        // 16 bits widen by a shift alone; the attribute bit becomes alpha 128.
        decodes(tga(2, 16, 5, 1) + Bytes{0xFF, 0xFF, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x21, 0x04},
                "5 1", "f8f8f880" "f8000000" "00f80000" "0000f800" "08080800"),
        decodes(tga(10, 32, 4, 1) + Bytes{0x81, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 10, 11, 12}, "4 1",
                "03020104" "03020104" "07060508" "0b0a090c"),
        decodes(tga(10, 24, 6, 1) + Bytes{0x00, 1, 1, 1, 0x82, 2, 2, 2, 0x01, 3, 3, 3, 4, 4, 4}, "6 1",
                "010101ff" "020202ff" "020202ff" "020202ff" "030303ff" "040404ff"),
        decodes(tga(10, 16, 3, 1) + Bytes{0x81, 0x1F, 0x00, 0x00, 0x00, 0x7C}, "3 1",
                "0000f800" "0000f800" "f8000000"),
        // Packets running past the image are clipped; surplus values unread.
        decodes(tga(10, 32, 2, 1) + Bytes{0x85, 1, 2, 3, 4}, "2 1", "03020104" "03020104"),
        decodes(tga(10, 24, 2, 1) + Bytes{0x05, 1, 1, 1, 2, 2, 2}, "2 1", "010101ff" "020202ff"),
        decodes(tga(10, 24, 0, 7), "0 7", ""),
        // The origin bits change nothing: rows and columns stay in stored order.
        decodes(tga(2, 24, 2, 2, 0, 0, 0, 0, 0x20) + Bytes{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}, "2 2",
                "010101ff" "020202ff" "030303ff" "040404ff"),
        decodes(tga(2, 24, 2, 2, 0, 0, 0, 0, 0x30) + Bytes{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}, "2 2",
                "010101ff" "020202ff" "030303ff" "040404ff"),
        // The image ID and colour map are skipped, entries rounded up to bytes.
        decodes(tga(2, 24, 1, 1, 200) + Bytes{4, 5, 6}, "1 1", "060504ff"),
        decodes(tga(2, 24, 1, 1, 5, 1, 256, 24) + Bytes{4, 5, 6}, "1 1", "060504ff"),
        decodes(tga(2, 24, 1, 1, 5, 1, 256, 15) + Bytes{4, 5, 6}, "1 1", "060504ff"),
        decodes(tga(2, 24, 1, 1, 5, 1, 256, 1) + Bytes{4, 5, 6}, "1 1", "060504ff"),
        decodes(tga(2, 24, 1, 1, 5, 0, 256, 24) + Bytes{4, 5, 6}, "1 1", "060504ff"),
    });
}

TEST(ReadTga, RefusalsInCheckOrder) {
    const Bytes header0x0 = tga(2, 24, 0, 0);
    expectRuns({
        refused(tga(1, 24, 2, 2), "Can only handle image type 2 and 10"),
        refused(tga(2, 8, 2, 2), "Can only handle pixel depths of 16, 24, and 32"),
        refused(tga(10, 24, 2, 2, 0, 2), "Can only handle colour map types of 0 and 1"),
        // Wrong in several ways: the first check's message only; the size
        // is checked (by the allocation) before the format. Stored sizes
        // above 32767 are negative, refused even when the other size is 0.
        refused(tga(3, 8, 2, 2, 0, 7), "Can only handle image type 2 and 10"),
        refused(tga(10, 12, 2, 2, 0, 7), "Can only handle pixel depths of 16, 24, and 32"),
        refused(tga(3, 8, 0, 0x8000, 0, 7), "malloc of image failed"),
        refused(tga(2, 24, 0xFFFF, 0), "malloc of image failed"),
        refused(tga(2, 24, 4, 4) + Bytes(5 * 3 + 1, 9), "Unexpected end of file at pixel 5"),
        refused(tga(10, 24, 4, 4) + Bytes{0x89, 1, 2, 3}, "Unexpected end of file at pixel 10"),
        refused(tga(10, 24, 4, 4) + Bytes{0x82, 1, 2, 3, 0x85, 1, 2}, "Unexpected end of file at pixel 3"),
        refused(tga(10, 16, 4, 4) + Bytes{0x81, 1, 2, 0x03, 1, 2, 3, 4, 5}, "Unexpected end of file at pixel 4"),
        // Short headers: missing bytes read as 0, and a whole header is needed.
        refused({}, "Can only handle image type 2 and 10"),
        refused({0, 0, 2}, "Can only handle pixel depths of 16, 24, and 32"),
        refused(Bytes(header0x0.begin(), header0x0.end() - 1), "Unexpected end of file at pixel 0"),
        refused(kMissing, "File open failed: No such file or directory"),
    });
}

TEST(BmpLoader, SwapsToRgbAndReportsOnStandardOutput) {
    expectRuns({
        {"bmp", bmp(4, 2) + Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6},
         0, "", "result 1\n030201030201030201030201030201030201030201060504\n"},
        {"bmp", bmp(4, 2, 1, 16) + Bytes(16, 0), 0, "Bpp from %s is not 24: 16\n", "result 0\n"},
        {"bmp", bmp(4, 2, 2, 24) + Bytes(24, 0), 0, "Planes from %s is not 1: 2\n", "result 0\n"},
        {"bmp", bmp(4, 2) + Bytes(23, 0), 0, "Error reading image data from %s.\n", "result 0\n"},
        {"bmp", bmp(0, 2) + Bytes(24, 0), 0, "Error reading image data from %s.\n", "result 0\n"},
        // 4293443238 * 1432163965 * 3 wraps to 4394 modulo 2^64, and the file
        // holds exactly that many bytes: a wrapped size would "load".
        {"bmp", bmp(4293443238u, 1432163965u) + Bytes(4394, 1), 0,
         "Error allocating memory for color-corrected image data", "result 0\n"},
        {"bmp", kMissing, 0, "File Not Found : %s\n", "result 0\n"},
        {"bmp", kFifo, 0, "File Not Found : %s\n", "result 0\n"},   // refused at once, not read
        {"texture", kMissing, 1, "File Not Found : %s\n", ""},
        {"texture", bmp(4, 2, 1, 16) + Bytes(16, 0), 1, "Bpp from %s is not 24: 16\n", ""},
    });
}

// The TGA 2.0 conformance samples, files nobody here made: the true-colour
// ones must decode to the picture color.png shows (rows in stored order,
// so bottom row first), the colour-mapped and grey ones are refused.
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
