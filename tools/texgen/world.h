// The world around the building: sky, sun, clouds, hills and ground.
#ifndef WORLD_H
#define WORLD_H

#include "paint.h"
#include "texture_layout.h"

// Colour of the world seen along direction d (any length). Computed from
// the direction alone, so the six cube-map faces meet without seams.
Color worldTexel(texlayout::Dir3 d);

#endif
