// Rooms. A room is the cube [-1, 1]^3 seen from its centre: a floor, a
// ceiling with a light, and walls with skirting, each wall carrying one
// item (door, picture, bookcase, window...). Everything is computed from the
// 3D point on the room's surface, so the cube-map faces meet without seams
// and nothing is mirrored when seen from inside. The face towards the
// facade is never seen as a wall: it holds the sheet of furniture, blinds,
// curtains and the room's far colour (texture_layout.h).
//
// Alpha is the share of a texel's light that does not come from the room's
// lamp (0 on the lamp itself), so that the shader can switch lights off.
#include "rooms.h"

#include "world_cell.h"

#include "furniture.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

enum class WallItem { Door, Landscape, Abstract, Bookcase, Window, Whiteboard, Gallery };
enum class FloorKind { Planks, Checker, Carpet, CarpetTiles, Slabs, Concrete };
enum class CeilingKind { Pendant, Panels, Coffered, Track };
enum class WallFinish { Plain, Stripes, Tiles, Dots, Wainscot };

struct RoomStyle {
    FloorKind floor;
    CeilingKind ceiling;
    WallFinish finish;
    Color wall, accent, trim, floorColor;
    WallItem back, left, right; // as seen looking into the room from outside
    int seed;
};

// The four room styles every set paints, in the order of the room map's
// styles: an office, a living room, a tiled kitchen and a library. Each set
// varies them (styleOf) so that no two faces show the same four rooms.
const std::array<RoomStyle, texlayout::kRoomStyles> kStyles = {{
    // office: carpet tiles, ceiling panels, plain pale walls, a whiteboard
    {FloorKind::CarpetTiles, CeilingKind::Panels, WallFinish::Plain, rgb(0.90, 0.90, 0.88),
     rgb(0.80, 0.82, 0.84), rgb(0.48, 0.49, 0.52), rgb(0.40, 0.42, 0.47), WallItem::Whiteboard,
     WallItem::Door, WallItem::Gallery, 505},
    // living room: wooden planks, a pendant lamp, striped wallpaper, pictures
    {FloorKind::Planks, CeilingKind::Pendant, WallFinish::Stripes, rgb(0.86, 0.78, 0.60),
     rgb(0.78, 0.69, 0.52), rgb(0.95, 0.94, 0.90), rgb(0.62, 0.42, 0.24), WallItem::Landscape,
     WallItem::Bookcase, WallItem::Door, 101},
    // kitchen: a chequered floor, tiled walls, a light cool green above
    {FloorKind::Checker, CeilingKind::Track, WallFinish::Tiles, rgb(0.66, 0.82, 0.80),
     rgb(0.93, 0.94, 0.92), rgb(0.95, 0.95, 0.93), rgb(0.90, 0.90, 0.88), WallItem::Abstract,
     WallItem::Door, WallItem::Window, 202},
    // library: a rug on red carpet, a coffered ceiling, dark panelling, books
    {FloorKind::Carpet, CeilingKind::Coffered, WallFinish::Wainscot, rgb(0.80, 0.66, 0.48),
     rgb(0.45, 0.28, 0.16), rgb(0.40, 0.25, 0.14), rgb(0.42, 0.12, 0.14), WallItem::Bookcase,
     WallItem::Bookcase, WallItem::Door, 303},
}};

// Per set, the hue its rooms' walls lean to.
constexpr Color kSetWallTints[texlayout::kBuildingSets] = {
    rgb(0.95, 0.85, 0.70), rgb(0.75, 0.88, 0.75), rgb(0.82, 0.78, 0.92),
    rgb(0.92, 0.80, 0.70), rgb(0.85, 0.88, 0.95), rgb(0.94, 0.92, 0.86)};

// Style `style` as set `set` paints it: its own seed, its walls leaning to
// the set's hue, every other set another floor or finish of the kind, and
// its wall items turned round the room by the set.
RoomStyle styleOf(int set, int style) {
    RoomStyle st = kStyles[style];
    st.seed += 1000 * set;
    st.wall = mix(st.wall, kSetWallTints[set], 0.35);
    if (set % 2 == 1) { // odd sets paint the other floor or finish of a kind
        if (style == 0)
            st.floor = FloorKind::Concrete;
        else if (style == 2)
            st.floor = FloorKind::Slabs;
        else if (style == 3) // a bedroom rather than a library
            st.finish = WallFinish::Dots, st.ceiling = CeilingKind::Pendant;
    }
    const WallItem items[3] = {st.back, st.left, st.right};
    st.back = items[set % 3];
    st.left = items[(set + 1) % 3];
    st.right = items[(set + 2) % 3];
    return st;
}

// Light on a room's surface: from everywhere (daylight and bounce) and
// from the lamp under the ceiling.
struct RoomLight {
    double ambient, lamp;
};

// A painted surface point: its colour and how much of it glows by itself
// (lamps, daylight), which the room's lighting then leaves alone.
struct Surface {
    Color color;
    double emission;
};

constexpr Color kBrass = rgb(0.80, 0.65, 0.30);
constexpr Color kDarkWood = rgb(0.36, 0.22, 0.12);
constexpr Color kLampGlow = rgb(1.0, 0.93, 0.72);
constexpr Color kDaylight = rgb(0.78, 0.88, 0.98);
constexpr double kSkirtingTop = -0.9;

// Shelf book colours.
constexpr Color kBookColors[] = {
    rgb(0.60, 0.10, 0.10), rgb(0.12, 0.28, 0.58), rgb(0.15, 0.45, 0.20), rgb(0.80, 0.65, 0.20),
    rgb(0.40, 0.20, 0.45), rgb(0.86, 0.84, 0.78), rgb(0.20, 0.20, 0.22), rgb(0.70, 0.35, 0.15)};

// --- wall items, in wall coordinates: u to the right seen from inside, v up

// A panelled door centred at uc, with its frame and knob.
Color paintDoor(Color wall, const RoomStyle &st, double uc, double u, double v, double aa) {
    wall = over(wall, st.trim, boxCover(u, v, uc - 0.33, -1.1, uc + 0.33, 0.48, aa));
    const Color leaf = shade(st.accent, 0.8);
    wall = over(wall, leaf, boxCover(u, v, uc - 0.27, -1.1, uc + 0.27, 0.42, aa));
    for (double y0 : {-0.85, -0.05}) {
        const double y1 = y0 + (y0 < -0.5 ? 0.7 : 0.38);
        wall = over(wall, shade(leaf, 0.8), boxCover(u, v, uc - 0.2, y0, uc + 0.2, y1, aa));
        wall = over(wall, shade(leaf, 0.95),
                    boxCover(u, v, uc - 0.17, y0 + 0.03, uc + 0.17, y1 - 0.03, aa));
    }
    return over(wall, kBrass, discCover(u, v, uc + 0.2, -0.2, 0.032, aa));
}

// A small landscape painting in [0, 1]^2 picture coordinates.
Color landscapePainting(double a, double b, int seed) {
    Color c = mix(rgb(0.95, 0.80, 0.55), rgb(0.35, 0.55, 0.85), b);
    c = over(c, rgb(1.0, 0.95, 0.7), discCover(a, b, 0.72, 0.72, 0.09, 0.02));
    const double far = 0.45 + 0.08 * std::sin(a * 9.0 + seed);
    c = over(c, rgb(0.45, 0.55, 0.68), 1.0 - smoothstep(far - 0.01, far + 0.01, b));
    const double nearHill = 0.3 + 0.1 * std::sin(a * 5.0 + 2.0 * seed);
    c = over(c, rgb(0.25, 0.48, 0.20), 1.0 - smoothstep(nearHill - 0.01, nearHill + 0.01, b));
    return over(c, rgb(0.20, 0.35, 0.55), boxCover(a, b, 0.1, -0.1, 0.55, 0.12, 0.02));
}

// An abstract painting of coloured blocks between black lines.
Color abstractPainting(double a, double b) {
    Color c = rgb(0.93, 0.92, 0.88);
    c = over(c, rgb(0.80, 0.12, 0.10), boxCover(a, b, 0.0, 0.6, 0.35, 1.0, 0.01));
    c = over(c, rgb(0.10, 0.22, 0.60), boxCover(a, b, 0.68, 0.0, 1.0, 0.35, 0.01));
    c = over(c, rgb(0.95, 0.80, 0.15), boxCover(a, b, 0.35, 0.0, 0.68, 0.18, 0.01));
    const double lines = std::max(
        {boxCover(a, b, 0.33, -1.0, 0.37, 2.0, 0.01), boxCover(a, b, 0.66, -1.0, 0.70, 2.0, 0.01),
         boxCover(a, b, -1.0, 0.58, 2.0, 0.62, 0.01), boxCover(a, b, -1.0, 0.33, 2.0, 0.37, 0.01)});
    return over(c, rgb(0.05, 0.05, 0.05), lines);
}

// A framed picture over the box [x0, x1] x [y0, y1].
Color paintPicture(Color wall, bool abstract, int seed, double x0, double y0, double x1, double y1,
                   double u, double v, double aa) {
    const double cover = boxCover(u, v, x0, y0, x1, y1, aa);
    if (cover <= 0.0)
        return wall;
    wall = over(wall, shade(wall, 0.7),
                boxCover(u, v, x0 + 0.02, y0 - 0.03, x1 + 0.02, y1 - 0.03, aa));
    const Color frame = abstract ? rgb(0.1, 0.1, 0.1) : rgb(0.72, 0.56, 0.24);
    wall = over(wall, frame, cover);
    const double a = (u - x0 - 0.04) / (x1 - x0 - 0.08), b = (v - y0 - 0.04) / (y1 - y0 - 0.08);
    const Color art = abstract ? abstractPainting(a, b) : landscapePainting(a, b, seed);
    return over(wall, art, boxCover(u, v, x0 + 0.04, y0 + 0.04, x1 - 0.04, y1 - 0.04, aa));
}

// The book in a compartment at u: fixed-width slots, height and colour from a hash.
Color paintBooks(Color back, int shelf, double u, double v, double y0, double y1, int seed,
                 double aa) {
    const double slotWidth = 0.06;
    const int slot = static_cast<int>(std::floor((u + 1.0) / slotWidth));
    const double h = hash01(slot, shelf, seed);
    if (h < 0.12)
        return back; // a gap on the shelf
    const double left = slot * slotWidth - 1.0;
    const double height = (0.6 + 0.35 * hash01(slot, shelf, seed + 1)) * (y1 - y0);
    const Color book = kBookColors[static_cast<int>(h * 8.0) % 8];
    const double spine = 0.85 + 0.15 * std::cos((u - left) / slotWidth * kPi * 2.0);
    return over(back, shade(book, spine),
                boxCover(u, v, left + 0.004, y0, left + slotWidth - 0.004, y0 + height, aa));
}

// A bookcase standing on the floor, centred at uc.
Color paintBookcase(Color wall, int seed, double uc, double u, double v, double aa) {
    const double x0 = uc - 0.52, x1 = uc + 0.52, top = 0.55;
    if (boxCover(u, v, x0, -1.1, x1, top, aa) <= 0.0)
        return wall;
    Color c = over(wall, kDarkWood, boxCover(u, v, x0, -1.1, x1, top, aa));
    const double shelves[] = {-0.95, -0.55, -0.15, 0.25, top - 0.04};
    for (int k = 0; k + 1 < 5; ++k) {
        const double y0 = shelves[k] + 0.035, y1 = shelves[k + 1];
        const double inside = boxCover(u, v, x0 + 0.04, y0, x1 - 0.04, y1, aa);
        if (inside > 0.0) {
            Color back = shade(kDarkWood, 0.55);
            back = paintBooks(back, k, u, v, y0, y1, seed, aa);
            c = over(c, back, inside);
        }
    }
    return c;
}

// A window to the outside with curtains either side.
Surface paintRoomWindow(Color wall, double u, double v, double aa) {
    wall = over(wall, shade(wall, 0.75), boxCover(u, v, -0.55, -0.36, 0.55, 0.66, aa));
    const double glassCover = boxCover(u, v, -0.47, -0.28, 0.47, 0.58, aa);
    const Color outside = mix(rgb(0.55, 0.62, 0.55), kDaylight, smoothstep(-0.1, 0.0, v));
    wall = over(wall, rgb(0.95, 0.95, 0.95), boxCover(u, v, -0.52, -0.33, 0.52, 0.63, aa));
    const double bars = std::max(boxCover(u, v, -0.015, -1.0, 0.015, 1.0, aa),
                                 boxCover(u, v, -1.0, 0.25, 1.0, 0.28, aa));
    const double glass = glassCover * (1.0 - bars);
    Color c = over(wall, outside, glass);
    // Curtains and their rod.
    const double folds = 0.75 + 0.25 * std::cos(u * 70.0);
    for (double side : {-1.0, 1.0}) {
        const double a = side < 0 ? -0.78 : 0.5, b = side < 0 ? -0.5 : 0.78;
        c = over(c, shade(rgb(0.70, 0.25, 0.22), folds), boxCover(u, v, a, -0.5, b, 0.78, aa));
    }
    c = over(c, kBrass, boxCover(u, v, -0.85, 0.78, 0.85, 0.81, aa));
    return {c, glass};
}

Color paintWhiteboard(Color wall, double u, double v, double aa) {
    wall = over(wall, rgb(0.70, 0.72, 0.74), boxCover(u, v, -0.64, -0.2, 0.64, 0.55, aa));
    Color c = over(wall, rgb(0.97, 0.97, 0.96), boxCover(u, v, -0.61, -0.17, 0.61, 0.52, aa));
    const double line1 = std::fabs(v - (0.32 + 0.05 * std::sin(u * 11.0)));
    const double line2 = std::fabs(v - (0.12 + 0.04 * std::sin(u * 7.0 + 1.0)));
    const double inside = boxCover(u, v, -0.5, -0.1, 0.5, 0.45, aa);
    c = over(c, rgb(0.15, 0.25, 0.70), inside * (1.0 - smoothstep(0.006, 0.006 + aa, line1)));
    c = over(c, rgb(0.75, 0.15, 0.12), inside * (1.0 - smoothstep(0.006, 0.006 + aa, line2)));
    return over(c, rgb(0.6, 0.6, 0.62), boxCover(u, v, -0.5, -0.22, 0.5, -0.18, aa));
}

// The wall's base finish: paint, wallpaper, tiles or panelling.
Color wallFinish(const RoomStyle &st, double u, double v, double aa) {
    const Color wall = shade(st.wall, 0.95 + 0.08 * fbm(u * 5.0, v * 5.0, st.seed, 4));
    switch (st.finish) {
    case WallFinish::Stripes: {
        // Ten stripes a wall, one across each corner, so that walls meet.
        const double x = std::fmod(u + 2.06, 0.2);
        return over(wall, st.accent, boxCover(x, 0.0, 0.0, -1.0, 0.08, 1.0, aa));
    }
    case WallFinish::Tiles: {
        if (v > -0.1)
            return wall;
        const double x = std::fmod(u + 2.0, 0.125), y = std::fmod(v + 2.0, 0.125);
        const double grout = std::min({x, 0.125 - x, y, 0.125 - y});
        return over(st.accent, shade(st.accent, 0.75), 1.0 - smoothstep(0.004, 0.004 + aa, grout));
    }
    case WallFinish::Dots: {
        const double x = std::fmod(u + 2.0, 0.14) - 0.07, y = std::fmod(v + 2.0, 0.14) - 0.07;
        return over(wall, st.accent,
                    1.0 - smoothstep(0.025, 0.025 + aa, std::fabs(x) + std::fabs(y)));
    }
    case WallFinish::Wainscot: {
        if (v > -0.25)
            return wall;
        const double x = std::fmod(u + 2.0, 0.4);
        const double panel = boxCover(x, v, 0.05, -0.85, 0.35, -0.35, aa);
        Color c = over(st.accent, shade(st.accent, 1.15), panel);
        return over(c, shade(st.accent, 0.7), boxCover(u, v, -2.0, -0.3, 2.0, -0.25, aa));
    }
    default: return wall;
    }
}

Surface paintWall(const RoomStyle &st, WallItem item, double u, double v, double aa) {
    Color c = wallFinish(st, u, v, aa);
    c = over(c, st.trim, 1.0 - smoothstep(kSkirtingTop - 0.5 * aa, kSkirtingTop + 0.5 * aa, v));
    c = over(c, shade(st.trim, 1.05), smoothstep(0.95 - 0.5 * aa, 0.95 + 0.5 * aa, v));
    switch (item) {
    case WallItem::Door: return {paintDoor(c, st, 0.35, u, v, aa), 0.0};
    case WallItem::Landscape:
        return {paintPicture(c, false, st.seed, -0.4, -0.15, 0.4, 0.45, u, v, aa), 0.0};
    case WallItem::Abstract:
        return {paintPicture(c, true, st.seed, -0.35, -0.2, 0.35, 0.5, u, v, aa), 0.0};
    case WallItem::Bookcase: return {paintBookcase(c, st.seed, -0.1, u, v, aa), 0.0};
    case WallItem::Window: return paintRoomWindow(c, u, v, aa);
    case WallItem::Whiteboard: return {paintWhiteboard(c, u, v, aa), 0.0};
    case WallItem::Gallery:
        c = paintPicture(c, false, st.seed, -0.8, -0.1, -0.15, 0.4, u, v, aa);
        return {paintPicture(c, true, st.seed, 0.15, -0.15, 0.7, 0.45, u, v, aa), 0.0};
    }
    return {c, 0.0};
}

// --- floors and ceilings, in (x, z) room coordinates -----------------------

Color paintFloor(const RoomStyle &st, double x, double z, double aa) {
    const Color base = st.floorColor;
    switch (st.floor) {
    case FloorKind::Planks: {
        const double w = 0.2;
        const int row = static_cast<int>(std::floor((z + 1.0) / w));
        const double along = x + 1.0 + 1.3 * hash01(row, 0, st.seed);
        const int plank = static_cast<int>(std::floor(along / 1.3));
        const double grain = 0.88 + 0.24 * valueNoise(x * 3.0, z * 70.0, st.seed + plank);
        const Color wood = shade(base, (0.82 + 0.3 * hash01(plank, row, st.seed)) * grain);
        const double fz = std::fmod(z + 1.0, w), fx = std::fmod(along, 1.3);
        const double seam = std::min({fz, w - fz, fx, 1.3 - fx});
        return over(wood, shade(base, 0.45), 1.0 - smoothstep(0.004, 0.004 + aa, seam));
    }
    case FloorKind::Checker: {
        const int i = static_cast<int>(std::floor((x + 1.0) * 4.0));
        const int j = static_cast<int>(std::floor((z + 1.0) * 4.0));
        const Color tile = ((i + j) & 1) ? rgb(0.12, 0.12, 0.14) : base;
        const double fx = std::fmod((x + 1.0) * 4.0, 1.0), fz = std::fmod((z + 1.0) * 4.0, 1.0);
        const double grout = std::min({fx, 1.0 - fx, fz, 1.0 - fz}) / 4.0;
        return over(tile, rgb(0.5, 0.5, 0.48), 1.0 - smoothstep(0.004, 0.004 + aa, grout));
    }
    case FloorKind::Carpet: {
        Color c = shade(base, 0.9 + 0.2 * valueNoise(x * 90.0, z * 90.0, st.seed));
        const double rug = boxCover(x, z, -0.6, -0.45, 0.6, 0.45, aa);
        const double inner = boxCover(x, z, -0.5, -0.35, 0.5, 0.35, aa);
        const double diamond =
            std::fabs(std::fmod(x + 2.0, 0.2) - 0.1) + std::fabs(std::fmod(z + 2.0, 0.2) - 0.1);
        c = over(c, rgb(0.80, 0.70, 0.45), rug);
        return over(
            c, mix(rgb(0.20, 0.30, 0.45), rgb(0.75, 0.62, 0.40), smoothstep(0.05, 0.06, diamond)),
            inner);
    }
    case FloorKind::CarpetTiles: {
        const int i = static_cast<int>(std::floor((x + 1.0) * 3.0));
        const int j = static_cast<int>(std::floor((z + 1.0) * 3.0));
        const bool across = ((i + j) & 1) != 0;
        const double pile =
            valueNoise(across ? x * 40.0 : x * 200.0, across ? z * 200.0 : z * 40.0, st.seed);
        return shade(base, (across ? 0.95 : 1.05) * (0.9 + 0.2 * pile));
    }
    case FloorKind::Slabs: {
        const int i = static_cast<int>(std::floor((x + 1.0) * 2.0));
        const int j = static_cast<int>(std::floor((z + 1.0) * 2.0));
        const Color slab = shade(base, (0.85 + 0.25 * hash01(i, j, st.seed)) *
                                           (0.85 + 0.3 * fbm(x * 4.0, z * 4.0, st.seed, 5)));
        const double fx = std::fmod((x + 1.0) * 2.0, 1.0), fz = std::fmod((z + 1.0) * 2.0, 1.0);
        const double grout = std::min({fx, 1.0 - fx, fz, 1.0 - fz}) / 2.0;
        return over(slab, shade(base, 0.5), 1.0 - smoothstep(0.005, 0.005 + aa, grout));
    }
    case FloorKind::Concrete: {
        const Color c = shade(base, 0.85 + 0.3 * fbm(x * 3.0, z * 3.0, st.seed, 6));
        // The polished floor mirrors the ceiling lights a little.
        return over(c, rgb(0.9, 0.9, 0.88), 0.35 * (1.0 - smoothstep(0.0, 0.5, std::fabs(z))));
    }
    }
    return base;
}

Surface paintCeiling(const RoomStyle &st, double x, double z, double aa) {
    const Color plaster = rgb(0.93, 0.92, 0.88);
    const double edge = 1.0 - std::max(std::fabs(x), std::fabs(z));
    Color c = over(plaster, shade(plaster, 0.8), boxCover(edge, 0.0, 0.05, -1.0, 0.07, 1.0, aa));
    switch (st.ceiling) {
    case CeilingKind::Pendant: {
        c = over(c, shade(plaster, 0.85),
                 discCover(x, z, 0.0, 0.0, 0.24, aa) - discCover(x, z, 0.0, 0.0, 0.22, aa));
        const double lamp = discCover(x, z, 0.0, 0.0, 0.16, aa);
        return {over(c, kLampGlow, lamp), lamp};
    }
    case CeilingKind::Panels: {
        const double fx = std::fmod(x + 2.0, 0.5), fz = std::fmod(z + 2.0, 0.5);
        const double grid = std::min({fx, 0.5 - fx, fz, 0.5 - fz});
        c = over(c, rgb(0.62, 0.62, 0.64), 1.0 - smoothstep(0.008, 0.008 + aa, grid));
        const double panels = std::max(boxCover(x, z, -0.46, -0.2, -0.04, 0.2, aa),
                                       boxCover(x, z, 0.04, -0.2, 0.46, 0.2, aa));
        return {over(c, rgb(1.0, 1.0, 0.97), panels), panels};
    }
    case CeilingKind::Coffered: {
        const double fx = std::fmod(x + 3.0, 2.0 / 3.0), fz = std::fmod(z + 3.0, 2.0 / 3.0);
        const double rim = std::min({fx, 2.0 / 3.0 - fx, fz, 2.0 / 3.0 - fz});
        c = over(shade(st.trim, 1.6), shade(st.trim, 1.2), smoothstep(0.05, 0.05 + aa, rim));
        c = over(c, shade(st.trim, 0.9), smoothstep(0.09, 0.09 + aa, rim));
        const double lamp = discCover(x, z, 0.0, 0.0, 0.12, aa);
        return {over(c, kLampGlow, lamp), lamp};
    }
    case CeilingKind::Track: {
        c = over(c, rgb(0.15, 0.15, 0.15), boxCover(x, z, -0.9, -0.015, 0.9, 0.015, aa));
        double spots = 0.0;
        for (double sx : {-0.6, -0.2, 0.2, 0.6})
            spots = std::max(spots, discCover(x, z, sx, 0.0, 0.05, aa));
        return {over(c, kLampGlow, spots), spots};
    }
    }
    return {c, 0.0};
}

// --- assembling a room -----------------------------------------------------

// The item on the wall whose outward normal (from the room centre) is (wx, wz).
WallItem wallItem(int set, const RoomStyle &st, int wx, int wz) {
    const texlayout::Dir3 n = texlayout::faceNormal(set);   // the facade side
    if (n.y != 0.0) { // rooms under the roof or over the underside
        if (wz == -1)
            return WallItem::Window;
        return wx == 1 ? st.right : wx == -1 ? st.left : st.back;
    }
    if (wx == -n.x && wz == -n.z)
        return st.back;
    // Looking in from outside, the right-hand side is the facade's `across`.
    const texlayout::Dir3 right = texlayout::facadeAcross(set);
    return (wx == right.x && wz == right.z) ? st.right : st.left;
}

// Light falling on surface point p (on the room cube) with inward normal n,
// darkened towards the room's edges.
RoomLight roomLight(const double p[3], const double n[3]) {
    const double lamp[3] = {0.0, 0.7, 0.0};
    const double l[3] = {lamp[0] - p[0], lamp[1] - p[1], lamp[2] - p[2]};
    const double dist2 = l[0] * l[0] + l[1] * l[1] + l[2] * l[2];
    const double cosine = (l[0] * n[0] + l[1] * n[1] + l[2] * n[2]) / std::sqrt(dist2);
    const double irradiance = std::max(cosine, 0.0) / (1.0 + 0.6 * dist2);
    double inPlane = 0.0; // distance of p to the nearest edge of its face
    for (int k = 0; k < 3; ++k)
        if (n[k] == 0.0)
            inPlane = std::max(inPlane, std::fabs(p[k]));
    const double occlusion = 0.78 + 0.22 * smoothstep(0.0, 0.3, 1.0 - inPlane);
    return {0.42 * occlusion, 0.85 * irradiance * occlusion};
}

// The walls, floor and ceiling of style `style` of set `set` along d.
Color surfaceTexel(int set, int style, texlayout::Dir3 d, double aa) {
    const RoomStyle st = styleOf(set, style);
    const double ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    const double m = std::max({ax, ay, az});
    const double p[3] = {d.x / m, d.y / m, d.z / m};
    double n[3] = {0.0, 0.0, 0.0};
    Surface surf;
    if (ay >= ax && ay >= az) {
        n[1] = p[1] > 0 ? -1.0 : 1.0;
        surf = p[1] > 0 ? paintCeiling(st, p[0], p[2], aa)
                        : Surface{paintFloor(st, p[0], p[2], aa), 0.0};
    } else {
        const int wx = ax >= az ? (p[0] > 0 ? 1 : -1) : 0;
        const int wz = ax >= az ? 0 : (p[2] > 0 ? 1 : -1);
        n[0] = -wx;
        n[2] = -wz;
        const double u = -wz * p[0] + wx * p[2]; // (w x y) . p
        surf = paintWall(st, wallItem(set, st, wx, wz), u, p[1], aa);
    }
    const RoomLight light = roomLight(p, n);
    const double total = light.ambient + light.lamp;
    const Color lit = over(shade(surf.color, total), surf.color, surf.emission);
    return {lit.r, lit.g, lit.b, light.ambient / total * (1.0 - surf.emission)};
}

// The sheet on the face of set `set` that looks out through the facade
// (texture_layout.h); d points into that face. Alpha is 1 where the room
// shows through.
Color sheetTexel(int set, texlayout::Dir3 d, double aa, Color far) {
    const double out = texlayout::dot(d, texlayout::faceNormal(set));
    const double a = texlayout::dot(d, texlayout::facadeAcross(set)) / out;
    const double b = texlayout::dot(d, texlayout::facadeUp(set)) / out;
    const texlayout::SheetPoint p = texlayout::sheetPointAt(a, b);
    const int i = p.i, j = p.j;
    const double x = p.x, y = p.y;
    Color c;
    switch (texlayout::outCellAt(i, j)) {
    case texlayout::OutCell::Far: return worldCellTexel(set, x, y, aa / texlayout::kCellHalf, far, generatedWorld());
    case texlayout::OutCell::Blind:
    case texlayout::OutCell::Blind2: c = blindTexel(y); break;
    case texlayout::OutCell::Curtains: c = curtainTexel(false, x); break;
    case texlayout::OutCell::Curtains2: c = curtainTexel(true, x); break;
    default:
        c = furnitureTexel(set, static_cast<int>(texlayout::outCellAt(i, j)), x, y,
                           aa / texlayout::kCellHalf);
    }
    return asSheetCell(c, x, y, aa);
}

// The colour and alpha a room of set `set` fades to far off: the mean of
// its five surfaces in all its styles, sampled on a coarse grid.
Color farColor(int set) {
    constexpr int kSamples = 32;
    Color sum{0.0, 0.0, 0.0, 0.0};
    int count = 0;
    for (int slot = 0; slot < texlayout::kSlotCount; ++slot) {
        if (slot == set) // set s looks out through slot s
            continue;
        for (int k = 0; k < kSamples * kSamples * texlayout::kRoomStyles; ++k) {
            const int style = k / (kSamples * kSamples), texel = k % (kSamples * kSamples);
            const double s = (texel % kSamples + 0.5) / kSamples, t = (texel / kSamples + 0.5) / kSamples;
            sum = add(sum, surfaceTexel(set, style, texlayout::cubeFaceDirection(slot, s, t), 2.0 / kSamples));
            ++count;
        }
    }
    return scaled(sum, 1.0 / count);
}

} // namespace

Color asSheetCell(Color c, double x, double y, double texel) {
    const double inside = boxCover(x, y, -1.0, -1.0, 1.0, 1.0, texel / texlayout::kCellHalf);
    return {c.r, c.g, c.b, 1.0 - c.a * inside};
}

Color roomSurfaceTexel(int set, int style, texlayout::Dir3 d, double aa) {
    return surfaceTexel(set, style, d, aa);
}

Color roomSheetTexel(int set, texlayout::Dir3 d, double aa) {
    static const std::array<Color, 6> far = {farColor(0), farColor(1), farColor(2),
                                             farColor(3), farColor(4), farColor(5)};
    return sheetTexel(set, d, aa, far[set]);
}
