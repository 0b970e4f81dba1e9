#include "image/pixel_access.h"

#include <cstring>

#include "image/float_convert.h"

namespace {

// A pixel of the record's own size, or nothing: every fixed-mode accessor
// checks the element size so that no access runs past a smaller pixel.
inline bool HasPixels(const ImageRecord* image, int32_t level, uint32_t bytesPerPixel) {
  return ImageHasLevel(image, level) && image->bytesPerPixel == bytesPerPixel;
}

inline uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void StoreU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

inline void LoadU16x4(const uint8_t* p, uint32_t* r, uint32_t* g, uint32_t* b, uint32_t* a) {
  uint16_t v[4];
  std::memcpy(v, p, 8);
  *r = v[0];
  *g = v[1];
  *b = v[2];
  *a = v[3];
}

inline void StoreU16x4(uint8_t* p, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  const uint16_t v[4] = {uint16_t(r), uint16_t(g), uint16_t(b), uint16_t(a)};
  std::memcpy(p, v, 8);
}

inline void LoadU32x4(const uint8_t* p, uint32_t* r, uint32_t* g, uint32_t* b, uint32_t* a) {
  uint32_t v[4];
  std::memcpy(v, p, 16);
  *r = v[0];
  *g = v[1];
  *b = v[2];
  *a = v[3];
}

inline void StoreU32x4(uint8_t* p, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  const uint32_t v[4] = {r, g, b, a};
  std::memcpy(p, v, 16);
}

inline void Zero4(uint32_t* r, uint32_t* g, uint32_t* b, uint32_t* a) { *r = *g = *b = *a = 0; }

inline uint8_t* WritableAddress(ImageRecord* image, int32_t level, int32_t x, int32_t y, uint32_t bytesPerPixel) {
  if (!HasPixels(image, level, bytesPerPixel) || !InsideLevel(image, level, x, y)) return nullptr;
  return PixelAddress(image, level, x, y);
}

inline const uint8_t* ClampedAddress(const ImageRecord* image, int32_t level, int32_t x, int32_t y,
                                     uint32_t bytesPerPixel) {
  if (!HasPixels(image, level, bytesPerPixel)) return nullptr;
  return PixelAddress(image, level, ClampCoord(x, image->levelMaxX[level]), ClampCoord(y, image->levelMaxY[level]));
}

inline const uint8_t* EdgeAddress(const ImageRecord* image, int32_t level, int32_t x, int32_t y,
                                  uint32_t bytesPerPixel) {
  if (!HasPixels(image, level, bytesPerPixel)) return nullptr;
  ApplyFetchEdge(image, level, &x, &y);
  return PixelAddress(image, level, x, y);
}

// trunc(value x maxValue) keeping the low bits, as the truncating conversion does.
inline uint32_t ScaleToRaw(float value, float maxValue) { return static_cast<uint32_t>(TruncToInt32(value * maxValue)); }

}  // namespace

// --- the RGBA family --------------------------------------------------------------

void PutPixelRgba(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint32_t g, uint32_t b,
                  uint32_t a) {
  if (!image) return;
  switch (image->pixelMode) {
    case PixelRgba8:
      PutPixelRgba8(x, y, image, level, r, g, b, a);
      break;
    case PixelRgba16:
      PutPixelRgba16(x, y, image, level, uint16_t(r), uint16_t(g), uint16_t(b), uint16_t(a));
      break;
    case PixelRgbaFloat:
      PutPixelRgbaFloat(x, y, image, level, r, g, b, a);
      break;
    default:  // one-channel and three-channel records take no RGBA write
      break;
  }
}

void FetchPixelRgba(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                    uint32_t* b, uint32_t* a) {
  if (!image) {
    Zero4(r, g, b, a);
    return;
  }
  switch (image->pixelMode) {
    case PixelRgba8:
      GetPixelRgba8Edge(x, y, image, level, r, g, b, a);
      break;
    case PixelRgba16:
      GetPixelRgba16Clamped(x, y, image, level, r, g, b, a);
      break;
    case PixelRgbaFloat:
      GetPixelRgbaFloatRaw(x, y, image, level, r, g, b, a);
      break;
    default:
      Zero4(r, g, b, a);
      break;
  }
}

void GetPixelRgba(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g, uint32_t* b,
                  uint32_t* a) {
  FetchPixelRgba(x, y, image, level, r, g, b, a);
}

// --- fixed-mode writes -------------------------------------------------------------

void PutPixelRgba8(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint32_t g, uint32_t b,
                   uint32_t a) {
  if (uint8_t* p = WritableAddress(image, level, x, y, 4)) StoreU32(p, PackRgba8(r, g, b, a));
}

void PutPixelRgba16(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint16_t r, uint16_t g, uint16_t b,
                    uint16_t a) {
  if (uint8_t* p = WritableAddress(image, level, x, y, 8)) StoreU16x4(p, r, g, b, a);
}

void PutPixelRgbaFloat(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint32_t g, uint32_t b,
                       uint32_t a) {
  if (uint8_t* p = WritableAddress(image, level, x, y, 16)) StoreU32x4(p, r, g, b, a);
}

void PutPixelRgbaFloat(int32_t x, int32_t y, ImageRecord* image, int32_t level, float r, float g, float b, float a) {
  PutPixelRgbaFloat(x, y, image, level, FloatBits(r), FloatBits(g), FloatBits(b), FloatBits(a));
}

void PutPixelGray8(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint8_t value) {
  if (uint8_t* p = WritableAddress(image, level, x, y, 1)) *p = value;
}

void PutPixelRgbaIntUnchecked(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint16_t g,
                              uint16_t b, uint16_t a) {
  // Callers keep inside the level; the range test stays as a guard against
  // writing past a tile.
  if (!image) return;
  if (image->pixelMode == PixelRgba8) {
    PutPixelRgba8(x, y, image, level, r, g, b, a);
  } else if (image->pixelMode == PixelRgba16) {
    PutPixelRgba16(x, y, image, level, uint16_t(r), g, b, a);
  }
}

void PutPixelRgbaIntUncheckedAlias(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint16_t g,
                                   uint16_t b, uint16_t a) {
  PutPixelRgbaIntUnchecked(x, y, image, level, r, g, b, a);
}

void PutPixelFloatRgba(int32_t x, int32_t y, ImageRecord* image, int32_t level, const float in[4]) {
  if (!image) return;
  switch (image->pixelMode) {
    case PixelRgba8:
    case PixelRgba16: {
      const float m = image->maxValue;
      PutPixelRgba(x, y, image, level, ScaleToRaw(in[0], m), ScaleToRaw(in[1], m), ScaleToRaw(in[2], m),
                   ScaleToRaw(in[3], m));
      break;
    }
    case PixelRgbaFloat:
      PutPixelRgba(x, y, image, level, FloatBits(in[0]), FloatBits(in[1]), FloatBits(in[2]), FloatBits(in[3]));
      break;
    default:
      break;
  }
}

// --- fixed-mode reads --------------------------------------------------------------

void GetPixelRgba8Edge(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                       uint32_t* b, uint32_t* a) {
  const uint8_t* p = EdgeAddress(image, level, x, y, 4);
  if (!p) {
    Zero4(r, g, b, a);
    return;
  }
  const uint32_t word = LoadU32(p);
  *r = word >> 24;
  *g = (word >> 16) & 255u;
  *b = (word >> 8) & 255u;
  *a = word & 255u;
}

void GetPixelRgba8(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                   uint32_t* b, uint32_t* a) {
  GetPixelRgba8Edge(x, y, image, level, r, g, b, a);
}

void GetPixelWordEdge(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* word) {
  const uint8_t* p = EdgeAddress(image, level, x, y, 4);
  *word = p ? LoadU32(p) : 0u;
}

void GetPixelRgba16Clamped(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                           uint32_t* b, uint32_t* a) {
  if (const uint8_t* p = ClampedAddress(image, level, x, y, 8)) {
    LoadU16x4(p, r, g, b, a);
  } else {
    Zero4(r, g, b, a);
  }
}

void GetPixelRgbaFloatRaw(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                          uint32_t* b, uint32_t* a) {
  if (const uint8_t* p = ClampedAddress(image, level, x, y, 16)) {
    LoadU32x4(p, r, g, b, a);
  } else {
    Zero4(r, g, b, a);
  }
}

void GetPixelRgbaFloatClamped(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r,
                              uint32_t* g, uint32_t* b, uint32_t* a) {
  GetPixelRgbaFloatRaw(x, y, image, level, r, g, b, a);
}

void GetPixelRgbaFloatClampedAlt(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r,
                                 uint32_t* g, uint32_t* b, uint32_t* a) {
  GetPixelRgbaFloatRaw(x, y, image, level, r, g, b, a);
}

uint32_t GetPixelPacked32Clamped(int32_t x, int32_t y, const ImageRecord* image, int32_t level) {
  const uint8_t* p = ClampedAddress(image, level, x, y, 4);
  return p ? LoadU32(p) : 0u;
}

void GetPixelFloatRgba(int32_t x, int32_t y, const ImageRecord* image, int32_t level, float out[4]) {
  uint32_t c[4] = {0, 0, 0, 0};
  if (!image) {
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    return;
  }
  switch (image->pixelMode) {
    case PixelRgba8:
    case PixelRgba16:
      if (image->pixelMode == PixelRgba8) {
        GetPixelRgba8Edge(x, y, image, level, &c[0], &c[1], &c[2], &c[3]);
      } else {
        GetPixelRgba16Clamped(x, y, image, level, &c[0], &c[1], &c[2], &c[3]);
      }
      for (int i = 0; i < 4; ++i) out[i] = float(c[i]) * image->invMaxValue;
      break;
    case PixelRgbaFloat:
      GetPixelRgbaFloatRaw(x, y, image, level, &c[0], &c[1], &c[2], &c[3]);
      for (int i = 0; i < 4; ++i) out[i] = BitsToFloat(c[i]);
      break;
    default:
      out[0] = out[1] = out[2] = out[3] = 0.0f;
      break;
  }
}
