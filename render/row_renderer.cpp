#include "render/row_renderer.h"

#include <cstdint>
#include <cstring>

#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "nets/poly_mesh.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/band_scheduler.h"
#include "render/column_record.h"
#include "render/glue_compositor.h"
#include "render/globe_shading.h"
#include "render/overlay_strokes.h"
#include "render/pixel_renderer.h"
#include "render/source_acquisition.h"

namespace {

constexpr HostError kNoHostBuffers = -108;
constexpr int32_t kCustomNetOutput = 355;

MappingContext gRenderContexts[kRenderContextCount];

float Clamp01(float v) {
  if (!(v > 0.0f)) return 0.0f;
  return v > 1.0f ? 1.0f : v;
}

// Coverage word `word` (0..5) of a column record: graticule 0/1, region
// edges 2/3, marks 4/5, by parity.
float& CoverageWord(ColumnRecord& record, int32_t word) {
  const int32_t parity = word & 1;
  switch (word >> 1) {
    case 0:
      return record.gridCover[parity];
    case 1:
      return record.edgeCover[parity];
    default:
      return record.markCover[parity];
  }
}

void ClearCoverage(ColumnRecord* columns, int32_t width, int32_t word) {
  for (int32_t k = 0; k <= width; ++k) CoverageWord(columns[k], word) = 0.0f;
}

ColumnRecord* Columns(const GlobalsRecord* globals) { return static_cast<ColumnRecord*>(globals->columnRecords); }

// Records the column array can hold.
int32_t ColumnCapacity(const GlobalsRecord* globals) {
  if (globals->columnRecords == nullptr) return 0;
  return globals->columnRecordBufferSize / int32_t(sizeof(ColumnRecord));
}

// An export target may be wider than the host's rectangle that sized the
// column array: the array grows (cleared) before the first row maps into it.
bool EnsureColumnCapacity(GlobalsRecord* globals, int32_t records) {
  if (ColumnCapacity(globals) >= records) return true;
  const int64_t bytes = int64_t(records) * int64_t(sizeof(ColumnRecord));
  if (bytes > INT32_MAX) return false;
  const BufferProcs* procs = RunBufferProcs(globals);
  FreeBuffer(&globals->columnRecords, &globals->columnRecordSlot, procs);
  globals->columnRecordBufferSize = 0;
  globals->columnRecords = AllocBuffer(bytes, &globals->columnRecordSlot, procs);
  if (globals->columnRecords == nullptr) return false;
  std::memset(globals->columnRecords, 0, size_t(bytes));
  globals->columnRecordBufferSize = int32_t(bytes);
  globals->columnRecordCount = records;
  return true;
}

// The context's row parity lives in its rowSlot word (twice the context's
// index at the start, toggled once per corner row).
void RunSpanJob(GlobalsRecord* globals, MappingContext* context, int32_t first, int32_t last, int32_t job, int32_t row,
                ImageRecord* target, bool toggleParity) {
  SplitSpanIntoBands(first, last, job, globals, context, row, target);
  if (toggleParity) context->rowSlot ^= 1;
  if (job == JobMapCorners) {
    PrepareRowFaceLists(globals, context, row);
    if (globals->bandPool != nullptr && globals->bandCount > 0) WarmLookupGrids(&globals->bandPool[0]);
  }
  RunBands(globals);
}

}  // namespace

MappingContext* RenderContexts() { return gRenderContexts; }

void PrepareRenderContexts(GlobalsRecord* globals, MappingContext* contexts, int32_t count, ImageRecord* target) {
  const int32_t width = TargetWidth(globals);
  for (int32_t k = 0; k < count; ++k) {
    if (k == 0) {
      contexts[0].sourceImage = &globals->images[0];
      PrepareMappingContext(globals, &contexts[0]);
    } else {
      MakeShiftedMappingContext(&contexts[0], &contexts[k], k);
    }
    contexts[k].contextIndex = k;
    contexts[k].rowSlot = 2 * k;
  }
  for (int32_t k = 0; k < count; ++k) RunSpanJob(globals, &contexts[k], -1, width - 1, JobMapCorners, -1, target, true);
}

void MapAndRunRow(GlobalsRecord* globals, MappingContext* context, int32_t row, ImageRecord* target, int32_t /*mode*/) {
  RunSpanJob(globals, context, -1, TargetWidth(globals) - 1, JobMapCorners, row, target, true);
}

void MapRowCorners(BandRecord* band) {
  GlobalsRecord* globals = band->owner;
  MappingContext* context = static_cast<MappingContext*>(band->jobArgs);
  ColumnRecord* columns = Columns(globals);
  const ParameterBlock* block = GetParameterBlock(globals);
  if (columns == nullptr || context == nullptr || block == nullptr) return;
  const int32_t p = context->rowSlot & 1;
  const float row = float(band->row);
  for (int32_t c = band->firstColumn; c <= band->lastColumn; ++c) {
    ColumnRecord& record = columns[c + 1];
    record.cornerX[p] = float(c);
    record.cornerY[p] = row;
    PixelMapping& mapping = record.mapping[p];
    MapOutputPixel(float(c), row, block->previewScale, block->previewPanX, block->previewPanY, band->target, context,
                   &mapping, band);
    const bool outside = mapping.srcX < 0.0f || mapping.srcX > 1.0f || mapping.srcY < 0.0f || mapping.srcY > 1.0f;
    record.outside[p] = outside ? 1.0f : 0.0f;
  }
}

void RenderRowPixels(BandRecord* band) {
  GlobalsRecord* globals = band->owner;
  MappingContext* contexts = static_cast<MappingContext*>(band->jobArgs);
  ColumnRecord* columns = Columns(globals);
  const ParameterBlock* block = GetParameterBlock(globals);
  if (columns == nullptr || contexts == nullptr || block == nullptr) return;
  const MappingContext& context = contexts[0];
  const int32_t row = band->row;
  const int32_t p = row & 1;
  const int32_t above = (row - 1) & 1;
  const float sharpness = block->sharpen * 0.01f;
  const int32_t quality = block->runMode == RunModePreview ? block->previewQuality : QualityBest;
  // Stroke opacities are divided by the sampling scale; a scale below one
  // counts as one.
  const float samplingScale = float(block->previewScale > 1 ? block->previewScale : 1);
  const bool grid = block->grid2 != 1;
  const bool marks = context.dotOverlay != 0 || context.faceCentreOverlay != 0;
  const bool edges = context.keepRegions != 0;
  const bool customNet = context.outputProjection == kCustomNetOutput;
  const bool flatten = context.keepAlpha == 0;
  const float backdropRgb[3] = {context.backdropColourF[0], context.backdropColourF[1], context.backdropColourF[2]};
  CornerSet corners{};
  for (int32_t c = band->firstColumn; c <= band->lastColumn; ++c) {
    float pixel[4];
    RenderPixelFromCorners(pixel, sharpness, band->target, columns, c, row, p, contexts, quality, kRenderContextCount,
                           &corners, band);
    if (grid) {
      const float k = Clamp01(columns[c + 1].gridCover[p]);
      const float ink[4] = {0, 0, 0, k * 0.5f / samplingScale};
      BlendColourKeepAlpha(ink, pixel);
    }
    if (marks) {
      const float ink[4] = {0, 0, 0, Clamp01(columns[c + 1].markCover[p])};
      BlendColourKeepAlpha(ink, pixel);
    }
    if (edges) {
      DrawRegionEdges(&corners, globals, c, 2 + p, 2 + above, customNet);
      const float ink[4] = {0, 0, 0, Clamp01(columns[c].edgeCover[p]) / samplingScale};
      CompositeOver(ink, pixel);
    }
    if (flatten) {
      float backdrop[4] = {backdropRgb[0], backdropRgb[1], backdropRgb[2], 1.0f};
      CompositeOver(pixel, backdrop);
      for (int32_t q = 0; q < 4; ++q) pixel[q] = backdrop[q];
    }
    float* out = columns[c].pixel;
    for (int32_t q = 0; q < 4; ++q) out[q] = pixel[q];
  }
}

void RenderOutputRow(GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  const ParameterBlock* block = GetParameterBlock(globals);
  if (fr == nullptr || block == nullptr) {
    SetResult(globals, kNoHostBuffers);
    return;
  }
  // The host's buffers are needed where the row is written into them; an
  // export pass writes its own image.
  if (block->runMode != RunModeExport && (fr->inData == nullptr || fr->outData == nullptr)) {
    SetResult(globals, kNoHostBuffers);
    return;
  }
  const int32_t width = TargetWidth(globals);
  if (width < 1) return;
  const int32_t r = globals->currentRow;
  // Records 0..width + 1 are used.
  if (r == 0 && !EnsureColumnCapacity(globals, width + 4)) {
    SetResult(globals, kMemFullErr);
    return;
  }
  if (ColumnCapacity(globals) < width + 2) {
    SetResult(globals, kMemFullErr);
    return;
  }
  ColumnRecord* columns = Columns(globals);
  ImageRecord* target = RunTargetImage(globals);
  MappingContext* context = &gRenderContexts[0];
  // The globals may have moved since the contexts were prepared: their
  // pointers into it are taken afresh for every row.
  context->sourceImage = &globals->images[0];
  context->lookupGrid = &globals->images[1];
  context->columnRecords = globals->columnRecords;
  if (r == 0) {
    PrepareRenderContexts(globals, gRenderContexts, kRenderContextCount, target);
    for (int32_t word = 0; word < 6; ++word) ClearCoverage(columns, width, word);
  }
  MapAndRunRow(globals, context, r, target, 0);
  const int32_t above = (r - 1) & 1;
  if (block->grid2 != 1) {
    ClearCoverage(columns, width, above);
    DrawGridColumns(globals, r, width, context->rowSlot & 1);
  }
  if (context->keepRegions) ClearCoverage(columns, width, 2 + above);
  if (context->dotOverlay || context->faceCentreOverlay) {
    ClearCoverage(columns, width, 4 + above);
    // Face-centre marks need a mesh with fold steps.
    const bool faceCentres = context->outputMesh != nullptr && context->outputMesh->foldStepCount >= 1;
    for (int32_t c = 0; c < width; ++c) {
      DrawMarkStrokesColumn(context->rowSlot & 1, r, c, width, 4 + (r & 1), 4 + above, globals, context, 0);
      if (faceCentres) {
        DrawMarkStrokesColumn(context->rowSlot & 1, r, c, width, 4 + (r & 1), 4 + above, globals, context, 1);
      }
    }
  }
  RunSpanJob(globals, context, 0, width - 1, JobRenderPixels, r, target, false);

  CompositeTarget composite;
  PrepareCompositeTarget(globals, &composite);
  for (int32_t c = 0; c < width; ++c) CompositeTargetPixel(&composite, c, r, columns[c].pixel);
}
