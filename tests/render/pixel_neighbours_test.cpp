// The neighbour points of one output pixel that set its sampling footprint:
// which three of the four diagonal neighbours stand in, how a missing one is
// mirrored through the pixel, and how a step across the source's seam is
// taken the short way round.
#include <gtest/gtest.h>

#include <cmath>

#include "host/globals_record.h"
#include "image/image_record.h"
#include "projection/output_pixel.h"
#include "render/band_scheduler.h"
#include "render/pixel_renderer.h"
#include "render/render_band.h"
#include "render/render_run.h"
#include "render/row_pipeline.h"
#include "render/row_renderer.h"
#include "render/worker_pool.h"
#include "render/source_acquisition.h"
#include "tests/render/render_fixture.h"

namespace {

// An equirectangular document shown as equirectangular, turned by
// `longitude` degrees, with the band of a one-thread render prepared.
struct NeighbourRun {
  TestDocument doc;
  PreviewRun preview;
  GlobalsRecord* g = nullptr;
  ImageRecord source{};
  RenderBand* band = nullptr;

  NeighbourRun(int32_t width, int32_t height, float longitude, int32_t fetchEdgeMode) {
    SetRenderThreadCount(1);
    doc = MakeTestDocument(width, height, 3, 8, false);
    preview.Open(&doc, 1, 3);
    g = preview.Globals();
    ParameterBlock* block = GetParameterBlock(g);
    block->longitude = longitude;
    block->longitudeInteger = int32_t(longitude);
    PrepareRender(g);
    g->currentRow = 0;
    RenderOutputRow(g);
    band = SequentialPipelineBand();
    InitImageRecord(&source, nullptr, nullptr);
    source.fetchEdgeMode = fetchEdgeMode;
  }
  ~NeighbourRun() {
    StopRowPipeline();
    SetRenderThreadCount(0);
  }
  // The mapping of (x, y) and its six neighbour values.
  PixelMapping Neighbours(float x, float y, float six[6]) {
    PixelMapping m{};
    MapPixelNeighbours(x, y, 1, 0, 0, &band->share->target, &band->context, &source, &m, six, &band->band);
    return m;
  }
  PixelMapping Map(float x, float y) {
    PixelMapping m{};
    MapOutputPixel(x, y, 1, 0, 0, &band->share->target, &band->context, &m, &band->band);
    return m;
  }
};

TEST(PixelNeighbours, WhichNeighboursStandInAndHowMissingOnesAreMirrored) {
  // Pixel (x, y) of the 64 x 32 output maps at nx = (x + 1)/64, ny = (y + 1)/32.
  NeighbourRun run(64, 32, 0, FetchClamp);
  struct Case {
    const char* what;
    float x, y;
    // Each returned point as (neighbour dx, dy, mirrored through P).
    float points[3][3];
  };
  const Case cases[] = {
      // Inside: (+1/2, -1/2), P mirrored from it, and (+1/2, +1/2).
      {"inside", 20, 10, {{0.5f, -0.5f, 0}, {0.5f, -0.5f, 1}, {0.5f, 0.5f, 0}}},
      // The top row: (+1/2, -1/2) is above the map, so (-1/2, +1/2) stands in.
      {"top edge", 20, -0.75f, {{-0.5f, 0.5f, 1}, {-0.5f, 0.5f, 0}, {0.5f, 0.5f, 0}}},
      // The right column: both right neighbours are off the map; the left
      // ones are mirrored.
      {"right edge", 62.75f, 10, {{-0.5f, 0.5f, 1}, {-0.5f, 0.5f, 0}, {-0.5f, -0.5f, 1}}},
      // The bottom row: (+1/2, -1/2) and the mirror of (-1/2, -1/2).
      {"bottom edge", 20, 30.75f, {{0.5f, -0.5f, 0}, {0.5f, -0.5f, 1}, {-0.5f, -0.5f, 1}}},
  };
  for (const Case& c : cases) {
    float six[6];
    const PixelMapping p = run.Neighbours(c.x, c.y, six);
    ASSERT_EQ(p.status, kPixelMapped) << c.what;
    for (int32_t k = 0; k < 3; ++k) {
      const PixelMapping n = run.Map(c.x + c.points[k][0], c.y + c.points[k][1]);
      ASSERT_EQ(n.status, kPixelMapped) << c.what << " point " << k;
      const bool mirrored = c.points[k][2] != 0;
      const float u = mirrored ? 2 * p.srcX - n.srcX : n.srcX;
      const float v = mirrored ? 2 * p.srcY - n.srcY : n.srcY;
      EXPECT_NEAR(six[2 * k], u, 1e-6f) << c.what << " point " << k;
      EXPECT_NEAR(six[2 * k + 1], v, 1e-6f) << c.what << " point " << k;
    }
  }
  // A pixel with neither diagonal pair on the map: a corner pixel whose only
  // mapped neighbour is (-1/2, +1/2) has nothing to pair it with.
  float six[6];
  const PixelMapping corner = run.Neighbours(62.75f, -0.75f, six);
  ASSERT_EQ(corner.status, kPixelMapped);
  for (const float value : six) EXPECT_EQ(value, -1.0f);
}

// With the view turned half a turn the source's seam (u = 0 and 1) runs
// down the middle of the output. A neighbour across it is mirrored the short
// way round when the source wraps in u, and straight through when it does
// not.
TEST(PixelNeighbours, StepsAcrossTheSeamWrapWhenTheSourceWraps) {
  for (const int32_t mode : {FetchWrapX, FetchClamp}) {
    NeighbourRun run(64, 32, 180, mode);
    // Find a column whose right neighbours lie across the seam.
    float x = -1;
    for (float c = 20; c < 44; c += 0.25f) {
      if (std::fabs(run.Map(c + 0.5f, 10).srcX - run.Map(c, 10).srcX) > 0.5f) {
        x = c;
        break;
      }
    }
    ASSERT_GE(x, 0) << "no seam";
    float six[6];
    const PixelMapping p = run.Neighbours(x, 10, six);
    ASSERT_EQ(p.status, kPixelMapped);
    // The mirrored point (-1/2, +1/2) stands opposite (+1/2, -1/2).
    const float across = six[0] - p.srcX;  // straight difference, about +-1
    const float mirrored = six[2] - p.srcX;
    if (mode == FetchWrapX) {
      EXPECT_NEAR(mirrored, std::remainder(-across, 1.0f), 1e-5f);
      EXPECT_LT(std::fabs(mirrored), 2.0f / 64);
    } else {
      EXPECT_NEAR(mirrored, -across, 1e-5f);
      EXPECT_GT(std::fabs(mirrored), 0.5f);
    }
  }
}

}  // namespace
