// The render run in its least form: it asks the host for the source and the
// row bands as the real run does, but renders a row by copying the host's
// input row to its output row.
#include "render/render_services_stub.h"

#include <cstring>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/host_memory.h"
#include "image/image_record.h"

namespace {

void BuildRunTables(GlobalsRecord* /*globals*/) {}

// Bytes of one pixel in the host's buffers.
int32_t HostPixelBytes(const FilterRecord* fr, int16_t loPlane, int16_t hiPlane) {
  int32_t depth = fr->depth > 0 ? fr->depth : 8;
  return (int32_t(hiPlane) - loPlane + 1) * (depth / 8);
}

void RenderOutputRow(GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  int32_t inBytes = (int32_t(fr->inRect.right) - fr->inRect.left) * HostPixelBytes(fr, fr->inLoPlane, fr->inHiPlane);
  int32_t outBytes =
      (int32_t(fr->outRect.right) - fr->outRect.left) * HostPixelBytes(fr, fr->outLoPlane, fr->outHiPlane);
  int32_t n = inBytes < outBytes ? inBytes : outBytes;
  if (n > 0) std::memcpy(fr->outData, fr->inData, size_t(n));
}

}  // namespace

void StartRender(GlobalsRecord* globals) {
  ParameterBlock* block = GetParameterBlock(globals);
  block->previewPanX = 0;
  block->previewPanY = 0;
  BuildRunTables(globals);
  AcquireSourceImage(globals);
  FilterRecord* fr = globals->filterRecord;
  globals->savedFilterRect = fr->filterRect;
  const Rect filter = fr->filterRect;
  SetWorkArea(globals, &filter, 1);
  PrepareRender(globals);
  if (GetResult(globals) != kNoErr) return;
  globals->maskActive = 1;
  SetNextBandRects(globals);
  if (HostHasAdvanceState(globals)) SetResult(globals, CallAdvanceState(fr->advanceState));
}

void AcquireSourceImage(GlobalsRecord* globals) {
  if (GetParameterBlock(globals)->sourceLoaded) return;
  const Rect& saved = globals->savedFilterRect;
  if (!CreateSessionImage(&globals->images[0], int32_t(saved.right) - saved.left, int32_t(saved.bottom) - saved.top,
                          SourcePixelMode(globals))) {
    // The source image cannot be had for want of memory.
    SetResult(globals, kMemFullErr);
    return;
  }
  globals->rowStep = 1;
  globals->currentRow = 0;
  globals->rowsDone = 0;
  globals->rowTotal = globals->workHeight;
  globals->bandRepeat = 0;
  globals->maskActive = 1;
  globals->bandActive = 1;
  ReadSourceTiles(globals);
}

void ReadSourceTiles(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  const Rect savedIn = fr->inRect;
  const Rect savedOut = fr->outRect;
  const Rect savedMask = fr->maskRect;
  const int32_t savedScale = GetParameterBlock(globals)->previewScale;
  const Rect filter = fr->filterRect;
  SetWorkArea(globals, &filter, 1);
  const ImageRecord& source = globals->images[0];
  // This stand-in asks for every tile as the real read does, but leaves the
  // pixels in the host's buffer.
  for (int32_t t = source.firstTile[0]; t <= source.lastTile[0]; ++t) {
    Rect tile{};
    GetTileRect(&source, t, &tile);
    RequestSourceRect(globals, &tile);
    HostError result = CallAdvanceState(fr->advanceState);
    SetResult(globals, result);
    if (result != kNoErr) {
      globals->bandActive = 0;
      return;
    }
  }
  globals->images[0].fetchEdgeMode = InputLayoutClass(GetParameterBlock(globals)->inputProjection);
  globals->images[0].sampleEdgeMode = InputTileCode(GetParameterBlock(globals)->inputProjection);
  ReportProgressSource(globals, 1, 100);
  GetParameterBlock(globals)->sourceLoaded = 1;
  fr->inRect = savedIn;
  fr->outRect = savedOut;
  fr->maskRect = savedMask;
  GetParameterBlock(globals)->previewScale = savedScale;
  RequestScaledInput(globals, savedScale);
}

void PrepareRender(GlobalsRecord* globals) {
  EnsurePixelRecordBuffer(globals);
  globals->currentRow = 0;
  globals->rowTotal = globals->workHeight;
  globals->rowStep = 1;
  globals->bandRepeat = 0;
  globals->maskActive = 1;
  globals->bandActive = 1;
  globals->rowsDone = 0;
  if (globals->workRecord) {
    globals->workRecord->outputCache[0] = 999.0f;
    globals->workRecord->mollweideCache[0] = 999.0f;
  }
}

void StepRenderRow(GlobalsRecord* globals) {
  ReportProgress(globals, globals->rowsDone, globals->rowTotal, globals->passCount);
  globals->rowsDone += 1;
  if (globals->rowStep == 1) {
    const FilterRecord* fr = globals->filterRecord;
    if (GetParameterBlock(globals)->runMode == RunModeHost && (!fr->inData || !fr->outData)) {
      SetResult(globals, kMemFullErr);
      return;
    }
    if (GetParameterBlock(globals)->runMode == RunModeHost) RenderOutputRow(globals);
    if (globals->currentRow >= globals->workHeight - 1) {
      globals->bandActive = 0;
      globals->bandRepeat = 0;
      globals->currentRow = 0;
    } else {
      globals->currentRow += 1;
    }
  }
  if (TestAbort(globals)) SetResult(globals, kUserCanceledErr);
}

void RenderWholeImage(GlobalsRecord* globals) {
  AcquireSourceImage(globals);
  globals->maskFirstRow = globals->inFirstRow = globals->clipFirstRow;
  globals->maskLastRow = globals->inLastRow = globals->clipLastRow;
  BuildRunTables(globals);
  PrepareRender(globals);
  if (GetResult(globals) != kNoErr || !HostCanPreview(globals) || !globals->filterRecord->inData) return;
  while (globals->bandActive == 1 && GetResult(globals) == kNoErr) StepRenderRow(globals);
  FinishRender(globals);
}

void FinishRender(GlobalsRecord* globals) {
  const BufferProcs* procs = RunBufferProcs(globals);
  if (globals->workRecord) FreeMeshTables(&globals->workRecord->outputMesh, procs);
  if (globals->inputMesh) FreeMeshTables(globals->inputMesh, procs);
  void* mesh = globals->inputMesh;
  FreeBuffer(&mesh, &globals->inputMeshSlot, procs);
  globals->inputMesh = nullptr;
}

void FreeRunBuffers(GlobalsRecord* globals) {
  const BufferProcs* procs = RunBufferProcs(globals);
  GlobalsRecord& g = *globals;
  if (g.workRecord) {
    FreeMeshTables(&g.workRecord->outputMesh, procs);
    FreeImageRecord(&g.workRecord->workImage);
  }
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
  SetResult(globals, 3);
  EmptyHostRects(globals);
}

int32_t CanAllocateRunBuffers() { return 1; }

void ResetFirstBand(GlobalsRecord* globals) {
  if (!globals->bandPool) return;
  globals->bandPool->runFieldA = 0;
  globals->bandPool->runFieldB = 0;
}

void SplitRectIntoBands(const Rect* rect, int32_t jobCode, GlobalsRecord* owner, void* jobArgs,
                        ImageRecord* target) {
  int32_t width = int32_t(rect->right) - rect->left;
  int32_t height = int32_t(rect->bottom) - rect->top;
  int32_t length = width >= height ? width : height;
  int32_t count = length < 1 ? 0 : 1;
  owner->bandCount = count;
  if (count == 0 || !owner->bandPool) return;
  BandRecord* band = owner->bandPool;
  band->subRect = *rect;
  band->bandIndex = 0;
  band->bandCount = count;
  band->owner = owner;
  band->jobCode = jobCode;
  band->jobArgs = jobArgs;
  band->target = target;
}

void RunBands(GlobalsRecord* owner) {
  for (int32_t i = 0; i < owner->bandCount && owner->bandPool; ++i) owner->bandPool[i].status = -1;
}

int32_t SourcePixelMode(const GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  if (fr->imageMode == kImageModeRGB96 || fr->imageMode == kImageModeGray32 || fr->depth == 32) return PixelRgbaFloat;
  if ((fr->imageMode == kImageModeGray16 || fr->imageMode == kImageModeRGB48) && fr->depth == 16) return PixelRgba16;
  return PixelRgba8;
}
