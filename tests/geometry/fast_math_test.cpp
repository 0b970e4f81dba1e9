#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "geometry/fast_math.h"
#include "geometry/vector.h"
#include "geometry_test_util.h"

namespace {

constexpr double kPi = std::numbers::pi;

// --- the fast square root -----------------------------------------------------------

// Relative error of the fast root against the true (double) root, and how far
// above it the result may lie: a little over one float step (the two Newton
// steps in float round up now and then).
constexpr double kSqrtRelativeError = 5e-6;
constexpr double kSqrtMostAbove = 2.5e-7;

struct SqrtSweep {
  double worstBelow = 0.0;
  double worstAbove = 0.0;
  uint64_t count = 0;
};

void SweepSqrt(uint32_t firstBits, uint32_t endBits, uint32_t step, SqrtSweep* sweep) {
  for (uint64_t bits = firstBits; bits < endBits; bits += step) {
    const float x = std::bit_cast<float>(static_cast<uint32_t>(bits));
    const double truth = std::sqrt(static_cast<double>(x));
    const double relative = (static_cast<double>(FastSqrtf(x)) - truth) / truth;
    if (relative < -sweep->worstBelow) sweep->worstBelow = -relative;
    if (relative > sweep->worstAbove) sweep->worstAbove = relative;
    ++sweep->count;
  }
}

TEST(FastSqrt, EveryFloatOfTwoBinades) {
  // The estimate depends on the exponent only through its parity, so the
  // binades [1, 2) and [2, 4) show every error the normal floats can have.
  SqrtSweep sweep;
  SweepSqrt(std::bit_cast<uint32_t>(1.0f), std::bit_cast<uint32_t>(4.0f), 1, &sweep);
  EXPECT_EQ(sweep.count, 1u << 24);
  EXPECT_LT(sweep.worstBelow, kSqrtRelativeError);
  EXPECT_LT(sweep.worstAbove, kSqrtMostAbove);
}

TEST(FastSqrt, WholeRangeOfNormalFloats) {
  SqrtSweep sweep;
  SweepSqrt(std::bit_cast<uint32_t>(FLT_MIN), std::bit_cast<uint32_t>(FLT_MAX) + 1u, 127, &sweep);
  EXPECT_GT(sweep.count, 16000000u);
  EXPECT_LT(sweep.worstBelow, kSqrtRelativeError);
  EXPECT_LT(sweep.worstAbove, kSqrtMostAbove);
  EXPECT_TRUE(std::isfinite(FastSqrtf(FLT_MAX)));
}

TEST(FastSqrt, SpecialArguments) {
  EXPECT_EQ(FastSqrtf(0.0f), 0.0f);
  EXPECT_EQ(std::bit_cast<uint32_t>(FastSqrtf(0.0f)), 0u);
  EXPECT_EQ(FastSqrtf(-0.0f), 0.0f);
  EXPECT_EQ(FastSqrtf(-4.0f), 0.0f);  // no NaN from a slightly negative square
  const float four = FastSqrtf(4.0f);
  EXPECT_NEAR(four, 2.0f, 2.0 * 5e-6);
  EXPECT_LE(four, std::nextafter(2.0f, 3.0f));
  // Subnormal arguments, where the bit estimate is far off, get the true root.
  for (float x : {FLT_TRUE_MIN, 1e-40f, 1e-39f, FLT_MIN * 0.5f}) {
    EXPECT_NEAR(FastSqrtf(x), std::sqrt(double(x)), 1e-6 * std::sqrt(double(x))) << x;
  }
  EXPECT_TRUE(std::isnan(FastSqrtf(NAN)));
}

// --- the polynomial arc cosine ---------------------------------------------------------

constexpr double kAcosError = 7e-5;

TEST(FastArcCosine, AgreesWithAcosOverTheWholeDomain) {
  double worst = 0.0;
  double worstAt = 0.0;
  auto check = [&](float x) {
    const double error = std::fabs(static_cast<double>(FastAcos(x)) - std::acos(static_cast<double>(x)));
    if (error > worst) {
      worst = error;
      worstAt = x;
    }
  };
  constexpr int kSteps = 1 << 21;
  for (int i = 0; i <= kSteps; ++i) check(-1.0f + 2.0f * static_cast<float>(i) / kSteps);
  // Every float near the ends, where the root is steep, and a fine grid near
  // 0, where the error is largest.
  for (float x = 0.999f; x <= 1.0f; x = std::nextafter(x, 2.0f)) {
    check(x);
    check(-x);
  }
  for (int i = 0; i <= 1 << 16; ++i) {
    const float x = 1e-3f * static_cast<float>(i) / (1 << 16);
    check(x);
    check(-x);
  }
  EXPECT_LT(worst, kAcosError) << "at " << worstAt;
  EXPECT_GT(worst, 1e-5);  // the approximation is the cheap one, not the library's
}

TEST(FastArcCosine, EndsAndCentre) {
  EXPECT_EQ(FastAcos(1.0f), 0.0f);
  EXPECT_EQ(FastAcos(-1.0f), 3.1415927f);
  EXPECT_EQ(FastAcos(0.0f), 1.5707288f);
  EXPECT_EQ(FastAcos(-0.0f), 1.5707288f);
  EXPECT_EQ(FastAcos(-0.5f), 3.1415927f - FastAcos(0.5f));
}

TEST(FastArcCosine, ArgumentsBeyondTheDomainAreClamped) {
  EXPECT_EQ(FastAcos(1.0000001f), 0.0f);
  EXPECT_EQ(FastAcos(1.5f), 0.0f);
  EXPECT_EQ(FastAcos(-1.0000001f), 3.1415927f);
  EXPECT_EQ(FastAcos(-INFINITY), 3.1415927f);
}

// --- angles of plane points --------------------------------------------------------------

TEST(AngleAroundOrigin, StatedPoints) {
  struct Case {
    float p, q, expected;
  };
  const Case cases[] = {
      {0, 1, 3.1415927f}, {1, 0, 4.712389f}, {0, -1, 6.2831855f}, {0, 0, 1.5707964f},
      {-1, 0, 1.5707964f}, {1, 1, float(kPi + kPi / 4)}, {-1, -1, float(kPi / 4)},
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(AngleAroundOrigin(c.p, c.q), c.expected) << c.p << "," << c.q;
}

TEST(AngleAroundOrigin, IsAtan2PlusPiAwayFromTheSeam) {
  for (float p = -3.0f; p <= 3.0f; p += 0.0625f) {
    for (float q = -3.0f; q <= 3.0f; q += 0.0625f) {
      if (p == 0.0f && q < 0.0f) continue;  // the seam, below
      const float a = AngleAroundOrigin(p, q);
      EXPECT_GE(a, 0.0f);
      EXPECT_LE(a, 6.2831855f);
      if (q != 0.0f || p != 0.0f) {
        EXPECT_NEAR(a, std::atan2(double(p), double(q)) + kPi, 1e-6) << p << "," << q;
      }
    }
  }
}

TEST(AngleAroundOrigin, Seam) {
  // Along p = 0, q < 0 the angle jumps from the full turn (p >= 0, also -0)
  // to nearly nothing (p < 0).
  for (float q : {-1e-30f, -1e-3f, -1.0f, -1e20f}) {
    EXPECT_EQ(AngleAroundOrigin(0.0f, q), 6.2831855f) << q;
    EXPECT_EQ(AngleAroundOrigin(-0.0f, q), 6.2831855f) << q;
    EXPECT_NEAR(AngleAroundOrigin(1e-6f * -q, q), 6.2831855f, 2e-6f) << q;
    EXPECT_NEAR(AngleAroundOrigin(-1e-6f * -q, q), 0.0f, 2e-6f) << q;
    EXPECT_GE(AngleAroundOrigin(-1e-6f * -q, q), 0.0f);
  }
  // Across q = 0 the angle is continuous on both sides of the origin.
  for (float p : {1.0f, -1.0f, 1e-10f, -1e10f}) {
    const float atZero = AngleAroundOrigin(p, 0.0f);
    EXPECT_NEAR(AngleAroundOrigin(p, std::fabs(p) * 1e-7f), atZero, 1e-6f);
    EXPECT_NEAR(AngleAroundOrigin(p, -std::fabs(p) * 1e-7f), atZero, 1e-6f);
  }
}

TEST(Polar, StatedPointsAndRoundTrip) {
  struct Case {
    float x, y, angle, radius;
  };
  const Case cases[] = {
      {1, 0, 0, 1},   {0, 1, float(kPi / 2), 1}, {-2, 0, float(kPi), 2}, {0, -1, float(3 * kPi / 2), 1},
      {0, 0, float(kPi), 0}, {3, 4, float(std::atan2(4.0, 3.0)), 5},
  };
  for (const Case& c : cases) {
    float angle, radius;
    PlaneToPolar(c.x, c.y, &angle, &radius);
    EXPECT_NEAR(angle, c.angle, 1e-6) << c.x << "," << c.y;
    EXPECT_FLOAT_EQ(radius, c.radius);
  }
  for (float x = -2.0f; x <= 2.0f; x += 0.125f) {
    for (float y = -2.0f; y <= 2.0f; y += 0.125f) {
      float angle, radius, bx, by;
      PlaneToPolar(x, y, &angle, &radius);
      EXPECT_GE(angle, 0.0f);
      EXPECT_LT(angle, 6.2831855f);
      PolarToPlane(&bx, &by, angle, radius);
      EXPECT_NEAR(bx, x, 2e-6f);
      EXPECT_NEAR(by, y, 2e-6f);
    }
  }
}

// --- equirectangular coordinates -----------------------------------------------------------

struct EquirectCase {
  const char* name;
  Vec3 direction;
  double u, w;
};

const EquirectCase kLayout[] = {
    {"forward", {0, 0, 1}, 0.5, 0.5},       {"right", {1, 0, 0}, 0.75, 0.5},
    {"left", {-1, 0, 0}, 0.25, 0.5},        {"up", {0, 1, 0}, 0.5, 0.0},
    {"down", {0, -1, 0}, 0.5, 1.0},         {"back", {0, 0, -1}, 1.0, 0.5},
    {"forward, 45 up", {0, std::sqrt(0.5), std::sqrt(0.5)}, 0.5, 0.25},
};

TEST(Equirect, LayoutInDouble) {
  for (const EquirectCase& c : kLayout) {
    SCOPED_TRACE(c.name);
    Vec3 v = c.direction;
    double u, w;
    EXPECT_FALSE(Vec3dToEquirect(&v, &u, &w));
    if (std::fabs(c.direction.y) != 1.0) {
      EXPECT_NEAR(u, c.u, 1e-15);
    }
    EXPECT_NEAR(w, c.w, 1e-15);
    Vec3 back;
    EquirectToVec3d(c.u, c.w, &back);
    EXPECT_TRUE(Vec3Near(back, c.direction, 1e-15));
  }
}

TEST(Equirect, LayoutInFloat) {
  for (const EquirectCase& c : kLayout) {
    SCOPED_TRACE(c.name);
    const Vec3f v{float(c.direction.x), float(c.direction.y), float(c.direction.z)};
    float u, w;
    Vec3fToEquirect(&v, &u, &w);
    if (std::fabs(c.direction.y) != 1.0) {
      EXPECT_NEAR(u, c.u, 1e-7);
    }
    EXPECT_NEAR(w, c.w, kAcosError / kPi);
    Vec3f back;
    EquirectToVec3f(float(c.u), float(c.w), &back);
    EXPECT_TRUE(Vec3fNear(back, c.direction, 3e-7));
  }
  // The polynomial arc cosine shows at the equator.
  const Vec3f forward{0, 0, 1};
  float u, w;
  Vec3fToEquirect(&forward, &u, &w);
  EXPECT_EQ(u, 0.5f);
  EXPECT_EQ(w, 1.5707288f * 0.31830987f);
  // Every u of the top row is the up direction.
  for (float top : {0.0f, 0.3f, 1.0f}) {
    Vec3f up;
    EquirectToVec3f(top, 0.0f, &up);
    EXPECT_TRUE(Vec3fNear(up, Vec3{0, 1, 0}, 1e-7));
  }
}

TEST(Equirect, PolesBeyondUnitLengthAreClamped) {
  float u, w;
  const Vec3f overUp{0, 1.0000001f, 0};
  Vec3fToEquirect(&overUp, &u, &w);
  EXPECT_EQ(w, 0.0f);
  // Below the south pole the row is the bottom one, not the top.
  const Vec3f overDown{0, -1.0000001f, 0};
  Vec3fToEquirect(&overDown, &u, &w);
  EXPECT_NEAR(w, 1.0f, 1e-7f);

  Vec3 v{0, 1.0000001, 0};
  double ud, wd;
  EXPECT_FALSE(Vec3dToEquirect(&v, &ud, &wd));
  EXPECT_EQ(v.y, 1.0);
  EXPECT_EQ(wd, 0.0);
  v = Vec3{0, -1.0000001, 0};
  EXPECT_FALSE(Vec3dToEquirect(&v, &ud, &wd));
  EXPECT_EQ(v.y, -1.0);
  EXPECT_EQ(wd, 1.0);
  // Away from the poles the caller's vector is not touched.
  v = Vec3{0.6, 0.0, 0.8};
  Vec3dToEquirect(&v, &ud, &wd);
  EXPECT_TRUE(Vec3Near(v, Vec3{0.6, 0.0, 0.8}, 0.0));
}

TEST(Equirect, NanIsReported) {
  Vec3 v{NAN, 0.2, 0.9};
  double u, w;
  EXPECT_TRUE(Vec3dToEquirect(&v, &u, &w));
  v = Vec3{0.1, NAN, 0.9};
  EXPECT_TRUE(Vec3dToEquirect(&v, &u, &w));
}

TEST(Equirect, RoundTripsOverTheSphere) {
  for (double u = 0.0; u < 1.0; u += 1.0 / 37) {
    for (double w = 0.01; w < 1.0; w += 1.0 / 29) {
      Vec3 v;
      EquirectToVec3d(u, w, &v);
      EXPECT_NEAR(LengthVec3d(&v), 1.0, 1e-15);
      double bu, bw;
      ASSERT_FALSE(Vec3dToEquirect(&v, &bu, &bw));
      // u = 0 comes back as 1: the two meet at the back.
      EXPECT_NEAR(std::fmod(bu - u + 1.5, 1.0) - 0.5, 0.0, 1e-13);
      EXPECT_NEAR(bw, w, 1e-13);
      EXPECT_GE(bu, 0.0);
      EXPECT_LE(bu, 1.0);

      Vec3f f;
      EquirectToVec3f(float(u), float(w), &f);
      EXPECT_TRUE(Vec3fNear(f, v, 1e-6));
      float fu, fw;
      Vec3fToEquirect(&f, &fu, &fw);
      EXPECT_NEAR(std::fmod(fu - u + 1.5, 1.0) - 0.5, 0.0, 1e-6);
      EXPECT_NEAR(fw, w, kAcosError / kPi + 1e-6);
    }
  }
}

}  // namespace
