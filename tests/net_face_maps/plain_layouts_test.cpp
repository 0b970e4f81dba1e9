// The flat layouts that blend their corner directions ("square", "tetra
// tile", "box"), built as their outputs build them: counts and options, the
// solid each one folds into (every solid edge met from both sides, the same
// directions along both), the front and the orientation, and for the tetra
// tile the seamless wrap from one tile into the next. The same measure for
// the dodo's net, and "72 views", which looks at the dodo's faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "geometry/fast_math.h"
#include "host/parameter_block.h"
#include "host/plugin_main.h"
#include "nets/catalogue_plain_layouts.h"
#include "nets/net_build.h"
#include "nets/net_layout.h"
#include "nets/poly_mesh.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "tests/support/direction_panorama.h"
#include "tests/support/net_directions.h"

namespace {

constexpr double kDegrees = 57.29577951308232;

struct MeshHolder {
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  PolyMesh* mesh = owned.get();
  MeshHolder() {
    std::memset(mesh, 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh);
  }
  ~MeshHolder() { FreeMeshTables(mesh, nullptr); }
};

void BuildOutput(int32_t output, PolyMesh* mesh) {
  // The mapping context's call: the caller's mode 1 and fit mode 0; the
  // descriptors of these outputs put their own mode in its place.
  BuildNetForOutput(output, mesh, 0.5f, 0.0f, 0, 0.0f, 1, nullptr, true);
}

struct LayoutCase {
  int32_t output;
  const char* name;
  int32_t net;
  int32_t faces;
  int32_t netPoints;
  int32_t cornerCount;     // corners of each face
  int32_t faceTriangles;   // render triangles cut from the faces
  int32_t extraTriangles;  // corner triangles of the build
  int32_t sheets;          // how often the layout covers its solid
  bool closed;             // the layout holds every face of its solid
  uint8_t turnHalf, regionFromTriangle;
};

const LayoutCase kCases[] = {
    {21, "square", 28, 8, 9, 3, 8, 4, 1, true, 0, 0},
    {64, "tetra tile", 24, 8, 9, 3, 8, 0, 2, true, 1, 1},
    {86, "box", 29, 3, 7, 4, 6, 0, 1, false, 0, 0},
};

TEST(PlainLayouts, BuildWithTheirCountsAndOptions) {
  for (const LayoutCase& c : kCases) {
    SCOPED_TRACE(c.name);
    MeshHolder h;
    BuildOutput(c.output, h.mesh);
    PolyMesh* m = h.mesh;
    EXPECT_EQ(m->netNumber, c.net);
    EXPECT_EQ(m->faceCount, c.faces);
    EXPECT_EQ(m->netFaceCount, c.faces);
    EXPECT_EQ(m->netPointTotal, c.netPoints);
    EXPECT_EQ(m->errorCode, 0);
    EXPECT_EQ(m->mirrorX, 0);
    EXPECT_EQ(m->turnHalf, c.turnHalf);
    EXPECT_EQ(m->regionFromTriangle, c.regionFromTriangle);
    EXPECT_EQ(m->tablesOwned, 0);
    EXPECT_EQ(m->faceVertexLists, nullptr);
    for (int32_t f = 0; f < c.faces; ++f) EXPECT_EQ(m->faces[f].netPointCount, c.cornerCount) << "face " << f;
    int32_t faceTriangles = 0, extra = 0;
    for (int32_t t = 0; t < m->renderTriangleCount; ++t) (m->renderTriangles[t].extraTriangle ? extra : faceTriangles)++;
    EXPECT_EQ(faceTriangles, c.faceTriangles);
    EXPECT_EQ(extra, c.extraTriangles);
    // The corners carry unit directions.
    for (int32_t p = 0; p < c.netPoints; ++p) {
      const RenderPoint& r = m->renderPoints[p];
      EXPECT_NEAR(double(r.d0) * r.d0 + double(r.d1) * r.d1 + double(r.d2) * r.d2, 1.0, 1e-6) << "point " << p;
    }
  }
  MeshHolder h;
  EXPECT_FALSE(BuildPlainLayoutModel(h.mesh, 30, nullptr));  // a layout with a face map of its own
  EXPECT_EQ(FindPlainLayout(16), nullptr);
}

Vec3 PointDirection(const PolyMesh* m, int32_t p) {
  const RenderPoint& r = m->renderPoints[p];
  return Vec3{r.d0, r.d1, r.d2};
}

bool SameDirection(const Vec3& a, const Vec3& b) { return AngleBetween(a, b) < 1e-5; }

struct FaceSide {
  int32_t face, from, to;  // net points at the side's two ends
};

// Every side of every face against every other side that joins the same two
// directions: whether the two sides meet in the plane or across a cut of the
// outline, points at the same fraction of the solid edge must show the same
// direction from both faces. Prints the worst jump of each face pair; expects
// each solid edge met 2 * sheets times (at most twice for a layout of part of
// its solid). Returns the worst jump in degrees.
double MeasureSides(const PolyMesh* m, const char* name, int32_t sheets, bool closed, int32_t* pairs) {
  std::vector<FaceSide> sides;
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    const int32_t n = m->faces[f].netPointCount;
    for (int32_t k = 0; k < n; ++k) sides.push_back({f, m->faces[f].netPoint[k], m->faces[f].netPoint[(k + 1) % n]});
  }
  double layoutWorst = 0;
  *pairs = 0;
  for (size_t i = 0; i < sides.size(); ++i) {
    const FaceSide& a = sides[i];
    const Vec3 a0 = PointDirection(m, a.from), a1 = PointDirection(m, a.to);
    int32_t met = 0;
    for (size_t j = 0; j < sides.size(); ++j) {
      if (j == i) continue;
      const FaceSide& b = sides[j];
      const Vec3 b0 = PointDirection(m, b.from), b1 = PointDirection(m, b.to);
      bool reversed;
      if (SameDirection(a0, b1) && SameDirection(a1, b0)) {
        reversed = true;
      } else if (SameDirection(a0, b0) && SameDirection(a1, b1)) {
        reversed = false;
      } else {
        continue;
      }
      ++met;
      if (j < i) continue;  // each pair of sides measured once
      ++*pairs;
      const RenderPoint& A0 = m->renderPoints[a.from];
      const RenderPoint& A1 = m->renderPoints[a.to];
      const RenderPoint& B0 = m->renderPoints[reversed ? b.to : b.from];
      const RenderPoint& B1 = m->renderPoints[reversed ? b.from : b.to];
      double worst = 0;
      for (int32_t s = 0; s <= 20; ++s) {
        const double t = s / 20.0;
        const Vec3 da = DirectionInFace(m, a.face, A0.x + t * (A1.x - A0.x), A0.y + t * (A1.y - A0.y));
        const Vec3 db = DirectionInFace(m, b.face, B0.x + t * (B1.x - B0.x), B0.y + t * (B1.y - B0.y));
        worst = std::max(worst, AngleBetween(da, db) * kDegrees);
      }
      std::printf("%-12s %3d-%-6d %.6f\n", name, a.face, b.face, worst);
      layoutWorst = std::max(layoutWorst, worst);
      EXPECT_LT(worst, 0.01) << name << " faces " << a.face << " and " << b.face;
    }
    if (closed) {
      EXPECT_EQ(met, 2 * sheets - 1) << name << " face " << a.face << " side " << a.from << "-" << a.to;
    } else {
      EXPECT_LE(met, 1) << name;
    }
  }
  std::printf("%-12s %-10s %.6f over %d pairs of sides\n", name, "all", layoutWorst, *pairs);
  return layoutWorst;
}

TEST(PlainLayouts, EverySolidEdgeIsMetFromBothSidesWithOneDirection) {
  std::printf("%-12s %-10s %s\n", "layout", "faces", "worst jump (degrees)");
  for (const LayoutCase& c : kCases) {
    SCOPED_TRACE(c.name);
    MeshHolder h;
    BuildOutput(c.output, h.mesh);
    int32_t pairs = 0;
    MeasureSides(h.mesh, c.name, c.sheets, c.closed, &pairs);
    EXPECT_GT(pairs, c.faces - 2);
  }
}

// The dodo (output 54, also the views of "72 views") in its twelve pieces:
// each of its 180 edges met from both sides, folded or cut.
TEST(DodoNet, EveryEdgeIsMetFromBothSidesWithOneDirection) {
  MeshHolder h;
  BuildOutput(54, h.mesh);
  ASSERT_EQ(h.mesh->netFaceCount, 72);
  int32_t pairs = 0;
  MeasureSides(h.mesh, "dodo", 1, true, &pairs);
  EXPECT_EQ(pairs, 180);
}

// The middle of each layout looks at the front (0, 0, 1), with right on
// screen towards -x and down towards -y, as every other output draws the
// sphere; the square's corners and the box's outline corners lie behind.
TEST(PlainLayouts, FaceTheFrontTheWayTheOtherOutputsDo) {
  for (const int32_t output : {21, 86}) {
    SCOPED_TRACE(output);
    MeshHolder h;
    BuildOutput(output, h.mesh);
    const PolyMesh* m = h.mesh;
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
    for (int32_t p = 0; p < m->netPointTotal; ++p) {
      x0 = std::min(x0, m->renderPoints[p].x);
      x1 = std::max(x1, m->renderPoints[p].x);
      y0 = std::min(y0, m->renderPoints[p].y);
      y1 = std::max(y1, m->renderPoints[p].y);
    }
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, step = (x1 - x0) * 0.01;
    auto at = [&](double x, double y) {
      for (int32_t f = 0; f < m->netFaceCount; ++f) {
        const Vec3 d = DirectionInFace(m, f, x, y);
        // DirectionInFace takes the best triangle of the face, inside or not:
        // keep the face whose triangles hold the point.
        for (int32_t t = 0; t < m->renderTriangleCount; ++t) {
          float b0, b1, b2;
          if (m->renderTriangles[t].netFace == f && !m->renderTriangles[t].extraTriangle &&
              NetTriangleBarycentric(t, float(x), float(y), &b0, &b1, &b2, m)) {
            return d;
          }
        }
      }
      return Vec3{0, 0, 0};
    };
    const Vec3 centre = at(cx, cy);
    EXPECT_NEAR(centre.z, 1.0, 1e-6);
    EXPECT_LT(at(cx + step, cy + step / 3).x, -1e-3);
    EXPECT_LT(at(cx + step / 3, cy + step).y, -1e-3);
    EXPECT_GT(at(cx - step, cy - step / 3).x, 1e-3);
  }
  MeshHolder h;
  BuildOutput(21, h.mesh);
  for (const int32_t corner : {0, 2, 6, 8}) EXPECT_NEAR(PointDirection(h.mesh, corner).z, -1.0, 1e-6);
}

// --- end to end -------------------------------------------------------------------------

constexpr int32_t kWidth = 480;
constexpr int32_t kHeight = 240;

TestDocument DirectionPanorama() { return ::DirectionPanorama(kWidth, kHeight); }

// The direction a pixel shows, normalised, or (0, 0, 0) for a pixel off the
// map (the backdrop's colour is no unit direction). A length within 0.1
// passes, wider than the shared reading: these tests require every pixel of
// a face or of the picture to read as a direction, and judge it by angles.
Vec3 PixelDirection(TestDocument& doc, int32_t x, int32_t y) {
  double v[3];
  if (!ReadPixelDirection(doc, x, y, v, 0.1)) return Vec3{0, 0, 0};
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return Vec3{v[0] / length, v[1] / length, v[2] / length};
}

class PlainLayoutRender : public ::testing::Test {
 protected:
  TestDocument doc;
  TestHost host;
  bool open = false;

  void TearDown() override {
    if (open) ShutdownTestHost(&host);
  }

  HostError Render(int32_t output, double fov) {
    doc = DirectionPanorama();
    open = true;
    return RenderOutputOnTestHost(&host, &doc, output, [&](ParameterBlock* block) { block->fov = fov; });
  }
};

// The square and the box: pixels well inside the faces show the directions
// the net gives at their centres, up to the run's turn of the sphere: the
// angle between any two such pixels is the angle between their net
// directions.
TEST_F(PlainLayoutRender, PixelsShowTheDirectionsOfTheirFaces) {
  for (const int32_t output : {21, 86}) {
    SCOPED_TRACE(output);
    if (open) ShutdownTestHost(&host);
    open = false;
    ASSERT_EQ(Render(output, 90), kNoErr);
    MeshHolder h;
    BuildNetForOutput(output, h.mesh, float(kHeight) / kWidth, 0.0f, 0, 0.0f, 1, nullptr, true);
    const PolyMesh* m = h.mesh;
    std::vector<std::pair<Vec3, Vec3>> samples;  // shown, expected
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        // Render coordinates are output units: x * width and y * width are pixels.
        const float px = (x + 0.5f) / kWidth, py = (y + 0.5f) / kWidth;
        int32_t face = -1;
        for (int32_t t = 0; t < m->renderTriangleCount && face < 0; ++t) {
          float b0, b1, b2;
          const float margin = 3.0f / kWidth;  // well inside: the footprint stays on the face
          if (!m->renderTriangles[t].extraTriangle && NetTriangleBarycentric(t, px, py, &b0, &b1, &b2, m)) {
            const RenderTriangle& tri = m->renderTriangles[t];
            bool deep = true;
            for (int32_t k = 0; k < 3 && deep; ++k) {
              const RenderPoint& a = m->renderPoints[tri.points[k]];
              const RenderPoint& b = m->renderPoints[tri.points[(k + 1) % 3]];
              const double len = std::hypot(b.x - a.x, b.y - a.y);
              deep = std::fabs((b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x)) / len > margin;
            }
            if (deep) face = tri.netFace;
          }
        }
        if (face < 0) continue;
        const Vec3 shown = PixelDirection(doc, x, y);
        ASSERT_GT(shown.x * shown.x + shown.y * shown.y + shown.z * shown.z, 0.5) << "pixel " << x << ", " << y;
        samples.emplace_back(shown, DirectionInFace(m, face, px, py));
      }
    }
    ASSERT_GT(samples.size(), size_t(kHeight * kHeight / 3));
    double worst = 0;
    for (const size_t r : {size_t(0), samples.size() / 3, samples.size() / 2, samples.size() - 1}) {
      for (const auto& s : samples) {
        const double shown = AngleBetween(s.first, samples[r].first);
        const double expected = AngleBetween(s.second, samples[r].second);
        worst = std::max(worst, std::fabs(shown - expected) * kDegrees);
      }
    }
    // The colour's quantisation and the pixel's footprint.
    EXPECT_LT(worst, 2.0);
  }
}

// The tetra tile covers the whole picture, and neighbouring pixels show
// neighbouring directions everywhere, across the edges of the tiles too.
TEST_F(PlainLayoutRender, TetraTileCoversThePictureWithoutSeams) {
  for (const double fov : {0.0, 40.0}) {
    SCOPED_TRACE(fov);
    if (open) ShutdownTestHost(&host);
    open = false;
    ASSERT_EQ(Render(64, fov), kNoErr);
    double worst = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const Vec3 d = PixelDirection(doc, x, y);
        ASSERT_GT(d.x * d.x + d.y * d.y + d.z * d.z, 0.5) << "pixel " << x << ", " << y << " is off the map";
        if (x + 1 < kWidth) worst = std::max(worst, AngleBetween(d, PixelDirection(doc, x + 1, y)) * kDegrees);
        if (y + 1 < kHeight) worst = std::max(worst, AngleBetween(d, PixelDirection(doc, x, y + 1)) * kDegrees);
      }
    }
    // A tile is a few dozen pixels across at fov 40: its corners (the
    // tetrahedron's) are 109.5 degrees apart, a few degrees per pixel; a
    // seam would jump by tens of degrees.
    EXPECT_LT(worst, fov == 0 ? 4.0 : 12.0);
  }
}

// "72 views" draws one view per face of the dodo (the net of output 54) in a
// grid of 9 columns and 8 rows, column by column: the centre of cell k looks
// at the centre of face k. Up to the run's turn of the sphere, the angle
// between two cells' centres is the angle between their faces' centres.
TEST_F(PlainLayoutRender, SeventyTwoViewsLookAtTheDodosFaces) {
  // A narrow view: the colours change slowly round each cell's centre.
  ASSERT_EQ(Render(79, 20), kNoErr);
  MeshHolder h;
  BuildNetForOutput(54, h.mesh, float(kHeight) / kWidth, 0.0f, 0, 0.0f, 1, nullptr, true);
  ASSERT_EQ(h.mesh->faceCount, 72);
  std::vector<Vec3> shown, expected;
  for (int32_t column = 0; column < 9; ++column) {
    for (int32_t row = 0; row < 8; ++row) {
      // The grid is 8 cells of 30 pixels high, centred across the picture;
      // the four pixels round a cell's centre show it on average.
      const int32_t x = 240 + 30 * (column - 4), y = 15 + 30 * row;
      Vec3 sum{0, 0, 0};
      for (const int32_t dx : {-1, 0}) {
        for (const int32_t dy : {-1, 0}) {
          const Vec3 d = PixelDirection(doc, x + dx, y + dy);
          ASSERT_GT(d.x * d.x + d.y * d.y + d.z * d.z, 0.5) << "cell " << column << ", " << row;
          sum = Vec3{sum.x + d.x, sum.y + d.y, sum.z + d.z};
        }
      }
      NormalizeVec3d(&sum);
      shown.push_back(sum);
      expected.push_back(h.mesh->faces[column * 8 + row].centre);
    }
  }
  double worst = 0;
  for (size_t i = 0; i < shown.size(); ++i)
    for (size_t j = i + 1; j < shown.size(); ++j)
      worst = std::max(worst, std::fabs(AngleBetween(shown[i], shown[j]) - AngleBetween(expected[i], expected[j])));

  EXPECT_LT(worst * kDegrees, 1.5);
}

}  // namespace
