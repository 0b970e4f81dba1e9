#include "render/preview_display.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/host_suites.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"
#include "image/sample_edge.h"
#include "render/glue_compositor.h"
#include "ui/control_table.h"
#include "ui/control_values.h"
#include "ui/dialog_geometry.h"
#include "ui/dialog_services.h"
#include "ui/main_dialog_state.h"

namespace {

constexpr int32_t kPreviewInset = 2;
constexpr RgbColour kFrameColour = {0, 0, 0};
constexpr RgbColour kOutsideColour = {255, 255, 255};

int32_t Width(const Rect& r) { return int32_t(r.right) - r.left; }
int32_t Height(const Rect& r) { return int32_t(r.bottom) - r.top; }

bool IsSixteenBitMode(int32_t mode, int32_t depth) {
  return (mode == kImageModeGray16 || mode == kImageModeRGB48) && depth == 16;
}
bool IsFloatMode(int32_t mode, int32_t depth) {
  return mode == kImageModeRGB96 || mode == kImageModeGray32 || depth == 32;
}

// The 8-bit image mode a converted deep map is shown in.
int32_t EightBitModeOf(int32_t mode) {
  switch (mode) {
    case kImageModeGray16:
    case kImageModeGray32:
      return kImageModeGrayScale;
    default:
      return kImageModeRGBColor;
  }
}

ParameterBlock* BlockOf(const MainDialog* dialog) { return GetParameterBlock(dialog->globals); }

PreviewRowObserver gRowObserver = nullptr;

}  // namespace

uint8_t SixteenBitToDisplayByte(uint16_t sample) {
  const int32_t v = sample >> 7;
  return uint8_t(v > 255 ? 255 : v);
}


HostError DisplayRowsThroughHost(GlobalsRecord* globals, const PSPixelMap* map, const Rect32* source,
                                 int32_t destinationRow, int32_t destinationColumn, void* deviceContext) {
  const FilterRecord* fr = globals ? globals->filterRecord : nullptr;
  if (!fr || !map || !source || !DisplayPixelsAvailable(fr->displayPixels) || !deviceContext) return kNoErr;
  PSPixelMap shown = *map;
  if (shown.bounds.left > shown.bounds.right) std::swap(shown.bounds.left, shown.bounds.right);
  const bool sixteen = IsSixteenBitMode(map->imageMode, fr->depth);
  const bool floats = !sixteen && IsFloatMode(map->imageMode, fr->depth);
  if (!sixteen && !floats) return fr->displayPixels(&shown, source, destinationRow, destinationColumn, deviceContext);

  const int32_t width = shown.bounds.right - shown.bounds.left;
  const int32_t height = shown.bounds.bottom - shown.bounds.top;
  const int32_t samples = shown.colBytes;  // samples a pixel
  if (width <= 0 || height <= 0 || samples <= 0 || !map->baseAddr) return kNoErr;
  const int64_t rowBytes = int64_t(width) * samples;
  BufferId slot = 0;
  void* buffer = AllocBuffer(rowBytes * height, &slot, RunBufferProcs(globals));
  if (!buffer) return kNoErr;  // nothing shown, nothing reported
  uint8_t* out = static_cast<uint8_t*>(buffer);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(map->baseAddr) + int64_t(y) * map->rowBytes;
    uint8_t* dest = out + int64_t(y) * rowBytes;
    for (int64_t k = 0; k < rowBytes; ++k) {
      if (sixteen) {
        uint16_t v;
        std::memcpy(&v, row + k * 2, 2);
        dest[k] = SixteenBitToDisplayByte(v);
      } else {
        float v;
        std::memcpy(&v, row + k * 4, 4);
        dest[k] = uint8_t(FloatToByte(v));
      }
    }
  }
  shown.imageMode = EightBitModeOf(map->imageMode);
  shown.rowBytes = int32_t(rowBytes);
  shown.baseAddr = buffer;
  const HostError result = fr->displayPixels(&shown, source, destinationRow, destinationColumn, deviceContext);
  FreeBuffer(&buffer, &slot, RunBufferProcs(globals));
  return result;
}

ItemRect GetPreviewArea(const MainDialog* dialog) {
  ItemRect r = GetControlRectInClient(dialog->port, kIdPreview);
  if (r.right - r.left <= 2 * kPreviewInset || r.bottom - r.top <= 2 * kPreviewInset) return ItemRect{0, 0, 0, 0};
  return ItemRect{r.left + kPreviewInset, r.top + kPreviewInset, r.right - kPreviewInset, r.bottom - kPreviewInset};
}

namespace {

// Steps 1 to 4 of drawing the preview: the frame, then the output buffer
// centred in the area. Answers the rectangle the image took (empty when
// nothing was shown).
ItemRect ShowOutputBuffer(MainDialog* dialog, bool clearFirst) {
  GlobalsRecord* globals = dialog->globals;
  const FilterRecord* fr = globals->filterRecord;
  const ItemRect area = GetPreviewArea(dialog);
  if (area.right <= area.left) return ItemRect{0, 0, 0, 0};
  if (clearFirst) PortFillRect(dialog->port, area, kOutsideColour);
  PortFrameRect(dialog->port, ItemRect{area.left - 1, area.top - 1, area.right + 1, area.bottom + 1}, kFrameColour);
  if (!fr || !fr->outData) return ItemRect{0, 0, 0, 0};
  const Rect out = fr->outRect;
  const int32_t width = Width(out);
  const int32_t height = Height(out);
  if (width <= 0 || height <= 0) return ItemRect{0, 0, 0, 0};
  const int32_t left = (area.left + area.right - width) / 2;
  const int32_t top = (area.top + area.bottom - height) / 2;
  PSPixelMap map{};
  map.version = 1;
  map.bounds = Rect32{out.top, out.left, out.bottom, out.right};
  map.imageMode = fr->imageMode;
  map.rowBytes = fr->outRowBytes;
  map.colBytes = fr->outHiPlane - fr->outLoPlane + 1;
  map.planeBytes = 1;
  map.baseAddr = fr->outData;
  DisplayRowsThroughHost(globals, &map, &map.bounds, top, left, PortHostDrawingContext(dialog->port));
  return ItemRect{left, top, left + width, top + height};
}

}  // namespace

void DrawPreview(MainDialog* dialog, int32_t fillOutside) {
  if (!dialog || !dialog->port) return;
  PortBeginDrawing(dialog->port);
  const ItemRect image = ShowOutputBuffer(dialog, false);
  if (fillOutside) {
    // The white around a smaller image, the image itself left alone.
    const ItemRect area = GetPreviewArea(dialog);
    if (image.right <= image.left) {
      PortFillRect(dialog->port, area, kOutsideColour);
    } else {
      const ItemRect bands[4] = {{area.left, area.top, area.right, image.top},
                                 {area.left, image.bottom, area.right, area.bottom},
                                 {area.left, image.top, image.left, image.bottom},
                                 {image.right, image.top, area.right, image.bottom}};
      for (const ItemRect& band : bands) {
        if (band.right > band.left && band.bottom > band.top) PortFillRect(dialog->port, band, kOutsideColour);
      }
    }
  }
  PortEndDrawing(dialog->port);
}

void SetPreviewRowObserver(PreviewRowObserver observer) { gRowObserver = observer; }

void ShowOutputInPreview(GlobalsRecord* globals, int32_t fillOutside) {
  if (gRowObserver) gRowObserver(globals, fillOutside);
  MainDialog* dialog = GetDialogModuleState().mainDialog;
  if (!globals || !dialog || dialog->globals != globals || !dialog->port || dialog->ended) return;
  PortBeginDrawing(dialog->port);
  ShowOutputBuffer(dialog, fillOutside == 0);
  PortEndDrawing(dialog->port);
}

void InitDialogPreview(MainDialog* dialog) {
  GlobalsRecord* globals = dialog->globals;
  ParameterBlock* block = BlockOf(dialog);
  FilterRecord* fr = globals->filterRecord;
  dialog->wholeImageScale = 1;
  if (!block || !fr || !block->canPreview) return;
  const ItemRect area = GetControlRectInClient(dialog->port, kIdPreview);
  const Rect control = ItemRectToHostRect(area);
  Rect fitted{};
  FitPreviewRect(globals, &fr->filterRect, &control, &fitted);
  globals->previewRect = fitted;
  dialog->fittedPreview = fitted;
  Rect scaled = fitted;
  int32_t scale = 1;
  ComputePreviewScale(&fr->filterRect, &scaled, &scale, globals);
  RequestScaledInput(globals, scale);
  block->previewScale = scale;
  block->previewPanX = 0;
  block->previewPanY = 0;
  RequestScaledInput(globals, block->previewScale);
  ShowBusyCursor();
  if (GetResult(globals) != kNoErr) {
    // The dialog runs on without a preview.
    block->canPreview = 0;
    SetResult(globals, kNoErr);
  } else {
    RenderPreviewImage(globals);
  }
  RestoreArrowCursor();
  dialog->wholeImageScale = block->previewScale;
}

bool PreviewCanZoom(const MainDialog* dialog) {
  const GlobalsRecord* globals = dialog->globals;
  const ParameterBlock* block = BlockOf(dialog);
  return block && block->canPreview && globals->filterRecord && !HostLacksSampling(globals);
}

void ClampViewOffset(MainDialog* dialog, int32_t scale) {
  ParameterBlock* block = BlockOf(dialog);
  const FilterRecord* fr = dialog->globals->filterRecord;
  if (scale < 1) scale = 1;
  Rect scaled = fr->filterRect;
  ScaleRect(&scaled, 1, scale);
  int32_t maxX = (Width(scaled) - Width(dialog->fittedPreview)) * scale;
  int32_t maxY = (Height(scaled) - Height(dialog->fittedPreview)) * scale;
  if (maxX < 0) maxX = 0;
  if (maxY < 0) maxY = 0;
  if (block->previewPanX > maxX) block->previewPanX = maxX;
  if (block->previewPanY > maxY) block->previewPanY = maxY;
  if (block->previewPanX < 0) block->previewPanX = 0;
  if (block->previewPanY < 0) block->previewPanY = 0;
}

void ZoomViewAboutCentre(MainDialog* dialog, int32_t oldScale, int32_t newScale) {
  ParameterBlock* block = BlockOf(dialog);
  const FilterRecord* fr = dialog->globals->filterRecord;
  const Rect in = fr->inRect;
  const int32_t centreX = (int32_t(in.left) + in.right) * oldScale / 2;
  const int32_t centreY = (int32_t(in.top) + in.bottom) * oldScale / 2;
  const int32_t viewWidth = Width(dialog->fittedPreview) * newScale;
  const int32_t viewHeight = Height(dialog->fittedPreview) * newScale;
  block->previewPanX = centreX - viewWidth / 2 - fr->filterRect.left;
  block->previewPanY = centreY - viewHeight / 2 - fr->filterRect.top;
  ClampViewOffset(dialog, newScale);
}

bool ZoomPreview(MainDialog* dialog, int32_t id) {
  if (id != kIdZoomIn && id != kIdZoomOut && id != kIdZoomText) return false;
  if (!PreviewCanZoom(dialog)) return false;
  ParameterBlock* block = BlockOf(dialog);
  const int32_t n = block->previewScale;
  int32_t next = n;
  if (id == kIdZoomOut && n < dialog->wholeImageScale) next = n + 1;
  if (id == kIdZoomIn && n > 1) next = n - 1;
  if (id == kIdZoomText) next = 1;
  if (id != kIdZoomText && next == n) return false;
  ZoomViewAboutCentre(dialog, n, next);
  block->previewScale = next;
  if (next == dialog->wholeImageScale) {
    block->previewPanX = 0;
    block->previewPanY = 0;
  }
  RequestScaledInput(dialog->globals, next);
  return true;
}

void UpdateZoomButtons(MainDialog* dialog) {
  const ParameterBlock* block = BlockOf(dialog);
  if (!block || !dialog->port) return;
  const bool sampling = PreviewCanZoom(dialog);
  const int32_t scale = block->previewScale >= 1 ? block->previewScale : 1;
  PortEnableItem(dialog->port, kIdZoomOut, sampling && scale < dialog->wholeImageScale);
  PortEnableItem(dialog->port, kIdZoomIn, sampling && scale >= 2);
  char text[16];
  std::snprintf(text, sizeof(text), "%d%%", int(100 / scale));
  PortSetItemText(dialog->port, kIdZoomText, text);
  for (int32_t id : {kIdZoomText, kIdZoomOut, kIdZoomIn}) PortRedrawItem(dialog->port, id);
}

void StartPreviewDrag(MainDialog* dialog, int32_t x, int32_t y) {
  dialog->dragAnchorSet = 1;
  dialog->dragAnchor[0] = x;
  dialog->dragAnchor[1] = y;
}

void DragPreviewView(MainDialog* dialog, int32_t x, int32_t y) {
  GlobalsRecord* globals = dialog->globals;
  ParameterBlock* block = BlockOf(dialog);
  if (!block) return;
  dialog->dragPoint[0] = x;
  dialog->dragPoint[1] = y;
  if (!dialog->dragAnchorSet) {
    StartPreviewDrag(dialog, x, y);
    return;
  }
  const int32_t scale = block->previewScale >= 1 ? block->previewScale : 1;
  const int32_t dx = (x - dialog->dragAnchor[0]) * scale;
  const int32_t dy = (y - dialog->dragAnchor[1]) * scale;
  if (dx == 0 && dy == 0) return;
  block->previewPanX -= dx;  // the image follows the mouse
  block->previewPanY -= dy;
  ClampViewOffset(dialog, scale);
  RequestScaledInput(globals, scale);  // calls advanceState when the host has it
  SetWindowCursor(CursorShape::Grab);
  GetDialogModuleState().cursorState = int32_t(CursorShape::Grab);
  if (GetResult(globals) == kNoErr) {
    TransferHostRows(globals);
    if (block->canPreview) DrawPreview(dialog, 0);
  }
  StartPreviewDrag(dialog, x, y);
}

void TransferHostRow(GlobalsRecord* globals, int32_t row) {
  const FilterRecord* fr = globals->filterRecord;
  const ParameterBlock* block = GetParameterBlock(globals);
  if (!fr || !block || block->runMode != RunModePreview || !fr->inData || !fr->outData) return;
  const int32_t width = Width(fr->outRect);
  if (row < 0 || row >= Height(fr->outRect) || row >= Height(fr->inRect) || width > Width(fr->inRect)) return;
  const int32_t inPlanes = fr->inHiPlane - fr->inLoPlane + 1;
  const int32_t outPlanes = fr->outHiPlane - fr->outLoPlane + 1;
  const bool grey = inPlanes < 3;
  const int32_t colourPlanes = grey ? 1 : 3;
  // A plane after the colour planes is the document's transparency.
  const bool transparency = inPlanes > colourPlanes && outPlanes > colourPlanes;
  const int32_t alphaPlane = colourPlanes;
  const int32_t outColours = outPlanes >= 3 ? 3 : 1;
  const uint8_t* inRow = static_cast<const uint8_t*>(fr->inData) + int64_t(row) * fr->inRowBytes;
  uint8_t* outRow = static_cast<uint8_t*>(fr->outData) + int64_t(row) * fr->outRowBytes;
  const int32_t depth = fr->depth;
  for (int32_t x = 0; x < width; ++x) {
    const int32_t maskValue = GetMaskValue(x, row, globals);
    if (depth == 32) {
      const float* in = reinterpret_cast<const float*>(inRow) + int64_t(x) * inPlanes;
      float* out = reinterpret_cast<float*>(outRow) + int64_t(x) * outPlanes;
      float w = maskValue / 255.0f;
      if (transparency) {
        w *= in[alphaPlane];
        out[alphaPlane] = w;
      }
      const float checker = CheckerboardValueFloat(x, row);
      for (int32_t c = 0; c < outColours; ++c) out[c] = (1.0f - w) * checker + w * in[grey ? 0 : c];
    } else if (depth == 16) {
      const uint16_t* in = reinterpret_cast<const uint16_t*>(inRow) + int64_t(x) * inPlanes;
      uint16_t* out = reinterpret_cast<uint16_t*>(outRow) + int64_t(x) * outPlanes;
      int32_t m = maskValue;
      if (transparency) {
        out[alphaPlane] = 32768;
        m = (m * in[alphaPlane]) >> 15;
      }
      const int32_t checker = CheckerboardValue16(x, row);
      for (int32_t c = 0; c < outColours; ++c) out[c] = uint16_t((checker * (255 - m) + m * in[grey ? 0 : c]) >> 8);
    } else {
      const uint8_t* in = inRow + int64_t(x) * inPlanes;
      uint8_t* out = outRow + int64_t(x) * outPlanes;
      int32_t m = maskValue;
      if (m > 127) m += 1;
      if (transparency) {
        out[alphaPlane] = 255;
        m = (m * in[alphaPlane]) >> 8;
      }
      const int32_t checker = CheckerboardValue8(x, row);
      for (int32_t c = 0; c < outColours; ++c) out[c] = uint8_t((checker * (256 - m) + m * in[grey ? 0 : c]) >> 8);
    }
  }
}

void TransferHostRows(GlobalsRecord* globals) {
  const FilterRecord* fr = globals->filterRecord;
  if (!fr) return;
  const int32_t rows = Height(fr->outRect);
  for (int32_t row = 0; row < rows; ++row) TransferHostRow(globals, row);
}
