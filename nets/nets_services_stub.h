// Stand-ins for the services of the polyhedral nets that the mapping code
// calls, with the records they share. Each does the least its contract allows
// (no net is built); the real nets replace this file when they land. The
// brick sphere lives in nets/brick_grid.h and nets/brick_preview.h.
#pragma once

#include <cstdint>

#include "host/host_records.h"
#include "geometry/plane_geometry.h"
#include "geometry/vector.h"

struct GlobalsRecord;
struct NetFaceList;
struct PixelMapping;
struct RotationRecord;

constexpr int32_t kMaxMeshFaces = 1510;
constexpr int32_t kMaxMeshRenderPoints = 4096;
constexpr int32_t kMaxMeshRenderTriangles = 3010;
constexpr int32_t kMaxFaceCentres = 64;

struct MeshPoint {
  float x;
  float y;
  uint8_t used;
};

struct RenderTriangle {
  int32_t points[3];
  int16_t face;
  int16_t secondId;
  uint8_t tab;
  uint8_t hidden;
  uint8_t quad;
  float inverseDoubleArea;
  Vec3 corners[3];  // corner directions, or plane points for nets 52..56
};

struct MeshFace {
  int16_t markId;
  uint16_t groupId;
  int32_t pieceIndex;
  Vec3 direction;  // the face's direction on the sphere (views of the sheets)
};

struct FaceCentreRecord {
  Vec3 centre;
  int32_t markId;
  double radius;
  Plane3d plane;
};

struct PolyMesh {
  int32_t errorCode;  // 0 none
  int32_t renderPointCount;
  MeshPoint renderPoints[kMaxMeshRenderPoints];
  int32_t triangleCount;
  RenderTriangle triangles[kMaxMeshRenderTriangles];
  int32_t faceCount;
  MeshFace faces[kMaxMeshFaces];
  int32_t* regionTable;  // null: a face is its own region
  void* tables[4];       // owned tables of a built net
  uint8_t tableState[3];
  float layoutMinX;
  float layoutMaxX;
  float layoutMinY;
  float layoutMaxY;
  float tabScale;
  float layoutScale;
  float layoutCentreX;
  float layoutCentreY;
  float scaleX;
  float scaleY;
  int32_t netNumber;
  int32_t layoutStyle;  // 1 = per-face maps chosen by net number
  int32_t skipId;       // -1 none
  int32_t chosenFace;   // -1 none
  float chosenFaceValues[3];
  float chosenFaceShared;
  uint8_t clip;
  uint8_t squareLayout;
  uint8_t markRegions;
  uint8_t pieceRegions;
  uint8_t tableRegions;
  uint8_t spherePowerFlag;
  double spherePower;
  int32_t lonLatBlend;
  int16_t normalise;  // 1 by default
  double directionOffset[3];
  int32_t faceCentreCount;
  FaceCentreRecord faceCentres[kMaxFaceCentres];
  GlobalsRecord* owner;
};

struct NetDescriptor {
  int32_t netNumber;  // -1 when the output has no net
  int32_t buildMode;
  int32_t intParam;
  float floatParam;
  int32_t paramSource;  // 0 the caller's, 1 the descriptor's own, 2 the caller's mode and integer
};

void ResetPolyMesh(PolyMesh* mesh);
void FreeMeshTables(PolyMesh* mesh, const BufferProcs* bufferProcs);
void FitNetToOutput(PolyMesh* mesh, float aspect, float tabScale);
void SetMeshBounds(PolyMesh* mesh, float xmin, float ymin, float xmax, float ymax);
void NetDescriptorForOutput(int32_t output, NetDescriptor* descriptor);
bool IsNetOutput(int32_t output);
bool IsSphericonOutput(int32_t output);
void BuildNetForOutput(int32_t output, PolyMesh* mesh, float aspect, float tabScale, int32_t intParam,
                       float floatParam, int32_t mode, uint8_t flag, const BufferProcs* bufferProcs,
                       uint8_t notPreview);
void BuildNet(PolyMesh* mesh, int32_t netNumber, int32_t mode, int32_t intParam, float floatParam, uint8_t flag,
              const BufferProcs* bufferProcs, uint8_t notPreview);
bool NetTriangleBarycentric(int32_t triangle, float x, float y, float* b0, float* b1, float* b2,
                            const PolyMesh* mesh);
bool TriangleIdDiffers(const PolyMesh* mesh, int32_t triangle, int32_t id);
int32_t FaceRegion(int32_t face, const PolyMesh* mesh);
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
