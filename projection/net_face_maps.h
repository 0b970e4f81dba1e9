// The per-face maps of the flat layouts (layout style 1): each turns a point's
// barycentric weights in its render triangle into a direction, through a
// lookup-grid table (3, 4, 5, 9 the conformal fans of the star and polygon
// layouts; 2 the conformal cube face; 6, 7, 8, 13, 14, 15 the weight tables)
// and the sphere maps. The region of the point is written to the list.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "image/image_record.h"

struct NetFaceList;
struct PolyMesh;

// Everything a face map reads and writes for one point.
struct FaceMapPoint {
  int32_t triangle;
  float b0, b1, b2;  // barycentric weights (summing to 1)
  float u, v;        // the plane point (net coordinates)
  Vec3f* d;          // the direction written
  uint8_t* outside;
  NetFaceList* list;  // its region is written
  const PolyMesh* mesh;
  ImageRecord* grid;  // the lookup grid
};

// Sign rule of the maps: -1 for odd faces, +1 for even ones.
inline float FaceSign(int32_t g) { return (g & 1) ? -1.0f : 1.0f; }

void FaceMapNet30(const FaceMapPoint& p, int32_t variant);
void FaceMapNet36(const FaceMapPoint& p, int32_t variant);
void FaceMapNet59(const FaceMapPoint& p);
void FaceMapNet40(const FaceMapPoint& p);
void FaceMapNet58(const FaceMapPoint& p);
void FaceMapNet41(const FaceMapPoint& p);
void FaceMapNet42(const FaceMapPoint& p);
void FaceMapNet69(const FaceMapPoint& p);
void FaceMapNet32(const FaceMapPoint& p, int32_t variant);
void FaceMapNet34(const FaceMapPoint& p);
void FaceMapNet43(const FaceMapPoint& p);
void FaceMapNet60(const FaceMapPoint& p);
void FaceMapNet54(const FaceMapPoint& p);
void FaceMapNet55(const FaceMapPoint& p);
void FaceMapNet56(const FaceMapPoint& p);
void FaceMapNet52(const FaceMapPoint& p, int32_t variant);

// Weight maps: rewrite (a, b, c) = (b0, b1, b2) in place.
void WeightMapNet38(float* a, float* b, float* c, ImageRecord* grid);
void WeightMapNet67(float* a, float* b, float* c, ImageRecord* grid);
void WeightMapNet65(float* a, float* b, float* c, ImageRecord* grid);
void WeightMapNet70(float* a, float* b, float* c, ImageRecord* grid);
void FlipDirectionNet38(Vec3f* d);


// The index (0..3) of the tetrahedron vertex nearest d; the lower index wins a tie.
int32_t ChooseTetraVertex(const Vec3& d);
// Whether the plane point of triangle t (its corners blended by the weights)
// lies in its face's sector: 0 inside, 1 outside; w gets its sphere point.
// Mode 1 tests by the nearest vertex, mode 2 by three circles; other modes 0.
int32_t InTetraFaceRegion(int32_t triangle, float b0, float b1, float b2, Vec3* w, const PolyMesh* mesh,
                          int32_t mode);

// The face map of layout style 1 chosen by the mesh's net number (region set
// as the maps say; the weight maps set the region to the triangle). False,
// with nothing written, for a net that has no map of its own or whose table
// is not part of the build.
bool MapFaceByNetNumber(const FaceMapPoint& p);
// Whether MapFaceByNetNumber has a map for the net.
bool NetHasFaceMap(int32_t net);
// The lookup-grid table that the face map of a net reads, 0 when none.
int32_t FaceMapTableOfNet(int32_t net);
