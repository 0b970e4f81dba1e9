#include "ui/settings_choosers.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"
#include "settings/settings_defaults.h"
#include "settings/settings_globals.h"
#include "ui/file_choosers.h"

namespace {

void CopyText(char* dest, size_t capacity, const char* text) {
  std::snprintf(dest, capacity, "%s", text);
}

// The chosen file's name and folder become the settings' own.
void TakeChosenName(ParameterBlock* block, const char* fileTitle, const char* folder) {
  if (fileTitle[0]) CopyText(block->settingsName, sizeof(block->settingsName), fileTitle);
  CopyText(block->settingsFolder, sizeof(block->settingsFolder), folder);
}

}  // namespace

int16_t SaveSettingsWithDialog(GlobalsRecord* globals) {
  ParameterBlock* block = GetParameterBlock(globals);
  if (!block) return -1;
  FileSpec spec{};
  char fileTitle[kMaxPathLength + 1] = {0};
  char folder[kMaxPathLength + 1] = {0};
  CopyText(spec.path, sizeof(spec.path), block->settingsName);
  // The proposed name without its extension.
  char* dot = std::strrchr(spec.path, '.');
  if (dot) *dot = 0;
  CopyText(folder, sizeof(folder), block->settingsFolder);
  if (ShowSaveFileDialog(spec.path, fileTitle, folder, kFileKindSettings, kSaveSettingsTitle) != 1) return -1;
  const int16_t status = SaveSettingsFile(globals, &spec);
  if (status == 0) TakeChosenName(block, fileTitle, folder);
  return status;
}

int32_t LoadSettingsWithDialog(GlobalsRecord* globals) {
  ParameterBlock* block = GetParameterBlock(globals);
  if (!block) return 0;
  FileSpec spec{};
  char fileTitle[kMaxPathLength + 1] = {0};
  char folder[kMaxPathLength + 1] = {0};
  CopyText(folder, sizeof(folder), block->settingsFolder);
  if (ShowOpenFileDialog(spec.path, fileTitle, folder, kFileKindSettings, kOpenSettingsTitle, globals) != 1) return 0;
  // Read into a copy first: a file that is missing or not a settings file
  // must not leave the settings reset to the defaults.
  std::unique_ptr<ParameterBlock> saved(new ParameterBlock(*block));
  SetDefaultSettings(block);
  if (LoadSettingsFile(globals, &spec) != 0) {
    *block = *saved;
    return 0;
  }
  TakeChosenName(block, fileTitle, folder);
  return 1;
}
