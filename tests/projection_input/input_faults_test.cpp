// Directions where a formula meets a singular or rounding-sensitive point:
// the poles, the antipode of the disc inputs, the exact view centre, the
// equator of the gores and the Mercator poles.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/fast_math.h"
#include "input_test_support.h"
#include "projection/input_families.h"

namespace {

// Directions spread over the whole sphere (a Fibonacci lattice), plus the
// axes and points a rounding step away from them.
std::vector<Vec3f> SphereSweep() {
  std::vector<Vec3f> out;
  const int n = 4000;
  const double golden = std::numbers::pi * (3.0 - std::sqrt(5.0));
  for (int i = 0; i < n; ++i) {
    const double y = 1.0 - 2.0 * (i + 0.5) / n;
    const double r = std::sqrt(1.0 - y * y);
    out.push_back(Vec3f{static_cast<float>(r * std::cos(golden * i)), static_cast<float>(y),
                        static_cast<float>(r * std::sin(golden * i))});
  }
  const float tiny[] = {0.0f, -0.0f, 1e-38f, -1e-38f, 1e-20f, -1e-7f, 3e-4f};
  for (int axis = 0; axis < 3; ++axis) {
    for (float sign : {1.0f, -1.0f}) {
      for (float t1 : tiny) {
        for (float t2 : tiny) {
          float v[3] = {t1, t2, t1};
          v[axis] = sign;
          v[(axis + 1) % 3] = t2;
          out.push_back(Vec3f{v[0], v[1], v[2]});
        }
      }
    }
  }
  // A rounding step past each pole, and directions a little longer than 1.
  out.push_back(Vec3f{0.0f, -1.0000001f, 0.0f});
  out.push_back(Vec3f{0.0f, 1.0000001f, 0.0f});
  out.push_back(Vec3f{0.0f, 0.0f, -1.0000001f});
  out.push_back(Vec3f{0.0f, 0.0f, 1.0000001f});
  return out;
}

TEST(InputFaults, NoInputEverReturnsANaN) {
  InputRig rig;
  const std::vector<Vec3f> sweep = SphereSweep();
  for (int32_t input = 1; input <= 28; ++input) {
    for (float aspect : {1.0f, 0.5f}) {
      for (const Vec3f& d : sweep) {
        SourcePoint p = rig.Map(input, d, aspect);
        ASSERT_FALSE(std::isnan(p.x)) << input << " d (" << d.x << ", " << d.y << ", " << d.z << ")";
        ASSERT_FALSE(std::isnan(p.y)) << input << " d (" << d.x << ", " << d.y << ", " << d.z << ")";
        if (p.noSource == 0 && input != 20) {
          // Points with a source lie in the source, up to a rounding step
          // (Nicolosi's flattened arcs magnify FastAcos at the poles).
          const float slack = input == 14 ? 5e-3f : 1e-6f;
          EXPECT_GE(p.x, -slack) << input;
          EXPECT_LE(p.x, 1.0f + slack) << input;
          EXPECT_GE(p.y, -slack) << input;
          EXPECT_LE(p.y, 1.0f + slack) << input;
        }
      }
    }
  }
}

TEST(InputFaults, JustPastTheSouthPoleStaysAtTheSouthPole) {
  InputRig rig;
  const Vec3f pastSouth[] = {{0.0f, -1.0000001f, 0.0f}, {1e-7f, -1.0f, 0.0f}, {0.0f, -1.0000001f, 1e-8f}};
  for (int32_t input = 1; input <= 28; ++input) {
    SourcePoint south = rig.Map(input, Vec3f{0.0f, -1.0f, 0.0f});
    for (const Vec3f& d : pastSouth) {
      SourcePoint p = rig.Map(input, d);
      // Where the pole has a source, the point just past it has the same
      // source row or (at the very limit of a field) none at all.
      if (south.noSource == 0 && p.noSource == 0) {
        EXPECT_NEAR(p.y, south.y, 5e-3f) << input;
      }
    }
  }
  // The equirectangular source in particular: the bottom row, not the top.
  EXPECT_EQ(rig.Map(1, Vec3f{0.0f, -1.0000001f, 0.0f}).y, 1.0f);
  EXPECT_EQ(rig.Map(1, Vec3f{0.0f, 1.0000001f, 0.0f}).y, 0.0f);
}

TEST(InputFaults, AntipodeOfTheBallsIsADefinedRimPoint) {
  // Behind a mirror ball the whole rim is the answer; a rim point is given,
  // towards (x, y) when that has a direction.
  InputRig rig;
  for (int32_t input : {2, 6, 18}) {
    SourcePoint back = rig.Map(input, Vec3f{0.0f, 0.0f, -1.0f});
    EXPECT_EQ(back.noSource, 0) << input;
    EXPECT_NEAR(std::hypot(back.x - 0.5f, back.y - 0.5f), 0.5f, 1e-6f) << input;
    // Slightly off the antipode the ball is read near its rim in that
    // direction; in floats z rounds to -1 there.
    SourcePoint off = rig.Map(input, Vec3f{3e-5f, 0.0f, -1.0f});
    EXPECT_NEAR(off.x, 0.0f, 1e-6f) << input;
    EXPECT_NEAR(off.y, 0.5f, 1e-6f) << input;
  }
  // The other disc inputs have no source there, or (the polar layout) a
  // point on their rim.
  for (int32_t input : {4, 8, 9, 15}) EXPECT_EQ(rig.Map(input, Vec3f{0.0f, 0.0f, -1.0f}).noSource, 1) << input;
  SourcePoint polar = rig.Map(3, Vec3f{0.0f, 0.0f, -1.0f});
  EXPECT_NEAR(std::hypot(polar.x - 0.5f, polar.y - 0.5f), 0.5f, 1e-6f);
}

TEST(InputFaults, StereographicCentreIsTheMiddleEvenWhenXAndYUnderflow) {
  InputRig rig;
  for (Vec3f d : {Vec3f{0.0f, 0.0f, 1.0f}, Vec3f{1e-30f, -1e-30f, 1.0f}, Vec3f{-0.0f, 0.0f, 1.0f}}) {
    SourcePoint p = rig.Map(15, d);
    EXPECT_EQ(p.x, 0.5f);
    EXPECT_EQ(p.y, 0.5f);
    EXPECT_EQ(p.noSource, 0);
  }
}

TEST(InputFaults, GoresOnTheExactEquator) {
  // FastAcos jumps over π/2 at y = 0, so no direction reaches v = 0.5; the
  // gores must not depend on that: at latitude exactly 0 the polyconic
  // formula meets 0 times an infinite cotangent.
  for (float u : {0.05f, 0.3f, 0.5f, 0.61f, 0.97f}) {
    for (int32_t input : {12, 25, 19}) {
      InputSample s{-1.0f, -1.0f, 0, 2, -1, 1.0f};
      MapGoresAt(input, EquirectPosition{u, 0.5f}, &s);
      if (input == 19) {
        // The flower's rim, or a rounding step outside it: never a NaN.
        EXPECT_FALSE(std::isnan(s.srcX)) << u;
        EXPECT_FALSE(std::isnan(s.srcY)) << u;
      } else {
        EXPECT_EQ(s.noSource, 0) << input << " " << u;
        EXPECT_EQ(s.srcY, 0.5f) << input << " " << u;
        EXPECT_NEAR(s.srcX, 1.0f - u, 1e-6f) << input << " " << u;
      }
    }
  }
}

TEST(InputFaults, GoresKeepBothPoles) {
  // At an exact pole the latitude rounds to a float just past π/2; the pole
  // must still land on the top or bottom edge of its gore.
  InputRig rig;
  for (int32_t input : {12, 25}) {
    SourcePoint n = rig.Map(input, Vec3f{0.0f, 1.0f, 0.0f});
    SourcePoint s = rig.Map(input, Vec3f{0.0f, -1.0f, 0.0f});
    EXPECT_EQ(n.noSource, 0);
    EXPECT_EQ(s.noSource, 0);
    EXPECT_NEAR(n.y, 0.0f, 1e-6f);
    EXPECT_NEAR(s.y, 1.0f, 1e-6f);
  }
}

TEST(InputFaults, MercatorIsSymmetricUpToItsPoles) {
  // The inverse hyperbolic sine must not cancel for large negative tangents:
  // the two hemispheres mirror each other all the way to the poles.
  InputRig rig;
  for (double lat : {30.0, 80.0, 89.0, 89.99}) {
    SourcePoint n = rig.Map(20, GeoDirection(10, lat));
    SourcePoint s = rig.Map(20, GeoDirection(10, -lat));
    EXPECT_NEAR(n.y - 0.5f, 0.5f - s.y, 1e-4f * std::fabs(n.y - 0.5f) + 2e-5f) << lat;
  }
  SourcePoint n = rig.Map(20, Vec3f{0.0f, 1.0f, 0.0f});
  SourcePoint s = rig.Map(20, Vec3f{0.0f, -1.0f, 0.0f});
  EXPECT_EQ(n.noSource, 1);
  EXPECT_EQ(s.noSource, 1);
  EXPECT_TRUE(std::isfinite(n.y));
  EXPECT_TRUE(std::isfinite(s.y));
  EXPECT_NEAR(std::fabs(n.y - 0.5f), std::fabs(s.y - 0.5f), 1e-4f * std::fabs(n.y - 0.5f));
}

}  // namespace
