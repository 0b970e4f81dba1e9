// Stand-ins for the net services: each does the least its contract allows.
// No catalogue exists yet, so no output has a net of its own beyond the nets
// named by the shaped outputs, and building a net leaves the mesh empty.
#include "nets/nets_services_stub.h"

#include <cstring>

#include "geometry/fast_math.h"
#include "geometry/rotation.h"
#include "projection/formula_helpers.h"

#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "projection/output_shapes.h"

void NetDescriptorForOutput(int32_t output, NetDescriptor* descriptor) {
  *descriptor = NetDescriptor{-1, 0, 0, 0.0f, 0};
  OutputShape shape;
  GetOutputShape(output, &shape);
  if (shape.netNumber != -1) {
    *descriptor = NetDescriptor{shape.netNumber, shape.netOption, 0, 0.0f, 1};
  }
}

bool IsNetOutput(int32_t output) {
  NetDescriptor descriptor;
  NetDescriptorForOutput(output, &descriptor);
  return descriptor.netNumber != -1;
}

bool IsSphericonOutput(int32_t output) {
  NetDescriptor descriptor;
  NetDescriptorForOutput(output, &descriptor);
  return descriptor.netNumber >= 102 && descriptor.netNumber <= 149;
}

bool IsNetOfSolid(int32_t output) {
  switch (output) {
    case 21: case 41: case 42: case 64: case 86: case 97: case 98:
    case 100: case 101: case 102: case 103: case 104: case 105: case 106: case 107:
    case 113: case 114: case 115: case 116: case 117:
    case 122: case 123: case 124: case 125: case 126: case 127: case 128: case 129:
    case 137: case 144: case 150: case 167:
      return false;  // flat layouts
    default:
      break;
  }
  if (OutputShapeHasNet(output)) return false;
  return IsNetOutput(output);
}

bool IsCurveNetOutput(int32_t output) {
  NetDescriptor descriptor;
  NetDescriptorForOutput(output, &descriptor);
  return descriptor.netNumber >= 151 && descriptor.netNumber <= 161;
}

void BuildNetForOutput(int32_t output, PolyMesh* mesh, float aspect, float tabScale, int32_t intParam,
                       float floatParam, int32_t mode, uint8_t flag, const BufferProcs* bufferProcs,
                       uint8_t notPreview) {
  NetDescriptor descriptor;
  NetDescriptorForOutput(output, &descriptor);
  if (descriptor.paramSource == 1) {
    intParam = descriptor.intParam;
    floatParam = descriptor.floatParam;
    mode = descriptor.buildMode;
  } else if (descriptor.paramSource == 2 && mode != 3) {
    floatParam = descriptor.floatParam;
  }
  if (mesh == nullptr) return;
  mesh->viewCentre = Vec3{0, 0, 0};
  FitNetToOutput(mesh, aspect, tabScale);
  BuildNet(mesh, descriptor.netNumber, mode, intParam, floatParam, flag, bufferProcs, notPreview);
}

void BuildNet(PolyMesh* mesh, int32_t netNumber, int32_t mode, int32_t intParam, float floatParam, uint8_t flag,
              const BufferProcs* bufferProcs, uint8_t notPreview) {
  (void)mode;
  (void)intParam;
  (void)floatParam;
  (void)flag;
  (void)bufferProcs;
  (void)notPreview;
  if (mesh == nullptr) return;
  mesh->netNumber = netNumber;
  // No catalogue yet: the net has no faces.
  mesh->faceCount = 0;
  mesh->renderTriangleCount = 0;
}

bool NetTriangleBarycentric(int32_t triangle, float x, float y, float* b0, float* b1, float* b2,
                            const PolyMesh* mesh) {
  const RenderTriangle& t = mesh->renderTriangles[triangle];
  const RenderPoint& p0 = mesh->renderPoints[t.points[0]];
  const RenderPoint& p1 = mesh->renderPoints[t.points[1]];
  const RenderPoint& p2 = mesh->renderPoints[t.points[2]];
  *b0 = ((p1.x - x) * (p2.y - y) - (p2.x - x) * (p1.y - y)) * t.inverseDoubleArea;
  if (*b0 < -1e-6f) return false;
  *b1 = ((p2.x - x) * (p0.y - y) - (p0.x - x) * (p2.y - y)) * t.inverseDoubleArea;
  if (*b1 < -1e-6f) return false;
  *b2 = ((p0.x - x) * (p1.y - y) - (p1.x - x) * (p0.y - y)) * t.inverseDoubleArea;
  return *b2 >= -1e-6f;
}

bool TriangleIdDiffers(const PolyMesh* mesh, int32_t triangle, int32_t id) {
  if (id == -1) return false;
  return mesh->renderTriangles[triangle].id != id;
}

void QuadFaceMap(int32_t triangle, float u, float v, Vec3f* d, const PolyMesh* mesh) {
  (void)triangle;
  (void)u;
  (void)v;
  (void)mesh;
  *d = Vec3f{1, 0, 0};  // no quad faces without a catalogue
}

void InterpolateFaceCornersF(int32_t triangle, float b0, float b1, float b2, Vec3f* d, const PolyMesh* mesh) {
  const RenderTriangle& t = mesh->renderTriangles[triangle];
  const double w[3] = {b0, b1, b2};
  double r[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    r[0] += w[i] * t.corners[i].x;
    r[1] += w[i] * t.corners[i].y;
    r[2] += w[i] * t.corners[i].z;
  }
  *d = Vec3f{float(r[0]), float(r[1]), float(r[2])};
}

void InterpolateTrianglePoint(int32_t triangle, float b0, float b1, float b2, double out[3], const PolyMesh* mesh) {
  const RenderTriangle& t = mesh->renderTriangles[triangle];
  const RenderPoint& p0 = mesh->renderPoints[t.points[0]];
  const RenderPoint& p1 = mesh->renderPoints[t.points[1]];
  const RenderPoint& p2 = mesh->renderPoints[t.points[2]];
  out[0] = double(b0) * p0.x + double(b1) * p1.x + double(b2) * p2.x;
  out[1] = double(b0) * p0.y + double(b1) * p1.y + double(b2) * p2.y;
  out[2] = 0;
}

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
  (void)globals;
  (void)outside;
  list->hitPoint[0] = 1;
  list->hitPoint[1] = 0;
  list->hitPoint[2] = 0;
  if (mesh == nullptr || triangle < 0 || triangle >= mesh->renderTriangleCount) return;
  if (mesh->regionFromTriangle == 1) {
    list->region = 0;  // the per-face maps come with the net catalogue
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
  if (mesh->normalise == 1) {
    if (list->halfAngleOrder == 3) {
      d->x = float(d->x - mesh->viewCentre.x);
      d->y = float(d->y - mesh->viewCentre.y);
      d->z = float(d->z - mesh->viewCentre.z);
    }
    NormalizeVec3fDouble(d);
  } else {
    EquirectToVec3f(d->x + 0.75f, d->y, d);
  }
}

void FindFaceAtPoint(const Vec3* dir, PolyMesh* mesh, GlobalsRecord* globals, uint8_t* outside, NetFaceList* list) {
  (void)dir;
  (void)mesh;
  (void)globals;
  // The spherical-triangle search comes with the net catalogue.
  list->found = 0;
  list->tabFace = -1;
  list->onTab = 0;
  *outside = 1;
}
