// A mapping context and output mesh on the heap, prepared by hand the way the
// render set-up prepares them, for the pixel-road tests.
#pragma once

#include <cstring>
#include <memory>

#include "geometry/rotation.h"
#include "nets/brick_grid.h"
#include "nets/nets_services_stub.h"
#include "projection/mapping_context.h"
#include "projection/output_shapes.h"

struct ImageRecord;
// A bare image record of the given level-0 size, standing for the image a
// band draws into.
ImageRecord* NewTargetImage(int32_t width, int32_t height);
void DeleteTargetImage(ImageRecord* image);

// A render triangle of the small hand-made nets of these tests: the three
// render points, face 0, and the tab flag.
inline RenderTriangle TinyNetTriangle(int32_t a, int32_t b, int32_t c, uint8_t tab) {
  RenderTriangle t{};
  t.points[0] = a;
  t.points[1] = b;
  t.points[2] = c;
  t.extraTriangle = tab;
  t.inverseDoubleArea = 6.25f;
  return t;
}

struct MappingFixture {
  std::unique_ptr<MappingContext> context = std::make_unique<MappingContext>();
  std::unique_ptr<PolyMesh> mesh = std::make_unique<PolyMesh>();
  std::unique_ptr<NetFaceList> outputFaces = std::make_unique<NetFaceList>();
  std::unique_ptr<NetFaceList> inputFaces = std::make_unique<NetFaceList>();
  float mollweideCache[400] = {999.0f};
  float outputCache[401] = {999.0f};
  int32_t dotCursor = 0;

  MappingFixture(int32_t output, int32_t input, float aspect, float sourceAspect = 0.5f) {
    std::memset(context.get(), 0, sizeof(MappingContext));
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    std::memset(outputFaces.get(), 0, sizeof(NetFaceList));
    std::memset(inputFaces.get(), 0, sizeof(NetFaceList));
    ResetPolyMesh(mesh.get());
    mesh->normalise = 1;
    InitDirectSampleRecord(inputFaces.get());
    context->outputProjection = output;
    context->inputProjection = input;
    context->outputAspect = aspect;
    context->sourceAspect = sourceAspect;
    context->outputMesh = mesh.get();
    context->mollweideCache = mollweideCache;
    context->outputCache = outputCache;
    context->fov = 90;
    ComputeFovTangents(context->fov, &context->fovTan, &context->halfFovTan);
    SetRotationFromAngles(0, 0, 0, &context->rotation);
    GetOutputShape(output, &context->outputShape);
  }

  // Latitude, longitude and spin in degrees, passed as the context passes them.
  void Turn(float latitude, float longitude, float spin) {
    context->angleA = latitude;
    context->angleB = longitude;
    context->angleC = spin;
    SetRotationFromAngles(longitude, latitude, spin, &context->rotation);
  }

  void Extents() {
    SetOutputExtents(mesh.get(), &context->planeBox, context->outputAspect, context.get(), 0, context->fov, 33);
  }
};
