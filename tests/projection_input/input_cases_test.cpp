// Per-input tables of cases: the view centre, both poles, the seam behind the
// view, the limits of each field, and the sub-images.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "input_test_support.h"

namespace {

// v of the equator: FastAcos(0) is 1.5707288, a little short of π/2.
constexpr float kEquatorV = 0.4999785f;
constexpr float kNone = -1.0f;

struct Case {
  int32_t input;
  Vec3f d;
  float x;
  float y;
  int32_t noSource;
  int32_t subImage;
  float tolerance;
  int32_t inputFace = -1;
  float aspect = 1.0f;
};

void RunCases(const char* what, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    InputRig rig;
    SourcePoint p = rig.Map(c.input, c.d, c.aspect);
    std::string where = std::string(what) + " input " + std::to_string(c.input) + " d (" + std::to_string(c.d.x) +
                        ", " + std::to_string(c.d.y) + ", " + std::to_string(c.d.z) + ")";
    EXPECT_NEAR(p.x, c.x, c.tolerance) << where;
    EXPECT_NEAR(p.y, c.y, c.tolerance) << where;
    EXPECT_EQ(p.noSource, c.noSource) << where;
    EXPECT_EQ(p.subImage, c.subImage) << where;
    EXPECT_EQ(p.inputFace, c.inputFace) << where;
  }
}

const Vec3f kCentre{0.0f, 0.0f, 1.0f};
const Vec3f kNorth{0.0f, 1.0f, 0.0f};
const Vec3f kSouth{0.0f, -1.0f, 0.0f};
const Vec3f kBack{0.0f, 0.0f, -1.0f};

TEST(InputCases, ViewCentre) {
  RunCases("centre", {
      {1, kCentre, 0.5f, kEquatorV, 0, 2, 1e-6f},
      {2, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {3, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {4, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {5, kCentre, 0.5f, 0.5f, 0, 2, 1e-5f},
      {6, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {7, kCentre, 0.5f, 0.5f, 0, 2, 5e-5f},
      {8, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {9, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {10, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {11, kCentre, 0.5f, 0.5f, 0, 4, 0.0f},
      {12, kCentre, 0.5f, 0.5f, 0, 0, 5e-5f},
      {13, kCentre, 0.5f, kEquatorV, 0, 2, 1e-6f},
      {14, kCentre, 0.5f, 0.5f, 0, 2, 5e-5f},
      {15, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {16, kCentre, 1.0f / 3.0f, kEquatorV, 0, 2, 1e-6f},
      {17, kCentre, 0.5f, 0.5f, 0, 2, 5e-5f},
      {18, kCentre, 0.5f, 0.5f, 0, 2, 0.0f},
      {20, kCentre, 0.5f, 0.5f, 0, 2, 5e-5f},
      {21, kCentre, 0.5f, 0.5f, 0, 2, 1e-6f},
      {22, kCentre, 0.5f, 0.5f, 0, 2, 5e-5f},
      {23, kCentre, 0.5f, 0.5f, 0, 2, 5e-5f},
      {24, kCentre, 0.5f, 0.5f, 0, 2, 5e-5f},
      {25, kCentre, 0.5f, 0.5f, 0, 0, 5e-5f},
      {26, kCentre, kNone, kNone, 1, -1, 0.0f},
      {27, kCentre, 0.5f, 0.5f, 0, 4, 0.0f, 3},
      {28, kCentre, 0.5f, 0.5f, 0, 4, 0.0f, 3},
  });
}

TEST(InputCases, NorthPole) {
  RunCases("north", {
      {1, kNorth, 0.5f, 0.0f, 0, 2, 1e-6f},
      {2, kNorth, 0.5f, 0.1464466f, 0, 2, 1e-6f},
      {3, kNorth, 0.5f, 0.2500113f, 0, 2, 1e-6f},
      {4, kNorth, 0.5f, 0.0f, 0, 2, 0.0f},
      {5, kNorth, kNone, kNone, 1, 2, 0.0f},
      {6, kNorth, 0.5f, 0.1228300f, 0, 2, 1e-6f},
      {7, kNorth, 0.5f, 0.0f, 0, 2, 5e-4f},
      {8, kNorth, 0.5f, 0.0000227f, 0, 2, 2e-6f},
      {9, kNorth, kNone, kNone, 1, 2, 0.0f},
      {10, kNorth, 0.0f, 0.0f, 1, 2, 0.0f},
      {11, kNorth, 0.5f, 0.5f, 0, 6, 0.0f},
      {12, kNorth, 13.0f / 24.0f, 0.0f, 0, 0, 1e-6f},
      {13, kNorth, 0.5f, 0.0f, 0, 2, 1e-6f},
      {14, kNorth, 0.5f, 0.0f, 0, 2, 5e-3f},  // the flattened arc magnifies FastAcos near 1
      {15, kNorth, 0.5f, 0.0000338f, 0, 2, 1e-6f},
      {16, kNorth, 1.0f / 3.0f, 0.0f, 0, 2, 1e-6f},
      {17, kNorth, 0.5f, 0.0f, 0, 2, 1e-6f},
      {18, kNorth, 0.5f, 0.0798517f, 0, 2, 1e-6f},
      {19, kNorth, 0.5f, 0.5f, 0, 0, 1e-6f},
      {21, kNorth, 0.5f, 0.0f, 0, 2, 1e-6f},
      {22, kNorth, 0.5f, 0.0f, 0, 2, 1e-6f},
      {23, kNorth, 0.5f, 0.0f, 0, 2, 1e-6f},
      {24, kNorth, 0.5f, 0.0f, 0, 2, 1e-6f},
      {25, kNorth, 7.0f / 12.0f, 0.0f, 0, 0, 1e-6f},
      {26, kNorth, 0.25f, 0.5f, 0, 3, 0.0f},
      {27, kNorth, 0.5f, 0.5f, 0, 6, 0.0f, 5},
      {28, kNorth, 0.5f, 0.5f, 0, 6, 0.0f, 5},
  });
}

TEST(InputCases, SouthPole) {
  RunCases("south", {
      {1, kSouth, 0.5f, 1.0f, 0, 2, 1e-6f},
      {2, kSouth, 0.5f, 0.8535534f, 0, 2, 1e-6f},
      {3, kSouth, 0.5f, 0.7499887f, 0, 2, 1e-6f},
      {4, kSouth, 0.5f, 1.0f, 0, 2, 0.0f},
      {5, kSouth, kNone, kNone, 1, 2, 0.0f},
      {6, kSouth, 0.5f, 0.8771700f, 0, 2, 1e-6f},
      {7, kSouth, 0.5f, 1.0f, 0, 2, 5e-4f},
      {8, kSouth, 0.5f, 0.9999773f, 0, 2, 2e-6f},
      {9, kSouth, kNone, kNone, 1, 2, 0.0f},
      {10, kSouth, 0.0f, 0.0f, 1, 2, 0.0f},
      {11, kSouth, 0.5f, 0.5f, 0, 3, 0.0f},
      {12, kSouth, 13.0f / 24.0f, 1.0f, 0, 0, 1e-6f},
      {13, kSouth, 0.5f, 1.0f, 0, 2, 1e-6f},
      {14, kSouth, 0.5f, 1.0f, 0, 2, 5e-3f},
      {15, kSouth, 0.5f, 0.9999662f, 0, 2, 1e-6f},
      {16, kSouth, 1.0f / 3.0f, 1.0f, 0, 2, 1e-6f},
      {17, kSouth, 0.5f, 1.0f, 0, 2, 1e-6f},
      {18, kSouth, 0.5f, 0.9201483f, 0, 2, 1e-6f},
      {19, kSouth, kNone, kNone, 1, -1, 0.0f},
      {21, kSouth, 0.5f, 1.0f, 0, 2, 1e-6f},
      {22, kSouth, 0.5f, 1.0f, 0, 2, 1e-6f},
      {23, kSouth, 0.5f, 1.0f, 0, 2, 1e-6f},
      {24, kSouth, 0.5f, 1.0f, 0, 2, 1e-6f},
      {25, kSouth, 7.0f / 12.0f, 1.0f, 0, 0, 1e-6f},
      {26, kSouth, 0.75f, 0.5f, 0, 2, 0.0f},
      {27, kSouth, 0.5f, 0.5f, 0, 3, 0.0f, 2},
      {28, kSouth, 0.5f, 0.5f, 0, 3, 0.0f, 2},
  });
}

TEST(InputCases, SeamBehindTheView) {
  // Just west of the seam (x > 0) reads the left edge of an equirectangular
  // layout, just east (x < 0) the right edge.
  const Vec3f west = Unit(1e-3, 0.0, -1.0);
  const Vec3f east = Unit(-1e-3, 0.0, -1.0);
  const float edge = 1e-3f / 6.2831855f + 1e-6f;
  RunCases("seam", {
      {1, west, 0.0f, kEquatorV, 0, 2, edge},
      {1, east, 1.0f, kEquatorV, 0, 2, edge},
      {2, kBack, 0.5f, 1.0f, 0, 2, 0.0f},  // the antipode: a defined rim point
      {3, kBack, 1.0f, 0.5f, 0, 2, 1e-6f},
      {4, kBack, kNone, kNone, 1, 2, 0.0f},
      {5, west, 0.0f, 0.5f, 0, 2, edge},
      {6, kBack, 0.5f, 1.0f, 0, 2, 0.0f},
      {7, west, 0.0f, 0.5f, 0, 2, 2 * edge},
      {7, east, 1.0f, 0.5f, 0, 3, 2 * edge},
      {8, kBack, kNone, kNone, 1, 2, 0.0f},
      {9, kBack, kNone, kNone, 1, 2, 0.0f},
      {10, kBack, 0.0f, 0.0f, 1, 2, 0.0f},
      {11, kBack, 0.5f, 0.5f, 0, 1, 0.0f},
      {12, west, 0.0f, 0.5f, 0, -5, 2 * edge},
      {12, east, 1.0f, 0.5f, 0, 5, 2 * edge},
      {13, kBack, kNone, kNone, 1, 2, 0.0f},
      {14, kBack, kNone, kNone, 1, 2, 0.0f},
      {15, kBack, kNone, kNone, 1, 2, 0.0f},
      {16, kBack, kNone, kNone, 1, 2, 0.0f},
      {17, west, 0.0f, 0.5f, 0, 2, 2 * edge},
      {17, east, 1.0f, 0.5f, 0, 3, 2 * edge},
      {18, kBack, 0.5f, 1.0f, 0, 2, 0.0f},
      {20, west, 0.0f, 0.5f, 0, 2, edge},
      {21, west, 0.0f, 0.5f, 0, 2, 0.02f},
      {21, east, 1.0f, 0.5f, 0, 3, 0.02f},
      {22, west, 0.0f, 0.5f, 0, 2, 2 * edge},
      {22, east, 1.0f, 0.5f, 0, 3, 2 * edge},
      {23, west, 0.0f, 0.5f, 0, 2, 2 * edge},
      {23, east, 1.0f, 0.5f, 0, 3, 2 * edge},
      {24, west, 0.0f, 0.5f, 0, 2, edge},
      {25, west, 0.0f, 0.5f, 0, -2, 2 * edge},
      {25, east, 1.0f, 0.5f, 0, 2, 2 * edge},
      {26, kBack, kNone, kNone, 1, -1, 0.0f},
      {27, kBack, 0.5f, 0.5f, 0, 1, 0.0f, 0},
      {28, kBack, 0.5f, 0.5f, 0, 1, 0.0f, 0},
  });
}

TEST(InputCases, FieldLimits) {
  // Just inside and just outside the part of the sphere each layout holds.
  const float a = 0.5f;  // a source twice as wide as high
  auto offAxis = [](double angleDeg, double around) {
    const double c = angleDeg * std::numbers::pi / 180.0;
    return Unit(-std::sin(c) * std::sin(around), -std::sin(c) * std::cos(around), std::cos(c));
  };
  std::vector<Case> cases = {
      {4, Unit(0.5, 0.0, -1e-3), kNone, kNone, 1, 2, 0.0f},
      {4, Unit(0.5, 0.3, 1e-3), 0.5f - 0.5f * Unit(0.5, 0.3, 1e-3).x, 0.5f - 0.5f * Unit(0.5, 0.3, 1e-3).y, 0, 2,
       1e-6f},
      {5, GeoDirection(0, 75), 0.5f, 0.5f - std::tan(75 * std::numbers::pi / 180) * 0.125f, 0, 2, 5e-4f},
      {5, GeoDirection(0, 77), kNone, kNone, 1, 2, 0.0f},
      {8, offAxis(89.0, 0.0), 0.5f, 0.5f + 0.5f * 89.0f / 90.0f, 0, 2, 1e-4f},
      {8, offAxis(91.0, 0.0), kNone, kNone, 1, 2, 0.0f},
      {10, Unit(0.0, 0.0, 1.0), 0.5f, 0.5f, 0, 2, 0.0f},
      {10, Unit(0.9, 0.0, 0.31), kNone, kNone, 1, -1, 0.0f},
      {13, GeoDirection(89, 0), 0.5f + 89.0f / 180.0f, kEquatorV, 0, 2, 1e-5f},
      {13, GeoDirection(-91, 0), kNone, kNone, 1, 2, 0.0f},
      {14, GeoDirection(89, 0), 0.5f + 0.5f * 89.0f / 90.0f, 0.5f, 0, 2, 1e-4f},
      {14, GeoDirection(-91, 0), kNone, kNone, 1, 2, 0.0f},
      {15, Unit(1.0, 0.0, -1e-3), kNone, kNone, 1, 2, 0.0f},
      {16, GeoDirection(59, 0), 1.0f - 1.0f / 90.0f, kEquatorV, 0, 2, 1e-5f},
      {16, GeoDirection(61, 0), kNone, kNone, 1, 2, 0.0f},
      {16, GeoDirection(-29, 0), 1.0f / 90.0f, kEquatorV, 0, 2, 1e-5f},
      {16, GeoDirection(-31, 0), kNone, kNone, 1, 2, 0.0f},
  };
  RunCases("limits", cases);
  // Full frame: the frame's corners lie 90 degrees from the view centre
  // along the diagonal whose tangent is 1/a (here the lower right corner).
  InputRig rig;
  const double around = std::atan2(1.0, a);
  SourcePoint inside = rig.Map(9, offAxis(89.5, around), a);
  EXPECT_EQ(inside.noSource, 0);
  EXPECT_NEAR(inside.x, 1.0 - 0.5 * (1.0 - 89.5 / 90.0), 2e-4);
  EXPECT_NEAR(inside.y, 1.0 - 0.5 * (1.0 - 89.5 / 90.0), 2e-4);
  SourcePoint outside = rig.Map(9, offAxis(90.5, around), a);
  EXPECT_EQ(outside.noSource, 1);
  EXPECT_EQ(outside.x, -1.0f);
  // The one cube face: the flag below z = 0.3 with (0, 0), and the worked
  // value of a direction that is not of unit length.
  SourcePoint low = rig.Map(10, Vec3f{0.0f, 0.0f, 0.29f});
  EXPECT_EQ(low.noSource, 1);
  EXPECT_EQ(low.x, 0.0f);
  EXPECT_EQ(low.y, 0.0f);
  EXPECT_EQ(low.subImage, 2);
  SourcePoint worked = rig.Map(10, Vec3f{0.3f, 0.0f, 0.5f});
  EXPECT_EQ(worked.noSource, 0);
  EXPECT_NEAR(worked.x, 0.2f, 1e-7f);
  // Mercator on a square source reaches 85.05 degrees; beyond, the flag
  // rises and the point keeps its value beyond the frame.
  SourcePoint m85 = rig.Map(20, GeoDirection(0, 85));
  EXPECT_EQ(m85.noSource, 0);
  EXPECT_NEAR(m85.y, 0.0016379f, 2e-4f);
  SourcePoint m86 = rig.Map(20, GeoDirection(30, 86));
  EXPECT_EQ(m86.noSource, 1);
  EXPECT_LT(m86.y, 0.0f);
  EXPECT_NEAR(m86.x, 0.5f + 30.0f / 360.0f, 1e-5f);
}

TEST(InputCases, ZenithAndNadirSquaresAndTheirEdgeWeight) {
  InputRig rig;
  // Inside each square the weight is 1; it falls to 0 at the square's edges,
  // the seam between the two squares included.
  SourcePoint up = rig.Map(26, kNorth);
  EXPECT_EQ(up.edgeWeight, 1.0f);
  SourcePoint down = rig.Map(26, kSouth);
  EXPECT_EQ(down.subImage, 2);
  EXPECT_EQ(down.edgeWeight, 1.0f);
  // Near the zenith square's right edge (its seam with the nadir square):
  // p close to 1 puts srcX close to 0.5.
  SourcePoint nearSeam = rig.Map(26, Unit(-0.99, 1.0, 0.0));
  EXPECT_EQ(nearSeam.noSource, 0);
  EXPECT_EQ(nearSeam.subImage, 3);
  EXPECT_NEAR(nearSeam.x, 0.5f - 0.25f * (1.0f - 0.99f), 1e-6f);
  EXPECT_NEAR(nearSeam.edgeWeight, 30.0f * 0.25f * 0.01f, 1e-5f);
  // Bottom edge of the nadir square.
  SourcePoint nearBottom = rig.Map(26, Unit(0.0, -1.0, -0.98));
  EXPECT_EQ(nearBottom.subImage, 2);
  EXPECT_NEAR(nearBottom.y, 0.99f, 1e-6f);
  EXPECT_NEAR(nearBottom.edgeWeight, 0.15f, 1e-5f);
  // A side face has no source, keeping the weight it computed.
  SourcePoint side = rig.Map(26, Vec3f{1.0f, 0.0f, 0.0f}, 1.0f, 0, 0.25f);
  EXPECT_EQ(side.noSource, 1);
  EXPECT_EQ(side.subImage, -1);
  EXPECT_EQ(side.x, -1.0f);
  EXPECT_EQ(side.edgeWeight, 1.0f);
  // Every other input leaves the caller's weight alone.
  for (int32_t input = 1; input <= 28; ++input) {
    if (input == 26) continue;
    EXPECT_EQ(rig.Map(input, Unit(0.3, 0.2, 0.9), 1.0f, 0, 0.25f).edgeWeight, 0.25f) << input;
  }
}

TEST(InputCases, CrossesPickTheFaceAndTurnTheBackFaceOfTheVerticalCross) {
  InputRig rig;
  struct FaceCase {
    Vec3f d;
    int32_t face;
  };
  const FaceCase faces[] = {{{0, 0, -1}, 0}, {{-1, 0, 0}, 1}, {{0, -1, 0}, 2},
                            {{0, 0, 1}, 3},  {{1, 0, 0}, 4},  {{0, 1, 0}, 5}};
  for (const FaceCase& f : faces) {
    for (int32_t input : {11, 27, 28}) {
      SourcePoint p = rig.Map(input, f.d);
      EXPECT_EQ(p.subImage, f.face + 1) << input;
      EXPECT_EQ(p.inputFace, input == 11 ? -1 : f.face) << input;
    }
  }
  // Off the back face's centre the vertical cross reads it turned by a half turn.
  const Vec3f d = Unit(0.2, 0.3, -1.0);
  SourcePoint h = rig.Map(27, d);
  SourcePoint v = rig.Map(28, d);
  EXPECT_NEAR(v.x, 1.0f - h.x, 1e-6f);
  EXPECT_NEAR(v.y, 1.0f - h.y, 1e-6f);
  EXPECT_NEAR(h.x, 0.5f + 0.5f * 0.2f, 1e-6f);
  EXPECT_NEAR(h.y, 0.5f - 0.5f * 0.3f, 1e-6f);
  // Other faces are read alike by both crosses.
  const Vec3f right = Unit(-1.0, 0.3, 0.2);
  EXPECT_EQ(rig.Map(27, right).x, rig.Map(28, right).x);
}

TEST(InputCases, WorldMapsSplitIntoHalves) {
  // Inputs 7, 17, 21, 22 and 23 give sub-image 3 exactly when srcX > 0.5;
  // the others keep 2 unless they are gores or cubes.
  InputRig rig;
  for (int32_t input : {7, 17, 21, 22, 23}) {
    int32_t seen2 = 0, seen3 = 0;
    for (int lon = -179; lon <= 179; lon += 7) {
      for (int lat = -85; lat <= 85; lat += 17) {
        SourcePoint p = rig.Map(input, GeoDirection(lon, lat));
        ASSERT_EQ(p.noSource, 0) << input;
        EXPECT_EQ(p.subImage, p.x > 0.5f ? 3 : 2) << input << " " << lon << " " << lat;
        (p.subImage == 3 ? seen3 : seen2)++;
      }
    }
    EXPECT_GT(seen2, 0);
    EXPECT_GT(seen3, 0);
  }
}

TEST(InputCases, GoresNumberTheirSubImagesFromTheCentre) {
  // Gore k of n has offset g = k - (n - 1)/2; the sub-image is g truncated
  // towards zero, so the two gores beside the central meridian share 0.
  InputRig rig;
  for (int32_t n : {12, 6}) {
    const int32_t input = n == 12 ? 12 : 25;
    for (int32_t k = 0; k < n; ++k) {
      const double g = k - (n - 1) / 2.0;
      const double lonCentre = 360.0 / n * g;
      for (double lat : {-70.0, -20.0, 10.0, 60.0}) {
        SourcePoint p = rig.Map(input, GeoDirection(lonCentre + 0.3 * 360.0 / n, lat));
        EXPECT_EQ(p.noSource, 0);
        EXPECT_EQ(p.subImage, static_cast<int32_t>(g)) << n << " gore " << k;
        // The gore's central meridian is a straight vertical line.
        SourcePoint m = rig.Map(input, GeoDirection(lonCentre, lat));
        EXPECT_NEAR(m.x, 0.5 + lonCentre / 360.0, 1e-5) << n << " gore " << k;
      }
    }
  }
}

TEST(InputCases, RadialGoresMakeAFlowerOfTheNorthernHalf) {
  InputRig rig;
  // The equator lies on the circle of radius 0.5, the pole at the centre, and
  // each gore's central meridian points in its own direction.
  for (int32_t k = 0; k < 12; ++k) {
    const double g = k - 5.5;
    const double lonCentre = 30.0 * g;
    SourcePoint eq = rig.Map(19, GeoDirection(lonCentre, 0.0));
    EXPECT_EQ(eq.noSource, 0);
    const double r = std::hypot(eq.x - 0.5, eq.y - 0.5);
    EXPECT_NEAR(r, 0.5, 1e-4) << k;
    SourcePoint mid = rig.Map(19, GeoDirection(lonCentre, 45.0));
    EXPECT_NEAR(std::hypot(mid.x - 0.5, mid.y - 0.5), 0.25, 1e-4) << k;
    // Petal axis: angle A = -(g + 0.5)·2π/12 turns the downward radius.
    const double angle = -(g + 0.5) * 2.0 * std::numbers::pi / 12.0;
    EXPECT_NEAR(eq.x - 0.5, -std::sin(angle) * 0.5, 2e-3) << k;
    EXPECT_NEAR(eq.y - 0.5, std::cos(angle) * 0.5, 2e-3) << k;
    SourcePoint south = rig.Map(19, GeoDirection(lonCentre, -5.0));
    EXPECT_EQ(south.noSource, 1);
    EXPECT_EQ(south.subImage, -1);
  }
}

TEST(InputCases, FlipMirrorsEveryPathIncludingNoSource) {
  InputRig rig;
  const Vec3f directions[] = {kCentre, kNorth, kSouth, kBack, Unit(0.3, 0.2, 0.9), Unit(-0.8, -0.1, 0.3),
                              Unit(0.5, -0.7, -0.4), Unit(-0.2, 0.9, -0.3)};
  for (int32_t input = 1; input <= 29; ++input) {
    for (const Vec3f& d : directions) {
      SourcePoint plain = rig.Map(input, d);
      SourcePoint flipped = rig.Map(input, d, 1.0f, 1);
      EXPECT_EQ(flipped.x, 1.0f - plain.x) << input;
      EXPECT_EQ(flipped.y, plain.y) << input;
      EXPECT_EQ(flipped.noSource, plain.noSource) << input;
      EXPECT_EQ(flipped.subImage, plain.subImage) << input;
      EXPECT_EQ(flipped.inputFace, plain.inputFace) << input;
      if (plain.noSource == 1 && plain.x == -1.0f) {
        EXPECT_EQ(flipped.x, 2.0f) << input;
      }
    }
  }
}

// The per-pixel road maps the equirectangular source inline: the same bits
// as the dispatch, with or without the flip, at the poles, the seam and a
// direction a rounding step past a pole.
TEST(InputCases, InlineEquirectangularSourceMatchesTheDispatch) {
  InputRig rig;
  const Vec3f directions[] = {kCentre, kNorth, kSouth, kBack, Unit(0.3, 0.2, 0.9), Unit(-0.8, -0.1, 0.3),
                              Unit(0.5, -0.7, -0.4), Vec3f{-0.0f, 0.0f, -1.0f}, Vec3f{0.0f, 1.0000001f, 0.0f}};
  for (int32_t flip = 0; flip <= 1; ++flip) {
    for (const Vec3f& d : directions) {
      const SourcePoint dispatched = rig.Map(1, d, 1.0f, flip);
      float x = 0.0f;
      float y = 0.0f;
      MapEquirectSource(&d, flip, &x, &y);
      const std::string where = "flip " + std::to_string(flip) + " d (" + std::to_string(d.x) + ", " +
                                std::to_string(d.y) + ", " + std::to_string(d.z) + ")";
      EXPECT_EQ(std::bit_cast<uint32_t>(x), std::bit_cast<uint32_t>(dispatched.x)) << where;
      EXPECT_EQ(std::bit_cast<uint32_t>(y), std::bit_cast<uint32_t>(dispatched.y)) << where;
      EXPECT_EQ(dispatched.noSource, 0) << where;
      EXPECT_EQ(dispatched.subImage, kWholeSourceSubImage) << where;
      EXPECT_EQ(dispatched.inputFace, -1) << where;
      EXPECT_EQ(dispatched.edgeWeight, -7.0f) << where;
    }
  }
}

TEST(InputCases, SoccerInputHasNoSourceWithoutItsNet) {
  InputRig rig;
  SourcePoint p = rig.Map(29, kCentre);
  EXPECT_EQ(p.noSource, 1);
  EXPECT_TRUE(IsSoccerInput(29));
  EXPECT_FALSE(IsSoccerInput(28));
}

}  // namespace

namespace {

TEST(InputCases, NicolosiMeridiansAreCircularArcsWithEqualAngleSteps) {
  // Each meridian is the circle through both poles, (0.5, 0) and (0.5, 1),
  // and its equator point at 0.5 + 0.5·lon/90; a latitude takes the same
  // share of the arc's angle.
  InputRig rig;
  for (double lon : {-80.0, -45.0, 20.0, 60.0, 89.0}) {
    const double xe = 0.5 + 0.5 * lon / 90.0;
    // Centre (cx, 0.5): (0.5 - cx)² + 0.25 = (xe - cx)².
    const double cx = (xe * xe - 0.25 - 0.25) / (2.0 * (xe - 0.5));
    const double radius = std::fabs(xe - cx);
    const double halfArc = std::atan2(0.5, std::fabs(0.5 - cx));  // pole angle seen from the centre
    for (double lat = -75.0; lat <= 75.0; lat += 15.0) {
      SourcePoint p = rig.Map(14, GeoDirection(lon, lat));
      ASSERT_EQ(p.noSource, 0);
      EXPECT_NEAR(std::hypot(p.x - cx, p.y - 0.5), radius, 2e-4) << lon << " " << lat;
      const double angle = std::atan2(0.5 - p.y, std::fabs(p.x - cx));
      const double expected = halfArc * lat / 90.0;
      EXPECT_NEAR(angle, expected, 2e-4) << lon << " " << lat;
    }
  }
}

}  // namespace

namespace {

TEST(InputCases, RadialGoresAtTheViewCentreAndTheSeam) {
  // Both lie on the equator, the rim of the flower; the view centre sits
  // between the two middle petals, the seam between the first and the last.
  InputRig rig;
  for (Vec3f d : {kCentre, Unit(1e-3, 0.0, -1.0), Unit(-1e-3, 0.0, -1.0)}) {
    SourcePoint p = rig.Map(19, d);
    EXPECT_EQ(p.noSource, 0);
    const double r = std::hypot(p.x - 0.5, p.y - 0.5);
    EXPECT_GE(r, 0.49);
    EXPECT_LE(r, 0.51);
  }
  EXPECT_EQ(rig.Map(19, Unit(1e-3, 0.0, -1.0)).subImage, -5);
  EXPECT_EQ(rig.Map(19, Unit(-1e-3, 0.0, -1.0)).subImage, 5);
}

}  // namespace
