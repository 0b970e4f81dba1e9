// Net outputs per pixel: the render triangles that can touch a row, the
// triangle under an output point and the direction its face map gives.
#pragma once

#include <cstdint>

#include "geometry/fast_math.h"
#include "geometry/vector.h"
#include "nets/poly_mesh.h"

struct GlobalsRecord;
struct NetFaceList;

void BuildRowFaceList(PolyMesh* mesh, float rowY, int32_t skipId, float margin, NetFaceList* list, float xLeft,
                      float xRight, uint8_t clip);
void MapNetPoint(Vec3f* d, PolyMesh* mesh, GlobalsRecord* globals, float x, float y, uint8_t* outside,
                 NetFaceList* list);
void MapNetFace(PolyMesh* mesh, float b0, float b1, float b2, int32_t triangle, float u, float v,
                GlobalsRecord* globals, Vec3f* d, uint8_t* outside, NetFaceList* list);

// The last step of every net face map: with the mesh's normalise flag the
// direction (less the view centre when the half-angle order is 3) made unit
// length; without it, d's x and y read as an equirectangular position.
inline void FinishNetDirection(const PolyMesh* mesh, int32_t halfAngleOrder, Vec3f* d) {
  if (mesh->normalise == 1) {
    if (halfAngleOrder == 3) {
      d->x = float(d->x - mesh->viewCentre.x);
      d->y = float(d->y - mesh->viewCentre.y);
      d->z = float(d->z - mesh->viewCentre.z);
    }
    NormalizeVec3fDouble(d);
  } else {
    EquirectToVec3f(d->x + 0.75f, d->y, d);
  }
}
// The listed render triangle whose spherical triangle holds the direction.
void FindFaceAtPoint(const Vec3* dir, PolyMesh* mesh, GlobalsRecord* globals, uint8_t* outside, NetFaceList* list);
// Turn (z, y) by 45 degrees, then (x, y) by 35 or 30 degrees.
void TurnDirectionForNetFace35(Vec3f* d);
void TurnDirectionForNetFace30(Vec3f* d);
