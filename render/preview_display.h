// The preview of the main dialog: the host renders into its output buffer
// at a reduced scale and the plug-in hands that buffer to the host's
// displayPixels, with 16-bit and floating-point rows converted to 8 bits
// first. Zoom (three buttons) and pan (a drag on the preview) change only the
// sampling scale and the pan offset, and every change asks the host for the
// input again.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "ui/dialog_port.h"

struct GlobalsRecord;
struct MainDialog;

// Shows the rows rendered so far in the open main dialog's preview; a
// fillOutside of 0 clears the preview area first. Nothing without a dialog.
void ShowOutputInPreview(GlobalsRecord* globals, int32_t fillOutside);
// Told of every ShowOutputInPreview call, dialog or not (null: nobody); the
// render's checks watch the rows it shows through it.
using PreviewRowObserver = void (*)(GlobalsRecord* globals, int32_t fillOutside);
void SetPreviewRowObserver(PreviewRowObserver observer);

// The preview area: control 18 inset by 2 pixels (empty without the control).
ItemRect GetPreviewArea(const MainDialog* dialog);
// Frames the preview area and shows the host's output buffer centred in it;
// with fillOutside the area around a smaller image turns white.
void DrawPreview(MainDialog* dialog, int32_t fillOutside);

// 8-bit display values of the host's deeper samples.
// (Floats go through FloatToByte: value x 255 truncated, within 0..255.)
uint8_t SixteenBitToDisplayByte(uint16_t sample);  // sample >> 7, at most 255

// Hands a pixel map to displayPixels, its 16-bit and float samples converted
// to 8 bits in a buffer of the host's first. Nothing is shown without the
// callback, a drawing context or the buffer; answers the host's result.
HostError DisplayRowsThroughHost(GlobalsRecord* globals, const PSPixelMap* map, const Rect32* source,
                                 int32_t destinationRow, int32_t destinationColumn, void* deviceContext);

// At dialog start: the fitted preview rectangle, the whole-image scale, the
// input at that scale and the first preview render. A host result that is
// already an error turns the preview off for the rest of the dialog.
void InitDialogPreview(MainDialog* dialog);

// Zoom in (32), out (33) and actual pixels (34); true when the view changed
// and the preview must be drawn again. Nothing without the host's sampling.
bool ZoomPreview(MainDialog* dialog, int32_t id);
// Zoom buttons enabled by what the scale allows, the zoom text 100 / scale "%".
void UpdateZoomButtons(MainDialog* dialog);
bool PreviewCanZoom(const MainDialog* dialog);

// The view's centre kept while the scale goes from oldScale to newScale.
void ZoomViewAboutCentre(MainDialog* dialog, int32_t oldScale, int32_t newScale);
// The pan offset kept inside the image at that scale.
void ClampViewOffset(MainDialog* dialog, int32_t scale);

// A drag on the captured preview: the image follows the mouse, showing the
// source pixels under the new view until the next render.
void StartPreviewDrag(MainDialog* dialog, int32_t x, int32_t y);
void DragPreviewView(MainDialog* dialog, int32_t x, int32_t y);

// The host's input over an 8 x 8 checkerboard, through the selection mask
// and the transparency, into the output buffer (preview run mode only).
void TransferHostRows(GlobalsRecord* globals);
void TransferHostRow(GlobalsRecord* globals, int32_t row);
