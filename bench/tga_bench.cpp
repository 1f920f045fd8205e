// TGA decoding speed. Writes a 1024x1024 picture (flat areas, gradients and
// noise, like a facade texture) as all six variants the reader accepts
// (uncompressed and run-length, 16/24/32 bits) to temporary files, then
// times readTga and stb_image's stbi_load (4 channels requested, the RGBA
// that readTga returns) on each file, and for uncompressed 32 bits also a
// plain read of the file plus a copy of its bytes. Prints megapixels per
// second (best of several runs) and the ratios.
#include <stb_image.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tex.h"

namespace {

const int kSide = 1024;
const int kRepeats = 15;
const double kMegapixels = kSide * kSide / 1e6;

struct Rgba {
    unsigned char r, g, b, a;
    bool operator==(const Rgba &o) const { return r == o.r && g == o.g && b == o.b && o.a == a; }
};

// A facade-like picture: sky gradient at the top, flat wall with a grid of
// windows (long runs), and a noisy "photographic" band.
std::vector<Rgba> makePicture() {
    std::vector<Rgba> picture(kSide * kSide);
    unsigned seed = 1;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            Rgba p;
            seed = seed * 1664525 + 1013904223;
            unsigned noise = seed >> 24;
            if (y < 256) {
                p = {static_cast<unsigned char>(100 + y / 4), static_cast<unsigned char>(150 + y / 8), 240, 255};
            } else if (y < 768) {
                bool window = (x % 64) > 16 && (x % 64) < 48 && (y % 64) > 12 && (y % 64) < 52;
                p = window ? Rgba{40, 60, static_cast<unsigned char>(90 + (x / 64) * 8), 200}
                           : Rgba{180, 120, 90, 255};
                if (!window && noise < 24) p.r = static_cast<unsigned char>(170 + noise);
            } else {
                p = {static_cast<unsigned char>(noise), static_cast<unsigned char>((noise * 7) ^ x),
                     static_cast<unsigned char>(y ^ noise), 255};
            }
            picture[size_t(y) * kSide + x] = p;
        }
    }
    return picture;
}

void storePixel(std::vector<unsigned char> *out, const Rgba &p, int bytes) {
    if (bytes == 2) {
        unsigned v = ((p.a >= 128) << 15) | ((p.r >> 3) << 10) | ((p.g >> 3) << 5) | (p.b >> 3);
        out->insert(out->end(), {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)});
        return;
    }
    out->insert(out->end(), {p.b, p.g, p.r});
    if (bytes == 4) out->push_back(p.a);
}

// Run-length packets: runs of 2..128 equal stored values, raw packets of
// up to 128 otherwise.
void encodeRle(std::vector<unsigned char> *out, const std::vector<std::vector<unsigned char>> &px) {
    size_t i = 0;
    while (i < px.size()) {
        size_t run = 1;
        while (i + run < px.size() && run < 128 && px[i + run] == px[i]) ++run;
        if (run > 1) {
            out->push_back(static_cast<unsigned char>(0x80 | (run - 1)));
            out->insert(out->end(), px[i].begin(), px[i].end());
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < px.size() && raw < 128 && px[i + raw] != px[i + raw - 1]) ++raw;
        if (i + raw < px.size() && raw > 1) --raw;  // leave the run's first value to the run
        out->push_back(static_cast<unsigned char>(raw - 1));
        for (size_t k = 0; k < raw; ++k) out->insert(out->end(), px[i + k].begin(), px[i + k].end());
        i += raw;
    }
}

std::string writeTga(const std::vector<Rgba> &picture, int type, int bits) {
    std::vector<unsigned char> file(18, 0);
    file[2] = static_cast<unsigned char>(type);
    file[12] = kSide & 0xFF;
    file[13] = kSide >> 8;
    file[14] = kSide & 0xFF;
    file[15] = kSide >> 8;
    file[16] = static_cast<unsigned char>(bits);
    std::vector<std::vector<unsigned char>> stored(picture.size());
    for (size_t i = 0; i < picture.size(); ++i) storePixel(&stored[i], picture[i], bits / 8);
    if (type == 10) {
        encodeRle(&file, stored);
    } else {
        for (const auto &s : stored) file.insert(file.end(), s.begin(), s.end());
    }
    char path[] = "/tmp/tga_bench.XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0 || write(fd, file.data(), file.size()) != ssize_t(file.size())) {
        perror("tga_bench: writing the picture");
        exit(1);
    }
    close(fd);
    return path;
}

// Best wall time of kRepeats runs, in seconds.
double bestTime(const std::function<void()> &run) {
    double best = 1e9;
    for (int i = 0; i < kRepeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// readTga names every file on standard error; keep that out of the table.
struct QuietStderr {
    int saved = dup(STDERR_FILENO);
    QuietStderr() {
        FILE *null = fopen("/dev/null", "w");
        dup2(fileno(null), STDERR_FILENO);
        fclose(null);
    }
    ~QuietStderr() {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
};

// Our decode must match stb's (files are bottom-left: flip stb's rows).
bool sameAsStb(const std::string &path, int bits) {
    TgaImage *ours = readTga(path);
    int w, h, c;
    unsigned char *ref = stbi_load(path.c_str(), &w, &h, &c, 4);
    bool same = ref && w == kSide && h == kSide;
    for (int y = 0; same && y < kSide; ++y) {
        for (int x = 0; x < kSide && same; ++x) {
            const PIXEL &p = ours->pixels[size_t(kSide - 1 - y) * kSide + x];
            const unsigned char *q = ref + 4 * (size_t(y) * kSide + x);
            // stb widens 5 bits as v*255/31, we by shifting.
            auto channel = [bits](int a, int b) { return bits == 16 ? (a >> 3) * 255 / 31 == b : a == b; };
            same = channel(p.r, q[0]) && channel(p.g, q[1]) && channel(p.b, q[2]);
        }
    }
    stbi_image_free(ref);
    freeTga(ours);
    return same;
}

// The floor for any reader: fresh buffers, one read of the whole file and
// one copy of its bytes.
double plainReadAndCopy(const std::string &path) {
    return bestTime([&] {
        FILE *f = fopen(path.c_str(), "rb");
        fseek(f, 0, SEEK_END);
        size_t size = size_t(ftell(f));
        fseek(f, 0, SEEK_SET);
        unsigned char *buffer = static_cast<unsigned char *>(malloc(size));
        unsigned char *copy = static_cast<unsigned char *>(malloc(size));
        if (!buffer || !copy || fread(buffer, 1, size, f) != size) exit(1);
        fclose(f);
        memcpy(copy, buffer, size);
        free(buffer);
        free(copy);
    });
}

}  // namespace

int main() {
    std::vector<Rgba> picture = makePicture();
    printf("1024x1024 picture, best of %d runs; stb_image asked for 4 channels (RGBA)\n", kRepeats);
    printf("%-22s %10s %12s %14s %8s\n", "variant", "file KiB", "readTga MP/s", "stb_image MP/s", "ratio");
    bool allFast = true;
    for (int type : {2, 10}) {
        for (int bits : {16, 24, 32}) {
            std::string path = writeTga(picture, type, bits);
            double ours, stb;
            bool same;
            {
                QuietStderr quiet;
                same = sameAsStb(path, bits);
                ours = bestTime([&] { freeTga(readTga(path)); });
            }
            stb = bestTime([&] {
                int w, h, c;
                stbi_image_free(stbi_load(path.c_str(), &w, &h, &c, 4));
            });
            FILE *f = fopen(path.c_str(), "rb");
            fseek(f, 0, SEEK_END);
            long kib = ftell(f) / 1024;
            fclose(f);
            char name[32];
            snprintf(name, sizeof name, "%s %d-bit", type == 2 ? "uncompressed" : "run-length", bits);
            printf("%-22s %10ld %12.1f %14.1f %7.2fx%s\n", name, kib, kMegapixels / ours,
                   kMegapixels / stb, stb / ours, same ? "" : "  (DECODES DIFFER)");
            allFast = allFast && stb / ours >= 2.0 && same;
            if (type == 2 && bits == 32) {
                double plain = plainReadAndCopy(path);
                printf("%-22s %10s %12.1f %14s %7.2fx slower than read+copy\n",
                       "  plain read + copy", "", kMegapixels / plain, "", ours / plain);
                allFast = allFast && ours / plain <= 3.0;
            }
            unlink(path.c_str());
        }
    }
    printf("targets (readTga >= 2x stb_image everywhere, uncompressed 32-bit within 3x of read+copy): %s\n",
           allFast ? "met" : "NOT met");
    return 0;
}
