// The vertex, net-point and face pools of the mesh record.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "nets/mesh_triangles.h"
#include "net_fixtures.h"

namespace {

// Two points a given distance apart along a slanted direction merge only when
// strictly closer than the tolerance.
TEST(MeshPools, VerticesMergeStrictlyWithinTheTolerance) {
  struct Case {
    const char* what;
    double distance;
    double tolerance;
    bool merged;
  };
  const Case cases[] = {
      {"same point", 0, 0.002, true},
      {"just inside the default tolerance", 0.0019999, 0.002, true},
      {"just outside the default tolerance", 0.0020001, 0.002, false},
      {"far apart", 1.0, 0.002, false},
      {"inside a wide tolerance", 0.3, 0.5, true},
      {"zero tolerance keeps even equal points apart", 0, 0, false},
  };
  const Vec3 direction{0.48, 0.6, 0.64};  // unit length
  for (const Case& c : cases) {
    MeshHolder h;
    const Vec3 a{1, 2, 3};
    const Vec3 b{1 + c.distance * direction.x, 2 + c.distance * direction.y, 3 + c.distance * direction.z};
    int32_t added = -1;
    EXPECT_EQ(FindOrAddVertex(h.mesh, &a, c.tolerance, &added), 0) << c.what;
    EXPECT_EQ(added, 1) << c.what;
    const int32_t second = FindOrAddVertex(h.mesh, &b, c.tolerance, &added);
    EXPECT_EQ(second, c.merged ? 0 : 1) << c.what;
    EXPECT_EQ(added, c.merged ? 0 : 1) << c.what;
    EXPECT_EQ(h.mesh->vertexCount, c.merged ? 1 : 2) << c.what;
    // The search alone finds b where it was stored; nothing lies strictly within a zero tolerance.
    EXPECT_EQ(FindVertexNear(h.mesh, &b, c.tolerance), c.merged ? 0 : (c.tolerance > 0 ? 1 : -1)) << c.what;
    // The stored point is the first one, unchanged and not normalised.
    const Vec3 stored = GetMeshVertexCopy(0, h.mesh);
    EXPECT_EQ(stored.x, 1);
    EXPECT_EQ(stored.z, 3);
  }
}

// Net points merge by distance only on the same layer; the curve nets use a
// much finer tolerance.
TEST(MeshPools, NetPointsMergeByDistanceAndLayer) {
  struct Case {
    const char* what;
    int32_t net;
    double dx;
    int32_t layer;
    bool merged;
  };
  const Case cases[] = {
      {"same place, same layer", 16, 0, 0, true},
      {"just inside 0.002", 16, 0.0019, 0, true},
      {"just outside 0.002", 16, 0.00201, 0, false},
      {"same place, other layer", 16, 0, 1, false},
      {"curve net: 0.001 apart is apart", 155, 0.001, 0, false},
      {"curve net: 5e-7 apart merges", 155, 5e-7, 0, true},
  };
  for (const Case& c : cases) {
    MeshHolder h;
    h.mesh->netNumber = c.net;
    const int32_t first = h.NetPoint(0.25, 0.5, 0);
    const int32_t second = h.NetPoint(0.25 + c.dx, 0.5, c.layer);
    EXPECT_EQ(first, 0) << c.what;
    EXPECT_EQ(second == first, c.merged) << c.what;
    EXPECT_EQ(h.mesh->netPointLayer[second], c.layer) << c.what;
  }
}

// A new net point takes the first free slot from the cursor on, wrapping past
// the end; the cursor stays on the slot taken.
TEST(MeshPools, NetPointsFillFreeSlotsFromTheCursor) {
  MeshHolder h;
  h.mesh->netPointCursor = kMaxNetPoints - 2;
  h.mesh->netPointUsed[kMaxNetPoints - 1] = 1;  // taken by someone else, far away
  EXPECT_EQ(h.NetPoint(1, 1), kMaxNetPoints - 2);
  EXPECT_EQ(h.NetPoint(2, 2), 0);  // wrapped past the used last slot
  EXPECT_EQ(h.mesh->netPointCursor, 0);
  NetPointRecord r;
  GetNetPoint(0, &r, h.mesh);
  EXPECT_EQ(r.x, 2);
  EXPECT_EQ(r.index, 0);
  EXPECT_EQ(r.used, 1);
  EXPECT_EQ(HighestUsedNetPoint(h.mesh), kMaxNetPoints - 1);
}

// Faces a record cannot take. Each code is returned and kept in the record's
// error word; the pools stay as they were and the record takes good faces
// afterwards.
TEST(MeshPools, RefusedFacesLeaveTheRecordUsable) {
  struct Case {
    const char* what;
    std::vector<int32_t> corners;
    uint8_t deferred;
    int32_t code;
  };
  const Case cases[] = {
      {"two corners", {0, 1}, 1, kMeshRepeatedVertex},
      {"one corner", {0}, 1, kMeshRepeatedVertex},
      {"no corners", {}, 1, kMeshRepeatedVertex},
      {"neighbouring corners equal", {0, 1, 1, 2}, 1, kMeshRepeatedVertex},
      {"last corner equals the first", {0, 1, 2, 0}, 1, kMeshRepeatedVertex},
      {"a corner twice, apart", {0, 1, 0, 2}, 1, kMeshRepeatedVertex},
      {"a corner of no vertex", {0, -1, 2}, 1, kMeshRepeatedVertex},
      {"a corner past the pool", {0, 1, 12}, 1, kMeshRepeatedVertex},
      {"eleven corners", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 1, kMeshTooManyCorners},
      {"the first face again", {0, 1, 2}, 0, kMeshFaceExists},
      {"the first face rotated", {2, 0, 1}, 0, kMeshFaceExists},
      {"the first face reversed", {2, 1, 0}, 0, kMeshFaceExists},
      {"reversed and rotated", {1, 0, 2}, 0, kMeshFaceExists},
  };
  for (const Case& c : cases) {
    MeshHolder h;
    for (int32_t i = 0; i < 11; ++i) h.Vertex(i, i * i, 0);
    ASSERT_EQ(h.Face({0, 1, 2}), kMeshNoError);
    const int32_t result = h.Face(c.corners, c.deferred);
    EXPECT_EQ(result, c.code) << c.what;
    EXPECT_EQ(h.mesh->errorCode, c.code) << c.what;
    EXPECT_EQ(h.mesh->faceCount, 1) << c.what;
    // Usable afterwards; a later success does not clear the code.
    EXPECT_EQ(h.Face({3, 4, 5}), kMeshNoError) << c.what;
    EXPECT_EQ(h.mesh->faceCount, 2) << c.what;
    EXPECT_EQ(h.mesh->errorCode, c.code) << c.what;
  }
}

// The same cycle is a duplicate only when the test is asked for; a face on
// other vertices or with another corner count is not.
TEST(MeshPools, DuplicateTestOnlyForFacesNotDeferred) {
  MeshHolder h;
  for (int32_t i = 0; i < 5; ++i) h.Vertex(i, 0, i * i);
  ASSERT_EQ(h.Face({0, 1, 2, 3}), kMeshNoError);
  EXPECT_EQ(h.Face({1, 2, 3, 0}, 1), kMeshNoError);  // deferred: taken as it is
  EXPECT_EQ(h.Face({0, 1, 2}, 0), kMeshNoError);     // a sub-cycle is another face
  EXPECT_EQ(h.Face({0, 1, 2, 4}, 0), kMeshNoError);
  EXPECT_EQ(h.Face({0, 3, 2, 1}, 0), kMeshFaceExists);
  EXPECT_EQ(h.mesh->faceCount, 4);
}

// Every full pool: the call that does not fit adds nothing and sets its code.
TEST(MeshPools, FullPoolsRefuseWithTheirCodes) {
  {
    MeshHolder h;
    for (int32_t i = 0; i < kMaxMeshVertices; ++i) ASSERT_EQ(h.Vertex(i, 0, 0), i);
    const Vec3 extra{-5, 0, 0};
    int32_t added = 7;
    EXPECT_EQ(FindOrAddVertex(h.mesh, &extra, 0.002, &added), -1);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(h.mesh->errorCode, kMeshVerticesFull);
    EXPECT_EQ(h.mesh->vertexCount, kMaxMeshVertices);
    EXPECT_EQ(GetMeshVertexCopy(kMaxMeshVertices - 1, h.mesh).x, kMaxMeshVertices - 1);
    EXPECT_EQ(h.Vertex(17, 0, 0), 17);  // an existing point is still found
  }
  {
    MeshHolder h;
    for (int32_t i = 0; i < kMaxNetPoints; ++i) ASSERT_EQ(h.NetPoint(i, 0), i);
    EXPECT_EQ(h.NetPoint(-1, -1), -1);
    EXPECT_EQ(h.mesh->errorCode, kMeshNetPointsFull);
    EXPECT_EQ(h.NetPoint(3, 0), 3);
  }
  {
    MeshHolder h;
    for (int32_t i = 0; i < 3 * kMaxMeshFaces / 2; ++i) h.Vertex(i, 1, 0);
    for (int32_t f = 0; f < kMaxMeshFaces; ++f) ASSERT_EQ(h.Face({f, f + 1, f + 2}), kMeshNoError) << f;
    EXPECT_EQ(h.Face({0, 2, 4}), kMeshFacesFull);
    EXPECT_EQ(h.mesh->faceCount, kMaxMeshFaces);
    EXPECT_EQ(h.mesh->errorCode, kMeshFacesFull);
  }
}

// A record without owned tables (or with catalogue tables) never has its
// tables written: the pools answer "full".
TEST(MeshPools, RecordWithoutOwnedTablesRefusesNewPoints) {
  MeshHolder h(false);
  const Vec3 p{1, 0, 0};
  EXPECT_EQ(FindOrAddVertexDefault(h.mesh, &p), -1);
  EXPECT_EQ(h.mesh->errorCode, kMeshVerticesFull);
  EXPECT_EQ(h.NetPoint(0, 0), -1);
  EXPECT_EQ(h.mesh->errorCode, kMeshNetPointsFull);
  const int32_t corners[3] = {0, 1, 2};
  EXPECT_EQ(PackAndAddFace(h.mesh, corners, 3, -1, 1, 0, 0, -1, -1), kMeshRepeatedVertex);

  static const double catalogue[6] = {0, 0, 0, 1, 1, 1};
  h.mesh->vertices = catalogue;
  h.mesh->vertexCount = 2;
  const Vec3 near{1, 1, 1.0001};
  EXPECT_EQ(FindOrAddVertexDefault(h.mesh, &near), 1);  // found, read only
  SetMeshVertex(h.mesh, 0, &p);
  EXPECT_EQ(catalogue[0], 0);
}

// What PackAndAddFace stores with a face: cut edges, group, tag, opposite
// vertex; the request's count is kept as given.
TEST(MeshPools, FaceRequestFieldsAreStored) {
  MeshHolder h;
  for (int32_t i = 0; i < 5; ++i) h.Vertex(i, i % 2, i / 2);
  const int32_t list[5] = {0, 1, 2, 3, 4};  // four corners and the opposite vertex
  EXPECT_EQ(PackAndAddFace(h.mesh, list, 4, 1, 1, 1, 300, 12, 77), kMeshNoError);
  const MeshFace& f = h.mesh->faces[0];
  EXPECT_EQ(f.vertexCount, 4);
  EXPECT_EQ(f.edgeFlags[1], kEdgeCut);
  EXPECT_EQ(f.edgeFlags[0], 0);
  EXPECT_EQ(f.group, 300);
  EXPECT_EQ(f.faceTag, 77);
  EXPECT_EQ(f.oppositeVertex, 4);
  EXPECT_EQ(f.oppositeNetPoint, -1);
  EXPECT_EQ(f.netGroup, 0);
  for (int32_t k = 0; k < kMaxFaceCorners; ++k) EXPECT_EQ(f.neighbour[k], -1);
  EXPECT_EQ(f.vertex[4], -1);

  // An opposite vertex that is one of the corners is no opposite vertex.
  const int32_t onFace[4] = {1, 2, 3, 1};
  EXPECT_EQ(PackAndAddFace(h.mesh, onFace, 3, -1, 1, 1, -1, 3, -1), kMeshNoError);
  EXPECT_EQ(h.mesh->faces[1].oppositeVertex, -1);
  EXPECT_EQ(h.mesh->faces[1].edgeFlags[3], kEdgeCut);
  EXPECT_EQ(h.mesh->faces[1].group, 65535);

  FaceRequest request;
  InitFaceRequest(&request);
  EXPECT_EQ(request.cutEdgeA, -1);
  EXPECT_EQ(request.group, -1);
  EXPECT_EQ(request.faceTag, -1);
  EXPECT_EQ(request.vertices, nullptr);
}

TEST(MeshPools, VertexEditsAndIndexQueries) {
  MeshHolder h;
  BuildCube(&h);
  const Vec3 shift{10, 20, 30};
  OffsetMeshVertices(h.mesh, &shift);
  EXPECT_EQ(GetMeshVertexCopy(7, h.mesh).z, 31);
  EXPECT_EQ(GetMeshVertexCopy(0, h.mesh).x, 10);
  const Vec3 moved{-1, -2, -3};
  SetMeshVertex(h.mesh, 3, &moved);
  double x, y, z;
  GetMeshVertex(3, h.mesh, &x, &y, &z);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(z, -3);
  EXPECT_EQ(MaxFaceVertexIndex(h.mesh), 7);

  BuildCubeCrossNet(&h);
  EXPECT_EQ(MaxNetPointIndex(h.mesh), 13);
  EXPECT_EQ(HighestUsedNetPoint(h.mesh), 13);

  NetPointRecord r{0.5, 0.25, 9, 2, 99, 0};
  PutNetPoint(20, &r, h.mesh);
  NetPointRecord back;
  GetNetPoint(20, &back, h.mesh);
  EXPECT_EQ(back.x, 0.5);
  EXPECT_EQ(back.tag, 9);
  EXPECT_EQ(back.layer, 2);
  EXPECT_EQ(back.index, 20);
  EXPECT_EQ(back.used, 1);
  PutNetPoint(-1, &r, h.mesh);  // ignored

  MeshHolder empty;
  EXPECT_EQ(MaxFaceVertexIndex(empty.mesh), -1);
  EXPECT_EQ(MaxNetPointIndex(empty.mesh), -1);
  EXPECT_EQ(HighestUsedNetPoint(empty.mesh), 0);
}

TEST(MeshPools, TriangleFaceCorner) {
  MeshHolder h;
  BuildCube(&h);
  BuildCubeCrossNet(&h);
  ASSERT_TRUE(AppendFaceTriangle(0, h.mesh, 2, 0, 2, 3, 0));
  h.mesh->renderTriangleCount = 1;
  int32_t face, position;
  TriangleFaceCorner(h.mesh, 0, 1, &face, &position);
  EXPECT_EQ(face, 2);
  EXPECT_EQ(position, 2);
  h.mesh->renderTriangles[0].netFace = -1;
  TriangleFaceCorner(h.mesh, 0, 1, &face, &position);
  EXPECT_EQ(face, -1);
  EXPECT_EQ(position, -1);
  TriangleFaceCorner(nullptr, 0, 1, &face, &position);
  EXPECT_EQ(face, -1);
}

}  // namespace
