// Saving and loading settings files through the file choosers.
#pragma once

#include <cstdint>

struct GlobalsRecord;

constexpr const char* kSaveSettingsTitle = "Save a settings file";
constexpr const char* kOpenSettingsTitle = "Open a settings file";

// The save chooser, proposing the settings name without its extension in the
// settings folder; when the user confirms, the settings (with the thumbnail)
// go to the chosen file, and the name and folder become the settings' own.
// Answers the file primitives' status (0 saved), or -1 when cancelled.
int16_t SaveSettingsWithDialog(GlobalsRecord* globals);
// The open chooser; when the user confirms and the file reads, the settings
// are the defaults overlaid by the file's and the name and folder become the
// settings' own: answers 1. Cancelled: 0. A file that does not read leaves
// the settings as they were: 0.
int32_t LoadSettingsWithDialog(GlobalsRecord* globals);
