// Settings services that the shell calls, in their least form until the
// settings code replaces them: defaults, snapshots and undo slots, the random
// seed, the scripting descriptor, the cached settings and the memory-dot map.
#pragma once

#include <cstdint>

#include "host/parameter_block.h"
#include "settings/settings_defaults.h"

struct GlobalsRecord;

struct UndoSlots {
  SettingsSnapshot slots[2];
};

// The defaults and snapshots of the parameter block the globals reach.
void SetDefaultSettings(GlobalsRecord* globals);
void CopySettingsSnapshot(SettingsSnapshot* snapshot, GlobalsRecord* globals, uint8_t direction);
void TakeUndoSnapshot(GlobalsRecord* globals, uint8_t toFile);
void SeedRandomFromTime();
bool OpenSettingsDescriptor(GlobalsRecord* globals);
int32_t ReadSettingsDescriptor(GlobalsRecord* globals);
int16_t WriteSettingsRecord(GlobalsRecord* globals, void* file, int16_t mode, DescriptorToken token);
void SaveCachedSettings(GlobalsRecord* globals);
void LoadCachedSettings(GlobalsRecord* globals);
void SaveMemoryDotMap(GlobalsRecord* globals);
int16_t LoadMemoryDotMap(GlobalsRecord* globals);
