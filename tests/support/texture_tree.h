// The viewer's texture tree as the tests walk it: seven sets of seven images
// each, read from textures/<set>/<file>.tga. File 0 is the exterior; file
// 1 + k is uploaded to GL_TEXTURE_CUBE_MAP_POSITIVE_X + k.
#ifndef TEXTURE_TREE_H
#define TEXTURE_TREE_H

#include "texture_layout.h"

using texlayout::kSetNames;
const char *const kSetFiles[1 + texlayout::kSlotCount] = {
    texlayout::kFacadeFile,  texlayout::kSlotFiles[0], texlayout::kSlotFiles[1],
    texlayout::kSlotFiles[2], texlayout::kSlotFiles[3], texlayout::kSlotFiles[4],
    texlayout::kSlotFiles[5]};

#endif
