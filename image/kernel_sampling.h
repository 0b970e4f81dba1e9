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
// One level of a record made ready for many kernel samples: the checks and
// look-ups each SampleKernel*Into call makes, made once for a pixel's taps.
struct KernelLevel {
  const ImageRecord* image = nullptr;
  int32_t level = 0;
  bool usable = false;           // the record has the level, the mode's layout and tables
  float width = 0, height = 0;   // the level's size, as a position in it is worked out
  int32_t maxX = 0, maxY = 0;
  const ImageTile* tiles = nullptr;  // the level's first tile
  int32_t tilesPerRow = 0;
};

// Two levels blended as SampleTrilinearScaled blends them, for an RGBA mode
// (PixelRgba8, PixelRgba16 or PixelRgbaFloat): the kernel at levels[0] and,
// when `blend`, at levels[1] mixed in by frac; the sum times `scale`.
struct KernelLevelPair {
  int32_t mode = PixelRgba8;
  bool blend = false;
  float frac = 0;
  float scale = 1;
  KernelLevel levels[2];
};

void PrepareKernelLevel(const ImageRecord* image, int32_t level, int32_t mode, KernelLevel* out);
// The pair's sample at normalised (u, v): the same bits SampleTrilinearScaled
// gives for the record, level and frac the pair was made from.
void SampleKernelPair(const KernelLevelPair& pair, float u, float v, float out[4]);

void SampleKernelByMode(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                        float* a);
