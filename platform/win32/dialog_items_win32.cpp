#include <windows.h>

#include "platform/dialog_items.h"

void PlatformSelectDialogText(DialogRef dialog, int32_t item) {
  HWND control = GetDlgItem(reinterpret_cast<HWND>(dialog), item);
  if (!control) return;
  SendMessageA(control, EM_SETSEL, 0, -1);
  SetFocus(control);
}

void PlatformShowDialogItem(DialogRef dialog, int32_t item, bool show) {
  HWND control = GetDlgItem(reinterpret_cast<HWND>(dialog), item);
  if (control) ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

// Windows has real items to look at; the stand-in's view is empty.
const StandInDialogItem* FindStandInDialogItem(DialogRef, int32_t) { return nullptr; }

void ResetStandInDialogItems() {}
