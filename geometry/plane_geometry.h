// 3-D constructions for the nets, the brick sphere and a few projections:
// rays and planes, point-against-plane classification, the common point of
// three planes, angles and normals at a vertex, rotation about an arbitrary
// axis, reflection of a plane point across a line, ray intersections with a
// sphere, a cylinder and a triangle, and the spherical-triangle inside test.
#pragma once

#include <cstdint>

#include "geometry/vector.h"

// A ray: origin, then unit direction. An intersection result uses the same
// layout for the hit point and the unit surface normal.
struct Ray3d {
  Vec3 origin;
  Vec3 direction;
};
static_assert(sizeof(Ray3d) == 48);

// The plane a*x + b*y + c*z + d = 0. The constructors keep unitNormal,
// distance, offset and point consistent: offset = unitNormal.point = -distance.
struct Plane3d {
  double a;  // the normal passed in
  double b;
  double c;
  double d;         // the constant passed in
  double distance;  // d / |(a, b, c)|
  double offset;    // unitNormal . point: the plane's signed distance from the origin
  Vec3 unitNormal;
  Vec3 point;  // a point of the plane
};
static_assert(sizeof(Plane3d) == 96);

// The identity frame of the plane-geometry unfolder.
struct FaceFrame2d {
  Vec3 origin;
  Vec3 axis;
  double angle;
};
static_assert(sizeof(FaceFrame2d) == 56);

// Kinds of IntersectRayQuadric.
constexpr int32_t kQuadricSphere = 0;
constexpr int32_t kQuadricCylinder = 1;  // axis parallel to z through the centre

// origin = point, direction = unit vector of direction (zero gives (0, 0, 1)).
void MakeRay3d(Ray3d* ray, const Vec3* point, const Vec3* direction);

// The fields a, b, c, d, distance and unitNormal (NormalizeVec3d of (a, b, c)),
// with point and offset set to the plane's foot of the origin. A zero normal
// is treated as the unit normal (0, 0, 1).
void MakePlane3d(Plane3d* plane, double a, double b, double c, double d);

// The plane through point with the unit of normal.
void MakePlaneFromPointNormal(const Vec3* point, const Vec3* normal, Plane3d* plane);

// The plane through the three points with normal unit((p1 - p0) x (p2 - p0)),
// keeping p1 as its point. Collinear points give the normal (0, 0, 1).
void MakePlaneThroughPoints(const Vec3* p0, const Vec3* p1, const Vec3* p2, Plane3d* plane);
void MakePlaneThroughPointsCopy(Vec3 p0, Vec3 p1, Vec3 p2, Plane3d* plane);

// 1 when unitNormal.point + distance > tolerance, -1 when < -tolerance, else 0.
int32_t ClassifyPointPlane(const Plane3d* plane, const Vec3* point, double tolerance);
int32_t ClassifyPointPlaneCopy(const Plane3d* plane, Vec3 point, double tolerance);

// The common point of three planes by Cramer's rule; returns 0 (out untouched)
// when the determinant of the unit normals is exactly 0, else 1.
int32_t IntersectThreePlanes(const Plane3d* plane1, const Plane3d* plane2, const Plane3d* plane3, Vec3* out);

// The cosine of the angle at p1: unit(p1 - p0).unit(p1 - p2); a coincident
// neighbour gives 0.
double CosAngleAtVertex(const Vec3* p0, const Vec3* p1, const Vec3* p2);

// unit(p1 - p0) x unit(p1 - p2), not normalised again; a coincident
// neighbour gives the zero vector.
void VertexCrossNormal(const Vec3* p0, const Vec3* p1, const Vec3* p2, Vec3* out);

// out = c + (p - c)*MakeRotationMatrix4d(n, angle): p turned about the line
// through c along the unit direction n.
void RotatePointAboutAxis(Vec3* out, const Vec3* c, const Vec3* n, double angle, const Vec3* p);

// origin (0, 0, 0), axis (1, 0, 0), angle 0.
FaceFrame2d* MakeFaceFrame2d(FaceFrame2d* record);

// The mirror image of p across the line through a and b. Equal a and b give
// the point reflection 2a - p.
void MapComplexToFaceFrame(Complex* out, const Complex* a, const Complex* b, const Complex* p);

// Meets the ray with the sphere (kind 0) or the cylinder along z (kind 1) of
// the given radius about centre. False when the ray misses, when the
// direction is zero (or parallel to the cylinder's axis) and when the radius
// is not positive. Otherwise near (and far, unless null) receive the hit point
// and the unit surface normal of the nearer and farther crossing along the
// ray's line; a crossing behind the origin is reported like one in front.
bool IntersectRayQuadric(const Ray3d* ray, const Vec3* centre, double radius, Ray3d* nearHit, Ray3d* farHit,
                         int32_t kind);

// True when d.(b x a) >= 0, d.(c x b) >= 0 and d.(a x c) >= 0, each triple
// product taken to float before its test (a direction on an edge is inside).
bool InSphericalTriangle(const Vec3* a, const Vec3* b, const Vec3* c, const Vec3* d);

// Two-sided ray-triangle test with determinant tolerance 1e-6: 1 on a hit with
// the distance parameter t (of either sign) and the weights u of B and v of
// C; 0 otherwise, the outputs then meaningless.
int32_t IntersectRayTriangle(const Vec3* origin, const Vec3* direction, const Vec3* A, const Vec3* B, const Vec3* C,
                             double* t, double* u, double* v);
