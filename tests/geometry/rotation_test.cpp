#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/rotation.h"
#include "geometry/vector.h"
#include "geometry_test_util.h"

namespace {

constexpr double kPi = std::numbers::pi;

// Directions spread over the sphere, off the axes and on them.
std::vector<Vec3> SampleDirections() {
  std::vector<Vec3> out = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (double lat = -1.4; lat <= 1.41; lat += 0.35) {
    for (double lon = -3.0; lon <= 3.01; lon += 0.5) {
      out.push_back(Vec3{std::sin(lon) * std::cos(lat), std::sin(lat), std::cos(lon) * std::cos(lat)});
    }
  }
  return out;
}

Vec3f ToF(const Vec3& v) { return Vec3f{float(v.x), float(v.y), float(v.z)}; }

// --- the rotation record -------------------------------------------------------

TEST(RotationRecordBuild, ZeroAnglesGiveIdentityBlocks) {
  RotationRecord r;
  SetRotationFromAngles(0.0f, 0.0f, 0.0f, &r);
  for (const Matrix4f* M : {&r.matrixA, &r.matrixB, &r.matrixC}) {
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) EXPECT_EQ(M->m[4 * i + j], i == j ? 1.0f : 0.0f);
    }
  }
  EXPECT_TRUE(Vec3fNear(r.spinAxis, Vec3{0, 0, 1}, 0.0));
  EXPECT_TRUE(Vec3fNear(r.axisX, Vec3{1, 0, 0}, 0.0));
  EXPECT_TRUE(Vec3fNear(r.axisY, Vec3{0, 1, 0}, 0.0));
  EXPECT_TRUE(Vec3fNear(r.axisZ, Vec3{0, 0, 1}, 0.0));
}

TEST(RotationRecordBuild, SenseOfEachAngle) {
  // (first, second, third) in degrees as SetRotationFromAngles takes them.
  struct Case {
    const char* name;
    float d1, d2, d3;
    Vec3 in, expected;
  };
  const Case cases[] = {
      {"second about x: forward goes up", 0, 90, 0, {0, 0, 1}, {0, 1, 0}},
      {"second about x: up goes back", 0, 90, 0, {0, 1, 0}, {0, 0, -1}},
      {"second about x: x stays", 0, 90, 0, {1, 0, 0}, {1, 0, 0}},
      {"first about y: forward goes left", 90, 0, 0, {0, 0, 1}, {-1, 0, 0}},
      {"first about y: x goes forward", 90, 0, 0, {1, 0, 0}, {0, 0, 1}},
      {"third about z: x goes down", 0, 0, 90, {1, 0, 0}, {0, -1, 0}},
      {"third about the vertical once x turned 90", 0, 90, 90, {1, 0, 0}, {0, 0, 1}},
      {"third about the vertical keeps the turned forward", 0, 90, 90, {0, 0, 1}, {0, 1, 0}},
      {"half turn about y", 180, 0, 0, {0.6, 0, 0.8}, {-0.6, 0, -0.8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RotationRecord r;
    SetRotationFromAngles(c.d1, c.d2, c.d3, &r);
    Vec3f v = ToF(c.in);
    ApplyRotation(&r, 1, &v);
    EXPECT_TRUE(Vec3fNear(v, c.expected, 1e-6));
  }
}

TEST(RotationRecordBuild, MatricesFollowTheStatedColumns) {
  for (float a : {-2.0f, -0.3f, 0.0f, 0.7f, 1.5707964f, 3.0f}) {
    for (float b : {-1.0f, 0.0f, 0.4f, 2.5f}) {
      RotationRecord r;
      BuildRotationRecord(&r, a, b, 0.25f);
      EXPECT_EQ(r.radiansA, a);
      EXPECT_EQ(r.radiansB, b);
      EXPECT_EQ(r.radiansC, 0.25f);
      const Vec3f up{0, 1, 0}, forward{0, 0, 1}, right{1, 0, 0};
      Vec3f out;
      TransformVec3fByMatrix(&up, &r.matrixA, &out);
      EXPECT_TRUE(Vec3fNear(out, Vec3{0, std::cos(a), -std::sin(a)}, 1e-6));
      TransformVec3fByMatrix(&forward, &r.matrixA, &out);
      EXPECT_TRUE(Vec3fNear(out, Vec3{0, std::sin(a), std::cos(a)}, 1e-6));
      TransformVec3fByMatrix(&right, &r.matrixB, &out);
      EXPECT_TRUE(Vec3fNear(out, Vec3{std::cos(b), 0, std::sin(b)}, 1e-6));
      TransformVec3fByMatrix(&forward, &r.matrixB, &out);
      EXPECT_TRUE(Vec3fNear(out, Vec3{-std::sin(b), 0, std::cos(b)}, 1e-6));
      EXPECT_TRUE(Vec3fNear(r.spinAxis, Vec3{-std::cos(a) * std::sin(b), std::sin(a), std::cos(a) * std::cos(b)}, 1e-6));
      // The spin matrix turns about the spin axis, leaving it in place.
      TransformVec3fByMatrix(&r.spinAxis, &r.matrixC, &out);
      EXPECT_TRUE(Vec3fNear(out, Vec3{r.spinAxis.x, r.spinAxis.y, r.spinAxis.z}, 1e-6));
    }
  }
}

TEST(RotationRecordBuild, MatricesAreOrthonormalAndLengthsKept) {
  for (float d1 = -180.0f; d1 <= 180.0f; d1 += 47.0f) {
    for (float d2 = -90.0f; d2 <= 90.0f; d2 += 31.0f) {
      for (float d3 = -170.0f; d3 <= 180.0f; d3 += 53.0f) {
        RotationRecord r;
        SetRotationFromAngles(d1, d2, d3, &r);
        EXPECT_TRUE(IsRotationBlock(ToMatrix4d(r.matrixA), 6e-7));
        EXPECT_TRUE(IsRotationBlock(ToMatrix4d(r.matrixB), 6e-7));
        EXPECT_TRUE(IsRotationBlock(ToMatrix4d(r.matrixC), 1.5e-6));
        EXPECT_NEAR(std::sqrt(LengthSquaredVec3f(&r.spinAxis)), 1.0, 3e-7);
        Vec3f v{0.48f, -0.6f, 0.64f};
        ApplyRotation(&r, 0xFFFFFFFFu, &v);
        EXPECT_NEAR(std::sqrt(LengthSquaredVec3f(&v)), 1.0, 1e-6);
      }
    }
  }
}

TEST(RotationRecordBuild, AngleConversionPrecision) {
  RotationRecord r;
  SetRotationFromAngles(33.0f, 45.0f, -12.5f, &r);
  EXPECT_EQ(r.radiansA, 45.0f * 3.1415927f / 180.0f);
  EXPECT_EQ(r.radiansB, float(double(33.0f * 3.1415927f) / 180.0));
  EXPECT_EQ(r.radiansC, float(double(-12.5f * 3.1415927f) / 180.0));
}

TEST(ApplyRotationPower, SquaringOutputsPowerBeforeTurning) {
  RotationRecord r;
  SetRotationFromAngles(20.0f, -35.0f, 10.0f, &r);
  for (const Vec3& d : SampleDirections()) {
    for (uint32_t output : {0u, 1u, 133u, 134u, 135u, 141u, 142u, 143u, 144u, 0xFFFFFFFFu}) {
      const bool powered = output == 134 || output == 142 || output == 143;
      Vec3f expected = ToF(d);
      if (powered) {
        uint8_t flag = 0;
        MapSpherePowerF(&expected, 0.5, &flag);
      }
      Vec3f t;
      TransformVec3fByMatrix(&expected, &r.matrixA, &t);
      TransformVec3fByMatrix(&t, &r.matrixB, &expected);
      TransformVec3fByMatrix(&expected, &r.matrixC, &t);
      Vec3f v = ToF(d);
      ApplyRotation(&r, output, &v);
      EXPECT_TRUE(Vec3fNear(v, Vec3{t.x, t.y, t.z}, 0.0)) << output;
    }
  }
}

// --- turns about the axes --------------------------------------------------------

TEST(AxisTurns, ComplexMultiplicationOfEachPair) {
  struct Case {
    int axis;  // 0 x, 1 y, 2 z
    Vec3 in, expected;
  };
  const Case cases[] = {
      {2, {1, 0, 0.5}, {0, 1, 0.5}},    // x + iy times i
      {2, {0, 1, 0.5}, {-1, 0, 0.5}},
      {0, {0.5, 0, 1}, {0.5, 1, 0}},    // z + iy times i
      {0, {0.5, 1, 0}, {0.5, 0, -1}},
      {1, {0, 0.5, 1}, {1, 0.5, 0}},    // z + ix times i
      {1, {1, 0.5, 0}, {0, 0.5, -1}},
  };
  for (const Case& c : cases) {
    Vec3 v = c.in;
    if (c.axis == 0) RotateVec3dAboutX(&v, kPi / 2);
    if (c.axis == 1) RotateVec3dAboutY(&v, kPi / 2);
    if (c.axis == 2) RotateVec3dAboutZ(&v, kPi / 2);
    EXPECT_TRUE(Vec3Near(v, c.expected, 1e-15)) << c.axis;
  }
}

// --- the stereographic pair ----------------------------------------------------------

TEST(Stereographic, PlaneToSphereCases) {
  struct Case {
    Complex w;
    Vec3 expected;
  };
  const Case cases[] = {
      {{0, 0}, {0, 0, 1}},
      {{1, 0}, {-1, 0, 0}},
      {{0, 1}, {0, -1, 0}},
      {{-0.6, 0.8}, {0.6, -0.8, 0}},
      {{0.5, 0}, {-0.8, 0, 0.6}},
      {{1e200, 0}, {0, 0, -1}},
      {{INFINITY, 0}, {0, 0, -1}},
  };
  for (const Case& c : cases) {
    Vec3 out;
    StereographicToSphere(&c.w, &out);
    EXPECT_TRUE(Vec3Near(out, c.expected, 1e-15)) << c.w.re << "," << c.w.im;
  }
}

TEST(Stereographic, PairIsInverse) {
  // SphereToStereographicPowered with k = 1 is the plain sphere-to-plane map.
  for (double re = -3.0; re <= 3.0; re += 0.4) {
    for (double im = -3.0; im <= 3.0; im += 0.45) {
      const Complex w{re, im};
      Vec3 v;
      StereographicToSphere(&w, &v);
      EXPECT_NEAR(LengthVec3d(&v), 1.0, 1e-15);
      Complex back;
      SphereToStereographicPowered(&v, &back, 1.0);
      EXPECT_TRUE(ComplexNear(back, w, 1e-13 * (1 + re * re + im * im)));
    }
  }
}

TEST(Stereographic, SouthPoleFormsMatchTheHalvedPlanePoint) {
  struct Case {
    double x, y;
    Vec3 expected;
  };
  const Case cases[] = {{0, 0, {0, 0, 1}}, {2, 0, {-1, 0, 0}}, {0, -2, {0, 1, 0}}};
  for (const Case& c : cases) {
    Vec3f f;
    PlaneToSphereFromSouthPole(float(c.x), float(c.y), &f);
    EXPECT_TRUE(Vec3fNear(f, c.expected, 1e-7));
    Vec3 d;
    PlaneToSphereFromSouthPoleD(c.x, c.y, &d);
    EXPECT_TRUE(Vec3Near(d, c.expected, 1e-15));
  }
  for (double x = -5.0; x <= 5.0; x += 0.7) {
    for (double y = -4.0; y <= 4.0; y += 0.9) {
      const Complex half{x / 2, y / 2};
      Vec3 expected;
      StereographicToSphere(&half, &expected);
      Vec3 d;
      PlaneToSphereFromSouthPoleD(x, y, &d);
      EXPECT_TRUE(Vec3Near(d, expected, 1e-15));
      Vec3f f;
      PlaneToSphereFromSouthPole(float(x), float(y), &f);
      EXPECT_TRUE(Vec3fNear(f, expected, 4e-7));
    }
  }
}

TEST(Stereographic, AxisPointRayMeetsTheSphereAhead) {
  for (double c : {-1.0, -0.5, 0.0, 0.3, 0.9}) {
    for (double x = -2.0; x <= 2.0; x += 0.5) {
      for (double y = -2.0; y <= 2.0; y += 0.8) {
        Vec3 out;
        PlaneToSphereFromAxisPointD(x, y, &out, c);
        EXPECT_NEAR(LengthVec3d(&out), 1.0, 1e-15);
        // out - (0, 0, c) runs along (-x, -y, 1 - c) with a positive factor.
        const Vec3 along{out.x, out.y, out.z - c};
        const Vec3 dir{-x, -y, 1 - c};
        Vec3 cross;
        CrossVec3d(&cross, &along, &dir);
        EXPECT_NEAR(LengthVec3d(&cross), 0.0, 1e-14);
        EXPECT_GT(DotVec3d(&along, &dir), 0.0);
        Vec3f f;
        PlaneToSphereFromAxisPoint(float(x), float(y), &f, float(c));
        EXPECT_TRUE(Vec3fNear(f, out, 1e-6));
      }
    }
  }
  // From outside the sphere a ray that misses it stays finite.
  Vec3 out;
  PlaneToSphereFromAxisPointD(10.0, 0.0, &out, 3.0);
  EXPECT_TRUE(IsFiniteVec3(out));
  Vec3f f;
  PlaneToSphereFromAxisPoint(10.0f, 0.0f, &f, 3.0f);
  EXPECT_TRUE(std::isfinite(f.x) && std::isfinite(f.y) && std::isfinite(f.z));
}

// --- the power map ---------------------------------------------------------------

TEST(SpherePower, KOneIsTheIdentityAndKeepsTheFlag) {
  for (const Vec3& d : SampleDirections()) {
    for (uint8_t flag : {uint8_t{0}, uint8_t{1}}) {
      Vec3 v = d;
      uint8_t f = flag;
      MapSpherePower(&v, 1.0, &f, 0.0);
      EXPECT_TRUE(Vec3Near(v, d, 1e-15));
      EXPECT_EQ(f, flag);
      v = d;
      MapSpherePowerAboutZ(&v, 1.0, &f);
      EXPECT_TRUE(Vec3Near(v, d, 1e-15));
      EXPECT_EQ(f, flag);
    }
  }
}

TEST(SpherePower, PolesAreFixedAndNeverOutside) {
  for (double k : {0.25, 0.5, 2.0, 3.0}) {
    for (double y : {1.0, -1.0}) {
      Vec3 v{0, y, 0};
      uint8_t f = 0;
      MapSpherePower(&v, k, &f, 0.0);
      EXPECT_TRUE(Vec3Near(v, Vec3{0, y, 0}, 1e-15)) << k;
      EXPECT_EQ(f, 0) << k;
      Vec3 z{0, 0, y};
      MapSpherePowerAboutZ(&z, k, &f);
      EXPECT_TRUE(Vec3Near(z, Vec3{0, 0, y}, 1e-15)) << k;
    }
  }
}

// In longitude about y (from +z toward +x) and angle from the nearer pole, the
// map multiplies the longitude by 1/k and raises tan(angle/2) to 1/k, keeping
// each hemisphere. The wedge flag rises where the longitude times 1/k passes
// half a turn.
TEST(SpherePower, MultipliesLongitudeAndRaisesPolarRadius) {
  for (double k : {0.5, 2.0, 1.0 / 3.0, 1.5}) {
    const double p = 1.0 / k;
    for (const Vec3& d : SampleDirections()) {
      const double lon = std::atan2(d.x, d.z);
      const double fromPole = std::acos(std::fabs(d.y));
      if (std::fabs(d.y) == 1.0) continue;
      SCOPED_TRACE(::testing::Message() << "k " << k << " d " << d.x << "," << d.y << "," << d.z);
      Vec3 v = d;
      uint8_t flag = 0;
      MapSpherePower(&v, k, &flag, 0.0);
      if (std::fabs(std::fabs(lon) * p - kPi) > 1e-4) {
        EXPECT_EQ(flag, std::fabs(lon) * p > kPi ? 1 : 0);
      }
      EXPECT_NEAR(LengthVec3d(&v), 1.0, 1e-14);
      const double newFromPole = 2.0 * std::atan(std::pow(std::tan(fromPole / 2.0), p));
      EXPECT_NEAR(std::acos(std::clamp(std::fabs(v.y), 0.0, 1.0)), newFromPole, 2e-7);
      EXPECT_GE(v.y * d.y, 0.0);
      if (std::fabs(lon) * p < kPi - 1e-6 && std::sin(newFromPole) > 1e-6) {
        EXPECT_NEAR(std::atan2(v.x, v.z), lon * p, 1e-12 / std::sin(newFromPole) + 1e-12);
      }
    }
  }
}

TEST(SpherePower, ExponentsKAndOneOverKUndoEachOtherInsideTheWedge) {
  for (const Vec3& d : SampleDirections()) {
    if (std::fabs(std::atan2(d.x, d.z)) >= kPi / 2 - 1e-9) continue;
    Vec3 v = d;
    uint8_t flag = 0;
    MapSpherePower(&v, 0.5, &flag, 0.0);
    EXPECT_EQ(flag, 0);
    MapSpherePower(&v, 2.0, &flag, 0.0);
    EXPECT_TRUE(Vec3Near(v, d, 1e-13));
    EXPECT_EQ(flag, 0);
  }
}

TEST(SpherePower, ForwardTurnsToBackUnderSquaring) {
  struct Case {
    Vec3 in, expected;
  };
  const Case cases[] = {
      {{0, 0, 1}, {0, 0, 1}},
      {{1, 0, 0}, {0, 0, -1}},
      {{std::sqrt(0.5), 0, std::sqrt(0.5)}, {1, 0, 0}},
      {{-std::sqrt(0.5), 0, std::sqrt(0.5)}, {-1, 0, 0}},
  };
  for (const Case& c : cases) {
    Vec3 v = c.in;
    uint8_t flag = 0;
    MapSpherePowerNoTilt(&v, 0.5, &flag);
    EXPECT_TRUE(Vec3Near(v, c.expected, 1e-15));
    Vec3f f = ToF(c.in);
    MapSpherePowerF(&f, 0.5, &flag);
    EXPECT_TRUE(Vec3fNear(f, c.expected, 1e-7));
  }
}

TEST(SpherePower, AboutZIsTheMapAboutYConjugated) {
  for (const Vec3& d : SampleDirections()) {
    // Carry z to y, power about y, and carry back.
    Vec3 viaY{d.x, -d.z, d.y};
    uint8_t flagY = 0, flagZ = 0;
    MapSpherePower(&viaY, 0.5, &flagY, 0.0);
    const Vec3 expected{viaY.x, viaY.z, -viaY.y};
    Vec3 v = d;
    MapSpherePowerAboutZ(&v, 0.5, &flagZ);
    EXPECT_TRUE(Vec3Near(v, expected, 0.0));
    EXPECT_EQ(flagZ, flagY);
  }
}

TEST(SpherePower, PoweredStereographicPairsAreInverse) {
  // Inside the unit circle the plane point lies in the front half, where the
  // squaring is one to one.
  for (double re = -0.9; re <= 0.9; re += 0.15) {
    for (double im = -0.9; im <= 0.9; im += 0.2) {
      const Complex w{re, im};
      if (re * re + im * im >= 0.9) continue;
      Vec3 v;
      uint8_t flag = 0;
      StereographicToSpherePowered(&w, 2.0, &flag, &v, 1);
      Complex back;
      SphereToStereographicPowered(&v, &back, 0.5);
      EXPECT_TRUE(ComplexNear(back, w, 1e-12));
    }
  }
}

TEST(SpherePower, KeepDecidesWhetherTheFlagSurvives) {
  // A point far round the back: squared (k = 2 becomes the exponent 2 of the
  // powered forms) it passes the wedge.
  const Complex w{0.1, 3.0};
  for (uint8_t keep : {uint8_t{0}, uint8_t{1}}) {
    Vec3 v;
    uint8_t flag = 0;
    StereographicToSpherePowered(&w, 2.0, &flag, &v, keep);
    Vec3f f;
    uint8_t flagF = 0;
    PlaneToSpherePoweredF(w.re, w.im, 2.0, &flagF, &f, keep);
    EXPECT_EQ(flag, keep);
    EXPECT_EQ(flagF, keep);
    EXPECT_TRUE(Vec3fNear(f, v, 1e-7));
    // A flag already raised is cleared too when keep is 0.
    flag = 1;
    const Complex nearForward{0.01, 0.02};
    StereographicToSpherePowered(&nearForward, 2.0, &flag, &v, keep);
    EXPECT_EQ(flag, keep);
  }
}

// --- the Moebius tilt -------------------------------------------------------------

TEST(MobiusTilt, ZeroLeavesTheVectorAndTiltsUndoEachOther) {
  for (const Vec3& d : SampleDirections()) {
    Vec3 v = d;
    MobiusTiltSphere(&v, 0.0);
    EXPECT_TRUE(Vec3Near(v, d, 0.0));
    for (double t : {0.3, -0.5, 0.9}) {
      v = d;
      MobiusTiltSphere(&v, t);
      EXPECT_NEAR(LengthVec3d(&v), 1.0, 1e-14);
      EXPECT_GE(v.z * d.z, 0.0);  // each hemisphere of z keeps to itself
      MobiusTiltSphere(&v, -t);
      EXPECT_TRUE(Vec3Near(v, d, 1e-13));
    }
  }
}

TEST(MobiusTilt, PoleMovesAlongY) {
  struct Case {
    Vec3 in;
    double t;
    Vec3 expected;
  };
  const Case cases[] = {
      {{0, 0, 1}, 0.5, {0, 0.8, 0.6}},
      {{0, 0, -1}, 0.5, {0, 0.8, -0.6}},
      {{0, 0, 1}, -0.5, {0, -0.8, 0.6}},
      // |t| >= 1: the pole of the map lands on the point at infinity instead
      // of dividing zero by zero.
      {{0, -0.8, 0.6}, 2.0, {0, 0, -1}},
  };
  for (const Case& c : cases) {
    Vec3 v = c.in;
    MobiusTiltSphere(&v, c.t);
    EXPECT_TRUE(Vec3Near(v, c.expected, 1e-15));
  }
  // t = 1 folds the whole hemisphere onto one point; the singular point of
  // the map still gives a finite unit vector.
  Vec3 v{0, -1, 0};
  MobiusTiltSphere(&v, 1.0);
  EXPECT_TRUE(IsFiniteVec3(v));
  EXPECT_NEAR(LengthVec3d(&v), 1.0, 1e-15);
}

TEST(SpherePower, TiltFollowsThePower) {
  for (const Vec3& d : SampleDirections()) {
    Vec3 expected = d;
    uint8_t flag = 0;
    MapSpherePower(&expected, 2.0, &flag, 0.0);
    MobiusTiltSphere(&expected, 0.4);
    Vec3 v = d;
    MapSpherePower(&v, 2.0, &flag, 0.4);
    EXPECT_TRUE(Vec3Near(v, expected, 0.0));
  }
}

}  // namespace
