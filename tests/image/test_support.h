// Helpers shared by the image tests: byte builders, temporary files, and
// running a program with its output streams captured separately.
#ifndef IMAGE_TEST_SUPPORT_H
#define IMAGE_TEST_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "tex.h"

using Bytes = std::vector<unsigned char>;

struct ProcessResult {
    int status;  // exit status, or -1 if the process did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] with the given arguments and waits for it.
ProcessResult runProcess(const std::vector<std::string> &argv);

// A fresh file in the test's temporary directory holding `bytes`.
std::string writeTempFile(const std::string &name, const Bytes &bytes);
// The test's temporary directory (created on first use).
std::string tempDir();
Bytes readFile(const std::string &path);

void appendLe16(Bytes *b, unsigned value);
void appendLe32(Bytes *b, uint32_t value);

// The fields of a TGA header that the tests vary.
struct TgaHeader {
    int type = 2;
    int bits = 24;
    int width = 1;
    int height = 1;
    int idLength = 0;
    int colourMapType = 0;
    int colourMapLength = 0;
    int colourMapDepth = 0;
    int descriptor = 0;
};
// The 18 header bytes followed by idLength ID bytes and the colour map.
Bytes tgaFile(const TgaHeader &h);

// A 24-bit BMP header (54 bytes) with the given size, planes and bit count.
Bytes bmpHeader(uint32_t width, uint32_t height, unsigned planes = 1, unsigned bits = 24);

// Decodes `bytes` with decodeTga through an in-memory stream.
TgaStatus decodeBytes(const Bytes &bytes, TgaImage *image,
                      size_t maxPixels = kTgaNoPixelLimit,
                      size_t chunkBytes = kTgaReadChunk);

// Pixels of a decoded image as a flat RGBA byte vector.
Bytes rgbaOf(const TgaImage &image);

#endif
