// Viewer benchmark, run on an X display (scripts/with-xvfb.sh): time from
// process start to the first frame on the screen, time per frame for the
// interior-mapping shader pair and for a plain one-texture pair on the same
// scene, and the peak resident memory beside the decoded texture bytes.
#include "harness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
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
    long peakBytes;
    long currentBytes;
};

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
    for (int i = 0; i < framesTimed; ++i) {
        Clock::time_point t0 = Clock::now();
        pressAndWaitForFrame(v, 'x');
        cycles.push_back(secondsSince(t0) * 1000);
    }
    FrameFigures f{median(cycles), residentBytes(v.pid, "VmHWM:"),
                   residentBytes(v.pid, "VmRSS:")};
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

}  // namespace

int main()
{
    std::string interior = makeTempDir(), plain = makeTempDir();
    installViewer(interior);
    installViewer(plain);
    writeFile(plain + "/VLight.glsl", plainVertexShader);
    writeFile(plain + "/FLight.glsl", plainFragmentShader);

    std::vector<double> startups;
    for (int i = 0; i < startupRuns; ++i)
        startups.push_back(startupSeconds(interior));
    FrameFigures interiorFrames = frameFigures(interior);
    FrameFigures plainFrames = frameFigures(plain);
    long decoded = decodedTextureBytes(interior);

    printf("viewer at 1024 x 1024, Mesa software renderer\n");
    printf("%-44s %10s\n", "measure", "value");
    printf("%-44s %8.0f ms   (median of %d; min %.0f, max %.0f)\n",
           "start to first frame on screen", median(startups) * 1000, startupRuns,
           *std::min_element(startups.begin(), startups.end()) * 1000,
           *std::max_element(startups.begin(), startups.end()) * 1000);
    printf("%-44s %8.1f ms   (median of %d)\n", "frame, interior-mapping pair",
           interiorFrames.frameMs, framesTimed);
    printf("%-44s %8.1f ms   (median of %d)\n", "frame, plain one-texture pair",
           plainFrames.frameMs, framesTimed);
    printf("%-44s %8.2f x\n", "interior / plain", interiorFrames.frameMs / plainFrames.frameMs);
    printf("%-44s %8.1f MiB\n", "peak resident memory after start-up",
           interiorFrames.peakBytes / 1048576.0);
    printf("%-44s %8.1f MiB\n", "resident memory while running",
           interiorFrames.currentBytes / 1048576.0);
    printf("%-44s %8.1f MiB\n", "decoded texture data (49 images)", decoded / 1048576.0);

    removeTree(interior);
    removeTree(plain);
    return 0;
}
