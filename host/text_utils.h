// Small operations on zero-terminated byte texts (Windows-1252), on
// length-prefixed texts and on dialog items. Texts are buffers owned by the
// caller; nothing here allocates. Every operation that writes a text takes the
// capacity of the destination in bytes (terminator included), never writes
// past it, and leaves the text terminated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_records.h"
#include "platform/dialog_items.h"

constexpr int16_t kMaxTextLength = 32767;

int16_t TextLength(const char* text);
int16_t TextLengthBounded(const char* text);

char* CopyText(char* dest, size_t capacity, const char* src);
char* AppendText(char* dest, size_t capacity, const char* src);
// Appends until the text reaches 32767 bytes (or fills the buffer); answers the new length.
int64_t AppendTextBounded(char* dest, size_t capacity, const char* src);
// These two append the whole suffix or, when it does not fit, nothing (answering false).
bool AppendJpgExtension(char* text, size_t capacity);
bool AppendHtmlBreak(char* text, size_t capacity);

template <size_t N>
char* CopyText(char (&dest)[N], const char* src) {
  return CopyText(dest, N, src);
}
template <size_t N>
char* AppendText(char (&dest)[N], const char* src) {
  return AppendText(dest, N, src);
}

char LowerAscii(char c);
void SpacesToUnderscores(char* text);
void SanitiseFileName(char* text);
void MakeSafeFileName(char* text);

bool MatchText(const char* pattern, const char* text, int32_t n, int32_t at);
bool MatchTextNoCase(const char* pattern, const char* text, int32_t n, int32_t at);
int32_t FindText(const char* pattern, const char* text, bool noCase);
// The index of the last `c`; when `c` does not occur, the index of the last
// byte (not -1); -1 for a null or empty text. Test with FindText first.
int32_t FindLastChar(const char* text, char c);

void FilterNumberChars(char* text, bool allowPoint);
void KeepIntegerChars(char* text);

// Length-prefixed texts live in 256-byte buffers.
void CToPascalInPlace(unsigned char* text);
void PascalToCInPlace(unsigned char* text);

void SelectDialogText(DialogRef dialog, int32_t item);
void ShowDialogItem(DialogRef dialog, int32_t item, bool show);

// point: vertical coordinate in the low 16 bits, horizontal in the high 16 bits.
bool PointInRect16(int32_t point, const Rect* rect);

// A clock of about 60 ticks a second.
int32_t TickCount60();
