#include <gtest/gtest.h>

#include <cstring>

#include "host/globals_record.h"
#include "host/host_memory.h"
#include "platform/global_heap.h"
#include "settings/settings_services_stub.h"
#include "shell_fixture.h"

namespace {

TEST(EnsurePixelRecordBuffer, KeepsALargeEnoughBufferAndReplacesASmallOne) {
  struct Case {
    int32_t haveRecords;
    int32_t inWidth;
    bool replaced;
  };
  const Case cases[] = {{2187, 100, false}, {104, 100, false}, {103, 100, true}, {0, 100, true}};
  for (const Case& c : cases) {
    ShellFixtureState s;
    s.record.inRect = Rect{0, 10, 1, int16_t(10 + c.inWidth)};
    s.globals->columnRecordBufferSize = c.haveRecords * 296;
    s.globals->columnRecords = AllocBuffer(int64_t(c.haveRecords) * 296 + 1, &s.globals->columnRecordSlot, nullptr);
    void* before = s.globals->columnRecords;
    EnsurePixelRecordBuffer(s.globals.get());
    EXPECT_EQ(s.globals->columnRecordCount, c.inWidth + 4);
    EXPECT_EQ(s.globals->columnRecordBufferSize, c.replaced ? (c.inWidth + 4) * 296 : c.haveRecords * 296);
    if (!c.replaced) {
      EXPECT_EQ(s.globals->columnRecords, before);
    }
    EXPECT_NE(s.globals->columnRecords, nullptr);
    EXPECT_EQ(s.result, 0);
    FreeBuffer(&s.globals->columnRecords, &s.globals->columnRecordSlot, nullptr);
  }
}

TEST(EnsurePixelRecordBuffer, AFailedBufferIsOutOfMemoryNotACancel) {
  ShellFixtureState s;
  s.record.inRect = Rect{0, 0, 1, 500};
  s.globals->columnRecordBufferSize = 0;
  GlobalHeapFailAllocationAt(1);
  EnsurePixelRecordBuffer(s.globals.get());
  GlobalHeapFailAllocationAt(0);
  EXPECT_EQ(s.result, kMemFullErr);
  EXPECT_EQ(s.globals->columnRecords, nullptr);
  EXPECT_EQ(s.globals->columnRecordBufferSize, 504 * 296);
}

TEST(TargetSize, OutRectOrTheOffscreenImageOfAnExport) {
  ShellFixtureState s;
  s.record.outRect = Rect{5, 10, 9, 40};
  EXPECT_EQ(TargetWidth(s.globals.get()), 30);
  EXPECT_EQ(TargetHeight(s.globals.get()), 4);
  ImageRecord offscreen{};
  offscreen.levelWidth[0] = 640;
  offscreen.levelHeight[0] = 320;
  s.work->offscreenTarget = &offscreen;
  s.block->runMode = RunModeExport;
  s.record.outRect = Rect{};
  EXPECT_EQ(TargetWidth(s.globals.get()), 640);
  EXPECT_EQ(TargetHeight(s.globals.get()), 320);
}

TEST(SetupMemoryDotControls, FillsTheIdsAndClearsTheSelection) {
  ShellFixtureState s;
  s.work->dotStates[3] = 9;
  s.work->selectedDots[0] = 4;
  SetupMemoryDotControls(s.globals.get(), nullptr);
  const uint16_t ids[25] = {10, 47, 113, 112, 111, 108, 80, 78, 27, 6, 29, 20, 68,
                            66, 42, 87,  77,  44,  24,  88, 95, 89, 19, 14, 16};
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(s.work->dotControlIds[i], ids[i]) << i;
    EXPECT_EQ(s.work->dotStates[i], 0) << i;
  }
  EXPECT_EQ(s.work->selectedDots[0], -1);
  EXPECT_EQ(s.work->selectedDots[1], -1);
}

TEST(SetDefaultSettings, LeavesNamesFoldersExportSizesAndRunFields) {
  ShellFixtureState s;
  std::memset(static_cast<void*>(s.block.get()), 0x5a, sizeof(ParameterBlock));
  std::strcpy(s.block->settingsName, "mine.q2q");
  std::strcpy(s.block->exportFolder, "C:\\out");
  s.block->psdWidth = 1234;
  s.block->runMode = RunModeExport;
  s.block->showDialog = 1;
  s.block->previewScale = 3;
  SetDefaultSettings(s.globals.get());
  EXPECT_STREQ(s.block->settingsName, "mine.q2q");
  EXPECT_STREQ(s.block->exportFolder, "C:\\out");
  EXPECT_EQ(s.block->psdWidth, 1234);
  EXPECT_EQ(s.block->runMode, RunModeExport);
  EXPECT_EQ(s.block->showDialog, 1u);
  EXPECT_EQ(s.block->previewScale, 3);
  EXPECT_EQ(s.block->glue, 1);
  EXPECT_EQ(s.block->tabBlue, 56540);
  EXPECT_FLOAT_EQ(s.block->sharpen, 30.0f);
  EXPECT_EQ(s.block->customNetOutput, 6);
}

}  // namespace
