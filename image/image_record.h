// The tiled multi-level image record: up to 20 pyramid levels, each cut into
// 512 x 512 tiles, all in one pixel mode. Lifecycle: InitImageRecord, then
// CreateImageRecord (any number of times), then FreeImageRecord.
#pragma once

#include <cstdint>

#include "host/host_records.h"

// --- pixel modes ------------------------------------------------------------------
constexpr int32_t PixelGray8 = 0;
constexpr int32_t PixelGray16 = 1;
constexpr int32_t PixelGray16Raw = 2;
constexpr int32_t PixelRgba8 = 3;  // one u32 word: R<<24 | G<<16 | B<<8 | A
constexpr int32_t PixelRgba16 = 4;  // four u16 R, G, B, A; full scale 32768
constexpr int32_t PixelGrayFloat = 5;
constexpr int32_t PixelRgb16 = 7;
constexpr int32_t PixelRgbaFloat = 9;  // four f32 R, G, B, A

// --- fetch edge modes (integer pixel reads) --------------------------------------
constexpr int32_t FetchNoLevels = -1;  // reads clamp; the levels above 0 are never built
constexpr int32_t FetchClamp = 0;
constexpr int32_t FetchWrapXY = 1;
constexpr int32_t FetchWrapX = 2;

// --- sample edge modes (normalised samplers) -------------------------------------
constexpr int32_t EdgeSkip = 1;
constexpr int32_t EdgeFade = 2;
constexpr int32_t EdgeClamp = 3;
constexpr int32_t EdgeWrapU = 4;
constexpr int32_t EdgeWrapBoth = 5;
constexpr int32_t EdgeWrapBothAlt = 6;  // wraps like EdgeWrapBoth, leaves footprints alone
constexpr int32_t EdgePoleFlip = 7;

// --- build state ------------------------------------------------------------------
constexpr int32_t LevelsNotBuilt = 0;
constexpr int32_t LevelsBuilt = 2;

// --- layout markers of cube-face images ---------------------------------------------
constexpr int32_t LayoutNone = 0;
constexpr int32_t LayoutHorizontalCross = 101;
constexpr int32_t LayoutVerticalCross = 102;

constexpr int32_t kImageMaxLevels = 20;
constexpr int32_t kTileShift = 9;
constexpr int32_t kTileSize = 1 << kTileShift;  // 512
constexpr int32_t kTileMask = kTileSize - 1;
constexpr int32_t kImageMaxSide = 32767;  // sizes pass through the host's 16-bit rectangles

struct FilterTables;

// Job codes of the level jobs that the band scheduler hands to RunPyramidJob.
constexpr int32_t JobBuildLevel = -1000;
constexpr int32_t JobRefreshLevel = -1001;

// Runs one job over a rectangle through the owner's band scheduler: splits
// the rectangle into bands and hands every band to RunPyramidJob before
// returning. Null in the owner means levels are built by a direct loop.
using ImageBandRunner = void (*)(void* bandContext, const Rect* rect, int32_t jobCode, void* jobArgs);

// What an image record needs of whoever holds it: the host's buffer
// callbacks for its memory and the band scheduler for level jobs. The
// globals record keeps one of these; records made outside a run (thumbnails,
// the dialog) may have no owner at all.
struct ImageOwner {
  const BufferProcs* bufferProcs = nullptr;  // null: the global-heap fallback
  ImageBandRunner runLevelBands = nullptr;   // null: direct loop
  void* bandContext = nullptr;
};

struct ImageTile {
  uint64_t handle = 0;      // allocator slot of the pixels
  void* pixels = nullptr;   // width x height x bytesPerPixel bytes, rows of width pixels
  int32_t originY = -1;
  int32_t originX = -1;
  int32_t width = -1;
  int32_t height = -1;
};
static_assert(sizeof(ImageTile) == 32);

struct ImageRecord {
  int32_t levelWidth[kImageMaxLevels] = {};
  int32_t levelHeight[kImageMaxLevels] = {};
  float levelMaxXf[kImageMaxLevels] = {};
  float levelMaxYf[kImageMaxLevels] = {};
  int32_t levelMaxX[kImageMaxLevels] = {};
  int32_t levelMaxY[kImageMaxLevels] = {};
  int32_t lastLevel = 0;         // index of the last level, not a count
  uint64_t totalBytes = 0;       // all levels' pixels times bytesPerPixel
  uint32_t bytesPerPixel = 0;
  uint32_t channelCount = 0;
  uint32_t bytesPerChannel = 0;
  int32_t pixelMode = 0;
  int32_t tileCount = 0;         // 0 while the record holds no pixels
  ImageTile* tiles = nullptr;
  uint64_t tilesHandle = 0;
  int32_t firstTile[kImageMaxLevels] = {};
  int32_t lastTile[kImageMaxLevels] = {};
  int32_t tilesPerRow[kImageMaxLevels] = {};
  const BufferProcs* allocator = nullptr;
  const ImageOwner* owner = nullptr;
  const FilterTables* filterTables = nullptr;
  float levelInvWidth[kImageMaxLevels] = {};
  float levelInvHeight[kImageMaxLevels] = {};
  int32_t fetchEdgeMode = FetchClamp;
  int32_t sampleEdgeMode = EdgeClamp;
  int32_t buildState = LevelsNotBuilt;
  float aspectX = 0;
  float aspectY = 0;
  float invMaxValue = 0;
  float maxValue = 0;
  uint8_t borderFlag = 0;
  int32_t gridId = 0;            // lookup table loaded into a lookup-grid image; 0 none
  int32_t layoutMarker = LayoutNone;  // cube-cross layout a face image was cut from
};

// True when the record holds pixel storage and `level` is one of its levels.
inline bool ImageHasLevel(const ImageRecord* image, int32_t level) {
  return image && image->tiles && image->tileCount > 0 && static_cast<uint32_t>(level) <= static_cast<uint32_t>(image->lastLevel);
}

// True when the record holds pixel storage.
inline bool ImageHasPixels(const ImageRecord* image) { return ImageHasLevel(image, 0); }

// Address of pixel (x, y) of a level; the caller guarantees the level exists
// and the coordinates lie inside it.
inline uint8_t* PixelAddress(const ImageRecord* image, int32_t level, int32_t x, int32_t y) {
  const ImageTile& tile =
      image->tiles[image->firstTile[level] + (y >> kTileShift) * image->tilesPerRow[level] + (x >> kTileShift)];
  const int64_t element = int64_t(tile.width) * (y & kTileMask) + (x & kTileMask);
  return static_cast<uint8_t*>(tile.pixels) + element * image->bytesPerPixel;
}

// --- lifecycle ----------------------------------------------------------------------
void InitImageRecord(ImageRecord* image, const ImageOwner* owner, const FilterTables* filterTables);
bool CreateImageRecord(ImageRecord* image, int32_t width, int32_t height, int32_t pixelMode, int32_t fetchEdgeMode,
                       uint8_t borderFlag);
bool CreateImage(ImageRecord* image, int32_t width, int32_t height, int32_t pixelMode, int32_t fetchEdgeMode);
bool CreateImageAlt(ImageRecord* image, int32_t width, int32_t height, int32_t pixelMode, int32_t fetchEdgeMode);
bool CreateImageByKind(ImageRecord* image, int32_t width, int32_t height, int32_t kind, int32_t fetchEdgeMode);
bool CreateImageByKindAlt(ImageRecord* image, int32_t width, int32_t height, int32_t kind, int32_t fetchEdgeMode);
// Creates the source image of a run in the host image's pixel mode (which
// the caller takes from the host's filter record).
bool CreateSessionImage(ImageRecord* sourceImage, int32_t width, int32_t height, int32_t sourcePixelMode);
void FreeImageRecord(ImageRecord* image);
// Frees the six cube-face records of a run.
void FreeWorkImages(ImageRecord* faceImages, int32_t count);

// --- level table and tiles ----------------------------------------------------------
bool LevelSize(int32_t width, int32_t height, int32_t level, int32_t* levelWidth, int32_t* levelHeight);
int32_t CountLevels(int32_t width, int32_t height);
int64_t GetTotalPixelCount(const Rect* rect, uint8_t borderFlag);
void FillLevelTable(const Rect* rect, ImageRecord* image, uint32_t bytesPerPixel);
int32_t CountTiles(int32_t width, int32_t height, uint8_t borderFlag);
int32_t GetTileHeight(int32_t tileRow, int32_t levelHeight);
bool AllocateTiles(ImageRecord* image, int32_t pixelMode, int32_t width, int32_t height);
void GetTileRect(const ImageRecord* image, int32_t tileIndex, Rect* rect);
void GetLevelRect(const ImageRecord* image, int32_t level, Rect* rect);

// --- mode table and small queries ---------------------------------------------------
bool IsValidPixelMode(int32_t pixelMode);
uint32_t PixelModeBytesPerPixel(int32_t pixelMode);
uint32_t PixelModeChannelCount(int32_t pixelMode);
int32_t GetBytesPerChannel(int32_t pixelMode);
float PixelModeMaxValue(int32_t pixelMode);
bool HaveSameSize(const ImageRecord* a, const ImageRecord* b);
// True for the host's filter cases of a layer with editable transparency.
bool IsTransparencyEditable(const FilterRecord* filterRecord);
