// The preview of the main dialog in a filter run through the test host: zoom
// and pan, deep documents shown at 8 bits, the checkerboard through the
// selection mask, and the preview against the final render.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialog_run_fixture.h"
#include "image/sample_edge.h"
#include "render/glue_compositor.h"
#include "render/preview_display.h"

namespace {

constexpr int32_t kPreviewWidth = 512;  // the preview area inset by 2
constexpr int32_t kPreviewHeight = 484;

struct View {
  int32_t scale;
  int32_t panX;
  int32_t panY;
};

View ViewOf(const DialogRun& r) { return View{r.Block()->previewScale, r.Block()->previewPanX, r.Block()->previewPanY}; }

// The displayed pixel (x, y) of the last displayPixels call.
const uint8_t* Shown(const DialogRun& r, int32_t x, int32_t y) {
  const TestDisplayCall& call = r.host.displayCalls.back();
  const int32_t width = call.srcRect.right - call.srcRect.left;
  return r.host.lastDisplayedPixels.data() + (size_t(y) * size_t(width) + size_t(x)) * size_t(call.colBytes);
}

TEST(PreviewZoom, ZoomStepsAboutTheCentreAndBackToTheWholeImage) {
  DialogRun r;
  r.NewDocument(2000, 1000);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    MainDialog* dialog = DialogRun::Dialog();
    // The whole image fits at 1/4: max(ceil(1000 / 484), ceil(2000 / 512)).
    EXPECT_EQ(dialog->wholeImageScale, 4);
    EXPECT_EQ(ViewOf(r).scale, 4);
    EXPECT_EQ(DialogRun::Text(d, kIdZoomText), "25%");
    EXPECT_FALSE(FindStandInItem(d, kIdZoomOut)->enabled);
    EXPECT_TRUE(FindStandInItem(d, kIdZoomIn)->enabled);
    struct Step {
      int32_t button;
      int32_t scale;
      const char* text;
    } steps[] = {{kIdZoomIn, 3, "33%"}, {kIdZoomIn, 2, "50%"}, {kIdZoomIn, 1, "100%"}, {kIdZoomIn, 1, "100%"},
                 {kIdZoomOut, 2, "50%"}, {kIdZoomText, 1, "100%"}, {kIdZoomOut, 2, "50%"}, {kIdZoomOut, 3, "33%"},
                 {kIdZoomOut, 4, "25%"}};
    for (const Step& s : steps) {
      DialogRun::ForgetRenders();
      const bool enabled = FindStandInItem(d, s.button)->enabled;
      StandInClick(d, s.button);
      const View v = ViewOf(r);
      EXPECT_EQ(v.scale, s.scale) << s.button;
      EXPECT_EQ(DialogRun::Text(d, kIdZoomText), s.text) << s.button;
      EXPECT_EQ(DialogRun::Renders(), enabled ? 1 : 0) << s.button;
      EXPECT_EQ(FindStandInItem(d, kIdZoomIn)->enabled, s.scale >= 2) << s.button;
      EXPECT_EQ(FindStandInItem(d, kIdZoomOut)->enabled, s.scale < 4) << s.button;
      // The view stays inside the image, and about its centre while zoomed in.
      const int32_t maxX = (2000 / s.scale - kPreviewWidth) * s.scale;
      const int32_t maxY = (1000 / s.scale - kPreviewHeight) * s.scale;
      EXPECT_GE(v.panX, 0) << s.button;
      EXPECT_GE(v.panY, 0) << s.button;
      EXPECT_LE(v.panX, std::max(maxX, 0)) << s.button;
      EXPECT_LE(v.panY, std::max(maxY, 0)) << s.button;
      // Where the view is larger than the image it starts at the image's edge.
      if (s.scale == 4 || maxX <= 0) {
        EXPECT_EQ(v.panX, 0) << s.button;
      } else {
        EXPECT_NEAR(v.panX + kPreviewWidth * s.scale / 2, 1000, 2 * s.scale) << s.button;
      }
      if (s.scale == 4 || maxY <= 0) {
        EXPECT_EQ(v.panY, 0) << s.button;
      } else {
        EXPECT_NEAR(v.panY + kPreviewHeight * s.scale / 2, 500, 2 * s.scale) << s.button;
      }
      // The host delivered the view: the input at that scale from the pan offset.
      const Rect in = r.host.record.inRect;
      EXPECT_EQ(in.left, v.panX / s.scale) << s.button;
      EXPECT_EQ(in.top, v.panY / s.scale) << s.button;
    }
  });
  EXPECT_EQ(r.Run(kIdCancel), kUserCanceledErr);
}

TEST(PreviewZoom, ASmallImageOrAHostWithoutSamplingCannotZoom) {
  for (bool sampling : {true, false}) {
    DialogRun r;
    TestHostOptions options;
    r.NewDocument(sampling ? 200 : 1500, 100);
    options.samplingSupport = sampling ? 1 : 0;
    r.OpenHost(options);
    r.steps.push_back([&](StandInDialog* d) {
      EXPECT_FALSE(FindStandInItem(d, kIdZoomIn)->enabled) << sampling;
      EXPECT_FALSE(FindStandInItem(d, kIdZoomOut)->enabled) << sampling;
      EXPECT_EQ(DialogRun::Text(d, kIdZoomText), "100%") << sampling;
      const View before = ViewOf(r);
      SendStandInEvent(d, MakeCommandEvent(kIdZoomIn, kNotifyClicked));
      SendStandInEvent(d, MakeCommandEvent(kIdZoomOut, kNotifyClicked));
      StandInClick(d, kIdZoomText);
      EXPECT_EQ(ViewOf(r).scale, before.scale) << sampling;
      EXPECT_EQ(ViewOf(r).panX, 0) << sampling;
    });
    EXPECT_EQ(r.Run(kIdCancel), kUserCanceledErr);
  }
}

TEST(PreviewPan, TheImageFollowsTheMouseWithinItsBounds) {
  DialogRun r;
  r.NewDocument(1200, 800);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    MainDialog* dialog = DialogRun::Dialog();
    int32_t x = 0;
    int32_t y = 0;
    DialogRun::CentreOf(d, kIdPreview, &x, &y);
    // Not zoomed in: a press on the preview drags nothing.
    StandInMouse(d, DialogEventKind::MouseDown, kMouseLeft, kKeyLeftButton, x, y);
    EXPECT_EQ(dialog->capturedControl, -1);
    StandInMouse(d, DialogEventKind::MouseUp, kMouseLeft, 0, x, y);
    StandInClick(d, kIdZoomText);  // 100 %
    ASSERT_EQ(ViewOf(r).scale, 1);
    const View start = ViewOf(r);
    DialogRun::ForgetRenders();
    StandInMouse(d, DialogEventKind::MouseDown, kMouseLeft, kKeyLeftButton, x, y);
    EXPECT_EQ(dialog->capturedControl, kIdPreview);
    StandInMouse(d, DialogEventKind::MouseMove, 0, kKeyLeftButton, x - 30, y - 10);
    EXPECT_EQ(ViewOf(r).panX, start.panX + 30);
    EXPECT_EQ(ViewOf(r).panY, start.panY + 10);
    // While dragging, the source pixels under the new view are shown.
    const View v = ViewOf(r);
    for (int32_t py : {0, 17, 300}) {
      for (int32_t px : {0, 5, 411}) {
        for (int16_t c = 0; c < 3; ++c) {
          EXPECT_EQ(Shown(r, px, py)[c], GetDocumentSample(r.doc, v.panX + px, v.panY + py, c)) << px << "," << py;
        }
      }
    }
    StandInMouse(d, DialogEventKind::MouseMove, 0, kKeyLeftButton, x + 5000, y + 5000);
    EXPECT_EQ(ViewOf(r).panX, 0);
    EXPECT_EQ(ViewOf(r).panY, 0);
    StandInMouse(d, DialogEventKind::MouseMove, 0, kKeyLeftButton, x - 5000, y - 5000);
    EXPECT_EQ(ViewOf(r).panX, 1200 - kPreviewWidth);
    EXPECT_EQ(ViewOf(r).panY, 800 - kPreviewHeight);
    EXPECT_EQ(DialogRun::Renders(), 0);
    StandInMouse(d, DialogEventKind::MouseUp, kMouseLeft, 0, x - 5000, y - 5000);
    EXPECT_EQ(dialog->capturedControl, -1);
    EXPECT_EQ(DialogRun::Renders(), 1);  // the rendered preview returns
  });
  EXPECT_EQ(r.Run(kIdCancel), kUserCanceledErr);
}

TEST(PreviewDisplay, DeepDocumentsAreShownAtEightBits) {
  EXPECT_EQ(SixteenBitToDisplayByte(32768), 255);
  EXPECT_EQ(SixteenBitToDisplayByte(16384), 128);
  EXPECT_EQ(SixteenBitToDisplayByte(127), 0);
  EXPECT_EQ(FloatToByte(1.5f), 255);
  EXPECT_EQ(FloatToByte(-0.2f), 0);
  EXPECT_EQ(FloatToByte(0.5f), 127);
  struct Case {
    int16_t planes;
    int32_t depth;
    int32_t shownMode;
  } cases[] = {{3, 16, kImageModeRGBColor}, {1, 16, kImageModeGrayScale}, {3, 32, kImageModeRGBColor},
               {1, 32, kImageModeGrayScale}, {3, 8, kImageModeRGBColor}};
  for (const Case& c : cases) {
    DialogRun r;
    r.NewDocument(96, 48, c.planes, c.depth);
    r.OpenHost();
    r.steps.push_back([&](StandInDialog*) {
      const FilterRecord& fr = r.host.record;
      ASSERT_FALSE(r.host.displayCalls.empty());
      const TestDisplayCall& call = r.host.displayCalls.back();
      EXPECT_EQ(call.imageMode, c.shownMode) << c.planes << " " << c.depth;
      EXPECT_EQ(call.colBytes, c.planes) << c.depth;
      EXPECT_NE(call.context, nullptr);
      const int32_t width = fr.outRect.right - fr.outRect.left;
      ASSERT_EQ(r.host.lastDisplayedPixels.size(), size_t(width) * 48 * size_t(c.planes)) << c.depth;
      for (int32_t y : {0, 20, 47}) {
        const uint8_t* row = static_cast<const uint8_t*>(fr.outData) + size_t(y) * size_t(fr.outRowBytes);
        for (int32_t k = 0; k < width * c.planes; k += 7) {
          uint8_t expected = row[k];
          if (c.depth == 16) {
            uint16_t v;
            std::memcpy(&v, row + 2 * k, 2);
            expected = SixteenBitToDisplayByte(v);
          } else if (c.depth == 32) {
            float v;
            std::memcpy(&v, row + 4 * k, 4);
            expected = uint8_t(FloatToByte(v));
          }
          EXPECT_EQ(r.host.lastDisplayedPixels[size_t(y) * size_t(width * c.planes) + size_t(k)], expected)
              << c.planes << " " << c.depth << " at " << k << "," << y;
        }
      }
    });
    EXPECT_EQ(r.Run(kIdCancel), kUserCanceledErr);
  }
}

TEST(PreviewDisplay, TheCheckerboardShowsThroughTheMask) {
  // Left half unselected: the preview shows the checkerboard there, both
  // rendered and while dragging.
  DialogRun r;
  r.NewDocument(800, 600);
  r.doc.hasMask = true;
  r.doc.mask.assign(size_t(800) * 600, 255);
  for (int32_t y = 0; y < 600; ++y) {
    for (int32_t x = 0; x < 400; ++x) r.doc.mask[size_t(y) * 800 + size_t(x)] = 0;
  }
  r.OpenHost();
  auto expectCheckerLeft = [&](const char* what, int32_t columns) {
    for (int32_t y : {0, 9, 100, 200}) {
      for (int32_t x : {0, 8, 15, columns - 1}) {
        const uint8_t want = uint8_t(CheckerboardValue8(x, y));
        for (int32_t c = 0; c < 3; ++c) EXPECT_EQ(Shown(r, x, y)[c], want) << what << " " << x << "," << y;
      }
    }
  };
  r.steps.push_back([&](StandInDialog* d) {
    ASSERT_EQ(ViewOf(r).scale, 2);
    expectCheckerLeft("rendered at 1/2", 195);
    // The selected half is not the checkerboard everywhere.
    int32_t differs = 0;
    for (int32_t x = 210; x < 390; ++x) differs += Shown(r, x, 50)[0] != uint8_t(CheckerboardValue8(x, 50));
    EXPECT_GT(differs, 0);
    StandInClick(d, kIdZoomIn);
    ASSERT_EQ(ViewOf(r).scale, 1);
    // Dragged to the left edge: the source pixels over the checkerboard.
    int32_t x = 0;
    int32_t y = 0;
    DialogRun::CentreOf(d, kIdPreview, &x, &y);
    StandInMouse(d, DialogEventKind::MouseDown, kMouseLeft, kKeyLeftButton, x, y);
    StandInMouse(d, DialogEventKind::MouseMove, 0, kKeyLeftButton, x + 2000, y + 2000);
    ASSERT_EQ(ViewOf(r).panX, 0);
    expectCheckerLeft("dragged", 390);
    for (int32_t c = 0; c < 3; ++c) {
      EXPECT_EQ(Shown(r, 450, 30)[c], GetDocumentSample(r.doc, 450, 30, int16_t(c)));
    }
    StandInMouse(d, DialogEventKind::MouseUp, kMouseLeft, 0, x + 2000, y + 2000);
  });
  EXPECT_EQ(r.Run(kIdCancel), kUserCanceledErr);
}

TEST(PreviewDisplay, ThePreviewIsTheFinalRenderAtTheSameOffsetAndScale) {
  struct Case {
    const char* what;
    int32_t width;
    int32_t height;
    bool actualPixels;  // zoomed to 100 % about the centre
  } cases[] = {{"whole image at 1:1", 300, 160, false}, {"a window at 100 %", 1200, 700, true}};
  for (const Case& c : cases) {
    DialogRun r;
    r.NewDocument(c.width, c.height);
    r.OpenHost();
    std::vector<uint8_t> shown;
    View view{};
    int32_t shownWidth = 0;
    int32_t shownHeight = 0;
    r.steps.push_back([&](StandInDialog* d) {
      StandInPickChoice(d, kIdOutputCombo, 15);  // output 16
      StandInType(d, 86, "-60");
      StandInType(d, 85, "25");
      AdvanceStandInClock(kPreviewDelayMs);
      if (c.actualPixels) StandInClick(d, kIdZoomText);
      view = ViewOf(r);
      const TestDisplayCall& call = r.host.displayCalls.back();
      shownWidth = call.srcRect.right - call.srcRect.left;
      shownHeight = call.srcRect.bottom - call.srcRect.top;
      shown = r.host.lastDisplayedPixels;
    });
    ASSERT_EQ(r.Run(kIdOk), kNoErr) << c.what;
    ASSERT_EQ(view.scale, 1) << c.what;
    ASSERT_EQ(shown.size(), size_t(shownWidth) * size_t(shownHeight) * 3) << c.what;
    EXPECT_EQ(shownWidth, c.actualPixels ? kPreviewWidth : c.width) << c.what;
    int32_t mismatches = 0;
    for (int32_t y = 0; y < shownHeight; ++y) {
      for (int32_t x = 0; x < shownWidth; ++x) {
        for (int16_t k = 0; k < 3; ++k) {
          const uint8_t final = uint8_t(GetDocumentSample(r.doc, view.panX + x, view.panY + y, k));
          mismatches += shown[(size_t(y) * size_t(shownWidth) + size_t(x)) * 3 + size_t(k)] != final;
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << c.what << " at pan " << view.panX << "," << view.panY;
  }
}

}  // namespace
