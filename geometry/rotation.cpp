#include "geometry/rotation.h"

#include <cmath>
#include <numbers>

#include "geometry/fast_math.h"

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// P(w): plane to sphere. The point at infinity (r2 overflowing) gives the
// south pole instead of NaN.
Vec3 PlaneToSphere(const Complex* w) {
  const double r2 = w->re * w->re + w->im * w->im;
  if (std::isinf(r2)) return Vec3{0.0, 0.0, -1.0};
  return Vec3{-2.0 * w->re / (r2 + 1.0), -2.0 * w->im / (r2 + 1.0), (1.0 - r2) / (1.0 + r2)};
}

// S(v): sphere to plane; (0, 0) when v.z + 1 <= 0.
Complex SphereToPlane(const Vec3* v) {
  const double zp = v->z + 1.0;
  if (zp <= 0.0) return Complex{0.0, 0.0};
  return Complex{-v->x / zp, -v->y / zp};
}

}  // namespace

void SetRotationFromAngles(float d1, float d2, float d3, RotationRecord* record) {
  const float a = d2 * 3.1415927f / 180.0f;
  const float b = static_cast<float>(static_cast<double>(d1 * 3.1415927f) / 180.0);
  const float c = static_cast<float>(static_cast<double>(d3 * 3.1415927f) / 180.0);
  BuildRotationRecord(record, a, b, c);
}

void BuildRotationRecord(RotationRecord* record, float a, float b, float c) {
  record->radiansA = a;
  record->radiansB = b;
  record->radiansC = c;
  record->axisX = Vec3f{1.0f, 0.0f, 0.0f};
  record->axisY = Vec3f{0.0f, 1.0f, 0.0f};
  record->axisZ = Vec3f{0.0f, 0.0f, 1.0f};
  // The rotation setter leaves the last column alone: give it a defined value.
  Matrix4f* const matrices[3] = {&record->matrixA, &record->matrixB, &record->matrixC};
  for (Matrix4f* M : matrices) {
    M->m[3] = M->m[7] = M->m[11] = 0.0f;
    M->m[15] = 1.0f;
  }
  SetRotationMatrix4f(&record->axisX, a, &record->matrixA);
  SetRotationMatrix4f(&record->axisY, b, &record->matrixB);
  Vec3f spin{0.0f, 0.0f, 1.0f};
  Vec3f turned;
  TransformVec3fByMatrix(&spin, &record->matrixA, &turned);
  NormalizeVec3fUnchecked(&turned);
  TransformVec3fByMatrix(&turned, &record->matrixB, &spin);
  NormalizeVec3fUnchecked(&spin);
  record->spinAxis = spin;
  SetRotationMatrix4f(&record->spinAxis, c, &record->matrixC);
}

void RotateVec3dAboutZ(Vec3* v, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double x = v->x, y = v->y;
  v->x = x * c - y * s;
  v->y = x * s + y * c;
}

void RotateVec3dAboutX(Vec3* v, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double z = v->z, y = v->y;
  v->z = z * c - y * s;
  v->y = z * s + y * c;
}

void RotateVec3dAboutY(Vec3* v, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double z = v->z, x = v->x;
  v->z = z * c - x * s;
  v->x = z * s + x * c;
}

void StereographicToSphere(const Complex* w, Vec3* out) {
  const double r2 = w->re * w->re + w->im * w->im;
  if (std::isinf(r2)) {
    *out = Vec3{0.0, 0.0, -1.0};
    return;
  }
  const Complex twice{2.0 * w->re, 2.0 * w->im};
  const Complex denominator{r2 + 1.0, 0.0};
  Complex q;
  ComplexDiv(&q, &twice, &denominator);
  *out = Vec3{-q.re, -q.im, (1.0 - r2) / (1.0 + r2)};
}

void MobiusTiltSphere(Vec3* v, double t) {
  if (t == 0.0) return;
  double s = 1.0;
  Vec3 p = *v;
  if (p.z < 0.0) {
    p.z = -p.z;
    s = -1.0;
  }
  const Complex w = SphereToPlane(&p);
  const Complex tilt{0.0, t};
  Complex moved;
  ComplexDiscMobius(&moved, &w, &tilt);
  p = PlaneToSphere(&moved);
  p.z = s * p.z;
  *v = p;
}

void MapSpherePower(Vec3* v, double k, uint8_t* outside, double tilt) {
  const double p = 1.0 / k;
  Vec3 q{v->x, v->z, -v->y};
  double s = 1.0;
  if (q.z < 0.0) {
    q.z = -q.z;
    s = -1.0;
  }
  const Complex w = SphereToPlane(&q);
  const Complex u{-w.im, w.re};
  // The wedge test: the point's turn, measured from the seam, times the power
  // must stay within one full turn. The pole itself (u = 0) has no turn and
  // stays in place, so it is never outside.
  if (u.re != 0.0 || u.im != 0.0) {
    const double alpha =
        static_cast<double>(AngleAroundOrigin(static_cast<float>(u.re), static_cast<float>(u.im))) / kTwoPi + 0.75;
    const double f = alpha - std::floor(alpha);
    const double wedge = (f - 0.5) * 2.0 * p;
    if (wedge < -1.0 || wedge > 1.0) *outside = 1;
  }
  Complex raised;
  ComplexPow(&raised, &u, p);
  const Vec3 r = PlaneToSphere(&raised);
  *v = Vec3{r.y, -s * r.z, -r.x};
  MobiusTiltSphere(v, tilt);
}

void MapSpherePowerNoTilt(Vec3* v, double k, uint8_t* outside) { MapSpherePower(v, k, outside, 0.0); }

void MapSpherePowerF(Vec3f* v, double k, uint8_t* outside) {
  Vec3 d;
  Vec3fToVec3d(&d, v);
  MapSpherePower(&d, k, outside, 0.0);
  *v = Vec3f{static_cast<float>(d.x), static_cast<float>(d.y), static_cast<float>(d.z)};
}

void MapSpherePowerAboutZ(Vec3* v, double k, uint8_t* outside) {
  Vec3 t{v->x, -v->z, v->y};
  MapSpherePower(&t, k, outside, 0.0);
  *v = Vec3{t.x, t.z, -t.y};
}

void SphereToStereographicPowered(Vec3* v, Complex* out, double k) {
  uint8_t scratch = 0;
  MapSpherePower(v, 1.0 / k, &scratch, 0.0);
  *out = SphereToPlane(v);
}

void StereographicToSpherePowered(const Complex* w, double k, uint8_t* outside, Vec3* out, uint8_t keep) {
  Vec3 v = PlaneToSphere(w);
  MapSpherePower(&v, 1.0 / k, outside, 0.0);
  if (keep == 0) *outside = 0;
  *out = v;
}

void PlaneToSpherePoweredF(double x, double y, double k, uint8_t* outside, Vec3f* out, uint8_t keep) {
  const Complex w{x, y};
  Vec3 v = PlaneToSphere(&w);
  MapSpherePower(&v, 1.0 / k, outside, 0.0);
  if (keep == 0) *outside = 0;
  *out = Vec3f{static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

void PlaneToSphereFromAxisPoint(float x, float y, Vec3f* out, float c) {
  Vec3f d{-x, -y, 1.0f - c};
  NormalizeVec3f(&d);
  const float e = -c * d.z;
  // A ray from outside the sphere that misses it keeps its nearest approach.
  float radicand = static_cast<float>(1.0 - c * c + e * e);
  if (radicand < 0.0f) radicand = 0.0f;
  const float t = std::sqrt(radicand) + e;
  *out = Vec3f{t * d.x, t * d.y, t * d.z + c};
}

void PlaneToSphereFromAxisPointD(double x, double y, Vec3* out, double c) {
  Vec3 d{-x, -y, 1.0 - c};
  NormalizeVec3d(&d);
  const double e = -c * d.z;
  double radicand = 1.0 - c * c + e * e;
  if (radicand < 0.0) radicand = 0.0;
  const double t = std::sqrt(radicand) + e;
  *out = Vec3{t * d.x, t * d.y, t * d.z + c};
}

void PlaneToSphereFromSouthPole(float x, float y, Vec3f* out) { PlaneToSphereFromAxisPoint(x, y, out, -1.0f); }

void PlaneToSphereFromSouthPoleD(double x, double y, Vec3* out) { PlaneToSphereFromAxisPointD(x, y, out, -1.0); }
