// Pieces the benchmarks share: a fresh mesh record and a timed loop of net
// builds into it, a synthetic panorama, and a filter run through the test
// host with the continue phase timed on its own.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>

#include "host/host_records.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "nets/poly_mesh.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"

// A zeroed, reset record on the heap (the record is too large for the stack).
inline std::unique_ptr<PolyMesh> FreshMesh() {
  auto mesh = std::make_unique<PolyMesh>();
  std::memset(mesh.get(), 0, sizeof(PolyMesh));
  ResetPolyMesh(mesh.get());
  return mesh;
}

// Times `build(mesh)` on a zeroed, reset record, freeing the tables after
// each pass; the counts of the last pass stay in the record for the counters.
template <typename Build>
void TimeMeshBuilds(benchmark::State& state, PolyMesh* mesh, Build build) {
  for (auto _ : state) {
    std::memset(mesh, 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh);
    build(mesh);
    benchmark::DoNotOptimize(mesh->faceCount);
    benchmark::DoNotOptimize(mesh->renderTriangleCount);
    FreeMeshTables(mesh, nullptr);
  }
}

// A smooth panorama with some detail: gradients and a soft checker.
inline TestDocument MakePanorama(int32_t width, int32_t height) {
  TestDocument d = MakeTestDocument(width, height, 3, 8, false);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = DocumentPixelAddress(d, x, y);
      p[0] = uint8_t(x * 255 / (width - 1));
      p[1] = uint8_t(y * 255 / (height - 1));
      p[2] = uint8_t((((x >> 6) ^ (y >> 6)) & 1) ? 200 : 60);
    }
  }
  return d;
}

// Parameters, prepare and start from an equirectangular source with no
// dialog, grid, indicatrix or edges, and the settings `edit` makes: the run
// is set up and the source read.
inline void StartRun(TestHost* host, TestDocument* doc, const std::function<void(ParameterBlock*)>& edit) {
  TestHostOptions options;
  options.hasDescriptorParameters = false;
  InitTestHost(host, doc, options);
  CallFilterSelector(host, PluginMain, kSelectorParameters);
  auto* block = reinterpret_cast<ParameterBlock*>(*host->record.parameters);
  block->showDialog = 0;
  block->inputProjection = 1;
  block->grid2 = 1;
  block->indicatrix = 0;
  block->edges = 0;
  edit(block);
  CallFilterSelector(host, PluginMain, kSelectorPrepare);
  CallFilterSelector(host, PluginMain, kSelectorStart);
}

// Times the continue phase alone of runs on copies of `source` started with
// the settings `edit` makes.
inline void TimeContinuePhase(benchmark::State& state, const TestDocument& source,
                              const std::function<void(ParameterBlock*)>& edit) {
  for (auto _ : state) {
    state.PauseTiming();
    TestDocument doc = source;
    TestHost host;
    StartRun(&host, &doc, edit);
    state.ResumeTiming();
    const HostError result = CallFilterSelector(&host, PluginMain, kSelectorContinue);
    state.PauseTiming();
    if (result != kNoErr) state.SkipWithError("the render failed");
    ShutdownTestHost(&host);
    state.ResumeTiming();
  }
}
