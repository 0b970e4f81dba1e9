#include "export/export_jobs.h"

#include "export/export_files.h"
#include "export/export_plan.h"
#include "export/psd_writer.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "render/run_tables.h"
#include "settings/file_paths.h"

namespace {

// Every document of the plan is checked before the first is rendered.
int16_t CheckPlan(const ExportPlan* plan) {
  if (!ExportKindAvailable(int32_t(plan->kind))) return kExportKindUnavailable;
  PsdLayout layout;
  return MeasurePsdDocument(plan, 0, 0, 0, &layout);
}

int16_t RunPsdJob(GlobalsRecord* globals, const FileSpec* fileSpec, uint8_t* cancel, bool discardWhenCancelled) {
  if (globals->workRecord == nullptr || fileSpec == nullptr) return kExportNoMemory;
  SavedRunState runState;
  SaveRunState(&runState, globals);
  GetParameterBlock(globals)->runMode = RunModeExport;
  ExportPlan plan;
  PlanExport(globals, &plan);
  globals->exportLayerTotal = plan.layerCount;
  globals->exportLayersDone = 0;

  ExportFileSet fileSet;
  ExportFileSet* files = &fileSet;
  int16_t result = CheckPlan(&plan);
  if (result == kExportDone) {
    InitExportFileSet(files, discardWhenCancelled);
    if (!plan.separateFiles) {
      result = WritePsdDocument(globals, fileSpec, cancel, &plan, files);
    } else {
      for (int32_t k = 1; k <= plan.layerCount && result == kExportDone; ++k) {
        FileSpec name{};
        BuildExportFileName(fileSpec, &name, 0, 0, nullptr, 0, PsdLayerName(k, &plan), false);
        plan.currentLayer = k;
        result = WritePsdDocument(globals, &name, cancel, &plan, files);
      }
    }
    if (result == kExportDone) {
      result = CommitExportFiles(files);
    } else {
      DiscardExportFiles(files);
    }
  }
  // A brick plan that did not reach its last layer still holds its grid.
  if (plan.brickGrid.cells != nullptr) FreeBrickGrid(&plan.brickGrid, globals);
  RestoreRunState(&runState, globals);
  return result;
}

}  // namespace

int16_t RunPsdExportJob(GlobalsRecord* globals, const FileSpec* fileSpec, uint8_t* cancel) {
  return RunPsdJob(globals, fileSpec, cancel, false);
}

int16_t RunPsdExportJobDiscardingCancelled(GlobalsRecord* globals, const FileSpec* fileSpec, uint8_t* cancel) {
  return RunPsdJob(globals, fileSpec, cancel, true);
}
