#include "host/text_utils.h"

#include <cstring>

#include "platform/tick_clock.h"

namespace {

// Length of `text`, counting at most `max` bytes.
size_t BoundedLength(const char* text, size_t max) {
  size_t n = 0;
  while (n < max && text[n] != 0) ++n;
  return n;
}

bool ForbiddenInFileName(char c) {
  switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
      return true;
    default:
      return false;
  }
}

// Appends all of `suffix` or nothing.
bool AppendWhole(char* text, size_t capacity, const char* suffix) {
  if (!text || capacity == 0) return false;
  const size_t length = BoundedLength(text, capacity - 1);
  const size_t extra = std::strlen(suffix);
  if (length + extra + 1 > capacity) return false;
  std::memcpy(text + length, suffix, extra + 1);
  return true;
}

// Compares up to n bytes from text[at]; a terminator on both sides ends the
// comparison as equal, so neither text is read past its end.
bool MatchAt(const char* pattern, const char* text, int32_t n, int32_t at, bool noCase) {
  for (int32_t i = 0; i < n; ++i) {
    const char p = noCase ? LowerAscii(pattern[i]) : pattern[i];
    const char t = noCase ? LowerAscii(text[at + i]) : text[at + i];
    if (p != t) return false;
    if (p == 0) return true;
  }
  return true;
}

}  // namespace

int16_t TextLength(const char* text) {
  if (!text) return 0;
  return static_cast<int16_t>(BoundedLength(text, kMaxTextLength));
}

int16_t TextLengthBounded(const char* text) { return TextLength(text); }

char* CopyText(char* dest, size_t capacity, const char* src) {
  if (!dest || capacity == 0) return dest;
  const size_t n = src ? BoundedLength(src, capacity - 1) : 0;
  if (n) std::memmove(dest, src, n);
  dest[n] = 0;
  return dest;
}

char* AppendText(char* dest, size_t capacity, const char* src) {
  AppendTextBounded(dest, capacity, src);
  return dest;
}

int64_t AppendTextBounded(char* dest, size_t capacity, const char* src) {
  if (!dest || capacity == 0) return 0;
  const size_t limit = capacity - 1 < size_t(kMaxTextLength) ? capacity - 1 : size_t(kMaxTextLength);
  size_t length = BoundedLength(dest, limit);
  if (src) {
    while (length < limit && *src) dest[length++] = *src++;
  }
  dest[length] = 0;
  return static_cast<int64_t>(length);
}

bool AppendJpgExtension(char* text, size_t capacity) { return AppendWhole(text, capacity, ".jpg"); }

bool AppendHtmlBreak(char* text, size_t capacity) { return AppendWhole(text, capacity, "<br>\r"); }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

void SpacesToUnderscores(char* text) {
  if (!text) return;
  for (; *text; ++text) {
    if (*text == ' ') *text = '_';
  }
}

void SanitiseFileName(char* text) {
  if (!text) return;
  for (; *text; ++text) {
    auto c = static_cast<unsigned char>(*text);
    if (c < 32) {
      c = ' ';
    } else if (c > 127) {
      c = static_cast<unsigned char>((c & 127) + 32);
      if (c == '.') c = '_';
    }
    // Windows refuses these in a file name, whether typed or made by the mapping above.
    if (ForbiddenInFileName(static_cast<char>(c))) c = '_';
    *text = static_cast<char>(c);
  }
}

void MakeSafeFileName(char* text) {
  if (!text) return;
  SpacesToUnderscores(text);
  SanitiseFileName(text);
}

bool MatchText(const char* pattern, const char* text, int32_t n, int32_t at) {
  if (!pattern || !text || at < 0 || at > TextLength(text)) return false;
  return MatchAt(pattern, text, n, at, false);
}

bool MatchTextNoCase(const char* pattern, const char* text, int32_t n, int32_t at) {
  if (!pattern || !text || at < 0 || at > TextLength(text)) return false;
  return MatchAt(pattern, text, n, at, true);
}

int32_t FindText(const char* pattern, const char* text, bool noCase) {
  const int32_t patternLength = TextLength(pattern);
  const int32_t textLength = TextLength(text);
  if (patternLength == 0 || textLength == 0 || patternLength > textLength) return -1;
  for (int32_t at = 0; at <= textLength - patternLength; ++at) {
    if (MatchAt(pattern, text, patternLength, at, noCase)) return at;
  }
  return -1;
}

int32_t FindLastChar(const char* text, char c) {
  const int32_t length = TextLength(text);
  if (length == 0) return -1;
  int32_t i = length - 1;
  while (i > 0 && text[i] != c) --i;
  // Not found stops at 0 in the loop above; the answer is then the last index.
  if (text[i] != c) return length - 1;
  return i;
}

void FilterNumberChars(char* text, bool allowPoint) {
  if (!text) return;
  // Keeping only some bytes never lengthens the text, so this works in place
  // for any length.
  size_t kept = 0;
  for (size_t i = 0; text[i]; ++i) {
    const char c = text[i];
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || (allowPoint && c == '.')) text[kept++] = c;
  }
  text[kept] = 0;
}

void KeepIntegerChars(char* text) { FilterNumberChars(text, false); }

void CToPascalInPlace(unsigned char* text) {
  if (!text) return;
  const size_t n = BoundedLength(reinterpret_cast<const char*>(text), 255);
  std::memmove(text + 1, text, n);
  text[0] = static_cast<unsigned char>(n);
}

void PascalToCInPlace(unsigned char* text) {
  if (!text) return;
  const size_t n = text[0];
  std::memmove(text, text + 1, n);
  text[n] = 0;
}

void SelectDialogText(DialogRef dialog, int32_t item) { PlatformSelectDialogText(dialog, item); }

void ShowDialogItem(DialogRef dialog, int32_t item, bool show) { PlatformShowDialogItem(dialog, item, show); }

bool PointInRect16(int32_t point, const Rect* rect) {
  if (!rect) return false;
  const auto v = static_cast<int16_t>(static_cast<uint32_t>(point) & 0xFFFFu);
  const auto h = static_cast<int16_t>(static_cast<uint32_t>(point) >> 16);
  return rect->left <= h && h < rect->right && rect->top <= v && v < rect->bottom;
}

int32_t TickCount60() { return static_cast<int32_t>(TickCountMs() / 17u); }
