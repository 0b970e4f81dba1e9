// Nets rendered through the test host from a smooth equirectangular source:
// the picture runs on across every fold of the net without a jump.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "nets/net_build.h"
#include "tests/render/render_fixture.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// Colours that vary smoothly over the whole sphere (poles included).
TestDocument SmoothSphereDocument(int32_t width, int32_t height) {
  TestDocument doc = MakeTestDocument(width, height, 3, 8, false);
  const double full = DocumentFullScale(doc);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width, v = (y + 0.5) / height;
      const double ring = std::sin(kPi * v);
      SetDocumentSample(doc, x, y, 0, std::round((0.5 + 0.45 * std::sin(kTwoPi * u) * ring) * 255) / 255 * full);
      SetDocumentSample(doc, x, y, 1, std::round((0.5 + 0.45 * std::cos(kTwoPi * u) * ring) * 255) / 255 * full);
      SetDocumentSample(doc, x, y, 2, std::round((0.05 + 0.9 * v) * 255) / 255 * full);
    }
  }
  return doc;
}

double ColourDistance(const TestDocument& doc, double x, double y, double x2, double y2) {
  const double full = DocumentFullScale(doc);
  double sum = 0;
  for (int16_t c = 0; c < 3; ++c) {
    const double a = GetDocumentSample(doc, int32_t(std::lround(x)), int32_t(std::lround(y)), c);
    const double b = GetDocumentSample(doc, int32_t(std::lround(x2)), int32_t(std::lround(y2)), c);
    sum += std::fabs(a - b) / full * 255;
  }
  return sum;
}

}  // namespace

TEST(NetRender, TheTetrahedronAndTheCubeShowNoJumpAcrossTheirFolds) {
  constexpr int32_t kWidth = 480, kHeight = 240;
  for (int32_t output : {6, 7}) {
    TestDocument doc = SmoothSphereDocument(kWidth, kHeight);
    RenderRun run;
    ASSERT_EQ(run.Render(&doc, [output](ParameterBlock* b) {
      b->outputProjection = output;
      b->tabs = 0;
    }), kNoErr);
    // The same net as the render built: net units are output widths.
    auto mesh = std::make_unique<PolyMesh>();
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh.get());
    BuildNetForOutput(output, mesh.get(), float(kHeight) / kWidth, 0.0f, kFitToBox, 0, kBuildNet, nullptr, true);
    int32_t folds = 0;
    for (int32_t f = 0; f < mesh->netFaceCount; ++f) {
      const int32_t n = mesh->faces[f].netPointCount;
      for (int32_t k = 0; k < n; ++k) {
        if (mesh->faces[f].netNeighbour[k] < f) continue;  // each fold once
        ++folds;
        const RenderPoint& P = mesh->renderPoints[mesh->faces[f].netPoint[k]];
        const RenderPoint& Q = mesh->renderPoints[mesh->faces[f].netPoint[(k + 1) % n]];
        const double px = P.x * kWidth, py = P.y * kWidth, qx = Q.x * kWidth, qy = Q.y * kWidth;
        const double length = std::hypot(qx - px, qy - py);
        const double nx = -(qy - py) / length, ny = (qx - px) / length;
        for (double s : {0.3, 0.5, 0.7}) {
          const double x = px + s * (qx - px), y = py + s * (qy - py);
          // Across the fold against the same step within each face (a jump
          // would show as a difference many times the smooth change).
          const double across = ColourDistance(doc, x - 3 * nx, y - 3 * ny, x + 3 * nx, y + 3 * ny);
          const double sideA = ColourDistance(doc, x + 3 * nx, y + 3 * ny, x + 9 * nx, y + 9 * ny);
          const double sideB = ColourDistance(doc, x - 3 * nx, y - 3 * ny, x - 9 * nx, y - 9 * ny);
          EXPECT_LE(across, 1.5 * std::max(sideA, sideB) + 6) << output << " fold " << f << "/" << k << " at " << s;
        }
      }
    }
    EXPECT_EQ(folds, output == 6 ? 3 : 5) << output;
  }
}
