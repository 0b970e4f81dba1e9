// Exported PSD documents read back by independent readers: psd-tools and
// ImageMagick decode the rendered pixels, exiftool reads the resources.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/export_readers/program_support.h"
#include "tests/exports/export_fixture.h"

namespace {

using Readers = ExportFixture;

// Runs a command and answers its standard output as key=value (or
// "Key: value") pairs.
std::map<std::string, std::string> RunForPairs(const std::string& command, char separator) {
  std::map<std::string, std::string> pairs;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return pairs;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t at = text.find(separator);
    if (at == std::string::npos) continue;
    std::string value = text.substr(at + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    pairs[text.substr(0, at)] = value;
  }
  pclose(pipe);
  return pairs;
}

// A reader's largest difference from the expected samples: none, except for
// ImageMagick's float reading into 16-bit quanta (rounding).
void ExpectDiff(std::map<std::string, std::string>& read, const std::string& key, double tolerance) {
  ASSERT_FALSE(read[key].empty()) << key << " missing";
  EXPECT_LE(std::stod(read[key]), tolerance) << key;
}

void WriteWords(const std::string& path, const std::vector<uint32_t>& words) {
  std::ofstream out(path, std::ios::binary);
  for (uint32_t w : words) {
    const unsigned char b[4] = {uint8_t(w), uint8_t(w >> 8), uint8_t(w >> 16), uint8_t(w >> 24)};
    out.write(reinterpret_cast<const char*>(b), 4);
  }
}

// The rendered layer in the file's units, red, green, blue, alpha.
std::vector<uint32_t> LayerWords(const ImageRecord* image) {
  std::vector<uint32_t> words;
  for (int32_t y = 0; y < image->levelHeight[0]; ++y)
    for (int32_t x = 0; x < image->levelWidth[0]; ++x)
      for (int32_t c = 0; c < 4; ++c) words.push_back(PsdLayerValue(image, x, y, c));
  return words;
}

// The merged data as the format lays it out, channels the header counts.
std::vector<uint32_t> MergedWords(const WalkedPsd& psd) {
  std::vector<uint32_t> words;
  for (int32_t y = 0; y < int32_t(psd.height); ++y)
    for (int32_t x = 0; x < int32_t(psd.width); ++x)
      for (int32_t c = 0; c < psd.channels; ++c) words.push_back(psd.MergedSample(c, x, y));
  return words;
}

TEST_F(Readers, PsdToolsAndImageMagickReadTheRenderedPixelsOfEveryVariant) {
  struct Case {
    int32_t depth;
    bool cube;
  };
  const Case cases[] = {{8, false}, {16, false}, {32, false}, {8, true}, {16, true}, {32, true}};
  for (const Case& c : cases) {
    const std::string label = std::to_string(c.depth) + (c.cube ? "-bit cube face" : "-bit layered");
    SCOPED_TRACE(label);
    ShutdownTestHost(&host);
    StartOn(48, 24, 3, c.depth);
    Block()->outputProjection = 2;
    Block()->cubeSide = 20;
    const int32_t width = c.cube ? 20 : 41, height = c.cube ? 20 : 26;
    ASSERT_EQ(Export(c.cube ? ExportCubeFaces : ExportSizedPsd, "doc.psd", nullptr, false, width, height),
              kExportDone);
    const std::string file = PathOf(c.cube ? "doc_r.psd" : "doc.psd");
    const WalkedPsd psd = WalkPsd(ReadFileBytes(file));
    ASSERT_TRUE(psd.errors.empty()) << psd.errors.front();
    const ImageRecord* rendered = c.cube ? RenderExpected(ExportCubeFaces, width, height, uint32_t(c.depth / 8), 5)
                                         : RenderExpected(ExportSizedPsd, width, height, uint32_t(c.depth / 8));
    WriteWords(PathOf("layer.raw"), c.cube ? std::vector<uint32_t>{} : LayerWords(rendered));
    // A document of its own holds its one layer as the merged data.
    WriteWords(PathOf("merged.raw"), c.cube ? LayerWords(rendered) : MergedWords(psd));
    auto read = RunForPairs("/usr/bin/python3 " + ShellQuote(std::string(ORBALIX_SOURCE_DIR) +
                                                        "/tests/export_readers/read_psd.py") +
                                " " + ShellQuote(file) + " " + ShellQuote(PathOf("layer.raw")) + " " +
                                ShellQuote(PathOf("merged.raw")) + " 2>&1",
                            '=');
    ASSERT_EQ(read["width"], std::to_string(width)) << "psd-tools could not read the file";
    EXPECT_EQ(read["height"], std::to_string(height));
    EXPECT_EQ(read["depth"], std::to_string(c.depth));
    EXPECT_EQ(read["url"], "https://orbalix.example/");
    const double magickTolerance = c.depth == 32 ? 1.0 : 0.0;
    ExpectDiff(read, "psdtools_merged_max_diff", 0.0);
    ExpectDiff(read, "magick_merged_max_diff", magickTolerance);
    if (c.cube) {
      EXPECT_EQ(read["layer_count"], "0");
    } else {
      EXPECT_EQ(read["layer_count"], "1");
      EXPECT_EQ(read["layer_names"], "Layer 1");
      EXPECT_EQ(read["layer_opacities"], "255");
      ExpectDiff(read, "psdtools_layer_max_diff", 0.0);
      ExpectDiff(read, "magick_layer_max_diff", magickTolerance);
    }
    FinishRun(label);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
}

TEST_F(Readers, ExiftoolReadsTheHeaderResourcesAndLayers) {
  struct Case {
    int32_t depth;
    bool cube;
    const char* channels;
  };
  for (const Case& c : {Case{8, false, "3"}, Case{16, false, "4"}, Case{32, false, "3"}, Case{16, true, "4"}}) {
    const std::string label = std::to_string(c.depth) + (c.cube ? "-bit cube face" : "-bit layered");
    SCOPED_TRACE(label);
    ShutdownTestHost(&host);
    StartOn(32, 16, 3, c.depth);
    Block()->cubeSide = 12;
    ASSERT_EQ(Export(c.cube ? ExportCubeFaces : ExportSizedPsd, "doc.psd", nullptr, false, 30, 14), kExportDone);
    const std::string file = PathOf(c.cube ? "doc_u.psd" : "doc.psd");
    auto tags = RunForPairs("exiftool -S -ImageWidth -ImageHeight -BitDepth -NumChannels -ColorMode -XResolution "
                            "-YResolution -URL -LayerCount -LayerNames -LayerOpacities -Warning " +
                                ShellQuote(file) + " 2>&1",
                            ':');
    EXPECT_EQ(tags["ImageWidth"], c.cube ? "12" : "30");
    EXPECT_EQ(tags["ImageHeight"], c.cube ? "12" : "14");
    EXPECT_EQ(tags["BitDepth"], std::to_string(c.depth));
    EXPECT_EQ(tags["NumChannels"], c.channels);
    EXPECT_EQ(tags["ColorMode"], "RGB");
    EXPECT_EQ(tags["XResolution"], "72");
    EXPECT_EQ(tags["YResolution"], "72");
    EXPECT_EQ(tags["URL"], "https://orbalix.example/");
    EXPECT_EQ(tags.count("Warning"), 0u) << tags["Warning"];
    // exiftool looks for layers in the plain layer section and in the
    // 16-bit layer block, not in the float one.
    if (c.cube || c.depth == 32) {
      EXPECT_EQ(tags.count("LayerNames"), 0u);
    } else {
      EXPECT_EQ(tags["LayerCount"], "1");
      EXPECT_EQ(tags["LayerNames"], "Layer 1");
      EXPECT_EQ(tags["LayerOpacities"], "100%");
    }
    FinishRun(label);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
}

// A brick plan's layers, as psd-tools and exiftool list them; psd-tools
// decodes the merged data (the top layer) to the samples the file holds.
TEST_F(Readers, BrickPlanLayersAreListedByBothReaders) {
  StartOn(64, 32, 3, 16);
  Block()->brickLayers = 5;
  Block()->brickPlates = 0;
  ASSERT_EQ(Export(ExportBrickPlan, "plan.psd"), kExportDone);
  const std::string file = PathOf("plan.psd");
  const WalkedPsd psd = WalkPsd(ReadFileBytes(file));
  ASSERT_TRUE(psd.errors.empty()) << psd.errors.front();
  ASSERT_EQ(psd.layers.size(), 5u);
  WriteWords(PathOf("layer.raw"), {});
  WriteWords(PathOf("merged.raw"), MergedWords(psd));
  auto read = RunForPairs("/usr/bin/python3 " +
                              ShellQuote(std::string(ORBALIX_SOURCE_DIR) + "/tests/export_readers/read_psd.py") + " " +
                              ShellQuote(file) + " " + ShellQuote(PathOf("layer.raw")) + " " +
                              ShellQuote(PathOf("merged.raw")) + " 2>&1",
                          '=');
  EXPECT_EQ(read["layer_count"], "5");
  EXPECT_EQ(read["layer_names"], "1 bottom,2,3,4,5 top");
  EXPECT_EQ(read["layer_opacities"], "255,230,230,230,230");
  ExpectDiff(read, "psdtools_merged_max_diff", 0.0);
  auto tags = RunForPairs("exiftool -S -LayerCount -LayerNames " + ShellQuote(file) + " 2>&1", ':');
  EXPECT_EQ(tags["LayerCount"], "5");
  EXPECT_EQ(tags["LayerNames"], "1 bottom, 2, 3, 4, 5 top");
  FinishRun();
}

// The host's colour profile reaches the file; psd-tools finds it, and the
// resource after it, however long it is.
TEST_F(Readers, PsdToolsFindsTheHostsProfile) {
  StartOn(16, 8);
  const int32_t size = 333;
  HostHandleRef profile = host.handleProcs.newProc(size);
  ASSERT_NE(profile, nullptr);
  for (int32_t k = 0; k < size; ++k) (*profile)[k] = char(k);
  host.record.iCCprofileData = profile;
  host.record.iCCprofileSize = size;
  host.record.canUseICCProfiles = 1;
  ASSERT_EQ(Export(ExportPlain, "icc.psd"), kExportDone);
  const WalkedPsd psd = WalkPsd(ReadFileBytes(PathOf("icc.psd")));
  ASSERT_TRUE(psd.errors.empty()) << psd.errors.front();
  WriteWords(PathOf("layer.raw"), {});
  WriteWords(PathOf("merged.raw"), MergedWords(psd));
  auto read = RunForPairs("/usr/bin/python3 " +
                              ShellQuote(std::string(ORBALIX_SOURCE_DIR) + "/tests/export_readers/read_psd.py") + " " +
                              ShellQuote(PathOf("icc.psd")) + " " + ShellQuote(PathOf("layer.raw")) + " " +
                              ShellQuote(PathOf("merged.raw")) + " 2>&1",
                          '=');
  EXPECT_EQ(read["icc_size"], std::to_string(size));
  EXPECT_EQ(read["layer_names"], "Layer 1");
  host.record.iCCprofileData = nullptr;
  host.record.iCCprofileSize = 0;
  host.handleProcs.disposeProc(profile);
  FinishRun();
}

}  // namespace
