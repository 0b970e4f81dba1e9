// The pixel renderer: turns the four mapped corners of one output pixel into
// one RGBA colour. Inside one region it samples the source pyramid over the
// pixel's footprint; where the pixel straddles a region boundary it maps
// sub-samples afresh and averages them.
#pragma once

#include <cmath>
#include <cstdint>

#include "image/image_record.h"

struct BandRecord;
struct RenderBand;
struct ColumnRecord;
struct ImageRecord;
struct MappingContext;
struct PixelMapping;

// Corner indexes of a CornerSet: A right of this row, B left of this row,
// C right of the row above, D left of the row above.
constexpr int32_t CornerA = 0;
constexpr int32_t CornerB = 1;
constexpr int32_t CornerC = 2;
constexpr int32_t CornerD = 3;

// Quality modes of the row renderer and corner modes of RenderPixelArea.
constexpr int32_t QualityGood = 1;
constexpr int32_t QualityBetter = 2;
constexpr int32_t QualityBest = 3;
constexpr int32_t CornerModeFresh = 0;    // map sub-samples afresh
constexpr int32_t CornerModeQuality = 1;  // stored corners, quality sampler
constexpr int32_t CornerModeFast = 2;     // stored corners, fast sampler

struct CornerSet {
  int32_t splitFlags;     // bit 0 a horizontal split, bit 1 a vertical one
  int32_t subImageFlags;  // the same for sub-image differences only
  int32_t passCount;      // context passes made for the pixel
  // Where the region of D ends along the top edge, of B along the bottom
  // edge, of D along the left edge, of C along the right edge (0..1).
  float edgeTop;
  float edgeBottom;
  float edgeLeft;
  float edgeRight;
  int32_t status[4];  // A, B, C, D
  int32_t subImage[4];
  int32_t work;
  int32_t cornerMode;
};

void RenderPixelFromCorners(float pixel[4], float sharpness, ImageRecord* target, ColumnRecord* columns, int32_t c,
                            int32_t r, int32_t parity, MappingContext* contexts, int32_t qualityMode,
                            int32_t contextCount, CornerSet* corners, RenderBand* band);
// The stored corners of row r are read from the context's column records.
void RenderPixelWithCentre(int32_t c, int32_t r, float sharpness, float pixel[4], MappingContext* contexts,
                           ImageRecord* target, int32_t contextCount, CornerSet* corners, RenderBand* band);
void RenderPixelArea(int32_t c, int32_t r, float sharpness, float pixel[4], MappingContext* contexts,
                     ImageRecord* target, int32_t cornerMode, int32_t contextCount, CornerSet* corners,
                     RenderBand* band);
// Maps (x, y) and the neighbours it needs; six source coordinates out for
// the points at (+1/2, -1/2), (-1/2, +1/2) and (+1/2, +1/2), -1.0 when none
// can be had.
void MapPixelNeighbours(float x, float y, int32_t zoom, int32_t panX, int32_t panY, ImageRecord* target,
                        MappingContext* context, const ImageRecord* source, PixelMapping* mapping, float six[6],
                        BandRecord* band);

// Wrap operations by the source image's fetch edge mode; -1 (a missing
// neighbour) averages as the other value. Inline: every pixel takes four.
inline bool WrapsU(int32_t edgeMode) { return edgeMode == FetchWrapX || edgeMode == FetchWrapXY; }
inline bool WrapsV(int32_t edgeMode) { return edgeMode == FetchWrapXY; }

inline float WrapAverageU(float a, float b, int32_t edgeMode) {
  if (a == -1.0f) return b;
  if (b == -1.0f) return a;
  if (!WrapsU(edgeMode)) return (a + b) / 2;
  const float lo = a < b ? a : b;
  const float hi = a < b ? b : a;
  if (hi - lo <= 0.5f) return (lo + hi) / 2;
  const float m = (lo + 1 + hi) / 2;
  return m - std::floor(m);
}

inline float WrapAverageV(float a, float b, int32_t edgeMode) {
  if (a == -1.0f) return b;
  if (b == -1.0f) return a;
  if (!WrapsV(edgeMode)) return (a + b) / 2;
  const float lo = a < b ? a : b;
  const float hi = a < b ? b : a;
  if (hi - lo <= 0.5f) return (lo + hi) / 2;
  return (lo + 1 + hi) / 2;
}

inline float WrapDeltaU(float d, int32_t edgeMode) {
  if (!WrapsU(edgeMode)) return d;
  if (d > 0.5f) return d - 1;
  if (d < -0.5f) return d + 1;
  return d;
}

inline float WrapDeltaV(float d, int32_t edgeMode) {
  if (!WrapsV(edgeMode)) return d;
  if (d > 0.5f) return d - 1;
  if (d < -0.5f) return d + 1;
  return d;
}

// The context's level hint, with a pending logarithm taken.
float SettledLevelHint(MappingContext* context);

// The image a mapping samples: the context's source, or the cube face the
// input mapping chose among the six records at faceImages (null: none).
const ImageRecord* MappingSourceImage(const PixelMapping* mapping, const MappingContext* context,
                                      const ImageRecord* faceImages);
