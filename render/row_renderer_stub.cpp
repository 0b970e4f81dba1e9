// Stand-in for the row renderer until the per-pixel renderer lands: it runs
// the corner and pixel jobs of a row through the band scheduler (both do
// nothing yet) and writes the source row mirrored left to right, so that a
// test can tell written rows from untouched ones.
#include <cstring>

#include "host/globals_record.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "render/band_scheduler.h"
#include "render/row_renderer.h"
#include "render/source_acquisition.h"

namespace {

int32_t SampleBytes(int32_t pixelMode) {
  switch (pixelMode) {
    case PixelRgba16:
      return 2;
    case PixelRgbaFloat:
      return 4;
    default:
      return 1;
  }
}

void StoreSample(uint8_t* at, int32_t bytes, uint32_t value) {
  if (bytes == 1) {
    *at = uint8_t(value);
  } else if (bytes == 2) {
    const uint16_t v = uint16_t(value);
    std::memcpy(at, &v, 2);
  } else {
    std::memcpy(at, &value, 4);
  }
}

// Writes the mirrored source row into the host's output row.
void WriteHostRow(GlobalsRecord* globals, const ImageRecord* source, int32_t row) {
  const FilterRecord* fr = globals->filterRecord;
  const int32_t bytes = SampleBytes(source->pixelMode);
  const int32_t planes = int32_t(fr->outHiPlane) - fr->outLoPlane + 1;
  const bool rgb = fr->imageMode == kImageModeRGBColor || fr->imageMode == kImageModeRGB48 ||
                   fr->imageMode == kImageModeRGB96;
  const int32_t alphaPlane = rgb ? 3 : 1;
  int32_t width = int32_t(fr->outRect.right) - fr->outRect.left;
  if (width > source->levelWidth[0]) width = source->levelWidth[0];
  const int32_t y = row < source->levelHeight[0] ? row : source->levelHeight[0] - 1;
  auto* out = static_cast<uint8_t*>(fr->outData);
  for (int32_t c = 0; c < width; ++c) {
    uint32_t v[4];
    GetPixelRgba(source->levelWidth[0] - 1 - c, y, source, 0, &v[0], &v[1], &v[2], &v[3]);
    for (int32_t i = 0; i < planes; ++i) {
      const int32_t plane = fr->outLoPlane + i;
      const uint32_t value = plane == alphaPlane ? v[3] : v[rgb && plane < 3 ? plane : 0];
      StoreSample(out + int64_t(c) * planes * bytes + int64_t(i) * bytes, bytes, value);
    }
  }
}

void WriteTargetRow(const ImageRecord* source, ImageRecord* target, int32_t row) {
  if (target->pixelMode != source->pixelMode || !ImageHasLevel(target, 0)) return;
  const int32_t y = row < source->levelHeight[0] ? row : source->levelHeight[0] - 1;
  for (int32_t c = 0; c < target->levelWidth[0]; ++c) {
    const int32_t x = source->levelWidth[0] - 1 - (c < source->levelWidth[0] ? c : source->levelWidth[0] - 1);
    uint32_t r, g, b, a;
    GetPixelRgba(x, y, source, 0, &r, &g, &b, &a);
    PutPixelRgba(c, row, target, 0, r, g, b, a);
  }
}

}  // namespace

void RenderOutputRow(GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  const int32_t runMode = GetParameterBlock(globals)->runMode;
  if (runMode != RunModeExport && (!fr->inData || !fr->outData)) {
    SetResult(globals, kMemFullErr);
    return;
  }
  const int32_t row = globals->currentRow;
  ImageRecord* target = RunTargetImage(globals);
  const int32_t width = target->levelWidth[0];
  SplitSpanIntoBands(-1, width - 1, JobMapCorners, globals, nullptr, row, target);
  RunBands(globals);
  SplitSpanIntoBands(0, width - 1, JobRenderPixels, globals, nullptr, row, target);
  RunBands(globals);

  const ImageRecord* source = &globals->images[0];
  if (!ImageHasLevel(source, 0) || source->pixelMode != SourcePixelMode(globals)) return;
  if (runMode == RunModeHost) WriteHostRow(globals, source, row);
  if (runMode == RunModeExport && target != source) WriteTargetRow(source, target, row);
}

void MapRowCorners(BandRecord* /*band*/) {}

void RenderRowPixels(BandRecord* /*band*/) {}
