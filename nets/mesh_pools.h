// The pools every net is put together through: 3-D vertices merged by
// distance, 2-D net points merged by distance and layer, and faces appended
// with their cut edges, group and tag. Failures set the record's errorCode
// (and are returned) and leave the pools as they were.
#pragma once

#include <cstdint>

#include "nets/poly_mesh.h"

constexpr double kVertexTolerance = 0.002;
constexpr float kNetPointTolerance = 0.002f;
constexpr double kCurveNetPointTolerance = 1e-6;

// What AddMeshFace takes.
struct FaceRequest {
  const int32_t* vertices;  // with hasOpposite, one entry more: the opposite vertex
  int32_t count;
  int32_t cutEdgeA;   // -1 none
  uint8_t deferred;   // 1: no duplicate test and no geometry and layout pass
  int32_t hasOpposite;
  int32_t group;  // stored as 16 bits
  int32_t cutEdgeB;
  int32_t faceTag;
  uint8_t firstFlag;
  uint8_t secondFlag;
  Vec3 facePoint;
};

struct NetPointRecord {
  double x;
  double y;
  int32_t tag;
  int32_t layer;
  int32_t index;
  uint8_t used;
};

// The index of the first vertex strictly within the tolerance of the point,
// else the point stored as a new vertex (*added 1); -1 with
// kMeshVerticesFull when the pool is full or the record has no vertex table.
int32_t FindOrAddVertex(PolyMesh* mesh, const Vec3* point, double tolerance, int32_t* added);
int32_t FindOrAddVertexDefault(PolyMesh* mesh, const Vec3* point);
int32_t FindOrAddVertexVec(PolyMesh* mesh, Vec3 vector, double tolerance, int32_t* added);
int32_t FindVertexNear(const PolyMesh* mesh, const Vec3* point, double tolerance);
// A used slot on the same layer strictly within the tolerance (1e-6 for the
// curve nets 151..161), else the first free slot from the cursor on; -1
// with kMeshNetPointsFull when every slot is used.
int32_t FindOrAddNetPoint(PolyMesh* mesh, const NetPointRecord* record);
// Appends one face. Refused, with the code returned and recorded: a face of
// fewer than three corners, a corner that names no vertex or a vertex twice
// (kMeshRepeatedVertex); more than ten corners (kMeshTooManyCorners); the same
// cycle of vertices as a face already present, either way round, unless
// deferred (kMeshFaceExists); a full face table (kMeshFacesFull).
int32_t AddMeshFace(PolyMesh* mesh, const FaceRequest* request);
int32_t PackAndAddFace(PolyMesh* mesh, const int32_t* list, int32_t count, int32_t cutEdgeA, uint8_t deferred,
                       int32_t hasOpposite, int32_t group, int32_t cutEdgeB, int32_t faceTag);
void InitFaceRequest(FaceRequest* request);
void SetMeshVertex(PolyMesh* mesh, int32_t i, const Vec3* point);
void OffsetMeshVertices(PolyMesh* mesh, const Vec3* vector);
void GetNetPoint(int32_t i, NetPointRecord* record, const PolyMesh* mesh);
void PutNetPoint(int32_t i, const NetPointRecord* record, PolyMesh* mesh);
int32_t HighestUsedNetPoint(const PolyMesh* mesh);
int32_t MaxFaceVertexIndex(const PolyMesh* mesh);
int32_t MaxNetPointIndex(const PolyMesh* mesh);
void TriangleFaceCorner(const PolyMesh* mesh, int32_t triangle, int32_t corner, int32_t* face, int32_t* position);
