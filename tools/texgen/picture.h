// Reading one's own pictures, in any format ImageMagick reads, and sampling
// them. A decoding failure is reported to the caller as a reason.
#ifndef PICTURE_H
#define PICTURE_H

#include "hdr.h"
#include "paint.h"
#include "tga_write.h"

#include <string>

// The largest picture the importer reads: pixels a side and pixels in all.
// The side is ImageMagick's own limit as Debian sets it (16KP in its
// policy.xml), past which its PNG reader fails without a word.
constexpr int kMaxPictureSide = 16000;
constexpr long long kMaxPictureAreaSide = 8192;   // pixels in all: its square
constexpr long long kMaxPicturePixels = kMaxPictureAreaSide * kMaxPictureAreaSide;

// "W x H", as messages give a size.
std::string sizeText(long long width, long long height);
// Whether a picture of this size is read; if not, why not.
bool withinPictureLimits(size_t width, size_t height, std::string *why);

// Starts and ends the decoding library; `scratch` receives its temporary
// files, so that they go with the import's staging folder.
void startPictureReading(const std::string &scratch);
void endPictureReading();

// A decoded picture: RGBA, first row on top, turned upright by its own
// orientation tag; `opaque` when no pixel is even partly transparent. An
// HDR picture also keeps its light in `radiance`; its `image` is that light
// at the exposure its own pixels give.
struct Picture {
    RgbaImage image;
    bool opaque = true;
    RgbeImage radiance;
};
bool isHdr(const Picture &picture);

// Decodes the picture at path; on failure false, with the reason in `why`.
bool readPicture(const std::string &path, Picture *picture, std::string *why);

// The picture's colour at (u, v), u = 0..1 to the right and v = 0..1
// downwards, filtered between the four nearest pixels; coordinates outside
// take the nearest edge.
Color samplePicture(const RgbaImage &image, double u, double v);


// Writes the image (first row on top) as a picture in the format that the
// path's suffix names; false, with the reason in `why`, on failure.
bool writePicture(const std::string &path, const RgbaImage &image, std::string *why);

#endif
