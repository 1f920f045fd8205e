// TGA reader: uncompressed (type 2) and run-length encoded (type 10)
// true-colour images of 16, 24 or 32 bits per pixel, decoded into RGBA.
//
// The file is read in large chunks and whole spans of pixels are converted at
// once; a packet that runs past the end of the image is clipped to it.
#include "tex.h"

#include "regular_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

// The 32-bit pixel conversion works on whole little-endian words.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian host expected");

namespace {

const size_t kHeaderBytes = 18;
const int kTypeTrueColour = 2;
const int kTypeTrueColourRle = 10;
const unsigned char kRunPacketBit = 0x80;
const unsigned char kPacketCountMask = 0x7F;

// A forward-only view of the file through a fixed buffer.
struct ByteReader {
    FILE *file;
    unsigned char *buffer;
    size_t capacity;
    size_t pos;  // next unread byte in buffer
    size_t len;  // bytes held in buffer
};

size_t unread(const ByteReader *r) { return r->len - r->pos; }

// Makes at least `need` (<= capacity) unread bytes available, reading more of
// the file if necessary. Returns false if the file ends first.
bool ensure(ByteReader *r, size_t need) {
    if (unread(r) >= need) return true;
    size_t kept = unread(r);
    memmove(r->buffer, r->buffer + r->pos, kept);
    r->pos = 0;
    r->len = kept + fread(r->buffer + kept, 1, r->capacity - kept, r->file);
    return r->len >= need;
}

// Copies up to `n` bytes into dst; returns how many the file had.
size_t readBytes(ByteReader *r, unsigned char *dst, size_t n) {
    size_t done = 0;
    while (done < n && ensure(r, 1)) {
        size_t take = std::min(n - done, unread(r));
        memcpy(dst + done, r->buffer + r->pos, take);
        r->pos += take;
        done += take;
    }
    return done;
}

// Discards up to `n` bytes (fewer if the file ends).
void skipBytes(ByteReader *r, size_t n) {
    while (n > 0 && ensure(r, 1)) {
        size_t take = std::min(n, unread(r));
        r->pos += take;
        n -= take;
    }
}

int le16(const unsigned char *p) { return p[0] | (p[1] << 8); }

// Fills the header fields from the 18 stored bytes (missing bytes are 0).
void parseHeader(const unsigned char *h, TgaImage *image) {
    image->idlength = h[0];
    image->colourmaptype = h[1];
    image->datatypecode = h[2];
    image->colourmaporigin = static_cast<short>(le16(h + 3));
    image->colourmaplength = static_cast<unsigned short>(le16(h + 5));
    image->colourmapdepth = h[7];
    image->x_origin = static_cast<short>(le16(h + 8));
    image->y_origin = static_cast<short>(le16(h + 10));
    image->width = static_cast<short>(le16(h + 12));
    image->height = static_cast<short>(le16(h + 14));
    image->bitsperpixel = h[16];
    image->imagedescriptor = h[17];
}

// Each stored form becomes one RGBA pixel as a little-endian word
// (r in the low byte), so that the conversion loops store whole words.
inline uint32_t rgbaWord(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return r | (g << 8) | (b << 16) | (a << 24);
}

// B,G,R,A loaded as one word: swap its bytes 0 and 2.
inline uint32_t word32(const unsigned char *p) {
    uint32_t v;
    memcpy(&v, p, sizeof v);
    return (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
}

inline uint32_t word24(const unsigned char *p) { return rgbaWord(p[2], p[1], p[0], 255); }

// A1R5G5B5 (bit 15 attribute, 14-10 red, 9-5 green, 4-0 blue): each 5-bit
// channel is widened by a shift alone (full = 248) and the attribute bit
// becomes alpha 0 or 128.
inline uint32_t word16(const unsigned char *p) {
    uint32_t v = p[0] | (p[1] << 8);
    return rgbaWord((v >> 7) & 0xF8, (v >> 2) & 0xF8, (v << 3) & 0xF8, (v >> 8) & 0x80);
}

template <uint32_t (*word)(const unsigned char *), int bytes>
inline void convertLoop(PIXEL *__restrict dst, const unsigned char *__restrict src, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        uint32_t v = word(src + bytes * i);
        memcpy(dst + i, &v, sizeof v);
    }
}

// Converts `count` stored pixels of `bytes` bytes each. The loops vectorise;
// on x86-64 an AVX2 variant is chosen at load time where the CPU has it,
// since byte shuffles make the 24-bit loop several times faster.
#if defined(__x86_64__)
__attribute__((target_clones("avx2", "default")))
#endif
void convertSpan(PIXEL *__restrict dst, const unsigned char *__restrict src, size_t count, int bytes) {
    switch (bytes) {
    case 4: convertLoop<word32, 4>(dst, src, count); break;
    case 3: convertLoop<word24, 3>(dst, src, count); break;
    case 2: convertLoop<word16, 2>(dst, src, count); break;
    }
}

// Converts stored pixels into pixels[*n] .. pixels[end - 1], refilling the
// buffer as needed. On a short file returns false with *n the pixel that
// could not be read whole.
bool readSpan(ByteReader *r, PIXEL *pixels, size_t *n, size_t end, int bytes) {
    while (*n < end) {
        if (!ensure(r, bytes)) return false;
        size_t count = std::min(end - *n, unread(r) / bytes);
        convertSpan(pixels + *n, r->buffer + r->pos, count, bytes);
        r->pos += count * bytes;
        *n += count;
    }
    return true;
}

// Decodes run-length packets until `total` pixels are set. Each packet is a
// header byte and one pixel value, read together; a run repeats the value,
// a raw packet is followed by its further values. Packets are clipped to
// the image.
bool readPackets(ByteReader *r, PIXEL *pixels, size_t *n, size_t total, int bytes) {
    while (*n < total) {
        if (!ensure(r, bytes + 1)) return false;
        unsigned char header = r->buffer[r->pos++];
        size_t count = std::min<size_t>((header & kPacketCountMask) + 1, total - *n);
        if (header & kRunPacketBit) {
            PIXEL value;
            convertSpan(&value, r->buffer + r->pos, 1, bytes);
            r->pos += bytes;
            std::fill_n(pixels + *n, count, value);
            *n += count;
        } else if (!readSpan(r, pixels, n, *n + count, bytes)) {
            return false;
        }
    }
    return true;
}

// Bytes between the header and the pixel data: the image ID and, if present,
// the colour map with every entry rounded up to whole bytes.
size_t skipOver(const TgaImage *image) {
    size_t skip = image->idlength;
    if (image->colourmaptype == 1)
        skip += size_t(image->colourmaplength) * ((image->colourmapdepth + 7) / 8);
    return skip;
}

TgaError checkFormat(const TgaImage *image) {
    if (image->datatypecode != kTypeTrueColour && image->datatypecode != kTypeTrueColourRle)
        return TGA_BAD_IMAGE_TYPE;
    if (image->bitsperpixel != 16 && image->bitsperpixel != 24 && image->bitsperpixel != 32)
        return TGA_BAD_PIXEL_DEPTH;
    if (image->colourmaptype > 1) return TGA_BAD_COLOURMAP_TYPE;
    return TGA_OK;
}

// Allocates the cleared pixel array. Negative sizes (including stored values
// above 32767) are refused; a zero-size image gets a one-pixel block so that
// a successful decode always has an array to free.
PIXEL *allocatePixels(const TgaImage *image) {
    if (image->width < 0 || image->height < 0) return nullptr;
    size_t count = size_t(image->width) * size_t(image->height);
    return static_cast<PIXEL *>(calloc(std::max<size_t>(count, 1), sizeof(PIXEL)));
}

TgaStatus decodeWith(ByteReader *r, TgaImage *image) {
    unsigned char header[kHeaderBytes] = {};
    bool headerWhole = readBytes(r, header, kHeaderBytes) == kHeaderBytes;
    parseHeader(header, image);
    image->pixels = nullptr;

    PIXEL *pixels = allocatePixels(image);
    if (!pixels) return {TGA_NO_PIXEL_MEMORY, 0};
    TgaError format = checkFormat(image);
    if (format == TGA_OK && !headerWhole) format = TGA_END_OF_FILE;
    if (format != TGA_OK) {
        free(pixels);
        return {format, 0};
    }

    skipBytes(r, skipOver(image));
    int bytes = image->bitsperpixel / 8;
    size_t total = size_t(image->width) * size_t(image->height);
    size_t n = 0;
    bool whole = image->datatypecode == kTypeTrueColour
                     ? readSpan(r, pixels, &n, total, bytes)
                     : readPackets(r, pixels, &n, total, bytes);
    if (!whole) {
        free(pixels);
        return {TGA_END_OF_FILE, static_cast<long>(n)};
    }
    image->pixels = pixels;
    return {TGA_OK, 0};
}

[[noreturn]] void failTga() { exit(-1); }

}  // namespace

void MergeBytes(PIXEL *pixel, const unsigned char *p, int bytes) {
    if (bytes == 4 || bytes == 3 || bytes == 2) convertSpan(pixel, p, 1, bytes);
}

TgaStatus decodeTga(FILE *file, TgaImage *image) {
    unsigned char buffer[kTgaReadChunk];
    ByteReader reader{file, buffer, kTgaReadChunk, 0, 0};
    return decodeWith(&reader, image);
}

std::string tgaErrorMessage(TgaStatus status) {
    switch (status.error) {
    case TGA_OK: return "";
    case TGA_NO_PIXEL_MEMORY: return "malloc of image failed\n";
    case TGA_BAD_IMAGE_TYPE: return "Can only handle image type 2 and 10\n";
    case TGA_BAD_PIXEL_DEPTH: return "Can only handle pixel depths of 16, 24, and 32\n";
    case TGA_BAD_COLOURMAP_TYPE: return "Can only handle colour map types of 0 and 1\n";
    case TGA_END_OF_FILE:
        return "Unexpected end of file at pixel " + std::to_string(status.pixel) + "\n";
    }
    return "";
}

TgaImage *readTga(std::string filename) {
    fprintf(stderr, "%s\n", filename.c_str());
    TgaImage *image = static_cast<TgaImage *>(malloc(sizeof(TgaImage)));
    if (!image) {
        perror("malloc");
        failTga();
    }
    FILE *file = openRegularFile(filename.c_str());
    if (!file) {
        perror("File open failed");
        failTga();
    }
    TgaStatus status = decodeTga(file, image);
    fclose(file);
    if (status.error != TGA_OK) {
        fputs(tgaErrorMessage(status).c_str(), stderr);
        free(image);
        failTga();
    }
    return image;
}

void freeTga(TgaImage *image) {
    if (!image) return;
    free(image->pixels);
    free(image);
}
