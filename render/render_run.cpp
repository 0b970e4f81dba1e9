#include "render/render_run.h"

#include <cstring>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/host_memory.h"
#include "image/filter_tables.h"
#include "image/image_record.h"
#include "image/level_building.h"
#include "nets/brick_grid.h"
#include "nets/nets_services_stub.h"
#include "projection/formula_helpers.h"
#include "render/column_record.h"
#include "render/row_pipeline.h"
#include "render/row_renderer.h"

namespace {

constexpr int32_t kHorizontalCrossInput = 27;
constexpr int32_t kVerticalCrossInput = 28;
constexpr int32_t kSoccerNetOutput = 30;
constexpr int32_t kBrickPreviewOutput = 45;
constexpr int32_t kSoccerBuildMode = 6;
constexpr int32_t kFaceImageCount = 6;
constexpr float kEmptyCacheKey = 999.0f;

// Aspect (height / width) of the run's output.
float RunOutputAspect(GlobalsRecord* globals) {
  const ImageRecord* target = RunTargetImage(globals);
  int32_t width = globals->workWidth;
  int32_t height = globals->workHeight;
  if (target != &globals->images[0] && ImageHasLevel(target, 0)) {
    width = target->levelWidth[0];
    height = target->levelHeight[0];
  }
  return width > 0 ? float(height) / float(width) : 1.0f;
}

// The source's edge modes follow the input projection; its levels are
// rebuilt only when they change.
void MatchSourceEdgeModes(GlobalsRecord* globals, int32_t input) {
  ImageRecord* source = &globals->images[0];
  const int32_t fetch = InputLayoutClass(input);
  const int32_t sample = InputTileCode(input);
  if (source->fetchEdgeMode == fetch && source->sampleEdgeMode == sample) return;
  source->fetchEdgeMode = fetch;
  source->sampleEdgeMode = sample;
  if (!ImageHasLevel(source, 0)) return;
  BuildLevelsThroughBands(globals, source);
}

void FreeInputMesh(GlobalsRecord* globals) {
  const BufferProcs* procs = RunBufferProcs(globals);
  if (globals->inputMesh) FreeMeshTables(globals->inputMesh, procs);
  void* mesh = globals->inputMesh;
  FreeBuffer(&mesh, &globals->inputMeshSlot, procs);
  globals->inputMesh = nullptr;
}

// The soccer input samples through the net of output 30, built per run.
void BuildSoccerInputMesh(GlobalsRecord* globals) {
  const BufferProcs* procs = RunBufferProcs(globals);
  // A mesh left by a run that never finished goes back first.
  FreeInputMesh(globals);
  void* block = AllocBuffer(int64_t(sizeof(PolyMesh)), &globals->inputMeshSlot, procs);
  if (!block) return;  // the run goes on without the mesh
  std::memset(block, 0, sizeof(PolyMesh));
  auto* mesh = static_cast<PolyMesh*>(block);
  globals->inputMesh = mesh;
  ResetPolyMesh(mesh);
  mesh->owner = globals;
  FitNetToOutput(mesh, RunOutputAspect(globals), 0.0f);
  NetDescriptor descriptor{};
  NetDescriptorForOutput(kSoccerNetOutput, &descriptor);
  const uint8_t notPreview = GetParameterBlock(globals)->runMode != RunModePreview ? 1 : 0;
  BuildNet(mesh, descriptor.net, kSoccerBuildMode, descriptor.fitMode, descriptor.angle, procs, notPreview != 0);
}

// Both row parities of every corner record start off the map.
void ResetColumnRecords(GlobalsRecord* globals) {
  if (!globals->columnRecords) return;
  int64_t count = int64_t(globals->workWidth) + 2;
  // Never past the buffer, whatever size the host's input rectangle gave it.
  const int64_t capacity = int64_t(globals->columnRecordBufferSize) / int64_t(sizeof(ColumnRecord));
  if (count > capacity) count = capacity;
  auto* records = static_cast<ColumnRecord*>(globals->columnRecords);
  for (int64_t k = 0; k < count; ++k) {
    for (PixelMapping& mapping : records[k].mapping) {
      std::memset(&mapping, 0, sizeof mapping);
      mapping.status = kPixelOffMap;
      mapping.inputFace = -1;
    }
  }
}

void ResetRunCounters(GlobalsRecord* globals) {
  const ParameterBlock* block = GetParameterBlock(globals);
  globals->currentRow = 0;
  globals->rowTotal = globals->workHeight;
  if (block->runMode == RunModeExport) {
    const ImageRecord* target = RunTargetImage(globals);
    globals->rowTotal = target != &globals->images[0] ? target->levelHeight[0] : 0;
  }
  globals->rowStep = 1;
  globals->bandRepeat = 0;
  globals->maskActive = 1;
  globals->bandActive = 1;
  globals->rowsDone = 0;
}

}  // namespace

void StartRender(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  ClearPreviewPan(globals);
  BuildRunTables(globals);
  AcquireSourceImage(globals);
  // Nothing is prepared or rendered from a source that could not be read.
  if (GetResult(globals) != kNoErr) {
    globals->bandActive = 0;
    return;
  }
  globals->savedFilterRect = fr->filterRect;
  const Rect filter = fr->filterRect;
  SetWorkArea(globals, &filter, 1);
  PrepareRender(globals);
  if (GetResult(globals) != kNoErr) return;
  globals->maskActive = 1;
  SetNextBandRects(globals);
  if (HostHasAdvanceState(globals)) SetResult(globals, CallAdvanceState(fr->advanceState));
}

void PrepareRender(GlobalsRecord* globals) {
  // Workers left by a run that never finished stop before anything they
  // read is rebuilt.
  StopRowPipeline();
  ParameterBlock* block = GetParameterBlock(globals);
  WorkRecord* work = globals->workRecord;
  EnsurePixelRecordBuffer(globals);
  if (work) {
    BuildLanczosFilterTable(&work->filterTables);
    BuildFilterTables(&work->filterTables, block->dehalo != 0 ? FilterGaussian : FilterLanczos);
  }
  switch (block->inputProjection) {
    case kHorizontalCrossInput:
      SplitCubeCross4x3(globals);
      break;
    case kVerticalCrossInput:
      SplitCubeCross3x4(globals);
      break;
    default:
      FreeWorkImages(&globals->images[3], kFaceImageCount);
      MatchSourceEdgeModes(globals, block->inputProjection);
      break;
  }
  if (IsSoccerInput(block->inputProjection)) BuildSoccerInputMesh(globals);
  ResetColumnRecords(globals);
  if (work) {
    work->outputCache[0] = kEmptyCacheKey;
    work->mollweideCache[0] = kEmptyCacheKey;
  }
  ResetRunCounters(globals);
  // A run renders only from a source that was read.
  if (!block->sourceLoaded && GetResult(globals) == kNoErr) SetResult(globals, kSourceImageUnavailable);
  if (GetResult(globals) != kNoErr) globals->bandActive = 0;
}

void StepRenderRow(GlobalsRecord* globals) {
  ReportProgress(globals, globals->rowsDone, globals->rowTotal, globals->exportLayerTotal);
  globals->rowsDone += 1;
  if (globals->rowStep == 1) {
    const int32_t row = globals->currentRow;
    // A target without rows has nothing to render.
    if (row < globals->rowTotal) {
      RenderOutputRow(globals);
      TickRenderProgress(globals, row);
    }
    if (row >= globals->rowTotal - 1) {
      globals->bandActive = 0;
      globals->bandRepeat = 0;
      globals->currentRow = 0;
    } else {
      globals->currentRow = row + 1;
    }
  }
  if (TestAbort(globals)) SetResult(globals, kUserCanceledErr);
}

void RenderAllRows(GlobalsRecord* globals) {
  do {
    if (GetResult(globals) != kNoErr) {
      globals->bandActive = 0;
      return;
    }
    StepRenderRow(globals);
  } while (globals->bandActive == 1 && GetResult(globals) == kNoErr);
}

void RenderWholeImage(GlobalsRecord* globals) {
  AcquireSourceImage(globals);
  if (GetResult(globals) != kNoErr) return;
  globals->maskFirstRow = globals->inFirstRow = globals->clipFirstRow;
  globals->maskLastRow = globals->inLastRow = globals->clipLastRow;
  BuildRunTables(globals);
  PrepareRender(globals);
  if (GetResult(globals) == kNoErr && HostCanPreview(globals) && globals->filterRecord->inData) {
    RenderAllRows(globals);
  }
  // What the preparation built goes back whether or not rows were rendered.
  FinishRender(globals);
}

void FinishRender(GlobalsRecord* globals) {
  StopRowPipeline();
  const ParameterBlock* block = GetParameterBlock(globals);
  if (globals->workRecord && block && block->outputProjection == kBrickPreviewOutput) {
    FreeBrickGrid(&globals->workRecord->brickGrid, globals);
  }
  if (globals->workRecord) FreeMeshTables(&globals->workRecord->outputMesh, RunBufferProcs(globals));
  FreeInputMesh(globals);
}

void FreeRunBuffers(GlobalsRecord* globals) {
  StopRowPipeline();
  const BufferProcs* procs = RunBufferProcs(globals);
  GlobalsRecord& g = *globals;
  if (g.workRecord) {
    // The brick grid of a run that ended before FinishRender.
    FreeBrickGrid(&g.workRecord->brickGrid, globals);
    FreeMeshTables(&g.workRecord->outputMesh, procs);
    FreeImageRecord(&g.workRecord->workImage);
  }
  // The soccer mesh of a run that ended before FinishRender.
  FreeInputMesh(globals);
  FreeBuffer(&g.rowBuffer, &g.rowBufferSlot, procs);
  FreeBuffer(&g.smallBufferA, &g.smallBufferASlot, procs);
  FreeBuffer(&g.columnRecords, &g.columnRecordSlot, procs);
  FreeImageRecord(&g.thumbnailImage);
  FreeBuffer(&g.smallBufferB, &g.smallBufferBSlot, procs);
  FreeBuffer(&g.smallBufferC, &g.smallBufferCSlot, procs);
  FreeBuffer(&g.smallBufferD, &g.smallBufferDSlot, procs);
  void* pool = g.bandPool;
  FreeBuffer(&pool, &g.bandPoolSlot, procs);
  g.bandPool = nullptr;
  void* work = g.workRecord;
  FreeBuffer(&work, &g.workRecordSlot, procs);
  g.workRecord = nullptr;
  FreeBuffer(&g.spareBufferA, &g.spareBufferASlot, procs);
  FreeBuffer(&g.spareBufferB, &g.spareBufferBSlot, procs);
  for (ImageRecord& image : g.images) FreeImageRecord(&image);
}

void FailRunAllocation(GlobalsRecord* globals) {
  SetResult(globals, kRunAllocationFailed);
  EmptyHostRects(globals);
}

int32_t CanAllocateRunBuffers() { return 1; }

void ReleaseBandsNoOp(GlobalsRecord* /*globals*/) {}

void PreviewHookNoOp(void* /*first*/, void* /*second*/) {}
