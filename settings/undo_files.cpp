#include "settings/undo_files.h"

#include "host/globals_record.h"
#include "settings/temp_settings_files.h"

void TakeUndoSnapshot(GlobalsRecord* globals, uint8_t toFile) {
  WorkRecord* work = globals != nullptr ? globals->workRecord : nullptr;
  ParameterBlock* block = globals != nullptr ? GetParameterBlock(globals) : nullptr;
  if (work == nullptr || block == nullptr) return;
  globals->undoIndex = (globals->undoIndex ^ 1) & 1;
  SettingsSnapshot* slot = &work->undoSlots.slots[globals->undoIndex];
  StoreSettingsSnapshot(slot, block);
  slot->onFile = 0;
  if (toFile) {
    // A file that could not be written must not be read back later: an older
    // undo file of the same name may still be there.
    FileSpec spec;
    TempFileSpec(&spec, kUndoFileNames[globals->undoIndex]);
    slot->onFile = SaveTempSettingsFile(globals, &spec) == 0 ? 1 : 0;
  }
  slot->valid = 1;
}

void UndoFromSnapshot(GlobalsRecord* globals) {
  WorkRecord* work = globals != nullptr ? globals->workRecord : nullptr;
  ParameterBlock* block = globals != nullptr ? GetParameterBlock(globals) : nullptr;
  if (work == nullptr || block == nullptr) return;
  const int32_t other = (globals->undoIndex ^ 1) & 1;
  SettingsSnapshot* slot = &work->undoSlots.slots[other];
  if (!slot->valid) return;
  RestoreSettingsSnapshot(slot, block);
  if (slot->onFile) {
    FileSpec spec;
    TempFileSpec(&spec, kUndoFileNames[other]);
    LoadTempSettingsFile(globals, &spec);
  }
  globals->undoIndex = other;
}
