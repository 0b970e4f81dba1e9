#include "ui/main_dialog.h"

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "ui/choice_popups.h"
#include "ui/control_bindings.h"
#include "ui/control_drawing.h"
#include "ui/control_values.h"
#include "ui/dialog_geometry.h"
#include "ui/dialog_services.h"
#include "ui/dialog_templates.h"

namespace {

void HandleCommand(MainDialog* dialog, int32_t id, int32_t code) {
  // Ids outside the dialog's controls and its popup items mean nothing here.
  if (id < 0 || (id >= kControlIdCount && id < kFirstPopupCommand)) return;
  if (id >= kFirstPopupCommand) {
    const int32_t control = ApplyPopupCommand(dialog, id);
    if (control < 0) return;
    // The list shows the item, and the settings take it.
    WriteControlValue(dialog, control, float(GetControlValue(dialog, control)));
    ReadControlsToSettings(dialog);
    return;
  }
  if (code != kNotifyClicked) return;
  switch (id) {
    case kIdOk:
    case kIdCancel:
      OnOkCancel(dialog, id);
      break;
    case kIdAboutIcon:
      ShowAboutBox();
      break;
    case kIdInfoButton:
      ShowInfoBox();
      break;
    default:
      break;
  }
}

}  // namespace

void InitMainDialog(MainDialog* dialog, const DialogPort* port) {
  GlobalsRecord* globals = dialog->globals;
  DialogModuleState& module = GetDialogModuleState();
  dialog->port = port;
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
  globals->dialogOutcome = 0;
}

bool OnOkCancel(MainDialog* dialog, int32_t id) {
  if (id != kIdOk && id != kIdCancel) return false;
  GlobalsRecord* globals = dialog->globals;
  DialogModuleState& module = GetDialogModuleState();
  PortKillTimer(dialog->port, kPreviewTimerId);
  ParameterBlock* block = GetParameterBlock(globals);
  if (id == kIdOk) {
    ReadControlsToSettings(dialog);
    SetResult(globals, kNoErr);
  } else {
    if (block) RestoreSettingsSnapshot(&dialog->openedSettings, block);
    SetResult(globals, kUserCanceledErr);
  }
  module.mainDialogWindow = nullptr;
  module.mainDialog = nullptr;
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
      RedrawAllControls(dialog);
      break;
    case DialogEventKind::Paint:
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
    case DialogEventKind::MouseDown:
    case DialogEventKind::MouseMove:
    case DialogEventKind::MouseUp:
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
