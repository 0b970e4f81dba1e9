// Stand-ins of the overlay and shading services (see the header).
#include "render/overlay_services_stub.h"

#include "projection/mapping_context.h"
#include "projection/output_pixel.h"

bool IsFlatColourPixel(const PixelMapping* mapping, const MappingContext* context) {
  if (context->contextMode == 1) return true;
  const int32_t status = mapping->status;
  if (status == kPixelNoSource || status == kPixelOffMap || status == kPixelOffMapTab) return true;
  return status >= 0 && context->faceColouring != 0;
}

void FlatPixelColour(const PixelMapping* mapping, const MappingContext* context, float colour[4]) {
  const int32_t status = mapping->status;
  if (status == kPixelOffMapTab) {
    for (int32_t c = 0; c < 3; ++c) colour[c] = context->tabColourF[c];
    colour[3] = 1.0f;
  }
  if (status == kPixelNoSource) {
    for (int32_t c = 0; c < 3; ++c) colour[c] = context->transparentNoSource ? 0.0f : context->midColourF[c];
    colour[3] = context->transparentNoSource ? 0.0f : 1.0f;
  }
  if (context->contextMode != 1 && status >= 0 && context->faceColouring) {
    colour[0] = float(((5 * status + 10) * 4) % 256) / 255.0f;
    colour[1] = float((37 * (status + 2)) % 256) / 255.0f;
    colour[2] = float((49 * (status + 2)) % 256) / 255.0f;
    colour[3] = 1.0f;
  }
  if (status == kPixelOffMap) colour[0] = colour[1] = colour[2] = colour[3] = 0.0f;
}

void ShadeGlobe(float colour[4], const MappingContext* context, const PixelMapping* mapping) {
  if (context->inputProjection == 26 && mapping->status == kPixelMapped) colour[3] *= mapping->edgeWeight;
}

void CompositeOver(const float s[4], float d[4]) {
  if (!(s[3] > 0.0f)) return;
  const float k = s[3] / (d[3] + s[3] - d[3] * s[3]);
  for (int32_t c = 0; c < 3; ++c) d[c] += (s[c] - d[c]) * k;
  d[3] = (1.0f - d[3]) * s[3] + d[3];
}

void BlendColourKeepAlpha(const float s[4], float d[4]) {
  if (!(s[3] > 0.0f)) return;
  for (int32_t c = 0; c < 3; ++c) d[c] += (s[c] - d[c]) * s[3];
}

void DrawGridColumns(GlobalsRecord*, int32_t, int32_t, int32_t) {}
void DrawMarkStrokesColumn(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, GlobalsRecord*, MappingContext*,
                           int32_t) {}
void DrawRegionEdges(const CornerSet*, GlobalsRecord*, int32_t, int32_t, int32_t, bool) {}
