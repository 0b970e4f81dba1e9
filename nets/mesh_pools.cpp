#include "nets/mesh_pools.h"

#include <initializer_list>

#include "nets/mesh_adjacency.h"

namespace {

// The owned tables are the only ones the pools write; a catalogue table is
// shared, constant data.
double* WritableVertices(PolyMesh* mesh) {
  return mesh->tablesOwned ? const_cast<double*>(mesh->vertices) : nullptr;
}

double* WritableNetPoints(PolyMesh* mesh) {
  return mesh->tablesOwned ? const_cast<double*>(mesh->netPoints) : nullptr;
}

int32_t Fail(PolyMesh* mesh, int32_t code) {
  mesh->errorCode = code;
  return code;
}

int32_t PoolVertexCount(const PolyMesh* mesh) {
  if (mesh->vertices == nullptr) return 0;
  const int32_t n = mesh->vertexCount;
  return n < 0 ? 0 : (n > kMaxMeshVertices ? kMaxMeshVertices : n);
}

bool IsCurveNet(int32_t net) { return net >= 151 && net <= 161; }

// The same cycle of vertices, from any start, in the same or the opposite direction.
bool SameCycle(const int32_t* a, const int32_t* b, int32_t n) {
  for (int32_t start = 0; start < n; ++start) {
    bool forward = true;
    bool backward = true;
    for (int32_t k = 0; k < n && (forward || backward); ++k) {
      forward = forward && a[k] == b[(start + k) % n];
      backward = backward && a[k] == b[(start - k + n) % n];
    }
    if (forward || backward) return true;
  }
  return false;
}

}  // namespace

int32_t FindOrAddVertex(PolyMesh* mesh, const Vec3* point, double tolerance, int32_t* added) {
  if (added != nullptr) *added = 0;
  if (mesh == nullptr || point == nullptr) return -1;
  const double limit = tolerance * tolerance;
  const int32_t count = PoolVertexCount(mesh);
  for (int32_t i = 0; i < count; ++i) {
    const double* v = mesh->vertices + 3 * i;
    const double dx = v[0] - point->x;
    const double dy = v[1] - point->y;
    const double dz = v[2] - point->z;
    if (limit > dx * dx + dy * dy + dz * dz) return i;
  }
  double* table = WritableVertices(mesh);
  if (table == nullptr || mesh->vertexCount < 0 || mesh->vertexCount >= kMaxMeshVertices) {
    mesh->errorCode = kMeshVerticesFull;
    return -1;
  }
  const int32_t index = mesh->vertexCount;
  table[3 * index] = point->x;
  table[3 * index + 1] = point->y;
  table[3 * index + 2] = point->z;
  ++mesh->vertexCount;
  if (added != nullptr) *added = 1;
  return index;
}

int32_t FindOrAddVertexDefault(PolyMesh* mesh, const Vec3* point) {
  return FindOrAddVertex(mesh, point, kVertexTolerance, nullptr);
}

int32_t FindOrAddVertexVec(PolyMesh* mesh, Vec3 vector, double tolerance, int32_t* added) {
  return FindOrAddVertex(mesh, &vector, tolerance, added);
}

int32_t FindVertexNear(const PolyMesh* mesh, const Vec3* point, double tolerance) {
  if (mesh == nullptr || point == nullptr) return -1;
  const double limit = tolerance * tolerance;
  const int32_t count = PoolVertexCount(mesh);
  for (int32_t i = 0; i < count; ++i) {
    const double* v = mesh->vertices + 3 * i;
    const double dx = v[0] - point->x;
    const double dy = v[1] - point->y;
    const double dz = v[2] - point->z;
    if (limit > dx * dx + dy * dy + dz * dz) return i;
  }
  return -1;
}

int32_t FindOrAddNetPoint(PolyMesh* mesh, const NetPointRecord* record) {
  if (mesh == nullptr || record == nullptr) return -1;
  const double tolerance = IsCurveNet(mesh->netNumber) ? kCurveNetPointTolerance : double(kNetPointTolerance);
  const double limit = tolerance * tolerance;
  if (mesh->netPoints != nullptr) {
    for (int32_t i = 0; i < kMaxNetPoints; ++i) {
      if (!mesh->netPointUsed[i] || int32_t(mesh->netPointLayer[i]) != record->layer) continue;
      const double dx = mesh->netPoints[2 * i] - record->x;
      const double dy = mesh->netPoints[2 * i + 1] - record->y;
      if (limit > dx * dx + dy * dy) return i;
    }
  }
  double* table = WritableNetPoints(mesh);
  if (table != nullptr) {
    int32_t slot = mesh->netPointCursor;
    if (slot < 0 || slot >= kMaxNetPoints) slot = 0;
    for (int32_t probe = 0; probe < kMaxNetPoints; ++probe, slot = slot + 1 < kMaxNetPoints ? slot + 1 : 0) {
      if (mesh->netPointUsed[slot]) continue;
      table[2 * slot] = record->x;
      table[2 * slot + 1] = record->y;
      mesh->netPointTag[slot] = int16_t(record->tag);
      mesh->netPointLayer[slot] = int16_t(record->layer);
      mesh->netPointUsed[slot] = 1;
      mesh->netPointCursor = int16_t(slot);
      return slot;
    }
  }
  mesh->errorCode = kMeshNetPointsFull;
  return -1;
}

int32_t AddMeshFace(PolyMesh* mesh, const FaceRequest* request) {
  if (mesh == nullptr) return kMeshRepeatedVertex;
  if (request == nullptr || request->vertices == nullptr || request->count < kMinFaceCorners) {
    return Fail(mesh, kMeshRepeatedVertex);
  }
  const int32_t n = request->count;
  if (n > kMaxFaceCorners) return Fail(mesh, kMeshTooManyCorners);
  const int32_t* list = request->vertices;
  const int32_t vertices = PoolVertexCount(mesh);
  for (int32_t k = 0; k < n; ++k) {
    if (list[k] < 0 || list[k] >= vertices) return Fail(mesh, kMeshRepeatedVertex);
    for (int32_t j = 0; j < k; ++j) {
      if (list[j] == list[k]) return Fail(mesh, kMeshRepeatedVertex);
    }
  }
  const int32_t faces = mesh->faceCount < 0 ? 0 : mesh->faceCount;
  if (!request->deferred) {
    for (int32_t f = 0; f < faces && f < kMaxMeshFaces; ++f) {
      const MeshFace& face = mesh->faces[f];
      if (face.vertexCount == n && SameCycle(list, face.vertex, n)) return Fail(mesh, kMeshFaceExists);
    }
  }
  if (faces >= kMaxMeshFaces) return Fail(mesh, kMeshFacesFull);

  MeshFace& face = mesh->faces[faces];
  ClearMeshFace(&face);
  for (int32_t k = 0; k < n; ++k) face.vertex[k] = list[k];
  face.vertexCount = n;
  for (const int32_t cut : {request->cutEdgeA, request->cutEdgeB}) {
    if (cut >= 0 && cut < kMaxFaceCorners) face.edgeFlags[cut] |= kEdgeCut;
  }
  face.group = uint16_t(request->group);
  face.faceTag = request->faceTag;
  face.facePoint = request->facePoint;
  face.firstFlag = request->firstFlag;
  face.secondFlag = request->secondFlag;
  if (request->hasOpposite == 1) {
    const int32_t opposite = list[n];
    bool onFace = false;
    for (int32_t k = 0; k < n; ++k) onFace = onFace || list[k] == opposite;
    if (!onFace && opposite >= 0 && opposite < vertices) face.oppositeVertex = opposite;
  }
  mesh->faceCount = faces + 1;
  if (!request->deferred) {
    ComputeFaceGeometry(mesh);
    LayoutNetFaces(mesh);
  }
  return kMeshNoError;
}

int32_t PackAndAddFace(PolyMesh* mesh, const int32_t* list, int32_t count, int32_t cutEdgeA, uint8_t deferred,
                       int32_t hasOpposite, int32_t group, int32_t cutEdgeB, int32_t faceTag) {
  FaceRequest request;
  InitFaceRequest(&request);
  request.vertices = list;
  request.count = count;
  request.cutEdgeA = cutEdgeA;
  request.deferred = deferred;
  request.hasOpposite = hasOpposite;
  request.group = group;
  request.cutEdgeB = cutEdgeB;
  request.faceTag = faceTag;
  return AddMeshFace(mesh, &request);
}

void InitFaceRequest(FaceRequest* request) {
  *request = FaceRequest{nullptr, 0, -1, 0, 0, -1, -1, -1, 0, 0, Vec3{0, 0, 0}};
}

void SetMeshVertex(PolyMesh* mesh, int32_t i, const Vec3* point) {
  if (mesh == nullptr || i < 0 || i >= kMaxMeshVertices) return;
  double* table = WritableVertices(mesh);
  if (table == nullptr) return;
  table[3 * i] = point->x;
  table[3 * i + 1] = point->y;
  table[3 * i + 2] = point->z;
}

void OffsetMeshVertices(PolyMesh* mesh, const Vec3* vector) {
  if (mesh == nullptr || WritableVertices(mesh) == nullptr) return;
  const int32_t count = PoolVertexCount(mesh);
  for (int32_t i = 0; i < count; ++i) {
    const Vec3 v = GetMeshVertexCopy(i, mesh);
    Vec3 moved;
    AddVec3d(&moved, &v, vector);
    SetMeshVertex(mesh, i, &moved);
  }
}

void GetNetPoint(int32_t i, NetPointRecord* record, const PolyMesh* mesh) {
  *record = NetPointRecord{0, 0, 0, 0, -1, 0};
  if (mesh == nullptr || i < 0 || i >= kMaxNetPoints) return;
  GetNetPointXY(i, mesh, &record->x, &record->y);
  record->tag = mesh->netPointTag[i];
  record->layer = mesh->netPointLayer[i];
  record->index = i;
  record->used = mesh->netPointUsed[i];
}

void PutNetPoint(int32_t i, const NetPointRecord* record, PolyMesh* mesh) {
  if (mesh == nullptr || i < 0 || i >= kMaxNetPoints) return;
  double* table = WritableNetPoints(mesh);
  if (table == nullptr) return;
  table[2 * i] = record->x;
  table[2 * i + 1] = record->y;
  mesh->netPointTag[i] = int16_t(record->tag);
  mesh->netPointLayer[i] = int16_t(record->layer);
  mesh->netPointUsed[i] = 1;
}

int32_t HighestUsedNetPoint(const PolyMesh* mesh) {
  if (mesh == nullptr) return 0;
  for (int32_t i = kMaxNetPoints - 1; i >= 0; --i) {
    if (mesh->netPointUsed[i]) return i;
  }
  return 0;
}

int32_t MaxFaceVertexIndex(const PolyMesh* mesh) {
  if (mesh == nullptr) return -1;
  int32_t highest = -1;
  const int32_t faces = mesh->faceCount < kMaxMeshFaces ? mesh->faceCount : kMaxMeshFaces;
  for (int32_t f = 0; f < faces; ++f) {
    const int32_t n = SolidCornerCount(mesh, f);
    for (int32_t k = 0; k < n; ++k) {
      if (mesh->faces[f].vertex[k] > highest) highest = mesh->faces[f].vertex[k];
    }
  }
  return highest;
}

int32_t MaxNetPointIndex(const PolyMesh* mesh) {
  if (mesh == nullptr) return -1;
  int32_t highest = -1;
  const int32_t faces = mesh->faceCount < kMaxMeshFaces ? mesh->faceCount : kMaxMeshFaces;
  for (int32_t s = 0; s < faces; ++s) {
    const int32_t n = SolidCornerCount(mesh, s);
    for (int32_t k = 0; k < n; ++k) {
      int32_t netFace, corner;
      // A solid face that no net face shows has no net points.
      if (!NetFaceOfPiece(s, k, &netFace, &corner, mesh)) continue;
      const int32_t p = mesh->faces[netFace].netPoint[corner];
      if (p > highest) highest = p;
    }
  }
  return highest;
}

void TriangleFaceCorner(const PolyMesh* mesh, int32_t triangle, int32_t corner, int32_t* face, int32_t* position) {
  *face = -1;
  *position = -1;
  if (mesh == nullptr || triangle < 0 || triangle >= kMaxMeshTriangles || corner < 0 || corner > 2) return;
  const RenderTriangle& t = mesh->renderTriangles[triangle];
  if (t.netFace < 0) return;
  *face = t.netFace;
  const int32_t n = NetCornerCount(mesh, t.netFace);
  for (int32_t k = 0; k < n; ++k) {
    if (mesh->faces[t.netFace].netPoint[k] == t.points[corner]) {
      *position = k;
      return;
    }
  }
}
