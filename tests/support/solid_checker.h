// Checks that the solid held by a PolyMesh is a closed, consistently oriented
// polyhedron: every edge is used exactly twice, once in each direction; the
// Euler characteristic V - E + F is 2; the signed volume of the outward
// oriented faces is positive; every face is planar within a tolerance; and,
// when asked, the neighbour slots agree with the shared edges.
//
// The checker reads only the faces' vertex lists and the vertex table, so it
// is independent of the adjacency and geometry passes it is used to test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PolyMesh;

struct SolidReport {
  int32_t vertices = 0;  // distinct vertices named by the faces
  int32_t edges = 0;     // undirected edges
  int32_t faces = 0;
  double volume = 0;          // signed; positive when the faces turn outward
  double worstPlanarity = 0;  // largest distance of a corner from its face's plane
  std::vector<std::string> problems;

  int32_t Euler() const { return vertices - edges + faces; }
  bool Sound() const { return problems.empty(); }
  std::string Describe() const;
};

struct SolidCheckOptions {
  double planarTolerance = 1e-9;
  bool checkNeighbours = false;  // the solid neighbour slots must name the face across each edge
};

SolidReport CheckSolid(const PolyMesh* mesh, const SolidCheckOptions& options = {});
