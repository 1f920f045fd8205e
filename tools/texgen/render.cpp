#include "render.h"

#include "tex.h"

#include "facades.h"
#include "rooms.h"
#include "world.h"
#include "world_cell.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iterator>
#include <thread>
#include <vector>

namespace {

// Direction coordinates span 2 units across a cube face (-1..1).
constexpr double kCubeFaceSpan = 2.0;

// Four samples per texel on a rotated grid, as offsets in texels from its
// centre.
constexpr double kSubsamples[4][2] = {
    {0.125, 0.375}, {0.375, -0.125}, {-0.125, -0.375}, {-0.375, 0.125}};

template <typename Average>
RgbaImage renderWith(int width, int height, const Average &texel) {
    RgbaImage image = makeRgbaImage(width, height);
    unsigned char *out = image.rgba.data();
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const Color c = texel(i, j);
            *out++ = toByte(c.r);
            *out++ = toByte(c.g);
            *out++ = toByte(c.b);
            *out++ = toByte(c.a);
        }
    }
    return image;
}

TexelFn onFace(int slot, const DirectionFn &f) {
    return [slot, &f](double s, double t) { return f(texlayout::cubeFaceDirection(slot, s, t)); };
}

} // namespace

unsigned char toByte(double x) { return static_cast<unsigned char>(clamp01(x) * 255.0 + 0.5); }

RgbaImage renderPainted(int width, int height, const TexelFn &f) {
    return renderWith(width, height, [&](int i, int j) {
        Color sum{0.0, 0.0, 0.0, 0.0};
        for (const auto &o : kSubsamples)
            sum = add(sum, f((i + 0.5 + o[0]) / width, (j + 0.5 + o[1]) / height));
        return scaled(sum, 1.0 / std::size(kSubsamples));
    });
}

RgbaImage renderSampled(int width, int height, int taps, const TexelFn &f) {
    if (taps == 1) // the common case, a texel per pixel or fewer: one point at its centre
        return renderWith(width, height, [&](int i, int j) { return f((i + 0.5) / width, (j + 0.5) / height); });
    return renderWith(width, height, [&](int i, int j) {
        Color sum{0.0, 0.0, 0.0, 0.0};
        for (int b = 0; b < taps; ++b)
            for (int a = 0; a < taps; ++a)
                sum = add(sum, f((i + (a + 0.5) / taps) / width, (j + (b + 0.5) / taps) / height));
        return scaled(sum, 1.0 / (taps * taps));
    });
}

RgbaImage renderPaintedFace(int slot, int size, const DirectionFn &f) {
    return renderPainted(size, size, onFace(slot, f));
}

RgbaImage renderSampledFace(int slot, int size, int taps, const DirectionFn &f) {
    return renderSampled(size, size, taps, onFace(slot, f));
}

Color generatedWorldTexel(texlayout::Dir3 d) {
    return worldTexel(d, kCubeFaceSpan / texlayout::kWorldFaceSize);
}

Color generatedFacadeTexel(int set, double s, double t) {
    return facadeTexel(set, s, t, 1.0 / texlayout::kFacadeSize);
}

RgbaImage styledFace(int set, int slot, const RgbaImage views[]) {
    const int texels = views[0].width, side = texlayout::styledFaceSide(texels);
    // The style in each quadrant: [above the middle along s][along t].
    int styleIn[2][2] = {};
    for (int style = 0; style < texlayout::kRoomStyles; ++style) {
        const texlayout::CubeTexel c =
            texlayout::cubeTexelAt(texlayout::styledDirection(set, style, texlayout::kCubeFaces[slot].centre));
        styleIn[c.s > 0.5][c.t > 0.5] = style;
    }
    const auto inView = [&](int texel) {
        return std::clamp(texel - texlayout::styleQuadrantStart(side, 2 * texel >= side), 0, texels - 1);
    };
    RgbaImage face = makeRgbaImage(side, side);
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            const RgbaImage &view = views[styleIn[2 * i >= side][2 * j >= side]];
            std::copy_n(view.rgba.begin() + (static_cast<size_t>(inView(j)) * texels + inView(i)) * 4, 4,
                        face.rgba.begin() + (static_cast<size_t>(j) * side + i) * 4);
        }
    return face;
}

Color styledCubeColor(const Cube &cube, int set, int style, texlayout::Dir3 d) {
    return cubeColor(cube, texlayout::styledDirection(set, style, d));
}

Color cubeColor(const Cube &cube, texlayout::Dir3 d) {
    const texlayout::CubeTexel c = texlayout::cubeTexelAt(d);
    return samplePicture(cube.faces[c.slot], c.s, c.t);
}

RgbaImage flippedRows(const RgbaImage &image) {
    RgbaImage flipped = makeRgbaImage(image.width, image.height);
    const size_t row = static_cast<size_t>(image.width) * 4;
    for (int j = 0; j < image.height; ++j)
        std::copy_n(image.rgba.begin() + j * row, row, flipped.rgba.end() - (j + 1) * row);
    return flipped;
}

bool runJobs(int count, const std::function<bool(int)> &job) {
    std::atomic<int> next{0};
    std::atomic<bool> ok{true};
    const auto work = [&] {
        for (int k = next++; k < count; k = next++)
            if (!job(k))
                ok = false;
    };
    std::vector<std::thread> workers(std::max(1u, std::thread::hardware_concurrency()));
    for (std::thread &worker : workers)
        worker = std::thread(work);
    for (std::thread &worker : workers)
        worker.join();
    return ok;
}

bool makeSetDirectories(const std::filesystem::path &root) {
    for (int set = 0; set < texlayout::kSetCount; ++set) {
        std::error_code error;
        std::filesystem::create_directories(root / texlayout::kSetNames[set], error);
        if (error) {
            std::fprintf(stderr, "%s: %s\n", root.c_str(), error.message().c_str());
            return false;
        }
    }
    return true;
}

std::filesystem::path texturePath(const std::filesystem::path &root, int set, int file) {
    return root / texlayout::kSetNames[set] /
           (std::string(file < 0 ? texlayout::kFacadeFile : texlayout::kSlotFiles[file]) +
            texlayout::kTextureSuffix);
}

// Face `slot` of the generated room map of building set `set`: the sheet
// towards the facade, else the four styles' views of the face.
static RgbaImage generatedRoomFace(int set, int slot) {
    if (slot == set)
        return renderPaintedFace(slot, texlayout::kRoomFaceSize, [set](texlayout::Dir3 d) {
            return roomSheetTexel(set, d, kCubeFaceSpan / texlayout::kRoomFaceSize);
        });
    RgbaImage views[texlayout::kRoomStyles];
    for (int style = 0; style < texlayout::kRoomStyles; ++style)
        views[style] = renderPaintedFace(slot, texlayout::kRoomStyleTexels, [set, style](texlayout::Dir3 d) {
            return roomSurfaceTexel(set, style, d, kCubeFaceSpan / texlayout::kRoomStyleTexels);
        });
    return styledFace(set, slot, views);
}

RgbaImage generatedImage(int set, int file) {
    const bool world = set == texlayout::kWorldSet;
    if (file < 0)
        return world ? renderPainted(texlayout::kWorldPlateSize, texlayout::kWorldPlateSize, worldPlateTexel)
                     : renderPainted(texlayout::kFacadeSize, texlayout::kFacadeSize,
                                     [set](double s, double t) { return generatedFacadeTexel(set, s, t); });
    if (world) {
        RgbaImage face = renderPaintedFace(file, texlayout::kWorldFaceSize, generatedWorldTexel);
        if (file == texlayout::kMinusYSlot)
            stampWorldPatches(&face, texlayout::kGeneratedSun, true);
        return face;
    }
    return generatedRoomFace(set, file);
}

bool writeGeneratedImage(const std::filesystem::path &root, int set, int file) {
    return writeTga(texturePath(root, set, file).string(), generatedImage(set, file),
                    file < 0 ? TgaRowOrder::BottomFirst : TgaRowOrder::TopFirst);
}

bool writeGeneratedTree(const std::filesystem::path &root) {
    constexpr int kFilesPerSet = texlayout::kSlotCount + 1;
    return makeSetDirectories(root) &&
           runJobs(texlayout::kSetCount * kFilesPerSet, [&](int job) {
               // The world's large faces first, so that no thread is left
               // with one of them at the end.
               const int set = texlayout::kSetCount - 1 - job / kFilesPerSet;
               return writeGeneratedImage(root, set, job % kFilesPerSet - 1);
           });
}

bool readTexture(const std::filesystem::path &path, RgbaImage *image) {
    FILE *file = std::fopen(path.c_str(), "rb");
    TgaImage tga{};
    const bool ok = file && decodeTga(file, &tga).error == TGA_OK;
    if (file)
        std::fclose(file);
    if (!ok) {
        std::fprintf(stderr, "%s: the texture there cannot be read\n", path.c_str());
        return false;
    }
    *image = makeRgbaImage(tga.width, tga.height);
    std::copy(reinterpret_cast<const unsigned char *>(tga.pixels),
              reinterpret_cast<const unsigned char *>(tga.pixels + tga.width * tga.height), image->rgba.begin());
    std::free(tga.pixels);
    return true;
}

bool readCube(const std::filesystem::path &root, int set, Cube *cube) {
    for (int k = 0; k < texlayout::kSlotCount; ++k)
        if (!readTexture(texturePath(root, set, k), &cube->faces[k]))
            return false;
    return true;
}
