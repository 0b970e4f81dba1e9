#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "image/area_sampling.h"
#include "image/filter_tables.h"
#include "image/float_convert.h"
#include "image/level_building.h"
#include "image/pixel_access.h"
#include "image_test_util.h"

namespace {

const FilterTables* Lanczos() {
  static FilterTables tables;
  static bool built = false;
  if (!built) BuildLanczosFilterTable(&tables), built = true;
  return &tables;
}

// A 1000 x 500 RGBA8 image with a smooth pattern and its levels built.
struct PatternImage {
  ScopedImage image;
  explicit PatternImage(int32_t mode = PixelRgba8, int32_t w = 1000, int32_t h = 500) {
    InitImageRecord(image.get(), nullptr, Lanczos());
    EXPECT_TRUE(CreateImage(image.get(), w, h, mode, FetchClamp));
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const float c[4] = {float(x % 97) / 97.0f, float(y % 61) / 61.0f, float((x + y) % 13) / 13.0f, 1.0f};
        PutPixelFloatRgba(x, y, image.get(), 0, c);
      }
    }
    BuildAllLevels(image.get());
  }
  ImageRecord* get() { return image.get(); }
};

TEST(AreaSampling, FastLog2AndTheFastLevel) {
  const std::pair<float, float> logs[] = {{1.0f, 0.0f}, {2.0f, 1.0f}, {4.0f, 2.0f}, {3.0f, 1.6f}, {1024.0f, 10.0f}};
  for (const auto& [s, want] : logs) EXPECT_NEAR(FastLog2(s), want, 1e-6f) << s;
  EXPECT_NEAR(FastLog2(1.5f), 0.6f, 1e-6f);
  // Never more than 0.019 above log2, and close below it.
  for (float s = 1.0f; s < 64.0f; s *= 1.01f) {
    EXPECT_LE(FastLog2(s) - std::log2(s), 0.019f) << s;
    EXPECT_GE(FastLog2(s) - std::log2(s), -0.002f) << s;
  }
  PatternImage image;
  SampleFootprint f;
  f.du1 = 4, f.dv1 = 0, f.du2 = 0, f.dv2 = 4;
  EXPECT_FLOAT_EQ(ChooseLevelFromFootprint(&f, image.get()), 2.0f);
  f.du1 = 3, f.dv1 = 1, f.du2 = 1, f.dv2 = 3;
  EXPECT_FLOAT_EQ(ChooseLevelFromFootprint(&f, image.get()), 1.6f);
  f.du1 = 0.5f, f.dv1 = 0, f.du2 = 0, f.dv2 = 1;
  EXPECT_EQ(ChooseLevelFromFootprint(&f, image.get()), 0.0f);
  f.du1 = 1e9f, f.dv1 = 0, f.du2 = 0, f.dv2 = 1e9f;
  EXPECT_EQ(ChooseLevelFromFootprint(&f, image.get()), float(image.get()->lastLevel));
}

TEST(AreaSampling, FastSamplerReadsTheNearestPixelOfTheChosenLevel) {
  PatternImage image;
  ImageRecord* im = image.get();
  LevelHint hint;
  float rgba[4], want[4];
  // Neighbours 4 pixels away in u and in v: level 2 (250 x 126).
  const float u = 0.3f, v = 0.6f;
  SampleAreaFast(u - 4.0f / 1000, v, u, v - 4.0f / 500, u, v, u, v, im, rgba, 0.3f, &hint);
  GetPixelFloatRgba(int32_t(250.0f * u), int32_t(126.0f * v), im, 2, want);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rgba[k], want[k]);
  EXPECT_EQ(hint.level, 0.0f);  // the fast sampler does not write the hint

  // Equal positions: level 0.
  SampleAreaFast(u, v, u, v, u, v, u, v, im, rgba, 0.3f, &hint);
  GetPixelFloatRgba(int32_t(1000.0f * u), int32_t(500.0f * v), im, 0, want);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rgba[k], want[k]);

  // Both neighbours missing: the hint's level.
  SetHintLevel(&hint, 3.7f);
  SampleAreaFast(-1.0f, 0.0f, -1.0f, 0.0f, u, v, u, v, im, rgba, 0.3f, &hint);
  GetPixelFloatRgba(int32_t(float(im->levelWidth[3]) * u), int32_t(float(im->levelHeight[3]) * v), im, 3, want);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rgba[k], want[k]);

  // One neighbour missing: the other vector is used twice.
  float twice[4];
  SampleAreaFast(-1.0f, 0.0f, u - 8.0f / 1000, v, u, v, u, v, im, rgba, 0.3f, &hint);
  SampleAreaFast(u - 8.0f / 1000, v, u - 8.0f / 1000, v, u, v, u, v, im, twice, 0.3f, &hint);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rgba[k], twice[k]);

  // EdgeSkip outside: transparent black.
  im->sampleEdgeMode = EdgeSkip;
  SampleAreaFast(u, v, u, v, u, v, 1.2f, v, im, rgba, 0.3f, &hint);
  EXPECT_EQ(rgba[0] + rgba[1] + rgba[2] + rgba[3], 0.0f);
}

struct PlanCase {
  const char* name;
  float du1, dv1, du2, dv2;  // level-0 pixels
  float sharpness;
  int32_t kind;
  float major, minor;
  int32_t level;
  int32_t taps;
  float stepU, stepV;  // level-0 pixels per tap
};

const PlanCase kPlanCases[] = {
    {"8 x 1 along u", 8, 0, 0, 1, 0.0f, AreaTaps, 8, 1, 0, 8, 1, 0},
    {"ratio 1.3: two taps parting", 5.46f, 0, 0, 4.2f, 0.0f, AreaTaps, 5.46f, 4.2f, 2, 2, 0.546f, 0},
    {"ratio 40 along v: 20 taps", 0, 180, 4.5f, 0, 0.0f, AreaTaps, 180, 4.5f, 2, 20, 0, 9},
    {"a = c, long axis at 45 degrees", 4, 4, -1, 1, 0.0f, AreaTaps, 5.656854f, 1.414214f, 0, 4, 1, 1},
    {"round: one sample", 3, 0, 0, 3, 0.0f, AreaSingleEdge, 3, 3, 1, 1, 0, 0},
    {"zero vectors: both axes k", 0, 0, 0, 0, 0.3f, AreaSingleEdge, 0.85f, 0.85f, 0, 1, 0, 0},
    {"sharpened below a pixel", 1, 0, 0, 1, 0.6f, AreaSingleEdge, 0.7f, 0.7f, 0, 1, 0, 0},
    {"long but under a pixel", 1.4f, 0, 0, 1, 0.6f, AreaSingleEdge, 0.98f, 0.7f, 0, 1, 0, 0},
};

// A footprint whose level of detail is 0 or below leaves its logarithm to
// whoever reads the hint: read, it is the logarithm the plan would have
// taken, to the bit, and the plan's level and fraction are those of it.
TEST(AreaSampling, HintLevelIsTheMinorAxisLogarithm) {
  PatternImage image;
  ImageRecord* im = image.get();
  const float W = 1000.0f, H = 500.0f;
  for (float size : {0.3f, 0.5f, 0.7f, 0.99f, 1.0f, 1.0001f, 1.01f, 1.5f, 3.0f, 17.0f, 900.0f}) {
    SCOPED_TRACE(size);
    LevelHint hint;
    AreaSamplePlan plan;
    PlanAreaAnisotropic(size / W, 0.0f, 0.0f, size / H, 0.5f, 0.5f, 0, im, 0.0f, &hint, &plan);
    const float want = float(std::log(double(plan.minor)) * 1.442695040888963);
    EXPECT_EQ(FloatBits(HintLevel(&hint)), FloatBits(want));
    const float clamped = want > 0.0f ? std::min(want, float(im->lastLevel)) : 0.0f;
    EXPECT_EQ(plan.level, int32_t(clamped));
    EXPECT_EQ(FloatBits(plan.frac), FloatBits(clamped - float(int32_t(clamped))));
  }
}

TEST(AreaSampling, QualityPlanTable) {
  PatternImage image;
  ImageRecord* im = image.get();
  const float W = 1000.0f, H = 500.0f;
  for (const PlanCase& c : kPlanCases) {
    SCOPED_TRACE(c.name);
    LevelHint hint;
    AreaSamplePlan plan;
    PlanAreaAnisotropic(c.du1 / W, c.dv1 / H, c.du2 / W, c.dv2 / H, 0.5f, 0.5f, 0, im, c.sharpness, &hint, &plan);
    EXPECT_EQ(plan.kind, c.kind);
    // The conic is worked out in single precision: a little of a long axis is lost.
    EXPECT_NEAR(plan.major, c.major, c.major * 2e-3f);
    EXPECT_NEAR(plan.minor, c.minor, c.minor * 1e-4f);
    EXPECT_EQ(plan.level, c.level);
    EXPECT_NEAR(HintLevel(&hint), std::log2(c.minor), 1e-4f);
    if (c.kind != AreaTaps) continue;
    EXPECT_EQ(plan.taps, c.taps);
    EXPECT_NEAR(plan.stepU * W, c.stepU, 0.03f);
    EXPECT_NEAR(plan.stepV * H, c.stepV, 0.03f);
    // The taps are centred on the sample point.
    EXPECT_NEAR((plan.u - 0.5f) * W, -0.5f * float(c.taps - 1) * c.stepU, 0.3f);
    EXPECT_NEAR((plan.v - 0.5f) * H, -0.5f * float(c.taps - 1) * c.stepV, 0.3f);
  }
}

TEST(AreaSampling, QualitySingleSamples) {
  PatternImage image;
  ImageRecord* im = image.get();
  const float W = 1000.0f, H = 500.0f;
  LevelHint hint;
  AreaSamplePlan plan;
  // Ratio 1.25: one sample at the sample point (or, a rounding above, two
  // taps that have not yet parted).
  PlanAreaAnisotropic(5.0f / W, 0.0f, 0.0f, 4.0f / H, 0.25f, 0.75f, 0, im, 0.0f, &hint, &plan);
  if (plan.kind == AreaTaps && plan.taps == 2) {
    EXPECT_LT(std::fabs(plan.stepU * W), 1e-3f);
  } else {
    EXPECT_TRUE(plan.kind == AreaSingleEdge || plan.taps == 1);
  }
  EXPECT_NEAR(plan.u, 0.25f, 1e-6f);
  EXPECT_NEAR(plan.v, 0.75f, 1e-6f);

  // Zero vectors sample once at level 0, as the single trilinear sample does.
  float rgba[4], want[4];
  SampleAreaQuality(0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, im, rgba, 0.3f, &hint);
  SampleTrilinearEdge(im, 0, 0.0f, 0.5f, 0.5f, want);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rgba[k], want[k]);

  // Both neighbours missing: the hint's level, a single sample.
  SetHintLevel(&hint, 2.5f);
  SampleAreaQuality(-1.0f, 0, -1.0f, 0, 0.4f, 0.4f, 0.4f, 0.4f, im, rgba, 0.3f, &hint);
  SampleTrilinearEdge(im, 2, 0.5f, 0.4f, 0.4f, want);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rgba[k], want[k]);
  EXPECT_EQ(HintLevel(&hint), 2.5f);
}

TEST(AreaSampling, TapsRunAlongTheFootprintsMajorAxis) {
  // The footprint's Jacobian J = [du1 du2; dv1 dv2] (level-0 pixels) maps the
  // unit circle onto the ellipse; its largest singular value is the major
  // half axis and the matching left singular vector its direction.
  PatternImage image;
  ImageRecord* im = image.get();
  im->sampleEdgeMode = EdgeWrapBothAlt;  // footprints left as they are
  const double W = 1000.0, H = 500.0;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> component(-30.0, 30.0);
  int32_t checked = 0;
  auto check = [&](double du1, double dv1, double du2, double dv2) {
    const double A = du1 * du1 + du2 * du2, C = dv1 * dv1 + dv2 * dv2, X = du1 * dv1 + du2 * dv2;
    if (A < 2.0 || C < 2.0) return;
    const double mean = (A + C) / 2, spread = std::sqrt((A - C) * (A - C) / 4 + X * X);
    const double sigma1 = std::sqrt(mean + spread), sigma2 = std::sqrt(mean - spread);
    if (sigma2 < 1.0 || sigma1 / sigma2 < 1.6) return;
    // Eigenvector of J J^T for the larger eigenvalue.
    double ex = X, ey = (mean + spread) - A;
    if (std::fabs(ex) + std::fabs(ey) < 1e-9) ex = 1, ey = 0;
    const double norm = std::hypot(ex, ey);
    ex /= norm, ey /= norm;
    LevelHint hint;
    AreaSamplePlan plan;
    PlanAreaAnisotropic(float(du1 / W), float(dv1 / H), float(du2 / W), float(dv2 / H), 0.5f, 0.5f, 0, im, 0.0f,
                        &hint, &plan);
    ASSERT_EQ(plan.kind, AreaTaps);
    const double sx = double(plan.stepU) * W, sy = double(plan.stepV) * H;
    const double length = std::hypot(sx, sy);
    EXPECT_NEAR(std::fabs(sx * ex + sy * ey) / length, 1.0, 1e-4)
        << du1 << " " << dv1 << " " << du2 << " " << dv2;
    // Single precision loses a little of the long axis to cancellation.
    EXPECT_NEAR(length * plan.taps, sigma1, sigma1 * 2e-3);
    EXPECT_NEAR(plan.major, sigma1, sigma1 * 2e-3);
    EXPECT_NEAR(plan.minor, sigma2, sigma2 * 1e-4);
    EXPECT_NEAR(HintLevel(&hint), std::log2(sigma2), 1e-4);
    ++checked;
  };
  for (int32_t i = 0; i < 400; ++i) check(component(random), component(random), component(random), component(random));
  // a = c with b not 0: the axes lie at 45 degrees; (4, 4) is the long one.
  check(4, 4, -1, 1);
  check(4, -4, 1, 1);
  check(-6, 6, 2, 2);
  EXPECT_GT(checked, 100);
}

// The plan's taps sampled one by one with the trilinear edge sampler and
// summed in tap order, as the area sampler's definition reads.
void SumTapsOneByOne(const ImageRecord* im, const AreaSamplePlan& plan, float sum[4]) {
  for (int k = 0; k < 4; ++k) sum[k] = 0.0f;
  float tu = plan.u, tv = plan.v;
  for (int32_t t = 0; t < plan.taps; ++t) {
    float tap[4];
    SampleTrilinearEdge(im, plan.level, plan.frac, tu, tv, tap);
    for (int k = 0; k < 4; ++k) sum[k] += tap[k];
    tu += plan.stepU, tv += plan.stepV;
  }
}

TEST(AreaSampling, TapsAverageTrilinearSamples) {
  PatternImage image;
  ImageRecord* im = image.get();
  LevelHint hint;
  float rgba[4];
  const float u = 0.37f, v = 0.41f;
  SampleAreaQuality(u - 24.0f / 1000, v, u, v - 2.0f / 500, u, v, u, v, im, rgba, 0.0f, &hint);
  AreaSamplePlan plan;
  PlanAreaAnisotropic(24.0f / 1000, 0.0f, 0.0f, 2.0f / 500, u, v, 0, im, 0.0f, &hint, &plan);
  ASSERT_EQ(plan.kind, AreaTaps);
  float sum[4];
  SumTapsOneByOne(im, plan, sum);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rgba[k], sum[k] * (1.0f / float(plan.taps)));
}

// The taps of a footprint give the bits of the tap-by-tap trilinear samples
// in every RGBA mode, wherever they fall: one level or two blended, across
// the image's left and bottom edges (read through the wrapping fetch), on a
// tile seam, faded toward the top level or skipped outside.
TEST(AreaSampling, TapsMatchTapByTapSamplesInEveryMode) {
  struct Case {
    float du1, dv1, du2, dv2;  // in level-0 pixels
    float u, v;
    int32_t edge;
  };
  const Case cases[] = {
      {24, 0, 0, 2, 0.37f, 0.41f, EdgeClamp},     // level 0 alone
      {60, 0, 0, 5, 0.5f, 0.5f, EdgeClamp},       // two levels blended
      {40, 3, 2, 6, 0.01f, 0.3f, EdgeWrapU},      // across the left edge
      {30, 0, 0, 4, 0.995f, 0.97f, EdgeWrapBoth}, // across the right and bottom edges
      {30, 30, -3, 3, 0.512f, 0.5f, EdgeSkip},    // along the tile seam at x = 512
      {90, 0, 0, 12, 0.02f, 0.6f, EdgeSkip},      // some taps outside, skipped
      {200, 10, 0, 20, 0.04f, 0.2f, EdgeFade},    // a high level, faded outside
  };
  for (const int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    PatternImage image(mode);
    ImageRecord* im = image.get();
    im->fetchEdgeMode = FetchWrapX;
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " at " << c.u << ", " << c.v);
      im->sampleEdgeMode = c.edge;
      const float du1 = c.du1 / 1000, dv1 = c.dv1 / 500, du2 = c.du2 / 1000, dv2 = c.dv2 / 500;
      LevelHint hint;
      AreaSamplePlan plan;
      PlanAreaAnisotropic(du1, dv1, du2, dv2, c.u, c.v, 0, im, 0.0f, &hint, &plan);
      ASSERT_EQ(plan.kind, AreaTaps);
      float sum[4];
      SumTapsOneByOne(im, plan, sum);
      float rgba[4];
      LevelHint sampleHint;
      SampleAreaAnisotropic(du1, dv1, du2, dv2, c.u, c.v, 0, im, rgba, 0.0f, &sampleHint);
      for (int k = 0; k < 4; ++k) EXPECT_EQ(rgba[k], sum[k] * (1.0f / float(plan.taps))) << k;
    }
  }
}

TEST(AreaSampling, EdgeModesInTheQualityPath) {
  PatternImage image;
  ImageRecord* im = image.get();
  LevelHint hint;
  float rgba[4];
  // EdgeSkip: a single sample outside is transparent black.
  im->sampleEdgeMode = EdgeSkip;
  SampleAreaQuality(1.1f, 0.5f, 1.1f, 0.5f, 1.1f, 0.5f, 1.1f, 0.5f, im, rgba, 0.3f, &hint);
  EXPECT_EQ(rgba[0] + rgba[1] + rgba[2] + rgba[3], 0.0f);
  // EdgeWrapU: a footprint straddling the seam stays small (level 0), under
  // EdgeClamp it crosses the edge and is sampled without the edge mode.
  im->sampleEdgeMode = EdgeWrapU;
  AreaSamplePlan plan;
  PlanAreaAnisotropic(0.999f - 0.001f, 0.0f, 0.0f, 0.002f, 0.999f, 0.5f, 0, im, 0.0f, &hint, &plan);
  EXPECT_NE(plan.kind, AreaSingleNoEdge);
  EXPECT_EQ(plan.level, 0);
  im->sampleEdgeMode = EdgeClamp;
  PlanAreaAnisotropic(0.999f - 0.001f, 0.0f, 0.0f, 0.002f, 0.999f, 0.5f, 0, im, 0.0f, &hint, &plan);
  EXPECT_EQ(plan.kind, AreaSingleNoEdge);
}

TEST(AreaSampling, TrilinearBlendsTwoLevelsAndClampsTheTop) {
  PatternImage image(PixelRgba16, 300, 200);
  ImageRecord* im = image.get();
  float s0[4], s1[4], mix[4];
  SampleTrilinearScaled(im, 1, 0.0f, 0.3f, 0.3f, s0);
  SampleTrilinearScaled(im, 2, 0.0f, 0.3f, 0.3f, s1);
  SampleTrilinearScaled(im, 1, 0.25f, 0.3f, 0.3f, mix);
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(mix[k], s0[k] + (s1[k] - s0[k]) * 0.25f, 1e-6f);
  // A level equal to lastLevel samples lastLevel - 1.
  float top[4], belowTop[4];
  SampleTrilinearScaled(im, im->lastLevel, 0.0f, 0.5f, 0.5f, top);
  SampleTrilinearScaled(im, im->lastLevel - 1, 0.0f, 0.5f, 0.5f, belowTop);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(top[k], belowTop[k]);
  // A one-level record samples level 0 alone.
  ScopedImage single;
  InitImageRecord(single.get(), nullptr, Lanczos());
  ASSERT_TRUE(CreateImage(single.get(), 1, 1, PixelRgba8, 0));
  single->lastLevel = 0;
  PutPixelRgba(0, 0, single.get(), 0, 255, 0, 0, 255);
  SampleTrilinearScaled(single.get(), 0, 0.5f, 0.5f, 0.5f, top);
  EXPECT_EQ(top[0], 1.0f);
}

TEST(AreaSampling, WildInputsNeverLeaveTheRecord) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float wild[] = {nan, inf, -inf, 1e30f, -1e30f, -1.0f, 0.5f, 3.0f};
  for (int32_t mode : {PixelRgba8, PixelRgbaFloat}) {
    PatternImage image(mode, 40, 30);
    for (int32_t edge : {EdgeSkip, EdgeFade, EdgeClamp, EdgeWrapU, EdgeWrapBoth, EdgePoleFlip}) {
      image.get()->sampleEdgeMode = edge;
      for (float a : wild) {
        for (float b : wild) {
          LevelHint hint;
          hint.level = a;
          float rgba[5][4];
          SampleAreaQuality(a, b, 0.5f, b, 0.5f, 0.5f, a, b, image.get(), rgba[0], 0.3f, &hint);
          SampleAreaQuality(0.5f, 0.5f, 0.5f, 0.5f, 0.5f + a, 0.5f + b, 0.5f, 0.5f, image.get(), rgba[1], 0.3f,
                            &hint);
          SampleAreaFast(a, b, 0.5f, b, 0.5f, 0.5f, a, b, image.get(), rgba[2], 0.3f, &hint);
          SampleAreaQuality(-1.0f, 0, -1.0f, 0, a, b, a, b, image.get(), rgba[3], 0.3f, &hint);
          SampleAreaFast(-1.0f, 0, -1.0f, 0, a, b, a, b, image.get(), rgba[4], 0.3f, &hint);
          // Whatever the positions, a colour of the picture comes back: each
          // channel finite and within the pattern's range (the kernel's
          // overshoot at the pattern's steps aside).
          for (int32_t call = 0; call < 5; ++call) {
            for (int32_t k = 0; k < 4; ++k) {
              const float value = rgba[call][k];
              ASSERT_TRUE(std::isfinite(value)) << "mode " << mode << " edge " << edge << " call " << call
                                                << " at " << a << ", " << b;
              EXPECT_GE(value, -0.1f) << "mode " << mode << " edge " << edge << " call " << call;
              EXPECT_LE(value, 1.1f) << "mode " << mode << " edge " << edge << " call " << call;
            }
          }
        }
      }
    }
  }
}

}  // namespace
