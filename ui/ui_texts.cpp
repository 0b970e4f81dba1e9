#include "ui/ui_texts.h"

#include "projection/names.h"
#include "ui/control_table.h"

namespace {

constexpr const char* kUiLabels[] = {
    nullptr,  // 0 has no text
    "E",
    "Auto preview",
    "Flip",
    "Preview",
    "Faces",
    "FOV",
    "Grid",
    "Edges ",
    "Input",
    "Transparent gaps",
    "Latitude",
    "Spin",
    "Glue",
    "De-halo",
    "u9",
    "u10",
    "Output",
    "Tabs",
    "Tab color",
    "Sharpen",
    "Indicatrix",
    "Background color",
    "*Brilliance",
    "Anamorph",
    "u14",
    "u15",
    "Size",
    "Longitude",
    "Pano",
    "Pano",
    "An error occurred while translating a document on a locked disk.",
    "An error occurred while translating a document.",
    "random settings",
    "u16",
    "Choose the tab color.",
    "Choose the backdrop color.",
    "u19",
    "u20",
    "u21",
    "u23",
    "u24",
    "u25",
    "u26",
    "u27",
};
constexpr int32_t kUiLabelCount = int32_t(sizeof(kUiLabels) / sizeof(kUiLabels[0]));

constexpr const char* kGridNames[] = {"none", "5'", "6'", "10'", "15'", "30'", "45'"};
constexpr const char* kQualityNames[] = {"good", "better", "best"};

constexpr int32_t kInputCount = 29;
constexpr int32_t kOutputCount = 255;
constexpr int32_t kGridCount = 7;
constexpr int32_t kQualityCount = 3;
constexpr int32_t kGlueCount = 62;

}  // namespace

const char* GetUiLabel(int32_t index) {
  if (index < 1 || index >= kUiLabelCount) return "-undef string-";
  return kUiLabels[index];
}

const char* GetChoiceName(int32_t controlId, int32_t value) {
  switch (controlId) {
    case kIdInputCombo:
      if (value >= 1 && value <= kInputCount) return InputProjectionName(value);
      break;
    case kIdGridCombo:
      if (value >= 1 && value <= kGridCount) return kGridNames[value - 1];
      break;
    case kIdQualityCombo:
      if (value >= 1 && value <= kQualityCount) return kQualityNames[value - 1];
      break;
    case kIdOutputCombo:
      return OutputProjectionName(value);
    default:
      break;
  }
  return "*";
}

int32_t ChoiceItemCount(int32_t controlId) {
  switch (controlId) {
    case kIdGlueCombo:
      return kGlueCount;
    case kIdInputCombo:
      return kInputCount;
    case kIdOutputCombo:
      return kOutputCount;
    case kIdGridCombo:
      return kGridCount;
    case kIdQualityCombo:
      return kQualityCount;
    default:
      return 0;
  }
}
