#include "example_pictures.h"

#include "sun.h"
#include "world_cell.h"

#include "furniture.h"
#include "picture.h"
#include "render.h"

#include <cstdio>
#include <iterator>

namespace {

using texlayout::Dir3;

// Sizes of the pictures of a blind or curtains, which fill one cell.
constexpr int kDressingPictureSize = 128;

// A picture square with its first row on top: f(a, b) with a = -1..1 to
// the right and b = -1..1 upwards.
RgbaImage renderPicture(int size, const std::function<Color(double a, double b)> &f) {
    return renderPainted(size, size, [&](double s, double t) { return f(2.0 * s - 1.0, 1.0 - 2.0 * t); });
}

bool save(const std::filesystem::path &dir, const char *name, const RgbaImage &image) {
    const std::string path = (dir / name).string() + ".png";
    std::string why;
    if (writePicture(path, image, &why))
        return true;
    std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
    return false;
}

// The four pieces of a room set in the quarters of one picture, laid out
// as the sheet's corners, opaque where a piece stands.
Color furnitureQuarters(int set, double a, double b, double aa) {
    const int piece = (a >= 0.0 ? 1 : 0) + (b >= 0.0 ? 2 : 0);
    return furnitureTexel(set, piece, 2.0 * a - (a >= 0.0 ? 1.0 : -1.0),
                          2.0 * b - (b >= 0.0 ? 1.0 : -1.0), 2.0 * aa);
}

// A room surface's picture of style `style` through frame p, read from
// the set's cube map at the centres of its texels, so that the picture
// holds the map's own texels.
RgbaImage roomPicture(const Cube &cube, int set, int style, const texlayout::PictureFrame &p) {
    const int size = texlayout::styleQuadrantTexels(cube.faces[0].width);
    return renderSampled(size, size, 1, [&](double s, double t) {
        const Dir3 d = texlayout::combine(1.0, p.centre, 2.0 * s - 1.0, p.right, 1.0 - 2.0 * t, p.top);
        return styledCubeColor(cube, set, style, texlayout::inFacadeFrame(set, d));
    });
}

// Picture `k` of building set `set`: the room's surfaces in each style,
// then the facade, the furniture, the blind and the two curtains, the
// first two read from the set's `facade` and `cube`.
constexpr int kLayerPictures = 5;
constexpr int kStyledPictures = texlayout::kRoomPictureCount * texlayout::kRoomStyles;
bool writeBuildingPicture(const std::filesystem::path &dir, int set, int k, const RgbaImage &facade,
                          const Cube &cube) {
    const double aa = 2.0 / texlayout::kRoomFaceSize;
    if (k < kStyledPictures) {
        const int style = k / texlayout::kRoomPictureCount;
        const texlayout::PictureFrame &p = texlayout::kRoomPictures[k % texlayout::kRoomPictureCount];
        return save(dir, texlayout::stylePictureName(p.name, style).c_str(), roomPicture(cube, set, style, p));
    }
    switch (k - kStyledPictures) {
    case 0:   // the facade texture is stored bottom row first; a picture top first
        return save(dir, texlayout::kFacadePicture, flippedRows(facade));
    case 1:
        return save(dir, texlayout::kFurniturePicture,
                    renderPicture(texlayout::kRoomFaceSize,
                                  [&](double a, double b) { return furnitureQuarters(set, a, b, aa); }));
    case 2:
        return save(dir, "blind", renderPicture(kDressingPictureSize, [](double, double b) {
            return blindTexel(b);
        }));
    default: {
        const bool second = k - kStyledPictures == 4;
        return save(dir, second ? "curtains2" : "curtains",
                    renderPicture(kDressingPictureSize,
                                  [second](double a, double) { return curtainTexel(second, a); }));
    }
    }
}

// Picture `k` of the world: the sky box px ... nz, each face as seen from
// inside, the sky box's ny left out, then the ground tile seen from above
// (-Z on top), which stands for ny.
constexpr int kWorldPictures = texlayout::kSlotCount + 1;
bool writeWorldPicture(const std::filesystem::path &dir, int k, const Cube &cube) {
    if (k == texlayout::kMinusYSlot)
        return true;
    if (k < texlayout::kSlotCount)
        return save(dir, texlayout::kSkyPictures[k].name,
                    renderSampled(cube.faces[k].width, cube.faces[k].height, 1, [&](double u, double v) {
                        return cubeColor(cube, texlayout::skyPictureDirection(k, u, v));
                    }));
    return save(dir, texlayout::kGroundPicture, flippedRows(cube.faces[texlayout::kMinusYSlot]));
}

} // namespace

bool writeExamplePictures(const std::filesystem::path &root) {
    // The generated textures first, in memory; the pictures are read from them.
    constexpr int kFilesPerSet = texlayout::kSlotCount + 1;
    RgbaImage facades[texlayout::kSetCount];
    Cube cubes[texlayout::kSetCount];
    runJobs(texlayout::kSetCount * kFilesPerSet, [&](int job) {
        const int set = texlayout::kSetCount - 1 - job / kFilesPerSet, file = job % kFilesPerSet - 1;
        (file < 0 ? facades[set] : cubes[set].faces[file]) = generatedImage(set, file);
        return true;
    });
    return writePicturesOf(root, facades, cubes);
}

// world/sun.txt with the sun that the textures carry, so that an import
// of the pictures keeps it.
bool writeSunFile(const std::filesystem::path &dir, const Cube cubes[]) {
    const texlayout::SunRecord sun = sunCarriedBy(cubes);
    std::FILE *file = std::fopen((dir / kSunFile).c_str(), "w");
    if (!file) {
        std::fprintf(stderr, "%s: cannot be written\n", (dir / kSunFile).c_str());
        return false;
    }
    if (sun.shadow < 0.5)
        std::fprintf(file, "none\n");
    else
        std::fprintf(file, "%.4f %.4f %.4f %.4f %.4f %.4f\n", sun.direction.x, sun.direction.y, sun.direction.z,
                     sun.light.r, sun.light.g, sun.light.b);
    return std::fclose(file) == 0;
}

bool writePicturesOf(const std::filesystem::path &root, const RgbaImage facades[], const Cube cubes[]) {
    constexpr int kPicturesPerSet = kStyledPictures + kLayerPictures;
    return makeSetDirectories(root) && writeSunFile(root / texlayout::kSetNames[texlayout::kWorldSet], cubes) &&
           runJobs(kWorldPictures + texlayout::kBuildingSets * kPicturesPerSet, [&](int job) {
               if (job < kWorldPictures)
                   return writeWorldPicture(root / texlayout::kSetNames[texlayout::kWorldSet], job,
                                            cubes[texlayout::kWorldSet]);
               const int set = (job - kWorldPictures) / kPicturesPerSet;
               return writeBuildingPicture(root / texlayout::kSetNames[set], set,
                                           (job - kWorldPictures) % kPicturesPerSet, facades[set], cubes[set]);
           });
}
