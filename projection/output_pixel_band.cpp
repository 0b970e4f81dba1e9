// The pixel road entered from a band record: the renderer's calls per pixel
// and per row.
#include <cstdint>

#include "nets/nets_services_stub.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/render_services_stub.h"

namespace {

NetFaceList* OutputFaces(BandRecord* band) { return static_cast<NetFaceList*>(band->outputFaceList); }
NetFaceList* InputFaces(BandRecord* band) { return static_cast<NetFaceList*>(band->inputFaceList); }

}  // namespace

void MapOutputPixel(float px, float py, int32_t zoom, int32_t offX, int32_t offY, ImageRecord* target,
                    MappingContext* context, PixelMapping* out, BandRecord* band) {
  float nx, ny, cx, cy;
  PixelToNormalized(px, py, float(zoom), float(offX), float(offY), target, &nx, &ny, &cx, &cy, nullptr);
  out->subImage = 0;
  out->outX = nx;
  out->outY = ny;
  out->pixelX = px;
  out->pixelY = py;
  MapOutputPoint(nx, ny, context, out, band);
}

void MapOutputPoint(float nx, float ny, MappingContext* context, PixelMapping* out, BandRecord* band) {
  MapOutputPointWithLists(nx, ny, context, out, OutputFaces(band), InputFaces(band), &band->nearestDot);
}

void FindNearestDot(MappingContext* context, const Vec3f* dir, PixelMapping* out, BandRecord* band) {
  FindNearestDotFromCursor(context, dir, out, &band->nearestDot);
}

void WarmLookupGrids(BandRecord* band) {
  MappingContext* context = static_cast<MappingContext*>(band->jobArgs);
  if (context == nullptr) return;
  WarmLookupGridsFor(context, OutputFaces(band));
}

