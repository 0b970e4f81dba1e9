#include "nets/net_162.h"

#include <cstring>
#include <vector>

#include "host/host_memory.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/mesh_triangles.h"
#include "nets/net_catalogue.h"
#include "nets/net_layout.h"

namespace {

void AddFacePointUnlessNear(const MeshFace& face, PointNode* ring, const CurveNetParams* outline) {
  AddPointUnlessNear(&face.facePoint, ring, face.faceTag, outline->mergeTolerance);
}

void AddFace(PolyMesh* mesh, const int32_t* vertices, int32_t count, const Vec3* centre) {
  FaceRequest request;
  InitFaceRequest(&request);
  request.vertices = vertices;
  request.count = count;
  request.deferred = 1;
  request.faceTag = kRingFaceTag;
  request.facePoint = *centre;
  AddMeshFace(mesh, &request);
}

int32_t SolidEdgeCount(const PolyMesh* mesh, int32_t f) { return SolidCornerCount(mesh, f); }

bool EdgeHasNeighbour(const PolyMesh* mesh, int32_t f, int32_t k) { return mesh->faces[f].neighbour[k] >= 0; }

// The same solid edge seen from the face across it: the neighbour's corner
// before the one it names.
bool EdgeFromNeighbour(const PolyMesh* mesh, int32_t f, int32_t k, int32_t* g, int32_t* j) {
  *g = mesh->faces[f].neighbour[k];
  if (*g < 0 || *g >= mesh->faceCount) return false;
  const int32_t n = SolidEdgeCount(mesh, *g);
  if (n == 0) return false;
  *j = (mesh->faces[f].neighbourEdge[k] + n - 1) % n;
  return true;
}

bool EdgeCarriesCurveMark(const PolyMesh* mesh, int32_t f, int32_t k, int32_t bits) {
  if ((mesh->faces[f].edgeFlags[k] & bits) != 0) return true;
  int32_t g, j;
  return EdgeFromNeighbour(mesh, f, k, &g, &j) && (mesh->faces[g].edgeFlags[j] & bits) != 0;
}

void ClearCut(PolyMesh* mesh, int32_t f, int32_t k) {
  mesh->faces[f].edgeFlags[k] &= ~kEdgeCut;
  int32_t g, j;
  if (EdgeFromNeighbour(mesh, f, k, &g, &j)) mesh->faces[g].edgeFlags[j] &= ~kEdgeCut;
}

struct OutlineEdge {
  int32_t solidFace;
  int32_t solidEdge;
};

// The outline of one net piece as solid edges, from its first open edge.
std::vector<OutlineEdge> PieceOutline(const PolyMesh* mesh, int32_t group) {
  std::vector<OutlineEdge> out;
  int32_t f, k;
  if (!FindOpenNetEdgeInGroup(mesh, &f, &k, group)) return out;
  const int32_t firstFace = f, firstEdge = k;
  for (int32_t step = 0; step < kOutlineWalkSteps; ++step) {
    const MeshFace& face = mesh->faces[f];
    const int32_t n = NetCornerCount(mesh, f);
    const int32_t s = face.piece;
    if (n > 0 && s >= 0 && s < mesh->faceCount) out.push_back({s, (face.rotation + k) % n});
    if (!NextOutlineEdge(mesh, &f, &k)) break;
    if (f == firstFace && k == firstEdge) break;
  }
  return out;
}

// First: an outline edge whose neighbour t has exactly two edges with a
// neighbour that carry a curve mark; the edge of t facing the piece.
bool ReattachThroughMarkedNeighbour(PolyMesh* mesh, const std::vector<OutlineEdge>& outline) {
  for (const OutlineEdge& e : outline) {
    int32_t t, j;
    if (!EdgeFromNeighbour(mesh, e.solidFace, e.solidEdge, &t, &j)) continue;
    int32_t marked = 0;
    for (int32_t k = 0; k < SolidEdgeCount(mesh, t); ++k) {
      if (EdgeHasNeighbour(mesh, t, k) && EdgeCarriesCurveMark(mesh, t, k, kEdgeCurveStart | kEdgeCurveEnd)) ++marked;
    }
    if (marked == 2) {
      ClearCut(mesh, t, j);
      return true;
    }
  }
  return false;
}

// Second: the first outline edge that starts a curve.
bool ReattachAtCurveStart(PolyMesh* mesh, const std::vector<OutlineEdge>& outline) {
  for (const OutlineEdge& e : outline) {
    if (EdgeCarriesCurveMark(mesh, e.solidFace, e.solidEdge, kEdgeCurveStart)) {
      ClearCut(mesh, e.solidFace, e.solidEdge);
      return true;
    }
  }
  return false;
}

// Third: the outline edge of the solid face with the smallest perimeter.
bool ReattachAtSmallestFace(PolyMesh* mesh, const std::vector<OutlineEdge>& outline) {
  const OutlineEdge* best = nullptr;
  double bestPerimeter = 0;
  for (const OutlineEdge& e : outline) {
    const double p = FacePerimeter(mesh, e.solidFace);
    if (best == nullptr || p < bestPerimeter) {
      best = &e;
      bestPerimeter = p;
    }
  }
  if (best == nullptr) return false;
  ClearCut(mesh, best->solidFace, best->solidEdge);
  return true;
}

}  // namespace

void AddRingFaces(PointNode* ring, const Vec3* centre, PolyMesh* mesh) {
  std::vector<int32_t> vertices;
  for (PointNode* n = ring->next; !n->isHead; n = n->next) {
    const int32_t v = n->index;
    if (v < 0) continue;
    bool seen = false;
    for (const int32_t w : vertices) seen = seen || w == v;
    if (!seen) vertices.push_back(v);
  }
  const int32_t count = int32_t(vertices.size());
  if (count < 3) return;
  // Outward about the centre: the ring's normal (Newell's sum) faces away.
  Vec3 normal{0, 0, 0};
  for (int32_t i = 0; i < count; ++i) {
    const Vec3 a = GetMeshVertexCopy(vertices[i], mesh);
    const Vec3 b = GetMeshVertexCopy(vertices[(i + 1) % count], mesh);
    Vec3 cross;
    CrossVec3d(&cross, &a, &b);
    AddVec3d(&normal, &normal, &cross);
  }
  if (DotVec3d(&normal, centre) < 0) {
    for (int32_t i = 0, j = count - 1; i < j; ++i, --j) std::swap(vertices[i], vertices[j]);
  }
  if (count <= kMaxFaceCorners) {
    AddFace(mesh, vertices.data(), count, centre);
    return;
  }
  // The seeds around one vertex lie on a circle about it: a convex ring.
  for (int32_t i = 1; i + 1 < count; ++i) {
    const int32_t triangle[3] = {vertices[0], vertices[i], vertices[i + 1]};
    AddFace(mesh, triangle, 3, centre);
  }
}

void WalkFaceEdge(PolyMesh* source, int32_t face, int32_t edge, PolyMesh* mesh, const CurveNetParams* outline,
                  int32_t index) {
  (void)index;
  PointNode ring;
  InitPointList(&ring);
  AddFacePointUnlessNear(source->faces[face], &ring, outline);
  int32_t f = face;
  int32_t k = edge;
  for (int32_t step = 0; step < kFaceWalkSteps; ++step) {
    MeshFace& current = source->faces[f];
    current.edgeWalked[k] = 1;
    const int32_t g = current.neighbour[k];
    const int32_t j = current.neighbourEdge[k];
    if (g == face || g < 0 || g >= source->faceCount) break;
    AddFacePointUnlessNear(source->faces[g], &ring, outline);
    const int32_t n = SolidCornerCount(source, g);
    if (n == 0) break;
    f = g;
    k = ((j - 2) % n + n) % n;
  }
  const int32_t n = SolidCornerCount(source, face);
  const Vec3 centre = GetMeshVertexCopy(source->faces[face].vertex[(edge + 1) % n], source);
  IndexPointsAsVertices(&ring, mesh);
  AddRingFaces(&ring, &centre, mesh);
  FreePointList(&ring);
}

void BuildNetFromSibling(PolyMesh* mesh, const BufferProcs* allocator, int32_t sourceNet, CurveNetParams* outline) {
  if (mesh == nullptr) return;
  if (!AllocMeshTables(mesh, allocator, kCurveMeshPoints, kCurveMeshFaces)) return;
  BufferId slot{};
  auto* source = static_cast<PolyMesh*>(AllocBuffer(int64_t(sizeof(PolyMesh)), &slot, allocator));
  if (source == nullptr) {
    ComputeFaceGeometry(mesh);
    LayoutNetFaces(mesh);
    return;
  }
  std::memset(source, 0, sizeof(PolyMesh));
  ResetPolyMesh(source);
  source->aspect = mesh->aspect;
  source->tabWidth = mesh->tabWidth;
  source->curveContext = mesh->curveContext;
  // The walk reads only the sibling's solid: its faces, their face points
  // and the neighbours across their edges.
  BuildCurveNet(source, allocator, sourceNet);
  InitCurveNetParams(outline);
  int32_t walks = 0;
  for (int32_t f = 0; f < source->faceCount; ++f) {
    for (int32_t k = 0; k < source->faces[f].vertexCount; ++k) {
      if (!source->faces[f].edgeWalked[k]) WalkFaceEdge(source, f, k, mesh, outline, walks++);
    }
  }
  FreeMeshTables(source, allocator);
  void* pointer = source;
  FreeBuffer(&pointer, &slot, allocator);
  StoreCurveNetFlags(outline, mesh);
  ComputeFaceGeometry(mesh);
  LayoutNetFaces(mesh);
}

void MarkOutlineEdge(const PointNode* segment, PolyMesh* mesh) {
  if (segment->parentA == nullptr || segment->parentB == nullptr) return;
  const int32_t a = segment->parentA->index;
  const int32_t b = segment->parentB->index;
  if (a < 0 || b < 0) return;
  for (int32_t f = 0; f < mesh->faceCount; ++f) {
    MeshFace& face = mesh->faces[f];
    const int32_t n = SolidCornerCount(mesh, f);
    int32_t edge = -1;
    for (int32_t k = 0; k < n && edge < 0; ++k) {
      if (face.vertex[k] == a && face.vertex[(k + 1) % n] == b) edge = k;
    }
    for (int32_t k = 0; k < n && edge < 0; ++k) {
      if (face.vertex[k] == a && face.vertex[(k + n - 1) % n] == b) edge = (k + n - 1) % n;
    }
    if (edge < 0) continue;
    face.edgeFlags[edge] |= kEdgeCut;
    if (segment->edgeFirst) {
      face.edgeFlags[edge] |= kEdgeCurveStart;
      mesh->preferMarkedStart = 1;
      face.startMark = 1;
      face.edgeFlags[(edge + n - 1) % n] |= kEdgeTriedLast;
    }
    if (segment->edgeLast) face.edgeFlags[edge] |= kEdgeCurveEnd;
    return;
  }
}

void MarkSiblingOutline(PolyMesh* mesh) {
  PointNode points, edges;
  InitPointList(&points);
  InitPointList(&edges);
  CurveNetParams params;
  InitCurveNetParams(&params);
  params.edgeList = &edges;
  BuildCurveOutline(&points, &params, kCubeArcNet);
  IndexPointsAsVertices(&points, mesh);
  for (PointNode* e = edges.next; !e->isHead; e = e->next) MarkOutlineEdge(e, mesh);
  FreePointList(&edges);
  FreePointList(&points);
  mesh->pieceMerge = 1;
  mesh->maxPieceFaces = kNet162MaxPieceFaces;
  mesh->recursiveAttach = 1;
}

bool ReattachSmallPieces(PolyMesh* mesh) {
  if (mesh == nullptr) return false;
  ComputeFaceGeometry(mesh);
  bool any = false;
  for (int32_t group = 0; group < kNetGroupCount; ++group) {
    const int32_t faces = mesh->groupFaceCounts[group];
    if (faces < 1 || faces > mesh->maxPieceFaces) continue;
    const std::vector<OutlineEdge> outline = PieceOutline(mesh, group);
    if (ReattachThroughMarkedNeighbour(mesh, outline) || ReattachAtCurveStart(mesh, outline) ||
        ReattachAtSmallestFace(mesh, outline)) {
      any = true;
    }
  }
  return any;
}

void BuildNet162Model(PolyMesh* mesh, const BufferProcs* allocator) {
  CurveNetParams outline;
  BuildNetFromSibling(mesh, allocator, kCubeArcNet, &outline);
  MarkSiblingOutline(mesh);
}

void MergeSmallPieces(PolyMesh* mesh) {
  if (!ReattachSmallPieces(mesh)) return;
  mesh->netFinished = 0;
  FinishNet(mesh);
}
