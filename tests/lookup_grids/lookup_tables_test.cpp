// The constant tables as they land in the grid: the cells whose values are
// known in closed form, the mirrored storage of tables 1 and 2, and the
// properties each table was generated from, checked against independent
// formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "grid_fixture.h"
#include "projection/formula_helpers.h"
#include "projection/lookup_grid.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kHalfRoot2 = 0.70710678118654752;
constexpr double kInvRoot3 = 0.57735026918962576;

struct TellingCell {
  int32_t table;
  int32_t x, y;
  float r, g, b;
};

const TellingCell kTellingCells[] = {
    {1, 0, 0, 0, 0, 0},
    {1, 49, 0, 1, 0, 0},
    {1, 0, 49, 0, 1, 0},
    {1, 49, 49, kHalfRoot2, kHalfRoot2, 0},
    {2, 0, 0, 0, 0, 0},
    {2, 49, 0, -kHalfRoot2, 0, 0},
    {2, 0, 49, 0, -kHalfRoot2, 0},
    {2, 49, 49, -kInvRoot3, -kInvRoot3, 0},
    {10, 0, 0, 0, 0, 0},
    {10, 49, 0, kPi, 0, 0},
    {10, 0, 49, 0, kPi / 2, 0},
    {12, 0, 0, 0, 0, 1},
    {12, 49, 0, -1, 0, 0},
    {12, 0, 49, 0, -1, 0},
    {12, 49, 49, 0, 0, -1},
};

TEST_F(GridTest, TellingCellsHoldTheirClosedFormValues) {
  for (const TellingCell& c : kTellingCells) {
    SCOPED_TRACE(testing::Message() << "table " << c.table << " cell " << c.x << "," << c.y);
    FillLookupGrid(&grid, c.table);
    ASSERT_EQ(grid.gridId, c.table);
    float cell[4];
    Cell(&grid, c.x, c.y, cell);
    EXPECT_NEAR(cell[0], c.r, 2e-6);
    EXPECT_NEAR(cell[1], c.g, 2e-6);
    EXPECT_NEAR(cell[2], c.b, 2e-6);
    EXPECT_EQ(cell[3], 0.0f);
  }
}

TEST_F(GridTest, WinkelCornerLiesBeyondTheOutline) {
  FillLookupGrid(&grid, 10);
  float cell[4];
  Cell(&grid, 49, 49, cell);
  EXPECT_GT(cell[0], 6.28f);
  EXPECT_LE(cell[0], static_cast<float>(2 * kPi));
  EXPECT_FLOAT_EQ(cell[1], static_cast<float>(kPi / 2));
}

TEST_F(GridTest, MirroredTablesHoldSwappedPairsAcrossTheDiagonal) {
  for (int32_t table : {1, 2}) {
    FillLookupGrid(&grid, table);
    for (int32_t y = 0; y < 50; y += 3) {
      for (int32_t x = 0; x < 50; x += 2) {
        float a[4], b[4];
        Cell(&grid, x, y, a);
        Cell(&grid, y, x, b);
        EXPECT_EQ(a[0], b[1]) << "table " << table << " cell " << x << "," << y;
        EXPECT_EQ(a[1], b[0]) << "table " << table << " cell " << x << "," << y;
        EXPECT_EQ(a[2], 0.0f);
      }
    }
  }
}

// F(w) = integral from 0 to w of dt / sqrt(1 + t^4) along the straight path,
// by composite Simpson: the table must invert z = F(w)/F(1).
std::complex<double> SquareFromDisc(std::complex<double> w) {
  const int n = 400;
  const auto f = [](std::complex<double> t) { return 1.0 / std::sqrt(1.0 + t * t * t * t); };
  std::complex<double> sum = f(0.0) + f(w);
  for (int i = 1; i < n; ++i) sum += f(w * (double(i) / n)) * (i % 2 ? 4.0 : 2.0);
  const double fOne = 0.92703733865068595;  // F(1) = K(1/sqrt 2)/2
  return sum * w / (3.0 * n) / fOne;
}

TEST_F(GridTest, Table1InvertsTheSquareToDiscIntegral) {
  FillLookupGrid(&grid, 1);
  for (int32_t y = 0; y < 49; y += 4) {
    for (int32_t x = 0; x < 49; x += 4) {
      float cell[4];
      Cell(&grid, x, y, cell);
      // Next to the corners dz/dw grows without bound (the corner's right
      // angle opens to a straight one), so f32 values cannot meet the test
      // there; the corner cell itself is a telling cell.
      if (std::hypot(cell[0], cell[1]) > 0.98) continue;
      const std::complex<double> z = SquareFromDisc({cell[0], cell[1]});
      EXPECT_NEAR(z.real(), x / 49.0, 2e-6) << x << "," << y;
      EXPECT_NEAR(z.imag(), y / 49.0, 2e-6) << x << "," << y;
    }
  }
}

TEST_F(GridTest, Table10InvertsTheWinkelTerm) {
  FillLookupGrid(&grid, 10);
  for (int32_t y = 0; y < 49; y += 3) {  // the top row folds at lambda = 2 pi
    for (int32_t x = 0; x < 50; x += 3) {
      float cell[4];
      Cell(&grid, x, y, cell);
      const double in[2] = {cell[0], cell[1]};
      Complex out;
      AitoffTerm(&out, in);
      EXPECT_NEAR(out.re, 2.570796326312263 * x / 49, 2e-6) << x << "," << y;
      EXPECT_NEAR(out.im, 1.5707963267948966 * y / 49, 2e-6) << x << "," << y;
    }
  }
}

TEST_F(GridTest, Table10ContinuesSmoothlyAcrossTheOutline) {
  // Along a row the longitude grows through pi without a jump, so the
  // triangle interpolation places the outline where the map has it.
  FillLookupGrid(&grid, 10);
  for (int32_t y = 0; y < 48; y += 4) {
    float previous[4];
    Cell(&grid, 0, y, previous);
    bool crossed = false;
    for (int32_t x = 1; x < 50; ++x) {
      float cell[4];
      Cell(&grid, x, y, cell);
      EXPECT_GT(cell[0], previous[0]) << x << "," << y;
      EXPECT_LT(cell[0] - previous[0], 0.35f) << x << "," << y;
      crossed = crossed || cell[0] > kPi;
      std::memcpy(previous, cell, sizeof cell);
    }
    EXPECT_TRUE(crossed || y == 0) << "row " << y;
  }
}

TEST_F(GridTest, Table12HoldsUnitVectorsOfTheFirstQuadrant) {
  FillLookupGrid(&grid, 12);
  for (int32_t y = 0; y < 50; y += 2) {
    for (int32_t x = 0; x < 50; x += 2) {
      float c[4];
      Cell(&grid, x, y, c);
      EXPECT_NEAR(c[0] * c[0] + c[1] * c[1] + c[2] * c[2], 1.0f, 1e-6f);
      EXPECT_LE(c[0], 0.0f);
      EXPECT_LE(c[1], 0.0f);
      // the inner triangle x + y <= 49 is the upper hemisphere
      if (x + y < 49) {
        EXPECT_GT(c[2], 0.0f);
      }
      if (x + y > 49) {
        EXPECT_LT(c[2], 0.0f);
      }
    }
  }
}

}  // namespace
