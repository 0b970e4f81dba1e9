#include "nets/net_catalogue_tables.h"

#include "nets/net_catalogue.h"

namespace {

// The output whose net is drawn into net 70's record as well.
constexpr int32_t kNestedDodecahedronOutput = 9;
constexpr int32_t kCubeCentreFace = 4;
constexpr int32_t kTetrahedronNetNumber = 16;

}  // namespace

const CatalogueNetTables* FindCatalogueNetTables(int32_t net) {
  for (int32_t i = 0; i < kCatalogueNetTableCount; ++i)
    if (kCatalogueNetTables[i].net == net) return &kCatalogueNetTables[i];
  return nullptr;
}

void SetCatalogueNetOptions(PolyMesh* mesh, int32_t net) {
  switch (net) {
    case 0:
    case 3:
    case 4:
    case 5:
    case 6:
    case 8:
    case 9:
    case 23:
      mesh->mirrorX = 0;
      mesh->attachOption = 1;
      break;
    case 1:
    case 2:
    case 7:
    case 12:
    case 19:
    case 20:
    case 79:
      mesh->turnHalf = 1;
      mesh->mirrorX = 0;
      break;
    case 13:
      mesh->turnHalf = 1;
      mesh->mirrorX = 0;
      mesh->wideTabs = 1;
      break;
    case 17:
      mesh->mirrorX = 0;
      break;
    case 21:
      mesh->turnHalf = 1;
      mesh->mirrorX = 0;
      mesh->tabPhase = 1;
      break;
    case 18:
    case 73:
      mesh->turnHalf = 1;
      mesh->mirrorX = 0;
      mesh->centreFace = kCubeCentreFace;
      break;
    case 65:
    case 66:
      mesh->mirrorX = 0;
      mesh->regionFromTriangle = 1;
      break;
    case 67:
      mesh->turnHalf = 1;
      mesh->mirrorX = 0;
      mesh->regionFromTriangle = 1;
      break;
    case 70:
      mesh->mirrorX = 0;
      mesh->attachOption = 1;
      mesh->regionFromTriangle = 1;
      mesh->noCornerTriangles = 1;
      mesh->nestedOutput = kNestedDodecahedronOutput;
      break;
    default:
      break;
  }
}

bool LoadCatalogueTables(PolyMesh* mesh, const CatalogueNetTables* tables, const BufferProcs* bufferProcs) {
  if (mesh == nullptr) return false;
  InitPolyMesh(mesh, bufferProcs);
  if (tables == nullptr) return false;
  mesh->netNumber = tables->net;
  mesh->netPoints = tables->netPoints;
  mesh->vertices = tables->vertices;
  mesh->faceNetPointLists = tables->netPointLists;
  mesh->faceVertexLists = tables->vertexLists;
  mesh->flatVertexMap = tables->flatVertexMap;
  mesh->regionTable = tables->regionTable;
  mesh->tablesOwned = 0;
  SetCatalogueNetOptions(mesh, tables->net);
  mesh->modelReady = 1;
  mesh->netFinished = 1;
  mesh->faceCount = tables->faceCount < kMaxMeshFaces ? tables->faceCount : kMaxMeshFaces;

  int32_t highestPoint = -1;
  int32_t highestVertex = -1;
  for (int32_t f = 0; f < mesh->faceCount; ++f) {
    MeshFace& face = mesh->faces[f];
    face.netPointCount = ReadFaceList(f, tables->netPointLists, tables->netPointListLength, face.netPoint);
    face.vertexCount = ReadFaceList(f, tables->vertexLists, tables->vertexListLength, face.vertex);
    for (int32_t k = 0; k < face.netPointCount; ++k)
      if (face.netPoint[k] > highestPoint) highestPoint = face.netPoint[k];
    for (int32_t k = 0; k < face.vertexCount; ++k)
      if (face.vertex[k] > highestVertex) highestVertex = face.vertex[k];
  }
  mesh->netFaceCount = mesh->faceCount;
  const int32_t total = highestPoint + 1 < kMaxNetPoints ? highestPoint + 1 : kMaxNetPoints;
  for (int32_t p = 0; p < total; ++p) mesh->netPointUsed[p] = 1;
  mesh->renderPointCount = total;
  mesh->netPointTotal = total;
  mesh->vertexCount = highestVertex + 1;
  return true;
}

bool LoadCatalogueSolidNet(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs) {
  const CatalogueNetTables* tables = FindCatalogueNetTables(net);
  if (!LoadCatalogueTables(mesh, tables, bufferProcs)) {
    if (mesh != nullptr) mesh->netNumber = net;
    return false;
  }
  return true;
}

// The family entry point of the net build: the tetrahedron's net as given,
// the other solids from the generated tables.
bool BuildSolidNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs) {
  if (mesh == nullptr) return false;
  if (net == kTetrahedronNetNumber) {
    LoadCatalogueNet(mesh, kTetrahedronNet, bufferProcs);
    mesh->netNumber = net;
    mesh->turnHalf = 1;
    mesh->mirrorX = 0;
    return true;
  }
  return LoadCatalogueSolidNet(mesh, net, bufferProcs);
}
