#include "host/globals_record.h"

#include "host/host_memory.h"
#include "render/render_run.h"
#include "ui/dialog_services.h"

const BufferProcs* RunBufferProcs(const GlobalsRecord* globals) {
  return globals->filterRecord ? globals->filterRecord->bufferProcs : nullptr;
}

const HandleProcs* RunHandleProcs(const GlobalsRecord* globals) {
  return globals->filterRecord ? globals->filterRecord->handleProcs : nullptr;
}

void SetResult(GlobalsRecord* globals, HostError code) {
  if (globals->resultPtr) *globals->resultPtr = code;
}

HostError GetResult(const GlobalsRecord* globals) { return globals->resultPtr ? *globals->resultPtr : 0; }

void ResetBufferSlots(GlobalsRecord* globals) {
  globals->columnRecordSlot = 0;
  globals->rowBufferSlot = 0;
  globals->smallBufferASlot = 0;
  globals->smallBufferBSlot = 0;
  globals->spareBufferASlot = 0;
  globals->spareBufferBSlot = 0;
  globals->smallBufferCSlot = 0;
  globals->smallBufferDSlot = 0;
  globals->workRecordSlot = 0;
  globals->bandPoolSlot = 0;
  globals->inputMeshSlot = 0;
  globals->columnRecords = nullptr;
  globals->rowBuffer = nullptr;
  globals->smallBufferA = nullptr;
  globals->smallBufferB = nullptr;
  globals->smallBufferC = nullptr;
  globals->smallBufferD = nullptr;
  globals->workRecord = nullptr;
  globals->bandPool = nullptr;
  globals->spareBufferA = nullptr;
  globals->spareBufferB = nullptr;
  globals->inputMesh = nullptr;
  globals->imageOwner = ImageOwner{};
  globals->imageOwner.bufferProcs = RunBufferProcs(globals);
  InitImageRecord(&globals->thumbnailImage, &globals->imageOwner, nullptr);
  for (ImageRecord& image : globals->images) InitImageRecord(&image, &globals->imageOwner, nullptr);
}

void RefreshGlobalsPointers(GlobalsRecord* globals) {
  const BufferProcs* procs = RunBufferProcs(globals);
  globals->imageOwner.bufferProcs = procs;
  auto repoint = [&](ImageRecord& image) {
    image.owner = &globals->imageOwner;
    image.allocator = procs;
  };
  repoint(globals->thumbnailImage);
  for (ImageRecord& image : globals->images) repoint(image);
  if (globals->workRecord) {
    repoint(globals->workRecord->workImage);
    globals->workRecord->outputMesh.owner = globals;
  }
  if (globals->inputMesh) globals->inputMesh->owner = globals;
  if (globals->bandPool) globals->bandPool->owner = globals;
  if (ParameterBlock* block = GetParameterBlock(globals)) block->globalsRecord = globals;
}

void EnsurePixelRecordBuffer(GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  globals->columnRecordCount = int32_t(fr->inRect.right) - fr->inRect.left + 4;
  int64_t need = int64_t(globals->columnRecordCount) * kColumnRecordBytes;
  if (need <= globals->columnRecordBufferSize) return;
  FreeBuffer(&globals->columnRecords, &globals->columnRecordSlot, RunBufferProcs(globals));
  globals->columnRecordBufferSize = int32_t(need);
  globals->columnRecords = AllocBuffer(need, &globals->columnRecordSlot, RunBufferProcs(globals));
  // Out of memory is the host's memory code, not a cancel.
  if (!globals->columnRecords) SetResult(globals, kMemFullErr);
}

int32_t TargetWidth(const GlobalsRecord* globals) {
  const ParameterBlock* block = GetParameterBlock(globals);
  if (block && block->runMode == RunModeExport && globals->workRecord && globals->workRecord->offscreenTarget) {
    return globals->workRecord->offscreenTarget->levelWidth[0];
  }
  const Rect& r = globals->filterRecord->outRect;
  return int32_t(r.right) - r.left;
}

int32_t TargetHeight(const GlobalsRecord* globals) {
  const ParameterBlock* block = GetParameterBlock(globals);
  if (block && block->runMode == RunModeExport && globals->workRecord && globals->workRecord->offscreenTarget) {
    return globals->workRecord->offscreenTarget->levelHeight[0];
  }
  const Rect& r = globals->filterRecord->outRect;
  return int32_t(r.bottom) - r.top;
}

void SetupMemoryDotControls(GlobalsRecord* globals, void* dialog) {
  static constexpr uint16_t kDotControlIds[kMemoryDotCount] = {10, 47, 113, 112, 111, 108, 80, 78, 27,
                                                                6,  29, 20,  68,  66,  42,  87, 77, 44,
                                                                24, 88, 95,  89,  19,  14,  16};
  WorkRecord* work = globals->workRecord;
  if (!work) return;
  for (int32_t i = 0; i < kMemoryDotCount; ++i) {
    work->dotControlIds[i] = kDotControlIds[i];
    work->dotStates[i] = 0;
  }
  work->selectedDots[0] = -1;
  work->selectedDots[1] = -1;
  ClearMemoryDotThumbnail(globals, dialog);
}
