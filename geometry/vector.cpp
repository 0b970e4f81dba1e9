#include "geometry/vector.h"

#include <cmath>

double LibrarySqrt(double x) { return std::sqrt(x); }

float LibrarySqrtf(float x) { return std::sqrt(x); }

float BiasCurve(float t, float a) {
  if (t == 0.0f) return 0.0f;
  return std::pow(t, std::log(a) * -1.442695f);
}

float GainCurve(float t, float g) {
  const float p = static_cast<float>(static_cast<double>(std::log(1.0f - g)) * -1.442695040888963);
  if (t < 0.001) return 0.0f;
  if (t > 0.999) return 1.0f;
  if (t < 0.5f) return std::pow(2.0f * t, p) * 0.5f;
  return 1.0f - std::pow(2.0f * (1.0f - t), p) * 0.5f;
}

// --- normaliser slow paths ---------------------------------------------------------

void NormalizeScaledVec3d(Vec3* v, const Vec3& zeroResult) {
  const double m = std::fmax(std::fabs(v->x), std::fmax(std::fabs(v->y), std::fabs(v->z)));
  if (m == 0.0) {
    *v = zeroResult;
    return;
  }
  if (!std::isfinite(m) || std::isnan(v->x + v->y + v->z)) {
    *v = Vec3{NAN, NAN, NAN};
    return;
  }
  Vec3 scaled{v->x / m, v->y / m, v->z / m};
  const double f = 1.0 / std::sqrt(LengthSquaredVec3d(&scaled));
  *v = Vec3{scaled.x * f, scaled.y * f, scaled.z * f};
}

void NormalizeScaledVec3f(Vec3f* v, const Vec3f& zeroResult) {
  const float m = std::fmax(std::fabs(v->x), std::fmax(std::fabs(v->y), std::fabs(v->z)));
  if (m == 0.0f) {
    *v = zeroResult;
    return;
  }
  if (!std::isfinite(m) || std::isnan(v->x + v->y + v->z)) {
    *v = Vec3f{NAN, NAN, NAN};
    return;
  }
  Vec3f scaled{v->x / m, v->y / m, v->z / m};
  const float f = ReciprocalSqrtf(LengthSquaredVec3f(&scaled));
  *v = Vec3f{scaled.x * f, scaled.y * f, scaled.z * f};
}

// --- complex numbers -----------------------------------------------------------

namespace {

// The limit of a/e for a real e shrinking to +0, part by part.
double InfinityLike(double part) {
  if (part == 0.0) return 0.0;
  if (std::isnan(part)) return part;
  return std::copysign(INFINITY, part);
}

}  // namespace

void ComplexDiv(Complex* out, const Complex* a, const Complex* b) {
  if (b->re == 0.0 && b->im == 0.0) {
    const double re = InfinityLike(a->re);
    const double im = InfinityLike(a->im);
    out->re = re;
    out->im = im;
    return;
  }
  double re;
  double im;
  if (std::fabs(b->re) >= std::fabs(b->im)) {
    const double r = b->im / b->re;
    const double f = 1.0 / (b->im * r + b->re);
    re = (a->im * r + a->re) * f;
    im = (a->im - a->re * r) * f;
  } else {
    const double r = b->re / b->im;
    const double f = 1.0 / (b->re * r + b->im);
    re = (a->re * r + a->im) * f;
    im = (a->im * r - a->re) * f;
  }
  out->re = re;
  out->im = im;
}

void ComplexPow(Complex* out, const Complex* z, double p) {
  if (z->re == 0.0 && z->im == 0.0) {
    out->re = 0.0;
    out->im = 0.0;
    return;
  }
  const double theta = std::atan2(z->im, z->re);
  const double m = std::exp(std::log(z->re * z->re + z->im * z->im) * p * 0.5);
  out->re = m * std::cos(theta * p);
  out->im = m * std::sin(theta * p);
}

void ComplexDiscMobius(Complex* out, const Complex* a, const Complex* b) {
  const Complex conjB{b->re, -b->im};
  Complex product;
  ComplexMul(&product, a, &conjB);
  const Complex numerator{a->re - b->re, a->im - b->im};
  const Complex denominator{1.0 - product.re, -product.im};
  ComplexDiv(out, &numerator, &denominator);
}

void ComplexAsin(Complex* out, const Complex* z) {
  Complex z2;
  ComplexSquare(&z2, z);
  const Complex w{1.0 - z2.re, -z2.im};
  Complex s{0.0, 0.0};
  if (w.re != 0.0 || w.im != 0.0) {
    const double g = std::sqrt((std::sqrt(w.re * w.re + w.im * w.im) + std::fabs(w.re)) * 0.5);
    if (w.re >= 0.0) {
      s = Complex{g, w.im / (2.0 * g)};
    } else {
      const double h = w.im >= 0.0 ? g : -g;
      s = Complex{w.im / (2.0 * h), h};
    }
  }
  const Complex u{s.re - z->im, s.im + z->re};
  out->re = std::atan2(u.im, u.re);
  out->im = -0.5 * std::log(u.re * u.re + u.im * u.im);
}

// --- rotation matrices -----------------------------------------------------------

namespace {

// A unit vector perpendicular to the unit vector a: a crossed with the
// coordinate axis least aligned with it.
Vec3 PerpendicularUnit(const Vec3* a) {
  const double ax = std::fabs(a->x), ay = std::fabs(a->y), az = std::fabs(a->z);
  Vec3 e{0.0, 0.0, 0.0};
  if (ax <= ay && ax <= az) {
    e.x = 1.0;
  } else if (ay <= az) {
    e.y = 1.0;
  } else {
    e.z = 1.0;
  }
  Vec3 p;
  CrossVec3d(&p, a, &e);
  NormalizeVec3d(&p);
  return p;
}

double ClampedAcos(double c) {
  if (c > 1.0) c = 1.0;
  if (c < -1.0) c = -1.0;
  return std::acos(c);
}

// The 3x3 product P*Q into the 3x3 block of out.
void MultiplyBlocks(const Matrix4d* P, const Matrix4d* Q, Matrix4d* out) {
  double r[9];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r[3 * i + j] = P->m[4 * i] * Q->m[j] + P->m[4 * i + 1] * Q->m[4 + j] + P->m[4 * i + 2] * Q->m[8 + j];
    }
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) out->m[4 * i + j] = r[3 * i + j];
  }
}

// The rotation axis for turning the unit vector a toward b: unit(b x a). Near
// parallel and opposite vectors the cross product is mostly rounding noise:
// its part along a is removed there, and a perpendicular of a stands in when
// nothing is left (any such axis serves for a half or a null turn).
Vec3 TurnAxis(const Vec3* a, const Vec3* b) {
  Vec3 axis;
  CrossVec3d(&axis, b, a);
  if (LengthSquaredVec3d(&axis) < 1e-8) {
    const double along = DotVec3d(&axis, a);
    axis = Vec3{axis.x - along * a->x, axis.y - along * a->y, axis.z - along * a->z};
    if (LengthSquaredVec3d(&axis) == 0.0) return PerpendicularUnit(a);
  }
  NormalizeVec3d(&axis);
  return axis;
}

}  // namespace

void MakeRotationMatrix4d(const Vec3* axis, double angle, Matrix4d* M) {
  const double s = std::sin(angle * 0.5);
  const double w = std::cos(angle * 0.5);
  const double qx = axis->x * s, qy = axis->y * s, qz = axis->z * s;
  double* m = M->m;
  m[0] = 1.0 - 2.0 * (qy * qy + qz * qz);
  m[1] = 2.0 * (qx * qy - qz * w);
  m[2] = 2.0 * (qx * qz + qy * w);
  m[3] = 0.0;
  m[4] = 2.0 * (qx * qy + qz * w);
  m[5] = 1.0 - 2.0 * (qx * qx + qz * qz);
  m[6] = 2.0 * (qy * qz - qx * w);
  m[7] = 0.0;
  m[8] = 2.0 * (qx * qz - qy * w);
  m[9] = 2.0 * (qy * qz + qx * w);
  m[10] = 1.0 - 2.0 * (qx * qx + qy * qy);
  m[11] = 0.0;
  m[12] = 0.0;
  m[13] = 0.0;
  m[14] = 0.0;
  m[15] = 1.0;
}

void SetRotationMatrix4f(const Vec3f* axis, float angle, Matrix4f* M) {
  Vec3 axisD;
  Vec3fToVec3d(&axisD, axis);
  Matrix4d d;
  MakeRotationMatrix4d(&axisD, angle, &d);
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) M->m[4 * row + col] = static_cast<float>(d.m[4 * row + col]);
  }
}

void RotationOntoVectorFast(const Vec3* a, const Vec3* b, Matrix4d* M) {
  Vec3 v;
  CrossVec3d(&v, b, a);
  const double c = DotVec3d(a, b);
  const double h = 1.0 / (1.0 + c);
  double* m = M->m;
  m[0] = h * v.x * v.x + c;
  m[1] = h * v.x * v.y - v.z;
  m[2] = h * v.x * v.z + v.y;
  m[4] = h * v.x * v.y + v.z;
  m[5] = h * v.y * v.y + c;
  m[6] = h * v.y * v.z - v.x;
  m[8] = h * v.x * v.z - v.y;
  m[9] = h * v.y * v.z + v.x;
  m[10] = h * v.z * v.z + c;
}

void RotationOntoVector(const Vec3* a, const Vec3* b, Matrix4d* M) {
  const double c = DotVec3d(a, b);
  if (std::fabs(c) <= 0.9999999) {
    RotationOntoVectorFast(a, b, M);
    return;
  }
  // Nearly parallel or opposite: go through an intermediate vector m.
  Vec3 m{a->x + (b->x - a->x) * 0.5, a->y + (b->y - a->y) * 0.5, a->z + (b->z - a->z) * 0.5};
  if (LengthSquaredVec3d(&m) > 0.9999999) m = Vec3{a->y, a->z, a->x};
  NormalizeVec3d(&m);
  // Opposite vectors leave no usable midpoint; any perpendicular of a serves
  // (the whole turn is then a half turn about an axis perpendicular to a).
  if (DotVec3d(a, &m) < -0.5 || DotVec3d(&m, b) < -0.5) m = PerpendicularUnit(a);
  Matrix4d first;
  Matrix4d second;
  RotationOntoVectorFast(a, &m, &first);
  RotationOntoVectorFast(&m, b, &second);
  MultiplyBlocks(&first, &second, M);
}

void RotationOntoVector4f(const Vec3f* a, const Vec3f* b, Matrix4f* M) {
  Vec3 ad;
  Vec3 bd;
  Vec3fToVec3d(&ad, a);
  Vec3fToVec3d(&bd, b);
  Matrix4d d;
  RotationOntoVector(&ad, &bd, &d);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) M->m[4 * row + col] = static_cast<float>(d.m[4 * row + col]);
  }
}

void RotationBetweenVectors(const Vec3* a, const Vec3* b, Matrix4d* M) {
  Vec3 ua = *a;
  Vec3 ub = *b;
  NormalizeVec3d(&ua);
  NormalizeVec3d(&ub);
  // unit(a x b); the matrix then turns unit(b) onto unit(a).
  Vec3 axis = TurnAxis(&ub, &ua);
  MakeRotationMatrix4d(&axis, ClampedAcos(DotVec3d(&ua, &ub)), M);
}

void RotateVectorToward(const Vec3* a, const Vec3* b, Vec3* out, double t) {
  if (t == 0.0) {
    *out = *a;
    return;
  }
  const Vec3 axis = TurnAxis(a, b);
  Matrix4d M;
  MakeRotationMatrix4d(&axis, ClampedAcos(DotVec3d(a, b)) * t, &M);
  Vec3 r;
  TransformVec3dByMatrix(a, &M, &r);
  NormalizeVec3d(&r);
  *out = r;
}
