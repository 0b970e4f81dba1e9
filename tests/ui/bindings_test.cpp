// Reading and writing the main dialog's controls and the bindings between
// controls and settings, on the stand-in.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "ui/choice_popups.h"
#include "ui/control_bindings.h"
#include "ui/control_values.h"

namespace {

struct SliderReadCase {
  const char* what;
  int32_t edit;
  const char* typed;
  double read;
  const char* shownAfter;  // the edit's text after the read
};

TEST(SliderReads, ClampAndWriteBackOnlyWhatClampingChanged) {
  const SliderReadCase cases[] = {
      {"tabs above the range", 92, "200", 100, "100"},
      {"latitude above", 86, "500", 90, "90"},
      {"latitude below", 86, "-500", -90, "-90"},
      {"spin below with a fraction", 85, "-180.5", -180, "-180"},
      {"fov inside keeps the text", 104, "12.75", 12.75, "12.75"},
      {"non-numeric tabs read 0, the minimum", 92, "abc", 0, "abc"},
      {"non-numeric sharpen with a sign read 0", 93, "-x", 0, "-x"},
      {"non-numeric latitude read 0, inside the range", 86, "abc", 0, "abc"},
      {"empty fov", 104, "", 0, ""},
      {"leading blanks and trailing junk", 91, "  45deg", 45, "  45deg"},
      {"exponent", 91, "1.5e2", 150, "1.5e2"},
      {"too large for a double", 91, "1e999", 180, "180"},
      {"hex is no number", 91, "0x10", 0, "0x10"},
      {"nan is no number", 86, "nan", 0, "nan"},
      {"inf is no number", 86, "-inf", 0, "-inf"},
      {"below the minimum by a fraction", 92, "-0.25", 0, "0"},
      {"comma stops the number", 86, "12,5", 12, "12,5"},
  };
  for (const SliderReadCase& c : cases) {
    DialogSession s;
    s.Open();
    s.SetText(c.edit, c.typed);  // as typed: the preview timer runs
    ASSERT_TRUE(StandInTimerRunning(s.window, kPreviewTimerId)) << c.what;
    EXPECT_DOUBLE_EQ(ReadControlValue(s.dialog.get(), GetControlDescriptor(c.edit).mainId), c.read) << c.what;
    EXPECT_EQ(s.Text(c.edit), c.shownAfter) << c.what;
    // Rewriting the edit is the program's own write: the typed value's timer runs on.
    EXPECT_TRUE(StandInTimerRunning(s.window, kPreviewTimerId)) << c.what;
  }
}

TEST(SliderReads, ALongTextIsReadFromItsFirst256Characters) {
  DialogSession s;
  s.Open();
  std::string text(300, '9');
  s.SetText(86, text.c_str());
  EXPECT_DOUBLE_EQ(ReadControlValue(s.dialog.get(), 37), 90);
  text = std::string(256, ' ') + "7";  // the number starts past the 256th character
  s.SetText(92, text.c_str());
  EXPECT_DOUBLE_EQ(GetEditNumber(s.dialog.get(), 92), 0);
  EXPECT_DOUBLE_EQ(GetEditNumber(s.dialog.get(), kNoControl), 0);
}

TEST(ControlWrites, SlidersTakeTheWholeValueAndTheEditTheNumber) {
  DialogSession s;
  s.Open();
  MainDialog* d = s.dialog.get();
  struct Case {
    int32_t slider;
    float value;
    int32_t sliderValue;
    const char* edit;
  } cases[] = {
      {37, 12.5f, 12, "12.5"},
      {37, -12.5f, -12, "-12.5"},
      {57, 179.99f, 179, "179.99"},
      {39, 0.0f, 0, "0"},
      {103, 1234567.0f, 1234567, "1.23457e+06"},
      {59, -0.0f, 0, "0"},
      {61, 33.333333f, 33, "33.3333"},
  };
  for (const auto& c : cases) {
    WriteControlValue(d, c.slider, c.value);
    EXPECT_EQ(GetControlValue(d, c.slider), c.sliderValue) << c.value;
    EXPECT_EQ(s.Text(GetControlDescriptor(c.slider).editId), c.edit) << c.value;
    // The edit's change report was the program's own write: no timer armed.
    EXPECT_FALSE(StandInTimerRunning(s.window, kPreviewTimerId)) << c.value;
    EXPECT_FALSE(d->previewTimerArmed) << c.value;
  }
}

TEST(ControlWrites, TheEditEchoesItsChangeWhileTheProgramWrites) {
  // Count the edit's change reports and whether they came from the program.
  struct Probe {
    MainDialog* dialog;
    std::vector<int32_t> programmatic;
  };
  static Probe probe;
  DialogSession s;
  probe = Probe{s.dialog.get(), {}};
  DialogHandler wrapped = [](void* state, const DialogPort* port, const DialogEvent* event) -> int32_t {
    if (event->kind == DialogEventKind::Command && event->code == kNotifyEditChanged) {
      probe.programmatic.push_back(probe.dialog->programmaticEdits);
    }
    return MainDialogHandler(state, port, event);
  };
  s.window = OpenStandInDialog(kMainDialogTemplate, wrapped, s.dialog.get(), nullptr, 1);
  const size_t atOpen = probe.programmatic.size();
  EXPECT_EQ(atOpen, 6u);  // each slider's edit written once by the opening
  for (int32_t flag : probe.programmatic) EXPECT_GT(flag, 0);
  StandInType(s.window, 86, "40");  // the user types: no program write in progress
  ASSERT_EQ(probe.programmatic.size(), atOpen + 1);
  EXPECT_EQ(probe.programmatic.back(), 0);
}

TEST(ChoiceControls, ValuesCountFromOne) {
  DialogSession s;
  s.Open();
  MainDialog* d = s.dialog.get();
  WriteControlValue(d, kIdInputCombo, 29);
  EXPECT_EQ(s.Item(kIdInputCombo).selection, 28);
  EXPECT_EQ(s.Item(kIdInputCombo).choices.at(28), "soccer");
  EXPECT_EQ(ReadControlValue(d, kIdInputCombo), 29);
  WriteControlValue(d, kIdOutputCombo, 1);
  EXPECT_EQ(s.Item(kIdOutputCombo).selection, 0);
  ASSERT_TRUE(StandInPickChoice(s.window, kIdGlueCombo, 61));
  EXPECT_EQ(ReadControlValue(d, kIdGlueCombo), 62);
  EXPECT_EQ(GetControlValue(d, kIdGlueCombo), 62);
}

TEST(ChoiceControls, NothingSelectedReadsAsWhatWasWritten) {
  DialogSession s;
  s.Open();
  MainDialog* d = s.dialog.get();
  // Nothing was ever written or picked: 0.
  StoreControlValue(d, kIdGridCombo, 0);
  PortSetChoiceSelection(d->port, kIdGridCombo, -1);
  EXPECT_EQ(ReadControlValue(d, kIdGridCombo), 0);
  // An output the list cannot show stays the output: it is not lost to 0.
  for (int32_t output : {0, 256, 1054, 10053, 60000}) {
    WriteControlValue(d, kIdOutputCombo, float(output));
    EXPECT_EQ(s.Item(kIdOutputCombo).selection, -1) << output;
    EXPECT_EQ(ReadControlValue(d, kIdOutputCombo), output) << output;
  }
}

TEST(Checkboxes, TickForAnyNonZeroValueAndReadOneOrZero) {
  DialogSession s;
  s.Open();
  MainDialog* d = s.dialog.get();
  for (float v : {1.0f, 2.0f, -1.0f, 0.5f}) {
    WriteControlValue(d, 48, v);
    const bool ticked = int32_t(v) != 0;
    EXPECT_EQ(s.Item(48).check, ticked ? 1 : 0) << v;
    EXPECT_EQ(ReadControlValue(d, 48), ticked ? 1 : 0) << v;
  }
  ASSERT_TRUE(StandInClick(s.window, 48));
  EXPECT_EQ(ReadControlValue(d, 48), 1);
  EXPECT_EQ(GetControlValue(d, 48), 1);
}

TEST(Bindings, OpeningTheDialogKeepsSettingsThatFitTheControls) {
  DialogSession s;
  s.block.latitude = 12.5f;
  s.block.longitude = -170.25f;
  s.block.spin = 33;
  s.block.fov = 95;
  s.block.tabs = 40;
  s.block.sharpen = 7.5f;
  s.block.inputProjection = 17;
  s.block.outputProjection = 200;
  s.block.glue = 12;
  s.block.previewQuality = 3;
  s.block.grid = 2;
  s.block.grid2 = 6;
  s.block.flip = 1;
  s.block.faces = 1;
  s.block.transparentGaps = 1;
  s.block.indicatrix = 1;
  s.block.edges = 1;
  s.block.anamorphosis = 1;
  s.block.dehalo = 1;
  s.block.autoPreview = 1;
  s.block.tabRed = 0x1234;
  s.block.backdropBlue = 0xFF00;
  const ParameterBlock before = s.block;
  s.Open();
  EXPECT_EQ(s.block.latitude, 12.5f);
  EXPECT_EQ(s.block.longitude, -170.25f);
  EXPECT_EQ(s.block.spin, 33.0f);
  EXPECT_EQ(s.block.fov, 95.0f);
  EXPECT_EQ(s.block.tabs, 40.0f);
  EXPECT_EQ(s.block.sharpen, 7.5f);
  EXPECT_EQ(s.block.inputProjection, 17);
  EXPECT_EQ(s.block.outputProjection, 200);
  EXPECT_EQ(s.block.glue, 12);
  EXPECT_EQ(s.block.previewQuality, 3);
  // The grid combo is bound twice: it shows grid2 and reads into both.
  EXPECT_EQ(s.Item(kIdGridCombo).selection, 5);
  EXPECT_EQ(s.block.grid, 6);
  EXPECT_EQ(s.block.grid2, 6);
  for (int32_t id : {30, 48, 105, 90, 71, 118, 28, 4}) EXPECT_EQ(s.Item(id).check, 1) << id;
  EXPECT_EQ(s.block.indicatrix, 1);  // bound twice, to the same effect
  EXPECT_EQ(s.block.tabRed, before.tabRed);
  EXPECT_EQ(s.block.backdropBlue, before.backdropBlue);
  EXPECT_EQ(s.Text(86), "12.5");
  EXPECT_EQ(s.Text(91), "-170.25");
  EXPECT_EQ(GetControlValue(s.dialog.get(), 57), -170);
  // The integer twins are not bound.
  EXPECT_EQ(s.block.latitudeInteger, before.latitudeInteger);
  EXPECT_EQ(s.block.fovInteger, before.fovInteger);
}

TEST(Bindings, OpeningClampsSettingsOutsideTheControls) {
  DialogSession s;
  s.block.latitude = 123.0f;
  s.block.tabs = -5.0f;
  s.block.spin = 12.3456789f;  // shown with six digits, and read back so
  s.Open();
  EXPECT_EQ(s.block.latitude, 90.0f);
  EXPECT_EQ(s.Text(86), "90");
  EXPECT_EQ(s.block.tabs, 0.0f);
  EXPECT_EQ(s.block.spin, 12.3457f);
}

TEST(Bindings, ReadingSetsEverySettingFromItsControl) {
  DialogSession s;
  s.Open();
  MainDialog* d = s.dialog.get();
  StandInType(s.window, 85, "-45.5");
  StandInType(s.window, 104, "300");
  StandInPickChoice(s.window, kIdQualityCombo, 0);
  StandInPickChoice(s.window, kIdOutputCombo, 254);
  StandInPickChoice(s.window, kIdGridCombo, 6);
  StandInClick(s.window, 118);
  const uint16_t colour[3] = {0x0100, 0x8000, 0xFFFF};
  SetControlColour(d, kIdBackdropColour, colour);
  ReadControlsToSettings(d);
  EXPECT_EQ(s.block.spin, -45.5f);
  EXPECT_EQ(s.block.fov, 180.0f);
  EXPECT_EQ(s.Text(104), "180");
  EXPECT_EQ(s.block.previewQuality, 1);
  EXPECT_EQ(s.block.outputProjection, 255);
  EXPECT_EQ(s.block.grid, 7);
  EXPECT_EQ(s.block.grid2, 7);
  EXPECT_EQ(s.block.edges, 1);
  EXPECT_EQ(s.block.backdropRed, 0x0100);
  EXPECT_EQ(s.block.backdropGreen, 0x8000);
  EXPECT_EQ(s.block.backdropBlue, 0xFFFF);
}

TEST(Bindings, ColourButtonsShowTheSettingsColour) {
  DialogSession s;
  s.block.tabRed = 0xAB12;
  s.block.tabGreen = 0x0034;
  s.block.tabBlue = 0xFFFF;
  s.Open();
  // The swatch inside the button is filled with the high bytes.
  bool found = false;
  for (const CanvasOp& op : StandInCanvasOps(s.window, CanvasOpKind::Fill)) {
    if (op.rect.left == 61 + 2 && op.rect.top == 217 + 2 && op.colour.red == 0xAB && op.colour.green == 0x00 &&
        op.colour.blue == 0xFF) {
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
