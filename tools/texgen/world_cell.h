// What the textures carry of the world: the world cell of each building
// set's sheet (its sky copy, the sun's direction and light beside the far
// colour) and the world map's own sun in the alpha of its -Y face. The
// layout is texture_layout.h's; this is the writing and reading of it.
#ifndef WORLD_CELL_H
#define WORLD_CELL_H

#include "paint.h"
#include "render.h"
#include "texture_layout.h"

#include <filesystem>

// The world as the building sets see it: its colour by direction (any
// length) and its sun.
struct WorldLight {
    DirectionFn sky;
    texlayout::SunRecord sun;
};

// The world cell of building set `set` at cell point (x, y), as
// texture_layout.h lays it out; `far` is the set's far colour and `texel`
// one texel in cell units.
Color worldCellTexel(int set, double x, double y, double texel, Color far, const WorldLight &world);

// Sets the alpha of the world map's -Y face to carry the sun and whether
// the face is a ground tile.
void stampWorldPatches(RgbaImage *minusYFace, const texlayout::SunRecord &sun, bool groundTiled);

// Whether the world map's -Y face is stamped as a ground tile.
bool groundTiledIn(const Cube &world);

// The sun as a tree's cube maps carry it (`cubes` by set): its direction
// and shadow from the world map, its light from the first building set.
texlayout::SunRecord sunCarriedBy(const Cube cubes[]);

// The generated world and its sun (where the viewer's light is).
WorldLight generatedWorld();

// Writes the world cell of every building set under root from the world
// map (as written there, already stamped) and the sun's light; false, with
// a message, on failure.
bool writeWorldIntoSets(const std::filesystem::path &root, const Cube &world, const texlayout::SunRecord &sun);

#endif
