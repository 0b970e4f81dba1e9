#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/text_utils.h"
#include "platform/tick_clock.h"

namespace {

// A buffer with guard bytes after its capacity: writing past it shows.
struct Guarded {
  std::vector<char> bytes;
  size_t capacity;
  explicit Guarded(size_t cap, const char* initial = "") : bytes(cap + 16, '#'), capacity(cap) {
    std::strncpy(bytes.data(), initial, cap);
    bytes[cap - 1] = bytes[cap - 1] == '#' ? 0 : bytes[cap - 1];
  }
  char* data() { return bytes.data(); }
  bool GuardIntact() const {
    for (size_t i = capacity; i < bytes.size(); ++i) {
      if (bytes[i] != '#') return false;
    }
    return true;
  }
  bool Terminated() const { return std::memchr(bytes.data(), 0, capacity) != nullptr; }
};

TEST(TextLength, CountsToTheTerminatorAndAtMost32767) {
  EXPECT_EQ(TextLength(nullptr), 0);
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("abc"), 3);
  std::string longText(40000, 'x');
  EXPECT_EQ(TextLength(longText.c_str()), 32767);
  EXPECT_EQ(TextLengthBounded(longText.c_str()), 32767);
}

struct CopyCase {
  const char* name;
  size_t capacity;
  const char* initial;
  const char* src;
  const char* copied;    // CopyText result
  const char* appended;  // AppendText result
};

class TextCopies : public ::testing::TestWithParam<CopyCase> {};

TEST_P(TextCopies, StayInsideTheCapacityAndTerminate) {
  const CopyCase& c = GetParam();
  Guarded copy(c.capacity, c.initial);
  EXPECT_EQ(CopyText(copy.data(), copy.capacity, c.src), copy.data());
  EXPECT_STREQ(copy.data(), c.copied);
  EXPECT_TRUE(copy.GuardIntact());
  Guarded append(c.capacity, c.initial);
  EXPECT_EQ(AppendText(append.data(), append.capacity, c.src), append.data());
  EXPECT_STREQ(append.data(), c.appended);
  EXPECT_TRUE(append.GuardIntact());
  Guarded bounded(c.capacity, c.initial);
  EXPECT_EQ(AppendTextBounded(bounded.data(), bounded.capacity, c.src), int64_t(std::strlen(c.appended)));
  EXPECT_TRUE(bounded.GuardIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCopies,
    ::testing::Values(CopyCase{"fits", 16, "ab", "cde", "cde", "abcde"},
                      CopyCase{"exactFit", 6, "ab", "cde", "cde", "abcde"},
                      CopyCase{"appendCut", 5, "ab", "cdef", "cdef", "abcd"},
                      CopyCase{"copyCut", 4, "", "abcdefgh", "abc", "abc"},
                      CopyCase{"nullSource", 8, "ab", nullptr, "", "ab"},
                      CopyCase{"oneByte", 1, "", "abc", "", ""},
                      CopyCase{"fullDestination", 4, "abc", "d", "d", "abc"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextCopies, ArrayOverloadsTakeTheArraysSize) {
  char small[5];
  CopyText(small, "0123456789");
  EXPECT_STREQ(small, "0123");
  AppendText(small, "x");
  EXPECT_STREQ(small, "0123");
  char room[260];
  CopyText(room, std::string(300, 'p').c_str());
  EXPECT_EQ(std::strlen(room), 259u);
}

TEST(TextCopies, BoundedAppendStopsAt32767) {
  std::vector<char> big(40000, 0);
  std::string chunk(20000, 'a');
  EXPECT_EQ(AppendTextBounded(big.data(), big.size(), chunk.c_str()), 20000);
  EXPECT_EQ(AppendTextBounded(big.data(), big.size(), chunk.c_str()), 32767);
  EXPECT_EQ(std::strlen(big.data()), 32767u);
}

TEST(TextSuffixes, AppendWholeOrNothing) {
  Guarded name(12, "photo");
  EXPECT_TRUE(AppendJpgExtension(name.data(), name.capacity));
  EXPECT_STREQ(name.data(), "photo.jpg");
  EXPECT_FALSE(AppendJpgExtension(name.data(), name.capacity));  // 13 bytes needed
  EXPECT_STREQ(name.data(), "photo.jpg");
  Guarded html(16, "line");
  EXPECT_TRUE(AppendHtmlBreak(html.data(), html.capacity));
  EXPECT_STREQ(html.data(), "line<br>\r");
  EXPECT_TRUE(name.GuardIntact());
  EXPECT_TRUE(html.GuardIntact());
}

TEST(LowerAscii, OnlyAsciiCapitalsChange) {
  for (int c = 0; c < 256; ++c) {
    const char in = static_cast<char>(c);
    const char expected = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : in;
    ASSERT_EQ(LowerAscii(in), expected) << c;
  }
}

struct SanitiseCase {
  const char* name;
  std::string in;
  std::string sanitised;
  std::string safe;  // MakeSafeFileName
};

class FileNames : public ::testing::TestWithParam<SanitiseCase> {};

TEST_P(FileNames, AreMadeSafe) {
  const SanitiseCase& c = GetParam();
  std::string a = c.in;
  SanitiseFileName(a.data());
  EXPECT_EQ(a, c.sanitised);
  std::string b = c.in;
  MakeSafeFileName(b.data());
  EXPECT_EQ(b, c.safe);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileNames,
    ::testing::Values(SanitiseCase{"separators", "a:b/c", "a_b_c", "a_b_c"},
                      SanitiseCase{"backslash", "x\\y", "x_y", "x_y"},
                      SanitiseCase{"highByteToLetter", "\xAE", "N", "N"},
                      SanitiseCase{"highByteToDot", "\x8E", "_", "_"},
                      // control bytes become blanks after the spaces were replaced, so they stay blanks
                      SanitiseCase{"controls", "a\tb\x01", "a b ", "a b "},
                      SanitiseCase{"spaces", "my file.q2q", "my file.q2q", "my_file.q2q"},
                      SanitiseCase{"windowsForbidden", "a*b?c\"d<e>f|g", "a_b_c_d_e_f_g", "a_b_c_d_e_f_g"},
                      // high bytes that map onto forbidden characters
                      SanitiseCase{"mappedForbidden", "\x8A\x9F\x82\x9C\x9E\xDC\x9A\x8F\xBC", "_________",
                                   "_________"},
                      SanitiseCase{"mappedBlank", "\x80", " ", " "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileNames, NoHighByteLeavesAForbiddenCharacter) {
  const std::string forbidden = "\\/:*?\"<>|";
  for (int c = 1; c < 256; ++c) {
    char text[2] = {static_cast<char>(c), 0};
    SanitiseFileName(text);
    const auto out = static_cast<unsigned char>(text[0]);
    ASSERT_GE(out, 32) << c;
    ASSERT_EQ(forbidden.find(text[0]), std::string::npos) << c;
  }
  SanitiseFileName(nullptr);
  MakeSafeFileName(nullptr);
  SpacesToUnderscores(nullptr);
}

TEST(FindText, TableOfCases) {
  struct Case {
    const char* pattern;
    const char* text;
    bool noCase;
    int32_t expected;
  };
  const Case cases[] = {
      {"BC", "abc", true, 1},     {"BC", "abc", false, -1},     {"", "abc", false, -1},
      {"abc", "", false, -1},     {nullptr, "abc", false, -1},  {"abc", nullptr, false, -1},
      {"abcd", "abc", false, -1}, {"abc", "abc", false, 0},     {"c", "abcabc", false, 2},
      {".q2q", "a.Q2Q", true, 1}, {".q2q", "a.Q2Q", false, -1}, {"\xC4", "\xE4", true, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindText(c.pattern, c.text, c.noCase), c.expected)
        << (c.pattern ? c.pattern : "null") << " in " << (c.text ? c.text : "null");
  }
}

TEST(MatchText, ComparesNBytesAtAnIndex) {
  EXPECT_TRUE(MatchText("lo", "hello", 2, 3));
  EXPECT_FALSE(MatchText("lo", "hello", 2, 2));
  EXPECT_TRUE(MatchTextNoCase("LO", "hello", 2, 3));
  EXPECT_FALSE(MatchText("LO", "hello", 2, 3));
  EXPECT_TRUE(MatchText("xyz", "abc", 0, 1));
}

TEST(MatchText, NeverReadsPastEitherText) {
  // Guarded buffers: the sanitizer build reports any read past them.
  const std::vector<char> text = {'a', 'b', 0};
  const std::vector<char> pattern = {'a', 'b', 0};
  EXPECT_TRUE(MatchText(pattern.data(), text.data(), 50, 0));  // both end together
  EXPECT_FALSE(MatchText("abcdef", text.data(), 6, 0));
  EXPECT_FALSE(MatchText("b", text.data(), 1, 10));  // starts past the end
  EXPECT_FALSE(MatchText("b", text.data(), 1, -1));
  EXPECT_TRUE(MatchTextNoCase("B", text.data(), 1, 1));
  EXPECT_FALSE(MatchTextNoCase("B", text.data(), 1, 3));
}

TEST(FindLastChar, AnswersTheLastIndexWhenTheByteIsMissing) {
  EXPECT_EQ(FindLastChar("abc", 'x'), 2);
  EXPECT_EQ(FindLastChar("abcb", 'b'), 3);
  EXPECT_EQ(FindLastChar("abc", 'a'), 0);
  EXPECT_EQ(FindLastChar("a", 'x'), 0);
  EXPECT_EQ(FindLastChar("", 'x'), -1);
  EXPECT_EQ(FindLastChar(nullptr, 'x'), -1);
}

TEST(FilterNumberChars, KeepsDigitsSignsAndOptionallyThePoint) {
  struct Case {
    const char* in;
    bool allowPoint;
    const char* out;
  };
  const Case cases[] = {{"-12.5e3 deg", true, "-12.53"}, {"-12.5e3 deg", false, "-1253"},
                        {"+7", false, "+7"},             {"abc", true, ""},
                        {"", true, ""},                  {"1,000.25", true, "1000.25"}};
  for (const Case& c : cases) {
    char text[32];
    CopyText(text, c.in);
    FilterNumberChars(text, c.allowPoint);
    EXPECT_STREQ(text, c.out) << c.in;
  }
  char integer[16];
  CopyText(integer, "3.75");
  KeepIntegerChars(integer);
  EXPECT_STREQ(integer, "375");
  // A text longer than 255 bytes is filtered whole, in place.
  std::string longText(600, '1');
  longText += "x2";
  FilterNumberChars(longText.data(), false);
  EXPECT_EQ(std::strlen(longText.c_str()), 601u);
  FilterNumberChars(nullptr, true);
}

TEST(PascalTexts, ConvertInPlaceBothWays) {
  unsigned char buffer[400];
  std::memset(buffer, 'z', sizeof buffer);
  std::memcpy(buffer, "hello", 6);
  CToPascalInPlace(buffer);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(std::memcmp(buffer + 1, "hello", 5), 0);
  PascalToCInPlace(buffer);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "hello");

  // 300 bytes keep their first 255.
  for (int i = 0; i < 300; ++i) buffer[i] = static_cast<unsigned char>('a' + i % 26);
  buffer[300] = 0;
  CToPascalInPlace(buffer);
  EXPECT_EQ(buffer[0], 255);
  EXPECT_EQ(buffer[1], 'a');
  EXPECT_EQ(buffer[255], static_cast<unsigned char>('a' + 254 % 26));

  // A length byte of 200 ends the text after 200 bytes.
  unsigned char pascal[256];
  std::memset(pascal, 'q', sizeof pascal);
  pascal[0] = 200;
  PascalToCInPlace(pascal);
  EXPECT_EQ(std::strlen(reinterpret_cast<char*>(pascal)), 200u);

  // An empty text, and the smallest buffers, stay inside their bytes.
  unsigned char tiny[1] = {0};
  CToPascalInPlace(tiny);
  EXPECT_EQ(tiny[0], 0);
  PascalToCInPlace(tiny);
  EXPECT_EQ(tiny[0], 0);
}

TEST(PointInRect16, VerticalIsTheLowHalf) {
  const Rect r{10, 20, 30, 40};  // top, left, bottom, right
  auto point = [](int16_t h, int16_t v) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(h)) << 16) | static_cast<uint16_t>(v));
  };
  EXPECT_TRUE(PointInRect16(point(20, 10), &r));
  EXPECT_TRUE(PointInRect16(point(39, 29), &r));
  EXPECT_FALSE(PointInRect16(point(40, 29), &r));
  EXPECT_FALSE(PointInRect16(point(39, 30), &r));
  EXPECT_FALSE(PointInRect16(point(10, 20), &r));  // swapped halves fall outside
  const Rect negative{-10, -10, 0, 0};
  EXPECT_TRUE(PointInRect16(point(-1, -1), &negative));
  EXPECT_FALSE(PointInRect16(point(0, 0), nullptr));
}

uint32_t fakeMs = 0;
uint32_t FakeClock() { return fakeMs; }

TEST(TickCount60, DividesTheMillisecondClockBy17) {
  SetTickClock(FakeClock);
  const std::pair<uint32_t, int32_t> cases[] = {
      {0, 0}, {16, 0}, {17, 1}, {1000, 58}, {0xFFFFFFFFu, int32_t(0xFFFFFFFFu / 17u)}};
  for (const auto& [ms, ticks] : cases) {
    fakeMs = ms;
    EXPECT_EQ(TickCount60(), ticks) << ms;
  }
  SetTickClock(nullptr);
  const int32_t a = TickCount60();
  const int32_t b = TickCount60();
  EXPECT_GE(b, a);
}

#ifndef _WIN32
TEST(DialogItems, TheStandInRecordsSelectionAndVisibility) {
  ResetStandInDialogItems();
  const DialogRef dialog = 0x1234;
  ShowDialogItem(dialog, 7, false);
  ASSERT_NE(FindStandInDialogItem(dialog, 7), nullptr);
  EXPECT_FALSE(FindStandInDialogItem(dialog, 7)->visible);
  ShowDialogItem(dialog, 7, true);
  EXPECT_TRUE(FindStandInDialogItem(dialog, 7)->visible);
  SelectDialogText(dialog, 8);
  SelectDialogText(dialog, 9);
  EXPECT_FALSE(FindStandInDialogItem(dialog, 8)->focused);
  EXPECT_TRUE(FindStandInDialogItem(dialog, 9)->focused);
  EXPECT_EQ(FindStandInDialogItem(dialog, 9)->selectionStart, 0);
  EXPECT_EQ(FindStandInDialogItem(dialog, 9)->selectionEnd, -1);
  SelectDialogText(0, 3);  // no dialog: nothing
  EXPECT_EQ(FindStandInDialogItem(0, 3), nullptr);
  ResetStandInDialogItems();
}
#endif

}  // namespace
