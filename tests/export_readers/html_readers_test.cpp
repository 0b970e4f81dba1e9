// The HTML pages read by independent tools: tidy finds only the warnings
// the page's fixed layout brings, headless chromium renders it to a
// non-empty screenshot, and ImageMagick reads the frame pictures.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "export/html_pages.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/thumbnail.h"
#include "tests/export_readers/program_support.h"
#include "tests/export_results/results_support.h"

namespace {

void WritePreset(const std::string& path) {
  auto block = std::make_unique<ParameterBlock>();
  SetDefaultSettings(block.get());
  auto thumbnail = std::make_unique<SettingsThumbnail>();
  InitSettingsThumbnail(thumbnail.get());
  PaintThumbnailBackground(thumbnail.get());
  thumbnail->exists = true;
  ASSERT_EQ(SaveSettingsFile(block.get(), thumbnail.get(), path.c_str()), kFileOk);
}

// tidy's warnings without their line and column, one each.
std::set<std::string> TidyWarnings(const std::string& page, int* status) {
  const std::string report = RunTool("tidy -q -e '" + page + "' 2>&1; echo \"status=$?\"");
  std::set<std::string> warnings;
  for (const std::string& line : SplitLines(report)) {
    if (line.rfind("status=", 0) == 0) *status = std::stoi(line.substr(7));
    const size_t at = line.find(" - ");
    if (at != std::string::npos) warnings.insert(line.substr(at + 3));
  }
  return warnings;
}

TEST(HtmlReaders, PresetsPagePassesTidyAndRenders) {
  TestFolder source("src"), out("out");
  for (const char* name : {"one.q2q", "two & three.q2q", "four.q2q", "five.q2q", "six.q2q", "seven.q2q"})
    WritePreset(source / name);
  const std::string page = out / "presets.html";
  int32_t pictures = 0;
  ASSERT_EQ(WritePresetsPage(nullptr, page.c_str(), source.path.c_str(), &pictures), 0);
  ASSERT_EQ(pictures, 6);
  int status = -1;
  const std::set<std::string> warnings = TidyWarnings(page, &status);
  EXPECT_LE(status, 1) << "tidy found errors";
  // What the page's fixed layout brings: the frame table of every picture
  // carries the same id and a height, the frame pictures have no alt text,
  // the tables no summary, and the cells that fill the last row are empty.
  const std::set<std::string> expected = {"Warning: <table> anchor \"Table_01\" already defined",
                                          "Warning: <table> lacks \"summary\" attribute",
                                          "Warning: <table> proprietary attribute \"height\"",
                                          "Warning: <img> lacks \"alt\" attribute",
                                          "Warning: trimming empty <b>",
                                          "Warning: trimming empty <font>",
                                          "Warning: trimming empty <p>"};
  for (const std::string& w : warnings) EXPECT_TRUE(expected.count(w)) << w;

  const std::string shot = out / "shot.png";
  RunTool("cd '" + out.path.string() + "' && timeout 60 chromium --headless --no-sandbox --disable-gpu "
          "--disable-dev-shm-usage --hide-scrollbars --window-size=900,700 --screenshot='" + shot + "' "
          "'file://" + page + "' >/dev/null 2>&1");
  ASSERT_TRUE(std::filesystem::exists(shot));
  EXPECT_GT(std::filesystem::file_size(shot), 1000u);
  // Not a blank page: the pictures and frames bring many colours.
  const std::string colours = RunTool("identify -format '%k' '" + shot + "' 2>&1");
  EXPECT_GT(std::atoi(colours.c_str()), 10) << colours;

  for (int32_t k = 0; k < kFrameGifCount; ++k) {
    const FrameGif& gif = kFrameGifs[k];
    const std::string file = out / (std::string("web_images/") + gif.name);
    EXPECT_EQ(RunTool("identify -format '%m %w %h' '" + file + "' 2>&1"),
              "GIF " + std::to_string(gif.width) + " " + std::to_string(gif.height));
    EXPECT_EQ(ReadWholeFile(file), std::string(reinterpret_cast<const char*>(gif.bytes), gif.size));
  }
}

}  // namespace
