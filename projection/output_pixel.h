// The road of one output pixel: pixel -> normalised output point -> plane
// point -> output projection inverse -> half-angle step -> rotation -> input
// projection -> graticule, dot and face-centre overlays. Also the small
// pixel-to-normalised conversions, the output size functions and the per-row
// preparation of net face lists and lookup grids.
#pragma once

#include <cstdint>

#include "geometry/vector.h"
#include "image/image_record.h"

struct BandRecord;
struct GlobalsRecord;
struct ImageRecord;
struct MappingContext;
struct NetFaceList;

// Status of a mapped position; values of 0 and above are region indexes
// (face, piece, view or hemisphere).
enum PixelStatus : int32_t {
  kPixelOffMap = -5,     // outside the output shape
  kPixelOffMapTab = -3,  // outside the net's faces but on a glue tab
  kPixelMapped = -7,     // an ordinary mapped point, sampled from the source
  kPixelNoSource = -9,   // the input projection has no source for the direction
};

struct PixelMapping {
  int32_t status;    // PixelStatus or a region index
  int32_t subImage;  // source sub-image chosen by the input projection
  float srcX;        // source position in 0..1
  float srcY;
  float renderA;  // owned by the renderer
  float renderB;
  float outX;  // normalised output point
  float outY;
  float renderC;  // owned by the renderer
  float renderD;
  float latU;  // equirectangular position of the rotated direction
  float latV;
  float renderE;      // owned by the renderer
  int32_t viewIndex;  // view cell of the multi-view sheets
  float dotDist;      // squared chord to the nearest dot
  float faceCentreDist;
  int32_t face;  // face of the output net under the pixel, -1 none
  int32_t faceCentreInside;
  Vec3f viewNormal;  // view direction before rotation for the globe outputs
  Vec3f direction;   // unit direction after half-angle step and rotation
  float edgeWeight;
  float pixelX;
  float pixelY;
  int32_t inputFace;
  int32_t renderF;  // owned by the renderer
};
static_assert(sizeof(PixelMapping) == 116);

void MapOutputPixel(float px, float py, int32_t zoom, int32_t offX, int32_t offY, ImageRecord* target,
                    MappingContext* context, PixelMapping* out, BandRecord* band);
// Defined here so that the per-pixel callers inline it.
inline void PixelToNormalized(float px, float py, float zoom, float offX, float offY, const ImageRecord* image,
                              float* nx, float* ny, float* cx, float* cy, const float* origin) {
  const float tx = float(double(px * zoom + offX) + 0.5);
  const float ty = float(double(py * zoom + offY) + 0.5);
  *nx = (2 * tx + 1) / (2 * float(image->levelWidth[0]));
  *ny = (2 * ty + 1) / (2 * float(image->levelHeight[0]));
  const float shiftX = origin != nullptr ? origin[3] : 0.0f;
  const float shiftY = origin != nullptr ? origin[4] : 0.0f;
  *cx = (*nx - shiftX - 0.5f) * image->aspectX;
  *cy = (*ny - shiftY - 0.5f) * image->aspectY;
}
void PixelToNormalizedCentre(float px, float py, float zoom, float offX, float offY, const ImageRecord* image,
                             float* nx, float* ny, float* cx, float* cy, const float* origin);
void PixelCentreToUnit(int32_t x, int32_t y, float* u, float* v, float w, float h);
void GetOutputSize(GlobalsRecord* globals, float* w, float* h, float* aspect);
void SetOutputGeometry(GlobalsRecord* globals, MappingContext* context);
void MapOutputPoint(float nx, float ny, MappingContext* context, PixelMapping* out, BandRecord* band);
void FindNearestDot(MappingContext* context, const Vec3f* dir, PixelMapping* out, BandRecord* band);
void FindNearestFaceCentre(MappingContext* context, const Vec3* point, PixelMapping* out);
void WarmLookupGrids(BandRecord* band);
void PrepareRowFaceLists(GlobalsRecord* globals, MappingContext* context, int32_t row);
bool IsMultiViewOutput(int32_t output);

// MapOutputPoint on the band's pieces it uses: the output and input face
// lists and the nearest-dot cursor.
// With statusOnly the point's status and sub-image are all the caller needs:
// where the input cannot change them (InputKeepsStatus) and no overlay
// carries state from point to point, the rotation and the source mapping
// are left out and the other fields are not filled.
void MapOutputPointWithLists(float nx, float ny, MappingContext* context, PixelMapping* out,
                             NetFaceList* outputFaces, NetFaceList* inputFaces, int32_t* dotCursor,
                             bool statusOnly = false);
// MapOutputPixel for a caller that reads only the status and sub-image.
void MapOutputPixelStatus(float px, float py, int32_t zoom, int32_t offX, int32_t offY, ImageRecord* target,
                          MappingContext* context, PixelMapping* out, BandRecord* band);
// PrepareRowFaceLists over the given bands, with the settings' preview
// scale and pan.
void PrepareRowFaceListsForBands(MappingContext* context, int32_t row, int32_t zoom, int32_t offX, int32_t offY,
                                 BandRecord* bands, int32_t bandCount);
// WarmLookupGrids for a context and its band's output face list.
void WarmLookupGridsFor(MappingContext* context, NetFaceList* outputFaces);
// FindNearestDot with the band's dot cursor.
void FindNearestDotFromCursor(const MappingContext* context, const Vec3f* dir, PixelMapping* out, int32_t* cursor);

// The multi-view sheets (outputs 75..79): the cell of the plane point (X, Y)
// in the context's grid gives a view of the output mesh's face k; sets the
// outside flag, or the direction and the view index k (also the region).
void MapViewsGridPoint(float planeX, float planeY, const MappingContext* context, Vec3f* d, uint8_t* outside,
                       int32_t* viewIndex);
