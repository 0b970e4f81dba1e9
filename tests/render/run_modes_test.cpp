// The final render and the preview render through the test host, for grey
// and RGB documents at 8 bits, 16 bits and float.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/preview_rows.h"
#include "tests/render/render_fixture.h"

namespace {

struct Kind {
  int16_t planes;
  int32_t depth;
  bool transparency;
};

const Kind kKinds[] = {
    {1, 8, false},  {3, 8, false}, {1, 16, false}, {3, 16, false}, {1, 32, false},
    {3, 32, false}, {1, 8, true},  {3, 8, true},   {3, 16, true},  {3, 32, true},
};

// Equirectangular to itself reproduces the document at every kind, and an
// editable transparency plane comes out opaque.
TEST(RunModes, FinalRenderAtEveryKind) {
  for (const Kind& k : kKinds) {
    const TestDocument source = LoadEarthDocument(k.planes, k.depth, k.transparency);
    TestDocument doc = source;
    RenderRun run;
    ASSERT_EQ(run.Render(&doc, nullptr), kNoErr) << k.planes << " " << k.depth;
    const double psnr = DocumentPsnr(doc, source, k.planes);
    EXPECT_GE(psnr, 30.0) << k.planes << " planes, " << k.depth << " bits";
    if (k.transparency) {
      EXPECT_EQ(GetDocumentSample(doc, 17, 33, k.planes), DocumentFullScale(doc));
    }
  }
}

double Checkerboard(const Kind& k, int32_t x, int32_t y) {
  const bool light = ((x ^ y) & 8) == 0;
  if (k.depth == 8) return light ? 255 : 204;
  if (k.depth == 16) return (light ? 32640 : 26112) * 255 / 256;
  return light ? 1.0 : 0.8;
}

// A uniform document with a mask that is 0 on the left half and full on the
// right: the preview shows the checkerboard on the left, the render on the
// right, at half scale, and shows its rows in the dialog as they finish.
TEST(RunModes, PreviewShowsTheRenderOverTheCheckerboardThroughTheMask) {
  for (const Kind& k : kKinds) {
    TestDocument doc = MakeTestDocument(96, 48, k.planes, k.depth, k.transparency);
    const double full = DocumentFullScale(doc);
    const double value = k.depth == 32 ? 0.375 : (k.depth == 16 ? 12288 : 96);
    for (int32_t y = 0; y < 48; ++y) {
      for (int32_t x = 0; x < 96; ++x) {
        for (int16_t p = 0; p < k.planes; ++p) SetDocumentSample(doc, x, y, p, value);
        if (k.transparency) SetDocumentSample(doc, x, y, k.planes, full);
      }
    }
    doc.hasMask = true;
    doc.mask.assign(96 * 48, 0);
    for (int32_t y = 0; y < 48; ++y) {
      for (int32_t x = 48; x < 96; ++x) doc.mask[size_t(y) * 96 + size_t(x)] = 255;
    }
    PreviewRun preview;
    preview.Preview(&doc, 2, 3);
    const FilterRecord& fr = preview.run.host.record;
    ASSERT_EQ(fr.outRect.right - fr.outRect.left, 48);
    ASSERT_EQ(fr.outRect.bottom - fr.outRect.top, 24);
    const std::string what = std::to_string(k.planes) + " planes " + std::to_string(k.depth) + " bits" +
                             (k.transparency ? " with transparency" : "");
    // The rows were shown as they finished, the first one clearing the area.
    ASSERT_EQ(ShownPreviewRows().size(), 24u) << what;
    EXPECT_EQ(ShownPreviewRows()[0], 0) << what;
    const double tolerance = k.depth == 32 ? 1e-5 : (k.depth == 16 ? 160 : 1);
    for (int32_t y : {1, 9, 20}) {
      for (int32_t x : {2, 10, 20}) {
        EXPECT_NEAR(preview.Out(x, y, 0), Checkerboard(k, x, y), tolerance) << what << " " << x << "," << y;
      }
      for (int32_t x : {28, 37, 45}) {
        // Full mask: the render itself (the 16-bit blend weighs it 255/256).
        const double shown = k.depth == 16 ? value * 255 / 256 : value;
        EXPECT_NEAR(preview.Out(x, y, 0), shown, tolerance) << what << " " << x << "," << y;
        if (k.planes == 3) {
          EXPECT_NEAR(preview.Out(x, y, 2), shown, tolerance) << what;
        }
      }
    }
    if (k.transparency) {
      EXPECT_EQ(preview.Out(30, 5, k.planes), k.depth == 32 ? 1.0 : full) << what;
    }
  }
}

// Preview quality 1 samples the stored corners with the fast sampler,
// quality 2 with the quality sampler, and
// quality 3 first tests the pixel centre and supersamples pixels on a
// boundary; none of the first two ever supersamples.
TEST(RunModes, PreviewQualityModesDispatch) {
  const TestDocument earth = LoadEarthDocument();
  TestDocument shown[4];
  for (int32_t quality : {1, 2, 3}) {
    TestDocument doc = earth;
    PreviewRun preview;
    preview.Preview(&doc, 1, quality);
    shown[quality] = earth;
    for (int32_t y = 0; y < 128; ++y) {
      for (int32_t x = 0; x < 256; ++x) {
        for (int16_t c = 0; c < 3; ++c) SetDocumentSample(shown[quality], x, y, c, preview.Out(x, y, c));
      }
    }
  }
  EXPECT_GE(DocumentPsnr(shown[1], earth, 3), 25.0);
  EXPECT_GE(DocumentPsnr(shown[2], earth, 3), 30.0);
  EXPECT_LT(DocumentPsnr(shown[1], shown[2], 3), 100.0);  // two samplers, two pictures
  EXPECT_EQ(DocumentPsnr(shown[3], shown[2], 3), 200.0);  // no boundary: the same samples

  // 257 columns: columns 0 and 256 are half on the map. Only quality 3
  // covers them by half; the others take corner A's status whole.
  for (int32_t quality : {1, 2, 3}) {
    TestDocument doc = MakeTestDocument(257, 128, 3, 8, true);
    for (int32_t y = 0; y < 128; ++y) {
      for (int32_t x = 0; x < 257; ++x) {
        for (int16_t p = 0; p < 3; ++p) SetDocumentSample(doc, x, y, p, 100);
        SetDocumentSample(doc, x, y, 3, 255);
      }
    }
    PreviewRun preview;
    preview.Preview(&doc, 1, quality);
    const int32_t half = (256 * 131) >> 8;
    for (int32_t y : {8, 20}) {
      const int32_t bgLeft = ((0 ^ y) & 8) == 0 ? 255 : 204;
      const int32_t bgRight = ((256 ^ y) & 8) == 0 ? 255 : 204;
      const double left = quality == 3 ? (half * 100 + bgLeft * (256 - half)) >> 8 : (255 * 100 + bgLeft) >> 8;
      const double right = quality == 3 ? (half * 100 + bgRight * (256 - half)) >> 8 : bgRight;
      EXPECT_EQ(preview.Out(0, y, 1), left) << quality << " row " << y;
      EXPECT_EQ(preview.Out(256, y, 1), right) << quality << " row " << y;
    }
  }
}

// A panned preview at full scale shows exactly the final render's pixels at
// the pan offset.
TEST(RunModes, PannedPreviewShowsTheFinalRenderAtTheOffset) {
  const TestDocument earth = LoadEarthDocument();
  TestDocument final = earth;
  {
    RenderRun run;
    ASSERT_EQ(run.Render(&final, [](ParameterBlock* b) { b->longitude = 30; }), kNoErr);
  }
  TestDocument doc = earth;
  PreviewRun preview;
  preview.Open(&doc, 1, 3, 100, 30, Rect{0, 0, 48, 64});
  GetParameterBlock(preview.Globals())->longitude = 30;
  RenderPreviewImage(preview.Globals());
  ASSERT_EQ(preview.result, kNoErr);
  const FilterRecord& fr = preview.run.host.record;
  ASSERT_EQ(fr.outRect.right - fr.outRect.left, 64);
  ASSERT_EQ(fr.outRect.bottom - fr.outRect.top, 48);
  int32_t differ = 0;
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      for (int16_t c = 0; c < 3; ++c) differ += preview.Out(x, y, c) != GetDocumentSample(final, x + 100, y + 30, c);
    }
  }
  EXPECT_EQ(differ, 0);
}

}  // namespace
