// The host's rectangle with its small operations, and path texts and file
// specifications. Paths are Windows paths: the folder separator is '\\', and
// '/' is accepted where a path is joined.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_records.h"

constexpr int32_t kMaxPathLength = 260;

// A file specification: the zero-terminated path begins at byte 8.
struct FileSpec {
  uint8_t reserved[8];
  char path[kMaxPathLength + 1];
};
static_assert(offsetof(FileSpec, path) == 8);

// Rectangles. Right and bottom are exclusive; null rectangles are ignored.
void SetRect16(Rect* rect, int16_t left, int16_t top, int16_t right, int16_t bottom);
bool IsRectEmpty16(const Rect* rect);
void CopyRect16(Rect* dest, const Rect* src);
void CopyRectTo(const Rect* src, Rect* dest);
void CopyRectToAlt(const Rect* src, Rect* dest);
void ClipRect(Rect* rect, const Rect* bounds);
bool EqualRects(const Rect* a, const Rect* b);
void ScaleRect(Rect* rect, int32_t m, int32_t d);
void InsetRect16(Rect* rect, int16_t dx, int16_t dy);
void OffsetRect16(Rect* rect, int16_t dx, int16_t dy);

// Paths. Operations that write a text take its capacity (terminator included)
// and always terminate it. An extension is the part after the last '.' of the
// last path element: a '.' in a folder name is never taken for one.
void StripExtension(char* path);
void GetExtension(char* dest, size_t capacity, const char* path);
void FileNamePart(char* dest, size_t capacity, const char* path);
void FolderPart(char* dest, size_t capacity, const char* path);
void SetFileSpecName(FileSpec* spec, const char* src, int32_t n);
void JoinFileSpecPath(FileSpec* spec, const char* folder, const char* name, int32_t limit);
