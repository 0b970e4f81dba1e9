#include "app/settings_file_io.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"

namespace {

std::string ReadFailure(const std::string& path, int16_t code) {
  switch (code) {
    case kFileCannotOpen: return path + ": cannot open the settings file";
    case kFileReadFailed: return path + ": the settings file ends too early";
    case kThumbnailCorrupt: return path + ": the settings file holds a broken thumbnail";
    case kSettingsVersionUnknown: return path + ": not a settings file of a known version";
    default: return path + ": cannot read the settings file (code " + std::to_string(code) + ")";
  }
}

// The result at 128 x 128, 8-bit RGBA.
void FillThumbnail(const ImageFile& result, SettingsThumbnail* thumbnail, const std::function<bool()>& stop) {
  if (result.width < 1 || result.height < 1) return;
  // Made small at the result's depth first: a copy of the whole result at
  // 8 bits would cost as much memory as the result.
  const ImageFile small = ConvertDepth(ResampleImage(result, kThumbnailSide, kThumbnailSide, stop), 8);
  for (int32_t i = 0; i < kThumbnailSide * kThumbnailSide; ++i) {
    const uint8_t* s = small.pixels.data() + size_t(i) * size_t(small.channels);
    uint8_t* d = thumbnail->rgba + size_t(i) * 4;
    const bool colour = small.channels >= 3;
    d[0] = s[0];
    d[1] = colour ? s[1] : s[0];
    d[2] = colour ? s[2] : s[0];
    d[3] = small.channels == 4 ? s[3] : (small.channels == 2 ? s[1] : 255);
  }
  thumbnail->pictureWidth = kThumbnailSide;
  thumbnail->pictureHeight = kThumbnailSide;
}

}  // namespace

bool LoadSettingsFileInto(const std::string& path, ParameterBlock* block, std::string* error) {
  const int16_t code = LoadSettingsFile(block, nullptr, path.c_str());
  if (code == kFileOk) return true;
  *error = ReadFailure(path, code);
  return false;
}

bool CheckSettingsFile(const std::string& path, std::string* error) {
  std::unique_ptr<ParameterBlock> block(new ParameterBlock{});
  SetDefaultSettings(block.get());
  return LoadSettingsFileInto(path, block.get(), error);
}

bool SaveSettingsWithThumbnail(const std::string& path, const ParameterBlock& settings, const ImageFile& result,
                               std::string* error) {
  std::unique_ptr<ParameterBlock> block(new ParameterBlock(settings));
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  InitSettingsThumbnail(thumbnail.get());
  FillThumbnail(result, thumbnail.get(), nullptr);
  const int16_t code = SaveSettingsFile(block.get(), thumbnail.get(), path.c_str());
  if (code == kFileOk) return true;
  *error = path + (code == kFileCannotOpen ? ": cannot create the settings file" : ": writing the settings file failed");
  return false;
}

bool WriteSettingsWithThumbnail(int fd, const std::string& path, const ParameterBlock& settings,
                                const ImageFile& result, std::string* error, const std::function<bool()>& stop) {
  std::unique_ptr<ParameterBlock> block(new ParameterBlock(settings));
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  InitSettingsThumbnail(thumbnail.get());
  FillThumbnail(result, thumbnail.get(), stop);
  if (stop && stop()) return false;
  errno = 0;
  if (WriteSettingsRecord(block.get(), thumbnail.get(), FileHandle(fd)) == kFileOk) return true;
  *error = "cannot write " + path + ": " + (errno != 0 ? std::strerror(errno) : "writing the settings file failed");
  return false;
}
