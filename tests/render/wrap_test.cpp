// The wrap operations of the pixel renderer by the source's fetch edge mode.
#include <gtest/gtest.h>

#include "image/image_record.h"
#include "render/pixel_renderer.h"

namespace {

TEST(PixelWrap, AveragesAndDeltasTable) {
  struct Case {
    const char* what;
    float a, b;
    int32_t mode;
    float averageU, averageV;
  };
  const Case cases[] = {
      {"across the seam of u", 0.98f, 0.02f, FetchWrapX, 0.0f, 0.5f},
      {"across the seam, other order", 0.02f, 0.98f, FetchWrapX, 0.0f, 0.5f},
      {"off-centre across the seam", 0.9f, 0.02f, FetchWrapX, 0.96f, 0.46f},
      {"near each other", 0.3f, 0.5f, FetchWrapX, 0.4f, 0.4f},
      {"clamped source", 0.98f, 0.02f, FetchClamp, 0.5f, 0.5f},
      {"both wrap", 0.98f, 0.02f, FetchWrapXY, 0.0f, 1.0f},
      {"first missing", -1.0f, 0.7f, FetchWrapXY, 0.7f, 0.7f},
      {"second missing", 0.25f, -1.0f, FetchClamp, 0.25f, 0.25f},
      // Half a turn apart is still the plain middle; a step more is the
      // middle of the short way round, across the seam.
      {"half a turn apart", 0.25f, 0.75f, FetchWrapX, 0.5f, 0.5f},
      {"past half a turn", 0.75f, 0.2499f, FetchWrapX, 0.99995f, 0.49995f},
      {"past half a turn, v wraps", 0.75f, 0.2499f, FetchWrapXY, 0.99995f, 0.99995f},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(WrapAverageU(c.a, c.b, c.mode), c.averageU, 1e-6f) << c.what;
    EXPECT_NEAR(WrapAverageV(c.a, c.b, c.mode), c.averageV, 1e-6f) << c.what;
  }
  struct Delta {
    float d;
    int32_t mode;
    float u, v;
  };
  const Delta deltas[] = {
      {0.75f, FetchWrapX, -0.25f, 0.75f}, {-0.75f, FetchWrapX, 0.25f, -0.75f}, {0.75f, FetchWrapXY, -0.25f, -0.25f},
      {0.5f, FetchWrapXY, 0.5f, 0.5f},    {0.75f, FetchClamp, 0.75f, 0.75f},   {-0.2f, FetchWrapXY, -0.2f, -0.2f},
  };
  for (const Delta& d : deltas) {
    EXPECT_FLOAT_EQ(WrapDeltaU(d.d, d.mode), d.u) << d.d << " " << d.mode;
    EXPECT_FLOAT_EQ(WrapDeltaV(d.d, d.mode), d.v) << d.d << " " << d.mode;
  }
}

}  // namespace
