// The mouse on the main dialog: the hit test of its drawn controls, presses
// that capture a control (sliders, the icon, memory dots, the thumbnail, the
// zoomed-in preview), slider drags, the pressed look of dots, hovering and
// the release that commits or clicks.
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

// The first id 0..199 that is enabled, is the preview or holds the press,
// and whose rectangle holds the point; -1 for none.
int32_t HitTestControls(const MainDialog* dialog, int32_t x, int32_t y);

// A slider's value for a knob dragged to x (the mouse's x less the knob's
// half width), within the slider's range.
int32_t SliderValueAt(const ItemRect& track, int32_t x, int32_t minimum, int32_t maximum);
void DragSlider(MainDialog* dialog, int32_t id, int32_t x, int32_t y);

void OnButtonDown(MainDialog* dialog, const DialogEvent& event);
void OnMouseMove(MainDialog* dialog, const DialogEvent& event);
void OnButtonUp(MainDialog* dialog, const DialogEvent& event);
