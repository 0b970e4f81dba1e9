#include "image/kernel_sampling.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

#include "image/filter_tables.h"
#include "image/pixel_access.h"

namespace {

constexpr float kScale8 = 1.0f / 4194304.0f;  // 2^-22: two 11-bit weights
constexpr float kScale16 = 1.0f / 32768.0f;   // 2^-15

// The fast path: the 5 x 5 block lies inside one tile.
struct TileTaps {
  const uint8_t* base;
  int64_t stride;  // bytes between rows of the tile
  uint32_t bytesPerPixel;
  const uint8_t* At(int32_t row, int32_t column) const { return base + row * stride + column * bytesPerPixel; }
};

// Five indices from `first` on, one after the other (written out: the loop
// is not unrolled otherwise).
[[gnu::always_inline]] inline void IndexRun(int32_t first, int32_t out[5]) {
  out[0] = first;
  out[1] = first + 1;
  out[2] = first + 2;
  out[3] = first + 3;
  out[4] = first + 4;
}

// The five indices of one axis for the general path, wrapped as the fetch
// edge mode asks, then brought inside the level as the member's reads do.
[[gnu::always_inline]] inline void AxisIndices(int32_t index, int32_t max, bool wrap, bool edgeReads, bool edgeWraps,
                                               int32_t out[5]) {
  // Five indices inside the level (a block on a tile seam) need neither.
  if (index >= 2 && index <= max - 2) return IndexRun(index - 2, out);
  const int32_t size = max + 1;
  if (wrap) {
    if (index <= -size || index >= size) index %= size;  // keeps the sign of index
    out[0] = index - 2;
    out[1] = index - 1;
    out[2] = index;
    out[3] = index + 1;
    out[4] = index + 2;
    if (out[0] < 0) out[0] += size;
    if (out[1] < 0) out[1] += size;
    if (out[3] > max) out[3] -= size;
    if (out[4] > max) out[4] -= size;
    // From an index inside an axis of five or more pixels, all five are
    // inside now: the reads would leave them alone.
    if (index >= 0 && max >= 4) return;
  } else {
    IndexRun(index - 2, out);
  }
  for (int32_t k = 0; k < 5; ++k) {
    // 8-bit RGBA reads follow the fetch edge mode on this axis; the others clamp.
    out[k] = edgeReads && edgeWraps ? WrapCoordOnce(out[k], size) : ClampCoord(out[k], max);
  }
}

// The five columns and the five rows of the general path's block.
struct ListIndices {
  int32_t columns[5];
  int32_t rows[5];
};

[[gnu::always_inline]] inline ListIndices MakeListIndices(const ImageRecord* image, int32_t level, int32_t ix,
                                                          int32_t iy, bool edgeReads) {
  const int32_t fetch = image->fetchEdgeMode;
  const bool wrapX = fetch != FetchClamp;
  const bool wrapY = fetch != FetchClamp && fetch != FetchWrapX;
  // What GetPixelRgba8Edge does on each axis for the record's mode.
  const bool edgeWrapsX = fetch == FetchWrapXY || fetch == FetchWrapX;
  const bool edgeWrapsY = fetch == FetchWrapXY;
  ListIndices list;
  AxisIndices(ix, image->levelMaxX[level], wrapX, edgeReads, edgeWrapsX, list.columns);
  AxisIndices(iy, image->levelMaxY[level], wrapY, edgeReads, edgeWrapsY, list.rows);
  return list;
}

// Five indices of an axis that follow one another inside one tile.
[[gnu::always_inline]] inline bool RunInOneTile(const int32_t index[5]) {
  return index[1] == index[0] + 1 && index[2] == index[0] + 2 && index[3] == index[0] + 3 &&
         index[4] == index[0] + 4 && (index[0] & kTileMask) <= kTileSize - 5;
}

// The general path's taps when the five columns follow one another in one
// tile column (a block on a horizontal seam, or with rows wrapped or held at
// the top or bottom): each row read where it lies, in its own tile.
struct RowTaps {
  const uint8_t* rows[5];
  uint32_t bytesPerPixel;
  const uint8_t* At(int32_t row, int32_t column) const { return rows[row] + column * bytesPerPixel; }
};

template <uint32_t kBytes>
RowTaps MakeRowTaps(const ImageTile* tiles, int32_t tilesPerRow, const ListIndices& list) {
  const int32_t tileColumn = list.columns[0] >> kTileShift;
  const int64_t columnByte = int64_t(list.columns[0] & kTileMask) * kBytes;
  RowTaps taps;
  taps.bytesPerPixel = kBytes;
  for (int32_t r = 0; r < 5; ++r) {
    const ImageTile& tile = tiles[(list.rows[r] >> kTileShift) * tilesPerRow + tileColumn];
    taps.rows[r] = static_cast<const uint8_t*>(tile.pixels) +
                   int64_t(tile.width) * (list.rows[r] & kTileMask) * kBytes + columnByte;
  }
  return taps;
}

// The same when the five rows follow one another in one tile row (a block on
// a vertical seam, or with columns wrapped or held at the left or right
// edge): each column read where it lies, with the stride of its own tile.
struct ColumnTaps {
  const uint8_t* columns[5];
  int64_t strides[5];
  const uint8_t* At(int32_t row, int32_t column) const { return columns[column] + row * strides[column]; }
};

// Column c of ColumnTaps, in the tile row `rowTiles` at `rowOffset` rows
// into it.
template <uint32_t kBytes>
[[gnu::always_inline]] inline void PlaceColumn(const ImageTile* rowTiles, int64_t rowOffset, int32_t column,
                                               ColumnTaps* taps, int32_t c) {
  const ImageTile& tile = rowTiles[column >> kTileShift];
  taps->strides[c] = int64_t(tile.width) * kBytes;
  taps->columns[c] = static_cast<const uint8_t*>(tile.pixels) + taps->strides[c] * rowOffset +
                     int64_t(column & kTileMask) * kBytes;
}

// (Written out: the loop is not unrolled otherwise.)
template <uint32_t kBytes>
[[gnu::always_inline]] inline ColumnTaps MakeColumnTaps(const ImageTile* tiles, int32_t tilesPerRow,
                                                        const ListIndices& list) {
  const ImageTile* rowTiles = tiles + (list.rows[0] >> kTileShift) * tilesPerRow;
  const int64_t rowOffset = list.rows[0] & kTileMask;
  ColumnTaps taps;
  PlaceColumn<kBytes>(rowTiles, rowOffset, list.columns[0], &taps, 0);
  PlaceColumn<kBytes>(rowTiles, rowOffset, list.columns[1], &taps, 1);
  PlaceColumn<kBytes>(rowTiles, rowOffset, list.columns[2], &taps, 2);
  PlaceColumn<kBytes>(rowTiles, rowOffset, list.columns[3], &taps, 3);
  PlaceColumn<kBytes>(rowTiles, rowOffset, list.columns[4], &taps, 4);
  return taps;
}

// Neither axis runs inside one tile (a block on a corner of four tiles, or
// wrapped or held on both axes): the 25 taps gathered one by one into a
// 5 x 5 block of kBytes-byte pixels, rows of five, which the members then sum
// as they sum a block of a tile.
template <uint32_t kBytes>
void FillListBlock(const ImageTile* tiles, int32_t tilesPerRow, const ListIndices& list, uint8_t block[25 * kBytes]) {
  // The addresses PixelAddress gives, with the tile split of each axis
  // worked out once instead of for each of the 25 taps.
  int32_t tileColumn[5];
  int64_t columnByte[5];
  for (int32_t k = 0; k < 5; ++k) {
    tileColumn[k] = list.columns[k] >> kTileShift;
    columnByte[k] = int64_t(list.columns[k] & kTileMask) * kBytes;
  }
  // A column takes the row of the column before it when they share a tile.
  for (int32_t r = 0; r < 5; ++r) {
    const ImageTile* rowTiles = tiles + (list.rows[r] >> kTileShift) * tilesPerRow;
    const int64_t rowOffset = list.rows[r] & kTileMask;
    uint8_t* to = block + r * 5 * kBytes;
    const uint8_t* row = nullptr;
    int32_t rowTile = -1;
    for (int32_t c = 0; c < 5; ++c) {
      if (tileColumn[c] != rowTile) {
        rowTile = tileColumn[c];
        const ImageTile& tile = rowTiles[rowTile];
        row = static_cast<const uint8_t*>(tile.pixels) + int64_t(tile.width) * rowOffset * kBytes;
      }
      std::memcpy(to + c * kBytes, row + columnByte[c], kBytes);
    }
  }
}

// Pixel index - 2 + c takes tap 4 - c (written out: the loop is not
// unrolled otherwise).
template <typename T>
[[gnu::always_inline]] inline void Weights(const T* table, int32_t phase, T w[5]) {
  const T* p = table + phase;
  w[0] = p[4 * kFilterPhases];
  w[1] = p[3 * kFilterPhases];
  w[2] = p[2 * kFilterPhases];
  w[3] = p[1 * kFilterPhases];
  w[4] = p[0];
}

// The members: how the 25 taps of a layout are weighted and summed.
struct Gray8Kernel {
  static constexpr uint32_t kBytes = 1;
  static constexpr bool kEdgeReads = false;
  template <typename Taps>
  static void Sum(const Taps& taps, const FilterTables* t, int32_t px, int32_t py, float out[4]) {
    int32_t hw[5], vw[5];
    Weights(t->fixed11, px, hw);
    Weights(t->fixed11, py, vw);
    int32_t sum = 0;
    for (int32_t r = 0; r < 5; ++r) {
      int32_t row = 0;
      for (int32_t c = 0; c < 5; ++c) row += int32_t(*taps.At(r, c)) * hw[c];
      sum += row * vw[r];
    }
    out[0] = float(sum) * kScale8;
  }
};

// The 8-bit sum is an integer: the five column sums of the block, each
// weighed by its column's weight. It is worked out exactly, in any order; the
// weights of both filters keep it below 2^31 in magnitude (255 times the
// square of a phase's absolute weight sum: see the tables' test), and the
// float of the exact integer is the sample.
//
// The portable form: each row's channels in float (a row of 8-bit taps stays
// below 2^24), the rows weighed in double, every step exact.
template <typename Taps>
void SumRgba8Portable(const Taps& taps, const int32_t hwi[5], const int32_t vwi[5], float out[4]) {
  float hw[5];
  double vw[5];
  for (int32_t c = 0; c < 5; ++c) hw[c] = float(hwi[c]), vw[c] = double(vwi[c]);
  double sum[4] = {0, 0, 0, 0};
  for (int32_t r = 0; r < 5; ++r) {
    float h[4] = {0, 0, 0, 0};
    for (int32_t c = 0; c < 5; ++c) {
      uint32_t word;
      std::memcpy(&word, taps.At(r, c), 4);
      const float v[4] = {float(int32_t(word >> 24)), float(int32_t((word >> 16) & 255u)),
                          float(int32_t((word >> 8) & 255u)), float(int32_t(word & 255u))};
      for (int32_t k = 0; k < 4; ++k) h[k] += v[k] * hw[c];
    }
    for (int32_t k = 0; k < 4; ++k) sum[k] += double(h[k]) * vw[r];
  }
  for (int32_t k = 0; k < 4; ++k) out[k] = float(sum[k]) * kScale8;
}

#if defined(__SSE2__)
// A pair of 16-bit weights in one 32-bit lane, broadcast: madd's operand.
[[gnu::always_inline]] inline __m128i WeightPair(int32_t low, int32_t high) {
  return _mm_set1_epi32(int32_t((uint32_t(uint16_t(high)) << 16) | uint32_t(uint16_t(low))));
}

// The first four taps of a row in one vector and the fifth in the low lane
// of another: one load each.
template <typename Taps>
[[gnu::always_inline]] inline __m128i RowHead(const Taps& taps, int32_t r) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps.At(r, 0)));
}
[[gnu::always_inline]] inline int32_t LoadTap32(const uint8_t* p) {
  int32_t w;
  std::memcpy(&w, p, 4);
  return w;
}
// The columns of ColumnTaps lie apart: four loads.
[[gnu::always_inline]] inline __m128i RowHead(const ColumnTaps& taps, int32_t r) {
  return _mm_setr_epi32(LoadTap32(taps.At(r, 0)), LoadTap32(taps.At(r, 1)), LoadTap32(taps.At(r, 2)),
                        LoadTap32(taps.At(r, 3)));
}
template <typename Taps>
[[gnu::always_inline]] inline __m128i RowTail(const Taps& taps, int32_t r) {
  int32_t w;
  std::memcpy(&w, taps.At(r, 4), 4);
  return _mm_cvtsi32_si128(w);
}

// Adds rows a and b (heads, tails), weighed by the pair w, to the five
// column sums: their bytes interleaved to 16 bits so that one madd gives
// w0 * a + w1 * b for the four channels of a column.
[[gnu::always_inline]] inline void AddRowPair(__m128i headA, __m128i tailA, __m128i headB, __m128i tailB, __m128i w,
                                              __m128i column[5]) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i first = _mm_unpacklo_epi8(headA, headB);  // columns 0 and 1
  const __m128i second = _mm_unpackhi_epi8(headA, headB);  // columns 2 and 3
  const __m128i last = _mm_unpacklo_epi8(tailA, tailB);    // column 4
  column[0] = _mm_add_epi32(column[0], _mm_madd_epi16(_mm_unpacklo_epi8(first, zero), w));
  column[1] = _mm_add_epi32(column[1], _mm_madd_epi16(_mm_unpackhi_epi8(first, zero), w));
  column[2] = _mm_add_epi32(column[2], _mm_madd_epi16(_mm_unpacklo_epi8(second, zero), w));
  column[3] = _mm_add_epi32(column[3], _mm_madd_epi16(_mm_unpackhi_epi8(second, zero), w));
  column[4] = _mm_add_epi32(column[4], _mm_madd_epi16(_mm_unpacklo_epi8(last, zero), w));
}

// The same integer sum with SSE2: the columns first (two rows per madd),
// then the column weights. A column sum needs more than 16 bits, so it is
// split as high * 2^15 + low with low in 0..32767; both halves go through
// madd and the parts meet again in 32-bit arithmetic, which wraps but ends
// on the exact sum because that sum fits 32 bits.
template <typename Taps>
[[gnu::always_inline]] inline void SumRgba8Sse2(const Taps& taps, const int32_t hwi[5], const int32_t vwi[5],
                                                float out[4]) {
  const __m128i zero = _mm_setzero_si128();
  __m128i column[5] = {zero, zero, zero, zero, zero};
  AddRowPair(RowHead(taps, 0), RowTail(taps, 0), RowHead(taps, 1), RowTail(taps, 1), WeightPair(vwi[0], vwi[1]),
             column);
  AddRowPair(RowHead(taps, 2), RowTail(taps, 2), RowHead(taps, 3), RowTail(taps, 3), WeightPair(vwi[2], vwi[3]),
             column);
  AddRowPair(RowHead(taps, 4), RowTail(taps, 4), zero, zero, WeightPair(vwi[4], 0), column);

  const __m128i low15 = _mm_set1_epi32(0x7fff);
  const __m128i low16 = _mm_set1_epi32(0xffff);
  auto low = [&](int32_t c) { return _mm_and_si128(column[c], low15); };
  auto high = [&](int32_t c) { return _mm_srai_epi32(column[c], 15); };
  // Columns c and c + 1 as the pairs of 16-bit halves madd takes.
  auto lowPair = [&](int32_t c) { return _mm_or_si128(low(c), _mm_slli_epi32(low(c + 1), 16)); };
  auto highPair = [&](int32_t c) {
    return _mm_or_si128(_mm_and_si128(high(c), low16), _mm_slli_epi32(high(c + 1), 16));
  };
  const __m128i w01 = WeightPair(hwi[0], hwi[1]);
  const __m128i w23 = WeightPair(hwi[2], hwi[3]);
  const __m128i w4 = WeightPair(hwi[4], 0);
  const __m128i lowSum = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(lowPair(0), w01), _mm_madd_epi16(lowPair(2), w23)),
                                       _mm_madd_epi16(low(4), w4));
  const __m128i highSum =
      _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(highPair(0), w01), _mm_madd_epi16(highPair(2), w23)),
                    _mm_madd_epi16(_mm_and_si128(high(4), low16), w4));
  const __m128i sum = _mm_add_epi32(_mm_slli_epi32(highSum, 15), lowSum);
  // The lanes hold alpha, blue, green, red (the bytes in memory order).
  const __m128 rgba = _mm_cvtepi32_ps(_mm_shuffle_epi32(sum, _MM_SHUFFLE(0, 1, 2, 3)));
  _mm_storeu_ps(out, _mm_mul_ps(rgba, _mm_set1_ps(kScale8)));
}
#endif

struct Rgba8Kernel {
  static constexpr uint32_t kBytes = 4;
  static constexpr bool kEdgeReads = true;
  template <typename Taps>
  [[gnu::always_inline]] static void Sum(const Taps& taps, const FilterTables* t, int32_t px, int32_t py,
                                         float out[4]) {
    int32_t hwi[5], vwi[5];
    Weights(t->fixed11, px, hwi);
    Weights(t->fixed11, py, vwi);
#if defined(__SSE2__)
    SumRgba8Sse2(taps, hwi, vwi, out);
#else
    SumRgba8Portable(taps, hwi, vwi, out);
#endif
  }
};

// The 16-bit sum in double, where every step is exact.
struct Rgba16Kernel {
  static constexpr uint32_t kBytes = 8;
  static constexpr bool kEdgeReads = false;
  template <typename Taps>
  static void Sum(const Taps& taps, const FilterTables* t, int32_t px, int32_t py, float out[4]) {
    int32_t hwi[5], vwi[5];
    Weights(t->fixed15, px, hwi);
    Weights(t->fixed15, py, vwi);
    double hw[5], vw[5];
    for (int32_t c = 0; c < 5; ++c) hw[c] = double(hwi[c]), vw[c] = double(vwi[c]);
    // Wide sums: a row of 65535s under the largest weights passes 2^31.
    double sum[4] = {0, 0, 0, 0};
    for (int32_t r = 0; r < 5; ++r) {
      double h[4] = {0, 0, 0, 0};
      for (int32_t c = 0; c < 5; ++c) {
        uint16_t v[4];
        std::memcpy(v, taps.At(r, c), 8);
        for (int32_t k = 0; k < 4; ++k) h[k] += double(v[k]) * hw[c];
      }
      // Each row sum back to the 16-bit scale, truncating toward zero.
      for (int32_t k = 0; k < 4; ++k) sum[k] += std::trunc(h[k] * (1.0 / 32768.0)) * vw[r];
    }
    for (int32_t k = 0; k < 4; ++k) out[k] = float(sum[k]) * kScale16;
  }
};

struct FloatKernel {
  static constexpr uint32_t kBytes = 16;
  static constexpr bool kEdgeReads = false;
  template <typename Taps>
  static void Sum(const Taps& taps, const FilterTables* t, int32_t px, int32_t py, float out[4]) {
    float hw[5], vw[5];
    Weights(t->kernel, px, hw);
    Weights(t->kernel, py, vw);
    float sum[4] = {0, 0, 0, 0};
    for (int32_t r = 0; r < 5; ++r) {
      float h[4] = {0, 0, 0, 0};
      for (int32_t c = 0; c < 5; ++c) {
        float v[4];
        std::memcpy(v, taps.At(r, c), 16);
        for (int32_t k = 0; k < 4; ++k) h[k] += v[k] * hw[c];
      }
      for (int32_t k = 0; k < 4; ++k) sum[k] += h[k] * vw[r];
    }
    for (int32_t k = 0; k < 4; ++k) out[k] = sum[k];
  }
};

// The general path, out of line: its frame and its three roads stay off the
// fast path. Mostly one axis still runs inside one tile, and the taps are
// read where they lie; only when neither does are they gathered.
template <typename Kernel>
[[gnu::noinline]] void SampleFromList(const ImageRecord* image, int32_t level, int32_t ix, int32_t iy, int32_t px,
                                      int32_t py, float out[4]) {
  const ListIndices list = MakeListIndices(image, level, ix, iy, Kernel::kEdgeReads);
  const ImageTile* tiles = image->tiles + image->firstTile[level];
  const int32_t tilesPerRow = image->tilesPerRow[level];
  if (RunInOneTile(list.columns)) {
    Kernel::Sum(MakeRowTaps<Kernel::kBytes>(tiles, tilesPerRow, list), image->filterTables, px, py, out);
    return;
  }
  if (RunInOneTile(list.rows)) {
    Kernel::Sum(MakeColumnTaps<Kernel::kBytes>(tiles, tilesPerRow, list), image->filterTables, px, py, out);
    return;
  }
  alignas(16) uint8_t block[25 * Kernel::kBytes];
  FillListBlock<Kernel::kBytes>(tiles, tilesPerRow, list, block);
  const TileTaps taps{block, 5 * Kernel::kBytes, Kernel::kBytes};
  Kernel::Sum(taps, image->filterTables, px, py, out);
}

// The tap position of one axis (KernelTapPosition, inline for the samplers).
[[gnu::always_inline]] inline void TapPosition(float coordinate, int32_t* index, int32_t* phase) {
  float f = float(double(coordinate) + 0.5);
  if (!(f >= -16777216.0f)) f = (f != f) ? 0.0f : -16777216.0f;
  if (f > 16777216.0f) f = 16777216.0f;
  int32_t i = int32_t(f);  // toward zero, as the tables assume for f >= 0
  if (float(i) > f) --i;   // below zero the phase is measured from the floor
  int32_t p = int32_t((f - float(i)) * 128.0f);
  if (p > 127) p = 127;
  *index = i;
  *phase = p;
}

// One kernel sample of a level that can be sampled: the fast path reads the
// block straight from its tile, the general path gathers the 25 taps one by
// one. `tiles` is the level's first tile.
template <typename Kernel>
[[gnu::always_inline]] inline void SampleInLevel(const ImageRecord* image, int32_t level, int32_t maxX, int32_t maxY,
                                                 const ImageTile* tiles, int32_t tilesPerRow, float x, float y,
                                                 float out[4]) {
  int32_t ix, iy, px, py;
  TapPosition(x, &ix, &px);
  TapPosition(y, &iy, &py);
  if (ix >= 2 && ix <= maxX - 2 && iy >= 2 && iy <= maxY - 2 && ((ix - 2) & kTileMask) <= kTileSize - 5 &&
      ((iy - 2) & kTileMask) <= kTileSize - 5) {
    const ImageTile& tile = tiles[((iy - 2) >> kTileShift) * tilesPerRow + ((ix - 2) >> kTileShift)];
    const TileTaps taps{static_cast<const uint8_t*>(tile.pixels) +
                            (int64_t(tile.width) * ((iy - 2) & kTileMask) + ((ix - 2) & kTileMask)) * Kernel::kBytes,
                        int64_t(tile.width) * Kernel::kBytes, Kernel::kBytes};
    Kernel::Sum(taps, image->filterTables, px, py, out);
    return;
  }
  SampleFromList<Kernel>(image, level, ix, iy, px, py, out);
}

// One kernel sample. False when the record cannot be sampled there (no
// pixels, no tables, another layout).
template <typename Kernel>
[[gnu::always_inline]] inline bool SampleWith(const ImageRecord* image, int32_t level, float x, float y, float out[4]) {
  if (!ImageHasLevel(image, level) || image->bytesPerPixel != Kernel::kBytes || !image->filterTables) return false;
  SampleInLevel<Kernel>(image, level, image->levelMaxX[level], image->levelMaxY[level],
                        image->tiles + image->firstTile[level], image->tilesPerRow[level], x, y, out);
  return true;
}

// The kernel at a prepared level, from a normalised position (LevelPosition
// of the area sampler); zero where the level cannot be sampled.
template <typename Kernel>
[[gnu::always_inline]] inline void SampleLevelAt(const KernelLevel& k, float u, float v, float out[4]) {
  if (!k.usable) {
    out[0] = out[1] = out[2] = out[3] = 0.0f;
    return;
  }
  const float x = float(double(k.width * u) - 0.5);
  const float y = float(double(k.height * v) - 0.5);
  SampleInLevel<Kernel>(k.image, k.level, k.maxX, k.maxY, k.tiles, k.tilesPerRow, x, y, out);
}

template <typename Kernel>
[[gnu::always_inline]] inline void SamplePairWith(const KernelLevelPair& pair, float u, float v, float out[4]) {
  SampleLevelAt<Kernel>(pair.levels[0], u, v, out);
#if defined(__SSE2__)
  __m128 s0 = _mm_loadu_ps(out);
  if (pair.blend) {
    float s1[4];
    SampleLevelAt<Kernel>(pair.levels[1], u, v, s1);
    s0 = _mm_add_ps(s0, _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(s1), s0), _mm_set1_ps(pair.frac)));
  }
  _mm_storeu_ps(out, _mm_mul_ps(s0, _mm_set1_ps(pair.scale)));
#else
  if (pair.blend) {
    float s1[4];
    SampleLevelAt<Kernel>(pair.levels[1], u, v, s1);
    for (int32_t k = 0; k < 4; ++k) out[k] = out[k] + (s1[k] - out[k]) * pair.frac;
  }
  for (int32_t k = 0; k < 4; ++k) out[k] *= pair.scale;
#endif
}

template <typename Kernel>
void SampleRgba(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b, float* a) {
  float out[4] = {0, 0, 0, 0};
  SampleWith<Kernel>(image, level, x, y, out);
  *r = out[0];
  *g = out[1];
  *b = out[2];
  *a = out[3];
}

}  // namespace

void KernelTapPosition(float coordinate, int32_t* index, int32_t* phase) { TapPosition(coordinate, index, phase); }

void SumKernelBlockRgba8(const uint8_t* block, int64_t stride, const FilterTables* tables, int32_t px, int32_t py,
                         bool portable, float out[4]) {
  const TileTaps taps{block, stride, 4};
  int32_t hw[5], vw[5];
  Weights(tables->fixed11, px, hw);
  Weights(tables->fixed11, py, vw);
#if defined(__SSE2__)
  if (!portable) return SumRgba8Sse2(taps, hw, vw, out);
#endif
  (void)portable;
  SumRgba8Portable(taps, hw, vw, out);
}

float SampleKernelGray8(const ImageRecord* image, int32_t level, float x, float y) {
  float out[4] = {0, 0, 0, 0};
  SampleWith<Gray8Kernel>(image, level, x, y, out);
  return out[0];
}

void SampleKernelRgba8(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                       float* a) {
  SampleRgba<Rgba8Kernel>(image, level, x, y, r, g, b, a);
}

void SampleKernelRgba16(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                        float* a) {
  SampleRgba<Rgba16Kernel>(image, level, x, y, r, g, b, a);
}

void SampleKernelFloat(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                       float* a) {
  SampleRgba<FloatKernel>(image, level, x, y, r, g, b, a);
}

void SampleKernelRgba8Into(const ImageRecord* image, int32_t level, float x, float y, float out[4]) {
  out[0] = out[1] = out[2] = out[3] = 0.0f;
  SampleWith<Rgba8Kernel>(image, level, x, y, out);
}

void SampleKernelRgba16Into(const ImageRecord* image, int32_t level, float x, float y, float out[4]) {
  out[0] = out[1] = out[2] = out[3] = 0.0f;
  SampleWith<Rgba16Kernel>(image, level, x, y, out);
}

void SampleKernelFloatInto(const ImageRecord* image, int32_t level, float x, float y, float out[4]) {
  out[0] = out[1] = out[2] = out[3] = 0.0f;
  SampleWith<FloatKernel>(image, level, x, y, out);
}

void PrepareKernelLevel(const ImageRecord* image, int32_t level, int32_t mode, KernelLevel* out) {
  *out = KernelLevel{};
  out->image = image;
  out->level = level;
  if (!ImageHasLevel(image, level) || !image->filterTables) return;
  const uint32_t bytes = mode == PixelRgba8 ? Rgba8Kernel::kBytes
                         : mode == PixelRgba16 ? Rgba16Kernel::kBytes
                         : mode == PixelRgbaFloat ? FloatKernel::kBytes
                                                  : 0;
  if (bytes == 0 || image->bytesPerPixel != bytes) return;
  out->usable = true;
  out->width = float(image->levelWidth[level]);
  out->height = float(image->levelHeight[level]);
  out->maxX = image->levelMaxX[level];
  out->maxY = image->levelMaxY[level];
  out->tiles = image->tiles + image->firstTile[level];
  out->tilesPerRow = image->tilesPerRow[level];
}

void SampleKernelPair(const KernelLevelPair& pair, float u, float v, float out[4]) {
  switch (pair.mode) {
    case PixelRgba8:
      SamplePairWith<Rgba8Kernel>(pair, u, v, out);
      break;
    case PixelRgba16:
      SamplePairWith<Rgba16Kernel>(pair, u, v, out);
      break;
    default:
      SamplePairWith<FloatKernel>(pair, u, v, out);
      break;
  }
}

void SampleKernelByMode(const ImageRecord* image, int32_t level, float x, float y, float* r, float* g, float* b,
                        float* a) {
  if (!image) {
    *r = *g = *b = *a = 0.0f;
    return;
  }
  switch (image->pixelMode) {
    case PixelRgba8:
      SampleKernelRgba8(image, level, x, y, r, g, b, a);
      break;
    case PixelRgbaFloat:
      SampleKernelFloat(image, level, x, y, r, g, b, a);
      break;
    case PixelRgba16:
      SampleKernelRgba16(image, level, x, y, r, g, b, a);
      break;
    default:
      *r = *g = *b = *a = 0.0f;
      break;
  }
}
