// The context set-up and the size calls read from a run's globals record.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "projection/mapping_context.h"
#include "projection/output_pixel.h"
#include "render/band_scheduler.h"

namespace {

struct RunGlobals {
  std::unique_ptr<GlobalsRecord> globals = std::make_unique<GlobalsRecord>();
  std::unique_ptr<WorkRecord> work = std::make_unique<WorkRecord>();
  std::unique_ptr<FilterRecord> host = std::make_unique<FilterRecord>();
  std::unique_ptr<ParameterBlock> settings = std::make_unique<ParameterBlock>();
  std::unique_ptr<MappingContext> context = std::make_unique<MappingContext>();
  std::unique_ptr<NetFaceList> outputFaces = std::make_unique<NetFaceList>();
  std::unique_ptr<NetFaceList> inputFaces = std::make_unique<NetFaceList>();
  char* parameters = nullptr;
  BandRecord band{};
  ImageRecord exportTarget;

  RunGlobals() {
    std::memset(settings.get(), 0, sizeof(ParameterBlock));
    std::memset(context.get(), 0, sizeof(MappingContext));
    std::memset(outputFaces.get(), 0, sizeof(NetFaceList));
    std::memset(inputFaces.get(), 0, sizeof(NetFaceList));
    ParameterBlock& p = *settings;
    p.inputProjection = 1;
    p.outputProjection = 1;
    p.fov = 120;
    p.tabs = 33;
    p.tabsInteger = 33;
    p.grid2 = 1;
    p.previewScale = 2;
    p.previewPanX = 6;
    p.previewPanY = 4;
    parameters = reinterpret_cast<char*>(settings.get());
    host->parameters = &parameters;
    host->filterRect = Rect{0, 0, 300, 800};  // top, left, bottom, right
    host->filterCase = 1;
    host->imageMode = 3;
    host->depth = 8;
    GlobalsRecord& g = *globals;
    g.filterRecord = host.get();
    g.workRecord = work.get();
    g.savedFilterRect = Rect{0, 0, 100, 200};
    ResetPolyMesh(&work->outputMesh);
    work->outputMesh.normalise = 1;
    InitImageRecord(&g.images[0], &g.imageOwner, nullptr);
    band.outputFaceList = outputFaces.get();
    band.inputFaceList = inputFaces.get();
    band.nearestDot = 9;
    g.bandPool = &band;
    g.bandCount = 1;
  }
};

TEST(MappingContextFromGlobals, ReadsTheRunsRecords) {
  RunGlobals run;
  MappingContext& c = *run.context;
  PrepareMappingContext(run.globals.get(), &c);
  EXPECT_EQ(c.previewScale, 2);
  EXPECT_EQ(c.previewPanX, 6);
  EXPECT_EQ(c.previewPanY, 4);
  EXPECT_EQ(c.filterTables, &run.work->filterTables);
  EXPECT_EQ(c.outputWidth, 200.0f);
  EXPECT_EQ(c.outputHeight, 100.0f);
  EXPECT_EQ(c.sourceWidth, 800.0f);
  EXPECT_EQ(c.sourceHeight, 300.0f);
  EXPECT_EQ(c.outputMesh, &run.work->outputMesh);
  EXPECT_EQ(run.work->outputMesh.owner, run.globals.get());
  EXPECT_EQ(c.lookupGrid, &run.globals->images[1]);
  EXPECT_EQ(c.outputCache, run.work->outputCache);
  EXPECT_EQ(c.mollweideCache, run.work->mollweideCache);
  EXPECT_EQ(run.band.nearestDot, 0);
  EXPECT_EQ(run.outputFaces->outputNumber, 1);
  EXPECT_EQ(c.tabColour[0], 0);
  float w, h, aspect;
  GetOutputSize(run.globals.get(), &w, &h, &aspect);
  EXPECT_EQ(w, 200.0f);
  EXPECT_EQ(h, 100.0f);
  EXPECT_EQ(aspect, 0.5f);
}

TEST(MappingContextFromGlobals, ExportRunsDrawIntoTheExportImage) {
  RunGlobals run;
  run.settings->runMode = RunModeExport;
  run.exportTarget.levelWidth[0] = 64;
  run.exportTarget.levelHeight[0] = 48;
  run.work->offscreenTarget = &run.exportTarget;
  SetOutputGeometry(run.globals.get(), run.context.get());
  EXPECT_EQ(run.context->outputWidth, 64.0f);
  EXPECT_EQ(run.context->outputAspect, 0.75f);
  EXPECT_EQ(run.context->sourceWidth, 800.0f);  // the source stays the host's
}

TEST(MappingContextFromGlobals, ShiftedContextSamplesTheThirdImage) {
  RunGlobals run;
  PrepareMappingContext(run.globals.get(), run.context.get());
  run.context->sourceImage = &run.globals->images[0];
  auto shifted = std::make_unique<MappingContext>();
  MakeShiftedMappingContext(run.context.get(), shifted.get(), 1);
  EXPECT_EQ(shifted->sourceImage, &run.globals->images[2]);
  EXPECT_EQ(shifted->angleC, 90.0f);
}

TEST(MappingContextFromGlobals, RowListsOfAPlainOutputStayAsTheyWere) {
  RunGlobals run;
  PrepareMappingContext(run.globals.get(), run.context.get());
  run.outputFaces->faceCount = 3;
  PrepareRowFaceLists(run.globals.get(), run.context.get(), 5);
  EXPECT_EQ(run.outputFaces->faceCount, 3);  // not a net: nothing to list
}

}  // namespace
