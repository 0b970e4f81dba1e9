#include "nets/net_pixel.h"

#include <cmath>

#include "geometry/fast_math.h"
#include "geometry/plane_geometry.h"
#include "nets/net_faces.h"
#include "nets/net_layout.h"
#include "nets/nets_services_stub.h"
#include "projection/formula_helpers.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"

namespace {

// The test of one render triangle against the row band and the column limits.
bool TriangleLeftOut(const PolyMesh* mesh, int32_t t, float rowY, int32_t skipId, float margin, float xLeft,
                     float xRight, uint8_t clip) {
  if (TriangleIdDiffers(mesh, t, skipId)) return true;
  if (!clip) return false;
  const RenderTriangle& tri = mesh->renderTriangles[t];
  bool above = true, below = true, left = true, right = true;
  for (int32_t corner = 0; corner < 3; ++corner) {
    const RenderPoint& p = mesh->renderPoints[tri.points[corner]];
    above = above && p.y + margin < rowY;
    below = below && p.y - margin > rowY;
    left = left && p.x + margin < xLeft;
    right = right && p.x - margin > xRight;
  }
  return above || below || left || right;
}

void TakeInX(const PolyMesh* mesh, int32_t t, NetFaceList* list) {
  for (int32_t corner = 0; corner < 3; ++corner) {
    const float x = mesh->renderPoints[mesh->renderTriangles[t].points[corner]].x;
    if (x < list->minX) list->minX = x;
    if (x > list->maxX) list->maxX = x;
  }
}

int32_t Wrapped(int32_t position, int32_t count) { return position >= count ? position - count : position; }

}  // namespace

void BuildRowFaceList(PolyMesh* mesh, float rowY, int32_t skipId, float margin, NetFaceList* list, float xLeft,
                      float xRight, uint8_t clip) {
  list->minX = 100;
  list->maxX = -100;
  list->faceCount = 0;
  const int32_t triangles = mesh != nullptr ? mesh->renderTriangleCount : 0;
  for (int32_t t = 0; t < triangles; ++t) {
    list->slots[t] = -1;
    if (mesh->renderTriangles[t].extraTriangle || TriangleLeftOut(mesh, t, rowY, skipId, margin, xLeft, xRight, clip)) continue;
    list->entries[list->faceCount++] = t;
    list->slots[t] = list->faceCount;
    TakeInX(mesh, t, list);
  }
  const int32_t n = list->faceCount;
  for (int32_t i = 0; i < n; ++i) list->entries[n + i] = list->entries[i];
  list->tabOffset = 2 * n;
  list->tabCount = 0;
  for (int32_t t = 0; t < triangles; ++t) {
    if (!mesh->renderTriangles[t].extraTriangle || TriangleLeftOut(mesh, t, rowY, skipId, margin, xLeft, xRight, clip)) continue;
    list->entries[list->tabOffset + list->tabCount++] = t;
    list->slots[t] = n;
    TakeInX(mesh, t, list);
  }
  const int32_t m = list->tabCount;
  for (int32_t i = 0; i < m; ++i) list->entries[list->tabOffset + m + i] = list->entries[list->tabOffset + i];
  list->tabCursor = 0;
  list->region = 0;
  list->hitTriangle = 0;
  list->faceCursor = 0;
}

void MapNetPoint(Vec3f* d, PolyMesh* mesh, GlobalsRecord* globals, float x, float y, uint8_t* outside,
                 NetFaceList* list) {
  if (list->outputNumber == 64 && mesh != nullptr) WrapTilePosition(list->tileScale, mesh, x, y, &x, &y, list);
  list->found = 0;
  list->tabFace = -1;
  list->onTab = 0;
  list->hitPoint[0] = 1;
  list->hitPoint[1] = 0;
  list->hitPoint[2] = 0;
  if (mesh == nullptr || x < list->minX || x < mesh->layoutMinX || x > list->maxX || x > mesh->layoutMaxX || y > mesh->layoutMaxY ||
      y < mesh->layoutMinY || (list->faceCount + list->tabCount) == 0) {
    *outside = 1;
    return;
  }
  *outside = 1;
  int32_t hit = -1;
  for (int32_t k = 0; k < list->faceCount; ++k) {
    const int32_t t = list->entries[list->faceCursor + k];
    float b0, b1, b2;
    if (!NetTriangleBarycentric(t, x, y, &b0, &b1, &b2, mesh)) continue;
    *outside = 0;
    list->found = 1;
    MapNetFace(mesh, b0, b1, b2, t, x, y, globals, d, outside, list);
    if (!*outside) {
      hit = t;
      list->hitTriangle = t;
      list->faceCursor = Wrapped(list->faceCursor + k, list->faceCount);
      break;
    }
    list->found = 0;
  }
  if (hit < 0 && list->tabCount >= 1) {
    for (int32_t k = 0; k < list->tabCount; ++k) {
      const int32_t t = list->entries[list->tabOffset + list->tabCursor + k];
      float b0, b1, b2;
      if (!NetTriangleBarycentric(t, x, y, &b0, &b1, &b2, mesh)) continue;
      *d = Vec3f{1, 1, 0};
      *outside = 1;
      list->onTab = 1;
      list->tabFace = mesh->renderTriangles[t].netFace;
      list->tabCursor = Wrapped(list->tabCursor + k, list->tabCount);
      break;
    }
  }
  if (mesh->spherePowerFlag) {
    Vec3 v{d->x, d->y, d->z};
    MapSpherePower(&v, mesh->spherePower, outside, 0);
    *d = Vec3f{float(v.x), float(v.y), float(v.z)};
  }
  if (hit >= 0 && mesh->renderTriangles[hit].skip) {
    *outside = 1;
    list->found = 0;
    list->tabFace = -1;
    list->onTab = 0;
  }
}

void MapNetFace(PolyMesh* mesh, float b0, float b1, float b2, int32_t triangle, float u, float v,
                GlobalsRecord* globals, Vec3f* d, uint8_t* outside, NetFaceList* list) {
  list->hitPoint[0] = 1;
  list->hitPoint[1] = 0;
  list->hitPoint[2] = 0;
  if (mesh == nullptr || triangle < 0 || triangle >= mesh->renderTriangleCount) return;
  if (mesh->regionFromTriangle == 1) {
    list->region = 0;
    MapLayoutFace(mesh, b0, b1, b2, triangle, u, v, globals, d, outside, list);
    return;
  }
  if (!mesh->renderTriangles[triangle].hasOpposite) {
    InterpolateFaceCornersF(triangle, b0, b1, b2, d, mesh);
  } else {
    QuadFaceMap(triangle, u, v, d, mesh);
  }
  list->hitPoint[0] = d->x;
  list->hitPoint[1] = d->y;
  list->hitPoint[2] = d->z;
  FinishNetDirection(mesh, list->halfAngleOrder, d);
}

void FindFaceAtPoint(const Vec3* dir, PolyMesh* mesh, GlobalsRecord* globals, uint8_t* outside, NetFaceList* list) {
  (void)globals;
  list->found = 0;
  list->tabFace = -1;
  list->onTab = 0;
  *outside = 1;
  if (mesh == nullptr || list->faceCount < 1) return;
  for (int32_t k = 0; k < list->faceCount; ++k) {
    const int32_t t = list->entries[list->faceCursor + k];
    const RenderTriangle& tri = mesh->renderTriangles[t];
    // The test wants the corners clockwise seen from outside; the faces of
    // the nets run either way, so a counter-clockwise triangle is read
    // backwards (read as given it would hold the opposite side of the sphere).
    const Vec3& a = tri.corners[0];
    const Vec3& b = tri.corners[1];
    const Vec3& c = tri.corners[2];
    const double turn = a.x * (b.y * c.z - b.z * c.y) + a.y * (b.z * c.x - b.x * c.z) + a.z * (b.x * c.y - b.y * c.x);
    const bool inside = turn > 0 ? InSphericalTriangle(&a, &c, &b, dir) : InSphericalTriangle(&a, &b, &c, dir);
    if (!inside) continue;
    *outside = 0;
    list->found = 1;
    list->hitTriangle = t;
    list->faceCursor = Wrapped(list->faceCursor + k, list->faceCount);
    return;
  }
}

namespace {

// (z + i y) by 45 degrees, then (x + i y) by the given angle.
void TurnPairs(Vec3f* d, double second) {
  const double a = 0.78539816325;
  const double z = d->z, y = d->y;
  const double z1 = z * std::cos(a) - y * std::sin(a);
  const double y1 = z * std::sin(a) + y * std::cos(a);
  const double x = d->x;
  const double x2 = x * std::cos(second) - y1 * std::sin(second);
  const double y2 = x * std::sin(second) + y1 * std::cos(second);
  *d = Vec3f{float(x2), float(y2), float(z1)};
}

}  // namespace

void TurnDirectionForNetFace35(Vec3f* d) { TurnPairs(d, 0.6108652380833334); }
void TurnDirectionForNetFace30(Vec3f* d) { TurnPairs(d, 0.5235987755); }
