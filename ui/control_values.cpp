#include "ui/control_values.h"

#include <cstring>

#include "ui/control_drawing.h"
#include "ui/dialog_numbers.h"

namespace {

bool InTable(int32_t id) { return id >= 0 && id < kControlIdCount; }

}  // namespace

void ResetMainDialog(MainDialog* dialog, GlobalsRecord* globals) {
  std::memset(static_cast<void*>(dialog), 0, sizeof(MainDialog));
  dialog->globals = globals;
  dialog->capturedControl = -1;
  dialog->popups.last = -1;
  for (uint32_t& e : dialog->controls.enabled) e = 1;
}

void InitSliderRanges(MainDialog* dialog) {
  for (int32_t id = 0; id < kControlIdCount; ++id) {
    if (GetControlKind(id) != kKindSlider) continue;
    const ControlDescriptor d = GetControlDescriptor(id);
    dialog->controls.sliderMinimum[id] = d.minimum;
    dialog->controls.sliderMaximum[id] = d.maximum;
  }
}

void InitControlTables(MainDialog* dialog) {
  for (int32_t id = 0; id < kControlIdCount; ++id) {
    const ControlDescriptor d = GetControlDescriptor(id);
    dialog->controls.trackBitmaps[id] = d.trackBitmap;
    dialog->controls.icons[id] = d.icon;
    dialog->controls.labels[id] = d.label;
    if (GetControlKind(id) == kKindBitmapButton) {
      PortSetItemIcon(dialog->port, id, d.icon);
      PortSetItemText(dialog->port, id, "");
    }
  }
}

int32_t GetControlValue(const MainDialog* dialog, int32_t id) { return InTable(id) ? dialog->controls.values[id] : 0; }

void StoreControlValue(MainDialog* dialog, int32_t id, int32_t value) {
  if (InTable(id)) dialog->controls.values[id] = value;
}

void SetControlValue(MainDialog* dialog, int32_t id, int32_t value) {
  if (!InTable(id)) return;
  dialog->controls.values[id] = value;
  RedrawControl(dialog, id);
}

bool IsControlEnabled(const MainDialog* dialog, int32_t id) { return InTable(id) && dialog->controls.enabled[id] != 0; }

void SetControlEnabled(MainDialog* dialog, int32_t id, bool enabled) {
  if (InTable(id)) dialog->controls.enabled[id] = enabled ? 1 : 0;
}

void EnableAllControls(MainDialog* dialog) {
  for (uint32_t& e : dialog->controls.enabled) e = 1;
}

void SetEditNumber(MainDialog* dialog, int32_t id, double value) {
  char text[64];
  FormatNumberG(value, text, sizeof(text));
  dialog->programmaticEdits += 1;
  PortSetItemText(dialog->port, id, text);
  dialog->programmaticEdits -= 1;
}

double GetEditNumber(const MainDialog* dialog, int32_t id) {
  if (!dialog || !dialog->port || id == kNoControl) return 0.0;
  char text[kEditTextCapacity] = {0};
  PortGetItemText(dialog->port, id, text, int32_t(sizeof(text)));
  return ParseNumberText(text);
}

void WriteControlValue(MainDialog* dialog, int32_t id, float value) {
  const ControlDescriptor d = GetControlDescriptor(id);
  const int32_t kind = GetControlKind(id);
  if (d.kind == kKindSlider && d.editId != kNoControl) {
    SetControlValue(dialog, d.mainId, TruncateToInt32(value));
    SetEditNumber(dialog, d.editId, value);
  } else if (IsCheckboxKind(kind)) {
    StoreControlValue(dialog, id, TruncateToInt32(value));
    PortSetCheck(dialog->port, id, TruncateToInt32(value) != 0 ? 1 : 0);
  } else if (IsComboKind(kind)) {
    const int32_t v = TruncateToInt32(value);
    StoreControlValue(dialog, id, v);
    // Items count from 1; a value without an item leaves nothing selected.
    PortSetChoiceSelection(dialog->port, id, v >= 1 ? v - 1 : -1);
  } else {
    SetControlValue(dialog, id, TruncateToInt32(value));
  }
}

double ReadControlValue(MainDialog* dialog, int32_t id) {
  const ControlDescriptor d = GetControlDescriptor(id);
  const int32_t kind = GetControlKind(id);
  if (d.kind == kKindSlider && d.editId != kNoControl) {
    // The edit is the slider's source of truth.
    const double typed = GetEditNumber(dialog, d.editId);
    const double minimum = dialog->controls.sliderMinimum[d.mainId];
    const double maximum = dialog->controls.sliderMaximum[d.mainId];
    double value = typed;
    if (value < minimum) value = minimum;
    if (value > maximum) value = maximum;
    if (value != typed) SetEditNumber(dialog, d.editId, value);
    return value;
  }
  if (IsCheckboxKind(kind)) {
    const int32_t v = PortGetCheck(dialog->port, id) == 1 ? 1 : 0;
    StoreControlValue(dialog, id, v);
    return v;
  }
  if (IsComboKind(kind)) {
    const int32_t selection = PortGetChoiceSelection(dialog->port, id);
    if (selection < 0) return GetControlValue(dialog, id);
    StoreControlValue(dialog, id, selection + 1);
    return selection + 1;
  }
  return GetControlValue(dialog, id);
}

void GetControlColour(const MainDialog* dialog, int32_t id, uint16_t colour[3]) {
  for (int32_t c = 0; c < 3; ++c) colour[c] = InTable(id) ? dialog->controls.colours[id][c] : 0;
}

void SetControlColour(MainDialog* dialog, int32_t id, const uint16_t colour[3]) {
  if (!InTable(id)) return;
  for (int32_t c = 0; c < 3; ++c) dialog->controls.colours[id][c] = colour[c];
}
