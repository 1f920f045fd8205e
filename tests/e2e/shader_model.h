// A CPU model of what the shader pair (VLight.glsl / FLight.glsl) shows at
// each pixel of the viewer's window, for pixel tests: the camera ray, the
// building's faces, the room grid with its hash and mirroring, the facade's
// alpha and the sky. It predicts WHICH surface a pixel shows (sky, facade,
// or which cube-map face of which room), not exact colours; together with
// the calibration textures below, a test can check a read-back pixel
// against the prediction by its colour class.
//
// Needs only the C++ standard library and, for the calibration tree, the
// generator's TGA writer (tools/texgen/tga_write.{h,cpp}).
//
// Typical use: install the viewer with writeCalibrationTextures(dir +
// "/textures"), drive the camera, read the window back (top-left origin)
// and, for a sample of pixels:
//   Prediction p = predictPixel(camera, x, y, calibrationFacadeAlpha);
//   if (!p.nearEdge) {
//       Classification got = classifyCalibrationColor(pixel);
//       // expect got == expectedCalibrationClass(p); for p.kind == Room
//       // also calibrationRoomLooksLit(pixel) == p.room.variety.lit
//   }
// The camera is the one the viewer prints: eye, and lookAt = eye + gaze.
#ifndef SHADER_MODEL_H
#define SHADER_MODEL_H

#include <functional>
#include <string>

#include "texture_layout.h"

namespace shader_model {

struct Vec3 {
    double x, y, z;
};

// The viewer's view of one frame: gluLookAt(eye, lookAt, up) and
// gluPerspective(fovy, width / height, zNear, ...).
struct Camera {
    Vec3 eye;
    Vec3 lookAt;
    Vec3 up = {0.0, 1.0, 0.0};
    double fovyDegrees = 60.0;
    int width = 1024;
    int height = 1024;
    double zNear = 0.1;
};

// --- the shader's constants (FLight.glsl and the viewer's uniforms) -------
// These mirror FLight.glsl: change them together with it.
constexpr double kRoomsPerUnit = texlayout::kRoomsPerUnit; // ROOMS_PER_UNIT
constexpr double kEntryNudge = 1.0e-3;                     // ENTRY_NUDGE, room units
constexpr double kMinStep = 1.0e-6;                        // MIN_STEP
constexpr int kHashRange = 16;                             // HASH_RANGE
constexpr int kHashX = 7, kHashY = 13, kHashZ = 11;        // roomHash() weights
constexpr int kDarkBelow = 4;                              // DARK_BELOW: hash 0..3 = light off
constexpr double kDarkRoom = 0.45;                         // DARK_ROOM
constexpr double kDepthFalloff = 0.3;                      // DEPTH_FALLOFF
constexpr Vec3 kWarmTint = {1.0, 0.95, 0.86};              // WARM_TINT
constexpr Vec3 kCoolTint = {0.88, 0.95, 1.0};              // COOL_TINT
// Uniform values the viewer sets every frame.
constexpr Vec3 kWallFreq = {1.0, 1.0, 1.0};   // "wallFreq"
constexpr Vec3 kRoomOffset = {0.5, 0.5, 0.5}; // "offset"

// Room variety from the hash h of the room's cell (exact small integers):
// light off when h < kDarkBelow; mirrored when h is odd (the lookup's z is
// flipped for rooms behind the X faces, x for all others); warm tint when
// floor(h / 2) is odd, cool otherwise.
struct RoomVariety {
    int hash;
    bool lit;
    bool mirrored;
    bool warm;
};
int roomHash(int ix, int iy, int iz);
RoomVariety roomVariety(int ix, int iy, int iz);

// --- geometry ----------------------------------------------------------------

// Building faces in the viewer's order: 0 +X, 1 -X, 2 +Y, 3 -Y, 4 +Z, 5 -Z;
// facade (s, t) runs from corner 0 (lower left seen from outside).
constexpr int kFaceCount = 6;
Vec3 faceNormal(int face);

// Direction (not normalised) of the ray through the centre of pixel
// (px, py), counted from the window's top-left corner as X11 images are.
Vec3 pixelRay(const Camera &camera, double px, double py);

// The nearest building face the ray eye + k * dir meets with k >= minK
// (faces are two-sided). With dir from pixelRay, k is the eye-space depth,
// so minK = zNear reproduces near-plane clipping.
struct FaceHit {
    bool hit = false;
    int face = -1;
    double k = 0.0;
    Vec3 point{0.0, 0.0, 0.0}; // world = building coordinates
    double s = 0.0, t = 0.0;   // facade coordinates
};
FaceHit hitBuilding(Vec3 eye, Vec3 dir, double minK);

// The room surface seen through point `point` of face `face` from `eye`,
// computed as FLight.glsl does: the room cell entered, the nearest far
// wall, the direction from the room centre (mirrored as the hash says) and
// the cube-map face (GL target index 0..5) and (s, t) that direction reads.
struct RoomLookup {
    int cell[3] = {0, 0, 0};
    RoomVariety variety{0, false, false, false};
    Vec3 direction{0.0, 0.0, 0.0};
    int slot = -1;
    double s = 0.0, t = 0.0;
};
RoomLookup lookupRoom(Vec3 eye, Vec3 point, int face);

// --- predictions ---------------------------------------------------------------

enum class PixelKind { Sky, Facade, Room };

// What a pixel shows. For Sky: slot/s/t of the world cube map. For Facade:
// the face and (s, t). For Room: the face, (s, t) and the room lookup.
struct Prediction {
    PixelKind kind = PixelKind::Sky;
    int face = -1;
    double s = 0.0, t = 0.0; // facade coordinates of the face hit
    int slot = -1;           // cube-map face sampled (world or room map)
    double slotS = 0.0, slotT = 0.0;
    RoomLookup room;          // filled for Room (and Facade: the room behind)
    double facadeAlpha = 0.0; // the alpha callback's value at (s, t)
    // True when some ray within `margin` pixels of this one would be
    // predicted differently (another kind, face, room, cube-map face, or the
    // other side of the facade's alpha edge), or when the facade alpha here
    // is a blend (strictly between 0 and 1): the pixel is then ambiguous
    // under filtering and rounding, and tests skip it.
    bool nearEdge = false;
};

// Facade opacity (0..1) of face `face` at (s, t); >= 0.5 counts as facade.
using FacadeAlpha = std::function<double(int face, double s, double t)>;

// Prediction for one ray (no margin test).
Prediction predictRay(const Camera &camera, double px, double py, const FacadeAlpha &alpha);

// Prediction for pixel (px, py), with nearEdge from rays offset by
// `marginPixels` in eight directions and from a blended facade alpha. With
// an alpha callback that filters as GL does (calibrationFacadeAlpha), the
// second rule covers the whole width of a filtered alpha edge however
// close the camera is.
Prediction predictPixel(const Camera &camera, int px, int py, const FacadeAlpha &alpha,
                        double marginPixels = 2.0);

// --- calibration textures --------------------------------------------------------

// Writes a complete texture tree into dir (dir/<set>/exterior.tga and
// dir/<set>/<posx|negx|negy|posy|posz|negz>.tga for the seven sets), so
// that dir can stand in for the viewer's textures/ directory:
//   - each room cube map: slot k (GL target +X..-Z) a solid colour
//     roomSlotColor(k), the same in all six room sets;
//   - the world cube map: slot k a solid worldSlotColor(k);
//   - each facade: opaque grey where calibrationFacadeAlpha says 1,
//     fully transparent elsewhere (an L shape that shows a flipped s or t).
// Returns false if a directory or file could not be written.
bool writeCalibrationTextures(const std::string &dir);

struct Rgb {
    int r, g, b;
};
Rgb roomSlotColor(int slot);
Rgb worldSlotColor(int slot);
// The calibration facades' alpha at (s, t) as the viewer samples it
// (bilinear, wrapping); pass it to predictPixel.
double calibrationFacadeAlpha(int face, double s, double t);

// Classifies a read-back colour of a calibration frame by its hue, which
// the shader's lighting, dark rooms and tints do not change enough to
// confuse: a room slot, a world slot, the facade, or Unknown (too dark, or
// far from every calibration colour, e.g. a blend at an edge).
enum class ColorClass { RoomSlot, WorldSlot, Facade, Unknown };
struct Classification {
    ColorClass kind;
    int slot; // for RoomSlot and WorldSlot
};
Classification classifyCalibrationColor(Rgb color);

// Whether a room pixel of a calibration frame shows a room with its light
// on: the brightest channel of a lit room is at least (1 - kDepthFalloff)
// times the weakest tint of a full channel, that of a dark room at most
// kDarkRoom of it; the threshold lies halfway.
bool calibrationRoomLooksLit(Rgb color);

// The class a prediction should produce on the calibration textures.
Classification expectedCalibrationClass(const Prediction &prediction);

} // namespace shader_model

#endif
