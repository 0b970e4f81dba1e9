#include "ui/standin/dialog_standin.h"

#include <algorithm>
#include <cstring>

#include "ui/dialog_templates.h"

namespace {

constexpr int32_t kIdCancelButton = 2;
constexpr int32_t kMinimumTimerInterval = 10;  // as a real window system clamps
constexpr int32_t kFrame = 3;
constexpr size_t kPathCapacity = 261;

void SetDefaultAnswers(StandInWorld& w) {
  w.answers.clear();
  w.answers.emplace_back(kMainDialogTemplate, 3);  // the main dialog ends with OK
}

StandInWorld& World() {
  static StandInWorld world = [] {
    StandInWorld w;
    SetDefaultAnswers(w);
    return w;
  }();
  return world;
}

StandInDialog* Self(void* context) { return static_cast<StandInDialog*>(context); }

StandInItem* FindItem(StandInDialog* d, int32_t id) {
  for (StandInItem& item : d->items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

// An item to write to: a dialog built from a known template has only its own
// items; one without a template grows the items it is told about.
StandInItem* ItemToWrite(StandInDialog* d, int32_t id) {
  if (StandInItem* item = FindItem(d, id)) return item;
  if (d->knownTemplate || id < 0) return nullptr;
  StandInItem item;
  item.id = id;
  d->items.push_back(item);
  return &d->items.back();
}

uint64_t HashBytes(const uint8_t* bytes, size_t n, uint64_t h) {
  for (size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
  return h;
}

// --- the port ---------------------------------------------------------------

void PortSetText(void* c, int32_t id, const char* text) {
  StandInDialog* d = Self(c);
  StandInItem* item = ItemToWrite(d, id);
  if (!item) return;
  item->text = text ? text : "";
  item->textWrites += 1;
  // A real edit reports the change to its dialog before the call returns.
  if (item->itemClass == ItemClass::Edit) SendStandInEvent(d, MakeCommandEvent(id, kNotifyEditChanged));
}

int32_t PortGetText(void* c, int32_t id, char* text, int32_t capacity) {
  if (!text || capacity <= 0) return 0;
  text[0] = 0;
  const StandInItem* item = FindItem(Self(c), id);
  if (!item) return 0;
  const size_t n = std::min(item->text.size(), size_t(capacity - 1));
  std::memcpy(text, item->text.data(), n);
  text[n] = 0;
  return int32_t(n);
}

void PortSetCheckState(void* c, int32_t id, int32_t state) {
  if (StandInItem* item = ItemToWrite(Self(c), id)) item->check = state;
}

int32_t PortGetCheckState(void* c, int32_t id) {
  const StandInItem* item = FindItem(Self(c), id);
  return item ? item->check : 0;
}

void PortClearChoiceItems(void* c, int32_t id) {
  if (StandInItem* item = ItemToWrite(Self(c), id)) {
    item->choices.clear();
    item->selection = -1;
  }
}

void PortAddChoiceItem(void* c, int32_t id, const char* text) {
  if (StandInItem* item = ItemToWrite(Self(c), id)) item->choices.emplace_back(text ? text : "");
}

void PortSetSelection(void* c, int32_t id, int32_t index) {
  StandInItem* item = ItemToWrite(Self(c), id);
  if (!item) return;
  // An index past the list clears the selection, as a real list does.
  item->selection = index >= 0 && size_t(index) < item->choices.size() ? index : -1;
}

int32_t PortGetSelection(void* c, int32_t id) {
  const StandInItem* item = FindItem(Self(c), id);
  return item ? item->selection : -1;
}

void PortEnable(void* c, int32_t id, uint8_t enabled) {
  if (StandInItem* item = ItemToWrite(Self(c), id)) item->enabled = enabled ? 1 : 0;
}

void PortShow(void* c, int32_t id, uint8_t shown) {
  if (StandInItem* item = ItemToWrite(Self(c), id)) item->shown = shown ? 1 : 0;
}

void PortSelectText(void* c, int32_t id) {
  StandInDialog* d = Self(c);
  StandInItem* item = ItemToWrite(d, id);
  if (!item) return;
  for (StandInItem& other : d->items) other.focused = 0;
  item->focused = 1;
}

void PortSetIcon(void* c, int32_t id, int32_t iconId) {
  if (StandInItem* item = ItemToWrite(Self(c), id)) item->icon = iconId;
}

uint8_t PortExists(void* c, int32_t id) { return FindItem(Self(c), id) ? 1 : 0; }

void PortPlace(void* c, int32_t id, ItemRect rect) {
  if (StandInItem* item = ItemToWrite(Self(c), id)) {
    item->rect = rect;
    item->placed = 1;
  }
}

uint8_t PortItemRect(void* c, int32_t id, ItemRect* rect) {
  const StandInItem* item = FindItem(Self(c), id);
  if (!item || !rect) return 0;
  *rect = item->rect;
  return 1;
}

void PortRedraw(void* c, int32_t id) {
  if (StandInItem* item = FindItem(Self(c), id)) item->redraws += 1;
}

void PortClientSize(void* c, int32_t width, int32_t height) {
  Self(c)->clientWidth = width;
  Self(c)->clientHeight = height;
}

void PortReadClientSize(void* c, int32_t* width, int32_t* height) {
  *width = Self(c)->clientWidth;
  *height = Self(c)->clientHeight;
}

void PortPlacement(void* c, WindowPlacement* p) {
  const StandInDialog* d = Self(c);
  const StandInWorld& w = World();
  const int32_t caption = d->systemMenu ? w.captionHeight : 0;
  p->window = ItemRect{d->windowX, d->windowY, d->windowX + d->clientWidth + 2 * kFrame,
                       d->windowY + d->clientHeight + caption + 2 * kFrame};
  if (d->owner) {
    const int32_t x = d->owner->windowX + kFrame;
    const int32_t y = d->owner->windowY + kFrame + (d->owner->systemMenu ? w.captionHeight : 0);
    p->reference = ItemRect{x, y, x + d->owner->clientWidth, y + d->owner->clientHeight};
  } else if (d->platformOwner) {
    p->reference = w.hostWindow;
  } else {
    p->reference = ItemRect{0, 0, w.screenWidth, w.screenHeight};
  }
  p->screenWidth = w.screenWidth;
  p->screenHeight = w.screenHeight;
  p->captionHeight = w.captionHeight;
  p->hasSystemMenu = d->systemMenu;
}

void PortMove(void* c, int32_t x, int32_t y) {
  Self(c)->windowX = x;
  Self(c)->windowY = y;
}

void PortToTop(void* c) { Self(c)->broughtToTop += 1; }

void PortTimerSet(void* c, int32_t timerId, int32_t milliseconds) {
  StandInDialog* d = Self(c);
  const int32_t interval = std::max(milliseconds, kMinimumTimerInterval);
  const uint64_t due = World().clock + uint64_t(interval);
  for (StandInTimer& t : d->timers) {
    if (t.id == timerId) {
      t.interval = interval;
      t.due = due;
      return;
    }
  }
  d->timers.push_back(StandInTimer{timerId, interval, due});
}

void PortTimerKill(void* c, int32_t timerId) {
  std::vector<StandInTimer>& timers = Self(c)->timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const StandInTimer& t) { return t.id == timerId; }),
               timers.end());
}

void PortCapture(void* c) { Self(c)->captured = 1; }
void PortRelease(void* c) { Self(c)->captured = 0; }

void PortPost(void* c, const DialogEvent* event) {
  if (event) World().posted.emplace_back(Self(c), *event);
}

void PortEnd(void* c, int32_t code) {
  Self(c)->ended = 1;
  Self(c)->endCode = code;
}

void PortBegin(void* c) { Self(c)->drawingDepth += 1; }

void PortEndDraw(void* c) {
  StandInDialog* d = Self(c);
  if (d->drawingDepth == 0) {
    d->unbalancedDrawing += 1;
    return;
  }
  d->drawingDepth -= 1;
}

void PortFill(void* c, ItemRect rect, RgbColour colour) {
  CanvasOp op;
  op.kind = CanvasOpKind::Fill;
  op.rect = rect;
  op.colour = colour;
  Self(c)->canvas.push_back(op);
}

void PortFrame(void* c, ItemRect rect, RgbColour colour) {
  CanvasOp op;
  op.kind = CanvasOpKind::Frame;
  op.rect = rect;
  op.colour = colour;
  Self(c)->canvas.push_back(op);
}

void PortLine(void* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, RgbColour colour) {
  CanvasOp op;
  op.kind = CanvasOpKind::Line;
  op.x0 = x0;
  op.y0 = y0;
  op.x1 = x1;
  op.y1 = y1;
  op.colour = colour;
  Self(c)->canvas.push_back(op);
}

void PortBitmap(void* c, int32_t bitmapId, int32_t x, int32_t y, const ItemRect* clip) {
  CanvasOp op;
  op.kind = CanvasOpKind::Bitmap;
  op.bitmapId = bitmapId;
  op.x0 = x;
  op.y0 = y;
  if (clip) {
    op.clipped = 1;
    op.clip = *clip;
  }
  Self(c)->canvas.push_back(op);
}

void PortPixels(void* c, const CanvasPixels* pixels, int32_t x, int32_t y) {
  if (!pixels) return;
  CanvasOp op;
  op.kind = CanvasOpKind::Pixels;
  op.x0 = x;
  op.y0 = y;
  op.width = pixels->width;
  op.height = pixels->height;
  uint64_t h = 14695981039346656037ull;
  if (pixels->rgb && pixels->width > 0) {
    for (int32_t row = 0; row < pixels->height; ++row) {
      h = HashBytes(pixels->rgb + int64_t(row) * pixels->rowBytes, size_t(pixels->width) * 3, h);
    }
  }
  op.pixelHash = h;
  Self(c)->canvas.push_back(op);
}

void PortText(void* c, ItemRect rect, const char* text, RgbColour colour, TextAlign align) {
  CanvasOp op;
  op.kind = CanvasOpKind::Text;
  op.rect = rect;
  op.text = text ? text : "";
  op.colour = colour;
  op.align = align;
  Self(c)->canvas.push_back(op);
}

void PortFocus(void* c, ItemRect rect) {
  CanvasOp op;
  op.kind = CanvasOpKind::FocusRect;
  op.rect = rect;
  Self(c)->canvas.push_back(op);
}

// The host draws through a context of the platform's; the stand-in hands
// out the dialog itself, so that displayPixels reaches the host as it would.
void* PortDrawingContext(void* context) { return context; }

DialogPort MakePort(StandInDialog* d) {
  DialogPort p{};
  p.context = d;
  p.setItemText = PortSetText;
  p.getItemText = PortGetText;
  p.setCheck = PortSetCheckState;
  p.getCheck = PortGetCheckState;
  p.clearChoices = PortClearChoiceItems;
  p.addChoice = PortAddChoiceItem;
  p.setChoiceSelection = PortSetSelection;
  p.getChoiceSelection = PortGetSelection;
  p.enableItem = PortEnable;
  p.showItem = PortShow;
  p.selectEditText = PortSelectText;
  p.setItemIcon = PortSetIcon;
  p.itemExists = PortExists;
  p.placeItem = PortPlace;
  p.getItemRect = PortItemRect;
  p.redrawItem = PortRedraw;
  p.setClientSize = PortClientSize;
  p.getClientSize = PortReadClientSize;
  p.getPlacement = PortPlacement;
  p.moveWindow = PortMove;
  p.bringToTop = PortToTop;
  p.setTimer = PortTimerSet;
  p.killTimer = PortTimerKill;
  p.captureMouse = PortCapture;
  p.releaseMouse = PortRelease;
  p.postEvent = PortPost;
  p.endDialog = PortEnd;
  p.beginDrawing = PortBegin;
  p.endDrawing = PortEndDraw;
  p.fillRect = PortFill;
  p.frameRect = PortFrame;
  p.drawLine = PortLine;
  p.drawBitmap = PortBitmap;
  p.blitPixels = PortPixels;
  p.drawText = PortText;
  p.drawFocusRect = PortFocus;
  p.hostDrawingContext = PortDrawingContext;
  return p;
}

// --- the modal loop ---------------------------------------------------------

bool IsOpen(const StandInDialog* d) {
  for (const auto& open : World().open) {
    if (open.get() == d) return true;
  }
  return false;
}

// Delivers the oldest posted event; false when there was none. Events for a
// dialog that has ended or closed are dropped, as its window is gone.
bool DeliverOnePosted() {
  StandInWorld& w = World();
  while (!w.posted.empty()) {
    const std::pair<StandInDialog*, DialogEvent> next = w.posted.front();
    w.posted.pop_front();
    if (!IsOpen(next.first) || next.first->ended) continue;
    SendStandInEvent(next.first, next.second);
    return true;
  }
  return false;
}

// The open dialog with the earliest timer, and that timer's index.
StandInDialog* EarliestTimer(size_t* index) {
  StandInDialog* best = nullptr;
  uint64_t due = 0;
  for (const auto& open : World().open) {
    if (open->ended) continue;
    for (size_t i = 0; i < open->timers.size(); ++i) {
      if (!best || open->timers[i].due < due) {
        best = open.get();
        due = open->timers[i].due;
        *index = i;
      }
    }
  }
  return best;
}

void FireTimer(StandInDialog* d, size_t index) {
  StandInTimer& t = d->timers[index];
  World().clock = std::max(World().clock, t.due);
  const int32_t id = t.id;
  t.due = World().clock + uint64_t(t.interval);  // a timer repeats until killed
  SendStandInEvent(d, MakeTimerEvent(id));
}

const StandInDriver* DriverFor(const std::string& name) {
  for (const auto& entry : World().drivers) {
    if (entry.first == name) return &entry.second;
  }
  return nullptr;
}

const int32_t* AnswerFor(const std::string& name) {
  for (const auto& entry : World().answers) {
    if (entry.first == name) return &entry.second;
  }
  return nullptr;
}

// Ends a dialog nobody ends: close it; a close nobody handles presses Cancel.
void CloseUnanswered(StandInDialog* d) {
  if (!d->ended && SendStandInEvent(d, MakePlainEvent(DialogEventKind::Close)) == 0 && !d->ended) {
    SendStandInEvent(d, MakeCommandEvent(kIdCancelButton, kNotifyClicked));
  }
  if (!d->ended) {
    World().forcedEnds += 1;
    d->ended = 1;
    d->endCode = -1;
  }
}

int32_t RunModal(void* /*context*/, const char* templateName, DialogHandler handler, void* state,
                 const DialogPort* owner, intptr_t platformOwner) {
  StandInWorld& w = World();
  if (int32_t(w.open.size()) >= w.maxNesting) {
    w.refusedNesting += 1;
    return -1;
  }
  w.shown.emplace_back(templateName);
  StandInDialog* d = OpenStandInDialog(templateName, handler, state, StandInDialogOfPort(owner), platformOwner);
  // A copy: a driver may set the drivers of the dialogs it opens, which may
  // move or replace the world's own while this one runs.
  const StandInDriver* found = DriverFor(d->templateName);
  const StandInDriver driver = found ? *found : StandInDriver();
  const int32_t* answerFound = AnswerFor(d->templateName);
  const bool hasAnswer = answerFound != nullptr;
  const int32_t answer = hasAnswer ? *answerFound : 0;
  bool answered = false;
  int32_t events = 0;
  int32_t idleFires = 0;
  while (!d->ended) {
    if (++events > w.maxLoopEvents) {
      w.forcedEnds += 1;
      d->ended = 1;
      d->endCode = -1;
      break;
    }
    if (DeliverOnePosted()) continue;
    if (driver && driver(d)) continue;
    if (hasAnswer && !answered) {
      answered = true;
      SendStandInEvent(d, MakeCommandEvent(answer, kNotifyClicked));
      continue;
    }
    size_t index = 0;
    if (idleFires < w.maxIdleTimerFires) {
      if (StandInDialog* timerDialog = EarliestTimer(&index)) {
        idleFires += 1;
        FireTimer(timerDialog, index);
        continue;
      }
    }
    CloseUnanswered(d);
  }
  const int32_t code = d->endCode;
  CloseStandInDialog(d);
  return code;
}

int32_t ChooseFileAnswer(void*, const FileChoiceRequest* request) {
  StandInWorld& w = World();
  StandInFileRequest record;
  record.kind = request->kind;
  record.save = request->save;
  record.title = request->title ? request->title : "";
  record.proposed = request->path ? request->path : "";
  if (request->showThumbnail) {
    record.panel = 1;
    record.panelRgb.resize(size_t(kStandInPanelWidth) * kStandInPanelHeight * 3);
    request->showThumbnail(nullptr, kStandInPanelWidth, kStandInPanelHeight, record.panelRgb.data());
  }
  w.fileRequests.push_back(record);
  if (w.fileAnswers.empty()) return 0;
  const std::pair<bool, std::string> answer = w.fileAnswers.front();
  w.fileAnswers.pop_front();
  if (answer.first && request->showThumbnail) {
    StandInFileRequest& shown = w.fileRequests.back();
    shown.panelRead = request->showThumbnail(answer.second.c_str(), kStandInPanelWidth, kStandInPanelHeight,
                                             shown.panelRgb.data());
  }
  if (!answer.first || !request->path) return 0;
  const std::string& path = answer.second;
  const size_t cut = path.find_last_of("\\/");
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  auto copy = [](char* dest, const std::string& src) {
    if (!dest) return;
    const size_t n = std::min(src.size(), kPathCapacity - 1);
    std::memcpy(dest, src.data(), n);
    dest[n] = 0;
  };
  copy(request->path, path);
  copy(request->fileTitle, name);
  copy(request->folder, folder);
  return 1;
}

uint8_t ChooseColourAnswer(void*, const char* title, const uint16_t colour[3], uint16_t chosen[3]) {
  StandInWorld& w = World();
  w.colourRequests.push_back(StandInColourRequest{title ? title : "", {colour[0], colour[1], colour[2]}});
  if (w.colourAnswers.empty()) return 0;
  const std::pair<bool, RgbColour> answer = w.colourAnswers.front();
  w.colourAnswers.pop_front();
  if (!answer.first) return 0;
  chosen[0] = uint16_t(answer.second.red << 8);
  chosen[1] = uint16_t(answer.second.green << 8);
  chosen[2] = uint16_t(answer.second.blue << 8);
  return 1;
}

void SetCursorShape(void*, CursorShape shape) { World().cursors.push_back(shape); }
void Beep(void*) { World().beeps += 1; }
uint32_t Tick(void*) { return uint32_t(World().clock); }
void OpenPage(void*, const char* address) { World().webPages.emplace_back(address ? address : ""); }

}  // namespace

const WindowSystem* StandInWindowSystem() {
  static const WindowSystem system = {nullptr, RunModal, ChooseFileAnswer, ChooseColourAnswer, SetCursorShape,
                                      Beep,    Tick,     OpenPage};
  return &system;
}

StandInWorld& GetStandInWorld() { return World(); }

void ResetStandIn() {
  StandInWorld& w = World();
  w.posted.clear();
  w.open.clear();
  w = StandInWorld{};
  SetDefaultAnswers(w);
}

void SetStandInAnswer(const char* templateName, int32_t buttonId) {
  StandInWorld& w = World();
  for (auto& entry : w.answers) {
    if (entry.first == templateName) {
      entry.second = buttonId;
      return;
    }
  }
  w.answers.emplace_back(templateName, buttonId);
}

void SetStandInDriver(const char* templateName, StandInDriver driver) {
  StandInWorld& w = World();
  for (auto& entry : w.drivers) {
    if (entry.first == templateName) {
      entry.second = std::move(driver);
      return;
    }
  }
  w.drivers.emplace_back(templateName, std::move(driver));
}

void AddStandInTemplate(const DialogTemplate& dialogTemplate) { World().templates.push_back(dialogTemplate); }

void QueueStandInFileAnswer(bool chosen, const char* path) {
  World().fileAnswers.emplace_back(chosen, path ? path : "");
}

void QueueStandInColourAnswer(bool chosen, RgbColour colour) { World().colourAnswers.emplace_back(chosen, colour); }

StandInDialog* OpenStandInDialog(const char* templateName, DialogHandler handler, void* state, StandInDialog* owner,
                                 intptr_t platformOwner) {
  StandInWorld& w = World();
  auto dialog = std::make_unique<StandInDialog>();
  StandInDialog* d = dialog.get();
  d->templateName = templateName ? templateName : "";
  d->handler = handler;
  d->state = state;
  d->owner = owner;
  d->platformOwner = platformOwner;
  d->port = MakePort(d);
  const DialogTemplate* t = nullptr;
  for (const DialogTemplate& added : w.templates) {
    if (templateName && std::strcmp(added.name, templateName) == 0) t = &added;
  }
  if (!t) t = FindDialogTemplate(templateName);
  if (t) {
    d->knownTemplate = 1;
    d->systemMenu = t->systemMenu;
    // Dialog units to pixels at the usual font: 3/2 across and down.
    d->clientWidth = t->widthUnits * 3 / 2;
    d->clientHeight = t->heightUnits * 3 / 2;
    for (int32_t i = 0; i < t->itemCount; ++i) {
      const TemplateItem& ti = t->items[i];
      if (ti.id == kStaticItemId) continue;
      StandInItem item;
      item.id = ti.id;
      item.itemClass = ti.itemClass;
      item.text = ti.text ? ti.text : "";
      item.icon = ti.resourceId;
      d->items.push_back(item);
    }
  }
  w.open.push_back(std::move(dialog));
  SendStandInEvent(d, MakePlainEvent(DialogEventKind::Init));
  if (!d->ended) StandInPaint(d);
  return d;
}

void CloseStandInDialog(StandInDialog* dialog) {
  StandInWorld& w = World();
  w.posted.erase(std::remove_if(w.posted.begin(), w.posted.end(),
                                [&](const std::pair<StandInDialog*, DialogEvent>& e) { return e.first == dialog; }),
                 w.posted.end());
  for (auto& open : w.open) {
    if (open->owner == dialog) open->owner = nullptr;
  }
  w.open.erase(std::remove_if(w.open.begin(), w.open.end(),
                              [&](const std::unique_ptr<StandInDialog>& d) { return d.get() == dialog; }),
               w.open.end());
}

StandInDialog* FindOpenStandInDialog(const char* templateName) {
  StandInWorld& w = World();
  for (auto it = w.open.rbegin(); it != w.open.rend(); ++it) {
    if ((*it)->templateName == templateName) return it->get();
  }
  return nullptr;
}

StandInDialog* StandInDialogOfPort(const DialogPort* port) {
  if (!port) return nullptr;
  for (const auto& open : World().open) {
    if (&open->port == port || open->port.context == port->context) return open.get();
  }
  return nullptr;
}

int32_t SendStandInEvent(StandInDialog* dialog, const DialogEvent& event) {
  StandInWorld& w = World();
  if (!dialog || !dialog->handler || !IsOpen(dialog)) return 0;
  if (w.sendDepth >= w.maxSendDepth) {
    w.droppedSends += 1;
    return 0;
  }
  w.sendDepth += 1;
  dialog->eventsDelivered += 1;
  const int32_t result = dialog->handler(dialog->state, &dialog->port, &event);
  w.sendDepth -= 1;
  return result;
}

void PumpStandInEvents() {
  for (int32_t n = 0; n < World().maxLoopEvents && DeliverOnePosted(); ++n) {
  }
}

void AdvanceStandInClock(uint32_t milliseconds) {
  StandInWorld& w = World();
  const uint64_t target = w.clock + milliseconds;
  for (int32_t n = 0; n < w.maxLoopEvents; ++n) {
    PumpStandInEvents();
    size_t index = 0;
    StandInDialog* d = EarliestTimer(&index);
    if (!d || d->timers[index].due > target) break;
    FireTimer(d, index);
  }
  PumpStandInEvents();
  w.clock = std::max(w.clock, target);
}

bool StandInClick(StandInDialog* dialog, int32_t id) {
  StandInItem* item = dialog ? FindItem(dialog, id) : nullptr;
  if (!item || !item->enabled || !item->shown) return false;
  if (item->itemClass == ItemClass::CheckBox) item->check = item->check == 1 ? 0 : 1;
  if (item->itemClass == ItemClass::RadioButton) item->check = 1;
  SendStandInEvent(dialog, MakeCommandEvent(id, kNotifyClicked));
  return true;
}

bool StandInType(StandInDialog* dialog, int32_t id, const char* text) {
  StandInItem* item = dialog ? FindItem(dialog, id) : nullptr;
  if (!item || !item->enabled || !item->shown || item->itemClass != ItemClass::Edit) return false;
  item->text = text ? text : "";
  SendStandInEvent(dialog, MakeCommandEvent(id, kNotifyEditChanged));
  return true;
}

bool StandInPickChoice(StandInDialog* dialog, int32_t id, int32_t index) {
  StandInItem* item = dialog ? FindItem(dialog, id) : nullptr;
  if (!item || !item->enabled || !item->shown || item->itemClass != ItemClass::ComboBox) return false;
  if (index < 0 || size_t(index) >= item->choices.size()) return false;
  item->selection = index;
  SendStandInEvent(dialog, MakeCommandEvent(id, kNotifySelectionChanged));
  return true;
}

void StandInMouse(StandInDialog* dialog, DialogEventKind kind, int32_t button, uint32_t keys, int32_t x, int32_t y) {
  SendStandInEvent(dialog, MakeMouseEvent(kind, button, keys, x, y));
}

void StandInPaint(StandInDialog* dialog) {
  SendStandInEvent(dialog, MakePlainEvent(DialogEventKind::EraseBackground));
  SendStandInEvent(dialog, MakePlainEvent(DialogEventKind::Paint));
}

const StandInItem* FindStandInItem(const StandInDialog* dialog, int32_t id) {
  return dialog ? FindItem(const_cast<StandInDialog*>(dialog), id) : nullptr;
}

bool StandInTimerRunning(const StandInDialog* dialog, int32_t timerId) {
  if (!dialog) return false;
  for (const StandInTimer& t : dialog->timers) {
    if (t.id == timerId) return true;
  }
  return false;
}

std::vector<CanvasOp> StandInCanvasOps(const StandInDialog* dialog, CanvasOpKind kind) {
  std::vector<CanvasOp> ops;
  if (!dialog) return ops;
  for (const CanvasOp& op : dialog->canvas) {
    if (op.kind == kind) ops.push_back(op);
  }
  return ops;
}
