// The area samplers on a 4096 x 2048 8-bit image with its levels built:
// the quality sampler with a round footprint, with 8 and with 20 taps, and
// the fast sampler. Sample points walk along rows as a render does, one
// source pixel apart, crossing tile seams and wrapping round the image.
#include <benchmark/benchmark.h>

#include "image/area_sampling.h"
#include "image/filter_tables.h"
#include "image/level_building.h"
#include "image/pixel_access.h"

namespace {

struct Source {
  FilterTables tables;
  ImageRecord image;
  Source() {
    BuildLanczosFilterTable(&tables);
    InitImageRecord(&image, nullptr, &tables);
    CreateImage(&image, 4096, 2048, PixelRgba8, FetchWrapX);
    image.sampleEdgeMode = EdgePoleFlip;
    for (int32_t y = 0; y < 2048; ++y) {
      for (int32_t x = 0; x < 4096; ++x) PutPixelRgba(x, y, &image, 0, x & 255, y & 255, (x ^ y) & 255, 255);
    }
    BuildAllLevels(&image);
  }
};

Source& TheSource() {
  static Source source;
  return source;
}

// Footprint neighbours in level-0 pixels: (du1, dv1) and (du2, dv2).
void RunQuality(benchmark::State& state, float du1, float dv1, float du2, float dv2) {
  Source& source = TheSource();
  LevelHint hint;
  float rgba[4];
  uint32_t i = 0;
  for (auto _ : state) {
    const float u = (float(i % 4096u) + 0.3f) / 4096.0f;
    const float v = (float((i / 4096u) * 37u % 2048u) + 0.6f) / 2048.0f;
    ++i;
    SampleAreaQuality(u - du1 / 4096.0f, v - dv1 / 2048.0f, u - du2 / 4096.0f, v - dv2 / 2048.0f, u, v, u, v,
                      &source.image, rgba, 0.3f, &hint);
    benchmark::DoNotOptimize(rgba);
  }
  state.SetItemsProcessed(state.iterations());
  AreaSamplePlan plan;
  PlanAreaAnisotropic(du1 / 4096.0f, dv1 / 2048.0f, du2 / 4096.0f, dv2 / 2048.0f, 0.5f, 0.5f, 0, &source.image, 0.3f,
                      &hint, &plan);
  state.counters["taps"] = plan.kind == AreaTaps ? plan.taps : 1;
}

void SampleAreaQualityIsotropic(benchmark::State& state) { RunQuality(state, 3.0f, 0.0f, 0.0f, 3.0f); }
// Major 8 x minor 1 and major 40 x minor 2 (sharpness 0.3 shrinks both by 0.85).
void SampleAreaQuality8Taps(benchmark::State& state) { RunQuality(state, 8.0f, 0.0f, 0.0f, 1.0f); }
void SampleAreaQuality20Taps(benchmark::State& state) { RunQuality(state, 40.0f, 0.0f, 0.0f, 2.0f); }

void SampleAreaFastBench(benchmark::State& state) {
  Source& source = TheSource();
  LevelHint hint;
  float rgba[4];
  uint32_t i = 0;
  for (auto _ : state) {
    const float u = (float(i % 4096u) + 0.3f) / 4096.0f;
    const float v = (float((i / 4096u) * 37u % 2048u) + 0.6f) / 2048.0f;
    ++i;
    SampleAreaFast(u - 3.0f / 4096.0f, v, u, v - 3.0f / 2048.0f, u, v, u, v, &source.image, rgba, 0.3f, &hint);
    benchmark::DoNotOptimize(rgba);
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(SampleAreaQualityIsotropic);
BENCHMARK(SampleAreaQuality8Taps);
BENCHMARK(SampleAreaQuality20Taps);
BENCHMARK(SampleAreaFastBench)->Name("SampleAreaFast");

}  // namespace
