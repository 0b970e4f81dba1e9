// Small hand-built solids and nets for the nets tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/poly_mesh.h"
#include "tests/support/solid_checker.h"

// A zeroed, reset record with owned tables from the global heap; the tables
// are freed when the holder goes.
struct MeshHolder {
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  PolyMesh* mesh = owned.get();

  explicit MeshHolder(bool withTables = true) {
    std::memset(mesh, 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh);
    if (withTables) {
      EXPECT_TRUE(AllocMeshTables(mesh, nullptr, kMaxNetPoints, kMaxMeshFaces));
    }
  }
  ~MeshHolder() { FreeMeshTables(mesh, nullptr); }
  MeshHolder(const MeshHolder&) = delete;
  MeshHolder& operator=(const MeshHolder&) = delete;

  int32_t Vertex(double x, double y, double z) {
    const Vec3 p{x, y, z};
    return FindOrAddVertexDefault(mesh, &p);
  }
  int32_t Face(std::vector<int32_t> corners, uint8_t deferred = 1) {
    return PackAndAddFace(mesh, corners.data(), int32_t(corners.size()), -1, deferred, 0, 0, -1, -1);
  }
  int32_t NetPoint(double x, double y, int32_t layer = 0) {
    const NetPointRecord r{x, y, 0, layer, -1, 0};
    return FindOrAddNetPoint(mesh, &r);
  }
};

// The corners of the unit cube, numbered by their bits (x 1, y 2, z 4).
inline void AddCubeVertices(MeshHolder* h) {
  for (int32_t i = 0; i < 8; ++i) h->Vertex(i & 1, (i >> 1) & 1, (i >> 2) & 1);
}

// The six faces of the unit cube, counter-clockwise seen from outside.
inline const std::vector<std::vector<int32_t>>& CubeFaces() {
  static const std::vector<std::vector<int32_t>> faces = {
      {0, 2, 3, 1},  // z = 0
      {4, 5, 7, 6},  // z = 1
      {0, 1, 5, 4},  // y = 0
      {2, 6, 7, 3},  // y = 1
      {0, 4, 6, 2},  // x = 0
      {1, 3, 7, 5},  // x = 1
  };
  return faces;
}

// The unit cube through the pools, deferred, then the two passes once.
inline void BuildCube(MeshHolder* h) {
  AddCubeVertices(h);
  for (const auto& face : CubeFaces()) EXPECT_EQ(h->Face(face), kMeshNoError);
  ComputeFaceGeometry(h->mesh);
  LayoutNetFaces(h->mesh);
}

// A cross of six unit squares, every square counter-clockwise with y up:
// square 0 in the middle, 1 below it, 2 above it, 3 above 2, 4 left of 0 and
// 5 right of 0. Net face i names solid face i as its piece (only the net side
// is a real net here). 14 net points, 5 inner edges, 14 outline edges.
inline void BuildCubeCrossNet(MeshHolder* h) {
  PolyMesh* m = h->mesh;
  auto point = [h](int32_t x, int32_t y) { return h->NetPoint(x, y); };
  // The squares as (column, row) of their lower-left corner.
  const int32_t squares[6][2] = {{1, 1}, {1, 0}, {1, 2}, {1, 3}, {0, 1}, {2, 1}};
  for (int32_t f = 0; f < 6; ++f) {
    const int32_t x = squares[f][0];
    const int32_t y = squares[f][1];
    MeshFace& face = m->faces[f];
    face.netPoint[0] = point(x, y);
    face.netPoint[1] = point(x + 1, y);
    face.netPoint[2] = point(x + 1, y + 1);
    face.netPoint[3] = point(x, y + 1);
    face.netPointCount = 4;
    face.piece = f;
    face.rotation = 0;
  }
  m->netFaceCount = 6;
  if (m->faceCount < 6) m->faceCount = 6;
}

inline ::testing::AssertionResult IsSoundSolid(const PolyMesh* mesh, const SolidCheckOptions& options = {}) {
  const SolidReport report = CheckSolid(mesh, options);
  if (report.Sound()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << report.Describe();
}
