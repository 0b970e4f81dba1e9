// Whole renders through the test host: the source read, mapped, sampled and
// composited into the document.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/render/render_fixture.h"

namespace {

TEST(WholeRender, EquirectangularIdentityReproducesThePhotograph) {
  const TestDocument source = LoadEarthDocument();
  TestDocument doc = source;
  RenderRun run;
  ASSERT_EQ(run.Render(&doc, nullptr), kNoErr);
  const double psnr = DocumentPsnr(doc, source, 3);
  std::printf("identity PSNR %.2f dB\n", psnr);
  EXPECT_GE(psnr, 30.0);
  // No seam: the columns at the wrap of longitude are no worse than the rest.
  std::vector<double> columnError(size_t(doc.width), 0.0);
  for (int32_t x = 0; x < doc.width; ++x) {
    for (int32_t y = 0; y < doc.height; ++y) {
      for (int16_t c = 0; c < 3; ++c) {
        columnError[size_t(x)] += std::fabs(GetDocumentSample(doc, x, y, c) - GetDocumentSample(source, x, y, c));
      }
    }
    columnError[size_t(x)] /= doc.height * 3.0;
  }
  std::vector<double> sorted = columnError;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  for (int32_t x : {0, 1, doc.width - 2, doc.width - 1}) {
    std::printf("column %d error %.3f (median %.3f)\n", x, columnError[size_t(x)], median);
    EXPECT_LT(columnError[size_t(x)], 2.0 * median + 1.0) << "column " << x;
  }
}

}  // namespace

namespace {

// Column 0 is 21 of 41 sub-samples on the map. With keep-alpha in a layer
// with editable transparency it keeps that coverage as alpha; otherwise it
// is flattened onto the opaque backdrop colour.
TEST(WholeRender, HalfOffTheMapPixelsKeepAlphaOrShowTheBackdrop) {
  struct Case {
    const char* what;
    bool transparency;
    int32_t keep;
    double red, green, alpha;  // expected at columns 0 and 256 (8-bit units)
  };
  const double cover = 21.0 / 41.0;
  const Case cases[] = {
      {"keep alpha in a transparent layer", true, 1, 100, 100, std::floor(1.007 * cover * 255)},
      {"backdrop in a transparent layer", true, 0, cover * 100 + (1 - cover) * 255, cover * 100, 255},
      {"keep alpha asked in a flat document", false, 1, cover * 100 + (1 - cover) * 255, cover * 100, -1},
  };
  for (const Case& c : cases) {
    TestDocument doc = MakeTestDocument(257, 128, 3, 8, c.transparency);
    for (int32_t y = 0; y < 128; ++y) {
      for (int32_t x = 0; x < 257; ++x) {
        for (int16_t p = 0; p < 3; ++p) SetDocumentSample(doc, x, y, p, 100);
        if (c.transparency) SetDocumentSample(doc, x, y, 3, 255);
      }
    }
    RenderRun run;
    ASSERT_EQ(run.Render(&doc,
                         [&](ParameterBlock* b) {
                           b->keepTransparency = c.keep;
                           b->backdropRed = 65535;
                           b->backdropGreen = 0;
                           b->backdropBlue = 0;
                         }),
              kNoErr);
    for (int32_t x : {0, 256}) {
      for (int32_t y : {5, 64, 120}) {
        EXPECT_NEAR(GetDocumentSample(doc, x, y, 0), c.red, 1.5) << c.what << " x " << x << " y " << y;
        EXPECT_NEAR(GetDocumentSample(doc, x, y, 1), c.green, 1.5) << c.what << " x " << x << " y " << y;
        EXPECT_NEAR(GetDocumentSample(doc, x, y, 2), c.green, 1.5) << c.what << " x " << x << " y " << y;
        if (c.alpha >= 0) {
          EXPECT_NEAR(GetDocumentSample(doc, x, y, 3), c.alpha, 1.0) << c.what;
        }
      }
    }
    // Inside the map the source shows unchanged and opaque.
    EXPECT_EQ(GetDocumentSample(doc, 128, 64, 0), 100) << c.what;
    if (c.transparency) {
      EXPECT_EQ(GetDocumentSample(doc, 128, 64, 3), 255) << c.what;
    }
  }
}

// Off the map entirely: transparent black with keep-alpha, else the backdrop.
TEST(WholeRender, OffTheMapIsTransparentWithKeepAlphaOrTheBackdrop) {
  for (int32_t keep : {0, 1}) {
    TestDocument doc = MakeTestDocument(64, 16, 3, 8, true);
    FillDocumentPattern(doc, 3);
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 0; x < 64; ++x) SetDocumentSample(doc, x, y, 3, 255);
    }
    RenderRun run;
    ASSERT_EQ(run.Render(&doc,
                         [&](ParameterBlock* b) {
                           b->keepTransparency = keep;
                           b->backdropRed = 0;
                           b->backdropGreen = 65535;
                           b->backdropBlue = 0;
                         }),
              kNoErr);
    // The 2:1 map is 32 pixels wide in the middle of 64: column 2 is off it.
    EXPECT_EQ(GetDocumentSample(doc, 2, 8, 3), keep ? 0 : 255) << keep;
    EXPECT_EQ(GetDocumentSample(doc, 2, 8, 0), 0) << keep;
    EXPECT_EQ(GetDocumentSample(doc, 2, 8, 1), keep ? 0 : 255) << keep;
    EXPECT_EQ(GetDocumentSample(doc, 32, 8, 3), 255) << keep;
  }
}

// A bright 3 x 3 marker on black lands where the turn puts it: longitude 90
// shows source u + 1/4 at output u, latitude 45 shows source v - 1/4 at the
// output centre.
TEST(WholeRender, TurnedRenderMovesAMarkerToTheComputedPixel) {
  struct Case {
    const char* what;
    float latitude, longitude;
    int32_t sourceX, sourceY;
    double outX, outY;
  };
  const Case cases[] = {
      {"longitude 90", 0, 90, 200, 40, 200 - 64, 40},
      {"longitude -90", 0, -90, 20, 90, 20 + 64, 90},
      {"latitude 45", 45, 0, 128, 32, 128, 64},
  };
  for (const Case& c : cases) {
    TestDocument doc = MakeTestDocument(256, 128, 3, 8, false);
    for (int32_t dy = -1; dy <= 1; ++dy) {
      for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int16_t p = 0; p < 3; ++p) SetDocumentSample(doc, c.sourceX + dx, c.sourceY + dy, p, 255);
      }
    }
    RenderRun run;
    ASSERT_EQ(run.Render(&doc,
                         [&](ParameterBlock* b) {
                           b->latitude = c.latitude;
                           b->longitude = c.longitude;
                         }),
              kNoErr);
    double sum = 0, sx = 0, sy = 0;
    for (int32_t y = 0; y < doc.height; ++y) {
      for (int32_t x = 0; x < doc.width; ++x) {
        const double v = GetDocumentSample(doc, x, y, 1);
        sum += v;
        sx += v * x;
        sy += v * y;
      }
    }
    ASSERT_GT(sum, 255.0 * 4) << c.what;
    EXPECT_NEAR(sx / sum, c.outX, 0.75) << c.what;
    EXPECT_NEAR(sy / sum, c.outY, 0.75) << c.what;
  }
}

}  // namespace
