// Viewer benchmark, run on an X display (scripts/with-xvfb.sh).
//   viewer_bench        time from process start to the first frame on the
//                       screen; time per frame of the viewer's shader pair,
//                       of the textbook interior-mapping pair (bench/textbook)
//                       and of a plain one-texture pair, taking turns in the
//                       same run, at three views; memory.
//   viewer_bench costs  what each feature of the viewer's fragment stage
//                       costs: the pair against the pair without it.
//   viewer_bench compare DIR...
//                       shader pairs of one's own against each other.
#include "harness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <unistd.h>
#include <vector>

namespace {

const int startupRuns = 7;

// The plain pair: the facade texture alone, on the faces and on the sky.
const char *const plainVertexShader = R"(
varying vec2 uv;
void main() { uv = gl_MultiTexCoord0.st; gl_Position = ftransform(); }
)";
const char *const plainFragmentShader = R"(
uniform sampler2D baseTex;
varying vec2 uv;
void main() { gl_FragColor = vec4(texture2D(baseTex, uv).rgb, 1.0); }
)";
const int framesTimed = 60;
const int frameRounds = 3;
const int costRounds = 7;
const int costFrames = 30;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void launch(ChildProcess &v, const std::string &dir)
{
    if (!launchInstalledViewer(v, dir))
        throw std::runtime_error("cannot start the viewer");
}

// Seconds from the start of the process until the sky at the top of the
// window has been drawn and swapped (the window starts black).
double startupSeconds(const std::string &dir)
{
    ChildProcess v;
    Clock::time_point t0 = Clock::now();
    launch(v, dir);
    if (!waitForFrames(v, 1))
        throw std::runtime_error("no first frame");
    Rgb p{0, 0, 0};
    while (p.r + p.g + p.b == 0 && secondsSince(t0) < 30)
        p = grabWindow(v).at(512, 4);
    double seconds = secondsSince(t0);
    stopProcess(v);
    return seconds;
}

// One "VmHWM:" (peak) or "VmRSS:" (current) figure of a process, in bytes.
long residentBytes(pid_t pid, const std::string &field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long kb = -1;
    while (status >> key) {
        if (key == field) {
            status >> kb;
            break;
        }
    }
    return kb * 1024;
}

struct FrameFigures {
    double frameMs;
    double cpuMs;   // processor time of the viewer (all its threads) per frame
    long peakBytes;
    long currentBytes;
};

// Processor time a process has used so far (user and system), in ms.
double cpuMilliseconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i)   // state .. cmajflt
        fields >> skip;
    long user = 0, system = 0;
    fields >> user >> system;
    return (user + system) * 1000.0 / sysconf(_SC_CLK_TCK);
}

// Shows a view (its keys pressed first), then redraws one frame at a time:
// each key waits for the frame it causes to begin, which happens once the
// previous frame has been drawn and swapped, so one cycle lasts one frame.
// Returns the median cycle and the processor time per frame.
FrameFigures frameFigures(const std::string &dir, const std::string &keys, int frames)
{
    ChildProcess v;
    launch(v, dir);
    if (!waitForFrames(v, 1) || !pressAndSettle(v, keys))
        throw std::runtime_error("viewer did not settle");
    std::vector<double> cycles;
    const double cpu0 = cpuMilliseconds(v.pid);
    for (int i = 0; i < frames; ++i) {
        Clock::time_point t0 = Clock::now();
        pressAndWaitForFrame(v, 'x');
        cycles.push_back(secondsSince(t0) * 1000);
    }
    FrameFigures f{median(cycles), (cpuMilliseconds(v.pid) - cpu0) / frames,
                   residentBytes(v.pid, "VmHWM:"), residentBytes(v.pid, "VmRSS:")};
    stopProcess(v);
    return f;
}

// Bytes of decoded RGBA pixels of every texture, from the TGA headers.
long decodedTextureBytes(const std::string &dir)
{
    long total = 0;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(dir + "/textures")) {
        if (entry.path().extension() != ".tga")
            continue;
        unsigned char header[18] = {0};
        std::ifstream(entry.path(), std::ios::binary)
            .read(reinterpret_cast<char *>(header), sizeof header);
        long width = header[12] | header[13] << 8, height = header[14] | header[15] << 8;
        total += width * height * 4;
    }
    return total;
}


// The median of each measure over the rounds.
FrameFigures medianFigures(const std::vector<FrameFigures> &rounds)
{
    std::vector<double> frame, cpu;
    for (const FrameFigures &f : rounds) {
        frame.push_back(f.frameMs);
        cpu.push_back(f.cpuMs);
    }
    return {median(frame), median(cpu), rounds[0].peakBytes, rounds[0].currentBytes};
}

// The three views: the start, a close-up of the left face, and the grazing
// view along the front's curtain wall.
struct View {
    const char *name;
    std::string keys;
};
const View views[] = {{"start", ""},
                      {"close-up", std::string(14, 'w')},
                      {"grazing", "dddd" + std::string(30, 'w') + std::string(12, 'q')}};

struct Pair {
    const char *name;
    std::string dir;   // an installed viewer with this pair
};

// Times every pair at one view, taking turns round by round so that a
// change in the machine's load falls on all of them alike: each pair's
// figures, one per round.
std::vector<std::vector<FrameFigures>> timeRounds(const std::vector<Pair> &pairs, const View &view,
                                                  int rounds, int frames)
{
    std::vector<std::vector<FrameFigures>> figures(pairs.size());
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < pairs.size(); ++i)
            figures[i].push_back(frameFigures(pairs[i].dir, view.keys, frames));
    return figures;
}

// The medians of each pair's rounds.
std::vector<FrameFigures> timePairs(const std::vector<Pair> &pairs, const View &view,
                                    int rounds, int frames)
{
    std::vector<FrameFigures> medians;
    for (const auto &rounds : timeRounds(pairs, view, rounds, frames))
        medians.push_back(medianFigures(rounds));
    return medians;
}

// A pair with one feature of the viewer's fragment stage taken out: the
// stage joined again with the feature's WITHOUT_... name defined, which
// gives the feature's neutral value, and the compiler drops what no longer
// counts.
struct Feature {
    const char *name;
    const char *without;      // the define; none for the whole pair
};
const Feature features[] = {
    // Nothing taken out: the spread between two runs of the same pair,
    // which a feature's cost must exceed to mean anything.
    {"nothing (the same pair)", nullptr},
    {"ground (tile, distance)", "WITHOUT_GROUND"},
    {"shadow", "WITHOUT_SHADOW"},
    {"contact shade", "WITHOUT_CONTACT_SHADE"},
    {"Fresnel and glint", "WITHOUT_FRESNEL"},
    {"second facade tap", "WITHOUT_SECOND_TAP"},
    {"furniture layer", "WITHOUT_FURNITURE"},
    {"dressing", "WITHOUT_DRESSING"},
    {"lights-off", "WITHOUT_LIGHTS_OFF"},
    {"corner windows", "WITHOUT_CORNER_WINDOWS"},
    {"far-room fade", "WITHOUT_FAR_FADE"},
};

// Joins the viewer's fragment stage into dir/FLight.glsl, with `define`
// unless it is null.
void joinFragmentStage(const std::string &dir, const char *define)
{
    std::vector<std::string> args;
    if (define)
        args = {"-D", define};
    args.insert(args.end(), {"-o", dir + "/FLight.glsl", FRAGMENT_PARTS});
    ChildProcess join;
    if (runShaderJoin(join, args) != 0)
        throw std::runtime_error("shader_join failed: " + join.errText);
}

// Installs a viewer into a new directory; with a fragment stage given, that
// replaces the viewer's own.
std::string installPair(const std::string &fragment = "")
{
    std::string dir = makeTempDir();
    installViewer(dir);
    if (!fragment.empty())
        writeFile(dir + "/FLight.glsl", fragment);
    return dir;
}

// Installs a viewer with the shader pair found in directory `source`.
std::string installPairFrom(const std::string &source)
{
    std::string dir = installPair();
    for (const char *file : {"/VLight.glsl", "/FLight.glsl"})
        writeFile(dir + file, readAll(source + file));
    return dir;
}

// The cost of each feature: the viewer's pair against the pair without it,
// in turns, by processor time, at every view. Every cost is taken against
// the whole pair, so the whole pair runs three times in each round (first,
// in the middle and last) and its figure is the median of all those runs:
// one unlucky median there would move every cost alike.
void printCostTable(int rounds, int frames)
{
    const std::string whole = installPair();
    const size_t count = std::size(features), middle = 1 + count / 2;
    std::vector<Pair> pairs{{"all features", whole}};
    for (size_t i = 0; i < count; ++i) {
        if (i + 1 == middle)
            pairs.push_back({"all features", whole});
        std::string dir = installPair();
        joinFragmentStage(dir, features[i].without);
        pairs.push_back({features[i].name, dir});
    }
    pairs.push_back({"all features", whole});

    std::vector<std::vector<FrameFigures>> byView;
    for (const View &view : views) {
        std::vector<std::vector<FrameFigures>> figures = timeRounds(pairs, view, rounds, frames);
        std::vector<FrameFigures> wholeRuns, medians;
        for (size_t i = 0; i < pairs.size(); ++i) {
            if (pairs[i].dir == whole)
                wholeRuns.insert(wholeRuns.end(), figures[i].begin(), figures[i].end());
            else
                medians.push_back(medianFigures(figures[i]));
        }
        medians.insert(medians.begin(), medianFigures(wholeRuns));
        byView.push_back(medians);
    }

    printf("cost of each feature: processor time per frame without it, against all features\n"
           "(medians of %d alternating rounds of %d frames; all features run 3 times a round)\n",
           rounds, frames);
    printf("%-28s", "feature");
    for (const View &view : views)
        printf(" %19s", view.name);
    printf("\n");
    for (size_t i = 0; i <= count; ++i) {
        printf("%-28s", i == 0 ? "all features" : features[i - 1].name);
        for (const auto &figures : byView) {
            double all = figures[0].cpuMs, cost = all - figures[i].cpuMs;
            if (i == 0)
                printf(" %10.1f ms       ", all);
            else
                printf(" %+7.1f ms (%+4.0f%%)", cost, 100 * cost / all);
        }
        printf("\n");
    }
    removeTree(whole);
    for (const Pair &pair : pairs)
        if (pair.dir != whole)
            removeTree(pair.dir);
}

// Start-up, the three pairs at the three views, and memory.
void printFigures(int rounds, int frames)
{
    std::string plain = installPair(plainFragmentShader);
    writeFile(plain + "/VLight.glsl", plainVertexShader);
    const std::vector<Pair> pairs{{"viewer's pair", installPair()},
                                  {"textbook pair", installPairFrom(TEXTBOOK_DIR)},
                                  {"plain pair", plain}};

    std::vector<double> startups;
    for (int i = 0; i < startupRuns; ++i)
        startups.push_back(startupSeconds(pairs[0].dir));
    printf("viewer at 1024 x 1024, Mesa software renderer\n");
    printf("start to first frame on screen: %.0f ms (median of %d; min %.0f, max %.0f)\n\n",
           median(startups) * 1000, startupRuns,
           *std::min_element(startups.begin(), startups.end()) * 1000,
           *std::max_element(startups.begin(), startups.end()) * 1000);

    printf("frame times, ms: wall-clock / processor (medians of %d alternating rounds of %d frames)\n",
           rounds, frames);
    printf("%-10s %15s %15s %15s   %-26s %s\n", "view", pairs[0].name, pairs[1].name,
           pairs[2].name, "viewer's / textbook", "viewer's / plain");
    FrameFigures memory{};
    for (const View &view : views) {
        std::vector<FrameFigures> f = timePairs(pairs, view, rounds, frames);
        printf("%-10s %6.1f / %6.1f %6.1f / %6.1f %6.1f / %6.1f   %5.2f x / %5.2f x         %5.2f x / %5.2f x\n",
               view.name, f[0].frameMs, f[0].cpuMs, f[1].frameMs, f[1].cpuMs, f[2].frameMs,
               f[2].cpuMs, f[0].frameMs / f[1].frameMs, f[0].cpuMs / f[1].cpuMs,
               f[0].frameMs / f[2].frameMs, f[0].cpuMs / f[2].cpuMs);
        memory = f[0];
    }
    printf("\npeak resident memory after start-up: %.1f MiB\n", memory.peakBytes / 1048576.0);
    printf("resident memory while running:       %.1f MiB\n", memory.currentBytes / 1048576.0);
    printf("decoded texture data (49 images):    %.1f MiB\n",
           decodedTextureBytes(pairs[0].dir) / 1048576.0);
    for (const Pair &pair : pairs)
        removeTree(pair.dir);
}

// Shader pairs of one's own (directories holding VLight.glsl and
// FLight.glsl) against each other, by processor time, at the three views:
// for trying a change to the pair.
void printComparison(const std::vector<std::string> &pairDirs, int rounds, int frames)
{
    std::vector<Pair> pairs;
    for (const std::string &source : pairDirs)
        pairs.push_back({source.c_str(), installPairFrom(source)});
    printf("processor time per frame, ms (medians of %d alternating rounds of %d frames)\n",
           rounds, frames);
    for (const View &view : views) {
        std::vector<FrameFigures> f = timePairs(pairs, view, rounds, frames);
        printf("%-10s", view.name);
        for (size_t i = 0; i < pairs.size(); ++i)
            printf("  %s %.1f (%.2f x)", pairs[i].name, f[i].cpuMs, f[i].cpuMs / f[0].cpuMs);
        printf("\n");
    }
    for (const Pair &pair : pairs)
        removeTree(pair.dir);
}

}  // namespace

// viewer_bench            start-up, frame times at three views, memory
// viewer_bench costs      the cost of each feature of the viewer's pair
// viewer_bench compare DIR...   shader pairs in those directories
int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "costs")
        printCostTable(costRounds, costFrames);
    else if (mode == "compare")
        printComparison(std::vector<std::string>(argv + 2, argv + argc), costRounds, costFrames);
    else
        printFigures(frameRounds, framesTimed);
    return 0;
}
