#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "image/float_convert.h"
#include "image/pixel_access.h"
#include "image_test_util.h"

namespace {

// Three tile columns and two tile rows at level 0, so probes cross seams.
constexpr int32_t kW = 1030;
constexpr int32_t kH = 520;

// The raw channels written at (x, y), distinct for every pixel of the image.
struct Raw {
  uint32_t r, g, b, a;
  bool operator==(const Raw&) const = default;
};

Raw Expected(int32_t mode, int32_t x, int32_t y) {
  switch (mode) {
    case PixelRgba8:
      return {uint32_t(x & 255), uint32_t(y & 255), uint32_t((x >> 8) | ((y >> 8) << 4)), uint32_t((x * 7 + y) & 255)};
    case PixelRgba16:
      return {uint32_t(x), uint32_t(y), uint32_t(x ^ y), uint32_t((x + y) & 0x7fff)};
    default:
      return {FloatBits(float(x)), FloatBits(float(y)), FloatBits(-0.5f * x), FloatBits(float(x * y))};
  }
}

void Fill(ImageRecord* image, int32_t level) {
  for (int32_t y = 0; y < image->levelHeight[level]; ++y) {
    for (int32_t x = 0; x < image->levelWidth[level]; ++x) {
      const Raw v = Expected(image->pixelMode, x, y);
      PutPixelRgba(x, y, image, level, v.r, v.g, v.b, v.a);
    }
  }
}

Raw Read(const ImageRecord* image, int32_t level, int32_t x, int32_t y) {
  Raw v{};
  GetPixelRgba(x, y, image, level, &v.r, &v.g, &v.b, &v.a);
  return v;
}

struct Probe {
  int32_t x, y;
  int32_t clampX, clampY;    // FetchClamp, FetchNoLevels, and every read of the 16-bit and float modes
  int32_t wrapXYx, wrapXYy;  // FetchWrapXY
  int32_t wrapXx, wrapXy;    // FetchWrapX
};

const Probe kProbes[] = {
    // inside, on both sides of the tile seams
    {511, 511, 511, 511, 511, 511, 511, 511},
    {512, 512, 512, 512, 512, 512, 512, 512},
    {1023, 519, 1023, 519, 1023, 519, 1023, 519},
    {1024, 0, 1024, 0, 1024, 0, 1024, 0},
    {1029, 519, 1029, 519, 1029, 519, 1029, 519},
    // outside by less than a period
    {-1, 5, 0, 5, 1029, 5, 1029, 5},
    {kW, 5, 1029, 5, 0, 5, 0, 5},
    {kW + 600, 5, 1029, 5, 600, 5, 600, 5},
    {5, -1, 5, 0, 5, 519, 5, 0},
    {5, kH, 5, 519, 5, 0, 5, 519},
    {-5, 600, 0, 519, 1025, 80, 1025, 519},
    // more than one period outside lands on the edge
    {-1100, 5, 0, 5, 0, 5, 0, 5},
    {3000, 5, 1029, 5, 1029, 5, 1029, 5},
    {5, 2000, 5, 519, 5, 519, 5, 519},
    {INT32_MIN, INT32_MAX, 0, 519, 0, 519, 0, 519},
};

TEST(PixelAccess, ReadsByModeAndFetchEdgeModeAcrossTileSeams) {
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    ScopedImage image;
    ASSERT_TRUE(CreateImage(image.get(), kW, kH, mode, FetchClamp));
    Fill(image.get(), 0);
    for (int32_t fetch : {FetchClamp, FetchWrapXY, FetchWrapX, FetchNoLevels, 7}) {
      image->fetchEdgeMode = fetch;
      for (const Probe& p : kProbes) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << " fetch " << fetch << " at " << p.x << "," << p.y);
        int32_t ex = p.clampX, ey = p.clampY;
        // Only the 8-bit RGBA reads follow the fetch edge mode.
        if (mode == PixelRgba8 && fetch == FetchWrapXY) ex = p.wrapXYx, ey = p.wrapXYy;
        if (mode == PixelRgba8 && fetch == FetchWrapX) ex = p.wrapXx, ey = p.wrapXy;
        EXPECT_EQ(Read(image.get(), 0, p.x, p.y), Expected(mode, ex, ey));
      }
    }
  }
}

TEST(PixelAccess, EveryPixelOfEveryLevelRoundTrips) {
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    ScopedImage image;
    ASSERT_TRUE(CreateImage(image.get(), kW, kH, mode, FetchClamp));
    for (int32_t level = 0; level <= image->lastLevel; ++level) Fill(image.get(), level);
    for (int32_t level = 0; level <= image->lastLevel; ++level) {
      for (int32_t y = 0; y < image->levelHeight[level]; ++y) {
        for (int32_t x = 0; x < image->levelWidth[level]; ++x) {
          ASSERT_EQ(Read(image.get(), level, x, y), Expected(mode, x, y))
              << "mode " << mode << " level " << level << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(PixelAccess, FixedModeAccessorsReadTheStoredLayout) {
  ScopedImage rgba8;
  ASSERT_TRUE(CreateImage(rgba8.get(), 600, 3, PixelRgba8, FetchWrapXY));
  PutPixelRgba8(599, 2, rgba8.get(), 0, 0x12, 0x34, 0x56, 0x78);
  uint32_t word = 0;
  GetPixelWordEdge(599, 2, rgba8.get(), 0, &word);
  EXPECT_EQ(word, 0x12345678u);
  GetPixelWordEdge(-1, -1, rgba8.get(), 0, &word);  // wraps to the far corner
  EXPECT_EQ(word, 0x12345678u);
  EXPECT_EQ(GetPixelPacked32Clamped(700, 9, rgba8.get(), 0), 0x12345678u);
  uint32_t r, g, b, a;
  GetPixelRgba8(599, 2, rgba8.get(), 0, &r, &g, &b, &a);
  EXPECT_EQ(Raw({r, g, b, a}), Raw({0x12, 0x34, 0x56, 0x78}));

  ScopedImage rgba16;
  ASSERT_TRUE(CreateImage(rgba16.get(), 3, 600, PixelRgba16, 0));
  PutPixelRgba16(2, 599, rgba16.get(), 0, 1, 32768, 65535, 7);
  GetPixelRgba16Clamped(5, 900, rgba16.get(), 0, &r, &g, &b, &a);
  EXPECT_EQ(Raw({r, g, b, a}), Raw({1, 32768, 65535, 7}));

  ScopedImage rgbaf;
  ASSERT_TRUE(CreateImage(rgbaf.get(), 3, 3, PixelRgbaFloat, 0));
  PutPixelRgbaFloat(1, 1, rgbaf.get(), 0, 0.25f, -2.0f, 1e30f, 0.5f);
  for (auto* get : {GetPixelRgbaFloatRaw, GetPixelRgbaFloatClamped, GetPixelRgbaFloatClampedAlt}) {
    get(1, 1, rgbaf.get(), 0, &r, &g, &b, &a);
    EXPECT_EQ(Raw({r, g, b, a}), Raw({FloatBits(0.25f), FloatBits(-2.0f), FloatBits(1e30f), FloatBits(0.5f)}));
  }

  ScopedImage gray;
  ASSERT_TRUE(CreateImage(gray.get(), 4, 4, PixelGrayFloat, 0));
  PutPixelRgba(1, 1, gray.get(), 0, 1, 2, 3, 4);  // no RGBA write on a one-channel record
  EXPECT_EQ(GetPixelPacked32Clamped(1, 1, gray.get(), 0), 0u);
}

TEST(PixelAccess, WritesOutsideTheLevelAreDropped) {
  for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat}) {
    ScopedImage image;
    ASSERT_TRUE(CreateImage(image.get(), 100, 50, mode, FetchWrapXY));
    Fill(image.get(), 0);
    const std::pair<int32_t, int32_t> outside[] = {{100, 0}, {-1, 0}, {0, 50}, {0, -1}, {INT32_MIN, 3}, {3, INT32_MAX}};
    for (const auto& [x, y] : outside) {
      PutPixelRgba(x, y, image.get(), 0, 9, 9, 9, 9);
      PutPixelRgbaIntUnchecked(x, y, image.get(), 0, 9, 9, 9, 9);
    }
    for (int32_t y = 0; y < 50; ++y) {
      for (int32_t x = 0; x < 100; ++x) ASSERT_EQ(Read(image.get(), 0, x, y), Expected(mode, x, y)) << x << "," << y;
    }
    PutPixelRgba(3, 3, image.get(), image->lastLevel + 1, 9, 9, 9, 9);  // no such level
    PutPixelRgba(3, 3, image.get(), -1, 9, 9, 9, 9);
    EXPECT_EQ(Read(image.get(), 0, 3, 3), Expected(mode, 3, 3));
  }
}

TEST(PixelAccess, EightBitPackingKeepsTheLowBits) {
  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 4, 4, PixelRgba8, 0));
  PutPixelRgba(1, 1, image.get(), 0, 300, 0x1ff, 258, 0x100 + 77);
  EXPECT_EQ(Read(image.get(), 0, 1, 1), Raw({44, 255, 2, 77}));
  PutPixelRgbaIntUncheckedAlias(2, 2, image.get(), 0, 1, 2, 3, 4);
  EXPECT_EQ(Read(image.get(), 0, 2, 2), Raw({1, 2, 3, 4}));
}

TEST(PixelAccess, FloatAccessorsScaleByMode) {
  ScopedImage rgba16;
  ASSERT_TRUE(CreateImage(rgba16.get(), 2, 2, PixelRgba16, 0));
  PutPixelRgba(0, 0, rgba16.get(), 0, 32768, 32768, 32768, 32768);
  float out[4];
  GetPixelFloatRgba(0, 0, rgba16.get(), 0, out);
  for (float c : out) EXPECT_EQ(c, 1.0f);

  ScopedImage rgba8;
  ASSERT_TRUE(CreateImage(rgba8.get(), 2, 2, PixelRgba8, 0));
  PutPixelRgba(0, 0, rgba8.get(), 0, 51, 0, 255, 255);
  GetPixelFloatRgba(0, 0, rgba8.get(), 0, out);
  EXPECT_FLOAT_EQ(out[0], 0.2f);
  EXPECT_EQ(out[1], 0.0f);
  EXPECT_EQ(out[2], 1.0f);
  EXPECT_EQ(out[3], 1.0f);

  // Truncation, not rounding; no clamping, the packing keeps the low bits.
  const float in[4] = {0.999f, 1.5f, -0.001f, 0.5f};
  PutPixelFloatRgba(1, 1, rgba8.get(), 0, in);
  EXPECT_EQ(Read(rgba8.get(), 0, 1, 1), Raw({254, 382 & 255, 0, 127}));
  PutPixelFloatRgba(1, 1, rgba16.get(), 0, in);
  EXPECT_EQ(Read(rgba16.get(), 0, 1, 1), Raw({32735, 49152, 65536 - 32, 16384}));

  // NaN and values too large for any integer are stored as the truncating
  // conversion leaves them: nothing in the low bits.
  const float wild[4] = {std::numeric_limits<float>::quiet_NaN(), 1e30f, -1e30f, 1.0f};
  PutPixelFloatRgba(0, 1, rgba8.get(), 0, wild);
  EXPECT_EQ(Read(rgba8.get(), 0, 0, 1), Raw({0, 0, 0, 255}));
}

TEST(PixelAccess, ExhaustiveRoundTripsThroughTheFloatAccessors) {
  // Every 8-bit value and every 16-bit pattern comes back unchanged through
  // GetPixelFloatRgba and PutPixelFloatRgba.
  ScopedImage from8, to8;
  ASSERT_TRUE(CreateImage(from8.get(), 256, 1, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(to8.get(), 256, 1, PixelRgba8, 0));
  for (uint32_t v = 0; v < 256; ++v) PutPixelRgba(int32_t(v), 0, from8.get(), 0, v, 255 - v, v, 255 - v);
  float c[4];
  for (int32_t x = 0; x < 256; ++x) {
    GetPixelFloatRgba(x, 0, from8.get(), 0, c);
    PutPixelFloatRgba(x, 0, to8.get(), 0, c);
    ASSERT_EQ(Read(to8.get(), 0, x, 0), Read(from8.get(), 0, x, 0)) << x;
  }

  ScopedImage from16, to16;
  ASSERT_TRUE(CreateImage(from16.get(), 256, 256, PixelRgba16, 0));
  ASSERT_TRUE(CreateImage(to16.get(), 256, 256, PixelRgba16, 0));
  for (int32_t y = 0; y < 256; ++y) {
    for (int32_t x = 0; x < 256; ++x) {
      const uint32_t v = uint32_t(y * 256 + x);
      PutPixelRgba(x, y, from16.get(), 0, v, 65535 - v, v ^ 0x5555, v);
      GetPixelFloatRgba(x, y, from16.get(), 0, c);
      PutPixelFloatRgba(x, y, to16.get(), 0, c);
      ASSERT_EQ(Read(to16.get(), 0, x, y), Read(from16.get(), 0, x, y)) << v;
    }
  }
}

TEST(PixelAccess, RecordWithoutPixelsReadsTransparentBlack) {
  ImageRecord never{};  // zero-initialised, never created
  ScopedImage initialised;
  ScopedImage failed;
  EXPECT_FALSE(CreateImage(failed.get(), 0, 5, PixelRgba8, 0));
  ScopedImage freed;
  ASSERT_TRUE(CreateImage(freed.get(), 8, 8, PixelRgbaFloat, 0));
  FreeImageRecord(freed.get());
  for (ImageRecord* image : {&never, initialised.get(), failed.get(), freed.get()}) {
    for (int32_t mode : {PixelRgba8, PixelRgba16, PixelRgbaFloat, PixelGray8}) {
      image->pixelMode = mode;
      PutPixelRgba(0, 0, image, 0, 1, 1, 1, 1);
      PutPixelGray8(0, 0, image, 0, 1);
      const float ones[4] = {1, 1, 1, 1};
      PutPixelFloatRgba(0, 0, image, 0, ones);
      PutPixelRgbaIntUnchecked(0, 0, image, 0, 1, 1, 1, 1);
      EXPECT_EQ(Read(image, 0, 0, 0), Raw({0, 0, 0, 0}));
      float c[4] = {1, 1, 1, 1};
      GetPixelFloatRgba(3, 3, image, 0, c);
      EXPECT_EQ(c[0] + c[1] + c[2] + c[3], 0.0f);
      uint32_t word = 1;
      GetPixelWordEdge(0, 0, image, 0, &word);
      EXPECT_EQ(word, 0u);
      EXPECT_EQ(GetPixelPacked32Clamped(0, 0, image, 0), 0u);
    }
  }
  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 8, 8, PixelRgba8, 0));
  Fill(image.get(), 0);
  EXPECT_EQ(Read(image.get(), image->lastLevel + 1, 0, 0), Raw({0, 0, 0, 0}));
  EXPECT_EQ(Read(image.get(), -3, 0, 0), Raw({0, 0, 0, 0}));
  EXPECT_EQ(Read(nullptr, 0, 0, 0), Raw({0, 0, 0, 0}));
}

TEST(PixelAccess, OneChannelRecordsTakeNoFourByteAccess) {
  // Level 3 of an 8 x 8 grey image is a single byte; four-byte accessors must
  // neither read nor write it (the sanitizer build sees any overrun).
  ScopedImage gray;
  ASSERT_TRUE(CreateImage(gray.get(), 8, 8, PixelGray8, FetchWrapXY));
  const int32_t top = gray->lastLevel;
  ASSERT_EQ(gray->levelWidth[top], 1);
  PutPixelGray8(0, 0, gray.get(), top, 200);
  PutPixelRgba8(0, 0, gray.get(), top, 1, 2, 3, 4);
  PutPixelRgba16(0, 0, gray.get(), top, 1, 2, 3, 4);
  PutPixelRgbaFloat(0, 0, gray.get(), top, 1u, 2u, 3u, 4u);
  PutPixelRgbaIntUnchecked(0, 0, gray.get(), top, 1, 2, 3, 4);
  PutPixelRgba(0, 0, gray.get(), top, 1, 2, 3, 4);
  uint32_t r = 1, g = 1, b = 1, a = 1, word = 1;
  GetPixelRgba8Edge(0, 0, gray.get(), top, &r, &g, &b, &a);
  EXPECT_EQ(r | g | b | a, 0u);
  GetPixelRgba(0, 0, gray.get(), top, &r, &g, &b, &a);
  EXPECT_EQ(r | g | b | a, 0u);
  GetPixelWordEdge(0, 0, gray.get(), top, &word);
  EXPECT_EQ(word, 0u);
  GetPixelRgba16Clamped(0, 0, gray.get(), top, &r, &g, &b, &a);
  GetPixelRgbaFloatRaw(0, 0, gray.get(), top, &r, &g, &b, &a);
  EXPECT_EQ(GetPixelPacked32Clamped(0, 0, gray.get(), top), 0u);
  EXPECT_EQ(*static_cast<uint8_t*>(gray->tiles[gray->firstTile[top]].pixels), 200);
  PutPixelGray8(8, 0, gray.get(), 0, 1);  // outside: dropped
}

}  // namespace
