#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "image/filter_tables.h"
#include "image/float_convert.h"
#include "image/kernel_sampling.h"
#include "image/pixel_access.h"
#include "image_test_util.h"

namespace {

FilterTables* Tables(int32_t kind = FilterLanczos) {
  static FilterTables tables[2];
  static bool built = false;
  if (!built) {
    BuildFilterTables(&tables[0], FilterLanczos);
    BuildFilterTables(&tables[1], FilterGaussian);
    built = true;
  }
  return &tables[kind];
}

struct Sample {
  float c[4];
};

// The kernel sample written out tap by tap from the pixel accessors, as the
// general path is described: indices wrapped for non-clamp fetch modes, each
// tap read through the mode's own accessor.
Sample Reference(const ImageRecord* image, int32_t level, float x, float y) {
  const float fx = float(double(x) + 0.5);
  const float fy = float(double(y) + 0.5);
  // The block starts from the floor, the phase in 1/128 pixel held below 128.
  const int32_t ix = int32_t(std::floor(fx)), iy = int32_t(std::floor(fy));
  const int32_t px = std::min(int32_t((fx - float(ix)) * 128.0f), 127);
  const int32_t py = std::min(int32_t((fy - float(iy)) * 128.0f), 127);
  const int32_t maxX = image->levelMaxX[level], maxY = image->levelMaxY[level];
  int32_t xs[5], ys[5];
  const auto prepare = [](int32_t i, int32_t max, bool wrap, int32_t out[5]) {
    if (wrap) i %= max + 1;
    for (int32_t k = 0; k < 5; ++k) out[k] = i - 2 + k;
    if (wrap) {
      if (out[0] < 0) out[0] += max + 1;
      if (out[1] < 0) out[1] += max + 1;
      if (out[3] > max) out[3] -= max + 1;
      if (out[4] > max) out[4] -= max + 1;
    }
  };
  prepare(ix, maxX, image->fetchEdgeMode != FetchClamp, xs);
  prepare(iy, maxY, image->fetchEdgeMode != FetchClamp && image->fetchEdgeMode != FetchWrapX, ys);
  const FilterTables* t = image->filterTables;
  Sample s{};
  if (image->pixelMode == PixelGray8) {
    // Grey reads clamp, whatever the fetch edge mode.
    int64_t sum = 0;
    for (int32_t r = 0; r < 5; ++r) {
      int64_t row = 0;
      for (int32_t c = 0; c < 5; ++c) {
        const uint8_t v = *PixelAddress(image, level, ClampCoord(xs[c], maxX), ClampCoord(ys[r], maxY));
        row += int64_t(v) * t->fixed11[(4 - c) * 128 + px];
      }
      sum += row * t->fixed11[(4 - r) * 128 + py];
    }
    s.c[0] = float(sum) * (1.0f / 4194304.0f);
    return s;
  }
  if (image->pixelMode == PixelRgbaFloat) {
    float sum[4] = {0, 0, 0, 0};
    for (int32_t r = 0; r < 5; ++r) {
      float row[4] = {0, 0, 0, 0};
      for (int32_t c = 0; c < 5; ++c) {
        uint32_t v[4];
        GetPixelRgbaFloatClamped(xs[c], ys[r], image, level, &v[0], &v[1], &v[2], &v[3]);
        for (int k = 0; k < 4; ++k) row[k] += BitsToFloat(v[k]) * t->kernel[(4 - c) * 128 + px];
      }
      for (int k = 0; k < 4; ++k) sum[k] += row[k] * t->kernel[(4 - r) * 128 + py];
    }
    for (int k = 0; k < 4; ++k) s.c[k] = sum[k];
    return s;
  }
  const bool eight = image->pixelMode == PixelRgba8;
  const int32_t* w = eight ? t->fixed11 : t->fixed15;
  int64_t sum[4] = {0, 0, 0, 0};
  for (int32_t r = 0; r < 5; ++r) {
    int64_t row[4] = {0, 0, 0, 0};
    for (int32_t c = 0; c < 5; ++c) {
      uint32_t v[4];
      if (eight) {
        GetPixelRgba8Edge(xs[c], ys[r], image, level, &v[0], &v[1], &v[2], &v[3]);
      } else {
        GetPixelRgba16Clamped(xs[c], ys[r], image, level, &v[0], &v[1], &v[2], &v[3]);
      }
      for (int k = 0; k < 4; ++k) row[k] += int64_t(v[k]) * w[(4 - c) * 128 + px];
    }
    for (int k = 0; k < 4; ++k) sum[k] += (eight ? row[k] : row[k] / 32768) * w[(4 - r) * 128 + py];
  }
  for (int k = 0; k < 4; ++k) s.c[k] = float(sum[k]) * (eight ? 1.0f / 4194304.0f : 1.0f / 32768.0f);
  return s;
}

Sample Kernel(const ImageRecord* image, int32_t level, float x, float y) {
  Sample s{};
  SampleKernelByMode(image, level, x, y, &s.c[0], &s.c[1], &s.c[2], &s.c[3]);
  return s;
}

// Kernel, with the grey layout's own member.
Sample KernelOfLayout(const ImageRecord* image, int32_t level, float x, float y) {
  if (image->pixelMode != PixelGray8) return Kernel(image, level, x, y);
  Sample s{};
  s.c[0] = SampleKernelGray8(image, level, x, y);
  return s;
}

void FillRandom(ImageRecord* image, uint32_t seed) {
  std::mt19937 random(seed);
  for (int32_t level = 0; level <= image->lastLevel; ++level) {
    for (int32_t y = 0; y < image->levelHeight[level]; ++y) {
      for (int32_t x = 0; x < image->levelWidth[level]; ++x) {
        const uint32_t v = random();
        if (image->pixelMode == PixelGray8) {
          PutPixelGray8(x, y, image, level, uint8_t(v));
        } else if (image->pixelMode == PixelRgba8) {
          PutPixelRgba(x, y, image, level, v & 255, (v >> 8) & 255, (v >> 16) & 255, v >> 24);
        } else if (image->pixelMode == PixelRgba16) {
          PutPixelRgba(x, y, image, level, v & 0xffff, v >> 16, (v * 7) & 0x7fff, 32768);
        } else {
          PutPixelRgbaFloat(x, y, image, level, float(v & 1023) / 1023.0f, float(v >> 22) / 1023.0f, -0.25f,
                            float((v >> 10) & 4095));
        }
      }
    }
  }
}

void ExpectSame(const Sample& a, const Sample& b) {
  for (int k = 0; k < 4; ++k) EXPECT_EQ(FloatBits(a.c[k]), FloatBits(b.c[k])) << "channel " << k << ": " << a.c[k] << " vs " << b.c[k];
}

TEST(KernelSampling, MatchesTheTapByTapReferenceEverywhere) {
  // Positions inside tiles (fast path), across both tile seams, at the
  // level's edges (general path), for every mode and fetch edge mode.
  const float xs[] = {0.0f,   0.3f,   1.6f,   2.0f,    100.25f, 507.7f,  509.0f, 510.5f, 511.0f,
                      512.2f, 513.9f, 515.0f, 1023.5f, 1025.0f, 1027.6f, 1028.9f, 1029.4f};
  const float ys[] = {0.0f, 1.1f, 2.5f, 300.0f, 509.4f, 510.0f, 512.6f, 514.5f, 518.8f, 519.4f};
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    ScopedImage image;
    InitImageRecord(image.get(), nullptr, Tables());
    ASSERT_TRUE(CreateImage(image.get(), 1030, 520, mode, 0));
    FillRandom(image.get(), uint32_t(mode));
    for (int32_t fetch : {FetchClamp, FetchWrapXY, FetchWrapX, FetchNoLevels}) {
      image->fetchEdgeMode = fetch;
      for (int32_t level : {0, 1, 2}) {
        const float scale = float(1 << level);
        for (float x : xs) {
          for (float y : ys) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " fetch " << fetch << " level " << level << " at "
                                            << x / scale << "," << y / scale);
            ExpectSame(Kernel(image.get(), level, x / scale, y / scale),
                       Reference(image.get(), level, x / scale, y / scale));
          }
        }
      }
    }
  }
}

// Positions along an axis of `size` pixels whose blocks reach past both
// edges (and, wrapped, far beyond them), lie on each tile seam or next to
// it, and one inside.
std::vector<float> AxisPositions(int32_t size) {
  const float last = float(size - 1);
  std::vector<float> at = {-2.6f, -1.5f, -0.6f, 0.0f,        0.4f,        1.7f,        2.5f,
                           last * 0.5f + 0.3f, last - 2.2f, last - 1.6f, last - 0.4f, last,
                           last + 0.7f, last + 2.9f, float(size) * 3.0f + 1.2f, -float(size) * 2.0f - 0.7f};
  for (int32_t seam = 512; seam < size; seam += 512) {
    for (float d : {-3.5f, -2.6f, -1.5f, -0.4f, 0.0f, 1.3f, 2.2f}) at.push_back(float(seam) + d);
  }
  return at;
}

TEST(KernelSampling, MatchesTheTapByTapReferenceOnOddSizes) {
  // Every level of odd-sized records: blocks across the tile seams of either
  // axis or both, held or wrapped at each edge, on levels down to a pixel
  // wide, for every layout and fetch edge mode.
  struct SizeCase {
    int32_t width, height;
  };
  const SizeCase sizes[] = {{1029, 517}, {517, 1031}, {7, 5}, {3, 2}};
  for (const SizeCase& size : sizes) {
    for (int32_t mode : {PixelGray8, PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
      ScopedImage image;
      InitImageRecord(image.get(), nullptr, Tables(FilterGaussian));
      ASSERT_TRUE(CreateImage(image.get(), size.width, size.height, mode, 0));
      FillRandom(image.get(), uint32_t(size.width + mode));
      for (int32_t fetch : {FetchClamp, FetchWrapXY, FetchWrapX, FetchNoLevels}) {
        image->fetchEdgeMode = fetch;
        for (int32_t level = 0; level <= image->lastLevel; ++level) {
          for (float x : AxisPositions(image->levelWidth[level])) {
            for (float y : AxisPositions(image->levelHeight[level])) {
              const Sample got = KernelOfLayout(image.get(), level, x, y);
              const Sample want = Reference(image.get(), level, x, y);
              for (int k = 0; k < 4; ++k) {
                ASSERT_EQ(FloatBits(got.c[k]), FloatBits(want.c[k]))
                    << size.width << "x" << size.height << " mode " << mode << " fetch " << fetch << " level "
                    << level << " at " << x << "," << y << " channel " << k;
              }
            }
          }
        }
      }
    }
  }
}

TEST(KernelSampling, SeamCrossingEqualsTheSameBlockInsideOneTile) {
  // The same pixels sampled across the 512 seam of one image and inside a
  // tile of a copy shifted by 100 columns give the same value.
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    ScopedImage seam, shifted;
    InitImageRecord(seam.get(), nullptr, Tables(FilterGaussian));
    InitImageRecord(shifted.get(), nullptr, Tables(FilterGaussian));
    ASSERT_TRUE(CreateImage(seam.get(), 700, 700, mode, 0));
    ASSERT_TRUE(CreateImage(shifted.get(), 700, 700, mode, 0));
    FillRandom(seam.get(), 11);
    for (int32_t y = 0; y < 700; ++y) {
      for (int32_t x = 100; x < 700; ++x) {
        uint32_t c[4];
        GetPixelRgba(x, y, seam.get(), 0, &c[0], &c[1], &c[2], &c[3]);
        PutPixelRgba(x - 100, y, shifted.get(), 0, c[0], c[1], c[2], c[3]);
      }
    }
    for (float x : {509.0f, 510.3f, 511.5f, 512.0f, 513.7f}) {
      for (float y : {100.5f, 509.2f, 511.0f, 512.9f}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << " at " << x << "," << y);
        ExpectSame(Kernel(seam.get(), 0, x, y), Kernel(shifted.get(), 0, x - 100.0f, y));
      }
    }
  }
}

// The 8-bit sum is worked out in 32-bit integers: for every phase pair of
// both filters, the blocks that drive it furthest up and down (255 where the
// weight product is positive, 0 elsewhere, and the reverse) and random blocks
// give the exact sum on both roads, bit for bit.
TEST(KernelSampling, EightBitBlockSumsAreExactForEveryPhasePair) {
  std::mt19937 random(7);
  for (int32_t kind : {FilterLanczos, FilterGaussian}) {
    const FilterTables* t = Tables(kind);
    int64_t widest = 0;  // the largest absolute weight sum of a phase
    for (int32_t p = 0; p < 128; ++p) {
      int64_t sum = 0;
      for (int32_t k = 0; k < 5; ++k) sum += std::abs(t->fixed11[k * 128 + p]);
      widest = std::max(widest, sum);
    }
    EXPECT_LT(255 * widest * widest, int64_t(1) << 31) << "filter " << kind;
    for (int32_t py = 0; py < 128; ++py) {
      for (int32_t px = 0; px < 128; ++px) {
        uint8_t blocks[3][5][5][4];
        for (int32_t r = 0; r < 5; ++r) {
          for (int32_t c = 0; c < 5; ++c) {
            const int64_t w = int64_t(t->fixed11[(4 - c) * 128 + px]) * t->fixed11[(4 - r) * 128 + py];
            for (int32_t k = 0; k < 4; ++k) {
              blocks[0][r][c][k] = w > 0 ? 255 : 0;
              blocks[1][r][c][k] = w < 0 ? 255 : 0;
              blocks[2][r][c][k] = uint8_t(random());
            }
          }
        }
        for (const auto& block : blocks) {
          int64_t exact[4] = {0, 0, 0, 0};
          for (int32_t r = 0; r < 5; ++r) {
            for (int32_t c = 0; c < 5; ++c) {
              const int64_t w = int64_t(t->fixed11[(4 - c) * 128 + px]) * t->fixed11[(4 - r) * 128 + py];
              for (int32_t k = 0; k < 4; ++k) exact[3 - k] += w * block[r][c][k];  // bytes a, b, g, r
            }
          }
          float fast[4], portable[4];
          SumKernelBlockRgba8(&block[0][0][0], 20, t, px, py, false, fast);
          SumKernelBlockRgba8(&block[0][0][0], 20, t, px, py, true, portable);
          for (int32_t k = 0; k < 4; ++k) {
            const float want = float(exact[k]) * (1.0f / 4194304.0f);
            ASSERT_EQ(FloatBits(fast[k]), FloatBits(want)) << "filter " << kind << " phases " << px << "," << py;
            ASSERT_EQ(FloatBits(portable[k]), FloatBits(want)) << "filter " << kind << " phases " << px << "," << py;
          }
        }
      }
    }
  }
}

TEST(KernelSampling, ConstantImagesReproduceTheirValue) {
  struct ConstantCase {
    int32_t mode;
    uint32_t raw;
    float want;
  };
  const ConstantCase cases[] = {{PixelRgba8, 200, 200.0f}, {PixelRgba16, 32768, 32768.0f}, {PixelRgba16, 65535, 65535.0f}};
  for (int32_t kind : {FilterLanczos, FilterGaussian}) {
    for (const ConstantCase& c : cases) {
      ScopedImage image;
      InitImageRecord(image.get(), nullptr, Tables(kind));
      ASSERT_TRUE(CreateImage(image.get(), 600, 40, c.mode, FetchWrapXY));
      for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 600; ++x) PutPixelRgba(x, y, image.get(), 0, c.raw, c.raw, c.raw, c.raw);
      }
      for (float x : {0.0f, 3.3f, 255.5f, 510.0f, 599.0f}) {
        for (float y : {0.0f, 20.7f, 39.5f}) {
          const Sample s = Kernel(image.get(), 0, x, y);
          for (float v : s.c) EXPECT_EQ(v, c.want) << "mode " << c.mode << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(KernelSampling, TapGeometry) {
  ScopedImage image;
  InitImageRecord(image.get(), nullptr, Tables());
  ASSERT_TRUE(CreateImage(image.get(), 40, 10, PixelRgba8, FetchClamp));
  // Only column 1 is lit: at x = 3.0 (ix 3, phase 64) it is the pixel of tap 4.
  for (int32_t y = 0; y < 10; ++y) PutPixelRgba(1, y, image.get(), 0, 100, 0, 0, 0);
  Sample s = Kernel(image.get(), 0, 3.0f, 5.0f);
  EXPECT_EQ(s.c[0], 100.0f * float(Tables()->fixed11[4 * 128 + 64]) * 2048.0f / 4194304.0f);
  EXPECT_EQ(s.c[0], 100.0f * -15.0f / 2048.0f);
  // Lit last column: a sample at ix = 0, phase 0 reads columns maxX - 1,
  // maxX, 0, 1, 2 with FetchWrapXY, and 0, 0, 0, 1, 2 with FetchClamp.
  for (int32_t y = 0; y < 10; ++y) {
    PutPixelRgba(1, y, image.get(), 0, 0, 0, 0, 0);
    PutPixelRgba(39, y, image.get(), 0, 100, 0, 0, 0);
  }
  s = Kernel(image.get(), 0, -0.5f, 5.0f);
  EXPECT_EQ(s.c[0], 0.0f);
  image->fetchEdgeMode = FetchWrapXY;
  s = Kernel(image.get(), 0, -0.5f, 5.0f);
  EXPECT_EQ(s.c[0], 100.0f * 1018.0f / 2048.0f);  // tap 3 of phase 0
}

TEST(KernelSampling, WildCoordinatesStayInsideTheRecord) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float wild[] = {nan, inf, -inf, 1e30f, -1e30f, 3e9f, -3e9f, -3.7f, -0.6f, 1e7f};
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    for (int32_t fetch : {FetchClamp, FetchWrapXY, FetchWrapX}) {
      ScopedImage image;
      InitImageRecord(image.get(), nullptr, Tables());
      ASSERT_TRUE(CreateImage(image.get(), 3, 600, mode, fetch));
      FillRandom(image.get(), 5);
      for (float x : wild) {
        for (float y : wild) {
          for (int32_t level : {0, image->lastLevel}) {
            const Sample s = Kernel(image.get(), level, x, y);
            for (float v : s.c) EXPECT_TRUE(std::isfinite(v));
          }
        }
      }
    }
  }
  int32_t index, phase;
  KernelTapPosition(-0.6f, &index, &phase);  // below -0.5 the phase is taken from the floor
  EXPECT_EQ(index, -1);
  EXPECT_GE(phase, 0);
  EXPECT_LE(phase, 127);
  KernelTapPosition(-1e-9f, &index, &phase);
  EXPECT_EQ(index, 0);
  KernelTapPosition(-0.5000001f, &index, &phase);
  EXPECT_LE(phase, 127);
}

TEST(KernelSampling, RecordsWithoutTablesOrPixelsSampleZero) {
  ScopedImage noTables;
  ASSERT_TRUE(CreateImage(noTables.get(), 8, 8, PixelRgba8, 0));
  EXPECT_EQ(Kernel(noTables.get(), 0, 3, 3).c[0], 0.0f);
  ScopedImage noPixels;
  InitImageRecord(noPixels.get(), nullptr, Tables());
  EXPECT_EQ(Kernel(noPixels.get(), 0, 3, 3).c[3], 0.0f);
  EXPECT_EQ(SampleKernelGray8(noPixels.get(), 0, 1, 1), 0.0f);
  ScopedImage gray;
  InitImageRecord(gray.get(), nullptr, Tables());
  ASSERT_TRUE(CreateImage(gray.get(), 8, 8, PixelGray8, 0));
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) PutPixelGray8(x, y, gray.get(), 0, 77);
  }
  EXPECT_EQ(SampleKernelGray8(gray.get(), 0, 3.2f, 4.9f), 77.0f);
  EXPECT_EQ(SampleKernelGray8(gray.get(), 3, 0.2f, 0.9f), 0.0f);  // level 3 was never written: zero pixels
  EXPECT_EQ(Kernel(gray.get(), 0, 3, 3).c[0], 0.0f);              // not an RGBA record
}

}  // namespace
