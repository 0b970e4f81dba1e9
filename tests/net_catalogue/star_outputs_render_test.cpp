// The spikeball (output 44) and GID (output 55) end to end: rendered through
// the test host from a panorama whose colour spells out each pixel's
// direction. For every pair of neighbouring solid faces, folded or cut apart
// in the net, the pixels just inside the two net faces at the middle of their
// shared edge show directions a few degrees apart at most, as they show
// neighbouring points of the sphere; unrelated edges' pixels differ far more.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "nets/net_build.h"
#include "nets/net_layout.h"
#include "nets/poly_mesh.h"
#include "tests/support/direction_panorama.h"
#include "tests/support/net_render_points.h"

namespace {

constexpr int32_t kWidth = 1600;
constexpr int32_t kHeight = 800;

// The centre of the pixel a few pixels inside net face f from the middle of
// its edge (a, b), straight across the edge.
NetPoint2 InsideEdge(const PolyMesh* m, int32_t f, int32_t a, int32_t b, double pixels) {
  const NetPoint2 pa = RenderXY(m, a), pb = RenderXY(m, b);
  const double length = std::hypot(pb.x - pa.x, pb.y - pa.y);
  // Net faces run counter-clockwise with y up, so the inside is on the
  // left of a -> b in the net; render y runs down, and the mirror of the
  // fit may turn that about, so take the side where the face lies.
  double nx = -(pb.y - pa.y) / length, ny = (pb.x - pa.x) / length;
  const NetPoint2 mid{(pa.x + pb.x) / 2, (pa.y + pb.y) / 2};
  const NetPoint2 probe{mid.x + nx * 1e-4, mid.y + ny * 1e-4};
  if (!InsideNetFace(m, f, probe)) {
    nx = -nx;
    ny = -ny;
  }
  const double px = std::floor((mid.x + nx * pixels / kWidth) * kWidth) + 0.5;
  const double py = std::floor((mid.y + ny * pixels / kWidth) * kWidth) + 0.5;
  return NetPoint2{px / kWidth, py / kWidth};
}

// The kind of a face: its corner count, and for a pentagon whether all its
// corners have one angle.
std::string FaceKind(const PolyMesh* m, int32_t f) {
  const MeshFace& face = m->faces[f];
  if (face.vertexCount != 5) return std::to_string(face.vertexCount) + "-gon";
  for (int32_t k = 1; k < 5; ++k)
    if (std::fabs(face.cornerAngle[k] - face.cornerAngle[0]) > 1e-4f) return "pentagon";
  return "regular pentagon";
}

struct PairKind {
  int32_t pairs = 0, folds = 0, measured = 0;
  double worst = 0;   // across the edge
  double inside = 0;  // the most the same step changes within either face there
};

class StarOutputsRender : public ::testing::Test {
 protected:
  TestDocument doc;
  TestHost host;
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  float tabs = 0;

  void TearDown() override { ShutdownTestHost(&host); }
  ~StarOutputsRender() override { FreeMeshTables(owned.get(), nullptr); }

  const PolyMesh* RenderAndBuild(int32_t output) {
    doc = DirectionPanorama(kWidth, kHeight);
    EXPECT_EQ(RenderOutputOnTestHost(&host, &doc, output, [&](ParameterBlock* block) { tabs = block->tabs; }), kNoErr);
    BuildNetAsTheRunDid(output, doc, tabs, owned.get());
    return owned.get();
  }
};

// Each solid edge once: the net points of its two ends in each of the two
// net faces, the pixels 2 pixels inside each face at the edge's middle, and
// the angle between what they show. The worst per kind of face pair is
// printed as a table.
TEST_F(StarOutputsRender, NeighbouringFacesMeetWithoutAJump) {
  struct Case {
    int32_t output;
    const char* name;
    int32_t pieces;
  };
  for (const Case& c : {Case{44, "spikeball", 10}, Case{55, "GID", 12}}) {
    SCOPED_TRACE(c.name);
    ShutdownTestHost(&host);
    host = TestHost();
    const PolyMesh* m = RenderAndBuild(c.output);
    ASSERT_EQ(m->errorCode, kMeshNoError);
    ASSERT_EQ(m->matchFailed, 0);
    std::map<std::string, PairKind> kinds;
    std::vector<std::pair<NetPoint2, NetPoint2>> sides;
    int32_t edges = 0, folds = 0;
    for (int32_t f = 0; f < m->faceCount; ++f) {
      const int32_t n = m->faces[f].vertexCount;
      for (int32_t k = 0; k < n; ++k) {
        const int32_t g = m->faces[f].neighbour[k];
        ASSERT_GE(g, 0) << "solid face " << f << " edge " << k;
        if (g <= f) continue;
        ++edges;
        const int32_t j = m->faces[f].neighbourEdge[k];
        const int32_t ng = m->faces[g].vertexCount;
        const int32_t gStart = (j + ng - 1) % ng;  // g's edge runs from f's corner k + 1 to f's corner k
        // The spikeball's faces are all alike: its pairs differ by the edges
        // they share (edges 3 and 4 run from the spike's tip).
        std::string sideF = FaceKind(m, f), sideG = FaceKind(m, g);
        if (c.output == 44) {
          sideF += " edge " + std::to_string(k);
          sideG += " edge " + std::to_string(gStart);
        }
        const std::string key = sideG < sideF ? sideG + " / " + sideF : sideF + " / " + sideG;
        PairKind& kind = kinds[key];
        ++kind.pairs;
        // The edge's ends in each face's net face.
        int32_t fa, ca, gb, cb;
        ASSERT_TRUE(NetFaceOfPiece(f, k, &fa, &ca, m));
        ASSERT_TRUE(NetFaceOfPiece(g, gStart, &gb, &cb, m));
        const int32_t na = m->faces[fa].netPointCount, nb = m->faces[gb].netPointCount;
        const int32_t pA = m->faces[fa].netPoint[ca], qA = m->faces[fa].netPoint[(ca + 1) % na];
        const int32_t qB = m->faces[gb].netPoint[cb], pB = m->faces[gb].netPoint[(cb + 1) % nb];
        ASSERT_EQ(m->netPointVertex[pA], m->netPointVertex[pB]);
        ASSERT_EQ(m->netPointVertex[qA], m->netPointVertex[qB]);
        if (pA == pB && qA == qB) {
          ++folds;
          ++kind.folds;
        }
        const NetPoint2 a0 = RenderXY(m, pA), a1 = RenderXY(m, qA);
        if (std::hypot(a1.x - a0.x, a1.y - a0.y) * kWidth < 8) continue;
        const NetPoint2 inA = InsideEdge(m, fa, pA, qA, 2), inB = InsideEdge(m, gb, qB, pB, 2);
        if (!InsideNetFace(m, fa, inA) || !InsideNetFace(m, gb, inB)) continue;
        if (!WithinNet(m, inA, kWidth) || !WithinNet(m, inB, kWidth)) continue;
        const uint8_t* pa = PixelAt(doc, inA);
        const uint8_t* pb = PixelAt(doc, inB);
        if (pa == nullptr || pb == nullptr) continue;
        const double d = DegreesBetweenColours(pa, pb);
        ++kind.measured;
        kind.worst = std::max(kind.worst, d);
        // The same four-pixel step within each face, from 2 to 6 pixels in.
        const NetPoint2 deepA = InsideEdge(m, fa, pA, qA, 6), deepB = InsideEdge(m, gb, qB, pB, 6);
        for (const auto& [near, deep] : {std::pair{inA, deepA}, std::pair{inB, deepB}}) {
          const uint8_t* pd = PixelAt(doc, deep);
          if (pd != nullptr && WithinNet(m, deep, kWidth)) {
            kind.inside = std::max(kind.inside, DegreesBetweenColours(PixelAt(doc, near), pd));
          }
        }
        sides.emplace_back(inA, inB);
      }
    }
    // Every solid edge is shared (a closed solid); the pieces are trees.
    int32_t corners = 0;
    for (int32_t f = 0; f < m->faceCount; ++f) corners += m->faces[f].vertexCount;
    EXPECT_EQ(2 * edges, corners);
    EXPECT_EQ(folds, m->faceCount - c.pieces);
    std::printf("%s (output %d): face pairs, folds, measured; worst jump across, worst step inside (degrees)\n",
                c.name, c.output);
    for (const auto& [key, kind] : kinds) {
      std::printf("  %-44s %4d %4d %4d %6.2f %6.2f\n", key.c_str(), kind.pairs, kind.folds, kind.measured, kind.worst,
                  kind.inside);
      EXPECT_GT(kind.measured, 0) << key;
      // No more than the picture changes over the same step inside a face.
      EXPECT_LE(kind.worst, 1.5 * kind.inside + 1.0) << key;
      EXPECT_LT(kind.worst, 8.0) << key;
    }
    // The measure tells seams apart: pixels of unrelated edges differ far more.
    std::vector<double> control;
    for (size_t i = 0; i < sides.size(); ++i) {
      const uint8_t* a = PixelAt(doc, sides[i].first);
      const uint8_t* other = PixelAt(doc, sides[(i * 7 + sides.size() / 2) % sides.size()].second);
      control.push_back(DegreesBetweenColours(a, other));
    }
    ASSERT_FALSE(control.empty());
    std::nth_element(control.begin(), control.begin() + control.size() / 2, control.end());
    EXPECT_GT(control[control.size() / 2], 30.0);
  }
}

}  // namespace
