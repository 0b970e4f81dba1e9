// Catalogue tables of the flat layouts whose faces blend their corner
// directions ("square", "tetra tile", "box"): each is the net of a solid
// inscribed in the sphere, its faces shown in central projection. Generated
// by tools/gen_plain_layouts.py.
#pragma once

#include <cstdint>

struct BufferProcs;
struct PolyMesh;

struct PlainLayoutTables {
  int32_t net;
  int32_t faceCount;
  int32_t netPointCount;
  const double* netPoints;       // (x, y) per net point, net units
  const double* directions;      // (x, y, z) per 3-D point, as the build reads them
  const uint16_t* faceLists;     // per face: 1-based net-point indices, ended by 0
  int32_t faceListLength;        // entries of faceLists
  const int16_t* flatVertexMap;  // net point -> 3-D point (0-based)
  uint8_t mirrorX;
  uint8_t turnHalf;
  uint8_t noCornerTriangles;
  uint8_t regionFromTriangle;
};

// The tables of net, or null when the net is not one of these layouts.
const PlainLayoutTables* FindPlainLayout(int32_t net);
int32_t PlainLayoutCount();
const PlainLayoutTables* PlainLayoutAt(int32_t i);

// Catalogue step of one of these layouts: InitPolyMesh, the table pointers,
// the faces' net points and the catalogue's options. False (nothing done)
// when net is not one of them.
bool BuildPlainLayoutModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs);
