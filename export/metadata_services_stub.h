// Stand-ins for the metadata blocks that exported documents carry (the EXIF
// block with the creating software, the IPTC-NAA block with the date, source,
// caption and keywords). Each builds an empty block, so the PSD writer leaves
// their image resources out; the real blocks replace this file.
#pragma once

#include <cstdint>

struct ExportPlan;
struct GlobalsRecord;

// A byte stream built in two passes: measured, then written into its buffer.
struct MetadataStream {
  uint32_t byteCount;      // bytes written so far
  uint8_t* buffer;         // the block's bytes once built; owned by the stream
  uint8_t* writePosition;  // next byte to write; null while measuring
};

constexpr int32_t kIptcKeywordSlots = 21;
constexpr int32_t kIptcKeywordBytes = 50;

struct IptcBlock {
  MetadataStream stream;
  char keywords[kIptcKeywordSlots][kIptcKeywordBytes];
  int32_t keywordCount;
};

void InitExifBlock(MetadataStream* stream);
void FreeExifBlock(MetadataStream* stream);
// The EXIF block, with or without its "Exif" header; measuring answers its
// size. Afterwards stream->buffer holds stream->byteCount bytes.
uint32_t BuildExifBlock(MetadataStream* stream, bool withHeader, bool measure);

void InitIptcBlock(IptcBlock* block);
void FreeIptcBlock(IptcBlock* block);
void AddDocumentKeywords(IptcBlock* block, const ExportPlan* plan, int32_t kind);
void AddSettingsKeywords(IptcBlock* block, GlobalsRecord* globals);
// The image-resource form of the IPTC records (without the "Photoshop 3.0"
// header it is the whole resource 1028: signature, id, name, size, records).
uint32_t BuildPhotoshopIptcBlock(IptcBlock* block, bool withHeader, bool measure);
