// Nets rendered through the test host from a smooth equirectangular source:
// the picture runs on across every fold of the net without a jump.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "nets/net_build.h"
#include "tests/render/render_fixture.h"
#include "tests/support/smooth_sphere.h"

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
