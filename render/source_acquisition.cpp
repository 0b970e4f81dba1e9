#include "render/source_acquisition.h"

#include <cstring>
#include <utility>
#include <vector>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "image/image_record.h"
#include "image/level_building.h"
#include "render/band_scheduler.h"
#include "render/worker_pool.h"
#include "ui/dialog_services.h"

namespace {

bool IsRgbImageMode(int16_t imageMode) {
  return imageMode == kImageModeRGBColor || imageMode == kImageModeRGB48 || imageMode == kImageModeRGB96;
}

// Plane indexes of one host pixel: the colour planes (grey repeats plane 0)
// and the transparency plane, -1 when the pixel carries none we may use.
struct PlaneMap {
  int32_t red, green, blue, alpha;
};

PlaneMap HostPlaneMap(const FilterRecord* fr, int32_t planes) {
  const bool rgb = IsRgbImageMode(fr->imageMode);
  const int32_t colourPlanes = rgb ? 3 : 1;
  PlaneMap map{0, 0, 0, -1};
  if (rgb) {
    map.green = planes > 1 ? 1 : 0;
    map.blue = planes > 2 ? 2 : 0;
  }
  if (IsTransparencyEditable(fr) && planes > colourPlanes) map.alpha = colourPlanes;
  return map;
}

template <typename T>
T LoadSample(const uint8_t* pixel, int32_t plane) {
  T value;
  std::memcpy(&value, pixel + plane * int32_t(sizeof(T)), sizeof(T));
  return value;
}

// Converts one host pixel into the record's pixel at `out`.
template <int32_t kMode>
[[gnu::always_inline]] inline void ConvertPixel(const uint8_t* in, const PlaneMap& map, uint8_t* out) {
  if constexpr (kMode == PixelRgba8) {
    const uint32_t a = map.alpha >= 0 ? in[map.alpha] : 255u;
    const uint32_t word = (uint32_t(in[map.red]) << 24) | (uint32_t(in[map.green]) << 16) |
                          (uint32_t(in[map.blue]) << 8) | a;
    std::memcpy(out, &word, 4);
  } else if constexpr (kMode == PixelRgba16) {
    const uint16_t v[4] = {LoadSample<uint16_t>(in, map.red), LoadSample<uint16_t>(in, map.green),
                           LoadSample<uint16_t>(in, map.blue),
                           map.alpha >= 0 ? LoadSample<uint16_t>(in, map.alpha) : uint16_t(32768)};
    std::memcpy(out, v, sizeof v);
  } else {
    const float v[4] = {LoadSample<float>(in, map.red), LoadSample<float>(in, map.green),
                        LoadSample<float>(in, map.blue), map.alpha >= 0 ? LoadSample<float>(in, map.alpha) : 1.0f};
    std::memcpy(out, v, sizeof v);
  }
}

// Rows of a host tile converted as one part on the worker threads; the parts
// are fixed by the tile alone, and each pixel is converted on its own.
constexpr int32_t kConvertPartRows = 32;
// Tiles with fewer pixels are converted on the calling thread.
constexpr int64_t kParallelConvertPixels = 64 * 1024;

struct TileConversion {
  const uint8_t* in;
  int64_t inRowBytes;
  uint8_t* out;
  int64_t outRowBytes;
  int32_t rows;
  int32_t columns;
  int32_t pixelBytes;
  int32_t pixelMode;
  PlaneMap map;
};

// Rows of one pixel mode. The plane map and the host pixel size are passed
// apart from the conversion so that a caller may pass constants, which the
// compiler folds into the loop.
template <int32_t kMode>
[[gnu::always_inline]] inline void ConvertModeRows(const TileConversion& c, const PlaneMap& map, int64_t pixelBytes,
                                                   int32_t firstRow, int32_t lastRow) {
  // The record's pixel: four channels of the mode's sample.
  constexpr int64_t kOutBytes = kMode == PixelRgba8 ? 4 : kMode == PixelRgba16 ? 8 : 16;
  for (int32_t y = firstRow; y < lastRow; ++y) {
    const uint8_t* src = c.in + int64_t(y) * c.inRowBytes;
    uint8_t* dst = c.out + int64_t(y) * c.outRowBytes;
    for (int32_t x = 0; x < c.columns; ++x) {
      ConvertPixel<kMode>(src + int64_t(x) * pixelBytes, map, dst + kOutBytes * x);
    }
  }
}

// The common document: 8-bit RGB without transparency, its planes in order.
constexpr PlaneMap kPlainRgbMap{0, 1, 2, -1};

bool PlainRgb8(const TileConversion& c) {
  return c.pixelBytes == 3 && c.map.red == kPlainRgbMap.red && c.map.green == kPlainRgbMap.green &&
         c.map.blue == kPlainRgbMap.blue && c.map.alpha < 0;
}

// The pixel mode is chosen once for the rows, not for every pixel.
void ConvertTileRows(const TileConversion& c, int32_t firstRow, int32_t lastRow) {
  switch (c.pixelMode) {
    case PixelRgba8:
      if (PlainRgb8(c)) {
        ConvertModeRows<PixelRgba8>(c, kPlainRgbMap, 3, firstRow, lastRow);
      } else {
        ConvertModeRows<PixelRgba8>(c, c.map, c.pixelBytes, firstRow, lastRow);
      }
      break;
    case PixelRgba16:
      ConvertModeRows<PixelRgba16>(c, c.map, c.pixelBytes, firstRow, lastRow);
      break;
    case PixelRgbaFloat:
      ConvertModeRows<PixelRgbaFloat>(c, c.map, c.pixelBytes, firstRow, lastRow);
      break;
    default:
      break;
  }
}

void ConvertTilePart(void* arg, int32_t part) {
  const auto* c = static_cast<const TileConversion*>(arg);
  const int32_t first = part * kConvertPartRows;
  const int32_t last = first + kConvertPartRows < c->rows ? first + kConvertPartRows : c->rows;
  ConvertTileRows(*c, first, last);
}

int32_t BytesPerHostSample(int32_t pixelMode) {
  switch (pixelMode) {
    case PixelRgba16:
      return 2;
    case PixelRgbaFloat:
      return 4;
    default:
      return 1;
  }
}

// Backs the pixels of every tile (all levels) with memory on the helper
// threads before the tiles are filled: fresh pages cost the kernel a
// clearing each, which otherwise falls on the few threads converting a tile
// at a time.
void PrepareTilePages(const ImageRecord* image) {
  if (image->tiles == nullptr) return;
  std::vector<PageRange> ranges;
  ranges.reserve(size_t(image->tileCount));
  for (int32_t t = 0; t < image->tileCount; ++t) {
    const ImageTile& tile = image->tiles[t];
    if (tile.pixels == nullptr || tile.width < 1 || tile.height < 1) continue;
    const auto start = reinterpret_cast<uintptr_t>(tile.pixels);
    ranges.push_back({start, start + uintptr_t(tile.width) * uintptr_t(tile.height) * image->bytesPerPixel});
  }
  PreparePagesInParallel(std::move(ranges), RenderThreadCount());
}

}  // namespace

int32_t DocumentPixelKind(int16_t imageMode, int32_t depth) {
  switch (imageMode) {
    case kImageModeGrayScale:
    case kImageModeRGBColor:
      // Hosts older than the depth field leave it 0.
      return depth == 8 || depth == 0 ? PixelRgba8 : kUnknownPixelKind;
    case kImageModeGray16:
    case kImageModeRGB48:
      return depth == 16 || depth == 0 ? PixelRgba16 : kUnknownPixelKind;
    case kImageModeRGB96:
    case kImageModeGray32:
      return depth == 32 || depth == 0 ? PixelRgbaFloat : kUnknownPixelKind;
    default:
      return kUnknownPixelKind;
  }
}

int32_t SourcePixelMode(const GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  return DocumentPixelKind(fr->imageMode, fr->depth);
}

void AcquireSourceImage(GlobalsRecord* globals) {
  ParameterBlock* block = GetParameterBlock(globals);
  if (block->sourceLoaded) return;
  const int32_t pixelMode = SourcePixelMode(globals);
  if (pixelMode == kUnknownPixelKind) {
    // A document we cannot read in a known pixel kind is refused, never read
    // into buffers of another size.
    ShowRefusalMultichannel();
    SetResult(globals, kRefusedByAlert);
    globals->bandActive = 0;
    return;
  }
  const Rect filter = globals->filterRecord->filterRect;
  if (!CreateSessionImage(&globals->images[0], int32_t(filter.right) - filter.left,
                          int32_t(filter.bottom) - filter.top, pixelMode)) {
    SetResult(globals, kSourceImageUnavailable);
    globals->bandActive = 0;
    return;
  }
  globals->rowStep = 1;
  globals->currentRow = 0;
  globals->rowsDone = 0;
  globals->rowTotal = globals->workHeight;
  globals->bandRepeat = 0;
  globals->maskActive = 1;
  globals->bandActive = 1;
  ReadSourceTiles(globals);
}

void ReadSourceTiles(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  ParameterBlock* block = GetParameterBlock(globals);
  const Rect savedIn = fr->inRect;
  const Rect savedOut = fr->outRect;
  const Rect savedMask = fr->maskRect;
  const int32_t savedScale = block->previewScale;
  const Rect filter = fr->filterRect;
  SetWorkArea(globals, &filter, 1);

  ImageRecord* source = &globals->images[0];
  // One set of helper threads converts every tile and builds the levels.
  ParallelScope helpers(RenderThreadCount());
  PrepareTilePages(source);
  for (int32_t t = source->firstTile[0]; source->tileCount > 0 && t <= source->lastTile[0]; ++t) {
    Rect tile{};
    GetTileRect(source, t, &tile);
    RequestSourceRect(globals, &tile);
    const HostError result = CallAdvanceState(fr->advanceState);
    SetResult(globals, result);
    if (result != kNoErr) {
      globals->bandActive = 0;
      return;
    }
    CopyHostTileToImage(source, globals, t);
  }
  source->fetchEdgeMode = InputLayoutClass(block->inputProjection);
  source->sampleEdgeMode = InputTileCode(block->inputProjection);
  BuildLevelsThroughBands(globals, source);
  ReportProgressSource(globals, 1, 100);
  block->sourceLoaded = 1;
  fr->inRect = savedIn;
  fr->outRect = savedOut;
  fr->maskRect = savedMask;
  block->previewScale = savedScale;
  RequestScaledInput(globals, savedScale);
}

void CopyHostTileToImage(ImageRecord* image, GlobalsRecord* globals, int32_t tileIndex) {
  const FilterRecord* fr = globals->filterRecord;
  if (!image || image->pixelMode != SourcePixelMode(globals)) return;
  if (tileIndex < 0 || tileIndex >= image->tileCount || !image->tiles) return;
  const ImageTile& tile = image->tiles[tileIndex];
  if (!tile.pixels || !fr->inData) return;

  const int32_t planes = int32_t(fr->inHiPlane) - fr->inLoPlane + 1;
  if (planes < 1) return;
  const PlaneMap map = HostPlaneMap(fr, planes);
  const int32_t pixelBytes = planes * BytesPerHostSample(image->pixelMode);
  // Copy no more than the host delivered.
  int32_t rows = int32_t(fr->inRect.bottom) - fr->inRect.top;
  int32_t columns = int32_t(fr->inRect.right) - fr->inRect.left;
  if (rows > tile.height) rows = tile.height;
  if (columns > tile.width) columns = tile.width;

  if (rows < 1 || columns < 1) return;
  TileConversion c{static_cast<const uint8_t*>(fr->inData),
                   int64_t(fr->inRowBytes),
                   static_cast<uint8_t*>(tile.pixels),
                   int64_t(tile.width) * image->bytesPerPixel,
                   rows,
                   columns,
                   pixelBytes,
                   image->pixelMode,
                   map};
  if (int64_t(rows) * columns < kParallelConvertPixels) {
    ConvertTileRows(c, 0, rows);
    return;
  }
  const int32_t parts = (rows + kConvertPartRows - 1) / kConvertPartRows;
  RunParallel(parts, RenderThreadCount(), ConvertTilePart, &c);
}

ImageRecord* RunTargetImage(GlobalsRecord* globals) {
  const ParameterBlock* block = GetParameterBlock(globals);
  WorkRecord* work = globals->workRecord;
  if (block && block->runMode == RunModeExport && work && work->offscreenTarget) return work->offscreenTarget;
  return &globals->images[0];
}
