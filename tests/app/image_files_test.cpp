#include <gtest/gtest.h>

#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/image_files.h"
#include "render/worker_pool.h"

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

// --- TIFF kinds -----------------------------------------------------------------

struct TiffLayout {
  uint16_t photometric;
  uint16_t bits;
  uint16_t samples;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint32_t tileSide = 0;  // 0: strips of 5 rows
  uint16_t extraAlpha = 0;
};

// Writes `width` x `height` samples (packed as the layout says) to a TIFF.
void WriteTiffLayout(const std::string& path, const TiffLayout& l, uint32_t width, uint32_t height,
                     const std::vector<uint8_t>& packedRows, const std::vector<uint16_t>& palette = {}) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, l.sampleFormat);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  if (l.extraAlpha) {
    uint16_t extra = l.extraAlpha;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (!palette.empty()) {
    const size_t n = size_t(1) << l.bits;
    std::vector<uint16_t> r(n), g(n), b(n);
    for (size_t i = 0; i * 3 + 2 < palette.size() && i < n; ++i) {
      r[i] = palette[i * 3];
      g[i] = palette[i * 3 + 1];
      b[i] = palette[i * 3 + 2];
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  const size_t planeRow = (size_t(width) * (l.planar == PLANARCONFIG_SEPARATE ? 1 : l.samples) * l.bits + 7) / 8;
  const uint16_t planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
  if (l.tileSide == 0) {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 5);
    for (uint16_t p = 0; p < planes; ++p)
      for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> row(packedRows.begin() + long((size_t(p) * height + y) * planeRow),
                                 packedRows.begin() + long((size_t(p) * height + y + 1) * planeRow));
        ASSERT_GE(TIFFWriteScanline(tif, row.data(), y, p), 0);
      }
  } else {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tileSide);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tileSide);
    const size_t pixelBytes = planeRow / width;
    std::vector<uint8_t> tile(size_t(TIFFTileSize(tif)));
    for (uint16_t p = 0; p < planes; ++p)
      for (uint32_t ty = 0; ty < height; ty += l.tileSide)
        for (uint32_t tx = 0; tx < width; tx += l.tileSide) {
          std::fill(tile.begin(), tile.end(), 0);
          for (uint32_t y = 0; y < l.tileSide && ty + y < height; ++y)
            for (uint32_t x = 0; x < l.tileSide && tx + x < width; ++x)
              std::memcpy(&tile[(size_t(y) * l.tileSide + x) * pixelBytes],
                          &packedRows[(size_t(p) * height + ty + y) * planeRow + size_t(tx + x) * pixelBytes], pixelBytes);
          ASSERT_GE(TIFFWriteTile(tif, tile.data(), tx, ty, 0, p), 0);
        }
  }
  TIFFClose(tif);
}

// The interleaved samples of `image` as planes, one after the other.
std::vector<uint8_t> AsPlanes(const ImageFile& image) {
  const size_t bytes = size_t(image.bitsPerChannel / 8);
  std::vector<uint8_t> planes;
  for (int32_t c = 0; c < image.channels; ++c)
    for (size_t p = 0; p < size_t(image.width) * size_t(image.height); ++p)
      for (size_t k = 0; k < bytes; ++k)
        planes.push_back(image.pixels[(p * size_t(image.channels) + size_t(c)) * bytes + k]);
  return planes;
}

TEST(ImageFiles, TiffTilesAndPlanesKeepTheirDepth) {
  const fs::path dir = TempDir();
  struct Case {
    const char* name;
    int32_t channels, bits;
    TiffLayout layout;
  } cases[] = {
      {"tiles16.tif", 3, 16, {PHOTOMETRIC_RGB, 16, 3, SAMPLEFORMAT_UINT, PLANARCONFIG_CONTIG, 16}},
      {"tilesplanes8.tif", 2, 8,
       {PHOTOMETRIC_MINISBLACK, 8, 2, SAMPLEFORMAT_UINT, PLANARCONFIG_SEPARATE, 16, EXTRASAMPLE_UNASSALPHA}},
      {"tilesfloat.tif", 4, 32,
       {PHOTOMETRIC_RGB, 32, 4, SAMPLEFORMAT_IEEEFP, PLANARCONFIG_CONTIG, 32, EXTRASAMPLE_UNASSALPHA}},
      {"stripsplanes16.tif", 3, 16, {PHOTOMETRIC_RGB, 16, 3, SAMPLEFORMAT_UINT, PLANARCONFIG_SEPARATE, 0}},
  };
  for (const Case& c : cases) {
    const ImageFile image = MakeRamp(40, 23, c.channels, c.bits);
    const std::string path = (dir / c.name).string();
    std::vector<uint8_t> packed(image.pixels.begin(), image.pixels.end());
    if (c.layout.planar == PLANARCONFIG_SEPARATE) packed = AsPlanes(image);
    WriteTiffLayout(path, c.layout, 40, 23, packed);
    ImageFile back;
    std::string error;
    ASSERT_TRUE(ReadImageFile(path, &back, &error)) << c.name << ": " << error;
    EXPECT_EQ(back.channels, c.channels) << c.name;
    EXPECT_EQ(back.bitsPerChannel, c.bits) << c.name;
    EXPECT_EQ(back.pixels, image.pixels) << c.name;
  }
}

TEST(ImageFiles, PaletteAndFewBitTiffsComeThroughTheRgbaPath) {
  const fs::path dir = TempDir();
  std::string error;
  ImageFile back;
  // A 4-entry palette of 2-bit indexes, four to a byte.
  const std::vector<uint16_t> palette = {65535, 0, 0, 0, 65535, 0, 0, 0, 65535, 32896, 32896, 32896};
  std::vector<uint8_t> indexes;
  for (int y = 0; y < 6; ++y)
    for (int b = 0; b < 3; ++b) indexes.push_back(uint8_t(0x1B ^ (y << 6)));  // 0,1,2,3 (first index varies)
  WriteTiffLayout((dir / "palette.tif").string(), {PHOTOMETRIC_PALETTE, 2, 1}, 12, 6, indexes, palette);
  ASSERT_TRUE(ReadImageFile((dir / "palette.tif").string(), &back, &error)) << error;
  ASSERT_EQ(back.channels, 3);
  ASSERT_EQ(back.bitsPerChannel, 8);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x) {
      const int index = (indexes[size_t(y * 3 + x / 4)] >> (6 - 2 * (x % 4))) & 3;
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(back.pixels[size_t((y * 12 + x) * 3 + c)], palette[size_t(index * 3 + c)] >> 8) << x << "," << y;
    }

  // One bit a pixel, min-is-black, and four bits, min-is-white: grey.
  std::vector<uint8_t> bits = {0xA5, 0x0F, 0xFF, 0x00};
  WriteTiffLayout((dir / "onebit.tif").string(), {PHOTOMETRIC_MINISBLACK, 1, 1}, 16, 2, bits);
  ASSERT_TRUE(ReadImageFile((dir / "onebit.tif").string(), &back, &error)) << error;
  ASSERT_EQ(back.channels, 1);
  for (int i = 0; i < 32; ++i)
    EXPECT_EQ(back.pixels[size_t(i)], ((bits[size_t(i / 8)] >> (7 - i % 8)) & 1) ? 255 : 0) << i;
  std::vector<uint8_t> nibbles = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  WriteTiffLayout((dir / "white.tif").string(), {PHOTOMETRIC_MINISWHITE, 4, 1}, 16, 1, nibbles);
  ASSERT_TRUE(ReadImageFile((dir / "white.tif").string(), &back, &error)) << error;
  ASSERT_EQ(back.channels, 1);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(back.pixels[size_t(i)], 255 - i * 17) << i;
}

TEST(ImageFiles, UnsupportedAndShortTiffsSayWhy) {
  const fs::path dir = TempDir();
  std::string error;
  ImageFile back;
  std::vector<uint8_t> samples(size_t(8) * 4 * 4, 7);
  WriteTiffLayout((dir / "signed.tif").string(), {PHOTOMETRIC_MINISBLACK, 32, 1, SAMPLEFORMAT_INT}, 8, 4, samples);
  EXPECT_FALSE(ReadImageFile((dir / "signed.tif").string(), &back, &error));
  EXPECT_NE(error.find("unsupported TIFF: 1 sample(s) of 32 bits (signed integer), grey"), std::string::npos) << error;

  // An uncompressed strip shorter than its rows (the library takes the size
  // its rows need): refused before reading.
  TIFF* tif = TIFFOpen((dir / "short.tif").string().c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 64);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 64);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
  uint8_t scrap[100] = {};
  TIFFWriteRawStrip(tif, 0, scrap, sizeof scrap);
  TIFFClose(tif);
  EXPECT_FALSE(ReadImageFile((dir / "short.tif").string(), &back, &error));
  EXPECT_NE(error.find("strip 0 of the 64 x 64 image (4096 bytes at 8) lies past the end of the file"), std::string::npos)
      << error;
}

TEST(ImageFiles, BrokenTiffDataIsAnError) {
  const fs::path dir = TempDir();
  // Deflated strips whose data is overwritten past the stream's header: the
  // plain path and the RGBA path (a palette) must both fail, not leave rows blank.
  std::vector<uint8_t> samples(size_t(64) * 64);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t((i * 7) % 13);
  const std::vector<uint16_t> palette(size_t(256) * 3, 30000);
  struct Case {
    const char* name;
    TiffLayout layout;
    bool withPalette;
  } cases[] = {{"grey_broken.tif", {PHOTOMETRIC_MINISBLACK, 8, 1}, false},
               {"palette_broken.tif", {PHOTOMETRIC_PALETTE, 8, 1}, true}};
  for (const Case& c : cases) {
    const std::string path = (dir / c.name).string();
    WriteTiffLayout(path, c.layout, 64, 64, samples, c.withPalette ? palette : std::vector<uint16_t>{});
    ImageFile back;
    std::string error;
    ASSERT_TRUE(ReadImageFile(path, &back, &error)) << c.name << ": " << error;
    // The first strip's data starts right after the 8-byte file header.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(8 + 4);
    const std::string garbage(12, '\xFF');
    file.write(garbage.data(), std::streamsize(garbage.size()));
    file.close();
    EXPECT_FALSE(ReadImageFile(path, &back, &error)) << c.name;
    EXPECT_NE(error.find(c.name), std::string::npos) << error;
  }
}

// --- reading: interlace, memory, the header check and stopping ----------------------

TEST(ImageFiles, InterlacedPngReadsLikeAPlainOne) {
  const ImageFile image = MakeRamp(37, 19, 4, 16);
  const std::string path = (TempDir() / "interlaced.png").string();
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, 37, 19, 16, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_swap(png);
  std::vector<png_bytep> rows;
  for (int y = 0; y < 19; ++y) rows.push_back(const_cast<png_bytep>(image.pixels.data()) + size_t(RowBytes(image)) * y);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  ImageFile back;
  std::string error;
  ASSERT_TRUE(ReadImageFile(path, &back, &error)) << error;
  EXPECT_EQ(back.pixels, image.pixels);
}

TEST(ImageFiles, ReadersShowTheHeaderFirstAndStopBetweenRows) {
  const fs::path dir = TempDir();
  for (const char* name : {"h.png", "h.jpg", "h.tif"}) {
    const ImageFile image = MakeRamp(30, 20, 3, 8);
    const std::string path = (dir / name).string();
    std::string error;
    ASSERT_TRUE(WriteImageFile(path, image, &error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});

    // The header as the image will be, before anything is decoded.
    ImageHeader seen;
    ReadOptions refuse;
    refuse.acceptHeader = [&](const ImageHeader& header, std::string* why) {
      seen = header;
      *why = "refused";
      return false;
    };
    ImageFile out;
    EXPECT_EQ(ReadImageFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name, refuse, &out,
                                  &error),
              IoResult::Failed);
    EXPECT_EQ(error, "refused") << name;
    EXPECT_EQ(seen.width, 30);
    EXPECT_EQ(seen.height, 20);
    EXPECT_EQ(seen.channels, 3);
    EXPECT_EQ(seen.bitsPerChannel, 8);
    EXPECT_TRUE(out.pixels.empty());

    int asked = 0;
    ReadOptions stop;
    stop.stop = [&] { return ++asked == 3; };
    EXPECT_EQ(ReadImageFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name, stop, &out,
                                  &error),
              IoResult::Stopped)
        << name;
    EXPECT_EQ(asked, 3) << name;

    // From memory as from the file.
    ImageFile fromFile;
    ASSERT_TRUE(ReadImageFile(path, &fromFile, &error)) << error;
    ASSERT_EQ(ReadImageFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name, ReadOptions{},
                                  &out, &error),
              IoResult::Ok)
        << error;
    EXPECT_EQ(out.pixels, fromFile.pixels) << name;
  }
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// A TIFF is written with its strips encoded on several threads: the file is
// the same bytes on any thread count, for strips of one row and of many,
// one group of strips and many, and samples that do not compress. Large
// ones are read back in groups of strips on several threads too.
TEST(ImageFiles, TiffFilesAreTheSameBytesOnAnyThreadCount) {
  struct Case {
    int32_t width, height, channels, bits;
    bool noise;
  };
  const Case cases[] = {
      {2000, 1000, 4, 8, false}, {2048, 900, 3, 8, true}, {300, 700, 3, 8, false},
      {1000, 300, 3, 16, false}, {50, 3000, 1, 32, false}, {7, 1800, 2, 8, true},
  };
  const fs::path dir = TempDir();
  for (const Case& c : cases) {
    const std::string label = std::to_string(c.width) + " x " + std::to_string(c.height) + ", " +
                              std::to_string(c.channels) + " channels, " + std::to_string(c.bits) + " bits";
    ImageFile image = MakeRamp(c.width, c.height, c.channels, c.bits);
    if (c.noise) {
      uint32_t state = 12345;
      for (uint8_t& b : image.pixels) {
        state = state * 1664525u + 1013904223u;
        b = uint8_t(state >> 24);
      }
    }
    std::string one;
    for (int32_t threads : {1, 2, 7}) {
      SetRenderThreadCount(threads);
      const fs::path path = dir / ("threads" + std::to_string(threads) + ".tif");
      std::string error;
      const bool written = WriteImageFile(path.string(), image, &error);
      ImageFile back;
      const bool read = written && ReadImageFile(path.string(), &back, &error);
      SetRenderThreadCount(0);
      ASSERT_TRUE(written) << label << ": " << error;
      ASSERT_TRUE(read) << label << ", " << threads << " threads: " << error;
      EXPECT_TRUE(back.pixels == image.pixels) << label << ", " << threads << " threads";
      const std::string bytes = FileBytes(path);
      if (threads == 1) {
        one = bytes;
      } else {
        EXPECT_TRUE(bytes == one) << label << ", " << threads << " threads";
      }
    }
  }
}

// A damaged strip in the middle of a large TIFF stops the read with its row,
// on one thread and on several.
TEST(ImageFiles, ADamagedStripOfALargeTiffIsAnError) {
  const fs::path dir = TempDir();
  const fs::path path = dir / "damaged.tif";
  std::string error;
  ASSERT_TRUE(WriteImageFile(path.string(), MakeRamp(2000, 1000, 3, 8), &error)) << error;
  std::string bytes = FileBytes(path);
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 4000; ++i) bytes[i] = char(0xFF);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  for (int32_t threads : {1, 7}) {
    SetRenderThreadCount(threads);
    ImageFile out;
    const bool read = ReadImageFile(path.string(), &out, &error);
    SetRenderThreadCount(0);
    EXPECT_FALSE(read) << threads << " threads";
    EXPECT_NE(error.find("TIFF read failed at row"), std::string::npos) << threads << " threads: " << error;
  }
}

TEST(ImageFiles, ResamplingInPlaceMatchesResampling) {
  for (int32_t channels : {1, 2, 3, 4}) {
    const ImageFile image = MakeRamp(29, 17, channels, 16);
    for (auto [w, h] : {std::pair{13, 40}, {60, 9}, {29, 17}}) {
      ImageFile inPlace = image;
      ASSERT_EQ(ResampleImageInPlace(&inPlace, w, h, nullptr), IoResult::Ok);
      const ImageFile copy = ResampleImage(image, w, h);
      EXPECT_EQ(inPlace.width, w);
      EXPECT_EQ(inPlace.pixels, copy.pixels) << channels << " " << w << "x" << h;
    }
  }
}

}  // namespace
