// Net 162, derived from net 161: the cells of net 161 meet at its vertices;
// walking the faces around each vertex collects the seeds whose cells meet
// there, and those seeds become one face of the new solid (the seeds are its
// vertices). The arcs of net 161's outline are then marked as cut edges, so
// the net unfolds into the pieces the arcs bound.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "nets/curve_nets.h"
#include "nets/point_lists.h"
#include "nets/poly_mesh.h"

constexpr int32_t kNet162 = 162;
constexpr int32_t kFaceWalkSteps = 300;
constexpr int32_t kNet162MaxPieceFaces = 48;
constexpr int32_t kOutlineWalkSteps = 4011;
// The tag of the new faces: "unmarked", so the tag rule of the cut edges
// leaves them alone and only the outline cuts the net.
constexpr int32_t kRingFaceTag = -101;

// Builds the sibling (net 161) into a temporary record, then one face per
// walk around its vertices into the mesh (tables allocated here), then the
// geometry passes.
void BuildNetFromSibling(PolyMesh* mesh, const BufferProcs* allocator, int32_t sourceNet, CurveNetParams* outline);
// One walk from the source's face and edge around the vertex at the edge's
// end: the face points met become a face of the mesh.
void WalkFaceEdge(PolyMesh* source, int32_t face, int32_t edge, PolyMesh* mesh, const CurveNetParams* outline,
                  int32_t index);
// The ring's points as vertices of the mesh, one face of them turned outward
// about the centre; a ring of more than ten corners becomes a fan. Rings of
// fewer than three distinct vertices add nothing.
void AddRingFaces(PointNode* ring, const Vec3* centre, PolyMesh* mesh);
// Marks the solid edge of one outline segment as a cut edge, with the arc's
// start and end flags.
void MarkOutlineEdge(const PointNode* segment, PolyMesh* mesh);
// Net 161's outline marked on the new solid, then the options of net 162.
void MarkSiblingOutline(PolyMesh* mesh);
// After the first unfolding: each piece of at most maxPieceFaces faces gets
// one cut edge on its outline cleared, so the next unfolding joins it to a
// neighbour. True when any edge was cleared.
bool ReattachSmallPieces(PolyMesh* mesh);
// Net 162's whole model: BuildNetFromSibling with net 161 and the outline
// marks.
void BuildNet162Model(PolyMesh* mesh, const BufferProcs* allocator);
