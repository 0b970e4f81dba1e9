#include "image/hole_filling.h"

#include "image/float_convert.h"
#include "image/kernel_sampling.h"
#include "image/pixel_access.h"

namespace {

// Full channel value, alpha threshold (M / 63) and weight shift of an integer record.
struct IntegerScale {
  int32_t full;
  uint32_t threshold;
  uint32_t shift;
};

bool IntegerScaleOf(const ImageRecord* image, IntegerScale* scale) {
  if (image->pixelMode == PixelRgba8) {
    *scale = {255, 255 / 63, 0};
    return true;
  }
  if (image->pixelMode == PixelRgba16) {
    *scale = {32768, 32768 / 63, 6};
    return true;
  }
  return false;
}

bool HasLevels(const ImageRecord* image, int32_t level) {
  return ImageHasLevel(image, level) && ImageHasLevel(image, level + 1);
}

void ReadFloat(const ImageRecord* image, int32_t level, int32_t x, int32_t y, float c[4]) {
  uint32_t bits[4];
  GetPixelRgbaFloatClampedAlt(x, y, image, level, &bits[0], &bits[1], &bits[2], &bits[3]);
  for (int32_t k = 0; k < 4; ++k) c[k] = BitsToFloat(bits[k]);
}

}  // namespace

void FillTransparentHoles(ImageRecord* image) {
  if (!ImageHasLevel(image, 0) || image->lastLevel == 0) return;
  for (int32_t level = 0; level < image->lastLevel; ++level) PushAlphaLevels(image, level);
  for (int32_t level = image->lastLevel - 1; level >= 0; --level) PullHoleColours(image, level);
}

void PushAlphaLevels(ImageRecord* image, int32_t level) {
  if (!image) return;
  if (image->pixelMode == PixelRgbaFloat) return PushAlphaLevelsFloat(image, level);
  IntegerScale scale;
  if (!HasLevels(image, level) || !IntegerScaleOf(image, &scale)) return;
  const int32_t target = level + 1;
  // A plus-shaped cross centred on (2i, 2j).
  static constexpr int32_t kCross[5][2] = {{0, -1}, {-1, 0}, {0, 0}, {1, 0}, {0, 1}};
  for (int32_t j = 0; j < image->levelHeight[target]; ++j) {
    for (int32_t i = 0; i < image->levelWidth[target]; ++i) {
      int64_t w = 0, r = 0, g = 0, b = 0;
      for (const auto& d : kCross) {
        uint32_t c[4];
        GetPixelRgba(2 * i + d[0], 2 * j + d[1], image, level, &c[0], &c[1], &c[2], &c[3]);
        const int64_t weight = c[3] < scale.threshold ? 0 : int64_t(c[3] >> scale.shift);
        w += weight;
        r += weight * c[0];
        g += weight * c[1];
        b += weight * c[2];
      }
      if (w > 0) {
        PutPixelRgbaIntUncheckedAlias(i, j, image, target, uint32_t(r / w), uint16_t(g / w), uint16_t(b / w),
                                      uint16_t(scale.full));
      } else {
        PutPixelRgbaIntUncheckedAlias(i, j, image, target, 0, 0, 0, 0);
      }
    }
  }
}

void PushAlphaLevelsFloat(ImageRecord* image, int32_t level) {
  if (!image || image->pixelMode != PixelRgbaFloat || !HasLevels(image, level)) return;
  const int32_t target = level + 1;
  // A cross centred on (2i + 1, 2j + 1).
  static constexpr int32_t kCross[5][2] = {{1, 0}, {0, 1}, {1, 1}, {2, 1}, {1, 2}};
  for (int32_t j = 0; j < image->levelHeight[target]; ++j) {
    for (int32_t i = 0; i < image->levelWidth[target]; ++i) {
      float w = 0.0f, r = 0.0f, g = 0.0f, b = 0.0f;
      for (const auto& d : kCross) {
        float c[4];
        ReadFloat(image, level, 2 * i + d[0], 2 * j + d[1], c);
        w += c[3];
        r += c[3] * c[0];
        g += c[3] * c[1];
        b += c[3] * c[2];
      }
      float alpha = 0.0f;
      if (w > 0.0f) {
        const float inverse = float(1.0 / double(w));
        r *= inverse;
        g *= inverse;
        b *= inverse;
        alpha = 1.0f;
      }
      PutPixelRgbaFloat(i, j, image, target, r, g, b, alpha);
    }
  }
}

void PullHoleColours(ImageRecord* image, int32_t level) {
  if (!image) return;
  if (image->pixelMode == PixelRgbaFloat) return PullHoleColoursFloat(image, level);
  IntegerScale scale;
  if (!HasLevels(image, level) || !IntegerScaleOf(image, &scale)) return;
  const float full = float(scale.full);
  auto channel = [full](float value) {
    if (!(value > 0.0f)) return uint32_t(0);
    return value >= full ? uint32_t(full) : uint32_t(int32_t(value));
  };
  for (int32_t y = 0; y < image->levelHeight[level]; ++y) {
    for (int32_t x = 0; x < image->levelWidth[level]; ++x) {
      uint32_t c[4];
      GetPixelRgba(x, y, image, level, &c[0], &c[1], &c[2], &c[3]);
      if (c[3] == 0) {
        float s[4];
        SampleKernelByMode(image, level + 1, float(x) * 0.5f, float(y) * 0.5f, &s[0], &s[1], &s[2], &s[3]);
        c[0] = channel(s[0]);
        c[1] = channel(s[1]);
        c[2] = channel(s[2]);
      }
      PutPixelRgbaIntUncheckedAlias(x, y, image, level, c[0], uint16_t(c[1]), uint16_t(c[2]), uint16_t(scale.full));
    }
  }
}

void PullHoleColoursFloat(ImageRecord* image, int32_t level) {
  if (!image || image->pixelMode != PixelRgbaFloat || !HasLevels(image, level)) return;
  const int32_t coarse = level + 1;
  for (int32_t y = 0; y < image->levelHeight[level]; ++y) {
    for (int32_t x = 0; x < image->levelWidth[level]; ++x) {
      float c[4];
      ReadFloat(image, level, x, y, c);
      if (c[3] == 0.0f) {
        const float sx = (float(x) + 0.5f) * image->levelInvWidth[level] * float(image->levelWidth[coarse]) - 0.5f;
        const float sy = (float(y) + 0.5f) * image->levelInvHeight[level] * float(image->levelHeight[coarse]) - 0.5f;
        float alpha;
        SampleKernelFloat(image, coarse, sx, sy, &c[0], &c[1], &c[2], &alpha);
      }
      PutPixelRgbaFloat(x, y, image, level, c[0], c[1], c[2], 1.0f);
    }
  }
}
