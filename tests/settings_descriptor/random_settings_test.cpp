// Random view angles: the draw's rejection rule, and seeded angles that stay
// inside each setting's range.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include "host/parameter_block.h"
#include "settings/random_settings.h"

namespace {

// The generator values a seed yields.
std::vector<int32_t> Values(uint32_t seed, size_t count) {
  SeedRandomGenerator(seed);
  std::vector<int32_t> v;
  for (size_t i = 0; i < count; ++i) v.push_back(NextRandomValue());
  return v;
}

TEST(RandomSettings, TheGeneratorYieldsFifteenBitsAndRepeatsForASeed) {
  const std::vector<int32_t> a = Values(1234, 5000);
  EXPECT_EQ(a, Values(1234, 5000));
  EXPECT_NE(a, Values(1235, 5000));
  int32_t low = 32767, high = 0;
  for (int32_t v : a) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
  EXPECT_GE(low, 0);
  EXPECT_LE(high, 32767);
  EXPECT_GT(high, 32000);  // the whole 15 bits are used
  EXPECT_LT(low, 700);
}

// A draw keeps bits 4 and up of each value under the mask and skips the
// values beyond the range: the draws are the in-range masked values in order.
TEST(RandomSettings, DrawsSkipMaskedValuesBeyondTheRange) {
  struct Case {
    int32_t a, b;
    int32_t mask;
  };
  const Case cases[] = {{0, 180, 255}, {0, 1, 1}, {10, 0, 15}, {-3, 3, 7}, {0, 2, 3}, {0, 3, 3}, {0, 4, 7}};
  for (const Case& c : cases) {
    const int32_t lo = std::min(c.a, c.b), hi = std::max(c.a, c.b);
    std::vector<int32_t> expected;
    for (int32_t v : Values(99, 4000)) {
      const int32_t r = ((v >> 4) & c.mask) + lo;
      if (r <= hi) expected.push_back(r);
    }
    SeedRandomGenerator(99);
    for (size_t i = 0; i < 200; ++i) ASSERT_EQ(RandomInt(c.a, c.b), expected[i]) << c.a << ".." << c.b << " #" << i;
  }
}

TEST(RandomSettings, DrawsCoverTheirRangeAndNothingElse) {
  SeedRandomGenerator(7);
  EXPECT_EQ(RandomInt(5, 5), 5);
  std::set<int32_t> seen;
  for (int i = 0; i < 2000; ++i) {
    const int32_t r = RandomInt(10, 0);
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 10);
    seen.insert(r);
  }
  EXPECT_EQ(seen.size(), 11u);
  // Extreme ranges end and stay inside (draws reach 2047 above the low end).
  const int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  for (int i = 0; i < 100; ++i) {
    const int32_t r = RandomInt(hi, lo);
    ASSERT_GE(int64_t(r) - lo, 0);
    ASSERT_LE(int64_t(r) - lo, 2047);
  }
}

TEST(RandomSettings, SeededDiceStayInsideEachAngleRange) {
  std::set<int32_t> latitudes, longitudes;
  for (uint32_t seed = 0; seed < 3000; ++seed) {
    ParameterBlock block{};
    SeedRandomGenerator(seed);
    RandomiseViewAngles(&block);
    ASSERT_GE(block.latitudeInteger, -90);
    ASSERT_LE(block.latitudeInteger, 90);
    ASSERT_GE(block.longitudeInteger, -180);
    ASSERT_LE(block.longitudeInteger, 180);
    ASSERT_GE(block.spinInteger, -180);
    ASSERT_LE(block.spinInteger, 180);
    ASSERT_EQ(block.latitude, float(block.latitudeInteger));
    ASSERT_EQ(block.longitude, float(block.longitudeInteger));
    ASSERT_EQ(block.spin, float(block.spinInteger));
    latitudes.insert(block.latitudeInteger);
    longitudes.insert(block.longitudeInteger);
  }
  EXPECT_GT(latitudes.size(), 150u);
  EXPECT_GT(longitudes.size(), 300u);
}

TEST(RandomSettings, ConstrainedDiceKeepToRightAngles) {
  std::set<int32_t> latitudes, longitudes, spins;
  for (uint32_t seed = 0; seed < 2000; ++seed) {
    ParameterBlock block{};
    SeedRandomGenerator(seed);
    RandomiseViewAnglesSquare(&block);
    latitudes.insert(block.latitudeInteger);
    longitudes.insert(block.longitudeInteger);
    spins.insert(block.spinInteger);
    ASSERT_EQ(block.latitude, float(block.latitudeInteger));
    ASSERT_EQ(block.longitude, float(block.longitudeInteger));
    ASSERT_EQ(block.spin, float(block.spinInteger));
  }
  EXPECT_EQ(latitudes, (std::set<int32_t>{-90, 0, 90}));
  EXPECT_EQ(longitudes, (std::set<int32_t>{-180, -90, 0, 90}));
  EXPECT_EQ(spins, (std::set<int32_t>{-180, -90, 0, 90}));
}

TEST(RandomSettings, TheRandomName) {
  ParameterBlock block{};
  SetRandomSettingsName(&block);
  EXPECT_STREQ(block.settingsName, "random settings.q2q");
}

}  // namespace
