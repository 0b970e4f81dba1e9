// The generated nets end to end: each generator's output rendered through
// the test host from a panorama whose colour is a smooth function of the
// direction; every solid face has its net face, and across every cut seam
// the pixels just inside the two net faces agree, as they show neighbouring
// points of the sphere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "geometry/fast_math.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "nets/net_build.h"
#include "nets/net_generators.h"
#include "nets/net_layout.h"
#include "nets/poly_mesh.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "tests/support/direction_panorama.h"
#include "tests/support/net_render_points.h"

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 512;

TestDocument DirectionPanorama() { return ::DirectionPanorama(kWidth, kHeight); }

struct SeamReport {
  int32_t faces = 0;
  int32_t faceless = 0;  // solid faces without a net face
  int32_t seams = 0;     // seams measured
  int32_t broken = 0;    // seams whose two sides disagree
  double worst = 0;
  double controlMedian = 0;  // the same measure between unrelated seam sides
  int32_t errorCode = 0;
  int32_t triangles = 0;
};

class GeneratedNetRender : public ::testing::Test {
 protected:
  TestDocument doc;
  TestHost host;

  void TearDown() override { ShutdownTestHost(&host); }

  // Parameters, prepare, start and every continue call; the host stays open
  // so that the output mesh can be read.
  HostError Render(int32_t output) {
    doc = DirectionPanorama();
    return RenderOutputOnTestHost(&host, &doc, output, [&](ParameterBlock* block) { tabs = block->tabs; });
  }

  // The net as the run built it, into a record of the test's own.
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  float tabs = 0;
  const PolyMesh* OutputMesh(int32_t output) {
    BuildNetAsTheRunDid(output, doc, tabs, owned.get());
    return owned.get();
  }
  ~GeneratedNetRender() override { FreeMeshTables(owned.get(), nullptr); }

  // The point a few pixels inside net face f from the middle of its edge (a, b);
  // (-1, -1) when the face is too small.
  static NetPoint2 InsideEdge(const PolyMesh* m, int32_t f, int32_t a, int32_t b, double pixels) {
    const NetPoint2 pa = RenderXY(m, a), pb = RenderXY(m, b);
    NetPoint2 c{0, 0};
    const int32_t n = m->faces[f].netPointCount;
    for (int32_t k = 0; k < n; ++k) {
      const NetPoint2 q = RenderXY(m, m->faces[f].netPoint[k]);
      c.x += q.x / n;
      c.y += q.y / n;
    }
    const NetPoint2 mid{(pa.x + pb.x) / 2, (pa.y + pb.y) / 2};
    // Towards the centre: inside the face even when it is a thin sliver.
    double nx = c.x - mid.x, ny = c.y - mid.y;
    const double len = std::hypot(nx, ny);
    if (len * kWidth < pixels) return NetPoint2{-1, -1};
    // The centre of the pixel there: the point the render sampled.
    const double px = std::floor((mid.x + nx / len * pixels / kWidth) * kWidth) + 0.5;
    const double py = std::floor((mid.y + ny / len * pixels / kWidth) * kWidth) + 0.5;
    return NetPoint2{px / kWidth, py / kWidth};
  }

  static int32_t NetPointOfVertex(const PolyMesh* m, int32_t solidFace, int32_t vertex, int32_t* netFace) {
    const int32_t n = m->faces[solidFace].vertexCount;
    for (int32_t k = 0; k < n; ++k) {
      if (m->faces[solidFace].vertex[k] != vertex) continue;
      int32_t corner;
      if (!NetFaceOfPiece(solidFace, k, netFace, &corner, m)) return -1;
      return m->faces[*netFace].netPoint[corner];
    }
    return -1;
  }

  SeamReport Measure(int32_t output, double toleranceDegrees) {
    SeamReport report;
    EXPECT_EQ(Render(output), kNoErr);
    const PolyMesh* m = OutputMesh(output);
    if (m == nullptr) return report;
    report.faces = m->faceCount;
    report.errorCode = m->errorCode;
    report.triangles = m->renderTriangleCount;
    std::vector<std::pair<NetPoint2, NetPoint2>> sides;
    for (int32_t f = 0; f < m->faceCount; ++f) {
      int32_t netFace, corner;
      if (!NetFaceOfPiece(f, 0, &netFace, &corner, m)) ++report.faceless;
      const int32_t n = m->faces[f].vertexCount;
      for (int32_t k = 0; k < n; ++k) {
        const int32_t g = m->faces[f].neighbour[k];
        if (g <= f) continue;  // each shared edge once
        const int32_t P = m->faces[f].vertex[k], Q = m->faces[f].vertex[(k + 1) % n];
        int32_t fa = -1, fa2 = -1, gb = -1, gb2 = -1;
        const int32_t pA = NetPointOfVertex(m, f, P, &fa), qA = NetPointOfVertex(m, f, Q, &fa2);
        const int32_t pB = NetPointOfVertex(m, g, P, &gb), qB = NetPointOfVertex(m, g, Q, &gb2);
        if (pA < 0 || qA < 0 || pB < 0 || qB < 0) continue;
        if (pA == pB && qA == qB) continue;  // folded: the two faces meet in the net as well
        // Long enough to measure away from the corners, and both points well inside.
        const NetPoint2 a0 = RenderXY(m, pA), a1 = RenderXY(m, qA);
        if (std::hypot(a1.x - a0.x, a1.y - a0.y) * kWidth < 6) continue;
        const NetPoint2 inA = InsideEdge(m, fa, pA, qA, 2), inB = InsideEdge(m, gb, pB, qB, 2);
        if (!InsideNetFace(m, fa, inA) || !InsideNetFace(m, gb, inB)) continue;
        // Whole pixels of the net: the outline's pixels are blended with the backdrop.
        if (!WithinNet(m, inA, kWidth) || !WithinNet(m, inB, kWidth)) continue;
        sides.emplace_back(inA, inB);
      }
    }
    std::vector<double> control;
    for (size_t i = 0; i < sides.size(); ++i) {
      const uint8_t* a = PixelAt(doc, sides[i].first);
      const uint8_t* b = PixelAt(doc, sides[i].second);
      if (a == nullptr || b == nullptr) continue;
      ++report.seams;
      const double d = DegreesBetweenColours(a, b);
      report.worst = std::max(report.worst, d);
      if (d > toleranceDegrees) ++report.broken;
      const uint8_t* other = PixelAt(doc, sides[(i * 7 + sides.size() / 2) % sides.size()].second);
      if (other != nullptr) control.push_back(DegreesBetweenColours(a, other));
    }
    if (!control.empty()) {
      std::nth_element(control.begin(), control.begin() + control.size() / 2, control.end());
      report.controlMedian = control[control.size() / 2];
    }
    return report;
  }
};

bool IsCapacityCode(int32_t code) {
  switch (code) {
    case kMeshNetFacesFull: case kMeshFacesFull: case kMeshRenderPointsFull: case kMeshVerticesFull:
    case kMeshNetPointsFull: case kMeshTrianglesFull: case kMeshGroupOutOfRange:
      return true;
    default:
      return false;
  }
}

}  // namespace

// One output per generator (and the largest geodesic): every face placed,
// the tables not outgrown, and continuous seams.
TEST_F(GeneratedNetRender, EveryGeneratorRendersWithContinuousSeams) {
  struct Case {
    int32_t output;
    const char* name;
    int32_t minSeams;  // seams long and wide enough to measure
    double degrees;    // pixels two pixels either side of a seam show directions this close
  };
  const Case cases[] = {
      // The rind's strip meets its fans along the spiral without shared
      // edges: nothing to measure, but it renders.
      {70, "rind, 2 lobes", 0, 8},
      {174, "thirtysphere", 40, 8},
      {169, "tattoo, 3 lobes", 20, 8},
      {170, "tattoo, 5 lobes", 20, 8},
      {175, "devtet", 40, 8},
      {176, "conictet", 20, 8},
      {177, "geodesic tetrahedron 2", 4, 8},
      {194, "geodesic dodecahedron 5", 400, 8},
      {198, "geodesic icosahedron 5", 200, 8},
      {201, "sphericon 4", 40, 8},
      {246, "sphericon 11, twist 5", 100, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShutdownTestHost(&host);
    host = TestHost();
    const SeamReport r = Measure(c.output, c.degrees);
    EXPECT_GT(r.faces, 0);
    EXPECT_EQ(r.faceless, 0);
    EXPECT_FALSE(IsCapacityCode(r.errorCode)) << "net error code " << r.errorCode;
    EXPECT_LT(r.triangles, kMaxMeshTriangles);
    EXPECT_GE(r.seams, c.minSeams);
    EXPECT_EQ(r.broken, 0) << "worst " << r.worst << " degrees of " << r.seams << " seams";
    // The measure tells seams apart: unrelated seam sides differ far more.
    if (r.seams >= 4) {
      EXPECT_GT(r.controlMedian, 3 * c.degrees);
    }
  }
}

// The tattoo's pieces are joined only at points of their seams, so inside
// the outline every pixel shows a point of the sphere next to its
// neighbours': the cells blend their corners as equirectangular positions,
// and a corner at longitude 0 or 1 or at a pole must not send a cell's
// pixels the long way round. Neighbouring pixels at least a pixel inside the
// net differ by a few degrees at most (the strip is narrow, so about two
// degrees a pixel where it turns fastest).
TEST_F(GeneratedNetRender, TattooPiecesRenderSmoothlyInside) {
  for (const int32_t output : {169, 170}) {
    SCOPED_TRACE(output);
    ShutdownTestHost(&host);
    host = TestHost();
    ASSERT_EQ(Render(output), kNoErr);
    const PolyMesh* m = OutputMesh(output);
    ASSERT_NE(m, nullptr);
    // The pixels whose centres lie in one of the net's face triangles.
    std::vector<uint8_t> inside(size_t(kWidth) * kHeight, 0);
    for (int32_t t = 0; t < m->renderTriangleCount; ++t) {
      if (m->renderTriangles[t].extraTriangle) continue;
      float xmin = 1e9f, xmax = -1e9f, ymin = 1e9f, ymax = -1e9f;
      for (const int32_t p : m->renderTriangles[t].points) {
        xmin = std::min(xmin, m->renderPoints[p].x);
        xmax = std::max(xmax, m->renderPoints[p].x);
        ymin = std::min(ymin, m->renderPoints[p].y);
        ymax = std::max(ymax, m->renderPoints[p].y);
      }
      const int32_t x0 = std::max(0, int32_t(xmin * kWidth) - 1), x1 = std::min(kWidth - 1, int32_t(xmax * kWidth) + 1);
      const int32_t y0 = std::max(0, int32_t(ymin * kWidth) - 1), y1 = std::min(kHeight - 1, int32_t(ymax * kWidth) + 1);
      for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = x0; x <= x1; ++x) {
          float b0, b1, b2;
          if (NetTriangleBarycentric(t, (x + 0.5f) / kWidth, (y + 0.5f) / kWidth, &b0, &b1, &b2, m)) {
            inside[size_t(y) * kWidth + x] = 1;
          }
        }
      }
    }
    // Whole pixels: the pixel and its eight neighbours inside.
    auto whole = [&](int32_t x, int32_t y) {
      if (x < 1 || y < 1 || x + 1 >= kWidth || y + 1 >= kHeight) return false;
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          if (!inside[size_t(y + dy) * kWidth + (x + dx)]) return false;
        }
      }
      return true;
    };
    int32_t pairs = 0, rough = 0;
    double worst = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        if (!whole(x, y)) continue;
        const uint8_t* a = DocumentPixelAddress(doc, x, y);
        for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
          if (!whole(x + dx, y + dy)) continue;
          const double d = DegreesBetweenColours(a, DocumentPixelAddress(doc, x + dx, y + dy));
          ++pairs;
          worst = std::max(worst, d);
          if (d > 3) ++rough;
        }
      }
    }
    EXPECT_GT(pairs, 40000);
    EXPECT_EQ(rough, 0) << "worst " << worst << " degrees between neighbouring pixels";
  }
}
