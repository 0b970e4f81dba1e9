// Conversion between red, green, blue and an opponent colour space (a
// lightness P and two axes A, B that are 128 for every grey) through two
// constant 16 x 16 x 16 lattice tables and tetrahedral interpolation.
#pragma once

#include <cstdint>

// Lattice point (i, j, k), each 0..15, holds three bytes at 3 (i + 16 j + 256 k):
// the output colour for the input channels (17 i, 17 j, 17 k).
constexpr int32_t kColourCubeBytes = 3 * 16 * 16 * 16;
extern const uint8_t RgbToOpponentTable[kColourCubeBytes];
extern const uint8_t OpponentToRgbTable[kColourCubeBytes];

// Lattice step of the 8-bit form (inputs and outputs 0..255) and of the 16-bit
// form (inputs 0..32768, outputs 0..32760).
constexpr float kColourCubeStep8 = 17.0f;
constexpr float kColourCubeStep16 = 2184.5334f;

// Tetrahedral interpolation of table at (c0, c1, c2); c0 steps by one entry,
// c1 by 16, c2 by 256. Inputs are held in 0..15 steps, and no lattice point
// beyond index 15 is ever read.
void InterpolateColourCube(int32_t c0, int32_t c1, int32_t c2, const uint8_t* table, float step,
                           int32_t out[3]);

void RgbToOpponent(int32_t r, int32_t g, int32_t b, bool eightBit, int32_t out[3]);
void OpponentToRgb(int32_t p, int32_t a, int32_t b, bool eightBit, int32_t out[3]);
