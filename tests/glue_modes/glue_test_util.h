// Helpers shared by the glue mode tests.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "render/glue_modes.h"

// The run's tent table: 0, 2, ..., 254, 255, 253, ..., 1.
inline std::array<int32_t, 256> MakeTentTable() {
  std::array<int32_t, 256> tent{};
  for (int32_t i = 0; i < 256; ++i) tent[i] = i < 128 ? 2 * i : 511 - 2 * i;
  return tent;
}

inline const int32_t* TentTable() {
  static const std::array<int32_t, 256> tent = MakeTentTable();
  return tent.data();
}

inline int32_t FullScale(int32_t depth) { return depth == 8 ? kGlueFull8 : kGlueFull16; }

struct Pixel {
  int32_t c[3];
};

// The mode formula as it stands (no holding, no clamp).
inline Pixel ApplyRaw(int32_t glue, int32_t depth, Pixel n, Pixel o) {
  if (depth == 8) {
    ApplyGlueMode8(glue, n.c, o.c, TentTable());
  } else {
    ApplyGlueMode16(glue, n.c, o.c);
  }
  return n;
}

// What the compositor stores.
inline Pixel Blend(int32_t glue, int32_t depth, Pixel n, Pixel o) {
  if (depth == 8) {
    GlueBlend8(glue, n.c, o.c, TentTable());
  } else {
    GlueBlend16(glue, n.c, o.c);
  }
  return n;
}

inline Pixel Grey(int32_t v) { return {{v, v, v}}; }

// 0..full on a stride, with full scale, the middle and their neighbours, where
// the formulas change branch or reach their ends.
inline std::vector<int32_t> SampleValues(int32_t full, int32_t stride) {
  std::vector<int32_t> values;
  for (int32_t v = 0; v <= full; v += stride) values.push_back(v);
  const int32_t half = (full + 1) / 2;
  for (int32_t v : {1, 2, half - 2, half - 1, half, half + 1, full - 2, full - 1, full}) {
    values.push_back(v);
  }
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}
