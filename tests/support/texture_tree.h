// The viewer's texture tree: seven sets of seven images each, read from
// textures/<set>/<file>.tga. File 0 is the exterior; file 1 + k is uploaded
// to GL_TEXTURE_CUBE_MAP_POSITIVE_X + k (so "negy" is the +Y face).
#ifndef TEXTURE_TREE_H
#define TEXTURE_TREE_H

const char *const kSetNames[7] = {"right", "left", "top", "bottom", "front", "back", "world"};
const char *const kSetFiles[7] = {"exterior", "posx", "negx", "negy", "posy", "posz", "negz"};

#endif
