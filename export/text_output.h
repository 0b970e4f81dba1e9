// The text emitters of the exports that write text files (the OBJ, MTL and
// LDraw models, the statistics page and the HTML pages): buffered writes to
// an open file that remember the first failure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/file_primitives.h"

struct TextOutput {
  FileHandle file;
  int16_t error;     // the first write failure, else 0
  int32_t pending;   // bytes waiting in the buffer
  char buffer[16384];
};

void InitTextOutput(TextOutput* out, FileHandle file);
void WriteText(TextOutput* out, const char* text);
void WriteTextBytes(TextOutput* out, const char* bytes, size_t count);
void WriteIntText(TextOutput* out, int32_t value);            // "%d"
void WriteNumberText(TextOutput* out, float value);           // "%.8f" of a single-precision value
void WriteQuotedIntText(TextOutput* out, int32_t value);      // "\"%d\""
// printf into the output (texts up to 1000 bytes).
void WriteFormatted(TextOutput* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Writes what is pending; answers the first failure of the output.
int16_t FlushTextOutput(TextOutput* out);

struct ExportFileSet;
// Writes one text file of `set` through `write` into a scratch file beside
// `target`; the scratch file is kept for the set's commit only when every
// byte was written. Answers the export result.
using TextWriterProc = void (*)(void* context, TextOutput* out);
int16_t WriteExportTextFile(ExportFileSet* set, const char* target, TextWriterProc write, void* context);
// The same for a file of its own: written, then renamed over `target`.
int16_t WriteTextFileAtomically(const char* target, TextWriterProc write, void* context);
