// The opponent colour lattice tables and their tetrahedral interpolation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/glue_opponent.h"

namespace {

struct Triple {
  int32_t v[3];
};

const uint8_t* Entry(const uint8_t* table, int32_t i, int32_t j, int32_t k) {
  return table + 3 * (i + 16 * j + 256 * k);
}

TEST(RgbToOpponentTable, HoldsTheTellingRows) {
  const struct {
    int32_t i, j, k, p, a, b;
  } rows[] = {
      {0, 0, 0, 0, 128, 128},     {15, 15, 15, 255, 128, 128}, {15, 0, 0, 144, 208, 208},
      {0, 15, 0, 214, 51, 207},   {0, 0, 15, 104, 158, 33},    {8, 0, 0, 85, 183, 180},
  };
  for (const auto& r : rows) {
    const uint8_t* e = Entry(RgbToOpponentTable, r.i, r.j, r.k);
    EXPECT_EQ(e[0], r.p) << r.i << " " << r.j << " " << r.k;
    EXPECT_EQ(e[1], r.a) << r.i << " " << r.j << " " << r.k;
    EXPECT_EQ(e[2], r.b) << r.i << " " << r.j << " " << r.k;
  }
}

TEST(RgbToOpponentTable, GreyAxisIsALightnessWithNeutralAxes) {
  const int32_t lightness[16] = {0, 17, 48, 72, 93, 112, 130, 147, 163, 177, 191, 204, 218, 230, 243, 255};
  for (int32_t i = 0; i < 16; ++i) {
    const uint8_t* e = Entry(RgbToOpponentTable, i, i, i);
    EXPECT_EQ(e[0], lightness[i]) << i;
    EXPECT_EQ(e[1], 128) << i;
    EXPECT_EQ(e[2], 128) << i;
    // Between lattice points a grey stays neutral as well.
    for (int32_t g : {17 * i, 17 * i + 8}) {
      if (g > 255) continue;
      Triple out;
      RgbToOpponent(g, g, g, true, out.v);
      EXPECT_EQ(out.v[1], 128) << g;
      EXPECT_EQ(out.v[2], 128) << g;
    }
  }
}

// Lightness grows with each channel: more of any primary never darkens.
TEST(RgbToOpponentTable, LightnessRisesWithEveryChannel) {
  for (int32_t k = 0; k < 16; ++k) {
    for (int32_t j = 0; j < 16; ++j) {
      for (int32_t i = 0; i < 15; ++i) {
        EXPECT_LE(Entry(RgbToOpponentTable, i, j, k)[0], Entry(RgbToOpponentTable, i + 1, j, k)[0]);
        EXPECT_LE(Entry(RgbToOpponentTable, j, i, k)[0], Entry(RgbToOpponentTable, j, i + 1, k)[0]);
        EXPECT_LE(Entry(RgbToOpponentTable, j, k, i)[0], Entry(RgbToOpponentTable, j, k, i + 1)[0]);
      }
    }
  }
}

TEST(OpponentToRgb, RoundTripsThroughBothTables) {
  const struct {
    Triple in, want;
  } cases[] = {
      {{{128, 128, 128}}, {{127, 127, 128}}},
      {{{0, 0, 0}}, {{7, 0, 7}}},
      {{{255, 255, 255}}, {{240, 251, 245}}},
      {{{200, 100, 50}}, {{198, 97, 51}}},
  };
  for (const auto& c : cases) {
    Triple mid, out;
    RgbToOpponent(c.in.v[0], c.in.v[1], c.in.v[2], true, mid.v);
    OpponentToRgb(mid.v[0], mid.v[1], mid.v[2], true, out.v);
    for (int32_t ch = 0; ch < 3; ++ch) EXPECT_EQ(out.v[ch], c.want.v[ch]) << c.in.v[0] << " ch " << ch;
  }
}

// The inverse table is close to the inverse of the first over the whole 8-bit
// cube (the lattice is coarse, so the bound is on the mean error), and closer
// inside the cube, away from where the inverse clips.
TEST(OpponentToRgb, IsCloseToTheInverse) {
  double sumAll = 0, sumInner = 0;
  int64_t countAll = 0, countInner = 0;
  for (int32_t r = 0; r < 256; r += 5) {
    for (int32_t g = 0; g < 256; g += 5) {
      for (int32_t b = 0; b < 256; b += 5) {
        Triple mid, out;
        RgbToOpponent(r, g, b, true, mid.v);
        OpponentToRgb(mid.v[0], mid.v[1], mid.v[2], true, out.v);
        const int32_t err =
            std::max({std::abs(out.v[0] - r), std::abs(out.v[1] - g), std::abs(out.v[2] - b)});
        sumAll += err;
        ++countAll;
        if (std::min({r, g, b}) >= 32 && std::max({r, g, b}) <= 223) {
          sumInner += err;
          ++countInner;
        }
      }
    }
  }
  EXPECT_LT(sumAll / countAll, 6.0);
  EXPECT_LT(sumInner / countInner, 4.5);
}

TEST(OpponentToRgb, SixteenBitFormScalesTheEightBitForm) {
  // The 16-bit form reaches 32760 at full scale, and its greys sit at the
  // 16-bit middle of the byte table's 128.
  Triple white, black;
  RgbToOpponent(32768, 32768, 32768, false, white.v);
  RgbToOpponent(0, 0, 0, false, black.v);
  EXPECT_EQ(white.v[0], 32760);
  EXPECT_EQ(white.v[1], 128 * 2184 / 17);
  EXPECT_EQ(black.v[0], 0);
  EXPECT_EQ(black.v[2], 128 * 2184 / 17);
  for (int32_t c = 0; c <= 255; c += 3) {
    const int32_t c16 = (c * 32768) / 255;
    Triple in8 = {{c, 255 - c, (c * 7) & 255}};
    Triple in16 = {{c16, 32768 - c16, (in8.v[2] * 32768) / 255}};
    Triple out8, out16;
    RgbToOpponent(in8.v[0], in8.v[1], in8.v[2], true, out8.v);
    RgbToOpponent(in16.v[0], in16.v[1], in16.v[2], false, out16.v);
    for (int32_t ch = 0; ch < 3; ++ch) {
      EXPECT_NEAR(out16.v[ch], out8.v[ch] * 2184 / 17, 2 * 2184 / 17) << c << " ch " << ch;
    }
  }
}

// At full scale the interpolation has nothing to blend toward: it reads the
// last lattice point alone. The table is copied into an allocation of exactly
// its size, every other entry poisoned, so a read past the lattice shows under
// the address sanitizer and a read of a neighbour shows in the result.
TEST(InterpolateColourCube, FullScaleReadsOnlyTheLastLatticePoint) {
  std::vector<uint8_t> table(kColourCubeBytes, 77);
  std::memcpy(table.data() + kColourCubeBytes - 3, Entry(RgbToOpponentTable, 15, 15, 15), 3);
  for (const float step : {kColourCubeStep8, kColourCubeStep16}) {
    const int32_t top = step == kColourCubeStep8 ? 255 : 32768;
    Triple out;
    InterpolateColourCube(top, top, top, table.data(), step, out.v);
    const int32_t weight = step == kColourCubeStep8 ? 17 : 2184;
    EXPECT_EQ(out.v[0], 255 * weight / 17);
    EXPECT_EQ(out.v[1], 128 * weight / 17);
    EXPECT_EQ(out.v[2], 128 * weight / 17);
  }
  Triple viaTables;
  RgbToOpponent(255, 255, 255, true, viaTables.v);
  EXPECT_EQ(viaTables.v[0], 255);
  EXPECT_EQ(viaTables.v[1], 128);
  EXPECT_EQ(viaTables.v[2], 128);
}

// Every input on a face of the cube, at both depths, stays inside the table;
// the copy ends exactly where the table does.
TEST(InterpolateColourCube, FacesOfTheCubeStayInsideTheTable) {
  std::vector<uint8_t> table(RgbToOpponentTable, RgbToOpponentTable + kColourCubeBytes);
  for (const float step : {kColourCubeStep8, kColourCubeStep16}) {
    const int32_t top = step == kColourCubeStep8 ? 255 : 32768;
    const int32_t stride = step == kColourCubeStep8 ? 1 : 97;
    for (int32_t a = 0; a <= top; a += stride) {
      for (int32_t b : {0, top / 3, top - 1, top}) {
        Triple out;
        InterpolateColourCube(top, a, b, table.data(), step, out.v);
        InterpolateColourCube(a, top, b, table.data(), step, out.v);
        InterpolateColourCube(a, b, top, table.data(), step, out.v);
        ASSERT_LE(out.v[0], top);
      }
    }
  }
}

TEST(InterpolateColourCube, InputsBeyondTheCubeAreHeldAtItsEnds) {
  Triple low, zero, high, top;
  RgbToOpponent(-40, -1, -32768, true, low.v);
  RgbToOpponent(0, 0, 0, true, zero.v);
  RgbToOpponent(300, 70000, 256, true, high.v);
  RgbToOpponent(255, 255, 255, true, top.v);
  for (int32_t ch = 0; ch < 3; ++ch) {
    EXPECT_EQ(low.v[ch], zero.v[ch]);
    EXPECT_EQ(high.v[ch], top.v[ch]);
  }
}

// Lattice inputs reproduce the lattice entries; a point halfway between two
// lattice points on one axis is their mean.
TEST(InterpolateColourCube, ReproducesLatticePointsAndBlendsAlongAnEdge) {
  for (int32_t k = 0; k < 16; k += 5) {
    for (int32_t j = 0; j < 16; j += 3) {
      for (int32_t i = 0; i < 16; ++i) {
        Triple out;
        RgbToOpponent(17 * i, 17 * j, 17 * k, true, out.v);
        const uint8_t* e = Entry(RgbToOpponentTable, i, j, k);
        EXPECT_EQ(out.v[0], e[0]);
        EXPECT_EQ(out.v[1], e[1]);
        EXPECT_EQ(out.v[2], e[2]);
      }
    }
  }
  std::vector<uint8_t> table(kColourCubeBytes, 0);
  table[3 * 1] = 170;  // lattice point (1, 0, 0), first channel
  Triple out;
  InterpolateColourCube(8, 0, 0, table.data(), kColourCubeStep8, out.v);
  EXPECT_EQ(out.v[0], 8 * 170 / 17);
}

}  // namespace
