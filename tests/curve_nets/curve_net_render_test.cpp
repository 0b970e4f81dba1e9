// The curve-net outputs through the net build and the per-pixel face maps:
// every face placed, and every seam continuous: the two copies of a cut
// edge, wherever the unfolding laid them, map to the same directions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <utility>
#include <memory>
#include <set>
#include <vector>

#include "nets/net_build.h"
#include "nets/net_layout.h"
#include "nets/net_pixel.h"
#include "nets/poly_mesh.h"
#include "projection/mapping_context.h"

namespace {

struct OutputCase {
  int32_t output;
  int32_t net;
  const char* name;
};
const OutputCase kCurveNetOutputs[] = {
    {248, 151, "twistless rind"},    {253, 152, "daycare"},          {249, 153, "curvy cube"},
    {250, 154, "baseball"},          {254, 155, "short rind"},       {256, 156, "triskelion fat"},
    {257, 157, "triskelion meso"},   {258, 158, "triskelion skinny"}, {259, 159, "triskelion plain"},
    {260, 160, "triskelion straight"}, {262, 162, "Truchet A"},       {261, 163, "(net 163)"},
    {1035, 164, "(net 164)"},
};

struct BuiltNet {
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  std::unique_ptr<NetFaceList> list = std::make_unique<NetFaceList>();
  PolyMesh* mesh = owned.get();
  explicit BuiltNet(int32_t output) {
    std::memset(mesh, 0, sizeof(PolyMesh));
    std::memset(list.get(), 0, sizeof(NetFaceList));
    ResetPolyMesh(mesh);
    BuildNetForOutput(output, mesh, 0.75f, 0.0f, 0, 0.0f, 1, nullptr, true);
  }
  ~BuiltNet() { FreeMeshTables(mesh, nullptr); }
  // The direction the per-pixel face map gives at a net point inside triangle t.
  bool Direction(int32_t t, float x, float y, Vec3f* d) {
    float b0, b1, b2;
    if (!NetTriangleBarycentric(t, x, y, &b0, &b1, &b2, mesh)) return false;
    uint8_t outside = 0;
    MapNetFace(mesh, b0, b1, b2, t, x, y, nullptr, d, &outside, list.get());
    return outside == 0;
  }
};

// The chord between the unit vectors of a and b (acos loses too much near 0
// for directions held in single precision).
double Angle(const Vec3f& a, const Vec3f& b) {
  const double la = std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z);
  const double lb = std::sqrt(double(b.x) * b.x + double(b.y) * b.y + double(b.z) * b.z);
  const double dx = a.x / la - b.x / lb, dy = a.y / la - b.y / lb, dz = a.z / la - b.z / lb;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double Angle(const Vec3& a, const Vec3& b) {
  return Angle(Vec3f{float(a.x), float(a.y), float(a.z)}, Vec3f{float(b.x), float(b.y), float(b.z)});
}

struct TriangleEdge {
  int32_t triangle;
  int32_t corner;  // from corner k to corner k + 1
};

// A key for a corner direction, coarse enough that the same solid vertex
// seen from two net faces gives one key.
std::tuple<long, long, long> DirectionKey(const Vec3& d) {
  return {std::lround(d.x * 1e5), std::lround(d.y * 1e5), std::lround(d.z * 1e5)};
}

TEST(CurveNetOutputs, EveryFacePlacedAndEverySeamContinuous) {
  std::printf("output  net  faces  pieces  triangles  seams  worst seam jump / edge angle\n");
  for (const OutputCase& c : kCurveNetOutputs) {
    BuiltNet built(c.output);
    const PolyMesh* m = built.mesh;
    ASSERT_EQ(m->netNumber, c.net) << c.name;
    EXPECT_EQ(m->errorCode, kMeshNoError) << c.name;
    ASSERT_GT(m->renderTriangleCount, 0) << c.name;
    int32_t unplaced = 0;
    for (int32_t f = 0; f < m->netFaceCount; ++f) unplaced += m->faces[f].piece < 0;
    EXPECT_EQ(unplaced, 0) << c.name;
    if (c.net == 163) {
      // Four passes, one per tetrahedron face; a band-B strip belongs to two
      // of them and is laid in both: 4 x (91 + 3 x 15) net faces.
      EXPECT_EQ(m->maxNetGroup, 4) << c.name;
      EXPECT_EQ(m->netFaceCount, 4 * (91 + 45)) << c.name;
    } else {
      EXPECT_EQ(m->netFaceCount, m->faceCount) << c.name;
    }

    // Edges of the face triangles by the directions of their ends.
    std::map<std::pair<std::tuple<long, long, long>, std::tuple<long, long, long>>, std::vector<TriangleEdge>> edges;
    for (int32_t t = 0; t < m->renderTriangleCount; ++t) {
      const RenderTriangle& tri = m->renderTriangles[t];
      if (tri.extraTriangle || tri.netFace < 0) continue;
      for (int32_t k = 0; k < 3; ++k) {
        auto a = DirectionKey(tri.corners[k]);
        auto b = DirectionKey(tri.corners[(k + 1) % 3]);
        if (b < a) std::swap(a, b);
        edges[{a, b}].push_back({t, k});
      }
    }
    int32_t seams = 0;
    double worst = 0;
    for (const auto& [key, list] : edges) {
      for (size_t i = 0; i < list.size(); ++i) {
        for (size_t j = i + 1; j < list.size(); ++j) {
          const RenderTriangle& t1 = m->renderTriangles[list[i].triangle];
          const RenderTriangle& t2 = m->renderTriangles[list[j].triangle];
          const int32_t k1 = list[i].corner, k2 = list[j].corner;
          const RenderPoint& p1a = m->renderPoints[t1.points[k1]];
          const RenderPoint& p1b = m->renderPoints[t1.points[(k1 + 1) % 3]];
          // The second copy, its ends in the same order of directions.
          const bool same = DirectionKey(t1.corners[k1]) == DirectionKey(t2.corners[k2]);
          const RenderPoint& p2a = m->renderPoints[t2.points[same ? k2 : (k2 + 1) % 3]];
          const RenderPoint& p2b = m->renderPoints[t2.points[same ? (k2 + 1) % 3 : k2]];
          const double apart = std::hypot(p1a.x - p2a.x, p1a.y - p2a.y) + std::hypot(p1b.x - p2b.x, p1b.y - p2b.y);
          if (apart < 1e-6) continue;  // the same net edge: no seam
          ++seams;
          const double edgeAngle = Angle(t1.corners[k1], t1.corners[(k1 + 1) % 3]);
          if (edgeAngle < 1e-6) continue;
          // Points a thousandth of the edge's length inside each copy,
          // across the edge from it.
          auto inside = [&](const RenderTriangle& t, const RenderPoint& a, const RenderPoint& b, double s, float* x,
                            float* y) {
            const RenderPoint& c0 = m->renderPoints[t.points[0]];
            const RenderPoint& c1 = m->renderPoints[t.points[1]];
            const RenderPoint& c2 = m->renderPoints[t.points[2]];
            const double cx = (c0.x + c1.x + c2.x) / 3.0, cy = (c0.y + c1.y + c2.y) / 3.0;
            const double ex = a.x + s * (b.x - a.x), ey = a.y + s * (b.y - a.y);
            double nx = -(b.y - a.y), ny = b.x - a.x;  // a normal of the edge, as long as the edge
            if (nx * (cx - ex) + ny * (cy - ey) < 0) {
              nx = -nx;
              ny = -ny;
            }
            *x = float(ex + 1e-3 * nx);
            *y = float(ey + 1e-3 * ny);
          };
          for (const double s : {0.25, 0.5, 0.75}) {
            float x1, y1, x2, y2;
            inside(t1, p1a, p1b, s, &x1, &y1);
            inside(t2, p2a, p2b, s, &x2, &y2);
            Vec3f d1, d2;
            if (!built.Direction(list[i].triangle, x1, y1, &d1) || !built.Direction(list[j].triangle, x2, y2, &d2)) {
              continue;
            }
            const double r = Angle(d1, d2) / edgeAngle;
            worst = std::fmax(worst, r);
          }
        }
      }
    }
    std::printf("%6d  %3d  %5d  %6d  %9d  %5d  %.3g\n", c.output, c.net, m->faceCount, m->maxNetGroup,
                m->renderTriangleCount, seams, worst);
    EXPECT_GT(seams, 0) << c.name;
    // A continuous seam differs only by the two thousandths each point lies
    // inside its face; a wrong pairing differs by a good part of the edge.
    EXPECT_LT(worst, 0.01) << c.name;
  }
}

// The curved tetrahedra number their regions by the groups of their faces:
// the four faces (band B excepted) are regions 0 to 3, the six pairs of
// band-B strips that meet across an edge are regions 4 to 9.
TEST(CurveNetOutputs, TetrahedronRegionsFromFaceGroups) {
  for (const int32_t output : {261, 1035}) {
    BuiltNet built(output);
    const PolyMesh* m = built.mesh;
    std::set<int32_t> regions;
    for (int32_t t = 0; t < m->renderTriangleCount; ++t) {
      const RenderTriangle& tri = m->renderTriangles[t];
      if (tri.extraTriangle || tri.netFace < 0) continue;
      regions.insert(tri.id);
      const int32_t group = m->faces[m->faces[tri.netFace].piece].group;
      const int32_t band = group % 7;
      if (band == 0 || band % 2 == 1) EXPECT_EQ(tri.id, group / 7) << "group " << group;
    }
    EXPECT_EQ(regions, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9})) << output;
  }
}

// The whole output box through the per-pixel lookup: the net covers a good
// part of it, and every point it covers maps to a unit direction.
TEST(CurveNetOutputs, OutputPointsMapToDirections) {
  for (const OutputCase& c : kCurveNetOutputs) {
    BuiltNet built(c.output);
    PolyMesh* m = built.mesh;
    int32_t covered = 0, total = 0;
    const int32_t n = 60;
    for (int32_t row = 0; row < n; ++row) {
      const float y = m->layoutMinY + (m->layoutMaxY - m->layoutMinY) * (row + 0.5f) / n;
      BuildRowFaceList(m, y, -1, 0.01f, built.list.get(), m->layoutMinX, m->layoutMaxX, 0);
      for (int32_t col = 0; col < n; ++col) {
        const float x = m->layoutMinX + (m->layoutMaxX - m->layoutMinX) * (col + 0.5f) / n;
        Vec3f d;
        uint8_t outside = 1;
        MapNetPoint(&d, m, nullptr, x, y, &outside, built.list.get());
        ++total;
        if (outside) continue;
        ++covered;
        EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 1.0, 1e-4) << c.name;
      }
    }
    EXPECT_GT(covered, total / 10) << c.name;
  }
}

}  // namespace
