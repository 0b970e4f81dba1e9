// Tabs, render triangles and the per-pixel maps of a built net.
#include <gtest/gtest.h>

#include <random>

#include "nets/mesh_triangles.h"
#include "nets/net_build.h"
#include "nets/net_layout.h"
#include "tests/nets/net_fixtures.h"
#include "tests/nets_geometry/net_oracle.h"

namespace {

struct BuiltNet {
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  PolyMesh* mesh = owned.get();
  BuiltNet(int32_t output, float tabWidth) {
    std::memset(mesh, 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh);
    BuildNetForOutput(output, mesh, 0.5f, tabWidth, kFitToBox, 0, kBuildNet, nullptr, true);
  }
};

// Every net edge without a net neighbour is one side of a cut solid edge:
// exactly one of its two sides carries a tab, and no inner edge does.
::testing::AssertionResult OneTabPerCutEdge(const PolyMesh* mesh) {
  for (int32_t f = 0; f < mesh->netFaceCount; ++f) {
    for (int32_t k = 0; k < NetCornerCount(mesh, f); ++k) {
      const MeshFace& face = mesh->faces[f];
      if (face.netNeighbour[k] >= 0) {
        if (face.tabFlag[k]) return ::testing::AssertionFailure() << "inner edge " << f << "/" << k << " has a tab";
        continue;
      }
      int32_t p, e;
      FacePieceAndEdge(f, k, &p, &e, mesh);
      const int32_t t = mesh->faces[p].neighbour[e];
      int32_t g, c;
      if (!NetFaceOfPiece(t, PrevCorner(mesh, t, mesh->faces[p].neighbourEdge[e]), &g, &c, mesh)) {
        return ::testing::AssertionFailure() << "no other side for " << f << "/" << k;
      }
      if (mesh->faces[g].netNeighbour[c] >= 0) return ::testing::AssertionFailure() << "other side is inner";
      if (face.tabFlag[k] + mesh->faces[g].tabFlag[c] != 1) {
        return ::testing::AssertionFailure() << "cut edge " << f << "/" << k << " with " << g << "/" << c << " has "
                                             << face.tabFlag[k] + mesh->faces[g].tabFlag[c] << " tabs";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

void SetFace(PolyMesh* mesh, int32_t f, std::vector<int32_t> points) {
  mesh->faces[f].netPointCount = int32_t(points.size());
  for (size_t k = 0; k < points.size(); ++k) mesh->faces[f].netPoint[k] = points[k];
}

// A net face of the given corners, with render points of the same index.
void OneFace(MeshHolder* h, const std::vector<std::array<double, 2>>& corners) {
  std::vector<int32_t> points;
  for (const auto& c : corners) {
    const int32_t p = h->NetPoint(c[0], c[1]);
    h->mesh->renderPoints[p] = RenderPoint{float(c[0]), float(c[1]), 0, 0, 0};
    points.push_back(p);
  }
  SetFace(h->mesh, 0, points);
  h->mesh->faces[0].oppositeNetPoint = -1;
  h->mesh->netFaceCount = h->mesh->faceCount = 1;
}

double TriangleArea(const PolyMesh* mesh, int32_t t) {
  const RenderTriangle& tri = mesh->renderTriangles[t];
  const RenderPoint& a = mesh->renderPoints[tri.points[0]];
  const RenderPoint& b = mesh->renderPoints[tri.points[1]];
  const RenderPoint& c = mesh->renderPoints[tri.points[2]];
  return 0.5 * ((double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x));
}

}  // namespace

TEST(Tabs, OneTabPerCutEdgeOnTheOutsideOfThePiece) {
  for (int32_t output : {6, 7}) {  // tetrahedron, cube
    BuiltNet net(output, 0.05f);
    PolyMesh* mesh = net.mesh;
    ASSERT_GT(mesh->netFaceCount, 0) << output;
    EXPECT_TRUE(OneTabPerCutEdge(mesh)) << output;
    // Tabs lie outside every face.
    int32_t tabs = 0;
    for (int32_t t = 0; t < mesh->renderTriangleCount; ++t) {
      const RenderTriangle& tri = mesh->renderTriangles[t];
      if (!tri.extraTriangle) continue;
      ++tabs;
      double cx = 0, cy = 0;
      for (int32_t p : tri.points) {
        cx += mesh->renderPoints[p].x / 3.0;
        cy += mesh->renderPoints[p].y / 3.0;
      }
      for (int32_t f = 0; f < mesh->netFaceCount; ++f) {
        EXPECT_FALSE(bg::within(OraclePoint(cx, cy), NetFacePolygon(mesh, f, true))) << output << " tab " << t;
      }
    }
    // Each tab is two triangles; a tetrahedron net has 3 cut edges, a cube 7.
    EXPECT_EQ(tabs, output == 6 ? 6 : 14) << output;
  }
}

TEST(Tabs, WithoutTabWidthNoTabsAreAdded) {
  BuiltNet net(7, 0.0f);
  for (int32_t t = 0; t < net.mesh->renderTriangleCount; ++t) EXPECT_EQ(net.mesh->renderTriangles[t].extraTriangle, 0);
  EXPECT_EQ(net.mesh->renderTriangleCount, 12);  // two per square
}

TEST(Tabs, TheWalkCoversAnOutlineOfWellOverAThousandEdges) {
  // A strip of 750 unit squares: one outline of 1502 edges.
  MeshHolder h;
  constexpr int32_t kSquares = 750;
  for (int32_t i = 0; i < kSquares; ++i) {
    SetFace(h.mesh, i, {h.NetPoint(i, 0), h.NetPoint(i + 1, 0), h.NetPoint(i + 1, 1), h.NetPoint(i, 1)});
  }
  h.mesh->netFaceCount = h.mesh->faceCount = kSquares;
  BuildNetAdjacency(h.mesh, kSquares);
  EXPECT_TRUE(TabChain(h.mesh, 1, true));
  EXPECT_EQ(h.mesh->errorCode, kMeshNoError);
  int32_t visited = 0, tabs = 0;
  for (int32_t f = 0; f < kSquares; ++f) {
    for (int32_t k = 0; k < 4; ++k) {
      visited += h.mesh->faces[f].outlineVisited[k];
      tabs += h.mesh->faces[f].tabFlag[k];
    }
  }
  EXPECT_EQ(visited, 2 * kSquares + 2);
  EXPECT_EQ(tabs, kSquares + 1);
  EXPECT_FALSE(TabChain(h.mesh, 2, true));  // nothing left to walk
}

TEST(Tabs, AnOutlineThatCannotCloseIsAnErrorNotASilentCut) {
  MeshHolder h;
  SetFace(h.mesh, 0, {h.NetPoint(0, 0), h.NetPoint(1, 0), h.NetPoint(1, 1), h.NetPoint(0, 1)});
  h.mesh->netFaceCount = h.mesh->faceCount = 1;
  // A neighbour slot naming an edge the neighbour does not have.
  h.mesh->faces[0].netNeighbour[1] = 0;
  h.mesh->faces[0].netNeighbourEdge[1] = 7;
  EXPECT_TRUE(TabChain(h.mesh, 1, false));
  EXPECT_EQ(h.mesh->errorCode, kMeshOutlineOpen);
}

TEST(RenderTriangles, EarClippingCoversTheFaceExactly) {
  struct Case {
    const char* what;
    std::vector<std::array<double, 2>> corners;
    int32_t triangles;
    double area;
  };
  const Case cases[] = {
      {"square", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 2, 1.0},
      {"pentagon", {{0, 0}, {2, 0}, {2.5, 1}, {1, 2}, {-0.5, 1}}, 3, 4.0},
      {"L shape (one reflex corner)", {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, 4, 3.0},
      {"reflex corner first", {{1, 1}, {1, 2}, {0, 2}, {0, 0}, {2, 0}, {2, 1}}, 4, 3.0},
      {"arrow", {{0, 0}, {2, 1}, {4, 0}, {2, 3}}, 2, 4.0},
      {"clockwise square", {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, 2, -1.0},
      {"collinear corner", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {0, 1}}, 3, 2.0},
  };
  for (const Case& c : cases) {
    MeshHolder h;
    OneFace(&h, c.corners);
    TriangulateNetFace(0, h.mesh);
    EXPECT_EQ(h.mesh->renderTriangleCount, c.triangles) << c.what;
    double area = 0;
    for (int32_t t = 0; t < h.mesh->renderTriangleCount; ++t) {
      const double a = TriangleArea(h.mesh, t);
      EXPECT_GT(a * c.area, 0) << c.what << ": triangle " << t << " turns the wrong way or is flat";
      area += a;
    }
    EXPECT_NEAR(area, c.area, 1e-6) << c.what;
  }
}

TEST(RenderTriangles, DegenerateLoopsEndWithoutTriangles) {
  MeshHolder h;
  OneFace(&h, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
  TriangulateNetFace(0, h.mesh);
  EXPECT_EQ(h.mesh->renderTriangleCount, 0);
}

TEST(RenderTriangles, CornerTrianglesOfA200By100Box) {
  MeshHolder h;
  h.mesh->renderPoints[0] = RenderPoint{0, 0, 0, 0, 0};
  h.mesh->renderPoints[1] = RenderPoint{200, 100, 0, 0, 0};
  h.mesh->netPointUsed[0] = h.mesh->netPointUsed[1] = 1;
  h.mesh->renderPointCount = 2;
  AddCornerTriangles(h.mesh);
  ASSERT_EQ(h.mesh->renderTriangleCount, 4);
  for (int32_t t = 0; t < 4; ++t) {
    const RenderTriangle& tri = h.mesh->renderTriangles[t];
    EXPECT_EQ(tri.extraTriangle, 1);
    EXPECT_EQ(tri.netFace, -1);
    EXPECT_NEAR(std::fabs(TriangleArea(h.mesh, t)), 6.25 * 6.25 / 2, 1e-4);
  }
  EXPECT_EQ(h.mesh->renderPoints[3].x, 6.25f);
}

TEST(RenderTriangles, BarycentricRoundTripAndSharedEdges) {
  MeshHolder h;
  OneFace(&h, {{0.1, 0.2}, {0.9, 0.3}, {0.4, 0.8}});
  TriangulateNetFace(0, h.mesh);
  ASSERT_EQ(h.mesh->renderTriangleCount, 1);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0, 1);
  const RenderPoint* p = h.mesh->renderPoints;
  for (int32_t i = 0; i < 200; ++i) {
    double w0 = unit(random), w1 = unit(random);
    if (w0 + w1 > 1) w0 = 1 - w0, w1 = 1 - w1;
    const double w2 = 1 - w0 - w1;
    const float x = float(w0 * p[0].x + w1 * p[1].x + w2 * p[2].x);
    const float y = float(w0 * p[0].y + w1 * p[1].y + w2 * p[2].y);
    float b0, b1, b2;
    ASSERT_TRUE(NetTriangleBarycentric(0, x, y, &b0, &b1, &b2, h.mesh));
    EXPECT_NEAR(b0, w0, 1e-5);
    EXPECT_NEAR(b1, w1, 1e-5);
    EXPECT_NEAR(b2, w2, 1e-5);
  }
  float b0, b1, b2;
  EXPECT_TRUE(NetTriangleBarycentric(0, 0.5f, 0.25f, &b0, &b1, &b2, h.mesh));  // on the edge p0-p1
  EXPECT_FALSE(NetTriangleBarycentric(0, 0.5f, 0.2f, &b0, &b1, &b2, h.mesh));
}

TEST(QuadMaps, InverseBilinearRoundTripsIncludingTheLinearCase) {
  struct Quad {
    const char* what;
    double p0[2], p1[2], p2[2], o[2];  // the triangle and its opposite point
  };
  const Quad quads[] = {
      {"general", {0, 0}, {2, 0.3}, {2.4, 1.9}, {-0.2, 1.5}},
      {"square (k1 = 0 both ways)", {0, 0}, {1, 0}, {1, 1}, {0, 1}},
      {"parallelogram (k1 = 0)", {0, 0}, {2, 0}, {2.5, 1}, {0.5, 1}},
      {"trapezoid", {0, 0}, {3, 0}, {2, 1}, {1, 1}},
      {"turned kite", {0, 0}, {1, -1}, {2.5, 0.2}, {1, 1}},
  };
  for (const Quad& q : quads) {
    double k[6];
    QuadMapCoefficients(q.p0, q.p1, q.o, q.p2, &k[0], &k[1], &k[2]);
    QuadMapCoefficients(q.p1, q.p2, q.p0, q.o, &k[3], &k[4], &k[5]);
    for (double u = 0; u <= 1.0001; u += 0.125) {
      for (double v = 0; v <= 1.0001; v += 0.125) {
        const double P[2] = {q.p0[0] + (q.p1[0] - q.p0[0]) * u, q.p0[1] + (q.p1[1] - q.p0[1]) * u};
        const double Q[2] = {q.o[0] + (q.p2[0] - q.o[0]) * u, q.o[1] + (q.p2[1] - q.o[1]) * u};
        const double point[2] = {P[0] + (Q[0] - P[0]) * v, P[1] + (Q[1] - P[1]) * v};
        EXPECT_NEAR(InverseBilinearParameter(q.p0, q.p1, q.o, q.p2, point, k[0], k[1], k[2]), u, 1e-9)
            << q.what << " u " << u << " v " << v;
        EXPECT_NEAR(InverseBilinearParameter(q.p1, q.p2, q.p0, q.o, point, k[3], k[4], k[5]), v, 1e-9)
            << q.what << " u " << u << " v " << v;
      }
    }
  }
}

TEST(QuadMaps, AFaceWithoutAnOppositePointMapsToTheXAxis) {
  MeshHolder h;
  OneFace(&h, {{0, 0}, {1, 0}, {0, 1}});
  TriangulateNetFace(0, h.mesh);
  Vec3f d{0, 0, 0};
  QuadFaceMap(0, 0.2f, 0.2f, &d, h.mesh);
  EXPECT_EQ(d.x, 1.0f);
  EXPECT_EQ(d.y, 0.0f);
  EXPECT_EQ(d.z, 0.0f);
}
