// A main dialog on the stand-in window system, over a parameter block of
// default settings, without a host: the globals, filter record and work
// record are the few fields the dialog reads.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "settings/settings_defaults.h"
#include "ui/control_bindings.h"
#include "ui/control_table.h"
#include "ui/dialog_services.h"
#include "ui/dialog_templates.h"
#include "ui/main_dialog.h"
#include "ui/standin/dialog_standin.h"

struct DialogSession {
  ParameterBlock block{};
  char* master = reinterpret_cast<char*>(&block);
  PlatformData platform{4242};
  FilterRecord record{};
  HostError result = 0;
  GlobalsRecord globals{};
  std::unique_ptr<WorkRecord> work;
  std::unique_ptr<MainDialog> dialog;
  StandInDialog* window = nullptr;

  DialogSession() {
    ResetStandIn();
    SetDefaultSettings(&block);
    CopyTextInto(block.settingsName, "Orbalix 2 settings.q2q");
    record.parameters = &master;
    record.platformData = &platform;
    record.imageMode = kImageModeRGBColor;
    record.depth = 8;
    work = std::make_unique<WorkRecord>();
    std::memset(static_cast<void*>(work.get()), 0, sizeof(WorkRecord));
    globals.filterRecord = &record;
    globals.resultPtr = &result;
    globals.workRecord = work.get();
    dialog = std::make_unique<MainDialog>();
    ResetMainDialog(dialog.get(), &globals);
  }
  ~DialogSession() {
    if (window) CloseStandInDialog(window);
    GetDialogModuleState().mainDialog = nullptr;
    GetDialogModuleState().mainDialogWindow = nullptr;
    ResetStandIn();
  }
  DialogSession(const DialogSession&) = delete;
  DialogSession& operator=(const DialogSession&) = delete;

  static void CopyTextInto(char* dest, const char* text) { std::strcpy(dest, text); }

  // Opens the dialog step by step (Init, then the first paint).
  StandInDialog* Open() {
    window = OpenStandInDialog(kMainDialogTemplate, MainDialogHandler, dialog.get(), nullptr, platform.hwnd);
    return window;
  }
  const StandInItem& Item(int32_t id) const {
    const StandInItem* item = FindStandInItem(window, id);
    EXPECT_NE(item, nullptr) << "no item " << id;
    static const StandInItem kNone;
    return item ? *item : kNone;
  }
  std::string Text(int32_t id) const { return Item(id).text; }
  // Sets an edit's text as the program would (the edit echoes its change).
  void SetText(int32_t id, const char* text) { PortSetItemText(&window->port, id, text); }
};
