// The importer, end to end: each picture, plain with a mark in one corner,
// is imported, and the viewer must show its mark where texture_layout.h's
// conventions put it; bad input must name the file and change nothing.
#include "harness.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

namespace {

namespace fs = std::filesystem;
using texlayout::Dir3;

const int kSize = 32, kMark = kSize / 4;   // texels along a picture's side and along its mark's
const int kLeftSet = 1, kTopSet = 2, kRooms = texlayout::kRoomsPerUnit;   // rooms along a face's side

const Rgb red{255, 0, 0}, orange{255, 128, 0}, yellow{255, 255, 0}, green{0, 255, 0},
    spring{0, 255, 128}, cyan{0, 255, 255}, blue{0, 0, 255}, violet{128, 0, 255},
    magenta{255, 0, 255}, rose{255, 0, 128}, white{255, 255, 255}, grey{128, 128, 128};
const Rgb kHues[] = {red, orange, yellow, green, spring, cyan, blue, violet, magenta, rose};
const int kHueCount = sizeof kHues / sizeof kHues[0];
// The room pictures (in kRoomPictures' order): their grounds and marks.
const Rgb kRoomGround[] = {red, green, blue, yellow, magenta};
const Rgb kRoomMark[] = {cyan, rose, orange, violet, spring};

struct Texel { Rgb c; int alpha; };
// Writes a picture, first row on top, of texel(x, y) at column x, row y.
void writePicture(const std::string &path, const std::function<Texel(int x, int y)> &texel, int width = kSize)
{
    RgbaImage img = makeRgbaImage(width, kSize);
    for (int p = 0; p < width * kSize; ++p) {
        const Texel t = texel(p % width, p / width);
        const int rgba[4] = {t.c.r, t.c.g, t.c.b, t.alpha};
        std::copy(rgba, rgba + 4, img.rgba.begin() + p * 4);
    }
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(writeTga(path, img, TgaRowOrder::TopFirst));
}
// A picture of colour `ground` and opacity `alpha` with an opaque square of
// colour `mark` and side kMark at column x0, row y0.
void writeMarked(const std::string &path, Rgb ground, int alpha, Rgb mark, int x0 = 0, int y0 = 0)
{
    writePicture(path, [=](int x, int y) {
        const bool inMark = x >= x0 && x < x0 + kMark && y >= y0 && y < y0 + kMark;
        return inMark ? Texel{mark, 255} : Texel{ground, alpha};
    });
}
void writeSolid(const std::string &path, Rgb c, int alpha = 255) { writeMarked(path, c, alpha, c); }

// Runs the importer; returns its exit status, its standard error in `err`.
int runImporter(const std::string &source, const std::string &textures, std::string &err)
{
    ChildProcess p;
    if (!launchProcess(p, {IMPORT_SCRIPT, {source, textures}, "", {}, {}}))
        return -1;
    const int status = waitForExit(p, 120);
    err = p.errText;
    return status;
}

// The hue of kHues nearest to c's (brightness aside), or -1 for a colour
// that is dark, pale or far from all of them.
int hueOf(Rgb c)
{
    const double m = std::max({c.r, c.g, c.b}), low = std::min({c.r, c.g, c.b});
    if (m < 20 || low > 0.6 * m)
        return -1;
    int best = -1;
    double nearest = 0.3;
    for (int k = 0; k < kHueCount; ++k) {
        const Rgb h = kHues[k];
        if (const double d = std::hypot(c.r / m - h.r / 255.0, c.g / m - h.g / 255.0, c.b / m - h.b / 255.0); d < nearest)
            nearest = d, best = k;
    }
    return best;
}
int hueIndex(Rgb c)
{
    return int(std::find_if(kHues, kHues + kHueCount, [c](Rgb h) { return h.r == c.r && h.g == c.g && h.b == c.b; }) - kHues);
}
bool pale(Rgb c) { return std::max({c.r, c.g, c.b}) >= 60 && std::min({c.r, c.g, c.b}) >= 0.7 * std::max({c.r, c.g, c.b}); }

// --- the world seen through the camera -------------------------------------

// The point of building face `set` at (u, v) of its extent along (across,
// up), each 0..1, and `depth` world units behind it.
Dir3 facePoint(int set, double u, double v, double depth)
{
    using namespace texlayout;
    return combine(1, combine(1, {0.5, 0.5, 0.5}, 0.5 - depth, faceNormal(set), u - 0.5, facadeAcross(set)),
                   v - 0.5, facadeUp(set), 0, {});
}
// The point q, (across, up, out) each -1..1 over the box, of room (i, j) of
// face `set`, for a room `depth` rooms deep.
Dir3 roomPoint(int set, int i, int j, Dir3 q, double depth)
{
    return facePoint(set, (i + 0.5 + 0.5 * q.x) / kRooms, (j + 0.5 + 0.5 * q.y) / kRooms,
                     0.5 * (1 - q.z) * depth / kRooms);
}

struct View {
    Screenshot shot;
    Lines lines;
    Pixel at(Dir3 p) const { return worldToPixel(lines, p, shot.width, shot.height); }
    // The colour at world point p, which must be on the screen.
    Rgb colourAt(Dir3 p) const
    {
        const Pixel px = at(p);
        const bool onScreen = px.ahead && px.x >= 0 && px.y >= 0 && px.x < shot.width && px.y < shot.height;
        EXPECT_TRUE(onScreen) << "(" << p.x << ", " << p.y << ", " << p.z << ") is off the screen";
        return onScreen ? shot.at(int(px.x), int(px.y)) : Rgb{0, 0, 0};
    }
};

struct Tally { int n = 0; double x = 0, y = 0; };   // pixels of a hue: how many, their centroid
Tally operator+(Tally a, Tally b) { return {a.n + b.n, a.x + b.x, a.y + b.y}; }
Pixel centroid(Tally t) { return {t.x / t.n, t.y / t.n, true}; }

// The pixels of each hue seen through the window of room (i, j) of face
// `set`: inside the room's facade quad on the screen.
std::array<Tally, kHueCount> tallyRoom(const View &w, int set, int i, int j)
{
    Pixel q[4];
    for (int c = 0; c < 4; ++c)
        q[c] = w.at(facePoint(set, double(i + (c == 1 || c == 2)) / kRooms, double(j + c / 2) / kRooms, 0));
    std::array<Tally, kHueCount> tally{};
    const auto span = [&q](double Pixel::*axis, int size, int end) {
        const auto [lo, hi] = std::minmax({q[0].*axis, q[1].*axis, q[2].*axis, q[3].*axis});
        return std::clamp(int(end ? hi + 1 : lo), 0, size);
    };
    for (int y = span(&Pixel::y, w.shot.height, 0); y < span(&Pixel::y, w.shot.height, 1); ++y)
        for (int x = span(&Pixel::x, w.shot.width, 0); x < span(&Pixel::x, w.shot.width, 1); ++x) {
            int sides = 0;   // on the same side of all four edges: inside
            for (int c = 0; c < 4; ++c)
                sides += (q[(c + 1) % 4].x - q[c].x) * (y - q[c].y) > (q[(c + 1) % 4].y - q[c].y) * (x - q[c].x) ? 1 : -1;
            const int h = std::abs(sides) == 4 ? hueOf(w.shot.at(x, y)) : -1;
            if (h >= 0)
                tally[h] = tally[h] + Tally{1, double(x), double(y)};
        }
    return tally;
}

// 1 if the mark's pixels lie off `reference` along the screen direction
// from `from` to `to` (on each axis it clearly has), -1 if not, 0 when
// too little shows to tell.
int markSide(Tally mark, Tally picture, Pixel reference, Pixel from, Pixel to)
{
    if (mark.n < std::max(25, picture.n / 64) || picture.n < 150)
        return 0;
    const Pixel m = centroid(mark);
    const double ex = to.x - from.x, ey = to.y - from.y, len = std::hypot(ex, ey);
    const bool wrongX = std::fabs(ex) > 0.25 * len && (m.x - reference.x) * ex <= 0;
    const bool wrongY = std::fabs(ey) > 0.25 * len && (m.y - reference.y) * ey <= 0;
    return wrongX || wrongY ? -1 : 1;
}

// A block of rooms: columns i0 .. i1 - 1, rows j0 .. j1 - 1.
struct Rooms { int i0, i1, j0, j1; };
const Rooms kAllRooms{0, kRooms, 0, kRooms};
// Rooms whose walls inside are the building's own, unless two windows share one.
const Rooms kInnerRooms{1, kRooms - 1, 1, kRooms - 1};
const Rooms kInnerRightOfMiddle{kRooms / 2, kRooms - 1, 1, kRooms - 1};

// Checks a mark in rooms `rooms` of face `set`: it must lie towards `markAt` from `centre` (points of
// the room box, taken one room deep) in every room that shows enough of
// it. With `fromWindow`, it lies across from the window's centre, otherwise
// from its picture's. Returns the number of rooms that show it.
int checkMark(const View &w, int set, const char *what, Rgb ground, Rgb mark, Dir3 centre, Dir3 markAt,
              Rooms rooms, bool fromWindow = false)
{
    int shown = 0;
    for (int i = rooms.i0; i < rooms.i1; ++i)
        for (int j = rooms.j0; j < rooms.j1; ++j) {
            const auto tally = tallyRoom(w, set, i, j);
            const Tally m = tally[hueIndex(mark)], picture = m + tally[hueIndex(ground)];
            Pixel reference = picture.n > 0 ? centroid(picture) : Pixel{};
            if (fromWindow)
                reference.x = w.at(roomPoint(set, i, j, {0, 0, 1}, 1)).x;
            const int side = markSide(m, picture, reference, w.at(roomPoint(set, i, j, centre, 1)),
                                      w.at(roomPoint(set, i, j, markAt, 1)));
            EXPECT_NE(side, -1) << kSetNames[set] << " " << what << ": mark astray in room " << i << ", " << j;
            shown += side == 1;
        }
    return shown;
}
// One room at least must show the mark (the sum of checkMark's counts).
void expectShown(int shown, int set, const char *what)
{
    EXPECT_GT(shown, 0) << kSetNames[set] << " " << what << ": no room shows its mark";
}

// --- the pictures and what the viewer must show of them -----------------------

// Each room surface and the facade (glass) marked at the top left;
// furniture and dressing clear.
void writeRoomsAndFacade(const std::string &set)
{
    for (int k = 0; k < texlayout::kRoomPictureCount; ++k)
        writeMarked(set + texlayout::kRoomPictures[k].name + ".tga", kRoomGround[k], 255, kRoomMark[k]);
    writeMarked(set + "facade.tga", grey, 0, white);
    for (const char *layer : {"furniture.tga", "blind.tga", "curtains.tga"})
        writeSolid(set + layer, grey, 0);
}

// Each surface's mark shows in the inner rooms of w or those of w2 right of the middle.
void expectRoomsAndFacade(const View &w, const View &w2, int set)
{
    for (int k = 0; k < texlayout::kRoomPictureCount; ++k) {
        const texlayout::PictureFrame &f = texlayout::kRoomPictures[k];
        const Dir3 markAt = texlayout::combine(1, f.centre, -0.75, f.right, 0.75, f.top);
        expectShown(checkMark(w, set, f.name, kRoomGround[k], kRoomMark[k], f.centre, markAt, kInnerRooms) +
                        checkMark(w2, set, f.name, kRoomGround[k], kRoomMark[k], f.centre, markAt, kInnerRightOfMiddle),
                    set, f.name);
    }
    // The facade's mark covers the room at its top left.
    EXPECT_TRUE(pale(w.colourAt(facePoint(set, 0.2, 0.8, 0))) && !pale(w.colourAt(facePoint(set, 0.2, 0.2, 0))))
        << kSetNames[set] << " facade";
}

// The furniture: four pieces (the picture's quarters) in colours of their
// own, piece 2 (top left) marked at its top left and piece 0 at its bottom
// left; a piece may stand mirrored, so only the marks' heights count.
const Rgb kPiece2 = blue, kPiece2Mark = magenta, kPiece0 = red, kPiece0Mark = rose;
void writeFurniture(const std::string &set)
{
    for (int k = 0; k < texlayout::kRoomPictureCount; ++k)
        writeSolid(set + texlayout::kRoomPictures[k].name + ".tga", grey);
    writePicture(set + "furniture.tga", [](int x, int y) {
        const Rgb quarters[4] = {kPiece2, yellow, kPiece0, green};   // rows from the top
        const bool atLeft = x < kMark / 2, atTop = y < kMark / 2, atBottom = y >= kSize - kMark / 2;
        return Texel{atLeft && atTop      ? kPiece2Mark
                     : atLeft && atBottom ? kPiece0Mark
                                          : quarters[(x >= kSize / 2) + 2 * (y >= kSize / 2)],
                     255};
    });
}

// A blind marked at its bottom left (its top may stay rolled up); curtains
// marked at the top just left of their middle (their outer parts stay
// folded), so the mark shows at the inner edge of the left curtain.
const Rgb kBlind = cyan, kBlindMark = orange, kCurtains = violet, kCurtainsMark = spring;
void writeDressing(const std::string &set)
{
    writeMarked(set + "blind.tga", kBlind, 255, kBlindMark, 0, kSize - kMark);
    writeMarked(set + "curtains.tga", kCurtains, 255, kCurtainsMark, kSize / 2 - kMark - 2, 0);
}

void expectFurniture(const View &w, int set)
{
    expectShown(checkMark(w, set, "piece 2", kPiece2, kPiece2Mark, {0, 0, 0}, {0, 1, 0}, kAllRooms) +
                    checkMark(w, set, "piece 0", kPiece0, kPiece0Mark, {0, 0, 0}, {0, -1, 0}, kAllRooms),
                set, "furniture");
}
void expectDressing(const View &w, int set)
{
    expectShown(checkMark(w, set, "blind", kBlind, kBlindMark, {0, 0, 1}, {-1, -1, 1}, kAllRooms, true), set, "blind");
    expectShown(checkMark(w, set, "curtains", kCurtains, kCurtainsMark, {0, 0, 1}, {-1, 1, 1}, kAllRooms, true),
                set, "curtains");
}

// The sky faces and the ground tile, each marked white at its top left:
// for the tile its -X, -Z corner, which lies at (-4, -4).
const char *const kSkyFaces[] = {"px", "nx", "py", "pz", "nz"};
const Rgb kSkyGround[] = {red, yellow, cyan, blue, magenta};
void writeWorld(const std::string &world)
{
    for (int k = 0; k < 6; ++k)
        writeMarked(world + (k < 5 ? kSkyFaces[k] : "ground") + ".tga", k < 5 ? kSkyGround[k] : green, 255, white);
}

// Each sky picture as one sees it from inside: its middle, its right and its top.
struct Frame { Dir3 centre, right, top; };
const Frame kSkyFrames[] = {{{1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                            {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
                            {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}}};
Dir3 far(Dir3 d) { return texlayout::combine(1e4, d, 0, {}, 0, {}); }
// Sky face k (of kSkyFaces): its mark, and its own colour beside the mark.
void expectSkyFace(const View &w, int k)
{
    const Frame &f = kSkyFrames[k];
    const double mark = 1.0 - double(kMark) / kSize;   // the mark's middle, from the picture's
    EXPECT_TRUE(pale(w.colourAt(far(texlayout::combine(1, f.centre, -mark, f.right, mark, f.top)))))
        << kSkyFaces[k] << ": no mark at its top left";
    EXPECT_EQ(hueOf(w.colourAt(far(texlayout::combine(1, f.centre, -mark, f.right, mark - 0.5, f.top)))),
              hueIndex(kSkyGround[k]))
        << kSkyFaces[k];
}
void expectGround(const View &w)
{
    EXPECT_TRUE(pale(w.colourAt({-2.8, 0, -2.8}))) << "ground: no mark at the tile's -X, -Z corner";
    EXPECT_EQ(hueOf(w.colourAt({-2.8, 0, -1.2})), hueIndex(green)) << "ground";
}

class Import : public ViewerTest {
protected:
    std::string source = dir + "/pictures";

    // Imports the pictures (and removes them), then starts the viewer.
    void importAndStart()
    {
        std::string err;
        ASSERT_EQ(runImporter(source, dir + "/textures", err), 0) << err;
        fs::remove_all(source);
        start();
        ASSERT_TRUE(waitForFrames(v, 1));
    }
    // Flies on by `keys` and takes the view, saved for looking at as
    // <temporary directory>/import-<name>.ppm when a check failed.
    View fly(const std::string &keys, const char *name)
    {
        EXPECT_TRUE(pressAndSettle(v, keys));
        View w{grabWindow(v), v.lines};
        shots.push_back({w.shot, name});
        return w;
    }
    // Ends the viewer, writes more pictures, imports them and starts again.
    void restartAfter(const std::function<void()> &write)
    {
        stopProcess(v);
        v = ChildProcess();
        write();
        ASSERT_NO_FATAL_FAILURE(importAndStart());
    }
    // Starts the viewer again, at its start view.
    void restartViewer()
    {
        stopProcess(v);
        v = ChildProcess();
        start();
        ASSERT_TRUE(waitForFrames(v, 1));
    }
    void TearDown() override
    {
        for (const auto &[shot, name] : shots)
            if (HasFailure())
                ADD_FAILURE() << "the view is " << savePpm(shot, std::string("import-") + name);
        ViewerTest::TearDown();
    }
    std::vector<std::pair<Screenshot, std::string>> shots;
};

// The keys from the start to the views: the left face from 0.8 in front of
// its middle, then 0.2 to the right (where both walls of a room show); the
// roof from 1.1 above the rooms at x = 0.5 .. 0.75; the ground to the -x, -z
// side from there; the sky along four diagonals, 30 degrees up.
const std::string kToLeftFace(16, 'w'), kToLeftFaceRight = "d";
const std::string kToRoof = std::string(8, 'w') + std::string(17, 'f') + std::string(8, 's');
const std::string kToGround = std::string(13, 'r') + std::string(9, 'q');
const std::string kToSkyNx = std::string(10, 'r'), kToSkyPz(7, 'q'), kToSkyPx(6, 'q'), kToSkyNz(6, 'q');

TEST_F(Import, EachPictureLandsWhereItShould)
{
    // A grey world first: the windows out of the edge rooms show it, and
    // the world's colours would pass for the rooms' marks.
    for (int set : {kLeftSet, kTopSet})
        writeRoomsAndFacade(source + "/" + kSetNames[set] + "/");
    for (int k = 0; k < 6; ++k)
        writeSolid(source + "/world/" + (k < 5 ? kSkyFaces[k] : "ground") + ".tga", grey);
    ASSERT_NO_FATAL_FAILURE(importAndStart());
    const View left = fly(kToLeftFace, "left");
    expectRoomsAndFacade(left, fly(kToLeftFaceRight, "left-right"), kLeftSet);
    const View roof = fly(kToRoof, "roof");
    expectRoomsAndFacade(roof, roof, kTopSet);

    // Again with furniture and dressing in plain grey rooms.
    restartAfter([&] {
        writeFurniture(source + "/left/");
        writeDressing(source + "/left/");
        writeFurniture(source + "/top/");
    });
    const View dressed = fly(kToLeftFace, "left-dressed");
    expectFurniture(dressed, kLeftSet);
    expectDressing(dressed, kLeftSet);
    expectFurniture(fly(kToLeftFaceRight + kToRoof, "roof-furnished"), kTopSet);

    // The world marked. Each diagonal shows the marks of the faces whose
    // left it is: -X, -Z that of nz, -X, +Z those of nx and py, +Z, +X that
    // of pz, +X, -Z px's.
    restartAfter([&] { writeWorld(source + "/world/"); });
    expectGround(fly(kToLeftFace + kToLeftFaceRight + kToRoof + kToGround, "ground"));
    const std::pair<std::string, std::vector<int>> diagonals[] = {
        {kToSkyNx, {4}}, {kToSkyPz, {1, 2}}, {kToSkyPx, {3}}, {kToSkyNz, {0}}};
    for (const auto &[keys, faces] : diagonals) {
        const View sky = fly(keys, kSkyFaces[faces[0]]);
        for (int face : faces)
            expectSkyFace(sky, face);
    }

    // Again with a panorama of eight bands, band b centred on column b/8:
    // from the start (+X, at 3/4 of the width), turning right by 45 degrees
    // brings the next band round, 25 degrees above the horizon.
    const int width = 2 * kSize;
    restartAfter([&] {
        writePicture(
            source + "/world/panorama.tga", [](int x, int) { return Texel{kHues[(x * 8 / kSize + 1) / 2 % 8], 255}; },
            width);
    });
    const double pi = std::acos(-1.0), up = 25 * pi / 180;
    for (int turn = 0; turn < 8; ++turn) {
        const View w = fly(turn ? "eee" : "", ("panorama-" + std::to_string(turn)).c_str());
        const double a = turn * pi / 4;
        EXPECT_EQ(hueOf(w.colourAt(far({std::cos(up) * std::cos(a), std::sin(up), std::cos(up) * std::sin(a)}))),
                  (6 + turn) % 8) << "after " << turn << " turns right";
    }
}

// A world of one's own, six faces and no ground: a red sky with a white sun
// low towards -X, and below the horizon green towards -X, blue elsewhere.
// The glass reflects the red sky; the ground is the world's lower half
// projected from above the building, so it is green on the -X side and
// blue far out on the +X side; the building's shadow falls towards +X.
TEST_F(Import, TheBuildingStandsInAndReflectsItsWorld)
{
    const Rgb sky{230, 40, 40}, west{40, 200, 40}, east{40, 40, 230};
    for (const std::string face : {"px", "nx", "py", "ny", "pz", "nz"})
        writePicture(source + "/world/" + face + ".tga", [&](int x, int y) {
            const bool below = face[1] == 'y' ? face[0] == 'n' : y >= kSize / 2;
            // nx seen from inside: the sun along (-1, 0.5, 0) is its point (16, 8).
            const bool sun = face == "nx" && std::hypot(x - 15.5, y - 7.5) < 2.5;
            return Texel{sun ? white : !below ? sky : face == "nx" ? west : east, 255};
        });
    ASSERT_NO_FATAL_FAILURE(importAndStart());
    const View start = fly("f", "world-ground");
    const Rgb near = start.colourAt({-2.5, 0, 0.5}), far = start.colourAt({4.0, 0, 2.0});
    EXPECT_TRUE(near.g > 2 * std::max(near.r, near.b) && far.b > 2 * std::max(far.r, far.g))
        << "the ground by the eye " << near.r << " " << near.g << " " << near.b << ", far on "
        << far.r << " " << far.g << " " << far.b;
    // From above the -X side, looking down towards +X: the ground 1.5 beyond
    // the +X wall lies in the building's shadow, that beside it off the -Z
    // wall does not.
    const View above = fly("r" + std::string(9, 'r') + std::string(17, 'w') + std::string(18, 'f'), "world-shadow");
    const Rgb shadowed = above.colourAt({2.5, 0, 0.5}), lit = above.colourAt({2.5, 0, -0.8});
    EXPECT_LT(shadowed.b * 10, lit.b * 8) << "in the shadow " << shadowed.b << ", beside it " << lit.b;
    restartViewer();
    // Along the front's curtain wall at a grazing angle: its glass above the
    // eye mirrors the sky.
    const View grazing = fly(std::string(4, 'd') + std::string(30, 'w') + std::string(12, 'q'), "world-glass");
    int red = 0;
    for (double x = 0.1; x < 0.95; x += 0.05) {
        const Rgb c = grazing.colourAt({x, 0.85, 1.0});
        red += c.r > 2 * std::max(c.g, c.b);
    }
    EXPECT_GE(red, 10) << "of 17 points on the glass, so many mirror the red sky";
}

// Four room styles of one colour each on the left face: rooms of several
// styles show, and each room's walls, floor and ceiling are of one style
// (a few pixels on a room's border may show its neighbour).
TEST_F(Import, EveryRoomShowsOneStyle)
{
    const Rgb styleColours[texlayout::kRoomStyles] = {red, yellow, green, blue};
    for (int style = 0; style < texlayout::kRoomStyles; ++style)
        for (const texlayout::PictureFrame &p : texlayout::kRoomPictures)
            writeSolid(source + "/left/" + texlayout::stylePictureName(p.name, style) + ".tga", styleColours[style]);
    for (const char *layer : {"facade.tga", "furniture.tga", "blind.tga", "curtains.tga"})
        writeSolid(source + "/left/" + layer, grey, 0);
    ASSERT_NO_FATAL_FAILURE(importAndStart());
    std::set<int> shown;
    for (const View &w : {fly(kToLeftFace, "styles"), fly(kToLeftFaceRight, "styles-right")})
        for (int room = 0; room < kRooms * kRooms; ++room) {
            const auto tally = tallyRoom(w, kLeftSet, room % kRooms, room / kRooms);
            int counts[texlayout::kRoomStyles];
            for (int style = 0; style < texlayout::kRoomStyles; ++style)
                counts[style] = tally[hueIndex(styleColours[style])].n;
            std::sort(counts, counts + texlayout::kRoomStyles);
            EXPECT_LE(counts[2], std::max(20, counts[3] / 25)) << "room " << room % kRooms << ", " << room / kRooms;
            for (int style = 0; style < texlayout::kRoomStyles; ++style)
                if (tally[hueIndex(styleColours[style])].n > 1000)
                    shown.insert(style);
        }
    EXPECT_GE(shown.size(), 3u) << "rooms of too few styles";
}

}  // namespace
