// PNG files through libpng. Each read and write keeps its C++ state in a
// context made before the library's error jump point; the steps between the
// jump point and the end hold only plain locals, so a jump skips no destructor.
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>
#include <zlib.h>

#include "app/image_codecs.h"

namespace {

struct PngRead {
  const InputStream* in = nullptr;
  const ReadOptions* options = nullptr;
  ImageFile image;
  std::string message;  // the library's error
  std::string refusal;  // a header refused before decoding
  bool stopped = false;
};

void PngError(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  if (text) *text = message;
  png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp) {}

// A deflate stream gives at most 1032 bytes for each byte it holds; a file
// shorter than its rows can fill is refused before anything is allocated.
constexpr int64_t kLargestDeflateRatio = 1032;

// The image as the first chunk (IHDR) describes it, read before the library
// parses the chunks that follow (a file cut after its header is refused for
// its size first). A transparency chunk may add alpha later. False when the
// file does not start with a header chunk; the library then says why.
bool HeaderChunk(const InputStream& in, ImageHeader* header, int64_t* storedRowBytes) {
  unsigned char head[29] = {};
  const size_t n = std::fread(head, 1, sizeof head, in.file);
  std::rewind(in.file);
  if (n < sizeof head || std::memcmp(head + 12, "IHDR", 4) != 0) return false;
  auto be32 = [&](int at) {
    return (uint32_t(head[at]) << 24) | (uint32_t(head[at + 1]) << 16) | (uint32_t(head[at + 2]) << 8) | head[at + 3];
  };
  const int bitDepth = head[24];
  const int colourType = head[25];
  int stored = 0, channels = 0;
  switch (colourType) {
    case 0: stored = channels = 1; break;
    case 2: stored = channels = 3; break;
    case 3: stored = 1, channels = 3; break;
    case 4: stored = channels = 2; break;
    case 6: stored = channels = 4; break;
    default: return false;
  }
  header->format = ImageFormat::Png;
  header->width = be32(16);
  header->height = be32(20);
  header->channels = channels;
  header->bitsPerChannel = bitDepth == 16 ? 16 : 8;
  *storedRowBytes = (header->width * stored * bitDepth + 7) / 8 + 1;
  return true;
}

// Header, checks, rows. False when the header is refused or the read stops.
bool PngReadSteps(png_structp png, png_infop info, PngRead* r) {
  ImageHeader first;
  int64_t storedRow = 0;
  if (HeaderChunk(*r->in, &first, &storedRow)) {
    if (!AcceptImageHeader(first, *r->options, r->in->name, &r->refusal)) return false;
    if (double(storedRow) * double(first.height) > double(r->in->length) * double(kLargestDeflateRatio) + 65536.0) {
      r->refusal = r->in->name + ": the PNG says " + std::to_string(first.width) + " x " +
                   std::to_string(first.height) + " pixels, more than its " + std::to_string(r->in->length) +
                   " bytes can hold";
      return false;
    }
  }
  png_init_io(png, r->in->file);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  const int colorType = png_get_color_type(png, info);
  // Expand palettes, low-bit grey and tRNS to plain grey or RGB with alpha.
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_swap(png);  // native little-endian samples
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);

  ImageHeader header;
  header.format = ImageFormat::Png;
  header.width = width;
  header.height = height;
  header.channels = png_get_channels(png, info);
  header.bitsPerChannel = png_get_bit_depth(png, info) == 16 ? 16 : 8;
  if (!AcceptImageHeader(header, *r->options, r->in->name, &r->refusal)) return false;
  SizeImage(header, &r->image);
  const size_t rowBytes = size_t(RowBytes(r->image));
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      if (StopAsked(*r->options)) {
        r->stopped = true;
        return false;
      }
      png_read_row(png, r->image.pixels.data() + rowBytes * y, nullptr);
    }
  }
  png_read_end(png, nullptr);
  return true;
}

struct PngWrite {
  OutputSink* sink = nullptr;
  const ImageFile* image = nullptr;
  const WriteOptions* options = nullptr;
  PixelBytes row;  // a float row as 16 bits
  std::string message;
  bool stopped = false;
};

void PngWriteData(png_structp png, png_bytep data, size_t length) {
  auto* w = static_cast<PngWrite*>(png_get_io_ptr(png));
  if (!SinkWrite(w->sink, data, length)) png_error(png, "write failed");
}
void PngFlushData(png_structp) {}

// Fast settings for large images: the lowest deflate level with run-length
// matches and the Paeth filter on every row (no trial of the five filters
// per row). Files come out within a few percent of the library's default
// settings, in a quarter of the time.
void SetFastCompression(png_structp png) {
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
  png_set_compression_buffer_size(png, 1 << 18);
}

bool PngWriteSteps(png_structp png, png_infop info, PngWrite* w) {
  static const int kColorTypes[5] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                     PNG_COLOR_TYPE_RGB_ALPHA};
  const ImageFile& image = *w->image;
  const int bits = image.bitsPerChannel == 8 ? 8 : 16;  // float goes out as 16 bits
  png_set_write_fn(png, w, PngWriteData, PngFlushData);
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), bits, kColorTypes[image.channels],
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  SetFastCompression(png);
  png_write_info(png, info);
  if (bits == 16) png_set_swap(png);
  const size_t rowBytes = size_t(RowBytes(image));
  for (int32_t y = 0; y < image.height; ++y) {
    if (StopAsked(*w->options)) {
      w->stopped = true;
      return false;
    }
    // The library copies each row before it filters it: rows go from the
    // image as they are (a float row is converted first).
    png_const_bytep row = image.pixels.data() + rowBytes * size_t(y);
    if (image.bitsPerChannel == 32) {
      ConvertRowDepth(image, y, 16, w->row.data());
      row = w->row.data();
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

IoResult ReadPng(const InputStream& in, const ReadOptions& options, ImageFile* out, std::string* error) {
  PngRead r;
  r.in = &in;
  r.options = &options;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.message, PngError, PngWarning);
  if (!png) {
    *error = "out of memory";
    return IoResult::Failed;
  }
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    *error = in.name + ": bad PNG: " + r.message;
    return IoResult::Failed;
  }
  const bool done = PngReadSteps(png, info, &r);
  png_destroy_read_struct(&png, &info, nullptr);
  if (r.stopped) return IoResult::Stopped;
  if (!done) {
    *error = r.refusal;
    return IoResult::Failed;
  }
  *out = std::move(r.image);
  return IoResult::Ok;
}

IoResult WritePng(OutputSink* sink, const ImageFile& image, const WriteOptions& options, const std::string& name,
                  std::string* error) {
  PngWrite w;
  w.sink = sink;
  w.image = &image;
  w.options = &options;
  if (image.bitsPerChannel == 32) w.row.resize(size_t(image.width) * size_t(image.channels) * 2);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &w.message, PngError, PngWarning);
  if (!png) {
    *error = "out of memory";
    return IoResult::Failed;
  }
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *error = WriteFailure(name, sink->error, "PNG writer: " + w.message);
    return IoResult::Failed;
  }
  const bool done = PngWriteSteps(png, info, &w);
  png_destroy_write_struct(&png, &info);
  if (w.stopped) return IoResult::Stopped;
  return done ? IoResult::Ok : IoResult::Failed;
}
