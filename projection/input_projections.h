// The input projections: where a direction on the sphere lies in the source
// image for each of the 29 input layouts of a spherical panorama.
#pragma once

#include <cstdint>

#include "geometry/vector.h"

struct NetFaceList;
struct PolyMesh;

constexpr int32_t kInputProjectionCount = 29;

// Maps the unit direction d (+z the view centre, +y up, +x the left half of
// an equirectangular source) into the source of input projection 1..29:
// srcX, srcY in 0..1 (x right, y down), a no-source flag, the sub-image the
// point falls in, the cube face of the cross inputs and, for input 26 only,
// an edge weight. flip mirrors srcX on every path. direction is read only.
// Input 29 (the soccer net, searched through inputMesh and inputFaces) has no
// source until the net search is in place; inputs 1..28 ignore both.
void MapDirectionToSource(int32_t inputProjection, int32_t flip, float sourceAspect, Vec3f* direction,
                          float* srcX, float* srcY, uint8_t* noSource, float* mollweideCache,
                          int32_t* inputFace, int32_t* subImage, float* edgeWeight, PolyMesh* inputMesh,
                          NetFaceList* inputFaces);
