#include "image/filter_tables.h"

#include <cmath>

namespace {

// The kernels' own value of pi, nine decimals.
constexpr double kPi = 3.141592653;

// Lanczos-2: sinc(t) * sinc(t / 2) on (-2, 2).
double LanczosKernel(double t) {
  if (!(t > -2.0 && t < 2.0)) return 0.0;
  if (t == 0.0) return 1.0;
  const double a = kPi * t;
  const double b = kPi * t / 2.0;
  return (std::sin(a) / a) * (std::sin(b) / b);
}

// Stores five weights of one phase in all four tables; the fixed-point forms
// give the truncation remainder to tap 4 so each phase sums exactly.
void StorePhase(FilterTables* tables, int32_t phase, const float w[5]) {
  int32_t t11[5];
  int32_t t15[5];
  for (int32_t k = 0; k < 4; ++k) {
    t11[k] = int32_t(w[k] * 2048.0f);
    t15[k] = int32_t(w[k] * 32768.0f);
  }
  t11[4] = 2048 - t11[3] - t11[2] - t11[1] - t11[0];
  t15[4] = 32768 - t15[3] - t15[2] - t15[1] - t15[0];
  for (int32_t k = 0; k < 5; ++k) {
    const int32_t entry = k * kFilterPhases + phase;
    tables->weights[entry] = w[k];
    tables->kernel[entry] = w[k];
    tables->fixed11[entry] = t11[k];
    tables->fixed15[entry] = t15[k];
  }
}

float PhaseBase(int32_t phase) { return float(phase * 0.0078125 - 2.0); }

}  // namespace

void BuildLanczosFilterTable(FilterTables* tables) {
  if (!tables) return;
  for (int32_t p = 0; p < kFilterPhases; ++p) {
    const float base = PhaseBase(p);
    float s[5] = {0, 0, 0, 0, 0};
    // 20 sub-positions 1/21 apart: the kernel averaged over most of a pixel.
    for (int32_t j = 0; j < 20; ++j) {
      const float x = float(double(base) - j / 21.0);
      for (int32_t k = 0; k < 5; ++k) s[k] = float(double(s[k]) + LanczosKernel(double(x) + k));
    }
    const float sum = s[1] + s[0] + s[2] + s[3] + s[4];
    const float n = float(1.0 / double(sum));
    float w[5];
    for (int32_t k = 0; k < 4; ++k) w[k] = n * s[k];
    w[4] = 1.0f - (w[1] + w[0] + w[2] + w[3]);
    StorePhase(tables, p, w);
  }
}

void BuildLanczosFilterTableAlias(FilterTables* tables) { BuildLanczosFilterTable(tables); }

void BuildGaussianFilterTable(FilterTables* tables) {
  if (!tables) return;
  const float e = std::pow(2.0f, -16.0f);  // the Gaussian's value at distance 2
  for (int32_t p = 0; p < kFilterPhases; ++p) {
    const float x0 = PhaseBase(p) - 0.5f;
    float g[5];
    for (int32_t k = 0; k < 5; ++k) {
      float t = x0 + float(k);
      t = t < -2.0f ? -2.0f : (t > 2.0f ? 2.0f : t);
      g[k] = std::pow(2.0f, -4.0f * t * t) - e;
    }
    const double n = 1.0 / double(g[4] + (g[1] + g[0] + g[2] + g[3]));
    float w[5];
    for (int32_t k = 0; k < 4; ++k) w[k] = float(n * double(g[k]));
    w[4] = 1.0f - (w[1] + w[0] + w[2] + w[3]);
    StorePhase(tables, p, w);
  }
}

void BuildFilterTables(FilterTables* tables, int32_t kind) {
  switch (kind) {
    case FilterLanczos:
      BuildLanczosFilterTable(tables);
      break;
    case FilterGaussian:
      BuildGaussianFilterTable(tables);
      break;
    default:
      break;
  }
}
