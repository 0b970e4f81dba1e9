// Building the pyramid levels above level 0: each pixel of level L+1 is the
// 6 x 6 reduction kernel over level L (weights 2^(8.5 - r^2), corners left
// out, sum 1640), brought into the range of the record's pixel mode. A
// level is one job of the owner's band scheduler, or a direct loop when the
// record has no scheduler to run it.
#pragma once

#include <cstdint>

#include "image/image_record.h"

// The argument record of a level job; the job writes level sourceLevel + 1.
struct LevelBuildArgs {
  ImageRecord* image;
  int32_t sourceLevel;
};

void BuildAllLevels(ImageRecord* image);
void BuildLevelsFrom(ImageRecord* image, int32_t firstLevel);
// Offered every band of the scheduler before it runs the band as a render
// job: runs level jobs on the band's rectangle and answers true; false for
// any other job code.
bool RunPyramidJob(Rect* bandRect, int32_t jobCode, void* jobArgs);
// Computes the pixels of level sourceLevel + 1 inside rect (bottom and right
// exclusive), clamping rect in place to that level.
void ReduceLevelRect(ImageRecord* image, int32_t sourceLevel, Rect* rect);
