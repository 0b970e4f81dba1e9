#include "nets/net_faces.h"

#include <cmath>

#include "geometry/fast_math.h"

int32_t MeshGroupCount(const PolyMesh* mesh) {
  if (mesh == nullptr || mesh->faceCount <= 0) return 1;
  int32_t highest = -1;
  const int32_t count = mesh->faceCount < kMaxMeshFaces ? mesh->faceCount : kMaxMeshFaces;
  for (int32_t f = 0; f < count; ++f) {
    const int32_t r = FaceRegion(f, mesh);
    if (r > highest) highest = r;
  }
  return highest + 1 > 1 ? highest + 1 : 1;
}

bool TriangleIdDiffers(const PolyMesh* mesh, int32_t triangle, int32_t id) {
  if (id == -1) return false;
  if (mesh == nullptr || triangle < 0 || triangle >= kMaxMeshTriangles) return true;
  return mesh->renderTriangles[triangle].id != id;
}

void InterpolateTrianglePoint(int32_t triangle, float b0, float b1, float b2, double out[3], const PolyMesh* mesh) {
  out[0] = out[1] = out[2] = 0;
  if (mesh == nullptr || triangle < 0 || triangle >= kMaxMeshTriangles) return;
  const RenderTriangle& t = mesh->renderTriangles[triangle];
  const double w[3] = {b0, b1, b2};
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t p = t.points[i];
    if (p < 0 || p >= kMaxRenderPoints) continue;
    out[0] += w[i] * mesh->renderPoints[p].x;
    out[1] += w[i] * mesh->renderPoints[p].y;
  }
}

float DirectionToUvChecked(Vec3* direction) {
  Vec3 copy = *direction;
  NormalizeVec3d(&copy);
  double u = 0, v = 0;
  Vec3dToEquirect(&copy, &u, &v);
  *direction = Vec3{u, v, 0};
  return v >= 0.001 && v <= 0.999 ? 1.0f : 0.0f;
}

void InterpolateFaceCorners(int32_t triangle, float b0, float b1, float b2, Vec3* direction, const PolyMesh* mesh) {
  *direction = Vec3{1, 0, 0};
  if (mesh == nullptr || triangle < 0 || triangle >= kMaxMeshTriangles) return;
  const RenderTriangle& t = mesh->renderTriangles[triangle];
  const double b[3] = {b0, b1, b2};
  if (!mesh->equirectCorners) {
    Vec3 r{0, 0, 0};
    for (int32_t i = 0; i < 3; ++i) {
      r.x += b[i] * t.corners[i].x;
      r.y += b[i] * t.corners[i].y;
      r.z += b[i] * t.corners[i].z;
    }
    *direction = r;
    return;
  }
  Vec3 uv[3] = {t.corners[0], t.corners[1], t.corners[2]};
  float w[3];
  for (int32_t i = 0; i < 3; ++i) w[i] = DirectionToUvChecked(&uv[i]);
  if (w[0] + w[1] + w[2] <= 1) {
    // At most one corner off the poles: admit the one whose latitude lies
    // nearer, so that the blend has a longitude to follow.
    if (w[0] == 1) (std::fabs(uv[0].y - uv[2].y) > std::fabs(uv[0].y - uv[1].y) ? w[1] : w[2]) = 1;
    if (w[1] == 1) (std::fabs(uv[1].y - uv[0].y) > std::fabs(uv[1].y - uv[2].y) ? w[2] : w[0]) = 1;
    if (w[2] == 1) (std::fabs(uv[2].y - uv[1].y) > std::fabs(uv[2].y - uv[0].y) ? w[0] : w[1]) = 1;
  }
  // Longitudes come back in 0..1 with both ends possible (a direction whose x
  // is +0 or -0 behind the viewer gives 1 or 0). The quarter test below and
  // the blend must read the same value, or a corner at exactly 1 counts as
  // the first quarter but blends as the last, and the face's pixels sweep
  // the whole way round between its corners.
  int32_t q[3];
  for (int32_t i = 0; i < 3; ++i) {
    uv[i].x -= std::floor(uv[i].x);
    q[i] = int32_t(uv[i].x * 4 * w[i]);
  }
  int32_t low = 0, high = 0;
  for (int32_t i = 0; i < 3; ++i) {
    low += q[i] < 1 ? 1 : 0;
    high += q[i] >= 3 ? 1 : 0;
  }
  if ((low == 1 && high == 2) || (low == 2 && high == 1)) {
    for (int32_t i = 0; i < 3; ++i) {
      if (q[i] < 1) uv[i].x += 1;
    }
  }
  const float weight = float(b[0]) * w[0] + float(b[1]) * w[1] + float(b[2]) * w[2];
  double u = 0;
  if (weight != 0) {
    u = (b[0] * w[0] * uv[0].x + b[1] * w[1] * uv[1].x + b[2] * w[2] * uv[2].x) / weight;
  } else {
    u = (uv[0].x + uv[1].x + uv[2].x) / 3;  // all three at the poles: any longitude
  }
  const double v = b[0] * uv[0].y + b[1] * uv[1].y + b[2] * uv[2].y;
  EquirectToVec3d(u, v, direction);
}

void InterpolateFaceCornersF(int32_t triangle, float b0, float b1, float b2, Vec3f* d, const PolyMesh* mesh) {
  Vec3 r;
  InterpolateFaceCorners(triangle, b0, b1, b2, &r, mesh);
  *d = Vec3f{float(r.x), float(r.y), float(r.z)};
}

void WeightedSum3(double a, double b, double c, const Vec3* P, const Vec3* Q, const Vec3* R, Vec3* S) {
  *S = Vec3{a * P->x + b * Q->x + c * R->x, a * P->y + b * Q->y + c * R->y, a * P->z + b * Q->z + c * R->z};
}
