// Small numeric routines shared by the output inverses, the input mappings and
// the net face maps: the Mollweide auxiliary angle, the Robinson table with its
// forward and inverse, the Winkel Tripel term, the cube-face choice, the
// tunable profile and its arc-length inverse, the tile wrap, the half-angle
// step and two plane-to-sphere formulas.
//
// Three of them keep lazily built caches (arrays of float whose first entry
// kCacheNotBuilt marks them empty); the first lookup builds every entry.
#pragma once

#include <cstdint>

#include "geometry/vector.h"

struct NetFaceList;
struct PolyMesh;

constexpr float kCacheNotBuilt = 999.0f;
constexpr int32_t kMollweideCacheSize = 400;
constexpr int32_t kOutputCacheSize = 401;

// Robinson's table: 19 rows for 0..90 degrees in 5-degree steps, with the
// 90-degree row stored twice so that interpolation at exactly 90 degrees has a
// neighbour. PLEN is the parallel length, PDFE the distance from the equator.
extern const float kRobinsonPlen[20];
extern const float kRobinsonPdfe[20];

// T[i] + (T[i+1] - T[i])·(x - i) with i = floor(x); x in 0..19.
float InterpolateRobinsonTable(const float table[20], float x);

// The angle θ with 2θ + sin 2θ = π sin t, read from the cache; odd in t.
float MollweideAuxAngle(float t, float* cache);

// Latitude fraction (0..1) whose distance from the equator is y (0..1), by
// 20 bisection steps over the table.
float RobinsonLatitudeBisect(float y);

// Latitude fraction (-1..1) for a distance y from the equator, from the cache
// of RobinsonLatitudeBisect; odd in y.
float RobinsonLatitudeFromY(float y, float* cache);

// The plane point (x in -1..1, y in -0.5..0.5) back to (x / -parallel
// length, latitude fraction). y is doubled in place first; outside is raised
// for a point off the map and cleared otherwise.
void InverseRobinson(float* x, float* y, uint8_t* outside, float* cache);

// Latitude fraction and x in -1..1 to the Robinson plane (both -1..1).
// Raises outside when |fraction| > 1 (and changes nothing) or the new x lies
// outside [-1, 1]; never clears it.
void RobinsonForward(float* x, float* latitudeFraction, uint8_t* outside);

// The Winkel Tripel forward (standard parallel with cosine 2/π) of
// in = (λ, φ), in double precision. Returns out.
Complex* AitoffTerm(Complex* out, const double in[2]);

// The cube face of a direction (0 = -z, 1 = -x, 2 = -y, 3 = +z, 4 = +x,
// 5 = +y) and its in-face coordinates u, w in -1..1.
int32_t ChooseCubeFace(const float v[3], float* u, float* w);

// Input 29 is the one input that needs a polyhedral net.
bool IsSoccerInput(int32_t input);

// The profile curve of outputs 73 (mode 0) and 74 (mode 1) at t in 0..1.
void TunableProfilePoint(float t, float out[3], float k, int32_t mode);

// Normalised arc length of the profile from its bottom to t (cache of 401).
float TunableProfileArcLength(float t, float* cache, float k, int32_t mode);

// The profile parameter whose normalised arc length is s.
float TunableProfileInverse(float s, float* cache, float k, int32_t mode);

// Output 64: moves the net point (x, y) into the repeating tile.
void WrapTilePosition(float count, const PolyMesh* mesh, float x, float y, float* outX, float* outY,
                      const NetFaceList* list);

// Halves the direction's angle from +z, in place.
void HalveAngleFromForward(Vec3f* v);

// Output 88: the plane warp; raises outside (and writes -1, -1) off the map.
void UnfishWarp(float x, float y, float* outX, float* outY, uint8_t* outside);

// Equirectangular plane point (x, y in -0.5..0.5) to a direction; sets or
// clears outside.
void EquirectPlaneToDirection(float x, float y, float out[3], uint8_t* outside);
