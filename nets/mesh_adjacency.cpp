#include "nets/mesh_adjacency.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "nets/flat_face.h"

namespace {

constexpr double kLongEdgeRatio = 4.0;
constexpr double kNoDihedral = 2.0;
constexpr int32_t kUnmarkedTag = -101;

int32_t ClampFaces(int32_t n) { return n < 0 ? 0 : (n > kMaxMeshFaces ? kMaxMeshFaces : n); }

double ClampedAcos(double c) { return std::acos(c < -1 ? -1 : (c > 1 ? 1 : c)); }

Vec3 Unit(const Vec3& from, const Vec3& to) {
  Vec3 d{to.x - from.x, to.y - from.y, to.z - from.z};
  const double length = LengthVec3d(&d);
  if (length > 0) d = Vec3{d.x / length, d.y / length, d.z / length};
  return d;
}

void Unit2(double fromX, double fromY, double toX, double toY, double* x, double* y) {
  const double dx = toX - fromX;
  const double dy = toY - fromY;
  const double length = std::sqrt(dx * dx + dy * dy);
  *x = length > 0 ? dx / length : 0;
  *y = length > 0 ? dy / length : 0;
}

// Face f's edge k, from corner k to corner k + 1, as a pair of indices (net
// points or vertices); false when either is missing.
bool EdgeEnds(const int32_t* corners, int32_t count, int32_t k, int32_t* a, int32_t* b) {
  *a = corners[k];
  *b = corners[(k + 1) % count];
  return *a >= 0 && *b >= 0;
}

// Links face f's net edge k with the faces below n that run it the other way;
// a later match overwrites an earlier one.
void MatchNetEdge(PolyMesh* mesh, int32_t f, int32_t k, int32_t n) {
  MeshFace& face = mesh->faces[f];
  const int32_t m = NetCornerCount(mesh, f);
  int32_t start, end;
  if (!EdgeEnds(face.netPoint, m, k, &start, &end)) return;
  for (int32_t g = 0; g < n; ++g) {
    if (g == f) continue;
    MeshFace& other = mesh->faces[g];
    const int32_t mg = NetCornerCount(mesh, g);
    for (int32_t j = 0; j < mg; ++j) {
      const int32_t before = (j + mg - 1) % mg;
      if (other.netPoint[j] != start || other.netPoint[before] != end) continue;
      face.netNeighbour[k] = g;
      face.netNeighbourEdge[k] = j;
      other.netNeighbour[before] = f;
      other.netNeighbourEdge[before] = (k + 1) % m;
    }
  }
}

void CountAndMatchNetFace(PolyMesh* mesh, int32_t f, int32_t n) {
  MeshFace& face = mesh->faces[f];
  const int32_t m = NetCornerCount(mesh, f);
  for (int32_t k = 0; k < m; ++k) {
    const int32_t p = face.netPoint[k];
    if (p >= 0 && p < kMaxNetPoints) ++mesh->netPointUseCount[p];
    if (face.netNeighbour[k] == -1) MatchNetEdge(mesh, f, k, n);
  }
}

void MatchSolidEdge(PolyMesh* mesh, int32_t f, int32_t k, int32_t n) {
  MeshFace& face = mesh->faces[f];
  const int32_t m = SolidCornerCount(mesh, f);
  int32_t start, end;
  if (!EdgeEnds(face.vertex, m, k, &start, &end)) return;
  for (int32_t g = 0; g < n; ++g) {
    if (g == f) continue;
    MeshFace& other = mesh->faces[g];
    const int32_t mg = SolidCornerCount(mesh, g);
    for (int32_t j = 0; j < mg; ++j) {
      const int32_t before = (j + mg - 1) % mg;
      if (other.vertex[j] != start || other.vertex[before] != end) continue;
      face.neighbour[k] = g;
      face.neighbourEdge[k] = j;
      other.neighbour[before] = f;
      other.neighbourEdge[before] = (k + 1) % m;
    }
  }
}

struct EdgeLengths {
  double shortest;
  double longest;
  int32_t shortestEdge;
};

EdgeLengths SolidEdgeLengths(const PolyMesh* mesh, int32_t f) {
  EdgeLengths e{0, 0, -1};
  const int32_t m = SolidCornerCount(mesh, f);
  for (int32_t k = 0; k < m; ++k) {
    const Vec3 a = GetMeshVertexCopy(mesh->faces[f].vertex[k], mesh);
    const Vec3 b = GetMeshVertexCopy(mesh->faces[f].vertex[(k + 1) % m], mesh);
    const double length = DistanceVec3d(&a, &b);
    if (e.shortestEdge < 0 || length < e.shortest) {
      e.shortest = length;
      e.shortestEdge = k;
    }
    if (k == 0 || length > e.longest) e.longest = length;
  }
  return e;
}

bool ValidNeighbour(int32_t g) { return g >= 0 && g < kMaxMeshFaces; }

// Style 2: a face most of whose neighbours carry another tag is cut from the
// neighbours whose generator points lie far away.
void CutFarNeighbours(PolyMesh* mesh, int32_t f) {
  const MeshFace& face = mesh->faces[f];
  const int32_t m = SolidCornerCount(mesh, f);
  double distance[kMaxFaceCorners];
  int32_t neighbours = 0, sameTag = 0;
  double shortest = 0, longest = 0;
  for (int32_t k = 0; k < m; ++k) {
    const int32_t g = face.neighbour[k];
    if (!ValidNeighbour(g)) continue;
    distance[k] = DistanceVec3d(&face.facePoint, &mesh->faces[g].facePoint);
    if (neighbours == 0 || distance[k] < shortest) shortest = distance[k];
    if (neighbours == 0 || distance[k] > longest) longest = distance[k];
    ++neighbours;
    if (mesh->faces[g].faceTag == face.faceTag) ++sameTag;
  }
  if (neighbours == 0 || sameTag >= neighbours - 1) return;
  const double threshold = (shortest + longest) / 2;
  for (int32_t k = 0; k < m; ++k) {
    if (ValidNeighbour(face.neighbour[k]) && distance[k] > threshold) MarkCutEdge(mesh, f, k);
  }
}

// Styles 3 and 4: cut between tags along every edge of a flagged face, or
// along the shortest edge of any other.
void CutTagEdges(PolyMesh* mesh, int32_t f, bool longFacesOnly) {
  const MeshFace& face = mesh->faces[f];
  const int32_t m = SolidCornerCount(mesh, f);
  if (m == 0) return;
  const EdgeLengths e = SolidEdgeLengths(mesh, f);
  if (longFacesOnly && e.longest < kLongEdgeRatio * e.shortest) return;
  for (int32_t k = 0; k < m; ++k) {
    if (!face.secondFlag && k != e.shortestEdge) continue;
    const int32_t g = face.neighbour[k];
    if (ValidNeighbour(g) && mesh->faces[g].faceTag != face.faceTag) MarkCutEdge(mesh, f, k);
  }
}

// Styles 1 and 7: cut between tags that lie more than a step apart.
void CutTagSteps(PolyMesh* mesh, int32_t f, int32_t step) {
  const MeshFace& face = mesh->faces[f];
  const int32_t m = SolidCornerCount(mesh, f);
  for (int32_t k = 0; k < m; ++k) {
    const int32_t g = face.neighbour[k];
    if (!ValidNeighbour(g)) continue;
    const int32_t other = mesh->faces[g].faceTag;
    const int32_t difference = std::abs(face.faceTag - other);
    const bool cut = face.secondFlag ? difference >= 2
                                     : difference > step && face.faceTag != kUnmarkedTag && other != kUnmarkedTag;
    if (cut) MarkCutEdge(mesh, f, k);
  }
}

// Style 5: a long thin face is cut along its sharpest fold.
void CutSharpestFold(PolyMesh* mesh, int32_t f) {
  const int32_t m = SolidCornerCount(mesh, f);
  if (m == 0) return;
  const EdgeLengths e = SolidEdgeLengths(mesh, f);
  if (e.longest < kLongEdgeRatio * e.shortest) return;
  double best = kNoDihedral;
  int32_t bestEdge = -1;
  for (int32_t k = 0; k < m; ++k) {
    const double c = DihedralCosine(mesh, f, k);
    if (c < best) {
      best = c;
      bestEdge = k;
    }
  }
  if (bestEdge >= 0) MarkCutEdge(mesh, f, bestEdge);
}

}  // namespace

void BuildNetAdjacency(PolyMesh* mesh, int32_t n) {
  if (mesh == nullptr) return;
  n = ClampFaces(n);
  SetNetNeighboursNone(mesh, n);
  // A full recount: a build runs this pass more than once.
  std::memset(mesh->netPointUseCount, 0, sizeof mesh->netPointUseCount);
  for (int32_t f = 0; f < n; ++f) CountAndMatchNetFace(mesh, f, n);
}

void LinkNetFace(PolyMesh* mesh, int32_t f) {
  if (mesh == nullptr || f < 0 || f >= kMaxMeshFaces) return;
  // Every net face that exists is a candidate, not only the first.
  int32_t n = ClampFaces(mesh->netFaceCount);
  if (n <= f) n = f + 1;
  CountAndMatchNetFace(mesh, f, n);
}

void LayoutNetFaces(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  const int32_t n = ClampFaces(mesh->faceCount);
  SetFaceNeighboursNone(mesh, n);
  std::memset(mesh->vertexUseCount, 0, sizeof mesh->vertexUseCount);
  for (int32_t f = 0; f < n; ++f) {
    MeshFace& face = mesh->faces[f];
    const int32_t m = SolidCornerCount(mesh, f);
    for (int32_t k = 0; k < m; ++k) {
      const int32_t v = face.vertex[k];
      if (v >= 0 && v < kMaxMeshVertices) ++mesh->vertexUseCount[v];
      if (face.neighbour[k] == -1) MatchSolidEdge(mesh, f, k, n);
    }
  }
  MarkCurveCutEdges(mesh);
}

void MarkCurveCutEdges(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  const int32_t n = ClampFaces(mesh->faceCount);
  const int32_t style = mesh->curveNetStyle;
  for (int32_t f = 0; f < n; ++f) {
    switch (style) {
      case 1: CutTagSteps(mesh, f, 1); break;
      case 2: CutFarNeighbours(mesh, f); break;
      case 3: CutTagEdges(mesh, f, false); break;
      case 4: CutTagEdges(mesh, f, true); break;
      case 5: CutSharpestFold(mesh, f); break;
      case 7: CutTagSteps(mesh, f, 3); break;
      default: return;
    }
  }
}

double DihedralCosine(const PolyMesh* mesh, int32_t f, int32_t k) {
  if (SolidCornerCount(mesh, f) < 3 || k < 0 || k >= kMaxFaceCorners) return kNoDihedral;
  const int32_t g = mesh->faces[f].neighbour[k];
  if (!ValidNeighbour(g) || SolidCornerCount(mesh, g) < 3) return kNoDihedral;
  Plane3d planes[2];
  const int32_t faces[2] = {f, g};
  for (int32_t i = 0; i < 2; ++i) {
    const MeshFace& face = mesh->faces[faces[i]];
    const Vec3 a = GetMeshVertexCopy(face.vertex[0], mesh);
    const Vec3 b = GetMeshVertexCopy(face.vertex[1], mesh);
    const Vec3 c = GetMeshVertexCopy(face.vertex[2], mesh);
    MakePlaneThroughPoints(&a, &b, &c, &planes[i]);
  }
  return DotVec3d(&planes[0].unitNormal, &planes[1].unitNormal);
}

void ComputeNetFaceAngles(PolyMesh* mesh) {
  if (mesh == nullptr || mesh->netPoints == nullptr) return;
  const int32_t n = ClampFaces(mesh->faceCount);
  for (int32_t f = 0; f < n; ++f) {
    MeshFace& face = mesh->faces[f];
    const int32_t m = NetCornerCount(mesh, f);
    if (m < kMinFaceCorners) continue;
    for (int32_t k = 0; k < m; ++k) {
      double px, py, bx, by, nx, ny;
      GetNetPointXY(face.netPoint[(k + m - 1) % m], mesh, &px, &py);
      GetNetPointXY(face.netPoint[k], mesh, &bx, &by);
      GetNetPointXY(face.netPoint[(k + 1) % m], mesh, &nx, &ny);
      double ux, uy, wx, wy;
      Unit2(bx, by, px, py, &ux, &uy);
      Unit2(bx, by, nx, ny, &wx, &wy);
      face.netCornerAngle[k] = float(ClampedAcos(ux * wx + uy * wy));
      face.edgeAngle[k] = float(ClampedAcos(wy));
    }
  }
}

void ComputeFaceGeometry(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  const int32_t n = ClampFaces(mesh->faceCount);
  for (int32_t f = 0; f < n; ++f) {
    MeshFace& face = mesh->faces[f];
    const int32_t m = SolidCornerCount(mesh, f);
    if (m < kMinFaceCorners) continue;
    Vec3 normal{0, 0, 0};
    for (int32_t k = 0; k < m; ++k) {
      const Vec3 a = GetMeshVertexCopy(face.vertex[(k + m - 1) % m], mesh);
      const Vec3 b = GetMeshVertexCopy(face.vertex[k], mesh);
      const Vec3 c = GetMeshVertexCopy(face.vertex[(k + 1) % m], mesh);
      const Vec3 u = Unit(b, a);
      const Vec3 w = Unit(b, c);
      face.cornerAngle[k] = float(ClampedAcos(DotVec3d(&u, &w)));
      if (k == m - 1) CrossVec3d(&normal, &u, &w);
    }
    NormalizeVec3d(&normal);
    // The last corner may be a reflex one: the flat face's lowest corner,
    // always convex, decides the side.
    face.normal = normal;
    FlatFace flat;
    FlattenFace(mesh, f, &flat, 0);
    if (FlatFaceOrientation(&flat) == -1) face.normal = Vec3{-normal.x, -normal.y, -normal.z};
    const Vec3 first = GetMeshVertexCopy(face.vertex[0], mesh);
    const double side = DotVec3d(&first, &face.normal);
    face.facing = side > 0 ? 1.0f : (side < 0 ? -1.0f : 0.0f);
    MakePlaneFromPointNormal(&first, &face.normal, &face.plane);
  }
}
