#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "image/sample_edge.h"
#include "image_test_util.h"

namespace {

struct WrapCase {
  int32_t mode;
  float u, v;
  int32_t skip;
  float wantU, wantV;
};

// u and v at 0, 1, -1 and 1.25 under every mode; inside points stay.
const WrapCase kWrapCases[] = {
    // inside: u = 1 is inside, v = 0 is inside
    {EdgeSkip, 1.0f, 0.5f, 0, 1.0f, 0.5f},
    {EdgeClamp, 1.0f, 0.5f, 0, 1.0f, 0.5f},
    {EdgeWrapU, 1.0f, 0.5f, 0, 1.0f, 0.5f},
    {EdgeWrapBoth, 1.0f, 0.5f, 0, 1.0f, 0.5f},
    {EdgePoleFlip, 1.0f, 0.5f, 0, 1.0f, 0.5f},
    {EdgeWrapBoth, 0.0f, 0.0f, 0, 0.0f, 0.0f},
    // v = 1 is outside
    {EdgeWrapBoth, 0.5f, 1.0f, 0, 0.5f, 0.0f},
    {EdgeWrapBothAlt, 0.5f, 1.0f, 0, 0.5f, 0.0f},
    {EdgeClamp, 0.5f, 1.0f, 0, 0.5f, 1.0f},
    {EdgeWrapU, 0.5f, 1.0f, 0, 0.5f, 1.0f},
    {EdgeSkip, 0.5f, 1.0f, 1, 0.5f, 1.0f},
    {EdgePoleFlip, 0.1f, 1.0f, 0, 0.4f, 1.0f},
    // u = -1 and 1.25
    {EdgeWrapBoth, -1.0f, 0.5f, 0, 1.0f, 0.5f},
    {EdgeWrapBoth, 1.25f, 0.5f, 0, 0.25f, 0.5f},
    {EdgeWrapU, -1.0f, 0.5f, 0, 1.0f, 0.5f},
    {EdgeWrapU, 1.25f, -1.0f, 0, 0.25f, 0.0f},
    {EdgeWrapU, -0.25f, 1.25f, 0, 0.75f, 1.0f},
    {EdgeClamp, -1.0f, 1.25f, 0, 0.0f, 1.0f},
    {EdgeClamp, 1.25f, -1.0f, 0, 1.0f, 0.0f},
    {EdgeSkip, -1.0f, 0.5f, 1, -1.0f, 0.5f},
    {EdgeSkip, 1.25f, 0.5f, 1, 1.25f, 0.5f},
    {EdgeSkip, -0.01f, 0.5f, 1, -0.01f, 0.5f},
    {EdgeSkip, 0.01f, 0.99f, 0, 0.01f, 0.99f},
    {EdgeWrapBoth, 0.5f, -1.0f, 0, 0.5f, 1.0f},
    {EdgeWrapBoth, 0.5f, 1.25f, 0, 0.5f, 0.25f},
    // the pole flip: odd periods mirror u about 0.25 (u -> 0.5 - u) before wrapping
    {EdgePoleFlip, 0.1f, 1.25f, 0, 0.4f, 0.75f},
    {EdgePoleFlip, 0.1f, -0.25f, 0, 0.4f, 0.25f},
    {EdgePoleFlip, 0.1f, -1.0f, 0, 0.1f, 1.0f},   // n = -2, even: no flip; v wraps to 1
    {EdgePoleFlip, 0.9f, 1.25f, 0, 0.6f, 0.75f},  // 0.5 - 0.9 = -0.4 wraps to 0.6
    {EdgePoleFlip, 1.25f, 2.5f, 0, 0.25f, 0.5f},  // even period: only u wraps
    {EdgePoleFlip, -1.0f, 0.5f, 0, 1.0f, 0.5f},  // even period in v: no flip, u wraps
    // unknown modes leave the point
    {0, -1.0f, 1.25f, 0, -1.0f, 1.25f},
    {8, 1.25f, -1.0f, 0, 1.25f, -1.0f},
};

TEST(SampleEdge, WrapSampleCoordsTable) {
  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 64, 32, PixelRgba8, 0));
  for (const WrapCase& c : kWrapCases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " u " << c.u << " v " << c.v);
    float u = c.u, v = c.v, level = 2.0f;
    const int32_t skip = WrapSampleCoords(&u, &v, &level, c.mode, image.get());
    EXPECT_EQ(skip, c.skip);
    EXPECT_FLOAT_EQ(u, c.wantU);
    EXPECT_FLOAT_EQ(v, c.wantV);
    if (c.mode != EdgeFade) {
      EXPECT_EQ(level, 2.0f);
    }
  }
}

TEST(SampleEdge, PoleFlipWorksInDoublePrecision) {
  float u = 0.1f, v = 1.25f, level = 0;
  WrapSampleCoords(&u, &v, &level, EdgePoleFlip, nullptr);
  EXPECT_EQ(u, float(0.5 - double(0.1f)));
  EXPECT_EQ(v, float(1.0 - double(1.25f - 1.0f)));
}

TEST(SampleEdge, FadeMovesTheLevelTowardTheLast) {
  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 1000, 500, PixelRgba8, 0));
  ASSERT_EQ(image->lastLevel, 10);
  struct FadeCase {
    float u, v, level, wantU, wantV, wantLevel;
  };
  const FadeCase cases[] = {
      {1.3f, 0.5f, 0.0f, 1.0f, 0.5f, 3.0f},
      {4.0f, 0.5f, 0.0f, 1.0f, 0.5f, 10.0f},   // the distance is capped at 1
      {-0.5f, 1.2f, 2.0f, 0.0f, 1.0f, 6.0f},   // the larger of the two distances
      {0.5f, 1.0f, 4.0f, 0.5f, 1.0f, 4.0f},    // v = 1 is outside but no distance
      {0.5f, -0.1f, 10.0f, 0.5f, 0.0f, 10.0f},
  };
  for (const FadeCase& c : cases) {
    float u = c.u, v = c.v, level = c.level;
    EXPECT_EQ(WrapSampleCoords(&u, &v, &level, EdgeFade, image.get()), 0);
    EXPECT_EQ(u, c.wantU);
    EXPECT_EQ(v, c.wantV);
    EXPECT_NEAR(level, c.wantLevel, 1e-5f) << c.u << "," << c.v;
  }
}

TEST(SampleEdge, NonFiniteCoordinatesStayFinite) {
  // Huge coordinates wrap to 0 (a whole number), infinities and NaN are left
  // to the samplers, which never index with them.
  for (int32_t mode : {EdgeWrapU, EdgeWrapBoth, EdgePoleFlip}) {
    float u = 3e9f, v = 0.5f, level = 0;
    WrapSampleCoords(&u, &v, &level, mode, nullptr);
    EXPECT_GE(u, 0.0f);
    EXPECT_LE(u, 1.0f);
  }
  float u = -std::numeric_limits<float>::infinity(), v = 0.5f, level = 0;
  WrapSampleCoords(&u, &v, &level, EdgeClamp, nullptr);
  EXPECT_EQ(u, 0.0f);
}

struct FootprintCase {
  int32_t mode;
  float du1, dv1, du2, dv2;
  float wantDu1, wantDv1, wantDu2, wantDv2;  // normalised, before the scaling to pixels
  uint8_t crosses;
};

const FootprintCase kFootprintCases[] = {
    {EdgeWrapU, 0.9f, 0.6f, 0.1f, 0.1f, -0.1f, 0.6f, 0.1f, 0.1f, 1},
    {EdgeWrapBoth, 0.9f, 0.6f, 0.1f, 0.1f, -0.1f, -0.4f, 0.1f, 0.1f, 0},
    {EdgeClamp, 0.9f, 0.6f, 0.1f, 0.1f, 0.9f, 0.6f, 0.1f, 0.1f, 1},
    {EdgeSkip, 0.1f, 0.1f, -0.6f, 0.1f, 0.1f, 0.1f, -0.6f, 0.1f, 1},
    {EdgeFade, 0.1f, 0.1f, 0.1f, 0.5f, 0.1f, 0.1f, 0.1f, 0.5f, 0},  // 0.5 itself does not exceed
    {EdgePoleFlip, -0.998f, 0.2f, 0.7f, -0.2f, 0.002f, 0.2f, -0.3f, -0.2f, 0},
    {EdgePoleFlip, 0.1f, -0.7f, 0.1f, 0.1f, 0.1f, -0.7f, 0.1f, 0.1f, 1},
    {EdgeWrapBothAlt, 0.9f, 0.9f, -0.9f, -0.9f, 0.9f, 0.9f, -0.9f, -0.9f, 0},
    {0, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0},
    {9, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0},
};

TEST(SampleEdge, AdjustFootprintTable) {
  for (const FootprintCase& c : kFootprintCases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " du1 " << c.du1);
    SampleFootprint f;
    f.scale = 1.0f;
    f.pixelWidth = 1000.0f;
    f.pixelHeight = 500.0f;
    f.edgeMode = c.mode;
    f.du1 = c.du1, f.dv1 = c.dv1, f.du2 = c.du2, f.dv2 = c.dv2;
    f.crossesEdge = 7;
    AdjustFootprint(&f);
    EXPECT_EQ(f.crossesEdge, c.crosses);
    EXPECT_NEAR(f.du1, c.wantDu1 * 1000.0f, 1e-3f);
    EXPECT_NEAR(f.dv1, c.wantDv1 * 500.0f, 1e-3f);
    EXPECT_NEAR(f.du2, c.wantDu2 * 1000.0f, 1e-3f);
    EXPECT_NEAR(f.dv2, c.wantDv2 * 500.0f, 1e-3f);
  }
}

TEST(SampleEdge, AdjustFootprintScalesAndWrapsInDouble) {
  SampleFootprint f;
  f.scale = 2.0f;
  f.pixelWidth = 4096.0f;
  f.pixelHeight = 2048.0f;
  f.edgeMode = EdgeWrapU;
  f.du1 = 0.998f;  // a footprint straddling the left and right edges stays small
  f.dv1 = 0.25f;
  AdjustFootprint(&f);
  EXPECT_EQ(f.du1, 4096.0f * float(double(0.998f) - 1.0) * 2.0f);
  EXPECT_EQ(f.dv1, 2048.0f * 0.25f * 2.0f);
  EXPECT_EQ(f.crossesEdge, 0);
}

TEST(SampleEdge, ChannelConversions) {
  const std::pair<float, int32_t> toByte[] = {{0.5f, 127}, {-0.1f, 0},   {1.5f, 255},
                                              {1.0f, 255}, {0.0f, 0},    {std::nanf(""), 0},
                                              {1e30f, 255}, {-1e30f, 0}, {0.999f, 254}};
  for (const auto& [value, want] : toByte) EXPECT_EQ(FloatToByte(value), want) << value;
  const std::pair<float, int32_t> sqrtToByte[] = {{0.25f, 127}, {-3.0f, 0},  {4.0f, 255},        {1.0f, 255},
                                                  {0.0f, 0},    {1e9f, 255}, {std::nanf(""), 0}, {0.01f, 25}};
  for (const auto& [value, want] : sqrtToByte) EXPECT_EQ(SqrtToByte(value), want) << value;
  const std::pair<float, int32_t> exponent[] = {{0.75f, -1}, {8.0f, 3},   {1.0f, 0},
                                                {0.0f, -127}, {-8.0f, 3}, {std::numeric_limits<float>::infinity(), 128}};
  for (const auto& [value, want] : exponent) EXPECT_EQ(GetFloatExponent(value), want) << value;
}

}  // namespace
