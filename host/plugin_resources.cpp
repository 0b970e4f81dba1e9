#include "host/plugin_resources.h"

#include <cstring>

#include "host/scripting_terms.h"

namespace {

void PutU8(std::vector<uint8_t>& out, uint8_t v) { out.push_back(v); }

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// A four-character code is a 32-bit number stored little-endian, so its
// characters appear in reverse order.
void PutCode(std::vector<uint8_t>& out, FourCC code) { PutU32(out, code); }

// Length byte and the bytes, no terminator.
void PutPascal(std::vector<uint8_t>& out, const char* text) {
  size_t n = std::strlen(text);
  if (n > 255) n = 255;
  out.push_back(uint8_t(n));
  out.insert(out.end(), text, text + n);
}

void PutCString(std::vector<uint8_t>& out, const char* text) {
  out.insert(out.end(), text, text + std::strlen(text) + 1);
}

// One property: vendor, key, id 0, length, then the data padded to a
// multiple of 4 (the length counts the pad).
void PutProperty(std::vector<uint8_t>& out, FourCC key, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> padded = data;
  while (padded.size() % 4 != 0) padded.push_back(0);
  PutCode(out, MakeFourCC('8', 'B', 'I', 'M'));
  PutCode(out, key);
  PutU32(out, 0);
  PutU32(out, uint32_t(padded.size()));
  out.insert(out.end(), padded.begin(), padded.end());
}

constexpr const char* kEnableCondition =
    "( in (PSHOP_ImageMode, RGBMode, GrayScaleMode, RGB48Mode, Gray16Mode, Gray32Mode, RGB96Mode) ) && "
    "(PSHOP_ImageMode !=  MultichannelMode) ";

}  // namespace

std::vector<uint8_t> BuildPiplResource() {
  std::vector<uint8_t> out;
  PutU16(out, 1);  // resource header
  PutU32(out, 0);  // list version
  PutU32(out, 9);  // property count

  std::vector<uint8_t> d;
  PutCode(d, MakeFourCC('8', 'B', 'F', 'M'));
  PutProperty(out, MakeFourCC('k', 'i', 'n', 'd'), d);

  d.clear();
  PutPascal(d, "Orbalix 2...");
  PutProperty(out, MakeFourCC('n', 'a', 'm', 'e'), d);

  d.clear();
  PutPascal(d, "Quarrelstone");
  PutProperty(out, MakeFourCC('c', 'a', 't', 'g'), d);

  d.clear();
  PutU32(d, 4u << 16);  // interface version 4.0
  PutProperty(out, MakeFourCC('v', 'e', 'r', 's'), d);

  d.clear();
  PutCString(d, "PluginMain");
  PutProperty(out, MakeFourCC('8', '6', '6', '4'), d);

  d.clear();
  PutU32(d, 0);
  PutCode(d, kScriptingEventClass);
  PutCode(d, kScriptingEventId);
  PutU16(d, uint16_t(kTerminologyResourceId));
  PutCString(d, kScriptingScopeText);
  PutProperty(out, MakeFourCC('h', 's', 't', 'm'), d);

  d = {0x50, 0, 0, 0};  // grey-scale (0x40) and RGB (0x10)
  PutProperty(out, MakeFourCC('m', 'o', 'd', 'e'), d);

  d.clear();
  PutCString(d, kEnableCondition);
  PutProperty(out, MakeFourCC('e', 'n', 'b', 'l'), d);

  // Seven filter cases alike: no matting in or out, the host does not copy
  // the source into the destination first.
  d.clear();
  for (int i = 0; i < 7; ++i) {
    PutU8(d, 1);
    PutU8(d, 1);
    PutU8(d, 1);
    PutU8(d, 0);
  }
  PutProperty(out, MakeFourCC('f', 'i', 'c', 'i'), d);
  return out;
}

std::vector<uint8_t> BuildTerminologyResource() {
  std::vector<uint8_t> out;
  PutU16(out, 1);  // resource header
  PutU8(out, 1);   // format version major
  PutU8(out, 0);   // minor
  PutU16(out, 0);  // language
  PutU16(out, 0);  // script
  PutU16(out, 1);  // suite count

  PutPascal(out, kScriptingSuiteName);
  PutPascal(out, kScriptingSuiteDescription);
  PutCode(out, kScriptingSuiteCode);
  PutU16(out, 1);  // level
  PutU16(out, 1);  // version
  PutU16(out, 1);  // event count

  PutPascal(out, kScriptingEventName);
  PutPascal(out, kScriptingEventDescription);
  PutCode(out, kScriptingEventClass);
  PutCode(out, kScriptingEventId);
  PutCode(out, kScriptingTypeNull);  // reply
  PutPascal(out, "");
  PutU16(out, 0);
  PutCode(out, kScriptingTypeImageReference);  // direct parameter
  PutPascal(out, "");
  PutU16(out, 0xb000);
  PutU16(out, uint16_t(kScriptingParameterCount));
  for (const ScriptingParameter& p : kScriptingParameters) {
    PutPascal(out, p.name);
    PutCode(out, p.key);
    PutCode(out, p.type);
    PutPascal(out, p.description);
    PutU16(out, p.flags);
  }

  PutU16(out, 0);  // classes
  PutU16(out, 0);  // comparison operators
  PutU16(out, uint16_t(kScriptingEnumerationCount));
  for (const ScriptingEnumeration& e : kScriptingEnumerations) {
    PutCode(out, e.type);
    PutU16(out, uint16_t(e.count));
    for (int32_t i = 0; i < e.count; ++i) {
      PutPascal(out, e.entries[i].name);
      PutCode(out, e.entries[i].code);
      PutPascal(out, e.entries[i].description);
    }
  }
  return out;
}
