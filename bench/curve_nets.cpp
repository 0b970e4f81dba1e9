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

#include "bench/bench_support.h"
#include "nets/curve_nets.h"
#include "nets/net_build.h"
#include "nets/poly_mesh.h"

namespace {

void CurveModel(benchmark::State& state, int32_t net) {
  auto mesh = FreshMesh();
  TimeMeshBuilds(state, mesh.get(), [net](PolyMesh* m) { BuildCurveNetModel(m, net, nullptr, true); });
  state.counters["faces"] = mesh->faceCount;
}

void CurveOutput(benchmark::State& state, int32_t output) {
  auto mesh = FreshMesh();
  TimeMeshBuilds(state, mesh.get(), [output](PolyMesh* m) {
    BuildNetForOutput(output, m, 0.5f, 0.05f, 0, 0.0f, 1, nullptr, true);
  });
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
