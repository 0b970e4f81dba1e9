// The orbalix program takes the names that recorded actions show (the
// scripting terminology's) as well as the projection and glue names, and
// lists both.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "app/app_settings.h"
#include "host/scripting_terms.h"
#include "settings/enum_codes.h"

namespace {

TEST(RecordedNames, AreTakenWhateverTheirCase) {
  struct Case {
    SettingKind kind;
    const char* text;
    int32_t number;
  };
  const Case cases[] = {
      {SettingKind::Input, "equal-area cylindrical", 24},
      {SettingKind::Input, "EQUAL-AREA Cylindrical", 24},
      {SettingKind::Input, "equal-area cylinder", 24},  // the projection's own name
      {SettingKind::Input, "circular 180\u00b0", 8},
      {SettingKind::Output, "equal-area cylindrical", 138},
      {SettingKind::Output, "gores: 12", 36},
      {SettingKind::Output, "Adams II", 91},
      {SettingKind::Output, "rollout 4/1", 201},
      {SettingKind::Glue, "harsh diff", 26},
      // A terminology name that is another choice's own name stands for that
      // choice.
      {SettingKind::Output, "tunable egg", 74},
  };
  for (const Case& c : cases) EXPECT_EQ(LookUpChoice(c.kind, c.text), c.number) << c.text;
}

// Every name of the terminology whose code stands for a choice of the
// program is taken: for that choice, or for the choice whose own name it is.
TEST(RecordedNames, EveryTerminologyNameIsTaken) {
  struct Kind {
    SettingKind kind;
    FourCC type;
  };
  for (const Kind& k : {Kind{SettingKind::Input, kInputEnumType}, Kind{SettingKind::Output, kOutputEnumType},
                        Kind{SettingKind::Glue, kGlueEnumType}}) {
    const ScriptingEnumeration* terms = FindScriptingEnumeration(k.type);
    ASSERT_NE(terms, nullptr);
    const std::vector<NamedChoice> choices = NamedChoices(k.kind);
    int32_t checked = 0;
    for (int32_t i = 0; i < terms->count; ++i) {
      int32_t number = 0;
      if (!EnumKeyToIndex(k.type, terms->entries[i].code, &number)) continue;
      bool offered = false;  // "custom net" (60000) is no choice of the program
      for (const NamedChoice& choice : choices) offered = offered || choice.number == number;
      if (!offered) continue;
      std::string name;
      for (const char* p = terms->entries[i].name; *p != 0; ++p) {
        const uint8_t byte = uint8_t(*p);
        if (byte < 0x80) {
          name += *p;
        } else {  // the terminology's only high byte is the degree sign
          ASSERT_EQ(byte, 0xB0);
          name += "\u00b0";
        }
      }
      const int32_t got = LookUpChoice(k.kind, name);
      bool ownName = false;
      for (const NamedChoice& choice : choices) ownName = ownName || (choice.number == got && choice.name == name);
      EXPECT_TRUE(got == number || ownName) << name << " gives " << got << ", recorded as " << number;
      ++checked;
    }
    EXPECT_GT(checked, 25);
  }
}

std::string RunList(const char* what) {
  const std::string command = std::string(ORBALIX_PROGRAM) + " list " + what;
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  if (pipe == nullptr) return out;
  std::array<char, 4096> buffer{};
  size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  EXPECT_EQ(pclose(pipe), 0);
  return out;
}

TEST(RecordedNames, ListedBesideTheNames) {
  EXPECT_NE(RunList("inputs").find("   24  equal-area cylinder  (recorded as \"equal-area cylindrical\")\n"),
            std::string::npos);
  const std::string outputs = RunList("outputs");
  EXPECT_NE(outputs.find("  201  sphericon 4/0  (recorded as \"rollout 4/0\", \"rollout 4/1\")\n"), std::string::npos);
  EXPECT_NE(outputs.find("   46  Mollweide\n"), std::string::npos);
  EXPECT_NE(RunList("glue").find("   26  hard diff  (recorded as \"harsh diff\")\n"), std::string::npos);
}

}  // namespace
