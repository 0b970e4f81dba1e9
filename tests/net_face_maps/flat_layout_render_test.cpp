// The flat layouts end to end: each output rendered through the test host
// from a panorama whose colour is a smooth function of the direction. Every
// face of the layout is drawn (no backdrop inside it), and the direction its
// pixels show is the direction its face map gives there, so no face falls
// back to a blend of its corners or to one colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "geometry/fast_math.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "image/image_record.h"
#include "nets/net_build.h"
#include "nets/net_layout.h"
#include "nets/poly_mesh.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "tests/support/direction_panorama.h"
#include "tests/support/net_render_points.h"
#include "projection/lookup_grid.h"
#include "projection/mapping_context.h"
#include "projection/net_face_maps.h"

namespace {

constexpr int32_t kWidth = 768;
constexpr int32_t kHeight = 768;

TestDocument DirectionPanorama() { return ::DirectionPanorama(kWidth, kHeight); }

class FlatLayoutRender : public ::testing::Test {
 protected:
  TestDocument doc;
  TestHost host;
  std::unique_ptr<PolyMesh> mesh = std::make_unique<PolyMesh>();
  ImageRecord grid;

  void SetUp() override {
    InitImageRecord(&grid, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid, 50, 50, PixelRgbaFloat, FetchClamp, 0));
  }
  void TearDown() override {
    ShutdownTestHost(&host);
    FreeMeshTables(mesh.get(), nullptr);
    FreeImageRecord(&grid);
  }

  HostError Render(int32_t output) {
    ShutdownTestHost(&host);
    host = TestHost();
    doc = DirectionPanorama();
    return RenderOutputOnTestHost(&host, &doc, output, [&](ParameterBlock* block) { tabs = block->tabs; });
  }

  // The net as the run built it, into a record of the test's own.
  float tabs = 0;
  void BuildOutputMesh(int32_t output) { BuildNetAsTheRunDid(output, doc, tabs, mesh.get()); }

  // The direction face map of triangle t gives at the weights.
  void MapDirection(int32_t t, float b0, float b1, float b2, double* out) {
    auto list = std::make_unique<NetFaceList>();
    Vec3f d{0, 0, 1};
    uint8_t outside = 0;
    const RenderTriangle& tri = mesh->renderTriangles[t];
    const RenderPoint& p0 = mesh->renderPoints[tri.points[0]];
    const RenderPoint& p1 = mesh->renderPoints[tri.points[1]];
    const RenderPoint& p2 = mesh->renderPoints[tri.points[2]];
    const float u = b0 * p0.x + b1 * p1.x + b2 * p2.x, v = b0 * p0.y + b1 * p1.y + b2 * p2.y;
    const FaceMapPoint point{t, b0, b1, b2, u, v, &d, &outside, list.get(), mesh.get(), &grid};
    ASSERT_TRUE(MapFaceByNetNumber(point));
    out[0] = d.x;
    out[1] = d.y;
    out[2] = d.z;
  }
};

struct Case {
  int32_t output;
  const char* name;
  int32_t triangles;  // faces of its layout
};

// Every face's pixels show its face map's directions: sampled at the middle
// and towards each corner of every render triangle.
TEST_F(FlatLayoutRender, EveryFaceShowsItsFaceMap) {
  const Case cases[] = {
      {102, "rhombus 1", 4}, {115, "phenathene", 36}, {144, "pointy", 8},
      {167, "anthracene", 36}, {116, "shuriken", 48},
      {104, "6-star", 24},  // a layout of the same kind built before these
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Render(c.output), kNoErr);
    BuildOutputMesh(c.output);
    int32_t drawn = 0, sampled = 0;
    double worst = 0;
    for (int32_t t = 0; t < mesh->renderTriangleCount; ++t) {
      const RenderTriangle& tri = mesh->renderTriangles[t];
      if (tri.extraTriangle) continue;
      ++drawn;
      const float weights[4][3] = {{1 / 3.f, 1 / 3.f, 1 / 3.f}, {0.6f, 0.2f, 0.2f}, {0.2f, 0.6f, 0.2f},
                                   {0.2f, 0.2f, 0.6f}};
      for (const auto& w : weights) {
        const RenderPoint& p0 = mesh->renderPoints[tri.points[0]];
        const RenderPoint& p1 = mesh->renderPoints[tri.points[1]];
        const RenderPoint& p2 = mesh->renderPoints[tri.points[2]];
        const double x = (w[0] * p0.x + w[1] * p1.x + w[2] * p2.x) * kWidth;
        const double y = (w[0] * p0.y + w[1] * p1.y + w[2] * p2.y) * kWidth;
        const int32_t px = int32_t(std::floor(x)), py = int32_t(std::floor(y));
        ASSERT_TRUE(px >= 0 && py >= 0 && px < kWidth && py < kHeight) << "triangle " << t;
        // the weights of the pixel's centre, the point the render sampled
        const float cx = float((px + 0.5) / kWidth), cy = float((py + 0.5) / kWidth);
        float b0, b1, b2;
        if (!NetTriangleBarycentric(t, cx, cy, &b0, &b1, &b2, mesh.get())) continue;
        double want[3] = {};
        MapDirection(t, b0, b1, b2, want);
        want[0] = -want[0];  // the panorama is read with x turned about, as for every output
        double got[3];
        ColourDirection(DocumentPixelAddress(doc, px, py), got);
        const double angle = DegreesBetween(got, want);
        worst = std::max(worst, angle);
        ++sampled;
        EXPECT_LT(angle, 3.0) << "triangle " << t << " at pixel " << px << ", " << py;
      }
    }
    EXPECT_EQ(drawn, c.triangles);
    EXPECT_GE(sampled, 3 * c.triangles);
    std::printf("%-12s %d faces, %d samples, worst %.2f degrees\n", c.name, drawn, sampled, worst);
  }
}

// The shuriken star draws five lobes, each the quarter of the shuriken's net
// bent onto a fifth of the turn: no seam inside the star, and the sphere
// covered.
TEST_F(FlatLayoutRender, ShurikenStarIsSeamlessAndCoversTheSphere) {
  ASSERT_EQ(Render(145), kNoErr);
  // A pixel of the star shows a unit direction; the backdrop does not.
  const NeighbourSteps steps = ReadNeighbourSteps(doc, 4.0);
  EXPECT_GT(steps.inside, kWidth * kHeight / 3);
  EXPECT_LT(steps.worst, 4.0) << "over " << steps.pairs << " neighbouring pixels";
  for (bool o : steps.octants) EXPECT_TRUE(o);
  // Five points: a circle about the star's middle enters it five times.
  double cx = 0, cy = 0, e[3];
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      if (ReadPixelDirection(doc, x, y, e)) {
        cx += x;
        cy += y;
      }
    }
  }
  cx /= steps.inside;
  cy /= steps.inside;
  int32_t entries = 0;
  bool was = false;
  for (int32_t i = 0; i <= 720; ++i) {
    const double a = i * std::numbers::pi / 360;
    const bool is =
        ReadPixelDirection(doc, int32_t(cx + 0.36 * kWidth * std::cos(a)), int32_t(cy + 0.36 * kWidth * std::sin(a)), e);
    if (is && !was && i > 0) ++entries;
    was = is;
  }
  EXPECT_EQ(entries, 5);
}

}  // namespace
