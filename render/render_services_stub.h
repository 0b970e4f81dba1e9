// Render services that the shell calls, in their least form until the render
// run replaces them: start, source acquisition, row steps, the end of a run
// and the release of the run's buffers.
#pragma once

#include <cstdint>

#include "host/host_records.h"

struct GlobalsRecord;
struct ImageRecord;

// One band of work of the render's band scheduler.
struct BandRecord {
  int32_t bandCount;
  int32_t bandIndex;
  int32_t firstColumn;
  int32_t lastColumn;
  int32_t jobCode;  // 0 map corners, 1 render pixels, JobBuildLevel a level job
  int32_t status;   // -1 before the job runs
  Rect subRect;
  GlobalsRecord* owner;
  int32_t row;  // -1 for the corner row
  int64_t runFieldA;
  int64_t runFieldB;
  void* outputFaceList;
  void* inputFaceList;
  int32_t nearestDot;
  ImageRecord* target;
  void* jobArgs;
};

// Result of a source image that cannot be had.
constexpr HostError kSourceImageUnavailable = 999;

void StartRender(GlobalsRecord* globals);
void AcquireSourceImage(GlobalsRecord* globals);
void ReadSourceTiles(GlobalsRecord* globals);
void PrepareRender(GlobalsRecord* globals);
void StepRenderRow(GlobalsRecord* globals);
void RenderWholeImage(GlobalsRecord* globals);
void FinishRender(GlobalsRecord* globals);
void FreeRunBuffers(GlobalsRecord* globals);
void FailRunAllocation(GlobalsRecord* globals);
int32_t CanAllocateRunBuffers();
void ResetFirstBand(GlobalsRecord* globals);
void SplitRectIntoBands(const Rect* rect, int32_t jobCode, GlobalsRecord* owner, void* jobArgs,
                        ImageRecord* target);
void RunBands(GlobalsRecord* owner);
int32_t SourcePixelMode(const GlobalsRecord* globals);
