// The mapping context: the parts that need no globals record.
#include "projection/mapping_context.h"

#include <cmath>

#include "geometry/fast_math.h"

void ComputeFovTangents(float fov, float* fovTan, float* halfFovTan) {
  const float q = float(double(fov) / 180.0);
  const float full = q < 0.999f ? q : 0.999f;
  const float halfQ = q * 0.5f;
  const float half = halfQ < 0.999f ? halfQ : 0.999f;
  *fovTan = std::tan(full * 1.5707964f) * 2;
  *halfFovTan = std::tan(half * 1.5707964f) * 2;
}

int32_t BuildDotList(MappingContext* context) {
  int32_t count = 0;
  for (int32_t row = 1; row <= 8; ++row) {
    for (int32_t column = 0; column < 18; ++column) {
      // The rows nearest the poles keep every other dot.
      if ((row == 1 || row == 8) && (column % 2) != 0) continue;
      EquirectToVec3f(float(column) / 18, float(row) / 9, &context->dots[count++]);
    }
  }
  EquirectToVec3f(0, 0, &context->dots[count++]);  // north pole
  EquirectToVec3f(0, 1, &context->dots[count++]);  // south pole
  context->dotCount = count;
  return count;
}

void InitDirectSampleRecord(NetFaceList* list) {
  list->outputNumber = 0;
  list->tileScale = 5.656854f;  // 2^2.5
  list->halfAngleOrder = 0;
  list->tabCursor = 0;
  list->hitTriangle = 0;
  list->faceCursor = 0;
}
