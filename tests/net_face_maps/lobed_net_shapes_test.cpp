// The lobed outputs drawn from a net looked up in the square layout: each lobe
// is a copy of the part of the net that its sector reaches, bent by the lobe
// construction. Checked on the output's own mapping (the render's context):
// - neighbouring lobes agree along the line where they meet;
// - inside a lobe the directions run on across every shared edge of the net;
// - the lobes together cover the sphere once: every direction is drawn, and
//   the solid angle they draw adds up to the whole sphere;
// - the picture keeps one handedness throughout, the same as the reference
//   star drawn from the shuriken's net;
// - the shape fills its plane box without being cut by it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "nets/net_pixel.h"
#include "tests/support/direction_panorama.h"
#include "tests/support/net_directions.h"
#include "projection/output_shapes.h"
#include "tests/projection_output/output_test_support.h"

namespace {

constexpr double kPi = std::numbers::pi;

struct Sample {
  bool inside = false;
  Vec3 d{0, 0, 1};
  int32_t lobe = -1;
  int32_t triangle = -1;
};

double Degrees(const Vec3& a, const Vec3& b) { return AngleBetween(a, b) * 180 / kPi; }

Vec3 Minus(const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }

double TripleProduct(const Vec3& a, const Vec3& b, const Vec3& c) {
  return a.x * (b.y * c.z - b.z * c.y) + a.y * (b.z * c.x - b.x * c.z) + a.z * (b.x * c.y - b.y * c.x);
}

// An output's mapping as the render prepares it, read at plane points.
class LobedShape {
 public:
  explicit LobedShape(int32_t output) : rig_(output, 1, 512, 512) {
    BuildRowFaceList(rig_.mesh.get(), 0, -1, 0, rig_.outputFaces.get(), -100, 100, 0);
  }

  const OutputShape& Shape() const { return rig_.context->outputShape; }
  const PlaneBox& Box() const { return rig_.context->planeBox; }
  const PolyMesh& Mesh() const { return *rig_.mesh; }

  Sample At(double x, double y) {
    Vec3 d{0, 0, 1};
    uint8_t outside = 0;
    NetFaceList* list = rig_.outputFaces.get();
    MapShapedOutputPoint(Complex{x, y}, &outside, &d, rig_.context->lookupGrid, rig_.mesh->owner,
                         &rig_.context->outputShape, rig_.mesh.get(), list);
    Sample s;
    s.inside = outside == 0;
    if (!s.inside) return s;
    const double n = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    s.d = Vec3{d.x / n, d.y / n, d.z / n};
    s.lobe = list->shapeLobe;
    s.triangle = list->hitTriangle;
    return s;
  }

  // Two render triangles that are one or share an edge of the net.
  bool Joined(int32_t a, int32_t b) const {
    if (a == b) return true;
    const RenderTriangle& ta = rig_.mesh->renderTriangles[a];
    const RenderTriangle& tb = rig_.mesh->renderTriangles[b];
    int32_t shared = 0;
    for (int32_t i : ta.points) {
      for (int32_t j : tb.points) shared += i == j;
    }
    return shared >= 2;
  }

 private:
  OutputRig rig_;
};

// The plane point at (i, j) of an n x n grid over the box.
struct Grid {
  double x0, y0, step;
  int32_t n;
  double X(int32_t i) const { return x0 + (i + 0.5) * step; }
  double Y(int32_t j) const { return y0 + (j + 0.5) * step; }
};

Grid GridOver(const PlaneBox& box, int32_t n) {
  const double side = std::max(box.xmax - box.xmin, box.ymax - box.ymin);
  return Grid{(box.xmin + box.xmax - side) / 2, (box.ymin + box.ymax - side) / 2, side / n, n};
}

struct LobedCase {
  int32_t output;
  const char* name;
};

const LobedCase kCases[] = {
    {161, "Isle of Man"},
    {247, "quatretat"},
    {156, "shark 3"},
    {157, "shark 4"},
    {158, "sunburst"},
    {163, "starburst"},
};

// Where two lobes meet (the ray half way between their middles), the
// directions on either side agree.
TEST(LobedNetShapes, NeighbouringLobesMeetSeamlessly) {
  for (const LobedCase& c : kCases) {
    SCOPED_TRACE(c.name);
    LobedShape shape(c.output);
    const OutputShape& s = shape.Shape();
    const double pre = std::atan2(s.preRotation.im, s.preRotation.re);
    const double reach = std::hypot(std::max(-shape.Box().xmin, shape.Box().xmax),
                                    std::max(-shape.Box().ymin, shape.Box().ymax));
    const double eps = 1e-7;
    for (int32_t border = 0; border < s.lobeCount; ++border) {
      // lobe k covers the turns about -2 pi k / c of the pre-rotated point
      const double between = -kPi / s.lobeCount - 2 * kPi * border / s.lobeCount - pre;
      int32_t met = 0;
      double worst = 0;
      for (int32_t i = 1; i < 400; ++i) {
        const double r = reach * i / 400;
        const Sample a = shape.At(r * std::cos(between + eps), r * std::sin(between + eps));
        const Sample b = shape.At(r * std::cos(between - eps), r * std::sin(between - eps));
        if (!a.inside || !b.inside) continue;
        ++met;
        EXPECT_NE(a.lobe, b.lobe);
        worst = std::max(worst, Degrees(a.d, b.d));
      }
      EXPECT_GE(met, 4) << "the lobes on border " << border << " do not meet";
      EXPECT_LT(worst, 0.25) << "border " << border;
      std::printf("%-12s lobes %d|%d: %d points, worst jump %.4f degrees\n", c.name, border,
                  (border + 1) % s.lobeCount, met, worst);
    }
  }
}

// Inside a lobe every step to a neighbouring point of the same face, or of a
// face across a shared edge, is a small one: no cut of the bending runs
// through a lobe and the net's seams join.
TEST(LobedNetShapes, DirectionsRunOnInsideEachLobe) {
  for (const LobedCase& c : kCases) {
    SCOPED_TRACE(c.name);
    LobedShape shape(c.output);
    const Grid g = GridOver(shape.Box(), 500);
    std::vector<Sample> row(g.n), next(g.n);
    for (int32_t i = 0; i < g.n; ++i) row[i] = shape.At(g.X(i), g.Y(0));
    double worstInFace = 0, worstAcross = 0;
    int32_t across = 0;
    for (int32_t j = 0; j + 1 < g.n; ++j) {
      for (int32_t i = 0; i < g.n; ++i) next[i] = shape.At(g.X(i), g.Y(j + 1));
      for (int32_t i = 0; i < g.n; ++i) {
        const Sample& a = row[i];
        if (!a.inside) continue;
        for (const Sample* b : {i + 1 < g.n ? &row[i + 1] : nullptr, &next[i]}) {
          if (b == nullptr || !b->inside || b->lobe != a.lobe || !shape.Joined(a.triangle, b->triangle)) continue;
          const double jump = Degrees(a.d, b->d);
          if (a.triangle == b->triangle) {
            worstInFace = std::max(worstInFace, jump);
          } else {
            ++across;
            worstAcross = std::max(worstAcross, jump);
          }
        }
      }
      std::swap(row, next);
    }
    EXPECT_GT(across, 0);
    // A step across a shared edge is no longer than the longest step inside
    // one face: the edge is not a seam.
    EXPECT_LE(worstAcross, worstInFace * 1.5 + 0.1);
    EXPECT_LT(worstInFace, 15.0);
    std::printf("%-12s inside the lobes: worst step %.3f degrees inside a face, %.3f across %d shared edges\n",
                c.name, worstInFace, worstAcross, across);
  }
}

// Every direction is drawn, the solid angle of the drawn cells adds up to the
// sphere's, and every cell is drawn with the handedness of the shuriken star.
TEST(LobedNetShapes, LobesCoverTheSphereOnceUnmirrored) {
  // The handedness of a star known to be drawn unmirrored.
  auto handedness = [](LobedShape& shape, double* solidAngle, int32_t* flipped, std::vector<bool>* bins,
                       int32_t n) {
    const Grid g = GridOver(shape.Box(), n);
    int32_t positive = 0, negative = 0;
    *solidAngle = 0;
    std::vector<Sample> row(g.n + 1), next(g.n + 1);
    for (int32_t i = 0; i <= g.n; ++i) row[i] = shape.At(g.X(i), g.Y(0));
    for (int32_t j = 0; j < g.n; ++j) {
      for (int32_t i = 0; i <= g.n; ++i) next[i] = shape.At(g.X(i), g.Y(j + 1));
      for (int32_t i = 0; i < g.n; ++i) {
        const Sample& a = row[i];
        const Sample& b = row[i + 1];
        const Sample& d = next[i];
        const Sample& e = next[i + 1];
        if (!a.inside) continue;
        if (bins != nullptr) {
          const double lon = std::atan2(a.d.x, a.d.z);
          const int32_t band = std::clamp(int32_t((a.d.y + 1) / 2 * 12), 0, 11);
          const int32_t slice = std::clamp(int32_t((lon + kPi) / (2 * kPi) * 24), 0, 23);
          (*bins)[band * 24 + slice] = true;
        }
        if (!b.inside || !d.inside || !e.inside) continue;
        if (b.lobe != a.lobe || d.lobe != a.lobe || e.lobe != a.lobe) continue;
        if (std::max({Degrees(a.d, b.d), Degrees(a.d, d.d), Degrees(a.d, e.d)}) > 10) continue;  // across a cut
        // two triangles of the cell, as spherical areas to first order
        const double t1 = TripleProduct(a.d, Minus(b.d, a.d), Minus(d.d, a.d)) / 2;
        const double t2 = TripleProduct(e.d, Minus(d.d, e.d), Minus(b.d, e.d)) / 2;
        *solidAngle += std::fabs(t1) + std::fabs(t2);
        (t1 > 0 ? positive : negative) += 1;
      }
      std::swap(row, next);
    }
    *flipped = std::min(positive, negative);
    return positive > negative ? 1 : -1;
  };
  LobedShape reference(145);
  double area = 0;
  int32_t flipped = 0;
  const int32_t want = handedness(reference, &area, &flipped, nullptr, 300);
  for (const LobedCase& c : kCases) {
    SCOPED_TRACE(c.name);
    LobedShape shape(c.output);
    std::vector<bool> bins(12 * 24, false);
    const int32_t got = handedness(shape, &area, &flipped, &bins, 900);
    EXPECT_EQ(got, want) << "the picture is mirrored";
    EXPECT_LT(flipped, 20) << "cells drawn mirrored";
    // Cells across the net's cuts and in its most squeezed corners are left
    // out of the sum, so it stays a little under the sphere; a lobe drawn
    // twice would add a whole lobe.
    EXPECT_GT(area / (4 * kPi), 0.92);
    EXPECT_LT(area / (4 * kPi), 1.01);
    const int32_t missing = int32_t(std::count(bins.begin(), bins.end(), false));
    EXPECT_EQ(missing, 0);
    std::printf("%-12s solid angle %.4f of the sphere, %d cells of the other handedness, %d directions missing\n",
                c.name, area / (4 * kPi), flipped, missing);
  }
}

// The shape reaches every side of its plane box and is cut by none.
TEST(LobedNetShapes, ShapeFillsItsBox) {
  for (const LobedCase& c : kCases) {
    SCOPED_TRACE(c.name);
    LobedShape shape(c.output);
    const PlaneBox& box = shape.Box();
    const int32_t n = 600;
    const double w = box.xmax - box.xmin, h = box.ymax - box.ymin;
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    int32_t onEdge = 0;
    for (int32_t j = 0; j < n; ++j) {
      for (int32_t i = 0; i < n; ++i) {
        const double x = box.xmin + (i + 0.5) * w / n, y = box.ymin + (j + 0.5) * h / n;
        if (!shape.At(x, y).inside) continue;
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
        onEdge += i == 0 || j == 0 || i == n - 1 || j == n - 1;
      }
    }
    EXPECT_LT(onEdge, n / 50) << "the box cuts the shape";
    EXPECT_LT(x0 - box.xmin, 0.03 * w);
    EXPECT_LT(box.xmax - x1, 0.03 * w);
    EXPECT_LT(y0 - box.ymin, 0.03 * h);
    EXPECT_LT(box.ymax - y1, 0.03 * h);
  }
}

}  // namespace

// The whole render, with the nets' own face maps (the conformal face tables
// of the icosahedron nets) and the lookup grid, from a panorama whose colour
// is the direction: neighbouring pixels of the shape show neighbouring
// directions wherever the shape lies all about them, and the shape shows
// every octant of the sphere.
TEST(LobedNetShapes, RenderedShapesHaveNoSeam) {
  constexpr int32_t kSide = 640;
  for (const LobedCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TestDocument doc = DirectionPanorama(kSide, kSide);
    TestHost host;
    ASSERT_EQ(RenderOutputOnTestHost(&host, &doc, c.output, [](ParameterBlock*) {}), kNoErr);
    const NeighbourSteps steps = ReadNeighbourSteps(doc, 4.0);
    ShutdownTestHost(&host);
    EXPECT_GT(steps.inside, kSide * kSide / 5);
    // A seam would run over many pixels; the curls' innermost turns may
    // squeeze a step into a pixel or two.
    EXPECT_LE(steps.over, 4);
    for (bool o : steps.octants) EXPECT_TRUE(o);
    std::printf("%-12s rendered: %d pixels, worst step %.2f degrees, %d steps over 4\n", c.name, steps.inside,
                steps.worst, steps.over);
  }
}
