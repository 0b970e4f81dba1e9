// Overlay strokes, flat colours, globe shading and the two colour blends of
// the pixel renderer, in their least form until the overlays replace them:
// the strokes add no coverage, globes are not shaded, and flat colours cover
// the tab, no-source, region and off-map cases.
#pragma once

#include <cstdint>

struct CornerSet;
struct GlobalsRecord;
struct MappingContext;
struct PixelMapping;

bool IsFlatColourPixel(const PixelMapping* mapping, const MappingContext* context);
void FlatPixelColour(const PixelMapping* mapping, const MappingContext* context, float colour[4]);
void ShadeGlobe(float colour[4], const MappingContext* context, const PixelMapping* mapping);

// s over d, into d.
void CompositeOver(const float s[4], float d[4]);
// s onto d keeping d's alpha.
void BlendColourKeepAlpha(const float s[4], float d[4]);

void DrawGridColumns(GlobalsRecord* globals, int32_t row, int32_t width, int32_t parity);
void DrawMarkStrokesColumn(int32_t parity, int32_t row, int32_t column, int32_t width, int32_t wordAbove,
                           int32_t wordBelow, GlobalsRecord* globals, MappingContext* context, int32_t kind);
void DrawRegionEdges(const CornerSet* corners, GlobalsRecord* globals, int32_t column, int32_t wordAbove,
                     int32_t wordBelow, bool customNet);
