// The run's filter kernel tables: five weights for each of 128 sub-pixel
// phases, in float and in 11-bit and 15-bit fixed point. Tap k of phase p is
// entry k * 128 + p of each table.
#pragma once

#include <cstdint>

constexpr int32_t kFilterPhases = 128;
constexpr int32_t kFilterTaps = 5;
constexpr int32_t kFilterTableSize = kFilterTaps * kFilterPhases;

struct FilterTables {
  float weights[kFilterTableSize];    // each phase sums to 1 (read by no sampler)
  int32_t fixed11[kFilterTableSize];  // each phase sums to exactly 2048 (8-bit samplers)
  int32_t fixed15[kFilterTableSize];  // each phase sums to exactly 32768 (16-bit sampler)
  float kernel[kFilterTableSize];     // the float weights again (float sampler)
};
static_assert(sizeof(FilterTables) == 2560 * 4);

constexpr int32_t FilterLanczos = 0;
constexpr int32_t FilterGaussian = 1;

void BuildLanczosFilterTable(FilterTables* tables);
void BuildLanczosFilterTableAlias(FilterTables* tables);
void BuildGaussianFilterTable(FilterTables* tables);
void BuildFilterTables(FilterTables* tables, int32_t kind);
