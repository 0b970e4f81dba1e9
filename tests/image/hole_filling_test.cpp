#include <gtest/gtest.h>

#include "image/filter_tables.h"
#include "image/float_convert.h"
#include "image/hole_filling.h"
#include "image/pixel_access.h"
#include "image_test_util.h"

namespace {

const FilterTables* Lanczos() {
  static FilterTables tables;
  static bool built = false;
  if (!built) BuildLanczosFilterTable(&tables), built = true;
  return &tables;
}

struct Rgba {
  uint32_t r, g, b, a;
  bool operator==(const Rgba&) const = default;
};

Rgba Read(const ImageRecord* image, int32_t level, int32_t x, int32_t y) {
  Rgba v{};
  GetPixelRgba(x, y, image, level, &v.r, &v.g, &v.b, &v.a);
  return v;
}

void Create(ScopedImage& image, int32_t w, int32_t h, int32_t mode) {
  InitImageRecord(image.get(), nullptr, Lanczos());
  ASSERT_TRUE(CreateImage(image.get(), w, h, mode, FetchClamp));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) PutPixelRgba(x, y, image.get(), 0, 0, 0, 0, 0);
  }
}

TEST(HoleFilling, OpaqueImagesKeepTheirColour) {
  for (int32_t mode : {PixelRgba8, PixelRgba16}) {
    ScopedImage image;
    Create(image, 70, 50, mode);
    const uint32_t full = mode == PixelRgba8 ? 255 : 32768;
    for (int32_t y = 0; y < 50; ++y) {
      for (int32_t x = 0; x < 70; ++x) {
        PutPixelRgba(x, y, image.get(), 0, uint32_t(x * 3), uint32_t(y * 5), 7, mode == PixelRgba8 ? 200 : 30000);
      }
    }
    FillTransparentHoles(image.get());
    for (int32_t y = 0; y < 50; ++y) {
      for (int32_t x = 0; x < 70; ++x) {
        ASSERT_EQ(Read(image.get(), 0, x, y), Rgba({uint32_t(x * 3), uint32_t(y * 5), 7, full}));
      }
    }
  }
}

TEST(HoleFilling, HolesTakeTheSurroundingColour) {
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    SCOPED_TRACE(mode);
    ScopedImage image;
    Create(image, 64, 32, mode);
    // Left half opaque blue, right half opaque green, a transparent hole of
    // 6 x 6 pixels inside the blue half.
    const float blue[4] = {0, 0, 1, 1}, green[4] = {0, 1, 0, 1}, clear[4] = {0, 0, 0, 0};
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        const bool hole = x >= 10 && x < 16 && y >= 12 && y < 18;
        PutPixelFloatRgba(x, y, image.get(), 0, hole ? clear : (x < 32 ? blue : green));
      }
    }
    FillTransparentHoles(image.get());
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 64; ++x) {
        float c[4];
        GetPixelFloatRgba(x, y, image.get(), 0, c);
        ASSERT_EQ(c[3], 1.0f) << x << "," << y;  // everything opaque
        const bool hole = x >= 10 && x < 16 && y >= 12 && y < 18;
        if (hole) {
          EXPECT_GT(c[2], 0.8f) << x << "," << y;
          EXPECT_LT(c[1], 0.2f) << x << "," << y;
        } else {
          // Opaque pixels come back exactly.
          const float* want = x < 32 ? blue : green;
          for (int k = 0; k < 3; ++k) ASSERT_EQ(c[k], want[k]) << x << "," << y;
        }
      }
    }
  }
}

TEST(HoleFilling, AlphaThresholdsOfThePush) {
  // 16-bit: alpha 519 weighs 0, alpha 520 weighs 520 >> 6 = 8. Pixel (0, 0)
  // is read three times by the clamped cross of level 1's pixel (0, 0).
  for (const auto& [alpha, want] : {std::pair<uint32_t, Rgba>{519, {0, 0, 0, 0}}, {520, {1000, 2000, 3000, 32768}}}) {
    ScopedImage image;
    Create(image, 4, 4, PixelRgba16);
    PutPixelRgba(0, 0, image.get(), 0, 1000, 2000, 3000, alpha);
    PushAlphaLevels(image.get(), 0);
    EXPECT_EQ(Read(image.get(), 1, 0, 0), want) << alpha;
  }
  // 8-bit: alpha 3 is a hole for the push but not for the pull: it keeps its
  // colour and turns opaque.
  ScopedImage image;
  Create(image, 8, 8, PixelRgba8);
  PutPixelRgba(0, 0, image.get(), 0, 50, 60, 70, 3);
  PushAlphaLevels(image.get(), 0);
  EXPECT_EQ(Read(image.get(), 1, 0, 0), Rgba({0, 0, 0, 0}));
  FillTransparentHoles(image.get());
  EXPECT_EQ(Read(image.get(), 0, 0, 0), Rgba({50, 60, 70, 255}));
}

TEST(HoleFilling, TransparentImagesBecomeOpaqueBlack) {
  for (const auto& [w, h] : {std::pair<int32_t, int32_t>{20, 9}, {1, 1}}) {
    ScopedImage image;
    Create(image, w, h, PixelRgba8);
    FillTransparentHoles(image.get());
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) EXPECT_EQ(Read(image.get(), 0, x, y), Rgba({0, 0, 0, 255}));
    }
  }
}

TEST(HoleFilling, OneRedPixelSpreads) {
  ScopedImage image;
  Create(image, 16, 16, PixelRgba8);
  PutPixelRgba(8, 8, image.get(), 0, 255, 0, 0, 255);
  FillTransparentHoles(image.get());
  EXPECT_EQ(Read(image.get(), 0, 8, 8), Rgba({255, 0, 0, 255}));
  for (const auto& [x, y] : {std::pair<int32_t, int32_t>{7, 8}, {9, 9}, {6, 10}, {10, 6}}) {
    const Rgba c = Read(image.get(), 0, x, y);
    EXPECT_GT(c.r, 100u) << x << "," << y;
    EXPECT_EQ(c.g, 0u);
    EXPECT_EQ(c.b, 0u);
    EXPECT_EQ(c.a, 255u);
  }
}

TEST(HoleFilling, FloatPushWeighsByAlpha) {
  ScopedImage image;
  Create(image, 4, 4, PixelRgbaFloat);
  // Level 1 pixel (0, 0) reads (1,0), (0,1), (1,1), (2,1), (1,2).
  PutPixelRgbaFloat(1, 1, image.get(), 0, 1.0f, 0.0f, 0.0f, 0.5f);
  PutPixelRgbaFloat(2, 1, image.get(), 0, 0.0f, 1.0f, 0.0f, 0.25f);
  PushAlphaLevelsFloat(image.get(), 0);
  uint32_t c[4];
  GetPixelRgbaFloatRaw(0, 0, image.get(), 1, &c[0], &c[1], &c[2], &c[3]);
  const float inverse = float(1.0 / 0.75);
  EXPECT_EQ(BitsToFloat(c[0]), 0.5f * inverse);
  EXPECT_EQ(BitsToFloat(c[1]), 0.25f * inverse);
  EXPECT_EQ(BitsToFloat(c[3]), 1.0f);
}

TEST(HoleFilling, OtherRecordsAreLeftAlone) {
  ScopedImage gray;
  InitImageRecord(gray.get(), nullptr, Lanczos());
  ASSERT_TRUE(CreateImage(gray.get(), 8, 8, PixelGray8, 0));
  PutPixelGray8(0, 0, gray.get(), 0, 9);
  FillTransparentHoles(gray.get());
  EXPECT_EQ(*static_cast<uint8_t*>(gray->tiles[0].pixels), 9);
  ScopedImage empty;
  FillTransparentHoles(empty.get());
  FillTransparentHoles(nullptr);
}

}  // namespace
