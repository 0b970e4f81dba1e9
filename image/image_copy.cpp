#include "image/image_copy.h"

#include <algorithm>
#include <cstring>

#include "image/pixel_access.h"

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
    for (int32_t i = 0; i < width; ++i) {
      GetPixelFloatRgba(rect->left + i, rect->top + j, source, level, rgba);
      PutPixelFloatRgba(dx + i, dy + j, destination, level, rgba);
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
