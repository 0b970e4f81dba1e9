// The inputs that are published map projections agree with PROJ. The
// reference points come from tools/proj_fixtures_input.py (PROJ on the unit
// sphere). Each case states how PROJ's plane (x east, y north) is scaled and
// turned into the source's unit square (x right, y down): the world maps fill
// the square, so srcX = 0.5 + x / (2 xMax) and srcY = 0.5 - y / (2 yMax).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "input_test_support.h"

#include "tests/support/proj_fixtures.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSqrt2 = std::numbers::sqrt2;

std::vector<ProjRow> ReadProj(const std::string& name) { return ReadProjFixture("projection_input", name); }

// FastAcos is off by up to 7e-5 radians in latitude; a map moves a point by
// that much times its latitude scale (source units per radian).
constexpr double kAcosError = 7.0e-5;

struct ProjCase {
  const char* file;
  int32_t input;
  double xScale;  // srcX = 0.5 + x * xScale (+ lon0 term for the gores)
  double yScale;  // srcY = 0.5 - y * yScale
  double latScale;  // greatest source distance per radian of latitude over the points
  float aspect;
  double extra;  // further tolerance the method itself allows (tables, caches)
};

void CheckAgainstProj(const ProjCase& c) {
  InputRig rig;
  std::vector<ProjRow> rows = ReadProj(c.file);
  ASSERT_GT(rows.size(), 50u);
  const double tolerance = kAcosError * c.latScale + c.extra + 2e-6;
  double worst = 0.0;
  for (const ProjRow& r : rows) {
    SourcePoint p = rig.Map(c.input, GeoDirection(r.lon, r.lat), c.aspect);
    double ex = 0.5 + (r.x + r.lon0 * kPi / 180.0) * c.xScale;
    double ey = 0.5 - r.y * c.yScale;
    // Mercator raises the flag beyond the source's height but keeps the point.
    const bool beyond = c.input == 20 && (ey < 0.0 || ey > 1.0);
    EXPECT_EQ(p.noSource, beyond ? 1 : 0) << c.file << " lon " << r.lon << " lat " << r.lat;
    EXPECT_NEAR(p.x, ex, tolerance) << c.file << " lon0 " << r.lon0 << " lon " << r.lon << " lat " << r.lat;
    EXPECT_NEAR(p.y, ey, tolerance) << c.file << " lon0 " << r.lon0 << " lon " << r.lon << " lat " << r.lat;
    worst = std::fmax(worst, std::fmax(std::fabs(p.x - ex), std::fabs(p.y - ey)));
  }
  ::testing::Test::RecordProperty(std::string("worst_") + c.file, std::to_string(worst));
}

TEST(ProjAgreement, Mollweide) {
  // x in ±2√2, y in ±√2. Away from the poles the cache interpolation adds
  // little; the 89-degree points read its last, steepest interval.
  CheckAgainstProj({"moll.txt", 7, 1.0 / (4.0 * kSqrt2), 1.0 / (2.0 * kSqrt2), 0.5, 1.0f, 1e-4});
}

TEST(ProjAgreement, Mercator) {
  // Square source (aspect 1): x in ±π, y = asinh(tan φ) scaled by 1/(2π).
  CheckAgainstProj({"merc.txt", 20, 1.0 / (2.0 * kPi), 1.0 / (2.0 * kPi), 1.0 / (2.0 * kPi * std::cos(80 * kPi / 180)),
                    1.0f, 0.0});
}

TEST(ProjAgreement, MercatorOnWideSource) {
  // A source twice as wide as high: y is scaled by 1/(2π a) with a = 0.5.
  CheckAgainstProj({"merc.txt", 20, 1.0 / (2.0 * kPi), 1.0 / kPi, 1.0 / (kPi * std::cos(80 * kPi / 180)), 0.5f, 0.0});
}

TEST(ProjAgreement, Lagrange) {
  // PROJ's Lagrange (W = 2) fills a disc of radius 2; the source holds the
  // unit disc, so every coordinate is divided by 4.
  CheckAgainstProj({"lagrng.txt", 21, 0.25, 0.25, 0.0, 1.0f, 0.0});
}

TEST(ProjAgreement, WinkelTripel) {
  // x in ±(π/2 + 1), y in ±π/2.
  CheckAgainstProj({"wintri.txt", 22, 0.5 / 2.570796326312263, 0.5 / (kPi / 2.0), 0.5, 1.0f, 0.0});
}

TEST(ProjAgreement, Hammer) {
  // x in ±2√2, y in ±√2.
  CheckAgainstProj({"hammer.txt", 23, 1.0 / (4.0 * kSqrt2), 1.0 / (2.0 * kSqrt2), 0.5, 1.0f, 0.0});
}

TEST(ProjAgreement, CylindricalEqualArea) {
  // x in ±π, y = sin φ in ±1.
  CheckAgainstProj({"cea.txt", 24, 1.0 / (2.0 * kPi), 0.5, 0.5, 1.0f, 0.0});
}

TEST(ProjAgreement, RobinsonAtTableRows) {
  // PROJ's Robinson is 0.8487 λ X(φ), 1.3523 Y(φ) with the same table; at its
  // rows (every 5 degrees) both interpolations agree exactly.
  CheckAgainstProj({"robin.txt", 17, 1.0 / (2.0 * 0.8487 * kPi), 1.0 / (2.0 * 1.3523), 0.6, 1.0f, 0.0});
}

TEST(ProjAgreement, Orthographic) {
  CheckAgainstProj({"ortho.txt", 4, 0.5, 0.5, 0.0, 1.0f, 0.0});
}

TEST(ProjAgreement, Stereographic) {
  // PROJ's radius 2 tan(c/2) against the source's tan(c/2)/2: a quarter.
  CheckAgainstProj({"stere.txt", 15, 0.25, 0.25, 0.5, 1.0f, 0.0});
}

TEST(ProjAgreement, PolyconicGoresOfTwelve) {
  // Each gore is PROJ's polyconic about the gore's central meridian lon0,
  // placed at lon0 along the equator: srcX = 0.5 + (x + lon0)/(2π),
  // srcY = 0.5 - y/π.
  CheckAgainstProj({"poly12.txt", 12, 1.0 / (2.0 * kPi), 1.0 / kPi, 0.5, 1.0f, 0.0});
}

TEST(ProjAgreement, PolyconicGoresOfSix) {
  CheckAgainstProj({"poly6.txt", 25, 1.0 / (2.0 * kPi), 1.0 / kPi, 0.5, 1.0f, 0.0});
}

}  // namespace
