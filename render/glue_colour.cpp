#include "render/glue_colour.h"

void RgbToHsl(float r, float g, float b, float* h, float* s, float* l) {
  const float mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
  const float mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
  const float light = (mx + mn) / 2.0f;
  *h = 0.0f;
  *s = 0.0f;
  *l = light;
  if (!(light > 0.0f)) return;
  const float d = mx - mn;
  if (d == 0.0f) return;
  *s = light <= 0.5f ? d / (mx + mn) : d / (2.0f - mx - mn);
  float sixths;
  if (r == mx) {
    sixths = g != mn ? 1.0f - (mx - g) / d : 5.0f + (mx - b) / d;
  } else if (g == mx) {
    sixths = b != mn ? 3.0f - (mx - b) / d : 1.0f + (mx - r) / d;
  } else {
    sixths = r == mn ? 3.0f + (mx - g) / d : 5.0f - (mx - r) / d;
  }
  *h = sixths / 6.0f;
}

// Steps shared by HslToRgb and HueLuminance: the colour of hue h between the
// low value m and the high value v (v > 0).
static void HueBetween(float h, float v, float m, float* r, float* g, float* b) {
  float sixth = 6.0f * h;
  // A hue outside [0, 1] or NaN must not pick a sextant that does not exist.
  if (!(sixth >= 0.0f)) sixth = 0.0f;
  if (sixth > 6.0f) sixth = 6.0f;
  const float whole = static_cast<float>(static_cast<int32_t>(sixth));
  int32_t i = static_cast<int32_t>(whole);
  if (i > 5) i = 0;
  const float f = sixth - whole;
  const float x = v * ((v - m) / v) * f;
  const float up = m + x;
  const float down = v - x;
  switch (i) {
    case 0: *r = v; *g = up; *b = m; break;
    case 1: *r = down; *g = v; *b = m; break;
    case 2: *r = m; *g = v; *b = up; break;
    case 3: *r = m; *g = down; *b = v; break;
    case 4: *r = up; *g = m; *b = v; break;
    default: *r = v; *g = m; *b = down; break;
  }
}

void HslToRgb(float h, float s, float l, float* r, float* g, float* b) {
  const float v = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
  if (!(v > 0.0f)) {
    *r = *g = *b = 0.0f;
    return;
  }
  HueBetween(h, v, 2.0f * l - v, r, g, b);
}

float HueLuminance(float h, float s) {
  const float v = (s + 1.0f) / 2.0f;
  const float m = 1.0f - v;
  if (!(v > 0.0f)) return 0.0f;
  float r, g, b;
  HueBetween(h, v, m, &r, &g, &b);
  return static_cast<float>(0.28 * r + 0.52 * g + 0.2 * b);
}

void RgbToHslLum(float r, float g, float b, float* h, float* s, float* L) {
  float l;
  RgbToHsl(r, g, b, h, s, &l);
  const double k = HueLuminance(*h, *s);
  const double dl = l;
  *L = static_cast<float>(dl <= 0.5 ? 2.0 * dl * k : (dl - 0.5) * 2.0 * (1.0 - k) + k);
}

void HslToRgbLum(float h, float s, float L, float* r, float* g, float* b) {
  float k = HueLuminance(h, s);
  if (!(k >= 0.0f)) k = 0.0f;
  if (k > 1.0f) k = 1.0f;
  float l;
  if (L >= 1.0f) {
    l = 1.0f;
  } else if (!(L > 0.0f)) {
    l = 0.0f;  // NaN lightness reads as black
  } else if (L <= k) {
    l = (L / k) * 0.5f;
  } else {
    l = (L - k) / (1.0f - k) * 0.5f + 0.5f;
  }
  HslToRgb(h, s, l, r, g, b);
}

float LightnessWeight(float l) {
  float t = 2.0f * l;
  if (t > 1.0f) t = 2.0f - t;
  const float u = 1.0f - t;
  return 1.0f - u * u * u * u;
}

float QuotientBlend(float a, float b) {
  double q;
  if (b > a) {
    if (!(b > 0.0f)) return 1.0f;
    q = 0.5 * static_cast<double>(a) / static_cast<double>(b);
  } else {
    if (!(a > 0.0f)) return 1.0f;
    q = 1.0 - 0.5 * static_cast<double>(b) / static_cast<double>(a);
  }
  return static_cast<float>(q < 1.0 ? q : 1.0);
}

int32_t ColourToChannel(float c, int32_t full) {
  const float v = static_cast<float>(full) * c;
  if (!(v > 0.0f)) return 0;
  if (v >= static_cast<float>(full)) return full;
  return static_cast<int32_t>(v);
}
