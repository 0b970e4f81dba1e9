#include "settings/memory_dots.h"

#include <cstdio>

#include "host/globals_record.h"
#include "platform/private_files.h"
#include "settings/temp_settings_files.h"

namespace {

// The work record whose marks came from the map (or found none) in this run.
const WorkRecord* gMarksLoadedInto = nullptr;

}  // namespace

void MemoryDotFilePath(FileSpec* fileSpec, int32_t dot, bool /*forWriting*/) {
  char name[64];
  std::snprintf(name, sizeof name, "%s memory dot %d%s", "Orbalix 2", static_cast<int>(dot), ".q2q");
  TempFileSpec(fileSpec, name);
}

int16_t SaveMemoryDotSettings(GlobalsRecord* globals, int32_t dot) {
  FileSpec spec;
  MemoryDotFilePath(&spec, dot, true);
  SaveTempSettingsFile(globals, &spec);
  return 0;
}

int16_t LoadMemoryDotSettings(GlobalsRecord* globals, int32_t dot) {
  FileSpec spec;
  MemoryDotFilePath(&spec, dot, false);
  LoadTempSettingsFile(globals, &spec);
  return 0;
}

int16_t WriteMemoryDotStates(GlobalsRecord* globals, FileHandle handle) {
  const WorkRecord* work = globals != nullptr ? globals->workRecord : nullptr;
  if (work == nullptr) return kFileWriteFailed;
  int16_t status = kFileOk;
  for (uint32_t mark : work->dotWords) {
    if (WriteInt32BE(int32_t(mark), handle) != kFileOk) status = kFileWriteFailed;
  }
  return status;
}

int16_t ReadMemoryDotStates(GlobalsRecord* globals, FileHandle handle) {
  WorkRecord* work = globals != nullptr ? globals->workRecord : nullptr;
  if (work == nullptr) return kFileReadFailed;
  int32_t marks[kMemoryDotCount] = {};
  for (int32_t& mark : marks) {
    if (ReadInt32BE(&mark, handle) != kFileOk) return kFileReadFailed;
  }
  for (int32_t i = 0; i < kMemoryDotCount; ++i) work->dotWords[i] = uint32_t(marks[i]);
  return kFileOk;
}

void SaveMemoryDotMap(GlobalsRecord* globals) {
  const WorkRecord* work = globals != nullptr ? globals->workRecord : nullptr;
  const bool loaded = work != nullptr && work == gMarksLoadedInto;
  gMarksLoadedInto = nullptr;
  if (!loaded) return;
  FileSpec spec;
  TempFileSpec(&spec, kMemoryDotMapName);
  char scratch[kMaxPathBytes + 16];
  FileHandle handle = OsCreatePrivateScratchFile(spec.path, scratch, sizeof scratch);
  if (handle == kNoFile) return;
  int16_t status = WriteInt32BE(kMemoryDotMapVersion, handle);
  if (WriteMemoryDotStates(globals, handle) != kFileOk) status = kFileWriteFailed;
  CloseFileHandle(handle);
  if (status == kFileOk) {
    OsCommitPrivateScratchFile(scratch, spec.path);
  } else {
    OsRemoveFile(scratch);
  }
}

int16_t LoadMemoryDotMap(GlobalsRecord* globals) {
  WorkRecord* work = globals != nullptr ? globals->workRecord : nullptr;
  if (work == nullptr) return kFileCannotOpen;
  gMarksLoadedInto = work;
  FileSpec spec;
  TempFileSpec(&spec, kMemoryDotMapName);
  FileHandle handle = OsOpenPrivateFileForReading(spec.path);
  if (handle == kNoFile) return kFileCannotOpen;
  int32_t version = 0;
  int16_t status = ReadInt32BE(&version, handle);
  if (status == kFileOk) status = ReadMemoryDotStates(globals, handle);
  CloseFileHandle(handle);
  return status;
}
