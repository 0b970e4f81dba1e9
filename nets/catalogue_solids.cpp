#include "nets/catalogue_solids.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "nets/face_matching.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/solid_vectors.h"
#include "nets/star_solids.h"

namespace {

const double kPhi = (1.0 + std::sqrt(5.0)) / 2.0;
// The real root of t^3 = t^2 + t + 1: the snub cube's coordinate.
const double kTribonacci = (1.0 + std::cbrt(19.0 + 3.0 * std::sqrt(33.0)) + std::cbrt(19.0 - 3.0 * std::sqrt(33.0))) / 3.0;

constexpr double kPi = 3.14159265358979323846;
constexpr double kHullTolerance = 1e-7;
constexpr double kSameLevel = 1e-7;

using solid_vectors::Add;
using solid_vectors::Cross;
using solid_vectors::Dot;
using solid_vectors::Length;
using solid_vectors::Scale;
using solid_vectors::Sub;
using solid_vectors::Unit;

// A point set under construction.
struct PointSet {
  int32_t count = 0;
  Vec3 points[kMaxSolidVertices];
  void Add(double x, double y, double z) {
    if (count < kMaxSolidVertices) points[count++] = Vec3{x, y, z};
  }
};

// Every sign combination of (x, y, z), zero coordinates taken once.
void AddSigned(PointSet* set, double x, double y, double z) {
  for (int32_t s = 0; s < 8; ++s) {
    const double sx = (s & 1) ? -x : x;
    const double sy = (s & 2) ? -y : y;
    const double sz = (s & 4) ? -z : z;
    if (((s & 1) && x == 0) || ((s & 2) && y == 0) || ((s & 4) && z == 0)) continue;
    set->Add(sx, sy, sz);
  }
}

// The three cyclic (even) permutations of (x, y, z), each with every sign.
void AddEvenPermutations(PointSet* set, double x, double y, double z) {
  AddSigned(set, x, y, z);
  AddSigned(set, y, z, x);
  AddSigned(set, z, x, y);
}

// Top down (by y), then round the pole by the angle from +z toward +x.
double Azimuth(const Vec3& p) {
  if (std::fabs(p.x) < kSameLevel && std::fabs(p.z) < kSameLevel) return 0;
  double a = std::atan2(p.x, p.z);
  if (a < -1e-12) a += 2.0 * kPi;
  return a < 0 ? 0 : a;
}

bool ComesFirst(const Vec3& a, const Vec3& b) {
  if (std::fabs(a.y - b.y) > kSameLevel) return a.y > b.y;
  return Azimuth(a) < Azimuth(b) - 1e-12;
}

void Clear(CatalogueSolid* solid) { std::memset(solid, 0, sizeof(CatalogueSolid)); }

// Puts the vertices into their fixed order and renumbers the faces.
void SortVertices(CatalogueSolid* solid) {
  int32_t order[kMaxSolidVertices];
  for (int32_t i = 0; i < solid->vertexCount; ++i) order[i] = i;
  std::stable_sort(order, order + solid->vertexCount,
                   [solid](int32_t a, int32_t b) { return ComesFirst(solid->vertices[a], solid->vertices[b]); });
  int32_t newIndex[kMaxSolidVertices];
  Vec3 sorted[kMaxSolidVertices];
  for (int32_t i = 0; i < solid->vertexCount; ++i) {
    sorted[i] = solid->vertices[order[i]];
    newIndex[order[i]] = i;
  }
  std::memcpy(solid->vertices, sorted, sizeof(Vec3) * solid->vertexCount);
  for (int32_t f = 0; f < solid->faceCount; ++f)
    for (int32_t k = 0; k < solid->cornerCounts[f]; ++k) solid->corners[f][k] = newIndex[solid->corners[f][k]];
}

Vec3 FaceMean(const CatalogueSolid* solid, int32_t f) {
  Vec3 sum{0, 0, 0};
  for (int32_t k = 0; k < solid->cornerCounts[f]; ++k) sum = Add(sum, solid->vertices[solid->corners[f][k]]);
  return Scale(sum, 1.0 / solid->cornerCounts[f]);
}

// Puts the faces into their fixed order (by their centres), each starting at
// its first corner in the vertex order.
void SortFaces(CatalogueSolid* solid) {
  int32_t order[kMaxSolidFaces];
  Vec3 centres[kMaxSolidFaces];
  for (int32_t f = 0; f < solid->faceCount; ++f) {
    order[f] = f;
    centres[f] = FaceMean(solid, f);
  }
  std::stable_sort(order, order + solid->faceCount,
                   [&centres](int32_t a, int32_t b) { return ComesFirst(centres[a], centres[b]); });
  int32_t counts[kMaxSolidFaces];
  int32_t corners[kMaxSolidFaces][kMaxFaceCorners];
  for (int32_t i = 0; i < solid->faceCount; ++i) {
    const int32_t f = order[i];
    const int32_t n = solid->cornerCounts[f];
    int32_t first = 0;
    for (int32_t k = 1; k < n; ++k)
      if (solid->corners[f][k] < solid->corners[f][first]) first = k;
    counts[i] = n;
    for (int32_t k = 0; k < n; ++k) corners[i][k] = solid->corners[f][(first + k) % n];
  }
  std::memcpy(solid->cornerCounts, counts, sizeof(int32_t) * solid->faceCount);
  std::memcpy(solid->corners, corners, sizeof(corners[0]) * solid->faceCount);
}

// The faces of the convex hull of the points: every plane through three
// points with all points on one side, its points ordered counter-clockwise
// seen from outside.
void HullFaces(const PointSet& set, CatalogueSolid* solid) {
  Clear(solid);
  solid->vertexCount = set.count;
  std::memcpy(solid->vertices, set.points, sizeof(Vec3) * set.count);
  Vec3 normals[kMaxSolidFaces];
  const int32_t n = set.count;
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = i + 1; j < n; ++j) {
      for (int32_t k = j + 1; k < n; ++k) {
        const Vec3& a = set.points[i];
        Vec3 normal = Cross(Sub(set.points[j], a), Sub(set.points[k], a));
        if (Length(normal) < 1e-9) continue;
        normal = Unit(normal);
        int32_t above = 0, below = 0;
        for (int32_t p = 0; p < n; ++p) {
          const double s = Dot(normal, Sub(set.points[p], a));
          if (s > kHullTolerance) ++above;
          if (s < -kHullTolerance) ++below;
        }
        if (above > 0 && below > 0) continue;
        if (above > 0) normal = Scale(normal, -1);
        bool known = false;
        for (int32_t f = 0; f < solid->faceCount && !known; ++f) known = Length(Sub(normals[f], normal)) < 1e-6;
        if (known || solid->faceCount >= kMaxSolidFaces) continue;
        // The plane's points, by angle round their centre.
        const int32_t f = solid->faceCount++;
        normals[f] = normal;
        int32_t count = 0;
        Vec3 centre{0, 0, 0};
        for (int32_t p = 0; p < n; ++p) {
          if (std::fabs(Dot(normal, Sub(set.points[p], a))) > kHullTolerance || count >= kMaxFaceCorners) continue;
          solid->corners[f][count++] = p;
          centre = Add(centre, set.points[p]);
        }
        solid->cornerCounts[f] = count;
        centre = Scale(centre, 1.0 / count);
        const Vec3 u = Unit(Sub(set.points[solid->corners[f][0]], centre));
        const Vec3 w = Cross(normal, u);
        struct Corner {
          double angle;
          int32_t vertex;
        };
        Corner ring[kMaxFaceCorners];
        for (int32_t c = 0; c < count; ++c) {
          const Vec3 d = Sub(set.points[solid->corners[f][c]], centre);
          ring[c] = Corner{std::atan2(Dot(d, w), Dot(d, u)), solid->corners[f][c]};
        }
        for (int32_t c = 1; c < count; ++c)
          for (int32_t d = c; d > 0 && ring[d].angle < ring[d - 1].angle; --d) std::swap(ring[d], ring[d - 1]);
        for (int32_t c = 0; c < count; ++c) solid->corners[f][c] = ring[c].vertex;
      }
    }
  }
}


double ShortestEdge(const CatalogueSolid* solid) {
  double shortest = 1e300;
  for (int32_t f = 0; f < solid->faceCount; ++f) {
    const int32_t n = solid->cornerCounts[f];
    for (int32_t k = 0; k < n; ++k) {
      const double l = Length(Sub(solid->vertices[solid->corners[f][k]], solid->vertices[solid->corners[f][(k + 1) % n]]));
      shortest = std::min(shortest, l);
    }
  }
  return shortest;
}

void ScaleSolid(CatalogueSolid* solid, double s) {
  for (int32_t i = 0; i < solid->vertexCount; ++i) solid->vertices[i] = Scale(solid->vertices[i], s);
}

// Hull, shortest edge 1, fixed order.
void FinishSolid(const PointSet& set, CatalogueSolid* solid) {
  HullFaces(set, solid);
  ScaleSolid(solid, 1.0 / ShortestEdge(solid));
  SortVertices(solid);
  SortFaces(solid);
}

// The dual by polar reciprocation: one vertex per face plane.
void DualPoints(const CatalogueSolid& primal, PointSet* set) {
  for (int32_t f = 0; f < primal.faceCount; ++f) {
    const Vec3& a = primal.vertices[primal.corners[f][0]];
    const Vec3& b = primal.vertices[primal.corners[f][1]];
    const Vec3& c = primal.vertices[primal.corners[f][2]];
    const Vec3 normal = Unit(Cross(Sub(b, a), Sub(c, a)));
    set->points[set->count++] = Scale(normal, 1.0 / Dot(normal, a));
  }
}

// Turns the points so that `top` lies on the axis `axis` (1 y, 2 z) and the
// point `reference` lies in the half plane toward +x (pole on z) or +z (pole
// on y).
void TurnOntoAxis(PointSet* set, int32_t top, int32_t reference, int32_t axis) {
  const Vec3 pole = Unit(set->points[top]);
  const Vec3 r = set->points[reference];
  const Vec3 side = Unit(Sub(r, Scale(pole, Dot(r, pole))));
  Vec3 ex, ey, ez;
  if (axis == 2) {
    ez = pole;
    ex = side;
    ey = Cross(ez, ex);
  } else {
    ey = pole;
    ez = side;
    ex = Cross(ey, ez);
  }
  for (int32_t i = 0; i < set->count; ++i) {
    const Vec3 p = set->points[i];
    set->points[i] = Vec3{Dot(p, ex), Dot(p, ey), Dot(p, ez)};
  }
}

// The nearest other point to point i (the first of equals).
int32_t NearestPoint(const PointSet& set, int32_t i) {
  int32_t best = -1;
  double bestDistance = 1e300;
  for (int32_t j = 0; j < set.count; ++j) {
    if (j == i) continue;
    const double d = Length(Sub(set.points[j], set.points[i]));
    if (d < bestDistance - 1e-9) {
      bestDistance = d;
      best = j;
    }
  }
  return best;
}

void Tetrahedron(PointSet* set) {
  set->Add(1, 1, 1);
  set->Add(1, -1, -1);
  set->Add(-1, 1, -1);
  set->Add(-1, -1, 1);
}

void Cube(PointSet* set) { AddSigned(set, 0.5, 0.5, 0.5); }

void Octahedron(PointSet* set) { AddEvenPermutations(set, std::sqrt(0.5), 0, 0); }

// Edge 1 after FinishSolid; a corner on +z with one neighbour toward +x.
void Dodecahedron(PointSet* set) {
  AddSigned(set, 1, 1, 1);
  AddEvenPermutations(set, 0, 1 / kPhi, kPhi);
  TurnOntoAxis(set, 0, NearestPoint(*set, 0), 2);
}

// Edge 1 after FinishSolid; a corner on +y with one neighbour toward +z.
void Icosahedron(PointSet* set) {
  AddEvenPermutations(set, 0, 1, kPhi);
  TurnOntoAxis(set, 0, NearestPoint(*set, 0), 1);
}

void Cuboctahedron(PointSet* set) { AddEvenPermutations(set, 1, 1, 0); }

void Rhombicuboctahedron(PointSet* set) { AddEvenPermutations(set, 1, 1, 1 + std::sqrt(2.0)); }

// Even permutations of (1, 1/t, t) with an even number of minus signs, odd
// permutations with an odd number.
void SnubCube(PointSet* set) {
  const double c[3] = {1, 1 / kTribonacci, kTribonacci};
  const int32_t even[3][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}};
  const int32_t odd[3][3] = {{1, 0, 2}, {0, 2, 1}, {2, 1, 0}};
  for (int32_t s = 0; s < 8; ++s) {
    const int32_t minus = (s & 1) + ((s >> 1) & 1) + ((s >> 2) & 1);
    const double sign[3] = {(s & 1) ? -1.0 : 1.0, (s & 2) ? -1.0 : 1.0, (s & 4) ? -1.0 : 1.0};
    const int32_t(*perms)[3] = (minus % 2 == 0) ? even : odd;
    for (int32_t p = 0; p < 3; ++p)
      set->Add(sign[0] * c[perms[p][0]], sign[1] * c[perms[p][1]], sign[2] * c[perms[p][2]]);
  }
}

void TruncatedIcosahedron(PointSet* set) {
  AddEvenPermutations(set, 0, 1, 3 * kPhi);
  AddEvenPermutations(set, 1, 2 + kPhi, 2 * kPhi);
  AddEvenPermutations(set, kPhi, 2, 2 * kPhi + 1);
}

void Icosidodecahedron(PointSet* set) {
  AddEvenPermutations(set, 0, 0, kPhi);
  AddEvenPermutations(set, 0.5, kPhi / 2, kPhi * kPhi / 2);
}

void Rhombicosidodecahedron(PointSet* set) {
  AddEvenPermutations(set, 1, 1, kPhi * kPhi * kPhi);
  AddEvenPermutations(set, kPhi * kPhi, kPhi, 2 * kPhi);
  AddEvenPermutations(set, 2 + kPhi, 0, kPhi * kPhi);
}

// Equilateral faces: the equator on the unit circle, the apexes at +-sqrt 2.
void TriangularBipyramid(PointSet* set) {
  set->Add(0, std::sqrt(2.0), 0);
  set->Add(0, -std::sqrt(2.0), 0);
  for (int32_t k = 0; k < 3; ++k) set->Add(std::sin(2 * kPi * k / 3), 0, std::cos(2 * kPi * k / 3));
}

// The dodecahedron with corners, face centres and edge midpoints; each face
// cut into ten triangles round its centre, every other one turned so that all
// run counter-clockwise: (centre, corner k, midpoint k), (centre, midpoint k,
// corner k + 1).
void SubdivideFaces(const CatalogueSolid& base, CatalogueSolid* solid) {
  Clear(solid);
  solid->vertexCount = base.vertexCount;
  std::memcpy(solid->vertices, base.vertices, sizeof(Vec3) * base.vertexCount);
  for (int32_t f = 0; f < base.faceCount; ++f) solid->vertices[solid->vertexCount++] = FaceMean(&base, f);
  int32_t midpointOf[kMaxSolidVertices][kMaxSolidVertices];
  for (auto& row : midpointOf)
    for (int32_t& m : row) m = -1;
  for (int32_t f = 0; f < base.faceCount; ++f) {
    const int32_t n = base.cornerCounts[f];
    const int32_t centre = base.vertexCount + f;
    for (int32_t k = 0; k < n; ++k) {
      const int32_t a = base.corners[f][k];
      const int32_t b = base.corners[f][(k + 1) % n];
      int32_t& m = midpointOf[std::min(a, b)][std::max(a, b)];
      if (m < 0 && solid->vertexCount < kMaxSolidVertices) {
        m = solid->vertexCount++;
        solid->vertices[m] = Scale(Add(base.vertices[a], base.vertices[b]), 0.5);
      }
      const int32_t t = solid->faceCount;
      if (t + 2 > kMaxSolidFaces) continue;
      solid->cornerCounts[t] = 3;
      solid->corners[t][0] = centre;
      solid->corners[t][1] = a;
      solid->corners[t][2] = m;
      solid->cornerCounts[t + 1] = 3;
      solid->corners[t + 1][0] = centre;
      solid->corners[t + 1][1] = m;
      solid->corners[t + 1][2] = b;
      solid->faceCount += 2;
    }
  }
}

// The dodo: the outer surface of the dodecadodecahedron, whose corners are
// the icosidodecahedron's. Round each of the icosahedron's twelve corner
// directions lie a pentagram (its five tips at the directions of the
// icosahedron's edge midpoints, on the unit sphere) and, deeper, a pentagon
// through five tips of the neighbouring pentagrams. Seen from outside, each
// pentagram shows whole as a star-shaped decagon (tips and the five points
// where its edges cross); of the pentagons only five kites each show, between
// the stars: at each icosahedron face three kites meet at the point where the
// face's three pentagon planes cross. Face 6q is the star round corner q,
// faces 6q+1..6q+5 the kites that hang from it in its net piece: the kite on
// each star edge that runs (counter-clockwise) from a tip to a crossing
// point, every kite belonging so to exactly one star.
void Dodo(const CatalogueSolid& icosahedron, CatalogueSolid* solid) {
  Clear(solid);
  constexpr int32_t kCorners = 12;
  Vec3 a[kCorners];
  for (int32_t i = 0; i < kCorners; ++i) a[i] = Unit(icosahedron.vertices[i]);
  // The five neighbours of each corner, counter-clockwise seen from outside.
  int32_t around[kCorners][5];
  for (int32_t i = 0; i < kCorners; ++i) {
    const Vec3 e1 = Unit(Cross(a[i], std::fabs(a[i].y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0}));
    const Vec3 e2 = Cross(a[i], e1);
    std::pair<double, int32_t> order[5];
    int32_t n = 0;
    for (int32_t j = 0; j < kCorners; ++j) {
      if (j == i || Dot(a[i], a[j]) < 0.4 || n == 5) continue;
      order[n++] = {std::atan2(Dot(a[j], e2), Dot(a[j], e1)), j};
    }
    std::sort(order, order + n);
    for (int32_t k = 0; k < 5; ++k) around[i][k] = order[k].second;
  }
  // The tip on the icosahedron's edge (i, j) and the kites' meeting point of
  // face (i, j, l) are shared; the crossing points belong to one star.
  int32_t touching[kCorners][kCorners];
  for (auto& row : touching)
    for (int32_t& t : row) t = -1;
  std::map<int32_t, int32_t> meeting;  // face key -> vertex
  const double h = Dot(Unit(Add(a[0], a[around[0][0]])), a[0]);  // star plane
  const double r = std::sqrt(1 - h * h);                           // tips' radius in it
  // A pentagram's edges cross at 1 / phi^2 of its tips' radius, between them.
  auto middle = [&](int32_t i, const Vec3& centre) {
    return Add(Scale(a[i], h), Scale(Unit(Sub(centre, Scale(a[i], Dot(centre, a[i])))), r / (kPhi * kPhi)));
  };
  auto faceCentre = [&](int32_t i, int32_t j, int32_t l) { return Unit(Add(Add(a[i], a[j]), a[l])); };
  // The kites' meeting point: on the face's axis, in the plane of the pentagon
  // round each of the face's corners (the plane through the tips of the
  // neighbouring stars on the edges at that corner's far side).
  double push;
  {
    const int32_t i = 0, j = around[0][0], l = around[0][1];
    const Vec3 c = faceCentre(i, j, l);
    const double depth = Dot(Unit(Add(a[i], a[j])), a[l]);  // pentagon plane of corner l
    push = depth / Dot(c, a[l]);
  }
  auto addVertex = [solid](const Vec3& v) {
    solid->vertices[solid->vertexCount] = v;
    return solid->vertexCount++;
  };
  auto touchingVertex = [&](int32_t i, int32_t j) {
    int32_t& t = touching[std::min(i, j)][std::max(i, j)];
    if (t < 0) t = addVertex(Unit(Add(a[i], a[j])));
    return t;
  };
  auto meetingVertex = [&](int32_t i, int32_t j, int32_t l) {
    int32_t key[3] = {i, j, l};
    std::sort(key, key + 3);
    const int32_t k = (key[0] * kCorners + key[1]) * kCorners + key[2];
    auto it = meeting.find(k);
    if (it != meeting.end()) return it->second;
    return meeting[k] = addVertex(Scale(faceCentre(i, j, l), push));
  };
  // Crossing point of star i toward face (i, j, l), one per star and face.
  std::map<int32_t, int32_t> middles;
  auto middleVertex = [&](int32_t i, int32_t j, int32_t l) {
    const int32_t key = (i * kCorners + std::min(j, l)) * kCorners + std::max(j, l);
    auto it = middles.find(key);
    if (it != middles.end()) return it->second;
    return middles[key] = addVertex(middle(i, faceCentre(i, j, l)));
  };
  auto setFace = [solid](int32_t f, std::initializer_list<int32_t> corners) {
    solid->cornerCounts[f] = int32_t(corners.size());
    int32_t k = 0;
    for (int32_t v : corners) solid->corners[f][k++] = v;
  };
  for (int32_t i = 0; i < kCorners; ++i) {
    int32_t ring[10];
    for (int32_t k = 0; k < 5; ++k) {
      const int32_t j = around[i][k], l = around[i][(k + 1) % 5];
      ring[2 * k] = touchingVertex(i, j);
      ring[2 * k + 1] = middleVertex(i, j, l);
    }
    const int32_t f = 6 * i;
    solid->cornerCounts[f] = 10;
    for (int32_t k = 0; k < 10; ++k) solid->corners[f][k] = ring[k];
    // The kite on edge (tip j, crossing toward (j, l)), in the pentagon plane
    // of corner l: its other corners are star j's crossing point toward the
    // same face and the face's meeting point; counter-clockwise it runs
    // against the star's edge.
    for (int32_t k = 0; k < 5; ++k) {
      const int32_t j = around[i][k], l = around[i][(k + 1) % 5];
      setFace(f + 1 + k, {ring[2 * k + 1], ring[2 * k], middleVertex(j, i, l), meetingVertex(i, j, l)});
    }
  }
  solid->faceCount = 6 * kCorners;
  SortVertices(solid);
  // Each face from its first corner in the vertex order, as the other solids.
  for (int32_t f = 0; f < solid->faceCount; ++f) {
    const int32_t n = solid->cornerCounts[f];
    int32_t first = 0;
    for (int32_t k = 1; k < n; ++k)
      if (solid->corners[f][k] < solid->corners[f][first]) first = k;
    int32_t turned[kMaxFaceCorners];
    for (int32_t k = 0; k < n; ++k) turned[k] = solid->corners[f][(first + k) % n];
    std::memcpy(solid->corners[f], turned, sizeof(int32_t) * n);
  }
}

// The solid neighbour across edge k (corner k to k + 1) of face f, or -1.
int32_t NeighbourAcross(const CatalogueSolid& solid, int32_t f, int32_t k) {
  const int32_t n = solid.cornerCounts[f];
  const int32_t a = solid.corners[f][k], b = solid.corners[f][(k + 1) % n];
  for (int32_t g = 0; g < solid.faceCount; ++g) {
    const int32_t m = solid.cornerCounts[g];
    for (int32_t j = 0; j < m; ++j)
      if (solid.corners[g][j] == b && solid.corners[g][(j + 1) % m] == a) return g;
  }
  return -1;
}

// Scales the solid so that its farthest corners lie on the unit sphere.
void ScaleToUnitSphere(CatalogueSolid* solid) {
  double farthest = 0;
  for (int32_t v = 0; v < solid->vertexCount; ++v) farthest = std::max(farthest, Length(solid->vertices[v]));
  ScaleSolid(solid, 1.0 / farthest);
}

// Turns face f so that corner `first` becomes corner 0.
void TurnFace(CatalogueSolid* solid, int32_t f, int32_t first) {
  const int32_t n = solid->cornerCounts[f];
  int32_t turned[kMaxFaceCorners];
  for (int32_t k = 0; k < n; ++k) turned[k] = solid->corners[f][(first + k) % n];
  std::memcpy(solid->corners[f], turned, sizeof(int32_t) * n);
}

// Puts face `from` of the surface at index `to` of the solid.
void PlaceFace(const CatalogueSolid& surface, int32_t from, int32_t to, CatalogueSolid* solid) {
  solid->cornerCounts[to] = surface.cornerCounts[from];
  std::memcpy(solid->corners[to], surface.corners[from], sizeof(int32_t) * surface.cornerCounts[from]);
}

// The spikeball: the outer surface of the compound of five tetrahedra, sixty
// pentagons. Each pentagon lies on one tetrahedron's face at one of its
// corners (the tip of a spike of three pentagons) and starts at the corner
// after the tip, so that edges 3 and 4 run along the spike's edges and edge 0
// leads to a neighbouring spike. The net comes in ten pieces of two
// neighbouring spikes: the tips of the two dodecahedron faces round the axis
// of the compound's fifth turns (1, 0, phi) each paired with their neighbour
// off that face, the piece's base pentagon on the face's tip with its edge 0
// on the neighbour's spike. The pieces run over the upper face's tips, then
// the lower face's, each counter-clockwise round the axis (seen from +axis)
// from the direction nearest +y. Base pentagon s of piece q is face
// kSpikeballBaseFaces[q]; with N its neighbour across edge 0, the piece's other
// faces N's neighbours across edges 4 and 3, N, and s's neighbours across
// edges 4 and 3 (net faces 6q..6q+4) take the remaining face numbers in
// rising order, piece by piece.
bool Spikeball(CatalogueSolid* solid) {
  StarSolid star;
  FiveTetrahedra(&star);
  CatalogueSolid surface;
  if (!OuterSurface(star, &surface) || surface.faceCount != 60) return false;
  ScaleToUnitSphere(&surface);
  int32_t tip[60];
  for (int32_t f = 0; f < 60; ++f) {
    int32_t t = 0;
    for (int32_t k = 1; k < surface.cornerCounts[f]; ++k)
      if (Length(surface.vertices[surface.corners[f][k]]) > Length(surface.vertices[surface.corners[f][t]])) t = k;
    TurnFace(&surface, f, (t + 1) % surface.cornerCounts[f]);
    tip[f] = surface.corners[f][4];
  }
  const Vec3 axis = Unit(Vec3{1, 0, kPhi});
  const Vec3 u = Unit(Sub(Vec3{0, 1, 0}, Scale(axis, axis.y)));
  const Vec3 w = Cross(axis, u);
  auto height = [&](int32_t f) { return Dot(surface.vertices[tip[f]], axis); };
  double top = -1e300;
  for (int32_t f = 0; f < 60; ++f) top = std::max(top, height(f));
  // The base faces: on a face ring's tip, edge 0 toward a tip nearer the
  // middle.
  std::vector<std::pair<std::pair<int32_t, double>, int32_t>> bases;  // ((ring, angle), face)
  for (int32_t f = 0; f < 60; ++f) {
    const double h = height(f);
    if (std::fabs(std::fabs(h) - top) > 1e-9) continue;
    const int32_t n = NeighbourAcross(surface, f, 0);
    if (n < 0 || std::fabs(height(n)) > top - 1e-6) continue;
    const Vec3& p = surface.vertices[tip[f]];
    double angle = std::atan2(Dot(p, w), Dot(p, u));
    if (angle < 0) angle += 2 * kPi;
    bases.push_back({{h > 0 ? 0 : 1, angle}, f});
  }
  if (bases.size() != 10) return false;
  std::sort(bases.begin(), bases.end());
  Clear(solid);
  solid->vertexCount = surface.vertexCount;
  std::memcpy(solid->vertices, surface.vertices, sizeof(Vec3) * surface.vertexCount);
  solid->faceCount = 60;
  bool taken[60] = {};
  for (int32_t b : kSpikeballBaseFaces) taken[b] = true;
  bool used[60] = {};
  int32_t next = 0;
  for (int32_t q = 0; q < 10; ++q) {
    const int32_t s = bases[q].second;
    const int32_t n = NeighbourAcross(surface, s, 0);
    const int32_t piece[5] = {NeighbourAcross(surface, n, 4), NeighbourAcross(surface, n, 3), n,
                              NeighbourAcross(surface, s, 4), NeighbourAcross(surface, s, 3)};
    PlaceFace(surface, s, kSpikeballBaseFaces[q], solid);
    used[s] = true;
    for (int32_t f : piece) {
      if (f < 0 || used[f]) return false;
      used[f] = true;
      while (taken[next]) ++next;
      taken[next] = true;
      PlaceFace(surface, f, next, solid);
    }
  }
  SortVertices(solid);
  return true;
}

// GID: the outer surface of the great icosidodecahedron, 132 faces in twelve
// net pieces of eleven. Its pentagrams show only their five tips, as quads
// (a 36 degree tip at a corner of the solid); its triangles show only their
// corners, as pentagons (a 60 degree tip); deep inside each pentagram's tips
// lies a regular pentagon in the plane of another pentagram. Each regular
// pentagon is edged by five triangle pieces, and each triangle piece carries
// the quad across its edge that runs from its tip (counter-clockwise), every
// quad so belonging to exactly one triangle piece. Face 11q + 5 is the q-th
// regular pentagon (in the order of their centres, from the top down, then
// round the pole), starting at its first corner in the vertex order; face
// 11q + k (k < 5) the triangle piece on its edge k and face 11q + 6 + k the
// quad that carries, each from its first corner in the vertex order.
bool Gid(CatalogueSolid* solid) {
  StarSolid star;
  GreatIcosidodecahedron(&star);
  CatalogueSolid surface;
  if (!OuterSurface(star, &surface) || surface.faceCount != 132) return false;
  ScaleToUnitSphere(&surface);
  // Vertices in their fixed order first, so that "first corner" is settled.
  SortVertices(&surface);
  for (int32_t f = 0; f < surface.faceCount; ++f) {
    int32_t first = 0;
    for (int32_t k = 1; k < surface.cornerCounts[f]; ++k)
      if (surface.corners[f][k] < surface.corners[f][first]) first = k;
    TurnFace(&surface, f, first);
  }
  auto cornerAngle = [&](int32_t f, int32_t k) {
    const int32_t n = surface.cornerCounts[f];
    const Vec3 p = surface.vertices[surface.corners[f][k]];
    const Vec3 a = Unit(Sub(surface.vertices[surface.corners[f][(k + n - 1) % n]], p));
    const Vec3 b = Unit(Sub(surface.vertices[surface.corners[f][(k + 1) % n]], p));
    return std::acos(std::clamp(Dot(a, b), -1.0, 1.0));
  };
  std::vector<int32_t> regular;
  for (int32_t f = 0; f < surface.faceCount; ++f) {
    if (surface.cornerCounts[f] != 5) continue;
    bool equal = true;
    for (int32_t k = 1; k < 5; ++k) equal = equal && std::fabs(cornerAngle(f, k) - cornerAngle(f, 0)) < 1e-9;
    if (equal) regular.push_back(f);
  }
  if (regular.size() != 12) return false;
  std::stable_sort(regular.begin(), regular.end(), [&](int32_t a, int32_t b) {
    return ComesFirst(FaceMean(&surface, a), FaceMean(&surface, b));
  });
  Clear(solid);
  solid->vertexCount = surface.vertexCount;
  std::memcpy(solid->vertices, surface.vertices, sizeof(Vec3) * surface.vertexCount);
  solid->faceCount = 132;
  bool used[132] = {};
  for (int32_t q = 0; q < 12; ++q) {
    const int32_t r = regular[q];
    PlaceFace(surface, r, 11 * q + 5, solid);
    used[r] = true;
    for (int32_t k = 0; k < 5; ++k) {
      const int32_t t = NeighbourAcross(surface, r, k);
      if (t < 0 || surface.cornerCounts[t] != 5) return false;
      // The triangle piece's tip: its sharpest corner.
      int32_t tipCorner = 0;
      for (int32_t j = 1; j < surface.cornerCounts[t]; ++j)
        if (cornerAngle(t, j) < cornerAngle(t, tipCorner)) tipCorner = j;
      const int32_t quad = NeighbourAcross(surface, t, tipCorner);
      if (quad < 0 || used[t] || used[quad] || surface.cornerCounts[quad] != 4) return false;
      used[t] = used[quad] = true;
      PlaceFace(surface, t, 11 * q + k, solid);
      PlaceFace(surface, quad, 11 * q + 6 + k, solid);
    }
  }
  return true;
}

enum SolidKind { kPlain, kDual, kSubdivided, kDodo, kSpikeball, kGid };

struct SolidEntry {
  const char* name;
  void (*points)(PointSet*);
  SolidKind kind;
  double scale;  // 0: shortest edge 1
};

const SolidEntry kSolids[] = {
    {"tetrahedron", Tetrahedron, kPlain, 1},
    {"cube", Cube, kPlain, 1},
    {"octahedron", Octahedron, kPlain, 1},
    {"dodecahedron", Dodecahedron, kPlain, 0},
    {"icosahedron", Icosahedron, kPlain, 0},
    {"cuboctahedron", Cuboctahedron, kPlain, 0},
    {"rhombicuboctahedron", Rhombicuboctahedron, kPlain, 0},
    {"snub cube", SnubCube, kPlain, 0},
    {"truncated icosahedron", TruncatedIcosahedron, kPlain, 0},
    {"icosidodecahedron", Icosidodecahedron, kPlain, 0},
    {"rhombicosidodecahedron", Rhombicosidodecahedron, kPlain, 0},
    {"deltoidal icositetrahedron", Rhombicuboctahedron, kDual, 0},
    {"pentagonal icositetrahedron", SnubCube, kDual, 0},
    {"rhombic triacontahedron", Icosidodecahedron, kDual, 0},
    {"deltoidal hexecontahedron", Rhombicosidodecahedron, kDual, 0},
    {"triangular bipyramid", TriangularBipyramid, kPlain, 0},
    {"subdivided dodecahedron", Dodecahedron, kSubdivided, 0},
    {"dodo", Icosahedron, kDodo, 0},
    {"spikeball", nullptr, kSpikeball, 0},
    {"GID", nullptr, kGid, 0},
};
constexpr int32_t kSolidCount = int32_t(sizeof(kSolids) / sizeof(kSolids[0]));

}  // namespace

int32_t CatalogueSolidCount() { return kSolidCount; }

const char* CatalogueSolidName(int32_t i) { return (i >= 0 && i < kSolidCount) ? kSolids[i].name : nullptr; }

bool MakeCatalogueSolid(const char* name, CatalogueSolid* solid) {
  Clear(solid);
  if (name == nullptr) return false;
  for (const SolidEntry& entry : kSolids) {
    if (std::strcmp(entry.name, name) != 0) continue;
    if (entry.kind == kSpikeball) return Spikeball(solid);
    if (entry.kind == kGid) return Gid(solid);
    PointSet set;
    entry.points(&set);
    if (entry.kind == kDual) {
      CatalogueSolid primal;
      HullFaces(set, &primal);
      PointSet dual;
      DualPoints(primal, &dual);
      set = dual;
    }
    if (entry.kind == kPlain && entry.scale != 0) {
      // The regular solids whose coordinates are given as they stand.
      HullFaces(set, solid);
      SortVertices(solid);
      SortFaces(solid);
    } else {
      FinishSolid(set, solid);
    }
    if (entry.kind == kSubdivided) {
      const CatalogueSolid base = *solid;
      SubdivideFaces(base, solid);
    }
    if (entry.kind == kDodo) {
      const CatalogueSolid base = *solid;
      Dodo(base, solid);
    }
    return true;
  }
  return false;
}

int32_t AddCatalogueSolid(PolyMesh* mesh, const CatalogueSolid* solid) {
  int32_t index[kMaxSolidVertices];
  for (int32_t i = 0; i < solid->vertexCount; ++i) {
    int32_t added = 0;
    index[i] = FindOrAddVertex(mesh, &solid->vertices[i], kVertexTolerance, &added);
  }
  for (int32_t f = 0; f < solid->faceCount; ++f) {
    int32_t corners[kMaxFaceCorners];
    for (int32_t k = 0; k < solid->cornerCounts[f]; ++k) corners[k] = index[solid->corners[f][k]];
    PackAndAddFace(mesh, corners, solid->cornerCounts[f], -1, 1, 0, 0, -1, -1);
  }
  ComputeFaceGeometry(mesh);
  LayoutNetFaces(mesh);
  return mesh->errorCode;
}
