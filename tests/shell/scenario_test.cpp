// Whole selector runs through the test host, with every unlocked handle
// moving before each lock. Each run must end with no live buffers, no
// locked handles or buffers and nothing misused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/plugin_main.h"
#include "host/scripting_terms.h"
#include "platform/global_heap.h"
#include "platform/testhost/test_host.h"
#include "ui/control_table.h"
#include "ui/dialog_services.h"
#include "ui/standin/dialog_standin.h"

namespace {

const std::vector<std::string> kNothingShown;

class ShellRun : public ::testing::Test {
 protected:
  TestDocument doc;
  TestHost host;
  int64_t heapBlocksBefore = 0;

  void Start(int32_t width, int32_t height, TestHostOptions options = {}, int16_t planes = 3) {
    doc = MakeTestDocument(width, height, planes, 8, false);
    FillDocumentPattern(doc, 7);
    InitTestHost(&host, &doc, options);
    host.moveUnlockedHandles = true;
    ResetStandIn();
    heapBlocksBefore = GlobalHeapLiveBlocks();
  }
  void TearDown() override { ShutdownTestHost(&host); }

  HostError Run(bool withParameters = true, bool withFinish = true, TestRunReport* report = nullptr) {
    TestRunOptions options;
    options.withParameters = withParameters;
    options.withFinish = withFinish;
    return RunFilterSelectors(&host, PluginMain, options, report);
  }
  HostError Call(int16_t selector) { return CallFilterSelector(&host, PluginMain, selector); }

  GlobalsRecord* Globals() { return host.data ? *reinterpret_cast<GlobalsRecord**>(host.data) : nullptr; }
  ParameterBlock* Block() { return host.record.parameters ? reinterpret_cast<ParameterBlock*>(*host.record.parameters) : nullptr; }

  void ExpectCleanEnd(const char* label) {
    EXPECT_EQ(LiveBufferCount(&host), 0) << label;
    EXPECT_EQ(LockedBufferCount(&host), 0) << label;
    EXPECT_EQ(LockedHandleCount(&host), 0) << label;
    EXPECT_EQ(host.handleMisuse, 0) << label;
    EXPECT_EQ(host.bufferMisuse, 0) << label;
    EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocksBefore) << label;
  }
  void ExpectEmptyRects(const char* label) {
    EXPECT_TRUE(RectIsEmpty(host.record.inRect)) << label;
    EXPECT_TRUE(RectIsEmpty(host.record.outRect)) << label;
    EXPECT_TRUE(RectIsEmpty(host.record.maskRect)) << label;
  }
  const std::vector<std::string>& Shown() { return GetStandInWorld().shown; }
};

TEST_F(ShellRun, AboutOnAHostThatNeverCalledCreatesNothing) {
  Start(4, 4);
  host.record.parameters = nullptr;
  const int32_t handlesBefore = LiveHandleCount(&host);
  EXPECT_EQ(Call(kSelectorAbout), kNoErr);
  EXPECT_EQ(host.data, 0);
  const HostHandleRef parameters = host.record.parameters;  // packed field: read by value
  EXPECT_EQ(parameters, nullptr);
  EXPECT_EQ(LiveHandleCount(&host), handlesBefore);
  EXPECT_EQ(Shown(), std::vector<std::string>{"ABOUTBOX"});
  ExpectCleanEnd("about");
}

TEST_F(ShellRun, UnknownSelectorAnswersBadParametersAndUnlocks) {
  Start(4, 4);
  ASSERT_EQ(Call(kSelectorParameters), kNoErr);
  const intptr_t data = host.data;
  ASSERT_NE(data, 0);
  for (int16_t selector : {int16_t(7), int16_t(6), int16_t(-1)}) {
    EXPECT_EQ(Call(selector), kFilterBadParameters) << selector;
    EXPECT_EQ(host.data, data);
  }
  ExpectCleanEnd("unknown selector");
}

TEST_F(ShellRun, FirstCallWithPrepareCreatesGlobalsAndBlockWithoutTheFirstRunFlag) {
  Start(4, 4);
  ASSERT_EQ(Call(kSelectorPrepare), kNoErr);
  ASSERT_NE(Globals(), nullptr);
  ASSERT_NE(Block(), nullptr);
  EXPECT_EQ(Globals()->firstRunFlag, 0);
  // Creation values and defaults.
  EXPECT_EQ(Block()->glue, 1);
  EXPECT_EQ(Block()->autoPreview, 1);
  EXPECT_EQ(Block()->previewScale, 1);
  EXPECT_EQ(Block()->runMode, 0);
  EXPECT_EQ(Block()->showDialog, 0u);
  EXPECT_EQ(Block()->fovInteger, 120);
  EXPECT_EQ(Block()->tabRed, 55255);
  EXPECT_STREQ(Block()->settingsName, "Orbalix 2 settings.q2q");
  EXPECT_EQ(Block()->globalsRecord, Globals());
  ExpectCleanEnd("prepare");
}

TEST_F(ShellRun, PrepareSizesTheColumnRecordsAndBufferSpace) {
  struct Case {
    int32_t width, height, count;
  };
  const Case cases[] = {{1, 1, 2187}, {32767, 1, 3 * 32767 + 2184}, {10, 5000, 2 * (5000 + 4)}};
  for (const Case& c : cases) {
    ShutdownTestHost(&host);
    Start(c.width, c.height);
    ASSERT_EQ(Call(kSelectorPrepare), kNoErr);
    EXPECT_EQ(Globals()->columnRecordCount, c.count) << c.width;
    EXPECT_EQ(Globals()->columnRecordBufferSize, c.count * 296) << c.width;
    EXPECT_EQ(host.record.bufferSpace, c.count * 296 + 1112) << c.width;
    EXPECT_EQ(Globals()->strideA, c.width + 3);
    EXPECT_EQ(Globals()->strideC, c.height + 3);
    EXPECT_EQ(Globals()->wideRowLength, c.width + 2178);
    ExpectCleanEnd("prepare sizes");
  }
  EXPECT_EQ(2187 * 296 + 1112, 648464);
}

TEST_F(ShellRun, AcceptedDialogRendersEveryRowAndRecordsTheSettings) {
  Start(9, 6);
  SetDocumentFilterRect(doc, 2, 1, 8, 5);  // 6 x 4 inside the image
  InitTestHost(&host, &doc, host.options);
  host.moveUnlockedHandles = true;
  host.descriptorParameters.playInfo = 1;  // an interactive run asks for the dialog
  TestRunReport report;
  ASSERT_EQ(Run(true, true, &report), kNoErr);
  EXPECT_EQ(Shown(), std::vector<std::string>{"RIVADARORIREVODER"});
  EXPECT_EQ(Globals()->dialogOutcome, kDialogOutcomeOk);
  EXPECT_EQ(Block()->showDialog, 0u);

  // One band per row of the filter rectangle, in order, whole width (the
  // host hands each band again when it calls continue).
  std::vector<int> bandRows;
  for (const TestRequest& r : host.requests) {
    if (r.outRect.bottom - r.outRect.top == 1 && r.outRect.left == 2 && r.outRect.right == 8 &&
        r.inRect.top == r.outRect.top && (bandRows.empty() || bandRows.back() != r.outRect.top)) {
      bandRows.push_back(r.outRect.top);
    }
  }
  EXPECT_EQ(bandRows, (std::vector<int>{1, 2, 3, 4}));
  // The source was read for the dialog's preview, which reports no
  // progress; the rows then report their first row only (the throttle lets
  // the rest through every 32nd row or jump of 5).
  const std::vector<std::pair<int32_t, int32_t>> heard{{0, 4}};
  EXPECT_EQ(host.progress, heard);

  // The finish phase recorded the settings under their keys.
  DescriptorList recorded;
  ASSERT_TRUE(GetTestHostDescriptor(&host, &recorded));
  int32_t fov = 0;
  const DescriptorEntry* entry = FindDescriptorEntry(recorded, MakeFourCC('0', '0', '1', '4'));
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(DescriptorEntryInteger(*entry, &fov));
  EXPECT_EQ(fov, 120);
  ExpectEmptyRects("ok run");
  ExpectCleanEnd("ok run");
}

TEST_F(ShellRun, TheWidestDocumentRunsToTheEnd) {
  Start(32767, 2);
  TestRunReport report;
  ASSERT_EQ(Run(false, true, &report), kNoErr);
  // Every 512-pixel tile of the source was asked for, then both rows.
  int32_t tiles = 0;
  for (const TestRequest& r : host.requests) {
    if (r.outRect.right - r.outRect.left == 1 && r.inRect.right - r.inRect.left > 0) ++tiles;
  }
  EXPECT_EQ(tiles, (32767 + 511) / 512);
  const TestRequest& last = host.requests.back();
  EXPECT_EQ(last.inRect.right, 32767);
  EXPECT_EQ(last.outRect.top, 1);
  ExpectEmptyRects("widest");
  ExpectCleanEnd("widest");
}

TEST_F(ShellRun, CancelledDialogEndsTheRunWithoutRendering) {
  Start(8, 5);
  SetStandInAnswer(kMainDialogTemplate, kIdCancel);
  host.descriptorParameters.playInfo = 1;
  TestRunReport report;
  EXPECT_EQ(Run(true, true, &report), kUserCanceledErr);
  EXPECT_EQ(Shown(), std::vector<std::string>{"RIVADARORIREVODER"});
  EXPECT_EQ(report.continueCalls, 0);
  // The dialog's preview asked for the input; no row of a render was asked for.
  for (const TestRequest& r : host.requests) {
    EXPECT_FALSE(r.outRect.bottom - r.outRect.top == 1 && r.outRect.right - r.outRect.left == 8);
  }
  EXPECT_EQ(Globals()->dialogOutcome, kDialogOutcomeCancel);
  EXPECT_EQ(Globals()->workRecord, nullptr);
  ExpectEmptyRects("cancel");
  ExpectCleanEnd("cancel");
}

TEST_F(ShellRun, RecordedSettingsReplayWithoutTheDialog) {
  Start(6, 4);
  DescriptorList list;
  list.push_back(DescriptorInteger(MakeFourCC('V', 'e', 'r', 's'), 47));
  list.push_back(DescriptorInteger(MakeFourCC('0', '0', '1', '4'), 77));
  list.push_back(DescriptorFloat(MakeFourCC('0', '0', '3', '7'), 77.5));
  list.push_back(DescriptorEnumerated(MakeFourCC('G', 'L', 'U', 'E'), kGlueEnumType, MakeFourCC('G', 'L', '0', '7')));
  list.push_back(DescriptorInteger(MakeFourCC('0', '0', '0', '1'), 12));
  SetTestHostDescriptor(&host, list, 0);  // the action does not ask for the dialog
  // Even after a parameters phase, the play information decides.
  EXPECT_EQ(Run(true, false), kNoErr);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Block()->fovInteger, 77);
  EXPECT_FLOAT_EQ(Block()->fov, 77.5f);
  EXPECT_EQ(Block()->glue, 7);
  EXPECT_EQ(Block()->tabRed, 12 * 257);  // the recorded high byte spread over 16 bits
  EXPECT_EQ(Block()->brickLayers, 20);  // keys the descriptor lacks take their defaults
  ExpectCleanEnd("replay");
}

TEST_F(ShellRun, RefusedHostsAndDocumentsShowTheirAlertsAndRenderNothing) {
  struct Case {
    const char* label;
    bool advanceState;
    bool multichannel;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"no advanceState", false, false, {"REFUSAL2"}},
      {"multichannel", true, true, {"REFUSAL3"}},
      {"both", false, true, {"REFUSAL2", "REFUSAL3"}},
  };
  for (const Case& c : cases) {
    ShutdownTestHost(&host);
    TestHostOptions options;
    options.hasAdvanceState = c.advanceState;
    Start(5, 3, options);
    if (c.multichannel) host.record.imageMode = kImageModeMultichannel;
    const TestDocument before = doc;
    TestRunReport report;
    EXPECT_EQ(Run(true, true, &report), 1) << c.label;
    EXPECT_EQ(Shown(), c.shown) << c.label;
    EXPECT_EQ(report.continueCalls, 0) << c.label;
    EXPECT_TRUE(host.requests.empty()) << c.label;
    EXPECT_EQ(doc.pixels, before.pixels) << c.label;
    ExpectEmptyRects(c.label);
    ExpectCleanEnd(c.label);
  }
}

// Counts the allocations the start phase makes, then fails each one in turn
// (the host refuses and so does the fallback heap behind it).
TEST_F(ShellRun, EachFailedAllocationOfTheStartPhaseEndsCleanly) {
  Start(6, 4);
  ASSERT_EQ(Call(kSelectorParameters), kNoErr);
  ASSERT_EQ(Call(kSelectorPrepare), kNoErr);
  const int32_t before = host.bufferAllocations;
  ASSERT_EQ(Call(kSelectorStart), kNoErr);
  const int32_t startAllocations = host.bufferAllocations - before;
  ASSERT_GE(startAllocations, 10);
  ShutdownTestHost(&host);

  for (int32_t n = 1; n <= startAllocations; ++n) {
    Start(6, 4);
    ASSERT_EQ(Call(kSelectorParameters), kNoErr);
    ASSERT_EQ(Call(kSelectorPrepare), kNoErr);
    host.failBufferAllocationAt = host.bufferAllocations + n;
    GlobalHeapFailAllocationAt(1);
    const HostError result = Call(kSelectorStart);
    GlobalHeapFailAllocationAt(0);
    const std::string label = "allocation " + std::to_string(n);
    if (n <= 10) {
      // The run buffers: out of memory, never a cancel.
      EXPECT_EQ(result, kMemFullErr) << label;
      EXPECT_EQ(Globals()->workRecord, nullptr) << label;
    }
    if (result != kNoErr) {
      ExpectEmptyRects(label.c_str());
    } else {
      // A run that could go on is finished by its continue calls.
      while (!RectIsEmpty(host.record.inRect) || !RectIsEmpty(host.record.outRect)) {
        ASSERT_EQ(Call(kSelectorContinue), kNoErr) << label;
      }
    }
    ExpectCleanEnd(label.c_str());
    ShutdownTestHost(&host);
  }
  Start(1, 1);
}

int gFailAdvanceAt = 0;
int gAdvanceCount = 0;
HostError FailingAdvanceState() {
  if (++gAdvanceCount == gFailAdvanceAt) return -30101;
  return TestHostAdvanceState();
}

TEST_F(ShellRun, AnAdvanceStateErrorDuringContinueEndsTheRunWithTheHostCode) {
  Start(5, 8);
  host.record.advanceState = FailingAdvanceState;
  gAdvanceCount = 0;
  gFailAdvanceAt = 6;  // well inside the continue phase
  TestRunReport report;
  EXPECT_EQ(Run(true, true, &report), -30101);
  EXPECT_EQ(report.selectors.back(), kSelectorContinue);
  EXPECT_EQ(Globals()->workRecord, nullptr);
  ExpectEmptyRects("advanceState error");
  ExpectCleanEnd("advanceState error");
}

TEST_F(ShellRun, AnAbortDuringContinueCancelsAtTheThrottledTest) {
  Start(3, 40);
  host.abortAtCall = 1;  // the host says yes whenever it is asked
  TestRunReport report;
  EXPECT_EQ(Run(true, true, &report), kUserCanceledErr);
  EXPECT_EQ(host.abortCalls, 1);  // asked once: on the 32nd row
  EXPECT_EQ(report.selectors.back(), kSelectorContinue);
  ExpectEmptyRects("abort");
  ExpectCleanEnd("abort");
}

TEST_F(ShellRun, FirstRunValuesApplyOnlyToTheRunThatCreatedTheGlobals) {
  Start(4, 3);
  ASSERT_EQ(Run(true, true), kNoErr);
  EXPECT_EQ(Block()->psdWidth, 100);
  EXPECT_EQ(Block()->psdSizeMode, 1);
  EXPECT_EQ(Globals()->firstRunFlag, 0);
  Block()->psdWidth = 555;
  ASSERT_EQ(Run(true, true), kNoErr);
  EXPECT_EQ(Block()->psdWidth, 555);
  // The records inside the globals follow the handle wherever it moved.
  EXPECT_EQ(Block()->globalsRecord, Globals());
  EXPECT_EQ(Globals()->images[0].owner, &Globals()->imageOwner);
  EXPECT_EQ(Globals()->thumbnailImage.owner, &Globals()->imageOwner);
  ExpectCleanEnd("second run");
}

TEST_F(ShellRun, FinishRecordsNothingOnAHostWithIncompleteDescriptorProcs) {
  for (int variant = 0; variant < 2; ++variant) {
    ShutdownTestHost(&host);
    Start(3, 2);
    if (variant == 0) host.writeProcs.putFloatProc = nullptr;
    if (variant == 1) host.descriptorParameters.descriptorParametersVersion = 1;
    EXPECT_EQ(Run(true, true), kNoErr) << variant;
    DescriptorList recorded;
    EXPECT_FALSE(GetTestHostDescriptor(&host, &recorded) && !recorded.empty()) << variant;
    // Without usable descriptors the parameters phase decides: the dialog ran.
    EXPECT_EQ(Shown(), std::vector<std::string>{"RIVADARORIREVODER"}) << variant;
    ExpectCleanEnd("incomplete descriptor procs");
  }
}

TEST_F(ShellRun, HostWithoutHandleOrBufferProcsRunsOnTheFallbackHeap) {
  TestHostOptions options;
  options.hasHandleProcs = false;
  options.hasBufferProcs = false;
  Start(4, 3, options);
  EXPECT_EQ(Run(true, true), kNoErr);
  EXPECT_EQ(host.bufferAllocations, 0);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  EXPECT_EQ(LockedHandleCount(&host), 0);
  // The globals and the parameter block live on the fallback heap, kept for
  // the host in its words; give them back as a host would on unloading.
  EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocksBefore + 4);
  DisposeHostHandle(nullptr, reinterpret_cast<HostHandleRef>(host.data));
  DisposeHostHandle(nullptr, host.record.parameters);
  host.data = 0;
  host.record.parameters = nullptr;
  EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocksBefore);
}

}  // namespace
