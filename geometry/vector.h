// Value types of the geometry layer and the small operations on them: complex
// numbers, three-component vectors in double and float, 4x4 matrices of which
// the 3x3 block carries rotations, the octant fold and the bias/gain curves.
//
// Matrix convention (binding for every matrix of the system): row-major, the
// element of row i and column j is entry 4i + j, and a vector is a ROW vector
// multiplied on the left: result component j = v.x*M[j] + v.y*M[4+j] + v.z*M[8+j].
//
// Records are passed by address; results go to caller-owned records. Every
// operation reads all of its inputs before it writes its output, so an output
// may be the same record as an input.
//
// Degenerate inputs give defined values, never NaN (a NaN input may still
// propagate): zero vectors and zero complex numbers normalise to the values
// documented below, and division by a zero complex number gives the signed
// infinities of the numerator's parts (the point at infinity), 0/0 giving 0.
#pragma once

#include <cmath>
#include <cstdint>

struct Complex {
  double re;
  double im;
};

struct Vec3 {
  double x;
  double y;
  double z;
};

struct Vec3f {
  float x;
  float y;
  float z;
};

struct Matrix4f {
  float m[16];
};

struct Matrix4d {
  double m[16];
};

static_assert(sizeof(Complex) == 16);
static_assert(sizeof(Vec3) == 24);
static_assert(sizeof(Vec3f) == 12);
static_assert(sizeof(Matrix4f) == 64);
static_assert(sizeof(Matrix4d) == 128);

// Octant bits of FoldToOctant.
constexpr uint32_t kOctantNegatedRe = 1;
constexpr uint32_t kOctantNegatedIm = 2;
constexpr uint32_t kOctantSwapped = 4;

// --- scalar helpers ------------------------------------------------------------

// 1/sqrtf(x) with the division done in double.
inline float ReciprocalSqrtf(float x) {
  return static_cast<float>(1.0 / static_cast<double>(std::sqrt(x)));
}
inline double ReciprocalSqrt(double x) { return 1.0 / std::sqrt(x); }
double LibrarySqrt(double x);
float LibrarySqrtf(float x);
inline bool IsNanF(float x) { return std::isnan(x); }
// True when x, converted to float, is NaN.
inline bool IsNanD(double x) { return std::isnan(static_cast<float>(x)); }

// 0 when t is 0, else t^(-log2 a), in single precision.
float BiasCurve(float t, float a);
// The gain curve: 0 below 0.001, 1 above 0.999, otherwise two bias halves.
float GainCurve(float t, float g);

// --- complex numbers -----------------------------------------------------------

inline Complex* MakeComplex(Complex* out, double re, double im) {
  out->re = re;
  out->im = im;
  return out;
}

inline void ComplexAdd(Complex* out, const Complex* a, const Complex* b) {
  const double re = a->re + b->re;
  const double im = a->im + b->im;
  out->re = re;
  out->im = im;
}

inline void ComplexSum3(Complex* out, const Complex* a, const Complex* b, const Complex* c) {
  const double re = a->re + b->re + c->re;
  const double im = a->im + b->im + c->im;
  out->re = re;
  out->im = im;
}

inline void ComplexSub(Complex* out, const Complex* a, const Complex* b) {
  const double re = a->re - b->re;
  const double im = a->im - b->im;
  out->re = re;
  out->im = im;
}

inline void ComplexScale(Complex* out, double s, const Complex* z) {
  const double re = s * z->re;
  const double im = s * z->im;
  out->re = re;
  out->im = im;
}

// Three-multiplication form of the product.
inline void ComplexMul(Complex* out, const Complex* a, const Complex* b) {
  const double rr = a->re * b->re;
  const double ii = a->im * b->im;
  const double re = rr - ii;
  const double im = (a->re + a->im) * (b->re + b->im) - (ii + rr);
  out->re = re;
  out->im = im;
}

inline void ComplexSquare(Complex* out, const Complex* z) {
  const double re2 = z->re * z->re;
  const double im2 = z->im * z->im;
  const double sum = z->re + z->im;
  out->re = re2 - im2;
  out->im = sum * sum - (im2 + re2);
}

// a / b by Smith's method. A zero divisor gives the point at infinity: each
// part of the result is the signed infinity of the numerator's part, or 0
// where that part is 0 (so 0/0 is 0).
void ComplexDiv(Complex* out, const Complex* a, const Complex* b);

// z^p on the principal branch (cut along the negative real axis); 0^p is 0.
void ComplexPow(Complex* out, const Complex* z, double p);

// sqrt(re^2 + im^2), without overflow scaling.
inline double ComplexAbs(const Complex* z) { return std::sqrt(z->re * z->re + z->im * z->im); }

inline double ComplexDistance(const Complex* a, const Complex* b) {
  const double dr = a->re - b->re;
  const double di = a->im - b->im;
  return std::sqrt(dr * dr + di * di);
}

// z / |z|; the zero value gives (0, 0).
inline void ComplexNormalize(Complex* out, const Complex* z) {
  const double s = z->re * z->re + z->im * z->im;
  if (s == 0.0) {
    out->re = 0.0;
    out->im = 0.0;
    return;
  }
  const double f = 1.0 / std::sqrt(s);
  const double re = z->re * f;
  const double im = z->im * f;
  out->re = re;
  out->im = im;
}

inline double ComplexDot(const Complex* a, const Complex* b) { return a->re * b->re + a->im * b->im; }

inline void ComplexFromAngle(Complex* out, double x) {
  out->re = std::cos(x);
  out->im = std::sin(x);
}

// (a - b) / (1 - a*conj(b)), the disc automorphism; division as ComplexDiv.
void ComplexDiscMobius(Complex* out, const Complex* a, const Complex* b);

// -i*log(i*z + sqrt(1 - z^2)).
void ComplexAsin(Complex* out, const Complex* z);

// --- Vec3 (doubles) ------------------------------------------------------------

inline Vec3* SetVec3d(Vec3* out, double x, double y, double z) {
  out->x = x;
  out->y = y;
  out->z = z;
  return out;
}

inline Vec3* CopyVec3d(Vec3* dst, const Vec3* src) {
  *dst = *src;
  return dst;
}

// Source first.
inline void StoreVec3d(const Vec3* src, Vec3* dst) { *dst = *src; }

inline void Vec3fToVec3d(Vec3* out, const Vec3f* v) {
  out->x = v->x;
  out->y = v->y;
  out->z = v->z;
}

inline void AddVec3d(Vec3* out, const Vec3* a, const Vec3* b) {
  *out = Vec3{a->x + b->x, a->y + b->y, a->z + b->z};
}

inline void SumVec3d3(Vec3* out, const Vec3* a, const Vec3* b, const Vec3* c) {
  *out = Vec3{a->x + b->x + c->x, a->y + b->y + c->y, a->z + b->z + c->z};
}

// a - b.
inline void SubtractVec3d(Vec3* out, const Vec3* a, const Vec3* b) {
  *out = Vec3{a->x - b->x, a->y - b->y, a->z - b->z};
}

// b - a: the FIRST argument is subtracted.
inline void SubVec3d(Vec3* out, const Vec3* a, const Vec3* b) {
  *out = Vec3{b->x - a->x, b->y - a->y, b->z - a->z};
}

inline void ScaleVec3d(Vec3* out, double s, const Vec3* v) { *out = Vec3{s * v->x, s * v->y, s * v->z}; }

inline void MidpointVec3d(Vec3* out, const Vec3* a, const Vec3* b) {
  *out = Vec3{(a->x + b->x) * 0.5, (a->y + b->y) * 0.5, (a->z + b->z) * 0.5};
}

// a + t*(b - a) per component.
inline void LerpVec3d(Vec3* out, double t, const Vec3* a, const Vec3* b) {
  *out = Vec3{a->x + t * (b->x - a->x), a->y + t * (b->y - a->y), a->z + t * (b->z - a->z)};
}

inline void CrossVec3d(Vec3* out, const Vec3* a, const Vec3* b) {
  *out = Vec3{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
}

inline double DotVec3d(const Vec3* a, const Vec3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

inline double LengthSquaredVec3d(const Vec3* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }

inline double LengthVec3d(const Vec3* v) { return std::sqrt(LengthSquaredVec3d(v)); }

inline double DistanceVec3d(const Vec3* a, const Vec3* b) {
  const Vec3 d{a->x - b->x, a->y - b->y, a->z - b->z};
  return LengthVec3d(&d);
}

// The slow paths of the normalisers: a squared length that underflows to 0 or
// overflows is taken again on the vector scaled by its largest part; only the
// true zero vector becomes `zeroResult`. Non-finite parts give NaN.
void NormalizeScaledVec3d(Vec3* v, const Vec3& zeroResult);
void NormalizeScaledVec3f(Vec3f* v, const Vec3f& zeroResult);

// In place; the zero vector becomes (0, 0, 1).
inline void NormalizeVec3d(Vec3* v) {
  const double s = LengthSquaredVec3d(v);
  if (!(s > 0.0 && s < INFINITY)) {
    NormalizeScaledVec3d(v, Vec3{0.0, 0.0, 1.0});
    return;
  }
  const double f = 1.0 / std::sqrt(s);
  *v = Vec3{v->x * f, v->y * f, v->z * f};
}

inline void NormalizeVec3dSqrt(Vec3* v) { NormalizeVec3d(v); }

// Unit vector of v; the zero vector gives (0, 0, 0).
inline void NormalizedVec3d(Vec3* out, const Vec3* v) {
  const double s = LengthSquaredVec3d(v);
  if (!(s > 0.0 && s < INFINITY)) {
    *out = *v;
    NormalizeScaledVec3d(out, Vec3{0.0, 0.0, 0.0});
    return;
  }
  const double f = 1.0 / std::sqrt(s);
  *out = Vec3{v->x * f, v->y * f, v->z * f};
}

// Unit vector of b - a; equal points give (0, 0, 0).
inline void UnitDirectionVec3d(Vec3* out, const Vec3* a, const Vec3* b) {
  const Vec3 d{b->x - a->x, b->y - a->y, b->z - a->z};
  NormalizedVec3d(out, &d);
}

// Unit vector of v times length; the zero vector gives (0, 0, 0).
inline void ScaleToLengthVec3d(Vec3* out, const Vec3* v, double length) {
  Vec3 u;
  NormalizedVec3d(&u, v);
  *out = Vec3{u.x * length, u.y * length, u.z * length};
}

// --- Vec3f and float pairs -------------------------------------------------------

inline float LengthSquaredVec3f(const Vec3f* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }

// In place; the zero vector becomes (0, 0, 1).
inline void NormalizeVec3f(Vec3f* v) {
  const float s = LengthSquaredVec3f(v);
  if (!(s > 0.0f && s < INFINITY)) {
    NormalizeScaledVec3f(v, Vec3f{0.0f, 0.0f, 1.0f});
    return;
  }
  const float f = ReciprocalSqrtf(s);
  *v = Vec3f{v->x * f, v->y * f, v->z * f};
}

// In place; the zero vector becomes (0, 0, 1). Above a squared length of 0.05
// the factor is taken in double, below it in float.
inline void NormalizeVec3fDouble(Vec3f* v) {
  const float s = LengthSquaredVec3f(v);
  if (!(s > 0.0f && s < INFINITY)) {
    NormalizeScaledVec3f(v, Vec3f{0.0f, 0.0f, 1.0f});
    return;
  }
  const float f = s > 0.05f ? static_cast<float>(1.0 / std::sqrt(static_cast<double>(s))) : 1.0f / std::sqrt(s);
  *v = Vec3f{v->x * f, v->y * f, v->z * f};
}

// The fast normalisers of the per-pixel path: no fix-up of the zero vector,
// which simply stays zero (its factor is infinite, so it is not applied).
inline void NormalizeVec3fUnchecked(Vec3f* v) {
  const float s = LengthSquaredVec3f(v);
  if (!(s > 0.0f && s < INFINITY)) {
    NormalizeScaledVec3f(v, Vec3f{0.0f, 0.0f, 0.0f});
    return;
  }
  const float f = ReciprocalSqrtf(s);
  *v = Vec3f{v->x * f, v->y * f, v->z * f};
}

inline void NormalizeVec2fUnchecked(float* p) {
  const float s = p[0] * p[0] + p[1] * p[1];
  if (!(s > 0.0f && s < INFINITY)) {
    Vec3f t{p[0], p[1], 0.0f};
    NormalizeScaledVec3f(&t, Vec3f{0.0f, 0.0f, 0.0f});
    p[0] = t.x;
    p[1] = t.y;
    return;
  }
  const float f = ReciprocalSqrtf(s);
  p[0] *= f;
  p[1] *= f;
}

// --- matrices --------------------------------------------------------------------

// out = v*M over the 3x3 block.
inline void TransformVec3fByMatrix(const Vec3f* v, const Matrix4f* M, Vec3f* out) {
  const float* m = M->m;
  const float x = v->x, y = v->y, z = v->z;
  *out = Vec3f{x * m[0] + y * m[4] + z * m[8], x * m[1] + y * m[5] + z * m[9], x * m[2] + y * m[6] + z * m[10]};
}

inline void TransformVec3dByMatrix(const Vec3* v, const Matrix4d* M, Vec3* out) {
  const double* m = M->m;
  const double x = v->x, y = v->y, z = v->z;
  *out = Vec3{x * m[0] + y * m[4] + z * m[8], x * m[1] + y * m[5] + z * m[9], x * m[2] + y * m[6] + z * m[10]};
}

// Rotation about a unit axis by an angle in radians; all 16 entries written.
// Under the row-vector convention it maps v to
// v*cos(angle) - (axis x v)*sin(angle) + axis*(axis.v)*(1 - cos(angle)):
// about (0, 0, 1) by pi/2, (1, 0, 0) goes to (0, -1, 0).
void MakeRotationMatrix4d(const Vec3* axis, double angle, Matrix4d* M);

// The MakeRotationMatrix4d matrix in float into entries 0-2, 4-6, 8-10; entries
// 12-14 become 0; entries 3, 7, 11 and 15 keep their values.
void SetRotationMatrix4f(const Vec3f* axis, float angle, Matrix4f* M);

// 3x3 block with a*M = b for unit a and b (closed form; singular when b = -a).
void RotationOntoVectorFast(const Vec3* a, const Vec3* b, Matrix4d* M);

// 3x3 block with a*M = b for unit a and b, also for (nearly) parallel and
// opposite vectors.
void RotationOntoVector(const Vec3* a, const Vec3* b, Matrix4d* M);

// RotationOntoVector in double; the 3x3 block of M is replaced, the other
// entries keep their values.
void RotationOntoVector4f(const Vec3f* a, const Vec3f* b, Matrix4f* M);

// Rotation about unit(a x b) by the angle between a and b (any lengths). Under
// the row-vector convention it maps unit(b) onto unit(a). Parallel and
// opposite vectors turn about an axis perpendicular to a.
void RotationBetweenVectors(const Vec3* a, const Vec3* b, Matrix4d* M);

// out = unit a turned toward unit b by the fraction t of the angle between
// them, normalised; t = 0 gives a, t = 1 gives b.
void RotateVectorToward(const Vec3* a, const Vec3* b, Vec3* out, double t);

// --- octant fold -------------------------------------------------------------------

// Moves z into 0 <= im <= re; bits record the steps (kOctant...).
inline void FoldToOctant(Complex* z, uint32_t* bits) {
  uint32_t b = 0;
  if (z->re < 0.0) {
    z->re = -z->re;
    b |= kOctantNegatedRe;
  }
  if (z->im < 0.0) {
    z->im = -z->im;
    b |= kOctantNegatedIm;
  }
  if (z->im > z->re) {
    const double t = z->re;
    z->re = z->im;
    z->im = t;
    b |= kOctantSwapped;
  }
  *bits = b;
}

inline void UnfoldFromOctant(Complex* z, uint32_t bits) {
  if (bits & kOctantSwapped) {
    const double t = z->re;
    z->re = z->im;
    z->im = t;
  }
  if (bits & kOctantNegatedIm) z->im = -z->im;
  if (bits & kOctantNegatedRe) z->re = -z->re;
}
