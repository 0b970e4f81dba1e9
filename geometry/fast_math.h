// Scalar operations of the per-pixel path: the fast square root, the
// polynomial arc cosine, the full-turn angle of a plane point, polar
// conversion, and the conversions between a direction on the sphere and the
// equirectangular coordinates (u, v) in 0..1.
//
// Equirectangular layout: u runs around the vertical axis, v from top to
// bottom. v = 0 is (0, 1, 0) (up), v = 1 is (0, -1, 0); u = 0.5 is the forward
// direction (0, 0, 1); u grows toward +x (u = 0.75 is (1, 0, 0)); u = 0 and
// u = 1 meet at (0, 0, -1).
#pragma once

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "geometry/vector.h"

// Square root by the reciprocal-square-root bit estimate and two Newton steps:
// relative error below 5e-6 for normal floats, the result at most one unit in
// the last place above the true root. 0 gives exactly 0; negative inputs give
// 0 and subnormal inputs the library root (the bit estimate is poor there).
inline float FastSqrtf(float x) {
  if (x < FLT_MIN) return x > 0.0f ? std::sqrt(x) : 0.0f;
  const float h = 0.5f * x;
  float y = std::bit_cast<float>(0x5F375A86 - (std::bit_cast<int32_t>(x) >> 1));
  y = y * (1.5f - h * y * y);
  y = y * (1.5f - h * y * y);
  return y * x;
}

// Arc cosine in radians by a cubic polynomial times sqrt(1 - |x|): absolute
// error below 7e-5 over [-1, 1], largest near 0 (FastAcos(0) is 1.5707288).
// Arguments beyond [-1, 1] are clamped to it.
inline float FastAcos(float x) {
  if (x > 1.0f) x = 1.0f;
  if (x < -1.0f) x = -1.0f;
  const float a = x < 0.0f ? -x : x;
  const float poly = ((-0.0187293f * a + 0.074261f) * a - 0.2121144f) * a + 1.5707288f;
  const float r = std::sqrt(1.0f - a) * poly;
  return x < 0.0f ? 3.1415927f - r : r;
}

// atan2(p, q) + pi in [0, 2pi]; the FIRST argument is the numerator. q = 0
// gives 3pi/2 for p > 0 and pi/2 otherwise. The seam lies along p = 0, q < 0:
// p >= 0 (also -0) gives 2pi there, p < 0 approaches 0.
inline float AngleAroundOrigin(float p, float q) {
  if (q == 0.0f) return p > 0.0f ? 4.712389f : 1.5707964f;
  const float a = std::atan(p / q);
  if (q >= 0.0f) return a + 3.1415927f;
  if (p >= 0.0f) return a + 6.2831855f;
  return a;
}

// The counter-clockwise angle of (x, y) from +x in [0, 2pi) and its radius;
// (0, 0) gives angle pi and radius 0.
void PlaneToPolar(float x, float y, float* angle, float* radius);

// x = cos(angle)*radius, y = sin(angle)*radius.
void PolarToPlane(float* x, float* y, float angle, float radius);

// Unit direction to equirectangular (u, w), in single precision with FastAcos.
inline void Vec3fToEquirect(const Vec3f* v, float* u, float* w) {
  float lat = FastAcos(v->y) * 0.31830987f;
  if (std::isnan(lat)) lat = 0.0f;
  *w = lat;
  *u = (std::atan2(v->x, v->z) + 3.1415927f) * 0.15915494f;
}

inline void EquirectToVec3f(float u, float w, Vec3f* out) {
  const float s = std::sin((w - 0.5f) * -3.1415927f);
  const float c = std::sqrt(1.0f - s * s);
  const float a = (u - 0.5f) * 6.2831855f;
  *out = Vec3f{std::sin(a) * c, s, std::cos(a) * c};
}

// Unit direction to equirectangular (u, w) in double. Near the poles
// (|y| > 0.8) the caller's y is clamped into [-1, 1] in place. Returns true
// when u or w is NaN.
bool Vec3dToEquirect(Vec3* v, double* u, double* w);

void EquirectToVec3d(double u, double w, Vec3* out);
