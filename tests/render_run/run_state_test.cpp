// The run tables and the state an export pass saves and puts back.
#include <string>

#include "host/band_rects.h"
#include "render/render_run.h"
#include "run_fixture.h"

namespace {

using RunState = RunFixture;

bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

TEST_F(RunState, TheTentTableRisesByTwoAndFallsByTwo) {
  NewDocument(4, 2);
  OpenHost();
  ASSERT_EQ(PrepareAndStart(), kNoErr);
  GlobalsRecord* g = Direct();
  const int32_t* tent = g->workRecord->tentTable;
  struct Case {
    int32_t index, value;
  };
  const Case cases[] = {{0, 0}, {1, 2}, {64, 128}, {127, 254}, {128, 255}, {129, 253}, {200, 111}, {255, 1}};
  for (const Case& c : cases) EXPECT_EQ(tent[c.index], c.value) << c.index;
  // Every value 0..255 appears exactly once.
  int32_t seen[256] = {};
  for (int32_t i = 0; i < 256; ++i) seen[tent[i]] += 1;
  for (int32_t v = 0; v < 256; ++v) EXPECT_EQ(seen[v], 1) << v;
  EXPECT_EQ(ContinueToEnd(), kNoErr);
}

// Everything saved comes back; the filter rectangle's corner is only
// recorded. Restoring a preview state asks the host for the scaled input
// again; restoring a final render's state does not.
TEST_F(RunState, SaveAndRestoreRoundTrip) {
  for (int32_t runMode : {RunModeHost, RunModePreview}) {
    const std::string label = "run mode " + std::to_string(runMode);
    ShutdownTestHost(&host);
    NewDocument(30, 20);
    SetDocumentFilterRect(doc, 3, 2, 27, 18);
    OpenHost();
    ASSERT_EQ(PrepareAndStart(), kNoErr);
    GlobalsRecord* g = Direct();
    host.record.inRect = Rect{2, 3, 5, 27};
    host.record.outRect = Rect{4, 3, 5, 27};
    host.record.maskRect = Rect{2, 3, 7, 27};
    Block()->previewScale = 3;
    Block()->previewPanX = -6;
    Block()->previewPanY = 9;
    Block()->runMode = runMode;
    g->currentRow = 11;

    SavedRunState state{};
    SaveRunState(&state, g);
    EXPECT_EQ(state.filterTop, 2);
    EXPECT_EQ(state.filterLeft, 3);
    EXPECT_EQ(state.nextRow, 11);

    ClearPreviewPan(g);
    EXPECT_EQ(Block()->previewPanX, 0);
    EXPECT_EQ(Block()->previewPanY, 0);
    host.record.inRect = host.record.outRect = host.record.maskRect = Rect{};
    Block()->previewScale = 1;
    Block()->runMode = RunModeExport;
    g->currentRow = 0;
    const int32_t advancesBefore = host.advanceStateCalls;
    const size_t requestsBefore = host.requests.size();

    RestoreRunState(&state, g);
    EXPECT_EQ(Block()->previewPanX, -6) << label;
    EXPECT_EQ(Block()->previewPanY, 9) << label;
    EXPECT_EQ(Block()->runMode, runMode) << label;
    EXPECT_EQ(g->currentRow, 11) << label;
    if (runMode == RunModePreview) {
      EXPECT_EQ(host.advanceStateCalls, advancesBefore + 1) << label;
      ASSERT_EQ(host.requests.size(), requestsBefore + 1) << label;
      EXPECT_EQ(host.requests.back().inputRate, Fixed16(3 << 16)) << label;
    } else {
      EXPECT_EQ(host.advanceStateCalls, advancesBefore) << label;
      EXPECT_TRUE(SameRect(host.record.inRect, Rect{2, 3, 5, 27})) << label;
      EXPECT_TRUE(SameRect(host.record.outRect, Rect{4, 3, 5, 27})) << label;
      EXPECT_TRUE(SameRect(host.record.maskRect, Rect{2, 3, 7, 27})) << label;
      EXPECT_EQ(Block()->previewScale, 3) << label;
    }
    Block()->runMode = RunModeHost;
    g->currentRow = 0;
    SetNextBandRects(g);
    EXPECT_EQ(ContinueToEnd(), kNoErr) << label;
    ExpectCleanEnd(label);
  }
}

// An export pass renders exactly the target's rows, one per step, in
// order from row 0, and leaves the run as it found it, even when aborted.
TEST_F(RunState, AnExportPassRendersTheTargetsRowsAndPutsTheRunBack) {
  struct Case {
    int32_t targetWidth, targetHeight;
    int32_t abortAtCall;
    int32_t steps;
    HostError result;
  };
  const Case cases[] = {{7, 13, 0, 13, kNoErr}, {9, 40, 1, 32, kUserCanceledErr}, {3, 1, 0, 1, kNoErr}};
  for (const Case& c : cases) {
    const std::string label = "target height " + std::to_string(c.targetHeight);
    ShutdownTestHost(&host);
    NewDocument(12, 5);
    OpenHost();
    ASSERT_EQ(PrepareAndStart(), kNoErr);
    GlobalsRecord* g = Direct();
    const Rect inRect = host.record.inRect, outRect = host.record.outRect, maskRect = host.record.maskRect;
    Block()->previewPanX = 4;
    Block()->previewPanY = -2;
    g->currentRow = 3;
    host.abortAtCall = c.abortAtCall;
    ImageOwner owner{};
    ImageRecord target;
    InitImageRecord(&target, &owner, nullptr);
    ASSERT_TRUE(CreateImageRecord(&target, c.targetWidth, c.targetHeight, PixelRgba8, FetchClamp, 0));
    for (int32_t y = 0; y < c.targetHeight; ++y) {
      for (int32_t x = 0; x < c.targetWidth; ++x) PutPixelRgba8(x, y, &target, 0, 1, 1, 1, 1);
    }

    SavedRunState state{};
    SaveRunState(&state, g);
    ClearPreviewPan(g);
    Block()->runMode = RunModeExport;
    g->workRecord->offscreenTarget = &target;
    BuildRunTables(g);
    PrepareRender(g);
    ASSERT_EQ(directResult, kNoErr) << label;
    EXPECT_EQ(g->rowTotal, c.targetHeight) << label;
    int32_t steps = 0;
    while (g->bandActive == 1 && directResult == kNoErr) {
      EXPECT_EQ(g->currentRow, steps) << label;
      StepRenderRow(g);
      ++steps;
    }
    FinishRender(g);
    g->workRecord->offscreenTarget = nullptr;
    RestoreRunState(&state, g);
    EXPECT_EQ(steps, c.steps) << label;
    EXPECT_EQ(directResult, c.result) << label;
    // Rows rendered hold the mirrored source; rows not reached are untouched.
    for (int32_t y = 0; y < c.targetHeight; ++y) {
      const bool written = GetPixelPacked32Clamped(0, y, &target, 0) != 0x01010101u;
      EXPECT_EQ(written, y < c.steps) << label << " row " << y;
    }
    EXPECT_TRUE(SameRect(host.record.inRect, inRect)) << label;
    EXPECT_TRUE(SameRect(host.record.outRect, outRect)) << label;
    EXPECT_TRUE(SameRect(host.record.maskRect, maskRect)) << label;
    EXPECT_EQ(Block()->previewPanX, 4) << label;
    EXPECT_EQ(Block()->previewPanY, -2) << label;
    EXPECT_EQ(Block()->runMode, RunModeHost) << label;
    EXPECT_EQ(g->currentRow, 3) << label;
    FreeImageRecord(&target);

    host.abortAtCall = 0;
    g->currentRow = 0;
    Block()->runMode = RunModeHost;
    PrepareRender(g);
    SetNextBandRects(g);
    EXPECT_EQ(ContinueToEnd(), kNoErr) << label;
    ExpectCleanEnd(label);
  }
}

}  // namespace
