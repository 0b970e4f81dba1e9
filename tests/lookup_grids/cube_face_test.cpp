// The conformal cube-face map through table 2 and the thorn layout built on it.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "grid_fixture.h"
#include "projection/lookup_grid.h"

namespace {

constexpr double kHalfRoot2 = 0.70710678118654752;
constexpr double kInvRoot3 = 0.57735026918962576;

double Length(const Vec3f& v) { return std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z); }

double AngleBetween(const Vec3f& a, const Vec3f& b) {
  const double dot = (double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z) / (Length(a) * Length(b));
  return std::acos(std::fmin(1.0, std::fmax(-1.0, dot)));
}

TEST_F(GridTest, FaceCornersAndEdgeMidpointsKeepTheirGnomonicPlace) {
  struct Case {
    double px, py;
    double vx, vy, vz;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 1},
      {1, 1, -kInvRoot3, -kInvRoot3, kInvRoot3},
      {1, 0, -kHalfRoot2, 0, kHalfRoot2},
      {0, -1, 0, kHalfRoot2, kHalfRoot2},
      {-1, 1, kInvRoot3, -kInvRoot3, kInvRoot3},
  };
  for (const Case& c : cases) {
    const Complex p{c.px, c.py};
    Vec3f v;
    const Complex result = PlaneToSphereByGrid(&p, &v, &grid);
    EXPECT_EQ(grid.gridId, 2);
    EXPECT_NEAR(v.x, c.vx, 2e-6) << c.px << "," << c.py;
    EXPECT_NEAR(v.y, c.vy, 2e-6) << c.px << "," << c.py;
    EXPECT_NEAR(v.z, c.vz, 2e-6) << c.px << "," << c.py;
    EXPECT_NEAR(result.re, c.px, 1e-5);
    EXPECT_NEAR(result.im, c.py, 1e-5);
  }
}

TEST_F(GridTest, FaceEdgesGoOntoTheCubesEdges) {
  // Points of the edge x = 1 land on the great circle through the cube's edge:
  // their gnomonic x stays 1 while y moves along it (up to the interpolation
  // between the edge cells, which cuts the arc by a chord).
  for (double y = -1.0; y <= 1.0; y += 0.125) {
    const Complex p{1.0, y};
    Vec3f v;
    const Complex result = PlaneToSphereByGrid(&p, &v, &grid);
    EXPECT_NEAR(result.re, 1.0, 1e-4) << y;
    EXPECT_NEAR(Length(v), 1.0, 1e-6);
  }
}

TEST_F(GridTest, FaceMapIsSymmetricAcrossTheDiagonalAndTheAxes) {
  const double points[][2] = {{0.3, 0.1}, {0.77, 0.41}, {0.05, 0.93}, {0.5, 0.5}};
  for (const auto& q : points) {
    const Complex p{q[0], q[1]};
    const Complex swapped{q[1], q[0]};
    const Complex mirrored{-q[0], q[1]};
    Vec3f a, b, c;
    PlaneToSphereByGrid(&p, &a, &grid);
    PlaneToSphereByGrid(&swapped, &b, &grid);
    PlaneToSphereByGrid(&mirrored, &c, &grid);
    EXPECT_NEAR(a.x, b.y, 1e-6);
    EXPECT_NEAR(a.y, b.x, 1e-6);
    EXPECT_NEAR(a.x, -c.x, 1e-6);
    EXPECT_NEAR(a.y, c.y, 1e-6);
    // mirrored: the direction points away from the face point
    EXPECT_LE(a.x * q[0], 0.0);
  }
}

TEST_F(GridTest, FaceMapKeepsRightAnglesAndEqualScale) {
  const double h = 0.03;
  const double points[][2] = {{0.2, 0.1}, {0.6, 0.3}, {0.85, 0.7}, {-0.4, 0.55}, {0.1, -0.8}, {0.9, 0.05}};
  for (const auto& q : points) {
    Vec3f px, mx, py, my;
    const Complex a{q[0] + h, q[1]}, b{q[0] - h, q[1]}, c{q[0], q[1] + h}, d{q[0], q[1] - h};
    PlaneToSphereByGrid(&a, &px, &grid);
    PlaneToSphereByGrid(&b, &mx, &grid);
    PlaneToSphereByGrid(&c, &py, &grid);
    PlaneToSphereByGrid(&d, &my, &grid);
    const double du[3] = {px.x - mx.x, px.y - mx.y, px.z - mx.z};
    const double dv[3] = {py.x - my.x, py.y - my.y, py.z - my.z};
    const double lu = std::sqrt(du[0] * du[0] + du[1] * du[1] + du[2] * du[2]);
    const double lv = std::sqrt(dv[0] * dv[0] + dv[1] * dv[1] + dv[2] * dv[2]);
    const double cosine = (du[0] * dv[0] + du[1] * dv[1] + du[2] * dv[2]) / (lu * lv);
    EXPECT_NEAR(lu / lv, 1.0, 0.005) << q[0] << "," << q[1];
    EXPECT_NEAR(cosine, 0.0, 0.005) << q[0] << "," << q[1];
  }
}

TEST(CubeFaceNoGrid, WithoutAGridTheFaceCentreIsReturned) {
  const Complex p{0.4, 0.2};
  Vec3f v{9, 9, 9};
  const Complex result = PlaneToSphereByGrid(&p, &v, nullptr);
  EXPECT_EQ(v.x, 0.0f);
  EXPECT_EQ(v.y, 0.0f);
  EXPECT_EQ(v.z, 1.0f);
  EXPECT_EQ(result.re, 0.0);
  EXPECT_EQ(result.im, 0.0);
}

TEST(CubeFaceNoGrid, AGridWithoutPixelsIsCreatedByTheLookup) {
  ImageRecord empty;
  InitImageRecord(&empty, nullptr, nullptr);
  const Complex p{1.0, 0.0};
  Vec3f v;
  const Complex result = PlaneToSphereByGrid(&p, &v, &empty);
  EXPECT_EQ(empty.gridId, 2);
  EXPECT_NEAR(result.re, 1.0, 1e-5);
  FreeImageRecord(&empty);
}

TEST_F(GridTest, BarycentricWarpKeepsTheCornersAndTheSum) {
  struct Case {
    float a, c, wantA, wantB, wantC;
  };
  const Case cases[] = {{1, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 1, 0, 0, 1}};
  for (const Case& k : cases) {
    float a = k.a, b = -1, c = k.c;
    WarpBarycentricByGrid(&a, &b, &c, &grid);
    EXPECT_NEAR(a, k.wantA, 1e-5);
    EXPECT_NEAR(b, k.wantB, 1e-5);
    EXPECT_NEAR(c, k.wantC, 1e-5);
  }
  float a = 0.3f, b = 0, c = 0.25f;
  WarpBarycentricByGrid(&a, &b, &c, &grid);
  EXPECT_NEAR(a + b + c, 1.0f, 1e-6f);
  EXPECT_NE(c, 0.25f);  // the inside moves
}

// --- the thorn layout ---------------------------------------------------------

// The plane point whose cell coordinates in a 4 x 4 thorn layout are (X, Y),
// undoing the layout's turn and 4/3 power (principal branch only).
void ThornPlanePoint(double X, double Y, float* x, float* y) {
  const double xs = X - 2.0, ys = Y - 2.0;
  const double k = 0.7071067690849304;
  const std::complex<double> p((xs + ys) / (2 * k), (xs - ys) / (2 * k));
  const std::complex<double> pre = std::pow(p, 4.0 / 3.0) / 1.365234375;
  const double a = 0.929182231426239, b = 0.30190959572792053, n = a * a + b * b;
  *x = static_cast<float>((a * pre.real() + b * pre.imag()) / n);
  *y = static_cast<float>((b * pre.real() - a * pre.imag()) / n);
}

TEST_F(GridTest, ThornOriginLandsOnTheCornerOfCell10) {
  Vec3f d;
  uint8_t outside = 7;
  MapThornPoint(0.0f, 0.0f, 4, 4, &d, &outside, &grid, 0, 0);
  EXPECT_EQ(outside, 0);
  // face point (-1, -1) of cell 10: a corner of the cube
  EXPECT_NEAR(std::fabs(d.x), kInvRoot3, 1e-5);
  EXPECT_NEAR(std::fabs(d.y), kInvRoot3, 1e-5);
  EXPECT_NEAR(std::fabs(d.z), kInvRoot3, 1e-5);
}

TEST_F(GridTest, ThornCellsBelongToTheirVariant) {
  struct Case {
    int cell;
    uint8_t levo;
    uint8_t outside;
  };
  const Case cases[] = {{7, 1, 1},  {7, 0, 0},  {2, 1, 0},  {2, 0, 1},  {12, 0, 1},
                        {12, 1, 1}, {10, 0, 0}, {10, 1, 0}, {14, 0, 0}, {13, 1, 0}};
  for (const Case& c : cases) {
    float x, y;
    ThornPlanePoint(c.cell % 4 + 0.5, c.cell / 4 + 0.5, &x, &y);
    Vec3f d{5, 5, 5};
    uint8_t outside = 7;
    MapThornPoint(x, y, 4, 4, &d, &outside, &grid, c.levo, 0);
    EXPECT_EQ(outside, c.outside) << "cell " << c.cell << " levo " << int(c.levo);
    if (c.outside) {
      EXPECT_EQ(d.x, 5.0f);  // untouched
    }
  }
}

// The thorn's six cells of one variant, by index.
std::vector<int> ThornCells(uint8_t levo) {
  return levo ? std::vector<int>{2, 6, 9, 10, 11, 13} : std::vector<int>{6, 7, 8, 9, 10, 14};
}

TEST_F(GridTest, ThornCellCentresAreTheSixCubeAxes) {
  for (uint8_t levo : {0, 1}) {
    int seen[3][2] = {};
    for (int cell : ThornCells(levo)) {
      float x, y;
      ThornPlanePoint(cell % 4 + 0.5, cell / 4 + 0.5, &x, &y);
      Vec3f d;
      uint8_t outside;
      MapThornPoint(x, y, 4, 4, &d, &outside, &grid, levo, 0);
      ASSERT_EQ(outside, 0) << int(levo) << " " << cell;
      const float c[3] = {d.x, d.y, d.z};
      for (int axis = 0; axis < 3; ++axis) {
        if (std::fabs(c[axis]) > 0.999f) ++seen[axis][c[axis] > 0];
      }
    }
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_EQ(seen[axis][0], 1) << "levo " << int(levo) << " axis " << axis;
      EXPECT_EQ(seen[axis][1], 1) << "levo " << int(levo) << " axis " << axis;
    }
  }
}

TEST_F(GridTest, ThornCellsMeetAlongTheirSharedEdges) {
  // Cells side by side in the layout are faces glued along an edge of the
  // cube: the two sides of the shared edge map to the same directions.
  const double eps = 1e-4;
  for (uint8_t levo : {0, 1}) {
    const std::vector<int> cells = ThornCells(levo);
    const auto shown = [&](int k) {
      for (int c : cells) {
        if (c == k) return true;
      }
      return false;
    };
    int pairs = 0;
    for (int k : cells) {
      const int col = k % 4, row = k / 4;
      const bool right = col < 3 && shown(k + 1);
      const bool below = row < 3 && shown(k + 4);
      for (double t = 0.1; t < 0.95; t += 0.2) {
        float x1, y1, x2, y2;
        if (right) {
          ThornPlanePoint(col + 1 - eps, row + t, &x1, &y1);
          ThornPlanePoint(col + 1 + eps, row + t, &x2, &y2);
        } else if (below) {
          ThornPlanePoint(col + t, row + 1 - eps, &x1, &y1);
          ThornPlanePoint(col + t, row + 1 + eps, &x2, &y2);
        } else {
          break;
        }
        Vec3f d1, d2;
        uint8_t o1, o2;
        MapThornPoint(x1, y1, 4, 4, &d1, &o1, &grid, levo, 0);
        MapThornPoint(x2, y2, 4, 4, &d2, &o2, &grid, levo, 0);
        ASSERT_EQ(o1 + o2, 0) << int(levo) << " cell " << k;
        EXPECT_LT(AngleBetween(d1, d2), 0.002) << "levo " << int(levo) << " cell " << k << " t " << t;
        ++pairs;
      }
    }
    EXPECT_GT(pairs, 0);
  }
}

TEST_F(GridTest, ShiftedThornMovesThePointFirst) {
  const float x = 0.31f, y = -0.22f;
  Vec3f a, b;
  uint8_t oa, ob;
  MapThornPoint(x, y, 4, 4, &a, &oa, &grid, 0, 1);
  MapThornPoint(x - 0.24f, y - 0.145f, 4, 4, &b, &ob, &grid, 0, 0);
  EXPECT_EQ(oa, ob);
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.z, b.z);
  MapThornPoint(x, y, 4, 4, &a, &oa, &grid, 1, 1);
  MapThornPoint(x + 0.195f, y + 0.14f, 4, 4, &b, &ob, &grid, 1, 0);
  EXPECT_EQ(oa, ob);
  EXPECT_EQ(a.y, b.y);
}

}  // namespace
