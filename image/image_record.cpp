#include "image/image_record.h"

#include "host/host_memory.h"

namespace {

struct PixelModeInfo {
  uint32_t bytesPerPixel;
  uint32_t channelCount;
  float maxValue;
};

// Indexed by pixel mode; values 6 and 8 are not modes (0 bytes per pixel).
constexpr PixelModeInfo kPixelModes[10] = {
    {1, 1, 255.0f},    // PixelGray8
    {2, 1, 32768.0f},  // PixelGray16
    {2, 1, 1.0f},      // PixelGray16Raw
    {4, 4, 255.0f},    // PixelRgba8
    {8, 4, 32768.0f},  // PixelRgba16
    {4, 1, 1.0f},      // PixelGrayFloat
    {0, 0, 0.0f},      // not a mode
    {6, 3, 1.0f},      // PixelRgb16
    {0, 0, 0.0f},      // not a mode
    {16, 4, 1.0f},     // PixelRgbaFloat
};

// One halving step of the level-size rule: ceil(n / 2), made even when it
// is an odd number of 3 or more.
int32_t NextLevelSide(int32_t n) {
  int32_t m = (n + 1) / 2;
  if (m >= 3 && (m & 1)) m += 1;
  return m;
}

// Fills the sizes of every level (zero past the last) and returns lastLevel.
int32_t ComputeLevelSizes(int32_t width, int32_t height, int32_t widths[kImageMaxLevels],
                          int32_t heights[kImageMaxLevels]) {
  for (int32_t level = 0; level < kImageMaxLevels; ++level) widths[level] = heights[level] = 0;
  if (width < 1 || height < 1) return 0;
  widths[0] = width;
  heights[0] = height;
  int32_t w = width;
  int32_t h = height;
  for (int32_t level = 1; level < kImageMaxLevels; ++level) {
    w = NextLevelSide(w);
    h = NextLevelSide(h);
    widths[level] = w;
    heights[level] = h;
    // The first 1 x 1 level reached by halving is the last one.
    if (w == 1 && h == 1) return level;
  }
  return kImageMaxLevels - 1;
}

int32_t RectWidth(const Rect* rect) { return int32_t(rect->right) - int32_t(rect->left); }
int32_t RectHeight(const Rect* rect) { return int32_t(rect->bottom) - int32_t(rect->top); }

void FreeTileTable(ImageRecord* image) {
  if (image->tiles) {
    for (int32_t t = 0; t < image->tileCount; ++t) {
      ImageTile& tile = image->tiles[t];
      FreeBuffer(&tile.pixels, &tile.handle, image->allocator);
    }
    void* table = image->tiles;
    FreeBuffer(&table, &image->tilesHandle, image->allocator);
  }
  image->tiles = nullptr;
  image->tilesHandle = 0;
  image->tileCount = 0;
}

}  // namespace

// --- mode table -----------------------------------------------------------------------

bool IsValidPixelMode(int32_t pixelMode) {
  return pixelMode >= 0 && pixelMode <= 9 && kPixelModes[pixelMode].bytesPerPixel != 0;
}

uint32_t PixelModeBytesPerPixel(int32_t pixelMode) {
  return IsValidPixelMode(pixelMode) ? kPixelModes[pixelMode].bytesPerPixel : 0;
}

uint32_t PixelModeChannelCount(int32_t pixelMode) {
  return IsValidPixelMode(pixelMode) ? kPixelModes[pixelMode].channelCount : 0;
}

int32_t GetBytesPerChannel(int32_t pixelMode) {
  if (!IsValidPixelMode(pixelMode)) return 0;
  return int32_t(kPixelModes[pixelMode].bytesPerPixel / kPixelModes[pixelMode].channelCount);
}

float PixelModeMaxValue(int32_t pixelMode) {
  return IsValidPixelMode(pixelMode) ? kPixelModes[pixelMode].maxValue : 1.0f;
}

// --- level table --------------------------------------------------------------------

bool LevelSize(int32_t width, int32_t height, int32_t level, int32_t* levelWidth, int32_t* levelHeight) {
  int32_t widths[kImageMaxLevels];
  int32_t heights[kImageMaxLevels];
  const int32_t last = ComputeLevelSizes(width, height, widths, heights);
  const bool exists = level >= 0 && level <= last && widths[0] > 0;
  *levelWidth = exists ? widths[level] : 0;
  *levelHeight = exists ? heights[level] : 0;
  return exists;
}

int32_t CountLevels(int32_t width, int32_t height) {
  int32_t widths[kImageMaxLevels];
  int32_t heights[kImageMaxLevels];
  return ComputeLevelSizes(width, height, widths, heights);
}

int64_t GetTotalPixelCount(const Rect* rect, uint8_t /*borderFlag*/) {
  int32_t widths[kImageMaxLevels];
  int32_t heights[kImageMaxLevels];
  const int32_t last = ComputeLevelSizes(RectWidth(rect), RectHeight(rect), widths, heights);
  int64_t total = 0;
  for (int32_t level = 0; level <= last; ++level) total += int64_t(widths[level]) * heights[level];
  return total;
}

void FillLevelTable(const Rect* rect, ImageRecord* image, uint32_t bytesPerPixel) {
  int32_t widths[kImageMaxLevels];
  int32_t heights[kImageMaxLevels];
  image->lastLevel = ComputeLevelSizes(RectWidth(rect), RectHeight(rect), widths, heights);
  for (int32_t level = 0; level < kImageMaxLevels; ++level) {
    const int32_t w = widths[level];
    const int32_t h = heights[level];
    image->levelWidth[level] = w;
    image->levelHeight[level] = h;
    image->levelMaxX[level] = w - 1;
    image->levelMaxY[level] = h - 1;
    image->levelMaxXf[level] = float(w - 1);
    image->levelMaxYf[level] = float(h - 1);
    image->levelInvWidth[level] = w > 0 ? float(1.0 / w) : 0.0f;
    image->levelInvHeight[level] = h > 0 ? float(1.0 / h) : 0.0f;
  }
  image->bytesPerPixel = bytesPerPixel;
  const int32_t w0 = widths[0];
  const int32_t h0 = heights[0];
  image->aspectX = 1.0f;
  image->aspectY = 1.0f;
  if (w0 > h0 && h0 > 0) image->aspectX = float(double(w0) / double(h0));
  if (h0 > w0 && w0 > 0) image->aspectY = float(double(h0) / double(w0));
}

int32_t CountTiles(int32_t width, int32_t height, uint8_t /*borderFlag*/) {
  int32_t widths[kImageMaxLevels];
  int32_t heights[kImageMaxLevels];
  if (width < 1 || height < 1) return 0;
  const int32_t last = ComputeLevelSizes(width, height, widths, heights);
  int32_t count = 0;
  for (int32_t level = 0; level <= last; ++level) {
    count += ((widths[level] + kTileMask) >> kTileShift) * ((heights[level] + kTileMask) >> kTileShift);
  }
  return count;
}

int32_t GetTileHeight(int32_t tileRow, int32_t levelHeight) {
  const int32_t rows = (levelHeight + kTileMask) >> kTileShift;
  if (tileRow == rows - 1) return levelHeight - kTileSize * tileRow;
  return kTileSize;
}

// --- tiles --------------------------------------------------------------------------

bool AllocateTiles(ImageRecord* image, int32_t pixelMode, int32_t width, int32_t height) {
  const int32_t count = CountTiles(width, height, image->borderFlag);
  const uint32_t bpp = PixelModeBytesPerPixel(pixelMode);
  if (count < 1 || bpp == 0) return false;
  image->tiles = static_cast<ImageTile*>(
      AllocBuffer(int64_t(count) * int64_t(sizeof(ImageTile)), &image->tilesHandle, image->allocator));
  if (!image->tiles) {
    image->tilesHandle = 0;
    image->tileCount = 0;
    return false;
  }
  image->tileCount = count;
  for (int32_t t = 0; t < count; ++t) image->tiles[t] = ImageTile{};

  int32_t widths[kImageMaxLevels];
  int32_t heights[kImageMaxLevels];
  image->lastLevel = ComputeLevelSizes(width, height, widths, heights);
  int32_t t = 0;
  for (int32_t level = 0; level <= image->lastLevel; ++level) {
    const int32_t w = widths[level];
    const int32_t h = heights[level];
    const int32_t columns = (w + kTileMask) >> kTileShift;
    const int32_t rows = (h + kTileMask) >> kTileShift;
    image->firstTile[level] = t;
    image->tilesPerRow[level] = columns;
    for (int32_t r = 0; r < rows; ++r) {
      const int32_t tileHeight = GetTileHeight(r, h);
      for (int32_t k = 0; k < columns; ++k) {
        const int32_t tileWidth = (k == columns - 1) ? w - kTileSize * (columns - 1) : kTileSize;
        ImageTile& tile = image->tiles[t];
        tile.width = tileWidth;
        tile.height = tileHeight;
        tile.originX = kTileSize * k;
        tile.originY = kTileSize * r;
        const int64_t bytes = int64_t(tileWidth) * int64_t(tileHeight) * int64_t(bpp);
        tile.pixels = AllocBuffer(bytes, &tile.handle, image->allocator);
        if (!tile.pixels) {
          FreeTileTable(image);
          image->gridId = 0;
          image->layoutMarker = LayoutNone;
          return false;
        }
        image->lastTile[level] = t;
        ++t;
      }
    }
  }
  return true;
}

void GetTileRect(const ImageRecord* image, int32_t tileIndex, Rect* rect) {
  *rect = Rect{0, 0, 0, 0};
  if (!image || !image->tiles || tileIndex < 0 || tileIndex >= image->tileCount) return;
  const ImageTile& tile = image->tiles[tileIndex];
  rect->left = int16_t(tile.originX);
  rect->top = int16_t(tile.originY);
  rect->right = int16_t(tile.originX + tile.width);
  rect->bottom = int16_t(tile.originY + tile.height);
}

void GetLevelRect(const ImageRecord* image, int32_t level, Rect* rect) {
  *rect = Rect{0, 0, 0, 0};
  if (!image || level < 0 || level > image->lastLevel) return;
  rect->bottom = int16_t(image->levelHeight[level]);
  rect->right = int16_t(image->levelWidth[level]);
}

// --- lifecycle ----------------------------------------------------------------------

void InitImageRecord(ImageRecord* image, const ImageOwner* owner, const FilterTables* filterTables) {
  if (!image) return;
  image->owner = owner;
  image->filterTables = filterTables;
  image->allocator = owner ? owner->bufferProcs : nullptr;
  image->tileCount = 0;
  image->tiles = nullptr;
  image->tilesHandle = 0;
}

bool CreateImageRecord(ImageRecord* image, int32_t width, int32_t height, int32_t pixelMode, int32_t fetchEdgeMode,
                       uint8_t borderFlag) {
  if (!image || width < 1 || height < 1) return false;
  // Larger sizes cannot pass through the host's 16-bit rectangles.
  if (width > kImageMaxSide || height > kImageMaxSide) return false;
  if (!IsValidPixelMode(pixelMode)) return false;

  FreeImageRecord(image);
  image->borderFlag = borderFlag;
  const Rect rect{0, 0, int16_t(height), int16_t(width)};
  const int64_t pixelCount = GetTotalPixelCount(&rect, borderFlag);
  if (!AllocateTiles(image, pixelMode, width, height)) return false;

  image->pixelMode = pixelMode;
  image->channelCount = PixelModeChannelCount(pixelMode);
  image->bytesPerChannel = uint32_t(GetBytesPerChannel(pixelMode));
  FillLevelTable(&rect, image, PixelModeBytesPerPixel(pixelMode));
  image->totalBytes = uint64_t(pixelCount) * image->bytesPerPixel;
  image->fetchEdgeMode = fetchEdgeMode;
  image->sampleEdgeMode = EdgeClamp;
  image->buildState = LevelsNotBuilt;
  image->maxValue = PixelModeMaxValue(pixelMode);
  image->invMaxValue = 1.0f / image->maxValue;
  image->gridId = 0;
  image->layoutMarker = LayoutNone;
  return true;
}

bool CreateImage(ImageRecord* image, int32_t width, int32_t height, int32_t pixelMode, int32_t fetchEdgeMode) {
  return CreateImageRecord(image, width, height, pixelMode, fetchEdgeMode, 0);
}

bool CreateImageAlt(ImageRecord* image, int32_t width, int32_t height, int32_t pixelMode, int32_t fetchEdgeMode) {
  return CreateImageRecord(image, width, height, pixelMode, fetchEdgeMode, 0);
}

bool CreateImageByKind(ImageRecord* image, int32_t width, int32_t height, int32_t kind, int32_t fetchEdgeMode) {
  const int32_t mode = kind == 1 ? PixelGray8 : kind == 2 ? PixelGray16Raw : PixelRgba8;
  return CreateImageRecord(image, width, height, mode, fetchEdgeMode, 0);
}

bool CreateImageByKindAlt(ImageRecord* image, int32_t width, int32_t height, int32_t kind, int32_t fetchEdgeMode) {
  return CreateImageByKind(image, width, height, kind, fetchEdgeMode);
}

bool CreateSessionImage(ImageRecord* sourceImage, int32_t width, int32_t height, int32_t sourcePixelMode) {
  return CreateImageRecord(sourceImage, width, height, sourcePixelMode, FetchClamp, 0);
}

void FreeImageRecord(ImageRecord* image) {
  if (!image) return;
  if (image->tileCount >= 1 && image->tiles) FreeTileTable(image);
  image->gridId = 0;
  image->layoutMarker = LayoutNone;
}

void FreeWorkImages(ImageRecord* faceImages, int32_t count) {
  if (!faceImages) return;
  for (int32_t i = 0; i < count; ++i) FreeImageRecord(&faceImages[i]);
}

bool HaveSameSize(const ImageRecord* a, const ImageRecord* b) {
  return a && b && a->levelWidth[0] == b->levelWidth[0] && a->levelHeight[0] == b->levelHeight[0];
}

bool IsTransparencyEditable(const FilterRecord* filterRecord) {
  return filterRecord && (filterRecord->filterCase == 4 || filterRecord->filterCase == 5);
}
