#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "settings/settings_defaults.h"

namespace {

std::unique_ptr<ParameterBlock> ZeroBlock() {
  std::unique_ptr<ParameterBlock> b(new ParameterBlock());
  std::memset(b.get(), 0, sizeof *b);
  return b;
}

}  // namespace

TEST(SettingsDefaults, ANewBlockGetsTheDefaultsAndKeepsTheRest) {
  auto b = ZeroBlock();
  std::strcpy(b->settingsName, "mine.q2q");
  std::strcpy(b->settingsFolder, "/some/folder");
  b->psdWidth = 777;
  b->runMode = 2;
  b->legacyColours[4] = 1234;
  b->legacyValues[2] = 3.5f;
  SetDefaultSettings(b.get());
  EXPECT_EQ(b->outputProjection, 1);
  EXPECT_EQ(b->inputProjection, 1);
  EXPECT_EQ(b->fovInteger, 120);
  EXPECT_EQ(b->fov, 120.0f);
  EXPECT_EQ(b->tabsInteger, 33);
  EXPECT_EQ(b->tabs, 33.0f);
  EXPECT_EQ(b->sharpeningInteger, 30);
  EXPECT_EQ(b->sharpen, 30.0f);
  EXPECT_EQ(b->tabRed, 55255);
  EXPECT_EQ(b->tabGreen, 44204);
  EXPECT_EQ(b->tabBlue, 56540);
  EXPECT_EQ(b->backdropRed, 65535);
  EXPECT_EQ(b->backdropGreen, 65535);
  EXPECT_EQ(b->backdropBlue, 65535);
  EXPECT_EQ(b->glue, 1);
  EXPECT_EQ(b->grid2, 1);
  EXPECT_EQ(b->previewQuality, 2);
  EXPECT_EQ(b->legacySettingA, 21);
  EXPECT_EQ(b->brickLayers, 20);
  EXPECT_EQ(b->brickColorset, 63);
  EXPECT_EQ(b->spherePlan, 1);
  EXPECT_EQ(b->sphereStats, 1);
  EXPECT_EQ(b->cubeSide, 256);
  EXPECT_EQ(b->faceSize, 500);
  EXPECT_EQ(b->transparentGaps, 1);
  EXPECT_EQ(b->customNetOutput, 6);
  EXPECT_STREQ(b->settingsName, "mine.q2q");
  EXPECT_STREQ(b->settingsFolder, "/some/folder");
  EXPECT_EQ(b->psdWidth, 777);
  EXPECT_EQ(b->runMode, 2);
  EXPECT_EQ(b->legacyColours[4], 1234);
  EXPECT_EQ(b->legacyValues[2], 3.5f);
}

TEST(SettingsDefaults, SnapshotsRestoreTheViewButNotTheExportFields) {
  auto b = ZeroBlock();
  SetDefaultSettings(b.get());
  b->latitude = 12.0f;
  b->legacyColours[17] = 99;
  b->legacyIntsF[1] = 5;
  std::strcpy(b->settingsName, "before.q2q");
  std::unique_ptr<SettingsSnapshot> snap(new SettingsSnapshot());
  std::memset(snap.get(), 0, sizeof *snap);
  snap->valid = 1;
  snap->onFile = 1;
  StoreSettingsSnapshot(snap.get(), b.get());
  EXPECT_EQ(snap->valid, 1);
  EXPECT_EQ(snap->onFile, 1);

  b->latitude = -40.0f;
  b->brickLayers = 99;
  b->legacyColours[17] = 1;
  b->legacyIntsF[1] = 6;
  b->legacyIntsF[2] = 7;  // file-only
  b->outputProjection = 44;
  b->tabBlue = 3;
  b->version = 12;
  b->previewQuality = 3;
  b->dehalo = 1;
  std::strcpy(b->settingsName, "after.q2q");
  RestoreSettingsSnapshot(snap.get(), b.get());
  EXPECT_EQ(b->latitude, 12.0f);
  EXPECT_EQ(b->legacyColours[17], 99);
  EXPECT_EQ(b->legacyIntsF[1], 5);
  EXPECT_EQ(b->outputProjection, 1);
  EXPECT_EQ(b->tabBlue, 56540);
  EXPECT_EQ(b->dehalo, 0);
  EXPECT_STREQ(b->settingsName, "before.q2q");
  EXPECT_EQ(b->brickLayers, 99);
  EXPECT_EQ(b->legacyIntsF[2], 7);
  EXPECT_EQ(b->version, 12);
  EXPECT_EQ(b->previewQuality, 3);
}

TEST(SettingsDefaults, LittlePlanetLooksStraightDown) {
  auto b = ZeroBlock();
  SetDefaultSettings(b.get());
  b->tabs = 50.0f;
  b->glue = 7;
  b->faces = 1;
  SetLittlePlanetSettings(b.get(), 12345);
  EXPECT_EQ(b->outputProjection, 16);
  EXPECT_EQ(b->latitudeInteger, -90);
  EXPECT_EQ(b->latitude, -90.0f);
  EXPECT_EQ(b->fovInteger, 110);
  EXPECT_EQ(b->fov, 110.0f);
  EXPECT_EQ(b->glue, 1);
  EXPECT_EQ(b->grid2, 1);
  EXPECT_EQ(b->tabs, 50.0f);
  EXPECT_EQ(b->faces, 1);
}

TEST(SettingsDefaults, SettingsFileNamesEndInTheirExtension) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", "Orbalix 2 settings.q2q"},
      {"holiday.jpg", "holiday.q2q"},
      {"a.b.c", "a.b.q2q"},
      {"plain", "plain.q2q"},
      {"folder.d/name", "folder.d/name.q2q"},
      {"C:\\my.dir\\file", "C:\\my.dir\\file.q2q"},
      {"x.q2q", "x.q2q"},
  };
  for (const Case& c : cases) {
    char name[260] = {};
    std::strcpy(name, c.in);
    EnsureSettingsFileName(name);
    EXPECT_STREQ(name, c.out) << c.in;
  }
  char longName[260];
  std::memset(longName, 'n', 259);
  longName[259] = '\0';
  EnsureSettingsFileName(longName);
  EXPECT_EQ(std::strlen(longName), 259u);
  EXPECT_STREQ(longName + 255, ".q2q");
  EnsureSettingsFileName(nullptr);
  EXPECT_FALSE(TestSettingAlwaysFalse(1));
}
