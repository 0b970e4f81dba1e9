// The mapping context taken from the run's globals record: the set-up that
// the renderer calls once per render and the calls that read the output size.
#include <cstddef>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "nets/brick_grid.h"
#include "nets/nets_services_stub.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/band_scheduler.h"

namespace {

constexpr int32_t kMaxBands = 64;

// The output size: the filter rectangle of the run, or the export target's
// level-0 size in an export run.
void OutputSizeOf(GlobalsRecord* globals, float* width, float* height) {
  const Rect& r = globals->savedFilterRect;
  *width = float(r.right - r.left);
  *height = float(r.bottom - r.top);
  const ParameterBlock* settings = GetParameterBlock(globals);
  const WorkRecord* work = globals->workRecord;
  if (settings != nullptr && settings->runMode == RunModeExport && work != nullptr &&
      work->offscreenTarget != nullptr) {
    *width = float(work->offscreenTarget->levelWidth[0]);
    *height = float(work->offscreenTarget->levelHeight[0]);
  }
}

void SourceSizeOf(GlobalsRecord* globals, float* width, float* height) {
  const Rect& r = globals->filterRecord != nullptr ? globals->filterRecord->filterRect : globals->savedFilterRect;
  *width = float(r.right - r.left);
  *height = float(r.bottom - r.top);
}

// The renderer's view fields: preview scale and pan, filter tables and the
// column records.
void FillViewFields(GlobalsRecord* globals, MappingContext* context) {
  const ParameterBlock* settings = GetParameterBlock(globals);
  if (settings != nullptr) {
    context->previewScale = settings->previewScale;
    context->previewPanX = settings->previewPanX;
    context->previewPanY = settings->previewPanY;
  }
  context->filterTables = globals->workRecord != nullptr ? &globals->workRecord->filterTables : nullptr;
  context->columnRecords = globals->columnRecords;
}

}  // namespace

void GetOutputSize(GlobalsRecord* globals, float* w, float* h, float* aspect) {
  const Rect& r = globals->savedFilterRect;
  *w = float(r.right - r.left);
  *h = float(r.bottom - r.top);
  *aspect = *h / *w;
}

void SetOutputGeometry(GlobalsRecord* globals, MappingContext* context) {
  float outputWidth, outputHeight, sourceWidth, sourceHeight;
  OutputSizeOf(globals, &outputWidth, &outputHeight);
  SourceSizeOf(globals, &sourceWidth, &sourceHeight);
  SetContextSizes(context, outputWidth, outputHeight, sourceWidth, sourceHeight);
}

void AttachContextGeometry(GlobalsRecord* globals, MappingContext* context) {
  SetMidColours(context);
  SetOutputGeometry(globals, context);
  context->outputMesh = globals->workRecord != nullptr ? &globals->workRecord->outputMesh : nullptr;
  if (context->outputMesh != nullptr) context->outputMesh->owner = globals;
  context->inputMesh = globals->inputMesh;
  if (context->inputMesh != nullptr) context->inputMesh->owner = globals;
  context->brickGrid = globals->workRecord != nullptr ? &globals->workRecord->brickGrid : nullptr;
}

void PrepareMappingContext(GlobalsRecord* globals, MappingContext* context) {
  FillViewFields(globals, context);
  ParameterBlock* settings = GetParameterBlock(globals);
  WorkRecord* work = globals->workRecord;
  if (settings == nullptr || work == nullptr) return;
  const FilterRecord* host = globals->filterRecord;

  BandLists bands[kMaxBands];
  int32_t bandCount = 0;
  for (int32_t b = 0; b < globals->bandCount && b < kMaxBands && globals->bandPool != nullptr; ++b) {
    BandRecord& band = globals->bandPool[b];
    if (band.outputFaceList == nullptr || band.inputFaceList == nullptr) continue;
    bands[bandCount++] = BandLists{static_cast<NetFaceList*>(band.outputFaceList),
                                   static_cast<NetFaceList*>(band.inputFaceList), &band.nearestDot};
  }

  MappingContextSources sources{};
  sources.settings = settings;
  sources.filterCase = host != nullptr ? host->filterCase : 0;
  sources.imageMode = host != nullptr ? host->imageMode : 0;
  sources.depth = host != nullptr ? host->depth : 0;
  sources.bufferProcs = RunBufferProcs(globals);
  sources.globals = globals;
  sources.outputMesh = &work->outputMesh;
  sources.inputMesh = globals->inputMesh;
  sources.brickGrid = &work->brickGrid;
  sources.outputCache = work->outputCache;
  sources.mollweideCache = work->mollweideCache;
  sources.lookupGrid = &globals->images[1];
  sources.chosenFaceValues = nullptr;
  sources.chosenFaceShared = 0;
  OutputSizeOf(globals, &sources.outputWidth, &sources.outputHeight);
  SourceSizeOf(globals, &sources.sourceWidth, &sources.sourceHeight);
  sources.bands = bands;
  sources.bandCount = bandCount;
  PrepareMappingContextFrom(&sources, context);
  // A brick preview without the memory for its grid would show only the
  // backdrop: the run fails for want of memory instead.
  if (context->contextMode == 1 && BrickGridRefused(context->brickGrid)) SetResult(globals, kMemFullErr);
}

void MakeShiftedMappingContext(const MappingContext* source, MappingContext* target, int32_t index) {
  ImageRecord* shifted = source->sourceImage;
  if (shifted != nullptr && shifted->owner != nullptr) {
    // The owner of the run's images is the globals record's image owner.
    const char* owner = reinterpret_cast<const char*>(shifted->owner);
    GlobalsRecord* globals = reinterpret_cast<GlobalsRecord*>(const_cast<char*>(owner) -
                                                              offsetof(GlobalsRecord, imageOwner));
    shifted = &globals->images[2];
  }
  MakeShiftedMappingContextFor(source, target, index, shifted);
}

void PrepareRowFaceLists(GlobalsRecord* globals, MappingContext* context, int32_t row) {
  const ParameterBlock* settings = GetParameterBlock(globals);
  if (settings == nullptr || globals->bandPool == nullptr) return;
  const int32_t zoom = settings->previewScale > 0 ? settings->previewScale : 1;
  PrepareRowFaceListsForBands(context, row, zoom, settings->previewPanX, settings->previewPanY, globals->bandPool,
                              globals->bandCount);
}
