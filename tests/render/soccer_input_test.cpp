// Input 29 ("soccer"): a soccer-ball net rendered by the filter from an
// equirectangular source is read back as the source of an equirectangular
// render, and compared with the direct render of the same source.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/render/render_fixture.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// A sphere of soft stripes and blobs: detail at several scales, smooth at
// the poles.
TestDocument TexturedSphereDocument(int32_t width, int32_t height) {
  TestDocument doc = MakeTestDocument(width, height, 3, 8, false);
  const double full = DocumentFullScale(doc);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width, v = (y + 0.5) / height;
      const double ring = std::sin(kPi * v);
      const double r = 0.5 + 0.3 * std::sin(3 * kTwoPi * u) * ring + 0.15 * std::cos(5 * kPi * v);
      const double g = 0.5 + 0.35 * std::cos(2 * kTwoPi * u + 4 * v) * ring;
      const double b = 0.1 + 0.8 * v + 0.08 * std::sin(7 * kTwoPi * u) * ring * ring;
      const double c[3] = {r, g, b};
      for (int16_t k = 0; k < 3; ++k) {
        SetDocumentSample(doc, x, y, k, std::round(std::fmin(1, std::fmax(0, c[k])) * 255) / 255 * full);
      }
    }
  }
  return doc;
}

double Psnr(const TestDocument& a, const TestDocument& b, int32_t width, int32_t height) {
  const double full = DocumentFullScale(a);
  double sum = 0;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      for (int16_t c = 0; c < 3; ++c) {
        const double e = (GetDocumentSample(a, x, y, c) - GetDocumentSample(b, x, y, c)) / full * 255;
        sum += e * e;
      }
    }
  }
  const double mse = sum / (3.0 * width * height);
  return 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace

TEST(SoccerInput, ASoccerBallPanoramaMapsBackToTheEquirectangularSource) {
  constexpr int32_t kWidth = 1024, kHeight = 512;
  // The soccer-ball panorama, tabs off so the pieces hold only the sphere.
  TestDocument soccer = TexturedSphereDocument(kWidth, kHeight);
  {
    RenderRun run;
    ASSERT_EQ(run.Render(&soccer, [](ParameterBlock* b) {
      b->outputProjection = 30;
      b->tabs = 0;
    }), kNoErr);
  }
  // Back to equirectangular through input 29.
  {
    RenderRun run;
    ASSERT_EQ(run.Render(&soccer, [](ParameterBlock* b) {
      b->inputProjection = 29;
      b->outputProjection = 1;
      b->tabs = 0;
    }), kNoErr);
  }
  // The direct render of the source.
  TestDocument direct = TexturedSphereDocument(kWidth, kHeight);
  {
    RenderRun run;
    ASSERT_EQ(run.Render(&direct, [](ParameterBlock* b) { b->outputProjection = 1; }), kNoErr);
  }
  const double psnr = Psnr(direct, soccer, kWidth, kHeight);
  std::printf("soccer round trip at %d x %d: PSNR %.2f dB\n", kWidth, kHeight, psnr);
  EXPECT_GE(psnr, 30.0);
}
