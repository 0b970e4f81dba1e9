#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/face_search.h"
#include "geometry/plane_geometry.h"
#include "geometry_test_util.h"
#include "nets/nets_services_stub.h"
#include "projection/mapping_context.h"

namespace {

// An octahedron's eight faces as render triangles, wound so that each
// spherical triangle holds its octant, and a face list over some of them.
class FaceSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    mesh_ = std::make_unique<PolyMesh>();
    list_ = std::make_unique<NetFaceList>();
    mesh_->renderTriangleCount = 8;
    for (int i = 0; i < 8; ++i) {
      const double sx = (i & 1) ? -1 : 1, sy = (i & 2) ? -1 : 1, sz = (i & 4) ? -1 : 1;
      const Vec3 X{sx, 0, 0}, Y{0, sy, 0}, Z{0, 0, sz};
      const Vec3 centre = Unit({sx, sy, sz});
      Vec3* c = mesh_->renderTriangles[i].corners;
      if (InSphericalTriangle(&X, &Z, &Y, &centre)) {
        c[0] = X, c[1] = Z, c[2] = Y;
      } else {
        c[0] = X, c[1] = Y, c[2] = Z;
      }
    }
    List({0, 1, 2, 3, 4, 5, 6, 7});
  }

  void List(const std::vector<int32_t>& triangles) {
    const int32_t n = static_cast<int32_t>(triangles.size());
    for (int32_t k = 0; k < n; ++k) list_->entries[k] = list_->entries[n + k] = triangles[k];
    list_->faceCount = n;
    list_->tabOffset = 2 * n;
    list_->tabCount = 0;
    list_->faceCursor = 0;
    list_->found = 9;
    list_->onTab = 9;
    list_->tabFace = 9;
  }

  std::unique_ptr<PolyMesh> mesh_;
  std::unique_ptr<NetFaceList> list_;
};

TEST_F(FaceSearch, FindsTheOctantWithItsWeights) {
  for (int i = 0; i < 8; ++i) {
    const double sx = (i & 1) ? -1 : 1, sy = (i & 2) ? -1 : 1, sz = (i & 4) ? -1 : 1;
    const Vec3 d = Unit({0.2 * sx, 0.5 * sy, 0.3 * sz});
    uint8_t miss = 9;
    double w0 = 0, w1 = 0, w2 = 0;
    FindFaceHitByRay(&d, mesh_.get(), &miss, list_.get(), &w0, &w1, &w2);
    ASSERT_EQ(miss, 0) << i;
    EXPECT_EQ(list_->found, 1);
    EXPECT_EQ(list_->onTab, 0);
    EXPECT_EQ(list_->tabFace, -1);
    EXPECT_EQ(list_->hitTriangle, i);
    EXPECT_EQ(list_->faceCursor, i);
    EXPECT_NEAR(w0 + w1 + w2, 1.0, 1e-15);
    // The weights place the crossing of the flat face, which lies on the ray
    // at hitPoint: |x| + |y| + |z| = 1 there.
    const Vec3* c = mesh_->renderTriangles[i].corners;
    const Vec3 crossing{w0 * c[0].x + w1 * c[1].x + w2 * c[2].x, w0 * c[0].y + w1 * c[1].y + w2 * c[2].y,
                        w0 * c[0].z + w1 * c[1].z + w2 * c[2].z};
    const Vec3 hit{list_->hitPoint[0], list_->hitPoint[1], list_->hitPoint[2]};
    EXPECT_TRUE(Vec3Near(crossing, hit, 1e-15));
    EXPECT_NEAR(std::fabs(hit.x) + std::fabs(hit.y) + std::fabs(hit.z), 1.0, 1e-15);
    EXPECT_TRUE(Vec3Near(Unit(hit), d, 1e-15));
  }
}

TEST_F(FaceSearch, CursorStartsAtTheLastHitAndWraps) {
  List({5, 6, 7, 0});
  list_->faceCursor = 2;  // starts at 7, then reads 0, 5, 6 from the doubled entries
  const Vec3 inSix = Unit({1, -1, -1});
  uint8_t miss;
  double w0, w1, w2;
  FindFaceHitByRay(&inSix, mesh_.get(), &miss, list_.get(), &w0, &w1, &w2);
  EXPECT_EQ(miss, 0);
  EXPECT_EQ(list_->hitTriangle, 6);
  EXPECT_EQ(list_->faceCursor, 1);  // position 5 wraps to 1
  FindFaceHitByRay(&inSix, mesh_.get(), &miss, list_.get(), &w0, &w1, &w2);
  EXPECT_EQ(list_->faceCursor, 1);
  EXPECT_NEAR(w0, 1.0 / 3, 1e-15);
  EXPECT_NEAR(w1, 1.0 / 3, 1e-15);
  EXPECT_NEAR(w2, 1.0 / 3, 1e-15);
}

TEST_F(FaceSearch, MissesLeaveTheWeights) {
  List({0, 1});
  const Vec3 below = Unit({0.3, 0.2, -1});
  uint8_t miss = 0;
  double w0 = 7, w1 = 7, w2 = 7;
  FindFaceHitByRay(&below, mesh_.get(), &miss, list_.get(), &w0, &w1, &w2);
  EXPECT_EQ(miss, 1);
  EXPECT_EQ(list_->found, 0);
  EXPECT_EQ(list_->tabFace, -1);
  EXPECT_EQ(w0, 7);
  // An empty list, and one with tabs only, miss at once.
  List({});
  FindFaceHitByRay(&below, mesh_.get(), &miss, list_.get(), &w0, &w1, &w2);
  EXPECT_EQ(miss, 1);
  list_->tabCount = 3;
  FindFaceHitByRay(&below, mesh_.get(), &miss, list_.get(), &w0, &w1, &w2);
  EXPECT_EQ(miss, 1);
  EXPECT_EQ(list_->onTab, 0);
}

TEST_F(FaceSearch, StaleCursorAndBadEntriesAreSafe) {
  List({3, 4});
  list_->faceCursor = 57;
  list_->entries[0] = list_->entries[2] = 4000;  // not a triangle of the mesh
  const Vec3 inFour = Unit({1, 1, -1});
  uint8_t miss;
  double w0, w1, w2;
  FindFaceHitByRay(&inFour, mesh_.get(), &miss, list_.get(), &w0, &w1, &w2);
  EXPECT_EQ(miss, 0);
  EXPECT_EQ(list_->hitTriangle, 4);
  EXPECT_EQ(list_->faceCursor, 1);
}

TEST_F(FaceSearch, TinyFaceStillGivesWeightsInside) {
  // Far below the flat test's determinant tolerance.
  const double e = 1e-5;
  Vec3* c = mesh_->renderTriangles[0].corners;
  c[0] = Unit({0, 0, 1});
  c[1] = Unit({e, 0, 1});
  c[2] = Unit({0, e, 1});
  const Vec3 centre = Unit({e / 3, e / 3, 1});
  if (!InSphericalTriangle(&c[0], &c[1], &c[2], &centre)) std::swap(c[1], c[2]);
  List({0});
  uint8_t miss;
  double w0, w1, w2;
  FindFaceHitByRay(&centre, mesh_.get(), &miss, list_.get(), &w0, &w1, &w2);
  ASSERT_EQ(miss, 0);
  for (double w : {w0, w1, w2}) {
    EXPECT_GE(w, 0.0);
    EXPECT_LE(w, 1.0);
    EXPECT_NEAR(w, 1.0 / 3, 1e-6);
  }
  EXPECT_NEAR(list_->hitPoint[2], 1.0, 1e-9);
}

}  // namespace
