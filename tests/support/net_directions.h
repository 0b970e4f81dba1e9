// Directions on the solid read back from a built net: the net point (x, y)
// inside net face f carried onto the sphere, the angle between two
// directions, and the check that a net is continuous across its folds and
// cuts.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "geometry/vector.h"
#include "nets/net_faces.h"
#include "nets/poly_mesh.h"

// The render triangle of face f that holds net point (x, y) best, with the
// point's barycentric weights there (no inside test: points on an edge
// count); -1 when the face has none.
inline int32_t TriangleOfFaceAt(const PolyMesh* mesh, int32_t f, double x, double y, double w[3]) {
  int32_t best = -1;
  double bestLow = -1e9;
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
  return best;
}

// The direction of a net point inside face f, blended from the corners of
// the face's render triangle that holds it best.
inline Vec3 DirectionInFace(const PolyMesh* mesh, int32_t f, double x, double y) {
  double w[3] = {0, 0, 0};
  const int32_t best = TriangleOfFaceAt(mesh, f, x, y, w);
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

// Every edge of every net face against the same solid edge seen from the
// face on its other side (across a fold or a cut): points a `step` apart
// along it map to directions no more than `tolerance` apart. Counts the
// folds and the cuts met (each edge once from each side). `direction`
// reads the direction of a point of a face (by default from the face's
// corners alone). A solid that is not closed counts its open edges in
// `open`; without it every edge must have a face on its other side.
template <typename DirectionOf = Vec3 (*)(const PolyMesh*, int32_t, double, double)>
inline void ExpectOneDirectionFromBothSides(const PolyMesh* mesh, double step, double tolerance, int32_t* folds,
                                            int32_t* cuts, DirectionOf direction = DirectionInFace,
                                            int32_t* open = nullptr) {
  for (int32_t f = 0; f < mesh->netFaceCount; ++f) {
    const int32_t n = mesh->faces[f].netPointCount;
    for (int32_t k = 0; k < n; ++k) {
      // The same solid edge seen from the other side.
      int32_t p, e;
      FacePieceAndEdge(f, k, &p, &e, mesh);
      const int32_t t = mesh->faces[p].neighbour[e];
      if (open != nullptr && t < 0) {
        ++*open;
        continue;
      }
      int32_t g, c;
      ASSERT_TRUE(NetFaceOfPiece(t, PrevCorner(mesh, t, mesh->faces[p].neighbourEdge[e]), &g, &c, mesh))
          << "face " << f << " edge " << k;
      (mesh->faces[f].netNeighbour[k] >= 0 ? *folds : *cuts)++;
      const RenderPoint& P = mesh->renderPoints[mesh->faces[f].netPoint[k]];
      const RenderPoint& Q = mesh->renderPoints[mesh->faces[f].netPoint[(k + 1) % n]];
      const int32_t m = mesh->faces[g].netPointCount;
      const RenderPoint& G0 = mesh->renderPoints[mesh->faces[g].netPoint[c]];            // Q's corner
      const RenderPoint& G1 = mesh->renderPoints[mesh->faces[g].netPoint[(c + 1) % m]];  // P's corner
      for (double s = 0; s <= 1.0001; s += step) {
        const Vec3 a = direction(mesh, f, P.x + s * (Q.x - P.x), P.y + s * (Q.y - P.y));
        const Vec3 b = direction(mesh, g, G1.x + s * (G0.x - G1.x), G1.y + s * (G0.y - G1.y));
        EXPECT_LT(AngleBetween(a, b), tolerance) << "face " << f << " edge " << k << " at " << s;
      }
    }
  }
}
