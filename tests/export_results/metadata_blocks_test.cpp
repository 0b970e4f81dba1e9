// The EXIF and IPTC blocks byte for byte, the keyword rules and the JPEG
// writer's limits.
#include <cstring>
#include <string>
#include <vector>

#include "export/export_files.h"
#include "export/export_plan.h"
#include "export/metadata_blocks.h"
#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "projection/names.h"
#include "settings/jpeg_memory.h"
#include "tests/export_results/results_support.h"

namespace {

std::vector<uint8_t> Bytes(const MetadataStream& s) { return std::vector<uint8_t>(s.buffer, s.buffer + s.byteCount); }

std::vector<std::string> Keywords(const IptcBlock& block) {
  std::vector<std::string> words;
  for (int32_t k = 0; k < block.keywordCount; ++k) words.emplace_back(block.keywords[k]);
  return words;
}

struct Dataset {
  int record;
  int number;
  std::string data;
};

// Parses IPTC-NAA datasets; fails the test on anything malformed. A single
// zero byte may end the records (the pad).
std::vector<Dataset> ParseDatasets(const uint8_t* p, size_t size) {
  std::vector<Dataset> sets;
  size_t at = 0;
  while (at < size) {
    if (p[at] == 0 && at + 1 == size) break;
    EXPECT_EQ(p[at], 0x1C) << "at " << at;
    if (p[at] != 0x1C || at + 5 > size) return sets;
    const size_t length = size_t(p[at + 3]) << 8 | p[at + 4];
    EXPECT_LE(at + 5 + length, size);
    if (at + 5 + length > size) return sets;
    sets.push_back({p[at + 1], p[at + 2], std::string(reinterpret_cast<const char*>(p + at + 5), length)});
    at += 5 + length;
  }
  return sets;
}

TEST(ExifBlock, ByteLayoutWithAndWithoutHeader) {
  const uint8_t body[36] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x31, 0, 2, 0, 0, 0, 10, 0, 0, 0, 26, 0, 0, 0, 0,
                            'O', 'r', 'b', 'a', 'l', 'i', 'x', ' ', '2', 0};
  for (bool header : {false, true}) {
    MetadataStream exif;
    InitExifBlock(&exif);
    EXPECT_EQ(BuildExifBlock(&exif, header, true), header ? 42u : 36u);
    EXPECT_EQ(exif.buffer, nullptr) << "measuring allocates nothing";
    EXPECT_EQ(BuildExifBlock(&exif, header, false), header ? 42u : 36u);
    std::vector<uint8_t> expected;
    if (header) expected = {'E', 'x', 'i', 'f', 0, 0};
    expected.insert(expected.end(), body, body + 36);
    EXPECT_EQ(Bytes(exif), expected);
    // Built once: a second build changes nothing.
    EXPECT_EQ(BuildExifBlock(&exif, !header, false), 0u);
    EXPECT_EQ(Bytes(exif), expected);
    FreeExifBlock(&exif);
    EXPECT_EQ(exif.buffer, nullptr);
  }
}

TEST(IptcKeywords, RefusalRules) {
  struct Case {
    std::vector<std::string> added;
    std::vector<std::string> held;
  };
  const std::string fifty(50, 'k'), fortyNine(49, 'k');
  const Case cases[] = {
      {{"panorama", "Panorama"}, {"panorama"}},
      {{"cubemap", "cube"}, {"cubemap"}},
      {{"cube", "cubemap"}, {"cube", "cubemap"}},
      {{"CUBEMAP", "cubeMap"}, {"CUBEMAP"}},
      {{"", "x"}, {"x"}},
      {{fifty, fortyNine}, {fortyNine}},
  };
  for (const Case& c : cases) {
    IptcBlock block;
    InitIptcBlock(&block);
    for (const std::string& word : c.added) AddIptcKeyword(&block, word.c_str());
    AddIptcKeyword(&block, nullptr);
    EXPECT_EQ(Keywords(block), c.held) << c.added.front();
  }
  IptcBlock block;
  InitIptcBlock(&block);
  for (int k = 0; k < 25; ++k) AddIptcKeyword(&block, ("w" + std::to_string(100 + k)).c_str());
  EXPECT_EQ(block.keywordCount, 19) << "the twentieth keyword is refused";
  block.keywordCount = -1;
  AddIptcKeyword(&block, "late");
  EXPECT_EQ(block.keywordCount, -1);
}

TEST(IptcRecords, DatasetsInOrderAndEvenLength) {
  FixedClockScope clock;
  for (const char* extra : {"", "a", "ab"}) {
    IptcBlock block;
    InitIptcBlock(&block);
    AddIptcKeyword(&block, extra);
    const uint32_t measured = WriteIptcRecords(&block, true);
    EXPECT_EQ(measured % 2, 0u);
    ASSERT_EQ(BuildPhotoshopIptcBlock(&block, false, false), measured + 12);
    const uint8_t* p = block.stream.buffer;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), 4), "8BIM");
    EXPECT_EQ(p[4], 0x04);
    EXPECT_EQ(p[5], 0x04);
    EXPECT_EQ(p[6] | p[7], 0);
    EXPECT_EQ(uint32_t(p[8]) << 24 | uint32_t(p[9]) << 16 | uint32_t(p[10]) << 8 | p[11], measured);
    const std::vector<Dataset> sets = ParseDatasets(p + 12, measured);
    ASSERT_GE(sets.size(), 5u);
    EXPECT_EQ(sets[0].number, 0);
    EXPECT_EQ(sets[0].data, std::string("\0\2", 2));
    EXPECT_EQ(sets[1].number, 115);
    EXPECT_EQ(sets[1].data, kMakerWebAddress);
    EXPECT_EQ(sets[2].number, 55);
    EXPECT_EQ(sets[2].data, "20260505");
    EXPECT_EQ(sets[3].number, 120);
    EXPECT_EQ(sets[3].data, "Made with Orbalix 2");
    EXPECT_EQ(sets[4].number, 25);
    EXPECT_EQ(sets[4].data, "Orbalix 2");
    EXPECT_EQ(sets.size(), extra[0] != 0 ? 6u : 5u);
    if (extra[0] != 0) EXPECT_EQ(sets[5].data, extra);
    for (const Dataset& d : sets) EXPECT_EQ(d.record, 2);
    FreeIptcBlock(&block);
  }
}

// Nineteen keywords of 49 characters pass a 1000-byte buffer: the block is
// sized by its measuring pass and holds every one of them.
TEST(IptcRecords, LargestKeywordSetIsWrittenWhole) {
  FixedClockScope clock;
  IptcBlock block;
  InitIptcBlock(&block);
  for (int k = 0; k < 19; ++k) AddIptcKeyword(&block, (std::string(47, 'a' + k) + std::to_string(10 + k)).c_str());
  ASSERT_EQ(block.keywordCount, 19);
  const uint32_t measured = BuildPhotoshopIptcBlock(&block, true, true);
  EXPECT_GT(measured, 1000u);
  EXPECT_EQ(BuildPhotoshopIptcBlock(&block, true, false), measured);
  EXPECT_EQ(block.stream.byteCount, measured);
  EXPECT_EQ(std::memcmp(block.stream.buffer, "Photoshop 3.0\0008BIM", 18), 0);
  const std::vector<Dataset> sets = ParseDatasets(block.stream.buffer + 26, measured - 26);
  EXPECT_EQ(sets.size(), 5u + 19u);
  EXPECT_EQ(sets.back().data, std::string(47, 'a' + 18) + "28");
  FreeIptcBlock(&block);
}

TEST(MetadataStream, WritesNeverPassTheBuffer) {
  uint8_t buffer[6] = {9, 9, 9, 9, 9, 9};
  MetadataStream s{0, buffer, buffer, 4};
  EXPECT_EQ(PutMetadataU16(&s, 0x1234, false), 2u);
  EXPECT_EQ(PutMetadataCString(&s, "ab", false), 0u) << "three bytes do not fit in two";
  EXPECT_EQ(PutIptcDataset(&s, 2, 25, "x", 1, false), 0u);
  EXPECT_EQ(PutIptcDataset(&s, 2, 25, "x", 1, true), 6u);
  EXPECT_EQ(PutMetadataByte(&s, 7, false), 1u);
  EXPECT_EQ(s.byteCount, 3u);
  EXPECT_EQ(buffer[0], 0x12);
  EXPECT_EQ(buffer[2], 7);
  EXPECT_EQ(buffer[3], 9);
  MetadataStream none{};
  EXPECT_EQ(PutMetadataByte(&none, 1, false), 0u);
  EXPECT_EQ(PutMetadataByte(&none, 1, true), 1u);
}

struct KeywordRig {
  GlobalsRecord globals{};
  FilterRecord record{};
  ParameterBlock block{};
  char* master = reinterpret_cast<char*>(&block);
  KeywordRig() {
    record.parameters = &master;
    globals.filterRecord = &record;
    block.glue = 1;
    block.grid = 1;
    block.outputProjection = 1;
  }
};

TEST(DocumentKeywords, CubeFaceFourOfASixteenBitDocument) {
  KeywordRig rig;
  rig.block.exportKind = ExportCubeFaces;
  ExportPlan plan{};
  plan.kind = ExportCubeFaces;
  plan.bytesPerChannel = 2;
  plan.currentLayer = 4;
  IptcBlock block;
  InitIptcBlock(&block);
  AddDocumentKeywords(&block, &plan, ExportCubeFaces);
  AddSettingsKeywords(&block, &rig.globals);
  EXPECT_EQ(Keywords(block), (std::vector<std::string>{"panorama", "cube", "cubemap", "back", "180"}));
}

TEST(DocumentKeywords, KindsAndSettings) {
  KeywordRig rig;
  struct Case {
    uint32_t planKind;  // 99: no plan
    uint32_t bytes;
    int32_t kind;
    int32_t exportKind;
    int32_t plates;
    int32_t grid;
    int32_t anamorphosis;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {ExportBrickPlan, 1, ExportBrickPlan, ExportBrickPlan, 1, 1, 0, {"panorama", "lego", "sphere", "plates"}},
      {ExportBrickPlan, 4, ExportBrickPlan, ExportBrickPlan, 0, 3, 1,
       {"HDR", "high dynamic range", "panorama", "lego", "sphere", "bricks", "grid", "graticule", "anamorphic"}},
      {99, 0, ExportPresetThumbnail, ExportCubeFaces, 0, 1, 0, {"panorama", "gallery", "preset"}},
      {99, 0, -1, ExportCubeFaces, 0, 1, 0, {"panorama"}},
      {ExportFaceTextures, 1, ExportFaceTextures, ExportCubeFaces, 0, 1, 0, {"panorama", "3D", "texturemap", "obj"}},
      {ExportPolyFaces, 1, ExportPolyFaces, ExportCubeFaces, 0, 1, 0, {"panorama", "polyhedron"}},
  };
  for (const Case& c : cases) {
    rig.block.exportKind = c.exportKind;
    rig.block.brickPlates = c.plates;
    rig.block.grid = c.grid;
    rig.block.anamorphosis = c.anamorphosis;
    ExportPlan plan{};
    plan.kind = c.planKind;
    plan.bytesPerChannel = c.bytes;
    plan.currentLayer = -1;
    IptcBlock block;
    InitIptcBlock(&block);
    AddDocumentKeywords(&block, c.planKind == 99 ? nullptr : &plan, c.kind);
    AddSettingsKeywords(&block, &rig.globals);
    EXPECT_EQ(Keywords(block), c.expected) << c.planKind << "/" << c.kind;
  }
  // Other kinds name the output projection and the glue mode.
  rig.block.exportKind = ExportPlain;
  rig.block.grid = 1;
  rig.block.anamorphosis = 0;
  rig.block.glue = 2;
  IptcBlock block;
  InitIptcBlock(&block);
  AddSettingsKeywords(&block, &rig.globals);
  ASSERT_GE(block.keywordCount, 2);
  EXPECT_EQ(std::string(block.keywords[0]), OutputProjectionName(1));
  EXPECT_EQ(std::string(block.keywords[block.keywordCount - 1]), GlueModeName(2));
}

}  // namespace
