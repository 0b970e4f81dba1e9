// The models of the nets, by net number: the catalogue of solids with a
// ready-made net, the flat layouts, the generated nets and the curve nets.
// BuildNetModel dispatches to one entry point per family; each family keeps
// its nets in its own files.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "nets/poly_mesh.h"

// One catalogue entry: constant tables shared by every record.
struct CatalogueNet {
  const double* netPoints;        // (x, y) per net point
  const double* vertices;         // (x, y, z) per 3-D point; null for none
  const uint16_t* netPointLists;  // 1-based, each face ended by 0
  int32_t netPointListLength;
  const uint16_t* vertexLists;  // the same for the solid faces; null for flat layouts
  int32_t vertexListLength;
  const int16_t* flatVertexMap;  // flat layouts: the 3-D point of each net point
  const uint16_t* regionTable;   // region id per face, or null
  int32_t faceCount;
};

// The tetrahedron (net 16).
extern const CatalogueNet kTetrahedronNet;

// Builds the model of a net into the record (sets `netNumber` first). A net
// number without a model leaves the record without faces.
void BuildNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality);

// Points the record at a catalogue entry and loads its faces: InitPolyMesh
// first, then the options are the caller's to set.
void LoadCatalogueNet(PolyMesh* mesh, const CatalogueNet& entry, const BufferProcs* bufferProcs);
// The steps around a generator: the defaults of a generated net before it,
// the unfolding and the point count after it.
void BeginGeneratedNet(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs);
void EndGeneratedNet(PolyMesh* mesh);

// --- the families (each returns false for a net it does not build) -------------
// Solids with a ready-made net (options set, tables loaded).
bool BuildSolidNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs);
// Flat layouts (options set, tables loaded).
bool BuildFlatLayoutModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs);
// Generated solids (rinds, tattoos, thirtysphere, devtet, conictet,
// geodesics, sphericons): called after BeginGeneratedNet; the faces are
// added, EndGeneratedNet unfolds them.
bool BuildGeneratedNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality);
// Curve nets 151..162 and the tetrahedral subdivisions 163, 164, likewise.
bool BuildCurveNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality);
// After the first unfolding of a net with `pieceMerge`: joins small pieces to
// their neighbours and unfolds again.
void MergeSmallPieces(PolyMesh* mesh);
// Joins the net of a nested output into the record (compound outputs).
void MergeNestedNet(PolyMesh* mesh, const PolyMesh* nested);
// Pairs every net face of a catalogue net with its solid face (`piece`,
// `rotation`). Generated nets keep the pairing of their unfolding.
bool UnfoldMesh(PolyMesh* mesh);
