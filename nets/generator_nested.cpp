// The render triangles that a nested net adds to its parent (compound
// outputs): the tab and corner triangles of the nested build.
#include "nets/net_catalogue.h"
#include "nets/net_generators.h"
#include "nets/net_layout.h"

void MergeNestedNet(PolyMesh* mesh, const PolyMesh* nested) {
  if (mesh == nullptr || nested == nullptr) return;
  const int32_t count = nested->renderTriangleCount < kMaxMeshTriangles ? nested->renderTriangleCount
                                                                         : kMaxMeshTriangles;
  const int32_t lastFace = nested->netFaceCount - 1;
  for (int32_t t = 0; t < count; ++t) {
    const RenderTriangle& triangle = nested->renderTriangles[t];
    if (!triangle.extraTriangle) continue;
    int32_t face = triangle.netFace;
    int32_t region = -1;
    if (face >= 0) {
      face = face > lastFace ? lastFace : face;
      region = face < 0 ? -1 : FaceRegion(face, nested);
    }
    float x[3], y[3];
    for (int32_t k = 0; k < 3; ++k) {
      const int32_t p = triangle.points[k];
      const bool valid = p >= 0 && p < kMaxRenderPoints;
      x[k] = valid ? nested->renderPoints[p].x : 0.0f;
      y[k] = valid ? nested->renderPoints[p].y : 0.0f;
    }
    AppendRenderTriangle(mesh, x[0], y[0], x[1], y[1], x[2], y[2], face, region);
  }
}
