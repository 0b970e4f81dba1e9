// The render run through the test host: rows in order, the throttled
// progress and abort, and the release of every buffer on every road out.
#include <string>
#include <vector>

#include "host/band_rects.h"
#include "tests/support/preview_rows.h"
#include "render/render_run.h"
#include "run_fixture.h"

namespace {

using RenderRun = RunFixture;

// The row number of each rendered row of a doc, -1 for a row left unchanged.
std::vector<int32_t> RowStates(const TestDocument& now, const TestDocument& before) {
  // A rendered row of the patterned document differs from it: the render
  // resamples it or shows the backdrop.
  std::vector<int32_t> states;
  const int16_t planes = DocumentPlanes(now);
  for (int32_t y = 0; y < now.height; ++y) {
    bool same = true;
    for (int32_t x = 0; x < now.width; ++x) {
      for (int16_t p = 0; p < planes; ++p) same = same && GetDocumentSample(now, x, y, p) == GetDocumentSample(before, x, y, p);
    }
    states.push_back(same ? -1 : y);
  }
  return states;
}

// Rows the host was asked to deliver for rendering, in order.
std::vector<int32_t> RowBands(const TestHost& host) {
  std::vector<int32_t> rows;
  const Rect& f = host.document->filterRect;
  for (const TestRequest& r : host.requests) {
    if (r.outRect.bottom - r.outRect.top == 1 && r.outRect.left == f.left && r.outRect.right == f.right &&
        r.inRect.top == r.outRect.top && (rows.empty() || rows.back() != r.outRect.top)) {
      rows.push_back(r.outRect.top);
    }
  }
  return rows;
}

// The host hears progress on the first row and every 32nd step after the
// source's report; it is asked about an abort on every 32nd step. An abort
// ends the run after the row of that step, keeping every row written.
TEST_F(RenderRun, ProgressAndAbortAreThrottledAndAnAbortKeepsTheWrittenRows) {
  using Progress = std::vector<std::pair<int32_t, int32_t>>;
  struct Case {
    int32_t abortAtCall;  // 0: the host never says yes
    HostError result;
    int32_t rowsWritten;
    int32_t abortCalls;
    Progress progress;
  };
  const Case cases[] = {
      {0, kNoErr, 70, 2, {{1, 100}, {0, 70}, {31, 70}, {63, 70}}},
      {1, kUserCanceledErr, 32, 1, {{1, 100}, {0, 70}, {31, 70}}},
      {2, kUserCanceledErr, 64, 2, {{1, 100}, {0, 70}, {31, 70}, {63, 70}}},
  };
  for (const Case& c : cases) {
    const std::string label = "abort at call " + std::to_string(c.abortAtCall);
    ShutdownTestHost(&host);
    NewDocument(6, 70);
    OpenHost();
    host.abortAtCall = c.abortAtCall;
    const TestDocument before = doc;
    ASSERT_EQ(PrepareAndStart(), kNoErr) << label;
    EXPECT_EQ(ContinueToEnd(), c.result) << label;
    EXPECT_EQ(host.abortCalls, c.abortCalls) << label;
    EXPECT_EQ(host.progress, c.progress) << label;
    const std::vector<int32_t> states = RowStates(doc, before);
    for (int32_t y = 0; y < 70; ++y) EXPECT_EQ(states[size_t(y)], y < c.rowsWritten ? y : -1) << label << " row " << y;
    ExpectCleanEnd(label);
  }
}

TEST_F(RenderRun, AnImageOneRowHighIsDoneInOneStep) {
  NewDocument(5, 1);
  OpenHost();
  const TestDocument before = doc;
  ASSERT_EQ(PrepareAndStart(), kNoErr);
  int32_t calls = 0;
  EXPECT_EQ(ContinueToEnd(&calls), kNoErr);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(RowStates(doc, before), std::vector<int32_t>{0});
  ExpectCleanEnd("one row");
}

int gFailAdvanceAt = 0;
int gAdvanceCount = 0;
HostError FailingAdvanceState() {
  if (++gAdvanceCount == gFailAdvanceAt) return -30101;
  return TestHostAdvanceState();
}

// An advanceState error while the tiles are read ends the run before any
// row is asked for; later it ends the run with the rows so far. Either way
// every buffer of the run goes back, the soccer mesh and the cube faces too.
TEST_F(RenderRun, AnAdvanceStateErrorEndsTheRunAndReleasesEverything) {
  struct Case {
    int32_t failAt;
    bool inStart;
  };
  // Two tiles, the scaled request, then one call per row.
  const Case cases[] = {{1, true}, {2, true}, {3, true}, {4, true}, {5, false}, {12, false}};
  for (int32_t input : {1, 27, 29}) {
    for (const Case& c : cases) {
      const std::string label = "input " + std::to_string(input) + ", failing call " + std::to_string(c.failAt);
      ShutdownTestHost(&host);
      NewDocument(600, 12);
      OpenHost();
      host.record.advanceState = FailingAdvanceState;
      gAdvanceCount = 0;
      gFailAdvanceAt = c.failAt;
      const TestDocument before = doc;
      const HostError started = PrepareAndStart(input);
      const HostError continued = ContinueToEnd();
      EXPECT_EQ(c.inStart ? started : continued, -30101) << label;
      if (c.failAt <= 2) {
        EXPECT_TRUE(RowBands(host).empty()) << label;
        EXPECT_EQ(doc.pixels, before.pixels) << label;
      }
      ExpectCleanEnd(label);
    }
  }
}

// Every allocation of a whole run fails in turn (the host refuses and so
// does the heap behind it): the run either ends with a code or goes on
// without what it could not have, and leaves nothing behind. A source image
// that cannot be had renders nothing.
TEST_F(RenderRun, EachFailedAllocationOfARunEndsCleanly) {
  for (int32_t input : {1, 27, 29}) {
    ShutdownTestHost(&host);
    NewDocument(600, 6);
    OpenHost();
    ASSERT_EQ(PrepareAndStart(input), kNoErr);
    ASSERT_EQ(ContinueToEnd(), kNoErr);
    const int32_t allocations = host.bufferAllocations;
    ASSERT_GE(allocations, 12);

    bool sawSourceFailure = false;
    for (int32_t n = 1; n <= allocations; ++n) {
      const std::string label = "input " + std::to_string(input) + ", allocation " + std::to_string(n);
      ShutdownTestHost(&host);
      NewDocument(600, 6);
      OpenHost();
      const TestDocument before = doc;
      host.failBufferAllocationAt = n;
      GlobalHeapFailAllocationAt(1);
      HostError result = PrepareAndStart(input);
      const HostError continued = ContinueToEnd();
      GlobalHeapFailAllocationAt(0);
      if (result == kNoErr) result = continued;
      if (result == kSourceImageUnavailable) {
        sawSourceFailure = true;
        EXPECT_TRUE(RowBands(host).empty()) << label;
        EXPECT_EQ(doc.pixels, before.pixels) << label;
      }
      EXPECT_TRUE(result == kNoErr || result == kMemFullErr || result == kSourceImageUnavailable) << label << ": "
                                                                                                   << result;
      ExpectCleanEnd(label);
    }
    EXPECT_TRUE(sawSourceFailure) << input;
  }
}

// The preview renders every row in one call, never asks the host about an
// abort, and shows the finished rows: after each row, or every 100th row on
// hosts that redraw slowly.
TEST_F(RenderRun, ThePreviewNeverAsksAboutAnAbortAndShowsRowsAsTheHostAllows) {
  struct Case {
    FourCC hostSig;
    int32_t height;
    std::vector<int32_t> shown;
  };
  std::vector<int32_t> everyRow;
  for (int32_t r = 0; r < 7; ++r) everyRow.push_back(r);
  const Case cases[] = {
      {MakeFourCC('O', 'r', 'b', 'T'), 7, everyRow},
      {MakeFourCC('8', 'B', 'I', 'M'), 250, {99, 199}},
      {MakeFourCC('8', 'E', 'L', 'E'), 99, {}},
  };
  for (const Case& c : cases) {
    ShutdownTestHost(&host);
    NewDocument(4, c.height);
    TestHostOptions options;
    options.hostSig = c.hostSig;
    OpenHost(options);
    host.abortAtCall = 1;
    ASSERT_EQ(PrepareAndStart(), kNoErr);
    GlobalsRecord* g = Direct();
    Block()->runMode = RunModePreview;
    SetWholeFilterRects(g);
    ASSERT_EQ(TestHostAdvanceState(), kNoErr);
    const int32_t abortCallsBefore = host.abortCalls;
    ShownPreviewRows().clear();
    RenderWholeImage(g);
    EXPECT_EQ(directResult, kNoErr);
    EXPECT_EQ(host.abortCalls, abortCallsBefore);
    EXPECT_EQ(ShownPreviewRows(), c.shown);
    EXPECT_EQ(g->bandActive, 0);
    Block()->runMode = RunModeHost;
    host.abortAtCall = 0;
    SetNextBandRects(g);
    EXPECT_EQ(ContinueToEnd(), kNoErr);
    ExpectCleanEnd("preview");
  }
}

// The soccer input's net is built into its own host buffer by the
// preparation and given back by FinishRender.
TEST_F(RenderRun, TheSoccerMeshLivesFromPreparationToFinish) {
  NewDocument(8, 3);
  OpenHost();
  ASSERT_EQ(PrepareAndStart(29), kNoErr);
  GlobalsRecord* g = Direct();
  ASSERT_NE(g->inputMesh, nullptr);
  const int32_t live = LiveBufferCount(&host);
  PrepareRender(g);  // a second preparation replaces the mesh, it does not add one
  EXPECT_EQ(LiveBufferCount(&host), live);
  FinishRender(g);
  EXPECT_EQ(g->inputMesh, nullptr);
  EXPECT_EQ(LiveBufferCount(&host), live - 1);
  PrepareRender(g);
  EXPECT_NE(g->inputMesh, nullptr);
  EXPECT_EQ(ContinueToEnd(), kNoErr);
  ExpectCleanEnd("soccer");
}

TEST_F(RenderRun, AFailedRunAllocationEmptiesTheRectangles) {
  NewDocument(8, 3);
  OpenHost();
  ASSERT_EQ(PrepareAndStart(), kNoErr);
  GlobalsRecord* g = Direct();
  EXPECT_EQ(CanAllocateRunBuffers(), 1);
  FailRunAllocation(g);
  EXPECT_EQ(directResult, kRunAllocationFailed);
  EXPECT_TRUE(RectIsEmpty(host.record.inRect) && RectIsEmpty(host.record.outRect) &&
              RectIsEmpty(host.record.maskRect));
  FreeRunBuffers(g);
  FreeRunBuffers(g);  // a second release finds nothing to free
  EXPECT_EQ(LiveBufferCount(&host), 0);
}

}  // namespace
