// Particular points of the closed-form outputs: domain edges, regions, the
// outputs that ignore the layout, the gore edges, degenerate fields of view
// and the centre lines where a formula would divide by zero.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "output_test_support.h"
#include "projection/output_families.h"

namespace {

constexpr double kPi = std::numbers::pi;

double Longitude(const Vec3f& d) { return std::atan2(-double(d.x), double(d.z)); }
double Latitude(const Vec3f& d) { return std::asin(std::fmax(-1.0, std::fmin(1.0, double(d.y) / LengthOf(d)))); }
double Gap(const Vec3f& a, const Vec3f& b) { return AngleBetween(a, Vec3{b.x, b.y, b.z}); }

TEST(OutputCases, EquirectangularEdge) {
  OutputRig rig(1, 1, 200, 100);
  ASSERT_FLOAT_EQ(rig.mesh->layoutScale, 1.0f);
  const OutputHit edge = rig.At(1.0f, 0.5f);  // X = 0.5, Y = 0
  ASSERT_FALSE(edge.outside);
  EXPECT_NEAR(edge.d.x, 0, 1e-6);
  EXPECT_NEAR(edge.d.y, 0, 1e-6);
  EXPECT_NEAR(edge.d.z, -1, 1e-6);
  EXPECT_TRUE(rig.At(1.0002f, 0.5f).outside);
  EXPECT_TRUE(rig.At(0.5f, -0.0002f).outside);
  // Right of the centre is east: towards -x.
  EXPECT_LT(rig.At(0.75f, 0.5f).d.x, -0.99f);
}

TEST(OutputCases, AnnulusRingFollowsTheFieldOfView) {
  {
    OutputRig rig(59, 1, 200, 200, 0);
    for (float nx = 0; nx <= 1; nx += 0.05f) {
      for (float ny = 0; ny <= 1; ny += 0.05f) EXPECT_TRUE(rig.At(nx, ny).outside);
    }
  }
  {
    // A negative field of view is no ring either.
    OutputRig rig(59, 1, 200, 200, -60);
    EXPECT_TRUE(rig.AtPlane(0.45, 0).outside);
  }
  OutputRig rig(59, 1, 200, 200, 90);  // a = 0.5: the ring 0.5 <= x^2 + y^2 <= 1
  EXPECT_TRUE(rig.AtPlane(0.3, 0.1).outside);    // x^2 + y^2 = 0.4
  EXPECT_FALSE(rig.AtPlane(0.3, 0.25).outside);  // 0.61
  EXPECT_TRUE(rig.AtPlane(0.4, 0.35).outside);   // 1.13
  // The inner rim is the north pole, the outer the south pole.
  EXPECT_NEAR(rig.AtPlane(std::sqrt(0.5) / 2 + 1e-6, 0).d.y, 1, 1e-4);
  EXPECT_NEAR(rig.AtPlane(0.5, 0).d.y, -1, 1e-4);
}

TEST(OutputCases, MagnipolarMeetsPolarAtTheRim) {
  OutputRig polar(3, 1, 200, 200);
  OutputRig magni(50, 1, 200, 200);
  for (const double angle : {0.0, 1.0, 2.5, 4.0}) {
    const double x = 0.5 * std::cos(angle);
    const double y = 0.5 * std::sin(angle);
    EXPECT_LT(Gap(polar.AtPlane(x * 0.99999, y * 0.99999).d, magni.AtPlane(x * 0.99999, y * 0.99999).d), 1e-3);
  }
  EXPECT_LT(Gap(polar.AtPlane(0, 0).d, Vec3f{0, 0, 1}), 1e-6);
  EXPECT_LT(Gap(magni.AtPlane(0, 0).d, Vec3f{0, 0, 1}), 1e-6);
  // Between centre and rim the magnified disc shows less of the sphere.
  EXPECT_LT(magni.AtPlane(0.25, 0).d.z, 1.0f);
  EXPECT_GT(magni.AtPlane(0.25, 0).d.z, polar.AtPlane(0.25, 0).d.z);
}

// In a gore, a point off the gore's centre line never takes the central
// meridian: where the polyconic parallel ends before the point (the arc
// sine's argument passes 1) the point is outside.
TEST(OutputCases, GorePointsOffTheCentreLineKeepTheirSide) {
  for (const int32_t output : {36, 37, 38, 73, 74, 1054}) {
    OutputRig rig(output, 1, 200, 100, 120, 0);
    const double goreCount = rig.context->goreCount;
    int32_t inside = 0;
    for (int32_t j = 0; j <= 100; ++j) {
      for (int32_t i = 0; i <= 400; ++i) {
        const float nx = float(i) / 400;
        const float ny = float(j) / 100;  // 400 x 100 samples of a 2:1 image
        const OutputHit hit = rig.At(nx, ny);
        if (hit.outside) continue;
        ++inside;
        const double g = (2.0 * (nx - 0.5) * rig.mesh->layoutScale + 1) / 2 * goreCount;
        const double offset = g - std::floor(g) - 0.5;
        if (std::fabs(offset) < 0.05 || std::fabs(Latitude(hit.d)) > 1.55) continue;
        const double centre = 2 * kPi * ((std::floor(g) + 0.5) / goreCount - 0.5);
        double delta = Longitude(hit.d) - centre;
        delta = std::remainder(delta, 2 * kPi);
        EXPECT_GT(delta * offset, 0) << "output " << output << " at " << nx << ", " << ny;
      }
    }
    EXPECT_GT(inside, 5000) << "output " << output;
  }
}

TEST(OutputCases, GoreCornersAreBetweenGores) {
  OutputRig rig(36, 1, 200, 100, 120, 0);
  // Near the left edge of gore 0, 70 degrees north, and near the pole at
  // nine tenths across gore 5.
  EXPECT_TRUE(rig.AtPlane(-0.4995, -0.2).outside);
  EXPECT_TRUE(rig.AtPlane((2 * 5.9 / 12 - 1) / 2, -0.22).outside);
  EXPECT_FALSE(rig.AtPlane((2 * 5.5 / 12 - 1) / 2, -0.22).outside);
}

// With three gores ("gores multi" at a field of view of 15) the Newton steps
// leave the polyconic near a gore's edge: at xx = -0.9479, yy = -1.2176
// they settle at a latitude of the other sign where tan(phi)*xx is -6.2.
// That point is outside, not painted with the gore's central meridian.
TEST(OutputCases, GoreArcSineBeyondOneIsOutside) {
  OutputRig rig(38, 1, 200, 100, 15, 0);
  ASSERT_EQ(rig.context->goreCount, 3.0f);
  const double goreTurn = 6.2846084;
  const double g = 1 + 0.5 + -0.947928 * 3 / goreTurn;  // gore 1
  const double x2 = 2 * g / 3 - 1;
  const double y2 = -1.217643 / (0.5 * goreTurn);
  EXPECT_TRUE(rig.AtPlane(x2 / 2, y2 / 2).outside);
  // Its mirror image across the equator's line, too.
  EXPECT_TRUE(rig.AtPlane(x2 / 2, -y2 / 2).outside);
}

TEST(OutputCases, LagrangePlusIsNeverOutside) {
  OutputRig lagrange(69, 1, 200, 200);
  OutputRig plus(89, 1, 200, 200);
  int32_t outsideLagrange = 0;
  for (float nx = -0.1f; nx <= 1.1f; nx += 0.02f) {
    for (float ny = -0.1f; ny <= 1.1f; ny += 0.02f) {
      EXPECT_FALSE(plus.At(nx, ny).outside);
      outsideLagrange += lagrange.At(nx, ny).outside ? 1 : 0;
    }
  }
  EXPECT_GT(outsideLagrange, 100);
  EXPECT_TRUE(lagrange.AtPlane(0.95, 0.95).outside);
}

TEST(OutputCases, DirectOutputsIgnoreTheLayout) {
  for (const int32_t output : {62, 81, 88}) {
    OutputRig rig(output, 1, 200, 150);
    const OutputHit before = rig.At(0.3f, 0.6f);
    rig.mesh->layoutScale *= 3;
    rig.mesh->centreX = 0.2f;
    const OutputHit after = rig.At(0.3f, 0.6f);
    ASSERT_FALSE(before.outside) << output;
    EXPECT_EQ(before.d.x, after.d.x) << output;
    EXPECT_EQ(before.d.y, after.d.y) << output;
    EXPECT_EQ(before.d.z, after.d.z) << output;
  }
}

TEST(OutputCases, ZenithAndNadirRegions) {
  OutputRig rig(171, 1, 200, 100);
  const OutputHit left = rig.AtPlane(-0.25, 0);
  const OutputHit right = rig.AtPlane(0.25, 0);
  ASSERT_FALSE(left.outside);
  ASSERT_FALSE(right.outside);
  EXPECT_EQ(left.region, 1);
  EXPECT_EQ(right.region, 2);
  EXPECT_NEAR(left.d.y, 1, 1e-6);
  EXPECT_NEAR(right.d.y, -1, 1e-6);
  EXPECT_TRUE(rig.AtPlane(-0.25, -0.26).outside);
  EXPECT_TRUE(rig.AtPlane(0.25, 0.26).outside);
  // Through the full road the region becomes the pixel's status.
  EXPECT_EQ(rig.Road(rig.NxOf(0.25), rig.NyOf(0.1)).status, 2);
}

TEST(OutputCases, TwoCylindersOutsideWhereNoCandidatePasses) {
  OutputRig rig(159, 1, 200, 200);
  // (a, b) = (0, 0): the upright candidate (0, 0, 1) fails its strict test.
  EXPECT_TRUE(rig.AtPlane(0, 0).outside);
  EXPECT_FALSE(rig.AtPlane(0.1, 0.3).outside);
  // b = 3.2 (a = 0) lies beyond half a turn of the upright cylinder.
  const double c = std::cos(kPi / 4);
  const double s = std::sin(kPi / 4);
  const double re = 0;
  const double im = -3.2;  // w = (-a, -b)
  EXPECT_TRUE(rig.AtPlane(re * c - im * s, re * s + im * c).outside);
}

TEST(OutputCases, OrthographicGlobesSetTheViewNormal) {
  for (const int32_t output : {5, 134, 139, 143}) {
    OutputRig rig(output, 1, 200, 200);
    const OutputHit hit = rig.AtPlane(0.2, -0.1);
    ASSERT_FALSE(hit.outside);
    EXPECT_EQ(hit.viewNormal.x, hit.d.x);
    EXPECT_EQ(hit.viewNormal.z, hit.d.z);
    EXPECT_NEAR(hit.d.x, -0.4, 1e-6);
    EXPECT_NEAR(hit.d.y, 0.2, 1e-6);
  }
}

TEST(OutputCases, SemicircleTilt) {
  Vec3f d{0, 0, 1};
  TiltDirectionForSemicircle(&d);
  EXPECT_NEAR(d.z, std::sqrt(0.5), 1e-7);
  EXPECT_NEAR(d.y, -std::sqrt(0.5), 1e-7);
  Vec3f e{0.6f, 0.8f, 0};
  TiltDirectionForSemicircle(&e);
  EXPECT_FLOAT_EQ(e.x, -0.6f);
  EXPECT_NEAR(e.z, -0.8 * std::sqrt(0.5), 1e-7);
  EXPECT_NEAR(e.y, -0.8 * std::sqrt(0.5), 1e-7);
}

TEST(OutputCases, PaniniHorizonIsTwiceTheHalfAngleTangent) {
  OutputRig rig(255, 1, 200, 200, 90);  // T = 2
  EXPECT_LT(Gap(rig.AtPlane(0, 0).d, Vec3f{0, 0, 1}), 1e-6);
  for (const double x : {0.1, 0.3, 0.5}) {
    // X T/2 = tan(λ/2).
    const OutputHit hit = rig.AtPlane(x, 0);
    ASSERT_FALSE(hit.outside);
    EXPECT_NEAR(Longitude(hit.d), 2 * std::atan(x), 1e-6);
    EXPECT_NEAR(hit.d.y, 0, 1e-7);
  }
}

// A field of view of zero or below works as the smallest one: the image is
// the same, finite and not turned inside out.
TEST(OutputCases, DegenerateFieldOfViewIsClamped) {
  const int32_t outputs[] = {14, 15, 16, 18, 52, 56, 57, 58, 60, 65, 66, 67, 68, 82, 85, 88, 135, 136, 255};
  for (const int32_t output : outputs) {
    OutputRig smallest(output, 1, 200, 150, kMinimumFov);
    for (const float fov : {0.0f, -30.0f, -179.0f}) {
      OutputRig rig(output, 1, 200, 150, fov);
      for (const float nx : {0.05f, 0.3f, 0.5f, 0.71f, 0.98f}) {
        for (const float ny : {0.02f, 0.4f, 0.5f, 0.93f}) {
          const OutputHit a = rig.At(nx, ny);
          const OutputHit b = smallest.At(nx, ny);
          ASSERT_EQ(a.outside, b.outside) << output << " fov " << fov;
          if (a.outside) continue;
          EXPECT_EQ(a.d.x, b.d.x) << output << " fov " << fov;
          EXPECT_EQ(a.d.y, b.d.y) << output << " fov " << fov;
          EXPECT_EQ(a.d.z, b.d.z) << output << " fov " << fov;
        }
      }
    }
  }
}

// Before the clamp a negative field of view made 1 + r T vanish on a circle
// of the hyperbolic disc.
TEST(OutputCases, HyperbolicStaysFiniteForNegativeFieldOfView) {
  OutputRig rig(15, 1, 200, 200, -90);  // T would be -2: r = 0.5 at X = 0.25
  const OutputHit hit = rig.AtPlane(0.25, 0);
  ASSERT_FALSE(hit.outside);
  EXPECT_NEAR(LengthOf(hit.d), 1, 1e-5);
}

TEST(OutputCases, LoopIsContinuousAcrossItsCentreLine) {
  OutputRig rig(39, 1, 200, 200);
  // On the centre line the loop is inside from its middle downwards.
  EXPECT_TRUE(rig.AtPlane(0, -0.1).outside);
  for (const double y : {0.0, 0.05, 0.2, 0.45}) {
    const OutputHit centre = rig.AtPlane(0, y);
    ASSERT_FALSE(centre.outside) << y;
    EXPECT_NEAR(LengthOf(centre.d), 1, 1e-5);
    const OutputHit left = rig.AtPlane(-1e-4, y);
    const OutputHit right = rig.AtPlane(1e-4, y);
    EXPECT_LT(Gap(centre.d, left.d), 2e-3) << y;
    EXPECT_LT(Gap(centre.d, right.d), 2e-3) << y;
  }
}

TEST(OutputCases, NumbersWithoutClosedFormLeaveTheDirection) {
  for (const int32_t output : {6, 21, 45, 64, 200}) {
    OutputRig rig(output, 1, 200, 200);
    PixelMapping mapping{};
    Vec3f d{0.25f, 0.5f, 0.75f};
    uint8_t outside = 0;
    int32_t region = -1;
    PlaneToSphereForOutput(0.4f, 0.6f, rig.context.get(), &mapping, rig.outputFaces.get(), &d, &outside, &region);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(region, -1);
    EXPECT_EQ(d.x, 0.25f);
    EXPECT_EQ(d.z, 0.75f);
  }
}

}  // namespace
