#include "render/glue_modes.h"

#include "render/glue_colour.h"
#include "render/glue_colour_modes.h"

namespace {

int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }
int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t Abs(int32_t a) { return a < 0 ? -a : a; }
int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// About 1/(255 * 255) in single precision, as the 8-bit float modes use it.
constexpr float kInverseSquare8 = 1.53787e-05f;
constexpr float kInverseSquare16 = 1.0f / 1073741824.0f;  // 2^-30

// Glue 20, 8-bit formula before its clamp.
int32_t VividA8Raw(int32_t n, int32_t o) {
  if (n < 128) return ((o - 255) * 256) / (2 * n + 1) + 255;
  return (256 * o) / (511 - 2 * n);
}

int32_t Superlay8(int32_t n, int32_t o) {
  const int32_t a = 255 - ((n * o) >> 8);
  const int32_t a2 = (a * a) >> 8;
  const int32_t s = 255 - a2;
  const int32_t b = 255 - (((255 - n) * o) >> 8) - n;
  const int32_t b2 = (b * b) >> 8;
  return s < 128 ? ((255 - b2) * s) >> 7 : 255 - ((b2 * a2) >> 7);
}

int32_t Superlay16(int32_t n, int32_t o) {
  const int32_t a = 32768 - ((n * o) >> 15);
  const int32_t a2 = (a * a) >> 15;
  const int32_t s = 32768 - a2;
  const int32_t b = 32768 - (((32768 - n) * o) >> 15) - n;
  const int32_t b2 = (b * b) >> 15;
  return s < 16384 ? ((32768 - b2) * s) >> 14 : 32768 - ((b2 * a2) >> 14);
}

// The upper half of soft light at 8-bit precision; m may reach 256 and c -1
// when the 16-bit form reduces its inputs.
int32_t SoftLightUpper8(int32_t m, int32_t c) {
  return 255 - ((((c * c) >> 8) * (m - 130) + (258 - m) * c) >> 7);
}

int32_t ReduceTo8(int32_t v) { return Min((v + 1) >> 7, 255); }

}  // namespace

int32_t HardLight8(int32_t a, int32_t b) {
  return a < 128 ? (a * b) >> 7 : 255 - (((255 - a) * (255 - b)) >> 7);
}

int32_t HardLight16(int32_t a, int32_t b) {
  return a < 16384 ? (a * b) >> 14 : 32768 - (((32768 - a) * (32768 - b)) >> 14);
}

int32_t PinLight8(int32_t a, int32_t b) { return a < 128 ? Min(2 * a, b) : Max(2 * a - 255, b); }

int32_t PinLight16(int32_t a, int32_t b) {
  return a < 16384 ? Min(2 * a, b) : Max(2 * a - 32768, b);
}

int32_t GlueLum(const int32_t p[3]) { return 77 * p[0] + 150 * p[1] + 28 * p[2]; }

bool IsPerChannelGlue(int32_t glue) {
  switch (glue) {
    case 15: case 16: case 22: case 23: case 28: case 29:
    case 46: case 47: case 48: case 49: case 50: case 51:
    case 53: case 54: case 55: case 56: case 57:
    case 59: case 60: case 61:
      return false;
    default:
      return glue >= 2 && glue <= kGlueModeCount;
  }
}

int32_t GlueChannel8(int32_t glue, int32_t n, int32_t o, const int32_t* tent) {
  switch (glue) {
    case 2: {  // "procedural +"
      const int32_t w = tent[Clamp(o, 0, 255)];
      return (w * n + (255 - w) * o) >> 8;
    }
    case 3: return Min(n + ((n * o) >> 8), 255);
    case 4: return ((255 - n) * o + (255 - o) * n) >> 8;
    case 5: return Max(n, o);
    case 6: return Min(n, o);
    case 7: return Min(n + o, 255);
    case 8: return Max(n - o, 0);
    case 9: return (n * o) >> 8;
    case 10: return n + (((255 - n) * o) >> 8);
    case 11: return HardLight8(n, o);
    case 12: return HardLight8(o, n);
    case 13: return Superlay8(n, o);
    case 14: return ((255 - o) * n + (256 - n) * o) >> 8;
    case 17: return n < 128 ? Max(o + 2 * n - 256, 0) : Min(o + 2 * n - 255, 255);
    case 18: return PinLight8(n, o);
    case 19: return PinLight8(o, n);
    case 20: return Clamp(VividA8Raw(n, o), 0, 255);
    case 21: return Clamp(2 * n - o, 0, 255);
    case 24: return 255 - Abs(n + o - 255);
    case 25: {
      const int32_t dn = n - 128, dOld = o - 128;
      return Clamp(255 - Abs((dn * dn) / 64 - (dOld * dOld) / 64), 0, 255);
    }
    case 26: return Abs(n - o);
    case 27:
      if (n < 128) return (n * o + ((o * o) >> 8) * (128 - n)) >> 7;
      return SoftLightUpper8(n, 255 - o);
    case 30: return Clamp((256 * o) / (256 - n), 0, 255);
    case 31: return Clamp(((o - 255) * 256) / (n + 1) + 255, 0, 255);
    case 32: return (n * n + (256 - n) * o) >> 8;
    case 33: return ((n - o + 256) * o) >> 8;
    case 34: return ((255 - n) * n + (n + 1) * o) >> 8;
    case 35: return ((255 - o) * n + (o + 1) * o) >> 8;
    case 36: return n & o;
    case 37: return n | o;
    case 38: return n ^ o;
    case 39: {
      const float f = static_cast<float>(n * o) * kInverseSquare8;
      return static_cast<int32_t>((2.0f - f) * 255.0f * f);
    }
    case 40: return PinLight8(PinLight8(o, n), PinLight8(o, 255 - n));
    case 41: return PinLight8(PinLight8(n, o), PinLight8(n, 255 - o));
    case 42: return PinLight8(HardLight8(o, n), 255 - HardLight8(n, 255 - o));
    case 43: {
      const int32_t c = 255 - n;
      return PinLight8(HardLight8(o, c), 255 - HardLight8(c, 255 - o));
    }
    case 44: return PinLight8(HardLight8(n, o), HardLight8(o, n));
    case 45: return PinLight8(HardLight8(o, n), HardLight8(n, o));
    case 52: return n + o > 255 ? 255 : 0;
    case 58: {
      const float inv = 1.0f / 255.0f;
      return static_cast<int32_t>(
          QuotientBlend(static_cast<float>(o) * inv, static_cast<float>(n) * inv) * 255.0f);
    }
    case 62: {
      const float t = 1.0f - static_cast<float>((255 - n) * (255 - o)) * kInverseSquare8;
      return static_cast<int32_t>(t * t * 255.0f);
    }
    default: return n;
  }
}

int32_t GlueChannel16(int32_t glue, int32_t n, int32_t o) {
  switch (glue) {
    case 2: {  // "procedural +": moves at most halfway toward n
      const int32_t h = o / 2;
      const int32_t w = o < 16384 ? h : 16384 - h;
      return (w * n + (16384 - w) * o) >> 14;
    }
    case 3: return Min(n + ((n * o) >> 15), 32768);
    case 4:
    case 14: return ((32768 - n) * o + (32768 - o) * n) >> 15;
    case 5: return Max(n, o);
    case 6: return Min(n, o);
    case 7: return Min(n + o, 32768);
    case 8: return Max(n - o, 0);
    case 9: return (n * o) >> 15;
    case 10: return n + (((32768 - n) * o) >> 15);
    case 11: return HardLight16(n, o);
    case 12: return HardLight16(o, n);
    case 13: return Superlay16(n, o);
    case 17: {
      const int32_t v = o + 2 * n - 32768;
      return n < 16384 ? Max(v, 0) : Min(v, 32768);
    }
    case 18: return PinLight16(n, o);
    case 19: return PinLight16(o, n);
    case 20: {  // at 8-bit precision, scaled back
      const int32_t r = VividA8Raw(ReduceTo8(n), ReduceTo8(o));
      if (r < 0) return 0;
      if (r >= 255) return 32768;
      return (r << 7) | (r >> 1);
    }
    case 21: return Clamp(2 * n - o, 0, 32768);
    case 24: return 32768 - Abs(n + o - 32768);
    case 25: {
      const int32_t dn = n - 16384, dOld = o - 16384;
      return Clamp(32768 - Abs((dn * dn) / 8192 - (dOld * dOld) / 8192), 0, 32768);
    }
    case 26: return Abs(n - o);
    case 27:
      if (n < 16384) return (n * o + ((o * o) >> 15) * (16384 - n)) >> 14;
      return SoftLightUpper8(n >> 7, 255 - (o >> 7)) * 128;
    case 30:
      if (n == 32768) return 32768;
      return Clamp((32768 * o) / (32768 - n), 0, 32768);
    case 31: return Clamp(((o - 32768) * 32768) / (n + 1) + 32768, 0, 32768);
    case 32: return (n * n + (32768 - n) * o) >> 15;
    case 33: return ((n - o + 32768) * o) >> 15;
    case 34: return ((o - n + 32768) * n) >> 15;
    case 35: return (o * o + (32768 - o) * n) >> 15;
    case 36: return n & o;
    case 37: return n | o;
    case 38: return n ^ o;
    case 39: {
      const float f = static_cast<float>(n * o) * kInverseSquare16;
      return static_cast<int32_t>((2.0f - f) * 32768.0f * f);
    }
    case 40: return PinLight16(PinLight16(o, n), PinLight16(o, 32768 - n));
    case 41: return PinLight16(PinLight16(n, o), PinLight16(n, 32768 - o));
    case 42: return PinLight16(HardLight16(o, n), 32768 - HardLight16(n, 32768 - o));
    case 43: {
      const int32_t c = 32768 - n;
      return PinLight16(HardLight16(o, c), 32768 - HardLight16(c, 32768 - o));
    }
    case 44: return PinLight16(HardLight16(n, o), HardLight16(o, n));
    case 45: return PinLight16(HardLight16(o, n), HardLight16(n, o));
    case 52: return n + o > 32768 ? 32768 : 0;
    case 58: {
      const float inv = 1.0f / 32768.0f;
      return static_cast<int32_t>(
          QuotientBlend(static_cast<float>(o) * inv, static_cast<float>(n) * inv) * 32768.0f);
    }
    case 62: {
      const float t = 1.0f - static_cast<float>((32768 - n) * (32768 - o)) * kInverseSquare16;
      return static_cast<int32_t>(t * t * 32768.0f);
    }
    default: return n;
  }
}

namespace {

// Glue 28 ("bright") and 29 ("dim"): the whole pixel is replaced by o when
// the luminance of the one lies in a higher step of 256 than that of the other.
void BrightOrDim(int32_t glue, int32_t n[3], const int32_t o[3]) {
  const int32_t stepNew = GlueLum(n) & ~255;
  const int32_t stepOld = GlueLum(o) & ~255;
  const bool take = glue == 28 ? stepNew < stepOld : stepOld < stepNew;
  if (!take) return;
  n[0] = o[0];
  n[1] = o[1];
  n[2] = o[2];
}

void ApplyWholePixelMode(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full) {
  switch (glue) {
    case 28:
    case 29: BrightOrDim(glue, n, o); break;
    case 15: case 16: case 22: case 23: case 59: case 60: case 61:
      ApplyColourModelGlue(glue, n, o, full);
      break;
    case 46: case 47: case 53: ApplyPlainHslGlue(glue, n, o, full); break;
    case 48: case 49: case 50: case 51: ApplyChannelMixGlue(glue, n, o, full); break;
    case 54: case 55: case 56: case 57: ApplyOpponentGlue(glue, n, o, full); break;
    default: break;
  }
}

void HoldInRange(int32_t p[3], int32_t full) {
  for (int32_t c = 0; c < 3; ++c) p[c] = Clamp(p[c], 0, full);
}

}  // namespace

void ApplyGlueMode8(int32_t glue, int32_t n[3], const int32_t o[3], const int32_t* tent) {
  if (glue < 2 || glue > kGlueModeCount) return;
  if (!IsPerChannelGlue(glue)) {
    ApplyWholePixelMode(glue, n, o, kGlueFull8);
    return;
  }
  for (int32_t c = 0; c < 3; ++c) n[c] = GlueChannel8(glue, n[c], o[c], tent);
}

void ApplyGlueMode16(int32_t glue, int32_t n[3], const int32_t o[3]) {
  if (glue < 2 || glue > kGlueModeCount) return;
  if (!IsPerChannelGlue(glue)) {
    ApplyWholePixelMode(glue, n, o, kGlueFull16);
    return;
  }
  for (int32_t c = 0; c < 3; ++c) n[c] = GlueChannel16(glue, n[c], o[c]);
}

void GlueBlend8(int32_t glue, int32_t n[3], const int32_t o[3], const int32_t* tent) {
  int32_t under[3] = {o[0], o[1], o[2]};
  HoldInRange(n, kGlueFull8);
  HoldInRange(under, kGlueFull8);
  ApplyGlueMode8(glue, n, under, tent);
  HoldInRange(n, kGlueFull8);
}

void GlueBlend16(int32_t glue, int32_t n[3], const int32_t o[3]) {
  int32_t under[3] = {o[0], o[1], o[2]};
  HoldInRange(n, kGlueFull16);
  HoldInRange(under, kGlueFull16);
  ApplyGlueMode16(glue, n, under);
  HoldInRange(n, kGlueFull16);
}
