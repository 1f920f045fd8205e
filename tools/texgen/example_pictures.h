// The generated textures as ordinary pictures, in the layout the importer
// reads, for changing and importing again.
#ifndef EXAMPLE_PICTURES_H
#define EXAMPLE_PICTURES_H

#include <filesystem>

#include "render.h"

// Writes every set as PNG pictures under root/<set>/, the facades and room
// surfaces read from the given textures (by set), the furniture and the
// dressing painted; false on failure.
bool writePicturesOf(const std::filesystem::path &root, const RgbaImage facades[], const Cube cubes[]);

// The same for the generated textures.
bool writeExamplePictures(const std::filesystem::path &root);

#endif
