#include "tga_write.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kHeaderSize = 18;
constexpr unsigned char kTypeRaw = 2;
constexpr unsigned char kTypeRle = 10;
constexpr unsigned char kBitsPerPixel = 32;
constexpr unsigned char kAlphaBits = 8;
constexpr unsigned char kTopLeftOrigin = 0x20;
constexpr int kMaxPacketPixels = 128;

void putLe16(std::vector<unsigned char> &out, int value) {
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void putHeader(std::vector<unsigned char> &out, const RgbaImage &image, unsigned char type,
               TgaRowOrder order) {
    out.push_back(0); // no image ID
    out.push_back(0); // no colour map
    out.push_back(type);
    putLe16(out, 0);  // colour map origin
    putLe16(out, 0);  // colour map length
    out.push_back(0); // colour map depth
    putLe16(out, 0);  // x origin
    putLe16(out, 0);  // y origin
    putLe16(out, image.width);
    putLe16(out, image.height);
    out.push_back(kBitsPerPixel);
    out.push_back(order == TgaRowOrder::TopFirst ? kAlphaBits | kTopLeftOrigin : kAlphaBits);
}

const unsigned char *pixelAt(const RgbaImage &image, int index) {
    return &image.rgba[static_cast<size_t>(index) * 4];
}

void putPixel(std::vector<unsigned char> &out, const unsigned char *rgba) {
    out.push_back(rgba[2]);
    out.push_back(rgba[1]);
    out.push_back(rgba[0]);
    out.push_back(rgba[3]);
}

bool samePixel(const RgbaImage &image, int a, int b) {
    return std::memcmp(pixelAt(image, a), pixelAt(image, b), 4) == 0;
}

// Length of the run of identical pixels starting at `first`, up to `end`.
int runLength(const RgbaImage &image, int first, int end) {
    int n = 1;
    while (first + n < end && n < kMaxPacketPixels && samePixel(image, first, first + n))
        ++n;
    return n;
}

// Encodes one row [first, end) as run-length and raw packets. Packets stay
// within the row, as the format recommends.
void putRleRow(std::vector<unsigned char> &out, const RgbaImage &image, int first, int end) {
    int i = first;
    while (i < end) {
        const int run = runLength(image, i, end);
        if (run >= 2) {
            out.push_back(static_cast<unsigned char>(0x80 | (run - 1)));
            putPixel(out, pixelAt(image, i));
            i += run;
            continue;
        }
        // Raw packet: gather pixels until the next run of two or more.
        int count = 1;
        while (i + count < end && count < kMaxPacketPixels && runLength(image, i + count, end) < 2)
            ++count;
        out.push_back(static_cast<unsigned char>(count - 1));
        for (int k = 0; k < count; ++k)
            putPixel(out, pixelAt(image, i + k));
        i += count;
    }
}

std::vector<unsigned char> encodeRaw(const RgbaImage &image, TgaRowOrder order) {
    std::vector<unsigned char> out;
    out.reserve(kHeaderSize + image.rgba.size());
    putHeader(out, image, kTypeRaw, order);
    const int count = image.width * image.height;
    for (int i = 0; i < count; ++i)
        putPixel(out, pixelAt(image, i));
    return out;
}

std::vector<unsigned char> encodeRle(const RgbaImage &image, TgaRowOrder order) {
    std::vector<unsigned char> out;
    putHeader(out, image, kTypeRle, order);
    for (int row = 0; row < image.height; ++row)
        putRleRow(out, image, row * image.width, (row + 1) * image.width);
    return out;
}

} // namespace

RgbaImage makeRgbaImage(int width, int height) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    return image;
}

RgbaImage makeSolidImage(int size, int r, int g, int b, int a) {
    RgbaImage image = makeRgbaImage(size, size);
    const unsigned char texel[4] = {static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                    static_cast<unsigned char>(b), static_cast<unsigned char>(a)};
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        std::memcpy(&image.rgba[i], texel, sizeof texel);
    return image;
}

std::vector<unsigned char> encodeTga(const RgbaImage &image, TgaRowOrder order) {
    std::vector<unsigned char> rle = encodeRle(image, order);
    if (rle.size() < kHeaderSize + image.rgba.size())
        return rle;
    return encodeRaw(image, order);
}

bool writeTga(const std::string &path, const RgbaImage &image, TgaRowOrder order) {
    const std::vector<unsigned char> bytes = encodeTga(image, order);
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!ok || !closed)
        std::fprintf(stderr, "%s: write failed\n", path.c_str());
    return ok && closed;
}
