#include "app/image_files.h"

#include <csetjmp>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <memory>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

namespace {

// --- small helpers ---------------------------------------------------------------

std::string LowerExtension(const std::string& path) {
  size_t dot = path.find_last_of('.');
  size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

bool SizeIsSane(int64_t width, int64_t height, int64_t channels, int64_t bits, std::string* error,
                const std::string& path) {
  if (width <= 0 || height <= 0) return Fail(error, path + ": image has no pixels");
  // Guard the byte count: at most 2^31 bytes per row and 2^40 in all.
  int64_t row = width * channels * (bits / 8);
  if (row > (int64_t(1) << 31) || row * height > (int64_t(1) << 40))
    return Fail(error, path + ": image is too large to hold in memory");
  return true;
}

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

ImageFormat SniffFormat(const std::string& path, std::string* error) {
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    Fail(error, path + ": cannot open: " + std::strerror(errno));
    return ImageFormat::Unknown;
  }
  unsigned char head[8] = {};
  size_t n = std::fread(head, 1, sizeof head, f.get());
  if (n >= 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) return ImageFormat::Png;
  if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return ImageFormat::Jpeg;
  if (n >= 4 && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0))
    return ImageFormat::Tiff;
  if (n >= 4 && (std::memcmp(head, "II+\0", 4) == 0 || std::memcmp(head, "MM\0+", 4) == 0))
    return ImageFormat::Tiff;  // BigTIFF
  Fail(error, path + ": not a PNG, JPEG or TIFF file");
  return ImageFormat::Unknown;
}

// --- PNG -------------------------------------------------------------------------

void PngError(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  if (text) *text = message;
  png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp) {}

bool ReadPng(const std::string& path, ImageFile* out, std::string* error) {
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) return Fail(error, path + ": cannot open: " + std::strerror(errno));
  std::string message;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, PngError, PngWarning);
  if (!png) return Fail(error, "out of memory");
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  ImageFile image;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return Fail(error, path + ": bad PNG: " + message);
  }
  png_init_io(png, f.get());
  png_read_info(png, info);
  png_uint_32 width = png_get_image_width(png, info);
  png_uint_32 height = png_get_image_height(png, info);
  int bitDepth = png_get_bit_depth(png, info);
  int colorType = png_get_color_type(png, info);
  // Expand palettes, low-bit grey and tRNS to plain grey or RGB with alpha.
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_swap(png);  // native little-endian samples
  png_read_update_info(png, info);
  image.width = int32_t(width);
  image.height = int32_t(height);
  image.channels = png_get_channels(png, info);
  image.bitsPerChannel = png_get_bit_depth(png, info) == 16 ? 16 : 8;
  if (!SizeIsSane(width, height, image.channels, image.bitsPerChannel, error, path)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  image.pixels.resize(size_t(RowBytes(image)) * height);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.pixels.data() + size_t(RowBytes(image)) * y;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  *out = std::move(image);
  return true;
}

bool WritePng(FILE* f, const ImageFile& source, std::string* error) {
  const ImageFile image = source.bitsPerChannel == 32 ? ConvertDepth(source, 16) : source;
  std::string message;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, PngError, PngWarning);
  if (!png) return Fail(error, "out of memory");
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows(size_t(image.height));
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return Fail(error, "PNG writer: " + message);
  }
  static const int kColorTypes[5] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                     PNG_COLOR_TYPE_RGB_ALPHA};
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), image.bitsPerChannel,
               kColorTypes[image.channels], PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (image.bitsPerChannel == 16) png_set_swap(png);
  for (int32_t y = 0; y < image.height; ++y)
    rows[size_t(y)] = const_cast<png_bytep>(image.pixels.data()) + size_t(RowBytes(image)) * size_t(y);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

// --- JPEG ------------------------------------------------------------------------

struct JpegErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  longjmp(manager->jump, 1);
}
void JpegSilence(j_common_ptr, int) {}

bool ReadJpeg(const std::string& path, ImageFile* out, std::string* error) {
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) return Fail(error, path + ": cannot open: " + std::strerror(errno));
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  cinfo.err = jpeg_std_error(&jerr.base);
  jerr.base.error_exit = JpegErrorExit;
  jerr.base.emit_message = JpegSilence;
  ImageFile image;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return Fail(error, path + ": bad JPEG: " + jerr.message);
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f.get());
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    jpeg_destroy_decompress(&cinfo);
    return Fail(error, path + ": CMYK JPEG files are not supported (grey and RGB only)");
  }
  cinfo.out_color_space = cinfo.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  image.width = int32_t(cinfo.output_width);
  image.height = int32_t(cinfo.output_height);
  image.channels = cinfo.output_components;
  image.bitsPerChannel = 8;
  if (!SizeIsSane(image.width, image.height, image.channels, 8, error, path)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  image.pixels.resize(size_t(RowBytes(image)) * size_t(image.height));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = image.pixels.data() + size_t(RowBytes(image)) * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  *out = std::move(image);
  return true;
}

bool WriteJpeg(FILE* f, const ImageFile& source, std::string* error) {
  // JPEG holds 8-bit grey or RGB: reduce the depth and drop alpha.
  ImageFile image = source.bitsPerChannel == 8 ? source : ConvertDepth(source, 8);
  int colourChannels = image.channels >= 3 ? 3 : 1;
  std::vector<uint8_t> row(size_t(image.width) * size_t(colourChannels));
  jpeg_compress_struct cinfo;
  JpegErrorManager jerr;
  cinfo.err = jpeg_std_error(&jerr.base);
  jerr.base.error_exit = JpegErrorExit;
  jerr.base.emit_message = JpegSilence;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_compress(&cinfo);
    return Fail(error, std::string("JPEG writer: ") + jerr.message);
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = JDIMENSION(image.width);
  cinfo.image_height = JDIMENSION(image.height);
  cinfo.input_components = colourChannels;
  cinfo.in_color_space = colourChannels == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 92, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* src = image.pixels.data() + size_t(RowBytes(image)) * size_t(y);
    for (int32_t x = 0; x < image.width; ++x)
      for (int c = 0; c < colourChannels; ++c)
        row[size_t(x) * size_t(colourChannels) + size_t(c)] = src[size_t(x) * size_t(image.channels) + size_t(c)];
    JSAMPROW rowPointer = row.data();
    jpeg_write_scanlines(&cinfo, &rowPointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

// --- TIFF ------------------------------------------------------------------------

void TiffSilence(const char*, const char*, va_list) {}

struct TiffCloser {
  void operator()(TIFF* t) const {
    if (t) TIFFClose(t);
  }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

bool ReadTiff(const std::string& path, ImageFile* out, std::string* error) {
  TIFFSetErrorHandler(TiffSilence);
  TIFFSetWarningHandler(TiffSilence);
  TiffPtr tif(TIFFOpen(path.c_str(), "r"));
  if (!tif) return Fail(error, path + ": bad TIFF file");
  uint32_t width = 0, height = 0;
  uint16_t samples = 1, bits = 1, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG, photometric = 0;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
  bool knownKind = (bits == 8 && format == SAMPLEFORMAT_UINT) || (bits == 16 && format == SAMPLEFORMAT_UINT) ||
                   (bits == 32 && format == SAMPLEFORMAT_IEEEFP);
  bool knownColour = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_RGB;
  if (!knownKind || !knownColour || samples < 1 || samples > 4 ||
      (photometric == PHOTOMETRIC_RGB && samples < 3)) {
    if (photometric == PHOTOMETRIC_SEPARATED)
      return Fail(error, path + ": CMYK and multichannel TIFF files are not supported (grey and RGB only)");
    return Fail(error, path + ": unsupported TIFF kind (8 or 16-bit integer or 32-bit float grey or RGB only)");
  }
  ImageFile image;
  image.width = int32_t(width);
  image.height = int32_t(height);
  image.channels = samples;
  image.bitsPerChannel = bits;
  if (width > 0x7fffffffu || height > 0x7fffffffu ||
      !SizeIsSane(width, height, samples, bits, error, path))
    return width > 0x7fffffffu || height > 0x7fffffffu ? Fail(error, path + ": image is too large") : false;
  image.pixels.resize(size_t(RowBytes(image)) * height);
  size_t bytesPerSample = bits / 8;
  std::vector<uint8_t> line(size_t(TIFFScanlineSize(tif.get())));
  if (planar == PLANARCONFIG_CONTIG) {
    if (line.size() < size_t(RowBytes(image))) return Fail(error, path + ": bad TIFF scanline size");
    for (uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(tif.get(), line.data(), y, 0) < 0) return Fail(error, path + ": TIFF read failed");
      std::memcpy(image.pixels.data() + size_t(RowBytes(image)) * y, line.data(), size_t(RowBytes(image)));
    }
  } else {
    if (line.size() < size_t(width) * bytesPerSample) return Fail(error, path + ": bad TIFF scanline size");
    for (uint16_t s = 0; s < samples; ++s)
      for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tif.get(), line.data(), y, s) < 0) return Fail(error, path + ": TIFF read failed");
        uint8_t* dst = image.pixels.data() + size_t(RowBytes(image)) * y;
        for (uint32_t x = 0; x < width; ++x)
          std::memcpy(dst + (size_t(x) * samples + s) * bytesPerSample, line.data() + size_t(x) * bytesPerSample,
                      bytesPerSample);
      }
  }
  *out = std::move(image);
  return true;
}

bool WriteTiff(const std::string& path, const ImageFile& image, std::string* error) {
  TIFFSetErrorHandler(TiffSilence);
  TIFFSetWarningHandler(TiffSilence);
  TiffPtr tif(TIFFOpen(path.c_str(), "w"));
  if (!tif) return Fail(error, "cannot create " + path);
  TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, uint32_t(image.width));
  TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, uint32_t(image.height));
  TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, uint16_t(image.channels));
  TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, uint16_t(image.bitsPerChannel));
  TIFFSetField(tif.get(), TIFFTAG_SAMPLEFORMAT,
               uint16_t(image.bitsPerChannel == 32 ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT));
  TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC,
               uint16_t(image.channels >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK));
  TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
  TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_ADOBE_DEFLATE));
  TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif.get(), 0));
  if (image.channels == 2 || image.channels == 4) {
    uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif.get(), TIFFTAG_EXTRASAMPLES, uint16_t(1), &extra);
  }
  std::vector<uint8_t> row(size_t(RowBytes(image)));
  for (int32_t y = 0; y < image.height; ++y) {
    std::memcpy(row.data(), image.pixels.data() + row.size() * size_t(y), row.size());
    if (TIFFWriteScanline(tif.get(), row.data(), uint32_t(y), 0) < 0) return Fail(error, "TIFF write failed");
  }
  if (!TIFFFlush(tif.get())) return Fail(error, "TIFF write failed");
  return true;
}

// --- depth conversion ------------------------------------------------------------

float SampleToUnit(const ImageFile& image, size_t index) {
  const uint8_t* p = image.pixels.data();
  switch (image.bitsPerChannel) {
    case 8: return p[index] / 255.0f;
    case 16: {
      uint16_t v;
      std::memcpy(&v, p + index * 2, 2);
      return v / 65535.0f;
    }
    default: {
      float v;
      std::memcpy(&v, p + index * 4, 4);
      return v;
    }
  }
}

void StoreUnit(ImageFile* image, size_t index, float value) {
  uint8_t* p = image->pixels.data();
  switch (image->bitsPerChannel) {
    case 8: {
      float c = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
      p[index] = uint8_t(std::lround(c * 255.0f));
      break;
    }
    case 16: {
      float c = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
      uint16_t v = uint16_t(std::lround(c * 65535.0f));
      std::memcpy(p + index * 2, &v, 2);
      break;
    }
    default: std::memcpy(p + index * 4, &value, 4);
  }
}

}  // namespace

ImageFormat FormatFromPath(const std::string& path) {
  std::string ext = LowerExtension(path);
  if (ext == "png") return ImageFormat::Png;
  if (ext == "jpg" || ext == "jpeg") return ImageFormat::Jpeg;
  if (ext == "tif" || ext == "tiff") return ImageFormat::Tiff;
  return ImageFormat::Unknown;
}

const char* FormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Jpeg: return "JPEG";
    case ImageFormat::Tiff: return "TIFF";
    default: return "unknown";
  }
}

bool ReadImageSize(const std::string& path, int64_t* width, int64_t* height, std::string* error) {
  const ImageFormat format = SniffFormat(path, error);
  if (format == ImageFormat::Unknown) return false;
  if (format == ImageFormat::Tiff) {
    TIFFSetErrorHandler(TiffSilence);
    TIFFSetWarningHandler(TiffSilence);
    TiffPtr tif(TIFFOpen(path.c_str(), "r"));
    if (!tif) return Fail(error, path + ": bad TIFF file");
    uint32_t w = 0, h = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    *width = w;
    *height = h;
    return true;
  }
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) return Fail(error, path + ": cannot open: " + std::strerror(errno));
  if (format == ImageFormat::Png) {
    // The first chunk is the header: signature, length, "IHDR", width, height.
    unsigned char head[24] = {};
    if (std::fread(head, 1, sizeof head, f.get()) != sizeof head || std::memcmp(head + 12, "IHDR", 4) != 0)
      return Fail(error, path + ": bad PNG: no header");
    auto be32 = [&](int at) {
      return (uint32_t(head[at]) << 24) | (uint32_t(head[at + 1]) << 16) | (uint32_t(head[at + 2]) << 8) | head[at + 3];
    };
    *width = be32(16);
    *height = be32(20);
    return true;
  }
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  cinfo.err = jpeg_std_error(&jerr.base);
  jerr.base.error_exit = JpegErrorExit;
  jerr.base.emit_message = JpegSilence;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return Fail(error, path + ": bad JPEG: " + jerr.message);
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f.get());
  jpeg_read_header(&cinfo, TRUE);
  *width = cinfo.image_width;
  *height = cinfo.image_height;
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool ReadImageFile(const std::string& path, ImageFile* out, std::string* error) {
  switch (SniffFormat(path, error)) {
    case ImageFormat::Png: return ReadPng(path, out, error);
    case ImageFormat::Jpeg: return ReadJpeg(path, out, error);
    case ImageFormat::Tiff: return ReadTiff(path, out, error);
    default: return false;
  }
}

bool WriteImageFile(const std::string& path, const ImageFile& image, std::string* error) {
  ImageFormat format = FormatFromPath(path);
  if (format == ImageFormat::Unknown)
    return Fail(error, path + ": unknown output format (use .png, .jpg, .jpeg, .tif or .tiff)");
  if (image.width <= 0 || image.height <= 0 || image.channels < 1 || image.channels > 4 ||
      image.pixels.size() != size_t(RowBytes(image)) * size_t(image.height))
    return Fail(error, "internal error: malformed image");
  // Write beside the target, then rename: a failure leaves no partial file.
  std::string temp = path + ".part" + std::to_string(getpid());
  bool ok = false;
  if (format == ImageFormat::Tiff) {
    ok = WriteTiff(temp, image, error);
  } else {
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return Fail(error, "cannot create " + path + ": " + std::strerror(errno));
    ok = format == ImageFormat::Png ? WritePng(f, image, error) : WriteJpeg(f, image, error);
    if (std::fflush(f) != 0 || std::ferror(f)) ok = ok && Fail(error, "cannot write " + path + ": " + std::strerror(errno));
    if (std::fclose(f) != 0) ok = ok && Fail(error, "cannot write " + path + ": " + std::strerror(errno));
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0)
    ok = Fail(error, "cannot write " + path + ": " + std::strerror(errno));
  if (!ok) std::remove(temp.c_str());
  return ok;
}

ImageFile ConvertDepth(const ImageFile& image, int32_t bitsPerChannel) {
  if (image.bitsPerChannel == bitsPerChannel) return image;
  ImageFile out;
  out.width = image.width;
  out.height = image.height;
  out.channels = image.channels;
  out.bitsPerChannel = bitsPerChannel;
  size_t count = size_t(image.width) * size_t(image.height) * size_t(image.channels);
  out.pixels.resize(count * size_t(bitsPerChannel / 8));
  for (size_t i = 0; i < count; ++i) StoreUnit(&out, i, SampleToUnit(image, i));
  return out;
}

namespace {

// One axis of the separable resampler: for each output index, the source taps and weights.
struct Taps {
  std::vector<int32_t> first;
  std::vector<int32_t> count;
  std::vector<float> weights;  // count[i] weights for output i, stored back to back
  std::vector<size_t> offset;
};

Taps MakeTaps(int32_t from, int32_t to) {
  Taps taps;
  double scale = double(from) / double(to);
  double support = std::max(1.0, scale);  // triangle radius in source pixels
  for (int32_t i = 0; i < to; ++i) {
    double centre = (i + 0.5) * scale - 0.5;
    int32_t lo = int32_t(std::floor(centre - support)) + 1;
    int32_t hi = int32_t(std::ceil(centre + support)) - 1;
    taps.offset.push_back(taps.weights.size());
    taps.first.push_back(lo);
    double sum = 0.0;
    std::vector<double> w;
    for (int32_t s = lo; s <= hi; ++s) {
      double t = 1.0 - std::fabs(s - centre) / support;
      w.push_back(t > 0.0 ? t : 0.0);
      sum += w.back();
    }
    taps.count.push_back(int32_t(w.size()));
    for (double v : w) taps.weights.push_back(float(sum > 0.0 ? v / sum : 0.0));
  }
  return taps;
}

}  // namespace

ImageFile ResampleImage(const ImageFile& image, int32_t width, int32_t height) {
  if (width == image.width && height == image.height) return image;
  const int32_t channels = image.channels;
  const bool hasAlpha = channels == 2 || channels == 4;
  const int32_t alphaIndex = channels - 1;
  // Work in float with premultiplied alpha so transparent pixels do not bleed colour.
  std::vector<float> source(size_t(image.width) * size_t(image.height) * size_t(channels));
  for (size_t i = 0; i < source.size(); ++i) source[i] = SampleToUnit(image, i);
  if (hasAlpha)
    for (size_t p = 0; p < source.size(); p += size_t(channels))
      for (int32_t c = 0; c < alphaIndex; ++c) source[p + size_t(c)] *= source[p + size_t(alphaIndex)];

  Taps across = MakeTaps(image.width, width);
  Taps down = MakeTaps(image.height, height);
  std::vector<float> middle(size_t(width) * size_t(image.height) * size_t(channels));
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < width; ++x)
      for (int32_t c = 0; c < channels; ++c) {
        float sum = 0.0f;
        for (int32_t k = 0; k < across.count[size_t(x)]; ++k) {
          int32_t sx = std::clamp(across.first[size_t(x)] + k, 0, image.width - 1);
          sum += across.weights[across.offset[size_t(x)] + size_t(k)] *
                 source[(size_t(y) * size_t(image.width) + size_t(sx)) * size_t(channels) + size_t(c)];
        }
        middle[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)] = sum;
      }
  ImageFile out;
  out.width = width;
  out.height = height;
  out.channels = channels;
  out.bitsPerChannel = image.bitsPerChannel;
  out.pixels.resize(size_t(RowBytes(out)) * size_t(height));
  std::vector<float> pixel(static_cast<size_t>(channels));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      for (int32_t c = 0; c < channels; ++c) {
        float sum = 0.0f;
        for (int32_t k = 0; k < down.count[size_t(y)]; ++k) {
          int32_t sy = std::clamp(down.first[size_t(y)] + k, 0, image.height - 1);
          sum += down.weights[down.offset[size_t(y)] + size_t(k)] *
                 middle[(size_t(sy) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)];
        }
        pixel[size_t(c)] = sum;
      }
      if (hasAlpha) {
        float a = pixel[size_t(alphaIndex)];
        for (int32_t c = 0; c < alphaIndex; ++c) pixel[size_t(c)] = a > 0.0f ? pixel[size_t(c)] / a : 0.0f;
      }
      size_t base = (size_t(y) * size_t(width) + size_t(x)) * size_t(channels);
      for (int32_t c = 0; c < channels; ++c) StoreUnit(&out, base + size_t(c), pixel[size_t(c)]);
    }
  return out;
}
