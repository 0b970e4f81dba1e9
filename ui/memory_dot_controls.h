// The ring of 25 memory dots around their thumbnail: each dot keeps a
// settings file in the temporary folder. A dot is empty (0), filled (1) or
// filled and current (2); its mark protects it from reuse when the dialog
// opens (the marks persist in the memory-dot map, written when a run ends).
// The pressed look of a dot under the held button lives in the dot's
// value-table entry and never in its state.
#pragma once

#include <cstdint>

#include "ui/main_dialog_state.h"

constexpr int32_t kDotEmpty = 0;
constexpr int32_t kDotFilled = 1;
constexpr int32_t kDotCurrent = 2;

int32_t GetDotState(const MainDialog* dialog, int32_t index);
int32_t GetDotMark(const MainDialog* dialog, int32_t index);
// The dot whose thumbnail is shown, and the one a click on the thumbnail loads (-1 none).
int32_t ShownDot(const MainDialog* dialog);
int32_t LastUsedDot(const MainDialog* dialog);

// Every marked dot shows as filled; every dot is redrawn.
void InitMemoryDots(MainDialog* dialog);
void RedrawMemoryDot(MainDialog* dialog, int32_t index);
void DeselectMemoryDots(MainDialog* dialog);  // current dots become filled
void SelectMemoryDot(MainDialog* dialog, int32_t index);
int32_t FindFirstUnmarkedDot(const MainDialog* dialog);

// Shows dot i's thumbnail in control 98 (read from its file unless it is
// shown already) and makes i the last-used dot; hiding clears both.
void ShowDotThumbnail(MainDialog* dialog, bool show, int32_t index);

// The current settings (and a fresh document thumbnail) into dot i, which
// becomes the current dot with its thumbnail shown.
void StoreMemoryDot(MainDialog* dialog, int32_t index);
// Dot i's settings into the settings and the controls; i becomes current.
void LoadMemoryDot(MainDialog* dialog, int32_t index);
// A right click on a filled dot: empty, unmarked, thumbnail cleared.
void ClearMemoryDot(MainDialog* dialog, int32_t index);

// The click on a dot (Part of the command path): the gesture by the state of
// the dot and the button and keys of the press. True when the settings changed.
bool MemoryDotCommand(MainDialog* dialog, int32_t index);

// Mouse moves while a dot is captured: the pressed look while the pointer is over it.
void ShowPressedFeedback(MainDialog* dialog, int32_t id, int32_t x, int32_t y);
// The pointer over a dot with no button held: a filled dot's thumbnail shows,
// an empty dot clears it. States and marks are left alone.
void HoverMemoryDot(MainDialog* dialog, int32_t index);
