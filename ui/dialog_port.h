// What the dialogs' controllers need of a window system, and nothing more.
//
// A controller is a handler function with a state record of its own: the
// window system delivers events to it (init, commands, timers, mouse, close,
// painting) together with the port of the dialog window, and the controller
// acts on the window only through that port: item texts, check states, choice
// lists, enabling, item rectangles, timers, mouse capture, events posted to
// itself, ending the dialog, and a canvas to draw on. Window-wide services
// (running a modal dialog, the file and colour choosers, the cursor, the beep,
// the millisecond clock) come from the installed WindowSystem.
//
// No window-system type appears here: the Windows view and the stand-in of
// ui/standin implement these records over their own windows. Every record is
// a context pointer and plain function pointers; a null function pointer is
// a call that does nothing (and a query that answers "nothing").
#pragma once

#include <cstdint>

struct GlobalsRecord;

// A rectangle in the client pixels of a dialog; right and bottom are exclusive.
struct ItemRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct RgbColour {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

enum class DialogEventKind : int32_t {
  Init,             // the window exists with its items; nothing is shown yet
  Command,          // id: the item; code: the notification below
  Timer,            // id: the timer
  MouseDown,        // button, keys, x, y
  MouseMove,        // keys, x, y
  MouseUp,          // button, keys, x, y
  Close,            // the user closed the window (not handled: the window system sends Cancel)
  Paint,            // redraw what the controller draws; the canvas is ready
  EraseBackground,  // paint the window's background; the canvas is ready
  DrawItem,         // draw an owner-drawn button: id, code = the draw-item state bits
};

// Notification codes of a command.
constexpr int32_t kNotifyClicked = 0;           // a button was pressed
constexpr int32_t kNotifySelectionChanged = 1;  // the user picked an item of a choice list
constexpr int32_t kNotifyEditChanged = 0x300;   // an edit's text changed, also when the program set it

// Mouse buttons, and the buttons and keys held during a mouse event.
constexpr int32_t kMouseLeft = 1;
constexpr int32_t kMouseRight = 2;
constexpr uint32_t kKeyLeftButton = 1;
constexpr uint32_t kKeyRightButton = 2;
constexpr uint32_t kKeyShift = 4;
constexpr uint32_t kKeyControl = 8;

// State bits of a DrawItem event.
constexpr int32_t kDrawItemPressed = 1;
constexpr int32_t kDrawItemDisabled = 2;
constexpr int32_t kDrawItemFocused = 4;

struct DialogEvent {
  DialogEventKind kind;
  int32_t id;
  int32_t code;
  int32_t x;
  int32_t y;
  int32_t button;
  uint32_t keys;
};

DialogEvent MakeCommandEvent(int32_t id, int32_t code);
DialogEvent MakeTimerEvent(int32_t timerId);
DialogEvent MakeMouseEvent(DialogEventKind kind, int32_t button, uint32_t keys, int32_t x, int32_t y);
DialogEvent MakePlainEvent(DialogEventKind kind);

// The cursor shapes; the values are the dialog's cursor states.
enum class CursorShape : int32_t { Arrow = 0, Hover = 1, Grab = 2, Wait = 4 };

enum class TextAlign : int32_t { Left = 0, Centre = 1, Right = 2 };

// Rows of 8-bit red, green, blue triples.
struct CanvasPixels {
  int32_t width;
  int32_t height;
  int32_t rowBytes;
  const uint8_t* rgb;
};

// Where a dialog window is and what it is placed against, in screen pixels.
struct WindowPlacement {
  ItemRect window;     // the whole window
  ItemRect reference;  // the parent's client area, or the desktop's when there is no parent
  int32_t screenWidth;
  int32_t screenHeight;
  int32_t captionHeight;
  uint8_t hasSystemMenu;
};

struct DialogPort {
  void* context;

  // Items. Texts are zero-terminated bytes (Windows-1252). getItemText writes
  // at most capacity bytes, the terminator included, and answers the length.
  // Setting the text of an edit makes the edit report kNotifyEditChanged to
  // the controller before the call returns, as a real edit does.
  void (*setItemText)(void* context, int32_t id, const char* text);
  int32_t (*getItemText)(void* context, int32_t id, char* text, int32_t capacity);
  void (*setCheck)(void* context, int32_t id, int32_t state);
  int32_t (*getCheck)(void* context, int32_t id);  // 0 clear, 1 ticked, 2 indeterminate
  void (*clearChoices)(void* context, int32_t id);
  void (*addChoice)(void* context, int32_t id, const char* text);
  void (*setChoiceSelection)(void* context, int32_t id, int32_t index);  // -1 or an index past the end: none
  int32_t (*getChoiceSelection)(void* context, int32_t id);              // -1 for none
  void (*enableItem)(void* context, int32_t id, uint8_t enabled);
  void (*showItem)(void* context, int32_t id, uint8_t shown);
  void (*selectEditText)(void* context, int32_t id);  // select all of it and give it the focus
  void (*setItemIcon)(void* context, int32_t id, int32_t iconId);
  uint8_t (*itemExists)(void* context, int32_t id);
  // The item's window rectangle in the dialog's client pixels. placeItem puts
  // the item's client area there (the view allows for the item's own frame).
  void (*placeItem)(void* context, int32_t id, ItemRect rect);
  uint8_t (*getItemRect)(void* context, int32_t id, ItemRect* rect);
  void (*redrawItem)(void* context, int32_t id);  // a native item repaints itself

  // The window.
  void (*setClientSize)(void* context, int32_t width, int32_t height);
  void (*getClientSize)(void* context, int32_t* width, int32_t* height);
  void (*getPlacement)(void* context, WindowPlacement* placement);
  void (*moveWindow)(void* context, int32_t x, int32_t y);  // screen pixels, size and Z order kept
  void (*bringToTop)(void* context);

  // Timers repeat until killed; setting a running timer restarts it.
  void (*setTimer)(void* context, int32_t timerId, int32_t milliseconds);
  void (*killTimer)(void* context, int32_t timerId);
  void (*captureMouse)(void* context);
  void (*releaseMouse)(void* context);
  // Queues an event for this dialog; it arrives after the current one is done.
  void (*postEvent)(void* context, const DialogEvent* event);
  void (*endDialog)(void* context, int32_t code);

  // The canvas, in the dialog's client pixels (for DrawItem too: the view
  // moves the origin of the item's own surface). Drawing outside Paint,
  // EraseBackground and DrawItem is bracketed by beginDrawing and endDrawing.
  void (*beginDrawing)(void* context);
  void (*endDrawing)(void* context);
  void (*fillRect)(void* context, ItemRect rect, RgbColour colour);
  void (*frameRect)(void* context, ItemRect rect, RgbColour colour);  // one pixel inside the rectangle
  void (*drawLine)(void* context, int32_t x0, int32_t y0, int32_t x1, int32_t y1, RgbColour colour);
  // A bitmap of the plug-in's resources at its own size, its top-left at x, y;
  // clip (may be null) limits what is drawn.
  void (*drawBitmap)(void* context, int32_t bitmapId, int32_t x, int32_t y, const ItemRect* clip);
  void (*blitPixels)(void* context, const CanvasPixels* pixels, int32_t x, int32_t y);
  // One line of the dialog's label font, transparent, placed in rect by align.
  void (*drawText)(void* context, ItemRect rect, const char* text, RgbColour colour, TextAlign align);
  void (*drawFocusRect)(void* context, ItemRect rect);
  // The platform's drawing context for the host's displayPixels (null where
  // there is none).
  void* (*hostDrawingContext)(void* context);
};

// A controller: answers non-zero when it handled the event.
using DialogHandler = int32_t (*)(void* state, const DialogPort* port, const DialogEvent* event);

// What a file chooser is asked. path (kMaxPathLength + 1 bytes) holds the
// proposed name and receives the chosen path; fileTitle and folder (same size,
// may be null) receive the bare name and the folder.
struct FileChoiceRequest {
  int32_t kind;  // the file kinds of the choosers
  uint8_t save;
  const char* title;
  char* path;
  char* fileTitle;
  char* folder;
  const DialogPort* owner;
  GlobalsRecord* globals;
  // Set for the open chooser of settings files: the chooser shows a panel
  // beside its own controls, and whenever the selection changes it asks
  // here for the picture of the selected file at the panel's size (rows of
  // red, green, blue). Answers 1 when the file held a picture; without a
  // file (a null path) the panel's empty background.
  uint8_t (*showThumbnail)(const char* path, int32_t width, int32_t height, uint8_t* rgb);
};

struct WindowSystem {
  void* context;
  // Runs the dialog of a template modally until the controller ends it;
  // answers the end code, or -1 when the dialog could not be shown. The owner
  // is one of our dialogs, else platformOwner (the host's window), else none.
  int32_t (*runModal)(void* context, const char* templateName, DialogHandler handler, void* state,
                      const DialogPort* owner, intptr_t platformOwner);
  int32_t (*chooseFile)(void* context, const FileChoiceRequest* request);  // 1 chosen, 0 cancelled
  // The system's colour dialog; colours are three 16-bit components.
  uint8_t (*chooseColour)(void* context, const char* title, const uint16_t colour[3], uint16_t chosen[3]);
  void (*setCursor)(void* context, CursorShape shape);
  void (*beep)(void* context);
  uint32_t (*tickMilliseconds)(void* context);
  void (*openWebPage)(void* context, const char* address);
};

// The window system in use: the installed one, else the stand-in.
void InstallWindowSystem(const WindowSystem* system);
const WindowSystem* CurrentWindowSystem();

// Calls through the current window system.
int32_t RunModalDialog(const char* templateName, DialogHandler handler, void* state, const DialogPort* owner,
                       intptr_t platformOwner = 0);
int32_t ChooseFile(const FileChoiceRequest* request);
bool ChooseSystemColour(const char* title, const uint16_t colour[3], uint16_t chosen[3]);
void SetWindowCursor(CursorShape shape);
void SoundBeep();
uint32_t WindowTickMilliseconds();
void OpenWebPage(const char* address);

// Calls through a port; each does nothing for a null port or function.
void PortSetItemText(const DialogPort* port, int32_t id, const char* text);
int32_t PortGetItemText(const DialogPort* port, int32_t id, char* text, int32_t capacity);
void PortSetCheck(const DialogPort* port, int32_t id, int32_t state);
int32_t PortGetCheck(const DialogPort* port, int32_t id);
void PortClearChoices(const DialogPort* port, int32_t id);
void PortAddChoice(const DialogPort* port, int32_t id, const char* text);
void PortSetChoiceSelection(const DialogPort* port, int32_t id, int32_t index);
int32_t PortGetChoiceSelection(const DialogPort* port, int32_t id);
void PortEnableItem(const DialogPort* port, int32_t id, bool enabled);
void PortShowItem(const DialogPort* port, int32_t id, bool shown);
void PortSelectEditText(const DialogPort* port, int32_t id);
void PortSetItemIcon(const DialogPort* port, int32_t id, int32_t iconId);
bool PortItemExists(const DialogPort* port, int32_t id);
void PortPlaceItem(const DialogPort* port, int32_t id, ItemRect rect);
bool PortGetItemRect(const DialogPort* port, int32_t id, ItemRect* rect);
void PortRedrawItem(const DialogPort* port, int32_t id);
void PortSetClientSize(const DialogPort* port, int32_t width, int32_t height);
bool PortGetClientSize(const DialogPort* port, int32_t* width, int32_t* height);
bool PortGetPlacement(const DialogPort* port, WindowPlacement* placement);
void PortMoveWindow(const DialogPort* port, int32_t x, int32_t y);
void PortBringToTop(const DialogPort* port);
void PortSetTimer(const DialogPort* port, int32_t timerId, int32_t milliseconds);
void PortKillTimer(const DialogPort* port, int32_t timerId);
void PortCaptureMouse(const DialogPort* port);
void PortReleaseMouse(const DialogPort* port);
void PortPostEvent(const DialogPort* port, const DialogEvent& event);
void PortEndDialog(const DialogPort* port, int32_t code);
void PortBeginDrawing(const DialogPort* port);
void PortEndDrawing(const DialogPort* port);
void PortFillRect(const DialogPort* port, ItemRect rect, RgbColour colour);
void PortFrameRect(const DialogPort* port, ItemRect rect, RgbColour colour);
void PortDrawLine(const DialogPort* port, int32_t x0, int32_t y0, int32_t x1, int32_t y1, RgbColour colour);
void PortDrawBitmap(const DialogPort* port, int32_t bitmapId, int32_t x, int32_t y, const ItemRect* clip);
void PortBlitPixels(const DialogPort* port, const CanvasPixels& pixels, int32_t x, int32_t y);
void PortDrawText(const DialogPort* port, ItemRect rect, const char* text, RgbColour colour, TextAlign align);
void PortDrawFocusRect(const DialogPort* port, ItemRect rect);
void* PortHostDrawingContext(const DialogPort* port);
