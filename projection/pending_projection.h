// TEMPORARY: operations of the input projections and formula helpers used by
// the pixel road, declared here only until they land on this branch. Delete
// this file after merging them and include their headers instead.
#pragma once

#include <cstdint>

#include "projection/pending_geometry.h"

struct NetFaceList;
struct PolyMesh;

void MapDirectionToSource(int32_t inputProjection, int32_t flip, float sourceAspect, Vec3f* direction, float* srcX,
                          float* srcY, uint8_t* noSource, float* mollweideCache, int32_t* inputFace,
                          int32_t* subImage, float* edgeWeight, PolyMesh* inputMesh, NetFaceList* inputFaces);
void HalveAngleFromForward(Vec3f* v);
