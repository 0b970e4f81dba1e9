#include "image/image_copy.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/area_sampling.h"
#include "image/level_building.h"
#include "image/pixel_access.h"
#include "projection/output_pixel.h"

void CopyImageTiles(const ImageRecord* source, ImageRecord* destination) {
  if (!source || !destination || source == destination) return;
  if (!source->tiles || source->tileCount < 1 || !destination->tiles || destination->tileCount < 1) return;
  if (source->levelWidth[0] != destination->levelWidth[0] || source->levelHeight[0] != destination->levelHeight[0] ||
      source->bytesPerPixel != destination->bytesPerPixel || source->lastLevel != destination->lastLevel ||
      source->totalBytes != destination->totalBytes || source->tileCount != destination->tileCount) {
    return;
  }
  const int32_t first = source->firstTile[0];
  const int32_t last = source->lastTile[source->lastLevel];
  for (int32_t t = first; t <= last; ++t) {
    const ImageTile& from = source->tiles[t];
    ImageTile& to = destination->tiles[t];
    if (!from.pixels || !to.pixels || from.width != to.width || from.height != to.height) continue;
    const size_t bytes = size_t(source->bytesPerPixel) * size_t(from.width) * size_t(from.height);
    std::memcpy(to.pixels, from.pixels, bytes);
  }
  destination->buildState = source->buildState;
}

void CopyImageLevel(const ImageRecord* source, ImageRecord* destination, int32_t sourceLevel,
                    int32_t destinationLevel) {
  if (!source || !destination || source->pixelMode != destination->pixelMode) return;
  if (!ImageHasLevel(source, sourceLevel) || !ImageHasLevel(destination, destinationLevel)) return;
  const int32_t width = std::min(source->levelWidth[sourceLevel], destination->levelWidth[destinationLevel]);
  const int32_t height = std::min(source->levelHeight[sourceLevel], destination->levelHeight[destinationLevel]);
  float rgba[4];
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      GetPixelFloatRgba(x, y, source, sourceLevel, rgba);
      PutPixelFloatRgba(x, y, destination, destinationLevel, rgba);
    }
  }
}

void CopyImageRect(const ImageRecord* source, const Rect* rect, ImageRecord* destination, int32_t dx, int32_t dy,
                   int32_t level) {
  if (!source || !rect || !destination) return;
  if (!ImageHasLevel(source, level) || !ImageHasLevel(destination, level)) return;
  const int32_t width = int32_t(rect->right) - rect->left;
  const int32_t height = int32_t(rect->bottom) - rect->top;
  float rgba[4];
  for (int32_t j = 0; j < height; ++j) {
    const int64_t ty = int64_t(dy) + j;
    if (ty < 0 || ty > destination->levelMaxY[level]) continue;  // dropped, as a write outside is
    for (int32_t i = 0; i < width; ++i) {
      const int64_t tx = int64_t(dx) + i;
      if (tx < 0 || tx > destination->levelMaxX[level]) continue;
      GetPixelFloatRgba(rect->left + i, rect->top + j, source, level, rgba);
      PutPixelFloatRgba(int32_t(tx), int32_t(ty), destination, level, rgba);
    }
  }
}

void FillTestPattern(ImageRecord* image) {
  if (!ImageHasLevel(image, 0)) return;
  const int32_t mode = image->pixelMode;
  if (mode != PixelRgba8 && mode != PixelRgba16 && mode != PixelRgbaFloat) return;
  for (int32_t y = 0; y < image->levelHeight[0]; ++y) {
    for (int32_t x = 0; x < image->levelWidth[0]; ++x) {
      const uint32_t t = uint32_t(x ^ y);
      const uint32_t r = t & 255u;
      const uint32_t g = (t + 85u) & 255u;
      const uint32_t b = (t - 86u) & 255u;
      if (mode == PixelRgba8) {
        PutPixelRgba(x, y, image, 0, r, g, b, 255);
      } else if (mode == PixelRgba16) {
        PutPixelRgba(x, y, image, 0, r * 128, g * 128, b * 128, 255 * 128);
      } else {
        // The float pattern takes its alpha from blue.
        const float fb = float(b) / 255.0f;
        PutPixelRgbaFloat(x, y, image, 0, float(r) / 255.0f, float(g) / 255.0f, fb, fb);
      }
    }
  }
}

void CopyImageScaled(const ImageRecord* source, ImageRecord* destination) {
  if (!source || !destination) return;
  if (HaveSameSize(source, destination)) {
    if (source->tiles && destination->tiles) CopyImageLevel(source, destination, 0, 0);
    BuildAllLevels(destination);
    return;
  }
  const Rect sourceRect{0, 0, int16_t(source->levelHeight[0]), int16_t(source->levelWidth[0])};
  const Rect destinationRect{0, 0, int16_t(destination->levelHeight[0]), int16_t(destination->levelWidth[0])};
  DownsampleImageTrilinear(source, destination, &sourceRect, &destinationRect, 0.5f);
}

void DownsampleImageTrilinear(const ImageRecord* source, ImageRecord* destination, const Rect* sourceRect,
                              const Rect* destinationRect, float bias) {
  if (!source || !destination || !sourceRect || !destinationRect) return;
  const int32_t dw = int32_t(destinationRect->right) - destinationRect->left;
  const int32_t dh = int32_t(destinationRect->bottom) - destinationRect->top;
  const int32_t sw = int32_t(sourceRect->right) - sourceRect->left;
  // An empty destination has no scale to sample at.
  if (dw < 1 || dh < 1) return;
  float level = float(std::log(double(float(sw) / float(dw))) * 1.442695040888963) - bias;
  if (!(level > 0.0f)) level = 0.0f;
  if (level > float(source->lastLevel)) level = float(source->lastLevel);
  const int32_t L = int32_t(level);
  const float f = level - float(L);
  for (int32_t j = 0; j < dh; ++j) {
    for (int32_t i = 0; i < dw; ++i) {
      float u, v;
      PixelCentreToUnit(i, j, &u, &v, float(dw), float(dh));
      float c[4];
      SampleTrilinearScaled(source, L, f, u, v, c);
      uint32_t rgb[3];
      for (int32_t k = 0; k < 3; ++k) {
        const float scaled = c[k] * 255.0f;
        // Clamped before the conversion, so NaN and overshoot stay in range.
        rgb[k] = !(scaled > 0.0f) ? 0u : (scaled >= 255.0f ? 255u : uint32_t(scaled));
      }
      PutPixelRgba8(destinationRect->left + i, destinationRect->top + j, destination, 0, rgb[0], rgb[1], rgb[2], 255);
    }
  }
  BuildAllLevels(destination);
}
