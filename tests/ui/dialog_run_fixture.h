// A filter run through the test host with the main dialog shown on the
// stand-in: the steps of a test act on the open dialog one after the other
// (between them the stand-in's loop delivers what was posted), then the
// dialog's answer is pressed and the run goes on as the host would drive it.
// Previews are real renders into the host's buffers, shown through its
// displayPixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "platform/testhost/test_host.h"
#include "tests/support/preview_rows.h"
#include "ui/control_table.h"
#include "ui/dialog_services.h"
#include "ui/dialog_templates.h"
#include "ui/main_dialog.h"
#include "ui/standin/dialog_standin.h"

using DialogStep = std::function<void(StandInDialog* d)>;

struct DialogRun {
  TestDocument doc;
  TestHost host;
  TestRunReport report;
  std::vector<DialogStep> steps;
  size_t nextStep = 0;
  HostError result = 0;

  DialogRun() {
    ResetStandIn();
    ForgetTemporaryFiles();
  }
  ~DialogRun() {
    ShutdownTestHost(&host);
    ResetStandIn();
  }
  DialogRun(const DialogRun&) = delete;
  DialogRun& operator=(const DialogRun&) = delete;

  // The plug-in's files in the temporary folder (dots, their map, undo and
  // cached settings) from earlier tests of this process.
  static void ForgetTemporaryFiles() {
    const char* folder = std::getenv("TMPDIR");
    if (!folder) return;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
      if (entry.path().filename().string().rfind("Orbalix 2", 0) == 0) std::filesystem::remove(entry.path(), ec);
    }
  }
  static std::string TemporaryFile(const std::string& name) {
    const char* folder = std::getenv("TMPDIR");
    return (std::filesystem::path(folder ? folder : "/tmp") / name).string();
  }

  void NewDocument(int32_t width, int32_t height, int16_t planes = 3, int32_t depth = 8) {
    doc = MakeTestDocument(width, height, planes, depth, false);
    FillDocumentPattern(doc, 5);
  }
  void OpenHost(TestHostOptions options = {}) {
    InitTestHost(&host, &doc, options);
    host.descriptorParameters.playInfo = 1;  // the run shows its dialog
  }

  // Runs the filter: the dialog shows, the steps act, then `answer` is pressed.
  HostError Run(int32_t answer = kIdOk, TestRunOptions options = {}) {
    SetStandInAnswer(kMainDialogTemplate, answer);
    SetStandInDriver(kMainDialogTemplate, [this](StandInDialog* d) {
      if (nextStep >= steps.size()) return false;
      steps[nextStep++](d);
      return true;
    });
    result = RunFilterSelectors(&host, PluginMain, options, &report);
    return result;
  }

  GlobalsRecord* Globals() const { return host.data ? *reinterpret_cast<GlobalsRecord**>(host.data) : nullptr; }
  ParameterBlock* Block() const {
    return host.record.parameters ? reinterpret_cast<ParameterBlock*>(*host.record.parameters) : nullptr;
  }
  static MainDialog* Dialog() { return GetDialogModuleState().mainDialog; }

  // Preview renders since the list was last cleared: each begins with row 0.
  static int32_t Renders() {
    int32_t n = 0;
    for (int32_t row : ShownPreviewRows()) n += row == 0;
    return n;
  }
  static void ForgetRenders() { ShownPreviewRows().clear(); }

  static ItemRect RectOf(const StandInDialog* d, int32_t id) {
    const StandInItem* item = FindStandInItem(d, id);
    return item ? item->rect : ItemRect{0, 0, 0, 0};
  }
  static void CentreOf(const StandInDialog* d, int32_t id, int32_t* x, int32_t* y) {
    const ItemRect r = RectOf(d, id);
    *x = (r.left + r.right) / 2;
    *y = (r.top + r.bottom) / 2;
  }
  // A press and release on a control, with the posted events delivered.
  static void ClickWithMouse(StandInDialog* d, int32_t id, int32_t button = kMouseLeft, uint32_t keys = 0) {
    int32_t x = 0;
    int32_t y = 0;
    CentreOf(d, id, &x, &y);
    const uint32_t held = keys | (button == kMouseRight ? kKeyRightButton : kKeyLeftButton);
    StandInMouse(d, DialogEventKind::MouseDown, button, held, x, y);
    PumpStandInEvents();
    StandInMouse(d, DialogEventKind::MouseUp, button, keys, x, y);
    PumpStandInEvents();
  }
  static void HoverOver(StandInDialog* d, int32_t id) {
    int32_t x = 0;
    int32_t y = 0;
    CentreOf(d, id, &x, &y);
    StandInMouse(d, DialogEventKind::MouseMove, 0, 0, x, y);
  }
  static std::string Text(const StandInDialog* d, int32_t id) {
    const StandInItem* item = FindStandInItem(d, id);
    return item ? item->text : std::string();
  }
};
