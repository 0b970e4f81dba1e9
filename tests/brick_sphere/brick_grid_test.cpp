// The brick sphere's voxel model: grid sizes, the shell against a brute-force
// reference, colours from the source, the colour mask, error diffusion and
// the memory of the cell array.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "platform/global_heap.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "tests/brick_sphere/brick_fixture.h"

namespace {

// --- sizes ------------------------------------------------------------------------

TEST(BrickGridSize, SidesAndHeightsFollowTheLayers) {
  struct Case {
    int32_t layers;
    bool plates;
    int32_t side, height, cellHeight;
    float scale;  // of the view frames
  };
  const Case cases[] = {
      {3, true, 1, 3, 8, 1.6f},        // 1 x 1 x 3, as the plan's one-square layers
      {3, false, 3, 3, 24, 1.6f},      // 3 x 3 x 3
      {4, true, 1, 4, 8, 1.6f},        // 1.6 truncates to 1
      {5, true, 2, 5, 8, 1.25f},       // 2.0: trunc of the float product, not below
      {7, false, 8, 7, 24, 1.25f},     // 8.4
      {8, false, 9, 8, 24, 1.1f},      // 9.6
      {10, true, 4, 10, 8, 1.1f},
      {20, false, 24, 20, 24, 1.1f},   // the default
      {25, true, 10, 25, 8, 1.1f},
      {150, false, 180, 150, 24, 1.1f},  // the largest: 180 x 180 x 150
      {150, true, 60, 150, 8, 1.1f},
      // Clamped into 3..150.
      {2, false, 3, 3, 24, 1.6f},
      {0, true, 1, 3, 8, 1.6f},
      {-40, false, 3, 3, 24, 1.6f},
      {151, false, 180, 150, 24, 1.1f},
      {std::numeric_limits<int32_t>::max(), true, 60, 150, 8, 1.1f},
  };
  for (const Case& c : cases) {
    const std::string what = std::to_string(c.layers) + (c.plates ? " plates" : " bricks");
    BrickGrid grid{};
    InitBrickGrid(&grid, nullptr, c.layers, c.plates, 0, kBrickAllColours);
    EXPECT_EQ(grid.sizeX, c.side) << what;
    EXPECT_EQ(grid.sizeY, c.side) << what;
    EXPECT_EQ(grid.sizeZ, c.height) << what;
    EXPECT_EQ(grid.layers, c.height) << what;
    EXPECT_EQ(grid.cellHeight, c.cellHeight) << what;
    EXPECT_NE(grid.cells, nullptr) << what;
    EXPECT_EQ(BrickGridCellCount(&grid), int64_t(c.side) * c.side * c.height) << what;
    EXPECT_EQ(BrickGridBytes(c.layers, c.plates), int64_t(c.side) * c.side * c.height * 8) << what;
    for (float centre : grid.centre) EXPECT_EQ(centre, 0.5f) << what;
    for (int32_t v = 0; v < 4; ++v) {
      const Vec3f e = grid.viewEye[v], r = grid.viewRight[v], u = grid.viewUp[v];
      EXPECT_NEAR(std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z), c.scale, 1e-5) << what;
      EXPECT_NEAR(std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z), c.scale, 1e-5) << what;
      EXPECT_NEAR(r.x * e.x + r.y * e.y + r.z * e.z, 0, 1e-5) << what;  // right and up across the eye
      EXPECT_NEAR(u.x * e.x + u.y * e.y + u.z * e.z, 0, 1e-5) << what;
      EXPECT_EQ(r.z, 0.0f) << what;  // right stays level
      EXPECT_GT(u.z, 0.0f) << what;  // up points up the layers
    }
    // New cells are empty whatever the allocator held.
    int64_t dirty = 0;
    for (int64_t i = 0; i < BrickGridCellCount(&grid); ++i) {
      const BrickCell& cell = grid.cells[i];
      dirty += (cell.bits | cell.exposure | cell.error[0] | cell.error[1] | cell.error[2]) != 0;
    }
    EXPECT_EQ(dirty, 0) << what;
    FreeBrickGrid(&grid, nullptr);
    EXPECT_EQ(grid.cells, nullptr) << what;
    EXPECT_EQ(grid.cellsSlot, 0u) << what;
  }
  // Below three layers the side formula gives grids of side 0 (and 1), which
  // InitBrickGrid never makes since it clamps first.
  EXPECT_EQ(BrickGridSide(0, false), 0);
  EXPECT_EQ(BrickGridSide(2, true), 0);
  EXPECT_EQ(BrickGridSide(1, false), 1);
  EXPECT_EQ(BrickGridSide(-5, false), 0);
  EXPECT_EQ(BrickGridSide(3, true), 1);
  // The eyes of the four views.
  BrickGrid grid{};
  InitBrickGrid(&grid, nullptr, 9, 0, 0, kBrickAllColours);
  const float eyes[4][3] = {{1, 1, 1}, {-1, -1, 1}, {1, -1, -1}, {-1, 1, -1}};
  for (int32_t v = 0; v < 4; ++v) {
    EXPECT_EQ(grid.viewEye[v].x, eyes[v][0]);
    EXPECT_EQ(grid.viewEye[v].y, eyes[v][1]);
    EXPECT_EQ(grid.viewEye[v].z, eyes[v][2]);
  }
  FreeBrickGrid(&grid, nullptr);
}

// --- the shell ----------------------------------------------------------------------

// The reference: a cell is in the ball when its centre is strictly inside
// radius 0.5 of the unit grid (in double precision, which decides every cell
// of every allowed grid as exact arithmetic does); the shell is the ball cells
// with a non-ball cell (or the outside) among their 26 neighbours, the visible
// cells those with one among their six face neighbours.
struct ShellReference {
  int32_t nx, ny, nz;
  std::vector<uint8_t> ball, shell;

  ShellReference(int32_t x, int32_t y, int32_t z)
      : nx(x), ny(y), nz(z), ball(size_t(x) * y * z), shell(size_t(x) * y * z) {
    for (int32_t k = 0; k < nz; ++k) {
      for (int32_t j = 0; j < ny; ++j) {
        for (int32_t i = 0; i < nx; ++i) {
          const double cx = (i + 0.5) / nx - 0.5, cy = (j + 0.5) / ny - 0.5, cz = (k + 0.5) / nz - 0.5;
          ball[Index(i, j, k)] = cx * cx + cy * cy + cz * cz < 0.25;
        }
      }
    }
    for (int32_t k = 0; k < nz; ++k) {
      for (int32_t j = 0; j < ny; ++j) {
        for (int32_t i = 0; i < nx; ++i) {
          bool open = false;
          for (int32_t dk = -1; dk <= 1; ++dk)
            for (int32_t dj = -1; dj <= 1; ++dj)
              for (int32_t di = -1; di <= 1; ++di) open = open || !InBall(i + di, j + dj, k + dk);
          shell[Index(i, j, k)] = InBall(i, j, k) && open;
        }
      }
    }
  }
  bool Within(int32_t i, int32_t j, int32_t k) const { return i >= 0 && j >= 0 && k >= 0 && i < nx && j < ny && k < nz; }
  size_t Index(int32_t i, int32_t j, int32_t k) const { return (size_t(k) * ny + j) * nx + i; }
  bool InBall(int32_t i, int32_t j, int32_t k) const { return Within(i, j, k) && ball[Index(i, j, k)]; }
  bool Shell(int32_t i, int32_t j, int32_t k) const { return Within(i, j, k) && shell[Index(i, j, k)]; }
  bool Visible(int32_t i, int32_t j, int32_t k) const {
    return InBall(i, j, k) && (!InBall(i + 1, j, k) || !InBall(i - 1, j, k) || !InBall(i, j + 1, k) ||
                               !InBall(i, j - 1, k) || !InBall(i, j, k + 1) || !InBall(i, j, k - 1));
  }
  bool Near(int32_t i, int32_t j, int32_t k) const {
    for (int32_t dk = -1; dk <= 1; ++dk)
      for (int32_t dj = -1; dj <= 1; ++dj)
        for (int32_t di = -1; di <= 1; ++di)
          if (Shell(i + di, j + dj, k + dk)) return true;
    return false;
  }
};

TEST(BrickGridShell, ShellVisibleAndNearCellsMatchTheBruteForceReference) {
  struct Case {
    int32_t layers;
    bool plates;
  };
  const Case cases[] = {{3, true}, {4, true}, {3, false}, {5, true}, {7, false}, {20, false},
                        {33, true}, {61, false}, {150, true}, {150, false}};
  for (const Case& c : cases) {
    const std::string what = std::to_string(c.layers) + (c.plates ? " plates" : " bricks");
    BrickRig rig;
    rig.Build(c.layers, c.plates, false, kBrickAllColours, false);
    const BrickGrid& g = rig.grid;
    const ShellReference ref(g.sizeX, g.sizeY, g.sizeZ);
    int64_t shell = 0, visible = 0, hidden = 0, mismatches = 0;
    for (int32_t z = 0; z < g.sizeZ; ++z) {
      for (int32_t y = 0; y < g.sizeY; ++y) {
        for (int32_t x = 0; x < g.sizeX; ++x) {
          const bool filled = GetBrickCellColour(&g, x, y, z) != 0;
          const uint8_t flags = GetBrickCellFlags(&g, x, y, z);
          const bool isShell = ref.Shell(x, y, z), isVisible = ref.Visible(x, y, z);
          if (filled != isShell || ((flags & kBrickVisible) != 0) != isVisible ||
              ((flags & kBrickNearShell) != 0) != ref.Near(x, y, z)) {
            if (++mismatches < 5) ADD_FAILURE() << what << " cell " << x << "," << y << "," << z;
          }
          shell += isShell;
          visible += isVisible;
          hidden += isShell && !isVisible;
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << what;
    std::printf("%-12s %3d x %3d x %3d: %7lld shell cells, %7lld visible, %6lld hidden\n", what.c_str(), g.sizeX,
                g.sizeY, g.sizeZ, (long long)shell, (long long)visible, (long long)hidden);

    // The statistics: empty cells under 0, the shell under its colours.
    BrickStatistics stats{};
    CountBrickCells(&g, &stats);
    int64_t filled = 0, shown = 0;
    for (int32_t k = 1; k <= 12; ++k) {
      filled += stats.total[k];
      shown += stats.visible[k];
    }
    EXPECT_EQ(filled, shell) << what;
    EXPECT_EQ(shown, visible) << what;
    EXPECT_EQ(int64_t(stats.total[0]), BrickGridCellCount(&g) - shell) << what;
    EXPECT_EQ(stats.visible[0], 0u) << what;
    // Without a source every cell is light grey.
    EXPECT_EQ(int64_t(stats.total[kBrickFallbackColour]), shell) << what;
    // The work record's statistics are the same counts.
    CountBrickStatistics(&g, rig.globals.get());
    EXPECT_EQ(std::memcmp(&rig.work->brickStatistics, &stats, sizeof stats), 0) << what;
  }
}

// The sphere of one cell across: every one of its three cells lies in the
// ball and on its surface. Reading the first cell for neighbours outside the
// grid would find it filled and hollow the whole column.
TEST(BrickGridShell, AGridOneCellAcrossKeepsEveryCell) {
  BrickRig rig;
  rig.UniformSource({242, 0, 42, 255});
  rig.Build(3, true, false, kBrickAllColours);
  for (int32_t z = 0; z < 3; ++z) {
    EXPECT_EQ(GetBrickCellColour(&rig.grid, 0, 0, z), 4) << z;
    EXPECT_NE(GetBrickCellFlags(&rig.grid, 0, 0, z) & kBrickVisible, 0) << z;
  }
}

// --- cell reads ---------------------------------------------------------------------

TEST(BrickCellReads, CellsOutsideTheGridAreEmptyAndAbsentCellsReadLightGrey) {
  HandGrid h(2, 2, 2);
  h.Fill(0, 0, 0, 4, true);
  h.Fill(1, 0, 0, 2, false);
  h.At(0, 0, 0).bits |= kBrickNearShell;
  const BrickGrid* g = &h.grid;
  EXPECT_EQ(GetBrickCellColour(g, 0, 0, 0), 4);
  EXPECT_EQ(GetBrickCellFlags(g, 0, 0, 0), kBrickVisible | kBrickNearShell);
  const int32_t outside[][3] = {{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {2, 0, 0}, {0, 2, 0}, {0, 0, 2},
                                {std::numeric_limits<int32_t>::min(), 0, 0}, {0, 0, std::numeric_limits<int32_t>::max()}};
  for (const auto& p : outside) {
    EXPECT_EQ(GetBrickCellColour(g, p[0], p[1], p[2]), 0) << p[0] << "," << p[1] << "," << p[2];
    EXPECT_EQ(GetBrickCellFlags(g, p[0], p[1], p[2]), 0) << p[0] << "," << p[1] << "," << p[2];
    EXPECT_EQ(BrickCellAt(g, p[0], p[1], p[2]), nullptr);
  }
  // A corner cell has neighbours outside the grid: never enclosed.
  for (int32_t i = 0; i < 8; ++i) h.cells[size_t(i)].bits = 1;
  EXPECT_FALSE(IsBrickCellEnclosed(g, 0, 0, 0));
  EXPECT_FALSE(IsBrickCellEnclosed(g, 1, 1, 1));
  // Without a cell array every colour reads 7; a grid of side 0 has none.
  BrickGrid none{};
  EXPECT_EQ(GetBrickCellColour(&none, 0, 0, 0), 7);
  EXPECT_EQ(GetBrickCellColour(nullptr, 0, 0, 0), 7);
  HandGrid empty(0, 0, 3);
  EXPECT_EQ(empty.grid.cells, nullptr);
  BuildBrickGrid(&empty.grid, nullptr, nullptr);
  BrickStatistics stats;
  std::memset(&stats, 0xAB, sizeof stats);
  CountBrickCells(&empty.grid, &stats);
  for (int32_t k = 0; k < kBrickPaletteSize; ++k) EXPECT_EQ(stats.total[k] + stats.visible[k], 0u);
  EXPECT_FALSE(BrickGridRefused(&empty.grid));  // nothing to allocate is no refusal
}

// --- colours ------------------------------------------------------------------------

TEST(BrickPalette, NearestColourByMatchColourAndMask) {
  struct Case {
    int32_t r, g, b;
    uint32_t mask;
    int32_t colour;
  };
  const Case cases[] = {
      {0, 0, 0, kBrickAllColours, 1},              // black is colour 1 when allowed
      {0, 0, 0, kBrickAllColours & ~1u, 9},        // else brown (81, 43, 32) is nearest
      {255, 255, 255, 0x3F & ~16u, 6},             // white not allowed: yellow
      {128, 128, 128, kBrickAllColours, 12},       // green-gray (139, 172, 150)
      {100, 100, 100, kBrickAllColours, 8},
      {200, 30, 30, kBrickAllColours, 4},
      {157, 0, 17, kBrickAllColours, 4},           // as far from red as from brown: the lower index
      {105, 238, 221, kBrickAllColours, 7},        // as far from light grey as from green-gray
      {242, 0, 42, 0, 7},                          // no colour allowed
      {242, 0, 42, 0xF000, 7},                     // bits above the twelve colours allow nothing
      {242, 0, 42, 1u << 1, 2},                    // one colour allowed: that colour
      {-500, 9999, 100000, kBrickAllColours, 7},   // farther than any distance it weighs: light grey
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NearestBrickColour(c.r, c.g, c.b, c.mask), c.colour) << c.r << "," << c.g << "," << c.b << " / " << c.mask;
  }
  // Every match colour maps to itself.
  for (int32_t k = 1; k <= 12; ++k) {
    const BrickRgb m = BrickMatchRgb(k);
    EXPECT_EQ(NearestBrickColour(m.r, m.g, m.b, kBrickAllColours), k) << k;
  }
  // Indexes outside the palette read its ends.
  EXPECT_EQ(BrickLDrawCode(-3), 16);
  EXPECT_EQ(BrickLDrawCode(13), 10);
  EXPECT_STREQ(BrickColourName(7), "light grey");
  EXPECT_EQ(BrickDisplayRgb(0).r, 255);
}

// A source of one match colour gives every filled cell that colour, by vote
// and by diffusion (whose error is then zero), at every source depth.
TEST(BrickGridColours, UniformSourceColourGivesItsPaletteEntry) {
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    for (int32_t k = 1; k <= 12; ++k) {
      for (bool diffuse : {false, true}) {
        BrickRig rig;
        const BrickRgb m = BrickMatchRgb(k);
        rig.UniformSource({m.r, m.g, m.b, 255}, mode);
        rig.Build(7, false, diffuse, kBrickAllColours);
        BrickStatistics stats{};
        CountBrickCells(&rig.grid, &stats);
        uint32_t filled = 0;
        for (int32_t c = 1; c <= 12; ++c) filled += stats.total[c];
        EXPECT_GT(filled, 0u);
        EXPECT_EQ(stats.total[k], filled) << "mode " << mode << " colour " << k << (diffuse ? " diffused" : "");
      }
    }
  }
}

TEST(BrickGridColours, ColourMaskDecidesTheColoursUsed) {
  struct Case {
    const char* what;
    uint32_t mask;
    std::set<int32_t> allowed;
  };
  const Case cases[] = {
      {"no colour allowed: light grey", 0, {7}},
      {"one colour: that colour everywhere", 1u << 1, {2}},
      {"black and white", 1u | 16u, {1, 5}},
      {"the default six", 63, {1, 2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    for (bool diffuse : {false, true}) {
      BrickRig rig;
      // Longitude bands of several colours.
      rig.Source(48, 24, PixelRgba8, [](int32_t x, int32_t y) {
        return Rgba8{(x * 37) % 256, (y * 11) % 256, ((x + y) * 53) % 256, 255};
      });
      rig.Build(9, false, diffuse, c.mask);
      BrickStatistics stats{};
      CountBrickCells(&rig.grid, &stats);
      std::set<int32_t> used;
      for (int32_t k = 1; k <= 12; ++k) {
        if (stats.total[k] > 0) used.insert(k);
      }
      for (int32_t k : used) EXPECT_TRUE(c.allowed.count(k)) << c.what << (diffuse ? " diffused" : "") << ": " << k;
      if (c.allowed.size() == 1) {
        EXPECT_EQ(used, c.allowed) << c.what;
      }
    }
  }
}

// Samples of alpha 0 decide no colour: the cell is light grey with the
// average (193, 193, 193).
TEST(BrickGridColours, TransparentSourceGivesLightGrey) {
  BrickRig rig;
  rig.UniformSource({242, 0, 42, 0});
  InitBrickGrid(&rig.grid, rig.globals.get(), 5, 0, 0, kBrickAllColours);
  rig.grid.sample[0] = rig.grid.sample[1] = rig.grid.sample[2] = 1;
  EXPECT_EQ(ColourBrickCell(&rig.grid, rig.globals.get(), 2, 2, 2, &rig.rotation), 7);
  EXPECT_EQ(rig.grid.sample[0], 193);
  EXPECT_EQ(rig.grid.sample[1], 193);
  EXPECT_EQ(rig.grid.sample[2], 193);
  // An opaque source: the average of the samples and the majority colour.
  rig.UniformSource({240, 10, 40, 255});
  EXPECT_EQ(ColourBrickCell(&rig.grid, rig.globals.get(), 2, 2, 2, &rig.rotation), 4);
  EXPECT_EQ(rig.grid.sample[0], 240);
  EXPECT_EQ(rig.grid.sample[1], 10);
  EXPECT_EQ(rig.grid.sample[2], 40);
  // One sample of the source.
  EXPECT_EQ(SampleBrickColour(&rig.grid, rig.globals.get(), 0.1f, 0.2f, 0.0f, &rig.rotation), 4);
  EXPECT_EQ(rig.grid.sample[3], 255);
}

// The rotation turns the source under the grid: a source whose left half is
// red and right half blue gives the grid's +x side one colour and its -x side
// the other; turning by 180 degrees of longitude swaps them.
TEST(BrickGridColours, RotationTurnsTheSourceUnderTheGrid) {
  int32_t colourAt[2][2];  // [turned][side]
  for (int32_t turned = 0; turned < 2; ++turned) {
    BrickRig rig;
    rig.Source(64, 32, PixelRgba8, [](int32_t x, int32_t) {
      return x < 32 ? Rgba8{242, 0, 42, 255} : Rgba8{52, 77, 153, 255};
    });
    SetRotationFromAngles(turned ? 180.0f : 0.0f, 0, 0, &rig.rotation);
    rig.Build(10, false, false, kBrickAllColours);
    const int32_t mid = rig.grid.sizeY / 2, z = rig.grid.sizeZ / 2;
    colourAt[turned][0] = GetBrickCellColour(&rig.grid, mid, 0, z);
    colourAt[turned][1] = GetBrickCellColour(&rig.grid, mid, rig.grid.sizeY - 1, z);
  }
  EXPECT_NE(colourAt[0][0], colourAt[0][1]);
  EXPECT_TRUE((colourAt[0][0] == 2 || colourAt[0][0] == 4) && (colourAt[0][1] == 2 || colourAt[0][1] == 4));
  EXPECT_EQ(colourAt[1][0], colourAt[0][1]);
  EXPECT_EQ(colourAt[1][1], colourAt[0][0]);
}

// --- hidden cells ---------------------------------------------------------------------

TEST(BrickGridColours, HiddenCellsTakeTheMajorityOfTheirVisibleProbes) {
  HandGrid h(9, 9, 3);
  // Probes at x+1, x-2 red, y+3, y-1 blue; a hidden filled cell and cells
  // beyond the fourteen probes do not vote.
  h.Fill(5, 4, 1, 4, true);
  h.Fill(2, 4, 1, 4, true);
  h.Fill(4, 7, 1, 2, true);
  h.Fill(4, 3, 1, 2, true);
  h.Fill(4, 4, 2, 3, false);
  h.Fill(8, 4, 1, 3, true);
  h.Fill(5, 5, 1, 3, true);
  EXPECT_EQ(VoteHiddenCellColour(&h.grid, 4, 4, 1), 2);  // 2 : 2, the lower index wins
  h.Fill(4, 4, 0, 4, true);                               // z-1 adds a red vote
  EXPECT_EQ(VoteHiddenCellColour(&h.grid, 4, 4, 1), 4);
  // No visible probe at all: light grey; probes outside the grid count as empty.
  HandGrid lone(3, 3, 1);
  lone.Fill(1, 1, 0, 4, false);
  EXPECT_EQ(VoteHiddenCellColour(&lone.grid, 1, 1, 0), 7);
  EXPECT_EQ(VoteHiddenCellColour(&lone.grid, 0, 0, 0), 7);
}

// --- diffusion ------------------------------------------------------------------------

TEST(BrickGridDiffusion, SameSourceSameCells) {
  std::vector<uint8_t> first;
  for (int32_t run = 0; run < 2; ++run) {
    BrickRig rig;
    rig.Source(96, 48, PixelRgba8, [](int32_t x, int32_t y) {
      return Rgba8{(x * 5) % 256, (y * 9 + x) % 256, 128 + (x * y) % 100, 255};
    });
    rig.Build(14, false, true, 1u | 2u | 16u | 64u);
    const size_t bytes = size_t(BrickGridCellCount(&rig.grid)) * sizeof(BrickCell);
    std::vector<uint8_t> cells(bytes);
    std::memcpy(cells.data(), rig.grid.cells, bytes);
    if (run == 1) {
      EXPECT_EQ(cells, first) << "a second build of the same settings";
      break;
    }
    first = cells;
    // The diffusion fixed every visible cell and spread error around.
    int64_t quantised = 0, visible = 0, carrying = 0;
    for (int64_t i = 0; i < BrickGridCellCount(&rig.grid); ++i) {
      const BrickCell& c = rig.grid.cells[i];
      visible += (c.bits & kBrickVisible) != 0;
      quantised += (c.bits & (kBrickVisible | kBrickQuantised)) == (kBrickVisible | kBrickQuantised);
      carrying += c.error[0] != 0 || c.error[1] != 0 || c.error[2] != 0;
    }
    EXPECT_GT(visible, 0);
    EXPECT_EQ(quantised, visible);
    EXPECT_GT(carrying, 0);
  }
}

// The spread reaches only neighbours not yet fixed, by n * E * e / T with
// the quotient truncated toward zero, and accumulators stop at the ends of
// their 16 bits instead of wrapping.
TEST(BrickGridDiffusion, SpreadTruncatesAndSaturates) {
  struct Case {
    const char* what;
    uint32_t mask;     // the colour the cell takes; without a source its average is 193
    uint8_t ownExposure;
    uint8_t exposures[3];  // of (1,0,0), (0,1,0), (1,1,0); (0,0,1) is already fixed
    int16_t before[3];     // red accumulator of those three
    int16_t after[3];
  };
  const Case cases[] = {
      // Black: e = 193. T = 6: 6 * 6 * 193 / 6 = 1158 onto 32000 stops at 32767.
      {"up to the top", 1u, 6, {6, 0, 0}, {32000, 5, -7}, {32767, 5, -7}},
      // White: e = -62. T = 3: 1 * 1 * -62 / 3 = -20 (not -21); 2 * -62 / 3 = -41.
      {"truncated toward zero", 16u, 1, {1, 2, 0}, {0, 0, 0}, {-20, -41, 0}},
      // White, E = 6: 6 * 6 * -62 / 6 = -372 onto -32700 stops at -32768.
      {"down to the bottom", 16u, 6, {6, 0, 0}, {-32700, 0, 0}, {-32768, 0, 0}},
      // Nothing exposed around: nothing spread.
      {"no exposure around", 1u, 6, {0, 0, 0}, {1, 2, 3}, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    HandGrid h(2, 2, 2);
    h.grid.colourMask = c.mask;
    // Every cell filled, with the exposures the case gives (the rest 0);
    // (0,0,0) lies on the grid's corner, so it is never enclosed.
    for (BrickCell& cell : h.cells) cell.bits = 1;
    h.At(0, 0, 0).exposure = c.ownExposure;
    h.At(0, 0, 1).bits = 1 | kBrickQuantised;  // fixed already: neither in T nor given error
    h.At(0, 0, 1).exposure = 6;
    h.At(0, 0, 1).error[0] = 99;
    const int32_t at[3][3] = {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    for (int32_t i = 0; i < 3; ++i) {
      BrickCell& n = h.At(at[i][0], at[i][1], at[i][2]);
      n.exposure = c.exposures[i];
      n.error[0] = c.before[i];
    }
    DitherBrickCell(&h.grid, nullptr, 0, 0, 0, nullptr);
    EXPECT_EQ(h.At(0, 0, 0).bits & kBrickColourBits, c.mask == 1u ? 1 : 5) << c.what;
    EXPECT_NE(h.At(0, 0, 0).bits & kBrickQuantised, 0) << c.what;
    for (int32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(h.At(at[i][0], at[i][1], at[i][2]).error[0], c.after[i]) << c.what << " neighbour " << i;
    }
    EXPECT_EQ(h.At(0, 0, 1).error[0], 99) << c.what;
  }
}

// --- memory ---------------------------------------------------------------------------

// The cell array of the largest grid comes from the host's buffers, sized in
// 64 bits. When neither the host nor the global heap can give it, the grid is
// refused: no cells, nothing left allocated, and every reader does nothing.
TEST(BrickGridMemory, LargestGridIsSizedIn64BitsAndRefusedCleanly) {
  EXPECT_EQ(BrickGridBytes(kBrickLayersMax, false), int64_t(180) * 180 * 150 * 8);
  EXPECT_EQ(BrickGridBytes(std::numeric_limits<int32_t>::max(), false), int64_t(38880000));

  TestDocument doc = MakeTestDocument(8, 8, 3, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, TestHostOptions{});
  BrickRig rig;
  rig.record.bufferProcs = &host.bufferProcs;
  const int64_t heapBlocks = GlobalHeapLiveBlocks();

  // The host gives it.
  InitBrickGrid(&rig.grid, rig.globals.get(), 1000, 0, 0, kBrickAllColours);
  ASSERT_NE(rig.grid.cells, nullptr);
  EXPECT_NE(rig.grid.cellsSlot, 0u);
  EXPECT_EQ(host.liveBufferBytes, 38880000);
  EXPECT_EQ(LiveBufferCount(&host), 1);
  // A second set-up gives the first array back before taking a new one.
  InitBrickGrid(&rig.grid, rig.globals.get(), 150, 1, 0, kBrickAllColours);
  EXPECT_EQ(LiveBufferCount(&host), 1);
  EXPECT_EQ(host.liveBufferBytes, 60 * 60 * 150 * 8);
  FreeBrickGrid(&rig.grid, rig.globals.get());
  EXPECT_EQ(LiveBufferCount(&host), 0);

  // The host refuses; the global heap stands in.
  host.failBufferAllocationsAbove = 1 << 20;
  InitBrickGrid(&rig.grid, rig.globals.get(), 150, 0, 0, kBrickAllColours);
  ASSERT_NE(rig.grid.cells, nullptr);
  EXPECT_EQ(rig.grid.cellsSlot, 0u);
  EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocks + 1);
  FreeBrickGrid(&rig.grid, rig.globals.get());
  EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocks);

  // Neither can.
  GlobalHeapFailAllocationAt(1);
  InitBrickGrid(&rig.grid, rig.globals.get(), 150, 0, 0, kBrickAllColours);
  GlobalHeapFailAllocationAt(0);
  EXPECT_EQ(rig.grid.cells, nullptr);
  EXPECT_EQ(rig.grid.cellsSlot, 0u);
  EXPECT_TRUE(BrickGridRefused(&rig.grid));
  EXPECT_EQ(rig.grid.sizeX, 180);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocks);
  BuildBrickGrid(&rig.grid, rig.globals.get(), &rig.rotation);
  BrickStatistics stats{};
  CountBrickCells(&rig.grid, &stats);
  EXPECT_EQ(stats.total[0], 0u);
  FreeBrickGrid(&rig.grid, rig.globals.get());
  EXPECT_EQ(host.bufferMisuse, 0);
  ShutdownTestHost(&host);
}

}  // namespace
