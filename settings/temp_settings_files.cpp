#include "settings/temp_settings_files.h"

#include <cstring>
#include <memory>

#include "host/globals_record.h"
#include "platform/private_files.h"
#include "settings/settings_file.h"
#include "settings/settings_globals.h"

void TempFileSpec(FileSpec* fileSpec, const char* name) {
  std::memset(fileSpec, 0, sizeof(FileSpec));
  char path[kMaxPathBytes] = {};
  TempFolderPath(path, name);
  SetFileSpecName(fileSpec, path, kMaxPathBytes - 1);
}

int16_t SaveTempSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec) {
  ParameterBlock* block = globals != nullptr ? GetParameterBlock(globals) : nullptr;
  if (block == nullptr || fileSpec == nullptr || fileSpec->path[0] == '\0') return kFileCannotOpen;
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  ThumbnailFromImage(&globals->thumbnailImage, thumbnail.get());
  char scratch[kMaxPathBytes + 16];
  FileHandle handle = OsCreatePrivateScratchFile(fileSpec->path, scratch, sizeof scratch);
  if (handle == kNoFile) return kFileCannotOpen;
  int16_t result = WriteSettingsRecord(block, thumbnail.get(), handle);
  CloseFileHandle(handle);
  if (result != kFileOk) {
    OsRemoveFile(scratch);
    return result;
  }
  return OsCommitPrivateScratchFile(scratch, fileSpec->path) ? kFileOk : kFileCannotOpen;
}

int16_t LoadTempSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec) {
  ParameterBlock* block = globals != nullptr ? GetParameterBlock(globals) : nullptr;
  if (block == nullptr || fileSpec == nullptr) return kFileCannotOpen;
  FileHandle handle = OsOpenPrivateFileForReading(fileSpec->path);
  if (handle == kNoFile) return kFileCannotOpen;
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  ThumbnailFromImage(&globals->thumbnailImage, thumbnail.get());
  uint8_t hasPicture = 0;
  int16_t status = ReadSettingsFromHandle(block, thumbnail.get(), handle, kReadAllFields, &hasPicture);
  if (status == kFileOk) ThumbnailToImage(thumbnail.get(), &globals->thumbnailImage);
  return status;
}

void SaveCachedSettings(GlobalsRecord* globals) {
  FileSpec spec;
  TempFileSpec(&spec, kCachedSettingsName);
  SaveTempSettingsFile(globals, &spec);
}

void LoadCachedSettings(GlobalsRecord* globals) {
  FileSpec spec;
  TempFileSpec(&spec, kCachedSettingsName);
  LoadTempSettingsFile(globals, &spec);
}
