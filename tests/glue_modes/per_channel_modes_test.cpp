// Per-channel glue modes: worked examples at both depths and agreement with
// the commonly published blend formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "glue_test_util.h"

namespace {

struct ChannelCase {
  int32_t glue, depth, n, o, want;
};

// Each case blends a grey rendered pixel over a grey underlying one, so every
// channel must give the same result.
void ExpectChannelCases(const ChannelCase* cases, size_t count, bool stored) {
  for (size_t i = 0; i < count; ++i) {
    const ChannelCase& c = cases[i];
    const Pixel got = stored ? Blend(c.glue, c.depth, Grey(c.n), Grey(c.o))
                             : ApplyRaw(c.glue, c.depth, Grey(c.n), Grey(c.o));
    for (int32_t ch = 0; ch < 3; ++ch) {
      EXPECT_EQ(got.c[ch], c.want) << "glue " << c.glue << " depth " << c.depth << " n " << c.n
                                   << " o " << c.o;
    }
  }
}

TEST(PerChannelGlue, WorkedExamples) {
  const ChannelCase cases[] = {
      {9, 8, 255, 255, 254},          // multiply
      {10, 8, 0, 255, 254},           // screen
      {2, 8, 200, 128, (255 * 200) >> 8},  // procedural +, weight 255 at o = 128
      {2, 8, 37, 128, (255 * 37) >> 8},
      {2, 8, 200, 0, 0},
      {2, 16, 20000, 16384, (20000 + 16384) / 2},  // moves halfway at most
      {52, 8, 128, 127, 0},           // hard mix
      {52, 8, 128, 128, 255},
      {52, 16, 16384, 16384, 0},
      {52, 16, 16384, 16385, 32768},
      {30, 8, 255, 1, 255},           // dodge
      {30, 8, 255, 200, 255},
      {30, 8, 255, 0, 0},
      {30, 16, 32768, 0, 32768},
      {30, 16, 32768, 12345, 32768},
      {31, 8, 0, 255, 255},           // burn
      {31, 8, 0, 254, 0},
      {31, 8, 0, 0, 0},
      {20, 8, 0, 0, 0},               // vivid a: raw -65025 clamped
      {20, 16, 16384, 12800, 12850},  // at 8-bit precision: 100 -> (100 << 7) | 50
      {20, 16, 32768, 12800, 32768},
      {33, 8, 255, 128, 191},         // king
      {33, 16, 32768, 16384, 24576},
      {25, 8, 0, 255, 251},           // cross: 255 - |256 - 252|
      {17, 8, 127, 10, 8},            // linear light subtracts 256 below the middle
      {17, 8, 128, 10, 11},           // and 255 above it
      {27, 16, 32768, 0, 128},        // soft light upper half at 8-bit precision
      {38, 8, 0xA5, 0x5A, 0xFF},      // xor
      {36, 16, 0x5555, 0x3333, 0x1111},
      {4, 8, 0, 255, 254},            // difference
      {14, 8, 0, 255, 255},           // exclusion differs from difference at 8 bits
      {39, 16, 32768, 32768, 32768},  // multibright
      {62, 16, 0, 0, 0},              // screendim
      {62, 16, 32768, 0, 32768},
  };
  ExpectChannelCases(cases, std::size(cases), false);
}

// Formulas that reach past full scale at 16 bits give their raw value, and the
// value stored is clamped to full scale.
TEST(PerChannelGlue, SixteenBitResultsBeyondFullScaleAreClampedWhenStored) {
  const ChannelCase raw[] = {
      {38, 16, 32768, 32767, 65535},  // xor
      {37, 16, 32768, 32767, 65535},  // or
      {27, 16, 16384, 32768, 32896},  // soft light: c = 255 - 256 = -1
  };
  ExpectChannelCases(raw, std::size(raw), false);
  const ChannelCase stored[] = {
      {38, 16, 32768, 32767, 32768},
      {37, 16, 32768, 32767, 32768},
      {27, 16, 16384, 32768, 32768},
  };
  ExpectChannelCases(stored, std::size(stored), true);
}

TEST(PerChannelGlue, DifferenceAndExclusionAreOneFormulaAtSixteenBits) {
  for (int32_t n = 0; n <= 32768; n += 129) {
    for (int32_t o = 0; o <= 32768; o += 131) {
      ASSERT_EQ(GlueChannel16(4, n, o), GlueChannel16(14, n, o)) << n << " " << o;
    }
  }
}

TEST(PerChannelGlue, BrightAndDimCompareLuminanceInStepsOf256) {
  const Pixel lum255 = {{1, 1, 1}};     // 77 + 150 + 28
  const Pixel lum280 = {{0, 0, 10}};    // step 1
  const Pixel lum511 = {{3, 0, 10}};    // 231 + 280, still step 1
  const Pixel lum496 = {{0, 2, 7}};     // 300 + 196, step 1 as well
  ASSERT_EQ(GlueLum(lum255.c), 255);
  ASSERT_EQ(GlueLum(lum280.c), 280);
  ASSERT_EQ(GlueLum(lum511.c), 511);
  ASSERT_EQ(GlueLum(lum496.c), 496);
  const Pixel brighter = {{2, 1, 1}};  // 304
  struct Case {
    int32_t glue;
    Pixel n, o, want;
  } cases[] = {
      {28, lum255, lum280, lum280},  // bright: o lies a step higher
      {28, lum280, lum511, lum280},  // same step: keep n
      {28, lum511, lum255, lum511},
      {29, lum280, lum255, lum255},  // dim: o lies a step lower
      {29, lum255, lum280, lum255},
      {29, brighter, lum496, brighter},
  };
  for (const auto& c : cases) {
    for (int32_t depth : {8, 16}) {
      const Pixel got = ApplyRaw(c.glue, depth, c.n, c.o);
      for (int32_t ch = 0; ch < 3; ++ch) EXPECT_EQ(got.c[ch], c.want.c[ch]) << c.glue << " " << depth;
    }
  }
}

TEST(PerChannelGlue, NormalAndValuesOutsideTheModesLeaveTheRenderedPixel) {
  const Pixel n = {{10, 200, 90}}, o = {{250, 3, 77}};
  for (int32_t glue : {-5, 0, 1, 63, 1000}) {
    for (int32_t depth : {8, 16}) {
      const Pixel got = Blend(glue, depth, n, o);
      for (int32_t ch = 0; ch < 3; ++ch) EXPECT_EQ(got.c[ch], n.c[ch]) << glue;
    }
  }
}

// A document sample beyond the 16-bit kind's range (the buffer holds 16 bits)
// is held at full scale before the formulas multiply with it.
TEST(PerChannelGlue, UnderlyingSamplesAreHeldInRange) {
  for (int32_t glue = 2; glue <= kGlueModeCount; ++glue) {
    const Pixel over = Blend(glue, 16, Grey(20000), Grey(65535));
    const Pixel full = Blend(glue, 16, Grey(20000), Grey(32768));
    for (int32_t ch = 0; ch < 3; ++ch) EXPECT_EQ(over.c[ch], full.c[ch]) << glue;
  }
}

// ---- agreement with the published formulas ---------------------------------
// cb is the underlying (backdrop) value o / M, cs the rendered (source) value
// n / M.

double Screen(double cb, double cs) { return cb + cs - cb * cs; }
double ColourBurn(double cb, double cs) {
  if (cb >= 1.0) return 1.0;
  if (cs <= 0.0) return 0.0;
  return 1.0 - std::min(1.0, (1.0 - cb) / cs);
}
double ColourDodge(double cb, double cs) {
  if (cb <= 0.0) return 0.0;
  if (cs >= 1.0) return 1.0;
  return std::min(1.0, cb / (1.0 - cs));
}
double HardLight(double cb, double cs) { return cs <= 0.5 ? cb * 2.0 * cs : Screen(cb, 2.0 * cs - 1.0); }

using Published = double (*)(double cb, double cs);

struct PublishedCase {
  int32_t glue;
  const char* name;
  Published formula;
  double tolerance8;   // in units of 1/255
  double tolerance16;  // in units of 1/32768
  bool lowerHalfOnly;  // compare only for n below the middle
  bool sourceBand;     // compare with the band of values one 8-bit step about n (and o at 16 bits)
  bool skipThreshold;  // skip n + o = M, where the published threshold is inclusive
};

// Exact agreement, up to the rounding of the double-precision reference.
constexpr double kExact = 1e-9;

const PublishedCase kPublished[] = {
    {5, "lighten", [](double b, double s) { return std::max(b, s); }, kExact, kExact, false, false,
     false},
    {6, "darken", [](double b, double s) { return std::min(b, s); }, kExact, kExact, false, false,
     false},
    {7, "add", [](double b, double s) { return std::min(1.0, b + s); }, kExact, kExact, false, false,
     false},
    {9, "multiply", [](double b, double s) { return b * s; }, 2, 2, false, false, false},
    {10, "screen", Screen, 2, 2, false, false, false},
    {11, "hard light", HardLight, 2, 2, false, false, false},
    {12, "overlay", [](double b, double s) { return HardLight(s, b); }, 2, 2, false, false, false},
    {4, "difference (as exclusion)", [](double b, double s) { return b + s - 2.0 * b * s; }, 2, 2,
     false, false, false},
    {14, "exclusion", [](double b, double s) { return b + s - 2.0 * b * s; }, 2, 2, false, false,
     false},
    {26, "hard diff (difference)", [](double b, double s) { return std::fabs(b - s); }, kExact, kExact,
     false, false, false},
    {18, "pin light",
     [](double b, double s) { return s <= 0.5 ? std::min(b, 2.0 * s) : std::max(b, 2.0 * s - 1.0); },
     kExact, kExact, false, false, false},
    {20, "vivid light",
     [](double b, double s) { return s <= 0.5 ? ColourBurn(b, 2.0 * s) : ColourDodge(b, 2.0 * s - 1.0); },
     1.5, 1.5 * 128.5, false, true, false},
    {52, "hard mix", [](double b, double s) { return b + s >= 1.0 ? 1.0 : 0.0; }, kExact, kExact, false,
     false, true},
    {27, "soft light",
     [](double b, double s) { return b - (1.0 - 2.0 * s) * b * (1.0 - b); }, 3, 3, true, false, false},
};

// The rendered value against the published one. Multiply, screen and the
// modes built on them divide by 256 where the formula divides by 255, hence
// the 8-bit tolerance of 2 (3 for soft light). Vivid light's divisors carry a
// +1 that keeps them from zero, which moves its steep ends by half a step of
// n; it is compared with the range the formula spans one 8-bit step either
// side of n (and of o at 16 bits, which computes it at 8-bit precision).
double PublishedError(const PublishedCase& p, int32_t depth, int32_t n, int32_t o, int32_t got) {
  const double full = FullScale(depth);
  const double x = got / full;
  if (!p.sourceBand) return std::fabs(x - p.formula(o / full, n / full)) * full;
  const double step = full / 255.0;
  const int32_t oBand = depth == 8 ? 0 : 1;
  double lo = 2.0, hi = -1.0;
  for (int32_t dn = -1; dn <= 1; ++dn) {
    for (int32_t dOld = -oBand; dOld <= oBand; ++dOld) {
      const double n2 = std::clamp(n + dn * step, 0.0, full);
      const double o2 = std::clamp(o + dOld * step, 0.0, full);
      const double v = p.formula(o2 / full, n2 / full);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  return (x < lo ? lo - x : (x > hi ? x - hi : 0.0)) * full;
}

TEST(PerChannelGlue, AgreesWithPublishedFormulas) {
  for (const PublishedCase& p : kPublished) {
    for (int32_t depth : {8, 16}) {
      const int32_t full = FullScale(depth);
      const int32_t stride = depth == 8 ? 1 : 61;
      const double tolerance = depth == 8 ? p.tolerance8 : p.tolerance16;
      double worst = 0.0;
      int32_t worstN = 0, worstO = 0;
      const std::vector<int32_t> values = SampleValues(full, stride);
      for (int32_t n : values) {
        if (p.lowerHalfOnly && 2 * n >= full) break;
        for (int32_t o : values) {
          if (p.skipThreshold && n + o == full) continue;
          const int32_t got = depth == 8 ? GlueChannel8(p.glue, n, o, TentTable())
                                         : GlueChannel16(p.glue, n, o);
          const double err = PublishedError(p, depth, n, o, got);
          if (err > worst) {
            worst = err;
            worstN = n;
            worstO = o;
          }
        }
      }
      EXPECT_LE(worst, tolerance) << p.name << " at " << depth << " bits, worst at n " << worstN
                                  << " o " << worstO;
    }
  }
}

}  // namespace
