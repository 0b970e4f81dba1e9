#include "image/area_sampling.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "geometry/fast_math.h"
#include "image/float_convert.h"
#include "image/kernel_sampling.h"
#include "image/pixel_access.h"

namespace {

constexpr double kLog2E = 1.442695040888963;

using KernelFn = void (*)(const ImageRecord*, int32_t, float, float, float out[4]);

void Zero4(float* r, float* g, float* b, float* a) { *r = *g = *b = *a = 0.0f; }

// The larger of x and a bound; NaN gives the bound (as fmax does, inline).
inline float AtLeast(float x, float bound) { return x > bound ? x : bound; }

// The level a trilinear member starts from: never past lastLevel - 1, so the
// blend partner exists; a one-level record samples level 0 alone.
int32_t TrilinearBase(const ImageRecord* image, int32_t level) {
  if (level < 0) return 0;
  const int32_t top = image->lastLevel - 1;
  if (level > top) level = top;
  return level < 0 ? 0 : level;
}

// Position of normalised (u, v) in a level's pixel coordinates.
void LevelPosition(const ImageRecord* image, int32_t level, float u, float v, float* x, float* y) {
  *x = float(double(float(image->levelWidth[level]) * u) - 0.5);
  *y = float(double(float(image->levelHeight[level]) * v) - 0.5);
}

template <KernelFn Kernel>
[[gnu::always_inline]] inline void Trilinear(const ImageRecord* image, int32_t level, float frac, float u, float v,
                                             float* r, float* g, float* b, float* a) {
  if (!image) return Zero4(r, g, b, a);
  const int32_t base = TrilinearBase(image, level);
  float x, y;
  LevelPosition(image, base, u, v, &x, &y);
  float s0[4];
  Kernel(image, base, x, y, s0);
  if (frac == 0.0f || base + 1 > image->lastLevel) {
    *r = s0[0], *g = s0[1], *b = s0[2], *a = s0[3];
    return;
  }
  LevelPosition(image, base + 1, u, v, &x, &y);
  float s1[4];
  Kernel(image, base + 1, x, y, s1);
  *r = s0[0] + (s1[0] - s0[0]) * frac;
  *g = s0[1] + (s1[1] - s0[1]) * frac;
  *b = s0[2] + (s1[2] - s0[2]) * frac;
  *a = s0[3] + (s1[3] - s0[3]) * frac;
}

// Trilinear for the area sampler's taps: the four channels in one array,
// blended side by side (each channel's operations as Trilinear's).
template <KernelFn Kernel>
[[gnu::always_inline]] inline void TrilinearInto(const ImageRecord* image, int32_t level, float frac, float u,
                                                 float v, float out[4]) {
  const int32_t base = TrilinearBase(image, level);
  float x, y;
  LevelPosition(image, base, u, v, &x, &y);
  Kernel(image, base, x, y, out);
  if (frac == 0.0f || base + 1 > image->lastLevel) return;
  LevelPosition(image, base + 1, u, v, &x, &y);
  float s1[4];
  Kernel(image, base + 1, x, y, s1);
#if defined(__SSE2__)
  const __m128 s0 = _mm_loadu_ps(out);
  _mm_storeu_ps(out, _mm_add_ps(s0, _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(s1), s0), _mm_set1_ps(frac))));
#else
  for (int32_t k = 0; k < 4; ++k) out[k] = out[k] + (s1[k] - out[k]) * frac;
#endif
}

void KernelGray8AsRgba(const ImageRecord* image, int32_t level, float x, float y, float out[4]) {
  out[0] = out[1] = out[2] = SampleKernelGray8(image, level, x, y);
  out[3] = 255.0f;
}

// Clamps a level of detail to the record's levels; NaN gives 0.
float ClampLevel(float level, const ImageRecord* image) {
  if (!(level > 0.0f)) return 0.0f;
  const float last = float(image->lastLevel);
  return level > last ? last : level;
}

void DifferenceVectors(float uA, float vA, float uB, float vB, float uRef, float vRef, float* du1, float* dv1,
                       float* du2, float* dv2, int32_t* mask) {
  *mask = (uA == kMissingNeighbour ? 1 : 0) + (uB == kMissingNeighbour ? 2 : 0);
  *du1 = uRef - uA;
  *dv1 = vRef - vA;
  *du2 = uRef - uB;
  *dv2 = vRef - vB;
  if (*mask == 1) {
    *du1 = *du2;
    *dv1 = *dv2;
  } else if (*mask == 2) {
    *du2 = *du1;
    *dv2 = *dv1;
  }
}

SampleFootprint MakeFootprint(const ImageRecord* image, float du1, float dv1, float du2, float dv2) {
  SampleFootprint f;
  f.scale = 1.0f;
  f.pixelWidth = float(image->levelWidth[0]);
  f.pixelHeight = float(image->levelHeight[0]);
  f.edgeMode = image->sampleEdgeMode;
  f.du1 = du1;
  f.dv1 = dv1;
  f.du2 = du2;
  f.dv2 = dv2;
  return f;
}

}  // namespace

// --- trilinear samplers ---------------------------------------------------------------

float SampleTrilinearGray8(const ImageRecord* image, int32_t level, float frac, float u, float v) {
  float r, g, b, a;
  Trilinear<KernelGray8AsRgba>(image, level, frac, u, v, &r, &g, &b, &a);
  return r;
}

void SampleTrilinearRgba8(const ImageRecord* image, int32_t level, float frac, float u, float v, float* r, float* g,
                          float* b, float* a) {
  Trilinear<SampleKernelRgba8Into>(image, level, frac, u, v, r, g, b, a);
}

void SampleTrilinearRgba16(const ImageRecord* image, int32_t level, float frac, float u, float v, float* r, float* g,
                           float* b, float* a) {
  Trilinear<SampleKernelRgba16Into>(image, level, frac, u, v, r, g, b, a);
}

void SampleTrilinearFloat(const ImageRecord* image, int32_t level, float frac, float u, float v, float* r, float* g,
                          float* b, float* a) {
  Trilinear<SampleKernelFloatInto>(image, level, frac, u, v, r, g, b, a);
}

namespace {

// The bodies of SampleTrilinear, SampleTrilinearScaled and SampleTrilinearEdge,
// inlined into the tap loop of the area sampler.
[[gnu::always_inline]] inline void TrilinearByMode(const ImageRecord* image, int32_t level, float frac, float u,
                                                   float v, float* r, float* g, float* b, float* a) {
  if (!image) return Zero4(r, g, b, a);
  switch (image->pixelMode) {
    case PixelRgba8:
      Trilinear<SampleKernelRgba8Into>(image, level, frac, u, v, r, g, b, a);
      break;
    case PixelRgba16:
      Trilinear<SampleKernelRgba16Into>(image, level, frac, u, v, r, g, b, a);
      break;
    case PixelRgbaFloat:
      Trilinear<SampleKernelFloatInto>(image, level, frac, u, v, r, g, b, a);
      break;
    case PixelGray8:
      *r = *g = *b = SampleTrilinearGray8(image, level, frac, u, v);
      *a = 255.0f;
      break;
    default:
      Zero4(r, g, b, a);
      break;
  }
}

[[gnu::always_inline]] inline void TrilinearByModeInto(const ImageRecord* image, int32_t level, float frac, float u,
                                                       float v, float rgba[4]) {
  if (!image) return Zero4(&rgba[0], &rgba[1], &rgba[2], &rgba[3]);
  switch (image->pixelMode) {
    case PixelRgba8:
      TrilinearInto<SampleKernelRgba8Into>(image, level, frac, u, v, rgba);
      break;
    case PixelRgba16:
      TrilinearInto<SampleKernelRgba16Into>(image, level, frac, u, v, rgba);
      break;
    case PixelRgbaFloat:
      TrilinearInto<SampleKernelFloatInto>(image, level, frac, u, v, rgba);
      break;
    default:
      TrilinearByMode(image, level, frac, u, v, &rgba[0], &rgba[1], &rgba[2], &rgba[3]);
      break;
  }
}

[[gnu::always_inline]] inline void TrilinearScaled(const ImageRecord* image, int32_t level, float frac, float u,
                                                   float v, float rgba[4]) {
  TrilinearByModeInto(image, level, frac, u, v, rgba);
  if (!image) return;
#if defined(__SSE2__)
  _mm_storeu_ps(rgba, _mm_mul_ps(_mm_loadu_ps(rgba), _mm_set1_ps(image->invMaxValue)));
#else
  for (int32_t k = 0; k < 4; ++k) rgba[k] *= image->invMaxValue;
#endif
}

[[gnu::always_inline]] inline void TrilinearEdge(const ImageRecord* image, int32_t level, float frac, float u,
                                                 float v, float rgba[4]) {
  float scratch = float(level) + frac;
  // Inside the unit square the edge modes leave (u, v) alone.
  const bool outside = u < 0.0f || u > 1.0f || v < 0.0f || v >= 1.0f;
  if (!image || (outside && WrapSampleCoords(&u, &v, &scratch, image->sampleEdgeMode, image))) {
    rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0.0f;
    return;
  }
  TrilinearScaled(image, level, frac, u, v, rgba);
}

}  // namespace

void SampleTrilinear(const ImageRecord* image, int32_t level, float frac, float u, float v, float* r, float* g,
                     float* b, float* a) {
  TrilinearByMode(image, level, frac, u, v, r, g, b, a);
}

void SampleTrilinearScaled(const ImageRecord* image, int32_t level, float frac, float u, float v, float rgba[4]) {
  TrilinearScaled(image, level, frac, u, v, rgba);
}

void SampleTrilinearEdge(const ImageRecord* image, int32_t level, float frac, float u, float v, float rgba[4]) {
  TrilinearEdge(image, level, frac, u, v, rgba);
}

// --- level of detail --------------------------------------------------------------------

float LevelFromMinor(float minor) { return float(std::log(double(minor)) * kLog2E); }

float FastLog2(float s) {
  const uint32_t bits = FloatBits(s);
  const double e = double((bits >> 23) & 255u);
  const double f = double(bits & 0x7fffffu) * double(1.1920929e-7f);
  return float(e - 126.9 + f - 0.4 * (f - 0.5) * (f - 0.5));
}

float ChooseLevelFromFootprint(const SampleFootprint* footprint, const ImageRecord* image) {
  const float m1 = std::fmax(footprint->du1, footprint->dv1);
  const float m2 = std::fmax(footprint->du2, footprint->dv2);
  const float s = (m2 - m1) * 0.5f + m1;
  if (!(s > 1.0f)) return 0.0f;  // NaN too
  const float level = FastLog2(s);
  const float last = image ? float(image->lastLevel) : 0.0f;
  return level > last ? last : level;
}

// --- area samplers --------------------------------------------------------------------

void SampleAreaNearest(float du1, float dv1, float du2, float dv2, float uSample, float vSample, int32_t mask,
                       const ImageRecord* image, float rgba[4], float /*sharpness*/, LevelHint* hint) {
  rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0.0f;
  if (!image) return;
  float u = uSample, v = vSample, scratch = 0.0f;
  if (WrapSampleCoords(&u, &v, &scratch, image->sampleEdgeMode, image)) return;
  float level;
  if (mask == 3) {
    level = hint ? HintLevel(hint) : 0.0f;
    if (hint && hint->unknown) hint->readWhileUnknown = true;
  } else {
    SampleFootprint f = MakeFootprint(image, du1, dv1, du2, dv2);
    AdjustFootprint(&f);
    f.du1 = std::fabs(f.du1);
    f.dv1 = std::fabs(f.dv1);
    f.du2 = std::fabs(f.du2);
    f.dv2 = std::fabs(f.dv2);
    level = ChooseLevelFromFootprint(&f, image);
  }
  const int32_t L = int32_t(ClampLevel(level, image));
  const int32_t x = TruncToInt32(float(image->levelWidth[L]) * u);
  const int32_t y = TruncToInt32(float(image->levelHeight[L]) * v);
  GetPixelFloatRgba(x, y, image, L, rgba);
}

void PlanAreaAnisotropic(float du1, float dv1, float du2, float dv2, float uSample, float vSample, int32_t mask,
                         const ImageRecord* image, float sharpness, LevelHint* hint, AreaSamplePlan* plan) {
  *plan = AreaSamplePlan{};
  if (!image) return;
  plan->u = uSample;
  plan->v = vSample;
  float level;
  float major = 1.0f, minor = 1.0f;
  bool crossesEdge = false;
  float a = 0.0f, b = 0.0f, c = 0.0f;
  if (mask == 3) {
    // No footprint: the remembered level, moved as EdgeFade asks.
    level = hint ? HintLevel(hint) : 0.0f;
    if (hint && hint->unknown) hint->readWhileUnknown = true;
    float u = uSample, v = vSample, scratch = 0.0f;
    if (WrapSampleCoords(&u, &v, &scratch, image->sampleEdgeMode, image)) return;
    level += scratch;
  } else {
    SampleFootprint f = MakeFootprint(image, du1, dv1, du2, dv2);
    AdjustFootprint(&f);
    crossesEdge = f.crossesEdge != 0;
    // The footprint ellipse as the conic a u^2 + b u v + c v^2 = 1.
    const float A = AtLeast(f.du1 * f.du1 + f.du2 * f.du2, 1.0f);
    const float C = AtLeast(f.dv1 * f.dv1 + f.dv2 * f.dv2, 1.0f);
    const float B = -2.0f * (f.du1 * f.dv1 + f.du2 * f.dv2);
    const float det = AtLeast(A * C - B * B / 4.0f, 1e-6f);
    a = C / det;
    b = B / det;
    c = A / det;
    const float root = FastSqrtf((a - c) * (a - c) + b * b);
    const float k = 1.0f - sharpness * 0.5f;
    major = FastSqrtf(2.0f / AtLeast(a + c - root, 1e-6f)) * k;
    minor = FastSqrtf(2.0f / AtLeast(a + c + root, 1e-6f)) * k;
    if (!(minor >= 0.5f)) minor = 0.5f;
    if (minor <= 1.0f) {
      // The logarithm is 0 or below, and every such level samples level 0:
      // the hint keeps the axis until someone reads its level.
      level = 0.0f;
      if (hint) {
        hint->pending = true;
        hint->minor = minor;
        hint->unknown = false;
      }
    } else {
      level = LevelFromMinor(minor);
      if (hint) {
        SetHintLevel(hint, level);
        hint->unknown = false;
      }
    }
  }
  level = ClampLevel(level, image);
  plan->level = int32_t(level);
  plan->frac = level - float(plan->level);
  plan->major = major;
  plan->minor = minor;
  const float ratio = major / minor;
  plan->kind = AreaSingleEdge;
  if (!(ratio >= 1.25f)) return;  // NaN takes the single sample too
  if (crossesEdge) {
    plan->kind = AreaSingleNoEdge;
    return;
  }
  if (major <= 1.0f && minor <= 1.0f) {
    plan->level = 0;
    plan->frac = 0.0f;
    return;
  }
  // Taps along the major axis, equally weighted.
  const float rounded = std::floor(ratio + 0.5f);
  int32_t n = rounded > 20.0f ? 20 : (rounded < 1.0f ? 1 : int32_t(rounded));
  float spread = 1.0f;
  if (ratio > 1.25f && ratio < 1.5f) {
    n = 2;
    spread = (ratio - 1.25f) * 4.0f;  // the two taps start together and part until 1.5
  }
  // Half the angle whose tangent is b / (a - c) is an axis of the ellipse:
  // the major one when a < c, the minor one when a > c and also when a = c
  // (then it lies at 45 degrees), so those turn a quarter.
  float theta = 0.5f * std::atan(b / (a - c));
  if (a >= c) theta += 1.5707964f;
  const float inverseN = 1.0f / float(n);
  plan->kind = AreaTaps;
  plan->taps = n;
  plan->stepU = std::cos(theta) * spread * major * inverseN * image->levelInvWidth[0];
  plan->stepV = std::sin(theta) * spread * major * inverseN * image->levelInvHeight[0];
  plan->u = uSample - float(n - 1) * plan->stepU * 0.5f;
  plan->v = vSample - float(n - 1) * plan->stepV * 0.5f;
}

namespace {

// The RGBA modes whose trilinear samples SampleKernelPair takes.
bool PairMode(int32_t mode) { return mode == PixelRgba8 || mode == PixelRgba16 || mode == PixelRgbaFloat; }

// The levels TrilinearScaled samples for (level, frac), prepared once for
// all taps of a pixel.
void PreparePair(const ImageRecord* image, int32_t level, float frac, KernelLevelPair* pair) {
  const int32_t base = TrilinearBase(image, level);
  pair->mode = image->pixelMode;
  pair->blend = !(frac == 0.0f || base + 1 > image->lastLevel);
  pair->frac = frac;
  pair->scale = image->invMaxValue;
  PrepareKernelLevel(image, base, pair->mode, &pair->levels[0]);
  if (pair->blend) PrepareKernelLevel(image, base + 1, pair->mode, &pair->levels[1]);
}

// TrilinearEdge on a prepared pair.
[[gnu::always_inline]] inline void PairEdge(const KernelLevelPair& pair, const ImageRecord* image, int32_t level,
                                            float frac, float u, float v, float rgba[4]) {
  const bool outside = u < 0.0f || u > 1.0f || v < 0.0f || v >= 1.0f;
  if (outside) {
    float scratch = float(level) + frac;
    if (WrapSampleCoords(&u, &v, &scratch, image->sampleEdgeMode, image)) {
      rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0.0f;
      return;
    }
  }
  SampleKernelPair(pair, u, v, rgba);
}

// The taps of a plan, equally weighted: `taps` samples from (u, v) in steps
// of (stepU, stepV).
template <typename Tap>
[[gnu::always_inline]] inline void SumTaps(int32_t taps, float u, float v, float stepU, float stepV, Tap tap,
                                           float rgba[4]) {
  const float inverseN = 1.0f / float(taps);
#if defined(__SSE2__)
  __m128 sum = _mm_setzero_ps();
  for (int32_t t = 0; t < taps; ++t) {
    float one[4];
    tap(u, v, one);
    sum = _mm_add_ps(sum, _mm_loadu_ps(one));
    u += stepU;
    v += stepV;
  }
  _mm_storeu_ps(rgba, _mm_mul_ps(sum, _mm_set1_ps(inverseN)));
#else
  float sum[4] = {0, 0, 0, 0};
  for (int32_t t = 0; t < taps; ++t) {
    float one[4];
    tap(u, v, one);
    for (int32_t k = 0; k < 4; ++k) sum[k] += one[k];
    u += stepU;
    v += stepV;
  }
  for (int32_t k = 0; k < 4; ++k) rgba[k] = sum[k] * inverseN;
#endif
}

// The taps of a plan (its fields passed one by one, so that the plan of the
// caller stays in registers): for the RGBA modes the levels' look-ups are
// made once for all of them. Out of line, so the single sample's road stays
// short.
[[gnu::noinline]] void SampleAreaTaps(const ImageRecord* image, int32_t level, float frac, int32_t taps, float u,
                                      float v, float stepU, float stepV, float rgba[4]) {
  if (PairMode(image->pixelMode)) {
    KernelLevelPair pair;
    PreparePair(image, level, frac, &pair);
    SumTaps(
        taps, u, v, stepU, stepV,
        [&](float tu, float tv, float tap[4]) { PairEdge(pair, image, level, frac, tu, tv, tap); }, rgba);
    return;
  }
  SumTaps(
      taps, u, v, stepU, stepV,
      [&](float tu, float tv, float tap[4]) { TrilinearEdge(image, level, frac, tu, tv, tap); }, rgba);
}

}  // namespace

void SampleAreaAnisotropic(float du1, float dv1, float du2, float dv2, float uSample, float vSample, int32_t mask,
                           const ImageRecord* image, float rgba[4], float sharpness, LevelHint* hint) {
  rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0.0f;
  AreaSamplePlan plan;
  PlanAreaAnisotropic(du1, dv1, du2, dv2, uSample, vSample, mask, image, sharpness, hint, &plan);
  switch (plan.kind) {
    case AreaSingleEdge:
      TrilinearEdge(image, plan.level, plan.frac, plan.u, plan.v, rgba);
      break;
    case AreaSingleNoEdge:
      TrilinearScaled(image, plan.level, plan.frac, plan.u, plan.v, rgba);
      break;
    case AreaTaps:
      SampleAreaTaps(image, plan.level, plan.frac, plan.taps, plan.u, plan.v, plan.stepU, plan.stepV, rgba);
      break;
    default:
      break;
  }
}

void SampleAreaFast(float uA, float vA, float uB, float vB, float uRef, float vRef, float uSample, float vSample,
                    const ImageRecord* image, float rgba[4], float sharpness, LevelHint* hint) {
  float du1, dv1, du2, dv2;
  int32_t mask;
  DifferenceVectors(uA, vA, uB, vB, uRef, vRef, &du1, &dv1, &du2, &dv2, &mask);
  SampleAreaNearest(du1, dv1, du2, dv2, uSample, vSample, mask, image, rgba, sharpness, hint);
}

void SampleAreaQuality(float uA, float vA, float uB, float vB, float uRef, float vRef, float uSample, float vSample,
                       const ImageRecord* image, float rgba[4], float sharpness, LevelHint* hint) {
  float du1, dv1, du2, dv2;
  int32_t mask;
  DifferenceVectors(uA, vA, uB, vB, uRef, vRef, &du1, &dv1, &du2, &dv2, &mask);
  SampleAreaAnisotropic(du1, dv1, du2, dv2, uSample, vSample, mask, image, rgba, sharpness, hint);
}
