// Loading tables into the grid and reading them back: the load happens only
// when the wanted id differs from the one loaded, the samplers' cases, and the
// grid without pixels or without a table.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "grid_fixture.h"
#include "projection/lookup_grid.h"

namespace {

TEST_F(GridTest, ATableIsLoadedAgainOnlyWhenItsIdChanges) {
  FillLookupGrid(&grid, 1);
  ASSERT_EQ(grid.gridId, 1);
  // Mark a cell: a reload would overwrite it.
  PutCell(&grid, 10, 20, 7.0f, 8.0f, 0.0f, 0.0f);
  const Complex atMark{10.0 / 49.0, 20.0 / 49.0};
  Complex got = LookupGridPair(&atMark, &grid, 1);
  EXPECT_NEAR(got.re, 7.0, 1e-3);
  EXPECT_NEAR(got.im, 8.0, 1e-3);
  FillLookupGrid(&grid, 1);
  float cell[4];
  Cell(&grid, 10, 20, cell);
  EXPECT_EQ(cell[0], 7.0f);

  // Another id reloads, and so does coming back.
  FillLookupGrid(&grid, 10);
  EXPECT_EQ(grid.gridId, 10);
  got = LookupGridPair(&atMark, &grid, 1);
  EXPECT_EQ(grid.gridId, 1);
  EXPECT_NE(static_cast<float>(got.re), 7.0f);
  Cell(&grid, 10, 20, cell);
  EXPECT_NE(cell[0], 7.0f);
}

TEST_F(GridTest, Table1LookupAtTheSquaresCorners) {
  const Complex corner{1.0, 1.0};
  const Complex origin{0.0, 0.0};
  const Complex c = LookupGridPair(&corner, &grid, 1);
  EXPECT_NEAR(c.re, 0.70711, 1e-5);
  EXPECT_NEAR(c.im, 0.70711, 1e-5);
  const Complex o = LookupGridPair(&origin, &grid, 1);
  EXPECT_EQ(o.re, 0.0);
  EXPECT_EQ(o.im, 0.0);
}

TEST_F(GridTest, Table12LookupGivesTheTriple) {
  const Complex corner{1.0, 1.0};
  const Vec3 v = LookupGridTriple(&corner, &grid);
  EXPECT_EQ(grid.gridId, 12);
  EXPECT_NEAR(v.x, 0.0, 1e-6);
  EXPECT_NEAR(v.y, 0.0, 1e-6);
  EXPECT_NEAR(v.z, -1.0, 1e-6);
}

TEST(LookupGridEmpty, AGridWithoutPixelsGivesZeros) {
  ImageRecord empty;
  InitImageRecord(&empty, nullptr, nullptr);
  const Complex p{0.5, 0.5};
  const Complex pair = LookupGridPair(&p, &empty, 1);
  EXPECT_EQ(pair.re, 0.0);
  EXPECT_EQ(pair.im, 0.0);
  const Vec3 triple = LookupGridTriple(&p, &empty);
  EXPECT_EQ(triple.x, 0.0);
  EXPECT_EQ(triple.z, 0.0);
  EXPECT_EQ(empty.gridId, 0);
  FreeImageRecord(&empty);
}

TEST_F(GridTest, TablesWithoutDataAndUnknownIdsLoadNothing) {
  FillLookupGrid(&grid, 1);
  for (int32_t id : {11, 99}) {
    FillLookupGrid(&grid, id);
    EXPECT_EQ(grid.gridId, 0) << id;
  }
  const Complex p{0.5, 0.5};
  const Complex pair = LookupGridPair(&p, &grid, 11);
  EXPECT_EQ(pair.re, 0.0);
  EXPECT_EQ(pair.im, 0.0);
}

TEST(LookupTables, DescriptionsMatchTheirStorage) {
  struct Expected {
    int32_t id, size, valuesPerCell, count;
  };
  // value counts: full 2500 cells; mirrored 1275; x + y <= n: 1324 (n = 50),
  // 1376 (n = 51); x + y <= n - 1: 1275 (n = 50), 465 (n = 30)
  const Expected expected[] = {{1, 50, 2, 2550},  {2, 50, 2, 2550},  {3, 50, 2, 5000},  {6, 50, 2, 2648},
                               {7, 51, 2, 2752},  {8, 51, 2, 2752},  {10, 50, 2, 5000}, {12, 50, 3, 7500},
                               {13, 50, 2, 2550}, {14, 50, 2, 2550}, {15, 30, 2, 930}};
  for (const Expected& e : expected) {
    const LookupTableInfo* table = FindLookupTable(e.id);
    ASSERT_NE(table, nullptr) << e.id;
    EXPECT_EQ(table->size, e.size) << e.id;
    EXPECT_EQ(table->valuesPerCell, e.valuesPerCell) << e.id;
    EXPECT_EQ(table->valueCount, e.count) << e.id;
  }
  EXPECT_EQ(FindLookupTable(11), nullptr);
}

// A 4 x 4 grid of known cell values for the samplers.
class SamplerTest : public GridTest {
 protected:
  void SetUp() override {
    InitImageRecord(&grid, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid, 4, 4, PixelRgbaFloat, FetchClamp, 0));
    for (int32_t y = 0; y < 4; ++y) {
      for (int32_t x = 0; x < 4; ++x) PutCell(&grid, x, y, Plane(x, y), Saddle(x, y), 10.0f - Plane(x, y), 0.0f);
    }
  }
  static float Plane(float x, float y) { return 1.0f + 2.0f * x + 3.0f * y; }
  static float Saddle(float x, float y) { return x * y; }
};

TEST_F(SamplerTest, BilinearReproducesBilinearValues) {
  const float points[][2] = {{0.0f, 0.0f}, {0.25f, 0.5f}, {1.5f, 2.75f}, {2.9f, 0.1f}, {3.0f, 3.0f}};
  for (const auto& p : points) {
    float r, g;
    SampleGridBilinear(p[0], p[1], &grid, 0, &r, &g);
    EXPECT_NEAR(r, Plane(p[0], p[1]), 1e-5f);
    EXPECT_NEAR(g, Saddle(p[0], p[1]), 1e-5f);
  }
}

TEST_F(SamplerTest, ReadsBeyondTheGridTakeTheBorderCells) {
  struct Case {
    float X, Y, atX, atY;
  };
  const Case cases[] = {
      {-0.5f, 1.0f, 0.0f, 1.0f},  // negative: the cell below is clamped
      {-1.0f, 2.0f, 0.0f, 2.0f},  // a negative whole number steps one cell further, still clamped
      {3.5f, 1.0f, 3.0f, 1.0f},   // past the last column
      {1.0f, 7.0f, 1.0f, 3.0f},
  };
  for (const Case& c : cases) {
    float r, g;
    SampleGridBilinear(c.X, c.Y, &grid, 0, &r, &g);
    EXPECT_NEAR(r, Plane(c.atX, c.atY), 1e-5f) << c.X << "," << c.Y;
    SampleGridTriangles(c.X, c.Y, &grid, 0, &r, &g);
    EXPECT_NEAR(r, Plane(c.atX, c.atY), 1e-5f) << c.X << "," << c.Y;
  }
}

TEST_F(SamplerTest, TrianglesReproducePlanesInBothHalvesOfACell) {
  const float points[][2] = {{1.2f, 1.3f}, {1.8f, 1.7f}, {0.5f, 0.5f}, {2.99f, 0.01f}};
  for (const auto& p : points) {
    float r, g, b;
    SampleGridTriangles3(p[0], p[1], &grid, 0, &r, &g, &b);
    EXPECT_NEAR(r, Plane(p[0], p[1]), 1e-5f);
    EXPECT_NEAR(b, 10.0f - Plane(p[0], p[1]), 1e-5f);
  }
}

TEST_F(SamplerTest, TrianglesSplitTheCellAlongTheRisingDiagonal) {
  // x*y is 0 at three corners of cell (0, 0) and 1 at (1, 1): the lower
  // triangle sees only zeros, the upper one rises toward (1, 1).
  struct Case {
    float X, Y, want;
  };
  const Case cases[] = {
      {0.25f, 0.25f, 0.0f},
      {0.5f, 0.5f, 0.0f},    // on the diagonal: the first branch
      {0.75f, 0.25f, 0.0f},  // on the diagonal too
      {0.75f, 0.75f, 0.5f},  // (fx + fy - 1) of the far corner
      {1.0f, 0.9f, 0.9f},
  };
  for (const Case& c : cases) {
    float r, g;
    SampleGridTriangles(c.X, c.Y, &grid, 0, &r, &g);
    EXPECT_NEAR(g, c.want, 1e-6f) << c.X << "," << c.Y;
  }
  // the bilinear sampler differs from both inside the cell
  float r, g;
  SampleGridBilinear(0.5f, 0.5f, &grid, 0, &r, &g);
  EXPECT_NEAR(g, 0.25f, 1e-6f);
}

}  // namespace

namespace {

// Storage of the triangle layouts, with a table whose values count the cells
// 1, 2, 3, ... in storage order.
TEST_F(GridTest, TriangleLayoutsFillTheirRegionInStorageOrder) {
  struct Case {
    int32_t layout, size, cells;
    bool (*filled)(int32_t x, int32_t y, int32_t n);
    int32_t firstX, firstY;  // the cell that receives the first value
  };
  const Case cases[] = {
      {kTableToAntidiagonal, 50, 1324, [](int32_t x, int32_t y, int32_t n) { return x + y <= n; }, 0, 0},
      {kTableToAntidiagonal, 51, 1376, [](int32_t x, int32_t y, int32_t n) { return x + y <= n; }, 0, 0},
      {kTableBelowAntidiagonal, 50, 1275, [](int32_t x, int32_t y, int32_t n) { return x + y <= n - 1; }, 0, 0},
      {kTableBelowReversed, 30, 465, [](int32_t x, int32_t y, int32_t n) { return x + y <= n - 1; }, 0, 29},
      {kTableFull, 50, 2500, [](int32_t, int32_t, int32_t) { return true; }, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "layout " << c.layout << " size " << c.size);
    std::vector<float> values(2 * c.cells);
    for (int32_t i = 0; i < c.cells; ++i) {
      values[2 * i] = float(i + 1);
      values[2 * i + 1] = -float(i + 1);
    }
    const LookupTableInfo table{77, c.size, 2, c.layout, kSampleTriangles, values.data(), 2 * c.cells};
    EXPECT_TRUE(CopyLookupTable(&grid, &table));
    EXPECT_EQ(grid.gridId, 77);
    EXPECT_EQ(grid.levelWidth[0], c.size);
    float cell[4];
    Cell(&grid, c.firstX, c.firstY, cell);
    EXPECT_EQ(cell[0], 1.0f);
    int32_t seen = 0;
    for (int32_t y = 0; y < c.size; ++y) {
      for (int32_t x = 0; x < c.size; ++x) {
        Cell(&grid, x, y, cell);
        if (c.filled(x, y, c.size)) {
          ++seen;
          EXPECT_EQ(cell[1], -cell[0]) << x << "," << y;
          EXPECT_GT(cell[0], 0.0f) << x << "," << y;
        } else {
          EXPECT_EQ(cell[0], 0.0f) << x << "," << y;
        }
      }
    }
    EXPECT_EQ(seen, c.cells);
  }
}

TEST_F(GridTest, ATableOfTheWrongLengthIsReported) {
  std::vector<float> values(100, 1.0f);
  const LookupTableInfo table{77, 50, 2, kTableFull, kSampleTriangles, values.data(), 100};
  EXPECT_FALSE(CopyLookupTable(&grid, &table));
  float cell[4];
  Cell(&grid, 49, 49, cell);
  EXPECT_EQ(cell[0], 0.0f);  // the cells without values stay 0
}

}  // namespace
