// Nets 163 and 164: a tetrahedron whose four faces are curved. Each face is
// one flat pattern drawn in the complex plane (a triangle of inward arcs
// with a lens-shaped flap along each side), cut into a small central
// triangle and three strips of 15 steps, and folded into space step by step;
// the fold angle of each step is found by the simplex minimiser so that the
// flap's far edge keeps its flat length. Face 0 is built in place; its strip
// tips fix a regular tetrahedron, and faces 1 to 3 are the same construction
// turned by a third of a turn about its three-fold axes.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "host/host_records.h"
#include "nets/poly_mesh.h"
#include "nets/simplex_minimiser.h"

constexpr int32_t kTetraSubdivisionSteps = 15;
constexpr int32_t kTetraSubdivisionGroups = 28;  // 7 per tetrahedron face
constexpr double kTetraVertexTolerance = 0.0002;

// The three corners of the flat pattern at 90, 210 and 330 degrees and
// their mean.
struct TriangleCorners {
  Complex c90;
  Complex c210;
  Complex c330;
  Complex mean;
};
void MakeTriangleCorners(TriangleCorners* corners);

// The outward arc over the side from c330 (t = 0) to c90 (t = 1), centred on
// c210; the inward arc (its mirror image across the side); the width of the
// flap between them.
void OutwardArcPoint(const TriangleCorners* corners, double t, Complex* out);
void CornerArcPoint(const TriangleCorners* corners, double t, Complex* out);
double CornerArcOffset(const TriangleCorners* corners, double t);

// Every corner added to the mesh is first turned about the axis through
// `point` along the unit `direction` by `angle`.
struct FaceFrame {
  Vec3 point;
  Vec3 direction;
  double angle;
};
void MakeIdentityFaceFrame(FaceFrame* frame);

// What the minimiser evaluates: R is X turned about the axis through A along
// U by the parameter p; S1 and S2 lie at the widths L1 and L2 from R,
// parallel to A -> V1 and A -> V2.
struct FaceConstruction {
  SimplexObjective objective;  // parameter p, result
  Vec3 axisPoint;              // A
  Vec3 axisDirection;          // U
  Vec3 railFirst;              // V1
  Vec3 railSecond;             // V2
  double widthFirst;           // L1
  double widthSecond;          // L2
  Vec3 moving;                 // X
  double target;
  Vec3 turned;  // R
  Vec3 sideFirst;   // S1
  Vec3 sideSecond;  // S2
};

constexpr double kFoldAngleLimit = 0.7853981633974483;  // pi / 4
constexpr double kOutOfRangePenalty = 99999999.0;

void BuildFaceConstruction(FaceConstruction* construction);
// |(|S1 - V1| - target)| for p in 0..pi/4; 99999999 + |p| outside, which
// pushes the minimiser back into the range.
double EvaluateFaceConstruction(FaceConstruction* construction);

// A triangle or quadrilateral, corners turned by the frame, merged into the
// vertex pool with tolerance 0.0002 and added with the group `id`; nothing
// for a null mesh.
void AddMappedTriangle(const Vec3* a, const Vec3* b, const Vec3* c, PolyMesh* mesh, const FaceFrame* frame,
                       int32_t id);
void AddMappedQuad(const Vec3* a, const Vec3* b, const Vec3* c, const Vec3* d, PolyMesh* mesh,
                   const FaceFrame* frame, int32_t id);

// What the fold-angle searches of a build reached (for the tests and the
// benchmarks; the build does not need it).
struct FoldStatistics {
  int32_t steps = 0;
  int32_t stepsAtCap = 0;  // searches that ran the full 6000 passes
  int32_t mostPassesBelowCap = 0;
  double worstResidual = 0;  // the objective's value at the angle taken
  double smallestAngle = 1e9;
  double largestAngle = -1e9;
};

// The strip of the edge p0 -> p1 of the central triangle (p2 its third
// corner): 15 steps in two bands; the strip's tip is returned.
void ConstructSubFace(const Vec3* p0, const Vec3* p1, const Vec3* p2, PolyMesh* mesh, Vec3* tip,
                      const FaceFrame* frame, int32_t id, int32_t faceNumber, FoldStatistics* statistics = nullptr);
// Tetrahedron face `face`: its central triangle (group 7 face) and its three
// strips (groups 7 face + 1 .. 7 face + 6).
void SubdivideFaceStep(const Vec3* a, const Vec3* b, const Vec3* c, PolyMesh* mesh, const FaceFrame* frame,
                       Vec3* tip1, Vec3* tip2, Vec3* tip3, int32_t face, FoldStatistics* statistics = nullptr);

// All faces of net 163 or 164 into a mesh whose tables exist.
void GenerateTetraSubdivisionNet(PolyMesh* mesh, FoldStatistics* statistics = nullptr);
// The tables, the faces and the two geometry passes.
void BuildTetraSubdivisionModel(PolyMesh* mesh, const BufferProcs* allocator, FoldStatistics* statistics = nullptr);
