// Two-slot undo: each snapshot goes to the slot after the current one and,
// when asked, also to that slot's undo file in the temporary folder, which
// holds every persisted field rather than only the snapshot's.
#pragma once

#include <cstdint>

#include "settings/settings_defaults.h"

struct GlobalsRecord;

// The two undo slots of the work record; each snapshot carries its valid and
// on-file marks.
struct UndoSlots {
  SettingsSnapshot slots[2];
};

constexpr const char* kUndoFileNames[2] = {"Orbalix 2 undo 0", "Orbalix 2 undo 1"};

// Moves to the other slot and stores the settings there; with `toFile` also
// saves them to the slot's undo file. The slot counts as on file only when
// that save succeeded.
void TakeUndoSnapshot(GlobalsRecord* globals, uint8_t toFile);
// Restores the other slot when it holds a snapshot (and its undo file when
// the slot is on file) and makes it current; nothing otherwise.
void UndoFromSnapshot(GlobalsRecord* globals);
