#include "settings/enum_codes.h"

#include "host/scripting_terms.h"

namespace {

constexpr FourCC Code(const char* text) { return MakeFourCC(text[0], text[1], text[2], text[3]); }

// Output projection n has the code at n - 1. The codes are not in number
// order: outputs were added and renumbered after their codes were fixed.
constexpr const char* kOutputCodes[kOutputCodeCount] = {
    "Qo01", "Qo02", "Qo03", "Qo04", "Qo05", "Qo06", "Qo07", "Qo08", "Qo09", "Qo10",
    "Qo11", "Qo12", "Qo13", "Qo14", "Qo15", "Qo70", "Qo16", "Qo17", "Qo18", "Qo19",
    "Qo20", "Qo21", "Qo22", "Qo23", "Qo24", "Qo25", "Qo26", "Qo27", "Qo28", "Qo29",
    "Qo30", "Qo31", "Qo32", "Qo33", "Qv46", "Qo35", "Qo36", "Qo37", "Qo38", "Qo39",
    "Qo40", "Qo41", "Qo42", "Qo43", "Qo44", "Qo45", "Qo46", "Qo47", "Qo48", "Qo49",
    "Qo50", "Qo51", "Qo52", "Qo53", "Qo54", "Qo56", "Qo57", "Qo58", "Qo59", "Qo60",
    "Qo61", "Qo62", "Qo63", "Qo64", "Qo65", "Qo66", "Qo67", "Qo68", "Qo69", "Qo71",
    "Qo72", "Qo73", "Qo74", "Qo75", "Qo76", "Qo77", "Qo78", "Qo79", "Qo80", "Qo81",
    "Qo82", "Qo83", "Qo84", "Qo85", "Qo86", "Qo87", "Qo88", "Qo89", "Qo90", "Qo91",
    "Qo92", "Qo93", "Qo94", "Qo95", "Qo96", "Qo97", "Qo98", "Qo99", "Qp00", "Qp01",
    "Qp02", "Qp03", "Qp04", "Qp05", "Qp06", "Qp08", "Qp09", "Qp10", "Qp11", "Qp12",
    "Qp13", "Qp14", "Qp15", "Qp16", "Qp17", "Qp18", "Qp41", "Qp29", "Qp30", "Qp31",
    "Qp33", "Qp38", "Qp39", "Qp20", "Qp32", "Qp40", "Qp21", "Qp23", "Qp24", "Qp25",
    "Qp26", "Qp27", "Qp28", "Qp42", "Qp43", "Qp44", "Qv45", "Qp47", "Qp48", "Qp49",
    "Qp50", "Qp51", "Qp53", "Qp54", "Qp56", "Qp58", "Qp59", "Qp60", "Qp61", "Qp55",
    "Qp57", "Qp62", "Qp63", "Qp64", "Qp65", "Qp66", "Qp67", "Qp68", "Qp69", "Qp70",
    "Qp71", "Qp72", "Qp73", "Qp76", "Qp77", "Qp78", "Qp79", "Qp80", "Qp81", "Qp82",
    "Qp83", "Qp84", "Qp85", "Qp86", "Qp89", "Qp90", "Qq00", "Qq01", "Qq02", "Qq03",
    "Qq04", "Qq05", "Qq06", "Qq07", "Qq08", "Qq09", "Qq10", "Qq11", "Qq12", "Qq13",
    "Qq14", "Qq15", "Qq16", "Qq17", "Qq18", "Qq19", "Qq20", "Qq21", "Qr00", "Qr01",
    "Qr02", "Qr30", "Qr40", "Qr03", "Qr31", "Qr04", "Qr05", "Qr06", "Qr07", "Qr32",
    "Qr41", "Qr08", "Qr33", "Qr42", "Qr09", "Qr10", "Qr11", "Qr12", "Qr13", "Qr34",
    "Qr43", "Qr14", "Qr35", "Qr44", "Qr15", "Qr36", "Qr16", "Qr17", "Qr18", "Qr19",
    "Qr20", "Qr21", "Qr37", "Qr45", "Qr22", "Qr38", "Qr46", "Qr23", "Qr39", "Qr47",
    "Qr24", "Qr25", "Qr26", "Qr27", "Qr28", "Qr29", "Qr48", "Qr49", "Qr50", "Qr51",
    "Qr52", "Qr53", "Qr54", "Qr55", "Qr62", "Qr56", "Qr57", "Qr58", "Qr59", "Qr60",
    "Qr63", "Qr61",
};

// Codes that older recordings hold for outputs that have no code of their own
// any more; they read as these numbers and are never written.
struct ExtraOutputCode {
  const char* code;
  int32_t index;
};
constexpr ExtraOutputCode kExtraOutputCodes[] = {
    {"Qp34", 1037}, {"Qp35", 1038}, {"Qp36", 1039}, {"Qp37", 1040},
    {"Qp##", 1042}, {"Qp87", 10053}, {"Qp88", 10054}, {"Qo55", 60000},
};

// Two-digit decimal code with a two-letter prefix: "GL07", "Qi18".
FourCC TwoDigitCode(char a, char b, int32_t n) { return MakeFourCC(a, b, char('0' + n / 10), char('0' + n % 10)); }

// The two digits of a code, or -1.
int32_t TwoDigits(FourCC code) {
  const int32_t tens = int32_t((code >> 8) & 0xff) - '0';
  const int32_t units = int32_t(code & 0xff) - '0';
  if (tens < 0 || tens > 9 || units < 0 || units > 9) return -1;
  return tens * 10 + units;
}

bool HasPrefix(FourCC code, char a, char b) { return (code >> 16) == (MakeFourCC(0, 0, a, b) & 0xffff); }

}  // namespace

void EnumIndexToKey(int32_t index, FourCC type, FourCC* code) {
  FourCC result = kNoEnumCode;
  switch (type) {
    case kGridEnumType:
      if (index >= 1 && index <= kGridCodeCount) result = MakeFourCC('Q', 'g', 'r', char('0' + index));
      break;
    case kInputEnumType:
      // There is no code for 17: inputs 17 and above take the code of n + 1.
      if (index >= 1 && index <= 16) result = TwoDigitCode('Q', 'i', index);
      if (index >= 17 && index <= kInputCodeCount) result = TwoDigitCode('Q', 'i', index + 1);
      break;
    case kGlueEnumType:
      if (index >= 1 && index <= kGlueCodeCount) result = TwoDigitCode('G', 'L', index);
      break;
    case kOutputEnumType:
      if (index >= 1 && index <= kOutputCodeCount) result = Code(kOutputCodes[index - 1]);
      break;
    default:
      break;
  }
  *code = result;
}

bool EnumKeyToIndex(FourCC type, FourCC code, int32_t* index) {
  *index = 0;
  int32_t found = 0;
  switch (type) {
    case kGridEnumType: {
      const int32_t n = int32_t(code & 0xff) - '0';
      if ((code & 0xffffff00u) == (MakeFourCC('Q', 'g', 'r', '0') & 0xffffff00u) && n >= 1 && n <= kGridCodeCount) {
        found = n;
      }
      break;
    }
    case kInputEnumType: {
      const int32_t n = HasPrefix(code, 'Q', 'i') ? TwoDigits(code) : -1;
      if (n >= 1 && n <= 16) found = n;
      if (n >= 18 && n <= kInputCodeCount + 1) found = n - 1;
      break;
    }
    case kGlueEnumType: {
      const int32_t n = HasPrefix(code, 'G', 'L') ? TwoDigits(code) : -1;
      if (n >= 1 && n <= kGlueCodeCount) found = n;
      break;
    }
    case kOutputEnumType:
      for (int32_t i = 0; i < kOutputCodeCount && found == 0; ++i) {
        if (Code(kOutputCodes[i]) == code) found = i + 1;
      }
      for (const ExtraOutputCode& extra : kExtraOutputCodes) {
        if (found == 0 && Code(extra.code) == code) found = extra.index;
      }
      break;
    case kImageQualityEnumType: {
      const int32_t n = int32_t(code & 0xff) - '0';
      if ((code & 0xffffff00u) == (MakeFourCC('I', 'Q', 'r', '0') & 0xffffff00u) && n >= 1 && n <= 3) found = n;
      break;
    }
    default:
      break;
  }
  if (found == 0) return false;
  *index = found;
  return true;
}
