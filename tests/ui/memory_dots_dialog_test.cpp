// The memory dots of the main dialog in a filter run through the test host:
// every gesture (store, load, protect, clear, hover, the pressed look and the
// thumbnail click), the opening settings kept in a free dot, and the dot map
// written only when the run ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialog_run_fixture.h"
#include "ui/control_drawing.h"
#include "ui/control_values.h"
#include "ui/memory_dot_controls.h"

namespace {

constexpr int32_t kLatitudeEdit = 86;

std::string DotFile(int32_t dot) {
  return DialogRun::TemporaryFile("Orbalix 2 memory dot " + std::to_string(dot) + ".q2q");
}
std::string MapFile() { return DialogRun::TemporaryFile("Orbalix 2 memdot map 2"); }

std::vector<int32_t> ReadMap() {
  std::ifstream in(MapFile(), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int32_t> words;
  for (size_t k = 0; k + 4 <= bytes.size(); k += 4) {
    words.push_back(int32_t(uint32_t(bytes[k]) << 24 | uint32_t(bytes[k + 1]) << 16 | uint32_t(bytes[k + 2]) << 8 |
                            bytes[k + 3]));
  }
  return words;
}

int32_t State(int32_t dot) { return GetDotState(DialogRun::Dialog(), dot); }
int32_t Mark(int32_t dot) { return GetDotMark(DialogRun::Dialog(), dot); }

TEST(MemoryDots, EveryGestureAndTheMapWrittenOnlyWhenTheRunEnds) {
  DialogRun r;
  r.NewDocument(120, 60);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog*) {
    // The opening settings went into the first free dot, which is current.
    EXPECT_EQ(State(0), kDotCurrent);
    EXPECT_EQ(Mark(0), 0);
    EXPECT_TRUE(std::filesystem::exists(DotFile(0)));
    EXPECT_EQ(ShownDot(DialogRun::Dialog()), 0);
    EXPECT_TRUE(DialogRun::Dialog()->dotThumbnailLoaded);
  });
  r.steps.push_back([&](StandInDialog* d) {
    // Store: an empty dot clicked keeps the settings and is protected.
    StandInType(d, kLatitudeEdit, "40");
    DialogRun::ClickWithMouse(d, kMemoryDotIds[3]);
    EXPECT_EQ(State(3), kDotCurrent);
    EXPECT_EQ(Mark(3), 1);
    EXPECT_EQ(State(0), kDotFilled);
    EXPECT_TRUE(std::filesystem::exists(DotFile(3)));
    EXPECT_EQ(ShownDot(DialogRun::Dialog()), 3);
    // The dot's thumbnail is drawn 1:1 inside the thumbnail frame.
    const ItemRect frame = DialogRun::RectOf(d, kIdDotThumbnail);
    bool drawn = false;
    for (const CanvasOp& op : StandInCanvasOps(d, CanvasOpKind::Pixels)) {
      drawn = drawn || (op.x0 == frame.left + 4 && op.y0 == frame.top + 4 && op.width == 88 && op.height == 88);
    }
    EXPECT_TRUE(drawn);
    // Ctrl stores without protecting; a right click on an empty dot stores too.
    DialogRun::ClickWithMouse(d, kMemoryDotIds[4], kMouseLeft, kKeyControl);
    EXPECT_EQ(State(4), kDotCurrent);
    EXPECT_EQ(Mark(4), 0);
    EXPECT_EQ(State(3), kDotFilled);
    StandInType(d, kLatitudeEdit, "-25");
    DialogRun::ClickWithMouse(d, kMemoryDotIds[5], kMouseRight);
    EXPECT_EQ(State(5), kDotCurrent);
    EXPECT_EQ(Mark(5), 1);
    // The memory dots never write their map while the dialog runs.
    EXPECT_FALSE(std::filesystem::exists(MapFile()));
  });
  r.steps.push_back([&](StandInDialog* d) {
    // Load: a plain click on a filled dot.
    StandInType(d, kLatitudeEdit, "5");
    DialogRun::ClickWithMouse(d, kMemoryDotIds[3]);
    EXPECT_EQ(r.Block()->latitude, 40.0f);
    EXPECT_EQ(DialogRun::Text(d, kLatitudeEdit), "40");
    EXPECT_EQ(State(3), kDotCurrent);
    EXPECT_EQ(State(5), kDotFilled);
    // A change of the settings makes no dot current any more.
    StandInClick(d, 48);
    EXPECT_EQ(State(3), kDotFilled);
    // Unprotect: Ctrl on a filled dot clears its mark and keeps it filled.
    DialogRun::ClickWithMouse(d, kMemoryDotIds[3], kMouseLeft, kKeyControl);
    EXPECT_EQ(Mark(3), 0);
    EXPECT_EQ(State(3), kDotFilled);
    EXPECT_EQ(r.Block()->flip, 1);  // nothing loaded
    // Clear: a right click on a filled dot (Ctrl held or not).
    DialogRun::ClickWithMouse(d, kMemoryDotIds[5], kMouseRight, kKeyControl);
    EXPECT_EQ(State(5), kDotEmpty);
    EXPECT_EQ(Mark(5), 0);
    EXPECT_EQ(ShownDot(DialogRun::Dialog()), -1);
    EXPECT_EQ(LastUsedDot(DialogRun::Dialog()), -1);
    EXPECT_FALSE(DialogRun::Dialog()->dotThumbnailLoaded);
  });
  r.steps.push_back([&](StandInDialog* d) {
    // Hover: the thumbnail of a filled dot, states and marks untouched.
    MainDialog* dialog = DialogRun::Dialog();
    const WorkRecord before = *r.Globals()->workRecord;
    DialogRun::HoverOver(d, kMemoryDotIds[4]);
    EXPECT_EQ(ShownDot(dialog), 4);
    EXPECT_EQ(LastUsedDot(dialog), 4);
    EXPECT_TRUE(dialog->dotThumbnailLoaded);
    for (int32_t i = 0; i < kDotCount; ++i) {
      EXPECT_EQ(State(i), before.dotStates[i]) << i;
      EXPECT_EQ(Mark(i), int32_t(before.dotWords[i])) << i;
      EXPECT_EQ(GetControlValue(dialog, kMemoryDotIds[i]) & kDotPressedBit, 0) << i;
    }
    // The thumbnail loads the last dot hovered.
    StandInType(d, kLatitudeEdit, "77");
    DialogRun::ClickWithMouse(d, kIdDotThumbnail);
    EXPECT_EQ(State(4), kDotCurrent);
    EXPECT_EQ(r.Block()->latitude, 40.0f);  // dot 4 kept the settings of dot 3's time
    // An empty dot clears the thumbnail.
    DialogRun::HoverOver(d, kMemoryDotIds[9]);
    EXPECT_EQ(ShownDot(dialog), -1);
    EXPECT_FALSE(dialog->dotThumbnailLoaded);
    EXPECT_EQ(State(9), kDotEmpty);
  });
  r.steps.push_back([&](StandInDialog* d) {
    // The pressed look follows the pointer; a release off the dot clicks nothing.
    MainDialog* dialog = DialogRun::Dialog();
    const int32_t id = kMemoryDotIds[10];
    const ItemRect rect = DialogRun::RectOf(d, id);
    StandInMouse(d, DialogEventKind::MouseDown, kMouseLeft, kKeyLeftButton, rect.left + 2, rect.top + 2);
    PumpStandInEvents();
    EXPECT_EQ(dialog->capturedControl, id);
    EXPECT_NE(GetControlValue(dialog, id) & kDotPressedBit, 0);
    EXPECT_EQ(State(10), kDotEmpty);
    StandInMouse(d, DialogEventKind::MouseMove, 0, kKeyLeftButton, rect.right + 40, rect.top);
    EXPECT_EQ(GetControlValue(dialog, id) & kDotPressedBit, 0);
    StandInMouse(d, DialogEventKind::MouseUp, kMouseLeft, 0, rect.right + 40, rect.top);
    PumpStandInEvents();
    EXPECT_EQ(dialog->capturedControl, -1);
    EXPECT_EQ(State(10), kDotEmpty);
    EXPECT_FALSE(std::filesystem::exists(DotFile(10)));
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
  EXPECT_EQ(r.nextStep, r.steps.size());
  // The run's end wrote the map: version 47 and the 25 marks.
  const std::vector<int32_t> map = ReadMap();
  ASSERT_EQ(map.size(), 26u);
  EXPECT_EQ(map[0], 47);
  std::vector<int32_t> marks(25, 0);
  marks[0] = 0;
  marks[3] = 0;
  marks[4] = 0;
  marks[5] = 0;
  EXPECT_EQ(std::vector<int32_t>(map.begin() + 1, map.end()), marks);
}

TEST(MemoryDots, MarkedDotsShowFilledAtTheNextOpeningAndAreNotReused) {
  DialogRun first;
  first.NewDocument(64, 32);
  first.OpenHost();
  first.steps.push_back([&](StandInDialog* d) {
    StandInType(d, kLatitudeEdit, "11");
    DialogRun::ClickWithMouse(d, kMemoryDotIds[0]);  // the opening dot: filled, so it loads
    DialogRun::ClickWithMouse(d, kMemoryDotIds[1]);  // stored and protected
    DialogRun::ClickWithMouse(d, kMemoryDotIds[2]);
  });
  ASSERT_EQ(first.Run(kIdCancel), kUserCanceledErr);
  EXPECT_EQ(ReadMap(), (std::vector<int32_t>{47, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                             0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  // A second run of the filter: the files and the map stay in the temporary folder.
  TestDocument doc = MakeTestDocument(64, 32, 3, 8, false);
  TestHost host;
  InitTestHost(&host, &doc, TestHostOptions{});
  host.descriptorParameters.playInfo = 1;
  ResetStandIn();
  SetStandInAnswer(kMainDialogTemplate, kIdOk);
  bool checked = false;
  SetStandInDriver(kMainDialogTemplate, [&](StandInDialog*) {
    if (checked) return false;
    checked = true;
    EXPECT_EQ(State(1), kDotFilled);
    EXPECT_EQ(State(2), kDotFilled);
    EXPECT_EQ(State(0), kDotCurrent);  // the first unmarked dot took the opening settings
    EXPECT_EQ(State(3), kDotEmpty);
    return true;
  });
  TestRunReport report;
  EXPECT_EQ(RunFilterSelectors(&host, PluginMain, {}, &report), kNoErr);
  EXPECT_TRUE(checked);
  ShutdownTestHost(&host);
}

}  // namespace
