#include "settings/settings_globals.h"

#include <memory>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "image/image_record.h"
#include "image/pixel_access.h"
#include "settings/settings_defaults.h"

namespace {

bool IsThumbnailImage(const ImageRecord* image) {
  return image != nullptr && ImageHasLevel(image, 0) && image->pixelMode == PixelRgba8 &&
         image->levelWidth[0] == kThumbnailSide && image->levelHeight[0] == kThumbnailSide;
}

std::unique_ptr<SettingsThumbnail> ThumbnailOf(GlobalsRecord* globals) {
  std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
  ThumbnailFromImage(globals != nullptr ? &globals->thumbnailImage : nullptr, thumbnail.get());
  return thumbnail;
}

}  // namespace

void ThumbnailFromImage(const ImageRecord* image, SettingsThumbnail* thumbnail) {
  *thumbnail = SettingsThumbnail{};
  thumbnail->exists = IsThumbnailImage(image);
  if (!thumbnail->exists) return;
  for (int32_t y = 0; y < kThumbnailSide; ++y) {
    for (int32_t x = 0; x < kThumbnailSide; ++x) {
      uint32_t r, g, b, a;
      GetPixelRgba8(x, y, image, 0, &r, &g, &b, &a);
      uint8_t* p = &thumbnail->rgba[size_t(y * kThumbnailSide + x) * 4];
      p[0] = uint8_t(r);
      p[1] = uint8_t(g);
      p[2] = uint8_t(b);
      p[3] = uint8_t(a);
    }
  }
}

void ThumbnailToImage(const SettingsThumbnail* thumbnail, ImageRecord* image) {
  if (thumbnail == nullptr || !thumbnail->exists || !IsThumbnailImage(image)) return;
  for (int32_t y = 0; y < kThumbnailSide; ++y) {
    for (int32_t x = 0; x < kThumbnailSide; ++x) {
      const uint8_t* p = &thumbnail->rgba[size_t(y * kThumbnailSide + x) * 4];
      PutPixelRgba8(x, y, image, 0, p[0], p[1], p[2], p[3]);
    }
  }
}

int16_t SaveSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec) {
  ParameterBlock* block = globals != nullptr ? GetParameterBlock(globals) : nullptr;
  if (block == nullptr || fileSpec == nullptr) return kFileCannotOpen;
  std::unique_ptr<SettingsThumbnail> thumbnail = ThumbnailOf(globals);
  return SaveSettingsFile(block, thumbnail.get(), fileSpec->path);
}

int16_t ReadSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec, int16_t mode, uint8_t* hasPicture) {
  if (hasPicture != nullptr) *hasPicture = 0;
  ParameterBlock* block = globals != nullptr ? GetParameterBlock(globals) : nullptr;
  if (block == nullptr || fileSpec == nullptr) return kFileCannotOpen;
  std::unique_ptr<SettingsThumbnail> thumbnail = ThumbnailOf(globals);
  int16_t status = ReadSettingsFile(block, thumbnail.get(), fileSpec->path, mode, hasPicture);
  if (status == kFileOk) ThumbnailToImage(thumbnail.get(), &globals->thumbnailImage);
  return status;
}

int16_t ReadSettingsFileMode(GlobalsRecord* globals, const FileSpec* fileSpec, int16_t mode, uint8_t* hasPicture) {
  return ReadSettingsFile(globals, fileSpec, mode, hasPicture);
}

int16_t LoadSettingsFile(GlobalsRecord* globals, const FileSpec* fileSpec) {
  uint8_t scratch = 0;
  return ReadSettingsFile(globals, fileSpec, kReadAllFields, &scratch);
}

int16_t LoadSettingsFileAllFields(GlobalsRecord* globals, const FileSpec* fileSpec) {
  uint8_t scratch = 0;
  return ReadSettingsFile(globals, fileSpec, kReadAllFields, &scratch);
}

void SetLittlePlanetSettings(GlobalsRecord* globals, int32_t value) {
  if (globals != nullptr) SetLittlePlanetSettings(GetParameterBlock(globals), value);
}

void UpgradeSettingsFloats(GlobalsRecord* globals) {
  if (globals != nullptr) UpgradeSettingsFloats(GetParameterBlock(globals));
}
