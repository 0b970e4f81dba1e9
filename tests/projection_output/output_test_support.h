// A render's mapping context for one output, prepared from settings the way
// the render set-up prepares it (mesh extents, gore counts, caches, lookup
// grid), and the small conversions the output tests share.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "geometry/vector.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "nets/brick_grid.h"
#include "nets/poly_mesh.h"
#include "nets/nets_services_stub.h"
#include "projection/formula_helpers.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "projection/output_projections.h"

// The result of inverting one output point.
struct OutputHit {
  bool outside;
  Vec3f d;
  int32_t region;
  Vec3f viewNormal;
};

struct OutputRig {
  std::unique_ptr<ParameterBlock> settings = std::make_unique<ParameterBlock>();
  std::unique_ptr<MappingContext> context = std::make_unique<MappingContext>();
  std::unique_ptr<PolyMesh> mesh = std::make_unique<PolyMesh>();
  std::unique_ptr<NetFaceList> outputFaces = std::make_unique<NetFaceList>();
  std::unique_ptr<NetFaceList> inputFaces = std::make_unique<NetFaceList>();
  int32_t dotCursor = 0;
  BandLists band{};
  BrickGrid brickGrid{};
  float outputCache[401] = {};
  float mollweideCache[400] = {};
  ImageRecord grid{};
  bool gridMade = false;

  // output and input numbers, the output image size and the field of view.
  OutputRig(int32_t output, int32_t input, float width, float height, float fov = 120, float tabs = 33) {
    std::memset(settings.get(), 0, sizeof(ParameterBlock));
    std::memset(context.get(), 0, sizeof(MappingContext));
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    std::memset(outputFaces.get(), 0, sizeof(NetFaceList));
    std::memset(inputFaces.get(), 0, sizeof(NetFaceList));
    ResetPolyMesh(mesh.get());
    InitImageRecord(&grid, nullptr, nullptr);
    gridMade = CreateImageRecord(&grid, 50, 50, PixelRgbaFloat, FetchClamp, 0);
    outputCache[0] = kCacheNotBuilt;
    mollweideCache[0] = kCacheNotBuilt;
    ParameterBlock& p = *settings;
    p.inputProjection = input;
    p.outputProjection = output;
    p.fov = fov;
    p.fovInteger = int32_t(fov);
    p.tabs = tabs;
    p.tabsInteger = int32_t(tabs);
    p.transparentGaps = 1;
    p.grid2 = 1;
    p.brickLayers = 20;
    p.brickColorset = 63;
    p.customNetOutput = 6;
    p.previewScale = 1;
    band = BandLists{outputFaces.get(), inputFaces.get(), &dotCursor};
    MappingContextSources s{};
    s.settings = settings.get();
    s.filterCase = 1;
    s.imageMode = 3;
    s.depth = 8;
    s.outputMesh = mesh.get();
    s.brickGrid = &brickGrid;
    s.outputCache = outputCache;
    s.mollweideCache = mollweideCache;
    s.lookupGrid = gridMade ? &grid : nullptr;
    s.outputWidth = width;
    s.outputHeight = height;
    s.sourceWidth = width;
    s.sourceHeight = height;
    s.bands = &band;
    s.bandCount = 1;
    PrepareMappingContextFrom(&s, context.get());
    WarmLookupGridsFor(context.get(), outputFaces.get());
  }
  ~OutputRig() {
    FreeMeshTables(mesh.get(), nullptr);
    FreeBrickGrid(&brickGrid, nullptr);
    if (gridMade) FreeImageRecord(&grid);
  }
  OutputRig(const OutputRig&) = delete;
  OutputRig& operator=(const OutputRig&) = delete;

  // The inverse at a normalised output point.
  OutputHit At(float nx, float ny) {
    PixelMapping mapping{};
    mapping.viewNormal = Vec3f{0, 0, 1};
    Vec3f d{0, 0, 1};
    uint8_t outside = 0;
    int32_t region = -1;
    outputFaces->shapePiece = -1;
    outputFaces->shapeLobe = 0;
    outputFaces->found = 0;
    PlaneToSphereForOutput(nx, ny, context.get(), &mapping, outputFaces.get(), &d, &outside, &region);
    return OutputHit{outside != 0, d, region, mapping.viewNormal};
  }

  // The normalised point of a plane point (X, Y).
  float NxOf(double planeX) const { return float(planeX / mesh->layoutScale + mesh->centreX); }
  float NyOf(double planeY) const { return float(planeY / (mesh->layoutScale * context->outputAspect) + 0.5); }
  OutputHit AtPlane(double planeX, double planeY) { return At(NxOf(planeX), NyOf(planeY)); }

  // The whole pixel road at a normalised point: source position and status.
  PixelMapping Road(float nx, float ny) {
    PixelMapping mapping{};
    MapOutputPointWithLists(nx, ny, context.get(), &mapping, outputFaces.get(), inputFaces.get(), &dotCursor);
    return mapping;
  }
};

// The direction of geographic longitude and latitude in radians (east on the
// right of a map, that is towards -x, as an equirectangular source is read).
inline Vec3 GeoDirection(double lon, double lat) {
  return Vec3{-std::sin(lon) * std::cos(lat), std::sin(lat), std::cos(lon) * std::cos(lat)};
}

inline double AngleBetween(const Vec3f& a, const Vec3& b) {
  const double la = std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z);
  double c = (a.x * b.x + a.y * b.y + a.z * b.z) / la;
  c = std::fmax(-1.0, std::fmin(1.0, c));
  return std::acos(c);
}

inline double LengthOf(const Vec3f& d) { return std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z); }
