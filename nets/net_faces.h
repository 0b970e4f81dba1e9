// The small answers the per-pixel mapping needs of a built net: the region of
// a face, the direction of a point inside a face triangle, the net position
// of a point inside a render triangle.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "nets/poly_mesh.h"

// 1 + the largest FaceRegion over the faces; 1 without faces.
int32_t MeshGroupCount(const PolyMesh* mesh);
// False when id is -1, else whether the triangle's id differs from it.
bool TriangleIdDiffers(const PolyMesh* mesh, int32_t triangle, int32_t id);
// b0 P0 + b1 P1 + b2 P2 over the net positions of the triangle's corners.
void InterpolateTrianglePoint(int32_t triangle, float b0, float b1, float b2, double out[3], const PolyMesh* mesh);
// The direction of a point of a face triangle from its three corner
// directions, blended as equirectangular positions when the net asks for it.
void InterpolateFaceCorners(int32_t triangle, float b0, float b1, float b2, Vec3* direction, const PolyMesh* mesh);
void InterpolateFaceCornersF(int32_t triangle, float b0, float b1, float b2, Vec3f* d, const PolyMesh* mesh);
// Writes (u, v, 0) of the direction over it; 1 when v lies in 0.001..0.999,
// 0 for a pole corner.
float DirectionToUvChecked(Vec3* direction);
void WeightedSum3(double a, double b, double c, const Vec3* P, const Vec3* Q, const Vec3* R, Vec3* S);
