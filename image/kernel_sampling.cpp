#include "image/kernel_sampling.h"

#include <cstring>

#include "image/filter_tables.h"
#include "image/pixel_access.h"

namespace {

constexpr float kScale8 = 1.0f / 4194304.0f;  // 2^-22: two 11-bit weights
constexpr float kScale16 = 1.0f / 32768.0f;   // 2^-15

// Where the 25 taps of one sample lie: either one block inside a tile (base
// and row stride) or 25 separate addresses near a border or a tile seam.
struct TapBlock {
  const uint8_t* base;
  int64_t stride;                // bytes between rows of the block
  const uint8_t* address[5][5];  // general path: [row][column]
  bool inTile;
  int32_t px, py;
};

inline const uint8_t* Tap(const TapBlock& block, int32_t row, int32_t column, uint32_t bytesPerPixel) {
  return block.inTile ? block.base + row * block.stride + column * int64_t(bytesPerPixel) : block.address[row][column];
}

// The five indices of one axis for the general path, wrapped as the fetch
// edge mode asks, then brought inside the level as the member's reads do.
void AxisIndices(int32_t index, int32_t max, bool wrap, bool edgeReads, bool edgeWraps, int32_t out[5]) {
  const int32_t size = max + 1;
  if (wrap) {
    index %= size;  // keeps the sign of index
    out[0] = index - 2;
    out[1] = index - 1;
    out[2] = index;
    out[3] = index + 1;
    out[4] = index + 2;
    if (out[0] < 0) out[0] += size;
    if (out[1] < 0) out[1] += size;
    if (out[3] > max) out[3] -= size;
    if (out[4] > max) out[4] -= size;
  } else {
    for (int32_t k = 0; k < 5; ++k) out[k] = index - 2 + k;
  }
  for (int32_t k = 0; k < 5; ++k) {
    // 8-bit RGBA reads follow the fetch edge mode on this axis; the others clamp.
    out[k] = edgeReads && edgeWraps ? WrapCoordOnce(out[k], size) : ClampCoord(out[k], max);
  }
}

// Finds the taps of a sample at (x, y) of `level`; false when the record
// cannot be sampled there.
bool LocateTaps(const ImageRecord* image, int32_t level, float x, float y, uint32_t bytesPerPixel, bool edgeReads,
                TapBlock* block) {
  if (!ImageHasLevel(image, level) || image->bytesPerPixel != bytesPerPixel || !image->filterTables) return false;
  int32_t ix, iy;
  KernelTapPosition(x, &ix, &block->px);
  KernelTapPosition(y, &iy, &block->py);
  const int32_t maxX = image->levelMaxX[level];
  const int32_t maxY = image->levelMaxY[level];
  if (ix >= 2 && ix <= maxX - 2 && iy >= 2 && iy <= maxY - 2 && ((ix - 2) & kTileMask) <= kTileSize - 5 &&
      ((iy - 2) & kTileMask) <= kTileSize - 5) {
    const ImageTile& tile = image->tiles[image->firstTile[level] + ((iy - 2) >> kTileShift) * image->tilesPerRow[level] +
                                         ((ix - 2) >> kTileShift)];
    block->inTile = true;
    block->stride = int64_t(tile.width) * bytesPerPixel;
    block->base = static_cast<const uint8_t*>(tile.pixels) +
                  (int64_t(tile.width) * ((iy - 2) & kTileMask) + ((ix - 2) & kTileMask)) * bytesPerPixel;
    return true;
  }
  const int32_t fetch = image->fetchEdgeMode;
  const bool wrapX = fetch != FetchClamp;
  const bool wrapY = fetch != FetchClamp && fetch != FetchWrapX;
  // What GetPixelRgba8Edge does on each axis for the record's mode.
  const bool edgeWrapsX = fetch == FetchWrapXY || fetch == FetchWrapX;
  const bool edgeWrapsY = fetch == FetchWrapXY;
  int32_t columns[5], rows[5];
  AxisIndices(ix, maxX, wrapX, edgeReads, edgeWrapsX, columns);
  AxisIndices(iy, maxY, wrapY, edgeReads, edgeWrapsY, rows);
  block->inTile = false;
  for (int32_t r = 0; r < 5; ++r) {
    for (int32_t c = 0; c < 5; ++c) block->address[r][c] = PixelAddress(image, level, columns[c], rows[r]);
  }
  return true;
}

inline void Weights(const int32_t* table, int32_t phase, int32_t w[5]) {
  // Pixel index - 2 + c takes tap 4 - c.
  for (int32_t c = 0; c < 5; ++c) w[c] = table[(4 - c) * kFilterPhases + phase];
}

inline void Weights(const float* table, int32_t phase, float w[5]) {
  for (int32_t c = 0; c < 5; ++c) w[c] = table[(4 - c) * kFilterPhases + phase];
}

inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Zero(float* r, float* g, float* b, float* a) { *r = *g = *b = *a = 0.0f; }

}  // namespace

void KernelTapPosition(float coordinate, int32_t* index, int32_t* phase) {
  float f = float(double(coordinate) + 0.5);
  if (!(f >= -16777216.0f)) f = (f != f) ? 0.0f : -16777216.0f;
  if (f > 16777216.0f) f = 16777216.0f;
  int32_t i = int32_t(f);  // toward zero, as the tables assume for f >= 0
  if (float(i) > f) --i;   // below zero the phase is measured from the floor
  int32_t p = int32_t((f - float(i)) * 128.0f);
  if (p > 127) p = 127;
  *index = i;
  *phase = p;
}

float SampleKernelGray8(const ImageRecord* image, int32_t level, float x, float y) {
  TapBlock block;
  if (!LocateTaps(image, level, x, y, 1, false, &block)) return 0.0f;
  int32_t hw[5], vw[5];
  Weights(image->filterTables->fixed11, block.px, hw);
  Weights(image->filterTables->fixed11, block.py, vw);
  int32_t sum = 0;
  for (int32_t r = 0; r < 5; ++r) {
    int32_t row = 0;
    for (int32_t c = 0; c < 5; ++c) row += int32_t(*Tap(block, r, c, 1)) * hw[c];
    sum += row * vw[r];
  }
  return float(sum) * kScale8;
}

void SampleKernelRgba8(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                       float* a) {
  TapBlock block;
  if (!LocateTaps(image, level, x, y, 4, true, &block)) return Zero(r, g, b, a);
  int32_t hw[5], vw[5];
  Weights(image->filterTables->fixed11, block.px, hw);
  Weights(image->filterTables->fixed11, block.py, vw);
  int32_t sum[4] = {0, 0, 0, 0};
  for (int32_t row = 0; row < 5; ++row) {
    int32_t h[4] = {0, 0, 0, 0};
    for (int32_t c = 0; c < 5; ++c) {
      const uint32_t word = Load32(Tap(block, row, c, 4));
      h[0] += int32_t(word >> 24) * hw[c];
      h[1] += int32_t((word >> 16) & 255u) * hw[c];
      h[2] += int32_t((word >> 8) & 255u) * hw[c];
      h[3] += int32_t(word & 255u) * hw[c];
    }
    for (int32_t k = 0; k < 4; ++k) sum[k] += h[k] * vw[row];
  }
  *r = float(sum[0]) * kScale8;
  *g = float(sum[1]) * kScale8;
  *b = float(sum[2]) * kScale8;
  *a = float(sum[3]) * kScale8;
}

void SampleKernelRgba16(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                        float* a) {
  TapBlock block;
  if (!LocateTaps(image, level, x, y, 8, false, &block)) return Zero(r, g, b, a);
  int32_t hw[5], vw[5];
  Weights(image->filterTables->fixed15, block.px, hw);
  Weights(image->filterTables->fixed15, block.py, vw);
  // 64-bit sums: a full row of 65535s with the largest weights passes 2^31.
  int64_t sum[4] = {0, 0, 0, 0};
  for (int32_t row = 0; row < 5; ++row) {
    int64_t h[4] = {0, 0, 0, 0};
    for (int32_t c = 0; c < 5; ++c) {
      uint16_t v[4];
      std::memcpy(v, Tap(block, row, c, 8), 8);
      for (int32_t k = 0; k < 4; ++k) h[k] += int64_t(v[k]) * hw[c];
    }
    // Each row sum back to the 16-bit scale, truncating toward zero.
    for (int32_t k = 0; k < 4; ++k) sum[k] += (h[k] / 32768) * vw[row];
  }
  *r = float(sum[0]) * kScale16;
  *g = float(sum[1]) * kScale16;
  *b = float(sum[2]) * kScale16;
  *a = float(sum[3]) * kScale16;
}

void SampleKernelFloat(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                       float* a) {
  TapBlock block;
  if (!LocateTaps(image, level, x, y, 16, false, &block)) return Zero(r, g, b, a);
  float hw[5], vw[5];
  Weights(image->filterTables->kernel, block.px, hw);
  Weights(image->filterTables->kernel, block.py, vw);
  float sum[4] = {0, 0, 0, 0};
  for (int32_t row = 0; row < 5; ++row) {
    float h[4] = {0, 0, 0, 0};
    for (int32_t c = 0; c < 5; ++c) {
      float v[4];
      std::memcpy(v, Tap(block, row, c, 16), 16);
      for (int32_t k = 0; k < 4; ++k) h[k] += v[k] * hw[c];
    }
    for (int32_t k = 0; k < 4; ++k) sum[k] += h[k] * vw[row];
  }
  *r = sum[0];
  *g = sum[1];
  *b = sum[2];
  *a = sum[3];
}

void SampleKernelByMode(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                        float* a) {
  if (!image) return Zero(r, g, b, a);
  switch (image->pixelMode) {
    case PixelRgba8:
      SampleKernelRgba8(image, level, x, y, r, g, b, a);
      break;
    case PixelRgbaFloat:
      SampleKernelFloat(image, level, x, y, r, g, b, a);
      break;
    case PixelRgba16:
      SampleKernelRgba16(image, level, x, y, r, g, b, a);
      break;
    default:
      Zero(r, g, b, a);
      break;
  }
}
