// Image loading: the TGA reader, the BMP loader and the checkerboard texture.
//
// The decoders (decodeTga, loadBmp) report failure to their caller and never
// end the process; readTga, ImageLoad and LoadTexture are the thin wrappers
// that print the messages and exit. Only LoadTexture and init_tex touch GL.
#ifndef TEX_H
#define TEX_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// ---------------------------------------------------------------------------
// TGA reader
// ---------------------------------------------------------------------------

// One RGBA pixel, laid out as GL reads GL_RGBA / GL_UNSIGNED_BYTE.
struct PIXEL {
    unsigned char r, g, b, a;
};

// A decoded TGA file: its 18-byte header, field by field in file order,
// followed by the decoded pixels (width * height, in stored order).
struct TgaImage {
    unsigned char idlength;
    unsigned char colourmaptype;
    unsigned char datatypecode;
    short colourmaporigin;
    unsigned short colourmaplength;
    unsigned char colourmapdepth;
    short x_origin;
    short y_origin;
    short width;
    short height;
    unsigned char bitsperpixel;
    unsigned char imagedescriptor;
    PIXEL *pixels;
};

// Why decoding stopped; each failure has its own message (tgaErrorMessage).
enum TgaError {
    TGA_OK = 0,
    TGA_NO_PIXEL_MEMORY,     // negative size, or the pixel array not allocated
    TGA_BAD_IMAGE_TYPE,      // not type 2 or 10
    TGA_BAD_PIXEL_DEPTH,     // not 16, 24 or 32 bits per pixel
    TGA_BAD_COLOURMAP_TYPE,  // colour map type not 0 or 1
    TGA_END_OF_FILE          // the data ran out; see TgaStatus::pixel
};

// Outcome of decodeTga. For TGA_END_OF_FILE, `pixel` is the index of the
// pixel being read when the data ran out.
struct TgaStatus {
    TgaError error;
    long pixel;
};

// Bytes read from the file at a time.
const size_t kTgaReadChunk = 64 * 1024;

// Decodes the TGA image read from `file` (at its current position) into
// `image`: the header fields, then on success a new pixel array in
// image->pixels. On failure image->pixels is null and nothing is printed.
TgaStatus decodeTga(FILE *file, TgaImage *image);

// The exact text readTga writes to standard error for a failed decode.
std::string tgaErrorMessage(TgaStatus status);

// Decodes a true-colour TGA file (types 2 and 10; 16, 24 or 32 bits). Writes
// the file name to standard error first. On any failure it prints the reason
// and ends the process with status -1; it never returns a partial image.
// Only a regular file is opened (see openRegularFile); anything else fails
// as an open does, "File open failed: Is a directory" for a directory.
TgaImage *readTga(std::string filename);

// Releases an image that readTga returned.
void freeTga(TgaImage *image);

// Converts one stored pixel of `bytes` bytes (4: B,G,R,A; 3: B,G,R;
// 2: little-endian A1R5G5B5) into `pixel`. Other counts leave it unchanged.
void MergeBytes(PIXEL *pixel, const unsigned char *p, int bytes);

// ---------------------------------------------------------------------------
// BMP loader
// ---------------------------------------------------------------------------

// A 24-bit BMP's size and its pixels as R, G, B bytes, rows bottom-up.
struct Image {
    uint64_t sizeX;
    uint64_t sizeY;
    unsigned char *data;
};

// The next four (two) bytes of `file` as an unsigned little-endian value;
// bytes past the end of the file count as 0.
unsigned int getint(FILE *file);
unsigned int getshort(FILE *file);

// Loads an uncompressed 24-bit BMP from an open file into `image`, printing
// its reports (naming `filename`) to standard output. Returns 1 on success,
// 0 on failure; never closes `file`.
int loadBmp(FILE *file, const char *filename, Image *image);

// Opens `filename` (a regular file only, see openRegularFile) and loads it
// with loadBmp; closes the file on every path.
int ImageLoad(const char *filename, Image *image);

// Loads a BMP into TextureImage and uploads it to GL texture `texID`
// (nearest filtering). Ends the process with status 1 on any failure.
void LoadTexture(const char *image_file, int texID);

// The Image most recently allocated by LoadTexture.
extern Image *TextureImage;

// ---------------------------------------------------------------------------
// Checkerboard texture
// ---------------------------------------------------------------------------

// One checkerboard pixel.
struct RGB {
    unsigned char r, g, b;
};

// The checkerboard of the last makeCheckerBoard call (nRows * nCols pixels).
extern RGB *pixel;

// Fills `pixel` with 8x8 black and white squares, black at the origin.
void makeCheckerBoard(int nRows, int nCols);

// Uploads the 64x64 checkerboard to the default 2D texture (clamped, nearest).
// Expects makeCheckerBoard(64, 64) to have run.
void init_tex();

#endif
