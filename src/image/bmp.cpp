// BMP loader for uncompressed 24-bit files, and the procedural checkerboard.
#include "tex.h"

#include "regular_file.h"

#include <cstdlib>

namespace {

// Byte offsets: the size fields follow the 14-byte file header and the
// information header's own size; the pixels start at byte 54.
const int kBytesBeforeSize = 18;
const int kBytesAfterBitCount = 24;
const unsigned int kPlanes = 1;
const unsigned int kBitsPerPixel = 24;
const uint64_t kBytesPerPixel = 3;
const int kSquare = 8;
const unsigned char kWhite = 255;

// Next byte of the file, 0 past its end.
unsigned int nextByte(FILE *file) {
    int c = getc(file);
    return c == EOF ? 0 : static_cast<unsigned int>(c);
}

// Skips by reading rather than seeking, so that a short file behaves the
// same whatever kind of stream it is.
void skipBytes(FILE *file, int n) {
    for (int i = 0; i < n; ++i) nextByte(file);
}

// sizeX * sizeY * 3, or false if it does not fit in 64 bits.
bool pixelBytes(const Image *image, uint64_t *bytes) {
    uint64_t pixels;
    return !__builtin_mul_overflow(image->sizeX, image->sizeY, &pixels) &&
           !__builtin_mul_overflow(pixels, kBytesPerPixel, bytes);
}

// Turns stored B, G, R triples into R, G, B.
void swapRedBlue(unsigned char *data, uint64_t bytes) {
    for (uint64_t i = 0; i + 2 < bytes; i += kBytesPerPixel) {
        unsigned char blue = data[i];
        data[i] = data[i + 2];
        data[i + 2] = blue;
    }
}

}  // namespace

RGB *pixel = nullptr;

unsigned int getint(FILE *file) {
    unsigned int value = 0;
    for (int shift = 0; shift < 32; shift += 8) value |= nextByte(file) << shift;
    return value;
}

unsigned int getshort(FILE *file) {
    unsigned int low = nextByte(file);
    return low | (nextByte(file) << 8);
}

int loadBmp(FILE *file, const char *filename, Image *image) {
    image->data = nullptr;
    skipBytes(file, kBytesBeforeSize);
    image->sizeX = getint(file);
    image->sizeY = getint(file);
    unsigned int planes = getshort(file);
    if (planes != kPlanes) {
        printf("Planes from %s is not 1: %u\n", filename, planes);
        return 0;
    }
    unsigned int bpp = getshort(file);
    if (bpp != kBitsPerPixel) {
        printf("Bpp from %s is not 24: %u\n", filename, bpp);
        return 0;
    }
    skipBytes(file, kBytesAfterBitCount);

    // An overflowing product is refused here, never wrapped.
    uint64_t bytes = 0;
    if (pixelBytes(image, &bytes))
        image->data = static_cast<unsigned char *>(malloc(bytes > 0 ? bytes : 1));
    if (!image->data) {
        printf("Error allocating memory for color-corrected image data");
        return 0;
    }
    // An empty block never counts as read.
    if (bytes == 0 || fread(image->data, 1, bytes, file) != bytes) {
        printf("Error reading image data from %s.\n", filename);
        free(image->data);
        image->data = nullptr;
        return 0;
    }
    swapRedBlue(image->data, bytes);
    return 1;
}

int ImageLoad(const char *filename, Image *image) {
    FILE *file = openRegularFile(filename);
    if (!file) {
        printf("File Not Found : %s\n", filename);
        return 0;
    }
    int loaded = loadBmp(file, filename, image);
    fclose(file);
    return loaded;
}

void makeCheckerBoard(int nRows, int nCols) {
    // A new board replaces the previous one.
    free(pixel);
    pixel = nullptr;
    if (nRows <= 0 || nCols <= 0) return;
    pixel = static_cast<RGB *>(malloc(size_t(nRows) * size_t(nCols) * sizeof(RGB)));
    if (!pixel) return;
    for (int i = 0; i < nRows; ++i) {
        for (int j = 0; j < nCols; ++j) {
            unsigned char c = ((i / kSquare + j / kSquare) % 2) * kWhite;
            pixel[size_t(i) * nCols + j] = RGB{c, c, c};
        }
    }
}
