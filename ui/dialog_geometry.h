// Window geometry of the dialogs: the fixed pixel layout of the main dialog,
// the centring of every dialog over its parent, and the conversions between
// the host's rectangles and colours and the dialogs' own.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "ui/dialog_port.h"

struct MainDialog;

constexpr int32_t kLayoutIdCount = 119;  // ids 0..118; entry 0 is the client size

// The layout entry of an id as it stands in the table; false for an id
// without one.
bool GetLayoutEntry(int32_t id, ItemRect* rect);

// Where control `id` goes: its layout entry, with push buttons and bitmap
// buttons 2 pixels up and left, the zoom text 2 more pixels up, and combo
// boxes 19 pixels taller. An empty rectangle for ids without an entry.
ItemRect ComputeControlLayout(int32_t id);

// The dialog's client area made exactly the layout's, and every control that
// exists placed at its rectangle (a combo box reaches down to the client
// area's bottom so that its list may use the whole height).
void LayoutMainDialog(MainDialog* dialog);

// The control's rectangle in the dialog's client pixels (empty when the
// control does not exist).
ItemRect GetControlRectInClient(const DialogPort* port, int32_t id);

// Where a window of that placement goes when centred: horizontally in the
// middle of the reference, a third of the way down, moved left by a caption
// height, and kept on the screen.
void ComputeCentredPosition(const WindowPlacement& placement, int32_t* x, int32_t* y);
void CentreWindow(const DialogPort* port);

ItemRect HostRectToItemRect(const Rect& rect);
Rect ItemRectToHostRect(const ItemRect& rect);  // clamps to the host's 16-bit range
// A host colour is three 16-bit components; an RGB colour keeps their high bytes.
RgbColour HostColourToRgb(const uint16_t colour[3]);
void RgbToHostColour(RgbColour rgb, uint16_t colour[3]);
// The same packed as 0x00BBGGRR.
uint32_t HostColourToColorref(const uint16_t colour[3]);
void ColorrefToHostColour(uint32_t colorref, uint16_t colour[3]);
