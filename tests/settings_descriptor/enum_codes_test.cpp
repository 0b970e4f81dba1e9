// The enumeration codes of the scripting descriptor, both ways, and their
// agreement with the terminology the plug-in declares to the host.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "host/scripting_terms.h"
#include "settings/enum_codes.h"

namespace {

FourCC C(const char* t) { return MakeFourCC(t[0], t[1], t[2], t[3]); }

std::string Text(FourCC code) {
  return std::string{char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

FourCC KeyOf(int32_t index, FourCC type) {
  FourCC code = 0;
  EnumIndexToKey(index, type, &code);
  return code;
}

struct MapSize {
  FourCC type;
  int32_t count;
};
constexpr MapSize kMaps[] = {
    {kGridEnumType, kGridCodeCount},
    {kInputEnumType, kInputCodeCount},
    {kOutputEnumType, kOutputCodeCount},
    {kGlueEnumType, kGlueCodeCount},
};

TEST(EnumCodes, EveryNumberOfEveryMapRoundTripsThroughADistinctCode) {
  for (const MapSize& m : kMaps) {
    std::set<FourCC> seen;
    for (int32_t i = 1; i <= m.count; ++i) {
      const FourCC code = KeyOf(i, m.type);
      ASSERT_NE(code, kNoEnumCode) << Text(m.type) << " " << i;
      EXPECT_TRUE(seen.insert(code).second) << Text(m.type) << " repeats " << Text(code);
      int32_t back = -1;
      EXPECT_TRUE(EnumKeyToIndex(m.type, code, &back)) << Text(code);
      EXPECT_EQ(back, i) << Text(m.type) << " " << Text(code);
    }
    // Just outside the map there is no code.
    EXPECT_EQ(KeyOf(0, m.type), kNoEnumCode) << Text(m.type);
    EXPECT_EQ(KeyOf(m.count + 1, m.type), kNoEnumCode) << Text(m.type);
    EXPECT_EQ(KeyOf(-1, m.type), kNoEnumCode) << Text(m.type);
  }
}

TEST(EnumCodes, CodesThatSkipOrReorderTheirNumbers) {
  struct Case {
    FourCC type;
    int32_t index;
    const char* code;
  };
  const Case cases[] = {
      {kGridEnumType, 1, "Qgr1"},   {kGridEnumType, 7, "Qgr7"},   {kInputEnumType, 1, "Qi01"},
      {kInputEnumType, 16, "Qi16"}, {kInputEnumType, 17, "Qi18"}, {kInputEnumType, 29, "Qi30"},
      {kGlueEnumType, 7, "GL07"},   {kGlueEnumType, 62, "GL62"},  {kOutputEnumType, 1, "Qo01"},
      {kOutputEnumType, 15, "Qo15"}, {kOutputEnumType, 16, "Qo70"}, {kOutputEnumType, 17, "Qo16"},
      {kOutputEnumType, 35, "Qv46"}, {kOutputEnumType, 55, "Qo54"}, {kOutputEnumType, 56, "Qo56"},
      {kOutputEnumType, 106, "Qp08"}, {kOutputEnumType, 117, "Qp41"}, {kOutputEnumType, 137, "Qv45"},
      {kOutputEnumType, 255, "Qr62"}, {kOutputEnumType, 261, "Qr63"}, {kOutputEnumType, 262, "Qr61"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(KeyOf(c.index, c.type)), c.code) << c.index;
}

TEST(EnumCodes, OlderOutputCodesAndTheUnusedTypeReadButAreNeverWritten) {
  const std::map<std::string, int32_t> extra = {{"Qp34", 1037}, {"Qp35", 1038}, {"Qp36", 1039},
                                                {"Qp37", 1040}, {"Qp##", 1042}, {"Qp87", 10053},
                                                {"Qp88", 10054}, {"Qo55", 60000}};
  for (const auto& [code, index] : extra) {
    int32_t got = 0;
    EXPECT_TRUE(EnumKeyToIndex(kOutputEnumType, C(code.c_str()), &got)) << code;
    EXPECT_EQ(got, index) << code;
    EXPECT_EQ(KeyOf(index, kOutputEnumType), kNoEnumCode) << code;
  }
  for (int32_t n = 1; n <= 3; ++n) {
    int32_t got = 0;
    EXPECT_TRUE(EnumKeyToIndex(kImageQualityEnumType, MakeFourCC('I', 'Q', 'r', char('0' + n)), &got));
    EXPECT_EQ(got, n);
    EXPECT_EQ(KeyOf(n, kImageQualityEnumType), kNoEnumCode);
  }
}

TEST(EnumCodes, UnknownCodesAndTypesClearTheDestination) {
  struct Case {
    FourCC type;
    const char* code;
  };
  const Case cases[] = {
      {kInputEnumType, "Qi17"}, {kInputEnumType, "Qi00"}, {kInputEnumType, "Qi31"}, {kInputEnumType, "Qo01"},
      {kGlueEnumType, "GL00"},  {kGlueEnumType, "GL63"},  {kGlueEnumType, "GLx1"},  {kGridEnumType, "Qgr0"},
      {kGridEnumType, "Qgr8"},  {kOutputEnumType, "<NO>"}, {kOutputEnumType, "Qo34"}, {kOutputEnumType, "Qi01"},
      {C("Qzty"), "Qo01"},      {kImageQualityEnumType, "IQr4"},
  };
  for (const Case& c : cases) {
    int32_t got = 99;
    EXPECT_FALSE(EnumKeyToIndex(c.type, C(c.code), &got)) << c.code;
    EXPECT_EQ(got, 0) << c.code;
  }
  EXPECT_EQ(KeyOf(3, C("Qzty")), kNoEnumCode);
}

// The declared terminology keeps repeated entries (one code under two names)
// and a few codes that the maps do not know. Every declared code that the
// maps know names one number, repeated or not, and that number writes the
// same code back.
TEST(EnumCodes, DeclaredTerminologyCodesMapBothWaysWithTheirRepeats) {
  std::map<FourCC, std::set<std::string>> unknown;
  std::map<FourCC, int32_t> repeats;
  std::map<FourCC, size_t> distinct;
  for (const ScriptingEnumeration& e : kScriptingEnumerations) {
    std::map<FourCC, int32_t> seen;
    for (int32_t i = 0; i < e.count; ++i) {
      const FourCC code = e.entries[i].code;
      if (++seen[code] == 2) ++repeats[e.type];
      int32_t index = 0;
      if (!EnumKeyToIndex(e.type, code, &index)) {
        unknown[e.type].insert(Text(code));
        continue;
      }
      const FourCC back = KeyOf(index, e.type);
      if (index > kOutputCodeCount) continue;  // an older code that reads only
      EXPECT_EQ(Text(back), Text(code)) << e.entries[i].name;
    }
    distinct[e.type] = seen.size();
  }
  EXPECT_EQ(unknown[kInputEnumType], std::set<std::string>{"Qi17"});
  EXPECT_TRUE(unknown[kGridEnumType].empty());
  EXPECT_TRUE(unknown[kGlueEnumType].empty());
  EXPECT_EQ(unknown[kOutputEnumType].size(), 6u);
  EXPECT_EQ(repeats[kGlueEnumType], 1);  // GL59 twice
  const ScriptingEnumeration* glue = FindScriptingEnumeration(kGlueEnumType);
  ASSERT_NE(glue, nullptr);
  int32_t last = 0;
  EXPECT_TRUE(EnumKeyToIndex(kGlueEnumType, glue->entries[glue->count - 1].code, &last));
  EXPECT_EQ(last, 59);
  const ScriptingEnumeration* output = FindScriptingEnumeration(kOutputEnumType);
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(output->count, 256);
  EXPECT_EQ(distinct[kOutputEnumType], 240u);
}

}  // namespace
