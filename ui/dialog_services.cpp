#include "ui/dialog_services.h"

#include "host/globals_record.h"
#include "host/text_utils.h"
#include "ui/control_drawing.h"
#include "ui/dialog_numbers.h"
#include "ui/main_dialog.h"
#include "ui/progress_dialog.h"

namespace {

DialogModuleState gDialogModuleState = {};

constexpr int32_t kProgressTextItem = 2;

}  // namespace

DialogModuleState& GetDialogModuleState() { return gDialogModuleState; }

void ClearDialogModuleFlags() {
  DialogModuleState& s = gDialogModuleState;
  s.aboutBoxOpen = 0;
  for (uint8_t& flag : s.exportDialogOpen) flag = 0;
  for (uint8_t& flag : s.busyFlags) flag = 0;
  s.savedWindow = nullptr;
}

void ShowBusyCursor() {
  SetWindowCursor(CursorShape::Wait);
  gDialogModuleState.cursorState = int32_t(CursorShape::Wait);
}

void RestoreArrowCursor() {
  if (gDialogModuleState.cursorState == int32_t(CursorShape::Arrow)) return;
  SetWindowCursor(CursorShape::Arrow);
  gDialogModuleState.cursorState = int32_t(CursorShape::Arrow);
}

void UpdateProgressPercent(GlobalsRecord* globals, int32_t done, int32_t total, int32_t passes) {
  const DialogPort* progress = gDialogModuleState.progressWindow;
  const int64_t whole = int64_t(passes) * total;
  if (!progress || whole == 0 || !globals) return;
  const int64_t percent = (int64_t(globals->exportLayersDone) * total + done) * 100 / whole;
  char text[32];
  FormatInteger(percent, text, sizeof(text) - 1);
  AppendText(text, "%");
  PortSetItemText(progress, kProgressTextItem, text);
  // The job runs inside the dialog's timer tick: the text is painted now.
  PortRedrawItem(progress, kProgressTextItem);
  PortBringToTop(progress);
}

void ShowCancelling(GlobalsRecord* /*globals*/) {
  const DialogPort* progress = gDialogModuleState.progressWindow;
  if (!progress) return;
  PortSetItemText(progress, kProgressTextItem, "Cancelling...");
  PortRedrawItem(progress, kProgressTextItem);
  MarkProgressCancelled();
}

void ClearMemoryDotThumbnail(GlobalsRecord* globals, void* dialog) {
  if (!dialog || !globals || !globals->workRecord) return;
  FreeImageRecord(&globals->workRecord->workImage);
  static_cast<MainDialog*>(dialog)->dotThumbnailLoaded = 0;
  RedrawControl(static_cast<MainDialog*>(dialog), kIdDotThumbnail);
  globals->workRecord->selectedDots[0] = -1;
  globals->workRecord->selectedDots[1] = -1;
}
