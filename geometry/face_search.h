// The search of a band's face list for the render triangle of a net that a
// direction passes through (the input net of the soccer-ball input).
#pragma once

#include <cstdint>

#include "geometry/vector.h"

struct NetFaceList;
struct PolyMesh;

// Tests the listed face triangles, from the list's face cursor on, with
// InSphericalTriangle on their three corner directions. On a hit *miss = 0,
// the list records the triangle (hitTriangle, faceCursor moved onto it so the
// next pixel starts there, hitPoint = direction*t) and w0, w1, w2 are the
// barycentric weights of the ray's crossing of the flat triangle. Otherwise
// *miss = 1 and the weights are left alone. A crossing the flat test cannot
// place (a degenerate triangle, a grazing direction) still gives weights in
// the triangle.
void FindFaceHitByRay(const Vec3* direction, const PolyMesh* mesh, uint8_t* miss, NetFaceList* list, double* w0,
                      double* w1, double* w2);
