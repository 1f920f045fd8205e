// Runs one image-module entry point on a file so that tests can check its
// messages and exit status on the real streams of a real process.
//   tga_probe tga FILE      readTga; prints "W H" and the pixels (hex RGBA)
//   tga_probe bmp FILE      ImageLoad; its own reports go to stdout, the
//                           result and data (hex) to stderr
//   tga_probe texture FILE  LoadTexture (only its failure paths run without GL)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tex.h"

namespace {

void printHex(FILE *stream, const unsigned char *bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) fprintf(stream, "%02x", bytes[i]);
    fputc('\n', stream);
}

int probeTga(const char *path) {
    TgaImage *image = readTga(path);
    printf("%d %d\n", image->width, image->height);
    printHex(stdout, reinterpret_cast<const unsigned char *>(image->pixels),
             size_t(image->width) * size_t(image->height) * sizeof(PIXEL));
    freeTga(image);
    return 0;
}

int probeBmp(const char *path) {
    Image image{};
    int loaded = ImageLoad(path, &image);
    fflush(stdout);
    fprintf(stderr, "result %d\n", loaded);
    if (loaded) printHex(stderr, image.data, image.sizeX * image.sizeY * 3);
    free(image.data);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: tga_probe tga|bmp|texture FILE\n");
        return 2;
    }
    if (strcmp(argv[1], "tga") == 0) return probeTga(argv[2]);
    if (strcmp(argv[1], "bmp") == 0) return probeBmp(argv[2]);
    if (strcmp(argv[1], "texture") == 0) {
        LoadTexture(argv[2], 1);
        return 0;
    }
    fprintf(stderr, "unknown mode %s\n", argv[1]);
    return 2;
}
