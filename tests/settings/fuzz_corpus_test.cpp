#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "test_files.h"

// Every input of the fuzz corpus read in both modes: refused files change
// nothing, read files leave sane picture sizes.
TEST(SettingsFuzzCorpus, EveryInputReadsOrIsRefusedCleanly) {
  std::filesystem::path folder = SourcePath("tools/fuzz/corpus/settings_reader");
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  ASSERT_GE(inputs.size(), 50u);
  std::unique_ptr<ParameterBlock> block(new ParameterBlock());
  std::unique_ptr<ParameterBlock> before(new ParameterBlock());
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  std::unique_ptr<SettingsThumbnail> thumbBefore(new SettingsThumbnail());
  for (const auto& input : inputs) {
    for (int16_t mode : {kReadAllFields, kReadThumbnailOnly}) {
      std::memset(block.get(), 0, sizeof *block);
      SetDefaultSettings(block.get());
      InitSettingsThumbnail(thumbnail.get());
      *before = *block;
      *thumbBefore = *thumbnail;
      uint8_t hasPicture = 7;
      int16_t status = ReadSettingsFile(block.get(), thumbnail.get(), input.string().c_str(), mode, &hasPicture);
      ASSERT_LE(hasPicture, 1) << input;
      if (status != kFileOk) {
        ASSERT_EQ(std::memcmp(before.get(), block.get(), sizeof *block), 0) << input;
        ASSERT_EQ(std::memcmp(thumbBefore.get(), thumbnail.get(), sizeof *thumbnail), 0) << input;
      }
      ASSERT_GE(thumbnail->pictureWidth, 0) << input;
      ASSERT_LE(thumbnail->pictureWidth, kThumbnailSide) << input;
      ASSERT_LE(thumbnail->pictureHeight, kThumbnailSide) << input;
    }
  }
}
