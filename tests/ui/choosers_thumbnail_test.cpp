// The file choosers and the settings load and save through them, the
// document thumbnail from the host's image, and slider drags.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "dialog_run_fixture.h"
#include "image/pixel_access.h"
#include "image/sample_edge.h"
#include "settings/settings_file.h"
#include "ui/control_values.h"
#include "ui/dialog_mouse.h"
#include "ui/document_thumbnail.h"
#include "ui/file_choosers.h"
#include "ui/settings_choosers.h"

namespace {

TEST(FileChoosers, KindsFoldersAndOneChooserAtATime) {
  DialogSession s;
  s.Open();
  EXPECT_STREQ(GetFileKindFilter(kFileKindSettings).text, "Orbalix 2 presets (*.q2q)");
  EXPECT_STREQ(FileKindExtension(kFileKindHtml), "html");
  EXPECT_STREQ(FileKindExtension(kFileKindAll), "");
  EXPECT_STREQ(GetFileKindFilter(99).pattern, "*.*");
  char path[kMaxPathLength + 1] = "proposed";
  char title[kMaxPathLength + 1] = {0};
  char folder[kMaxPathLength + 1] = "/start/";
  QueueStandInFileAnswer(true, "/a/b/view.q2q");
  ASSERT_EQ(ShowSaveFileDialog(path, title, folder, kFileKindSettings, "Save"), 1);
  EXPECT_STREQ(path, "/a/b/view.q2q");
  EXPECT_STREQ(title, "view.q2q");
  EXPECT_STREQ(folder, "/a/b/");
  const StandInFileRequest& request = GetStandInWorld().fileRequests.back();
  EXPECT_EQ(request.proposed, "proposed");
  EXPECT_TRUE(request.save);
  // Opening starts from an empty name; a cancel leaves the folder alone.
  std::strcpy(path, "left over");
  QueueStandInFileAnswer(false, "");
  EXPECT_EQ(ShowOpenFileDialog(path, title, folder, kFileKindSettings, "Open", &s.globals), 0);
  EXPECT_EQ(GetStandInWorld().fileRequests.back().proposed, "");
  EXPECT_STREQ(folder, "/a/b/");
  // While a chooser is up, a second request is refused as a cancel.
  GetDialogModuleState().busyFlags[0] = 1;
  QueueStandInFileAnswer(true, "/x.q2q");
  const size_t asked = GetStandInWorld().fileRequests.size();
  EXPECT_EQ(ShowSaveFileDialog(path, title, folder, kFileKindSettings, "Save"), 0);
  EXPECT_EQ(GetStandInWorld().fileRequests.size(), asked);
  GetDialogModuleState().busyFlags[0] = 0;
}

TEST(SettingsChoosers, SaveAndLoadRoundTripAndAFailedLoadKeepsTheSettings) {
  DialogSession s;
  s.Open();
  const std::string file = DialogRun::TemporaryFile("round trip.q2q");
  std::filesystem::remove(file);
  s.block.latitude = 12.5f;
  s.block.outputProjection = 37;
  std::strcpy(s.block.settingsName, "my view.q2q");
  std::strcpy(s.block.settingsFolder, "/somewhere/");
  QueueStandInFileAnswer(true, file.c_str());
  EXPECT_EQ(SaveSettingsWithDialog(&s.globals), 0);
  const StandInFileRequest& request = GetStandInWorld().fileRequests.back();
  EXPECT_EQ(request.title, kSaveSettingsTitle);
  EXPECT_EQ(request.proposed, "my view");  // without its extension
  EXPECT_EQ(request.kind, kFileKindSettings);
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_STREQ(s.block.settingsName, "round trip.q2q");
  // Cancelled: nothing written, nothing changed.
  const ParameterBlock before = s.block;
  EXPECT_EQ(SaveSettingsWithDialog(&s.globals), -1);
  EXPECT_EQ(LoadSettingsWithDialog(&s.globals), 0);
  EXPECT_EQ(std::memcmp(&before, &s.block, sizeof(ParameterBlock)), 0);
  // Loaded: the defaults overlaid by the file's settings.
  s.block.latitude = -3;
  s.block.outputProjection = 2;
  s.block.dehalo = 1;  // the default is 0
  QueueStandInFileAnswer(true, file.c_str());
  EXPECT_EQ(LoadSettingsWithDialog(&s.globals), 1);
  EXPECT_EQ(GetStandInWorld().fileRequests.back().title, kOpenSettingsTitle);
  EXPECT_EQ(s.block.latitude, 12.5f);
  EXPECT_EQ(s.block.outputProjection, 37);
  // A file that is missing or no settings file leaves the settings as they were.
  const std::string junk = DialogRun::TemporaryFile("junk.q2q");
  {
    FILE* f = std::fopen(junk.c_str(), "wb");
    std::fputs("no settings here", f);
    std::fclose(f);
  }
  const ParameterBlock loaded = s.block;
  for (const std::string& bad : {junk, DialogRun::TemporaryFile("missing.q2q")}) {
    QueueStandInFileAnswer(true, bad.c_str());
    EXPECT_EQ(LoadSettingsWithDialog(&s.globals), 0) << bad;
    EXPECT_EQ(std::memcmp(&loaded, &s.block, sizeof(ParameterBlock)), 0) << bad;
  }
}

TEST(DocumentThumbnail, HostSamplesBecomeBytesAndTheHostsRectanglesAreRestored) {
  struct Case {
    int16_t planes;
    int32_t depth;
  } cases[] = {{3, 8}, {1, 8}, {3, 16}, {1, 32}, {3, 32}};
  for (const Case& c : cases) {
    DialogRun r;
    r.NewDocument(300, 100, c.planes, c.depth);
    r.OpenHost();
    r.steps.push_back([&](StandInDialog*) {
      GlobalsRecord* g = r.Globals();
      const FilterRecord& fr = r.host.record;
      const Rect in = fr.inRect;
      const Fixed16 rate = fr.inputRate;
      // The host's input over a small rectangle, converted as it stands.
      std::vector<uint8_t> rgba(6 * 4 * 4, 0);
      PixelRaster raster{6, 4, 4, rgba.data()};
      Rect part{};
      SetRect16(&part, 2, 1, 8, 5);
      ConvertHostImageToRgb8(g, part, &raster);
      const int32_t scale = r.Block()->previewScale;
      for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x) {
          const uint8_t* p = &rgba[size_t(y * 6 + x) * 4];
          EXPECT_EQ(p[3], 255);
          for (int16_t k = 0; k < 3; ++k) {
            const double v = GetDocumentSample(r.doc, (2 + x) * scale, (1 + y) * scale, c.planes == 1 ? 0 : k);
            double want = v;
            if (c.depth == 16) want = std::min(((int32_t(v) + 1) >> 7) & 511, 255);
            if (c.depth == 32) want = SqrtToByte(float(v));
            EXPECT_EQ(p[k], uint8_t(want)) << c.planes << "/" << c.depth << " at " << x << "," << y;
          }
        }
      }
      // The thumbnail: the document's centred square, scaled to 128 x 128.
      MakeDocumentThumbnail(g);
      EXPECT_EQ(fr.inRect.left, in.left);
      EXPECT_EQ(fr.inRect.bottom, in.bottom);
      EXPECT_EQ(fr.inputRate, rate);
      uint32_t px[4];
      GetPixelRgba8(64, 64, &g->thumbnailImage, 0, &px[0], &px[1], &px[2], &px[3]);
      const double centre = GetDocumentSample(r.doc, 150, 50, 0);
      double want = centre;
      if (c.depth == 16) want = std::min(((int32_t(centre) + 1) >> 7) & 511, 255);
      if (c.depth == 32) want = SqrtToByte(float(centre));
      EXPECT_NEAR(double(px[0]), want, 48) << c.planes << "/" << c.depth;
    });
    EXPECT_EQ(r.Run(kIdCancel), kUserCanceledErr);
  }
}

TEST(SliderDrags, TheKnobFollowsTheMouseAndTheReleaseCommits) {
  const ItemRect track{61, 20, 301, 32};
  EXPECT_EQ(SliderValueAt(track, 62, -90, 90), -90);
  EXPECT_EQ(SliderValueAt(track, 62 + 113, -90, 90), 0);
  EXPECT_EQ(SliderValueAt(track, 5000, -90, 90), 90);
  EXPECT_EQ(SliderValueAt(track, -5000, 0, 100), 0);
  DialogRun r;
  r.NewDocument(96, 48);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    MainDialog* dialog = DialogRun::Dialog();
    const ItemRect slider = DialogRun::RectOf(d, 37);
    const int32_t undo = r.Globals()->undoIndex;
    DialogRun::ForgetRenders();
    StandInMouse(d, DialogEventKind::MouseDown, kMouseLeft, kKeyLeftButton, slider.left + 4, slider.top + 5);
    PumpStandInEvents();
    EXPECT_EQ(dialog->capturedControl, 37);
    EXPECT_EQ(GetControlValue(dialog, 37), -90);
    StandInMouse(d, DialogEventKind::MouseMove, 0, kKeyLeftButton, slider.right + 300, slider.top);
    EXPECT_EQ(GetControlValue(dialog, 37), 90);  // beyond the right end: the maximum
    EXPECT_EQ(DialogRun::Text(d, 86), "90");
    EXPECT_FALSE(StandInTimerRunning(d, kPreviewTimerId));
    EXPECT_EQ(DialogRun::Renders(), 0);
    StandInMouse(d, DialogEventKind::MouseUp, kMouseLeft, 0, slider.right + 300, slider.top);
    EXPECT_EQ(r.Block()->latitude, 90.0f);
    EXPECT_EQ(DialogRun::Renders(), 1);
    EXPECT_NE(r.Globals()->undoIndex, undo);
    // A press and release that leaves the value as it was renders nothing.
    StandInMouse(d, DialogEventKind::MouseDown, kMouseLeft, kKeyLeftButton, slider.right - 1, slider.top + 5);
    PumpStandInEvents();
    StandInMouse(d, DialogEventKind::MouseUp, kMouseLeft, 0, slider.right - 1, slider.top + 5);
    EXPECT_EQ(DialogRun::Renders(), 1);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
  EXPECT_EQ(r.Block()->latitude, 90.0f);
}

}  // namespace

namespace {

bool IsGrey(const std::vector<uint8_t>& rgb) {
  for (size_t k = 0; k + 2 < rgb.size(); k += 3) {
    if (rgb[k] != rgb[k + 1] || rgb[k] != rgb[k + 2]) return false;
  }
  return true;
}

TEST(SettingsChoosers, TheOpenChooserShowsTheThumbnailOfTheSelectedFile) {
  DialogSession s;
  s.Open();
  const std::string withPicture = std::string(ORBALIX_SOURCE_DIR) + "/tests/settings/data/version_47.q2q";
  const std::string without = std::string(ORBALIX_SOURCE_DIR) + "/tests/settings/data/default_settings.q2q";
  struct Case {
    std::string path;
    int32_t read;
  };
  for (const Case& c : {Case{withPicture, 1}, Case{without, 0}}) {
    SCOPED_TRACE(c.path);
    QueueStandInFileAnswer(true, c.path.c_str());
    ASSERT_EQ(LoadSettingsWithDialog(&s.globals), 1);
    const StandInFileRequest& r = GetStandInWorld().fileRequests.back();
    EXPECT_EQ(r.panel, 1);
    EXPECT_EQ(r.panelRead, c.read);
    ASSERT_EQ(r.panelRgb.size(), size_t(kStandInPanelWidth) * kStandInPanelHeight * 3);
    if (c.read) {
      // The file's picture, which has colour in it.
      EXPECT_FALSE(IsGrey(r.panelRgb));
    } else {
      // The empty panel: a grey ramp from white at the top down.
      EXPECT_TRUE(IsGrey(r.panelRgb));
      EXPECT_GE(r.panelRgb[0], 250);
      EXPECT_LT(r.panelRgb[r.panelRgb.size() - 3], 140);
    }
  }
  // A chooser cancelled shows the empty panel; the save chooser has none.
  QueueStandInFileAnswer(false, "");
  EXPECT_EQ(LoadSettingsWithDialog(&s.globals), 0);
  EXPECT_EQ(GetStandInWorld().fileRequests.back().panel, 1);
  EXPECT_EQ(GetStandInWorld().fileRequests.back().panelRead, -1);
  EXPECT_TRUE(IsGrey(GetStandInWorld().fileRequests.back().panelRgb));
  QueueStandInFileAnswer(false, "");
  SaveSettingsWithDialog(&s.globals);
  EXPECT_EQ(GetStandInWorld().fileRequests.back().panel, 0);
  // Only settings files are read.
  std::vector<uint8_t> rgb(size_t(20) * 10 * 3);
  EXPECT_EQ(ShowPresetThumbnail("/no/such/file.Q2Q", 20, 10, rgb.data()), 0);
  EXPECT_EQ(ShowPresetThumbnail(withPicture.c_str(), 20, 10, rgb.data()), 1);
  EXPECT_FALSE(IsGrey(rgb));
}

}  // namespace
