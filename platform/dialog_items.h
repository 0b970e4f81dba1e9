// The two dialog-item calls the text utilities need. On Windows these are the
// user32 calls on the item of a dialog window; elsewhere a stand-in keeps the
// state of the items it was told about, so tests can look at it.
#pragma once

#include <cstdint>

using DialogRef = intptr_t;  // the dialog's window

// Selects all text of an edit item and gives it the keyboard focus.
void PlatformSelectDialogText(DialogRef dialog, int32_t item);
void PlatformShowDialogItem(DialogRef dialog, int32_t item, bool show);

// The stand-in's view of an item (posix only).
struct StandInDialogItem {
  DialogRef dialog;
  int32_t item;
  bool visible;
  bool focused;
  int32_t selectionStart;
  int32_t selectionEnd;  // -1: to the end
};
const StandInDialogItem* FindStandInDialogItem(DialogRef dialog, int32_t item);
void ResetStandInDialogItems();
