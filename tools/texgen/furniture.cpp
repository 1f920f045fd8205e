// Furniture, drawn flat as it stands in a room seen from its window: sofas,
// chairs, tables, desks, shelves and plants, in each room set's colours.
// Every piece is built from soft-edged boxes and discs; what it does not
// cover stays transparent.
#include "furniture.h"

#include <cmath>
#include <initializer_list>

namespace {

enum class Piece { Sofa, ArmchairAndLamp, Plant, Desk, Table, Sideboard };

struct FurnitureSet {
    Piece pieces[kPiecesPerRoomSet];
    Color fabric, wood;
};

// One set per building face, in face order, matching its rooms' styles.
const FurnitureSet kSets[6] = {
    {{Piece::Sofa, Piece::ArmchairAndLamp, Piece::Plant, Piece::Table}, rgb(0.46, 0.20, 0.16),
     rgb(0.45, 0.28, 0.15)},
    {{Piece::Table, Piece::Sideboard, Piece::Plant, Piece::ArmchairAndLamp},
     rgb(0.80, 0.66, 0.30), rgb(0.62, 0.48, 0.30)},
    {{Piece::Sofa, Piece::Sideboard, Piece::Plant, Piece::Desk}, rgb(0.30, 0.32, 0.55),
     rgb(0.55, 0.40, 0.28)},
    {{Piece::Plant, Piece::Sofa, Piece::Table, Piece::Sideboard}, rgb(0.25, 0.38, 0.30),
     rgb(0.36, 0.22, 0.12)},
    {{Piece::Desk, Piece::Sideboard, Piece::Plant, Piece::ArmchairAndLamp},
     rgb(0.22, 0.24, 0.28), rgb(0.70, 0.66, 0.58)},
    {{Piece::Sofa, Piece::Table, Piece::Plant, Piece::Sideboard}, rgb(0.12, 0.12, 0.13),
     rgb(0.80, 0.78, 0.74)},
};

constexpr Color kChrome = rgb(0.70, 0.71, 0.72);
constexpr Color kLampShade = rgb(1.0, 0.93, 0.74);
constexpr Color kLeaf = rgb(0.20, 0.42, 0.16);
constexpr Color kTerracotta = rgb(0.66, 0.34, 0.22);
constexpr Color kScreen = rgb(0.25, 0.45, 0.70);

// Paints a box of colour c over the layer.
Color box(Color layer, Color c, double x, double y, double x0, double y0, double x1, double y1,
          double aa) {
    return over(layer, c, boxCover(x, y, x0, y0, x1, y1, aa));
}

// The two front legs under a top, from the floor up to y1, at x0 and x1.
Color legs(Color layer, Color c, double x, double y, double x0, double x1, double y1, double aa) {
    layer = box(layer, c, x, y, x0, -1.0, x0 + 0.04, y1, aa);
    return box(layer, c, x, y, x1 - 0.04, -1.0, x1, y1, aa);
}

Color sofa(const FurnitureSet &fs, double x, double y, double aa) {
    const Color f = fs.fabric;
    Color c = legs({f.r, f.g, f.b, 0.0}, fs.wood, x, y, -0.56, 0.56, -0.9, aa);
    c = box(c, shade(f, 0.8), x, y, -0.62, -0.92, 0.62, -0.76, aa);
    c = box(c, shade(f, 1.1), x, y, -0.58, -0.62, 0.58, -0.28, aa);
    c = box(c, f, x, y, -0.6, -0.78, 0.6, -0.62, aa);
    // The seams between the cushions, then the arms.
    c = box(c, shade(f, 0.6), x, y, -0.006, -0.78, 0.006, -0.3, aa);
    c = box(c, shade(f, 0.9), x, y, -0.7, -0.92, -0.58, -0.5, aa);
    return box(c, shade(f, 0.9), x, y, 0.58, -0.92, 0.7, -0.5, aa);
}

Color armchairAndLamp(const FurnitureSet &fs, double x, double y, double aa) {
    const Color f = fs.fabric;
    Color c = legs({f.r, f.g, f.b, 0.0}, fs.wood, x, y, -0.58, -0.06, -0.9, aa);
    c = box(c, shade(f, 1.1), x, y, -0.55, -0.62, -0.09, -0.2, aa);
    c = box(c, f, x, y, -0.58, -0.9, -0.06, -0.62, aa);
    c = box(c, shade(f, 0.85), x, y, -0.66, -0.9, -0.52, -0.5, aa);
    c = box(c, shade(f, 0.85), x, y, -0.12, -0.9, 0.02, -0.5, aa);
    // A floor lamp: base, pole and a glowing shade.
    c = box(c, kChrome, x, y, 0.32, -1.0, 0.54, -0.97, aa);
    c = box(c, kChrome, x, y, 0.42, -0.98, 0.44, 0.2, aa);
    const double taper = 0.1 * (y - 0.2) / 0.25;
    return box(c, kLampShade, x + (x > 0.43 ? -taper : taper), y, 0.27, 0.2, 0.59, 0.45, aa);
}

Color plant(const FurnitureSet &fs, double x, double y, double aa) {
    Color c = {kLeaf.r, kLeaf.g, kLeaf.b, 0.0};
    // Leaves: overlapping discs fanned out above the pot.
    for (int k = 0; k < 9; ++k) {
        const double angle = kPi * (0.1 + 0.8 * hash01(k, 1, 71));
        const double reach = 0.15 + 0.3 * hash01(k, 2, 71);
        const double cx = reach * std::cos(angle), cy = -0.62 + reach * std::sin(angle) * 1.4;
        const Color leaf = shade(kLeaf, 0.75 + 0.5 * hash01(k, 3, 71));
        c = over(c, leaf, discCover(x, y, cx, cy, 0.11 + 0.05 * hash01(k, 4, 71), aa));
    }
    const double taper = 0.04 * (y + 1.0) / 0.32;
    const Color pot = fs.fabric.r > 0.7 ? kTerracotta : shade(fs.wood, 0.9);
    return box(c, pot, std::fabs(x) - taper, y, -0.16, -1.0, 0.16, -0.68, aa);
}

Color desk(const FurnitureSet &fs, double x, double y, double aa) {
    const Color w = fs.wood;
    Color c = legs({w.r, w.g, w.b, 0.0}, shade(w, 0.7), x, y, -0.62, 0.62, -0.45, aa);
    c = box(c, shade(w, 0.85), x, y, 0.22, -0.92, 0.58, -0.45, aa);
    c = box(c, shade(w, 0.6), x, y, 0.24, -0.7, 0.56, -0.69, aa);
    c = box(c, w, x, y, -0.64, -0.46, 0.64, -0.4, aa);
    // A screen on its stand, and a chair pushed in.
    c = box(c, kChrome, x, y, -0.14, -0.4, -0.1, -0.3, aa);
    c = box(c, rgb(0.1, 0.1, 0.11), x, y, -0.38, -0.3, 0.14, 0.02, aa);
    c = box(c, kScreen, x, y, -0.35, -0.27, 0.11, -0.01, aa);
    c = box(c, shade(fs.fabric, 1.2), x, y, -0.5, -0.9, -0.46, -0.55, aa);
    c = box(c, shade(fs.fabric, 1.2), x, y, -0.52, -0.58, -0.1, -0.53, aa);
    return box(c, shade(fs.fabric, 1.3), x, y, -0.52, -0.53, -0.46, -0.15, aa);
}

Color table(const FurnitureSet &fs, double x, double y, double aa) {
    const Color w = fs.wood;
    Color c = legs({w.r, w.g, w.b, 0.0}, shade(w, 0.75), x, y, -0.5, 0.5, -0.44, aa);
    c = box(c, w, x, y, -0.58, -0.46, 0.58, -0.4, aa);
    // Chairs at both ends, and a vase of flowers.
    for (double side : {-1.0, 1.0}) {
        const double inner = side * 0.56, outer = side * 0.86;
        const double x0 = std::fmin(inner, outer), x1 = std::fmax(inner, outer);
        c = legs(c, shade(w, 0.7), x, y, x0, x1, -0.62, aa);
        c = box(c, shade(fs.fabric, 1.1), x, y, x0, -0.64, x1, -0.58, aa);
        const double back = side < 0 ? x0 : x1 - 0.05;
        c = box(c, shade(w, 0.7), x, y, back, -0.6, back + 0.05, -0.1, aa);
    }
    c = box(c, rgb(0.85, 0.87, 0.9), x, y, -0.05, -0.4, 0.05, -0.25, aa);
    for (int k = 0; k < 5; ++k)
        c = over(c, hash01(k, 5, 73) < 0.5 ? rgb(0.85, 0.2, 0.25) : rgb(0.95, 0.85, 0.3),
                 discCover(x, y, -0.09 + 0.045 * k, -0.2 + 0.05 * hash01(k, 6, 73), 0.035, aa));
    return c;
}

Color sideboard(const FurnitureSet &fs, double x, double y, double aa) {
    const Color w = fs.wood;
    Color c = box({w.r, w.g, w.b, 0.0}, w, x, y, -0.6, -0.95, 0.6, -0.3, aa);
    c = box(c, shade(w, 0.6), x, y, -0.6, -1.0, 0.6, -0.95, aa);
    // Doors on the left, an open shelf of books on the right.
    c = box(c, shade(w, 0.85), x, y, -0.56, -0.9, -0.02, -0.36, aa);
    c = box(c, shade(w, 0.45), x, y, 0.03, -0.9, 0.56, -0.36, aa);
    const double slot = std::floor((x - 0.03) / 0.05);
    const Color book = mix(fs.fabric, rgb(0.9, 0.86, 0.7), hash01(static_cast<int>(slot), 7, 79));
    const double height = -0.7 + 0.25 * hash01(static_cast<int>(slot), 8, 79);
    c = box(c, book, x, y, 0.05, -0.88, 0.54, height, aa);
    c = box(c, kChrome, x, y, -0.3, -0.64, -0.26, -0.62, aa);
    // A table lamp on top.
    c = box(c, kChrome, x, y, 0.28, -0.3, 0.3, -0.08, aa);
    return box(c, kLampShade, x, y, 0.18, -0.1, 0.4, 0.06, aa);
}

} // namespace

Color furnitureTexel(int set, int piece, double x, double y, double aa) {
    const FurnitureSet &fs = kSets[set];
    Color c{0.0, 0.0, 0.0, 0.0};
    switch (fs.pieces[piece]) {
    case Piece::Sofa: c = sofa(fs, x, y, aa); break;
    case Piece::ArmchairAndLamp: c = armchairAndLamp(fs, x, y, aa); break;
    case Piece::Plant: c = plant(fs, x, y, aa); break;
    case Piece::Desk: c = desk(fs, x, y, aa); break;
    case Piece::Table: c = table(fs, x, y, aa); break;
    case Piece::Sideboard: c = sideboard(fs, x, y, aa); break;
    }
    // The room's lamp hangs above: tops catch more light than what is low.
    return shade(c, 0.75 + 0.25 * clamp01(0.5 * (y + 1.0)));
}

// Slats across the window, lighter and darker in turn.
Color blindTexel(double y) {
    constexpr Color kSlat = rgb(0.86, 0.84, 0.78);
    constexpr double kSlatsPerWindow = 14.0;
    const double v = 0.5 * (y + 1.0) * kSlatsPerWindow;
    return shade(kSlat, 0.8 + 0.4 * std::fabs(v - std::floor(v) - 0.5));
}

// Cloth in vertical folds: red, or blue for the second curtains.
Color curtainTexel(bool second, double x) {
    constexpr double kFoldsPerRoom = 10.0;
    const Color cloth = second ? rgb(0.22, 0.32, 0.48) : rgb(0.55, 0.20, 0.17);
    const double u = 0.5 * (x + 1.0) * kFoldsPerRoom;
    return shade(cloth, 0.7 + 0.6 * std::fabs(u - std::floor(u) - 0.5));
}
