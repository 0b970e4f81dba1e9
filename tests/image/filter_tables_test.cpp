#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "image/filter_tables.h"

namespace {

std::array<int32_t, 5> Fixed11(const FilterTables& t, int32_t phase) {
  std::array<int32_t, 5> out{};
  for (int32_t k = 0; k < 5; ++k) out[size_t(k)] = t.fixed11[k * kFilterPhases + phase];
  return out;
}

TEST(FilterTables, KnownPhaseVectors) {
  static FilterTables t;
  BuildLanczosFilterTable(&t);
  EXPECT_EQ(Fixed11(t, 0), (std::array<int32_t, 5>{0, -95, 1217, 1018, -92}));
  EXPECT_EQ(Fixed11(t, 64), (std::array<int32_t, 5>{-27, 238, 1737, 115, -15}));
  BuildGaussianFilterTable(&t);
  EXPECT_EQ(Fixed11(t, 64), (std::array<int32_t, 5>{0, 113, 1820, 113, 2}));
  EXPECT_EQ(Fixed11(t, 0), (std::array<int32_t, 5>{0, 3, 1020, 1020, 5}));
}

TEST(FilterTables, EveryPhaseSumsExactlyForBothKinds) {
  static FilterTables t;
  for (int32_t kind : {FilterLanczos, FilterGaussian}) {
    BuildFilterTables(&t, kind);
    for (int32_t p = 0; p < kFilterPhases; ++p) {
      int32_t s11 = 0, s15 = 0, magnitude = 0;
      double s = 0;
      for (int32_t k = 0; k < 5; ++k) {
        const int32_t e = k * kFilterPhases + p;
        s11 += t.fixed11[e];
        s15 += t.fixed15[e];
        magnitude += std::abs(t.fixed11[e]);
        s += t.weights[e];
        EXPECT_EQ(std::memcmp(&t.weights[e], &t.kernel[e], 4), 0);
      }
      EXPECT_EQ(s11, 2048) << "kind " << kind << " phase " << p;
      EXPECT_EQ(s15, 32768) << "kind " << kind << " phase " << p;
      EXPECT_NEAR(s, 1.0, 1e-6);
      EXPECT_LE(magnitude, 2428);  // keeps the 8-bit sums inside 32 bits
    }
  }
}

TEST(FilterTables, LanczosPhasesFollowTheShiftedKernel) {
  // Phase p places the sample p/128 pixel further on: tap k's weight is the
  // kernel averaged around distance k - 2.5 + p/128. Away from the window's
  // ends the weights change smoothly with the phase and the largest tap
  // moves from tap 2 to tap 1 (the centre pixel is nearest) at mid phase.
  static FilterTables t;
  BuildLanczosFilterTable(&t);
  for (int32_t p = 1; p < kFilterPhases; ++p) {
    for (int32_t k = 0; k < 5; ++k) {
      EXPECT_LT(std::abs(t.weights[k * kFilterPhases + p] - t.weights[k * kFilterPhases + p - 1]), 0.03f);
    }
  }
  EXPECT_GT(t.weights[2 * kFilterPhases + 0], t.weights[1 * kFilterPhases + 0]);
  EXPECT_GT(t.weights[1 * kFilterPhases + 127], t.weights[3 * kFilterPhases + 127]);
}

TEST(FilterTables, UnknownKindBuildsNothing) {
  static FilterTables t;
  std::memset(&t, 0x5a, sizeof t);
  BuildFilterTables(&t, 2);
  BuildFilterTables(&t, -1);
  BuildFilterTables(nullptr, 0);
  EXPECT_EQ(t.fixed11[0], 0x5a5a5a5a);
  BuildLanczosFilterTableAlias(&t);
  EXPECT_EQ(Fixed11(t, 0), (std::array<int32_t, 5>{0, -95, 1217, 1018, -92}));
}

}  // namespace
