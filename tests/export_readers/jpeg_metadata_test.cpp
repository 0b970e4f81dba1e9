// JPEG results and the metadata blocks read back by independent readers:
// exiftool reads the software, keywords, date, source and caption; djpeg
// lists the markers in the order the writer puts them.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "export/metadata_blocks.h"
#include "settings/file_primitives.h"
#include "settings/jpeg_memory.h"
#include "tests/export_readers/program_support.h"
#include "tests/export_results/results_support.h"
#include "tests/exports/export_fixture.h"

namespace {

using JpegReaders = ExportFixture;

std::map<std::string, std::string> ExifTags(const std::string& file, const std::string& tags) {
  std::map<std::string, std::string> pairs;
  for (const std::string& line : SplitLines(RunTool("exiftool -S " + tags + " " + ShellQuote(file) + " 2>&1"))) {
    const size_t at = line.find(": ");
    if (at != std::string::npos) pairs[line.substr(0, at)] = line.substr(at + 2);
  }
  return pairs;
}

// The markers djpeg reports before the frame, one word each.
std::vector<std::string> Markers(const std::string& file) {
  std::vector<std::string> markers;
  for (const std::string& line : SplitLines(RunTool("djpeg -verbose -verbose " + ShellQuote(file) +
                                                       " 2>&1 >/dev/null"))) {
    if (line.rfind("JFIF APP0", 0) == 0) markers.push_back("APP0");
    if (line.rfind("Comment", 0) == 0) markers.push_back("COM");
    if (line.rfind("Miscellaneous marker 0xe", 0) == 0) markers.push_back("APP" + std::to_string(
                                                                              std::stoi(line.substr(23, 2), nullptr, 16) - 0xe0));
    if (line.rfind("Start Of Frame", 0) == 0) break;
  }
  return markers;
}

// A small picture, written as the pages and the geometry export write theirs.
// A claimed size other than 0 is put into the record after it is made: the
// writer must refuse it before it reads a pixel.
int16_t WritePicture(GlobalsRecord* g, const std::string& path, int32_t kind, int32_t width, int32_t height,
                     int32_t claimedWidth = 0, int32_t claimedHeight = 0) {
  ImageRecord image;
  InitImageRecord(&image, &g->imageOwner, &g->workRecord->filterTables);
  if (!CreateImage(&image, width, height, PixelRgba8, FetchClamp)) return kExportNoMemory;
  if (claimedWidth > 0) image.levelWidth[0] = claimedWidth;
  if (claimedHeight > 0) image.levelHeight[0] = claimedHeight;
  for (int32_t y = 0; y < height && width * int64_t(height) < 100000; ++y)
    for (int32_t x = 0; x < width; ++x) PutPixelRgba(x, y, &image, 0, uint32_t(x * 8), uint32_t(y * 8), 128, 255);
  FileHandle file = kNoFile;
  int16_t result = OpenFileSpec(path.c_str(), &file, 1);
  if (result == kFileOk) result = SaveImageAsJpegFile(g, &image, file, kind, true);
  FreeImageRecord(&image);
  return result;
}

TEST_F(JpegReaders, ExiftoolReadsTheBlocksAndDjpegTheMarkerOrder) {
  FixedClockScope clock;
  GlobalsRecord* g = StartOn(16, 8);
  const std::string file = PathOf("thumb.jpg");
  ASSERT_EQ(WritePicture(g, file, ExportPresetThumbnail, 40, 30), kExportDone);
  auto tags = ExifTags(file, "-Software -Keywords -DateCreated -Source -Caption-Abstract -ImageWidth -ImageHeight");
  EXPECT_EQ(tags["Software"], "Orbalix 2");
  EXPECT_EQ(tags["Keywords"], "Orbalix 2, panorama, gallery, preset");
  EXPECT_EQ(tags["DateCreated"], "2026:05:05");
  EXPECT_EQ(tags["Source"], kMakerWebAddress);
  EXPECT_EQ(tags["Caption-Abstract"], "Made with Orbalix 2");
  EXPECT_EQ(tags["ImageWidth"], "40");
  EXPECT_EQ(tags["ImageHeight"], "30");
  EXPECT_EQ(Markers(file), (std::vector<std::string>{"APP0", "COM", "APP1", "APP13"}));

  // With the host's profile it goes between the EXIF and IPTC blocks.
  const int32_t size = 200;
  HostHandleRef profile = host.handleProcs.newProc(size);
  ASSERT_NE(profile, nullptr);
  for (int32_t k = 0; k < size; ++k) (*profile)[k] = char(k);
  host.record.iCCprofileData = profile;
  host.record.iCCprofileSize = size;
  host.record.canUseICCProfiles = 1;
  const std::string withProfile = PathOf("profile.jpg");
  ASSERT_EQ(WritePicture(g, withProfile, -1, 20, 20), kExportDone);
  EXPECT_EQ(Markers(withProfile), (std::vector<std::string>{"APP0", "COM", "APP1", "APP2", "APP13"}));
  EXPECT_EQ(ExifTags(withProfile, "-Keywords")["Keywords"], "Orbalix 2, panorama");
  host.record.iCCprofileData = nullptr;
  host.record.iCCprofileSize = 0;
  host.handleProcs.disposeProc(profile);
  FinishRun();
}

// A picture beyond a JPEG's side is refused with its own result, and the
// file it was to go into stays empty.
TEST_F(JpegReaders, PictureBeyondTheJpegLimitsIsRefused) {
  GlobalsRecord* g = StartOn(16, 8);
  struct Case {
    int32_t width, height;
  };
  for (const Case c : {Case{kJpegMaxSide + 1, 1}, Case{1, kJpegMaxSide + 1}, Case{20000, 20000}}) {
    EXPECT_EQ(WritePicture(g, PathOf("large.jpg"), -1, 16, 16, c.width, c.height), kExportJpegTooLarge) << c.width;
    EXPECT_EQ(std::filesystem::file_size(PathOf("large.jpg")), 0u);
  }
  EXPECT_EQ(WritePicture(g, PathOf("edge.jpg"), -1, kJpegMaxSide, 1), kExportDone);
  EXPECT_EQ(ExifTags(PathOf("edge.jpg"), "-ImageWidth")["ImageWidth"], std::to_string(kJpegMaxSide));
  FinishRun();
}

// The PSD writer carries the same blocks as image resources.
TEST_F(JpegReaders, PsdDocumentCarriesSoftwareAndKeywords) {
  FixedClockScope clock;
  StartOn(16, 8);
  Block()->exportKind = ExportPlain;
  ASSERT_EQ(Export(ExportPlain, "doc.psd"), kExportDone);
  auto tags = ExifTags(PathOf("doc.psd"), "-Software -Keywords -DateCreated -Caption-Abstract");
  EXPECT_EQ(tags["Software"], "Orbalix 2");
  EXPECT_EQ(tags["Keywords"].rfind("Orbalix 2, panorama", 0), 0u) << tags["Keywords"];
  EXPECT_EQ(tags["DateCreated"], "2026:05:05");
  EXPECT_EQ(tags["Caption-Abstract"], "Made with Orbalix 2");
  FinishRun();
}

}  // namespace
