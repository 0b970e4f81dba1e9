// Complex-plane and stereographic constructions: the Lagrange maps, the
// semicircle, stereo twice and thrice, the hyperdouble/hypertriple and
// Mercator cross/star powers, and the two- and three-cylinder maps.
#include <cmath>

#include "geometry/rotation.h"
#include "projection/mapping_context.h"
#include "projection/output_families.h"
#include "projection/output_projections.h"
#include "projection/output_shapes.h"

namespace {

constexpr double kPiCylinder = 3.141592653;

Vec3f ToVec3f(const Vec3& v) { return Vec3f{float(v.x), float(v.y), float(v.z)}; }

// The inverse stereographic point of w raised by the power map with exponent
// k about the pole axis; the wedge test raises outside.
Vec3 LagrangeDirection(const Complex& w, double k, uint8_t* outside) {
  Vec3 v;
  StereographicToSphere(&w, &v);
  MapSpherePower(&v, 1.0 / k, outside, 0.0);
  return v;
}

void MapLagrange(int32_t output, const OutputPoint& p, const OutputResult& r) {
  const Complex z{p.planeX, p.planeY};
  uint8_t wedge = 0;
  const double k = output == 84 ? 1.3333333333333333 : 2.0;
  const Vec3 v = LagrangeDirection(z, k, &wedge);
  if (output != 89 && wedge) {
    *r.outside = 1;
    return;
  }
  *r.d = ToVec3f(v);
}

void MapSemicircle(const OutputPoint& p, const OutputResult& r) {
  const Complex z{0.5 - double(p.planeY), p.planeX};
  if (!(z.re > 0)) {
    *r.outside = 1;
    return;
  }
  Complex turn;
  ComplexFromAngle(&turn, 0.78539816325);
  Complex w;
  ComplexMul(&w, &z, &turn);
  ComplexSquare(&w, &w);
  uint8_t wedge = 0;
  Vec3f d = ToVec3f(LagrangeDirection(w, 2.0, &wedge));
  TiltDirectionForSemicircle(&d);
  *r.d = d;
}

void MapStereoPower(int32_t output, const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float t = ViewFovTan(context);
  const Complex z{p.planeX * t * t / 2, p.planeY * t * t / 2};
  Vec3 v;
  StereographicToSphere(&z, &v);
  v = Vec3{v.x, v.z, -v.y};
  uint8_t wedge = 0;
  MapSpherePower(&v, output == 135 ? 0.5 : 0.3333333333333333, &wedge, 0.0);
  *r.d = Vec3f{float(v.x), float(-v.z), float(v.y)};
}

void MapHyperPower(int32_t output, const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  const float t = ViewFovTan(context);
  const Complex z{p.planeX, p.planeY};
  Complex w;
  if (output == 65 || output == 67) {
    ComplexSquare(&w, &z);
    ComplexScale(&w, 0.5, &w);
  } else {
    Complex z2;
    ComplexSquare(&z2, &z);
    ComplexMul(&w, &z2, &z);
  }
  if (output == 65 || output == 66) {
    PlaneToSphereFromAxisPoint(float(5 * t * w.re), float(5 * t * w.im), r.d, -1.0f);
    return;
  }
  ComplexScale(&w, double(t * t), &w);
  const float phi = std::atan(std::sinh(float(2 * 3.141592653589793 * w.im)));
  *r.d = Equi(float(1 - (w.re + 0.5)), (phi + kHalfPiF) / kPiF);
}

// One cylinder candidate passes when its parameter lies within half a turn
// (or a quarter for the upright cylinders of 160) and it leaves the sphere.
bool InTurn(double value) { return value >= -kPiCylinder && value <= kPiCylinder; }

void MapTwoCylinders(const OutputPoint& p, const OutputResult& r) {
  Complex turn;
  ComplexFromAngle(&turn, -0.7853981633);
  const Complex z{p.planeX, p.planeY};
  Complex w;
  ComplexMul(&w, &turn, &z);
  const double a = -w.re;
  const double b = -w.im;
  Vec3 v;
  if (std::fabs(a) <= std::fabs(b)) {
    const double c = std::cos(b);
    if (!(InTurn(b) && c * c + a * a < 1)) {
      *r.outside = 1;
      return;
    }
    v = Vec3{a, std::sin(b), c};
  } else {
    const double c = std::cos(a);
    if (!(InTurn(a) && c * c + b * b < 1)) {
      *r.outside = 1;
      return;
    }
    v = Vec3{std::sin(a), b, c};
  }
  RotateVec3dAboutZ(&v, 0.7853981633);
  NormalizeVec3d(&v);
  *r.d = ToVec3f(v);
}

// An upright cylinder candidate of 160: (cos b)^2 + a^2 < 1 and
// (sin b)^2 + a^2 < 1.
bool UprightPasses(float a, float c, float sn) {
  return double(c * c + a * a) < 1 && double(sn * sn + a * a) < 1;
}

void MapThreeCylinders(const OutputPoint& p, const MappingContext* context, const OutputResult& r) {
  Complex q;
  NormalizedToPlane(p.nx, p.ny, &q, &context->planeBox);
  const float px = float(q.re);
  const float a = -px;
  const float b = -float(q.im);
  bool found = false;
  Vec3f v{0, 0, 1};
  {
    const float c = std::cos(a);
    const float sn = std::sin(a);
    if (InTurn(a) && double(c * c + b * b) < 1 && double(sn * sn + b * b) < 1) {
      v = Vec3f{sn, b, c};
      found = true;
    }
  }
  if (double(b) >= -1.5707963267948966 && double(b) <= 1.5707963267948966) {
    const float c = std::cos(b);
    const float sn = std::sin(b);
    if (UprightPasses(a, c, sn)) {
      v = Vec3f{a, sn, c};
      found = true;
    }
    const float a3 = float(double(px) - kPiCylinder);
    if (UprightPasses(a3, c, sn)) {
      v = Vec3f{a3, sn, -c};
      found = true;
    }
    const float a4 = kHalfPiF - px;
    if (UprightPasses(a4, c, sn)) {
      v = Vec3f{-c, sn, a4};
      found = true;
    }
    const float a5 = kHalfPiF + px;
    if (UprightPasses(a5, c, sn)) {
      v = Vec3f{c, sn, a5};
      found = true;
    }
  }
  if (!found) {
    *r.outside = 1;
    return;
  }
  NormalizeVec3f(&v);
  *r.d = v;
}

}  // namespace

void MapComplexPlaneOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r) {
  switch (output) {
    case 69: case 84: case 89: MapLagrange(output, p, r); break;
    case 120: MapSemicircle(p, r); break;
    case 135: case 136: MapStereoPower(output, p, context, r); break;
    case 65: case 66: case 67: case 68: MapHyperPower(output, p, context, r); break;
    case 159: MapTwoCylinders(p, r); break;
    case 160: MapThreeCylinders(p, context, r); break;
    default: break;
  }
}
