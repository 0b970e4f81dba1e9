#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "image/image_record.h"
#include "image/pixel_access.h"
#include "settings/jpeg_image.h"
#include "test_files.h"

namespace {

struct Image {
  ImageRecord record;
  Image(int32_t w, int32_t h, int32_t mode) {
    InitImageRecord(&record, nullptr, nullptr);
    EXPECT_TRUE(CreateImageRecord(&record, w, h, mode, 0, 0));
  }
  ~Image() { FreeImageRecord(&record); }
};

}  // namespace

class JpegImage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!JpegCodecAvailable()) GTEST_SKIP() << "this build has no JPEG codec";
  }
};

TEST_F(JpegImage, ImagesEncodeAtLeastSixteenSquareAndDecodeBack) {
  Image source(8, 8, PixelRgba8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) PutPixelRgba8(x, y, &source.record, 0, x == 7 ? 250 : 20, 20, y == 7 ? 250 : 20, 255);
  std::vector<uint8_t> block(16 * 16 * 6 + 4096);
  int32_t count = 0;
  Rect rect = {0, 0, 8, 8};
  ASSERT_EQ(EncodeJpegToBlock(&source.record, &rect, block.data(), int32_t(block.size()), 95, false, &count, 0,
                              nullptr, nullptr, nullptr),
            kJpegOk);
  Image back(16, 16, PixelRgba8);
  Rect full = {0, 0, 16, 16};
  ASSERT_EQ(DecodeJpegBlock(&back.record, &full, block.data(), count), kJpegOk);
  uint32_t r, g, b, a;
  GetPixelRgba8(15, 3, &back.record, 0, &r, &g, &b, &a);  // the last column, repeated
  EXPECT_GT(r, 200u);
  EXPECT_EQ(a, 255u);
  GetPixelRgba8(3, 15, &back.record, 0, &r, &g, &b, &a);  // the last row, repeated
  EXPECT_GT(b, 200u);
  EXPECT_LT(r, 60u);
  // Too small a target refuses the stream; a grey target takes its luma.
  Rect small = {0, 0, 16, 15};
  EXPECT_EQ(DecodeJpegBlock(&back.record, &small, block.data(), count), kJpegRefused);
  Image grey(16, 16, PixelGray8);
  ASSERT_EQ(DecodeJpegBlock(&grey.record, &full, block.data(), count), kJpegOk);
}

TEST_F(JpegImage, TheJpegWriterPutsTheBlockHeaderFirst) {
  ScratchFile file("jpegblock");
  Image source(40, 20, PixelRgba8);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) PutPixelRgba8(x, y, &source.record, 0, uint32_t(x * 6), uint32_t(y * 12), 90, 255);
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 1), kFileOk);
  EXPECT_EQ(WriteJpegBlock(&source.record, h, true, 80, 0, nullptr, nullptr, nullptr), kFileOk);
  CloseFileHandle(h);
  std::vector<uint8_t> bytes = ReadAllBytes(file.path);
  ASSERT_GT(bytes.size(), 20u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12),
            (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 40, 0, 0, 0, 20}));
  uint32_t count = uint32_t(bytes[12]) << 24 | uint32_t(bytes[13]) << 16 | uint32_t(bytes[14]) << 8 | bytes[15];
  EXPECT_EQ(bytes.size(), 16u + count);
  EXPECT_EQ(bytes[16], 0xFF);
  EXPECT_EQ(bytes[17], 0xD8);

  ImageRecord empty;
  InitImageRecord(&empty, nullptr, nullptr);
  EXPECT_EQ(WriteJpegBlock(nullptr, h, true, 80, 0, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(WriteJpegBlock(&empty, h, true, 80, 0, nullptr, nullptr, nullptr), 2);
}
