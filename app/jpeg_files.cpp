// JPEG files through libjpeg. The decoder's warnings about missing or corrupt
// data end the read as errors (a cut file would otherwise decode to grey),
// its working memory is held to the caller's limit, and its progress hook
// lets a stop request end a progressive file's long first pass. As with PNG,
// every C++ object lives in a context made before the error jump point.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "app/image_codecs.h"

namespace {

struct JpegErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool stopped;
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  longjmp(manager->jump, 1);
}

// Warnings that mean pixels are missing or wrong.
bool DataWarning(int code) {
  switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
      return true;
    default:
      return false;
  }
}

void JpegMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && DataWarning(cinfo->err->msg_code)) JpegErrorExit(cinfo);
}
void JpegSilence(j_common_ptr, int) {}

struct JpegRead {
  const InputStream* in = nullptr;
  const ReadOptions* options = nullptr;
  ImageFile image;
  std::string refusal;
  int64_t memoryLimit = 0;
};

struct JpegProgress {
  jpeg_progress_mgr base;
  const ReadOptions* options;
};

void JpegProgressHook(j_common_ptr cinfo) {
  auto* progress = reinterpret_cast<JpegProgress*>(cinfo->progress);
  if (!StopAsked(*progress->options)) return;
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  manager->stopped = true;
  longjmp(manager->jump, 1);
}

bool JpegReadSteps(jpeg_decompress_struct* cinfo, JpegRead* r) {
  jpeg_stdio_src(cinfo, r->in->file);
  jpeg_read_header(cinfo, TRUE);
  if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) {
    r->refusal = r->in->name + ": CMYK JPEG files are not supported (grey and RGB only)";
    return false;
  }
  cinfo->out_color_space = cinfo->jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_calc_output_dimensions(cinfo);
  ImageHeader header;
  header.format = ImageFormat::Jpeg;
  header.width = cinfo->output_width;
  header.height = cinfo->output_height;
  header.channels = cinfo->output_components;
  header.bitsPerChannel = 8;
  if (!AcceptImageHeader(header, *r->options, r->in->name, &r->refusal)) return false;
  // With Huffman coding every 8 x 8 block of a component takes at least one
  // bit: a file too short for its blocks is refused before any allocation.
  if (!cinfo->arith_code) {
    double blocks = 0;
    for (int c = 0; c < cinfo->num_components; ++c)
      blocks = std::max(blocks, double(cinfo->comp_info[c].width_in_blocks) * cinfo->comp_info[c].height_in_blocks);
    if (blocks > 8.0 * double(r->in->length)) {
      r->refusal = r->in->name + ": the JPEG says " + std::to_string(cinfo->image_width) + " x " +
                   std::to_string(cinfo->image_height) + " pixels, more than its " + std::to_string(r->in->length) +
                   " bytes can hold";
      return false;
    }
  }
  // The decoder's own buffers (a progressive file keeps every coefficient
  // of the image) share the budget with the image.
  if (r->options->decoderMemory > 0) {
    r->memoryLimit = std::max<int64_t>(r->options->decoderMemory - DecodedBytes(header), int64_t(16) << 20);
    cinfo->mem->max_memory_to_use = long(r->memoryLimit);
  }
  jpeg_start_decompress(cinfo);
  SizeImage(header, &r->image);
  const size_t rowBytes = size_t(RowBytes(r->image));
  while (cinfo->output_scanline < cinfo->output_height) {
    if (StopAsked(*r->options)) {
      reinterpret_cast<JpegErrorManager*>(cinfo->err)->stopped = true;
      return false;
    }
    JSAMPROW row = r->image.pixels.data() + rowBytes * cinfo->output_scanline;
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

// --- writing ---------------------------------------------------------------------

struct JpegSink {
  jpeg_destination_mgr base;
  OutputSink* sink;
  JOCTET buffer[65536];
};

void JpegInitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<JpegSink*>(cinfo->dest);
  dest->base.next_output_byte = dest->buffer;
  dest->base.free_in_buffer = sizeof dest->buffer;
}

boolean JpegEmptyBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<JpegSink*>(cinfo->dest);
  if (!SinkWrite(dest->sink, dest->buffer, sizeof dest->buffer)) ERREXIT(cinfo, JERR_FILE_WRITE);
  dest->base.next_output_byte = dest->buffer;
  dest->base.free_in_buffer = sizeof dest->buffer;
  return TRUE;
}

void JpegTermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<JpegSink*>(cinfo->dest);
  const size_t count = sizeof dest->buffer - dest->base.free_in_buffer;
  if (count > 0 && !SinkWrite(dest->sink, dest->buffer, count)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

struct JpegWrite {
  const ImageFile* image = nullptr;
  const WriteOptions* options = nullptr;
  PixelBytes converted;  // a row at 8 bits
  PixelBytes row;        // its colour channels
  JpegSink dest{};
};

bool JpegWriteSteps(jpeg_compress_struct* cinfo, JpegWrite* w) {
  const ImageFile& image = *w->image;
  const int colourChannels = image.channels >= 3 ? 3 : 1;
  cinfo->dest = &w->dest.base;
  w->dest.base.init_destination = JpegInitDestination;
  w->dest.base.empty_output_buffer = JpegEmptyBuffer;
  w->dest.base.term_destination = JpegTermDestination;
  cinfo->image_width = JDIMENSION(image.width);
  cinfo->image_height = JDIMENSION(image.height);
  cinfo->input_components = colourChannels;
  cinfo->in_color_space = colourChannels == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, 92, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  // JPEG holds 8-bit grey or RGB: each row loses its depth and its alpha.
  for (int32_t y = 0; y < image.height; ++y) {
    if (StopAsked(*w->options)) return false;
    ConvertRowDepth(image, y, 8, w->converted.data());
    const uint8_t* src = w->converted.data();
    for (int32_t x = 0; x < image.width; ++x)
      for (int c = 0; c < colourChannels; ++c)
        w->row[size_t(x) * size_t(colourChannels) + size_t(c)] = src[size_t(x) * size_t(image.channels) + size_t(c)];
    JSAMPROW rowPointer = w->row.data();
    jpeg_write_scanlines(cinfo, &rowPointer, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

IoResult ReadJpeg(const InputStream& in, const ReadOptions& options, ImageFile* out, std::string* error) {
  JpegRead r;
  r.in = &in;
  r.options = &options;
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  cinfo.err = jpeg_std_error(&jerr.base);
  jerr.base.error_exit = JpegErrorExit;
  jerr.base.emit_message = JpegMessage;
  jerr.stopped = false;
  jerr.message[0] = 0;
  JpegProgress progress;
  progress.base.progress_monitor = JpegProgressHook;
  progress.options = &options;
  if (setjmp(jerr.jump)) {
    const int code = jerr.base.msg_code;
    jpeg_destroy_decompress(&cinfo);
    if (jerr.stopped) return IoResult::Stopped;
    if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY) {
      *error = in.name + ": the JPEG decoder needs more than its share of the memory budget (" +
               ByteSizeText(r.memoryLimit) + ")";
    } else {
      *error = in.name + ": bad JPEG: " + jerr.message;
    }
    return IoResult::Failed;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.progress = &progress.base;
  const bool done = JpegReadSteps(&cinfo, &r);
  jpeg_destroy_decompress(&cinfo);
  if (jerr.stopped) return IoResult::Stopped;
  if (!done) {
    *error = r.refusal;
    return IoResult::Failed;
  }
  *out = std::move(r.image);
  return IoResult::Ok;
}

IoResult WriteJpeg(OutputSink* sink, const ImageFile& image, const WriteOptions& options, const std::string& name,
                   std::string* error) {
  JpegWrite w;
  w.image = &image;
  w.options = &options;
  w.dest.sink = sink;
  w.converted.resize(size_t(image.width) * size_t(image.channels));
  w.row.resize(size_t(image.width) * 3);
  jpeg_compress_struct cinfo;
  JpegErrorManager jerr;
  cinfo.err = jpeg_std_error(&jerr.base);
  jerr.base.error_exit = JpegErrorExit;
  jerr.base.emit_message = JpegSilence;
  jerr.stopped = false;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_compress(&cinfo);
    *error = WriteFailure(name, sink->error, std::string("JPEG writer: ") + jerr.message);
    return IoResult::Failed;
  }
  jpeg_create_compress(&cinfo);
  const bool done = JpegWriteSteps(&cinfo, &w);
  jpeg_destroy_compress(&cinfo);
  return done ? IoResult::Ok : IoResult::Stopped;
}
