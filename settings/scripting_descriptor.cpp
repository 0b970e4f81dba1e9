#include "settings/scripting_descriptor.h"

#include <cfloat>
#include <cmath>
#include <memory>

#include "host/globals_record.h"
#include "host/host_suites.h"
#include "host/scripting_terms.h"
#include "settings/enum_codes.h"
#include "settings/settings_file.h"
#include "settings/settings_globals.h"

namespace {

constexpr FourCC kHostSigPsp8 = MakeFourCC('P', 'S', 'P', '8');
constexpr FourCC kHostSigPsp9 = MakeFourCC('P', 'S', 'P', '9');
constexpr DescriptorTypeId kTypeBoolean = MakeFourCC('b', 'o', 'o', 'l');
constexpr HostError kErrMissingParameter = -1715;

enum class KeyKind : uint8_t {
  Integer,     // put and read as an integer
  Colour,      // a 16-bit component, recorded as its high byte
  Boolean,     // put as a boolean from the field's low byte
  Enumerated,  // a code of the key's enumeration
  Float,       // a double, kept as a single
  WriteOnly,   // put as an integer, never read back
};

struct DescriptorKey {
  FourCC key;
  KeyKind kind;
  FourCC enumType;
  int32_t ParameterBlock::*integer;
  uint16_t ParameterBlock::*colour;
  float ParameterBlock::*real;
};

constexpr DescriptorKey Int(FourCC key, int32_t ParameterBlock::*field, KeyKind kind = KeyKind::Integer) {
  return {key, kind, 0, field, nullptr, nullptr};
}
constexpr DescriptorKey Colour(FourCC key, uint16_t ParameterBlock::*field) {
  return {key, KeyKind::Colour, 0, nullptr, field, nullptr};
}
constexpr DescriptorKey Enum(FourCC key, FourCC type, int32_t ParameterBlock::*field) {
  return {key, KeyKind::Enumerated, type, field, nullptr, nullptr};
}
constexpr DescriptorKey Real(FourCC key, float ParameterBlock::*field) {
  return {key, KeyKind::Float, 0, nullptr, nullptr, field};
}
constexpr FourCC K(const char* t) { return MakeFourCC(t[0], t[1], t[2], t[3]); }

using PB = ParameterBlock;
constexpr KeyKind kBool = KeyKind::Boolean;

// The keys in the order they are put.
constexpr DescriptorKey kDescriptorKeys[] = {
    Int(K("Vers"), &PB::version),
    Colour(K("0001"), &PB::tabRed),
    Colour(K("0002"), &PB::tabGreen),
    Colour(K("0003"), &PB::tabBlue),
    Colour(K("0004"), &PB::backdropRed),
    Colour(K("0005"), &PB::backdropGreen),
    Colour(K("0006"), &PB::backdropBlue),
    Enum(K("Qiky"), kInputEnumType, &PB::inputProjection),
    Int(K("0008"), &PB::latitudeInteger),
    Int(K("0009"), &PB::spinInteger),
    Enum(K("Qoky"), kOutputEnumType, &PB::outputProjection),
    Int(K("0011"), &PB::flip, kBool),
    Int(K("hqpr"), &PB::hqprValue),
    Int(K("0012"), &PB::longitudeInteger),
    Int(K("0013"), &PB::tabsInteger),
    Int(K("0014"), &PB::fovInteger),
    Enum(K("GLUE"), kGlueEnumType, &PB::glue),
    Int(K("0017"), &PB::faces, kBool),
    Int(K("0018"), &PB::brickLayers),
    Int(K("0019"), &PB::spherePlan, kBool),
    Int(K("0020"), &PB::sphereStats, kBool),
    Int(K("0021"), &PB::cubeSide),
    Int(K("0022"), &PB::ldraw, kBool),
    Int(K("0023"), &PB::brickDiffusion, kBool),
    Int(K("0024"), &PB::brickColorset),
    Int(K("0025"), &PB::brickPlates, kBool),
    Int(K("0026"), &PB::faceSize),
    Int(K("0027"), &PB::sharpeningInteger),
    Int(K("0028"), &PB::transparentGaps, kBool),
    Int(K("0029"), &PB::edges, kBool),
    Int(K("0030"), &PB::anamorphosis, kBool),
    Int(K("0031"), &PB::dehalo, kBool),
    Enum(K("Qgky"), kGridEnumType, &PB::grid2),
    Int(K("0032"), &PB::previewQuality, KeyKind::WriteOnly),
    Int(K("0033"), &PB::indicatrix, kBool),
    Real(K("0034"), &PB::latitude),
    Real(K("0035"), &PB::longitude),
    Real(K("0036"), &PB::spin),
    Real(K("0037"), &PB::fov),
    Real(K("0038"), &PB::tabs),
    Real(K("0039"), &PB::sharpen),
};

const DescriptorKey* FindDescriptorKey(FourCC key) {
  for (const DescriptorKey& k : kDescriptorKeys) {
    if (k.key == key) return &k;
  }
  return nullptr;
}

PIDescriptorParameters* DescriptorParametersOf(GlobalsRecord* globals) {
  FilterRecord* fr = globals != nullptr ? globals->filterRecord : nullptr;
  return fr != nullptr ? fr->descriptorParameters : nullptr;
}

// An integer-like value as the host recorded it: a boolean gives its byte,
// anything else is asked for as an integer.
bool GetIntegerValue(const ReadDescriptorProcs* read, DescriptorToken token, DescriptorTypeId type, int32_t* value) {
  if (type == kTypeBoolean) {
    HostBoolean b = 0;
    if (read->getBooleanProc(token, &b) != kNoErr) return false;
    *value = int32_t(uint8_t(b));
    return true;
  }
  return read->getIntegerProc(token, value) == kNoErr;
}

// One value read from the host, then stored: the host call may move the
// unlocked parameters handle, so the block is looked up afterwards.
void ReadOneKey(const ReadDescriptorProcs* read, DescriptorToken token, DescriptorKeyId key, DescriptorTypeId type,
                GlobalsRecord* globals) {
  const DescriptorKey* k = FindDescriptorKey(key);
  if (k == nullptr) return;
  switch (k->kind) {
    case KeyKind::WriteOnly:
      return;
    case KeyKind::Integer:
    case KeyKind::Boolean: {
      int32_t value = 0;
      if (GetIntegerValue(read, token, type, &value)) GetParameterBlock(globals)->*(k->integer) = value;
      return;
    }
    case KeyKind::Colour: {
      int32_t value = 0;
      if (!GetIntegerValue(read, token, type, &value)) return;
      // The high byte comes back spread over the whole 16-bit range, so
      // that 255 is white again.
      value = value < 0 ? 0 : value > 255 ? 255 : value;
      GetParameterBlock(globals)->*(k->colour) = uint16_t(value * 257);
      return;
    }
    case KeyKind::Float: {
      double value = 0;
      if (read->getFloatProc(token, &value) != kNoErr || !std::isfinite(value)) return;
      value = value < -double(FLT_MAX) ? -double(FLT_MAX) : value > double(FLT_MAX) ? double(FLT_MAX) : value;
      GetParameterBlock(globals)->*(k->real) = float(value);
      return;
    }
    case KeyKind::Enumerated: {
      DescriptorEnumId code = 0;
      if (read->getEnumeratedProc(token, &code) != kNoErr) return;
      int32_t index = 0;
      EnumKeyToIndex(k->enumType, code, &index);
      GetParameterBlock(globals)->*(k->integer) = index;
      return;
    }
  }
}

void PutOneKey(const WriteDescriptorProcs* write, DescriptorToken token, const DescriptorKey& k,
               GlobalsRecord* globals) {
  // Read afresh for every key: a host call may move the unlocked block.
  const ParameterBlock* b = GetParameterBlock(globals);
  switch (k.kind) {
    case KeyKind::Integer:
    case KeyKind::WriteOnly:
      write->putIntegerProc(token, k.key, b->*(k.integer));
      return;
    case KeyKind::Boolean:
      write->putBooleanProc(token, k.key, HostBoolean(uint32_t(b->*(k.integer)) & 0xffu));
      return;
    case KeyKind::Colour:
      write->putIntegerProc(token, k.key, int32_t(b->*(k.colour) >> 8));
      return;
    case KeyKind::Float: {
      const double value = b->*(k.real);
      write->putFloatProc(token, k.key, &value);
      return;
    }
    case KeyKind::Enumerated: {
      FourCC code = 0;
      EnumIndexToKey(b->*(k.integer), k.enumType, &code);
      write->putEnumeratedProc(token, k.key, k.enumType, code);
      return;
    }
  }
}

}  // namespace

DescriptorKeyId* DescriptorKeyList() {
  // The recorded keys with the grid key that is listed but never recorded.
  static DescriptorKeyId keys[kDescriptorKeyCount + 1] = {
      K("Vers"), K("0001"), K("0002"), K("0003"), K("0004"), K("0005"), K("0006"), K("Qiky"), K("0008"),
      K("0009"), K("Qoky"), K("0011"), K("hqpr"), K("0012"), K("0013"), K("0014"), K("0015"), K("GLUE"),
      K("0017"), K("0018"), K("0019"), K("0020"), K("0021"), K("0022"), K("0023"), K("0024"), K("0025"),
      K("0026"), K("0027"), K("0028"), K("0029"), K("0030"), K("0031"), K("Qgky"), K("0032"), K("0033"),
      K("0034"), K("0035"), K("0036"), K("0037"), K("0038"), K("0039"), 0};
  return keys;
}

bool HostLacksDescriptors(const GlobalsRecord* globals) {
  const FilterRecord* fr = globals != nullptr ? globals->filterRecord : nullptr;
  return fr != nullptr && (fr->hostSig == kHostSigPsp8 || fr->hostSig == kHostSigPsp9);
}

DescriptorToken OpenReadDescriptorWithKeys(GlobalsRecord* globals, DescriptorKeyId* keyList) {
  PIDescriptorParameters* dp = DescriptorParametersOf(globals);
  if (dp == nullptr || dp->readDescriptorProcs == nullptr) return nullptr;
  return dp->readDescriptorProcs->openReadDescriptorProc(dp->descriptor, keyList);
}

bool OpenSettingsDescriptor(GlobalsRecord* globals) {
  if (globals == nullptr || globals->filterRecord == nullptr || HostLacksDescriptors(globals)) return false;
  PIDescriptorParameters* dp = DescriptorParametersOf(globals);
  if (!DescriptorParametersAvailable(dp, nullptr)) return false;
  DescriptorToken token = OpenReadDescriptorWithKeys(globals, DescriptorKeyList());
  if (token == nullptr) return false;
  // Only the answer is wanted: the probe's token goes back to the host, the
  // descriptor stays for the read that follows.
  dp->readDescriptorProcs->closeReadDescriptorProc(token);
  return true;
}

int32_t ReadSettingsDescriptor(GlobalsRecord* globals) {
  if (globals == nullptr || globals->filterRecord == nullptr || HostLacksDescriptors(globals)) return 0;
  FilterRecord* fr = globals->filterRecord;
  PIDescriptorParameters* dp = fr->descriptorParameters;
  if (!DescriptorParametersAvailable(dp, nullptr)) return 1;
  const ReadDescriptorProcs* read = dp->readDescriptorProcs;
  DescriptorToken token = OpenReadDescriptorWithKeys(globals, DescriptorKeyList());
  if (token != nullptr) {
    SetDefaultSettings(GetParameterBlock(globals));
    DescriptorKeyId key = 0;
    DescriptorTypeId type = 0;
    int32_t flags = 0;
    while (read->getKeyProc(token, &key, &type, &flags)) ReadOneKey(read, token, key, type, globals);
    HostError closed = CloseReadDescriptor(dp, fr->handleProcs, &token);
    if (closed != kNoErr && closed != kErrMissingParameter) SetResult(globals, closed);
  }
  ParameterBlock* block = GetParameterBlock(globals);
  UpgradeSettingsFloats(block);
  block->showDialog = PlayInfoShowsDialog(dp) ? 1 : 0;
  return int32_t(block->showDialog);
}

int16_t WriteSettingsRecord(GlobalsRecord* globals, void* file, int16_t mode, DescriptorToken writeToken) {
  ParameterBlock* block = globals != nullptr ? GetParameterBlock(globals) : nullptr;
  if (block == nullptr) return kFileWriteFailed;
  block->version = kSettingsVersion;
  if (mode != 0) {  // the file stream
    std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
    ThumbnailFromImage(&globals->thumbnailImage, thumbnail.get());
    return WriteSettingsRecord(block, thumbnail.get(), FileHandle(reinterpret_cast<intptr_t>(file)));
  }
  PIDescriptorParameters* dp = DescriptorParametersOf(globals);
  if (writeToken == nullptr || dp == nullptr || dp->writeDescriptorProcs == nullptr) return kNoErr;
  for (const DescriptorKey& k : kDescriptorKeys) PutOneKey(dp->writeDescriptorProcs, writeToken, k, globals);
  return kNoErr;
}
