// Settings services that the shell calls. Defaults and snapshots on the
// globals are still in their least form here; the descriptor, undo, cached
// settings, memory dots and the random seed come from their own units.
#pragma once

#include <cstdint>

#include "host/parameter_block.h"
#include "settings/memory_dots.h"
#include "settings/random_settings.h"
#include "settings/scripting_descriptor.h"
#include "settings/settings_defaults.h"
#include "settings/temp_settings_files.h"
#include "settings/undo_files.h"

struct GlobalsRecord;

// The defaults and snapshots of the parameter block the globals reach.
void SetDefaultSettings(GlobalsRecord* globals);
void CopySettingsSnapshot(SettingsSnapshot* snapshot, GlobalsRecord* globals, uint8_t direction);
