// The PSD size and cube map sub-dialogs on the stand-in: proportions kept
// while typing, typing into "same size" switches to a custom size, sizes
// clamped on OK, Cancel keeps the settings, an open dialog is only brought
// to the front, and OK starts the export through the save chooser.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/dialog_fixture.h"
#include "export/export_plan.h"
#include "ui/export_dialogs.h"
#include "ui/file_choosers.h"

namespace {

struct ExportDialogs : ::testing::Test {
  DialogSession s;
  void SetUp() override {
    s.globals.filterWidth = 4000;
    s.globals.filterHeight = 2000;
  }
  static std::string Text(StandInDialog* d, int32_t id) {
    const StandInItem* item = FindStandInItem(d, id);
    return item ? item->text : "<none>";
  }
  static int32_t Check(StandInDialog* d, int32_t id) {
    const StandInItem* item = FindStandInItem(d, id);
    return item ? item->check : -1;
  }
};

TEST_F(ExportDialogs, SameProportionsFollowTheTypedSide) {
  s.block.psdSizeMode = 2;
  std::vector<std::string> seen;
  SetStandInDriver(kPsdSizeTemplate, [&](StandInDialog* d) {
    seen.push_back(Text(d, 3) + "x" + Text(d, 4));
    StandInType(d, 3, "1000");
    seen.push_back(Text(d, 4));
    StandInType(d, 4, "300");
    seen.push_back(Text(d, 3));
    StandInClick(d, 2);  // Cancel: the settings stay
    return false;
  });
  s.block.psdWidth = 77;
  EXPECT_FALSE(ShowPsdSizeDialog(&s.globals));
  EXPECT_EQ(seen, (std::vector<std::string>{"4000x2000", "500", "600"}));
  EXPECT_EQ(s.block.psdWidth, 77);
  EXPECT_EQ(GetStandInWorld().fileRequests.size(), 0u);  // no export
}

TEST_F(ExportDialogs, TypingIntoSameSizeChoosesCustomAndOkClampsAndExports) {
  s.block.psdSizeMode = 1;
  int32_t customTicked = -1;
  SetStandInDriver(kPsdSizeTemplate, [&](StandInDialog* d) {
    EXPECT_EQ(Check(d, 10), 1);
    StandInType(d, 3, "1");        // below the minimum
    customTicked = Check(d, 12);
    StandInType(d, 4, "99999");    // above the maximum
    StandInClick(d, 1);
    return false;
  });
  EXPECT_TRUE(ShowPsdSizeDialog(&s.globals));
  EXPECT_EQ(customTicked, 1);
  EXPECT_EQ(s.block.psdSizeMode, 3);
  EXPECT_EQ(s.block.psdWidth, kMinExportSide);
  EXPECT_EQ(s.block.psdHeight, kMaxExportSide);
  // The export asked for a PSD file with its default name (and was cancelled there).
  ASSERT_EQ(GetStandInWorld().fileRequests.size(), 1u);
  EXPECT_EQ(GetStandInWorld().fileRequests[0].proposed, "Orbalix 2 result.psd");
  EXPECT_EQ(GetStandInWorld().fileRequests[0].title, "Save a PSD file");
  EXPECT_EQ(s.block.exportKind, 6);
}

TEST_F(ExportDialogs, CubeSideIsClampedAndASecondRequestOnlyRaisesTheFirst) {
  s.block.cubeSide = 512;
  bool nested = true;
  std::string shown;
  SetStandInDriver(kCubeMapTemplate, [&](StandInDialog* d) {
    shown = Text(d, 3);
    const int32_t raisedBefore = d->broughtToTop;
    nested = ShowCubeMapDialog(&s.globals);
    EXPECT_EQ(d->broughtToTop, raisedBefore + 1);
    StandInType(d, 3, "abc");  // no number: the minimum
    StandInClick(d, 1);
    return false;
  });
  EXPECT_TRUE(ShowCubeMapDialog(&s.globals));
  EXPECT_FALSE(nested);
  EXPECT_EQ(shown, "512");
  EXPECT_EQ(s.block.cubeSide, kMinExportSide);
  EXPECT_EQ(s.block.exportKind, 1);
  EXPECT_EQ(GetStandInWorld().shown, (std::vector<std::string>{kCubeMapTemplate}));
}

TEST_F(ExportDialogs, MainDialogsOkClosesAnOpenSubDialog) {
  s.Open();
  bool closedByMain = false;
  SetStandInDriver(kPsdSizeTemplate, [&](StandInDialog*) {
    StandInClick(s.window, kIdOk);  // the main dialog stays usable, and ends
    closedByMain = true;
    return false;
  });
  ASSERT_TRUE(StandInClick(s.window, 40));
  EXPECT_TRUE(closedByMain);
  EXPECT_EQ(s.globals.dialogOutcome, kDialogOutcomeOk);
  EXPECT_EQ(GetStandInWorld().forcedEnds, 0);
  EXPECT_EQ(GetStandInWorld().fileRequests.size(), 0u);  // closed, not confirmed: no export
}

}  // namespace

namespace {

struct BrickSphereDialog : ExportDialogs {};

TEST_F(BrickSphereDialog, ShowsTheSettingsAndOkStoresEveryFieldClamped) {
  s.block.brickLayers = 20;
  s.block.brickColorset = (1 << 0) | (1 << 11);  // the first and the last colour
  s.block.spherePlan = 1;
  s.block.sphereStats = 0;
  s.block.ldraw = 0;
  s.block.brickDiffusion = 0;
  s.block.brickPlates = 1;
  std::vector<int32_t> colourTicks;
  std::vector<int32_t> flagTicks;
  std::string layers;
  SetStandInDriver(kBrickSphereTemplate, [&](StandInDialog* d) {
    layers = Text(d, 3);
    for (int32_t k = kBrickFirstColour; k <= kBrickLastColour; ++k) colourTicks.push_back(Check(d, k));
    for (int32_t id : {kBrickPlan, kBrickStatistics, kBrickLDraw, kBrickDiffuse, kBrickPlates})
      flagTicks.push_back(Check(d, id));
    StandInType(d, 3, "500");  // above the most layers
    StandInClick(d, kBrickFirstColour);  // untick the first colour
    StandInClick(d, kBrickFirstColour + 2);
    StandInClick(d, kBrickPlan);
    StandInClick(d, kBrickDiffuse);
    StandInClick(d, 1);
    return false;
  });
  // No result is asked for: OK only stores the settings.
  EXPECT_TRUE(ShowBrickSphereDialog(&s.globals));
  EXPECT_EQ(layers, "20");
  EXPECT_EQ(colourTicks, (std::vector<int32_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(flagTicks, (std::vector<int32_t>{1, 0, 0, 0, 1}));
  EXPECT_EQ(s.block.brickLayers, kMaxBrickLayers);
  EXPECT_EQ(s.block.brickColorset, (1 << 2) | (1 << 11));
  EXPECT_EQ(s.block.spherePlan, 0);
  EXPECT_EQ(s.block.brickDiffusion, 1);
  EXPECT_EQ(s.block.brickPlates, 1);
  EXPECT_EQ(s.block.exportKind, 0);
  EXPECT_EQ(GetStandInWorld().fileRequests.size(), 0u);

  // Too few layers, or no number at all, become the fewest.
  for (const char* typed : {"2", "many"}) {
    SetStandInDriver(kBrickSphereTemplate, [&](StandInDialog* d) {
      StandInType(d, 3, typed);
      StandInClick(d, 1);
      return false;
    });
    EXPECT_TRUE(ShowBrickSphereDialog(&s.globals));
    EXPECT_EQ(s.block.brickLayers, kMinBrickLayers) << typed;
  }
}

TEST_F(BrickSphereDialog, CancelKeepsTheSettingsAndThePsdSizeDialogHoldsItsPlace) {
  s.block.brickLayers = 12;
  s.block.ldraw = 1;
  SetStandInDriver(kBrickSphereTemplate, [&](StandInDialog* d) {
    StandInType(d, 3, "40");
    StandInClick(d, kBrickLDraw);
    StandInClick(d, 2);
    return false;
  });
  EXPECT_FALSE(ShowBrickSphereDialog(&s.globals));
  EXPECT_EQ(s.block.brickLayers, 12);
  EXPECT_EQ(s.block.ldraw, 1);
  EXPECT_EQ(GetStandInWorld().fileRequests.size(), 0u);

  // While the PSD size dialog is open, the brick sphere's only raises it.
  bool nested = true;
  int32_t raised = 0;
  SetStandInDriver(kPsdSizeTemplate, [&](StandInDialog* d) {
    const int32_t before = d->broughtToTop;
    nested = ShowBrickSphereDialog(&s.globals);
    raised = d->broughtToTop - before;
    StandInClick(d, 2);
    return false;
  });
  EXPECT_FALSE(ShowPsdSizeDialog(&s.globals));
  EXPECT_FALSE(nested);
  EXPECT_EQ(raised, 1);
  EXPECT_EQ(GetStandInWorld().shown,
            (std::vector<std::string>{kBrickSphereTemplate, kPsdSizeTemplate}));
}

TEST_F(BrickSphereDialog, OkAsksForEachResultInTurnAndACancelledPlanSkipsThePage) {
  struct Case {
    int32_t plan, statistics, ldraw;
    std::vector<std::string> asked;  // the proposed names, in order
  };
  const Case cases[] = {
      {1, 1, 1, {"Sphere plan.psd", "LDraw file"}},  // the plan's chooser is cancelled
      {0, 1, 1, {"Sphere statistics", "LDraw file"}},
      {0, 0, 1, {"LDraw file"}},
  };
  for (const Case& c : cases) {
    GetStandInWorld().fileRequests.clear();
    s.block.spherePlan = c.plan;
    s.block.sphereStats = c.statistics;
    s.block.ldraw = c.ldraw;
    SetStandInDriver(kBrickSphereTemplate, [&](StandInDialog* d) {
      StandInClick(d, 1);
      return false;
    });
    EXPECT_TRUE(ShowBrickSphereDialog(&s.globals));
    std::vector<std::string> asked;
    for (const StandInFileRequest& r : GetStandInWorld().fileRequests) asked.push_back(r.proposed);
    EXPECT_EQ(asked, c.asked);
    const StandInFileRequest& last = GetStandInWorld().fileRequests.back();
    EXPECT_EQ(last.kind, kFileKindLdraw);
    EXPECT_EQ(last.title, "Save an LDRAW file");
  }
}

TEST_F(ExportDialogs, FacesDialogOffersWhatThisBuildCanExportAndOkClampsTheSize) {
  s.block.faceExportMode = 0;
  s.block.faceSize = 256;
  std::vector<int32_t> enabled;
  std::vector<int32_t> ticked;
  std::string shown;
  SetStandInDriver(kExportFacesTemplate, [&](StandInDialog* d) {
    shown = Text(d, 3);
    for (int32_t id = kFacesImages; id <= kFacesMap; ++id) {
      enabled.push_back(FindStandInItem(d, id)->enabled);
      ticked.push_back(Check(d, id));
    }
    StandInType(d, 3, "1");
    StandInClick(d, kFacesGeometry);
    StandInClick(d, 1);
    return false;
  });
  EXPECT_TRUE(ShowExportFacesDialog(&s.globals));
  EXPECT_EQ(shown, "256");
  const int32_t images = ExportKindAvailable(ExportPolyFaces) ? 1 : 0;
  const int32_t map = ExportKindAvailable(ExportFaceMap) ? 1 : 0;
  EXPECT_EQ(enabled, (std::vector<int32_t>{images, 1, map}));
  // The images are the setting; when this build cannot make them, the geometry is offered.
  EXPECT_EQ(ticked, (std::vector<int32_t>{images, 1 - images, 0}));
  EXPECT_EQ(s.block.faceExportMode, 1);
  EXPECT_EQ(s.block.faceSize, kMinExportSide);
  // The geometry export asked for its OBJ file (and was cancelled there).
  ASSERT_EQ(GetStandInWorld().fileRequests.size(), 1u);
  const StandInFileRequest& r = GetStandInWorld().fileRequests[0];
  EXPECT_EQ(r.kind, kFileKindObj);
  EXPECT_EQ(r.title, "Save a Wavefront .obj file");
  EXPECT_EQ(r.proposed, "Polyhedron");

  // Cancel: nothing stored, nothing asked.
  SetStandInDriver(kExportFacesTemplate, [&](StandInDialog* d) {
    StandInType(d, 3, "999");
    StandInClick(d, 2);
    return false;
  });
  EXPECT_FALSE(ShowExportFacesDialog(&s.globals));
  EXPECT_EQ(s.block.faceSize, kMinExportSide);
  EXPECT_EQ(GetStandInWorld().fileRequests.size(), 1u);
}

TEST_F(ExportDialogs, FacetOpensTheFacesDialogOnlyForTheNetOfASolid) {
  s.Open();
  SetStandInAnswer(kExportFacesTemplate, 2);
  s.block.outputProjection = 1;
  WriteSettingsToControls(s.dialog.get());
  const int32_t beeps = GetStandInWorld().beeps;
  ASSERT_TRUE(StandInClick(s.window, kIdFacet));
  EXPECT_EQ(GetStandInWorld().beeps, beeps + 1);
  EXPECT_TRUE(GetStandInWorld().shown.empty());
  s.block.outputProjection = 6;  // the tetrahedron's net
  WriteSettingsToControls(s.dialog.get());
  ASSERT_TRUE(StandInClick(s.window, kIdFacet));
  EXPECT_EQ(GetStandInWorld().beeps, beeps + 1);
  EXPECT_EQ(GetStandInWorld().shown, (std::vector<std::string>{kExportFacesTemplate}));
}

}  // namespace
