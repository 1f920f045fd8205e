#include "import.h"

#include "picture.h"
#include "render.h"
#include "rooms.h"
#include "sky_box.h"
#include "staging.h"
#include "sun.h"
#include "tex.h"
#include "world_cell.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using texlayout::Dir3;

namespace {

// The largest textures an import writes, in texels a side.
constexpr int kMaxRoomStyleTexels = 480;   // a style's surface: faces of 1020
constexpr int kMaxWorldFace = 2048;
constexpr int kMaxFacadeSide = 4096;
// Points read per texel and axis at most when a picture is shrunk.
constexpr int kMaxTaps = 4;

const char *const kTool = "import-textures";

// --- messages ------------------------------------------------------------------

std::mutex reportLock;

void report(const std::string &what, const std::string &text) {
    std::lock_guard<std::mutex> hold(reportLock);
    std::fprintf(stderr, "%s: %s: %s\n", kTool, what.c_str(), text.c_str());
}

// --- what the source folder holds ----------------------------------------------

struct Given {
    fs::path path;
    Picture picture;
};

// The pictures given for one set, by their lower-case names.
using SetPictures = std::map<std::string, Given>;

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Files that travel with pictures but are none: system files, notes and
// editor backups, which are skipped with a note.
bool isNoPicture(const fs::path &path) {
    const std::string name = lowered(path.filename().string());
    const std::string suffix = lowered(path.extension().string());
    return name[0] == '.' || name == "thumbs.db" || name == "desktop.ini" || name == "__macosx" ||
           name.back() == '~' || name.compare(0, 6, "readme") == 0 || suffix == ".txt" ||
           suffix == ".md";
}

// The world's settings: small text files that the world's folder may hold.
bool isWorldSetting(const fs::path &path) {
    const std::string name = lowered(path.filename().string());
    return name == kExposureFile || name == kSunFile;
}

// The pictures a set takes by fixed names (for the world, besides the sky
// box's faces).
std::vector<std::string> pictureNames(int set) {
    if (set == texlayout::kWorldSet)
        return {texlayout::kPanoramaPicture, texlayout::kGroundPicture};
    std::vector<std::string> names = {texlayout::kFacadePicture};
    for (int style = 0; style < texlayout::kRoomStyles; ++style)
        for (const texlayout::PictureFrame &p : texlayout::kRoomPictures)
            names.push_back(texlayout::stylePictureName(p.name, style));
    names.push_back(texlayout::kFurniturePicture);
    for (const texlayout::DressingPicture &p : texlayout::kDressingPictures)
        names.push_back(p.name);
    return names;
}

std::string joined(const std::vector<std::string> &names) {
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : " ") + name;
    return text;
}

bool isPictureName(const std::string &name, int set) {
    int family, slot;
    const std::vector<std::string> names = pictureNames(set);
    return (set == texlayout::kWorldSet && skyFaceNamed(name, &family, &slot)) ||
           std::find(names.begin(), names.end(), name) != names.end();
}

// The names a set takes, as the message on an unknown name lists them.
std::string takenNames(int set) {
    if (set != texlayout::kWorldSet)
        return joined(pictureNames(set));
    std::string text = "a sky box named ";
    for (int family = 0; family < kSkyFamilies; ++family)
        text += skyFamilyText(family) + (family + 1 < kSkyFamilies ? " or " : "");
    return text + ", or " + texlayout::kPanoramaPicture + "; " + texlayout::kGroundPicture + "; and the settings " +
           kExposureFile + " and " + kSunFile;
}

int setNamed(const std::string &name) {
    for (int set = 0; set < texlayout::kSetCount; ++set)
        if (lowered(name) == texlayout::kSetNames[set])
            return set;
    return -1;
}

std::vector<fs::path> sortedEntries(const fs::path &dir) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir, error))
        entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Why the entry at path cannot be a picture named `name` of the set, or
// nothing if it can.
std::string refusal(const fs::path &path, const std::string &name, int set, const SetPictures &given) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_symlink(fs::symlink_status(path, error)) && !fs::exists(status))
        return "a broken link";
    if (fs::is_directory(status))
        return "a folder, not a picture";
    if (!isPictureName(name, set))
        return std::string("unknown name (") + (set == texlayout::kWorldSet ? "the world" : "a building set") +
               " takes " + takenNames(set) + ")";
    const auto twice = given.find(name);
    if (twice != given.end())
        return name + " is given twice (also " + twice->second.path.string() + ")";
    if (access(path.c_str(), R_OK) != 0)
        return "cannot be read";
    return "";
}

const Given *find(const SetPictures &given, const std::string &name) {
    const auto it = given.find(name);
    return it == given.end() ? nullptr : &it->second;
}

// The world's pictures name one sky: a panorama, or the six faces of one
// family of names, each once (the ground picture may stand for the -Y
// face); false, with a message naming the files, otherwise.
bool worldNamesOneSky(const SetPictures &world) {
    const Given *panorama = find(world, texlayout::kPanoramaPicture);
    const Given *faces[texlayout::kSlotCount] = {}, *first = nullptr;
    int family = -1;
    for (const auto &[name, g] : world) {
        int f, slot;
        if (!skyFaceNamed(name, &f, &slot))
            continue;
        std::string why;
        if (panorama)
            why = "a sky-box face, but " + panorama->path.string() + " stands for the six faces: give one or the other";
        else if (faces[slot])
            why = "the " + skyFaceDirection(slot) + " face, which " + faces[slot]->path.string() + " is already";
        else if (family >= 0 && f != family)
            why = "named as " + skyFamilyText(f) + ", but " + first->path.string() + " as " + skyFamilyText(family) +
                  ": name the six faces in one family";
        if (!why.empty()) {
            report(g.path.string(), why);
            return false;
        }
        faces[slot] = &g, family = f, first = first ? first : &g;
    }
    std::string missing;
    for (int slot = 0; first && slot < texlayout::kSlotCount; ++slot)
        if (!faces[slot] && !(slot == texlayout::kMinusYSlot && find(world, texlayout::kGroundPicture)))
            missing += (missing.empty() ? "" : " ") + skyFaceName(family, slot);
    if (!missing.empty())
        report(first->path.string(), "the sky box lacks " + missing + " (give all six faces " + skyFamilyText(family) +
                                         ", the ground picture standing for the -Y face if you like)");
    return missing.empty();
}

// Collects the pictures of source; false, with a message, on the first
// entry that is neither a picture of its set nor skipped.
bool scanSource(const fs::path &source, SetPictures sets[]) {
    bool any = false;
    for (const fs::path &folder : sortedEntries(source)) {
        if (isNoPicture(folder)) {
            report(folder.string(), "skipped, no picture");
            continue;
        }
        const int set = setNamed(folder.filename().string());
        if (set < 0 || !fs::is_directory(folder)) {
            report(folder.string(), "unknown name (SOURCE holds the folders " +
                                        joined({std::begin(texlayout::kSetNames), std::end(texlayout::kSetNames)}) +
                                        ")");
            return false;
        }
        for (const fs::path &path : sortedEntries(folder)) {
            if (set == texlayout::kWorldSet && isWorldSetting(path)) {
                sets[set][lowered(path.filename().string())].path = path;
                any = true;
                continue;
            }
            if (isNoPicture(path)) {
                report(path.string(), "skipped, no picture");
                continue;
            }
            const std::string name = lowered(path.stem().string());
            const std::string why = refusal(path, name, set, sets[set]);
            if (!why.empty()) {
                report(path.string(), why);
                return false;
            }
            sets[set][name].path = path;
            any = true;
        }
    }
    if (!any)
        report(source.string(), "no pictures found");
    return any && worldNamesOneSky(sets[texlayout::kWorldSet]);
}

// Decodes every given picture, on all cores; false after reporting the
// first failure in the order of the folders.
bool decodeAll(SetPictures sets[]) {
    std::vector<Given *> all;
    for (int set = 0; set < texlayout::kSetCount; ++set)
        for (auto &entry : sets[set])
            if (!isWorldSetting(entry.second.path))
                all.push_back(&entry.second);
    std::vector<std::string> why(all.size());
    runJobs(static_cast<int>(all.size()), [&](int k) {
        return readPicture(all[k]->path.string(), &all[k]->picture, &why[k]);
    });
    for (size_t k = 0; k < all.size(); ++k)
        if (!why[k].empty()) {
            report(all[k]->path.string(), why[k]);
            return false;
        }
    return true;
}


// --- the tree that is there ------------------------------------------------------

// A tree the import may replace holds nothing but the viewer's textures, so
// that a mistyped TEXTURES never takes someone's folder away.
bool onlyTextures(const fs::path &textures) {
    for (const fs::path &folder : sortedEntries(textures)) {
        const int set = setNamed(folder.filename().string());
        bool known = set >= 0 && fs::is_directory(folder);
        for (const fs::path &file : known ? sortedEntries(folder) : std::vector<fs::path>{}) {
            bool isTexture = false;
            for (int k = -1; k < texlayout::kSlotCount; ++k)
                isTexture = isTexture || file == texturePath(textures, set, k);
            if (!isTexture) {
                report(textures.string(), "holds " + file.string() + ", which is no texture; give a texture folder");
                return false;
            }
        }
        if (!known) {
            report(textures.string(), "holds " + folder.string() + ", which is no texture set; give a texture folder");
            return false;
        }
    }
    return true;
}

// Puts every file of the old tree into the new one (a second link to the
// same data where the filesystem allows), generating any that is missing.
bool carryOver(const fs::path &old, const fs::path &staged) {
    if (!makeSetDirectories(staged))
        return false;
    return runJobs(texlayout::kSetCount * (texlayout::kSlotCount + 1), [&](int job) {
        const int set = job / (texlayout::kSlotCount + 1), file = job % (texlayout::kSlotCount + 1) - 1;
        const fs::path from = texturePath(old, set, file), to = texturePath(staged, set, file);
        std::error_code error;
        if (!fs::exists(from, error))
            return writeGeneratedImage(staged, set, file);
        fs::create_hard_link(from, to, error);
        if (error)
            fs::copy_file(from, to, error);
        if (error)
            report(to.string(), error.message());
        return !error;
    });
}

// Writes an image over a file that may be a second link to the old tree's
// data: the link goes first, so the old tree keeps its file.
bool replaceTexture(const fs::path &path, const RgbaImage &image, TgaRowOrder order) {
    std::error_code error;
    fs::remove(path, error);
    return writeTga(path.string(), image, order);
}

// --- sizes ---------------------------------------------------------------------------

int longestSide(const Given &g) { return std::max(g.picture.image.width, g.picture.image.height); }

// Points per texel and axis for reading `pixels` picture pixels into
// `texels` texels.
int tapsFor(double pixels, double texels) {
    return std::clamp(static_cast<int>(std::ceil(pixels / texels - 1e-9)), 1, kMaxTaps);
}

// The side of a cube map's faces: that of its largest picture, or of the
// faces already there if they are larger (what the old faces hold is kept,
// and the sheet packs nine cells into one face); at most `limit`.
int faceSize(const std::vector<const Given *> &pictures, int existing, int limit) {
    int side = existing;
    for (const Given *g : pictures)
        side = std::max(side, longestSide(*g));
    return std::min(side, limit);
}

void noteResized(const std::vector<const Given *> &pictures, int side) {
    for (const Given *g : pictures)
        if (g->picture.image.width != side || g->picture.image.height != side)
            report(g->path.string(), sizeText(g->picture.image.width, g->picture.image.height) +
                                         " resized to " + sizeText(side, side));
}

// --- room styles ---------------------------------------------------------------------

// The picture of room surface p in style `style`: its own, or, for a style
// given in part, the first style's.
const Given *stylePicture(const SetPictures &given, const texlayout::PictureFrame &p, int style) {
    const Given *g = find(given, texlayout::stylePictureName(p.name, style));
    return g ? g : find(given, p.name);
}

// The texels a side of each style's view of a face: those of the largest
// surface picture, or of the views already there if they are larger,
// rounded up to whole quadrants; at most kMaxRoomStyleTexels.
int styleViewTexels(const std::vector<const Given *> &pictures, int existingSide) {
    const int existing = static_cast<int>(std::lround(existingSide * texlayout::kStyleHalf));
    const int side = faceSize(pictures, existing, kMaxRoomStyleTexels);
    return (side + texlayout::kStyleQuadrantUnit - 1) / texlayout::kStyleQuadrantUnit * texlayout::kStyleQuadrantUnit;
}

// --- a building set ----------------------------------------------------------------

// A region of a picture: a square of `span` (in picture units) at (u0, v0);
// no image where nothing is given for it.
struct Region {
    const RgbaImage *image = nullptr;
    double u0 = 0.0, v0 = 0.0, span = 1.0;
};

constexpr int kOutCellCount = static_cast<int>(texlayout::OutCell::Far) + 1;

// What one building set's pictures give, found by name once so that the
// texel functions look nothing up: each style's room surfaces by frame, and
// the region that fills each sheet cell.
struct SetSources {
    const RgbaImage *surface[texlayout::kRoomStyles][texlayout::kRoomPictureCount] = {};
    Region cell[kOutCellCount];
};

// Where the picture of a sheet cell comes from, if one is given: the
// furniture picture's quarter for a piece, a blind's or curtains' picture
// (or that of the first for the second) for the dressing.
Region cellSource(const SetPictures &given, texlayout::OutCell cell) {
    const int piece = static_cast<int>(cell);
    if (piece < texlayout::kFurniturePieces) {
        const Given *g = find(given, texlayout::kFurniturePicture);
        return g ? Region{&g->picture.image, piece & 1 ? 0.5 : 0.0, piece & 2 ? 0.0 : 0.5, 0.5} : Region{};
    }
    for (const texlayout::DressingPicture &p : texlayout::kDressingPictures) {
        if (p.cell != cell)
            continue;
        const Given *g = find(given, p.name);
        if (!g && p.fallback)
            g = find(given, p.fallback);
        return g ? Region{&g->picture.image, 0.0, 0.0, 1.0} : Region{};
    }
    return {};
}

SetSources setSources(const SetPictures &given) {
    SetSources sources;
    for (int style = 0; style < texlayout::kRoomStyles; ++style)
        for (int k = 0; k < texlayout::kRoomPictureCount; ++k)
            if (const Given *g = stylePicture(given, texlayout::kRoomPictures[k], style))
                sources.surface[style][k] = &g->picture.image;
    for (int cell = 0; cell < kOutCellCount; ++cell)
        sources.cell[cell] = cellSource(given, static_cast<texlayout::OutCell>(cell));
    return sources;
}

// The room surface of style `style` that direction c (in the facade's
// frame) meets, sampled from its picture; false if that surface has no
// picture.
bool roomPictureColor(const SetSources &sources, int style, Dir3 c, Color *color) {
    const double m = std::max({std::fabs(c.x), std::fabs(c.y), std::fabs(c.z)});
    for (int k = 0; k < texlayout::kRoomPictureCount; ++k) {
        const texlayout::PictureFrame &p = texlayout::kRoomPictures[k];
        if (texlayout::dot(c, p.centre) < m)
            continue;
        const RgbaImage *image = sources.surface[style][k];
        if (!image)
            return false;
        *color = samplePicture(*image, 0.5 * (texlayout::dot(c, p.right) / m + 1.0),
                               0.5 * (1.0 - texlayout::dot(c, p.top) / m));
        return true;
    }
    return false;
}

// The region's colour at (x, y), each -1..1 up and to the right, kept half
// a pixel inside it so that filtering never reads the next quarter.
Color regionColor(const Region &r, double x, double y) {
    const double du = 0.5 / r.image->width, dv = 0.5 / r.image->height;
    const double u = std::clamp(r.u0 + r.span * 0.5 * (x + 1.0), r.u0 + du, r.u0 + r.span - du);
    const double v = std::clamp(r.v0 + r.span * 0.5 * (1.0 - y), r.v0 + dv, r.v0 + r.span - dv);
    return samplePicture(*r.image, u, v);
}

// The sheet along direction c (in the facade's frame): a given picture in
// its cell, with alpha turned from opacity into "the room shows through",
// or what the old sheet held; in the world cell the far colour, and what
// the old cell held of the world. `texel` is one texel in face coordinates.
Color sheetColor(const SetSources &sources, Dir3 c, Color far, double texel, const Cube &old, Dir3 d) {
    const texlayout::SheetPoint p = texlayout::sheetPointAt(c.x / c.z, c.y / c.z);
    const texlayout::OutCell cell = texlayout::outCellAt(p.i, p.j);
    if (cell == texlayout::OutCell::Far)
        return texlayout::worldCellPartAt(p.x, p.y) == texlayout::WorldCellPart::Far ? far : cubeColor(old, d);
    const Region &region = sources.cell[static_cast<int>(cell)];
    if (!region.image)
        return cubeColor(old, d);
    return asSheetCell(regionColor(region, std::clamp(p.x, -1.0, 1.0), std::clamp(p.y, -1.0, 1.0)), p.x, p.y,
                       texel);
}

// The mean colour and alpha of the faces (a room's far colour).
Color meanOf(const std::vector<const RgbaImage *> &faces) {
    double sum[4] = {0, 0, 0, 0};
    size_t texels = 0;
    for (const RgbaImage *face : faces) {
        for (size_t k = 0; k < face->rgba.size(); ++k)
            sum[k % 4] += face->rgba[k];
        texels += face->rgba.size() / 4;
    }
    const double scale = 1.0 / (255.0 * static_cast<double>(texels));
    return {sum[0] * scale, sum[1] * scale, sum[2] * scale, sum[3] * scale};
}

// The facade: the picture, rows turned to the texture's bottom-first order,
// shrunk to the largest facade written if it is larger.
bool importFacade(const fs::path &root, int set, const Given &g) {
    const RgbaImage &image = g.picture.image;
    if (g.picture.opaque)
        report(g.path.string(), "has no transparency, so this facade shows no rooms (its glass is "
                                "where the picture is transparent)");
    const double scale = std::min(1.0, static_cast<double>(kMaxFacadeSide) / longestSide(g));
    const int width = std::max(1, static_cast<int>(image.width * scale + 0.5));
    const int height = std::max(1, static_cast<int>(image.height * scale + 0.5));
    if (width != image.width || height != image.height)
        report(g.path.string(), sizeText(image.width, image.height) + " resized to " + sizeText(width, height));
    const bool asItIs = width == image.width && height == image.height;
    const RgbaImage facade = asItIs ? flippedRows(image)
                                    : renderSampled(width, height, tapsFor(image.width, width),
                                                    [&](double s, double t) { return samplePicture(image, s, 1.0 - t); });
    return replaceTexture(texturePath(root, set, -1), facade, TgaRowOrder::BottomFirst);
}

std::vector<const Given *> roomSurfacePictures(const SetPictures &given) {
    std::vector<const Given *> pictures;
    for (int style = 0; style < texlayout::kRoomStyles; ++style)
        for (const texlayout::PictureFrame &p : texlayout::kRoomPictures)
            if (const Given *g = find(given, texlayout::stylePictureName(p.name, style)))
                pictures.push_back(g);
    return pictures;
}

// Points per texel for the sheet: its pictures fill cells of kCellHalf.
int sheetTaps(const SetPictures &given, int side) {
    int taps = 1;
    const double cellTexels = texlayout::kCellHalf * side;
    if (const Given *g = find(given, texlayout::kFurniturePicture))
        taps = std::max(taps, tapsFor(0.5 * longestSide(*g), cellTexels));
    for (const texlayout::DressingPicture &p : texlayout::kDressingPictures)
        if (const Given *g = find(given, p.name))
            taps = std::max(taps, tapsFor(longestSide(*g), cellTexels));
    return taps;
}

// The room map: five surfaces in each style from their pictures or the
// old map, then the sheet, its far colour the mean of them all.
bool importRoomMap(const fs::path &root, int set, const SetPictures &given) {
    Cube old, made;
    if (!readCube(root, set, &old))
        return false;
    const std::vector<const Given *> surfaces = roomSurfacePictures(given);
    const int texels = styleViewTexels(surfaces, old.faces[0].width);
    const int side = texlayout::styledFaceSide(texels);
    noteResized(surfaces, texels);
    int taps = 1;
    for (const Given *g : surfaces)
        taps = std::max(taps, tapsFor(longestSide(*g), texels));
    const SetSources sources = setSources(given);
    RgbaImage views[texlayout::kSlotCount][texlayout::kRoomStyles];
    std::vector<const RgbaImage *> walls;
    for (int slot = 0; slot < texlayout::kSlotCount; ++slot) {
        if (slot == set)   // set s looks out through slot s
            continue;
        for (int style = 0; style < texlayout::kRoomStyles; ++style) {
            views[slot][style] = renderSampledFace(slot, texels, taps, [&](Dir3 d) {
                Color c;
                return roomPictureColor(sources, style, texlayout::toFacadeFrame(set, d), &c)
                           ? c
                           : styledCubeColor(old, set, style, d);
            });
            walls.push_back(&views[slot][style]);
        }
        made.faces[slot] = styledFace(set, slot, views[slot]);
    }
    const Color far = meanOf(walls);
    made.faces[set] = renderSampledFace(set, side, sheetTaps(given, side), [&](Dir3 d) {
        return sheetColor(sources, texlayout::toFacadeFrame(set, d), far, 2.0 / side, old, d);
    });
    for (int slot = 0; slot < texlayout::kSlotCount; ++slot)
        if (!replaceTexture(texturePath(root, set, slot), made.faces[slot], TgaRowOrder::TopFirst))
            return false;
    return true;
}

bool importBuildingSet(const fs::path &root, int set, const SetPictures &given) {
    const Given *facade = find(given, texlayout::kFacadePicture);
    if (facade && !importFacade(root, set, *facade))
        return false;
    return given.size() == (facade ? 1u : 0u) || importRoomMap(root, set, given);
}

// --- the world ---------------------------------------------------------------------

// The sky's pictures by slot (faces still as named), or its panorama.
struct SkyPictures {
    const Given *panorama = nullptr;
    const Given *faces[texlayout::kSlotCount] = {};
    bool any() const {
        return panorama || std::any_of(std::begin(faces), std::end(faces), [](const Given *g) { return g; });
    }
};

// Sorts the world's pictures into a sky; false, with a message, for a
// panorama that is not one.
bool gatherSky(const SetPictures &given, SkyPictures *sky) {
    for (const auto &[name, g] : given) {
        int family, slot;
        if (skyFaceNamed(name, &family, &slot))
            sky->faces[slot] = &g;
        if (lowered(g.path.extension().string()) == ".exr")
            report(g.path.string(), "read through ImageMagick, which clips its light at 1: give it as Radiance "
                                    "(.hdr) for the exposure and the sun to see its full light");
    }
    sky->panorama = find(given, texlayout::kPanoramaPicture);
    const RgbaImage *image = sky->panorama ? &sky->panorama->picture.image : nullptr;
    if (image && !isPanoramaShape(image->width, image->height)) {
        report(sky->panorama->path.string(), sizeText(image->width, image->height) +
                                                 " is no panorama: give one twice as wide as high (2:1)");
        return false;
    }
    return true;
}

// The exposure of the sky's HDR light: world/exposure.txt's, else the
// automatic one; false, with a message, for a bad file.
bool chooseExposure(const SetPictures &given, const fs::path &named, Sky *sky) {
    const Given *file = find(given, kExposureFile);
    if (file && !anyHdr(*sky)) {
        report(file->path.string(), "not used: the world has no HDR picture");
        return true;
    }
    if (!anyHdr(*sky))
        return true;
    std::string why;
    if (file && !readExposureFile(file->path.string(), &sky->exposure, &why)) {
        report(file->path.string(), why);
        return false;
    }
    if (!file) {
        sky->exposure = automaticExposure(*sky);
        char text[64];
        std::snprintf(text, sizeof text, "%.4g", sky->exposure);
        report(named.string(), std::string("HDR light at exposure ") + text + " (set it in " + kExposureFile + ")");
    }
    return true;
}

const char *quarterTurns(int turns) {
    static const char *const kText[] = {"", "a quarter turn", "half a turn", "three quarter turns"};
    return kText[turns];
}

// Fits the sky box's faces where their edges meet, with a note on what
// differs from their names.
void fitFaces(const SkyPictures &pictures, bool down, Sky *sky) {
    const SkyBoxFit fit = fitSkyBox(sky, down);
    const Given *const *f = pictures.faces;
    if (fit.zSwapped)
        report(f[4]->path.string(), "taken for the -Z face, and " + f[5]->path.string() +
                                        " for +Z: their edges meet so (a sky box made for a left-handed world)");
    const std::pair<int, int> caps[] = {{texlayout::kPlusYSlot, fit.upTurn}, {texlayout::kMinusYSlot, fit.downTurn}};
    for (const auto &[slot, turns] : caps)
        if (turns)
            report(f[slot]->path.string(), std::string("read as turned ") + quarterTurns(turns) +
                                               " clockwise: its edges meet the side faces so");
}

// The side of the world's faces and the points read per texel.
void skyFaceSize(const SkyPictures &pictures, int existing, int *side, int *taps) {
    if (pictures.panorama) {
        // A face spans a quarter of the panorama's width.
        const double across = 0.25 * pictures.panorama->picture.image.width;
        *side = std::min(std::max(existing, static_cast<int>(across)), kMaxWorldFace);
        *taps = tapsFor(across, *side);
        return;
    }
    std::vector<const Given *> faces;
    for (const Given *g : pictures.faces)
        if (g)
            faces.push_back(g);
    *side = faceSize(faces, existing, kMaxWorldFace);
    noteResized(faces, *side);
    *taps = 1;
    for (const Given *g : faces)
        *taps = std::max(*taps, tapsFor(longestSide(*g), *side));
}

// The world's sun: world/sun.txt's, else the one found in the sky's light
// (with a note on it, given with `named`).
bool chooseSun(const SetPictures &given, const fs::path &named, const Sky &sky, int side, texlayout::SunRecord *sun) {
    const LightFn light = [&sky](Dir3 d) { return skyLight(sky, d); };
    const Given *file = find(given, kSunFile);
    std::string why;
    if (file && !readSunFile(file->path.string(), light, sun, &why)) {
        report(file->path.string(), why);
        return false;
    }
    if (file)
        return true;
    *sun = findSun(light, anyHdr(sky), side);
    char text[96];
    std::snprintf(text, sizeof text, "the sun found towards %.3f %.3f %.3f", sun->direction.x, sun->direction.y,
                  sun->direction.z);
    const std::string none = std::string("no clear sun: soft light from straight up, no shadow (give the sun in ") +
                             kSunFile + ")";
    report(named.string(), sun->shadow > 0.0 ? text : none);
    return true;
}

RgbaImage opaque(RgbaImage image) {
    for (size_t k = 3; k < image.rgba.size(); k += 4)
        image.rgba[k] = 255;
    return image;
}

// The ground tile as the -Y face: seen from above with -Z on top, which is
// the face's last row.
RgbaImage groundFace(const Given &g, int side) {
    const RgbaImage &image = g.picture.image;
    if (image.width == side && image.height == side)
        return opaque(flippedRows(image));
    return opaque(renderSampled(side, side, tapsFor(longestSide(g), side),
                                [&](double s, double t) { return samplePicture(image, s, 1.0 - t); }));
}

// Writes the six world faces from the sky (or the old faces, where no sky
// picture is given), -Y from the ground picture when one is given and
// stamped with the world's sun and whether it holds a ground tile; the
// faces written are also left in `made`.
bool importWorld(const fs::path &root, const SetPictures &given, texlayout::SunRecord *sun, Cube *made) {
    constexpr int world = texlayout::kWorldSet;
    Cube old;
    SkyPictures pictures;
    if (!readCube(root, world, &old) || !gatherSky(given, &pictures))
        return false;
    const Given *ground = find(given, texlayout::kGroundPicture);
    const Given *skyDown = pictures.faces[texlayout::kMinusYSlot];
    if (ground && skyDown)
        report(skyDown->path.string(), "not used: the ground picture stands for the -Y face");
    Sky sky;
    sky.old = &old;
    sky.panorama = pictures.panorama ? &pictures.panorama->picture : nullptr;
    for (int slot = 0; slot < texlayout::kSlotCount; ++slot)
        sky.faces[slot] = pictures.faces[slot] ? &pictures.faces[slot]->picture : nullptr;
    int side = old.faces[0].width, taps = 1;
    if (pictures.any())
        skyFaceSize(pictures, side, &side, &taps);
    const fs::path named = pictures.panorama ? pictures.panorama->path : given.begin()->second.path.parent_path();
    if (!chooseExposure(given, named, &sky))
        return false;
    if (!pictures.panorama && pictures.any())
        fitFaces(pictures, !ground, &sky);
    if (!chooseSun(given, named, sky, side, sun))
        return false;
    // With neither a sky nor a ground picture (a sun alone), the ground
    // stays as the old world had it.
    const bool groundTiled = ground || (pictures.any() ? !(pictures.panorama || skyDown) : groundTiledIn(old));
    return runJobs(texlayout::kSlotCount, [&](int slot) {
        RgbaImage &face = made->faces[slot];
        face = slot == texlayout::kMinusYSlot && ground
                   ? groundFace(*ground, side)
                   : renderSampledFace(slot, side, taps, [&](Dir3 d) { return skyColor(sky, d); });
        if (slot == texlayout::kMinusYSlot)
            stampWorldPatches(&face, *sun, groundTiled);
        return replaceTexture(texturePath(root, world, slot), face, TgaRowOrder::TopFirst);
    });
}

// The world imported (its sun and ground stamped into the world map), and
// what the building sets carry of it written into every set.
bool importWorldIntoTree(const fs::path &root, const SetPictures &given) {
    texlayout::SunRecord sun;
    Cube world;
    return importWorld(root, given, &sun, &world) && writeWorldIntoSets(root, world, sun);
}

// Builds the whole new tree in the staging folder.
bool buildTree(const Staging &staging, bool exists, const SetPictures sets[]) {
    if (!(exists ? carryOver(staging.target, staging.dir) : writeGeneratedTree(staging.dir)))
        return false;
    // The building sets first: the world is then written into every one.
    const bool buildings = runJobs(texlayout::kBuildingSets, [&](int set) {
        return sets[set].empty() || importBuildingSet(staging.dir, set, sets[set]);
    });
    return buildings && (sets[texlayout::kWorldSet].empty() || importWorldIntoTree(staging.dir, sets[texlayout::kWorldSet]));
}

} // namespace

int importPictures(const std::string &source, const std::string &textures) {
    std::error_code error;
    if (!fs::is_directory(source, error)) {
        report(source, "not a folder");
        return 1;
    }
    SetPictures sets[texlayout::kSetCount];
    if (!scanSource(source, sets))
        return 1;
    const bool exists = fs::exists(textures, error);
    if (exists && fs::is_directory(textures, error) && !onlyTextures(textures))
        return 1;
    Staging staging;
    std::string why;
    const bool staged = beginStaging(textures, &staging, &why);
    for (const auto &[path, what] : staging.mended)
        report(path.string(), what);
    if (!staged) {
        report(textures, why);
        return 1;
    }
    startPictureReading(staging.scratch.string());
    const bool built = decodeAll(sets) && buildTree(staging, exists, sets);
    endPictureReading();
    if (!built || !commitStaging(staging, &why)) {
        if (built)
            report(textures, why);
        abandonStaging(staging);
        return 1;
    }
    std::printf("imported %s into %s\n", source.c_str(), staging.target.c_str());
    return 0;
}
