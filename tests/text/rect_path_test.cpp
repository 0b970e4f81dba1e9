#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/rect_path.h"

namespace {

Rect R(int16_t top, int16_t left, int16_t bottom, int16_t right) { return Rect{top, left, bottom, right}; }

::testing::AssertionResult SameRect(const Rect& a, const Rect& b) {
  if (EqualRects(&a, &b)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.top << "," << a.left << "," << a.bottom << "," << a.right
                                       << ") vs (" << b.top << "," << b.left << "," << b.bottom << "," << b.right
                                       << ")";
}

TEST(Rects, SetRectTakesLeftAndTopFirst) {
  Rect r{};
  SetRect16(&r, 1, 2, 3, 4);
  EXPECT_TRUE(SameRect(r, R(2, 1, 4, 3)));
  SetRect16(nullptr, 1, 2, 3, 4);
}

TEST(Rects, EmptyWhenRightOrBottomDoNotPassLeftOrTop) {
  struct Case {
    Rect r;
    bool empty;
  };
  const Case cases[] = {{R(0, 0, 1, 1), false}, {R(0, 0, 0, 1), true},  {R(0, 0, 1, 0), true},
                        {R(5, 5, 4, 9), true},  {R(-3, -3, -2, -2), false}, {R(0, 5, 9, 4), true}};
  for (const Case& c : cases) EXPECT_EQ(IsRectEmpty16(&c.r), c.empty);
  EXPECT_TRUE(IsRectEmpty16(nullptr));
}

TEST(Rects, CopiesInBothArgumentOrders) {
  const Rect src = R(1, 2, 3, 4);
  Rect a{}, b{}, c{};
  CopyRect16(&a, &src);
  CopyRectTo(&src, &b);
  CopyRectToAlt(&src, &c);
  EXPECT_TRUE(SameRect(a, src));
  EXPECT_TRUE(SameRect(b, src));
  EXPECT_TRUE(SameRect(c, src));
  CopyRect16(nullptr, &src);
  CopyRectTo(&src, nullptr);
}

TEST(Rects, ClipRaisesAndLowersOnlyWhereOutside) {
  struct Case {
    Rect r, bounds, expected;
  };
  const Case cases[] = {
      {R(-5, -5, 50, 50), R(0, 0, 10, 20), R(0, 0, 10, 20)},
      {R(2, 3, 4, 5), R(0, 0, 10, 20), R(2, 3, 4, 5)},
      {R(12, 25, 30, 40), R(0, 0, 10, 20), R(12, 25, 10, 20)},  // empty, not normalised
      {R(2, -1, 4, 5), R(3, 0, 10, 20), R(3, 0, 4, 5)},
  };
  for (const Case& c : cases) {
    Rect r = c.r;
    ClipRect(&r, &c.bounds);
    EXPECT_TRUE(SameRect(r, c.expected));
  }
}

TEST(Rects, ScaleTruncatesAndTreatsZeroDivisorAsOne) {
  struct Case {
    Rect r;
    int32_t m, d;
    Rect expected;
  };
  const Case cases[] = {
      {R(0, 0, 10, 11), 1, 3, R(0, 0, 3, 3)},
      {R(-7, -8, 7, 8), 1, 2, R(-3, -4, 3, 4)},  // toward zero
      {R(1, 2, 3, 4), 5, 0, R(5, 10, 15, 20)},
      {R(100, 200, 300, 400), 3, 4, R(75, 150, 225, 300)},
      {R(0, 0, 30000, 30000), 100000, 100000, R(0, 0, 30000, 30000)},  // no 32-bit overflow
  };
  for (const Case& c : cases) {
    Rect r = c.r;
    ScaleRect(&r, c.m, c.d);
    EXPECT_TRUE(SameRect(r, c.expected)) << c.m << "/" << c.d;
  }
}

TEST(Rects, InsetAndOffset) {
  Rect r = R(10, 20, 30, 40);
  InsetRect16(&r, 2, 3);
  EXPECT_TRUE(SameRect(r, R(13, 22, 27, 38)));
  InsetRect16(&r, -2, -3);
  EXPECT_TRUE(SameRect(r, R(10, 20, 30, 40)));
  OffsetRect16(&r, -20, 5);
  EXPECT_TRUE(SameRect(r, R(15, 0, 35, 20)));
  OffsetRect16(nullptr, 1, 1);
  InsetRect16(nullptr, 1, 1);
  const Rect a = R(1, 2, 3, 4), b = R(1, 2, 3, 5);
  EXPECT_FALSE(EqualRects(&a, &b));
}

struct PathCase {
  const char* path;
  const char* stripped;
  const char* extension;
  const char* fileName;
  const char* folder;
};

class Paths : public ::testing::TestWithParam<PathCase> {};

TEST_P(Paths, SplitIntoTheirParts) {
  const PathCase& c = GetParam();
  char text[300];
  std::strcpy(text, c.path);
  StripExtension(text);
  EXPECT_STREQ(text, c.stripped);
  char part[300];
  GetExtension(part, sizeof part, c.path);
  EXPECT_STREQ(part, c.extension);
  FileNamePart(part, sizeof part, c.path);
  EXPECT_STREQ(part, c.fileName);
  FolderPart(part, sizeof part, c.path);
  EXPECT_STREQ(part, c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Paths,
    ::testing::Values(PathCase{"a.b.c", "a.b", ".c", "a.b.c", ""},
                      PathCase{"a", "a", "", "a", ""},
                      PathCase{".", "", "", ".", ""},  // one byte: no extension
                      PathCase{"C:\\temp\\pano.q2q", "C:\\temp\\pano", ".q2q", "pano.q2q", "C:\\temp\\"},
                      PathCase{"C:\\temp\\", "C:\\temp\\", "", "", "C:\\temp\\"},
                      PathCase{"C:\\my.folder\\readme", "C:\\my.folder\\readme", "", "readme", "C:\\my.folder\\"},
                      PathCase{"C:\\my.folder\\a.b", "C:\\my.folder\\a", ".b", "a.b", "C:\\my.folder\\"},
                      PathCase{"", "", "", "", ""}));

TEST(Paths, PartsRespectTheDestinationsCapacity) {
  char small[6];
  std::memset(small, '#', sizeof small);
  FileNamePart(small, 4, "C:\\folder\\longname.txt");
  EXPECT_STREQ(small, "lon");
  EXPECT_EQ(small[4], '#');
  FolderPart(small, 4, "C:\\folder\\x");
  EXPECT_STREQ(small, "C:\\");
  GetExtension(small, 4, "a.jpeg");
  EXPECT_STREQ(small, ".jp");
  GetExtension(nullptr, 4, "a.b");
  StripExtension(nullptr);
}

TEST(FileSpecs, PathBeginsAtByteEight) { EXPECT_EQ(offsetof(FileSpec, path), 8u); }

TEST(FileSpecs, JoinAddsOneSeparatorWhenNeeded) {
  struct Case {
    const char* folder;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {{"C:\\temp", "a.q2q", "C:\\temp\\a.q2q"},
                        {"C:\\temp\\", "a.q2q", "C:\\temp\\a.q2q"},
                        {"C:/temp/", "a.q2q", "C:/temp/a.q2q"},
                        {"", "a.q2q", "a.q2q"}};
  for (const Case& c : cases) {
    FileSpec spec{};
    JoinFileSpecPath(&spec, c.folder, c.name, 260);
    EXPECT_STREQ(spec.path, c.expected);
  }
}

TEST(FileSpecs, JoinGivesAnEmptyPathWhenTooLong) {
  FileSpec spec{};
  std::strcpy(spec.path, "old");
  const std::string folder(200, 'f'), name(60, 'n');
  JoinFileSpecPath(&spec, folder.c_str(), name.c_str(), 260);
  EXPECT_STREQ(spec.path, "");
  // 199 + 60 + 1 = 260 fits exactly.
  JoinFileSpecPath(&spec, folder.substr(1).c_str(), name.c_str(), 260);
  EXPECT_EQ(std::strlen(spec.path), 260u);
  // A larger limit than the path's room is held to the room.
  JoinFileSpecPath(&spec, folder.c_str(), name.c_str(), 1000);
  EXPECT_STREQ(spec.path, "");
}

TEST(FileSpecs, SetNameCopiesAtMostNBytesAndTerminates) {
  FileSpec spec;
  std::memset(&spec, '#', sizeof spec);
  const std::string full(260, 'p');
  SetFileSpecName(&spec, full.c_str(), 260);
  EXPECT_EQ(std::strlen(spec.path), 260u);
  SetFileSpecName(&spec, "C:\\x.q2q", 260);  // a short text: stops at its terminator
  EXPECT_STREQ(spec.path, "C:\\x.q2q");
  SetFileSpecName(&spec, "abcdef", 3);
  EXPECT_STREQ(spec.path, "abc");
  const std::string tooLong(400, 'q');
  SetFileSpecName(&spec, tooLong.c_str(), 400);
  EXPECT_EQ(std::strlen(spec.path), 260u);
  SetFileSpecName(nullptr, "a", 1);
  SetFileSpecName(&spec, nullptr, 1);
}

}  // namespace
