// The seven texture sets: six building faces and the world around them.
#include "viewer.h"

#include "tex.h"
#include "texture_layout.h"

#include <string>

// The names are those of the texture contract; slot k is uploaded to
// GL_TEXTURE_CUBE_MAP_POSITIVE_X + k, and the Y pair is swapped there: the
// image named "negy" becomes the +Y face.
const char *wallnames[setCount] = {
    texlayout::kSetNames[0], texlayout::kSetNames[1], texlayout::kSetNames[2],
    texlayout::kSetNames[3], texlayout::kSetNames[4], texlayout::kSetNames[5],
    texlayout::kSetNames[6]};
const char *wall_axes[cubeSlots] = {
    texlayout::kSlotFiles[0], texlayout::kSlotFiles[1], texlayout::kSlotFiles[2],
    texlayout::kSlotFiles[3], texlayout::kSlotFiles[4], texlayout::kSlotFiles[5]};
static_assert(setCount == texlayout::kSetCount && cubeSlots == texlayout::kSlotCount,
              "the viewer's tables follow the texture contract");

GLuint *baseTexID;
TgaImage **baseTex;
GLuint *cubeTexID;
TgaImage ***cubeTex;

static std::string texturePath(int set, const char *name)
{
    return std::string("textures/") + wallnames[set] + "/" + name + texlayout::kTextureSuffix;
}

static void uploadImage(GLenum target, const TgaImage *image)
{
    glTexImage2D(target, 0, GL_RGBA, image->width, image->height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image->pixels);
}

// Nothing reads a decoded image once GL holds its copy.
static void releaseImage(TgaImage *&image)
{
    freeTga(image);
    image = NULL;
}

static void loadExterior(int set)
{
    glGenTextures(1, &baseTexID[set]);
    baseTex[set] = readTga(texturePath(set, texlayout::kFacadeFile));
    glBindTexture(GL_TEXTURE_2D, baseTexID[set]);
    uploadImage(GL_TEXTURE_2D, baseTex[set]);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    releaseImage(baseTex[set]);
}

static void loadCubeMap(int set)
{
    glGenTextures(1, &cubeTexID[set]);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeTexID[set]);
    cubeTex[set] = new TgaImage *[cubeSlots];

    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    for (int k = 0; k < cubeSlots; ++k) {
        cubeTex[set][k] = readTga(texturePath(set, wall_axes[k]));
        uploadImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + k, cubeTex[set][k]);
        releaseImage(cubeTex[set][k]);
    }
}

void loadTextureSets()
{
    baseTexID = new GLuint[setCount];
    baseTex = new TgaImage *[setCount];
    cubeTexID = new GLuint[setCount];
    cubeTex = new TgaImage **[setCount];

    for (int set = 0; set < setCount; ++set) {
        loadExterior(set);
        loadCubeMap(set);
    }
}
