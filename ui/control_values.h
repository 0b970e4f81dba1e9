// The values of the main dialog's controls: the per-id tables, and reading
// and writing a control's number whatever its kind.
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

// Slider ranges from the control table, for every slider id.
void InitSliderRanges(MainDialog* dialog);
// Copies of the table's bitmaps, icons and labels; every bitmap button gets
// its icon and an empty text.
void InitControlTables(MainDialog* dialog);

// The value table entry (0 for an id outside the table).
int32_t GetControlValue(const MainDialog* dialog, int32_t id);
// value table[id] := value, and the control redraws.
void SetControlValue(MainDialog* dialog, int32_t id, int32_t value);
// The same without redrawing.
void StoreControlValue(MainDialog* dialog, int32_t id, int32_t value);

bool IsControlEnabled(const MainDialog* dialog, int32_t id);
void SetControlEnabled(MainDialog* dialog, int32_t id, bool enabled);
void EnableAllControls(MainDialog* dialog);

// The edit's text := the value as "%g". The edit's change report is the
// echo of the program's own write: it arms no preview timer and stops none
// that typing armed.
void SetEditNumber(MainDialog* dialog, int32_t id, double value);
// The edit's number (its first 256 characters); 0 for no dialog or kNoControl.
double GetEditNumber(const MainDialog* dialog, int32_t id);

// Writes a setting's value into a control:
//  - a slider pair: slider := the value truncated, edit := "%g" of the value;
//  - a checkbox: value table := the value, ticked when non-zero;
//  - a choice control: value table := the value, item value - 1 selected;
//  - anything else: SetControlValue.
void WriteControlValue(MainDialog* dialog, int32_t id, float value);
// Reads a control's value:
//  - a slider pair: the edit's number clamped to the slider's range; when
//    clamping changed it, the edit is rewritten with the clamped value;
//  - a checkbox: 1 when ticked, else 0 (also kept in the value table);
//  - a choice control: the selected item + 1 (kept in the value table); with
//    nothing selected, the value last written (a value the list cannot show
//    is kept, not lost; 0 when nothing was written);
//  - anything else: the value table entry.
double ReadControlValue(MainDialog* dialog, int32_t id);

// The colour of a colour button as three 16-bit components.
void GetControlColour(const MainDialog* dialog, int32_t id, uint16_t colour[3]);
void SetControlColour(MainDialog* dialog, int32_t id, const uint16_t colour[3]);
