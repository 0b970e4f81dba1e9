// The test host's scripting descriptor: a list of key-value entries kept in a
// host handle, read and written through the descriptor procs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_records.h"

constexpr DescriptorTypeId kDescTypeInteger = MakeFourCC('l', 'o', 'n', 'g');
constexpr DescriptorTypeId kDescTypeFloat = MakeFourCC('d', 'o', 'u', 'b');
constexpr DescriptorTypeId kDescTypeUnitFloat = MakeFourCC('U', 'n', 't', 'F');
constexpr DescriptorTypeId kDescTypeBoolean = MakeFourCC('b', 'o', 'o', 'l');
constexpr DescriptorTypeId kDescTypeText = MakeFourCC('T', 'E', 'X', 'T');
constexpr DescriptorTypeId kDescTypeAlias = MakeFourCC('a', 'l', 'i', 's');
constexpr DescriptorTypeId kDescTypeEnumerated = MakeFourCC('e', 'n', 'u', 'm');
constexpr DescriptorTypeId kDescTypeClass = MakeFourCC('t', 'y', 'p', 'e');
constexpr DescriptorTypeId kDescTypeGlobalClass = MakeFourCC('G', 'l', 'b', 'C');
constexpr DescriptorTypeId kDescTypeObject = MakeFourCC('O', 'b', 'j', 'c');
constexpr DescriptorTypeId kDescTypeGlobalObject = MakeFourCC('G', 'l', 'b', 'O');
constexpr DescriptorTypeId kDescTypeCount = MakeFourCC('c', 'o', 'u', 'n');
constexpr HostError kDescWrongType = -1703;
constexpr HostError kDescNoCurrentKey = -1704;
constexpr HostError kDescUnsupported = -1708;

struct DescriptorEntry {
  DescriptorKeyId key = 0;
  DescriptorTypeId type = 0;
  std::vector<uint8_t> value;  // the value's bytes in host order
};
using DescriptorList = std::vector<DescriptorEntry>;

struct TestDescriptorToken {
  bool writing = false;
  bool open = true;
  DescriptorList entries;
  size_t next = 0;     // reading: the entry getKey hands out next
  size_t current = 0;  // reading: the entry the getters read (valid when hasCurrent)
  bool hasCurrent = false;
};

DescriptorEntry DescriptorInteger(DescriptorKeyId key, int32_t value);
DescriptorEntry DescriptorFloat(DescriptorKeyId key, double value);
DescriptorEntry DescriptorUnitFloat(DescriptorKeyId key, DescriptorUnitId unit, double value);
DescriptorEntry DescriptorBoolean(DescriptorKeyId key, bool value);
DescriptorEntry DescriptorEnumerated(DescriptorKeyId key, DescriptorTypeId type, DescriptorEnumId value);
DescriptorEntry DescriptorText(DescriptorKeyId key, const std::string& text);
const DescriptorEntry* FindDescriptorEntry(const DescriptorList& list, DescriptorKeyId key);
bool DescriptorEntryInteger(const DescriptorEntry& entry, int32_t* value);
bool DescriptorEntryFloat(const DescriptorEntry& entry, double* value);  // float, unit float or integer
bool DescriptorEntryBoolean(const DescriptorEntry& entry, bool* value);
bool DescriptorEntryEnumerated(const DescriptorEntry& entry, DescriptorTypeId* type, DescriptorEnumId* value);
std::string DescriptorEntryText(const DescriptorEntry& entry);

// The bytes a descriptor handle holds, and back.
std::vector<uint8_t> SerialiseDescriptor(const DescriptorList& list);
bool ParseDescriptor(const uint8_t* bytes, size_t size, DescriptorList* list);

struct TestHost;
// Hands the filter a descriptor to read (a new host handle) with the play information.
void SetTestHostDescriptor(TestHost* host, const DescriptorList& list, int16_t playInfo);
// The descriptor the filter handed back (empty when there is none).
bool GetTestHostDescriptor(TestHost* host, DescriptorList* list);
void InstallTestHostDescriptorProcs(TestHost* host);
