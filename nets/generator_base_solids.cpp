// The regular solids that the geodesic spheres and the two tetrahedral nets
// start from, built from closed-form coordinates. The tetrahedron has the
// vertices and face order of net 16; the other solids take their faces from
// the convex hull of their vertices, each face turning outward.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "geometry/vector.h"
#include "nets/mesh_adjacency.h"
#include "nets/mesh_pools.h"
#include "nets/net_generators.h"

namespace {

using FaceList = std::vector<std::vector<int32_t>>;

Vec3 Sub(const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Unit(Vec3 v) {
  NormalizeVec3d(&v);
  return v;
}

// The faces of the convex hull of points that lie on a sphere about the
// origin, each counter-clockwise seen from outside, in the order in which
// their first three corners come up.
FaceList HullFaces(const std::vector<Vec3>& points) {
  const int32_t n = int32_t(points.size());
  FaceList faces;
  std::vector<std::vector<int32_t>> seen;
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = i + 1; j < n; ++j) {
      for (int32_t k = j + 1; k < n; ++k) {
        Vec3 normal = Cross(Sub(points[j], points[i]), Sub(points[k], points[i]));
        if (Dot(normal, normal) < 1e-12) continue;
        normal = Unit(normal);
        if (Dot(normal, points[i]) < 0) normal = Vec3{-normal.x, -normal.y, -normal.z};
        const double level = Dot(normal, points[i]);
        std::vector<int32_t> corners;
        bool supporting = true;
        for (int32_t m = 0; m < n && supporting; ++m) {
          const double d = Dot(normal, points[m]) - level;
          if (d > 1e-9) supporting = false;
          if (std::fabs(d) <= 1e-9) corners.push_back(m);
        }
        if (!supporting) continue;
        if (std::find(seen.begin(), seen.end(), corners) != seen.end()) continue;
        seen.push_back(corners);
        // Counter-clockwise about the outward normal, from the lowest index.
        Vec3 centre{0, 0, 0};
        for (int32_t c : corners) centre = Vec3{centre.x + points[c].x, centre.y + points[c].y, centre.z + points[c].z};
        centre = Vec3{centre.x / corners.size(), centre.y / corners.size(), centre.z / corners.size()};
        const Vec3 u = Unit(Sub(points[corners[0]], centre));
        const Vec3 w = Cross(normal, u);
        auto angle = [&](int32_t c) {
          const Vec3 d = Sub(points[c], centre);
          const double a = std::atan2(Dot(d, w), Dot(d, u));
          return a < -1e-9 ? a + 2 * M_PI : a;
        };
        std::sort(corners.begin(), corners.end(), [&](int32_t a, int32_t b) { return angle(a) < angle(b); });
        faces.push_back(corners);
      }
    }
  }
  return faces;
}

// The icosahedron with a vertex at each pole of the y axis.
std::vector<Vec3> IcosahedronPoints() {
  std::vector<Vec3> points{{0, 1, 0}};
  const double y = 1.0 / std::sqrt(5.0);
  const double r = 2.0 / std::sqrt(5.0);
  for (int32_t k = 0; k < 5; ++k) {
    const double a = k * 2 * M_PI / 5;
    points.push_back(Vec3{r * std::sin(a), y, r * std::cos(a)});
  }
  for (int32_t k = 0; k < 5; ++k) {
    const double a = (k + 0.5) * 2 * M_PI / 5;
    points.push_back(Vec3{r * std::sin(a), -y, r * std::cos(a)});
  }
  points.push_back(Vec3{0, -1, 0});
  return points;
}

// The dodecahedron as the dual of that icosahedron: one vertex per face centre.
std::vector<Vec3> DodecahedronPoints() {
  const std::vector<Vec3> ico = IcosahedronPoints();
  std::vector<Vec3> points;
  for (const auto& face : HullFaces(ico)) {
    Vec3 c{0, 0, 0};
    for (int32_t v : face) c = Vec3{c.x + ico[v].x, c.y + ico[v].y, c.z + ico[v].z};
    points.push_back(Unit(c));
  }
  return points;
}

bool BaseGeometry(int32_t baseNet, std::vector<Vec3>* points, FaceList* faces) {
  switch (baseNet) {
    case kBaseTetrahedron:
      // Alternate corners of the cube of side 2, faces as net 16 lists them.
      *points = {{1, -1, -1}, {1, 1, 1}, {-1, 1, -1}, {-1, -1, 1}};
      *faces = {{0, 3, 2}, {2, 1, 0}, {3, 0, 1}, {2, 3, 1}};
      return true;
    case kBaseCube:
      points->clear();
      for (int32_t i = 0; i < 8; ++i) {
        points->push_back(Vec3{(i & 1) ? 0.5 : -0.5, (i & 2) ? 0.5 : -0.5, (i & 4) ? 0.5 : -0.5});
      }
      break;
    case kBaseOctahedron: {
      const double a = 0.70711;
      *points = {{a, 0, 0}, {-a, 0, 0}, {0, a, 0}, {0, -a, 0}, {0, 0, a}, {0, 0, -a}};
      break;
    }
    case kBaseDodecahedron:
      *points = DodecahedronPoints();
      break;
    case kBaseIcosahedron:
      *points = IcosahedronPoints();
      break;
    default:
      return false;
  }
  *faces = HullFaces(*points);
  return true;
}

}  // namespace

bool BuildBaseSolid(PolyMesh* mesh, int32_t baseNet, const BufferProcs* allocator) {
  std::vector<Vec3> points;
  FaceList faces;
  if (mesh == nullptr || !BaseGeometry(baseNet, &points, &faces)) return false;
  if (!AllocMeshTables(mesh, allocator, kMaxNetPoints, kMaxMeshFaces)) return false;
  std::vector<int32_t> index;
  for (const Vec3& p : points) index.push_back(FindOrAddVertexDefault(mesh, &p));
  for (const auto& face : faces) {
    std::array<int32_t, kMaxFaceCorners> list{};
    for (size_t k = 0; k < face.size(); ++k) list[k] = index[face[k]];
    PackAndAddFace(mesh, list.data(), int32_t(face.size()), -1, 1, 0, -1, -1, -1);
  }
  ComputeFaceGeometry(mesh);
  LayoutNetFaces(mesh);
  return true;
}
