// What the shader pair draws, against stored class maps of a few views on
// calibration textures: each room cube-map slot a solid colour (rotated
// through the palette by set, so that each face shows its own set; the face
// towards the facade holds furniture and opaque blinds and curtains in its
// sheet of 3 x 3 cells), the world's slots six more, and grey facades with an L-shaped opening whose
// width depends on the set. Grid samples are classed by hue, which the
// lighting hardly changes: '0'..'5' room colour, 'a'..'f' world colour,
// '#' facade, '?' none of these, '.' not checked (an edge ran near it when
// the map was recorded). A view file (golden/<view>.txt) holds the keys
// pressed from the start, the camera they lead to (for the reader) and the
// map. scripts/record-golden.sh records the maps again
// (UPDATE_GOLDEN=1) after an intended change of the shader pair.
#include "harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

const int gridStep = 16;      // pixels between samples
const int edgeRadius = 3;     // a recorded sample's neighbourhood, in pixels

// Rooms: palette entries 0..5 (class '0'..'5'); the world: 6..11 ('a'..'f').
const Rgb palette[12] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 0},
                         {0, 255, 255}, {255, 0, 255}, {255, 128, 0}, {128, 255, 0},
                         {0, 255, 128}, {0, 128, 255}, {128, 0, 255}, {255, 0, 128}};

// The nearest hue, by the distance of brightness-normalised colours.
char classOf(Rgb c)
{
    const double m = std::max({c.r, c.g, c.b});
    auto distance = [&](Rgb ref) {
        return std::hypot(c.r / m - ref.r / 255.0, c.g / m - ref.g / 255.0, c.b / m - ref.b / 255.0);
    };
    char best = '#';   // the grey facade
    double bestDistance = distance({255, 255, 255});
    for (int i = 0; i < 12; ++i)
        if (distance(palette[i]) < bestDistance) {
            bestDistance = distance(palette[i]);
            best = static_cast<char>(i < 6 ? '0' + i : 'a' + i - 6);
        }
    return m >= 24 && bestDistance <= 0.25 ? best : '?';
}

// File `file` of set `set` (see texture_tree.h) of the calibration textures.
RgbaImage calibrationImage(int set, int file)
{
    // The facade grey, opaque in a band on the left (wider for later sets)
    // and one at the top, clear elsewhere.
    const int size = 256;
    RgbaImage facade = makeSolidImage(size, 128, 128, 128, 0);
    for (int texel = 0; file == 0 && texel < size * size; ++texel)
        facade.rgba[texel * 4 + 3] = texel % size < 64 + 12 * set || texel / size >= 208 ? 255 : 0;
    if (file == 0)
        return facade;
    const int k = file - 1, faceSize = 24, cell = faceSize / 3;
    Rgb c = palette[set == 6 ? 6 + k : (k + set) % 6];
    RgbaImage face = makeSolidImage(faceSize, c.r, c.g, c.b, 255);
    // The face towards the facade (slot `set`): a piece of furniture in each
    // corner cell, opaque (alpha 0) in one corner of it only, so that a piece
    // turned either way shows; the blinds and curtains in the middle cells
    // opaque; the centre clear.
    for (int texel = 0; set == k && texel < faceSize * faceSize; ++texel) {
        const int i = texel % faceSize, j = texel / faceSize;
        const bool middleColumn = i / cell == 1, middleRow = j / cell == 1;
        if (middleColumn != middleRow ||
            (!middleColumn && !middleRow && i % cell < cell / 2 && j % cell >= cell / 2))
            face.rgba[texel * 4 + 3] = 0;
    }
    return face;
}

// A sample's class, or '.' when its neighbourhood is not all one class.
char recordedClass(const Screenshot &shot, int x, int y)
{
    for (int dy = -edgeRadius; dy <= edgeRadius; ++dy)
        for (int dx = -edgeRadius; dx <= edgeRadius; ++dx)
            if (classOf(shot.at(x + dx, y + dy)) != classOf(shot.at(x, y)))
                return '.';
    return classOf(shot.at(x, y));
}

struct View {
    std::string header;            // everything before the map, kept as written
    std::string keys;
    std::vector<std::string> map;  // one row of samples per line
};

View readView(const std::string &path)
{
    View view;
    std::ifstream file(path);
    bool inMap = false;
    for (std::string line; std::getline(file, line);) {
        if (inMap) {
            view.map.push_back(line);
            continue;
        }
        view.header += line + "\n";
        std::istringstream fields(line);
        std::string name;
        fields >> name;
        if (name == "keys:")
            fields >> view.keys;
        inMap = name == "map:";
    }
    return view;
}

class Golden : public ViewerTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(Golden, ViewMatchesItsClassMap)
{
    const std::string name = GetParam(), path = std::string(GOLDEN_DIR) + "/" + name + ".txt";
    View view = readView(path);
    ASSERT_FALSE(view.header.empty()) << "cannot read " << path;
    removeTree(dir + "/textures");
    writeTextureTree(dir + "/textures", calibrationImage);
    start();
    ASSERT_TRUE(waitForFrames(v, 1));
    ASSERT_TRUE(pressAndSettle(v, view.keys));
    Screenshot shot = grabWindow(v);
    const bool record = getenv("UPDATE_GOLDEN") != nullptr;
    std::ostringstream map, examples;
    int checked = 0, wrong = 0;
    for (int row = 0; row < shot.height / gridStep; ++row, map << "\n") {
        for (int col = 0; col < shot.width / gridStep; ++col) {
            const int x = gridStep / 2 + gridStep * col, y = gridStep / 2 + gridStep * row;
            const char got = record ? recordedClass(shot, x, y) : classOf(shot.at(x, y));
            const std::string line = size_t(row) < view.map.size() ? view.map[row] : "";
            const char want = size_t(col) < line.size() ? line[col] : '-';   // '-': none recorded
            map << got;
            checked += want != '.';
            if (want != '.' && got != want && ++wrong <= 5)
                examples << " (" << x << ", " << y << "): '" << want << "' became '" << got << "';";
        }
    }
    if (record) {
        std::ofstream(path) << view.header << map.str();
        std::cout << "recorded " << path << "; the window is " << savePpm(shot, "golden-" + name) << "\n";
    } else if (wrong > 0) {
        ADD_FAILURE() << wrong << " of " << checked << " samples differ from " << path << ":"
                      << examples.str() << " the window is " << savePpm(shot, "golden-" + name);
    }
}

INSTANTIATE_TEST_SUITE_P(Views, Golden, ::testing::Values("start", "above", "close", "corner"));

}  // namespace
