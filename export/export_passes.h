// The export render passes. Every layer of an export renders the current
// settings at the export image's size with the ordinary render run in run
// mode 2 (the compositor writes into the export image), framed so that the
// run state, the host's rectangles and every setting are as they were
// afterwards. A pass polls the host's abort test as it goes: a hit sets the
// cancel byte, and no further rows are rendered while it is set.
#pragma once

#include <cstdint>

#include "render/run_tables.h"

struct ExportPlan;
struct GlobalsRecord;
struct ImageRecord;

// Results (export/export_files.h): kExportDone, also after a cancel;
// kExportRenderFailed when the render could not be prepared or failed. The
// brick plan's layers are drawn from the brick sphere's grid that the plan
// holds: built on the first layer, freed after the last.
int16_t RenderExportLayer(GlobalsRecord* globals, ImageRecord* image, int32_t passIndex, uint8_t* cancel,
                          ExportPlan* plan);
// One render of the current settings at the image's size.
int16_t RenderExportImage(GlobalsRecord* globals, ImageRecord* image, uint8_t* cancel);

// A small picture of the settings rendered in the middle of other work (a
// picture of the presets page, a settings file's thumbnail): the run state is
// saved, the block switched to a plain export and planned, and the planned
// size fitted to `side` on its longer edge. The end puts the block's export
// kind and the run state back.
struct SmallPictureRender {
  SavedRunState runState;
  int32_t exportKind;  // the block's own
  int32_t width;
  int32_t height;
};
void BeginSmallPictureRender(GlobalsRecord* globals, int32_t side, SmallPictureRender* render);
void EndSmallPictureRender(GlobalsRecord* globals, const SmallPictureRender* render);
// Cube face faceNumber (clamped to 1..6): a 90-degree rectilinear view.
int16_t RenderCubeFacePass(GlobalsRecord* globals, ImageRecord* image, int32_t faceNumber, uint8_t* cancel);
// Face group faceNumber of the output net alone, and the map of the net's
// faces. Both draw from the polyhedral nets: without them they show only
// the backdrop, and their jobs are refused (ExportKindAvailable).
int16_t RenderPolyFacePass(GlobalsRecord* globals, ImageRecord* image, int32_t faceNumber, uint8_t* cancel);
int16_t RenderFaceMapPass(GlobalsRecord* globals, ImageRecord* image, uint8_t* cancel);

// The view of each cube face: its file-name suffix and the angles of the view.
struct CubeFaceView {
  const char* suffix;
  float latitude;
  float longitude;
  float spin;
};
constexpr int32_t kCubeFaceCount = 6;
// Face 1 to 6 (a number outside is clamped).
const CubeFaceView& CubeFaceViewOf(int32_t faceNumber);

// Told after every row a pass renders, with the row count of the pass; the
// layers done and their total are the globals' export counters. The dialog
// follows the passes through the progress report of the render run; the
// orbalix program listens here. Null: nobody listens.
using ExportProgressProc = void (*)(void* context, const GlobalsRecord* globals, int32_t rowsDone, int32_t rows);
void SetExportProgressListener(ExportProgressProc listener, void* context);
