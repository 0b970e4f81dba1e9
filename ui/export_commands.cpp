#include "ui/export_commands.h"

#include <cstring>

#include "export/brick_exports.h"
#include "export/export_files.h"
#include "export/export_plan.h"
#include "export/geometry_export.h"
#include "export/html_pages.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/rect_path.h"
#include "host/text_utils.h"
#include "ui/dialog_services.h"
#include "ui/export_dialogs.h"
#include "ui/file_choosers.h"
#include "ui/progress_dialog.h"

namespace {

// The job that the progress dialog runs for these commands, and its answer.
using CommandJob = int16_t (*)(GlobalsRecord* globals, const FileSpec* path, uint8_t* cancel);
CommandJob gJob = nullptr;
int16_t gJobResult = kExportDone;
uint8_t gPresetsPageRunning = 0;

void RunCommandJob(GlobalsRecord* globals, int32_t, const FileSpec* path, uint8_t* cancel) {
  gJobResult = gJob ? gJob(globals, path, cancel) : kExportDone;
}

// Runs `job` on `path` in the progress dialog: its answer, or 199 when the
// dialog was cancelled or another one is open.
int16_t RunInProgressDialog(GlobalsRecord* globals, const FileSpec* path, CommandJob job) {
  gJob = job;
  gJobResult = kExportDone;
  uint8_t cancelled = 0;
  const int16_t shown = ShowProgressDialogWith(globals, path, &cancelled, kProgressJobPsd, RunCommandJob);
  gJob = nullptr;
  return shown != 0 ? kExportCancelled : gJobResult;
}

// The save chooser of `kind` with the proposed name in the export folder.
// False when the user cancelled.
bool ChooseExportFile(GlobalsRecord* globals, int32_t kind, const char* title, const char* proposed,
                      FileSpec* spec) {
  ParameterBlock* block = GetParameterBlock(globals);
  if (!block) return false;
  *spec = FileSpec{};
  CopyText(spec->path, sizeof(spec->path), proposed);
  char folder[kMaxPathLength + 1];
  CopyText(folder, sizeof(folder), block->exportFolder);
  return ShowSaveFileDialog(spec->path, nullptr, folder, kind, title) == 1;
}

// Face images and the map of faces draw from passes that this build may not
// have: the command then only beeps, before any file is asked for.
bool KindRefused(int32_t kind) {
  if (ExportKindAvailable(kind)) return false;
  SoundBeep();
  return true;
}

int16_t GeometryJob(GlobalsRecord* globals, const FileSpec* path, uint8_t* cancel) {
  return ExportPolyhedronGeometry(globals, path, cancel, false);
}

int16_t DotsPageJob(GlobalsRecord* globals, const FileSpec* path, uint8_t* cancel) {
  int32_t pictures = 0;
  return WriteMemoryDotsPage(globals, path->path, cancel, &pictures);
}

}  // namespace

int16_t ExportPolyFacesPsd(GlobalsRecord* globals) {
  if (KindRefused(ExportPolyFaces)) return kExportKindUnavailable;
  if (ParameterBlock* block = GetParameterBlock(globals)) block->exportKind = ExportPolyFaces;
  return SavePsdWithDialog(globals, "Poly faces.psd");
}

int16_t ExportFaceMapWithDialog(GlobalsRecord* globals) {
  if (KindRefused(ExportFaceMap)) return kExportKindUnavailable;
  FileSpec spec;
  if (!ChooseExportFile(globals, kFileKindPsd, "Save a PSD file", "Polyhedron", &spec)) return kExportCancelled;
  if (ParameterBlock* block = GetParameterBlock(globals)) block->exportKind = ExportFaceMap;
  uint8_t cancelled = 0;
  return ShowProgressDialog(globals, &spec, &cancelled, kProgressJobPsd);
}

int16_t ExportObjWithDialog(GlobalsRecord* globals) {
  FileSpec spec;
  if (!ChooseExportFile(globals, kFileKindObj, kSaveObjTitle, "Polyhedron", &spec)) return kExportCancelled;
  return RunInProgressDialog(globals, &spec, GeometryJob);
}

int16_t ExportSphereStatistics(GlobalsRecord* globals) {
  FileSpec spec;
  if (!ChooseExportFile(globals, kFileKindHtml, kSaveHtmlTitle, "Sphere statistics", &spec)) return kExportCancelled;
  return ExportSphereStatisticsPage(globals, &spec);
}

int16_t ExportLDrawWithDialog(GlobalsRecord* globals) {
  FileSpec spec;
  if (!ChooseExportFile(globals, kFileKindLdraw, kSaveLDrawTitle, "LDraw file", &spec)) return kExportCancelled;
  ShowBusyCursor();
  const int16_t result = ExportLDraw(globals, &spec);
  RestoreArrowCursor();
  return result == 1 ? kExportNoMemory : result;
}

int16_t ExportBrickSphere(GlobalsRecord* globals) {
  ParameterBlock* block = GetParameterBlock(globals);
  if (!block) return kExportNoMemory;
  block->exportKind = ExportBrickPlan;
  int16_t result = kExportDone;
  bool planned = false;
  if (block->spherePlan) {
    result = SavePsdWithDialog(globals, "Sphere plan.psd");
    if (result != kExportDone) {
      if (block->ldraw) ExportLDrawWithDialog(globals);
      return result;
    }
    planned = true;
  }
  if (block->sphereStats) {
    // The page counts the cells of a grid: the plan's, or one built for it.
    if (!planned && !CountBrickSphere(globals)) return kExportNoMemory;
    result = ExportSphereStatistics(globals);
  }
  if (block->ldraw) {
    const int16_t written = ExportLDrawWithDialog(globals);
    if (result == kExportDone) result = written;
  }
  return result;
}

int16_t ExportMemoryDotsPage(GlobalsRecord* globals) {
  FileSpec spec;
  if (!ChooseExportFile(globals, kFileKindHtml, kSaveHtmlTitle, "Orbalix 2 memory dots.html", &spec))
    return kExportCancelled;
  const int16_t result = RunInProgressDialog(globals, &spec, DotsPageJob);
  // Only a page that was written is shown.
  if (result == kExportDone) OpenWebPage(spec.path);
  return result;
}

bool ChooseSourceFolderFile(GlobalsRecord* globals) {
  ParameterBlock* block = GetParameterBlock(globals);
  if (!block) return false;
  char path[kMaxPathLength + 1] = {0};
  char folder[kMaxPathLength + 1];
  CopyText(folder, sizeof(folder), block->presetFolder);
  if (ShowOpenFileDialog(path, nullptr, folder, kFileKindSettings, kChooseSourceFolderTitle, globals) != 1)
    return false;
  CopyText(block->presetFolder, sizeof(block->presetFolder), folder);
  return true;
}

int16_t ExportPresetsPage(GlobalsRecord* globals) {
  ParameterBlock* block = GetParameterBlock(globals);
  if (!block || gPresetsPageRunning) return kExportCancelled;
  gPresetsPageRunning = 1;
  int16_t result = kExportCancelled;
  FileSpec page;
  if (ChooseSourceFolderFile(globals) &&
      ChooseExportFile(globals, kFileKindHtml, kSaveHtmlTitle, "Orbalix 2 presets.html", &page)) {
    ShowBusyCursor();
    int32_t pictures = 0;
    result = WritePresetsPage(globals, page.path, block->presetFolder, &pictures);
    RestoreArrowCursor();
    if (result == kExportDone) OpenWebPage(page.path);
  }
  gPresetsPageRunning = 0;
  return result;
}

bool PresetFolderOperationRunning() { return gPresetsPageRunning != 0; }
