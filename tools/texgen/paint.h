// Colours, shapes and deterministic noise for the procedural textures.
#ifndef PAINT_H
#define PAINT_H

#include <algorithm>
#include <cstdint>

constexpr double kPi = 3.14159265358979323846;

struct Color {
    double r, g, b, a;
};

constexpr Color rgb(double r, double g, double b) { return {r, g, b, 1.0}; }

// The small ones are inline: the texture tool calls them for every texel.
inline double clamp01(double x) { return std::min(1.0, std::max(0.0, x)); }
double smoothstep(double edge0, double edge1, double x);
double mixd(double a, double b, double k);
// Linear blend of all four channels: a at k = 0, b at k = 1.
Color mix(Color a, Color b, double k);
// Scales the colour channels, leaving alpha.
Color shade(Color c, double k);
// Channel-wise sum and scaling of all four channels (for averages).
inline Color add(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a}; }
inline Color scaled(Color c, double k) { return {c.r * k, c.g * k, c.b * k, c.a * k}; }
// Paints `top` over `base` with coverage k (0..1), keeping top's alpha
// blended in as well.
Color over(Color base, Color top, double k);

// Integer hash of a lattice point and a seed, uniform in [0, 1).
double hash01(int x, int y, int seed);
// Smooth value noise in [0, 1] and its fractal sum (octaves halve in size).
double valueNoise(double x, double y, int seed);
double fbm(double x, double y, int seed, int octaves);

// Coverage (0..1) of the axis-aligned box [x0,x1]x[y0,y1] at (x, y), with a
// soft edge `aa` wide so that shapes do not alias.
double boxCover(double x, double y, double x0, double y0, double x1, double y1, double aa);
// Coverage of a disc of radius r around (cx, cy), soft edge `aa` wide.
double discCover(double x, double y, double cx, double cy, double r, double aa);
// Distance from (x, y) to the border of the box, negative inside.
double boxDistance(double x, double y, double x0, double y0, double x1, double y1);

#endif
