// The nets whose faces are drawn through the conformal face tables, rendered
// through the test host from a smooth source: every face shows the picture
// (no face is one flat colour) and the picture runs on across every fold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "nets/net_build.h"
#include "tests/render/render_fixture.h"
#include "tests/support/smooth_sphere.h"

TEST(SolidFaceRender, ConformalFacesShowThePictureAndRunOnAcrossTheirFolds) {
  constexpr int32_t kWidth = 480, kHeight = 360;
  // "conformal dodecahedron" (the sharks and bursts draw their nets bent
  // into lobes: tests/net_face_maps/lobed_net_shapes_test.cpp; the shard
  // draws its lobes from a flat layout: tests/net_face_maps/shaped_lobes_test.cpp)
  for (int32_t output : {168}) {
    TestDocument doc = SmoothSphereDocument(kWidth, kHeight);
    RenderRun run;
    ASSERT_EQ(run.Render(&doc, [output](ParameterBlock* b) {
      b->outputProjection = output;
      b->tabs = 0;
    }), kNoErr);
    auto mesh = std::make_unique<PolyMesh>();
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh.get());
    BuildNetForOutput(output, mesh.get(), float(kHeight) / kWidth, 0.0f, kFitToBox, 0, kBuildNet, nullptr, true);
    ASSERT_GT(mesh->renderTriangleCount, 0);
    int32_t faces = 0, folds = 0;
    for (int32_t t = 0; t < mesh->renderTriangleCount; ++t) {
      const RenderTriangle& tri = mesh->renderTriangles[t];
      if (tri.extraTriangle) continue;
      const RenderPoint& A = mesh->renderPoints[tri.points[0]];
      const RenderPoint& B = mesh->renderPoints[tri.points[1]];
      const RenderPoint& C = mesh->renderPoints[tri.points[2]];
      auto at = [&](double a, double b, double c, double* x, double* y) {
        *x = (a * A.x + b * B.x + c * C.x) * kWidth;
        *y = (a * A.y + b * B.y + c * C.y) * kWidth;
      };
      // Two points well inside the face show different colours.
      double x0, y0, x1, y1;
      at(0.6, 0.2, 0.2, &x0, &y0);
      at(0.2, 0.2, 0.6, &x1, &y1);
      if (std::hypot(x1 - x0, y1 - y0) < 6) continue;  // too small a face to tell
      ++faces;
      EXPECT_GT(ColourDistance(doc, x0, y0, x1, y1), 2) << output << " face " << t << " is one colour";
      // Across each edge to the face beyond it (found by its corner points).
      for (int32_t k = 0; k < 3; ++k) {
        const RenderPoint& P = mesh->renderPoints[tri.points[k]];
        const RenderPoint& Q = mesh->renderPoints[tri.points[(k + 1) % 3]];
        bool shared = false;
        for (int32_t u = 0; u < mesh->renderTriangleCount && !shared; ++u) {
          const RenderTriangle& other = mesh->renderTriangles[u];
          if (u == t || other.extraTriangle) continue;
          int32_t same = 0;
          for (int32_t j = 0; j < 3; ++j) {
            const RenderPoint& R = mesh->renderPoints[other.points[j]];
            if ((std::fabs(R.x - P.x) < 1e-6f && std::fabs(R.y - P.y) < 1e-6f) ||
                (std::fabs(R.x - Q.x) < 1e-6f && std::fabs(R.y - Q.y) < 1e-6f))
              ++same;
          }
          shared = same == 2;
        }
        if (!shared) continue;
        ++folds;
        const double px = P.x * kWidth, py = P.y * kWidth, qx = Q.x * kWidth, qy = Q.y * kWidth;
        const double length = std::hypot(qx - px, qy - py);
        const double nx = -(qy - py) / length, ny = (qx - px) / length;
        const double x = (px + qx) / 2, y = (py + qy) / 2;
        const double across = ColourDistance(doc, x - 2 * nx, y - 2 * ny, x + 2 * nx, y + 2 * ny);
        const double sideA = ColourDistance(doc, x + 2 * nx, y + 2 * ny, x + 6 * nx, y + 6 * ny);
        const double sideB = ColourDistance(doc, x - 2 * nx, y - 2 * ny, x - 6 * nx, y - 6 * ny);
        EXPECT_LE(across, 1.5 * std::max(sideA, sideB) + 6) << output << " face " << t << " edge " << k;
      }
    }
    EXPECT_GT(faces, 4) << output;
    EXPECT_GT(folds, 4) << output;
  }
}
