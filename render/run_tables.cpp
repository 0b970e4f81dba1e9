#include "render/run_tables.h"

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "render/preview_display.h"

namespace {

// Hosts that redraw their own window slowly see the preview every 100 rows.
bool HostShowsRowsSlowly(FourCC hostSig) {
  return hostSig == MakeFourCC('8', 'B', 'I', 'M') || hostSig == MakeFourCC('8', 'E', 'L', 'E');
}

}  // namespace

void BuildRunTables(GlobalsRecord* globals) {
  WorkRecord* work = globals->workRecord;
  if (!work) return;
  for (int32_t i = 0; i < kTentTableSize; ++i) work->tentTable[i] = i < 128 ? 2 * i : 511 - 2 * i;
}

void SaveRunState(SavedRunState* state, const GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  const ParameterBlock* block = GetParameterBlock(globals);
  state->inRect = fr->inRect;
  state->outRect = fr->outRect;
  state->maskRect = fr->maskRect;
  state->samplingScale = block->previewScale;
  state->filterTop = fr->filterRect.top;
  state->filterLeft = fr->filterRect.left;
  state->nextRow = globals->currentRow;
  state->previewPanX = block->previewPanX;
  state->previewPanY = block->previewPanY;
  state->runMode = block->runMode;
}

void RestoreRunState(const SavedRunState* state, GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  ParameterBlock* block = GetParameterBlock(globals);
  block->previewPanX = state->previewPanX;
  block->previewPanY = state->previewPanY;
  block->runMode = state->runMode;
  fr->inRect = state->inRect;
  fr->outRect = state->outRect;
  fr->maskRect = state->maskRect;
  block->previewScale = state->samplingScale;
  globals->currentRow = state->nextRow;
  if (block->runMode == RunModePreview) RequestScaledInput(globals, block->previewScale);
}

void ClearPreviewPan(GlobalsRecord* globals) {
  ParameterBlock* block = GetParameterBlock(globals);
  block->previewPanX = 0;
  block->previewPanY = 0;
}

void TickRenderProgress(GlobalsRecord* globals, int32_t row) {
  if (!HostCanPreview(globals) || GetParameterBlock(globals)->runMode != RunModePreview) return;
  if (HostShowsRowsSlowly(globals->filterRecord->hostSig) && row % 100 != 99) return;
  ShowOutputInPreview(globals, row);
}
