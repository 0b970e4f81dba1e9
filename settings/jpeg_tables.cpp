// Our quantisation tables: ten levels, level L serving qualities 10L..10L+9.
// Level 8 (quality 80, the thumbnails) is fixed in full; the other levels fix
// their first rows, and their remaining rows follow the library's usual
// quality scaling of the baseline tables at the level's middle quality.
#include <cstdint>

#include "settings/jpeg_memory.h"

namespace {

constexpr uint8_t kFirstRowLuma[10][8] = {
    {20, 17, 26, 41, 51, 39, 34, 17}, {18, 14, 14, 21, 30, 35, 34, 17}, {16, 11, 11, 16, 23, 27, 31, 17},
    {12, 8, 8, 12, 17, 21, 24, 17},   {8, 6, 6, 8, 12, 14, 16, 17},     {13, 7, 7, 13, 15, 18, 20, 17},
    {6, 4, 4, 6, 9, 11, 12, 16},      {4, 3, 3, 4, 6, 7, 8, 13},        {2, 2, 2, 2, 3, 4, 5, 6},
    {1, 1, 1, 1, 2, 2, 2, 3}};

constexpr uint8_t kFirstRowChroma[10][8] = {
    {21, 26, 33, 34, 20, 20, 17, 17}, {20, 19, 22, 27, 20, 20, 17, 17}, {17, 15, 17, 21, 20, 20, 17, 17},
    {10, 11, 10, 16, 20, 20, 17, 17}, {9, 8, 9, 11, 14, 17, 17, 17},    {11, 12, 21, 34, 20, 20, 17, 17},
    {7, 7, 10, 24, 20, 20, 17, 17},   {4, 5, 8, 15, 20, 20, 17, 17},    {3, 3, 5, 9, 10, 15, 15, 15},
    {1, 1, 2, 4, 7, 8, 8, 8}};

constexpr uint8_t kLevel8Luma[64] = {
    2, 2, 2, 2, 3, 4,  5,  6,  2, 2, 2, 2, 3,  4,  5,  6,  2, 2, 2, 2,  4,  5,  7,  9,  2, 2, 2,  4,  5,  7,  9,  12,
    3, 3, 4, 5, 8, 13, 12, 12, 4, 4, 5, 7, 13, 12, 12, 12, 5, 5, 7, 9, 12, 12, 12, 12, 6, 6, 9, 12, 12, 12, 12, 12};

constexpr uint8_t kLevel8Chroma[64] = {
    3,  3,  5,  9,  10, 15, 15, 15, 3,  4,  6,  13, 14, 12, 12, 12, 5,  6,  9,  14, 12, 12,
    12, 12, 9,  13, 14, 12, 12, 12, 12, 12, 10, 14, 12, 12, 12, 12, 12, 12, 15, 12, 12, 12,
    12, 12, 12, 12, 15, 12, 12, 12, 12, 12, 12, 12, 15, 12, 12, 12, 12, 12, 12, 12};

// The baseline tables of the JPEG standard's informative annex.
constexpr uint8_t kBaseLuma[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                   14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                   18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                   49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

constexpr uint8_t kBaseChroma[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                     24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                     99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                     99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

}  // namespace

void JpegQuantTable(int32_t level, bool chrominance, uint32_t table[64]) {
  if (level < 0) level = 0;
  if (level > 9) level = 9;
  if (level == 8) {
    for (int k = 0; k < 64; ++k) table[k] = chrominance ? kLevel8Chroma[k] : kLevel8Luma[k];
    return;
  }
  const uint8_t* base = chrominance ? kBaseChroma : kBaseLuma;
  int32_t quality = 10 * level + 5;
  int32_t scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  for (int k = 0; k < 64; ++k) {
    int32_t v = (int32_t(base[k]) * scale + 50) / 100;
    table[k] = uint32_t(v < 1 ? 1 : (v > 255 ? 255 : v));
  }
  for (int k = 0; k < 8; ++k) table[k] = chrominance ? kFirstRowChroma[level][k] : kFirstRowLuma[level][k];
}
