// GL uploads of the BMP and checkerboard textures.
#include "tex.h"

#include <GL/gl.h>
#include <cstdlib>

namespace {

const int kCheckerSize = 64;
const GLint kRgbComponents = 3;

}  // namespace

Image *TextureImage = nullptr;

void LoadTexture(const char *image_file, int texID) {
    TextureImage = static_cast<Image *>(malloc(sizeof(Image)));
    if (!TextureImage) {
        printf("Error allocating space for image");
        exit(1);
    }
    if (!ImageLoad(image_file, TextureImage)) exit(1);
    glBindTexture(GL_TEXTURE_2D, texID);
    glTexImage2D(GL_TEXTURE_2D, 0, kRgbComponents, static_cast<GLsizei>(TextureImage->sizeX),
                 static_cast<GLsizei>(TextureImage->sizeY), 0, GL_RGB, GL_UNSIGNED_BYTE,
                 TextureImage->data);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}

void init_tex() {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, kRgbComponents, kCheckerSize, kCheckerSize, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, pixel);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}
