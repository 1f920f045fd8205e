// The texture contract: how the viewer's texture tree is laid out, how
// OpenGL addresses a cube map, and the conventions by which the shader pair
// reads the textures. The viewer, the texture tool, the tests and the
// benchmark all include this one header, and the build writes the shader's
// matching constants from it (shader_constants.cpp), so every fact about the
// textures is written here once.
// Header only: it needs nothing but the C++ standard library.
#ifndef TEXTURE_LAYOUT_H
#define TEXTURE_LAYOUT_H

#include <cmath>

namespace texlayout {

// --- the tree: textures/<set>/<file>.tga -------------------------------------

// Seven texture sets: one per building face (in the viewer's face order
// +X, -X, +Y, -Y, +Z, -Z) and the surrounding world.
constexpr int kSetCount = 7;
constexpr int kBuildingSets = 6;
constexpr int kWorldSet = 6;
constexpr const char *kSetNames[kSetCount] = {"right", "left", "top",  "bottom",
                                              "front", "back", "world"};

// Cube-map slot k is uploaded to GL_TEXTURE_CUBE_MAP_POSITIVE_X + k from the
// file named here. The viewer swaps the Y pair: "negy" holds the +Y face
// (ceiling, zenith) and "posy" the -Y face (floor, ground).
constexpr int kSlotCount = 6;
constexpr const char *kSlotFiles[kSlotCount] = {"posx", "negx", "negy", "posy", "posz", "negz"};
constexpr const char *kFacadeFile = "exterior";
constexpr const char *kTextureSuffix = ".tga";
// Slots of the cube map's +Y and -Y faces.
constexpr int kPlusYSlot = 2;
constexpr int kMinusYSlot = 3;

// The generated textures' sizes, in texels a side.
constexpr int kFacadeSize = 512;
constexpr int kRoomFaceSize = 256;
constexpr int kWorldFaceSize = 1024;
constexpr int kWorldPlateSize = 64;

// --- directions --------------------------------------------------------------

struct Dir3 {
    double x, y, z;
};

constexpr double dot(Dir3 a, Dir3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Dir3 cross(Dir3 a, Dir3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
constexpr Dir3 combine(double a, Dir3 u, double b, Dir3 v, double c, Dir3 w) {
    return {a * u.x + b * v.x + c * w.x, a * u.y + b * v.y + c * w.y, a * u.z + b * v.z + c * w.z};
}

// --- OpenGL's cube-map addressing --------------------------------------------

// Per slot: the direction of the face's centre and the directions in which
// its columns (s) and its stored rows (t) run, from OpenGL's major-axis table
// (+X: sc=-z tc=-y; -X: +z,-y; +Y: +x,+z; -Y: +x,-z; +Z: +x,-y; -Z: -x,-y).
// Uploaded row 0 is t = 0, column 0 is s = 0.
struct CubeFace {
    Dir3 centre, s, t;
};
constexpr CubeFace kCubeFaces[kSlotCount] = {
    {{1, 0, 0}, {0, 0, -1}, {0, -1, 0}},  {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},    {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
    {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}},   {{0, 0, -1}, {-1, 0, 0}, {0, -1, 0}},
};

// Direction from a cube map's centre through face coordinates (s, t) in
// [0, 1] of slot k. Not normalised.
constexpr Dir3 cubeFaceDirection(int slot, double s, double t) {
    const CubeFace &f = kCubeFaces[slot];
    return combine(1.0, f.centre, 2.0 * s - 1.0, f.s, 2.0 * t - 1.0, f.t);
}

// Where OpenGL samples along direction d: the slot and its (s, t) in [0, 1].
struct CubeTexel {
    int slot;
    double s, t;
};
inline CubeTexel cubeTexelAt(Dir3 d) {
    const double ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    int slot;
    double major;
    if (ax >= ay && ax >= az)
        slot = d.x >= 0 ? 0 : 1, major = ax;
    else if (ay >= az)
        slot = d.y >= 0 ? kPlusYSlot : kMinusYSlot, major = ay;
    else
        slot = d.z >= 0 ? 4 : 5, major = az;
    const CubeFace &f = kCubeFaces[slot];
    return {slot, 0.5 * (dot(d, f.s) / major + 1.0), 0.5 * (dot(d, f.t) / major + 1.0)};
}

// --- the building's faces and the facade's frame ------------------------------

// Outward normal of building face `set` (0..5): the face's cube-map slot
// has the same direction.
constexpr Dir3 faceNormal(int set) { return kCubeFaces[set].centre; }

// The facade's own frame, as the shader pair builds it: `up` runs up a wall
// (on the roof and the underside, along -z and +z), `across` to the right
// seen from outside (across = up x normal).
constexpr Dir3 facadeUp(int set) {
    return faceNormal(set).y != 0.0 ? Dir3{0.0, 0.0, -faceNormal(set).y} : Dir3{0.0, 1.0, 0.0};
}
constexpr Dir3 facadeAcross(int set) { return cross(facadeUp(set), faceNormal(set)); }

// The direction c, given as (across, up, out) of building face `set`.
constexpr Dir3 inFacadeFrame(int set, Dir3 c) {
    return combine(c.x, facadeAcross(set), c.y, facadeUp(set), c.z, faceNormal(set));
}
// The world direction d as (across, up, out) of building face `set`.
constexpr Dir3 toFacadeFrame(int set, Dir3 d) {
    return {dot(d, facadeAcross(set)), dot(d, facadeUp(set)), dot(d, faceNormal(set))};
}

// Rooms per world unit along each axis before the "wallFreq" factor; the
// facades put one window in the middle of each such cell.
constexpr int kRoomsPerUnit = 4;

// --- the sheet: the room map's face that looks out through the facade ---------

// That face is never seen as a wall. It holds a sheet of 3 x 3 cells in
// (across, up) face coordinates (each -1..1), laid out as seen from outside
// through the window:
//
//     piece 2     blind       piece 3
//     curtains 2  far colour  blind 2
//     piece 0     curtains    piece 1
//
// Cell (i, j), i and j in -1, 0, 1, is centred at (i, j) * kCellPitch and
// read over the square of half-size kCellHalf around its centre; the strip
// left between cells keeps linear filtering from mixing them. The four
// corners hold the furniture pieces (a piece's square is the room's cross-
// section seen from the window, its bottom edge on the floor); blinds and
// curtains are drawn closed over one window (the blind) or over the room's
// width (the curtains), bottom edge at the sill; the centre is flat: the
// colour a room only a few pixels across fades to, with the alpha of the
// walls. Alpha is 0 where a piece or the dressing is opaque and 255 where
// the room shows through.
constexpr double kCellPitch = 2.0 / 3.0;
constexpr double kCellHalf = 0.32;

enum class OutCell { Piece0, Piece1, Piece2, Piece3, Blind, Blind2, Curtains, Curtains2, Far };
constexpr int kFurniturePieces = 4;

// The cell of the sheet at column i and row j (each -1, 0, 1; j up).
constexpr OutCell outCellAt(int i, int j) {
    if (i != 0 && j != 0)
        return static_cast<OutCell>((i > 0 ? 1 : 0) + (j > 0 ? 2 : 0));
    if (i == 0)
        return j > 0 ? OutCell::Blind : j < 0 ? OutCell::Curtains : OutCell::Far;
    return i > 0 ? OutCell::Blind2 : OutCell::Curtains2;
}

// The sheet's cell that (a, b), in face coordinates (across, up) -1..1,
// falls in, and where in it: (x, y) in -1..1 over the cell's read square
// (beyond it in the strips between cells).
struct SheetPoint {
    int i, j;
    double x, y;
};
inline SheetPoint sheetPointAt(double a, double b) {
    const double third = 0.5 * kCellPitch;
    const int i = a < -third ? -1 : a > third ? 1 : 0;
    const int j = b < -third ? -1 : b > third ? 1 : 0;
    return {i, j, (a - i * kCellPitch) / kCellHalf, (b - j * kCellPitch) / kCellHalf};
}

// --- the room and the world as pictures ----------------------------------------

// The room as pictures, for the importer and the example pictures: each is
// seen from inside at the window, facing the back wall; walls upright, the
// floor looking down and the ceiling looking up, the back wall at the top of
// both. Per picture: where its middle, its right edge and its top edge lie,
// as (across, up, out) in the facade's frame.
struct PictureFrame {
    const char *name;
    Dir3 centre, right, top;
};
constexpr PictureFrame kRoomPictures[] = {
    {"back", {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
    {"left", {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
    {"right", {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {"floor", {0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
    {"ceiling", {0, 1, 0}, {-1, 0, 0}, {0, 0, -1}},
};
constexpr int kRoomPictureCount = sizeof kRoomPictures / sizeof kRoomPictures[0];

// The pictures that go into the sheet: the furniture (its four pieces in
// the quarters of one picture, laid out as the sheet's corners), the
// blinds and the curtains; a second blind or curtains not given repeats the
// first.
constexpr const char *kFacadePicture = "facade";
constexpr const char *kFurniturePicture = "furniture";
struct DressingPicture {
    const char *name;
    const char *fallback;
    OutCell cell;
};
constexpr DressingPicture kDressingPictures[] = {
    {"blind", nullptr, OutCell::Blind},
    {"blind2", "blind", OutCell::Blind2},
    {"curtains", nullptr, OutCell::Curtains},
    {"curtains2", "curtains", OutCell::Curtains2},
};

// The world as a sky box seen from the centre, in the cube-map slots' order
// of directions: each picture is what one sees looking along its direction,
// upright, as one sees it (not mirrored). The sides are seen standing
// (facing +X the right is +Z, facing -Z it is +X); the +Y picture looking up
// and the -Y picture looking down from facing -Z (the top of the +Y picture
// towards +Z, of the -Y picture towards -Z, the right of both +X). Frames as
// (centre, right, top) in the world.
constexpr PictureFrame kSkyPictures[kSlotCount] = {
    {"px", {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   {"nx", {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
    {"py", {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},   {"ny", {0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
    {"pz", {0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},  {"nz", {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
};
// The direction through (u, v) of sky picture `slot`, u = 0..1 to the right
// and v = 0..1 downwards. Not normalised.
constexpr Dir3 skyPictureDirection(int slot, double u, double v) {
    const PictureFrame &f = kSkyPictures[slot];
    return combine(1.0, f.centre, 2.0 * u - 1.0, f.right, 1.0 - 2.0 * v, f.top);
}
// Or the world as one equirectangular panorama, twice as wide as high, as
// seen from inside: its middle column looks along -Z, the column at 3/4 of
// its width along +X (turning right moves right in the picture), its top row
// straight up and its bottom row straight down.
constexpr const char *kPanoramaPicture = "panorama";
// The ground tile seen from above (+X right, -Z on top), which stands for
// the -Y face.
constexpr const char *kGroundPicture = "ground";

// --- what the shader pair agrees on --------------------------------------------

// The sun: the direction from the building's centre (0.5, 0.5, 0.5) to the
// viewer's "lightPos" (2, 2, 2).
constexpr double kSunComponent = 0.57735026918962576;
constexpr Dir3 kSunDirection = {kSunComponent, kSunComponent, kSunComponent};

// The sky's colours overhead and at the horizon, which the generated world
// paints.
struct Rgb {
    double r, g, b;
};

// The world's sun as the texture tool writes it into the textures: its
// direction (unit, from the building), the colour of its light on the
// facade, and the strength of the building's shadow (1: today's full
// shadow, 0: none, for a sky with no clear sun).
struct SunRecord {
    Dir3 direction;
    Rgb light;
    double shadow;
};
constexpr Rgb kSunLight = {0.78, 0.74, 0.66};
constexpr SunRecord kGeneratedSun = {kSunDirection, kSunLight, 1.0};
constexpr Rgb kZenith = {0.20, 0.40, 0.78};
constexpr Rgb kHorizon = {0.78, 0.86, 0.94};

// World units of ground covered by one repeat of the world map's -Y face.
constexpr double kGroundTile = 8.0;

// The constants the build writes into the shader pair, by their GLSL names.
struct ShaderConstant {
    const char *name;
    int size;   // 1: float, 3: vec3
    double value[3];
    const char *meaning;
};
constexpr ShaderConstant kShaderConstants[] = {
    {"ROOMS_PER_UNIT", 1, {kRoomsPerUnit}, "rooms per world unit before wallFreq"},
    {"CELL_PITCH", 1, {kCellPitch}, "the sheet's cells: centres apart"},
    {"CELL_HALF", 1, {kCellHalf}, "and the half-size read of each"},
    {"ZENITH", 3, {kZenith.r, kZenith.g, kZenith.b}, "the sky overhead"},
    {"HORIZON", 3, {kHorizon.r, kHorizon.g, kHorizon.b}, "and at the horizon"},
    {"GROUND_TILE", 1, {kGroundTile}, "world units covered by the world map's -Y face"},
    {"TILE_TEXELS", 1, {kWorldFaceSize}, "texels across that face"},
};

} // namespace texlayout

#endif
