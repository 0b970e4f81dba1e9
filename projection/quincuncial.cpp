#include "projection/quincuncial.h"

#include <cmath>

#include "geometry/fast_math.h"
#include "geometry/rotation.h"
#include "projection/lookup_grid.h"

namespace {

// A turn by -45 degrees.
constexpr Complex kTurnMinus45{0.7071067812, -0.7071067812};

bool InUnitSquare(const Complex* q) { return q->re >= 0.0 && q->re <= 1.0 && q->im >= 0.0 && q->im <= 1.0; }

// One hemisphere of the quincuncial map from a point of the unit square.
void QuincuncialHemisphere(const Complex* q, Vec3f* v, ImageRecord* grid, double power, double angle) {
  Complex r = ConformalSquareLookup(q, grid);
  ComplexPow(&r, &r, power);
  Complex turn;
  ComplexFromAngle(&turn, angle);
  ComplexMul(&r, &r, &turn);
  PlaneToSphereFromSouthPole(static_cast<float>(2.0 * r.re), static_cast<float>(2.0 * r.im), v);
}

// The disc point of the turned square, taken onto the sphere with the
// exponent-2 power map (the Adams squares, the wide rectangle and the ellipse).
void DiscToSphereSquared(const Complex* q, Vec3* v, uint8_t* outside, ImageRecord* grid, Complex* r) {
  const Complex w = ConformalSquareLookup(q, grid);
  ComplexMul(r, &w, &kTurnMinus45);
  StereographicToSpherePowered(r, 2.0, outside, v, 1);
}

}  // namespace

Complex ConformalSquareLookup(const Complex* p, ImageRecord* grid) {
  const Complex half{0.5, 0.5};
  Complex q;
  ComplexSub(&q, p, &half);
  ComplexScale(&q, 2.0, &q);
  uint32_t bits;
  FoldToOctant(&q, &bits);
  Complex w = LookupGridPair(&q, grid, 1);
  UnfoldFromOctant(&w, bits);
  const Complex turn{0.707106781186548, 0.707106781186548};
  Complex result;
  ComplexMul(&result, &w, &turn);
  return result;
}

void InversePeirceQuincuncial(double x, double y, uint8_t* outside, Vec3f* v, ImageRecord* grid, double power,
                              double angle) {
  if (x < -1.0 || x > 1.0 || y < -1.0 || y > 1.0) {
    *outside = 1;
    *v = Vec3f{0.0f, 0.0f, 1.0f};
    return;
  }
  *outside = 0;
  const Complex point{x, y};
  const Complex diamond{0.5000000000095127, -0.5000000000095127};
  const Complex half{0.5, 0.5};
  Complex q;
  ComplexMul(&q, &point, &diamond);
  ComplexAdd(&q, &q, &half);
  if (InUnitSquare(&q)) {
    QuincuncialHemisphere(&q, v, grid, power, angle);
    return;
  }
  // Fold back across the edge the point crossed.
  if (q.re >= 1.0 && q.re + q.im < 2.0 && q.re - q.im < 1.0) {
    q.re = 2.0 - q.re;
  } else if (q.re < 0.0 && q.re + q.im > 0.0 && q.re - q.im > -1.0) {
    q.re = -q.re;
  } else if (q.im >= 1.0 && q.re + q.im < 2.0 && q.re - q.im > -1.0) {
    q.im = 2.0 - q.im;
  } else if (q.im < 0.0 && q.re - q.im < 1.0 && q.re + q.im > 0.0) {
    q.im = -q.im;
  } else {
    *outside = 1;
    *v = Vec3f{0.0f, 0.0f, 1.0f};
    return;
  }
  QuincuncialHemisphere(&q, v, grid, power, angle);
  v->z = -v->z;
}

void InverseNCunx(double x, double y, uint8_t* outside, Vec3f* v, ImageRecord* grid, double k, int32_t n,
                  double angle, double scale, double offsetX, double offsetY) {
  Complex p{x + offsetX, y + offsetY};
  ComplexScale(&p, 1.0 / scale, &p);
  Complex turn{std::cos(angle), std::sin(angle)};
  ComplexMul(&p, &p, &turn);
  const double t = std::atan2(p.re, p.im);
  double a = 0.0;
  if (n == 5) {
    const double q = k * 0.25;
    if (t > -2.1991148574948967 && t <= -1.5707963267948966) {
      a = 6.283185307 / q;
    } else if (t > -1.5707963267948966 && t < -0.9424777960948966) {
      a = -6.283185307 / q;
    }
  } else if (n == 6) {
    if (t > -2.6179938777948966 && t < -1.5707963267948966) {
      a = 2.094395102;
    } else if (t > -1.5707963267948966 && t < -0.5235987757948966) {
      a = -2.094395102;
    }
  }
  ComplexPow(&p, &p, k);
  InversePeirceQuincuncial(p.re, p.im, outside, v, grid, 1.0 / k, a);
}

void InverseChevron(double x, double y, uint8_t* outside, Vec3f* v, ImageRecord* grid, double offsetX,
                    double offsetY) {
  Complex p{x + offsetX, y + offsetY};
  Complex turn;
  ComplexFromAngle(&turn, 0.78539816325);
  ComplexMul(&p, &p, &turn);
  const double t = std::atan2(p.re, p.im);
  InversePeirceQuincuncial(p.re, p.im, outside, v, grid, 1.3333333333333333, -0.5235987755);
  if (t > -1.5707963265 && t < 0.0) *outside = 1;  // the notch
}

void InverseAdamsSquare(double x, double y, uint8_t* outside, Vec3* v, ImageRecord* grid, int32_t variant,
                        Complex* disc) {
  const Complex q{x + 0.5, y + 0.5};
  if (!InUnitSquare(&q)) {
    *outside = 1;
    if (disc) *disc = Complex{0.0, 0.0};
    return;
  }
  *outside = 0;
  Complex r = ConformalSquareLookup(&q, grid);
  if (variant == 2 || variant == 3) ComplexMul(&r, &r, &kTurnMinus45);
  StereographicToSpherePowered(&r, 2.0, outside, v, 1);
  if (disc) *disc = r;
}

void InverseGuyou(double x, double y, uint8_t* outside, Vec3f* v, ImageRecord* grid, Complex* disc) {
  Complex q{x + 1.0, y + 0.5};
  if (q.re < 0.0 || q.re > 2.0 || q.im < 0.0 || q.im > 1.0) {
    *outside = 1;
    if (disc) *disc = Complex{0.0, 0.0};
    return;
  }
  *outside = 0;
  Complex r;
  Vec3f s;
  if (q.re < 1.0) {
    const Complex w = ConformalSquareLookup(&q, grid);
    ComplexMul(&r, &w, &kTurnMinus45);
    PlaneToSphereFromSouthPole(static_cast<float>(2.0 * r.re), static_cast<float>(2.0 * r.im), &s);
    *v = Vec3f{s.z, s.y, -s.x};
  } else {
    q.re = q.re - 1.0;
    const Complex w = ConformalSquareLookup(&q, grid);
    ComplexMul(&r, &kTurnMinus45, &w);
    PlaneToSphereFromSouthPole(static_cast<float>(2.0 * r.re), static_cast<float>(2.0 * r.im), &s);
    *v = Vec3f{-s.z, s.y, s.x};
  }
  if (disc) *disc = r;
}

void InverseWideRect(double x, double y, uint8_t* outside, Vec3* v, ImageRecord* grid) {
  const Complex q{y + 0.25 + 0.5, -x + 0.5};
  if (InUnitSquare(&q)) {
    *outside = 0;
    Complex r;
    DiscToSphereSquared(&q, v, outside, grid, &r);
  } else {
    *outside = 1;  // v keeps what it held
  }
  *v = Vec3{-v->y, v->z, -v->x};
  MapSpherePower(v, 0.5, outside, 0.0);
  MobiusTiltSphere(v, 0.17162937594758676);
}

void InverseEllipse(double x, double y, uint8_t* outside, Vec3* v, ImageRecord* grid) {
  Complex p{2.0 * x, 2.0 * y};
  ComplexAsin(&p, &p);
  ComplexScale(&p, 0.3183098861837907, &p);
  InverseEllipseCore(p.re, p.im, outside, v, grid);
}

void InverseEllipseCore(double x, double y, uint8_t* outside, Vec3* v, ImageRecord* grid) {
  const Complex q{y + 0.5, -x + 0.5};
  if (InUnitSquare(&q)) {
    *outside = 0;
    Complex r;
    DiscToSphereSquared(&q, v, outside, grid, &r);
  } else {
    *outside = 1;
  }
  *v = Vec3{-v->y, v->z, -v->x};
  MobiusTiltSphere(v, 0.08645612373948097);
  MapSpherePowerAboutZ(v, 0.5, outside);
  *v = Vec3{v->x, -v->z, v->y};
}

void InverseEqualSquarea(double x, double y, uint8_t* outside, float v[3], ImageRecord* grid) {
  if (x < -1.0 || x > 1.0 || y < -1.0 || y > 1.0) {
    *outside = 1;
    v[0] = 0.0f;
    v[1] = 0.0f;
    v[2] = 1.0f;
    return;
  }
  *outside = 0;
  const float sx = x < 0.0 ? -1.0f : 1.0f;
  const float sy = y < 0.0 ? -1.0f : 1.0f;
  const Complex folded{std::fabs(x), std::fabs(y)};
  const Vec3 cell = LookupGridTriple(&folded, grid);
  Vec3f d{static_cast<float>(cell.x), static_cast<float>(cell.y), static_cast<float>(cell.z)};
  NormalizeVec3f(&d);
  v[0] = d.x * sx;
  v[1] = d.y * sy;
  v[2] = d.z;
}

void InverseWinkelTripel(Complex* p, ImageRecord* grid, float v[3], uint8_t* outside) {
  p->re = p->re / 2.570796326312263;
  p->im = p->im / 1.5707963267948966;
  if (p->re < -1.0 || p->re > 1.0 || p->im < -1.0 || p->im > 1.0) {
    *outside = 1;
    return;
  }
  const Complex folded{std::fabs(p->re), std::fabs(p->im)};
  const Complex cell = LookupGridPair(&folded, grid, 10);
  const float lambda = -static_cast<float>(cell.re) * (p->re < 0.0 ? -1.0f : 1.0f);
  if (static_cast<double>(lambda) < -3.141592653 || static_cast<double>(lambda) > 3.141592653) {
    *outside = 1;  // beyond the map's outline
    return;
  }
  const float phi = static_cast<float>(cell.im) * (p->im < 0.0 ? -1.0f : 1.0f);
  Vec3f d;
  EquirectToVec3f(static_cast<float>(lambda * 0.15915494309189535 + 0.5),
                  static_cast<float>(phi * 0.3183098861837907 + 0.5), &d);
  v[0] = d.x;
  v[1] = d.y;
  v[2] = d.z;
  *outside = 0;
}
