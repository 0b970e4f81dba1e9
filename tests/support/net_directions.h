// Directions on the solid read back from a built net: the net point (x, y)
// inside net face f carried onto the sphere, and the angle between two
// directions. Tests use these to check that a net is continuous across its
// folds and cuts.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "geometry/vector.h"
#include "nets/net_faces.h"
#include "nets/poly_mesh.h"

// The direction of a net point inside face f, from the face's render
// triangle that holds it best (no inside test: points on an edge count).
inline Vec3 DirectionInFace(const PolyMesh* mesh, int32_t f, double x, double y) {
  int32_t best = -1;
  double bestLow = -1e9, w[3] = {0, 0, 0};
  for (int32_t t = 0; t < mesh->renderTriangleCount; ++t) {
    const RenderTriangle& tri = mesh->renderTriangles[t];
    if (tri.extraTriangle || tri.netFace != f) continue;
    const RenderPoint& p0 = mesh->renderPoints[tri.points[0]];
    const RenderPoint& p1 = mesh->renderPoints[tri.points[1]];
    const RenderPoint& p2 = mesh->renderPoints[tri.points[2]];
    const double area = (double(p1.x) - p0.x) * (double(p2.y) - p0.y) - (double(p1.y) - p0.y) * (double(p2.x) - p0.x);
    const double b0 = ((p1.x - x) * (p2.y - y) - (p2.x - x) * (p1.y - y)) / area;
    const double b1 = ((p2.x - x) * (p0.y - y) - (p0.x - x) * (p2.y - y)) / area;
    const double b2 = 1 - b0 - b1;
    const double low = std::min(b0, std::min(b1, b2));
    if (low > bestLow) {
      bestLow = low;
      best = t;
      w[0] = b0;
      w[1] = b1;
      w[2] = b2;
    }
  }
  Vec3 d{0, 0, 0};
  if (best < 0) return d;
  InterpolateFaceCorners(best, float(w[0]), float(w[1]), float(w[2]), &d, mesh);
  NormalizeVec3d(&d);
  return d;
}

// The angle between two directions (radians), accurate for small angles.
inline double AngleBetween(const Vec3& a, const Vec3& b) {
  const double c = a.x * b.x + a.y * b.y + a.z * b.z;
  const Vec3 x{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  return std::atan2(std::sqrt(x.x * x.x + x.y * x.y + x.z * x.z), c);
}
