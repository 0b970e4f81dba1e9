#include "export/export_passes.h"

#include <cmath>

#include "export/export_files.h"
#include "export/export_plan.h"
#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "image/image_copy.h"
#include "image/image_record.h"
#include "nets/brick_preview.h"
#include "projection/output_shapes.h"
#include "render/render_run.h"
#include "settings/settings_defaults.h"
#include "ui/dialog_services.h"

namespace {

constexpr int32_t kRectilinearOutput = 14;
constexpr int32_t kFaceMapOutput = 355;  // the faces of the net of customNetOutput as a map
constexpr int32_t kNormalGlue = 1;
constexpr double kDegreesPerRadian = 57.2957795129;

constexpr CubeFaceView kCubeFaceViews[kCubeFaceCount] = {
    {"_d", -90.0f, -90.0f, -90.0f}, {"_u", 90.0f, 90.0f, -90.0f}, {"_l", 0.0f, -90.0f, 0.0f},
    {"_b", 0.0f, 180.0f, 0.0f},     {"_r", 0.0f, 90.0f, 0.0f},    {"_f", 0.0f, 0.0f, 0.0f},
};

ExportProgressProc gProgressListener = nullptr;
void* gProgressContext = nullptr;

// The run counters and work area of the globals that a pass's own render
// replaces; the saved run state does not hold them.
struct SavedRunCounters {
  int32_t workWidth, workHeight;
  int32_t clipFirstRow, clipLastRow, clipFirstColumn, clipLastColumn;
  int32_t maskFirstRow, maskLastRow, inFirstRow, inLastRow;
  int32_t rowTotal, rowsDone, rowStep;
  uint8_t bandActive, bandRepeat, maskActive;
};

// Everything a pass saves before its render and puts back after it.
struct PassFrame {
  SavedRunState runState;
  SettingsSnapshot snapshot;
  ParameterBlock settings;  // the whole block, for the fields the snapshot does not cover
  SavedRunCounters counters;
  Rect filterRect;
  ImageRecord* target;
  HostError result;
};

void SaveRunCounters(const GlobalsRecord* g, SavedRunCounters* c) {
  *c = {g->workWidth,    g->workHeight,  g->clipFirstRow, g->clipLastRow, g->clipFirstColumn, g->clipLastColumn,
        g->maskFirstRow, g->maskLastRow, g->inFirstRow,   g->inLastRow,   g->rowTotal,        g->rowsDone,
        g->rowStep,      g->bandActive,  g->bandRepeat,   g->maskActive};
}

void RestoreRunCounters(const SavedRunCounters& c, GlobalsRecord* g) {
  g->workWidth = c.workWidth;
  g->workHeight = c.workHeight;
  g->clipFirstRow = c.clipFirstRow;
  g->clipLastRow = c.clipLastRow;
  g->clipFirstColumn = c.clipFirstColumn;
  g->clipLastColumn = c.clipLastColumn;
  g->maskFirstRow = c.maskFirstRow;
  g->maskLastRow = c.maskLastRow;
  g->inFirstRow = c.inFirstRow;
  g->inLastRow = c.inLastRow;
  g->rowTotal = c.rowTotal;
  g->rowsDone = c.rowsDone;
  g->rowStep = c.rowStep;
  g->bandActive = c.bandActive;
  g->bandRepeat = c.bandRepeat;
  g->maskActive = c.maskActive;
}

// Steps 1 and 2 of every pass: save, then make the filter rectangle the
// image's size. The pass's own settings follow.
void BeginPass(GlobalsRecord* globals, const ImageRecord* image, PassFrame* frame) {
  ParameterBlock* block = GetParameterBlock(globals);
  FilterRecord* fr = globals->filterRecord;
  SaveRunState(&frame->runState, globals);
  StoreSettingsSnapshot(&frame->snapshot, block);
  frame->settings = *block;
  SaveRunCounters(globals, &frame->counters);
  frame->target = globals->workRecord->offscreenTarget;
  // The pass reports its own failures; the run's result word is not its.
  frame->result = GetResult(globals);
  SetResult(globals, kNoErr);
  frame->filterRect = fr->filterRect;
  fr->filterRect = Rect{0, 0, int16_t(image->levelHeight[0]), int16_t(image->levelWidth[0])};
}

// Step 4: the render run set up for the export image. False when the render
// cannot start (no source, no memory for its records).
bool PreparePass(GlobalsRecord* globals, ImageRecord* image) {
  ClearPreviewPan(globals);
  SetWholeFilterRects(globals);
  GetParameterBlock(globals)->runMode = RunModeExport;
  globals->workRecord->offscreenTarget = image;
  BuildRunTables(globals);
  PrepareRender(globals);
  return GetResult(globals) == kNoErr;
}

// Step 6. Every setting comes back, including those the pass set and those
// the render itself may change; so do the run counters that the saved run
// state does not hold. The preview's scaled input is asked for again by
// RestoreRunState when the run was a preview's.
int16_t EndPass(GlobalsRecord* globals, PassFrame* frame, bool prepared) {
  const HostError passResult = GetResult(globals);
  FinishRender(globals);
  globals->filterRecord->filterRect = frame->filterRect;
  RestoreRunState(&frame->runState, globals);
  ParameterBlock* block = GetParameterBlock(globals);
  RestoreSettingsSnapshot(&frame->snapshot, block);
  *block = frame->settings;
  RestoreRunCounters(frame->counters, globals);
  globals->workRecord->offscreenTarget = frame->target;
  SetResult(globals, frame->result);
  if (!prepared) return kExportRenderFailed;
  // An abort is the cancel byte's business; any other result is a failure.
  return passResult == kNoErr || passResult == kUserCanceledErr ? kExportDone : kExportRenderFailed;
}

void Cancel(GlobalsRecord* globals, uint8_t* cancel) {
  *cancel = 1;
  ShowCancelling(globals);
}

// One step: a row unless cancelled. An abort that the render's own test
// saw counts as a cancel too; any other failure ends the pass.
bool StepRow(GlobalsRecord* globals, uint8_t* cancel, int32_t row, int32_t rows) {
  if (*cancel != 0) return true;
  StepRenderRow(globals);
  const HostError result = GetResult(globals);
  if (result == kUserCanceledErr) {
    SetResult(globals, kNoErr);
    Cancel(globals, cancel);
  } else if (result != kNoErr) {
    return false;
  }
  if (gProgressListener) gProgressListener(gProgressContext, globals, row + 1, rows);
  return true;
}

// The rows of a special pass: exactly one step per row of the image; rows
// after a cancel are skipped, the abort asked on three steps of four.
void RenderSpecialPassRows(GlobalsRecord* globals, const ImageRecord* image, uint8_t* cancel) {
  const int32_t height = image->levelHeight[0];
  for (int32_t r = 0; r < height; ++r) {
    if (!StepRow(globals, cancel, r, height)) return;
    if (r % 4 != 0 && *cancel == 0 && TestAbort(globals)) Cancel(globals, cancel);
  }
}

bool UsableImage(const ImageRecord* image) {
  return image != nullptr && ImageHasPixels(image) && image->levelWidth[0] <= kImageMaxSide &&
         image->levelHeight[0] <= kImageMaxSide;
}

}  // namespace

const CubeFaceView& CubeFaceViewOf(int32_t faceNumber) {
  const int32_t k = faceNumber < 1 ? 1 : (faceNumber > kCubeFaceCount ? kCubeFaceCount : faceNumber);
  return kCubeFaceViews[k - 1];
}

void SetExportProgressListener(ExportProgressProc listener, void* context) {
  gProgressListener = listener;
  gProgressContext = context;
}

int16_t RenderExportImage(GlobalsRecord* globals, ImageRecord* image, uint8_t* cancel) {
  if (!UsableImage(image) || globals->workRecord == nullptr) return kExportDone;
  PassFrame frame;
  BeginPass(globals, image, &frame);
  const bool prepared = PreparePass(globals, image);
  if (prepared) {
    // The document as it stands is what the glue blends over, when the
    // export has its geometry.
    CopyImageTiles(&globals->images[0], image);
    const int32_t rows = image->levelHeight[0];
    for (int32_t s = 0; globals->bandActive == 1 && *cancel == 0; ++s) {
      if (!StepRow(globals, cancel, s, rows)) break;
      // The progress dialog's own cancel is the byte itself.
      if (s % 8 != 0 && *cancel == 0 && TestAbort(globals)) Cancel(globals, cancel);
    }
  }
  return EndPass(globals, &frame, prepared);
}

int16_t RenderCubeFacePass(GlobalsRecord* globals, ImageRecord* image, int32_t faceNumber, uint8_t* cancel) {
  if (!UsableImage(image) || globals->workRecord == nullptr) return kExportDone;
  const CubeFaceView& view = CubeFaceViewOf(faceNumber);
  PassFrame frame;
  BeginPass(globals, image, &frame);
  ParameterBlock* block = GetParameterBlock(globals);
  block->glue = kNormalGlue;
  block->outputProjection = kRectilinearOutput;
  block->fov = 90.0f;
  block->latitude = view.latitude;
  block->longitude = view.longitude;
  block->spin = view.spin;
  // Where the sphere has no source the pattern shows through.
  FillTestPattern(image);
  const bool prepared = PreparePass(globals, image);
  if (prepared) {
    const double w = image->levelWidth[0];
    GetParameterBlock(globals)->fov = float(2.0 * std::atan((w - 0.0) / w) * kDegreesPerRadian);
    RenderSpecialPassRows(globals, image, cancel);
  }
  return EndPass(globals, &frame, prepared);
}

int16_t RenderPolyFacePass(GlobalsRecord* globals, ImageRecord* image, int32_t faceNumber, uint8_t* cancel) {
  if (!UsableImage(image) || globals->workRecord == nullptr) return kExportDone;
  PolyMesh* mesh = &globals->workRecord->outputMesh;
  PassFrame frame;
  BeginPass(globals, image, &frame);
  // Only that face group of the output net renders.
  mesh->selectedFace = faceNumber - 1;
  GetParameterBlock(globals)->glue = kNormalGlue;
  const bool prepared = PreparePass(globals, image);
  if (prepared) RenderSpecialPassRows(globals, image, cancel);
  mesh->selectedFace = -1;
  return EndPass(globals, &frame, prepared);
}

int16_t RenderFaceMapPass(GlobalsRecord* globals, ImageRecord* image, uint8_t* cancel) {
  if (!UsableImage(image) || globals->workRecord == nullptr) return kExportDone;
  PassFrame frame;
  BeginPass(globals, image, &frame);
  globals->workRecord->outputMesh.selectedFace = -1;
  ParameterBlock* block = GetParameterBlock(globals);
  block->glue = kNormalGlue;
  block->customNetOutput = block->outputProjection;
  block->outputProjection = kFaceMapOutput;
  const bool prepared = PreparePass(globals, image);
  if (prepared) RenderSpecialPassRows(globals, image, cancel);
  return EndPass(globals, &frame, prepared);
}

int16_t RenderExportLayer(GlobalsRecord* globals, ImageRecord* image, int32_t passIndex, uint8_t* cancel,
                          ExportPlan* plan) {
  switch (int32_t(plan->kind)) {
    case ExportBrickPlan:
      if (!UsableImage(image)) return kExportDone;
      RenderBrickPlanLayer(globals, image, passIndex, cancel, &plan->brickGrid);
      return kExportDone;
    case ExportCubeFaces:
      return RenderCubeFacePass(globals, image, passIndex, cancel);
    case ExportPolyFaces:
      return RenderPolyFacePass(globals, image, passIndex, cancel);
    case ExportPlain:
    case ExportFaceTextures:
    case ExportSizedPsd:
      return RenderExportImage(globals, image, cancel);
    case ExportFaceMap:
      return RenderFaceMapPass(globals, image, cancel);
    default:
      return kExportDone;  // an unlisted kind renders nothing
  }
}

void BeginSmallPictureRender(GlobalsRecord* globals, int32_t side, SmallPictureRender* render) {
  SaveRunState(&render->runState, globals);
  ParameterBlock* block = GetParameterBlock(globals);
  render->exportKind = block->exportKind;
  block->runMode = RunModeExport;
  block->exportKind = ExportPlain;
  ExportPlan plan;
  PlanExport(globals, &plan);
  render->width = plan.width;
  render->height = plan.height;
  FitSizeToLongest(&render->width, &render->height, side);
}

void EndSmallPictureRender(GlobalsRecord* globals, const SmallPictureRender* render) {
  GetParameterBlock(globals)->exportKind = render->exportKind;
  RestoreRunState(&render->runState, globals);
}
