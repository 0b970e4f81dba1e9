// Which controls apply to which output projection, as a table: the rule on
// its own over the facts it reads, then the whole dialog over output, input
// projection and document depth.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "ui/control_bindings.h"
#include "ui/control_values.h"

namespace {

// Facts of an output: net, net of a solid, sphericon, curve net, net drawn by
// an output shape, multi-view sheet.
constexpr OutputFacts kPlain{0, 0, 0, 0, 0, 0};
constexpr OutputFacts kSolidNet{1, 1, 0, 0, 0, 0};
constexpr OutputFacts kFlatLayout{1, 0, 0, 0, 0, 0};
constexpr OutputFacts kSphericon{1, 0, 1, 0, 0, 0};
constexpr OutputFacts kCurveNet{1, 0, 0, 1, 0, 0};
constexpr OutputFacts kShapeNet{1, 0, 0, 0, 1, 0};
constexpr OutputFacts kMultiView{0, 0, 0, 0, 0, 1};

struct RuleCase {
  int32_t output;
  OutputFacts facts;
  uint8_t fov;
  uint8_t tabs;
  uint8_t facet;
  uint8_t faces;
};

TEST(OutputApplicability, FollowsTheRuleStepByStep) {
  const RuleCase cases[] = {
      // Named one by one.
      {36, kPlain, 0, 1, 0, 0},
      {37, kPlain, 0, 1, 0, 0},
      {1054, kPlain, 0, 1, 0, 0},
      {38, kPlain, 1, 1, 0, 0},
      {63, kPlain, 1, 0, 0, 0},
      // Field of view only.
      {14, kPlain, 1, 0, 0, 0},
      {15, kPlain, 1, 0, 0, 0},
      {16, kPlain, 1, 0, 0, 0},
      {18, kPlain, 1, 0, 0, 0},
      {52, kPlain, 1, 0, 0, 0},
      {56, kPlain, 1, 0, 0, 0},
      {58, kPlain, 1, 0, 0, 0},
      {60, kPlain, 1, 0, 0, 0},
      {65, kPlain, 1, 0, 0, 0},
      {68, kPlain, 1, 0, 0, 0},
      {135, kPlain, 1, 0, 0, 0},
      {136, kPlain, 1, 0, 0, 0},
      {255, kPlain, 1, 0, 0, 0},
      {64, kPlain, 1, 0, 0, 0},
      {73, kPlain, 1, 0, 0, 0},
      {74, kPlain, 1, 0, 0, 0},
      {82, kPlain, 1, 0, 0, 0},
      {85, kPlain, 1, 0, 0, 0},
      {88, kPlain, 1, 0, 0, 0},
      // Neither, by name.
      {83, kPlain, 0, 0, 0, 0},
      {86, kPlain, 0, 0, 0, 0},
      {137, kPlain, 0, 0, 0, 0},
      {1, kPlain, 0, 0, 0, 0},
      {61, kPlain, 0, 0, 0, 0},
      {17, kPlain, 0, 0, 0, 0},
      // Nets of solids have tabs, and the faces export.
      {7, kSolidNet, 0, 1, 1, 1},
      {14, kSolidNet, 1, 1, 1, 1},
      {64, kFlatLayout, 1, 0, 0, 1},
      // Outputs that take neither overrule the net.
      {70, kSolidNet, 0, 0, 1, 1},
      {176, kSolidNet, 0, 0, 1, 1},
      {10053, kPlain, 0, 0, 0, 0},
      {261, kPlain, 0, 0, 0, 0},
      {1035, kPlain, 0, 0, 0, 0},
      // 177..198: tabs without a field of view.
      {177, kPlain, 0, 1, 0, 0},
      {198, kSolidNet, 0, 1, 1, 1},
      {199, kPlain, 0, 0, 0, 0},
      {176, kPlain, 0, 0, 0, 0},
      // Sphericons, curve nets and shape nets take neither, whatever came before.
      {38, kSphericon, 0, 0, 0, 1},
      {14, kCurveNet, 0, 0, 0, 1},
      {36, kShapeNet, 0, 0, 0, 1},
      {159, kPlain, 0, 0, 0, 0},
      {160, kPlain, 0, 0, 0, 0},
      {172, kPlain, 0, 0, 0, 0},
      {173, kSolidNet, 0, 0, 1, 1},
      {180, kSphericon, 0, 0, 0, 1},
      // Multi-view sheets always have a field of view.
      {75, kMultiView, 1, 0, 0, 0},
      {79, kMultiView, 1, 0, 0, 0},
  };
  for (const RuleCase& c : cases) {
    const OutputApplicability a = ComputeOutputApplicability(c.output, c.facts);
    EXPECT_EQ(a.fov, c.fov) << "output " << c.output;
    EXPECT_EQ(a.tabs, c.tabs) << "output " << c.output;
    EXPECT_EQ(a.facet, c.facet) << "output " << c.output;
    EXPECT_EQ(a.faces, c.faces) << "output " << c.output;
  }
}

TEST(OutputApplicability, MultiViewOutputsAreTheFiveSheets) {
  for (int32_t output = 70; output <= 82; ++output) {
    EXPECT_EQ(GatherOutputFacts(output).multiView, output >= 75 && output <= 79 ? 1 : 0) << output;
  }
}

struct DialogCase {
  int32_t output;
  int32_t input;
  int16_t imageMode;
  int32_t depth;
  bool fov;
  bool tabs;
  bool glue;
};

TEST(EnableMatrix, OpenDialogByOutputInputAndDepth) {
  constexpr int16_t kRgb = kImageModeRGBColor;
  constexpr int16_t kRgb16 = kImageModeRGB48;
  constexpr int16_t kRgb32 = kImageModeRGB96;
  constexpr int16_t kGrey32 = kImageModeGray32;
  const DialogCase cases[] = {
      {1, 1, kRgb, 8, false, false, true},     {1, 29, kRgb, 8, false, false, true},
      {14, 1, kRgb, 8, true, false, true},     {14, 15, kRgb16, 16, true, false, true},
      {38, 1, kRgb, 8, true, true, true},      {38, 22, kRgb32, 32, true, true, false},
      {1054, 1, kRgb, 8, false, true, true},   {63, 7, kGrey32, 32, true, false, false},
      {36, 2, kRgb, 32, false, true, false},   {75, 1, kRgb, 8, true, false, true},
      {79, 27, kRgb16, 16, true, false, true}, {70, 1, kRgb, 8, false, false, true},
      {177, 3, kRgb, 8, false, true, true},    {255, 28, kRgb, 8, true, false, true},
      {10053, 1, kRgb, 8, false, false, true}, {159, 1, kRgb32, 32, false, false, false},
  };
  for (const DialogCase& c : cases) {
    DialogSession s;
    s.block.outputProjection = c.output;
    s.block.inputProjection = c.input;
    s.record.imageMode = c.imageMode;
    s.record.depth = c.depth;
    s.Open();
    MainDialog* d = s.dialog.get();
    const std::string what = "output " + std::to_string(c.output) + " input " + std::to_string(c.input) + " mode " +
                             std::to_string(c.imageMode);
    for (int32_t id : {59, 92, 58}) EXPECT_EQ(IsControlEnabled(d, id), c.tabs) << what << " id " << id;
    for (int32_t id : {103, 104, 102}) EXPECT_EQ(IsControlEnabled(d, id), c.fov) << what << " id " << id;
    for (int32_t id : {73, 70, 81}) EXPECT_EQ(IsControlEnabled(d, id), c.glue) << what << " id " << id;
    // Native windows: the glue combo and its cycle button; the faces checkbox.
    EXPECT_EQ(s.Item(kIdGlueCombo).enabled != 0, c.glue) << what;
    EXPECT_EQ(s.Item(kIdGlueCycle).enabled != 0, c.glue) << what;
    EXPECT_EQ(s.Item(kIdFaces).enabled != 0, IsControlEnabled(d, kIdFaces)) << what;
    // The edits and the facet button keep their native state.
    EXPECT_TRUE(s.Item(92).enabled) << what;
    EXPECT_TRUE(s.Item(104).enabled) << what;
    EXPECT_TRUE(s.Item(kIdFacet).enabled) << what;
    // The same output with another input projection enables the same.
    const OutputApplicability a = ComputeOutputApplicability(c.output, GatherOutputFacts(c.output));
    EXPECT_EQ(a.fov != 0, c.fov) << what;
    EXPECT_EQ(a.tabs != 0, c.tabs) << what;
  }
}

TEST(EnableMatrix, ChangingTheOutputKeepsFloatDocumentsWithoutGlue) {
  DialogSession s;
  s.record.imageMode = kImageModeRGB96;
  s.record.depth = 32;
  s.Open();
  MainDialog* d = s.dialog.get();
  for (int32_t output : {1, 14, 38, 75}) {
    s.block.outputProjection = output;
    WriteSettingsToControls(d);
    EXPECT_FALSE(IsControlEnabled(d, kIdGlueCombo)) << output;
    EXPECT_FALSE(s.Item(kIdGlueCombo).enabled) << output;
    EXPECT_FALSE(s.Item(kIdGlueCycle).enabled) << output;
  }
}

TEST(EnableMatrix, DisabledSlidersAndLabelsDrawGreyWithoutKnob) {
  DialogSession s;
  s.block.outputProjection = 1;  // neither tabs nor field of view
  s.Open();
  s.window->canvas.clear();
  StandInPaint(s.window);
  bool greyTabsLabel = false;
  for (const CanvasOp& op : StandInCanvasOps(s.window, CanvasOpKind::Text)) {
    if (op.text == "Tabs") greyTabsLabel = op.colour.red == 140 && op.colour.green == 140;
  }
  EXPECT_TRUE(greyTabsLabel);
  int32_t knobs = 0;
  for (const CanvasOp& op : StandInCanvasOps(s.window, CanvasOpKind::Bitmap)) knobs += op.bitmapId == 120;
  EXPECT_EQ(knobs, 4);  // latitude, longitude, spin, sharpen; not tabs or fov
  int32_t greyTracks = 0;
  for (const CanvasOp& op : StandInCanvasOps(s.window, CanvasOpKind::Fill)) {
    greyTracks += op.colour.red == 222 && op.colour.blue == 222 && op.rect.bottom - op.rect.top == 11;
  }
  EXPECT_EQ(greyTracks, 2);
}

}  // namespace
