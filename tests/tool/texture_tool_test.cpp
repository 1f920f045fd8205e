// The texture tool without a display: the generated textures exported as
// pictures and imported again come back; and the import as a user meets it,
// run as a real process: odd and bad pictures, sizes, and a run killed
// before its swap.
#include "example_pictures.h"
#include "hdr.h"
#include "import.h"
#include "process.h"
#include "render.h"
#include "sun.h"
#include "tga_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>

#include <signal.h>

namespace {

namespace fs = std::filesystem;

// A temporary folder that goes with the test.
struct TempDir {
    fs::path path;
    explicit TempDir(const char *base = "/tmp") {
        std::string pattern = std::string(base) + "/im-tool-XXXXXX";
        path = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// The largest difference of any channel between two images of one size,
// over the texels for which `counted` holds.
int compare(const RgbaImage &a, const RgbaImage &b, const std::function<bool(double s, double t)> &counted) {
    int largest = 0;
    for (int j = 0; j < a.height; ++j)
        for (int i = 0; i < a.width; ++i) {
            if (!counted((i + 0.5) / a.width, (j + 0.5) / a.height))
                continue;
            const size_t k = (static_cast<size_t>(j) * a.width + i) * 4;
            for (size_t c = 0; c < 4; ++c)
                largest = std::max(largest, std::abs(a.rgba[k + c] - b.rgba[k + c]));
        }
    return largest;
}

// Whether (s, t) of the sheet face of `set` lies inside a cell's read
// square, a texel of `side` away from its border, where the shader reads.
bool readBySheet(int set, int side, double s, double t) {
    const texlayout::Dir3 c = texlayout::toFacadeFrame(set, texlayout::cubeFaceDirection(set, s, t));
    const texlayout::SheetPoint p = texlayout::sheetPointAt(c.x / c.z, c.y / c.z);
    const double texels = 2.0 / (side * texlayout::kCellHalf), margin = 1.0 - texels;
    if (texlayout::outCellAt(p.i, p.j) == texlayout::OutCell::Far) { // the world cell's parts are read inside
        if (texlayout::worldCellPartAt(p.x, p.y) == texlayout::WorldCellPart::SunLight)
            return false;
        for (const double dx : {-texels, texels})
            for (const double dy : {-texels, texels})
                if (texlayout::worldCellPartAt(p.x + dx, p.y + dy) != texlayout::worldCellPartAt(p.x, p.y))
                    return false;
    }
    return std::fabs(p.x) < margin && std::fabs(p.y) < margin;
}

// Whether (s, t) of world face `slot` carries the sun or the ground's kind
// in its alpha, which an import works out anew.
bool inWorldPatch(int slot, double s, double t) {
    return slot == texlayout::kMinusYSlot && texlayout::worldPatchAtPoint(2.0 * s - 1.0, 1.0 - 2.0 * t) >= 0;
}

// The sun's direction as the sheet face of `set` carries it.
texlayout::Dir3 sunOfSheet(const RgbaImage &sheet, int set) {
    Cube cube;
    cube.faces[set] = sheet;
    const Color c = cubeColor(cube, texlayout::worldCellDirection(set, texlayout::kSunPatch));
    return {2.0 * c.r - 1.0, 2.0 * c.g - 1.0, 2.0 * c.b - 1.0};
}

TEST(TextureTool, PicturesOfTheGeneratedTexturesImportBackToThem) {
    TempDir tmp;
    RgbaImage facades[texlayout::kSetCount];
    Cube cubes[texlayout::kSetCount];
    for (int set = 0; set < texlayout::kSetCount; ++set)
        ASSERT_TRUE(readTexture(texturePath(TEXTURE_DIR, set, -1), &facades[set]) &&
                    readCube(TEXTURE_DIR, set, &cubes[set]));
    const fs::path pictures = tmp.path / "pictures", textures = tmp.path / "textures";
    ASSERT_TRUE(writePicturesOf(pictures, facades, cubes));
    fs::copy(TEXTURE_DIR, textures, fs::copy_options::recursive);
    ASSERT_EQ(importPictures(pictures.string(), textures.string()), 0);
    for (int set = 0; set < texlayout::kSetCount; ++set) {
        for (int file = -1; file < texlayout::kSlotCount; ++file) {
            RgbaImage imported;
            ASSERT_TRUE(readTexture(texturePath(textures, set, file), &imported));
            const RgbaImage &generated = file < 0 ? facades[set] : cubes[set].faces[file];
            ASSERT_EQ(imported.width, generated.width);
            ASSERT_EQ(imported.height, generated.height);
            // The room surfaces, sky and facades come back texel for texel.
            // The sheet's pictures are resampled into its cells, which moves
            // the edges of the furniture by a fraction of a texel. The sun
            // is found again in the sky's pictures: its direction must come
            // back within a few degrees, its light is that of the sky there.
            const bool sheet = file == set;
            const int largest = compare(imported, generated, [&](double s, double t) {
                if (set == texlayout::kWorldSet)
                    return !inWorldPatch(file, s, t);
                return !sheet || readBySheet(set, generated.width, s, t);
            });
            SCOPED_TRACE(texturePath(textures, set, file));
            EXPECT_LE(largest, sheet ? 40 : 1);
            if (sheet) {
                EXPECT_GT(texlayout::dot(sunOfSheet(imported, set), texlayout::kSunDirection), 0.995);
            }
        }
    }
}

// --- the import as a user meets it ----------------------------------------------

constexpr int kFace = 32;   // the small tree's cube faces, texels a side
const RgbaImage kOld = makeSolidImage(kFace, 40, 80, 120, 0);   // every old texture

// A small complete texture tree of one colour.
void writeSmallTree(const fs::path &root) {
    for (int set = 0; set < texlayout::kSetCount; ++set) {
        fs::create_directories(root / texlayout::kSetNames[set]);
        for (int file = -1; file < texlayout::kSlotCount; ++file)
            ASSERT_TRUE(writeTga(texturePath(root, set, file).string(), kOld, TgaRowOrder::TopFirst));
    }
}

void writePictureFile(const fs::path &path, int width, int height, int alpha = 255) {
    fs::create_directories(path.parent_path());
    RgbaImage image = makeRgbaImage(width, height);
    for (size_t k = 0; k < image.rgba.size(); k += 4)
        image.rgba[k] = 200, image.rgba[k + 3] = static_cast<unsigned char>(alpha);
    ASSERT_TRUE(writeTga(path.string(), image, TgaRowOrder::TopFirst));
}

void writeText(const fs::path &path, const std::string &text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string bigEndian(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

uint32_t crc32Of(const std::string &bytes) {
    uint32_t crc = 0xffffffffu;
    for (const unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = crc >> 1 ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A grey PNG one row high, its row stored in one uncompressed deflate block
// (so at most 65534 pixels wide): a picture wider than any writer here makes.
void writeGreyRowPng(const fs::path &path, uint32_t width) {
    const std::string row = '\0' + std::string(width, '\x80');   // filter 0, then the pixels
    uint32_t a = 1, b = 0;                                       // Adler-32 of the row
    for (const unsigned char c : row)
        a = (a + c) % 65521, b = (b + a) % 65521;
    const uint16_t n = static_cast<uint16_t>(row.size()), inverse = static_cast<uint16_t>(~n);
    const std::string deflate = std::string("\x78\x01\x01", 3) + static_cast<char>(n & 255) +
                                static_cast<char>(n >> 8) + static_cast<char>(inverse & 255) +
                                static_cast<char>(inverse >> 8) + row + bigEndian(b << 16 | a);
    const auto chunk = [](const std::string &type, const std::string &data) {
        return bigEndian(static_cast<uint32_t>(data.size())) + type + data + bigEndian(crc32Of(type + data));
    };
    writeText(path, std::string("\x89PNG\r\n\x1a\n", 8) +
                        chunk("IHDR", bigEndian(width) + bigEndian(1) + std::string("\x08\0\0\0\0", 5)) +
                        chunk("IDAT", deflate) + chunk("IEND", ""));
}

// Every file under root with its contents.
std::map<std::string, std::string> snapshot(const fs::path &root) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        files[entry.path().string()] = std::string(std::istreambuf_iterator<char>(file), {});
    }
    return files;
}

// Runs `texgen import`; the ended process, its streams read.
ChildProcess runImport(const fs::path &source, const fs::path &textures,
                       const std::map<std::string, std::string> &env = {}) {
    ChildProcess p;
    LaunchOptions o;
    o.program = TEXGEN;
    o.args = {"import", source.string(), textures.string()};
    o.env = env;
    if (launchProcess(p, o) && env.empty())
        waitForExit(p, 60);
    return p;
}

// A picture set up in the source folder, what the import must say about it
// (and name), and whether it imports.
struct Case {
    const char *what;
    std::function<void(const fs::path &source)> setUp;
    const char *named;    // the path the message names, under the source
    const char *says;
    bool imports;
};

const Case kCases[] = {
    {"text named as a picture", [](const fs::path &s) { writeText(s / "left/back.png", "not a picture"); },
     "left/back.png", "back.png", false},
    {"a truncated picture", [](const fs::path &s) {
         RgbaImage noise = makeRgbaImage(64, 64);
         for (size_t k = 0; k < noise.rgba.size(); ++k)
             noise.rgba[k] = static_cast<unsigned char>(k * 7919 % 251);
         std::string why;
         fs::create_directories(s / "left");
         ASSERT_TRUE(writePicture((s / "left/back.png").string(), noise, &why)) << why;
         fs::resize_file(s / "left/back.png", fs::file_size(s / "left/back.png") / 2);
     }, "left/back.png", "back.png", false},
    {"an unknown name", [](const fs::path &s) { writePictureFile(s / "left/window.tga", 8, 8); },
     "left/window.tga", "unknown name", false},
    {"a room picture for the world", [](const fs::path &s) { writePictureFile(s / "world/back.tga", 8, 8); },
     "world/back.tga", "unknown name", false},
    {"an unknown set", [](const fs::path &s) { writePictureFile(s / "lefft/floor.tga", 8, 8); },
     "lefft", "unknown name", false},
    {"a folder named like a picture", [](const fs::path &s) { fs::create_directories(s / "left/floor.png"); },
     "left/floor.png", "a folder, not a picture", false},
    {"a broken link", [](const fs::path &s) {
         fs::create_directories(s / "left");
         fs::create_symlink(s / "nowhere.png", s / "left/floor.png");
     }, "left/floor.png", "a broken link", false},
    {"two pictures for one name", [](const fs::path &s) {
         writePictureFile(s / "left/floor.tga", 8, 8);
         writePictureFile(s / "left/FLOOR.bmp", 8, 8);
     }, "left/floor.tga", "given twice", false},
    {"a picture too large to read", [](const fs::path &s) { writePictureFile(s / "left/floor.tga", 16001, 4); },
     "left/floor.tga", "16000 pixels a side", false},
    {"a PNG too wide for the library, which says nothing of it",
     [](const fs::path &s) { writeGreyRowPng(s / "left/floor.png", 16001); }, "left/floor.png",
     "16000 pixels a side", false},
    {"names in capitals", [](const fs::path &s) { writePictureFile(s / "Left/FLOOR.TGA", kFace, kFace); },
     "", "imported", true},
    {"files that are no pictures", [](const fs::path &s) {
         writePictureFile(s / "left/floor.tga", kFace, kFace);
         for (const char *junk : {"left/Thumbs.db", "left/.DS_Store", "README.txt", "left/floor.tga~",
                                  "__MACOSX/left/._floor.tga"})
             writeText(s / junk, "x");
     }, "left/Thumbs.db", "skipped", true},
    {"a path with %d in it", [](const fs::path &s) { writePictureFile(s / "left/floor.tga", kFace, kFace); },
     "", "imported", true},
    {"a facade with no transparency", [](const fs::path &s) { writePictureFile(s / "left/facade.tga", 16, 8); },
     "left/facade.tga", "no transparency", true},
    {"a picture not square", [](const fs::path &s) { writePictureFile(s / "left/floor.tga", 48, 16); },
     "left/floor.tga", "48 x 16 resized to 64 x 64", true},
    {"a sky box short of faces", [](const fs::path &s) { writePictureFile(s / "world/px.tga", 8, 8); },
     "world/px.tga", "lacks nx py pz nz", false},
    {"one face in two families", [](const fs::path &s) {
         writePictureFile(s / "world/posx.tga", 8, 8);
         writePictureFile(s / "world/px.tga", 8, 8);
     }, "world/px.tga", "the +X face, which " , false},
    {"faces of two families", [](const fs::path &s) {
         writePictureFile(s / "world/a_up.tga", 8, 8);
         writePictureFile(s / "world/negx.tga", 8, 8);
     }, "world/negx.tga", "in one family", false},
    {"a panorama and a face", [](const fs::path &s) {
         writePictureFile(s / "world/panorama.tga", 16, 8);
         writePictureFile(s / "world/up.tga", 8, 8);
     }, "world/up.tga", "one or the other", false},
    {"a panorama not 2:1", [](const fs::path &s) { writePictureFile(s / "world/Panorama.tga", 30, 16); },
     "world/Panorama.tga", "twice as wide as high", false},
    {"a Radiance picture cut short", [](const fs::path &s) {
         writeText(s / "world/panorama.hdr", "#?RADIANCE\n\n-Y 8 +X 16\n\x02\x02\x00\x10\x90");
     }, "world/panorama.hdr", "cut short", false},
    {"a sun with no direction", [](const fs::path &s) { writeText(s / "world/sun.txt", "0 0 zero"); },
     "world/sun.txt", "three numbers", false},
};

TEST(TextureTool, OddAndBadPicturesAreNamedAndBadOnesChangeNothing) {
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        TempDir tmp;
        const fs::path source = tmp.path / (c.named[0] ? "pictures" : "pictures %d"), textures = tmp.path / "textures";
        writeSmallTree(textures);
        writePictureFile(source / "world/ground.tga", kFace, kFace);   // a good picture in another set
        c.setUp(source);
        const auto before = snapshot(textures);
        const ChildProcess p = runImport(source, textures);
        EXPECT_EQ(p.exitStatus == 0, c.imports) << p.errText;
        EXPECT_NE((p.outText + p.errText).find(c.says), std::string::npos) << p.errText;
        if (c.named[0]) {
            EXPECT_NE(p.errText.find((source / c.named).string()), std::string::npos) << p.errText;
        }
        EXPECT_EQ(snapshot(textures) == before, !c.imports);
        // Whatever was imported, every cube map keeps square faces of one size.
        for (int set = 0; set < texlayout::kSetCount; ++set) {
            Cube cube;
            ASSERT_TRUE(readCube(textures, set, &cube));
            for (const RgbaImage &face : cube.faces)
                EXPECT_TRUE(face.width == face.height && face.width == cube.faces[0].width);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path), {}), 2) << "staging left behind";
    }
}

// A floor alone leaves the furniture, the dressing and the other surfaces
// as they were; the far colour follows the new floor.
TEST(TextureTool, AFloorAloneKeepsTheRestOfTheRoom) {
    TempDir tmp;
    const fs::path textures = tmp.path / "textures";
    writeSmallTree(textures);
    writePictureFile(tmp.path / "pictures/front/floor.tga", kFace, kFace);
    ASSERT_EQ(runImport(tmp.path / "pictures", textures).exitStatus, 0);
    constexpr int front = 4;
    Cube cube;
    ASSERT_TRUE(readCube(textures, front, &cube));
    const auto texel = [&](int slot, double s, double t) {
        const RgbaImage &f = cube.faces[slot];
        return f.rgba[(static_cast<size_t>(t * f.height) * f.width + static_cast<size_t>(s * f.width)) * 4];
    };
    EXPECT_EQ(texel(texlayout::kMinusYSlot, 0.5, 0.5), 200);   // the new floor
    EXPECT_EQ(texel(0, 0.5, 0.5), kOld.rgba[0]);                 // a wall
    EXPECT_EQ(texel(front, 0.1, 0.1), kOld.rgba[0]);             // a corner cell: a piece
    EXPECT_GT(cubeColor(cube, texlayout::worldCellDirection(front, texlayout::kFarPatch)).r * 255.0,
              kOld.rgba[0] + 0.5);                                // the far colour
}

// --- skies as people have them ---------------------------------------------------

using texlayout::Dir3;

Dir3 unit(Dir3 d) {
    const double n = std::sqrt(texlayout::dot(d, d));
    return {d.x / n, d.y / n, d.z / n};
}
// A sky whose colour differs in every direction, smoothly.
Color smoothSky(Dir3 d) {
    const Dir3 u = unit(d);
    return rgb(0.5 + 0.45 * u.x, 0.5 + 0.45 * u.y, 0.5 + 0.45 * u.z);
}

// A sky box as packs ship it: under one family's names (in the order +X,
// -X, +Y, -Y, +Z, -Z), perhaps made for a left-handed world (its z pair
// swapped), its up and down pictures stored turned clockwise.
struct SkyPack {
    const char *names[texlayout::kSlotCount];
    bool leftHanded;
    int upTurns, downTurns;
};
const SkyPack kPacks[] = {
    {{"px", "nx", "py", "ny", "pz", "nz"}, false, 0, 0},
    {{"POSX", "negx", "posy", "negy", "posz", "negz"}, true, 0, 0},
    {{"sky_rt", "sky_lf", "sky_up", "sky_dn", "sky_bk", "sky_ft"}, false, 1, 3},
    {{"rt", "lf", "up", "dn", "bk", "ft"}, true, 2, 1},
};

// The picture of sky-box face `slot` as seen from inside, stored turned
// `turns` quarter turns clockwise: stored (a, b) is upright (1 - b, a).
RgbaImage skyPicture(int slot, int turns) {
    return renderSampled(kFace, kFace, 1, [&](double a, double b) {
        for (int k = 0; k < turns; ++k)
            std::tie(a, b) = std::pair{1.0 - b, a};
        return smoothSky(texlayout::skyPictureDirection(slot, a, b));
    });
}

// The share of the cube map's texels that are white.
double whiteShare(const Cube &cube) {
    size_t whites = 0, texels = 0;
    for (const RgbaImage &f : cube.faces)
        for (size_t k = 0; k < f.rgba.size(); k += 4, ++texels)
            whites += f.rgba[k] == 255;
    return static_cast<double>(whites) / texels;
}

TEST(TextureTool, SkyBoxesOfEveryFamilyMeetAtTheirEdges) {
    for (const SkyPack &pack : kPacks) {
        SCOPED_TRACE(pack.names[0]);
        TempDir tmp;
        writeSmallTree(tmp.path / "textures");
        for (int slot = 0; slot < texlayout::kSlotCount; ++slot) {
            const int named = pack.leftHanded && slot >= 4 ? 9 - slot : slot;
            const int turns = slot == texlayout::kPlusYSlot    ? pack.upTurns
                              : slot == texlayout::kMinusYSlot ? pack.downTurns
                                                               : 0;
            std::string why;
            fs::create_directories(tmp.path / "pictures/world");
            ASSERT_TRUE(writePicture((tmp.path / "pictures/world" / (std::string(pack.names[named]) + ".png")).string(),
                                     skyPicture(slot, turns), &why)) << why;
        }
        const ChildProcess p = runImport(tmp.path / "pictures", tmp.path / "textures");
        ASSERT_EQ(p.exitStatus, 0) << p.errText;
        EXPECT_EQ(p.errText.find("left-handed") != std::string::npos, pack.leftHanded) << p.errText;
        EXPECT_EQ(p.errText.find("turned") != std::string::npos, pack.upTurns + pack.downTurns > 0) << p.errText;
        Cube cube;
        ASSERT_TRUE(readCube(tmp.path / "textures", texlayout::kWorldSet, &cube));
        for (int slot = 0; slot < texlayout::kSlotCount; ++slot)
            EXPECT_LE(compare(cube.faces[slot], renderSampledFace(slot, kFace, 1, smoothSky),
                              [&](double s, double t) { return !inWorldPatch(slot, s, t); }), 2) << "face " << slot;
    }
}

// A Radiance picture's pixel: three mantissas and a shared exponent.
std::array<unsigned char, 4> rgbePixel(double light) {
    int e;
    const double scale = light > 0 ? std::frexp(light, &e) * 256.0 / light : 0.0;
    const auto m = static_cast<unsigned char>(light * scale);
    return {m, m, m, static_cast<unsigned char>(light > 0 ? e + 128 : 0)};
}

// Writes a grey Radiance panorama of light(y), flat or run-length (each
// channel's first half literal, the rest in runs).
void writeRadiance(const fs::path &path, int width, int height, bool runs, const std::function<double(int)> &light) {
    std::ofstream out(path, std::ios::binary);
    out << "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " << height << " +X " << width << "\n";
    for (int y = 0; y < height; ++y) {
        const std::array<unsigned char, 4> p = rgbePixel(light(y));
        if (!runs) {
            for (int x = 0; x < width; ++x)
                out.write(reinterpret_cast<const char *>(p.data()), 4);
            continue;
        }
        out << char(2) << char(2) << char(width >> 8) << char(width & 255);
        for (int c = 0; c < 4; ++c) {
            out << char(width / 2) << std::string(width / 2, char(p[c]));
            for (int left = width - width / 2; left > 0; left -= std::min(left, 127))
                out << char(128 + std::min(left, 127)) << char(p[c]);
        }
    }
}

// A panorama from 8 overhead to 0 underfoot, flat and run-length, at the
// exposure the importer chooses or at 1 (where 7/8 of it is over 1).
TEST(TextureTool, AnHdrPanoramaKeepsItsLightAtItsExposure) {
    struct Row { const char *what; bool runs; const char *exposure; double whiteFrom, whiteTo; };
    const Row rows[] = {{"flat", false, nullptr, 0.0, 0.125}, {"run-length", true, nullptr, 0.0, 0.125},
                        {"exposure 1", true, "1\n", 0.6, 1.0}};
    std::map<std::string, std::string> flat;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TempDir tmp;
        const fs::path textures = tmp.path / "textures", world = tmp.path / "pictures/world";
        writeSmallTree(textures);
        fs::create_directories(world);
        writeRadiance(world / "panorama.hdr", 64, 32, row.runs, [](int y) { return 8.0 * (1.0 - (y + 0.5) / 32); });
        if (row.exposure)
            writeText(world / "exposure.txt", row.exposure);
        const ChildProcess p = runImport(tmp.path / "pictures", textures);
        ASSERT_EQ(p.exitStatus, 0) << p.errText;
        Cube cube;
        ASSERT_TRUE(readCube(textures, texlayout::kWorldSet, &cube));
        const double white = whiteShare(cube);
        EXPECT_TRUE(white >= row.whiteFrom && white <= row.whiteTo) << white;
        const auto middle = [&](int slot) {
            const RgbaImage &f = cube.faces[slot];
            return f.rgba[(f.height / 2 * f.width + f.width / 2) * 4];
        };
        EXPECT_GT(middle(texlayout::kPlusYSlot), middle(texlayout::kMinusYSlot)) << "brighter overhead";
        const auto now = snapshot(textures);
        if (!row.exposure && flat.empty()) {
            flat = now;
        } else if (!row.exposure) {
            EXPECT_TRUE(std::equal(flat.begin(), flat.end(), now.begin(), [](const auto &a, const auto &b) {
                return a.second == b.second;
            })) << "flat and run-length rows differ";
        }
    }
}

double degreesApart(Dir3 a, Dir3 b) {
    return std::acos(std::clamp(texlayout::dot(unit(a), unit(b)), -1.0, 1.0)) * 180.0 / kPi;
}

// The sun of skies of chosen light; or as given in world/sun.txt.
TEST(TextureTool, TheSunIsFoundWhereTheSkyIsBrightest) {
    const Dir3 low = unit({2, 0.5, -1}), high = unit({-0.3, 1, 0.4}), up{0, 1, 0};
    const auto within = [](Dir3 d, Dir3 c, double degrees) { return degreesApart(d, c) < degrees; };
    struct Row { const char *what; LightFn light; bool hdr; Dir3 sun; double shadow; };
    const Row rows[] = {
        {"an 8-bit sun in an orange glow", [&](Dir3 d) {
             return within(d, low, 3) ? rgb(1, 1, 1) : within(d, low, 12) ? rgb(0.9, 0.6, 0.3) : rgb(0.4, 0.5, 0.7);
         }, false, low, 1.0},
        {"an HDR sun over bright clouds", [&](Dir3 d) {
             const double l = within(d, high, 1) ? 5000 : d.x > 0.3 ? 3 : 1;
             return rgb(l, l, l);
         }, true, high, 1.0},
        {"a plain sky", [](Dir3) { return rgb(0.5, 0.5, 0.5); }, false, up, 0.0},
        {"a bright horizon all round", [](Dir3 d) { return unit(d).y < 0.15 ? rgb(1, 1, 1) : rgb(0.5, 0.5, 0.5); },
         false, up, 0.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const texlayout::SunRecord sun = findSun(row.light, row.hdr, 256);
        EXPECT_LT(degreesApart(sun.direction, row.sun), 1.0);
        EXPECT_EQ(sun.shadow, row.shadow);
        const double y = luminance(sun.light), full = luminance(texlayout::kSunLight);
        EXPECT_NEAR(y, row.shadow > 0 ? full : full / 3, 1e-6);
    }
    const texlayout::SunRecord glow = findSun(rows[0].light, false, 256);
    EXPECT_TRUE(glow.light.r > glow.light.g && glow.light.g > glow.light.b) << "the glow's colour";
    TempDir tmp;
    const std::tuple<const char *, Dir3, double> given[] = {
        {"0 2 0\n", up, 1.0}, {" None ", up, 0.0}, {"-2 1 0.5", unit({-2, 1, 0.5}), 1.0}};
    for (const auto &[text, sun, shadow] : given) {
        texlayout::SunRecord given;
        std::string why;
        writeText(tmp.path / "sun.txt", text);
        ASSERT_TRUE(readSunFile((tmp.path / "sun.txt").string(), rows[2].light, &given, &why)) << why;
        EXPECT_LT(degreesApart(given.direction, sun), 1e-6) << text;
        EXPECT_EQ(given.shadow, shadow) << text;
    }
}

// Killed between building and swapping, with the tree on another filesystem
// than TMPDIR, the import leaves the old tree whole; the next run removes
// what it left and swaps the new tree in whole.
TEST(TextureTool, AnImportKilledBeforeItsSwapLeavesTheOldTree) {
    // /dev/shm is a tmpfs where there is one; a root without it tests the
    // kill alone.
    TempDir shm("/dev/shm"), other;
    const TempDir &tmp = shm.path.empty() ? other : shm;
    TempDir source;
    const fs::path textures = tmp.path / "textures";
    writeSmallTree(textures);
    writePictureFile(source.path / "front/floor.tga", kFace, kFace);
    writePictureFile(source.path / "world/ground.tga", kFace, kFace);
    const auto before = snapshot(textures);
    ChildProcess held = runImport(source.path, textures, {{"TEXGEN_HOLD_BEFORE_SWAP", "1"}});
    ASSERT_TRUE(waitUntil(held, [](const Lines &l) {
        return !l.err.empty() && startsWith(l.err.back(), "holding before the swap");
    }));
    kill(held.pid, SIGKILL);
    waitForExit(held);
    EXPECT_TRUE(snapshot(textures) == before);
    const ChildProcess next = runImport(source.path, textures);
    EXPECT_EQ(next.exitStatus, 0) << next.errText;
    EXPECT_NE(next.errText.find("left by an import that was stopped"), std::string::npos) << next.errText;
    const auto after = snapshot(textures);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_NE(after.at(texturePath(textures, 4, texlayout::kMinusYSlot).string()),
              before.at(texturePath(textures, 4, texlayout::kMinusYSlot).string()));
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path), {}), 1) << "staging left behind";
}

}  // namespace
