// HDR pictures: Radiance's RGBE files, read by a decoder of the tool's own
// (the ImageMagick that Debian ships clips light at 1), and the exposure
// that brings their light into 8 bits.
#ifndef HDR_H
#define HDR_H

#include "texture_layout.h"

#include <string>
#include <vector>

// An HDR picture as stored: per pixel three mantissas and a shared
// exponent, first row on top.
struct RgbeImage {
    int width = 0, height = 0;
    std::vector<unsigned char> rgbe;
};

// Whether the file at path is to be read as a Radiance picture (by its
// suffix, .hdr or .pic in any case).
bool isRadiancePath(const std::string &path);
// Decodes a Radiance picture, flat or run-length scanlines; on failure
// false, with the reason in `why`.
bool readRadiance(const std::string &path, RgbeImage *image, std::string *why);
// The light of pixel (x, y), linear.
texlayout::Rgb rgbeAt(const RgbeImage &image, int x, int y);

// Relative luminance of linear light (Rec. 709 primaries).
double luminance(texlayout::Rgb c);
// The geometric mean's term for light c: the logarithm of its luminance,
// kept finite at black.
double logLuminance(texlayout::Rgb c);
// The automatic exposure for light whose mean logLuminance is `meanLog`:
// it brings the geometric-mean luminance to middle grey.
double exposureFor(double meanLog);
// Linear light times the exposure, clipped at 1 and encoded as sRGB, 0..1.
double displayed(double linear, double exposure);

// The words of a small text file (at most a few hundred bytes); false, with
// the reason in `why`, if it cannot be read or is larger.
bool readWords(const std::string &path, std::vector<std::string> *words, std::string *why);
// The exposure one gives by hand: world/exposure.txt holds one number
// above 0, the factor the light is multiplied by before it is clipped.
constexpr const char *kExposureFile = "exposure.txt";
bool readExposureFile(const std::string &path, double *exposure, std::string *why);

#endif
