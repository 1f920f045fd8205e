// Turning texel functions into images, and the generated texture tree.
#ifndef RENDER_H
#define RENDER_H

#include "paint.h"
#include "picture.h"
#include "texture_layout.h"
#include "tga_write.h"

#include <filesystem>
#include <functional>

// Colour at (s, t) in [0, 1]; s runs along a row, t down the rows.
using TexelFn = std::function<Color(double s, double t)>;
// Colour along a direction from a cube map's centre.
using DirectionFn = std::function<Color(texlayout::Dir3)>;

unsigned char toByte(double x);

// A width x height image of f averaged over four points of each texel on a
// rotated grid, so that painted detail averages out instead of aliasing.
RgbaImage renderPainted(int width, int height, const TexelFn &f);
// The same with taps x taps points on an even grid in each texel (one
// point, the texel's centre, for taps = 1), for sampling pictures: a
// picture of the image's own size comes through unchanged.
RgbaImage renderSampled(int width, int height, int taps, const TexelFn &f);

// Cube-map face `slot` of size x size texels, each texel coloured by the
// direction it stands for.
RgbaImage renderPaintedFace(int slot, int size, const DirectionFn &f);
RgbaImage renderSampledFace(int slot, int size, int taps, const DirectionFn &f);

// The generated textures' texels: the world along a direction, and a set's
// facade at (s, t), t = 0 at the bottom.
Color generatedWorldTexel(texlayout::Dir3 d);
Color generatedFacadeTexel(int set, double s, double t);

// A cube map as stored: six faces by slot, rows in the order GL reads them.
struct Cube {
    RgbaImage faces[texlayout::kSlotCount];
};
// The cube map's colour along d, as OpenGL samples it within a face.
Color cubeColor(const Cube &cube, texlayout::Dir3 d);

// --- room styles (texture_layout.h) ---

// Face `slot` of building set `set`'s room map from each style's own view
// of that face (kRoomStyles images of one size, a multiple of
// kStyleQuadrantUnit, by style): each in its quadrant, its edge texels
// repeated over the strips around it.
RgbaImage styledFace(int set, int slot, const RgbaImage views[]);
// Style `style`'s colour along d of a room map of set `set`, as the shader
// pair reads it.
Color styledCubeColor(const Cube &cube, int set, int style, texlayout::Dir3 d);

// Reads a texture file, or a set's cube map under root; false, with a
// message, if a file cannot be read.
bool readTexture(const std::filesystem::path &path, RgbaImage *image);
bool readCube(const std::filesystem::path &root, int set, Cube *cube);

// The image with its rows in the opposite order.
RgbaImage flippedRows(const RgbaImage &image);

// Runs job(0) ... job(count - 1) on as many threads as the machine has
// cores; false if any job failed.
bool runJobs(int count, const std::function<bool(int)> &job);

// Creates root/<set> for every set; false (with a message) on failure.
bool makeSetDirectories(const std::filesystem::path &root);

// The path of a set's facade (file -1) or cube-map face `file` under root.
std::filesystem::path texturePath(const std::filesystem::path &root, int set, int file);

// One generated image of a set (file as for texturePath), and the same
// written to its file under root.
RgbaImage generatedImage(int set, int file);
bool writeGeneratedImage(const std::filesystem::path &root, int set, int file);
// Writes all 49 generated images under root.
bool writeGeneratedTree(const std::filesystem::path &root);

#endif
