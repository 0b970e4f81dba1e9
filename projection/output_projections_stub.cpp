// Stand-in for the closed-form output inverses until they land: output 1
// ("equirectangular") and the multi-view sheets are inverted here; every other
// closed form reports the point outside. Replace this file with the real
// inverses.
#include <cmath>

#include "geometry/rotation.h"
#include "nets/nets_services_stub.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "projection/output_projections.h"

void PlaneToSphereForOutput(float nx, float ny, MappingContext* context, PixelMapping* out, NetFaceList* faceList,
                            Vec3f* d, uint8_t* outside, int32_t* region) {
  (void)faceList;
  const PolyMesh* mesh = context->outputMesh;
  const float s = mesh->layoutScale;
  const float planeX = (nx - mesh->layoutCentreX) * s;
  const float planeY = (ny - 0.5f) * s * context->outputAspect;
  const int32_t output = context->outputProjection;
  if (output == 1) {
    const float y2 = 2 * planeY;
    if (y2 < -0.5f || y2 > 0.5f || planeX < -0.5f || planeX > 0.5f) {
      *outside = 1;
      return;
    }
    const float dy = std::sin(-2 * 3.1415927f * planeY);
    const float r = std::sqrt(1 - dy * dy);
    const float longitude = 2 * 3.1415927f * planeX;
    *d = Vec3f{-std::sin(longitude) * r, dy, std::cos(longitude) * r};
    return;
  }
  if (IsMultiViewOutput(output)) {
    MapViewsGridPoint(planeX, planeY, context, d, outside, &out->viewIndex);
    if (!*outside) *region = out->viewIndex;
    return;
  }
  *outside = 1;
}
