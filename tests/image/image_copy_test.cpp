#include <gtest/gtest.h>

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
