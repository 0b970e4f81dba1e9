#include "nets/mesh_triangles.h"

#include <cmath>

namespace {

int32_t NetFaces(const PolyMesh* mesh) {
  const int32_t n = mesh->netFaceCount;
  return n < 0 ? 0 : (n > kMaxMeshFaces ? kMaxMeshFaces : n);
}

bool ValidRenderPoint(int32_t p) { return p >= 0 && p < kMaxRenderPoints; }

int32_t AddTabPoint(PolyMesh* mesh, float x, float y) {
  const int32_t p = mesh->renderPointCount++;
  mesh->renderPoints[p] = RenderPoint{x, y, 1.0f, 1.0f, 1.0f};
  mesh->netPointUsed[p] = 1;
  return p;
}

void AddTabTriangle(PolyMesh* mesh, int32_t a, int32_t b, int32_t c, int16_t netFace) {
  const int32_t t = mesh->renderTriangleCount++;
  RenderTriangle& tri = mesh->renderTriangles[t];
  tri.points[0] = a;
  tri.points[1] = b;
  tri.points[2] = c;
  tri.netFace = netFace;
  tri.tag = kNoTriangleTag;
  tri.id = int16_t(FaceRegion(netFace, mesh));
  tri.netGroup = kNoTriangleTag;
  tri.extraTriangle = 1;
  tri.edgeTab[0] = tri.edgeTab[1] = tri.edgeTab[2] = 0;
  tri.hasOpposite = 0;
  tri.skip = 0;
  for (Vec3& corner : tri.corners) corner = Vec3{1, 1, 1};
  ComputeTriangleInverseArea(t, mesh);
}

}  // namespace

bool AppendFaceTriangle(int32_t t, PolyMesh* mesh, int32_t face, int32_t c0, int32_t c1, int32_t c2, uint16_t tag) {
  if (mesh == nullptr) return false;
  if (t < 0 || t >= kMaxMeshTriangles) {
    mesh->errorCode = kMeshTrianglesFull;
    return false;
  }
  const int32_t n = NetCornerCount(mesh, face);
  const int32_t corners[3] = {c0, c1, c2};
  for (int32_t c : corners) {
    if (c < 0 || c >= n || !ValidRenderPoint(mesh->faces[face].netPoint[c])) return false;
  }
  const MeshFace& f = mesh->faces[face];
  RenderTriangle& tri = mesh->renderTriangles[t];
  for (int32_t j = 0; j < 3; ++j) {
    tri.points[j] = f.netPoint[corners[j]];
    const int32_t next = corners[(j + 1) % 3];
    tri.edgeTab[j] = next == NextNetCorner(mesh, face, corners[j]) ? f.tabFlag[corners[j]] : 0;
  }
  tri.netFace = int16_t(face);
  tri.tag = tag;
  tri.id = int16_t(FaceRegion(face, mesh));
  tri.netGroup = f.netGroup;
  tri.extraTriangle = 0;
  tri.hasOpposite = f.oppositeNetPoint != -1 ? 1 : 0;
  tri.skip = f.netFlag;
  ComputeTriangleInverseArea(t, mesh);
  return true;
}

void ComputeTriangleInverseArea(int32_t triangle, PolyMesh* mesh) {
  if (mesh == nullptr || triangle < 0 || triangle >= kMaxMeshTriangles) return;
  RenderTriangle& t = mesh->renderTriangles[triangle];
  for (int32_t p : t.points) {
    if (!ValidRenderPoint(p)) {
      t.inverseDoubleArea = 1.0f;
      return;
    }
  }
  const RenderPoint& p0 = mesh->renderPoints[t.points[0]];
  const RenderPoint& p1 = mesh->renderPoints[t.points[1]];
  const RenderPoint& p2 = mesh->renderPoints[t.points[2]];
  const double area = (double(p1.x) - p0.x) * (double(p2.y) - p0.y) - (double(p1.y) - p0.y) * (double(p2.x) - p0.x);
  t.inverseDoubleArea = area != 0 ? float(1 / area) : 1.0f;
}

void AddEdgeTab(PolyMesh* mesh, int32_t t, int32_t k) {
  if (mesh == nullptr || t < 0 || t >= mesh->renderTriangleCount || t >= kMaxMeshTriangles || k < 0 || k > 2) return;
  const RenderTriangle& tri = mesh->renderTriangles[t];
  const int32_t q = tri.points[k];
  const int32_t p = tri.points[(k + 1) % 3];
  if (!ValidRenderPoint(p) || !ValidRenderPoint(q)) return;
  if (mesh->renderPointCount + 2 >= kMaxRenderPoints) {
    mesh->errorCode = kMeshRenderPointsFull;
    return;
  }
  const RenderPoint P = mesh->renderPoints[p];
  const RenderPoint Q = mesh->renderPoints[q];
  const float dx = P.x - Q.x;
  const float dy = P.y - Q.y;
  // The tab goes on the side of the edge away from the triangle: the right
  // of Q -> P for a counter-clockwise face (the catalogue's nets), the left
  // for a clockwise one (the nets the unfolder lays out).
  const int32_t r = tri.points[(k + 2) % 3];
  float w = mesh->tabWidth;
  if (ValidRenderPoint(r)) {
    const RenderPoint R = mesh->renderPoints[r];
    if (dx * (R.y - Q.y) - dy * (R.x - Q.x) < 0) w = -w;
  }
  const float s = (mesh->wideTabs ? kWideTabSlant : kTabSlant) * std::fabs(w);
  const int16_t netFace = tri.netFace;
  const int32_t a = AddTabPoint(mesh, Q.x + w * dy + s * dx, Q.y - w * dx + s * dy);
  const int32_t b = AddTabPoint(mesh, P.x + w * dy - s * dx, P.y - w * dx - s * dy);
  if (mesh->renderTriangleCount + 2 >= kMaxMeshTriangles) {
    mesh->errorCode = kMeshTrianglesFull;
    return;
  }
  AddTabTriangle(mesh, q, a, p, netFace);
  AddTabTriangle(mesh, a, b, p, netFace);
}

void AddTabTriangles(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  const int32_t count = mesh->renderTriangleCount < kMaxMeshTriangles ? mesh->renderTriangleCount : kMaxMeshTriangles;
  for (int32_t t = 0; t < count; ++t) {
    for (int32_t k = 0; k < 3; ++k) {
      if (mesh->renderTriangles[t].edgeTab[k]) AddEdgeTab(mesh, t, k);
    }
  }
}

bool FindOpenNetEdge(const PolyMesh* mesh, int32_t* face, int32_t* edge) {
  *face = *edge = -1;
  if (mesh == nullptr) return false;
  const int32_t n = NetFaces(mesh);
  for (int32_t f = 0; f < n; ++f) {
    const MeshFace& nf = mesh->faces[f];
    const int32_t m = NetCornerCount(mesh, f);
    for (int32_t k = 0; k < m; ++k) {
      if (nf.netNeighbour[k] == -1 && !nf.outlineVisited[k]) {
        *face = f;
        *edge = k;
        return true;
      }
    }
  }
  return false;
}

bool FindOpenNetEdgeInGroup(const PolyMesh* mesh, int32_t* face, int32_t* edge, int32_t group) {
  *face = *edge = -1;
  if (mesh == nullptr) return false;
  const int32_t n = NetFaces(mesh);
  for (int32_t f = 0; f < n; ++f) {
    const MeshFace& nf = mesh->faces[f];
    if (nf.netGroup != group) continue;
    const int32_t m = NetCornerCount(mesh, f);
    for (int32_t k = 0; k < m; ++k) {
      if (nf.netNeighbour[k] == -1) {
        *face = f;
        *edge = k;
        return true;
      }
    }
  }
  return false;
}

bool NextOutlineEdge(const PolyMesh* mesh, int32_t* face, int32_t* edge) {
  if (mesh == nullptr || NetCornerCount(mesh, *face) == 0 || *edge < 0 || *edge >= NetCornerCount(mesh, *face)) {
    return false;
  }
  int32_t f = *face;
  int32_t k = NextNetCorner(mesh, f, *edge);
  // Around one corner there are at most as many faces as net faces.
  for (int32_t steps = 0; steps <= kMaxMeshFaces; ++steps) {
    const int32_t g = mesh->faces[f].netNeighbour[k];
    if (g == -1) {
      *face = f;
      *edge = k;
      return true;
    }
    const int32_t j = mesh->faces[f].netNeighbourEdge[k];
    if (NetCornerCount(mesh, g) == 0 || j < 0 || j >= NetCornerCount(mesh, g)) return false;
    f = g;
    k = j;
  }
  return false;
}
