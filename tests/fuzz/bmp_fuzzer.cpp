// Crash guard for loadBmp (what ImageLoad runs) under the sanitizers.
// Inputs whose header names a pixel block of 16 MiB to 2^64 bytes are
// passed over, so that the run explores loading rather than the allocator.
#include <cstdint>
#include <cstdlib>

#include "tex.h"

namespace {

uint64_t le32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint64_t(p[3]) << 24; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const unsigned __int128 kMaxBytes = 1 << 24;
    if (size >= 26) {
        unsigned __int128 bytes = (unsigned __int128)le32(data + 18) * le32(data + 22) * 3;
        if (bytes > kMaxBytes && bytes <= UINT64_MAX) return 0;
    }
    static unsigned char empty[1];
    FILE *file = fmemopen(size ? const_cast<uint8_t *>(data) : empty, size, "rb");
    if (!file) return 0;
    Image image{};
    int loaded = loadBmp(file, "fuzz.bmp", &image);
    fclose(file);
    if (!loaded && image.data != nullptr) abort();
    free(image.data);
    return 0;
}
