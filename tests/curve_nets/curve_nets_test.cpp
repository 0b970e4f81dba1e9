// Curve nets: the seed outlines, the cells checked against a brute-force
// nearest-seed search over the outline's seeds, and the solids they close
// into.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <tuple>
#include <vector>

#include "nets/curve_nets.h"
#include "tests/nets/net_fixtures.h"

namespace {

struct Seeds {
  PointNode head;
  PointNode edges;
  CurveNetParams params;
  explicit Seeds(int32_t net, bool withEdges = false) {
    InitPointList(&head);
    InitPointList(&edges);
    InitCurveNetParams(&params);
    if (withEdges) params.edgeList = &edges;
    BuildCurveOutline(&head, &params, net);
  }
  ~Seeds() {
    FreePointList(&head);
    FreePointList(&edges);
  }
  Seeds(const Seeds&) = delete;
  Seeds& operator=(const Seeds&) = delete;
  std::vector<Vec3> Positions() const {
    std::vector<Vec3> out;
    for (PointNode* n = head.next; !n->isHead; n = n->next) out.push_back(n->position);
    return out;
  }
};

double Distance(const Vec3& a, const Vec3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Seeds after merging the outline's nearby points; the counts before merging
// are the curves' own (curvy cube 240, baseball 160, triskelion fat at most
// 384).
struct SeedCountCase {
  int32_t net;
  int32_t seeds;
};
const SeedCountCase kSeedCounts[] = {
    {151, 140}, {152, 210}, {153, 234}, {154, 158}, {155, 98},  {156, 370},
    {157, 235}, {158, 265}, {159, 235}, {160, 235}, {161, 192},
};

TEST(CurveNetOutlines, SeedCountsPerNet) {
  std::printf("net  seeds\n");
  for (const SeedCountCase& c : kSeedCounts) {
    Seeds seeds(c.net);
    std::printf("%3d  %5d\n", c.net, PointListCount(&seeds.head));
    EXPECT_EQ(PointListCount(&seeds.head), c.seeds) << "net " << c.net;
    EXPECT_EQ(seeds.params.indexMode, 1) << "net " << c.net;
    // Every seed on the unit sphere, none within the merge tolerance of another.
    const std::vector<Vec3> p = seeds.Positions();
    for (size_t i = 0; i < p.size(); ++i) {
      EXPECT_NEAR(Distance(p[i], Vec3{0, 0, 0}), 1.0, 1e-12) << "net " << c.net;
      for (size_t j = 0; j < i; ++j) {
        ASSERT_GE(Distance(p[i], p[j]), seeds.params.mergeTolerance) << "net " << c.net;
      }
    }
  }
}

TEST(CurveNetOutlines, ParametersEachOutlineSets) {
  struct Case {
    int32_t net;
    int32_t apexMode;
    uint8_t clipStraight;
    double relax;
    double mergeTolerance;
    double cellTolerance;
  };
  const Case cases[] = {
      {151, 2, 1, 0.0, 0.002, 1e-5},  {152, 2, 1, 1.0, 0.0002, 1e-5}, {153, 0, 0, 0.0, 0.0002, 1e-5},
      {154, 0, 1, 0.0, 0.002, 1e-5},  {155, 2, 0, 0.0, 0.002, 1e-5},  {156, 0, 1, 0.0, 0.001, 1e-5},
      {159, 0, 1, 0.0, 0.002, 1e-4},  {160, 0, 1, 0.0, 0.002, 1e-5},  {161, 0, 0, 0.0, 0.002, 1e-5},
  };
  for (const Case& c : cases) {
    Seeds seeds(c.net);
    EXPECT_EQ(seeds.params.apexMode, c.apexMode) << c.net;
    EXPECT_EQ(seeds.params.clipStraight, c.clipStraight) << c.net;
    EXPECT_EQ(seeds.params.relax, c.relax) << c.net;
    EXPECT_EQ(seeds.params.mergeTolerance, c.mergeTolerance) << c.net;
    EXPECT_EQ(seeds.params.cellTolerance, c.cellTolerance) << c.net;
  }
  Seeds cubeArcs(161);
  EXPECT_EQ(cubeArcs.params.outlineBits, 1514);
  EXPECT_EQ(cubeArcs.params.keepFlag, 0);
}

TEST(CurveNetOutlines, NumbersOutsideTheCurveNetsGiveNothing) {
  for (const int32_t net : {0, 150, 162, 163}) {
    Seeds seeds(net);
    EXPECT_TRUE(IsPointListEmpty(&seeds.head)) << net;
    MeshHolder h(false);
    BuildCurveNet(h.mesh, nullptr, net);
    EXPECT_EQ(h.mesh->faceCount, 0) << net;
  }
}

TEST(CurveNetOutlines, NearbyPointsGiveOneSeed) {
  PointNode list;
  InitPointList(&list);
  const Vec3 a{0, 0, 1};
  const Vec3 b{0.0015, 0, 1};  // within 0.002 of a
  const Vec3 c{0.0025, 0, 1};  // beyond it
  EXPECT_NE(AddPointUnlessNear(&a, &list, 7, 0.002), nullptr);
  EXPECT_EQ(AddPointUnlessNear(&b, &list, 8, 0.002), nullptr);
  PointNode* third = AddPointUnlessNear(&c, &list, 9, 0.002);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->index, 9);
  EXPECT_EQ(PointListCount(&list), 2);
  FreePointList(&list);
}

// The cube arcs draw twelve arcs of sixteen steps, each step an edge record
// between two seeds of the list, the first and last of each arc marked.
TEST(CurveNetOutlines, CubeArcEdgeRecords) {
  Seeds seeds(kCubeArcNet, true);
  std::set<const PointNode*> members;
  for (PointNode* n = seeds.head.next; !n->isHead; n = n->next) members.insert(n);
  int32_t firsts = 0, lasts = 0, records = 0;
  for (PointNode* e = seeds.edges.next; !e->isHead; e = e->next) {
    ++records;
    firsts += e->edgeFirst;
    lasts += e->edgeLast;
    EXPECT_TRUE(members.count(e->parentA) == 1 && members.count(e->parentB) == 1);
    EXPECT_NE(e->parentA, e->parentB);
    // Consecutive points of an arc: a sixteenth of a third of a turn about a
    // corner, on a circle of radius sqrt(1/3) before the tilt; never far apart.
    EXPECT_LT(Distance(e->parentA->position, e->parentB->position), 0.2);
  }
  EXPECT_EQ(records, 12 * 16);
  EXPECT_EQ(firsts, 12);
  EXPECT_EQ(lasts, 12);
}

// --- cells ---------------------------------------------------------------------

// Independent of the cell builder: every mesh vertex is a cell corner, so
// its nearest seeds (searched over the whole outline) are at least three and
// equally far, and the seeds of the faces that meet there are among them.
// Every face lies in its own seed's cell: its centre is no farther from its
// seed than from any other. The tolerance is the merge distance of corners.
struct VoronoiReport {
  double worstCornerSpread = 0;   // nearest-three distance spread at a corner
  double worstOwnSeedExcess = 0;  // how much farther a face's seed is than the nearest
  double worstFaceExcess = 0;
  int32_t cornersWithFewSeeds = 0;
};

VoronoiReport CheckVoronoi(const PolyMesh* mesh, const std::vector<Vec3>& seeds) {
  VoronoiReport r;
  std::vector<std::set<int32_t>> seedsAtVertex(mesh->vertexCount);
  auto seedIndexOf = [&](const Vec3& p) {
    for (size_t i = 0; i < seeds.size(); ++i) {
      if (seeds[i].x == p.x && seeds[i].y == p.y && seeds[i].z == p.z) return int32_t(i);
    }
    return -1;
  };
  for (int32_t f = 0; f < mesh->faceCount; ++f) {
    const MeshFace& face = mesh->faces[f];
    const int32_t own = seedIndexOf(face.facePoint);
    EXPECT_GE(own, 0) << "face " << f << " names no seed";
    if (own < 0) continue;
    Vec3 centre{0, 0, 0};
    for (int32_t k = 0; k < face.vertexCount; ++k) {
      seedsAtVertex[face.vertex[k]].insert(own);
      const Vec3 p = GetMeshVertexCopy(face.vertex[k], mesh);
      centre = Vec3{centre.x + p.x / face.vertexCount, centre.y + p.y / face.vertexCount,
                    centre.z + p.z / face.vertexCount};
    }
    double nearest = 1e9;
    for (const Vec3& s : seeds) nearest = std::min(nearest, Distance(centre, s));
    r.worstFaceExcess = std::max(r.worstFaceExcess, Distance(centre, seeds[own]) - nearest);
  }
  for (int32_t v = 0; v < mesh->vertexCount; ++v) {
    if (seedsAtVertex[v].empty()) continue;
    const Vec3 p = GetMeshVertexCopy(v, mesh);
    std::vector<double> d;
    for (const Vec3& s : seeds) d.push_back(Distance(p, s));
    std::vector<double> sorted = d;
    std::sort(sorted.begin(), sorted.end());
    r.worstCornerSpread = std::max(r.worstCornerSpread, sorted[2] - sorted[0]);
    for (const int32_t s : seedsAtVertex[v]) r.worstOwnSeedExcess = std::max(r.worstOwnSeedExcess, d[s] - sorted[0]);
    if (seedsAtVertex[v].size() < 3) ++r.cornersWithFewSeeds;
  }
  return r;
}

TEST(CurveNetCells, EveryCornerIsEquidistantFromItsSeedsAndNoSeedIsNearer) {
  std::printf("net  faces  vertices  corner spread  own-seed excess  face excess\n");
  for (const SeedCountCase& c : kSeedCounts) {
    Seeds seeds(c.net);
    MeshHolder h(false);
    BuildCurveNet(h.mesh, nullptr, c.net);
    const VoronoiReport r = CheckVoronoi(h.mesh, seeds.Positions());
    std::printf("%3d  %5d  %8d  %13.2e  %15.2e  %11.2e\n", c.net, h.mesh->faceCount, h.mesh->vertexCount,
                r.worstCornerSpread, r.worstOwnSeedExcess, r.worstFaceExcess);
    // Corners of different cells merge within the merge tolerance (twice, at
    // most, through the cell and the vertex pool).
    const double tolerance = 2.5 * seeds.params.mergeTolerance;
    EXPECT_LE(r.worstCornerSpread, tolerance) << "net " << c.net;
    EXPECT_LE(r.worstOwnSeedExcess, tolerance) << "net " << c.net;
    EXPECT_LE(r.worstFaceExcess, tolerance) << "net " << c.net;
    EXPECT_EQ(r.cornersWithFewSeeds, 0) << "net " << c.net;
  }
}

TEST(CurveNetCells, EveryNetClosesIntoASolid) {
  for (const SeedCountCase& c : kSeedCounts) {
    MeshHolder h(false);
    BuildCurveNet(h.mesh, nullptr, c.net);
    EXPECT_EQ(h.mesh->errorCode, kMeshNoError) << "net " << c.net;
    SolidCheckOptions options;
    options.checkNeighbours = true;
    EXPECT_TRUE(IsSoundSolid(h.mesh, options)) << "net " << c.net;
    // Every seed owns faces; the cut-edge style follows the index mode.
    Seeds seeds(c.net);
    std::set<std::tuple<double, double, double>> owners;
    for (int32_t f = 0; f < h.mesh->faceCount; ++f) {
      const Vec3& p = h.mesh->faces[f].facePoint;
      owners.insert({p.x, p.y, p.z});
    }
    EXPECT_EQ(int32_t(owners.size()), c.seeds) << "net " << c.net;
    EXPECT_EQ(h.mesh->curveNetStyle, 1) << "net " << c.net;
  }
}

// The six axis points: their cells are the faces of a cube whose corners,
// in each seed's tangent plane, are (+-1, +-1, +-1). The cells of (0, 0, +-1)
// lie about the z axis and are ordered about y.
TEST(CurveNetCells, AxisSeedsGiveTheCube) {
  PointNode seeds;
  InitPointList(&seeds);
  const Vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (int32_t i = 0; i < 6; ++i) AddPointUnlessNear(&axes[i], &seeds, i, 0.002);
  MeshHolder h;
  CurveNetParams params;
  InitCurveNetParams(&params);
  BuildCellsOfSeeds(&seeds, h.mesh, &params);
  FreePointList(&seeds);
  ComputeFaceGeometry(h.mesh);
  LayoutNetFaces(h.mesh);
  EXPECT_EQ(h.mesh->faceCount, 12);
  ASSERT_EQ(h.mesh->vertexCount, 8);
  for (int32_t v = 0; v < 8; ++v) {
    const Vec3 p = GetMeshVertexCopy(v, h.mesh);
    EXPECT_NEAR(std::fabs(p.x), 1.0, 1e-12);
    EXPECT_NEAR(std::fabs(p.y), 1.0, 1e-12);
    EXPECT_NEAR(std::fabs(p.z), 1.0, 1e-12);
  }
  const SolidReport report = CheckSolid(h.mesh);
  EXPECT_TRUE(report.Sound()) << report.Describe();
  EXPECT_NEAR(report.volume, 8.0, 1e-9);
}

// With index mode 2 each seed's index becomes the order its cell was built
// in: the first seed of the list goes first (all tie at priority 0), and a
// seed that already borders a built cell goes before one that does not.
TEST(CurveNetCells, BuildOrderFollowsPriorityThenListOrder) {
  PointNode seeds;
  InitPointList(&seeds);
  const Vec3 axes[6] = {{0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}};
  PointNode* nodes[6];
  for (int32_t i = 0; i < 6; ++i) nodes[i] = AddPointUnlessNear(&axes[i], &seeds, 100 + i, 0.002);
  MeshHolder h;
  CurveNetParams params;
  InitCurveNetParams(&params);
  params.indexMode = 2;
  BuildCellsOfSeeds(&seeds, h.mesh, &params);
  EXPECT_EQ(nodes[0]->index, 1);  // first in the list
  // The opposite seed borders no built cell, so a neighbour of the first goes next.
  EXPECT_NE(nodes[5]->index, 2);
  std::set<int32_t> order;
  for (PointNode* n : nodes) order.insert(n->index);
  EXPECT_EQ(order, (std::set<int32_t>{1, 2, 3, 4, 5, 6}));
  FreePointList(&seeds);
}

// Seeds so close that their cells' corners fall within the merge distance
// of each other still close: the gap they leave is filled from the nearest
// seed.
TEST(CurveNetCells, ClusteredSeedsStillClose) {
  PointNode seeds;
  InitPointList(&seeds);
  const Vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (int32_t i = 0; i < 6; ++i) AddPointUnlessNear(&axes[i], &seeds, i, 0.0001);
  for (int32_t i = 0; i < 12; ++i) {
    const double a = i * 0.5235987755982988;
    Vec3 p{0.003 * std::cos(a) * (1 + 0.3 * (i % 3)), 0.003 * std::sin(a) * (1 + 0.3 * (i % 3)), 1};
    NormalizeVec3d(&p);
    AddPointUnlessNear(&p, &seeds, 10 + i, 0.0001);
  }
  MeshHolder h;
  CurveNetParams params;
  InitCurveNetParams(&params);
  params.mergeTolerance = 0.001;
  BuildCellsOfSeeds(&seeds, h.mesh, &params);
  CloseCellGaps(h.mesh, &seeds);
  FreePointList(&seeds);
  ComputeFaceGeometry(h.mesh);
  LayoutNetFaces(h.mesh);
  EXPECT_TRUE(IsSoundSolid(h.mesh));
}

}  // namespace
