// Nets whose solids are generated rather than stored: the rinds (a sphere
// peeled along a spiral), the rind with no strip, the thirtysphere, the
// tattoos (a sphere cut along a zigzag seam), the geodesic spheres, the
// developable and conic tetrahedra and the sphericons. Each generator takes
// the pools of the record (4010 points, 1510 faces), adds its vertices and
// faces through them, all faces deferred, and ends with the face geometry
// and adjacency passes once. Unfolding and layout are left to the build.
//
// Pool failures (a refused face, a full table) set the record's errorCode
// and the generator goes on: a degenerate sliver is simply not added.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "nets/poly_mesh.h"

// --- procedural nets --------------------------------------------------------------

// Nets 25/48 (2 lobes), 26/49 (3), 27/50 (4): one spiral strip with a fan at
// each pole; the full-quality build cuts the strip finer.
void GenerateRind(PolyMesh* mesh, const BufferProcs* allocator, int32_t lobes, bool fullQuality);
// Net 75: a fan of 20 triangles from the north pole along a curve.
void GenerateRindZero(PolyMesh* mesh, const BufferProcs* allocator);
// Net 74: a latitude-longitude ball of 30-degree cells, 72 faces, 62 vertices.
void GenerateThirtysphere(PolyMesh* mesh, const BufferProcs* allocator);
// Nets 71 (3 lobes), 72 and 150 (5): a unit sphere cut along a zigzag seam,
// whose vertex pairs are listed in seamPairs.
void GenerateTattoo(PolyMesh* mesh, const BufferProcs* allocator, int32_t lobes);

// A turn about an axis: a point on it, its unit direction and the angle.
struct FoldAxis {
  Vec3 point;
  Vec3 direction;
  double angle;
};

// Turns `point` and the three plane points about the axis (written back),
// merges them into the vertex pool and records a fold step; nothing when 19
// steps exist.
void RecordFoldStep(PolyMesh* mesh, Vec3* point, double value, int32_t a, const FoldAxis* axis, int32_t b,
                    Vec3* p1, Vec3* p2, Vec3* p3);
bool AllDistinct4(int32_t a, int32_t b, int32_t c, int32_t d);

// --- compound and parametric solids ----------------------------------------------

// A geodesic sphere: every face of the base net's solid cut into triangles
// (a fan from the centre for faces of more than three corners), each
// triangle subdivided with the frequency and pushed onto the unit sphere.
// Base nets 16 (tetrahedron), 18 (cube), 19 (octahedron), 9 (dodecahedron),
// 17 (icosahedron map): 4, 24, 8, 60 and 20 triangles times frequency^2.
void GenerateGeodesic(PolyMesh* mesh, const BufferProcs* allocator, int32_t frequency, int32_t baseNet);
// Face `face` of source (its first three vertices A, B, C) subdivided into
// frequency^2 triangles on the unit sphere, added to target.
void SubdivideTriangleFace(const PolyMesh* source, PolyMesh* target, int32_t frequency, int32_t face);
// Face `face` of source as a fan of triangles from its centre, on the unit sphere.
void FanFaceFromCentre(const PolyMesh* source, PolyMesh* target, int32_t face);

// Net 76: every face of the tetrahedron swept into a fan of 30 thin triangles.
void GenerateDevtet(PolyMesh* mesh, const BufferProcs* allocator);
// Net 77: every face of the tetrahedron made of cone slivers around its centre.
void GenerateConictet(PolyMesh* mesh, const BufferProcs* allocator);
// One sliver (P, Q0, Q1): Q0 and Q1 at steps s and s + 1 of `steps` along
// the arc from A to B; mode 4 puts them on the 60-degree cone about P, mode 1
// negates all three points.
void ConeSliverTriangle(PolyMesh* mesh, const Vec3* apex, const Vec3* a, const Vec3* b, int32_t step,
                        int32_t steps, int32_t mode, int32_t tag);
// The point of the line from the origin through p closest to the line
// through c (normalised) that makes `angle` with -c in the plane of c and p;
// the normalised c when the lines are parallel.
void ProjectOntoCone(const Vec3* c, double angle, const Vec3* p, Vec3* out);
// Closest points of the line through p and p2 and the line through q and q2,
// with their parameters; false (nothing written) for a direction of no
// length or parallel lines.
bool ClosestPointsOfLines(const Vec3* p, const Vec3* p2, const Vec3* q, const Vec3* q2, Vec3* onFirst,
                          Vec3* onSecond, double* s, double* t);

// Nets 102 to 149: a regular n-gon turned half a turn about the y axis, in
// two halves that meet in the plane z = 0, the second twisted by
// 2 pi (twist + halfStep / 2) / n about z. `variant` puts a corner of an
// even polygon on the axis; `plus` joins a half of each kind.
void GenerateSphericonPair(PolyMesh* mesh, const BufferProcs* allocator, int32_t sides, int32_t twist,
                           int32_t variant, int32_t plus);
// One or both halves (halves 0 both, 1 the first, 2 the second) into the pools.
void GenerateSphericon(PolyMesh* mesh, int32_t sides, int32_t twist, int32_t variant, int32_t halves,
                       int32_t halfStep);

// The parameters of a sphericon net: false for a net number that is not one.
struct SphericonParameters {
  int32_t sides;
  int32_t twist;
  int32_t variant;
  int32_t plus;
};
bool SphericonParametersForNet(int32_t net, SphericonParameters* out);

// The base net and frequency of a geodesic net 80..101; false otherwise.
bool GeodesicParametersForNet(int32_t net, int32_t* baseNet, int32_t* frequency);

// The solid of a base net (16 tetrahedron, 18 cube, 19 octahedron, 9
// dodecahedron, 17 icosahedron) into a record that has no tables yet: its
// own pools, the vertices and outward faces, the geometry passes. False when
// the net is not one of these or the pools cannot be had.
constexpr int32_t kBaseTetrahedron = 16;
constexpr int32_t kBaseCube = 18;
constexpr int32_t kBaseOctahedron = 19;
constexpr int32_t kBaseDodecahedron = 9;
constexpr int32_t kBaseIcosahedron = 17;
bool BuildBaseSolid(PolyMesh* mesh, int32_t baseNet, const BufferProcs* allocator);

// Runs the generator of a generated net (rinds, thirtysphere, tattoos,
// devtet, conictet, geodesics, sphericons) into the record; false, with the
// record untouched, for a net number this file does not generate.
bool GenerateNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* allocator, bool fullQuality);
