#include "settings/jpeg_memory.h"

#include <cstring>

const char kMakerWebAddress[] = "https://orbalix.example/";

#if defined(ORBALIX_HAVE_JPEG)

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include <jerror.h>
#include <jpeglib.h>

// The library is C and reports a fatal error by calling error_exit, which
// must not return. Ours jumps back to the codec call that armed it; the frames
// in between are the library's and our plain callbacks below, none of which
// owns anything that needs destroying, and no C++ exception ever enters the
// library. Every local variable changed between setjmp and a jump is kept
// outside the arming frame or is volatile.

namespace {

constexpr int32_t kStagingBytes = 4096;

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf unwind;
  int32_t code;  // the message code of the stop
};

void JpegErrorExit(j_common_ptr codec) {
  JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(codec->err);
  err->code = codec->err->msg_code;
  std::longjmp(err->unwind, 1);
}

void JpegOutputMessage(j_common_ptr) {}

void JpegResetErrorManager(j_common_ptr codec) {
  codec->err->msg_code = 0;
  codec->err->num_warnings = 0;
}

void JpegEmitMessage(j_common_ptr codec, int level) {
  if (level < 0) ++codec->err->num_warnings;  // never printed
}

void InitErrorManager(JpegErrorManager* err) {
  std::memset(err, 0, sizeof *err);
  jpeg_std_error(&err->pub);  // message tables only; the callbacks are ours
  err->pub.error_exit = JpegErrorExit;
  err->pub.output_message = JpegOutputMessage;
  err->pub.emit_message = JpegEmitMessage;
  err->pub.reset_error_mgr = JpegResetErrorManager;
}

// Raises one of our own codec errors; does not return.
[[noreturn]] void RaiseCodecError(j_common_ptr codec, int32_t code) {
  codec->err->msg_code = code;
  (*codec->err->error_exit)(codec);
  std::abort();  // error_exit never returns
}

// --- destination: the caller's block -------------------------------------------

struct JpegBlockDestination {
  jpeg_destination_mgr pub;
  uint8_t* block;
  int32_t capacity;
  int32_t written;
  JOCTET* staging;
};

void AppendStaged(j_compress_ptr codec, int32_t count) {
  JpegBlockDestination* dest = reinterpret_cast<JpegBlockDestination*>(codec->dest);
  if (count > dest->capacity - dest->written) RaiseCodecError(reinterpret_cast<j_common_ptr>(codec), kJpegErrorDestinationFull);
  std::memcpy(dest->block + dest->written, dest->staging, size_t(count));
  dest->written += count;
}

void InitBlockDestination(j_compress_ptr codec) {
  JpegBlockDestination* dest = reinterpret_cast<JpegBlockDestination*>(codec->dest);
  dest->staging = static_cast<JOCTET*>(
      (*codec->mem->alloc_small)(reinterpret_cast<j_common_ptr>(codec), JPOOL_IMAGE, kStagingBytes));
  dest->pub.next_output_byte = dest->staging;
  dest->pub.free_in_buffer = kStagingBytes;
}

boolean EmptyBlockDestination(j_compress_ptr codec) {
  JpegBlockDestination* dest = reinterpret_cast<JpegBlockDestination*>(codec->dest);
  AppendStaged(codec, kStagingBytes);
  dest->pub.next_output_byte = dest->staging;
  dest->pub.free_in_buffer = kStagingBytes;
  return TRUE;
}

void TermBlockDestination(j_compress_ptr codec) {
  JpegBlockDestination* dest = reinterpret_cast<JpegBlockDestination*>(codec->dest);
  int32_t used = kStagingBytes - int32_t(dest->pub.free_in_buffer);
  if (used > 0) AppendStaged(codec, used);
}

void SetJpegBlockDestination(j_compress_ptr codec, uint8_t* block, int32_t capacity) {
  if (codec->dest == nullptr) {
    codec->dest = static_cast<jpeg_destination_mgr*>((*codec->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(codec), JPOOL_PERMANENT, sizeof(JpegBlockDestination)));
  }
  JpegBlockDestination* dest = reinterpret_cast<JpegBlockDestination*>(codec->dest);
  dest->pub.init_destination = InitBlockDestination;
  dest->pub.empty_output_buffer = EmptyBlockDestination;
  dest->pub.term_destination = TermBlockDestination;
  dest->block = block;
  dest->capacity = capacity;
  dest->written = 0;
  dest->staging = nullptr;
}

int32_t JpegBlockBytesWritten(j_compress_ptr codec) {
  return reinterpret_cast<JpegBlockDestination*>(codec->dest)->written;
}

// --- source: the caller's block -------------------------------------------------
// Serves the block's bytes in pieces of up to 4096; asking for more once the
// block is used up is an error, so a cut stream stops the decoder.

struct JpegBlockSource {
  jpeg_source_mgr pub;
  const uint8_t* block;
  int32_t size;
  int32_t consumed;
  JOCTET* staging;
  bool startOfFile;
};

void InitBlockSource(j_decompress_ptr codec) {
  JpegBlockSource* src = reinterpret_cast<JpegBlockSource*>(codec->src);
  src->startOfFile = true;
  src->pub.next_input_byte = nullptr;
  src->pub.bytes_in_buffer = 0;
}

boolean FillBlockSource(j_decompress_ptr codec) {
  JpegBlockSource* src = reinterpret_cast<JpegBlockSource*>(codec->src);
  int32_t remaining = src->size - src->consumed;
  if (remaining <= 0) RaiseCodecError(reinterpret_cast<j_common_ptr>(codec), kJpegErrorSourceExhausted);
  int32_t piece = remaining < kStagingBytes ? remaining : kStagingBytes;
  std::memcpy(src->staging, src->block + src->consumed, size_t(piece));
  src->consumed += piece;
  src->pub.next_input_byte = src->staging;
  src->pub.bytes_in_buffer = size_t(piece);
  src->startOfFile = false;
  return TRUE;
}

void SkipBlockSource(j_decompress_ptr codec, long count) {
  JpegBlockSource* src = reinterpret_cast<JpegBlockSource*>(codec->src);
  if (count < 1) return;
  size_t n = size_t(count);
  while (n > src->pub.bytes_in_buffer) {
    n -= src->pub.bytes_in_buffer;
    src->pub.bytes_in_buffer = 0;
    FillBlockSource(codec);
  }
  src->pub.next_input_byte += n;
  src->pub.bytes_in_buffer -= n;
}

void TermBlockSource(j_decompress_ptr) {}

void SetJpegBlockSource(j_decompress_ptr codec, const uint8_t* block, int32_t size) {
  if (codec->src == nullptr) {
    codec->src = static_cast<jpeg_source_mgr*>((*codec->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(codec), JPOOL_PERMANENT, sizeof(JpegBlockSource)));
  }
  JpegBlockSource* src = reinterpret_cast<JpegBlockSource*>(codec->src);
  src->pub.init_source = InitBlockSource;
  src->pub.fill_input_buffer = FillBlockSource;
  src->pub.skip_input_data = SkipBlockSource;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = TermBlockSource;
  src->pub.next_input_byte = nullptr;
  src->pub.bytes_in_buffer = 0;
  src->block = block;
  src->size = size;
  src->consumed = 0;
  src->staging = static_cast<JOCTET*>(
      (*codec->mem->alloc_small)(reinterpret_cast<j_common_ptr>(codec), JPOOL_PERMANENT, kStagingBytes));
  src->startOfFile = true;
}

// --- markers after the start of the image -----------------------------------------

struct JpegExtras {
  uint32_t iccSize;
  const uint8_t* iccData;
  const JpegMarkerBlock* iptc;
  const JpegMarkerBlock* exif;
};

constexpr uint32_t kIccChunkBytes = 65519;  // 65533 marker bytes less the 14-byte chunk header

void WriteJpegIccProfile(j_compress_ptr codec, const uint8_t* data, uint32_t size) {
  if (size == 0 || data == nullptr) return;
  uint32_t count = (size + kIccChunkBytes - 1) / kIccChunkBytes;
  if (count > 255) return;  // the profile does not fit the chunk numbering
  for (uint32_t k = 1; k <= count; ++k) {
    uint32_t offset = (k - 1) * kIccChunkBytes;
    uint32_t chunk = size - offset < kIccChunkBytes ? size - offset : kIccChunkBytes;
    jpeg_write_m_header(codec, JPEG_APP0 + 2, chunk + 14);
    const char* tag = "ICC_PROFILE";
    for (int c = 0; c < 12; ++c) jpeg_write_m_byte(codec, tag[c]);  // the text and its zero byte
    jpeg_write_m_byte(codec, int(k));
    jpeg_write_m_byte(codec, int(count));
    for (uint32_t b = 0; b < chunk; ++b) jpeg_write_m_byte(codec, data[offset + b]);
  }
}

void WriteBlockMarker(j_compress_ptr codec, int marker, const JpegMarkerBlock* block) {
  if (block == nullptr || block->data == nullptr || block->size == 0 || block->size > 65533) return;
  jpeg_write_marker(codec, marker, block->data, block->size);
}

// The segments that follow the library's SOI and JFIF/Adobe segments, which
// jpeg_start_compress has written by the time this runs.
void WriteJpegFileHeader(j_compress_ptr codec, const JpegExtras* extras) {
  jpeg_write_marker(codec, JPEG_COM, reinterpret_cast<const JOCTET*>(kMakerWebAddress),
                    unsigned(std::strlen(kMakerWebAddress) + 1));
  WriteBlockMarker(codec, JPEG_APP0 + 1, extras->exif);
  WriteJpegIccProfile(codec, extras->iccData, extras->iccSize);
  WriteBlockMarker(codec, JPEG_APP0 + 13, extras->iptc);
}

// The compression proper, armed for the error exit by the caller.
void CompressRows(j_compress_ptr codec, const JpegRowReader* reader, int32_t quality, bool standardTables,
                  const JpegExtras* extras, int32_t streamWidth, int32_t streamHeight) {
  codec->image_width = JDIMENSION(streamWidth);
  codec->image_height = JDIMENSION(streamHeight);
  codec->input_components = 3;
  codec->in_color_space = JCS_RGB;
  codec->data_precision = 8;
  jpeg_set_defaults(codec);
  if (standardTables) {
    jpeg_set_quality(codec, quality, FALSE);
  } else {
    codec->optimize_coding = TRUE;
    int32_t level = quality / 10;
    codec->comp_info[0].h_samp_factor = level <= 4 ? 2 : 1;
    codec->comp_info[0].v_samp_factor = level <= 4 ? 2 : 1;
    for (int c = 1; c < codec->num_components; ++c) {
      codec->comp_info[c].h_samp_factor = 1;
      codec->comp_info[c].v_samp_factor = 1;
    }
    unsigned int table[64];
    uint32_t values[64];
    JpegQuantTable(level, false, values);
    for (int k = 0; k < 64; ++k) table[k] = values[k];
    jpeg_add_quant_table(codec, 0, table, 100, FALSE);
    JpegQuantTable(level, true, values);
    for (int k = 0; k < 64; ++k) table[k] = values[k];
    jpeg_add_quant_table(codec, 1, table, 100, FALSE);
  }
  jpeg_start_compress(codec, TRUE);
  WriteJpegFileHeader(codec, extras);
  JSAMPROW row = static_cast<JSAMPROW>((*codec->mem->alloc_small)(reinterpret_cast<j_common_ptr>(codec),
                                                                  JPOOL_IMAGE, size_t(streamWidth) * 3));
  for (int32_t y = 0; y < streamHeight; ++y) {
    reader->readRow(reader->source, y, streamWidth, row);
    jpeg_write_scanlines(codec, &row, 1);
  }
  jpeg_finish_compress(codec);
}

// The decompression proper, armed for the error exit by the caller. Answers
// kJpegOk or kJpegRefused.
int16_t DecompressRows(j_decompress_ptr codec, const JpegRowWriter* writer) {
  if (jpeg_read_header(codec, TRUE) != JPEG_HEADER_OK) return kJpegRefused;
  if (int64_t(codec->image_width) > writer->maxWidth || int64_t(codec->image_height) > writer->maxHeight) {
    return kJpegRefused;  // would not fit the picture it is read for
  }
  if (codec->num_components == 3) {
    codec->out_color_space = JCS_RGB;
  } else if (codec->num_components != 1) {
    return kJpegRefused;
  }
  jpeg_start_decompress(codec);
  int components = codec->output_components;
  int32_t width = int32_t(codec->output_width);
  JSAMPROW row = static_cast<JSAMPROW>((*codec->mem->alloc_small)(reinterpret_cast<j_common_ptr>(codec),
                                                                  JPOOL_IMAGE, size_t(width) * size_t(components)));
  while (codec->output_scanline < codec->output_height) {
    int32_t y = int32_t(codec->output_scanline);
    jpeg_read_scanlines(codec, &row, 1);
    writer->writeRow(writer->target, y, row, width, components);
  }
  jpeg_finish_decompress(codec);
  return kJpegOk;
}

struct CompressJob {
  const JpegRowReader* reader;
  uint8_t* block;
  int32_t capacity;
  int32_t quality;
  bool standardTables;
  int32_t streamWidth;
  int32_t streamHeight;
  JpegExtras extras;
  int32_t byteCount;
  int32_t codecError;
};

// The frame that arms the error exit holds nothing but these two pointers,
// so nothing here can be clobbered by the jump.
int16_t ArmedCompress(CompressJob* job, jpeg_compress_struct* codec) {
  JpegErrorManager err;
  InitErrorManager(&err);
  codec->err = &err.pub;
  if (setjmp(err.unwind) != 0) {
    jpeg_destroy_compress(codec);
    job->codecError = err.code;
    return kJpegCodecError;
  }
  jpeg_create_compress(codec);
  SetJpegBlockDestination(codec, job->block, job->capacity);
  CompressRows(codec, job->reader, job->quality, job->standardTables, &job->extras, job->streamWidth,
               job->streamHeight);
  job->byteCount = JpegBlockBytesWritten(codec);
  jpeg_destroy_compress(codec);
  return kJpegOk;
}

struct DecompressJob {
  const JpegRowWriter* writer;
  const uint8_t* block;
  int32_t size;
  int32_t codecError;
};

int16_t ArmedDecompress(DecompressJob* job, jpeg_decompress_struct* codec) {
  JpegErrorManager err;
  InitErrorManager(&err);
  codec->err = &err.pub;
  if (setjmp(err.unwind) != 0) {
    jpeg_destroy_decompress(codec);
    job->codecError = err.code;
    return kJpegCodecError;
  }
  jpeg_create_decompress(codec);
  SetJpegBlockSource(codec, job->block, job->size);
  int16_t result = DecompressRows(codec, job->writer);
  jpeg_destroy_decompress(codec);
  return result;
}

}  // namespace

bool JpegCodecAvailable() { return true; }

int16_t EncodeJpegRows(const JpegRowReader* reader, int32_t width, int32_t height, uint8_t* block, int32_t capacity,
                       int32_t quality, bool standardTables, int32_t* byteCountOut, uint32_t iccSize,
                       const uint8_t* iccData, const JpegMarkerBlock* iptc, const JpegMarkerBlock* exif,
                       int32_t* codecErrorOut) {
  if (codecErrorOut != nullptr) *codecErrorOut = 0;
  if (reader == nullptr || width < 1 || height < 1 || width > 65500 || height > 65500 || block == nullptr ||
      capacity < 0) {
    return kJpegBadImage;
  }
  if (quality < 0) quality = 0;
  if (quality > 99) quality = 99;
  CompressJob job = {};
  job.reader = reader;
  job.block = block;
  job.capacity = capacity;
  job.quality = quality;
  job.standardTables = standardTables;
  job.streamWidth = width < 16 ? 16 : width;
  job.streamHeight = height < 16 ? 16 : height;
  job.extras = {iccData != nullptr ? iccSize : 0, iccData, iptc, exif};
  static_assert(std::is_trivially_destructible_v<jpeg_compress_struct>);
  jpeg_compress_struct codec;
  std::memset(&codec, 0, sizeof codec);
  int16_t result = ArmedCompress(&job, &codec);
  if (result == kJpegOk && byteCountOut != nullptr) *byteCountOut = job.byteCount;
  if (codecErrorOut != nullptr) *codecErrorOut = job.codecError;
  return result;
}

int16_t DecodeJpegRows(const JpegRowWriter* writer, const uint8_t* block, int32_t size, int32_t* codecErrorOut) {
  if (codecErrorOut != nullptr) *codecErrorOut = 0;
  if (writer == nullptr || writer->maxWidth < 1 || writer->maxHeight < 1) return kJpegBadImage;
  if (block == nullptr || size <= 0) return kJpegRefused;
  DecompressJob job = {writer, block, size, 0};
  jpeg_decompress_struct codec;
  std::memset(&codec, 0, sizeof codec);
  int16_t result = ArmedDecompress(&job, &codec);
  if (codecErrorOut != nullptr) *codecErrorOut = job.codecError;
  return result;
}

#else  // no JPEG library in this build: nothing is encoded or decoded

bool JpegCodecAvailable() { return false; }

int16_t EncodeJpegRows(const JpegRowReader*, int32_t, int32_t, uint8_t*, int32_t, int32_t, bool, int32_t*, uint32_t,
                       const uint8_t*, const JpegMarkerBlock*, const JpegMarkerBlock*, int32_t* codecErrorOut) {
  if (codecErrorOut != nullptr) *codecErrorOut = 0;
  return kJpegNoCodec;
}

int16_t DecodeJpegRows(const JpegRowWriter*, const uint8_t*, int32_t, int32_t* codecErrorOut) {
  if (codecErrorOut != nullptr) *codecErrorOut = 0;
  return kJpegNoCodec;
}

#endif

// --- 8-bit rasters ---------------------------------------------------------------

namespace {

bool RasterUsable(const PixelRaster* image) {
  return image != nullptr && image->pixels != nullptr && image->width > 0 && image->height > 0 &&
         image->width <= 65500 && image->height <= 65500 && (image->channels == 1 || image->channels == 4);
}

// Row y of the stream; columns and rows past the raster repeat its last ones.
void ReadRasterRow(const void* source, int32_t y, int32_t width, uint8_t* rgb) {
  const PixelRaster* image = static_cast<const PixelRaster*>(source);
  if (y >= image->height) y = image->height - 1;
  const uint8_t* line = image->pixels + size_t(y) * size_t(image->width) * size_t(image->channels);
  for (int32_t x = 0; x < width; ++x) {
    const uint8_t* p = line + size_t(x < image->width ? x : image->width - 1) * size_t(image->channels);
    rgb[x * 3 + 0] = p[0];
    rgb[x * 3 + 1] = image->channels == 1 ? p[0] : p[1];
    rgb[x * 3 + 2] = image->channels == 1 ? p[0] : p[2];
  }
}

void WriteRasterRow(void* target, int32_t y, const uint8_t* row, int32_t width, int32_t components) {
  PixelRaster* image = static_cast<PixelRaster*>(target);
  if (y >= image->height) return;
  int32_t n = width < image->width ? width : image->width;
  uint8_t* out = image->pixels + size_t(y) * size_t(image->width) * size_t(image->channels);
  for (int32_t x = 0; x < n; ++x) {
    const uint8_t* p = row + x * components;
    uint8_t r = p[0], g = components == 3 ? p[1] : p[0], b = components == 3 ? p[2] : p[0];
    if (image->channels == 4) {
      out[x * 4 + 0] = r;
      out[x * 4 + 1] = g;
      out[x * 4 + 2] = b;
      out[x * 4 + 3] = 255;
    } else {
      out[x] = components == 3 ? uint8_t((77 * r + 150 * g + 28 * b) >> 8) : r;
    }
  }
}

}  // namespace

int16_t EncodeJpegToBlock(const PixelRaster* image, uint8_t* block, int32_t capacity, int32_t quality,
                          bool standardTables, int32_t* byteCountOut, uint32_t iccSize, const uint8_t* iccData,
                          const JpegMarkerBlock* iptc, const JpegMarkerBlock* exif, int32_t* codecErrorOut) {
  if (codecErrorOut != nullptr) *codecErrorOut = 0;
  if (!RasterUsable(image)) return kJpegBadImage;
  JpegRowReader reader = {ReadRasterRow, image};
  return EncodeJpegRows(&reader, image->width, image->height, block, capacity, quality, standardTables,
                        byteCountOut, iccSize, iccData, iptc, exif, codecErrorOut);
}

int16_t DecodeJpegBlock(PixelRaster* image, const uint8_t* block, int32_t size, int32_t* codecErrorOut) {
  if (codecErrorOut != nullptr) *codecErrorOut = 0;
  if (!RasterUsable(image)) return kJpegBadImage;
  JpegRowWriter writer = {WriteRasterRow, image, image->width, image->height};
  return DecodeJpegRows(&writer, block, size, codecErrorOut);
}
