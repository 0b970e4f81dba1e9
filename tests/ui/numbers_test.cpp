// Numbers in the dialogs' edits: read as the C library reads them in the "C"
// locale and written as printf's "%g" writes them there, under every locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dialog_fixture.h"
#include "ui/control_values.h"
#include "ui/dialog_numbers.h"

namespace {

const double kValues[] = {0.0,  1.0,     -1.0,     0.5,       12.5,  -170.25,    179.99000549316406,
                          1e-5, 1.5e-4,  123456.0, 1234567.0, 1e21,  -3.0000001, 33.33333206176758,
                          0.1,  2.0 / 3, 99999.95, 999999.5,  1e300, 4.9e-324,   100.0};

const char* const kTexts[] = {"0",
                              "1",
                              "-1",
                              "+2.5",
                              "  7",
                              ".5",
                              "5.",
                              "1e3",
                              "1E-3",
                              "-1.25e+2",
                              "12abc",
                              "1e",
                              "1e+",
                              "007",
                              "0.0001",
                              "123456789012345678901234567890",
                              "-0",
                              "\t\n 42",
                              "3.14159265358979"};

// The "C" locale's own reading and writing are the oracle.
TEST(Numbers, WrittenAsPercentGInTheCLocale) {
  std::setlocale(LC_ALL, "C");
  for (double v : kValues) {
    char expected[64];
    std::snprintf(expected, sizeof(expected), "%g", v);
    char text[64];
    FormatNumberG(v, text, sizeof(text));
    EXPECT_STREQ(text, expected) << v;
  }
  char text[64];
  FormatNumberG(-0.0, text, sizeof(text));
  EXPECT_STREQ(text, "0");
  char small[4];
  FormatNumberG(-170.25, small, sizeof(small));  // cut, and terminated
  EXPECT_STREQ(small, "-17");
}

TEST(Numbers, ReadAsAtofReadsDecimalNumbersInTheCLocale) {
  std::setlocale(LC_ALL, "C");
  for (const char* t : kTexts) EXPECT_EQ(ParseNumberText(t), std::atof(t)) << t;
  EXPECT_EQ(ParseNumberText(nullptr), 0.0);
  EXPECT_EQ(ParseNumberText("1e999"), 1.7976931348623157e308);
  EXPECT_EQ(ParseNumberText("-1e999"), -1.7976931348623157e308);
  EXPECT_EQ(ParseNumberText("1e-999"), 0.0);
  EXPECT_EQ(ParseNumberText("0.000e999"), 0.0);
  EXPECT_EQ(ParseNumberText("0.0001e-400"), 0.0);
  EXPECT_EQ(ParseNumberText("1000e-310"), 1e-307);
  for (const char* t : {"inf", "-INF", "nan", "0x1A", ".", "-", "+.e5", "e5"}) EXPECT_EQ(ParseNumberText(t), 0.0) << t;
}

TEST(Numbers, SubDialogIntegersKeepOnlyDigitsAndSigns) {
  EXPECT_EQ(ParseDialogInteger("1.5"), 15);
  EXPECT_EQ(ParseDialogInteger(" 2 000 px"), 2000);
  EXPECT_EQ(ParseDialogInteger("abc"), 0);
  EXPECT_EQ(ParseDialogInteger("-40"), -40);
  EXPECT_EQ(ParseDialogInteger("99999999999"), 2147483647);
  EXPECT_EQ(ParseDialogInteger(std::string(400, '1').c_str()), 2147483647);
  EXPECT_EQ(TruncateToInt32(-2.9), -2);
  EXPECT_EQ(TruncateToInt32(1e300), 2147483647);
  EXPECT_EQ(TruncateToInt32(-1e300), -2147483647 - 1);
  char text[16];
  FormatInteger(-2147483648LL, text, sizeof(text));
  EXPECT_STREQ(text, "-2147483648");
}

// A locale whose decimal separator is a comma, or null when none is installed.
const char* DecimalCommaLocale() {
  for (const char* name :
       {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "German_Germany.1252", "de-DE", "German"}) {
    if (std::setlocale(LC_ALL, name)) {
      char probe[16];
      std::snprintf(probe, sizeof(probe), "%g", 1.5);
      if (std::string(probe) == "1,5") return name;
    }
  }
  std::setlocale(LC_ALL, "C");
  return nullptr;
}

TEST(Numbers, AreTheSameUnderADecimalCommaLocale) {
  const char* locale = DecimalCommaLocale();
  if (!locale) GTEST_SKIP() << "no locale with a decimal comma is installed (tools/install-deps.sh makes de_DE.UTF-8)";
  std::vector<std::string> written;
  std::vector<double> read;
  for (double v : kValues) {
    char text[64];
    FormatNumberG(v, text, sizeof(text));
    written.push_back(text);
  }
  for (const char* t : kTexts) read.push_back(ParseNumberText(t));
  // Through the dialog: the edits show points, and points are read.
  DialogSession s;
  s.block.latitude = 12.5f;
  s.block.sharpen = 33.25f;
  s.Open();
  const std::string latitude = s.Text(86);
  StandInType(s.window, 91, "-45.75");
  ReadControlsToSettings(s.dialog.get());
  const float longitude = s.block.longitude;
  const float sharpen = s.block.sharpen;
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(latitude, "12.5") << locale;
  EXPECT_EQ(longitude, -45.75f) << locale;
  EXPECT_EQ(sharpen, 33.25f) << locale;
  size_t i = 0;
  for (double v : kValues) {
    char expected[64];
    std::snprintf(expected, sizeof(expected), "%g", v);
    EXPECT_EQ(written[i++], expected) << locale;
  }
  i = 0;
  for (const char* t : kTexts) EXPECT_EQ(read[i++], std::atof(t)) << t << " under " << locale;
}

}  // namespace
