// Tables 6, 7 and 8 and the layouts that read them: the conformal
// tetrahedral layouts (nets 38, 39) and the Reuleaux layouts (nets 52-56).
// The tables are read through the real loader and sampler; their defining
// property (a conformal map with the stated corners and sides) is checked on
// the stored cells, the sector layouts' groups are checked where they touch,
// and every output of these layouts is rendered end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <memory>

#include "geometry/fast_math.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "image/image_record.h"
#include "nets/catalogue_flat_layouts.h"
#include "nets/poly_mesh.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "tests/support/direction_panorama.h"
#include "tests/support/net_directions.h"
#include "projection/lookup_grid.h"
#include "projection/mapping_context.h"
#include "projection/net_face_maps.h"

namespace {

using Cx = std::complex<double>;
constexpr double kPi = 3.141592653589793;
constexpr double kDegrees = 180 / kPi;

class TriangleTables : public ::testing::Test {
 protected:
  void SetUp() override {
    InitImageRecord(&grid_, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid_, 50, 50, PixelRgbaFloat, FetchClamp, 0));
  }
  void TearDown() override { FreeImageRecord(&grid_); }

  // The table at the weights (b0, b2) of its face, read at (b2, b0).
  Cx At(int32_t table, double b0, double b2) {
    const Complex p{b2, b0};
    const Complex w = LookupGridPair(&p, &grid_, table);
    EXPECT_EQ(grid_.gridId, table);
    return Cx(w.re, w.im);
  }

  ImageRecord grid_;
};

// A face (O, M, C) of a Reuleaux group in the tables' frame: O at 0, C on the
// real axis, M at 60 degrees; the region's corner A lies on O-C, its far side
// is the arc from A to M about the opposite corner of the region.
const double kM = (std::sqrt(3.0) - 1) / std::sqrt(2.0);
const Cx kMPoint = std::polar(kM, kPi / 3);
const Cx kCPoint = Cx(2 * kM, 0);
const double kA = 1 / std::sqrt(2.0);

// Weights (b0, b2) of a point of the face.
void FaceWeights(Cx p, const Cx& second, const Cx& third, double* b0, double* b2) {
  // p = b1 second + b2 third
  const double det = second.real() * third.imag() - second.imag() * third.real();
  const double b1 = (p.real() * third.imag() - p.imag() * third.real()) / det;
  *b2 = (second.real() * p.imag() - second.imag() * p.real()) / det;
  *b0 = 1 - b1 - *b2;
}

// The point of the region's arc at fraction t from A to M.
Cx ArcPoint(double t) {
  const Cx centre = std::polar(kA, kPi / 3 + kPi);
  const double radius = std::abs(kMPoint - centre);
  const double from = std::arg(Cx(kA, 0) - centre), to = std::arg(kMPoint - centre);
  return centre + std::polar(radius, from + (to - from) * t);
}

TEST_F(TriangleTables, StatedCellsAndCorners) {
  struct Cell {
    int32_t table;
    double b0, b2;
    double re, im;
  };
  const double third = std::sqrt(1.0 / 3);
  const Cell cells[] = {
      {8, 0, 0, 0.5, 0.86603},                  // stated first cell: corner M on the rim at 60 degrees
      {8, 1, 0, 0, 0},                          // corner O: the pole
      {7, 0, 0, 0.5 * third, 0.5 * std::sqrt(3.0) * third},  // M: the middle of an octant side
      {7, 1, 0, 0, 0},                          // O: the octant's centre
      {6, 1, 0, 0, 1},                          // O keeps its whole weight
      {6, 0, 1, 1, 0},                          // V keeps its whole weight
      {6, 0, 0, 0, 0},                          // E: neither O nor V
  };
  for (const Cell& c : cells) {
    const Cx w = At(c.table, c.b0, c.b2);
    EXPECT_NEAR(w.real(), c.re, 2e-5) << "table " << c.table << " at " << c.b0 << ", " << c.b2;
    EXPECT_NEAR(w.imag(), c.im, 2e-5) << "table " << c.table << " at " << c.b0 << ", " << c.b2;
  }
  // The region's corner A: the rim's start (table 8), an octant corner (table 7).
  double b0, b2;
  FaceWeights(Cx(kA, 0), kMPoint, kCPoint, &b0, &b2);
  EXPECT_NEAR(std::abs(At(8, b0, b2) - Cx(1, 0)), 0, 2e-3);
  // The octant's corner is narrower (45 degrees against 60): the map bends
  // fastest there, and the cells next to it interpolate it less closely.
  EXPECT_NEAR(std::abs(At(7, b0, b2) - Cx(std::sqrt(2.0 / 3), 0)), 0, 1e-2);
}

// Table 8 takes the region onto the 60 degree sector: its sides onto the two
// radii and its arc onto the rim.
TEST_F(TriangleTables, Table8TakesTheRegionsSidesOntoTheSector) {
  for (int i = 1; i < 20; ++i) {
    const double t = i / 20.0;
    double b0, b2;
    FaceWeights(ArcPoint(t), kMPoint, kCPoint, &b0, &b2);
    EXPECT_NEAR(std::abs(At(8, b0, b2)), 1.0, 2e-3) << "arc at " << t;
    const Cx onOA = At(8, 1 - t * kA / (2 * kM), t * kA / (2 * kM));  // O-A lies on O-C
    EXPECT_NEAR(onOA.imag(), 0, 1e-4) << t;
    const Cx onOM = At(8, 1 - t, 0);
    EXPECT_NEAR(std::arg(onOM), kPi / 3, 1e-4) << t;
    EXPECT_LT(std::abs(onOM), 1.0) << t;
  }
}

// Cauchy-Riemann on the stored cells: the derivative across the face is the
// derivative along it turned by a right angle (to the accuracy of a 50-cell
// grid). f takes a point of the face to a plane point of the target.
template <typename F>
void ExpectConformal(F f, const Cx& second, const Cx& third, const char* what) {
  const double h = 0.03;
  double worst = 0;
  for (double b0 : {0.3, 0.5, 0.7}) {
    for (double b2 : {0.1, 0.2}) {
      const Cx p = (1 - b0 - b2) * second + b2 * third;
      auto at = [&](Cx q) {
        double c0, c2;
        FaceWeights(q, second, third, &c0, &c2);
        return f(c0, c2);
      };
      const double step = h * std::abs(third);
      const Cx dx = (at(p + step) - at(p - step)) / (2 * step);
      const Cx dy = (at(p + Cx(0, step)) - at(p - Cx(0, step))) / (2 * step);
      worst = std::max(worst, std::abs(dy - Cx(0, 1) * dx) / std::abs(dx));
    }
  }
  std::printf("%s: Cauchy-Riemann defect %.4f\n", what, worst);
  EXPECT_LT(worst, 0.03) << what;
}

TEST_F(TriangleTables, TheMapsAreConformal) {
  ExpectConformal([&](double b0, double b2) { return At(8, b0, b2); }, kMPoint, kCPoint, "table 8");
  // Table 7 is orthographic: lift, then project stereographically from the octant's far side.
  ExpectConformal(
      [&](double b0, double b2) {
        const Cx w = At(7, b0, b2);
        const double z = std::sqrt(std::max(0.0, 1 - std::norm(w)));
        return w / (1 + z);
      },
      kMPoint, kCPoint, "table 7");
  // Table 6: the weights blend the corners O, E, V of a sixth of a tetrahedron face.
  const double toV = std::acos(1.0 / 3), toE = std::acos(1 / std::sqrt(3.0));
  const Vec3 O{0, 0, 1}, E{std::sin(toE) * 0.5, std::sin(toE) * std::sqrt(0.75), std::cos(toE)},
      V{std::sin(toV), 0, std::cos(toV)};
  ExpectConformal(
      [&](double b0, double b2) {
        const Cx w = At(6, b0, b2);
        const double c = w.real(), a = w.imag(), b = 1 - c - a;
        Vec3 d{a * O.x + b * E.x + c * V.x, a * O.y + b * E.y + c * V.y, a * O.z + b * E.z + c * V.z};
        NormalizeVec3d(&d);
        return Cx(d.x, d.y) / (1 + d.z);
      },
      std::polar(0.5, kPi / 3), Cx(1, 0), "table 6");
}

// Table 6 keeps each side of the face on its great circle: the side O-E
// (b2 = 0) has no weight of V, the side E-V (b0 = 0) none of O, and the side
// O-V (b1 = 0) none of E.
TEST_F(TriangleTables, Table6KeepsTheSidesOnTheirGreatCircles) {
  for (int i = 0; i <= 20; ++i) {
    const double t = i / 20.0;
    EXPECT_NEAR(At(6, t, 0).real(), 0, 1e-5) << t;
    EXPECT_NEAR(At(6, 0, t).imag(), 0, 1e-5) << t;
    const Cx w = At(6, t, 1 - t);
    EXPECT_NEAR(1 - w.real() - w.imag(), 0, 1e-5) << t;
  }
}

// --- the sector layouts ------------------------------------------------------------------

class SectorLayouts : public ::testing::Test {
 protected:
  void SetUp() override {
    mesh_ = std::make_unique<PolyMesh>();
    list_ = std::make_unique<NetFaceList>();
    InitImageRecord(&grid_, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid_, 50, 50, PixelRgbaFloat, FetchClamp, 0));
  }
  void TearDown() override { FreeImageRecord(&grid_); }

  void Load(int32_t net) {
    const FlatLayoutTables* layout = FindFlatLayout(net);
    ASSERT_NE(layout, nullptr) << net;
    layout_ = layout;
    const uint16_t* list = layout->faceLists;
    for (int32_t g = 0; g < layout->faceCount; ++g) {
      RenderTriangle& t = mesh_->renderTriangles[g];
      t = RenderTriangle{};
      for (int k = 0; k < 3; ++k) {
        const int32_t p = *list++ - 1;
        t.points[k] = p;
        const int32_t v = layout->flatVertexMap[p];
        t.corners[k] = Vec3{-layout->directions[3 * v], layout->directions[3 * v + 1], layout->directions[3 * v + 2]};
      }
      ++list;
      t.netFace = int16_t(g);
    }
    mesh_->netNumber = net;
    mesh_->faceCount = mesh_->renderTriangleCount = layout->faceCount;
  }

  Cx NetPoint(int32_t p) const { return Cx(layout_->netPoints[2 * p], layout_->netPoints[2 * p + 1]); }

  // Direction and region of face g at weights (b0, b1, b2).
  Vec3f Map(int32_t g, double b0, double b1, int32_t* region) {
    Vec3f d{0, 0, 1};
    uint8_t outside = 0;
    const FaceMapPoint point{g, float(b0), float(b1), float(1 - b0 - b1), 0, 0, &d, &outside, list_.get(),
                             mesh_.get(), &grid_};
    EXPECT_TRUE(MapFaceByNetNumber(point));
    *region = list_->region;
    NormalizeVec3fDouble(&d);
    return d;
  }

  std::unique_ptr<PolyMesh> mesh_;
  std::unique_ptr<NetFaceList> list_;
  ImageRecord grid_;
  const FlatLayoutTables* layout_ = nullptr;
};

double Angle(const Vec3f& a, const Vec3f& b) {
  return AngleBetween(Vec3{a.x, a.y, a.z}, Vec3{b.x, b.y, b.z}) * kDegrees;
}

// Every face shows its group's region: its centre O and the points near it
// are inside (region = group), its corner C beyond the region is cut away.
TEST_F(SectorLayouts, FacesShowTheirGroupsRegionAndCutTheRest) {
  for (int32_t net : {52, 53, 54, 55, 56}) {
    Load(net);
    for (int32_t g = 0; g < layout_->faceCount; ++g) {
      int32_t region = 0;
      Map(g, 0.9, 0.05, &region);
      EXPECT_EQ(region, g / 6) << "net " << net << " face " << g;
      Map(g, 0.0, 0.02, &region);
      EXPECT_EQ(region, -5) << "net " << net << " face " << g;
    }
  }
}

// The sector layouts are fitted by the box of the regions they show: it holds
// every shown point and lies within the triangles' own box. The conformal
// tetrahedral layouts fill their triangles and keep the fit by their points.
TEST_F(SectorLayouts, StoredBoxesHoldTheShownRegions) {
  auto mesh = std::make_unique<PolyMesh>();
  for (int32_t net : {38, 39, 52, 53, 54, 55, 56}) {
    ResetPolyMesh(mesh.get());
    ASSERT_TRUE(LoadFlatLayout(mesh.get(), net, nullptr));
    const bool sector = net >= 52;
    EXPECT_EQ(mesh->useStoredBox, sector ? 1 : 0) << net;
    if (!sector) continue;
    Load(net);
    double lo = 1e9, hi = -1e9;
    for (int32_t p = 0; p < layout_->netPointCount; ++p) {
      lo = std::min(lo, NetPoint(p).real());
      hi = std::max(hi, NetPoint(p).real());
    }
    EXPECT_GE(mesh->storedMinX, lo - 1e-6) << net;
    EXPECT_LE(mesh->storedMaxX, hi + 1e-6) << net;
    EXPECT_LT(mesh->storedMaxX - mesh->storedMinX, hi - lo) << net;
    for (int32_t g = 0; g < layout_->faceCount; ++g) {
      const RenderTriangle& t = mesh_->renderTriangles[g];
      for (int i = 0; i <= 10; ++i) {
        for (int j = 0; i + j <= 10; ++j) {
          const double b0 = i / 10.0, b1 = j / 10.0;
          int32_t region = 0;
          Map(g, b0, b1, &region);
          if (region == -5) continue;
          const Cx q = b0 * NetPoint(t.points[0]) + b1 * NetPoint(t.points[1]) +
                       (1 - b0 - b1) * NetPoint(t.points[2]);
          EXPECT_GE(q.real(), mesh->storedMinX - 1e-5) << net << " face " << g;
          EXPECT_LE(q.real(), mesh->storedMaxX + 1e-5) << net << " face " << g;
          EXPECT_GE(q.imag(), mesh->storedMinY - 1e-5) << net << " face " << g;
          EXPECT_LE(q.imag(), mesh->storedMaxY + 1e-5) << net << " face " << g;
        }
      }
    }
  }
}

// Groups meet only where their triangles touch at a side's middle M: there
// the second region must continue the first, not mirror it. Points a step
// along the side from M, just inside each region, show neighbouring points
// of the sphere; a mirrored neighbour would show the point a step the other
// way. The worst jump of every touching pair is printed as a table.
TEST_F(SectorLayouts, GroupsContinueEachOtherWhereTheyTouch) {
  std::printf("%-5s %-13s %s\n", "net", "faces", "jump beside the touching point (degrees)");
  for (int32_t net : {53, 54, 55, 56}) {
    Load(net);
    int32_t touches = 0;
    double worst = 0;
    for (int32_t g = 0; g < layout_->faceCount; ++g) {
      for (int32_t h = g + 1; h < layout_->faceCount; ++h) {
        if (g / 6 == h / 6) continue;
        // corner 1 of a face is its M, corner 2 its C: the faces touch at M
        // and hold the same half of the side
        const RenderTriangle& tg = mesh_->renderTriangles[g];
        const RenderTriangle& th = mesh_->renderTriangles[h];
        const Cx m = NetPoint(tg.points[1]);
        if (std::abs(m - NetPoint(th.points[1])) > 1e-9) continue;
        if (std::abs(NetPoint(tg.points[2]) - NetPoint(th.points[2])) > 1e-9) continue;
        ++touches;
        const Cx along = (NetPoint(tg.points[2]) - m) / std::abs(NetPoint(tg.points[2]) - m);
        const double step = 0.02 * std::abs(NetPoint(tg.points[0]) - m);
        auto inside = [&](int32_t f) {
          const RenderTriangle& t = mesh_->renderTriangles[f];
          const Cx in = (NetPoint(t.points[0]) - m) / std::abs(NetPoint(t.points[0]) - m);
          const Cx q = m + step * along + 0.1 * step * in;
          double b0, b2;
          FaceWeights(q - NetPoint(t.points[0]), NetPoint(t.points[1]) - NetPoint(t.points[0]),
                      NetPoint(t.points[2]) - NetPoint(t.points[0]), &b0, &b2);
          int32_t region = 0;
          const Vec3f d = Map(f, b0, 1 - b0 - b2, &region);
          EXPECT_EQ(region, f / 6) << "net " << net << " face " << f;
          return d;
        };
        const double jump = Angle(inside(g), inside(h));
        std::printf("%-5d %3d-%-9d %.4f\n", net, g, h, jump);
        worst = std::max(worst, jump);
      }
    }
    std::printf("%-5d %-13s %.4f over %d pairs\n", net, "all", worst, touches);
    EXPECT_GT(touches, 0) << net;
    EXPECT_LT(worst, 0.5) << net;
  }
}

// --- end to end ----------------------------------------------------------------------------

constexpr int32_t kWidth = 512;
constexpr int32_t kHeight = 256;

TestDocument DirectionPanorama() { return ::DirectionPanorama(kWidth, kHeight); }

// Each output rendered through the test host: a good part of the picture
// shows the panorama (pixels whose colour is a direction, to a length within
// 0.03: stricter than the shared reading, so fewer of the outline's blended
// pixels count), and those directions reach every eighth of the sphere.
TEST(SectorLayoutRenders, EveryOutputShowsTheWholeSphere) {
  for (int32_t output : {106, 107, 122, 123, 124, 125, 126}) {
    TestDocument doc = DirectionPanorama();
    TestHost host;
    ASSERT_EQ(RenderOutputOnTestHost(&host, &doc, output, [](ParameterBlock*) {}), kNoErr);
    int32_t picture = 0;
    bool octant[8] = {};
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        double v[3];
        if (!ReadPixelDirection(doc, x, y, v, 0.03)) continue;
        ++picture;
        octant[OctantOf(v)] = true;
      }
    }
    EXPECT_GT(picture, kWidth * kHeight / 10) << "output " << output;
    EXPECT_EQ(std::count(octant, octant + 8, true), 8) << "output " << output;
    ShutdownTestHost(&host);
  }
}

}  // namespace
