#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>

#include "image/float_convert.h"
#include "image/level_building.h"
#include "image/pixel_access.h"
#include "image_test_util.h"

namespace {

constexpr int32_t kWeights[6][6] = {{0, 1, 4, 4, 1, 0},       {1, 16, 64, 64, 16, 1}, {4, 64, 256, 256, 64, 4},
                                    {4, 64, 256, 256, 64, 4}, {1, 16, 64, 64, 16, 1}, {0, 1, 4, 4, 1, 0}};

// Raw channel values of a pixel, read the plain way: 8-bit RGBA through the
// fetch-edge accessor, every other layout straight from memory at clamped
// coordinates.
void ReadRaw(const ImageRecord* image, int32_t level, int32_t x, int32_t y, double v[4]) {
  if (image->pixelMode == PixelRgba8) {
    uint32_t c[4];
    GetPixelRgba8Edge(x, y, image, level, &c[0], &c[1], &c[2], &c[3]);
    for (int k = 0; k < 4; ++k) v[k] = c[k];
    return;
  }
  const uint8_t* p =
      PixelAddress(image, level, std::clamp(x, 0, image->levelMaxX[level]), std::clamp(y, 0, image->levelMaxY[level]));
  switch (image->pixelMode) {
    case PixelGray8:
      v[0] = p[0];
      break;
    case PixelGray16: {
      uint16_t u;
      std::memcpy(&u, p, 2);
      v[0] = u;
      break;
    }
    case PixelRgba16: {
      uint16_t u[4];
      std::memcpy(u, p, 8);
      for (int k = 0; k < 4; ++k) v[k] = u[k];
      break;
    }
    case PixelRgb16: {
      int16_t s[3];
      std::memcpy(s, p, 6);
      for (int k = 0; k < 3; ++k) v[k] = s[k];
      break;
    }
    case PixelGrayFloat: {
      float f;
      std::memcpy(&f, p, 4);
      v[0] = f;
      break;
    }
    default: {
      float f[4];
      std::memcpy(f, p, 16);
      for (int k = 0; k < 4; ++k) v[k] = f[k];
    }
  }
}

// The expected bytes of pixel (x, y) of level L + 1, written straight from
// the kernel's description.
std::array<uint8_t, 16> ReferencePixel(const ImageRecord* image, int32_t L, int32_t x, int32_t y) {
  const int32_t mode = image->pixelMode;
  const int32_t channels = int32_t(image->channelCount);
  std::array<uint8_t, 16> out{};
  if (mode == PixelRgb16) {
    int32_t sum[3] = {0, 0, 0};
    for (int32_t dy = 0; dy < 2; ++dy) {
      for (int32_t dx = 0; dx < 2; ++dx) {
        double v[4];
        ReadRaw(image, L, 2 * x + dx, 2 * y + dy, v);
        for (int k = 0; k < 3; ++k) sum[k] += int32_t(v[k]);
      }
    }
    const int16_t s[3] = {int16_t(std::clamp(sum[0] / 2, -32767, 32767)), int16_t(std::clamp(sum[1] / 2, -32767, 32767)),
                          int16_t(std::clamp(sum[2] / 4, -32767, 32767))};
    std::memcpy(out.data(), s, 6);
    return out;
  }
  const bool isFloat = mode == PixelRgbaFloat || mode == PixelGrayFloat;
  const float normaliser = 1.0f / 1640.0f;
  int32_t isum[4] = {0, 0, 0, 0};
  float fsum[4] = {0, 0, 0, 0};
  for (int32_t dy = -2; dy <= 3; ++dy) {
    for (int32_t dx = -2; dx <= 3; ++dx) {
      const int32_t w = kWeights[dy + 2][dx + 2];
      if (w == 0) continue;
      double v[4];
      ReadRaw(image, L, 2 * x + dx, 2 * y + dy, v);
      for (int32_t k = 0; k < channels; ++k) {
        if (isFloat) {
          fsum[k] += float(w) * float(v[k]);
        } else {
          isum[k] += w * int32_t(v[k]);
        }
      }
    }
  }
  for (int32_t k = 0; k < channels; ++k) {
    if (isFloat) {
      const float f = std::clamp(fsum[k] * normaliser, 0.0f, 65535.0f);
      std::memcpy(out.data() + 4 * k, &f, 4);
    } else {
      const float product = float(isum[k]) * normaliser;
      if (mode == PixelGray8 || mode == PixelRgba8) {
        const uint8_t b = uint8_t(int32_t(std::min(product, 255.0f)));
        if (mode == PixelGray8) {
          out[0] = b;
        } else {
          out[size_t(3 - k)] = b;  // the word keeps red in its top byte
        }
      } else {
        int32_t t = mode == PixelRgba16 ? int32_t(std::min(product, 32768.0f)) : std::clamp(int32_t(product), 0, 32768);
        const uint16_t u = uint16_t(t);
        std::memcpy(out.data() + 2 * k, &u, 2);
      }
    }
  }
  return out;
}

void FillLevel0(ImageRecord* image, uint32_t seed) {
  std::mt19937 random(seed);
  const uint32_t bpp = image->bytesPerPixel;
  for (int32_t y = 0; y < image->levelHeight[0]; ++y) {
    for (int32_t x = 0; x < image->levelWidth[0]; ++x) {
      uint8_t* p = PixelAddress(image, 0, x, y);
      if (image->pixelMode == PixelRgbaFloat || image->pixelMode == PixelGrayFloat) {
        for (uint32_t k = 0; k < bpp / 4; ++k) {
          // Mostly 0..1, some negative and some beyond the 65535 limit.
          const uint32_t r = random();
          const float f = r % 50 == 0 ? -float(r % 7) : (r % 53 == 0 ? 70000.0f : float(r & 0xffff) / 65535.0f);
          std::memcpy(p + 4 * k, &f, 4);
        }
      } else if (image->pixelMode == PixelRgba16 || image->pixelMode == PixelGray16) {
        for (uint32_t k = 0; k < bpp / 2; ++k) {
          const uint16_t u = uint16_t(random() % 65536);
          std::memcpy(p + 2 * k, &u, 2);
        }
      } else {
        for (uint32_t k = 0; k < bpp; ++k) p[k] = uint8_t(random());
      }
    }
  }
}

void ExpectLevelsMatchReference(const ImageRecord* image) {
  for (int32_t L = 0; L < image->lastLevel; ++L) {
    for (int32_t y = 0; y < image->levelHeight[L + 1]; ++y) {
      for (int32_t x = 0; x < image->levelWidth[L + 1]; ++x) {
        const std::array<uint8_t, 16> want = ReferencePixel(image, L, x, y);
        ASSERT_EQ(std::memcmp(PixelAddress(image, L + 1, x, y), want.data(), image->bytesPerPixel), 0)
            << "mode " << image->pixelMode << " fetch " << image->fetchEdgeMode << " level " << L + 1 << " at " << x
            << "," << y;
      }
    }
  }
}

TEST(LevelBuilding, EveryMemberAndFetchModeMatchesThePlainKernel) {
  // 530 x 520 puts tile seams inside level 0 in both directions; 1037 x 3
  // a seam inside level 1 and, with the odd sizes, rows whose value counts
  // leave every remainder of the vector steps.
  const std::pair<int32_t, int32_t> sizes[] = {{530, 520}, {101, 7}, {8, 1}, {1, 1}, {3, 50}, {1037, 3}, {45, 2}};
  for (int32_t mode : {PixelGray8, PixelGray16, PixelRgba8, PixelRgba16, PixelRgbaFloat, PixelGrayFloat, PixelRgb16}) {
    for (int32_t fetch : {FetchClamp, FetchWrapXY, FetchWrapX}) {
      // Only the 8-bit RGBA member follows the fetch edge mode; the others
      // are checked to clamp under one wrapping mode.
      if (mode != PixelRgba8 && fetch == FetchWrapX) continue;
      for (const auto& [w, h] : sizes) {
        ScopedImage image;
        ASSERT_TRUE(CreateImage(image.get(), w, h, mode, fetch));
        FillLevel0(image.get(), uint32_t(mode * 31 + fetch + w));
        BuildAllLevels(image.get());
        EXPECT_EQ(image->buildState, LevelsBuilt);
        ExpectLevelsMatchReference(image.get());
      }
    }
  }
}

TEST(LevelBuilding, ConstantImagesReproduceThemselvesAtEveryLevel) {
  struct ConstantCase {
    int32_t mode;
    uint32_t r, g, b, a;
  };
  const ConstantCase cases[] = {{PixelRgba8, 255, 163, 1, 0},
                                {PixelRgba16, 32768, 20000, 1, 0},
                                {PixelRgbaFloat, FloatBits(0.3f), FloatBits(1.0f), FloatBits(123.5f), FloatBits(0.0f)}};
  for (const ConstantCase& c : cases) {
    for (int32_t fetch : {FetchClamp, FetchWrapXY}) {
      ScopedImage image;
      ASSERT_TRUE(CreateImage(image.get(), 777, 555, c.mode, fetch));
      for (int32_t y = 0; y < 555; ++y) {
        for (int32_t x = 0; x < 777; ++x) PutPixelRgba(x, y, image.get(), 0, c.r, c.g, c.b, c.a);
      }
      BuildAllLevels(image.get());
      for (int32_t level = 1; level <= image->lastLevel; ++level) {
        for (int32_t y = 0; y < image->levelHeight[level]; y += 3) {
          for (int32_t x = 0; x < image->levelWidth[level]; x += 3) {
            uint32_t v[4];
            GetPixelRgba(x, y, image.get(), level, &v[0], &v[1], &v[2], &v[3]);
            if (c.mode == PixelRgbaFloat) {
              // 1640 p / 1640 in single precision: within a unit in the last place.
              EXPECT_NEAR(BitsToFloat(v[0]), 0.3f, 1e-7f);
              EXPECT_NEAR(BitsToFloat(v[2]), 123.5f, 2e-5f);
              EXPECT_EQ(BitsToFloat(v[3]), 0.0f);
            } else {
              ASSERT_EQ(v[0], c.r) << "mode " << c.mode << " level " << level;
              ASSERT_EQ(v[1], c.g);
              ASSERT_EQ(v[2], c.b);
              ASSERT_EQ(v[3], c.a);
            }
          }
        }
      }
    }
  }
}

// A band scheduler that cuts every job into uneven bands, in a scrambled
// order, and runs each through RunPyramidJob.
struct BandLog {
  int32_t jobs = 0;
  int32_t lastLevel = -1;
  bool inOrder = true;
};

void CutIntoBands(void* context, const Rect* rect, int32_t jobCode, void* jobArgs) {
  auto* log = static_cast<BandLog*>(context);
  const auto* args = static_cast<LevelBuildArgs*>(jobArgs);
  ++log->jobs;
  if (jobCode != JobBuildLevel || args->sourceLevel != log->lastLevel + 1) log->inOrder = false;
  log->lastLevel = args->sourceLevel;
  const int32_t cutsX[] = {rect->left, rect->left + (rect->right - rect->left) / 3, rect->right};
  const int32_t cutsY[] = {rect->top, rect->top + 1 + (rect->bottom - rect->top) / 2, rect->bottom + 5};
  for (int32_t j = 1; j >= 0; --j) {
    for (int32_t i = 1; i >= 0; --i) {
      Rect band{int16_t(cutsY[j]), int16_t(cutsX[i] - 1), int16_t(cutsY[j + 1]), int16_t(cutsX[i + 1])};
      EXPECT_TRUE(RunPyramidJob(&band, jobCode, jobArgs));
    }
  }
}

TEST(LevelBuilding, BandsThroughTheOwnersSchedulerGiveTheSameLevels) {
  struct BandCase {
    int32_t mode, width, height;
  };
  // 1100 wide: a band of level 1 starts at column 182 and crosses the tile
  // seam at 512 inside one of its chunks.
  const BandCase cases[] = {{PixelRgba8, 900, 600},  {PixelRgba16, 900, 600},  {PixelRgbaFloat, 900, 600},
                            {PixelRgba8, 1100, 24},  {PixelRgba16, 1100, 24},  {PixelGray8, 1100, 24},
                            {PixelGray16, 1100, 24}, {PixelGrayFloat, 1100, 24}};
  for (const BandCase& c : cases) {
    BandLog log;
    ImageOwner owner;
    owner.runLevelBands = CutIntoBands;
    owner.bandContext = &log;
    ScopedImage banded(&owner), direct;
    ASSERT_TRUE(CreateImage(banded.get(), c.width, c.height, c.mode, FetchWrapX));
    ASSERT_TRUE(CreateImage(direct.get(), c.width, c.height, c.mode, FetchWrapX));
    FillLevel0(banded.get(), 3);
    FillLevel0(direct.get(), 3);
    BuildAllLevels(banded.get());
    BuildAllLevels(direct.get());
    EXPECT_EQ(log.jobs, banded->lastLevel);
    EXPECT_TRUE(log.inOrder);
    for (int32_t t = banded->firstTile[1]; t <= banded->lastTile[banded->lastLevel]; ++t) {
      const ImageTile& a = banded->tiles[t];
      ASSERT_EQ(std::memcmp(a.pixels, direct->tiles[t].pixels, size_t(a.width) * a.height * banded->bytesPerPixel), 0)
          << "mode " << c.mode << " width " << c.width << " tile " << t;
    }
    if (c.height < 100) ExpectLevelsMatchReference(banded.get());
  }
}

TEST(LevelBuilding, ReduceLevelRectClampsTheRectangleInPlace) {
  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 100, 51, PixelRgba8, 0));
  ASSERT_EQ(image->levelWidth[1], 50);
  ASSERT_EQ(image->levelHeight[1], 26);
  Rect rect{0, 0, 100, 100};
  ReduceLevelRect(image.get(), 0, &rect);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.bottom, 26);
  EXPECT_EQ(rect.right, 50);
  rect = Rect{-4, -3, 10, 10};
  ReduceLevelRect(image.get(), 0, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  rect = Rect{0, 0, 100, 100};
  ReduceLevelRect(image.get(), image->lastLevel, &rect);  // no level above the last: untouched
  EXPECT_EQ(rect.bottom, 100);
  EXPECT_EQ(rect.right, 100);
}

TEST(LevelBuilding, JobCodesAndFetchNoLevels) {
  Rect rect{0, 0, 1, 1};
  EXPECT_FALSE(RunPyramidJob(&rect, 0, nullptr));
  EXPECT_FALSE(RunPyramidJob(&rect, 1, nullptr));
  EXPECT_TRUE(RunPyramidJob(&rect, JobBuildLevel, nullptr));
  EXPECT_TRUE(RunPyramidJob(&rect, JobRefreshLevel, nullptr));

  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 64, 64, PixelRgba8, FetchNoLevels));
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 64; ++x) PutPixelRgba(x, y, image.get(), 0, 9, 9, 9, 9);
  }
  PutPixelRgba(0, 0, image.get(), 1, 1, 2, 3, 4);
  BuildAllLevels(image.get());
  EXPECT_EQ(image->buildState, LevelsNotBuilt);
  uint32_t c[4];
  GetPixelRgba(0, 0, image.get(), 1, &c[0], &c[1], &c[2], &c[3]);
  EXPECT_EQ(c[0], 1u);
  // Building from a level at or past the last only marks the record.
  BuildLevelsFrom(image.get(), image->lastLevel);
  EXPECT_EQ(image->buildState, LevelsBuilt);
  ScopedImage empty;
  BuildAllLevels(empty.get());  // no pixels: nothing to read
  BuildAllLevels(nullptr);
}

TEST(LevelBuilding, OneRowLevelUsesTheColumnSums) {
  // An 8 x 1 level: all six kernel rows read row 0, so the column weights
  // are 10, 162, 648, 648, 162, 10.
  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 8, 1, PixelRgba16, 0));
  const uint16_t values[8] = {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
  for (int32_t x = 0; x < 8; ++x) PutPixelRgba(x, 0, image.get(), 0, values[x], 0, 0, 0);
  BuildAllLevels(image.get());
  const int32_t columnWeights[6] = {10, 162, 648, 648, 162, 10};
  for (int32_t x = 0; x < 4; ++x) {
    int32_t sum = 0;
    for (int32_t dx = -2; dx <= 3; ++dx) sum += columnWeights[dx + 2] * values[std::clamp(2 * x + dx, 0, 7)];
    uint32_t c[4];
    GetPixelRgba(x, 0, image.get(), 1, &c[0], &c[1], &c[2], &c[3]);
    EXPECT_EQ(c[0], uint32_t(float(sum) * (1.0f / 1640.0f))) << x;
  }
}

}  // namespace
