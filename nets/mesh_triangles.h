// Render triangles cut from net faces, the paper-craft tabs on their edges,
// and the walk along the outline of a net.
#pragma once

#include <cstdint>

#include "nets/poly_mesh.h"

constexpr float kTabSlant = 0.57735026f;      // tan 30 degrees of the tab width
constexpr float kWideTabSlant = 1.0355303f;   // the slant of the spikeball's tabs

// Writes triangle t (the count is the caller's) from the net points at
// corners c0, c1, c2 of net face `face`, with the face's region, net group,
// quad and hidden flags, and the tab marks of the edges that are edges of the
// face. False, with errorCode kMeshTrianglesFull when t is past the table,
// or for a face or corner that does not exist.
bool AppendFaceTriangle(int32_t t, PolyMesh* mesh, int32_t face, int32_t c0, int32_t c1, int32_t c2, uint16_t tag);
// 1 / ((p1 - p0) x (p2 - p0)) of the triangle's render points, in double
// precision; 1.0 for a triangle of no area.
void ComputeTriangleInverseArea(int32_t triangle, PolyMesh* mesh);
// A tab on every marked edge of the triangles that exist when the pass starts.
void AddTabTriangles(PolyMesh* mesh);
// The tab of triangle t's edge k: a trapezoid outside the edge whose height is
// tabWidth times the edge length and whose sides slant inwards.
void AddEdgeTab(PolyMesh* mesh, int32_t t, int32_t k);
// The first net face and edge without a net neighbour and not yet visited.
bool FindOpenNetEdge(const PolyMesh* mesh, int32_t* face, int32_t* edge);
// The first net face of the net group with an edge without a net neighbour.
bool FindOpenNetEdgeInGroup(const PolyMesh* mesh, int32_t* face, int32_t* edge, int32_t group);
// The next edge along the outline from (face, edge): the face's next edge
// when it lies on the outline, else across its net neighbours around the
// shared corner until an outline edge is reached. False (nothing changed)
// for a position that is not a net edge or a corner with no outline edge.
bool NextOutlineEdge(const PolyMesh* mesh, int32_t* face, int32_t* edge);
