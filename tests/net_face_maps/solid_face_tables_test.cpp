// The conformal faces of the nets of solids that carry a face table: the
// conformal dodecahedron (net 70, a dodecahedron cut into 120 triangles), the
// sharks and bursts (nets 65 and 66, icosahedra) and the octahedron map of
// net 67 (table 14). Each net is built as the render builds it and its faces
// are mapped through the real lookup tables: corners and edges stay in place,
// every face is conformal, and the two faces on either side of every solid
// edge give one direction along it (the worst jump of every pair is printed).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "image/image_record.h"
#include "nets/net_build.h"
#include "nets/poly_mesh.h"
#include "projection/lookup_grid.h"
#include "projection/mapping_context.h"
#include "projection/net_face_maps.h"
#include "projection/tables/lookup_tables.h"

namespace {

constexpr double kDegrees = 57.29577951308232;

struct SolidNet {
  int32_t output;
  int32_t net;
  int32_t faces;
  int32_t mapNet;  // the net whose face map is read on the built faces
};

// "conformal dodecahedron", "shark 3", "sunburst" ("shark 4" and "starburst"
// build the same nets as "shark 3" and "sunburst"). Net 67 draws its lobes in
// a flat layout of its own; its face map (table 14) is read on the solid
// octahedron it was made for, the octahedron's net (output 8, net 19, the
// same catalogue solid).
constexpr SolidNet kSolidNets[] = {
    {168, 70, 120, 70}, {156, 65, 20, 65}, {158, 66, 20, 66}, {8, 19, 8, 67}};

Vec3 Unit(Vec3 v) {
  const double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return Vec3{v.x / n, v.y / n, v.z / n};
}

double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Cross(const Vec3& a, const Vec3& b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double AngleBetween(const Vec3& a, const Vec3& b) {
  const Vec3 c = Cross(a, b);
  return std::atan2(std::sqrt(Dot(c, c)), Dot(a, b)) * kDegrees;
}

class SolidFaceTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mesh_ = std::make_unique<PolyMesh>();
    list_ = std::make_unique<NetFaceList>();
    InitImageRecord(&grid_, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid_, 50, 50, PixelRgbaFloat, FetchClamp, 0));
  }
  void TearDown() override { FreeImageRecord(&grid_); }

  void Build(const SolidNet& solid) {
    std::memset(mesh_.get(), 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh_.get());
    BuildNetForOutput(solid.output, mesh_.get(), 1.0f, 0.0f, kFitToBox, 0, kBuildNet, nullptr, true);
    ASSERT_EQ(mesh_->netNumber, solid.net);
    ASSERT_EQ(mesh_->renderTriangleCount, solid.faces) << solid.output;
    mesh_->netNumber = solid.mapNet;
  }

  // The direction of triangle t at its barycentric weights, through the face map.
  Vec3 MapWeights(int32_t t, double b0, double b1, double b2) {
    Vec3f d{0, 0, 1};
    uint8_t outside = 0;
    const RenderPoint& p0 = Point(t, 0);
    const RenderPoint& p1 = Point(t, 1);
    const RenderPoint& p2 = Point(t, 2);
    const FaceMapPoint point{t,
                             float(b0),
                             float(b1),
                             float(b2),
                             float(b0 * p0.x + b1 * p1.x + b2 * p2.x),
                             float(b0 * p0.y + b1 * p1.y + b2 * p2.y),
                             &d,
                             &outside,
                             list_.get(),
                             mesh_.get(),
                             &grid_};
    EXPECT_TRUE(MapFaceByNetNumber(point)) << "net " << mesh_->netNumber;
    EXPECT_EQ(outside, 0);
    return Unit(Vec3{d.x, d.y, d.z});
  }

  // The same at the net point (x, y) of triangle t.
  Vec3 MapAt(int32_t t, double x, double y) {
    const RenderPoint& p0 = Point(t, 0);
    const RenderPoint& p1 = Point(t, 1);
    const RenderPoint& p2 = Point(t, 2);
    const double area = (double(p1.x) - p0.x) * (double(p2.y) - p0.y) - (double(p1.y) - p0.y) * (double(p2.x) - p0.x);
    const double b0 = ((p1.x - x) * (p2.y - y) - (p2.x - x) * (p1.y - y)) / area;
    const double b1 = ((p2.x - x) * (p0.y - y) - (p0.x - x) * (p2.y - y)) / area;
    return MapWeights(t, b0, b1, 1 - b0 - b1);
  }

  Vec3 Corner(int32_t t, int32_t k) { return Unit(mesh_->renderTriangles[t].corners[k]); }
  const RenderPoint& Point(int32_t t, int32_t k) {
    return mesh_->renderPoints[mesh_->renderTriangles[t].points[k]];
  }

  std::unique_ptr<PolyMesh> mesh_;
  std::unique_ptr<NetFaceList> list_;
  ImageRecord grid_;
};

// The cells the tables are known by and what the weight maps read from them.
TEST_F(SolidFaceTableTest, StatedCellsAndTheirLookups) {
  EXPECT_EQ(kLookupTable15[0], 1.0f);  // table 15 begins (1, 0)
  EXPECT_EQ(kLookupTable15[1], 0.0f);
  struct Case {
    void (*map)(float*, float*, float*, ImageRecord*);
    float a, b, c;        // weights in
    float wa, wb, wc;     // weights out
    float tolerance;
  };
  const Case cases[] = {
      // corners stay corners (table 15: weights (1, 0, 0) read cell (0, 0))
      {WeightMapNet70, 1, 0, 0, 1, 0, 0, 1e-6f},
      {WeightMapNet70, 0, 1, 0, 0, 1, 0, 1e-6f},
      {WeightMapNet70, 0, 0, 1, 0, 0, 1, 1e-6f},
      {WeightMapNet65, 0, 1, 0, 0, 1, 0, 1e-6f},
      {WeightMapNet65, 0, 0, 1, 0, 0, 1, 1e-6f},
      {WeightMapNet67, 1, 0, 0, 1, 0, 0, 1e-6f},
      // a regular face keeps its centre
      {WeightMapNet65, 1 / 3.0f, 1 / 3.0f, 1 / 3.0f, 1 / 3.0f, 1 / 3.0f, 1 / 3.0f, 2e-4f},
      {WeightMapNet67, 1 / 3.0f, 1 / 3.0f, 1 / 3.0f, 1 / 3.0f, 1 / 3.0f, 1 / 3.0f, 2e-4f},
      // and the midpoints of its edges
      {WeightMapNet67, 0.5f, 0.5f, 0, 0.5f, 0.5f, 0, 1e-6f},
      {WeightMapNet65, 0, 0.5f, 0.5f, 0, 0.5f, 0.5f, 1e-6f},
  };
  for (const Case& c : cases) {
    float a = c.a, b = c.b, w = c.c;
    c.map(&a, &b, &w, &grid_);
    EXPECT_NEAR(a, c.wa, c.tolerance) << c.a << " " << c.b << " " << c.c;
    EXPECT_NEAR(b, c.wb, c.tolerance) << c.a << " " << c.b << " " << c.c;
    EXPECT_NEAR(w, c.wc, c.tolerance) << c.a << " " << c.b << " " << c.c;
  }
  // The tables are not the plain blend: off the centre the weights move.
  float a = 0.7f, b = 0.2f, c = 0.1f;
  WeightMapNet65(&a, &b, &c, &grid_);
  EXPECT_GT(std::fabs(a - 0.7f) + std::fabs(b - 0.2f) + std::fabs(c - 0.1f), 0.003f);
}

// Every triangle keeps its corners and lays its edges on the great circles
// through their corners; the region of the conformal dodecahedron is its
// pentagon (ten triangles each), the others' their triangle.
TEST_F(SolidFaceTableTest, CornersAndEdgesStayInPlace) {
  for (const SolidNet& solid : kSolidNets) {
    Build(solid);
    for (int32_t t = 0; t < mesh_->renderTriangleCount; ++t) {
      for (int32_t k = 0; k < 3; ++k) {
        double w[3] = {0, 0, 0};
        w[k] = 1;
        EXPECT_LT(AngleBetween(MapWeights(t, w[0], w[1], w[2]), Corner(t, k)), 1e-3) << solid.mapNet << " " << t;
        const Vec3 normal = Unit(Cross(Corner(t, k), Corner(t, (k + 1) % 3)));
        for (double s = 0.05; s < 1; s += 0.1) {
          w[k] = 1 - s;
          w[(k + 1) % 3] = s;
          w[(k + 2) % 3] = 0;
          EXPECT_LT(std::fabs(Dot(MapWeights(t, w[0], w[1], w[2]), normal)), 1e-5) << solid.mapNet << " " << t;
        }
      }
      MapWeights(t, 0.2, 0.3, 0.5);
      EXPECT_EQ(list_->region, solid.mapNet == 70 ? t / 10 : t);
    }
  }
}

// Conformal: along two perpendicular steps of the flat triangle the direction
// changes by the same amount and in perpendicular directions, unlike the
// plain blend of the corners, which stretches the face towards its corners.
TEST_F(SolidFaceTableTest, FacesAreConformal) {
  for (const SolidNet& solid : kSolidNets) {
    Build(solid);
    double worstRatio = 0, worstCosine = 0, blendRatio = 0;
    for (int32_t t = 0; t < mesh_->renderTriangleCount; t += 7) {
      const RenderPoint& p0 = Point(t, 0);
      const RenderPoint& p1 = Point(t, 1);
      const double h = 0.02 * std::hypot(p1.x - p0.x, p1.y - p0.y);
      for (const auto& w : {std::array<double, 3>{0.6, 0.25, 0.15}, std::array<double, 3>{0.2, 0.2, 0.6},
                            std::array<double, 3>{0.15, 0.7, 0.15}, std::array<double, 3>{0.34, 0.33, 0.33}}) {
        const double x = w[0] * p0.x + w[1] * p1.x + w[2] * Point(t, 2).x;
        const double y = w[0] * p0.y + w[1] * p1.y + w[2] * Point(t, 2).y;
        const Vec3 ex = [&] {
          const Vec3 a = MapAt(t, x + h, y), b = MapAt(t, x - h, y);
          return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
        }();
        const Vec3 ey = [&] {
          const Vec3 a = MapAt(t, x, y + h), b = MapAt(t, x, y - h);
          return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
        }();
        const double lx = std::sqrt(Dot(ex, ex)), ly = std::sqrt(Dot(ey, ey));
        worstRatio = std::max(worstRatio, std::fabs(ly / lx - 1));
        worstCosine = std::max(worstCosine, std::fabs(Dot(ex, ey) / (lx * ly)));
        // the same measure of the plain blend
        auto blend = [&](double px, double py) {
          const RenderPoint& q1 = Point(t, 1);
          const RenderPoint& q2 = Point(t, 2);
          const double area = (double(q1.x) - p0.x) * (double(q2.y) - p0.y) - (double(q1.y) - p0.y) * (double(q2.x) - p0.x);
          const double b0 = ((q1.x - px) * (q2.y - py) - (q2.x - px) * (q1.y - py)) / area;
          const double b1 = ((q2.x - px) * (p0.y - py) - (p0.x - px) * (q2.y - py)) / area;
          const double b2 = 1 - b0 - b1;
          const Vec3& A = mesh_->renderTriangles[t].corners[0];
          const Vec3& B = mesh_->renderTriangles[t].corners[1];
          const Vec3& C = mesh_->renderTriangles[t].corners[2];
          return Unit(Vec3{b0 * A.x + b1 * B.x + b2 * C.x, b0 * A.y + b1 * B.y + b2 * C.y, b0 * A.z + b1 * B.z + b2 * C.z});
        };
        const Vec3 bx1 = blend(x + h, y), bx0 = blend(x - h, y), by1 = blend(x, y + h), by0 = blend(x, y - h);
        const Vec3 bx{bx1.x - bx0.x, bx1.y - bx0.y, bx1.z - bx0.z}, by{by1.x - by0.x, by1.y - by0.y, by1.z - by0.z};
        blendRatio = std::max(blendRatio, std::fabs(std::sqrt(Dot(by, by) / Dot(bx, bx)) - 1));
      }
    }
    std::printf("net %d: worst scale ratio %.5f, worst cosine %.5f (plain blend: ratio %.5f)\n", solid.mapNet,
                worstRatio, worstCosine, blendRatio);
    EXPECT_LT(worstRatio, 0.01) << solid.mapNet;
    EXPECT_LT(worstCosine, 0.01) << solid.mapNet;
    EXPECT_GT(blendRatio, 2 * worstRatio) << solid.mapNet;
  }
}

// Along every edge of the solid, the faces on its two sides (neighbours in
// the net across a fold, or the two ends of a cut) give one direction. Two
// triangles are neighbours when they share two corner directions.
TEST_F(SolidFaceTableTest, SeamsAreContinuousAcrossEveryNeighbouringFacePair) {
  std::printf("%-5s %-9s %s\n", "net", "faces", "worst jump (degrees)");
  for (const SolidNet& solid : kSolidNets) {
    Build(solid);
    double netWorst = 0;
    int32_t pairs = 0;
    const int32_t n = mesh_->renderTriangleCount;
    for (int32_t f = 0; f < n; ++f) {
      for (int32_t g = f + 1; g < n; ++g) {
        int32_t kf[2], kg[2], shared = 0;
        for (int32_t i = 0; i < 3; ++i) {
          for (int32_t j = 0; j < 3; ++j) {
            if (AngleBetween(Corner(f, i), Corner(g, j)) < 1e-4 && shared < 2) {
              kf[shared] = i;
              kg[shared] = j;
              ++shared;
            }
          }
        }
        if (shared < 2) continue;
        ++pairs;
        const RenderPoint &F0 = Point(f, kf[0]), &F1 = Point(f, kf[1]);
        const RenderPoint &G0 = Point(g, kg[0]), &G1 = Point(g, kg[1]);
        const bool fold = std::hypot(F0.x - G0.x, F0.y - G0.y) < 1e-5 && std::hypot(F1.x - G1.x, F1.y - G1.y) < 1e-5;
        double worst = 0;
        for (int32_t i = 0; i <= 20; ++i) {
          const double s = i / 20.0;
          const Vec3 a = MapAt(f, F0.x + s * (F1.x - F0.x), F0.y + s * (F1.y - F0.y));
          const Vec3 b = MapAt(g, G0.x + s * (G1.x - G0.x), G0.y + s * (G1.y - G0.y));
          worst = std::max(worst, AngleBetween(a, b));
        }
        std::printf("%-5d %3d-%-5d %.6f%s\n", solid.mapNet, f, g, worst, fold ? "" : " (cut)");
        EXPECT_LT(worst, 0.01) << "net " << solid.mapNet << " faces " << f << " and " << g;
        netWorst = std::max(netWorst, worst);
      }
    }
    std::printf("%-5d all       %.6f over %d pairs\n", solid.mapNet, netWorst, pairs);
    EXPECT_EQ(pairs, solid.faces * 3 / 2) << solid.mapNet;
  }
}

}  // namespace
