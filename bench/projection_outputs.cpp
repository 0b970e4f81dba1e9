// The closed-form output inverses as a render calls them: points walk along
// the rows of a 512 x 256 output image, one pixel apart. One benchmark per
// family's typical member.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "host/parameter_block.h"
#include "nets/brick_grid.h"
#include "nets/nets_services_stub.h"
#include "projection/formula_helpers.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "projection/output_projections.h"

namespace {

struct OutputSetUp {
  std::unique_ptr<ParameterBlock> settings = std::make_unique<ParameterBlock>();
  std::unique_ptr<MappingContext> context = std::make_unique<MappingContext>();
  std::unique_ptr<PolyMesh> mesh = std::make_unique<PolyMesh>();
  std::unique_ptr<NetFaceList> outputFaces = std::make_unique<NetFaceList>();
  std::unique_ptr<NetFaceList> inputFaces = std::make_unique<NetFaceList>();
  int32_t dotCursor = 0;
  BandLists band{};
  BrickGrid brickGrid{};
  float outputCache[401] = {kCacheNotBuilt};
  float mollweideCache[400] = {kCacheNotBuilt};

  explicit OutputSetUp(int32_t output) {
    std::memset(settings.get(), 0, sizeof(ParameterBlock));
    std::memset(context.get(), 0, sizeof(MappingContext));
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    std::memset(outputFaces.get(), 0, sizeof(NetFaceList));
    std::memset(inputFaces.get(), 0, sizeof(NetFaceList));
    ResetPolyMesh(mesh.get());
    ParameterBlock& p = *settings;
    p.inputProjection = 1;
    p.outputProjection = output;
    p.fov = 120;
    p.tabs = 33;
    p.grid2 = 1;
    p.previewScale = 1;
    band = BandLists{outputFaces.get(), inputFaces.get(), &dotCursor};
    MappingContextSources s{};
    s.settings = settings.get();
    s.filterCase = 1;
    s.imageMode = 3;
    s.depth = 8;
    s.outputMesh = mesh.get();
    s.brickGrid = &brickGrid;
    s.outputCache = outputCache;
    s.mollweideCache = mollweideCache;
    s.outputWidth = 512;
    s.outputHeight = 256;
    s.sourceWidth = 512;
    s.sourceHeight = 256;
    s.bands = &band;
    s.bandCount = 1;
    PrepareMappingContextFrom(&s, context.get());
    WarmLookupGridsFor(context.get(), outputFaces.get());
  }
  ~OutputSetUp() { FreeBrickGrid(&brickGrid, nullptr); }
};

void RunOutput(benchmark::State& state, int32_t output) {
  OutputSetUp setUp(output);
  PixelMapping mapping{};
  uint32_t i = 0;
  for (auto _ : state) {
    const float nx = (float(i & 511) + 0.5f) / 512;
    const float ny = (float((i >> 9) & 255) + 0.5f) / 256;
    Vec3f d{0, 0, 1};
    uint8_t outside = 0;
    int32_t region = -1;
    PlaneToSphereForOutput(nx, ny, setUp.context.get(), &mapping, setUp.outputFaces.get(), &d, &outside, &region);
    benchmark::DoNotOptimize(d);
    benchmark::DoNotOptimize(outside);
    ++i;
  }
}

void BM_Equirectangular(benchmark::State& state) { RunOutput(state, 1); }
void BM_Mollweide(benchmark::State& state) { RunOutput(state, 46); }
void BM_Hammer(benchmark::State& state) { RunOutput(state, 11); }
void BM_MirrorBall(benchmark::State& state) { RunOutput(state, 2); }
void BM_Polar(benchmark::State& state) { RunOutput(state, 3); }
void BM_Rectilinear(benchmark::State& state) { RunOutput(state, 14); }
void BM_Lagrange(benchmark::State& state) { RunOutput(state, 69); }
void BM_Star5(benchmark::State& state) { RunOutput(state, 49); }
void BM_Gores12(benchmark::State& state) { RunOutput(state, 36); }
void BM_TunableEgg(benchmark::State& state) { RunOutput(state, 74); }

BENCHMARK(BM_Equirectangular);
BENCHMARK(BM_Mollweide);
BENCHMARK(BM_Hammer);
BENCHMARK(BM_MirrorBall);
BENCHMARK(BM_Polar);
BENCHMARK(BM_Rectilinear);
BENCHMARK(BM_Lagrange);
BENCHMARK(BM_Star5);
BENCHMARK(BM_Gores12);
BENCHMARK(BM_TunableEgg);

}  // namespace
