// The four enumeration maps of the scripting descriptor, whole and both
// ways, against a table transcribed from the published code lists
// (data/enum_maps.txt): every index writes its code and reads back, the
// older codes read but are never written, and no code outside the table is
// taken.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/scripting_terms.h"
#include "settings/enum_codes.h"

namespace {

FourCC C(const std::string& t) { return MakeFourCC(t[0], t[1], t[2], t[3]); }

std::string Text(FourCC code) {
  return std::string{char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
}

struct MapRow {
  std::string type;
  int32_t index;
  std::string code;
  bool written;  // false: read only
};

std::vector<MapRow> ReadTable() {
  std::ifstream in(std::string(ORBALIX_SOURCE_DIR) + "/tests/settings_descriptor/data/enum_maps.txt");
  EXPECT_TRUE(in.good());
  std::vector<MapRow> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ls(line);
    MapRow r;
    std::string way;
    ls >> r.type >> r.index >> r.code >> way;
    r.written = way == "both";
    rows.push_back(r);
  }
  return rows;
}

const char* const kTypes[] = {"Qgty", "Qity", "GLty", "Qoty", "IQty"};

TEST(EnumMapTable, EveryIndexWritesItsCodeAndEveryCodeReadsBack) {
  const std::vector<MapRow> rows = ReadTable();
  std::map<std::string, int32_t> written;
  std::map<std::string, int32_t> read;
  for (const MapRow& r : rows) {
    const FourCC type = C(r.type);
    FourCC code = 0;
    EnumIndexToKey(r.index, type, &code);
    EXPECT_EQ(Text(code), r.written ? r.code : "<NO>") << r.type << " " << r.index;
    int32_t index = -1;
    EXPECT_TRUE(EnumKeyToIndex(type, C(r.code), &index)) << r.type << " " << r.code;
    EXPECT_EQ(index, r.index) << r.type << " " << r.code;
    ++(r.written ? written : read)[r.type];
  }
  EXPECT_EQ(written["Qgty"], 7);
  EXPECT_EQ(written["Qity"], 29);
  EXPECT_EQ(written["GLty"], 62);
  EXPECT_EQ(written["Qoty"], 262);
  EXPECT_EQ(read["Qoty"], 8);  // 270 output codes in all
  EXPECT_EQ(read["IQty"], 3);
}

// No index beyond the table has a code: below the first, just past the last,
// and the numbers of the read-only codes.
TEST(EnumMapTable, IndicesOutsideTheTableHaveNoCode) {
  std::map<std::string, std::set<int32_t>> listed;
  for (const MapRow& r : ReadTable()) {
    if (r.written) listed[r.type].insert(r.index);
  }
  for (const char* type : kTypes) {
    for (int32_t index = -2; index <= 300; ++index) {
      if (listed[type].count(index) != 0) continue;
      FourCC code = 0;
      EnumIndexToKey(index, C(type), &code);
      EXPECT_EQ(code, kNoEnumCode) << type << " " << index;
    }
    for (const int32_t index : {1037, 1038, 1039, 1040, 1042, 10053, 10054, 60000}) {
      FourCC code = 0;
      EnumIndexToKey(index, C(type), &code);
      EXPECT_EQ(code, kNoEnumCode) << type << " " << index;
    }
  }
}

// The reverse maps take exactly the table's codes: every code of the
// families the maps use (two letters and two characters, or three letters
// and one) is tried under every type, and only the listed pairs are taken.
TEST(EnumMapTable, ReadingTakesOnlyTheTablesCodes) {
  std::map<std::pair<std::string, std::string>, int32_t> listed;
  for (const MapRow& r : ReadTable()) listed[{r.type, r.code}] = r.index;
  const std::string chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz#";
  std::vector<std::string> codes;
  for (const char* prefix : {"Qo", "Qp", "Qq", "Qr", "Qv", "Qi", "GL", "Qg", "IQ"}) {
    for (const char a : chars) {
      for (const char b : chars) codes.push_back(std::string(prefix) + a + b);
    }
  }
  codes.push_back("<NO>");
  int32_t taken = 0;
  for (const char* type : kTypes) {
    for (const std::string& code : codes) {
      int32_t index = 77;
      const bool known = EnumKeyToIndex(C(type), C(code), &index);
      const auto row = listed.find({type, code});
      ASSERT_EQ(known, row != listed.end()) << type << " " << code;
      EXPECT_EQ(index, known ? row->second : 0) << type << " " << code;
      taken += known ? 1 : 0;
    }
  }
  EXPECT_EQ(taken, int32_t(listed.size()));  // every listed code is of these families
}

}  // namespace
