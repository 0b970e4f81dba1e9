// The pixel road entered from a band record: the renderer's calls per pixel
// and per row.
#include <cstdint>

#include "nets/nets_services_stub.h"
#include "projection/formula_helpers.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/band_scheduler.h"

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

void MapOutputPixelStatus(float px, float py, int32_t zoom, int32_t offX, int32_t offY, ImageRecord* target,
                          MappingContext* context, PixelMapping* out, BandRecord* band) {
  float nx, ny, cx, cy;
  PixelToNormalized(px, py, float(zoom), float(offX), float(offY), target, &nx, &ny, &cx, &cy, nullptr);
  out->subImage = 0;
  out->outX = nx;
  out->outY = ny;
  out->pixelX = px;
  out->pixelY = py;
  MapOutputPointWithLists(nx, ny, context, out, OutputFaces(band), InputFaces(band), &band->nearestDot, true);
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


void PrepareRowFaceListsForBands(MappingContext* context, int32_t row, int32_t zoom, int32_t offX, int32_t offY,
                                 BandRecord* bands, int32_t bandCount) {
  PolyMesh* mesh = context->outputMesh;
  const bool net = context->isNet && mesh != nullptr;
  if (zoom < 1) zoom = 1;  // a scale below one would divide by zero
  const float y = float((offY / zoom) + row) * context->inverseOutputHeight * float(zoom);
  float rowY = net && mesh->squareLayout ? y : y * context->outputAspect;
  const float margin = float(zoom) * context->inverseOutputHeight * context->outputAspect;
  const bool soccer = IsSoccerInput(context->inputProjection) && context->inputMesh != nullptr;
  if (!net && !soccer) return;
  for (int32_t b = 0; b < bandCount; ++b) {
    BandRecord* band = &bands[b];
    if (band->outputFaceList == nullptr || band->inputFaceList == nullptr || band->target == nullptr) continue;
    float xLeft, xRight, ny, cx, cy;
    PixelToNormalizedCentre(float(band->firstColumn - 1), float(row), float(zoom), float(offX), float(offY),
                            band->target, &xLeft, &ny, &cx, &cy, nullptr);
    PixelToNormalizedCentre(float(band->lastColumn + 1), float(row), float(zoom), float(offX), float(offY),
                            band->target, &xRight, &ny, &cx, &cy, nullptr);
    if (net) {
      float bandRowY = rowY;
      if (context->outputProjection == 64) {
        float wrappedX;
        WrapTilePosition(OutputFaces(band)->tileScale, mesh, 0, rowY, &wrappedX, &bandRowY, OutputFaces(band));
      }
      // The tetra tile wraps every pixel into its tile, so a pixel at the
      // tile's edge may land on the opposite edge: its row keeps all of the
      // tile's triangles, not only those near the row and the band's columns.
      const bool keepAll = context->outputProjection == 355 || context->outputProjection == 64;
      const uint8_t clip = keepAll ? 0 : mesh->plainLayout;
      BuildRowFaceList(mesh, bandRowY, mesh->selectedFaceCopy, margin, OutputFaces(band), xLeft, xRight, clip);
    }
    if (soccer) BuildRowFaceList(context->inputMesh, 0, -1, margin, InputFaces(band), xLeft, xRight, 0);
  }
}
