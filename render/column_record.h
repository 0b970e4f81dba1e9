// The row renderer's per-column record: one per output column plus two.
// Record k belongs to corner column k - 1; pairs of words are indexed by the
// parity of the corner row.
#pragma once

#include "projection/output_pixel.h"

struct ColumnRecord {
  float gridCover[2];   // graticule stroke coverage
  float edgeCover[2];   // region-edge stroke coverage
  float markCover[2];   // dot and face-centre mark coverage
  float cornerX[2];     // the corner column, as a float
  float cornerY[2];     // the corner row, as a float
  float outside[2];     // 1 when the corner's source position lies outside 0..1
  PixelMapping mapping[2];
  float pixel[4];       // the finished pixel of output column k: red, green, blue, alpha
};
static_assert(sizeof(ColumnRecord) == 296);
