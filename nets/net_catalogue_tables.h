// The catalogue's solids with a ready-made net: constant tables (net points,
// the solid's 3-D points, the 1-based net-point and vertex lists of each face,
// each face ended by 0, and for some nets a flat vertex map and a region
// table) shared read-only by every record, and the per-net options. Loading a
// net points the record at its tables; the net build then pairs the net faces
// with the solid faces (nets/face_matching.h).
//
// The tables are written by tools/gen_catalogue_nets.cpp from the solids of
// nets/catalogue_solids.h, unfolded by the system's own unfolder.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "nets/poly_mesh.h"

struct CatalogueNetTables {
  int32_t net;
  int32_t faceCount;
  const double* netPoints;  // (x, y) per net point
  int32_t netPointCount;
  const double* vertices;  // (x, y, z) per 3-D point
  int32_t vertexCount;
  const uint16_t* netPointLists;
  int32_t netPointListLength;
  const uint16_t* vertexLists;
  int32_t vertexListLength;
  const int16_t* flatVertexMap;  // null, or the 3-D point (0-based) of each net point
  const uint16_t* regionTable;   // null, or the region of each net face
};

// The generated tables (nets/net_catalogue_data.cpp).
extern const CatalogueNetTables kCatalogueNetTables[];
extern const int32_t kCatalogueNetTableCount;

// The tables of a net, or null when the catalogue holds no ready-made net of it.
const CatalogueNetTables* FindCatalogueNetTables(int32_t net);

// The options of a catalogue net on top of InitPolyMesh's defaults.
void SetCatalogueNetOptions(PolyMesh* mesh, int32_t net);

// InitPolyMesh, the net's tables and options, and every face's net points and
// vertices read from the lists; net points up to the highest one named are
// marked used. The tables stay the catalogue's (tablesOwned 0). False, with
// the record left as InitPolyMesh leaves it, when the net has no tables.
bool LoadCatalogueSolidNet(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs);
// The same from a given set of tables (the generator loads its own back).
bool LoadCatalogueTables(PolyMesh* mesh, const CatalogueNetTables* tables, const BufferProcs* bufferProcs);
