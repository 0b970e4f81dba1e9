// The generated solids: face and vertex counts against their construction,
// closed and outward-turned solids, the radius they lie on, and the tables
// they stay within.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "geometry/fast_math.h"
#include "geometry/vector.h"
#include "nets/net_build.h"
#include "nets/net_generators.h"
#include "tests/nets/net_fixtures.h"

namespace {

// A zeroed, reset record without tables: each generator takes its own.
struct GeneratedMesh : MeshHolder {
  GeneratedMesh() : MeshHolder(false) {}
};

double Radius(const PolyMesh* mesh, int32_t v) {
  const Vec3 p = GetMeshVertexCopy(v, mesh);
  return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

// Every vertex that a face names lies at the radius.
::testing::AssertionResult OnSphere(const PolyMesh* mesh, double radius, double tolerance) {
  for (int32_t f = 0; f < mesh->faceCount; ++f) {
    for (int32_t k = 0; k < mesh->faces[f].vertexCount; ++k) {
      const double r = Radius(mesh, mesh->faces[f].vertex[k]);
      if (std::fabs(r - radius) > tolerance) {
        return ::testing::AssertionFailure() << "face " << f << " corner " << k << " at radius " << r;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

int32_t CountCorners(const PolyMesh* mesh, int32_t corners) {
  int32_t n = 0;
  for (int32_t f = 0; f < mesh->faceCount; ++f) n += mesh->faces[f].vertexCount == corners ? 1 : 0;
  return n;
}

}  // namespace

// --- procedural nets ---------------------------------------------------------------

// The strip cells of a rind or tattoo as the construction gives them: the
// triangles whose corners lie at least the merge distance apart, counted
// here from the positions alone.
static int32_t StripTrianglesKept(int32_t cells, const std::function<Vec3(double)>& point,
                           const std::function<std::array<double, 4>(int32_t)>& corners) {
  int32_t kept = 0;
  for (int32_t j = 0; j < cells; ++j) {
    const std::array<double, 4> t = corners(j);
    Vec3 p[4];
    for (int32_t k = 0; k < 4; ++k) p[k] = point(t[k]);
    auto apart = [&](int32_t a, int32_t b) {
      const double dx = p[a].x - p[b].x, dy = p[a].y - p[b].y, dz = p[a].z - p[b].z;
      return std::sqrt(dx * dx + dy * dy + dz * dz) >= 0.002;
    };
    kept += (apart(0, 1) && apart(1, 2) && apart(0, 2)) ? 1 : 0;
    kept += (apart(2, 3) && apart(3, 0) && apart(2, 0)) ? 1 : 0;
  }
  return kept;
}

TEST(ProceduralGenerators, RindFaceCountsFollowTheStripCuts) {
  struct Case {
    int32_t lobes;
    bool full;
    int32_t stripCells;  // K
  };
  const Case cases[] = {{2, true, 300}, {2, false, 100}, {3, true, 300}, {3, false, 200}, {4, true, 300},
                        {4, false, 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lobes << " lobes, full " << c.full);
    GeneratedMesh h;
    GenerateRind(h.mesh, nullptr, c.lobes, c.full);
    const double S = 50, T = 50.0 * c.lobes, u0 = (c.lobes & 1) ? 0.5 : 0.0;
    const double m = double(c.stripCells) / ((c.lobes - 1) * 50);
    auto point = [&](double t) {
      Vec3 p;
      EquirectToVec3d(t / S + u0, t / T, &p);
      return Vec3{10 * p.x, 10 * p.y, 10 * p.z};
    };
    auto corners = [&](int32_t j) {
      const double g0 = GainCurve(float(j) / float(c.stripCells), 0.8f) * c.stripCells / m;
      const double g1 = GainCurve(float(j + 1) / float(c.stripCells), 0.8f) * c.stripCells / m;
      return std::array<double, 4>{S + g0, S + g1, g1, g0};
    };
    // Both fans keep their 49 triangles; cells near the poles lose slivers
    // whose corners the pool merges.
    const int32_t kept = StripTrianglesKept(c.stripCells, point, corners);
    EXPECT_LT(kept, 2 * c.stripCells);
    // The pool merges a corner into the first vertex within reach, so a
    // pair a little apart may still become one vertex: between the two.
    EXPECT_GE(h.mesh->faceCount - 98, kept);
    EXPECT_LE(h.mesh->faceCount - 98, kept + c.stripCells / 50);
    EXPECT_EQ(h.mesh->errorCode, kMeshRepeatedVertex);
    EXPECT_TRUE(OnSphere(h.mesh, 10.0, 1e-9));
    EXPECT_EQ(CountCorners(h.mesh, 3), h.mesh->faceCount);
    for (int32_t f = 0; f < h.mesh->faceCount; ++f) EXPECT_EQ(h.mesh->faces[f].group, uint16_t(-1));
  }
}

TEST(ProceduralGenerators, ThirtysphereHas72FacesAnd62Vertices) {
  GeneratedMesh h;
  GenerateThirtysphere(h.mesh, nullptr);
  EXPECT_EQ(h.mesh->errorCode, kMeshNoError);
  EXPECT_EQ(h.mesh->faceCount, 72);
  EXPECT_EQ(h.mesh->vertexCount, 62);
  EXPECT_EQ(CountCorners(h.mesh, 3), 24);
  EXPECT_EQ(CountCorners(h.mesh, 4), 48);
  EXPECT_TRUE(OnSphere(h.mesh, 10.0, 1e-9));
  EXPECT_TRUE(IsSoundSolid(h.mesh, SolidCheckOptions{1e-9, true}));
}

TEST(ProceduralGenerators, RindZeroIsAFanFromTheNorthPole) {
  GeneratedMesh h;
  GenerateRindZero(h.mesh, nullptr);
  EXPECT_EQ(h.mesh->faceCount, 20);
  EXPECT_EQ(h.mesh->vertexCount, 23);  // two poles and 21 curve points
  EXPECT_EQ(h.mesh->seamPairs[0], -1);
  for (int32_t f = 0; f < 20; ++f) {
    EXPECT_EQ(h.mesh->faces[f].vertex[0], 0);
    EXPECT_EQ(h.mesh->faces[f].group, 1);
    EXPECT_TRUE(h.mesh->faces[f].edgeFlags[1] & kEdgeCut);
  }
  EXPECT_TRUE(OnSphere(h.mesh, 10.0, 1e-9));
}

TEST(ProceduralGenerators, TattooFollowsItsSeam) {
  for (const int32_t lobes : {3, 5}) {
    SCOPED_TRACE(lobes);
    GeneratedMesh h;
    GenerateTattoo(h.mesh, nullptr, lobes);
    auto point = [&](double t) {
      double w = 2.0 * (t / 160.0 - std::floor(t / 160.0));
      if (w > 1.0) w = 2.0 - w;
      Vec3 p;
      EquirectToVec3d(std::fmod(w + 0.5, 1.0), t / (80.0 * lobes), &p);
      return p;
    };
    int32_t kept = 0;
    for (int32_t pass = 0; pass + 2 <= lobes; ++pass) {
      const double b = 80.0 * pass;
      kept += StripTrianglesKept(80, point, [&](int32_t j) {
        const double g0 = GainCurve(float(j) / 80.0f, 0.8f) * 80.0;
        const double g1 = GainCurve(float(j + 1) / 80.0f, 0.8f) * 80.0;
        return std::array<double, 4>{b + 160 - g0, b + 160 - g1, b + g1, b + g0};
      });
    }
    EXPECT_GE(h.mesh->faceCount - 158, kept);
    EXPECT_LE(h.mesh->faceCount - 158, kept + 2 * (lobes - 1));
    EXPECT_LT(kept, 160 * (lobes - 1));
    EXPECT_TRUE(OnSphere(h.mesh, 1.0, 1e-9));
    // The curve points come first: seam point t is vertex t.
    const Vec3 southPole = GetMeshVertexCopy(80 * lobes, h.mesh);
    EXPECT_NEAR(southPole.y, -1.0, 1e-12);
    // Seam pairs: the north fan, one per pass, the south fan, then the end mark.
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (int32_t i = 0; h.mesh->seamPairs[i] != -1; i += 2) pairs.emplace_back(h.mesh->seamPairs[i], h.mesh->seamPairs[i + 1]);
    ASSERT_EQ(int32_t(pairs.size()), lobes + 1);
    EXPECT_EQ(pairs.front(), std::make_pair(0, 80));
    for (int32_t p = 0; p + 2 <= lobes; ++p) EXPECT_EQ(pairs[p + 1], std::make_pair(80 * p, 80 * p + 160));
    EXPECT_EQ(pairs.back(), std::make_pair(80 * lobes - 80, 80 * lobes));
    // Groups: 1 for the north fan, 2.. for the passes, lobes + 1 for the south fan.
    std::set<int32_t> groups;
    for (int32_t f = 0; f < h.mesh->faceCount; ++f) groups.insert(h.mesh->faces[f].group);
    EXPECT_EQ(int32_t(groups.size()), lobes + 1);
    EXPECT_EQ(*groups.begin(), 1);
    EXPECT_EQ(*groups.rbegin(), lobes + 1);
  }
}

TEST(ProceduralGenerators, AllDistinct4NeedsFourDifferentIndices) {
  EXPECT_TRUE(AllDistinct4(0, 1, 2, 3));
  EXPECT_FALSE(AllDistinct4(0, 1, 2, 0));
  EXPECT_FALSE(AllDistinct4(0, 1, 1, 3));
  EXPECT_FALSE(AllDistinct4(5, 2, 3, 3));
}

TEST(ProceduralGenerators, FoldStepsTurnTheirPointsAndStopAtNineteen) {
  MeshHolder h;
  const FoldAxis axis{Vec3{0, 0, 0}, Vec3{0, 0, 1}, M_PI / 2};
  for (int32_t i = 0; i < 21; ++i) {
    Vec3 point{1.0 + i, 0, 0}, p1{0, 1, 0}, p2{0, 0, 1}, p3{1, 1, 0};
    RecordFoldStep(h.mesh, &point, 0.5 * i, 7, &axis, 3, &p1, &p2, &p3);
    if (i == 0) {
      // A quarter turn about z, written back to the caller.
      EXPECT_NEAR(std::fabs(point.y), 1.0, 1e-12);
      EXPECT_NEAR(point.x, 0.0, 1e-12);
      EXPECT_NEAR(std::fabs(p1.x), 1.0, 1e-12);
    }
  }
  EXPECT_EQ(h.mesh->foldStepCount, kMaxFoldSteps);
  const FoldStep& s = h.mesh->foldSteps[4];
  EXPECT_EQ(s.valid, 1);
  EXPECT_EQ(s.markId, 7);
  EXPECT_EQ(s.faceNumber, 3);
  EXPECT_DOUBLE_EQ(s.radius, 2.0);
  // The three plane points are shared by every step: merged into one vertex each.
  EXPECT_EQ(s.planeVertices[0], h.mesh->foldSteps[0].planeVertices[0]);
  EXPECT_NE(s.vertex, h.mesh->foldSteps[0].vertex);
}

// --- compound and parametric solids -------------------------------------------------

TEST(CompoundGenerators, BaseSolidsAreTheRegularSolids) {
  struct Case {
    int32_t net;
    int32_t faces;
    int32_t vertices;
    int32_t corners;
  };
  const Case cases[] = {{kBaseTetrahedron, 4, 4, 3}, {kBaseCube, 6, 8, 4}, {kBaseOctahedron, 8, 6, 3},
                        {kBaseDodecahedron, 12, 20, 5}, {kBaseIcosahedron, 20, 12, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.net);
    GeneratedMesh h;
    ASSERT_TRUE(BuildBaseSolid(h.mesh, c.net, nullptr));
    EXPECT_EQ(h.mesh->faceCount, c.faces);
    EXPECT_EQ(h.mesh->vertexCount, c.vertices);
    EXPECT_EQ(CountCorners(h.mesh, c.corners), c.faces);
    EXPECT_TRUE(IsSoundSolid(h.mesh, SolidCheckOptions{1e-9, true}));
  }
  GeneratedMesh none;
  EXPECT_FALSE(BuildBaseSolid(none.mesh, 23, nullptr));
}

TEST(CompoundGenerators, GeodesicFaceCountIsFrequencySquaredTimesBaseTriangles) {
  // Every geodesic net: base triangles (faces of more than three corners
  // become fans) times the frequency squared.
  for (int32_t net = 80; net <= 101; ++net) {
    SCOPED_TRACE(net);
    int32_t base = 0, frequency = 0;
    ASSERT_TRUE(GeodesicParametersForNet(net, &base, &frequency));
    const int32_t triangles = base == kBaseTetrahedron ? 4
                              : base == kBaseCube      ? 24
                              : base == kBaseOctahedron ? 8
                              : base == kBaseDodecahedron ? 60
                                                          : 20;
    GeneratedMesh h;
    ASSERT_TRUE(GenerateNetModel(h.mesh, net, nullptr, true));
    EXPECT_EQ(h.mesh->errorCode, kMeshNoError);
    EXPECT_EQ(h.mesh->faceCount, triangles * frequency * frequency);
    EXPECT_LE(h.mesh->faceCount, kMaxMeshFaces);
    EXPECT_TRUE(OnSphere(h.mesh, 1.0, 1e-12));
    EXPECT_TRUE(IsSoundSolid(h.mesh, SolidCheckOptions{1e-9, true}));
    // Euler: every triangle has three edges, each shared by two.
    EXPECT_EQ(h.mesh->vertexCount, h.mesh->faceCount / 2 + 2);
  }
}

TEST(CompoundGenerators, DevtetIsAHundredAndTwentySweptTriangles) {
  GeneratedMesh h;
  GenerateDevtet(h.mesh, nullptr);
  EXPECT_EQ(h.mesh->errorCode, kMeshNoError);
  EXPECT_EQ(h.mesh->faceCount, 120);
  EXPECT_TRUE(OnSphere(h.mesh, 1.0, 1e-12));
  // The tetrahedron's four corners, negated, are among the vertices.
  const double s = 1.0 / std::sqrt(3.0);
  for (const Vec3& corner : {Vec3{1, -1, -1}, Vec3{1, 1, 1}, Vec3{-1, 1, -1}, Vec3{-1, -1, 1}}) {
    const Vec3 negated{-corner.x * s, -corner.y * s, -corner.z * s};
    EXPECT_GE(FindVertexNear(h.mesh, &negated, 1e-9), 0);
  }
  for (int32_t f = 0; f < h.mesh->faceCount; ++f) EXPECT_TRUE(h.mesh->faces[f].edgeFlags[1] & kEdgeCut);
  // A closed solid, its faces turned inward by the negation of every point.
  const SolidReport report = CheckSolid(h.mesh, SolidCheckOptions{1e-9, false});
  EXPECT_EQ(report.Euler(), 2);
  EXPECT_EQ(report.edges, 180);
  EXPECT_LT(report.volume, 0);
}

TEST(CompoundGenerators, ConictetIsThreeHundredAndSixtyConeSlivers) {
  GeneratedMesh h;
  GenerateConictet(h.mesh, nullptr);
  EXPECT_EQ(h.mesh->errorCode, kMeshNoError);
  EXPECT_EQ(h.mesh->faceCount, 4 * 3 * 30);
  std::map<int32_t, int32_t> tags;
  for (int32_t f = 0; f < h.mesh->faceCount; ++f) ++tags[h.mesh->faces[f].faceTag];
  EXPECT_EQ(tags, (std::map<int32_t, int32_t>{{0, 90}, {3, 90}, {6, 90}, {9, 90}}));
  // Each face's slivers share its centre as their first corner, on the unit sphere.
  for (int32_t f = 0; f < h.mesh->faceCount; f += 90) EXPECT_NEAR(Radius(h.mesh, h.mesh->faces[f].vertex[0]), 1.0, 1e-12);
  // The slivers of neighbouring faces meet along the tetrahedron's edges: closed and outward.
  EXPECT_TRUE(IsSoundSolid(h.mesh, SolidCheckOptions{1e-9, true}));
}

TEST(CompoundGenerators, ProjectOntoConeMeetsTheSixtyDegreeGenerator) {
  const Vec3 apex{0, 0, 1};
  // A point straight below the apex direction: the generator line from
  // (0, 0, 1) at 60 degrees to -z meets the ray through p.
  const Vec3 p{1, 0, 0};
  Vec3 out;
  ProjectOntoCone(&apex, M_PI / 3, &p, &out);
  // The ray is the x axis; the line from the apex makes 60 degrees with -z,
  // so it meets z = 0 at x = tan 60 = sqrt 3 (either side of the apex).
  EXPECT_NEAR(out.z, 0.0, 1e-12);
  EXPECT_NEAR(std::fabs(out.x), std::sqrt(3.0), 1e-9);
  // Parallel lines fail: the normalised apex comes back.
  Vec3 q{0, 0, 2}, r;
  ProjectOntoCone(&apex, 0.0, &q, &r);
  EXPECT_NEAR(r.z, 1.0, 1e-12);
}

TEST(CompoundGenerators, ClosestPointsOfLinesRefusesDegenerateLines) {
  const Vec3 o{0, 0, 0}, x{1, 0, 0}, a{0, 1, 1}, b{0, 2, 1};
  Vec3 p, q;
  double s = 9, t = 9;
  ASSERT_TRUE(ClosestPointsOfLines(&o, &x, &a, &b, &p, &q, &s, &t));
  EXPECT_NEAR(p.x, 0, 1e-12);
  EXPECT_NEAR(q.y, 0, 1e-12);
  EXPECT_NEAR(q.z, 1, 1e-12);
  EXPECT_NEAR(t, -1, 1e-12);
  const Vec3 tiny{1e-6, 0, 0}, x2{2, 0, 0}, far{0, 1, 0}, far2{5, 1, 0};
  s = t = 9;
  EXPECT_FALSE(ClosestPointsOfLines(&o, &tiny, &a, &b, &p, &q, &s, &t));
  EXPECT_FALSE(ClosestPointsOfLines(&o, &x2, &far, &far2, &p, &q, &s, &t));
  EXPECT_EQ(s, 9);
}

// The faces each sphericon half offers: a flat top (29), E side edges of 30,
// and a bottom of 30 (a flat bottom loses its first triangle).
int32_t SphericonHalfFaces(int32_t n, bool variant) {
  const bool even = (n & 1) == 0;
  const bool flatTop = even && !variant;
  const int32_t E = even ? n / 2 - 1 : (n - 1) / 2;
  const bool flatBottom = !even || !variant;
  return (flatTop ? 29 : 0) + 30 * E + (flatBottom ? 29 : 30);
}

TEST(CompoundGenerators, SphericonsAreClosedSolidsOfTheExpectedFaces) {
  for (int32_t net = 102; net <= 149; ++net) {
    SCOPED_TRACE(net);
    SphericonParameters p{};
    ASSERT_TRUE(SphericonParametersForNet(net, &p));
    GeneratedMesh h;
    ASSERT_TRUE(GenerateNetModel(h.mesh, net, nullptr, false));
    const int32_t expected = p.plus ? SphericonHalfFaces(p.sides, false) + SphericonHalfFaces(p.sides, true)
                                    : 2 * SphericonHalfFaces(p.sides, p.variant != 0);
    EXPECT_EQ(h.mesh->faceCount, expected);
    // Only the flat bottoms' repeated first corner is refused.
    EXPECT_TRUE(h.mesh->errorCode == kMeshNoError || h.mesh->errorCode == kMeshRepeatedVertex);
    EXPECT_TRUE(OnSphere(h.mesh, 1.0, 1e-9));
    // The corners are placed at single-precision angles: planar within 1e-6.
    EXPECT_TRUE(IsSoundSolid(h.mesh, SolidCheckOptions{1e-6, true}));
  }
  EXPECT_FALSE(SphericonParametersForNet(101, nullptr));
  EXPECT_FALSE(SphericonParametersForNet(150, nullptr));
}

TEST(CompoundGenerators, SquareSphericonHasFlatCapsOfTwentyNine) {
  GeneratedMesh h;
  GenerateSphericonPair(h.mesh, nullptr, 4, 0, 0, 0);
  EXPECT_EQ(h.mesh->errorCode, kMeshRepeatedVertex);  // the first bottom triangle of each half
  // The caps lie in the planes y = +-sin 45 degrees.
  const double level = std::sqrt(0.5);
  int32_t top = 0, bottom = 0;
  for (int32_t f = 0; f < h.mesh->faceCount; ++f) {
    const MeshFace& face = h.mesh->faces[f];
    bool allTop = true, allBottom = true;
    for (int32_t k = 0; k < face.vertexCount; ++k) {
      const double y = GetMeshVertexCopy(face.vertex[k], h.mesh).y;
      allTop = allTop && std::fabs(y - level) < 1e-9;
      allBottom = allBottom && std::fabs(y + level) < 1e-9;
    }
    top += allTop ? 1 : 0;
    bottom += allBottom ? 1 : 0;
  }
  EXPECT_EQ(top, 2 * 29);
  EXPECT_EQ(bottom, 2 * 29);
}

TEST(CompoundGenerators, NetsWithTheSameSphericonParametersGiveTheSameSolid) {
  GeneratedMesh a, b;
  ASSERT_TRUE(GenerateNetModel(a.mesh, 139, nullptr, true));
  ASSERT_TRUE(GenerateNetModel(b.mesh, 140, nullptr, true));
  ASSERT_EQ(a.mesh->faceCount, b.mesh->faceCount);
  ASSERT_EQ(a.mesh->vertexCount, b.mesh->vertexCount);
  for (int32_t v = 0; v < a.mesh->vertexCount; ++v) {
    const Vec3 p = GetMeshVertexCopy(v, a.mesh), q = GetMeshVertexCopy(v, b.mesh);
    EXPECT_EQ(p.x, q.x);
    EXPECT_EQ(p.y, q.y);
    EXPECT_EQ(p.z, q.z);
  }
}

TEST(CompoundGenerators, TwistTurnsTheSecondHalfAboutZ) {
  // A twist of one side turns the second half by 2 pi / n about z: its
  // vertices keep their distance from the z axis and their z.
  GeneratedMesh plain, twisted;
  GenerateSphericonPair(plain.mesh, nullptr, 5, 0, 0, 0);
  GenerateSphericonPair(twisted.mesh, nullptr, 5, 1, 0, 0);
  ASSERT_EQ(plain.mesh->faceCount, twisted.mesh->faceCount);
  const int32_t half = plain.mesh->faceCount / 2;
  const double angle = 2 * M_PI / 5;
  for (int32_t f = half; f < plain.mesh->faceCount; ++f) {
    for (int32_t k = 0; k < plain.mesh->faces[f].vertexCount; ++k) {
      const Vec3 p = GetMeshVertexCopy(plain.mesh->faces[f].vertex[k], plain.mesh);
      const Vec3 q = GetMeshVertexCopy(twisted.mesh->faces[f].vertex[k], twisted.mesh);
      // Seam points merge with the first half's, placed at single-precision angles.
      EXPECT_NEAR(q.x, p.x * std::cos(angle) - p.y * std::sin(angle), 1e-6);
      EXPECT_NEAR(q.y, p.x * std::sin(angle) + p.y * std::cos(angle), 1e-6);
      EXPECT_NEAR(q.z, p.z, 1e-12);
    }
  }
}

TEST(CompoundGenerators, EveryGeneratedNetNumberHasAGenerator) {
  std::set<int32_t> generated;
  for (int32_t net = 0; net <= 164; ++net) {
    GeneratedMesh h;
    if (GenerateNetModel(h.mesh, net, nullptr, false)) {
      generated.insert(net);
      EXPECT_GT(h.mesh->faceCount, 0) << net;
    }
  }
  std::set<int32_t> expected = {25, 26, 27, 48, 49, 50, 71, 72, 74, 75, 76, 77, 150};
  for (int32_t net = 80; net <= 149; ++net) expected.insert(net);
  EXPECT_EQ(generated, expected);
}

// --- the generated nets through the net build ----------------------------------------

TEST(GeneratedNetBuild, EveryGeneratedOutputIsUnfoldedWithinTheTables) {
  std::vector<int32_t> outputs = {70, 71, 72, 161, 169, 170, 174, 175, 176, 247, 1042, 10053};
  for (int32_t o = 177; o <= 246; ++o) outputs.push_back(o);
  for (const int32_t output : outputs) {
    for (const bool full : {false, true}) {
      SCOPED_TRACE(testing::Message() << "output " << output << (full ? " full" : " preview"));
      GeneratedMesh h;
      BuildNetForOutput(output, h.mesh, 0.5f, 0.05f, 0, 0.0f, 1, nullptr, full);
      const PolyMesh* m = h.mesh;
      ASSERT_GT(m->faceCount, 0);
      // Only refused faces (repeated corners) are allowed as errors.
      EXPECT_TRUE(m->errorCode == kMeshNoError || m->errorCode == kMeshRepeatedVertex) << m->errorCode;
      EXPECT_EQ(m->netFaceCount, m->faceCount);
      for (int32_t f = 0; f < m->faceCount; ++f) {
        int32_t netFace, corner;
        EXPECT_TRUE(NetFaceOfPiece(f, 0, &netFace, &corner, m)) << "solid face " << f << " has no net face";
      }
      EXPECT_GT(m->renderTriangleCount, 0);
      EXPECT_LT(m->renderTriangleCount, kMaxMeshTriangles);
      EXPECT_LE(m->renderPointCount, kMaxRenderPoints);
    }
  }
}
