// Reads and writes of single pixels of an image record in integer
// coordinates of one level. Writes outside the level are dropped; reads clamp
// or follow the record's fetch edge mode. A record without pixel storage, or
// a level it does not have, reads as transparent black and ignores writes.
#pragma once

#include <cstdint>

#include "image/image_record.h"

inline int32_t ClampCoord(int32_t value, int32_t max) { return value < 0 ? 0 : (value > max ? max : value); }

// Wraps by one period, then clamps: a coordinate more than one period
// outside lands on the edge.
inline int32_t WrapCoordOnce(int32_t value, int32_t size) {
  if (value >= size) {
    value -= size;
    return value > size - 1 ? size - 1 : value;
  }
  if (value < 0) {
    value += size;
    return value < 0 ? 0 : value;
  }
  return value;
}

// Brings (x, y) into a level by the fetch edge mode.
inline void ApplyFetchEdge(const ImageRecord* image, int32_t level, int32_t* x, int32_t* y) {
  switch (image->fetchEdgeMode) {
    case FetchWrapXY:
      *x = WrapCoordOnce(*x, image->levelWidth[level]);
      *y = WrapCoordOnce(*y, image->levelHeight[level]);
      break;
    case FetchWrapX:
      *x = WrapCoordOnce(*x, image->levelWidth[level]);
      *y = ClampCoord(*y, image->levelMaxY[level]);
      break;
    default:
      *x = ClampCoord(*x, image->levelMaxX[level]);
      *y = ClampCoord(*y, image->levelMaxY[level]);
      break;
  }
}

inline bool InsideLevel(const ImageRecord* image, int32_t level, int32_t x, int32_t y) {
  return static_cast<uint32_t>(x) <= static_cast<uint32_t>(image->levelMaxX[level]) &&
         static_cast<uint32_t>(y) <= static_cast<uint32_t>(image->levelMaxY[level]);
}

inline uint32_t PackRgba8(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return (r << 24) | ((g & 255u) << 16) | ((b & 255u) << 8) | (a & 255u);
}

// --- the RGBA family, by the record's pixel mode ------------------------------------
void PutPixelRgba(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint32_t g, uint32_t b,
                  uint32_t a);
void FetchPixelRgba(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                    uint32_t* b, uint32_t* a);
void GetPixelRgba(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g, uint32_t* b,
                  uint32_t* a);

// --- fixed-mode writes -------------------------------------------------------------
void PutPixelRgba8(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint32_t g, uint32_t b,
                   uint32_t a);
void PutPixelRgba16(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint16_t r, uint16_t g, uint16_t b,
                    uint16_t a);
// Four float bit patterns, stored unchanged.
void PutPixelRgbaFloat(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint32_t g, uint32_t b,
                       uint32_t a);
void PutPixelRgbaFloat(int32_t x, int32_t y, ImageRecord* image, int32_t level, float r, float g, float b, float a);
void PutPixelGray8(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint8_t value);
// For callers that pass coordinates inside the level; a packed word for the
// 8-bit RGBA mode, four u16 for the 16-bit RGBA mode.
void PutPixelRgbaIntUnchecked(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint16_t g,
                              uint16_t b, uint16_t a);
void PutPixelRgbaIntUncheckedAlias(int32_t x, int32_t y, ImageRecord* image, int32_t level, uint32_t r, uint16_t g,
                                   uint16_t b, uint16_t a);
// Normalised RGBA in, scaled to the record's mode (truncated, not clamped).
void PutPixelFloatRgba(int32_t x, int32_t y, ImageRecord* image, int32_t level, const float in[4]);

// --- fixed-mode reads --------------------------------------------------------------
void GetPixelRgba8Edge(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                       uint32_t* b, uint32_t* a);
void GetPixelRgba8(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                   uint32_t* b, uint32_t* a);
void GetPixelWordEdge(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* word);
void GetPixelRgba16Clamped(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                           uint32_t* b, uint32_t* a);
void GetPixelRgbaFloatRaw(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r, uint32_t* g,
                          uint32_t* b, uint32_t* a);
void GetPixelRgbaFloatClamped(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r,
                              uint32_t* g, uint32_t* b, uint32_t* a);
void GetPixelRgbaFloatClampedAlt(int32_t x, int32_t y, const ImageRecord* image, int32_t level, uint32_t* r,
                                 uint32_t* g, uint32_t* b, uint32_t* a);
uint32_t GetPixelPacked32Clamped(int32_t x, int32_t y, const ImageRecord* image, int32_t level);
// Normalised RGBA of any of the three RGBA modes.
void GetPixelFloatRgba(int32_t x, int32_t y, const ImageRecord* image, int32_t level, float out[4]);
