#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "settings/jpeg_memory.h"

#if defined(ORBALIX_HAVE_JPEG)
#include <jpeglib.h>
#endif

namespace {

struct Segment {
  int marker;
  std::vector<uint8_t> data;  // without marker and length
};

// The marker segments from SOI up to the first SOS.
std::vector<Segment> HeaderSegments(const std::vector<uint8_t>& s) {
  std::vector<Segment> out;
  if (s.size() < 2 || s[0] != 0xFF || s[1] != 0xD8) return out;
  out.push_back({0xD8, {}});
  size_t p = 2;
  while (p + 4 <= s.size() && s[p] == 0xFF) {
    int marker = s[p + 1];
    size_t length = size_t(s[p + 2]) << 8 | s[p + 3];
    if (length < 2 || p + 2 + length > s.size()) break;
    out.push_back({marker, std::vector<uint8_t>(s.begin() + long(p + 4), s.begin() + long(p + 2 + length))});
    if (marker == 0xDA) break;
    p += 2 + length;
  }
  return out;
}

struct Picture {
  std::vector<uint8_t> bytes;
  PixelRaster raster;
  Picture(int32_t w, int32_t h, int32_t channels) : bytes(size_t(w) * size_t(h) * size_t(channels)) {
    raster = {w, h, channels, bytes.data()};
  }
};

// A smooth, deterministic test picture.
Picture Gradient(int32_t w, int32_t h) {
  Picture p(w, h, 4);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint8_t* q = &p.bytes[size_t(y * w + x) * 4];
      q[0] = uint8_t(x * 255 / (w > 1 ? w - 1 : 1));
      q[1] = uint8_t(y * 255 / (h > 1 ? h - 1 : 1));
      q[2] = uint8_t((x + y) * 2);
      q[3] = 255;
    }
  return p;
}

// Noise that does not compress, to make long streams.
Picture Noise(int32_t w, int32_t h) {
  Picture p(w, h, 4);
  uint32_t state = 12345;
  for (uint8_t& b : p.bytes) {
    state = state * 1664525u + 1013904223u;
    b = uint8_t(state >> 24);
  }
  return p;
}

std::vector<uint8_t> Encode(const Picture& p, int32_t quality, bool standard = false, uint32_t iccSize = 0,
                            const uint8_t* icc = nullptr, const JpegMarkerBlock* iptc = nullptr,
                            const JpegMarkerBlock* exif = nullptr) {
  std::vector<uint8_t> block(size_t(p.raster.width < 16 ? 16 : p.raster.width) *
                                 size_t(p.raster.height < 16 ? 16 : p.raster.height) * 6 +
                             iccSize + 200000);
  int32_t count = -1;
  EXPECT_EQ(EncodeJpegToBlock(&p.raster, block.data(), int32_t(block.size()), quality, standard, &count, iccSize,
                              icc, iptc, exif),
            kJpegOk);
  block.resize(size_t(count > 0 ? count : 0));
  return block;
}

}  // namespace

class JpegMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!JpegCodecAvailable()) GTEST_SKIP() << "this build has no JPEG codec";
  }
};

TEST(JpegMemoryWithoutCodec, AnswersNoCodecWhenBuiltWithoutTheLibrary) {
  if (JpegCodecAvailable()) GTEST_SKIP() << "this build has a JPEG codec";
  Picture p = Gradient(8, 8);
  uint8_t block[64];
  int32_t count = 0;
  EXPECT_EQ(EncodeJpegToBlock(&p.raster, block, 64, 80, false, &count, 0, nullptr, nullptr, nullptr), kJpegNoCodec);
  EXPECT_EQ(DecodeJpegBlock(&p.raster, block, 64), kJpegNoCodec);
}

TEST_F(JpegMemory, NullOrEmptyImagesAreRefused) {
  uint8_t block[64];
  int32_t count = 0;
  EXPECT_EQ(EncodeJpegToBlock(nullptr, block, 64, 80, false, &count, 0, nullptr, nullptr, nullptr), kJpegBadImage);
  PixelRaster empty = {8, 8, 4, nullptr};
  EXPECT_EQ(EncodeJpegToBlock(&empty, block, 64, 80, false, &count, 0, nullptr, nullptr, nullptr), kJpegBadImage);
  EXPECT_EQ(DecodeJpegBlock(&empty, block, 64), kJpegBadImage);
}

TEST_F(JpegMemory, SmallImagesEncodeAtSixteenAndTheEdgeRepeats) {
  Picture p(8, 8, 4);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      uint8_t* q = &p.bytes[size_t(y * 8 + x) * 4];
      q[0] = x == 7 ? 250 : 10;  // last column bright red
      q[1] = 10;
      q[2] = y == 7 ? 250 : 10;  // last row bright blue
      q[3] = 255;
    }
  std::vector<uint8_t> stream = Encode(p, 95);
  Picture out(16, 16, 4);
  ASSERT_EQ(DecodeJpegBlock(&out.raster, stream.data(), int32_t(stream.size())), kJpegOk);
  const uint8_t* farRight = &out.bytes[size_t(2 * 16 + 15) * 4];
  const uint8_t* farBottom = &out.bytes[size_t(15 * 16 + 2) * 4];
  EXPECT_GT(farRight[0], 200);
  EXPECT_LT(farRight[2], 60);
  EXPECT_GT(farBottom[2], 200);
  EXPECT_LT(farBottom[0], 60);
  EXPECT_EQ(farBottom[3], 255);
}

TEST_F(JpegMemory, MarkersFollowStartOfImageInTheirOrder) {
  Picture p = Gradient(20, 20);
  std::vector<uint8_t> icc(100, 0x42);
  const uint8_t exifBytes[] = {'E', 'x', 'i', 'f', 0, 0, 1, 2, 3};
  const uint8_t iptcBytes[] = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0', 0, 9};
  JpegMarkerBlock exif = {exifBytes, sizeof exifBytes};
  JpegMarkerBlock iptc = {iptcBytes, sizeof iptcBytes};
  std::vector<uint8_t> stream = Encode(p, 80, false, uint32_t(icc.size()), icc.data(), &iptc, &exif);
  std::vector<Segment> segs = HeaderSegments(stream);
  ASSERT_GE(segs.size(), 6u);
  EXPECT_EQ(segs[0].marker, 0xD8);
  EXPECT_EQ(segs[1].marker, 0xE0);  // JFIF
  EXPECT_EQ(std::string(segs[1].data.begin(), segs[1].data.begin() + 5), std::string("JFIF\0", 5));
  EXPECT_EQ(segs[2].marker, 0xFE);
  std::vector<uint8_t> comment(kMakerWebAddress, kMakerWebAddress + std::strlen(kMakerWebAddress) + 1);
  EXPECT_EQ(segs[2].data, comment);
  EXPECT_EQ(segs[3].marker, 0xE1);
  EXPECT_EQ(segs[3].data, std::vector<uint8_t>(exifBytes, exifBytes + sizeof exifBytes));
  EXPECT_EQ(segs[4].marker, 0xE2);
  EXPECT_EQ(segs[5].marker, 0xED);
  EXPECT_EQ(segs[5].data, std::vector<uint8_t>(iptcBytes, iptcBytes + sizeof iptcBytes));
  // Without metadata only the comment follows the JFIF segment.
  std::vector<Segment> plain = HeaderSegments(Encode(p, 80));
  ASSERT_GE(plain.size(), 4u);
  EXPECT_EQ(plain[2].marker, 0xFE);
  EXPECT_NE(plain[3].marker, 0xE1);
  EXPECT_NE(plain[3].marker, 0xE2);
}

TEST_F(JpegMemory, IccProfilesAreCutIntoNumberedChunks) {
  Picture p = Gradient(16, 16);
  std::vector<uint8_t> icc(65520);
  for (size_t k = 0; k < icc.size(); ++k) icc[k] = uint8_t(k % 251);
  std::vector<Segment> segs = HeaderSegments(Encode(p, 80, false, uint32_t(icc.size()), icc.data()));
  std::vector<Segment> app2;
  for (const Segment& s : segs)
    if (s.marker == 0xE2) app2.push_back(s);
  ASSERT_EQ(app2.size(), 2u);
  const std::string tag("ICC_PROFILE\0", 12);
  for (size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(std::string(app2[k].data.begin(), app2[k].data.begin() + 12), tag);
    EXPECT_EQ(app2[k].data[12], k + 1);
    EXPECT_EQ(app2[k].data[13], 2);
  }
  EXPECT_EQ(app2[0].data.size(), 14u + 65519u);
  EXPECT_EQ(app2[1].data.size(), 14u + 1u);
  std::vector<uint8_t> joined(app2[0].data.begin() + 14, app2[0].data.end());
  joined.insert(joined.end(), app2[1].data.begin() + 14, app2[1].data.end());
  EXPECT_EQ(joined, icc);
}

#if defined(ORBALIX_HAVE_JPEG)
namespace {

struct StreamFacts {
  int lumaH, lumaV;
  unsigned luma[64], chroma[64];
};

StreamFacts ReadFacts(const std::vector<uint8_t>& stream) {
  StreamFacts f = {};
  jpeg_decompress_struct d;
  jpeg_error_mgr e;
  d.err = jpeg_std_error(&e);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, stream.data(), (unsigned long)stream.size());
  jpeg_read_header(&d, TRUE);
  f.lumaH = d.comp_info[0].h_samp_factor;
  f.lumaV = d.comp_info[0].v_samp_factor;
  for (int k = 0; k < 64; ++k) {
    f.luma[k] = d.quant_tbl_ptrs[0]->quantval[k];
    f.chroma[k] = d.quant_tbl_ptrs[1]->quantval[k];
  }
  jpeg_destroy_decompress(&d);
  return f;
}

}  // namespace

TEST_F(JpegMemory, QualityPicksTheLevelTablesAndSampling) {
  Picture p = Gradient(32, 32);
  struct Case {
    int quality, level, sampling;
  } cases[] = {{80, 8, 1}, {45, 4, 2}, {120, 9, 1}, {-5, 0, 2}, {50, 5, 1}};
  for (const Case& c : cases) {
    StreamFacts f = ReadFacts(Encode(p, c.quality));
    uint32_t luma[64], chroma[64];
    JpegQuantTable(c.level, false, luma);
    JpegQuantTable(c.level, true, chroma);
    EXPECT_EQ(f.lumaH, c.sampling) << c.quality;
    EXPECT_EQ(f.lumaV, c.sampling) << c.quality;
    for (int k = 0; k < 64; ++k) {
      EXPECT_EQ(f.luma[k], luma[k]) << c.quality << " " << k;
      EXPECT_EQ(f.chroma[k], chroma[k]) << c.quality << " " << k;
    }
  }
  // Level 8 as the thumbnails use it, spot checks in natural order.
  StreamFacts f = ReadFacts(Encode(p, 80));
  EXPECT_EQ(f.luma[0], 2u);
  EXPECT_EQ(f.luma[8 * 3 + 7], 12u);
  EXPECT_EQ(f.luma[8 * 7 + 0], 6u);
  EXPECT_EQ(f.chroma[7], 15u);
  EXPECT_EQ(f.chroma[8 * 1 + 3], 13u);
  // The library's own scaling with standard tables.
  StreamFacts s = ReadFacts(Encode(p, 50, true));
  EXPECT_EQ(s.luma[0], 16u);
  EXPECT_EQ(s.chroma[0], 17u);
}

TEST_F(JpegMemory, GreyStreamsDecodeToGreyPixelsWithFullAlpha) {
  std::vector<uint8_t> grey(16 * 16, 0);
  for (int k = 0; k < 256; ++k) grey[size_t(k)] = uint8_t(100 + (k % 16));
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &mem, &memSize);
  c.image_width = 16;
  c.image_height = 16;
  c.input_components = 1;
  c.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  for (int y = 0; y < 16; ++y) {
    JSAMPROW row = &grey[size_t(y) * 16];
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> stream(mem, mem + memSize);
  free(mem);

  Picture rgba(16, 16, 4);
  ASSERT_EQ(DecodeJpegBlock(&rgba.raster, stream.data(), int32_t(stream.size())), kJpegOk);
  for (int k = 0; k < 256; ++k) {
    const uint8_t* q = &rgba.bytes[size_t(k) * 4];
    EXPECT_EQ(q[0], q[1]);
    EXPECT_EQ(q[1], q[2]);
    EXPECT_NEAR(q[0], grey[size_t(k)], 2);
    EXPECT_EQ(q[3], 255);
  }
}
#endif

TEST_F(JpegMemory, ColourStreamsDecodeBackCloseAndIntoGrey) {
  Picture p = Gradient(40, 24);
  std::vector<uint8_t> stream = Encode(p, 99);
  Picture out(40, 24, 4);
  ASSERT_EQ(DecodeJpegBlock(&out.raster, stream.data(), int32_t(stream.size())), kJpegOk);
  int worst = 0;
  for (size_t k = 0; k < p.bytes.size(); ++k) worst = std::max(worst, std::abs(int(p.bytes[k]) - int(out.bytes[k])));
  EXPECT_LE(worst, 12);
  Picture grey(40, 24, 1);
  ASSERT_EQ(DecodeJpegBlock(&grey.raster, stream.data(), int32_t(stream.size())), kJpegOk);
  const uint8_t* q = &out.bytes[size_t(10 * 40 + 30) * 4];
  EXPECT_EQ(grey.bytes[10 * 40 + 30], uint8_t((77 * q[0] + 150 * q[1] + 28 * q[2]) >> 8));
  // A larger raster keeps its pixels outside the stream.
  Picture big(64, 64, 1);
  std::memset(big.bytes.data(), 7, big.bytes.size());
  ASSERT_EQ(DecodeJpegBlock(&big.raster, stream.data(), int32_t(stream.size())), kJpegOk);
  EXPECT_EQ(big.bytes[10 * 64 + 50], 7);
  EXPECT_EQ(big.bytes[30 * 64 + 5], 7);
}

TEST_F(JpegMemory, AFullDestinationStopsWithoutWritingPastItsEnd) {
  Picture p = Noise(64, 64);
  std::vector<uint8_t> probe = Encode(p, 95);
  ASSERT_GT(probe.size(), 5000u);
  std::vector<uint8_t> block(4096 + 64, 0xA5);
  int32_t count = 77, codecError = 0;
  EXPECT_EQ(EncodeJpegToBlock(&p.raster, block.data(), 4096, 95, false, &count, 0, nullptr, nullptr, nullptr,
                              &codecError),
            kJpegCodecError);
  EXPECT_EQ(codecError, kJpegErrorDestinationFull);
  EXPECT_EQ(count, 77);
  for (size_t k = 4096; k < block.size(); ++k) ASSERT_EQ(block[k], 0xA5) << k;
  // A capacity between two whole pieces fails at the end with the same error.
  std::vector<uint8_t> nearly(probe.size() - 1);
  EXPECT_EQ(EncodeJpegToBlock(&p.raster, nearly.data(), int32_t(nearly.size()), 95, false, &count, 0, nullptr,
                              nullptr, nullptr, &codecError),
            kJpegCodecError);
  EXPECT_EQ(codecError, kJpegErrorDestinationFull);
  std::vector<uint8_t> exact(probe.size());
  EXPECT_EQ(EncodeJpegToBlock(&p.raster, exact.data(), int32_t(exact.size()), 95, false, &count, 0, nullptr,
                              nullptr, nullptr),
            kJpegOk);
  EXPECT_EQ(exact, probe);
}

TEST_F(JpegMemory, CutCorruptOrOversizedStreamsAreRefused) {
  Picture p = Noise(48, 48);
  std::vector<uint8_t> stream = Encode(p, 90);
  Picture out(48, 48, 4);
  int32_t codecError = 0;
  for (size_t cut : {size_t(0), size_t(1), size_t(2), size_t(20), stream.size() / 2, stream.size() - 2}) {
    int16_t r = DecodeJpegBlock(&out.raster, stream.data(), int32_t(cut), &codecError);
    EXPECT_NE(r, kJpegOk) << cut;
  }
  ASSERT_EQ(DecodeJpegBlock(&out.raster, stream.data(), int32_t(stream.size() - 2), &codecError), kJpegCodecError);
  EXPECT_EQ(codecError, kJpegErrorSourceExhausted);
  std::vector<uint8_t> junk(stream.size(), 0x5A);
  EXPECT_NE(DecodeJpegBlock(&out.raster, junk.data(), int32_t(junk.size())), kJpegOk);
  Picture small(47, 48, 4);  // the stream is wider than the picture it is read for
  EXPECT_EQ(DecodeJpegBlock(&small.raster, stream.data(), int32_t(stream.size())), kJpegRefused);
}
