#include <gtest/gtest.h>

#include <cstring>

#include "platform/testhost/test_host.h"

namespace {

// The filter record is packed: its pointers are read by value, never bound by reference.
const void* Ptr(const void* p) { return p; }

// A small filter that inverts its filter rectangle one row a band, either
// through advanceState or, on a host without it, through continue calls.
struct InvertState {
  int32_t row;
  std::vector<int16_t> selectors;
};
InvertState invertState;

void RequestRow(FilterRecord* fr, int32_t row) {
  fr->inRect = fr->outRect = fr->filterRect;
  fr->inRect.top = fr->outRect.top = int16_t(fr->filterRect.top + row);
  fr->inRect.bottom = fr->outRect.bottom = int16_t(fr->filterRect.top + row + 1);
  fr->inLoPlane = fr->outLoPlane = 0;
  fr->inHiPlane = fr->outHiPlane = int16_t(fr->planes - 1);
  fr->inputRate = fr->maskRate = 1 << 16;
  fr->inputPadding = fr->outputPadding = fr->maskPadding = -1;
}

void InvertRow(FilterRecord* fr) {
  const int32_t n = (fr->filterRect.right - fr->filterRect.left) * fr->planes;
  const auto* in = static_cast<const uint8_t*>(fr->inData);
  auto* out = static_cast<uint8_t*>(fr->outData);
  for (int32_t i = 0; i < n; ++i) out[i] = uint8_t(255 - in[i]);
}

void InvertEntry(int16_t selector, FilterRecord* fr, intptr_t* /*data*/, int16_t* result) {
  invertState.selectors.push_back(selector);
  const int32_t rows = fr->filterRect.bottom - fr->filterRect.top;
  switch (selector) {
    case kSelectorStart:
      invertState.row = 0;
      RequestRow(fr, 0);
      if (fr->advanceState) {
        for (;;) {
          if ((*result = fr->advanceState()) != 0) return;
          InvertRow(fr);
          if (++invertState.row == rows) break;
          RequestRow(fr, invertState.row);
        }
        fr->inRect = fr->outRect = fr->maskRect = Rect{};
      }
      break;
    case kSelectorContinue:
      InvertRow(fr);
      if (++invertState.row == rows) {
        fr->inRect = fr->outRect = fr->maskRect = Rect{};
      } else {
        RequestRow(fr, invertState.row);
      }
      break;
    default:
      break;
  }
}

class TestHostRun : public ::testing::TestWithParam<bool> {};

TEST_P(TestHostRun, RunsTheSelectorsInHostOrderAndCommitsEveryBand) {
  const bool withAdvanceState = GetParam();
  TestDocument doc = MakeTestDocument(7, 6, 3, 8, true);
  FillDocumentPattern(doc, 3);
  SetDocumentFilterRect(doc, 1, 2, 6, 5);
  const TestDocument before = doc;
  TestHost host;
  TestHostOptions options;
  options.hasAdvanceState = withAdvanceState;
  InitTestHost(&host, &doc, options);
  invertState = {};
  TestRunReport report;
  EXPECT_EQ(RunFilterSelectors(&host, InvertEntry, {}, &report), kNoErr);
  const std::vector<int16_t> expected =
      withAdvanceState
          ? std::vector<int16_t>{kSelectorParameters, kSelectorPrepare, kSelectorStart, kSelectorFinish}
          : std::vector<int16_t>{kSelectorParameters, kSelectorPrepare, kSelectorStart, kSelectorContinue,
                                 kSelectorContinue, kSelectorContinue, kSelectorFinish};
  EXPECT_EQ(report.selectors, expected);
  EXPECT_EQ(invertState.selectors, expected);
  EXPECT_EQ(host.requests.size(), 3u);
  for (int32_t y = 0; y < doc.height; ++y) {
    for (int32_t x = 0; x < doc.width; ++x) {
      const bool inFilter = x >= 1 && x < 6 && y >= 2 && y < 5;
      for (int16_t p = 0; p < 4; ++p) {
        const double b = GetDocumentSample(before, x, y, p);
        ASSERT_EQ(GetDocumentSample(doc, x, y, p), inFilter ? 255 - b : b) << x << "," << y << "," << p;
      }
    }
  }
  EXPECT_EQ(Ptr(host.record.inData), nullptr);  // dropped when the call returned
  ShutdownTestHost(&host);
}

INSTANTIATE_TEST_SUITE_P(AdvanceState, TestHostRun, ::testing::Bool());

void FailingStart(int16_t selector, FilterRecord*, intptr_t*, int16_t* result) {
  if (selector == kSelectorStart) *result = kUserCanceledErr;
}

TEST(TestHostRunStops, AtTheFirstError) {
  TestDocument doc = MakeTestDocument(2, 2, 1, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, {});
  TestRunReport report;
  TestRunOptions options;
  options.withParameters = false;
  EXPECT_EQ(RunFilterSelectors(&host, FailingStart, options, &report), kUserCanceledErr);
  EXPECT_EQ(report.selectors, (std::vector<int16_t>{kSelectorPrepare, kSelectorStart}));
  ShutdownTestHost(&host);
}

// The data word survives between calls: a filter that keeps a handle there
// finds it again (and in the moving mode, finds it moved).
void KeepsGlobals(int16_t selector, FilterRecord* fr, intptr_t* data, int16_t* result) {
  if (selector == kSelectorParameters) {
    HostHandleRef h = fr->handleProcs->newProc(4);
    std::memcpy(*h, "abc", 4);
    *data = reinterpret_cast<intptr_t>(h);
    return;
  }
  auto h = reinterpret_cast<HostHandleRef>(*data);
  char* p = fr->handleProcs->lockProc(h, 1);
  if (std::strcmp(p, "abc") != 0) *result = 1;
  fr->handleProcs->unlockProc(h);
}

TEST(TestHostRunKeeps, TheDataWordAndMovesItsBlock) {
  TestDocument doc = MakeTestDocument(2, 2, 1, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, {});
  host.moveUnlockedHandles = true;
  EXPECT_EQ(RunFilterSelectors(&host, KeepsGlobals, {}, nullptr), kNoErr);
  EXPECT_EQ(host.handleLocks, host.handleUnlocks);
  EXPECT_EQ(host.handleLocks, 3);
  ShutdownTestHost(&host);
}

}  // namespace
