#include "ui/main_dialog.h"

#include <cstdio>
#include <cstring>

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "export/thumbnail_pass.h"
#include "nets/net_build.h"
#include "nets/nets_services_stub.h"
#include "render/preview_display.h"
#include "settings/preset_conversion.h"
#include "settings/random_settings.h"
#include "settings/settings_globals.h"
#include "settings/undo_files.h"
#include "ui/choice_popups.h"
#include "ui/control_bindings.h"
#include "ui/control_drawing.h"
#include "ui/control_values.h"
#include "ui/dialog_geometry.h"
#include "ui/dialog_mouse.h"
#include "ui/dialog_services.h"
#include "ui/dialog_templates.h"
#include "ui/export_commands.h"
#include "ui/export_dialogs.h"
#include "ui/document_thumbnail.h"
#include "ui/file_choosers.h"
#include "ui/memory_dot_controls.h"
#include "ui/settings_choosers.h"

namespace {

constexpr int32_t kIdLittlePlanet = 9;
constexpr int32_t kIdGridCycle = 13;
constexpr int32_t kIdPresetsPage = 15;
constexpr int32_t kIdSave = 26;
constexpr int32_t kIdLoad = 35;
constexpr int32_t kIdPsdExport = 40;
constexpr int32_t kIdConstrained = 46;
constexpr int32_t kIdBrickExport = 64;
constexpr int32_t kIdCubeExport = 65;
constexpr int32_t kIdDice = 72;
constexpr int32_t kIdUndo = 74;
constexpr int32_t kIdReset = 75;
constexpr int32_t kIdOutputCycle = 94;
constexpr int32_t kIdInputCycle = 97;
constexpr int32_t kIdQualityCycle = 110;

constexpr int32_t kBrickPreviewOutput = 45;

constexpr const char* kLittlePlanetName = "little planet.q2q";

ParameterBlock* BlockOf(const MainDialog* dialog) { return GetParameterBlock(dialog->globals); }

// OK or Cancel ended the dialog, perhaps inside a modal step that a command
// opened: whatever that command meant to do next must not touch the settings.
bool Ended(const MainDialog* dialog) { return dialog->ended || !dialog->port; }

void RedrawStatusLine(MainDialog* dialog) { RedrawControl(dialog, kIdStatusLine); }

void SetSettingsName(ParameterBlock* block, const char* name) {
  std::snprintf(block->settingsName, sizeof(block->settingsName), "%s", name);
}

// Steps a setting by one, wrapping from last to first.
int32_t StepWrapped(int32_t value, int32_t last, bool clampBelow) {
  if (clampBelow && value < 1) value = 1;
  value += 1;
  return value > last ? 1 : value;
}

bool UndoCommand(MainDialog* dialog, int32_t id) {
  bool changed = false;
  if (id == kIdUndo) {
    UndoFromSnapshot(dialog->globals);
    WriteSettingsToControls(dialog);
    RedrawStatusLine(dialog);
    changed = true;
  }
  // Once the settings change, no dot holds them any more.
  if (UndoKindForCommand(dialog, id) != 0 && MemoryDotIndex(id) < 0 && id != kIdDotThumbnail) {
    DeselectMemoryDots(dialog);
  }
  return changed;
}

bool ResetOrientation(MainDialog* dialog, int32_t id) {
  if (id != kIdReset) return false;
  ParameterBlock* block = BlockOf(dialog);
  if (!block) return false;
  ReadControlsToSettings(dialog);  // nothing typed is lost with the other settings
  block->latitude = block->longitude = block->spin = 0.0f;
  block->latitudeInteger = block->longitudeInteger = block->spinInteger = 0;
  WriteSettingsToControls(dialog);
  RedrawStatusLine(dialog);
  return true;
}

void ApplyRandomSettings(MainDialog* dialog) {
  WriteSettingsToControls(dialog);
  SetRandomSettingsName(BlockOf(dialog));
  RedrawStatusLine(dialog);
}

bool ThumbnailOfDialog(void* /*context*/, GlobalsRecord* globals, SettingsThumbnail* thumbnail) {
  return RenderSettingsThumbnail(globals, thumbnail);
}

// Re-saves the old-style presets of a folder that the user picks, each with
// a thumbnail rendered from its settings; the user's settings come back.
bool ConvertPresetsCommand(MainDialog* dialog) {
  ReadControlsToSettings(dialog);
  if (!ChooseSourceFolderFile(dialog->globals) || Ended(dialog)) return false;
  PresetConversionReport report{};
  ShowBusyCursor();
  ConvertPresetFolder(dialog->globals, BlockOf(dialog)->presetFolder, ThumbnailOfDialog, dialog, &report);
  RestoreArrowCursor();
  WriteSettingsToControls(dialog);
  RedrawStatusLine(dialog);
  return true;
}

// The commands of the dialog's own buttons; true when the preview must be redrawn.
bool HandleButtonCommand(MainDialog* dialog, int32_t id) {
  GlobalsRecord* globals = dialog->globals;
  ParameterBlock* block = BlockOf(dialog);
  if (!block) return false;
  const int32_t dot = MemoryDotIndex(id);
  if (dot >= 0) return MemoryDotCommand(dialog, dot);
  switch (id) {
    case kIdSave:
      ReadControlsToSettings(dialog);
      MakeDocumentThumbnail(globals);
      EnsureSettingsFileName(block->settingsName);
      SaveSettingsWithDialog(globals);
      if (!Ended(dialog)) RedrawStatusLine(dialog);
      return false;
    case kIdLoad:
      if (LoadSettingsWithDialog(globals) != 1 || Ended(dialog)) return false;
      WriteSettingsToControls(dialog);
      RedrawStatusLine(dialog);
      return true;
    case kIdLittlePlanet:
      ReadControlsToSettings(dialog);
      SetLittlePlanetSettings(block, 0);
      WriteSettingsToControls(dialog);
      SetSettingsName(block, kLittlePlanetName);
      RedrawStatusLine(dialog);
      return true;
    case kIdPsdExport:
      ReadControlsToSettings(dialog);
      return ShowPsdSizeDialog(globals) && !Ended(dialog);
    case kIdCubeExport:
      ReadControlsToSettings(dialog);
      return ShowCubeMapDialog(globals) && !Ended(dialog);
    case kIdBrickExport:
      ReadControlsToSettings(dialog);
      return ShowBrickSphereDialog(globals) && !Ended(dialog) && block->outputProjection == kBrickPreviewOutput;
    case kIdFacet:
      ReadControlsToSettings(dialog);
      // Output 261 exports its solid through another net of the same solid.
      if (!IsNetOfSolid(block->outputProjection == 261 ? 1035 : block->outputProjection)) {
        SoundBeep();
        return false;
      }
      return ShowExportFacesDialog(globals) && !Ended(dialog);
    case kIdPresetsPage:
      ReadControlsToSettings(dialog);
      ExportPresetsPage(globals);
      return false;
    case kIdDotThumbnail:
      if (dialog->rightButton) {
        ReadControlsToSettings(dialog);
        ExportMemoryDotsPage(globals);
        return false;
      }
      if (dialog->controlKey) return ConvertPresetsCommand(dialog);
      if (LastUsedDot(dialog) < 0) return false;
      LoadMemoryDot(dialog, LastUsedDot(dialog));
      return true;
    default:
      return false;
  }
}

// A checkbox, whatever the notification: the preview follows at once when
// Auto preview was on before the click.
void OnCheckboxCommand(MainDialog* dialog, int32_t id) {
  const ParameterBlock* block = BlockOf(dialog);
  dialog->refresh = 1;
  StopPreviewTimer(dialog);
  if ((block && block->autoPreview) || IsPreviewCommand(id)) RefreshPreview(dialog);
}

void OnComboSelection(MainDialog* dialog, int32_t id) {
  StoreControlValue(dialog, id, int32_t(ReadControlValue(dialog, id)));
  CommitControlChange(dialog, id);
  StopPreviewTimer(dialog);
  if (ReadAutoPreview(dialog)) RefreshPreview(dialog);
}

void OnPopupCommand(MainDialog* dialog, int32_t commandId) {
  // A command id that no item has is not a choice: it changes nothing.
  const int32_t control = ApplyPopupCommand(dialog, commandId);
  if (control < 0) return;
  WriteControlValue(dialog, control, float(GetControlValue(dialog, control)));
  ReadControlsToSettings(dialog);
  CommitControlChange(dialog, control);
  StopPreviewTimer(dialog);
  if (ReadAutoPreview(dialog)) RefreshPreview(dialog);
}

void OnClick(MainDialog* dialog, int32_t id) {
  bool refresh = false;
  if (id == kIdTabColour || id == kIdBackdropColour) {
    refresh = ChooseControlColour(dialog, id) || refresh;
    if (Ended(dialog)) return;
  }
  refresh = ZoomPreview(dialog, id) || refresh;
  UpdateZoomButtons(dialog);
  refresh = HandleButtonCommand(dialog, id) || refresh;
  if (Ended(dialog)) return;
  if (id == kIdAboutIcon) ShowAboutBox();
  if (id == kIdInfoButton) ShowInfoBox();
  if (Ended(dialog)) return;
  refresh = UndoCommand(dialog, id) || refresh;
  refresh = CycleChoiceButton(dialog, id) || refresh;
  refresh = ResetOrientation(dialog, id) || refresh;
  if (refresh) dialog->refresh = 1;
  CommitControlChange(dialog, id);
  StopPreviewTimer(dialog);
  const ParameterBlock* block = BlockOf(dialog);
  if (dialog->refresh && ((block && block->autoPreview) || IsPreviewCommand(id))) RefreshPreview(dialog);
  OnOkCancel(dialog, id);
}

void HandleCommand(MainDialog* dialog, int32_t id, int32_t code) {
  if (Ended(dialog)) return;
  // Ids outside the dialog's controls and its popup items mean nothing here.
  if (id < 0 || (id >= kControlIdCount && id < kFirstPopupCommand)) return;
  if (id >= kFirstPopupCommand) {
    OnPopupCommand(dialog, id);
    return;
  }
  // A command from no control of this dialog.
  if (!PortItemExists(dialog->port, id)) return;
  const int32_t kind = GetControlKind(id);
  if (IsCheckboxKind(kind)) OnCheckboxCommand(dialog, id);
  if (IsComboKind(kind) && code == kNotifySelectionChanged) {
    OnComboSelection(dialog, id);
    return;
  }
  if (code == kNotifyEditChanged) {
    OnEditChanged(dialog, id);
    return;
  }
  if (code != kNotifyClicked) return;
  OnClick(dialog, id);
}

void OnTimer(MainDialog* dialog, int32_t timerId) {
  // Only the preview timer, and only while a typed value waits for it.
  if (timerId != kPreviewTimerId || !dialog->previewTimerArmed || Ended(dialog)) return;
  CommitControlChange(dialog, kTimerCommitId);
  StopPreviewTimer(dialog);
  RefreshPreview(dialog);
}

}  // namespace

bool IsPreviewCommand(int32_t id) {
  switch (id) {
    case kIdPreview:
    case kIdSave:
    case kIdZoomIn:
    case kIdZoomOut:
    case kIdZoomText:
    case kIdLoad:
    case kTimerCommitId:
      return true;
    default:
      return false;
  }
}

int32_t UndoKindForCommand(const MainDialog* dialog, int32_t id) {
  switch (id) {
    case kIdCancel:
    case kIdOk:
    case kIdPresetsPage:
    case kIdSave:
    case kIdAutoPreview:
    case kIdZoomIn:
    case kIdZoomOut:
    case kIdZoomText:
    case kIdUndo:
      return 0;
    case kIdLoad:
      return 2;
    case kTimerCommitId:
      return 1;
    default:
      break;
  }
  const int32_t dot = MemoryDotIndex(id);
  if (dot >= 0) return GetDotState(dialog, dot) != kDotEmpty && !dialog->controlKey ? 2 : 0;
  if (id == kIdDotThumbnail && LastUsedDot(dialog) != -1) return 2;
  switch (GetControlKind(id)) {
    case kKindSlider:
    case kKindCheckbox:
    case kKindPushButton:
    case kKindBitmapButton:
    case kKindColour:
    case kKindCombo:
      return 1;
    default:
      return 0;
  }
}

void CommitControlChange(MainDialog* dialog, int32_t id) {
  ReadControlsToSettings(dialog);
  const int32_t kind = UndoKindForCommand(dialog, id);
  if (kind != 0) TakeUndoSnapshot(dialog->globals, kind == 2 ? 1 : 0);
}

void RefreshPreview(MainDialog* dialog) {
  dialog->refresh = 0;
  if (Ended(dialog)) return;
  ReadControlsToSettings(dialog);
  const ParameterBlock* block = BlockOf(dialog);
  if (!block || !block->canPreview) return;
  RenderPreviewImage(dialog->globals);
  if (!Ended(dialog)) DrawPreview(dialog, 1);
}

bool ReadAutoPreview(MainDialog* dialog) {
  ParameterBlock* block = BlockOf(dialog);
  const int32_t value = int32_t(ReadControlValue(dialog, kIdAutoPreview));
  if (block) block->autoPreview = value;
  return value != 0;
}

void ArmPreviewTimer(MainDialog* dialog) {
  PortSetTimer(dialog->port, kPreviewTimerId, kPreviewDelayMs);
  dialog->previewTimerArmed = 1;
}

void StopPreviewTimer(MainDialog* dialog) {
  PortKillTimer(dialog->port, kPreviewTimerId);
  dialog->previewTimerArmed = 0;
}

void OnEditChanged(MainDialog* dialog, int32_t id) {
  // The echo of the program's own write is not typing: it arms nothing.
  if (dialog->programmaticEdits > 0) return;
  if (GetControlKind(id) != kKindSliderEdit) return;
  const ControlDescriptor d = GetControlDescriptor(id);
  double value = GetEditNumber(dialog, id);
  const double minimum = dialog->controls.sliderMinimum[d.mainId];
  const double maximum = dialog->controls.sliderMaximum[d.mainId];
  if (!(value >= minimum)) value = minimum;  // also for a text that is no number
  if (value > maximum) value = maximum;
  SetControlValue(dialog, d.mainId, int32_t(value));
  ArmPreviewTimer(dialog);
}

bool CycleChoiceButton(MainDialog* dialog, int32_t id) {
  ParameterBlock* block = BlockOf(dialog);
  if (!block) return false;
  switch (id) {
    case kIdGlueCycle:
    case kIdGridCycle:
    case kIdQualityCycle:
    case kIdInputCycle:
    case kIdOutputCycle:
      ReadControlsToSettings(dialog);  // nothing typed is lost with the other settings
      break;
    case kIdDice:
    case kIdConstrained:
      ReadControlsToSettings(dialog);
      if (id == kIdDice) {
        RandomiseViewAngles(block);
      } else {
        RandomiseViewAnglesSquare(block);
      }
      ApplyRandomSettings(dialog);
      return true;
    default:
      return false;
  }
  switch (id) {
    case kIdGlueCycle:
      block->glue = StepWrapped(block->glue, 62, false);
      break;
    case kIdGridCycle:
      block->grid2 = StepWrapped(block->grid2, 7, true);
      break;
    case kIdQualityCycle:
      block->previewQuality = StepWrapped(block->previewQuality, 3, true);
      break;
    case kIdInputCycle:
      block->inputProjection = StepWrapped(block->inputProjection, 29, false);
      break;
    default:
      block->outputProjection = StepWrapped(block->outputProjection, 255, false);
      break;
  }
  WriteSettingsToControls(dialog);
  return true;
}

void InitMainDialog(MainDialog* dialog, const DialogPort* port) {
  GlobalsRecord* globals = dialog->globals;
  DialogModuleState& module = GetDialogModuleState();
  dialog->port = port;
  dialog->ended = 0;
  globals->mainDialogWindow = dialog;
  module.mainDialog = dialog;
  SetAlertParameters("", "", "", "");
  // The layout records the window as the choosers' owner.
  module.mainDialogWindow = port;
  LayoutMainDialog(dialog);
  CentreWindow(port);
  EnableAllControls(dialog);
  ParameterBlock* block = GetParameterBlock(globals);
  if (block) {
    block->runMode = RunModePreview;
    StoreSettingsSnapshot(&dialog->openedSettings, block);
  }
  dialog->capturedControl = -1;
  InitControlTables(dialog);
  ResetPopupItemMap(&dialog->popups);
  FillChoiceCombos(dialog);
  InitSliderRanges(dialog);
  // Settings into the controls and back: the settings then hold exactly what
  // the controls show, within their ranges.
  WriteSettingsToControls(dialog);
  ReadControlsToSettings(dialog);
  dialog->refresh = 0;
  SetupMemoryDotControls(globals, dialog);
  EnableHighBitControls(dialog);
  InitDialogPreview(dialog);
  InitMemoryDots(dialog);
  UpdateZoomButtons(dialog);
  globals->dialogOutcome = 0;
  // The settings the dialog opened with are always kept in an unmarked dot.
  const int32_t free = FindFirstUnmarkedDot(dialog);
  if (free >= 0) StoreMemoryDot(dialog, free);
}

bool OnOkCancel(MainDialog* dialog, int32_t id) {
  if (id != kIdOk && id != kIdCancel) return false;
  if (dialog->ended || PresetFolderOperationRunning()) return false;
  GlobalsRecord* globals = dialog->globals;
  DialogModuleState& module = GetDialogModuleState();
  StopPreviewTimer(dialog);
  ParameterBlock* block = GetParameterBlock(globals);
  if (id == kIdOk) {
    ReadControlsToSettings(dialog);
    SetResult(globals, kNoErr);
  } else {
    if (block) RestoreSettingsSnapshot(&dialog->openedSettings, block);
    SetResult(globals, kUserCanceledErr);
  }
  if (dialog->capturedControl != -1) PortReleaseMouse(dialog->port);
  dialog->capturedControl = -1;
  CloseChildWindows(globals);
  module.mainDialogWindow = nullptr;
  module.mainDialog = nullptr;
  dialog->ended = 1;
  PortEndDialog(dialog->port, id);
  globals->dialogOutcome = id == kIdOk ? kDialogOutcomeOk : kDialogOutcomeCancel;
  return true;
}

int32_t MainDialogHandler(void* state, const DialogPort* port, const DialogEvent* event) {
  MainDialog* dialog = static_cast<MainDialog*>(state);
  if (!dialog || !event) return 0;
  if (dialog->eventDepth >= kMaxMainDialogEventDepth) {
    dialog->droppedEvents += 1;
    return 0;
  }
  if (event->kind != DialogEventKind::Init && dialog->port != port) return 0;
  dialog->eventDepth += 1;
  int32_t handled = 1;
  switch (event->kind) {
    case DialogEventKind::Init:
      InitMainDialog(dialog, port);
      if (const ParameterBlock* block = GetParameterBlock(dialog->globals); block && block->canPreview) {
        DrawPreview(dialog, 1);
      }
      RedrawAllControls(dialog);
      break;
    case DialogEventKind::Paint:
      if (const ParameterBlock* block = GetParameterBlock(dialog->globals); block && block->canPreview) {
        DrawPreview(dialog, 1);
      }
      RedrawAllControls(dialog);
      break;
    case DialogEventKind::EraseBackground:
      PaintDialogBackground(dialog, false);
      break;
    case DialogEventKind::DrawItem:
      DrawColourSwatch(dialog, event->id, event->code);
      break;
    case DialogEventKind::Command:
      HandleCommand(dialog, event->id, event->code);
      break;
    case DialogEventKind::Timer:
      OnTimer(dialog, event->id);
      break;
    case DialogEventKind::MouseDown:
      if (!Ended(dialog)) OnButtonDown(dialog, *event);
      break;
    case DialogEventKind::MouseMove:
      if (!Ended(dialog)) OnMouseMove(dialog, *event);
      break;
    case DialogEventKind::MouseUp:
      if (!Ended(dialog)) OnButtonUp(dialog, *event);
      break;
    case DialogEventKind::Close:
      handled = 0;  // the window system turns it into Cancel
      break;
  }
  dialog->eventDepth -= 1;
  return handled;
}

bool RunMainDialog(GlobalsRecord* globals) {
  globals->dialogFlag = 1;
  globals->dialogOutcome = 0;
  MainDialog* dialog = new MainDialog;
  ResetMainDialog(dialog, globals);
  const intptr_t hostWindow =
      globals->filterRecord && globals->filterRecord->platformData ? globals->filterRecord->platformData->hwnd : 0;
  const int32_t code = RunModalDialog(kMainDialogTemplate, MainDialogHandler, dialog, nullptr, hostWindow);
  DialogModuleState& module = GetDialogModuleState();
  module.busyFlags[0] = 0;
  module.busyFlags[1] = 0;
  if (globals->dialogOutcome != kDialogOutcomeOk && globals->dialogOutcome != kDialogOutcomeCancel) {
    // Ended by neither OK nor Cancel, or never shown: nothing is rendered
    // that the user did not confirm.
    ParameterBlock* block = GetParameterBlock(globals);
    if (block && dialog->port) RestoreSettingsSnapshot(&dialog->openedSettings, block);
    SetResult(globals, kUserCanceledErr);
    globals->dialogOutcome = kDialogOutcomeCancel;
  }
  globals->mainDialogWindow = nullptr;
  module.mainDialogWindow = nullptr;
  module.mainDialog = nullptr;
  delete dialog;
  return code == kIdOk && globals->dialogOutcome == kDialogOutcomeOk;
}
