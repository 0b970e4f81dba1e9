// Every output number that the closed forms answer, swept over its whole
// output image and a margin beyond it: each point gives a finite unit
// direction or a clean outside status, never NaN, for ordinary and for
// degenerate fields of view.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "output_test_support.h"

namespace {

std::vector<int32_t> SweptOutputs() {
  std::vector<int32_t> outputs;
  for (int32_t n = 1; n <= 255; ++n) {
    if (n == 45) continue;  // the brick preview has its own road
    outputs.push_back(n);
  }
  outputs.push_back(1054);
  outputs.push_back(10054);
  return outputs;
}

struct SweepTally {
  int32_t inside = 0;
  int32_t bad = 0;
  std::string firstBad;
};

void Sweep(int32_t output, float width, float height, float fov, SweepTally* tally) {
  OutputRig rig(output, 1, width, height, fov);
  constexpr int32_t kSteps = 72;
  for (int32_t j = 0; j <= kSteps; ++j) {
    for (int32_t i = 0; i <= kSteps; ++i) {
      // From -5% to 105%: the renderer also maps neighbours beyond the edge.
      const float nx = -0.05f + 1.1f * float(i) / kSteps;
      const float ny = -0.05f + 1.1f * float(j) / kSteps;
      const OutputHit hit = rig.At(nx, ny);
      if (hit.outside) continue;
      ++tally->inside;
      const double length = LengthOf(hit.d);
      if (!(std::fabs(length - 1) < 2e-3)) {
        if (tally->bad++ == 0) {
          tally->firstBad = "output " + std::to_string(output) + " fov " + std::to_string(fov) + " at (" +
                            std::to_string(nx) + ", " + std::to_string(ny) + ") length " + std::to_string(length);
        }
      }
    }
  }
}

TEST(OutputSweep, UnitDirectionOrOutsideForEveryOutputAndShape) {
  for (int32_t output : SweptOutputs()) {
    constexpr float kSizes[3][2] = {{240, 120}, {160, 160}, {100, 200}};
    for (const auto& size : kSizes) {
      SweepTally tally;
      Sweep(output, size[0], size[1], 120, &tally);
      EXPECT_EQ(tally.bad, 0) << tally.firstBad;
    }
  }
}

// The outputs that read the field of view, with it at zero, negative, at
// the top of its range and beyond it.
TEST(OutputSweep, DegenerateFieldsOfViewStayFinite) {
  const int32_t outputs[] = {14, 15, 16, 18, 38, 52, 56, 57, 58, 59, 60, 63, 65, 66, 67, 68, 73, 74, 82, 85, 88,
                             135, 136, 255, 75, 76};
  for (int32_t output : outputs) {
    for (float fov : {0.0f, -45.0f, -180.0f, 180.0f, 400.0f}) {
      SweepTally tally;
      Sweep(output, 200, 150, fov, &tally);
      EXPECT_EQ(tally.bad, 0) << tally.firstBad;
    }
  }
}

// The plane's own axes X = 0 and Y = 0 (nx = 0.5, ny = 0.5 exactly), where
// angles and ratios about the centre are formed: no output divides by zero
// there.
TEST(OutputSweep, CentreLinesGiveUnitDirections) {
  for (int32_t output : SweptOutputs()) {
    for (const float fov : {120.0f, 0.0f}) {
      OutputRig rig(output, 1, 200, 150, fov);
      for (int32_t k = 0; k <= 200; ++k) {
        const float t = float(k) / 200;
        for (const OutputHit& hit : {rig.At(0.5f, t), rig.At(t, 0.5f)}) {
          if (hit.outside) continue;
          EXPECT_NEAR(LengthOf(hit.d), 1, 2e-3) << "output " << output << " fov " << fov << " at " << t;
        }
      }
    }
  }
}

// The sweep would pass trivially if everything were outside: every closed
// form shows part of the sphere at the default settings.
TEST(OutputSweep, EveryClosedFormMapsSomething) {
  const int32_t outputs[] = {1,  2,  3,  4,  5,  11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 22, 23, 24, 36, 37, 38,
                             39, 40, 43, 46, 48, 49, 50, 52, 53, 56, 57, 58, 59, 60, 61, 62, 63, 65, 66, 67, 68,
                             69, 73, 74, 80, 81, 82, 84, 85, 88, 89, 120, 134, 135, 136, 138, 139, 143, 159, 160,
                             171, 255, 1054, 10054};
  for (int32_t output : outputs) {
    SweepTally tally;
    Sweep(output, 200, 150, 120, &tally);
    EXPECT_GT(tally.inside, 200) << "output " << output;
  }
}

}  // namespace
