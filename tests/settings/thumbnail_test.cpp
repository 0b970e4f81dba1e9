#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "settings/thumbnail.h"
#include "test_files.h"

namespace {

void PutBE(std::vector<uint8_t>& out, int32_t v) {
  uint32_t u = uint32_t(v);
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(u >> s));
}

std::unique_ptr<SettingsThumbnail> NewThumbnail() {
  auto t = std::make_unique<SettingsThumbnail>();
  InitSettingsThumbnail(t.get());
  return t;
}

struct BlockRead {
  int16_t status;
  uint8_t hasPicture;
  int32_t next;  // the int32 that follows the block, or -1 when none could be read
};

// Writes `bytes` then reads one block back with `reader`, and the int32 after it.
template <typename Reader>
BlockRead ReadBack(const std::string& path, const std::vector<uint8_t>& bytes, SettingsThumbnail* t, Reader reader) {
  WriteAllBytes(path, bytes);
  FileHandle h = kNoFile;
  EXPECT_EQ(OpenFileSpec(path.c_str(), &h, 0), kFileOk);
  BlockRead r = {0, 9, -1};
  r.status = reader(t, h, &r.hasPicture);
  if (ReadInt32BE(&r.next, h) != kFileOk) r.next = -1;
  CloseFileHandle(h);
  return r;
}

}  // namespace

TEST(Thumbnail, BackgroundIsAVerticalRamp) {
  auto t = NewThumbnail();
  for (int x : {0, 64, 127}) {
    EXPECT_EQ(t->rgba[size_t(x) * 4], 255);
    const uint8_t* bottom = &t->rgba[size_t(127 * 128 + x) * 4];
    EXPECT_EQ(bottom[0], 128);
    EXPECT_EQ(bottom[1], 128);
    EXPECT_EQ(bottom[2], 128);
    EXPECT_EQ(bottom[3], 255);
  }
}

TEST(Thumbnail, WithoutAPictureTheBlockIsFourZeroBytes) {
  ScratchFile file("none");
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 1), kFileOk);
  EXPECT_EQ(WriteSettingsThumbnail(nullptr, h, true, 128, 128, 80, nullptr, nullptr), kFileOk);
  SettingsThumbnail missing = {};
  EXPECT_EQ(WriteSettingsThumbnail(&missing, h, true, 128, 128, 80, nullptr, nullptr), kFileOk);
  WriteInt32BE(77, h);
  CloseFileHandle(h);
  std::vector<uint8_t> bytes = ReadAllBytes(file.path);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 77}));
  auto t = NewThumbnail();
  BlockRead r = ReadBack(file.path, {0, 0, 0, 0, 0, 0, 0, 77}, t.get(), ReadSettingsThumbnail);
  EXPECT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.hasPicture, 0);
  EXPECT_EQ(r.next, 77);
}

TEST(Thumbnail, SizesAreClampedAndBlocksThatCannotBeDecodedAreSkipped) {
  ScratchFile file("skip");
  auto t = NewThumbnail();
  struct Case {
    int32_t flag, width, height, count;
    int32_t storedWidth, storedHeight;
  } cases[] = {
      {1, 200, -5, 10, 128, 0},             // no picture of zero height: skipped
      {2, 128, 128, 1000, 128, 128},        // another kind of picture: skipped
      {1, 128, 128, 49153, 128, 128},       // larger than any thumbnail stream: skipped
      {7, 16, 16, 0, 16, 16},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    PutBE(bytes, c.flag);
    PutBE(bytes, c.width);
    PutBE(bytes, c.height);
    PutBE(bytes, c.count);
    bytes.insert(bytes.end(), size_t(c.count), 0x33);
    PutBE(bytes, 4242);
    BlockRead r = ReadBack(file.path, bytes, t.get(), ReadSettingsThumbnail);
    EXPECT_EQ(r.status, kFileOk) << c.flag << " " << c.count;
    EXPECT_EQ(r.hasPicture, 0);
    EXPECT_EQ(r.next, 4242) << c.flag << " " << c.count;
    EXPECT_EQ(t->pictureWidth, c.storedWidth);
    EXPECT_EQ(t->pictureHeight, c.storedHeight);
  }
}

TEST(Thumbnail, BrokenBlocksAreReportedNotGuessed) {
  ScratchFile file("broken");
  auto t = NewThumbnail();
  std::vector<uint8_t> garbage;
  PutBE(garbage, 1);
  PutBE(garbage, 128);
  PutBE(garbage, 128);
  PutBE(garbage, 100);
  garbage.insert(garbage.end(), 100, 0x77);
  std::vector<uint8_t> negative;
  PutBE(negative, 1);
  PutBE(negative, 128);
  PutBE(negative, 128);
  PutBE(negative, -4);
  std::vector<uint8_t> negativeFlag;
  PutBE(negativeFlag, -1);
  std::vector<uint8_t> cutCount(negative.begin(), negative.begin() + 14);
  std::vector<uint8_t> cutData;
  PutBE(cutData, 2);
  PutBE(cutData, 128);
  PutBE(cutData, 128);
  PutBE(cutData, 300);
  cutData.insert(cutData.end(), 299, 0);
  if (JpegCodecAvailable()) {
    // A stream that does not decode is read through and dropped.
    PutBE(garbage, 4242);
    std::unique_ptr<SettingsThumbnail> before(new SettingsThumbnail(*t));
    const BlockRead r = ReadBack(file.path, garbage, t.get(), ReadSettingsThumbnail);
    EXPECT_EQ(r.status, kFileOk);
    EXPECT_EQ(r.hasPicture, 0);
    EXPECT_EQ(r.next, 4242);
    EXPECT_EQ(std::memcmp(before->rgba, t->rgba, sizeof t->rgba), 0);
  }
  EXPECT_EQ(ReadBack(file.path, negative, t.get(), ReadSettingsThumbnail).status, kThumbnailCorrupt);
  EXPECT_EQ(ReadBack(file.path, negativeFlag, t.get(), ReadSettingsThumbnail).status, kThumbnailCorrupt);
  EXPECT_EQ(ReadBack(file.path, cutCount, t.get(), ReadSettingsThumbnail).status, kFileReadFailed);
  EXPECT_EQ(ReadBack(file.path, cutData, t.get(), ReadSettingsThumbnail).status, kFileReadFailed);
}

TEST(Thumbnail, APictureWritesAndReadsBack) {
  if (!JpegCodecAvailable()) GTEST_SKIP() << "this build has no JPEG codec";
  ScratchFile file("picture");
  auto t = NewThumbnail();
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      uint8_t* p = &t->rgba[size_t(y * 128 + x) * 4];
      p[0] = uint8_t(2 * x);
      p[1] = uint8_t(2 * y);
      p[2] = uint8_t(x < 64 ? 40 : 200);
      p[3] = 255;
    }
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 1), kFileOk);
  EXPECT_EQ(WriteSettingsThumbnail(t.get(), h, true, 128, 128, 80, nullptr, nullptr), kFileOk);
  WriteInt32BE(4242, h);
  CloseFileHandle(h);
  std::vector<uint8_t> bytes = ReadAllBytes(file.path);
  ASSERT_GT(bytes.size(), 20u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12),
            (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 128, 0, 0, 0, 128}));
  uint32_t count = uint32_t(bytes[12]) << 24 | uint32_t(bytes[13]) << 16 | uint32_t(bytes[14]) << 8 | bytes[15];
  EXPECT_EQ(bytes.size(), 16u + count + 4u);
  EXPECT_EQ(bytes[16], 0xFF);
  EXPECT_EQ(bytes[17], 0xD8);

  auto back = NewThumbnail();
  BlockRead r = ReadBack(file.path, bytes, back.get(), ReadSettingsThumbnail);
  EXPECT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.hasPicture, 1);
  EXPECT_EQ(r.next, 4242);
  EXPECT_EQ(back->pictureWidth, 128);
  int worst = 0;
  for (size_t k = 0; k < sizeof t->rgba; ++k) worst = std::max(worst, std::abs(int(t->rgba[k]) - int(back->rgba[k])));
  EXPECT_LE(worst, 16);

  // Read through without a picture to fill: same position afterwards.
  r = ReadBack(file.path, bytes, nullptr, ReadSettingsThumbnail);
  EXPECT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.hasPicture, 0);
  EXPECT_EQ(r.next, 4242);
}

TEST(Thumbnail, PicturesTooLargeForTheBlockAreStoredAsNoPicture) {
  if (!JpegCodecAvailable()) GTEST_SKIP() << "this build has no JPEG codec";
  ScratchFile file("noise");
  auto t = NewThumbnail();
  uint32_t state = 99;
  for (uint8_t& b : t->rgba) {
    state = state * 1664525u + 1013904223u;
    b = uint8_t(state >> 24);
  }
  FileHandle h = kNoFile;
  ASSERT_EQ(OpenFileSpec(file.path.c_str(), &h, 1), kFileOk);
  EXPECT_EQ(WriteSettingsThumbnail(t.get(), h, true, 256, 256, 99, nullptr, nullptr), kFileOk);
  CloseFileHandle(h);
  EXPECT_EQ(ReadAllBytes(file.path), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(Thumbnail, LegacyBlocksHoldRawPixels) {
  ScratchFile file("legacy");
  auto t = NewThumbnail();
  std::vector<uint8_t> bytes;
  PutBE(bytes, 1);
  PutBE(bytes, 2);
  PutBE(bytes, 12);
  const uint8_t px[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
  bytes.insert(bytes.end(), px, px + 12);
  PutBE(bytes, 4242);
  BlockRead r = ReadBack(file.path, bytes, t.get(), ReadLegacyThumbnail);
  EXPECT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.hasPicture, 1);
  EXPECT_EQ(r.next, 4242);
  EXPECT_EQ(t->pictureWidth, 2);
  const uint8_t* topLeft = &t->rgba[0];
  const uint8_t* bottomRight = &t->rgba[size_t(127 * 128 + 127) * 4];
  EXPECT_EQ(topLeft[0], 255);
  EXPECT_EQ(topLeft[1], 0);
  EXPECT_NEAR(bottomRight[0], 9, 2);  // filtered, not copied
  EXPECT_EQ(bottomRight[3], 255);

  // Without a picture to fill the pixels are passed over all the same.
  r = ReadBack(file.path, bytes, nullptr, ReadLegacyThumbnail);
  EXPECT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.next, 4242);

  std::vector<uint8_t> none = {0, 0, 0, 0, 0, 0, 0, 5};
  r = ReadBack(file.path, none, t.get(), ReadLegacyThumbnail);
  EXPECT_EQ(r.hasPicture, 0);
  EXPECT_EQ(r.next, 5);

  // A side above 128 is stored as 128; its pixels are passed over.
  std::vector<uint8_t> huge;
  PutBE(huge, 1);
  PutBE(huge, 129);
  PutBE(huge, 129 * 129 * 3);
  huge.insert(huge.end(), 129 * 129 * 3, 0x33);
  PutBE(huge, 4242);
  r = ReadBack(file.path, huge, t.get(), ReadLegacyThumbnail);
  EXPECT_EQ(r.status, kFileOk);
  EXPECT_EQ(r.hasPicture, 0);
  EXPECT_EQ(r.next, 4242);
  EXPECT_EQ(t->pictureWidth, 128);
  EXPECT_EQ(t->pictureHeight, 128);
  // A side whose pixels no file could hold leaves the block's end unknown.
  std::vector<uint8_t> vast;
  PutBE(vast, 1);
  PutBE(vast, 40000);
  PutBE(vast, 0);
  EXPECT_EQ(ReadBack(file.path, vast, t.get(), ReadLegacyThumbnail).status, kThumbnailCorrupt);
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 20);
  EXPECT_EQ(ReadBack(file.path, cut, t.get(), ReadLegacyThumbnail).status, kFileReadFailed);
}

namespace {

// A binary PPM ("P6", maxval 255) of tests/settings/data as RGBA bytes.
bool ReadPpm(const std::string& name, int32_t* width, int32_t* height, std::vector<uint8_t>* rgba) {
  const std::vector<uint8_t> bytes = ReadAllBytes(SourcePath("tests/settings/data/" + name));
  int32_t fields[3] = {};
  size_t at = 2;
  for (int32_t& field : fields) {
    while (at < bytes.size() && std::isspace(bytes[at])) ++at;
    while (at < bytes.size() && std::isdigit(bytes[at])) field = field * 10 + (bytes[at++] - '0');
  }
  ++at;  // the one white space before the pixels
  *width = fields[0];
  *height = fields[1];
  const size_t count = size_t(fields[0]) * size_t(fields[1]);
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6' || fields[2] != 255 || bytes.size() != at + 3 * count) {
    return false;
  }
  rgba->resize(count * 4);
  for (size_t k = 0; k < count; ++k) {
    for (size_t c = 0; c < 3; ++c) (*rgba)[4 * k + c] = bytes[at + 3 * k + c];
    (*rgba)[4 * k + 3] = 255;
  }
  return true;
}

// A picture made into the thumbnail agrees with an independent filtered
// reduction of it (ImageMagick's, tools/thumbnail_fixtures.py): fine stripes
// and checks average out instead of aliasing into stripes of their own.
TEST(Thumbnail, PicturesAreScaledIntoTheThumbnailWithAFilter) {
  int32_t w = 0, h = 0, rw = 0, rh = 0;
  std::vector<uint8_t> source, reference;
  ASSERT_TRUE(ReadPpm("thumbnail_source.ppm", &w, &h, &source));
  ASSERT_TRUE(ReadPpm("thumbnail_reference.ppm", &rw, &rh, &reference));
  ASSERT_EQ(rw, 128);
  ASSERT_EQ(rh, 128);
  auto t = NewThumbnail();
  PixelRaster picture = {w, h, 4, source.data()};
  CopyImageToThumbnail(t.get(), &picture);
  double total = 0;
  int32_t worst = 0;
  int32_t worstStripes = 0;
  for (int32_t y = 0; y < 128; ++y) {
    for (int32_t x = 0; x < 128; ++x) {
      for (int32_t c = 0; c < 3; ++c) {
        const size_t k = size_t(y * 128 + x) * 4 + size_t(c);
        const int32_t d = std::abs(int32_t(t->rgba[k]) - int32_t(reference[k]));
        total += d;
        worst = std::max(worst, d);
        // Rows 82..85 lie well inside the band of stripes and checks.
        if (y >= 82 && y <= 85) worstStripes = std::max(worstStripes, d);
      }
      EXPECT_EQ(t->rgba[size_t(y * 128 + x) * 4 + 3], 255);
    }
  }
  const double mean = total / (128.0 * 128.0 * 3.0);
  RecordProperty("mean_difference", std::to_string(mean));
  RecordProperty("worst_difference", std::to_string(worst));
  EXPECT_LT(mean, 2.5);
  EXPECT_LE(worstStripes, 30);
  EXPECT_LE(worst, 60);  // at the disc's rim and the band's edges
}

}  // namespace
