#include "export/metadata_blocks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "export/export_files.h"
#include "export/export_plan.h"
#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/parameter_block.h"
#include "host/text_utils.h"
#include "image/image_record.h"
#include "platform/shell_os.h"
#include "projection/names.h"
#include "settings/jpeg_image.h"
#include "settings/jpeg_memory.h"

namespace {

constexpr char kProductName[] = "Orbalix 2";
constexpr char kCaption[] = "Made with Orbalix 2";
constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr char kPhotoshopHeader[] = "Photoshop 3.0";  // 14 bytes with its zero byte
constexpr uint32_t kExifBodyBytes = 36;
constexpr uint32_t kMaxIptcData = 32767;

uint32_t PutBytes(MetadataStream* stream, const void* data, uint32_t count, bool measure) {
  if (measure) return count;
  if (stream->writePosition == nullptr || stream->buffer == nullptr) return 0;
  const uint32_t used = uint32_t(stream->writePosition - stream->buffer);
  if (count > stream->capacity - used) return 0;  // a build never runs past its buffer
  if (count > 0) std::memcpy(stream->writePosition, data, count);
  stream->writePosition += count;
  stream->byteCount += count;
  return count;
}

uint32_t PutU32(MetadataStream* stream, uint32_t value, bool measure) {
  const uint8_t bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
  return PutBytes(stream, bytes, 4, measure);
}

// The writing build: a buffer of exactly `size` bytes. False when the block
// is built already, has nothing to hold, or there is no memory.
bool StartBuild(MetadataStream* stream, uint32_t size) {
  if (stream->buffer != nullptr || size == 0) return false;
  stream->buffer = static_cast<uint8_t*>(std::malloc(size));
  if (stream->buffer == nullptr) return false;
  stream->capacity = size;
  stream->byteCount = 0;
  stream->writePosition = stream->buffer;
  return true;
}

// A build that did not fill its measured size leaves the block empty.
uint32_t EndBuild(MetadataStream* stream, uint32_t size) {
  stream->writePosition = nullptr;
  if (stream->byteCount == size) return size;
  std::free(stream->buffer);
  stream->buffer = nullptr;
  stream->byteCount = 0;
  stream->capacity = 0;
  return 0;
}

uint32_t ExifBody(MetadataStream* stream, bool withHeader, bool measure) {
  uint32_t n = 0;
  if (withHeader) n += PutBytes(stream, kExifHeader, 6, measure);
  n += PutBytes(stream, "MM", 2, measure);
  n += PutMetadataU16(stream, 42, measure);
  n += PutU32(stream, 8, measure);
  n += PutMetadataU16(stream, 1, measure);        // one directory entry
  n += PutMetadataU16(stream, 0x0131, measure);   // Software
  n += PutMetadataU16(stream, 2, measure);        // ASCII
  n += PutU32(stream, sizeof kProductName, measure);
  n += PutU32(stream, 26, measure);               // where the text starts
  n += PutU32(stream, 0, measure);                // no next directory
  n += PutMetadataCString(stream, kProductName, measure);
  return n;
}

uint32_t PutIptcText(MetadataStream* stream, uint8_t dataset, const char* text, bool measure) {
  return PutIptcDataset(stream, 2, dataset, text, uint32_t(std::strlen(text)), measure);
}

uint32_t PhotoshopForm(IptcBlock* block, bool withHeader, uint32_t records, bool measure) {
  MetadataStream* stream = &block->stream;
  uint32_t n = 0;
  if (withHeader) n += PutBytes(stream, kPhotoshopHeader, sizeof kPhotoshopHeader, measure);
  n += PutBytes(stream, "8BIM", 4, measure);
  n += PutMetadataU16(stream, 1028, measure);
  n += PutMetadataU16(stream, 0, measure);  // empty name, padded
  n += PutU32(stream, records, measure);
  n += WriteIptcRecords(block, measure);
  return n;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != 0; ++text, ++prefix) {
    if (*text == 0) return false;
    if (LowerAscii(*text) != LowerAscii(*prefix)) return false;
  }
  return true;
}

}  // namespace

uint32_t PutMetadataByte(MetadataStream* stream, uint8_t value, bool measure) {
  return PutBytes(stream, &value, 1, measure);
}

uint32_t PutMetadataU16(MetadataStream* stream, uint16_t value, bool measure) {
  const uint8_t bytes[2] = {uint8_t(value >> 8), uint8_t(value)};
  return PutBytes(stream, bytes, 2, measure);
}

uint32_t PutMetadataCString(MetadataStream* stream, const char* text, bool measure) {
  if (text == nullptr) return 0;
  return PutBytes(stream, text, uint32_t(std::strlen(text) + 1), measure);
}

uint32_t PutIptcDataset(MetadataStream* stream, uint8_t record, uint8_t dataset, const void* data, uint32_t length,
                        bool measure) {
  if (length > kMaxIptcData || (length > 0 && data == nullptr)) return 0;
  const uint8_t head[5] = {0x1C, record, dataset, uint8_t(length >> 8), uint8_t(length)};
  if (measure) return length + 5;
  // All or nothing: a dataset is never cut short.
  if (stream->writePosition == nullptr ||
      length + 5 > stream->capacity - uint32_t(stream->writePosition - stream->buffer))
    return 0;
  return PutBytes(stream, head, 5, false) + PutBytes(stream, data, length, false);
}

void InitExifBlock(MetadataStream* stream) { std::memset(stream, 0, sizeof *stream); }

void FreeExifBlock(MetadataStream* stream) {
  std::free(stream->buffer);
  InitExifBlock(stream);
}

uint32_t BuildExifBlock(MetadataStream* stream, bool withHeader, bool measure) {
  if (stream->buffer != nullptr) return 0;
  const uint32_t size = ExifBody(stream, withHeader, true);
  if (measure) return size;
  if (!StartBuild(stream, size)) return 0;
  ExifBody(stream, withHeader, false);
  return EndBuild(stream, size);
}

void InitIptcBlock(IptcBlock* block) { std::memset(block, 0, sizeof *block); }

void FreeIptcBlock(IptcBlock* block) {
  std::free(block->stream.buffer);
  InitIptcBlock(block);
}

void AddIptcKeyword(IptcBlock* block, const char* text) {
  if (block == nullptr || text == nullptr || text[0] == 0) return;
  if (block->keywordCount < 0 || block->keywordCount >= kIptcMaxKeywords) return;
  if (std::strlen(text) > size_t(kIptcKeywordBytes - 1)) return;
  for (int32_t k = 0; k < block->keywordCount; ++k) {
    if (StartsWithNoCase(block->keywords[k], text)) return;
  }
  std::memcpy(block->keywords[block->keywordCount], text, std::strlen(text) + 1);
  ++block->keywordCount;
}

uint32_t WriteIptcRecords(IptcBlock* block, bool measure) {
  MetadataStream* s = &block->stream;
  const uint8_t version[2] = {0, 2};
  uint32_t n = PutIptcDataset(s, 2, 0, version, 2, measure);
  n += PutIptcText(s, 115, kMakerWebAddress, measure);
  int32_t year = 0, month = 0, day = 0, hour = 0;
  GetUtcDateParts(&year, &month, &day, &hour);
  char date[32];
  std::snprintf(date, sizeof date, "%04d%02d%02d", int(year), int(month), int(day));
  n += PutIptcText(s, 55, date, measure);
  n += PutIptcText(s, 120, kCaption, measure);
  n += PutIptcText(s, 25, kProductName, measure);
  const int32_t count = block->keywordCount < 0 ? 0 : (block->keywordCount > kIptcKeywordSlots ? kIptcKeywordSlots
                                                                                                : block->keywordCount);
  for (int32_t k = 0; k < count; ++k) {
    const char* word = block->keywords[k];
    if (word[0] != 0) n += PutIptcDataset(s, 2, 25, word, uint32_t(strnlen(word, kIptcKeywordBytes - 1)), measure);
  }
  if (n % 2 != 0) n += PutMetadataByte(s, 0, measure);
  return n;
}

uint32_t BuildPhotoshopIptcBlock(IptcBlock* block, bool withHeader, bool measure) {
  if (block->stream.buffer != nullptr) return 0;
  const uint32_t records = WriteIptcRecords(block, true);
  const uint32_t size = PhotoshopForm(block, withHeader, records, true);
  if (measure) return size;
  if (!StartBuild(&block->stream, size)) return 0;
  PhotoshopForm(block, withHeader, records, false);
  return EndBuild(&block->stream, size);
}

void AddDocumentKeywords(IptcBlock* block, const ExportPlan* plan, int32_t kind) {
  if (plan != nullptr && plan->bytesPerChannel == 4) {
    AddIptcKeyword(block, "HDR");
    AddIptcKeyword(block, "high dynamic range");
  }
  AddIptcKeyword(block, "panorama");
  if (plan != nullptr) {
    switch (plan->kind) {
      case ExportBrickPlan:
        AddIptcKeyword(block, "lego");
        AddIptcKeyword(block, "sphere");
        break;
      case ExportFaceTextures:
        AddIptcKeyword(block, "3D");
        AddIptcKeyword(block, "texturemap");
        AddIptcKeyword(block, "obj");
        break;
      case ExportCubeFaces: {
        AddIptcKeyword(block, "cube");
        AddIptcKeyword(block, "cubemap");
        static const char* const kFaceWords[7][2] = {{nullptr, nullptr}, {"bottom", nullptr}, {"top", nullptr},
                                                     {"left", "270"},    {"back", "180"},     {"right", "90"},
                                                     {"front", "0"}};
        if (plan->currentLayer >= 1 && plan->currentLayer <= 6) {
          for (const char* word : kFaceWords[plan->currentLayer]) {
            if (word != nullptr) AddIptcKeyword(block, word);
          }
        }
        break;
      }
      case ExportPolyFaces:
        AddIptcKeyword(block, "polyhedron");
        break;
      default:
        break;
    }
  }
  if (kind == ExportFaceTextures) {
    AddIptcKeyword(block, "texturemap");
    AddIptcKeyword(block, "3D");
    AddIptcKeyword(block, "obj");
  } else if (kind == ExportPresetThumbnail) {
    AddIptcKeyword(block, "gallery");
    AddIptcKeyword(block, "preset");
  }
}

void AddSettingsKeywords(IptcBlock* block, GlobalsRecord* globals) {
  const ParameterBlock* p = GetParameterBlock(globals);
  if (p == nullptr) return;
  if (p->exportKind != ExportBrickPlan && p->exportKind != ExportCubeFaces) {
    AddIptcKeyword(block, OutputProjectionName(p->outputProjection));
    AddIptcKeyword(block, OutputProjectionKeyword(uint32_t(p->outputProjection)));
  }
  if (p->exportKind == ExportBrickPlan) AddIptcKeyword(block, p->brickPlates != 0 ? "plates" : "bricks");
  if (p->grid > 1) {
    AddIptcKeyword(block, "grid");
    AddIptcKeyword(block, "graticule");
  }
  if (p->anamorphosis != 0) AddIptcKeyword(block, "anamorphic");
  if (p->glue != 1) AddIptcKeyword(block, GlueModeName(p->glue));
}

void GetUtcDateParts(int32_t* year, int32_t* month, int32_t* day, int32_t* hour) {
  UtcDateTime now{};
  CurrentUtcTime(&now);
  *year = now.year;
  *month = now.month;
  *day = now.day;
  *hour = now.hour;
}

void GetDateTimeParts(int32_t* year, int32_t* month, int32_t* day, int32_t* hour, int32_t* minute,
                      int32_t* second) {
  UtcDateTime now{};
  CurrentUtcTime(&now);
  *year = now.year;
  *month = now.month;
  *day = now.day;
  *hour = now.hour;
  *minute = now.minute;
  *second = now.second;
}

namespace {

// Encodes a picture of width x height with both blocks and the host's
// profile into memory and writes it to the file.
template <typename EncodeProc>
int16_t SaveJpeg(GlobalsRecord* globals, int32_t width, int32_t height, FileHandle file, int32_t kind,
                 EncodeProc encode) {
  if (width < 1 || height < 1) return 1;
  if (width > kJpegMaxSide || height > kJpegMaxSide || int64_t(width) * height > kJpegMaxPixels)
    return kExportJpegTooLarge;
  IptcBlock iptc;
  InitIptcBlock(&iptc);
  MetadataStream exif;
  InitExifBlock(&exif);
  AddDocumentKeywords(&iptc, nullptr, kind);
  BuildPhotoshopIptcBlock(&iptc, true, false);
  BuildExifBlock(&exif, true, false);
  const uint8_t* profile = nullptr;
  uint32_t profileSize = 0;
  const FilterRecord* fr = globals != nullptr ? globals->filterRecord : nullptr;
  bool profileLocked = false;
  if (fr != nullptr && fr->iCCprofileData != nullptr && fr->iCCprofileSize > 0 && fr->canUseICCProfiles != 0) {
    const char* data = LockHostHandle(RunHandleProcs(globals), fr->iCCprofileData, false);
    if (data != nullptr) {
      profileLocked = true;
      profile = reinterpret_cast<const uint8_t*>(data);
      profileSize = uint32_t(fr->iCCprofileSize);
    }
  }
  int16_t result = kExportDone;
  // Room for the pixels and every segment that may go along; within the
  // limits above this stays below 2 GiB.
  const int32_t streamWidth = width < 16 ? 16 : width;
  const int32_t streamHeight = height < 16 ? 16 : height;
  const int64_t capacity = int64_t(streamWidth) * streamHeight * 6 + profileSize + 3 * 65536;
  std::unique_ptr<uint8_t[]> work;
  if (capacity <= INT32_MAX) work.reset(new (std::nothrow) uint8_t[size_t(capacity)]);
  if (work == nullptr) {
    result = kExportNoMemory;
  } else {
    const JpegMarkerBlock iptcMarker = {iptc.stream.buffer, iptc.stream.byteCount};
    const JpegMarkerBlock exifMarker = {exif.buffer, exif.byteCount};
    int32_t count = 0;
    const int16_t encoded = encode(work.get(), int32_t(capacity), &count, profileSize, profile,
                                   iptc.stream.buffer ? &iptcMarker : nullptr, exif.buffer ? &exifMarker : nullptr);
    if (encoded != kJpegOk) {
      result = encoded == kJpegBadImage ? int16_t(1)
                                        : (encoded == kJpegNoCodec ? kExportKindUnavailable : kExportNoMemory);
    } else {
      const int32_t expected = count;
      result = WriteBlock(file, &count, work.get());
      if (result == kFileOk && count != expected) result = kExportWriteFailed;
    }
  }
  if (profileLocked) UnlockHostHandle(RunHandleProcs(globals), fr->iCCprofileData);
  FreeIptcBlock(&iptc);
  FreeExifBlock(&exif);
  return result;
}

}  // namespace

int16_t SaveImageAsJpegFile(GlobalsRecord* globals, const ImageRecord* image, FileHandle file, int32_t kind,
                            bool close) {
  int16_t result = 1;
  if (image != nullptr && ImageHasLevel(image, 0)) {
    const int32_t width = image->levelWidth[0], height = image->levelHeight[0];
    result = SaveJpeg(globals, width, height, file, kind,
                      [&](uint8_t* block, int32_t capacity, int32_t* count, uint32_t iccSize, const uint8_t* icc,
                          const JpegMarkerBlock* iptc, const JpegMarkerBlock* exif) {
                        const Rect rect = {0, 0, int16_t(height), int16_t(width)};
                        return EncodeJpegToBlock(image, &rect, block, capacity, 80, false, count, iccSize, icc,
                                                 iptc, exif);
                      });
  }
  if (close && file != kNoFile) {
    const int16_t cut = TruncateFileHere(file);
    if (result == kExportDone) result = cut;
    CloseFileHandle(file);
  }
  return result;
}

int16_t SaveRasterAsJpegFile(GlobalsRecord* globals, const PixelRaster* raster, FileHandle file, int32_t kind) {
  if (raster == nullptr || raster->pixels == nullptr) return 1;
  return SaveJpeg(globals, raster->width, raster->height, file, kind,
                  [&](uint8_t* block, int32_t capacity, int32_t* count, uint32_t iccSize, const uint8_t* icc,
                      const JpegMarkerBlock* iptc, const JpegMarkerBlock* exif) {
                    return EncodeJpegToBlock(raster, block, capacity, 80, false, count, iccSize, icc, iptc, exif);
                  });
}
