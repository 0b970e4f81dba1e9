// Stand-ins for the services of the polyhedral nets that the mapping code
// calls, with the records they share. Each does the least its contract allows
// (no net is built); the real nets replace this file when they land. The
// brick sphere lives in nets/brick_grid.h and nets/brick_preview.h.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "geometry/plane_geometry.h"
#include "geometry/vector.h"
#include "nets/poly_mesh.h"

struct GlobalsRecord;
struct NetFaceList;
struct PixelMapping;
struct RotationRecord;

struct NetDescriptor {
  int32_t netNumber;  // -1 when the output has no net
  int32_t buildMode;
  int32_t intParam;
  float floatParam;
  int32_t paramSource;  // 0 the caller's, 1 the descriptor's own, 2 the caller's mode and integer
};

void NetDescriptorForOutput(int32_t output, NetDescriptor* descriptor);
bool IsNetOutput(int32_t output);
bool IsSphericonOutput(int32_t output);
// A net that folds into a solid: a net output that is neither a flat layout
// nor a net drawn by an output shape.
bool IsNetOfSolid(int32_t output);
bool IsCurveNetOutput(int32_t output);
void BuildNetForOutput(int32_t output, PolyMesh* mesh, float aspect, float tabScale, int32_t intParam,
                       float floatParam, int32_t mode, uint8_t flag, const BufferProcs* bufferProcs,
                       uint8_t notPreview);
void BuildNet(PolyMesh* mesh, int32_t netNumber, int32_t mode, int32_t intParam, float floatParam, uint8_t flag,
              const BufferProcs* bufferProcs, uint8_t notPreview);
bool NetTriangleBarycentric(int32_t triangle, float x, float y, float* b0, float* b1, float* b2,
                            const PolyMesh* mesh);
bool TriangleIdDiffers(const PolyMesh* mesh, int32_t triangle, int32_t id);
void QuadFaceMap(int32_t triangle, float u, float v, Vec3f* d, const PolyMesh* mesh);
void InterpolateFaceCornersF(int32_t triangle, float b0, float b1, float b2, Vec3f* d, const PolyMesh* mesh);
void InterpolateTrianglePoint(int32_t triangle, float b0, float b1, float b2, double out[3], const PolyMesh* mesh);

// The per-pixel face queries of net outputs: the row list and the triangle
// search over render triangles; the per-face maps of the catalogue's nets and
// the spherical-triangle search of the map of faces stand in as no hit.
void BuildRowFaceList(PolyMesh* mesh, float rowY, int32_t skipId, float margin, NetFaceList* list, float xLeft,
                      float xRight, uint8_t clip);
void MapNetPoint(Vec3f* d, PolyMesh* mesh, GlobalsRecord* globals, float x, float y, uint8_t* outside,
                 NetFaceList* list);
void MapNetFace(PolyMesh* mesh, float b0, float b1, float b2, int32_t triangle, float u, float v,
                GlobalsRecord* globals, Vec3f* d, uint8_t* outside, NetFaceList* list);
void FindFaceAtPoint(const Vec3* dir, PolyMesh* mesh, GlobalsRecord* globals, uint8_t* outside, NetFaceList* list);
