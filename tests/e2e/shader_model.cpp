#include "shader_model.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tga_write.h"

namespace shader_model {

namespace {

constexpr double kPi = 3.14159265358979323846;

double at(const Vec3 &v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }
Vec3 add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 scale(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 mul(Vec3 a, Vec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 normalize(Vec3 a) { return scale(a, 1.0 / std::sqrt(dot(a, a))); }

// The viewer's face table: corners 0, 1 and 3 of each face (corner 1 lies
// at s = 1, corner 3 at t = 1).
constexpr Vec3 kCorner0[kFaceCount] = {{1, 0, 1}, {0, 0, 0}, {0, 1, 1},
                                       {0, 0, 0}, {0, 0, 1}, {1, 0, 0}};
constexpr Vec3 kCorner1[kFaceCount] = {{1, 0, 0}, {0, 0, 1}, {1, 1, 1},
                                       {1, 0, 0}, {1, 0, 1}, {0, 0, 0}};
constexpr Vec3 kCorner3[kFaceCount] = {{1, 1, 1}, {0, 1, 0}, {0, 1, 0},
                                       {0, 0, 1}, {0, 1, 1}, {1, 1, 0}};
constexpr Vec3 kNormals[kFaceCount] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                       {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};

int normalAxis(int face) { return face / 2; }

// 1 / d, with |d| raised to at least kMinStep, keeping the sign (0 counts
// as positive), as the shader divides by the ray components.
double safeReciprocal(double d) {
    return (d >= 0.0 ? 1.0 : -1.0) / std::max(std::fabs(d), kMinStep);
}

// Whether two predictions show the same thing for the margin test.
bool sameSurface(const Prediction &a, const Prediction &b) {
    if (a.kind != b.kind || a.face != b.face || a.slot != b.slot)
        return false;
    if (a.kind != PixelKind::Room)
        return true;
    return std::equal(a.room.cell, a.room.cell + 3, b.room.cell);
}

// Calibration palette: six saturated hues for the rooms' cube-map slots,
// the six hues between them for the world's, grey for the facades.
constexpr Rgb kRoomPalette[6] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                 {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
constexpr Rgb kWorldPalette[6] = {{255, 128, 0}, {128, 255, 0}, {0, 255, 128},
                                  {0, 128, 255}, {128, 0, 255}, {255, 0, 128}};
constexpr Rgb kFacadeGrey = {128, 128, 128};
// Fine enough that GL's linear filtering blends over at most a pixel or two
// at the usual distances; the opaque L's edges fall on texel edges.
constexpr int kCalibrationFacadeSize = 256;
constexpr int kCalibrationCubeSize = 16;
// The opaque L of the calibration facades: a band on the left (s) and
// one at the top (t).
constexpr double kOpaqueLeftBelowS = 0.375;
constexpr double kOpaqueTopAboveT = 0.8125;
// Colours darker than this (max channel) are not classified.
constexpr int kDarkestClassified = 24;
// Largest distance of a brightness-normalised colour from its class.
constexpr double kClassRadius = 0.25;

RgbaImage solidImage(int size, Rgb color, int alpha) {
    return makeSolidImage(size, color.r, color.g, color.b, alpha);
}

// Alpha (0 or 1) of texel (i, j) of a calibration facade; indices wrap
// around as GL_REPEAT does.
double calibrationTexelAlpha(int i, int j) {
    const int n = kCalibrationFacadeSize;
    const double s = (((i % n) + n) % n + 0.5) / n;
    const double t = (((j % n) + n) % n + 0.5) / n;
    return (s < kOpaqueLeftBelowS || t > kOpaqueTopAboveT) ? 1.0 : 0.0;
}

// The calibration facade, stored bottom row first (t = 0 first). Its
// transparent texels keep the grey, so that filtering blends only alpha.
RgbaImage calibrationFacade() {
    const int n = kCalibrationFacadeSize;
    RgbaImage image = solidImage(n, kFacadeGrey, 0);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            if (calibrationTexelAlpha(i, j) >= 0.5)
                image.rgba[(static_cast<size_t>(j) * n + i) * 4 + 3] = 255;
    return image;
}

bool writeCalibrationSet(const std::filesystem::path &root, int set) {
    const std::filesystem::path dir = root / texlayout::kSetNames[set];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error)
        return false;
    const bool world = set == texlayout::kWorldSet;
    const RgbaImage plate =
        world ? solidImage(kCalibrationCubeSize, kFacadeGrey, 255) : calibrationFacade();
    bool ok =
        writeTga((dir / texlayout::kFacadeFile).string() + ".tga", plate, TgaRowOrder::BottomFirst);
    for (int slot = 0; slot < texlayout::kSlotCount; ++slot) {
        const Rgb color = world ? worldSlotColor(slot) : roomSlotColor(slot);
        ok = writeTga((dir / texlayout::kSlotFiles[slot]).string() + ".tga",
                      solidImage(kCalibrationCubeSize, color, 255), TgaRowOrder::TopFirst) &&
             ok;
    }
    return ok;
}

double normalisedDistance(Rgb color, Rgb reference) {
    const double m = std::max({color.r, color.g, color.b});
    const double dr = color.r / m - reference.r / 255.0;
    const double dg = color.g / m - reference.g / 255.0;
    const double db = color.b / m - reference.b / 255.0;
    return std::sqrt(dr * dr + dg * dg + db * db);
}

} // namespace

int roomHash(int ix, int iy, int iz) {
    const int sum = ix * kHashX + iy * kHashY + iz * kHashZ;
    return ((sum % kHashRange) + kHashRange) % kHashRange; // GLSL mod(): never negative
}

RoomVariety roomVariety(int ix, int iy, int iz) {
    const int h = roomHash(ix, iy, iz);
    return {h, h >= kDarkBelow, h % 2 == 1, (h / 2) % 2 == 1};
}

Vec3 faceNormal(int face) { return kNormals[face]; }

Vec3 pixelRay(const Camera &camera, double px, double py) {
    const Vec3 forward = normalize(sub(camera.lookAt, camera.eye));
    const Vec3 side = normalize(cross(forward, camera.up));
    const Vec3 up = cross(side, forward);
    const double tanHalf = std::tan(camera.fovyDegrees * kPi / 360.0);
    const double aspect = static_cast<double>(camera.width) / camera.height;
    const double ndcX = 2.0 * (px + 0.5) / camera.width - 1.0;
    const double ndcY = 1.0 - 2.0 * (py + 0.5) / camera.height;
    return add(forward, add(scale(side, ndcX * tanHalf * aspect), scale(up, ndcY * tanHalf)));
}

FaceHit hitBuilding(Vec3 eye, Vec3 dir, double minK) {
    FaceHit best;
    for (int face = 0; face < kFaceCount; ++face) {
        const int axis = normalAxis(face);
        const double d = at(dir, axis);
        if (d == 0.0)
            continue;
        const double k = (at(kCorner0[face], axis) - at(eye, axis)) / d;
        // Faces are drawn in order with a less-or-equal depth test, so on a
        // tie the later face wins.
        if (k < minK || (best.hit && k > best.k))
            continue;
        const Vec3 p = add(eye, scale(dir, k));
        const double s = dot(sub(p, kCorner0[face]), sub(kCorner1[face], kCorner0[face]));
        const double t = dot(sub(p, kCorner0[face]), sub(kCorner3[face], kCorner0[face]));
        if (s < 0.0 || s > 1.0 || t < 0.0 || t > 1.0)
            continue;
        best = {true, face, k, p, s, t};
    }
    return best;
}

RoomLookup lookupRoom(Vec3 eye, Vec3 point, int face) {
    const Vec3 freq = scale(kWallFreq, kRoomsPerUnit);
    const Vec3 p = mul(point, freq);
    const Vec3 d = mul(sub(point, eye), freq);
    const Vec3 nudged = add(p, scale(normalize(d), kEntryNudge));
    RoomLookup room;
    double tAxis[3];
    for (int axis = 0; axis < 3; ++axis) {
        const double cell = std::clamp(std::floor(at(nudged, axis)), 0.0, at(freq, axis) - 1.0);
        room.cell[axis] = static_cast<int>(cell);
        const double farWall = cell + (at(d, axis) >= 0.0 ? 1.0 : 0.0);
        tAxis[axis] = (farWall - at(p, axis)) * safeReciprocal(at(d, axis));
    }
    const double t = std::max(std::min({tAxis[0], tAxis[1], tAxis[2]}), 0.0);
    const Vec3 hit = add(p, scale(d, t));
    const Vec3 centre =
        add(Vec3{double(room.cell[0]), double(room.cell[1]), double(room.cell[2])}, kRoomOffset);
    Vec3 look = sub(hit, centre);
    room.variety = roomVariety(room.cell[0], room.cell[1], room.cell[2]);
    if (room.variety.mirrored) {
        if (std::fabs(faceNormal(face).x) > 0.5)
            look.z = -look.z;
        else
            look.x = -look.x;
    }
    room.direction = look;
    const texlayout::CubeHit c = texlayout::cubeFaceOf({look.x, look.y, look.z});
    room.slot = c.slot;
    room.s = c.s;
    room.t = c.t;
    return room;
}

Prediction predictRay(const Camera &camera, double px, double py, const FacadeAlpha &alpha) {
    const Vec3 dir = pixelRay(camera, px, py);
    const FaceHit hit = hitBuilding(camera.eye, dir, camera.zNear);
    Prediction p;
    if (!hit.hit) {
        const texlayout::CubeHit sky = texlayout::cubeFaceOf({dir.x, dir.y, dir.z});
        p.slot = sky.slot;
        p.slotS = sky.s;
        p.slotT = sky.t;
        return p;
    }
    p.face = hit.face;
    p.s = hit.s;
    p.t = hit.t;
    p.room = lookupRoom(camera.eye, hit.point, hit.face);
    p.facadeAlpha = alpha(hit.face, hit.s, hit.t);
    if (p.facadeAlpha >= 0.5) {
        p.kind = PixelKind::Facade;
        return p;
    }
    p.kind = PixelKind::Room;
    p.slot = p.room.slot;
    p.slotS = p.room.s;
    p.slotT = p.room.t;
    return p;
}

Prediction predictPixel(const Camera &camera, int px, int py, const FacadeAlpha &alpha,
                        double marginPixels) {
    Prediction centre = predictRay(camera, px, py, alpha);
    centre.nearEdge = centre.face >= 0 && centre.facadeAlpha > 0.0 && centre.facadeAlpha < 1.0;
    for (int dy = -1; dy <= 1 && !centre.nearEdge; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            const Prediction other =
                predictRay(camera, px + dx * marginPixels, py + dy * marginPixels, alpha);
            if (!sameSurface(centre, other)) {
                centre.nearEdge = true;
                break;
            }
        }
    }
    return centre;
}

bool writeCalibrationTextures(const std::string &dir) {
    bool ok = true;
    for (int set = 0; set < texlayout::kSetCount; ++set)
        ok = writeCalibrationSet(dir, set) && ok;
    return ok;
}

Rgb roomSlotColor(int slot) { return kRoomPalette[slot]; }
Rgb worldSlotColor(int slot) { return kWorldPalette[slot]; }

double calibrationFacadeAlpha(int /*face*/, double s, double t) {
    // Bilinear filtering between the four nearest texel centres, wrapping
    // at the edges, as the viewer's GL_LINEAR / GL_REPEAT sampler does.
    const int n = kCalibrationFacadeSize;
    const double x = s * n - 0.5, y = t * n - 0.5;
    const double fx = std::floor(x), fy = std::floor(y);
    const int i = static_cast<int>(fx), j = static_cast<int>(fy);
    const double u = x - fx, v = y - fy;
    const double bottom =
        (1.0 - u) * calibrationTexelAlpha(i, j) + u * calibrationTexelAlpha(i + 1, j);
    const double top =
        (1.0 - u) * calibrationTexelAlpha(i, j + 1) + u * calibrationTexelAlpha(i + 1, j + 1);
    return (1.0 - v) * bottom + v * top;
}

Classification classifyCalibrationColor(Rgb color) {
    if (std::max({color.r, color.g, color.b}) < kDarkestClassified)
        return {ColorClass::Unknown, -1};
    Classification best{ColorClass::Facade, -1};
    double bestDistance = normalisedDistance(color, {255, 255, 255});
    for (int slot = 0; slot < 6; ++slot) {
        const double room = normalisedDistance(color, kRoomPalette[slot]);
        if (room < bestDistance) {
            bestDistance = room;
            best = {ColorClass::RoomSlot, slot};
        }
        const double world = normalisedDistance(color, kWorldPalette[slot]);
        if (world < bestDistance) {
            bestDistance = world;
            best = {ColorClass::WorldSlot, slot};
        }
    }
    if (bestDistance > kClassRadius)
        return {ColorClass::Unknown, -1};
    return best;
}

bool calibrationRoomLooksLit(Rgb color) {
    const double weakestTint =
        std::min({kWarmTint.x, kWarmTint.y, kWarmTint.z, kCoolTint.x, kCoolTint.y, kCoolTint.z});
    const double litAtLeast = (1.0 - kDepthFalloff) * weakestTint;
    const double threshold = 255.0 * 0.5 * (litAtLeast + kDarkRoom);
    return std::max({color.r, color.g, color.b}) >= threshold;
}

Classification expectedCalibrationClass(const Prediction &prediction) {
    switch (prediction.kind) {
    case PixelKind::Sky: return {ColorClass::WorldSlot, prediction.slot};
    case PixelKind::Facade: return {ColorClass::Facade, -1};
    case PixelKind::Room: return {ColorClass::RoomSlot, prediction.slot};
    }
    return {ColorClass::Unknown, -1};
}

} // namespace shader_model
