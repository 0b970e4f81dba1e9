// Colour operators of the colour-model glue modes: a hue-saturation-lightness
// model, its perceptual variant whose lightness follows the luminance of the
// hue, the quotient blend and the lightness weight. Pure functions, single
// precision with the few double-precision steps noted below.
//
// Hue h is in [0, 1] in sixths of the colour circle (0 and 1 red, 1/3 green,
// 2/3 blue); saturation and lightness are in 0..1.
#pragma once

#include <cstdint>

void RgbToHsl(float r, float g, float b, float* h, float* s, float* l);

// Any hue outside [0, 1] (NaN included) is read as 0 or as the nearest end,
// so the sextant is always one of the six.
void HslToRgb(float h, float s, float l, float* r, float* g, float* b);

// Luminance of the colour of hue h and saturation s at lightness 0.5, as
// 0.28 r + 0.52 g + 0.2 b in double precision.
float HueLuminance(float h, float s);

// Hue, saturation and perceptual lightness L: lightness 0.5 maps to the
// luminance of the pure colour.
void RgbToHslLum(float r, float g, float b, float* h, float* s, float* L);

// The inverse of RgbToHslLum.
void HslToRgbLum(float h, float s, float L, float* r, float* g, float* b);

// 1 - (1 - fold(2l))^4 with fold(t) = t up to 1 and 2 - t beyond: 0 at black
// and white, 1 at l = 0.5.
float LightnessWeight(float l);

// a is the underlying value, b the rendered one, both 0..1.
float QuotientBlend(float a, float b);

// trunc(full * c) for a colour channel c, as glue results are turned back into
// integers; NaN gives 0 and the result is held in 0..full, so no float outside
// the integer range is ever converted.
int32_t ColourToChannel(float c, int32_t full);
