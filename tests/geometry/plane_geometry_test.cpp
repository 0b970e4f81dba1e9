#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/plane_geometry.h"
#include "geometry/vector.h"
#include "geometry_test_util.h"

namespace {

constexpr double kPi = std::numbers::pi;

bool PlaneIsConsistent(const Plane3d& p) {
  return std::fabs(DotVec3d(&p.unitNormal, &p.point) - p.offset) < 1e-12 && std::fabs(p.offset + p.distance) < 1e-12 &&
         std::fabs(LengthVec3d(&p.unitNormal) - 1.0) < 1e-15;
}

// --- rays and planes -------------------------------------------------------------

TEST(Rays, DirectionIsNormalisedAndZeroBecomesForward) {
  Ray3d ray;
  const Vec3 p{1, 2, 3}, d{0, 3, 4}, zero{0, 0, 0};
  MakeRay3d(&ray, &p, &d);
  EXPECT_TRUE(Vec3Near(ray.origin, p, 0.0));
  EXPECT_TRUE(Vec3Near(ray.direction, Vec3{0, 0.6, 0.8}, 2e-16));
  MakeRay3d(&ray, &p, &zero);
  EXPECT_TRUE(Vec3Near(ray.direction, Vec3{0, 0, 1}, 0.0));
}

TEST(Planes, FromPointAndNormal) {
  Plane3d plane;
  const Vec3 point{0, 0, 2}, normal{0, 0, 5};
  MakePlaneFromPointNormal(&point, &normal, &plane);
  EXPECT_TRUE(Vec3Near(plane.unitNormal, Vec3{0, 0, 1}, 0.0));
  EXPECT_EQ(plane.d, -2.0);
  EXPECT_EQ(plane.distance, -2.0);
  EXPECT_EQ(plane.offset, 2.0);
  EXPECT_TRUE(Vec3Near(plane.point, point, 0.0));
  struct Case {
    Vec3 p;
    int expected;
  };
  const Case cases[] = {{{0, 0, 3}, 1}, {{0, 0, 2.4}, 0}, {{5, -7, 2.5}, 0}, {{0, 0, 1}, -1}, {{0, 0, 1.5}, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyPointPlane(&plane, &c.p, 0.5), c.expected) << c.p.z;
    EXPECT_EQ(ClassifyPointPlaneCopy(&plane, c.p, 0.5), c.expected) << c.p.z;
  }
  EXPECT_TRUE(PlaneIsConsistent(plane));
}

TEST(Planes, ThroughThreePoints) {
  struct Case {
    Vec3 p0, p1, p2, normal;
  };
  const Case cases[] = {
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, Unit({1, 1, 1})},
      {{2, 5, -1}, {3, 5, -1}, {2, 5, 4}, {0, -1, 0}},
  };
  for (const Case& c : cases) {
    Plane3d plane;
    MakePlaneThroughPoints(&c.p0, &c.p1, &c.p2, &plane);
    EXPECT_TRUE(Vec3Near(plane.unitNormal, c.normal, 1e-15));
    EXPECT_TRUE(Vec3Near(plane.point, c.p1, 0.0));
    EXPECT_TRUE(PlaneIsConsistent(plane));
    for (const Vec3* p : {&c.p0, &c.p1, &c.p2}) EXPECT_EQ(ClassifyPointPlane(&plane, p, 1e-12), 0);
    Plane3d copy;
    MakePlaneThroughPointsCopy(c.p0, c.p1, c.p2, &copy);
    EXPECT_TRUE(Vec3Near(copy.unitNormal, plane.unitNormal, 0.0));
    EXPECT_EQ(copy.offset, plane.offset);
  }
}

TEST(Planes, DegenerateInputStaysFinite) {
  // Collinear points and a zero normal.
  Plane3d plane;
  const Vec3 a{1, 1, 1}, b{2, 2, 2}, c{3, 3, 3};
  MakePlaneThroughPoints(&a, &b, &c, &plane);
  EXPECT_TRUE(IsFiniteVec3(plane.unitNormal));
  EXPECT_TRUE(std::isfinite(plane.distance) && std::isfinite(plane.offset));
  EXPECT_TRUE(PlaneIsConsistent(plane));
  MakePlane3d(&plane, 0, 0, 0, 4.0);
  EXPECT_TRUE(Vec3Near(plane.unitNormal, Vec3{0, 0, 1}, 0.0));
  EXPECT_TRUE(std::isfinite(plane.distance));
  EXPECT_TRUE(PlaneIsConsistent(plane));
  const Vec3 zero{0, 0, 0};
  MakePlaneFromPointNormal(&a, &zero, &plane);
  EXPECT_TRUE(PlaneIsConsistent(plane));
}

TEST(Planes, MakePlaneScalesTheConstant) {
  Plane3d plane;
  MakePlane3d(&plane, 0, 3, 4, -10);
  EXPECT_EQ(plane.a, 0.0);
  EXPECT_EQ(plane.b, 3.0);
  EXPECT_EQ(plane.c, 4.0);
  EXPECT_EQ(plane.d, -10.0);
  EXPECT_DOUBLE_EQ(plane.distance, -2.0);
  EXPECT_TRUE(Vec3Near(plane.unitNormal, Vec3{0, 0.6, 0.8}, 2e-16));
  EXPECT_TRUE(PlaneIsConsistent(plane));
}

TEST(Planes, ThreePlanesMeet) {
  Plane3d x, y, z, x2;
  const Vec3 ex{1, 0, 0}, ey{0, 1, 0}, ez{0, 0, 1};
  const Vec3 p1{1, 0, 0}, p2{0, 2, 0}, p3{0, 0, 3}, p4{7, 0, 0};
  MakePlaneFromPointNormal(&p1, &ex, &x);
  MakePlaneFromPointNormal(&p2, &ey, &y);
  MakePlaneFromPointNormal(&p3, &ez, &z);
  MakePlaneFromPointNormal(&p4, &ex, &x2);
  Vec3 out{9, 9, 9};
  EXPECT_EQ(IntersectThreePlanes(&x, &y, &z, &out), 1);
  EXPECT_TRUE(Vec3Near(out, Vec3{1, 2, 3}, 1e-15));
  out = Vec3{9, 9, 9};
  EXPECT_EQ(IntersectThreePlanes(&x, &x2, &z, &out), 0);
  EXPECT_TRUE(Vec3Near(out, Vec3{9, 9, 9}, 0.0));
  // Slanted planes through one known point.
  const Vec3 target{0.3, -1.2, 2.5};
  const Vec3 normals[] = {Unit({1, 2, 3}), Unit({-2, 1, 0.5}), Unit({0.4, -0.3, 1})};
  Plane3d planes[3];
  for (int i = 0; i < 3; ++i) MakePlaneFromPointNormal(&target, &normals[i], &planes[i]);
  EXPECT_EQ(IntersectThreePlanes(&planes[0], &planes[1], &planes[2], &out), 1);
  EXPECT_TRUE(Vec3Near(out, target, 1e-14));
}

// --- angles, normals and turns ------------------------------------------------------

TEST(VertexAngles, CosineAndCrossAtTheMiddlePoint) {
  struct Case {
    Vec3 p0, p1, p2;
    double cosine;
    Vec3 cross;
  };
  const Case cases[] = {
      {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, 0.0, {0, 0, 1}},
      {{3, 0, 0}, {1, 0, 0}, {-5, 0, 0}, -1.0, {0, 0, 0}},
      {{2, 0, 0}, {0, 0, 0}, {1, std::sqrt(3.0), 0}, 0.5, {0, 0, std::sqrt(3.0) / 2}},
      {{1, 1, 1}, {1, 1, 1}, {0, 1, 0}, 0.0, {0, 0, 0}},  // coincident neighbour
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(CosAngleAtVertex(&c.p0, &c.p1, &c.p2), c.cosine, 1e-15);
    Vec3 n;
    VertexCrossNormal(&c.p0, &c.p1, &c.p2, &n);
    EXPECT_TRUE(Vec3Near(n, c.cross, 1e-15));
  }
}

TEST(PointTurns, AboutAnAxisLine) {
  struct Case {
    Vec3 c, n;
    double angle;
    Vec3 p, expected;
  };
  const Case cases[] = {
      {{1, 0, 0}, {0, 0, 1}, 0.0, {4, 5, 6}, {4, 5, 6}},
      {{1, 0, 0}, {0, 0, 1}, kPi / 2, {2, 0, 0}, {1, -1, 0}},
      {{1, 0, 0}, {0, 0, 1}, kPi, {2, 0, 7}, {0, 0, 7}},
      {{0, 2, 0}, {1, 0, 0}, kPi / 2, {0, 2, 1}, {0, 3, 0}},
      {{5, 5, 5}, Unit({1, 1, 1}), 1.3, {6, 6, 6}, {6, 6, 6}},  // on the axis
  };
  for (const Case& c : cases) {
    Vec3 out;
    RotatePointAboutAxis(&out, &c.c, &c.n, c.angle, &c.p);
    EXPECT_TRUE(Vec3Near(out, c.expected, 1e-14));
  }
}

TEST(FaceFrames, IdentityFrameAndMirrorAcrossALine) {
  FaceFrame2d frame{{9, 9, 9}, {9, 9, 9}, 9};
  EXPECT_EQ(MakeFaceFrame2d(&frame), &frame);
  EXPECT_TRUE(Vec3Near(frame.origin, Vec3{0, 0, 0}, 0.0));
  EXPECT_TRUE(Vec3Near(frame.axis, Vec3{1, 0, 0}, 0.0));
  EXPECT_EQ(frame.angle, 0.0);

  struct Case {
    Complex a, b, p, expected;
  };
  const Case cases[] = {
      {{0, 0}, {1, 0}, {2, 3}, {2, -3}},
      {{0, 0}, {1, 1}, {1, 0}, {0, 1}},
      {{1, 1}, {3, 3}, {2, 2}, {2, 2}},    // a point on the line stays
      {{0, 5}, {0, -1}, {-2, 0}, {2, 0}},  // vertical line x = 0
      {{1, 1}, {1, 1}, {3, 2}, {-1, 0}},   // no line: the point reflection through a
  };
  for (const Case& c : cases) {
    Complex out;
    MapComplexToFaceFrame(&out, &c.a, &c.b, &c.p);
    EXPECT_TRUE(ComplexNear(out, c.expected, 1e-15));
  }
}

// --- intersections --------------------------------------------------------------------

TEST(Quadrics, SphereAndCylinderHits) {
  struct Case {
    const char* name;
    Vec3 origin, direction, centre;
    double radius;
    int32_t kind;
    Vec3 nearPoint, nearNormal, farPoint, farNormal;
  };
  const Case cases[] = {
      {"sphere ahead", {0, 0, -5}, {0, 0, 1}, {0, 0, 0}, 1, kQuadricSphere, {0, 0, -1}, {0, 0, -1}, {0, 0, 1}, {0, 0, 1}},
      {"sphere behind", {0, 0, 5}, {0, 0, 1}, {0, 0, 0}, 1, kQuadricSphere, {0, 0, -1}, {0, 0, -1}, {0, 0, 1}, {0, 0, 1}},
      {"from inside", {0, 0, 0}, {1, 0, 0}, {0, 0, 0}, 1, kQuadricSphere, {-1, 0, 0}, {-1, 0, 0}, {1, 0, 0}, {1, 0, 0}},
      {"moved centre", {3, 2, -5}, {0, 0, 1}, {3, 2, 1}, 1, kQuadricSphere, {3, 2, 0}, {0, 0, -1}, {3, 2, 2}, {0, 0, 1}},
      {"radius 2", {0, 0, -5}, {0, 0, 1}, {0, 0, 0}, 2, kQuadricSphere, {0, 0, -2}, {0, 0, -1}, {0, 0, 2}, {0, 0, 1}},
      {"cylinder", {-5, 0, 3}, {1, 0, 0}, {0, 0, 0}, 1, kQuadricCylinder, {-1, 0, 3}, {-1, 0, 0}, {1, 0, 3}, {1, 0, 0}},
      {"cylinder slanted",
       {0, -5, -5},
       {0, std::sqrt(0.5), std::sqrt(0.5)},
       {0, 0, 0},
       1,
       kQuadricCylinder,
       {0, -1, -1},
       {0, -1, 0},
       {0, 1, 1},
       {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Ray3d ray{c.origin, c.direction};
    Ray3d nearHit, farHit;
    ASSERT_TRUE(IntersectRayQuadric(&ray, &c.centre, c.radius, &nearHit, &farHit, c.kind));
    EXPECT_TRUE(Vec3Near(nearHit.origin, c.nearPoint, 1e-14));
    EXPECT_TRUE(Vec3Near(nearHit.direction, c.nearNormal, 1e-14));
    EXPECT_TRUE(Vec3Near(farHit.origin, c.farPoint, 1e-14));
    EXPECT_TRUE(Vec3Near(farHit.direction, c.farNormal, 1e-14));
    // The far hit is optional.
    Ray3d only;
    ASSERT_TRUE(IntersectRayQuadric(&ray, &c.centre, c.radius, &only, nullptr, c.kind));
    EXPECT_TRUE(Vec3Near(only.origin, c.nearPoint, 1e-14));
  }
}

TEST(Quadrics, MissesAndDegenerateQuadricsAreMisses) {
  const Vec3 centre{0, 0, 0};
  struct Case {
    const char* name;
    Vec3 origin, direction;
    double radius;
    int32_t kind;
  };
  const Case cases[] = {
      {"passes by", {0, 2, -5}, {0, 0, 1}, 1, kQuadricSphere},
      {"along the cylinder axis", {0.2, 0.1, -5}, {0, 0, 1}, 1, kQuadricCylinder},
      {"along the axis outside", {3, 0, 0}, {0, 0, -1}, 1, kQuadricCylinder},
      {"zero direction", {0, 0, -5}, {0, 0, 0}, 1, kQuadricSphere},
      {"zero radius", {0, 0, -5}, {0, 0, 1}, 0, kQuadricSphere},
      {"negative radius", {0, 0, -5}, {0, 0, 1}, -1, kQuadricSphere},
      {"NaN direction", {0, 0, -5}, {NAN, 0, 1}, 1, kQuadricSphere},
  };
  for (const Case& c : cases) {
    const Ray3d ray{c.origin, c.direction};
    Ray3d nearHit, farHit;
    EXPECT_FALSE(IntersectRayQuadric(&ray, &centre, c.radius, &nearHit, &farHit, c.kind)) << c.name;
  }
}

TEST(Triangles, RayHitsWithWeights) {
  const Vec3 A{0, 0, 0}, B{1, 0, 0}, C{0, 1, 0};
  struct Case {
    const char* name;
    Vec3 origin, direction;
    int32_t hit;
    double t, u, v;
  };
  const Case cases[] = {
      {"down onto it", {0.25, 0.25, 1}, {0, 0, -1}, 1, 1, 0.25, 0.25},
      {"away from it", {0.25, 0.25, 1}, {0, 0, 1}, 1, -1, 0.25, 0.25},
      {"from below", {0.5, 0.125, -2}, {0, 0, 1}, 1, 2, 0.5, 0.125},
      {"on an edge", {0.5, 0, 1}, {0, 0, -1}, 1, 1, 0.5, 0},
      {"at a corner", {0, 1, 1}, {0, 0, -1}, 1, 1, 0, 1},
      {"beside it", {0.75, 0.75, 1}, {0, 0, -1}, 0, 0, 0, 0},
      {"negative side", {-0.1, 0.5, 1}, {0, 0, -1}, 0, 0, 0, 0},
      {"parallel", {0.25, 0.25, 1}, {1, 0, 0}, 0, 0, 0, 0},
      {"parallel in its plane", {-1, 0.25, 0}, {1, 0, 0}, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double t = 99, u = 99, v = 99;
    EXPECT_EQ(IntersectRayTriangle(&c.origin, &c.direction, &A, &B, &C, &t, &u, &v), c.hit);
    if (c.hit == 1) {
      EXPECT_NEAR(t, c.t, 1e-15);
      EXPECT_NEAR(u, c.u, 1e-15);
      EXPECT_NEAR(v, c.v, 1e-15);
    }
  }
}

TEST(Triangles, WeightsRebuildTheHitPoint) {
  const Vec3 A = Unit({1, 0.1, 0.2}), B = Unit({0.1, 1, 0.3}), C = Unit({0.2, 0.3, 1});
  const Vec3 origin{0, 0, 0};
  for (double a = 0.05; a < 1.0; a += 0.15) {
    for (double b = 0.05; a + b < 1.0; b += 0.15) {
      const Vec3 target{(1 - a - b) * A.x + a * B.x + b * C.x, (1 - a - b) * A.y + a * B.y + b * C.y,
                        (1 - a - b) * A.z + a * B.z + b * C.z};
      const Vec3 direction = Unit(target);
      double t, u, v;
      ASSERT_EQ(IntersectRayTriangle(&origin, &direction, &A, &B, &C, &t, &u, &v), 1);
      EXPECT_NEAR(u, a, 1e-14);
      EXPECT_NEAR(v, b, 1e-14);
      EXPECT_NEAR(t, LengthVec3d(&target), 1e-14);
      // The reversed winding gives the same weights.
      double t2, u2, v2;
      ASSERT_EQ(IntersectRayTriangle(&origin, &direction, &A, &C, &B, &t2, &u2, &v2), 1);
      EXPECT_NEAR(u2, b, 1e-14);
      EXPECT_NEAR(v2, a, 1e-14);
    }
  }
}

TEST(SphericalTriangles, InsideTestCountsEdgesIn) {
  // Corners x, z, y: the octant x, y, z >= 0 with this winding.
  const Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
  struct Case {
    Vec3 d;
    bool inside;
  };
  const Case cases[] = {
      {{1, 1, 1}, true},   {{1, 1, 0}, true},    {{0, 0, 1}, true},     {{0.2, 0.1, 5}, true},
      {{-1, 1, 1}, false}, {{1, -0.01, 1}, false}, {{-1, -1, -1}, false}, {{1, 1, -1e-3}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InSphericalTriangle(&x, &z, &y, &c.d), c.inside) << c.d.x << "," << c.d.y << "," << c.d.z;
  }
  // The other winding holds the opposite octant.
  const Vec3 inside{1, 1, 1}, opposite{-1, -1, -1};
  EXPECT_FALSE(InSphericalTriangle(&x, &y, &z, &inside));
  EXPECT_TRUE(InSphericalTriangle(&x, &y, &z, &opposite));
  // Triple products too small for a float count as on the edge.
  const Vec3 justOut{1, 1, -1e-50};
  EXPECT_TRUE(InSphericalTriangle(&x, &z, &y, &justOut));
}

}  // namespace
