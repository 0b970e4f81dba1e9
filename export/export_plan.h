// What an export render pass produces (the export kind) and the layout of one
// export document: its size, layers, depth and whether each layer is a
// document of its own.
#pragma once

#include <cstdint>

#include "nets/brick_grid.h"

struct GlobalsRecord;

// Values of ParameterBlock::exportKind. 5 is never set: the JPEG writer
// takes it as the kind of the presets page's thumbnails.
constexpr int32_t ExportBrickPlan = 0;     // one layer per brick layer
constexpr int32_t ExportCubeFaces = 1;     // six faces, each a document of its own
constexpr int32_t ExportPolyFaces = 2;     // one layer per face group of the output net
constexpr int32_t ExportPlain = 3;         // one layer at the filter rectangle's size (set at every start)
constexpr int32_t ExportFaceTextures = 4;  // one square texture for the geometry export
constexpr int32_t ExportPresetThumbnail = 5;
constexpr int32_t ExportSizedPsd = 6;      // one layer at the PSD size dialog's width and height
constexpr int32_t ExportFaceMap = 7;       // one layer, twice as wide as high

struct ExportPlan {
  uint32_t channelCount;    // always 4: alpha, red, green, blue
  int32_t layerCount;       // layers, or documents when separateFiles
  int32_t width;
  int32_t height;
  uint32_t firstLayer;      // the pass index of the first layer: 1
  uint32_t kind;            // the export kind at planning time
  uint32_t bytesPerChannel; // 1, 2 or 4
  uint8_t separateFiles;    // 1: one document per layer (cube maps)
  int32_t currentLayer;     // separate files: the 1-based layer of the current document; else -1
  BrickGrid brickGrid;      // built by the brick-plan pass on its first layer, freed after its last
};

// Bytes per channel of an export of a host document of this image mode and
// depth: 1 for 8-bit grey and RGB, 2 for 16-bit grey and RGB, 4 for the float
// modes and any other 32-bit document, 1 otherwise.
uint32_t ExportBytesPerChannel(int16_t imageMode, int32_t depth);

// Fills the plan from the settings (exportKind and the sizes of the export
// dialogs) and the host image.
void PlanExport(GlobalsRecord* globals, ExportPlan* plan);

// True for the kinds whose passes this build can render. The face images and
// the map of faces draw from the polyhedral nets; their jobs are refused with
// kExportKindUnavailable.
bool ExportKindAvailable(int32_t kind);
