// The shared projection formulas: caches, Robinson, the Winkel Tripel term,
// cube faces, the tunable profile and the small plane-to-sphere steps.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/vector.h"
#include "nets/nets_services_stub.h"
#include "projection/formula_helpers.h"
#include "projection/mapping_context.h"

namespace {

constexpr double kPi = std::numbers::pi;

std::vector<float> FreshCache(int32_t size) { return std::vector<float>(size, kCacheNotBuilt); }

// θ with 2θ + sin 2θ = π sin t, by bisection in double precision.
double MollweideTheta(double t) {
  double lo = -kPi / 2, hi = kPi / 2;
  const double target = kPi * std::sin(t);
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (2 * mid + std::sin(2 * mid) < target) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return 0.5 * (lo + hi);
}

TEST(MollweideAuxAngle, SolvesTheAuxiliaryEquation) {
  std::vector<float> cache = FreshCache(kMollweideCacheSize);
  EXPECT_EQ(MollweideAuxAngle(0.0f, cache.data()), 0.0f);
  EXPECT_NE(cache[0], kCacheNotBuilt);
  for (double t = -1.45; t <= 1.45; t += 0.01) {
    const float theta = MollweideAuxAngle(static_cast<float>(t), cache.data());
    EXPECT_NEAR(theta, MollweideTheta(t), 2e-4) << t;
    EXPECT_EQ(MollweideAuxAngle(static_cast<float>(-t), cache.data()), -theta) << t;
  }
  // Up to the pole the table stays finite and rises; beyond π/2 it falls
  // back to the last entry, 0, at t = π.
  for (int i = 0; i < kMollweideCacheSize; ++i) ASSERT_TRUE(std::isfinite(cache[i])) << i;
  for (int i = 1; i <= 199; ++i) EXPECT_GE(cache[i], cache[i - 1]) << i;
  EXPECT_NEAR(cache[199], cache[200], 1e-4f);
  EXPECT_EQ(MollweideAuxAngle(3.1415927f, cache.data()), cache[399]);
  EXPECT_NEAR(cache[399], 0.0f, 1e-6f);
  EXPECT_NEAR(MollweideAuxAngle(1.5707964f, cache.data()), kPi / 2, 0.03);
}

TEST(MollweideAuxAngle, RebuildsWhenMarkedAndToleratesNaN) {
  std::vector<float> cache = FreshCache(kMollweideCacheSize);
  const float first = MollweideAuxAngle(0.7f, cache.data());
  cache[5] = 123.0f;  // a stale table is kept until it is marked again
  cache[0] = kCacheNotBuilt;
  EXPECT_EQ(MollweideAuxAngle(0.7f, cache.data()), first);
  EXPECT_NE(cache[5], 123.0f);
  EXPECT_TRUE(std::isnan(MollweideAuxAngle(std::nanf(""), cache.data())));
  EXPECT_TRUE(std::isfinite(MollweideAuxAngle(1e30f, cache.data())));
}

TEST(Robinson, ForwardFollowsTheTable) {
  // Rows of the published table at 0, 45 and 90 degrees, and between rows.
  struct Row {
    float fraction, plen, pdfe;
  };
  const Row rows[] = {{0.0f, 1.0f, 0.0f}, {0.5f, 0.8962f, 0.5571f}, {1.0f, 0.5322f, 1.0f},
                      {-1.0f, 0.5322f, -1.0f}, {47.5f / 90.0f, 0.5f * (0.8962f + 0.8679f), 0.5f * (0.5571f + 0.6176f)}};
  for (const Row& r : rows) {
    float x = 1.0f, f = r.fraction;
    uint8_t outside = 0;
    RobinsonForward(&x, &f, &outside);
    EXPECT_EQ(outside, 0);
    EXPECT_NEAR(x, r.plen, 1e-6f) << r.fraction;
    EXPECT_NEAR(f, r.pdfe, 1e-6f) << r.fraction;
  }
  float x = 0.3f, f = 1.0001f;
  uint8_t outside = 0;
  RobinsonForward(&x, &f, &outside);
  EXPECT_EQ(outside, 1);
  EXPECT_EQ(x, 0.3f);
  EXPECT_EQ(f, 1.0001f);
  x = 1.5f;
  f = 0.0f;
  outside = 0;
  RobinsonForward(&x, &f, &outside);
  EXPECT_EQ(outside, 1);
}

TEST(Robinson, InverseUndoesTheForwardWithXMirrored) {
  std::vector<float> cache = FreshCache(kOutputCacheSize);
  float x = 0.0f, y = 0.5f;
  uint8_t outside = 9;
  InverseRobinson(&x, &y, &outside, cache.data());
  EXPECT_EQ(outside, 0);
  EXPECT_NEAR(y, 1.0f, 1e-6f);
  x = 0.0f;
  y = 0.50001f;
  InverseRobinson(&x, &y, &outside, cache.data());
  EXPECT_EQ(outside, 1);
  EXPECT_FLOAT_EQ(y, 1.00002f);  // y is doubled in place first
  for (float lat = -0.95f; lat <= 0.95f; lat += 0.05f) {
    for (float lon : {-0.9f, -0.3f, 0.0f, 0.6f}) {
      float px = lon, py = lat;
      uint8_t o = 0;
      RobinsonForward(&px, &py, &o);
      ASSERT_EQ(o, 0);
      float ix = px, iy = py / 2.0f;
      InverseRobinson(&ix, &iy, &o, cache.data());
      ASSERT_EQ(o, 0);
      EXPECT_NEAR(iy, lat, 2e-4f) << lat;
      EXPECT_NEAR(ix, -lon, 2e-4f) << lat << " " << lon;
    }
  }
  // Beyond the parallel's length the point is off the map.
  float ox = 0.9f, oy = 0.45f;
  InverseRobinson(&ox, &oy, &outside, cache.data());
  EXPECT_EQ(outside, 1);
}

TEST(Robinson, LatitudeBisectionInvertsTheDistanceTable) {
  for (int i = 0; i <= 18; ++i) {
    EXPECT_NEAR(RobinsonLatitudeBisect(kRobinsonPdfe[i]), i / 18.0f, 2e-6f) << i;
  }
}

TEST(AitoffTerm, IsTheWinkelTripelOfTheUnitSphere) {
  // Values from PROJ (+proj=wintri +R=1).
  struct Case {
    double lonDeg, latDeg, x, y;
  };
  const Case cases[] = {{0, 0, 0, 0},
                        {30, 45, 0.371856787033, 0.789095954820},
                        {-120, -30, -1.601029135042, -0.573253543924},
                        {180, 0, 2.570796326795, 0},
                        {0, 90, 0, 1.570796326795}};
  for (const Case& c : cases) {
    double in[2] = {c.lonDeg * kPi / 180, c.latDeg * kPi / 180};
    Complex out{9, 9};
    EXPECT_EQ(AitoffTerm(&out, in), &out);
    EXPECT_NEAR(out.re, c.x, 1e-9) << c.lonDeg << " " << c.latDeg;
    EXPECT_NEAR(out.im, c.y, 1e-9) << c.lonDeg << " " << c.latDeg;
  }
}

TEST(ChooseCubeFace, FacesAndInFaceCoordinates) {
  struct Case {
    float v[3];
    int32_t face;
    float u, w;
  };
  const Case cases[] = {
      {{0, 0, 1}, 3, 0, 0},          {{0, 0, -1}, 0, 0, 0},        {{1, 0, 0}, 4, 0, 0},
      {{-1, 0, 0}, 1, 0, 0},         {{0, 1, 0}, 5, 0, 0},         {{0, -1, 0}, 2, 0, 0},
      {{0.5f, 0.25f, 1}, 3, -0.5f, -0.25f}, {{0.5f, 0.25f, -1}, 0, 0.5f, -0.25f},
      {{1, 0.5f, 0.25f}, 4, 0.25f, -0.5f},  {{-1, 0.5f, 0.25f}, 1, -0.25f, -0.5f},
      {{0.25f, 1, 0.5f}, 5, -0.25f, 0.5f},  {{0.25f, -1, 0.5f}, 2, -0.25f, -0.5f},
      // A tie with z keeps the z axis.
      {{1, 0, 1}, 3, -1, 0},         {{0, -1, -1}, 0, 0, 1},
      // |x| and |y| tie above |z|: the x axis, so the point stays on a face.
      {{0.7071068f, 0.7071068f, 0}, 4, 0, -1}, {{-0.5f, -0.5f, 0.1f}, 1, -0.2f, 1},
  };
  for (const Case& c : cases) {
    float u = 9, w = 9;
    EXPECT_EQ(ChooseCubeFace(c.v, &u, &w), c.face) << c.v[0] << " " << c.v[1] << " " << c.v[2];
    EXPECT_NEAR(u, c.u, 1e-6f) << c.v[0] << " " << c.v[1] << " " << c.v[2];
    EXPECT_NEAR(w, c.w, 1e-6f) << c.v[0] << " " << c.v[1] << " " << c.v[2];
  }
  // Every direction lands inside its face.
  std::mt19937 rng(7);
  std::normal_distribution<float> n(0.0f, 1.0f);
  for (int i = 0; i < 20000; ++i) {
    float v[3] = {n(rng), n(rng), n(rng)};
    float u = 0, w = 0;
    ChooseCubeFace(v, &u, &w);
    ASSERT_LE(std::fabs(u), 1.0f);
    ASSERT_LE(std::fabs(w), 1.0f);
  }
}

TEST(TunableProfile, PointsOfBothProfiles) {
  float p[3] = {9, 9, 9};
  TunableProfilePoint(0.5f, p, 2.0f, 0);
  EXPECT_NEAR(p[0], 2.0f, 1e-6f);
  EXPECT_NEAR(p[1], 0.0f, 1e-6f);
  EXPECT_EQ(p[2], 0.0f);
  TunableProfilePoint(0.0f, p, 2.0f, 0);
  EXPECT_NEAR(p[1], -1.0f, 1e-6f);
  TunableProfilePoint(0.0f, p, 1.0f, 1);
  EXPECT_NEAR(p[0], 0.0f, 1e-6f);
  EXPECT_NEAR(p[1], 2.0f * std::pow(1.8f, 1.5f), 1e-5f);
  TunableProfilePoint(1.0f, p, 1.0f, 1);
  EXPECT_NEAR(p[1], 2.0f * std::pow(0.8f, 1.5f), 1e-5f);
  float q[3] = {5, 6, 7};
  TunableProfilePoint(0.3f, q, 1.0f, 2);
  EXPECT_EQ(q[0], 5.0f);
  EXPECT_EQ(q[1], 6.0f);
  EXPECT_EQ(q[2], 0.0f);
}

TEST(TunableProfile, InverseOfTheNormalisedArcLength) {
  for (int32_t mode : {0, 1}) {
    std::vector<float> cache = FreshCache(kOutputCacheSize);
    EXPECT_NEAR(TunableProfileInverse(0.0f, cache.data(), 1.3f, mode), 0.0f, std::ldexp(1.0f, -20));
    EXPECT_NEAR(TunableProfileInverse(1.0f, cache.data(), 1.3f, mode), 1.0f, std::ldexp(1.0f, -20));
    EXPECT_EQ(cache[0], 0.0f);
    EXPECT_EQ(cache[399], 1.0f);
    EXPECT_GT(cache[400], 0.0f);  // the total length
    float previous = -1.0f;
    for (float s = 0.0f; s <= 1.0f; s += 0.01f) {
      const float t = TunableProfileInverse(s, cache.data(), 1.3f, mode);
      EXPECT_GE(t, previous);
      previous = t;
      EXPECT_NEAR(TunableProfileArcLength(t, cache.data(), 1.3f, mode), s, 1e-5f);
    }
  }
  // Mode 0 with k = 1 is a half circle: arc length is proportional to t.
  std::vector<float> circle = FreshCache(kOutputCacheSize);
  EXPECT_NEAR(TunableProfileArcLength(0.25f, circle.data(), 1.0f, 0), 0.25f, 1e-5f);
  EXPECT_NEAR(circle[400], kPi, 1e-4f);
  // Arguments beyond 0..1 are clamped.
  EXPECT_EQ(TunableProfileInverse(-3.0f, circle.data(), 1.0f, 0), TunableProfileInverse(0.0f, circle.data(), 1.0f, 0));
  EXPECT_EQ(TunableProfileArcLength(2.0f, circle.data(), 1.0f, 0), 1.0f);
  // An unknown mode has no length; its table stays finite.
  std::vector<float> none = FreshCache(kOutputCacheSize);
  EXPECT_EQ(TunableProfileArcLength(0.5f, none.data(), 1.0f, 5), 0.0f);
}

TEST(HalveAngleFromForward, HalvesTheAngleFromTheViewCentre) {
  Vec3f side{1.0f, 0.0f, 0.0f};
  HalveAngleFromForward(&side);
  EXPECT_NEAR(side.x, std::sqrt(0.5f), 1e-6f);
  EXPECT_NEAR(side.z, std::sqrt(0.5f), 1e-6f);
  Vec3f ahead{0.0f, 0.0f, 1.0f};
  HalveAngleFromForward(&ahead);
  EXPECT_EQ(ahead.z, 1.0f);
  Vec3f d{0.0f, std::sin(2.0f), std::cos(2.0f)};
  HalveAngleFromForward(&d);
  EXPECT_NEAR(std::atan2(d.y, d.z), 1.0f, 1e-6f);
  // Straight behind: a quarter turn from the view centre, not the centre.
  Vec3f behind{0.0f, 0.0f, -1.0f};
  HalveAngleFromForward(&behind);
  EXPECT_EQ(behind.z, 0.0f);
  EXPECT_NEAR(std::hypot(behind.x, behind.y), 1.0f, 1e-6f);
  Vec3f nearBehind{1e-4f, 0.0f, -1.0f};
  HalveAngleFromForward(&nearBehind);
  EXPECT_NEAR(nearBehind.x, 1.0f, 1e-6f);
}

TEST(UnfishWarp, CompressesAndClipsThePlane) {
  float x = 9, y = 9;
  uint8_t outside = 0;
  UnfishWarp(0.0f, 0.2f, &x, &y, &outside);
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(x, 0.0f);
  EXPECT_NEAR(y, std::sin(0.6f) / 3.0f, 1e-7f);
  UnfishWarp(0.5f, 0.1f, &x, &y, &outside);
  EXPECT_NEAR(x, 0.5 * std::atan(1.55) / 1.55, 1e-6);
  EXPECT_NEAR(y, std::sin(0.3) / 3.0 * std::atan(2.1) / 2.1, 1e-6);
  UnfishWarp(0.1f, 0.53f, &x, &y, &outside);
  EXPECT_EQ(outside, 1);
  EXPECT_EQ(x, -1.0f);
  EXPECT_EQ(y, -1.0f);
}

TEST(EquirectPlaneToDirection, CentreQuarterTurnAndOutside) {
  float d[3] = {9, 9, 9};
  uint8_t outside = 1;
  EquirectPlaneToDirection(0.0f, 0.0f, d, &outside);
  EXPECT_EQ(outside, 0);
  EXPECT_NEAR(d[0], 0.0f, 1e-7f);
  EXPECT_NEAR(d[1], 0.0f, 1e-7f);
  EXPECT_NEAR(d[2], 1.0f, 1e-7f);
  EquirectPlaneToDirection(0.25f, 0.0f, d, &outside);
  EXPECT_NEAR(d[0], -1.0f, 1e-6f);
  EXPECT_NEAR(d[2], 0.0f, 1e-6f);
  EquirectPlaneToDirection(0.0f, -0.5f, d, &outside);
  EXPECT_NEAR(d[1], 1.0f, 1e-6f);
  EquirectPlaneToDirection(0.5001f, 0.0f, d, &outside);
  EXPECT_EQ(outside, 1);
  EquirectPlaneToDirection(0.0f, std::nanf(""), d, &outside);
  EXPECT_EQ(outside, 1);
}

}  // namespace

namespace {

TEST(WrapTilePosition, SkewsThenRepeatsWithinTheExtents) {
  auto mesh = std::make_unique<PolyMesh>();
  auto list = std::make_unique<NetFaceList>();
  mesh->layoutMinY = 0.0f;
  mesh->layoutMaxY = 1.0f;
  list->minX = -1.0f;
  list->maxX = 1.0f;
  float x = 9, y = 9;
  // With one repeat a point inside the tile keeps its skewed position.
  WrapTilePosition(1.0f, mesh.get(), 0.1f, 0.5f, &x, &y, list.get());
  const float a = 0.5f * 1.1547005384f;
  EXPECT_NEAR(y, a, 1e-6f);
  EXPECT_NEAR(x, 0.1f + a / 2.0f, 1e-6f);
  // Two repeats fold the skewed point twice into the extents.
  WrapTilePosition(2.0f, mesh.get(), 0.1f, 0.5f, &x, &y, list.get());
  EXPECT_NEAR(y, 2.0f * a - 1.0f, 1e-6f);
  const float sx = 0.1f + a / 2.0f;
  EXPECT_NEAR(x, -1.0f + 2.0f * (2.0f * (sx + 1.0f) / 2.0f - std::floor(2.0f * (sx + 1.0f) / 2.0f)), 1e-6f);
  // Points below the extents wrap up into them.
  WrapTilePosition(1.0f, mesh.get(), -3.3f, -0.2f, &x, &y, list.get());
  EXPECT_GE(y, 0.0f);
  EXPECT_LT(y, 1.0f);
  EXPECT_GE(x, -1.0f);
  EXPECT_LT(x, 1.0f);
  // Without extents (no net) the skewed point is kept, never NaN.
  mesh->layoutMaxY = 0.0f;
  list->minX = 100.0f;
  list->maxX = -100.0f;
  WrapTilePosition(2.0f, mesh.get(), 0.1f, 0.5f, &x, &y, list.get());
  EXPECT_NEAR(y, a, 1e-6f);
  EXPECT_NEAR(x, 0.1f + a / 2.0f, 1e-6f);
}

}  // namespace
