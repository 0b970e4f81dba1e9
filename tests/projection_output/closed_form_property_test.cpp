// Geometric properties of closed-form outputs that hold whatever their
// formulas look like: panels meet without a jump, the parallels of a
// pole-centred map are circles about the pole's image, and the two cylinders
// lie along the image's diagonals.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "output_test_support.h"

namespace {

constexpr double kPi = std::numbers::pi;

double Gap(const Vec3f& a, const Vec3f& b) { return AngleBetween(a, Vec3{b.x, b.y, b.z}); }
double Latitude(const Vec3f& d) { return std::asin(std::fmax(-1.0, std::fmin(1.0, double(d.y) / LengthOf(d)))); }

// Neighbouring panels of the triptych and tetraptych show the sphere
// continuously: the two sides of each cut are as close as two points the
// same distance apart inside a panel, give or take the rounding of the
// single-precision conversions.
TEST(ClosedFormProperties, PanelsMeetWithoutAJump) {
  struct PanelCase {
    int32_t output;
    double cuts[3];
    int32_t cutCount;
  };
  const PanelCase cases[] = {{57, {1.0 / 3, 2.0 / 3, 0}, 2}, {58, {0.25, 0.5, 0.75}, 3}};
  for (const PanelCase& c : cases) {
    for (const float fov : {60.0f, 90.0f, 120.0f}) {
      OutputRig rig(c.output, 1, 300, 200, fov);
      const double t = rig.context->fovTan;
      for (int32_t k = 0; k < c.cutCount; ++k) {
        const double nx = (c.cuts[k] - 0.5) / t + 0.5;
        for (const float ny : {0.2f, 0.5f, 0.77f}) {
          constexpr double e = 2e-4;
          const OutputHit left = rig.At(float(nx - e), ny);
          const OutputHit right = rig.At(float(nx + e), ny);
          const OutputHit inner = rig.At(float(nx - 3 * e), ny);
          ASSERT_FALSE(left.outside || right.outside || inner.outside);
          const double step = Gap(inner.d, left.d) / 2;  // the gap of a step of e within the panel
          // The side panels pass through the arc cosine polynomial (7e-5).
          EXPECT_LT(Gap(left.d, right.d), 2 * step + 4e-4)
              << "output " << c.output << " fov " << fov << " cut " << c.cuts[k] << " row " << ny;
        }
      }
    }
  }
}

// Werner and half-polar draw the parallels as circles about the image of
// the north pole: the latitude depends only on the distance from that
// point, and falls steadily away from it.
TEST(ClosedFormProperties, ParallelsAreCirclesAboutThePole) {
  struct PoleCase {
    int32_t output;
    float width;
    float height;
    double poleX;  // the plane point of the north pole
    double poleY;
    double radii[3];
  };
  // Werner's pole lies where 0.6 y + 5/12 = 0; half-polar's where 2Y + 0.5 = 0.
  const PoleCase cases[] = {{12, 200, 200, 0, -5.0 / 12 / 1.2, {0.1, 0.25, 0.4}},
                            {4, 240, 120, 0, -0.25, {0.05, 0.15, 0.22}}};
  for (const PoleCase& c : cases) {
    OutputRig rig(c.output, 1, c.width, c.height);
    const OutputHit pole = rig.AtPlane(c.poleX, c.poleY + 1e-5);
    ASSERT_FALSE(pole.outside) << c.output;
    EXPECT_GT(pole.d.y, 0.9999f) << c.output;
    double previous = kPi / 2;
    for (const double radius : c.radii) {
      double lo = 10;
      double hi = -10;
      int32_t inside = 0;
      for (int32_t k = 0; k < 24; ++k) {
        const double angle = 2 * kPi * (k + 0.5) / 24;
        const OutputHit hit = rig.AtPlane(c.poleX + radius * std::sin(angle), c.poleY + radius * std::cos(angle));
        if (hit.outside) continue;
        ++inside;
        lo = std::fmin(lo, Latitude(hit.d));
        hi = std::fmax(hi, Latitude(hit.d));
      }
      EXPECT_GE(inside, 6) << c.output << " radius " << radius;
      EXPECT_LT(hi - lo, 1e-4) << c.output << " radius " << radius;
      EXPECT_LT(hi, previous) << c.output << " radius " << radius;
      previous = lo;
    }
  }
}

// The pole-centred discs (the stars within their inner disc) put the north pole at the disc's centre, turned to
// face the viewer, and draw each parallel as a circle about it.
TEST(ClosedFormProperties, DiscCentresAreThePoleTurnedToTheFront) {
  struct DiscCase {
    int32_t output;
    double centreY;  // the plane point of the disc's centre (x = 0)
    double radii[2];
  };
  const DiscCase cases[] = {{3, 0, {0.1, 0.4}},   {50, 0, {0.1, 0.4}},     {15, 0, {0.1, 0.4}},
                            {19, 0, {0.1, 0.4}},  {24, 0, {0.1, 0.4}},     {43, 0.135, {0.05, 0.1}},
                            {48, 0.096, {0.05, 0.15}}, {49, 0.0475, {0.05, 0.15}}};
  for (const DiscCase& c : cases) {
    OutputRig rig(c.output, 1, 200, 200);
    const OutputHit centre = rig.AtPlane(0, c.centreY);
    ASSERT_FALSE(centre.outside) << c.output;
    EXPECT_LT(Gap(centre.d, Vec3f{0, 0, 1}), 1e-3) << c.output;
    for (const double radius : c.radii) {
      double lo = 10;
      double hi = -10;
      for (int32_t k = 0; k < 16; ++k) {
        const double angle = 2 * kPi * (k + 0.5) / 16;
        const OutputHit hit = rig.AtPlane(radius * std::sin(angle), c.centreY + radius * std::cos(angle));
        ASSERT_FALSE(hit.outside) << c.output << " radius " << radius;
        const double fromFront = Gap(hit.d, Vec3f{0, 0, 1});
        lo = std::fmin(lo, fromFront);
        hi = std::fmax(hi, fromFront);
      }
      EXPECT_LT(hi - lo, 2e-4) << c.output << " radius " << radius;
    }
  }
}

// "two cylinders" wraps the sphere with two cylinders laid along the image's
// diagonals: each diagonal of the plane is drawn as the great circle through
// the centre of view that runs along the same diagonal of the view (right is
// -x, up is +y), in the same sense.
TEST(ClosedFormProperties, TwoCylindersLieAlongTheImageDiagonals) {
  OutputRig rig(159, 1, 200, 200);
  for (const double t : {0.05, 0.3, 0.8, 1.4}) {
    // Right and down (plane Y grows downwards), and right and up.
    const OutputHit down = rig.AtPlane(t, t);
    const OutputHit up = rig.AtPlane(t, -t);
    ASSERT_FALSE(down.outside) << t;
    ASSERT_FALSE(up.outside) << t;
    EXPECT_NEAR(down.d.x, down.d.y, 1e-5) << t;
    EXPECT_LT(down.d.x, 0) << t;
    EXPECT_NEAR(up.d.x, -up.d.y, 1e-5) << t;
    EXPECT_GT(up.d.y, 0) << t;
    // The angle from the centre of view grows with the distance along the
    // diagonal: t*sqrt(2) radians on the unrolled cylinder.
    EXPECT_NEAR(Gap(down.d, Vec3f{0, 0, 1}), t * std::sqrt(2.0), 1e-5) << t;
    EXPECT_NEAR(Gap(up.d, Vec3f{0, 0, 1}), t * std::sqrt(2.0), 1e-5) << t;
  }
}

}  // namespace
