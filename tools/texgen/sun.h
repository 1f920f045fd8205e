// The world's sun, found in its light or given by hand.
#ifndef SUN_H
#define SUN_H

#include "paint.h"
#include "texture_layout.h"

#include <functional>
#include <string>

// The world's light along a direction: linear for HDR, 0..1 otherwise.
using LightFn = std::function<Color(texlayout::Dir3)>;

// The sun of a sky with none clear: soft light from straight up, no shadow.
texlayout::SunRecord noClearSun();

// The sun of the world whose light above the horizon `light` gives, sampled
// on cube faces of `side` texels: in an 8-bit sky the centroid of its
// brightest spot, in an HDR sky (`hdr`) that of the light well above the
// rest; noClearSun() where no small spot is clearly brighter than the rest.
texlayout::SunRecord findSun(const LightFn &light, bool hdr, int side);

// The sun along direction d (any length but 0): full shadow, its colour
// that of the light near d.
texlayout::SunRecord sunAlong(const LightFn &light, texlayout::Dir3 d);

// The sun one gives by hand: world/sun.txt holds a direction "x y z",
// perhaps followed by its light "r g b" (each 0..1; else the colour of the
// sky near it), or the word "none" (no clear sun); false, with the reason
// in `why`, otherwise.
constexpr const char *kSunFile = "sun.txt";
bool readSunFile(const std::string &path, const LightFn &light, texlayout::SunRecord *sun, std::string *why);

#endif
