// Writes one export document as a PSD file (version 1): header, colour mode
// data, image resources, layer and mask information, merged image data, all
// big-endian and uncompressed. The layers are rendered while the file is
// written, each just before its pixels, so one layer is held in memory
// however many the document has. Every length is measured before it is
// written, in 64 bits: a document whose lengths or sides the format cannot
// hold is refused before anything is rendered or created.
#pragma once

#include <cstdint>

#include "host/rect_path.h"

struct ExportFileSet;
struct ExportPlan;
struct GlobalsRecord;

// The format's largest side, and the largest value of a 32-bit length field.
constexpr int32_t kPsdMaxSide = 30000;
constexpr uint64_t kPsdMaxLength = 0xFFFFFFFFull;
// The layer count is a signed 16-bit field.
constexpr int32_t kPsdMaxLayers = 32767;

// The name of layer k (1-based) of the plan, which is also the file-name
// suffix of a document of its own. Kept in one buffer until the next call.
const char* PsdLayerName(int32_t k, const ExportPlan* plan);
// 230 for the brick plan's layers above the first; 255 otherwise.
uint8_t PsdLayerOpacity(int32_t k, const ExportPlan* plan);

// The sizes of a document's sections as its length fields give them.
struct PsdLayout {
  uint64_t resources;      // the image resources after their length field
  uint64_t layerRecords;   // all layer records
  uint64_t channelLength;  // one channel of one layer: compression word and samples
  uint64_t layerInfo;      // the layer information length: count, records, channel data
  uint64_t layerSection;   // the layer and mask information length
  uint64_t imageData;      // the merged image data, to the end of the file
  uint64_t fileSize;
};

// Measures the document of the plan, with resources of the given sizes for
// the host's colour profile and the metadata blocks. kExportDone,
// kExportBadSize or kExportTooLarge.
int16_t MeasurePsdDocument(const ExportPlan* plan, uint32_t profileSize, uint32_t exifSize, uint32_t iptcSize,
                           PsdLayout* layout);

// Writes one document: into a scratch file of `files` beside fileSpec's path,
// kept there for the job's commit when complete. Results as in
// export/export_files.h; a cancel is kExportCancelled when the set discards
// cancelled documents, else the document is completed with what the export
// image holds and the result is kExportDone.
int16_t WritePsdDocument(GlobalsRecord* globals, const FileSpec* fileSpec, uint8_t* cancel, ExportPlan* plan,
                         ExportFileSet* files);
