// Shared checks of the geometry tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/vector.h"

inline ::testing::AssertionResult Vec3Near(const Vec3& actual, const Vec3& expected, double tolerance) {
  const double dx = actual.x - expected.x, dy = actual.y - expected.y, dz = actual.z - expected.z;
  const double error = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (error <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") vs ("
                                       << expected.x << ", " << expected.y << ", " << expected.z
                                       << "), error " << error;
}

inline ::testing::AssertionResult Vec3fNear(const Vec3f& actual, const Vec3& expected, double tolerance) {
  return Vec3Near(Vec3{actual.x, actual.y, actual.z}, expected, tolerance);
}

inline ::testing::AssertionResult ComplexNear(const Complex& actual, const Complex& expected, double tolerance) {
  const double error = std::hypot(actual.re - expected.re, actual.im - expected.im);
  if (error <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << actual.re << ", " << actual.im << ") vs (" << expected.re << ", "
                                       << expected.im << "), error " << error;
}

inline bool IsFiniteVec3(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The 3x3 block is a proper rotation: orthonormal rows and determinant +1.
inline ::testing::AssertionResult IsRotationBlock(const Matrix4d& M, double tolerance) {
  const double* m = M.m;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const double dot = m[4 * i] * m[4 * j] + m[4 * i + 1] * m[4 * j + 1] + m[4 * i + 2] * m[4 * j + 2];
      if (std::fabs(dot - (i == j ? 1.0 : 0.0)) > tolerance || std::isnan(dot)) {
        return ::testing::AssertionFailure() << "rows " << i << " and " << j << " dot " << dot;
      }
    }
  }
  const double det = m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
                     m[2] * (m[4] * m[9] - m[5] * m[8]);
  if (std::fabs(det - 1.0) > tolerance) return ::testing::AssertionFailure() << "determinant " << det;
  return ::testing::AssertionSuccess();
}

inline Matrix4d ToMatrix4d(const Matrix4f& f) {
  Matrix4d d;
  for (int i = 0; i < 16; ++i) d.m[i] = f.m[i];
  return d;
}

inline Vec3 Unit(Vec3 v) {
  NormalizeVec3d(&v);
  return v;
}
