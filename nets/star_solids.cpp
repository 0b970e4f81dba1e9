#include "nets/star_solids.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <map>
#include <vector>

#include "nets/solid_vectors.h"

namespace {

const double kPhi = (1.0 + std::sqrt(5.0)) / 2.0;
constexpr double kPi = 3.14159265358979323846;
// A cell corner this near a cutting plane lies on it.
constexpr double kOnPlane = 1e-10;
// Corners of cells this near one another are one vertex.
constexpr double kSamePoint = 1e-8;
// How far off a face its two sides are probed.
constexpr double kProbe = 1e-6;

using solid_vectors::Add;
using solid_vectors::Cross;
using solid_vectors::Dot;
using solid_vectors::Length;
using solid_vectors::Scale;
using solid_vectors::Sub;
using solid_vectors::Unit;

struct Plane {
  Vec3 normal;
  double offset;
};

// The plane of a face path (Newell's normal, so that a star path counts its
// winding), its normal on the counter-clockwise side.
Plane FacePlane(const StarSolid& star, int32_t f) {
  const int32_t n = star.cornerCounts[f];
  Vec3 normal{0, 0, 0};
  Vec3 centre{0, 0, 0};
  for (int32_t k = 0; k < n; ++k) {
    const Vec3& a = star.corners[f][k];
    const Vec3& b = star.corners[f][(k + 1) % n];
    normal = Add(normal, Cross(a, b));
    centre = Add(centre, a);
  }
  normal = Unit(normal);
  return Plane{normal, Dot(normal, Scale(centre, 1.0 / n))};
}

// Signed solid angle of the triangle (a, b, c) seen from p.
double SolidAngle(const Vec3& p, const Vec3& a0, const Vec3& b0, const Vec3& c0) {
  const Vec3 a = Sub(a0, p), b = Sub(b0, p), c = Sub(c0, p);
  const double la = Length(a), lb = Length(b), lc = Length(c);
  const double numerator = Dot(a, Cross(b, c));
  const double denominator = la * lb * lc + Dot(a, b) * lc + Dot(a, c) * lb + Dot(b, c) * la;
  return 2.0 * std::atan2(numerator, denominator);
}

using Polygon = std::vector<Vec3>;

// Cuts a convex polygon by a plane; the parts on either side (empty when the
// plane does not pass through it).
void SplitConvex(const Polygon& cell, const Plane& plane, Polygon* below, Polygon* above) {
  below->clear();
  above->clear();
  const size_t n = cell.size();
  std::vector<double> side(n);
  bool anyBelow = false, anyAbove = false;
  for (size_t k = 0; k < n; ++k) {
    side[k] = Dot(plane.normal, cell[k]) - plane.offset;
    if (std::fabs(side[k]) < kOnPlane) side[k] = 0;
    anyBelow = anyBelow || side[k] < 0;
    anyAbove = anyAbove || side[k] > 0;
  }
  if (!anyBelow || !anyAbove) return;
  for (size_t k = 0; k < n; ++k) {
    const Vec3& a = cell[k];
    const Vec3& b = cell[(k + 1) % n];
    const double da = side[k], db = side[(k + 1) % n];
    if (da <= 0) below->push_back(a);
    if (da >= 0) above->push_back(a);
    if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
      const Vec3 p = Add(a, Scale(Sub(b, a), da / (da - db)));
      below->push_back(p);
      above->push_back(p);
    }
  }
}

// Winding number of the face path round a point of its plane.
int32_t PathWinding(const StarSolid& star, int32_t f, const Plane& plane, const Vec3& point) {
  const int32_t n = star.cornerCounts[f];
  double turn = 0;
  for (int32_t k = 0; k < n; ++k) {
    const Vec3 a = Sub(star.corners[f][k], point);
    const Vec3 b = Sub(star.corners[f][(k + 1) % n], point);
    turn += std::atan2(Dot(plane.normal, Cross(a, b)), Dot(a, b));
  }
  return int32_t(std::lround(turn / (2 * kPi)));
}

// The face's region as a convex polygon holding it (its corners by angle
// round their centre, counter-clockwise), to be cut into cells.
Polygon FaceHull(const StarSolid& star, int32_t f, const Plane& plane) {
  const int32_t n = star.cornerCounts[f];
  Vec3 centre{0, 0, 0};
  for (int32_t k = 0; k < n; ++k) centre = Add(centre, star.corners[f][k]);
  centre = Scale(centre, 1.0 / n);
  const Vec3 u = Unit(Sub(star.corners[f][0], centre));
  const Vec3 w = Cross(plane.normal, u);
  std::vector<std::pair<double, int32_t>> order;
  for (int32_t k = 0; k < n; ++k) {
    const Vec3 d = Sub(star.corners[f][k], centre);
    order.emplace_back(std::atan2(Dot(d, w), Dot(d, u)), k);
  }
  std::sort(order.begin(), order.end());
  Polygon hull;
  for (const auto& [angle, k] : order) hull.push_back(star.corners[f][k]);
  return hull;
}

struct VertexPool {
  std::vector<Vec3> points;
  int32_t Find(const Vec3& p) {
    for (size_t i = 0; i < points.size(); ++i)
      if (Length(Sub(points[i], p)) < kSamePoint) return int32_t(i);
    points.push_back(p);
    return int32_t(points.size() - 1);
  }
};

// Joins the cells of one face into polygons: edges that two cells share
// (run both ways) cancel, the rest close into loops. False when a corner has
// more than one way on.
bool JoinCells(const std::vector<std::vector<int32_t>>& cells, std::vector<std::vector<int32_t>>* loops) {
  std::map<std::pair<int32_t, int32_t>, int32_t> edges;
  for (const auto& cell : cells)
    for (size_t k = 0; k < cell.size(); ++k) ++edges[{cell[k], cell[(k + 1) % cell.size()]}];
  std::map<int32_t, int32_t> next;
  for (const auto& [edge, count] : edges) {
    const auto back = edges.find({edge.second, edge.first});
    const int32_t left = count - (back == edges.end() ? 0 : back->second);
    if (left <= 0) continue;
    if (left > 1 || next.count(edge.first)) return false;
    next[edge.first] = edge.second;
  }
  while (!next.empty()) {
    std::vector<int32_t> loop;
    int32_t v = next.begin()->first;
    while (next.count(v)) {
      loop.push_back(v);
      const int32_t w = next[v];
      next.erase(v);
      v = w;
    }
    if (v != loop.front()) return false;
    loops->push_back(loop);
  }
  return true;
}

}  // namespace

int32_t StarWindingNumber(const StarSolid& star, const Vec3& point) {
  double total = 0;
  for (int32_t f = 0; f < star.faceCount; ++f) {
    const int32_t n = star.cornerCounts[f];
    for (int32_t k = 1; k + 1 < n; ++k)
      total += SolidAngle(point, star.corners[f][0], star.corners[f][k], star.corners[f][k + 1]);
  }
  return int32_t(std::lround(total / (4 * kPi)));
}

bool OuterSurface(const StarSolid& star, CatalogueSolid* surface) {
  std::memset(surface, 0, sizeof(CatalogueSolid));
  std::vector<Plane> planes;
  std::vector<Plane> cuts;  // the distinct planes
  for (int32_t f = 0; f < star.faceCount; ++f) {
    const Plane p = FacePlane(star, f);
    planes.push_back(p);
    bool known = false;
    for (const Plane& q : cuts) {
      const double same = Dot(p.normal, q.normal);
      known = known || (std::fabs(std::fabs(same) - 1) < 1e-12 && std::fabs(p.offset - same * q.offset) < 1e-12);
    }
    if (!known) cuts.push_back(p);
  }
  VertexPool pool;
  std::vector<std::vector<int32_t>> faces;
  for (int32_t f = 0; f < star.faceCount; ++f) {
    const Plane& plane = planes[f];
    std::vector<Polygon> cells{FaceHull(star, f, plane)};
    for (const Plane& cut : cuts) {
      if (std::fabs(std::fabs(Dot(cut.normal, plane.normal)) - 1) < 1e-12) continue;
      std::vector<Polygon> next;
      for (const Polygon& cell : cells) {
        Polygon below, above;
        SplitConvex(cell, cut, &below, &above);
        if (below.empty()) {
          next.push_back(cell);
        } else {
          next.push_back(below);
          next.push_back(above);
        }
      }
      cells.swap(next);
    }
    std::vector<std::vector<int32_t>> seen;
    for (const Polygon& cell : cells) {
      Vec3 centre{0, 0, 0};
      for (const Vec3& p : cell) centre = Add(centre, p);
      centre = Scale(centre, 1.0 / double(cell.size()));
      if (PathWinding(star, f, plane, centre) == 0) continue;
      const bool frontOut = StarWindingNumber(star, Add(centre, Scale(plane.normal, kProbe))) == 0;
      const bool backOut = StarWindingNumber(star, Sub(centre, Scale(plane.normal, kProbe))) == 0;
      if (frontOut == backOut) continue;
      std::vector<int32_t> ids;
      for (const Vec3& p : cell) {
        const int32_t id = pool.Find(p);
        if (ids.empty() || ids.back() != id) ids.push_back(id);
      }
      while (ids.size() > 1 && ids.back() == ids.front()) ids.pop_back();
      if (ids.size() < 3) continue;
      if (!frontOut) std::reverse(ids.begin(), ids.end());
      seen.push_back(ids);
    }
    if (!JoinCells(seen, &faces)) return false;
  }
  // Corners where only two polygons meet lie on a straight edge of both.
  std::vector<int32_t> uses(pool.points.size(), 0);
  for (const auto& face : faces)
    for (int32_t v : face) ++uses[v];
  std::vector<int32_t> index(pool.points.size(), -1);
  for (size_t v = 0; v < pool.points.size(); ++v) {
    if (uses[v] < 3) continue;
    if (surface->vertexCount >= kMaxSolidVertices) return false;
    index[v] = surface->vertexCount;
    surface->vertices[surface->vertexCount++] = pool.points[v];
  }
  for (const auto& face : faces) {
    if (surface->faceCount >= kMaxSolidFaces) return false;
    const int32_t f = surface->faceCount++;
    for (int32_t v : face) {
      if (index[v] < 0) continue;
      if (surface->cornerCounts[f] >= kMaxFaceCorners) return false;
      surface->corners[f][surface->cornerCounts[f]++] = index[v];
    }
  }
  return true;
}

namespace {

// The turn by the angle round the unit axis (Rodrigues).
Vec3 Turn(const Vec3& p, const Vec3& axis, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return Add(Add(Scale(p, c), Scale(Cross(axis, p), s)), Scale(axis, Dot(axis, p) * (1 - c)));
}

void AddFace(StarSolid* star, std::initializer_list<Vec3> corners) {
  const int32_t f = star->faceCount++;
  star->cornerCounts[f] = 0;
  for (const Vec3& p : corners) star->corners[f][star->cornerCounts[f]++] = p;
}

// Every sign combination of the cyclic permutations of (x, y, z), zero
// coordinates taken once.
void AddCyclicSigned(std::vector<Vec3>* points, double x, double y, double z) {
  const double c[3] = {x, y, z};
  for (int32_t r = 0; r < 3; ++r) {
    for (int32_t s = 0; s < 8; ++s) {
      double p[3];
      bool repeat = false;
      for (int32_t i = 0; i < 3; ++i) {
        p[i] = c[(i + r) % 3];
        if (s & (1 << i)) {
          repeat = repeat || p[i] == 0;
          p[i] = -p[i];
        }
      }
      if (!repeat) points->push_back(Vec3{p[0], p[1], p[2]});
    }
  }
}

}  // namespace

void FiveTetrahedra(StarSolid* star) {
  std::memset(star, 0, sizeof(StarSolid));
  const Vec3 tetrahedron[4] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
  // The axis through the centre of the dodecahedron's face round (1, 0, phi).
  const Vec3 axis = Unit(Vec3{1, 0, kPhi});
  for (int32_t t = 0; t < 5; ++t) {
    Vec3 c[4];
    for (int32_t i = 0; i < 4; ++i) c[i] = Turn(tetrahedron[i], axis, 2 * kPi * t / 5);
    // Each face counter-clockwise seen from outside: the corners but one, in
    // the order that turns away from the one left out.
    for (int32_t skip = 0; skip < 4; ++skip) {
      Vec3 f[3];
      int32_t n = 0;
      for (int32_t i = 0; i < 4; ++i)
        if (i != skip) f[n++] = c[i];
      if (Dot(Cross(Sub(f[1], f[0]), Sub(f[2], f[0])), Sub(f[0], c[skip])) < 0) std::swap(f[1], f[2]);
      AddFace(star, {f[0], f[1], f[2]});
    }
  }
}

void GreatIcosidodecahedron(StarSolid* star) {
  std::memset(star, 0, sizeof(StarSolid));
  std::vector<Vec3> points;
  AddCyclicSigned(&points, 0, 0, kPhi);
  AddCyclicSigned(&points, 0.5, kPhi / 2, kPhi * kPhi / 2);
  // The edge: phi^2 times the icosidodecahedron's (which is 1 here).
  const double edge = kPhi * kPhi;
  const int32_t n = int32_t(points.size());
  auto near = [](double a, double b) { return std::fabs(a - b) < 1e-9; };
  auto outward = [](const Vec3& a, const Vec3& b, const Vec3& c) {
    return Dot(Cross(Sub(b, a), Sub(c, a)), a) > 0;
  };
  // The triangles: three corners an edge apart.
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = i + 1; j < n; ++j)
      for (int32_t k = j + 1; k < n; ++k) {
        const Vec3 &a = points[i], &b = points[j], &c = points[k];
        if (!near(Length(Sub(a, b)), edge) || !near(Length(Sub(b, c)), edge) || !near(Length(Sub(a, c)), edge)) continue;
        if (outward(a, b, c)) {
          AddFace(star, {a, b, c});
        } else {
          AddFace(star, {a, c, b});
        }
      }
  // The pentagrams: across each of the twelve five-fold axes, the level of
  // five corners an edge / phi apart, joined every second one.
  std::vector<Vec3> axes;
  AddCyclicSigned(&axes, 0, kPhi, 1);
  for (const Vec3& axis0 : axes) {
    const Vec3 axis = Unit(axis0);
    std::map<long, std::vector<Vec3>> levels;
    for (const Vec3& p : points)
      if (Dot(axis, p) > 1e-9) levels[std::lround(Dot(axis, p) * 1e6)].push_back(p);
    for (auto& [level, ring] : levels) {
      if (ring.size() != 5) continue;
      double shortest = 1e300;
      for (size_t a = 0; a < 5; ++a)
        for (size_t b = a + 1; b < 5; ++b) shortest = std::min(shortest, Length(Sub(ring[a], ring[b])));
      if (!near(shortest, edge / kPhi)) continue;
      // By angle round the axis, counter-clockwise seen from outside.
      const Vec3 u = Unit(Sub(ring[0], Scale(axis, Dot(axis, ring[0]))));
      const Vec3 w = Cross(axis, u);
      std::sort(ring.begin(), ring.end(), [&](const Vec3& a, const Vec3& b) {
        return std::atan2(Dot(a, w), Dot(a, u)) < std::atan2(Dot(b, w), Dot(b, u));
      });
      AddFace(star, {ring[0], ring[2], ring[4], ring[1], ring[3]});
    }
  }
}
