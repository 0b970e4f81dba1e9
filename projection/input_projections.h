// The input projections: where a direction on the sphere lies in the source
// image for each of the 29 input layouts of a spherical panorama.
#pragma once

#include <cstdint>

#include "geometry/fast_math.h"
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

// The sub-image of every direction of an input that has a single one.
constexpr int32_t kWholeSourceSubImage = 2;

// True for the inputs that give every direction a source in the one
// sub-image kWholeSourceSubImage (never "no source", never another
// sub-image): the equirectangular and equal-area cylinder sources and the
// balls and discs that cover the whole sphere. For them the status and
// sub-image of a mapped point follow from the output side alone.
inline bool InputKeepsStatus(int32_t inputProjection) {
  switch (inputProjection) {
    case 1:
    case 2:
    case 3:
    case 6:
    case 18:
    case 24:
      return true;
    default:
      return false;
  }
}

// Input 1, the equirectangular source, as MapDirectionToSource maps it: the
// whole source (sub-image kWholeSourceSubImage, no cube face), never "no
// source". Inline for the per-pixel road of the commonest source.
inline void MapEquirectSource(const Vec3f* d, int32_t flip, float* srcX, float* srcY) {
  float u = 0.0f;
  float v = 0.0f;
  Vec3fToEquirect(d, &u, &v);
  *srcX = 1.0f - u;
  if (flip != 0) *srcX = 1.0f - *srcX;
  *srcY = v;
}
