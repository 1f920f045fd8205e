// What the shader pair draws, against stored class maps of a few views on
// calibration textures: each room cube-map slot a solid colour (rotated
// through the palette by set, so that each face shows its own set; the face
// towards the facade holds its sheet: furniture in the corner cells, the
// two blinds and two curtains opaque, each in a pale colour of its own),
// the world's slots six more, and grey facades with an L-shaped opening
// whose width depends on the set. Grid samples are classed by hue, which
// the lighting hardly changes: '0'..'5' room colour, 'a'..'f' world colour,
// 'g'..'j' blind, second blind, curtains, second curtains, '#' facade, '?'
// none of these, '.' not checked (an edge ran near it when the map was
// recorded). A view file (golden/<view>.txt) holds the keys pressed from
// the start, the camera they lead to (for the reader) and the map; a view
// of a step shown alone (golden/how-<picture>.txt, one per step picture
// of scripts/explain.sh) also names its SHOW_... switch and the window's
// side, and classes its samples by their levels of red, green and blue,
// since a step draws its own colours. scripts/record-golden.sh records the
// maps again (UPDATE_GOLDEN=1) after an intended change of the shader pair.
#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

const int gridStep = 16;      // pixels between samples
const int edgeRadius = 3;     // a recorded sample's neighbourhood, in pixels

// Rooms: palette entries 0..5 (class '0'..'5'); the world: 6..11 ('a'..'f');
// the dressing 12..15 ('g'..'j'), pale, at least 0.5 from every other hue.
const int kPaletteSize = 16, kRoomColours = 6, kWorldColours = 6;
const Rgb palette[kPaletteSize] = {
    {255, 0, 0},     {0, 255, 0},     {0, 0, 255},     {255, 255, 0},   {0, 255, 255},   {255, 0, 255},
    {255, 128, 0},   {128, 255, 0},   {0, 255, 128},   {0, 128, 255},   {128, 0, 255},   {255, 0, 128},
    {255, 128, 128}, {128, 255, 128}, {128, 128, 255}, {255, 255, 128}};
const int kDressingColour = kRoomColours + kWorldColours;

// The nearest hue, by the distance of brightness-normalised colours.
char classOf(Rgb c)
{
    const double m = std::max({c.r, c.g, c.b});
    auto distance = [&](Rgb ref) {
        return std::hypot(c.r / m - ref.r / 255.0, c.g / m - ref.g / 255.0, c.b / m - ref.b / 255.0);
    };
    char best = '#';   // the grey facade
    double bestDistance = distance({255, 255, 255});
    for (int i = 0; i < kPaletteSize; ++i)
        if (distance(palette[i]) < bestDistance) {
            bestDistance = distance(palette[i]);
            best = static_cast<char>(i < kRoomColours ? '0' + i : 'a' + i - kRoomColours);
        }
    return m >= 24 && bestDistance <= 0.25 ? best : '?';
}

// A step's class: each of red, green and blue in one of three levels.
char levelClassOf(Rgb c)
{
    const auto level = [](int v) { return v * 3 / 256; };
    return "0123456789ABCDEFGHIJKLMNOPQ"[9 * level(c.r) + 3 * level(c.g) + level(c.b)];
}

// The calibration sheet's texel: a piece of furniture in each corner cell,
// opaque (alpha 0) in its lower left quarter only, so that a piece turned
// either way shows; each blind and curtains opaque in its own pale colour;
// the world cell clear, in the face's colour.
void paintSheetTexel(unsigned char *rgba, texlayout::SheetPoint p)
{
    const texlayout::OutCell cell = texlayout::outCellAt(p.i, p.j);
    const int dressing = static_cast<int>(cell) - static_cast<int>(texlayout::OutCell::Blind);
    if (cell == texlayout::OutCell::Far)
        return;
    rgba[3] = 0;
    if (dressing < 0) {
        rgba[3] = p.x < 0 && p.y < 0 ? 0 : 255;
        return;
    }
    const Rgb c = palette[kDressingColour + dressing];
    rgba[0] = c.r, rgba[1] = c.g, rgba[2] = c.b;
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
    const int k = file - 1, faceSize = 48;
    Rgb c = palette[set == texlayout::kWorldSet ? kRoomColours + k : (k + set) % kRoomColours];
    RgbaImage face = makeSolidImage(faceSize, c.r, c.g, c.b, 255);
    for (int texel = 0; set == k && texel < faceSize * faceSize; ++texel)
        paintSheetTexel(&face.rgba[texel * 4], sheetPointOfTexel(set, texel % faceSize, texel / faceSize, faceSize));
    return face;
}

using Classifier = char (*)(Rgb);

// A sample's class, or '.' when its neighbourhood is not all one class.
char recordedClass(const Screenshot &shot, int x, int y, Classifier classOf)
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
    std::string show;              // a step's SHOW_... switch, or none
    int window = 0;                // the window's side in pixels (0: as it opens)
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
        if (name == "show:")
            fields >> view.show;
        if (name == "window:")
            fields >> view.window;
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
    ChildProcess join;
    if (!view.show.empty()) {   // the step's stage, which must compile as GLSL 1.10
        ASSERT_EQ(runShaderJoin(join, {"-D", view.show, "-o", dir + "/FLight.glsl", FRAGMENT_PARTS}), 0)
            << join.errText;
    }
    start(view.show.empty() ? std::map<std::string, std::string>{} : openGL20);
    ASSERT_TRUE(waitForFrames(v, 1));
    if (view.window > 0)
        resizeWindow(v, view.window, view.window);
    ASSERT_TRUE(pressAndSettle(v, view.keys));
    Screenshot shot = grabWindow(v);
    const bool record = getenv("UPDATE_GOLDEN") != nullptr;
    const Classifier classOfSample = view.show.empty() ? classOf : levelClassOf;
    std::ostringstream map, examples;
    int checked = 0, wrong = 0;
    for (int row = 0; row < shot.height / gridStep; ++row, map << "\n") {
        for (int col = 0; col < shot.width / gridStep; ++col) {
            const int x = gridStep / 2 + gridStep * col, y = gridStep / 2 + gridStep * row;
            const char got = record ? recordedClass(shot, x, y, classOfSample) : classOfSample(shot.at(x, y));
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

// The step pictures of scripts/explain.sh.
const char *const stepViews[] = {"how-cells", "how-surface", "how-room-map", "how-furniture",
                                 "how-light", "how-dressing", "how-facade", "how-fresnel",
                                 "how-ground-plane", "how-contact", "how-shadow"};

INSTANTIATE_TEST_SUITE_P(Views, Golden, ::testing::Values("start", "above", "close", "corner"));
INSTANTIATE_TEST_SUITE_P(Steps, Golden, ::testing::ValuesIn(stepViews),
                         [](const auto &info) {
                             std::string name = std::string(info.param).substr(4);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// scripts/explain.sh and the page it makes pictures for, as a process.
struct Shot {
    std::string name, show, keys;   // show: a SHOW_... switch, or "-" for the finished picture
};

int runExplain(ChildProcess &script, const std::vector<std::string> &args)
{
    LaunchOptions o;
    o.program = std::string(SOURCE_DIR) + "/scripts/explain.sh";
    o.args = args;
    o.workingDir = "/";
    if (!launchProcess(script, o))
        return -1;
    return waitForExit(script, 120);
}

TEST(Explain, ThePageLinksEveryPictureTheScriptMakesAndEachStepHasItsMapAtTheScriptsView)
{
    ChildProcess script;
    ASSERT_EQ(runExplain(script, {"--list"}), 0) << script.errText;
    std::set<std::string> made, linked;
    const std::string page = readAll(std::string(SOURCE_DIR) + "/docs/how-it-works.md");
    const std::regex link(R"(\]\(how/([^)]+)\.png\))");
    for (auto m = std::sregex_iterator(page.begin(), page.end(), link); m != std::sregex_iterator(); ++m)
        linked.insert((*m)[1]);
    std::set<std::string> steps(std::begin(stepViews), std::end(stepViews)), mapped;
    for (const std::string &line : script.lines.out) {
        Shot shot;
        std::istringstream(line) >> shot.name >> shot.show >> shot.keys;
        made.insert(shot.name);
        if (shot.show == "-")
            continue;
        const View view = readView(std::string(GOLDEN_DIR) + "/how-" + shot.name + ".txt");
        EXPECT_EQ(view.show, shot.show) << shot.name;
        EXPECT_EQ(view.keys, shot.keys) << shot.name;
        mapped.insert("how-" + shot.name);
    }
    EXPECT_EQ(linked, made);
    EXPECT_EQ(mapped, steps);
}

TEST(Explain, AStepTheShaderDoesNotKnowFailsTheScriptBeforeAnyPicture)
{
    const std::string out = makeTempDir() + "/pictures";
    ChildProcess script;
    EXPECT_EQ(runExplain(script, {out, "wrong SHOW_NO_SUCH_STEP w"}), 1);
    const std::vector<std::string> &err = script.lines.err;
    ASSERT_GE(err.size(), 2u) << script.errText;
    EXPECT_EQ(std::vector<std::string>(err.end() - 2, err.end()),
              (std::vector<std::string>{"shader_join: no part mentions SHOW_NO_SUCH_STEP; nothing would change",
                                        "explain.sh: cannot join the stage of wrong.png; no picture made"}));
    EXPECT_FALSE(std::filesystem::exists(out));
    removeTree(std::filesystem::path(out).parent_path());
}

}  // namespace
