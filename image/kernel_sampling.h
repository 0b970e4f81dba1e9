// Separable 5 x 5 kernel samples of one level of an image record, at a
// position in that level's pixel coordinates (the centre of pixel j lies at
// j), with the weights of the record's filter tables. No member clamps its
// result: the negative lobes may take it a little outside the full scale.
#pragma once

#include <cstdint>

#include "image/image_record.h"

struct FilterTables;

// The tap position of one axis: the block starts at index - 2, and `phase`
// (0..127) is the sub-pixel offset in 1/128 pixel. Defined for every input:
// NaN counts as 0 and huge values are held to +-2^24.
void KernelTapPosition(float coordinate, int32_t* index, int32_t* phase);

// The 8-bit RGBA sum of one 5 x 5 block of 4-byte pixels whose rows lie
// `stride` bytes apart, with phases (px, py) of the tables' 11-bit weights;
// `portable` takes the plain road that targets without a vector one use.
// Both roads give the same bits.
void SumKernelBlockRgba8(const uint8_t* block, int64_t stride, const FilterTables* tables, int32_t px, int32_t py,
                         bool portable, float out[4]);

float SampleKernelGray8(const ImageRecord* image, int32_t level, float x, float y);
void SampleKernelRgba8(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                       float* a);
void SampleKernelRgba16(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                        float* a);
void SampleKernelFloat(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                       float* a);
// The same samples into out[0..3] (r, g, b, a), written together.
void SampleKernelRgba8Into(const ImageRecord* image, int32_t level, float x, float y, float out[4]);
void SampleKernelRgba16Into(const ImageRecord* image, int32_t level, float x, float y, float out[4]);
void SampleKernelFloatInto(const ImageRecord* image, int32_t level, float x, float y, float out[4]);
void SampleKernelByMode(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                        float* a);
