// The brick preview's ray march and display colours, and the plan drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "nets/brick_preview.h"
#include "projection/output_pixel.h"
#include "tests/brick_sphere/brick_fixture.h"
#include "ui/dialog_services.h"
#include "ui/standin/dialog_standin.h"

namespace {

PixelMapping March(const BrickGrid* grid, int32_t view, float px, float py, bool* missed = nullptr) {
  PixelMapping m{};
  m.status = 12345;
  const bool miss = RayMarchBrickGrid(grid, BrickRay{view, px, py}, &m);
  if (missed) *missed = miss;
  return m;
}

// The sides a ray can cross in each view: its eye looks along -e, so it
// enters cells through the sides that face e.
const std::set<int32_t> kViewSides[4] = {
    {1, 2, 3},  // eye (1, 1, 1): moving -x (3), -y (1), -z (2)
    {0, 4, 2},  // eye (-1, -1, 1): +x (0), +y (4), -z (2)
    {3, 4, 5},  // eye (1, -1, -1): -x, +y, +z (5)
    {0, 1, 5},  // eye (-1, 1, -1): +x, -y, +z
};

TEST(BrickRayMarch, CentreRaysHitCornerRaysMissAndEachViewCrossesItsSides) {
  for (bool plates : {false, true}) {
    BrickRig rig;
    rig.UniformSource({242, 0, 42, 255});
    rig.Build(plates ? 30 : 20, plates, false, kBrickAllColours);
    for (int32_t view = 0; view < 4; ++view) {
      const std::string what = std::string(plates ? "plates" : "bricks") + " view " + std::to_string(view);
      bool missed = true;
      PixelMapping m = March(&rig.grid, view, 0, 0, &missed);
      EXPECT_FALSE(missed) << what;
      EXPECT_EQ(m.status / 6, 4) << what;  // red
      EXPECT_TRUE(kViewSides[view].count(m.status % 6)) << what << ": side " << m.status % 6;
      for (float cx : {-1.0f, 1.0f}) {
        for (float cy : {-1.0f, 1.0f}) {
          m = March(&rig.grid, view, cx, cy, &missed);
          EXPECT_TRUE(missed) << what << " corner " << cx << "," << cy;
          EXPECT_EQ(m.status, kPixelOffMap) << what;
        }
      }
      // Across the view, every side the eye faces shows, and no other.
      std::set<int32_t> sides;
      int32_t hits = 0, misses = 0;
      for (int32_t j = 0; j <= 40; ++j) {
        for (int32_t i = 0; i <= 40; ++i) {
          m = March(&rig.grid, view, i / 20.0f - 1, j / 20.0f - 1, &missed);
          if (missed) {
            EXPECT_EQ(m.status, kPixelOffMap);
            ++misses;
            continue;
          }
          ++hits;
          EXPECT_EQ(m.status / 6, 4) << what;
          sides.insert(m.status % 6);
        }
      }
      EXPECT_EQ(sides, kViewSides[view]) << what;
      EXPECT_GT(hits, 400) << what;
      EXPECT_GT(misses, 100) << what;
    }
  }
  // Out-of-range views are clamped: -3 looks as view 0, 9 as view 3.
  BrickRig rig;
  rig.UniformSource({52, 77, 153, 255});
  rig.Build(12, false, false, kBrickAllColours);
  for (float px : {-0.6f, 0.0f, 0.3f}) {
    EXPECT_EQ(March(&rig.grid, -3, px, 0.2f).status, March(&rig.grid, 0, px, 0.2f).status);
    EXPECT_EQ(March(&rig.grid, 9, px, 0.2f).status, March(&rig.grid, 3, px, 0.2f).status);
  }
}

// One filled cell in the middle of a 5 x 5 x 5 grid, against the exact
// crossing of each ray with the cell's box (the slab method): where the ray
// enters the box clear of an edge, the march hits and reports the side it
// came through; where the ray misses the box clearly, the march misses.
TEST(BrickRayMarch, TheSideCrossedMatchesTheRaysEntryIntoTheCell) {
  HandGrid h(5, 5, 5);
  h.Fill(2, 2, 2, 6, true);
  h.MarkNear(2, 2, 2);
  const float lo = -0.2f, hi = 0.2f;  // the middle cell of five spans -0.2..0.2 of -1..1
  const double margin = 0.1;          // two fine steps (1/8 cell each) in ray units
  for (int32_t view = 0; view < 4; ++view) {
    const Vec3f e = h.grid.viewEye[view], r = h.grid.viewRight[view], u = h.grid.viewUp[view];
    int32_t checkedHits = 0, checkedMisses = 0;
    std::set<int32_t> sides;
    for (int32_t j = 0; j <= 100; ++j) {
      for (int32_t i = 0; i <= 100; ++i) {
        const float px = i / 50.0f - 1, py = j / 50.0f - 1;
        const double p[3] = {1.2 * e.x + px * r.x + py * u.x, 1.2 * e.y + px * r.y + py * u.y,
                             1.2 * e.z + px * r.z + py * u.z};
        const double d[3] = {-e.x, -e.y, -e.z};
        double enter[3], exit[3];
        for (int32_t a = 0; a < 3; ++a) {
          const double t0 = (lo - p[a]) / d[a], t1 = (hi - p[a]) / d[a];
          enter[a] = std::min(t0, t1);
          exit[a] = std::max(t0, t1);
        }
        const int32_t axis = int32_t(std::max_element(enter, enter + 3) - enter);
        const double tEnter = enter[axis];
        const double tExit = std::min({exit[0], exit[1], exit[2]});
        double second = -1e9;
        for (int32_t a = 0; a < 3; ++a) {
          if (a != axis) second = std::max(second, enter[a]);
        }
        bool missed = false;
        const PixelMapping m = March(&h.grid, view, px, py, &missed);
        if (tExit - tEnter > margin && tEnter - second > margin) {
          // Coming down an axis enters through the upper side: -x is side 3,
          // -y side 1, -z side 2; going up: +x 0, +y 4, +z 5.
          const bool down = d[axis] < 0;
          const int32_t side = axis == 0 ? (down ? 3 : 0) : axis == 1 ? (down ? 1 : 4) : (down ? 2 : 5);
          ASSERT_FALSE(missed) << "view " << view << " at " << px << "," << py;
          EXPECT_EQ(m.status, 6 * 6 + side) << "view " << view << " at " << px << "," << py;
          sides.insert(side);
          ++checkedHits;
        } else if (tEnter - tExit > margin) {
          EXPECT_TRUE(missed) << "view " << view << " at " << px << "," << py;
          EXPECT_EQ(m.status, kPixelOffMap);
          ++checkedMisses;
        }
      }
    }
    EXPECT_EQ(sides, kViewSides[view]) << view;
    EXPECT_GT(checkedHits, 50) << view;
    EXPECT_GT(checkedMisses, 1000) << view;
  }
}

TEST(BrickRayMarch, NoGridNoCellsOrAnEmptyGridMiss) {
  EXPECT_EQ(March(nullptr, 0, 0, 0).status, kPixelOffMap);
  BrickGrid none{};
  none.sizeX = none.sizeY = none.sizeZ = 5;
  bool missed = false;
  EXPECT_EQ(March(&none, 1, 0, 0, &missed).status, kPixelOffMap);
  EXPECT_TRUE(missed);
  // Cells, all empty: the ray goes through the grid and out.
  HandGrid empty(6, 6, 5);
  for (int32_t view = 0; view < 4; ++view) {
    EXPECT_EQ(March(&empty.grid, view, 0.1f, -0.2f, &missed).status, kPixelOffMap);
    EXPECT_TRUE(missed);
  }
  // A grid of side 0 has no cells.
  HandGrid flat(0, 0, 3);
  EXPECT_EQ(March(&flat.grid, 0, 0, 0).status, kPixelOffMap);
}

// status = colour x 6 + side; each channel trunc(display x shade) / 255.
TEST(BrickDisplay, ShadedDisplayColours) {
  struct Case {
    int32_t status;
    float r, g, b;
  };
  const Case cases[] = {
      {4 * 6 + 0, 255, 0, 0},                  // red, side 0: full
      {4 * 6 + 3, 63, 0, 0},                   // 255 x 0.25 = 63.75
      {6 * 6 + 1, 216, 189, 0},                // yellow x 0.85: 216.75, 189.55
      {11 * 6 + 2, 142, 119, 71},              // tan x 0.7: 142.8, 119, 71.4
      {1 * 6 + 4, 20, 20, 20},                 // black's display 50 x 0.4
      {12 * 6 + 5, 76, 94, 82},                // green-gray x 0.55: 76.45, 94.6, 82.5
      {0, 255, 255, 255},                      // colour 0: the empty entry
      {13 * 6 + 1, 118, 146, 127},             // colours above 12 read 12 (x 0.85)
  };
  for (const Case& c : cases) {
    float rgba[4] = {-1, -1, -1, -1};
    BrickDisplayColour(c.status, rgba);
    EXPECT_EQ(rgba[0], c.r / 255.0f) << c.status;
    EXPECT_EQ(rgba[1], c.g / 255.0f) << c.status;
    EXPECT_EQ(rgba[2], c.b / 255.0f) << c.status;
    EXPECT_EQ(rgba[3], 1.0f) << c.status;
  }
  float untouched[4] = {0.5f, 0.5f, 0.5f, 0.5f};
  BrickDisplayColour(-5, untouched);
  BrickDisplayColour(-1, untouched);
  for (float v : untouched) EXPECT_EQ(v, 0.5f);
}

// --- the plan ---------------------------------------------------------------------------

// A 2 x 2 layer: (0,0) empty, (1,0) and (1,1) red and visible, (0,1) blue and
// hidden. K black, g light grey (230), W white, R red, B blue.
const char* const kTinyPlan[19] = {
    "gggggggggKKKKKKKKKK",  //
    "gWWWWWWWWKRRRRRRRRK", "gWWWWWWWWKRRRRRRRRK", "gWWWWWWWWKRRRRRRRRK", "gWWWWWWWWKRRRRRRRRK",
    "gWWWWWWWWKRRRRRRRRK", "gWWWWWWWWKRRRRRRRRK", "gWWWWWWWWKRRRRRRRRK", "gWWWWWWWWKRRRRRRRRK",
    "KKKKKKKKKKKKKKKKKKK",  //
    "KBBBBBBBBKRRRRRRRRK", "KBBBBBBBBKRRRRRRRRK", "KBBBBBBBBKRRRRRRRRK", "KBBBKKBBBKRRRRRRRRK",
    "KBBBKKBBBKRRRRRRRRK", "KBBBBBBBBKRRRRRRRRK", "KBBBBBBBBKRRRRRRRRK", "KBBBBBBBBKRRRRRRRRK",
    "KKKKKKKKKKKKKKKKKKK",
};

int32_t Channel(char key, int32_t channel) {
  switch (key) {
    case 'K': return 0;
    case 'g': return 230;
    case 'W': return 255;
    case 'R': return channel == 0 ? 255 : 0;
    case 'B': return channel == 2 ? 255 : 0;
  }
  return -1;
}

TEST(BrickPlan, PixelsOfATinyLayerInEveryPixelMode) {
  HandGrid h(2, 2, 1);
  h.Fill(1, 0, 0, 4, true);
  h.Fill(0, 1, 0, 2, false);
  h.Fill(1, 1, 0, 4, true);
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    ImageRecord image;
    InitImageRecord(&image, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&image, 19, 19, mode, FetchClamp, 0));
    for (int32_t pass = 0; pass < 2; ++pass) {
      for (int32_t y = 0; y < 2; ++y) {
        for (int32_t x = 0; x < 2; ++x) DrawBrickPlanCell(&h.grid, &image, x, y, 0, pass == 1);
      }
    }
    for (int32_t y = 0; y < 19; ++y) {
      for (int32_t x = 0; x < 19; ++x) {
        uint32_t v[4];
        GetPixelRgba(x, y, &image, 0, &v[0], &v[1], &v[2], &v[3]);
        for (int32_t c = 0; c < 4; ++c) {
          const int32_t byte = c == 3 ? 255 : Channel(kTinyPlan[y][x], c);
          uint32_t want = uint32_t(byte);
          if (mode == PixelRgba16) {
            // 16 bits: v < 255 is (v << 7) | (v >> 1), 255 is 32768.
            want = byte == 255 ? 32768u : (uint32_t(byte) << 7) | (uint32_t(byte) >> 1);
          } else if (mode == PixelRgbaFloat) {
            const float f = float(byte * 0.003921568627451);
            std::memcpy(&want, &f, 4);
          }
          ASSERT_EQ(v[c], want) << "mode " << mode << " pixel " << x << "," << y << " channel " << c;
        }
      }
    }
    FreeImageRecord(&image);
  }
  // The 16-bit values of the plan's greys, by hand.
  EXPECT_EQ((230u << 7) | (230u >> 1), 29555u);
}

// The plan of a 3-layer plate sphere: one 10 x 10 square per layer, each cell
// filled and visible in the source's colour; the last layer counts the
// statistics and gives the grid back.
TEST(BrickPlan, LayersOfAPlateSphere) {
  BrickRig rig;
  rig.UniformSource({0, 143, 81, 255});
  rig.block.brickLayers = 3;
  rig.block.brickPlates = 1;
  rig.block.brickColorset = int32_t(kBrickAllColours);
  uint8_t cancelled = 0;
  for (int32_t layer = 1; layer <= 3; ++layer) {
    ImageRecord image;
    InitImageRecord(&image, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&image, 10, 10, PixelRgba8, FetchClamp, 0));
    RenderBrickPlanLayer(rig.globals.get(), &image, layer, &cancelled, &rig.grid);
    for (int32_t y = 0; y < 10; ++y) {
      for (int32_t x = 0; x < 10; ++x) {
        uint32_t r, g, b, a;
        GetPixelRgba(x, y, &image, 0, &r, &g, &b, &a);
        const bool outline = x == 0 || y == 0 || x == 9 || y == 9;
        EXPECT_EQ(r, 0u) << layer;
        EXPECT_EQ(g, outline ? 0u : 150u) << layer << " " << x << "," << y;
        EXPECT_EQ(b, outline ? 0u : 80u) << layer << " " << x << "," << y;
        EXPECT_EQ(a, 255u);
      }
    }
    FreeImageRecord(&image);
    EXPECT_EQ(rig.grid.cells == nullptr, layer == 3) << layer;
  }
  EXPECT_EQ(cancelled, 0);
  EXPECT_EQ(rig.work->brickStatistics.total[3], 3u);
  EXPECT_EQ(rig.work->brickStatistics.visible[3], 3u);
  EXPECT_EQ(rig.work->brickStatistics.total[0], 0u);
  // Without an image a layer only reports progress.
  RenderBrickPlanLayer(rig.globals.get(), nullptr, 1, &cancelled, &rig.grid);
  EXPECT_EQ(rig.grid.cells, nullptr);
}

HostBoolean AbortNow() { return 1; }

int32_t IgnoreEvents(void*, const DialogPort*, const DialogEvent*) { return 0; }

TEST(BrickPlan, AnAbortCancelsAndGivesTheGridBack) {
  BrickRig rig;
  rig.UniformSource({255, 255, 255, 255});
  rig.block.brickLayers = 6;
  rig.record.abortProc = AbortNow;
  rig.work->abortTick = 31;  // the next abort test asks the host
  ImageRecord image;
  InitImageRecord(&image, nullptr, nullptr);
  ASSERT_TRUE(CreateImageRecord(&image, 9 * 7 + 1, 9 * 7 + 1, PixelRgba8, FetchClamp, 0));
  ResetStandIn();
  StandInDialog* progress = OpenStandInDialog("VASTO_PROGRESS", IgnoreEvents, nullptr);
  GetDialogModuleState().progressWindow = &progress->port;
  uint8_t cancelled = 0;
  RenderBrickPlanLayer(rig.globals.get(), &image, 1, &cancelled, &rig.grid);
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(rig.grid.cells, nullptr);
  EXPECT_EQ(FindStandInItem(progress, 2)->text, "Cancelling...");
  GetDialogModuleState().progressWindow = nullptr;
  CloseStandInDialog(progress);
  ResetStandIn();
  // The layer was drawn before the abort: a white cell in the middle.
  uint32_t r, g, b, a;
  GetPixelRgba(9 * 3 + 4, 9 * 3 + 2, &image, 0, &r, &g, &b, &a);
  EXPECT_EQ(r, 250u);
  FreeImageRecord(&image);
}

}  // namespace
