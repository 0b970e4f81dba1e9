// Every glue mode stays inside the pixel kind's range for every rendered and
// every underlying value: exhaustively at 8 bits, on a stride at 16 bits.
#include <gtest/gtest.h>

#include <vector>

#include "glue_test_util.h"

namespace {

// A pixel whose first channel is v and whose other two channels vary with v
// in different ways, so the modes that look at the whole pixel meet colours
// of every kind. variant picks one of two arrangements.
Pixel SweepPixel(int32_t v, int32_t full, int32_t variant) {
  if (variant == 0) return {{v, static_cast<int32_t>((int64_t{v} * 7 + 13) % (full + 1)), full - v}};
  return {{v, full - v, static_cast<int32_t>((int64_t{v} * 11 + full / 3) % (full + 1))}};
}

// The formulas that reach past full scale at 16 bits: "or" and "xor" of
// values that share no bits, and the upper half of "soft light" against a
// full-scale document, whose 8-bit step reads 256.
bool MayLeaveTheRange(int32_t glue, int32_t depth) {
  return depth == 16 && (glue == 27 || glue == 37 || glue == 38);
}

void SweepMode(int32_t glue, int32_t depth, const std::vector<int32_t>& values) {
  const int32_t full = FullScale(depth);
  bool leftRange = false;
  // The second arrangement matters only to the modes that mix channels.
  const int32_t variants = IsPerChannelGlue(glue) ? 1 : 2;
  for (int32_t variant = 0; variant < variants; ++variant) {
    for (int32_t a : values) {
      for (int32_t b : values) {
        const Pixel n = SweepPixel(a, full, variant);
        const Pixel o = SweepPixel(b, full, 1 - variant);
        const Pixel raw = ApplyRaw(glue, depth, n, o);
        const Pixel stored = Blend(glue, depth, n, o);
        for (int32_t ch = 0; ch < 3; ++ch) {
          const int32_t clamped = raw.c[ch] < 0 ? 0 : (raw.c[ch] > full ? full : raw.c[ch]);
          ASSERT_EQ(stored.c[ch], clamped)
              << "glue " << glue << " at " << depth << " bits, n " << a << " o " << b;
          if (raw.c[ch] < 0 || raw.c[ch] > full) {
            leftRange = true;
            ASSERT_TRUE(MayLeaveTheRange(glue, depth))
                << "glue " << glue << " at " << depth << " bits gives " << raw.c[ch] << " for n " << a
                << " o " << b;
          }
        }
      }
    }
  }
  // The known exceptions do meet their out-of-range values in the sweep, so
  // the clamp on storing is what keeps them in range.
  if (MayLeaveTheRange(glue, depth)) {
    EXPECT_TRUE(leftRange) << glue;
  }
}

TEST(GlueRangeSweep, EveryEightBitPairForEveryMode) {
  std::vector<int32_t> values;
  for (int32_t v = 0; v <= 255; ++v) values.push_back(v);
  for (int32_t glue = 2; glue <= kGlueModeCount; ++glue) SweepMode(glue, 8, values);
}

// 16 bits: a full sweep is 10^9 pairs per mode, so the values are sampled:
// every 61st value for the per-channel modes (about 545 values, 300,000 pairs
// per arrangement) and every 127th for the costlier whole-pixel modes (about
// 265 values), each with both ends, the middle and their neighbours.
TEST(GlueRangeSweep, SixteenBitPairsOnAStrideForEveryMode) {
  const std::vector<int32_t> dense = SampleValues(kGlueFull16, 61);
  const std::vector<int32_t> sparse = SampleValues(kGlueFull16, 127);
  for (int32_t glue = 2; glue <= kGlueModeCount; ++glue) {
    SweepMode(glue, 16, IsPerChannelGlue(glue) ? dense : sparse);
  }
}

}  // namespace
