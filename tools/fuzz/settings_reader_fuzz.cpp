// libFuzzer target of the settings-file reader: any bytes as a ".q2q" file,
// read in both modes. Besides crashes and sanitizer reports it checks that a
// refused file leaves the settings and the thumbnail exactly as they were.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"

namespace {

std::string ScratchPath() {
  char path[kMaxPathBytes];
  std::string name = "orbalix_settings_fuzz_" + std::to_string(getpid()) + ".q2q";
  TempFolderPath(path, name.c_str());
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchPath();
  std::remove(path.c_str());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);

  static std::unique_ptr<ParameterBlock> block(new ParameterBlock());
  static std::unique_ptr<ParameterBlock> before(new ParameterBlock());
  static std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  static std::unique_ptr<SettingsThumbnail> thumbBefore(new SettingsThumbnail());
  for (int16_t mode : {kReadAllFields, kReadThumbnailOnly}) {
    std::memset(block.get(), 0, sizeof *block);
    SetDefaultSettings(block.get());
    InitSettingsThumbnail(thumbnail.get());
    *before = *block;
    *thumbBefore = *thumbnail;
    uint8_t hasPicture = 7;
    int16_t status = ReadSettingsFile(block.get(), thumbnail.get(), path.c_str(), mode, &hasPicture);
    if (hasPicture > 1) std::abort();
    if (status != 0) {
      if (std::memcmp(before.get(), block.get(), sizeof *block) != 0) std::abort();
      if (std::memcmp(thumbBefore.get(), thumbnail.get(), sizeof *thumbnail) != 0) std::abort();
      if (hasPicture != 0) std::abort();
    }
    if (thumbnail->pictureWidth < 0 || thumbnail->pictureWidth > kThumbnailSide) std::abort();
  }
  return 0;
}
