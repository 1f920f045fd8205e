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
#include <string>

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

// The generated textures' sizes, in texels a side (the room maps' with
// the room styles below).
constexpr int kFacadeSize = 512;
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
// width (the curtains), bottom edge at the sill. Alpha is 0 where a piece
// or the dressing is opaque and 255 where the room shows through. The
// centre cell carries the world to the face ("the world cell" below).
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

// --- the world cell: what a building set carries of the world ------------------

// While the faces draw only their own textures are bound, so the sheet's
// centre cell carries what the glass and the facade need of the world. In
// the cell's own coordinates (x, y), -1..1 over its read square:
//  - above, the sky as seen from the face: a paraboloid map of the half of
//    the world in front of it, centred at kSkyCopyCentre with half-size
//    kSkyCopyHalf. Its point (u, v), each -1..1, looks along
//    (2u, 2v, 1 - u^2 - v^2) / (1 + u^2 + v^2) in the facade's frame
//    (across, up, out), so the rim is the face's own plane; beyond the rim
//    the same formula runs on behind the face, which keeps filtering smooth;
//  - below kPatchRowTop, a row of flat patches, each read at its centre:
//    the far colour (the colour and alpha a room only a few pixels across
//    fades to), the sun's direction (rgb = 0.5 + 0.5 * direction in world
//    axes; alpha: the shadow's strength) and the sun's light on the facade
//    (rgb; alpha 0 marks that the set carries a sun at all: a plain cube map,
//    alpha 255, gets the sun of the viewer's light instead).
struct CellPoint {
    double x, y;
};
constexpr CellPoint kSkyCopyCentre = {0.0, 0.2};
constexpr double kSkyCopyHalf = 0.75;
constexpr double kPatchRowTop = -0.65;
constexpr CellPoint kFarPatch = {-0.6, -0.8};
constexpr CellPoint kSunPatch = {0.0, -0.8};
constexpr CellPoint kSunLightPatch = {0.6, -0.8};

enum class WorldCellPart { SkyCopy, Far, Sun, SunLight };

// The direction from a room map's centre of building set `set` to the
// world cell's point p (cell units): the sheet's centre cell, on the face
// that looks out through the facade.
constexpr Dir3 worldCellDirection(int set, CellPoint p) {
    return inFacadeFrame(set, {kCellHalf * p.x, kCellHalf * p.y, 1.0});
}

// The part of the world cell that its point (x, y) belongs to.
constexpr WorldCellPart worldCellPartAt(double x, double y) {
    if (y >= kPatchRowTop)
        return WorldCellPart::SkyCopy;
    return x < -0.3 ? WorldCellPart::Far : x < 0.3 ? WorldCellPart::Sun : WorldCellPart::SunLight;
}

// The direction (across, up, out) that the sky copy's point (x, y) of the
// world cell looks along. Not normalised.
inline Dir3 skyCopyDirection(double x, double y) {
    const double u = (x - kSkyCopyCentre.x) / kSkyCopyHalf, v = (y - kSkyCopyCentre.y) / kSkyCopyHalf;
    return {2.0 * u, 2.0 * v, 1.0 - u * u - v * v};
}

// The world map carries its own sun for the sky pass, in the alpha of flat
// patches on its -Y face (the sky's colour is all its rgb): each alpha is
// one number, read at the patch's centre, the -Y face point (a, 0) looking
// along (a, -1, 0). The sun's direction x, y, z as 0.5 + 0.5 * component,
// the shadow's strength, and 1 where the -Y face is a ground tile repeated
// over the ground (0: the world's lower half is projected onto the ground).
// A world map of alpha 255 thus has the viewer's sun, the full shadow and a
// tiled ground.
enum class WorldPatch { SunX, SunY, SunZ, Shadow, GroundTiled };
constexpr int kWorldPatchCount = 5;
constexpr double kWorldPatchStep = 0.2;
constexpr double kWorldPatchHalf = 0.08;
// The -Y face point of patch k along its row.
constexpr double worldPatchAt(int k) { return (k - 0.5 * (kWorldPatchCount - 1)) * kWorldPatchStep; }
// The direction from the world map's centre to the middle of patch k.
constexpr Dir3 worldPatchDirection(int k) { return {worldPatchAt(k), -1.0, 0.0}; }

// The patch that the -Y face point (a, b), each -1..1, belongs to, or -1.
inline int worldPatchAtPoint(double a, double b) {
    const int k = static_cast<int>(std::floor(a / kWorldPatchStep + 0.5 * kWorldPatchCount));
    if (std::fabs(b) > kWorldPatchHalf || k < 0 || k >= kWorldPatchCount ||
        std::fabs(a - worldPatchAt(k)) > kWorldPatchHalf)
        return -1;
    return k;
}

// Without a ground picture the world's lower half is projected onto the
// ground plane as seen from this point: above the building's foot, one
// building height up.
constexpr Dir3 kGroundProjectionCentre = {0.5, 1.0, 0.5};


// --- room styles: four rooms in one map ------------------------------------------

// A room map holds up to four room styles, each with walls, floor and
// ceiling of its own; a room picks one by its hash. Every face but the
// sheet is cut into 2 x 2 quadrants, one per style: style k's view of a
// face, scaled down, centred at kStyleCentre in both face coordinates
// (-1..1), signs as styleSigns(k) gives them, and read over the square of
// half-size kStyleHalf around that centre. The strips left between the
// quadrants and along the face's edges repeat each quadrant's edge texels,
// so that linear filtering never mixes two styles.
//
// The signs: style k sits on the +-across, +-up and +-out side of each face
// that it does not face, k = 2a + b giving (1 - 2a, 1 - 2b, -(1 - 2a)(1 - 2b)).
// Of these four sign triples any two differ in two places, so on every face
// (which drops one coordinate) the four styles take four quadrants.
constexpr int kRoomStyles = 4;
constexpr double kStyleCentre = 0.5;
constexpr double kStyleHalf = 8.0 / 17.0;
// Faces a multiple of kStyleFaceUnit a side hold their quadrants on whole
// texels: quadrant texels are kStyleQuadrantUnit per unit.
constexpr int kStyleFaceUnit = 68;
constexpr int kStyleQuadrantUnit = 32;

constexpr Dir3 styleSigns(int style) {
    const double a = 1.0 - 2.0 * (style / 2), b = 1.0 - 2.0 * (style % 2);
    return {a, b, -a * b};
}

// The face side whose quadrants hold at least `texels` texels a side, and
// the quadrants' texels of a face of that side.
constexpr int styledFaceSide(int texels) {
    return (texels + kStyleQuadrantUnit - 1) / kStyleQuadrantUnit * kStyleFaceUnit;
}
constexpr int styleQuadrantTexels(int side) { return side / kStyleFaceUnit * kStyleQuadrantUnit; }
// The generated room maps: texels a side of each style's surface, and of
// the faces (the sheet's too).
constexpr int kRoomStyleTexels = 256;
constexpr int kRoomFaceSize = styledFaceSide(kRoomStyleTexels);
// Where a quadrant starts along a face coordinate, in texels of a face of
// that side: below the middle (lower) or above it.
constexpr int styleQuadrantStart(int side, bool upper) {
    return static_cast<int>(side * (1.0 + (upper ? kStyleCentre : -kStyleCentre) - kStyleHalf) / 2.0 + 0.5);
}

// Where the room map of building set `set` keeps style k's view along
// direction d (world axes, from the room's centre): the face d meets stays,
// its two face coordinates are scaled into the style's quadrant. As the
// shader pair does it: every axis as long as the longest is kept.
inline Dir3 styledDirection(int set, int style, Dir3 d) {
    const Dir3 c = toFacadeFrame(set, d), sign = styleSigns(style);
    const double m = std::fmax(std::fabs(c.x), std::fmax(std::fabs(c.y), std::fabs(c.z)));
    const auto scaled = [m](double x, double s) {
        return std::fabs(x) >= m ? x : x * kStyleHalf + kStyleCentre * m * s;
    };
    return inFacadeFrame(set, {scaled(c.x, sign.x), scaled(c.y, sign.y), scaled(c.z, sign.z)});
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

// A room picture of style k (0 ..< kRoomStyles) is named as the first
// style's with k + 1 after it: back, back2, back3, back4.
inline std::string stylePictureName(const char *name, int style) {
    return style == 0 ? std::string(name) : name + std::to_string(style + 1);
}

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

// World units of ground covered by one repeat of the world map's -Y face.
constexpr double kGroundTile = 8.0;

// The constants the build writes into the shader pair, by their GLSL names.
struct ShaderConstant {
    const char *name;
    int size;   // 1: float, 2: vec2, 3: vec3
    double value[3];
    const char *meaning;
};
constexpr ShaderConstant kShaderConstants[] = {
    {"ROOMS_PER_UNIT", 1, {kRoomsPerUnit}, "rooms per world unit before wallFreq"},
    {"CELL_PITCH", 1, {kCellPitch}, "the sheet's cells: centres apart"},
    {"CELL_HALF", 1, {kCellHalf}, "and the half-size read of each"},
    {"SKY_COPY_CENTRE", 2, {kCellHalf * kSkyCopyCentre.x, kCellHalf * kSkyCopyCentre.y}, "the world cell's sky copy, on the face"},
    {"SKY_COPY_HALF", 1, {kCellHalf * kSkyCopyHalf}, "and its half-size"},
    {"FAR_POINT", 2, {kCellHalf * kFarPatch.x, kCellHalf * kFarPatch.y}, "the far colour's patch, on the face"},
    {"SUN_POINT", 2, {kCellHalf * kSunPatch.x, kCellHalf * kSunPatch.y}, "the sun's direction"},
    {"SUN_LIGHT_POINT", 2, {kCellHalf * kSunLightPatch.x, kCellHalf * kSunLightPatch.y}, "the sun's light"},
    {"WORLD_PATCH_FIRST", 1, {worldPatchAt(0)}, "the world map's patches on its -Y face"},
    {"WORLD_PATCH_STEP", 1, {kWorldPatchStep}, "and their spacing"},
    {"SUN_LIGHT", 3, {kSunLight.r, kSunLight.g, kSunLight.b}, "the viewer's own sun on the facade"},
    {"GROUND_PROJECTION_CENTRE", 3, {kGroundProjectionCentre.x, kGroundProjectionCentre.y, kGroundProjectionCentre.z}, "the world seen from here onto the ground"},
    {"GROUND_TILE", 1, {kGroundTile}, "world units covered by the world map's -Y face"},
    {"TILE_TEXELS", 1, {kWorldFaceSize}, "texels across that face"},
    {"STYLE_CENTRE", 1, {kStyleCentre}, "a room style's quadrant: its centre in face coordinates"},
    {"STYLE_HALF", 1, {kStyleHalf}, "and the half-size read of it"},
};

} // namespace texlayout

#endif
