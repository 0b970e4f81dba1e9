// Per-pixel colour stages of the pixel renderer: the flat colours of pixels
// that show no picture (off the map, tabs, region colours, the brick
// preview) and the shading of the two globe outputs, lit by two coloured
// lights with specular highlights and a Fresnel reflection of a sky
// gradient. The same stage fades the seam of the zenith-and-nadir input.
#pragma once

#include <cstdint>

#include "geometry/vector.h"

struct MappingContext;
struct PixelMapping;

constexpr int32_t kLightFalloffSize = 201;  // 0.9 degrees a step, 0..180 degrees
constexpr int32_t kSkyRows = 21;            // straight up .. straight down

// The light falloff table of a colour channel (0 red, 1 green, 2 blue).
const float* LightFalloffTable(int32_t channel);
// The sky gradient, RGB 0..255 per row.
const uint8_t (&SkyTable())[kSkyRows][3];
// The two lights of the globe, unit vectors in view space.
Vec3f GlobeLight(int32_t which);

bool IsFlatColourPixel(const PixelMapping* mapping, const MappingContext* context);
void FlatPixelColour(const PixelMapping* mapping, const MappingContext* context, float colour[4]);
void ShadeGlobe(float colour[4], const MappingContext* context, const PixelMapping* mapping);

// Sky colour (0..1) for the vertical component y of a normal.
void SkyColour(float y, const uint8_t (&sky)[kSkyRows][3], float colour[3]);
// Fresnel reflectance of a glossy coat (index 1.58) seen along the normal's z.
float FresnelReflectance(const Vec3f& normal);
// The table interpolated at the angle whose cosine is `cosine`.
float LightFalloff(float cosine, const float* table);
