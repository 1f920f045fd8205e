#include "hdr.h"

#include "picture.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// Run-length scanlines are only written for widths in this range.
constexpr int kMinRunWidth = 8;
constexpr int kMaxRunWidth = 0x7fff;
// A run-length scanline starts with these two bytes, then its width.
constexpr unsigned char kRunMark = 2;
// A count above this is a run of (count - kRunBase) equal bytes.
constexpr int kRunBase = 128;
// The exponent byte's bias, with the mantissa's 8 bits.
constexpr int kExponentBias = 128 + 8;
// The longest header line read, and the largest settings file.
constexpr size_t kMaxHeaderLine = 4096;
constexpr std::streamsize kMaxSettingsBytes = 512;
// Rec. 709 luminance weights.
constexpr texlayout::Rgb kLuminanceWeights = {0.2126, 0.7152, 0.0722};
// The luminance added before the logarithm, so that black stays finite.
constexpr double kLogFloor = 1e-4;
// Middle grey: where the geometric-mean luminance is put.
constexpr double kKeyValue = 0.18;

bool readLine(FILE *file, std::string *line) {
    line->clear();
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        if (c == '\n')
            return true;
        if (line->size() == kMaxHeaderLine)
            return false;
        line->push_back(static_cast<char>(c));
    }
    return false;
}

// A header line as a message quotes it: its start, unprintable bytes as '?'.
std::string quoted(const std::string &line) {
    std::string text = line.substr(0, 40);
    std::replace_if(text.begin(), text.end(), [](unsigned char c) { return !std::isprint(c); }, '?');
    return "\"" + text + "\"";
}

// The header up to its resolution line: the size, and whether rows are
// stored from the bottom ("+Y").
bool readHeader(FILE *file, int *width, int *height, bool *bottomFirst, std::string *why) {
    std::string line;
    if (!readLine(file, &line) || line.compare(0, 2, "#?") != 0) {
        *why = "no Radiance picture (its first line is not \"#?RADIANCE\")";
        return false;
    }
    while (readLine(file, &line) && !line.empty())
        if (line.compare(0, 7, "FORMAT=") == 0 && line != "FORMAT=32-bit_rle_rgbe") {
            *why = "holds " + quoted(line.substr(7)) + " pixels; the importer reads 32-bit_rle_rgbe";
            return false;
        }
    char axis[2] = {0, 0}, across[2] = {0, 0};
    if (!readLine(file, &line) ||
        std::sscanf(line.c_str(), "%c%*1[Y] %d %c%*1[X] %d", &axis[0], height, &across[0], width) != 4 ||
        (axis[0] != '-' && axis[0] != '+') || across[0] != '+') {
        *why = "its size line " + quoted(line) + " is not of the form -Y H +X W";
        return false;
    }
    *bottomFirst = axis[0] == '+';
    return withinPictureLimits(static_cast<size_t>(std::max(*width, 0)), static_cast<size_t>(std::max(*height, 0)),
                               why);
}

// One run-length channel of a scanline into out (every fourth byte).
bool readRuns(FILE *file, int width, unsigned char *out) {
    for (int x = 0; x < width;) {
        const int count = std::fgetc(file);
        if (count == EOF || count == 0)
            return false;
        const bool run = count > kRunBase;
        const int n = run ? count - kRunBase : count;
        if (x + n > width)
            return false;
        int value = run ? std::fgetc(file) : 0;
        for (int k = 0; k < n; ++k, ++x) {
            if (!run)
                value = std::fgetc(file);
            if (value == EOF)
                return false;
            out[4 * x] = static_cast<unsigned char>(value);
        }
    }
    return true;
}

// One scanline of width pixels into out, flat or run-length.
bool readScanline(FILE *file, int width, unsigned char *out) {
    if (std::fread(out, 1, 4, file) != 4)
        return false;
    const bool runs = width >= kMinRunWidth && width <= kMaxRunWidth && out[0] == kRunMark &&
                      out[1] == kRunMark && (out[2] << 8 | out[3]) == width;
    if (!runs)
        return std::fread(out + 4, 4, width - 1, file) == static_cast<size_t>(width - 1);
    for (int channel = 0; channel < 4; ++channel)
        if (!readRuns(file, width, out + channel))
            return false;
    return true;
}

} // namespace

bool isRadiancePath(const std::string &path) {
    std::string suffix = path.substr(std::min(path.size(), path.rfind('.')));
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == ".hdr" || suffix == ".pic";
}

bool readRadiance(const std::string &path, RgbeImage *image, std::string *why) {
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *why = "cannot be read";
        return false;
    }
    bool bottomFirst = false;
    bool ok = readHeader(file, &image->width, &image->height, &bottomFirst, why);
    if (ok) {
        const size_t row = static_cast<size_t>(image->width) * 4;
        image->rgbe.assign(row * image->height, 0);
        for (int j = 0; ok && j < image->height; ++j)
            ok = readScanline(file, image->width, &image->rgbe[row * (bottomFirst ? image->height - 1 - j : j)]);
        if (!ok)
            *why = std::feof(file) ? "the file is cut short" : "its run-length data is damaged";
    }
    std::fclose(file);
    return ok;
}

texlayout::Rgb rgbeAt(const RgbeImage &image, int x, int y) {
    const unsigned char *p = &image.rgbe[(static_cast<size_t>(y) * image.width + x) * 4];
    if (p[3] == 0)
        return {0.0, 0.0, 0.0};
    const double scale = std::ldexp(1.0, p[3] - kExponentBias);
    return {(p[0] + 0.5) * scale, (p[1] + 0.5) * scale, (p[2] + 0.5) * scale};
}

double luminance(texlayout::Rgb c) {
    return kLuminanceWeights.r * c.r + kLuminanceWeights.g * c.g + kLuminanceWeights.b * c.b;
}

double logLuminance(texlayout::Rgb c) { return std::log(kLogFloor + std::max(0.0, luminance(c))); }

double exposureFor(double meanLog) { return kKeyValue / std::exp(meanLog); }

double displayed(double linear, double exposure) {
    const double x = std::clamp(linear * exposure, 0.0, 1.0);
    return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1.0 / 2.4) - 0.055;
}

bool readWords(const std::string &path, std::vector<std::string> *words, std::string *why) {
    std::ifstream file(path, std::ios::binary);
    std::string text(kMaxSettingsBytes + 1, '\0');
    file.read(&text[0], kMaxSettingsBytes + 1);
    if (file.bad() || !file.is_open()) {
        *why = "cannot be read";
        return false;
    }
    if (file.gcount() > kMaxSettingsBytes) {
        *why = "is larger than a setting (" + std::to_string(kMaxSettingsBytes) + " bytes at most)";
        return false;
    }
    text.resize(static_cast<size_t>(file.gcount()));
    std::istringstream in(text);
    words->assign(std::istream_iterator<std::string>(in), {});
    return true;
}

bool readExposureFile(const std::string &path, double *exposure, std::string *why) {
    std::vector<std::string> words;
    if (!readWords(path, &words, why))
        return false;
    char *end = nullptr;
    *exposure = words.size() == 1 ? std::strtod(words[0].c_str(), &end) : 0.0;
    if (words.size() != 1 || *end != '\0' || !std::isfinite(*exposure) || *exposure <= 0.0) {
        *why = "give one number above 0: the factor the light is multiplied by before it is clipped at 1";
        return false;
    }
    return true;
}
