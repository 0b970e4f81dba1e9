// Whole renders of a 4096 x 2048 8-bit RGB equirectangular panorama into a
// document of the same size, through the test host, on 1, 2, 4 and 8
// threads (the argument). The rows (the continue phase: mapping, sampling,
// compositing and the host's row deliveries) are timed apart from the
// acquisition of the source (the start phase: the tile reads and the
// pyramid levels). The counter "MP/s" gives output megapixels per second,
// "MP/s/thread" the same per thread.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/bench_support.h"
#include "render/worker_pool.h"

namespace {

constexpr int32_t kWidth = 4096;
constexpr int32_t kHeight = 2048;

const TestDocument& Panorama() {
  static const TestDocument doc = MakePanorama(kWidth, kHeight);
  return doc;
}

struct Settings {
  int32_t output;
  float latitude, longitude, spin, fov;
};

// The settings of one benchmark case over the common ones.
std::function<void(ParameterBlock*)> Apply(const Settings& s) {
  return [s](ParameterBlock* block) {
    block->outputProjection = s.output;
    block->latitude = s.latitude;
    block->longitude = s.longitude;
    block->spin = s.spin;
    block->fov = s.fov;
    block->glue = 1;
  };
}

void RenderRows(benchmark::State& state, Settings s) {
  const int32_t threads = int32_t(state.range(0));
  SetRenderThreadCount(threads);
  TimeContinuePhase(state, Panorama(), Apply(s));
  const double megapixels = double(kWidth) * kHeight * 1e-6 * double(state.iterations());
  state.counters["MP/s"] = benchmark::Counter(megapixels, benchmark::Counter::kIsRate);
  state.counters["MP/s/thread"] = benchmark::Counter(megapixels / threads, benchmark::Counter::kIsRate);
  SetRenderThreadCount(0);
}

void Acquisition(benchmark::State& state) {
  const Settings s{1, 0, 0, 0, 120};
  SetRenderThreadCount(int32_t(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TestDocument doc = Panorama();
    TestHost host;
    state.ResumeTiming();
    StartRun(&host, &doc, Apply(s));
    state.PauseTiming();
    ShutdownTestHost(&host);
    state.ResumeTiming();
  }
  state.counters["MP/s"] =
      benchmark::Counter(double(kWidth) * kHeight * 1e-6 * double(state.iterations()), benchmark::Counter::kIsRate);
  SetRenderThreadCount(0);
}

// Threads 1, 2, 4, 8.
void ThreadCounts(benchmark::internal::Benchmark* b) {
  b->ArgName("threads");
  for (int64_t t : {1, 2, 4, 8}) b->Arg(t);
  b->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
}

}  // namespace

BENCHMARK(Acquisition)->Apply(ThreadCounts);
BENCHMARK_CAPTURE(RenderRows, equirectangular_turned, Settings{1, 30, 45, 10, 120})->Apply(ThreadCounts);
BENCHMARK_CAPTURE(RenderRows, mollweide, Settings{46, 0, 0, 0, 120})->Apply(ThreadCounts);
BENCHMARK_CAPTURE(RenderRows, rectilinear_90, Settings{14, 0, 0, 0, 90})->Apply(ThreadCounts);
BENCHMARK_CAPTURE(RenderRows, peirce_quincunx, Settings{94, 0, 0, 0, 120})->Apply(ThreadCounts);
