#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "projection/names.h"

namespace {

struct Row {
  int32_t number;
  std::vector<std::string> fields;
};

// Reads "number|field|field..." lines; '#' starts a comment line.
std::vector<Row> ReadTable(const char* file) {
  std::string path = std::string(ORBALIX_SOURCE_DIR) + "/tests/projection_names/data/" + file;
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> parts;
    std::string part;
    std::istringstream ls(line);
    while (std::getline(ls, part, '|')) parts.push_back(part);
    if (!line.empty() && line.back() == '|') parts.push_back("");
    Row row{std::stoi(parts[0]), {}};
    row.fields.assign(parts.begin() + 1, parts.end());
    rows.push_back(row);
  }
  return rows;
}

TEST(OutputNames, EveryNumberHasItsNameAndKeyword) {
  std::vector<Row> rows = ReadTable("outputs.txt");
  ASSERT_EQ(rows.size(), 266u);
  std::map<int32_t, Row> byNumber;
  for (const Row& r : rows) byNumber[r.number] = r;
  // Every number up to past the highest one in use: listed ones match, the rest are empty.
  for (int32_t n = -2; n <= 10100; ++n) {
    auto it = byNumber.find(n);
    std::string name = it == byNumber.end() ? "" : it->second.fields[0];
    std::string keyword = it == byNumber.end() ? "" : it->second.fields[1];
    EXPECT_EQ(OutputProjectionName(n), name) << n;
    if (n >= 0) {
      EXPECT_EQ(OutputProjectionKeyword(static_cast<uint32_t>(n)), keyword) << n;
    }
  }
}

TEST(OutputNames, GapsAndFloretsAsUsedElsewhere) {
  for (int32_t n : {0, 261, 355, -1, 1036, 1041, 1042, 1054, 10052, 10054, INT32_MIN, INT32_MAX}) {
    EXPECT_STREQ(OutputProjectionName(n), "") << n;
  }
  EXPECT_STREQ(OutputProjectionName(262), "Truchet A");
  EXPECT_STREQ(OutputProjectionName(10053), "rind zero");
  EXPECT_STREQ(OutputProjectionName(1037), "3-floret");
  EXPECT_STREQ(OutputProjectionName(1040), "6-floret");
  // Numbers 1..260 are all named, and no two outputs share a name.
  std::set<std::string> seen;
  for (int32_t n = 1; n <= 260; ++n) {
    std::string name = OutputProjectionName(n);
    EXPECT_FALSE(name.empty()) << n;
    EXPECT_NE(name.front(), ' ') << n;
    EXPECT_NE(name.back(), ' ') << n;
    EXPECT_TRUE(seen.insert(name).second) << "duplicate " << name;
  }
}

TEST(OutputKeywords, FirstMatchingRuleWins) {
  EXPECT_STREQ(OutputProjectionKeyword(36), "globe");
  EXPECT_STREQ(OutputProjectionKeyword(140), "equal-area");
  EXPECT_STREQ(OutputProjectionKeyword(139), "orthographic");
  EXPECT_STREQ(OutputProjectionKeyword(1), "");
  EXPECT_STREQ(OutputProjectionKeyword(16), "conformal");
  EXPECT_STREQ(OutputProjectionKeyword(1037), "conformal");
  // The sphericon outputs, and their immediate neighbours that are not.
  EXPECT_STREQ(OutputProjectionKeyword(198), "");
  EXPECT_STREQ(OutputProjectionKeyword(199), "sphericon");
  EXPECT_STREQ(OutputProjectionKeyword(246), "sphericon");
  EXPECT_STREQ(OutputProjectionKeyword(247), "");
  EXPECT_STREQ(OutputProjectionKeyword(0xFFFFFFFFu), "");
}

TEST(GlueModeNames, AllSixtyTwoAndNothingOutside) {
  std::vector<Row> rows = ReadTable("glue_modes.txt");
  ASSERT_EQ(rows.size(), 62u);
  for (const Row& r : rows) EXPECT_EQ(GlueModeName(r.number), r.fields[0]) << r.number;
  EXPECT_STREQ(GlueModeName(0), "");
  EXPECT_STREQ(GlueModeName(63), "");
  EXPECT_STREQ(GlueModeName(-1), "");
  EXPECT_STREQ(GlueModeName(1), "normal");
  EXPECT_STREQ(GlueModeName(62), "screendim");
}

TEST(InputNames, AllTwentyNineWithTheirCodes) {
  std::vector<Row> rows = ReadTable("inputs.txt");
  ASSERT_EQ(rows.size(), 29u);
  std::set<std::string> codes;
  for (const Row& r : rows) {
    EXPECT_EQ(InputProjectionName(r.number), r.fields[0]) << r.number;
    EXPECT_EQ(InputProjectionCode(r.number), r.fields[1]) << r.number;
    codes.insert(InputProjectionCode(r.number));
  }
  EXPECT_EQ(codes.size(), 29u);
  EXPECT_EQ(codes.count("Qi17"), 0u);
  EXPECT_STREQ(InputProjectionCode(17), "Qi18");
  EXPECT_STREQ(InputProjectionName(0), "");
  EXPECT_STREQ(InputProjectionName(30), "");
  EXPECT_STREQ(InputProjectionCode(30), "");
}

}  // namespace
