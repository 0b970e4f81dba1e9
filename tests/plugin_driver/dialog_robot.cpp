// The robot's side of the window system: a test program of the Windows build.
#ifdef _WIN32
#include "tests/plugin_driver/dialog_robot.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "host/host_records.h"

namespace {

HWND W(RobotWindow w) { return reinterpret_cast<HWND>(w); }

struct FindRequest {
  const char* title;
  HWND found;
  int32_t count;
};

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM lParam) {
  FindRequest* request = reinterpret_cast<FindRequest*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  // The title without asking the window's thread, which may be busy.
  WCHAR wide[256] = {};
  const int n = InternalGetWindowText(window, wide, 256);
  std::string title;
  for (int i = 0; i < n; ++i) title += char(wide[i] < 128 ? wide[i] : '?');
  if (title == request->title) {
    request->found = window;
    request->count += 1;
  }
  return TRUE;
}

}  // namespace

RobotWindow WaitForDialog(const char* title, int32_t timeoutMs) {
  for (int32_t waited = 0; waited <= timeoutMs; waited += 20) {
    FindRequest request{title, nullptr, 0};
    EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&request));
    if (request.found) {
      // Let the dialog finish showing and painting.
      Sleep(150);
      return reinterpret_cast<RobotWindow>(request.found);
    }
    Sleep(20);
  }
  return 0;
}

bool WaitForDialogGone(RobotWindow dialog, int32_t timeoutMs) {
  for (int32_t waited = 0; waited <= timeoutMs; waited += 20) {
    if (!IsWindow(W(dialog))) return true;
    Sleep(20);
  }
  return false;
}

int32_t CountDialogs(const char* title) {
  FindRequest request{title, nullptr, 0};
  EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&request));
  return request.count;
}

bool RobotItemExists(RobotWindow dialog, int32_t id) { return GetDlgItem(W(dialog), id) != nullptr; }

RobotRect RobotItemClientRect(RobotWindow dialog, int32_t id) {
  HWND item = GetDlgItem(W(dialog), id);
  RECT r{};
  if (item) {
    GetClientRect(item, &r);
    MapWindowPoints(item, W(dialog), reinterpret_cast<POINT*>(&r), 2);
  }
  return RobotRect{r.left, r.top, r.right, r.bottom};
}

RobotRect RobotDialogClientSize(RobotWindow dialog) {
  RECT r{};
  GetClientRect(W(dialog), &r);
  return RobotRect{r.left, r.top, r.right, r.bottom};
}

std::string RobotItemText(RobotWindow dialog, int32_t id) {
  char text[1600] = {};
  GetDlgItemTextA(W(dialog), id, text, sizeof(text));
  return text;
}

std::string RobotItemTextNow(RobotWindow dialog, int32_t id) {
  WCHAR text[256] = {};
  HWND item = GetDlgItem(W(dialog), id);
  if (!item) return {};
  const int n = InternalGetWindowText(item, text, 256);
  std::string out;
  for (int i = 0; i < n; ++i) out += char(text[i] < 128 ? text[i] : '?');
  return out;
}

void RobotType(RobotWindow dialog, int32_t id, const char* text) {
  SendMessageA(GetDlgItem(W(dialog), id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void RobotClick(RobotWindow dialog, int32_t id) { SendMessageA(GetDlgItem(W(dialog), id), BM_CLICK, 0, 0); }

void PostClick(RobotWindow dialog, int32_t id) {
  PostMessageA(W(dialog), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(W(dialog), id)));
}

void RobotTypeFileName(RobotWindow fileDialog, const char* path) {
  // The explorer-style dialog's name box (cmb13), or the older edit (edt1).
  HWND box = GetDlgItem(W(fileDialog), 0x47C);
  if (!box) box = GetDlgItem(W(fileDialog), 0x480);
  SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
}

void RobotPick(RobotWindow dialog, int32_t id, int32_t index) {
  HWND combo = GetDlgItem(W(dialog), id);
  SendMessageA(combo, CB_SETCURSEL, WPARAM(index), 0);
  SendMessageA(W(dialog), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void RobotMouseClick(RobotWindow dialog, int32_t x, int32_t y) {
  SendMessageA(W(dialog), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(W(dialog), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

RobotRect RobotButtonIconSize(RobotWindow dialog, int32_t id) {
  HICON icon = reinterpret_cast<HICON>(SendMessageA(GetDlgItem(W(dialog), id), BM_GETIMAGE, IMAGE_ICON, 0));
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return RobotRect{0, 0, 0, 0};
  BITMAP mask{};
  GetObjectA(info.hbmMask, sizeof(mask), &mask);
  const bool colour = info.hbmColor != nullptr;
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  // A monochrome icon's mask holds both halves, one above the other.
  return RobotRect{0, 0, mask.bmWidth, colour ? mask.bmHeight : mask.bmHeight / 2};
}

int32_t RobotCheckState(RobotWindow dialog, int32_t id) {
  return int32_t(SendMessageA(GetDlgItem(W(dialog), id), BM_GETCHECK, 0, 0));
}

void RobotClose(RobotWindow dialog) { PostMessageA(W(dialog), WM_CLOSE, 0, 0); }

int32_t RobotLiveGdiObjects(RobotWindow dialog) {
  const UINT message = RegisterWindowMessageA("Orbalix2.LiveGdiObjects");
  return int32_t(SendMessageA(W(dialog), message, 0, 0));
}

int32_t ProcessGdiObjects() { return int32_t(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)); }

RobotShot RobotScreenshot(RobotWindow dialog, const RobotRect* part) {
  RobotShot shot;
  RECT r{};
  GetClientRect(W(dialog), &r);
  if (part) r = RECT{part->left, part->top, part->right, part->bottom};
  POINT origin{r.left, r.top};
  ClientToScreen(W(dialog), &origin);
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  if (shot.width <= 0 || shot.height <= 0) return shot;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  shot.rgb.resize(size_t(shot.width) * shot.height * 3);
  const uint8_t* from = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < size_t(shot.width) * shot.height; ++i) {
    shot.rgb[3 * i] = from[4 * i + 2];
    shot.rgb[3 * i + 1] = from[4 * i + 1];
    shot.rgb[3 * i + 2] = from[4 * i];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

bool WriteShotBmp(const RobotShot& shot, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const int32_t row = (shot.width * 3 + 3) & ~3;
  const uint32_t pixels = uint32_t(row) * shot.height;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + pixels;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = shot.width;
  info.biHeight = shot.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::fwrite(&file, sizeof(file), 1, f);
  std::fwrite(&info, sizeof(info), 1, f);
  std::vector<uint8_t> line(size_t(row), 0);
  for (int32_t y = shot.height - 1; y >= 0; --y) {
    for (int32_t x = 0; x < shot.width; ++x) {
      const uint8_t* p = &shot.rgb[(size_t(y) * shot.width + x) * 3];
      line[3 * x] = p[2];
      line[3 * x + 1] = p[1];
      line[3 * x + 2] = p[0];
    }
    std::fwrite(line.data(), 1, line.size(), f);
  }
  return std::fclose(f) == 0;
}

void RobotSleep(int32_t ms) { Sleep(DWORD(ms)); }

namespace {

struct ChildSearch {
  int32_t id;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM lParam) {
  ChildSearch* search = reinterpret_cast<ChildSearch*>(lParam);
  if (search->className) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, search->className) != 0) return TRUE;
  } else if (GetDlgCtrlID(window) != search->id) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

}  // namespace

RobotWindow RobotFindChildDialog(RobotWindow dialog, int32_t itemId) {
  ChildSearch search{itemId, nullptr, nullptr};
  EnumChildWindows(W(dialog), FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found ? reinterpret_cast<RobotWindow>(GetParent(search.found)) : 0;
}

bool RobotSelectFirstListedFile(RobotWindow fileDialog) {
  ChildSearch search{0, "SysListView32", nullptr};
  EnumChildWindows(W(fileDialog), FindChild, reinterpret_cast<LPARAM>(&search));
  if (!search.found || SendMessageA(search.found, LVM_GETITEMCOUNT, 0, 0) < 1) return false;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(search.found, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  return true;
}

uintptr_t RobotLoadCursor(void* module, int32_t id) {
  return reinterpret_cast<uintptr_t>(LoadCursorA(static_cast<HINSTANCE>(module), MAKEINTRESOURCEA(id)));
}

void RobotCommand(RobotWindow dialog, int32_t id) { SendMessageA(W(dialog), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

uintptr_t RobotCursorAfterSetCursor(RobotWindow dialog, int32_t id, bool client) {
  const DWORD robot = GetCurrentThreadId();
  const DWORD owner = GetWindowThreadProcessId(W(dialog), nullptr);
  AttachThreadInput(robot, owner, TRUE);
  // A cursor that none of the dialog's is, so that a change shows.
  SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_CROSS)));
  HWND item = GetDlgItem(W(dialog), id);
  SendMessageA(item, WM_SETCURSOR, reinterpret_cast<WPARAM>(item),
               MAKELPARAM(client ? HTCLIENT : HTCAPTION, WM_MOUSEMOVE));
  const uintptr_t shown = reinterpret_cast<uintptr_t>(GetCursor());
  AttachThreadInput(robot, owner, FALSE);
  return shown;
}

namespace {

DisplayPixelsProc gRecordingDisplay = nullptr;

// Interleaved 8-bit RGB (the only layout the dialog hands over) onto the
// drawing context.
HostError PaintingDisplay(const PSPixelMap* source, const Rect32* srcRect, int32_t dstRow, int32_t dstCol,
                          void* platformContext) {
  const HostError recorded = gRecordingDisplay ? gRecordingDisplay(source, srcRect, dstRow, dstCol, platformContext) : 0;
  if (!platformContext || !source || !srcRect || source->colBytes != 3 || source->planeBytes != 1) return recorded;
  const int32_t width = srcRect->right - srcRect->left;
  const int32_t height = srcRect->bottom - srcRect->top;
  if (width <= 0 || height <= 0) return recorded;
  std::vector<uint8_t> bgrx(size_t(width) * height * 4);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(source->baseAddr) +
                         size_t(srcRect->top - source->bounds.top + y) * source->rowBytes +
                         size_t(srcRect->left - source->bounds.left) * 3;
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* to = &bgrx[(size_t(y) * width + x) * 4];
      to[0] = row[3 * x + 2];
      to[1] = row[3 * x + 1];
      to[2] = row[3 * x];
      to[3] = 0;
    }
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(static_cast<HDC>(platformContext), dstCol, dstRow, DWORD(width), DWORD(height), 0, 0, 0,
                    UINT(height), bgrx.data(), &info, DIB_RGB_COLORS);
  return recorded;
}

}  // namespace

void PaintWhatIsDisplayed(FilterRecord* record) {
  if (record->displayPixels != PaintingDisplay) gRecordingDisplay = record->displayPixels;
  record->displayPixels = PaintingDisplay;
}

#endif
