// Push-pull hole filling: the push carries opaque colour up the pyramid,
// averaging only pixels with alpha; the pull walks back down and gives every
// transparent pixel the filtered colour of the next coarser level. Level 0
// ends fully opaque.
#pragma once

#include <cstdint>

#include "image/image_record.h"

void FillTransparentHoles(ImageRecord* image);
void PushAlphaLevels(ImageRecord* image, int32_t level);
void PushAlphaLevelsFloat(ImageRecord* image, int32_t level);
void PullHoleColours(ImageRecord* image, int32_t level);
void PullHoleColoursFloat(ImageRecord* image, int32_t level);
