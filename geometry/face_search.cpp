#include "geometry/face_search.h"

#include <algorithm>
#include <cmath>

#include "geometry/plane_geometry.h"
#include "nets/poly_mesh.h"
#include "projection/mapping_context.h"

namespace {

// Barycentric weights of the crossing when the bounded two-sided test
// declines a triangle that the spherical test accepted: the same solve
// without the bounds, the weights then pulled into the triangle.
void WeightsOfDeclinedCrossing(const Vec3* direction, const Vec3* A, const Vec3* B, const Vec3* C, double* t,
                               double* u, double* v) {
  Vec3 e1;
  Vec3 e2;
  SubtractVec3d(&e1, B, A);
  SubtractVec3d(&e2, C, A);
  Vec3 p;
  CrossVec3d(&p, direction, &e2);
  const double det = DotVec3d(&e1, &p);
  if (det == 0.0 || !std::isfinite(det)) {
    // No plane to cross: take the first corner.
    *t = 1.0;
    *u = 0.0;
    *v = 0.0;
    return;
  }
  const Vec3 s{-A->x, -A->y, -A->z};  // the ray starts at the origin
  Vec3 q;
  CrossVec3d(&q, &s, &e1);
  double uu = std::max(0.0, DotVec3d(&s, &p) / det);
  double vv = std::max(0.0, DotVec3d(direction, &q) / det);
  if (uu + vv > 1.0) {
    const double sum = uu + vv;
    uu /= sum;
    vv /= sum;
  }
  *t = DotVec3d(&e2, &q) / det;
  *u = uu;
  *v = vv;
}

}  // namespace

void FindFaceHitByRay(const Vec3* direction, const PolyMesh* mesh, uint8_t* miss, NetFaceList* list, double* w0,
                      double* w1, double* w2) {
  list->found = 0;
  list->onTab = 0;
  list->tabFace = -1;
  *miss = 1;
  const int32_t count = list->faceCount;
  if (count + list->tabCount == 0 || count < 1) return;
  // The doubled entries hold any cursor below the face count; anything else
  // starts the search afresh.
  const int32_t cursor = list->faceCursor >= 0 && list->faceCursor < count ? list->faceCursor : 0;
  for (int32_t k = 0; k < count; ++k) {
    const int32_t position = cursor + k;
    const int32_t f = list->entries[position];
    if (f < 0 || f >= mesh->renderTriangleCount) continue;
    const Vec3* corners = mesh->renderTriangles[f].corners;
    list->found = InSphericalTriangle(&corners[0], &corners[1], &corners[2], direction) ? 1 : 0;
    if (list->found == 0) continue;
    *miss = 0;
    const Vec3 origin{0.0, 0.0, 0.0};
    double t;
    double u;
    double v;
    if (IntersectRayTriangle(&origin, direction, &corners[0], &corners[1], &corners[2], &t, &u, &v) == 0) {
      WeightsOfDeclinedCrossing(direction, &corners[0], &corners[1], &corners[2], &t, &u, &v);
    }
    *w1 = u;
    *w2 = v;
    *w0 = 1.0 - u - v;
    list->hitTriangle = f;
    list->faceCursor = position >= count ? position - count : position;
    list->hitPoint[0] = direction->x * t;
    list->hitPoint[1] = direction->y * t;
    list->hitPoint[2] = direction->z * t;
    return;
  }
}
