// Layout of the viewer's texture tree, the OpenGL cube-map addressing rules
// and the conventions the shader pair reads the textures by.
// Header only: it needs nothing but the C++ standard library.
#ifndef TEXTURE_LAYOUT_H
#define TEXTURE_LAYOUT_H


namespace texlayout {

// Seven texture sets: one per building face (in the viewer's face order
// +X, -X, +Y, -Y, +Z, -Z) and the surrounding world.
constexpr int kSetCount = 7;
constexpr int kWorldSet = 6;
constexpr const char *kSetNames[kSetCount] = {"right", "left", "top",  "bottom",
                                              "front", "back", "world"};

// Cube-map slot k is uploaded to GL_TEXTURE_CUBE_MAP_POSITIVE_X + k from the
// file named here. The viewer swaps the Y pair: "negy" holds the +Y face
// (ceiling, zenith) and "posy" the -Y face (floor, ground).
constexpr int kSlotCount = 6;
constexpr const char *kSlotFiles[kSlotCount] = {"posx", "negx", "negy", "posy", "posz", "negz"};
constexpr const char *kFacadeFile = "exterior";

// Rooms per world unit along each axis before the "wallFreq" factor; the
// facades put one window in the middle of each such cell. FLight.glsl keeps
// the same number as ROOMS_PER_UNIT.
constexpr int kRoomsPerUnit = 4;

struct Dir3 {
    double x, y, z;
};

inline double dot(Dir3 a, Dir3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Outward normal of building face `set` (0..5).
inline Dir3 faceNormal(int set) {
    constexpr Dir3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    return normals[set];
}

// The facade's own frame, as FLight.glsl builds it: `up` runs up a wall
// (on the roof and the underside, along -z and +z), `across` to the right
// seen from outside (across = up x normal).
inline Dir3 facadeUp(int set) {
    const Dir3 n = faceNormal(set);
    return n.y != 0.0 ? Dir3{0.0, 0.0, -n.y} : Dir3{0.0, 1.0, 0.0};
}
inline Dir3 facadeAcross(int set) {
    const Dir3 n = faceNormal(set), v = facadeUp(set);
    return {v.y * n.z - v.z * n.y, v.z * n.x - v.x * n.z, v.x * n.y - v.y * n.x};
}

// Each room cube map's face that looks out through the facade is never
// seen as a wall. It holds a sheet of 3 x 3 cells in (across, up) face
// coordinates (each -1..1), laid out as seen from outside through the
// window:
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
// the room shows through. FLight.glsl keeps the two numbers as CELL_PITCH
// and CELL_HALF.
constexpr double kCellPitch = 2.0 / 3.0;
constexpr double kCellHalf = 0.32;

enum class OutCell { Piece0, Piece1, Piece2, Piece3, Blind, Blind2, Curtains, Curtains2, Far };

// The cell of the sheet at column i and row j (each -1, 0, 1; j up).
inline OutCell outCellAt(int i, int j) {
    if (i != 0 && j != 0)
        return static_cast<OutCell>((i > 0 ? 1 : 0) + (j > 0 ? 2 : 0));
    if (i == 0)
        return j > 0 ? OutCell::Blind : j < 0 ? OutCell::Curtains : OutCell::Far;
    return i > 0 ? OutCell::Blind2 : OutCell::Curtains2;
}

// The room as pictures, for the importer (scripts/import-textures.sh keeps
// the same table) and texgen's example pictures: each is seen from inside
// at the window, facing the back wall; walls upright, the floor looking
// down and the ceiling looking up, the back wall at the top of both. Per
// picture: where its middle, its right edge and its top edge lie, as
// (across, up, out) in the facade's frame.
struct RoomPicture {
    const char *name;
    Dir3 centre, right, top;
};
constexpr RoomPicture kRoomPictures[] = {
    {"back", {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
    {"left", {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
    {"right", {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {"floor", {0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
    {"ceiling", {0, 1, 0}, {-1, 0, 0}, {0, 0, -1}},
};

// The direction c, given as (across, up, out) of building face `set`.
inline Dir3 inFacadeFrame(int set, Dir3 c) {
    const Dir3 u = facadeAcross(set), v = facadeUp(set), n = faceNormal(set);
    return {c.x * u.x + c.y * v.x + c.z * n.x, c.x * u.y + c.y * v.y + c.z * n.y,
            c.x * u.z + c.y * v.z + c.z * n.z};
}

// The sun: the direction from the building's centre (0.5, 0.5, 0.5) to the
// viewer's "lightPos" (2, 2, 2).
constexpr double kSunComponent = 0.57735026918962576;
constexpr Dir3 kSunDirection = {kSunComponent, kSunComponent, kSunComponent};

// Direction from a cube map's centre through face coordinates (s, t) in
// [0, 1] of slot k, following the GL major-axis table
// (+X: sc=-z tc=-y; -X: +z,-y; +Y: +x,+z; -Y: +x,-z; +Z: +x,-y; -Z: -x,-y).
// Uploaded row 0 is t = 0, column 0 is s = 0. Not normalised.
inline Dir3 cubeFaceDirection(int slot, double s, double t) {
    const double sc = 2.0 * s - 1.0;
    const double tc = 2.0 * t - 1.0;
    switch (slot) {
    case 0: return {1.0, -tc, -sc};
    case 1: return {-1.0, -tc, sc};
    case 2: return {sc, 1.0, tc};
    case 3: return {sc, -1.0, -tc};
    case 4: return {sc, -tc, 1.0};
    default: return {-sc, -tc, -1.0};
    }
}

} // namespace texlayout

#endif
