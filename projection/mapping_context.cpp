// The mapping context: the parts that need no globals record.
#include "projection/mapping_context.h"

#include <algorithm>
#include <cmath>

#include "geometry/fast_math.h"
#include "geometry/rotation.h"
#include "host/host_records.h"
#include "host/parameter_block.h"
#include "nets/brick_grid.h"
#include "nets/nets_services_stub.h"
#include "projection/output_pixel.h"
#include "projection/output_shapes.h"

void ComputeFovTangents(float fov, float* fovTan, float* halfFovTan) {
  const float q = float(double(fov) / 180.0);
  const float full = q < 0.999f ? q : 0.999f;
  const float halfQ = q * 0.5f;
  const float half = halfQ < 0.999f ? halfQ : 0.999f;
  *fovTan = std::tan(full * 1.5707964f) * 2;
  *halfFovTan = std::tan(half * 1.5707964f) * 2;
}

int32_t BuildDotList(MappingContext* context) {
  int32_t count = 0;
  for (int32_t row = 1; row <= 8; ++row) {
    for (int32_t column = 0; column < 18; ++column) {
      // The rows nearest the poles keep every other dot.
      if ((row == 1 || row == 8) && (column % 2) != 0) continue;
      EquirectToVec3f(float(column) / 18, float(row) / 9, &context->dots[count++]);
    }
  }
  EquirectToVec3f(0, 0, &context->dots[count++]);  // north pole
  EquirectToVec3f(0, 1, &context->dots[count++]);  // south pole
  context->dotCount = count;
  return count;
}

void InitDirectSampleRecord(NetFaceList* list) {
  list->outputNumber = 0;
  list->tileScale = 5.656854f;  // 2^2.5
  list->halfAngleOrder = 0;
  list->tabCursor = 0;
  list->hitTriangle = 0;
  list->faceCursor = 0;
}

namespace {

constexpr float kInverse65535 = 1.5259022e-05f;

// The host's integer channel range for a 16-bit colour setting: the high
// byte for 8-bit documents, half the value for 16-bit and float documents;
// any other mode keeps what the context held.
void StoreHostColour(const uint16_t rgb[3], int16_t imageMode, int32_t depth, int32_t out[3]) {
  const bool eightBit = (imageMode == 1 || imageMode == 3) && depth < 9;
  const bool wide = ((imageMode == 10 || imageMode == 11) && depth == 16) || imageMode == 16 || imageMode == 17 ||
                    depth == 32;
  for (int32_t i = 0; i < 3; ++i) {
    if (eightBit) {
      out[i] = rgb[i] >> 8;
    } else if (wide) {
      out[i] = rgb[i] >> 1;
    }
  }
}

void StoreUnitColour(const uint16_t rgb[3], float out[4]) {
  for (int32_t i = 0; i < 3; ++i) out[i] = float(rgb[i]) * kInverse65535;
  out[3] = 1.0f;
}

int32_t ViewsNetOutput(int32_t output) {
  switch (output) {
    case 75: return 6;
    case 76: return 9;
    case 77: return 27;
    case 78: return 33;
    case 79: return 54;
    default: return -1;
  }
}

}  // namespace

void SetMidColours(MappingContext* context) {
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t tab = context->tabColour[i];
    context->midColour[i] = int32_t(tab + (context->backdropColour[i] - tab) * 0.5);
  }
  for (int32_t i = 0; i < 4; ++i) {
    const float tab = context->tabColourF[i];
    context->midColourF[i] = tab + (context->backdropColourF[i] - tab) * 0.5f;
  }
}

void SetContextSizes(MappingContext* context, float outputWidth, float outputHeight, float sourceWidth,
                     float sourceHeight) {
  context->outputWidth = outputWidth;
  context->outputHeight = outputHeight;
  context->outputAspect = outputHeight / outputWidth;
  context->inverseOutputHeight = 1 / outputHeight;
  context->inverseOutputWidth = 1 / outputWidth;
  context->sourceWidth = sourceWidth;
  context->sourceHeight = sourceHeight;
  context->sourceAspect = sourceHeight / sourceWidth;
}

void PrepareMappingContextFrom(const MappingContextSources* sources, MappingContext* context) {
  ParameterBlock* settings = sources->settings;
  for (FloatMemo& memo : context->rowMemo) memo = FloatMemo{};
  const bool editable = sources->filterCase == 4 || sources->filterCase == 5;

  context->outputCache = sources->outputCache;
  context->mollweideCache = sources->mollweideCache;
  context->lookupGrid = sources->lookupGrid;
  context->customNet = settings->customNetOutput;
  context->flip = settings->flip;
  context->fov = settings->fov;
  context->angleB = settings->longitude;
  context->angleA = settings->latitude;
  context->angleC = settings->spin;

  if (settings->outputProjection == 60) {
    // The shift lens takes its latitude as the lens shift, within 88.2 degrees.
    float x = float(double(context->angleA * 3.1415927f) / 180.0);
    x = std::min(std::max(x, -1.5393804f), 1.5393804f);
    context->lensShift = std::tan(x);
    settings->latitude = 0;
    context->angleA = 0;
  }

  const uint16_t tab[3] = {settings->tabRed, settings->tabGreen, settings->tabBlue};
  const uint16_t backdrop[3] = {settings->backdropRed, settings->backdropGreen, settings->backdropBlue};
  StoreHostColour(tab, sources->imageMode, sources->depth, context->tabColour);
  StoreUnitColour(tab, context->tabColourF);
  StoreHostColour(backdrop, sources->imageMode, sources->depth, context->backdropColour);
  StoreUnitColour(backdrop, context->backdropColourF);

  // The context's geometry and store pointers.
  SetMidColours(context);
  SetContextSizes(context, sources->outputWidth, sources->outputHeight, sources->sourceWidth,
                  sources->sourceHeight);
  context->outputMesh = sources->outputMesh;
  if (context->outputMesh != nullptr) context->outputMesh->owner = sources->globals;
  context->inputMesh = sources->inputMesh;
  if (context->inputMesh != nullptr) context->inputMesh->owner = sources->globals;
  context->brickGrid = sources->brickGrid;

  context->inputProjection = settings->inputProjection;
  context->outputProjection = settings->outputProjection;
  const int32_t output = context->outputProjection;
  SetRotationFromAngles(context->angleB, context->angleA, context->angleC, &context->rotation);
  context->halfAngleOrder = settings->anamorphosis != 0 ? 1 : 0;
  const int32_t netOutput = output == 355 ? context->customNet : output;
  context->isNet = IsNetOutput(netOutput) ? 1 : 0;

  if (output == 45) {
    InitBrickGrid(context->brickGrid, sources->globals, settings->brickLayers, uint8_t(settings->brickPlates),
                  uint8_t(settings->brickDiffusion), settings->brickColorset);
    SetRotationFromAngles(context->angleB, context->angleA, context->angleC, &context->rotation);
    BuildBrickGrid(context->brickGrid, sources->globals, &context->rotation);
  }

  const float tabScale = settings->tabs * 0.005f;
  const uint8_t notPreview = settings->runMode != RunModePreview ? 1 : 0;
  PolyMesh* mesh = context->outputMesh;
  if (context->isNet) {
    if (mesh->selectedFace == -1) {
      BuildNetForOutput(netOutput, mesh, context->outputAspect, tabScale, 0, 0.0f, 1, sources->bufferProcs,
                        notPreview != 0);
    } else {
      mesh->selectedFace = std::min(std::max(mesh->selectedFace, 0), kMaxChosenFace);
      if (sources->chosenFaceValues != nullptr) {
        for (int32_t i = 0; i < 3; ++i) mesh->selectedFaceValues[i] = sources->chosenFaceValues[3 * mesh->selectedFace + i];
      }
      mesh->selectedFaceShared = sources->chosenFaceShared;
      BuildNetForOutput(netOutput, mesh, context->outputAspect, tabScale, 2, mesh->selectedFaceValues[2], 3,
                        sources->bufferProcs, notPreview != 0);
    }
  }
  if (IsMultiViewOutput(output)) {
    BuildNetForOutput(ViewsNetOutput(output), mesh, context->outputAspect, tabScale, 0, 0.0f, 1,
                      sources->bufferProcs, notPreview != 0);
  }
  context->faceColouring = settings->faces != 0 && context->isNet ? 1 : 0;
  if (!context->isNet) {
    SetOutputExtents(mesh, &context->planeBox, context->outputAspect, context, settings->anamorphosis,
                     context->fov, float(settings->tabsInteger));
  }
  if (context->isNet && settings->anamorphosis != 0) context->halfAngleOrder = 3;
  ComputeFovTangents(context->fov, &context->fovTan, &context->halfFovTan);

  context->levelHint = 0;
  context->levelHintPending = 0;
  context->levelHintMinor = 0;
  context->levelHintUnknown = 0;
  context->levelHintReadUnknown = 0;
  context->dotWatch = nullptr;
  context->useLevelHint = 0;
  context->runByte1 = 0;
  context->runWord1 = 0;
  context->runWord2 = 0;
  context->contextMode = 0;
  if (output == 64 && settings->anamorphosis != 0) context->halfAngleOrder = 1;
  if (output == 45) context->contextMode = 1;
  if (output == 355) {
    context->contextMode = 2;
    context->faceColouring = 1;
  }

  for (int32_t b = 0; b < sources->bandCount; ++b) ResetBandLists(context, &sources->bands[b]);

  context->keepAlpha = settings->keepTransparency != 0 || settings->transparentGaps != 0 ? 1 : 0;
  context->transparentNoSource = uint8_t(settings->transparentGaps);
  if (!editable && settings->runMode != RunModeExport) {
    context->keepAlpha = 0;
    context->transparentNoSource = 0;
  }
  context->latLongOut = settings->grid2 != 1 ? 1 : 0;
  context->fov = settings->fov;
  context->keepRegions = uint8_t(settings->edges);
  context->dotOverlay = uint8_t(settings->indicatrix);
  context->faceCentreOverlay = mesh != nullptr && mesh->foldStepCount > 0 ? 1 : 0;
  if (context->dotOverlay) BuildDotList(context);

  GetOutputShape(output, &context->outputShape);
  if (OutputShapeHasNet(output)) {
    const OutputShape& shape = context->outputShape;
    SetPlaneBox(&context->planeBox, context->outputAspect, shape.boxMin.re * 0.001 - 0.5,
                shape.boxMin.im * 0.001 - 0.5, shape.boxMax.re * 0.001 - 0.5, shape.boxMax.im * 0.001 - 0.5);
  }
}

void ResetBandLists(const MappingContext* context, const BandLists* band) {
  const float tileScale = std::pow(2.0f, 5 * context->fov / 180);
  band->outputFaces->outputNumber = context->outputProjection;
  band->outputFaces->halfAngleOrder = context->halfAngleOrder;
  band->outputFaces->tileScale = tileScale;
  *band->dotCursor = 0;
  InitDirectSampleRecord(band->inputFaces);
}

void MakeShiftedMappingContextFor(const MappingContext* source, MappingContext* target, int32_t index,
                                  ImageRecord* shiftedSource) {
  if (index != 1) return;
  *target = *source;
  target->sourceImage = shiftedSource;
  target->angleC = source->angleC + 90;
  SetRotationFromAngles(target->angleB, target->angleA, target->angleC, &target->rotation);
}
