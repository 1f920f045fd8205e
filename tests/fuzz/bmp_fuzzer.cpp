// Fuzz target for loadBmp, the loading code ImageLoad runs, over an
// in-memory stream. The pixel block is capped (larger sizes fail as an
// allocation failure would) so that a tiny input naming a 4-billion-row
// image is refused quickly instead of exhausting memory; 64-bit overflow of
// the size is refused before the cap applies. A successful load must return
// the file's pixel bytes with red and blue swapped.
#include <cstdint>
#include <cstdlib>

#include "tex.h"

namespace {

const uint64_t kMaxBytes = uint64_t(1) << 24;
const size_t kPixelOffset = 54;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static unsigned char empty[1];
    FILE *file = fmemopen(size ? const_cast<uint8_t *>(data) : empty, size, "rb");
    if (!file) return 0;
    Image image{};
    int loaded = loadBmp(file, "fuzz.bmp", &image, kMaxBytes);
    fclose(file);
    if (!loaded) {
        if (image.data) abort();
        return 0;
    }
    uint64_t bytes = image.sizeX * image.sizeY * 3;
    if (bytes == 0 || kPixelOffset + bytes > size) abort();
    const uint8_t *stored = data + kPixelOffset;
    for (uint64_t i = 0; i + 2 < bytes; i += 3) {
        if (image.data[i] != stored[i + 2] || image.data[i + 1] != stored[i + 1] ||
            image.data[i + 2] != stored[i])
            abort();
    }
    free(image.data);
    return 0;
}
