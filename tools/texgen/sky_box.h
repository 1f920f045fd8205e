// The world's pictures as people have them: the names of a sky box's faces
// in the families people use, a sky box turned by where its edges meet, and
// equirectangular panoramas; from them, the world's light by direction.
#ifndef SKY_BOX_H
#define SKY_BOX_H

#include "picture.h"
#include "render.h"
#include "texture_layout.h"

#include <functional>
#include <string>

// --- names -------------------------------------------------------------------

// The families of sky-box names: px ... nz, posx ... negz, and <name>_rt,
// _lf, _up, _dn, _bk, _ft (rt +X, lf -X, up +Y, dn -Y, bk +Z, ft -Z; the
// prefix may be left out).
constexpr int kSkyFamilies = 3;
// The family and slot of the face a picture's name (lower case, without
// its suffix) gives; false for any other name.
bool skyFaceNamed(const std::string &name, int *family, int *slot);
// The face's name in its family, as messages give it ("ny", "posx", "_dn"),
// and the family as "px ... nz".
std::string skyFaceName(int family, int slot);
std::string skyFamilyText(int family);
// The direction of a slot's face, as "+X" ... "-Z".
std::string skyFaceDirection(int slot);

// Whether a picture of this size is a panorama (2:1, give or take 1%).
bool isPanoramaShape(int width, int height);

// --- the world's light -------------------------------------------------------

// The sky: a panorama, or six faces by slot, each picture stored turned by
// some quarter turns clockwise; where neither is given, the old faces.
struct Sky {
    const Picture *panorama = nullptr;
    const Picture *faces[texlayout::kSlotCount] = {};
    int turns[texlayout::kSlotCount] = {};
    const Cube *old = nullptr;
    double exposure = 1.0;   // what HDR light is multiplied by before it is clipped
};

bool anyHdr(const Sky &sky);
// The sky's light along d: linear for an HDR picture, its 0..1 values for
// any other (opaque).
Color skyLight(const Sky &sky, texlayout::Dir3 d);
// The sky along d as its texture shows it: HDR light at the sky's exposure.
Color skyColor(const Sky &sky, texlayout::Dir3 d);
// The exposure that brings the sky's HDR light to middle grey on average
// (its geometric-mean luminance over the sphere); 1 for an 8-bit sky.
double automaticExposure(const Sky &sky);

// Calls f(direction, solid angle) for the centres of the texels of six cube
// faces of side x side (or of the half above the horizon only).
void forSphereSamples(int side, bool upperOnly, const std::function<void(texlayout::Dir3, double)> &f);

// How a sky box's faces were found to meet: the z pair swapped (a pack made
// for a left-handed world), and the quarter turns of the +Y and -Y pictures.
struct SkyBoxFit {
    bool zSwapped = false;
    int upTurn = 0, downTurn = 0;
};
// Finds, from the colours along the cube's edges, how the sky box's
// pictures meet, and sets the sky so (the -Y picture only with `down`).
// Where no choice is clearly better the faces stay as named, unturned.
SkyBoxFit fitSkyBox(Sky *sky, bool down);

#endif
