#include "settings/settings_defaults.h"

#include <cstring>

void SetDefaultSettings(ParameterBlock* block) {
  if (block == nullptr) return;
  block->plainContext = 0;
  block->inputProjection = 1;
  block->outputProjection = 1;
  block->latitudeInteger = 0;
  block->latitude = 0.0f;
  block->longitudeInteger = 0;
  block->longitude = 0.0f;
  block->spinInteger = 0;
  block->spin = 0.0f;
  block->fovInteger = 120;
  block->fov = 120.0f;
  block->tabsInteger = 33;
  block->tabs = 33.0f;
  block->sharpeningInteger = 30;
  block->sharpen = 30.0f;
  block->tabRed = 55255;
  block->tabGreen = 44204;
  block->tabBlue = 56540;
  block->backdropRed = 65535;
  block->backdropGreen = 65535;
  block->backdropBlue = 65535;
  block->flip = 0;
  block->hqprValue = 0;
  block->legacySettingA = 21;
  block->glue = 1;
  block->grid = 0;
  block->faces = 0;
  block->brickLayers = 20;
  block->legacySettingB = 0;
  block->brickColorset = 63;
  block->spherePlan = 1;
  block->sphereStats = 1;
  block->ldraw = 0;
  block->brickDiffusion = 0;
  block->brickPlates = 0;
  block->cubeSide = 256;
  block->faceSize = 500;
  block->transparentGaps = 1;
  block->indicatrix = 0;
  block->edges = 0;
  block->dehalo = 0;
  block->anamorphosis = 0;
  block->keepTransparency = 0;
  block->grid2 = 1;
  block->previewQuality = 2;
  block->customNetOutput = 6;
}

namespace {

template <typename T>
void CopyField(T& snapshotField, T& blockField, uint8_t direction) {
  if (direction == 0) {
    std::memcpy(&snapshotField, &blockField, sizeof(T));
  } else {
    std::memcpy(&blockField, &snapshotField, sizeof(T));
  }
}

// The bytes from `first` up to and including `last`, in either direction.
template <typename A, typename B>
void CopyRange(ParameterBlock* s, ParameterBlock* b, A ParameterBlock::*first, B ParameterBlock::*last,
               uint8_t direction) {
  const char* base = reinterpret_cast<const char*>(b);
  size_t from = size_t(reinterpret_cast<const char*>(&(b->*first)) - base);
  size_t to = size_t(reinterpret_cast<const char*>(&(b->*last)) - base) + sizeof(B);
  char* sb = reinterpret_cast<char*>(s);
  char* bb = reinterpret_cast<char*>(b);
  if (direction == 0) {
    std::memcpy(sb + from, bb + from, to - from);
  } else {
    std::memcpy(bb + from, sb + from, to - from);
  }
}

}  // namespace

void CopySettingsSnapshot(SettingsSnapshot* snapshot, ParameterBlock* block, uint8_t direction) {
  if (snapshot == nullptr || block == nullptr) return;
  ParameterBlock* s = &snapshot->settings;
  CopyField(s->settingsName, block->settingsName, direction);
  s->settingsName[sizeof s->settingsName - 1] = '\0';
  block->settingsName[sizeof block->settingsName - 1] = '\0';
  // The eight colour triples: tab, backdrop and the six further ones.
  CopyRange(s, block, &ParameterBlock::tabRed, &ParameterBlock::legacyColours, direction);
  CopyField(s->legacyValues, block->legacyValues, direction);
  CopyField(s->glue, block->glue, direction);
  CopyField(s->legacySettingA, block->legacySettingA, direction);
  // Every 32-bit field from the input projection through the two stored
  // integers after `faces` (the third one is a file-only field).
  CopyRange(s, block, &ParameterBlock::inputProjection, &ParameterBlock::faces, direction);
  CopyField(s->legacyIntsF[0], block->legacyIntsF[0], direction);
  CopyField(s->legacyIntsF[1], block->legacyIntsF[1], direction);
  CopyRange(s, block, &ParameterBlock::latitude, &ParameterBlock::sharpen, direction);
  CopyField(s->transparentGaps, block->transparentGaps, direction);
  CopyField(s->indicatrix, block->indicatrix, direction);
  CopyField(s->edges, block->edges, direction);
  CopyField(s->anamorphosis, block->anamorphosis, direction);
  CopyField(s->dehalo, block->dehalo, direction);
  CopyField(s->grid2, block->grid2, direction);
}

void StoreSettingsSnapshot(SettingsSnapshot* snapshot, ParameterBlock* block) {
  CopySettingsSnapshot(snapshot, block, 0);
}

void RestoreSettingsSnapshot(SettingsSnapshot* snapshot, ParameterBlock* block) {
  CopySettingsSnapshot(snapshot, block, 1);
}

void SetLittlePlanetSettings(ParameterBlock* block, int32_t) {
  if (block == nullptr) return;
  block->plainContext = 0;
  block->inputProjection = 1;
  block->outputProjection = 16;
  block->latitudeInteger = -90;
  block->latitude = -90.0f;
  block->longitudeInteger = 0;
  block->longitude = 0.0f;
  block->spinInteger = 0;
  block->spin = 0.0f;
  block->fovInteger = 110;
  block->fov = 110.0f;
  block->flip = 0;
  block->glue = 1;
  block->grid = 0;
  block->indicatrix = 0;
  block->edges = 0;
  block->anamorphosis = 0;
  block->grid2 = 1;
}

void EnsureSettingsFileName(char* name) {
  if (name == nullptr) return;
  constexpr size_t kCapacity = 260;
  name[kCapacity - 1] = '\0';
  if (name[0] == '\0') std::strcpy(name, kSettingsFileName);
  // The extension begins at the last dot of the file name (not of a folder).
  char* dot = std::strrchr(name, '.');
  char* slash = std::strrchr(name, '\\');
  char* forward = std::strrchr(name, '/');
  if (forward != nullptr && (slash == nullptr || forward > slash)) slash = forward;
  if (dot != nullptr && (slash == nullptr || dot > slash)) *dot = '\0';
  size_t n = std::strlen(name);
  if (n + 5 > kCapacity) n = kCapacity - 5;  // keep room for the extension
  std::memcpy(name + n, ".q2q", 5);
}

bool TestSettingAlwaysFalse(int16_t) { return false; }
