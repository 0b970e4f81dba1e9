// Numbers in the dialogs' edits, read and written the same under every
// locale: a point is the decimal separator whatever the process's locale says
// (hosts may set a locale with a decimal comma).
#pragma once

#include <cstddef>
#include <cstdint>

// The number at the start of a text, as the C library's atof reads it in the
// "C" locale: leading blanks, a sign, digits with an optional point and an
// optional exponent. Anything after the number is ignored; a text without a
// number reads as 0. Only decimal numbers are read: "inf", "nan" and hex read
// as 0, and a number too large for a double reads as the largest double with
// its sign.
double ParseNumberText(const char* text);

// The value as printf's "%g" writes it in the "C" locale (six significant
// digits, no trailing zeros); a negative zero is written "0". Writes at most
// capacity bytes, the terminator included.
void FormatNumberG(double value, char* text, size_t capacity);

// A decimal integer, as "%d" writes it.
void FormatInteger(int64_t value, char* text, size_t capacity);

// The value truncated toward zero into an int32: NaN gives 0, values beyond
// the range give its nearest end.
int32_t TruncateToInt32(double value);

// The integer of a sub-dialog's number edit: everything but digits and signs
// is dropped (so "1.5" reads as 15), then the rest is read as a number and
// truncated.
int32_t ParseDialogInteger(const char* text);

// The longest edit text the dialogs read.
constexpr int32_t kEditTextCapacity = 257;  // 256 characters and the terminator
