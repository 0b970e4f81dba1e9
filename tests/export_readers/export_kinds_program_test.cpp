// The orbalix program's further export kinds end to end: JPEG pictures,
// the geometry refusal, the brick sphere's files, the presets page and the
// preset-folder conversion.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/image_files.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"
#include "tests/export_readers/program_support.h"
#include "tests/export_results/results_support.h"

namespace fs = std::filesystem;

namespace {

class ExportKinds : public ::testing::Test {
 protected:
  std::unique_ptr<TestFolder> folder = std::make_unique<TestFolder>("kinds");
  int exitCode = -1;
  std::string err, out;

  void SetUp() override {
    fs::create_directories(folder->path / "tmp");
    std::string error;
    ASSERT_TRUE(WriteSamplePicture(Path("in.png"), &error)) << error;
  }
  std::string Path(const std::string& name) const { return *folder / name; }

  void Run(const std::vector<std::string>& args) {
    exitCode = ShellExitCode(ProgramCommand(Path("tmp"), args) + " >" + ShellQuote(Path("stdout.txt")) + " 2>" +
                             ShellQuote(Path("stderr.txt")));
    err = ReadWholeFile(Path("stderr.txt"));
    out = ReadWholeFile(Path("stdout.txt"));
    fs::remove(Path("stderr.txt"));
    fs::remove(Path("stdout.txt"));
  }

  std::vector<std::string> Names(const std::string& sub) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder->path / sub)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
};

void WritePreset(const std::string& path, uint8_t shade) {
  auto block = std::make_unique<ParameterBlock>();
  SetDefaultSettings(block.get());
  auto thumbnail = std::make_unique<SettingsThumbnail>();
  InitSettingsThumbnail(thumbnail.get());
  PaintThumbnailBackground(thumbnail.get());
  thumbnail->exists = true;
  thumbnail->rgba[0] = shade;
  ASSERT_EQ(SaveSettingsFile(block.get(), thumbnail.get(), path.c_str()), kFileOk) << path;
}

TEST_F(ExportKinds, JpegPictureAtItsSize) {
  Run({"export", "jpeg", Path("in.png"), Path("out.jpg"), "--size", "40x20"});
  ASSERT_EQ(exitCode, 0) << err;
  EXPECT_EQ(RunTool("exiftool -s3 -ImageSize -Software " + ShellQuote(Path("out.jpg"))), "40x20\nOrbalix 2\n");
  Run({"export", "jpeg", Path("in.png"), Path("big.jpg"), "--size", "40000x10"});
  EXPECT_EQ(exitCode, 2);
  EXPECT_NE(err.find("at most 32767 pixels a side"), std::string::npos) << err;
  Run({"export", "jpeg", Path("in.png"), Path("out.png")});
  EXPECT_EQ(exitCode, 2);
  EXPECT_FALSE(fs::exists(Path("big.jpg")));
  EXPECT_FALSE(fs::exists(Path("out.png")));
}

TEST_F(ExportKinds, GeometryOfAnOutputThatIsNoNetIsRefused) {
  Run({"export", "obj", Path("in.png"), Path("flat.obj"), "--output", "1"});
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(err.find("needs an output projection that is the net of a solid"), std::string::npos) << err;
  EXPECT_EQ(Names(""), (std::vector<std::string>{"in.png", "tmp"}));
}

// The tetrahedron's net (output 6): four files side by side, the OBJ loaded
// by assimp with the net's four faces, the STL closed and outward by admesh.
TEST_F(ExportKinds, TetrahedronGeometryReadByAssimpAndAdmesh) {
  Run({"export", "obj", Path("in.png"), Path("my tetra.obj"), "--output", "6", "--face-size", "64"});
  ASSERT_EQ(exitCode, 0) << err;
  EXPECT_EQ(Names(""), (std::vector<std::string>{"in.png", "my tetra.obj", "my_tetra.jpg", "my_tetra.mtl",
                                                  "my_tetra.stl", "tmp"}));
  const std::string obj = ReadWholeFile(Path("my tetra.obj"));
  size_t faces = 0, normals = 0;
  for (const std::string& line : SplitLines(obj)) {
    faces += line.rfind("f ", 0) == 0 ? 1 : 0;
    normals += line.rfind("vn ", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(faces, 4u);
  EXPECT_EQ(normals, 4u);
  EXPECT_NE(obj.find("mtllib my_tetra.mtl\n"), std::string::npos);
  const std::string info = RunTool("cd " + ShellQuote(folder->path.string()) + " && assimp info 'my tetra.obj' 2>&1");
  EXPECT_NE(info.find("Faces:              4\n"), std::string::npos) << info;
  EXPECT_NE(info.find("'my_tetra.jpg'"), std::string::npos);
  const std::string mesh = RunTool("admesh " + ShellQuote(Path("my_tetra.stl")) + " 2>&1");
  EXPECT_NE(mesh.find("Backwards edges       :     0"), std::string::npos) << mesh;
  EXPECT_NE(mesh.find("Number of parts       :     1"), std::string::npos);
  EXPECT_NE(mesh.find("Total disconnected facets        :     0"), std::string::npos);
  EXPECT_NE(mesh.find("Facets reversed       :     0"), std::string::npos);
  EXPECT_NE(mesh.find("Volume   :  2.66666"), std::string::npos) << "positive: the normals point outward";
  EXPECT_EQ(RunTool("exiftool -s3 -ImageSize " + ShellQuote(Path("my_tetra.jpg"))), "64x64\n");
}

TEST_F(ExportKinds, BrickSphereFilesAsTheSwitchesAsk) {
  Run({"export", "brick", Path("in.png"), Path("ball"), "--brick-layers", "8", "--sphere-plan", "on",
       "--sphere-stats", "on", "--ldraw", "on"});
  ASSERT_EQ(exitCode, 0) << err;
  EXPECT_EQ(Names("ball"), (std::vector<std::string>{"LDraw file.ldr", "Sphere plan.psd", "Sphere statistics.html"}));
  const std::string model = ReadWholeFile(Path("ball/LDraw file.ldr"));
  EXPECT_EQ(model.rfind("0 Lego sphere generated by Orbalix 2 on ", 0), 0u);
  EXPECT_EQ(model.substr(model.size() - 3), "0\r\n");
  EXPECT_NE(model.find("0 Layer 8 of 8\r\n"), std::string::npos);
  EXPECT_NE(ReadWholeFile(Path("ball/Sphere statistics.html")).find("Cell count for 8-layer sphere:"),
            std::string::npos);
  EXPECT_EQ(RunTool("exiftool -s3 -LayerCount " + ShellQuote(Path("ball/Sphere plan.psd"))), "8\n");

  Run({"export", "brick", Path("in.png"), Path("none"), "--sphere-plan", "off", "--sphere-stats", "off",
       "--ldraw", "off"});
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(err.find("nothing to export"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(Path("none")));
}

TEST_F(ExportKinds, PresetsPageOfAFolder) {
  fs::create_directory(Path("presets"));
  WritePreset(Path("presets/one.q2q"), 10);
  WritePreset(Path("presets/two.Q2Q"), 200);
  Run({"export", "presets", Path("presets"), Path("page.html")});
  ASSERT_EQ(exitCode, 0) << err;
  EXPECT_NE(out.find("with 2 presets"), std::string::npos) << out;
  EXPECT_EQ(Names("web_images"),
            (std::vector<std::string>{"bottom.gif", "left.gif", "one.jpg", "right.gif", "top.gif", "two.jpg"}));
  EXPECT_EQ(RunTool("exiftool -s3 -Keywords " + ShellQuote(Path("web_images/one.jpg"))),
            "Orbalix 2, panorama, gallery, preset\n");
}

// .q9q files are converted and renamed, .q5q files converted in place; a
// .q2q file, a name that only holds the extension and a .q9q whose .q5q
// name is taken are left alone or kept, and nothing is lost.
TEST_F(ExportKinds, ConvertPresetsTakesOnlyOldExtensionsAndLosesNothing) {
  fs::create_directory(Path("old"));
  WritePreset(Path("old/a.q9q"), 1);
  WritePreset(Path("old/b.Q5Q"), 2);
  WritePreset(Path("old/c.q2q"), 3);
  WritePreset(Path("old/d.q9q"), 4);
  WritePreset(Path("old/d.q5q"), 5);
  WritePreset(Path("old/e.q9q.bak"), 6);
  const std::string before[] = {ReadWholeFile(Path("old/b.Q5Q")), ReadWholeFile(Path("old/c.q2q")),
                                ReadWholeFile(Path("old/d.q9q")), ReadWholeFile(Path("old/e.q9q.bak"))};
  Run({"export", "convert-presets", Path("in.png"), Path("old")});
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(err.find("1 preset could not be converted"), std::string::npos) << err;
  EXPECT_EQ(Names("old"), (std::vector<std::string>{"a.q5q", "b.Q5Q", "c.q2q", "d.q5q", "d.q9q", "e.q9q.bak"}));
  EXPECT_NE(ReadWholeFile(Path("old/b.Q5Q")), before[0]) << "converted with a new thumbnail";
  EXPECT_EQ(ReadWholeFile(Path("old/c.q2q")), before[1]);
  EXPECT_EQ(ReadWholeFile(Path("old/e.q9q.bak")), before[3]);
  EXPECT_NE(ReadWholeFile(Path("old/d.q9q")), before[2]) << "converted, but kept under its name";
  for (const char* name : {"a.q5q", "b.Q5Q", "d.q5q", "d.q9q"}) {
    auto block = std::make_unique<ParameterBlock>();
    auto thumbnail = std::make_unique<SettingsThumbnail>();
    InitSettingsThumbnail(thumbnail.get());
    uint8_t hasPicture = 0;
    EXPECT_EQ(ReadSettingsFile(block.get(), thumbnail.get(), Path(std::string("old/") + name).c_str(),
                               kReadAllFields, &hasPicture),
              kFileOk)
        << name;
    EXPECT_EQ(hasPicture, 1) << name;
  }
}

}  // namespace
