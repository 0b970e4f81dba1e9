#include "ui/progress_dialog.h"

#include "export/export_jobs.h"
#include "host/rect_path.h"
#include "ui/dialog_geometry.h"
#include "ui/dialog_services.h"
#include "ui/dialog_templates.h"

namespace {

struct ProgressDialog {
  GlobalsRecord* globals;
  const FileSpec* path;
  int32_t job;
  ProgressJobRunner runner;
  uint8_t cancel;  // 1 once the user asked to cancel
  uint8_t ran;
};

ProgressDialog* gRunning = nullptr;

void EndProgress(const DialogPort* port) {
  DialogModuleState& module = GetDialogModuleState();
  PortKillTimer(port, kProgressTimerId);
  RestoreArrowCursor();
  PortEndDialog(port, 1);
  module.progressWindow = nullptr;
}

}  // namespace

void RunProgressJob(GlobalsRecord* globals, int32_t job, const FileSpec* path, uint8_t* cancel) {
  switch (job) {
    case kProgressJobPsd:
      RunPsdExportJob(globals, path, cancel);
      break;
    default:
      // Job 5 (face textures) has no export pass in this build: nothing runs.
      break;
  }
}

int32_t ProgressDialogHandler(void* state, const DialogPort* port, const DialogEvent* event) {
  ProgressDialog* progress = static_cast<ProgressDialog*>(state);
  DialogModuleState& module = GetDialogModuleState();
  switch (event->kind) {
    case DialogEventKind::Init:
      module.progressWindow = port;
      CentreWindow(port);
      PortBringToTop(port);
      ShowBusyCursor();
      PortSetTimer(port, kProgressTimerId, kProgressStartDelayMs);
      progress->cancel = 0;
      return 1;
    case DialogEventKind::Timer:
      if (event->id != kProgressTimerId) return 0;
      PortKillTimer(port, kProgressTimerId);
      // One tick runs the job once; a tick that arrives while it runs (the
      // job may pump messages) does nothing.
      if (!progress->ran) {
        progress->ran = 1;
        if (progress->runner) progress->runner(progress->globals, progress->job, progress->path, &progress->cancel);
        EndProgress(port);
      }
      return 1;
    case DialogEventKind::Close:
      EndProgress(port);
      return 1;
    default:
      return 0;
  }
}

int16_t ShowProgressDialogWith(GlobalsRecord* globals, const FileSpec* path, uint8_t* cancelled, int32_t job,
                               ProgressJobRunner runner) {
  DialogModuleState& module = GetDialogModuleState();
  if (cancelled) *cancelled = 0;
  if (module.progressWindow) {
    PortBringToTop(module.progressWindow);
    return kProgressRefused;
  }
  ProgressDialog progress{globals, path, job, runner, 0, 0};
  ProgressDialog* outer = gRunning;
  gRunning = &progress;
  RunModalDialog(kProgressTemplate, ProgressDialogHandler, &progress, nullptr);
  gRunning = outer;
  // However the window ended, none is open now.
  module.progressWindow = nullptr;
  if (progress.cancel) {
    if (cancelled) *cancelled = 1;
    return kProgressRefused;
  }
  return 0;
}

int16_t ShowProgressDialog(GlobalsRecord* globals, const FileSpec* path, uint8_t* cancelled, int32_t job) {
  return ShowProgressDialogWith(globals, path, cancelled, job, RunProgressJob);
}

void MarkProgressCancelled() {
  if (gRunning && GetDialogModuleState().progressWindow) gRunning->cancel = 1;
}
