// Fuzz target for decodeTga, the decoding code readTga runs. Besides the
// sanitizers it checks the result against a plain pixel-by-pixel decoder of
// the same format, so a fault in the buffered fast path shows as a crash.
//
// Sizes: the header may ask for up to 32767 x 32767 pixels (4 GiB) from a
// tiny input, and the pixel array must be allocated before anything else is
// checked. The target therefore passes a pixel cap: larger images fail as an
// allocation failure would (TGA_NO_PIXEL_MEMORY), which is a real outcome of
// readTga too. No index arithmetic depends on the image size beyond size_t
// products, so the cap hides no overflow; small images of every shape remain.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tex.h"

namespace {

const size_t kMaxPixels = size_t(1) << 18;
const size_t kHeaderBytes = 18;

struct Expected {
    TgaError error = TGA_OK;
    long pixel = 0;
    std::vector<PIXEL> pixels;
};

PIXEL merge(const uint8_t *p, int bytes) {
    if (bytes == 4) return PIXEL{p[2], p[1], p[0], p[3]};
    if (bytes == 3) return PIXEL{p[2], p[1], p[0], 255};
    unsigned v = p[0] | (p[1] << 8);
    return PIXEL{static_cast<unsigned char>(((v >> 10) & 31) << 3),
                 static_cast<unsigned char>(((v >> 5) & 31) << 3),
                 static_cast<unsigned char>((v & 31) << 3),
                 static_cast<unsigned char>((v >> 15) * 128)};
}

// The format decoded one pixel at a time, packets clipped to the image.
Expected referenceDecode(const uint8_t *data, size_t size) {
    Expected e;
    uint8_t h[kHeaderBytes] = {};
    memcpy(h, data, size < kHeaderBytes ? size : kHeaderBytes);
    int type = h[2], bits = h[16], mapType = h[1];
    int width = int16_t(h[12] | (h[13] << 8)), height = int16_t(h[14] | (h[15] << 8));
    if (width < 0 || height < 0 || size_t(width) * size_t(height) > kMaxPixels) {
        e.error = TGA_NO_PIXEL_MEMORY;
        return e;
    }
    if (type != 2 && type != 10) e.error = TGA_BAD_IMAGE_TYPE;
    else if (bits != 16 && bits != 24 && bits != 32) e.error = TGA_BAD_PIXEL_DEPTH;
    else if (mapType > 1) e.error = TGA_BAD_COLOURMAP_TYPE;
    else if (size < kHeaderBytes) e.error = TGA_END_OF_FILE;
    if (e.error != TGA_OK) return e;

    size_t pos = kHeaderBytes + h[0];
    if (mapType == 1) pos += size_t(h[5] | (h[6] << 8)) * ((h[7] + 7) / 8);
    const int bytes = bits / 8;
    const size_t total = size_t(width) * size_t(height);
    auto have = [&](size_t n) { return pos <= size && size - pos >= n; };
    auto fail = [&]() {
        e.error = TGA_END_OF_FILE;
        e.pixel = long(e.pixels.size());
        return e;
    };
    while (e.pixels.size() < total) {
        if (type == 2) {
            if (!have(bytes)) return fail();
            e.pixels.push_back(merge(data + pos, bytes));
            pos += bytes;
            continue;
        }
        if (!have(bytes + 1)) return fail();
        uint8_t header = data[pos];
        PIXEL first = merge(data + pos + 1, bytes);
        pos += bytes + 1;
        e.pixels.push_back(first);
        for (int j = 0; j < (header & 0x7F) && e.pixels.size() < total; ++j) {
            if (header & 0x80) {
                e.pixels.push_back(first);
            } else {
                if (!have(bytes)) return fail();
                e.pixels.push_back(merge(data + pos, bytes));
                pos += bytes;
            }
        }
    }
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static unsigned char empty[1];
    FILE *file = fmemopen(size ? const_cast<uint8_t *>(data) : empty, size, "rb");
    if (!file) return 0;
    // Vary the read size with the input so refills land at every offset.
    size_t chunk = kTgaMinChunk + size % 61;
    TgaImage image;
    TgaStatus status = decodeTga(file, &image, kMaxPixels, chunk);
    fclose(file);

    Expected expected = referenceDecode(data, size);
    if (status.error != expected.error) abort();
    if (status.error == TGA_END_OF_FILE && status.pixel != expected.pixel) abort();
    if (status.error == TGA_OK) {
        size_t total = size_t(image.width) * size_t(image.height);
        if (expected.pixels.size() != total) abort();
        if (total && memcmp(image.pixels, expected.pixels.data(), total * sizeof(PIXEL)) != 0) abort();
    } else if (image.pixels != nullptr) {
        abort();
    }
    free(image.pixels);
    return 0;
}
