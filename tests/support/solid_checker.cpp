#include "solid_checker.h"

#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "nets/poly_mesh.h"

namespace {

void Problem(SolidReport* report, const std::string& text) { report->problems.push_back(text); }

struct Point {
  double x, y, z;
};

Point VertexAt(const PolyMesh* mesh, int32_t v) {
  const Vec3 p = GetMeshVertexCopy(v, mesh);
  return Point{p.x, p.y, p.z};
}

// Newell's normal of a polygon: robust for non-convex and slightly bent faces.
Point NewellNormal(const std::vector<Point>& corners) {
  Point n{0, 0, 0};
  const size_t count = corners.size();
  for (size_t i = 0; i < count; ++i) {
    const Point& a = corners[i];
    const Point& b = corners[(i + 1) % count];
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
  }
  const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (length > 0) n = Point{n.x / length, n.y / length, n.z / length};
  return n;
}

double Determinant(const Point& a, const Point& b, const Point& c) {
  return a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x);
}

void CheckNeighbourSlots(const PolyMesh* mesh, int32_t faceCount, SolidReport* report) {
  for (int32_t f = 0; f < faceCount; ++f) {
    const MeshFace& face = mesh->faces[f];
    const int32_t n = face.vertexCount;
    for (int32_t k = 0; k < n; ++k) {
      const int32_t g = face.neighbour[k];
      const int32_t j = face.neighbourEdge[k];
      std::ostringstream where;
      where << "face " << f << " edge " << k;
      if (g < 0 || g >= faceCount || j < 0 || j >= mesh->faces[g].vertexCount) {
        Problem(report, where.str() + " has no neighbour");
        continue;
      }
      const MeshFace& other = mesh->faces[g];
      const int32_t m = other.vertexCount;
      const int32_t before = (j + m - 1) % m;
      // The neighbour runs the edge the other way: its edge `before` ends on
      // this edge's start at its corner j.
      if (other.vertex[j] != face.vertex[k] || other.vertex[before] != face.vertex[(k + 1) % n]) {
        Problem(report, where.str() + " names a neighbour that does not share it");
      }
      if (other.neighbour[before] != f) Problem(report, where.str() + ": the neighbour does not name it back");
    }
  }
}

}  // namespace

std::string SolidReport::Describe() const {
  std::ostringstream out;
  out << "V " << vertices << ", E " << edges << ", F " << faces << ", V - E + F " << Euler() << ", volume " << volume
      << ", planarity " << worstPlanarity;
  for (const std::string& p : problems) out << "\n  " << p;
  return out.str();
}

SolidReport CheckSolid(const PolyMesh* mesh, const SolidCheckOptions& options) {
  SolidReport report;
  if (mesh == nullptr) {
    Problem(&report, "no mesh");
    return report;
  }
  const int32_t faceCount = mesh->faceCount;
  if (faceCount <= 0 || faceCount > kMaxMeshFaces) {
    Problem(&report, "face count " + std::to_string(faceCount));
    return report;
  }
  report.faces = faceCount;
  std::map<std::pair<int32_t, int32_t>, int32_t> directed;
  std::set<int32_t> used;
  for (int32_t f = 0; f < faceCount; ++f) {
    const MeshFace& face = mesh->faces[f];
    const int32_t n = face.vertexCount;
    std::ostringstream where;
    where << "face " << f;
    if (n < kMinFaceCorners || n > kMaxFaceCorners) {
      Problem(&report, where.str() + " has " + std::to_string(n) + " corners");
      continue;
    }
    std::vector<Point> corners;
    bool valid = true;
    for (int32_t k = 0; k < n; ++k) {
      const int32_t v = face.vertex[k];
      if (v < 0 || v >= mesh->vertexCount) {
        Problem(&report, where.str() + " names vertex " + std::to_string(v));
        valid = false;
        break;
      }
      used.insert(v);
      corners.push_back(VertexAt(mesh, v));
      ++directed[{v, face.vertex[(k + 1) % n]}];
    }
    if (!valid) continue;
    // Fan from the first corner: the signed volume of the cone to the origin.
    for (int32_t k = 1; k + 1 < n; ++k) report.volume += Determinant(corners[0], corners[k], corners[k + 1]) / 6;
    Point centre{0, 0, 0};
    for (const Point& p : corners) centre = Point{centre.x + p.x / n, centre.y + p.y / n, centre.z + p.z / n};
    const Point normal = NewellNormal(corners);
    for (const Point& p : corners) {
      const double d = std::fabs((p.x - centre.x) * normal.x + (p.y - centre.y) * normal.y + (p.z - centre.z) * normal.z);
      if (d > report.worstPlanarity) report.worstPlanarity = d;
      if (d > options.planarTolerance) {
        Problem(&report, where.str() + " is not planar: a corner lies " + std::to_string(d) + " off its plane");
        break;
      }
    }
  }
  report.vertices = int32_t(used.size());
  for (const auto& [edge, count] : directed) {
    const auto [a, b] = edge;
    std::ostringstream where;
    where << "edge " << a << "-" << b;
    if (count != 1) Problem(&report, where.str() + " is run " + std::to_string(count) + " times the same way");
    const auto back = directed.find({b, a});
    if (back == directed.end()) {
      Problem(&report, where.str() + " is used by one face only");
    } else if (a < b) {
      ++report.edges;
    }
    if (back == directed.end()) ++report.edges;
  }
  if (report.Euler() != 2) Problem(&report, "V - E + F is " + std::to_string(report.Euler()) + ", not 2");
  if (!(report.volume > 0)) Problem(&report, "the signed volume " + std::to_string(report.volume) + " is not positive");
  if (options.checkNeighbours) CheckNeighbourSlots(mesh, faceCount, &report);
  return report;
}
