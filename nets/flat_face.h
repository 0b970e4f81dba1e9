// One solid face laid into the plane: the form in which the unfolder places
// faces, and the test of which way round a face's corners run.
#pragma once

#include <cstdint>

#include "nets/poly_mesh.h"

struct FlatCorner {
  double x;
  double y;
  int32_t vertex;    // the solid vertex of this corner
  int32_t layerTag;  // the net group the face is laid for
};

struct FlatFace {
  FlatCorner corners[kMaxFaceCorners];
  int32_t cornerCount;
  int32_t sourceFace;  // -1 none
  double tilt;         // the face normal's dot product with (0, 0, -1)
};

// Turns the solid face so that its normal points along (0, 0, -1) and keeps
// x and y of each corner. A face whose normal is within acos 0.9 of the z
// axis is turned through the x axis, which keeps the turn well conditioned.
void FlattenFace(const PolyMesh* mesh, int32_t face, FlatFace* flat, int32_t layerTag);
// +1, -1 or 0: the sign of (P(k-1) - P(k)) x (P(k+1) - P(k)) at the corner
// with the lowest y (the lowest x among equal y), a corner that is always
// convex.
int32_t FlatFaceOrientation(const FlatFace* flat);
int32_t NextFlatCorner(const FlatFace* flat, int32_t k);
