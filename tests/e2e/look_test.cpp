// Rules of the building's look, each checked on textures made to show it:
// glass reflects more at grazing angles and alone glints in the sun, the
// ground is a plane under the eye with a contact shade of its own reach
// and a sharp shadow, unlit rooms keep only their daylight, plain maps give
// plain rooms, distant rooms fade each at its own threshold to the far
// colour, and the facade's two taps tame its aliasing at grazing angles.
// (Rooms at an edge that see out, and the furniture, show in the stored
// class maps.)
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
    bool farBlue = false;       // the far colour's patch of the rooms' sheets is blue
    bool stripedFacade = false; // the facades' texel columns alternately black and white
};

const Rgb black{0, 0, 0}, grey{128, 128, 128}, green{0, 200, 0}, blue{0, 0, 255}, white{255, 255, 255};

// Whether texel (i, j) of the face towards the facade of set `set` lies in
// the far colour's patch of the world cell.
bool inFarPatch(int set, int i, int j)
{
    const texlayout::SheetPoint p = sheetPointOfTexel(set, i, j, kFace);
    return p.i == 0 && p.j == 0 && texlayout::worldCellPartAt(p.x, p.y) == texlayout::WorldCellPart::Far;
}

// File `file` of set `set` (see texture_tree.h) for the textures t.
RgbaImage textureImage(const Textures &t, int set, int file)
{
    const int k = file - 1;   // the cube face
    const bool checker = set == 6 && k == 3 && t.checkerGround;   // GL's -Y face
    const int alpha = set == 6 || set == k ? 255 : t.roomAlpha;   // set s looks out through slot s
    RgbaImage img = makeSolidImage(kFace, 128, 128, 128, file == 0 ? t.facadeAlpha : alpha);
    for (int texel = 0; texel < kFace * kFace; ++texel) {
        const int i = texel % kFace, j = texel / kFace;
        const bool world = set == 6 || (set == k && t.worldInSheet);
        const bool far = set == k && t.farBlue && inFarPatch(set, i, j);
        Rgb c = checker ? ((i / 16 + j / 16) % 2 ? white : black) : far ? blue : world ? t.world : t.room;
        if (file == 0)
            c = t.stripedFacade ? (i % 2 ? white : black) : grey;
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

// The mean difference in brightness between neighbouring pixels of a
// screen rectangle: how much high-frequency detail (or aliasing) it holds.
double detail(const Screenshot &s, int x0, int y0, int x1, int y1)
{
    long sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            sum += std::abs(brightness(s.at(x + 1, y)) - brightness(s.at(x, y))) +
                   std::abs(brightness(s.at(x, y + 1)) - brightness(s.at(x, y)));
    return double(sum) / ((x1 - x0) * (y1 - y0));
}

struct LookCase {
    const char *name;
    Textures textures;
    std::string keys, moreKeys;   // the views: after keys, then after moreKeys too
    std::function<void(const Screenshot &, const Screenshot &)> check;
    int secondWindow = 0;         // the second view in a window this many pixels square
    // Or the second view is the first again, drawn by the fragment stage
    // joined with this WITHOUT_... name: the feature's reference.
    const char *withoutFeature = nullptr;
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
         // Its edge is sharp: near its tip, where the ray to the sun only
         // clips the building's corner, it is still about half as bright.
         EXPECT_LT(brightness(s.at(790, 611)) * 10, brightness(s.at(301, 617)) * 6);
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
    // is evenly lit, without a glint, and not blown out.
    {"OnlyGlassGlintsInTheSun", {grey, 255, grey, false, 255},
     "wwwwwwwwwwwwwwwwwwwwwwwwwddeeefffffffssssssssssss", "",
     [](const Screenshot &s, const Screenshot &) {
         const auto [darkestRoof, brightestRoof] = extremes(s, 432, 432, 592, 592);
         EXPECT_LE(brightestRoof, darkestRoof + 30);
         EXPECT_LT(brightestRoof, 3 * 240);
     }},
    // Rooms that keep half their light without the lamp, from 0.6 before the
    // face: each room of the middle rows is at least as bright at its window
    // (the floor or the ceiling just behind the glass) as at its back, and an
    // unlit one brighter.
    {"UnlitRoomsKeepTheirDaylight", {green, 128, grey, false, 0}, "wwwwwwwwwwwwwwwww", "",
     [](const Screenshot &s, const Screenshot &) {
         double fallMost = 0;
         for (int x : {69, 327, 697, 955})
             for (const auto &[window, back] : {std::pair{867, 586}, {157, 438}}) {
                 const double fall = double(brightness(s.at(x, window))) / std::max(1, brightness(s.at(x, back)));
                 EXPECT_GE(fall, 0.9) << "at column " << x << ", rows " << window << " and " << back;
                 fallMost = std::max(fallMost, fall);
             }
         EXPECT_GE(fallMost, 1.3);
     }},
    // Plain cube maps give plain rooms: their colour, lit or dimmed, with no
    // blinds, curtains or furniture. The building shrunk to 17 pixels in a
    // small window has rooms of about four pixels, some of which have turned
    // to the far colour (blue here), some not yet.
    {"PlainMapsGivePlainRoomsAndDistantOnesTheirFarColour", {green, 255, grey, false, 0, false, true}, "", "",
     [](const Screenshot &near, const Screenshot &small) {
         for (Rgb c : leftFaceRooms(near))
             EXPECT_GT(c.g, 2 * std::max(c.r, c.b)) << c.r << " " << c.g << " " << c.b;
         int green = 0, blue = 0;
         for (int j = 0; j < 4; ++j)
             for (int i = 0; i < 4; ++i) {
                 const Rgb c = small.at(40 + int((i - 1.5) * 4.33), 40 + int((j - 1.5) * 4.33));
                 EXPECT_LT(c.r, std::max(c.g, c.b) / 2) << c.r << " " << c.g << " " << c.b;
                 green += c.g > 2 * c.b;
                 blue += c.b > c.g;
             }
         EXPECT_GT(green, 0);
         EXPECT_GT(blue, 0);
     }, 80},
    // Opaque facades of black and white texel columns, seen along the left
    // face: the two taps along the footprint's long axis leave less
    // aliasing than one tap.
    {"FacadeTapsTameAliasingAtGrazingAngles", {grey, 255, grey, false, 255, false, false, true},
     "wwwwwwwwwwwwwwwwwaaaaaaaaaaaaaaaaaeeeeee", "",
     [](const Screenshot &twoTaps, const Screenshot &oneTap) {
         const double two = detail(twoTaps, 300, 300, 380, 700), one = detail(oneTap, 300, 300, 380, 700);
         EXPECT_LT(two, 0.8 * one) << "two taps " << two << ", one tap " << one;
     }, 0, "WITHOUT_SECOND_TAP"},
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
    if (c.withoutFeature != nullptr) {
        stopProcess(v);
        v = ChildProcess();
        ChildProcess join;
        ASSERT_EQ(runShaderJoin(join, {"-D", c.withoutFeature, "-o", dir + "/FLight.glsl", FRAGMENT_PARTS}), 0)
            << join.errText;
        start();
        ASSERT_TRUE(waitForFrames(v, 1));
        ASSERT_TRUE(pressAndSettle(v, c.keys));
    }
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
