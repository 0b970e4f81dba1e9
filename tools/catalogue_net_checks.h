// Checks of a catalogue net paired with its solid, shared by the catalogue
// generator (which stops on a problem) and the tests. Each returns an empty
// text when all is well, else what is wrong.
#pragma once

#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "nets/poly_mesh.h"

// Every net face has a piece, every solid face is the piece of exactly one
// net face, every net point stands for one vertex wherever it is used (the
// net folds), every net edge is as long as its solid edge and every net corner
// angle is its solid corner's (the faces are congruent), faces that meet in
// the net have pieces that meet on the solid, and the matcher flagged nothing.
inline std::string CheckPairingFolds(const PolyMesh* m, double lengthTolerance = 1e-6) {
  std::ostringstream out;
  std::map<int32_t, int32_t> vertexOfPoint;
  std::vector<int32_t> uses(m->faceCount > 0 ? m->faceCount : 0, 0);
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    const MeshFace& face = m->faces[f];
    const int32_t s = face.piece;
    if (s < 0 || s >= m->faceCount) {
      out << "net face " << f << " has no piece";
      return out.str();
    }
    uses[s] += 1;
    const int32_t n = face.netPointCount;
    if (n != m->faces[s].vertexCount) {
      out << "net face " << f << " and solid face " << s << " differ in corners";
      return out.str();
    }
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = face.netPoint[k];
      const int32_t v = m->faces[s].vertex[(face.rotation + k) % n];
      auto [it, fresh] = vertexOfPoint.emplace(p, v);
      if (!fresh && it->second != v) {
        out << "net point " << p << " stands for vertices " << it->second << " and " << v;
        return out.str();
      }
      double x0, y0, x1, y1;
      GetNetPointXY(p, m, &x0, &y0);
      GetNetPointXY(face.netPoint[(k + 1) % n], m, &x1, &y1);
      const Vec3 a = GetMeshVertexCopy(v, m);
      const Vec3 b = GetMeshVertexCopy(m->faces[s].vertex[(face.rotation + k + 1) % n], m);
      const double netLength = std::hypot(x1 - x0, y1 - y0);
      const double solidLength =
          std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
      if (std::fabs(netLength - solidLength) > lengthTolerance) {
        out << "net face " << f << " edge " << k << " is " << netLength << " long, its solid edge " << solidLength;
        return out.str();
      }
      const float netAngle = face.netCornerAngle[k];
      const float solidAngle = m->faces[s].cornerAngle[(face.rotation + k) % n];
      if (std::fabs(netAngle - solidAngle) > 1e-4f) {
        out << "net face " << f << " corner " << k << " angle " << netAngle << ", solid " << solidAngle;
        return out.str();
      }
      const int32_t g = face.netNeighbour[k];
      if (g >= 0 && m->faces[s].neighbour[(face.rotation + k) % n] != m->faces[g].piece) {
        out << "net faces " << f << " and " << g << " meet, their pieces do not";
        return out.str();
      }
    }
  }
  for (int32_t s = 0; s < m->faceCount; ++s) {
    if (uses[s] != 1) {
      out << "solid face " << s << " is the piece of " << uses[s] << " net faces";
      return out.str();
    }
  }
  if (m->matchFailed) return "matchFailed is set";
  return "";
}

// Every net face turns counter-clockwise (positive area with y up), the
// side the tabs are drawn on being the outside.
inline std::string CheckNetTurnsCounterClockwise(const PolyMesh* m) {
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    const MeshFace& face = m->faces[f];
    double area = 0;
    for (int32_t k = 0; k < face.netPointCount; ++k) {
      double x0, y0, x1, y1;
      GetNetPointXY(face.netPoint[k], m, &x0, &y0);
      GetNetPointXY(face.netPoint[(k + 1) % face.netPointCount], m, &x1, &y1);
      area += x0 * y1 - x1 * y0;
    }
    if (!(area > 0)) return "net face " + std::to_string(f) + " turns clockwise";
  }
  return "";
}

// A net with a flat vertex map: every net face is congruent to the triangle
// of the 3-D points its corners map to.
inline std::string CheckFlatMapCongruent(const PolyMesh* m, double lengthTolerance = 1e-6) {
  std::ostringstream out;
  if (m->flatVertexMap == nullptr) return "no flat vertex map";
  for (int32_t f = 0; f < m->netFaceCount; ++f) {
    const MeshFace& face = m->faces[f];
    const int32_t n = face.netPointCount;
    for (int32_t k = 0; k < n; ++k) {
      const int32_t p = face.netPoint[k];
      const int32_t q = face.netPoint[(k + 1) % n];
      double x0, y0, x1, y1;
      GetNetPointXY(p, m, &x0, &y0);
      GetNetPointXY(q, m, &x1, &y1);
      const Vec3 a = GetMeshVertexCopy(m->flatVertexMap[p], m);
      const Vec3 b = GetMeshVertexCopy(m->flatVertexMap[q], m);
      const double netLength = std::hypot(x1 - x0, y1 - y0);
      const double solidLength =
          std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
      if (std::fabs(netLength - solidLength) > lengthTolerance) {
        out << "net face " << f << " edge " << k << " is " << netLength << " long, on the solid " << solidLength;
        return out.str();
      }
    }
  }
  return "";
}
