// Level building of a 4096 x 2048 image, per pixel mode.
#include <benchmark/benchmark.h>

#include "image/level_building.h"
#include "image/pixel_access.h"

namespace {

void BuildLevels(benchmark::State& state) {
  const int32_t mode = int32_t(state.range(0));
  ImageRecord image;
  InitImageRecord(&image, nullptr, nullptr);
  if (!CreateImage(&image, 4096, 2048, mode, FetchWrapX)) {
    state.SkipWithError("cannot create the image");
    return;
  }
  for (int32_t y = 0; y < 2048; ++y) {
    for (int32_t x = 0; x < 4096; ++x) {
      const float c[4] = {float(x & 255) / 255.0f, float(y & 255) / 255.0f, float((x ^ y) & 255) / 255.0f, 1.0f};
      PutPixelFloatRgba(x, y, &image, 0, c);
    }
  }
  for (auto _ : state) {
    BuildAllLevels(&image);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(4096) * 2048);
  state.SetLabel(mode == PixelRgba8 ? "PixelRgba8" : mode == PixelRgba16 ? "PixelRgba16" : "PixelRgbaFloat");
  FreeImageRecord(&image);
}

BENCHMARK(BuildLevels)->Arg(PixelRgba8)->Arg(PixelRgba16)->Arg(PixelRgbaFloat)->Unit(benchmark::kMillisecond);

}  // namespace
