#include "ui/document_thumbnail.h"

#include <cstring>
#include <memory>
#include <vector>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"
#include "image/filter_tables.h"
#include "image/sample_edge.h"
#include "render/run_tables.h"
#include "settings/settings_globals.h"
#include "settings/thumbnail.h"

namespace {

// The square is read at a reduced rate when the host can sample, so that a
// large document never needs a picture much larger than the thumbnail.
constexpr int32_t kThumbnailReadSide = 2 * kThumbnailSide;

uint8_t SixteenToThumbnailByte(uint16_t v) {
  const int32_t b = ((int32_t(v) + 1) >> 7) & 511;
  return uint8_t(b > 255 ? 255 : b);
}

}  // namespace

void ConvertHostImageToRgb8(const GlobalsRecord* globals, const Rect& rect, PixelRaster* image) {
  const FilterRecord* fr = globals ? globals->filterRecord : nullptr;
  if (!fr || !fr->inData || !image || !image->pixels || image->channels != 4) return;
  const int32_t planes = fr->inHiPlane - fr->inLoPlane + 1;
  const int32_t inWidth = int32_t(fr->inRect.right) - fr->inRect.left;
  const int32_t inHeight = int32_t(fr->inRect.bottom) - fr->inRect.top;
  const bool grey = planes < 3;
  const int32_t depth = fr->depth;
  const bool floats = depth == 32 || fr->imageMode == kImageModeRGB96 || fr->imageMode == kImageModeGray32;
  const int32_t bytes = floats ? 4 : depth == 16 ? 2 : 1;
  for (int32_t y = rect.top; y < rect.bottom; ++y) {
    const int32_t iy = y - rect.top;
    if (y < 0 || y >= inHeight || iy >= image->height) continue;
    const uint8_t* row = static_cast<const uint8_t*>(fr->inData) + int64_t(y) * fr->inRowBytes;
    for (int32_t x = rect.left; x < rect.right; ++x) {
      const int32_t ix = x - rect.left;
      if (x < 0 || x >= inWidth || ix >= image->width) continue;
      const uint8_t* pixel = row + int64_t(x) * planes * bytes;
      uint8_t rgb[3];
      for (int32_t c = 0; c < 3; ++c) {
        const uint8_t* sample = pixel + (grey ? 0 : c) * bytes;
        if (floats) {
          float f;
          std::memcpy(&f, sample, 4);
          rgb[c] = uint8_t(SqrtToByte(f));
        } else if (bytes == 2) {
          uint16_t v;
          std::memcpy(&v, sample, 2);
          rgb[c] = SixteenToThumbnailByte(v);
        } else {
          rgb[c] = sample[0];
        }
      }
      uint8_t* out = image->pixels + (int64_t(iy) * image->width + ix) * 4;
      out[0] = rgb[0];
      out[1] = rgb[1];
      out[2] = rgb[2];
      out[3] = 255;
    }
  }
}

void MakeDocumentThumbnail(GlobalsRecord* globals) {
  if (!globals || !globals->filterRecord || !HostHasAdvanceState(globals)) return;
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  ThumbnailFromImage(&globals->thumbnailImage, thumbnail.get());
  if (!thumbnail->exists) return;
  ParameterBlock* block = GetParameterBlock(globals);
  if (!block) return;
  FilterRecord* fr = globals->filterRecord;
  if (globals->workRecord) BuildLanczosFilterTable(&globals->workRecord->filterTables);
  PaintThumbnailBackground(thumbnail.get());

  const Rect filter = fr->filterRect;
  const int32_t width = int32_t(filter.right) - filter.left;
  const int32_t height = int32_t(filter.bottom) - filter.top;
  const int32_t side = width < height ? width : height;
  if (side > 0) {
    SavedRunState saved{};
    SaveRunState(&saved, globals);
    // The output buffer holds the preview: kept, to be put back once the
    // host delivers the same rectangle again.
    const Rect outBefore = fr->outRect;
    const int32_t outRowBytes = fr->outRowBytes;
    const int32_t outRows = int32_t(outBefore.bottom) - outBefore.top;
    std::vector<uint8_t> keptOutput;
    if (fr->outData && outRowBytes > 0 && outRows > 0) {
      const uint8_t* out = static_cast<const uint8_t*>(fr->outData);
      keptOutput.assign(out, out + size_t(outRowBytes) * size_t(outRows));
    }
    // The square, centred, relative to the filter rectangle's corner.
    Rect square{};
    SetRect16(&square, int16_t((width - side) / 2), int16_t((height - side) / 2), int16_t((width - side) / 2 + side),
              int16_t((height - side) / 2 + side));
    int32_t rate = 1;
    if (!HostLacksSampling(globals)) rate = (side + kThumbnailReadSide - 1) / kThumbnailReadSide;
    if (rate < 1) rate = 1;
    RequestSourceRect(globals, &square);
    if (rate > 1) {
      ScaleRect(&fr->inRect, 1, rate);
      fr->inputRate = Fixed16(uint32_t(rate) << 16);
    }
    const HostError result = CallAdvanceState(fr->advanceState);
    const int32_t readWidth = int32_t(fr->inRect.right) - fr->inRect.left;
    const int32_t readHeight = int32_t(fr->inRect.bottom) - fr->inRect.top;
    if (result == kNoErr && readWidth > 0 && readHeight > 0) {
      std::vector<uint8_t> pixels(size_t(readWidth) * size_t(readHeight) * 4, 0);
      PixelRaster picture{readWidth, readHeight, 4, pixels.data()};
      Rect all{};
      SetRect16(&all, 0, 0, int16_t(readWidth), int16_t(readHeight));
      ConvertHostImageToRgb8(globals, all, &picture);
      CopyImageToThumbnail(thumbnail.get(), &picture);
    }
    // The host's rectangles as they were (a preview's input asked for again).
    RestoreRunState(&saved, globals);
    if (!keptOutput.empty() && fr->outData && fr->outRowBytes == outRowBytes &&
        std::memcmp(&fr->outRect, &outBefore, sizeof(Rect)) == 0) {
      std::memcpy(fr->outData, keptOutput.data(), keptOutput.size());
    }
  }
  ThumbnailToImage(thumbnail.get(), &globals->thumbnailImage);
}
