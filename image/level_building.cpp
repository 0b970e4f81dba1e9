#include "image/level_building.h"

#include <algorithm>
#include <cstring>

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

// Channel storage of one member: how a pixel is loaded into C channel values
// of type T, and how a result is stored.
struct Gray8Member {
  using T = int32_t;
  static constexpr int32_t C = 1;
  static void Load(const uint8_t* p, T* v) { v[0] = p[0]; }
  static void Store(uint8_t* p, const int32_t* sum) {
    float f = float(sum[0]) * kNormaliser;
    if (f > 255.0f) f = 255.0f;
    p[0] = uint8_t(int32_t(f));
  }
};

struct Gray16Member {
  using T = int32_t;
  static constexpr int32_t C = 1;
  static void Load(const uint8_t* p, T* v) {
    uint16_t u;
    std::memcpy(&u, p, 2);
    v[0] = u;
  }
  static void Store(uint8_t* p, const int32_t* sum) {
    int32_t t = int32_t(float(sum[0]) * kNormaliser);
    t = std::clamp(t, 0, 32768);
    const uint16_t u = uint16_t(t);
    std::memcpy(p, &u, 2);
  }
};

struct Rgba8Member {
  using T = int32_t;
  static constexpr int32_t C = 4;
  static void Load(const uint8_t* p, T* v) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    v[0] = int32_t(w >> 24);
    v[1] = int32_t((w >> 16) & 255u);
    v[2] = int32_t((w >> 8) & 255u);
    v[3] = int32_t(w & 255u);
  }
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
  using T = int32_t;
  static constexpr int32_t C = 4;
  static void Load(const uint8_t* p, T* v) {
    uint16_t u[4];
    std::memcpy(u, p, 8);
    for (int32_t k = 0; k < 4; ++k) v[k] = u[k];
  }
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
  using T = float;
  static constexpr int32_t C = 4;
  static void Load(const uint8_t* p, T* v) { std::memcpy(v, p, 16); }
  static void Store(uint8_t* p, const float* sum) {
    float f[4];
    for (int32_t k = 0; k < 4; ++k) f[k] = LimitFloat(sum[k] * kNormaliser);
    std::memcpy(p, f, 16);
  }
};

struct GrayFloatMember {
  using T = float;
  static constexpr int32_t C = 1;
  static void Load(const uint8_t* p, T* v) { std::memcpy(v, p, 4); }
  static void Store(uint8_t* p, const float* sum) {
    const float f = LimitFloat(sum[0] * kNormaliser);
    std::memcpy(p, &f, 4);
  }
};

// The integer kernel sums of all channels, separable: the outer rows weigh
// 1 4 4 1 across, the inner rows 1 16 64 64 16 1, times 1 4 4 1 down (exact
// in integers, so the order does not matter).
template <int32_t C>
inline void KernelSums(const int32_t* const rows[6], int32_t i, int32_t sum[C]) {
  for (int32_t c = 0; c < C; ++c) {
    auto v = [&](int32_t r, int32_t dx) { return rows[r][(i + dx) * C + c]; };
    auto outer = [&](int32_t r) { return v(r, 1) + v(r, 4) + 4 * (v(r, 2) + v(r, 3)); };
    auto inner = [&](int32_t r) { return v(r, 0) + v(r, 5) + 16 * (v(r, 1) + v(r, 4)) + 64 * (v(r, 2) + v(r, 3)); };
    sum[c] = outer(0) + inner(1) + 4 * (inner(2) + inner(3)) + inner(4) + outer(5);
  }
}

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

// Reduces the output rectangle column chunk by column chunk. For each chunk
// the source columns are mapped once; six padded line buffers hold the source
// rows of the current output row and slide down two rows per output row.
template <typename Member>
void ReduceWith(ImageRecord* image, int32_t level, const Rect& rect, const AxisMap& mapX, const AxisMap& mapY) {
  using T = typename Member::T;
  constexpr int32_t C = Member::C;
  const int32_t target = level + 1;
  const uint32_t bpp = image->bytesPerPixel;
  const int32_t tilesPerRow = image->tilesPerRow[level];
  const int32_t firstTile = image->firstTile[level];

  T lines[6][kLine * C];
  int32_t lineRow[6];
  int32_t tileColumn[kLine];
  int32_t columnOffset[kLine];

  for (int32_t x0 = rect.left; x0 < rect.right; x0 += kChunk) {
    const int32_t x1 = std::min<int32_t>(x0 + kChunk, rect.right);
    const int32_t count = 2 * (x1 - x0) + 4;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t sx = mapX.Map(2 * x0 - 2 + i);
      tileColumn[i] = sx >> kTileShift;
      columnOffset[i] = (sx & kTileMask) * int32_t(bpp);
    }
    auto loadRow = [&](T* line, int32_t sourceRow) {
      const int32_t sy = mapY.Map(sourceRow);
      const ImageTile* rowTiles = image->tiles + firstTile + (sy >> kTileShift) * tilesPerRow;
      const int32_t inTileRow = sy & kTileMask;
      for (int32_t i = 0; i < count; ++i) {
        const ImageTile& tile = rowTiles[tileColumn[i]];
        const uint8_t* p =
            static_cast<const uint8_t*>(tile.pixels) + int64_t(tile.width) * inTileRow * bpp + columnOffset[i];
        Member::Load(p, line + i * C);
      }
    };
    for (int32_t k = 0; k < 6; ++k) lineRow[k] = INT32_MIN;
    for (int32_t y = rect.top; y < rect.bottom; ++y) {
      // Rows 2y - 2 .. 2y + 3; lines already loaded are reused.
      const T* rows[6];
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
      for (int32_t x = x0; x < x1; ++x) {
        const int32_t i = 2 * (x - x0);
        T sum[C];
        KernelSums<C>(rows, i, sum);
        Member::Store(PixelAddress(image, target, x, y), sum);
      }
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
