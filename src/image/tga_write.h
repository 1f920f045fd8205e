// A small writer for 32-bit true-colour TGA files (B, G, R, A bytes), run-
// length encoded (type 10) when that is smaller, uncompressed (type 2) else.
#ifndef TGA_WRITE_H
#define TGA_WRITE_H

#include <string>
#include <vector>

// An RGBA image, 4 bytes per pixel, rows in the order they are stored.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

// Where the first stored row belongs. It only sets the origin bit of the
// header, so that other tools show the image the right way up; the rows are
// written in the order given either way.
enum class TgaRowOrder { BottomFirst, TopFirst };

RgbaImage makeRgbaImage(int width, int height);

// A square image of one colour and opacity (channels 0..255).
RgbaImage makeSolidImage(int size, int r, int g, int b, int a);

// The complete file contents for the image.
std::vector<unsigned char> encodeTga(const RgbaImage &image, TgaRowOrder order);

// Writes the image to path; false (with a message on stderr) on failure.
bool writeTga(const std::string &path, const RgbaImage &image, TgaRowOrder order);

#endif
