// Nets 163 and 164: the curved tetrahedron folded from four flat patterns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "nets/tetra_subdivision.h"
#include "tests/nets/net_fixtures.h"

namespace {

constexpr double kPi = 3.141592653589793;

double Distance(const Vec3& a, const Vec3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

struct TetraNet {
  MeshHolder h{false};
  TetraNet() { BuildTetraSubdivisionModel(h.mesh, nullptr); }
  const PolyMesh* mesh() const { return h.mesh; }
  Vec3 Corner(int32_t f, int32_t k) const { return GetMeshVertexCopy(h.mesh->faces[f].vertex[k], h.mesh); }
};

TEST(TetraSubdivision, FacesGroupsAndFoldSteps) {
  TetraNet net;
  const PolyMesh* m = net.mesh();
  EXPECT_EQ(m->errorCode, kMeshNoError);
  ASSERT_EQ(m->faceCount, 364);
  int32_t triangles = 0, quads = 0;
  std::map<int32_t, std::pair<int32_t, int32_t>> byGroup;  // group -> (triangles, quads)
  for (int32_t f = 0; f < m->faceCount; ++f) {
    const MeshFace& face = m->faces[f];
    ASSERT_TRUE(face.vertexCount == 3 || face.vertexCount == 4);
    (face.vertexCount == 3 ? triangles : quads) += 1;
    (face.vertexCount == 3 ? byGroup[face.group].first : byGroup[face.group].second) += 1;
    EXPECT_EQ(face.faceTag, -1);
  }
  EXPECT_EQ(triangles, 28);
  EXPECT_EQ(quads, 336);
  ASSERT_EQ(byGroup.size(), 28u);
  for (const auto& [group, counts] : byGroup) {
    ASSERT_GE(group, 0);
    ASSERT_LE(group, 27);
    if (group % 7 == 0) {
      EXPECT_EQ(counts, std::make_pair(1, 0)) << "central triangle " << group;
    } else {
      EXPECT_EQ(counts, std::make_pair(1, 14)) << "band " << group;
    }
  }
  // One fold step per strip, on its first step, marking band B.
  ASSERT_EQ(m->foldStepCount, 12);
  std::set<int32_t> marks;
  for (int32_t i = 0; i < 12; ++i) {
    const FoldStep& s = m->foldSteps[i];
    EXPECT_EQ(s.valid, 1);
    EXPECT_EQ(s.markId % 7 % 2, 0) << "band B groups are 7f + 2, 4, 6";
    EXPECT_EQ(s.faceNumber, s.markId / 7 + 1);
    EXPECT_GT(s.radius, 0);
    EXPECT_NEAR(std::sqrt(s.direction.x * s.direction.x + s.direction.y * s.direction.y +
                          s.direction.z * s.direction.z),
                1.0, 1e-12);
    marks.insert(s.markId);
  }
  EXPECT_EQ(marks.size(), 12u);
}

TEST(TetraSubdivision, ClosesIntoASolid) {
  TetraNet net;
  SolidCheckOptions options;
  options.planarTolerance = 1e-6;  // the quads are trapezoids built from fitted fold angles
  options.checkNeighbours = true;
  const SolidReport report = CheckSolid(net.mesh(), options);
  EXPECT_TRUE(report.Sound()) << report.Describe();
  EXPECT_EQ(report.Euler(), 2);
  EXPECT_GT(report.volume, 0);
}

// The strip tips of the four faces meet in four corners, shared by three
// faces each: a regular tetrahedron about the origin.
TEST(TetraSubdivision, TipsFormARegularTetrahedron) {
  TetraNet net;
  const PolyMesh* m = net.mesh();
  std::map<int32_t, std::set<int32_t>> facesAtVertex;
  for (int32_t f = 0; f < m->faceCount; ++f) {
    for (int32_t k = 0; k < m->faces[f].vertexCount; ++k) facesAtVertex[m->faces[f].vertex[k]].insert(m->faces[f].group / 7);
  }
  std::vector<Vec3> tips;
  for (const auto& [v, faces] : facesAtVertex) {
    if (faces.size() >= 3) tips.push_back(GetMeshVertexCopy(v, m));
  }
  ASSERT_EQ(tips.size(), 4u);
  const double edge = Distance(tips[0], tips[1]);
  Vec3 centre{0, 0, 0};
  for (size_t i = 0; i < 4; ++i) {
    centre = Vec3{centre.x + tips[i].x / 4, centre.y + tips[i].y / 4, centre.z + tips[i].z / 4};
    for (size_t j = 0; j < i; ++j) EXPECT_NEAR(Distance(tips[i], tips[j]), edge, 1e-6 * edge);
  }
  EXPECT_NEAR(Distance(centre, Vec3{0, 0, 0}), 0.0, 1e-8);
}

// Every step's fold keeps the flap's far edge at its flat length, measured
// on the mesh, where the strips of neighbouring faces have merged. The
// inward arc is a circle of radius sqrt(3) cut into steps of 1/30 of a
// sixth of a turn, so every step's chord is 2 sqrt(3) sin(pi / 180).
TEST(TetraSubdivision, FoldsKeepTheFlatLengths) {
  TetraNet net;
  const PolyMesh* m = net.mesh();
  const double chord = 2 * std::sqrt(3.0) * std::sin(kPi / 180);
  double worstFlap = 0, worstStep = 0;
  for (int32_t f = 0; f < m->faceCount; ++f) {
    const MeshFace& face = m->faces[f];
    const int32_t band = face.group % 7;
    if (band == 0 || band % 2 == 1) continue;  // band B: (P1, R, S1, V) or (P1, S1, V)
    if (face.vertexCount == 4) {
      worstFlap = std::max(worstFlap, std::fabs(Distance(net.Corner(f, 2), net.Corner(f, 3)) - chord));
      worstStep = std::max(worstStep, std::fabs(Distance(net.Corner(f, 0), net.Corner(f, 1)) - chord));
    } else {
      worstFlap = std::max(worstFlap, std::fabs(Distance(net.Corner(f, 1), net.Corner(f, 2)) - chord));
    }
  }
  std::printf("chord %.12f, worst flap edge error %.3g, worst step edge error %.3g\n", chord, worstFlap, worstStep);
  // The folds of neighbouring faces meet within 1e-8 of each other; the
  // merged vertex is the one built first.
  EXPECT_LT(worstFlap, 5e-8);
  EXPECT_LT(worstStep, 5e-8);
}

// --- the objective ---------------------------------------------------------------

double Evaluate(SimplexObjective* o) { return EvaluateFaceConstruction(static_cast<FaceConstruction*>(o->context)); }

// A point at radius r turned about the x axis away from the rail point
// (0, r, 0): the distance to the rail is 2 r sin(p / 2), so the target of
// p* = 0.3 has that one root in 0..pi/4.
FaceConstruction KnownRootConstruction(double r, double root) {
  FaceConstruction c{};
  c.objective.evaluate = Evaluate;
  c.objective.context = &c;
  c.axisPoint = Vec3{0, 0, 0};
  c.axisDirection = Vec3{1, 0, 0};
  c.railFirst = Vec3{0, r, 0};
  c.railSecond = Vec3{1, 0, 0};
  c.widthFirst = 0;
  c.widthSecond = 0.5;
  c.moving = Vec3{0, r, 0};
  c.target = 2 * r * std::sin(root / 2);
  return c;
}

TEST(TetraSubdivisionObjective, MinimiserFindsTheKnownFoldAngle) {
  const double root = 0.3;
  FaceConstruction c = KnownRootConstruction(0.7, root);
  Simplex s{};
  const double start[3] = {0, 0, 0};
  double x = 0, y = 0;
  StartSimplexMinimise(&x, &y, start, &s, kSimplexStartFoldAngle, 1e-20, &c.objective);
  std::printf("fold angle %.15f (reference %.15f), residual %.3g after %d passes, %d evaluations\n", x, root,
              c.objective.result, s.iterations, s.evaluations);
  EXPECT_NEAR(x, root, 1e-9);
  EXPECT_LT(c.objective.result, 1e-12);
  // The side points of the best angle.
  c.objective.parameter = x;
  BuildFaceConstruction(&c);
  EXPECT_NEAR(Distance(c.turned, Vec3{0, 0.7 * std::cos(root), 0.7 * std::sin(root)}) *
                  Distance(c.turned, Vec3{0, 0.7 * std::cos(root), -0.7 * std::sin(root)}),
              0.0, 1e-9);
  EXPECT_NEAR(Distance(c.sideSecond, c.turned), 0.5, 1e-15);
}

// The searches of a whole build on the construction's own objective: 180
// steps, each left within a few ulps of the flat length. The tolerance 1e-20
// lies below the resolution of lengths near 0.06, so a search that does not
// land on an exact zero runs to the 6000-pass cap.
TEST(TetraSubdivisionObjective, ResidualsOfAWholeBuild) {
  MeshHolder h(false);
  FoldStatistics statistics;
  BuildTetraSubdivisionModel(h.mesh, nullptr, &statistics);
  std::printf("steps %d, worst residual %.3g, %d at the 6000-pass cap, others within %d passes, angles %.6f..%.6f\n",
              statistics.steps, statistics.worstResidual, statistics.stepsAtCap, statistics.mostPassesBelowCap,
              statistics.smallestAngle, statistics.largestAngle);
  EXPECT_EQ(statistics.steps, 4 * 3 * 15);
  EXPECT_LT(statistics.worstResidual, 1e-15);
  EXPECT_GE(statistics.smallestAngle, 0.0);
  EXPECT_LE(statistics.largestAngle, kFoldAngleLimit);
}

TEST(TetraSubdivisionObjective, RangeEndsAreBuiltAndOutsideIsPenalised) {
  FaceConstruction c = KnownRootConstruction(0.7, 0.3);
  c.objective.parameter = 0.0;
  EXPECT_NEAR(EvaluateFaceConstruction(&c), c.target, 1e-15);
  c.objective.parameter = kFoldAngleLimit;
  EXPECT_NEAR(EvaluateFaceConstruction(&c), std::fabs(2 * 0.7 * std::sin(kFoldAngleLimit / 2) - c.target), 1e-15);
  c.objective.parameter = -1e-6;
  EXPECT_GT(EvaluateFaceConstruction(&c), 99999999.0);
  c.objective.parameter = kFoldAngleLimit + 1e-6;
  EXPECT_GT(EvaluateFaceConstruction(&c), 99999999.0);
}

TEST(TetraSubdivisionPattern, ArcsOfTheFlatPattern) {
  TriangleCorners t;
  MakeTriangleCorners(&t);
  Complex p;
  // The corner angles as given are a few 1e-10 rad off the exact ones.
  OutwardArcPoint(&t, 0, &p);
  EXPECT_NEAR(p.re, t.c330.re, 1e-8);
  EXPECT_NEAR(p.im, t.c330.im, 1e-8);
  OutwardArcPoint(&t, 1, &p);
  EXPECT_NEAR(p.re, t.c90.re, 1e-8);
  EXPECT_NEAR(p.im, t.c90.im, 1e-8);
  // The flap is closed at both ends and widest in the middle: twice the
  // sagitta of a sixth of a circle of radius sqrt(3).
  EXPECT_NEAR(CornerArcOffset(&t, 0), 0, 1e-8);
  EXPECT_NEAR(CornerArcOffset(&t, 1), 0, 1e-8);
  EXPECT_NEAR(CornerArcOffset(&t, 0.5), 2 * std::sqrt(3.0) * (1 - std::cos(kPi / 6)), 1e-9);
  // The inward arc bows toward the centre.
  CornerArcPoint(&t, 0.5, &p);
  EXPECT_LT(std::hypot(p.re, p.im), 0.5);
}

}  // namespace
