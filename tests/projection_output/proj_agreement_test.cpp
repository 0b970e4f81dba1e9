// The outputs that are published map projections agree with PROJ. The
// reference points come from tools/proj_fixtures_output.py (PROJ on the unit
// sphere, x east, y north). Each case states how PROJ's plane point becomes
// the output's point: either the plane point X = x*k, Y = -y*k of the
// output's layout, or the normalised point nx = 0.5 + x*kx, ny = 0.5 - y*ky
// for the outputs that work on it directly. The output's direction must be
// the direction of the reference longitude and latitude, east towards -x.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "output_test_support.h"

#include "tests/support/proj_fixtures.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSqrt2 = std::numbers::sqrt2;
constexpr double kDegree = kPi / 180;

std::vector<ProjRow> ReadProj(const std::string& name) { return ReadProjFixture("projection_output", name); }

enum class Placement {
  kPlane,       // X = x*kx, Y = -y*ky
  kNormalised,  // nx = 0.5 + x*kx, ny = 0.5 - y*ky
  kGores12,     // each row's gore about lon0 (see CheckAgainstProj)
};

struct ProjCase {
  const char* file;
  int32_t output;
  float width;
  float height;
  float fov;
  Placement placement;
  double kx;
  double ky;
  double tolerance;  // greatest angle in radians between the directions
  double shift = 0;  // lens shift of output 60 (ny moves down by it)
};

// The gore layout's own unit: 6.2846084 plane units per turn across the map.
constexpr double kGoreTurn = 6.2846084;

void CheckAgainstProj(const ProjCase& c) {
  OutputRig rig(c.output, 1, c.width, c.height, c.fov, 0);
  rig.context->lensShift = float(c.shift);
  const std::vector<ProjRow> rows = ReadProj(c.file);
  ASSERT_GT(rows.size(), 50u);
  double worst = 0;
  for (const ProjRow& r : rows) {
    OutputHit hit{};
    switch (c.placement) {
      case Placement::kPlane:
        hit = rig.AtPlane(r.x * c.kx, -r.y * c.ky);
        break;
      case Placement::kNormalised:
        hit = rig.At(float(0.5 + r.x * c.kx), float(0.5 + c.shift - r.y * c.ky));
        break;
      case Placement::kGores12: {
        // Gore g (0..11) is centred on longitude -165 + 30 g; within it the
        // polyconic point (x, y) sits at x*G/turn gore widths from its centre
        // and y*2/turn plane units below the equator's line, negated.
        const double goreCount = 12;
        const double gore = (r.lon0 + 165) / 30;
        const double x2 = 2 * (gore + 0.5 + r.x * goreCount / kGoreTurn) / goreCount - 1;
        const double y2 = -r.y / (0.5 * kGoreTurn);
        hit = rig.AtPlane(x2 / 2, y2 / 2);
        break;
      }
    }
    const double error = hit.outside ? 10.0 : AngleBetween(hit.d, GeoDirection(r.lon * kDegree, r.lat * kDegree));
    EXPECT_LT(error, c.tolerance) << c.file << " lon0 " << r.lon0 << " lon " << r.lon << " lat " << r.lat
                                  << (hit.outside ? " outside" : "");
    worst = std::fmax(worst, error);
  }
  ::testing::Test::RecordProperty(std::string("worst_") + c.file, std::to_string(worst));
}

TEST(OutputProjAgreement, Equirectangular) {
  // The band X in ±0.5 is a full turn: x = λ, so X = x/(2π).
  CheckAgainstProj({"eqc.txt", 1, 200, 100, 120, Placement::kPlane, 0.5 / kPi, 0.5 / kPi, 2e-5});
}

TEST(OutputProjAgreement, Sinusoidal) {
  CheckAgainstProj({"sinu.txt", 13, 200, 100, 120, Placement::kPlane, 0.5 / kPi, 0.5 / kPi, 2e-5});
}

TEST(OutputProjAgreement, Hammer) {
  // PROJ's ellipse x in ±2√2 is the plane's X in ±0.5.
  CheckAgainstProj({"hammer.txt", 11, 200, 100, 120, Placement::kPlane, 0.25 / kSqrt2, 0.25 / kSqrt2, 2e-5});
}

TEST(OutputProjAgreement, Mollweide) {
  CheckAgainstProj({"moll.txt", 46, 200, 100, 120, Placement::kPlane, 0.25 / kSqrt2, 0.25 / kSqrt2, 2e-5});
}

TEST(OutputProjAgreement, RobinsonAtTableRows) {
  // PROJ's Robinson is 0.8487 λ PLEN(φ), 1.3523 PDFE(φ); the plane holds
  // PLEN λ/π across and PDFE/2 down. The latitude comes from a 400-entry
  // cache read linearly, which is least exact near the poles, where the
  // distance from the equator changes slowest (8e-4 radians at 85 degrees).
  CheckAgainstProj({"robin.txt", 80, 200, 100, 120, Placement::kPlane, 1 / (0.8487 * kPi), 0.5 / 1.3523, 1e-3});
}

TEST(OutputProjAgreement, WinkelTripel) {
  // The plane is PROJ's own (x in ±(π/2 + 1)); the inverse reads a 50 x 50
  // table with triangle interpolation: 5e-4 radians inside, up to 1.2e-3 in
  // the cells at the outline's corners (longitude 175, latitude 85).
  CheckAgainstProj({"wintri.txt", 35, 200, 120, 120, Placement::kPlane, 1, 1, 1.5e-3});
}

TEST(OutputProjAgreement, Mercator) {
  // A square image: nx = 0.5 + x/(2π), ny = 0.5 - y/(2π A) with A = 1.
  CheckAgainstProj({"merc.txt", 62, 200, 200, 120, Placement::kNormalised, 0.5 / kPi, 0.5 / kPi, 2e-5});
}

TEST(OutputProjAgreement, MercatorOnWideImage) {
  // Twice as wide as high (A = 0.5): y is spread over twice the rows.
  CheckAgainstProj({"merc.txt", 62, 400, 200, 120, Placement::kNormalised, 0.5 / kPi, 1 / kPi, 2e-5});
}

TEST(OutputProjAgreement, CylindricalEqualArea) {
  // y = sin φ in ±1 fills the height.
  CheckAgainstProj({"cea.txt", 138, 200, 200, 120, Placement::kNormalised, 0.5 / kPi, 0.5, 2e-5});
}

TEST(OutputProjAgreement, Lagrange) {
  // PROJ's Lagrange (W = 2) fills a disc of radius 2; the plane's disc has
  // radius 1.
  CheckAgainstProj({"lagrng.txt", 69, 200, 200, 120, Placement::kPlane, 0.5, 0.5, 2e-5});
}

TEST(OutputProjAgreement, PolarIsAzimuthalEquidistant) {
  // The polar disc reaches the antipode at radius 0.5: X = ρ/(2π).
  CheckAgainstProj({"aeqd.txt", 3, 200, 200, 120, Placement::kPlane, 0.5 / kPi, 0.5 / kPi, 2e-5});
}

TEST(OutputProjAgreement, MirrorBallIsLambertAzimuthalEqualArea) {
  // PROJ's radius 2 sin(c/2) reaches 2 at the antipode; the ball's 0.5.
  CheckAgainstProj({"laea.txt", 2, 200, 200, 120, Placement::kPlane, 0.25, 0.25, 2e-5});
}

TEST(OutputProjAgreement, Orthographic) {
  CheckAgainstProj({"ortho.txt", 5, 200, 200, 120, Placement::kPlane, 0.5, 0.5, 2e-5});
}

TEST(OutputProjAgreement, StereographicAtNinetyDegrees) {
  // fov 90 gives T = 2: the plane point X T²/2 = 2X is tan(c/2), PROJ's
  // radius 2 tan(c/2), so X = x/4.
  CheckAgainstProj({"stere.txt", 16, 200, 200, 90, Placement::kPlane, 0.25, 0.25, 2e-5});
}

TEST(OutputProjAgreement, RectilinearIsGnomonic) {
  // fov 90 on a square image: the image edge is the tangent 1, nx = 0.5 + x/2.
  CheckAgainstProj({"gnom.txt", 14, 200, 200, 90, Placement::kNormalised, 0.5, 0.5, 2e-5});
}

TEST(OutputProjAgreement, RectilinearOnWideAndTallImages) {
  // The narrower side spans the field of view: on a 2:1 image x = 1 lies a
  // quarter width from the centre, on a 1:2 image y = 1 a quarter height.
  CheckAgainstProj({"gnom.txt", 14, 400, 200, 90, Placement::kNormalised, 0.25, 0.5, 2e-5});
  CheckAgainstProj({"gnom.txt", 14, 200, 400, 90, Placement::kNormalised, 0.5, 0.25, 2e-5});
}

TEST(OutputProjAgreement, ShiftLensIsAnOffCentreGnomonic) {
  // The shift moves the view's centre down the image by h (here tan 10°).
  CheckAgainstProj(
      {"gnom.txt", 60, 200, 200, 90, Placement::kNormalised, 0.5, 0.5, 2e-5, std::tan(10 * kDegree)});
}

TEST(OutputProjAgreement, PolyconicGoresOfTwelve) {
  // On the equator's line the inverse starts from the latitude 5e-5 rather
  // than 0 (no Newton steps there), which bounds the error.
  CheckAgainstProj({"poly12.txt", 36, 400, 100, 120, Placement::kGores12, 0, 0, 6e-5});
}

}  // namespace
