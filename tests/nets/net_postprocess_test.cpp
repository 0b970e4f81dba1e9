// Laying the pieces of a net side by side, and the rotating calipers that
// turn a piece to its narrowest orientation.
#include <gtest/gtest.h>

#include <cmath>

#include "nets/mesh_pools.h"
#include "nets/net_postprocess.h"
#include "tests/nets/net_fixtures.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A w x h rectangle of net points on a layer, its corner at (x, y).
void Rectangle(MeshHolder* h, double x, double y, double w, double height, int32_t layer) {
  h->NetPoint(x, y, layer);
  h->NetPoint(x + w, y, layer);
  h->NetPoint(x + w, y + height, layer);
  h->NetPoint(x, y + height, layer);
}

void Bounds(const PolyMesh* mesh, int32_t layer, float b[4]) { LayerBounds(mesh, &b[0], &b[1], &b[2], &b[3], layer); }

}  // namespace

TEST(PieceLayout, OnePieceIsMovedToStartAtTheOrigin) {
  MeshHolder h;
  Rectangle(&h, -3.5, 2.25, 2, 1, 1);
  PostProcessNetPoints(h.mesh);
  float b[4];
  Bounds(h.mesh, 1, b);
  EXPECT_FLOAT_EQ(b[0], 0);
  EXPECT_FLOAT_EQ(b[1], 2);
  EXPECT_FLOAT_EQ(b[2], 0);
  EXPECT_FLOAT_EQ(b[3], 1);
}

TEST(PieceLayout, PiecesStandSideBySideCentredOnOneLine) {
  MeshHolder h;
  // Widths 2, 1 and 3; heights 1, 2 and 1; scattered.
  Rectangle(&h, 5, 5, 2, 1, 1);
  Rectangle(&h, -7, 1, 1, 2, 2);
  Rectangle(&h, 0.5, -9, 3, 1, 3);
  PostProcessNetPoints(h.mesh);
  // Each piece ends where the next starts, less a gap of 3 percent of the
  // wider neighbour: x = 0, 2.06, 3.15.
  const float expectedLeft[3] = {0, 2.06f, 3.15f};
  float b[4];
  for (int32_t layer = 1; layer <= 3; ++layer) {
    Bounds(h.mesh, layer, b);
    EXPECT_NEAR(b[0], expectedLeft[layer - 1], 1e-5) << layer;
    // Centred on the middle line of the tallest piece (height 2).
    EXPECT_NEAR((b[2] + b[3]) / 2, 1.0, 1e-5) << layer;
  }
}

TEST(RotatingCalipers, RecoverTheTurnOfARectangle) {
  for (double turn : {0.0, 0.3, -0.7, 1.2, 2.0, 3.0}) {
    // A 4 x 1 rectangle turned about the origin, corners counter-clockwise.
    const double c = std::cos(turn), s = std::sin(turn);
    const double corners[4][2] = {{0, 0}, {4, 0}, {4, 1}, {0, 1}};
    double points[4][2];
    for (int32_t k = 0; k < 4; ++k) {
      points[k][0] = corners[k][0] * c - corners[k][1] * s + 10;
      points[k][1] = corners[k][0] * s + corners[k][1] * c - 3;
    }
    const double angle = NarrowestHullAngleOfPoints(points, 4);
    // Turned back by the angle, the rectangle is 1 wide: its narrow side lies along x.
    const double cb = std::cos(-angle), sb = std::sin(-angle);
    double xmin = 1e9, xmax = -1e9;
    for (const auto& p : points) {
      const double x = p[0] * cb - p[1] * sb;
      xmin = std::min(xmin, x);
      xmax = std::max(xmax, x);
    }
    EXPECT_NEAR(xmax - xmin, 1.0, 1e-4) << turn;
    // The angle is the direction across the rectangle: its turn plus a
    // quarter, up to half turns.
    const double r = std::remainder(angle - turn - kPi / 2, kPi);
    EXPECT_NEAR(r, 0.0, 1e-4) << turn << " gave " << angle;
  }
}

TEST(RotatingCalipers, DegenerateHullsEndAtOnce) {
  const double one[1][2] = {{1, 2}};
  EXPECT_EQ(NarrowestHullAngleOfPoints(one, 1), 0.0);
  const double line[3][2] = {{0, 0}, {1, 0}, {2, 0}};
  const double angle = NarrowestHullAngleOfPoints(line, 3);
  EXPECT_TRUE(std::isfinite(angle));
}

TEST(PieceLayout, ASphericonPieceIsTurnedWithItsNarrowSideAlongX) {
  // A strip of five unit squares running at 0.4 rad: one piece of net group 1.
  MeshHolder h;
  const double c = std::cos(0.4), s = std::sin(0.4);
  auto point = [&](double x, double y) { return h.NetPoint(x * c - y * s, x * s + y * c, 1); };
  for (int32_t i = 0; i < 5; ++i) {
    MeshFace& face = h.mesh->faces[i];
    const int32_t corners[4] = {point(i, 0), point(i + 1, 0), point(i + 1, 1), point(i, 1)};
    for (int32_t k = 0; k < 4; ++k) face.netPoint[k] = corners[k];
    face.netPointCount = 4;
    face.netGroup = 1;
  }
  h.mesh->netFaceCount = h.mesh->faceCount = 5;
  BuildNetAdjacency(h.mesh, 5);
  h.mesh->netNumber = 104;  // a sphericon
  PostProcessNetPoints(h.mesh);
  float b[4];
  Bounds(h.mesh, 1, b);
  EXPECT_NEAR(b[1] - b[0], 1.0, 1e-4);
  EXPECT_NEAR(b[3] - b[2], 5.0, 1e-4);
  // Another net keeps the piece as it lies.
  MeshHolder plain;
  plain.NetPoint(0, 0, 1);
  plain.NetPoint(5 * c, 5 * s, 1);
  plain.mesh->netNumber = 16;
  PostProcessNetPoints(plain.mesh);
  Bounds(plain.mesh, 1, b);
  EXPECT_NEAR(b[1] - b[0], 5 * c, 1e-5);
}
