#include "ui/control_drawing.h"

#include <algorithm>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "ui/control_values.h"
#include "ui/dialog_geometry.h"
#include "ui/ui_texts.h"

namespace {

constexpr int32_t kPlainTrackHeight = 11;

bool ItemRectOf(const MainDialog* dialog, int32_t id, ItemRect* rect) {
  return PortGetItemRect(dialog->port, id, rect);
}

ItemRect Inset(ItemRect r, int32_t d) { return ItemRect{r.left + d, r.top + d, r.right - d, r.bottom - d}; }

// Two-tone frame: top and left in one colour, bottom and right in the other.
void BevelFrame(const DialogPort* port, ItemRect r, RgbColour topLeft, RgbColour bottomRight) {
  PortDrawLine(port, r.left, r.bottom - 1, r.left, r.top, topLeft);
  PortDrawLine(port, r.left, r.top, r.right - 1, r.top, topLeft);
  PortDrawLine(port, r.right - 1, r.top, r.right - 1, r.bottom - 1, bottomRight);
  PortDrawLine(port, r.right - 1, r.bottom - 1, r.left, r.bottom - 1, bottomRight);
}

// The part of the background under a control, so that a label drawn again
// does not pile up on its old text.
void RepaintBackgroundUnder(const DialogPort* port, const ItemRect& rect) {
  PortDrawBitmap(port, kBitmapBackground, 0, 0, &rect);
}

void DrawSlider(MainDialog* dialog, int32_t id) {
  ItemRect r;
  if (!ItemRectOf(dialog, id, &r)) return;
  const DialogPort* port = dialog->port;
  const bool enabled = IsControlEnabled(dialog, id);
  if (dialog->controls.trackBitmaps[id] != -1 && enabled) {
    PortDrawBitmap(port, dialog->controls.trackBitmaps[id], r.left, r.top, nullptr);
  } else {
    const ItemRect track{r.left, r.top, r.right, r.top + kPlainTrackHeight};
    if (enabled) {
      PortFillRect(port, track, kTrackFace);
      PortFrameRect(port, track, kBlack);
      BevelFrame(port, Inset(track, 1), kGreyText, kWhite);
    } else {
      PortFillRect(port, track, kButtonFace);
      PortFrameRect(port, track, kGreyText);
      PortFrameRect(port, Inset(track, 1), kGreyText);
    }
  }
  if (!enabled) return;
  const int32_t x = SliderKnobX(r, dialog->controls.values[id], dialog->controls.sliderMinimum[id],
                                dialog->controls.sliderMaximum[id]);
  PortDrawBitmap(port, kBitmapSliderKnob, x, r.top + 1, nullptr);
}

void DrawLabel(MainDialog* dialog, int32_t id) {
  ItemRect r;
  if (!ItemRectOf(dialog, id, &r)) return;
  const ControlDescriptor d = GetControlDescriptor(id);
  const int32_t alignment = d.minimum == 1 ? 0 : d.minimum == 0 ? 2 : 1;
  RepaintBackgroundUnder(dialog->port, r);
  DrawControlLabel(dialog->port, r, alignment, GetUiLabel(dialog->controls.labels[id]), -2,
                   IsControlEnabled(dialog, id) ? kBlack : kGreyText);
}

void DrawStatusLine(MainDialog* dialog) {
  ItemRect r;
  if (!ItemRectOf(dialog, kIdStatusLine, &r)) return;
  RepaintBackgroundUnder(dialog->port, r);
  const ParameterBlock* block = GetParameterBlock(dialog->globals);
  if (!block) return;
  // The name is a fixed buffer: never read past it.
  char name[sizeof(block->settingsName)];
  for (size_t i = 0; i < sizeof(name); ++i) name[i] = block->settingsName[i];
  name[sizeof(name) - 1] = 0;
  ItemRect text = r;
  text.left += 1;
  DrawControlLabel(dialog->port, text, 1, name, -2, kBlack);
}

void DrawThumbnailFrame(MainDialog* dialog) {
  ItemRect r;
  if (!ItemRectOf(dialog, kIdDotThumbnail, &r)) return;
  PortDrawBitmap(dialog->port, kBitmapThumbnailFrame, r.left, r.top, nullptr);
  if (!dialog->dotThumbnailLoaded) return;
  const CanvasPixels pixels{kDotThumbnailSide, kDotThumbnailSide, kDotThumbnailSide * 3, dialog->dotThumbnail};
  PortBlitPixels(dialog->port, pixels, r.left + 4, r.top + 4);
}

}  // namespace

void DrawControlLabel(const DialogPort* port, ItemRect rect, int32_t alignment, const char* text, int32_t dy,
                      RgbColour colour) {
  rect.bottom -= 2;
  const int32_t shift = dy + (rect.bottom - rect.top - 14) / 2;
  rect.top += shift;
  rect.bottom += shift;
  const TextAlign align = alignment == 2 ? TextAlign::Right : alignment == 1 ? TextAlign::Centre : TextAlign::Left;
  PortDrawText(port, rect, text ? text : "", colour, align);
}

int32_t SliderKnobX(const ItemRect& track, int32_t value, int32_t minimum, int32_t maximum) {
  const int64_t range = std::max<int64_t>(int64_t(maximum) - minimum, 1);
  const int64_t width = int64_t(track.right) - track.left;
  return int32_t(track.left + 1 + (int64_t(value) - minimum) * (width - 15) / range);
}

int32_t MemoryDotBitmap(int32_t state, int32_t mark, bool pressed) {
  switch (state) {
    case 1:
      if (mark) return pressed ? 216 : 215;
      return pressed ? 214 : 213;
    case 2:
      if (mark) return pressed ? 212 : 208;
      return pressed ? 211 : 202;
    default:
      return pressed ? 210 : 203;
  }
}

void DrawMemoryDot(MainDialog* dialog, int32_t id, int32_t value) {
  const int32_t index = MemoryDotIndex(id);
  ItemRect r;
  if (index < 0 || !ItemRectOf(dialog, id, &r)) return;
  const WorkRecord* work = dialog->globals ? dialog->globals->workRecord : nullptr;
  const int32_t state = work ? work->dotStates[index] : 0;
  const int32_t mark = work ? int32_t(work->dotWords[index]) : 0;
  PortDrawBitmap(dialog->port, MemoryDotBitmap(state, mark, (value & kDotPressedBit) != 0), r.left, r.top + 2, nullptr);
}

void DrawColourSwatch(MainDialog* dialog, int32_t id, int32_t state) {
  ItemRect r;
  if (!IsColourKind(GetControlKind(id)) || !ItemRectOf(dialog, id, &r)) return;
  const DialogPort* port = dialog->port;
  const bool focused = (state & kDrawItemFocused) != 0;
  if (state & kDrawItemDisabled) {
    PortFillRect(port, r, kButtonFace);
    PortFrameRect(port, r, kGreyText);
  } else {
    PortFillRect(port, r, kButtonFace);
    ItemRect edge = r;
    if (focused) {
      PortFrameRect(port, edge, kBlack);
      edge = Inset(edge, 1);
    }
    if (state & kDrawItemPressed) {
      PortFrameRect(port, edge, kBlack);
      PortFrameRect(port, Inset(edge, 1), kShadow);
    } else {
      BevelFrame(port, edge, kHighlight, kBlack);
      BevelFrame(port, Inset(edge, 1), kWhite, kShadow);
    }
  }
  uint16_t colour[3];
  GetControlColour(dialog, id, colour);
  const ItemRect swatch = Inset(r, focused ? 3 : 2);
  PortFillRect(port, swatch, HostColourToRgb(colour));
  if (focused) PortDrawFocusRect(port, Inset(swatch, 4));
}

void RedrawControl(MainDialog* dialog, int32_t id) {
  if (!dialog->port || id < 0 || id >= kControlIdCount) return;
  const DialogPort* port = dialog->port;
  PortBeginDrawing(port);
  if (id == kIdZoomText) {
    // A native text: it repaints itself.
  } else if (id == kIdStatusLine) {
    DrawStatusLine(dialog);
  } else if (id == kIdDotThumbnail) {
    DrawThumbnailFrame(dialog);
  } else {
    const int32_t kind = GetControlKind(id);
    if (kind == kKindSlider) DrawSlider(dialog, id);
    if (kind == kKindLabel) DrawLabel(dialog, id);
    if (kind == kKindMemoryDot) DrawMemoryDot(dialog, id, dialog->controls.values[id]);
    if (id > 0 && kind == kKindColour) {
      DrawColourSwatch(dialog, id, IsControlEnabled(dialog, id) ? 0 : kDrawItemDisabled);
    }
  }
  PortEndDrawing(port);
}

void RedrawAllControls(MainDialog* dialog) {
  for (int32_t id = 0; id < kControlIdCount; ++id) RedrawControl(dialog, id);
}

void PaintDialogBackground(MainDialog* dialog, bool fillWhite) {
  const DialogPort* port = dialog->port;
  if (!port) return;
  if (fillWhite) {
    ItemRect client{0, 0, 0, 0};
    GetLayoutEntry(0, &client);
    PortFillRect(port, client, kWhite);
  }
  PortDrawBitmap(port, kBitmapBackground, 0, 0, nullptr);
}
