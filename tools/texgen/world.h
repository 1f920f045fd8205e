// The world around the building: sky, sun, clouds, hills and ground.
#ifndef WORLD_H
#define WORLD_H

#include "paint.h"
#include "texture_layout.h"

// Colour of the world seen along direction d (any length), computed from
// the direction alone so that the cube-map faces meet without seams; on the
// -Y face, the ground tile instead. `aa` is one texel in face coordinates
// (-1..1 across a face).
Color worldTexel(texlayout::Dir3 d, double aa);

#endif
