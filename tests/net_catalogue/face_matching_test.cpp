// Pairing a ready-made net with its solid from the shapes and adjacency only.
#include <gtest/gtest.h>

#include <algorithm>

#include "nets/catalogue_solids.h"
#include "nets/face_matching.h"
#include "tests/nets/net_fixtures.h"
#include "tools/catalogue_net_checks.h"

namespace {

// The cube of the fixtures with the cross net of unit squares, the net faces
// in the given order and each list started at the given corner; the pieces
// are cleared so that the matcher has to find them.
void BuildShuffledCube(MeshHolder* h, const int32_t order[6], const int32_t turn[6]) {
  BuildCube(h);
  PolyMesh* m = h->mesh;
  BuildCubeCrossNet(h);
  MeshFace copies[6];
  for (int32_t f = 0; f < 6; ++f) copies[f] = m->faces[f];
  for (int32_t f = 0; f < 6; ++f) {
    const MeshFace& from = copies[order[f]];
    for (int32_t k = 0; k < 4; ++k) m->faces[f].netPoint[k] = from.netPoint[(k + turn[f]) % 4];
    m->faces[f].piece = -1;
    m->faces[f].rotation = -1;
  }
  std::fill(std::begin(m->netPointUseCount), std::end(m->netPointUseCount), 0);
  BuildNetAdjacency(m, 6);
  ComputeNetFaceAngles(m);
}

TEST(FaceMatching, ShuffledCubeNetFoldsOntoTheCube) {
  const int32_t orders[][6] = {{0, 1, 2, 3, 4, 5}, {5, 3, 1, 0, 2, 4}, {2, 4, 0, 5, 1, 3}};
  const int32_t turns[][6] = {{0, 0, 0, 0, 0, 0}, {1, 2, 3, 0, 1, 2}, {3, 3, 1, 2, 0, 1}};
  for (int32_t c = 0; c < 3; ++c) {
    MeshHolder h;
    BuildShuffledCube(&h, orders[c], turns[c]);
    EXPECT_TRUE(UnfoldMesh(h.mesh)) << "case " << c;
    EXPECT_EQ(CheckPairingFolds(h.mesh), "") << "case " << c;
  }
}

TEST(FaceMatching, FirstFaceWithoutNetNeighbourEndsTheSearch) {
  MeshHolder h;
  const int32_t order[6] = {0, 1, 2, 3, 4, 5};
  const int32_t turn[6] = {0, 0, 0, 0, 0, 0};
  BuildShuffledCube(&h, order, turn);
  // Face 0 loses its neighbours: a net point of its own on every corner.
  for (int32_t k = 0; k < 4; ++k) h.mesh->faces[0].netPoint[k] = h.NetPoint(10 + k, 10 + (k & 1), 7);
  for (int32_t f = 0; f < 6; ++f)
    for (int32_t k = 0; k < kMaxFaceCorners; ++k) h.mesh->faces[f].netNeighbour[k] = -1;
  BuildNetAdjacency(h.mesh, 6);
  EXPECT_FALSE(UnfoldMesh(h.mesh));
  for (int32_t f = 0; f < 6; ++f) EXPECT_EQ(h.mesh->faces[f].piece, -1);
}

TEST(FaceMatching, DisagreeingShapesArePairedAndFlagged) {
  MeshHolder h;
  const int32_t order[6] = {0, 1, 2, 3, 4, 5};
  const int32_t turn[6] = {0, 0, 0, 0, 0, 0};
  BuildShuffledCube(&h, order, turn);
  // One net face is drawn as a rhombus: its corners are no longer square.
  for (int32_t k = 0; k < 4; ++k) h.mesh->faces[5].netCornerAngle[k] = (k & 1) ? 2.0f : 1.14159f;
  EXPECT_TRUE(UnfoldMesh(h.mesh));
  EXPECT_EQ(h.mesh->matchFailed, 1);
  for (int32_t f = 0; f < 6; ++f) EXPECT_GE(h.mesh->faces[f].piece, 0);
}

TEST(FaceMatching, PairNetFaceTurnsTheCorners) {
  MeshHolder h;
  const int32_t order[6] = {0, 1, 2, 3, 4, 5};
  const int32_t turn[6] = {0, 0, 0, 0, 0, 0};
  BuildShuffledCube(&h, order, turn);
  // Net corner 1 onto solid corner 3 of a square: rotation 2; net corner 3
  // is then solid corner 1.
  PairNetFace(2, 1, 4, 3, h.mesh);
  EXPECT_EQ(h.mesh->faces[2].piece, 4);
  EXPECT_EQ(h.mesh->faces[2].rotation, 2);
  EXPECT_EQ(h.mesh->matchFailed, 0);
  // A square against a missing solid face is no pairing and flags the net.
  PairNetFace(3, 0, -1, 0, h.mesh);
  EXPECT_EQ(h.mesh->faces[3].piece, -1);
  EXPECT_EQ(h.mesh->matchFailed, 1);
}

TEST(FaceMatching, GeneratedNetsKeepTheirPairing) {
  MeshHolder h;
  const int32_t order[6] = {0, 1, 2, 3, 4, 5};
  const int32_t turn[6] = {0, 0, 0, 0, 0, 0};
  BuildShuffledCube(&h, order, turn);
  h.mesh->generatedNet = 1;
  EXPECT_TRUE(UnfoldMesh(h.mesh));
  for (int32_t f = 0; f < 6; ++f) EXPECT_EQ(h.mesh->faces[f].piece, -1);
}

}  // namespace
