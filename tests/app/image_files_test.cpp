#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/image_files.h"

namespace fs = std::filesystem;

namespace {

fs::path TempDir() {
  fs::path dir = fs::temp_directory_path() / ("orbalix-imagefiles-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

// A small image whose every sample differs, so swapped channels or rows show.
ImageFile MakeRamp(int32_t width, int32_t height, int32_t channels, int32_t bits) {
  ImageFile image;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.bitsPerChannel = bits;
  image.pixels.resize(size_t(RowBytes(image)) * size_t(height));
  size_t count = size_t(width) * size_t(height) * size_t(channels);
  for (size_t i = 0; i < count; ++i) {
    switch (bits) {
      case 8: image.pixels[i] = uint8_t((i * 37 + 11) & 0xFF); break;
      case 16: {
        uint16_t v = uint16_t((i * 4099 + 7) & 0xFFFF);
        std::memcpy(image.pixels.data() + i * 2, &v, 2);
        break;
      }
      default: {
        float v = float(i) * 0.125f - 1.0f;  // float keeps values outside 0..1
        std::memcpy(image.pixels.data() + i * 4, &v, 4);
      }
    }
  }
  return image;
}

struct RoundTripCase {
  const char* extension;
  int32_t channels;
  int32_t bits;
  bool lossless;
  int32_t storedBits;
};

class ImageFileRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ImageFileRoundTrip, WritesAndReadsBack) {
  const RoundTripCase& c = GetParam();
  ImageFile image = MakeRamp(7, 5, c.channels, c.bits);
  fs::path path = TempDir() / (std::string("ramp") + std::to_string(c.channels) + "_" + std::to_string(c.bits) +
                               c.extension);
  std::string error;
  ASSERT_TRUE(WriteImageFile(path.string(), image, &error)) << error;
  ImageFile back;
  ASSERT_TRUE(ReadImageFile(path.string(), &back, &error)) << error;
  EXPECT_EQ(back.width, 7);
  EXPECT_EQ(back.height, 5);
  EXPECT_EQ(back.bitsPerChannel, c.storedBits);
  if (c.lossless) {
    EXPECT_EQ(back.channels, c.channels);
    EXPECT_EQ(back.pixels, ConvertDepth(image, c.storedBits).pixels);
  }
  fs::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ImageFileRoundTrip,
    ::testing::Values(RoundTripCase{".png", 1, 8, true, 8}, RoundTripCase{".png", 2, 8, true, 8},
                      RoundTripCase{".png", 3, 8, true, 8}, RoundTripCase{".png", 4, 16, true, 16},
                      RoundTripCase{".png", 3, 32, false, 16}, RoundTripCase{".tif", 1, 8, true, 8},
                      RoundTripCase{".tiff", 4, 16, true, 16}, RoundTripCase{".tif", 3, 32, true, 32},
                      RoundTripCase{".TIF", 2, 32, true, 32}, RoundTripCase{".jpg", 3, 8, false, 8},
                      RoundTripCase{".jpeg", 1, 16, false, 8}, RoundTripCase{".jpg", 4, 8, false, 8}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) {
      std::string ext = info.param.extension + 1;
      return ext + "_c" + std::to_string(info.param.channels) + "_b" + std::to_string(info.param.bits);
    });

TEST(ImageFiles, JpegKeepsColoursClose) {
  ImageFile image = MakeRamp(16, 16, 3, 8);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = uint8_t(40 + (i % 3) * 60);
  fs::path path = TempDir() / "flat.jpg";
  std::string error;
  ASSERT_TRUE(WriteImageFile(path.string(), image, &error)) << error;
  ImageFile back;
  ASSERT_TRUE(ReadImageFile(path.string(), &back, &error)) << error;
  ASSERT_EQ(back.channels, 3);
  for (size_t i = 0; i < back.pixels.size(); ++i) EXPECT_NEAR(back.pixels[i], image.pixels[i], 3) << i;
}

TEST(ImageFiles, ErrorsLeaveNothingBehind) {
  fs::path dir = TempDir();
  std::string error;
  ImageFile image;
  // Missing file, a text file, and an unknown extension.
  EXPECT_FALSE(ReadImageFile((dir / "missing.png").string(), &image, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
  std::ofstream(dir / "text.png") << "not an image";
  EXPECT_FALSE(ReadImageFile((dir / "text.png").string(), &image, &error));
  EXPECT_NE(error.find("not a PNG"), std::string::npos);
  // A PNG cut short fails cleanly.
  ImageFile ramp = MakeRamp(64, 64, 3, 8);
  ASSERT_TRUE(WriteImageFile((dir / "whole.png").string(), ramp, &error));
  {
    std::ifstream in(dir / "whole.png", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(dir / "cut.png", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  }
  EXPECT_FALSE(ReadImageFile((dir / "cut.png").string(), &image, &error));
  EXPECT_FALSE(WriteImageFile((dir / "out.bmp").string(), ramp, &error));
  EXPECT_NE(error.find("unknown output format"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "out.bmp"));
  // An unwritable folder: no file and no temporary left.
  EXPECT_FALSE(WriteImageFile((dir / "no-such-folder" / "x.png").string(), ramp, &error));
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
}

TEST(ImageFiles, ResampleKeepsFlatImagesAndAlphaColours) {
  ImageFile flat = MakeRamp(40, 20, 4, 8);
  for (size_t i = 0; i < flat.pixels.size(); i += 4) {
    flat.pixels[i] = 200;
    flat.pixels[i + 1] = 100;
    flat.pixels[i + 2] = 50;
    flat.pixels[i + 3] = (i / 4) % 2 ? 255 : 0;  // alternate clear pixels must not darken the colour
  }
  for (auto [w, h] : {std::pair{20, 20}, {13, 7}, {81, 33}}) {
    ImageFile out = ResampleImage(flat, w, h);
    ASSERT_EQ(out.width, w);
    ASSERT_EQ(out.height, h);
    for (size_t i = 0; i < out.pixels.size(); i += 4) {
      if (out.pixels[i + 3] == 0) continue;
      EXPECT_NEAR(out.pixels[i], 200, 1);
      EXPECT_NEAR(out.pixels[i + 1], 100, 1);
      EXPECT_NEAR(out.pixels[i + 2], 50, 1);
    }
  }
}

}  // namespace
