#include "ui/control_table.h"

namespace {

struct ControlEntry {
  uint16_t id;
  uint16_t editId;
  int32_t kind;
  int32_t icon;
  int32_t label;
  int32_t minimum;  // labels: the alignment flag
  int32_t maximum;
  const char* templateText;
};

constexpr uint16_t N = kNoControl;
constexpr int32_t kAlignRight = 0;
constexpr int32_t kAlignLeft = 1;
constexpr int32_t kAlignCentre = 2;

// Ids of the dialog template; labels are drawn texts (their label index picks
// the text), icons are icon resources.
constexpr ControlEntry kControls[] = {
    // Sliders and their edits: the slider's value is in whole units, the edit
    // may hold a fraction.
    {37, 86, kKindSlider, -1, 0, -90, 90, ""},    // latitude
    {57, 91, kKindSlider, -1, 0, -180, 180, ""},  // longitude
    {39, 85, kKindSlider, -1, 0, -180, 180, ""},  // spin
    {103, 104, kKindSlider, -1, 0, 0, 180, ""},   // fov
    {59, 92, kKindSlider, -1, 0, 0, 100, ""},     // tabs
    {61, 93, kKindSlider, -1, 0, 0, 100, ""},     // sharpen
    // Bitmap buttons: the template text is cleared when the dialog opens.
    {9, N, kKindBitmapButton, 247, 0, 0, 100, "Little Planet"},
    {13, N, kKindBitmapButton, 231, 0, 0, 100, "A"},
    {15, N, kKindBitmapButton, 236, 0, 0, 100, "Z"},
    {26, N, kKindBitmapButton, 241, 0, 0, 100, "&Save"},
    {32, N, kKindBitmapButton, 5, 0, 0, 100, "+"},
    {33, N, kKindBitmapButton, 169, 0, 0, 100, "-"},
    {35, N, kKindBitmapButton, 240, 0, 0, 100, "&Load"},
    {40, N, kKindBitmapButton, 232, 0, 0, 100, "PSD with size"},
    {46, N, kKindBitmapButton, 229, 0, 0, 100, "C&onstrained"},
    {64, N, kKindBitmapButton, 230, 0, 0, 100, "L&ego"},
    {65, N, kKindBitmapButton, 233, 0, 0, 100, "Cu&be"},
    {72, N, kKindBitmapButton, 237, 0, 0, 100, "&Dice"},
    {74, N, kKindBitmapButton, 242, 0, 0, 100, "&Undo"},
    {75, N, kKindBitmapButton, 225, 0, 0, 100, "r&eset"},
    {81, N, kKindBitmapButton, 231, 0, 0, 100, "B"},
    {83, N, kKindBitmapButton, 234, 0, 0, 100, "F&acet"},
    {94, N, kKindBitmapButton, 231, 0, 0, 100, "A"},
    {97, N, kKindBitmapButton, 231, 0, 0, 100, "B"},
    {99, N, kKindBitmapButton, 235, 0, 0, 100, "A"},
    {110, N, kKindBitmapButton, 231, 0, 0, 100, "A"},
    // Push buttons.
    {3, N, kKindPushButton, -1, 0, 0, 100, "&OK"},
    {2, N, kKindPushButton, -1, 0, 0, 100, "&Cancel"},
    // Checkboxes, each with a drawn label to its right.
    {30, N, kKindCheckbox, -1, 0, 0, 100, ""},
    {48, N, kKindCheckbox, -1, 0, 0, 100, ""},
    {105, N, kKindCheckbox, -1, 0, 0, 100, ""},
    {90, N, kKindCheckbox, -1, 0, 0, 100, ""},
    {71, N, kKindCheckbox, -1, 0, 0, 100, ""},
    {118, N, kKindCheckbox, -1, 0, 0, 100, ""},
    {28, N, kKindCheckbox, -1, 0, 0, 100, ""},
    {4, N, kKindCheckbox, -1, 0, 0, 100, ""},
    // Combo boxes.
    {52, N, kKindCombo, -1, 0, 0, 100, ""},  // preview quality
    {21, N, kKindCombo, -1, 0, 0, 100, ""},  // grid
    {12, N, kKindCombo, -1, 0, 0, 100, ""},  // input projection
    {51, N, kKindCombo, -1, 0, 0, 100, ""},  // output projection
    {73, N, kKindCombo, -1, 0, 0, 100, ""},  // glue mode
    // Colour choosers; the label is the chooser's title.
    {7, N, kKindColour, -1, 35, 0, 100, ""},
    {8, N, kKindColour, -1, 36, 0, 100, ""},
    // The about icon and the memory-dot thumbnail.
    {25, N, kKindIcon, -1, 0, 0, 100, ""},
    {98, N, kKindDotThumbnail, -1, 0, 0, 100, ""},
    // Memory dots, in dot order: a ring around the thumbnail.
    {10, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {47, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {113, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {112, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {111, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {108, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {80, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {78, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {27, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {6, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {29, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {20, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {68, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {66, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {42, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {87, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {77, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {44, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {24, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {88, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {95, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {89, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {19, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {14, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    {16, N, kKindMemoryDot, -1, 0, 0, 100, ""},
    // Drawn labels: right-aligned names before their controls ...
    {36, N, kKindLabel, -1, 11, kAlignRight, 100, ""},  // "Latitude"
    {56, N, kKindLabel, -1, 28, kAlignRight, 100, ""},  // "Longitude"
    {38, N, kKindLabel, -1, 12, kAlignRight, 100, ""},  // "Spin"
    {102, N, kKindLabel, -1, 6, kAlignRight, 100, ""},  // "FOV"
    {58, N, kKindLabel, -1, 18, kAlignRight, 100, ""},  // "Tabs"
    {82, N, kKindLabel, -1, 20, kAlignRight, 100, ""},  // "Sharpen"
    {60, N, kKindLabel, -1, 19, kAlignRight, 100, ""},  // "Tab color"
    {62, N, kKindLabel, -1, 22, kAlignRight, 100, ""},  // "Background color"
    {53, N, kKindLabel, -1, 4, kAlignRight, 100, ""},   // "Preview"
    {41, N, kKindLabel, -1, 7, kAlignRight, 100, ""},   // "Grid"
    {22, N, kKindLabel, -1, 9, kAlignRight, 100, ""},   // "Input"
    {50, N, kKindLabel, -1, 17, kAlignRight, 100, ""},  // "Output"
    {70, N, kKindLabel, -1, 13, kAlignRight, 100, ""},  // "Glue"
    // ... left-aligned names after the checkboxes ...
    {31, N, kKindLabel, -1, 2, kAlignLeft, 100, ""},    // "Auto preview"
    {49, N, kKindLabel, -1, 3, kAlignLeft, 100, ""},    // "Flip"
    {54, N, kKindLabel, -1, 5, kAlignLeft, 100, ""},    // "Faces"
    {116, N, kKindLabel, -1, 10, kAlignLeft, 100, ""},  // "Transparent gaps"
    {23, N, kKindLabel, -1, 21, kAlignLeft, 100, ""},   // "Indicatrix"
    {117, N, kKindLabel, -1, 8, kAlignLeft, 100, ""},   // "Edges "
    {79, N, kKindLabel, -1, 24, kAlignLeft, 100, ""},   // "Anamorph"
    {84, N, kKindLabel, -1, 14, kAlignLeft, 100, ""},   // "De-halo"
    // ... and the status line, which shows the settings name.
    {76, N, kKindLabel, -1, 0, kAlignCentre, 100, ""},
};

const ControlEntry* FindEntry(int32_t id) {
  if (id < 0 || id >= int32_t(kNoControl)) return nullptr;
  for (const ControlEntry& entry : kControls) {
    if (entry.id == id || entry.editId == id) return &entry;
  }
  return nullptr;
}

}  // namespace

const uint16_t kMemoryDotIds[kDotCount] = {10, 47, 113, 112, 111, 108, 80, 78, 27, 6,  29, 20, 68,
                                           66, 42, 87,  77,  44,  24,  88, 95, 89, 19, 14, 16};

ControlDescriptor GetControlDescriptor(int32_t id) {
  ControlDescriptor d{kNoControl, kNoControl, kKindNone, -1, {-1, -1}, -1, 0, 0, 100};
  const ControlEntry* entry = FindEntry(id);
  if (!entry) return d;
  d.editId = entry->editId;
  d.mainId = entry->id;
  d.kind = entry->kind;
  d.trackBitmap = entry->kind == kKindSlider ? kBitmapSliderTrack : -1;
  d.icon = entry->icon;
  d.label = entry->label;
  d.minimum = entry->minimum;
  d.maximum = entry->maximum;
  return d;
}

int32_t GetControlKind(int32_t id) {
  const ControlDescriptor d = GetControlDescriptor(id);
  if (d.kind == kKindSlider) return id == d.mainId ? kKindSlider : kKindSliderEdit;
  return d.kind;
}

bool IsSliderKind(int32_t kind) { return kind == kKindSlider; }
bool IsCheckboxKind(int32_t kind) { return kind == kKindCheckbox; }
bool IsComboKind(int32_t kind) { return kind == 11 || kind == 12 || kind == kKindCombo; }
bool IsBitmapButtonKind(int32_t kind) { return kind == kKindBitmapButton; }
bool IsColourKind(int32_t kind) { return kind == kKindColour; }
bool IsMemoryDotKind(int32_t kind) { return kind == kKindMemoryDot; }
bool IsPressAndHoldKind(int32_t kind) {
  return kind == kKindSlider || kind == kKindIcon || kind == kKindMemoryDot || kind == kKindDotThumbnail;
}

const char* ControlTemplateText(int32_t id) {
  const ControlEntry* entry = FindEntry(id);
  if (!entry || entry->editId == id) return "";
  return entry->templateText;
}

int32_t MemoryDotIndex(int32_t id) {
  for (int32_t i = 0; i < kDotCount; ++i) {
    if (kMemoryDotIds[i] == id) return i;
  }
  return -1;
}
