#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/band_rects.h"
#include "shell_fixture.h"

namespace {

// --- row bands of the final render -------------------------------------------

struct BandCase {
  const char* label;
  Rect filter;
  bool haveMask;
  uint8_t maskActive;
  int32_t currentRow;
  Rect in;  // outRect is the same
  Rect mask;
  int32_t maskFirst, maskLast, inFirst, inLast;
};

const BandCase kBandCases[] = {
    {"first row, mask", {10, 5, 15, 25}, true, 1, 0, {10, 5, 11, 25}, {10, 5, 12, 25}, 0, 1, 0, 0},
    {"middle row, mask", {10, 5, 15, 25}, true, 1, 2, {12, 5, 13, 25}, {10, 5, 14, 25}, 0, 3, 2, 2},
    {"last row, mask", {10, 5, 15, 25}, true, 1, 4, {14, 5, 15, 25}, {12, 5, 15, 25}, 2, 4, 4, 4},
    {"row past the end", {10, 5, 15, 25}, true, 1, 9, {14, 5, 15, 25}, {12, 5, 15, 25}, 2, 4, 4, 4},
    {"negative row", {10, 5, 15, 25}, true, 1, -3, {10, 5, 11, 25}, {10, 5, 12, 25}, 0, 1, 0, 0},
    {"no selection", {10, 5, 15, 25}, false, 1, 2, {12, 5, 13, 25}, {10, 5, 10, 5}, 0, -1, 2, 2},
    {"mask inactive", {10, 5, 15, 25}, true, 0, 2, {12, 5, 13, 25}, {10, 5, 10, 5}, 0, -1, 2, 2},
    {"one-row filter", {3, 0, 4, 8}, true, 1, 0, {3, 0, 4, 8}, {3, 0, 4, 8}, 0, 0, 0, 0},
};

TEST(SetNextBandRects, OneRowBandsWithTheirMaskBand) {
  for (const BandCase& c : kBandCases) {
    ShellFixtureState s;
    s.record.filterRect = c.filter;
    s.record.haveMask = c.haveMask;
    s.record.planes = 4;
    s.globals->maskActive = c.maskActive;
    s.globals->currentRow = c.currentRow;
    SetNextBandRects(s.globals.get());
    EXPECT_TRUE(SameRect(s.record.inRect, c.in)) << c.label << " in " << RectText(s.record.inRect);
    EXPECT_TRUE(SameRect(s.record.outRect, c.in)) << c.label << " out " << RectText(s.record.outRect);
    EXPECT_TRUE(SameRect(s.record.maskRect, c.mask)) << c.label << " mask " << RectText(s.record.maskRect);
    EXPECT_EQ(s.globals->maskFirstRow, c.maskFirst) << c.label;
    EXPECT_EQ(s.globals->maskLastRow, c.maskLast) << c.label;
    EXPECT_EQ(s.globals->inFirstRow, c.inFirst) << c.label;
    EXPECT_EQ(s.globals->inLastRow, c.inLast) << c.label;
    EXPECT_EQ(s.record.inLoPlane, 0);
    EXPECT_EQ(s.record.inHiPlane, 3);
    EXPECT_EQ(s.record.outHiPlane, 3);
    EXPECT_EQ(s.record.inputRate, 65536);
    EXPECT_EQ(s.record.maskRate, 65536);
    EXPECT_EQ(s.record.inputPadding, -1);
    EXPECT_EQ(s.record.outputPadding, -1);
    EXPECT_EQ(s.record.maskPadding, -1);
    // The work area is the whole filter rectangle at scale 1.
    EXPECT_EQ(s.globals->workWidth, c.filter.right - c.filter.left) << c.label;
    EXPECT_EQ(s.globals->clipLastRow, c.filter.bottom - c.filter.top - 1) << c.label;
    EXPECT_EQ(s.block->previewScale, 1);
  }
}

TEST(SetNextBandRects, ExportRunsMoveTheMaskBandByTheSavedFilterCorner) {
  ShellFixtureState s;
  s.SetFilter(10, 5, 15, 25);
  s.record.haveMask = 1;
  s.globals->currentRow = 2;
  s.globals->savedFilterRect = Rect{7, 3, 50, 60};
  s.block->runMode = RunModeExport;
  SetNextBandRects(s.globals.get());
  EXPECT_TRUE(SameRect(s.record.maskRect, Rect{17, 8, 21, 28})) << RectText(s.record.maskRect);
  // The band bounds were taken before the move.
  EXPECT_EQ(s.globals->maskFirstRow, 0);
  EXPECT_EQ(s.globals->maskLastRow, 3);
}

// --- whole, tile and scaled requests ------------------------------------------

int gAdvanceCalls = 0;
HostError gAdvanceAnswer = 0;
HostError CountingAdvanceState() {
  ++gAdvanceCalls;
  return gAdvanceAnswer;
}
HostError DisplayPixelsStub(const PSPixelMap*, const Rect32*, int32_t, int32_t, void*) { return 0; }

struct ScaledCase {
  const char* label;
  Rect filter;
  Rect preview;
  int32_t panX, panY, n;
  bool sampling;
  FourCC hostSig;
  Rect in, out, mask;
  Fixed16 rate;
};

constexpr FourCC kPsp8 = MakeFourCC('P', 'S', 'P', '8');
constexpr FourCC kOther = MakeFourCC('O', 'r', 'b', 'T');

const ScaledCase kScaledCases[] = {
    {"reduced by 4", {0, 0, 100, 200}, {0, 0, 1000, 1000}, 0, 0, 4, true, kOther,
     {0, 0, 25, 50}, {0, 0, 25, 50}, {0, 0, 25, 50}, 4 << 16},
    {"no sampling: full size", {0, 0, 100, 200}, {0, 0, 1000, 1000}, 0, 0, 4, false, kOther,
     {0, 0, 100, 200}, {0, 0, 100, 200}, {0, 0, 100, 200}, 1 << 16},
    {"panned and clipped", {0, 0, 100, 200}, {0, 0, 1000, 1000}, 30, -10, 2, true, kOther,
     {0, 15, 45, 100}, {0, 0, 45, 85}, {0, 15, 45, 100}, 2 << 16},
    {"limited to the preview", {0, 0, 100, 200}, {0, 0, 40, 60}, 0, 0, 1, true, kOther,
     {0, 0, 40, 60}, {0, 0, 40, 60}, {0, 0, 40, 60}, 1 << 16},
    {"older host moves the mask", {0, 0, 100, 200}, {0, 0, 1000, 1000}, 30, -10, 2, true, kPsp8,
     {0, 15, 45, 100}, {0, 0, 45, 85}, {-5, 15, 40, 100}, 2 << 16},
    {"filter off the origin", {20, 10, 60, 90}, {0, 0, 1000, 1000}, 0, 0, 2, true, kOther,
     {10, 5, 30, 45}, {20, 10, 40, 50}, {10, 5, 30, 45}, 2 << 16},
};

TEST(RequestScaledInput, AsksForTheWholePannedAreaAtTheReduction) {
  for (const ScaledCase& c : kScaledCases) {
    ShellFixtureState s;
    s.record.filterRect = c.filter;
    s.record.advanceState = CountingAdvanceState;
    s.record.displayPixels = DisplayPixelsStub;
    s.record.samplingSupport = c.sampling ? 1 : 0;
    s.record.hostSig = c.hostSig;
    s.globals->previewRect = c.preview;
    s.block->previewPanX = c.panX;
    s.block->previewPanY = c.panY;
    gAdvanceCalls = 0;
    gAdvanceAnswer = 0;
    RequestScaledInput(s.globals.get(), c.n);
    EXPECT_TRUE(SameRect(s.record.inRect, c.in)) << c.label << " in " << RectText(s.record.inRect);
    EXPECT_TRUE(SameRect(s.record.outRect, c.out)) << c.label << " out " << RectText(s.record.outRect);
    EXPECT_TRUE(SameRect(s.record.maskRect, c.mask)) << c.label << " mask " << RectText(s.record.maskRect);
    EXPECT_EQ(s.record.inputRate, c.rate) << c.label;
    EXPECT_EQ(s.record.maskRate, c.rate) << c.label;
    EXPECT_EQ(s.record.maskPadding, -1) << c.label;
    EXPECT_EQ(gAdvanceCalls, 1) << c.label;
    // After a delivered request the work area is the delivered input at its scale.
    EXPECT_EQ(s.globals->workWidth, c.in.right - c.in.left) << c.label;
    EXPECT_EQ(s.block->previewScale, c.rate >> 16) << c.label;
  }
}

TEST(RequestScaledInput, AFailedDeliveryLeavesTheHostCodeAndTheWorkArea) {
  ShellFixtureState s;
  s.SetFilter(0, 0, 100, 200);
  s.record.advanceState = CountingAdvanceState;
  s.record.displayPixels = DisplayPixelsStub;
  s.record.samplingSupport = 1;
  s.globals->previewRect = Rect{0, 0, 1000, 1000};
  s.globals->workWidth = 7;
  gAdvanceAnswer = -108;
  RequestScaledInput(s.globals.get(), 4);
  gAdvanceAnswer = 0;
  EXPECT_EQ(s.result, -108);
  EXPECT_EQ(s.globals->workWidth, 7);
}

TEST(RequestSourceRect, TileMovedIntoTheFilterWithOnePixelOut) {
  ShellFixtureState s;
  s.SetFilter(20, 10, 600, 900);
  s.globals->maskFirstRow = 123;  // band bounds are not touched by a tile request
  const Rect tile{0, 512, 512, 890};
  RequestSourceRect(s.globals.get(), &tile);
  EXPECT_TRUE(SameRect(s.record.inRect, Rect{20, 522, 532, 900})) << RectText(s.record.inRect);
  EXPECT_TRUE(SameRect(s.record.outRect, Rect{20, 10, 21, 11}));
  EXPECT_TRUE(SameRect(s.record.maskRect, Rect{20, 10, 20, 10}));
  EXPECT_EQ(s.record.inputRate, 65536);
  EXPECT_EQ(s.record.inputPadding, -1);
  EXPECT_EQ(s.globals->maskFirstRow, 123);
}

TEST(SetWholeFilterRects, WholeFilterWithTheMaskOnlyWhenThereIsOne) {
  for (int haveMask = 0; haveMask < 2; ++haveMask) {
    ShellFixtureState s;
    s.SetFilter(4, 6, 14, 26);
    s.record.haveMask = uint8_t(haveMask);
    SetWholeFilterRects(s.globals.get());
    EXPECT_TRUE(SameRect(s.record.inRect, Rect{4, 6, 14, 26}));
    EXPECT_TRUE(SameRect(s.record.outRect, Rect{4, 6, 14, 26}));
    EXPECT_TRUE(SameRect(s.record.maskRect, haveMask ? Rect{4, 6, 14, 26} : Rect{4, 6, 4, 6}));
    EXPECT_EQ(s.globals->inLastRow, 9);
  }
}

TEST(EmptyHostRects, AllThreeBecomeZero) {
  ShellFixtureState s;
  s.record.inRect = s.record.outRect = s.record.maskRect = Rect{1, 2, 3, 4};
  EmptyHostRects(s.globals.get());
  EXPECT_TRUE(SameRect(s.record.inRect, Rect{}));
  EXPECT_TRUE(SameRect(s.record.outRect, Rect{}));
  EXPECT_TRUE(SameRect(s.record.maskRect, Rect{}));
}

// --- preview geometry ------------------------------------------------------------

TEST(ComputePreviewScale, CeilingOfTheLargerRatioAndOneWithoutSampling) {
  struct Case {
    Rect image, preview;
    bool sampling;
    int32_t scale, reduction;
    Rect previewOut;
  };
  const Case cases[] = {
      {{0, 0, 100, 200}, {0, 0, 50, 50}, true, 4, 4, {0, 0, 25, 50}},
      {{0, 0, 100, 200}, {0, 0, 50, 50}, false, 1, 4, {0, 0, 25, 50}},
      {{0, 0, 30, 40}, {0, 0, 300, 400}, true, 1, 1, {0, 0, 30, 40}},
      {{0, 0, 101, 10}, {0, 0, 50, 50}, true, 3, 3, {0, 0, 33, 3}},
      // An empty preview must not divide by zero.
      {{0, 0, 10, 10}, {0, 0, 0, 0}, true, 10, 10, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    ShellFixtureState s;
    s.record.advanceState = CountingAdvanceState;
    s.record.displayPixels = DisplayPixelsStub;
    s.record.samplingSupport = c.sampling ? 1 : 0;
    Rect preview = c.preview;
    int32_t scale = -1;
    ComputePreviewScale(&c.image, &preview, &scale, s.globals.get());
    EXPECT_EQ(scale, c.scale) << RectText(c.image);
    EXPECT_EQ(s.globals->previewReduction, c.reduction) << RectText(c.image);
    EXPECT_TRUE(SameRect(preview, c.previewOut)) << RectText(preview);
  }
}

TEST(PreviewRects, FitInsetsByTwoAndCentreKeepsTheSize) {
  ShellFixtureState s;
  const Rect bounds{0, 0, 50, 80};
  const Rect rect{10, 10, 200, 60};
  Rect out{};
  FitPreviewRect(s.globals.get(), &bounds, &rect, &out);
  EXPECT_TRUE(SameRect(out, Rect{12, 12, 62, 58})) << RectText(out);

  Rect r{0, 0, 10, 21};
  const Rect on{100, 50, 201, 150};
  CentreRectOn(&r, &on);
  EXPECT_TRUE(SameRect(r, Rect{145, 90, 155, 111})) << RectText(r);
  Rect negative{0, 0, 4, 4};
  const Rect around{-9, -9, 0, 0};
  CentreRectOn(&negative, &around);  // (-9 + 0) / 2 truncates toward zero
  EXPECT_TRUE(SameRect(negative, Rect{-6, -6, -2, -2})) << RectText(negative);
}

// --- the mask ---------------------------------------------------------------------

TEST(GetMaskValue, ClipBoxMaskRowsAndHostWithoutSelection) {
  ShellFixtureState s;
  s.SetFilter(0, 0, 10, 6);
  s.globals->currentRow = 5;
  SetNextBandRects(s.globals.get());  // clip box 0..9 x 0..5, no mask
  EXPECT_EQ(GetMaskValue(0, 0, s.globals.get()), 255);
  EXPECT_EQ(GetMaskValue(5, 9, s.globals.get()), 255);
  EXPECT_EQ(GetMaskValue(6, 0, s.globals.get()), 0);
  EXPECT_EQ(GetMaskValue(-1, 0, s.globals.get()), 0);
  EXPECT_EQ(GetMaskValue(0, 10, s.globals.get()), 0);

  std::vector<uint8_t> mask(4 * 8);
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = uint8_t(i + 1);
  s.record.haveMask = 1;
  SetNextBandRects(s.globals.get());  // mask band rows 3..6
  s.record.maskData = mask.data();
  s.record.maskRowBytes = 8;
  EXPECT_EQ(GetMaskValue(0, 3, s.globals.get()), 1);
  EXPECT_EQ(GetMaskValue(2, 4, s.globals.get()), 8 + 3);
  EXPECT_EQ(GetMaskValue(5, 6, s.globals.get()), 24 + 6);
  EXPECT_EQ(GetMaskValue(2, 2, s.globals.get()), 0);  // above the band
  EXPECT_EQ(GetMaskValue(2, 7, s.globals.get()), 0);  // below the band
}

// --- layout codes -------------------------------------------------------------------

TEST(InputLayoutCodes, EdgeModesByInputProjection) {
  for (int32_t input = 1; input <= 29; ++input) {
    int32_t layout = FetchClamp, tile = 3;
    if (input == 1 || input == 24) layout = FetchWrapX, tile = 7;
    if (input == 5 || input == 12 || input == 20 || input == 25) layout = FetchWrapX, tile = 4;
    if (input == 11) layout = FetchWrapXY, tile = 3;
    EXPECT_EQ(InputLayoutClass(input), layout) << input;
    EXPECT_EQ(InputTileCode(input), tile) << input;
  }
}

// --- progress and abort throttles ------------------------------------------------

std::vector<int32_t> gProgressDone;
void RecordProgress(int32_t done, int32_t /*total*/) { gProgressDone.push_back(done); }

std::vector<int32_t> ReportSequence(const std::vector<int32_t>& values, int32_t runMode, bool source) {
  ShellFixtureState s;
  s.record.progressProc = RecordProgress;
  s.block->runMode = runMode;
  gProgressDone.clear();
  for (int32_t v : values) {
    if (source) {
      ReportProgressSource(s.globals.get(), v, 100);
    } else {
      ReportProgress(s.globals.get(), v, 100, 1);
    }
  }
  return gProgressDone;
}

std::vector<int32_t> Range(int32_t from, int32_t to) {
  std::vector<int32_t> v;
  for (int32_t i = from; i < to; ++i) v.push_back(i);
  return v;
}

TEST(ProgressThrottle, TheHostHearsTheFirstEvery32ndAndEveryJumpOfFive) {
  struct Case {
    const char* label;
    std::vector<int32_t> values;
    int32_t runMode;
    std::vector<int32_t> heard;
  };
  const Case cases[] = {
      {"jump of seven", {0, 1, 2, 3, 10}, RunModeHost, {0, 10}},
      {"steps of one", Range(0, 70), RunModeHost, {0, 32, 64}},
      {"steps of five", {0, 5, 10, 15}, RunModeHost, {0, 5, 10, 15}},
      {"zero always heard", {3, 0, 1, 0}, RunModeHost, {3, 0, 0}},
      {"preview reports nothing", {0, 10, 20}, RunModePreview, {}},
      {"export reports nothing to the host", {0, 10, 20}, RunModeExport, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReportSequence(c.values, c.runMode, false), c.heard) << c.label;
  }
  EXPECT_EQ(ReportSequence({0, 1, 2, 3, 10}, RunModeHost, true), (std::vector<int32_t>{0, 10}));
  EXPECT_TRUE(ReportSequence({0, 10}, RunModeExport, true).empty());
}

int gAbortCalls = 0;
HostBoolean gAbortAnswer = 0;
HostBoolean CountingAbort() {
  ++gAbortCalls;
  return gAbortAnswer;
}

TEST(AbortThrottle, TheHostIsAskedEvery32ndCallExceptInPreview) {
  struct Case {
    int32_t runMode;
    HostBoolean answer;
    int32_t calls;
    int32_t hostCalls;
    int32_t trueAnswers;
  };
  const Case cases[] = {
      {RunModeHost, 0, 31, 0, 0},  {RunModeHost, 1, 32, 1, 1},   {RunModeHost, 1, 100, 3, 3},
      {RunModeExport, 1, 64, 2, 2}, {RunModePreview, 1, 100, 0, 0},
  };
  for (const Case& c : cases) {
    ShellFixtureState s;
    s.record.abortProc = CountingAbort;
    s.block->runMode = c.runMode;
    gAbortCalls = 0;
    gAbortAnswer = c.answer;
    int32_t trueAnswers = 0;
    for (int32_t i = 0; i < c.calls; ++i) trueAnswers += TestAbort(s.globals.get()) ? 1 : 0;
    EXPECT_EQ(gAbortCalls, c.hostCalls) << c.runMode << " " << c.calls;
    EXPECT_EQ(trueAnswers, c.trueAnswers) << c.runMode << " " << c.calls;
  }
}

}  // namespace
