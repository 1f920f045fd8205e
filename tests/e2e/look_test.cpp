// Rules of the building's look, each checked on textures made to show it:
// glass reflects more at grazing angles and alone glints in the sun, the
// ground is a plane under the eye with a contact shade of its own reach,
// unlit rooms lose their lamp, and plain maps give plain rooms. (Rooms at
// an edge that see out, and the furniture, show in the stored class maps.)
#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const int kFace = 64;   // texels along every texture's side

struct Textures {
    Rgb room;                 // every room cube-map face ...
    int roomAlpha;            // ... with this alpha: the light that is not the lamp's
    Rgb world;                // the world's faces ...
    bool checkerGround;       // ... except -Y, a checker of squares two units wide
    int facadeAlpha;          // the facades are grey with this alpha
    bool worldInSheet = false;  // the rooms' sheet faces carry the world's colour (the glass reflects it)
};

const Rgb black{0, 0, 0}, grey{128, 128, 128}, green{0, 200, 0}, white{255, 255, 255};

// File `file` of set `set` (see texture_tree.h) for the textures t.
RgbaImage textureImage(const Textures &t, int set, int file)
{
    const int k = file - 1;   // the cube face
    const bool checker = set == 6 && k == 3 && t.checkerGround;   // GL's -Y face
    const int alpha = set == 6 || set == k ? 255 : t.roomAlpha;   // set s looks out through slot s
    RgbaImage img = makeSolidImage(kFace, 128, 128, 128, file == 0 ? t.facadeAlpha : alpha);
    for (int texel = 0; texel < kFace * kFace && file > 0; ++texel) {
        const int i = texel % kFace, j = texel / kFace;
        const bool world = set == 6 || (set == k && t.worldInSheet);
        const Rgb c = checker ? ((i / 16 + j / 16) % 2 ? white : black) : world ? t.world : t.room;
        img.rgba[texel * 4] = c.r, img.rgba[texel * 4 + 1] = c.g, img.rgba[texel * 4 + 2] = c.b;
    }
    return img;
}

int brightness(Rgb c) { return c.r + c.g + c.b; }

// The darkest and the brightest pixel of a grid of samples over a screen
// rectangle.
std::pair<int, int> extremes(const Screenshot &s, int x0, int y0, int x1, int y1)
{
    std::pair<int, int> range = {3 * 255, 0};
    for (int y = y0; y <= y1; y += 5)
        for (int x = x0; x <= x1; x += 5)
            range = {std::min(range.first, brightness(s.at(x, y))), std::max(range.second, brightness(s.at(x, y)))};
    return range;
}

// Screen positions of the lower middle of the 4 x 4 rooms of the left face
// (x = 0) from the start (eye (-4, 0.5, 0.5) looking along +x): 886.8 pixels
// of focal length, +z to the right.
std::vector<Rgb> leftFaceRooms(const Screenshot &s)
{
    std::vector<Rgb> rooms;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            rooms.push_back(s.at(512 + int(((i + 0.5) / 4 - 0.5) * 886.8 / 4),
                                 512 - int(((j + 0.3) / 4 - 0.5) * 886.8 / 4)));
    return rooms;
}

struct LookCase {
    const char *name;
    Textures textures;
    std::string keys, moreKeys;   // the views: after keys, then after moreKeys too
    std::function<void(const Screenshot &, const Screenshot &)> check;
    int secondWindow = 0;         // the second view in a window this many pixels square
};

void PrintTo(const LookCase &c, std::ostream *os) { *os << c.name; }

const LookCase cases[] = {
    // Black rooms behind clear glass, their sheets carrying a white world:
    // head-on the glass reflects little of it; the second view runs along
    // the left face from x = -0.6 (at about 80 degrees), which lies left of
    // the middle of the window.
    {"GlassReflectsMoreAtGrazingAngles", {black, 255, white, false, 0, true}, "",
     "wwwwwwwwwwwwwwwwwaaaaaaaaaaaaaaaaaeeeeee",
     [](const Screenshot &ahead, const Screenshot &grazing) {
         const int straight = extremes(ahead, 440, 440, 584, 584).first;
         const int along = extremes(grazing, 335, 470, 370, 560).first;
         EXPECT_GE(along, 150);
         EXPECT_GE(along, 4 * straight) << "head-on " << straight << ", grazing " << along;
     }},
    // From (4.4, 0.5, 0.5) looking along -x: the ground 0.12 from the right
    // face (row 648) lies in its contact shade; the ground 0.75 from it (row
    // 679), beyond the shade's half unit, is as bright as the ground 1.5 from
    // the eye (row 808).
    {"GroundIsShadedByTheBuilding", {grey, 255, grey, false, 255}, "qqqqqqqqqqqq"
     "ssssssssssssssssssssssssssssssssssssssssss", "",
     [](const Screenshot &s, const Screenshot &) {
         EXPECT_LT(brightness(s.at(512, 648)) * 10, brightness(s.at(512, 808)) * 8);
         EXPECT_GE(brightness(s.at(512, 679)) * 100, brightness(s.at(512, 808)) * 97);
         // Beside the building, half a unit out: the ground at z = -0.5 (on
         // the right) lies in its shadow from the sun, at z = 1.5 it does not.
         EXPECT_LT(brightness(s.at(723, 617)) * 10, brightness(s.at(301, 617)) * 8);
     }},
    // Ten steps further back, the ground just in front of the building (row
    // 660) is ground two units further on, on the next square of the checker.
    {"GroundIsAPlaneUnderTheEye", {grey, 255, grey, true, 255}, "qqqqqqqqqqqq"
     "ssssssssssssssssssssssssssssssssssssssssss", "ssssssssss",
     [](const Screenshot &before, const Screenshot &after) {
         EXPECT_GT(std::abs(brightness(before.at(512, 660)) - brightness(after.at(512, 660))), 200);
     }},
    // Opaque facades: from (-0.39, 1.88, -0.49) looking down 35 degrees
    // towards +x+z, the roof in the middle of the view mirrors the sun; it
    // is evenly lit, without a glint.
    {"OnlyGlassGlintsInTheSun", {grey, 255, grey, false, 255},
     "wwwwwwwwwwwwwwwwwwwwwwwwwddeeefffffffssssssssssss", "",
     [](const Screenshot &s, const Screenshot &) {
         const auto [darkestRoof, brightestRoof] = extremes(s, 432, 432, 592, 592);
         EXPECT_LE(brightestRoof, darkestRoof + 30);
     }},
    // Rooms whose whole light is the lamp's: unlit ones go dark.
    {"UnlitRoomsLoseTheirLamp", {green, 0, grey, false, 0}, "", "",
     [](const Screenshot &s, const Screenshot &) {
         std::vector<int> room;   // the green ones, or dark (not behind a blind)
         for (Rgb c : leftFaceRooms(s))
             if (c.g > 2 * std::max(c.r, c.b) + 5 || brightness(c) < 30) room.push_back(brightness(c));
         ASSERT_GE(room.size(), 6u);
         const auto [dim, bright] = std::minmax_element(room.begin(), room.end());
         EXPECT_GE(*bright, 5 * *dim);
     }},
    // Plain cube maps give plain rooms: their colour, lit or dimmed, with no
    // blinds, curtains or furniture; so does the building shrunk to a few
    // pixels in a small window, where rooms fade to their far colour.
    {"PlainMapsGivePlainRooms", {green, 255, grey, false, 0}, "", "",
     [](const Screenshot &near, const Screenshot &small) {
         std::vector<Rgb> seen = leftFaceRooms(near);
         for (int y = 28; y <= 36; y += 4)
             for (int x = 28; x <= 36; x += 4) seen.push_back(small.at(x, y));
         for (Rgb c : seen)
             EXPECT_GT(c.g, 2 * std::max(c.r, c.b)) << c.r << " " << c.g << " " << c.b;
     }, 64},
};

class Look : public ViewerTest, public ::testing::WithParamInterface<LookCase> {};

TEST_P(Look, Rule)
{
    const LookCase &c = GetParam();
    removeTree(dir + "/textures");
    writeTextureTree(dir + "/textures", [&](int set, int file) { return textureImage(c.textures, set, file); });
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    ASSERT_TRUE(pressAndSettle(v, c.keys));
    const Screenshot first = grabWindow(v);
    if (c.secondWindow > 0)
        resizeWindow(v, c.secondWindow, c.secondWindow);
    ASSERT_TRUE(pressAndSettle(v, c.moreKeys));
    const Screenshot second = grabWindow(v);
    c.check(first, second);
    const std::string name = std::string("look-") + c.name;
    if (HasFailure())
        ADD_FAILURE() << "the two views are " << savePpm(first, name + "-1") << " and " << savePpm(second, name + "-2");
}

INSTANTIATE_TEST_SUITE_P(Building, Look, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<LookCase> &info) { return info.param.name; });

}  // namespace
