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
