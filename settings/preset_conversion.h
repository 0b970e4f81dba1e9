// The preset-folder conversion: every old-style preset of a folder (".q9q"
// and ".q5q" files) re-saved as a current settings file with a freshly
// rendered thumbnail. ".q9q" files are then renamed to ".q5q" (so they are
// converted once); ".q5q" files are converted on every run.
#pragma once

#include <cstdint>

struct GlobalsRecord;
struct SettingsThumbnail;

// True when `name` ends in ".q9q" or ".q5q" (any case) and has a base name;
// *isQ9q tells which.
bool IsConvertiblePresetName(const char* name, bool* isQ9q);

// Renames ".../X.q9q" to ".../X.q5q" in the same folder. Never replaces an
// existing file: false, with nothing changed, when X.q5q is there.
bool RenameConvertedPreset(const char* path);

// Renders the current settings into the thumbnail (the dialog: its preview;
// the orbalix program: a render of its source). False when it could not.
using PresetThumbnailProc = bool (*)(void* context, GlobalsRecord* globals, SettingsThumbnail* thumbnail);

struct PresetConversionReport {
  int32_t converted;  // files re-saved
  int32_t renamed;    // .q9q files renamed
  int32_t failed;     // files that could not be read, rendered, written or renamed
  bool listed;        // false when the folder could not be listed
};

// Converts the folder (read-only files and folders are skipped). The user's
// settings and `autoPreview` are as before afterwards. A second call while
// one runs returns at once with `listed` false. Answers the number of files
// converted.
int32_t ConvertPresetFolder(GlobalsRecord* globals, const char* folder, PresetThumbnailProc makeThumbnail,
                            void* context, PresetConversionReport* report);
