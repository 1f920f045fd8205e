// texgen DIR: writes the viewer's 49 textures under DIR: for each set
// DIR/<set>/exterior.tga (the facade, stored bottom row first) and the six
// cube-map faces DIR/<set>/<slot>.tga (first stored row = GL row t = 0).
// texgen --pictures DIR: writes the same sets as ordinary pictures in the
// layout scripts/import-textures.sh reads (TGA files that other tools show
// upright; scripts/example-pictures.sh turns them into PNG).
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
#include "furniture.h"
#include "rooms.h"
#include "texture_layout.h"
#include "tga_write.h"
#include "world.h"

namespace {

using texlayout::kFacadeSize;
using texlayout::kRoomFaceSize;
using texlayout::kWorldFaceSize;
using texlayout::kWorldPlateSize;
constexpr int kDressingPictureSize = 128;
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

// Creates root/<set> for every set; false (with a message) on failure.
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

// Runs job(0) ... job(count - 1) on as many threads as the machine has
// cores; false if any job failed.
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

// Writes all 49 images under root.
bool writeAll(const std::filesystem::path &root) {
    constexpr int kFilesPerSet = texlayout::kSlotCount + 1;
    return makeSetDirectories(root) &&
           runJobs(texlayout::kSetCount * kFilesPerSet, [&](int job) {
               // The world's large faces first, so that no thread is left
               // with one of them at the end.
               const int set = texlayout::kSetCount - 1 - job / kFilesPerSet;
               return writeImage(root / texlayout::kSetNames[set], set, job % kFilesPerSet - 1);
           });
}

// --- the example pictures --------------------------------------------------

// A picture square with its first row on top: f(a, b) with a = -1..1 to
// the right and b = -1..1 upwards.
RgbaImage renderPicture(int size, const std::function<Color(double a, double b)> &f) {
    return renderSquare(size, [&](double s, double t) { return f(2.0 * s - 1.0, 1.0 - 2.0 * t); });
}

bool writePicture(const std::filesystem::path &dir, const char *name, const RgbaImage &image,
                  TgaRowOrder order = TgaRowOrder::TopFirst) {
    return writeTga((dir / name).string() + ".tga", image, order);
}

// The four pieces of a room set in the quarters of one picture, opaque
// where a piece stands.
Color furnitureQuarters(int set, double a, double b, double aa) {
    const int piece = (a >= 0.0 ? 1 : 0) + (b >= 0.0 ? 2 : 0);
    return furnitureTexel(set, piece, 2.0 * a - (a >= 0.0 ? 1.0 : -1.0),
                          2.0 * b - (b >= 0.0 ? 1.0 : -1.0), 2.0 * aa);
}

// Picture `k` of building set `set`: the facade, the room's surfaces, the
// furniture, the blind and the two curtains; false past the last.
bool writeBuildingPicture(const std::filesystem::path &dir, int set, int k) {
    constexpr int kRoomPictureCount = std::size(texlayout::kRoomPictures);
    const double aa = kCubeFaceSpan / kRoomFaceSize;
    if (k < kRoomPictureCount) {
        const texlayout::PictureFrame &p = texlayout::kRoomPictures[k];
        return writePicture(dir, p.name, renderPicture(kRoomFaceSize, [&](double a, double b) {
            const texlayout::Dir3 d = {p.centre.x + a * p.right.x + b * p.top.x,
                                       p.centre.y + a * p.right.y + b * p.top.y,
                                       p.centre.z + a * p.right.z + b * p.top.z};
            return roomTexel(set, texlayout::inFacadeFrame(set, d), aa);
        }));
    }
    switch (k - kRoomPictureCount) {
    case 0:
        return writePicture(dir, "facade", renderSquare(kFacadeSize, [set](double s, double t) {
            return facadeTexel(set, s, t, 1.0 / kFacadeSize);
        }), TgaRowOrder::BottomFirst);
    case 1:
        return writePicture(dir, "furniture", renderPicture(kRoomFaceSize, [&](double a, double b) {
            return furnitureQuarters(set, a, b, aa);
        }));
    case 2:
        return writePicture(dir, "blind", renderPicture(kDressingPictureSize, [](double, double b) {
            return blindTexel(b);
        }));
    default:
        return writePicture(dir, k - kRoomPictureCount == 3 ? "curtains" : "curtains2",
                            renderPicture(kDressingPictureSize, [k](double a, double) {
                                return curtainTexel(k - kRoomPictureCount == 4, a);
                            }));
    }
}

// Picture `k` of the world: the sky box px ... nz as OpenGL lays out its
// faces, then the ground tile seen from above (-Z on top).
bool writeWorldPicture(const std::filesystem::path &dir, int k) {
    constexpr const char *kNames[] = {"px", "nx", "py", "ny", "pz", "nz", "ground"};
    constexpr int kGroundSlot = 3;
    const int slot = k < texlayout::kSlotCount ? k : kGroundSlot;
    const bool ground = k == texlayout::kSlotCount;
    return writePicture(dir, kNames[k], renderSquare(kWorldFaceSize, [&](double s, double t) {
        return worldTexel(texlayout::cubeFaceDirection(slot, s, ground ? 1.0 - t : t),
                          kCubeFaceSpan / kWorldFaceSize);
    }));
}

// Writes every set as the importer's pictures under root. The sky box's ny
// is left out: the ground tile stands for it.
bool writePictures(const std::filesystem::path &root) {
    // The room's surfaces, then the facade, furniture, blind and two curtains.
    constexpr int kPicturesPerSet = std::size(texlayout::kRoomPictures) + 5;
    constexpr int kWorldPictures = 7;
    constexpr int kSkyBoxNy = 3;
    return makeSetDirectories(root) &&
           runJobs(kWorldPictures + texlayout::kWorldSet * kPicturesPerSet, [&](int job) {
               const std::filesystem::path world = root / texlayout::kSetNames[texlayout::kWorldSet];
               if (job < kWorldPictures)
                   return job == kSkyBoxNy || writeWorldPicture(world, job);
               const int set = (job - kWorldPictures) / kPicturesPerSet;
               return writeBuildingPicture(root / texlayout::kSetNames[set], set,
                                           (job - kWorldPictures) % kPicturesPerSet);
           });
}

} // namespace

int main(int argc, char **argv) {
    const bool pictures = argc == 3 && std::string(argv[1]) == "--pictures";
    if (argc != 2 && !pictures) {
        std::fprintf(stderr, "usage: %s [--pictures] OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    return (pictures ? writePictures(argv[2]) : writeAll(argv[1])) ? 0 : 1;
}
