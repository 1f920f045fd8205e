// Viewer benchmark, run on an X display (scripts/with-xvfb.sh): time from
// process start to the first frame on the screen; time per frame for the
// viewer's shader pair, for the textbook interior-mapping pair (bench/
// textbook: one plane per axis, one room and one facade lookup; one world
// lookup on the sky) and for a plain one-texture pair on the same scene,
// measured in turns in the same run; and the peak resident memory beside
// the decoded texture bytes.
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

// Redraws one frame at a time: each key waits for the frame it causes to
// begin, which happens once the previous frame has been drawn and swapped,
// so one cycle lasts one frame. Returns the median cycle.
FrameFigures frameFigures(const std::string &dir)
{
    ChildProcess v;
    launch(v, dir);
    if (!waitForFrames(v, 1) || !pressAndSettle(v, ""))
        throw std::runtime_error("viewer did not settle");
    std::vector<double> cycles;
    const double cpu0 = cpuMilliseconds(v.pid);
    for (int i = 0; i < framesTimed; ++i) {
        Clock::time_point t0 = Clock::now();
        pressAndWaitForFrame(v, 'x');
        cycles.push_back(secondsSince(t0) * 1000);
    }
    FrameFigures f{median(cycles), (cpuMilliseconds(v.pid) - cpu0) / framesTimed,
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

std::string readAll(const std::string &path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

int main()
{
    std::string interior = makeTempDir(), textbook = makeTempDir(), plain = makeTempDir();
    for (const std::string &dir : {interior, textbook, plain})
        installViewer(dir);
    for (const char *file : {"/VLight.glsl", "/FLight.glsl"})
        writeFile(textbook + file, readAll(TEXTBOOK_DIR + std::string(file)));
    writeFile(plain + "/VLight.glsl", plainVertexShader);
    writeFile(plain + "/FLight.glsl", plainFragmentShader);

    std::vector<double> startups;
    for (int i = 0; i < startupRuns; ++i)
        startups.push_back(startupSeconds(interior));
    // The pairs take turns, so that a change in the machine's load falls on
    // all of them alike.
    std::vector<FrameFigures> interiorRounds, textbookRounds, plainRounds;
    for (int round = 0; round < frameRounds; ++round) {
        interiorRounds.push_back(frameFigures(interior));
        textbookRounds.push_back(frameFigures(textbook));
        plainRounds.push_back(frameFigures(plain));
    }
    FrameFigures interiorFrames = medianFigures(interiorRounds);
    FrameFigures textbookFrames = medianFigures(textbookRounds);
    FrameFigures plainFrames = medianFigures(plainRounds);
    long decoded = decodedTextureBytes(interior);

    printf("viewer at 1024 x 1024, Mesa software renderer\n");
    printf("%-44s %10s\n", "measure", "value");
    printf("%-44s %8.0f ms   (median of %d; min %.0f, max %.0f)\n",
           "start to first frame on screen", median(startups) * 1000, startupRuns,
           *std::min_element(startups.begin(), startups.end()) * 1000,
           *std::max_element(startups.begin(), startups.end()) * 1000);
    const struct {
        const char *name;
        const FrameFigures &f;
    } pairs[] = {{"viewer's pair", interiorFrames},
                 {"textbook interior-mapping pair", textbookFrames},
                 {"plain one-texture pair", plainFrames}};
    for (const auto &pair : pairs)
        printf("frame, %-37s %8.1f ms   (%.1f ms of processor time; medians of %d x %d)\n",
               pair.name, pair.f.frameMs, pair.f.cpuMs, frameRounds, framesTimed);
    printf("%-44s %8.2f x   (processor time %.2f x)\n", "viewer's pair / textbook pair",
           interiorFrames.frameMs / textbookFrames.frameMs, interiorFrames.cpuMs / textbookFrames.cpuMs);
    printf("%-44s %8.2f x\n", "viewer's pair / plain pair", interiorFrames.frameMs / plainFrames.frameMs);
    printf("%-44s %8.1f MiB\n", "peak resident memory after start-up",
           interiorFrames.peakBytes / 1048576.0);
    printf("%-44s %8.1f MiB\n", "resident memory while running",
           interiorFrames.currentBytes / 1048576.0);
    printf("%-44s %8.1f MiB\n", "decoded texture data (49 images)", decoded / 1048576.0);

    for (const std::string &dir : {interior, textbook, plain})
        removeTree(dir);
    return 0;
}
