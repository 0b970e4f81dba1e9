#include "image/sample_edge.h"

#include <cmath>

#include "image/float_convert.h"

namespace {

float ClampUnit(float x) { return x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x); }

// Integer part used by the wrapping rule: toward zero for x >= 0, else of x - 1.
float WrapPeriod(float x) { return x >= 0.0f ? std::trunc(x) : std::trunc(x - 1.0f); }

// A difference component wrapped into [-0.5, 0.5].
float WrapDifference(float c) {
  if (c > 0.5f) return float(double(c) - 1.0);
  if (c < -0.5f) return float(double(c) + 1.0);
  return c;
}

bool Exceeds(float c) { return std::fabs(c) > 0.5f; }

}  // namespace

float WrapUnit(float x) { return x - WrapPeriod(x); }

int32_t WrapSampleCoords(float* u, float* v, float* level, int32_t mode, const ImageRecord* image) {
  // The right edge (u = 1) is inside, the bottom edge (v = 1) outside.
  const bool outside = *u < 0.0f || *u > 1.0f || *v < 0.0f || *v >= 1.0f;
  if (!outside) return 0;
  switch (mode) {
    case EdgeSkip:
      return 1;
    case EdgeFade: {
      float d = 0.0f;
      if (*u < 0.0f) {
        d = -*u;
        *u = 0.0f;
      } else if (*u > 1.0f) {
        d = *u - 1.0f;
        *u = 1.0f;
      }
      if (*v < 0.0f) {
        d = std::fmax(d, -*v);
        *v = 0.0f;
      } else if (*v > 1.0f) {
        d = std::fmax(d, *v - 1.0f);
        *v = 1.0f;
      }
      d = std::fmin(d, 1.0f);
      const float last = image ? float(image->lastLevel) : 0.0f;
      *level = *level + (last - *level) * d;
      return 0;
    }
    case EdgeClamp:
      *u = ClampUnit(*u);
      *v = ClampUnit(*v);
      return 0;
    case EdgeWrapU:
      *u = WrapUnit(*u);
      *v = ClampUnit(*v);
      return 0;
    case EdgeWrapBoth:
    case EdgeWrapBothAlt:
      *u = WrapUnit(*u);
      *v = WrapUnit(*v);
      return 0;
    case EdgePoleFlip: {
      const float n = WrapPeriod(*v);
      *v = *v - n;
      // Odd periods cross a pole: the row flips and the column turns half way.
      if (std::fmod(n, 2.0f) != 0.0f) {
        *v = float(1.0 - double(*v));
        *u = float(0.5 - double(*u));
      }
      *u = WrapUnit(*u);
      return 0;
    }
    default:
      return 0;
  }
}

void AdjustFootprint(SampleFootprint* f) {
  f->crossesEdge = 0;
  switch (f->edgeMode) {
    case EdgeSkip:
    case EdgeFade:
    case EdgeClamp:
      if (Exceeds(f->du1) || Exceeds(f->dv1) || Exceeds(f->du2) || Exceeds(f->dv2)) f->crossesEdge = 1;
      break;
    case EdgeWrapU:
    case EdgePoleFlip:
      f->du1 = WrapDifference(f->du1);
      f->du2 = WrapDifference(f->du2);
      if (Exceeds(f->dv1) || Exceeds(f->dv2)) f->crossesEdge = 1;
      break;
    case EdgeWrapBoth:
      f->du1 = WrapDifference(f->du1);
      f->dv1 = WrapDifference(f->dv1);
      f->du2 = WrapDifference(f->du2);
      f->dv2 = WrapDifference(f->dv2);
      break;
    default:
      break;
  }
  f->du1 = f->pixelWidth * f->du1 * f->scale;
  f->du2 = f->pixelWidth * f->du2 * f->scale;
  f->dv1 = f->pixelHeight * f->dv1 * f->scale;
  f->dv2 = f->pixelHeight * f->dv2 * f->scale;
}

int32_t FloatToByte(float value) {
  const float scaled = value * 255.0f;
  if (!(scaled > 0.0f)) return 0;  // negative or NaN
  if (scaled >= 255.0f) return 255;
  return int32_t(scaled);
}

int32_t SqrtToByte(float value) {
  if (!(value > 0.0f)) return 0;  // negative, zero or NaN
  if (value > 65535.0f) value = 65535.0f;
  const float scaled = std::sqrt(value) * 255.0f;
  if (scaled >= 255.0f) return 255;
  return int32_t(scaled);
}

int32_t GetFloatExponent(float value) { return int32_t((FloatBits(value) >> 23) & 255u) - 127; }
