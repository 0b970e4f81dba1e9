#include "ui/choice_popups.h"

#include "projection/names.h"
#include "ui/control_values.h"
#include "ui/ui_texts.h"

void ResetPopupItemMap(PopupItemMap* map) {
  for (int32_t i = 0; i < kPopupMapSize; ++i) {
    map->commandIds[i] = 0;
    map->controlIds[i] = 1;
    map->values[i] = 0;
  }
  map->last = -1;
}

bool RegisterPopupItem(PopupItemMap* map, int32_t controlId, int32_t value) {
  const int32_t next = map->last + 1;
  if (next >= kPopupMapSize) return false;
  map->commandIds[next] = kFirstPopupCommand + next;
  map->controlIds[next] = controlId;
  map->values[next] = value;
  map->last = next;
  return true;
}

void FillChoiceCombos(MainDialog* dialog) {
  static constexpr int32_t kOrder[] = {kIdGlueCombo, kIdInputCombo, kIdOutputCombo, kIdGridCombo, kIdQualityCombo};
  for (int32_t id : kOrder) {
    PortClearChoices(dialog->port, id);
    const int32_t count = ChoiceItemCount(id);
    for (int32_t value = 1; value <= count; ++value) {
      const char* name = id == kIdGlueCombo ? GlueModeName(value) : GetChoiceName(id, value);
      PortAddChoice(dialog->port, id, name);
      RegisterPopupItem(&dialog->popups, id, value);
    }
  }
}

int32_t ApplyPopupCommand(MainDialog* dialog, int32_t commandId) {
  const PopupItemMap& map = dialog->popups;
  for (int32_t i = 0; i <= map.last && i < kPopupMapSize; ++i) {
    if (map.commandIds[i] != commandId) continue;
    StoreControlValue(dialog, map.controlIds[i], map.values[i]);
    return map.controlIds[i];
  }
  return -1;
}
