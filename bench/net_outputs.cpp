// Net builds of the largest generated solids: the geodesic sphere of the
// dodecahedron at frequency 5 (net 97, 1500 faces) and the eleven-sided
// sphericon (net 149), each from an empty record to the finished model.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "nets/net_generators.h"
#include "nets/poly_mesh.h"

namespace {

void GenerateModel(benchmark::State& state, int32_t net) {
  auto mesh = std::make_unique<PolyMesh>();
  for (auto _ : state) {
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh.get());
    GenerateNetModel(mesh.get(), net, nullptr, true);
    benchmark::DoNotOptimize(mesh->faceCount);
    FreeMeshTables(mesh.get(), nullptr);
  }
  state.counters["faces"] = mesh->faceCount;
}

}  // namespace

BENCHMARK_CAPTURE(GenerateModel, geodesic_dodecahedron_f5, 97)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GenerateModel, geodesic_icosahedron_f5, 101)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GenerateModel, sphericon_11_sides, 149)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GenerateModel, sphericon_10_plus, 143)->Unit(benchmark::kMillisecond);
