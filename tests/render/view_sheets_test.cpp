// The multi-view sheets draw their views from the faces of their solids: the
// sheet follows the sphere's turn and holds varied pictures, not a backdrop.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/render/render_fixture.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

TestDocument StripedSphereDocument(int32_t width, int32_t height) {
  TestDocument doc = MakeTestDocument(width, height, 3, 8, false);
  const double full = DocumentFullScale(doc);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width, v = (y + 0.5) / height;
      const double c[3] = {0.5 + 0.4 * std::sin(kTwoPi * u) * std::sin(kPi * v), 0.1 + 0.8 * v,
                           0.5 + 0.4 * std::cos(3 * kTwoPi * u) * std::sin(kPi * v)};
      for (int16_t k = 0; k < 3; ++k) SetDocumentSample(doc, x, y, k, std::round(c[k] * 255) / 255 * full);
    }
  }
  return doc;
}

}  // namespace

TEST(ViewSheets, EverySheetOfABuiltNetDrawsItsViews) {
  constexpr int32_t kWidth = 360, kHeight = 240;
  // "4 views", "12 views", "24 views", "60 views" (the views of nets 16, 9, 12 and 5).
  for (int32_t output : {75, 76, 77, 78}) {
    TestDocument a = StripedSphereDocument(kWidth, kHeight);
    TestDocument b = StripedSphereDocument(kWidth, kHeight);
    RenderRun run;
    ASSERT_EQ(run.Render(&a, [output](ParameterBlock* p) { p->outputProjection = output; }), kNoErr);
    RenderRun turned;
    ASSERT_EQ(turned.Render(&b, [output](ParameterBlock* p) {
      p->outputProjection = output;
      p->longitude = 50;
    }), kNoErr);
    const double full = DocumentFullScale(a);
    double mean = 0, meanSquare = 0, change = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const double s = GetDocumentSample(a, x, y, 0) / full;
        mean += s;
        meanSquare += s * s;
        change += std::fabs(s - GetDocumentSample(b, x, y, 0) / full);
      }
    }
    const double n = double(kWidth) * kHeight;
    mean /= n;
    const double spread = std::sqrt(std::fmax(0, meanSquare / n - mean * mean));
    EXPECT_GT(spread, 0.05) << "output " << output << " draws one colour";
    EXPECT_GT(change / n, 0.02) << "output " << output << " does not follow the sphere's turn";
  }
}
