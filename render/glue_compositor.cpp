#include "render/glue_compositor.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "image/sample_edge.h"
#include "render/glue_modes.h"
#include "render/run_tables.h"
#include "render/source_acquisition.h"

namespace {

constexpr int32_t kFull8 = 255;
constexpr int32_t kFull16 = 32768;

// Rendered channels far above full scale only feed the spill, whose sums
// must stay inside 32-bit integers: they are limited to this value before
// they become integers (a colour 16000 times full scale spills no further).
constexpr float kChannelLimit = 4194304.0f;

bool IsRgbMode(int16_t imageMode) {
  return imageMode == kImageModeRGBColor || imageMode == kImageModeRGB48 || imageMode == kImageModeRGB96;
}

// trunc(v) of a scaled channel, negatives and NaN made 0.
int32_t ScaledChannel(float v) {
  if (!(v > 0.0f)) return 0;
  if (v > kChannelLimit) v = kChannelLimit;
  return int32_t(v);
}

#if defined(__SSE2__)
// ScaledChannel of the four channels of a pixel times the scale, side by
// side (the main thread composites every row, so this loop is on the run's
// critical path): NaN and values at or below zero give 0, values past the
// limit the limit, the rest truncate.
inline void ScaledChannels(const float colour[4], __m128 scale, int32_t n[4]) {
  __m128 v = _mm_mul_ps(_mm_loadu_ps(colour), scale);
  v = _mm_and_ps(v, _mm_cmpgt_ps(v, _mm_setzero_ps()));
  v = _mm_min_ps(v, _mm_set1_ps(kChannelLimit));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(n), _mm_cvttps_epi32(v));
}
#endif

// trunc(1.007 × scaled alpha) in double precision, clamped to 0..full.
int32_t IntegerAlpha(float alpha, float scale, int32_t full) {
  const double a = 1.007 * double(alpha * scale);
  if (!(a > 0.0)) return 0;
  if (a >= double(full)) return full;
  return int32_t(a);
}

float ClampFloatAlpha(float alpha) {
  if (!(alpha > 0.0f)) return 0.0f;  // NaN too
  return alpha > 1.0f ? 1.0f : alpha;
}

int32_t MinInt(int32_t a, int32_t b) { return a < b ? a : b; }

int32_t ClampPosition(int32_t v, int32_t size) {
  if (v > size - 1) v = size - 1;
  if (v < 0) v = 0;
  return v;
}

// The underlying pixel of the integer kinds from the host's input buffer.
template <typename Sample>
void ReadUnderlying(const Sample* in, int32_t planes, int32_t o[3]) {
  if (planes <= 2) {
    o[0] = o[1] = o[2] = int32_t(in[0]);
  } else {
    o[0] = int32_t(in[0]);
    o[1] = int32_t(in[1]);
    o[2] = int32_t(in[2]);
  }
}

uint32_t To8FromHalfWord(int32_t v) {
  const int32_t b = ((v + 1) >> 7) & 511;
  return uint32_t(b > 255 ? 255 : b);
}

void WriteExport(const CompositeTarget* t, int32_t x, int32_t y, const int32_t n[3], int32_t alpha, const float f[3],
                 float floatAlpha) {
  ImageRecord* image = t->exportImage;
  switch (t->kind) {
    case PixelKind8:
      PutPixelRgba8(x, y, image, 0, uint32_t(n[0]), uint32_t(n[1]), uint32_t(n[2]), uint32_t(alpha));
      break;
    case PixelKind16:
      if (t->export8) {
        PutPixelRgba8(x, y, image, 0, To8FromHalfWord(n[0]), To8FromHalfWord(n[1]), To8FromHalfWord(n[2]),
                      To8FromHalfWord(alpha));
      } else {
        PutPixelRgba16(x, y, image, 0, uint16_t(n[0]), uint16_t(n[1]), uint16_t(n[2]), uint16_t(alpha));
      }
      break;
    default:
      if (t->export8) {
        PutPixelRgba8(x, y, image, 0, uint32_t(SqrtToByte(f[0])), uint32_t(SqrtToByte(f[1])),
                      uint32_t(SqrtToByte(f[2])), uint32_t(SqrtToByte(floatAlpha)));
      } else {
        PutPixelRgbaFloat(x, y, image, 0, f[0], f[1], f[2], floatAlpha);
      }
      break;
  }
}

// Run mode 0: the current row of the host's output.
void WriteHostRow(const CompositeTarget* t, int32_t x, const int32_t n[3], int32_t alpha, const float f[3],
                  float floatAlpha) {
  const int32_t channels = t->rgb ? 3 : 1;
  switch (t->kind) {
    case PixelKind8: {
      uint8_t* out = t->outData + int64_t(t->planes) * x;
      for (int32_t c = 0; c < channels; ++c) out[c] = uint8_t(n[c]);
      if (t->layerPlane >= 0) out[t->layerPlane] = uint8_t(alpha);
      break;
    }
    case PixelKind16: {
      uint16_t* out = reinterpret_cast<uint16_t*>(t->outData) + int64_t(t->planes) * x;
      for (int32_t c = 0; c < channels; ++c) out[c] = uint16_t(n[c]);
      if (t->layerPlane >= 0) out[t->layerPlane] = uint16_t(alpha);
      break;
    }
    default: {
      float* out = reinterpret_cast<float*>(t->outData) + int64_t(t->planes) * x;
      for (int32_t c = 0; c < channels; ++c) out[c] = f[c];
      if (t->layerPlane >= 0) out[t->layerPlane] = floatAlpha;
      break;
    }
  }
}

// Run mode 1: the pixel over the checkerboard through the selection mask.
void WritePreview(const CompositeTarget* t, int32_t x, int32_t y, const int32_t n[3], int32_t alpha, const float f[3],
                  float floatAlpha) {
  const int32_t channels = t->rgb ? 3 : 1;
  int32_t m = GetMaskValue(x, y, t->globals);
  switch (t->kind) {
    case PixelKind8: {
      uint8_t* out = t->outData + int64_t(t->outRowBytes) * y + int64_t(t->planes) * x;
      const int32_t bg = CheckerboardValue8(x, y);
      if (m > 127) m += 1;
      if (t->editable) {
        m = (m * alpha) >> 8;
        out[t->layerPlane] = uint8_t(kFull8);
      }
      for (int32_t c = 0; c < channels; ++c) out[c] = uint8_t((m * n[c] + bg * (256 - m)) >> 8);
      break;
    }
    case PixelKind16: {
      uint16_t* out =
          reinterpret_cast<uint16_t*>(t->outData) + int64_t(t->outRowBytes >> 1) * y + int64_t(t->planes) * x;
      const int32_t bg = CheckerboardValue16(x, y);
      if (t->editable) {
        m = (m * alpha) >> 15;
        out[t->layerPlane] = uint16_t(kFull16);
      }
      for (int32_t c = 0; c < channels; ++c) out[c] = uint16_t((m * n[c] + bg * (255 - m)) >> 8);
      break;
    }
    default: {
      float* out = reinterpret_cast<float*>(t->outData) + int64_t(t->outRowBytes >> 2) * y + int64_t(t->planes) * x;
      const float bg = CheckerboardValueFloat(x, y);
      float mf = float(m) * 0.003921569f;
      if (t->editable) {
        mf = mf * floatAlpha;
        out[t->layerPlane] = mf;
      }
      for (int32_t c = 0; c < channels; ++c) out[c] = mf * f[c] + (1.0f - mf) * bg;
      break;
    }
  }
}

}  // namespace

int32_t CompositePixelKind(int16_t imageMode, int32_t depth) {
  switch (DocumentPixelKind(imageMode, depth)) {
    case PixelRgba8:
      return PixelKind8;
    case PixelRgba16:
      return PixelKind16;
    case PixelRgbaFloat:
      return PixelKindFloat;
    default:
      return PixelKindUnknown;
  }
}

int32_t CheckerboardValue8(int32_t x, int32_t y) { return ((x ^ y) & 8) == 0 ? 255 : 204; }
int32_t CheckerboardValue16(int32_t x, int32_t y) { return ((x ^ y) & 8) == 0 ? 32640 : 26112; }
float CheckerboardValueFloat(int32_t x, int32_t y) { return ((x ^ y) & 8) == 0 ? 1.0f : 0.8f; }

void SpillOverRange(int32_t n[3], int32_t m) {
  int32_t e = 0;
  int32_t over = 0;
  for (int32_t c = 0; c < 3; ++c) {
    if (n[c] > m) {
      e += n[c] - m;
      over |= 1 << c;
    }
  }
  const int32_t e8 = (60 * e) >> 8;
  const int32_t e9 = e8 >> 1;
  int32_t& r = n[0];
  int32_t& g = n[1];
  int32_t& b = n[2];
  switch (over) {
    case 1:
      g += e9;
      b += e9;
      if (g > m) b += g - m;
      if (b > m) g += b - m;
      break;
    case 2:
      r += e9;
      b += e9;
      if (r > m) b += r - m;
      if (b > m) r += b - m;
      break;
    case 3:
      b += e8;
      break;
    case 4:
      r += e9;
      g += e9;
      if (r > m) g += r - m;
      if (g > m) r += g - m;
      break;
    case 5:
      g += e8;
      break;
    case 6:
      r += e8;
      break;
    default:
      break;
  }
}

// The glue step: one switch on the kind, the mode's formula from the glue
// modes (which hold their inputs and results in the kind's range).
void ApplyGlue8(int32_t glue, int32_t n[3], const int32_t o[3], const int32_t* tent) {
  if (glue < 2 || glue > kGlueModeCount) return;
  if (glue == 2 && tent == nullptr) return;  // no run tables: written as "normal"
  GlueBlend8(glue, n, o, tent);
}

void ApplyGlue16(int32_t glue, int32_t n[3], const int32_t o[3]) {
  if (glue < 2 || glue > kGlueModeCount) return;
  GlueBlend16(glue, n, o);
}

void PrepareCompositeTarget(const GlobalsRecord* globals, CompositeTarget* target) {
  *target = CompositeTarget{};
  target->globals = globals;
  const FilterRecord* fr = globals->filterRecord;
  const ParameterBlock* block = GetParameterBlock(globals);
  if (fr == nullptr || block == nullptr) return;
  const int32_t runMode = block->runMode;
  const int32_t width = TargetWidth(globals);
  const int32_t height = TargetHeight(globals);
  target->runMode = runMode;
  target->kind = CompositePixelKind(fr->imageMode, fr->depth);
  target->scale = target->kind == PixelKind8 ? 255.0f : (target->kind == PixelKind16 ? 32768.0f : 1.0f);
  target->full = target->kind == PixelKind8 ? kFull8 : kFull16;
  target->glue = block->glue;
  target->rgb = IsRgbMode(fr->imageMode);
  target->editable = fr->filterCase == 4 || fr->filterCase == 5;
  target->planes = fr->planes;
  target->inStride = int32_t(fr->inHiPlane) - fr->inLoPlane + 1;
  target->tent = globals->workRecord != nullptr ? globals->workRecord->tentTable : nullptr;
  // A document whose samples the compositor does not know gets nothing.
  if (target->kind == PixelKindUnknown) return;

  if (runMode == RunModeExport) {
    ImageRecord* image = globals->workRecord != nullptr ? globals->workRecord->offscreenTarget : nullptr;
    if (image == nullptr || !ImageHasPixels(image)) return;
    target->exportImage = image;
    target->export8 = image->pixelMode == PixelGray8 || image->pixelMode == PixelRgba8;
    target->width = width;
    target->height = height;
    return;
  }

  // The host's buffers: only the samples of the rectangles and planes the
  // host delivered may be touched.
  if (fr->outData == nullptr || target->planes < 1) return;
  const int32_t outWidth = int32_t(fr->outRect.right) - fr->outRect.left;
  const int32_t outHeight = int32_t(fr->outRect.bottom) - fr->outRect.top;
  const int32_t outPlanes = int32_t(fr->outHiPlane) - fr->outLoPlane + 1;
  const int32_t channels = target->rgb ? 3 : 1;
  if (target->planes > outPlanes || channels > target->planes) return;
  target->layerPlane = -1;
  if (target->editable) {
    if (fr->outLayerPlanes < 0 || fr->outLayerPlanes >= target->planes) {
      target->editable = false;
    } else {
      target->layerPlane = fr->outLayerPlanes;
    }
  }
  target->outData = static_cast<uint8_t*>(fr->outData);
  target->inData = static_cast<const uint8_t*>(fr->inData);
  target->outRowBytes = fr->outRowBytes;
  target->inRowBytes = fr->inRowBytes;
  target->outWidth = outWidth;
  target->outHeight = runMode == RunModeHost ? 1 : outHeight;
  target->inWidth = int32_t(fr->inRect.right) - fr->inRect.left;
  target->inHeight = runMode == RunModeHost ? 1 : int32_t(fr->inRect.bottom) - fr->inRect.top;
  const int32_t readPlanes = target->planes <= 2 ? 1 : 3;
  if (target->inData == nullptr || target->inStride < readPlanes || target->inWidth < 1 || target->inHeight < 1) {
    target->inData = nullptr;  // the underlying pixel cannot be read
  }
  target->width = MinInt(width, outWidth);
  target->height = runMode == RunModeHost ? MinInt(height, 1) : MinInt(height, outHeight);
  if (runMode == RunModeHost && height > 0) target->height = 1;
}

void CompositeTargetPixel(const CompositeTarget* t, int32_t x, int32_t y, const float colour[4]) {
  if (t->width < 1 || t->height < 1) return;
  x = ClampPosition(x, t->width);
  y = t->runMode == RunModeHost ? 0 : ClampPosition(y, t->height);
  const bool integerKind = t->kind != PixelKindFloat;
  const float scale = t->scale;
  const int32_t full = t->full;

  int32_t n[3] = {0, 0, 0};
  float f[3] = {colour[0], colour[1], colour[2]};
  int32_t alpha = 0;
  float floatAlpha = 0.0f;
  if (integerKind) {
    for (int32_t c = 0; c < 3; ++c) n[c] = ScaledChannel(colour[c] * scale);
    alpha = IntegerAlpha(colour[3], scale, full);
    SpillOverRange(n, full);
    if (t->planes <= 2) n[0] = (77 * n[0] + 150 * n[1] + 28 * n[2]) >> 8;
    for (int32_t c = 0; c < 3; ++c) n[c] = MinInt(n[c], full);

    const int32_t glue = t->glue;
    if (glue >= 2 && glue <= 62) {
      int32_t o[3] = {0, 0, 0};
      bool haveUnderlying = false;
      if (t->runMode == RunModeExport) {
        uint32_t r, g, b, a;
        GetPixelRgba(x, y, t->exportImage, 0, &r, &g, &b, &a);
        o[0] = int32_t(r);
        o[1] = int32_t(g);
        o[2] = int32_t(b);
        haveUnderlying = true;
      } else if (t->inData != nullptr) {
        const int32_t ix = MinInt(x, t->inWidth - 1);
        const int32_t iy = MinInt(y, t->inHeight - 1);
        if (t->kind == PixelKind8) {
          const uint8_t* in = t->inData + int64_t(t->inRowBytes) * iy + int64_t(t->inStride) * ix;
          ReadUnderlying(in, t->planes, o);
        } else {
          const uint16_t* in = reinterpret_cast<const uint16_t*>(t->inData) + int64_t(t->inRowBytes >> 1) * iy +
                               int64_t(t->inStride) * ix;
          ReadUnderlying(in, t->planes, o);
        }
        haveUnderlying = true;
      }
      if (haveUnderlying) {
        if (t->kind == PixelKind8) {
          ApplyGlue8(glue, n, o, t->tent);
        } else {
          ApplyGlue16(glue, n, o);
        }
      }
    }
  } else {
    floatAlpha = ClampFloatAlpha(colour[3]);
    if (t->planes <= 2) f[0] = (77.0f * f[0] + 150.0f * f[1] + 28.0f * f[2]) / 255.0f;
  }

  switch (t->runMode) {
    case RunModeExport:
      WriteExport(t, x, y, n, alpha, f, floatAlpha);
      break;
    case RunModeHost:
      WriteHostRow(t, x, n, alpha, f, floatAlpha);
      break;
    case RunModePreview:
      WritePreview(t, x, y, n, alpha, f, floatAlpha);
      break;
    default:
      break;
  }
}

namespace {

// The integer kinds written into the host's row with no glue to apply: the
// steps of CompositeTargetPixel for such a pixel inside the target.
template <typename Sample>
void CompositePlainHostPixels(const CompositeTarget* t, const float* pixels, int32_t count) {
  const float scale = t->scale;
  const int32_t full = t->full;
  const int32_t planes = t->planes;
  const int32_t channels = t->rgb ? 3 : 1;
  const bool gray = planes <= 2;
  const int32_t layerPlane = t->layerPlane;
  Sample* out = reinterpret_cast<Sample*>(t->outData);
#if defined(__SSE2__)
  const __m128 scales = _mm_set1_ps(scale);
#endif
  for (int32_t x = 0; x < count; ++x, out += planes) {
    const float* colour = pixels + 4 * int64_t(x);
    int32_t n[4];
#if defined(__SSE2__)
    ScaledChannels(colour, scales, n);
#else
    for (int32_t c = 0; c < 3; ++c) n[c] = ScaledChannel(colour[c] * scale);
#endif
    const int32_t alpha = IntegerAlpha(colour[3], scale, full);
    if (n[0] > full || n[1] > full || n[2] > full) SpillOverRange(n, full);
    if (gray) n[0] = (77 * n[0] + 150 * n[1] + 28 * n[2]) >> 8;
    for (int32_t c = 0; c < channels; ++c) out[c] = Sample(MinInt(n[c], full));
    if (layerPlane >= 0) out[layerPlane] = Sample(alpha);
  }
}

}  // namespace

void CompositeTargetRow(const CompositeTarget* t, int32_t y, const float* pixels, int32_t width) {
  int32_t x = 0;
  const bool glues = t->glue >= 2 && t->glue <= 62 && t->inData != nullptr;
  if (t->width >= 1 && t->height >= 1 && t->runMode == RunModeHost && !glues) {
    const int32_t inside = MinInt(width, t->width);
    if (t->kind == PixelKind8) {
      CompositePlainHostPixels<uint8_t>(t, pixels, inside);
      x = inside;
    } else if (t->kind == PixelKind16) {
      CompositePlainHostPixels<uint16_t>(t, pixels, inside);
      x = inside;
    }
  }
  for (; x < width; ++x) CompositeTargetPixel(t, x, y, pixels + 4 * int64_t(x));
}

void CompositeGluePixel(int32_t x, int32_t y, const float colour[4], GlobalsRecord* globals) {
  CompositeTarget target;
  PrepareCompositeTarget(globals, &target);
  CompositeTargetPixel(&target, x, y, colour);
}

void CompositePixel(int32_t x, int32_t y, const float colour[4], GlobalsRecord* globals) {
  CompositeGluePixel(x, y, colour, globals);
}
