#include "nets/net_layout.h"

#include <cmath>

#include "geometry/fast_math.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_triangles.h"
#include "nets/net_faces.h"
#include "nets/net_postprocess.h"
#include "nets/unfold.h"

namespace {

int32_t Wrap(int32_t k, int32_t n) {
  if (n <= 0) return 0;
  const int32_t r = k % n;
  return r < 0 ? r + n : r;
}

int32_t Clamp(int32_t n, int32_t limit) { return n < 0 ? 0 : (n > limit ? limit : n); }
int32_t NetFaces(const PolyMesh* mesh) { return Clamp(mesh->netFaceCount, kMaxMeshFaces); }
int32_t SolidFaces(const PolyMesh* mesh) { return Clamp(mesh->faceCount, kMaxMeshFaces); }
bool ValidPoint(int32_t p) { return p >= 0 && p < kMaxRenderPoints; }

double Cross2(const double a[2], const double b[2]) { return a[0] * b[1] - a[1] * b[0]; }

void RenderXY(const PolyMesh* mesh, int32_t p, double xy[2]) {
  if (!ValidPoint(p)) {
    xy[0] = xy[1] = 0;
    return;
  }
  xy[0] = mesh->renderPoints[p].x;
  xy[1] = mesh->renderPoints[p].y;
}

// The net face and corner that hold solid edge e of face p seen from its
// other side, or false.
bool OtherSideOfEdge(const PolyMesh* mesh, int32_t f, int32_t k, int32_t* g, int32_t* c) {
  int32_t p, e;
  FacePieceAndEdge(f, k, &p, &e, mesh);
  if (p < 0 || p >= kMaxMeshFaces || e < 0) return false;
  const int32_t t = mesh->faces[p].neighbour[e];
  const int32_t u = mesh->faces[p].neighbourEdge[e];
  if (t < 0 || t >= kMaxMeshFaces || u < 0) return false;
  return NetFaceOfPiece(t, PrevCorner(mesh, t, u), g, c, mesh);
}

// Signed doubled area of the remaining loop.
double LoopArea(const double (*xy)[2], const int32_t* loop, int32_t n) {
  double area = 0;
  for (int32_t i = 0; i < n; ++i) area += Cross2(xy[loop[i]], xy[loop[(i + 1) % n]]);
  return area;
}

double TriangleArea(const double a[2], const double b[2], const double c[2]) {
  const double u[2] = {b[0] - a[0], b[1] - a[1]};
  const double v[2] = {c[0] - a[0], c[1] - a[1]};
  return Cross2(u, v);
}

// Whether point q lies strictly inside triangle (a, b, c) of doubled area A.
bool StrictlyInsideTriangle(const double a[2], const double b[2], const double c[2], const double q[2], double A) {
  if (A == 0) return false;
  return TriangleArea(q, b, c) / A > 0 && TriangleArea(a, q, c) / A > 0 && TriangleArea(a, b, q) / A > 0;
}

// Whether q lies on segment a-c, off its ends.
bool OnOpenSegment(const double a[2], const double c[2], const double q[2]) {
  if (TriangleArea(a, c, q) != 0) return false;
  const double t = (q[0] - a[0]) * (c[0] - a[0]) + (q[1] - a[1]) * (c[1] - a[1]);
  const double length2 = (c[0] - a[0]) * (c[0] - a[0]) + (c[1] - a[1]) * (c[1] - a[1]);
  return t > 0 && t < length2;
}

}  // namespace

// --- finishing -------------------------------------------------------------------------

void FinishNet(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  const int32_t solids = SolidFaces(mesh);
  for (int32_t f = 0; f < kMaxMeshFaces; ++f) {
    MeshFace& face = mesh->faces[f];
    face.placed = 0;
    face.depth = -1;
    // The net side of every entry starts empty, so that no net face of an
    // earlier unfolding is taken for one of this.
    face.netPointCount = 0;
    face.piece = -1;
    face.rotation = 0;
    face.netGroup = 0;
    face.oppositeNetPoint = -1;
    if (f < solids) face.netFace = -1;
    for (int32_t k = 0; k < kMaxFaceCorners; ++k) {
      face.netPoint[k] = -1;
      face.netNeighbour[k] = face.netNeighbourEdge[k] = -1;
    }
  }
  for (int32_t i = 0; i < kMaxNetPoints; ++i) {
    mesh->netPointUsed[i] = 0;
    mesh->netPointVertex[i] = -1;
  }
  mesh->netPointCursor = 0;
  for (int32_t g = 0; g < kNetGroupCount; ++g) {
    mesh->groupSums[g] = 0;
    mesh->groupFaceCounts[g] = 0;
    mesh->groupLastFaces[g] = -1;
  }
  mesh->maxNetGroup = 0;
  mesh->netFaceCount = 0;

  for (int32_t g = 1; UnfoldFromStartFace(mesh, g); ++g) {
  }
  BuildNetAdjacency(mesh, mesh->netFaceCount);
  PostProcessNetPoints(mesh);

  for (int32_t s = 0; s < solids; ++s) {
    if (mesh->faces[s].oppositeVertex == -1) continue;
    int32_t n, c;
    if (!NetFaceOfPiece(s, 0, &n, &c, mesh)) continue;
    const int32_t m = mesh->faces[n].netNeighbour[2];
    const int32_t j = mesh->faces[n].netNeighbourEdge[2];
    const int32_t count = NetCornerCount(mesh, m);
    if (count == 0 || j < 0) continue;
    // m's matching edge ends at its corner j; the corner after it is the
    // quad's fourth point.
    mesh->faces[n].oppositeNetPoint = mesh->faces[m].netPoint[Wrap(j + 1, count)];
  }
  mesh->netFinished = 1;
}

// --- tabs ----------------------------------------------------------------------------------

bool TabChain(PolyMesh* mesh, int32_t group, bool assignGroup) {
  if (mesh == nullptr) return false;
  int32_t f, k;
  if (!FindOpenNetEdge(mesh, &f, &k)) return false;
  const int32_t startFace = f, startEdge = k;
  // An outline visits each net edge at most once.
  int32_t edges = 0;
  for (int32_t i = 0; i < NetFaces(mesh); ++i) edges += NetCornerCount(mesh, i);
  const bool firstGetsTab = mesh->tabPhase == 0;
  for (int32_t step = 0;; ++step) {
    const bool tab = (step % 2 == 0) == firstGetsTab;
    if (step > 0 && f == startFace && k == startEdge) {
      // The first edge takes its turn once more: with an odd count it carries
      // a tab whatever the phase.
      if (tab) mesh->faces[f].tabFlag[k] = 1;
      return true;
    }
    if (step > edges) break;
    MeshFace& face = mesh->faces[f];
    face.outlineVisited[k] = 1;
    if (tab) face.tabFlag[k] = 1;
    if (assignGroup) face.netGroup = uint16_t(group);
    if (!NextOutlineEdge(mesh, &f, &k)) break;
  }
  mesh->errorCode = kMeshOutlineOpen;
  return true;
}

void BalanceTabs(PolyMesh* mesh, bool cutEdgesOnly) {
  if (mesh == nullptr) return;
  if (cutEdgesOnly && mesh->maxNetGroup < 2) return;
  BalanceTabsOverEdges(mesh, cutEdgesOnly);
}

void BalanceTabsOverEdges(PolyMesh* mesh, bool cutEdgesOnly) {
  if (mesh == nullptr) return;
  const int32_t count = NetFaces(mesh);
  for (int32_t f = 0; f < count; ++f) {
    const int32_t n = NetCornerCount(mesh, f);
    for (int32_t k = 0; k < n; ++k) {
      if (cutEdgesOnly && mesh->faces[f].netNeighbour[k] != -1) continue;
      int32_t g, c;
      if (!OtherSideOfEdge(mesh, f, k, &g, &c)) continue;
      if (g == f && c == k) continue;
      if (mesh->faces[g].tabFlag[c] == mesh->faces[f].tabFlag[k]) {
        mesh->faces[g].tabFlag[c] = mesh->faces[g].tabFlag[c] ? 0 : 1;
      }
    }
  }
}

// --- render triangles ---------------------------------------------------------------------

void TriangulateNetFace(int32_t netFace, PolyMesh* mesh) {
  const int32_t n = NetCornerCount(mesh, netFace);
  if (n < 3) return;
  const MeshFace& face = mesh->faces[netFace];
  auto emit = [&](int32_t a, int32_t b, int32_t c) {
    if (AppendFaceTriangle(mesh->renderTriangleCount, mesh, netFace, a, b, c, kNoTriangleTag)) {
      ++mesh->renderTriangleCount;
    }
  };
  if (n == 3) {
    emit(0, 1, 2);
    return;
  }
  double xy[kMaxFaceCorners][2];
  for (int32_t k = 0; k < n; ++k) RenderXY(mesh, face.netPoint[k], xy[k]);
  int32_t loop[kMaxFaceCorners];
  for (int32_t k = 0; k < n; ++k) loop[k] = k;
  int32_t remaining = n;
  const double orientation = LoopArea(xy, loop, n);
  int32_t a = 0;
  // Each round removes one corner, so at most n rounds of at most n candidates.
  while (remaining > 3) {
    int32_t found = -1;
    int32_t fallback = -1;
    int32_t candidate = a;
    for (int32_t tries = 0; tries < remaining && found < 0; ++tries) {
      candidate = (candidate + 1) % remaining;
      const int32_t ia = loop[candidate], ib = loop[(candidate + 1) % remaining];
      const int32_t ic = loop[(candidate + 2) % remaining];
      const double A = TriangleArea(xy[ia], xy[ib], xy[ic]);
      // An ear turns the way the face does; a reflex or flat corner is none.
      if (A == 0 || (orientation != 0 && (A > 0) != (orientation > 0))) continue;
      if (fallback < 0) fallback = candidate;
      bool empty = true;
      for (int32_t j = 3; j < remaining && empty; ++j) {
        const int32_t iq = loop[(candidate + j) % remaining];
        // A corner on the new diagonal a-c would be cut off as well.
        if (StrictlyInsideTriangle(xy[ia], xy[ib], xy[ic], xy[iq], A) || OnOpenSegment(xy[ia], xy[ic], xy[iq])) {
          empty = false;
        }
      }
      if (empty) found = candidate;
    }
    // No clean ear (a self-touching loop): clip the first convex corner;
    // only flat corners left: drop one without a triangle.
    int32_t at = found >= 0 ? found : (fallback >= 0 ? fallback : candidate);
    if (found >= 0 || fallback >= 0) emit(loop[at], loop[(at + 1) % remaining], loop[(at + 2) % remaining]);
    const int32_t removed = (at + 1) % remaining;
    for (int32_t j = removed; j + 1 < remaining; ++j) loop[j] = loop[j + 1];
    --remaining;
    if (removed < at) --at;
    a = at % remaining;
  }
  // The last three corners make a triangle unless they lie on one line.
  if (TriangleArea(xy[loop[0]], xy[loop[1]], xy[loop[2]]) != 0) emit(loop[0], loop[1], loop[2]);
}

void AppendRenderTriangle(PolyMesh* mesh, float x0, float y0, float x1, float y1, float x2, float y2, int32_t face,
                          int32_t id) {
  if (mesh == nullptr) return;
  if (mesh->renderPointCount < 0 || mesh->renderPointCount + 3 >= kMaxRenderPoints) {
    mesh->errorCode = kMeshRenderPointsFull;
    return;
  }
  const int32_t p = mesh->renderPointCount;
  const float xs[3] = {x0, x1, x2}, ys[3] = {y0, y1, y2};
  for (int32_t i = 0; i < 3; ++i) {
    mesh->renderPoints[p + i] = RenderPoint{xs[i], ys[i], 1.0f, 1.0f, 1.0f};
    mesh->netPointUsed[p + i] = 1;
  }
  mesh->renderPointCount += 3;
  if (mesh->renderTriangleCount < 0 || mesh->renderTriangleCount + 1 >= kMaxMeshTriangles) {
    mesh->errorCode = kMeshTrianglesFull;
    return;
  }
  const int32_t t = mesh->renderTriangleCount++;
  RenderTriangle& tri = mesh->renderTriangles[t];
  for (int32_t i = 0; i < 3; ++i) {
    tri.points[i] = p + i;
    tri.edgeTab[i] = 0;
    tri.corners[i] = Vec3{1, 1, 1};
  }
  tri.netFace = int16_t(face);
  tri.id = int16_t(id);
  tri.extraTriangle = 1;
  tri.skip = 0;
  tri.hasOpposite = 0;
  tri.tag = kNoTriangleTag;
  tri.netGroup = kNoTriangleTag;
  ComputeTriangleInverseArea(t, mesh);
}

void AddCornerTriangles(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  float xmin, xmax, ymin, ymax;
  UsedNetPointBounds(mesh, &xmin, &xmax, &ymin, &ymax);
  const float w = xmax - xmin, h = ymax - ymin;
  const float leg = (w < h ? w : h) * 0.0625f;
  AppendRenderTriangle(mesh, xmin, ymin, xmin + leg, ymin, xmin, ymin + leg, -1, -1);
  AppendRenderTriangle(mesh, xmax, ymin, xmax, ymin + leg, xmax - leg, ymin, -1, -1);
  AppendRenderTriangle(mesh, xmax, ymax, xmax - leg, ymax, xmax, ymax - leg, -1, -1);
  AppendRenderTriangle(mesh, xmin, ymax, xmin, ymax - leg, xmin + leg, ymax, -1, -1);
}

void MarkUsedNetPoints(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  for (int32_t i = 0; i < kMaxNetPoints; ++i) mesh->netPointUsed[i] = 0;
  mesh->netPointCursor = 0;
  int32_t highest = 0;
  const int32_t count = NetFaces(mesh);
  for (int32_t f = 0; f < count; ++f) {
    const int32_t n = NetCornerCount(mesh, f);
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = mesh->faces[f].netPoint[k];
      if (!ValidPoint(p)) continue;
      mesh->netPointUsed[p] = 1;
      if (p > highest) highest = p;
    }
  }
  mesh->netPointCursor = int16_t(highest);
}

int32_t NetPointVertex(const PolyMesh* mesh, int32_t netPoint) {
  if (mesh == nullptr || !ValidPoint(netPoint) || !mesh->netPointUsed[netPoint]) return -1;
  const int32_t count = NetFaces(mesh);
  for (int32_t f = 0; f < count; ++f) {
    const int32_t n = NetCornerCount(mesh, f);
    for (int32_t k = 0; k < n; ++k) {
      if (mesh->faces[f].netPoint[k] != netPoint) continue;
      int32_t p, e;
      FacePieceAndEdge(f, k, &p, &e, mesh);
      if (p < 0 || p >= kMaxMeshFaces || e < 0 || e >= SolidCornerCount(mesh, p)) return -1;
      return mesh->faces[p].vertex[e];
    }
  }
  return -1;
}

// --- quad faces ------------------------------------------------------------------------------

void QuadMapCoefficients(const double A[2], const double B[2], const double C[2], const double D[2], double* k1,
                         double* k2, double* k3) {
  const double cd[2] = {C[0] - D[0], C[1] - D[1]};
  const double ba[2] = {B[0] - A[0], B[1] - A[1]};
  *k1 = Cross2(cd, ba);
  *k2 = C[0] * (2 * A[1] - B[1]) - C[1] * (2 * A[0] - B[0]) - A[1] * D[0] + A[0] * D[1];
  *k3 = *k1 != 0 ? 0.5 / *k1 : 1.0;
}

double InverseBilinearParameter(const double A[2], const double B[2], const double C[2], const double D[2],
                                const double q[2], double k1, double k2, double k3) {
  const double e[2] = {A[0] - B[0] - C[0] + D[0], A[1] - B[1] - C[1] + D[1]};
  const double ca[2] = {C[0] - A[0], C[1] - A[1]};
  const double b = k2 + Cross2(e, q);
  const double c = Cross2(ca, q) + Cross2(A, C);
  // k1 t^2 + b t + c = 0. With k1 zero (a trapezoid or parallelogram along
  // this parameter) the equation is linear.
  if (k1 == 0) return b != 0 ? -c / b : 0.0;
  (void)k3;
  const double disc = b * b - 4 * k1 * c;
  const double s = std::sqrt(disc > 0 ? disc : 0);
  // Both roots in the forms that keep their digits when k1 is small.
  const double half = -0.5 * (b + (b >= 0 ? s : -s));
  const double rootA = half / k1;
  const double rootB = half != 0 ? c / half : rootA;
  // The root of -b + sqrt(...) first; the other when only it lies in the quad.
  const double plus = b >= 0 ? rootB : rootA;
  const double minus = b >= 0 ? rootA : rootB;
  auto outside = [](double t) { return t < 0 ? -t : (t > 1 ? t - 1 : 0.0); };
  return outside(plus) <= outside(minus) ? plus : minus;
}

void PrecomputeQuadMaps(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  const int32_t count = NetFaces(mesh);
  for (int32_t f = 0; f < count; ++f) {
    MeshFace& face = mesh->faces[f];
    if (face.netPointCount != 3 || !ValidPoint(face.oppositeNetPoint)) continue;
    double p0[2], p1[2], p2[2], o[2];
    RenderXY(mesh, face.netPoint[0], p0);
    RenderXY(mesh, face.netPoint[1], p1);
    RenderXY(mesh, face.netPoint[2], p2);
    RenderXY(mesh, face.oppositeNetPoint, o);
    QuadMapCoefficients(p0, p1, o, p2, &face.quadCoefficients[0], &face.quadCoefficients[1], &face.quadCoefficients[2]);
    QuadMapCoefficients(p1, p2, p0, o, &face.quadCoefficients[3], &face.quadCoefficients[4], &face.quadCoefficients[5]);
  }
}

void StoreTriangleCornerDirections(PolyMesh* mesh) {
  if (mesh == nullptr) return;
  const int32_t count = Clamp(mesh->renderTriangleCount, kMaxMeshTriangles);
  for (int32_t t = 0; t < count; ++t) {
    RenderTriangle& tri = mesh->renderTriangles[t];
    if (tri.extraTriangle) continue;
    for (int32_t i = 0; i < 3; ++i) TriangleCornerDirection(t, i, &tri.corners[i], mesh);
  }
}

void TriangleCornerDirection(int32_t triangle, int32_t corner, Vec3* xyz, const PolyMesh* mesh) {
  *xyz = Vec3{0, 0, 0};
  if (mesh == nullptr || triangle < 0 || triangle >= kMaxMeshTriangles || corner < 0 || corner > 2) return;
  const int32_t p = mesh->renderTriangles[triangle].points[corner];
  if (!ValidPoint(p)) return;
  const RenderPoint& r = mesh->renderPoints[p];
  *xyz = Vec3{r.d0, r.d1, r.d2};
}

void RenderTriangleBounds(const PolyMesh* mesh, float* xmin, float* xmax, float* ymin, float* ymax, int32_t id,
                          int32_t selector) {
  if (mesh == nullptr) return;
  bool any = false;
  float x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  const int32_t count = Clamp(mesh->renderTriangleCount, kMaxMeshTriangles);
  for (int32_t t = 0; t < count; ++t) {
    const RenderTriangle& tri = mesh->renderTriangles[t];
    if (selector == 0 && tri.netFace != id) continue;
    if (selector == 1 && int32_t(tri.netGroup) != id) continue;
    for (int32_t p : tri.points) {
      if (!ValidPoint(p)) continue;
      const RenderPoint& r = mesh->renderPoints[p];
      if (!any) {
        x0 = x1 = r.x;
        y0 = y1 = r.y;
        any = true;
      }
      x0 = std::fmin(x0, r.x);
      x1 = std::fmax(x1, r.x);
      y0 = std::fmin(y0, r.y);
      y1 = std::fmax(y1, r.y);
    }
  }
  if (!any) return;
  *xmin = x0;
  *xmax = x1;
  *ymin = y0;
  *ymax = y1;
}

// --- per pixel -----------------------------------------------------------------------------

bool NetTriangleBarycentric(int32_t triangle, float x, float y, float* b0, float* b1, float* b2,
                            const PolyMesh* mesh) {
  const RenderTriangle& t = mesh->renderTriangles[triangle];
  const RenderPoint& p0 = mesh->renderPoints[t.points[0]];
  const RenderPoint& p1 = mesh->renderPoints[t.points[1]];
  const RenderPoint& p2 = mesh->renderPoints[t.points[2]];
  *b0 = ((p1.x - x) * (p2.y - y) - (p2.x - x) * (p1.y - y)) * t.inverseDoubleArea;
  if (*b0 < -1e-6f) return false;
  *b1 = ((p2.x - x) * (p0.y - y) - (p0.x - x) * (p2.y - y)) * t.inverseDoubleArea;
  if (*b1 < -1e-6f) return false;
  *b2 = ((p0.x - x) * (p1.y - y) - (p1.x - x) * (p0.y - y)) * t.inverseDoubleArea;
  return *b2 >= -1e-6f;
}

void QuadFaceMap(int32_t triangle, float x, float y, Vec3f* d, const PolyMesh* mesh) {
  *d = Vec3f{1, 0, 0};
  if (mesh == nullptr || triangle < 0 || triangle >= kMaxMeshTriangles) return;
  const int32_t f = mesh->renderTriangles[triangle].netFace;
  if (f < 0 || f >= kMaxMeshFaces) return;
  const MeshFace& face = mesh->faces[f];
  const int32_t o = face.oppositeNetPoint;
  if (face.netPointCount != 3 || !ValidPoint(o)) return;
  double p0[2], p1[2], p2[2], po[2];
  RenderXY(mesh, face.netPoint[0], p0);
  RenderXY(mesh, face.netPoint[1], p1);
  RenderXY(mesh, face.netPoint[2], p2);
  RenderXY(mesh, o, po);
  const double q[2] = {x, y};
  const double* k = face.quadCoefficients;
  const double u = InverseBilinearParameter(p0, p1, po, p2, q, k[0], k[1], k[2]);
  const double v = InverseBilinearParameter(p1, p2, p0, po, q, k[3], k[4], k[5]);
  Vec3 corner[4];
  for (int32_t c = 0; c < 3; ++c) {
    int32_t piece, edge;
    FacePieceAndEdge(f, c, &piece, &edge, mesh);
    const int32_t vertex = piece >= 0 && piece < kMaxMeshFaces && edge >= 0 ? mesh->faces[piece].vertex[edge] : -1;
    corner[c] = GetMeshVertexCopy(vertex, mesh);
  }
  corner[3] = GetMeshVertexCopy(mesh->netPointVertex[o], mesh);
  const Vec3& A = corner[0];
  const Vec3& B = corner[1];
  const Vec3& C = corner[2];
  const Vec3& D = corner[3];
  Vec3 r;
  if (!mesh->equirectCorners) {
    const Vec3 P{A.x + (B.x - A.x) * u, A.y + (B.y - A.y) * u, A.z + (B.z - A.z) * u};
    const Vec3 Q{D.x + (C.x - D.x) * u, D.y + (C.y - D.y) * u, D.z + (C.z - D.z) * u};
    r = Vec3{P.x + (Q.x - P.x) * v, P.y + (Q.y - P.y) * v, P.z + (Q.z - P.z) * v};
    NormalizeVec3d(&r);
    *d = Vec3f{float(r.x), float(r.y), float(r.z)};
  } else {
    Vec3 uv[4] = {A, B, C, D};
    float w[4];
    bool pole = false;
    for (int32_t c = 0; c < 4; ++c) {
      w[c] = DirectionToUvChecked(&uv[c]);
      pole = pole || w[c] == 0;
    }
    // A pole has no longitude of its own: it neither decides the seam nor
    // takes part in the longitude blend (the edges from it then follow the
    // meridians of their other ends, as they do in the triangles beside it).
    bool firstQuarter = false, lastQuarter = false;
    for (int32_t c = 0; c < 4; ++c) {
      firstQuarter = firstQuarter || (w[c] != 0 && uv[c].x < 0.25);
      lastQuarter = lastQuarter || (w[c] != 0 && uv[c].x >= 0.75);
    }
    if (firstQuarter && lastQuarter) {
      for (Vec3& c : uv) {
        if (c.x < 0.25) c.x += 1;
      }
    }
    const double pu = uv[0].x + (uv[1].x - uv[0].x) * u, pv = uv[0].y + (uv[1].y - uv[0].y) * u;
    const double qu = uv[3].x + (uv[2].x - uv[3].x) * u, qv = uv[3].y + (uv[2].y - uv[3].y) * u;
    double lon = pu + (qu - pu) * v;
    if (pole) {
      // The bilinear weights of A, B, C and D, the poles' left out.
      const double bw[4] = {(1 - u) * (1 - v) * w[0], u * (1 - v) * w[1], u * v * w[2], (1 - u) * v * w[3]};
      const double sum = bw[0] + bw[1] + bw[2] + bw[3];
      if (sum != 0) lon = (bw[0] * uv[0].x + bw[1] * uv[1].x + bw[2] * uv[2].x + bw[3] * uv[3].x) / sum;
    }
    EquirectToVec3f(float(lon), float(pv + (qv - pv) * v), d);
  }
  d->x = -d->x;
  d->y = -d->y;
}
