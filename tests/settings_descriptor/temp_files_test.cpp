// Undo slots, cached settings, memory dots and the memory-dot map in a
// temporary folder of the test's own, and the files of fixed names that
// someone else planted there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "settings/memory_dots.h"
#include "settings/temp_settings_files.h"
#include "settings/undo_files.h"
#include "settings_fixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

class TempFiles : public ::testing::Test {
 protected:
  ScopedTempFolder temp;
  SettingsGlobals s;
};

TEST_F(TempFiles, FilesOfFixedNamesLiveInTheTemporaryFolder) {
  SaveCachedSettings(s.G());
  TakeUndoSnapshot(s.G(), 1);
  TakeUndoSnapshot(s.G(), 1);
  SaveMemoryDotSettings(s.G(), 7);
  LoadMemoryDotMap(s.G());
  SaveMemoryDotMap(s.G());
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(temp.Folder())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"Orbalix 2 cached settings C", "Orbalix 2 undo 0", "Orbalix 2 undo 1",
                                          "Orbalix 2 memory dot 7.q2q", "Orbalix 2 memdot map 2"}));
  FileSpec spec;
  MemoryDotFilePath(&spec, 24, false);
  EXPECT_EQ(std::filesystem::path(spec.path), temp.File("Orbalix 2 memory dot 24.q2q"));
}

TEST_F(TempFiles, CachedSettingsComeBackAtTheNextStart) {
  s.Block()->fovInteger = 77;
  s.Block()->brickLayers = 9;
  SaveCachedSettings(s.G());
  SetDefaultSettings(s.Block());
  LoadCachedSettings(s.G());
  EXPECT_EQ(s.Block()->fovInteger, 77);
  EXPECT_EQ(s.Block()->brickLayers, 9);
  // Without the file nothing changes.
  std::filesystem::remove(temp.File(kCachedSettingsName));
  SetDefaultSettings(s.Block());
  LoadCachedSettings(s.G());
  EXPECT_EQ(s.Block()->fovInteger, 120);
}

// Take (memory), change, take (file), undo: the first snapshot returns; undo
// again: the second, with the fields only its file holds.
TEST_F(TempFiles, UndoAlternatesBetweenTheTwoSlots) {
  ParameterBlock* b = s.Block();
  b->latitude = 10.0f;
  b->brickLayers = 11;
  TakeUndoSnapshot(s.G(), 0);
  EXPECT_EQ(s.G()->undoIndex, 1);
  EXPECT_FALSE(temp.Exists("Orbalix 2 undo 1"));
  b->latitude = 20.0f;
  b->brickLayers = 22;
  TakeUndoSnapshot(s.G(), 1);
  EXPECT_EQ(s.G()->undoIndex, 0);
  EXPECT_TRUE(temp.Exists("Orbalix 2 undo 0"));
  EXPECT_EQ(s.work->undoSlots.slots[0].onFile, 1);
  EXPECT_EQ(s.work->undoSlots.slots[1].onFile, 0);
  b->latitude = 30.0f;
  b->brickLayers = 33;

  UndoFromSnapshot(s.G());
  EXPECT_EQ(s.G()->undoIndex, 1);
  EXPECT_EQ(b->latitude, 10.0f);
  EXPECT_EQ(b->brickLayers, 33);  // a memory slot holds no brick settings

  UndoFromSnapshot(s.G());
  EXPECT_EQ(s.G()->undoIndex, 0);
  EXPECT_EQ(b->latitude, 20.0f);
  EXPECT_EQ(b->brickLayers, 22);  // from the undo file

  UndoFromSnapshot(s.G());
  EXPECT_EQ(b->latitude, 10.0f);
}

TEST_F(TempFiles, UndoWithOneSnapshotChangesNothing) {
  TakeUndoSnapshot(s.G(), 1);
  s.Block()->latitude = 44.0f;
  UndoFromSnapshot(s.G());
  EXPECT_EQ(s.Block()->latitude, 44.0f);
  EXPECT_EQ(s.G()->undoIndex, 1);
}

// An undo file that could not be written is not read back later: an older
// file of the same name would restore settings of another session.
TEST_F(TempFiles, AnUndoFileThatWasNotWrittenIsNotRestored) {
  s.Block()->brickLayers = 5;
  TakeUndoSnapshot(s.G(), 1);  // slot 1, on file
  s.Block()->brickLayers = 6;
  TakeUndoSnapshot(s.G(), 0);  // slot 0
  ScopedTempFolder::Point((temp.Folder() / "missing").string());
  s.Block()->brickLayers = 7;
  TakeUndoSnapshot(s.G(), 1);  // slot 1 again: cannot be written
  EXPECT_EQ(s.work->undoSlots.slots[1].onFile, 0);
  ScopedTempFolder::Point(temp.Folder().string());
  s.Block()->brickLayers = 8;
  UndoFromSnapshot(s.G());  // to slot 0
  UndoFromSnapshot(s.G());  // to slot 1: memory only, the old file stays unread
  EXPECT_EQ(s.Block()->brickLayers, 8);
}

TEST_F(TempFiles, MemoryDotsKeepTheirSettings) {
  for (int32_t dot : {0, 24, kScratchMemoryDot}) {
    s.Block()->fovInteger = 50 + dot;
    EXPECT_EQ(SaveMemoryDotSettings(s.G(), dot), 0);
  }
  for (int32_t dot : {24, 0, kScratchMemoryDot}) {
    SetDefaultSettings(s.Block());
    EXPECT_EQ(LoadMemoryDotSettings(s.G(), dot), 0);
    EXPECT_EQ(s.Block()->fovInteger, 50 + dot);
  }
  SetDefaultSettings(s.Block());
  EXPECT_EQ(LoadMemoryDotSettings(s.G(), 3), 0);  // never saved
  EXPECT_EQ(s.Block()->fovInteger, 120);
}

TEST_F(TempFiles, TheMapHoldsTheVersionAndTheTwentyFiveMarks) {
  for (int32_t i = 0; i < kMemoryDotCount; ++i) s.work->dotWords[i] = uint32_t(i % 3 == 0 ? 1 : 0);
  EXPECT_EQ(LoadMemoryDotMap(s.G()), 99);  // none yet: the marks stay
  EXPECT_EQ(s.work->dotWords[3], 1u);
  s.work->dotWords[24] = 0x01020304;
  SaveMemoryDotMap(s.G());
  const std::vector<uint8_t> bytes = temp.Bytes(kMemoryDotMapName);
  ASSERT_EQ(bytes.size(), 104u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8), (std::vector<uint8_t>{0, 0, 0, 47, 0, 0, 0, 1}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), (std::vector<uint8_t>{1, 2, 3, 4}));

  const std::vector<uint32_t> saved(std::begin(s.work->dotWords), std::end(s.work->dotWords));
  for (uint32_t& mark : s.work->dotWords) mark = 0;
  EXPECT_EQ(LoadMemoryDotMap(s.G()), 0);
  EXPECT_EQ(std::vector<uint32_t>(std::begin(s.work->dotWords), std::end(s.work->dotWords)), saved);

  // A map cut short changes no mark.
  temp.Write(kMemoryDotMapName, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 60));
  for (uint32_t& mark : s.work->dotWords) mark = 9;
  EXPECT_NE(LoadMemoryDotMap(s.G()), 0);
  for (uint32_t mark : s.work->dotWords) EXPECT_EQ(mark, 9u);
}

// A run that ends before it loaded the map (a refused document) must not
// overwrite the map with the empty marks of its new work record.
TEST_F(TempFiles, OnlyARunThatLoadedTheMapSavesIt) {
  s.work->dotWords[2] = 1;
  LoadMemoryDotMap(s.G());
  SaveMemoryDotMap(s.G());
  ASSERT_TRUE(temp.Exists(kMemoryDotMapName));
  const std::vector<uint8_t> before = temp.Bytes(kMemoryDotMapName);
  for (uint32_t& mark : s.work->dotWords) mark = 0;
  SaveMemoryDotMap(s.G());  // the next run, refused before its start state
  EXPECT_EQ(temp.Bytes(kMemoryDotMapName), before);
}

#ifndef _WIN32

// Someone else's links under the fixed names: writes replace the link and
// never reach its target; reads do not follow it.
TEST_F(TempFiles, PlantedLinksAreNeitherWrittenThroughNorRead) {
  namespace fs = std::filesystem;
  // A valid settings file elsewhere, which the links point at.
  ScopedTempFolder elsewhere;
  ScopedTempFolder::Point(elsewhere.Folder().string());
  s.Block()->fovInteger = 66;
  for (uint32_t& mark : s.work->dotWords) mark = 1;
  SaveCachedSettings(s.G());
  LoadMemoryDotMap(s.G());
  SaveMemoryDotMap(s.G());
  const fs::path victim = elsewhere.File(kCachedSettingsName);
  const fs::path victimMap = elsewhere.File(kMemoryDotMapName);
  const std::vector<uint8_t> victimBytes = elsewhere.Bytes(kCachedSettingsName);
  const std::vector<uint8_t> victimMapBytes = elsewhere.Bytes(kMemoryDotMapName);
  ScopedTempFolder::Point(temp.Folder().string());

  const std::vector<std::pair<std::string, fs::path>> links = {
      {kCachedSettingsName, victim},          {"Orbalix 2 undo 0", victim},
      {"Orbalix 2 undo 1", victim},           {"Orbalix 2 memory dot 4.q2q", victim},
      {kMemoryDotMapName, victimMap},
  };
  for (const auto& [name, target] : links) fs::create_symlink(target, temp.File(name));

  // Reading: nothing comes through the links.
  SetDefaultSettings(s.Block());
  LoadCachedSettings(s.G());
  LoadMemoryDotSettings(s.G(), 4);
  EXPECT_EQ(s.Block()->fovInteger, 120);
  for (uint32_t& mark : s.work->dotWords) mark = 0;
  EXPECT_EQ(LoadMemoryDotMap(s.G()), 99);
  EXPECT_EQ(s.work->dotWords[0], 0u);

  // Writing: the links are replaced by files of our own, the targets untouched.
  s.Block()->fovInteger = 99;
  SaveCachedSettings(s.G());
  TakeUndoSnapshot(s.G(), 1);
  TakeUndoSnapshot(s.G(), 1);
  SaveMemoryDotSettings(s.G(), 4);
  SaveMemoryDotMap(s.G());
  EXPECT_EQ(elsewhere.Bytes(kCachedSettingsName), victimBytes);
  EXPECT_EQ(elsewhere.Bytes(kMemoryDotMapName), victimMapBytes);
  for (const auto& [name, target] : links) {
    EXPECT_FALSE(fs::is_symlink(temp.File(name))) << name;
    EXPECT_TRUE(fs::is_regular_file(temp.File(name))) << name;
  }
  // And what was written reads back.
  SetDefaultSettings(s.Block());
  LoadCachedSettings(s.G());
  EXPECT_EQ(s.Block()->fovInteger, 99);
}

TEST_F(TempFiles, APlantedPipeOrFolderIsNotRead) {
  ASSERT_EQ(mkfifo(temp.File(kCachedSettingsName).c_str(), 0666), 0);
  std::filesystem::create_directory(temp.File(kMemoryDotMapName));
  s.Block()->fovInteger = 1;
  LoadCachedSettings(s.G());  // returns at once instead of waiting for a writer
  EXPECT_EQ(s.Block()->fovInteger, 1);
  EXPECT_EQ(LoadMemoryDotMap(s.G()), 99);
}

#endif

}  // namespace
