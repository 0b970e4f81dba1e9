// The scripting terminology of the filter: the one event, its 41 parameters
// and the four enumerations, with the four-character codes under which the
// settings are recorded in the host's scripting descriptor. The terminology
// resource is built from these tables, and the settings code reads and writes
// the descriptor with the same keys and enumerator codes.
#pragma once

#include <cstdint>

#include "host/host_records.h"

struct ScriptingParameter {
  const char* name;         // Windows-1252 text
  FourCC key;
  FourCC type;              // 'long', 'doub' or an enumeration type
  const char* description;  // Windows-1252 text
  uint16_t flags;           // kScriptingOptional, kScriptingOptionalEnumerated
};

struct ScriptingEnumerator {
  const char* name;
  FourCC code;
  const char* description;
};

struct ScriptingEnumeration {
  FourCC type;
  const ScriptingEnumerator* entries;
  int32_t count;
};

constexpr uint16_t kScriptingOptional = 0x8000;
constexpr uint16_t kScriptingOptionalEnumerated = 0xa000;

// The suite, event and scope of the terminology.
constexpr FourCC kScriptingSuiteCode = MakeFourCC('Q', 'v', 'x', '2');
constexpr FourCC kScriptingEventClass = MakeFourCC('Q', 'v', 'x', '2');
constexpr FourCC kScriptingEventId = MakeFourCC('Q', 'v', 'x', '2');
constexpr int16_t kTerminologyResourceId = 16000;
constexpr const char* kScriptingSuiteName = "Quarrelstone";
constexpr const char* kScriptingSuiteDescription = "Orbalix 2";
constexpr const char* kScriptingEventName = "Orbalix 2";
constexpr const char* kScriptingEventDescription = "Reprojects spherical panoramas";
constexpr const char* kScriptingScopeText = "Quarrelstone Orbalix 2";

// Value types of the parameters.
constexpr FourCC kScriptingTypeInteger = MakeFourCC('l', 'o', 'n', 'g');
constexpr FourCC kScriptingTypeDouble = MakeFourCC('d', 'o', 'u', 'b');
constexpr FourCC kScriptingTypeNull = MakeFourCC('n', 'u', 'l', 'l');
constexpr FourCC kScriptingTypeImageReference = MakeFourCC('#', 'I', 'm', 'R');

// Enumeration types, in the order of kScriptingEnumerations.
constexpr FourCC kGridEnumType = MakeFourCC('Q', 'g', 't', 'y');
constexpr FourCC kInputEnumType = MakeFourCC('Q', 'i', 't', 'y');
constexpr FourCC kOutputEnumType = MakeFourCC('Q', 'o', 't', 'y');
constexpr FourCC kGlueEnumType = MakeFourCC('G', 'L', 't', 'y');

constexpr int32_t kScriptingParameterCount = 41;
constexpr int32_t kScriptingEnumerationCount = 4;
extern const ScriptingParameter kScriptingParameters[kScriptingParameterCount];
extern const ScriptingEnumeration kScriptingEnumerations[kScriptingEnumerationCount];

// The parameter of a key, or null.
const ScriptingParameter* FindScriptingParameter(FourCC key);
// The enumeration of a type code, or null.
const ScriptingEnumeration* FindScriptingEnumeration(FourCC type);
