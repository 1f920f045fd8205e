// Runs one image-module entry point on a file so that tests can check its
// messages and exit status on the real streams of a real process.
//   tga_probe tga FILE      readTga; prints "W H" and the pixels (hex RGBA)
//   tga_probe bmp FILE      ImageLoad; its own reports go to stdout; the
//                           result, data (hex) and a file left open to stderr
//   tga_probe texture FILE  LoadTexture (only its failure paths run without GL)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "tex.h"

static void printHex(FILE *stream, const unsigned char *bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) fprintf(stream, "%02x", bytes[i]);
    fputc('\n', stream);
}

int main(int argc, char **argv) {
    const char *mode = argc == 3 ? argv[1] : "";
    if (strcmp(mode, "tga") == 0) {
        TgaImage *image = readTga(argv[2]);
        printf("%d %d\n", image->width, image->height);
        printHex(stdout, reinterpret_cast<const unsigned char *>(image->pixels),
                 size_t(image->width) * size_t(image->height) * sizeof(PIXEL));
        freeTga(image);
    } else if (strcmp(mode, "bmp") == 0) {
        Image image{};
        int lowestFree = dup(STDERR_FILENO);   // taken by a file ImageLoad leaves open
        close(lowestFree);
        int loaded = ImageLoad(argv[2], &image);
        fflush(stdout);
        fprintf(stderr, "result %d\n", loaded);
        if (dup(STDERR_FILENO) != lowestFree) fprintf(stderr, "file left open\n");
        if (loaded) printHex(stderr, image.data, image.sizeX * image.sizeY * 3);
        free(image.data);
    } else if (strcmp(mode, "texture") == 0) {
        LoadTexture(argv[2], 1);
    } else {
        fprintf(stderr, "usage: tga_probe tga|bmp|texture FILE\n");
        return 2;
    }
    return 0;
}
