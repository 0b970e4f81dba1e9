// Settings services that the shell calls, in their least form until the
// settings code replaces them: defaults, snapshots and undo slots, the random
// seed, the scripting descriptor, the cached settings and the memory-dot map.
#pragma once

#include <cstdint>

#include "host/parameter_block.h"

struct GlobalsRecord;

// A copy of the persisted settings, with the two marks of an undo slot that
// the snapshot copy does not touch.
struct SettingsSnapshot {
  ParameterBlock settings;
  uint8_t valid;
  uint8_t onFile;
};

struct UndoSlots {
  SettingsSnapshot slots[2];
};

constexpr int32_t kSettingsVersion = 47;

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
