// The plug-in's small dialogs: alerts built from templates with "^0" to "^3"
// placeholders, the two refusals of the start phase, the about box and the
// info box.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/dialog_port.h"

constexpr size_t kAlertParameterCapacity = 256;  // 255 characters and the terminator
constexpr size_t kAlertTextCapacity = 1500;

constexpr int32_t kInfoBoxTimerId = 997;
constexpr int32_t kInfoBoxTickMs = 1000;

// The four parameters of the next alert; longer texts are cut to 255
// characters, null stands for an empty text.
void SetAlertParameters(const char* p0, const char* p1, const char* p2, const char* p3);
const char* GetAlertParameter(int32_t index);

// Copies text into out, each "^" followed by 0..3 replaced by that parameter
// when it is not empty (otherwise the two characters stay). Everything else,
// and a "^" before anything else, stays as it is; parameters are not scanned
// again. The result is cut to fit capacity bytes, terminator included.
void SubstituteAlertParameters(const char* text, const char* const parameters[4], char* out, size_t capacity);

// Alerts: Init centres the window and fills the parameters into items 99 to
// 101; a button press ends the alert with the button's id.
int32_t AlertDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);
int32_t ShowAlertByName(const char* templateName);
void ShowRefusalNoAdvanceState();
void ShowRefusalMultichannel();

// The about box (nothing when it is already open); always answers 0.
int32_t ShowAboutBox();
int32_t AboutDialogHandler(void* state, const DialogPort* port, const DialogEvent* event);
// The info box (nothing when it is already open): it closes itself within a
// second of the main dialog's end.
void ShowInfoBox();
int32_t InfoBoxHandler(void* state, const DialogPort* port, const DialogEvent* event);
