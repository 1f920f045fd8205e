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
// seen as a wall; it holds four pieces of furniture, one per quarter, each
// drawn over a square ATLAS_HALF (FLight.glsl) in half-size around the
// quarter's centre (+-0.5, +-0.5) in (across, up) face coordinates.
constexpr double kAtlasHalf = 0.47;

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
