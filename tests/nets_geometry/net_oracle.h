// Independent checks of built nets: the faces as polygons of Boost.Geometry
// (intersection areas, containment) and the shapes of net faces against the
// solid faces they fold onto.
#pragma once

#include <gtest/gtest.h>

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "nets/poly_mesh.h"

namespace bg = boost::geometry;
using OraclePoint = bg::model::d2::point_xy<double>;
using OraclePolygon = bg::model::polygon<OraclePoint>;

// A net face as a polygon, from its net points (render points when asked).
inline OraclePolygon NetFacePolygon(const PolyMesh* mesh, int32_t f, bool renderPoints = false) {
  OraclePolygon polygon;
  const int32_t n = NetCornerCount(mesh, f);
  for (int32_t k = 0; k <= n; ++k) {
    const int32_t p = mesh->faces[f].netPoint[k % n];
    double x, y;
    if (renderPoints) {
      x = mesh->renderPoints[p].x;
      y = mesh->renderPoints[p].y;
    } else {
      GetNetPointXY(p, mesh, &x, &y);
    }
    bg::append(polygon.outer(), OraclePoint(x, y));
  }
  bg::correct(polygon);
  return polygon;
}

inline double IntersectionArea(const OraclePolygon& a, const OraclePolygon& b) {
  std::vector<OraclePolygon> parts;
  bg::intersection(a, b, parts);
  double area = 0;
  for (const OraclePolygon& p : parts) area += bg::area(p);
  return area;
}

// No two net faces share area (beyond the rounding of a shared edge).
inline ::testing::AssertionResult NoFacesOverlap(const PolyMesh* mesh, bool renderPoints = false) {
  const int32_t n = mesh->netFaceCount;
  for (int32_t a = 0; a < n; ++a) {
    const OraclePolygon pa = NetFacePolygon(mesh, a, renderPoints);
    for (int32_t b = a + 1; b < n; ++b) {
      const OraclePolygon pb = NetFacePolygon(mesh, b, renderPoints);
      const double shared = IntersectionArea(pa, pb);
      const double scale = std::min(bg::area(pa), bg::area(pb));
      if (shared > 1e-6 * scale) {
        return ::testing::AssertionFailure() << "net faces " << a << " and " << b << " share area " << shared;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Every net face has the edge lengths and corner angles of its solid face
// (piece, rotation), up to one common scale of the net.
inline ::testing::AssertionResult FacesCongruent(const PolyMesh* mesh, double tolerance = 1e-3) {
  double scale = 0;
  for (int32_t f = 0; f < mesh->netFaceCount; ++f) {
    const MeshFace& face = mesh->faces[f];
    const int32_t n = NetCornerCount(mesh, f);
    if (face.piece < 0) return ::testing::AssertionFailure() << "net face " << f << " has no solid face";
    const MeshFace& solid = mesh->faces[face.piece];
    if (solid.vertexCount != n) return ::testing::AssertionFailure() << "corner counts differ at net face " << f;
    auto netCorner = [&](int32_t k, double xy[2]) { GetNetPointXY(face.netPoint[(k % n + n) % n], mesh, &xy[0], &xy[1]); };
    auto solidCorner = [&](int32_t k) { return GetMeshVertexCopy(solid.vertex[((face.rotation + k) % n + n) % n], mesh); };
    for (int32_t k = 0; k < n; ++k) {
      double a[2], b[2], c[2];
      netCorner(k, a);
      netCorner(k + 1, b);
      netCorner(k - 1, c);
      const Vec3 A = solidCorner(k), B = solidCorner(k + 1), C = solidCorner(k - 1);
      const double netLength = std::hypot(b[0] - a[0], b[1] - a[1]);
      const double solidLength = std::sqrt((B.x - A.x) * (B.x - A.x) + (B.y - A.y) * (B.y - A.y) + (B.z - A.z) * (B.z - A.z));
      if (scale == 0) scale = netLength / solidLength;
      if (std::fabs(netLength - scale * solidLength) > tolerance * scale * solidLength) {
        return ::testing::AssertionFailure() << "net face " << f << " edge " << k << ": " << netLength << " against "
                                             << scale * solidLength;
      }
      const double u[2] = {b[0] - a[0], b[1] - a[1]}, v[2] = {c[0] - a[0], c[1] - a[1]};
      const double netAngle = std::acos((u[0] * v[0] + u[1] * v[1]) / (std::hypot(u[0], u[1]) * std::hypot(v[0], v[1])));
      const Vec3 U{B.x - A.x, B.y - A.y, B.z - A.z}, V{C.x - A.x, C.y - A.y, C.z - A.z};
      const double solidAngle = std::acos((U.x * V.x + U.y * V.y + U.z * V.z) /
                                          (std::sqrt(U.x * U.x + U.y * U.y + U.z * U.z) * std::sqrt(V.x * V.x + V.y * V.y + V.z * V.z)));
      if (std::fabs(netAngle - solidAngle) > tolerance) {
        return ::testing::AssertionFailure() << "net face " << f << " corner " << k << ": angle " << netAngle
                                             << " against " << solidAngle;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// The pieces of a net: faces joined by net neighbours.
inline int32_t CountPieces(const PolyMesh* mesh) {
  std::vector<int32_t> piece(size_t(mesh->netFaceCount), -1);
  int32_t pieces = 0;
  for (int32_t s = 0; s < mesh->netFaceCount; ++s) {
    if (piece[s] >= 0) continue;
    std::vector<int32_t> stack{s};
    piece[s] = pieces;
    while (!stack.empty()) {
      const int32_t f = stack.back();
      stack.pop_back();
      for (int32_t k = 0; k < NetCornerCount(mesh, f); ++k) {
        const int32_t g = mesh->faces[f].netNeighbour[k];
        if (g >= 0 && piece[g] < 0) {
          piece[g] = pieces;
          stack.push_back(g);
        }
      }
    }
    ++pieces;
  }
  return pieces;
}
