// The main dialog on the stand-in: how it opens (layout, centring, icons,
// lists, drawing), how it ends, and what it does with events it has no use
// for or that arrive while one of its modal steps runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "ui/control_drawing.h"
#include "ui/control_values.h"
#include "ui/dialog_geometry.h"

namespace {

TEST(MainDialogOpen, EveryControlSitsAtItsLayoutRectangle) {
  DialogSession s;
  s.Open();
  EXPECT_EQ(s.window->clientWidth, 865);
  EXPECT_EQ(s.window->clientHeight, 644);
  int32_t placed = 0;
  for (const StandInItem& item : s.window->items) {
    ItemRect expected = ComputeControlLayout(item.id);
    if (GetControlKind(item.id) == kKindCombo) expected.bottom = 644;  // its list may use the whole height
    ASSERT_TRUE(item.placed) << item.id;
    EXPECT_EQ(item.rect.left, expected.left) << item.id;
    EXPECT_EQ(item.rect.top, expected.top) << item.id;
    EXPECT_EQ(item.rect.right, expected.right) << item.id;
    EXPECT_EQ(item.rect.bottom, expected.bottom) << item.id;
    const ItemRect read = GetControlRectInClient(&s.window->port, item.id);
    EXPECT_EQ(std::memcmp(&read, &item.rect, sizeof(ItemRect)), 0) << item.id;
    ++placed;
  }
  EXPECT_EQ(placed, 100);
  const ItemRect none = GetControlRectInClient(&s.window->port, 150);
  EXPECT_EQ(none.right - none.left, 0);
}

TEST(MainDialogOpen, IsCentredOverTheHostsWindow) {
  DialogSession s;
  s.Open();
  const StandInWorld& w = GetStandInWorld();
  WindowPlacement p{};
  PortGetPlacement(&s.window->port, &p);
  int32_t x = 0;
  int32_t y = 0;
  ComputeCentredPosition(p, &x, &y);
  EXPECT_EQ(s.window->windowX, x);
  EXPECT_EQ(s.window->windowY, y);
  const int32_t width = p.window.right - p.window.left;
  EXPECT_EQ(x, w.hostWindow.left + (w.hostWindow.right - w.hostWindow.left - width) / 2 - w.captionHeight);
}

TEST(MainDialogOpen, BitmapButtonsShowIconsAndTheListsTheirItems) {
  DialogSession s;
  s.Open();
  for (int32_t id : {9, 13, 26, 32, 33, 35, 74, 83, 99, 110}) {
    EXPECT_EQ(s.Item(id).text, "") << id;
    EXPECT_EQ(s.Item(id).icon, GetControlDescriptor(id).icon) << id;
  }
  EXPECT_EQ(s.Text(kIdOk), "&OK");
  EXPECT_EQ(s.Item(kIdGlueCombo).choices.size(), 62u);
  EXPECT_EQ(s.Item(kIdOutputCombo).choices.size(), 255u);
  EXPECT_EQ(s.block.runMode, RunModePreview);
  EXPECT_EQ(s.globals.mainDialogWindow, s.dialog.get());
  EXPECT_EQ(s.globals.dialogOutcome, 0);
}

TEST(MainDialogDrawing, PaintDrawsTheBackgroundThenEveryCustomControl) {
  DialogSession s;
  s.block.latitude = 0;
  std::strcpy(s.block.settingsName, "my view.q2q");
  s.Open();
  s.window->canvas.clear();
  StandInPaint(s.window);
  const std::vector<CanvasOp>& ops = s.window->canvas;
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.front().kind, CanvasOpKind::Bitmap);
  EXPECT_EQ(ops.front().bitmapId, kBitmapBackground);
  EXPECT_FALSE(ops.front().clipped);
  // The latitude knob: a range of -90..90 puts value 0 at left + 1 + 90 x 225 / 180.
  bool knob = false;
  for (const CanvasOp& op : StandInCanvasOps(s.window, CanvasOpKind::Bitmap)) {
    if (op.bitmapId == kBitmapSliderKnob && op.y0 == 21) knob = knob || op.x0 == 61 + 113;
  }
  EXPECT_TRUE(knob);
  // Labels and the status line: the background under them first, then the text.
  int32_t labels = 0;
  for (size_t i = 1; i < ops.size(); ++i) {
    if (ops[i].kind != CanvasOpKind::Text) continue;
    ++labels;
    EXPECT_EQ(ops[i - 1].kind, CanvasOpKind::Bitmap);
    EXPECT_EQ(ops[i - 1].bitmapId, kBitmapBackground);
    EXPECT_TRUE(ops[i - 1].clipped);
  }
  EXPECT_EQ(labels, 22);
  bool status = false;
  for (const CanvasOp& op : StandInCanvasOps(s.window, CanvasOpKind::Text)) {
    if (op.text == "my view.q2q") {
      status = true;
      EXPECT_EQ(op.align, TextAlign::Centre);
      EXPECT_EQ(op.rect.left, 484);
    }
    if (op.text == "Latitude") {
      EXPECT_EQ(op.align, TextAlign::Right);
    }
    if (op.text == "Flip") {
      EXPECT_EQ(op.align, TextAlign::Left);
    }
  }
  EXPECT_TRUE(status);
  EXPECT_EQ(s.window->drawingDepth, 0);
  EXPECT_EQ(s.window->unbalancedDrawing, 0);
}

TEST(MainDialogDrawing, LabelTextIsCentredVertically) {
  // A 16-pixel label: bottom - 2 leaves 14, moved up 2 by dy.
  DialogSession s;
  s.Open();
  DrawControlLabel(&s.window->port, ItemRect{1, 20, 53, 36}, 2, "Latitude", -2, kBlack);
  const CanvasOp& op = s.window->canvas.back();
  EXPECT_EQ(op.rect.top, 18);
  EXPECT_EQ(op.rect.bottom, 32);
  // A 26-pixel one: 24 high, moved down (24 - 14) / 2 = 5 and up 2.
  DrawControlLabel(&s.window->port, ItemRect{0, 0, 50, 26}, 1, "x", -2, kBlack);
  EXPECT_EQ(s.window->canvas.back().rect.top, 3);
}

TEST(MainDialogDrawing, SliderKnobsAndMemoryDots) {
  const ItemRect track{61, 20, 301, 32};
  EXPECT_EQ(SliderKnobX(track, 0, -90, 90), 61 + 113);
  EXPECT_EQ(SliderKnobX(track, -90, -90, 90), 62);
  EXPECT_EQ(SliderKnobX(track, 90, -90, 90), 62 + 225);
  EXPECT_EQ(SliderKnobX(track, 5, 5, 5), 62);  // an empty range divides by 1
  struct Dot {
    int32_t state, mark;
    bool pressed;
    int32_t bitmap;
  } dots[] = {{0, 0, false, 203}, {0, 1, true, 210},  {1, 1, false, 215}, {1, 1, true, 216},  {1, 0, false, 213},
              {1, 0, true, 214},  {2, 1, false, 208}, {2, 1, true, 212},  {2, 0, false, 202}, {2, 0, true, 211}};
  for (const Dot& d : dots) EXPECT_EQ(MemoryDotBitmap(d.state, d.mark, d.pressed), d.bitmap);
  DialogSession s;
  s.Open();
  s.work->dotStates[3] = 2;
  s.work->dotWords[3] = 1;
  s.window->canvas.clear();
  SetControlValue(s.dialog.get(), kMemoryDotIds[3], kDotPressedBit);
  ASSERT_EQ(s.window->canvas.size(), 1u);
  EXPECT_EQ(s.window->canvas[0].bitmapId, 212);
  EXPECT_EQ(s.window->canvas[0].x0, 329);  // dot 3 (id 112) at 329, 531: two pixels lower
  EXPECT_EQ(s.window->canvas[0].y0, 533);
}

TEST(MainDialogDrawing, ColourSwatchesFollowTheirState) {
  DialogSession s;
  s.Open();
  const uint16_t colour[3] = {0x1000, 0x2000, 0x3000};
  SetControlColour(s.dialog.get(), kIdTabColour, colour);
  struct Case {
    int32_t state;
    int32_t inset;
    bool focus;
  } cases[] = {{0, 2, false}, {kDrawItemPressed, 2, false}, {kDrawItemFocused, 3, true}, {kDrawItemDisabled, 2, false}};
  for (const Case& c : cases) {
    s.window->canvas.clear();
    SendStandInEvent(s.window, DialogEvent{DialogEventKind::DrawItem, kIdTabColour, c.state, 0, 0, 0, 0});
    const std::vector<CanvasOp> fills = StandInCanvasOps(s.window, CanvasOpKind::Fill);
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.back().rect.left, 61 + c.inset) << c.state;
    EXPECT_EQ(fills.back().colour.red, 0x10) << c.state;
    EXPECT_EQ(fills.back().colour.blue, 0x30) << c.state;
    EXPECT_EQ(StandInCanvasOps(s.window, CanvasOpKind::FocusRect).size(), c.focus ? 1u : 0u) << c.state;
  }
}

TEST(MainDialogEnd, OkKeepsTheEditedSettings) {
  DialogSession s;
  s.Open();
  StandInType(s.window, 86, "33.5");
  StandInPickChoice(s.window, kIdInputCombo, 4);
  ASSERT_TRUE(StandInClick(s.window, kIdOk));
  EXPECT_TRUE(s.window->ended);
  EXPECT_EQ(s.window->endCode, kIdOk);
  EXPECT_EQ(s.block.latitude, 33.5f);
  EXPECT_EQ(s.block.inputProjection, 5);
  EXPECT_EQ(s.result, kNoErr);
  EXPECT_EQ(s.globals.dialogOutcome, kDialogOutcomeOk);
  EXPECT_EQ(GetDialogModuleState().mainDialogWindow, nullptr);
}

TEST(MainDialogEnd, CancelRestoresTheSettingsItOpenedWith) {
  DialogSession s;
  s.block.latitude = 10;
  s.block.grid = 4;  // the grid combo shows grid2 and reads into both: changed by the opening
  s.block.grid2 = 2;
  auto settingsOf = [](ParameterBlock* block) {
    auto snapshot = std::make_unique<SettingsSnapshot>();
    std::memset(static_cast<void*>(snapshot.get()), 0, sizeof(SettingsSnapshot));
    StoreSettingsSnapshot(snapshot.get(), block);
    return snapshot;
  };
  const auto opened = settingsOf(&s.block);
  s.Open();
  EXPECT_EQ(s.block.grid, 2);
  StandInType(s.window, 86, "-20");
  StandInClick(s.window, 48);
  ReadControlsToSettings(s.dialog.get());
  EXPECT_EQ(s.block.latitude, -20.0f);
  ASSERT_TRUE(StandInClick(s.window, kIdCancel));
  EXPECT_EQ(s.window->endCode, kIdCancel);
  EXPECT_EQ(std::memcmp(&opened->settings, &settingsOf(&s.block)->settings, sizeof(ParameterBlock)), 0);
  EXPECT_EQ(s.block.grid, 4);
  EXPECT_EQ(s.result, kUserCanceledErr);
  EXPECT_EQ(s.globals.dialogOutcome, kDialogOutcomeCancel);
}

TEST(MainDialogEnd, RunModallyOkRendersAndAnyOtherEndDoesNot) {
  struct Case {
    const char* what;
    int32_t answer;  // 0: nobody answers, the window is closed
    bool ok;
    HostError result;
  } cases[] = {{"OK", kIdOk, true, kNoErr},
               {"Cancel", kIdCancel, false, kUserCanceledErr},
               {"closed", 0, false, kUserCanceledErr}};
  for (const Case& c : cases) {
    DialogSession s;
    s.block.latitude = 5;
    if (c.answer) {
      SetStandInAnswer(kMainDialogTemplate, c.answer);
    } else {
      GetStandInWorld().answers.clear();
    }
    SetStandInDriver(kMainDialogTemplate, [](StandInDialog* d) {
      if (FindStandInItem(d, 86)->text == "60") return false;
      StandInType(d, 86, "60");
      return true;
    });
    EXPECT_EQ(RunMainDialog(&s.globals), c.ok) << c.what;
    EXPECT_EQ(s.result, c.result) << c.what;
    EXPECT_EQ(s.block.latitude, c.ok ? 60.0f : 5.0f) << c.what;
    EXPECT_EQ(s.globals.dialogOutcome, c.ok ? kDialogOutcomeOk : kDialogOutcomeCancel) << c.what;
    EXPECT_EQ(s.globals.mainDialogWindow, nullptr) << c.what;
    EXPECT_EQ(s.globals.dialogFlag, 1) << c.what;
    EXPECT_EQ(GetStandInWorld().forcedEnds, 0) << c.what;
  }
}

TEST(MainDialogEnd, ADialogThatCannotBeShownRendersNothing) {
  DialogSession s;
  s.globals.dialogOutcome = kDialogOutcomeOk;  // left from an earlier run
  GetStandInWorld().maxNesting = 0;            // no window can open
  EXPECT_FALSE(RunMainDialog(&s.globals));
  EXPECT_EQ(s.result, kUserCanceledErr);
  EXPECT_EQ(s.globals.dialogOutcome, kDialogOutcomeCancel);
  EXPECT_EQ(GetStandInWorld().refusedNesting, 1);
}

TEST(MainDialogEvents, UnknownIdsAndCommandsChangeNothing) {
  DialogSession s;
  s.Open();
  const ParameterBlock settings = s.block;
  const DialogControls controls = s.dialog->controls;
  const size_t drawn = s.window->canvas.size();
  const DialogEvent events[] = {
      MakeCommandEvent(150, kNotifyClicked),
      MakeCommandEvent(199, kNotifyClicked),
      MakeCommandEvent(200, kNotifyClicked),
      MakeCommandEvent(1999, kNotifyClicked),
      MakeCommandEvent(2356, kNotifyClicked),
      MakeCommandEvent(65535, kNotifyClicked),
      MakeCommandEvent(-7, kNotifyClicked),
      MakeCommandEvent(kIdOk, 5),
      MakeCommandEvent(kIdCancel, kNotifyEditChanged),
      MakeCommandEvent(kIdOk, kNotifySelectionChanged),
      MakeTimerEvent(12345),
      MakeTimerEvent(kPreviewTimerId),
      DialogEvent{DialogEventKind::DrawItem, 150, 0, 0, 0, 0, 0},
      DialogEvent{DialogEventKind::DrawItem, 37, 0, 0, 0, 0, 0},
      MakeMouseEvent(DialogEventKind::MouseDown, kMouseLeft, kKeyLeftButton, -50, 100000),
      MakeMouseEvent(DialogEventKind::MouseUp, kMouseRight, 0, 9999, 9999),
  };
  for (const DialogEvent& e : events) SendStandInEvent(s.window, e);
  EXPECT_FALSE(s.window->ended);
  EXPECT_EQ(std::memcmp(&settings, &s.block, sizeof(ParameterBlock)), 0);
  EXPECT_EQ(std::memcmp(&controls, &s.dialog->controls, sizeof(DialogControls)), 0);
  EXPECT_EQ(s.window->canvas.size(), drawn);
  // Ids outside the per-id tables are ignored by the table functions too.
  MainDialog* d = s.dialog.get();
  for (int32_t id : {-1, 200, 5000}) {
    SetControlValue(d, id, 7);
    WriteControlValue(d, id, 7);
    EXPECT_EQ(ReadControlValue(d, id), 0);
    EXPECT_FALSE(IsControlEnabled(d, id));
  }
  EXPECT_EQ(std::memcmp(&controls, &s.dialog->controls, sizeof(DialogControls)), 0);
}

TEST(MainDialogEvents, ModalStepsDoNotRecurseWhateverArrivesMeanwhile) {
  DialogSession s;
  s.Open();
  int32_t aboutSteps = 0;
  int32_t mostOpen = 0;
  auto openNamed = [](const char* name) {
    int32_t n = 0;
    for (const auto& d : GetStandInWorld().open) n += d->templateName == name;
    return n;
  };
  // While the about box runs, the main dialog is pressed for the about box
  // and the info box again and again, directly and through its queue; while
  // the info box runs, the same.
  SetStandInDriver("ABOUTBOX", [&](StandInDialog* d) {
    mostOpen = std::max({mostOpen, openNamed("ABOUTBOX"), openNamed("KELMO_INFO_BOX")});
    if (++aboutSteps > 20) return false;
    StandInClick(s.window, kIdAboutIcon);
    StandInClick(s.window, kIdInfoButton);
    PortPostEvent(&s.window->port, MakeCommandEvent(kIdAboutIcon, kNotifyClicked));
    if (aboutSteps == 20) StandInClick(d, 5);
    return true;
  });
  SetStandInDriver("KELMO_INFO_BOX", [&](StandInDialog* d) {
    mostOpen = std::max({mostOpen, openNamed("ABOUTBOX"), openNamed("KELMO_INFO_BOX")});
    StandInClick(s.window, kIdAboutIcon);
    StandInClick(s.window, kIdInfoButton);
    SendStandInEvent(d, MakeCommandEvent(2, kNotifyClicked));  // Escape ends it
    return true;
  });
  ASSERT_TRUE(StandInClick(s.window, kIdAboutIcon));
  PumpStandInEvents();
  const StandInWorld& w = GetStandInWorld();
  EXPECT_EQ(mostOpen, 1);  // never a second box of a kind open at once
  int32_t about = 0;
  int32_t info = 0;
  for (const std::string& name : w.shown) {
    about += name == "ABOUTBOX";
    info += name == "KELMO_INFO_BOX";
  }
  // An info box for each step of the about box, one after the other; the
  // press still queued when the about box closed opened it once more.
  EXPECT_EQ(info, 20);
  EXPECT_EQ(about, 2);
  EXPECT_EQ(w.open.size(), 1u);
  EXPECT_EQ(w.refusedNesting, 0);
  EXPECT_EQ(w.droppedSends, 0);
  EXPECT_EQ(w.forcedEnds, 0);
  EXPECT_EQ(s.dialog->droppedEvents, 0);
  EXPECT_FALSE(GetDialogModuleState().aboutBoxOpen);
  EXPECT_FALSE(GetDialogModuleState().infoBoxOpen);
  EXPECT_FALSE(s.window->ended);
}

TEST(MainDialogEvents, EventsNestedTooDeepAreRefused) {
  DialogSession s;
  s.Open();
  // A window system that answers every background bitmap with another
  // request to paint the background: the dialog stops at its bound.
  static StandInDialog* window = nullptr;
  static void (*recordBitmap)(void*, int32_t, int32_t, int32_t, const ItemRect*) = nullptr;
  window = s.window;
  recordBitmap = s.window->port.drawBitmap;
  s.window->port.drawBitmap = [](void* c, int32_t id, int32_t x, int32_t y, const ItemRect* clip) {
    recordBitmap(c, id, x, y, clip);
    if (id == kBitmapBackground && !clip) SendStandInEvent(window, MakePlainEvent(DialogEventKind::EraseBackground));
  };
  GetStandInWorld().maxSendDepth = 1000;
  s.window->canvas.clear();
  SendStandInEvent(s.window, MakePlainEvent(DialogEventKind::EraseBackground));
  EXPECT_EQ(s.dialog->droppedEvents, 1);
  EXPECT_EQ(s.dialog->eventDepth, 0);
  EXPECT_EQ(int32_t(s.window->canvas.size()), kMaxMainDialogEventDepth);
  s.window->port.drawBitmap = recordBitmap;
}

}  // namespace
