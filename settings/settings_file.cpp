#include "settings/settings_file.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>

#include "settings/settings_defaults.h"

namespace {

// How a field travels.
enum FieldKind : uint8_t {
  kInt32,          // a 32-bit field as it is
  kWide16,         // a 16-bit field widened to 32 bits; read back as its low 16 bits
  kFloat32,        // IEEE single
  kHundredths,     // a float written as trunc(value x 100), read as value x 0.01
  kFormatMarker,   // the format marker: written as 1, read and discarded
  kMinusOne,       // written as -1, read and discarded
  kLegacyPicture,  // the old raw picture block; written as "none"
  kThumbnail,      // the JPEG thumbnail block
};

struct SettingsField {
  uint8_t number;  // position in the stream, from 1
  uint8_t gate;    // the oldest version that holds the field
  FieldKind kind;
  uint16_t offset;  // of the field in the parameter block
};

#define PB(member) uint16_t(offsetof(ParameterBlock, member))

// Every field in stream order. The six further colour triples are
// legacyColours[0..17] in triples: 1 at 0, 2 at 3, 3 at 6, 4 at 9, 5 at 12,
// 6 at 15. The fourth is in the stream twice; the second copy wins.
constexpr SettingsField kSettingsFields[] = {
    {1, 0, kInt32, PB(version)},
    {2, 0, kWide16, PB(tabRed)},
    {3, 0, kWide16, PB(tabGreen)},
    {4, 0, kWide16, PB(tabBlue)},
    {5, 0, kWide16, PB(backdropRed)},
    {6, 0, kWide16, PB(backdropGreen)},
    {7, 0, kWide16, PB(backdropBlue)},
    {8, 0, kWide16, PB(legacyColours[0])},
    {9, 0, kWide16, PB(legacyColours[1])},
    {10, 0, kWide16, PB(legacyColours[2])},
    {11, 0, kInt32, PB(inputProjection)},
    {12, 0, kInt32, PB(legacyIntsA[0])},
    {13, 0, kInt32, PB(legacyIntsA[1])},
    {14, 0, kInt32, PB(legacyIntsA[2])},
    {15, 0, kInt32, PB(latitudeInteger)},
    {16, 0, kInt32, PB(spinInteger)},
    {17, 0, kInt32, PB(legacyIntsB[0])},
    {18, 0, kInt32, PB(legacyIntsB[1])},
    {19, 0, kInt32, PB(legacyIntsB[2])},
    {20, 0, kInt32, PB(legacyIntsB[3])},
    {21, 0, kInt32, PB(outputProjection)},
    {22, 0, kInt32, PB(flip)},
    {23, 0, kInt32, PB(hqprValue)},
    {24, 0, kInt32, PB(legacyIntC)},
    {25, 0, kInt32, PB(longitudeInteger)},
    {26, 0, kInt32, PB(tabsInteger)},
    {27, 0, kInt32, PB(legacyIntsF[2])},
    {28, 0, kInt32, PB(legacyIntD)},
    {29, 0, kInt32, PB(legacyIntsE[1])},
    {30, 0, kInt32, PB(legacyIntsE[2])},
    {31, 0, kWide16, PB(legacyColours[9])},
    {32, 0, kWide16, PB(legacyColours[10])},
    {33, 0, kWide16, PB(legacyColours[11])},
    {34, 0, kWide16, PB(legacyColours[9])},
    {35, 0, kWide16, PB(legacyColours[10])},
    {36, 0, kWide16, PB(legacyColours[11])},
    {37, 2, kWide16, PB(legacyColours[15])},
    {38, 2, kWide16, PB(legacyColours[16])},
    {39, 2, kWide16, PB(legacyColours[17])},
    {40, 2, kInt32, PB(fovInteger)},
    {41, 2, kInt32, PB(legacyIntsE[0])},
    {42, 2, kInt32, PB(grid)},
    {43, 3, kInt32, PB(glue)},
    {44, 3, kFormatMarker, PB(transferWord)},
    {45, 4, kInt32, PB(legacyIntsE[3])},
    {46, 4, kInt32, PB(legacyIntsE[4])},
    {47, 4, kInt32, PB(faces)},
    {48, 5, kInt32, PB(legacyIntsF[0])},
    {49, 5, kInt32, PB(legacyIntsF[1])},
    {50, 8, kHundredths, PB(legacyValues[0])},
    {51, 8, kHundredths, PB(legacyValues[1])},
    {52, 8, kHundredths, PB(legacyValues[2])},
    {53, 8, kHundredths, PB(legacyValues[3])},
    {54, 8, kHundredths, PB(legacyValues[4])},
    {55, 8, kHundredths, PB(legacyValues[5])},
    {56, 12, kInt32, PB(legacySettingA)},
    {57, 14, kInt32, PB(legacyIntsE[5])},
    {58, 16, kFormatMarker, PB(transferWord)},
    {59, 17, kInt32, PB(legacyIntG)},
    {60, 18, kWide16, PB(legacyColours[3])},
    {61, 18, kWide16, PB(legacyColours[4])},
    {62, 18, kWide16, PB(legacyColours[5])},
    {63, 18, kWide16, PB(legacyColours[6])},
    {64, 18, kWide16, PB(legacyColours[7])},
    {65, 18, kWide16, PB(legacyColours[8])},
    {66, 22, kLegacyPicture, 0},
    {67, 23, kWide16, PB(legacyColours[12])},
    {68, 23, kWide16, PB(legacyColours[13])},
    {69, 23, kWide16, PB(legacyColours[14])},
    {70, 26, kMinusOne, 0},
    {71, 26, kMinusOne, 0},
    {72, 30, kInt32, PB(brickLayers)},
    {73, 30, kInt32, PB(legacySettingB)},
    {74, 30, kInt32, PB(spherePlan)},
    {75, 30, kInt32, PB(sphereStats)},
    {76, 33, kInt32, PB(cubeSide)},
    {77, 35, kInt32, PB(ldraw)},
    {78, 35, kInt32, PB(brickDiffusion)},
    {79, 35, kInt32, PB(brickColorset)},
    {80, 35, kInt32, PB(brickPlates)},
    {81, 36, kInt32, PB(faceSize)},
    {82, 37, kInt32, PB(sharpeningInteger)},
    {83, 38, kInt32, PB(transparentGaps)},
    {84, 38, kInt32, PB(edges)},
    {85, 40, kThumbnail, 0},
    {86, 41, kInt32, PB(anamorphosis)},
    {87, 42, kInt32, PB(dehalo)},
    {88, 43, kInt32, PB(grid2)},
    {89, 44, kInt32, PB(previewQuality)},
    {90, 46, kInt32, PB(indicatrix)},
    {91, 47, kFloat32, PB(latitude)},
    {92, 47, kFloat32, PB(longitude)},
    {93, 47, kFloat32, PB(spin)},
    {94, 47, kFloat32, PB(fov)},
    {95, 47, kFloat32, PB(tabs)},
    {96, 47, kFloat32, PB(sharpen)},
};

#undef PB

constexpr size_t kFieldCount = sizeof kSettingsFields / sizeof kSettingsFields[0];
static_assert(kFieldCount == 96);
constexpr uint8_t kLastFieldBeforeStop = 66;  // a version-30 file ends after its legacy picture

template <typename T>
T* FieldAt(ParameterBlock* block, uint16_t offset) {
  return reinterpret_cast<T*>(reinterpret_cast<char*>(block) + offset);
}

// trunc(value) as a 32-bit integer, saturating; NaN gives 0.
int32_t TruncToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return int32_t(value);
}

int16_t WriteField(const SettingsField& field, ParameterBlock* block, const SettingsThumbnail* thumbnail,
                   FileHandle handle) {
  switch (field.kind) {
    case kInt32:
      return WriteInt32BE(*FieldAt<int32_t>(block, field.offset), handle);
    case kWide16:
      return WriteInt32BE(int32_t(*FieldAt<uint16_t>(block, field.offset)), handle);
    case kFloat32:
      return WriteFloat32BE(*FieldAt<float>(block, field.offset), handle);
    case kHundredths:
      // Rounded, not truncated: 0.29f times 100 is 28.99999..., and a value
      // read back as n / 100 must be written again as n.
      return WriteInt32BE(TruncToInt32(std::round(double(*FieldAt<float>(block, field.offset)) * 100.0)), handle);
    case kFormatMarker:
      block->transferWord = 1;
      return WriteInt32BE(block->transferWord, handle);
    case kMinusOne:
      return WriteInt32BE(-1, handle);
    case kLegacyPicture:
      return WriteNoThumbnail(handle);
    case kThumbnail:
      return WriteSettingsThumbnail(thumbnail, handle, true, kThumbnailSide, kThumbnailSide, kThumbnailQuality,
                                    nullptr, nullptr);
  }
  return kFileWriteFailed;
}

int16_t ReadField(const SettingsField& field, ParameterBlock* block, SettingsThumbnail* thumbnail,
                  FileHandle handle, uint8_t* hasPicture) {
  int32_t value = 0;
  int16_t status = kFileOk;
  switch (field.kind) {
    case kFloat32:
      return ReadFloat32BE(FieldAt<float>(block, field.offset), handle);
    case kLegacyPicture:
      return ReadLegacyThumbnail(thumbnail, handle, hasPicture);
    case kThumbnail:
      return ReadSettingsThumbnail(thumbnail, handle, hasPicture);
    default:
      break;
  }
  if ((status = ReadInt32BE(&value, handle)) != kFileOk) return status;
  switch (field.kind) {
    case kInt32:
      *FieldAt<int32_t>(block, field.offset) = value;
      break;
    case kWide16:
      *FieldAt<uint16_t>(block, field.offset) = uint16_t(uint32_t(value) & 0xFFFFu);
      break;
    case kHundredths:
      *FieldAt<float>(block, field.offset) = float(double(value) * 0.01);
      break;
    default:  // read and discarded
      break;
  }
  return kFileOk;
}

// Fields numbered first..last whose gate the version meets.
int16_t ReadFields(uint8_t first, uint8_t last, int32_t version, ParameterBlock* block,
                   SettingsThumbnail* thumbnail, FileHandle handle, uint8_t* hasPicture) {
  for (const SettingsField& field : kSettingsFields) {
    if (field.number < first || field.number > last || version < field.gate) continue;
    int16_t status = ReadField(field, block, thumbnail, handle, hasPicture);
    if (status != kFileOk) return status;
  }
  return kFileOk;
}

// One more, wrapping like the 32-bit arithmetic it stands for.
void Bump(int32_t* value) { *value = int32_t(uint32_t(*value) + 1u); }

// The output-14 field-of-view conversion of files before version 34.
void ConvertOldFieldOfView(ParameterBlock* b) {
  float x = float(double(b->fovInteger) / 180.0);
  if (x < 0.0f) x = 0.0f;
  if (x >= 1.0f) return;
  float f = float(std::atan(std::tan(double(x) * 1.5707963265) * 0.5) * 0.6366197724870984);
  b->fovInteger = TruncToInt32(double(f) * 180.0);
  b->fov = float(double(f) * 180.0);
}

// Brings the values of an older file up to date; these run in order and
// only on fields already read.
void FixUpOldVersion(ParameterBlock* b, int32_t v) {
  if (v < 15) b->longitudeInteger = int32_t(100u - uint32_t(b->longitudeInteger));
  if (v >= 2 && v < 11) b->grid = int32_t(uint32_t(b->grid) + 1u);
  if (v < 25) b->faces = 0;
  if (v >= 5 && v <= 12) b->legacyIntsF[1] = int32_t(100u - uint32_t(b->legacyIntsF[1]));
  if (v < 7) {
    b->legacyColours[9] = b->tabRed;
    b->legacyColours[10] = b->tabGreen;
    b->legacyColours[11] = b->tabBlue;
    b->legacyIntsF[0] = 100;
    b->outputProjection = 50;
  }
  if (v < 9) b->fovInteger = 0;
  if (v < 19) b->spinInteger = 57;
  if (v < 20) b->tabsInteger = 0;
  if (v < 21) b->fovInteger = 50;
  // Renumbered outputs and inputs.
  if (v < 27) b->faces = 0;
  if (v < 28) Bump(&b->outputProjection);
  if (v < 29 && b->outputProjection >= 25) Bump(&b->outputProjection);
  if (v < 32 && b->outputProjection >= 34) Bump(&b->outputProjection);
  if (v < 24) {
    b->legacyIntsE[3] = 0;
    b->inputProjection = TruncToInt32(double(b->inputProjection) / 0.3);
  }
  if (v < 40 && b->outputProjection >= 16) Bump(&b->outputProjection);
  if (b->outputProjection == 14 && v < 34) ConvertOldFieldOfView(b);
}

// The whole stream into `block` and `thumbnail` (scratch copies owned by the
// caller). Answers the first failure.
int16_t ReadSettingsStream(ParameterBlock* block, SettingsThumbnail* thumbnail, FileHandle handle, int16_t mode,
                           uint8_t* hasPicture) {
  int32_t v = 0;
  int16_t status = ReadInt32BE(&v, handle);
  if (status != kFileOk) return status;
  // Every version from the first to this writer's reads as the table says;
  // any other first word means the file is something else.
  if (v < 0 || v > kSettingsVersion) return kSettingsVersionUnknown;
  block->version = v;
  status = ReadFields(2, kLastFieldBeforeStop, v, block, thumbnail, handle, hasPicture);
  if (status != kFileOk) return status;
  FixUpOldVersion(block, v);
  if (v == 30) {
    *hasPicture = 0;
    return kFileOk;
  }
  status = ReadFields(kLastFieldBeforeStop + 1, 96, v, block, thumbnail, handle, hasPicture);
  if (status != kFileOk) return status;
  if (v < 45 && block->outputProjection == 35) {
    block->outputProjection = 38;
    block->fovInteger = 33;
  }
  if (mode == kReadAllFields) UpgradeSettingsFloats(block);
  return kFileOk;
}

}  // namespace

int16_t WriteSettingsRecord(ParameterBlock* block, const SettingsThumbnail* thumbnail, FileHandle handle) {
  block->version = kSettingsVersion;
  block->transferWord = 1;
  int16_t result = kFileOk;
  for (const SettingsField& field : kSettingsFields) {
    if (WriteField(field, block, thumbnail, handle) != kFileOk) result = kFileWriteFailed;
  }
  return result;
}

int16_t SaveSettingsFile(ParameterBlock* block, const SettingsThumbnail* thumbnail, const char* path) {
  if (block == nullptr || path == nullptr || path[0] == '\0') return kFileCannotOpen;
  // The new stream goes to a sibling file first.
  char temporary[kMaxPathBytes];
  size_t n = std::strlen(path);
  if (n + 2 > sizeof temporary) return kFileCannotOpen;
  std::memcpy(temporary, path, n);
  temporary[n] = '~';
  temporary[n + 1] = '\0';
  FileHandle handle = OsCreateFileForWriting(temporary);
  if (handle == kNoFile) return kFileCannotOpen;
  int16_t result = WriteSettingsRecord(block, thumbnail, handle);
  CloseFileHandle(handle);
  if (result == kFileOk && !OsReplaceFile(temporary, path)) result = kFileCannotOpen;
  if (result != kFileOk) OsRemoveFile(temporary);
  return result;
}

int16_t ReadSettingsFile(ParameterBlock* block, SettingsThumbnail* thumbnail, const char* path, int16_t mode,
                         uint8_t* hasPicture) {
  if (hasPicture != nullptr) *hasPicture = 0;
  if (block == nullptr) return kFileCannotOpen;
  FileHandle handle = kNoFile;
  if (OpenFileSpec(path, &handle, 0) != kFileOk) return kFileCannotOpen;
  return ReadSettingsFromHandle(block, thumbnail, handle, mode, hasPicture);
}

int16_t ReadSettingsFromHandle(ParameterBlock* block, SettingsThumbnail* thumbnail, FileHandle handle, int16_t mode,
                               uint8_t* hasPicture) {
  uint8_t pictureRead = 0;
  if (hasPicture != nullptr) *hasPicture = 0;
  if (block == nullptr) {
    CloseFileHandle(handle);
    return kFileCannotOpen;
  }
  // Everything is read into copies and taken over only when the whole file
  // has been read.
  std::unique_ptr<ParameterBlock> fields(new ParameterBlock(*block));
  std::unique_ptr<SettingsThumbnail> picture(thumbnail != nullptr ? new SettingsThumbnail(*thumbnail) : nullptr);
  int16_t status = ReadSettingsStream(fields.get(), picture.get(), handle, mode, &pictureRead);
  CloseFileHandle(handle);
  if (status != kFileOk) return status;
  if (mode == kReadAllFields) {
    *block = *fields;
  } else {
    block->version = fields->version;
  }
  if (thumbnail != nullptr) *thumbnail = *picture;
  if (hasPicture != nullptr) *hasPicture = pictureRead;
  return kFileOk;
}

int16_t ReadSettingsFileMode(ParameterBlock* block, SettingsThumbnail* thumbnail, const char* path, int16_t mode,
                             uint8_t* hasPicture) {
  return ReadSettingsFile(block, thumbnail, path, mode, hasPicture);
}

int16_t LoadSettingsFile(ParameterBlock* block, SettingsThumbnail* thumbnail, const char* path) {
  uint8_t scratch = 0;
  return ReadSettingsFile(block, thumbnail, path, kReadAllFields, &scratch);
}

int16_t LoadSettingsFileAllFields(ParameterBlock* block, SettingsThumbnail* thumbnail, const char* path) {
  uint8_t scratch = 0;
  return ReadSettingsFile(block, thumbnail, path, kReadAllFields, &scratch);
}

void UpgradeSettingsFloats(ParameterBlock* block) {
  if (block == nullptr || block->version >= kSettingsVersion) return;
  block->latitude = float(block->latitudeInteger);
  block->longitude = float(block->longitudeInteger);
  block->spin = float(block->spinInteger);
  block->fov = float(block->fovInteger);
  block->tabs = float(block->tabsInteger);
  block->sharpen = float(block->sharpeningInteger);
}

bool LoadSettingsThumbnail(const char* path, PixelRaster* image, ParameterBlock* block,
                           SettingsThumbnail* thumbnail) {
  if (thumbnail == nullptr || !thumbnail->exists) return false;
  PaintThumbnailBackground(thumbnail);
  uint8_t hasPicture = 0;
  if (ReadSettingsFile(block, thumbnail, path, kReadThumbnailOnly, &hasPicture) != kFileOk || hasPicture == 0) {
    return false;
  }
  CopyThumbnailToImage(thumbnail, image);
  return image != nullptr && image->pixels != nullptr;
}
