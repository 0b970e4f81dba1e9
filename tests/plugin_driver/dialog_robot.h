// A robot that plays the user of the plug-in's dialogs while the test's own
// thread, playing the host, waits in the plug-in's modal loop: it finds a
// dialog by its title, reads its controls back, types, clicks, picks, takes
// a screenshot and asks for the view's count of live GDI objects. Windows
// only (the wine leg of the suite).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

struct RobotRect {
  int32_t left, top, right, bottom;
};

struct RobotShot {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;  // rows of red, green, blue
};

// A window of this process, as a plain number.
using RobotWindow = uintptr_t;

// Waits up to timeoutMs for a visible dialog with that title; 0 when none came.
RobotWindow WaitForDialog(const char* title, int32_t timeoutMs = 15000);
bool WaitForDialogGone(RobotWindow dialog, int32_t timeoutMs = 15000);
// Visible top-level windows of this process with that title.
int32_t CountDialogs(const char* title);

bool RobotItemExists(RobotWindow dialog, int32_t id);
// The control's client area in the dialog's client pixels.
RobotRect RobotItemClientRect(RobotWindow dialog, int32_t id);
RobotRect RobotDialogClientSize(RobotWindow dialog);
std::string RobotItemText(RobotWindow dialog, int32_t id);
// Reads the text without asking the dialog's thread (which may be busy).
std::string RobotItemTextNow(RobotWindow dialog, int32_t id);
void RobotType(RobotWindow dialog, int32_t id, const char* text);
void RobotClick(RobotWindow dialog, int32_t id);  // as a mouse click on the button does
// A click that does not wait for the dialog to handle it (the click may
// open a modal loop of its own).
void PostClick(RobotWindow dialog, int32_t id);
// The file name of the system's open and save dialogs.
void RobotTypeFileName(RobotWindow fileDialog, const char* path);
void RobotPick(RobotWindow dialog, int32_t id, int32_t index);
void RobotMouseClick(RobotWindow dialog, int32_t x, int32_t y);
// The size of the icon a button shows (0 x 0 without one).
RobotRect RobotButtonIconSize(RobotWindow dialog, int32_t id);
int32_t RobotCheckState(RobotWindow dialog, int32_t id);
void RobotClose(RobotWindow dialog);
// What the view counts as live GDI objects.
int32_t RobotLiveGdiObjects(RobotWindow dialog);
// The system's count of this process's GDI objects (0 where the system does not count).
int32_t ProcessGdiObjects();
// The dialog's client area (or a rectangle of it) as it is on the screen now.
RobotShot RobotScreenshot(RobotWindow dialog, const RobotRect* part = nullptr);
bool WriteShotBmp(const RobotShot& shot, const std::string& path);
void RobotSleep(int32_t ms);

// The child dialog of a window that holds an item with that id (the panel
// that extends a file dialog); 0 when none does.
RobotWindow RobotFindChildDialog(RobotWindow dialog, int32_t itemId);
// Selects the first file that a file dialog lists, as a click on it does.
bool RobotSelectFirstListedFile(RobotWindow fileDialog);
// Sends WM_SETCURSOR to an item of the dialog, as the mouse moving over it
// (client) or over the dialog's caption does, and answers the cursor that
// the dialog's thread shows afterwards (the robot shares its input state).
uintptr_t RobotCursorAfterSetCursor(RobotWindow dialog, int32_t id, bool client);
// A cursor resource of a module, or with a null module the system's cursor
// of that id (32512 the arrow, 32513 the text beam, 32514 the hourglass).
uintptr_t RobotLoadCursor(void* module, int32_t id);
// A command as a control of the dialog would send it, waiting for the dialog.
void RobotCommand(RobotWindow dialog, int32_t id);

struct FilterRecord;
// The test host records what the filter shows; a host on a screen also
// paints it into the drawing context it was given. This makes the record's
// displayPixels do both.
void PaintWhatIsDisplayed(FilterRecord* record);

// Runs the script on a thread of its own while the caller plays the host.
struct RobotRun {
  std::thread thread;
  explicit RobotRun(std::function<void()> script) : thread(std::move(script)) {}
  ~RobotRun() {
    if (thread.joinable()) thread.join();
  }
};
