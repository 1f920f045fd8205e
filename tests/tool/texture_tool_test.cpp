// The texture tool without a display: the generated textures exported as
// pictures and imported again come back; and the import as a user meets it,
// run as a real process: odd and bad pictures, sizes, and a run killed
// before its swap.
#include "example_pictures.h"
#include "import.h"
#include "process.h"
#include "tga_write.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    const double margin = 1.0 - 2.0 / (side * texlayout::kCellHalf);
    return std::fabs(p.x) < margin && std::fabs(p.y) < margin;
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
            // the edges of the furniture by a fraction of a texel.
            const bool sheet = file == set;
            const int largest = compare(imported, generated, [&](double s, double t) {
                return !sheet || readBySheet(set, generated.width, s, t);
            });
            SCOPED_TRACE(texturePath(textures, set, file));
            EXPECT_LE(largest, sheet ? 40 : 1);
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
    {"a picture too large to read", [](const fs::path &s) { writePictureFile(s / "left/floor.tga", 17000, 4); },
     "left/floor.tga", "16384", false},
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
     "left/floor.tga", "48 x 16 resized to 48 x 48", true},
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
    EXPECT_GT(texel(front, 0.5, 0.5), kOld.rgba[0]);             // the far colour
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
