#include "host/phase_handlers.h"

#include <cstring>

#include "export/export_plan.h"
#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/host_suites.h"
#include "host/plugin_main.h"
#include "render/render_run.h"
#include "settings/settings_services_stub.h"
#include "ui/dialog_services.h"

namespace {

// Ends a run that failed or was cancelled: the buffers go back to the host
// and the host's rectangles ask for nothing more.
void AbandonRun(GlobalsRecord* globals) {
  ReleaseRunResources(globals);
  EmptyHostRects(globals);
}

}  // namespace

void HandleParametersSelector(GlobalsRecord* globals) {
  EnsureParameterBlock(globals);
  if (ParameterBlock* block = GetParameterBlock(globals)) block->showDialog = 1;
}

void HandlePrepareSelector(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  fr->bufferSpace = 0;
  EnsureParameterBlock(globals);
  fr->bufferSpace = 0;
  globals->savedFilterRect = fr->filterRect;
  const Rect filter = fr->filterRect;
  SetWorkArea(globals, &filter, 1);
  ComputeRowStrides(globals);
  ComputeBufferSizes(globals);
  globals->runCounterA = 0;
  globals->runCounterB = 0;
  globals->bandCount = 1;
  globals->runPointer = nullptr;
  globals->mainDialogWindow = nullptr;
  globals->runFlag = 0;
  ClearDialogModuleFlags();
  SeedRandomFromTime();
  globals->dialogOutcome = 0;
  globals->mainDialogWindow = nullptr;
}

void ComputeRowStrides(GlobalsRecord* globals) {
  int32_t w = globals->workWidth;
  int32_t h = globals->workHeight;
  globals->strideA = w + 3;
  globals->strideB = 2 * (w + 3);
  globals->strideC = h + 3;
  globals->wideRowLength = w + 2178;
  int32_t longer = w > h ? w : h;
  int32_t a = 2 * (longer + 4);
  int32_t b = 3 * w + 2184;
  globals->columnRecordCount = a > b ? a : b;
}

void ComputeBufferSizes(GlobalsRecord* globals) {
  globals->columnRecordBufferSize = globals->columnRecordCount * kColumnRecordBytes;
  globals->rowBufferSize = kSmallBufferBytes;
  globals->smallBufferASize = kSmallBufferBytes;
  globals->smallBufferBSize = kSmallBufferBytes;
  globals->smallBufferCSize = kSmallBufferBytes;
  globals->smallBufferDSize = kSmallBufferBytes;
  globals->spareBufferASize = kSmallBufferBytes;
  globals->spareBufferBSize = kSmallBufferBytes;
  globals->extraBufferSize = kSmallBufferBytes;
  globals->wideBufferSize = kWideBufferBytes;
  globals->filterRecord->bufferSpace = globals->columnRecordCount * kColumnRecordBytes + 1112;
}

bool AllocateRunBuffers(GlobalsRecord* globals) {
  // Buffers of a run the host never finished would be lost by the reset.
  if (globals->workRecord) FreeRunBuffers(globals);
  ResetBufferSlots(globals);
  const BufferProcs* procs = RunBufferProcs(globals);
  GlobalsRecord& g = *globals;
  bool ok = (g.columnRecords = AllocBuffer(g.columnRecordBufferSize, &g.columnRecordSlot, procs)) != nullptr;
  ok = ok && (g.rowBuffer = AllocBuffer(2 * int64_t(g.rowBufferSize), &g.rowBufferSlot, procs)) != nullptr;
  ok = ok && (g.smallBufferA = AllocBuffer(g.smallBufferASize, &g.smallBufferASlot, procs)) != nullptr;
  ok = ok && (g.smallBufferB = AllocBuffer(g.smallBufferBSize, &g.smallBufferBSlot, procs)) != nullptr;
  ok = ok && (g.smallBufferC = AllocBuffer(g.smallBufferCSize, &g.smallBufferCSlot, procs)) != nullptr;
  ok = ok && (g.smallBufferD = AllocBuffer(g.smallBufferDSize, &g.smallBufferDSlot, procs)) != nullptr;
  if (ok) {
    void* pool = AllocBuffer(int64_t(sizeof(BandRecord)) * CanAllocateRunBuffers(), &g.bandPoolSlot, procs);
    g.bandPool = static_cast<BandRecord*>(pool);
    ok = pool != nullptr;
  }
  if (ok) {
    void* work = AllocBuffer(int64_t(sizeof(WorkRecord)), &g.workRecordSlot, procs);
    g.workRecord = static_cast<WorkRecord*>(work);
    ok = work != nullptr;
  }
  ok = ok && (g.spareBufferA = AllocBuffer(g.spareBufferASize, &g.spareBufferASlot, procs)) != nullptr;
  ok = ok && (g.spareBufferB = AllocBuffer(g.spareBufferBSize, &g.spareBufferBSlot, procs)) != nullptr;
  // A host buffer is not cleared: start the work record and the band pool
  // from zero (the throttles, the work-image flags, the export target).
  if (g.workRecord) std::memset(static_cast<void*>(g.workRecord), 0, sizeof(WorkRecord));
  if (g.bandPool) std::memset(static_cast<void*>(g.bandPool), 0, sizeof(BandRecord));
  if (!ok) {
    FreeRunBuffers(globals);
    FailRunAllocation(globals);
    return false;
  }
  return true;
}

void InitStartState(GlobalsRecord* globals) {
  WorkRecord* work = globals->workRecord;
  for (ImageRecord& image : globals->images) InitImageRecord(&image, &globals->imageOwner, &work->filterTables);
  InitImageRecord(&globals->thumbnailImage, &globals->imageOwner, &work->filterTables);
  CreateImageRecord(&globals->thumbnailImage, 128, 128, PixelRgba8, 0, 0);
  InitImageRecord(&work->workImage, &globals->imageOwner, &work->filterTables);
  globals->startFlagA = 0;
  globals->startFlagB = 0;
  if (!OpenSettingsDescriptor(globals)) LoadCachedSettings(globals);

  ParameterBlock* block = GetParameterBlock(globals);
  if (globals->firstRunFlag) {
    globals->firstRunFlag = 0;
    block->faceExportMode = 0;
    block->psdSizeMode = 1;
    block->psdWidth = 100;
    block->psdHeight = 100;
  }
  block->settingsFolder[0] = 0;
  block->exportFolder[0] = 0;
  block->presetFolder[0] = 0;
  globals->previewCounterA = 0;
  globals->previewCounterB = 0;
  for (uint32_t& word : work->dotWords) word = 0;
  block->sourceLoaded = 0;
  work->outputCache[0] = 999.0f;  // the cache is not built
  ResetPolyMesh(&work->outputMesh);
  globals->startCounter = 0;
  for (SettingsSnapshot& slot : work->undoSlots.slots) {
    slot.valid = 0;
    slot.onFile = 0;
  }
  globals->undoIndex = 0;
  globals->mainDialogWindow = nullptr;
  globals->dialogFlag = 0;
  LoadMemoryDotMap(globals);
  CreateImageRecord(&globals->images[1], 50, 50, PixelRgbaFloat, 0, 0);
  ResetFirstBand(globals);
  GetParameterBlock(globals)->exportKind = ExportPlain;
}

void ReleaseRunResources(GlobalsRecord* globals) {
  SaveMemoryDotMap(globals);
  FreeRunBuffers(globals);
}

void HandleStartSelector(GlobalsRecord* globals) {
  EnsureParameterBlock(globals);
  FilterRecord* fr = globals->filterRecord;
  ParameterBlock* block = GetParameterBlock(globals);
  block->canPreview = AdvanceStateAvailable(fr->advanceState) && DisplayPixelsAvailable(fr->displayPixels) &&
                      block->previewDisabled == 0;

  if (!AllocateRunBuffers(globals)) {
    // Out of memory is the host's memory code, never a cancel.
    SetResult(globals, kMemFullErr);
    return;
  }
  if (GetResult(globals) != kNoErr) {
    AbandonRun(globals);
    SetResult(globals, kRefusedResult);
    return;
  }
  InitStartState(globals);
  globals->filterWidth = int32_t(fr->filterRect.right) - fr->filterRect.left;
  globals->filterHeight = int32_t(fr->filterRect.bottom) - fr->filterRect.top;

  if (!fr->advanceState) {
    ShowRefusalNoAdvanceState();
    SetResult(globals, kRefusedResult);
  }
  if (fr->imageMode == kImageModeMultichannel) {
    ShowRefusalMultichannel();
    SetResult(globals, kRefusedResult);
  }
  if (GetResult(globals) != kNoErr) {
    AbandonRun(globals);
    return;
  }

  ReadSettingsDescriptor(globals);
  if (GetParameterBlock(globals)->showDialog) {
    TakeUndoSnapshot(globals, 1);
    RunMainDialog(globals);
    GetParameterBlock(globals)->showDialog = 0;
    if (GetResult(globals) != kNoErr) {
      AbandonRun(globals);
      return;
    }
    SaveCachedSettings(globals);
  }
  GetParameterBlock(globals)->runMode = RunModeHost;
  StartRender(globals);
  // A render set-up that failed ends the run like every other failure.
  if (GetResult(globals) != kNoErr) AbandonRun(globals);
}

void HandleContinueSelector(GlobalsRecord* globals) {
  // Nothing to continue once the run's buffers are gone.
  if (!globals->workRecord) {
    EmptyHostRects(globals);
    return;
  }
  const bool hasAdvanceState = HostHasAdvanceState(globals);
  for (;;) {
    StepRenderRow(globals);
    if (GetResult(globals) != kNoErr) globals->bandActive = 0;
    if (globals->bandRepeat == 1 && GetResult(globals) == kNoErr) continue;
    if (GetResult(globals) == kNoErr) SetNextBandRects(globals);
    if (globals->bandActive != 1) {
      FinishRender(globals);
      AbandonRun(globals);
      return;
    }
    if (!hasAdvanceState) return;
    HostError result = CallAdvanceState(globals->filterRecord->advanceState);
    SetResult(globals, result);
    if (result != kNoErr) {
      // The host's code stands; the run's buffers still go back.
      FinishRender(globals);
      AbandonRun(globals);
      return;
    }
  }
}

void HandleFinishSelector(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  PIDescriptorParameters* dp = fr->descriptorParameters;
  if (!DescriptorParametersAvailable(dp, nullptr)) return;
  DescriptorToken token = dp->writeDescriptorProcs->openWriteDescriptorProc();
  if (!token) return;
  WriteSettingsRecord(globals, nullptr, 0, token);
  CloseWriteDescriptor(dp, fr->handleProcs, &token);
}
