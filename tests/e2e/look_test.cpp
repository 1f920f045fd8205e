// Rules of the building's look, each checked on textures made to show it:
// glass reflects more at grazing angles, the ground is a plane under the eye
// with a contact shade, unlit rooms lose their lamp, rooms at an edge see
// out through their outer wall, plain maps give plain rooms, and rooms
// differ in their furniture.
#include "harness.h"
#include "tga_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <set>

namespace {

const int kFace = 64;   // texels along every texture's side

struct Textures {
    Rgb room;                 // every room cube-map face ...
    int roomAlpha;            // ... with this alpha: the light that is not the lamp's
    bool furnitureQuarters;   // the face towards the facade: four opaque pieces in its
                              // corner cells, clear between (or wholly clear)
    Rgb world;                // the world's faces ...
    bool checkerGround;       // ... except -Y, a checker of squares two units wide
    int facadeAlpha;          // the facades are grey with this alpha
};

const Rgb quarters[4] = {{255, 0, 0}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
const Rgb black{0, 0, 0}, grey{128, 128, 128}, green{0, 200, 0};

RgbaImage image(const std::function<Rgb(int i, int j)> &color, int alpha)
{
    RgbaImage img = makeSolidImage(kFace, 0, 0, 0, alpha);
    for (int texel = 0; texel < kFace * kFace; ++texel) {
        const Rgb c = color(texel % kFace, texel / kFace);
        img.rgba[texel * 4] = c.r, img.rgba[texel * 4 + 1] = c.g, img.rgba[texel * 4 + 2] = c.b;
    }
    return img;
}

void writeTextures(const std::string &dir, const Textures &t)
{
    const char *const sets[] = {"right", "left", "top", "bottom", "front", "back", "world"};
    const char *const slots[] = {"posx", "negx", "negy", "posy", "posz", "negz"};
    for (int set = 0; set < 7; ++set) {
        const std::string base = dir + "/" + sets[set] + "/";
        std::filesystem::create_directories(base);
        ASSERT_TRUE(writeTga(base + "exterior.tga", makeSolidImage(kFace, 128, 128, 128, t.facadeAlpha),
                             TgaRowOrder::BottomFirst));
        for (int k = 0; k < 6; ++k) {
            const bool checker = set == 6 && k == 3 && t.checkerGround;   // GL's -Y face
            const bool pieces = set == k && t.furnitureQuarters;   // set s looks out through slot s
            const int alpha = set == 6 || (set == k && !pieces) ? 255 : pieces ? 0 : t.roomAlpha;
            RgbaImage face = image([&](int i, int j) {
                if (checker)
                    return (i / 16 + j / 16) % 2 ? Rgb{255, 255, 255} : black;
                return pieces ? quarters[i * 2 / kFace + 2 * (j * 2 / kFace)] : set == 6 ? t.world : t.room;
            }, alpha);
            for (int texel = 0; pieces && texel < kFace * kFace; ++texel)   // cells between the corners
                if ((texel % kFace) * 3 / kFace == 1 || (texel / kFace) * 3 / kFace == 1)
                    face.rgba[texel * 4] = t.room.r, face.rgba[texel * 4 + 1] = t.room.g,
                    face.rgba[texel * 4 + 2] = t.room.b, face.rgba[texel * 4 + 3] = 255;
            ASSERT_TRUE(writeTga(base + slots[k] + ".tga", face, TgaRowOrder::TopFirst));
        }
    }
}

int brightness(Rgb c) { return c.r + c.g + c.b; }

// The darkest pixel of a grid of samples over a screen rectangle.
int darkest(const Screenshot &s, int x0, int y0, int x1, int y1)
{
    int least = 3 * 255;
    for (int y = y0; y <= y1; y += 5)
        for (int x = x0; x <= x1; x += 5)
            least = std::min(least, brightness(s.at(x, y)));
    return least;
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
    // Black rooms behind clear glass: head-on the glass reflects little; the
    // second view runs along the left face from x = -0.6 (at about 80 degrees),
// which lies left of the middle of the window.
    {"GlassReflectsMoreAtGrazingAngles", {black, 255, false, grey, false, 0}, "",
     "wwwwwwwwwwwwwwwwwaaaaaaaaaaaaaaaaaeeeeee",
     [](const Screenshot &ahead, const Screenshot &grazing) {
         const int straight = darkest(ahead, 440, 440, 584, 584);
         const int along = darkest(grazing, 335, 470, 370, 560);
         EXPECT_GE(along, 150);
         EXPECT_GE(along, 4 * straight) << "head-on " << straight << ", grazing " << along;
     }},
    // From (4.4, 0.5, 0.5) looking along -x: the ground 0.12 from the right
    // face (row 648) lies in its contact shade, the ground 1.5 from the eye
    // (row 808) does not.
    {"GroundIsShadedByTheBuilding", {grey, 255, false, grey, false, 255}, "qqqqqqqqqqqq"
     "ssssssssssssssssssssssssssssssssssssssssss", "",
     [](const Screenshot &s, const Screenshot &) {
         EXPECT_LT(brightness(s.at(512, 648)) * 10, brightness(s.at(512, 808)) * 8);
         // Beside the building, half a unit out: the ground at z = -0.5 (on
         // the right) lies in its shadow from the sun, at z = 1.5 it does not.
         EXPECT_LT(brightness(s.at(723, 617)) * 10, brightness(s.at(301, 617)) * 8);
     }},
    // Ten steps further back, the ground just in front of the building (row
    // 660) is ground two units further on, on the next square of the checker.
    {"GroundIsAPlaneUnderTheEye", {grey, 255, false, grey, true, 255}, "qqqqqqqqqqqq"
     "ssssssssssssssssssssssssssssssssssssssssss", "ssssssssss",
     [](const Screenshot &before, const Screenshot &after) {
         EXPECT_GT(std::abs(brightness(before.at(512, 660)) - brightness(after.at(512, 660))), 200);
     }},
    // Rooms whose whole light is the lamp's: unlit ones go dark.
    {"UnlitRoomsLoseTheirLamp", {green, 0, false, grey, false, 0}, "", "",
     [](const Screenshot &s, const Screenshot &) {
         std::vector<int> room;   // the green ones, or dark (not behind a blind)
         for (Rgb c : leftFaceRooms(s))
             if (c.g > 2 * std::max(c.r, c.b) + 5 || brightness(c) < 30) room.push_back(brightness(c));
         ASSERT_GE(room.size(), 6u);
         const auto [dim, bright] = std::minmax_element(room.begin(), room.end());
         EXPECT_GE(*bright, 5 * *dim);
     }},
    // Black world and rooms: from (-1.6, 0.5, 1.5) looking 45 degrees left of
    // +x, the left face's rooms at z < 0.25 show the sky through a window in
    // their outer wall; nothing else is sky-blue.
    {"EdgeRoomsSeeOut", {black, 255, false, black, false, 0}, "wwwwwwwwwwwwdddddqqq", "",
     [](const Screenshot &s, const Screenshot &) {
         int sky = 0;
         for (const Rgb &c : s.pixels) sky += c.b >= 140 && c.b > c.r + 15;
         EXPECT_GT(sky, 300);
     }},
    // Plain cube maps give plain rooms: their colour, lit or dimmed, with no
    // blinds, curtains or furniture; so does the building shrunk to a few
    // pixels in a small window, where rooms fade to their far colour.
    {"PlainMapsGivePlainRooms", {green, 255, false, grey, false, 0}, "", "",
     [](const Screenshot &near, const Screenshot &small) {
         std::vector<Rgb> seen = leftFaceRooms(near);
         for (int y = 28; y <= 36; y += 4)
             for (int x = 28; x <= 36; x += 4) seen.push_back(small.at(x, y));
         for (Rgb c : seen)
             EXPECT_GT(c.g, 2 * std::max(c.r, c.b)) << c.r << " " << c.g << " " << c.b;
     }, 64},
    // Each room stands one of the four pieces (a quarter's colour) or none.
    {"RoomsDifferInFurniture", {green, 255, true, grey, false, 0}, "", "",
     [](const Screenshot &s, const Screenshot &) {
         std::set<int> pieces;
         int bare = 0;
         for (Rgb c : leftFaceRooms(s)) {
             bare += c.g > 2 * std::max(c.r, c.b);
             for (int q = 0; q < 4; ++q)   // the channels that are on tell the quarter
                 if ((c.r > 60) == (quarters[q].r > 0) && (c.g > 60) == (quarters[q].g > 0) && (c.b > 60) == (quarters[q].b > 0))
                     pieces.insert(q);
         }
         EXPECT_GE(pieces.size(), 3u);
         EXPECT_GE(bare, 1);
     }},
};

class Look : public ViewerTest, public ::testing::WithParamInterface<LookCase> {};

TEST_P(Look, Rule)
{
    const LookCase &c = GetParam();
    removeTree(dir + "/textures");
    writeTextures(dir + "/textures", c.textures);
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    ASSERT_TRUE(pressAndSettle(v, c.keys));
    const Screenshot first = grabWindow(v);
    if (c.secondWindow > 0)
        resizeWindow(v, c.secondWindow, c.secondWindow);
    ASSERT_TRUE(pressAndSettle(v, c.moreKeys));
    const Screenshot second = grabWindow(v);
    c.check(first, second);
    const std::string saved = std::filesystem::temp_directory_path() / ("look-" + std::string(c.name));
    if (HasFailure()) {
        savePpm(first, saved + "-1.ppm");
        savePpm(second, saved + "-2.ppm");
        ADD_FAILURE() << "the two views are " << saved << "-1.ppm and -2.ppm";
    }
}

INSTANTIATE_TEST_SUITE_P(Building, Look, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<LookCase> &info) { return info.param.name; });

}  // namespace
