#include "export/export_plan.h"

#include <climits>
#include <cstring>

#include "host/globals_record.h"
#include "host/parameter_block.h"

uint32_t ExportBytesPerChannel(int16_t imageMode, int32_t depth) {
  if ((imageMode == kImageModeGrayScale || imageMode == kImageModeRGBColor) && depth < 9) return 1;
  if ((imageMode == kImageModeGray16 || imageMode == kImageModeRGB48) && depth == 16) return 2;
  if (imageMode == kImageModeRGB96 || imageMode == kImageModeGray32) return 4;
  if (depth == 32) return 4;
  return 1;
}

void PlanExport(GlobalsRecord* globals, ExportPlan* plan) {
  std::memset(plan, 0, sizeof *plan);
  const ParameterBlock* block = GetParameterBlock(globals);
  const FilterRecord* fr = globals->filterRecord;
  plan->kind = uint32_t(block->exportKind);
  plan->separateFiles = 0;
  plan->currentLayer = -1;
  plan->bytesPerChannel = ExportBytesPerChannel(fr->imageMode, fr->depth);
  plan->channelCount = 4;
  plan->firstLayer = 1;
  const Rect& filter = globals->savedFilterRect;
  switch (block->exportKind) {
    case ExportBrickPlan: {
      // The grid's own layer count (3..150), so that its last layer, which
      // frees the grid, is the plan's last. Nine pixels a cell, plus one.
      plan->layerCount = ClampBrickLayers(block->brickLayers);
      const int32_t side = BrickGridSide(plan->layerCount, block->brickPlates != 0);
      plan->width = 9 * side + 1;
      plan->height = plan->width;
      break;
    }
    case ExportCubeFaces:
      plan->layerCount = 6;
      plan->width = block->cubeSide;
      plan->height = block->cubeSide;
      plan->separateFiles = 1;
      break;
    case ExportPolyFaces:
      // One layer per face group of the output net, sized by the net's
      // faces; both come from the polyhedral nets.
      break;
    case ExportPlain:
    case ExportFaceTextures:
    case ExportSizedPsd:
    case ExportFaceMap:
      plan->layerCount = 1;
      plan->width = int32_t(filter.right) - filter.left;
      plan->height = int32_t(filter.bottom) - filter.top;
      if (block->exportKind == ExportSizedPsd) {
        plan->width = block->psdWidth;
        plan->height = block->psdHeight;
      } else if (block->exportKind == ExportFaceTextures) {
        plan->width = block->faceSize;
        plan->height = block->faceSize;
      } else if (block->exportKind == ExportFaceMap) {
        // Twice a side that no export can have stays too large, not negative.
        const int64_t width = 2 * int64_t(block->faceSize);
        plan->width = width > INT32_MAX ? INT32_MAX : int32_t(width);
        plan->height = block->faceSize;
      }
      break;
    default:
      break;
  }
}

bool ExportKindAvailable(int32_t kind) {
  switch (kind) {
    case ExportBrickPlan:
    case ExportCubeFaces:
    case ExportPlain:
    case ExportFaceTextures:
    case ExportSizedPsd:
      return true;
    default:
      return false;
  }
}
