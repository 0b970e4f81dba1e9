// The metadata blocks that exported pictures carry: a small EXIF block (the
// creating software) and an IPTC-NAA block (creation date, caption, source
// and search keywords). The PSD writer puts them into image resources 1058
// and 1028; SaveImageAsJpegFile puts them into the JPEG's application markers
// with their "Exif" and "Photoshop 3.0" headers.
//
// Every block is built in two passes: a measuring pass answers its byte
// count, and the writing build allocates exactly that many bytes and fills
// them, so a block can never run past its buffer.
#pragma once

#include <cstdint>

#include "settings/file_primitives.h"

struct ExportPlan;
struct GlobalsRecord;
struct ImageRecord;

// A byte stream built in two passes: measured, then written into its buffer.
struct MetadataStream {
  uint32_t byteCount;      // bytes written so far
  uint8_t* buffer;         // the block's bytes once built; owned by the stream
  uint8_t* writePosition;  // next byte to write; null while measuring
  uint32_t capacity;       // bytes of the buffer
};

constexpr int32_t kIptcKeywordSlots = 21;
constexpr int32_t kIptcKeywordBytes = 50;
constexpr int32_t kIptcMaxKeywords = 19;

struct IptcBlock {
  MetadataStream stream;
  char keywords[kIptcKeywordSlots][kIptcKeywordBytes];
  int32_t keywordCount;
};

// Put operations. With `measure` nothing is written and the byte count of
// the value is answered; without it the bytes are stored when the stream has
// a write position and room for all of them (answering their count), else
// nothing is stored and 0 is answered.
uint32_t PutMetadataByte(MetadataStream* stream, uint8_t value, bool measure);
uint32_t PutMetadataU16(MetadataStream* stream, uint16_t value, bool measure);  // high byte first
uint32_t PutMetadataCString(MetadataStream* stream, const char* text, bool measure);  // with its zero byte
// Tag byte 0x1C, record, dataset, u16 length, data: length + 5 bytes. Data
// longer than 32767 bytes is refused (answers 0).
uint32_t PutIptcDataset(MetadataStream* stream, uint8_t record, uint8_t dataset, const void* data, uint32_t length,
                        bool measure);

void InitExifBlock(MetadataStream* stream);
void FreeExifBlock(MetadataStream* stream);
// The EXIF block, with or without its "Exif" header: 36 or 42 bytes. The
// writing build of a block that is already built answers 0 and changes
// nothing; without memory the block stays empty and 0 is answered.
// Afterwards stream->buffer holds stream->byteCount bytes.
uint32_t BuildExifBlock(MetadataStream* stream, bool withHeader, bool measure);

void InitIptcBlock(IptcBlock* block);
void FreeIptcBlock(IptcBlock* block);
// Adds one keyword. Ignored when the text is missing or empty, when 19
// keywords are held, when it is longer than 49 characters, or when a held
// keyword begins with it (ASCII case ignored).
void AddIptcKeyword(IptcBlock* block, const char* text);
// The IPTC-NAA record-2 datasets: version, source, date, caption, the
// product keyword and the held keywords, padded to an even length.
uint32_t WriteIptcRecords(IptcBlock* block, bool measure);
// The image-resource form of the records (without the "Photoshop 3.0"
// header it is the whole resource 1028: signature, id, name, size, records).
uint32_t BuildPhotoshopIptcBlock(IptcBlock* block, bool withHeader, bool measure);
void AddDocumentKeywords(IptcBlock* block, const ExportPlan* plan, int32_t kind);
void AddSettingsKeywords(IptcBlock* block, GlobalsRecord* globals);

// The current UTC time as 32-bit values.
void GetUtcDateParts(int32_t* year, int32_t* month, int32_t* day, int32_t* hour);
void GetDateTimeParts(int32_t* year, int32_t* month, int32_t* day, int32_t* hour, int32_t* minute,
                      int32_t* second);

// The largest JPEG picture written: a side of at most 32767 pixels and at
// most this many pixels in all (the encoded stream is built in memory).
constexpr int32_t kJpegMaxSide = 32767;
constexpr int64_t kJpegMaxPixels = int64_t(16384) * 16384;

// Writes level 0 of `image` into `file` as a JPEG of quality 80 with both
// blocks (the keywords of `kind`: -1 memory-dot pictures, 5 preset
// thumbnails, else an export kind) and the host's colour profile when the
// host offers one (`globals` may be null: no profile). With `close` the file
// is cut at its end and closed. Answers 0; kExportJpegTooLarge (106) for a
// picture beyond the limits above, kExportNoMemory (-99) when the stream
// cannot be built, 1 without pixels, or the file's write error.
int16_t SaveImageAsJpegFile(GlobalsRecord* globals, const ImageRecord* image, FileHandle file, int32_t kind,
                            bool close);
// The same for an 8-bit raster (the thumbnails of settings files); the file
// stays open.
struct PixelRaster;
int16_t SaveRasterAsJpegFile(GlobalsRecord* globals, const PixelRaster* raster, FileHandle file, int32_t kind);
