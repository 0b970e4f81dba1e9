#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "geometry/vector.h"
#include "geometry_test_util.h"

namespace {

constexpr double kPi = std::numbers::pi;

using StdComplex = std::complex<double>;

StdComplex ToStd(const Complex& z) { return {z.re, z.im}; }
Complex FromStd(const StdComplex& z) { return {z.real(), z.imag()}; }

const std::vector<Complex> kSamples = {
    {1.0, 0.0},  {0.0, 1.0},   {-2.5, 0.75}, {0.3, -0.4}, {-1e-3, -7.0}, {123.0, 4.5}, {-0.0, 2.0},
    {-3.0, 0.0}, {0.6, 0.799}, {1e-8, 1e8},  {-5.0, -5.0}};

// --- complex numbers -----------------------------------------------------------

TEST(ComplexArithmetic, AgreesWithStdComplex) {
  for (const Complex& a : kSamples) {
    for (const Complex& b : kSamples) {
      SCOPED_TRACE(::testing::Message() << "a " << a.re << "," << a.im << " b " << b.re << "," << b.im);
      const double scale = std::abs(ToStd(a)) * std::abs(ToStd(b)) + 1.0;
      Complex r;
      ComplexAdd(&r, &a, &b);
      EXPECT_TRUE(ComplexNear(r, FromStd(ToStd(a) + ToStd(b)), 0.0));
      ComplexSub(&r, &a, &b);
      EXPECT_TRUE(ComplexNear(r, FromStd(ToStd(a) - ToStd(b)), 0.0));
      ComplexMul(&r, &a, &b);
      EXPECT_TRUE(ComplexNear(r, FromStd(ToStd(a) * ToStd(b)), 1e-14 * scale));
      ComplexDiv(&r, &a, &b);
      EXPECT_TRUE(ComplexNear(r, FromStd(ToStd(a) / ToStd(b)), 1e-14 * std::abs(ToStd(a) / ToStd(b)) + 1e-300));
      EXPECT_NEAR(ComplexDistance(&a, &b), std::abs(ToStd(a) - ToStd(b)), 1e-14 * scale);
      EXPECT_EQ(ComplexDot(&a, &b), a.re * b.re + a.im * b.im);
    }
    Complex r;
    ComplexSquare(&r, &a);
    EXPECT_TRUE(ComplexNear(r, FromStd(ToStd(a) * ToStd(a)), 1e-14 * (std::norm(ToStd(a)) + 1.0)));
    EXPECT_NEAR(ComplexAbs(&a), std::abs(ToStd(a)), 1e-15 * std::abs(ToStd(a)));
    ComplexScale(&r, -2.0, &a);
    EXPECT_TRUE(ComplexNear(r, Complex{-2.0 * a.re, -2.0 * a.im}, 0.0));
    ComplexNormalize(&r, &a);
    EXPECT_NEAR(ComplexAbs(&r), 1.0, 1e-15);
    EXPECT_NEAR(std::arg(ToStd(r)), std::arg(ToStd(a)), 1e-15);
  }
  Complex c{1.0, 2.0}, s;
  ComplexSum3(&s, &kSamples[2], &kSamples[3], &c);
  EXPECT_TRUE(ComplexNear(s, Complex{-2.5 + 0.3 + 1.0, 0.75 - 0.4 + 2.0}, 1e-15));
}

TEST(ComplexArithmetic, OutputMayBeAnInput) {
  const Complex a{1.5, -2.0}, b{-0.25, 3.0};
  Complex expected, aliased = a;
  ComplexMul(&expected, &a, &b);
  ComplexMul(&aliased, &aliased, &b);
  EXPECT_TRUE(ComplexNear(aliased, expected, 0.0));
  ComplexDiv(&expected, &a, &b);
  aliased = a;
  ComplexDiv(&aliased, &aliased, &b);
  EXPECT_TRUE(ComplexNear(aliased, expected, 0.0));
  aliased = b;
  ComplexDiv(&aliased, &a, &aliased);
  EXPECT_TRUE(ComplexNear(aliased, expected, 0.0));
  ComplexSquare(&expected, &a);
  aliased = a;
  ComplexSquare(&aliased, &aliased);
  EXPECT_TRUE(ComplexNear(aliased, expected, 0.0));
}

TEST(ComplexArithmetic, DivisionByZeroGivesThePointAtInfinityNotNaN) {
  struct Case {
    Complex a;
    Complex expected;
  };
  const Case cases[] = {
      {{2.0, -3.0}, {INFINITY, -INFINITY}},
      {{0.0, 5.0}, {0.0, INFINITY}},
      {{-1.0, 0.0}, {-INFINITY, 0.0}},
      {{0.0, 0.0}, {0.0, 0.0}},
  };
  const Complex zeros[] = {{0.0, 0.0}, {-0.0, 0.0}, {0.0, -0.0}};
  for (const Case& c : cases) {
    for (const Complex& zero : zeros) {
      Complex r;
      ComplexDiv(&r, &c.a, &zero);
      EXPECT_EQ(r.re, c.expected.re);
      EXPECT_EQ(r.im, c.expected.im);
    }
  }
}

TEST(ComplexArithmetic, PowerCases) {
  for (double p : {0.5, 1.0, 2.0, -1.0, 3.7}) {
    Complex r;
    const Complex zero{0.0, 0.0};
    ComplexPow(&r, &zero, p);
    EXPECT_EQ(r.re, 0.0);
    EXPECT_EQ(r.im, 0.0);
  }
  for (const Complex& z : kSamples) {
    const double size = std::abs(ToStd(z));
    Complex r;
    ComplexPow(&r, &z, 1.0);
    EXPECT_TRUE(ComplexNear(r, z, 1e-14 * size));
    ComplexPow(&r, &z, 2.0);
    EXPECT_TRUE(ComplexNear(r, FromStd(ToStd(z) * ToStd(z)), 1e-13 * size * size));
    ComplexPow(&r, &z, 0.5);
    EXPECT_TRUE(ComplexNear(r, FromStd(std::sqrt(ToStd(z))), 1e-14 * std::sqrt(size)));
  }
  // The cut lies along the negative real axis: the argument of -1 is +pi.
  const Complex minusOne{-1.0, 0.0};
  Complex r;
  ComplexPow(&r, &minusOne, 0.5);
  EXPECT_TRUE(ComplexNear(r, Complex{0.0, 1.0}, 1e-15));
}

TEST(ComplexArithmetic, ArcSineAgreesWithStdComplex) {
  const Complex points[] = {{0.0, 0.0},  {0.5, 0.0},  {-0.9, 0.0}, {1.0, 0.0},  {2.0, 0.5},
                            {-2.0, 0.5}, {0.3, -1.2}, {-0.7, -0.2}, {0.0, 3.0}, {5.0, -4.0}};
  for (const Complex& z : points) {
    SCOPED_TRACE(::testing::Message() << z.re << "," << z.im);
    Complex r;
    ComplexAsin(&r, &z);
    EXPECT_TRUE(ComplexNear(r, FromStd(std::asin(ToStd(z))), 1e-12));
  }
}

TEST(ComplexArithmetic, DiscMobius) {
  const Complex b{0.3, -0.2};
  Complex r;
  ComplexDiscMobius(&r, &b, &b);
  EXPECT_TRUE(ComplexNear(r, Complex{0.0, 0.0}, 1e-16));
  const Complex zero{0.0, 0.0};
  const Complex a{0.5, 0.25};
  ComplexDiscMobius(&r, &a, &zero);
  EXPECT_TRUE(ComplexNear(r, a, 1e-16));
  // A disc automorphism keeps the unit circle and the inside of the disc.
  for (double angle = 0.0; angle < 6.0; angle += 0.37) {
    const Complex onCircle{std::cos(angle), std::sin(angle)};
    ComplexDiscMobius(&r, &onCircle, &b);
    EXPECT_NEAR(ComplexAbs(&r), 1.0, 1e-14);
    const Complex inside{0.7 * onCircle.re, 0.7 * onCircle.im};
    ComplexDiscMobius(&r, &inside, &b);
    EXPECT_LT(ComplexAbs(&r), 1.0);
    const StdComplex expected = (ToStd(inside) - ToStd(b)) / (1.0 - ToStd(inside) * std::conj(ToStd(b)));
    EXPECT_TRUE(ComplexNear(r, FromStd(expected), 1e-15));
  }
}

TEST(ComplexArithmetic, NormalizeZeroAndFromAngle) {
  const Complex zero{0.0, 0.0};
  Complex r{9.0, 9.0};
  ComplexNormalize(&r, &zero);
  EXPECT_EQ(r.re, 0.0);
  EXPECT_EQ(r.im, 0.0);
  ComplexFromAngle(&r, kPi / 3.0);
  EXPECT_TRUE(ComplexNear(r, Complex{0.5, std::sqrt(3.0) / 2.0}, 1e-15));
  EXPECT_EQ(MakeComplex(&r, 1.0, -2.0), &r);
  EXPECT_EQ(r.re, 1.0);
  EXPECT_EQ(r.im, -2.0);
}

// --- vectors ---------------------------------------------------------------------

TEST(Vec3Operations, SubtractionOrderDiffers) {
  const Vec3 a{1.0, 2.0, 3.0}, b{10.0, 20.0, 30.0};
  Vec3 r;
  SubVec3d(&r, &a, &b);
  EXPECT_TRUE(Vec3Near(r, Vec3{9.0, 18.0, 27.0}, 0.0));
  SubtractVec3d(&r, &a, &b);
  EXPECT_TRUE(Vec3Near(r, Vec3{-9.0, -18.0, -27.0}, 0.0));
}

TEST(Vec3Operations, ArithmeticTable) {
  const Vec3 a{1.0, -2.0, 0.5}, b{4.0, 0.0, -1.5}, c{0.25, 0.25, 0.25};
  Vec3 r;
  EXPECT_EQ(SetVec3d(&r, 1.0, 2.0, 3.0), &r);
  EXPECT_TRUE(Vec3Near(r, Vec3{1.0, 2.0, 3.0}, 0.0));
  EXPECT_EQ(CopyVec3d(&r, &a), &r);
  EXPECT_TRUE(Vec3Near(r, a, 0.0));
  StoreVec3d(&b, &r);
  EXPECT_TRUE(Vec3Near(r, b, 0.0));
  const Vec3f f{0.5f, -0.25f, 2.0f};
  Vec3fToVec3d(&r, &f);
  EXPECT_TRUE(Vec3Near(r, Vec3{0.5, -0.25, 2.0}, 0.0));
  AddVec3d(&r, &a, &b);
  EXPECT_TRUE(Vec3Near(r, Vec3{5.0, -2.0, -1.0}, 0.0));
  SumVec3d3(&r, &a, &b, &c);
  EXPECT_TRUE(Vec3Near(r, Vec3{5.25, -1.75, -0.75}, 0.0));
  ScaleVec3d(&r, -2.0, &a);
  EXPECT_TRUE(Vec3Near(r, Vec3{-2.0, 4.0, -1.0}, 0.0));
  MidpointVec3d(&r, &a, &b);
  EXPECT_TRUE(Vec3Near(r, Vec3{2.5, -1.0, -0.5}, 0.0));
  LerpVec3d(&r, 0.25, &a, &b);
  EXPECT_TRUE(Vec3Near(r, Vec3{1.75, -1.5, 0.0}, 0.0));
  LerpVec3d(&r, 1.0, &a, &b);
  EXPECT_TRUE(Vec3Near(r, b, 0.0));
  EXPECT_EQ(LengthSquaredVec3d(&a), 5.25);
  EXPECT_DOUBLE_EQ(LengthVec3d(&a), std::sqrt(5.25));
  EXPECT_DOUBLE_EQ(DistanceVec3d(&a, &b), std::sqrt(9.0 + 4.0 + 4.0));
}

TEST(Vec3Operations, CrossProductIsRightHanded) {
  struct Case {
    Vec3 a, b, expected;
  };
  const Case cases[] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
      {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
      {{1, 2, 3}, {4, 5, 6}, {-3, 6, -3}},
  };
  for (const Case& c : cases) {
    Vec3 r;
    CrossVec3d(&r, &c.a, &c.b);
    EXPECT_TRUE(Vec3Near(r, c.expected, 0.0));
  }
}

TEST(Vec3Operations, ZeroVectorsNormaliseToDefinedValues) {
  const Vec3 zero{0.0, 0.0, 0.0};
  Vec3 v = zero;
  NormalizeVec3d(&v);
  EXPECT_TRUE(Vec3Near(v, Vec3{0, 0, 1}, 0.0));
  v = zero;
  NormalizeVec3dSqrt(&v);
  EXPECT_TRUE(Vec3Near(v, Vec3{0, 0, 1}, 0.0));
  Vec3 r{5, 5, 5};
  NormalizedVec3d(&r, &zero);
  EXPECT_TRUE(Vec3Near(r, zero, 0.0));
  const Vec3 p{1.5, -2.0, 3.0};
  r = Vec3{5, 5, 5};
  UnitDirectionVec3d(&r, &p, &p);
  EXPECT_TRUE(Vec3Near(r, zero, 0.0));
  r = Vec3{5, 5, 5};
  ScaleToLengthVec3d(&r, &zero, 3.0);
  EXPECT_TRUE(Vec3Near(r, zero, 0.0));

  Vec3f f{0.0f, 0.0f, 0.0f};
  NormalizeVec3f(&f);
  EXPECT_TRUE(Vec3fNear(f, Vec3{0, 0, 1}, 0.0));
  f = Vec3f{0.0f, -0.0f, 0.0f};
  NormalizeVec3fDouble(&f);
  EXPECT_TRUE(Vec3fNear(f, Vec3{0, 0, 1}, 0.0));
  // The unchecked forms leave a zero vector zero instead of making NaN.
  f = Vec3f{0.0f, 0.0f, 0.0f};
  NormalizeVec3fUnchecked(&f);
  EXPECT_TRUE(Vec3fNear(f, Vec3{0, 0, 0}, 0.0));
  float pair[2] = {0.0f, 0.0f};
  NormalizeVec2fUnchecked(pair);
  EXPECT_EQ(pair[0], 0.0f);
  EXPECT_EQ(pair[1], 0.0f);
}

TEST(Vec3Operations, TinyAndHugeVectorsAreNotTakenForZero) {
  // Their squared lengths underflow to 0 or overflow to infinity.
  Vec3 v{1e-200, 0.0, -1e-200};
  NormalizeVec3d(&v);
  EXPECT_TRUE(Vec3Near(v, Vec3{std::sqrt(0.5), 0.0, -std::sqrt(0.5)}, 1e-15));
  v = Vec3{3e200, 4e200, 0.0};
  NormalizeVec3d(&v);
  EXPECT_TRUE(Vec3Near(v, Vec3{0.6, 0.8, 0.0}, 1e-15));
  Vec3f f{0.0f, -1e-30f, 0.0f};
  NormalizeVec3f(&f);
  EXPECT_TRUE(Vec3fNear(f, Vec3{0.0, -1.0, 0.0}, 0.0));
  float pair[2] = {3e-30f, 4e-30f};
  NormalizeVec2fUnchecked(pair);
  EXPECT_FLOAT_EQ(pair[0], 0.6f);
  EXPECT_FLOAT_EQ(pair[1], 0.8f);
}

TEST(Vec3Operations, NormalisersGiveUnitVectors) {
  const Vec3 inputs[] = {{3, 4, 0}, {1e-200, 0, 0}, {1e150, -1e150, 2e150}, {-0.2, 0.1, 0.05}, {3e300, 4e300, 0}};
  for (const Vec3& in : inputs) {
    Vec3 v = in;
    NormalizeVec3d(&v);
    EXPECT_NEAR(LengthVec3d(&v), 1.0, 1e-15);
    Vec3 r;
    NormalizedVec3d(&r, &in);
    EXPECT_TRUE(Vec3Near(r, v, 0.0));
    ScaleToLengthVec3d(&r, &in, 2.5);
    EXPECT_NEAR(LengthVec3d(&r), 2.5, 1e-14);
    const Vec3 origin{1, 1, 1};
    const Vec3 tip{1 + in.x, 1 + in.y, 1 + in.z};
    UnitDirectionVec3d(&r, &origin, &tip);
    if (std::fabs(in.x) > 1e-100 && std::fabs(in.x) < 1e100) {
      EXPECT_NEAR(LengthVec3d(&r), 1.0, 1e-12);
    }
  }
  // Both branches of the double-assisted float normaliser (squared length
  // above and below 0.05), and the unchecked one.
  const Vec3f floats[] = {{3.0f, 4.0f, 12.0f}, {0.1f, 0.05f, -0.02f}, {1e-18f, 2e-18f, 0.0f},
                          {0.7f, 0.7f, 0.0f},  {1e-30f, 0.0f, -1e-30f}, {3e30f, 0.0f, 4e30f}};
  for (const Vec3f& in : floats) {
    for (int which = 0; which < 3; ++which) {
      Vec3f v = in;
      if (which == 0) NormalizeVec3f(&v);
      if (which == 1) NormalizeVec3fDouble(&v);
      if (which == 2) NormalizeVec3fUnchecked(&v);
      EXPECT_NEAR(std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z), 1.0, 2e-7) << which;
    }
  }
  float pair[2] = {-3.0f, 4.0f};
  NormalizeVec2fUnchecked(pair);
  EXPECT_FLOAT_EQ(pair[0], -0.6f);
  EXPECT_FLOAT_EQ(pair[1], 0.8f);
}

// --- matrices --------------------------------------------------------------------

// Rodrigues' formula in the sense of the row-vector convention.
Vec3 TurnByFormula(const Vec3& v, const Vec3& n, double angle) {
  Vec3 nxv;
  CrossVec3d(&nxv, &n, &v);
  const double c = std::cos(angle), s = std::sin(angle), d = DotVec3d(&n, &v);
  return Vec3{v.x * c - nxv.x * s + n.x * d * (1 - c), v.y * c - nxv.y * s + n.y * d * (1 - c),
              v.z * c - nxv.z * s + n.z * d * (1 - c)};
}

TEST(RotationMatrices, RowVectorConventionAndSense) {
  struct Case {
    Vec3 axis;
    double angle;
    Vec3 v, expected;
  };
  const Case cases[] = {
      {{0, 0, 1}, kPi / 2, {1, 0, 0}, {0, -1, 0}},
      {{0, 0, 1}, kPi / 2, {0, 1, 0}, {1, 0, 0}},
      {{1, 0, 0}, kPi / 2, {0, 1, 0}, {0, 0, -1}},
      {{1, 0, 0}, kPi / 2, {0, 0, 1}, {0, 1, 0}},
      {{0, 1, 0}, kPi / 2, {0, 0, 1}, {-1, 0, 0}},
      {{0, 1, 0}, kPi / 2, {1, 0, 0}, {0, 0, 1}},
      {{0, 1, 0}, kPi, {1, 0, 0}, {-1, 0, 0}},
      {{1, 0, 0}, 0.0, {0.3, -0.4, 0.5}, {0.3, -0.4, 0.5}},
  };
  for (const Case& c : cases) {
    Matrix4d M;
    MakeRotationMatrix4d(&c.axis, c.angle, &M);
    Vec3 r;
    TransformVec3dByMatrix(&c.v, &M, &r);
    EXPECT_TRUE(Vec3Near(r, c.expected, 1e-15));
    Matrix4f F{};
    const Vec3f axisF{float(c.axis.x), float(c.axis.y), float(c.axis.z)};
    SetRotationMatrix4f(&axisF, float(c.angle), &F);
    const Vec3f vf{float(c.v.x), float(c.v.y), float(c.v.z)};
    Vec3f rf;
    TransformVec3fByMatrix(&vf, &F, &rf);
    EXPECT_TRUE(Vec3fNear(rf, c.expected, 1e-6));
  }
}

TEST(RotationMatrices, MatchRodriguesAndAreOrthonormal) {
  const Vec3 axes[] = {Unit({1, 2, 3}), Unit({-0.3, 0.1, 0.9}), Unit({0, -1, 1}), {0, 0, -1}};
  const Vec3 v{0.4, -1.3, 2.2};
  for (const Vec3& n : axes) {
    for (double angle = -7.0; angle <= 7.0; angle += 0.9) {
      Matrix4d M;
      MakeRotationMatrix4d(&n, angle, &M);
      EXPECT_TRUE(IsRotationBlock(M, 1e-14));
      Vec3 r;
      TransformVec3dByMatrix(&v, &M, &r);
      EXPECT_TRUE(Vec3Near(r, TurnByFormula(v, n, angle), 1e-14));
      EXPECT_EQ(M.m[3], 0.0);
      EXPECT_EQ(M.m[7], 0.0);
      EXPECT_EQ(M.m[11], 0.0);
      EXPECT_EQ(M.m[12], 0.0);
      EXPECT_EQ(M.m[13], 0.0);
      EXPECT_EQ(M.m[14], 0.0);
      EXPECT_EQ(M.m[15], 1.0);
    }
  }
}

TEST(RotationMatrices, FloatSetterKeepsTheLastColumn) {
  Matrix4f F;
  for (int i = 0; i < 16; ++i) F.m[i] = 100.0f + float(i);
  const Vec3f axis{0.0f, 0.6f, 0.8f};
  SetRotationMatrix4f(&axis, 1.0f, &F);
  EXPECT_EQ(F.m[3], 103.0f);
  EXPECT_EQ(F.m[7], 107.0f);
  EXPECT_EQ(F.m[11], 111.0f);
  EXPECT_EQ(F.m[15], 115.0f);
  EXPECT_EQ(F.m[12], 0.0f);
  EXPECT_EQ(F.m[13], 0.0f);
  EXPECT_EQ(F.m[14], 0.0f);
  EXPECT_TRUE(IsRotationBlock(ToMatrix4d(F), 1e-6));
}

TEST(RotationMatrices, TransformOutputMayBeItsInput) {
  Matrix4d M;
  const Vec3 axis = Unit({1, 1, 0});
  MakeRotationMatrix4d(&axis, 0.7, &M);
  const Vec3 v{0.2, 0.5, -0.9};
  Vec3 expected, aliased = v;
  TransformVec3dByMatrix(&v, &M, &expected);
  TransformVec3dByMatrix(&aliased, &M, &aliased);
  EXPECT_TRUE(Vec3Near(aliased, expected, 0.0));
}

struct VectorPair {
  const char* name;
  Vec3 a, b;
};

std::vector<VectorPair> OntoPairs() {
  const Vec3 tilted = Unit({0.3, -0.5, 0.8});
  Vec3 near = tilted;
  near.x += 1e-5;
  near = Unit(near);
  Vec3 nearOpposite{-tilted.x, -tilted.y + 2e-5, -tilted.z};
  nearOpposite = Unit(nearOpposite);
  return {
      {"same", tilted, tilted},
      {"same axis", {0, 0, 1}, {0, 0, 1}},
      {"near", tilted, near},
      {"generic", tilted, Unit({-0.6, 0.2, 0.1})},
      {"right angle", {1, 0, 0}, {0, 1, 0}},
      {"opposite z", {0, 0, -1}, {0, 0, 1}},
      {"opposite x", {1, 0, 0}, {-1, 0, 0}},
      {"opposite tilted", tilted, {-tilted.x, -tilted.y, -tilted.z}},
      {"nearly opposite", tilted, nearOpposite},
      {"opposite diagonal", Unit({1, -1, 0}), Unit({-1, 1, 0})},
  };
}

TEST(RotationOnto, TakesAOntoBAlsoNearParallelAndOpposite) {
  for (const VectorPair& pair : OntoPairs()) {
    SCOPED_TRACE(pair.name);
    Matrix4d M;
    RotationOntoVector(&pair.a, &pair.b, &M);
    EXPECT_TRUE(IsRotationBlock(M, 1e-12));
    Vec3 r;
    TransformVec3dByMatrix(&pair.a, &M, &r);
    EXPECT_TRUE(Vec3Near(r, pair.b, 1e-12));

    Matrix4f F;
    for (int i = 0; i < 16; ++i) F.m[i] = -1.0f - float(i);
    const Vec3f af{float(pair.a.x), float(pair.a.y), float(pair.a.z)};
    const Vec3f bf{float(pair.b.x), float(pair.b.y), float(pair.b.z)};
    RotationOntoVector4f(&af, &bf, &F);
    for (int i : {3, 7, 11, 12, 13, 14, 15}) EXPECT_EQ(F.m[i], -1.0f - float(i));
    Vec3f rf;
    TransformVec3fByMatrix(&af, &F, &rf);
    EXPECT_TRUE(Vec3fNear(rf, Vec3{bf.x, bf.y, bf.z}, 1e-6));
  }
}

TEST(RotationOnto, OfAVectorOntoItselfIsTheIdentity) {
  for (const Vec3& a : {Vec3{0, 0, 1}, Unit({1, 2, 2}), Vec3{-1, 0, 0}}) {
    Matrix4d M;
    RotationOntoVector(&a, &a, &M);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) EXPECT_NEAR(M.m[4 * i + j], i == j ? 1.0 : 0.0, 1e-15);
    }
  }
}

TEST(RotationOnto, FastFormAwayFromTheSingularity) {
  const Vec3 a = Unit({1, 2, -1}), b = Unit({0.5, -1, 3});
  Matrix4d M;
  RotationOntoVectorFast(&a, &b, &M);
  EXPECT_TRUE(IsRotationBlock(M, 1e-14));
  Vec3 r;
  TransformVec3dByMatrix(&a, &M, &r);
  EXPECT_TRUE(Vec3Near(r, b, 1e-15));
}

// The angle is taken as acos of a dot product, which near +-1 is good to about
// the square root of the double epsilon: 1.5e-8 radians for a dot product one
// rounding step away from 1.
constexpr double kAcosResolution = 3e-8;

TEST(RotationBetween, TurnsTheUnitOfBOntoTheUnitOfA) {
  for (const VectorPair& pair : OntoPairs()) {
    SCOPED_TRACE(pair.name);
    // Lengths other than 1 must not matter.
    const Vec3 a{pair.a.x * 3.0, pair.a.y * 3.0, pair.a.z * 3.0};
    const Vec3 b{pair.b.x * 0.25, pair.b.y * 0.25, pair.b.z * 0.25};
    Matrix4d M;
    RotationBetweenVectors(&a, &b, &M);
    EXPECT_TRUE(IsRotationBlock(M, 1e-12));
    Vec3 r;
    TransformVec3dByMatrix(&pair.b, &M, &r);
    EXPECT_TRUE(Vec3Near(r, pair.a, kAcosResolution));
  }
  // Not a onto b: the sense is fixed by the row-vector convention.
  const Vec3 x{1, 0, 0}, y{0, 1, 0};
  Matrix4d M;
  RotationBetweenVectors(&x, &y, &M);
  Vec3 r;
  TransformVec3dByMatrix(&x, &M, &r);
  EXPECT_TRUE(Vec3Near(r, Vec3{0, -1, 0}, 1e-15));
}

TEST(RotationBetween, DotProductJustBeyondOneIsClamped) {
  // Equal directions whose unit vectors round to a dot product above 1.
  const Vec3 a{0.1, 0.7, 0.3};
  Matrix4d M;
  RotationBetweenVectors(&a, &a, &M);
  EXPECT_TRUE(IsRotationBlock(M, 1e-15));
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(M.m[5 * i], 1.0, 1e-7);
}

TEST(RotateToward, FractionsOfTheAngle) {
  for (const VectorPair& pair : OntoPairs()) {
    SCOPED_TRACE(pair.name);
    Vec3 r;
    RotateVectorToward(&pair.a, &pair.b, &r, 0.0);
    EXPECT_TRUE(Vec3Near(r, pair.a, 0.0));
    RotateVectorToward(&pair.a, &pair.b, &r, 1.0);
    EXPECT_TRUE(Vec3Near(r, pair.b, kAcosResolution));
    const double whole = std::acos(std::clamp(DotVec3d(&pair.a, &pair.b), -1.0, 1.0));
    for (double t : {0.25, 0.5, 0.8}) {
      RotateVectorToward(&pair.a, &pair.b, &r, t);
      ASSERT_TRUE(IsFiniteVec3(r));
      EXPECT_NEAR(LengthVec3d(&r), 1.0, 1e-15);
      EXPECT_NEAR(std::acos(std::clamp(DotVec3d(&pair.a, &r), -1.0, 1.0)), t * whole, kAcosResolution);
      EXPECT_NEAR(std::acos(std::clamp(DotVec3d(&r, &pair.b), -1.0, 1.0)), (1 - t) * whole, kAcosResolution);
    }
  }
}

// --- other operations ---------------------------------------------------------------

TEST(OctantFold, EachOctantFoldsAndUnfolds) {
  struct Case {
    Complex z, folded;
    uint32_t bits;
  };
  const Case cases[] = {
      {{2, 1}, {2, 1}, 0},   {{1, 2}, {2, 1}, 4},   {{-2, 1}, {2, 1}, 1},   {{-1, 2}, {2, 1}, 5},
      {{2, -1}, {2, 1}, 2},  {{1, -2}, {2, 1}, 6},  {{-2, -1}, {2, 1}, 3},  {{-1, -2}, {2, 1}, 7},
      {{1, 1}, {1, 1}, 0},   {{0, 0}, {0, 0}, 0},
  };
  for (const Case& c : cases) {
    Complex z = c.z;
    uint32_t bits = 99;
    FoldToOctant(&z, &bits);
    EXPECT_TRUE(ComplexNear(z, c.folded, 0.0));
    EXPECT_EQ(bits, c.bits);
    EXPECT_LE(0.0, z.im);
    EXPECT_LE(z.im, z.re);
    UnfoldFromOctant(&z, bits);
    EXPECT_TRUE(ComplexNear(z, c.z, 0.0));
  }
}

TEST(Curves, BiasAndGain) {
  for (float t : {0.0f, 0.1f, 0.37f, 0.5f, 0.9f, 1.0f}) EXPECT_NEAR(BiasCurve(t, 0.5f), t, 1e-6f);
  EXPECT_EQ(BiasCurve(0.0f, 0.2f), 0.0f);
  EXPECT_NEAR(BiasCurve(0.5f, 0.25f), 0.25f, 1e-6f);  // t^2
  for (float g : {0.1f, 0.5f, 0.8f}) {
    EXPECT_EQ(GainCurve(0.0005f, g), 0.0f);
    EXPECT_EQ(GainCurve(0.9995f, g), 1.0f);
    for (float t : {0.1f, 0.3f, 0.45f}) EXPECT_NEAR(GainCurve(1.0f - t, g), 1.0f - GainCurve(t, g), 2e-6f);
  }
  EXPECT_NEAR(GainCurve(0.5f, 0.5f), 0.5f, 1e-7f);
  EXPECT_NEAR(GainCurve(0.25f, 0.5f), 0.25f, 1e-6f);
  EXPECT_NEAR(GainCurve(0.25f, 0.75f), 0.125f, 1e-6f);  // (2t)^2 / 2
}

TEST(Scalars, ReciprocalRootsAndNanTests) {
  EXPECT_EQ(ReciprocalSqrtf(4.0f), 0.5f);
  EXPECT_EQ(ReciprocalSqrt(0.25), 2.0);
  EXPECT_EQ(ReciprocalSqrtf(0.0f), INFINITY);
  EXPECT_EQ(LibrarySqrt(2.0), std::sqrt(2.0));
  EXPECT_EQ(LibrarySqrtf(2.0f), std::sqrt(2.0f));
  EXPECT_TRUE(IsNanF(NAN));
  EXPECT_FALSE(IsNanF(INFINITY));
  EXPECT_TRUE(IsNanD(NAN));
  EXPECT_FALSE(IsNanD(1e300));  // becomes an infinity as float, not NaN
  EXPECT_FALSE(IsNanD(0.0));
}

}  // namespace
