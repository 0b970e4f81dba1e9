#include "render/band_scheduler.h"

#include "host/globals_record.h"
#include "image/level_building.h"
#include "render/render_band.h"
#include "render/worker_pool.h"

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
  if (!band || !band->renderBand) return;
  switch (jobCode) {
    case JobMapCorners:
      MapRowCorners(band->renderBand);
      break;
    case JobRenderPixels:
      RenderRowPixels(band->renderBand, nullptr);
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

namespace {

// Levels smaller than this are reduced on one thread: starting threads
// would cost more than they save.
constexpr int64_t kParallelLevelPixels = 128 * 1024;

struct LevelSplit {
  Rect rect;
  int32_t count;
  int32_t jobCode;
  void* jobArgs;
};

// Part `index` of a level rectangle cut into split->count parts along its
// longer side by the proportional rule.
void RunLevelPart(void* arg, int32_t index) {
  const LevelSplit* split = static_cast<const LevelSplit*>(arg);
  const Rect& rect = split->rect;
  const int32_t width = int32_t(rect.right) - rect.left;
  const int32_t height = int32_t(rect.bottom) - rect.top;
  Rect part = rect;
  if (width >= height) {
    part.left = int16_t(rect.left + SplitPoint(width, index, split->count));
    part.right = int16_t(rect.left + SplitPoint(width, index + 1, split->count));
  } else {
    part.top = int16_t(rect.top + SplitPoint(height, index, split->count));
    part.bottom = int16_t(rect.top + SplitPoint(height, index + 1, split->count));
  }
  RunPyramidJob(&part, split->jobCode, split->jobArgs);
}

}  // namespace

void RunLevelBands(void* bandContext, const Rect* rect, int32_t jobCode, void* jobArgs) {
  auto* globals = static_cast<GlobalsRecord*>(bandContext);
  if (!globals || !globals->bandPool) {
    // No scheduler to hand the job to: run it on the whole rectangle.
    Rect whole = *rect;
    RunPyramidJob(&whole, jobCode, jobArgs);
    return;
  }
  SplitRectIntoBands(rect, jobCode, globals, jobArgs, nullptr);
  const int32_t width = int32_t(rect->right) - rect->left;
  const int32_t height = int32_t(rect->bottom) - rect->top;
  const int32_t longer = width >= height ? width : height;
  int32_t threads = RenderThreadCount();
  if (threads > longer) threads = longer;
  if (threads > 1 && int64_t(width) * height >= kParallelLevelPixels && globals->bandCount == 1) {
    // The band's rectangle is reduced in parts on the worker threads; each
    // pixel of the level is written by one part, from the level below.
    BandRecord* band = &globals->bandPool[0];
    band->status = -1;
    LevelSplit split{band->subRect, threads, jobCode, jobArgs};
    RunParallel(threads, threads, RunLevelPart, &split);
    return;
  }
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
