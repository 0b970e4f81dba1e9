// Reads the cross-built plug-in back as a PE file: the export table and the
// two resources, found through the file's own directories.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/plugin_resources.h"

namespace {

[[maybe_unused]] std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f && !path.empty() && path[0] == '/') f = std::fopen(("Z:" + path).c_str(), "rb");
  if (!f) return bytes;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

struct PeFile {
  std::vector<uint8_t> bytes;
  struct Section {
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
  };
  std::vector<Section> sections;
  uint16_t machine = 0;
  uint16_t characteristics = 0;
  uint32_t exportRva = 0, resourceRva = 0;

  uint32_t U16(size_t at) const { return at + 2 <= bytes.size() ? bytes[at] | bytes[at + 1] << 8 : 0; }
  uint32_t U32(size_t at) const { return at + 4 <= bytes.size() ? U16(at) | U16(at + 2) << 16 : 0; }

  bool Parse() {
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return false;
    const size_t pe = U32(0x3c);
    if (U32(pe) != 0x4550) return false;  // "PE\0\0"
    machine = uint16_t(U16(pe + 4));
    const uint32_t sectionCount = U16(pe + 6);
    const uint32_t optionalSize = U16(pe + 20);
    characteristics = uint16_t(U16(pe + 22));
    const size_t optional = pe + 24;
    if (U16(optional) != 0x20b) return false;  // PE32+
    exportRva = U32(optional + 112);
    resourceRva = U32(optional + 112 + 2 * 8);
    for (uint32_t i = 0; i < sectionCount; ++i) {
      const size_t s = optional + optionalSize + 40 * i;
      sections.push_back({U32(s + 12), U32(s + 8), U32(s + 20), U32(s + 16)});
    }
    return true;
  }

  // File offset of an address, or 0 when no section holds it.
  size_t Offset(uint32_t rva) const {
    for (const Section& s : sections) {
      if (rva >= s.virtualAddress && rva < s.virtualAddress + s.rawSize) return s.rawOffset + (rva - s.virtualAddress);
    }
    return 0;
  }

  std::string CString(uint32_t rva) const {
    std::string s;
    for (size_t at = Offset(rva); at && at < bytes.size() && bytes[at]; ++at) s += char(bytes[at]);
    return s;
  }

  std::vector<std::string> ExportNames() const {
    std::vector<std::string> names;
    const size_t dir = Offset(exportRva);
    if (!dir) return names;
    const uint32_t count = U32(dir + 24);
    const size_t table = Offset(U32(dir + 32));
    for (uint32_t i = 0; i < count && table; ++i) names.push_back(CString(U32(table + 4 * i)));
    return names;
  }

  // An entry of a resource directory by id, or by name when `name` is given.
  bool FindEntry(size_t dir, const std::string* name, uint32_t id, uint32_t* target) const {
    const size_t root = Offset(resourceRva);
    const uint32_t named = U16(dir + 12), ids = U16(dir + 14);
    for (uint32_t i = 0; i < named + ids; ++i) {
      const size_t entry = dir + 16 + 8 * i;
      const uint32_t nameField = U32(entry);
      bool match;
      if (nameField & 0x80000000u) {
        const size_t at = root + (nameField & 0x7fffffffu);
        std::string text;
        for (uint32_t k = 0; k < U16(at); ++k) text += char(U16(at + 2 + 2 * k));
        match = name && text == *name;
      } else {
        match = !name && nameField == id;
      }
      if (match) {
        *target = U32(entry + 4);
        return true;
      }
    }
    return false;
  }

  std::vector<uint8_t> Resource(const std::string& type, uint32_t id, uint32_t language) const {
    const size_t root = Offset(resourceRva);
    uint32_t t = 0;
    if (!root || !FindEntry(root, &type, 0, &t) || !(t & 0x80000000u)) return {};
    if (!FindEntry(root + (t & 0x7fffffffu), nullptr, id, &t) || !(t & 0x80000000u)) return {};
    if (!FindEntry(root + (t & 0x7fffffffu), nullptr, language, &t) || (t & 0x80000000u)) return {};
    const size_t data = root + t;
    const size_t at = Offset(U32(data));
    const uint32_t size = U32(data + 4);
    if (!at || at + size > bytes.size()) return {};
    return std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + size);
  }
};

TEST(PluginFile, ExportsPluginMainAndCarriesBothResources) {
#ifndef ORBALIX_PLUGIN_FILE
  GTEST_SKIP() << "the plug-in is built by the Windows build only";
#else
  PeFile pe;
  pe.bytes = ReadWholeFile(ORBALIX_PLUGIN_FILE);
  ASSERT_FALSE(pe.bytes.empty()) << ORBALIX_PLUGIN_FILE;
  ASSERT_TRUE(pe.Parse());
  EXPECT_EQ(pe.machine, 0x8664);                // x86-64
  EXPECT_NE(pe.characteristics & 0x2000, 0);    // a DLL
  EXPECT_EQ(pe.ExportNames(), std::vector<std::string>{"PluginMain"});
  EXPECT_EQ(pe.Resource("PIPL", kPluginResourceId, kPluginResourceLanguage), BuildPiplResource());
  EXPECT_EQ(pe.Resource("AETE", kPluginResourceId, kPluginResourceLanguage), BuildTerminologyResource());
#endif
}

}  // namespace
