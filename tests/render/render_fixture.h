// Whole filter runs through the test host with the settings a test chooses:
// the parameters phase creates the settings block, the test edits it, then
// prepare, start, continue and finish run as the host calls them.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/host_records.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "tests/support/preview_rows.h"

struct RenderRun {
  TestHost host;
  TestRunReport report;

  ParameterBlock* Block() {
    return host.record.parameters ? reinterpret_cast<ParameterBlock*>(*host.record.parameters) : nullptr;
  }

  // Renders `doc` in place with the settings `edit` makes (no dialog shown).
  HostError Render(TestDocument* doc, const std::function<void(ParameterBlock*)>& edit,
                   TestHostOptions options = TestHostOptions{}) {
    options.hasDescriptorParameters = false;
    InitTestHost(&host, doc, options);
    HostError result = CallFilterSelector(&host, PluginMain, kSelectorParameters);
    if (result != kNoErr) return result;
    ParameterBlock* block = Block();
    block->showDialog = 0;
    block->latitude = block->longitude = block->spin = 0.0f;
    block->sharpen = 0.0f;
    block->grid2 = 1;
    block->indicatrix = 0;
    block->edges = 0;
    block->keepTransparency = 0;
    block->transparentGaps = 0;
    block->inputProjection = 1;
    block->outputProjection = 1;
    block->glue = 1;
    if (edit) edit(block);
    TestRunOptions run;
    run.withParameters = false;
    return RunFilterSelectors(&host, PluginMain, run, &report);
  }
  ~RenderRun() { ShutdownTestHost(&host); }
};

// The committed 256 x 128 photographic panorama as an 8-bit RGB document.
inline TestDocument LoadEarthDocument(int16_t planes = 3, int32_t depth = 8, bool transparency = false) {
  const std::string path = std::string(ORBALIX_SOURCE_DIR) + "/tests/render/data/earth_256x128.ppm";
  TestDocument doc = MakeTestDocument(256, 128, planes, depth, transparency);
  FILE* f = std::fopen(path.c_str(), "rb");
  EXPECT_NE(f, nullptr) << path;
  if (!f) return doc;
  int w = 0, h = 0, maxv = 0;
  EXPECT_EQ(std::fscanf(f, "P6 %d %d %d", &w, &h, &maxv), 3);
  std::fgetc(f);
  std::vector<unsigned char> rgb(size_t(w) * h * 3);
  EXPECT_EQ(std::fread(rgb.data(), 1, rgb.size(), f), rgb.size());
  std::fclose(f);
  const double full = DocumentFullScale(doc);
  for (int32_t y = 0; y < 128; ++y) {
    for (int32_t x = 0; x < 256; ++x) {
      const unsigned char* p = &rgb[(size_t(y) * 256 + x) * 3];
      if (planes == 1) {
        SetDocumentSample(doc, x, y, 0, std::round((p[0] + p[1] + p[2]) / 3.0) / 255.0 * full);
      } else {
        for (int16_t c = 0; c < 3; ++c) SetDocumentSample(doc, x, y, c, p[c] / 255.0 * full);
      }
      if (transparency) SetDocumentSample(doc, x, y, planes, full);
    }
  }
  return doc;
}

// PSNR of the colour planes of two documents of one size, in dB.
inline double DocumentPsnr(const TestDocument& a, const TestDocument& b, int32_t planes) {
  double sum = 0;
  int64_t n = 0;
  const double full = DocumentFullScale(a);
  for (int32_t y = 0; y < a.height; ++y) {
    for (int32_t x = 0; x < a.width; ++x) {
      for (int16_t c = 0; c < planes; ++c) {
        const double d = (GetDocumentSample(a, x, y, c) - GetDocumentSample(b, x, y, c)) / full;
        sum += d * d;
        ++n;
      }
    }
  }
  const double mse = sum / double(n);
  return mse > 0 ? 10.0 * std::log10(1.0 / mse) : 200.0;
}

// Drives a preview as the dialog does: after the start phase, the scaled
// input is requested and the whole preview rendered into the host's buffers.
struct PreviewRun {
  RenderRun run;
  HostError result = kNoErr;

  GlobalsRecord* Globals() { return *reinterpret_cast<GlobalsRecord**>(run.host.data); }

  // After the start phase has set the run up (its final render never
  // continues), the preview renders as the dialog asks for it.
  void Preview(TestDocument* doc, int32_t scale, int32_t quality, int32_t panX = 0, int32_t panY = 0,
               Rect previewRect = Rect{0, 0, 1000, 1000}) {
    Open(doc, scale, quality, panX, panY, previewRect);
    ShownPreviewRows().clear();
    RenderPreviewImage(Globals());
    ASSERT_EQ(result, kNoErr);
  }
  // The run set up and the scaled input delivered, nothing rendered yet.
  void Open(TestDocument* doc, int32_t scale, int32_t quality, int32_t panX = 0, int32_t panY = 0,
            Rect previewRect = Rect{0, 0, 1000, 1000}) {
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
    block->previewPanX = panX;
    block->previewPanY = panY;
    g->previewRect = previewRect;
    RequestScaledInput(g, scale);
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
