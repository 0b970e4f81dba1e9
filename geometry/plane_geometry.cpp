#include "geometry/plane_geometry.h"

#include <cmath>

void MakeRay3d(Ray3d* ray, const Vec3* point, const Vec3* direction) {
  Vec3 d = *direction;
  NormalizeVec3d(&d);
  ray->origin = *point;
  ray->direction = d;
}

void MakePlane3d(Plane3d* plane, double a, double b, double c, double d) {
  plane->a = a;
  plane->b = b;
  plane->c = c;
  plane->d = d;
  Vec3 n{a, b, c};
  const double length = LengthVec3d(&n);
  NormalizeVec3d(&n);
  // A zero normal stands for the unit normal (0, 0, 1) that it normalises to.
  plane->distance = length == 0.0 ? d : d / length;
  plane->unitNormal = n;
  plane->offset = -plane->distance;
  ScaleVec3d(&plane->point, plane->offset, &n);
}

void MakePlaneFromPointNormal(const Vec3* point, const Vec3* normal, Plane3d* plane) {
  Vec3 n = *normal;
  NormalizeVec3d(&n);
  const Vec3 p = *point;
  const double offset = DotVec3d(&n, &p);
  MakePlane3d(plane, n.x, n.y, n.z, -offset);
  plane->point = p;
  plane->offset = offset;
}

void MakePlaneThroughPoints(const Vec3* p0, const Vec3* p1, const Vec3* p2, Plane3d* plane) {
  Vec3 e1;
  Vec3 e2;
  SubtractVec3d(&e1, p1, p0);
  SubtractVec3d(&e2, p2, p0);
  Vec3 n;
  CrossVec3d(&n, &e1, &e2);
  NormalizeVec3d(&n);
  const Vec3 p = *p1;
  const double offset = DotVec3d(&n, &p);
  MakePlane3d(plane, n.x, n.y, n.z, -offset);
  plane->point = p;
  plane->offset = offset;
}

void MakePlaneThroughPointsCopy(Vec3 p0, Vec3 p1, Vec3 p2, Plane3d* plane) {
  MakePlaneThroughPoints(&p0, &p1, &p2, plane);
}

int32_t ClassifyPointPlane(const Plane3d* plane, const Vec3* point, double tolerance) {
  const double s = DotVec3d(&plane->unitNormal, point) + plane->distance;
  if (s > tolerance) return 1;
  if (s < -tolerance) return -1;
  return 0;
}

int32_t ClassifyPointPlaneCopy(const Plane3d* plane, Vec3 point, double tolerance) {
  return ClassifyPointPlane(plane, &point, tolerance);
}

int32_t IntersectThreePlanes(const Plane3d* plane1, const Plane3d* plane2, const Plane3d* plane3, Vec3* out) {
  const Vec3* n1 = &plane1->unitNormal;
  const Vec3* n2 = &plane2->unitNormal;
  const Vec3* n3 = &plane3->unitNormal;
  Vec3 c23;
  Vec3 c31;
  Vec3 c12;
  CrossVec3d(&c23, n2, n3);
  CrossVec3d(&c31, n3, n1);
  CrossVec3d(&c12, n1, n2);
  const double det = DotVec3d(n1, &c23);
  if (det == 0.0) return 0;
  const double o1 = plane1->offset, o2 = plane2->offset, o3 = plane3->offset;
  *out = Vec3{(o1 * c23.x + o2 * c31.x + o3 * c12.x) / det, (o1 * c23.y + o2 * c31.y + o3 * c12.y) / det,
              (o1 * c23.z + o2 * c31.z + o3 * c12.z) / det};
  return 1;
}

double CosAngleAtVertex(const Vec3* p0, const Vec3* p1, const Vec3* p2) {
  Vec3 e0;
  Vec3 e2;
  UnitDirectionVec3d(&e0, p0, p1);
  UnitDirectionVec3d(&e2, p2, p1);
  return DotVec3d(&e0, &e2);
}

void VertexCrossNormal(const Vec3* p0, const Vec3* p1, const Vec3* p2, Vec3* out) {
  Vec3 e0;
  Vec3 e2;
  UnitDirectionVec3d(&e0, p0, p1);
  UnitDirectionVec3d(&e2, p2, p1);
  CrossVec3d(out, &e0, &e2);
}

void RotatePointAboutAxis(Vec3* out, const Vec3* c, const Vec3* n, double angle, const Vec3* p) {
  Matrix4d M;
  MakeRotationMatrix4d(n, angle, &M);
  Vec3 rel;
  SubtractVec3d(&rel, p, c);
  Vec3 turned;
  TransformVec3dByMatrix(&rel, &M, &turned);
  AddVec3d(out, c, &turned);
}

FaceFrame2d* MakeFaceFrame2d(FaceFrame2d* record) {
  record->origin = Vec3{0.0, 0.0, 0.0};
  record->axis = Vec3{1.0, 0.0, 0.0};
  record->angle = 0.0;
  return record;
}

void MapComplexToFaceFrame(Complex* out, const Complex* a, const Complex* b, const Complex* p) {
  Complex u;
  ComplexSub(&u, a, b);
  ComplexNormalize(&u, &u);
  Complex rel;
  ComplexSub(&rel, p, a);
  const double f = ComplexDot(&rel, &u);
  const double re = 2.0 * a->re + 2.0 * f * u.re - p->re;
  const double im = 2.0 * a->im + 2.0 * f * u.im - p->im;
  out->re = re;
  out->im = im;
}

bool IntersectRayQuadric(const Ray3d* ray, const Vec3* centre, double radius, Ray3d* nearHit, Ray3d* farHit,
                         int32_t kind) {
  if (!(radius > 0.0)) return false;
  const double inv = 1.0 / radius;
  const Vec3 o{(ray->origin.x - centre->x) * inv, (ray->origin.y - centre->y) * inv,
               (ray->origin.z - centre->z) * inv};
  const Vec3& d = ray->direction;
  double A;
  double B;
  double C;
  if (kind == kQuadricCylinder) {
    A = d.x * d.x + d.y * d.y;
    B = 2.0 * (d.x * o.x + d.y * o.y);
    C = o.x * o.x + o.y * o.y - 1.0;
  } else {
    A = DotVec3d(&d, &d);
    B = 2.0 * DotVec3d(&d, &o);
    C = DotVec3d(&o, &o) - 1.0;
  }
  // No quadratic: a zero direction, or a ray along the cylinder's axis.
  if (A == 0.0) return false;
  const double disc = B * B - 4.0 * A * C;
  if (!(disc >= 0.0)) return false;
  const double root = std::sqrt(disc);
  const double t1 = (-B - root) / (2.0 * A);
  const double t2 = (root - B) / (2.0 * A);
  // The roots are in units of the radius, the direction is not scaled.
  const double tNear = std::fmin(t1, t2) * radius;
  const double tFar = std::fmax(t1, t2) * radius;
  auto fill = [&](double t, Ray3d* hit) {
    const Vec3 point{ray->origin.x + t * d.x, ray->origin.y + t * d.y, ray->origin.z + t * d.z};
    Vec3 normal{point.x - centre->x, point.y - centre->y, point.z - centre->z};
    if (kind == kQuadricCylinder) normal.z = 0.0;
    NormalizeVec3d(&normal);
    hit->origin = point;
    hit->direction = normal;
  };
  fill(tNear, nearHit);
  if (farHit != nullptr) fill(tFar, farHit);
  return true;
}

bool InSphericalTriangle(const Vec3* a, const Vec3* b, const Vec3* c, const Vec3* d) {
  Vec3 n;
  CrossVec3d(&n, b, a);
  if (!(static_cast<float>(DotVec3d(d, &n)) >= 0.0f)) return false;
  CrossVec3d(&n, c, b);
  if (!(static_cast<float>(DotVec3d(d, &n)) >= 0.0f)) return false;
  CrossVec3d(&n, a, c);
  return static_cast<float>(DotVec3d(d, &n)) >= 0.0f;
}

int32_t IntersectRayTriangle(const Vec3* origin, const Vec3* direction, const Vec3* A, const Vec3* B, const Vec3* C,
                             double* t, double* u, double* v) {
  constexpr double kEpsilon = 1e-6;
  Vec3 e1;
  Vec3 e2;
  SubtractVec3d(&e1, B, A);
  SubtractVec3d(&e2, C, A);
  Vec3 p;
  CrossVec3d(&p, direction, &e2);
  const double det = DotVec3d(&e1, &p);
  Vec3 s;
  SubtractVec3d(&s, origin, A);
  Vec3 q;
  CrossVec3d(&q, &s, &e1);
  double U;
  double V;
  if (det > kEpsilon) {
    U = DotVec3d(&s, &p);
    if (U < 0.0 || U > det) return 0;
    V = DotVec3d(direction, &q);
    if (V < 0.0 || U + V > det) return 0;
  } else if (det < -kEpsilon) {
    U = DotVec3d(&s, &p);
    if (U > 0.0 || U < det) return 0;
    V = DotVec3d(direction, &q);
    if (V > 0.0 || U + V < det) return 0;
  } else {
    return 0;  // parallel to the triangle's plane (or a degenerate triangle)
  }
  *t = DotVec3d(&e2, &q) / det;
  *u = U / det;
  *v = V / det;
  return 1;
}
