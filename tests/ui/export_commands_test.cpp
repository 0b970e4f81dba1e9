// The exports that the main dialog's buttons start, in a filter run through
// the test host: the brick sphere's plan, statistics page and LDraw model,
// the polyhedron's geometry, and the pages of the memory dots and of a
// folder of presets, each written to the files the choosers answered.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "dialog_run_fixture.h"
#include "ui/control_bindings.h"
#include "ui/export_commands.h"
#include "ui/export_dialogs.h"
#include "ui/file_choosers.h"

namespace fs = std::filesystem;

namespace {

// A folder of its own for each test, removed afterwards.
struct OutputFolder {
  fs::path path;
  explicit OutputFolder(const std::string& name) : path(DialogRun::TemporaryFile("u3 exports " + name)) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~OutputFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Proposed() {
  std::vector<std::string> names;
  for (const StandInFileRequest& r : GetStandInWorld().fileRequests) names.push_back(r.proposed);
  return names;
}

TEST(ExportCommands, BrickSphereWritesPlanPageAndModelAndCancelWritesNothing) {
  OutputFolder out("brick");
  DialogRun r;
  r.NewDocument(96, 48);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    // Cancel: no chooser, no file.
    SetStandInDriver(kBrickSphereTemplate, [](StandInDialog* b) {
      StandInClick(b, 2);
      return false;
    });
    StandInClick(d, 64);
    EXPECT_TRUE(GetStandInWorld().fileRequests.empty());
    // OK with all three results: each file is asked for in turn and written.
    SetStandInDriver(kBrickSphereTemplate, [](StandInDialog* b) {
      StandInType(b, 3, "6");
      for (int32_t id : {kBrickPlan, kBrickStatistics, kBrickLDraw}) {
        if (FindStandInItem(b, id)->check == 0) StandInClick(b, id);
      }
      StandInClick(b, 1);
      return false;
    });
    QueueStandInFileAnswer(true, out.File("plan.psd").c_str());
    QueueStandInFileAnswer(true, out.File("counts.html").c_str());
    QueueStandInFileAnswer(true, out.File("ball.ldr").c_str());
    StandInClick(d, 64);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
  EXPECT_EQ(Proposed(), (std::vector<std::string>{"Sphere plan.psd", "Sphere statistics", "LDraw file"}));
  EXPECT_EQ(ReadAll(out.File("plan.psd")).substr(0, 4), "8BPS");
  EXPECT_NE(ReadAll(out.File("counts.html")).find("Cell count for 6-layer sphere:"), std::string::npos);
  const std::string model = ReadAll(out.File("ball.ldr"));
  EXPECT_NE(model.find("0 Layer 6 of 6\r\n"), std::string::npos);
  EXPECT_EQ(model.substr(model.size() - 3), "0\r\n");
  EXPECT_EQ(r.Block()->brickLayers, 6);
}

TEST(ExportCommands, FacetWritesTheGeometryOfTheNet) {
  OutputFolder out("facet");
  DialogRun r;
  r.NewDocument(96, 48);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog*) {
    r.Block()->outputProjection = 6;  // the tetrahedron's net
    WriteSettingsToControls(DialogRun::Dialog());
  });
  r.steps.push_back([&](StandInDialog* d) {
    SetStandInDriver(kExportFacesTemplate, [](StandInDialog* f) {
      StandInClick(f, kFacesGeometry);
      StandInType(f, 3, "32");
      StandInClick(f, 1);
      return false;
    });
    QueueStandInFileAnswer(true, out.File("my tetra.obj").c_str());
    StandInClick(d, kIdFacet);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
  for (const char* name : {"my tetra.obj", "my_tetra.mtl", "my_tetra.stl", "my_tetra.jpg"})
    EXPECT_TRUE(fs::exists(out.File(name))) << name;
  EXPECT_NE(ReadAll(out.File("my tetra.obj")).find("mtllib my_tetra.mtl\n"), std::string::npos);
  EXPECT_EQ(r.Block()->faceSize, 32);
}

TEST(ExportCommands, MemoryDotsPageIsWrittenAndShown) {
  OutputFolder out("dots");
  DialogRun r;
  r.NewDocument(96, 48);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    DialogRun::ClickWithMouse(d, kMemoryDotIds[2]);  // a second filled dot
    QueueStandInFileAnswer(true, out.File("dots.html").c_str());
    DialogRun::ClickWithMouse(d, kIdDotThumbnail, kMouseRight);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
  ASSERT_EQ(GetStandInWorld().fileRequests.size(), 1u);
  EXPECT_EQ(GetStandInWorld().fileRequests[0].title, kSaveHtmlTitle);
  EXPECT_EQ(GetStandInWorld().fileRequests[0].proposed, "Orbalix 2 memory dots.html");
  const std::string page = ReadAll(out.File("dots.html"));
  EXPECT_NE(page.find("memory dots"), std::string::npos);
  EXPECT_TRUE(fs::exists(out.File("web_images/dot 1.jpg")));
  EXPECT_TRUE(fs::exists(out.File("web_images/dot 3.jpg")));
  EXPECT_EQ(GetStandInWorld().webPages, (std::vector<std::string>{out.File("dots.html")}));
}

TEST(ExportCommands, PresetsPageShowsTheChosenFoldersPresets) {
  OutputFolder out("presets");
  fs::create_directories(out.path / "presets");
  for (const char* name : {"version_47.q2q", "default_settings.q2q"}) {
    fs::copy_file(fs::path(ORBALIX_SOURCE_DIR) / "tests/settings/data" / name, out.path / "presets" / name);
  }
  DialogRun r;
  r.NewDocument(64, 32);
  r.OpenHost();
  r.steps.push_back([&](StandInDialog* d) {
    // A cancelled folder chooser ends the command.
    QueueStandInFileAnswer(false, "");
    StandInClick(d, 15);
    EXPECT_EQ(GetStandInWorld().fileRequests.size(), 1u);
    QueueStandInFileAnswer(true, out.File("presets/default_settings.q2q").c_str());
    QueueStandInFileAnswer(true, out.File("presets.html").c_str());
    StandInClick(d, 15);
  });
  EXPECT_EQ(r.Run(kIdOk), kNoErr);
  const std::vector<StandInFileRequest>& asked = GetStandInWorld().fileRequests;
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[1].title, kChooseSourceFolderTitle);
  EXPECT_EQ(asked[1].kind, kFileKindSettings);
  EXPECT_EQ(asked[1].panel, 1);  // with the thumbnail panel
  EXPECT_FALSE(asked[1].save);
  EXPECT_EQ(asked[2].proposed, "Orbalix 2 presets.html");
  const std::string page = ReadAll(out.File("presets.html"));
  EXPECT_NE(page.find("version_47"), std::string::npos);
  EXPECT_NE(page.find("default_settings"), std::string::npos);
  EXPECT_TRUE(fs::exists(out.File("web_images/version_47.jpg")));
  EXPECT_EQ(GetStandInWorld().webPages, (std::vector<std::string>{out.File("presets.html")}));
  EXPECT_EQ(std::string(r.Block()->presetFolder), out.File("presets/"));
}

}  // namespace
