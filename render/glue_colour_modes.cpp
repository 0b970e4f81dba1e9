#include "render/glue_colour_modes.h"

#include "geometry/fast_math.h"
#include "render/glue_colour.h"
#include "render/glue_modes.h"
#include "render/glue_opponent.h"

namespace {

struct ColourF {
  float c[3];
};

ColourF ToUnit(const int32_t p[3], int32_t full) {
  const float inv = 1.0f / static_cast<float>(full);
  return {{static_cast<float>(p[0]) * inv, static_cast<float>(p[1]) * inv,
           static_cast<float>(p[2]) * inv}};
}

float Luma(const int32_t p[3], int32_t full) {
  return static_cast<float>(GlueLum(p) >> 8) * (1.0f / static_cast<float>(full));
}

void StoreColour(const ColourF& colour, int32_t full, int32_t n[3]) {
  for (int32_t c = 0; c < 3; ++c) n[c] = ColourToChannel(colour.c[c], full);
}

struct HslLum {
  float h, s, L;
};

HslLum ToHslLum(const int32_t p[3], int32_t full) {
  const ColourF u = ToUnit(p, full);
  HslLum out;
  RgbToHslLum(u.c[0], u.c[1], u.c[2], &out.h, &out.s, &out.L);
  return out;
}

void StoreHslLum(float h, float s, float L, int32_t full, int32_t n[3]) {
  ColourF rgb;
  HslToRgbLum(h, s, L, &rgb.c[0], &rgb.c[1], &rgb.c[2]);
  StoreColour(rgb, full, n);
}

// Glue 60 and 61: the product of the two lightnesses, lifted, with the ends of
// the range drawn toward the lightness `edge`.
float LiftedLightness(float lightNew, float lightOld, float edge) {
  const float t = lightOld * lightNew;
  float v = (2.0f - t) * t;
  if (edge > 0.8f) v += (edge - 0.8f) * 5.0f * (edge - v);
  if (edge < 0.2f) v += (0.2f - edge) * 5.0f * (edge - v);
  if (v < 0.0f) v = 0.0f;
  if (v > 1.0f) v = 1.0f;
  return v;
}

}  // namespace

void ApplyColourModelGlue(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full) {
  const HslLum hn = ToHslLum(n, full);
  const HslLum ho = ToHslLum(o, full);
  switch (glue) {
    case 15: StoreHslLum(hn.h, hn.s, Luma(o, full), full, n); break;
    case 16: StoreHslLum(ho.h, ho.s, Luma(n, full), full, n); break;
    case 22: StoreHslLum(ho.h, hn.s, ho.L, full, n); break;
    case 23: StoreHslLum(hn.h, ho.s, ho.L, full, n); break;
    case 59: StoreHslLum(hn.h, hn.s, QuotientBlend(Luma(o, full), hn.L), full, n); break;
    case 60: StoreHslLum(hn.h, hn.s, LiftedLightness(hn.L, ho.L, hn.L), full, n); break;
    case 61: StoreHslLum(ho.h, ho.s, LiftedLightness(hn.L, ho.L, ho.L), full, n); break;
    default: break;
  }
}

void ApplyPlainHslGlue(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full) {
  const ColourF un = ToUnit(n, full);
  float h1, s1, l1;
  RgbToHsl(un.c[0], un.c[1], un.c[2], &h1, &s1, &l1);
  if (glue == 46 || glue == 47) {
    // "wax" follows the rendered pixel where it is saturated, "wane" where it
    // is grey; both only away from black and white.
    const float w = (glue == 46 ? s1 : 1.0f - s1) * LightnessWeight(l1);
    for (int32_t c = 0; c < 3; ++c) {
      const float mixed = static_cast<float>(o[c]) * (1.0f - w) + static_cast<float>(n[c]) * w;
      n[c] = static_cast<int32_t>(mixed);
    }
    return;
  }
  if (glue != 53) return;
  const ColourF uo = ToUnit(o, full);
  float h2, s2, l2;
  RgbToHsl(uo.c[0], uo.c[1], uo.c[2], &h2, &s2, &l2);
  const float turn = 6.2831855f;
  float x1, y1, x2, y2;
  PolarToPlane(&x1, &y1, turn * h1, s1);
  PolarToPlane(&x2, &y2, turn * h2, s2);
  const float w = LightnessWeight(l1) * LightnessWeight(l2);
  float angle, radius;
  PlaneToPolar(x1 + (x2 - x1) * w, y1 + (y2 - y1) * w, &angle, &radius);
  ColourF rgb;
  HslToRgb(angle / turn, radius, l1 < l2 ? l1 : l2, &rgb.c[0], &rgb.c[1], &rgb.c[2]);
  StoreColour(rgb, full, n);
}

void ApplyChannelMixGlue(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full) {
  const int32_t scale = full == kGlueFull8 ? 256 : 32768;
  const int32_t shift = full == kGlueFull8 ? 8 : 15;
  // Channel c is weighted by channel weightOf[c] of n (48, 49) or of o (50, 51).
  int32_t weightOf[3];
  if (glue == 48 || glue == 50) {
    weightOf[0] = 1; weightOf[1] = 2; weightOf[2] = 0;
  } else if (glue == 49 || glue == 51) {
    weightOf[0] = 2; weightOf[1] = 0; weightOf[2] = 1;
  } else {
    return;
  }
  const int32_t* weights = glue <= 49 ? n : o;
  const int32_t w[3] = {weights[weightOf[0]], weights[weightOf[1]], weights[weightOf[2]]};
  for (int32_t c = 0; c < 3; ++c) n[c] = ((scale - w[c]) * n[c] + w[c] * o[c]) >> shift;
}

void ApplyOpponentGlue(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full) {
  const bool eightBit = full == kGlueFull8;
  int32_t pn[3], po[3];
  RgbToOpponent(n[0], n[1], n[2], eightBit, pn);
  RgbToOpponent(o[0], o[1], o[2], eightBit, po);
  int32_t (*hard)(int32_t, int32_t) = eightBit ? HardLight8 : HardLight16;
  int32_t (*pin)(int32_t, int32_t) = eightBit ? PinLight8 : PinLight16;
  const int32_t shift = eightBit ? 8 : 15;
  int32_t mixed[3];
  switch (glue) {
    case 54:
      mixed[0] = (po[0] * pn[0]) >> shift;
      mixed[1] = hard(po[1], pn[1]);
      mixed[2] = hard(po[2], pn[2]);
      break;
    case 55:
      mixed[0] = full - (((full - po[0]) * (full - pn[0])) >> shift);
      mixed[1] = hard(po[1], pn[1]);
      mixed[2] = hard(po[2], pn[2]);
      break;
    case 56:
      for (int32_t c = 0; c < 3; ++c) mixed[c] = pin(pn[c], po[c]);
      break;
    case 57:
      for (int32_t c = 0; c < 3; ++c) mixed[c] = pin(po[c], pn[c]);
      break;
    default: return;
  }
  OpponentToRgb(mixed[0], mixed[1], mixed[2], eightBit, n);
}
