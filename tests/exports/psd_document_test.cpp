// PSD documents of every depth, layered and one layer per file: every length
// field against the bytes it covers, the resources and blocks each variant
// carries, and the rendered pixels in the layers and the merged data.
#include <cstring>
#include <string>
#include <vector>

#include "export_fixture.h"

namespace {

using PsdDocument = ExportFixture;

std::vector<uint16_t> ResourceIds(const WalkedPsd& psd) {
  std::vector<uint16_t> ids;
  for (const WalkedResource& r : psd.resources) ids.push_back(r.id);
  return ids;
}

// Every layer sample is the rendered pixel; the merged data of an opaque
// pixel is that pixel and of a transparent one the checkerboard (8 and 16
// bits), or the samples as they are (float).
void ExpectPixels(const WalkedPsd& psd, size_t layer, const ImageRecord* expected, bool hasLayer, bool separate,
                  const std::string& label) {
  const uint32_t bpc = expected->bytesPerChannel;
  int64_t wrongLayer = 0, wrongMerged = 0, opaque = 0, transparent = 0;
  const int32_t channelOf[4] = {3, 0, 1, 2};  // layer channel order: alpha, red, green, blue
  for (int32_t y = 0; y < int32_t(psd.height); ++y) {
    for (int32_t x = 0; x < int32_t(psd.width); ++x) {
      if (hasLayer) {
        for (int32_t k = 0; k < 4; ++k)
          wrongLayer += psd.LayerSample(layer, size_t(k), x, y) != PsdLayerValue(expected, x, y, channelOf[k]);
      }
      const uint32_t alpha = PsdLayerValue(expected, x, y, 3);
      const uint32_t full = bpc == 1 ? 255 : 65535;
      const bool dark = ((x ^ y) & 8) != 0;
      for (int32_t c = 0; c < 3; ++c) {
        const uint32_t merged = psd.MergedSample(c, x, y);
        if (bpc == 4) {
          wrongMerged += merged != PsdLayerValue(expected, x, y, c);
        } else if (alpha == full) {
          ++opaque;
          wrongMerged += merged != PsdLayerValue(expected, x, y, c);
        } else if (alpha == 0) {
          ++transparent;
          const uint32_t board = bpc == 1 ? (dark ? 204 : 255) : 2 * (dark ? 26112 : 32640);
          wrongMerged += merged != board;
        }
      }
      if (!separate && bpc == 2) wrongMerged += psd.MergedSample(3, x, y) != 65535;
    }
  }
  EXPECT_EQ(wrongLayer, 0) << label;
  EXPECT_EQ(wrongMerged, 0) << label;
  if (bpc != 4) {
    // The map leaves both kinds of pixel, so both rules were checked; a
    // cube face is covered by the sphere.
    EXPECT_GT(opaque, 0) << label;
    if (!separate) {
      EXPECT_GT(transparent, 0) << label;
    }
  }
  // 16-bit documents end with one further plane of full scale.
  if (bpc == 2) {
    const int32_t last = separate ? 3 : 4;
    int64_t notFull = 0;
    for (int32_t y = 0; y < int32_t(psd.height); ++y)
      for (int32_t x = 0; x < int32_t(psd.width); ++x) notFull += psd.MergedSample(last, x, y) != 65535;
    EXPECT_EQ(notFull, 0) << label;
  }
}

TEST_F(PsdDocument, EveryVariantHasExactLengthsItsResourcesAndTheRenderedPixels) {
  struct Case {
    int32_t depth;
    bool cube;
    uint16_t headerChannels;
    std::vector<uint16_t> resources;
    std::vector<std::string> taggedKeys;
    uint32_t mergedPlanes;
    uint8_t layerFlags;
  };
  // 1028 and 1058: the IPTC and EXIF blocks.
  const std::vector<uint16_t> common = {1001, 1005, 1011, 1016, 1035, 1028, 1058};
  auto with = [&](std::vector<uint16_t> more) {
    std::vector<uint16_t> ids = common;
    ids.insert(ids.end(), more.begin(), more.end());
    return ids;
  };
  const Case cases[] = {
      {8, false, 3, with({1024, 1026}), {}, 4, 40},
      {16, false, 4, with({1024, 1026}), {"Mt16", "Lr16"}, 5, 40},
      {32, false, 3, with({1069, 1072, 1024, 1026}), {"Mt32", "Lr32", "LMsk", "Pat3"}, 4, 8},
      {8, true, 3, common, {}, 3, 0},
      {16, true, 4, common, {}, 4, 0},
      {32, true, 3, common, {}, 3, 0},
  };
  for (const Case& c : cases) {
    const std::string label = std::to_string(c.depth) + (c.cube ? "-bit cube face" : "-bit layered");
    SCOPED_TRACE(label);
    ShutdownTestHost(&host);
    StartOn(40, 20, 3, c.depth);
    Block()->outputProjection = 2;  // a 2:1 map with room around it: opaque and transparent pixels
    Block()->cubeSide = 24;
    const int32_t width = c.cube ? 24 : 37, height = c.cube ? 24 : 23;
    const uint32_t bpc = uint32_t(c.depth / 8);
    ASSERT_EQ(Export(c.cube ? ExportCubeFaces : ExportSizedPsd, "doc.psd", nullptr, false, width, height),
              kExportDone);
    const std::vector<std::string> expectedFiles =
        c.cube ? std::vector<std::string>{"doc_b.psd", "doc_d.psd", "doc_f.psd", "doc_l.psd", "doc_r.psd", "doc_u.psd"}
               : std::vector<std::string>{"doc.psd"};
    EXPECT_EQ(FilesInFolder(), expectedFiles);

    const int32_t documents = c.cube ? 6 : 1;
    for (int32_t k = 1; k <= documents; ++k) {
      const std::string name = c.cube ? std::string("doc") + CubeFaceViewOf(k).suffix + ".psd" : "doc.psd";
      SCOPED_TRACE(name);
      const std::vector<uint8_t> bytes = ReadFileBytes(PathOf(name));
      const WalkedPsd psd = WalkPsd(bytes);
      ASSERT_TRUE(psd.errors.empty()) << psd.errors.front();
      EXPECT_EQ(psd.channels, c.headerChannels);
      EXPECT_EQ(psd.width, uint32_t(width));
      EXPECT_EQ(psd.height, uint32_t(height));
      EXPECT_EQ(psd.depth, c.depth);
      EXPECT_EQ(psd.colourMode, 3);
      EXPECT_EQ(psd.colourModeData.size(), c.depth == 32 ? 74u : 0u);
      if (c.depth == 32) {
        EXPECT_EQ(std::string(psd.colourModeData.begin(), psd.colourModeData.begin() + 4), "hdrt");
      }
      EXPECT_EQ(ResourceIds(psd), c.resources);
      EXPECT_EQ(psd.taggedKeys, c.taggedKeys);
      EXPECT_EQ(psd.imageCompression, 0);
      EXPECT_EQ(psd.imageData.size(), c.mergedPlanes * psd.PlaneBytes());
      if (c.cube) {
        EXPECT_EQ(psd.layerSectionLength, 8u);
        EXPECT_TRUE(psd.layers.empty());
      } else {
        ASSERT_EQ(psd.layers.size(), 1u);
        const WalkedLayer& layer = psd.layers[0];
        EXPECT_EQ(layer.bottom, height);
        EXPECT_EQ(layer.right, width);
        EXPECT_EQ(layer.channelIds, (std::vector<int16_t>{-1, 0, 1, 2}));
        for (uint32_t length : layer.channelLengths) EXPECT_EQ(length, psd.PlaneBytes() + 2);
        EXPECT_EQ(layer.compressions, (std::vector<uint16_t>{0, 0, 0, 0}));
        EXPECT_EQ(layer.blendKey, "norm");
        EXPECT_EQ(layer.opacity, 255);
        EXPECT_EQ(layer.flags, c.layerFlags);
        EXPECT_EQ(layer.name, "Layer 1");
        // The plain layer information field is used by 8-bit documents only.
        EXPECT_EQ(psd.layerInfoLength != 0, c.depth == 8);
      }
      const ImageRecord* expected =
          c.cube ? RenderExpected(ExportCubeFaces, width, height, bpc, k) : RenderExpected(ExportSizedPsd, width, height, bpc);
      ExpectPixels(psd, 0, expected, !c.cube, c.cube, name);
    }
    FinishRun(label);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
}

// Resource data is padded to an even length while its size field keeps the
// unpadded length; a profile of odd length is no exception.
TEST_F(PsdDocument, AnOddLengthProfileIsPaddedAndTheNextResourceStaysReadable) {
  for (const int32_t size : {101, 64}) {
    SCOPED_TRACE(size);
    ShutdownTestHost(&host);
    StartOn(16, 8);
    HostHandleRef profile = host.handleProcs.newProc(size);
    ASSERT_NE(profile, nullptr);
    for (int32_t k = 0; k < size; ++k) (*profile)[k] = char(k * 7 + 1);
    host.record.iCCprofileData = profile;
    host.record.iCCprofileSize = size;
    host.record.canUseICCProfiles = 1;
    ASSERT_EQ(Export(ExportPlain, "profile.psd"), kExportDone);
    const WalkedPsd psd = WalkPsd(ReadFileBytes(PathOf("profile.psd")));
    ASSERT_TRUE(psd.errors.empty()) << psd.errors.front();
    const WalkedResource* icc = psd.Resource(1039);
    ASSERT_NE(icc, nullptr);
    EXPECT_EQ(icc->size, uint32_t(size));
    EXPECT_EQ(std::memcmp(icc->data.data(), *profile, size_t(size)), 0);
    // What follows the profile is found where the padding says.
    ASSERT_NE(psd.Resource(1024), nullptr);
    EXPECT_EQ(psd.Resource(1024)->data, (std::vector<uint8_t>{0, 1}));
    host.record.iCCprofileData = nullptr;
    host.record.iCCprofileSize = 0;
    host.handleProcs.disposeProc(profile);
    FinishRun();
  }
}

// The fixed resources, as the format's readers see them.
TEST_F(PsdDocument, FixedResourcesHoldTheirValues) {
  StartOn(16, 8);
  ASSERT_EQ(Export(ExportPlain, "fixed.psd"), kExportDone);
  const WalkedPsd psd = WalkPsd(ReadFileBytes(PathOf("fixed.psd")));
  ASSERT_TRUE(psd.errors.empty()) << psd.errors.front();
  const std::vector<uint8_t> resolution = {0, 0x48, 0, 0, 0, 1, 0, 1, 0, 0x48, 0, 0, 0, 1, 0, 1};
  ASSERT_NE(psd.Resource(1005), nullptr);
  EXPECT_EQ(psd.Resource(1005)->data, resolution);
  ASSERT_NE(psd.Resource(1011), nullptr);
  EXPECT_EQ(psd.Resource(1011)->data, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 1}));
  ASSERT_NE(psd.Resource(1001), nullptr);
  EXPECT_EQ(psd.Resource(1001)->size, 120u);
  // Value 9 of the print record is -9, value 60 is 24864.
  EXPECT_EQ(psd.Resource(1001)->data[16], 0xFF);
  EXPECT_EQ(psd.Resource(1001)->data[17], 0xF7);
  EXPECT_EQ(psd.Resource(1001)->data[118] * 256 + psd.Resource(1001)->data[119], 24864);
  ASSERT_NE(psd.Resource(1016), nullptr);
  EXPECT_EQ(psd.Resource(1016)->size, 112u);
  const WalkedResource* url = psd.Resource(1035);
  ASSERT_NE(url, nullptr);
  EXPECT_EQ(std::string(url->data.begin(), url->data.end()), "https://orbalix.example/");
  FinishRun();
}

// A longer file at the target is replaced whole: nothing of its tail stays.
TEST_F(PsdDocument, ALongerFileAtTheTargetIsReplacedWhole) {
  StartOn(16, 8);
  {
    std::ofstream old(PathOf("old.psd"), std::ios::binary);
    const std::string junk(300000, 'x');
    old << junk;
  }
  ASSERT_EQ(Export(ExportPlain, "old.psd"), kExportDone);
  const std::vector<uint8_t> bytes = ReadFileBytes(PathOf("old.psd"));
  const WalkedPsd psd = WalkPsd(bytes);
  ASSERT_TRUE(psd.errors.empty()) << psd.errors.front();
  EXPECT_EQ(psd.imageData.size(), 4 * psd.PlaneBytes());
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"old.psd"});
  FinishRun();
}

}  // namespace
