#include "nets/unfold.h"

#include <cmath>
#include <utility>

#include "nets/mesh_pools.h"

namespace {

constexpr double kParallelLimit = 0.001;  // sine of the angle below which segments count as parallel
constexpr double kEndFraction = 0.001;    // crossings this near an end are touches
constexpr double kNearEdgeFraction = 0.01;

int32_t Wrap(int32_t k, int32_t n) {
  if (n <= 0) return 0;
  const int32_t r = k % n;
  return r < 0 ? r + n : r;
}

int32_t NetFaces(const PolyMesh* mesh) {
  const int32_t n = mesh->netFaceCount;
  return n < 0 ? 0 : (n > kMaxMeshFaces ? kMaxMeshFaces : n);
}

int32_t SolidFaces(const PolyMesh* mesh) {
  const int32_t n = mesh->faceCount;
  return n < 0 ? 0 : (n > kMaxMeshFaces ? kMaxMeshFaces : n);
}

void NetPointXY(const PolyMesh* mesh, int32_t p, double xy[2]) { GetNetPointXY(p, mesh, &xy[0], &xy[1]); }

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// One pass of the alignment: translate corner c onto P, turn edge c-1 .. c
// onto the direction P -> Q.
void AlignOnce(FlatFace* flat, int32_t c, const double P[2], const double Q[2]) {
  const int32_t n = flat->cornerCount;
  const float tx = float(P[0] - flat->corners[c].x);
  const float ty = float(P[1] - flat->corners[c].y);
  for (int32_t k = 0; k < n; ++k) {
    flat->corners[k].x += tx;
    flat->corners[k].y += ty;
  }
  const FlatCorner& prev = flat->corners[Wrap(c - 1, n)];
  const FlatCorner& at = flat->corners[c];
  float ax = float(Q[0] - P[0]), ay = float(Q[1] - P[1]);
  float bx = float(prev.x - at.x), by = float(prev.y - at.y);
  const float la = std::sqrt(ax * ax + ay * ay), lb = std::sqrt(bx * bx + by * by);
  if (la > 0) ax /= la, ay /= la;
  if (lb > 0) bx /= lb, by /= lb;
  const float angle = std::atan2(-ax, -ay) - std::atan2(-bx, -by);
  // The angle is measured clockwise; turn by it clockwise.
  const float cs = std::cos(angle), sn = std::sin(angle);
  for (int32_t k = 0; k < n; ++k) {
    const float dx = float(flat->corners[k].x - P[0]);
    const float dy = float(flat->corners[k].y - P[1]);
    flat->corners[k].x = P[0] + double(dx * cs + dy * sn);
    flat->corners[k].y = P[1] + double(-dx * sn + dy * cs);
  }
}

bool EdgeCut(const PolyMesh* mesh, int32_t face, int32_t edge) {
  if (face < 0 || face >= kMaxMeshFaces || edge < 0 || edge >= kMaxFaceCorners) return false;
  return (mesh->faces[face].edgeFlags[edge] & kEdgeCut) != 0;
}

// The mean of a flat face's corners: inside it whenever it is convex.
void FlatCentre(const FlatFace* flat, double m[2]) {
  m[0] = m[1] = 0;
  for (int32_t k = 0; k < flat->cornerCount; ++k) {
    m[0] += flat->corners[k].x;
    m[1] += flat->corners[k].y;
  }
  if (flat->cornerCount > 0) {
    m[0] /= flat->cornerCount;
    m[1] /= flat->cornerCount;
  }
}

// A point strictly inside the face: inside by the ray rule and off its edges.
bool StrictlyInside(const double m[2], const FlatFace* flat) {
  return !PointNearFlatFaceEdge(m, flat) && PointInFlatFace(m, flat);
}

}  // namespace

bool NearlyEqualF(float a, float b) { return std::fabs(a - b) < 0.0025f; }

void AlignFlatFaceToEdge(FlatFace* flat, int32_t c, int32_t n, int32_t k, const PolyMesh* mesh) {
  const int32_t count = NetCornerCount(mesh, n);
  if (count == 0 || flat->cornerCount < 3 || c < 0 || c >= flat->cornerCount) return;
  double P[2], Q[2];
  NetPointXY(mesh, mesh->faces[n].netPoint[Wrap(k, count)], P);
  NetPointXY(mesh, mesh->faces[n].netPoint[Wrap(k + 1, count)], Q);
  AlignOnce(flat, c, P, Q);
  if (FlatFaceOrientation(flat) < 0) {
    for (int32_t j = 0; j < flat->cornerCount; ++j) {
      const double x = flat->corners[j].x;
      flat->corners[j].x = flat->corners[j].y;
      flat->corners[j].y = x;
    }
    AlignOnce(flat, c, P, Q);
  }
}

int32_t AttachFlatFace(PolyMesh* mesh, const FlatFace* flat, bool useGivenIndex, int32_t index) {
  if (mesh == nullptr || flat == nullptr) return -1;
  int32_t f = useGivenIndex ? index : mesh->netFaceCount;
  if (f < 0 || f >= kMaxMeshFaces) {
    mesh->errorCode = kMeshNetFacesFull;
    return -1;
  }
  const int32_t layer = flat->cornerCount > 0 ? flat->corners[0].layerTag : 0;
  int32_t points[kMaxFaceCorners];
  const int32_t n = flat->cornerCount < kMaxFaceCorners ? flat->cornerCount : kMaxFaceCorners;
  for (int32_t k = 0; k < n; ++k) {
    const FlatCorner& c = flat->corners[k];
    const NetPointRecord record{c.x, c.y, c.vertex, c.layerTag, -1, 0};
    points[k] = FindOrAddNetPoint(mesh, &record);
  }
  if (!useGivenIndex) ++mesh->netFaceCount;
  MeshFace& face = mesh->faces[f];
  for (int32_t k = 0; k < kMaxFaceCorners; ++k) {
    face.netPoint[k] = k < n ? points[k] : -1;
    face.netNeighbour[k] = face.netNeighbourEdge[k] = -1;
  }
  face.netPointCount = n < kMinFaceCorners ? kMinFaceCorners : n;
  face.netGroup = uint16_t(layer);
  if (layer >= 0 && layer < kNetGroupCount) {
    if (layer > mesh->maxNetGroup) mesh->maxNetGroup = layer;
    ++mesh->groupFaceCounts[layer];
    mesh->groupLastFaces[layer] = f;
  }
  face.piece = flat->sourceFace;
  face.rotation = 0;
  face.facing = float(flat->tilt);
  if (flat->sourceFace >= 0 && flat->sourceFace < kMaxMeshFaces) {
    MeshFace& solid = mesh->faces[flat->sourceFace];
    solid.placed = 1;
    solid.netFace = f;
    face.netFlag = solid.firstFlag;
  }
  return f;
}

void LoadFlatNetFace(FlatFace* flat, int32_t netFace, const PolyMesh* mesh) {
  const int32_t n = NetCornerCount(mesh, netFace);
  flat->cornerCount = n;
  flat->sourceFace = n > 0 ? mesh->faces[netFace].piece : -1;
  flat->tilt = 0;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t p = mesh->faces[netFace].netPoint[k];
    double xy[2];
    NetPointXY(mesh, p, xy);
    flat->corners[k] = FlatCorner{xy[0], xy[1], -1, mesh->faces[netFace].netGroup};
  }
}

int32_t SegmentCrossing(const double a[2], const double b[2], const double c[2], const double d[2], double point[2],
                        double* fraction) {
  const double rx = b[0] - a[0], ry = b[1] - a[1];
  const double sx = d[0] - c[0], sy = d[1] - c[1];
  const double denominator = Cross(rx, ry, sx, sy);
  const double qx = c[0] - a[0], qy = c[1] - a[1];
  const double numeratorT = Cross(qx, qy, sx, sy);
  const double numeratorU = Cross(qx, qy, rx, ry);
  const double lengths = std::sqrt(rx * rx + ry * ry) * std::sqrt(sx * sx + sy * sy);
  if (std::fabs(denominator) <= kParallelLimit * lengths) {
    // Collinear when c lies on the line of a-b (its distance small against the lengths).
    const double rLength = std::sqrt(rx * rx + ry * ry);
    const double scale = rLength * std::fmax(std::sqrt(qx * qx + qy * qy), std::sqrt(sx * sx + sy * sy));
    if (std::fabs(numeratorU) > kParallelLimit * scale) return kSegmentsParallel;
    if (rLength == 0) return kSegmentsCollinearApart;
    // Project c and d onto a-b.
    const double r2 = rx * rx + ry * ry;
    double t0 = (qx * rx + qy * ry) / r2;
    double t1 = ((d[0] - a[0]) * rx + (d[1] - a[1]) * ry) / r2;
    if (t0 > t1) std::swap(t0, t1);
    const double lo = std::fmax(t0, 0.0), hi = std::fmin(t1, 1.0);
    if (hi - lo <= kEndFraction) return kSegmentsCollinearApart;
    *fraction = hi - lo;
    return kSegmentsCollinearOverlap;
  }
  const double t = numeratorT / denominator;
  const double u = numeratorU / denominator;
  point[0] = a[0] + t * rx;
  point[1] = a[1] + t * ry;
  *fraction = t;
  const bool inT = t >= kEndFraction && t <= 1 - kEndFraction;
  const bool inU = u >= kEndFraction && u <= 1 - kEndFraction;
  return inT && inU ? kSegmentsCross : kSegmentsMeetOutside;
}

bool PointInFlatFace(const double m[2], const FlatFace* flat) {
  bool inside = false;
  const int32_t n = flat->cornerCount;
  for (int32_t k = 0; k < n; ++k) {
    const FlatCorner& A = flat->corners[k];
    const FlatCorner& B = flat->corners[Wrap(k + 1, n)];
    const double lowY = std::fmin(A.y, B.y), highY = std::fmax(A.y, B.y);
    if (!(m[1] >= lowY && m[1] < highY)) continue;
    const double x = A.x + (m[1] - A.y) * (B.x - A.x) / (B.y - A.y);
    if (x > m[0]) inside = !inside;
  }
  return inside;
}

bool PointNearFlatFaceEdge(const double m[2], const FlatFace* flat) {
  const int32_t n = flat->cornerCount;
  for (int32_t k = 0; k < n; ++k) {
    const FlatCorner& A = flat->corners[k];
    const FlatCorner& B = flat->corners[Wrap(k + 1, n)];
    const double ex = B.x - A.x, ey = B.y - A.y;
    const double length2 = ex * ex + ey * ey;
    double t = length2 > 0 ? ((m[0] - A.x) * ex + (m[1] - A.y) * ey) / length2 : 0;
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    const double dx = A.x + t * ex - m[0], dy = A.y + t * ey - m[1];
    if (std::sqrt(dx * dx + dy * dy) < kNearEdgeFraction * std::sqrt(length2)) return true;
  }
  return false;
}

bool FaceOverlapsPlaced(const FlatFace* flat, int32_t netFace, const PolyMesh* mesh, int32_t skipFace,
                        int32_t skipEdge) {
  const int32_t n = NetCornerCount(mesh, netFace);
  if (n == 0 || flat->cornerCount < 3) return false;
  const MeshFace& face = mesh->faces[netFace];
  for (int32_t j = 0; j < n; ++j) {
    if (netFace == skipFace && j == skipEdge) continue;
    double P[2], Q[2];
    NetPointXY(mesh, face.netPoint[j], P);
    NetPointXY(mesh, face.netPoint[Wrap(j + 1, n)], Q);
    for (int32_t k = 0; k < flat->cornerCount; ++k) {
      const FlatCorner& A = flat->corners[k];
      const FlatCorner& B = flat->corners[Wrap(k + 1, flat->cornerCount)];
      const double a[2] = {A.x, A.y}, b[2] = {B.x, B.y};
      double point[2], fraction;
      if (SegmentCrossing(a, b, P, Q, point, &fraction) == kSegmentsCross) return true;
    }
  }
  if (netFace != skipFace) {
    for (int32_t j = 0; j < n; ++j) {
      double P[2], Q[2];
      NetPointXY(mesh, face.netPoint[j], P);
      NetPointXY(mesh, face.netPoint[Wrap(j + 1, n)], Q);
      const double M[2] = {(P[0] + Q[0]) / 2, (P[1] + Q[1]) / 2};
      if (StrictlyInside(M, flat)) return true;
    }
  }
  // Faces that lie on one another (or one inside the other) cross at no
  // edge and have every edge midpoint on an edge: their centres tell.
  // Only a centre that lies inside its own face speaks for it (a face that
  // is not convex may have its mean outside).
  FlatFace placed;
  LoadFlatNetFace(&placed, netFace, mesh);
  double centre[2];
  FlatCentre(flat, centre);
  if (StrictlyInside(centre, flat) && StrictlyInside(centre, &placed)) return true;
  FlatCentre(&placed, centre);
  return StrictlyInside(centre, &placed) && StrictlyInside(centre, flat);
}

bool OverlapsAnyPlaced(const FlatFace* flat, const PolyMesh* mesh, int32_t skipFace, int32_t skipEdge) {
  if (mesh->skipOverlapTest || mesh->netFaceCount <= 0 || flat->cornerCount <= 0) return false;
  const int32_t layer = flat->corners[0].layerTag;
  const int32_t count = NetFaces(mesh);
  for (int32_t f = 0; f < count; ++f) {
    if (int32_t(mesh->faces[f].netGroup) != layer) continue;
    if (FaceOverlapsPlaced(flat, f, mesh, skipFace, skipEdge)) return true;
  }
  return false;
}

bool IsFaceInGroup(const PolyMesh* mesh, int32_t face, int32_t group) {
  if (face < 0 || face >= SolidFaces(mesh)) return false;
  if (mesh->netNumber == 164) return true;
  const int32_t g = mesh->faces[face].group;
  if (mesh->netNumber == 163 && group >= 1 && group <= 4) {
    switch (group) {
      case 1: return g < 7 || g == 9 || g == 20 || g == 27;
      case 2: return (g >= 6 && g <= 13) || g == 16 || g == 25;
      case 3: return (g >= 14 && g <= 20) || g == 2 || g == 23 || g == 13;
      default: return (g >= 21 && g <= 27) || g == 4 || g == 18 || g == 11;
    }
  }
  // Without group unfolding every face takes part in every pass (each pass
  // starts a new piece from the first face not yet placed); with it a face
  // takes part in the pass of its own group.
  if (mesh->groupUnfold == 0) return true;
  return g == group;
}

int32_t FindStartFace(const PolyMesh* mesh, int32_t group) {
  const int32_t count = SolidFaces(mesh);
  for (int32_t f = 0; f < count; ++f) {
    if (!mesh->faces[f].placed && SolidCornerCount(mesh, f) >= kMinFaceCorners && IsFaceInGroup(mesh, f, group)) return f;
  }
  return -1;
}

int32_t FindMarkedStartFace(const PolyMesh* mesh, int32_t group) {
  const int32_t count = SolidFaces(mesh);
  for (int32_t f = 0; f < count; ++f) {
    if (!mesh->faces[f].placed && mesh->faces[f].startMark && SolidCornerCount(mesh, f) >= kMinFaceCorners &&
        IsFaceInGroup(mesh, f, group)) {
      return f;
    }
  }
  return -1;
}

int32_t AttachFacesRecursive(PolyMesh* mesh, int32_t netFace, int32_t depth, int32_t group) {
  const int32_t n = NetCornerCount(mesh, netFace);
  if (n == 0 || mesh->faces[netFace].piece < 0) return 0;
  int32_t attached = 0;
  for (int32_t preferredPass = 1; preferredPass >= 0; --preferredPass) {
    for (int32_t k = 0; k < n; ++k) {
      int32_t p, e;
      FacePieceAndEdge(netFace, k, &p, &e, mesh);
      if (p < 0 || p >= kMaxMeshFaces) continue;
      if (IsEdgePreferred(mesh, p, e) != (preferredPass == 1)) continue;
      if (mesh->faces[netFace].netNeighbour[k] != -1) continue;
      mesh->faces[netFace].attachMark[k] = 0;
      if (EdgeCut(mesh, p, e)) continue;
      const int32_t q = mesh->faces[p].neighbour[e];
      if (q < 0 || q >= SolidFaces(mesh) || mesh->faces[q].placed) continue;
      FlatFace flat;
      FlattenFace(mesh, q, &flat, mesh->faces[netFace].netGroup);
      const int32_t e2 = mesh->faces[p].neighbourEdge[e];
      if (!IsFaceInGroup(mesh, q, group) || flat.cornerCount < 3 || e2 < 0 || e2 >= flat.cornerCount) continue;
      if (EdgeCut(mesh, q, Wrap(e2 - 1, flat.cornerCount))) continue;
      AlignFlatFaceToEdge(&flat, e2, netFace, k, mesh);
      if (OverlapsAnyPlaced(&flat, mesh, -1, -1)) continue;
      const int32_t g = AttachFlatFace(mesh, &flat, false, 0);
      if (g < 0) continue;
      mesh->faces[g].depth = depth + 1;
      ++attached;
      if (mesh->recursiveAttach) attached += AttachFacesRecursive(mesh, g, depth + 1, group);
    }
  }
  return attached;
}

bool UnfoldFromStartFace(PolyMesh* mesh, int32_t group) {
  if (group >= kNetGroupCount) {
    mesh->errorCode = kMeshGroupOutOfRange;
    return false;
  }
  if (mesh->groupUnfold == 1) {
    for (int32_t f = 0; f < kMaxMeshFaces; ++f) {
      mesh->faces[f].placed = 0;
      mesh->faces[f].depth = -1;
    }
  }
  int32_t start = -1;
  if (mesh->preferMarkedStart) start = FindMarkedStartFace(mesh, group);
  if (start < 0) start = FindStartFace(mesh, group);
  if (start < 0) return false;
  FlatFace flat;
  FlattenFace(mesh, start, &flat, group);
  const int32_t first = AttachFlatFace(mesh, &flat, false, 0);
  if (first < 0) return false;
  mesh->faces[first].depth = 0;
  // Every depth that attaches something adds faces, so at most as many
  // depths as faces.
  for (int32_t d = 0; d <= kMaxMeshFaces; ++d) {
    int32_t attached = 0;
    const int32_t count = NetFaces(mesh);
    for (int32_t f = 0; f < count; ++f) {
      if (mesh->faces[f].depth == d && int32_t(mesh->faces[f].netGroup) == group) {
        attached += AttachFacesRecursive(mesh, f, d, group);
      }
    }
    if (attached == 0) break;
  }
  return true;
}

void FaceVertexMean(const PolyMesh* mesh, int32_t face, Vec3* xyz) {
  *xyz = Vec3{0, 0, 0};
  const int32_t n = SolidCornerCount(mesh, face);
  for (int32_t k = 0; k < n; ++k) {
    const Vec3 v = GetMeshVertexCopy(mesh->faces[face].vertex[k], mesh);
    xyz->x += v.x;
    xyz->y += v.y;
    xyz->z += v.z;
  }
  if (n > 0) {
    xyz->x /= n;
    xyz->y /= n;
    xyz->z /= n;
  }
}

void FaceCentre3d(int32_t face, const PolyMesh* mesh, Vec3* xyz) { FaceVertexMean(mesh, face, xyz); }
