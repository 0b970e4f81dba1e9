// Curve nets: nets whose pieces follow curves drawn on the sphere (rinds,
// a baseball's seams, triskelions, the arcs of a curvy cube). Seed points are
// put along the net's curves; each seed's cell (the part of the sphere nearer
// to it than to any other seed) is cut in the seed's tangent plane; each cell
// becomes a fan of triangles. The result is an ordinary solid that the net
// pipeline unfolds like any other.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "nets/point_lists.h"
#include "nets/poly_mesh.h"

constexpr int32_t kFirstCurveNet = 151;
constexpr int32_t kLastCurveNet = 161;
constexpr int32_t kCubeArcNet = 161;  // the source of net 162

constexpr int32_t kCurveMeshPoints = 4010;
constexpr int32_t kCurveMeshFaces = 1510;
constexpr int32_t kCellAttempts = 8;  // tolerance times 5 after each empty cell
constexpr int32_t kCornerIndex = -2;
constexpr int32_t kTriskelionCentreIndex = -101;

// Apex choice of a cell's fan.
enum CurveApexMode : int32_t {
  kApexBeforeLongestEdge = 0,
  kApexLargestAbsY = 1,
  kApexNearestYAxis = 2,
};

struct CurveNetParams {
  uint8_t clipStraight;  // cut nearly straight corners off as thin triangles before fanning
  uint8_t keepFlag;
  int32_t indexMode;  // 2: a seed's index becomes the order its cell was built in
  int32_t curveCount;
  int32_t apexMode;     // CurveApexMode
  int32_t outlineBits;  // net 161: the arcs drawn reversed
  double relax;         // fraction of the way each corner moves onto the unit sphere
  double mergeTolerance;
  double cellTolerance;  // plane tolerance of the cell stage, the start of its retries
  PointNode* edgeList;   // when set, the arc outlines add one record per arc segment
};

void InitCurveNetParams(CurveNetParams* params);

// Builds net 151..161 into the mesh (tables allocated here); nothing but the
// tables and the passes for another number.
void BuildCurveNet(PolyMesh* mesh, const BufferProcs* allocator, int32_t net);

// Fills the seed list of one net and adjusts the parameters; nothing for a
// number outside 151..161.
void BuildCurveOutline(PointNode* list, CurveNetParams* params, int32_t net);

// Appends a seed unless a member lies closer than the tolerance; null then
// (and when the allocation fails).
PointNode* AddPointUnlessNear(const Vec3* position, PointNode* list, int32_t index, double tolerance);
// The member nearest the position within the tolerance, else null.
PointNode* FindPointNear(const Vec3* position, const PointNode* list, double tolerance);

// Copies each source node into the target (position, index, parents and
// grandparents) unless a target node lies closer than the tolerance; marks
// each source node merged (1, not copied) or not; returns the number copied.
int32_t MergePointListNear(PointNode* source, PointNode* target, double tolerance);

// Sets each node's index to the mesh vertex found or added for its position.
void IndexPointsAsVertices(PointNode* list, PolyMesh* mesh);

// The cell of one seed: its corners into the cell list. Plane records are
// kept in a list of their own for the cell and freed before the return.
void BuildVoronoiCell(PointNode* seed, PointNode* seeds, PointNode* cell, double tolerance, double mergeTolerance);
// The triangles of one cell: neighbour links, corners ordered by angle about
// the cell's mean, straight corners clipped, then a fan.
void AddCellFaces(PointNode* cell, PointNode* seed, PolyMesh* mesh, const CurveNetParams* params);

// One triangle, corners in the order given, with the seed's position as its
// face point, tagged with the seed's index and the flag (second flag byte);
// false when corners merged into one vertex or the pool refused it.
bool AddCurveTriangle(const Vec3* a, const Vec3* b, const Vec3* c, PolyMesh* mesh, const PointNode* seed,
                      uint8_t flag, double tolerance);

// indexMode, curveCount (the mesh's curve-net words) and keepFlag.
void StoreCurveNetFlags(const CurveNetParams* params, PolyMesh* mesh);

// The cell stage of a whole seed list into a mesh whose tables exist: every
// seed's cell and faces, in the order of the seeds' priorities.
void BuildCellsOfSeeds(PointNode* seeds, PolyMesh* mesh, const CurveNetParams* params);

// Closes the gaps that cells of nearly coincident corners leave between them:
// every loop of edges that only one face runs becomes a fan of triangles, on
// the seed nearest its centre. Returns the number of triangles added.
int32_t CloseCellGaps(PolyMesh* mesh, const PointNode* seeds);

// The model of a curve net (151..162) or of a tetrahedral subdivision (163,
// 164) into a record prepared for a generated net, with the options of that
// net; false for any other number.
bool BuildCurveNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality);
