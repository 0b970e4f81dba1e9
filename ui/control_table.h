// The control table of the main dialog: what every control id is (its kind,
// its partner edit, its bitmaps and icon, its label and its range). The table
// is a pure function of the id.
#pragma once

#include <cstdint>

// ControlKind values.
constexpr int32_t kKindSlider = 0;        // drawn track and knob, paired with a numeric edit
constexpr int32_t kKindLabel = 1;         // drawn label
constexpr int32_t kKindSliderEdit = 2;    // the edit of a slider pair (a role, not a table kind)
constexpr int32_t kKindCheckbox = 3;      // native checkbox
constexpr int32_t kKindPushButton = 4;    // native push button
constexpr int32_t kKindBitmapButton = 7;  // native button showing an icon instead of its text
constexpr int32_t kKindColour = 8;        // colour button with an owner-drawn swatch
constexpr int32_t kKindCombo = 13;        // drop-down list
constexpr int32_t kKindIcon = 18;         // clickable icon
constexpr int32_t kKindMemoryDot = 25;
constexpr int32_t kKindDotThumbnail = 26;
constexpr int32_t kKindNone = -1;

constexpr int32_t kControlIdCount = 200;  // per-id tables cover ids 0..199
constexpr uint16_t kNoControl = 65535;

// Ids the dialog code names.
constexpr int32_t kIdCancel = 2;
constexpr int32_t kIdOk = 3;
constexpr int32_t kIdTabColour = 7;
constexpr int32_t kIdBackdropColour = 8;
constexpr int32_t kIdInputCombo = 12;
constexpr int32_t kIdPreview = 18;
constexpr int32_t kIdGridCombo = 21;
constexpr int32_t kIdAboutIcon = 25;
constexpr int32_t kIdAutoPreview = 30;
constexpr int32_t kIdZoomIn = 32;
constexpr int32_t kIdZoomOut = 33;
constexpr int32_t kIdZoomText = 34;
constexpr int32_t kIdOutputCombo = 51;
constexpr int32_t kIdQualityCombo = 52;
constexpr int32_t kIdGlueLabel = 70;
constexpr int32_t kIdGlueCombo = 73;
constexpr int32_t kIdStatusLine = 76;
constexpr int32_t kIdGlueCycle = 81;
constexpr int32_t kIdFacet = 83;
constexpr int32_t kIdDotThumbnail = 98;
constexpr int32_t kIdInfoButton = 99;
constexpr int32_t kIdFaces = 105;

// Bitmaps and icons the drawing names.
constexpr int32_t kBitmapBackground = 239;
constexpr int32_t kBitmapSliderTrack = 177;
constexpr int32_t kBitmapSliderKnob = 120;
constexpr int32_t kBitmapThumbnailFrame = 217;

struct ControlDescriptor {
  uint16_t editId;  // the partner edit, kNoControl for none
  uint16_t mainId;
  int32_t kind;
  int32_t trackBitmap;  // -1 none
  int32_t spareBitmaps[2];
  int32_t icon;     // -1 none
  int32_t label;    // label index, or the chooser title's label index
  int32_t minimum;  // for labels: the alignment flag (1 left, 0 right, other centred)
  int32_t maximum;
};

ControlDescriptor GetControlDescriptor(int32_t id);
// The descriptor's kind, except that the edit of a slider pair reports kKindSliderEdit.
int32_t GetControlKind(int32_t id);

bool IsSliderKind(int32_t kind);
bool IsCheckboxKind(int32_t kind);
bool IsComboKind(int32_t kind);  // 11, 12 or 13
bool IsBitmapButtonKind(int32_t kind);
bool IsColourKind(int32_t kind);
bool IsMemoryDotKind(int32_t kind);
bool IsPressAndHoldKind(int32_t kind);  // slider, icon, memory dot, dot thumbnail

// The text a native button carries in the dialog's template ("" for none).
const char* ControlTemplateText(int32_t id);

// The memory dots' control ids in dot order.
constexpr int32_t kDotCount = 25;
extern const uint16_t kMemoryDotIds[kDotCount];
int32_t MemoryDotIndex(int32_t id);  // -1 for an id that is no dot
