// The stand-in window system as a test double: its item map, virtual clock,
// posted-event queue, edit echo, recording canvas and modal loop, and the
// services that run on it (cursor, progress, choosers).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "ui/dialog_port.h"

namespace {

// A controller that logs its events and acts on a few of them.
struct Recorder {
  std::vector<DialogEvent> events;
  int32_t repostsLeft = 0;
};

int32_t RecordingHandler(void* state, const DialogPort* port, const DialogEvent* event) {
  Recorder* r = static_cast<Recorder*>(state);
  r->events.push_back(*event);
  if (event->kind == DialogEventKind::Command && event->id == 1 && event->code == kNotifyClicked) {
    PortEndDialog(port, 1);
  }
  if (event->kind == DialogEventKind::Command && event->id == 9 && r->repostsLeft-- > 0) {
    PortPostEvent(port, *event);  // posted again: it arrives later, never nested
  }
  if (event->kind == DialogEventKind::Command && event->id == 10) {
    // Sent again at once, without end: nested deeper and deeper.
    SendStandInEvent(StandInDialogOfPort(port), *event);
  }
  return event->kind == DialogEventKind::Close ? 0 : 1;
}

const TemplateItem kItems[] = {
    {1, ItemClass::DefaultButton, "OK", -1}, {3, ItemClass::Edit, "", -1},
    {4, ItemClass::CheckBox, "Tick", -1},    {5, ItemClass::ComboBox, "", -1},
    {6, ItemClass::Static, "label", -1},     {7, ItemClass::RadioButton, "one", -1},
};

struct StandIn : ::testing::Test {
  Recorder recorder;
  void SetUp() override {
    ResetStandIn();
    AddStandInTemplate(DialogTemplate{"TEST_BOX", "Test", 100, 50, 1, kItems, 6});
  }
  void TearDown() override { ResetStandIn(); }
  int32_t Count(DialogEventKind kind, int32_t id = -1, int32_t code = -1) const {
    int32_t n = 0;
    for (const DialogEvent& e : recorder.events) {
      n += e.kind == kind && (id < 0 || e.id == id) && (code < 0 || e.code == code);
    }
    return n;
  }
};

TEST_F(StandIn, OpensWithTheTemplatesItemsAndShowsItself) {
  StandInDialog* d = OpenStandInDialog("TEST_BOX", RecordingHandler, &recorder);
  ASSERT_EQ(recorder.events.size(), 3u);
  EXPECT_EQ(recorder.events[0].kind, DialogEventKind::Init);
  EXPECT_EQ(recorder.events[1].kind, DialogEventKind::EraseBackground);
  EXPECT_EQ(recorder.events[2].kind, DialogEventKind::Paint);
  EXPECT_EQ(d->items.size(), 6u);
  EXPECT_EQ(FindStandInItem(d, 6)->text, "label");
  // A known template has only its own items: others are not there to set.
  PortSetItemText(&d->port, 42, "x");
  EXPECT_EQ(FindStandInItem(d, 42), nullptr);
  EXPECT_FALSE(PortItemExists(&d->port, 42));
  char text[8] = "junk";
  EXPECT_EQ(PortGetItemText(&d->port, 42, text, sizeof(text)), 0);
  EXPECT_STREQ(text, "");
  // A dialog without a template grows the items it is told about.
  StandInDialog* free = OpenStandInDialog("NO_TEMPLATE", RecordingHandler, &recorder);
  PortSetItemText(&free->port, 42, "x");
  EXPECT_EQ(FindStandInItem(free, 42)->text, "x");
  CloseStandInDialog(free);
  CloseStandInDialog(d);
  EXPECT_TRUE(GetStandInWorld().open.empty());
}

TEST_F(StandIn, EditsEchoTheirChangeAndTextsAreBounded) {
  StandInDialog* d = OpenStandInDialog("TEST_BOX", RecordingHandler, &recorder);
  PortSetItemText(&d->port, 3, "12.5");
  PortSetItemText(&d->port, 6, "static");  // not an edit: no echo
  EXPECT_EQ(Count(DialogEventKind::Command, 3, kNotifyEditChanged), 1);
  EXPECT_EQ(Count(DialogEventKind::Command, 6), 0);
  char small[5];
  EXPECT_EQ(PortGetItemText(&d->port, 3, small, sizeof(small)), 4);
  EXPECT_STREQ(small, "12.5");
  PortSetItemText(&d->port, 3, "123456789");
  EXPECT_EQ(PortGetItemText(&d->port, 3, small, sizeof(small)), 4);
  EXPECT_STREQ(small, "1234");
  EXPECT_EQ(PortGetItemText(&d->port, 3, small, 0), 0);
  CloseStandInDialog(d);
}

TEST_F(StandIn, UserActionsReachOnlyEnabledItems) {
  StandInDialog* d = OpenStandInDialog("TEST_BOX", RecordingHandler, &recorder);
  EXPECT_TRUE(StandInClick(d, 4));
  EXPECT_EQ(FindStandInItem(d, 4)->check, 1);
  EXPECT_TRUE(StandInClick(d, 4));
  EXPECT_EQ(FindStandInItem(d, 4)->check, 0);
  EXPECT_TRUE(StandInClick(d, 7));
  EXPECT_EQ(FindStandInItem(d, 7)->check, 1);
  PortEnableItem(&d->port, 4, false);
  EXPECT_FALSE(StandInClick(d, 4));
  PortShowItem(&d->port, 7, false);
  EXPECT_FALSE(StandInClick(d, 7));
  EXPECT_FALSE(StandInClick(d, 99));
  EXPECT_FALSE(StandInType(d, 6, "x"));  // a static is not typed into
  EXPECT_TRUE(StandInType(d, 3, "5"));
  PortAddChoice(&d->port, 5, "a");
  PortAddChoice(&d->port, 5, "b");
  EXPECT_FALSE(StandInPickChoice(d, 5, 2));
  EXPECT_TRUE(StandInPickChoice(d, 5, 1));
  EXPECT_EQ(PortGetChoiceSelection(&d->port, 5), 1);
  PortSetChoiceSelection(&d->port, 5, 7);  // past the list: nothing selected
  EXPECT_EQ(PortGetChoiceSelection(&d->port, 5), -1);
  EXPECT_EQ(Count(DialogEventKind::Command, 4, kNotifyClicked), 2);
  EXPECT_EQ(Count(DialogEventKind::Command, 5, kNotifySelectionChanged), 1);
  EXPECT_EQ(Count(DialogEventKind::Command, 3, kNotifyEditChanged), 1);
  CloseStandInDialog(d);
}

TEST_F(StandIn, TimersFireOnTheVirtualClockUntilKilled) {
  StandInDialog* d = OpenStandInDialog("TEST_BOX", RecordingHandler, &recorder);
  PortSetTimer(&d->port, 8064, 1000);
  AdvanceStandInClock(999);
  EXPECT_EQ(Count(DialogEventKind::Timer), 0);
  AdvanceStandInClock(1);
  EXPECT_EQ(Count(DialogEventKind::Timer, 8064), 1);
  AdvanceStandInClock(3500);  // repeats every second
  EXPECT_EQ(Count(DialogEventKind::Timer, 8064), 4);
  PortSetTimer(&d->port, 8064, 1000);  // set again: restarts from now
  AdvanceStandInClock(700);
  EXPECT_EQ(Count(DialogEventKind::Timer, 8064), 4);
  PortKillTimer(&d->port, 8064);
  AdvanceStandInClock(5000);
  EXPECT_EQ(Count(DialogEventKind::Timer, 8064), 4);
  EXPECT_FALSE(StandInTimerRunning(d, 8064));
  PortSetTimer(&d->port, 5, 0);  // too short: as short as the window system allows
  AdvanceStandInClock(100);
  EXPECT_EQ(Count(DialogEventKind::Timer, 5), 10);
  EXPECT_EQ(WindowTickMilliseconds(), uint32_t(GetStandInWorld().clock));
  CloseStandInDialog(d);
}

TEST_F(StandIn, PostedEventsWaitForTheQueueAndSendsAreBounded) {
  StandInDialog* d = OpenStandInDialog("TEST_BOX", RecordingHandler, &recorder);
  recorder.repostsLeft = 1000000;
  PortPostEvent(&d->port, MakeCommandEvent(9, 0));
  EXPECT_EQ(Count(DialogEventKind::Command, 9), 0);
  PumpStandInEvents();  // a controller that posts to itself forever: the pump stops at its bound
  EXPECT_EQ(Count(DialogEventKind::Command, 9), GetStandInWorld().maxLoopEvents);
  GetStandInWorld().posted.clear();
  SendStandInEvent(d, MakeCommandEvent(10, 0));  // sends inside sends: refused at the depth bound
  EXPECT_EQ(Count(DialogEventKind::Command, 10), GetStandInWorld().maxSendDepth);
  EXPECT_EQ(GetStandInWorld().droppedSends, 1);
  EXPECT_EQ(GetStandInWorld().sendDepth, 0);
  CloseStandInDialog(d);
  // Events for a dialog that has closed are dropped.
  Recorder other;
  StandInDialog* e = OpenStandInDialog("TEST_BOX", RecordingHandler, &other);
  PortPostEvent(&e->port, MakeCommandEvent(9, 0));
  CloseStandInDialog(e);
  PumpStandInEvents();
  EXPECT_EQ(other.events.size(), 3u);
}

TEST_F(StandIn, TheModalLoopEndsEvenWhenNobodyAnswers) {
  // An answer ends it.
  SetStandInAnswer("TEST_BOX", 1);
  EXPECT_EQ(RunModalDialog("TEST_BOX", RecordingHandler, &recorder, nullptr), 1);
  // Without an answer the window is closed; a close nobody handles is Cancel,
  // and a controller that ignores even that is ended by force.
  GetStandInWorld().answers.clear();
  recorder.events.clear();
  EXPECT_EQ(RunModalDialog("TEST_BOX", RecordingHandler, &recorder, nullptr), -1);
  EXPECT_EQ(Count(DialogEventKind::Close), 1);
  EXPECT_EQ(Count(DialogEventKind::Command, 2, kNotifyClicked), 1);
  EXPECT_EQ(GetStandInWorld().forcedEnds, 1);
  // A loop that posts to itself forever is ended by force too.
  recorder.repostsLeft = 1000000;
  SetStandInDriver("TEST_BOX", [](StandInDialog* d) {
    if (d->eventsDelivered > 3) return false;
    PortPostEvent(&d->port, MakeCommandEvent(9, 0));
    return true;
  });
  EXPECT_EQ(RunModalDialog("TEST_BOX", RecordingHandler, &recorder, nullptr), -1);
  EXPECT_EQ(GetStandInWorld().forcedEnds, 2);
  EXPECT_TRUE(GetStandInWorld().open.empty());
  EXPECT_TRUE(GetStandInWorld().posted.empty());
}

TEST_F(StandIn, ModalDialogsNestOnlySoDeep) {
  // Every dialog opens another one as soon as it is shown.
  static int32_t opened = 0;
  opened = 0;
  DialogHandler nester = [](void*, const DialogPort* port, const DialogEvent* event) -> int32_t {
    if (event->kind == DialogEventKind::Paint) {
      ++opened;
      DialogHandler self = StandInDialogOfPort(port)->handler;
      RunModalDialog("TEST_BOX", self, nullptr, port);
    }
    if (event->kind == DialogEventKind::Command && event->id == 1) PortEndDialog(port, 1);
    return 1;
  };
  SetStandInAnswer("TEST_BOX", 1);
  EXPECT_EQ(RunModalDialog("TEST_BOX", nester, nullptr, nullptr), 1);
  EXPECT_EQ(opened, GetStandInWorld().maxNesting);
  EXPECT_EQ(GetStandInWorld().refusedNesting, 1);
  EXPECT_TRUE(GetStandInWorld().open.empty());
}

TEST_F(StandIn, PlacesDialogsAgainstTheirOwner) {
  StandInDialog* outer = OpenStandInDialog("TEST_BOX", RecordingHandler, &recorder, nullptr, 77);
  WindowPlacement p{};
  PortGetPlacement(&outer->port, &p);
  EXPECT_EQ(p.reference.left, GetStandInWorld().hostWindow.left);
  EXPECT_EQ(p.window.right - p.window.left, 150 + 6);  // 100 units wide, and the frame
  PortMoveWindow(&outer->port, 300, 200);
  Recorder inner;
  StandInDialog* child = OpenStandInDialog("TEST_BOX", RecordingHandler, &inner, outer);
  PortGetPlacement(&child->port, &p);
  EXPECT_EQ(p.reference.left, 303);
  EXPECT_EQ(p.reference.top, 200 + 3 + GetStandInWorld().captionHeight);
  StandInDialog* alone = OpenStandInDialog("TEST_BOX", RecordingHandler, &inner);
  PortGetPlacement(&alone->port, &p);
  EXPECT_EQ(p.reference.right, GetStandInWorld().screenWidth);
  CloseStandInDialog(outer);
  CloseStandInDialog(child);
  CloseStandInDialog(alone);
}

TEST_F(StandIn, ChoosersAnswerAsQueuedAndRecordTheRequest) {
  char path[261] = "proposed.q2q";
  char title[261] = "";
  char folder[261] = "";
  FileChoiceRequest request{1, 1, "Save settings", path, title, folder, nullptr, nullptr, nullptr};
  EXPECT_EQ(ChooseFile(&request), 0);  // nothing queued: cancelled
  QueueStandInFileAnswer(true, "C:\\views\\night.q2q");
  EXPECT_EQ(ChooseFile(&request), 1);
  EXPECT_STREQ(path, "C:\\views\\night.q2q");
  EXPECT_STREQ(title, "night.q2q");
  EXPECT_STREQ(folder, "C:\\views\\");
  ASSERT_EQ(GetStandInWorld().fileRequests.size(), 2u);
  EXPECT_EQ(GetStandInWorld().fileRequests[0].proposed, "proposed.q2q");
  const std::string longPath(600, 'x');
  QueueStandInFileAnswer(true, longPath.c_str());
  EXPECT_EQ(ChooseFile(&request), 1);
  EXPECT_EQ(std::string(path).size(), 260u);
  const uint16_t colour[3] = {0x8000, 0x4000, 0xFFFF};
  uint16_t chosen[3] = {1, 2, 3};
  EXPECT_FALSE(ChooseSystemColour("Choose the tab color.", colour, chosen));
  EXPECT_EQ(chosen[0], 1);  // a cancelled chooser leaves the colour alone
  QueueStandInColourAnswer(true, RgbColour{0x12, 0x34, 0x56});
  EXPECT_TRUE(ChooseSystemColour("Choose the tab color.", colour, chosen));
  EXPECT_EQ(chosen[0], 0x1200);
  EXPECT_EQ(chosen[2], 0x5600);
  EXPECT_EQ(GetStandInWorld().colourRequests.back().title, "Choose the tab color.");
}

TEST_F(StandIn, BusyCursorAndArrow) {
  ShowBusyCursor();
  RestoreArrowCursor();
  RestoreArrowCursor();  // already the arrow: nothing
  EXPECT_EQ(GetStandInWorld().cursors, (std::vector<CursorShape>{CursorShape::Wait, CursorShape::Arrow}));
  EXPECT_EQ(GetDialogModuleState().cursorState, 0);
}

TEST_F(StandIn, ProgressShowsItsPercentageOnlyWhileOpen) {
  GlobalsRecord globals{};
  globals.exportLayersDone = 1;
  UpdateProgressPercent(&globals, 2, 4, 3);  // no progress dialog: nothing
  StandInDialog* d = OpenStandInDialog("VASTO_PROGRESS", RecordingHandler, &recorder);
  GetDialogModuleState().progressWindow = &d->port;
  UpdateProgressPercent(&globals, 2, 4, 3);  // (1 x 4 + 2) x 100 / 12
  EXPECT_EQ(FindStandInItem(d, 2)->text, "50%");
  EXPECT_EQ(d->broughtToTop, 1);
  UpdateProgressPercent(&globals, 2, 0, 3);  // nothing to count: nothing
  UpdateProgressPercent(&globals, 2, 4, 0);
  EXPECT_EQ(FindStandInItem(d, 2)->textWrites, 1);
  globals.exportLayersDone = 999;  // counts whose product passes 32 bits
  UpdateProgressPercent(&globals, 30000, 32767, 1000);
  EXPECT_EQ(FindStandInItem(d, 2)->text, "99%");
  GetDialogModuleState().progressWindow = nullptr;
  CloseStandInDialog(d);
}

}  // namespace
