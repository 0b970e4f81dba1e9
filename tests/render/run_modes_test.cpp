// The final render and the preview render through the test host, for grey
// and RGB documents at 8 bits, 16 bits and float.
#include <gtest/gtest.h>

#include <cstring>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "render/preview_display_stub.h"
#include "tests/render/render_fixture.h"

namespace {

struct Kind {
  int16_t planes;
  int32_t depth;
  bool transparency;
};

const Kind kKinds[] = {
    {1, 8, false},  {3, 8, false},  {1, 16, false}, {3, 16, false}, {1, 32, false}, {3, 32, false},
    {1, 8, true},   {3, 8, true},   {3, 16, true},  {3, 32, true},
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

// Drives a preview as the dialog does: after the start phase, the scaled
// input is requested and the whole preview rendered into the host's buffers.
struct PreviewRun {
  RenderRun run;
  HostError result = kNoErr;

  GlobalsRecord* Globals() { return *reinterpret_cast<GlobalsRecord**>(run.host.data); }

  // After the start phase has set the run up (its final render never
  // continues), the preview renders as the dialog asks for it.
  void Preview(TestDocument* doc, int32_t scale, int32_t quality) {
    TestHostOptions options;
    options.hasDescriptorParameters = false;
    InitTestHost(&run.host, doc, options);
    ASSERT_EQ(CallFilterSelector(&run.host, PluginMain, kSelectorParameters), kNoErr);
    ParameterBlock* block = run.Block();
    block->showDialog = 0;
    block->latitude = block->longitude = block->spin = 0.0f;
    block->sharpen = 0.0f;
    block->grid2 = 1;
    block->indicatrix = 0;
    block->edges = 0;
    block->keepTransparency = 1;
    block->transparentGaps = 0;
    block->inputProjection = 1;
    block->outputProjection = 1;
    block->glue = 1;
    block->previewQuality = quality;
    ASSERT_EQ(CallFilterSelector(&run.host, PluginMain, kSelectorPrepare), kNoErr);
    ASSERT_EQ(CallFilterSelector(&run.host, PluginMain, kSelectorStart), kNoErr);
    GlobalsRecord* g = Globals();
    g->resultPtr = &result;
    g->filterRecord = &run.host.record;
    block = GetParameterBlock(g);
    block->runMode = RunModePreview;
    g->previewRect = Rect{0, 0, 1000, 1000};
    RequestScaledInput(g, scale);
    ASSERT_EQ(result, kNoErr);
    PreviewDisplayStubCalls().clear();
    RenderPreviewImage(g);
    ASSERT_EQ(result, kNoErr);
  }
  double Out(int32_t x, int32_t y, int32_t plane) const {
    const FilterRecord& fr = run.host.record;
    const TestDocument& doc = *run.host.document;
    const int32_t bpc = DocumentBytesPerChannel(doc);
    const uint8_t* p = static_cast<const uint8_t*>(fr.outData) + size_t(fr.outRowBytes) * y +
                       size_t(x * DocumentPlanes(doc) + plane) * bpc;
    if (bpc == 1) return *p;
    if (bpc == 2) {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    float f;
    std::memcpy(&f, p, 4);
    return f;
  }
};

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
    ASSERT_EQ(PreviewDisplayStubCalls().size(), 24u) << what;
    EXPECT_EQ(PreviewDisplayStubCalls()[0], 0) << what;
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

}  // namespace
