// The test host's descriptor procs over a key-value list. A descriptor handle
// holds the list serialised as (key, type, length, bytes) records.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/testhost/test_host.h"

namespace {

template <typename T>
void AppendValue(std::vector<uint8_t>* bytes, const T& value) {
  const size_t at = bytes->size();
  bytes->resize(at + sizeof(T));
  std::memcpy(bytes->data() + at, &value, sizeof(T));
}

template <typename T>
bool ReadValue(const std::vector<uint8_t>& bytes, size_t offset, T* value) {
  if (offset + sizeof(T) > bytes.size()) return false;
  std::memcpy(value, bytes.data() + offset, sizeof(T));
  return true;
}

std::vector<uint8_t> HandleBytes(HostHandleRef handle) {
  TestHandleEntry* entry = FindTestHandle(CurrentTestHost(), handle);
  if (!entry) return {};
  return std::vector<uint8_t>(entry->master, entry->master + entry->size);
}

HostHandleRef NewHandleWithBytes(const std::vector<uint8_t>& bytes) {
  HostHandleRef handle = TestHostNewHandle(int32_t(bytes.size()));
  if (handle && !bytes.empty()) std::memcpy(*handle, bytes.data(), bytes.size());
  return handle;
}

auto* TokenOf(DescriptorToken token) { return static_cast<TestDescriptorToken*>(token); }

// The entry the getters read: the one getKey handed out last.
const DescriptorEntry* CurrentEntry(DescriptorToken token) {
  TestDescriptorToken* t = TokenOf(token);
  if (!t || t->writing || !t->hasCurrent || t->current >= t->entries.size()) return nullptr;
  return &t->entries[t->current];
}

HostError PutEntry(DescriptorToken token, DescriptorEntry entry) {
  TestDescriptorToken* t = TokenOf(token);
  if (!t || !t->writing || !t->open) return kDescNoCurrentKey;
  t->entries.push_back(std::move(entry));
  return kNoErr;
}

DescriptorEntry MakeEntry(DescriptorKeyId key, DescriptorTypeId type) {
  DescriptorEntry entry;
  entry.key = key;
  entry.type = type;
  return entry;
}

// --- read procs -----------------------------------------------------------------

DescriptorToken TestOpenRead(HostHandleRef descriptor, DescriptorKeyId* /*keyArray*/) {
  TestHost* host = CurrentTestHost();
  if (!descriptor) return nullptr;
  auto token = std::make_unique<TestDescriptorToken>();
  const std::vector<uint8_t> bytes = HandleBytes(descriptor);
  if (!ParseDescriptor(bytes.data(), bytes.size(), &token->entries)) return nullptr;
  DescriptorToken result = token.get();
  host->descriptorTokens.push_back(std::move(token));
  return result;
}

HostError TestCloseRead(DescriptorToken token) {
  TestDescriptorToken* t = TokenOf(token);
  if (!t || t->writing || !t->open) return kDescNoCurrentKey;
  t->open = false;
  return kNoErr;
}

HostBoolean TestGetKey(DescriptorToken token, DescriptorKeyId* key, DescriptorTypeId* type, int32_t* flags) {
  TestDescriptorToken* t = TokenOf(token);
  if (!t || t->writing || !t->open || t->next >= t->entries.size()) return 0;
  t->current = t->next++;
  t->hasCurrent = true;
  if (key) *key = t->entries[t->current].key;
  if (type) *type = t->entries[t->current].type;
  if (flags) *flags = 0;
  return 1;
}

HostError TestGetInteger(DescriptorToken token, int32_t* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  return DescriptorEntryInteger(*entry, value) ? kNoErr : kDescWrongType;
}

HostError TestGetFloat(DescriptorToken token, double* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  return DescriptorEntryFloat(*entry, value) ? kNoErr : kDescWrongType;
}

HostError TestGetUnitFloat(DescriptorToken token, DescriptorUnitId* unit, double* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  if (entry->type != kDescTypeUnitFloat) return kDescWrongType;
  DescriptorUnitId u = 0;
  ReadValue(entry->value, 0, &u);
  if (unit) *unit = u;
  return ReadValue(entry->value, 4, value) ? kNoErr : kDescWrongType;
}

HostError TestGetBoolean(DescriptorToken token, HostBoolean* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  bool b = false;
  if (!DescriptorEntryBoolean(*entry, &b)) return kDescWrongType;
  *value = b ? 1 : 0;
  return kNoErr;
}

HostError GetBytesAsHandle(DescriptorToken token, DescriptorTypeId type, HostHandleRef* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  if (entry->type != type) return kDescWrongType;
  *value = NewHandleWithBytes(entry->value);
  return *value ? kNoErr : kMemFullErr;
}

HostError TestGetText(DescriptorToken token, HostHandleRef* value) {
  return GetBytesAsHandle(token, kDescTypeText, value);
}

HostError TestGetAlias(DescriptorToken token, HostHandleRef* value) {
  return GetBytesAsHandle(token, kDescTypeAlias, value);
}

HostError TestGetEnumerated(DescriptorToken token, DescriptorEnumId* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  DescriptorTypeId type = 0;
  return DescriptorEntryEnumerated(*entry, &type, value) ? kNoErr : kDescWrongType;
}

HostError TestGetClass(DescriptorToken token, DescriptorClassId* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  if (entry->type != kDescTypeClass && entry->type != kDescTypeGlobalClass) return kDescWrongType;
  return ReadValue(entry->value, 0, value) ? kNoErr : kDescWrongType;
}

HostError TestGetSimpleReference(DescriptorToken /*token*/, void* /*reference*/) { return kDescUnsupported; }

HostError TestGetObject(DescriptorToken token, DescriptorClassId* type, HostHandleRef* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  if (entry->type != kDescTypeObject && entry->type != kDescTypeGlobalObject) return kDescWrongType;
  if (!ReadValue(entry->value, 0, type)) return kDescWrongType;
  *value = NewHandleWithBytes(std::vector<uint8_t>(entry->value.begin() + 4, entry->value.end()));
  return *value ? kNoErr : kMemFullErr;
}

HostError TestGetCount(DescriptorToken token, uint32_t* value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  if (entry->type != kDescTypeCount) return kDescWrongType;
  return ReadValue(entry->value, 0, value) ? kNoErr : kDescWrongType;
}

HostError TestGetString(DescriptorToken token, PascalString value) {
  const DescriptorEntry* entry = CurrentEntry(token);
  if (!entry) return kDescNoCurrentKey;
  if (entry->type != kDescTypeText) return kDescWrongType;
  const size_t n = std::min<size_t>(entry->value.size(), 255);
  value[0] = uint8_t(n);
  if (n) std::memcpy(value + 1, entry->value.data(), n);
  return kNoErr;
}

HostError TestGetPinnedInteger(DescriptorToken token, int32_t min, int32_t max, int32_t* value) {
  HostError err = TestGetInteger(token, value);
  if (err == kNoErr) *value = std::clamp(*value, min, std::max(min, max));
  return err;
}

HostError TestGetPinnedFloat(DescriptorToken token, const double* min, const double* max, double* value) {
  HostError err = TestGetFloat(token, value);
  if (err == kNoErr && min && *value < *min) *value = *min;
  if (err == kNoErr && max && *value > *max) *value = *max;
  return err;
}

HostError TestGetPinnedUnitFloat(DescriptorToken token, const double* min, const double* max, DescriptorUnitId* unit,
                                 double* value) {
  HostError err = TestGetUnitFloat(token, unit, value);
  if (err == kNoErr && min && *value < *min) *value = *min;
  if (err == kNoErr && max && *value > *max) *value = *max;
  return err;
}

// --- write procs ----------------------------------------------------------------

DescriptorToken TestOpenWrite() {
  TestHost* host = CurrentTestHost();
  auto token = std::make_unique<TestDescriptorToken>();
  token->writing = true;
  DescriptorToken result = token.get();
  host->descriptorTokens.push_back(std::move(token));
  return result;
}

HostError TestCloseWrite(DescriptorToken token, HostHandleRef* newDescriptor) {
  TestDescriptorToken* t = TokenOf(token);
  if (!t || !t->writing || !t->open) return kDescNoCurrentKey;
  t->open = false;
  HostHandleRef handle = NewHandleWithBytes(SerialiseDescriptor(t->entries));
  if (newDescriptor) *newDescriptor = handle;
  return handle ? kNoErr : kMemFullErr;
}

HostError TestPutInteger(DescriptorToken token, DescriptorKeyId key, int32_t value) {
  return PutEntry(token, DescriptorInteger(key, value));
}

HostError TestPutFloat(DescriptorToken token, DescriptorKeyId key, const double* value) {
  return PutEntry(token, DescriptorFloat(key, *value));
}

HostError TestPutUnitFloat(DescriptorToken token, DescriptorKeyId key, DescriptorUnitId unit, const double* value) {
  return PutEntry(token, DescriptorUnitFloat(key, unit, *value));
}

HostError TestPutBoolean(DescriptorToken token, DescriptorKeyId key, HostBoolean value) {
  return PutEntry(token, DescriptorBoolean(key, value != 0));
}

HostError PutHandleBytes(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId type, HostHandleRef value) {
  DescriptorEntry entry = MakeEntry(key, type);
  entry.value = HandleBytes(value);
  return PutEntry(token, std::move(entry));
}

HostError TestPutText(DescriptorToken token, DescriptorKeyId key, HostHandleRef value) {
  return PutHandleBytes(token, key, kDescTypeText, value);
}

HostError TestPutAlias(DescriptorToken token, DescriptorKeyId key, HostHandleRef value) {
  return PutHandleBytes(token, key, kDescTypeAlias, value);
}

HostError TestPutEnumerated(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId type,
                            DescriptorEnumId value) {
  return PutEntry(token, DescriptorEnumerated(key, type, value));
}

HostError PutClassWithType(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId entryType,
                           DescriptorTypeId value) {
  DescriptorEntry entry = MakeEntry(key, entryType);
  AppendValue(&entry.value, value);
  return PutEntry(token, std::move(entry));
}

HostError TestPutClass(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId type) {
  return PutClassWithType(token, key, kDescTypeClass, type);
}

HostError TestPutScopedClass(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId type) {
  return PutClassWithType(token, key, kDescTypeGlobalClass, type);
}

HostError TestPutSimpleReference(DescriptorToken /*token*/, DescriptorKeyId /*key*/, const void* /*reference*/) {
  return kDescUnsupported;
}

HostError PutObjectWithType(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId entryType,
                            DescriptorClassId type, HostHandleRef value) {
  DescriptorEntry entry = MakeEntry(key, entryType);
  AppendValue(&entry.value, type);
  const std::vector<uint8_t> bytes = HandleBytes(value);
  entry.value.insert(entry.value.end(), bytes.begin(), bytes.end());
  return PutEntry(token, std::move(entry));
}

HostError TestPutObject(DescriptorToken token, DescriptorKeyId key, DescriptorClassId type, HostHandleRef value) {
  return PutObjectWithType(token, key, kDescTypeObject, type, value);
}

HostError TestPutScopedObject(DescriptorToken token, DescriptorKeyId key, DescriptorClassId type,
                              HostHandleRef value) {
  return PutObjectWithType(token, key, kDescTypeGlobalObject, type, value);
}

HostError TestPutCount(DescriptorToken token, DescriptorKeyId key, uint32_t count) {
  DescriptorEntry entry = MakeEntry(key, kDescTypeCount);
  AppendValue(&entry.value, count);
  return PutEntry(token, std::move(entry));
}

HostError TestPutString(DescriptorToken token, DescriptorKeyId key, const unsigned char* value) {
  DescriptorEntry entry = MakeEntry(key, kDescTypeText);
  if (value) entry.value.assign(value + 1, value + 1 + value[0]);
  return PutEntry(token, std::move(entry));
}

}  // namespace

DescriptorEntry DescriptorInteger(DescriptorKeyId key, int32_t value) {
  DescriptorEntry entry = MakeEntry(key, kDescTypeInteger);
  AppendValue(&entry.value, value);
  return entry;
}

DescriptorEntry DescriptorFloat(DescriptorKeyId key, double value) {
  DescriptorEntry entry = MakeEntry(key, kDescTypeFloat);
  AppendValue(&entry.value, value);
  return entry;
}

DescriptorEntry DescriptorUnitFloat(DescriptorKeyId key, DescriptorUnitId unit, double value) {
  DescriptorEntry entry = MakeEntry(key, kDescTypeUnitFloat);
  AppendValue(&entry.value, unit);
  AppendValue(&entry.value, value);
  return entry;
}

DescriptorEntry DescriptorBoolean(DescriptorKeyId key, bool value) {
  DescriptorEntry entry = MakeEntry(key, kDescTypeBoolean);
  entry.value.push_back(value ? 1 : 0);
  return entry;
}

DescriptorEntry DescriptorEnumerated(DescriptorKeyId key, DescriptorTypeId type, DescriptorEnumId value) {
  DescriptorEntry entry = MakeEntry(key, kDescTypeEnumerated);
  AppendValue(&entry.value, type);
  AppendValue(&entry.value, value);
  return entry;
}

DescriptorEntry DescriptorText(DescriptorKeyId key, const std::string& text) {
  DescriptorEntry entry = MakeEntry(key, kDescTypeText);
  entry.value.assign(text.begin(), text.end());
  return entry;
}

const DescriptorEntry* FindDescriptorEntry(const DescriptorList& list, DescriptorKeyId key) {
  for (const DescriptorEntry& entry : list) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

bool DescriptorEntryInteger(const DescriptorEntry& entry, int32_t* value) {
  return entry.type == kDescTypeInteger && ReadValue(entry.value, 0, value);
}

bool DescriptorEntryFloat(const DescriptorEntry& entry, double* value) {
  if (entry.type == kDescTypeFloat) return ReadValue(entry.value, 0, value);
  if (entry.type == kDescTypeUnitFloat) return ReadValue(entry.value, 4, value);
  int32_t i = 0;
  if (entry.type == kDescTypeInteger && ReadValue(entry.value, 0, &i)) {
    *value = i;
    return true;
  }
  return false;
}

bool DescriptorEntryBoolean(const DescriptorEntry& entry, bool* value) {
  if (entry.type != kDescTypeBoolean || entry.value.size() != 1) return false;
  *value = entry.value[0] != 0;
  return true;
}

bool DescriptorEntryEnumerated(const DescriptorEntry& entry, DescriptorTypeId* type, DescriptorEnumId* value) {
  return entry.type == kDescTypeEnumerated && ReadValue(entry.value, 0, type) && ReadValue(entry.value, 4, value);
}

std::string DescriptorEntryText(const DescriptorEntry& entry) {
  return std::string(entry.value.begin(), entry.value.end());
}

std::vector<uint8_t> SerialiseDescriptor(const DescriptorList& list) {
  std::vector<uint8_t> bytes;
  for (const DescriptorEntry& entry : list) {
    AppendValue(&bytes, entry.key);
    AppendValue(&bytes, entry.type);
    AppendValue(&bytes, uint32_t(entry.value.size()));
    bytes.insert(bytes.end(), entry.value.begin(), entry.value.end());
  }
  return bytes;
}

bool ParseDescriptor(const uint8_t* bytes, size_t size, DescriptorList* list) {
  list->clear();
  const std::vector<uint8_t> all(bytes, bytes + size);
  size_t offset = 0;
  while (offset < size) {
    DescriptorEntry entry;
    uint32_t length = 0;
    if (!ReadValue(all, offset, &entry.key) || !ReadValue(all, offset + 4, &entry.type) ||
        !ReadValue(all, offset + 8, &length) || offset + 12 + length > size) {
      return false;
    }
    entry.value.assign(all.begin() + std::ptrdiff_t(offset + 12), all.begin() + std::ptrdiff_t(offset + 12 + length));
    list->push_back(std::move(entry));
    offset += 12 + length;
  }
  return true;
}

void SetTestHostDescriptor(TestHost* host, const DescriptorList& list, int16_t playInfo) {
  MakeTestHostCurrent(host);
  host->descriptorParameters.descriptor = NewHandleWithBytes(SerialiseDescriptor(list));
  host->descriptorParameters.playInfo = playInfo;
}

bool GetTestHostDescriptor(TestHost* host, DescriptorList* list) {
  MakeTestHostCurrent(host);
  list->clear();
  if (!host->descriptorParameters.descriptor) return false;
  const std::vector<uint8_t> bytes = HandleBytes(host->descriptorParameters.descriptor);
  return ParseDescriptor(bytes.data(), bytes.size(), list);
}

void InstallTestHostDescriptorProcs(TestHost* host) {
  host->readProcs = ReadDescriptorProcs{0,
                                        18,
                                        TestOpenRead,
                                        TestCloseRead,
                                        TestGetKey,
                                        TestGetInteger,
                                        TestGetFloat,
                                        TestGetUnitFloat,
                                        TestGetBoolean,
                                        TestGetText,
                                        TestGetAlias,
                                        TestGetEnumerated,
                                        TestGetClass,
                                        TestGetSimpleReference,
                                        TestGetObject,
                                        TestGetCount,
                                        TestGetString,
                                        TestGetPinnedInteger,
                                        TestGetPinnedFloat,
                                        TestGetPinnedUnitFloat};
  host->writeProcs = WriteDescriptorProcs{0,
                                          16,
                                          TestOpenWrite,
                                          TestCloseWrite,
                                          TestPutInteger,
                                          TestPutFloat,
                                          TestPutUnitFloat,
                                          TestPutBoolean,
                                          TestPutText,
                                          TestPutAlias,
                                          TestPutEnumerated,
                                          TestPutClass,
                                          TestPutSimpleReference,
                                          TestPutObject,
                                          TestPutCount,
                                          TestPutString,
                                          TestPutScopedClass,
                                          TestPutScopedObject};
  host->descriptorParameters.descriptorParametersVersion = 0;
  host->descriptorParameters.readDescriptorProcs = &host->readProcs;
  host->descriptorParameters.writeDescriptorProcs = &host->writeProcs;
}
