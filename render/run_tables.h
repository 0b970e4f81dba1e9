// Small pieces that the render run and its callers share: the compositor's
// tent table, the state an export pass saves and puts back around an
// off-screen render, the clearing of the preview's pan, and the preview tick
// that shows finished rows while a preview renders.
#pragma once

#include <cstdint>

#include "host/host_records.h"

struct GlobalsRecord;

// The host-facing state of a run.
struct SavedRunState {
  Rect inRect;
  Rect outRect;
  Rect maskRect;
  int32_t samplingScale;
  int16_t filterTop;
  int16_t filterLeft;
  int32_t nextRow;
  int32_t previewPanX;
  int32_t previewPanY;
  int32_t runMode;
};

constexpr int32_t kTentTableSize = 256;

void BuildRunTables(GlobalsRecord* globals);
void SaveRunState(SavedRunState* state, const GlobalsRecord* globals);
void RestoreRunState(const SavedRunState* state, GlobalsRecord* globals);
void ClearPreviewPan(GlobalsRecord* globals);
void TickRenderProgress(GlobalsRecord* globals, int32_t row);
