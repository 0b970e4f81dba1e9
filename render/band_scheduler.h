// The band scheduler: cuts a span of columns, or a rectangle, into bands and
// runs a job on each. The row renderer runs its corner and pixel jobs over
// the columns of one output row; the pyramid runs its level jobs over the
// rectangle of a level. The band count is min(extent, 1): every split gives
// one band covering all of it (none when the extent is below 1). The
// proportional split stays in place for any larger count.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "projection/mapping_context.h"

struct GlobalsRecord;
struct ImageRecord;
struct RenderBand;

// Job codes of render bands (level jobs carry JobBuildLevel and
// JobRefreshLevel of the image pyramid).
constexpr int32_t JobMapCorners = 0;
constexpr int32_t JobRenderPixels = 1;

// One band of work.
struct BandRecord {
  int32_t bandCount;    // bands of this split
  int32_t bandIndex;    // this band, 0-based
  int32_t firstColumn;  // span splits: this band's columns, inclusive
  int32_t lastColumn;
  int32_t rangeFirst;  // the whole span
  int32_t rangeLast;
  int32_t jobCode;
  int32_t status;  // -1 once the band has been run
  Rect subRect;    // rectangle splits: this band's rectangle
  GlobalsRecord* owner;
  int32_t row;  // output row of a render job; -1 for the corner row above row 0
  int64_t runFieldA;  // cleared by ResetFirstBand
  int64_t runFieldB;
  // The band's face lists of the net outputs, filled per row by the
  // geometry's face-list preparation; the pointers address the two lists
  // below once the band has been split.
  void* outputFaceList;
  void* inputFaceList;
  NetFaceList outputFaces;
  NetFaceList inputFaces;
  int32_t nearestDot;  // nearest-dot cursor
  ImageRecord* target;  // render jobs: the run's target image
  void* jobArgs;        // render jobs: the MappingContext; level jobs: the LevelBuildArgs
  RenderBand* renderBand;  // render jobs: the band whose rows the jobs render
};

int32_t BandCountForSpan(int32_t first, int32_t last);
void SplitSpanIntoBands(int32_t first, int32_t last, int32_t jobCode, GlobalsRecord* globals, void* context,
                        int32_t row, ImageRecord* target);
void SplitRectIntoBands(const Rect* rect, int32_t jobCode, GlobalsRecord* owner, void* jobArgs,
                        ImageRecord* target);
void RunBands(GlobalsRecord* owner);
void RunRenderJob(BandRecord* band, int32_t jobCode);
void ResetFirstBand(GlobalsRecord* globals);

// The level-job runner that the image records of a run call: one split of
// the rectangle, then the bands. `bandContext` is the GlobalsRecord.
void RunLevelBands(void* bandContext, const Rect* rect, int32_t jobCode, void* jobArgs);
// Points the run's image owner at RunLevelBands for these globals.
void AttachLevelBands(GlobalsRecord* globals);
// Builds the levels of one of the run's images through the band scheduler.
// The owner is pointed at the globals only for the build: the host may move
// the globals between calls, and a stale pointer must not outlive the call.
void BuildLevelsThroughBands(GlobalsRecord* globals, ImageRecord* image);
