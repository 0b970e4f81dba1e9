#include "nets/net_postprocess.h"

#include <cmath>
#include <algorithm>
#include <vector>

#include "nets/mesh_pools.h"
#include "nets/mesh_triangles.h"

namespace {

constexpr int32_t kLayers = kNetGroupCount;  // layers 0..19 are handled
constexpr float kNoBound = -2.22f;
constexpr double kPi = 3.14159265358979323846;

int32_t NetFaces(const PolyMesh* mesh) {
  const int32_t n = mesh->netFaceCount;
  return n < 0 ? 0 : (n > kMaxMeshFaces ? kMaxMeshFaces : n);
}

double Turn(double angle) {
  while (angle > kPi) angle -= 2 * kPi;
  while (angle <= -kPi) angle += 2 * kPi;
  return angle;
}

void MoveLayer(PolyMesh* mesh, int32_t layer, double dx, double dy, bool above) {
  for (int32_t i = 0; i < kMaxNetPoints; ++i) {
    if (!mesh->netPointUsed[i]) continue;
    const int32_t l = mesh->netPointLayer[i];
    if (above ? l <= layer : l != layer) continue;
    NetPointRecord r;
    GetNetPoint(i, &r, mesh);
    r.x += dx;
    r.y += dy;
    PutNetPoint(i, &r, mesh);
  }
}

void PointXY(const PolyMesh* mesh, int32_t p, double xy[2]) { GetNetPointXY(p, mesh, &xy[0], &xy[1]); }

// Distance from p to the segment a .. a + e.
double SegmentDistance(const double p[2], const double a[2], const double e[2]) {
  const double l2 = e[0] * e[0] + e[1] * e[1];
  double t = l2 > 0 ? ((p[0] - a[0]) * e[0] + (p[1] - a[1]) * e[1]) / l2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  const double dx = a[0] + t * e[0] - p[0], dy = a[1] + t * e[1] - p[1];
  return std::sqrt(dx * dx + dy * dy);
}

double EdgeAngle(const double (*points)[2], int32_t count, int32_t k) {
  const double* a = points[k % count];
  const double* b = points[(k + 1) % count];
  return double(std::atan2(float(b[1] - a[1]), float(b[0] - a[0])));
}

int32_t NewMidpoint(PolyMesh* mesh, int32_t a, int32_t b) {
  NetPointRecord ra, rb;
  GetNetPoint(a, &ra, mesh);
  GetNetPoint(b, &rb, mesh);
  const NetPointRecord m{(ra.x + rb.x) / 2, (ra.y + rb.y) / 2, rb.tag, rb.layer, -1, 0};
  return FindOrAddNetPoint(mesh, &m);
}

int32_t SeamPoint(const PolyMesh* mesh, int32_t entry, int32_t group) {
  if (entry < 0 || entry >= kSeamPairEntries) return -1;
  return NetPointOfVertexInGroup(mesh, mesh->seamPairs[entry], group);
}

}  // namespace

void LayerBounds(const PolyMesh* mesh, float* xmin, float* xmax, float* ymin, float* ymax, int32_t layer) {
  *xmin = *xmax = *ymin = *ymax = kNoBound;
  bool any = false;
  for (int32_t i = 0; i < kMaxNetPoints; ++i) {
    if (!mesh->netPointUsed[i] || mesh->netPointLayer[i] != layer) continue;
    double x, y;
    GetNetPointXY(i, mesh, &x, &y);
    const float fx = float(x), fy = float(y);
    if (!any) {
      *xmin = *xmax = fx;
      *ymin = *ymax = fy;
      any = true;
    }
    *xmin = std::fmin(*xmin, fx);
    *xmax = std::fmax(*xmax, fx);
    *ymin = std::fmin(*ymin, fy);
    *ymax = std::fmax(*ymax, fy);
  }
}

void PostProcessNetPoints(PolyMesh* mesh) {
  if (mesh == nullptr || mesh->netPoints == nullptr) return;
  int32_t first = -1, last = -1;
  for (int32_t i = 0; i < kMaxNetPoints; ++i) {
    if (!mesh->netPointUsed[i]) continue;
    const int32_t l = mesh->netPointLayer[i];
    if (l < 0 || l >= kLayers) continue;
    if (first < 0 || l < first) first = l;
    if (l > last) last = l;
  }
  if (first < 0) return;
  const int32_t net = mesh->netNumber;
  if ((net >= 102 && net <= 149) || net == 153 || net == 154) TurnLayersToNarrowest(mesh, first, last);

  float bounds[kLayers + 1][4];
  for (int32_t l = first; l <= last; ++l) {
    LayerBounds(mesh, &bounds[l][0], &bounds[l][1], &bounds[l][2], &bounds[l][3], l);
    if (bounds[l][0] == kNoBound && bounds[l][1] == kNoBound) continue;  // an empty layer stays
    MoveLayer(mesh, l, -double(bounds[l][0]), -double(bounds[l][2]), false);
  }
  float height[kLayers + 1] = {};
  float width[kLayers + 1] = {};
  float H = 0;
  for (int32_t l = first; l <= last; ++l) {
    LayerBounds(mesh, &bounds[l][0], &bounds[l][1], &bounds[l][2], &bounds[l][3], l);
    height[l] = std::fabs(bounds[l][3] - bounds[l][2]);
    width[l] = bounds[l][1];
    if (height[l] > H) H = height[l];
  }
  for (int32_t l = first; l <= last; ++l) {
    const float step = l == last ? 1.03f * width[l] : width[l] + 0.03f * std::fmax(width[l + 1], width[l]);
    MoveLayer(mesh, l, double(step), 0, true);
    MoveLayer(mesh, l, 0, double(H / 2 - height[l] / 2), false);
  }

  if (net == 71 || net == 72 || net == 150) {
    const int32_t p = SeamPoint(mesh, 0, 1), q = SeamPoint(mesh, 1, 1);
    const int32_t r = SeamPoint(mesh, 2, 2), s = SeamPoint(mesh, 3, 2);
    if (r >= 0 && s >= 0) {
      const int32_t m = NewMidpoint(mesh, r, s);
      TransformLayer(mesh, p, q, r, m, 2);
    }
    JoinSeamAtMidpoints(mesh, 2, 4, 2, 3);
    if (net == 71) {
      JoinSeamAtEnd(mesh, 4, 6, 3, 4);
    } else {
      JoinSeamAtMidpoints(mesh, 4, 6, 3, 4);
      JoinSeamAtMidpoints(mesh, 6, 8, 4, 5);
      JoinSeamAtEnd(mesh, 8, 10, 5, 6);
    }
  }
}

void TurnLayersToNarrowest(PolyMesh* mesh, int32_t firstLayer, int32_t lastLayer) {
  if (mesh->edgeOption || lastLayer == 19) return;
  std::vector<int32_t> hull(kMaxHullPoints);
  for (int32_t l = firstLayer; l <= lastLayer; ++l) {
    if (l < 0 || l >= kLayers) continue;
    mesh->groupSums[l] = 0;
    int32_t count = 0;
    if (LayerHull(mesh, l, hull.data(), &count)) mesh->groupSums[l] = -NarrowestHullAngle(mesh, hull.data(), count);
  }
  RotateLayers(mesh);
}

bool LayerHull(const PolyMesh* mesh, int32_t group, int32_t* list, int32_t* count) {
  *count = 0;
  int32_t f, k;
  if (!FindOpenNetEdgeInGroup(mesh, &f, &k, group)) return false;
  int32_t edges = 0;
  for (int32_t i = 0; i < NetFaces(mesh); ++i) edges += NetCornerCount(mesh, i);
  std::vector<int32_t> outline;
  const int32_t startFace = f, startEdge = k;
  for (int32_t step = 0; step <= edges; ++step) {
    outline.push_back(mesh->faces[f].netPoint[k]);
    if (!NextOutlineEdge(mesh, &f, &k) || (f == startFace && k == startEdge)) break;
  }
  const int32_t n = int32_t(outline.size());
  if (n < 3) return false;
  // Walk counter-clockwise whichever way the faces run.
  double area = 0;
  for (int32_t i = 0; i < n; ++i) {
    double a[2], b[2];
    PointXY(mesh, outline[i], a);
    PointXY(mesh, outline[(i + 1) % n], b);
    area += a[0] * b[1] - a[1] * b[0];
  }
  if (area < 0) std::reverse(outline.begin(), outline.end());
  int32_t start = 0;
  double best[2];
  PointXY(mesh, outline[0], best);
  for (int32_t i = 1; i < n; ++i) {
    double p[2];
    PointXY(mesh, outline[i], p);
    if (p[0] > best[0] || (p[0] == best[0] && p[1] > best[1])) {
      start = i;
      best[0] = p[0];
      best[1] = p[1];
    }
  }
  std::vector<int32_t> stack;
  auto direction = [&](int32_t a, int32_t b) {
    double pa[2], pb[2];
    PointXY(mesh, a, pa);
    PointXY(mesh, b, pb);
    return std::atan2(pb[1] - pa[1], pb[0] - pa[0]);
  };
  for (int32_t i = 0; i <= n; ++i) {
    const int32_t p = outline[(start + i) % n];
    while (stack.size() >= 2) {
      const int32_t a = stack[stack.size() - 2], b = stack.back();
      if (Turn(direction(b, p) - direction(a, b)) > 0.0001) break;
      stack.pop_back();
    }
    if (i < n) stack.push_back(p);
  }
  *count = int32_t(stack.size()) < kMaxHullPoints ? int32_t(stack.size()) : kMaxHullPoints;
  for (int32_t i = 0; i < *count; ++i) list[i] = stack[i];
  return *count >= 1;
}

double NarrowestHullAngle(const PolyMesh* mesh, const int32_t* list, int32_t count) {
  std::vector<double> points(2 * size_t(count > 0 ? count : 1));
  for (int32_t i = 0; i < count; ++i) PointXY(mesh, list[i], &points[2 * i]);
  return NarrowestHullAngleOfPoints(reinterpret_cast<const double(*)[2]>(points.data()), count);
}

double NarrowestHullAngleOfPoints(const double (*P)[2], int32_t n) {
  if (n < 2) return 0;
  int32_t i = 0, j = 0;
  for (int32_t k = 1; k < n; ++k) {
    if (P[k][0] < P[i][0] || (P[k][0] == P[i][0] && P[k][1] < P[i][1])) i = k;
    if (P[k][0] > P[j][0] || (P[k][0] == P[j][0] && P[k][1] > P[j][1])) j = k;
  }
  double theta = kPi / 2;
  double result = 0, bestDistance = 0;
  bool measured = false;
  auto measure = [&](double distance) {
    if (!measured || distance < bestDistance) {
      bestDistance = distance;
      result = theta - kPi / 2;
      measured = true;
    }
  };
  const int32_t limit = n + 4;
  for (int32_t pass = 0; pass < 3 * n + 2; ++pass) {
    bool last = false;
    const double d[2] = {std::cos(theta), std::sin(theta)};
    double turnJ = 0, turnI = 0;
    for (int32_t advances = 0;; ++advances) {
      const double e[2] = {-d[0], -d[1]};
      measure(SegmentDistance(P[j % n], P[i % n], e));
      turnJ = Turn(EdgeAngle(P, n, j) - theta);
      if (turnJ >= -0.004) break;
      if (advances >= limit) {
        last = true;
        break;
      }
      j = (j + 1) % n;
    }
    for (int32_t advances = 0;; ++advances) {
      measure(SegmentDistance(P[i % n], P[j % n], d));
      turnI = Turn(EdgeAngle(P, n, i) - theta - kPi);
      if (turnI >= -0.004) break;
      // Bounded as well: a hull that is not convex must not turn this forever.
      if (advances >= limit) {
        last = true;
        break;
      }
      i = (i + 1) % n;
    }
    if (theta > 5 * kPi / 2 + 0.0001) last = true;
    if (last) break;
    if (turnI >= turnJ) {
      theta += turnJ;
      j = (j + 1) % n;
    } else {
      theta += turnI;
      i = (i + 1) % n;
    }
  }
  return result;
}

void RotateLayers(PolyMesh* mesh) {
  for (int32_t p = 0; p < kMaxNetPoints; ++p) {
    if (!mesh->netPointUsed[p]) continue;
    const int32_t l = mesh->netPointLayer[p];
    if (l < 0 || l >= kLayers) continue;
    const double a = mesh->groupSums[l];
    if (a == 0) continue;
    NetPointRecord r;
    GetNetPoint(p, &r, mesh);
    const double c = std::cos(a), s = std::sin(a);
    const double x = r.x * c - r.y * s, y = r.x * s + r.y * c;
    r.x = x;
    r.y = y;
    PutNetPoint(p, &r, mesh);
  }
}

int32_t NetPointOfVertexInGroup(const PolyMesh* mesh, int32_t vertex, int32_t group) {
  const int32_t count = NetFaces(mesh);
  for (int32_t f = 0; f < count; ++f) {
    if (int32_t(mesh->faces[f].netGroup) != group) continue;
    const int32_t n = NetCornerCount(mesh, f);
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = mesh->faces[f].netPoint[k];
      if (p < 0 || p >= kMaxNetPoints || !mesh->netPointUsed[p]) continue;
      // The first net face that holds p names its vertex.
      for (int32_t g = 0; g < count; ++g) {
        const int32_t m = NetCornerCount(mesh, g);
        int32_t at = -1;
        for (int32_t c = 0; c < m && at < 0; ++c) {
          if (mesh->faces[g].netPoint[c] == p) at = c;
        }
        if (at < 0) continue;
        int32_t piece, edge;
        FacePieceAndEdge(g, at, &piece, &edge, mesh);
        if (piece >= 0 && piece < kMaxMeshFaces && edge >= 0 && mesh->faces[piece].vertex[edge] == vertex) return p;
        break;
      }
    }
  }
  return -1;
}

void TransformLayer(PolyMesh* mesh, int32_t a, int32_t b, int32_t c, int32_t d, int32_t layer) {
  if (a < 0 || b < 0 || c < 0 || d < 0) return;
  double A[2], B[2], C[2], D[2];
  PointXY(mesh, a, A);
  PointXY(mesh, b, B);
  PointXY(mesh, c, C);
  PointXY(mesh, d, D);
  const float ab = std::hypot(float(A[0] - B[0]), float(A[1] - B[1]));
  const float cd = std::hypot(float(C[0] - D[0]), float(C[1] - D[1]));
  const double s = ab == 0 || cd == 0 ? 1.0 : double(ab / cd);
  const double turn = std::atan2(B[1] - A[1], B[0] - A[0]) - std::atan2(D[1] - C[1], D[0] - C[0]);
  const double cs = s * std::cos(turn), sn = s * std::sin(turn);
  for (int32_t p = 0; p < kMaxNetPoints; ++p) {
    if (!mesh->netPointUsed[p] || mesh->netPointLayer[p] != layer) continue;
    NetPointRecord r;
    GetNetPoint(p, &r, mesh);
    const double zx = r.x - C[0], zy = r.y - C[1];
    r.x = A[0] + cs * zx - sn * zy;
    r.y = A[1] + sn * zx + cs * zy;
    PutNetPoint(p, &r, mesh);
  }
}

void JoinSeamAtMidpoints(PolyMesh* mesh, int32_t i, int32_t j, int32_t layerA, int32_t layerB) {
  const int32_t a0 = SeamPoint(mesh, i, layerA), a1 = SeamPoint(mesh, i + 1, layerA);
  const int32_t b0 = SeamPoint(mesh, j, layerB), b1 = SeamPoint(mesh, j + 1, layerB);
  if (a0 < 0 || a1 < 0 || b0 < 0 || b1 < 0) return;
  const int32_t m1 = NewMidpoint(mesh, a0, a1);
  const int32_t m2 = NewMidpoint(mesh, b0, b1);
  TransformLayer(mesh, m1, a1, b0, m2, layerB);
}

void JoinSeamAtEnd(PolyMesh* mesh, int32_t i, int32_t j, int32_t layerA, int32_t layerB) {
  const int32_t a0 = SeamPoint(mesh, i, layerA), a1 = SeamPoint(mesh, i + 1, layerA);
  const int32_t b0 = SeamPoint(mesh, j, layerB), b1 = SeamPoint(mesh, j + 1, layerB);
  if (a0 < 0 || a1 < 0 || b0 < 0 || b1 < 0) return;
  const int32_t m = NewMidpoint(mesh, a0, a1);
  TransformLayer(mesh, m, a1, b0, b1, layerB);
}
