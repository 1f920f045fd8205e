// The camera state and the arithmetic of the navigation keys.
//
// The keyboard callback wraps cameraKey() with its output and redisplay;
// keeping the arithmetic apart lets it be checked without a window.
#ifndef CAMERA_H
#define CAMERA_H

#include "Vector3.h"

extern Vector3 eye;   // camera position
extern Vector3 la;    // look-at point, always 2 units from eye
extern Vector3 up;    // up vector, always (0, 1, 0)
extern float theta;   // azimuth in degrees: 90 looks along +X, 0 along +Z
extern float phi;     // elevation in degrees above the horizontal plane

// Step length of one move key, in world units.
extern const float delta;
// The tilt limit: the float just below 90 (bit pattern 0x42B3FFFC).
extern const float tiltLimit;

// Puts the camera at its start: eye (-4, 0.5, 0.5) looking at the
// building's centre, theta 90, phi 0.
void resetCamera();

// Applies one key (w, s, a, d, q, e, r, f; anything else only re-aims) and
// then rebuilds la from theta and phi and resets up.
void cameraKey(unsigned char key);

// Rebuilds la from eye, theta and phi.
void aimCamera();

// The projection's aspect ratio for a window of w x h pixels. A window of
// height 0 (minimised) counts as height 1, so the ratio stays finite.
float viewAspect(int w, int h);

#endif
