// The main dialog's controller: the events of the window system in, the
// dialog's behaviour out through its port.
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

// Events nested deeper than this are refused (and counted): a controller
// that would recurse without end stops here instead.
constexpr int32_t kMaxMainDialogEventDepth = 16;

// The pseudo-id of a change committed by the preview timer.
constexpr int32_t kTimerCommitId = 777;

int32_t MainDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);

// Binds the record to its window, fills every control from the settings,
// renders the first preview and keeps the opening settings in a free dot.
void InitMainDialog(MainDialog* dialog, const DialogPort* port);

// OK (3) and Cancel (2); false for any other id.
bool OnOkCancel(MainDialog* dialog, int32_t id);

// Commands that redraw the preview when they asked for it, even with Auto
// preview off: the preview, Save, the zoom buttons, Load and the timer.
bool IsPreviewCommand(int32_t id);
// 0 no undo snapshot, 1 one in memory, 2 one also written to its undo file.
int32_t UndoKindForCommand(const MainDialog* dialog, int32_t id);
// The controls into the settings, then the undo snapshot of the command.
void CommitControlChange(MainDialog* dialog, int32_t id);
// The controls into the settings, a preview render, and the preview drawn.
void RefreshPreview(MainDialog* dialog);
// Checkbox 30 into autoPreview; true when it is ticked.
bool ReadAutoPreview(MainDialog* dialog);
// A typed change of an edit; the program's own writes are not typing.
void OnEditChanged(MainDialog* dialog, int32_t id);

void ArmPreviewTimer(MainDialog* dialog);
void StopPreviewTimer(MainDialog* dialog);

// The small buttons beside the lists step their setting and wrap; Dice and
// Constrained draw random view angles. True when the settings changed.
bool CycleChoiceButton(MainDialog* dialog, int32_t id);
