// The pixel renderer on the corners a real row leaves in the column
// records: which pixels are sampled once and which are supersampled across
// a boundary, in which corner mode, and where the regions end.
#include "render/pixel_renderer.h"

#include <gtest/gtest.h>

#include "host/globals_record.h"
#include "render/band_scheduler.h"
#include "render/column_record.h"
#include "render/render_band.h"
#include "render/render_run.h"
#include "render/row_pipeline.h"
#include "render/row_renderer.h"
#include "render/worker_pool.h"
#include "render/source_acquisition.h"
#include "tests/render/render_fixture.h"

namespace {

// A uniform document of the given size, rendered as equirectangular to
// equirectangular up to row 0 (corner rows -1 and 0 mapped) by the one band
// of a one-thread render.
struct FirstRow {
  TestDocument doc;
  PreviewRun preview;
  GlobalsRecord* g = nullptr;
  RenderBand* band = nullptr;

  FirstRow(int32_t width, int32_t height) {
    SetRenderThreadCount(1);
    doc = MakeTestDocument(width, height, 3, 8, false);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        for (int16_t p = 0; p < 3; ++p) SetDocumentSample(doc, x, y, p, 90);
      }
    }
    preview.Open(&doc, 1, 3);
    g = preview.Globals();
    PrepareRender(g);
    g->currentRow = 0;
    RenderOutputRow(g);
    band = SequentialPipelineBand();
  }
  ~FirstRow() {
    StopRowPipeline();
    SetRenderThreadCount(0);
  }
  CornerSet Pixel(int32_t c, int32_t quality, float pixel[4]) {
    CornerSet corners{};
    EXPECT_NE(band, nullptr);
    if (band == nullptr) return corners;
    RenderPixelFromCorners(pixel, 0.0f, &band->share->target, band->columns.data(), c, 0, 0, &band->context, quality,
                           1, &corners, band);
    return corners;
  }
};

TEST(PixelRenderer, BoundaryPixelsAreSupersampledAcrossTheBoundaryOnly) {
  struct Case {
    const char* what;
    int32_t width, height, column, quality;
    int32_t split, passes, cornerMode;
    float alpha;
    float top, bottom, left, right;
  };
  const float cover = 21.0f / 41.0f;
  const Case cases[] = {
      // 257 columns: the map's left edge halves column 0, its right edge column 256.
      {"inside", 257, 128, 128, 3, 0, 1, CornerModeQuality, 1, 0, 0, 0, 0},
      {"left edge", 257, 128, 0, 3, 1, 41, CornerModeFresh, cover, 0.475f, 0.475f, 0.5f, 0.5f},
      {"right edge", 257, 128, 256, 3, 1, 41, CornerModeFresh, cover, 0.5f, 0.5f, 0.5f, 0.5f},
      // 129 rows: the map's top edge halves row 0.
      {"top edge", 256, 129, 100, 3, 2, 41, CornerModeFresh, cover, 0.5f, 0.5f, 0.475f, 0.475f},
      // The previews take the corners as they are.
      {"left edge, better", 257, 128, 0, 2, 1, 1, CornerModeQuality, 1, 0, 0, 0, 0},
      {"left edge, good", 257, 128, 0, 1, 1, 1, CornerModeFast, 1, 0, 0, 0, 0},
      {"right edge, better", 257, 128, 256, 2, 1, 1, CornerModeQuality, 0, 0, 0, 0, 0},
      {"top edge, good", 256, 129, 100, 1, 2, 1, CornerModeFast, 1, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    FirstRow row(c.width, c.height);
    float pixel[4];
    const CornerSet corners = row.Pixel(c.column, c.quality, pixel);
    EXPECT_EQ(corners.splitFlags, c.split) << c.what;
    EXPECT_EQ(corners.passCount, c.passes) << c.what;
    EXPECT_EQ(corners.cornerMode, c.cornerMode) << c.what;
    EXPECT_NEAR(pixel[3], c.alpha, 1e-5f) << c.what;
    if (c.alpha > 0) {
      EXPECT_NEAR(pixel[1], 90.0f / 255.0f, 0.01f) << c.what;
    }
    EXPECT_NEAR(corners.edgeTop, c.top, 1e-6f) << c.what;
    EXPECT_NEAR(corners.edgeBottom, c.bottom, 1e-6f) << c.what;
    EXPECT_NEAR(corners.edgeLeft, c.left, 1e-6f) << c.what;
    EXPECT_NEAR(corners.edgeRight, c.right, 1e-6f) << c.what;
  }
}

}  // namespace
