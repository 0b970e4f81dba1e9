#include "image/level_building.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "image/pixel_access.h"

namespace {

constexpr int32_t kChunk = 256;                     // output columns per pass: one source tile wide
constexpr int32_t kLine = 2 * kChunk + 4;           // source columns behind them
constexpr float kNormaliser = float(1.0 / 1640.0);  // the kernel's weight sum

// How source coordinates outside the level are read: the 8-bit RGBA member
// follows the fetch edge mode, every other member clamps.
struct AxisMap {
  bool wrap;
  int32_t size;
  int32_t Map(int32_t v) const { return wrap ? WrapCoordOnce(v, size) : ClampCoord(v, size - 1); }
};

// Channel storage of one member: a pixel is C values of type Raw, so rows
// are copied as they lie; Lane(c) is the place of result channel c among a
// pixel's values; Store brings the kernel sums of the channels into range.
struct Gray8Member {
  using Raw = uint8_t;
  static constexpr int32_t C = 1;
  static constexpr int32_t Lane(int32_t c) { return c; }
  static void Store(uint8_t* p, const int32_t* sum) {
    float f = float(sum[0]) * kNormaliser;
    if (f > 255.0f) f = 255.0f;
    p[0] = uint8_t(int32_t(f));
  }
};

struct Gray16Member {
  using Raw = uint16_t;
  static constexpr int32_t C = 1;
  static constexpr int32_t Lane(int32_t c) { return c; }
  static void Store(uint8_t* p, const int32_t* sum) {
    int32_t t = int32_t(float(sum[0]) * kNormaliser);
    t = std::clamp(t, 0, 32768);
    const uint16_t u = uint16_t(t);
    std::memcpy(p, &u, 2);
  }
};

// The pixel is one 32-bit word with red in its top byte.
struct Rgba8Member {
  using Raw = uint8_t;
  static constexpr int32_t C = 4;
  static constexpr int32_t Lane(int32_t c) { return std::endian::native == std::endian::little ? 3 - c : c; }
  static uint32_t Channel(int32_t sum) {
    float f = float(sum) * kNormaliser;
    if (f > 255.0f) f = 255.0f;
    return uint32_t(int32_t(f));
  }
  static void Store(uint8_t* p, const int32_t* sum) {
    const uint32_t w = (Channel(sum[0]) << 24) | (Channel(sum[1]) << 16) | (Channel(sum[2]) << 8) | Channel(sum[3]);
    std::memcpy(p, &w, 4);
  }
};

struct Rgba16Member {
  using Raw = uint16_t;
  static constexpr int32_t C = 4;
  static constexpr int32_t Lane(int32_t c) { return c; }
  static void Store(uint8_t* p, const int32_t* sum) {
    uint16_t u[4];
    for (int32_t k = 0; k < 4; ++k) {
      float f = float(sum[k]) * kNormaliser;
      if (f > 32768.0f) f = 32768.0f;
      u[k] = uint16_t(int32_t(f));
    }
    std::memcpy(p, u, 8);
  }
};

inline float LimitFloat(float f) {
  if (f < 0.0f) return 0.0f;
  if (f > 65535.0f) return 65535.0f;
  return f;
}

struct RgbaFloatMember {
  using Raw = float;
  static constexpr int32_t C = 4;
  static void Store(uint8_t* p, const float* sum) {
    float f[4];
    for (int32_t k = 0; k < 4; ++k) f[k] = LimitFloat(sum[k] * kNormaliser);
    std::memcpy(p, f, 16);
  }
};

struct GrayFloatMember {
  using Raw = float;
  static constexpr int32_t C = 1;
  static void Store(uint8_t* p, const float* sum) {
    const float f = LimitFloat(sum[0] * kNormaliser);
    std::memcpy(p, &f, 4);
  }
};

// The integer kernel goes through two column sums per source column and
// value: outer = r1 + 4 r2 + 4 r3 + r4 (the kernel's first and last columns)
// and inner = 16 outer + r0 + r5 (its columns 1 and 4; columns 2 and 3 weigh
// 4 inner). Exact in integers, so the order does not matter.
template <typename Raw>
void ColumnSumsFrom(int32_t j, const Raw* const rows[6], int32_t n, int32_t* outer, int32_t* inner) {
  for (; j < n; ++j) {
    const int32_t o = rows[1][j] + rows[4][j] + 4 * (rows[2][j] + rows[3][j]);
    outer[j] = o;
    inner[j] = 16 * o + rows[0][j] + rows[5][j];
  }
}

#if defined(__SSE2__)
inline __m128i LoadAt(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void StoreAt(int32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Both column sums of the values in the lanes of six rows: eight 16-bit
// lanes, or four 32-bit lanes.
inline void ColumnSums16(__m128i r0, __m128i r1, __m128i r2, __m128i r3, __m128i r4, __m128i r5, __m128i* outer,
                         __m128i* inner) {
  *outer = _mm_add_epi16(_mm_add_epi16(r1, r4), _mm_slli_epi16(_mm_add_epi16(r2, r3), 2));
  *inner = _mm_add_epi16(_mm_slli_epi16(*outer, 4), _mm_add_epi16(r0, r5));
}

inline void ColumnSums32(__m128i r0, __m128i r1, __m128i r2, __m128i r3, __m128i r4, __m128i r5, __m128i* outer,
                         __m128i* inner) {
  *outer = _mm_add_epi32(_mm_add_epi32(r1, r4), _mm_slli_epi32(_mm_add_epi32(r2, r3), 2));
  *inner = _mm_add_epi32(_mm_slli_epi32(*outer, 4), _mm_add_epi32(r0, r5));
}

// Sixteen 8-bit values at a time. Both sums fit unsigned 16-bit lanes
// (inner <= 162 * 255) and are widened only to be stored.
inline void ColumnSums(const uint8_t* const rows[6], int32_t n, int32_t* outer, int32_t* inner) {
  const __m128i zero = _mm_setzero_si128();
  int32_t j = 0;
  for (; j + 16 <= n; j += 16) {
    const __m128i b0 = LoadAt(rows[0] + j), b1 = LoadAt(rows[1] + j), b2 = LoadAt(rows[2] + j);
    const __m128i b3 = LoadAt(rows[3] + j), b4 = LoadAt(rows[4] + j), b5 = LoadAt(rows[5] + j);
    __m128i o, q;
    ColumnSums16(_mm_unpacklo_epi8(b0, zero), _mm_unpacklo_epi8(b1, zero), _mm_unpacklo_epi8(b2, zero),
                 _mm_unpacklo_epi8(b3, zero), _mm_unpacklo_epi8(b4, zero), _mm_unpacklo_epi8(b5, zero), &o, &q);
    StoreAt(outer + j, _mm_unpacklo_epi16(o, zero));
    StoreAt(outer + j + 4, _mm_unpackhi_epi16(o, zero));
    StoreAt(inner + j, _mm_unpacklo_epi16(q, zero));
    StoreAt(inner + j + 4, _mm_unpackhi_epi16(q, zero));
    ColumnSums16(_mm_unpackhi_epi8(b0, zero), _mm_unpackhi_epi8(b1, zero), _mm_unpackhi_epi8(b2, zero),
                 _mm_unpackhi_epi8(b3, zero), _mm_unpackhi_epi8(b4, zero), _mm_unpackhi_epi8(b5, zero), &o, &q);
    StoreAt(outer + j + 8, _mm_unpacklo_epi16(o, zero));
    StoreAt(outer + j + 12, _mm_unpackhi_epi16(o, zero));
    StoreAt(inner + j + 8, _mm_unpacklo_epi16(q, zero));
    StoreAt(inner + j + 12, _mm_unpackhi_epi16(q, zero));
  }
  ColumnSumsFrom(j, rows, n, outer, inner);
}

// Four 16-bit values at a time, widened to 32 bits at load (inner reaches
// 162 * 65535).
inline void ColumnSums(const uint16_t* const rows[6], int32_t n, int32_t* outer, int32_t* inner) {
  const __m128i zero = _mm_setzero_si128();
  int32_t j = 0;
  auto wide = [&](int32_t k) {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[k] + j)), zero);
  };
  for (; j + 4 <= n; j += 4) {
    __m128i o, q;
    ColumnSums32(wide(0), wide(1), wide(2), wide(3), wide(4), wide(5), &o, &q);
    StoreAt(outer + j, o);
    StoreAt(inner + j, q);
  }
  ColumnSumsFrom(j, rows, n, outer, inner);
}
#else
template <typename Raw>
void ColumnSums(const Raw* const rows[6], int32_t n, int32_t* outer, int32_t* inner) {
  ColumnSumsFrom(0, rows, n, outer, inner);
}
#endif

// The float kernel sums: for every channel the 32 taps one by one, row by
// row from the top and left to right, in single precision. The channels run
// side by side; each keeps that order. The taps are written out so that the
// weights are constants.
template <int32_t C>
inline void KernelSums(const float* const rows[6], int32_t i, float sum[C]) {
  float acc[C];
  for (int32_t c = 0; c < C; ++c) acc[c] = 0.0f;
  auto tap = [&](int32_t r, int32_t dx, float w) {
    const float* v = rows[r] + (i + dx) * C;
    for (int32_t c = 0; c < C; ++c) acc[c] += w * v[c];
  };
  auto outer = [&](int32_t r) { tap(r, 1, 1), tap(r, 2, 4), tap(r, 3, 4), tap(r, 4, 1); };
  auto inner = [&](int32_t r, float m) {
    tap(r, 0, m), tap(r, 1, 16 * m), tap(r, 2, 64 * m), tap(r, 3, 64 * m), tap(r, 4, 16 * m), tap(r, 5, m);
  };
  outer(0);
  inner(1, 1);
  inner(2, 4);
  inner(3, 4);
  inner(4, 1);
  outer(5);
  for (int32_t c = 0; c < C; ++c) sum[c] = acc[c];
}

// The pixels of one output row of a chunk, x0 .. x1, stored in turn; the
// address is looked up once per target tile.
template <typename Member, typename SumsAt>
void StoreRow(ImageRecord* image, int32_t target, int32_t x0, int32_t x1, int32_t y, SumsAt sumsAt) {
  const uint32_t bpp = image->bytesPerPixel;
  uint8_t* p = nullptr;
  for (int32_t x = x0; x < x1; ++x, p += bpp) {
    if (x == x0 || (x & kTileMask) == 0) p = PixelAddress(image, target, x, y);
    const auto sum = sumsAt(2 * (x - x0));
    Member::Store(p, sum.data());
  }
}

// One output row of a chunk from its six source rows: the float members tap
// by tap, the integer members through the column sums.
template <typename Member>
void ReduceRow(ImageRecord* image, int32_t target, int32_t x0, int32_t x1, int32_t y,
               const typename Member::Raw* const rows[6]) {
  constexpr int32_t C = Member::C;
  if constexpr (std::is_floating_point_v<typename Member::Raw>) {
    StoreRow<Member>(image, target, x0, x1, y, [&](int32_t i) {
      std::array<float, C> sum;
      KernelSums<C>(rows, i, sum.data());
      return sum;
    });
  } else {
    alignas(16) int32_t outer[kLine * C];
    alignas(16) int32_t inner[kLine * C];
    ColumnSums(rows, (2 * (x1 - x0) + 4) * C, outer, inner);
    StoreRow<Member>(image, target, x0, x1, y, [&](int32_t i) {
      std::array<int32_t, C> sum;
      for (int32_t c = 0; c < C; ++c) {
        const int32_t* o = outer + i * C + Member::Lane(c);
        const int32_t* q = inner + i * C + Member::Lane(c);
        sum[size_t(c)] = o[0] + o[5 * C] + q[C] + q[4 * C] + 4 * (q[2 * C] + q[3 * C]);
      }
      return sum;
    });
  }
}

// A stretch of the mapped source columns of a chunk that lie side by side in
// one tile, so that a row of it is one copy.
struct ColumnRun {
  int32_t first;  // line index of its first column
  int32_t length;
  int32_t tileColumn;
  int32_t byteOffset;  // of its first column within a tile row
};

int32_t MapColumns(const AxisMap& mapX, int32_t firstColumn, int32_t count, int32_t bpp, ColumnRun* runs) {
  int32_t runCount = 0;
  int32_t previous = INT32_MIN;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t sx = mapX.Map(firstColumn + i);
    if (runCount > 0 && sx == previous + 1 && (sx & kTileMask) != 0) {
      ++runs[runCount - 1].length;
    } else {
      runs[runCount++] = ColumnRun{i, 1, sx >> kTileShift, (sx & kTileMask) * bpp};
    }
    previous = sx;
  }
  return runCount;
}

// Reduces the output rectangle column chunk by column chunk. For each chunk
// the source columns are mapped once; six line buffers hold the source rows
// of the current output row, as stored, and slide down two rows per output
// row.
template <typename Member>
void ReduceWith(ImageRecord* image, int32_t level, const Rect& rect, const AxisMap& mapX, const AxisMap& mapY) {
  using Raw = typename Member::Raw;
  constexpr int32_t C = Member::C;
  const int32_t target = level + 1;
  const int32_t bpp = int32_t(image->bytesPerPixel);
  if (bpp != int32_t(sizeof(Raw)) * C) return;  // the line buffers hold pixels of the member's layout
  const int32_t tilesPerRow = image->tilesPerRow[level];
  const int32_t firstTile = image->firstTile[level];

  alignas(16) Raw lines[6][kLine * C];
  int32_t lineRow[6];
  ColumnRun runs[kLine];

  for (int32_t x0 = rect.left; x0 < rect.right; x0 += kChunk) {
    const int32_t x1 = std::min<int32_t>(x0 + kChunk, rect.right);
    const int32_t runCount = MapColumns(mapX, 2 * x0 - 2, 2 * (x1 - x0) + 4, bpp, runs);
    auto loadRow = [&](Raw* line, int32_t sourceRow) {
      const int32_t sy = mapY.Map(sourceRow);
      const ImageTile* rowTiles = image->tiles + firstTile + (sy >> kTileShift) * tilesPerRow;
      const int64_t rowOffset = int64_t(sy & kTileMask) * bpp;
      for (int32_t r = 0; r < runCount; ++r) {
        const ColumnRun& run = runs[r];
        const ImageTile& tile = rowTiles[run.tileColumn];
        const uint8_t* p = static_cast<const uint8_t*>(tile.pixels) + tile.width * rowOffset + run.byteOffset;
        std::memcpy(line + run.first * C, p, size_t(run.length) * size_t(bpp));
      }
    };
    for (int32_t k = 0; k < 6; ++k) lineRow[k] = INT32_MIN;
    for (int32_t y = rect.top; y < rect.bottom; ++y) {
      // Rows 2y - 2 .. 2y + 3; lines already loaded are reused.
      const Raw* rows[6];
      for (int32_t k = 0; k < 6; ++k) {
        const int32_t sourceRow = 2 * y - 2 + k;
        int32_t slot = -1;
        for (int32_t s = 0; s < 6; ++s) {
          if (lineRow[s] == sourceRow) slot = s;
        }
        if (slot < 0) {
          // Take a slot that no row of this output row needs.
          for (int32_t s = 0; s < 6 && slot < 0; ++s) {
            if (lineRow[s] < 2 * y - 2 || lineRow[s] > 2 * y + 3) slot = s;
          }
          loadRow(lines[slot], sourceRow);
          lineRow[slot] = sourceRow;
        }
        rows[k] = lines[slot];
      }
      ReduceRow<Member>(image, target, x0, x1, y, rows);
    }
  }
}

// The three-channel member: a 2 x 2 box, channels 0 and 1 halved, channel 2
// quartered, in signed 16-bit values.
void ReduceRgb16(ImageRecord* image, int32_t level, const Rect& rect) {
  const int32_t maxX = image->levelMaxX[level];
  const int32_t maxY = image->levelMaxY[level];
  for (int32_t y = rect.top; y < rect.bottom; ++y) {
    for (int32_t x = rect.left; x < rect.right; ++x) {
      int32_t sum[3] = {0, 0, 0};
      for (int32_t dy = 0; dy < 2; ++dy) {
        for (int32_t dx = 0; dx < 2; ++dx) {
          int16_t v[3];
          std::memcpy(v, PixelAddress(image, level, ClampCoord(2 * x + dx, maxX), ClampCoord(2 * y + dy, maxY)), 6);
          for (int32_t c = 0; c < 3; ++c) sum[c] += v[c];
        }
      }
      const int16_t out[3] = {int16_t(std::clamp(sum[0] / 2, -32767, 32767)),
                              int16_t(std::clamp(sum[1] / 2, -32767, 32767)),
                              int16_t(std::clamp(sum[2] / 4, -32767, 32767))};
      std::memcpy(PixelAddress(image, level + 1, x, y), out, 6);
    }
  }
}

}  // namespace

void ReduceLevelRect(ImageRecord* image, int32_t sourceLevel, Rect* rect) {
  if (!image || !rect || sourceLevel < 0 || sourceLevel + 1 > image->lastLevel) return;
  const int32_t target = sourceLevel + 1;
  if (rect->left < 0) rect->left = 0;
  if (rect->top < 0) rect->top = 0;
  if (rect->right > image->levelWidth[target]) rect->right = int16_t(image->levelWidth[target]);
  if (rect->bottom > image->levelHeight[target]) rect->bottom = int16_t(image->levelHeight[target]);
  if (!ImageHasLevel(image, target) || rect->left >= rect->right || rect->top >= rect->bottom) return;

  const AxisMap clampX{false, image->levelWidth[sourceLevel]};
  const AxisMap clampY{false, image->levelHeight[sourceLevel]};
  switch (image->pixelMode) {
    case PixelGray8:
      ReduceWith<Gray8Member>(image, sourceLevel, *rect, clampX, clampY);
      break;
    case PixelGray16:
      ReduceWith<Gray16Member>(image, sourceLevel, *rect, clampX, clampY);
      break;
    case PixelRgba8: {
      const int32_t fetch = image->fetchEdgeMode;
      const AxisMap edgeX{fetch == FetchWrapXY || fetch == FetchWrapX, image->levelWidth[sourceLevel]};
      const AxisMap edgeY{fetch == FetchWrapXY, image->levelHeight[sourceLevel]};
      ReduceWith<Rgba8Member>(image, sourceLevel, *rect, edgeX, edgeY);
      break;
    }
    case PixelRgba16:
      ReduceWith<Rgba16Member>(image, sourceLevel, *rect, clampX, clampY);
      break;
    case PixelRgbaFloat:
      ReduceWith<RgbaFloatMember>(image, sourceLevel, *rect, clampX, clampY);
      break;
    case PixelGrayFloat:
      ReduceWith<GrayFloatMember>(image, sourceLevel, *rect, clampX, clampY);
      break;
    case PixelRgb16:
      ReduceRgb16(image, sourceLevel, *rect);
      break;
    default:  // PixelGray16Raw has no member
      break;
  }
}

bool RunPyramidJob(Rect* bandRect, int32_t jobCode, void* jobArgs) {
  if (jobCode != JobBuildLevel && jobCode != JobRefreshLevel) return false;
  // A level job is never run as a render job, even without its arguments.
  auto* args = static_cast<LevelBuildArgs*>(jobArgs);
  if (args && bandRect) ReduceLevelRect(args->image, args->sourceLevel, bandRect);
  return true;
}

void BuildLevelsFrom(ImageRecord* image, int32_t firstLevel) {
  if (!image) return;
  if (firstLevel < 0) firstLevel = 0;
  if (ImageHasLevel(image, 0)) {
    const ImageOwner* owner = image->owner;
    for (int32_t level = firstLevel; level < image->lastLevel; ++level) {
      LevelBuildArgs args{image, level};
      Rect whole{0, 0, int16_t(image->levelHeight[level + 1]), int16_t(image->levelWidth[level + 1])};
      if (owner && owner->runLevelBands) {
        owner->runLevelBands(owner->bandContext, &whole, JobBuildLevel, &args);
      } else {
        RunPyramidJob(&whole, JobBuildLevel, &args);
      }
    }
  }
  image->buildState = LevelsBuilt;
}

void BuildAllLevels(ImageRecord* image) {
  if (!image || image->fetchEdgeMode == FetchNoLevels) return;
  BuildLevelsFrom(image, 0);
}
