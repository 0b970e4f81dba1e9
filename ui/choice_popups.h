// The items of the main dialog's choice lists, and the popup item map that
// gives every item a command id of its own (2000 and up).
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

// Empties the map: control ids 1, values and command ids 0, no last entry.
void ResetPopupItemMap(PopupItemMap* map);
// Adds an entry with the next command id; false when the map is full.
bool RegisterPopupItem(PopupItemMap* map, int32_t controlId, int32_t value);

// Fills the choice lists in this order, registering each item: glue modes
// 1..62 (73), inputs 1..29 (12), outputs 1..255 (51), grid 1..7 (21),
// preview quality 1..3 (52). Item k of a list has the value k + 1.
void FillChoiceCombos(MainDialog* dialog);

// The item with that command id: its value is stored for its control
// (without redrawing) and its control id answered. A command id that no
// entry has changes nothing and answers -1.
int32_t ApplyPopupCommand(MainDialog* dialog, int32_t commandId);
