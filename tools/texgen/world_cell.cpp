#include "world_cell.h"

#include <cmath>

using texlayout::Dir3;

namespace {

// Points per texel and axis at which the sky copy reads the world: a copy
// texel spans a few degrees, many of the world map's texels.
constexpr int kSkyTaps = 3;

// The sky copy's colour over one texel around (x, y): the world averaged
// along the directions that the texel's points look along.
Color skyCopyTexel(int set, double x, double y, double texel, const DirectionFn &sky) {
    Color sum{0.0, 0.0, 0.0, 0.0};
    for (int j = 0; j < kSkyTaps; ++j)
        for (int i = 0; i < kSkyTaps; ++i) {
            const double px = x + texel * ((i + 0.5) / kSkyTaps - 0.5);
            const double py = y + texel * ((j + 0.5) / kSkyTaps - 0.5);
            sum = add(sum, sky(texlayout::inFacadeFrame(set, texlayout::skyCopyDirection(px, py))));
        }
    const Color c = scaled(sum, 1.0 / (kSkyTaps * kSkyTaps));
    return {c.r, c.g, c.b, 1.0};
}

double encoded(double component) { return 0.5 + 0.5 * component; }

// The value (0..1) that the world map carries in patch p.
double worldPatchValue(const Cube &world, texlayout::WorldPatch p) {
    return cubeColor(world, texlayout::worldPatchDirection(static_cast<int>(p))).a;
}

} // namespace

Color worldCellTexel(int set, double x, double y, double texel, Color far, const WorldLight &world) {
    const texlayout::SunRecord &sun = world.sun;
    switch (texlayout::worldCellPartAt(x, y)) {
    case texlayout::WorldCellPart::SkyCopy: return skyCopyTexel(set, x, y, texel, world.sky);
    case texlayout::WorldCellPart::Far: return far;
    case texlayout::WorldCellPart::Sun:
        return {encoded(sun.direction.x), encoded(sun.direction.y), encoded(sun.direction.z), 1.0};
    case texlayout::WorldCellPart::SunLight: return {sun.light.r, sun.light.g, sun.light.b, 0.0};
    }
    return far;
}

void stampWorldPatches(RgbaImage *face, const texlayout::SunRecord &sun, bool groundTiled) {
    const Dir3 d = sun.direction;
    const double value[texlayout::kWorldPatchCount] = {encoded(d.x), encoded(d.y), encoded(d.z), sun.shadow,
                                                       groundTiled ? 1.0 : 0.0};
    for (int j = 0; j < face->height; ++j)
        for (int i = 0; i < face->width; ++i) {
            const double s = (i + 0.5) / face->width, t = (j + 0.5) / face->height;
            const Dir3 p = texlayout::cubeFaceDirection(texlayout::kMinusYSlot, s, t);
            const int k = texlayout::worldPatchAtPoint(p.x, p.z);
            face->rgba[(static_cast<size_t>(j) * face->width + i) * 4 + 3] = toByte(k < 0 ? 1.0 : value[k]);
        }
}

bool groundTiledIn(const Cube &world) { return worldPatchValue(world, texlayout::WorldPatch::GroundTiled) > 0.5; }

texlayout::SunRecord sunCarriedBy(const Cube cubes[]) {
    const Cube &world = cubes[texlayout::kWorldSet];
    const auto component = [&](texlayout::WorldPatch p) { return 2.0 * worldPatchValue(world, p) - 1.0; };
    texlayout::SunRecord sun = {{component(texlayout::WorldPatch::SunX), component(texlayout::WorldPatch::SunY),
                                 component(texlayout::WorldPatch::SunZ)},
                                texlayout::kSunLight, worldPatchValue(world, texlayout::WorldPatch::Shadow)};
    constexpr int set = 0;
    const Color light = cubeColor(cubes[set], texlayout::worldCellDirection(set, texlayout::kSunLightPatch));
    if (light.a < 0.5) // the set carries a sun
        sun.light = {light.r, light.g, light.b};
    return sun;
}

WorldLight generatedWorld() { return {generatedWorldTexel, texlayout::kGeneratedSun}; }

bool writeWorldIntoSets(const std::filesystem::path &root, const Cube &world, const texlayout::SunRecord &sun) {
    const WorldLight light = {[&world](Dir3 d) { return cubeColor(world, d); }, sun};
    return runJobs(texlayout::kBuildingSets, [&](int set) {
        RgbaImage sheet;
        const std::filesystem::path path = texturePath(root, set, set); // set s looks out through slot s
        if (!readTexture(path, &sheet))
            return false;
        const double texel = 2.0 / sheet.width / texlayout::kCellHalf;
        for (int j = 0; j < sheet.height; ++j)
            for (int i = 0; i < sheet.width; ++i) {
                const Dir3 d = texlayout::cubeFaceDirection(set, (i + 0.5) / sheet.width, (j + 0.5) / sheet.height);
                const Dir3 c = texlayout::toFacadeFrame(set, d);
                const texlayout::SheetPoint p = texlayout::sheetPointAt(c.x / c.z, c.y / c.z);
                if (texlayout::outCellAt(p.i, p.j) != texlayout::OutCell::Far ||
                    texlayout::worldCellPartAt(p.x, p.y) == texlayout::WorldCellPart::Far)
                    continue;
                const Color v = worldCellTexel(set, p.x, p.y, texel, Color{}, light);
                unsigned char *out = &sheet.rgba[(static_cast<size_t>(j) * sheet.width + i) * 4];
                out[0] = toByte(v.r), out[1] = toByte(v.g), out[2] = toByte(v.b), out[3] = toByte(v.a);
            }
        std::error_code error;
        std::filesystem::remove(path, error); // may be a second link to the old tree's file
        return writeTga(path.string(), sheet, TgaRowOrder::TopFirst);
    });
}
