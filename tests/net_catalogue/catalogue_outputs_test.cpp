// The outputs drawn from the catalogue's nets of solids, built the way the
// mapping context builds them and rendered through the test host: every face
// paired, congruent and apart from the others, tabs outside the net, and the
// picture continuous across every fold and every cut.
#include <gtest/gtest.h>

#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <cmath>
#include <cstring>
#include <memory>

#include "geometry/fast_math.h"
#include "nets/net_build.h"
#include "nets/net_faces.h"
#include "nets/net_layout.h"
#include "tests/nets_geometry/net_oracle.h"
#include "tests/render/render_fixture.h"

namespace {

struct OutputCase {
  int32_t output;
  int32_t faces;
};

// Output -> faces of its net (net 70 for output 168 holds net 9 nested).
const OutputCase kOutputs[] = {
    {7, 6},   {8, 8},    {9, 12},   {10, 20},  {25, 14},  {26, 24},  {27, 24},  {28, 26},  {29, 30},  {30, 32},
    {31, 32}, {32, 38},  {33, 60},  {34, 62},  {47, 20},  {172, 6},  {173, 6},  {156, 20}, {157, 20}, {158, 20},
    {162, 8}, {163, 20}, {168, 120},
};

std::unique_ptr<PolyMesh> Built(int32_t output, float aspect, float tabWidth) {
  auto mesh = std::make_unique<PolyMesh>();
  std::memset(mesh.get(), 0, sizeof(PolyMesh));
  ResetPolyMesh(mesh.get());
  BuildNetForOutput(output, mesh.get(), aspect, tabWidth, kFitToBox, 0, kBuildNet, nullptr, true);
  return mesh;
}

class CatalogueOutputs : public ::testing::TestWithParam<OutputCase> {};

TEST_P(CatalogueOutputs, BuildPairedCongruentAndApartWithTabsOutside) {
  const OutputCase& c = GetParam();
  auto mesh = Built(c.output, 0.5f, 0.05f);
  const PolyMesh* m = mesh.get();
  EXPECT_EQ(m->errorCode, kMeshNoError);
  EXPECT_EQ(m->matchFailed, 0);
  EXPECT_EQ(m->netFaceCount, c.faces);
  EXPECT_GT(m->renderTriangleCount, 0);
  EXPECT_TRUE(NoFacesOverlap(m, true));
  if (c.output == 168) return;  // directions from the flat map; tabs are the nested net's
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    ASSERT_GE(m->faces[f].piece, 0) << "net face " << f;
    for (int32_t k = 0; k < m->faces[f].netPointCount; ++k)
      EXPECT_GE(m->netPointVertex[m->faces[f].netPoint[k]], 0);
  }
  EXPECT_TRUE(FacesCongruent(m));
  // Tabs (outputs that draw them) lie outside the faces they hang on.
  int32_t tabs = 0;
  for (int32_t t = 0; t < m->renderTriangleCount; ++t) {
    const RenderTriangle& tri = m->renderTriangles[t];
    if (!tri.extraTriangle || tri.netFace < 0) continue;
    ++tabs;
    OraclePolygon tab;
    for (int32_t k = 0; k <= 3; ++k) {
      const RenderPoint& p = m->renderPoints[tri.points[k % 3]];
      bg::append(tab.outer(), OraclePoint(p.x, p.y));
    }
    bg::correct(tab);
    // On the far side of its edge from its own face. (In a narrow notch of
    // the outline a tab may reach over a neighbouring face, as paper tabs do.)
    const OraclePolygon face = NetFacePolygon(m, tri.netFace, true);
    EXPECT_LT(IntersectionArea(tab, face), 1e-6 * bg::area(face)) << "tab triangle " << t << " on its face";
  }
  const bool drawsTabs = c.output < 156 || c.output > 173;
  if (drawsTabs) {
    EXPECT_GT(tabs, 0);
  } else {
    EXPECT_EQ(tabs, 0);
  }
}

// The direction of a net point inside face f, from the face triangle that
// holds it best (points on an edge count).
Vec3 DirectionInFace(const PolyMesh* mesh, int32_t f, double x, double y) {
  int32_t best = -1;
  double bestLow = -1e9, w[3] = {0, 0, 0};
  for (int32_t t = 0; t < mesh->renderTriangleCount; ++t) {
    const RenderTriangle& tri = mesh->renderTriangles[t];
    if (tri.extraTriangle || tri.netFace != f) continue;
    const RenderPoint& p0 = mesh->renderPoints[tri.points[0]];
    const RenderPoint& p1 = mesh->renderPoints[tri.points[1]];
    const RenderPoint& p2 = mesh->renderPoints[tri.points[2]];
    const double area = (double(p1.x) - p0.x) * (double(p2.y) - p0.y) - (double(p1.y) - p0.y) * (double(p2.x) - p0.x);
    const double b0 = ((p1.x - x) * (p2.y - y) - (p2.x - x) * (p1.y - y)) / area;
    const double b1 = ((p2.x - x) * (p0.y - y) - (p0.x - x) * (p2.y - y)) / area;
    const double b2 = 1 - b0 - b1;
    const double low = std::min(b0, std::min(b1, b2));
    if (low > bestLow) {
      bestLow = low;
      best = t;
      w[0] = b0;
      w[1] = b1;
      w[2] = b2;
    }
  }
  Vec3 d{0, 0, 0};
  if (best < 0) return d;
  InterpolateFaceCorners(best, float(w[0]), float(w[1]), float(w[2]), &d, mesh);
  NormalizeVec3d(&d);
  return d;
}

double AngleBetween(const Vec3& a, const Vec3& b) {
  const double c = a.x * b.x + a.y * b.y + a.z * b.z;
  const Vec3 x{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  return std::atan2(std::sqrt(x.x * x.x + x.y * x.y + x.z * x.z), c);
}

// A point on a solid edge maps to one direction from the net faces on both
// sides, whether they meet at a fold or lie apart at a cut.
TEST_P(CatalogueOutputs, EveryEdgeMapsToOneDirectionFromBothSides) {
  const OutputCase& c = GetParam();
  if (c.output == 168) return;
  auto owned = Built(c.output, 0.5f, 0.05f);
  PolyMesh* mesh = owned.get();
  int32_t folds = 0, cuts = 0;
  for (int32_t f = 0; f < mesh->netFaceCount; ++f) {
    const int32_t n = mesh->faces[f].netPointCount;
    for (int32_t k = 0; k < n; ++k) {
      int32_t p, e;
      FacePieceAndEdge(f, k, &p, &e, mesh);
      const int32_t t = mesh->faces[p].neighbour[e];
      int32_t g, gc;
      ASSERT_TRUE(NetFaceOfPiece(t, PrevCorner(mesh, t, mesh->faces[p].neighbourEdge[e]), &g, &gc, mesh));
      (mesh->faces[f].netNeighbour[k] >= 0 ? folds : cuts)++;
      const RenderPoint& P = mesh->renderPoints[mesh->faces[f].netPoint[k]];
      const RenderPoint& Q = mesh->renderPoints[mesh->faces[f].netPoint[(k + 1) % n]];
      const int32_t m = mesh->faces[g].netPointCount;
      const RenderPoint& G0 = mesh->renderPoints[mesh->faces[g].netPoint[gc]];
      const RenderPoint& G1 = mesh->renderPoints[mesh->faces[g].netPoint[(gc + 1) % m]];
      for (double s = 0; s <= 1.0001; s += 0.25) {
        const Vec3 a = DirectionInFace(mesh, f, P.x + s * (Q.x - P.x), P.y + s * (Q.y - P.y));
        const Vec3 b = DirectionInFace(mesh, g, G1.x + s * (G0.x - G1.x), G1.y + s * (G0.y - G1.y));
        EXPECT_LT(AngleBetween(a, b), 1e-4) << "face " << f << " edge " << k << " at " << s;
      }
    }
  }
  EXPECT_EQ(folds, 2 * (c.faces - 1));  // one piece: a tree of folds
  EXPECT_GT(cuts, 0);
}

INSTANTIATE_TEST_SUITE_P(All, CatalogueOutputs, ::testing::ValuesIn(kOutputs),
                         [](const ::testing::TestParamInfo<OutputCase>& info) {
                           return "output" + std::to_string(info.param.output);
                         });

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// Colours that vary smoothly over the whole sphere.
TestDocument SmoothSphereDocument(int32_t width, int32_t height) {
  TestDocument doc = MakeTestDocument(width, height, 3, 8, false);
  const double full = DocumentFullScale(doc);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width, v = (y + 0.5) / height;
      const double ring = std::sin(kPi * v);
      SetDocumentSample(doc, x, y, 0, std::round((0.5 + 0.45 * std::sin(kTwoPi * u) * ring) * 255) / 255 * full);
      SetDocumentSample(doc, x, y, 1, std::round((0.5 + 0.45 * std::cos(kTwoPi * u) * ring) * 255) / 255 * full);
      SetDocumentSample(doc, x, y, 2, std::round((0.05 + 0.9 * v) * 255) / 255 * full);
    }
  }
  return doc;
}

double ColourDistance(const TestDocument& doc, double x, double y, double x2, double y2) {
  const double full = DocumentFullScale(doc);
  double sum = 0;
  for (int16_t c = 0; c < 3; ++c) {
    const double a = GetDocumentSample(doc, int32_t(std::lround(x)), int32_t(std::lround(y)), c);
    const double b = GetDocumentSample(doc, int32_t(std::lround(x2)), int32_t(std::lround(y2)), c);
    sum += std::fabs(a - b) / full * 255;
  }
  return sum;
}

// Rendered through the test host: across each fold the picture changes no
// more than it does within the faces beside it. (Outputs 156-163 and 168 warp
// each face through a lookup table of their own and are left out here.)
TEST(CatalogueRender, NetsOfSolidsShowNoJumpAcrossTheirFolds) {
  constexpr int32_t kWidth = 600, kHeight = 300;
  for (int32_t output : {7, 8, 9, 10, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 47, 172, 173}) {
    TestDocument doc = SmoothSphereDocument(kWidth, kHeight);
    RenderRun run;
    ASSERT_EQ(run.Render(&doc, [output](ParameterBlock* b) {
      b->outputProjection = output;
      b->tabs = 0;
    }), kNoErr) << output;
    auto mesh = Built(output, float(kHeight) / kWidth, 0.0f);
    int32_t folds = 0, checked = 0;
    for (int32_t f = 0; f < mesh->netFaceCount; ++f) {
      const int32_t n = mesh->faces[f].netPointCount;
      for (int32_t k = 0; k < n; ++k) {
        if (mesh->faces[f].netNeighbour[k] < f) continue;
        ++folds;
        const RenderPoint& P = mesh->renderPoints[mesh->faces[f].netPoint[k]];
        const RenderPoint& Q = mesh->renderPoints[mesh->faces[f].netPoint[(k + 1) % n]];
        const double px = P.x * kWidth, py = P.y * kWidth, qx = Q.x * kWidth, qy = Q.y * kWidth;
        const double length = std::hypot(qx - px, qy - py);
        if (length < 14) continue;  // too short a fold for the steps below
        const double nx = -(qy - py) / length, ny = (qx - px) / length;
        for (double s : {0.35, 0.5, 0.65}) {
          const double x = px + s * (qx - px), y = py + s * (qy - py);
          const double across = ColourDistance(doc, x - 2 * nx, y - 2 * ny, x + 2 * nx, y + 2 * ny);
          const double sideA = ColourDistance(doc, x + 2 * nx, y + 2 * ny, x + 6 * nx, y + 6 * ny);
          const double sideB = ColourDistance(doc, x - 2 * nx, y - 2 * ny, x - 6 * nx, y - 6 * ny);
          EXPECT_LE(across, 1.5 * std::max(sideA, sideB) + 6) << output << " fold " << f << "/" << k << " at " << s;
          ++checked;
        }
      }
    }
    EXPECT_GT(checked, 0) << output;
  }
}

}  // namespace
