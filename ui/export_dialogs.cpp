#include "ui/export_dialogs.h"

#include <algorithm>

#include "export/export_plan.h"
#include "nets/brick_palette.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"
#include "host/text_utils.h"
#include "ui/dialog_geometry.h"
#include "ui/dialog_numbers.h"
#include "ui/dialog_services.h"
#include "ui/export_commands.h"
#include "ui/file_choosers.h"
#include "ui/progress_dialog.h"

namespace {

constexpr int32_t kOk = 1;
constexpr int32_t kCancel = 2;
constexpr int32_t kEditWidth = 3;
constexpr int32_t kEditHeight = 4;
constexpr int32_t kEditSide = 3;

// The open sub-dialogs: the PSD size dialog (which shares its slot with the
// brick-sphere dialog), the cube map dialog and the faces dialog.
enum Slot { kSlotPsd = 0, kSlotCube = 1, kSlotFaces = 2, kSlotCount = 3 };
const DialogPort* gOpen[kSlotCount] = {};

struct SubDialog {
  GlobalsRecord* globals;
  Slot slot;
  int32_t current;     // the current radio of the PSD size and faces dialogs
  int32_t programmed;  // > 0 while the dialog writes an edit itself
};

int32_t ReadInteger(const DialogPort* port, int32_t id) {
  char text[kEditTextCapacity];
  PortGetItemText(port, id, text, int32_t(sizeof(text)));
  return ParseDialogInteger(text);
}

void WriteInteger(SubDialog* d, const DialogPort* port, int32_t id, int64_t value) {
  char text[24];
  FormatInteger(value, text, sizeof(text));
  d->programmed += 1;
  PortSetItemText(port, id, text);
  d->programmed -= 1;
}

int32_t ClampSide(int32_t v) { return std::clamp(v, kMinExportSide, kMaxExportSide); }

void SelectRadio(const DialogPort* port, int32_t id) {
  for (int32_t r = kPsdSameSize; r <= kPsdCustomSize; ++r) PortSetCheck(port, r, r == id ? 1 : 0);
}

void SelectFacesRadio(const DialogPort* port, int32_t id) {
  for (int32_t r = kFacesImages; r <= kFacesMap; ++r) PortSetCheck(port, r, r == id ? 1 : 0);
}

// The export kind behind each radio of the faces dialog.
int32_t FacesRadioKind(int32_t id) {
  return id == kFacesImages ? ExportPolyFaces : id == kFacesMap ? ExportFaceMap : ExportFaceTextures;
}

uint8_t Ticked(const DialogPort* port, int32_t id) { return PortGetCheck(port, id) == 1 ? 1 : 0; }

void OpenSlot(SubDialog* d, const DialogPort* port) {
  CentreWindow(port);
  gOpen[d->slot] = port;
}

int32_t EndSub(SubDialog* d, const DialogPort* port, int32_t code) {
  gOpen[d->slot] = nullptr;
  PortEndDialog(port, code);
  return 1;
}

bool RunSub(GlobalsRecord* globals, Slot slot, const char* templateName, DialogHandler handler) {
  if (gOpen[slot]) {
    PortBringToTop(gOpen[slot]);
    return false;
  }
  SubDialog d{globals, slot, kPsdSameSize, 0};
  const int32_t code = RunModalDialog(templateName, handler, &d, nullptr);
  gOpen[slot] = nullptr;
  return code == kOk;
}

}  // namespace

void KeepSourceProportions(const DialogPort* port, int32_t inputWidth, int32_t inputHeight, bool byWidth) {
  const int32_t width = ReadInteger(port, kEditWidth);
  const int32_t height = ReadInteger(port, kEditHeight);
  char text[24];
  if (byWidth) {
    if (inputWidth == 0) return;
    FormatInteger(int64_t(width) * inputHeight / inputWidth, text, sizeof(text));
    PortSetItemText(port, kEditHeight, text);
  } else {
    if (inputHeight == 0) return;
    FormatInteger(int64_t(height) * inputWidth / inputHeight, text, sizeof(text));
    PortSetItemText(port, kEditWidth, text);
  }
}

int32_t PsdSizeDialogHandler(void* state, const DialogPort* port, const DialogEvent* event) {
  SubDialog* d = static_cast<SubDialog*>(state);
  ParameterBlock* block = GetParameterBlock(d->globals);
  if (!block) return 0;
  const int32_t inputWidth = d->globals->filterWidth;
  const int32_t inputHeight = d->globals->filterHeight;
  switch (event->kind) {
    case DialogEventKind::Init: {
      OpenSlot(d, port);
      const bool custom = block->psdSizeMode == 3;
      WriteInteger(d, port, kEditWidth, custom ? block->psdWidth : inputWidth);
      WriteInteger(d, port, kEditHeight, custom ? block->psdHeight : inputHeight);
      d->current = std::clamp(block->psdSizeMode, 1, 3) + 9;
      SelectRadio(port, d->current);
      return 1;
    }
    case DialogEventKind::Close:
      return EndSub(d, port, kCancel);
    case DialogEventKind::Command: {
      const int32_t id = event->id;
      if (event->code == kNotifyEditChanged && (id == kEditWidth || id == kEditHeight)) {
        if (d->programmed > 0) return 1;  // the dialog's own write
        if (d->current == kPsdSameSize) {
          d->current = kPsdCustomSize;
          SelectRadio(port, d->current);
        } else if (d->current == kPsdSameProportions) {
          d->programmed += 1;
          KeepSourceProportions(port, inputWidth, inputHeight, id == kEditWidth);
          d->programmed -= 1;
        }
        return 1;
      }
      if (event->code != kNotifyClicked) return 0;
      if (id >= kPsdSameSize && id <= kPsdCustomSize) {
        if (id == kPsdSameSize) {
          WriteInteger(d, port, kEditWidth, inputWidth);
          WriteInteger(d, port, kEditHeight, inputHeight);
        } else if (id == kPsdSameProportions) {
          d->programmed += 1;
          KeepSourceProportions(port, inputWidth, inputHeight, true);
          d->programmed -= 1;
        }
        d->current = id;
        SelectRadio(port, id);
        return 1;
      }
      if (id == kOk) {
        block->psdWidth = ClampSide(ReadInteger(port, kEditWidth));
        block->psdHeight = ClampSide(ReadInteger(port, kEditHeight));
        block->psdSizeMode = d->current - 9;
        return EndSub(d, port, kOk);
      }
      if (id == kCancel) return EndSub(d, port, kCancel);
      return 0;
    }
    default:
      return 0;
  }
}

int32_t CubeMapDialogHandler(void* state, const DialogPort* port, const DialogEvent* event) {
  SubDialog* d = static_cast<SubDialog*>(state);
  ParameterBlock* block = GetParameterBlock(d->globals);
  if (!block) return 0;
  switch (event->kind) {
    case DialogEventKind::Init:
      OpenSlot(d, port);
      WriteInteger(d, port, kEditSide, block->cubeSide);
      PortSelectEditText(port, kEditSide);
      return 1;
    case DialogEventKind::Close:
      return EndSub(d, port, kCancel);
    case DialogEventKind::Command:
      if (event->code != kNotifyClicked) return 0;
      if (event->id == kOk) {
        block->cubeSide = ClampSide(ReadInteger(port, kEditSide));
        return EndSub(d, port, kOk);
      }
      if (event->id == kCancel) return EndSub(d, port, kCancel);
      return 0;
    default:
      return 0;
  }
}

int32_t ExportFacesDialogHandler(void* state, const DialogPort* port, const DialogEvent* event) {
  SubDialog* d = static_cast<SubDialog*>(state);
  ParameterBlock* block = GetParameterBlock(d->globals);
  if (!block) return 0;
  switch (event->kind) {
    case DialogEventKind::Init: {
      OpenSlot(d, port);
      // A choice whose export this build cannot make is not offered.
      for (int32_t r = kFacesImages; r <= kFacesMap; ++r) PortEnableItem(port, r, ExportKindAvailable(FacesRadioKind(r)));
      d->current = std::clamp(block->faceExportMode, 0, 2) + kFacesImages;
      if (!ExportKindAvailable(FacesRadioKind(d->current))) d->current = kFacesGeometry;
      SelectFacesRadio(port, d->current);
      WriteInteger(d, port, kEditSide, block->faceSize);
      PortSelectEditText(port, kEditSide);
      return 1;
    }
    case DialogEventKind::Close:
      return EndSub(d, port, kCancel);
    case DialogEventKind::Command: {
      if (event->code != kNotifyClicked) return 0;
      const int32_t id = event->id;
      if (id >= kFacesImages && id <= kFacesMap) {
        d->current = id;
        SelectFacesRadio(port, id);
        return 1;
      }
      if (id == kOk) {
        block->faceExportMode = d->current - kFacesImages;
        block->faceSize = ClampSide(ReadInteger(port, kEditSide));
        return EndSub(d, port, kOk);
      }
      if (id == kCancel) return EndSub(d, port, kCancel);
      return 0;
    }
    default:
      return 0;
  }
}

int32_t BrickSphereDialogHandler(void* state, const DialogPort* port, const DialogEvent* event) {
  SubDialog* d = static_cast<SubDialog*>(state);
  ParameterBlock* block = GetParameterBlock(d->globals);
  if (!block) return 0;
  struct Flag {
    int32_t id;
    int32_t ParameterBlock::*field;
  };
  const Flag flags[] = {{kBrickPlan, &ParameterBlock::spherePlan},
                        {kBrickStatistics, &ParameterBlock::sphereStats},
                        {kBrickLDraw, &ParameterBlock::ldraw},
                        {kBrickDiffuse, &ParameterBlock::brickDiffusion},
                        {kBrickPlates, &ParameterBlock::brickPlates}};
  switch (event->kind) {
    case DialogEventKind::Init:
      OpenSlot(d, port);
      WriteInteger(d, port, kEditSide, block->brickLayers);
      PortSelectEditText(port, kEditSide);
      for (const Flag& f : flags) PortSetCheck(port, f.id, block->*f.field ? 1 : 0);
      for (int32_t k = kBrickFirstColour; k <= kBrickLastColour; ++k)
        PortSetCheck(port, k, (uint32_t(block->brickColorset) >> (k - kBrickFirstColour)) & 1u);
      return 1;
    case DialogEventKind::Close:
      return EndSub(d, port, kCancel);
    case DialogEventKind::Command:
      if (event->code != kNotifyClicked) return 0;
      if (event->id == kOk) {
        block->brickLayers = std::clamp(ReadInteger(port, kEditSide), kMinBrickLayers, kMaxBrickLayers);
        for (const Flag& f : flags) block->*f.field = Ticked(port, f.id);
        uint32_t colours = 0;
        for (int32_t k = kBrickFirstColour; k <= kBrickLastColour; ++k)
          colours |= uint32_t(Ticked(port, k)) << (k - kBrickFirstColour);
        block->brickColorset = int32_t(colours);
        return EndSub(d, port, kOk);
      }
      if (event->id == kCancel) return EndSub(d, port, kCancel);
      return 0;
    default:
      return 0;
  }
}

bool ShowPsdSizeDialog(GlobalsRecord* globals) {
  if (!RunSub(globals, kSlotPsd, kPsdSizeTemplate, PsdSizeDialogHandler)) return false;
  ExportPsdWithSize(globals);
  return true;
}

bool ShowCubeMapDialog(GlobalsRecord* globals) {
  if (!RunSub(globals, kSlotCube, kCubeMapTemplate, CubeMapDialogHandler)) return false;
  ExportCubeMapPsd(globals);
  return true;
}

bool ShowExportFacesDialog(GlobalsRecord* globals) {
  if (!RunSub(globals, kSlotFaces, kExportFacesTemplate, ExportFacesDialogHandler)) return false;
  const ParameterBlock* block = GetParameterBlock(globals);
  switch (block ? block->faceExportMode : 1) {
    case 0:
      ExportPolyFacesPsd(globals);
      break;
    case 2:
      ExportFaceMapWithDialog(globals);
      break;
    default:
      ExportObjWithDialog(globals);
      break;
  }
  return true;
}

bool ShowBrickSphereDialog(GlobalsRecord* globals) {
  if (!RunSub(globals, kSlotPsd, kBrickSphereTemplate, BrickSphereDialogHandler)) return false;
  ExportBrickSphere(globals);
  return true;
}

void CloseChildWindows(GlobalsRecord* /*globals*/) {
  DialogModuleState& module = GetDialogModuleState();
  const DialogEvent close = MakePlainEvent(DialogEventKind::Close);
  for (const DialogPort*& open : gOpen) {
    if (open) PortPostEvent(open, close);
    open = nullptr;
  }
  if (module.aboutBoxOpen && module.aboutBox) PortPostEvent(module.aboutBox, close);
  // The info box is left to its own timer: it closes within a second of the
  // main dialog's end.
}

int16_t SavePsdWithDialog(GlobalsRecord* globals, const char* defaultName) {
  ParameterBlock* block = GetParameterBlock(globals);
  if (!block) return kProgressRefused;
  FileSpec spec{};
  CopyText(spec.path, sizeof(spec.path), defaultName);
  char folder[kMaxPathLength + 1];
  CopyText(folder, sizeof(folder), block->exportFolder);
  if (ShowSaveFileDialog(spec.path, nullptr, folder, kFileKindPsd, "Save a PSD file") != 1) return kProgressRefused;
  uint8_t cancelled = 0;
  return ShowProgressDialog(globals, &spec, &cancelled, kProgressJobPsd);
}

int16_t ExportPsdWithSize(GlobalsRecord* globals) {
  if (ParameterBlock* block = GetParameterBlock(globals)) block->exportKind = ExportSizedPsd;
  return SavePsdWithDialog(globals, "Orbalix 2 result.psd");
}

int16_t ExportCubeMapPsd(GlobalsRecord* globals) {
  if (ParameterBlock* block = GetParameterBlock(globals)) block->exportKind = ExportCubeFaces;
  return SavePsdWithDialog(globals, "Cube map.psd");
}
