// Net outputs of the generated solids.
//
// Model: the generator alone, from an empty record to the finished solid, for
// the largest geodesic sphere (net 97: the dodecahedron at frequency 5, 1500
// faces), the icosahedron at frequency 5 and the largest sphericons.
// Build: the whole net build of an output as a run does it (model,
// unfolding, layout, tabs, render triangles, fit), for output 194 (net 97)
// and output 246 (the eleven-sided sphericon).
// Rows: a 2048 x 1024 render of a net output against a closed-form output of
// the same size on one thread; "rows/s" counts output rows.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/bench_support.h"
#include "nets/net_build.h"
#include "nets/net_generators.h"
#include "nets/poly_mesh.h"
#include "render/worker_pool.h"

namespace {

constexpr int32_t kWidth = 2048;
constexpr int32_t kHeight = 1024;

void GenerateModel(benchmark::State& state, int32_t net) {
  auto mesh = FreshMesh();
  TimeMeshBuilds(state, mesh.get(), [net](PolyMesh* m) { GenerateNetModel(m, net, nullptr, true); });
  state.counters["faces"] = mesh->faceCount;
}

void BuildOutputNet(benchmark::State& state, int32_t output) {
  auto mesh = FreshMesh();
  TimeMeshBuilds(state, mesh.get(), [output](PolyMesh* m) {
    BuildNetForOutput(output, m, 0.5f, 0.05f, 0, 0.0f, 1, nullptr, true);
  });
  state.counters["faces"] = mesh->faceCount;
  state.counters["triangles"] = mesh->renderTriangleCount;
}

const TestDocument& Panorama() {
  static const TestDocument doc = MakePanorama(kWidth, kHeight);
  return doc;
}

// The continue phase only: the net is built when the run starts.
void RenderRows(benchmark::State& state, int32_t output) {
  SetRenderThreadCount(1);
  TimeContinuePhase(state, Panorama(), [output](ParameterBlock* b) { b->outputProjection = output; });
  state.counters["rows/s"] = benchmark::Counter(double(kHeight) * double(state.iterations()),
                                                benchmark::Counter::kIsRate);
  SetRenderThreadCount(0);
}

}  // namespace

BENCHMARK_CAPTURE(GenerateModel, geodesic_dodecahedron_f5, 97)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GenerateModel, geodesic_icosahedron_f5, 101)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GenerateModel, sphericon_11_sides, 149)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GenerateModel, sphericon_10_plus, 143)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildOutputNet, geodesic_dodecahedron_f5, 194)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildOutputNet, sphericon_11_sides, 246)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderRows, net_geodesic_dodecahedron_f5, 194)
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(RenderRows, net_sphericon_11_sides, 246)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(RenderRows, closed_form_mirror_ball, 2)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(RenderRows, closed_form_equirectangular, 1)
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
