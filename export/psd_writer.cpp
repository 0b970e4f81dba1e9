#include "export/psd_writer.h"

#include <cstdio>
#include <cstring>

#include "export/export_files.h"
#include "export/export_passes.h"
#include "export/export_plan.h"
#include "export/metadata_blocks.h"
#include "host/band_rects.h"
#include "host/globals_record.h"
#include "host/host_memory.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "settings/jpeg_memory.h"
#include "ui/dialog_services.h"

namespace {

// Pixels and records go to the file through one staging buffer, large
// enough for a row of the widest plane.
constexpr uint32_t kStagingBytes = 256 * 1024;
static_assert(kStagingBytes >= uint32_t(kPsdMaxSide) * 4);

// Where the section writers put their bytes. While measuring nothing is
// stored and only the count grows.
struct PsdOutput {
  FileHandle file = kNoFile;
  bool measure = true;
  uint64_t count = 0;
  int16_t error = kExportDone;  // the first write that failed
  uint8_t* buffer = nullptr;
  uint32_t pending = 0;
};

void Flush(PsdOutput* out) {
  if (out->pending == 0) return;
  uint32_t moved = 0;
  if (out->error == kExportDone &&
      (!OsWriteFile(out->file, out->buffer, out->pending, &moved) || moved != out->pending)) {
    out->error = kExportWriteFailed;
  }
  out->pending = 0;
}

// Room for n bytes (n <= kStagingBytes) at the end of the staging buffer;
// null while measuring.
uint8_t* Reserve(PsdOutput* out, uint32_t n) {
  out->count += n;
  if (out->measure) return nullptr;
  if (out->pending + n > kStagingBytes) Flush(out);
  uint8_t* p = out->buffer + out->pending;
  out->pending += n;
  return p;
}

void PutBytes(PsdOutput* out, const void* data, uint32_t n) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  while (n > 0) {
    const uint32_t chunk = n < kStagingBytes ? n : kStagingBytes;
    if (uint8_t* p = Reserve(out, chunk)) std::memcpy(p, bytes, chunk);
    bytes += chunk;
    n -= chunk;
  }
}

void PutU8(PsdOutput* out, uint8_t v) { PutBytes(out, &v, 1); }

void PutU16(PsdOutput* out, uint16_t v) {
  const uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
  PutBytes(out, b, 2);
}

void PutU32(PsdOutput* out, uint32_t v) {
  const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  PutBytes(out, b, 4);
}

void PutZeros(PsdOutput* out, uint32_t n) {
  static const uint8_t zeros[64] = {};
  while (n > 0) {
    const uint32_t chunk = n < sizeof zeros ? n : uint32_t(sizeof zeros);
    PutBytes(out, zeros, chunk);
    n -= chunk;
  }
}

void PutKey(PsdOutput* out, const char* key) { PutBytes(out, key, 4); }

// The HDR toning block of float documents' colour mode data.
constexpr uint8_t kFloatColourModeData[] = {
    0x68, 0x64, 0x72, 0x74, 0x00, 0x00, 0x00, 0x03, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
    0x08, 0x00, 0x44, 0x00, 0x65, 0x00, 0x66, 0x00, 0x61, 0x00, 0x75, 0x00, 0x6C, 0x00, 0x74, 0x00, 0x00, 0x00, 0x02,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x41, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x3F, 0x80, 0x00, 0x00};
static_assert(sizeof kFloatColourModeData == 74);

// Resource 1001: a fixed print record of 60 big-endian 16-bit values.
constexpr int16_t kPrintRecord[60] = {
    40,   0,    72,   72,   0,    0,    743,   594,  -9,   -9, 783, 603, 8194, 1320, 1020,
    0,    0,    360,  360,  0,    0,    3715,  2970, 372,  50, 2970, 18600, 75, 1,   257,
    0,    1,    9999, 1,    1,    0,    0,     0,    0,    0,  0,   0,   0,    0,    0,
    1,    100,  768,  0,    0,    0,    515,   8369, 1024, 4608, 768, 17664, 0, 13892, 24864};

constexpr uint8_t kBlendingRange[8] = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF};

// What the section writers read: the plan, the export image, the resource
// blocks and the cancel byte.
struct PsdDocument {
  GlobalsRecord* globals = nullptr;
  ExportPlan* plan = nullptr;
  ImageRecord* image = nullptr;
  uint8_t* cancel = nullptr;
  bool stopOnCancel = false;
  const uint8_t* profile = nullptr;
  uint32_t profileSize = 0;
  const uint8_t* exif = nullptr;
  uint32_t exifSize = 0;
  const uint8_t* iptc = nullptr;  // the whole resource 1028 as the IPTC block builds it
  uint32_t iptcSize = 0;
  PsdLayout layout{};
  int16_t renderResult = kExportDone;
};

bool IsFloat(const ExportPlan* plan) { return plan->bytesPerChannel == 4; }
bool IsSixteen(const ExportPlan* plan) { return plan->bytesPerChannel == 2; }

// The writers stop early after a write failure, after a failed render, and
// after a cancel when cancelled documents are discarded.
bool StopWriting(const PsdDocument* doc, const PsdOutput* out) {
  return out->error != kExportDone || doc->renderResult != kExportDone ||
         (doc->stopOnCancel && *doc->cancel != 0);
}

// While a document is written the host's abort is asked too, when a cancel
// is to stop the writing.
void PollCancel(PsdDocument* doc) {
  if (!doc->stopOnCancel || *doc->cancel != 0) return;
  if (TestAbort(doc->globals)) {
    *doc->cancel = 1;
    ShowCancelling(doc->globals);
  }
}

// --- header, colour mode data, image resources --------------------------------

void WriteHeader(const PsdDocument* doc, PsdOutput* out) {
  const ExportPlan* plan = doc->plan;
  PutKey(out, "8BPS");
  PutU16(out, 1);
  PutZeros(out, 6);
  PutU16(out, IsSixteen(plan) ? 4 : 3);
  PutU32(out, uint32_t(plan->height));
  PutU32(out, uint32_t(plan->width));
  PutU16(out, uint16_t(8 * plan->bytesPerChannel));
  PutU16(out, 3);
}

void WriteColourModeData(const PsdDocument* doc, PsdOutput* out) {
  if (!IsFloat(doc->plan)) {
    PutU32(out, 0);
    return;
  }
  PutU32(out, sizeof kFloatColourModeData);
  PutBytes(out, kFloatColourModeData, sizeof kFloatColourModeData);
}

void BeginResource(PsdOutput* out, uint16_t id, uint32_t size) {
  PutKey(out, "8BIM");
  PutU16(out, id);
  PutU16(out, 0);  // empty name
  PutU32(out, size);
}

// Resource data is padded to an even length; the size field keeps the
// unpadded length.
void EndResource(PsdOutput* out, uint32_t size) {
  if (size % 2 != 0) PutU8(out, 0);
}

void PutResource(PsdOutput* out, uint16_t id, const void* data, uint32_t size) {
  BeginResource(out, id, size);
  PutBytes(out, data, size);
  EndResource(out, size);
}

void WriteResources(const PsdDocument* doc, PsdOutput* out) {
  const ExportPlan* plan = doc->plan;
  const bool layered = plan->separateFiles == 0;
  const uint16_t layers = uint16_t(plan->layerCount);

  BeginResource(out, 1001, sizeof kPrintRecord);
  for (int16_t v : kPrintRecord) PutU16(out, uint16_t(v));
  EndResource(out, sizeof kPrintRecord);

  BeginResource(out, 1005, 16);
  for (int axis = 0; axis < 2; ++axis) {
    PutU32(out, 72u << 16);  // 72 pixels an inch, 16.16 fixed
    PutU16(out, 1);
    PutU16(out, 1);
  }
  EndResource(out, 16);

  const uint8_t printFlags[9] = {0, 0, 0, 0, 0, 0, 0, 0, 1};
  PutResource(out, 1011, printFlags, sizeof printFlags);

  BeginResource(out, 1016, 112);
  for (int record = 0; record < 4; ++record) {
    PutU16(out, 0);
    for (int k = 0; k < 11; ++k) PutU16(out, 65535);
    PutU16(out, 1000);
    PutU16(out, 0);
  }
  EndResource(out, 112);

  PutResource(out, 1035, kMakerWebAddress, uint32_t(std::strlen(kMakerWebAddress)));
  if (doc->profileSize > 0) PutResource(out, 1039, doc->profile, doc->profileSize);
  if (doc->iptcSize > 0) {
    // The block is the whole resource, signature and size included.
    PutBytes(out, doc->iptc, doc->iptcSize);
    EndResource(out, doc->iptcSize);
  }
  if (doc->exifSize > 0) PutResource(out, 1058, doc->exif, doc->exifSize);
  if (IsFloat(plan) && layered) {
    const uint8_t data1069[6] = {0x00, 0x01, 0x00, 0x00, 0x00, 0x0C};
    PutResource(out, 1069, data1069, sizeof data1069);
    BeginResource(out, 1072, layers);
    for (uint16_t k = 0; k < layers; ++k) PutU8(out, 1);
    EndResource(out, layers);
  }
  if (layered) {
    BeginResource(out, 1024, 2);
    PutU16(out, layers);
    EndResource(out, 2);
    BeginResource(out, 1026, 2u * layers);
    for (uint16_t k = 0; k < layers; ++k) PutU16(out, 0);
    EndResource(out, 2u * layers);
  }
}

// --- pixel planes --------------------------------------------------------------

// What a plane holds: the samples as the image keeps them (layer data and
// float merged data), composited over the checkerboard (8- and 16-bit
// merged data), or all full scale (the 16-bit merged alpha).
enum class PlaneKind { Raw, Composite, Opaque };

// Channel index within a pixel: red 0, green 1, blue 2, alpha 3.
constexpr int32_t kAlpha = 3;

uint16_t To16(uint32_t v) { return v >= 32768 ? 65535 : uint16_t(2 * v); }

bool DarkCell(int32_t x, int32_t y) { return ((x ^ y) & 8) != 0; }

// Row y of one plane into dst (width x bytesPerChannel bytes).
void FillPlaneRow(const ImageRecord* image, const ExportPlan* plan, int32_t channel, PlaneKind kind, int32_t y,
                  uint8_t* dst) {
  const int32_t width = plan->width;
  switch (plan->bytesPerChannel) {
    case 1:
      for (int32_t x = 0; x < width; ++x) {
        uint32_t word;
        std::memcpy(&word, PixelAddress(image, 0, x, y), 4);
        const uint32_t a = word & 0xFF;
        const uint32_t c = (word >> (24 - 8 * channel)) & 0xFF;  // channel 3 gives alpha
        if (kind == PlaneKind::Raw) {
          dst[x] = uint8_t(c);
        } else {
          const uint32_t b = DarkCell(x, y) ? 204 : 255;
          dst[x] = uint8_t((b * (255 - a) + c * a) / 255);
        }
      }
      break;
    case 2:
      for (int32_t x = 0; x < width; ++x) {
        uint16_t v[4];
        std::memcpy(v, PixelAddress(image, 0, x, y), 8);
        uint16_t out = 65535;
        if (kind == PlaneKind::Raw) {
          out = To16(v[channel]);
        } else if (kind == PlaneKind::Composite) {
          const uint32_t a = v[kAlpha] > 32768 ? 32768 : v[kAlpha];
          const uint32_t c = v[channel] > 32768 ? 32768 : v[channel];
          const uint32_t b = DarkCell(x, y) ? 26112 : 32640;
          out = To16((c * a + b * (32768 - a)) >> 15);
        }
        dst[2 * x] = uint8_t(out >> 8);
        dst[2 * x + 1] = uint8_t(out);
      }
      break;
    default:
      for (int32_t x = 0; x < width; ++x) {
        uint32_t v[4];
        std::memcpy(v, PixelAddress(image, 0, x, y), 16);
        const uint32_t bits = v[channel];
        dst[4 * x] = uint8_t(bits >> 24);
        dst[4 * x + 1] = uint8_t(bits >> 16);
        dst[4 * x + 2] = uint8_t(bits >> 8);
        dst[4 * x + 3] = uint8_t(bits);
      }
      break;
  }
}

uint64_t PlaneBytes(const ExportPlan* plan) {
  return uint64_t(plan->width) * uint64_t(plan->height) * plan->bytesPerChannel;
}

void WritePlane(PsdDocument* doc, PsdOutput* out, int32_t channel, PlaneKind kind) {
  const ExportPlan* plan = doc->plan;
  if (out->measure) {
    out->count += PlaneBytes(plan);
    return;
  }
  const uint32_t rowBytes = uint32_t(plan->width) * plan->bytesPerChannel;
  for (int32_t y = 0; y < plan->height && !StopWriting(doc, out); ++y) {
    FillPlaneRow(doc->image, plan, channel, kind, y, Reserve(out, rowBytes));
    PollCancel(doc);
  }
}

// --- layers ----------------------------------------------------------------------

uint32_t PaddedNameLength(const char* name) { return (1 + uint32_t(std::strlen(name)) + 3) / 4 * 4; }

void WriteLayerRecord(const PsdDocument* doc, PsdOutput* out, int32_t k) {
  const ExportPlan* plan = doc->plan;
  char name[64];
  std::snprintf(name, sizeof name, "%s", PsdLayerName(k, plan));
  const uint32_t nameLength = uint32_t(std::strlen(name));
  const uint32_t padded = PaddedNameLength(name);
  PutU32(out, 0);  // top
  PutU32(out, 0);  // left
  PutU32(out, uint32_t(plan->height));
  PutU32(out, uint32_t(plan->width));
  PutU16(out, uint16_t(plan->channelCount));
  const int16_t ids[4] = {-1, 0, 1, 2};
  for (int16_t id : ids) {
    PutU16(out, uint16_t(id));
    PutU32(out, uint32_t(doc->layout.channelLength));
  }
  PutKey(out, "8BIM");
  PutKey(out, "norm");
  PutU8(out, PsdLayerOpacity(k, plan));
  PutU8(out, 0);                        // clipping
  PutU8(out, IsFloat(plan) ? 8 : 40);  // flags
  PutU8(out, 0);
  PutU32(out, 48 + padded);  // extra data: mask length, blending ranges, name
  PutU32(out, 0);            // no layer mask
  PutU32(out, 40);
  for (int k2 = 0; k2 < 5; ++k2) PutBytes(out, kBlendingRange, sizeof kBlendingRange);
  PutU8(out, uint8_t(nameLength));
  PutBytes(out, name, nameLength);
  PutZeros(out, padded - 1 - nameLength);
}

void RenderLayer(PsdDocument* doc, int32_t passIndex) {
  const int16_t result = RenderExportLayer(doc->globals, doc->image, passIndex, doc->cancel, doc->plan);
  if (result != kExportDone) doc->renderResult = result;
  doc->globals->exportLayersDone += 1;
}

// Alpha, red, green, blue: each a compression word and the raw samples.
void WriteLayerChannels(PsdDocument* doc, PsdOutput* out) {
  const int32_t channels[4] = {kAlpha, 0, 1, 2};
  for (int32_t channel : channels) {
    PutU16(out, 0);
    WritePlane(doc, out, channel, PlaneKind::Raw);
  }
}

// The layer information block: its length, the count, the records, then
// each layer rendered and its channels written.
void WriteLayerInfo(PsdDocument* doc, PsdOutput* out) {
  const ExportPlan* plan = doc->plan;
  PutU32(out, uint32_t(doc->layout.layerInfo));
  PutU16(out, uint16_t(plan->layerCount));
  for (int32_t k = 1; k <= plan->layerCount; ++k) WriteLayerRecord(doc, out, k);
  for (int32_t k = 1; k <= plan->layerCount; ++k) {
    if (out->measure) {
      out->count += 4 * doc->layout.channelLength;
      continue;
    }
    if (StopWriting(doc, out)) return;
    RenderLayer(doc, int32_t(plan->firstLayer) + k - 1);
    WriteLayerChannels(doc, out);
  }
}

uint32_t LayerInfoPadding(uint64_t layerInfo) { return uint32_t((4 - (layerInfo + 4) % 4) % 4); }

void WriteLayerSection(PsdDocument* doc, PsdOutput* out) {
  const ExportPlan* plan = doc->plan;
  if (plan->separateFiles) {
    PutU32(out, 8);
    PutU32(out, 0);
    PutU32(out, 0);
    // The document's one layer goes to the file as the merged data.
    if (!out->measure) RenderLayer(doc, plan->currentLayer + int32_t(plan->firstLayer) - 1);
    return;
  }
  if (!IsFloat(plan) && !IsSixteen(plan)) {
    PutU32(out, uint32_t(doc->layout.layerSection));
    WriteLayerInfo(doc, out);
    PutU32(out, 0);  // global layer mask
    return;
  }
  PutU32(out, uint32_t(doc->layout.layerSection));
  PutU32(out, 0);  // the layer information lives in the tagged block below
  PutU32(out, 0);  // global layer mask
  PutKey(out, "8BIM");
  PutKey(out, IsFloat(plan) ? "Mt32" : "Mt16");
  PutU32(out, 0);
  PutKey(out, "8BIM");
  PutKey(out, IsFloat(plan) ? "Lr32" : "Lr16");
  WriteLayerInfo(doc, out);
  if (StopWriting(doc, out) && !out->measure) return;
  PutZeros(out, LayerInfoPadding(doc->layout.layerInfo));
  if (IsFloat(plan)) {
    PutKey(out, "8BIM");
    PutKey(out, "LMsk");
    PutU32(out, 14);  // 16 bytes follow: readers round tagged blocks up to 4
    const uint16_t mask[8] = {0, 65535, 0, 0, 0, 50, 32768, 0};
    for (uint16_t v : mask) PutU16(out, v);
    PutKey(out, "8BIM");
    PutKey(out, "Pat3");
    PutU32(out, 0);
  }
}

// --- merged image data -------------------------------------------------------

int32_t MergedPlaneCount(const ExportPlan* plan) { return plan->separateFiles ? 3 : 4; }

void WriteImageData(PsdDocument* doc, PsdOutput* out) {
  const ExportPlan* plan = doc->plan;
  PutU16(out, 0);
  const int32_t planes = MergedPlaneCount(plan);
  for (int32_t channel = 0; channel < planes; ++channel) {
    PlaneKind kind = PlaneKind::Composite;
    if (IsFloat(plan)) kind = PlaneKind::Raw;
    if (IsSixteen(plan) && channel == kAlpha) kind = PlaneKind::Opaque;
    WritePlane(doc, out, channel, kind);
  }
  // 16-bit documents end with one more full-scale plane, without a
  // compression word.
  if (IsSixteen(plan)) WritePlane(doc, out, kAlpha, PlaneKind::Opaque);
}

// --- measuring ---------------------------------------------------------------------

uint64_t MeasureWith(PsdDocument* doc, void (*writer)(PsdDocument*, PsdOutput*)) {
  PsdOutput out;
  out.measure = true;
  writer(doc, &out);
  return out.count;
}

void WriteResourcesOf(PsdDocument* doc, PsdOutput* out) { WriteResources(doc, out); }

void WriteRecordsOf(PsdDocument* doc, PsdOutput* out) {
  for (int32_t k = 1; k <= doc->plan->layerCount; ++k) WriteLayerRecord(doc, out, k);
}

void WriteImageDataOf(PsdDocument* doc, PsdOutput* out) { WriteImageData(doc, out); }

// Measures every section into doc->layout and checks it against the format.
int16_t MeasureDocument(PsdDocument* doc) {
  const ExportPlan* plan = doc->plan;
  PsdLayout& layout = doc->layout;
  layout = PsdLayout{};
  if (plan->width < 1 || plan->height < 1 || plan->layerCount < 1) return kExportBadSize;
  if (plan->width > kPsdMaxSide || plan->height > kPsdMaxSide || plan->layerCount > kPsdMaxLayers)
    return kExportTooLarge;
  if (plan->bytesPerChannel != 1 && plan->bytesPerChannel != 2 && plan->bytesPerChannel != 4) return kExportBadSize;
  layout.channelLength = PlaneBytes(plan) + 2;
  layout.resources = MeasureWith(doc, WriteResourcesOf);
  if (plan->separateFiles) {
    layout.layerSection = 8;
  } else {
    layout.layerRecords = MeasureWith(doc, WriteRecordsOf);
    layout.layerInfo = 2 + layout.layerRecords + uint64_t(plan->layerCount) * 4 * layout.channelLength;
    if (!IsFloat(plan) && !IsSixteen(plan)) {
      layout.layerSection = layout.layerInfo + 8;
    } else {
      // The tagged block: signature, key, length field, block, padding.
      uint64_t block = 12 + layout.layerInfo + LayerInfoPadding(layout.layerInfo);
      if (IsFloat(plan)) block += 40;  // the mask and pattern blocks
      layout.layerSection = block + 20;
    }
  }
  layout.imageData = MeasureWith(doc, WriteImageDataOf);
  const uint64_t colourModeData = IsFloat(plan) ? 4 + sizeof kFloatColourModeData : 4;
  layout.fileSize = 26 + colourModeData + 4 + layout.resources + 4 + layout.layerSection + layout.imageData;
  if (layout.channelLength > kPsdMaxLength || layout.resources > kPsdMaxLength ||
      layout.layerInfo > kPsdMaxLength || layout.layerSection > kPsdMaxLength) {
    return kExportTooLarge;
  }
  return kExportDone;
}

void WriteDocument(PsdDocument* doc, PsdOutput* out) {
  WriteHeader(doc, out);
  WriteColourModeData(doc, out);
  PutU32(out, uint32_t(doc->layout.resources));
  WriteResources(doc, out);
  WriteLayerSection(doc, out);
  if (StopWriting(doc, out)) return;
  WriteImageData(doc, out);
  Flush(out);
}

// The host's colour profile, when it offers one; locked while the document
// is written.
void LockProfile(GlobalsRecord* globals, PsdDocument* doc) {
  const FilterRecord* fr = globals->filterRecord;
  if (fr->iCCprofileData == nullptr || fr->iCCprofileSize <= 0 || fr->canUseICCProfiles == 0) return;
  const char* data = LockHostHandle(RunHandleProcs(globals), fr->iCCprofileData, false);
  if (data == nullptr) return;
  doc->profile = reinterpret_cast<const uint8_t*>(data);
  doc->profileSize = uint32_t(fr->iCCprofileSize);
}

void UnlockProfile(GlobalsRecord* globals, PsdDocument* doc) {
  if (doc->profile == nullptr) return;
  UnlockHostHandle(RunHandleProcs(globals), globals->filterRecord->iCCprofileData);
  doc->profile = nullptr;
}

int32_t ExportPixelMode(uint32_t bytesPerChannel) {
  return bytesPerChannel == 2 ? PixelRgba16 : (bytesPerChannel == 4 ? PixelRgbaFloat : PixelRgba8);
}

}  // namespace

const char* PsdLayerName(int32_t k, const ExportPlan* plan) {
  static char name[32];
  static const char* const kCubeNames[6] = {"_d", "_u", "_l", "_b", "_r", "_f"};
  switch (int32_t(plan->kind)) {
    case ExportBrickPlan:
      std::snprintf(name, sizeof name, "%d", int(k));
      if (k == 1) std::snprintf(name, sizeof name, "%d bottom", int(k));
      if (k == plan->layerCount) std::snprintf(name, sizeof name, "%d top", int(k));
      break;
    case ExportCubeFaces:
      std::snprintf(name, sizeof name, "%s", k >= 1 && k <= 6 ? kCubeNames[k - 1] : "Layer 1");
      break;
    case ExportPolyFaces:
    case ExportFaceTextures:
      std::snprintf(name, sizeof name, "face %d", int(k));
      break;
    default:
      std::snprintf(name, sizeof name, "Layer 1");
      break;
  }
  return name;
}

uint8_t PsdLayerOpacity(int32_t k, const ExportPlan* plan) {
  return plan->kind == uint32_t(ExportBrickPlan) && k >= 2 ? 230 : 255;
}

int16_t MeasurePsdDocument(const ExportPlan* plan, uint32_t profileSize, uint32_t exifSize, uint32_t iptcSize,
                           PsdLayout* layout) {
  // Measuring writes nothing; the blocks' bytes are never read.
  static const uint8_t none[1] = {};
  PsdDocument doc;
  doc.plan = const_cast<ExportPlan*>(plan);
  doc.profile = none;
  doc.profileSize = profileSize;
  doc.exif = none;
  doc.exifSize = exifSize;
  doc.iptc = none;
  doc.iptcSize = iptcSize;
  const int16_t result = MeasureDocument(&doc);
  *layout = doc.layout;
  return result;
}

int16_t WritePsdDocument(GlobalsRecord* globals, const FileSpec* fileSpec, uint8_t* cancel, ExportPlan* plan,
                         ExportFileSet* files) {
  WorkRecord* work = globals->workRecord;
  if (work == nullptr) return kExportNoMemory;
  PsdDocument doc;
  doc.globals = globals;
  doc.plan = plan;
  doc.cancel = cancel;
  doc.stopOnCancel = files->discardWhenCancelled;

  ImageRecord image;
  InitImageRecord(&image, &globals->imageOwner, &work->filterTables);
  IptcBlock iptc;
  InitIptcBlock(&iptc);
  AddDocumentKeywords(&iptc, plan, int32_t(plan->kind));
  AddSettingsKeywords(&iptc, globals);
  MetadataStream exif;
  InitExifBlock(&exif);
  if (BuildPhotoshopIptcBlock(&iptc, false, true) > 0) {
    BuildPhotoshopIptcBlock(&iptc, false, false);
    doc.iptc = iptc.stream.buffer;
    doc.iptcSize = iptc.stream.buffer ? iptc.stream.byteCount : 0;
  }
  if (BuildExifBlock(&exif, false, true) > 0) {
    BuildExifBlock(&exif, false, false);
    doc.exif = exif.buffer;
    doc.exifSize = exif.buffer ? exif.byteCount : 0;
  }
  LockProfile(globals, &doc);

  int16_t result = MeasureDocument(&doc);
  BufferId stagingSlot = 0;
  void* staging = nullptr;
  FileHandle file = kNoFile;
  if (result == kExportDone) {
    if (!CreateImage(&image, plan->width, plan->height, ExportPixelMode(plan->bytesPerChannel), FetchClamp)) {
      result = kExportNoMemory;
    }
  }
  if (result == kExportDone) {
    doc.image = &image;
    GetParameterBlock(globals)->runMode = RunModeExport;
    work->offscreenTarget = &image;
    staging = AllocBuffer(kStagingBytes, &stagingSlot, RunBufferProcs(globals));
    if (staging == nullptr) result = kExportNoMemory;
  }
  if (result == kExportDone) result = OpenExportFile(files, fileSpec->path, &file);
  if (result == kExportDone) {
    PsdOutput out;
    out.file = file;
    out.measure = false;
    out.buffer = static_cast<uint8_t*>(staging);
    WriteDocument(&doc, &out);
    if (out.error != kExportDone) {
      result = out.error;
    } else if (doc.renderResult != kExportDone) {
      result = doc.renderResult;
    } else if (doc.stopOnCancel && *cancel != 0) {
      result = kExportCancelled;
    } else if (out.count != doc.layout.fileSize) {
      result = kExportWriteFailed;  // the measured layout and the bytes disagree
    }
    const int16_t closed = CloseExportFile(files, file, result == kExportDone);
    if (result == kExportDone) result = closed;
  }

  FreeBuffer(&staging, &stagingSlot, RunBufferProcs(globals));
  UnlockProfile(globals, &doc);
  if (work->offscreenTarget == &image) work->offscreenTarget = nullptr;
  FreeImageRecord(&image);
  FreeIptcBlock(&iptc);
  FreeExifBlock(&exif);
  return result;
}
