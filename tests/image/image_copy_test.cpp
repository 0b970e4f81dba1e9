#include <gtest/gtest.h>

#include <algorithm>

#include "image/float_convert.h"
#include "image/image_copy.h"
#include "image/pixel_access.h"
#include "image_test_util.h"

namespace {

struct Rgba {
  uint32_t r, g, b, a;
  bool operator==(const Rgba&) const = default;
};

Rgba Read(const ImageRecord* image, int32_t level, int32_t x, int32_t y) {
  Rgba v{};
  GetPixelRgba(x, y, image, level, &v.r, &v.g, &v.b, &v.a);
  return v;
}

void FillLevels(ImageRecord* image) {
  for (int32_t level = 0; level <= image->lastLevel; ++level) {
    for (int32_t y = 0; y < image->levelHeight[level]; ++y) {
      for (int32_t x = 0; x < image->levelWidth[level]; ++x) {
        PutPixelRgba(x, y, image, level, uint32_t(x), uint32_t(y), uint32_t(level), 200);
      }
    }
  }
}

TEST(ImageCopy, TileCopyNeedsTheSameGeometry) {
  ScopedImage source, twin, otherMode, otherSize;
  ASSERT_TRUE(CreateImage(source.get(), 600, 520, PixelRgba16, 0));
  ASSERT_TRUE(CreateImage(twin.get(), 600, 520, PixelRgba16, 0));
  ASSERT_TRUE(CreateImage(otherMode.get(), 600, 520, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(otherSize.get(), 520, 600, PixelRgba16, 0));
  FillLevels(source.get());
  source->buildState = LevelsBuilt;

  CopyImageTiles(source.get(), otherMode.get());
  EXPECT_EQ(otherMode->buildState, LevelsNotBuilt);
  CopyImageTiles(source.get(), otherSize.get());
  EXPECT_EQ(otherSize->buildState, LevelsNotBuilt);
  ScopedImage empty;
  CopyImageTiles(source.get(), empty.get());
  CopyImageTiles(empty.get(), twin.get());
  EXPECT_EQ(twin->buildState, LevelsNotBuilt);

  CopyImageTiles(source.get(), twin.get());
  EXPECT_EQ(twin->buildState, LevelsBuilt);
  for (int32_t level = 0; level <= source->lastLevel; ++level) {
    for (int32_t y = 0; y < source->levelHeight[level]; y += 7) {
      for (int32_t x = 0; x < source->levelWidth[level]; x += 5) {
        ASSERT_EQ(Read(twin.get(), level, x, y), Read(source.get(), level, x, y)) << level << ":" << x << "," << y;
      }
    }
  }
}

TEST(ImageCopy, LevelCopyNeedsTheSameModeAndCopiesTheOverlap) {
  ScopedImage source, destination, otherMode;
  ASSERT_TRUE(CreateImage(source.get(), 40, 30, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(destination.get(), 20, 50, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(otherMode.get(), 40, 30, PixelRgbaFloat, 0));
  FillLevels(source.get());
  CopyImageLevel(source.get(), destination.get(), 0, 0);
  EXPECT_EQ(Read(destination.get(), 0, 19, 29), Rgba({19, 29, 0, 200}));
  EXPECT_EQ(Read(destination.get(), 0, 0, 0), Rgba({0, 0, 0, 200}));
  CopyImageLevel(source.get(), destination.get(), 1, 2);  // 20 x 16 onto 6 x 14
  EXPECT_EQ(Read(destination.get(), 2, 5, 13), Rgba({5, 13, 1, 200}));
  CopyImageLevel(source.get(), otherMode.get(), 0, 0);
  EXPECT_EQ(Read(otherMode.get(), 0, 5, 5), Rgba({0, 0, 0, 0}));
  CopyImageLevel(source.get(), destination.get(), 0, destination->lastLevel + 1);  // no such level: nothing
}

TEST(ImageCopy, RectCopyOffsetsAndDrops) {
  ScopedImage source, destination;
  ASSERT_TRUE(CreateImage(source.get(), 64, 64, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(destination.get(), 64, 64, PixelRgba16, 0));
  FillLevels(source.get());
  const Rect rect{4, 20, 14, 40};  // top, left, bottom, right
  CopyImageRect(source.get(), &rect, destination.get(), -10, 50, 0);
  // 8-bit values reach the 16-bit record scaled through the float accessors.
  const auto to16 = [](uint32_t v) { return uint32_t(float(v) * (1.0f / 255.0f) * 32768.0f); };
  // Destination columns -10..9: the first ten are dropped; the rest land at 0..9.
  EXPECT_EQ(Read(destination.get(), 0, 0, 50), Rgba({to16(30), to16(4), 0, to16(200)}));
  EXPECT_EQ(Read(destination.get(), 0, 9, 59), Rgba({to16(39), to16(13), 0, to16(200)}));
  EXPECT_EQ(Read(destination.get(), 0, 10, 50), Rgba({0, 0, 0, 0}));
  EXPECT_EQ(Read(destination.get(), 0, 0, 49), Rgba({0, 0, 0, 0}));
  CopyImageRect(source.get(), &rect, destination.get(), INT32_MAX - 5, INT32_MIN + 3, 0);  // far outside: nothing
  EXPECT_EQ(Read(destination.get(), 0, 63, 0), Rgba({0, 0, 0, 0}));
  const Rect empty{5, 5, 5, 9};
  CopyImageRect(source.get(), &empty, destination.get(), 0, 0, 0);
  EXPECT_EQ(Read(destination.get(), 0, 0, 0), Rgba({0, 0, 0, 0}));
}

TEST(ImageCopy, TestPatternByMode) {
  ScopedImage rgba8, rgba16, rgbaf;
  ASSERT_TRUE(CreateImage(rgba8.get(), 300, 300, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(rgba16.get(), 300, 300, PixelRgba16, 0));
  ASSERT_TRUE(CreateImage(rgbaf.get(), 300, 300, PixelRgbaFloat, 0));
  FillTestPattern(rgba8.get());
  FillTestPattern(rgba16.get());
  FillTestPattern(rgbaf.get());
  EXPECT_EQ(Read(rgba8.get(), 0, 0, 0), Rgba({0, 85, 170, 255}));
  EXPECT_EQ(Read(rgba8.get(), 0, 1, 2), Rgba({3, 88, 173, 255}));
  EXPECT_EQ(Read(rgba8.get(), 0, 299, 1), Rgba({(299 ^ 1) & 255, ((299 ^ 1) + 85) & 255, ((299 ^ 1) - 86) & 255, 255}));
  EXPECT_EQ(Read(rgba16.get(), 0, 1, 2), Rgba({3 * 128, 88 * 128, 173 * 128, 32640}));
  EXPECT_EQ(Read(rgbaf.get(), 0, 1, 2),
            Rgba({FloatBits(3.0f / 255.0f), FloatBits(88.0f / 255.0f), FloatBits(173.0f / 255.0f),
                  FloatBits(173.0f / 255.0f)}));
  ScopedImage gray;
  ASSERT_TRUE(CreateImage(gray.get(), 4, 4, PixelGray8, 0));
  PutPixelGray8(0, 0, gray.get(), 0, 9);
  FillTestPattern(gray.get());  // not an RGBA record: untouched
  EXPECT_EQ(*static_cast<uint8_t*>(gray->tiles[0].pixels), 9);
}

}  // namespace

#include "image/area_sampling.h"
#include "image/filter_tables.h"
#include "image/level_building.h"

namespace {

const FilterTables* CopyTables() {
  static FilterTables tables;
  static bool built = false;
  if (!built) BuildLanczosFilterTable(&tables), built = true;
  return &tables;
}

void FillSmooth(ImageRecord* image, uint32_t alpha) {
  for (int32_t y = 0; y < image->levelHeight[0]; ++y) {
    for (int32_t x = 0; x < image->levelWidth[0]; ++x) {
      PutPixelRgba(x, y, image, 0, uint32_t(x % 200), uint32_t(y % 150), uint32_t((x * y) % 256), alpha);
    }
  }
}

TEST(ImageScaling, ReductionSamplesBetweenLevels) {
  ScopedImage source, destination;
  InitImageRecord(source.get(), nullptr, CopyTables());
  ASSERT_TRUE(CreateImage(source.get(), 256, 256, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(destination.get(), 64, 64, PixelRgba8, 0));
  FillSmooth(source.get(), 0);  // transparent source
  BuildAllLevels(source.get());
  CopyImageScaled(source.get(), destination.get());
  // A reduction by 4 samples level 1.5; every pixel is opaque.
  for (int32_t j = 0; j < 64; j += 9) {
    for (int32_t i = 0; i < 64; i += 7) {
      float c[4];
      SampleTrilinearScaled(source.get(), 1, 0.5f, float(2 * i + 1) / 128.0f, float(2 * j + 1) / 128.0f, c);
      const auto byte = [](float f) { return uint32_t(std::clamp(int32_t(f * 255.0f), 0, 255)); };
      EXPECT_EQ(Read(destination.get(), 0, i, j), Rgba({byte(c[0]), byte(c[1]), byte(c[2]), 255})) << i << "," << j;
    }
  }
  EXPECT_EQ(destination->buildState, LevelsBuilt);
}

TEST(ImageScaling, EnlargementSamplesLevelZero) {
  ScopedImage source, destination;
  InitImageRecord(source.get(), nullptr, CopyTables());
  ASSERT_TRUE(CreateImage(source.get(), 100, 100, PixelRgba16, 0));
  ASSERT_TRUE(CreateImage(destination.get(), 300, 200, PixelRgba8, 0));
  FillSmooth(source.get(), 32768);
  BuildAllLevels(source.get());
  const Rect sourceRect{0, 0, 100, 100};
  const Rect destinationRect{0, 0, 200, 300};
  DownsampleImageTrilinear(source.get(), destination.get(), &sourceRect, &destinationRect, 0.5f);
  float c[4];
  SampleTrilinearScaled(source.get(), 0, 0.0f, 21.0f / 600.0f, 41.0f / 400.0f, c);
  EXPECT_EQ(Read(destination.get(), 0, 10, 20).r, uint32_t(std::clamp(int32_t(c[0] * 255.0f), 0, 255)));
}

TEST(ImageScaling, EmptyDestinationRectDoesNothing) {
  ScopedImage source, destination;
  InitImageRecord(source.get(), nullptr, CopyTables());
  ASSERT_TRUE(CreateImage(source.get(), 32, 32, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(destination.get(), 8, 8, PixelRgba8, 0));
  PutPixelRgba(0, 0, destination.get(), 0, 1, 2, 3, 4);
  const Rect sourceRect{0, 0, 32, 32};
  for (const Rect& empty : {Rect{0, 0, 8, 0}, Rect{0, 0, 0, 8}, Rect{5, 5, 2, 2}}) {
    DownsampleImageTrilinear(source.get(), destination.get(), &sourceRect, &empty, 0.5f);
    EXPECT_EQ(Read(destination.get(), 0, 0, 0), Rgba({1, 2, 3, 4}));
    EXPECT_EQ(destination->buildState, LevelsNotBuilt);
  }
  DownsampleImageTrilinear(nullptr, destination.get(), &sourceRect, &sourceRect, 0.5f);
}

TEST(ImageScaling, SameSizeCopiesExactlyAndRebuildsLevels) {
  for (int32_t mode : {PixelRgba8, PixelRgba16}) {
    ScopedImage source, destination, otherMode;
    ASSERT_TRUE(CreateImage(source.get(), 90, 60, mode, 0));
    ASSERT_TRUE(CreateImage(destination.get(), 90, 60, mode, 0));
    ASSERT_TRUE(CreateImage(otherMode.get(), 90, 60, mode == PixelRgba8 ? PixelRgba16 : PixelRgba8, 0));
    for (int32_t y = 0; y < 60; ++y) {
      for (int32_t x = 0; x < 90; ++x) {
        const uint32_t v = uint32_t(x * 60 + y) % (mode == PixelRgba8 ? 256u : 32769u);
        PutPixelRgba(x, y, source.get(), 0, v, v / 2, v / 3, v);
      }
    }
    CopyImageScaled(source.get(), destination.get());
    for (int32_t y = 0; y < 60; ++y) {
      for (int32_t x = 0; x < 90; ++x) ASSERT_EQ(Read(destination.get(), 0, x, y), Read(source.get(), 0, x, y));
    }
    EXPECT_EQ(destination->buildState, LevelsBuilt);
    CopyImageScaled(source.get(), otherMode.get());  // different modes: nothing copied, levels rebuilt
    EXPECT_EQ(Read(otherMode.get(), 0, 5, 5), Rgba({0, 0, 0, 0}));
    EXPECT_EQ(otherMode->buildState, LevelsBuilt);
  }
}

}  // namespace
