// The catalogue step of the flat layouts and the face-map tables they read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "image/image_record.h"
#include "nets/catalogue_flat_layouts.h"
#include "nets/poly_mesh.h"
#include "projection/lookup_grid.h"
#include "projection/mapping_context.h"
#include "projection/net_face_maps.h"

namespace {

struct LayoutCounts {
  int32_t net;
  int32_t faces;
  int32_t netPoints;  // highest net point named by the faces
};

// Face and net-point counts of the catalogue entries.
constexpr LayoutCounts kCounts[] = {
    {30, 20, 16}, {31, 10, 15}, {32, 12, 10}, {33, 6, 7}, {35, 12, 11},
    {36, 24, 19}, {63, 24, 19}, {37, 12, 13}, {40, 20, 19}, {41, 24, 23}, {58, 16, 18},
    // the conformal tetrahedral and the Reuleaux layouts
    {38, 24, 19}, {39, 24, 19}, {52, 6, 7}, {53, 12, 13}, {54, 24, 19}, {55, 48, 43}, {56, 48, 45},
    {43, 48, 37}, {61, 48, 37},
    {34, 4, 10},  // the rhombus of rhombus 2: its net points, of which it names the first ten
    {42, 36, 33}, {68, 36, 31}, {69, 36, 33}, {59, 8, 9},
    // cube-face layouts: the points of their unfolded squares
    {46, 48, 39}, {64, 48, 39}, {57, 24, 21}, {47, 24, 21}, {51, 24, 21}, {60, 96, 83}, {62, 96, 64},
};

TEST(FlatLayoutCatalogue, EntriesLoadWithTheirCountsAndOptions) {
  auto mesh = std::make_unique<PolyMesh>();
  for (const LayoutCounts& c : kCounts) {
    ResetPolyMesh(mesh.get());
    ASSERT_TRUE(LoadFlatLayout(mesh.get(), c.net, nullptr)) << c.net;
    EXPECT_EQ(mesh->netNumber, c.net);
    EXPECT_EQ(mesh->faceCount, c.faces) << c.net;
    EXPECT_EQ(mesh->netFaceCount, c.faces) << c.net;
    EXPECT_EQ(mesh->netPointTotal, c.netPoints) << c.net;
    EXPECT_EQ(mesh->renderPointCount, c.netPoints) << c.net;
    EXPECT_EQ(mesh->noCornerTriangles, 1);
    EXPECT_EQ(mesh->regionFromTriangle, 1);
    EXPECT_EQ(mesh->tablesOwned, 0);
    EXPECT_NE(mesh->flatVertexMap, nullptr);
    EXPECT_EQ(mesh->faceVertexLists, nullptr);
    for (int32_t f = 0; f < c.faces; ++f) {
      EXPECT_EQ(mesh->faces[f].netPointCount, 3) << c.net << " face " << f;
      for (int k = 0; k < 3; ++k) {
        EXPECT_GE(mesh->faces[f].netPoint[k], 0);
        EXPECT_LT(mesh->faces[f].netPoint[k], c.netPoints);
      }
    }
    EXPECT_TRUE(NetHasFaceMap(c.net));
    const bool half = c.net == 47 || c.net == 51 || c.net == 57;
    EXPECT_EQ(mesh->halfScale, half ? 1 : 0) << c.net;
    EXPECT_EQ(mesh->netScale, half ? 0.5 : 1.0) << c.net;
  }
  ResetPolyMesh(mesh.get());
  EXPECT_FALSE(LoadFlatLayout(mesh.get(), 16, nullptr));  // a solid, not a flat layout
}

TEST(FlatLayoutCatalogue, SharedEntriesShareTheirTables) {
  EXPECT_EQ(FindFlatLayout(30)->netPoints, FindFlatLayout(31)->netPoints);
  EXPECT_EQ(FindFlatLayout(32)->faceLists, FindFlatLayout(33)->faceLists);
  // the astercurves' 6-star is the 6-star's faces placed anew, each corner
  // keeping its direction
  ASSERT_EQ(FindFlatLayout(36)->netPointCount, FindFlatLayout(63)->netPointCount);
  for (int32_t i = 0; i < 3 * FindFlatLayout(36)->netPointCount; ++i) {
    EXPECT_EQ(FindFlatLayout(36)->directions[i], FindFlatLayout(63)->directions[i]) << i;
  }
  for (int32_t i = 0; i < 4 * FindFlatLayout(36)->faceCount; ++i) {
    EXPECT_EQ(FindFlatLayout(36)->faceLists[i], FindFlatLayout(63)->faceLists[i]) << i;
  }
  EXPECT_NE(FindFlatLayout(36)->directions, FindFlatLayout(37)->directions);
  EXPECT_EQ(FindFlatLayout(43)->faceLists, FindFlatLayout(61)->faceLists);
  // the phenyl cross draws the phenathene's faces anew: every face keeps the
  // directions of its corners
  ASSERT_EQ(FindFlatLayout(42)->faceCount, FindFlatLayout(68)->faceCount);
  for (int32_t f = 0; f < FindFlatLayout(42)->faceCount; ++f) {
    for (int32_t k = 0; k < 3; ++k) {
      const int32_t a = FindFlatLayout(42)->faceLists[4 * f + k] - 1, b = FindFlatLayout(68)->faceLists[4 * f + k] - 1;
      for (int32_t j = 0; j < 3; ++j) {
        EXPECT_NEAR(FindFlatLayout(42)->directions[3 * a + j], FindFlatLayout(68)->directions[3 * b + j], 1e-4)
            << "face " << f << " corner " << k;
      }
    }
  }
  EXPECT_EQ(FindFlatLayout(46)->faceLists, FindFlatLayout(64)->faceLists);
  EXPECT_EQ(FindFlatLayout(47)->faceLists, FindFlatLayout(51)->faceLists);
  // the trident draws its own wedge of the cube rather than the waffle
  EXPECT_NE(FindFlatLayout(60)->faceLists, FindFlatLayout(62)->faceLists);
  for (int32_t net : {46, 64, 57, 47, 51, 60, 62}) {
    EXPECT_EQ(FindFlatLayout(net)->mirrorX, 1) << net;
    EXPECT_EQ(FindFlatLayout(net)->table, FaceMapTableOfNet(net)) << net;
  }
}

// Rhombus 1 is drawn on the net points of rhombus 2: the same positions.
TEST(FlatLayoutCatalogue, RhombusOneLiesOnTheNetPointsOfRhombusTwo) {
  const FlatLayoutTables& one = *FindFlatLayout(34);
  const FlatLayoutTables& two = *FindFlatLayout(35);
  ASSERT_EQ(one.netPointCount, two.netPointCount);
  for (int32_t i = 0; i < 2 * one.netPointCount; ++i) EXPECT_EQ(one.netPoints[i], two.netPoints[i]) << i;
}

bool IsSectorLayout(int32_t net) { return net >= 52 && net <= 56; }

// Net points lie in net units: the layout spans 0..1 across.
TEST(FlatLayoutCatalogue, NetPointsSpanTheUnitWidth) {
  for (int32_t i = 0; i < FlatLayoutCount(); ++i) {
    const FlatLayoutTables& layout = *FlatLayoutAt(i);
    double lo = 1e9, hi = -1e9;
    for (int32_t p = 0; p < layout.netPointCount; ++p) {
      lo = std::min(lo, layout.netPoints[2 * p]);
      hi = std::max(hi, layout.netPoints[2 * p]);
      const double* d = layout.directions + 3 * layout.flatVertexMap[p];
      // The sector layouts' 3-D points are plane points of their group's triangle.
      if (IsSectorLayout(layout.net)) continue;
      if (layout.table == 2) {
        // the cube-face warp blends points of the cube [-1, 1]^3
        const double m = std::max({std::fabs(d[0]), std::fabs(d[1]), std::fabs(d[2])});
        EXPECT_NEAR(m, 1.0, 1e-12) << layout.net << " point " << p;
        continue;
      }
      EXPECT_NEAR(d[0] * d[0] + d[1] * d[1] + d[2] * d[2], 1.0, 1e-6) << layout.net << " point " << p;
    }
    EXPECT_NEAR(lo, 0.0, 1e-9) << layout.net;
    EXPECT_NEAR(hi, 1.0, 1e-9) << layout.net;
  }
}

struct KnownCell {
  int32_t table;
  float b0, b2;
  float re, im, tolerance;
};

// Cells the tables must hold: the stated first cells, the fan's pole at
// corner 0 and its rim corners.
constexpr KnownCell kKnownCells[] = {
    {3, 0, 0, -1.0f, 0.0f, 1e-5f},
    {3, 1.0f / 49, 0, -0.97588f, 0.0f, 1.2e-3f},  // the exact conformal map gives -0.97473
    {3, 1, 0, 0.0f, 0.0f, 1e-6f},
    {3, 0, 1, -0.80902f, 0.58779f, 1e-5f},  // rim at 144 degrees
    {4, 0, 0, -1.0f, 0.0f, 1e-5f},
    {4, 0, 1, -0.5f, 0.86603f, 1e-5f},
    {5, 0, 0, 0.86603f, 0.5f, 1e-5f},
    {5, 0, 1, 1.0f, 0.0f, 1e-5f},
    {5, 1, 0, 0.0f, 0.0f, 1e-6f},
    {9, 0, 0, 0.70711f, 0.70711f, 1e-5f},
    {9, 0, 1, 1.0f, 0.0f, 1e-5f},
};

TEST(FaceMapTables, LoadAndHoldTheirKnownCells) {
  ImageRecord grid;
  InitImageRecord(&grid, nullptr, nullptr);
  ASSERT_TRUE(CreateImageRecord(&grid, 50, 50, PixelRgbaFloat, FetchClamp, 0));
  for (const KnownCell& c : kKnownCells) {
    const Complex p{c.b0, c.b2};
    const Complex w = LookupGridPair(&p, &grid, c.table);
    EXPECT_EQ(grid.gridId, c.table);
    EXPECT_NEAR(w.re, c.re, c.tolerance) << "table " << c.table << " at (" << c.b0 << ", " << c.b2 << ")";
    EXPECT_NEAR(w.im, c.im, c.tolerance) << "table " << c.table << " at (" << c.b0 << ", " << c.b2 << ")";
  }
  // Inside the triangle every value lies in the closed unit disc and in its
  // sector: the fan covers its hemisphere once.
  for (int32_t table : {3, 4, 5, 9}) {
    for (int y = 0; y < 50; ++y) {
      for (int x = 0; x + y < 50; ++x) {
        const Complex p{x / 49.0, y / 49.0};
        const Complex w = LookupGridPair(&p, &grid, table);
        EXPECT_LE(w.re * w.re + w.im * w.im, 1.0 + 1e-5) << "table " << table << " cell " << x << ", " << y;
        if (table == 5 || table == 9) EXPECT_GE(w.im, -1e-6);
      }
    }
  }
  FreeImageRecord(&grid);
}

}  // namespace


