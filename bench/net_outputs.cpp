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
#include <cstring>
#include <memory>

#include "host/host_records.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "nets/net_build.h"
#include "nets/net_generators.h"
#include "nets/poly_mesh.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "render/worker_pool.h"

namespace {

constexpr int32_t kWidth = 2048;
constexpr int32_t kHeight = 1024;

std::unique_ptr<PolyMesh> FreshMesh() {
  auto mesh = std::make_unique<PolyMesh>();
  std::memset(mesh.get(), 0, sizeof(PolyMesh));
  ResetPolyMesh(mesh.get());
  return mesh;
}

void GenerateModel(benchmark::State& state, int32_t net) {
  auto mesh = FreshMesh();
  for (auto _ : state) {
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh.get());
    GenerateNetModel(mesh.get(), net, nullptr, true);
    benchmark::DoNotOptimize(mesh->faceCount);
    FreeMeshTables(mesh.get(), nullptr);
  }
  state.counters["faces"] = mesh->faceCount;
}

void BuildOutputNet(benchmark::State& state, int32_t output) {
  auto mesh = FreshMesh();
  for (auto _ : state) {
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh.get());
    BuildNetForOutput(output, mesh.get(), 0.5f, 0.05f, 0, 0.0f, 1, nullptr, true);
    benchmark::DoNotOptimize(mesh->renderTriangleCount);
    FreeMeshTables(mesh.get(), nullptr);
  }
  state.counters["faces"] = mesh->faceCount;
  state.counters["triangles"] = mesh->renderTriangleCount;
}

const TestDocument& Panorama() {
  static const TestDocument doc = [] {
    TestDocument d = MakeTestDocument(kWidth, kHeight, 3, 8, false);
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        uint8_t* p = DocumentPixelAddress(d, x, y);
        p[0] = uint8_t(x * 255 / (kWidth - 1));
        p[1] = uint8_t(y * 255 / (kHeight - 1));
        p[2] = uint8_t((((x >> 6) ^ (y >> 6)) & 1) ? 200 : 60);
      }
    }
    return d;
  }();
  return doc;
}

void StartRun(TestHost* host, TestDocument* doc, int32_t output) {
  TestHostOptions options;
  options.hasDescriptorParameters = false;
  InitTestHost(host, doc, options);
  CallFilterSelector(host, PluginMain, kSelectorParameters);
  auto* block = reinterpret_cast<ParameterBlock*>(*host->record.parameters);
  block->showDialog = 0;
  block->inputProjection = 1;
  block->outputProjection = output;
  block->grid2 = 1;
  block->indicatrix = 0;
  block->edges = 0;
  CallFilterSelector(host, PluginMain, kSelectorPrepare);
  CallFilterSelector(host, PluginMain, kSelectorStart);
}

// The continue phase only: the net is built when the run starts.
void RenderRows(benchmark::State& state, int32_t output) {
  SetRenderThreadCount(1);
  for (auto _ : state) {
    state.PauseTiming();
    TestDocument doc = Panorama();
    TestHost host;
    StartRun(&host, &doc, output);
    state.ResumeTiming();
    const HostError result = CallFilterSelector(&host, PluginMain, kSelectorContinue);
    state.PauseTiming();
    if (result != kNoErr) state.SkipWithError("the render failed");
    ShutdownTestHost(&host);
    state.ResumeTiming();
  }
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
