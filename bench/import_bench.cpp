// Import benchmark: the texture tool's import of the example pictures (all
// seven sets) over the generated textures, and the same with six large
// facades, so that time can be set against the pixels read.
//   build/bench/import_bench [RUNS]
#include "example_pictures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;
constexpr int kLargeFacade = 4096;

// Pixels in all the pictures under root.
double megapixelsUnder(const fs::path &root) {
    double pixels = 0;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root)) {
        Picture picture;
        std::string why;
        if (entry.is_regular_file() && readPicture(entry.path().string(), &picture, &why))
            pixels += static_cast<double>(picture.image.width) * picture.image.height;
    }
    return pixels / 1e6;
}

// Median seconds of `runs` runs of the tool's import of source, as a user
// starts it, each over a fresh copy of the generated textures.
double importSeconds(const fs::path &source, const fs::path &work, int runs) {
    const fs::path textures = work / "textures";
    const std::string command =
        std::string(TEXGEN) + " import '" + source.string() + "' '" + textures.string() + "' >/dev/null";
    std::vector<double> seconds;
    for (int k = 0; k < runs; ++k) {
        fs::remove_all(textures);
        fs::copy(TEXTURE_DIR, textures, fs::copy_options::recursive);
        const auto t0 = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (status != 0)
            std::exit(1);
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// The example pictures with every building facade scaled up to size x size.
void enlargeFacades(const fs::path &pictures, int size) {
    for (int set = 0; set < texlayout::kBuildingSets; ++set) {
        const fs::path path = pictures / texlayout::kSetNames[set] / "facade.png";
        Picture facade;
        std::string why;
        if (!readPicture(path.string(), &facade, &why) ||
            !writePicture(path.string(), renderSampled(size, size, 1, [&](double s, double t) {
                return samplePicture(facade.image, s, t);
            }), &why)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
            std::exit(1);
        }
    }
}

void printRow(const char *what, const fs::path &pictures, const fs::path &work, int runs) {
    const double mpx = megapixelsUnder(pictures);
    const double seconds = importSeconds(pictures, work, runs);
    std::printf("%-34s %8.1f Mpx %8.3f s %8.1f Mpx/s\n", what, mpx, seconds, mpx / seconds);
}

} // namespace

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char pattern[] = "/tmp/im-import-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const fs::path work = pattern, pictures = work / "pictures";
    startPictureReading(work.string());
    const bool ready = writeExamplePictures(pictures);
    if (ready) {
        std::printf("import, median of %d runs                  pictures      time     speed\n", runs);
        printRow("example pictures (7 sets)", pictures, work, runs);
        enlargeFacades(pictures, kLargeFacade);
        printRow("the same, six 4096 x 4096 facades", pictures, work, runs);
    }
    endPictureReading();
    fs::remove_all(work);
    return ready ? 0 : 1;
}
