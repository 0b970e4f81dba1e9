// Level of detail and area sampling: the fast sampler (nearest pixel of the
// level the mean footprint size picks) and the quality sampler (trilinear
// 5 x 5 kernels at the level of the footprint ellipse's minor axis, with up
// to 20 taps along a long major axis). Both return normalised RGBA.
#pragma once

#include <cstdint>

#include "image/image_record.h"
#include "image/sample_edge.h"

// The caller's memory of the last level of detail.
struct LevelHint {
  float level = 0;
  // Set by a caller whose `level` may differ from the one the samples
  // before would have left (a band of rows that starts inside the image):
  // a sample without footprint then marks readWhileUnknown; a sample with
  // a footprint sets the level and clears `unknown`.
  bool unknown = false;
  bool readWhileUnknown = false;
  // A footprint whose level of detail is 0 or below (a minor half axis of
  // at most one pixel) leaves that axis here instead of the level: its
  // logarithm is taken only when a later sample without footprint reads it.
  bool pending = false;
  float minor = 0;
};

// The level of detail of a footprint's minor half axis: its base-2 logarithm.
float LevelFromMinor(float minor);
// The hint's level, taking a pending logarithm first.
inline float HintLevel(LevelHint* hint) {
  if (hint->pending) {
    hint->level = LevelFromMinor(hint->minor);
    hint->pending = false;
  }
  return hint->level;
}
inline void SetHintLevel(LevelHint* hint, float level) {
  hint->level = level;
  hint->pending = false;
}

// Marks a neighbour without a source position.
constexpr float kMissingNeighbour = -1.0f;

void SampleAreaFast(float uA, float vA, float uB, float vB, float uRef, float vRef, float uSample, float vSample,
                    const ImageRecord* image, float rgba[4], float sharpness, LevelHint* hint);
void SampleAreaQuality(float uA, float vA, float uB, float vB, float uRef, float vRef, float uSample, float vSample,
                       const ImageRecord* image, float rgba[4], float sharpness, LevelHint* hint);
void SampleAreaNearest(float du1, float dv1, float du2, float dv2, float uSample, float vSample, int32_t mask,
                       const ImageRecord* image, float rgba[4], float sharpness, LevelHint* hint);
void SampleAreaAnisotropic(float du1, float dv1, float du2, float dv2, float uSample, float vSample, int32_t mask,
                           const ImageRecord* image, float rgba[4], float sharpness, LevelHint* hint);

// What the quality sampler does for one pixel, worked out before any
// kernel runs: nothing (skipped), one trilinear sample with or without the
// edge mode, or `taps` samples from (u, v) in steps of (stepU, stepV).
constexpr int32_t AreaSkip = 0;
constexpr int32_t AreaSingleEdge = 1;
constexpr int32_t AreaSingleNoEdge = 2;
constexpr int32_t AreaTaps = 3;

struct AreaSamplePlan {
  int32_t kind = AreaSkip;
  int32_t level = 0;
  float frac = 0;
  float u = 0, v = 0;  // the single sample, or the first tap
  int32_t taps = 1;
  float stepU = 0, stepV = 0;
  float major = 1, minor = 1;  // the footprint's half axes in level-0 pixels
};

void PlanAreaAnisotropic(float du1, float dv1, float du2, float dv2, float uSample, float vSample, int32_t mask,
                         const ImageRecord* image, float sharpness, LevelHint* hint, AreaSamplePlan* plan);

// log2 from the float's bits: exact at powers of two, at most 0.019 above.
float FastLog2(float s);
// The fast level of detail from non-negative vectors in level-0 pixels, 0..lastLevel.
float ChooseLevelFromFootprint(const SampleFootprint* footprint, const ImageRecord* image);

// Kernel samples at `level` and `level` + 1 blended by `frac`, on the record's own scale.
void SampleTrilinear(const ImageRecord* image, int32_t level, float frac, float u, float v, float* r, float* g,
                     float* b, float* a);
float SampleTrilinearGray8(const ImageRecord* image, int32_t level, float frac, float u, float v);
void SampleTrilinearRgba8(const ImageRecord* image, int32_t level, float frac, float u, float v, float* r, float* g,
                          float* b, float* a);
void SampleTrilinearRgba16(const ImageRecord* image, int32_t level, float frac, float u, float v, float* r, float* g,
                           float* b, float* a);
void SampleTrilinearFloat(const ImageRecord* image, int32_t level, float frac, float u, float v, float* r, float* g,
                          float* b, float* a);
// SampleTrilinear times the record's invMaxValue.
void SampleTrilinearScaled(const ImageRecord* image, int32_t level, float frac, float u, float v, float rgba[4]);
// SampleTrilinearScaled after the record's sample edge mode.
void SampleTrilinearEdge(const ImageRecord* image, int32_t level, float frac, float u, float v, float rgba[4]);
