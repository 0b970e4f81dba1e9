#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "settings/settings_defaults.h"
#include "settings/settings_globals.h"
#include "test_files.h"

namespace {

// Globals whose filter record holds a parameter block, with the 128 x 128
// thumbnail image the start phase makes.
struct GlobalsFixture {
  std::unique_ptr<GlobalsRecord> globals{new GlobalsRecord()};
  std::unique_ptr<ParameterBlock> block{new ParameterBlock()};
  FilterRecord filterRecord{};
  char* master = nullptr;
  GlobalsFixture() {
    std::memset(block.get(), 0, sizeof *block);
    SetDefaultSettings(block.get());
    master = reinterpret_cast<char*>(block.get());
    filterRecord.parameters = &master;
    globals->filterRecord = &filterRecord;
    InitImageRecord(&globals->thumbnailImage, &globals->imageOwner, nullptr);
    CreateImageRecord(&globals->thumbnailImage, 128, 128, PixelRgba8, 0, 0);
  }
  ~GlobalsFixture() { FreeImageRecord(&globals->thumbnailImage); }
};

}  // namespace

TEST(SettingsGlobals, TheThumbnailImageTravelsWithTheSettings) {
  ScratchFile file("globals");
  FileSpec spec = {};
  std::strcpy(spec.path, file.path.c_str());

  GlobalsFixture a;
  ASSERT_TRUE(ImageHasLevel(&a.globals->thumbnailImage, 0));
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) PutPixelRgba8(x, y, &a.globals->thumbnailImage, 0, 200, uint32_t(y), 30, 255);
  a.block->outputProjection = 21;
  ASSERT_EQ(SaveSettingsFile(a.globals.get(), &spec), kFileOk);

  GlobalsFixture b;
  uint8_t hasPicture = 9;
  ASSERT_EQ(ReadSettingsFile(b.globals.get(), &spec, kReadAllFields, &hasPicture), kFileOk);
  EXPECT_EQ(b.block->outputProjection, 21);
  EXPECT_EQ(hasPicture, JpegCodecAvailable() ? 1 : 0);
  if (JpegCodecAvailable()) {
    uint32_t r, g, bl, al;
    GetPixelRgba8(10, 100, &b.globals->thumbnailImage, 0, &r, &g, &bl, &al);
    EXPECT_NEAR(int(r), 200, 8);
    EXPECT_NEAR(int(g), 100, 8);
    EXPECT_EQ(al, 255u);
  }
  SetLittlePlanetSettings(b.globals.get(), 0);
  EXPECT_EQ(b.block->outputProjection, 16);

  // A cut file changes neither the block nor the picture.
  std::vector<uint8_t> bytes = ReadAllBytes(file.path);
  bytes.resize(bytes.size() - 3);
  WriteAllBytes(file.path, bytes);
  ParameterBlock before = *b.block;
  EXPECT_NE(LoadSettingsFile(b.globals.get(), &spec), kFileOk);
  EXPECT_EQ(std::memcmp(&before, b.block.get(), sizeof before), 0);
}
