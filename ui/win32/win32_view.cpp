#include "ui/win32/win32_view.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <deque>
#include <map>
#include <vector>

#include "ui/dialog_port.h"
#include "ui/dialog_templates.h"

namespace {

HINSTANCE gModule = nullptr;
LONG gLiveGdiObjects = 0;
UINT gLiveGdiMessage = 0;
CursorShape gCursorShape = CursorShape::Arrow;
bool gChooserOpen = false;
COLORREF gCustomColours[16] = {};
constexpr UINT kPostedEventMessage = WM_APP + 7;

// --- counted GDI objects --------------------------------------------------------

template <typename T>
T Counted(T object) {
  if (object) InterlockedIncrement(&gLiveGdiObjects);
  return object;
}

void DeleteCounted(HGDIOBJ object) {
  if (object && DeleteObject(object)) InterlockedDecrement(&gLiveGdiObjects);
}

void DeleteCountedDc(HDC dc) {
  if (dc && DeleteDC(dc)) InterlockedDecrement(&gLiveGdiObjects);
}

void DestroyCountedIcon(HICON icon) {
  if (icon && DestroyIcon(icon)) InterlockedDecrement(&gLiveGdiObjects);
}

// --- one open dialog ------------------------------------------------------------

struct Win32Dialog {
  HWND window = nullptr;
  DialogPort port{};
  DialogHandler handler = nullptr;
  void* state = nullptr;
  bool transparentStatics = false;  // the main dialog draws under its statics
  HDC dc = nullptr;                 // the canvas while drawing
  bool ownDc = false;               // dc came from GetDC
  int32_t drawingDepth = 0;
  std::deque<DialogEvent> posted;
  std::map<int32_t, HBITMAP> bitmaps;  // loaded once per dialog, released at its end
  std::vector<HICON> icons;
};

Win32Dialog* Self(void* context) { return static_cast<Win32Dialog*>(context); }

HWND Item(Win32Dialog* d, int32_t id) { return d->window ? GetDlgItem(d->window, id) : nullptr; }

COLORREF ToColorref(RgbColour c) { return RGB(c.red, c.green, c.blue); }

int32_t Deliver(Win32Dialog* d, const DialogEvent& event) {
  return d->handler ? d->handler(d->state, &d->port, &event) : 0;
}


bool IsStatic(HWND item) {
  char name[16] = {};
  GetClassNameA(item, name, sizeof(name));
  return lstrcmpiA(name, "Static") == 0;
}

// The item's client area in the dialog's client pixels.
RECT ItemClientRect(Win32Dialog* d, HWND item) {
  RECT r{};
  GetClientRect(item, &r);
  MapWindowPoints(item, d->window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// --- the port: items --------------------------------------------------------------

void SetText(void* c, int32_t id, const char* text) {
  Win32Dialog* d = Self(c);
  HWND item = Item(d, id);
  if (!item) return;
  // An edit reports EN_CHANGE to the dialog before this returns.
  SetWindowTextA(item, text);
  if (d->transparentStatics && IsStatic(item)) {
    // A transparent text shows the dialog through it: the dialog repaints
    // there, or the old text would stay under the new one.
    RECT r{};
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, d->window, reinterpret_cast<POINT*>(&r), 2);
    InvalidateRect(d->window, &r, TRUE);
  }
}

int32_t GetText(void* c, int32_t id, char* text, int32_t capacity) {
  HWND item = Item(Self(c), id);
  if (!item) return 0;
  return GetWindowTextA(item, text, capacity);
}

void SetCheck(void* c, int32_t id, int32_t state) {
  if (Self(c)->window) CheckDlgButton(Self(c)->window, id, UINT(state));
}

int32_t GetCheck(void* c, int32_t id) {
  return Self(c)->window ? int32_t(IsDlgButtonChecked(Self(c)->window, id)) : 0;
}

void ClearChoices(void* c, int32_t id) {
  if (HWND item = Item(Self(c), id)) SendMessageA(item, CB_RESETCONTENT, 0, 0);
}

void AddChoice(void* c, int32_t id, const char* text) {
  if (HWND item = Item(Self(c), id)) SendMessageA(item, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void SetChoiceSelection(void* c, int32_t id, int32_t index) {
  if (HWND item = Item(Self(c), id)) SendMessageA(item, CB_SETCURSEL, WPARAM(index), 0);
}

int32_t GetChoiceSelection(void* c, int32_t id) {
  HWND item = Item(Self(c), id);
  return item ? int32_t(SendMessageA(item, CB_GETCURSEL, 0, 0)) : -1;
}

void EnableItem(void* c, int32_t id, uint8_t enabled) {
  if (HWND item = Item(Self(c), id)) EnableWindow(item, enabled ? TRUE : FALSE);
}

void ShowItem(void* c, int32_t id, uint8_t shown) {
  if (HWND item = Item(Self(c), id)) ShowWindow(item, shown ? SW_SHOW : SW_HIDE);
}

void SelectEditText(void* c, int32_t id) {
  HWND item = Item(Self(c), id);
  if (!item) return;
  SetFocus(item);
  SendMessageA(item, EM_SETSEL, 0, -1);
}

void SetItemIcon(void* c, int32_t id, int32_t iconId) {
  Win32Dialog* d = Self(c);
  HWND item = Item(d, id);
  if (!item) return;
  // At the icon's own size: neither the system's icon size nor the button's.
  HICON icon = Counted(static_cast<HICON>(LoadImageA(gModule, MAKEINTRESOURCEA(iconId), IMAGE_ICON, 0, 0, 0)));
  if (!icon) return;
  d->icons.push_back(icon);
  SetWindowLongPtrA(item, GWL_STYLE, GetWindowLongPtrA(item, GWL_STYLE) | BS_ICON);
  SendMessageA(item, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

uint8_t ItemExists(void* c, int32_t id) { return Item(Self(c), id) ? 1 : 0; }

void PlaceItem(void* c, int32_t id, ItemRect rect) {
  Win32Dialog* d = Self(c);
  HWND item = Item(d, id);
  if (!item) return;
  // The client part goes to the rectangle; the item's own frame around it.
  RECT window{};
  RECT client{};
  GetWindowRect(item, &window);
  GetClientRect(item, &client);
  const int32_t frameX = (window.right - window.left) - client.right;
  const int32_t frameY = (window.bottom - window.top) - client.bottom;
  POINT clientOrigin{0, 0};
  ClientToScreen(item, &clientOrigin);
  const int32_t insetX = clientOrigin.x - window.left;
  const int32_t insetY = clientOrigin.y - window.top;
  MoveWindow(item, rect.left - insetX, rect.top - insetY, rect.right - rect.left + frameX,
             rect.bottom - rect.top + frameY, FALSE);
}

uint8_t GetItemRect(void* c, int32_t id, ItemRect* rect) {
  Win32Dialog* d = Self(c);
  HWND item = Item(d, id);
  if (!item || !rect) return 0;
  RECT r{};
  GetWindowRect(item, &r);
  MapWindowPoints(nullptr, d->window, reinterpret_cast<POINT*>(&r), 2);
  *rect = ItemRect{r.left, r.top, r.right, r.bottom};
  return 1;
}

void RedrawItem(void* c, int32_t id) {
  Win32Dialog* d = Self(c);
  HWND item = Item(d, id);
  if (!item) return;
  InvalidateRect(item, nullptr, TRUE);
  // Painted now: a long job that calls here between its steps never returns
  // to the message loop, and the window would not show the change otherwise.
  UpdateWindow(d->window);
  UpdateWindow(item);
}

// --- the port: the window ---------------------------------------------------------

void SetClientSize(void* c, int32_t width, int32_t height) {
  Win32Dialog* d = Self(c);
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrA(d->window, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongPtrA(d->window, GWL_EXSTYLE)));
  SetWindowPos(d->window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void GetClientSize(void* c, int32_t* width, int32_t* height) {
  RECT r{};
  GetClientRect(Self(c)->window, &r);
  *width = r.right;
  *height = r.bottom;
}

void GetPlacement(void* c, WindowPlacement* p) {
  Win32Dialog* d = Self(c);
  RECT w{};
  GetWindowRect(d->window, &w);
  p->window = ItemRect{w.left, w.top, w.right, w.bottom};
  HWND reference = GetParent(d->window);
  if (!reference) reference = GetDesktopWindow();
  RECT r{};
  GetClientRect(reference, &r);
  MapWindowPoints(reference, nullptr, reinterpret_cast<POINT*>(&r), 2);
  p->reference = ItemRect{r.left, r.top, r.right, r.bottom};
  p->screenWidth = GetSystemMetrics(SM_CXSCREEN);
  p->screenHeight = GetSystemMetrics(SM_CYSCREEN);
  p->captionHeight = GetSystemMetrics(SM_CYCAPTION);
  p->hasSystemMenu = (GetWindowLongPtrA(d->window, GWL_STYLE) & WS_SYSMENU) ? 1 : 0;
}

void MoveTo(void* c, int32_t x, int32_t y) {
  SetWindowPos(Self(c)->window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void BringToTop(void* c) { BringWindowToTop(Self(c)->window); }

void StartTimer(void* c, int32_t timerId, int32_t milliseconds) {
  SetTimer(Self(c)->window, UINT_PTR(timerId), UINT(milliseconds), nullptr);
}

void StopTimer(void* c, int32_t timerId) { KillTimer(Self(c)->window, UINT_PTR(timerId)); }

void Capture(void* c) { SetCapture(Self(c)->window); }

void Release(void*) { ReleaseCapture(); }

void Post(void* c, const DialogEvent* event) {
  Win32Dialog* d = Self(c);
  d->posted.push_back(*event);
  PostMessageA(d->window, kPostedEventMessage, 0, 0);
}

void End(void* c, int32_t code) { EndDialog(Self(c)->window, INT_PTR(code)); }

// --- the port: the canvas ---------------------------------------------------------

void BeginDrawing(void* c) {
  Win32Dialog* d = Self(c);
  if (d->drawingDepth++ == 0 && !d->dc) {
    d->dc = GetDC(d->window);
    d->ownDc = true;
  }
}

void EndDrawing(void* c) {
  Win32Dialog* d = Self(c);
  if (d->drawingDepth > 0 && --d->drawingDepth == 0 && d->ownDc) {
    ReleaseDC(d->window, d->dc);
    d->dc = nullptr;
    d->ownDc = false;
  }
}

void FillArea(void* c, ItemRect rect, RgbColour colour) {
  Win32Dialog* d = Self(c);
  if (!d->dc) return;
  HBRUSH brush = Counted(CreateSolidBrush(ToColorref(colour)));
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  FillRect(d->dc, &r, brush);
  DeleteCounted(brush);
}

void FrameArea(void* c, ItemRect rect, RgbColour colour) {
  Win32Dialog* d = Self(c);
  if (!d->dc) return;
  HBRUSH brush = Counted(CreateSolidBrush(ToColorref(colour)));
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  FrameRect(d->dc, &r, brush);
  DeleteCounted(brush);
}

void Line(void* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, RgbColour colour) {
  Win32Dialog* d = Self(c);
  if (!d->dc) return;
  HPEN pen = Counted(CreatePen(PS_SOLID, 1, ToColorref(colour)));
  HGDIOBJ old = SelectObject(d->dc, pen);
  MoveToEx(d->dc, x0, y0, nullptr);
  LineTo(d->dc, x1, y1);
  SetPixel(d->dc, x1, y1, ToColorref(colour));  // the end point too
  SelectObject(d->dc, old);
  DeleteCounted(pen);
}

HBITMAP DialogBitmap(Win32Dialog* d, int32_t bitmapId) {
  auto found = d->bitmaps.find(bitmapId);
  if (found != d->bitmaps.end()) return found->second;
  HBITMAP bitmap = Counted(static_cast<HBITMAP>(
      LoadImageA(gModule, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  d->bitmaps[bitmapId] = bitmap;
  return bitmap;
}

void Bitmap(void* c, int32_t bitmapId, int32_t x, int32_t y, const ItemRect* clip) {
  Win32Dialog* d = Self(c);
  HBITMAP bitmap = d->dc ? DialogBitmap(d, bitmapId) : nullptr;
  if (!bitmap) return;
  BITMAP info{};
  GetObjectA(bitmap, sizeof(info), &info);
  HDC memory = Counted(CreateCompatibleDC(d->dc));
  HGDIOBJ old = SelectObject(memory, bitmap);
  int32_t left = x;
  int32_t top = y;
  int32_t right = x + info.bmWidth;
  int32_t bottom = y + info.bmHeight;
  if (clip) {
    left = left > clip->left ? left : clip->left;
    top = top > clip->top ? top : clip->top;
    right = right < clip->right ? right : clip->right;
    bottom = bottom < clip->bottom ? bottom : clip->bottom;
  }
  if (right > left && bottom > top) BitBlt(d->dc, left, top, right - left, bottom - top, memory, left - x, top - y, SRCCOPY);
  SelectObject(memory, old);
  DeleteCountedDc(memory);
}

// Rows of red, green, blue onto dc with their top-left at x, y.
void BlitRgb(HDC dc, const uint8_t* rgb, int32_t width, int32_t height, int32_t rowBytes, int32_t x, int32_t y) {
  if (!dc || !rgb || width <= 0 || height <= 0) return;
  // Rows of blue, green, red, each row a multiple of 4 bytes.
  const int32_t row = (width * 3 + 3) & ~3;
  std::vector<uint8_t> bgr(size_t(row) * height);
  for (int32_t j = 0; j < height; ++j) {
    const uint8_t* from = rgb + size_t(j) * rowBytes;
    uint8_t* to = bgr.data() + size_t(j) * row;
    for (int32_t i = 0; i < width; ++i) {
      to[3 * i] = from[3 * i + 2];
      to[3 * i + 1] = from[3 * i + 1];
      to[3 * i + 2] = from[3 * i];
    }
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x, y, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), bgr.data(), &info,
                    DIB_RGB_COLORS);
}

void Pixels(void* c, const CanvasPixels* pixels, int32_t x, int32_t y) {
  Win32Dialog* d = Self(c);
  if (!pixels) return;
  BlitRgb(d->dc, pixels->rgb, pixels->width, pixels->height, pixels->rowBytes, x, y);
}

void Text(void* c, ItemRect rect, const char* text, RgbColour colour, TextAlign align) {
  Win32Dialog* d = Self(c);
  if (!d->dc) return;
  // The label font: Arial at 8 points on a 96-dpi screen, made for this text.
  HFONT font = Counted(CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, "Arial"));
  HGDIOBJ old = SelectObject(d->dc, font);
  SetBkMode(d->dc, TRANSPARENT);
  SetTextColor(d->dc, ToColorref(colour));
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  const UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_TOP |
                      (align == TextAlign::Right ? DT_RIGHT : align == TextAlign::Centre ? DT_CENTER : DT_LEFT);
  DrawTextA(d->dc, text, -1, &r, format);
  SelectObject(d->dc, old);
  DeleteCounted(font);
}

void FocusFrame(void* c, ItemRect rect) {
  Win32Dialog* d = Self(c);
  if (!d->dc) return;
  RECT r{rect.left, rect.top, rect.right, rect.bottom};
  DrawFocusRect(d->dc, &r);
}

void* HostContext(void* c) { return Self(c)->dc; }

DialogPort MakePort(Win32Dialog* d) {
  DialogPort p{};
  p.context = d;
  p.setItemText = SetText;
  p.getItemText = GetText;
  p.setCheck = SetCheck;
  p.getCheck = GetCheck;
  p.clearChoices = ClearChoices;
  p.addChoice = AddChoice;
  p.setChoiceSelection = SetChoiceSelection;
  p.getChoiceSelection = GetChoiceSelection;
  p.enableItem = EnableItem;
  p.showItem = ShowItem;
  p.selectEditText = SelectEditText;
  p.setItemIcon = SetItemIcon;
  p.itemExists = ItemExists;
  p.placeItem = PlaceItem;
  p.getItemRect = GetItemRect;
  p.redrawItem = RedrawItem;
  p.setClientSize = SetClientSize;
  p.getClientSize = GetClientSize;
  p.getPlacement = GetPlacement;
  p.moveWindow = MoveTo;
  p.bringToTop = BringToTop;
  p.setTimer = StartTimer;
  p.killTimer = StopTimer;
  p.captureMouse = Capture;
  p.releaseMouse = Release;
  p.postEvent = Post;
  p.endDialog = End;
  p.beginDrawing = BeginDrawing;
  p.endDrawing = EndDrawing;
  p.fillRect = FillArea;
  p.frameRect = FrameArea;
  p.drawLine = Line;
  p.drawBitmap = Bitmap;
  p.blitPixels = Pixels;
  p.drawText = Text;
  p.drawFocusRect = FocusFrame;
  p.hostDrawingContext = HostContext;
  return p;
}

// --- the dialog procedure -----------------------------------------------------------

HCURSOR CursorOf(CursorShape shape) {
  // Cursors of the module and the system's are shared: nothing to release.
  switch (shape) {
    case CursorShape::Hover:
      return LoadCursorA(gModule, MAKEINTRESOURCEA(108));
    case CursorShape::Grab:
      return LoadCursorA(gModule, MAKEINTRESOURCEA(107));
    case CursorShape::Wait:
      return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    default:
      return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  }
}

INT_PTR Answer(HWND window, LRESULT result) {
  SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
}

// Draws with dc for the length of one event.
int32_t DeliverDrawing(Win32Dialog* d, HDC dc, const DialogEvent& event) {
  HDC saved = d->dc;
  const bool savedOwn = d->ownDc;
  d->dc = dc;
  d->ownDc = false;
  const int32_t handled = Deliver(d, event);
  d->dc = saved;
  d->ownDc = savedOwn;
  return handled;
}

int32_t MouseButton(UINT message) {
  return message == WM_RBUTTONDOWN || message == WM_RBUTTONUP ? kMouseRight : kMouseLeft;
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    Win32Dialog* d = reinterpret_cast<Win32Dialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    d->window = window;
    Deliver(d, MakePlainEvent(DialogEventKind::Init));
    return TRUE;
  }
  Win32Dialog* d = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!d) return FALSE;
  if (gLiveGdiMessage && message == gLiveGdiMessage) return Answer(window, Win32ViewLiveGdiObjects());
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      DeliverDrawing(d, dc, MakePlainEvent(DialogEventKind::Paint));
      EndPaint(window, &paint);
      return TRUE;
    }
    case WM_ERASEBKGND:
      if (!DeliverDrawing(d, reinterpret_cast<HDC>(wParam), MakePlainEvent(DialogEventKind::EraseBackground)))
        return FALSE;
      return Answer(window, 1);
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      // The controller draws in the dialog's client pixels.
      const RECT at = ItemClientRect(d, item->hwndItem);
      POINT oldOrigin{};
      SetViewportOrgEx(item->hDC, -at.left, -at.top, &oldOrigin);
      DialogEvent event = MakePlainEvent(DialogEventKind::DrawItem);
      event.id = int32_t(item->CtlID);
      event.code = ((item->itemState & ODS_SELECTED) ? kDrawItemPressed : 0) |
                   ((item->itemState & ODS_DISABLED) ? kDrawItemDisabled : 0) |
                   ((item->itemState & ODS_FOCUS) ? kDrawItemFocused : 0);
      const int32_t handled = DeliverDrawing(d, item->hDC, event);
      SetViewportOrgEx(item->hDC, oldOrigin.x, oldOrigin.y, nullptr);
      return handled ? TRUE : FALSE;
    }
    case WM_CTLCOLORSTATIC:
      if (!d->transparentStatics) return FALSE;
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    case WM_SETCURSOR:
      // Over the client area the dialog's own cursor stays; elsewhere (and
      // with the arrow) the system's choice.
      if (LOWORD(lParam) == HTCLIENT && gCursorShape != CursorShape::Arrow) {
        SetCursor(CursorOf(gCursorShape));
        return Answer(window, TRUE);
      }
      return FALSE;
    case WM_COMMAND: {
      const int32_t id = LOWORD(wParam);
      const int32_t code = HIWORD(wParam);
      if (Deliver(d, MakeCommandEvent(id, code))) return TRUE;
      return FALSE;
    }
    case WM_TIMER:
      Deliver(d, MakeTimerEvent(int32_t(wParam)));
      return TRUE;
    case WM_MOUSEMOVE:
      Deliver(d, MakeMouseEvent(DialogEventKind::MouseMove, 0, uint32_t(wParam), short(LOWORD(lParam)),
                                short(HIWORD(lParam))));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      Deliver(d, MakeMouseEvent(DialogEventKind::MouseDown, MouseButton(message), uint32_t(wParam),
                                short(LOWORD(lParam)), short(HIWORD(lParam))));
      return TRUE;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      Deliver(d, MakeMouseEvent(DialogEventKind::MouseUp, MouseButton(message), uint32_t(wParam),
                                short(LOWORD(lParam)), short(HIWORD(lParam))));
      return TRUE;
    case WM_CLOSE:
      if (Deliver(d, MakePlainEvent(DialogEventKind::Close))) return TRUE;
      // Not handled: the close box means Cancel; a controller that does not
      // take Cancel either still lets the window go.
      if (!Deliver(d, MakeCommandEvent(IDCANCEL, kNotifyClicked))) EndDialog(window, IDCANCEL);
      return TRUE;
    case kPostedEventMessage:
      if (!d->posted.empty()) {
        const DialogEvent event = d->posted.front();
        d->posted.pop_front();
        Deliver(d, event);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

void ReleaseDialogObjects(Win32Dialog* d) {
  for (auto& entry : d->bitmaps) DeleteCounted(entry.second);
  d->bitmaps.clear();
  for (HICON icon : d->icons) DestroyCountedIcon(icon);
  d->icons.clear();
}

// --- the window system -------------------------------------------------------------

int32_t RunModal(void*, const char* templateName, DialogHandler handler, void* state, const DialogPort* owner,
                 intptr_t platformOwner) {
  if (!FindResourceA(gModule, templateName, reinterpret_cast<LPCSTR>(RT_DIALOG))) return -1;
  Win32Dialog dialog;
  dialog.handler = handler;
  dialog.state = state;
  dialog.port = MakePort(&dialog);
  dialog.transparentStatics = std::strcmp(templateName, kMainDialogTemplate) == 0;
  HWND ownerWindow = reinterpret_cast<HWND>(platformOwner);
  if (owner && owner->setItemText == SetText) ownerWindow = Self(owner->context)->window;
  const INT_PTR code = DialogBoxParamA(gModule, templateName, ownerWindow, DialogProc,
                                       reinterpret_cast<LPARAM>(&dialog));
  ReleaseDialogObjects(&dialog);
  return code < 0 ? -1 : int32_t(code);
}

// Filters and default extensions of the file kinds.
struct FileKind {
  const char* text;
  const char* pattern;
};
constexpr FileKind kFileKinds[] = {
    {"Bitmap files (*.bmp)", "*.bmp"},     {"Orbalix 2 presets (*.q2q)", "*.q2q"}, {"Photoshop files (*.psd)", "*.psd"},
    {"HTML files (*.html)", "*.html"},     {"LDraw files (*.ldr)", "*.ldr"},       {"All files (*.*)", "*.*"},
    {"Wavefront files (*.obj)", "*.obj"},
};

// Centres the file dialog over its owner (or the desktop), its size kept;
// with `keepOnScreen` not above or left of the screen's corner.
void CentreOverOwner(HWND dialog, bool keepOnScreen) {
  HWND reference = GetParent(dialog);
  if (!reference) reference = GetDesktopWindow();
  RECT r{};
  RECT w{};
  GetWindowRect(reference, &r);
  GetWindowRect(dialog, &w);
  int32_t x = r.left + ((r.right - r.left) - (w.right - w.left)) / 2;
  int32_t y = r.top + ((r.bottom - r.top) - (w.bottom - w.top)) / 2;
  if (keepOnScreen) {
    x = x < 0 ? 0 : x;
    y = y < 0 ? 0 : y;
  }
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

UINT_PTR CALLBACK CentreFileDialog(HWND hook, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) CentreOverOwner(GetParent(hook), true);
  return 0;
}

// The settings chooser's thumbnail panel: the picture of the selected file
// at the size of the panel's picture item, painted when the item draws.
struct ThumbnailPanel {
  const FileChoiceRequest* request = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;
};

void ShowPanelThumbnail(HWND hook, ThumbnailPanel* panel, const char* path) {
  HWND item = GetDlgItem(hook, kThumbnailPanelPicture);
  if (!item || !panel) return;
  RECT r{};
  GetClientRect(item, &r);
  panel->width = r.right;
  panel->height = r.bottom;
  panel->rgb.assign(size_t(r.right > 0 ? r.right : 0) * size_t(r.bottom > 0 ? r.bottom : 0) * 3, 0);
  if (panel->rgb.empty()) return;
  panel->request->showThumbnail(path, panel->width, panel->height, panel->rgb.data());
  InvalidateRect(item, nullptr, FALSE);
}

UINT_PTR CALLBACK OpenDialogHookProc(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  ThumbnailPanel* panel = reinterpret_cast<ThumbnailPanel*>(GetWindowLongPtrA(hook, GWLP_USERDATA));
  switch (message) {
    case WM_INITDIALOG: {
      const OPENFILENAMEA* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
      SetWindowLongPtrA(hook, GWLP_USERDATA, ofn->lCustData);
      CentreOverOwner(GetParent(hook), false);
      ShowPanelThumbnail(hook, reinterpret_cast<ThumbnailPanel*>(ofn->lCustData), nullptr);
      return 0;
    }
    case WM_NOTIFY: {
      const OFNOTIFYA* note = reinterpret_cast<const OFNOTIFYA*>(lParam);
      if (note->hdr.code != UINT(CDN_SELCHANGE)) return 0;
      char path[MAX_PATH] = {};
      // Negative when the path does not fit.
      if (SendMessageA(GetParent(hook), CDM_GETFILEPATH, MAX_PATH, reinterpret_cast<LPARAM>(path)) > 0)
        ShowPanelThumbnail(hook, panel, path);
      return 0;
    }
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!panel || item->CtlID != UINT(kThumbnailPanelPicture)) return 0;
      BlitRgb(item->hDC, panel->rgb.data(), panel->width, panel->height, panel->width * 3, item->rcItem.left,
              item->rcItem.top);
      return TRUE;
    }
    default:
      return 0;
  }
}

int32_t ChooseFileWin32(void*, const FileChoiceRequest* request) {
  if (gChooserOpen || !request->path) return 0;
  const int32_t kind = request->kind >= 0 && request->kind < 7 ? request->kind : 5;
  char filter[96] = {};
  const size_t textLength = std::strlen(kFileKinds[kind].text);
  std::memcpy(filter, kFileKinds[kind].text, textLength);
  std::memcpy(filter + textLength + 1, kFileKinds[kind].pattern, std::strlen(kFileKinds[kind].pattern));
  const char* extension = std::strcmp(kFileKinds[kind].pattern, "*.*") == 0 ? nullptr : kFileKinds[kind].pattern + 2;
  HMODULE comdlg = LoadLibraryA("comdlg32.dll");
  if (!comdlg) return 0;
  using Chooser = BOOL(WINAPI*)(OPENFILENAMEA*);
  auto choose = reinterpret_cast<Chooser>(
      reinterpret_cast<void*>(GetProcAddress(comdlg, request->save ? "GetSaveFileNameA" : "GetOpenFileNameA")));
  int32_t chosen = 0;
  if (choose) {
    if (!request->save) request->path[0] = 0;
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    if (request->save && request->owner && request->owner->setItemText == SetText)
      ofn.hwndOwner = Self(request->owner->context)->window;
    ofn.hInstance = gModule;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = request->path;
    ofn.nMaxFile = 260;
    ofn.lpstrFileTitle = request->fileTitle;
    ofn.nMaxFileTitle = request->fileTitle ? 260 : 0;
    ofn.lpstrInitialDir = request->folder && request->folder[0] ? request->folder : nullptr;
    ofn.lpstrTitle = request->title;
    ofn.lpstrDefExt = extension;
    ofn.lpfnHook = CentreFileDialog;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY |
                (request->save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    // The settings chooser shows the thumbnail panel beside its own controls.
    ThumbnailPanel panel;
    panel.request = request;
    HRSRC panelResource = request->showThumbnail ? FindResourceA(gModule, kThumbnailPanelTemplate,
                                                                 reinterpret_cast<LPCSTR>(RT_DIALOG))
                                                 : nullptr;
    HGLOBAL panelTemplate = panelResource ? LoadResource(gModule, panelResource) : nullptr;
    if (panelTemplate && LockResource(panelTemplate)) {
      ofn.Flags |= OFN_ENABLETEMPLATEHANDLE | OFN_ENABLEHOOK;
      ofn.hInstance = reinterpret_cast<HINSTANCE>(LockResource(panelTemplate));
      if (request->owner && request->owner->setItemText == SetText) ofn.hwndOwner = Self(request->owner->context)->window;
      ofn.lpfnHook = OpenDialogHookProc;
      ofn.lCustData = reinterpret_cast<LPARAM>(&panel);
    }
    gChooserOpen = true;
    chosen = choose(&ofn) ? 1 : 0;
    gChooserOpen = false;
    if (panelTemplate) FreeResource(panelTemplate);
    if (chosen && request->folder) {
      lstrcpynA(request->folder, request->path, 261);
      if (ofn.nFileOffset < 261) request->folder[ofn.nFileOffset] = 0;
    }
  }
  FreeLibrary(comdlg);
  return chosen;
}

uint8_t ChooseColourWin32(void*, const char*, const uint16_t colour[3], uint16_t chosen[3]) {
  HMODULE comdlg = LoadLibraryA("comdlg32.dll");
  if (!comdlg) return 0;
  using Chooser = BOOL(WINAPI*)(CHOOSECOLORA*);
  auto choose = reinterpret_cast<Chooser>(reinterpret_cast<void*>(GetProcAddress(comdlg, "ChooseColorA")));
  uint8_t ok = 0;
  if (choose) {
    CHOOSECOLORA request{};
    request.lStructSize = sizeof(request);
    request.hInstance = reinterpret_cast<HWND>(gModule);
    request.rgbResult = RGB(colour[0] >> 8, colour[1] >> 8, colour[2] >> 8);
    request.lpCustColors = gCustomColours;
    request.Flags = CC_RGBINIT;
    if (choose(&request)) {
      chosen[0] = uint16_t(GetRValue(request.rgbResult) << 8);
      chosen[1] = uint16_t(GetGValue(request.rgbResult) << 8);
      chosen[2] = uint16_t(GetBValue(request.rgbResult) << 8);
      ok = 1;
    }
  }
  FreeLibrary(comdlg);
  return ok;
}

void SetCursorShape(void*, CursorShape shape) {
  gCursorShape = shape;
  SetCursor(CursorOf(shape));
}

void Beep(void*) { MessageBeep(0); }

uint32_t Tick(void*) { return GetTickCount(); }

void OpenPage(void*, const char* address) { ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL); }

WindowSystem gWin32WindowSystem = {nullptr,   RunModal, ChooseFileWin32, ChooseColourWin32, SetCursorShape,
                                   Beep,      Tick,     OpenPage};

}  // namespace

void InstallWin32WindowSystem(void* moduleInstance) {
  gModule = static_cast<HINSTANCE>(moduleInstance);
  gLiveGdiMessage = RegisterWindowMessageA(kLiveGdiObjectsMessage);
  InstallWindowSystem(&gWin32WindowSystem);
}

int32_t Win32ViewLiveGdiObjects() { return int32_t(gLiveGdiObjects); }
