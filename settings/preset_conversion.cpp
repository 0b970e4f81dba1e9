#include "settings/preset_conversion.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"
#include "host/text_utils.h"
#include "platform/settings_os.h"
#include "platform/shell_os.h"
#include "settings/memory_dots.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"

namespace {

bool gConverting = false;

struct Listing {
  std::vector<std::string> names;
};

bool CollectConvertible(void* context, const char* name, bool isFolder, bool readOnly) {
  bool isQ9q = false;
  if (!isFolder && !readOnly && IsConvertiblePresetName(name, &isQ9q))
    static_cast<Listing*>(context)->names.emplace_back(name);
  return true;
}

}  // namespace

bool IsConvertiblePresetName(const char* name, bool* isQ9q) {
  if (name == nullptr) return false;
  const size_t n = std::strlen(name);
  if (n < 5 || name[n - 4] != '.' || LowerAscii(name[n - 3]) != 'q' || LowerAscii(name[n - 1]) != 'q') return false;
  if (name[n - 2] != '9' && name[n - 2] != '5') return false;
  if (isQ9q != nullptr) *isQ9q = name[n - 2] == '9';
  return true;
}

bool RenameConvertedPreset(const char* path) {
  bool isQ9q = false;
  if (!IsConvertiblePresetName(path, &isQ9q) || !isQ9q) return false;
  std::string target = path;
  target[target.size() - 2] = '5';
  return OsRenameNoReplace(path, target.c_str());
}

int32_t ConvertPresetFolder(GlobalsRecord* globals, const char* folder, PresetThumbnailProc makeThumbnail,
                            void* context, PresetConversionReport* report) {
  PresetConversionReport local{};
  PresetConversionReport* r = report != nullptr ? report : &local;
  *r = PresetConversionReport{};
  if (gConverting || globals == nullptr || folder == nullptr) return 0;
  gConverting = true;
  ParameterBlock* block = GetParameterBlock(globals);
  // The user's settings wait in the scratch dot.
  const bool saved = SaveMemoryDotSettings(globals, kScratchMemoryDot) == kFileOk;
  const int32_t autoPreview = block->autoPreview;
  block->autoPreview = 1;

  std::string base = folder;
  if (!base.empty() && base.back() != '/' && base.back() != '\\') base += OsPathSeparator();
  Listing listing;
  r->listed = saved && OsListFolder(base.c_str(), CollectConvertible, &listing);
  auto thumbnail = std::make_unique<SettingsThumbnail>();
  for (size_t k = 0; r->listed && k < listing.names.size(); ++k) {
    const std::string& name = listing.names[k];
    const std::string path = base + name;
    if (path.size() > size_t(kMaxPathLength)) {
      ++r->failed;
      continue;
    }
    InitSettingsThumbnail(thumbnail.get());
    thumbnail->exists = true;
    PaintThumbnailBackground(thumbnail.get());
    block = GetParameterBlock(globals);
    SetDefaultSettings(block);
    if (LoadSettingsFileAllFields(block, thumbnail.get(), path.c_str()) != kFileOk) {
      ++r->failed;
      continue;
    }
    CopyText(block->settingsName, sizeof block->settingsName, name.c_str());
    thumbnail->exists = true;
    if (makeThumbnail != nullptr && !makeThumbnail(context, globals, thumbnail.get())) {
      ++r->failed;
      continue;
    }
    block = GetParameterBlock(globals);
    if (SaveSettingsFile(block, thumbnail.get(), path.c_str()) != kFileOk) {
      ++r->failed;
      continue;
    }
    ++r->converted;
    bool isQ9q = false;
    IsConvertiblePresetName(name.c_str(), &isQ9q);
    if (isQ9q) {
      if (RenameConvertedPreset(path.c_str())) {
        ++r->renamed;
      } else {
        ++r->failed;
      }
    }
  }
  block = GetParameterBlock(globals);
  if (saved) LoadMemoryDotSettings(globals, kScratchMemoryDot);
  block = GetParameterBlock(globals);
  block->autoPreview = autoPreview;
  gConverting = false;
  return r->converted;
}
