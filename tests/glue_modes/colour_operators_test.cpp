// The hue-saturation-lightness operators, the quotient blend and the
// lightness weight of the colour glue modes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/glue_colour.h"

namespace {

struct Rgb {
  float r, g, b;
};
struct Hsl {
  float h, s, l;
};

TEST(RgbToHsl, KnownColours) {
  const struct {
    Rgb in;
    Hsl want;
  } cases[] = {
      {{0, 0, 0}, {0, 0, 0}},
      {{1, 1, 1}, {0, 0, 1}},
      {{1, 0, 0}, {1, 1, 0.5f}},  // red reads as hue 1, not 0
      {{0, 0, 1}, {4.0f / 6.0f, 1, 0.5f}},
      {{0, 1, 0}, {2.0f / 6.0f, 1, 0.5f}},
      {{1, 1, 0}, {1.0f / 6.0f, 1, 0.5f}},
      {{0, 1, 1}, {3.0f / 6.0f, 1, 0.5f}},
      {{1, 0, 1}, {5.0f / 6.0f, 1, 0.5f}},
      {{1, 0.5f, 0}, {1.0f / 12.0f, 1, 0.5f}},
      {{0.5f, 0.25f, 0.25f}, {1, 1.0f / 3.0f, 0.375f}},
      {{0.25f, 0.25f, 0.25f}, {0, 0, 0.25f}},
  };
  for (const auto& c : cases) {
    Hsl got;
    RgbToHsl(c.in.r, c.in.g, c.in.b, &got.h, &got.s, &got.l);
    EXPECT_NEAR(got.h, c.want.h, 1e-6f) << c.in.r << " " << c.in.g << " " << c.in.b;
    EXPECT_NEAR(got.s, c.want.s, 1e-6f) << c.in.r << " " << c.in.g << " " << c.in.b;
    EXPECT_NEAR(got.l, c.want.l, 1e-6f) << c.in.r << " " << c.in.g << " " << c.in.b;
  }
}

TEST(HslToRgb, SextantSixWrapsToRed) {
  Rgb got;
  HslToRgb(1.0f, 1.0f, 0.5f, &got.r, &got.g, &got.b);
  EXPECT_FLOAT_EQ(got.r, 1.0f);
  EXPECT_FLOAT_EQ(got.g, 0.0f);
  EXPECT_FLOAT_EQ(got.b, 0.0f);
}

// Back and forth over a lattice of colours gives the colour again.
TEST(HslToRgb, InvertsRgbToHsl) {
  for (int32_t r = 0; r <= 16; ++r) {
    for (int32_t g = 0; g <= 16; ++g) {
      for (int32_t b = 0; b <= 16; ++b) {
        const Rgb in{r / 16.0f, g / 16.0f, b / 16.0f};
        Hsl hsl;
        RgbToHsl(in.r, in.g, in.b, &hsl.h, &hsl.s, &hsl.l);
        Rgb out;
        HslToRgb(hsl.h, hsl.s, hsl.l, &out.r, &out.g, &out.b);
        ASSERT_NEAR(out.r, in.r, 2e-6f) << r << " " << g << " " << b;
        ASSERT_NEAR(out.g, in.g, 2e-6f) << r << " " << g << " " << b;
        ASSERT_NEAR(out.b, in.b, 2e-6f) << r << " " << g << " " << b;
      }
    }
  }
}

// A hue outside 0..1 (or NaN, from a degenerate colour upstream) still picks
// one of the six sextants and gives a colour inside the unit cube.
TEST(HslToRgb, HueOutsideTheCircleGivesAColour) {
  const float hues[] = {std::numeric_limits<float>::quiet_NaN(), -0.5f, 7.0f,
                        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
  for (float h : hues) {
    Rgb got;
    HslToRgb(h, 1.0f, 0.5f, &got.r, &got.g, &got.b);
    for (float v : {got.r, got.g, got.b}) {
      EXPECT_GE(v, 0.0f) << h;
      EXPECT_LE(v, 1.0f) << h;
    }
    EXPECT_FALSE(std::isnan(HueLuminance(h, 1.0f))) << h;
  }
}

TEST(HueLuminance, GreyIsHalfAndPureRedIsItsWeight) {
  for (int32_t i = 0; i <= 60; ++i) EXPECT_FLOAT_EQ(HueLuminance(i / 60.0f, 0.0f), 0.5f) << i;
  EXPECT_FLOAT_EQ(HueLuminance(0.0f, 1.0f), 0.28f);
  EXPECT_FLOAT_EQ(HueLuminance(1.0f, 1.0f), 0.28f);
  EXPECT_FLOAT_EQ(HueLuminance(1.0f / 3.0f, 1.0f), 0.52f);
  EXPECT_FLOAT_EQ(HueLuminance(2.0f / 3.0f, 1.0f), 0.2f);
}

TEST(RgbToHslLum, PureRedIsItsLuminanceAndGreysKeepTheirLightness) {
  Hsl got;
  RgbToHslLum(1, 0, 0, &got.h, &got.s, &got.l);
  EXPECT_FLOAT_EQ(got.l, 0.28f);
  for (int32_t i = 0; i <= 20; ++i) {
    const float v = i / 20.0f;
    RgbToHslLum(v, v, v, &got.h, &got.s, &got.l);
    EXPECT_FLOAT_EQ(got.l, v) << v;
  }
  Rgb back;
  for (float h : {0.0f, 1.0f}) {
    HslToRgbLum(h, 1.0f, 0.28f, &back.r, &back.g, &back.b);
    EXPECT_FLOAT_EQ(back.r, 1.0f);
    EXPECT_FLOAT_EQ(back.g, 0.0f);
    EXPECT_FLOAT_EQ(back.b, 0.0f);
  }
}

TEST(HslToRgbLum, InvertsRgbToHslLum) {
  for (int32_t r = 0; r <= 8; ++r) {
    for (int32_t g = 0; g <= 8; ++g) {
      for (int32_t b = 0; b <= 8; ++b) {
        const Rgb in{r / 8.0f, g / 8.0f, b / 8.0f};
        Hsl hsl;
        RgbToHslLum(in.r, in.g, in.b, &hsl.h, &hsl.s, &hsl.l);
        Rgb out;
        HslToRgbLum(hsl.h, hsl.s, hsl.l, &out.r, &out.g, &out.b);
        ASSERT_NEAR(out.r, in.r, 1e-5f) << r << " " << g << " " << b;
        ASSERT_NEAR(out.g, in.g, 1e-5f) << r << " " << g << " " << b;
        ASSERT_NEAR(out.b, in.b, 1e-5f) << r << " " << g << " " << b;
      }
    }
  }
}

TEST(HslToRgbLum, LightnessBeyondTheEndsIsBlackOrWhite) {
  Rgb got;
  HslToRgbLum(0.3f, 0.7f, 1.5f, &got.r, &got.g, &got.b);
  EXPECT_FLOAT_EQ(got.r + got.g + got.b, 3.0f);
  HslToRgbLum(0.3f, 0.7f, -0.5f, &got.r, &got.g, &got.b);
  EXPECT_FLOAT_EQ(got.r + got.g + got.b, 0.0f);
  HslToRgbLum(0.3f, 0.7f, std::numeric_limits<float>::quiet_NaN(), &got.r, &got.g, &got.b);
  EXPECT_FLOAT_EQ(got.r + got.g + got.b, 0.0f);
}

TEST(QuotientBlend, Examples) {
  const struct {
    float a, b, want;
  } cases[] = {
      {0, 0, 1}, {0.5f, 1, 0.25f}, {1, 0.5f, 0.75f}, {1, 1, 0.5f}, {0, 0.5f, 0}, {0.5f, 0, 1},
  };
  for (const auto& c : cases) EXPECT_FLOAT_EQ(QuotientBlend(c.a, c.b), c.want) << c.a << " " << c.b;
}

TEST(LightnessWeight, Examples) {
  const struct {
    float l, want;
  } cases[] = {{0, 0}, {1, 0}, {0.5f, 1}, {0.25f, 0.9375f}, {0.75f, 0.9375f}};
  for (const auto& c : cases) EXPECT_FLOAT_EQ(LightnessWeight(c.l), c.want) << c.l;
}

TEST(ColourToChannel, TruncatesAndHoldsNonNumbersInRange) {
  EXPECT_EQ(ColourToChannel(0.5f, 255), 127);
  EXPECT_EQ(ColourToChannel(0.5f, 32768), 16384);
  EXPECT_EQ(ColourToChannel(1.0f, 255), 255);
  EXPECT_EQ(ColourToChannel(1.5f, 32768), 32768);
  EXPECT_EQ(ColourToChannel(-0.25f, 255), 0);
  EXPECT_EQ(ColourToChannel(std::numeric_limits<float>::quiet_NaN(), 255), 0);
  EXPECT_EQ(ColourToChannel(std::numeric_limits<float>::infinity(), 32768), 32768);
}

}  // namespace
