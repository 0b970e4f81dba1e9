// Cost of one glue blend per pixel, by mode, at 8 and 16 bits.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "render/glue_modes.h"

namespace {

struct PixelPair {
  int32_t n[3], o[3];
};

std::vector<PixelPair> MakePixels(int32_t full) {
  std::vector<PixelPair> pixels(4096);
  uint32_t seed = 12345;
  auto next = [&seed, full]() {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(full + 1));
  };
  for (PixelPair& p : pixels) {
    for (int32_t c = 0; c < 3; ++c) {
      p.n[c] = next();
      p.o[c] = next();
    }
  }
  return pixels;
}

std::array<int32_t, 256> Tent() {
  std::array<int32_t, 256> tent{};
  for (int32_t i = 0; i < 256; ++i) tent[i] = i < 128 ? 2 * i : 511 - 2 * i;
  return tent;
}

void BM_GlueBlend8(benchmark::State& state) {
  const int32_t glue = static_cast<int32_t>(state.range(0));
  const std::vector<PixelPair> pixels = MakePixels(kGlueFull8);
  const std::array<int32_t, 256> tent = Tent();
  for (auto _ : state) {
    for (const PixelPair& p : pixels) {
      int32_t n[3] = {p.n[0], p.n[1], p.n[2]};
      GlueBlend8(glue, n, p.o, tent.data());
      benchmark::DoNotOptimize(n);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pixels.size()));
}

void BM_GlueBlend16(benchmark::State& state) {
  const int32_t glue = static_cast<int32_t>(state.range(0));
  const std::vector<PixelPair> pixels = MakePixels(kGlueFull16);
  for (auto _ : state) {
    for (const PixelPair& p : pixels) {
      int32_t n[3] = {p.n[0], p.n[1], p.n[2]};
      GlueBlend16(glue, n, p.o);
      benchmark::DoNotOptimize(n);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pixels.size()));
}

// multiply, soft light, multibright, color, wax, frontal, north, parietal
void Modes(benchmark::internal::Benchmark* b) {
  for (int32_t glue : {9, 27, 39, 15, 46, 53, 48, 54}) b->Arg(glue);
}

BENCHMARK(BM_GlueBlend8)->Apply(Modes);
BENCHMARK(BM_GlueBlend16)->Apply(Modes);

}  // namespace
