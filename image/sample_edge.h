// Sample edge modes: how the samplers bring a normalised position, and the
// two difference vectors of a sample footprint, back onto the image; and the
// small float-to-byte channel conversions.
#pragma once

#include <cstdint>

#include "image/image_record.h"

// The footprint of one output pixel in the source: two difference vectors,
// normalised on entry to AdjustFootprint and in level-0 pixels on return.
struct SampleFootprint {
  float scale = 1.0f;
  float pixelWidth = 0;
  float pixelHeight = 0;
  int32_t edgeMode = 0;
  float du1 = 0;
  float dv1 = 0;
  float du2 = 0;
  float dv2 = 0;
  uint8_t crossesEdge = 0;
};

// Wraps x into [0, 1); a negative whole number maps to 1.
float WrapUnit(float x);

// 1 when the sample is to be skipped; otherwise 0 with u and v brought into
// range by the mode (and, for EdgeFade, the level moved toward lastLevel).
int32_t WrapSampleCoords(float* u, float* v, float* level, int32_t mode, const ImageRecord* image);
void AdjustFootprint(SampleFootprint* footprint);

int32_t FloatToByte(float value);
int32_t SqrtToByte(float value);
int32_t GetFloatExponent(float value);
