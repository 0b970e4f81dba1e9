// A panorama whose colour spells out the direction of each pixel, and the
// filter run that renders one output of it through the test host: the shared
// set-up of the end-to-end net renders.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "tests/support/direction_colours.h"

// Red, green and blue follow x, y and z of the pixel's direction
// (DirectionColour).
inline TestDocument DirectionPanorama(int32_t width, int32_t height) {
  TestDocument d = MakeTestDocument(width, height, 3, 8, false);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) PanoramaDirectionColour(x, y, width, height, DocumentPixelAddress(d, x, y));
  }
  return d;
}

// The direction a pixel of a render of that panorama shows (as the colour
// spells it out, not normalised): true when its length is 1 within
// `tolerance`, which the backdrop's is not. Pixels off the document show
// none (and read as 0, 0, 0).
inline bool ReadPixelDirection(TestDocument& doc, int32_t x, int32_t y, double* d, double tolerance = 0.05) {
  if (x < 0 || y < 0 || x >= doc.width || y >= doc.height) {
    d[0] = d[1] = d[2] = 0;
    return false;
  }
  ColourDirection(DocumentPixelAddress(doc, x, y), d);
  const double n = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  return std::fabs(std::sqrt(n) - 1) < tolerance;
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

// A render read pixel by pixel, away from the document's border (2 pixels
// on the left and top, 3 on the right and bottom): the pixels that show a
// direction and the eighths of the sphere they reach, and the steps to the
// right and downwards between neighbours that both have the picture all
// about them (a seam shows as a large step).
struct NeighbourSteps {
  int32_t inside = 0;     // pixels showing a direction
  bool octants[8] = {};   // by OctantOf
  int32_t pairs = 0;      // neighbouring pairs measured
  int32_t over = 0;       // of those, steps of more than the threshold
  double worst = 0;       // the largest step (degrees)
};

inline NeighbourSteps ReadNeighbourSteps(TestDocument& doc, double thresholdDegrees) {
  NeighbourSteps s;
  for (int32_t y = 2; y + 3 < doc.height; ++y) {
    for (int32_t x = 2; x + 3 < doc.width; ++x) {
      double d[3], r[3], b[3];
      if (!ReadPixelDirection(doc, x, y, d)) continue;
      ++s.inside;
      s.octants[OctantOf(d)] = true;
      if (!ShowsDirectionAllAbout(doc, x, y) || !ShowsDirectionAllAbout(doc, x + 1, y) ||
          !ShowsDirectionAllAbout(doc, x, y + 1)) {
        continue;
      }
      ReadPixelDirection(doc, x + 1, y, r);
      ReadPixelDirection(doc, x, y + 1, b);
      for (const double step : {DegreesBetween(d, r), DegreesBetween(d, b)}) {
        ++s.pairs;
        s.worst = std::max(s.worst, step);
        s.over += step > thresholdDegrees ? 1 : 0;
      }
    }
  }
  return s;
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
