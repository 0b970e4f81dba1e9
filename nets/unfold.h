// Unfolding a solid into a flat net: one start face is laid flat and its
// neighbours are attached breadth first across shared edges, each turned down
// into the plane of its placed neighbour, as long as it overlaps nothing
// already placed. A model whose faces carry several groups is unfolded pass
// by pass, each pass into its own pieces (layers).
#pragma once

#include <cstdint>

#include "nets/flat_face.h"
#include "nets/poly_mesh.h"

// |a - b| < 0.0025 in single precision: the angle comparison of the nets.
bool NearlyEqualF(float a, float b);

// Lays a flat face's edge from corner c onto the placed edge of net face n
// from its net point k toward net point k + 1; mirrors the face when it comes
// out with negative orientation.
void AlignFlatFaceToEdge(FlatFace* flat, int32_t c, int32_t n, int32_t k, const PolyMesh* mesh);
// The flat face as a new net face (or at the given index). -1 with
// kMeshNetFacesFull when the table is full.
int32_t AttachFlatFace(PolyMesh* mesh, const FlatFace* flat, bool useGivenIndex, int32_t index);
// The flat face of an existing net face, corners from its net points.
void LoadFlatNetFace(FlatFace* flat, int32_t netFace, const PolyMesh* mesh);

// Segment crossing codes.
constexpr int32_t kSegmentsParallel = 0;
constexpr int32_t kSegmentsCollinearApart = 1;
constexpr int32_t kSegmentsCross = 2;
constexpr int32_t kSegmentsMeetOutside = 3;
constexpr int32_t kSegmentsCollinearOverlap = 4;
// Segments a-b and c-d. The parallel test is relative to the lengths of the
// segments, so small nets are judged as large ones.
int32_t SegmentCrossing(const double a[2], const double b[2], const double c[2], const double d[2], double point[2],
                        double* fraction);
bool PointInFlatFace(const double m[2], const FlatFace* flat);
bool PointNearFlatFaceEdge(const double m[2], const FlatFace* flat);
bool FaceOverlapsPlaced(const FlatFace* flat, int32_t netFace, const PolyMesh* mesh, int32_t skipFace,
                        int32_t skipEdge);
bool OverlapsAnyPlaced(const FlatFace* flat, const PolyMesh* mesh, int32_t skipFace, int32_t skipEdge);

// Which solid faces take part in unfolding pass `group` (1, 2, ...).
bool IsFaceInGroup(const PolyMesh* mesh, int32_t face, int32_t group);
int32_t FindStartFace(const PolyMesh* mesh, int32_t group);
int32_t FindMarkedStartFace(const PolyMesh* mesh, int32_t group);
int32_t AttachFacesRecursive(PolyMesh* mesh, int32_t netFace, int32_t depth, int32_t group);
// One pass: a new piece from the start face of the group. False when there is
// no start face left (or the group is out of range, kMeshGroupOutOfRange).
bool UnfoldFromStartFace(PolyMesh* mesh, int32_t group);

// Mean of a face's vertices.
void FaceCentre3d(int32_t face, const PolyMesh* mesh, Vec3* xyz);
void FaceVertexMean(const PolyMesh* mesh, int32_t face, Vec3* xyz);
