// Drawing of the main dialog's custom controls on the port's canvas: the
// background, drawn labels, sliders, the memory dots and their thumbnail
// frame, the colour swatches and the status line. Nothing is buffered: a
// control is drawn whenever its value changes and again on every paint.
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

constexpr RgbColour kBlack = {0, 0, 0};
constexpr RgbColour kWhite = {255, 255, 255};
constexpr RgbColour kGreyText = {140, 140, 140};
constexpr RgbColour kButtonFace = {222, 222, 222};
constexpr RgbColour kTrackFace = {222, 222, 255};
constexpr RgbColour kShadow = {128, 128, 128};
constexpr RgbColour kHighlight = {240, 240, 240};

// Bit of a memory dot's value-table entry: pressed with the pointer over it.
constexpr int32_t kDotPressedBit = 4;

void RedrawControl(MainDialog* dialog, int32_t id);
void RedrawAllControls(MainDialog* dialog);  // ids 0..199
void PaintDialogBackground(MainDialog* dialog, bool fillWhite);

// One label line: the rectangle's bottom less 2, moved down by dy and by
// (height - 14) / 2, the text placed by alignment (0 left, 1 centred, 2 right).
void DrawControlLabel(const DialogPort* port, ItemRect rect, int32_t alignment, const char* text, int32_t dy,
                      RgbColour colour);

// The knob's left edge on a slider track.
int32_t SliderKnobX(const ItemRect& track, int32_t value, int32_t minimum, int32_t maximum);
// The bitmap of a memory dot in its state (0 empty, 1 filled, 2 current).
int32_t MemoryDotBitmap(int32_t state, int32_t mark, bool pressed);
void DrawMemoryDot(MainDialog* dialog, int32_t id, int32_t value);

// An owner-drawn colour button (7, 8); state holds the kDrawItem bits.
void DrawColourSwatch(MainDialog* dialog, int32_t id, int32_t state);
