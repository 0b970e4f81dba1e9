// Defaults of every user setting, snapshots of the view settings (Cancel,
// undo, export passes), the one built-in preset and the settings-file name.
#pragma once

#include <cstdint>

#include "settings/settings_parameters.h"

// A copy of the settings that a snapshot holds, with the two marks of an
// undo slot kept beside it (the snapshot copy never touches them).
struct SettingsSnapshot {
  ParameterBlock settings;
  uint8_t valid;
  uint8_t onFile;
};

constexpr int32_t kSettingsVersion = 47;
constexpr const char* kSettingsFileName = "Orbalix 2 settings.q2q";

void SetDefaultSettings(ParameterBlock* block);
// Direction 0 copies the block into the snapshot, 1 the snapshot into the block.
void CopySettingsSnapshot(SettingsSnapshot* snapshot, ParameterBlock* block, uint8_t direction);
void StoreSettingsSnapshot(SettingsSnapshot* snapshot, ParameterBlock* block);
void RestoreSettingsSnapshot(SettingsSnapshot* snapshot, ParameterBlock* block);
// The "Little Planet" preset; `value` is not used.
void SetLittlePlanetSettings(ParameterBlock* block, int32_t value);
// For a 260-byte name buffer: an empty name becomes the default file name,
// then any extension is replaced by ".q2q".
void EnsureSettingsFileName(char* name);
bool TestSettingAlwaysFalse(int16_t value);
