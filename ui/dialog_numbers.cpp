#include "ui/dialog_numbers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "host/text_utils.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

double ParseNumberText(const char* text) {
  if (!text) return 0.0;
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // The span of the number: digits, an optional point and digits, then an
  // exponent only when digits follow it.
  const char* start = p;
  int32_t digits = 0;
  while (IsDigit(*p)) ++p, ++digits;
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) ++p, ++digits;
  }
  if (digits == 0) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* e = p + 1;
    if (*e == '+' || *e == '-') ++e;
    if (IsDigit(*e)) {
      while (IsDigit(*e)) ++e;
      p = e;
    }
  }
  double value = 0.0;
  const std::from_chars_result r = std::from_chars(start, p, value, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond a double's range, too large or too small: the decimal exponent
    // of the first significant digit tells which.
    int64_t lead = 0;
    int64_t intDigits = 0;
    for (const char* s = start; IsDigit(*s); ++s) ++intDigits;
    int64_t place = intDigits - 1;
    bool found = false;
    for (const char* s = start; s < p && *s != 'e' && *s != 'E'; ++s) {
      if (*s == '.') continue;
      if (*s != '0') {
        lead = place;
        found = true;
        break;
      }
      --place;
    }
    int64_t exponent = 0;
    const char* e = start;
    while (e < p && *e != 'e' && *e != 'E') ++e;
    if (e < p) {
      ++e;
      bool expNegative = false;
      if (*e == '+' || *e == '-') expNegative = *e++ == '-';
      for (; e < p; ++e) {
        if (exponent < 1000000) exponent = exponent * 10 + (*e - '0');
      }
      if (expNegative) exponent = -exponent;
    }
    value = found && lead + exponent > 0 ? std::numeric_limits<double>::max() : 0.0;
  } else if (r.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

void FormatNumberG(double value, char* text, size_t capacity) {
  if (!text || capacity == 0) return;
  char buffer[64];
  if (value == 0.0) value = 0.0;  // no "-0"
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof(buffer) - 1, value, std::chars_format::general, 6);
  *r.ptr = 0;
  CopyText(text, capacity, buffer);
}

void FormatInteger(int64_t value, char* text, size_t capacity) {
  if (!text || capacity == 0) return;
  char buffer[32];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof(buffer) - 1, value);
  *r.ptr = 0;
  CopyText(text, capacity, buffer);
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return int32_t(value);
}

int32_t ParseDialogInteger(const char* text) {
  if (!text) return 0;
  char kept[kEditTextCapacity];
  CopyText(kept, sizeof(kept), text);
  KeepIntegerChars(kept);
  return TruncateToInt32(ParseNumberText(kept));
}
