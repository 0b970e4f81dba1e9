// Dialog services that the shell calls. This stand-in shows nothing: it
// records which dialog or alert would have been shown and answers with the
// outcome a test has scripted. The Windows dialogs replace it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GlobalsRecord;

// Dialog outcomes as the dialog writes them into GlobalsRecord::dialogOutcome.
constexpr int32_t kDialogOutcomeOk = 1;
constexpr int32_t kDialogOutcomeCancel = 2;

// What the stand-in was asked to show, in order, by template name
// ("RIVADARORIREVODER", "REFUSAL2", "REFUSAL3", "ABOUTBOX").
struct DialogStubRecord {
  std::vector<std::string> shown;
  int32_t scriptedMainOutcome = kDialogOutcomeOk;  // how the main dialog ends
  int32_t busyCursorShows = 0;
  int32_t progressUpdates = 0;
  int32_t cancellingShown = 0;
};
DialogStubRecord& GetDialogStubRecord();
void ResetDialogStubRecord();

// Module-level dialog state.
struct DialogModuleState {
  void* moduleInstance;
  uint8_t aboutBoxOpen;
  uint8_t exportDialogOpen[4];
  uint8_t busyFlags[2];
  void* savedWindow;
  void* mainDialogWindow;
  void* progressWindow;
  int32_t cursorState;
};
DialogModuleState& GetDialogModuleState();
void ClearDialogModuleFlags();  // the prepare phase's reset

bool RunMainDialog(GlobalsRecord* globals);
int32_t ShowAlertByName(const char* templateName);
void ShowRefusalNoAdvanceState();
void ShowRefusalMultichannel();
int32_t ShowAboutBox();
void ShowBusyCursor();
void RestoreArrowCursor();
void UpdateProgressPercent(GlobalsRecord* globals, int32_t done, int32_t total, int32_t passes);
// The progress window says "Cancelling..."; nothing without one.
void ShowCancelling(GlobalsRecord* globals);
void ClearMemoryDotThumbnail(GlobalsRecord* globals, void* dialog);
const char* GetChoiceName(int32_t controlId, int32_t index);
