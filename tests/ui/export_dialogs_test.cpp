// The PSD size and cube map sub-dialogs on the stand-in: proportions kept
// while typing, typing into "same size" switches to a custom size, sizes
// clamped on OK, Cancel keeps the settings, an open dialog is only brought
// to the front, and OK starts the export through the save chooser.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/dialog_fixture.h"
#include "ui/export_dialogs.h"

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
