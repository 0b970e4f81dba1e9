// The solids from closed-form coordinates: sound closed polyhedra with the
// counts, face shapes and orientations the catalogue's nets need.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "nets/catalogue_solids.h"
#include "tests/nets/net_fixtures.h"

namespace {

struct SolidCase {
  const char* name;
  int32_t vertices;
  int32_t faces;
  std::map<int32_t, int32_t> cornerCounts;  // corners -> faces
  double edge;           // every edge this long and every face regular; 0: not so
  double shortestEdge;   // for the others
};

const double kTetraEdge = 2 * std::sqrt(2.0);

const SolidCase kCases[] = {
    {"tetrahedron", 4, 4, {{3, 4}}, kTetraEdge, kTetraEdge},
    {"cube", 8, 6, {{4, 6}}, 1, 1},
    {"octahedron", 6, 8, {{3, 8}}, 1, 1},
    {"dodecahedron", 20, 12, {{5, 12}}, 1, 1},
    {"icosahedron", 12, 20, {{3, 20}}, 1, 1},
    {"cuboctahedron", 12, 14, {{3, 8}, {4, 6}}, 1, 1},
    {"rhombicuboctahedron", 24, 26, {{3, 8}, {4, 18}}, 1, 1},
    {"snub cube", 24, 38, {{3, 32}, {4, 6}}, 1, 1},
    {"truncated icosahedron", 60, 32, {{5, 12}, {6, 20}}, 1, 1},
    {"icosidodecahedron", 30, 32, {{3, 20}, {5, 12}}, 1, 1},
    {"rhombicosidodecahedron", 60, 62, {{3, 20}, {4, 30}, {5, 12}}, 1, 1},
    {"deltoidal icositetrahedron", 26, 24, {{4, 24}}, 0, 1},
    {"pentagonal icositetrahedron", 38, 24, {{5, 24}}, 0, 1},
    {"rhombic triacontahedron", 32, 30, {{4, 30}}, 1, 1},
    {"deltoidal hexecontahedron", 62, 60, {{4, 60}}, 0, 1},
    {"triangular bipyramid", 5, 6, {{3, 6}}, 1, 1},
    {"subdivided dodecahedron", 62, 120, {{3, 120}}, 0, 0.5},
};

double Distance(const Vec3& a, const Vec3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

class CatalogueSolids : public ::testing::TestWithParam<SolidCase> {};

TEST_P(CatalogueSolids, IsASoundSolidWithItsCounts) {
  const SolidCase& c = GetParam();
  CatalogueSolid solid;
  ASSERT_TRUE(MakeCatalogueSolid(c.name, &solid));
  EXPECT_EQ(solid.vertexCount, c.vertices);
  EXPECT_EQ(solid.faceCount, c.faces);
  std::map<int32_t, int32_t> counts;
  for (int32_t f = 0; f < solid.faceCount; ++f) counts[solid.cornerCounts[f]] += 1;
  EXPECT_EQ(counts, c.cornerCounts);

  MeshHolder h;
  ASSERT_EQ(AddCatalogueSolid(h.mesh, &solid), kMeshNoError);
  EXPECT_EQ(h.mesh->vertexCount, c.vertices);  // no two points merged by the pool
  SolidCheckOptions options;
  options.planarTolerance = 1e-9;
  options.checkNeighbours = true;
  const SolidReport report = CheckSolid(h.mesh, options);
  EXPECT_TRUE(report.Sound()) << report.Describe();
  EXPECT_EQ(report.Euler(), 2);
  EXPECT_GT(report.volume, 0);
}

// Regular faces have equal edges and equal angles; the faces of a Catalan
// solid (and the triangles of the subdivision) are congruent: the same
// corner angles in the same cyclic order, possibly mirrored.
TEST_P(CatalogueSolids, FacesHaveTheirShape) {
  const SolidCase& c = GetParam();
  CatalogueSolid solid;
  ASSERT_TRUE(MakeCatalogueSolid(c.name, &solid));
  MeshHolder h;
  ASSERT_EQ(AddCatalogueSolid(h.mesh, &solid), kMeshNoError);
  double shortest = 1e300;
  std::set<std::multiset<long>> shapes;
  for (int32_t f = 0; f < solid.faceCount; ++f) {
    const int32_t n = solid.cornerCounts[f];
    std::multiset<long> angles;
    for (int32_t k = 0; k < n; ++k) {
      const double l = Distance(solid.vertices[solid.corners[f][k]], solid.vertices[solid.corners[f][(k + 1) % n]]);
      shortest = std::min(shortest, l);
      if (c.edge > 0) {
        EXPECT_NEAR(l, c.edge, 1e-9) << "face " << f;
      }
      const double angle = h.mesh->faces[f].cornerAngle[k];
      if (c.edge > 0 && std::string(c.name) != "rhombic triacontahedron") {
        EXPECT_NEAR(angle, M_PI * (n - 2) / n, 1e-6) << "face " << f;
      }
      angles.insert(std::lround(angle * 1e4));
    }
    shapes.insert(angles);
  }
  EXPECT_NEAR(shortest, c.shortestEdge, 1e-9);
  if (c.edge == 0 || std::string(c.name) == "rhombic triacontahedron") {
    EXPECT_EQ(shapes.size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(All, CatalogueSolids, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SolidCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name)
                             if (ch == ' ') ch = '_';
                           return name;
                         });

}  // namespace

namespace {

bool HasPoint(const CatalogueSolid& s, double x, double y, double z) {
  for (int32_t i = 0; i < s.vertexCount; ++i)
    if (Distance(s.vertices[i], Vec3{x, y, z}) < 1e-5) return true;
  return false;
}

// The point set is its own mirror image in the plane with that normal axis.
bool MirrorsIn(const CatalogueSolid& s, int32_t axis) {
  for (int32_t i = 0; i < s.vertexCount; ++i) {
    Vec3 p = s.vertices[i];
    (axis == 0 ? p.x : axis == 1 ? p.y : p.z) *= -1;
    if (!HasPoint(s, p.x, p.y, p.z)) return false;
  }
  return true;
}

// The regular solids in the orientation the catalogue gives them.
TEST(CatalogueSolidOrientation, RegularSolidsSitWhereTheCatalogueSaysTheyDo) {
  CatalogueSolid s;
  ASSERT_TRUE(MakeCatalogueSolid("tetrahedron", &s));
  EXPECT_TRUE(HasPoint(s, 1, 1, 1) && HasPoint(s, 1, -1, -1) && HasPoint(s, -1, 1, -1) && HasPoint(s, -1, -1, 1));
  ASSERT_TRUE(MakeCatalogueSolid("cube", &s));
  for (int32_t i = 0; i < 8; ++i)
    EXPECT_TRUE(HasPoint(s, (i & 1) ? 0.5 : -0.5, (i & 2) ? 0.5 : -0.5, (i & 4) ? 0.5 : -0.5));
  ASSERT_TRUE(MakeCatalogueSolid("octahedron", &s));
  EXPECT_TRUE(HasPoint(s, 0.70711, 0, 0) && HasPoint(s, 0, -0.70711, 0) && HasPoint(s, 0, 0, 0.70711));
  ASSERT_TRUE(MakeCatalogueSolid("dodecahedron", &s));
  EXPECT_TRUE(HasPoint(s, 0, 0, 1.40126) && HasPoint(s, 0, 0, -1.40126));
  EXPECT_TRUE(MirrorsIn(s, 1));
  ASSERT_TRUE(MakeCatalogueSolid("icosahedron", &s));
  EXPECT_TRUE(HasPoint(s, 0, 0.95106, 0) && HasPoint(s, 0, -0.95106, 0));
  EXPECT_TRUE(MirrorsIn(s, 0));
  // Same name, same solid, to the bit.
  CatalogueSolid again;
  ASSERT_TRUE(MakeCatalogueSolid("icosahedron", &again));
  ASSERT_EQ(s.vertexCount, again.vertexCount);
  ASSERT_EQ(s.faceCount, again.faceCount);
  for (int32_t i = 0; i < s.vertexCount; ++i) {
    EXPECT_EQ(s.vertices[i].x, again.vertices[i].x);
    EXPECT_EQ(s.vertices[i].y, again.vertices[i].y);
    EXPECT_EQ(s.vertices[i].z, again.vertices[i].z);
  }
  for (int32_t f = 0; f < s.faceCount; ++f) {
    ASSERT_EQ(s.cornerCounts[f], again.cornerCounts[f]);
    for (int32_t k = 0; k < s.cornerCounts[f]; ++k) EXPECT_EQ(s.corners[f][k], again.corners[f][k]);
  }
  EXPECT_FALSE(MakeCatalogueSolid("no such solid", &s));
  EXPECT_EQ(s.faceCount, 0);
}

}  // namespace

namespace {

// The dodo, the dodecadodecahedron's outer surface: a sound solid of 12
// star-shaped decagons and 60 congruent flat kites; the stars' 30 tips on the
// unit sphere (the icosidodecahedron's corners), their 60 crossing points and
// the kites' 20 meeting points deeper in; each star a pentagram (ten equal
// edges, its tips 36 degrees sharp); each kite 6q + 1..6q + 5 sharing an edge
// with star 6q; every face turned outward, so that seen from the centre no
// two faces cover one another.
TEST(CatalogueSolidDodo, StarsAndKitesInPiecesOfSix) {
  CatalogueSolid solid;
  ASSERT_TRUE(MakeCatalogueSolid("dodo", &solid));
  EXPECT_EQ(solid.vertexCount, 110);
  ASSERT_EQ(solid.faceCount, 72);
  MeshHolder h;
  ASSERT_EQ(AddCatalogueSolid(h.mesh, &solid), kMeshNoError);
  EXPECT_EQ(h.mesh->vertexCount, 110);
  SolidCheckOptions options;
  options.planarTolerance = 1e-9;
  options.checkNeighbours = true;
  const SolidReport report = CheckSolid(h.mesh, options);
  EXPECT_TRUE(report.Sound()) << report.Describe();
  EXPECT_EQ(report.Euler(), 2);
  EXPECT_GT(report.volume, 0);
  std::map<long, int32_t> radii;
  for (int32_t v = 0; v < solid.vertexCount; ++v) radii[std::lround(Distance(solid.vertices[v], Vec3{0, 0, 0}) * 1e9)]++;
  ASSERT_EQ(radii.size(), 3u);
  EXPECT_EQ(radii.rbegin()->first, 1000000000);
  EXPECT_EQ(radii.rbegin()->second, 30);
  std::set<std::multiset<long>> kiteShapes;
  const double phi = (1 + std::sqrt(5.0)) / 2;
  for (int32_t f = 0; f < solid.faceCount; ++f) {
    const int32_t n = solid.cornerCounts[f];
    ASSERT_EQ(n, f % 6 == 0 ? 10 : 4) << "face " << f;
    const Vec3* p[10];
    for (int32_t k = 0; k < n; ++k) p[k] = &solid.vertices[solid.corners[f][k]];
    if (n == 10) {
      // Neighbouring tips (two corners apart) span the pentagon of the tips;
      // the star's edges, tip to crossing point, are all 1 / phi of its side.
      const int32_t tip = Distance(*p[0], Vec3{0, 0, 0}) > 0.99 ? 0 : 1;
      const double side = Distance(*p[tip], *p[tip + 2]);
      for (int32_t k = 0; k < n; ++k)
        EXPECT_NEAR(Distance(*p[k], *p[(k + 1) % n]), side / phi, 1e-9) << "face " << f;
    } else {
      std::multiset<long> angles;
      for (int32_t k = 0; k < n; ++k) angles.insert(std::lround(h.mesh->faces[f].cornerAngle[k] * 1e5));
      kiteShapes.insert(angles);
      const int32_t star = f - f % 6;
      bool touches = false;
      for (int32_t k = 0; k < n; ++k) touches = touches || h.mesh->faces[f].neighbour[k] == star;
      EXPECT_TRUE(touches) << "kite " << f;
    }
    // Outward: the face's plane does not pass the centre, and its normal
    // points away from it.
    const Vec3 normal = h.mesh->faces[f].normal;
    EXPECT_GT(normal.x * p[0]->x + normal.y * p[0]->y + normal.z * p[0]->z, 0.3) << "face " << f;
  }
  EXPECT_EQ(kiteShapes.size(), 1u);
}

}  // namespace
