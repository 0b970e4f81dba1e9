// The colour code of the direction panorama: each channel spells out one
// component of a unit direction, so a rendered pixel tells which direction
// the output drew there. Kept apart from the test host so that runs through
// other front ends (the command-line program's images) read the same code.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "geometry/fast_math.h"

// Red, green and blue are 127.5 + 120 times x, y and z of the direction.
inline void DirectionColour(const Vec3& v, uint8_t* p) {
  p[0] = uint8_t(std::lround(127.5 + 120 * v.x));
  p[1] = uint8_t(std::lround(127.5 + 120 * v.y));
  p[2] = uint8_t(std::lround(127.5 + 120 * v.z));
}

// The colour of pixel (x, y) of an equirectangular panorama of that code:
// the direction of the pixel's centre.
inline void PanoramaDirectionColour(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t* p) {
  Vec3 v;
  EquirectToVec3d((x + 0.5) / width, (y + 0.5) / height, &v);
  DirectionColour(v, p);
}

// The direction a colour spells out, as it stands: a unit direction within
// the colour's quantisation for a pixel of the picture, another length for
// the backdrop, for pixels blended with it, or for a coarser level of the
// source faded towards grey.
inline void ColourDirection(const uint8_t* p, double* d) {
  for (int k = 0; k < 3; ++k) d[k] = (p[k] - 127.5) / 120;
}

// The angle in degrees between two directions of any length.
inline double DegreesBetween(const double* u, const double* v) {
  double dot = 0, lu = 0, lv = 0;
  for (int k = 0; k < 3; ++k) {
    dot += u[k] * v[k];
    lu += u[k] * u[k];
    lv += v[k] * v[k];
  }
  return std::acos(std::clamp(dot / std::sqrt(lu * lv), -1.0, 1.0)) * 180 / std::numbers::pi;
}

// The angle in degrees between the directions two colours spell out, each
// taken at its own length (a faded colour keeps its direction).
inline double DegreesBetweenColours(const uint8_t* a, const uint8_t* b) {
  double u[3], v[3];
  ColourDirection(a, u);
  ColourDirection(b, v);
  return DegreesBetween(u, v);
}

// The eighth of the sphere a direction lies in: bit 0 for x > 0, 1 for y > 0,
// 2 for z > 0.
inline int32_t OctantOf(const double* d) { return (d[0] > 0 ? 1 : 0) + (d[1] > 0 ? 2 : 0) + (d[2] > 0 ? 4 : 0); }
