#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settings_defaults.h"
#include "settings/jpeg_memory.h"
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

// Every stream of the decoder's fuzz corpus decodes or is refused with a
// codec answer; the seeds made by other encoders decode.
TEST(SettingsFuzzCorpus, EveryJpegStreamDecodesOrIsRefused) {
  if (!JpegCodecAvailable()) GTEST_SKIP() << "this build has no JPEG codec";
  std::filesystem::path folder = SourcePath("tools/fuzz/corpus/jpeg_block");
  std::vector<uint8_t> rgba(128 * 128 * 4);
  int decoded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::vector<uint8_t> bytes = ReadAllBytes(entry.path().string());
    if (bytes.size() > 49152) continue;
    PixelRaster picture = {128, 128, 4, rgba.data()};
    int16_t r = DecodeJpegBlock(&picture, bytes.data(), int32_t(bytes.size()));
    EXPECT_TRUE(r == kJpegOk || r == kJpegCodecError || r == kJpegRefused) << entry.path();
    if (entry.path().extension() == ".jpg") {
      EXPECT_EQ(r, kJpegOk) << entry.path();
    }
    decoded += r == kJpegOk;
  }
  EXPECT_GE(decoded, 7);
}
