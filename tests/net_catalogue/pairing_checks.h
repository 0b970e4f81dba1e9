// Checks of a net paired with its solid (piece and rotation of each net
// face), independent of how the pairing was found: every solid face is the
// piece of exactly one net face; every net point stands for one solid vertex
// wherever it is used (so the net folds); every net edge is as long as its
// solid edge and every net corner angle equals its solid corner's (the faces
// are congruent); and net faces that share an edge have pieces that share the
// matching solid edge.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "nets/poly_mesh.h"

inline ::testing::AssertionResult PairingIsAFolding(const PolyMesh* m, double lengthTolerance = 1e-6) {
  std::map<int32_t, int32_t> vertexOfPoint;
  std::vector<int32_t> uses(m->faceCount, 0);
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    const MeshFace& face = m->faces[f];
    const int32_t s = face.piece;
    if (s < 0 || s >= m->faceCount) return ::testing::AssertionFailure() << "net face " << f << " has no piece";
    uses[s] += 1;
    const int32_t n = face.netPointCount;
    if (n != m->faces[s].vertexCount)
      return ::testing::AssertionFailure() << "net face " << f << " and solid face " << s << " differ in corners";
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = face.netPoint[k];
      const int32_t v = m->faces[s].vertex[(face.rotation + k) % n];
      auto [it, fresh] = vertexOfPoint.emplace(p, v);
      if (!fresh && it->second != v)
        return ::testing::AssertionFailure() << "net point " << p << " stands for vertices " << it->second << " and " << v;
      // Edge k against the solid edge it folds to.
      double x0, y0, x1, y1;
      GetNetPointXY(p, m, &x0, &y0);
      GetNetPointXY(face.netPoint[(k + 1) % n], m, &x1, &y1);
      const Vec3 a = GetMeshVertexCopy(v, m);
      const Vec3 b = GetMeshVertexCopy(m->faces[s].vertex[(face.rotation + k + 1) % n], m);
      const double netLength = std::hypot(x1 - x0, y1 - y0);
      const double solidLength = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
      if (std::fabs(netLength - solidLength) > lengthTolerance)
        return ::testing::AssertionFailure() << "net face " << f << " edge " << k << " is " << netLength
                                             << " long, its solid edge " << solidLength;
      const float netAngle = face.netCornerAngle[k];
      const float solidAngle = m->faces[s].cornerAngle[(face.rotation + k) % n];
      if (std::fabs(netAngle - solidAngle) > 1e-4f)
        return ::testing::AssertionFailure() << "net face " << f << " corner " << k << " angle " << netAngle
                                             << ", solid " << solidAngle;
      // A shared net edge is a shared solid edge.
      const int32_t g = face.netNeighbour[k];
      if (g >= 0) {
        const int32_t e = (face.rotation + k) % n;
        if (m->faces[s].neighbour[e] != m->faces[g].piece)
          return ::testing::AssertionFailure() << "net faces " << f << " and " << g << " meet, their pieces do not";
      }
    }
  }
  for (int32_t s = 0; s < m->faceCount; ++s)
    if (uses[s] != 1) return ::testing::AssertionFailure() << "solid face " << s << " is the piece of " << uses[s] << " net faces";
  if (m->matchFailed) return ::testing::AssertionFailure() << "matchFailed is set";
  return ::testing::AssertionSuccess();
}
