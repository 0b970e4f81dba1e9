// The settings services in their least form: defaults, snapshots, the random
// seed and the scripting descriptor work; the files in the temporary folder
// are treated as files that cannot be opened (nothing is written or read).
#include "settings/settings_services_stub.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "host/globals_record.h"
#include "host/host_suites.h"
#include "host/scripting_terms.h"
#include "settings/settings_file.h"
#include "settings/settings_globals.h"

namespace {

constexpr FourCC kHostSigPsp8 = MakeFourCC('P', 'S', 'P', '8');
constexpr FourCC kHostSigPsp9 = MakeFourCC('P', 'S', 'P', '9');
constexpr FourCC kKeyHqpr = MakeFourCC('h', 'q', 'p', 'r');
constexpr FourCC kKeyVersion = MakeFourCC('V', 'e', 'r', 's');
constexpr FourCC kKeyInput = MakeFourCC('Q', 'i', 'k', 'y');
constexpr FourCC kKeyOutput = MakeFourCC('Q', 'o', 'k', 'y');
constexpr FourCC kKeyGlue = MakeFourCC('G', 'L', 'U', 'E');
constexpr FourCC kKeyGrid2 = MakeFourCC('Q', 'g', 'k', 'y');
constexpr FourCC kKeyGrid = MakeFourCC('0', '0', '1', '5');
constexpr HostError kErrMissingParameter = -1715;

bool HostOffersNoScripting(const FilterRecord* fr) {
  return fr->hostSig == kHostSigPsp8 || fr->hostSig == kHostSigPsp9;
}

// The keys of the settings in read order, zero-terminated.
const DescriptorKeyId* DescriptorKeyList() {
  static DescriptorKeyId keys[kScriptingParameterCount + 2] = {};
  for (int32_t i = 0; i < kScriptingParameterCount; ++i) keys[i] = kScriptingParameters[i].key;
  keys[kScriptingParameterCount] = kKeyHqpr;
  return keys;
}

int32_t* IntegerField(ParameterBlock* b, FourCC key) {
  switch (key) {
    case kKeyVersion: return &b->version;
    case MakeFourCC('0', '0', '0', '8'): return &b->latitudeInteger;
    case MakeFourCC('0', '0', '0', '9'): return &b->spinInteger;
    case MakeFourCC('0', '0', '1', '1'): return &b->flip;
    case MakeFourCC('0', '0', '1', '2'): return &b->longitudeInteger;
    case MakeFourCC('0', '0', '1', '3'): return &b->tabsInteger;
    case MakeFourCC('0', '0', '1', '4'): return &b->fovInteger;
    case MakeFourCC('0', '0', '1', '7'): return &b->faces;
    case MakeFourCC('0', '0', '1', '8'): return &b->brickLayers;
    case MakeFourCC('0', '0', '1', '9'): return &b->spherePlan;
    case MakeFourCC('0', '0', '2', '0'): return &b->sphereStats;
    case MakeFourCC('0', '0', '2', '1'): return &b->cubeSide;
    case MakeFourCC('0', '0', '2', '2'): return &b->ldraw;
    case MakeFourCC('0', '0', '2', '3'): return &b->brickDiffusion;
    case MakeFourCC('0', '0', '2', '4'): return &b->brickColorset;
    case MakeFourCC('0', '0', '2', '5'): return &b->brickPlates;
    case MakeFourCC('0', '0', '2', '6'): return &b->faceSize;
    case MakeFourCC('0', '0', '2', '7'): return &b->sharpeningInteger;
    case MakeFourCC('0', '0', '2', '8'): return &b->transparentGaps;
    case MakeFourCC('0', '0', '2', '9'): return &b->edges;
    case MakeFourCC('0', '0', '3', '0'): return &b->anamorphosis;
    case MakeFourCC('0', '0', '3', '1'): return &b->dehalo;
    case MakeFourCC('0', '0', '3', '2'): return &b->previewQuality;
    case MakeFourCC('0', '0', '3', '3'): return &b->indicatrix;
    default: return nullptr;
  }
}

uint16_t* ColourField(ParameterBlock* b, FourCC key) {
  switch (key) {
    case MakeFourCC('0', '0', '0', '1'): return &b->tabRed;
    case MakeFourCC('0', '0', '0', '2'): return &b->tabGreen;
    case MakeFourCC('0', '0', '0', '3'): return &b->tabBlue;
    case MakeFourCC('0', '0', '0', '4'): return &b->backdropRed;
    case MakeFourCC('0', '0', '0', '5'): return &b->backdropGreen;
    case MakeFourCC('0', '0', '0', '6'): return &b->backdropBlue;
    default: return nullptr;
  }
}

float* FloatField(ParameterBlock* b, FourCC key) {
  switch (key) {
    case MakeFourCC('0', '0', '3', '4'): return &b->latitude;
    case MakeFourCC('0', '0', '3', '5'): return &b->longitude;
    case MakeFourCC('0', '0', '3', '6'): return &b->spin;
    case MakeFourCC('0', '0', '3', '7'): return &b->fov;
    case MakeFourCC('0', '0', '3', '8'): return &b->tabs;
    case MakeFourCC('0', '0', '3', '9'): return &b->sharpen;
    default: return nullptr;
  }
}

// The enumerated settings this stand-in maps: number n is the n-th
// enumerator of its enumeration (the first of a repeated code wins on read).
int32_t* EnumField(ParameterBlock* b, FourCC key, FourCC* type) {
  switch (key) {
    case kKeyInput: *type = kInputEnumType; return &b->inputProjection;
    case kKeyGlue: *type = kGlueEnumType; return &b->glue;
    case kKeyGrid2: *type = kGridEnumType; return &b->grid2;
    default: return nullptr;
  }
}

// Each value is read from the host before the block is looked up: a host
// call may move the unlocked parameters handle.
void ReadOneKey(const ReadDescriptorProcs* read, DescriptorToken token, FourCC key, GlobalsRecord* globals) {
  ParameterBlock probe{};
  FourCC enumType = 0;
  if (key == kKeyHqpr) {
    HostBoolean value = 0;
    if (read->getBooleanProc(token, &value) == kNoErr) GetParameterBlock(globals)->hqprValue = value ? 1 : 0;
  } else if (IntegerField(&probe, key)) {
    int32_t value = 0;
    if (read->getIntegerProc(token, &value) == kNoErr) *IntegerField(GetParameterBlock(globals), key) = value;
  } else if (ColourField(&probe, key)) {
    int32_t value = 0;
    if (read->getIntegerProc(token, &value) == kNoErr) {
      ParameterBlock* b = GetParameterBlock(globals);
      b->transferWord = value;
      *ColourField(b, key) = uint16_t(uint32_t(value) << 8);
    }
  } else if (FloatField(&probe, key)) {
    double value = 0;
    if (read->getFloatProc(token, &value) == kNoErr) *FloatField(GetParameterBlock(globals), key) = float(value);
  } else if (EnumField(&probe, key, &enumType)) {
    DescriptorEnumId code = 0;
    if (read->getEnumeratedProc(token, &code) != kNoErr) return;
    const ScriptingEnumeration* e = FindScriptingEnumeration(enumType);
    for (int32_t i = 0; i < e->count; ++i) {
      if (e->entries[i].code == code) {
        *EnumField(GetParameterBlock(globals), key, &enumType) = i + 1;
        return;
      }
    }
  }
}

}  // namespace

void SetDefaultSettings(GlobalsRecord* globals) { SetDefaultSettings(GetParameterBlock(globals)); }

void CopySettingsSnapshot(SettingsSnapshot* snapshot, GlobalsRecord* globals, uint8_t direction) {
  CopySettingsSnapshot(snapshot, GetParameterBlock(globals), direction);
}

void TakeUndoSnapshot(GlobalsRecord* globals, uint8_t toFile) {
  WorkRecord* work = globals->workRecord;
  if (!work) return;
  globals->undoIndex ^= 1;
  SettingsSnapshot* slot = &work->undoSlots.slots[globals->undoIndex];
  CopySettingsSnapshot(slot, globals, 0);
  // The undo file cannot be written by this stand-in; the slot still holds it.
  slot->onFile = toFile ? 1 : 0;
  slot->valid = 1;
}

void SeedRandomFromTime() { std::srand(unsigned(std::time(nullptr))); }

bool OpenSettingsDescriptor(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  if (HostOffersNoScripting(fr)) return false;
  PIDescriptorParameters* dp = fr->descriptorParameters;
  if (!DescriptorParametersAvailable(dp, nullptr)) return false;
  DescriptorToken token =
      dp->readDescriptorProcs->openReadDescriptorProc(dp->descriptor, const_cast<DescriptorKeyId*>(DescriptorKeyList()));
  if (!token) return false;
  // Only the answer matters here: hand the token back, keep the descriptor.
  dp->readDescriptorProcs->closeReadDescriptorProc(token);
  return true;
}

int32_t ReadSettingsDescriptor(GlobalsRecord* globals) {
  FilterRecord* fr = globals->filterRecord;
  if (HostOffersNoScripting(fr)) return 0;
  PIDescriptorParameters* dp = fr->descriptorParameters;
  if (!DescriptorParametersAvailable(dp, nullptr)) return 1;
  const ReadDescriptorProcs* read = dp->readDescriptorProcs;
  DescriptorToken token =
      read->openReadDescriptorProc(dp->descriptor, const_cast<DescriptorKeyId*>(DescriptorKeyList()));
  if (token) {
    SetDefaultSettings(globals);
    DescriptorKeyId key = 0;
    DescriptorTypeId type = 0;
    int32_t flags = 0;
    while (read->getKeyProc(token, &key, &type, &flags)) ReadOneKey(read, token, key, globals);
    HostError closed = CloseReadDescriptor(dp, fr->handleProcs, &token);
    if (closed != kNoErr && closed != kErrMissingParameter) SetResult(globals, closed);
  }
  ParameterBlock* block = GetParameterBlock(globals);
  UpgradeSettingsFloats(block);
  block->showDialog = PlayInfoShowsDialog(dp) ? 1 : 0;
  return int32_t(block->showDialog);
}

int16_t WriteSettingsRecord(GlobalsRecord* globals, void* file, int16_t mode, DescriptorToken token) {
  ParameterBlock* b = GetParameterBlock(globals);
  b->version = kSettingsVersion;
  if (mode != 0) {  // the file stream
    std::unique_ptr<SettingsThumbnail> thumbnail(new SettingsThumbnail());
    ThumbnailFromImage(&globals->thumbnailImage, thumbnail.get());
    return WriteSettingsRecord(b, thumbnail.get(), FileHandle(reinterpret_cast<intptr_t>(file)));
  }
  const WriteDescriptorProcs* write = globals->filterRecord->descriptorParameters->writeDescriptorProcs;
  for (const ScriptingParameter& p : kScriptingParameters) {
    // Host calls may move the unlocked block: read it afresh for every key.
    b = GetParameterBlock(globals);
    FourCC enumType = 0;
    if (p.key == kKeyGrid || p.key == kKeyOutput) continue;
    if (int32_t* field = IntegerField(b, p.key)) {
      write->putIntegerProc(token, p.key, *field);
    } else if (uint16_t* colour = ColourField(b, p.key)) {
      write->putIntegerProc(token, p.key, *colour >> 8);
    } else if (float* real = FloatField(b, p.key)) {
      double value = *real;
      write->putFloatProc(token, p.key, &value);
    } else if (int32_t* number = EnumField(b, p.key, &enumType)) {
      const ScriptingEnumeration* e = FindScriptingEnumeration(enumType);
      if (*number >= 1 && *number <= e->count) {
        write->putEnumeratedProc(token, p.key, enumType, e->entries[*number - 1].code);
      }
    }
  }
  write->putIntegerProc(token, kKeyHqpr, GetParameterBlock(globals)->hqprValue);
  return kNoErr;
}

void SaveCachedSettings(GlobalsRecord* /*globals*/) {}

void LoadCachedSettings(GlobalsRecord* /*globals*/) {}

void SaveMemoryDotMap(GlobalsRecord* /*globals*/) {}

int16_t LoadMemoryDotMap(GlobalsRecord* /*globals*/) { return kFileCannotOpen; }
