// From an unfolded net to what the renderer looks up per pixel: finishing the
// net, the paper-craft tab marks, the render triangles cut from the net faces,
// the corner triangles of flat layouts and the per-triangle and per-face data
// of the two per-pixel operations.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "nets/poly_mesh.h"

// The tab walk gives up on an outline longer than every net edge together:
// the net adjacency is then broken.
constexpr int32_t kMeshOutlineOpen = 12;

// Unfolds a built model group by group, ties the net faces together, lays the
// pieces side by side and finds the opposite points of quad faces.
void FinishNet(PolyMesh* mesh);

// One outline of the net, from its first edge not yet visited: every second
// edge gets a tab. False when every outline edge is visited. An outline that
// does not close sets kMeshOutlineOpen and ends the walk.
bool TabChain(PolyMesh* mesh, int32_t group, bool assignGroup);
// Gives each solid edge a tab on exactly one of its two net sides (only the
// cut edges when cutEdgesOnly).
void BalanceTabs(PolyMesh* mesh, bool cutEdgesOnly);
// The same for a net of one piece as well.
void BalanceTabsOverEdges(PolyMesh* mesh, bool cutEdgesOnly);

// Ear clipping of one net face into render triangles.
void TriangulateNetFace(int32_t netFace, PolyMesh* mesh);
// A triangle of three new render points (corner and merged triangles).
void AppendRenderTriangle(PolyMesh* mesh, float x0, float y0, float x1, float y1, float x2, float y2, int32_t face,
                          int32_t id);
void AddCornerTriangles(PolyMesh* mesh);

void MarkUsedNetPoints(PolyMesh* mesh);
// The solid vertex of a net point, or -1.
int32_t NetPointVertex(const PolyMesh* mesh, int32_t netPoint);

// The inverse bilinear map of quad faces: corners (A, B, C, D) give the
// coefficients of the quadratic whose root is the parameter of point q.
void QuadMapCoefficients(const double A[2], const double B[2], const double C[2], const double D[2], double* k1,
                         double* k2, double* k3);
double InverseBilinearParameter(const double A[2], const double B[2], const double C[2], const double D[2],
                                const double q[2], double k1, double k2, double k3);
void PrecomputeQuadMaps(PolyMesh* mesh);
void StoreTriangleCornerDirections(PolyMesh* mesh);
void TriangleCornerDirection(int32_t triangle, int32_t corner, Vec3* xyz, const PolyMesh* mesh);
// Bounds of the render triangles whose face is id (selector 0), whose net
// group is id (selector 1), or of all (selector 2); untouched when none.
void RenderTriangleBounds(const PolyMesh* mesh, float* xmin, float* xmax, float* ymin, float* ymax, int32_t id,
                          int32_t selector);

// Per pixel.
bool NetTriangleBarycentric(int32_t triangle, float x, float y, float* b0, float* b1, float* b2,
                            const PolyMesh* mesh);
void QuadFaceMap(int32_t triangle, float x, float y, Vec3f* d, const PolyMesh* mesh);
