#include "ui/dialog_port.h"

#include "ui/standin/dialog_standin.h"

namespace {

const WindowSystem* gInstalled = nullptr;

}  // namespace

DialogEvent MakeCommandEvent(int32_t id, int32_t code) {
  return DialogEvent{DialogEventKind::Command, id, code, 0, 0, 0, 0};
}

DialogEvent MakeTimerEvent(int32_t timerId) { return DialogEvent{DialogEventKind::Timer, timerId, 0, 0, 0, 0, 0}; }

DialogEvent MakeMouseEvent(DialogEventKind kind, int32_t button, uint32_t keys, int32_t x, int32_t y) {
  return DialogEvent{kind, 0, 0, x, y, button, keys};
}

DialogEvent MakePlainEvent(DialogEventKind kind) { return DialogEvent{kind, 0, 0, 0, 0, 0, 0}; }

void InstallWindowSystem(const WindowSystem* system) { gInstalled = system; }

const WindowSystem* CurrentWindowSystem() { return gInstalled ? gInstalled : StandInWindowSystem(); }

int32_t RunModalDialog(const char* templateName, DialogHandler handler, void* state, const DialogPort* owner,
                       intptr_t platformOwner) {
  const WindowSystem* ws = CurrentWindowSystem();
  if (!ws->runModal || !templateName || !handler) return -1;
  return ws->runModal(ws->context, templateName, handler, state, owner, platformOwner);
}

int32_t ChooseFile(const FileChoiceRequest* request) {
  const WindowSystem* ws = CurrentWindowSystem();
  return ws->chooseFile && request ? ws->chooseFile(ws->context, request) : 0;
}

bool ChooseSystemColour(const char* title, const uint16_t colour[3], uint16_t chosen[3]) {
  const WindowSystem* ws = CurrentWindowSystem();
  return ws->chooseColour && ws->chooseColour(ws->context, title ? title : "", colour, chosen) != 0;
}

void SetWindowCursor(CursorShape shape) {
  const WindowSystem* ws = CurrentWindowSystem();
  if (ws->setCursor) ws->setCursor(ws->context, shape);
}

void SoundBeep() {
  const WindowSystem* ws = CurrentWindowSystem();
  if (ws->beep) ws->beep(ws->context);
}

uint32_t WindowTickMilliseconds() {
  const WindowSystem* ws = CurrentWindowSystem();
  return ws->tickMilliseconds ? ws->tickMilliseconds(ws->context) : 0;
}

void OpenWebPage(const char* address) {
  const WindowSystem* ws = CurrentWindowSystem();
  if (ws->openWebPage && address) ws->openWebPage(ws->context, address);
}

// Every call through a port: nothing happens without the port or the function.
#define ORBALIX_PORT_CALL(fn, ...) \
  if (port && port->fn) port->fn(port->context __VA_OPT__(, ) __VA_ARGS__)

void PortSetItemText(const DialogPort* port, int32_t id, const char* text) {
  ORBALIX_PORT_CALL(setItemText, id, text ? text : "");
}

int32_t PortGetItemText(const DialogPort* port, int32_t id, char* text, int32_t capacity) {
  if (!text || capacity <= 0) return 0;
  text[0] = 0;
  if (!port || !port->getItemText) return 0;
  const int32_t n = port->getItemText(port->context, id, text, capacity);
  text[capacity - 1] = 0;
  return n < 0 ? 0 : n < capacity ? n : capacity - 1;
}

void PortSetCheck(const DialogPort* port, int32_t id, int32_t state) { ORBALIX_PORT_CALL(setCheck, id, state); }

int32_t PortGetCheck(const DialogPort* port, int32_t id) {
  return port && port->getCheck ? port->getCheck(port->context, id) : 0;
}

void PortClearChoices(const DialogPort* port, int32_t id) { ORBALIX_PORT_CALL(clearChoices, id); }

void PortAddChoice(const DialogPort* port, int32_t id, const char* text) {
  ORBALIX_PORT_CALL(addChoice, id, text ? text : "");
}

void PortSetChoiceSelection(const DialogPort* port, int32_t id, int32_t index) {
  ORBALIX_PORT_CALL(setChoiceSelection, id, index);
}

int32_t PortGetChoiceSelection(const DialogPort* port, int32_t id) {
  return port && port->getChoiceSelection ? port->getChoiceSelection(port->context, id) : -1;
}

void PortEnableItem(const DialogPort* port, int32_t id, bool enabled) {
  ORBALIX_PORT_CALL(enableItem, id, uint8_t(enabled ? 1 : 0));
}

void PortShowItem(const DialogPort* port, int32_t id, bool shown) {
  ORBALIX_PORT_CALL(showItem, id, uint8_t(shown ? 1 : 0));
}

void PortSelectEditText(const DialogPort* port, int32_t id) { ORBALIX_PORT_CALL(selectEditText, id); }

void PortSetItemIcon(const DialogPort* port, int32_t id, int32_t iconId) { ORBALIX_PORT_CALL(setItemIcon, id, iconId); }

bool PortItemExists(const DialogPort* port, int32_t id) {
  return port && port->itemExists && port->itemExists(port->context, id) != 0;
}

void PortPlaceItem(const DialogPort* port, int32_t id, ItemRect rect) { ORBALIX_PORT_CALL(placeItem, id, rect); }

bool PortGetItemRect(const DialogPort* port, int32_t id, ItemRect* rect) {
  return port && port->getItemRect && rect && port->getItemRect(port->context, id, rect) != 0;
}

void PortRedrawItem(const DialogPort* port, int32_t id) { ORBALIX_PORT_CALL(redrawItem, id); }

void PortSetClientSize(const DialogPort* port, int32_t width, int32_t height) {
  ORBALIX_PORT_CALL(setClientSize, width, height);
}

bool PortGetClientSize(const DialogPort* port, int32_t* width, int32_t* height) {
  if (!port || !port->getClientSize || !width || !height) return false;
  port->getClientSize(port->context, width, height);
  return true;
}

bool PortGetPlacement(const DialogPort* port, WindowPlacement* placement) {
  if (!port || !port->getPlacement || !placement) return false;
  port->getPlacement(port->context, placement);
  return true;
}

void PortMoveWindow(const DialogPort* port, int32_t x, int32_t y) { ORBALIX_PORT_CALL(moveWindow, x, y); }

void PortBringToTop(const DialogPort* port) { ORBALIX_PORT_CALL(bringToTop); }

void PortSetTimer(const DialogPort* port, int32_t timerId, int32_t milliseconds) {
  ORBALIX_PORT_CALL(setTimer, timerId, milliseconds);
}

void PortKillTimer(const DialogPort* port, int32_t timerId) { ORBALIX_PORT_CALL(killTimer, timerId); }

void PortCaptureMouse(const DialogPort* port) { ORBALIX_PORT_CALL(captureMouse); }

void PortReleaseMouse(const DialogPort* port) { ORBALIX_PORT_CALL(releaseMouse); }

void PortPostEvent(const DialogPort* port, const DialogEvent& event) { ORBALIX_PORT_CALL(postEvent, &event); }

void PortEndDialog(const DialogPort* port, int32_t code) { ORBALIX_PORT_CALL(endDialog, code); }

void PortBeginDrawing(const DialogPort* port) { ORBALIX_PORT_CALL(beginDrawing); }

void PortEndDrawing(const DialogPort* port) { ORBALIX_PORT_CALL(endDrawing); }

void PortFillRect(const DialogPort* port, ItemRect rect, RgbColour colour) {
  ORBALIX_PORT_CALL(fillRect, rect, colour);
}

void PortFrameRect(const DialogPort* port, ItemRect rect, RgbColour colour) {
  ORBALIX_PORT_CALL(frameRect, rect, colour);
}

void PortDrawLine(const DialogPort* port, int32_t x0, int32_t y0, int32_t x1, int32_t y1, RgbColour colour) {
  ORBALIX_PORT_CALL(drawLine, x0, y0, x1, y1, colour);
}

void PortDrawBitmap(const DialogPort* port, int32_t bitmapId, int32_t x, int32_t y, const ItemRect* clip) {
  ORBALIX_PORT_CALL(drawBitmap, bitmapId, x, y, clip);
}

void PortBlitPixels(const DialogPort* port, const CanvasPixels& pixels, int32_t x, int32_t y) {
  ORBALIX_PORT_CALL(blitPixels, &pixels, x, y);
}

void PortDrawText(const DialogPort* port, ItemRect rect, const char* text, RgbColour colour, TextAlign align) {
  ORBALIX_PORT_CALL(drawText, rect, text ? text : "", colour, align);
}

void PortDrawFocusRect(const DialogPort* port, ItemRect rect) { ORBALIX_PORT_CALL(drawFocusRect, rect); }

void* PortHostDrawingContext(const DialogPort* port) {
  return port && port->hostDrawingContext ? port->hostDrawingContext(port->context) : nullptr;
}

#undef ORBALIX_PORT_CALL
