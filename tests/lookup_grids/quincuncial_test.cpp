// The quincuncial family, Winkel Tripel and the equal squarea: their domains
// and fixed points, agreement with PROJ's forward maps after a stated
// transform of the plane and the sphere, and the equal-area property.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/rotation.h"
#include "grid_fixture.h"
#include "projection/quincuncial.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

double AngleBetween(const Vec3& a, const Vec3& b) {
  const double la = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  const double lb = std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z);
  const double dot = (a.x * b.x + a.y * b.y + a.z * b.z) / (la * lb);
  return std::acos(std::fmin(1.0, std::fmax(-1.0, dot)));
}

Vec3 ToVec3(const Vec3f& v) { return Vec3{v.x, v.y, v.z}; }

// --- domains and fixed points ---------------------------------------------------

TEST_F(GridTest, SquareLookupFillsTheDiscWithCornersOnTheAxes) {
  struct Case {
    double x, y, re, im;
  };
  const Case corners[] = {{1, 1, 0, 1}, {0, 1, -1, 0}, {0, 0, 0, -1}, {1, 0, 1, 0}, {0.5, 0.5, 0, 0}};
  for (const Case& c : corners) {
    const Complex p{c.x, c.y};
    const Complex r = ConformalSquareLookup(&p, &grid);
    EXPECT_NEAR(r.re, c.re, 1e-5) << c.x << "," << c.y;
    EXPECT_NEAR(r.im, c.im, 1e-5) << c.x << "," << c.y;
  }
  for (double t = 0.0; t <= 1.0; t += 0.0625) {
    for (double u = 0.0; u <= 1.0; u += 0.0625) {
      const Complex p{t, u};
      const Complex r = ConformalSquareLookup(&p, &grid);
      const double radius = std::hypot(r.re, r.im);
      EXPECT_LE(radius, 1.0 + 1e-6);
      const bool onEdge = t == 0.0 || t == 1.0 || u == 0.0 || u == 1.0;
      if (onEdge) {
        EXPECT_NEAR(radius, 1.0, 2e-4) << t << "," << u;  // chords between edge cells
      } else {
        EXPECT_LT(radius, 1.0) << t << "," << u;
      }
    }
  }
}

TEST_F(GridTest, LobedVariantsGiveUnitDirectionsWhereTheyMap) {
  struct Lobes {
    double k;
    int32_t n;
    double angle, scale, offsetX, offsetY;
  };
  // outputs 92, 93, 95 and 96
  const Lobes outputs[] = {{0.5, 2, 1.5707963267948966, 0.5, 0, 0},
                           {0.75, 3, 0.5235987755, 0.727802037845706, 0, -0.21398305084745764},
                           {1.25, 5, -0.3141592653, 0.7955812101910829, 0, -0.101},
                           {1.5, 6, 0.5235987755, 0.7911392405063291, 0, 0}};
  for (const Lobes& o : outputs) {
    int inside = 0;
    for (double y = -1.0; y <= 1.0; y += 0.05) {
      for (double x = -1.0; x <= 1.0; x += 0.05) {
        uint8_t outside = 7;
        Vec3f v;
        InverseNCunx(x, y, &outside, &v, &grid, o.k, o.n, o.angle, o.scale, o.offsetX, o.offsetY);
        ASSERT_LE(outside, 1);
        if (outside) continue;
        ++inside;
        const double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
        EXPECT_NEAR(length, 1.0, 1e-5) << o.n << " at " << x << "," << y;
      }
    }
    EXPECT_GT(inside, 200) << o.n;
  }
}

TEST_F(GridTest, PeirceCentreIsTheForwardDirection) {
  uint8_t outside = 7;
  Vec3f v;
  InversePeirceQuincuncial(0, 0, &outside, &v, &grid, 1.0, 0.0);
  Vec3f pole;
  PlaneToSphereFromSouthPole(0, 0, &pole);
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(v.x, pole.x);
  EXPECT_EQ(v.y, pole.y);
  EXPECT_EQ(v.z, pole.z);
}

TEST_F(GridTest, PeirceCornerTrianglesFoldOntoTheOtherHemisphere) {
  struct Case {
    double x, y;
    uint8_t outside;
    int hemisphere;  // sign of z, 0 when not checked
  };
  const Case cases[] = {
      {0.4, 0.3, 0, 1},   {0.9, 0.9, 0, -1}, {-0.8, 0.7, 0, -1}, {0.95, -0.3, 0, -1},
      {1.0, 1.0, 1, 0},   // the corner itself is not folded by any rule
      {1.01, 0.0, 1, 0},  {0.0, -1.2, 1, 0},
  };
  for (const Case& c : cases) {
    uint8_t outside = 7;
    Vec3f v{9, 9, 9};
    InversePeirceQuincuncial(c.x, c.y, &outside, &v, &grid, 1.0, 0.0);
    EXPECT_EQ(outside, c.outside) << c.x << "," << c.y;
    if (c.outside) {
      EXPECT_EQ(v.z, 1.0f);
    } else {
      EXPECT_EQ(v.z > 0 ? 1 : -1, c.hemisphere) << c.x << "," << c.y;
    }
  }
}

TEST_F(GridTest, PeirceMirrorsAcrossTheEquatorDiamond) {
  // A point and its mirror image across the diamond's edge are mirror images
  // across the equator.
  const double x = 0.35, y = 0.45;  // x + y = 0.8
  const double mx = 1.0 - y, my = 1.0 - x;
  uint8_t o1, o2;
  Vec3f a, b;
  InversePeirceQuincuncial(x, y, &o1, &a, &grid, 1.0, 0.0);
  InversePeirceQuincuncial(mx, my, &o2, &b, &grid, 1.0, 0.0);
  EXPECT_NEAR(a.x, b.x, 1e-5);
  EXPECT_NEAR(a.y, b.y, 1e-5);
  EXPECT_NEAR(a.z, -b.z, 1e-5);
}

TEST_F(GridTest, NCunxWithOneLobeIsPeirce) {
  const double points[][2] = {{0.2, -0.3}, {0.7, 0.6}, {-0.5, 0.1}};
  for (const auto& p : points) {
    uint8_t o1, o2;
    Vec3f a, b;
    InverseNCunx(p[0], p[1], &o1, &a, &grid, 1.0, 1, 0.0, 1.0, 0.0, 0.0);
    InversePeirceQuincuncial(p[0], p[1], &o2, &b, &grid, 1.0, 0.0);
    EXPECT_EQ(o1, o2);
    EXPECT_NEAR(AngleBetween(ToVec3(a), ToVec3(b)), 0.0, 1e-6);
  }
}

TEST_F(GridTest, ChevronNotchIsOutside) {
  // p = (x, y + offsetY) turned by +45 degrees; a p with negative real and
  // positive imaginary part lies in the notch although Peirce maps it.
  const double offsetY = -0.35355339059327373;
  uint8_t outside = 7;
  Vec3f v;
  InverseChevron(0.0, 0.2828427 - offsetY, &outside, &v, &grid, 0.0, offsetY);
  EXPECT_EQ(outside, 1);
  uint8_t peirce = 7;
  InversePeirceQuincuncial(-0.2, 0.2, &peirce, &v, &grid, 1.3333333333333333, -0.5235987755);
  EXPECT_EQ(peirce, 0);
  // outside the notch the chevron maps
  InverseChevron(0.0, -0.2 - offsetY, &outside, &v, &grid, 0.0, offsetY);
  EXPECT_EQ(outside, 0);
}

TEST_F(GridTest, SquaresReportPointsBeyondTheirEdges) {
  uint8_t outside = 0;
  Vec3 v;
  Complex disc{5, 5};
  InverseAdamsSquare(0.51, 0.0, &outside, &v, &grid, 1, &disc);
  EXPECT_EQ(outside, 1);
  EXPECT_EQ(disc.re, 0.0);
  EXPECT_EQ(disc.im, 0.0);
  Vec3f vf;
  outside = 0;
  InverseGuyou(0.0, 0.55, &outside, &vf, &grid, &disc);
  EXPECT_EQ(outside, 1);
  outside = 0;
  InverseGuyou(-1.05, 0.0, &outside, &vf, &grid, nullptr);
  EXPECT_EQ(outside, 1);
  InverseGuyou(-0.5, 0.0, &outside, &vf, &grid, &disc);
  EXPECT_EQ(outside, 0);
  EXPECT_NEAR(vf.x, 1.0, 1e-6);  // the west square's centre
  EXPECT_NEAR(disc.re, 0.0, 1e-6);
}

TEST_F(GridTest, AdamsSquareGivesItsDiscPoint) {
  uint8_t outside = 7;
  Vec3 v;
  Complex disc{5, 5};
  InverseAdamsSquare(0.0, 0.0, &outside, &v, &grid, 2, &disc);
  EXPECT_EQ(outside, 0);
  EXPECT_NEAR(disc.re, 0.0, 1e-9);
  EXPECT_NEAR(v.z, 1.0, 1e-9);
  InverseAdamsSquare(0.2, -0.1, &outside, &v, &grid, 2, &disc);
  EXPECT_LT(std::hypot(disc.re, disc.im), 1.0);
  EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0, 1e-9);
}

TEST_F(GridTest, WideRectangleAndEllipseMapTheirCentresOntoTheSphere) {
  // The wide rectangle's square spans y in -0.75..0.25; its power map doubles
  // the turn about the vertical, so only the half above y = -0.25 is shown.
  struct Case {
    double x, y;
    uint8_t outside;
  };
  const Case cases[] = {{0.0, 0.0, 0}, {0.45, 0.2, 0}, {-0.3, -0.1, 0}, {0.0, -0.4, 1}, {0.0, 0.3, 1}, {0.6, 0.0, 1}};
  for (const Case& c : cases) {
    uint8_t outside = 7;
    Vec3 v{0, 0, 1};
    InverseWideRect(c.x, c.y, &outside, &v, &grid);
    EXPECT_EQ(outside, c.outside) << c.x << "," << c.y;
    if (!c.outside) {
      EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0, 1e-9);
    }
  }
  uint8_t outside = 7;
  Vec3 v{0, 0, 1};
  InverseEllipse(0.0, 0.0, &outside, &v, &grid);
  EXPECT_EQ(outside, 0);
  EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0, 1e-9);
  // neighbouring points stay neighbours
  Vec3 w{0, 0, 1};
  InverseEllipse(0.001, 0.0005, &outside, &w, &grid);
  EXPECT_LT(AngleBetween(v, w), 0.01);
}

TEST_F(GridTest, WinkelTripelCentreAndOutline) {
  float v[3];
  uint8_t outside = 7;
  Complex p{0.0, 0.0};
  InverseWinkelTripel(&p, &grid, v, &outside);
  EXPECT_EQ(outside, 0);
  EXPECT_NEAR(v[2], 1.0f, 1e-6f);
  // the plane corner reads the continuation beyond the outline
  p = Complex{2.5707963, 1.5707963};
  InverseWinkelTripel(&p, &grid, v, &outside);
  EXPECT_EQ(outside, 1);
  p = Complex{2.6, 0.0};
  InverseWinkelTripel(&p, &grid, v, &outside);
  EXPECT_EQ(outside, 1);
  // the outline passes (1.785398, 1.203774) (longitude 180, latitude 60)
  p = Complex{1.77, -1.203774};
  InverseWinkelTripel(&p, &grid, v, &outside);
  EXPECT_EQ(outside, 0);
  p = Complex{1.80, -1.203774};
  InverseWinkelTripel(&p, &grid, v, &outside);
  EXPECT_EQ(outside, 1);
}

TEST_F(GridTest, EqualSquareaCornersAndEdges) {
  struct Case {
    double x, y;
    float vx, vy, vz;
  };
  const Case cases[] = {{0, 0, 0, 0, 1}, {1, 1, 0, 0, -1}, {-1, 1, 0, 0, -1}, {-1, 0, 1, 0, 0},
                        {1, 0, -1, 0, 0}, {0, 1, 0, -1, 0}, {0, -1, 0, 1, 0}};
  for (const Case& c : cases) {
    float v[3];
    uint8_t outside = 7;
    InverseEqualSquarea(c.x, c.y, &outside, v, &grid);
    EXPECT_EQ(outside, 0);
    EXPECT_NEAR(v[0], c.vx, 1e-6) << c.x << "," << c.y;
    EXPECT_NEAR(v[1], c.vy, 1e-6) << c.x << "," << c.y;
    EXPECT_NEAR(v[2], c.vz, 1e-6) << c.x << "," << c.y;
  }
  float v[3];
  uint8_t outside = 0;
  InverseEqualSquarea(1.001, 0.0, &outside, v, &grid);
  EXPECT_EQ(outside, 1);
}

// Area of the spherical triangle of three unit vectors (Van Oosterom and
// Strackee).
double TriangleArea(const Vec3& a, const Vec3& b, const Vec3& c) {
  const double triple = a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x);
  const double ab = a.x * b.x + a.y * b.y + a.z * b.z;
  const double bc = b.x * c.x + b.y * c.y + b.z * c.z;
  const double ca = c.x * a.x + c.y * a.y + c.z * a.z;
  return 2.0 * std::fabs(std::atan2(triple, 1.0 + ab + bc + ca));
}

TEST_F(GridTest, EqualSquareaKeepsAreas) {
  // Every cell of a 64 x 64 partition of the square covers 4 pi / 4096 of
  // the sphere within 2 percent (the largest departures, about 1.5 percent,
  // lie on the diagonals next to the poles), and the cells add up to the
  // whole sphere.
  // The exceptions are the cells at the two poles (the centre and the
  // corners): the map is not smooth there (the diamonds of the square become
  // circles), and the table's first triangles cut that cone by chords, which
  // loses up to 13 percent of those cells' area. Each cell's image is
  // measured as 4 x 4 pairs of spherical triangles.
  const int n = 64, sub = 4, m = n * sub;
  std::vector<Vec3> corners((m + 1) * (m + 1));
  for (int j = 0; j <= m; ++j) {
    for (int i = 0; i <= m; ++i) {
      float v[3];
      uint8_t outside = 1;
      InverseEqualSquarea(-1.0 + 2.0 * i / m, -1.0 + 2.0 * j / m, &outside, v, &grid);
      ASSERT_EQ(outside, 0);
      corners[j * (m + 1) + i] = Vec3{v[0], v[1], v[2]};
    }
  }
  const auto at = [&](int i, int j) -> const Vec3& { return corners[j * (m + 1) + i]; };
  const double want = 4.0 * kPi / (n * n);
  double total = 0.0, worst = 0.0, worstPole = 0.0;
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      double area = 0.0;
      for (int b = j * sub; b < (j + 1) * sub; ++b) {
        for (int a = i * sub; a < (i + 1) * sub; ++a) {
          area += TriangleArea(at(a, b), at(a + 1, b), at(a + 1, b + 1)) +
                  TriangleArea(at(a, b), at(a + 1, b + 1), at(a, b + 1));
        }
      }
      total += area;
      const bool centre = (i == n / 2 - 1 || i == n / 2) && (j == n / 2 - 1 || j == n / 2);
      const bool corner = (i == 0 || i == n - 1) && (j == 0 || j == n - 1);
      double& slot = centre || corner ? worstPole : worst;
      slot = std::fmax(slot, std::fabs(area / want - 1.0));
    }
  }
  EXPECT_NEAR(total, 4.0 * kPi, 4.0 * kPi * 1e-3);
  EXPECT_LT(worst, 0.02);
  EXPECT_LT(worstPole, 0.14);
}

// --- agreement with PROJ -----------------------------------------------------------

struct ReferencePoint {
  double lon, lat;  // degrees
  double east, north;
};

std::map<std::string, std::vector<ReferencePoint>> LoadReference() {
  std::map<std::string, std::vector<ReferencePoint>> points;
  std::ifstream in(ORBALIX_SOURCE_DIR "/tests/lookup_grids/data/proj_reference.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name;
    ReferencePoint p;
    fields >> name >> p.lon >> p.lat >> p.east >> p.north;
    points[name].push_back(p);
  }
  return points;
}

// The geographic direction of this system: longitude grows toward the
// output's right, which is -x of the direction (an equirectangular source is
// read mirrored), latitude toward +y.
Vec3 GeographicDirection(double lonDeg, double latDeg) {
  const double lon = lonDeg * kDeg, lat = latDeg * kDeg;
  return Vec3{-std::sin(lon) * std::cos(lat), std::sin(lat), std::cos(lon) * std::cos(lat)};
}

// The unit sphere's scale of the square maps: K(1/sqrt 2) and 2 K(1/sqrt 2).
constexpr double kK = 1.8540746773013719;
constexpr double kTwoK = 2.0 * kK;

class ProjAgreementTest : public GridTest {
 protected:
  void SetUp() override {
    GridTest::SetUp();
    reference = LoadReference();
  }
  const std::vector<ReferencePoint>& Points(const std::string& name) {
    const std::vector<ReferencePoint>& points = reference[name];
    EXPECT_GT(points.size(), 50u) << name;
    return points;
  }
  std::map<std::string, std::vector<ReferencePoint>> reference;
};

// Largest angle (radians) between the two maps' directions at the
// reference points; every point must be inside.
template <typename Inverse>
double WorstAngle(const std::vector<ReferencePoint>& points, Inverse inverse) {
  double worst = 0.0;
  for (const ReferencePoint& p : points) {
    Vec3 ours, theirs;
    const bool inside = inverse(p, &ours, &theirs);
    EXPECT_TRUE(inside) << p.lon << "," << p.lat;
    if (inside) worst = std::fmax(worst, AngleBetween(ours, theirs));
  }
  return worst;
}

// The square maps read table 1 bilinearly; Winkel Tripel reads table 10 with
// triangles over cells of 3 by 1.8 degrees, which bends its result by up to
// about 0.03 degrees.
constexpr double kAgreement = 0.02 * kDeg;
constexpr double kWinkelAgreement = 0.05 * kDeg;

TEST_F(ProjAgreementTest, PeirceQuincunxIsPolarSquareShape) {
  // Plane: ours = PROJ / (sqrt 2 K), y downward. Sphere: PROJ's north pole is
  // our forward direction and its meridians +45 and -45 degrees run to our
  // right (-x) and down (-y).
  const double s = std::sqrt(2.0) * kK;
  const double worst = WorstAngle(Points("peirce_q"), [&](const ReferencePoint& p, Vec3* ours, Vec3* theirs) {
    uint8_t outside = 1;
    Vec3f v;
    InversePeirceQuincuncial(p.east / s, -p.north / s, &outside, &v, &grid, 1.0, 0.0);
    *ours = ToVec3(v);
    const double lon = p.lon * kDeg, lat = p.lat * kDeg;
    *theirs = Vec3{-std::cos(lat) * std::cos(lon - kPi / 4), -std::cos(lat) * std::cos(lon + kPi / 4),
                   std::sin(lat)};
    return outside == 0;
  });
  EXPECT_LT(worst, kAgreement);
}

TEST_F(ProjAgreementTest, GuyouSquaresAreHemispheresAboutLongitude90) {
  // PROJ draws the hemisphere about its central meridian in a square of side
  // 2K; ours puts the hemispheres about longitudes -90 and 90 side by side in
  // unit squares: X = -+0.5 + E/(2K), Y = -N/(2K).
  for (const char* name : {"guyou_east", "guyou_west"}) {
    const double shift = name[6] == 'e' ? 0.5 : -0.5;
    const double worst = WorstAngle(Points(name), [&](const ReferencePoint& p, Vec3* ours, Vec3* theirs) {
      uint8_t outside = 1;
      Vec3f v;
      InverseGuyou(shift + p.east / kTwoK, -p.north / kTwoK, &outside, &v, &grid, nullptr);
      *ours = ToVec3(v);
      *theirs = GeographicDirection(p.lon, p.lat);
      return outside == 0;
    });
    EXPECT_LT(worst, kAgreement) << name;
  }
}

TEST_F(ProjAgreementTest, AdamsSquares) {
  // "Adams 2" (variant 2, poles at the middles of the top and bottom edges) is
  // PROJ's adams_ws1 scaled by 1/(2K); "Adams 1" (variant 1, poles at two
  // corners) is PROJ's adams_ws2 scaled by 1/(2K) and turned by 45 degrees.
  const double worst2 = WorstAngle(Points("adams_ws1"), [&](const ReferencePoint& p, Vec3* ours, Vec3* theirs) {
    uint8_t outside = 1;
    InverseAdamsSquare(p.east / kTwoK, -p.north / kTwoK, &outside, ours, &grid, 2, nullptr);
    *theirs = GeographicDirection(p.lon, p.lat);
    return outside == 0;
  });
  EXPECT_LT(worst2, kAgreement);
  const double r = std::sqrt(2.0) * kTwoK;
  const double worst1 = WorstAngle(Points("adams_ws2"), [&](const ReferencePoint& p, Vec3* ours, Vec3* theirs) {
    uint8_t outside = 1;
    InverseAdamsSquare((p.east - p.north) / r, -(p.east + p.north) / r, &outside, ours, &grid, 1, nullptr);
    *theirs = GeographicDirection(p.lon, p.lat);
    return outside == 0;
  });
  EXPECT_LT(worst1, kAgreement);
}

TEST_F(ProjAgreementTest, WinkelTripelIsThePlaneAsIs) {
  // Plane: X = E, Y = -N.
  const double worst = WorstAngle(Points("wintri"), [&](const ReferencePoint& p, Vec3* ours, Vec3* theirs) {
    uint8_t outside = 1;
    float v[3];
    Complex plane{p.east, -p.north};
    InverseWinkelTripel(&plane, &grid, v, &outside);
    *ours = Vec3{v[0], v[1], v[2]};
    *theirs = GeographicDirection(p.lon, p.lat);
    return outside == 0;
  });
  EXPECT_LT(worst, kWinkelAgreement);
}

}  // namespace
