#include "ui/dialog_geometry.h"

#include <algorithm>

#include "ui/control_table.h"
#include "ui/main_dialog_state.h"

namespace {

struct LayoutEntry {
  int32_t id;
  ItemRect rect;  // left, top, right, bottom
};

// The main dialog's controls in client pixels; entry 0 is the client area.
constexpr LayoutEntry kLayout[] = {
    {0, {0, 0, 865, 644}},       {2, {637, 604, 697, 630}},   {3, {788, 604, 848, 630}},   {4, {262, 268, 276, 282}},
    {6, {341, 603, 353, 615}},   {7, {61, 217, 81, 237}},     {8, {281, 217, 301, 237}},   {9, {58, 512, 118, 538}},
    {10, {330, 494, 342, 506}},  {12, {61, 416, 176, 433}},   {13, {153, 362, 168, 378}},  {14, {455, 529, 467, 541}},
    {15, {834, 504, 848, 518}},  {16, {446, 517, 458, 529}},  {18, {347, 0, 863, 488}},    {19, {461, 542, 473, 554}},
    {20, {364, 620, 376, 632}},  {21, {60, 361, 130, 378}},   {22, {4, 421, 53, 438}},     {23, {80, 299, 172, 315}},
    {24, {455, 599, 467, 611}},  {25, {12, 605, 36, 629}},    {26, {241, 465, 301, 491}},  {27, {333, 593, 345, 605}},
    {28, {177, 298, 191, 312}},  {29, {352, 611, 364, 623}},  {30, {732, 503, 746, 517}},  {31, {751, 504, 829, 521}},
    {32, {691, 503, 706, 518}},  {33, {628, 503, 643, 518}},  {34, {648, 502, 683, 518}},  {35, {241, 416, 301, 442}},
    {36, {1, 20, 53, 36}},       {37, {61, 20, 301, 32}},     {38, {1, 69, 53, 85}},       {39, {61, 69, 301, 81}},
    {40, {149, 512, 209, 538}},  {41, {7, 366, 53, 381}},     {42, {407, 630, 419, 642}},  {44, {446, 611, 458, 623}},
    {46, {149, 558, 209, 584}},  {47, {333, 506, 345, 518}},  {48, {61, 123, 75, 137}},    {49, {82, 123, 147, 139}},
    {50, {4, 449, 53, 466}},     {51, {61, 444, 176, 461}},   {52, {60, 330, 130, 347}},   {53, {7, 335, 53, 351}},
    {54, {196, 269, 258, 285}},  {56, {1, 45, 53, 61}},       {57, {61, 45, 301, 57}},     {58, {1, 154, 53, 170}},
    {59, {61, 154, 301, 166}},   {60, {2, 221, 54, 237}},     {61, {61, 179, 301, 191}},   {62, {165, 221, 276, 237}},
    {64, {149, 604, 209, 630}},  {65, {58, 603, 118, 630}},   {66, {392, 630, 404, 642}},  {68, {377, 626, 389, 638}},
    {70, {5, 478, 53, 495}},     {71, {61, 298, 75, 312}},    {72, {241, 558, 301, 584}},  {73, {61, 473, 176, 490}},
    {74, {241, 512, 301, 538}},  {75, {58, 558, 118, 584}},   {76, {483, 548, 854, 566}},  {77, {434, 620, 446, 632}},
    {78, {325, 582, 337, 594}},  {79, {197, 299, 259, 315}},  {80, {321, 570, 333, 582}},  {81, {204, 475, 219, 491}},
    {82, {1, 178, 53, 194}},     {83, {241, 604, 301, 630}},  {84, {281, 269, 343, 285}},  {85, {310, 67, 333, 83}},
    {86, {310, 18, 333, 34}},    {87, {421, 626, 433, 638}},  {88, {461, 586, 473, 598}},  {89, {465, 556, 477, 568}},
    {90, {61, 268, 75, 282}},    {91, {310, 43, 333, 59}},    {92, {309, 152, 333, 168}},  {93, {309, 177, 333, 193}},
    {94, {204, 446, 219, 462}},  {95, {465, 571, 477, 583}},  {97, {204, 418, 219, 434}},  {98, {348, 505, 444, 601}},
    {99, {485, 506, 507, 528}},  {102, {2, 94, 53, 110}},     {103, {61, 94, 301, 106}},   {104, {310, 92, 333, 108}},
    {105, {177, 268, 191, 282}}, {108, {321, 557, 333, 569}}, {110, {153, 332, 168, 348}}, {111, {325, 544, 337, 556}},
    {112, {329, 531, 341, 543}}, {113, {333, 518, 345, 530}}, {116, {80, 269, 172, 285}},  {117, {281, 299, 338, 315}},
    {118, {262, 298, 276, 312}},
};

constexpr int32_t kButtonShift = 2;
constexpr int32_t kZoomTextShift = 2;
constexpr int32_t kComboExtraHeight = 19;

}  // namespace

bool GetLayoutEntry(int32_t id, ItemRect* rect) {
  for (const LayoutEntry& entry : kLayout) {
    if (entry.id == id) {
      *rect = entry.rect;
      return true;
    }
  }
  return false;
}

ItemRect ComputeControlLayout(int32_t id) {
  ItemRect r{0, 0, 0, 0};
  if (id < 0 || id >= kLayoutIdCount || !GetLayoutEntry(id, &r)) return ItemRect{0, 0, 0, 0};
  const int32_t kind = GetControlKind(id);
  if (kind == kKindPushButton || kind == kKindBitmapButton) {
    r.left -= kButtonShift;
    r.right -= kButtonShift;
    r.top -= kButtonShift;
    r.bottom -= kButtonShift;
  }
  if (id == kIdZoomText) {
    r.top -= kZoomTextShift;
    r.bottom -= kZoomTextShift;
  }
  if (kind == kKindCombo) r.bottom += kComboExtraHeight;
  return r;
}

void LayoutMainDialog(MainDialog* dialog) {
  const DialogPort* port = dialog->port;
  if (!port) return;
  ItemRect client{0, 0, 0, 0};
  GetLayoutEntry(0, &client);
  PortSetClientSize(port, client.right - client.left, client.bottom - client.top);
  for (int32_t id = 1; id < kLayoutIdCount; ++id) {
    if (!PortItemExists(port, id)) continue;
    ItemRect r = ComputeControlLayout(id);
    if (r.right <= r.left || r.bottom <= r.top) continue;
    // A combo box's drop-down list may use the whole height below it.
    if (GetControlKind(id) == kKindCombo) r.bottom = client.bottom;
    PortPlaceItem(port, id, r);
  }
}

ItemRect GetControlRectInClient(const DialogPort* port, int32_t id) {
  ItemRect r{0, 0, 0, 0};
  if (!PortGetItemRect(port, id, &r)) return ItemRect{0, 0, 0, 0};
  return r;
}

void ComputeCentredPosition(const WindowPlacement& p, int32_t* x, int32_t* y) {
  const int32_t width = p.window.right - p.window.left;
  const int32_t height = p.window.bottom - p.window.top;
  const int32_t referenceWidth = p.reference.right - p.reference.left;
  const int32_t referenceHeight = p.reference.bottom - p.reference.top;
  const int32_t k = p.hasSystemMenu ? p.captionHeight : p.captionHeight - p.captionHeight / 3;
  int32_t left = p.reference.left + std::max(referenceWidth - width, 0) / 2 - k;
  if (left + width > p.screenWidth) left = std::max(p.screenWidth - width, 0);
  int32_t top = p.reference.top + std::max(referenceHeight - height, 0) / 3;
  if (top + height > p.screenHeight) top = std::max(p.screenHeight - height, 0);
  *x = left;
  *y = top;
}

void CentreWindow(const DialogPort* port) {
  WindowPlacement placement{};
  if (!PortGetPlacement(port, &placement)) return;
  int32_t x = 0;
  int32_t y = 0;
  ComputeCentredPosition(placement, &x, &y);
  PortMoveWindow(port, x, y);
}

namespace {

int16_t ClampTo16(int32_t v) { return int16_t(std::clamp(v, -32768, 32767)); }

}  // namespace

ItemRect HostRectToItemRect(const Rect& rect) { return ItemRect{rect.left, rect.top, rect.right, rect.bottom}; }

Rect ItemRectToHostRect(const ItemRect& rect) {
  return Rect{ClampTo16(rect.top), ClampTo16(rect.left), ClampTo16(rect.bottom), ClampTo16(rect.right)};
}

RgbColour HostColourToRgb(const uint16_t colour[3]) {
  return RgbColour{uint8_t(colour[0] >> 8), uint8_t(colour[1] >> 8), uint8_t(colour[2] >> 8)};
}

void RgbToHostColour(RgbColour rgb, uint16_t colour[3]) {
  colour[0] = uint16_t(rgb.red << 8);
  colour[1] = uint16_t(rgb.green << 8);
  colour[2] = uint16_t(rgb.blue << 8);
}

uint32_t HostColourToColorref(const uint16_t colour[3]) {
  const RgbColour rgb = HostColourToRgb(colour);
  return uint32_t(rgb.red) | uint32_t(rgb.green) << 8 | uint32_t(rgb.blue) << 16;
}

void ColorrefToHostColour(uint32_t colorref, uint16_t colour[3]) {
  RgbToHostColour(RgbColour{uint8_t(colorref), uint8_t(colorref >> 8), uint8_t(colorref >> 16)}, colour);
}
