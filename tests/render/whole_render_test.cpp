// Whole renders through the test host: the source read, mapped, sampled and
// composited into the document.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "nets/nets_services_stub.h"
#include "projection/output_pixel.h"
#include "projection/output_shapes.h"
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

// Every output number renders through the host into a float document with
// finite samples everywhere; every closed-form output shows the picture
// (the net and multi-view outputs draw theirs once the nets are built).
TEST(WholeRender, EveryOutputRendersTheSource) {
  const TestDocument earth = LoadEarthDocument(3, 32, false);
  TestDocument small = MakeTestDocument(64, 32, 3, 32, false);
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      for (int16_t c = 0; c < 3; ++c)
        SetDocumentSample(small, x, y, c, GetDocumentSample(earth, 4 * x + 2, 4 * y + 2, c));
    }
  }
  std::string withoutPicture;
  for (int32_t output = 1; output <= 255; ++output) {
    TestDocument doc = small;
    RenderRun run;
    ASSERT_EQ(run.Render(&doc,
                         [&](ParameterBlock* b) {
                           b->outputProjection = output;
                           b->backdropRed = 65535;
                           b->backdropGreen = 0;
                           b->backdropBlue = 65535;
                         }),
              kNoErr)
        << output;
    int32_t picture = 0, bad = 0;
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        const double r = GetDocumentSample(doc, x, y, 0);
        const double g = GetDocumentSample(doc, x, y, 1);
        const double b = GetDocumentSample(doc, x, y, 2);
        if (!std::isfinite(r) || !std::isfinite(g) || !std::isfinite(b)) ++bad;
        if (std::fabs(r - 1) + std::fabs(g) + std::fabs(b - 1) > 0.05) ++picture;
      }
    }
    EXPECT_EQ(bad, 0) << "output " << output;
    const bool needsNets = IsNetOutput(output) || OutputShapeHasNet(output) || IsMultiViewOutput(output);
    if (picture == 0 && !needsNets) withoutPicture += " " + std::to_string(output);
  }
  EXPECT_EQ(withoutPicture, "");
}

// A float layer may hold any value in its transparency plane: alphas above
// 1 (and below 0) count as opaque (and clear) and never turn the colour
// into a division by a vanishing sum of alphas.
TEST(WholeRender, FloatAlphaOutsideZeroToOneStaysFinite) {
  for (int32_t keep : {1, 0}) {
    TestDocument doc = MakeTestDocument(64, 32, 3, 32, true);
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        for (int16_t c = 0; c < 3; ++c) SetDocumentSample(doc, x, y, c, 0.25 * (c + 1));
        // Columns alternate 3 and -1: pairs whose alphas sum to 2, 0 or less.
        SetDocumentSample(doc, x, y, 3, (x & 1) ? -1.0 : 3.0);
      }
    }
    RenderRun run;
    ASSERT_EQ(run.Render(&doc, [&](ParameterBlock* b) { b->keepTransparency = keep; }), kNoErr);
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        for (int16_t c = 0; c < 4; ++c) {
          const double v = GetDocumentSample(doc, x, y, c);
          ASSERT_TRUE(std::isfinite(v)) << keep << " " << x << "," << y << " plane " << c;
          ASSERT_GE(v, 0.0) << keep << " " << x << "," << y << " plane " << c;
          ASSERT_LE(v, 1.0) << keep << " " << x << "," << y << " plane " << c;
        }
      }
    }
  }
}

// Documents one pixel wide or high render: one pixel maps two corners a
// row, and the run gives back every buffer and handle it took.
TEST(WholeRender, OnePixelWideAndHighDocumentsRender) {
  const int32_t sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {2, 1}};
  for (const auto& size : sizes) {
    TestDocument doc = MakeTestDocument(size[0], size[1], 3, 16, true);
    FillDocumentPattern(doc, 5);
    RenderRun run;
    ASSERT_EQ(run.Render(&doc, nullptr), kNoErr) << size[0] << "x" << size[1];
    EXPECT_EQ(LiveBufferCount(&run.host), 0);
    EXPECT_EQ(LockedHandleCount(&run.host), 0);
    EXPECT_EQ(run.host.bufferMisuse, 0);
    EXPECT_EQ(run.host.handleMisuse, 0);
    for (int32_t y = 0; y < size[1]; ++y) {
      for (int32_t x = 0; x < size[0]; ++x) {
        EXPECT_EQ(GetDocumentSample(doc, x, y, 3), 32768) << size[0] << "x" << size[1];  // flattened: opaque
      }
    }
  }
}

}  // namespace

// The florets through the host: n petals of picture around the centre of a
// wide document, with the backdrop between and beyond them.
TEST(WholeRender, FloretsDrawTheirPetals) {
  for (int32_t output : {1037, 1038, 1039, 1040}) {
    TestDocument doc = LoadEarthDocument();
    RenderRun run;
    ASSERT_EQ(run.Render(&doc,
                         [&](ParameterBlock* b) {
                           b->outputProjection = output;
                           b->backdropRed = 65535;
                           b->backdropGreen = 0;
                           b->backdropBlue = 65535;
                         }),
              kNoErr)
        << output;
    auto backdrop = [&](int32_t x, int32_t y) {
      return GetDocumentSample(doc, x, y, 0) == 255 && GetDocumentSample(doc, x, y, 1) == 0 &&
             GetDocumentSample(doc, x, y, 2) == 255;
    };
    // The square plane box fills the 128 rows, centred on column 128.
    EXPECT_TRUE(backdrop(0, 0) && backdrop(255, 0) && backdrop(0, 127) && backdrop(255, 127)) << output;
    int32_t runs = 0;
    bool previous = !backdrop(128 + 38, 64);
    const bool first = previous;
    for (int32_t i = 1; i < 360; ++i) {
      const double a = 2 * std::numbers::pi * i / 360;
      const bool in = !backdrop(int32_t(std::lround(128 + 38 * std::cos(a))), int32_t(std::lround(64 + 38 * std::sin(a))));
      if (in && !previous) ++runs;
      previous = in;
    }
    if (first && !previous) ++runs;
    EXPECT_EQ(runs, output - 1034) << output;
    // The petal that points down shows the picture, not one flat colour.
    double low = 255, high = 0;
    for (int32_t y = 80; y < 100; ++y) {
      ASSERT_FALSE(backdrop(128, y)) << output << " row " << y;
      const double g = GetDocumentSample(doc, 128, y, 1);
      low = std::min(low, g);
      high = std::max(high, g);
    }
    EXPECT_GT(high - low, 20) << output;
  }
}
