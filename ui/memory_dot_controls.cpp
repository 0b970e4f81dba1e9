#include "ui/memory_dot_controls.h"

#include <cstring>
#include <memory>
#include <vector>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "settings/memory_dots.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"
#include "ui/control_bindings.h"
#include "ui/control_drawing.h"
#include "ui/control_table.h"
#include "ui/control_values.h"
#include "ui/dialog_geometry.h"
#include "ui/dialog_services.h"
#include "ui/document_thumbnail.h"

namespace {

WorkRecord* Work(const MainDialog* dialog) { return dialog->globals ? dialog->globals->workRecord : nullptr; }

bool ValidDot(int32_t index) { return index >= 0 && index < kDotCount; }

void SetDotState(MainDialog* dialog, int32_t index, int32_t state) {
  if (WorkRecord* work = Work(dialog)) work->dotStates[index] = uint16_t(state);
}

void SetDotMark(MainDialog* dialog, int32_t index, int32_t mark) {
  if (WorkRecord* work = Work(dialog)) work->dotWords[index] = uint32_t(mark);
}

// Reads dot i's thumbnail into the dialog's 88 x 88 picture.
bool LoadMemoryDotThumbnail(MainDialog* dialog, int32_t index) {
  const ParameterBlock* block = GetParameterBlock(dialog->globals);
  if (!block) return false;
  FileSpec spec{};
  MemoryDotFilePath(&spec, index, false);
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  InitSettingsThumbnail(thumbnail.get());
  thumbnail->exists = true;
  // The thumbnail-only read leaves the settings alone; it reads into a copy all the same.
  std::unique_ptr<ParameterBlock> scratch(new ParameterBlock(*block));
  std::vector<uint8_t> rgba(size_t(kDotThumbnailSide) * kDotThumbnailSide * 4);
  PixelRaster image{kDotThumbnailSide, kDotThumbnailSide, 4, rgba.data()};
  if (!LoadSettingsThumbnail(spec.path, &image, scratch.get(), thumbnail.get())) return false;
  for (int32_t k = 0; k < kDotThumbnailSide * kDotThumbnailSide; ++k) {
    for (int32_t c = 0; c < 3; ++c) dialog->dotThumbnail[k * 3 + c] = rgba[size_t(k) * 4 + c];
  }
  dialog->dotThumbnailLoaded = 1;
  return true;
}

bool PointInControl(const MainDialog* dialog, int32_t id, int32_t x, int32_t y) {
  const ItemRect r = GetControlRectInClient(dialog->port, id);
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

int32_t GetDotState(const MainDialog* dialog, int32_t index) {
  const WorkRecord* work = Work(dialog);
  return work && ValidDot(index) ? work->dotStates[index] : kDotEmpty;
}

int32_t GetDotMark(const MainDialog* dialog, int32_t index) {
  const WorkRecord* work = Work(dialog);
  return work && ValidDot(index) ? int32_t(work->dotWords[index]) : 0;
}

int32_t ShownDot(const MainDialog* dialog) {
  const WorkRecord* work = Work(dialog);
  return work ? work->selectedDots[0] : -1;
}

int32_t LastUsedDot(const MainDialog* dialog) {
  const WorkRecord* work = Work(dialog);
  return work ? work->selectedDots[1] : -1;
}

void RedrawMemoryDot(MainDialog* dialog, int32_t index) {
  if (ValidDot(index)) RedrawControl(dialog, kMemoryDotIds[index]);
}

void InitMemoryDots(MainDialog* dialog) {
  for (int32_t i = 0; i < kDotCount; ++i) {
    if (GetDotMark(dialog, i)) SetDotState(dialog, i, kDotFilled);
    RedrawMemoryDot(dialog, i);
  }
}

void DeselectMemoryDots(MainDialog* dialog) {
  for (int32_t i = 0; i < kDotCount; ++i) {
    if (GetDotState(dialog, i) != kDotCurrent) continue;
    SetDotState(dialog, i, kDotFilled);
    RedrawMemoryDot(dialog, i);
  }
}

void SelectMemoryDot(MainDialog* dialog, int32_t index) {
  if (!ValidDot(index)) return;
  DeselectMemoryDots(dialog);
  SetDotState(dialog, index, kDotCurrent);
  RedrawMemoryDot(dialog, index);
}

int32_t FindFirstUnmarkedDot(const MainDialog* dialog) {
  for (int32_t i = 0; i < kDotCount; ++i) {
    if (GetDotMark(dialog, i) == 0) return i;
  }
  return -1;
}

void ShowDotThumbnail(MainDialog* dialog, bool show, int32_t index) {
  WorkRecord* work = Work(dialog);
  if (!work) return;
  if (!show || !ValidDot(index)) {
    ClearMemoryDotThumbnail(dialog->globals, dialog);
    return;
  }
  if (work->selectedDots[0] != index) {
    dialog->dotThumbnailLoaded = 0;
    LoadMemoryDotThumbnail(dialog, index);
    RedrawControl(dialog, kIdDotThumbnail);
  }
  work->selectedDots[0] = index;
  work->selectedDots[1] = index;
}

void StoreMemoryDot(MainDialog* dialog, int32_t index) {
  if (!ValidDot(index) || !Work(dialog)) return;
  MakeDocumentThumbnail(dialog->globals);
  SaveMemoryDotSettings(dialog->globals, index);
  SelectMemoryDot(dialog, index);
  Work(dialog)->selectedDots[0] = -1;  // the file is new: read its thumbnail again
  ShowDotThumbnail(dialog, true, index);
}

void LoadMemoryDot(MainDialog* dialog, int32_t index) {
  if (!ValidDot(index) || !Work(dialog)) return;
  LoadMemoryDotSettings(dialog->globals, index);
  SelectMemoryDot(dialog, index);
  WriteSettingsToControls(dialog);
}

void ClearMemoryDot(MainDialog* dialog, int32_t index) {
  if (!ValidDot(index)) return;
  SetDotState(dialog, index, kDotEmpty);
  SetDotMark(dialog, index, 0);
  RedrawMemoryDot(dialog, index);
  ShowDotThumbnail(dialog, false, index);
}

bool MemoryDotCommand(MainDialog* dialog, int32_t index) {
  if (!ValidDot(index) || !Work(dialog)) return false;
  if (GetDotState(dialog, index) == kDotEmpty) {
    // Either button stores; Ctrl stores without protecting the dot.
    SetDotMark(dialog, index, dialog->controlKey ? 0 : 1);
    StoreMemoryDot(dialog, index);
    return false;
  }
  if (dialog->rightButton) {
    ClearMemoryDot(dialog, index);
    return false;
  }
  if (dialog->controlKey) {
    SetDotMark(dialog, index, 0);
    RedrawMemoryDot(dialog, index);
    return false;
  }
  LoadMemoryDot(dialog, index);
  return true;
}

void ShowPressedFeedback(MainDialog* dialog, int32_t id, int32_t x, int32_t y) {
  int32_t value = GetControlValue(dialog, id) & ~kDotPressedBit;
  if (PointInControl(dialog, id, x, y)) value |= kDotPressedBit;
  dialog->dragPoint[0] = x;
  dialog->dragPoint[1] = y;
  if (dialog->dragAnchorSet && dialog->dragAnchor[0] == x && dialog->dragAnchor[1] == y) return;
  SetControlValue(dialog, id, value);
  dialog->dragAnchorSet = 1;
  dialog->dragAnchor[0] = x;
  dialog->dragAnchor[1] = y;
}

void HoverMemoryDot(MainDialog* dialog, int32_t index) {
  if (!ValidDot(index)) return;
  if (GetDotState(dialog, index) != kDotEmpty) {
    ShowDotThumbnail(dialog, true, index);
  } else if (ShownDot(dialog) != -1 || dialog->dotThumbnailLoaded) {
    ShowDotThumbnail(dialog, false, index);
  }
}
