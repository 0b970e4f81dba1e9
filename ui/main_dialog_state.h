// The record of an open main dialog: the per-id tables of its controls, the
// popup item map, and the dialog's own state between events. The controller's
// functions take it where the window system's would take the window.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "settings/settings_defaults.h"
#include "ui/control_table.h"
#include "ui/dialog_port.h"

struct GlobalsRecord;

constexpr int32_t kPreviewTimerId = 8064;
constexpr int32_t kPreviewDelayMs = 1000;
constexpr int32_t kPopupMapSize = 400;
constexpr int32_t kFirstPopupCommand = 2000;
constexpr int32_t kDotThumbnailSide = 88;

// Per-id tables, indexed by control id 0..199.
struct DialogControls {
  int32_t values[kControlIdCount];    // slider position in whole units, combo value, checkbox, dot state
  uint32_t enabled[kControlIdCount];  // 1 enabled
  int32_t sliderMinimum[kControlIdCount];
  int32_t sliderMaximum[kControlIdCount];
  uint16_t colours[kControlIdCount][3];  // red, green, blue of the colour buttons
  int32_t trackBitmaps[kControlIdCount];
  int32_t icons[kControlIdCount];
  int32_t labels[kControlIdCount];
};

// Items of the choice lists: entry k has command id 2000 + k.
struct PopupItemMap {
  int32_t commandIds[kPopupMapSize];
  int32_t controlIds[kPopupMapSize];
  int32_t values[kPopupMapSize];
  int32_t last;  // index of the last entry, -1 when empty
};

struct MainDialog {
  GlobalsRecord* globals;
  const DialogPort* port;  // null before Init and after the dialog ended
  DialogControls controls;
  PopupItemMap popups;
  SettingsSnapshot openedSettings;  // restored on Cancel
  uint8_t refresh;                  // the preview must be redrawn
  uint8_t rightButton;              // of the last press
  uint8_t controlKey;               // of the last press
  int32_t capturedControl;          // under a held mouse button, -1 none
  uint32_t pressTick;               // millisecond tick of the press
  // Greater than 0 while the program sets an edit's text: the edit's change
  // report is an echo of the program's own write, not typing.
  int32_t programmaticEdits;
  // Events being handled, nested (an edit's echo arrives inside the command
  // that wrote it; a modal step's loop delivers events inside the command
  // that opened it).
  int32_t eventDepth;
  int32_t droppedEvents;  // events refused because the nesting went too deep
  uint8_t modalStep;      // 1 while a dialog, chooser or alert opened from here runs
  // The preview: the fitted preview rectangle (the preview area inset by 2,
  // no larger than the filter rectangle), the scale at which the whole filter
  // area fits it (the largest sampling scale), and the previous and current
  // mouse point of a drag (x, y; the anchor is unset after a press).
  Rect fittedPreview;
  int32_t wholeImageScale;
  uint8_t dragAnchorSet;
  int32_t dragAnchor[2];
  int32_t dragPoint[2];
  uint8_t previewTimerArmed;  // timer 8064 runs for a typed value
  int32_t pressValue;         // the captured slider's value at the press
  // The thumbnail of the shown memory dot, drawn 1:1 into control 98.
  uint8_t dotThumbnailLoaded;
  uint8_t dotThumbnail[kDotThumbnailSide * kDotThumbnailSide * 3];
  uint8_t ended;  // OK or Cancel has ended the dialog; later work must not touch the settings
};

// A fresh record for the globals: nothing bound to a window yet.
void ResetMainDialog(MainDialog* dialog, GlobalsRecord* globals);
