// Glue modes whose result for one channel depends on the whole pixel: modes
// that recombine hue, saturation and lightness of the rendered pixel n and the
// underlying pixel o, modes that mix each channel by another one, and modes in
// the opponent colour space. n and o are in the kind's units, full is 255 or
// 32768; every formula reads n and o as they were before the mode.
#pragma once

#include <cstdint>

// Glue 15 "color", 16 "luminance", 22 "saturation", 23 "hue", 59 "sinister",
// 60 "anterior", 61 "posterior": through the perceptual-lightness model.
void ApplyColourModelGlue(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full);

// Glue 46 "wax", 47 "wane", 53 "frontal": through the plain HSL model.
void ApplyPlainHslGlue(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full);

// Glue 48 "north", 49 "south", 50 "east", 51 "west".
void ApplyChannelMixGlue(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full);

// Glue 54 "parietal", 55 "temporal", 56 "occipital", 57 "limbic"; full selects
// the 8-bit (255) or the 16-bit form of the opponent conversions.
void ApplyOpponentGlue(int32_t glue, int32_t n[3], const int32_t o[3], int32_t full);
