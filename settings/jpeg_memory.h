// Baseline JFIF streams made and read in memory: our own error manager (it
// never prints and unwinds with longjmp), a destination that writes into a
// caller's block, a source that reads from one, our own quantisation tables
// and sampling, and the markers written after the start of the image (a
// comment with our web address, EXIF, an ICC profile, Photoshop IPTC).
#pragma once

#include <cstdint>

// An 8-bit raster: `channels` 1 (grey) or 4 (red, green, blue, alpha bytes),
// rows of width * channels bytes without padding.
struct PixelRaster {
  int32_t width;
  int32_t height;
  int32_t channels;
  uint8_t* pixels;
};

// A metadata block that goes into the stream as it stands (EXIF, IPTC).
struct JpegMarkerBlock {
  const uint8_t* data;
  uint32_t size;
};

// Results of the codec.
constexpr int16_t kJpegOk = 0;
constexpr int16_t kJpegBadImage = 1;    // null raster, no pixels or unusable size
constexpr int16_t kJpegCodecError = 2;  // the library stopped; see codecErrorOut
constexpr int16_t kJpegNoCodec = 3;     // built without a JPEG library
constexpr int16_t kJpegRefused = 4;     // a stream this reader does not take (size, colours)

// Our own codec error codes (the library's message code of a stop we raise).
constexpr int32_t kJpegErrorSourceExhausted = 35;
constexpr int32_t kJpegErrorDestinationFull = 36;

// Where the encoder takes its rows from: `readRow` fills `rgb` with `width`
// pixels (red, green, blue bytes) of stream row y.
struct JpegRowReader {
  void (*readRow)(const void* source, int32_t y, int32_t width, uint8_t* rgb);
  const void* source;
};

// Where the decoder puts its rows: `writeRow` gets row y of `width` pixels of
// `components` (1 or 3) bytes. Streams larger than maxWidth x maxHeight are
// refused before anything is decoded.
struct JpegRowWriter {
  void (*writeRow)(void* target, int32_t y, const uint8_t* row, int32_t width, int32_t components);
  void* target;
  int32_t maxWidth;
  int32_t maxHeight;
};

// The address our streams carry in their comment segment.
extern const char kMakerWebAddress[];

// True when this build has a JPEG codec.
bool JpegCodecAvailable();

// Encodes `image` as a stream of max(width, 16) x max(height, 16) pixels (the
// extra columns and rows repeat the last ones) into `block`. Quality is
// clamped to 0..99; `standardTables` uses the library's quality scaling, else
// our own tables for the quality's level. `iccData` may be null; `exif` and
// `iptc` may be null. On success *byteCountOut holds the stream's length.
int16_t EncodeJpegToBlock(const PixelRaster* image, uint8_t* block, int32_t capacity, int32_t quality,
                          bool standardTables, int32_t* byteCountOut, uint32_t iccSize, const uint8_t* iccData,
                          const JpegMarkerBlock* iptc, const JpegMarkerBlock* exif, int32_t* codecErrorOut = nullptr);

// The same from any row source, for a picture of width x height.
int16_t EncodeJpegRows(const JpegRowReader* reader, int32_t width, int32_t height, uint8_t* block, int32_t capacity,
                       int32_t quality, bool standardTables, int32_t* byteCountOut, uint32_t iccSize,
                       const uint8_t* iccData, const JpegMarkerBlock* iptc, const JpegMarkerBlock* exif,
                       int32_t* codecErrorOut = nullptr);

// Decodes the `size` bytes of `block` into `image`. A stream wider or taller
// than the raster is refused; a smaller one fills its own part of it. Streams
// of other than one or three colour components are refused.
int16_t DecodeJpegBlock(PixelRaster* image, const uint8_t* block, int32_t size, int32_t* codecErrorOut = nullptr);
// The same into any row target.
int16_t DecodeJpegRows(const JpegRowWriter* writer, const uint8_t* block, int32_t size,
                       int32_t* codecErrorOut = nullptr);

// Our quantisation table of `level` 0..9 (luminance or chrominance), 64
// values in natural (row-major) order.
void JpegQuantTable(int32_t level, bool chrominance, uint32_t table[64]);
