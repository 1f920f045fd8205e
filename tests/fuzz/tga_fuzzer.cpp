// Crash guard for decodeTga (what readTga runs) under the sanitizers.
// Inputs whose header asks for more than 2^18 pixels are passed over, so
// that the run explores decoding rather than the allocator.
#include <cstdint>
#include <cstdlib>

#include "tex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const long kMaxPixels = 1 << 18;
    if (size >= 16) {
        long width = int16_t(data[12] | data[13] << 8), height = int16_t(data[14] | data[15] << 8);
        if (width > 0 && height > 0 && width * height > kMaxPixels) return 0;
    }
    static unsigned char empty[1];
    FILE *file = fmemopen(size ? const_cast<uint8_t *>(data) : empty, size, "rb");
    if (!file) return 0;
    TgaImage image;
    TgaStatus status = decodeTga(file, &image);
    fclose(file);
    if (status.error != TGA_OK && image.pixels != nullptr) abort();
    free(image.pixels);
    return 0;
}
