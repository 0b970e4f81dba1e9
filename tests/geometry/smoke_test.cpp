#include <gtest/gtest.h>

#include "geometry/fast_math.h"
#include "geometry/plane_geometry.h"
#include "geometry/rotation.h"
#include "geometry/vector.h"

TEST(GeometrySmoke, IdentityRotationKeepsForward) {
  RotationRecord r{};
  SetRotationFromAngles(0, 0, 0, &r);
  Vec3f v{0, 0, 1};
  ApplyRotation(&r, 1, &v);
  EXPECT_FLOAT_EQ(v.z, 1.0f);
}
