// The ".q2q" settings file: a flat big-endian stream of every persisted
// setting, version 47 when written, with a JPEG thumbnail block. Older
// versions are read with the fix-ups that bring their values up to date.
#pragma once

#include <cstdint>

#include "settings/file_primitives.h"
#include "settings/settings_parameters.h"
#include "settings/thumbnail.h"

// Read modes.
constexpr int16_t kReadAllFields = 0;
constexpr int16_t kReadThumbnailOnly = 1;

// The reader's answer for a file whose version is negative or newer than
// this program writes: whatever it holds is not settings this reader knows.
constexpr int16_t kSettingsVersionUnknown = 96;

// Writes the settings to `path`: the stream goes into a new file next to it
// that then replaces the old one, so no bytes of a longer old file remain and
// a failed write leaves the old file as it was. Sets `version` to 47 and the
// format marker to 1. Answers 0, 99 (cannot create the file) or -20.
int16_t SaveSettingsFile(ParameterBlock* block, const SettingsThumbnail* thumbnail, const char* path);

// The stream at the handle's position. Answers 0 or -20 (any write failed).
int16_t WriteSettingsRecord(ParameterBlock* block, const SettingsThumbnail* thumbnail, FileHandle handle);

// Reads a settings file. Mode 0 loads every field present (with the version
// fix-ups) and the thumbnail; mode 1 loads only the thumbnail and `version`.
// A file that ends early or holds a broken thumbnail block is refused: the
// block and the thumbnail are then left exactly as they were; so is a file
// whose version is below 0 or above 47. Answers 0, 99 (cannot open), -19 (the
// file ends before its last field), 96 (unknown version) or 97 (broken
// thumbnail block). *hasPicture is 1 when a picture was read.
int16_t ReadSettingsFile(ParameterBlock* block, SettingsThumbnail* thumbnail, const char* path, int16_t mode,
                         uint8_t* hasPicture);
// The same read from a handle the caller opened; the handle is closed.
int16_t ReadSettingsFromHandle(ParameterBlock* block, SettingsThumbnail* thumbnail, FileHandle handle, int16_t mode,
                               uint8_t* hasPicture);
int16_t ReadSettingsFileMode(ParameterBlock* block, SettingsThumbnail* thumbnail, const char* path, int16_t mode,
                             uint8_t* hasPicture);
int16_t LoadSettingsFile(ParameterBlock* block, SettingsThumbnail* thumbnail, const char* path);
int16_t LoadSettingsFileAllFields(ParameterBlock* block, SettingsThumbnail* thumbnail, const char* path);

// The float angles and sizes from their integer twins, for settings older
// than version 47.
void UpgradeSettingsFloats(ParameterBlock* block);

// The thumbnail of a settings file into `image` (of any size, scaled): the
// background ramp, then the file read in the thumbnail-only mode. True when
// the file held a picture.
bool LoadSettingsThumbnail(const char* path, PixelRaster* image, ParameterBlock* block,
                           SettingsThumbnail* thumbnail);
