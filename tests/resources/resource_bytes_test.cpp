#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/plugin_resources.h"

namespace {

// A forward reader of little-endian resource bytes that fails the test on
// any read past the end.
struct Reader {
  const std::vector<uint8_t>& bytes;
  size_t at = 0;

  uint32_t Le(int n) {
    EXPECT_LE(at + n, bytes.size());
    if (at + n > bytes.size()) return 0;
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint32_t(bytes[at + i]) << (8 * i);
    at += n;
    return v;
  }
  uint8_t U8() { return uint8_t(Le(1)); }
  uint16_t U16() { return uint16_t(Le(2)); }
  uint32_t U32() { return Le(4); }
  // A four-character code as its text: stored little-endian, so reversed.
  std::string Code() {
    std::string s(4, ' ');
    for (int i = 3; i >= 0; --i) s[i] = char(U8());
    return s;
  }
  std::string Pascal() {
    size_t n = U8();
    EXPECT_LE(at + n, bytes.size());
    if (at + n > bytes.size()) return {};
    std::string s(reinterpret_cast<const char*>(&bytes[at]), n);
    at += n;
    return s;
  }
};

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  // Under wine a Unix path is reached through the drive that maps the root.
  if (!f && !path.empty() && path[0] == '/') f = std::fopen(("Z:" + path).c_str(), "rb");
  if (!f) return bytes;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return bytes;
}

std::string Data(const std::vector<uint8_t>& bytes, size_t at, size_t n) {
  return std::string(reinterpret_cast<const char*>(&bytes[at]), n);
}

TEST(PiplResource, PropertiesInOrderWithPaddedLengths) {
  const std::vector<uint8_t> pipl = BuildPiplResource();
  ASSERT_EQ(pipl.size(), 418u);
  Reader r{pipl};
  EXPECT_EQ(r.U16(), 1);
  EXPECT_EQ(r.U32(), 0u);
  ASSERT_EQ(r.U32(), 9u);
  struct Expected {
    const char* key;
    uint32_t length;
  };
  const Expected expected[] = {{"kind", 4},  {"name", 16},  {"catg", 16}, {"vers", 4}, {"8664", 12},
                               {"hstm", 40}, {"mode", 4},   {"enbl", 140}, {"fici", 28}};
  std::vector<size_t> dataAt;
  for (const Expected& e : expected) {
    EXPECT_EQ(r.Code(), "8BIM");
    EXPECT_EQ(r.Code(), e.key);
    EXPECT_EQ(r.U32(), 0u);
    EXPECT_EQ(r.U32(), e.length) << e.key;
    dataAt.push_back(r.at);
    r.at += e.length;
  }
  EXPECT_EQ(r.at, pipl.size());

  EXPECT_EQ(Data(pipl, dataAt[0], 4), "MFB8");  // '8BFM' little-endian
  EXPECT_EQ(Data(pipl, dataAt[1], 16), std::string("\x0cOrbalix 2...\0\0\0", 16));
  EXPECT_EQ(Data(pipl, dataAt[2], 16), std::string("\x0cQuarrelstone\0\0\0", 16));
  EXPECT_EQ(Data(pipl, dataAt[3], 4), std::string("\0\0\4\0", 4));
  EXPECT_EQ(Data(pipl, dataAt[4], 12), std::string("PluginMain\0\0", 12));
  EXPECT_EQ(Data(pipl, dataAt[5], 40),
            std::string("\0\0\0\0" "2xvQ" "2xvQ" "\x80\x3e" "Quarrelstone Orbalix 2\0\0\0\0", 40));
  EXPECT_EQ(Data(pipl, dataAt[6], 4), std::string("\x50\0\0\0", 4));
  const std::string enable =
      "( in (PSHOP_ImageMode, RGBMode, GrayScaleMode, RGB48Mode, Gray16Mode, Gray32Mode, RGB96Mode) ) && "
      "(PSHOP_ImageMode !=  MultichannelMode) ";
  EXPECT_EQ(Data(pipl, dataAt[7], 140), enable + std::string(140 - enable.size(), '\0'));
  for (int c = 0; c < 7; ++c) EXPECT_EQ(Data(pipl, dataAt[8] + 4 * c, 4), std::string("\1\1\1\0", 4)) << c;
}

struct ParsedParameter {
  std::string name, key, type, description;
  uint16_t flags;
};
struct ParsedEnumerator {
  std::string name, code, description;
};
struct ParsedEnumeration {
  std::string type;
  std::vector<ParsedEnumerator> entries;
};

TEST(TerminologyResource, ParsesToTheEventItsParametersAndFourEnumerations) {
  const std::vector<uint8_t> aete = BuildTerminologyResource();
  ASSERT_EQ(aete.size(), 10202u);
  Reader r{aete};
  EXPECT_EQ(r.U16(), 1);
  EXPECT_EQ(r.U8(), 1);
  EXPECT_EQ(r.U8(), 0);
  EXPECT_EQ(r.U16(), 0);
  EXPECT_EQ(r.U16(), 0);
  ASSERT_EQ(r.U16(), 1);
  EXPECT_EQ(r.Pascal(), "Quarrelstone");
  EXPECT_EQ(r.Pascal(), "Orbalix 2");
  EXPECT_EQ(r.Code(), "Qvx2");
  EXPECT_EQ(r.U16(), 1);
  EXPECT_EQ(r.U16(), 1);
  ASSERT_EQ(r.U16(), 1);
  EXPECT_EQ(r.Pascal(), "Orbalix 2");
  EXPECT_EQ(r.Pascal(), "Reprojects spherical panoramas");
  EXPECT_EQ(r.Code(), "Qvx2");
  EXPECT_EQ(r.Code(), "Qvx2");
  EXPECT_EQ(r.Code(), "null");
  EXPECT_EQ(r.Pascal(), "");
  EXPECT_EQ(r.U16(), 0);
  EXPECT_EQ(r.Code(), "#ImR");
  EXPECT_EQ(r.Pascal(), "");
  EXPECT_EQ(r.U16(), 0xb000);
  const uint16_t parameterCount = r.U16();
  ASSERT_EQ(parameterCount, 41);
  std::vector<ParsedParameter> params;
  for (int i = 0; i < parameterCount; ++i) {
    ParsedParameter p;
    p.name = r.Pascal();
    p.key = r.Code();
    p.type = r.Code();
    p.description = r.Pascal();
    p.flags = r.U16();
    params.push_back(p);
  }
  EXPECT_EQ(r.U16(), 0);  // classes
  EXPECT_EQ(r.U16(), 0);  // comparison operators
  const uint16_t enumCount = r.U16();
  ASSERT_EQ(enumCount, 4);
  std::vector<ParsedEnumeration> enums;
  for (int i = 0; i < enumCount; ++i) {
    ParsedEnumeration e;
    e.type = r.Code();
    const uint16_t n = r.U16();
    for (int k = 0; k < n; ++k) {
      ParsedEnumerator en;
      en.name = r.Pascal();
      en.code = r.Code();
      en.description = r.Pascal();
      e.entries.push_back(en);
    }
    enums.push_back(e);
  }
  EXPECT_EQ(r.at, aete.size());

  // Parameters: spot checks across the table.
  struct Spot {
    int index;
    const char* name;
    const char* key;
    const char* type;
    const char* description;
    uint16_t flags;
  };
  const Spot spots[] = {
      {0, "version", "Vers", "long", "version", 0x8000},
      {7, "input", "Qiky", "Qity", "input", 0xa000},
      {8, "latitude integer", "0008", "long", "latitude", 0x8000},
      {10, "output", "Qoky", "Qoty", "output", 0x8000},
      {14, "FOV integer", "0014", "long", "FOV", 0x8000},
      {16, "glue", "GLUE", "GLty", "glue", 0xa000},
      {27, "sharpening integer", "0027", "long", "sharpening", 0x8000},
      {32, "grid2", "Qgky", "Qgty", "grid2", 0xa000},
      {33, "preview quality", "0032", "long", "preview quality", 0x8000},
      {40, "sharpen", "0039", "doub", "sharpen", 0x8000},
  };
  for (const Spot& s : spots) {
    const ParsedParameter& p = params[s.index];
    EXPECT_EQ(p.name, s.name) << s.index;
    EXPECT_EQ(p.key, s.key) << s.index;
    EXPECT_EQ(p.type, s.type) << s.index;
    EXPECT_EQ(p.description, s.description) << s.index;
    EXPECT_EQ(p.flags, s.flags) << s.index;
  }

  // Enumerations in order, with their counts and telling entries.
  ASSERT_EQ(enums[0].type, "Qgty");
  ASSERT_EQ(enums[0].entries.size(), 7u);
  EXPECT_EQ(enums[0].entries[6].code, "Qgr7");
  EXPECT_EQ(enums[0].entries[6].name, "45 degrees");

  ASSERT_EQ(enums[1].type, "Qity");
  ASSERT_EQ(enums[1].entries.size(), 29u);
  EXPECT_EQ(enums[1].entries[7].name, "circular 180\xB0");  // Windows-1252 degree sign
  EXPECT_EQ(enums[1].entries[15].code, "Qi18");
  EXPECT_EQ(enums[1].entries[15].name, "Robinson ");
  EXPECT_EQ(enums[1].entries[15].description, "Robinson");
  EXPECT_EQ(enums[1].entries[16].code, "Qi17");
  EXPECT_EQ(enums[1].entries[16].name, "QTVR cube ");
  EXPECT_EQ(enums[1].entries[28].code, "Qi30");
  EXPECT_EQ(enums[1].entries[28].name, "soccer");

  ASSERT_EQ(enums[2].type, "Qoty");
  ASSERT_EQ(enums[2].entries.size(), 256u);
  EXPECT_EQ(enums[2].entries[34].code, "Qv46");
  EXPECT_EQ(enums[2].entries[34].name, "Winkel Tripel");
  EXPECT_EQ(enums[2].entries[90].code, "Qv45");
  EXPECT_EQ(enums[2].entries[165].name, "starburst");
  EXPECT_EQ(enums[2].entries[165].description, "Isle of Man");
  EXPECT_EQ(enums[2].entries[255].code, "Qr61");
  EXPECT_EQ(enums[2].entries[255].name, "Truchet A");
  int differing = 0, qp00 = 0;
  for (const ParsedEnumerator& e : enums[2].entries) {
    differing += e.name != e.description;
    qp00 += e.code == "Qp00";
  }
  EXPECT_EQ(differing, 1);
  EXPECT_EQ(qp00, 4);

  ASSERT_EQ(enums[3].type, "GLty");
  ASSERT_EQ(enums[3].entries.size(), 60u);
  EXPECT_EQ(enums[3].entries[0].code, "GL01");
  EXPECT_EQ(enums[3].entries[0].name, "normal");
  EXPECT_EQ(enums[3].entries[58].code, "GL59");
  EXPECT_EQ(enums[3].entries[58].name, "sinister");
  EXPECT_EQ(enums[3].entries[59].code, "GL59");
  EXPECT_EQ(enums[3].entries[59].name, "screendim");
}

// The Windows build compiles the committed files: they must be what the
// generator makes from the tables today.
TEST(CommittedResources, MatchTheGenerator) {
  const std::string folder = std::string(ORBALIX_SOURCE_DIR) + "/resources/";
  EXPECT_EQ(ReadFile(folder + "pipl.bin"), BuildPiplResource());
  EXPECT_EQ(ReadFile(folder + "terminology.bin"), BuildTerminologyResource());
}

}  // namespace
