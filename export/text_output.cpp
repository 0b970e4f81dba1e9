#include "export/text_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "export/export_files.h"

void InitTextOutput(TextOutput* out, FileHandle file) {
  out->file = file;
  out->error = kFileOk;
  out->pending = 0;
}

int16_t FlushTextOutput(TextOutput* out) {
  if (out->pending > 0 && out->error == kFileOk) {
    int32_t count = out->pending;
    const int16_t result = WriteBlock(out->file, &count, out->buffer);
    if (result != kFileOk) {
      out->error = result;
    } else if (count != out->pending) {
      out->error = kFileWriteFailed;
    }
  }
  out->pending = 0;
  return out->error;
}

void WriteTextBytes(TextOutput* out, const char* bytes, size_t count) {
  while (count > 0 && out->error == kFileOk) {
    size_t room = sizeof out->buffer - size_t(out->pending);
    if (room == 0) {
      FlushTextOutput(out);
      continue;
    }
    const size_t n = count < room ? count : room;
    std::memcpy(out->buffer + out->pending, bytes, n);
    out->pending += int32_t(n);
    bytes += n;
    count -= n;
  }
}

void WriteText(TextOutput* out, const char* text) {
  if (text != nullptr) WriteTextBytes(out, text, std::strlen(text));
}

void WriteFormatted(TextOutput* out, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (n > 0) WriteTextBytes(out, text, size_t(n) < sizeof text ? size_t(n) : sizeof text - 1);
}

void WriteIntText(TextOutput* out, int32_t value) { WriteFormatted(out, "%d", int(value)); }

void WriteNumberText(TextOutput* out, float value) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, "%.8f", double(value));
  if (n <= 0 || size_t(n) >= sizeof text) return;
  // Model files take a decimal point whatever the C library's locale.
  for (int i = 0; i < n; ++i) {
    if (text[i] == ',') text[i] = '.';
  }
  WriteTextBytes(out, text, size_t(n));
}

void WriteQuotedIntText(TextOutput* out, int32_t value) { WriteFormatted(out, "\"%d\"", int(value)); }

int16_t WriteExportTextFile(ExportFileSet* set, const char* target, TextWriterProc write, void* context) {
  FileHandle file = kNoFile;
  int16_t result = OpenExportFile(set, target, &file);
  if (result != kExportDone) return result;
  auto out = std::make_unique<TextOutput>();
  InitTextOutput(out.get(), file);
  write(context, out.get());
  result = FlushTextOutput(out.get());
  const int16_t closed = CloseExportFile(set, file, result == kFileOk);
  return result != kFileOk ? result : closed;
}

int16_t WriteTextFileAtomically(const char* target, TextWriterProc write, void* context) {
  ExportFileSet set;
  InitExportFileSet(&set, true);
  int16_t result = WriteExportTextFile(&set, target, write, context);
  if (result == kExportDone) {
    result = CommitExportFiles(&set);
  } else {
    DiscardExportFiles(&set);
  }
  return result;
}
