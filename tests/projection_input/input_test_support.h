// Shared helpers of the input projection tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "geometry/vector.h"
#include "projection/formula_helpers.h"
#include "projection/input_projections.h"

struct SourcePoint {
  float x;
  float y;
  uint8_t noSource;
  int32_t subImage;
  int32_t inputFace;
  float edgeWeight;
};

// A fresh Mollweide cache per mapping context.
struct InputRig {
  std::vector<float> mollweideCache = std::vector<float>(kMollweideCacheSize, kCacheNotBuilt);

  SourcePoint Map(int32_t input, Vec3f d, float aspect = 1.0f, int32_t flip = 0, float weightIn = -7.0f) {
    SourcePoint p{0.0f, 0.0f, 9, 99, 99, weightIn};
    MapDirectionToSource(input, flip, aspect, &d, &p.x, &p.y, &p.noSource, mollweideCache.data(), &p.inputFace,
                         &p.subImage, &p.edgeWeight, nullptr, nullptr);
    return p;
  }
};

// The direction of geographic longitude and latitude (degrees, east and north
// positive) as the equirectangular source lays it out: longitude 0 is the
// view centre +z, east lies towards -x (the right half of the source).
inline Vec3f GeoDirection(double lonDeg, double latDeg) {
  const double lon = lonDeg * std::numbers::pi / 180.0;
  const double lat = latDeg * std::numbers::pi / 180.0;
  return Vec3f{static_cast<float>(-std::sin(lon) * std::cos(lat)), static_cast<float>(std::sin(lat)),
               static_cast<float>(std::cos(lon) * std::cos(lat))};
}

inline Vec3f Unit(double x, double y, double z) {
  const double l = std::sqrt(x * x + y * y + z * z);
  return Vec3f{static_cast<float>(x / l), static_cast<float>(y / l), static_cast<float>(z / l)};
}
