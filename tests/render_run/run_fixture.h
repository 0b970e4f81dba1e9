// A filter run through the test host, with the render run's records at
// hand between the selector calls and for direct calls of the run's
// functions.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "host/globals_record.h"
#include "host/plugin_main.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "platform/global_heap.h"
#include "platform/testhost/test_host.h"
#include "ui/dialog_services.h"
#include "ui/standin/dialog_standin.h"

class RunFixture : public ::testing::Test {
 protected:
  TestDocument doc;
  TestHost host;
  HostError directResult = 0;
  int64_t heapBlocksBefore = 0;

  // A document with a deterministic pattern; the filter rectangle is the
  // whole image unless a test sets one.
  void NewDocument(int32_t width, int32_t height, int16_t planes = 3, int32_t depth = 8, bool transparency = false) {
    doc = MakeTestDocument(width, height, planes, depth, transparency);
    FillDocumentPattern(doc, 11);
  }
  // Installs the host on the document as it now stands.
  void OpenHost(TestHostOptions options = {}) {
    host = TestHost();
    InitTestHost(&host, &doc, options);
    host.moveUnlockedHandles = true;
    ResetStandIn();
    heapBlocksBefore = GlobalHeapLiveBlocks();
  }
  void TearDown() override { ShutdownTestHost(&host); }

  HostError Call(int16_t selector) { return CallFilterSelector(&host, PluginMain, selector); }
  // Prepare and start without the dialog, with the given input projection.
  HostError PrepareAndStart(int32_t input = 1) {
    host.record.inRect = host.record.outRect = host.record.maskRect = Rect{};
    const HostError prepared = Call(kSelectorPrepare);
    if (prepared != kNoErr) return prepared;
    Block()->inputProjection = input;
    return Call(kSelectorStart);
  }
  // Continue calls while the filter asks for anything; the first error ends them.
  HostError ContinueToEnd(int32_t* calls = nullptr) {
    int32_t n = 0;
    HostError result = kNoErr;
    while (!RectIsEmpty(host.record.inRect) || !RectIsEmpty(host.record.outRect) ||
           !RectIsEmpty(host.record.maskRect)) {
      ++n;
      if ((result = Call(kSelectorContinue)) != kNoErr) break;
    }
    if (calls) *calls = n;
    return result;
  }

  GlobalsRecord* Globals() { return host.data ? *reinterpret_cast<GlobalsRecord**>(host.data) : nullptr; }
  ParameterBlock* Block() {
    return host.record.parameters ? reinterpret_cast<ParameterBlock*>(*host.record.parameters) : nullptr;
  }
  // Readies the globals for a direct call of a run function between the
  // host's selector calls: the result word of the last call is gone.
  GlobalsRecord* Direct() {
    MakeTestHostCurrent(&host);
    GlobalsRecord* g = Globals();
    directResult = 0;
    g->resultPtr = &directResult;
    g->filterRecord = &host.record;
    return g;
  }

  void ExpectCleanEnd(const std::string& label) {
    EXPECT_EQ(LiveBufferCount(&host), 0) << label;
    EXPECT_EQ(LockedBufferCount(&host), 0) << label;
    EXPECT_EQ(LockedHandleCount(&host), 0) << label;
    EXPECT_EQ(host.bufferMisuse, 0) << label;
    EXPECT_EQ(host.handleMisuse, 0) << label;
    EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocksBefore) << label;
    EXPECT_TRUE(RectIsEmpty(host.record.inRect) && RectIsEmpty(host.record.outRect) &&
                RectIsEmpty(host.record.maskRect))
        << label;
  }
};

// One pixel of an image record as doubles in the document's units.
inline void ImagePixel(const ImageRecord* image, int32_t x, int32_t y, double out[4]) {
  uint32_t v[4];
  GetPixelRgba(x, y, image, 0, &v[0], &v[1], &v[2], &v[3]);
  for (int32_t k = 0; k < 4; ++k) {
    if (image->pixelMode == PixelRgbaFloat) {
      float f;
      std::memcpy(&f, &v[k], 4);
      out[k] = f;
    } else {
      out[k] = v[k];
    }
  }
}

// The document's pixel as the source image should hold it: grey repeated
// into red, green and blue, full alpha without a transparency plane.
inline void DocumentPixel(const TestDocument& doc, int32_t x, int32_t y, double out[4]) {
  const bool grey = doc.colourPlanes == 1;
  for (int16_t k = 0; k < 3; ++k) out[k] = GetDocumentSample(doc, x, y, grey ? 0 : k);
  out[3] = doc.hasTransparency ? GetDocumentSample(doc, x, y, doc.colourPlanes) : DocumentFullScale(doc);
}
