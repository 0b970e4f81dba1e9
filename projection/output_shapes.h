// Output shapes and plane extents: which part of each output's plane fills the
// output image, the shared construction of the lobed outputs, and small size
// utilities of the exports and dialogs.
#pragma once

#include <cstdint>

#include "geometry/vector.h"

struct GlobalsRecord;
struct ImageRecord;
struct MappingContext;
struct NetFaceList;
struct PolyMesh;

struct OutputShape {
  int32_t shapeKind;  // -1 no shape; 0..19 the construction
  int32_t lobeCount;
  double sphereTilt;
  double shapeScale;
  double finalTurnZ;
  double finalTurnY;
  Complex preRotation;
  Complex boxMin;  // thousandths
  Complex boxMax;  // thousandths
  double lobeTwist;
  double powerDivisor;
  int32_t netNumber;  // -1 none
  int32_t netOption;
};

struct PlaneBox {
  double x0;  // window: 0, 1, 0, aspect
  double x1;
  double y0;
  double y1;
  double xmin;
  double xmax;
  double ymin;
  double ymax;
  double centreX;
  double centreY;
  double scale;
  double inverseScale;
};

void GetOutputShape(int32_t output, OutputShape* out);
bool HasOutputShape(int32_t output);
bool OutputShapeHasNet(int32_t output);
void MapShapedOutputPoint(Complex planePoint, uint8_t* outside, Vec3* out, ImageRecord* grid, GlobalsRecord* globals,
                          const OutputShape* shape, PolyMesh* mesh, NetFaceList* list);
void MapSquareLayoutPoint(Complex planePoint, uint8_t* outside, Vec3f* out, ImageRecord* grid, GlobalsRecord* globals,
                          const OutputShape* shape, PolyMesh* mesh, NetFaceList* list);
void SetOutputExtents(PolyMesh* mesh, PlaneBox* box, float aspect, MappingContext* context, int32_t anamorphosis,
                      float fov, float tabs);
void SetPlaneBox(PlaneBox* box, double aspect, double xmin, double ymin, double xmax, double ymax);
void NormalizedToPlane(float nx, float ny, Complex* out, const PlaneBox* box);
void FitSizeToLongest(int32_t* width, int32_t* height, int32_t n);
void KeepAspectRatio(int32_t refWidth, int32_t refHeight, int32_t* width, int32_t* height, uint8_t fromWidth);
void QuickSortFloatKeys(float* keys, uint64_t* payload, int32_t first, int32_t last);
