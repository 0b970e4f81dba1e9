#include "nets/face_matching.h"

#include <cmath>

namespace {

// The nets whose search starts from another solid face than the first one of
// the start face's corner count.
constexpr int32_t kNetIcosahedron = 23;
constexpr int32_t kNetIcosahedronOther = 66;
constexpr int32_t kNetIcositetrahedron = 12;
constexpr int32_t kIcosahedronStartSolid = 5;
constexpr int32_t kIcosahedronOtherStartSolid = 1;
constexpr int32_t kIcositetrahedronStartSolid = 5;
constexpr int32_t kIcositetrahedronStartCorner = 3;
constexpr int32_t kNetDodo = 20;
constexpr int32_t kNetSpikeball = 13;
constexpr int32_t kNetGid = 21;
constexpr int32_t kGidPieceSize = 11;
constexpr int32_t kGidFirstCentre = 5;

bool AnglesNear(float a, float b) { return std::fabs(a - b) < 0.0025f; }

bool IsFace(const PolyMesh* mesh, int32_t f) { return f >= 0 && f < mesh->faceCount && f < kMaxMeshFaces; }

int32_t NetCorners(const PolyMesh* mesh, int32_t f) { return IsFace(mesh, f) ? NetCornerCount(mesh, f) : 0; }
int32_t SolidCorners(const PolyMesh* mesh, int32_t f) { return IsFace(mesh, f) ? SolidCornerCount(mesh, f) : 0; }

uint16_t NetPointUses(const PolyMesh* mesh, int32_t p) {
  return (p >= 0 && p < kMaxNetPoints) ? mesh->netPointUseCount[p] : 0;
}
uint16_t VertexUses(const PolyMesh* mesh, int32_t v) {
  return (v >= 0 && v < kMaxMeshVertices) ? mesh->vertexUseCount[v] : 0;
}

}  // namespace

bool AnglesMatch(int32_t netFace, int32_t netCorner, int32_t solidFace, int32_t solidCorner, const PolyMesh* mesh) {
  if (!IsFace(mesh, netFace) || !IsFace(mesh, solidFace)) return false;
  const int32_t n = NetCorners(mesh, netFace);
  if (n != SolidCorners(mesh, solidFace)) return false;
  if (n == 0) return true;
  const MeshFace& net = mesh->faces[netFace];
  const MeshFace& solid = mesh->faces[solidFace];
  for (int32_t r = 0; r < n; ++r) {
    const int32_t a = ((netCorner + r) % n + n) % n;
    const int32_t b = ((solidCorner + r) % n + n) % n;
    if (!AnglesNear(net.netCornerAngle[a], solid.cornerAngle[b])) return false;
  }
  return true;
}

void AssignPiece(int32_t netFace, int32_t solidFace, PolyMesh* mesh) {
  if (!IsFace(mesh, netFace)) return;
  MeshFace& face = mesh->faces[netFace];
  face.piece = solidFace;
  face.rotation = 0;
  if (!IsFace(mesh, solidFace) || NetCorners(mesh, netFace) != SolidCorners(mesh, solidFace) ||
      !AnglesMatch(netFace, 0, solidFace, 0, mesh)) {
    mesh->matchFailed = 1;
  }
}

void PairNetFace(int32_t netFace, int32_t netCorner, int32_t solidFace, int32_t solidCorner, PolyMesh* mesh) {
  if (!IsFace(mesh, netFace)) return;
  const int32_t n = NetCorners(mesh, netFace);
  if (n == 0) return;
  if (!IsFace(mesh, solidFace)) {
    // A net edge glued where the solid has no face: the shapes disagree.
    mesh->matchFailed = 1;
    return;
  }
  MeshFace& face = mesh->faces[netFace];
  face.piece = solidFace;
  face.rotation = (((n - netCorner + solidCorner) % n) + n) % n;
  if (!AnglesMatch(netFace, netCorner, solidFace, solidCorner, mesh)) mesh->matchFailed = 1;
}

// Depth first, in the order of a recursion over the edges of each face, with
// an explicit stack so that a long chain of faces cannot exhaust the call stack.
void PropagatePieces(int32_t netFace, PolyMesh* mesh) {
  if (!IsFace(mesh, netFace) || mesh->faces[netFace].piece < 0) return;
  struct Frame {
    int32_t face;
    int32_t edge;
  };
  Frame stack[kMaxMeshFaces + 1];
  int32_t depth = 0;
  stack[depth++] = Frame{netFace, 0};
  while (depth > 0) {
    Frame& top = stack[depth - 1];
    const MeshFace& f = mesh->faces[top.face];
    const int32_t n = NetCorners(mesh, top.face);
    if (top.edge >= n) {
      --depth;
      continue;
    }
    const int32_t k = top.edge++;
    const int32_t g = f.netNeighbour[k];
    if (!IsFace(mesh, g) || mesh->faces[g].piece >= 0) continue;
    const int32_t j = f.netNeighbourEdge[k];
    const int32_t s = f.piece;
    const int32_t e = (f.rotation + k) % n;
    if (!IsFace(mesh, s) || e >= SolidCorners(mesh, s)) {
      mesh->matchFailed = 1;
      continue;
    }
    const int32_t t = mesh->faces[s].neighbour[e];
    const int32_t u = mesh->faces[s].neighbourEdge[e];
    PairNetFace(g, j, t, u, mesh);
    // Each face is pushed once, when it is first paired: the stack never
    // holds more frames than there are faces.
    if (mesh->faces[g].piece >= 0 && depth <= kMaxMeshFaces) stack[depth++] = Frame{g, 0};
  }
}

int32_t FindSolidPair(int32_t solidFace, int32_t netFace, int32_t netCorner, int32_t netNeighbour,
                      int32_t neighbourCorner, int32_t* solidCorner, const PolyMesh* mesh, bool strict) {
  if (!IsFace(mesh, solidFace) || !IsFace(mesh, netFace) || !IsFace(mesh, netNeighbour)) return -1;
  const MeshFace& f = mesh->faces[netFace];
  const MeshFace& s0 = mesh->faces[solidFace];
  const int32_t nf = NetCorners(mesh, netFace);
  const int32_t ns = SolidCorners(mesh, solidFace);
  if (nf == 0 || ns == 0) return -1;
  const uint16_t u1 = NetPointUses(mesh, f.netPoint[((netCorner % nf) + nf) % nf]);
  const uint16_t u2 = NetPointUses(mesh, f.netPoint[(((netCorner + 1) % nf) + nf) % nf]);
  for (int32_t k = 0; k < ns; ++k) {
    const int32_t s = s0.neighbour[k];
    if (!IsFace(mesh, s) || NetCorners(mesh, netNeighbour) != SolidCorners(mesh, s)) continue;
    const uint16_t v1 = VertexUses(mesh, s0.vertex[k]);
    const uint16_t v2 = VertexUses(mesh, s0.vertex[(k + 1) % ns]);
    bool ok = strict ? (u1 == v1 && u2 == v2) : ((u1 > v1 && u2 > v2) || (u1 < v1 && u2 < v2));
    ok = ok && nf == ns && AnglesMatch(netFace, netCorner, solidFace, k, mesh);
    if (!ok) continue;
    if (!AnglesMatch(netNeighbour, neighbourCorner, s, s0.neighbourEdge[k], mesh)) continue;
    *solidCorner = k;
    return s;
  }
  return -1;
}

namespace {

int32_t SolidNeighbour(const PolyMesh* mesh, int32_t f, int32_t k) {
  if (!IsFace(mesh, f) || k >= SolidCorners(mesh, f)) return -1;
  return mesh->faces[f].neighbour[k];
}

// A pentagon with five equal corner angles.
bool IsRegularPentagon(const PolyMesh* mesh, int32_t f) {
  if (SolidCorners(mesh, f) != 5) return false;
  const MeshFace& face = mesh->faces[f];
  for (int32_t k = 0; k + 1 < 5; ++k)
    if (!AnglesNear(face.cornerAngle[k], face.cornerAngle[k + 1])) return false;
  return true;
}

}  // namespace

bool PairFixedNet(PolyMesh* mesh) {
  const int32_t faceCount = mesh->faceCount < kMaxMeshFaces ? mesh->faceCount : kMaxMeshFaces;
  switch (mesh->netNumber) {
    case kNetSpikeball:
      // Ten pieces of two spikes: net face 6q+5 is the piece's base face s,
      // 6q+2 its neighbour N across edge 0, the others the faces beside them
      // on their spikes.
      for (int32_t q = 0; q < 10; ++q) {
        const int32_t s = kSpikeballBaseFaces[q];
        const int32_t n = SolidNeighbour(mesh, s, 0);
        AssignPiece(6 * q + 5, s, mesh);
        AssignPiece(6 * q + 2, n, mesh);
        AssignPiece(6 * q + 4, SolidNeighbour(mesh, s, 3), mesh);
        AssignPiece(6 * q + 3, SolidNeighbour(mesh, s, 4), mesh);
        AssignPiece(6 * q + 1, SolidNeighbour(mesh, n, 3), mesh);
        AssignPiece(6 * q, SolidNeighbour(mesh, n, 4), mesh);
      }
      return true;
    case kNetGid:
      // Twelve pieces of eleven round a regular pentagon: net face 11q+5 is
      // the first regular pentagon of the solid not yet placed, unturned, and
      // the rest of its piece follows across the solid's edges.
      for (int32_t i = 0; i < faceCount; ++i) {
        mesh->faces[i].piece = -1;
        mesh->faces[i].placed = 0;
      }
      for (int32_t i = kGidFirstCentre; i < faceCount; i += kGidPieceSize) {
        int32_t s = 0;
        while (s < faceCount && (mesh->faces[s].placed || !IsRegularPentagon(mesh, s))) ++s;
        if (s == faceCount) {
          mesh->matchFailed = 1;
          break;
        }
        mesh->faces[s].placed = 1;
        AssignPiece(i, s, mesh);
        PropagatePieces(i, mesh);
      }
      return true;
    case kNetDodo:
      // Twelve pieces: net face 6q is solid face 6q unturned, and the rest of
      // its piece follows across the solid's edges.
      if (faceCount < 1) return false;
      for (int32_t i = 0; i < faceCount && i <= 66; i += 6) {
        AssignPiece(i, i, mesh);
        PropagatePieces(i, mesh);
      }
      return true;
    default:
      return false;
  }
}

bool UnfoldMesh(PolyMesh* mesh) {
  if (mesh == nullptr) return false;
  if (PairFixedNet(mesh)) return true;
  if (mesh->generatedNet) return true;
  const int32_t faceCount = mesh->faceCount < kMaxMeshFaces ? mesh->faceCount : kMaxMeshFaces;
  int32_t m = 0;
  for (int32_t f = 0; f < faceCount; ++f) m = NetCornerCount(mesh, f) > m ? NetCornerCount(mesh, f) : m;

  int32_t start = -1, a = -1, g = -1, b = -1, s0 = -1, c = -1, s1 = -1;
  if (mesh->netNumber == kNetIcositetrahedron) {
    // A fixed start: net face 0 corner 0 is solid face 5 corner 3.
    if (faceCount <= kIcositetrahedronStartSolid) return false;
    start = 0;
    a = 0;
    s0 = kIcositetrahedronStartSolid;
    c = kIcositetrahedronStartCorner;
    g = mesh->faces[0].netNeighbour[0];
    b = mesh->faces[0].netNeighbourEdge[0];
    s1 = mesh->faces[s0].neighbour[c];
  } else {
    for (int32_t pass = 0; pass < 2 && start < 0; ++pass) {
      const bool strict = pass == 0;
      for (int32_t i = 0; i < faceCount; ++i) {
        const int32_t n = NetCornerCount(mesh, i);
        if (n < 1) return false;
        a = -1;
        for (int32_t k = 0; k < n; ++k)
          if (mesh->faces[i].netNeighbour[k] >= 0) a = k;
        if (a < 0) return false;
        g = mesh->faces[i].netNeighbour[a];
        b = mesh->faces[i].netNeighbourEdge[a];
        s0 = -1;
        for (int32_t s = 0; s < faceCount && s0 < 0; ++s)
          if (SolidCornerCount(mesh, s) == n) s0 = s;
        if (s0 < 0) return false;
        if (mesh->netNumber == kNetIcosahedronOther) s0 = kIcosahedronOtherStartSolid;
        if (mesh->netNumber == kNetIcosahedron) s0 = kIcosahedronStartSolid;
        if (n < m) continue;
        s1 = FindSolidPair(s0, i, a, g, b, &c, mesh, strict);
        if (s1 < 0) continue;
        start = i;
        break;
      }
    }
    if (start < 0) return false;
  }
  const int32_t t = (IsFace(mesh, s0) && c >= 0 && c < kMaxFaceCorners) ? mesh->faces[s0].neighbourEdge[c] : -1;
  PairNetFace(start, a, s0, c, mesh);
  PairNetFace(g, b, s1, t, mesh);
  PropagatePieces(start, mesh);
  PropagatePieces(g, mesh);
  return true;
}
