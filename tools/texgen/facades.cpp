// Facades. Every facade is a grid of kRoomsPerUnit x kRoomsPerUnit cells,
// one per room behind it, with one window (or skylight) in the middle of
// each cell. Window glass is transparent or partly transparent in alpha so
// the shader shows the room behind it; frames, sills and walls are opaque.
#include "facades.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "texture_layout.h"

namespace {

constexpr double kRooms = texlayout::kRoomsPerUnit;

// A point of a facade in its room cell: (i, j) the cell, (u, v) in [0, 1)
// within it, v upwards.
struct CellPoint {
    int i, j;
    double u, v;
};

CellPoint cellOf(double s, double t) {
    const double x = s * kRooms, y = t * kRooms;
    const double fx = std::floor(x), fy = std::floor(y);
    return {static_cast<int>(fx), static_cast<int>(fy), x - fx, y - fy};
}

// Coverage of a thin bar of half-width w centred on `line`.
double barCover(double x, double line, double w, double aa) {
    return 1.0 - smoothstep(w - 0.5 * aa, w + 0.5 * aa, std::fabs(x - line));
}

// Coverage of glazing bars that split the span [a, b] into n equal panes.
double paneBars(double x, double a, double b, int n, double w, double aa) {
    double cover = 0.0;
    for (int k = 1; k < n; ++k)
        cover = std::max(cover, barCover(x, a + (b - a) * k / n, w, aa));
    return cover;
}

// Paints an opening given by its signed distance `d` (negative inside) over
// the wall: a frame `frame` wide along its border, then glass inside,
// interrupted where `bars` covers it.
Color paintOpening(Color wall, double d, double frame, Color frameColor, Color glass, double bars,
                   double aa) {
    const double opening = 1.0 - smoothstep(-0.5 * aa, 0.5 * aa, d);
    const double pane = (1.0 - smoothstep(-0.5 * aa, 0.5 * aa, d + frame)) * (1.0 - bars);
    return over(over(wall, frameColor, opening), glass, pane);
}

// --- brick (right) -------------------------------------------------------

constexpr Color kBrick = rgb(0.56, 0.24, 0.16);
constexpr Color kMortar = rgb(0.74, 0.71, 0.65);
constexpr Color kSillStone = rgb(0.82, 0.79, 0.72);
constexpr Color kWhiteFrame = rgb(0.93, 0.93, 0.90);
constexpr Color kClearGlass = {0.30, 0.40, 0.46, 0.12};

// Where (s, t) falls in a bond of `courses` rows and `units` blocks per
// room cell, every other course shifted by half a block: the block's column
// and row and the position within it.
struct BondPoint {
    int col, row;
    double fx, fy;
};

BondPoint staggeredBond(double s, double t, double courses, double units) {
    const double y = t * kRooms * courses;
    const int row = static_cast<int>(std::floor(y));
    const double x = s * kRooms * units + ((row & 1) ? 0.5 : 0.0);
    const int col = static_cast<int>(std::floor(x));
    return {col, row, x - col, y - row};
}

// Running-bond brickwork: 12 courses and 4 bricks per cell.
Color brickwork(double s, double t, double aa, int seed) {
    const BondPoint b = staggeredBond(s, t, 12.0, 4.0);
    const int col = b.col, row = b.row;
    const double fx = b.fx, fy = b.fy;
    const double tone = 0.8 + 0.35 * hash01(col, row, seed);
    const double warm = 0.06 * (hash01(col, row, seed + 1) - 0.5);
    const double grain = 0.9 + 0.2 * valueNoise(s * 700.0, t * 700.0, seed + 2);
    Color brick = shade({kBrick.r + warm, kBrick.g, kBrick.b - warm, 1.0}, tone * grain);
    const double aaX = aa * kRooms * 4.0, aaY = aa * kRooms * 12.0;
    const double jointX = std::min(fx, 1.0 - fx), jointY = std::min(fy, 1.0 - fy);
    const double mortar = std::max(1.0 - smoothstep(0.025, 0.025 + aaX, jointX),
                                   1.0 - smoothstep(0.065, 0.065 + aaY, jointY));
    return over(brick, shade(kMortar, grain), mortar);
}

Color brickFacade(double s, double t, double aa) {
    const CellPoint c = cellOf(s, t);
    const double ca = aa * kRooms; // one texel in cell units
    Color wall = brickwork(s, t, aa, 11);
    // Soldier-course lintel and a shadow under the stone sill.
    const double lintel = boxCover(c.u, c.v, 0.17, 0.82, 0.83, 0.89, ca);
    const Color soldier = shade(kBrick, 0.75 + 0.1 * std::cos(c.u * 2.0 * kPi * 14.0));
    wall = over(wall, soldier, lintel);
    wall = over(wall, shade(wall, 0.55), boxCover(c.u, c.v, 0.17, 0.11, 0.83, 0.14, ca));
    wall = over(wall, kSillStone, boxCover(c.u, c.v, 0.15, 0.14, 0.85, 0.195, ca));
    const double d = boxDistance(c.u, c.v, 0.2, 0.195, 0.8, 0.82);
    const double bars =
        std::max(paneBars(c.u, 0.2, 0.8, 2, 0.012, ca), barCover(c.v, 0.64, 0.012, ca));
    return paintOpening(wall, d, 0.035, kWhiteFrame, kClearGlass, bars, ca);
}

// --- stone (left) --------------------------------------------------------

constexpr Color kAshlar = rgb(0.76, 0.70, 0.58);
constexpr Color kCornice = rgb(0.86, 0.81, 0.70);
constexpr Color kGreenFrame = rgb(0.14, 0.30, 0.20);

// Ashlar blocks: 6 courses and 3 blocks per cell, joints staggered.
Color ashlar(double s, double t, double aa, int seed) {
    const BondPoint b = staggeredBond(s, t, 6.0, 3.0);
    const int col = b.col, row = b.row;
    const double fx = b.fx, fy = b.fy;
    const double tone = 0.88 + 0.2 * hash01(col, row, seed);
    const double grain = 0.85 + 0.3 * fbm(s * 60.0, t * 60.0, seed + 3, 4);
    const double joint =
        std::min(std::min(fx, 1.0 - fx) / (kRooms * 3.0), std::min(fy, 1.0 - fy) / (kRooms * 6.0));
    const double jointCover = 1.0 - smoothstep(0.0012, 0.0012 + aa, joint);
    return over(shade(kAshlar, tone * grain), shade(kAshlar, 0.55), jointCover);
}

// Signed distance to a round-headed window: a box topped by a half disc.
double archDistance(double u, double v, double x0, double y0, double x1, double spring) {
    const double r = 0.5 * (x1 - x0);
    const double box = boxDistance(u, v, x0, y0, x1, spring);
    const double disc = std::hypot(u - 0.5 * (x0 + x1), v - spring) - r;
    return std::min(box, disc);
}

Color stoneFacade(double s, double t, double aa) {
    const CellPoint c = cellOf(s, t);
    const double ca = aa * kRooms;
    Color wall = ashlar(s, t, aa, 23);
    // A string course along each floor line, with its shadow below.
    wall = over(wall, kCornice, boxCover(c.u, c.v, -1.0, -0.01, 2.0, 0.05, ca));
    wall = over(wall, shade(wall, 0.6), boxCover(c.u, c.v, -1.0, 0.975, 2.0, 1.01, ca));
    wall = over(wall, kCornice, boxCover(c.u, c.v, 0.22, 0.11, 0.78, 0.165, ca));
    wall = over(wall, kCornice, boxCover(c.u, c.v, 0.46, 0.80, 0.54, 0.885, ca));
    const double d = archDistance(c.u, c.v, 0.25, 0.165, 0.75, 0.58);
    const double bars = std::max({barCover(c.u, 0.5, 0.011, ca), barCover(c.v, 0.40, 0.011, ca),
                                  barCover(c.v, 0.58, 0.011, ca)});
    return paintOpening(wall, d, 0.03, kGreenFrame, kClearGlass, bars, ca);
}

// --- roof with skylights (top) -------------------------------------------

constexpr Color kGravel = rgb(0.44, 0.42, 0.39);
constexpr Color kCoping = rgb(0.72, 0.71, 0.68);
constexpr Color kCurb = rgb(0.78, 0.78, 0.76);
constexpr Color kMetal = rgb(0.55, 0.57, 0.60);
constexpr Color kSkyGlass = {0.35, 0.48, 0.58, 0.22};

// A rooftop unit in the corner of some cells: a metal box with a fan.
Color rooftopUnit(Color roof, const CellPoint &c, double ca) {
    if (hash01(c.i, c.j, 41) > 0.35)
        return roof;
    roof = over(roof, shade(roof, 0.5), boxCover(c.u, c.v, 0.86, 0.83, 0.99, 0.96, ca));
    roof = over(roof, kMetal, boxCover(c.u, c.v, 0.85, 0.85, 0.97, 0.97, ca));
    const double fan = discCover(c.u, c.v, 0.91, 0.91, 0.04, ca);
    return over(roof, shade(kMetal, 0.45),
                fan * (0.6 + 0.4 * std::cos(40.0 * std::atan2(c.v - 0.91, c.u - 0.91))));
}

Color roofFacade(double s, double t, double aa) {
    const CellPoint c = cellOf(s, t);
    const double ca = aa * kRooms;
    const double speckle = 0.8 + 0.4 * valueNoise(s * 400.0, t * 400.0, 57);
    const double stain = 0.85 + 0.25 * fbm(s * 6.0, t * 6.0, 58, 4);
    Color roof = shade(kGravel, speckle * stain);
    roof = rooftopUnit(roof, c, ca);
    // Skylight: a raised curb casting a shadow, then the glazed frame.
    roof = over(roof, shade(roof, 0.5), boxCover(c.u, c.v, 0.21, 0.15, 0.85, 0.79, ca));
    roof = over(roof, kCurb, boxCover(c.u, c.v, 0.18, 0.18, 0.82, 0.82, ca));
    const double d = boxDistance(c.u, c.v, 0.22, 0.22, 0.78, 0.78);
    const double bars = std::max(barCover(c.u, 0.5, 0.01, ca), barCover(c.v, 0.5, 0.01, ca));
    roof = paintOpening(roof, d, 0.025, kMetal, kSkyGlass, bars, ca);
    // Parapet coping all round the roof edge.
    const double edge = std::min(std::min(s, 1.0 - s), std::min(t, 1.0 - t));
    return over(roof, kCoping, 1.0 - smoothstep(0.018, 0.018 + aa, edge));
}

// --- underside (bottom) --------------------------------------------------

constexpr Color kSoffit = rgb(0.62, 0.62, 0.60);
constexpr Color kDarkMetal = rgb(0.22, 0.23, 0.25);
constexpr Color kFrostGlass = {0.62, 0.66, 0.70, 0.25};
constexpr Color kDownlight = rgb(1.0, 0.96, 0.84);

Color undersideFacade(double s, double t, double aa) {
    const CellPoint c = cellOf(s, t);
    const double ca = aa * kRooms;
    Color soffit = shade(kSoffit, 0.85 + 0.25 * fbm(s * 10.0, t * 10.0, 71, 5));
    // Beams along the room boundaries, bevelled.
    const double edge = std::min(std::min(c.u, 1.0 - c.u), std::min(c.v, 1.0 - c.v));
    soffit = over(soffit, shade(soffit, 0.8), 1.0 - smoothstep(0.08, 0.08 + ca, edge));
    soffit = over(soffit, shade(soffit, 0.6), barCover(edge, 0.08, 0.006, ca));
    // A downlight where beams cross.
    const double cu = std::round(c.u), cv = std::round(c.v);
    soffit = over(soffit, kDownlight, discCover(c.u, c.v, cu, cv, 0.035, ca));
    const double d = boxDistance(c.u, c.v, 0.22, 0.22, 0.78, 0.78);
    const double bars =
        std::max(paneBars(c.u, 0.22, 0.78, 3, 0.008, ca), paneBars(c.v, 0.22, 0.78, 3, 0.008, ca));
    return paintOpening(soffit, d, 0.02, kDarkMetal, kFrostGlass, bars, ca);
}

// --- glass curtain wall (front) ------------------------------------------

constexpr Color kMullion = rgb(0.26, 0.28, 0.31);
constexpr Color kSpandrel = rgb(0.10, 0.14, 0.19);
constexpr Color kTintGlass = {0.26, 0.40, 0.46, 0.35};

Color curtainFacade(double s, double t, double aa) {
    const CellPoint c = cellOf(s, t);
    const double ca = aa * kRooms;
    // Faint diagonal reflections across the whole wall.
    const double streak = 0.5 + 0.5 * std::sin(7.0 * (s * 1.3 + t));
    Color glass = kTintGlass;
    glass = over(glass, {0.55, 0.68, 0.75, kTintGlass.a}, 0.35 * streak);
    const double sheen = 0.8 + 0.4 * streak;
    Color wall = over(glass, shade(kSpandrel, sheen), boxCover(c.u, c.v, -1.0, -1.0, 2.0, 0.2, ca));
    const double edge = std::min(c.u, 1.0 - c.u);
    const double floorLine = std::min(c.v, 1.0 - c.v);
    const double mullions = std::max(
        {1.0 - smoothstep(0.022, 0.022 + ca, edge), 1.0 - smoothstep(0.022, 0.022 + ca, floorLine),
         barCover(c.v, 0.2, 0.012, ca), barCover(c.u, 0.5, 0.008, ca)});
    return over(wall, kMullion, mullions);
}

// --- board-formed concrete (back) ----------------------------------------

constexpr Color kConcrete = rgb(0.66, 0.65, 0.62);
constexpr Color kSteel = rgb(0.12, 0.12, 0.13);

Color boardConcrete(double s, double t, double aa, int seed) {
    const double y = t * kRooms * 10.0;
    const int board = static_cast<int>(std::floor(y));
    const double tone = 0.9 + 0.12 * hash01(board, 0, seed);
    const double grain = 0.92 + 0.12 * valueNoise(s * 30.0, t * 1500.0, seed + 1);
    const double mottle = 0.85 + 0.25 * fbm(s * 8.0, t * 8.0, seed + 2, 5);
    Color c = shade(kConcrete, tone * grain * mottle);
    const double seam = std::min(y - board, board + 1.0 - y) / (kRooms * 10.0);
    return over(c, shade(c, 0.8), 1.0 - smoothstep(0.0008, 0.0008 + aa, seam));
}

Color concreteFacade(double s, double t, double aa) {
    const CellPoint c = cellOf(s, t);
    const double ca = aa * kRooms;
    Color wall = boardConcrete(s, t, aa, 83);
    const double floorLine = std::min(c.v, 1.0 - c.v);
    wall = over(wall, shade(wall, 0.55), 1.0 - smoothstep(0.006, 0.006 + ca, floorLine));
    for (double hu : {0.09, 0.91})
        for (double hv : {0.09, 0.91})
            wall = over(wall, shade(kConcrete, 0.35), discCover(c.u, c.v, hu, hv, 0.012, ca));
    // Deep reveal: shaded concrete inside the opening, darker at the top.
    const double reveal = boxCover(c.u, c.v, 0.2, 0.18, 0.8, 0.82, ca);
    wall = over(wall, shade(kConcrete, 0.45 + 0.25 * (0.82 - c.v)), reveal);
    const double d = boxDistance(c.u, c.v, 0.235, 0.205, 0.765, 0.785);
    return paintOpening(wall, d, 0.018, kSteel, kClearGlass, barCover(c.u, 0.5, 0.008, ca), ca);
}

} // namespace

Color facadeTexel(int set, double s, double t, double aa) {
    switch (set) {
    case 0: return brickFacade(s, t, aa);
    case 1: return stoneFacade(s, t, aa);
    case 2: return roofFacade(s, t, aa);
    case 3: return undersideFacade(s, t, aa);
    case 4: return curtainFacade(s, t, aa);
    default: return concreteFacade(s, t, aa);
    }
}

Color worldPlateTexel(double s, double t) {
    return shade(rgb(0.5, 0.5, 0.5), 0.9 + 0.2 * valueNoise(s * 8.0, t * 8.0, 97));
}
