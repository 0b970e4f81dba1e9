// The main dialog's controller: the events of the window system in, the
// dialog's behaviour out through its port.
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

// Events nested deeper than this are refused (and counted): a controller
// that would recurse without end stops here instead.
constexpr int32_t kMaxMainDialogEventDepth = 16;

int32_t MainDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);

// Binds the record to its window and fills every control from the settings.
void InitMainDialog(MainDialog* dialog, const DialogPort* port);

// OK (3) and Cancel (2); false for any other id.
bool OnOkCancel(MainDialog* dialog, int32_t id);
