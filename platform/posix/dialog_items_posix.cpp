// Dialog items without a window system: the calls only record the state.
#include <vector>

#include "platform/dialog_items.h"

namespace {

std::vector<StandInDialogItem>& Items() {
  static std::vector<StandInDialogItem> items;
  return items;
}

StandInDialogItem* ItemOf(DialogRef dialog, int32_t item) {
  for (StandInDialogItem& entry : Items()) {
    if (entry.dialog == dialog && entry.item == item) return &entry;
  }
  Items().push_back(StandInDialogItem{dialog, item, true, false, 0, 0});
  return &Items().back();
}

}  // namespace

void PlatformSelectDialogText(DialogRef dialog, int32_t item) {
  if (!dialog) return;
  for (StandInDialogItem& entry : Items()) {
    if (entry.dialog == dialog) entry.focused = false;
  }
  StandInDialogItem* entry = ItemOf(dialog, item);
  entry->selectionStart = 0;
  entry->selectionEnd = -1;
  entry->focused = true;
}

void PlatformShowDialogItem(DialogRef dialog, int32_t item, bool show) {
  if (!dialog) return;
  ItemOf(dialog, item)->visible = show;
}

const StandInDialogItem* FindStandInDialogItem(DialogRef dialog, int32_t item) {
  for (const StandInDialogItem& entry : Items()) {
    if (entry.dialog == dialog && entry.item == item) return &entry;
  }
  return nullptr;
}

void ResetStandInDialogItems() { Items().clear(); }
