#include "nets/poly_mesh.h"

#include <cstring>

#include "host/host_memory.h"

namespace {

constexpr float kEmptyBoxMin = 1000.0f;
constexpr float kEmptyBoxMax = -999.0f;
constexpr int32_t kDefaultMaxPieceFaces = 10;

bool ValidFace(const PolyMesh* mesh, int32_t face) { return mesh != nullptr && face >= 0 && face < kMaxMeshFaces; }

int32_t ClampCount(int32_t n, int32_t limit) { return n < 0 ? 0 : (n > limit ? limit : n); }

// k mod n for any k and n > 0.
int32_t Wrap(int32_t k, int32_t n) {
  const int32_t r = k % n;
  return r < 0 ? r + n : r;
}

// The per-net options every build starts from.
void SetOptionDefaults(PolyMesh* mesh) {
  mesh->faceMapStyle = 1;
  mesh->mirrorX = 1;
  mesh->turnHalf = 0;
  mesh->flatVertexMap = nullptr;
  mesh->regionTable = nullptr;
  mesh->tabPhase = 0;
  mesh->generatedNet = 0;
  mesh->wideTabs = 0;
  mesh->recursiveAttach = 0;
  mesh->skipOverlapTest = 0;
  mesh->attachOption = 0;
  mesh->noCornerTriangles = 0;
  mesh->regionFromTriangle = 0;
  mesh->equirectCorners = 0;
  mesh->groupUnfold = 0;
  mesh->halfScale = 0;
  mesh->squareLayout = 0;
  mesh->useStoredBox = 0;
  mesh->preferMarkedStart = 0;
  mesh->regionFromNetGroup = 0;
  mesh->regionFromGroup = 0;
  mesh->regionFromTable = 0;
  mesh->edgeOption = 0;
  mesh->pieceMerge = 0;
  mesh->curveNetStyle = 0;
  mesh->netScale = 1.0;
  mesh->centreFace = -1;
  mesh->plainLayout = 1;
  mesh->storedMinX = kEmptyBoxMin;
  mesh->storedMaxX = kEmptyBoxMax;
  mesh->storedMinY = kEmptyBoxMin;
  mesh->storedMaxY = kEmptyBoxMax;
  mesh->nestedOutput = -1;
  mesh->maxPieceFaces = kDefaultMaxPieceFaces;
  // Nothing of an earlier net's seam or fold steps carries over.
  mesh->seamPairs[0] = -1;
  mesh->foldStepCount = 0;
}

void ForgetTables(PolyMesh* mesh) {
  mesh->netPoints = nullptr;
  mesh->vertices = nullptr;
  mesh->faceNetPointLists = nullptr;
  mesh->faceVertexLists = nullptr;
  for (BufferId& slot : mesh->tableSlots) slot = 0;
}

void FreeTable(const void* table, BufferId* slot, const BufferProcs* bufferProcs) {
  void* pointer = const_cast<void*>(table);
  FreeBuffer(&pointer, slot, bufferProcs);
}

void MoveUsedRenderPoints(PolyMesh* mesh, float fromX, float fromY, float scale) {
  const int32_t count = ClampCount(mesh->renderPointCount, kMaxRenderPoints);
  for (int32_t i = 0; i < count; ++i) {
    if (!mesh->netPointUsed[i]) continue;
    RenderPoint& p = mesh->renderPoints[i];
    p.x = (p.x - fromX) * scale + mesh->centreX;
    p.y = (p.y - fromY) * scale + mesh->centreY;
  }
}

// Region of the subdivision nets 163 and 164 by the group of a solid face.
int32_t SubdivisionGroupRegion(int32_t group) {
  switch (group) {
    case 7: case 8: case 10: case 12: return 1;
    case 14: case 15: case 17: case 19: return 2;
    case 21: case 22: case 24: case 26: return 3;
    case 2: case 20: return 4;
    case 6: case 9: return 5;
    case 4: case 27: return 6;
    case 18: case 23: return 7;
    case 13: case 16: return 8;
    case 11: case 25: return 9;
    default: return 0;
  }
}

}  // namespace

// --- lifecycle -------------------------------------------------------------------

void InitPolyMesh(PolyMesh* mesh, const BufferProcs* bufferProcs) {
  if (mesh == nullptr) return;
  FreeMeshTables(mesh, bufferProcs);
  SetOptionDefaults(mesh);
}

void ResetPolyMesh(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  ForgetTables(mesh);
  SetOptionDefaults(mesh);
  mesh->errorCode = kMeshNoError;
  mesh->matchFailed = 0;
  mesh->selectedFace = -1;
  mesh->selectedFaceCopy = -1;
  mesh->faceCount = 0;
  mesh->netFaceCount = 0;
  mesh->vertexCount = 0;
  mesh->renderPointCount = 0;
  mesh->renderTriangleCount = 0;
  mesh->netPointTotal = 0;
  mesh->netPointCursor = 0;
  mesh->maxNetGroup = 0;
  mesh->modelReady = 0;
  mesh->netFinished = 0;
  mesh->tablesOwned = 0;
  mesh->tabWidth = 0;
  mesh->tabWidthCopy = 0;
  mesh->netNumber = -1;
  mesh->curveNetWord = 0;
  mesh->curveContext = nullptr;
  mesh->viewCentre = Vec3{0, 0, 0};
  mesh->presetCentreX = mesh->presetCentreY = 0;
  mesh->presetScale = 1;
  // The output box and scale of an unfitted record.
  mesh->aspect = 1;
  mesh->layoutMinX = 0;
  mesh->layoutMaxX = 1;
  mesh->layoutMinY = 0;
  mesh->layoutMaxY = 1;
  mesh->centreX = mesh->centreY = 0.5f;
  for (int32_t i = 0; i < 4; ++i) mesh->centreCopies[i] = 0.5f;
  mesh->layoutScale = 1;
  mesh->unitFactorX = mesh->unitFactorY = 1;
  mesh->fittedMinX = mesh->fittedMaxX = mesh->fittedMinY = mesh->fittedMaxY = 0;
  mesh->netCentreX = mesh->netCentreY = 0;
  // Fields only the per-pixel mapping reads.
  for (float& value : mesh->selectedFaceValues) value = 0;
  mesh->selectedFaceShared = 0;
  mesh->spherePowerFlag = 0;
  mesh->spherePower = 1.0;
  mesh->normalise = 1;
}

bool AllocMeshTables(PolyMesh* mesh, const BufferProcs* bufferProcs, int32_t maxPoints, int32_t maxFaces) {
  (void)maxPoints;  // the tables always hold the full capacity
  if (mesh == nullptr) return false;
  FreeMeshTables(mesh, bufferProcs);
  ForgetTables(mesh);
  const int64_t sizes[4] = {kNetPointTableBytes, kVertexTableBytes, kFaceListTableBytes, kFaceListTableBytes};
  void* tables[4] = {nullptr, nullptr, nullptr, nullptr};
  for (int32_t i = 0; i < 4; ++i) {
    tables[i] = AllocBuffer(sizes[i], &mesh->tableSlots[i], bufferProcs);
    if (tables[i] == nullptr) {
      for (int32_t j = 0; j < i; ++j) FreeBuffer(&tables[j], &mesh->tableSlots[j], bufferProcs);
      ForgetTables(mesh);
      mesh->tablesOwned = 0;
      mesh->errorCode = kMeshNoTables;
      return false;
    }
    std::memset(tables[i], 0, size_t(sizes[i]));
  }
  mesh->netPoints = static_cast<const double*>(tables[0]);
  mesh->vertices = static_cast<const double*>(tables[1]);
  mesh->faceNetPointLists = static_cast<const uint16_t*>(tables[2]);
  mesh->faceVertexLists = static_cast<const uint16_t*>(tables[3]);
  mesh->tablesOwned = 1;
  mesh->modelReady = 0;
  mesh->netFinished = 0;
  mesh->faceCount = 0;
  mesh->vertexCount = 0;
  SetFaceNeighboursNone(mesh, maxFaces);
  SetNetNeighboursNone(mesh, maxFaces);
  return true;
}

void FreeMeshTables(PolyMesh* mesh, const BufferProcs* bufferProcs) {
  if (mesh == nullptr || !mesh->tablesOwned) return;
  FreeTable(mesh->netPoints, &mesh->tableSlots[0], bufferProcs);
  FreeTable(mesh->vertices, &mesh->tableSlots[1], bufferProcs);
  FreeTable(mesh->faceNetPointLists, &mesh->tableSlots[2], bufferProcs);
  FreeTable(mesh->faceVertexLists, &mesh->tableSlots[3], bufferProcs);
  ForgetTables(mesh);
  mesh->modelReady = 0;
  mesh->netFinished = 0;
  mesh->tablesOwned = 0;
}

void ClearMeshFace(MeshFace* face) {
  for (int32_t k = 0; k < kMaxFaceCorners; ++k) {
    face->neighbour[k] = face->neighbourEdge[k] = -1;
    face->netNeighbour[k] = face->netNeighbourEdge[k] = -1;
    face->netPoint[k] = face->vertex[k] = -1;
    face->edgeFlags[k] = 0;
    face->edgeWalked[k] = 0;
    // The net-side marks of an earlier build must not reach this one's
    // triangles (tabs, hidden faces, net groups).
    face->tabFlag[k] = face->outlineVisited[k] = face->attachMark[k] = 0;
  }
  face->netPointCount = face->vertexCount = 0;
  face->piece = face->rotation = face->netFace = -1;
  face->oppositeVertex = face->oppositeNetPoint = -1;
  face->startMark = 0;
  face->firstFlag = face->secondFlag = face->placed = face->netFlag = 0;
  face->netGroup = 0;
  face->depth = -1;
}

void ClearMeshFaces(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  mesh->centreFace = -1;
  mesh->faceCount = 0;
  mesh->netFaceCount = 0;
  mesh->modelReady = 0;
  mesh->netFinished = 0;
  mesh->skipOverlapTest = 0;
  for (MeshFace& face : mesh->faces) ClearMeshFace(&face);
  for (RenderTriangle& t : mesh->renderTriangles) {
    t.netFace = -1;
    t.tag = kNoTriangleTag;
    t.id = -1;
    t.netGroup = 0;
    t.extraTriangle = 0;
    t.hasOpposite = 0;
    t.skip = 0;
    t.edgeTab[0] = t.edgeTab[1] = t.edgeTab[2] = 0;
  }
  mesh->renderTriangleCount = 0;
  mesh->renderPointCount = 0;
  mesh->netPointCursor = 0;
  std::memset(mesh->netPointUsed, 0, sizeof mesh->netPointUsed);
  std::memset(mesh->netPointUseCount, 0, sizeof mesh->netPointUseCount);
  std::memset(mesh->vertexUseCount, 0, sizeof mesh->vertexUseCount);
  std::memset(mesh->netPointLayer, 0, sizeof mesh->netPointLayer);
}

// --- layout fit ------------------------------------------------------------------

void FitNetToOutput(PolyMesh* mesh, float aspect, float tabWidth) {
  if (mesh == nullptr) return;
  mesh->unitFactorX = mesh->unitFactorY = 1.0f;
  mesh->aspect = aspect;
  mesh->tabWidth = tabWidth;
  mesh->layoutScale = 1.0f;
  mesh->layoutMinX = 0;
  mesh->layoutMaxX = 1;
  mesh->layoutMinY = 0;
  mesh->layoutMaxY = aspect;
  mesh->centreX = 0.5f;
  mesh->centreY = aspect / 2;
  mesh->centreCopies[0] = mesh->centreCopies[2] = 0.5f;
  mesh->centreCopies[1] = mesh->centreCopies[3] = aspect / 2;
  mesh->renderPointCount = 0;
  mesh->renderTriangleCount = 0;
  mesh->squareLayout = 0;
  mesh->foldStepCount = 0;
  mesh->errorCode = kMeshNoError;
}

void UsedNetPointBounds(const PolyMesh* mesh, float* xmin, float* xmax, float* ymin, float* ymax) {
  bool any = false;
  float x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  const int32_t count = ClampCount(mesh->renderPointCount, kMaxRenderPoints);
  for (int32_t i = 0; i < count; ++i) {
    if (!mesh->netPointUsed[i]) continue;
    const RenderPoint& p = mesh->renderPoints[i];
    if (!any) {
      x0 = x1 = p.x;
      y0 = y1 = p.y;
      any = true;
      continue;
    }
    if (p.x < x0) x0 = p.x;
    if (p.x > x1) x1 = p.x;
    if (p.y < y0) y0 = p.y;
    if (p.y > y1) y1 = p.y;
  }
  *xmin = x0;
  *xmax = x1;
  *ymin = y0;
  *ymax = y1;
}

void FitMeshLayout(PolyMesh* mesh, int32_t fitMode) {
  if (mesh == nullptr) return;
  mesh->unitFactorX = mesh->unitFactorY = 1.0f;
  if (fitMode == kFitKeep) return;
  if (mesh->renderPointCount <= 0) {
    mesh->layoutScale = 1.0f;
    return;
  }
  if (mesh->squareLayout) {
    mesh->layoutMinX = mesh->layoutMinY = -1;
    mesh->layoutMaxX = mesh->layoutMaxY = 1;
  }
  mesh->centreX = (mesh->layoutMinX + mesh->layoutMaxX) / 2;
  mesh->centreY = (mesh->layoutMinY + mesh->layoutMaxY) / 2;
  float xmin, xmax, ymin, ymax;
  if (mesh->useStoredBox) {
    xmin = mesh->storedMinX;
    xmax = mesh->storedMaxX;
    ymin = mesh->storedMinY;
    ymax = mesh->storedMaxY;
  } else {
    UsedNetPointBounds(mesh, &xmin, &xmax, &ymin, &ymax);
  }
  mesh->netCentreX = (xmin + xmax) / 2;
  mesh->netCentreY = (ymin + ymax) / 2;
  float fromX, fromY;
  if (fitMode == kFitToBox) {
    const float boxWidth = mesh->layoutMaxX - mesh->layoutMinX;
    const float boxHeight = mesh->layoutMaxY - mesh->layoutMinY;
    const float netWidth = xmax - xmin;
    const float netHeight = ymax - ymin;
    // A net without extent on one axis is fitted by the other; a single
    // point keeps its size.
    const bool byWidth = netWidth > 0;
    const bool byHeight = netHeight > 0;
    const float sx = byWidth ? boxWidth / netWidth : 0;
    const float sy = byHeight ? boxHeight / netHeight : 0;
    if (byWidth && (!byHeight || sy > sx)) {
      mesh->layoutScale = sx;
      if (boxWidth != 0) mesh->unitFactorX = 1 / boxWidth;
    } else if (byHeight) {
      mesh->layoutScale = sy;
      if (boxHeight != 0) mesh->unitFactorY = 1 / boxHeight;
    } else {
      mesh->layoutScale = 1.0f;
    }
    fromX = mesh->netCentreX;
    fromY = mesh->netCentreY;
  } else if (fitMode == kFitPreset) {
    mesh->netCentreX = mesh->netCentreY = 0;
    mesh->layoutScale = mesh->presetScale;
    fromX = mesh->presetCentreX;
    fromY = mesh->presetCentreY;
  } else {
    return;
  }
  MoveUsedRenderPoints(mesh, fromX, fromY, mesh->layoutScale);
  const float s = mesh->layoutScale;
  mesh->fittedMinX = (xmin - fromX) * s + mesh->centreX;
  mesh->fittedMaxX = (xmax - fromX) * s + mesh->centreX;
  mesh->fittedMinY = (ymin - fromY) * s + mesh->centreY;
  mesh->fittedMaxY = (ymax - fromY) * s + mesh->centreY;
}

void SetMeshBounds(PolyMesh* mesh, float xmin, float ymin, float xmax, float ymax) {
  if (mesh == nullptr) return;
  mesh->renderPoints[0] = RenderPoint{xmin, ymin, 0, 0, 0};
  mesh->renderPoints[1] = RenderPoint{xmax, ymax, 0, 0, 0};
  mesh->netPointUsed[0] = mesh->netPointUsed[1] = 1;
  mesh->renderPointCount = 2;
  mesh->tabWidth = 0;
  mesh->useStoredBox = 0;
  FitMeshLayout(mesh, kFitToBox);
}

// --- accessors ---------------------------------------------------------------------

void GetNetPointXY(int32_t i, const PolyMesh* mesh, double* x, double* y) {
  if (mesh == nullptr || mesh->netPoints == nullptr || i < 0 || i >= kMaxNetPoints) {
    *x = *y = 0;
    return;
  }
  *x = mesh->netPoints[2 * i];
  *y = mesh->netPoints[2 * i + 1];
}

void GetMeshVertex(int32_t i, const PolyMesh* mesh, double* x, double* y, double* z) {
  if (mesh == nullptr || mesh->vertices == nullptr || i < 0 || i >= kMaxMeshVertices) {
    *x = *y = *z = 0;
    return;
  }
  *x = mesh->vertices[3 * i];
  *y = mesh->vertices[3 * i + 1];
  *z = mesh->vertices[3 * i + 2];
}

void MeshVertex(int32_t i, const PolyMesh* mesh, Vec3* out) { GetMeshVertex(i, mesh, &out->x, &out->y, &out->z); }

Vec3 GetMeshVertexCopy(int32_t i, const PolyMesh* mesh) {
  Vec3 v;
  MeshVertex(i, mesh, &v);
  return v;
}

int32_t NetCornerCount(const PolyMesh* mesh, int32_t face) {
  return ValidFace(mesh, face) ? ClampCount(mesh->faces[face].netPointCount, kMaxFaceCorners) : 0;
}

int32_t SolidCornerCount(const PolyMesh* mesh, int32_t face) {
  return ValidFace(mesh, face) ? ClampCount(mesh->faces[face].vertexCount, kMaxFaceCorners) : 0;
}

void FacePieceAndEdge(int32_t f, int32_t k, int32_t* piece, int32_t* edge, const PolyMesh* mesh) {
  const int32_t n = NetCornerCount(mesh, f);
  if (n == 0) {
    *piece = -1;
    *edge = -1;
    return;
  }
  *piece = mesh->faces[f].piece;
  *edge = Wrap(mesh->faces[f].rotation + k, n);
}

bool NetFaceOfPiece(int32_t piece, int32_t k, int32_t* netFace, int32_t* corner, const PolyMesh* mesh) {
  *netFace = 0;
  *corner = 0;
  if (mesh == nullptr || piece < 0) return false;
  const int32_t count = ClampCount(mesh->faceCount, kMaxMeshFaces);
  for (int32_t f = count - 1; f >= 0; --f) {
    if (mesh->faces[f].piece != piece) continue;
    const int32_t n = NetCornerCount(mesh, f);
    if (n == 0) return false;
    *netFace = f;
    *corner = Wrap(n - mesh->faces[f].rotation + k, n);
    return true;
  }
  return false;
}

int32_t NextNetCorner(const PolyMesh* mesh, int32_t f, int32_t k) {
  const int32_t n = NetCornerCount(mesh, f);
  return n == 0 ? 0 : Wrap(k + 1, n);
}

int32_t NextCorner(const PolyMesh* mesh, int32_t f, int32_t k) {
  const int32_t n = SolidCornerCount(mesh, f);
  return n == 0 ? 0 : Wrap(k + 1, n);
}

int32_t PrevCorner(const PolyMesh* mesh, int32_t f, int32_t k) {
  const int32_t n = SolidCornerCount(mesh, f);
  return n == 0 ? 0 : Wrap(k - 1, n);
}

int32_t ReadFaceList(int32_t face, const uint16_t* list, int32_t listLength, int32_t indices[kMaxFaceCorners]) {
  for (int32_t k = 0; k < kMaxFaceCorners; ++k) indices[k] = -1;
  if (list == nullptr || face < 0) return 0;
  int32_t at = 0;
  for (int32_t run = 0; run < face; ++run) {
    while (at < listLength && list[at] != 0) ++at;
    ++at;  // past the 0
  }
  int32_t count = 0;
  for (; at < listLength && list[at] != 0; ++at) {
    if (count < kMaxFaceCorners) indices[count++] = int32_t(list[at]) - 1;
  }
  return count;
}

void SetFaceNeighboursNone(PolyMesh* mesh, int32_t n) {
  if (mesh == nullptr) return;
  n = ClampCount(n, kMaxMeshFaces);
  for (int32_t f = 0; f < n; ++f) {
    for (int32_t k = 0; k < kMaxFaceCorners; ++k) mesh->faces[f].neighbour[k] = mesh->faces[f].neighbourEdge[k] = -1;
  }
}

void SetNetNeighboursNone(PolyMesh* mesh, int32_t n) {
  if (mesh == nullptr) return;
  n = ClampCount(n, kMaxMeshFaces);
  for (int32_t f = 0; f < n; ++f) {
    for (int32_t k = 0; k < kMaxFaceCorners; ++k) {
      mesh->faces[f].netNeighbour[k] = mesh->faces[f].netNeighbourEdge[k] = -1;
    }
  }
}

void MarkCutEdge(PolyMesh* mesh, int32_t face, int32_t edge) {
  if (!ValidFace(mesh, face) || edge < 0 || edge >= kMaxFaceCorners) return;
  mesh->faces[face].edgeFlags[edge] |= kEdgeCut;
}

bool IsEdgePreferred(const PolyMesh* mesh, int32_t face, int32_t edge) {
  if (!ValidFace(mesh, face) || edge < 0 || edge >= kMaxFaceCorners) return false;
  const MeshFace& f = mesh->faces[face];
  const int32_t g = f.neighbour[edge];
  if (g < 0 || g >= kMaxMeshFaces || (f.edgeFlags[edge] & kEdgeTriedLast)) return false;
  // The same edge seen from the neighbour ends at its corner neighbourEdge.
  const int32_t otherEdge = PrevCorner(mesh, g, f.neighbourEdge[edge]);
  return (mesh->faces[g].edgeFlags[otherEdge] & kEdgeTriedLast) == 0;
}

double FacePerimeter(const PolyMesh* mesh, int32_t face) {
  const int32_t n = SolidCornerCount(mesh, face);
  double sum = 0;
  for (int32_t k = 0; k < n; ++k) {
    const Vec3 a = GetMeshVertexCopy(mesh->faces[face].vertex[k], mesh);
    const Vec3 b = GetMeshVertexCopy(mesh->faces[face].vertex[(k + 1) % n], mesh);
    sum += DistanceVec3d(&a, &b);
  }
  return sum;
}

int32_t FaceRegion(int32_t face, const PolyMesh* mesh) {
  if (mesh == nullptr) return 0;
  if (face < 0) return -1;
  // A face beyond the net faces is read as the last one.
  if (face > mesh->netFaceCount - 1) face = mesh->netFaceCount - 1;
  if (face < 0 || face >= kMaxMeshFaces) return -1;
  if (mesh->netNumber == 163 || mesh->netNumber == 164) {
    const int32_t piece = mesh->faces[face].piece;
    if (piece < 0 || piece >= kMaxMeshFaces) return 0;
    return SubdivisionGroupRegion(mesh->faces[piece].group);
  }
  if (mesh->regionTable != nullptr) return mesh->regionTable[face];
  return face;
}
