// Writes the seed files of the image-reader fuzz targets: small images of
// every kind the readers take, made with libpng, libjpeg and libtiff
// directly (not with the readers' own writers), into
// OUT/png_reader, OUT/jpeg_reader and OUT/tiff_reader.
//
//   make_image_corpus OUT
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string gOut;

// Samples of a small picture: a ramp with a disc, at 8 or 16 bits.
std::vector<uint8_t> Picture(int width, int height, int channels, int bytes) {
  std::vector<uint8_t> data(size_t(width) * height * channels * bytes);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c) {
        const bool disc = (x - width / 2) * (x - width / 2) + (y - height / 2) * (y - height / 2) < width * height / 8;
        const unsigned v = (x * 255 / width + c * 60 + (disc ? 100 : 0)) & 255;
        uint8_t* p = &data[((size_t(y) * width + x) * channels + c) * bytes];
        for (int b = 0; b < bytes; ++b) p[b] = uint8_t(v ^ (b * 0x5A));
      }
  return data;
}

// --- PNG -------------------------------------------------------------------------

void Png(const char* name, int width, int height, int bitDepth, int colourType, bool interlace, bool transparency) {
  const std::string path = gOut + "/png_reader/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, width, height, bitDepth, colourType,
               interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_color palette[16];
    for (int i = 0; i < 16; ++i) palette[i] = png_color{png_byte(i * 16), png_byte(255 - i * 16), png_byte(i * 7)};
    png_set_PLTE(png, info, palette, 16);
  }
  if (transparency) {
    png_byte alpha[4] = {0, 64, 128, 255};
    png_color_16 grey{0, 0, 0, 0, 3};
    png_set_tRNS(png, info, colourType == PNG_COLOR_TYPE_PALETTE ? alpha : nullptr,
                 colourType == PNG_COLOR_TYPE_PALETTE ? 4 : 0, colourType == PNG_COLOR_TYPE_PALETTE ? nullptr : &grey);
  }
  png_write_info(png, info);
  const int channels = png_get_channels(png, info);
  const size_t rowBytes = (size_t(width) * channels * bitDepth + 7) / 8;
  std::vector<uint8_t> samples = Picture(width, height, 1, 1);
  std::vector<uint8_t> rows(rowBytes * height);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = uint8_t(samples[i % samples.size()] & (bitDepth < 8 ? 0x11 : 0xFF));
  if (colourType == PNG_COLOR_TYPE_PALETTE)
    for (auto& v : rows) v &= bitDepth == 8 ? 0x0F : 0xFF;
  std::vector<png_bytep> pointers;
  for (int y = 0; y < height; ++y) pointers.push_back(&rows[y * rowBytes]);
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

// --- JPEG ------------------------------------------------------------------------

void Jpeg(const char* name, int width, int height, bool grey, bool progressive, bool arithmetic, int restart,
          bool subsampled) {
  const std::string path = gOut + "/jpeg_reader/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 75, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  cinfo.arith_code = arithmetic ? TRUE : FALSE;
  cinfo.restart_interval = JDIMENSION(restart);
  if (!grey && !subsampled) {
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  const std::vector<uint8_t> samples = Picture(width, height, grey ? 1 : 3, 1);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[size_t(cinfo.next_scanline) * width * (grey ? 1 : 3)]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(f);
}

// --- TIFF ------------------------------------------------------------------------

struct TiffKind {
  uint16_t photometric, bits, samples, format, planar, compression;
  uint32_t tile;  // 0: strips of 4 rows
  bool bigEndian, alpha, bigTiff;
};

void Tiff(const char* name, int width, int height, const TiffKind& k) {
  const std::string path = gOut + "/tiff_reader/" + name;
  std::string mode = "w";
  if (k.bigEndian) mode += "b";
  if (k.bigTiff) mode += "8";
  TIFF* tif = TIFFOpen(path.c_str(), mode.c_str());
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, k.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, k.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, k.format);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, k.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, k.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, k.compression);
  if (k.alpha) {
    uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (k.photometric == PHOTOMETRIC_PALETTE) {
    const size_t n = size_t(1) << k.bits;
    std::vector<uint16_t> r(n), g(n), b(n);
    for (size_t i = 0; i < n; ++i) {
      r[i] = uint16_t(i * 4099);
      g[i] = uint16_t(65535 - i * 2113);
      b[i] = uint16_t(i * 911);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  const bool planes = k.planar == PLANARCONFIG_SEPARATE;
  const int perPixel = planes ? 1 : k.samples;
  const size_t rowBytes = (size_t(width) * perPixel * k.bits + 7) / 8;
  const std::vector<uint8_t> samples = Picture(width, height, 1, 1);
  std::vector<uint8_t> row(rowBytes);
  if (k.tile == 0) {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
    for (uint16_t p = 0; p < (planes ? k.samples : 1); ++p)
      for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < rowBytes; ++i) row[i] = samples[(size_t(y) * width + i + p * 7) % samples.size()];
        if (k.format == SAMPLEFORMAT_IEEEFP)
          for (size_t i = 0; i + 4 <= rowBytes; i += 4) {
            const float v = float(row[i]) / 255.0f;
            std::memcpy(&row[i], &v, 4);
          }
        TIFFWriteScanline(tif, row.data(), uint32_t(y), p);
      }
  } else {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, k.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, k.tile);
    std::vector<uint8_t> tile(size_t(TIFFTileSize(tif)));
    for (size_t i = 0; i < tile.size(); ++i) tile[i] = samples[i % samples.size()];
    for (uint16_t p = 0; p < (planes ? k.samples : 1); ++p)
      for (int ty = 0; ty < height; ty += int(k.tile))
        for (int tx = 0; tx < width; tx += int(k.tile)) TIFFWriteTile(tif, tile.data(), uint32_t(tx), uint32_t(ty), 0, p);
  }
  TIFFClose(tif);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_image_corpus OUT\n");
    return 2;
  }
  gOut = argv[1];
  for (const char* sub : {"png_reader", "jpeg_reader", "tiff_reader"}) fs::create_directories(gOut + "/" + sub);

  Png("grey8.png", 17, 9, 8, PNG_COLOR_TYPE_GRAY, false, false);
  Png("grey1.png", 19, 5, 1, PNG_COLOR_TYPE_GRAY, false, false);
  Png("grey4_trns.png", 13, 6, 4, PNG_COLOR_TYPE_GRAY, false, true);
  Png("greyalpha8.png", 11, 7, 8, PNG_COLOR_TYPE_GRAY_ALPHA, false, false);
  Png("rgb8.png", 16, 12, 8, PNG_COLOR_TYPE_RGB, false, false);
  Png("rgb8_interlaced.png", 15, 14, 8, PNG_COLOR_TYPE_RGB, true, false);
  Png("rgba16.png", 9, 8, 16, PNG_COLOR_TYPE_RGB_ALPHA, false, false);
  Png("grey16_interlaced.png", 10, 10, 16, PNG_COLOR_TYPE_GRAY, true, false);
  Png("palette4_trns.png", 14, 6, 4, PNG_COLOR_TYPE_PALETTE, false, true);
  Png("palette8.png", 12, 12, 8, PNG_COLOR_TYPE_PALETTE, false, false);

  Jpeg("baseline_rgb.jpg", 24, 16, false, false, false, 0, true);
  Jpeg("baseline_grey.jpg", 17, 9, true, false, false, 0, false);
  Jpeg("progressive_rgb.jpg", 20, 18, false, true, false, 0, true);
  Jpeg("progressive_grey.jpg", 16, 16, true, true, false, 0, false);
  Jpeg("restarts_444.jpg", 33, 17, false, false, false, 1, false);
  Jpeg("arithmetic.jpg", 16, 16, false, false, true, 0, true);
  Jpeg("arithmetic_progressive.jpg", 16, 8, false, true, true, 0, false);

  const uint16_t U = SAMPLEFORMAT_UINT, F = SAMPLEFORMAT_IEEEFP, C = PLANARCONFIG_CONTIG, S = PLANARCONFIG_SEPARATE;
  Tiff("rgb8_deflate.tif", 13, 9, {PHOTOMETRIC_RGB, 8, 3, U, C, COMPRESSION_ADOBE_DEFLATE, 0, false, false, false});
  Tiff("grey16_lzw_be.tif", 9, 9, {PHOTOMETRIC_MINISBLACK, 16, 1, U, C, COMPRESSION_LZW, 0, true, false, false});
  Tiff("rgba_float.tif", 6, 5, {PHOTOMETRIC_RGB, 32, 4, F, C, COMPRESSION_NONE, 0, false, true, false});
  Tiff("rgb8_planes_packbits.tif", 10, 7, {PHOTOMETRIC_RGB, 8, 3, U, S, COMPRESSION_PACKBITS, 0, false, false, false});
  Tiff("rgb16_tiles.tif", 40, 20, {PHOTOMETRIC_RGB, 16, 3, U, C, COMPRESSION_ADOBE_DEFLATE, 16, false, false, false});
  Tiff("greyalpha8_tiles_planes.tif", 20, 20,
       {PHOTOMETRIC_MINISBLACK, 8, 2, U, S, COMPRESSION_NONE, 16, true, true, false});
  Tiff("palette4.tif", 12, 6, {PHOTOMETRIC_PALETTE, 4, 1, U, C, COMPRESSION_NONE, 0, false, false, false});
  Tiff("grey1.tif", 21, 5, {PHOTOMETRIC_MINISBLACK, 1, 1, U, C, COMPRESSION_PACKBITS, 0, false, false, false});
  Tiff("white4.tif", 14, 4, {PHOTOMETRIC_MINISWHITE, 4, 1, U, C, COMPRESSION_NONE, 0, true, false, false});
  Tiff("rgb8_bigtiff.tif", 8, 8, {PHOTOMETRIC_RGB, 8, 3, U, C, COMPRESSION_ADOBE_DEFLATE, 0, false, false, true});
  return 0;
}
