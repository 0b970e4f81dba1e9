#include "render/band_scheduler.h"

#include "host/globals_record.h"
#include "image/level_building.h"
#include "render/row_renderer.h"

namespace {

// The split positions are computed in single precision; floor is a
// truncation, one lower for negative values.
int32_t SplitPoint(int32_t extent, int32_t index, int32_t count) {
  const float a = float(extent) * float(index) / float(count > 1 ? count : 1);
  return a < 0.0f ? int32_t(a - 1.0f) : int32_t(a);
}

void PointAtOwnLists(BandRecord* band) {
  band->outputFaceList = &band->outputFaces;
  band->inputFaceList = &band->inputFaces;
}

}  // namespace

int32_t BandCountForSpan(int32_t first, int32_t last) {
  const int32_t span = last - first + 1;
  return span < 1 ? span : 1;
}

void SplitSpanIntoBands(int32_t first, int32_t last, int32_t jobCode, GlobalsRecord* globals, void* context,
                        int32_t row, ImageRecord* target) {
  const int32_t span = last - first + 1;
  const int32_t count = BandCountForSpan(first, last);
  // Without a band pool nothing can run.
  globals->bandCount = globals->bandPool ? (count > 0 ? count : 0) : 0;
  for (int32_t i = 0; i < globals->bandCount; ++i) {
    BandRecord* band = &globals->bandPool[i];
    band->firstColumn = SplitPoint(span, i, count) + first;
    band->lastColumn = SplitPoint(span, i + 1, count) + first - 1;
    band->bandCount = count;
    band->bandIndex = i;
    band->rangeFirst = first;
    band->rangeLast = last;
    band->jobCode = jobCode;
    band->owner = globals;
    band->row = row;
    band->target = target;
    band->jobArgs = context;
    PointAtOwnLists(band);
  }
}

void SplitRectIntoBands(const Rect* rect, int32_t jobCode, GlobalsRecord* owner, void* jobArgs,
                        ImageRecord* target) {
  const int32_t width = int32_t(rect->right) - rect->left;
  const int32_t height = int32_t(rect->bottom) - rect->top;
  const bool byColumns = width >= height;
  const int32_t length = byColumns ? width : height;
  const int32_t count = length < 1 ? 0 : 1;
  owner->bandCount = owner->bandPool ? count : 0;
  for (int32_t i = 0; i < owner->bandCount; ++i) {
    BandRecord* band = &owner->bandPool[i];
    Rect sub = *rect;
    if (byColumns) {
      sub.left = int16_t(rect->left + SplitPoint(width, i, count));
      sub.right = int16_t(rect->left + SplitPoint(width, i + 1, count));
    } else {
      sub.top = int16_t(rect->top + SplitPoint(height, i, count));
      sub.bottom = int16_t(rect->top + SplitPoint(height, i + 1, count));
    }
    band->subRect = sub;
    band->bandCount = count;
    band->bandIndex = i;
    band->jobCode = jobCode;
    band->owner = owner;
    band->jobArgs = jobArgs;
    band->target = target;
    PointAtOwnLists(band);
  }
}

void RunBands(GlobalsRecord* owner) {
  for (int32_t i = 0; i < owner->bandCount && owner->bandPool; ++i) {
    BandRecord* band = &owner->bandPool[i];
    band->status = -1;
    if (!RunPyramidJob(&band->subRect, band->jobCode, band->jobArgs)) RunRenderJob(band, band->jobCode);
  }
}

void RunRenderJob(BandRecord* band, int32_t jobCode) {
  if (!band) return;
  switch (jobCode) {
    case JobMapCorners:
      MapRowCorners(band);
      break;
    case JobRenderPixels:
      RenderRowPixels(band);
      break;
    default:
      break;
  }
}

void ResetFirstBand(GlobalsRecord* globals) {
  if (!globals->bandPool) return;
  globals->bandPool->runFieldA = 0;
  globals->bandPool->runFieldB = 0;
}

void RunLevelBands(void* bandContext, const Rect* rect, int32_t jobCode, void* jobArgs) {
  auto* globals = static_cast<GlobalsRecord*>(bandContext);
  if (!globals || !globals->bandPool) {
    // No scheduler to hand the job to: run it on the whole rectangle.
    Rect whole = *rect;
    RunPyramidJob(&whole, jobCode, jobArgs);
    return;
  }
  SplitRectIntoBands(rect, jobCode, globals, jobArgs, nullptr);
  RunBands(globals);
}

void AttachLevelBands(GlobalsRecord* globals) {
  globals->imageOwner.runLevelBands = RunLevelBands;
  globals->imageOwner.bandContext = globals;
}

void BuildLevelsThroughBands(GlobalsRecord* globals, ImageRecord* image) {
  AttachLevelBands(globals);
  BuildAllLevels(image);
  globals->imageOwner.runLevelBands = nullptr;
  globals->imageOwner.bandContext = nullptr;
}
