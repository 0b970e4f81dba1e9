#include "nets/flat_face.h"

#include <cmath>

namespace {

constexpr double kNearAxisDot = 0.9;

}  // namespace

void FlattenFace(const PolyMesh* mesh, int32_t face, FlatFace* flat, int32_t layerTag) {
  flat->cornerCount = 0;
  flat->sourceFace = -1;
  flat->tilt = 0;
  const int32_t n = SolidCornerCount(mesh, face);
  if (n == 0) return;
  const MeshFace& f = mesh->faces[face];
  Vec3 normal = f.normal;
  NormalizeVec3d(&normal);
  const Vec3 down{0, 0, -1};
  const double tilt = DotVec3d(&normal, &down);
  Matrix4d turn{};
  if (std::fabs(tilt) > kNearAxisDot) {
    const Vec3 xAxis{1, 0, 0};
    Matrix4d first{};
    Matrix4d second{};
    RotationOntoVector(&normal, &xAxis, &first);
    RotationOntoVector(&xAxis, &down, &second);
    for (int32_t k = 0; k < n; ++k) {
      const Vec3 v = GetMeshVertexCopy(f.vertex[k], mesh);
      Vec3 t;
      Vec3 r;
      TransformVec3dByMatrix(&v, &first, &t);
      TransformVec3dByMatrix(&t, &second, &r);
      flat->corners[k] = FlatCorner{r.x, r.y, f.vertex[k], layerTag};
    }
  } else {
    RotationOntoVector(&normal, &down, &turn);
    for (int32_t k = 0; k < n; ++k) {
      const Vec3 v = GetMeshVertexCopy(f.vertex[k], mesh);
      Vec3 r;
      TransformVec3dByMatrix(&v, &turn, &r);
      flat->corners[k] = FlatCorner{r.x, r.y, f.vertex[k], layerTag};
    }
  }
  flat->cornerCount = n;
  flat->sourceFace = face;
  flat->tilt = tilt;
}

int32_t FlatFaceOrientation(const FlatFace* flat) {
  const int32_t n = flat->cornerCount;
  if (n < 3 || n > kMaxFaceCorners) return 0;
  int32_t low = 0;
  for (int32_t k = 1; k < n; ++k) {
    const FlatCorner& c = flat->corners[k];
    const FlatCorner& best = flat->corners[low];
    if (c.y < best.y || (c.y == best.y && c.x < best.x)) low = k;
  }
  const FlatCorner& a = flat->corners[(low + n - 1) % n];
  const FlatCorner& b = flat->corners[low];
  const FlatCorner& c = flat->corners[(low + 1) % n];
  const double cross = (a.x - b.x) * (c.y - b.y) - (a.y - b.y) * (c.x - b.x);
  return cross > 0 ? 1 : (cross < 0 ? -1 : 0);
}

int32_t NextFlatCorner(const FlatFace* flat, int32_t k) {
  const int32_t n = flat->cornerCount;
  if (n <= 0) return 0;
  const int32_t r = (k + 1) % n;
  return r < 0 ? r + n : r;
}
