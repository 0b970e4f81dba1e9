// Value-returning vector helpers for building solids in doubles, where
// expressions read more plainly than the out-parameter forms of the render.
#pragma once

#include <cmath>

#include "geometry/vector.h"

namespace solid_vectors {

inline Vec3 Add(const Vec3& a, const Vec3& b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 Sub(const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 Scale(const Vec3& a, double s) { return Vec3{a.x * s, a.y * s, a.z * s}; }
inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
// a scaled to length 1; the zero vector stays as it is.
inline Vec3 Unit(const Vec3& a) {
  const double l = Length(a);
  return l > 0 ? Scale(a, 1.0 / l) : a;
}

}  // namespace solid_vectors
