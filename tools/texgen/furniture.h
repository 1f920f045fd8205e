// Furniture for the rooms' cut-out layer: four pieces per room set, which
// the shader pair stands at a depth of each room's own in front of its back
// wall; and the blinds and curtains it hangs behind the windows.
#ifndef FURNITURE_H
#define FURNITURE_H

#include "paint.h"

constexpr int kPiecesPerRoomSet = 4;

// Piece `piece` (0..3) of room set `set` (0..5) at (x, y) in the room's box,
// x across it and y up, both -1..1 (the floor at y = -1). Alpha is the
// piece's coverage: 0 where the room behind shows. `aa` is one texel.
Color furnitureTexel(int set, int piece, double x, double y, double aa);

// The dressing at a room's window, drawn closed and opaque: a blind of
// slats over one window, at height y (-1 at the sill, 1 at the top), or
// curtains over the room's width, at x (-1..1; `second`: the other pair).
Color blindTexel(double y);
Color curtainTexel(bool second, double x);

#endif
