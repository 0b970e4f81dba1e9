// Output 45, "brick preview", through the test host: the grid is built from
// the document, marched per pixel, shaded and given back at the end; a grid
// the host cannot give memory for fails the run with -108 and leaks nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "nets/brick_grid.h"
#include "platform/global_heap.h"
#include "tests/render/render_fixture.h"

namespace {

constexpr int32_t kBrickPreview = 45;

// 255 x shade, truncated, for sides 0..5.
constexpr int32_t kShadedRed[6] = {255, 216, 178, 63, 102, 140};
const std::set<int32_t> kViewSides[4] = {{1, 2, 3}, {0, 2, 4}, {3, 4, 5}, {0, 1, 5}};

TestDocument UniformDocument(int32_t size, int32_t depth, int32_t r, int32_t g, int32_t b) {
  TestDocument doc = MakeTestDocument(size, size, 3, depth, false);
  const double full = DocumentFullScale(doc);
  const int32_t rgb[3] = {r, g, b};
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x) {
      for (int16_t c = 0; c < 3; ++c) SetDocumentSample(doc, x, y, c, depth == 32 ? rgb[c] / 255.0 : rgb[c] / 255.0 * full);
    }
  }
  return doc;
}

void BrickSettings(ParameterBlock* b, int32_t layers, uint32_t colours) {
  b->outputProjection = kBrickPreview;
  b->brickLayers = layers;
  b->brickColorset = int32_t(colours);
  b->brickPlates = 0;
  b->brickDiffusion = 0;
  b->backdropRed = b->backdropGreen = b->backdropBlue = 0;
}

// A red document shows four red balls on black: the four views, each lit on
// the three sides its eye faces, the quadrants' corners the backdrop.
TEST(BrickPreviewRender, FourShadedViewsOfTheDocument) {
  for (int32_t depth : {8, 16}) {
    TestDocument doc = UniformDocument(96, depth, 242, 0, 42);
    RenderRun run;
    ASSERT_EQ(run.Render(&doc, [](ParameterBlock* b) { BrickSettings(b, 12, kBrickAllColours); }), kNoErr);
    const double full = DocumentFullScale(doc);
    for (int32_t view = 0; view < 4; ++view) {
      const int32_t x0 = (view & 1) * 48, y0 = (view >> 1) * 48;
      std::map<int32_t, int32_t> reds;  // 8-bit red -> pixels
      for (int32_t y = y0; y < y0 + 48; ++y) {
        for (int32_t x = x0; x < x0 + 48; ++x) {
          EXPECT_EQ(GetDocumentSample(doc, x, y, 1), 0) << depth << "-bit " << x << "," << y;
          EXPECT_EQ(GetDocumentSample(doc, x, y, 2), 0) << depth << "-bit " << x << "," << y;
          const int32_t red = int32_t(std::lround(GetDocumentSample(doc, x, y, 0) / full * 255));
          if (red > 0) reds[red] += 1;
        }
      }
      EXPECT_EQ(GetDocumentSample(doc, x0 + 1, y0 + 1, 0), 0) << "corner of view " << view;
      // The three commonest shades are the view's three sides.
      std::vector<std::pair<int32_t, int32_t>> byCount;
      for (const auto& [red, count] : reds) byCount.push_back({count, red});
      std::sort(byCount.rbegin(), byCount.rend());
      ASSERT_GE(byCount.size(), 3u) << view;
      std::set<int32_t> top, expected;
      for (int32_t i = 0; i < 3; ++i) top.insert(byCount[size_t(i)].second);
      for (int32_t side : kViewSides[view]) expected.insert(kShadedRed[side]);
      EXPECT_EQ(top, expected) << depth << "-bit view " << view;
    }
    EXPECT_EQ(LiveBufferCount(&run.host), 0);
    EXPECT_EQ(run.host.bufferMisuse, 0);
    EXPECT_EQ(LockedHandleCount(&run.host), 0);
  }
}

// The colour set reaches the grid: with blue the only colour, a red document
// is built of blue bricks; with no colour at all, of light grey ones.
TEST(BrickPreviewRender, ColourSetDecidesTheBricks) {
  struct Case {
    uint32_t colours;
    int32_t r, g, b;  // the display colour
  };
  for (const Case& c : {Case{1u << 1, 0, 0, 255}, Case{0u, 210, 210, 210}}) {
    TestDocument doc = UniformDocument(64, 8, 242, 0, 42);
    RenderRun run;
    ASSERT_EQ(run.Render(&doc, [&](ParameterBlock* b) { BrickSettings(b, 8, c.colours); }), kNoErr);
    int32_t bricks = 0;
    for (int32_t y = 0; y < 64; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        const double r = GetDocumentSample(doc, x, y, 0), g = GetDocumentSample(doc, x, y, 1),
                     b = GetDocumentSample(doc, x, y, 2);
        // Every pixel is the display colour times one factor: shade and coverage.
        const double k = std::max({r / std::max(c.r, 1), g / std::max(c.g, 1), b / std::max(c.b, 1)});
        EXPECT_NEAR(r, c.r * k, 1.0) << c.colours << " " << x << "," << y;
        EXPECT_NEAR(g, c.g * k, 1.0) << c.colours << " " << x << "," << y;
        EXPECT_NEAR(b, c.b * k, 1.0) << c.colours << " " << x << "," << y;
        bricks += k > 0;
      }
    }
    EXPECT_GT(bricks, 64 * 64 / 2) << c.colours;
  }
}

// The dialog's preview builds the grid for its render and gives it back.
TEST(BrickPreviewRender, PreviewBuildsAndFreesTheGrid) {
  TestDocument doc = UniformDocument(64, 8, 0, 143, 81);
  PreviewRun preview;
  preview.Open(&doc, 1, 3);
  GlobalsRecord* g = preview.Globals();
  BrickSettings(GetParameterBlock(g), 10, kBrickAllColours);
  RenderPreviewImage(g);
  EXPECT_EQ(preview.result, kNoErr);
  EXPECT_EQ(g->workRecord->brickGrid.cells, nullptr);
  EXPECT_EQ(g->workRecord->brickGrid.sizeZ, 10);
  int32_t green = 0;
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 64; ++x) green += preview.Out(x, y, 1) > 0 && preview.Out(x, y, 0) == 0;
  }
  EXPECT_GT(green, 64 * 64 / 2);
}

// The largest grid (180 x 180 x 150 cells of 8 bytes) asks for 38,880,000
// bytes. A host that cannot give that many has the global heap stand in;
// when that fails too, the run ends with -108 and gives back everything.
TEST(BrickPreviewRender, LargestGridTheHostCannotGiveFailsTheRunCleanly) {
  const int64_t heapBlocks = GlobalHeapLiveBlocks();
  for (bool heapFails : {false, true}) {
    TestDocument doc = UniformDocument(32, 8, 255, 255, 255);
    RenderRun run;
    const HostError result = run.Render(&doc, [&](ParameterBlock* b) {
      BrickSettings(b, 150, kBrickAllColours);
      run.host.failBufferAllocationsAbove = 16 << 20;
      GlobalHeapFailAllocationAt(heapFails ? 1 : 0);
    });
    GlobalHeapFailAllocationAt(0);
    EXPECT_EQ(result, heapFails ? kMemFullErr : kNoErr);
    EXPECT_EQ(LiveBufferCount(&run.host), 0) << heapFails;
    EXPECT_EQ(run.host.bufferMisuse, 0) << heapFails;
    EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocks) << heapFails;
    if (heapFails) {
      // The run stopped in its first row: the rows below keep the document.
      EXPECT_EQ(GetDocumentSample(doc, 8, 24, 0), 255);
    } else {
      // White bricks in the middle of the views, black corners.
      EXPECT_GT(GetDocumentSample(doc, 8, 8, 0), 0);
      EXPECT_GT(GetDocumentSample(doc, 24, 24, 0), 0);
      EXPECT_EQ(GetDocumentSample(doc, 0, 0, 0), 0);
    }
  }
}

}  // namespace
