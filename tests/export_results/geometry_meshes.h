// Closed solids built by hand through the mesh pools, with a net of their
// own and render triangles, for the geometry export tests: a tetrahedron
// and a cube (each square cut into two triangles).
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "nets/mesh_triangles.h"
#include "tests/nets/net_fixtures.h"

struct HandSolid {
  MeshHolder holder;
  PolyMesh* mesh = holder.mesh;
  int32_t triangles = 0;

  // Adds a face of the solid (corners counter-clockwise seen from outside)
  // and the same face in the net at `netXY`, then its fan of triangles.
  void AddFace(const std::vector<int32_t>& vertices, const std::vector<std::pair<double, double>>& netXY) {
    const int32_t f = mesh->faceCount;
    ASSERT_EQ(holder.Face(vertices), kMeshNoError);
    ASSERT_EQ(mesh->faceCount, f + 1);
    MeshFace& face = mesh->faces[f];
    for (size_t k = 0; k < netXY.size(); ++k) {
      const int32_t p = holder.NetPoint(netXY[k].first, netXY[k].second);
      ASSERT_GE(p, 0);
      face.netPoint[k] = p;
      mesh->renderPoints[p] = RenderPoint{float(netXY[k].first), float(netXY[k].second), 0, 0, 0};
      if (p + 1 > mesh->renderPointCount) mesh->renderPointCount = p + 1;
    }
    face.netPointCount = int32_t(netXY.size());
    face.piece = f;
    face.netFace = f;
    face.rotation = 0;
    mesh->netFaceCount = f + 1;
    for (int32_t k = 1; k + 1 < int32_t(vertices.size()); ++k) {
      ASSERT_TRUE(AppendFaceTriangle(triangles, mesh, f, 0, k, k + 1, 0));
      ++triangles;
    }
    mesh->renderTriangleCount = triangles;
  }

  // A tab triangle on the first face: flagged, so no export may show it.
  void AddTabTriangle() {
    ASSERT_TRUE(AppendFaceTriangle(triangles, mesh, 0, 0, 1, 2, 0));
    mesh->renderTriangles[triangles].extraTriangle = 1;
    mesh->renderTriangleCount = ++triangles;
  }
};

// Corners A(1,1,1), B(1,-1,-1), C(-1,1,-1), D(-1,-1,1).
inline void BuildTetrahedron(HandSolid* s) {
  const int32_t a = s->holder.Vertex(1, 1, 1), b = s->holder.Vertex(1, -1, -1);
  const int32_t c = s->holder.Vertex(-1, 1, -1), d = s->holder.Vertex(-1, -1, 1);
  // The net: a triangle of four, its middle the first face.
  s->AddFace({a, b, c}, {{0.5, 0.866}, {0.25, 0.433}, {0.75, 0.433}});
  s->AddFace({a, d, b}, {{0.5, 0.866}, {0.0, 0.866}, {0.25, 0.433}});
  s->AddFace({a, c, d}, {{0.5, 0.866}, {0.75, 0.433}, {1.0, 0.866}});
  s->AddFace({b, d, c}, {{0.25, 0.433}, {0.5, 0.0}, {0.75, 0.433}});
}

// The unit cube shifted by (2, 3, -1), its net a cross.
inline void BuildShiftedCube(HandSolid* s) {
  for (int32_t i = 0; i < 8; ++i) s->holder.Vertex(2 + (i & 1), 3 + ((i >> 1) & 1), -1 + ((i >> 2) & 1));
  const int32_t squares[6][2] = {{1, 1}, {1, 0}, {1, 2}, {1, 3}, {0, 1}, {2, 1}};
  int32_t k = 0;
  for (const auto& face : CubeFaces()) {
    const double x = squares[k][0] * 0.25, y = squares[k][1] * 0.25;
    s->AddFace(face, {{x, y}, {x + 0.25, y}, {x + 0.25, y + 0.25}, {x, y + 0.25}});
    ++k;
  }
}
