#include "picture.h"

#include "render.h"

#include <wand/MagickWand.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

void startPictureReading(const std::string &scratch) {
    // Read before the library starts: its pixel caches on disk go here.
    setenv("MAGICK_TEMPORARY_PATH", scratch.c_str(), 1);
    MagickWandGenesis();
}

void endPictureReading() { MagickWandTerminus(); }

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

namespace {

// The library's own account of the wand's last failure, as one line, or
// `otherwise` where it gives none.
std::string wandError(MagickWand *wand, const char *otherwise = "the picture cannot be decoded") {
    ExceptionType severity;
    char *text = MagickGetException(wand, &severity);
    std::string reason = text && *text ? text : otherwise;
    MagickRelinquishMemory(text);
    return reason.substr(0, reason.find('\n'));
}

} // namespace

// The size limits, checked on the picture's header before it is decoded.
bool withinPictureLimits(size_t width, size_t height, std::string *why) {
    if (width == 0 || height == 0) {
        *why = "the picture is empty (" + sizeText(width, height) + ")";
        return false;
    }
    if (width > kMaxPictureSide || height > kMaxPictureSide ||
        static_cast<long long>(width) * static_cast<long long>(height) > kMaxPicturePixels) {
        *why = "the picture is " + sizeText(width, height) + ", larger than the importer reads (" +
               std::to_string(kMaxPictureSide) + " pixels a side and " +
               sizeText(kMaxPictureAreaSide, kMaxPictureAreaSide) + " in all)";
        return false;
    }
    return true;
}

namespace {

bool anyTransparent(const RgbaImage &image) {
    for (size_t k = 3; k < image.rgba.size(); k += 4)
        if (image.rgba[k] < 255)
            return true;
    return false;
}

// Reads the first frame of path into the wand, upright, in 8-bit sRGB.
bool decodeInto(MagickWand *wand, const std::string &path, std::string *why) {
    // The header alone first, so that a huge picture is refused unread. A
    // "[0]" suffix asks for the first frame and keeps characters such as
    // "%d" in the name from being read as a pattern.
    const std::string first = path + "[0]";
    if (MagickPingImage(wand, first.c_str()) == MagickFalse) {
        // The library says nothing of a picture over its size limit.
        *why = wandError(wand, ("the picture cannot be decoded: it is damaged, or more than " +
                                std::to_string(kMaxPictureSide) + " pixels a side")
                                   .c_str());
        return false;
    }
    if (!withinPictureLimits(MagickGetImageWidth(wand), MagickGetImageHeight(wand), why))
        return false;
    ClearMagickWand(wand);
    // A truncated or damaged file decodes with a warning only, to a picture
    // partly blank: that is refused too.
    if (MagickReadImage(wand, first.c_str()) == MagickFalse ||
        MagickGetExceptionType(wand) == CorruptImageWarning ||
        MagickAutoOrientImage(wand) == MagickFalse ||
        MagickTransformImageColorspace(wand, sRGBColorspace) == MagickFalse) {
        // The header was read above, so a silent failure is in the pixels.
        *why = wandError(wand, "the file is damaged or cut short");
        return false;
    }
    return true;
}

// An HDR picture: its light, and the same at its own exposure in 8 bits.
bool readHdrPicture(const std::string &path, Picture *picture, std::string *why) {
    RgbeImage &light = picture->radiance;
    if (!readRadiance(path, &light, why))
        return false;
    double sumLog = 0.0;
    for (int y = 0; y < light.height; ++y)
        for (int x = 0; x < light.width; ++x)
            sumLog += logLuminance(rgbeAt(light, x, y));
    const double exposure = exposureFor(sumLog / (static_cast<double>(light.width) * light.height));
    picture->image = makeRgbaImage(light.width, light.height);
    unsigned char *out = picture->image.rgba.data();
    for (int y = 0; y < light.height; ++y)
        for (int x = 0; x < light.width; ++x, out += 4) {
            const texlayout::Rgb c = rgbeAt(light, x, y);
            const double channels[4] = {displayed(c.r, exposure), displayed(c.g, exposure),
                                        displayed(c.b, exposure), 1.0};
            std::transform(channels, channels + 4, out, toByte);
        }
    picture->opaque = true;
    return true;
}

} // namespace

bool isHdr(const Picture &picture) { return !picture.radiance.rgbe.empty(); }

bool readPicture(const std::string &path, Picture *picture, std::string *why) {
    if (isRadiancePath(path))
        return readHdrPicture(path, picture, why);
    MagickWand *wand = NewMagickWand();
    bool ok = decodeInto(wand, path, why);
    if (ok) {
        const size_t width = MagickGetImageWidth(wand), height = MagickGetImageHeight(wand);
        picture->image = makeRgbaImage(static_cast<int>(width), static_cast<int>(height));
        ok = MagickExportImagePixels(wand, 0, 0, width, height, "RGBA", CharPixel,
                                     picture->image.rgba.data()) == MagickTrue;
        if (!ok)
            *why = wandError(wand);
        picture->opaque = !anyTransparent(picture->image);
    }
    DestroyMagickWand(wand);
    return ok;
}

Color samplePicture(const RgbaImage &image, double u, double v) {
    const double x = std::clamp(u * image.width - 0.5, 0.0, image.width - 1.0);
    const double y = std::clamp(v * image.height - 0.5, 0.0, image.height - 1.0);
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const size_t dx = x0 + 1 < image.width ? 4 : 0;
    const size_t dy = y0 + 1 < image.height ? static_cast<size_t>(image.width) * 4 : 0;
    const unsigned char *p = &image.rgba[(static_cast<size_t>(y0) * image.width + x0) * 4];
    const double fx = x - x0, fy = y - y0;
    // The weights carry the 1/255 that turns bytes into 0..1.
    constexpr double kByte = 1.0 / 255.0;
    const double w00 = (1 - fx) * (1 - fy) * kByte, w10 = fx * (1 - fy) * kByte, w01 = (1 - fx) * fy * kByte,
                 w11 = fx * fy * kByte;
    double channel[4];
    for (int c = 0; c < 4; ++c)
        channel[c] = w00 * p[c] + w10 * p[dx + c] + w01 * p[dy + c] + w11 * p[dx + dy + c];
    return {channel[0], channel[1], channel[2], channel[3]};
}

bool writePicture(const std::string &path, const RgbaImage &image, std::string *why) {
    MagickWand *wand = NewMagickWand();
    bool ok = MagickConstituteImage(wand, image.width, image.height, "RGBA", CharPixel,
                                    image.rgba.data()) == MagickTrue &&
              MagickWriteImage(wand, path.c_str()) == MagickTrue;
    if (!ok)
        *why = wandError(wand);
    DestroyMagickWand(wand);
    return ok;
}
