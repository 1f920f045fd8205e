// The furnished rooms, four styles per building face, as cube-map contents.
#ifndef ROOMS_H
#define ROOMS_H

#include "paint.h"
#include "texture_layout.h"

// Colour of room style `style` of set `set` (0..5) seen from the room's
// centre along direction d (any length) that meets a wall, the floor or the
// ceiling. `aa` is one texel in room units (the room spans -1..1 on each
// axis).
Color roomSurfaceTexel(int set, int style, texlayout::Dir3 d, double aa);
// The sheet of set `set` along d, which points into the face that looks
// out through the facade.
Color roomSheetTexel(int set, texlayout::Dir3 d, double aa);

// Colour c (alpha: opacity) at point (x, y) of a sheet cell, each -1..1
// over the square the shader reads, as the sheet stores it: alpha turned
// into "the room shows through", and clear outside the square. `texel` is
// one texel in face coordinates.
Color asSheetCell(Color c, double x, double y, double texel);

#endif
