// Helpers shared by the image tests: byte builders, files in a temporary
// directory that is removed when the test program ends, and runs of a
// program with its output streams captured.
#ifndef IMAGE_TEST_SUPPORT_H
#define IMAGE_TEST_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "tex.h"

using Bytes = std::vector<unsigned char>;
Bytes operator+(Bytes head, const Bytes &tail);

struct ProcessResult {
    int status;  // exit status, or -1 if the process did not exit normally
    std::string out;
    std::string err;
};
ProcessResult runProcess(const std::vector<std::string> &argv);

// A path in the test program's temporary directory, and a file written there.
std::string tempPath(const std::string &name);
std::string writeTempFile(const std::string &name, const Bytes &bytes);

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
// The 18 header bytes followed by the image ID and the colour map (if the
// type is 1), both filled with 0xEE.
Bytes tgaFile(const TgaHeader &h);

// A 24-bit BMP header (54 bytes) with the given size, planes and bit count.
Bytes bmpHeader(uint32_t width, uint32_t height, unsigned planes = 1, unsigned bits = 24);

#endif
