// Net 162: the solid whose vertices are net 161's seeds and whose faces are
// the vertices of net 161, with the arcs of net 161's outline as cut edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "nets/net_162.h"
#include "nets/net_catalogue.h"
#include "nets/net_layout.h"
#include "tests/nets/net_fixtures.h"

namespace {

double Distance(const Vec3& a, const Vec3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

struct Net162 {
  MeshHolder h{false};
  Net162() { BuildNet162Model(h.mesh, nullptr); }
};

std::vector<Vec3> CubeArcSeeds() {
  PointNode list;
  InitPointList(&list);
  CurveNetParams params;
  InitCurveNetParams(&params);
  BuildCurveOutline(&list, &params, kCubeArcNet);
  std::vector<Vec3> out;
  for (PointNode* n = list.next; !n->isHead; n = n->next) out.push_back(n->position);
  FreePointList(&list);
  return out;
}

TEST(Net162, ClosesWithNet161sSeedsAsVertices) {
  Net162 net;
  const PolyMesh* m = net.h.mesh;
  EXPECT_EQ(m->errorCode, kMeshNoError);
  EXPECT_EQ(m->faceCount, 314);
  EXPECT_EQ(m->vertexCount, 192);
  SolidCheckOptions options;
  options.planarTolerance = 1e-4;  // four or five seeds on one circle, merged within 0.002
  options.checkNeighbours = true;
  const SolidReport report = CheckSolid(m, options);
  EXPECT_TRUE(report.Sound()) << report.Describe();
  std::map<int32_t, int32_t> corners;
  for (int32_t f = 0; f < m->faceCount; ++f) ++corners[m->faces[f].vertexCount];
  std::printf("faces %d: %d triangles, %d quadrilaterals, %d pentagons; vertices %d; V - E + F %d\n", m->faceCount,
              corners[3], corners[4], corners[5], m->vertexCount, report.Euler());
  // Every vertex is one of net 161's seeds, and every seed is a vertex.
  const std::vector<Vec3> seeds = CubeArcSeeds();
  ASSERT_EQ(seeds.size(), 192u);
  std::set<int32_t> matched;
  for (const Vec3& s : seeds) {
    for (int32_t v = 0; v < m->vertexCount; ++v) {
      if (Distance(s, GetMeshVertexCopy(v, m)) < 1e-12) matched.insert(v);
    }
  }
  EXPECT_EQ(matched.size(), 192u);
}

// Each face is a vertex of net 161, stored as the face's point: its corners
// are the seeds nearest to it, all equally far, and no seed is nearer (the
// empty-circle property, searched over all seeds).
TEST(Net162, FacesAreEmptyCirclesOfTheSeeds) {
  Net162 net;
  const PolyMesh* m = net.h.mesh;
  const std::vector<Vec3> seeds = CubeArcSeeds();
  double worstSpread = 0, worstIntrusion = 0;
  for (int32_t f = 0; f < m->faceCount; ++f) {
    const MeshFace& face = m->faces[f];
    double nearestCorner = 1e9, farthestCorner = 0;
    for (int32_t k = 0; k < face.vertexCount; ++k) {
      const double d = Distance(face.facePoint, GetMeshVertexCopy(face.vertex[k], m));
      nearestCorner = std::min(nearestCorner, d);
      farthestCorner = std::max(farthestCorner, d);
    }
    double nearestSeed = 1e9;
    for (const Vec3& s : seeds) nearestSeed = std::min(nearestSeed, Distance(face.facePoint, s));
    worstSpread = std::max(worstSpread, farthestCorner - nearestCorner);
    worstIntrusion = std::max(worstIntrusion, nearestCorner - nearestSeed);
  }
  std::printf("corner distance spread %.3g, nearest-seed intrusion %.3g\n", worstSpread, worstIntrusion);
  EXPECT_LT(worstSpread, 0.002);  // corners of net 161 merged within 0.002
  EXPECT_LT(worstIntrusion, 1e-9);
}

// The twelve arcs of sixteen steps each cut the net: every cut edge joins
// two seeds next to each other on an arc, every arc starts and ends once.
TEST(Net162, OutlineArcsAreCutEdges) {
  Net162 net;
  const PolyMesh* m = net.h.mesh;
  int32_t cuts = 0, starts = 0, ends = 0, startMarks = 0;
  for (int32_t f = 0; f < m->faceCount; ++f) {
    const MeshFace& face = m->faces[f];
    const int32_t n = face.vertexCount;
    startMarks += face.startMark;
    for (int32_t k = 0; k < n; ++k) {
      const int32_t flags = face.edgeFlags[k];
      if (flags & kEdgeCut) {
        ++cuts;
        const Vec3 a = GetMeshVertexCopy(face.vertex[k], m);
        const Vec3 b = GetMeshVertexCopy(face.vertex[(k + 1) % n], m);
        EXPECT_LT(Distance(a, b), 0.2);
      }
      if (flags & kEdgeCurveStart) {
        ++starts;
        EXPECT_TRUE(face.edgeFlags[(k + n - 1) % n] & kEdgeTriedLast);
      }
      if (flags & kEdgeCurveEnd) ++ends;
    }
  }
  EXPECT_EQ(cuts, 12 * 16);
  EXPECT_EQ(starts, 12);
  EXPECT_EQ(ends, 12);
  EXPECT_EQ(startMarks, 12);
  EXPECT_EQ(m->preferMarkedStart, 1);
  EXPECT_EQ(m->pieceMerge, 1);
  EXPECT_EQ(m->maxPieceFaces, 48);
  EXPECT_EQ(m->recursiveAttach, 1);
}

// Rings: outward whichever way they were walked; more than ten corners
// become a fan; fewer than three distinct vertices give nothing.
TEST(Net162, RingFaces) {
  struct Case {
    int32_t corners;
    bool clockwise;
    int32_t faces;
  };
  const Case cases[] = {{5, false, 1}, {5, true, 1}, {10, true, 1}, {12, false, 10}, {12, true, 10}};
  for (const Case& c : cases) {
    MeshHolder h;
    PointNode ring;
    InitPointList(&ring);
    const Vec3 centre{0, 0, 1};
    for (int32_t i = 0; i < c.corners; ++i) {
      const double a = (c.clockwise ? -1 : 1) * 2 * 3.141592653589793 * i / c.corners;
      Vec3 p{0.2 * std::cos(a), 0.2 * std::sin(a), 1};
      AddPointUnlessNear(&p, &ring, i, 0.002);
    }
    IndexPointsAsVertices(&ring, h.mesh);
    AddRingFaces(&ring, &centre, h.mesh);
    FreePointList(&ring);
    ASSERT_EQ(h.mesh->faceCount, c.faces) << c.corners;
    for (int32_t f = 0; f < h.mesh->faceCount; ++f) {
      const MeshFace& face = h.mesh->faces[f];
      const Vec3 a = GetMeshVertexCopy(face.vertex[0], h.mesh);
      const Vec3 b = GetMeshVertexCopy(face.vertex[1], h.mesh);
      const Vec3 d = GetMeshVertexCopy(face.vertex[2], h.mesh);
      const double z = (b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x);
      EXPECT_GT(z, 0) << "face " << f << " of a ring of " << c.corners;
      EXPECT_EQ(face.faceTag, kRingFaceTag);
    }
  }
  MeshHolder h;
  PointNode ring;
  InitPointList(&ring);
  const Vec3 p{0, 0, 1}, q{0.1, 0, 1};
  AddPointUnlessNear(&p, &ring, 0, 0.002);
  AddPointUnlessNear(&q, &ring, 1, 0.002);
  IndexPointsAsVertices(&ring, h.mesh);
  AddRingFaces(&ring, &p, h.mesh);
  FreePointList(&ring);
  EXPECT_EQ(h.mesh->faceCount, 0);
}

}  // namespace

namespace {

// A cube whose bottom face is cut free unfolds into two pieces; the small
// piece then gets one of its cut edges cleared and the cube unfolds whole.
TEST(Net162, SmallPiecesAreReattached) {
  MeshHolder h;
  BuildCube(&h);
  PolyMesh* m = h.mesh;
  m->generatedNet = 1;
  m->modelReady = 1;
  m->maxPieceFaces = 1;
  m->pieceMerge = 1;
  for (int32_t k = 0; k < 4; ++k) {
    MarkCutEdge(m, 0, k);
    const int32_t g = m->faces[0].neighbour[k];
    ASSERT_GE(g, 0);
    MarkCutEdge(m, g, (m->faces[0].neighbourEdge[k] + 3) % 4);
  }
  FinishNet(m);
  ASSERT_EQ(m->maxNetGroup, 2);
  MergeSmallPieces(m);
  EXPECT_EQ(m->maxNetGroup, 1);
  int32_t cut = 0;
  for (int32_t f = 0; f < 6; ++f) {
    for (int32_t k = 0; k < 4; ++k) cut += (m->faces[f].edgeFlags[k] & kEdgeCut) != 0;
  }
  EXPECT_EQ(cut, 6);  // one of the four edges, on both sides, is joined again
  int32_t placed = 0;
  for (int32_t f = 0; f < m->netFaceCount; ++f) placed += m->faces[f].piece >= 0;
  EXPECT_EQ(placed, 6);
}

}  // namespace
