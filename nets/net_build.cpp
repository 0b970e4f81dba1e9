#include "nets/net_build.h"

#include <cmath>
#include <cstring>

#include "geometry/vector.h"
#include "host/host_memory.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/catalogue_plain_layouts.h"
#include "nets/lobed_net_placement.h"
#include "nets/mesh_triangles.h"
#include "nets/net_catalogue.h"
#include "nets/net_layout.h"
#include "projection/output_shapes.h"

namespace {

struct DescriptorRow {
  int32_t output;
  int32_t net;
  uint8_t mode;
  uint8_t source;
  float angle;
};

// The outputs drawn as nets. Rows of source 0 and 2 leave the mode to the caller.
constexpr DescriptorRow kDescriptors[] = {
    // Nets of solids: the caller's parameters.
    {6, 16, 0, 0, 0}, {7, 18, 0, 0, 0}, {8, 19, 0, 0, 0}, {9, 9, 0, 0, 0}, {10, 23, 0, 0, 0}, {25, 7, 0, 0, 0},
    {26, 0, 0, 0, 0}, {27, 12, 0, 0, 0}, {28, 1, 0, 0, 0}, {29, 8, 0, 0, 0}, {30, 2, 0, 0, 0}, {31, 3, 0, 0, 0},
    {32, 4, 0, 0, 0}, {33, 5, 0, 0, 0}, {34, 6, 0, 0, 0}, {44, 13, 0, 0, 0}, {47, 17, 0, 0, 0}, {54, 20, 0, 0, 0},
    {55, 21, 0, 0, 0}, {168, 70, 0, 0, 0},
    // Flat layouts.
    {21, 28, 0, 1, 0}, {41, 10, 0, 1, 0}, {42, 11, 0, 1, 0}, {86, 29, 0, 1, 0}, {97, 30, 0, 1, 0},
    {98, 31, 0, 1, 0}, {100, 32, 0, 1, 0}, {101, 33, 0, 1, 0}, {102, 34, 0, 1, 0}, {103, 35, 0, 1, 0},
    {104, 36, 0, 1, 0}, {105, 37, 0, 1, 0}, {106, 38, 0, 1, 0}, {107, 39, 0, 1, 0}, {113, 40, 0, 1, 0},
    {114, 41, 0, 1, 0}, {115, 42, 0, 1, 0}, {116, 43, 0, 1, 0}, {117, 57, 0, 1, 0}, {122, 52, 0, 1, 0},
    {123, 53, 0, 1, 0}, {124, 54, 0, 1, 0}, {125, 55, 0, 1, 0}, {126, 56, 0, 1, 0}, {127, 46, 0, 1, 0},
    {129, 47, 0, 1, 0}, {137, 58, 0, 1, 0}, {144, 59, 0, 1, 0}, {150, 60, 0, 1, 0}, {167, 69, 0, 1, 0},
    {145, 61, 0, 1, 0}, {151, 62, 0, 1, 0}, {152, 63, 0, 1, 0}, {153, 63, 0, 1, 0}, {154, 63, 0, 1, 0},
    {155, 64, 0, 1, 0}, {166, 68, 0, 1, 0},
    // Geodesics and the thirtysphere: the caller's mode, the turn of the net.
    {174, 74, 0, 2, 0.3926991f}, {177, 80, 0, 2, 0.9581858f}, {178, 81, 0, 2, 1.350885f},
    {179, 82, 0, 2, 1.193805f}, {180, 83, 0, 2, 1.790708f}, {181, 84, 0, 2, 2.670354f},
    {182, 85, 0, 2, 0.2984513f}, {183, 86, 0, 2, 1.350885f}, {184, 87, 0, 2, 2.403318f},
    {185, 88, 0, 2, 2.38761f}, {186, 89, 0, 2, 1.822124f}, {187, 90, 0, 2, 1.743584f},
    {188, 91, 0, 2, 1.712168f}, {189, 92, 0, 2, 1.680752f}, {190, 93, 0, 2, 2.120575f},
    {191, 94, 0, 2, 2.38761f}, {192, 95, 0, 2, 2.371902f}, {193, 96, 0, 2, 2.293363f}, {194, 97, 0, 2, 0},
    {195, 98, 0, 2, 1.555088f}, {196, 99, 0, 2, 1.869248f}, {197, 100, 0, 2, 1.743584f},
    {198, 101, 0, 2, 2.010619f},
    // Generated nets that come flat.
    {70, 25, 2, 1, 3.092724f}, {71, 26, 2, 1, 4.194026f}, {72, 27, 2, 1, 5.078908f}, {161, 48, 2, 1, 0},
    {169, 71, 2, 1, 0.3490659f}, {170, 72, 2, 1, 0.1396263f}, {175, 76, 2, 1, -0.03926991f},
    {176, 77, 2, 1, 5.40354f}, {261, 163, 2, 1, 0}, {1035, 164, 2, 1, 0}, {1042, 49, 2, 1, 3.092724f},
    {10053, 75, 2, 1, -0.1867502f},
    // Sphericons.
    {199, 102, 2, 1, 2.513274f}, {200, 103, 2, 1, 1.570796f}, {201, 104, 2, 1, 2.199115f}, {202, 106, 2, 1, 0},
    {203, 136, 2, 1, 4.712389f}, {204, 105, 2, 1, 1.570796f}, {205, 107, 2, 1, 4.125958f},
    {206, 108, 2, 1, 3.612832f}, {207, 109, 2, 1, 4.897918f}, {208, 110, 2, 1, 8.042478f},
    {209, 111, 2, 1, 0.153938f}, {210, 113, 2, 1, 2.277655f}, {211, 137, 2, 1, 4.712389f},
    {212, 112, 2, 1, 1.570796f}, {213, 114, 2, 1, 1.570796f}, {214, 138, 2, 1, 4.712389f},
    {215, 115, 2, 1, 0.3926991f}, {216, 116, 2, 1, 4.780457f}, {217, 117, 2, 1, 7.853982f},
    {218, 118, 2, 1, 1.723164f}, {219, 119, 2, 1, 3.879867f}, {220, 122, 2, 1, 0}, {221, 139, 2, 1, 4.712389f},
    {222, 120, 2, 1, 1.570796f}, {223, 123, 2, 1, 5.362699f}, {224, 140, 2, 1, 4.712389f},
    {225, 121, 2, 1, 1.570796f}, {226, 124, 2, 1, 0}, {227, 125, 2, 1, 0.5340708f}, {228, 126, 2, 1, 5.335297f},
    {229, 127, 2, 1, 4.715705f}, {230, 128, 2, 1, 1.570796f}, {231, 129, 2, 1, 4.712389f}, {232, 130, 2, 1, 0},
    {233, 133, 2, 1, 2.481858f}, {234, 141, 2, 1, 4.712389f}, {235, 131, 2, 1, 1.570796f},
    {236, 134, 2, 1, 7.794641f}, {237, 142, 2, 1, 4.45059f}, {238, 132, 2, 1, 1.555088f},
    {239, 135, 2, 1, 7.665486f}, {240, 143, 2, 1, 0}, {241, 144, 2, 1, 0.5026549f}, {242, 145, 2, 1, 4.55723f},
    {243, 146, 2, 1, 2.042035f}, {244, 147, 2, 1, 1.954769f}, {245, 148, 2, 1, 4.888668f},
    {246, 149, 2, 1, 4.939282f},
    // The tetra tile.
    {64, 24, 5, 1, 0},
    // Curve nets and the shaped layouts that unfold without tabs.
    {156, 65, 6, 1, 0}, {157, 65, 6, 1, 0}, {158, 66, 6, 1, 0}, {162, 67, 6, 1, 0}, {163, 66, 6, 1, 0},
    {247, 150, 6, 1, 0}, {172, 18, 6, 1, 0}, {173, 73, 6, 1, 0}, {248, 151, 6, 1, 0}, {249, 153, 6, 1, 0},
    {250, 154, 6, 1, 0}, {253, 152, 6, 1, -2.399828f}, {254, 155, 6, 1, -2.687807f},
    {256, 156, 6, 1, -0.148353f}, {257, 157, 6, 1, -0.5235988f}, {258, 158, 6, 1, -0.3525565f},
    {259, 159, 6, 1, 0.6283185f}, {260, 160, 6, 1, -1.944297f}, {262, 162, 6, 1, 0},
};

int32_t Clamp(int32_t n, int32_t limit) { return n < 0 ? 0 : (n > limit ? limit : n); }

bool IsFlatLayoutOutput(int32_t output) {
  switch (output) {
    case 21: case 41: case 42: case 64: case 86: case 97: case 98:
    case 100: case 101: case 102: case 103: case 104: case 105: case 106: case 107:
    case 113: case 114: case 115: case 116: case 117:
    case 122: case 123: case 124: case 125: case 126: case 127: case 128: case 129:
    case 137: case 144: case 150: case 167:
      return true;
    default:
      return false;
  }
}

// (x a b, y a, z) of a vertex: the signs of the record's turn and mirror.
Vec3 SignedVertex(const PolyMesh* mesh, int32_t v) {
  const double a = mesh->turnHalf ? -1 : 1;
  const double b = mesh->mirrorX ? -1 : 1;
  const Vec3 p = GetMeshVertexCopy(v, mesh);
  return Vec3{p.x * a * b, p.y * a, p.z};
}

void SetRenderPoints(PolyMesh* mesh, int32_t mode, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  const bool byMap = mesh->flatVertexMap != nullptr || mode == kBuildFlatLayout || mode == kBuildTetraTile;
  const int32_t faces = Clamp(mesh->netFaceCount, kMaxMeshFaces);
  for (int32_t f = 0; f < faces; ++f) {
    const int32_t n = NetCornerCount(mesh, f);
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = mesh->faces[f].netPoint[k];
      if (p < 0 || p >= kMaxRenderPoints) continue;
      double x, y;
      GetNetPointXY(p, mesh, &x, &y);
      RenderPoint& r = mesh->renderPoints[p];
      r.x = float(x) * c - float(y) * s;
      r.y = float(x) * s + float(y) * c;
      int32_t v = -1;
      if (byMap) {
        v = mesh->flatVertexMap != nullptr ? mesh->flatVertexMap[p] : -1;
      } else {
        int32_t piece, edge;
        FacePieceAndEdge(f, k, &piece, &edge, mesh);
        if (piece < 0 || piece >= kMaxMeshFaces || edge < 0) continue;
        v = mesh->faces[piece].vertex[edge];
      }
      if (v < 0) continue;
      const Vec3 d = SignedVertex(mesh, v);
      r.d0 = float(d.x);
      r.d1 = float(d.y);
      r.d2 = float(d.z);
    }
  }
}

void SetFoldSteps(PolyMesh* mesh) {
  const int32_t count = Clamp(mesh->foldStepCount, kMaxFoldSteps + 1);
  for (int32_t i = 0; i < count; ++i) {
    FoldStep& step = mesh->foldSteps[i];
    step.direction = SignedVertex(mesh, step.vertex);
    MakePlaneThroughPointsCopy(SignedVertex(mesh, step.planeVertices[0]), SignedVertex(mesh, step.planeVertices[1]),
                               SignedVertex(mesh, step.planeVertices[2]), &step.plane);
  }
}

void BuildNestedNet(PolyMesh* mesh, int32_t mode, float angle, const BufferProcs* bufferProcs, bool fullQuality) {
  BufferId slot{};
  void* block = AllocBuffer(int64_t(sizeof(PolyMesh)), &slot, bufferProcs);
  if (block == nullptr) return;
  std::memset(block, 0, sizeof(PolyMesh));
  auto* nested = static_cast<PolyMesh*>(block);
  ResetPolyMesh(nested);
  FitNetToOutput(nested, mesh->aspect, mesh->tabWidth);
  NetDescriptor descriptor;
  NetDescriptorForOutput(mesh->nestedOutput, &descriptor);
  // A nested net never names itself again.
  if (descriptor.net != mesh->netNumber) {
    BuildNet(nested, descriptor.net, mode, kFitKeep, angle, bufferProcs, fullQuality);
    MergeNestedNet(mesh, nested);
  }
  FreeMeshTables(nested, bufferProcs);
  FreeBuffer(&block, &slot, bufferProcs);
}

// NetPointVertex of every net point in one pass over the faces: the first
// net face that holds a point names its vertex.
void FillNetPointVertices(PolyMesh* mesh) {
  for (int32_t i = 0; i < kMaxNetPoints; ++i) mesh->netPointVertex[i] = -1;
  static_assert(kMaxNetPoints <= 4096, "seen marks below");
  uint8_t seen[kMaxNetPoints] = {};
  const int32_t faces = Clamp(mesh->netFaceCount, kMaxMeshFaces);
  for (int32_t f = 0; f < faces; ++f) {
    const int32_t n = NetCornerCount(mesh, f);
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = mesh->faces[f].netPoint[k];
      if (p < 0 || p >= kMaxNetPoints || seen[p]) continue;
      seen[p] = 1;
      if (!mesh->netPointUsed[p]) continue;
      int32_t piece, edge;
      FacePieceAndEdge(f, k, &piece, &edge, mesh);
      if (piece >= 0 && piece < kMaxMeshFaces && edge >= 0 && edge < SolidCornerCount(mesh, piece)) {
        mesh->netPointVertex[p] = mesh->faces[piece].vertex[edge];
      }
    }
  }
}

void SetCentres(PolyMesh* mesh, int32_t mode) {
  const int32_t faces = Clamp(mesh->faceCount, kMaxMeshFaces);
  int32_t centre = mesh->centreFace;
  if (centre < 0 || centre >= faces) {
    centre = 0;
    int32_t most = -1;
    for (int32_t f = 0; f < faces; ++f) {
      if (SolidCornerCount(mesh, f) > most) {
        most = SolidCornerCount(mesh, f);
        centre = f;
      }
    }
  }
  if (mode == kBuildFlatLayout || mode == kBuildTetraTile) {
    mesh->viewCentre = Vec3{0, 0, -1};
    return;
  }
  Vec3 mean{0, 0, 0};
  const int32_t n = SolidCornerCount(mesh, centre);
  for (int32_t k = 0; k < n; ++k) {
    const Vec3 v = SignedVertex(mesh, mesh->faces[centre].vertex[k]);
    mean.x += v.x;
    mean.y += v.y;
    mean.z += v.z;
  }
  if (n > 0) mean = Vec3{mean.x / n, mean.y / n, mean.z / n};
  mesh->viewCentre = mean;
  for (int32_t f = 0; f < faces; ++f) {
    Vec3 c{0, 0, 0};
    const int32_t m = SolidCornerCount(mesh, f);
    for (int32_t k = 0; k < m; ++k) {
      const Vec3 v = SignedVertex(mesh, mesh->faces[f].vertex[k]);
      c.x += v.x;
      c.y += v.y;
      c.z += v.z;
    }
    NormalizeVec3d(&c);
    mesh->faces[f].centre = c;
    mesh->faces[f].centreF = Vec3f{float(c.x), float(c.y), float(c.z)};
  }
}

}  // namespace

// --- descriptors ------------------------------------------------------------------------

void NetDescriptorForOutput(int32_t output, NetDescriptor* descriptor) {
  *descriptor = NetDescriptor{-1, 0, 0, 0.0f, 0};
  OutputShape shape;
  GetOutputShape(output, &shape);
  if (shape.netNumber != -1) *descriptor = NetDescriptor{shape.netNumber, uint32_t(shape.netOption), 0, 0.0f, 1};
  for (const DescriptorRow& row : kDescriptors) {
    if (row.output != output) continue;
    *descriptor = NetDescriptor{row.net, row.mode, 0, row.angle, row.source};
    break;
  }
}

bool IsNetOutput(int32_t output) {
  NetDescriptor descriptor;
  NetDescriptorForOutput(output, &descriptor);
  return descriptor.net != -1;
}

bool IsNetOfSolid(int32_t output) {
  if (IsFlatLayoutOutput(output) || OutputShapeHasNet(output)) return false;
  return IsNetOutput(output);
}

bool IsSphericonNet(int32_t net) { return net >= 102 && net <= 149; }

bool IsSphericonOutput(int32_t output) {
  NetDescriptor descriptor;
  NetDescriptorForOutput(output, &descriptor);
  return IsSphericonNet(descriptor.net);
}

bool IsCurveNetOutput(int32_t output) {
  NetDescriptor descriptor;
  NetDescriptorForOutput(output, &descriptor);
  return descriptor.net >= 151 && descriptor.net <= 161;
}

// --- the model ---------------------------------------------------------------------------

void LoadCatalogueNet(PolyMesh* mesh, const CatalogueNet& entry, const BufferProcs* bufferProcs) {
  InitPolyMesh(mesh, bufferProcs);
  mesh->netPoints = entry.netPoints;
  mesh->vertices = entry.vertices;
  mesh->faceNetPointLists = entry.netPointLists;
  mesh->faceVertexLists = entry.vertexLists;
  mesh->flatVertexMap = entry.flatVertexMap;
  mesh->regionTable = entry.regionTable;
  mesh->modelReady = 1;
  mesh->netFinished = 1;
  mesh->tablesOwned = 0;
  const int32_t faces = Clamp(entry.faceCount, kMaxMeshFaces);
  mesh->faceCount = faces;
  int32_t highestPoint = -1, highestVertex = -1;
  for (int32_t f = 0; f < faces; ++f) {
    MeshFace& face = mesh->faces[f];
    int32_t indices[kMaxFaceCorners];
    face.netPointCount = ReadFaceList(f, entry.netPointLists, entry.netPointListLength, indices);
    for (int32_t k = 0; k < kMaxFaceCorners; ++k) {
      face.netPoint[k] = indices[k];
      if (indices[k] > highestPoint) highestPoint = indices[k];
    }
    face.vertexCount = ReadFaceList(f, entry.vertexLists, entry.vertexListLength, indices);
    for (int32_t k = 0; k < kMaxFaceCorners; ++k) {
      face.vertex[k] = indices[k];
      if (indices[k] > highestVertex) highestVertex = indices[k];
    }
  }
  mesh->netFaceCount = faces;
  const int32_t points = Clamp(highestPoint + 1, kMaxNetPoints);
  for (int32_t i = 0; i < points; ++i) mesh->netPointUsed[i] = 1;
  mesh->renderPointCount = points;
  mesh->netPointTotal = points;
  mesh->vertexCount = Clamp(highestVertex + 1, kMaxMeshVertices);
}

void BeginGeneratedNet(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs) {
  InitPolyMesh(mesh, bufferProcs);
  mesh->faceMapStyle = 1;
  mesh->flatVertexMap = nullptr;
  mesh->faceCount = 0;
  mesh->mirrorX = 0;
  mesh->turnHalf = 1;
  mesh->generatedNet = 1;
  mesh->modelReady = 0;
  mesh->netFinished = 0;
  mesh->skipOverlapTest = (net == 74 || (net >= 80 && net <= 101)) ? 0 : 1;
  if (net == 71 || net == 72 || net == 75 || net == 150) {
    mesh->equirectCorners = 1;
    mesh->regionFromNetGroup = 1;
    mesh->edgeOption = 1;
  }
  if (net == 75) mesh->turnHalf = 0;
}

void EndGeneratedNet(PolyMesh* mesh) {
  mesh->modelReady = 1;
  FinishNet(mesh);
  if (mesh->maxNetGroup >= 2 && mesh->pieceMerge) MergeSmallPieces(mesh);
  const int32_t points = Clamp(HighestUsedNetPoint(mesh) + 1, kMaxNetPoints);
  mesh->renderPointCount = points;
  mesh->netPointTotal = points;
}

void BuildNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality) {
  if (mesh == nullptr) return;
  mesh->netNumber = net;
  switch (net) {
    // Solids with a ready-made net.
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 12: case 13:
    case 16: case 17: case 18: case 19: case 20: case 21: case 23: case 65: case 66: case 70:
    case 73: case 79:
      BuildSolidNetModel(mesh, net, bufferProcs);
      break;
    // Flat layouts.
    case 10: case 11: case 15: case 24: case 28: case 29: case 30: case 31: case 32: case 33: case 34:
    case 35: case 36: case 37: case 38: case 39: case 40: case 41: case 42: case 43: case 46: case 47:
    case 51: case 52: case 53: case 54: case 55: case 56: case 57: case 58: case 59: case 60: case 61:
    case 62: case 63: case 64: case 67: case 68: case 69:
      if (!BuildPlainLayoutModel(mesh, net, bufferProcs)) BuildFlatLayoutModel(mesh, net, bufferProcs);
      break;
    default:
      if ((net >= 25 && net <= 27) || (net >= 48 && net <= 50) || net == 71 || net == 72 || net == 150 ||
          (net >= 74 && net <= 77) || (net >= 80 && net <= 149)) {
        BeginGeneratedNet(mesh, net, bufferProcs);
        if (BuildGeneratedNetModel(mesh, net, bufferProcs, fullQuality)) EndGeneratedNet(mesh);
      } else if (net >= 151 && net <= 164) {
        BeginGeneratedNet(mesh, net, bufferProcs);
        if (BuildCurveNetModel(mesh, net, bufferProcs, fullQuality)) EndGeneratedNet(mesh);
      }
      break;  // 14, 22, 44, 45, 78 and the rest have no model
  }
  mesh->netNumber = net;
  MarkLobedNet(mesh, net);
}

// --- the pipeline ----------------------------------------------------------------------------

void BuildNetForOutput(int32_t output, PolyMesh* mesh, float aspect, float tabWidth, int32_t fitMode, float angle,
                       int32_t mode, const BufferProcs* bufferProcs, bool fullQuality) {
  if (mesh == nullptr) return;
  NetDescriptor descriptor;
  NetDescriptorForOutput(output, &descriptor);
  if (descriptor.source == 1) {
    mode = int32_t(descriptor.buildMode);
    fitMode = descriptor.fitMode;
    angle = descriptor.angle;
  } else if (descriptor.source == 2 && mode != kBuildFaceExport) {
    angle = descriptor.angle;
  }
  mesh->viewCentre = Vec3{0, 0, 0};
  FitNetToOutput(mesh, aspect, tabWidth);
  BuildNet(mesh, descriptor.net, mode, fitMode, angle, bufferProcs, fullQuality);
}

int32_t BuildNet(PolyMesh* mesh, int32_t net, int32_t mode, int32_t fitMode, float angle,
                 const BufferProcs* bufferProcs, bool fullQuality) {
  if (mesh == nullptr || net == -1) return 0;
  mesh->maxNetGroup = 0;
  ClearMeshFaces(mesh);
  BuildNetModel(mesh, net, bufferProcs, fullQuality);

  const bool unfolds = mode == kBuildNet || mode == kBuildFaceExport || mode == kBuildNoTabs;
  if (unfolds) {
    MarkUsedNetPoints(mesh);
    BuildNetAdjacency(mesh, mesh->netFaceCount);
    ComputeFaceGeometry(mesh);
    LayoutNetFaces(mesh);
    ComputeNetFaceAngles(mesh);
    UnfoldMesh(mesh);
  } else if (mode == kBuildFlatLayout) {
    MarkUsedNetPoints(mesh);
  }

  if (mesh->nestedOutput == -1 && (mode == kBuildNet || mode == kBuildFaceExport)) {
    const int32_t faces = Clamp(mesh->netFaceCount, kMaxMeshFaces);
    if (mesh->tabWidth > 0) {
      for (int32_t f = 0; f < faces; ++f) {
        mesh->faces[f].netGroup = 0;
        for (int32_t k = 0; k < kMaxFaceCorners; ++k) mesh->faces[f].tabFlag[k] = mesh->faces[f].outlineVisited[k] = 0;
      }
      const bool assignGroup = mesh->generatedNet == 0;
      for (int32_t g = 1; TabChain(mesh, g, assignGroup) && g <= kMaxMeshFaces * kMaxFaceCorners; ++g) {
      }
    }
    // Every cut edge gets its tab on exactly one side, in one piece as in
    // several: the alternation along an outline alone does not promise it.
    if (mesh->tabWidth > 0) BalanceTabsOverEdges(mesh, mode != kBuildFaceExport);
  }

  SetRenderPoints(mesh, mode, angle);
  PlaceLobedNet(mesh);
  SetFoldSteps(mesh);

  mesh->renderTriangleCount = 0;
  const int32_t faces = Clamp(mesh->netFaceCount, kMaxMeshFaces);
  for (int32_t f = 0; f < faces; ++f) TriangulateNetFace(f, mesh);

  if (mode == kBuildNet || mode == kBuildFaceExport) {
    if (mesh->nestedOutput != -1) {
      BuildNestedNet(mesh, mode, angle, bufferProcs, fullQuality);
    } else {
      AddTabTriangles(mesh);
    }
  }
  // A net whose model is not there gets no corner triangles either.
  if (mode == kBuildFlatLayout && !mesh->noCornerTriangles && mesh->netFaceCount > 0) AddCornerTriangles(mesh);

  if (fitMode == kFitPreset && mesh->selectedFace >= 0) {
    // One face drawn alone: centred where its measure found it, at the scale
    // of the widest face.
    mesh->presetCentreX = mesh->selectedFaceValues[0];
    mesh->presetCentreY = mesh->selectedFaceValues[1];
    if (mesh->selectedFaceShared > 0) mesh->presetScale = mesh->selectedFaceShared;
  }
  FitMeshLayout(mesh, fitMode);
  mesh->tabWidthCopy = mesh->tabWidth;
  mesh->selectedFaceCopy = mesh->selectedFace;
  SetCentres(mesh, mode);
  FillNetPointVertices(mesh);
  const int32_t triangles = Clamp(mesh->renderTriangleCount, kMaxMeshTriangles);
  for (int32_t t = 0; t < triangles; ++t) ComputeTriangleInverseArea(t, mesh);
  PrecomputeQuadMaps(mesh);
  StoreTriangleCornerDirections(mesh);
  return mesh->renderTriangleCount;
}

// --- face images ------------------------------------------------------------------------------

float BuildExportNet(FaceExportTables* tables, int32_t output, int32_t faceCount, const BufferProcs* bufferProcs,
                     PolyMesh* mesh, float tabWidth, bool fullQuality) {
  if (tables == nullptr || mesh == nullptr) return 0.0f;
  PolyMesh* work = mesh;
  BufferId slot{};
  void* block = nullptr;
  int32_t target = output;
  if (mesh->nestedOutput != -1) {
    block = AllocBuffer(int64_t(sizeof(PolyMesh)), &slot, bufferProcs);
    if (block == nullptr) return 0.0f;
    std::memset(block, 0, sizeof(PolyMesh));
    work = static_cast<PolyMesh*>(block);
    ResetPolyMesh(work);
    target = mesh->nestedOutput;
  }
  NetDescriptor descriptor;
  NetDescriptorForOutput(target, &descriptor);
  float widest = 0, tallest = 0;
  const int32_t faces = Clamp(faceCount, kMaxMeshFaces);
  for (int32_t i = 0; i < faces; ++i) {
    work->selectedFace = i;
    auto build = [&](float angle) {
      FitNetToOutput(work, 1.0f, tabWidth);
      if (descriptor.source == 1) {
        BuildNet(work, descriptor.net, int32_t(descriptor.buildMode), descriptor.fitMode, descriptor.angle,
                 bufferProcs, fullQuality);
      } else {
        BuildNet(work, descriptor.net, kBuildFaceExport, kFitKeep, angle, bufferProcs, fullQuality);
      }
    };
    build(0.0f);
    const int32_t n = NetCornerCount(work, i);
    float edgeAngles[kMaxFaceCorners];
    for (int32_t k = 0; k < n; ++k) edgeAngles[k] = work->faces[i].edgeAngle[k];
    bool have = false;
    float bestWidth = 0, bestHeight = 0, bestAngle = 0, bestX = 0, bestY = 0;
    for (int32_t c = 0; c < 2 * n; ++c) {
      const float angle = (c % 2 == 0) ? edgeAngles[c / 2] : -edgeAngles[c / 2];
      build(angle);
      float xmin = 0, xmax = 0, ymin = 0, ymax = 0;
      RenderTriangleBounds(work, &xmin, &xmax, &ymin, &ymax, i, 0);
      const float width = xmax - xmin;
      if (!have || width < bestWidth) {
        have = true;
        bestWidth = width;
        bestHeight = ymax - ymin;
        bestAngle = angle;
        bestX = (xmin + xmax) / 2;
        bestY = (ymin + ymax) / 2;
      }
    }
    if (!have) continue;
    tables->values[3 * i] = bestX;
    tables->values[3 * i + 1] = bestY;
    tables->values[3 * i + 2] = bestAngle;
    if (bestWidth > widest) widest = bestWidth;
    if (bestHeight > tallest) tallest = bestHeight;
  }
  if (block != nullptr) {
    FreeMeshTables(work, bufferProcs);
    FreeBuffer(&block, &slot, bufferProcs);
  }
  if (!(widest > 0)) return 0.0f;
  tables->scale = 1.0f / widest;
  return tallest / widest;
}
