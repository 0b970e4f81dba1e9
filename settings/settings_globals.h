// The settings-file operations on the shell's globals: the parameter block
// in the host's parameters handle and the globals' thumbnail image.
#pragma once

#include <cstdint>

#include "host/rect_path.h"
#include "settings/settings_file.h"

struct GlobalsRecord;
struct ImageRecord;

// The thumbnail image (128 x 128, 8-bit RGBA) as the file code's picture and
// back. A missing or differently made image gives a thumbnail that does not
// exist and takes nothing back.
void ThumbnailFromImage(const ImageRecord* image, SettingsThumbnail* thumbnail);
void ThumbnailToImage(const SettingsThumbnail* thumbnail, ImageRecord* image);

int16_t SaveSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec);
int16_t ReadSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec, int16_t mode, uint8_t* hasPicture);
int16_t ReadSettingsFileMode(GlobalsRecord* globals, const FileSpec* fileSpec, int16_t mode, uint8_t* hasPicture);
int16_t LoadSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec);
int16_t LoadSettingsFileAllFields(GlobalsRecord* globals, const FileSpec* fileSpec);
void SetLittlePlanetSettings(GlobalsRecord* globals, int32_t value);
void UpgradeSettingsFloats(GlobalsRecord* globals);
