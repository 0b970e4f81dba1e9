// The dialog services in their least form: nothing is shown; what would have
// been shown is recorded, and the main dialog ends as the record's script says.
#include "ui/dialog_services_stub.h"

#include <cstdio>

#include "host/globals_record.h"
#include "settings/settings_services_stub.h"

namespace {

DialogStubRecord& Record() {
  static DialogStubRecord record;
  return record;
}

DialogModuleState gDialogModuleState = {};

constexpr int32_t kAlertButtonCancel = 2;
constexpr int32_t kCursorWait = 4;

}  // namespace

DialogStubRecord& GetDialogStubRecord() { return Record(); }

void ResetDialogStubRecord() { Record() = DialogStubRecord{}; }

DialogModuleState& GetDialogModuleState() { return gDialogModuleState; }

void ClearDialogModuleFlags() {
  DialogModuleState& s = gDialogModuleState;
  s.aboutBoxOpen = 0;
  for (uint8_t& flag : s.exportDialogOpen) flag = 0;
  for (uint8_t& flag : s.busyFlags) flag = 0;
  s.savedWindow = nullptr;
}

bool RunMainDialog(GlobalsRecord* globals) {
  globals->dialogFlag = 1;
  globals->dialogOutcome = 0;
  Record().shown.push_back("RIVADARORIREVODER");
  // The snapshot taken when the dialog opens, restored on Cancel.
  SettingsSnapshot opened{};
  CopySettingsSnapshot(&opened, globals, 0);
  bool ok = Record().scriptedMainOutcome != kDialogOutcomeCancel;
  gDialogModuleState.busyFlags[0] = 0;
  gDialogModuleState.busyFlags[1] = 0;
  globals->mainDialogWindow = nullptr;
  if (ok) {
    SetResult(globals, kNoErr);
    globals->dialogOutcome = kDialogOutcomeOk;
  } else {
    CopySettingsSnapshot(&opened, globals, 1);
    SetResult(globals, kUserCanceledErr);
    globals->dialogOutcome = kDialogOutcomeCancel;
  }
  return ok;
}

int32_t ShowAlertByName(const char* templateName) {
  Record().shown.push_back(templateName);
  return kAlertButtonCancel;
}

void ShowRefusalNoAdvanceState() { ShowAlertByName("REFUSAL2"); }

void ShowRefusalMultichannel() { ShowAlertByName("REFUSAL3"); }

int32_t ShowAboutBox() {
  if (gDialogModuleState.aboutBoxOpen) return 0;
  Record().shown.push_back("ABOUTBOX");
  return 0;
}

void ShowBusyCursor() {
  Record().busyCursorShows += 1;
  gDialogModuleState.cursorState = kCursorWait;
}

void RestoreArrowCursor() { gDialogModuleState.cursorState = 0; }

void UpdateProgressPercent(GlobalsRecord* /*globals*/, int32_t /*done*/, int32_t total, int32_t passes) {
  if (!gDialogModuleState.progressWindow || int64_t(passes) * total == 0) return;
  Record().progressUpdates += 1;
}

void ShowCancelling(GlobalsRecord* /*globals*/) {
  if (!gDialogModuleState.progressWindow) return;
  Record().cancellingShown += 1;
}

void ClearMemoryDotThumbnail(GlobalsRecord* globals, void* dialog) {
  if (!dialog || !globals->workRecord) return;
  FreeImageRecord(&globals->workRecord->workImage);
  globals->workRecord->selectedDots[0] = -1;
  globals->workRecord->selectedDots[1] = -1;
}

const char* GetChoiceName(int32_t /*controlId*/, int32_t /*index*/) { return ""; }
