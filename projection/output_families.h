// Shared pieces of the closed-form output inverses, one entry point per
// family. Used only by the output projection sources.
#pragma once

#include <cmath>
#include <cstdint>

#include "geometry/fast_math.h"
#include "geometry/vector.h"
#include "projection/mapping_context.h"

struct NetFaceList;
struct PixelMapping;

// The point handed to an inverse: the normalised output point and the plane
// point X = (nx - cx)*s, Y = (ny - 0.5)*s*A of the output mesh's layout.
struct OutputPoint {
  float nx;
  float ny;
  float planeX;
  float planeY;
  float scale;  // the layout scale s
};

// What an inverse writes: the direction, or the outside flag; the region of
// the multi-view sheets and "zenith & nadir"; the view normal of the globes.
struct OutputResult {
  Vec3f* d;
  uint8_t* outside;
  int32_t* region;
  PixelMapping* mapping;
  NetFaceList* faceList;
  // Only the outside flag and the region are read (the pixel centre's test):
  // inverses whose last steps only turn the point into a direction may stop
  // before them.
  bool directionUnused;
};

constexpr float kPiF = 3.1415927f;
constexpr float kTwoPiF = 6.2831855f;
constexpr float kHalfPiF = 1.5707964f;

// The smallest field of view the outputs work with, in degrees, and its two
// tangent terms 2*tan(fov/180 * pi/2) and 2*tan(fov/360 * pi/2). A field of
// view of zero or below would make a view collapse to one point or turn it
// inside out (with divisions by zero where 1 + r*T vanishes).
constexpr float kMinimumFov = 0.01f;
constexpr float kMinimumFovTan = 1.7453293e-4f;
constexpr float kMinimumHalfFovTan = 8.7266463e-5f;

// The field-of-view terms of the context, with a zero or negative field of
// view clamped to the minimum.
inline float ViewFovTan(const MappingContext* context) {
  const float t = context->fovTan;
  return t > kMinimumFovTan ? t : kMinimumFovTan;
}
inline float ViewHalfFovTan(const MappingContext* context) {
  const float t = context->halfFovTan;
  return t > kMinimumHalfFovTan ? t : kMinimumHalfFovTan;
}

// Equi(u, v): the direction of the equirectangular point (u, v).
inline Vec3f Equi(float u, float v) {
  Vec3f e;
  EquirectToVec3f(u, v, &e);
  return e;
}

// Puts the pole of e in front of the viewer: (e.x, -e.z, e.y).
inline Vec3f PoleTurn(const Vec3f& e) { return Vec3f{e.x, -e.z, e.y}; }

// Ang(a, b) = atan2(a, b) + pi in [0, 2pi].
inline float Ang(float a, float b) { return AngleAroundOrigin(a, b); }

// The families. Each handles the output numbers listed with it.
// 1, 11, 13, 17, 20, 35, 46, 62, 80, 81, 138
void MapCylindricalOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r);
// 2, 3, 4, 5, 12, 15, 16, 19, 22, 23, 24, 39, 40, 43, 50, 59, 82, 85, 134, 139, 143, 10054
void MapAzimuthalOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r);
// 48, 49
void MapStarOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r);
// 14, 18, 52, 56, 57, 58, 60, 75..79, 88, 171, 255
void MapViewOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r);
// 65..69, 84, 89, 120, 135, 136, 159, 160
void MapComplexPlaneOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r);
// 36, 37, 38, 53, 61, 63, 73, 74, 1054
void MapGoreOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r);
// The outputs whose inverse lives with the lookup grids, the quincuncial
// family and the shaped outputs.
void MapDelegatedOutput(int32_t output, const OutputPoint& p, MappingContext* context, const OutputResult& r);

// The mirror ball inverse at (x, y) of its unit disc (outputs 2, 22, 141).
void MirrorBallDirection(float x, float y, Vec3f* d, uint8_t* outside);
// The hyperbolic inverse (outputs 15, 52).
Vec3f HyperbolicDirection(float planeX, float planeY, float fovTan);
// The rectilinear inverse with a lens shift (outputs 14, 52, 60).
Vec3f RectilinearDirection(float nx, float ny, float aspect, float fovTan, float shift);
