// texgen DIR: writes the viewer's 49 textures under DIR: for each set
// DIR/<set>/exterior.tga (the facade, stored bottom row first) and the six
// cube-map faces DIR/<set>/<slot>.tga (first stored row = GL row t = 0).
// Everything is procedural with fixed seeds, so every run writes the same
// files.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "facades.h"
#include "rooms.h"
#include "texture_layout.h"
#include "tga_write.h"
#include "world.h"

namespace {

constexpr int kFacadeSize = 512;
constexpr int kRoomFaceSize = 256;
// FLight.glsl keeps the world's face size as TILE_TEXELS (the ground tile's
// texels across), by which it fades the tile out far off.
constexpr int kWorldFaceSize = 1024;
constexpr int kWorldPlateSize = 64;
// Direction coordinates span 2 units across a cube face (-1..1).
constexpr double kCubeFaceSpan = 2.0;

using TexelFn = std::function<Color(double s, double t)>;

unsigned char toByte(double x) { return static_cast<unsigned char>(clamp01(x) * 255.0 + 0.5); }

// Four samples per texel on a rotated grid, as offsets in texels from its
// centre: fine detail averages out instead of aliasing.
constexpr double kSubsamples[4][2] = {
    {0.125, 0.375}, {0.375, -0.125}, {-0.125, -0.375}, {-0.375, 0.125}};

// The average of f over texel (i, j) of a size x size image.
Color texelAverage(int size, int i, int j, const TexelFn &f) {
    Color sum{0.0, 0.0, 0.0, 0.0};
    for (const auto &o : kSubsamples)
        sum = add(sum, f((i + 0.5 + o[0]) / size, (j + 0.5 + o[1]) / size));
    return scaled(sum, 1.0 / std::size(kSubsamples));
}

// Fills a size x size image with f averaged over each texel; row j covers
// t = j / size .. (j + 1) / size, column i covers s = i / size .. (i + 1) / size.
RgbaImage renderSquare(int size, const TexelFn &f) {
    RgbaImage image = makeRgbaImage(size, size);
    unsigned char *out = image.rgba.data();
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            const Color c = texelAverage(size, i, j, f);
            *out++ = toByte(c.r);
            *out++ = toByte(c.g);
            *out++ = toByte(c.b);
            *out++ = toByte(c.a);
        }
    }
    return image;
}

// One cube-map face: each texel coloured by the direction it stands for.
RgbaImage renderCubeFace(int slot, int size, const std::function<Color(texlayout::Dir3)> &f) {
    return renderSquare(
        size, [&](double s, double t) { return f(texlayout::cubeFaceDirection(slot, s, t)); });
}

// One of a set's seven images: its facade (file -1) or cube-map face `file`.
bool writeImage(const std::filesystem::path &dir, int set, int file) {
    const bool world = set == texlayout::kWorldSet;
    if (file < 0) {
        const RgbaImage plate = world ? renderSquare(kWorldPlateSize, worldPlateTexel)
                                      : renderSquare(kFacadeSize, [set](double s, double t) {
                                            return facadeTexel(set, s, t, 1.0 / kFacadeSize);
                                        });
        return writeTga((dir / texlayout::kFacadeFile).string() + ".tga", plate,
                        TgaRowOrder::BottomFirst);
    }
    const RgbaImage face = world ? renderCubeFace(file, kWorldFaceSize, [](texlayout::Dir3 d) {
                                       return worldTexel(d, kCubeFaceSpan / kWorldFaceSize);
                                   })
                                 : renderCubeFace(file, kRoomFaceSize, [set](texlayout::Dir3 d) {
                                       return roomTexel(set, d, kCubeFaceSpan / kRoomFaceSize);
                                   });
    return writeTga((dir / texlayout::kSlotFiles[file]).string() + ".tga", face,
                    TgaRowOrder::TopFirst);
}

// Writes all 49 images under root, painting them on as many threads as the
// machine has cores; false if a directory or file could not be written.
bool writeAll(const std::filesystem::path &root) {
    constexpr int kFilesPerSet = texlayout::kSlotCount + 1;
    constexpr int kJobs = texlayout::kSetCount * kFilesPerSet;
    for (int set = 0; set < texlayout::kSetCount; ++set) {
        std::error_code error;
        std::filesystem::create_directories(root / texlayout::kSetNames[set], error);
        if (error) {
            std::fprintf(stderr, "%s: %s\n", root.c_str(), error.message().c_str());
            return false;
        }
    }
    std::atomic<int> next{0};
    std::atomic<bool> ok{true};
    const auto paint = [&] {
        for (int job = next++; job < kJobs; job = next++) {
            // The world's large faces first, so that no thread is left with
            // one of them at the end.
            const int set = texlayout::kSetCount - 1 - job / kFilesPerSet;
            const int file = job % kFilesPerSet - 1;
            if (!writeImage(root / texlayout::kSetNames[set], set, file))
                ok = false;
        }
    };
    std::vector<std::thread> painters(std::max(1u, std::thread::hardware_concurrency()));
    for (std::thread &painter : painters)
        painter = std::thread(paint);
    for (std::thread &painter : painters)
        painter.join();
    return ok;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    return writeAll(argv[1]) ? 0 : 1;
}
