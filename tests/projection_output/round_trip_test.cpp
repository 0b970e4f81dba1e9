// An output composed with the input of the same projection is the identity:
// a point of the output image, inverted to a direction and mapped into a
// source of that projection (same size), lands on itself; and a direction,
// mapped into the source and inverted by the output at that point, comes
// back. The inputs use the fast arc cosine (7e-5 radians), which bounds the
// agreement.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "output_test_support.h"
#include "projection/input_projections.h"

namespace {

struct RoundTripCase {
  const char* name;
  int32_t output;
  int32_t input;
  float width;
  float height;
  float fov;
  double planeTolerance;      // in normalised units
  double directionTolerance;  // in radians
};

constexpr RoundTripCase kCases[] = {
    {"equirectangular", 1, 1, 200, 100, 120, 1e-4, 3e-4},
    {"Mollweide", 46, 7, 200, 100, 120, 2e-4, 6e-4},
    {"Mercator", 62, 20, 200, 200, 120, 1e-4, 3e-4},
    {"Mercator on a wide image", 62, 20, 300, 100, 120, 1e-4, 3e-4},
    {"Hammer", 11, 23, 200, 100, 120, 1e-4, 3e-4},
    {"Lagrange", 69, 21, 200, 200, 120, 1e-4, 3e-4},
    {"equal-area cylinder", 138, 24, 200, 200, 120, 1e-4, 3e-4},
    {"mirror ball", 2, 2, 200, 200, 120, 1e-4, 3e-4},
    {"orthographic", 5, 4, 200, 200, 120, 1e-4, 3e-4},
    {"polar", 3, 3, 200, 200, 120, 1e-4, 3e-4},
    {"Robinson", 80, 17, 200, 100, 120, 5e-4, 2e-3},
    {"Winkel Tripel", 35, 22, 2570.7964f, 1570.7964f, 120, 5e-4, 2e-3},
};

// Points on a map's outline stand for one direction seen from both sides
// of a seam (or, for the discs, for the whole antipode); a round trip may
// come back on the other side. Such points are left out: every neighbour
// at a small distance must be inside too.
bool WellInside(OutputRig& rig, float nx, float ny) {
  constexpr float e = 0.003f;
  for (const float dx : {-e, 0.0f, e}) {
    for (const float dy : {-e, 0.0f, e}) {
      if (rig.At(nx + dx, ny + dy).outside) return false;
    }
  }
  return true;
}

TEST(OutputRoundTrip, OutputThenInputIsTheIdentityOnThePlane) {
  for (const RoundTripCase& c : kCases) {
    OutputRig rig(c.output, c.input, c.width, c.height, c.fov);
    int32_t mapped = 0;
    double worst = 0;
    constexpr int32_t kSteps = 60;
    for (int32_t j = 1; j < kSteps; ++j) {
      for (int32_t i = 1; i < kSteps; ++i) {
        const float nx = float(i) / kSteps;
        const float ny = float(j) / kSteps;
        if (!WellInside(rig, nx, ny)) continue;
        const PixelMapping m = rig.Road(nx, ny);
        ASSERT_EQ(m.status, kPixelMapped) << c.name << " at " << nx << ", " << ny;
        ++mapped;
        const double error = std::fmax(std::fabs(m.srcX - nx), std::fabs(m.srcY - ny));
        worst = std::fmax(worst, error);
        EXPECT_LT(error, c.planeTolerance) << c.name << " at " << nx << ", " << ny << " -> " << m.srcX << ", "
                                           << m.srcY;
      }
    }
    EXPECT_GT(mapped, 1000) << c.name;
    ::testing::Test::RecordProperty(std::string("worst_plane_") + c.name, std::to_string(worst));
  }
}

TEST(OutputRoundTrip, InputThenOutputIsTheIdentityOnDirections) {
  constexpr double kPi = std::numbers::pi;
  for (const RoundTripCase& c : kCases) {
    OutputRig rig(c.output, c.input, c.width, c.height, c.fov);
    int32_t checked = 0;
    for (int32_t j = 1; j < 36; ++j) {
      for (int32_t i = 0; i < 72; ++i) {
        const Vec3 g = GeoDirection((i - 35.5) * kPi / 36, (j - 18) * kPi / 36);
        Vec3f d{float(g.x), float(g.y), float(g.z)};
        float srcX = -1;
        float srcY = -1;
        uint8_t noSource = 0;
        int32_t inputFace = -1;
        int32_t subImage = 2;
        float edgeWeight = 1;
        MapDirectionToSource(c.input, 0, rig.context->sourceAspect, &d, &srcX, &srcY, &noSource,
                             rig.context->mollweideCache, &inputFace, &subImage, &edgeWeight, nullptr,
                             rig.inputFaces.get());
        if (noSource || !WellInside(rig, srcX, srcY)) continue;
        const OutputHit hit = rig.At(srcX, srcY);
        ++checked;
        EXPECT_LT(AngleBetween(hit.d, g), c.directionTolerance)
            << c.name << " direction " << g.x << ", " << g.y << ", " << g.z;
      }
    }
    EXPECT_GT(checked, 600) << c.name;
  }
}

}  // namespace
