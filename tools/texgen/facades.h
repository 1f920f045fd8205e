// The six building facades (2D, with transparent glass) and the unused 2D
// image of the world set.
#ifndef FACADES_H
#define FACADES_H

#include "paint.h"

// Colour of building face `set` (0..5) at facade coordinates (s, t) in
// [0, 1], t = 0 at the bottom. `aa` is one texel in those units.
Color facadeTexel(int set, double s, double t, double aa);

// The world set's 2D image, which the sky never shows: a plain tile.
Color worldPlateTexel(double s, double t);

#endif
