#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "test_files.h"

namespace {

std::unique_ptr<ParameterBlock> DefaultBlock() {
  std::unique_ptr<ParameterBlock> b(new ParameterBlock());
  std::memset(b.get(), 0, sizeof *b);
  SetDefaultSettings(b.get());
  return b;
}

std::unique_ptr<SettingsThumbnail> NewThumbnail() {
  std::unique_ptr<SettingsThumbnail> t(new SettingsThumbnail());
  InitSettingsThumbnail(t.get());
  return t;
}

// A red disc on the background ramp.
void PaintDisc(SettingsThumbnail* t) {
  for (int y = 0; y < kThumbnailSide; ++y)
    for (int x = 0; x < kThumbnailSide; ++x)
      if ((x - 64) * (x - 64) + (y - 64) * (y - 64) < 40 * 40) {
        uint8_t* p = &t->rgba[size_t(y * kThumbnailSide + x) * 4];
        p[0] = 220;
        p[1] = 40;
        p[2] = 30;
      }
}

// Every byte of the block from a simple generator; floats kept finite.
void Scramble(ParameterBlock* b, uint32_t seed) {
  uint8_t* bytes = reinterpret_cast<uint8_t*>(b);
  for (size_t k = 0; k < sizeof *b; ++k) {
    seed = seed * 1664525u + 1013904223u;
    bytes[k] = uint8_t(seed >> 24);
  }
  float* floats[] = {&b->latitude, &b->longitude, &b->spin, &b->fov, &b->tabs, &b->sharpen};
  for (int k = 0; k < 6; ++k) *floats[k] = -123.456f + 37.5f * float(k);
  for (int k = 0; k < 6; ++k) b->legacyValues[k] = float(k * 7 - 20) * 0.01f + 0.29f;
  b->globalsRecord = nullptr;
}

struct Loaded {
  int16_t status;
  uint8_t hasPicture;
};

Loaded Load(ParameterBlock* b, SettingsThumbnail* t, const std::string& path, int16_t mode = kReadAllFields) {
  Loaded r = {0, 9};
  r.status = ReadSettingsFile(b, t, path.c_str(), mode, &r.hasPicture);
  return r;
}

}  // namespace

TEST(SettingsFile, DefaultSettingsAreWrittenByteForByte) {
  ScratchFile file("default");
  auto b = DefaultBlock();
  ASSERT_EQ(SaveSettingsFile(b.get(), nullptr, file.path.c_str()), kFileOk);
  std::vector<uint8_t> expected = ReadAllBytes(SourcePath("tests/settings/data/default_settings.q2q"));
  ASSERT_EQ(expected.size(), 96u * 4u);
  EXPECT_EQ(ReadAllBytes(file.path), expected);
  EXPECT_EQ(b->version, 47);
  EXPECT_EQ(b->transferWord, 1);

  if (!JpegCodecAvailable()) return;
  auto t = NewThumbnail();
  PaintDisc(t.get());
  ASSERT_EQ(SaveSettingsFile(b.get(), t.get(), file.path.c_str()), kFileOk);
  std::vector<uint8_t> bytes = ReadAllBytes(file.path);
  ASSERT_GT(bytes.size(), 84u * 4u + 16u + 44u);
  uint32_t count = uint32_t(bytes[348]) << 24 | uint32_t(bytes[349]) << 16 | uint32_t(bytes[350]) << 8 | bytes[351];
  ASSERT_EQ(bytes.size(), 336u + 16u + count + 44u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 336),
            std::vector<uint8_t>(expected.begin(), expected.begin() + 336));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 336, bytes.begin() + 348),
            (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 128, 0, 0, 0, 128}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 44, bytes.end()),
            std::vector<uint8_t>(expected.end() - 44, expected.end()));
  EXPECT_LE(count, uint32_t(kThumbnailBlockBytes));
}

TEST(SettingsFile, WriteThenReadGivesTheSameSettings) {
  ScratchFile file("roundtrip");
  ScratchFile again("again");
  std::unique_ptr<ParameterBlock> a(new ParameterBlock());
  Scramble(a.get(), 7);
  auto t = NewThumbnail();
  PaintDisc(t.get());
  ASSERT_EQ(SaveSettingsFile(a.get(), t.get(), file.path.c_str()), kFileOk);

  auto b = DefaultBlock();
  b->psdWidth = 321;
  b->runMode = 1;
  b->exportKind = 3;
  std::strcpy(b->settingsName, "keep me");
  auto back = NewThumbnail();
  Loaded r = Load(b.get(), back.get(), file.path);
  ASSERT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.hasPicture, JpegCodecAvailable() ? 1 : 0);
  EXPECT_EQ(b->version, 47);
  EXPECT_EQ(a->transferWord, 1);  // the writer's marker; the reader discards it
  EXPECT_EQ(b->tabRed, a->tabRed);
  EXPECT_EQ(b->legacyColours[11], a->legacyColours[11]);
  EXPECT_EQ(b->legacyColours[15], a->legacyColours[15]);
  EXPECT_EQ(b->inputProjection, a->inputProjection);
  EXPECT_EQ(b->outputProjection, a->outputProjection);
  EXPECT_EQ(b->legacyIntG, a->legacyIntG);  // the -1 pair after it does not touch it
  EXPECT_EQ(b->legacyIntsF[2], a->legacyIntsF[2]);
  EXPECT_EQ(b->indicatrix, a->indicatrix);
  EXPECT_EQ(b->latitude, a->latitude);
  EXPECT_EQ(b->sharpen, a->sharpen);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(b->legacyValues[k], float(std::round(double(a->legacyValues[k]) * 100.0) * 0.01));
  // Fields the file does not carry are left alone.
  EXPECT_EQ(b->psdWidth, 321);
  EXPECT_EQ(b->runMode, 1);
  EXPECT_EQ(b->exportKind, 3);
  EXPECT_STREQ(b->settingsName, "keep me");
  EXPECT_EQ(b->customNetOutput, 6);
  // Saving what was read gives the same file again, and so on.
  ASSERT_EQ(SaveSettingsFile(b.get(), nullptr, again.path.c_str()), kFileOk);
  ASSERT_EQ(SaveSettingsFile(a.get(), nullptr, file.path.c_str()), kFileOk);
  EXPECT_EQ(ReadAllBytes(again.path), ReadAllBytes(file.path));
  ASSERT_EQ(Load(b.get(), back.get(), again.path).status, kFileOk);
  ASSERT_EQ(SaveSettingsFile(b.get(), nullptr, again.path.c_str()), kFileOk);
  EXPECT_EQ(ReadAllBytes(again.path), ReadAllBytes(file.path));
}

TEST(SettingsFile, ANewFileNeverKeepsTheTailOfALongerOldOne) {
  ScratchFile file("tail");
  WriteAllBytes(file.path, std::vector<uint8_t>(5000, 0xEE));
  auto b = DefaultBlock();
  ASSERT_EQ(SaveSettingsFile(b.get(), nullptr, file.path.c_str()), kFileOk);
  EXPECT_EQ(ReadAllBytes(file.path).size(), 384u);
  std::string leftover = file.path + "~";
  EXPECT_TRUE(ReadAllBytes(leftover).empty());
}

#if !defined(_WIN32)
// A link planted where the save writes its sibling scratch file must not be
// followed: the file it points to stays as it was.
TEST(SettingsFile, APlantedLinkAtTheScratchNameIsNotFollowed) {
  ScratchFile file("planted");
  ScratchFile victim("victim");
  WriteAllBytes(victim.path, std::vector<uint8_t>(10, 0x5A));
  std::string scratch = file.path + "~";
  ASSERT_EQ(::symlink(victim.path.c_str(), scratch.c_str()), 0);
  auto b = DefaultBlock();
  ASSERT_EQ(SaveSettingsFile(b.get(), nullptr, file.path.c_str()), kFileOk);
  EXPECT_EQ(ReadAllBytes(victim.path), std::vector<uint8_t>(10, 0x5A));
  EXPECT_EQ(ReadAllBytes(file.path).size(), 384u);
  struct stat st;
  EXPECT_NE(::lstat(scratch.c_str(), &st), 0);  // nothing left at the scratch name
}
#endif

TEST(SettingsFile, FilesThatCannotBeOpenedChangeNothing) {
  auto b = DefaultBlock();
  auto before = *b;
  auto t = NewThumbnail();
  uint8_t hasPicture = 5;
  EXPECT_EQ(ReadSettingsFile(b.get(), t.get(), "/no/such/folder/x.q2q", kReadAllFields, &hasPicture),
            kFileCannotOpen);
  EXPECT_EQ(hasPicture, 0);
  EXPECT_EQ(std::memcmp(&before, b.get(), sizeof before), 0);
  EXPECT_EQ(SaveSettingsFile(b.get(), nullptr, "/no/such/folder/x.q2q"), kFileCannotOpen);
}

TEST(SettingsFile, OlderVersionsReadWithTheirFixUps) {
  struct Case {
    const char* fixture;
    int32_t output, fovInt;
    float fov;
  } cases[] = {
      {"edge_v06_output.q2q", 54, 50, 50.0f},
      {"edge_v33_fov.q2q", 14, 53, 53.0f},
      {"edge_v30_fov.q2q", 14, 53, 53.130104f},
      {"edge_v44_output35.q2q", 38, 33, 33.0f},
  };
  for (const Case& c : cases) {
    auto b = DefaultBlock();
    b->latitude = 77.0f;
    auto t = NewThumbnail();
    Loaded r = Load(b.get(), t.get(), SourcePath(std::string("tests/settings/data/") + c.fixture));
    ASSERT_EQ(r.status, kFileOk) << c.fixture;
    EXPECT_EQ(b->outputProjection, c.output) << c.fixture;
    EXPECT_EQ(b->fovInteger, c.fovInt) << c.fixture;
    EXPECT_EQ(b->fov, c.fov) << c.fixture;
    bool stopsEarly = b->version == 30;  // no float upgrade: the angles keep their values
    EXPECT_EQ(b->latitude, stopsEarly ? 77.0f : float(b->latitudeInteger)) << c.fixture;
  }
  // Version 6: the fourth extra colour is the tab colour, field 48 is 100.
  auto b = DefaultBlock();
  auto t = NewThumbnail();
  ASSERT_EQ(Load(b.get(), t.get(), SourcePath("tests/settings/data/edge_v06_output.q2q")).status, kFileOk);
  EXPECT_EQ(b->legacyColours[9], b->tabRed);
  EXPECT_EQ(b->legacyColours[11], b->tabBlue);
  EXPECT_EQ(b->legacyIntsF[0], 100);
  EXPECT_EQ(b->faces, 0);
  EXPECT_EQ(b->spinInteger, 57);
  // Colours keep their low 16 bits.
  ASSERT_EQ(Load(b.get(), t.get(), SourcePath("tests/settings/data/edge_wide_colour.q2q")).status, kFileOk);
  EXPECT_EQ(b->tabRed, 0x2345);
}

// Each fix-up of older files applies below its version and not from it on:
// a file one version older than the change gets it, a file of that version
// keeps what it stores. The version_NN files store the same values at every
// version (those of version_47, where no fix-up applies).
TEST(SettingsFile, FixUpsStopExactlyAtTheirVersion) {
  auto LoadFixture = [](const std::string& name) {
    auto b = DefaultBlock();
    auto t = NewThumbnail();
    EXPECT_EQ(Load(b.get(), t.get(), SourcePath("tests/settings/data/" + name)).status, kFileOk) << name;
    return b;
  };
  auto Version = [&](int32_t v) {
    char name[32];
    std::snprintf(name, sizeof name, "version_%02d.q2q", v);
    return LoadFixture(name);
  };
  const auto stored = Version(47);
  ASSERT_EQ(stored->faces, 1);
  ASSERT_EQ(stored->inputProjection, 7);
  ASSERT_EQ(stored->outputProjection, 30);
  ASSERT_NE(stored->legacyIntsE[3], 0);
  struct Boundary {
    const char* what;
    int32_t version;  // the first version without the fix-up
    int32_t ParameterBlock::*field;
    int32_t below;  // the value a file one version older loads with
    int32_t at;     // and a file of the version itself
  };
  const int32_t longitude = stored->longitudeInteger;
  const Boundary boundaries[] = {
      {"longitude mirrored", 15, &ParameterBlock::longitudeInteger, 100 - longitude, longitude},
      {"grid renumbered", 11, &ParameterBlock::grid, stored->grid + 1, stored->grid},
      {"faces off", 27, &ParameterBlock::faces, 0, 1},
      {"spin reset", 19, &ParameterBlock::spinInteger, 57, stored->spinInteger},
      {"tabs reset", 20, &ParameterBlock::tabsInteger, 0, stored->tabsInteger},
      {"field of view reset", 21, &ParameterBlock::fovInteger, 50, stored->fovInteger},
      {"inputs renumbered", 24, &ParameterBlock::inputProjection, 23, 7},  // trunc(7 / 0.3)
      // Output 30: +1 before 40 (from 16 on); +1 more before 29 (from 25 on).
      {"outputs from 16 renumbered", 40, &ParameterBlock::outputProjection, 31, 30},
      {"outputs from 25 renumbered", 29, &ParameterBlock::outputProjection, 32, 31},
      {"all outputs renumbered", 28, &ParameterBlock::outputProjection, 33, 32},
  };
  for (const Boundary& c : boundaries) {
    EXPECT_EQ(Version(c.version - 1).get()->*c.field, c.below) << c.what << " at " << c.version - 1;
    EXPECT_EQ(Version(c.version).get()->*c.field, c.at) << c.what << " at " << c.version;
  }
  // Fields in arrays.
  EXPECT_EQ(Version(12)->legacyIntsF[1], 100 - stored->legacyIntsF[1]);
  EXPECT_EQ(Version(13)->legacyIntsF[1], stored->legacyIntsF[1]);
  EXPECT_EQ(Version(6)->legacyIntsF[0], 100);
  EXPECT_EQ(Version(7)->legacyIntsF[0], stored->legacyIntsF[0]);
  EXPECT_EQ(Version(23)->legacyIntsE[3], 0);
  EXPECT_EQ(Version(24)->legacyIntsE[3], stored->legacyIntsE[3]);
  // Output 40: +1 before 32 (from 34 on), then +1 before 40.
  EXPECT_EQ(LoadFixture("edge_v31_output40.q2q")->outputProjection, 42);
  EXPECT_EQ(LoadFixture("edge_v32_output40.q2q")->outputProjection, 41);
  // The rectilinear field of view before 34, and Winkel Tripel before 45.
  EXPECT_EQ(LoadFixture("edge_v33_fov.q2q")->fovInteger, 53);
  EXPECT_EQ(LoadFixture("edge_v34_fov.q2q")->fovInteger, 90);
  EXPECT_EQ(LoadFixture("edge_v44_output35.q2q")->outputProjection, 38);
  EXPECT_EQ(LoadFixture("edge_v45_output35.q2q")->outputProjection, 35);
}

TEST(SettingsFile, TheThumbnailOnlyModeChangesNoFieldButTheVersion) {
  auto b = DefaultBlock();
  b->version = 12;
  auto before = *b;
  auto t = NewThumbnail();
  Loaded r = Load(b.get(), t.get(), SourcePath("tests/settings/data/version_47.q2q"), kReadThumbnailOnly);
  ASSERT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.hasPicture, JpegCodecAvailable() ? 1 : 0);
  EXPECT_EQ(b->version, 47);
  b->version = 12;
  EXPECT_EQ(std::memcmp(&before, b.get(), sizeof before), 0);
  if (JpegCodecAvailable()) {
    EXPECT_EQ(t->pictureWidth, 16);
  }
  r = Load(b.get(), t.get(), SourcePath("tests/settings/data/version_30.q2q"), kReadThumbnailOnly);
  ASSERT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.hasPicture, 0);
  EXPECT_EQ(b->version, 30);
}

// Every cut of a file, at each byte: refused, nothing changed.
TEST(SettingsFile, FilesCutShortAreRefusedAndChangeNothing) {
  ScratchFile file("whole");
  ScratchFile cut("cut");
  auto written = DefaultBlock();
  written->outputProjection = 9;
  written->latitude = 5.0f;
  auto picture = NewThumbnail();
  PaintDisc(picture.get());
  ASSERT_EQ(SaveSettingsFile(written.get(), picture.get(), file.path.c_str()), kFileOk);
  std::vector<uint8_t> whole = ReadAllBytes(file.path);

  auto b = DefaultBlock();
  auto t = NewThumbnail();
  t->pictureWidth = 33;
  auto before = *b;
  std::unique_ptr<SettingsThumbnail> thumbBefore(new SettingsThumbnail(*t));
  for (size_t n = 0; n < whole.size(); ++n) {
    WriteAllBytes(cut.path, std::vector<uint8_t>(whole.begin(), whole.begin() + long(n)));
    Loaded r = Load(b.get(), t.get(), cut.path);
    ASSERT_NE(r.status, kFileOk) << n;
    ASSERT_EQ(r.hasPicture, 0) << n;
    ASSERT_EQ(std::memcmp(&before, b.get(), sizeof before), 0) << n;
    ASSERT_EQ(std::memcmp(thumbBefore.get(), t.get(), sizeof *t), 0) << n;
  }
  ASSERT_EQ(Load(b.get(), t.get(), file.path).status, kFileOk);
  EXPECT_EQ(b->outputProjection, 9);

  // The fixtures of every version, cut at each field boundary.
  for (int v = 0; v <= 47; ++v) {
    char name[64];
    std::snprintf(name, sizeof name, "tests/settings/data/version_%02d.q2q", v);
    std::vector<uint8_t> bytes = ReadAllBytes(SourcePath(name));
    ASSERT_FALSE(bytes.empty()) << name;
    auto fresh = DefaultBlock();
    auto freshBefore = *fresh;
    ASSERT_EQ(Load(fresh.get(), t.get(), SourcePath(name)).status, kFileOk) << name;
    for (size_t n = 0; n + 4 <= bytes.size(); n += 4) {
      WriteAllBytes(cut.path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n)));
      auto c = DefaultBlock();
      Loaded r = Load(c.get(), t.get(), cut.path);
      if (v == 30 && r.status == kFileOk) continue;  // ends after its legacy picture
      ASSERT_NE(r.status, kFileOk) << name << " at " << n;
      ASSERT_EQ(std::memcmp(&freshBefore, c.get(), sizeof freshBefore), 0) << name << " at " << n;
    }
  }
}

TEST(SettingsFile, CorruptThumbnailBlocksAreRefused) {
  ScratchFile cut("corrupt");
  std::vector<uint8_t> good = ReadAllBytes(SourcePath("tests/settings/data/version_47.q2q"));
  ASSERT_GT(good.size(), 352u);
  // Fields 1-84 and the 60-byte legacy picture (side 4) come first.
  const size_t block = 83 * 4 + 60;
  ASSERT_EQ(std::vector<uint8_t>(good.begin() + block, good.begin() + block + 12),
            (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 16, 0, 0, 0, 16}));
  auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> out = good;
    for (size_t k = 0; k < bytes.size(); ++k) out[at + k] = bytes[k];
    return out;
  };
  std::vector<std::vector<uint8_t>> corrupt = {
      patched(block + 12, {0xFF, 0xFF, 0xFF, 0xF0}),  // negative byte count
      patched(block + 12, {0x00, 0x00, 0x7F, 0x00}),  // byte count beyond the end of the file
      patched(block, {0xFF, 0xFF, 0xFF, 0xFF}),       // negative flag
  };
  auto b = DefaultBlock();
  auto t = NewThumbnail();
  auto before = *b;
  std::unique_ptr<SettingsThumbnail> thumbBefore(new SettingsThumbnail(*t));
  for (size_t k = 0; k < corrupt.size(); ++k) {
    WriteAllBytes(cut.path, corrupt[k]);
    Loaded r = Load(b.get(), t.get(), cut.path);
    EXPECT_NE(r.status, kFileOk) << k;
    EXPECT_EQ(std::memcmp(&before, b.get(), sizeof before), 0) << k;
    EXPECT_EQ(std::memcmp(thumbBefore.get(), t.get(), sizeof *t), 0) << k;
  }
  // Blocks that are whole but hold no usable picture are passed over.
  for (const char* name : {"edge_flag2_skipped.q2q", "edge_oversized_skipped.q2q"}) {
    Loaded r = Load(b.get(), t.get(), SourcePath(std::string("tests/settings/data/") + name));
    EXPECT_EQ(r.status, kFileOk) << name;
    EXPECT_EQ(r.hasPicture, 0) << name;
    EXPECT_EQ(b->indicatrix, 1090) << name;  // a field after the block
  }
}

// A damaged picture costs the picture, not the settings: the file's fields
// load as they stand, and the damaged picture is not drawn into the
// thumbnail.
TEST(SettingsFile, DamagedPicturesAreDroppedAndTheSettingsKept) {
  ScratchFile damaged("damaged");
  const std::vector<uint8_t> good = ReadAllBytes(SourcePath("tests/settings/data/version_47.q2q"));
  auto reference = DefaultBlock();
  auto t = NewThumbnail();
  ASSERT_EQ(Load(reference.get(), t.get(), SourcePath("tests/settings/data/version_47.q2q")).status, kFileOk);
  // The legacy picture (flag 1, side 4, count 48, 48 bytes) after fields
  // 1-65; the JPEG block after fields 1-84 and the legacy picture.
  const size_t legacy = 65 * 4;
  const size_t block = 83 * 4 + 60;
  ASSERT_EQ(std::vector<uint8_t>(good.begin() + legacy, good.begin() + legacy + 12),
            (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, 48}));
  auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> out = good;
    for (size_t k = 0; k < bytes.size(); ++k) out[at + k] = bytes[k];
    return out;
  };
  // A legacy side of 200 with its 120000 bytes of pixels, as a writer of
  // larger pictures would have stored them.
  std::vector<uint8_t> wideLegacy(good.begin(), good.begin() + long(legacy));
  for (const uint8_t b : {0, 0, 0, 1, 0, 0, 0, 200, 0, 1, 0xD4, 0xC0}) wideLegacy.push_back(b);
  wideLegacy.insert(wideLegacy.end(), 200 * 200 * 3, 0x5A);
  wideLegacy.insert(wideLegacy.end(), good.begin() + long(legacy + 60), good.end());
  struct DamagedCase {
    const char* what;
    std::vector<uint8_t> bytes;
    bool jpegOnly;
  };
  const DamagedCase cases[] = {
      {"not a JPEG stream", patched(block + 16, {0x12, 0x34}), true},
      {"stream wider than its picture", patched(block + 4, {0, 0, 0, 8}), true},
      {"legacy side above 128", wideLegacy, false},
  };
  // What the thumbnail holds when the JPEG block is passed over whole (flag
  // 2, a picture of another kind): the file's legacy picture.
  auto legacyOnly = NewThumbnail();
  WriteAllBytes(damaged.path, patched(block, {0, 0, 0, 2}));
  {
    auto b = DefaultBlock();
    ASSERT_EQ(Load(b.get(), legacyOnly.get(), damaged.path).status, kFileOk);
  }
  for (const DamagedCase& c : cases) {
    if (c.jpegOnly && !JpegCodecAvailable()) continue;
    WriteAllBytes(damaged.path, c.bytes);
    auto b = DefaultBlock();
    auto picture = NewThumbnail();
    Loaded r = Load(b.get(), picture.get(), damaged.path);
    ASSERT_EQ(r.status, kFileOk) << c.what;
    EXPECT_EQ(std::memcmp(reference.get(), b.get(), sizeof *b), 0) << c.what;
    if (c.jpegOnly) {
      EXPECT_EQ(r.hasPicture, 0) << c.what;
      EXPECT_EQ(std::memcmp(legacyOnly->rgba, picture->rgba, sizeof picture->rgba), 0) << c.what;
    }
  }
}

TEST(SettingsFile, ThumbnailsOfSettingsFilesLoadIntoPicturesOfAnySize) {
  auto b = DefaultBlock();
  auto t = NewThumbnail();
  std::vector<uint8_t> pixels(32 * 32 * 4, 0);
  PixelRaster image = {32, 32, 4, pixels.data()};
  bool loaded = LoadSettingsThumbnail(SourcePath("tests/settings/data/version_47.q2q").c_str(), &image, b.get(), t.get());
  EXPECT_EQ(loaded, JpegCodecAvailable());
  if (loaded) {
    EXPECT_EQ(pixels[3], 255);
    EXPECT_GT(int(pixels[size_t(31 * 32 + 31) * 4]), 100);  // the fixture's gradient reaches red at the right
  }
  EXPECT_FALSE(LoadSettingsThumbnail(SourcePath("tests/settings/data/default_settings.q2q").c_str(), &image,
                                     b.get(), t.get()));
  EXPECT_EQ(t->rgba[size_t(127 * 128) * 4], 128);  // the background ramp
  EXPECT_FALSE(LoadSettingsThumbnail("/no/such/file.q2q", &image, b.get(), t.get()));
}
