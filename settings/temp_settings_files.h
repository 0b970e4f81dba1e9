// Settings files of fixed names in the temporary folder: the cached settings
// of the last run, and the helpers that the undo files and memory dots share.
// The folder may be shared with other users, so these files are written and
// read as private files (platform/private_files.h): a link planted under one
// of the names is never followed.
#pragma once

#include <cstdint>

#include "host/rect_path.h"

struct GlobalsRecord;

constexpr const char* kCachedSettingsName = "Orbalix 2 cached settings C";

// The temporary-folder path of `name` as a file specification.
void TempFileSpec(FileSpec* fileSpec, const char* name);

// The settings of the globals (with the thumbnail image) into the file, which
// is replaced as a whole. 0, 99 (cannot be made) or -20.
int16_t SaveTempSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec);
// Every field of the file into the settings (and its picture into the
// thumbnail image). A missing file, or one that is not the user's own plain
// file, answers 99 and changes nothing.
int16_t LoadTempSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec);

// The cached settings: saved after a dialog that ended with OK, loaded at
// start when the host supplies no descriptor.
void SaveCachedSettings(GlobalsRecord* globals);
void LoadCachedSettings(GlobalsRecord* globals);
