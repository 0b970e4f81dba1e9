// Unfolding solids into nets: one piece for a cube, cut edges respected,
// the passes of the groups, and the overlap test's geometry.
#include <gtest/gtest.h>

#include "nets/net_build.h"
#include "nets/net_layout.h"
#include "nets/unfold.h"
#include "tests/nets/net_fixtures.h"
#include "tests/nets_geometry/net_oracle.h"

namespace {

void SetAllGroups(PolyMesh* mesh, int32_t group) {
  for (int32_t f = 0; f < mesh->faceCount; ++f) mesh->faces[f].group = uint16_t(group);
}

// Cuts solid edge k of face f on both of its sides.
void CutBothSides(PolyMesh* mesh, int32_t f, int32_t k) {
  MarkCutEdge(mesh, f, k);
  const int32_t g = mesh->faces[f].neighbour[k];
  MarkCutEdge(mesh, g, PrevCorner(mesh, g, mesh->faces[f].neighbourEdge[k]));
}

}  // namespace

TEST(Unfold, CubeUnfoldsIntoOnePieceOfCongruentFacesThatDoNotOverlap) {
  for (int32_t group : {0, 65535}) {  // generators leave most faces in group -1
    MeshHolder h;
    BuildCube(&h);
    SetAllGroups(h.mesh, group);
    FinishNet(h.mesh);
    EXPECT_EQ(h.mesh->netFaceCount, 6) << group;
    EXPECT_EQ(CountPieces(h.mesh), 1);
    EXPECT_EQ(h.mesh->maxNetGroup, 1);
    EXPECT_TRUE(FacesCongruent(h.mesh));
    EXPECT_TRUE(NoFacesOverlap(h.mesh));
    EXPECT_EQ(h.mesh->errorCode, kMeshNoError);
    for (int32_t s = 0; s < 6; ++s) EXPECT_EQ(h.mesh->faces[h.mesh->faces[s].netFace].piece, s);
  }
}

TEST(Unfold, CutEdgesAreNeverCrossedSoTheNetSplits) {
  MeshHolder h;
  BuildCube(&h);
  // Face 1 (z = 1) cut off on all four sides: a second pass lays it alone.
  for (int32_t k = 0; k < 4; ++k) CutBothSides(h.mesh, 1, k);
  FinishNet(h.mesh);
  EXPECT_EQ(h.mesh->netFaceCount, 6);
  EXPECT_EQ(CountPieces(h.mesh), 2);
  EXPECT_EQ(h.mesh->maxNetGroup, 2);
  EXPECT_EQ(h.mesh->faces[h.mesh->faces[1].netFace].netGroup, 2);
  EXPECT_TRUE(FacesCongruent(h.mesh));
  // The pieces stand side by side: nothing overlaps across layers either.
  EXPECT_TRUE(NoFacesOverlap(h.mesh));
}

TEST(Unfold, GroupUnfoldingLaysEachGroupInItsOwnPass) {
  MeshHolder h;
  BuildCube(&h);
  const int32_t groups[6] = {1, 2, 1, 1, 2, 1};
  for (int32_t f = 0; f < 6; ++f) h.mesh->faces[f].group = uint16_t(groups[f]);
  h.mesh->groupUnfold = 1;
  FinishNet(h.mesh);
  EXPECT_EQ(h.mesh->netFaceCount, 6);
  EXPECT_EQ(h.mesh->maxNetGroup, 2);
  for (int32_t s = 0; s < 6; ++s) EXPECT_EQ(h.mesh->faces[h.mesh->faces[s].netFace].netGroup, groups[s]) << s;
  EXPECT_EQ(h.mesh->groupFaceCounts[1], 4);
  EXPECT_EQ(h.mesh->groupFaceCounts[2], 2);
  EXPECT_TRUE(NoFacesOverlap(h.mesh));
}

TEST(Unfold, PassesBeyondTheLastGroupSlotAreRefused) {
  MeshHolder h;
  BuildCube(&h);
  EXPECT_FALSE(UnfoldFromStartFace(h.mesh, kNetGroupCount));
  EXPECT_EQ(h.mesh->errorCode, kMeshGroupOutOfRange);
}

TEST(Unfold, TetrahedronNetPairsEveryFaceWithACongruentSolidFace) {
  PolyMesh* mesh = new PolyMesh();
  ResetPolyMesh(mesh);
  FitNetToOutput(mesh, 0.5f, 0.0f);
  EXPECT_EQ(BuildNet(mesh, 16, kBuildNet, kFitToBox, 0, nullptr, true), 4);
  EXPECT_EQ(mesh->netFaceCount, 4);
  EXPECT_EQ(mesh->matchFailed, 0);
  EXPECT_EQ(CountPieces(mesh), 1);
  EXPECT_TRUE(FacesCongruent(mesh, 2e-3));  // the net points carry four decimals
  EXPECT_TRUE(NoFacesOverlap(mesh));
  EXPECT_TRUE(NoFacesOverlap(mesh, true));
  // Every solid face is reached once.
  bool seen[4] = {};
  for (int32_t f = 0; f < 4; ++f) {
    ASSERT_GE(mesh->faces[f].piece, 0);
    EXPECT_FALSE(seen[mesh->faces[f].piece]);
    seen[mesh->faces[f].piece] = true;
  }
  delete mesh;
}

TEST(UnfoldGeometry, SegmentCrossingCodes) {
  struct Case {
    const char* what;
    double a[2], b[2], c[2], d[2];
    int32_t code;
  };
  const Case cases[] = {
      {"proper crossing", {0, 0}, {2, 2}, {0, 2}, {2, 0}, kSegmentsCross},
      {"touch at an end", {0, 0}, {1, 1}, {1, 1}, {2, 0}, kSegmentsMeetOutside},
      {"lines cross beyond the segments", {0, 0}, {1, 0}, {2, -1}, {2, 1}, kSegmentsMeetOutside},
      {"parallel", {0, 0}, {1, 0}, {0, 1}, {1, 1}, kSegmentsParallel},
      {"collinear apart", {0, 0}, {1, 0}, {2, 0}, {3, 0}, kSegmentsCollinearApart},
      {"collinear overlapping", {0, 0}, {2, 0}, {1, 0}, {3, 0}, kSegmentsCollinearOverlap},
      // Small segments are judged by their angle, not by an absolute area.
      {"tiny proper crossing", {0, 0}, {0.002, 0.002}, {0, 0.002}, {0.002, 0}, kSegmentsCross},
      {"tiny parallel", {0, 0}, {0.001, 0}, {0, 0.0005}, {0.001, 0.0005}, kSegmentsParallel},
  };
  for (const Case& c : cases) {
    double point[2], fraction = 0;
    EXPECT_EQ(SegmentCrossing(c.a, c.b, c.c, c.d, point, &fraction), c.code) << c.what;
  }
}

TEST(UnfoldGeometry, OverlapCountsSharedAreaIncludingCoincidentFaces) {
  MeshHolder h;
  BuildCubeCrossNet(&h);
  FlatFace flat;
  // The same square again: no edge crosses another, yet it overlaps.
  LoadFlatNetFace(&flat, 0, h.mesh);
  EXPECT_TRUE(FaceOverlapsPlaced(&flat, 0, h.mesh, -1, -1));
  // A small square inside square 0.
  FlatFace inner = flat;
  for (int32_t k = 0; k < 4; ++k) {
    inner.corners[k].x = 1.5 + 0.25 * ((k == 1 || k == 2) ? 1 : -1);
    inner.corners[k].y = 1.5 + 0.25 * (k >= 2 ? 1 : -1);
  }
  EXPECT_TRUE(FaceOverlapsPlaced(&inner, 0, h.mesh, -1, -1));
  // Square 0 moved one to the right is square 5: it shares only an edge with 0.
  FlatFace right = flat;
  for (int32_t k = 0; k < 4; ++k) right.corners[k].x += 1;
  EXPECT_FALSE(FaceOverlapsPlaced(&right, 0, h.mesh, -1, -1));
  // Half a square over: overlaps.
  FlatFace half = flat;
  for (int32_t k = 0; k < 4; ++k) half.corners[k].x += 0.5;
  EXPECT_TRUE(FaceOverlapsPlaced(&half, 0, h.mesh, -1, -1));
  // With the overlap test off nothing counts.
  h.mesh->skipOverlapTest = 1;
  EXPECT_FALSE(OverlapsAnyPlaced(&flat, h.mesh, -1, -1));
}

TEST(UnfoldGeometry, AlignedFaceSharesThePlacedEdge) {
  MeshHolder h;
  BuildCube(&h);
  FinishNet(h.mesh);
  // Along every inner edge of the net the two faces meet point for point.
  for (int32_t f = 0; f < h.mesh->netFaceCount; ++f) {
    for (int32_t k = 0; k < 4; ++k) {
      const int32_t g = h.mesh->faces[f].netNeighbour[k];
      if (g < 0) continue;
      const int32_t j = h.mesh->faces[f].netNeighbourEdge[k];
      // The neighbour's matching edge ends at its corner j.
      EXPECT_EQ(h.mesh->faces[f].netPoint[k], h.mesh->faces[g].netPoint[j]);
      EXPECT_EQ(h.mesh->faces[f].netPoint[(k + 1) % 4], h.mesh->faces[g].netPoint[(j + 3) % 4]);
    }
  }
}
