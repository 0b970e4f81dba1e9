// The catalogue's solids with a ready-made net, loaded as the net build loads
// them: the counts and options the catalogue states, a sound solid behind
// each net, a net that lies flat without overlaps, and a pairing by the face
// matcher that folds the net onto its solid.
#include <gtest/gtest.h>

// Boost.Geometry trips GCC's uninitialised-use warning inside its own code.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <cmath>
#include <map>
#include <string>

#include "nets/face_matching.h"
#include "nets/mesh_adjacency.h"
#include "nets/net_catalogue_tables.h"
#include "tests/nets/net_fixtures.h"
#include "tools/catalogue_net_checks.h"

namespace {

struct NetCase {
  int32_t net;
  int32_t faces;
  std::map<int32_t, int32_t> corners;
  int32_t netPoints;
  int32_t vertices;
};

// As the catalogue states them, but for the net points of nets 73 and 79: a
// net of one piece cut along a tree of edges has 2V - 2 corners (14 for the
// cube, 8 for six triangles on five vertices).
const NetCase kNets[] = {
    {0, 24, {{4, 24}}, 50, 26},
    {1, 26, {{3, 8}, {4, 18}}, 46, 24},
    {2, 32, {{5, 12}, {6, 20}}, 118, 60},
    {3, 32, {{3, 20}, {5, 12}}, 58, 30},
    {4, 38, {{3, 32}, {4, 6}}, 46, 24},
    {5, 60, {{4, 60}}, 122, 62},
    {6, 62, {{3, 20}, {4, 30}, {5, 12}}, 118, 60},
    {7, 14, {{3, 8}, {4, 6}}, 22, 12},
    {8, 30, {{4, 30}}, 62, 32},
    {9, 12, {{5, 12}}, 38, 20},
    {12, 24, {{5, 24}}, 74, 38},
    {17, 20, {{3, 20}}, 22, 12},
    {18, 6, {{4, 6}}, 14, 8},
    {19, 8, {{3, 8}}, 10, 6},
    {23, 20, {{3, 20}}, 22, 12},
    {65, 20, {{3, 20}}, 22, 12},
    {66, 20, {{3, 20}}, 22, 12},
    {67, 8, {{3, 8}}, 10, 6},
    {70, 120, {{3, 120}}, 99, 62},
    {73, 6, {{4, 6}}, 14, 8},
    {79, 6, {{3, 6}}, 8, 5},
    // The dodo's vertex lists name its 110 corners (the catalogue counts 306).
    {20, 72, {{4, 60}, {10, 12}}, 240, 110},
    // The spikeball's vertex lists name its 92 corners (the catalogue counts
    // 193); GID's twelve pieces of eleven faces, each joined along ten edges,
    // have 360 net points (the catalogue counts 408).
    {13, 60, {{5, 60}}, 200, 92},
    {21, 132, {{4, 60}, {5, 72}}, 360, 170},
};

// The record as BuildNet has it after the model: faces cleared, the net
// loaded, then the passes that come before the pairing.
void LoadAndPair(PolyMesh* m, int32_t net, bool* paired) {
  ClearMeshFaces(m);
  ASSERT_TRUE(LoadCatalogueSolidNet(m, net, nullptr));
  BuildNetAdjacency(m, m->faceCount);
  ComputeFaceGeometry(m);
  LayoutNetFaces(m);
  ComputeNetFaceAngles(m);
  *paired = UnfoldMesh(m);
}

class CatalogueNets : public ::testing::TestWithParam<NetCase> {};

TEST_P(CatalogueNets, CountsAreTheCatalogues) {
  const NetCase& c = GetParam();
  MeshHolder h(false);
  bool paired = false;
  LoadAndPair(h.mesh, c.net, &paired);
  const PolyMesh* m = h.mesh;
  EXPECT_EQ(m->netNumber, c.net);
  EXPECT_EQ(m->faceCount, c.faces);
  EXPECT_EQ(m->netFaceCount, c.faces);
  std::map<int32_t, int32_t> netCorners, solidCorners;
  for (int32_t f = 0; f < m->faceCount; ++f) {
    netCorners[m->faces[f].netPointCount] += 1;
    solidCorners[m->faces[f].vertexCount] += 1;
  }
  EXPECT_EQ(netCorners, c.corners);
  EXPECT_EQ(solidCorners, c.corners);
  EXPECT_EQ(m->netPointTotal, c.netPoints);
  EXPECT_EQ(m->renderPointCount, c.netPoints);
  EXPECT_EQ(m->vertexCount, c.vertices);
  for (int32_t p = 0; p < c.netPoints; ++p) EXPECT_EQ(m->netPointUsed[p], 1);
  EXPECT_EQ(m->netPointUsed[c.netPoints], 0);
  EXPECT_EQ(m->tablesOwned, 0);
  EXPECT_EQ(m->modelReady, 1);
}

TEST_P(CatalogueNets, SolidIsSound) {
  MeshHolder h(false);
  bool paired = false;
  LoadAndPair(h.mesh, GetParam().net, &paired);
  SolidCheckOptions options;
  options.planarTolerance = 1e-9;
  options.checkNeighbours = true;
  EXPECT_TRUE(IsSoundSolid(h.mesh, options));
}

// Every two net faces overlap by no area (checked by Boost.Geometry).
TEST_P(CatalogueNets, NetFacesDoNotOverlap) {
  namespace bg = boost::geometry;
  using Point = bg::model::d2::point_xy<double>;
  using Polygon = bg::model::polygon<Point>;
  MeshHolder h(false);
  bool paired = false;
  LoadAndPair(h.mesh, GetParam().net, &paired);
  const PolyMesh* m = h.mesh;
  std::vector<Polygon> polygons(m->netFaceCount);
  double total = 0;
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    for (int32_t k = 0; k < m->faces[f].netPointCount; ++k) {
      double x, y;
      GetNetPointXY(m->faces[f].netPoint[k], m, &x, &y);
      bg::append(polygons[f].outer(), Point(x, y));
    }
    bg::correct(polygons[f]);
    total += bg::area(polygons[f]);
  }
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    for (int32_t g = f + 1; g < m->netFaceCount; ++g) {
      std::vector<Polygon> common;
      bg::intersection(polygons[f], polygons[g], common);
      double area = 0;
      for (const Polygon& p : common) area += bg::area(p);
      EXPECT_LT(area, 1e-9 * total) << "net faces " << f << " and " << g;
    }
  }
}

TEST_P(CatalogueNets, MatcherFoldsTheNetOntoItsSolid) {
  const NetCase& c = GetParam();
  MeshHolder h(false);
  bool paired = false;
  LoadAndPair(h.mesh, c.net, &paired);
  if (c.net == 70) {
    // Net 70's triangles keep their corner roles (centre, corner, edge
    // midpoint), so neighbours run the same way and share no net edge: the
    // directions come from the flat vertex map, which must fold the net.
    EXPECT_FALSE(paired);
    EXPECT_EQ(CheckFlatMapCongruent(h.mesh), "");
    return;
  }
  EXPECT_TRUE(paired);
  EXPECT_EQ(CheckPairingFolds(h.mesh), "");
  // Counter-clockwise like the tetrahedron's net, so that tabs fall outside.
  EXPECT_EQ(CheckNetTurnsCounterClockwise(h.mesh), "");
}

INSTANTIATE_TEST_SUITE_P(All, CatalogueNets, ::testing::ValuesIn(kNets),
                         [](const ::testing::TestParamInfo<NetCase>& info) {
                           return "net" + std::to_string(info.param.net);
                         });

TEST(CatalogueNetOptions, EachNetGetsItsOptions) {
  struct Options {
    int32_t net;
    uint8_t turnHalf, mirrorX, attachOption;
    int32_t regionFromTriangle, noCornerTriangles, centreFace, nestedOutput;
  };
  const Options table[] = {
      {0, 0, 0, 1, 0, 0, -1, -1},  {1, 1, 0, 0, 0, 0, -1, -1},  {2, 1, 0, 0, 0, 0, -1, -1},
      {3, 0, 0, 1, 0, 0, -1, -1},  {4, 0, 0, 1, 0, 0, -1, -1},  {5, 0, 0, 1, 0, 0, -1, -1},
      {6, 0, 0, 1, 0, 0, -1, -1},  {7, 1, 0, 0, 0, 0, -1, -1},  {8, 0, 0, 1, 0, 0, -1, -1},
      {9, 0, 0, 1, 0, 0, -1, -1},  {12, 1, 0, 0, 0, 0, -1, -1}, {17, 0, 0, 0, 0, 0, -1, -1},
      {18, 1, 0, 0, 0, 0, 4, -1},  {19, 1, 0, 0, 0, 0, -1, -1}, {23, 0, 0, 1, 0, 0, -1, -1},
      {65, 0, 0, 0, 1, 0, -1, -1}, {66, 0, 0, 0, 1, 0, -1, -1}, {67, 1, 0, 0, 1, 0, -1, -1},
      {70, 0, 0, 1, 1, 1, -1, 9},  {73, 1, 0, 0, 0, 0, 4, -1},  {79, 1, 0, 0, 0, 0, -1, -1},
      {20, 1, 0, 0, 0, 0, -1, -1}, {13, 1, 0, 0, 0, 0, -1, -1}, {21, 1, 0, 0, 0, 0, -1, -1},
  };
  MeshHolder h(false);
  for (const Options& o : table) {
    ASSERT_TRUE(LoadCatalogueSolidNet(h.mesh, o.net, nullptr)) << o.net;
    const PolyMesh* m = h.mesh;
    EXPECT_EQ(m->turnHalf, o.turnHalf) << o.net;
    EXPECT_EQ(m->mirrorX, o.mirrorX) << o.net;
    EXPECT_EQ(m->attachOption, o.attachOption) << o.net;
    EXPECT_EQ(m->regionFromTriangle, o.regionFromTriangle) << o.net;
    EXPECT_EQ(m->noCornerTriangles, o.noCornerTriangles) << o.net;
    EXPECT_EQ(m->centreFace, o.centreFace) << o.net;
    EXPECT_EQ(m->nestedOutput, o.nestedOutput) << o.net;
    EXPECT_EQ(m->flatVertexMap != nullptr, o.net == 70) << o.net;
    EXPECT_EQ(m->regionTable != nullptr, o.net == 70) << o.net;
    EXPECT_EQ(m->generatedNet, 0) << o.net;
    EXPECT_EQ(m->wideTabs, o.net == 13) << o.net;
    EXPECT_EQ(m->tabPhase, o.net == 21) << o.net;
  }
}

TEST(CatalogueNetTables, SharedSolidsAndTables) {
  const CatalogueNetTables* cube = FindCatalogueNetTables(18);
  const CatalogueNetTables* cross = FindCatalogueNetTables(73);
  ASSERT_TRUE(cube && cross);
  EXPECT_EQ(cube->vertices, cross->vertices);
  EXPECT_EQ(cube->vertexLists, cross->vertexLists);
  EXPECT_NE(cube->netPointLists, cross->netPointLists);
  for (const auto& [a, b] : {std::pair{67, 19}}) {
    const CatalogueNetTables* x = FindCatalogueNetTables(a);
    const CatalogueNetTables* y = FindCatalogueNetTables(b);
    ASSERT_TRUE(x && y);
    EXPECT_EQ(x->netPoints, y->netPoints);
    EXPECT_EQ(x->netPointLists, y->netPointLists);
    EXPECT_EQ(x->vertices, y->vertices);
  }
  // Nets 17, 23 and 66: one icosahedron, three different nets.
  const CatalogueNetTables* icomap = FindCatalogueNetTables(17);
  const CatalogueNetTables* ico = FindCatalogueNetTables(23);
  const CatalogueNetTables* other = FindCatalogueNetTables(66);
  EXPECT_EQ(icomap->vertices, ico->vertices);
  EXPECT_EQ(icomap->vertices, other->vertices);
  EXPECT_NE(icomap->netPointLists, ico->netPointLists);
  EXPECT_NE(ico->netPointLists, other->netPointLists);
  // Net 65: the strip of net 17 cut at another band edge, for the sharks.
  const CatalogueNetTables* shark = FindCatalogueNetTables(65);
  EXPECT_EQ(shark->vertices, icomap->vertices);
  EXPECT_EQ(shark->vertexLists, icomap->vertexLists);
  EXPECT_NE(shark->netPointLists, icomap->netPointLists);
  EXPECT_EQ(FindCatalogueNetTables(16), nullptr);  // the tetrahedron is not among these tables
  EXPECT_EQ(FindCatalogueNetTables(14), nullptr);
}

// The catalogue's tables are never the record's: freeing its tables leaves
// them where they are.
TEST(CatalogueNetTables, FreeingTheRecordLeavesTheTables) {
  MeshHolder h(false);
  ASSERT_TRUE(LoadCatalogueSolidNet(h.mesh, 9, nullptr));
  const double* points = h.mesh->netPoints;
  const double first = points[0];
  FreeMeshTables(h.mesh, nullptr);
  EXPECT_EQ(h.mesh->netPoints, points);
  EXPECT_EQ(FindCatalogueNetTables(9)->netPoints[0], first);
  EXPECT_FALSE(LoadCatalogueSolidNet(h.mesh, 14, nullptr));
  EXPECT_EQ(h.mesh->netNumber, 14);
}

// Net 12 starts from a fixed pair: net face 0's corner 0 is solid face 5's
// corner 3.
TEST(CatalogueNetPairing, Net12StartsFromItsFixedPair) {
  MeshHolder h(false);
  bool paired = false;
  LoadAndPair(h.mesh, 12, &paired);
  ASSERT_TRUE(paired);
  EXPECT_EQ(h.mesh->faces[0].piece, 5);
  EXPECT_EQ(h.mesh->faces[0].rotation, 3);
}

// Net 70: ten triangles per face of net 9, each (centre, corner, edge
// midpoint), in the region of net 9's face; its pentagon corners are net 9's
// points with net 9's directions.
TEST(CatalogueNetPairing, Net70SubdividesNet9) {
  MeshHolder h9(false), h70(false);
  bool paired = false;
  LoadAndPair(h9.mesh, 9, &paired);
  ASSERT_TRUE(paired);
  LoadAndPair(h70.mesh, 70, &paired);
  const PolyMesh* m9 = h9.mesh;
  const PolyMesh* m70 = h70.mesh;
  for (int32_t f = 0; f < 120; ++f) {
    EXPECT_EQ(FaceRegion(f, m70), f / 10);
    const int32_t* p = m70->faces[f].netPoint;
    // Corner roles: the centre is used by ten triangles, a pentagon corner is
    // one of net 9's points, the midpoint is neither.
    EXPECT_EQ(m70->netPointUseCount[p[0]], 10) << f;
    EXPECT_LT(p[1], 38) << f;
    EXPECT_GE(p[2], 38 + 12) << f;
  }
  for (int32_t f = 0; f < 12; ++f) {
    const MeshFace& face = m9->faces[f];
    for (int32_t k = 0; k < 5; ++k) {
      const int32_t p = face.netPoint[k];
      EXPECT_EQ(m70->netPoints[2 * p], m9->netPoints[2 * p]);
      const int32_t v = m9->faces[face.piece].vertex[(face.rotation + k) % 5];
      EXPECT_EQ(m70->flatVertexMap[p], v);
      const Vec3 a = GetMeshVertexCopy(v, m9);
      const Vec3 b = GetMeshVertexCopy(m70->flatVertexMap[p], m70);
      EXPECT_EQ(a.x, b.x);
      EXPECT_EQ(a.y, b.y);
      EXPECT_EQ(a.z, b.z);
    }
  }
}

}  // namespace

namespace {

// The dodo's fixed pairing: net face 6q is solid face 6q unturned, and each
// kite of its piece is the solid kite across the same decagon edge.
TEST(CatalogueNetPairing, DodoPairsItsPiecesFaceForFace) {
  MeshHolder h(false);
  bool paired = false;
  LoadAndPair(h.mesh, 20, &paired);
  ASSERT_TRUE(paired);
  const PolyMesh* m = h.mesh;
  EXPECT_EQ(m->matchFailed, 0);
  for (int32_t f = 0; f < m->faceCount; ++f) {
    EXPECT_EQ(m->faces[f].piece, f) << "net face " << f;
    if (f % 6 == 0) EXPECT_EQ(m->faces[f].rotation, 0) << "net face " << f;
  }
  // The fixed rules hold for their nets only.
  MeshHolder other(false);
  other.mesh->netNumber = 12;
  EXPECT_FALSE(PairFixedNet(other.mesh));
}

// The spikeball's fixed pairing: net face 6q + 5 is piece q's base face;
// each piece is two neighbouring spikes, three faces round each of two tips
// (corners on the unit sphere) a dodecahedron edge apart.
TEST(CatalogueNetPairing, SpikeballPairsTwoSpikesPerPiece) {
  MeshHolder h(false);
  bool paired = false;
  LoadAndPair(h.mesh, 13, &paired);
  ASSERT_TRUE(paired);
  const PolyMesh* m = h.mesh;
  EXPECT_EQ(m->matchFailed, 0);
  const double phi = (1 + std::sqrt(5.0)) / 2;
  const double dodecahedronEdge = 2 / (phi * std::sqrt(3.0));  // circumradius 1
  for (int32_t q = 0; q < 10; ++q) {
    EXPECT_EQ(m->faces[6 * q + 5].piece, kSpikeballBaseFaces[q]);
    std::map<int32_t, int32_t> tips;  // tip vertex -> faces
    for (int32_t f = 6 * q; f < 6 * q + 6; ++f) {
      const MeshFace& solid = m->faces[m->faces[f].piece];
      const Vec3 tip = GetMeshVertexCopy(solid.vertex[4], m);
      EXPECT_NEAR(std::sqrt(tip.x * tip.x + tip.y * tip.y + tip.z * tip.z), 1.0, 1e-12) << "net face " << f;
      tips[solid.vertex[4]] += 1;
    }
    ASSERT_EQ(tips.size(), 2u) << "piece " << q;
    EXPECT_EQ(tips.begin()->second, 3);
    const Vec3 a = GetMeshVertexCopy(tips.begin()->first, m);
    const Vec3 b = GetMeshVertexCopy(tips.rbegin()->first, m);
    EXPECT_NEAR(std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)),
                dodecahedronEdge, 1e-12)
        << "piece " << q;
  }
}

// GID's fixed pairing: net face 11q + 5 is the q-th regular pentagon of the
// solid, unturned; its piece follows across the solid's edges, so that every
// piece holds one regular pentagon, five triangle pieces and five quads.
TEST(CatalogueNetPairing, GidPairsTwelvePiecesRoundRegularPentagons) {
  MeshHolder h(false);
  bool paired = false;
  LoadAndPair(h.mesh, 21, &paired);
  ASSERT_TRUE(paired);
  const PolyMesh* m = h.mesh;
  EXPECT_EQ(m->matchFailed, 0);
  int32_t previous = -1;
  for (int32_t q = 0; q < 12; ++q) {
    const MeshFace& centre = m->faces[11 * q + 5];
    EXPECT_GT(centre.piece, previous);
    previous = centre.piece;
    EXPECT_EQ(centre.rotation, 0);
    const MeshFace& solid = m->faces[centre.piece];
    ASSERT_EQ(solid.vertexCount, 5);
    for (int32_t k = 0; k < 5; ++k) EXPECT_NEAR(solid.cornerAngle[k], 0.6 * M_PI, 1e-6);
    std::map<int32_t, int32_t> corners;
    for (int32_t f = 11 * q; f < 11 * q + 11; ++f) corners[m->faces[f].vertexCount] += 1;
    EXPECT_EQ(corners, (std::map<int32_t, int32_t>{{4, 5}, {5, 6}})) << "piece " << q;
  }
}

}  // namespace
