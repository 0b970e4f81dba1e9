// The lobed shapes drawn from a net: each output rendered through the test
// host from a panorama whose colour spells out the direction, then read back.
// The lobes together show the whole sphere, without a seam inside a lobe or
// across the border of two lobes, the view reads unmirrored, there are as
// many lobes as the shape has, and the shape fills its plane box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "host/parameter_block.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host.h"
#include "projection/output_shapes.h"
#include "tests/support/direction_panorama.h"

namespace {

constexpr int32_t kSide = 768;

// What one render shows, read from its pixels.
struct LobeReading {
  int32_t inside = 0;
  double worstJump = 0;      // degrees between neighbouring pixels away from the middle
  double worstBorder = 0;    // the same, for the pixel pairs across the border of two lobes
  int32_t borderPairs = 0;
  int32_t emptyCells = 0;    // cells of the sphere no pixel shows
  int32_t lobes = 0;         // entries into the shape along a circle about its middle
  double handedness = 0;     // mean sign of d . (d_x x d_y): +1 reads as the azimuthal views do
  double left = 1, right = 0, top = 1, bottom = 0;  // the shape's extent, in parts of the side
};

class ShapedLobes : public ::testing::Test {
 protected:
  TestDocument doc;
  TestHost host;

  void TearDown() override { ShutdownTestHost(&host); }

  bool Direction(int32_t x, int32_t y, double* d) { return ReadPixelDirection(doc, x, y, d); }
  bool Whole(int32_t x, int32_t y) { return ShowsDirectionAllAbout(doc, x, y); }

  // Renders the output and reads it. The middle of the shape is the plane's
  // origin, where the lobes meet; the pixels within `hub` of it are left out
  // of the jumps (the lobe's power squeezes or spreads the view there).
  LobeReading Read(int32_t output, double hub) {
    ShutdownTestHost(&host);
    host = TestHost();
    doc = DirectionPanorama(kSide, kSide);
    LobeReading r;
    EXPECT_EQ(RenderOutputOnTestHost(&host, &doc, output, [](ParameterBlock*) {}), kNoErr);
    OutputShape shape;
    GetOutputShape(output, &shape);
    const double xmin = shape.boxMin.re * 0.001 - 0.5, xmax = shape.boxMax.re * 0.001 - 0.5;
    const double ymin = shape.boxMin.im * 0.001 - 0.5, ymax = shape.boxMax.im * 0.001 - 0.5;
    const double scale = std::min(1 / (ymax - ymin), 1 / (xmax - xmin));
    const double ox = (0 - (xmin + xmax) / 2) * scale * kSide + kSide / 2.0;
    const double oy = (0 - (ymin + ymax) / 2) * scale * kSide + kSide / 2.0;
    // the lobe of a pixel centre, counted as the shape folds its points
    auto lobeOf = [&](int32_t x, int32_t y) {
      const double px = (x + 0.5 - ox) / (scale * kSide), py = (y + 0.5 - oy) / (scale * kSide);
      const double wr = px * shape.preRotation.re - py * shape.preRotation.im;
      const double wi = px * shape.preRotation.im + py * shape.preRotation.re;
      const int32_t c = shape.lobeCount;
      const double v = (std::atan2(wr, wi) - std::numbers::pi / 2) * c / (2 * std::numbers::pi) + c + 0.5;
      int32_t k = v < 0 ? int32_t(v - 1) : int32_t(v);
      return k >= c ? k - c : k;
    };

    constexpr int32_t kLon = 24, kLat = 12;
    std::vector<bool> seen(kLon * kLat, false);
    double far = 0, sign = 0;
    int32_t signs = 0;
    for (int32_t y = 0; y < kSide; ++y) {
      for (int32_t x = 0; x < kSide; ++x) {
        double d[3], e[3], f[3];
        if (!Direction(x, y, d)) continue;
        ++r.inside;
        r.left = std::min(r.left, x / double(kSide));
        r.right = std::max(r.right, (x + 1) / double(kSide));
        r.top = std::min(r.top, y / double(kSide));
        r.bottom = std::max(r.bottom, (y + 1) / double(kSide));
        far = std::max(far, std::hypot(x + 0.5 - ox, y + 0.5 - oy));
        const double lon = std::atan2(d[1], d[0]) + std::numbers::pi;
        const double z = std::clamp(d[2], -1.0, 1.0);
        const int32_t i = std::min(kLon - 1, int32_t(lon / (2 * std::numbers::pi) * kLon));
        const int32_t j = std::min(kLat - 1, int32_t((z + 1) / 2 * kLat));
        seen[j * kLon + i] = true;
        if (!Whole(x, y) || !Whole(x + 1, y) || !Whole(x, y + 1)) continue;
        if (std::hypot(x + 0.5 - ox, y + 0.5 - oy) < hub) continue;
        Direction(x + 1, y, e);
        Direction(x, y + 1, f);
        r.worstJump = std::max({r.worstJump, DegreesBetween(d, e), DegreesBetween(d, f)});
        const int32_t k = lobeOf(x, y);
        if (lobeOf(x + 1, y) != k) {
          r.worstBorder = std::max(r.worstBorder, DegreesBetween(d, e));
          ++r.borderPairs;
        }
        if (lobeOf(x, y + 1) != k) {
          r.worstBorder = std::max(r.worstBorder, DegreesBetween(d, f));
          ++r.borderPairs;
        }
        const double a[3] = {e[0] - d[0], e[1] - d[1], e[2] - d[2]};
        const double b[3] = {f[0] - d[0], f[1] - d[1], f[2] - d[2]};
        const double triple = d[0] * (a[1] * b[2] - a[2] * b[1]) + d[1] * (a[2] * b[0] - a[0] * b[2]) +
                              d[2] * (a[0] * b[1] - a[1] * b[0]);
        if (std::fabs(triple) > 1e-7) {
          sign += triple > 0 ? 1 : -1;
          ++signs;
        }
      }
    }
    for (bool s : seen) r.emptyCells += s ? 0 : 1;
    r.handedness = signs > 0 ? sign / signs : 0;
    // lobes: a circle half way out enters the shape once a lobe
    bool was = false;
    double e[3];
    for (int32_t i = 0; i <= 1440; ++i) {
      const double a = i * std::numbers::pi / 720;
      const bool is = Direction(int32_t(ox + 0.85 * far * std::cos(a)), int32_t(oy + 0.85 * far * std::sin(a)), e);
      if (is && !was && i > 0) ++r.lobes;
      was = is;
    }
    return r;
  }
};

struct Case {
  int32_t output;
  const char* name;
  int32_t lobes;  // 0: the outline is too jagged for the circle to count them
  bool fillsBox;  // the shape reaches every side of its plane box
};

// Each output's lobes show the whole sphere without a seam and read
// unmirrored (as the shuriken star, built first); the shape has its count of
// lobes and fills the plane box its shape row gives. The shard sits inside its
// box but its lopsided lobes cannot fill it, and a circle about its middle
// crosses its jagged outline more often than it has lobes: for it only the
// seams, the whole sphere, the reading and the box as a bound are checked.
TEST_F(ShapedLobes, LobesTileTheSphereSeamlessly) {
  const Case cases[] = {
      {145, "shuriken star", 5, true}, {152, "astercurve 5", 5, true}, {153, "astercurve 7", 7, true},
      {154, "astercurve 8", 8, true},  {166, "phenyl cross", 4, true}, {155, "trizag", 3, true},
      {151, "trident", 3, true},       {162, "shard", 0, false},
  };
  std::printf("output name           worst jump, anywhere / across lobe borders (degrees)\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LobeReading r = Read(c.output, 8);
    std::printf("%6d %-14s %6.2f %6.2f over %d pixel pairs; box x %.3f..%.3f y %.3f..%.3f\n", c.output, c.name,
                r.worstJump, r.worstBorder, r.borderPairs, r.left, r.right, r.top, r.bottom);
    EXPECT_GT(r.inside, 0);
    EXPECT_LT(r.worstJump, 4.0);
    EXPECT_GT(r.borderPairs, 0);
    EXPECT_EQ(r.emptyCells, 0);
    if (c.lobes > 0) {
      EXPECT_EQ(r.lobes, c.lobes);
    }
    EXPECT_LT(r.handedness, -0.5);
    OutputShape shape;
    GetOutputShape(c.output, &shape);
    const double xmin = shape.boxMin.re * 0.001, xmax = shape.boxMax.re * 0.001;
    const double ymin = shape.boxMin.im * 0.001, ymax = shape.boxMax.im * 0.001;
    const double scale = std::min(1 / (ymax - ymin), 1 / (xmax - xmin));
    const double left = 0.5 - (xmax - xmin) / 2 * scale, right = 0.5 + (xmax - xmin) / 2 * scale;
    const double top = 0.5 - (ymax - ymin) / 2 * scale, bottom = 0.5 + (ymax - ymin) / 2 * scale;
    if (c.fillsBox) {
      EXPECT_NEAR(r.left, left, 0.02);
      EXPECT_NEAR(r.right, right, 0.02);
      EXPECT_NEAR(r.top, top, 0.02);
      EXPECT_NEAR(r.bottom, bottom, 0.02);
    } else {
      EXPECT_GT(r.left, left - 0.02);
      EXPECT_LT(r.right, right + 0.02);
      EXPECT_GT(r.top, top - 0.02);
      EXPECT_LT(r.bottom, bottom + 0.02);
    }
  }
}

}  // namespace
