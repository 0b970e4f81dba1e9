#include "ui/dialog_mouse.h"

#include <algorithm>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "render/preview_display.h"
#include "ui/control_drawing.h"
#include "ui/control_table.h"
#include "ui/control_values.h"
#include "ui/dialog_geometry.h"
#include "ui/dialog_services.h"
#include "ui/main_dialog.h"
#include "ui/memory_dot_controls.h"

namespace {

constexpr int32_t kKnobHalfWidth = 4;

bool Contains(const ItemRect& r, int32_t x, int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool PreviewZoomedIn(const MainDialog* dialog) {
  const ParameterBlock* block = GetParameterBlock(dialog->globals);
  return block && block->canPreview && block->previewScale != dialog->wholeImageScale;
}

void SetCursorState(CursorShape shape) {
  DialogModuleState& module = GetDialogModuleState();
  if (module.cursorState == int32_t(shape)) return;
  SetWindowCursor(shape);
  module.cursorState = int32_t(shape);
}

}  // namespace

int32_t HitTestControls(const MainDialog* dialog, int32_t x, int32_t y) {
  for (int32_t id = 0; id < kControlIdCount; ++id) {
    if (!IsControlEnabled(dialog, id)) continue;
    if (id != kIdPreview && !IsPressAndHoldKind(GetControlKind(id))) continue;
    if (!PortItemExists(dialog->port, id)) continue;
    if (Contains(GetControlRectInClient(dialog->port, id), x, y)) return id;
  }
  return -1;
}

int32_t SliderValueAt(const ItemRect& track, int32_t x, int32_t minimum, int32_t maximum) {
  const int64_t range = std::max<int64_t>(int64_t(maximum) - minimum, 1);
  const int64_t span = std::max<int64_t>(int64_t(track.right) - track.left - 14, 1);
  int64_t value = (int64_t(x) - (track.left + 1)) * range / span + minimum;
  value = std::clamp<int64_t>(value, minimum, maximum);
  return int32_t(value);
}

void DragSlider(MainDialog* dialog, int32_t id, int32_t x, int32_t y) {
  const int32_t px = x - kKnobHalfWidth;
  dialog->dragPoint[0] = px;
  dialog->dragPoint[1] = y;
  if (dialog->dragAnchorSet && dialog->dragAnchor[0] == px && dialog->dragAnchor[1] == y) return;
  const ItemRect track = GetControlRectInClient(dialog->port, id);
  const int32_t value =
      SliderValueAt(track, px, dialog->controls.sliderMinimum[id], dialog->controls.sliderMaximum[id]);
  SetControlValue(dialog, id, value);
  const ControlDescriptor d = GetControlDescriptor(id);
  if (d.editId != kNoControl) SetEditNumber(dialog, d.editId, value);
  dialog->dragAnchorSet = 1;
  dialog->dragAnchor[0] = px;
  dialog->dragAnchor[1] = y;
}

void OnButtonDown(MainDialog* dialog, const DialogEvent& event) {
  dialog->rightButton = 0;
  dialog->controlKey = 0;
  if (event.button == kMouseRight) {
    dialog->rightButton = 1;  // a right click with Ctrl held is a plain right click
  } else if (event.keys & kKeyControl) {
    dialog->controlKey = 1;
  }
  if (dialog->capturedControl != -1) return;  // one capture at a time
  const int32_t id = HitTestControls(dialog, event.x, event.y);
  dialog->dragPoint[0] = event.x;
  dialog->dragPoint[1] = event.y;
  if (id == kIdPreview) {
    if (event.button == kMouseLeft && PreviewZoomedIn(dialog)) {
      PortCaptureMouse(dialog->port);
      dialog->capturedControl = kIdPreview;
      StartPreviewDrag(dialog, event.x, event.y);
      SetCursorState(CursorShape::Grab);
    }
    return;
  }
  if (id < 0) return;
  PortCaptureMouse(dialog->port);
  dialog->capturedControl = id;
  dialog->pressTick = WindowTickMilliseconds();
  dialog->pressValue = GetControlValue(dialog, id);
  dialog->dragAnchorSet = 0;
  // The drag logic runs at once, as if the mouse had moved.
  PortPostEvent(dialog->port, MakeMouseEvent(DialogEventKind::MouseMove, 0, event.keys, event.x, event.y));
}

void OnMouseMove(MainDialog* dialog, const DialogEvent& event) {
  const int32_t captured = dialog->capturedControl;
  if (captured == -1) {
    const int32_t id = HitTestControls(dialog, event.x, event.y);
    if (id == kIdPreview) {
      SetCursorState(PreviewZoomedIn(dialog) ? CursorShape::Hover : CursorShape::Arrow);
      return;
    }
    if (IsMemoryDotKind(GetControlKind(id))) HoverMemoryDot(dialog, MemoryDotIndex(id));
    SetCursorState(CursorShape::Arrow);
    return;
  }
  if (captured == kIdPreview) {
    DragPreviewView(dialog, event.x, event.y);
    return;
  }
  const int32_t kind = GetControlKind(captured);
  if (kind == kKindSlider) DragSlider(dialog, captured, event.x, event.y);
  if (kind == kKindMemoryDot) ShowPressedFeedback(dialog, captured, event.x, event.y);
}

void OnButtonUp(MainDialog* dialog, const DialogEvent& event) {
  const int32_t captured = dialog->capturedControl;
  if (captured == -1) return;
  PortReleaseMouse(dialog->port);
  dialog->capturedControl = -1;
  dialog->dragAnchorSet = 0;
  if (captured == kIdPreview) {
    SetCursorState(CursorShape::Hover);
    // The rendered preview returns in place of the source pixels of the drag.
    if (ReadAutoPreview(dialog)) RefreshPreview(dialog);
    return;
  }
  const int32_t kind = GetControlKind(captured);
  if (kind == kKindMemoryDot) {
    const int32_t value = GetControlValue(dialog, captured);
    if (value & kDotPressedBit) SetControlValue(dialog, captured, value & ~kDotPressedBit);
  }
  if (kind == kKindIcon || kind == kKindMemoryDot || kind == kKindDotThumbnail) {
    // A click: released over the control it was pressed on.
    if (Contains(GetControlRectInClient(dialog->port, captured), event.x, event.y)) {
      PortPostEvent(dialog->port, MakeCommandEvent(captured, kNotifyClicked));
    }
    return;
  }
  CommitControlChange(dialog, captured);
  if (ReadAutoPreview(dialog) && GetControlValue(dialog, captured) != dialog->pressValue) {
    StopPreviewTimer(dialog);
    RefreshPreview(dialog);
  }
}
