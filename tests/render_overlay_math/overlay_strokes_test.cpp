// The overlay strokes: splats, marching squares, the graticule at every grid
// step with its polar bands, seam and borders, the dot and face-centre
// outlines, and the region edges of every corner case.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/pixel_renderer.h"
#include "stroke_bench.h"

namespace {

// Cells are drawn at column 1 of a 4-wide row 5 (no border rule), with the
// upper splats in word 0 and the lower ones in word 1.
constexpr int32_t kColumn = 1;
constexpr int32_t kWidth = 4;
constexpr int32_t kRow = 5;

TEST(SegmentCoverage, LengthIsSharedBilinearlyByTheMidpoint) {
  struct Case {
    Seg seg;
    float weight;
    float leftAbove, rightAbove, leftBelow, rightBelow;
  };
  const Case cases[] = {
      {{0, 0.5f, 1, 0.5f}, 1.0f, 0.25f, 0.25f, 0.25f, 0.25f},            // across at mid-height
      {{0, 0, 1, 1}, 1.0f, 0.35355f, 0.35355f, 0.35355f, 0.35355f},      // the diagonal
      {{0, 0.25f, 0.5f, 0.25f}, 1.0f, 0.28125f, 0.09375f, 0.09375f, 0.03125f},
      {{1, 0, 1, 1}, 0.3f, 0.0f, 0.15f, 0.0f, 0.15f},                    // along the right side, weighted
      {{0.5f, 0.5f, 0.5f, 0.5f}, 1.0f, 0, 0, 0, 0},                      // a point adds nothing
  };
  for (const Case& c : cases) {
    StrokeBench bench;
    AddSegmentCoverage(c.seg.x0, c.seg.y0, c.seg.x1, c.seg.y1, bench.g(), kColumn, 0, 1, c.weight);
    EXPECT_NEAR(bench.Word(kColumn, 0), c.leftAbove, 1e-5);
    EXPECT_NEAR(bench.Word(kColumn + 1, 0), c.rightAbove, 1e-5);
    EXPECT_NEAR(bench.Word(kColumn, 1), c.leftBelow, 1e-5);
    EXPECT_NEAR(bench.Word(kColumn + 1, 1), c.rightBelow, 1e-5);
  }
  // A column beyond the records is ignored rather than written past them.
  StrokeBench bench;
  AddSegmentCoverage(0, 0, 1, 1, bench.g(), kWidth + 1, 0, 1, 1.0f);
  AddSegmentCoverage(0, 0, 1, 1, bench.g(), -1, 0, 1, 1.0f);
  EXPECT_EQ(bench.Total(), 0.0f);
}

// Every marching-squares case on corners of 0 and 1 at level 0.5: the line
// crosses each edge in its middle.
TEST(MarchingSquares, EveryCaseDrawsItsSegments) {
  const Seg dcDb{0.5f, 0, 0, 0.5f}, dcCa{0.5f, 0, 1, 0.5f}, dbCa{0, 0.5f, 1, 0.5f}, dbBa{0, 0.5f, 0.5f, 1},
      dcBa{0.5f, 0, 0.5f, 1}, caBa{1, 0.5f, 0.5f, 1}, baCa{0.5f, 1, 1, 0.5f};
  const std::vector<Seg> expected[16] = {
      {},           {dcDb}, {dcCa}, {dbCa}, {dbBa}, {dcBa}, {dcCa, dbBa}, {caBa},
      {caBa},       {dcDb, baCa}, {dcBa}, {dbBa}, {dbCa}, {dcCa}, {dcDb}, {},
  };
  for (int32_t index = 0; index < 16; ++index) {
    StrokeBench bench;
    const float d = (index & 1) ? 1.0f : 0.0f, c = (index & 2) ? 1.0f : 0.0f;
    const float b = (index & 4) ? 1.0f : 0.0f, a = (index & 8) ? 1.0f : 0.0f;
    DrawAntialiasedSegment(d, c, b, a, 0.5f, bench.g(), kColumn, 0, 1, 1.0f);
    ExpectCellCoverage(bench, kColumn, 0, 1, expected[index], 1.0, "case " + std::to_string(index));
  }
}

TEST(MarchingSquares, CrossingsLevelsAndMissingCorners) {
  struct Case {
    const char* label;
    float d, c, b, a, level, weight;
    std::vector<Seg> segs;
  };
  const Case cases[] = {
      {"crossing a quarter of the way", 0, 1, 0, 1, 0.25f, 1, {{0.25f, 0, 0.25f, 1}}},
      {"crossing from the far end", 0, 4, 0, 4, 3.0f, 1, {{0.75f, 0, 0.75f, 1}}},
      {"weighted", 1, 1, 0, 0, 0.5f, 0.3f, {{0, 0.5f, 1, 0.5f}}},
      {"all at the level", 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 1, {}},
      {"missing D takes A's value", -2.0f, 1, 1, 1, 0.5f, 1, {}},
      {"missing C and B take A's value", 0, -2.0f, -2.0f, 1, 0.5f, 1, {{0, 0, 0, 0}, {0.5f, 0, 0, 0.5f}}},
  };
  for (const Case& c : cases) {
    StrokeBench bench;
    DrawAntialiasedSegment(c.d, c.c, c.b, c.a, c.level, bench.g(), kColumn, 0, 1, c.weight);
    ExpectCellCoverage(bench, kColumn, 0, 1, c.segs, c.weight, c.label);
  }
  // A NaN corner leaves no NaN in the coverage.
  StrokeBench bench;
  DrawAntialiasedSegment(std::nanf(""), 1, 0, 0, 0.5f, bench.g(), kColumn, 0, 1, 1.0f);
  EXPECT_TRUE(std::isfinite(bench.Total()));
}

struct Cell {
  float u[4];  // D, C, B, A
  float v[4];
};

void DrawCell(StrokeBench& bench, int32_t grid2, const Cell& cell, int32_t row = kRow, int32_t column = kColumn,
              int32_t width = kWidth) {
  bench.block->grid2 = grid2;
  DrawGridStrokesColumn(cell.u[0], cell.v[0], cell.u[1], cell.v[1], cell.u[2], cell.v[2], cell.u[3], cell.v[3], row,
                        column, width, 0, 1, bench.g());
}

// A cell whose left corners lie a quarter of its width before longitude L
// and right corners three quarters after, at latitude v.
Cell MeridianCell(float lineU, float width, float v) {
  const float l = lineU - 0.25f * width, r = lineU + 0.75f * width;
  return Cell{{l, r, l, r}, {v, v, v, v}};
}
// A cell whose upper corners lie half its height before latitude P, at
// longitude u.
Cell ParallelCell(float lineV, float height, float u) {
  const float t = lineV - 0.5f * height, b = lineV + 0.5f * height;
  return Cell{{u, u, u, u}, {t, t, b, b}};
}

const Seg kMeridianSeg{0.25f, 0, 0.25f, 1};
const Seg kParallelSeg{0, 0.5f, 1, 0.5f};

TEST(Graticule, EveryStepDrawsEveryMeridianAndParallelAndNothingBetween) {
  const int32_t settings[] = {2, 3, 4, 5, 6, 7};
  const int32_t divisions[] = {36, 30, 18, 12, 6, 4};  // 5, 6, 10, 15, 30, 45 degrees
  for (int32_t s = 0; s < 6; ++s) {
    const int32_t n = divisions[s];
    ASSERT_EQ(GraticuleDivisions(settings[s]), n);
    const float spacingU = 0.5f / n, spacingV = 1.0f / n;
    for (int32_t m = 1; m < 2 * n; ++m) {
      const std::string label = "grid2 " + std::to_string(settings[s]) + " meridian " + std::to_string(m);
      StrokeBench on;
      DrawCell(on, settings[s], MeridianCell(m * spacingU, 0.1f * spacingU, 0.5f));
      ExpectCellCoverage(on, kColumn, 0, 1, {kMeridianSeg}, 1.0, label);
      StrokeBench between;
      DrawCell(between, settings[s], MeridianCell((m + 0.3f) * spacingU, 0.4f * spacingU, 0.5f));
      EXPECT_EQ(between.Total(), 0.0f) << label << " between lines";
    }
    for (int32_t m = 1; m < n; ++m) {
      const std::string label = "grid2 " + std::to_string(settings[s]) + " parallel " + std::to_string(m);
      StrokeBench on;
      DrawCell(on, settings[s], ParallelCell(m * spacingV, 0.1f * spacingV, 0.3f));
      ExpectCellCoverage(on, kColumn, 0, 1, {kParallelSeg}, 1.0, label);
      StrokeBench between;
      DrawCell(between, settings[s], ParallelCell((m + 0.5f) * spacingV, 0.4f * spacingV, 0.3f));
      EXPECT_EQ(between.Total(), 0.0f) << label << " between lines";
    }
  }
}

TEST(Graticule, OtherSettingsDrawNothing) {
  for (int32_t grid2 : {0, 1, 8, -3}) {
    StrokeBench bench;
    DrawCell(bench, grid2, MeridianCell(0.25f, 0.01f, 0.5f));
    DrawCell(bench, grid2, ParallelCell(0.5f, 0.01f, 0.3f));
    EXPECT_EQ(bench.Total(), 0.0f) << grid2;
  }
}

// In the first and last latitude bands only the meridians at multiples of
// 90 degrees are drawn; the second band draws them all.
TEST(Graticule, PolarBandsKeepOnlyTheQuarterMeridians) {
  for (int32_t grid2 = 2; grid2 <= 7; ++grid2) {
    const int32_t n = GraticuleDivisions(grid2);
    const float spacingU = 0.5f / n;
    struct Band {
      float v;
      bool allMeridians;
    };
    const Band bands[] = {{0.5f / n, false}, {1.0f - 0.5f / n, false}, {1.5f / n, true}, {1.0f - 1.5f / n, true}};
    for (const Band& band : bands) {
      for (int32_t m = 1; m < 2 * n; ++m) {
        const float lineU = m * spacingU;
        const bool quarter = (m * 4) % (2 * n) == 0;
        StrokeBench bench;
        DrawCell(bench, grid2, MeridianCell(lineU, 0.1f * spacingU, band.v));
        const std::string label = "grid2 " + std::to_string(grid2) + " v " + std::to_string(band.v) + " m " +
                                  std::to_string(m);
        if (band.allMeridians || quarter) {
          ExpectCellCoverage(bench, kColumn, 0, 1, {kMeridianSeg}, 1.0, label);
        } else {
          EXPECT_EQ(bench.Total(), 0.0f) << label;
        }
      }
    }
  }
}

// Longitudes from 0.99 to 0.01 draw the meridian at u = 0 once, not one at
// every step in between; so does the reverse order and the polar band.
TEST(Graticule, TheSeamDrawsOneMeridian) {
  const Seg mid{0.5f, 0, 0.5f, 1};
  const Cell cells[] = {
      {{0.99f, 0.01f, 0.99f, 0.01f}, {0.5f, 0.5f, 0.5f, 0.5f}},
      {{0.01f, 0.99f, 0.01f, 0.99f}, {0.5f, 0.5f, 0.5f, 0.5f}},
      {{0.99f, 0.01f, 0.99f, 0.01f}, {0.01f, 0.01f, 0.01f, 0.01f}},
  };
  for (int32_t grid2 = 2; grid2 <= 7; ++grid2) {
    for (const Cell& cell : cells) {
      StrokeBench bench;
      DrawCell(bench, grid2, cell);
      ExpectCellCoverage(bench, kColumn, 0, 1, {mid}, 1.0, "grid2 " + std::to_string(grid2), 1e-3);
    }
  }
}

// Border cells copy values across the image's edge: no meridian in the first
// or last column, no parallel in row 0, the other family still drawn.
TEST(Graticule, BorderCellsDrawNoLineAlongTheEdge) {
  struct Case {
    const char* label;
    int32_t row, column;
    bool meridian, parallel;
  };
  const Case cases[] = {
      {"first column", kRow, 0, false, true},
      {"last column", kRow, kWidth - 1, false, true},
      {"row 0", 0, kColumn, true, false},
      {"row 0, first column", 0, 0, false, false},
      {"interior", kRow, kColumn, true, true},
  };
  for (const Case& c : cases) {
    StrokeBench m;
    DrawCell(m, 4, MeridianCell(5 * 0.5f / 18, 0.002f, 0.5f), c.row, c.column);
    StrokeBench p;
    DrawCell(p, 4, ParallelCell(5.0f / 18, 0.002f, 0.3f), c.row, c.column);
    EXPECT_EQ(m.Total() > 0.5f, c.meridian) << c.label;
    EXPECT_EQ(p.Total() > 0.5f, c.parallel) << c.label;
  }
}

// A corner off the map (the mapping's -1.0, or -2.0) has no latitude or
// longitude: its cell draws neither family instead of a stray line.
TEST(Graticule, ACornerOffTheMapDrawsNothing) {
  const Cell crossing{{0.2f, 0.3f, 0.2f, 0.3f}, {0.45f, 0.45f, 0.6f, 0.6f}};
  {
    StrokeBench bench;
    DrawCell(bench, 6, crossing);
    ASSERT_GT(bench.Total(), 1.5f);  // a meridian and a parallel
  }
  for (float missing : {-1.0f, -2.0f}) {
    for (int32_t corner = 0; corner < 4; ++corner) {
      Cell cell = crossing;
      cell.u[corner] = cell.v[corner] = missing;
      StrokeBench bench;
      DrawCell(bench, 6, cell);
      EXPECT_EQ(bench.Total(), 0.0f) << missing << " at corner " << corner;
    }
  }
}

// The pass over a row reads the row above from parity 1 - p and this row
// from p, and splats into word r & 1 above and (r - 1) & 1 below.
TEST(Graticule, RowPassReadsBothParitiesAndFillsTheRowWords) {
  const int32_t width = 3;
  for (int32_t parity = 0; parity < 2; ++parity) {
    StrokeBench bench(width);
    bench.block->grid2 = 4;
    const float line = 5.0f / 18, h = 0.004f;
    for (ColumnRecord& r : bench.columns) {
      r.mapping[1 - parity].latU = r.mapping[parity].latU = 0.3f;
      r.mapping[1 - parity].latV = line - 0.25f * h;  // the line a quarter down the cell
      r.mapping[parity].latV = line + 0.75f * h;
    }
    const int32_t row = 3;
    DrawGridColumns(bench.g(), row, width, parity);
    // Each of the three cells adds a unit length at y = 0.25.
    const float above = 0.75f, below = 0.25f;
    EXPECT_NEAR(bench.Word(0, row & 1), 0.5f * above, 1e-3);
    EXPECT_NEAR(bench.Word(1, row & 1), above, 1e-3);
    EXPECT_NEAR(bench.Word(3, row & 1), 0.5f * above, 1e-3);
    EXPECT_NEAR(bench.Word(2, (row - 1) & 1), below, 1e-3);
    EXPECT_NEAR(bench.Total(), 3.0f, 3e-3);
  }
}

// --- dots and face centres ---

struct MarkBench : StrokeBench {
  std::unique_ptr<MappingContext> context = std::make_unique<MappingContext>();
  MarkBench() : StrokeBench(kWidth) { std::memset(static_cast<void*>(context.get()), 0, sizeof(MappingContext)); }
  // Corners D, C, B, A of the cell at kColumn, row parity 0.
  PixelMapping& Corner(int32_t q) {
    const int32_t record = kColumn + (q == 1 || q == 3 ? 1 : 0);
    const int32_t parity = q < 2 ? 1 : 0;
    return columns[size_t(record)].mapping[parity];
  }
  void Set(const float values[4], const int32_t statuses[4], int32_t kind, int32_t insideFlag = 1) {
    for (int32_t q = 0; q < 4; ++q) {
      PixelMapping& m = Corner(q);
      m.status = statuses[q];
      m.dotDist = kind == 0 ? values[q] : 1.0f;
      m.faceCentreDist = kind == 1 ? values[q] : 1.0f;
      m.faceCentreInside = insideFlag;
    }
  }
  void Draw(int32_t kind) { DrawMarkStrokesColumn(0, kRow, kColumn, kWidth, 0, 1, g(), context.get(), kind); }
};

TEST(MarkStrokes, DotAndFaceCentreOutlines) {
  constexpr int32_t M = kPixelMapped, O = kPixelOffMap, T = kPixelOffMapTab;
  struct Case {
    const char* label;
    int32_t kind;
    float values[4];
    int32_t statuses[4];
    int32_t insideFlag;
    int32_t contextMode;
    std::vector<Seg> segs;
    float weight;
  };
  // Dot values are squared chords to the nearest dot, outlined at 0.005;
  // face-centre values are signed, outlined at 0 with weight 0.3.
  const Case cases[] = {
      {"dot edge down the middle", 0, {0.0f, 0.01f, 0.0f, 0.01f}, {M, M, M, M}, 1, 0, {{0.5f, 0, 0.5f, 1}}, 1.0f},
      {"inside a dot", 0, {0.001f, 0.002f, 0.0f, 0.004f}, {M, M, M, M}, 1, 0, {}, 1.0f},
      {"outside every dot", 0, {0.0225f, 0.0225f, 0.0225f, 0.0225f}, {M, M, M, M}, 1, 0, {}, 1.0f},
      // The right corners are off the map (their stale value 1.0 is not
      // used): no outline along the map's edge.
      {"dot at the map's edge", 0, {0.001f, 1.0f, 0.001f, 1.0f}, {M, O, M, T}, 1, 0, {}, 1.0f},
      // D is off the map and takes C's value; B takes A's... A is mapped.
      {"off-map corner takes its neighbour", 0, {1.0f, 0.0f, 0.01f, 0.01f}, {O, M, M, M}, 1, 0,
       {{0, 0.5f, 1, 0.5f}}, 1.0f},
      {"every corner off the map", 0, {0.0f, 1.0f, 0.0f, 1.0f}, {O, O, T, O}, 1, 0, {}, 1.0f},
      {"brick preview draws no dots", 0, {0.0f, 0.01f, 0.0f, 0.01f}, {1, 2, 3, 4}, 1, 1, {}, 1.0f},
      {"face centre ring", 1, {-0.01f, 0.01f, -0.01f, 0.01f}, {M, M, M, M}, 1, 0, {{0.5f, 0, 0.5f, 1}}, 0.3f},
      {"face centre, A beyond the face", 1, {-0.01f, 0.01f, -0.01f, 0.01f}, {M, M, M, M}, 0, 0, {}, 0.3f},
  };
  for (const Case& c : cases) {
    MarkBench bench;
    bench.context->contextMode = c.contextMode;
    bench.Set(c.values, c.statuses, c.kind, c.insideFlag);
    bench.Draw(c.kind);
    ExpectCellCoverage(bench, kColumn, 0, 1, c.segs, c.weight, c.label);
  }
}

// --- region edges ---

TEST(RegionEdges, EveryCornerCase) {
  const float T = 0.3f, Bo = 0.6f, L = 0.4f, R = 0.7f;
  struct Case {
    const char* label;
    int32_t a, b, c, d;  // statuses
    std::vector<Seg> segs;
  };
  const Case cases[] = {
      {"0 one region", 1, 1, 1, 1, {}},
      {"1 D apart", 1, 1, 1, 2, {{0, L, T, 0}}},
      {"2 C apart", 1, 1, 2, 1, {{T, 0, 1, R}}},
      {"3 D = C", 1, 1, 2, 2, {{0, L, 1, R}}},
      {"3 D != C", 1, 1, 2, 3, {{0, L, 1, R}, {T, (L + R) / 2, T, 0}}},
      {"4 B apart", 1, 2, 1, 1, {{0, L, Bo, 1}}},
      {"5 D = B", 1, 2, 1, 2, {{T, 0, Bo, 1}}},
      {"5 D != B", 1, 2, 1, 3, {{T, 0, Bo, 1}, {0, L, (T + Bo) / 2, L}}},
      {"6 D = A", 1, 2, 3, 1, {{0, L, Bo, 1}, {T, 0, 1, R}}},
      {"7 D = C = B", 1, 2, 2, 2, {{Bo, 1, 1, R}}},
      {"7 B = C, D different", 1, 2, 2, 3, {{0, L, T, 0}, {Bo, 1, 1, R}}},
      {"7 D = C, B different", 1, 2, 3, 3, {{0, L, 1, R}, {Bo, (L + R) / 2, Bo, 1}}},
      {"7 D = B, C different", 1, 2, 3, 2, {{T, 0, Bo, 1}, {(T + Bo) / 2, R, 1, R}}},
      {"7 all different", 1, 2, 3, 4, {{T, 0, Bo, 1}, {0, L, 1, R}}},
  };
  for (const Case& c : cases) {
    StrokeBench bench;
    CornerSet corners{};
    corners.edgeTop = T;
    corners.edgeBottom = Bo;
    corners.edgeLeft = L;
    corners.edgeRight = R;
    corners.status[CornerA] = c.a;
    corners.status[CornerB] = c.b;
    corners.status[CornerC] = c.c;
    corners.status[CornerD] = c.d;
    DrawRegionEdges(&corners, bench.g(), kColumn, 2, 3, false);
    ExpectCellCoverage(bench, kColumn, 2, 3, c.segs, 1.0, c.label);
  }
}

// On the custom net a corner off the net counts as region 0: no edge between
// region 0 and the area off the net; region 1 still gets one there.
TEST(RegionEdges, OffTheCustomNetCountsAsRegionZero) {
  struct Case {
    int32_t a, d;
    bool customNet;
    bool edge;
  };
  const Case cases[] = {
      {0, kPixelOffMap, true, false},  {0, kPixelOffMapTab, true, false}, {1, kPixelOffMap, true, true},
      {0, kPixelOffMap, false, true},
  };
  for (const Case& c : cases) {
    StrokeBench bench;
    CornerSet corners{};
    corners.edgeTop = corners.edgeLeft = 0.5f;
    corners.status[CornerA] = corners.status[CornerB] = corners.status[CornerC] = c.a;
    corners.status[CornerD] = c.d;
    DrawRegionEdges(&corners, bench.g(), kColumn, 2, 3, c.customNet);
    EXPECT_EQ(bench.Total() > 0.0f, c.edge) << c.a << " " << c.d << " " << c.customNet;
  }
}

// With the edge positions left at 0 (the good and better previews) an edge
// runs along the pixel's top, its left side, or the bottom-left to
// top-right diagonal.
TEST(RegionEdges, PreviewEdgesFollowThePixelSides) {
  struct Case {
    const char* label;
    int32_t a, b, c, d;
    Seg seg;
  };
  const Case cases[] = {
      {"top", 1, 1, 2, 2, {0, 0, 1, 0}},
      {"left", 1, 2, 1, 2, {0, 0, 0, 1}},
      {"diagonal", 1, 2, 2, 3, {0, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    StrokeBench bench;
    CornerSet corners{};
    corners.status[CornerA] = c.a;
    corners.status[CornerB] = c.b;
    corners.status[CornerC] = c.c;
    corners.status[CornerD] = c.d;
    DrawRegionEdges(&corners, bench.g(), kColumn, 2, 3, false);
    ExpectCellCoverage(bench, kColumn, 2, 3, {c.seg}, 1.0, c.label);
  }
}

// --- the colour blends ---

TEST(ColourBlends, OverAndKeepAlpha) {
  {
    float d[4] = {1, 1, 1, 1};
    const float s[4] = {0, 0, 0, 0.25f};
    CompositeOver(s, d);
    EXPECT_FLOAT_EQ(d[0], 0.75f);
    EXPECT_FLOAT_EQ(d[3], 1.0f);
  }
  {
    // Half-opaque red over transparent stays pure red at alpha 0.5.
    float d[4] = {0, 0, 1, 0};
    const float s[4] = {1, 0, 0, 0.5f};
    CompositeOver(s, d);
    EXPECT_FLOAT_EQ(d[0], 1.0f);
    EXPECT_FLOAT_EQ(d[2], 0.0f);
    EXPECT_FLOAT_EQ(d[3], 0.5f);
  }
  {
    float d[4] = {0.2f, 0.4f, 0.6f, 0.5f};
    const float s[4] = {1, 1, 1, 0};
    CompositeOver(s, d);
    EXPECT_FLOAT_EQ(d[0], 0.2f);
    EXPECT_FLOAT_EQ(d[3], 0.5f);
    const float ink[4] = {0, 0, 0, 0.5f};
    BlendColourKeepAlpha(ink, d);
    EXPECT_FLOAT_EQ(d[0], 0.1f);
    EXPECT_FLOAT_EQ(d[2], 0.3f);
    EXPECT_FLOAT_EQ(d[3], 0.5f);
  }
}

}  // namespace
