// Shared record and per-family entry points of the input projections; used
// only by the input projection sources.
#pragma once

#include <cstdint>

#include "geometry/vector.h"

// The result of one input mapping before the flip is applied.
struct InputSample {
  float srcX;
  float srcY;
  uint8_t noSource;
  int32_t subImage;
  int32_t inputFace;
  float edgeWeight;
};

// Equirectangular coordinates of a direction: u around the vertical axis
// (0.5 straight ahead), v from the top (0) to the bottom (1).
struct EquirectPosition {
  float u;
  float v;
};

// The direction's (u, v). FastAcos clamps its argument, so a direction a
// rounding step past a pole stays at that pole.
EquirectPosition InputEquirect(const Vec3f* d);

// Marks the sample as having no source: (-1, -1), flag 1.
void MarkNoSource(InputSample* s);

// True when 0 > value or value > 1 (a value that is not a number passes).
bool OutsideUnit(float value);

// Families: each fills the sample for its own input numbers.
void MapDiscInput(int32_t input, const Vec3f* d, float aspect, InputSample* s);   // 2 3 4 6 8 9 15 18
void MapStripInput(int32_t input, const Vec3f* d, float aspect, InputSample* s);  // 1 5 13 16 20 24
void MapWorldMapInput(int32_t input, const Vec3f* d, float* mollweideCache, InputSample* s);  // 7 14 17 21 22 23
void MapGoreInput(int32_t input, const Vec3f* d, InputSample* s);                 // 12 19 25
void MapCubeInput(int32_t input, const Vec3f* d, InputSample* s);                 // 10 11 26 27 28
// Input 29: the search of the input net's band list for the reversed direction.
struct NetFaceList;
struct PolyMesh;
void MapSoccerInput(const Vec3f* d, PolyMesh* mesh, NetFaceList* list, InputSample* s);

// The gores at a given (u, v); MapGoreInput with the direction's position.
void MapGoresAt(int32_t input, EquirectPosition e, InputSample* s);
