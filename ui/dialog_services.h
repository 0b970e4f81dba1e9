// The dialog services that the shell and the render call: the main dialog,
// alerts and refusals, the about box, the cursor, the progress percentage and
// the memory-dot thumbnail. They run the controllers of ui/ on the installed
// window system (the stand-in of ui/standin when none is installed).
#pragma once

#include <cstdint>

#include "ui/dialog_port.h"
#include "ui/small_dialogs.h"
#include "ui/ui_texts.h"

struct GlobalsRecord;
struct MainDialog;

// Dialog outcomes as the dialog writes them into GlobalsRecord::dialogOutcome.
constexpr int32_t kDialogOutcomeOk = 1;
constexpr int32_t kDialogOutcomeCancel = 2;

// Module-level dialog state.
struct DialogModuleState {
  void* moduleInstance;
  uint8_t aboutBoxOpen;
  uint8_t infoBoxOpen;
  uint8_t exportDialogOpen[4];
  uint8_t busyFlags[2];
  const DialogPort* savedWindow;
  const DialogPort* mainDialogWindow;  // the choosers' owner while the main dialog runs
  const DialogPort* progressWindow;    // null when no progress dialog is open
  const DialogPort* aboutBox;
  const DialogPort* infoBox;
  MainDialog* mainDialog;  // the main dialog until it ends
  int32_t cursorState;     // a CursorShape value
};
DialogModuleState& GetDialogModuleState();
void ClearDialogModuleFlags();  // the prepare phase's reset

// Runs the main dialog; true when it ended with OK. OK writes 0 to the result
// word and outcome 1; Cancel restores the settings the dialog opened with,
// writes -128 and outcome 2. A dialog that ends any other way (or cannot be
// shown) counts as Cancel: nothing renders that the user did not confirm.
bool RunMainDialog(GlobalsRecord* globals);

void ShowBusyCursor();
void RestoreArrowCursor();

// While a progress dialog is open and passes x total is not 0, its item 2
// shows (pass index x total + done) x 100 / (passes x total) followed by "%".
void UpdateProgressPercent(GlobalsRecord* globals, int32_t done, int32_t total, int32_t passes);
// While a progress dialog is open, its item 2 says "Cancelling..."; the
// export pass that saw the abort stops on its own cancel byte.
void ShowCancelling(GlobalsRecord* globals);

// With a dialog (the main dialog's record): frees the memory-dot thumbnail,
// redraws the thumbnail control and forgets the shown and last-used dots.
void ClearMemoryDotThumbnail(GlobalsRecord* globals, void* dialog);
