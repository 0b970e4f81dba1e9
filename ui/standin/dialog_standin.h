// A window system without windows: the stand-in that the tests and the
// orbalix program run the dialogs' controllers on. It is a real test double of
// the port: every dialog has a map of its items (from its template), a virtual
// millisecond clock drives its timers, events posted to a dialog wait in a
// queue until the loop delivers them, setting an edit's text echoes the edit's
// change report as a real edit does, and the canvas records what was drawn.
//
// Two ways to drive a dialog:
//  - step by step: OpenStandInDialog, then StandInClick, StandInType,
//    StandInMouse, AdvanceStandInClock, PumpStandInEvents ...; CloseStandInDialog;
//  - modally (RunModalDialog through the window system): the loop delivers
//    posted events, then asks the driver set for the template, then presses
//    the answer set for it, then lets virtual time run to the next timer, and
//    at last closes the window (a close nobody handles presses Cancel).
//
// Nothing here is thread-safe; the dialogs run on one thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_port.h"
#include "ui/dialog_templates.h"

struct StandInItem {
  int32_t id = 0;
  ItemClass itemClass = ItemClass::Static;
  std::string text;
  int32_t check = 0;
  std::vector<std::string> choices;
  int32_t selection = -1;
  uint8_t enabled = 1;
  uint8_t shown = 1;
  uint8_t focused = 0;
  int32_t icon = -1;
  uint8_t placed = 0;
  ItemRect rect{0, 0, 0, 0};
  int32_t redraws = 0;
  int32_t textWrites = 0;
};

enum class CanvasOpKind : int32_t { Fill, Frame, Line, Bitmap, Pixels, Text, FocusRect };

struct CanvasOp {
  CanvasOpKind kind = CanvasOpKind::Fill;
  ItemRect rect{0, 0, 0, 0};  // Fill, Frame, Text, FocusRect
  RgbColour colour{0, 0, 0};
  int32_t bitmapId = -1;
  uint8_t clipped = 0;
  ItemRect clip{0, 0, 0, 0};
  int32_t x0 = 0;  // Line: from; Bitmap, Pixels: the top-left
  int32_t y0 = 0;
  int32_t x1 = 0;  // Line: to
  int32_t y1 = 0;
  std::string text;
  TextAlign align = TextAlign::Left;
  int32_t width = 0;  // Pixels
  int32_t height = 0;
  uint64_t pixelHash = 0;
};

struct StandInTimer {
  int32_t id;
  int32_t interval;
  uint64_t due;
};

struct StandInDialog {
  std::string templateName;
  DialogHandler handler = nullptr;
  void* state = nullptr;
  DialogPort port{};
  StandInDialog* owner = nullptr;
  intptr_t platformOwner = 0;
  uint8_t knownTemplate = 0;  // items come from a template; otherwise they appear when first set
  std::vector<StandInItem> items;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  int32_t windowX = 0;
  int32_t windowY = 0;
  uint8_t systemMenu = 1;
  std::vector<StandInTimer> timers;
  std::vector<CanvasOp> canvas;
  int32_t drawingDepth = 0;
  int32_t unbalancedDrawing = 0;
  uint8_t captured = 0;
  uint8_t ended = 0;
  int32_t endCode = 0;
  int32_t broughtToTop = 0;
  int32_t eventsDelivered = 0;
};

// The settings chooser's thumbnail panel in the stand-in, in pixels.
constexpr int32_t kStandInPanelWidth = 130;
constexpr int32_t kStandInPanelHeight = 130;

struct StandInFileRequest {
  int32_t kind = 0;
  uint8_t save = 0;
  std::string title;
  std::string proposed;
  // The thumbnail panel: shown (empty) as the chooser opens, then with the
  // picture of the file chosen, as a selection of it shows it.
  uint8_t panel = 0;
  int32_t panelRead = -1;      // what the panel answered for the chosen file; -1 none chosen
  std::vector<uint8_t> panelRgb;  // what the panel shows last
};

struct StandInColourRequest {
  std::string title;
  uint16_t colour[3];
};

// Acts on the dialog whose loop runs; answers false when it has nothing more to do.
using StandInDriver = std::function<bool(StandInDialog* dialog)>;

struct StandInWorld {
  uint64_t clock = 0;                                // virtual milliseconds
  std::vector<std::unique_ptr<StandInDialog>> open;  // in the order they opened
  std::deque<std::pair<StandInDialog*, DialogEvent>> posted;
  std::vector<std::string> shown;  // templates run modally, in order
  std::vector<CursorShape> cursors;
  int32_t beeps = 0;
  std::vector<std::string> webPages;
  std::vector<std::pair<std::string, int32_t>> answers;  // template, button pressed
  std::vector<std::pair<std::string, StandInDriver>> drivers;
  std::vector<DialogTemplate> templates;                 // consulted before the program's own
  std::deque<std::pair<bool, std::string>> fileAnswers;  // chosen, path
  std::vector<StandInFileRequest> fileRequests;
  std::deque<std::pair<bool, RgbColour>> colourAnswers;
  std::vector<StandInColourRequest> colourRequests;
  int32_t screenWidth = 1920;
  int32_t screenHeight = 1080;
  int32_t captionHeight = 22;
  ItemRect hostWindow{100, 80, 1700, 1000};  // the host's client area on the screen
  // Bounds that turn a controller that recurses or loops into a test failure
  // instead of a hang or a crash.
  int32_t maxNesting = 8;     // modal dialogs open at once
  int32_t maxSendDepth = 64;  // events delivered inside events
  int32_t maxLoopEvents = 100000;
  int32_t maxIdleTimerFires = 1000;
  int32_t refusedNesting = 0;
  int32_t droppedSends = 0;
  int32_t forcedEnds = 0;
  int32_t sendDepth = 0;
};

const WindowSystem* StandInWindowSystem();
StandInWorld& GetStandInWorld();
// Closes every dialog and forgets every record, answer and driver; the main
// dialog's answer goes back to OK.
void ResetStandIn();

void SetStandInAnswer(const char* templateName, int32_t buttonId);
void SetStandInDriver(const char* templateName, StandInDriver driver);
// A template the program does not have (yet); its items must outlive the world's use.
void AddStandInTemplate(const DialogTemplate& dialogTemplate);
void QueueStandInFileAnswer(bool chosen, const char* path);
void QueueStandInColourAnswer(bool chosen, RgbColour colour);

// Opens a dialog and delivers Init, then EraseBackground and Paint as the
// window shows. The world keeps the dialog until CloseStandInDialog.
StandInDialog* OpenStandInDialog(const char* templateName, DialogHandler handler, void* state,
                                 StandInDialog* owner = nullptr, intptr_t platformOwner = 0);
void CloseStandInDialog(StandInDialog* dialog);
StandInDialog* FindOpenStandInDialog(const char* templateName);  // the last opened of that name
StandInDialog* StandInDialogOfPort(const DialogPort* port);

// Delivers an event now; answers the handler's result (0 when it was dropped).
int32_t SendStandInEvent(StandInDialog* dialog, const DialogEvent& event);
// Delivers queued events in order until none is left (or the bound is hit).
void PumpStandInEvents();
// Lets virtual time pass: due timers fire in order, with posted events
// delivered before each.
void AdvanceStandInClock(uint32_t milliseconds);

// What a user does. Each answers false when the item is missing, hidden or
// disabled (nothing is sent then).
bool StandInClick(StandInDialog* dialog, int32_t id);  // a checkbox toggles first
bool StandInType(StandInDialog* dialog, int32_t id, const char* text);
bool StandInPickChoice(StandInDialog* dialog, int32_t id, int32_t index);
void StandInMouse(StandInDialog* dialog, DialogEventKind kind, int32_t button, uint32_t keys, int32_t x, int32_t y);
void StandInPaint(StandInDialog* dialog);  // EraseBackground, then Paint

const StandInItem* FindStandInItem(const StandInDialog* dialog, int32_t id);
bool StandInTimerRunning(const StandInDialog* dialog, int32_t timerId);
// Canvas operations of one kind, in order.
std::vector<CanvasOp> StandInCanvasOps(const StandInDialog* dialog, CanvasOpKind kind);
