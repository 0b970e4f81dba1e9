// A panorama whose colour spells out the direction of each pixel, and the
// filter run that renders one output of it through the test host: the shared
// set-up of the end-to-end net renders.
#pragma once

#include <cmath>
#include <cstdint>

#include "geometry/fast_math.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"

// Red, green and blue follow x, y and z of the pixel's direction.
inline TestDocument DirectionPanorama(int32_t width, int32_t height) {
  TestDocument d = MakeTestDocument(width, height, 3, 8, false);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      Vec3 v;
      EquirectToVec3d((x + 0.5) / width, (y + 0.5) / height, &v);
      uint8_t* p = DocumentPixelAddress(d, x, y);
      p[0] = uint8_t(std::lround(127.5 + 120 * v.x));
      p[1] = uint8_t(std::lround(127.5 + 120 * v.y));
      p[2] = uint8_t(std::lround(127.5 + 120 * v.z));
    }
  }
  return d;
}

// The direction a pixel of a render of that panorama shows: true when its
// colour is a unit direction (within 0.05), which the backdrop's is not.
// Pixels off the document show none.
inline bool ReadPixelDirection(TestDocument& doc, int32_t x, int32_t y, double* d) {
  if (x < 0 || y < 0 || x >= doc.width || y >= doc.height) return false;
  const uint8_t* p = DocumentPixelAddress(doc, x, y);
  double n = 0;
  for (int k = 0; k < 3; ++k) {
    d[k] = (p[k] - 127.5) / 120;
    n += d[k] * d[k];
  }
  return std::fabs(std::sqrt(n) - 1) < 0.05;
}

// A pixel with the picture all about it (2 pixels each way): the outline's
// pixels are blended with the backdrop and may pass for a direction.
inline bool ShowsDirectionAllAbout(TestDocument& doc, int32_t x, int32_t y) {
  double e[3];
  for (int32_t dy = -2; dy <= 2; ++dy) {
    for (int32_t dx = -2; dx <= 2; ++dx) {
      if (!ReadPixelDirection(doc, x + dx, y + dy, e)) return false;
    }
  }
  return true;
}

// Opens the host on the document and runs parameters, prepare, start and
// every continue for one output from an equirectangular input, without grids,
// indicatrices or edges; adjust(block) may change the block before prepare.
// The host stays open (the caller shuts it down) so the run can be inspected.
template <typename Adjust>
HostError RenderOutputOnTestHost(TestHost* host, TestDocument* doc, int32_t output, Adjust adjust) {
  TestHostOptions options;
  options.hasDescriptorParameters = false;
  InitTestHost(host, doc, options);
  HostError r = CallFilterSelector(host, PluginMain, kSelectorParameters);
  if (r != kNoErr) return r;
  auto* block = reinterpret_cast<ParameterBlock*>(*host->record.parameters);
  block->showDialog = 0;
  block->inputProjection = 1;
  block->outputProjection = output;
  block->grid2 = 1;
  block->indicatrix = 0;
  block->edges = 0;
  adjust(block);
  if ((r = CallFilterSelector(host, PluginMain, kSelectorPrepare)) != kNoErr) return r;
  if ((r = CallFilterSelector(host, PluginMain, kSelectorStart)) != kNoErr) return r;
  while (!RectIsEmpty(host->record.inRect) || !RectIsEmpty(host->record.outRect) ||
         !RectIsEmpty(host->record.maskRect)) {
    if ((r = CallFilterSelector(host, PluginMain, kSelectorContinue)) != kNoErr) return r;
  }
  return kNoErr;
}
