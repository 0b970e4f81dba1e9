// Curve nets and the curved tetrahedra.
//
// Model: the cells of one curve net from its seeds to the finished solid
// (151 the smallest rind, 156 the triskelion with the most seeds, 161 the
// cube arcs), net 162 (net 161 built and walked), and net 163 (180 fold-angle
// searches of up to 6000 passes).
// Build: the whole net build of an output as a run does it (model,
// unfolding, layout, tabs, render triangles, fit).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "nets/curve_nets.h"
#include "nets/net_build.h"
#include "nets/poly_mesh.h"

namespace {

std::unique_ptr<PolyMesh> FreshMesh() {
  auto mesh = std::make_unique<PolyMesh>();
  std::memset(mesh.get(), 0, sizeof(PolyMesh));
  ResetPolyMesh(mesh.get());
  return mesh;
}

void CurveModel(benchmark::State& state, int32_t net) {
  auto mesh = FreshMesh();
  for (auto _ : state) {
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh.get());
    BuildCurveNetModel(mesh.get(), net, nullptr, true);
    benchmark::DoNotOptimize(mesh->faceCount);
    FreeMeshTables(mesh.get(), nullptr);
  }
  state.counters["faces"] = mesh->faceCount;
}

void CurveOutput(benchmark::State& state, int32_t output) {
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

}  // namespace

BENCHMARK_CAPTURE(CurveModel, net151_rind, 151)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CurveModel, net156_triskelion_fat, 156)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CurveModel, net161_cube_arcs, 161)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CurveModel, net162_from_161, 162)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CurveModel, net163_curved_tetrahedron, 163)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CurveOutput, output256_triskelion_fat, 256)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CurveOutput, output262_truchet_a, 262)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CurveOutput, output261_net163, 261)->Unit(benchmark::kMillisecond);
