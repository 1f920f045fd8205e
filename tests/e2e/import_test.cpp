// The importer, end to end: pictures of one colour each (two for the facade
// and the ground) imported over the built textures, then seen in the
// viewer; and bad input, which must name the file and change nothing.
#include "harness.h"
#include "tga_write.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;

const int kSize = 32;
const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, yellow{255, 255, 0},
    magenta{255, 0, 255}, cyan{0, 255, 255}, orange{255, 128, 0}, purple{128, 0, 255},
    spring{0, 255, 128}, pink{255, 0, 128}, white{255, 255, 255};

// A picture (first row on top) coloured and made opaque by halves: `half`
// over the upper half (the left half with `leftHalf`), `rest` elsewhere.
void writePicture(const std::string &path, Rgb rest, int restAlpha, Rgb half, int halfAlpha,
                  bool leftHalf)
{
    RgbaImage img = makeRgbaImage(kSize, kSize);
    for (int p = 0; p < kSize * kSize; ++p) {
        const bool inHalf = (leftHalf ? p % kSize : p / kSize) < kSize / 2;
        const Rgb c = inHalf ? half : rest;
        const unsigned char px[4] = {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                                     static_cast<unsigned char>(c.b),
                                     static_cast<unsigned char>(inHalf ? halfAlpha : restAlpha)};
        std::copy(px, px + 4, img.rgba.begin() + p * 4);
    }
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(writeTga(path, img, TgaRowOrder::TopFirst));
}
void writeSolid(const std::string &path, Rgb c, int alpha = 255)
{
    writePicture(path, c, alpha, c, alpha, false);
}

// Runs the importer; returns its exit status, its standard error in `err`.
int runImporter(const std::string &source, const std::string &textures, std::string &err)
{
    ChildProcess p;
    LaunchOptions o;
    o.program = IMPORT_SCRIPT;
    o.args = {source, textures};
    if (!launchProcess(p, o))
        return -1;
    const int status = waitForExit(p, 120);
    err = p.errText;
    return status;
}

// The colour's hue is that of ref (brightness aside).
bool looksLike(Rgb c, Rgb ref)
{
    const double m = std::max({c.r, c.g, c.b});
    return m >= 24 && std::hypot(c.r / m - ref.r / 255.0, c.g / m - ref.g / 255.0,
                                 c.b / m - ref.b / 255.0) <= 0.3;
}

// Pixels of ref's hue in the screen rectangle [x0, x1) x [y0, y1).
int countLike(const Screenshot &s, Rgb ref, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += looksLike(s.at(x, y), ref);
    return n;
}

class Import : public ViewerTest {
protected:
    std::string source = dir + "/pictures";
};

TEST_F(Import, EachPictureLandsWhereItShould)
{
    // The left face (x = 0): its facade opaque on the left half, glass on
    // the right; the room's surfaces one colour each; furniture, blinds and
    // curtains wholly transparent, so the rooms are plain.
    const std::string left = source + "/left/";
    writePicture(left + "facade.tga", {128, 128, 128}, 0, {128, 128, 128}, 255, true);
    writeSolid(left + "back.tga", red);
    writeSolid(left + "left.tga", green);
    writeSolid(left + "right.tga", blue);
    writeSolid(left + "floor.tga", yellow);
    writeSolid(left + "ceiling.tga", magenta);
    for (const char *layer : {"furniture.tga", "blind.tga", "curtains.tga"})
        writeSolid(left + layer, cyan, 0);
    const std::string world = source + "/world/";
    for (const char *side : {"nx.tga", "pz.tga", "nz.tga"})
        writeSolid(world + side, purple);
    writeSolid(world + "px.tga", orange);
    writeSolid(world + "py.tga", spring);
    writePicture(world + "ground.tga", white, 255, pink, 255, false);   // -Z on top
    std::string err;
    ASSERT_EQ(runImporter(source, dir + "/textures", err), 0) << err;

    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    // From (-1.6, 0.5, 0.1) looking along +x: the rooms of the column
    // z = 0.5 .. 0.75 (screen x 734 .. 872) lie right of the eye, so they
    // show their right walls; the top row (y 235 .. 373) shows ceilings,
    // the bottom row (651 .. 789) floors.
    ASSERT_TRUE(pressAndSettle(v, "wwwwwwwwwwwwaa"));
    const Screenshot s = grabWindow(v);
    EXPECT_GT(countLike(s, magenta, 744, 245, 862, 363), 100);
    EXPECT_EQ(countLike(s, yellow, 744, 245, 862, 363), 0);
    EXPECT_GT(countLike(s, yellow, 744, 661, 862, 779), 100);
    EXPECT_EQ(countLike(s, magenta, 744, 661, 862, 779), 0);
    EXPECT_GT(countLike(s, blue, 744, 245, 862, 779), 100);
    EXPECT_GT(countLike(s, red, 744, 245, 862, 779), 100);
    EXPECT_EQ(countLike(s, green, 744, 245, 862, 779), 0);
    EXPECT_EQ(countLike(s, cyan, 744, 245, 862, 779), 0);
    // The facade's left half (z 0.2 .. 0.45) is wall: no room shows there.
    for (Rgb room : {red, green, blue, yellow, magenta})
        EXPECT_EQ(countLike(s, room, 570, 300, 700, 720), 0);
    // The sky along +x is px; the ground tile has -Z on top: pink on the
    // ground to the left (z = -0.3), white to the right (z = 0.6).
    EXPECT_TRUE(looksLike(s.at(512, 60), orange));
    EXPECT_TRUE(looksLike(s.at(100, 1000), pink));
    EXPECT_TRUE(looksLike(s.at(1000, 1000), white));
    // Straight up is py.
    ASSERT_TRUE(pressAndSettle(v, "rrrrrrrrrrrrrrrrr"));
    EXPECT_TRUE(looksLike(grabWindow(v).at(512, 512), spring));
    if (HasFailure()) {
        savePpm(s, fs::temp_directory_path() / "import-view.ppm");
        ADD_FAILURE() << "the view is " << fs::temp_directory_path() / "import-view.ppm";
    }
}

// Every file and folder under root, with a file's contents.
std::map<std::string, std::string> snapshot(const std::string &root)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        files[entry.path().string()] = entry.is_regular_file() ? readAll(entry.path().string()) : "";
    return files;
}

TEST_F(Import, BadInputIsNamedAndChangesNothing)
{
    const std::map<std::string, std::string> before = snapshot(dir + "/textures");
    // Good pictures beside the bad one, in this set and another.
    writeSolid(source + "/left/floor.tga", yellow);
    writeSolid(source + "/world/px.tga", orange);
    const std::pair<std::string, std::string> bad[] = {
        {"/left/back.png", "not a picture"},
        {"/left/window.tga", ""},   // an unknown name: a valid picture
    };
    for (const auto &[name, text] : bad) {
        if (text.empty())
            writeSolid(source + name, red);
        else
            writeFile(source + name, text);
        std::string err;
        EXPECT_NE(runImporter(source, dir + "/textures", err), 0);
        EXPECT_NE(err.find(source + name), std::string::npos) << err;
        EXPECT_TRUE(snapshot(dir + "/textures") == before) << "after " << name;
        fs::remove(source + name);
    }
}

}  // namespace
