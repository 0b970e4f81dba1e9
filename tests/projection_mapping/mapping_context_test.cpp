// The context set-up from the settings, the host's document mode and the
// run's stores.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "host/parameter_block.h"
#include "mapping_fixture.h"
#include "projection/output_pixel.h"

namespace {

// The settings, stores and bands of one render, with the default settings.
struct ContextSetUp {
  std::unique_ptr<ParameterBlock> settings = std::make_unique<ParameterBlock>();
  std::unique_ptr<MappingContext> context = std::make_unique<MappingContext>();
  std::unique_ptr<PolyMesh> mesh = std::make_unique<PolyMesh>();
  std::unique_ptr<NetFaceList> outputFaces = std::make_unique<NetFaceList>();
  std::unique_ptr<NetFaceList> inputFaces = std::make_unique<NetFaceList>();
  int32_t dotCursor = 17;
  BandLists band{};
  BrickGrid brickGrid{};
  float outputCache[401] = {999.0f};
  float mollweideCache[400] = {999.0f};
  MappingContextSources sources{};

  ContextSetUp() {
    std::memset(settings.get(), 0, sizeof(ParameterBlock));
    std::memset(context.get(), 0, sizeof(MappingContext));
    std::memset(mesh.get(), 0, sizeof(PolyMesh));
    std::memset(outputFaces.get(), 0, sizeof(NetFaceList));
    std::memset(inputFaces.get(), 0x5a, sizeof(NetFaceList));
    ResetPolyMesh(mesh.get());
    ParameterBlock& p = *settings;
    p.inputProjection = 1;
    p.outputProjection = 1;
    p.fov = 120;
    p.fovInteger = 120;
    p.tabs = 33;
    p.tabsInteger = 33;
    p.tabRed = 55255;
    p.tabGreen = 44204;
    p.tabBlue = 56540;
    p.backdropRed = p.backdropGreen = p.backdropBlue = 65535;
    p.transparentGaps = 1;
    p.grid2 = 1;
    p.brickLayers = 20;
    p.brickColorset = 63;
    p.customNetOutput = 6;
    p.previewScale = 1;
    band = BandLists{outputFaces.get(), inputFaces.get(), &dotCursor};
    sources.settings = settings.get();
    sources.filterCase = 1;
    sources.imageMode = 3;  // RGB
    sources.depth = 8;
    sources.outputMesh = mesh.get();
    sources.brickGrid = &brickGrid;
    sources.outputCache = outputCache;
    sources.mollweideCache = mollweideCache;
    sources.outputWidth = 400;
    sources.outputHeight = 200;
    sources.sourceWidth = 800;
    sources.sourceHeight = 400;
    sources.bands = &band;
    sources.bandCount = 1;
  }

  MappingContext& Prepare() {
    PrepareMappingContextFrom(&sources, context.get());
    return *context;
  }
  ~ContextSetUp() {
    FreeMeshTables(mesh.get(), nullptr);
    FreeBrickGrid(&brickGrid, nullptr);
  }
};

TEST(MappingContextSetUp, SizesRotationAndBandLists) {
  ContextSetUp s;
  s.settings->latitude = 90;
  s.settings->fov = 90;
  const MappingContext& c = s.Prepare();
  EXPECT_EQ(c.outputAspect, 0.5f);
  EXPECT_EQ(c.sourceAspect, 0.5f);
  EXPECT_EQ(c.inverseOutputWidth, 1.0f / 400);
  EXPECT_EQ(c.inverseOutputHeight, 1.0f / 200);
  EXPECT_EQ(c.angleA, 90.0f);
  // Latitude turns about x: the forward direction is turned up.
  Vec3f forward{0, 0, 1};
  ApplyRotation(&c.rotation, 1, &forward);
  EXPECT_NEAR(forward.y, 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(c.fovTan, 2.0f);
  EXPECT_EQ(c.outputMesh, s.mesh.get());
  EXPECT_EQ(c.lookupGrid, nullptr);
  // Every band list is reset for the render.
  EXPECT_EQ(s.outputFaces->outputNumber, 1);
  EXPECT_FLOAT_EQ(s.outputFaces->tileScale, std::pow(2.0f, 2.5f));
  EXPECT_EQ(s.dotCursor, 0);
  EXPECT_EQ(s.inputFaces->outputNumber, 0);
  EXPECT_FLOAT_EQ(s.inputFaces->tileScale, 5.656854f);
  EXPECT_EQ(s.inputFaces->faceCursor, 0);
  // The equirectangular output's own plane box.
  EXPECT_FLOAT_EQ(s.mesh->layoutScale, 1.0f);
  EXPECT_EQ(c.contextMode, 0);
  EXPECT_EQ(c.runWord1, 0);
  EXPECT_EQ(c.runByte1, 0);
}

TEST(MappingContextSetUp, HostColoursByDocumentMode) {
  struct Case {
    int16_t imageMode;
    int32_t depth;
    int32_t tab[3];
    int32_t mid[3];
  };
  const Case cases[] = {
      {3, 8, {215, 172, 220}, {235, 213, 237}},                   // 8-bit RGB: the high byte
      {1, 8, {215, 172, 220}, {235, 213, 237}},                   // 8-bit grey
      {3, 16, {-1, -1, -1}, {-1, -1, -1}},                        // RGB mode with 16 bits: kept
      {10, 16, {27627, 22102, 28270}, {30197, 27434, 30518}},     // 16-bit: half the value
      {16, 32, {27627, 22102, 28270}, {30197, 27434, 30518}},     // float documents
  };
  for (const Case& k : cases) {
    ContextSetUp s;
    for (int32_t i = 0; i < 3; ++i) s.context->tabColour[i] = s.context->backdropColour[i] = -1;
    s.sources.imageMode = k.imageMode;
    s.sources.depth = k.depth;
    const MappingContext& c = s.Prepare();
    for (int32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(c.tabColour[i], k.tab[i]) << k.imageMode << "/" << k.depth;
      EXPECT_EQ(c.midColour[i], k.mid[i]) << k.imageMode << "/" << k.depth;
    }
    EXPECT_FLOAT_EQ(c.tabColourF[0], 55255 * 1.5259022e-05f);
    EXPECT_FLOAT_EQ(c.backdropColourF[2], 65535 * 1.5259022e-05f);
    EXPECT_EQ(c.tabColourF[3], 1.0f);
    EXPECT_FLOAT_EQ(c.midColourF[1], c.tabColourF[1] + (c.backdropColourF[1] - c.tabColourF[1]) * 0.5f);
  }
}

TEST(MappingContextSetUp, ShiftLensTakesTheLatitude) {
  ContextSetUp s;
  s.settings->outputProjection = 60;
  s.settings->latitude = 89;
  const MappingContext& c = s.Prepare();
  EXPECT_FLOAT_EQ(c.lensShift, std::tan(1.5393804f));
  EXPECT_EQ(c.angleA, 0.0f);
  EXPECT_EQ(s.settings->latitude, 0.0f);  // the setting itself is cleared
  ContextSetUp t;
  t.settings->outputProjection = 60;
  t.settings->latitude = -20;
  EXPECT_NEAR(t.Prepare().lensShift, std::tan(-20 * 3.1415927 / 180), 1e-6);
}

TEST(MappingContextSetUp, TransparencyOnlyWhereTheDocumentOrExportCanKeepIt) {
  struct Case {
    int16_t filterCase;
    int32_t runMode;
    uint8_t keepAlpha;
    uint8_t transparentNoSource;
  };
  const Case cases[] = {{1, RunModeHost, 0, 0}, {1, RunModeExport, 1, 1}, {4, RunModeHost, 1, 1},
                        {5, RunModePreview, 1, 1}, {2, RunModePreview, 0, 0}};
  for (const Case& k : cases) {
    ContextSetUp s;
    s.sources.filterCase = k.filterCase;
    s.settings->runMode = k.runMode;
    const MappingContext& c = s.Prepare();
    EXPECT_EQ(c.keepAlpha, k.keepAlpha) << k.filterCase << " " << k.runMode;
    EXPECT_EQ(c.transparentNoSource, k.transparentNoSource) << k.filterCase << " " << k.runMode;
  }
}

TEST(MappingContextSetUp, OverlaySwitches) {
  ContextSetUp s;
  s.settings->grid2 = 3;
  s.settings->indicatrix = 1;
  s.settings->edges = 0x101;  // only the low byte counts
  const MappingContext& c = s.Prepare();
  EXPECT_EQ(c.latLongOut, 1);
  EXPECT_EQ(c.dotOverlay, 1);
  EXPECT_EQ(c.dotCount, 128);
  EXPECT_EQ(c.keepRegions, 1);
  EXPECT_EQ(c.faceCentreOverlay, 0);
  ContextSetUp plain;
  EXPECT_EQ(plain.Prepare().latLongOut, 0);
  EXPECT_EQ(plain.context->dotCount, 0);
}

TEST(MappingContextSetUp, ModesOfTheSpecialOutputs) {
  struct Case {
    int32_t output;
    int32_t anamorphosis;
    int32_t faces;
    int32_t contextMode;
    uint8_t faceColouring;
    int32_t halfAngleOrder;
  };
  const Case cases[] = {
      {45, 0, 0, 1, 0, 0},   // brick preview
      {355, 0, 0, 2, 1, 0},  // map of faces: painted whatever the faces setting
      {1, 1, 1, 0, 0, 1},    // anamorphosis before the rotation; faces only for nets
      {36, 1, 0, 0, 0, 2},   // the gores halve after the rotation
      {64, 1, 0, 0, 0, 1},
  };
  for (const Case& k : cases) {
    ContextSetUp s;
    s.settings->outputProjection = k.output;
    s.settings->anamorphosis = k.anamorphosis;
    s.settings->faces = k.faces;
    const MappingContext& c = s.Prepare();
    EXPECT_EQ(c.contextMode, k.contextMode) << k.output;
    EXPECT_EQ(c.faceColouring, k.faceColouring) << k.output;
    EXPECT_EQ(c.halfAngleOrder, k.halfAngleOrder) << k.output;
    EXPECT_EQ(s.outputFaces->halfAngleOrder, k.halfAngleOrder) << k.output;
  }
  ContextSetUp brick;
  brick.settings->outputProjection = 45;
  brick.settings->brickLayers = 30;
  brick.Prepare();
  EXPECT_EQ(brick.brickGrid.sizeZ, 30);
  EXPECT_EQ(brick.brickGrid.sizeX, 36);
  EXPECT_NE(brick.brickGrid.cells, nullptr);
}

TEST(MappingContextSetUp, ShapedNetOutputsGetTheirPlaneBox) {
  ContextSetUp s;
  s.settings->outputProjection = 161;  // "Isle of Man": a shape drawn on net 48
  s.sources.outputWidth = 300;
  s.sources.outputHeight = 300;
  const MappingContext& c = s.Prepare();
  EXPECT_EQ(c.isNet, 1);
  EXPECT_EQ(c.outputShape.netNumber, 48);
  EXPECT_DOUBLE_EQ(c.planeBox.xmin, 63 * 0.001 - 0.5);
  EXPECT_DOUBLE_EQ(c.planeBox.ymax, 816 * 0.001 - 0.5);
  EXPECT_DOUBLE_EQ(c.planeBox.y1, 1.0);
  EXPECT_EQ(s.mesh->owner, nullptr);
}

TEST(MappingContextSetUp, ChosenFaceIsClamped) {
  ContextSetUp s;
  s.settings->outputProjection = 161;
  s.mesh->selectedFace = 4000;
  float values[3 * 1510] = {};
  values[3 * 1509 + 2] = 0.75f;
  s.sources.chosenFaceValues = values;
  s.sources.chosenFaceShared = 2.5f;
  s.Prepare();
  EXPECT_EQ(s.mesh->selectedFace, 1509);
  EXPECT_EQ(s.mesh->selectedFaceValues[2], 0.75f);
  EXPECT_EQ(s.mesh->selectedFaceShared, 2.5f);
}

TEST(MappingContextSetUp, ShiftedContextSpinsAQuarterTurn) {
  ContextSetUp s;
  s.settings->spin = 10;
  s.Prepare();
  auto target = std::make_unique<MappingContext>();
  std::memset(target.get(), 0, sizeof(MappingContext));
  MakeShiftedMappingContextFor(s.context.get(), target.get(), 2, nullptr);
  EXPECT_EQ(target->angleC, 0.0f);  // any index but 1 leaves the target alone
  EXPECT_EQ(target->outputMesh, nullptr);
  int dummy = 0;
  ImageRecord* third = reinterpret_cast<ImageRecord*>(&dummy);
  MakeShiftedMappingContextFor(s.context.get(), target.get(), 1, third);
  EXPECT_EQ(target->angleC, 100.0f);
  EXPECT_EQ(target->sourceImage, third);
  EXPECT_EQ(target->outputMesh, s.mesh.get());
  RotationRecord expected;
  SetRotationFromAngles(0, 0, 100, &expected);
  EXPECT_EQ(std::memcmp(&expected, &target->rotation, sizeof expected), 0);
}

}  // namespace
