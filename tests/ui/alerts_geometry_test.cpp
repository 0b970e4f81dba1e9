// Alerts with their placeholders, the small boxes, the centring of every
// dialog and the conversions of rectangles and colours.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "ui/dialog_geometry.h"
#include "ui/small_dialogs.h"

namespace {

struct SubstitutionCase {
  const char* what;
  const char* text;
  const char* parameters[4];
  const char* expected;
};

TEST(AlertText, PlaceholdersTakeTheirParameters) {
  const SubstitutionCase cases[] = {
      {"two in place", "File ^0 in ^1.", {"a.q2q", "C:\\x", "", ""}, "File a.q2q in C:\\x."},
      {"all four, out of order", "^3^2^1^0", {"a", "b", "c", "d"}, "dcba"},
      {"^4 is no placeholder", "^4 and ^0", {"p", "", "", ""}, "^4 and p"},
      {"a trailing ^ stays", "end^", {"p", "", "", ""}, "end^"},
      {"an empty parameter leaves its placeholder", "^2!", {"p", "q", "", "s"}, "^2!"},
      {"a ^ before a letter stays", "^a^^0", {"x", "", "", ""}, "^a^x"},
      {"parameters are not scanned again", "^0", {"^1", "two", "", ""}, "^1"},
      {"a null parameter counts as empty", "^1", {"x", nullptr, "", ""}, "^1"},
      {"no text", "", {"x", "", "", ""}, ""},
  };
  for (const SubstitutionCase& c : cases) {
    char out[kAlertTextCapacity];
    SubstituteAlertParameters(c.text, c.parameters, out, sizeof(out));
    EXPECT_STREQ(out, c.expected) << c.what;
  }
}

TEST(AlertText, LongParametersAreCutAndTheTextNeverOverflows) {
  const std::string huge(5000, 'p');
  SetAlertParameters(huge.c_str(), huge.c_str(), nullptr, "short");
  EXPECT_EQ(std::strlen(GetAlertParameter(0)), kAlertParameterCapacity - 1);
  EXPECT_STREQ(GetAlertParameter(2), "");
  EXPECT_STREQ(GetAlertParameter(3), "short");
  EXPECT_STREQ(GetAlertParameter(4), "");
  const char* parameters[4] = {GetAlertParameter(0), GetAlertParameter(1), GetAlertParameter(2), GetAlertParameter(3)};
  // A text of 1400 characters and two cut parameters: the result stops at 1499.
  const std::string text = std::string(1400, 't') + "^0^1^3";
  std::vector<char> out(kAlertTextCapacity + 64, '#');
  SubstituteAlertParameters(text.c_str(), parameters, out.data(), kAlertTextCapacity);
  EXPECT_EQ(std::strlen(out.data()), kAlertTextCapacity - 1);
  for (size_t i = kAlertTextCapacity; i < out.size(); ++i) ASSERT_EQ(out[i], '#');
  // A tiny buffer still ends terminated.
  char tiny[4];
  SubstituteAlertParameters("^3", parameters, tiny, sizeof(tiny));
  EXPECT_STREQ(tiny, "sho");
  SetAlertParameters("", "", "", "");
}

TEST(Alerts, RefusalsShowTheirTextAndEndWithTheirButton) {
  DialogSession s;
  std::string shownText;
  SetStandInDriver("REFUSAL3", [&](StandInDialog* d) {
    shownText = FindStandInItem(d, 99)->text;
    return false;  // then the answer below presses Cancel
  });
  SetStandInAnswer("REFUSAL3", 1);
  ShowRefusalMultichannel();
  EXPECT_EQ(shownText, "The filter cannot handle multichannel images, only greyscale and RGB.");
  SetStandInAnswer("REFUSAL2", 1);
  EXPECT_EQ(ShowAlertByName("REFUSAL2"), 1);
  EXPECT_EQ(GetStandInWorld().shown, (std::vector<std::string>{"REFUSAL3", "REFUSAL2"}));
  EXPECT_EQ(GetStandInWorld().forcedEnds, 0);
}

TEST(Alerts, ItemsNinetyNineToHundredAndOneTakeTheParameters) {
  static const TemplateItem kItems[] = {
      {99, ItemClass::Static, "Cannot read ^0.", -1},
      {100, ItemClass::Static, "^1 of ^2", -1},
      {101, ItemClass::Static, "^3 stays", -1},
      {102, ItemClass::Static, "^0 not here", -1},
      {4, ItemClass::Button, "Retry", -1},
  };
  DialogSession s;
  AddStandInTemplate(DialogTemplate{"TEST_ALERT", "Alert", 200, 60, 1, kItems, 5});
  SetAlertParameters("x.q2q", "3", "7", "");
  std::vector<std::string> texts;
  SetStandInDriver("TEST_ALERT", [&](StandInDialog* d) {
    for (int32_t id : {99, 100, 101, 102}) texts.push_back(FindStandInItem(d, id)->text);
    StandInClick(d, 4);
    return true;
  });
  EXPECT_EQ(ShowAlertByName("TEST_ALERT"), 4);
  EXPECT_EQ(texts, (std::vector<std::string>{"Cannot read x.q2q.", "3 of 7", "^3 stays", "^0 not here"}));
  SetAlertParameters("", "", "", "");
}

TEST(AboutBox, OpensOnceAtATime) {
  DialogSession s;
  int32_t opens = 0;
  SetStandInDriver("ABOUTBOX", [&](StandInDialog* d) {
    ++opens;
    // Asked again while it is open: nothing.
    EXPECT_EQ(ShowAboutBox(), 0);
    StandInClick(d, 5);
    return true;
  });
  EXPECT_EQ(ShowAboutBox(), 0);
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(GetStandInWorld().webPages.size(), 1u);
  EXPECT_FALSE(GetDialogModuleState().aboutBoxOpen);
  ShowAboutBox();  // closed again: it opens again
  EXPECT_EQ(GetStandInWorld().shown, (std::vector<std::string>{"ABOUTBOX", "ABOUTBOX"}));
}

TEST(AboutBox, EndsWithTheButtonOrOneOnClose) {
  DialogSession s;
  EXPECT_EQ(RunModalDialog("ABOUTBOX", AboutDialogHandler, nullptr, nullptr), 1);  // nobody answers: closed
  SetStandInAnswer("ABOUTBOX", 5);
  EXPECT_EQ(RunModalDialog("ABOUTBOX", AboutDialogHandler, nullptr, nullptr), 5);
  EXPECT_EQ(GetStandInWorld().webPages.size(), 1u);
  GetDialogModuleState().aboutBoxOpen = 0;
}

TEST(InfoBox, ClosesItselfWithinASecondOfTheMainDialogsEnd) {
  DialogSession s;
  s.Open();
  uint64_t openedAt = 0;
  uint64_t okAt = 0;
  int32_t steps = 0;
  SetStandInDriver("KELMO_INFO_BOX", [&](StandInDialog*) {
    if (steps++ == 0) {
      openedAt = GetStandInWorld().clock;
      return true;
    }
    if (steps == 2) {
      AdvanceStandInClock(5000);  // the main dialog lives on: the box stays
      okAt = GetStandInWorld().clock;
      StandInClick(s.window, kIdOk);  // the main dialog stays usable, and ends
      return true;
    }
    return false;  // time runs on to the box's next tick
  });
  ASSERT_TRUE(StandInClick(s.window, kIdInfoButton));
  EXPECT_EQ(steps, 3);
  EXPECT_GE(okAt, openedAt + 5000);
  EXPECT_LE(GetStandInWorld().clock, okAt + 1000);
  EXPECT_EQ(GetStandInWorld().forcedEnds, 0);
  EXPECT_FALSE(GetDialogModuleState().infoBoxOpen);
  EXPECT_EQ(s.globals.dialogOutcome, kDialogOutcomeOk);
}

TEST(InfoBox, OpensAgainAfterClosingItself) {
  DialogSession s;
  ShowInfoBox();  // no main dialog: it closes at its first tick
  ShowInfoBox();
  EXPECT_EQ(GetStandInWorld().shown, (std::vector<std::string>{"KELMO_INFO_BOX", "KELMO_INFO_BOX"}));
}

TEST(Centring, PlacesAWindowOverItsReference) {
  struct Case {
    const char* what;
    WindowPlacement p;
    int32_t x;
    int32_t y;
  } cases[] = {
      {"400 wide over 1000 at 100, system menu, caption 20",
       {{0, 0, 400, 300}, {100, 50, 1100, 950}, 1920, 1080, 20, 1},
       380,
       50 + 600 / 3},
      {"without a system menu the caption counts two thirds",
       {{0, 0, 400, 300}, {100, 50, 1100, 950}, 1920, 1080, 20, 0},
       100 + 300 - 14,
       250},
      {"wider than its reference", {{0, 0, 1200, 300}, {100, 0, 1100, 900}, 1920, 1080, 20, 1}, 80, 200},
      {"kept inside the screen's right edge", {{0, 0, 800, 300}, {1500, 0, 2500, 900}, 1920, 1080, 20, 1}, 1120, 200},
      {"kept inside the screen's bottom", {{0, 0, 400, 600}, {0, 900, 1000, 1500}, 1920, 1080, 20, 1}, 280, 480},
      {"larger than the screen", {{0, 0, 2000, 1200}, {0, 0, 1920, 1080}, 1920, 1080, 20, 1}, 0, 0},
  };
  for (const auto& c : cases) {
    int32_t x = 0;
    int32_t y = 0;
    ComputeCentredPosition(c.p, &x, &y);
    EXPECT_EQ(x, c.x) << c.what;
    EXPECT_EQ(y, c.y) << c.what;
  }
}

TEST(Conversions, RectanglesSwapTheirOrderAndColoursKeepHighBytes) {
  const Rect host{10, 20, 30, 40};  // top, left, bottom, right
  const ItemRect item = HostRectToItemRect(host);
  EXPECT_EQ(item.left, 20);
  EXPECT_EQ(item.top, 10);
  EXPECT_EQ(item.right, 40);
  EXPECT_EQ(item.bottom, 30);
  const Rect back = ItemRectToHostRect(item);
  EXPECT_EQ(std::memcmp(&back, &host, sizeof(Rect)), 0);
  const Rect clamped = ItemRectToHostRect(ItemRect{-70000, 0, 70000, 40000});
  EXPECT_EQ(clamped.left, -32768);
  EXPECT_EQ(clamped.right, 32767);
  EXPECT_EQ(clamped.bottom, 32767);
  const uint16_t colour[3] = {0x8000, 0x4000, 0xFFFF};
  EXPECT_EQ(HostColourToColorref(colour), 0x00FF4080u);
  const uint16_t odd[3] = {0x12AB, 0x00FF, 0xFE01};
  uint16_t round[3];
  ColorrefToHostColour(HostColourToColorref(odd), round);
  EXPECT_EQ(round[0], 0x1200);
  EXPECT_EQ(round[1], 0x0000);
  EXPECT_EQ(round[2], 0xFE00);
}

}  // namespace
